// Device control: which camera an open chooses, the driver check, what each setter writes
// for each camera kind, the parameters an open sets and what a failing one leaves behind,
// the EEPROM text, the digital outputs and the camera list.

#include "CameraTestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace CameraTestSupport;

namespace {

const Sim::Camera kUEye{"SIM-U5M-C", "1", "4102", 160, 120, true, "", ""};
const Sim::Camera kUEyeXS{"XS-SIM", "2", "4103", 160, 120, true, "", ""};
const Sim::Camera kLuCamUsb{"SIM-LU", "usb:1", "3001", 160, 120, false, "", ""};
const Sim::Camera kLuCamGigE{"SIM-LU", "gige:cam7", "3002", 160, 120, false, "", ""};

void connectTwoOfEach()
{
    Sim::setCameras("uEye", {kUEye, kUEyeXS});
    Sim::setCameras("LuCam", {kLuCamUsb, kLuCamGigE});
}

// Chooses the camera of a kind: 1 uEye, 2 uEye XS, 3 LuCam.
void chooseKind(Camera_Settings& settings, int kind)
{
    settings.Device.CameraInterface = kind == 3 ? 2 : 1;
    if (kind == 2) {
        settings.Device.ConnectionMode = 1;
        settings.Device.CameraSerialNumber = QString::fromStdString(kUEyeXS.serialNumber);
    }
}

using Operation = std::function<Errors::Type_Error(Camera&)>;

const QMap<QString, Operation>& operations()
{
    static const QMap<QString, Operation> map = {
        {"gain 7", [](Camera& c) { return c.SetGainMaster(7); }},
        {"gamma 2.5", [](Camera& c) { return c.SetGamma(2.5); }},
        {"trigger delay 1500", [](Camera& c) { return c.SetTriggerDelay(1500); }},
        {"strobe on", [](Camera& c) { return c.SetStrobe(true); }},
        {"strobe delay 250", [](Camera& c) { return c.SetStrobeDelay(250); }},
        {"strobe duration 40", [](Camera& c) { return c.SetStrobeDuration(40); }},
        {"strobe invert", [](Camera& c) { return c.SetStrobeInvert(true); }},
        {"flip left right", [](Camera& c) { return c.SetFlip(true, false); }},
        {"white balance off", [](Camera& c) { return c.SetWhiteBalance(1, 9, 9, 9); }},
        {"white balance user", [](Camera& c) { return c.SetWhiteBalance(4, 10, 20, 30); }},
        {"white balance auto", [](Camera& c) { return c.SetWhiteBalance(2, 10, 20, 30); }},
        {"trigger signal rising", [](Camera& c) { return c.SetTriggerSignal(2); }},
        {"trigger signal 5", [](Camera& c) { return c.SetTriggerSignal(5); }},
        {"frame rate maximum", [](Camera& c) { return c.SetFrameRate(4.0, true); }},
        {"frame rate 12.5", [](Camera& c) { return c.SetFrameRate(12.5, false); }},
        {"pixel clock 30", [](Camera& c) { return c.SetPixelClock(30); }},
        {"edge strong", [](Camera& c) { return c.SetEdgeEnhancement(3); }},
        {"colour conversion", [](Camera& c) { return c.SetColorConversion(QStringLiteral("5x5")); }},
        {"api timeout", [](Camera& c) { return c.SetApiTimeout(900); }},
        {"external trigger", [](Camera& c) { return c.SetExternalTrigger(true); }},
        {"pixel clock 500", [](Camera& c) { return c.SetPixelClock(500); }},
    };
    return map;
}

} // namespace

class tst_Camera_Control : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void openChoosesTheCamera_data();
    void openChoosesTheCamera();
    void driverVersionCheck_data();
    void driverVersionCheck();
    void setterWritesByKind_data();
    void setterWritesByKind();
    void openSetsEveryParameter_data();
    void openSetsEveryParameter();
    void failedOpenStepClosesTheCamera_data();
    void failedOpenStepClosesTheCamera();
    void valuesTheCameraCannotTake_data();
    void valuesTheCameraCannotTake();
    void rangesAndIdentity();
    void eepromText();
    void eepromWithoutEeprom_data();
    void eepromWithoutEeprom();
    void digitalOutputs();
    void scanDevices_data();
    void scanDevices();
};

void tst_Camera_Control::initTestCase()
{
    prepareCameraTests();
}

void tst_Camera_Control::init()
{
    resetSimulation();
    connectTwoOfEach();
}

void tst_Camera_Control::cleanupTestCase()
{
    Sim::reset();
}

void tst_Camera_Control::openChoosesTheCamera_data()
{
    QTest::addColumn<int>("cameraInterface");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("iniFile"); // "exists" for a file that is there
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("openedType");
    QTest::addColumn<QString>("openedDevice");
    QTest::addColumn<int>("kind");

    QTest::newRow("uEye default whatever the mode") << 1 << "default" << "default" << "" << 4 << "" << 0 << "default"
                                                    << "default" << 1;
    QTest::newRow("uEye by serial number") << 1 << "UI" << "9" << "4103" << 1 << "" << 0 << "default" << "4103" << 2;
    QTest::newRow("uEye by device") << 1 << "UI" << "2" << "4102" << 2 << "" << 0 << "default" << "2" << 2;
    QTest::newRow("uEye by camera type") << 1 << "XS-SIM" << "1" << "" << 3 << "" << 0 << "XS-SIM" << "default" << 2;
    QTest::newRow("uEye unknown mode") << 1 << "UI" << "1" << "4102" << 4 << "" << 3 << "" << "" << 0;
    QTest::newRow("uEye not connected") << 1 << "UI" << "1" << "999" << 1 << "" << 12 << "default" << "999" << 0;
    QTest::newRow("LuCam usb") << 2 << "usb" << "1" << "" << 1 << "" << 0 << "default" << "usb:1" << 3;
    QTest::newRow("LuCam gige") << 2 << "gige" << "cam7" << "" << 9 << "" << 0 << "default" << "gige:cam7" << 3;
    QTest::newRow("LuCam default") << 2 << "default" << "default" << "" << 1 << "" << 0 << "default" << "default"
                                   << 3;
    QTest::newRow("no such interface") << 3 << "default" << "default" << "" << 1 << "" << 3 << "" << "" << 0;
    QTest::newRow("ini file as camera type") << 1 << "default" << "default" << "" << 1 << "exists" << 0 << "ini"
                                             << "default" << 1;
    QTest::newRow("ini file missing") << 1 << "default" << "default" << "" << 1 << "missing.ini" << 30 << "" << ""
                                      << 0;
}

void tst_Camera_Control::openChoosesTheCamera()
{
    QFETCH(int, cameraInterface);
    QFETCH(QString, type);
    QFETCH(QString, device);
    QFETCH(QString, serial);
    QFETCH(int, mode);
    QFETCH(QString, iniFile);
    QFETCH(int, code);
    QFETCH(QString, openedType);
    QFETCH(QString, openedDevice);
    QFETCH(int, kind);
    QTemporaryDir folder;
    QString iniPath = iniFile;
    if (iniFile == QLatin1String("exists")) {
        iniPath = folder.filePath(QStringLiteral("camera.ini"));
        QFile file(iniPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (!iniFile.isEmpty()) {
        iniPath = folder.filePath(iniFile);
    }
    CameraFixture f;
    f.settings.Device = {cameraInterface, type, device, serial, mode, !iniFile.isEmpty(), iniPath};
    Sim::clearLogs();
    QCOMPARE(int(f.camera.Open()), code);
    QCOMPARE(f.camera.IsOpen(), code == 0);
    QCOMPARE(f.camera.GetCameraKind(), kind);
    const std::vector<Sim::OpenCall> opens = Sim::openLog();
    if (openedType.isEmpty()) {
        QVERIFY(opens.empty());
        return;
    }
    QCOMPARE(opens.size(), size_t(1));
    QCOMPARE(QString::fromStdString(opens[0].cameraType), openedType == QLatin1String("ini") ? iniPath : openedType);
    QCOMPARE(QString::fromStdString(opens[0].device), openedDevice);
    QCOMPARE(QString::fromStdString(opens[0].colorSpace), QStringLiteral("gray"));
}

void tst_Camera_Control::driverVersionCheck_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("code");
    QTest::newRow("not installed") << false << 0 << 0 << 10;
    QTest::newRow("4.0") << true << 4 << 0 << 11;
    QTest::newRow("4.9") << true << 4 << 9 << 11;
    QTest::newRow("4.10") << true << 4 << 10 << 0;
    QTest::newRow("3.99") << true << 3 << 99 << 11;
    QTest::newRow("5.0") << true << 5 << 0 << 0;
}

void tst_Camera_Control::driverVersionCheck()
{
    QFETCH(bool, installed);
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, code);
    Sim::setDriverVersion("uEye", {installed, major, minor, 3, 4});
    QCOMPARE(int(Camera::CheckDriverVersion()), code);
    int ma = -1, mi = -1, build = -1, revision = -1;
    QCOMPARE(int(Camera::GetUeyeDriverVersion(ma, mi, build, revision)), installed ? 0 : 10);
    QCOMPARE(QList<int>({ma, mi, build, revision}), installed ? QList<int>({major, minor, 3, 4}) : QList<int>(4, 0));
    CameraFixture f;
    Sim::clearLogs();
    QCOMPARE(int(f.camera.Open()), code);
    QCOMPARE(Sim::openLog().size(), size_t(code ? 0 : 1));
    // A LuCam camera needs no uEye driver.
    f.settings.Device.CameraInterface = 2;
    QCOMPARE(int(f.camera.Open()), 0);
}

void tst_Camera_Control::setterWritesByKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("writes");

    QTest::newRow("uEye gain") << 1 << "gain 7" << 0 << QStringList{"gain_master=7"};
    QTest::newRow("LuCam gain is one more, real") << 3 << "gain 7" << 0 << QStringList{"gain_master=8.0"};
    QTest::newRow("uEye gamma") << 1 << "gamma 2.5" << 0 << QStringList{"gamma=2.5"};
    QTest::newRow("XS has no gamma") << 2 << "gamma 2.5" << 0 << QStringList{};
    QTest::newRow("uEye trigger delay") << 1 << "trigger delay 1500" << 0 << QStringList{"trigger_delay=1500"};
    QTest::newRow("LuCam exposure delay") << 3 << "trigger delay 1500" << 0 << QStringList{"exposure_delay=1.5"};
    QTest::newRow("uEye strobe") << 2 << "strobe on" << 0 << QStringList{"strobe_mode=enable"};
    QTest::newRow("LuCam strobe") << 3 << "strobe on" << 0 << QStringList{"strobe=enable"};
    QTest::newRow("uEye strobe delay") << 1 << "strobe delay 250" << 0 << QStringList{"strobe_delay=250"};
    QTest::newRow("LuCam strobe delay") << 3 << "strobe delay 250" << 0 << QStringList{"strobe_delay=0.25"};
    QTest::newRow("LuCam strobe duration") << 3 << "strobe duration 40" << 0 << QStringList{"strobe_duration=0.04"};
    QTest::newRow("LuCam no strobe invert") << 3 << "strobe invert" << 0 << QStringList{};
    QTest::newRow("uEye flips in the camera") << 1 << "flip left right" << 0
                                              << QStringList{"flip_horizontal=true", "flip_vertical=false"};
    QTest::newRow("LuCam flips in software") << 3 << "flip left right" << 0 << QStringList{};
    QTest::newRow("white balance off: neutral gains") << 1 << "white balance off" << 0
                                                      << QStringList{"white_balance=disable", "gain_r=5", "gain_g=0",
                                                                     "gain_b=3"};
    QTest::newRow("white balance by user") << 3 << "white balance user" << 0
                                           << QStringList{"white_balance=user", "gain_r=10", "gain_g=20", "gain_b=30"};
    QTest::newRow("automatic white balance") << 1 << "white balance auto" << 0 << QStringList{"white_balance=auto"};
    QTest::newRow("XS no white balance") << 2 << "white balance user" << 0 << QStringList{};
    QTest::newRow("uEye trigger signal") << 1 << "trigger signal rising" << 0 << QStringList{"trigger_signal=rising"};
    QTest::newRow("uEye unknown trigger signal") << 1 << "trigger signal 5" << 23 << QStringList{};
    QTest::newRow("LuCam no trigger signal") << 3 << "trigger signal 5" << 0 << QStringList{};
    QTest::newRow("uEye maximum frame rate from the range") << 1 << "frame rate maximum" << 0
                                                            << QStringList{"frame_rate=36.0"};
    QTest::newRow("LuCam maximum frame rate") << 3 << "frame rate maximum" << 0 << QStringList{"frame_rate=100.0"};
    QTest::newRow("frame rate") << 2 << "frame rate 12.5" << 0 << QStringList{"frame_rate=12.5"};
    QTest::newRow("LuCam no pixel clock") << 3 << "pixel clock 30" << 0 << QStringList{};
    QTest::newRow("XS edge enhancement") << 2 << "edge strong" << 0 << QStringList{"edge_enhancement=strong"};
    QTest::newRow("XS no colour conversion") << 2 << "colour conversion" << 0 << QStringList{};
    QTest::newRow("uEye colour conversion") << 1 << "colour conversion" << 0 << QStringList{"color_conversion=5x5"};
    QTest::newRow("LuCam no API time-out") << 3 << "api timeout" << 0 << QStringList{};
    QTest::newRow("LuCam external trigger") << 3 << "external trigger" << 0 << QStringList{"external_trigger=true"};
    QTest::newRow("pixel clock out of range") << 1 << "pixel clock 500" << 21
                                              << QStringList{"pixel_clock=500 refused"};
}

void tst_Camera_Control::setterWritesByKind()
{
    QFETCH(int, kind);
    QFETCH(QString, operation);
    QFETCH(int, code);
    QFETCH(QStringList, writes);
    CameraFixture f;
    QCOMPARE(int(operations().value(operation)(f.camera)), 13); // no camera yet
    chooseKind(f.settings, kind);
    QCOMPARE(int(f.camera.Open()), 0);
    QCOMPARE(f.camera.GetCameraKind(), kind);
    Sim::clearLogs();
    QCOMPARE(int(operations().value(operation)(f.camera)), code);
    QCOMPARE(parameterWrites(), writes);
}

void tst_Camera_Control::openSetsEveryParameter_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("colorSpace");
    QTest::addColumn<bool>("trigger");
    QTest::addColumn<bool>("flash");
    QTest::addColumn<QStringList>("writes");

    const QStringList grayTail = {"pixel_clock=18", "frame_rate=36.0", "exposure=200.0", "bad_pixel_correction=enable",
                                  "edge_enhancement=disable", "gain_master=0", "gamma=1.6", "flip_horizontal=false",
                                  "flip_vertical=false"};
    QTest::newRow("uEye grey") << 1 << 1 << false << false
                               << QStringList{"continuous_grabbing=disable", "grab_timeout=10000", "api_timeout=12000",
                                              "external_trigger=false", "trigger_signal=software", "trigger_delay=0",
                                              "strobe_mode=disable"}
                                      + grayTail;
    QTest::newRow("uEye colour")
        << 1 << 2 << false << false
        << QStringList{"continuous_grabbing=disable", "grab_timeout=10000", "api_timeout=12000",
                       "external_trigger=false", "trigger_signal=software", "trigger_delay=0", "strobe_mode=disable",
                       "pixel_clock=18", "frame_rate=36.0", "exposure=200.0", "color_conversion=3x3",
                       "color_correction=enable", "bad_pixel_correction=enable", "edge_enhancement=disable",
                       "gain_master=0", "gamma=1.6", "flip_horizontal=false", "flip_vertical=false",
                       "white_balance=disable", "gain_r=5", "gain_g=0", "gain_b=3"};
    QTest::newRow("uEye trigger, 5 s")
        << 1 << 1 << true << false
        << QStringList{"continuous_grabbing=disable", "grab_timeout=5000", "api_timeout=7000", "external_trigger=true",
                       "trigger_signal=software", "trigger_delay=0", "strobe_mode=disable"}
               + grayTail;
    QTest::newRow("uEye flash")
        << 1 << 1 << false << true
        << QStringList{"continuous_grabbing=disable", "grab_timeout=10000", "api_timeout=12000",
                       "external_trigger=true", "trigger_signal=software", "trigger_delay=0", "strobe_mode=enable",
                       "strobe_invert=true", "strobe_delay=13", "strobe_duration=200"}
               + grayTail;
    QTest::newRow("XS colour") << 2 << 2 << false << false
                             << QStringList{"continuous_grabbing=disable", "grab_timeout=10000", "api_timeout=12000",
                                            "external_trigger=false", "trigger_delay=0", "strobe_mode=disable",
                                            "pixel_clock=18", "frame_rate=18.0", "exposure=200.0",
                                            "edge_enhancement=disable", "gain_master=0", "flip_horizontal=false",
                                            "flip_vertical=false"};
    QTest::newRow("LuCam colour") << 3 << 2 << false << true
                                  << QStringList{"grab_timeout=10000", "external_trigger=true", "exposure_delay=0.0",
                                                 "strobe=enable", "strobe_delay=0.013", "strobe_duration=0.2",
                                                 "frame_rate=100.0", "exposure=200.0", "gain_master=1.0", "gamma=1.6",
                                                 "white_balance=disable", "gain_r=5", "gain_g=0", "gain_b=3"};
}

void tst_Camera_Control::openSetsEveryParameter()
{
    QFETCH(int, kind);
    QFETCH(int, colorSpace);
    QFETCH(bool, trigger);
    QFETCH(bool, flash);
    QFETCH(QStringList, writes);
    CameraFixture f;
    chooseKind(f.settings, kind);
    f.settings.Settings.ColorSpace = colorSpace;
    f.settings.ExternalTrigger.Used = trigger;
    f.settings.ExternalTrigger.TriggerTimeout = 5;
    f.settings.ExternalFlash.Used = flash;
    f.settings.ExternalFlash.StrobeDelay = 0.0125; // 12.5 + 0.5 -> 13
    f.settings.ExternalFlash.StrobeDuration = 0.2;
    Sim::clearLogs();
    QCOMPARE(int(f.camera.Open()), 0);
    QCOMPARE(parameterWrites(), writes);
    QCOMPARE(QString::fromStdString(Sim::openLog().at(0).colorSpace), colorSpace == 1 ? "gray" : "rgb");
}

void tst_Camera_Control::failedOpenStepClosesTheCamera_data()
{
    QTest::addColumn<QString>("parameter");
    QTest::addColumn<int>("code");
    QTest::newRow("continuous grabbing") << "continuous_grabbing" << 21;
    QTest::newRow("grab time-out") << "grab_timeout" << 21;
    QTest::newRow("API time-out") << "api_timeout" << 21;
    QTest::newRow("external trigger") << "external_trigger" << 23;
    QTest::newRow("trigger signal") << "trigger_signal" << 23;
    QTest::newRow("trigger delay") << "trigger_delay" << 23;
    QTest::newRow("strobe") << "strobe_mode" << 24;
    QTest::newRow("pixel clock") << "pixel_clock" << 21;
    QTest::newRow("frame rate") << "frame_rate" << 25;
    QTest::newRow("exposure") << "exposure" << 25;
    QTest::newRow("colour conversion") << "color_conversion" << 26;
    QTest::newRow("colour correction") << "color_correction" << 26;
    QTest::newRow("bad pixels") << "bad_pixel_correction" << 21;
    QTest::newRow("edge enhancement") << "edge_enhancement" << 21;
    QTest::newRow("gain") << "gain_master" << 21;
    QTest::newRow("gamma") << "gamma" << 21;
    QTest::newRow("flip") << "flip_vertical" << 21;
    QTest::newRow("white balance") << "white_balance" << 26;
    QTest::newRow("white balance gain") << "gain_b" << 26;
}

void tst_Camera_Control::failedOpenStepClosesTheCamera()
{
    QFETCH(QString, parameter);
    QFETCH(int, code);
    CameraFixture f;
    f.settings.Settings.ColorSpace = 2;
    Sim::injectFault("uEye", Sim::Fault::SetParameterFails, 1, parameter.toStdString());
    QCOMPARE(int(f.camera.Open()), code);
    QVERIFY(!f.camera.IsOpen());
    QCOMPARE(f.camera.GetCameraKind(), 0);
    QVERIFY(!Sim::state("uEye", 0).open);
    QTRY_COMPARE(f.relay.events, QStringList{"close"}); // only the close at the start of the open
    // Nothing is left held: the next open works.
    QCOMPARE(int(f.camera.Open()), 0);
    QCOMPARE(int(f.camera.GrabPicture(false)), 0);
}

void tst_Camera_Control::valuesTheCameraCannotTake_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("write"); // what reaches the camera, empty: nothing
    QTest::newRow("negative exposure") << "ExposureTime" << -5.0 << 25 << "exposure=-5.0 refused";
    QTest::newRow("pixel clock beyond the range") << "PixelClock" << 500.0 << 21 << "pixel_clock=500 refused";
    QTest::newRow("frame rate zero") << "FrameRate" << 0.0 << 25 << "frame_rate=0.0 refused";
    QTest::newRow("strobe delay beyond an int") << "StrobeDelay" << 1e12 << 24 << "";
    QTest::newRow("strobe duration not finite") << "StrobeDuration" << qInf() << 24 << "";
    QTest::newRow("trigger time-out of 136 years") << "TriggerTimeout" << 4294967295.0 << 0
                                                    << "grab_timeout=200000000";
}

void tst_Camera_Control::valuesTheCameraCannotTake()
{
    QFETCH(QString, field);
    QFETCH(double, value);
    QFETCH(int, code);
    QFETCH(QString, write);
    CameraFixture f;
    auto& s = f.settings;
    s.Settings.FrameRateMaxMode = field != QLatin1String("FrameRate");
    if (field == QLatin1String("ExposureTime"))
        s.Settings.ExposureTime = value;
    else if (field == QLatin1String("PixelClock"))
        s.Settings.PixelClock = int(value);
    else if (field == QLatin1String("FrameRate"))
        s.Settings.FrameRate = value;
    else if (field == QLatin1String("TriggerTimeout"))
        s.ExternalTrigger = {true, 1, quint32(value), 0.0};
    else
        s.ExternalFlash = {true, true, field == QLatin1String("StrobeDelay") ? value : 0.0,
                           field == QLatin1String("StrobeDuration") ? value : 0.0};
    Sim::clearLogs();
    QCOMPARE(int(f.camera.Open()), code);
    QCOMPARE(f.camera.IsOpen(), code == 0);
    if (!write.isEmpty())
        QVERIFY2(parameterWrites().contains(write), qPrintable(parameterWrites().join(QLatin1Char(' '))));
    for (const QString& w : parameterWrites())
        QVERIFY2(!w.startsWith(QLatin1String("strobe_delay")) || code != 24, qPrintable(w));
}

void tst_Camera_Control::rangesAndIdentity()
{
    CameraFixture f;
    double minimum = -1.0, maximum = -1.0;
    long low = -1, high = -1;
    QString text = QStringLiteral("stale");
    QCOMPARE(int(f.camera.GetExposureRange(minimum, maximum)), 13);
    QCOMPARE(minimum, 0.0);
    QCOMPARE(int(f.camera.GetCameraType(text)), 13);
    QVERIFY(text.isEmpty());
    QCOMPARE(int(f.camera.Open()), 0);
    QCOMPARE(int(f.camera.GetPixelClockRange(low, high)), 0);
    QCOMPARE(QList<long>({low, high}), QList<long>({5, 43}));
    QCOMPARE(int(f.camera.GetFrameRateRange(minimum, maximum)), 0);
    QCOMPARE(maximum, 36.0); // 18 MHz
    QCOMPARE(int(f.camera.GetExposureRange(minimum, maximum)), 0);
    QCOMPARE(maximum, 1000.0 / 36.0);
    QCOMPARE(int(f.camera.GetCameraType(text)), 0);
    QCOMPARE(text, QStringLiteral("SIM-U5M-C"));
    QCOMPARE(int(f.camera.GetRevision(text)), 0);
    QVERIFY(!text.isEmpty());
    f.settings.Device.CameraInterface = 2;
    QCOMPARE(int(f.camera.Open()), 0);
    QCOMPARE(int(f.camera.GetPixelClockRange(low, high)), 21);
}

void tst_Camera_Control::eepromText()
{
    CameraFixture f;
    QString text = QStringLiteral("stale");
    QCOMPARE(int(f.camera.SetEepromContent(QStringLiteral("abc"))), 13);
    QCOMPARE(int(f.camera.GetEepromContent(text)), 13);
    QVERIFY(text.isEmpty());
    QCOMPARE(int(f.camera.Open()), 0);
    Sim::clearLogs();
    QCOMPARE(int(f.camera.SetEepromContent(QString(65, QLatin1Char('x')))), 65);
    QCOMPARE(int(f.camera.SetEepromContent(QString(64, QLatin1Char('x')))), 0);
    QCOMPARE(int(f.camera.SetEepromContent(QStringLiteral("abc"))), 0);
    QCOMPARE(parameterWrites(), (QStringList{"eeprom_content=" + QString(64, QLatin1Char('x')),
                                             "eeprom_content=abc" + QString(61, QLatin1Char(' '))}));
    QCOMPARE(int(f.camera.GetEepromContent(text)), 0);
    QCOMPARE(text, QStringLiteral("abc"));
    QTRY_COMPARE(f.relay.events.mid(1), (QStringList{"open", "eeprom " + QString(64, QLatin1Char('x')), "eeprom abc"}));
}

void tst_Camera_Control::eepromWithoutEeprom_data()
{
    QTest::addColumn<bool>("luCam");
    QTest::newRow("LuCam camera") << true;
    QTest::newRow("uEye camera without EEPROM") << false;
}

void tst_Camera_Control::eepromWithoutEeprom()
{
    QFETCH(bool, luCam);
    std::vector<Sim::Camera> cameras = Sim::cameras("uEye");
    cameras[0].hasEeprom = false;
    Sim::setCameras("uEye", cameras);
    CameraFixture f;
    f.settings.Device.CameraInterface = luCam ? 2 : 1;
    QCOMPARE(int(f.camera.Open()), 0);
    // Claiming to have stored the text would lose it without a word.
    QCOMPARE(int(f.camera.SetEepromContent(QStringLiteral("abc"))), 27);
    QString text;
    QCOMPARE(int(f.camera.GetEepromContent(text)), luCam ? 0 : 27);
    QVERIFY(text.isEmpty());
    QTRY_COMPARE(f.relay.events, (QStringList{"close", "open"}));
}

void tst_Camera_Control::digitalOutputs()
{
    CameraFixture f;
    QCOMPARE(int(f.camera.SetDigitalIoPort(true)), 13);
    QCOMPARE(int(f.camera.Open()), 0);
    Sim::clearLogs();
    QCOMPARE(int(f.camera.SetDigitalIoPort(true)), 0);
    QCOMPARE(int(f.camera.SetDigitalIoPort2(true)), 0);
    QCOMPARE(int(f.camera.SetDigitalIoPort(false)), 0);
    QCOMPARE(int(f.camera.SetDigitalOutput(true)), 0);
    f.settings.ExternalFlash.Used = true; // the flash owns the output now
    QCOMPARE(int(f.camera.SetDigitalOutput(false)), 29);
    QCOMPARE(parameterWrites(), (QStringList{"digital_io_direction=1", "digital_io_port=1", "digital_io_direction=3",
                                             "digital_io_port=3", "digital_io_port=2", "digital_output=1"}));
    const Sim::CameraState state = Sim::state("uEye", 0);
    QCOMPARE(state.ioPort, 2);
    QCOMPARE(state.digitalOutput, 1);
    // A fresh open sets the directions again.
    QCOMPARE(int(f.camera.Open()), 0);
    Sim::clearLogs();
    QCOMPARE(int(f.camera.SetDigitalIoPort2(true)), 0);
    QCOMPARE(parameterWrites(), (QStringList{"digital_io_direction=2", "digital_io_port=2"}));
}

void tst_Camera_Control::scanDevices_data()
{
    QTest::addColumn<int>("asked");
    QTest::addColumn<int>("recordInterface");
    QTest::addColumn<bool>("uEyeDriver");
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("devices");

    const QStringList uEye = {"SIM-U5M-C|1|4102", "XS-SIM|2|4103"};
    const QStringList luCam = {"usb|1|3001", "gige|cam7|3002"};
    QTest::newRow("uEye") << 1 << 1 << true << 0 << uEye;
    QTest::newRow("LuCam") << 2 << 1 << true << 0 << luCam;
    QTest::newRow("uEye driver missing") << 1 << 1 << false << 0 << QStringList{};
    // The interface asked for decides the check, not the camera of the record.
    QTest::newRow("uEye driver missing, record on LuCam") << 1 << 2 << false << 0 << QStringList{};
    QTest::newRow("LuCam while the uEye driver is missing") << 2 << 1 << false << 0 << luCam;
    QTest::newRow("no such interface") << 3 << 1 << true << 3 << QStringList{};
}

void tst_Camera_Control::scanDevices()
{
    QFETCH(int, asked);
    QFETCH(int, recordInterface);
    QFETCH(bool, uEyeDriver);
    QFETCH(int, code);
    QFETCH(QStringList, devices);
    Sim::setDriverVersion("uEye", {uEyeDriver, 4, 20, 0, 0});
    CameraFixture f;
    f.settings.Device.CameraInterface = 2;
    QCOMPARE(int(f.camera.Open()), 0); // a LuCam camera runs meanwhile
    f.settings.Device.CameraInterface = recordInterface;
    f.camera.CopySettings(f.settings);
    QList<CameraDeviceInfo> found = {CameraDeviceInfo{QStringLiteral("stale"), {}, {}}};
    QCOMPARE(int(f.camera.ScanDevices(asked, found)), code);
    QStringList texts;
    for (const CameraDeviceInfo& info : found)
        texts.append(info.CameraType + QLatin1Char('|') + info.Device + QLatin1Char('|') + info.SerialNumber);
    QCOMPARE(texts, devices);
    // The grabber is free again.
    QCOMPARE(int(f.camera.GrabPicture(false)), 0);
}

QTEST_MAIN(tst_Camera_Control)
#include "tst_Camera_Control.moc"
