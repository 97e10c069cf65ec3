#include "ManualScreenshots.h"

#include "FolderCopy.h"

#include <AppErrors.h>
#include <Camera.h>
#include <Camera_Settings_Gui.h>
#include <Camera_Settings_Marks.h>
#include <ColonyAnalyserGui.h>
#include <Hobject_View_Gui.h>
#include <MainWindowGui.h>
#include <MessageBox_Helper.h>
#include <QuendralLibrary.h>

#include <QAction>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QDockWidget>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
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

// The plate as large as the page allows beside a few rows of the tables, and zoomed so that
// it fills its viewer: what is left over in one direction is cut off evenly, not shown black.
void showPlateLarge(ColonyAnalyserGui& page)
{
    Hobject_View_Gui* view = page.view();
    auto* splitter = page.findChild<QSplitter*>(QStringLiteral("m_QSplitter_Info"));
    auto* area = view->findChild<QWidget*>(QStringLiteral("m_QWidget_Picture"));
    int width = 0;
    int height = 0;
    view->getPictureSize(width, height);
    if (!splitter || !area || width <= 0 || height <= 0)
        return;
    constexpr int TableRows = 170;
    QList<int> sizes = splitter->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    const int wanted = area->width() * height / width - area->height();
    sizes = {qMin(sizes.value(0) + wanted, total - TableRows), 0};
    sizes[1] = total - sizes[0];
    splitter->setSizes(sizes);
    waitFor([] { return false; }, 200);

    const double longer = qMax(width, height);
    const double pictureX = 100.0 * width / longer;
    const double pictureY = 100.0 * height / longer;
    const double areaAspect = double(area->width()) / qMax(1, area->height());
    if (areaAspect > double(width) / height) {
        const double shownY = pictureX / areaAspect;
        view->setViewPercentRange(0.0, (pictureY - shownY) / 2.0, pictureX, shownY);
    } else {
        const double shownX = pictureY * areaAspect;
        view->setViewPercentRange((pictureX - shownX) / 2.0, 0.0, shownX, pictureY);
    }
    // The viewer repaints on a queued update.
    waitFor([] { return false; }, 500);
}

// The camera settings with the simulated camera connected: its default exposure lies beyond
// what the camera can do at its highest frame rate, and shows in red.
QImage cameraSettingsConnected(MainWindowGui& window)
{
    QAction* connect = window.findChild<QAction*>(QStringLiteral("m_QAction_Toolbar_CameraConnect"));
    auto* exposure = window.cameraSettingsDock()->findChild<QLabel*>(QStringLiteral("m_QLabel_ExposureTime"));
    if (!connect || !exposure)
        return QImage();
    connect->trigger();
    QImage shot;
    if (waitFor([&] { return window.camera()->IsOpen() && Camera_Settings_Marks::isMarked(exposure); }, 30000)) {
        window.cameraSettingsDock()->show();
        window.cameraSettingsDock()->raise();
        waitFor([] { return false; }, 300);
        // The editor whole, also where the panel is narrower and scrolls.
        auto* editor = window.cameraSettingsDock()->findChild<Camera_Settings_Gui*>();
        shot = editor ? editor->grab().toImage() : QImage();
    } else {
        std::fprintf(stderr, "zelvorin-manual: the simulated camera did not connect\n");
    }
    if (window.camera()->IsOpen())
        connect->trigger();
    waitFor([&] { return !window.camera()->IsOpen(); }, 10000);
    return shot;
}

QMap<QString, QImage> windowsAfterDemo()
{
    AppErrors appErrors;
    QuendralLibrary::Start(QStringLiteral("zelvorin"), QStringLiteral("1.1.0"), QStringLiteral("2014"), &appErrors,
                           false, nullptr);
    QMap<QString, QImage> shots;
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
            showPlateLarge(*window.colonyAnalyserGui());
            shots.insert(QStringLiteral("main-window"), window.grab().toImage());
            shots.insert(QStringLiteral("analysed-plate"), window.colonyAnalyserGui()->view()->grab().toImage());
        }
        shots.insert(QStringLiteral("camera-settings"), cameraSettingsConnected(window));
    }
    QuendralLibrary::Stop();
    return shots;
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
        const QMap<QString, QImage> shots = windowsAfterDemo();
        for (auto it = shots.cbegin(); it != shots.cend(); ++it) {
            if (!it.value().isNull())
                pictures.insert(it.key(), it.value());
        }
    }
    QDir::setCurrent(previous);
    if (previousTemp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", previousTemp);
    return pictures;
}

} // namespace ManualScreenshots
