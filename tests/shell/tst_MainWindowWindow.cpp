#include "ColonyAnalyserGui.h"
#include "DemoTruth.h"
#include "Hobject_View_Gui.h"
#include "MainWindowFixture.h"
#include "ui_MainWindowGui.h"

#include <QDockWidget>
#include <QScreen>
#include <QTreeWidget>
#include <QtTest>

using namespace MainWindowFixture;

// The main window as a person sees it after the demo plate was analysed: the Colony Analyser
// page with the plate and its colonies drawn, the colony settings dock beside it. With
// ZELVORIN_MAIN_WINDOW_SCREENSHOT set to a file name the window is saved there (run with
// QT_QPA_PLATFORM=xcb under xvfb-run for a picture of the real window).
class tst_MainWindowWindow : public QObject {
    Q_OBJECT
private slots:
    void demoPlateOnScreen();
};

void tst_MainWindowWindow::demoPlateOnScreen()
{
    ProgramFolder folder;
    QVERIFY(folder.isValid());
    Answers answers;
    WindowUnderTest test(false, answers);
    MainWindowGui& window = test.make();
    // Maximised, as a first start lays the window out.
    window.startShow();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    window.form()->m_QAction_Toolbar_Colony_Demo_Plate->trigger();
    QCOMPARE(DemoTruth::waitForAnalysis(window), Errors::Type_Error(0));
    QVERIFY(answers.boxes.isEmpty());
    int good = 0;
    for (const auto& container : window.colonyAnalyserGui()->rack().containers)
        for (const auto& colony : container->colonies)
            good += colony->row.IsGoodColony ? 1 : 0;
    QVERIFY(good > 100);
    QVERIFY(window.colonySettingsDock()->isVisible());
    // The whole plate in the viewer, as the zoom button shows it.
    window.colonyAnalyserGui()->view()->resetZoom(true);

    const bool realWindow = QGuiApplication::platformName() == QLatin1String("xcb");
    auto grabWindow = [&]() -> QImage {
        if (realWindow)
            return window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
        return window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    // Good colonies are outlined in green on the grey plate.
    auto greenPixels = [](const QImage& image) {
        int count = 0;
        for (int y = 0; y < image.height(); y += 2) {
            const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); x += 2) {
                if (qGreen(line[x]) > 150 && qRed(line[x]) < 100 && qBlue(line[x]) < 100)
                    ++count;
            }
        }
        return count;
    };
    QImage shot;
    QTRY_VERIFY_WITH_TIMEOUT((shot = grabWindow(), greenPixels(shot) > 200), 20000);

    const QString target = qEnvironmentVariable("ZELVORIN_MAIN_WINDOW_SCREENSHOT");
    if (!target.isEmpty())
        QVERIFY(shot.save(target, "PNG"));
}

QTEST_MAIN(tst_MainWindowWindow)
#include "tst_MainWindowWindow.moc"
