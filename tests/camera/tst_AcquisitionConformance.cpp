// What any camera behind an acquisition interface must do for the camera classes: list
// itself, open exclusively, deliver pictures of the colour space asked for, keep the
// parameters the system writes for its kind with their ranges and coupling, refuse what it
// does not have, and end a trigger wait when forced or timed out. It speaks only through
// the acquisition operators; only initTestCase prepares the simulated cameras, so the same
// cases can run against a real camera.

#include "CameraDeviceInfo.h"
#include "CameraTestSupport.h"

#include <HalconAcquisition.h>
#include <HalconErrors.h>
#include <HalconImageOps.h>

#include <QtTest>

#include <atomic>
#include <thread>

using Halcon::HTuple;
using Halcon::Hlong;
using Halcon::Hobject;

namespace {

Halcon::Herror openCamera(const QString& interfaceName, Hlong& handle, const char* colorSpace = "gray",
                          const std::string& device = "default")
{
    return Halcon::open_framegrabber(interfaceName.toStdString(), 1, 1, 0, 0, 0, 0, "default", 8, colorSpace, -1.0,
                                     "false", "default", device, -1, -1, &handle);
}

// The camera's kind as the system tells it: 1 uEye, 2 uEye "XS", 3 LuCam.
int kindOf(const QString& interfaceName, Hlong handle)
{
    if (interfaceName == QLatin1String("LuCam"))
        return 3;
    HTuple type;
    Halcon::get_framegrabber_param(handle, "camera_type", &type);
    return QString::fromStdString(type.S()).startsWith(QLatin1String("XS")) ? 2 : 1;
}

struct Parameter {
    const char* name;
    unsigned kinds; // bit 1 << kind
    HTuple value;
};

constexpr unsigned U = 1u << 1, X = 1u << 2, L = 1u << 3;

// A value the system writes, per parameter and kind (Camera_Control's setter table).
const QList<Parameter>& systemParameters()
{
    static const QList<Parameter> parameters = {
        {"grab_timeout", U | X | L, HTuple(10000)},
        {"api_timeout", U | X, HTuple(12000)},
        {"edge_enhancement", U | X, HTuple("weak")},
        {"gain_master", U | X, HTuple(7)},
        {"gain_master", L, HTuple(8.0)},
        {"gamma", U | L, HTuple(1.6)},
        {"flip_horizontal", U | X, HTuple("true")},
        {"flip_vertical", U | X, HTuple("false")},
        {"color_conversion", U, HTuple("3x3")},
        {"color_correction", U, HTuple("enable")},
        {"bad_pixel_correction", U, HTuple("enable")},
        {"white_balance", U | L, HTuple("user")},
        {"gain_r", U | L, HTuple(5)},
        {"gain_g", U | L, HTuple(0)},
        {"gain_b", U | L, HTuple(3)},
        {"continuous_grabbing", U | X, HTuple("disable")},
        {"trigger_signal", U, HTuple("rising")},
        {"trigger_delay", U | X, HTuple(250)},
        {"exposure_delay", L, HTuple(0.25)},
        {"strobe_mode", U | X, HTuple("enable")},
        {"strobe", L, HTuple("enable")},
        {"strobe_invert", U | X, HTuple("false")},
        {"strobe_delay", U | X, HTuple(125)},
        {"strobe_delay", L, HTuple(0.125)},
        {"strobe_duration", U | X, HTuple(1500)},
        {"strobe_duration", L, HTuple(1.5)},
        {"digital_io_direction", U | X | L, HTuple(3)},
        {"digital_io_port", U | X | L, HTuple(2)},
        {"digital_output", U | X | L, HTuple(1)},
    };
    return parameters;
}

class OpenCamera {
public:
    explicit OpenCamera(const QString& interfaceName, const char* colorSpace = "gray")
        : result(openCamera(interfaceName, handle, colorSpace))
    {
    }
    ~OpenCamera()
    {
        if (result == Halcon::H_MSG_TRUE)
            Halcon::close_framegrabber(handle);
    }
    Hlong handle = -1;
    Halcon::Herror result;
};

void addInterfaces()
{
    QTest::addColumn<QString>("interfaceName");
    QTest::newRow("uEye") << QStringLiteral("uEye");
    QTest::newRow("LuCam") << QStringLiteral("LuCam");
}

} // namespace

class tst_AcquisitionConformance : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void listsItsCameras_data() { addInterfaces(); }
    void listsItsCameras();
    void picturesOfTheColourSpace_data();
    void picturesOfTheColourSpace();
    void opensExclusively_data() { addInterfaces(); }
    void opensExclusively();
    void keepsTheSystemsParameters_data() { addInterfaces(); }
    void keepsTheSystemsParameters();
    void rangesBoundTheValues_data() { addInterfaces(); }
    void rangesBoundTheValues();
    void refusesWhatItDoesNotHave_data();
    void refusesWhatItDoesNotHave();
    void forcedTriggerEndsTheWait_data() { addInterfaces(); }
    void forcedTriggerEndsTheWait();
    void triggerWaitTimesOut_data() { addInterfaces(); }
    void triggerWaitTimesOut();
    void parametersWhileGrabbing_data() { addInterfaces(); }
    void parametersWhileGrabbing();
    void badHandlesAndNames();
};

void tst_AcquisitionConformance::initTestCase()
{
    CameraTestSupport::prepareCameraTests();
    CameraTestSupport::resetSimulation(320, 240);
}

void tst_AcquisitionConformance::listsItsCameras()
{
    QFETCH(QString, interfaceName);
    HTuple information, boards;
    QCOMPARE(Halcon::info_framegrabber(interfaceName.toStdString(), "info_boards", &information, &boards),
             Halcon::H_MSG_TRUE);
    QVERIFY(boards.Length() >= 1);
    const int cameraInterface = interfaceName == QLatin1String("uEye") ? 1 : 2;
    for (const Halcon::HValue& board : boards.Values()) {
        const CameraDeviceInfo info = CameraDeviceInfo::fromBoardText(cameraInterface, QString::fromStdString(board.S()));
        QVERIFY2(!info.CameraType.isEmpty() && !info.Device.isEmpty(), board.S().c_str());
        // The camera opens by what the list tells of it.
        const std::string device = cameraInterface == 1 ? info.Device.toStdString()
                                                        : (info.CameraType + QLatin1Char(':') + info.Device).toStdString();
        Hlong handle = -1;
        QCOMPARE(openCamera(interfaceName, handle, "gray", device), Halcon::H_MSG_TRUE);
        QCOMPARE(Halcon::close_framegrabber(handle), Halcon::H_MSG_TRUE);
    }
    HTuple revision;
    QCOMPARE(Halcon::info_framegrabber(interfaceName.toStdString(), "revision", &information, &revision),
             Halcon::H_MSG_TRUE);
    QVERIFY(!revision.S().empty());
}

void tst_AcquisitionConformance::picturesOfTheColourSpace_data()
{
    QTest::addColumn<QString>("interfaceName");
    QTest::addColumn<QString>("colorSpace");
    QTest::addColumn<int>("channels");
    QTest::newRow("uEye grey") << "uEye" << "gray" << 1;
    QTest::newRow("uEye colour") << "uEye" << "rgb" << 3;
    QTest::newRow("LuCam grey") << "LuCam" << "gray" << 1;
    QTest::newRow("LuCam colour") << "LuCam" << "rgb" << 3;
}

void tst_AcquisitionConformance::picturesOfTheColourSpace()
{
    QFETCH(QString, interfaceName);
    QFETCH(QString, colorSpace);
    QFETCH(int, channels);
    Hlong width = 0, height = 0;
    Hlong handle = -1;
    QCOMPARE(openCamera(interfaceName, handle, colorSpace.toLatin1().constData()), Halcon::H_MSG_TRUE);
    for (int i = 0; i < 3; ++i) {
        Hobject picture;
        QCOMPARE(Halcon::grab_image(&picture, handle), Halcon::H_MSG_TRUE);
        Hlong count = 0, w = 0, h = 0;
        QCOMPARE(Halcon::count_channels(picture, &count), Halcon::H_MSG_TRUE);
        QCOMPARE(int(count), channels);
        QCOMPARE(Halcon::get_image_size(picture, &w, &h), Halcon::H_MSG_TRUE);
        QVERIFY(w > 0 && h > 0);
        QVERIFY(i == 0 || (w == width && h == height));
        width = w;
        height = h;
    }
    QCOMPARE(Halcon::close_framegrabber(handle), Halcon::H_MSG_TRUE);
    Hobject late;
    QCOMPARE(Halcon::grab_image(&late, handle), Halcon::kErrInvalidHandle);
    QCOMPARE(Halcon::close_framegrabber(handle), Halcon::kErrInvalidHandle);
    QVERIFY(late.IsEmpty());
}

void tst_AcquisitionConformance::opensExclusively()
{
    QFETCH(QString, interfaceName);
    HTuple information, boards;
    Halcon::info_framegrabber(interfaceName.toStdString(), "info_boards", &information, &boards);
    QList<Hlong> handles;
    for (Hlong i = 0; i < boards.Length(); ++i) {
        Hlong handle = -1;
        QCOMPARE(openCamera(interfaceName, handle), Halcon::H_MSG_TRUE);
        handles.append(handle);
    }
    Hlong extra = -1;
    QCOMPARE(openCamera(interfaceName, extra), Halcon::kErrAcqDeviceBusy);
    QCOMPARE(extra, Hlong(-1));
    QCOMPARE(Halcon::close_framegrabber(handles.takeLast()), Halcon::H_MSG_TRUE);
    QCOMPARE(openCamera(interfaceName, extra), Halcon::H_MSG_TRUE);
    handles.append(extra);
    for (Hlong handle : handles)
        QCOMPARE(Halcon::close_framegrabber(handle), Halcon::H_MSG_TRUE);
}

void tst_AcquisitionConformance::keepsTheSystemsParameters()
{
    QFETCH(QString, interfaceName);
    OpenCamera camera(interfaceName, "rgb");
    QCOMPARE(camera.result, Halcon::H_MSG_TRUE);
    const unsigned kind = 1u << kindOf(interfaceName, camera.handle);
    for (const Parameter& p : systemParameters()) {
        if (!(p.kinds & kind))
            continue;
        QVERIFY2(Halcon::set_framegrabber_param(camera.handle, p.name, p.value) == Halcon::H_MSG_TRUE, p.name);
        HTuple read;
        QVERIFY2(Halcon::get_framegrabber_param(camera.handle, p.name, &read) == Halcon::H_MSG_TRUE, p.name);
        QVERIFY2(read == p.value, p.name);
    }
    HTuple text;
    QCOMPARE(Halcon::get_framegrabber_param(camera.handle, "camera_type", &text), Halcon::H_MSG_TRUE);
    QVERIFY(!text.S().empty());
    QCOMPARE(Halcon::get_framegrabber_param(camera.handle, "revision", &text), Halcon::H_MSG_TRUE);
    QCOMPARE(Halcon::set_framegrabber_param(camera.handle, "external_trigger", "false"), Halcon::H_MSG_TRUE);
    QCOMPARE(Halcon::set_framegrabber_param(camera.handle, "external_trigger", "true"), Halcon::H_MSG_TRUE);
}

void tst_AcquisitionConformance::rangesBoundTheValues()
{
    QFETCH(QString, interfaceName);
    OpenCamera camera(interfaceName);
    QCOMPARE(camera.result, Halcon::H_MSG_TRUE);
    const Hlong h = camera.handle;
    const auto range = [h](const char* name) {
        HTuple r;
        const bool ok = Halcon::get_framegrabber_param(h, name, &r) == Halcon::H_MSG_TRUE && r.Length() == 2;
        return ok ? std::pair(r[0].D(), r[1].D()) : std::pair(1.0, 0.0);
    };
    const auto value = [h](const char* name) {
        HTuple v;
        Halcon::get_framegrabber_param(h, name, &v);
        return v.D();
    };

    const auto rates = range("frame_rate_range");
    QVERIFY(rates.first > 0.0 && rates.first < rates.second);
    // The frame rate bounds the exposure: a slower rate allows longer exposures.
    QCOMPARE(Halcon::set_framegrabber_param(h, "frame_rate", rates.second), Halcon::H_MSG_TRUE);
    const double fastLimit = range("exposure_range").second;
    QCOMPARE(Halcon::set_framegrabber_param(h, "frame_rate", rates.first), Halcon::H_MSG_TRUE);
    const double slowLimit = range("exposure_range").second;
    QVERIFY(slowLimit > fastLimit);
    QVERIFY(fastLimit <= 1000.0 / rates.second + 1e-9);
    // Whatever an exposure request gets, the exposure stays inside its range.
    Halcon::set_framegrabber_param(h, "exposure", slowLimit * 10.0);
    QVERIFY(value("exposure") <= slowLimit);
    QCOMPARE(Halcon::set_framegrabber_param(h, "frame_rate", rates.second), Halcon::H_MSG_TRUE);
    QVERIFY(value("exposure") <= range("exposure_range").second + 1e-9);

    if (kindOf(interfaceName, h) == 3)
        return; // no pixel clock
    const auto clocks = range("pixel_clock_range");
    QVERIFY(clocks.first > 0.0 && clocks.first < clocks.second);
    QCOMPARE(Halcon::set_framegrabber_param(h, "pixel_clock", Hlong(clocks.second)), Halcon::H_MSG_TRUE);
    const double fastestRate = range("frame_rate_range").second;
    QCOMPARE(Halcon::set_framegrabber_param(h, "frame_rate", fastestRate), Halcon::H_MSG_TRUE);
    // The pixel clock bounds the frame rate, and the rate in force follows it down.
    QCOMPARE(Halcon::set_framegrabber_param(h, "pixel_clock", Hlong(clocks.first)), Halcon::H_MSG_TRUE);
    const double slowestMaximum = range("frame_rate_range").second;
    QVERIFY(slowestMaximum < fastestRate);
    QVERIFY(value("frame_rate") <= slowestMaximum);
    QVERIFY(value("exposure") <= range("exposure_range").second + 1e-9);
    QVERIFY(Halcon::set_framegrabber_param(h, "pixel_clock", Hlong(clocks.second) + 1) != Halcon::H_MSG_TRUE);
    QCOMPARE(Hlong(value("pixel_clock")), Hlong(clocks.first));
}

void tst_AcquisitionConformance::refusesWhatItDoesNotHave_data()
{
    QTest::addColumn<QString>("interfaceName");
    QTest::addColumn<QString>("parameter");
    QTest::addColumn<HTuple>("value");
    QTest::newRow("uEye unknown") << "uEye" << "no_such_parameter" << HTuple(1);
    QTest::newRow("uEye LuCam's delay") << "uEye" << "exposure_delay" << HTuple(0.5);
    QTest::newRow("uEye text for a number") << "uEye" << "exposure" << HTuple("long");
    QTest::newRow("uEye not a number") << "uEye" << "exposure" << HTuple(std::nan(""));
    QTest::newRow("uEye unknown choice") << "uEye" << "edge_enhancement" << HTuple("extreme");
    QTest::newRow("uEye two values") << "uEye" << "gamma" << HTuple(std::vector<double>{1.0, 2.0});
    QTest::newRow("uEye gain too high") << "uEye" << "gain_master" << HTuple(101);
    QTest::newRow("uEye EEPROM too long") << "uEye" << "eeprom_content" << HTuple(std::string(65, 'x'));
    QTest::newRow("LuCam pixel clock") << "LuCam" << "pixel_clock" << HTuple(20);
    QTest::newRow("LuCam flip") << "LuCam" << "flip_horizontal" << HTuple("true");
    QTest::newRow("LuCam EEPROM") << "LuCam" << "eeprom_content" << HTuple("text");
    QTest::newRow("LuCam trigger signal") << "LuCam" << "trigger_signal" << HTuple("falling");
    QTest::newRow("LuCam negative strobe") << "LuCam" << "strobe_delay" << HTuple(-1.0);
}

void tst_AcquisitionConformance::refusesWhatItDoesNotHave()
{
    QFETCH(QString, interfaceName);
    QFETCH(QString, parameter);
    QFETCH(HTuple, value);
    OpenCamera camera(interfaceName);
    QCOMPARE(camera.result, Halcon::H_MSG_TRUE);
    const std::string name = parameter.toStdString();
    HTuple before, after;
    const bool readable = Halcon::get_framegrabber_param(camera.handle, name, &before) == Halcon::H_MSG_TRUE;
    const Halcon::Herror error = Halcon::set_framegrabber_param(camera.handle, name, value);
    QVERIFY(error != Halcon::H_MSG_TRUE);
    QVERIFY(error >= 1000);
    if (readable) {
        QCOMPARE(Halcon::get_framegrabber_param(camera.handle, name, &after), Halcon::H_MSG_TRUE);
        QVERIFY(after == before);
    }
}

void tst_AcquisitionConformance::forcedTriggerEndsTheWait()
{
    QFETCH(QString, interfaceName);
    OpenCamera camera(interfaceName);
    QCOMPARE(camera.result, Halcon::H_MSG_TRUE);
    const Hlong h = camera.handle;
    if (kindOf(interfaceName, h) == 1)
        QCOMPARE(Halcon::set_framegrabber_param(h, "trigger_signal", "falling"), Halcon::H_MSG_TRUE);
    QCOMPARE(Halcon::set_framegrabber_param(h, "grab_timeout", 60000), Halcon::H_MSG_TRUE);
    QCOMPARE(Halcon::set_framegrabber_param(h, "external_trigger", "true"), Halcon::H_MSG_TRUE);
    std::atomic<Halcon::Herror> result{-1};
    Hobject picture;
    std::thread grab([&] { result = Halcon::grab_image(&picture, h); });
    // Forced until the grab has ended: a force that comes too early must not be the end of it.
    QTRY_VERIFY_WITH_TIMEOUT(
        (Halcon::set_framegrabber_param(h, "do_force_trigger", "") == Halcon::H_MSG_TRUE && result != -1), 20000);
    grab.join();
    QCOMPARE(result.load(), Halcon::H_MSG_TRUE);
    QVERIFY(!picture.IsEmpty());
}

void tst_AcquisitionConformance::triggerWaitTimesOut()
{
    QFETCH(QString, interfaceName);
    OpenCamera camera(interfaceName);
    QCOMPARE(camera.result, Halcon::H_MSG_TRUE);
    const Hlong h = camera.handle;
    if (kindOf(interfaceName, h) == 1)
        QCOMPARE(Halcon::set_framegrabber_param(h, "trigger_signal", "rising"), Halcon::H_MSG_TRUE);
    QCOMPARE(Halcon::set_framegrabber_param(h, "grab_timeout", 40), Halcon::H_MSG_TRUE);
    QCOMPARE(Halcon::set_framegrabber_param(h, "external_trigger", "true"), Halcon::H_MSG_TRUE);
    Hobject picture;
    QCOMPARE(Halcon::grab_image(&picture, h), Halcon::kErrAcqTimeout);
    QVERIFY(picture.IsEmpty());
    // Without the external trigger the camera delivers again.
    QCOMPARE(Halcon::set_framegrabber_param(h, "external_trigger", "false"), Halcon::H_MSG_TRUE);
    QCOMPARE(Halcon::grab_image(&picture, h), Halcon::H_MSG_TRUE);
}

void tst_AcquisitionConformance::parametersWhileGrabbing()
{
    QFETCH(QString, interfaceName);
    OpenCamera camera(interfaceName);
    QCOMPARE(camera.result, Halcon::H_MSG_TRUE);
    const Hlong h = camera.handle;
    std::atomic<bool> stop{false};
    std::atomic<int> grabbed{0};
    std::thread grabber([&] {
        while (!stop) {
            Hobject picture;
            if (Halcon::grab_image(&picture, h) == Halcon::H_MSG_TRUE)
                ++grabbed;
        }
    });
    for (int i = 0; i < 200; ++i) {
        Halcon::set_framegrabber_param(h, "exposure", 1.0 + i % 7);
        HTuple value;
        Halcon::get_framegrabber_param(h, "exposure_range", &value);
    }
    QTRY_VERIFY_WITH_TIMEOUT(grabbed >= 3, 20000);
    stop = true;
    grabber.join();
}

void tst_AcquisitionConformance::badHandlesAndNames()
{
    Hlong handle = -1;
    QCOMPARE(openCamera(QStringLiteral("NoSuchInterface"), handle), Halcon::kErrAcqInterface);
    QCOMPARE(openCamera(QStringLiteral("uEye"), handle, "gray", "no such camera"), Halcon::kErrAcqDeviceNotFound);
    QCOMPARE(Halcon::open_framegrabber("uEye", 1, 1, 0, 0, 0, 0, "default", 8, "cmyk", -1.0, "false", "default",
                                       "default", -1, -1, &handle),
             Halcon::kErrWrongValue10);
    QCOMPARE(Halcon::open_framegrabber("uEye", 1, 1, 640, 0, 0, 0, "default", 8, "gray", -1.0, "false", "default",
                                       "default", -1, -1, &handle),
             Halcon::kErrWrongValue4);
    QCOMPARE(handle, Hlong(-1));
    Hobject picture;
    HTuple value;
    QCOMPARE(Halcon::grab_image(&picture, 987654), Halcon::kErrInvalidHandle);
    QCOMPARE(Halcon::grab_image(&picture, "text"), Halcon::kErrInvalidHandle);
    QCOMPARE(Halcon::set_framegrabber_param(987654, "exposure", 1.0), Halcon::kErrInvalidHandle);
    QCOMPARE(Halcon::get_framegrabber_param(987654, "exposure", &value), Halcon::kErrInvalidHandle);
    QCOMPARE(Halcon::info_framegrabber("uEye", "no_such_query", &value, &value), Halcon::kErrWrongValue2);
}

QTEST_GUILESS_MAIN(tst_AcquisitionConformance)
#include "tst_AcquisitionConformance.moc"
