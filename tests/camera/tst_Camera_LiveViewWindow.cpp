// The live view as the operator sees it: the simulated camera's plate picture streaming in
// a real top-level window, the focus aid open with its measuring area and bar. With
// ZELVORIN_LIVEVIEW_SCREENSHOT set to a file name, the window is also saved there (run with
// QT_QPA_PLATFORM=xcb under xvfb-run for a picture of the real window).

#include "Camera_LiveView_Gui.h"
#include "CameraTestSupport.h"
#include "LiveViewTestSupport.h"

#include <Hobject_View_Gui.h>
#include <Hobject_View_Gui_Picture.h>

#include <QDoubleSpinBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <QWindow>

#include <algorithm>

using namespace CameraTestSupport;
using namespace LiveViewTestSupport;

namespace {

double spinValue(const QWidget& live, const char* name)
{
    return live.findChild<QDoubleSpinBox*>(QLatin1String(name))->value();
}

// The middles of the focus area's four edges and its centre, in the live view's pixels: the
// area of the aid's settings, in percent of the picture's longer side, through the part of
// the picture the viewer shows.
QPolygon focusAreaOnScreen(const Camera_LiveView_Gui& live)
{
    Hobject_View_Gui* view = live.view();
    auto* picture = view->findChild<Hobject_View_Gui_Picture*>();
    int width = 0, height = 0, column1 = 0, row1 = 0, column2 = 0, row2 = 0;
    view->getPictureSize(width, height);
    view->getVisiblePart(column1, row1, column2, row2);
    if (!picture || width == 0)
        return {};
    const double unit = std::max(width, height) / 100.0;
    const double left = spinValue(live, "m_QDoubleSpinBox_CameraFocus_Labware_PositionX") * unit;
    const double top = spinValue(live, "m_QDoubleSpinBox_CameraFocus_Labware_PositionY") * unit;
    const double right = left + spinValue(live, "m_QDoubleSpinBox_CameraFocus_Labware_SizeX") * unit;
    const double bottom = top + spinValue(live, "m_QDoubleSpinBox_CameraFocus_Labware_SizeY") * unit;
    const double scaleX = picture->width() / (column2 - column1 + 1.0);
    const double scaleY = picture->height() / (row2 - row1 + 1.0);
    const auto onScreen = [&](double column, double row) {
        const QPoint inPicture(int((column - column1 + 0.5) * scaleX), int((row - row1 + 0.5) * scaleY));
        return picture->mapTo(&live, inPicture);
    };
    const double middleX = (left + right) / 2.0;
    const double middleY = (top + bottom) / 2.0;
    return QPolygon({onScreen(middleX, top), onScreen(right, middleY), onScreen(middleX, bottom),
                     onScreen(left, middleY), onScreen(middleX, middleY)});
}

bool greenNear(const QImage& image, const QPoint& point, int radius)
{
    for (int y = point.y() - radius; y <= point.y() + radius; ++y)
        for (int x = point.x() - radius; x <= point.x() + radius; ++x) {
            if (!image.valid(x, y))
                continue;
            const QRgb p = image.pixel(x, y);
            if (qGreen(p) > 200 && qRed(p) < 60 && qBlue(p) < 60)
                return true;
        }
    return false;
}

} // namespace

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
        // The measuring area's green outline is on screen where the area lies: the middle of
        // each edge is green, the middle of the area is not (the picture is grey).
        // Where it lies is asked anew: the viewer fits the picture in once it has one.
        auto outlineShown = [&live](const QImage& image) {
            const QPolygon expected = focusAreaOnScreen(live);
            if (expected.isEmpty())
                return false;
            for (const QPoint& point : expected.mid(0, 4))
                if (!greenNear(image, point, 2))
                    return false;
            return !greenNear(image, expected.at(4), 20);
        };
        QImage shot;
        QTRY_VERIFY_WITH_TIMEOUT((shot = grabWindow(), outlineShown(shot)), 10000);
        const QString target = qEnvironmentVariable("ZELVORIN_LIVEVIEW_SCREENSHOT");
        if (!target.isEmpty())
            QVERIFY(shot.save(target, "PNG"));
        live.hide();
    }
    QCOMPARE(camera.camera.Close(), 0);
}

QTEST_MAIN(tst_Camera_LiveViewWindow)
#include "tst_Camera_LiveViewWindow.moc"
