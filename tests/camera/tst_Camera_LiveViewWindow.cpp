// The live view as the operator sees it: the simulated camera's plate picture streaming in
// a real top-level window, the focus aid open with its measuring area and bar. With
// ZELVORIN_LIVEVIEW_SCREENSHOT set to a file name, the window is also saved there (run with
// QT_QPA_PLATFORM=xcb under xvfb-run for a picture of the real window).

#include "Camera_LiveView_Gui.h"
#include "CameraTestSupport.h"
#include "LiveViewTestSupport.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <QWindow>

using namespace CameraTestSupport;
using namespace LiveViewTestSupport;

class tst_Camera_LiveViewWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void showsLivePictureWithFocusAid();
};

void tst_Camera_LiveViewWindow::initTestCase()
{
    prepareCameraTests();
    startLibrary(this);
    setWaitTimeout(kLongWait);
}

void tst_Camera_LiveViewWindow::cleanupTestCase()
{
    QuendralLibrary::Stop();
    Sim::reset();
}

void tst_Camera_LiveViewWindow::showsLivePictureWithFocusAid()
{
    resetSimulation(1296, 972);
    WorkingFolder folder;
    CameraFixture camera;
    QVERIFY(openAndRun(camera));
    {
        Camera_LiveView_Gui live(nullptr, &camera.camera);
        live.setWindowTitle(QStringLiteral("Camera live view"));
        live.resize(760, 900);
        live.show();
        QVERIFY(QTest::qWaitForWindowExposed(&live));
        live.findChild<QToolButton*>("m_QToolButton_AdjustCameraFocus")->click();
        QCOMPARE(live.Draw_Cross("Target", 50, 37.5, 4, 45, "red", 2), 0);
        double current = 0, maximum = 0, lower = 0;
        bool inTolerance = false;
        QCOMPARE(live.CameraFocus_GetCurrentValue(current, maximum, lower, inTolerance), 0);
        QVERIFY(current > 0.0);
        QVERIFY(!live.findChild<QLabel*>("m_QLabel_CameraFocus_Value")->text().isEmpty());

        const bool realWindow = QGuiApplication::platformName() == QLatin1String("xcb");
        auto grabWindow = [&]() -> QImage {
            if (realWindow)
                return live.screen()->grabWindow(live.winId()).toImage().convertToFormat(QImage::Format_RGB32);
            return live.grab().toImage().convertToFormat(QImage::Format_RGB32);
        };
        // The measuring area's green outline is on screen.
        auto greenShown = [](const QImage& image) {
            for (int y = 0; y < image.height(); y += 1)
                for (int x = 0; x < image.width(); x += 1) {
                    const QRgb p = image.pixel(x, y);
                    if (qGreen(p) > 200 && qRed(p) < 60 && qBlue(p) < 60)
                        return true;
                }
            return false;
        };
        QImage shot;
        QTRY_VERIFY_WITH_TIMEOUT((shot = grabWindow(), greenShown(shot)), 10000);
        const QString target = qEnvironmentVariable("ZELVORIN_LIVEVIEW_SCREENSHOT");
        if (!target.isEmpty())
            QVERIFY(shot.save(target, "PNG"));
        live.hide();
    }
    QCOMPARE(camera.camera.Close(), 0);
}

QTEST_MAIN(tst_Camera_LiveViewWindow)
#include "tst_Camera_LiveViewWindow.moc"
