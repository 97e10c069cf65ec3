// The live view as the operator and the control software use it: attached to the camera
// while visible, pictures and picture errors, the aids opened by button and by the
// automation interface, their getters, settings edits and their file, saving the shown
// picture, the automation-server mode and the dock.

#include "Automation_Call.h"
#include "Camera_LiveView_Gui.h"
#include "Camera_LiveView_Settings.h"
#include "CameraTestSupport.h"
#include "LiveViewTestSupport.h"

#include <Hobject_View_Gui.h>

#include <QComboBox>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

using namespace CameraTestSupport;
using namespace LiveViewTestSupport;
using Halcon::Hobject;

namespace {

class RecordingCallbacks : public Camera_LiveView_Gui::CallbackFunctions {
public:
    void visibilityChanged(bool visible) override { calls.append(visible); }
    QList<bool> calls;
};

// Squares of 10 pixels, 40 and 200, on 160 x 120: strong edges, mean 120.
Hobject checkerboard()
{
    return HalconTestPictures::grayImage(160, 120, [](int r, int c) { return (r / 10 + c / 10) % 2 ? 200 : 40; });
}

Hobject flat(int value)
{
    return HalconTestPictures::grayImage(160, 120, [value](int, int) { return value; });
}

template <typename T>
T* child(QWidget& widget, const char* name)
{
    T* found = widget.findChild<T*>(QLatin1String(name));
    if (!found)
        qWarning("no %s", name);
    return found;
}

QString text(QWidget& widget, const char* label)
{
    return child<QLabel>(widget, label)->text();
}

bool showsState(Camera_LiveView_Gui& live, const char* picture)
{
    const QImage shown = child<QLabel>(live, "m_QLabel_LiveViewState")->pixmap().toImage();
    return !shown.isNull() && shown == QPixmap(QStringLiteral("pictures:/CameraLiveView/") + picture).toImage();
}

QString savedFile()
{
    QFile file(Camera_LiveView_Settings::defaultFilePath());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// What a live view needs around it: a working folder for its file, a camera (closed) and
// the view itself, made and destroyed in that order.
struct LiveView {
    LiveView()
        : live(std::make_unique<Camera_LiveView_Gui>(&callbacks, &camera.camera))
    {
    }
    ~LiveView() { live.reset(); }
    // Shown and attached to the camera; pictures then come through SetPicture.
    bool show()
    {
        live->show();
        return QTest::qWaitForWindowExposed(live.get()) && camera.camera.IsLiveMode();
    }
    void deliver(const Hobject& picture) { camera.camera.SetPicture(picture); }

    WorkingFolder folder;
    RecordingCallbacks callbacks;
    CameraFixture camera;
    std::unique_ptr<Camera_LiveView_Gui> live;
};

} // namespace

class tst_Camera_LiveView_Gui : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void loadsItsSettingsFile();
    void visibilityAttachesTheCamera();
    void picturesAndPictureErrors();
    void cameraOpenAndClose();
    void focusAidByAutomation();
    void apertureAidByAutomation();
    void homogeneityAidByAutomation();
    void getterWaitsForTheFirstLivePicture();
    void getterWithoutResultTimesOut();
    void getterForACallEndsWithItsOwnWait();
    void showRefusesNonsense_data();
    void showRefusesNonsense();
    void invalidFilterModeStopsTheHomogeneityAid();
    void panelButtonsOpenAndClose();
    void aidAreaFollowsTheRecord();
    void editsAreSaved();
    void clearedFilterListChangesNothing();
    void savePicture_data();
    void savePicture();
    void savePictureRefusesSizes_data();
    void savePictureRefusesSizes();
    void dockableButton();
    void asAutomationServer();
};

void tst_Camera_LiveView_Gui::initTestCase()
{
    prepareCameraTests();
    startLibrary(this);
}

void tst_Camera_LiveView_Gui::cleanupTestCase()
{
    QuendralLibrary::Stop();
    Sim::reset();
}

void tst_Camera_LiveView_Gui::init()
{
    resetSimulation();
    setWaitTimeout(kLongWait);
}

void tst_Camera_LiveView_Gui::loadsItsSettingsFile()
{
    WorkingFolder folder;
    Camera_LiveView_Settings written;
    written.CameraFocus.Labware.SizeX = 33.5;
    written.CameraHomogeneous.Homogeneous.FilterMeanMode = 9;
    QVERIFY(written.SaveToFile(Camera_LiveView_Settings::defaultFilePath()));
    {
        Camera_LiveView_Gui live(nullptr, nullptr);
        QCOMPARE(live.settings()->CameraFocus.Labware.SizeX, 33.5);
        QCOMPARE(child<QDoubleSpinBox>(live, "m_QDoubleSpinBox_CameraFocus_Labware_SizeX")->value(), 33.5);
        QCOMPARE(child<QComboBox>(live, "m_QComboBox_CameraHomogeneous_Homogeneous_FilterMeanMode")->currentIndex(), 8);
        QCOMPARE(live.objectName(), QStringLiteral("Camera_LiveView_Gui"));
        QVERIFY(child<QGroupBox>(live, "m_QGroupBox_CameraFocus")->isHidden());
    }
    // A damaged file leaves the defaults and is not touched.
    QFile damaged(Camera_LiveView_Settings::defaultFilePath());
    QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("<CameraSettings><CameraFocus>");
    damaged.close();
    Camera_LiveView_Gui live(nullptr, nullptr);
    QCOMPARE(live.settings()->data(), Camera_LiveView_Settings_Data());
    QCOMPARE(savedFile(), QStringLiteral("<CameraSettings><CameraFocus>"));
}

void tst_Camera_LiveView_Gui::visibilityAttachesTheCamera()
{
    LiveView v;
    QVERIFY(!v.camera.camera.IsLiveMode());
    QVERIFY(v.show());
    QCOMPARE(v.callbacks.calls, (QList<bool>{true}));
    v.live->hide();
    QVERIFY(!v.camera.camera.IsLiveMode());
    QCOMPARE(v.callbacks.calls, (QList<bool>{true, false}));
    // A hidden view ignores pictures, even one already on its way.
    v.camera.camera.SetLiveMode(true);
    v.deliver(checkerboard());
    int width = 0, height = 0;
    v.live->view()->getPictureSize(width, height);
    QCOMPARE(width, 0);
    // Shown again it asks for live pictures, although the camera is closed.
    QVERIFY(v.show());
    QVERIFY(!v.camera.camera.IsOpen());
}

void tst_Camera_LiveView_Gui::picturesAndPictureErrors()
{
    LiveView v;
    QVERIFY(v.show());
    QVERIFY(showsState(*v.live, "StateOff.png"));
    emit v.camera.camera.signal_picture(14, Hobject());
    emit v.camera.camera.signal_picture(18, Hobject());
    QCOMPARE(text(*v.live, "m_QLabel_ErrorCounter"), QStringLiteral("2"));
    QVERIFY(showsState(*v.live, "StateError.png"));
    int width = 0, height = 0;
    v.live->view()->getPictureSize(width, height);
    QCOMPARE(width, 0);

    v.deliver(checkerboard());
    v.live->view()->getPictureSize(width, height);
    QCOMPARE(QSize(width, height), QSize(160, 120));
    QVERIFY(showsState(*v.live, "StateGrabbed.png"));
    // The grabbed sign gives way after its moment.
    QTRY_VERIFY_WITH_TIMEOUT(showsState(*v.live, "StateOn.png"), 10000);
    QCOMPARE(text(*v.live, "m_QLabel_ErrorCounter"), QStringLiteral("2"));
}

void tst_Camera_LiveView_Gui::cameraOpenAndClose()
{
    LiveView v;
    QVERIFY(v.show());
    v.deliver(checkerboard());
    QCOMPARE(v.live->Draw_Cross("A", 10, 10, 5, 0, "red", 1), 0);
    emit v.camera.camera.signal_picture(14, Hobject());
    QCOMPARE(v.live->CameraFocus_Show(10, 10, 60, 40, 0, 13, 30), 0);
    v.deliver(checkerboard());
    double current = 0, maximum = 0, lower = 0;
    bool inTolerance = false;
    QCOMPARE(v.live->CameraFocus_GetCurrentValue(current, maximum, lower, inTolerance), 0);
    QVERIFY(maximum > 0);

    emit v.camera.camera.signal_close();
    QVERIFY(!v.camera.camera.IsLiveMode());
    QVERIFY(showsState(*v.live, "StateOff.png"));
    QCOMPARE(v.live->view()->getPictureCount(), 0);
    QCOMPARE(text(*v.live, "m_QLabel_CameraFocus_Value"), QString());
    QCOMPARE(child<QSlider>(*v.live, "m_QSlider_CameraFocus")->value(), 0);

    emit v.camera.camera.signal_open();
    QVERIFY(v.camera.camera.IsLiveMode());
    QVERIFY(showsState(*v.live, "StateOn.png"));
    QCOMPARE(text(*v.live, "m_QLabel_ErrorCounter"), QStringLiteral("none"));
    int images = 0, contours = 0, polygons = 0, regions = 0, texts = 0, lines = 0, crosses = 0;
    v.live->view()->getObjectStatistics(images, contours, polygons, regions, texts, lines, crosses);
    QCOMPARE(crosses, 0);
    // The aid stays open and keeps its maximum; it has no fresh result until a picture.
    setWaitTimeout(kShortWait);
    QCOMPARE(v.live->CameraFocus_GetCurrentValue(current, maximum, lower, inTolerance), 15);
    v.deliver(flat(90));
    QCOMPARE(v.live->CameraFocus_GetCurrentValue(current, maximum, lower, inTolerance), 0);
    QCOMPARE(current, 0.0);
    QVERIFY(maximum > 0);
}

void tst_Camera_LiveView_Gui::focusAidByAutomation()
{
    LiveView v;
    QVERIFY(v.show());
    QCOMPARE(v.live->CameraFocus_Show(5, 5, 80, 60, 10, 13, 30), 0);
    QCOMPARE(v.live->settings()->CameraFocus.Labware.Angle, 10.0);
    QCOMPARE(child<QDoubleSpinBox>(*v.live, "m_QDoubleSpinBox_CameraFocus_Labware_SizeX")->value(), 80.0);
    QVERIFY(child<QGroupBox>(*v.live, "m_QGroupBox_CameraFocus")->isVisible());
    // Neither saved nor announced.
    QCOMPARE(savedFile(), QString());

    v.deliver(checkerboard());
    double current = 0, maximum = 0, lower = 0;
    bool inTolerance = false;
    QCOMPARE(v.live->CameraFocus_GetCurrentValue(current, maximum, lower, inTolerance), 0);
    QVERIFY(current > 13.0);
    QCOMPARE(maximum, current);
    QVERIFY(std::abs(lower - 11.64) < 1e-9);
    QVERIFY(inTolerance);
    QCOMPARE(text(*v.live, "m_QLabel_CameraFocus_LowerLimitValue"), QStringLiteral("(11.6)"));
    QCOMPARE(text(*v.live, "m_QLabel_CameraFocus_Value"), QString::number(current, 'f', 1));
    QCOMPARE(child<QSlider>(*v.live, "m_QSlider_CameraFocus")->value(), 255);
    QVERIFY(child<QSlider>(*v.live, "m_QSlider_CameraFocus")->styleSheet().contains("background: #0f0;"));
    Hobject outline;
    bool visible = false, selected = false;
    QVERIFY(v.live->view()->getObject("LiveImage.CameraFocus.Area.", outline, visible, selected));
    QVERIFY(visible);

    // A blurred picture: the maximum stays, the current value falls below the limit.
    v.deliver(flat(120));
    QCOMPARE(v.live->CameraFocus_GetCurrentValue(current, maximum, lower, inTolerance), 0);
    QCOMPARE(current, 0.0);
    QVERIFY(maximum > 13.0);
    QVERIFY(!inTolerance);
    QCOMPARE(child<QSlider>(*v.live, "m_QSlider_CameraFocus")->value(), 0);
    QCOMPARE(child<QSlider>(*v.live, "m_QSlider_CameraFocusMaximum")->value(), 255);
    QVERIFY(child<QSlider>(*v.live, "m_QSlider_CameraFocus")->styleSheet().contains("background: #f00;"));

    // Shown again, the maximum starts anew.
    QCOMPARE(v.live->CameraFocus_Show(5, 5, 80, 60, 10, 13, 30), 0);
    QCOMPARE(text(*v.live, "m_QLabel_CameraFocus_ValueMaximum"), QString());
    v.deliver(flat(120));
    QCOMPARE(v.live->CameraFocus_GetCurrentValue(current, maximum, lower, inTolerance), 0);
    QCOMPARE(maximum, 0.0);
}

void tst_Camera_LiveView_Gui::apertureAidByAutomation()
{
    LiveView v;
    QVERIFY(v.show());
    QCOMPARE(v.live->CameraAperture_Show(10, 10, 50, 40, 0, 127, 10), 0);
    v.deliver(flat(127));
    double current = 0, lower = 0, upper = 0;
    bool inTolerance = false;
    QCOMPARE(v.live->CameraAperture_GetCurrentValue(current, lower, upper, inTolerance), 0);
    QCOMPARE(current, 127.0);
    QVERIFY(inTolerance);
    QCOMPARE(text(*v.live, "m_QLabel_CameraAperture_LowerLimitValue"), QStringLiteral("(125.9)"));
    QCOMPARE(text(*v.live, "m_QLabel_CameraAperture_UpperLimitValue"), QStringLiteral("(128.1)"));
    QCOMPARE(child<QSlider>(*v.live, "m_QSlider_CameraAperture")->value(), 127);
    v.deliver(flat(140));
    QCOMPARE(v.live->CameraAperture_GetCurrentValue(current, lower, upper, inTolerance), 0);
    QCOMPARE(current, 140.0);
    QVERIFY(!inTolerance);
    QCOMPARE(child<QSlider>(*v.live, "m_QSlider_CameraAperture")->value(), 255);
}

void tst_Camera_LiveView_Gui::homogeneityAidByAutomation()
{
    LiveView v;
    QVERIFY(v.show());
    QCOMPARE(v.live->CameraHomogeneous_Show(10, 10, 50, 40, 0, 1, 13, 10), 0);
    QCOMPARE(child<QComboBox>(*v.live, "m_QComboBox_CameraHomogeneous_Homogeneous_FilterMeanMode")->currentIndex(), 0);
    v.deliver(flat(100));
    double current = 0, maximum = 0, lower = 0;
    bool inTolerance = false;
    QCOMPARE(v.live->CameraHomogeneous_GetCurrentValue(current, maximum, lower, inTolerance), 0);
    QCOMPARE(current, 100.0);
    QVERIFY(inTolerance);
    QCOMPARE(text(*v.live, "m_QLabel_CameraHomogeneous_LowerLimitValue"), QStringLiteral("(8.9)"));
    // Half the area dark: its part is filled black, the outline drawn on top.
    v.deliver(HalconTestPictures::grayImage(160, 120, [](int, int c) { return c < 80 ? 20 : 100; }));
    QCOMPARE(v.live->CameraHomogeneous_GetCurrentValue(current, maximum, lower, inTolerance), 0);
    QVERIFY(current < 60.0);
    QCOMPARE(maximum, 100.0);
    Hobject dark;
    bool visible = false, selected = false;
    QVERIFY(v.live->view()->getObject("LiveImage.CameraHomogeneous.Threshold.Lower.", dark, visible, selected));
    QVERIFY(v.live->view()->getObject("LiveImage.CameraHomogeneous.Area.", dark, visible, selected));
}

void tst_Camera_LiveView_Gui::getterWaitsForTheFirstLivePicture()
{
    LiveView v;
    QVERIFY(openAndRun(v.camera));
    QVERIFY(v.show());
    QCOMPARE(v.live->CameraAperture_Show(10, 10, 50, 40, 0, 127, 10), 0);
    double current = -1, lower = 0, upper = 0;
    bool inTolerance = false;
    // The simulated camera's generated plate picture is not black.
    QCOMPARE(v.live->CameraAperture_GetCurrentValue(current, lower, upper, inTolerance), 0);
    QVERIFY(current > 0.0);
    QVERIFY(showsState(*v.live, "StateOn.png") || showsState(*v.live, "StateGrabbed.png"));
    v.live->hide();
    QCOMPARE(v.camera.camera.Close(), 0);
}

void tst_Camera_LiveView_Gui::getterWithoutResultTimesOut()
{
    setWaitTimeout(kShortWait);
    LiveView v;
    QVERIFY(v.show());
    v.deliver(checkerboard());
    double a = 5, b = 5, c = 5;
    bool inTolerance = true;
    // Never shown: pictures come, but the aid makes no result.
    QCOMPARE(v.live->CameraFocus_GetCurrentValue(a, b, c, inTolerance), 15);
    QCOMPARE(QList<double>({a, b, c}), QList<double>({0.0, 0.0, 0.0}));
    QVERIFY(!inTolerance);
    QCOMPARE(v.live->CameraAperture_GetCurrentValue(a, b, c, inTolerance), 15);
    QCOMPARE(v.live->CameraHomogeneous_GetCurrentValue(a, b, c, inTolerance), 15);
}

void tst_Camera_LiveView_Gui::getterForACallEndsWithItsOwnWait()
{
    setWaitTimeout(kLongWait);
    LiveView v;
    QVERIFY(v.show());
    QCOMPARE(v.live->CameraFocus_Show(5, 5, 80, 60, 10, 13, 30), 0);
    const int owner = 0;
    const std::shared_ptr<Automation_Call> call = Automation_Call::create(&owner);
    int finished = Automation_Call::Pending;
    call->setFinished([&finished](int code) { finished = code; });
    double current = -1, maximum = -1, lower = -1;
    bool inTolerance = true;
    // No picture yet: the call waits, the outputs at their presets until it ends.
    QCOMPARE(int(v.live->CameraFocus_GetCurrentValue(current, maximum, lower, inTolerance, call.get())),
             Automation_Call::Pending);
    QCOMPARE(current, 0.0);
    QVERIFY(!inTolerance);
    v.deliver(checkerboard());
    QTRY_COMPARE(finished, 0);
    QVERIFY(current > 13.0);
    QCOMPARE(maximum, current);
    QVERIFY(inTolerance);

    // The aperture aid never shown gets no result: its own (short) wait ends the call.
    setWaitTimeout(kShortWait);
    const std::shared_ptr<Automation_Call> unanswered = Automation_Call::create(&owner);
    finished = Automation_Call::Pending;
    unanswered->setFinished([&finished](int code) { finished = code; });
    double a = 5, b = 5, c = 5;
    QCOMPARE(int(v.live->CameraAperture_GetCurrentValue(a, b, c, inTolerance, unanswered.get())),
             Automation_Call::Pending);
    QTRY_COMPARE(finished, 15);
    QCOMPARE(QList<double>({a, b, c}), QList<double>({0.0, 0.0, 0.0}));
}

void tst_Camera_LiveView_Gui::showRefusesNonsense_data()
{
    QTest::addColumn<QString>("aid");
    QTest::addColumn<QList<double>>("area"); // x, y, width, height, angle
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("sensibility");
    QTest::addColumn<int>("mode");
    const QList<double> good{10, 10, 50, 40, 0};
    QTest::newRow("focus sensibility 0") << "focus" << good << 13.0 << 0.0 << 4;
    QTest::newRow("focus width 0") << "focus" << QList<double>{10, 10, 0, 40, 0} << 13.0 << 30.0 << 4;
    QTest::newRow("focus threshold not a number") << "focus" << good << std::nan("") << 30.0 << 4;
    QTest::newRow("aperture negative sensibility") << "aperture" << good << 127.0 << -1.0 << 4;
    QTest::newRow("aperture height 0") << "aperture" << QList<double>{10, 10, 50, 0, 0} << 127.0 << 10.0 << 4;
    QTest::newRow("homogeneity filter 0") << "homogeneity" << good << 13.0 << 10.0 << 0;
    QTest::newRow("homogeneity filter 14") << "homogeneity" << good << 13.0 << 10.0 << 14;
    QTest::newRow("homogeneity sensibility 0") << "homogeneity" << good << 13.0 << 0.0 << 4;
    QTest::newRow("homogeneity infinite angle") << "homogeneity" << QList<double>{10, 10, 50, 40, INFINITY} << 13.0
                                                << 10.0 << 4;
}

void tst_Camera_LiveView_Gui::showRefusesNonsense()
{
    QFETCH(QString, aid);
    QFETCH(QList<double>, area);
    QFETCH(double, value);
    QFETCH(double, sensibility);
    QFETCH(int, mode);
    setWaitTimeout(kShortWait);
    LiveView v;
    QVERIFY(v.show());
    const Camera_LiveView_Settings_Data before = v.live->settings()->data();
    double a = 0, b = 0, c = 0;
    bool inTolerance = false;
    Errors::Type_Error shown = 0, read = 0;
    v.deliver(checkerboard());
    if (aid == "focus") {
        shown = v.live->CameraFocus_Show(area[0], area[1], area[2], area[3], area[4], value, sensibility);
        v.deliver(checkerboard());
        read = v.live->CameraFocus_GetCurrentValue(a, b, c, inTolerance);
    } else if (aid == "aperture") {
        shown = v.live->CameraAperture_Show(area[0], area[1], area[2], area[3], area[4], value, sensibility);
        v.deliver(checkerboard());
        read = v.live->CameraAperture_GetCurrentValue(a, b, c, inTolerance);
    } else {
        shown = v.live->CameraHomogeneous_Show(area[0], area[1], area[2], area[3], area[4], mode, value, sensibility);
        v.deliver(checkerboard());
        read = v.live->CameraHomogeneous_GetCurrentValue(a, b, c, inTolerance);
    }
    QCOMPARE(shown, 3);
    QCOMPARE(v.live->settings()->data(), before);
    QCOMPARE(read, 15);
}

void tst_Camera_LiveView_Gui::invalidFilterModeStopsTheHomogeneityAid()
{
    LiveView v;
    QVERIFY(v.show());
    QCOMPARE(v.live->CameraHomogeneous_Show(10, 10, 50, 40, 0, 2, 13, 10), 0);
    v.deliver(flat(100));
    double current = 0, maximum = 0, lower = 0;
    bool inTolerance = false;
    QCOMPARE(v.live->CameraHomogeneous_GetCurrentValue(current, maximum, lower, inTolerance), 0);
    QCOMPARE(current, 100.0);
    QCOMPARE(v.live->CameraHomogeneous_Show(20, 20, 30, 30, 0, 14, 50, 1), 3);
    QCOMPARE(v.live->settings()->CameraHomogeneous.Homogeneous.FilterMeanMode, 2);
    QCOMPARE(v.live->settings()->CameraHomogeneous.Labware.PositionX, 10.0);
    // No further picture is evaluated: the last result stands.
    v.deliver(HalconTestPictures::grayImage(160, 120, [](int, int c) { return c < 80 ? 20 : 100; }));
    QCOMPARE(v.live->CameraHomogeneous_GetCurrentValue(current, maximum, lower, inTolerance), 0);
    QCOMPARE(current, 100.0);
}

void tst_Camera_LiveView_Gui::panelButtonsOpenAndClose()
{
    LiveView v;
    QVERIFY(v.show());
    QToolButton* button = child<QToolButton>(*v.live, "m_QToolButton_AdjustCameraFocus");
    QGroupBox* panel = child<QGroupBox>(*v.live, "m_QGroupBox_CameraFocus");
    button->click();
    QVERIFY(panel->isVisible());
    QVERIFY(child<QGroupBox>(*v.live, "m_QGroupBox_CameraFocus_Labware")->isVisible());
    QVERIFY(child<QGroupBox>(*v.live, "m_QGroupBox_CameraFocus_GradientValue")->isVisible());
    QVERIFY(child<QSlider>(*v.live, "m_QSlider_CameraFocus")->styleSheet().contains("background: white;"));
    v.deliver(checkerboard());
    const QString sharpMaximum = text(*v.live, "m_QLabel_CameraFocus_ValueMaximum");
    QVERIFY(sharpMaximum.toDouble() > 13.0);
    v.deliver(flat(10));
    QCOMPARE(text(*v.live, "m_QLabel_CameraFocus_ValueMaximum"), sharpMaximum);

    button->click();
    QVERIFY(panel->isHidden());
    Hobject outline;
    bool visible = false, selected = false;
    QVERIFY(!v.live->view()->getObject("LiveImage.CameraFocus.Area.", outline, visible, selected));
    v.deliver(checkerboard());
    QVERIFY(!v.live->view()->getObject("LiveImage.CameraFocus.Area.", outline, visible, selected));

    // Reopened, the maximum starts again from 0.
    button->click();
    QCOMPARE(text(*v.live, "m_QLabel_CameraFocus_ValueMaximum"), QString());
    v.deliver(flat(10));
    QCOMPARE(text(*v.live, "m_QLabel_CameraFocus_ValueMaximum"), QStringLiteral("0.0"));

    // Hiding the view closes every aid.
    child<QToolButton>(*v.live, "m_QToolButton_AdjustCameraAperture")->click();
    v.live->hide();
    QVERIFY(panel->isHidden());
    QVERIFY(child<QGroupBox>(*v.live, "m_QGroupBox_CameraAperture")->isHidden());
}

void tst_Camera_LiveView_Gui::aidAreaFollowsTheRecord()
{
    LiveView v;
    QVERIFY(v.show());
    QCOMPARE(v.live->CameraAperture_Show(0, 0, 45, 70, 0, 127, 10), 0);
    // Left half 20, right half 220: the area over the left half sees 20 only.
    v.deliver(HalconTestPictures::grayImage(160, 120, [](int, int c) { return c < 80 ? 20 : 220; }));
    double current = 0, lower = 0, upper = 0;
    bool inTolerance = false;
    QCOMPARE(v.live->CameraAperture_GetCurrentValue(current, lower, upper, inTolerance), 0);
    QCOMPARE(current, 20.0);
    // Moved by the form to the right half.
    child<QDoubleSpinBox>(*v.live, "m_QDoubleSpinBox_CameraAperture_Labware_PositionX")->setValue(52.0);
    child<QDoubleSpinBox>(*v.live, "m_QDoubleSpinBox_CameraAperture_Labware_SizeX")->setValue(45.0);
    v.deliver(HalconTestPictures::grayImage(160, 120, [](int, int c) { return c < 80 ? 20 : 220; }));
    QCOMPARE(v.live->CameraAperture_GetCurrentValue(current, lower, upper, inTolerance), 0);
    QCOMPARE(current, 220.0);
}

void tst_Camera_LiveView_Gui::editsAreSaved()
{
    LiveView v;
    QSignalSpy custom(v.live->settings(), &Camera_LiveView_Settings::signal_custom);
    QSignalSpy changed(v.live->settings(), &Settings_Change_Helper::signal_changed);
    child<QDoubleSpinBox>(*v.live, "m_QDoubleSpinBox_CameraFocus_GradientValue_Sensibility")->setValue(12.5);
    QCOMPARE(v.live->settings()->CameraFocus.GradientValue.Sensibility, 12.5);
    QVERIFY(savedFile().contains("<Sensibility>12.5</Sensibility>"));
    QCOMPARE(custom.count(), 1);
    QCOMPARE(custom.first().at(0).toInt(), 3);
    QVERIFY(changed.wait(5000));

    child<QComboBox>(*v.live, "m_QComboBox_CameraHomogeneous_Homogeneous_FilterMeanMode")->setCurrentIndex(12);
    QCOMPARE(v.live->settings()->CameraHomogeneous.Homogeneous.FilterMeanMode, 13);
    QVERIFY(savedFile().contains("<FilterMeanMode>13</FilterMeanMode>"));

    // What the measuring-area tool stores reaches the form; its end saves the file.
    v.live->settings()->CameraHomogeneous.Labware.SizeY = 22.5;
    v.live->settings()->SetCustom(Camera_LiveView_Settings::CustomSignal_Refresh, false);
    QCOMPARE(child<QDoubleSpinBox>(*v.live, "m_QDoubleSpinBox_CameraHomogeneous_Labware_SizeY")->value(), 22.5);
    QVERIFY(!savedFile().contains("<SizeY>22.5</SizeY>"));
    v.live->settings()->SetCustom(Camera_LiveView_Settings::CustomSignal_Refresh, true);
    QVERIFY(savedFile().contains("<SizeY>22.5</SizeY>"));
}

void tst_Camera_LiveView_Gui::clearedFilterListChangesNothing()
{
    LiveView v;
    QComboBox* filter = child<QComboBox>(*v.live, "m_QComboBox_CameraHomogeneous_Homogeneous_FilterMeanMode");
    filter->setCurrentIndex(-1);
    QCOMPARE(v.live->settings()->CameraHomogeneous.Homogeneous.FilterMeanMode, 4);
    QCOMPARE(savedFile(), QString());
}

void tst_Camera_LiveView_Gui::savePicture_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<QSize>("size");
    QTest::newRow("0: as shown") << 0 << QSize(160, 120);
    QTest::newRow("100: as shown") << 100 << QSize(160, 120);
    QTest::newRow("50: half") << 50 << QSize(80, 60);
    QTest::newRow("400: fourfold") << 400 << QSize(640, 480);
}

void tst_Camera_LiveView_Gui::savePicture()
{
    QFETCH(int, percent);
    QFETCH(QSize, size);
    LiveView v;
    QVERIFY(v.show());
    v.deliver(flat(0));
    // The marks are part of the saved picture.
    QCOMPARE(v.live->Draw_Rectangle("A", 25, 25, 50, 25, 0, "yellow", 1, "fill"), 0);
    const QString path = v.folder.filePath("live.png");
    QCOMPARE(v.live->SavePicture(path, "png", percent), 0);
    Hobject saved;
    QCOMPARE(Halcon_Helper::LoadImageFile(path, saved), 0);
    int width = 0, height = 0;
    QCOMPARE(Halcon_Helper::GetImageSize(saved, width, height), 0);
    QCOMPARE(QSize(width, height), size);
    const int row = height / 2;
    const int column = width / 2;
    QVERIFY(HalconTestPictures::pixel(saved, row, column, 0) > 200);
    QVERIFY(HalconTestPictures::pixel(saved, row, column, 2) < 60);
    QCOMPARE(HalconTestPictures::pixel(saved, 2, 2, 0), 0);
}

void tst_Camera_LiveView_Gui::savePictureRefusesSizes_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<bool>("picture");
    QTest::addColumn<int>("error");
    QTest::newRow("401 percent") << 401 << true << 3;
    QTest::newRow("-50 percent") << -50 << true << 3;
    QTest::newRow("huge") << 1000000 << true << 3;
    QTest::newRow("no picture") << 50 << false << 15;
}

void tst_Camera_LiveView_Gui::savePictureRefusesSizes()
{
    QFETCH(int, percent);
    QFETCH(bool, picture);
    QFETCH(int, error);
    setWaitTimeout(kShortWait);
    LiveView v;
    QVERIFY(v.show());
    if (picture)
        v.deliver(flat(0));
    const QString path = v.folder.filePath("live.png");
    QCOMPARE(int(v.live->SavePicture(path, "png", percent)), error);
    QVERIFY(!QFile::exists(path));
}

void tst_Camera_LiveView_Gui::dockableButton()
{
    WorkingFolder folder;
    QMainWindow window;
    auto* dock = new QDockWidget(QStringLiteral("Camera live view"), &window);
    window.addDockWidget(Qt::RightDockWidgetArea, dock);
    dock->setFloating(true);
    auto* live = new Camera_LiveView_Gui(nullptr, nullptr, dock);
    dock->setWidget(live);
    QToolButton* dockable = child<QToolButton>(*live, "m_QToolButton_Dockable");
    QVERIFY(!dockable->isHidden());
    QCOMPARE(dock->allowedAreas(), Qt::NoDockWidgetArea);
    QCOMPARE(dock->objectName(), QStringLiteral("Camera_LiveView_Gui"));
    // Locked, a double click on the title bar cannot dock it.
    QEvent doubleClick(QEvent::NonClientAreaMouseButtonDblClick);
    QVERIFY(QCoreApplication::sendEvent(dock, &doubleClick));

    dockable->click();
    QCOMPARE(dock->allowedAreas(), Qt::AllDockWidgetAreas);
    dockable->click();
    QCOMPARE(dock->allowedAreas(), Qt::NoDockWidgetArea);
    dockable->click();
    dock->setFloating(false);
    QVERIFY(dockable->isHidden());
    dock->setFloating(true);
    QVERIFY(!dockable->isHidden());
    QVERIFY(!dockable->isChecked());
    QCOMPARE(dock->allowedAreas(), Qt::NoDockWidgetArea);
}

void tst_Camera_LiveView_Gui::asAutomationServer()
{
    startLibrary(this, true);
    {
        LiveView v;
        QVERIFY(child<QToolButton>(*v.live, "m_QToolButton_AdjustCameraFocus")->isHidden());
        QVERIFY(child<QToolButton>(*v.live, "m_QToolButton_AdjustCameraHomogeneous")->isHidden());
        QVERIFY(v.show());
        QCOMPARE(v.live->CameraFocus_Show(10, 10, 50, 40, 0, 13, 30), 0);
        QVERIFY(child<QGroupBox>(*v.live, "m_QGroupBox_CameraFocus")->isVisible());
        QVERIFY(child<QGroupBox>(*v.live, "m_QGroupBox_CameraFocus_Labware")->isHidden());
        QVERIFY(child<QGroupBox>(*v.live, "m_QGroupBox_CameraFocus_GradientValue")->isHidden());
        // Edits are kept in memory only.
        child<QDoubleSpinBox>(*v.live, "m_QDoubleSpinBox_CameraFocus_Labware_PositionY")->setValue(20.0);
        QCOMPARE(v.live->settings()->CameraFocus.Labware.PositionY, 20.0);
        QVERIFY(!QFile::exists(Camera_LiveView_Settings::defaultFilePath()));
    }
    startLibrary(this, false);
}

QTEST_MAIN(tst_Camera_LiveView_Gui)
#include "tst_Camera_LiveView_Gui.moc"
