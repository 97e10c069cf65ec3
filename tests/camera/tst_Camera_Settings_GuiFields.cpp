// Every field of the camera settings editor as the operator changes it: the value reaches
// its own field of the record and no other, the mark and the change notice follow, and an
// open camera takes the value (or reopens for a device field). The exposure step buttons.

#include "CameraSettingsGuiFixture.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <atomic>
#include <map>
#include <thread>

using namespace CameraTestSupport;
using CameraSettingsGuiFixture::Editor;
using CameraSettingsGuiFixture::drive;

namespace {

QString number(double value)
{
    return QString::number(value, 'g', 12);
}

QString flag(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// Every field of the record as text, by name.
std::map<QString, QString> fields(const Camera_Settings_Data& d)
{
    return {
        {"CameraInterface", number(d.Device.CameraInterface)},
        {"CameraType", d.Device.CameraType},
        {"CameraDevice", d.Device.CameraDevice},
        {"CameraSerialNumber", d.Device.CameraSerialNumber},
        {"ConnectionMode", number(d.Device.ConnectionMode)},
        {"UseCameraIniFile", flag(d.Device.UseCameraIniFile)},
        {"CameraIniFile", d.Device.CameraIniFile},
        {"ColorSpace", number(d.Settings.ColorSpace)},
        {"ExposureTime", number(d.Settings.ExposureTime)},
        {"FrameRate", number(d.Settings.FrameRate)},
        {"FrameRateMaxMode", flag(d.Settings.FrameRateMaxMode)},
        {"PixelClock", number(d.Settings.PixelClock)},
        {"EdgeEnhancement", number(d.Settings.EdgeEnhancement)},
        {"GainMaster", number(d.Settings.GainMaster)},
        {"GammaCorrection", number(d.Settings.GammaCorrection)},
        {"WhiteBalanceMode", number(d.Settings.WhiteBalanceMode)},
        {"WhiteBalanceR", number(d.Settings.WhiteBalanceR)},
        {"WhiteBalanceG", number(d.Settings.WhiteBalanceG)},
        {"WhiteBalanceB", number(d.Settings.WhiteBalanceB)},
        {"MirrorLeftRight", flag(d.Picture.MirrorLeftRight)},
        {"MirrorUpDown", flag(d.Picture.MirrorUpDown)},
        {"Rotate", number(d.Picture.Rotate)},
        {"Multiples", number(d.Picture.Multiples)},
        {"TriggerUsed", flag(d.ExternalTrigger.Used)},
        {"TriggerSignal", number(d.ExternalTrigger.TriggerSignal)},
        {"TriggerTimeout", number(d.ExternalTrigger.TriggerTimeout)},
        {"TriggerDelay", number(d.ExternalTrigger.TriggerDelay)},
        {"FlashUsed", flag(d.ExternalFlash.Used)},
        {"StrobeInvert", flag(d.ExternalFlash.StrobeInvert)},
        {"StrobeDelay", number(d.ExternalFlash.StrobeDelay)},
        {"StrobeDuration", number(d.ExternalFlash.StrobeDuration)},
    };
}

QStringList changedFields(const Camera_Settings_Data& before, const Camera_Settings_Data& after)
{
    const std::map<QString, QString> a = fields(before);
    const std::map<QString, QString> b = fields(after);
    QStringList changed;
    for (const auto& [name, text] : a) {
        if (b.at(name) != text)
            changed.append(name);
    }
    return changed;
}

// Everything of the form enabled: a colour camera with white balance by user, a camera of
// its own (so that the connection mode counts), every checkable group on; edge enhancement
// weak.
void allEnabled(Camera_Settings& s)
{
    s.Settings.ColorSpace = 2;
    s.Settings.WhiteBalanceMode = 4;
    s.Settings.EdgeEnhancement = 2;
    s.Settings.FrameRateMaxMode = false;
    s.Device.CameraSerialNumber = QStringLiteral("4102012345");
    s.Device.UseCameraIniFile = true;
    s.ExternalTrigger.Used = true;
    s.ExternalFlash.Used = true;
}

} // namespace

class tst_Camera_Settings_GuiFields : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void editReachesItsField_data();
    void editReachesItsField();
    void editReachesTheOpenCamera_data();
    void editReachesTheOpenCamera();
    void deviceFieldsReopenTheCamera_data();
    void deviceFieldsReopenTheCamera();
    void triggerOffEndsAWaitingGrab();
    void exposureSteps_data();
    void exposureSteps();
    void sliderEndsAreValuesTheCameraTakes_data();
    void sliderEndsAreValuesTheCameraTakes();
};

void tst_Camera_Settings_GuiFields::initTestCase()
{
    prepareCameraTests();
}

void tst_Camera_Settings_GuiFields::init()
{
    resetSimulation();
}

void tst_Camera_Settings_GuiFields::cleanupTestCase()
{
    Sim::reset();
}

void tst_Camera_Settings_GuiFields::editReachesItsField_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("labelText");

    QTest::newRow("grey") << "m_QRadioButton_ColorMode_Gray" << QVariant(true) << "ColorSpace" << "1" << "" << "";
    QTest::newRow("exposure in tenths") << "m_QSlider_ExposureTime" << QVariant(1234) << "ExposureTime" << "123.4"
                                        << "m_QLabel_ExposureTime" << "123.4";
    QTest::newRow("frame rate in tenths") << "m_QSlider_FrameRate" << QVariant(125) << "FrameRate" << "12.5"
                                          << "m_QLabel_FrameRate" << "12.5";
    QTest::newRow("top frame rate") << "m_QGroupBox_FrameRate" << QVariant(false) << "FrameRateMaxMode" << "true"
                                    << "" << "";
    QTest::newRow("pixel clock") << "m_QSlider_PixelClock" << QVariant(30) << "PixelClock" << "30"
                                 << "m_QLabel_PixelClock" << "30";
    QTest::newRow("edge disable") << "m_QRadioButton_EdgeEnhancement_Disable" << QVariant(true) << "EdgeEnhancement"
                                  << "1" << "" << "";
    QTest::newRow("edge strong") << "m_QRadioButton_EdgeEnhancement_Strong" << QVariant(true) << "EdgeEnhancement"
                                 << "3" << "" << "";
    QTest::newRow("white balance auto") << "m_QComboBox_WhiteBalanceMode" << QVariant(1) << "WhiteBalanceMode" << "2"
                                        << "" << "";
    QTest::newRow("red") << "m_QSlider_WhiteBalance_R" << QVariant(77) << "WhiteBalanceR" << "77"
                         << "m_QLabel_WhiteBalance_R" << "77";
    QTest::newRow("green") << "m_QSlider_WhiteBalance_G" << QVariant(66) << "WhiteBalanceG" << "66"
                           << "m_QLabel_WhiteBalance_G" << "66";
    QTest::newRow("blue") << "m_QSlider_WhiteBalance_B" << QVariant(55) << "WhiteBalanceB" << "55"
                          << "m_QLabel_WhiteBalance_B" << "55";
    QTest::newRow("mirror left/right") << "m_QCheckBox_Picture_MirrorLeftRight" << QVariant(true) << "MirrorLeftRight"
                                       << "true" << "" << "";
    QTest::newRow("mirror up/down") << "m_QCheckBox_Picture_MirrorUpDown" << QVariant(true) << "MirrorUpDown" << "true"
                                    << "" << "";
    QTest::newRow("rotate") << "m_QComboBox_Picture_Rotate" << QVariant(3) << "Rotate" << "4" << "" << "";
    QTest::newRow("multiples") << "m_QSpinBox_Picture_Multiples" << QVariant(5) << "Multiples" << "5" << "" << "";
    QTest::newRow("gain") << "m_QSlider_GainMaster" << QVariant(42) << "GainMaster" << "42" << "m_QLabel_GainMaster"
                          << "42";
    QTest::newRow("gamma in tenths") << "m_QSlider_GammaCorrection" << QVariant(23) << "GammaCorrection" << "2.3"
                                     << "m_QLabel_GammaCorrection" << "2.3";
    QTest::newRow("connection mode") << "m_QComboBox_Device_ConnectionMode" << QVariant(2) << "ConnectionMode" << "3"
                                     << "" << "";
    QTest::newRow("trigger") << "m_QGroupBox_ExternalTrigger_Used" << QVariant(false) << "TriggerUsed" << "false"
                             << "" << "";
    QTest::newRow("trigger time-out") << "m_QSpinBox_ExternalTrigger_TriggerTimeout" << QVariant(30)
                                      << "TriggerTimeout" << "30" << "" << "";
    QTest::newRow("trigger delay, two decimals") << "m_QDoubleSpinBox_ExternalTrigger_TriggerDelay"
                                                 << QVariant(12.345) << "TriggerDelay" << "12.35" << "" << "";
    QTest::newRow("flash") << "m_QGroupBox_ExternalFlash_Used" << QVariant(false) << "FlashUsed" << "false" << ""
                           << "";
    QTest::newRow("flash delay") << "m_QDoubleSpinBox_ExternalFlash_StrobeDelay" << QVariant(250.5) << "StrobeDelay"
                                 << "250.5" << "" << "";
    QTest::newRow("flash duration") << "m_QDoubleSpinBox_ExternalFlash_StrobeDuration" << QVariant(100.25)
                                    << "StrobeDuration" << "100.25" << "" << "";
    QTest::newRow("inverse signal") << "m_QCheckBox_ExternalFlash_StrobeInvert" << QVariant(false) << "StrobeInvert"
                                    << "false" << "" << "";
    QTest::newRow("interface") << "m_QComboBox_CameraInterface" << QVariant(1) << "CameraInterface" << "2" << "" << "";
    QTest::newRow("ini file used") << "m_QGroupBox_Device_UseCameraIniFile" << QVariant(false) << "UseCameraIniFile"
                                   << "false" << "" << "";
    QTest::newRow("ini file") << "m_QLineEdit_Device_CameraIniFile" << QVariant("settings/camera/uEye.ini")
                              << "CameraIniFile" << "settings/camera/uEye.ini" << "" << "";
}

void tst_Camera_Settings_GuiFields::editReachesItsField()
{
    QFETCH(QString, widget);
    QFETCH(QVariant, input);
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, label);
    QFETCH(QString, labelText);
    Editor fixture(allEnabled);
    const Camera_Settings_Data before = fixture.settings().data();
    QWidget* control = fixture.editor->findChild<QWidget*>(widget);
    QVERIFY2(control && control->isEnabled(), qPrintable(widget));

    QVERIFY(drive(control, input));

    QCOMPARE(changedFields(before, fixture.settings().data()), QStringList{field});
    QCOMPARE(fields(fixture.settings().data()).at(field), value);
    if (!label.isEmpty())
        QCOMPARE(fixture.widget<QLabel>(qPrintable(label))->text(), labelText);
    QVERIFY(fixture.editor->isModified());
    QVERIFY(fixture.title().startsWith(QLatin1Char('*')));
    // One debounced notice for the camera.
    QVERIFY(fixture.changeNotices->wait(5000));
    QCOMPARE(fixture.changeNotices->size(), 1);
}

void tst_Camera_Settings_GuiFields::editReachesTheOpenCamera_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<QString>("write");
    // The default record runs at the top frame rate, 36 per second at 18 MHz, so exposures
    // up to 27.7 ms.
    QTest::newRow("exposure") << "m_QSlider_ExposureTime" << QVariant(150) << "exposure=15.0";
    QTest::newRow("pixel clock") << "m_QSlider_PixelClock" << QVariant(20) << "pixel_clock=20";
    QTest::newRow("frame rate used") << "m_QGroupBox_FrameRate" << QVariant(true) << "frame_rate=4.0";
    QTest::newRow("gain") << "m_QSlider_GainMaster" << QVariant(9) << "gain_master=9";
    QTest::newRow("gamma") << "m_QSlider_GammaCorrection" << QVariant(20) << "gamma=2.0";
    QTest::newRow("mirror") << "m_QCheckBox_Picture_MirrorUpDown" << QVariant(true) << "flip_vertical=true";
    QTest::newRow("edge enhancement") << "m_QRadioButton_EdgeEnhancement_Strong" << QVariant(true)
                                      << "edge_enhancement=strong";
    QTest::newRow("flash") << "m_QGroupBox_ExternalFlash_Used" << QVariant(true) << "strobe_mode=enable";
    QTest::newRow("trigger") << "m_QGroupBox_ExternalTrigger_Used" << QVariant(true) << "external_trigger=true";
}

void tst_Camera_Settings_GuiFields::editReachesTheOpenCamera()
{
    QFETCH(QString, widget);
    QFETCH(QVariant, input);
    QFETCH(QString, write);
    Editor fixture;
    QVERIFY(fixture.open());
    Sim::clearLogs();
    const int pushes = fixture.camera.relay.settingsChanged;
    QVERIFY(drive(fixture.editor->findChild<QWidget*>(widget), input));
    QTRY_VERIFY_WITH_TIMEOUT(fixture.camera.relay.settingsChanged > pushes, 10000);
    QVERIFY2(parameterWrites().contains(write), qPrintable(parameterWrites().join(QLatin1Char(' '))));
    // A value change keeps the camera open.
    QVERIFY(Sim::openLog().empty());
}

void tst_Camera_Settings_GuiFields::deviceFieldsReopenTheCamera_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<bool>("reopens");
    QTest::addColumn<QString>("colorSpace");
    QTest::newRow("colour") << "m_QRadioButton_ColorMode_Color" << QVariant(true) << true << "rgb";
    QTest::newRow("connection mode") << "m_QComboBox_Device_ConnectionMode" << QVariant(1) << true << "gray";
    QTest::newRow("ini file path") << "m_QLineEdit_Device_CameraIniFile" << QVariant("other.ini") << false << "";
}

void tst_Camera_Settings_GuiFields::deviceFieldsReopenTheCamera()
{
    QFETCH(QString, widget);
    QFETCH(QVariant, input);
    QFETCH(bool, reopens);
    QFETCH(QString, colorSpace);
    // Opened by serial number, so that the connection mode counts.
    Editor fixture([](Camera_Settings& s) {
        s.Device.CameraType = QStringLiteral("SIM-U5M-C");
        s.Device.CameraDevice = QStringLiteral("1");
        s.Device.CameraSerialNumber = QStringLiteral("4102012345");
    });
    QVERIFY(fixture.open());
    Sim::clearLogs();
    fixture.camera.relay.events.clear();
    const int pushes = fixture.camera.relay.settingsChanged;
    QVERIFY(drive(fixture.editor->findChild<QWidget*>(widget), input));
    if (reopens) {
        QTRY_VERIFY_WITH_TIMEOUT(fixture.camera.relay.events.contains(QStringLiteral("open")), 10000);
        QCOMPARE(Sim::openLog().size(), size_t(1));
        QCOMPARE(QString::fromStdString(Sim::openLog().front().colorSpace), colorSpace);
        QVERIFY(fixture.camera.relay.events.startsWith(QStringLiteral("close")));
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(fixture.camera.relay.settingsChanged > pushes, 10000);
        QVERIFY(Sim::openLog().empty());
    }
    QVERIFY(fixture.camera.camera.IsOpen());
}

void tst_Camera_Settings_GuiFields::triggerOffEndsAWaitingGrab()
{
    Editor fixture([](Camera_Settings& s) {
        s.ExternalTrigger.Used = true;
        s.ExternalTrigger.TriggerTimeout = 0;
    });
    QVERIFY(fixture.open());
    std::atomic<int> result{-1};
    std::thread grab([&] { result = fixture.camera.camera.GrabPicture(true); });
    QVERIFY(QTest::qWaitFor([] { return Sim::state("uEye", 0).waitingForTrigger; }, 10000));
    drive(fixture.widget<QGroupBox>("m_QGroupBox_ExternalTrigger_Used"), false);
    // The edit itself ended the wait, before its change notice reached the camera.
    QVERIFY(fixture.changePending());
    QVERIFY(!Sim::state("uEye", 0).waitingForTrigger);
    QVERIFY(QTest::qWaitFor([&] { return result != -1; }, 10000));
    grab.join();
    QCOMPARE(result.load(), 17);
    QVERIFY(!fixture.settings().ExternalTrigger.Used);
}

void tst_Camera_Settings_GuiFields::exposureSteps_data()
{
    QTest::addColumn<double>("start");
    QTest::addColumn<QString>("button");
    QTest::addColumn<double>("expected");
    QTest::addColumn<bool>("modified");
    QTest::newRow("down") << 100.0 << "m_QPushButton_ExposureTime_Minus" << 99.9 << true;
    QTest::newRow("up") << 100.0 << "m_QPushButton_ExposureTime_Plus" << 100.1 << true;
    QTest::newRow("between tenths, down") << 100.04 << "m_QPushButton_ExposureTime_Minus" << 99.9 << true;
    QTest::newRow("down at the minimum") << 0.0 << "m_QPushButton_ExposureTime_Minus" << 0.0 << false;
    QTest::newRow("up at the maximum") << 5000.0 << "m_QPushButton_ExposureTime_Plus" << 5000.0 << false;
    QTest::newRow("beyond the range, up") << 9000.0 << "m_QPushButton_ExposureTime_Plus" << 9000.0 << false;
    QTest::newRow("beyond the range, down to its end")
        << 9000.0 << "m_QPushButton_ExposureTime_Minus" << 5000.0 << true;
}

void tst_Camera_Settings_GuiFields::exposureSteps()
{
    QFETCH(double, start);
    QFETCH(QString, button);
    QFETCH(double, expected);
    QFETCH(bool, modified);
    Editor fixture([start](Camera_Settings& s) { s.Settings.ExposureTime = start; });
    QTest::mouseClick(fixture.widget<QPushButton>(qPrintable(button)), Qt::LeftButton);
    QCOMPARE(fixture.settings().Settings.ExposureTime, expected);
    QCOMPARE(fixture.editor->isModified(), modified);
    QCOMPARE(fixture.changePending(), modified);
    QCOMPARE(fixture.widget<QLabel>("m_QLabel_ExposureTime")->text(), QString::asprintf("%.1f", expected));
}

void tst_Camera_Settings_GuiFields::sliderEndsAreValuesTheCameraTakes_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("slider");
    QTest::addColumn<bool>("minimum");
    QTest::newRow("closed, exposure's left end") << false << "m_QSlider_ExposureTime" << true;
    QTest::newRow("open, exposure's left end") << true << "m_QSlider_ExposureTime" << true;
    QTest::newRow("open, exposure's right end") << true << "m_QSlider_ExposureTime" << false;
    QTest::newRow("open, frame rate's left end") << true << "m_QSlider_FrameRate" << true;
    QTest::newRow("open, frame rate's right end") << true << "m_QSlider_FrameRate" << false;
}

void tst_Camera_Settings_GuiFields::sliderEndsAreValuesTheCameraTakes()
{
    QFETCH(bool, open);
    QFETCH(QString, slider);
    QFETCH(bool, minimum);
    const bool exposure = slider == QLatin1String("m_QSlider_ExposureTime");
    Editor fixture([](Camera_Settings& s) { s.Settings.FrameRateMaxMode = false; });
    Camera& camera = fixture.camera.camera;
    if (open)
        QVERIFY(fixture.open());
    const int pushes = fixture.camera.relay.settingsChanged;
    auto* control = fixture.widget<QSlider>(qPrintable(slider));
    QVERIFY(drive(control, minimum ? control->minimum() : control->maximum()));
    const double stored = exposure ? fixture.settings().Settings.ExposureTime : fixture.settings().Settings.FrameRate;
    double low = 0.0, high = 0.0;
    if (!open) {
        // Closed, the camera takes the value at its next open.
        QCOMPARE(int(camera.Open()), 0);
        QVERIFY(fixture.camera.relay.refusals.isEmpty());
    }
    QCOMPARE(int(exposure ? camera.GetExposureRange(low, high) : camera.GetFrameRateRange(low, high)), 0);
    QVERIFY2(stored >= low && stored <= high, qPrintable(QStringLiteral("%1 in %2 to %3").arg(stored).arg(low).arg(high)));
    if (open) {
        QTRY_VERIFY_WITH_TIMEOUT(fixture.camera.relay.settingsChanged > pushes, 10000);
        QVERIFY(fixture.camera.relay.errors.isEmpty());
    }
    const Sim::CameraState state = Sim::state("uEye", 0);
    QCOMPARE((exposure ? state.exposure : state.frameRate).D(), stored);
}

QTEST_MAIN(tst_Camera_Settings_GuiFields)
#include "tst_Camera_Settings_GuiFields.moc"
