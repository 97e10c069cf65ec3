// The test bench of the simulated cameras: where pictures come from, the external trigger
// and time-outs on the simulation clock, injected faults, the driver version and the logs
// of what a caller did.

#include "CameraTestSupport.h"

#include <HalconAcquisition.h>
#include <HalconErrors.h>
#include <HalconImageOps.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <memory>
#include <thread>

using Halcon::HTuple;
using Halcon::Hlong;
using Halcon::Hobject;
namespace Sim = Halcon::SimulatedCameras;

namespace {

Halcon::Herror openCamera(const char* interfaceName, Hlong& handle, const std::string& device = "default",
                          const char* colorSpace = "gray")
{
    return Halcon::open_framegrabber(interfaceName, 1, 1, 0, 0, 0, 0, "default", 8, colorSpace, -1.0, "false",
                                     "default", device, -1, -1, &handle);
}

int grayAt(const Hobject& picture)
{
    return HalconTestPictures::pixel(picture, 0, 0);
}

// A grab that runs in its own thread, as the camera thread runs it.
class BackgroundGrab {
public:
    explicit BackgroundGrab(Hlong handle)
        : m_thread([this, handle] { result = Halcon::grab_image(&picture, handle); })
    {
    }
    ~BackgroundGrab() { m_thread.join(); }
    bool done() const { return result != -1; }

    std::atomic<Halcon::Herror> result{-1};
    Hobject picture;

private:
    std::thread m_thread;
};

bool waitingForTrigger(const char* interfaceName)
{
    return Sim::state(interfaceName, 0).waitingForTrigger;
}

} // namespace

class tst_SimulatedCameras : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { CameraTestSupport::prepareCameraTests(); }
    void init();
    void cleanup();

    void picturesFromFolder_data();
    void picturesFromFolder();
    void environmentFolderServesEveryCamera();
    void generatedPictureOfTheSensorSize();
    void damagedFileFailsOneGrab();
    void emptyFolderOpensNothing();
    void edgeTakesTheWaitingPicture();
    void edgeBeforeTheWaitIsKeptUntilRearmed();
    void timeOutRunsOnTheSimulationClock();
    void injectedFaults_data();
    void injectedFaults();
    void driverVersion_data();
    void driverVersion();
    void eepromKeptAcrossOpens();
    void logsTellWhatHappened();
    void framesComeAtTheFrameRate();

private:
    QString folder() const { return m_folder->path(); }

    std::unique_ptr<QTemporaryDir> m_folder;
};

void tst_SimulatedCameras::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    CameraTestSupport::resetSimulation();
    qunsetenv(Sim::kPicturesEnvironment);
}

void tst_SimulatedCameras::cleanup()
{
    qunsetenv(Sim::kPicturesEnvironment);
    Sim::reset();
}

void tst_SimulatedCameras::picturesFromFolder_data()
{
    QTest::addColumn<QString>("interfaceName");
    QTest::addColumn<QString>("devicePrefix");
    QTest::newRow("uEye device is the folder") << "uEye" << "";
    QTest::newRow("LuCam identifier is the folder") << "LuCam" << "usb:";
}

void tst_SimulatedCameras::picturesFromFolder()
{
    QFETCH(QString, interfaceName);
    QFETCH(QString, devicePrefix);
    QVERIFY(CameraTestSupport::writeGrayPictures(folder(), {10, 20, 30}));
    Hlong handle = -1;
    const QByteArray name = interfaceName.toLatin1();
    QCOMPARE(openCamera(name.constData(), handle, (devicePrefix + folder()).toStdString(), "rgb"),
             Halcon::H_MSG_TRUE);
    QList<int> values;
    for (int i = 0; i < 4; ++i) {
        Hobject picture;
        QCOMPARE(Halcon::grab_image(&picture, handle), Halcon::H_MSG_TRUE);
        Hlong channels = 0;
        Halcon::count_channels(picture, &channels);
        QCOMPARE(channels, Hlong(3)); // grey files in a colour open
        values.append(HalconTestPictures::pixel(picture, 2, 3, 2));
    }
    QCOMPARE(values, (QList<int>{10, 20, 30, 10}));
    Halcon::close_framegrabber(handle);
}

void tst_SimulatedCameras::environmentFolderServesEveryCamera()
{
    QVERIFY(CameraTestSupport::writeGrayPictures(folder(), {77}));
    qputenv(Sim::kPicturesEnvironment, folder().toLocal8Bit());
    Hlong handle = -1;
    QCOMPARE(openCamera("LuCam", handle), Halcon::H_MSG_TRUE);
    Hobject picture;
    QCOMPARE(Halcon::grab_image(&picture, handle), Halcon::H_MSG_TRUE);
    QCOMPARE(grayAt(picture), 77);
    Halcon::close_framegrabber(handle);
}

void tst_SimulatedCameras::generatedPictureOfTheSensorSize()
{
    std::vector<Sim::Camera> cameras = Sim::cameras("uEye");
    cameras[0].width = 200;
    cameras[0].height = 150;
    Sim::setCameras("uEye", cameras);
    Hlong handle = -1;
    QCOMPARE(openCamera("uEye", handle, "default", "rgb"), Halcon::H_MSG_TRUE);
    Hobject first, second;
    QCOMPARE(Halcon::grab_image(&first, handle), Halcon::H_MSG_TRUE);
    QCOMPARE(Halcon::grab_image(&second, handle), Halcon::H_MSG_TRUE);
    Hlong width = 0, height = 0;
    Halcon::get_image_size(first, &width, &height);
    QCOMPARE(width, Hlong(200));
    QCOMPARE(height, Hlong(150));
    // Frames share the generated pixels instead of copying them.
    QVERIFY(first.SharesElementsWith(second));
    Halcon::close_framegrabber(handle);
}

void tst_SimulatedCameras::damagedFileFailsOneGrab()
{
    QVERIFY(CameraTestSupport::writeGrayPictures(folder(), {10}));
    QFile damaged(QDir(folder()).filePath(QStringLiteral("05.png")));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a picture");
    damaged.close();
    Hlong handle = -1;
    QCOMPARE(openCamera("uEye", handle, folder().toStdString()), Halcon::H_MSG_TRUE);
    Hobject picture;
    QCOMPARE(Halcon::grab_image(&picture, handle), Halcon::H_MSG_TRUE);
    QCOMPARE(Halcon::grab_image(&picture, handle), Halcon::kErrAcqGrabFailed);
    QCOMPARE(Halcon::grab_image(&picture, handle), Halcon::H_MSG_TRUE);
    QCOMPARE(grayAt(picture), 10);
    Halcon::close_framegrabber(handle);
}

void tst_SimulatedCameras::emptyFolderOpensNothing()
{
    Hlong handle = -1;
    QCOMPARE(openCamera("uEye", handle, folder().toStdString()), Halcon::kErrAcqDeviceNotFound);
    // The camera is free again for the next open.
    QCOMPARE(openCamera("uEye", handle), Halcon::H_MSG_TRUE);
    Halcon::close_framegrabber(handle);
}

void tst_SimulatedCameras::edgeTakesTheWaitingPicture()
{
    Hlong handle = -1;
    QCOMPARE(openCamera("uEye", handle), Halcon::H_MSG_TRUE);
    QCOMPARE(Halcon::set_framegrabber_param(handle, "trigger_signal", "falling"), Halcon::H_MSG_TRUE);
    QCOMPARE(Halcon::set_framegrabber_param(handle, "grab_timeout", -1), Halcon::H_MSG_TRUE);
    QCOMPARE(Halcon::set_framegrabber_param(handle, "external_trigger", "true"), Halcon::H_MSG_TRUE);
    {
        BackgroundGrab grab(handle);
        QTRY_VERIFY_WITH_TIMEOUT(waitingForTrigger("uEye"), 10000);
        QVERIFY(!grab.done());
        Sim::fireTrigger("uEye");
        QTRY_VERIFY_WITH_TIMEOUT(grab.done(), 10000);
        QCOMPARE(grab.result.load(), Halcon::H_MSG_TRUE);
    }
    // The software trigger takes pictures at once.
    QCOMPARE(Halcon::set_framegrabber_param(handle, "trigger_signal", "software"), Halcon::H_MSG_TRUE);
    Hobject picture;
    QCOMPARE(Halcon::grab_image(&picture, handle), Halcon::H_MSG_TRUE);
    // A close ends a wait.
    QCOMPARE(Halcon::set_framegrabber_param(handle, "trigger_signal", "rising"), Halcon::H_MSG_TRUE);
    BackgroundGrab grab(handle);
    QTRY_VERIFY_WITH_TIMEOUT(waitingForTrigger("uEye"), 10000);
    QCOMPARE(Halcon::close_framegrabber(handle), Halcon::H_MSG_TRUE);
    QTRY_VERIFY_WITH_TIMEOUT(grab.done(), 10000);
    QCOMPARE(grab.result.load(), Halcon::kErrInvalidHandle);
}

void tst_SimulatedCameras::edgeBeforeTheWaitIsKeptUntilRearmed()
{
    Hlong handle = -1;
    QCOMPARE(openCamera("LuCam", handle), Halcon::H_MSG_TRUE);
    QCOMPARE(Halcon::set_framegrabber_param(handle, "grab_timeout", 30), Halcon::H_MSG_TRUE);
    QCOMPARE(Halcon::set_framegrabber_param(handle, "external_trigger", "true"), Halcon::H_MSG_TRUE);
    Sim::fireTrigger("LuCam");
    Hobject picture;
    QCOMPARE(Halcon::grab_image(&picture, handle), Halcon::H_MSG_TRUE);
    // One edge, one picture.
    QCOMPARE(Halcon::grab_image(&picture, handle), Halcon::kErrAcqTimeout);
    Sim::fireTrigger("LuCam");
    QCOMPARE(Halcon::set_framegrabber_param(handle, "external_trigger", "true"), Halcon::H_MSG_TRUE);
    QCOMPARE(Halcon::grab_image(&picture, handle), Halcon::kErrAcqTimeout);
    Halcon::close_framegrabber(handle);
}

void tst_SimulatedCameras::timeOutRunsOnTheSimulationClock()
{
    auto clock = std::make_shared<Sim::ManualClock>();
    Sim::setClock(clock);
    Hlong handle = -1;
    QCOMPARE(openCamera("uEye", handle), Halcon::H_MSG_TRUE);
    QCOMPARE(Halcon::set_framegrabber_param(handle, "trigger_signal", "rising"), Halcon::H_MSG_TRUE);
    QCOMPARE(Halcon::set_framegrabber_param(handle, "grab_timeout", 10000), Halcon::H_MSG_TRUE);
    QCOMPARE(Halcon::set_framegrabber_param(handle, "external_trigger", "true"), Halcon::H_MSG_TRUE);
    {
        BackgroundGrab grab(handle);
        QTRY_VERIFY_WITH_TIMEOUT(waitingForTrigger("uEye"), 10000);
        clock->advance(9999);
        QTRY_VERIFY_WITH_TIMEOUT(waitingForTrigger("uEye"), 10000); // still within its time
        QVERIFY(!grab.done());
        clock->advance(1);
        QTRY_VERIFY_WITH_TIMEOUT(grab.done(), 10000);
        QCOMPARE(grab.result.load(), Halcon::kErrAcqTimeout);
        QVERIFY(grab.picture.IsEmpty());
    }
    Halcon::close_framegrabber(handle);
}

void tst_SimulatedCameras::injectedFaults_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("results"); // of four grabs (or opens)
    QTest::newRow("two grabs fail") << int(Sim::Fault::GrabFails) << 2
                                    << QList<int>{Halcon::kErrAcqGrabFailed, Halcon::kErrAcqGrabFailed, 2, 2};
    QTest::newRow("one grab times out") << int(Sim::Fault::GrabTimesOut) << 1
                                        << QList<int>{Halcon::kErrAcqTimeout, 2, 2, 2};
    QTest::newRow("grabs fail until cleared") << int(Sim::Fault::GrabFails) << -1
                                              << QList<int>(4, Halcon::kErrAcqGrabFailed);
    QTest::newRow("open fails once") << int(Sim::Fault::OpenFails) << 1
                                     << QList<int>{Halcon::kErrAcqDeviceNotFound, 2, 2, 2};
}

void tst_SimulatedCameras::injectedFaults()
{
    QFETCH(int, fault);
    QFETCH(int, count);
    QFETCH(QList<int>, results);
    Sim::injectFault("uEye", Sim::Fault(fault), count);
    Sim::injectFault("LuCam", Sim::Fault::GrabFails, -1); // another interface's faults stay there
    QList<int> seen;
    if (Sim::Fault(fault) == Sim::Fault::OpenFails) {
        for (int i = 0; i < 4; ++i) {
            Hlong handle = -1;
            seen.append(openCamera("uEye", handle));
            if (handle != -1)
                Halcon::close_framegrabber(handle);
        }
    } else {
        Hlong handle = -1;
        QCOMPARE(openCamera("uEye", handle), Halcon::H_MSG_TRUE);
        for (int i = 0; i < 4; ++i) {
            Hobject picture;
            seen.append(Halcon::grab_image(&picture, handle));
        }
        QCOMPARE(Sim::state("uEye", 0).grabAttempts, 4);
        Halcon::close_framegrabber(handle);
    }
    QCOMPARE(seen, results);
    Sim::clearFaults();
    Hlong handle = -1;
    QCOMPARE(openCamera("uEye", handle), Halcon::H_MSG_TRUE);
    Hobject picture;
    QCOMPARE(Halcon::grab_image(&picture, handle), Halcon::H_MSG_TRUE);
    Halcon::close_framegrabber(handle);
}

void tst_SimulatedCameras::driverVersion_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::newRow("installed") << true << 4 << 10;
    QTest::newRow("too old is still reported") << true << 3 << 99;
    QTest::newRow("not installed") << false << 0 << 0;
}

void tst_SimulatedCameras::driverVersion()
{
    QFETCH(bool, installed);
    QFETCH(int, major);
    QFETCH(int, minor);
    Sim::setDriverVersion("uEye", {installed, major, minor, 7, 1});
    HTuple information, values;
    const Halcon::Herror info = Halcon::info_framegrabber("uEye", "driver_version", &information, &values);
    Hlong handle = -1;
    const Halcon::Herror open = openCamera("uEye", handle);
    if (handle != -1)
        Halcon::close_framegrabber(handle);
    if (!installed) {
        QCOMPARE(info, Halcon::kErrAcqInterface);
        QCOMPARE(open, Halcon::kErrAcqInterface);
        QCOMPARE(Halcon::info_framegrabber("uEye", "info_boards", &information, &values), Halcon::kErrAcqInterface);
        return;
    }
    QCOMPARE(info, Halcon::H_MSG_TRUE);
    QCOMPARE(values, HTuple(std::vector<Hlong>{major, minor, 7, 1}));
    QCOMPARE(information.S(), QStringLiteral("%1.%2.7.1").arg(major).arg(minor).toStdString());
    QCOMPARE(open, Halcon::H_MSG_TRUE);
}

void tst_SimulatedCameras::eepromKeptAcrossOpens()
{
    Hlong handle = -1;
    QCOMPARE(openCamera("uEye", handle), Halcon::H_MSG_TRUE);
    QCOMPARE(Halcon::set_framegrabber_param(handle, "eeprom_content", "rack 7"), Halcon::H_MSG_TRUE);
    QCOMPARE(Halcon::set_framegrabber_param(handle, "exposure", 3.5), Halcon::H_MSG_TRUE);
    Halcon::close_framegrabber(handle);
    QCOMPARE(openCamera("uEye", handle), Halcon::H_MSG_TRUE);
    HTuple text, exposure;
    QCOMPARE(Halcon::get_framegrabber_param(handle, "eeprom_content", &text), Halcon::H_MSG_TRUE);
    QCOMPARE(text.S(), std::string("rack 7"));
    // Other parameters start afresh with every open.
    QCOMPARE(Halcon::get_framegrabber_param(handle, "exposure", &exposure), Halcon::H_MSG_TRUE);
    QVERIFY(exposure.D() != 3.5);
    Halcon::close_framegrabber(handle);
    QCOMPARE(Sim::cameras("uEye")[0].eeprom, std::string("rack 7"));
}

void tst_SimulatedCameras::logsTellWhatHappened()
{
    Hlong handle = -1;
    QCOMPARE(openCamera("LuCam", handle, "usb:1", "rgb"), Halcon::H_MSG_TRUE);
    Halcon::set_framegrabber_param(handle, "gamma", 2.5);
    Halcon::set_framegrabber_param(handle, "gamma", 99.0);
    Sim::injectFault("LuCam", Sim::Fault::SetParameterFails, 1, "strobe");
    QVERIFY(Halcon::set_framegrabber_param(handle, "strobe", "enable") != Halcon::H_MSG_TRUE);
    QCOMPARE(Halcon::set_framegrabber_param(handle, "strobe", "enable"), Halcon::H_MSG_TRUE);
    Halcon::close_framegrabber(handle);
    Hlong other = -1;
    openCamera("LuCam", other, "usb:9");
    QCOMPARE(CameraTestSupport::parameterWrites(),
             (QStringList{"gamma=2.5", "gamma=99.0 refused", "strobe=enable refused", "strobe=enable"}));
    const std::vector<Sim::OpenCall> opens = Sim::openLog();
    QCOMPARE(opens.size(), size_t(2));
    QCOMPARE(opens[0].device, std::string("usb:1"));
    QCOMPARE(opens[0].colorSpace, std::string("rgb"));
    QVERIFY(opens[0].accepted);
    QVERIFY(!opens[1].accepted);
}

void tst_SimulatedCameras::framesComeAtTheFrameRate()
{
    Hlong handle = -1;
    QCOMPARE(openCamera("LuCam", handle), Halcon::H_MSG_TRUE);
    QCOMPARE(Halcon::set_framegrabber_param(handle, "frame_rate", 20.0), Halcon::H_MSG_TRUE);
    Hobject picture;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 6; ++i)
        QCOMPARE(Halcon::grab_image(&picture, handle), Halcon::H_MSG_TRUE);
    // Six frames at 20 per second span at least five periods.
    QVERIFY2(timer.elapsed() >= 245, QByteArray::number(timer.elapsed()));
    Halcon::close_framegrabber(handle);
}

QTEST_GUILESS_MAIN(tst_SimulatedCameras)
#include "tst_SimulatedCameras.moc"
