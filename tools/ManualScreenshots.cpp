#include "ManualScreenshots.h"

#include "FolderCopy.h"

#include <AppErrors.h>
#include <ColonyAnalyserGui.h>
#include <Hobject_View_Gui.h>
#include <MainWindowGui.h>
#include <MessageBox_Helper.h>
#include <QuendralLibrary.h>

#include <QAction>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

// An analysis on a busy build machine may take long; a manual without its picture is better
// than a build that hangs.
constexpr int AnalysisTimeoutMs = 180000;

// Turns the event loop until done() holds or the time is over.
bool waitFor(const std::function<bool()>& done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// Boxes and dialogs are answered at once and reported, so nothing waits for a person.
class NoQuestions {
public:
    NoQuestions()
    {
        MessageBox_Helper::setAnswerFunction([](const MessageBox_Helper::Request& request) {
            std::fprintf(stderr, "zelvorin-manual: box \"%s\": %s\n", qPrintable(request.title), qPrintable(request.text));
            return MessageBox_Helper::defaultAnswer(request);
        });
        MessageBox_Helper::setFileAnswerFunction([](const MessageBox_Helper::FileRequest&) { return QString(); });
        MessageBox_Helper::setDialogFunction([](QDialog*) { return int(QDialog::Rejected); });
    }
    ~NoQuestions()
    {
        MessageBox_Helper::setAnswerFunction({});
        MessageBox_Helper::setFileAnswerFunction({});
        MessageBox_Helper::setDialogFunction({});
    }
};

QImage mainWindowAfterDemo()
{
    AppErrors appErrors;
    QuendralLibrary::Start(QStringLiteral("zelvorin"), QStringLiteral("1.1.0"), QStringLiteral("2014"), &appErrors,
                           false, nullptr);
    QImage shot;
    {
        MainWindowGui window(nullptr, Qt::WindowFlags());
        window.startShow();
        // A size that shows the pages and a settings panel side by side.
        window.setWindowState(Qt::WindowNoState);
        window.resize(1280, 800);
        QAction* demo = window.findChild<QAction*>(QStringLiteral("m_QAction_Toolbar_Colony_Demo_Plate"));
        if (demo)
            demo->trigger();
        auto analysed = [&window] {
            bool running = true;
            return window.AnalyseColonies_CheckRunning(running) == 0 && !running;
        };
        if (!demo || !waitFor(analysed, AnalysisTimeoutMs)) {
            std::fprintf(stderr, "zelvorin-manual: the demo plate was not analysed\n");
        } else {
            // The plate larger than the lists below it, as an operator drags the divider.
            if (auto* splitter = window.colonyAnalyserGui()->findChild<QSplitter*>(QStringLiteral("m_QSplitter_Info")))
                splitter->setSizes({3, 2});
            window.colonyAnalyserGui()->view()->resetZoom(true);
            // The viewer repaints on a queued update.
            waitFor([] { return false; }, 500);
            shot = window.grab().toImage();
        }
    }
    QuendralLibrary::Stop();
    return shot;
}

} // namespace

namespace ManualScreenshots {

QMap<QString, QImage> render(const QString& programFolder)
{
    QMap<QString, QImage> pictures;
    QTemporaryDir folder;
    const QString previous = QDir::currentPath();
    const QByteArray previousTemp = qgetenv("TMPDIR");
    bool copied = folder.isValid();
    for (const char* part : {"settings", "database_templates"})
        copied = copied && copyFolderTree(programFolder + QLatin1Char('/') + QLatin1String(part), folder.filePath(QLatin1String(part)));
    if (!copied) {
        std::fprintf(stderr, "zelvorin-manual: cannot copy the program folder %s\n", qPrintable(programFolder));
        return pictures;
    }
    // Its own single-instance marker: a program running on this machine is none of its business.
    qputenv("TMPDIR", folder.path().toLocal8Bit());
    QDir::setCurrent(folder.path());
    {
        const NoQuestions noQuestions;
        const QImage shot = mainWindowAfterDemo();
        if (!shot.isNull())
            pictures.insert(QStringLiteral("main-window"), shot);
    }
    QDir::setCurrent(previous);
    if (previousTemp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", previousTemp);
    return pictures;
}

} // namespace ManualScreenshots
