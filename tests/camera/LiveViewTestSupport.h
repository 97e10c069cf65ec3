#pragma once

// What the live-view tests share: a working folder with its "settings" folder (the live
// view keeps its record beside the program), short waits, and the library started so that
// its pictures and texts are there.

#include "Camera_LiveView_Timing.h"
#include "QuendralLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

namespace LiveViewTestSupport {

// Makes a fresh folder with "settings" in it the current folder for its lifetime.
class WorkingFolder {
public:
    WorkingFolder()
        : m_previous(QDir::currentPath())
    {
        QDir(m_folder.path()).mkpath(QStringLiteral("settings"));
        QDir::setCurrent(m_folder.path());
    }
    ~WorkingFolder() { QDir::setCurrent(m_previous); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    bool isValid() const { return m_folder.isValid(); }
    QString path() const { return m_folder.path(); }
    QString filePath(const QString& name) const { return m_folder.filePath(name); }

private:
    QString m_previous;
    QTemporaryDir m_folder;
};

// Waits that end as soon as what is waited for is there; a wait that must run out does so
// quickly.
inline void setWaitTimeout(int milliseconds)
{
    Camera_LiveView_Timing timing;
    timing.waitTimeout = milliseconds;
    timing.waitStep = 5;
    timing.grabbedIndicator = 20;
    Camera_LiveView_Timing::set(timing);
}

constexpr int kLongWait = 20000;
constexpr int kShortWait = 150;

inline void startLibrary(QObject* parent, bool automationServer = false)
{
    QuendralLibrary::Start(QStringLiteral("LiveViewTest%1").arg(QCoreApplication::applicationPid()),
                           QStringLiteral("1.0"), QStringLiteral("2016"), nullptr, automationServer, parent);
}

} // namespace LiveViewTestSupport
