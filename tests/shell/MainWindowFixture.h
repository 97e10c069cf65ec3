#pragma once

// The main window in a program folder of the test's own: the shipped settings, the database
// templates and the built demo pictures copied into a temporary folder that becomes the
// current folder, the library started on it, and every message box, file dialog and modal
// dialog answered by the test instead of a window.

#include "AppErrors.h"
#include "AutomationState.h"
#include "FolderCopy.h"
#include "MainWindowGui.h"
#include "MessageBox_Helper.h"
#include "QuendralLibrary.h"
#include "TestFixtures.h"
#include "ThreadChecker.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

namespace MainWindowFixture {

inline bool copyTree(const QString& from, const QString& to)
{
    return copyFolderTree(from, to);
}

// The folder of the built program, where the build put the demo pictures.
inline QString builtProgramFolder()
{
    return QFileInfo(QStringLiteral(ZELVORIN_PROGRAM)).absolutePath();
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What the test saw of the boxes and dialogs, and how it answers them.
struct Answers {
    QList<MessageBox_Helper::Request> boxes;
    QList<MessageBox_Helper::FileRequest> fileRequests;
    QMessageBox::StandardButton boxAnswer = QMessageBox::NoButton; // NoButton: the box's default
    QString fileAnswer;
    // Fills in and answers a modal dialog; unset: the dialog is rejected.
    std::function<int(QDialog*)> dialog;
    int dialogs = 0;

    QStringList titles() const
    {
        QStringList result;
        for (const MessageBox_Helper::Request& box : boxes)
            result << box.title;
        return result;
    }
};

// Which parts of the program folder a test starts with.
enum Contents {
    Empty = 0, // only the database templates
    ShippedSettings = 1,
    DemoPictures = 2,
    Everything = ShippedSettings | DemoPictures
};

class ProgramFolder {
public:
    explicit ProgramFolder(int contents = Everything)
        : m_previous(QDir::currentPath())
        , m_previousRuntime(qgetenv("XDG_RUNTIME_DIR"))
    {
        const QString source = TestFixtures::sourceDir();
        m_valid = m_folder.isValid() && !source.isEmpty()
            && copyTree(source + QStringLiteral("/database_templates"), path() + QStringLiteral("/database_templates"));
        if (m_valid && (contents & ShippedSettings))
            m_valid = copyTree(source + QStringLiteral("/settings"), path() + QStringLiteral("/settings"));
        if (m_valid && (contents & DemoPictures)) {
            const QString demo = QStringLiteral("/settings/ColonyDemo/");
            QDir().mkpath(path() + demo);
            for (const char* name : {"Demo_Plate_gray.tif", "Demo_PetriPlate_gray.tif"})
                m_valid = m_valid && QFile::copy(builtProgramFolder() + demo + QLatin1String(name), path() + demo + QLatin1String(name));
            // The stitcher demo's views and cross model files, made by the build.
            const QString stitcherDemo = QStringLiteral("/settings/ImageStitcherDemo");
            const QDir built(builtProgramFolder() + stitcherDemo);
            QDir().mkpath(path() + stitcherDemo);
            for (const QString& name : built.entryList({QStringLiteral("*.png"), QStringLiteral("*.modeldata")}, QDir::Files))
                m_valid = m_valid && QFile::copy(built.filePath(name), path() + stitcherDemo + QLatin1Char('/') + name);
        }
        // The single-instance marker lies in the runtime folder: one of the test's own.
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(path()));
        QDir::setCurrent(path());
    }

    ~ProgramFolder()
    {
        QDir::setCurrent(m_previous);
        if (m_previousRuntime.isNull())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", m_previousRuntime);
    }

    bool isValid() const { return m_valid; }
    QString path() const { return m_folder.path(); }
    QString filePath(const QString& relative) const { return m_folder.filePath(relative); }

private:
    QTemporaryDir m_folder;
    QString m_previous;
    QByteArray m_previousRuntime;
    bool m_valid = false;
};

// The library started as the program starts it, in stand-alone or server mode, with the
// answers installed; the window is made on demand. Everything ends in reverse order.
class WindowUnderTest {
public:
    WindowUnderTest(bool automationServer, Answers& answers)
        : m_answers(answers)
    {
        setAutomationServer(automationServer);
        QuendralLibrary::Start(QStringLiteral("zelvorin"), QStringLiteral("1.1.0"), QStringLiteral("2014"),
                               &m_appErrors, automationServer, nullptr);
        runOperatorsSeriallyUnderThreadChecker();
        MessageBox_Helper::setAnswerFunction([this](const MessageBox_Helper::Request& request) {
            m_answers.boxes.append(request);
            return m_answers.boxAnswer != QMessageBox::NoButton ? m_answers.boxAnswer
                                                                : MessageBox_Helper::defaultAnswer(request);
        });
        MessageBox_Helper::setFileAnswerFunction([this](const MessageBox_Helper::FileRequest& request) {
            m_answers.fileRequests.append(request);
            return m_answers.fileAnswer;
        });
        MessageBox_Helper::setDialogFunction([this](QDialog* dialog) {
            ++m_answers.dialogs;
            return m_answers.dialog ? m_answers.dialog(dialog) : int(QDialog::Rejected);
        });
        setStartError(0);
    }

    ~WindowUnderTest()
    {
        setAutomationMainWindow(nullptr);
        m_window.reset();
        MessageBox_Helper::setAnswerFunction({});
        MessageBox_Helper::setFileAnswerFunction({});
        MessageBox_Helper::setDialogFunction({});
        QuendralLibrary::Stop();
        setAutomationServer(false);
        setStartError(0);
    }

    MainWindowGui& make()
    {
        m_window = std::make_unique<MainWindowGui>(
            nullptr, isAutomationServer() ? Qt::WindowStaysOnTopHint : Qt::WindowFlags());
        return *m_window;
    }

    MainWindowGui* window() const { return m_window.get(); }
    void destroy() { m_window.reset(); }

private:
    Answers& m_answers;
    AppErrors m_appErrors;
    std::unique_ptr<MainWindowGui> m_window;
};

} // namespace MainWindowFixture
