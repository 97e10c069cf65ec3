// The camera thread: warm-up after an open, live mode, the settings push with its order and
// its failures, the reopen on a device change, a close during the warm-up and a settings
// change while a triggered grab waits.

#include "CameraTestSupport.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

using namespace CameraTestSupport;
using Halcon::Hobject;

namespace {

// Changes the record as the editor does: values, then the debounced notice.
void edit(Camera_Settings& settings, const std::function<void(Camera_Settings&)>& change)
{
    change(settings);
    settings.setChanged(0);
}

const Sim::Camera kSecond{"SIM-U5M-C", "2", "4200", 160, 120, true, "", ""};

} // namespace

class tst_CameraThread : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void warmUpGrabCount_data();
    void warmUpGrabCount();
    void warmUpLastsItsTime();
    void closeDuringWarmUp();
    void liveMode();
    void liveGrabFailureIsReported();
    void slowReceiverSeesTheNewestPicture();
    void settingsPush_data();
    void settingsPush();
    void failedSetterKeepsTheRealValue();
    void refusedValueIsReportedOnce();
    void deviceChangeReopens_data();
    void deviceChangeReopens();
    void settingsChangeDuringTriggeredGrab();
    void destroyedWhileBusy_data();
    void destroyedWhileBusy();
};

void tst_CameraThread::initTestCase()
{
    prepareCameraTests();
}

void tst_CameraThread::init()
{
    resetSimulation();
    Camera_Timing::set(fastTiming());
}

void tst_CameraThread::cleanupTestCase()
{
    Sim::reset();
}

void tst_CameraThread::warmUpGrabCount_data()
{
    QTest::addColumn<int>("colorSpace");
    QTest::addColumn<int>("whiteBalance");
    QTest::addColumn<int>("grabs");
    QTest::newRow("grey") << 1 << 3 << 2;
    QTest::newRow("colour, automatic once") << 2 << 3 << 7;
    QTest::newRow("colour, automatic") << 2 << 2 << 7;
    QTest::newRow("colour, by user") << 2 << 4 << 2;
}

void tst_CameraThread::warmUpGrabCount()
{
    QFETCH(int, colorSpace);
    QFETCH(int, whiteBalance);
    QFETCH(int, grabs);
    // Without time to wait, the count alone decides.
    Camera_Timing timing = fastTiming();
    timing.warmUp = timing.warmUpAutoWhiteBalance = 0;
    timing.warmUpGrabs = 2;
    timing.warmUpAutoWhiteBalanceGrabs = 7;
    Camera_Timing::set(timing);
    CameraFixture f;
    f.settings.Settings.ColorSpace = colorSpace;
    f.settings.Settings.WhiteBalanceMode = whiteBalance;
    QVERIFY(openAndRun(f));
    QCOMPARE(Sim::state("uEye", 0).grabAttempts, qint64(grabs));
}

void tst_CameraThread::warmUpLastsItsTime()
{
    Camera_Timing timing = fastTiming();
    timing.warmUpAutoWhiteBalance = 400;
    timing.warmUpAutoWhiteBalanceGrabs = 1;
    Camera_Timing::set(timing);
    CameraFixture f;
    f.settings.Settings.ColorSpace = 2;
    f.settings.Settings.WhiteBalanceMode = 3;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(int(f.camera.Open()), 0);
    // A picture taken right after the open waits for the warm-up.
    QCOMPARE(int(f.camera.GrabPicture(false)), 0);
    QVERIFY2(clock.elapsed() >= 400, QByteArray::number(clock.elapsed()));
    QVERIFY(Sim::state("uEye", 0).grabAttempts > 2);
}

void tst_CameraThread::closeDuringWarmUp()
{
    Camera_Timing timing = fastTiming();
    timing.warmUp = 600000;
    Camera_Timing::set(timing);
    CameraFixture f;
    QCOMPARE(int(f.camera.Open()), 0);
    QCOMPARE(f.camera.GetState(), int(Camera::State_WarmUp));
    QVERIFY(QTest::qWaitFor([] { return Sim::state("uEye", 0).grabAttempts > 0; }, 10000));
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(int(f.camera.Close()), 0);
    QVERIFY(clock.elapsed() < 60000);
    QCOMPARE(f.camera.GetState(), int(Camera::State_Idle));
    QVERIFY(!Sim::state("uEye", 0).open);
    QTRY_COMPARE(f.relay.events, (QStringList{"close", "open", "close"}));
    // The warm-up let both locks go.
    Hobject picture;
    QCOMPARE(int(f.camera.GetPicture(picture)), 15);
}

void tst_CameraThread::liveMode()
{
    CameraFixture f;
    QVERIFY(openAndRun(f));
    f.camera.SetLiveMode(true);
    QTRY_VERIFY_WITH_TIMEOUT(f.relay.pictures.size() >= 3, 10000);
    QVERIFY(!f.relay.pictureErrors.contains(1) && f.relay.pictureErrors.count(0) == f.relay.pictureErrors.size());
    QVERIFY(!f.relay.pictures.last().IsEmpty());
    // Without picture steps no pixel is copied on the way: every frame is the camera's own.
    QVERIFY(f.relay.pictures[0].SharesElementsWith(f.relay.pictures[2]));
    // Live pictures are not the last picture.
    Hobject last;
    QCOMPARE(int(f.camera.GetPicture(last)), 15);

    f.camera.SetLiveMode(false);
    edit(f.settings, [](Camera_Settings& s) { s.Settings.ExposureTime = 10.0; });
    QTRY_COMPARE_WITH_TIMEOUT(f.relay.settingsChanged, 1, 10000);
    const qsizetype shown = f.relay.pictures.size();
    QCOMPARE(int(f.camera.GrabPicture(false)), 0);
    edit(f.settings, [](Camera_Settings& s) { s.Settings.ExposureTime = 11.0; });
    QTRY_COMPARE_WITH_TIMEOUT(f.relay.settingsChanged, 2, 10000);
    // Signals of the camera thread arrive in order: none came between the two pushes.
    QCOMPARE(f.relay.pictures.size(), shown);
    QCOMPARE(int(f.camera.GetPicture(last)), 0);
}

void tst_CameraThread::liveGrabFailureIsReported()
{
    CameraFixture f;
    QVERIFY(openAndRun(f));
    Sim::injectFault("uEye", Sim::Fault::GrabFails, -1);
    f.camera.SetLiveMode(true);
    QTRY_VERIFY_WITH_TIMEOUT(f.relay.pictureErrors.contains(14), 10000);
    const qsizetype at = f.relay.pictureErrors.indexOf(14);
    QVERIFY(f.relay.pictures.at(at).IsEmpty());
    QVERIFY(f.camera.IsOpen()); // live grabbing never closes the camera
}

void tst_CameraThread::slowReceiverSeesTheNewestPicture()
{
    // The served pictures carry their number as grey value.
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    constexpr int kServed = 250;
    QList<int> numbers;
    for (int n = 0; n < kServed; ++n)
        numbers.append(n);
    QVERIFY(writeGrayPictures(folder.path(), numbers));
    qputenv(Sim::kPicturesEnvironment, QFile::encodeName(folder.path()));
    CameraFixture f;
    QVERIFY(openAndRun(f));

    // A receiver busy until the camera has handed on five more pictures: the device counts a
    // grab before the camera thread passes its picture on, so the fifth is surely passed on
    // only once the sixth is counted.
    QList<int> seen;
    QObject receiver;
    connect(&f.camera, &Camera::signal_picture, &receiver, [&seen](Errors::Type_Error error, const Hobject& picture) {
        if (error != 0 || seen.size() >= 4)
            return;
        seen.append(HalconTestPictures::pixel(picture, 0, 0));
        const std::int64_t until = Sim::state("uEye", 0).pictures + 6;
        const QDeadlineTimer deadline(10000);
        while (Sim::state("uEye", 0).pictures < until && !deadline.hasExpired())
            std::this_thread::yield();
    });
    f.camera.SetLiveMode(true);
    QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 4, 20000);
    f.camera.SetLiveMode(false);
    qunsetenv(Sim::kPicturesEnvironment);
    // Each picture it gets is the newest, not the next of a queue that grows behind it. The
    // served pictures come round again after the last one.
    for (qsizetype k = 1; k < seen.size(); ++k) {
        const int newer = (seen[k] - seen[k - 1] + kServed) % kServed;
        QVERIFY2(newer >= 5, qPrintable(QStringLiteral("%1 after %2").arg(seen[k]).arg(seen[k - 1])));
    }
}

void tst_CameraThread::settingsPush_data()
{
    QTest::addColumn<int>("colorSpace");
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("writes");

    QTest::newRow("exposure") << 1 << "ExposureTime" << QStringList{"exposure=10.0"};
    QTest::newRow("pixel clock bounds rate and exposure")
        << 1 << "PixelClock" << QStringList{"pixel_clock=20", "frame_rate=40.0", "exposure=200.0"};
    QTest::newRow("frame rate") << 1 << "FrameRate" << QStringList{"frame_rate=12.0"};
    QTest::newRow("edge enhancement") << 1 << "EdgeEnhancement" << QStringList{"edge_enhancement=strong"};
    QTest::newRow("gain and gamma") << 1 << "GainGamma" << QStringList{"gain_master=9", "gamma=2.0"};
    QTest::newRow("mirror") << 1 << "MirrorUpDown" << QStringList{"flip_horizontal=false", "flip_vertical=true"};
    QTest::newRow("white balance of a grey camera") << 1 << "WhiteBalance" << QStringList{};
    QTest::newRow("white balance") << 2 << "WhiteBalance"
                                   << QStringList{"white_balance=user", "gain_r=7", "gain_g=0", "gain_b=3"};
    QTest::newRow("trigger time-out") << 1 << "TriggerTimeout" << QStringList{"grab_timeout=3000", "api_timeout=5000"};
    QTest::newRow("trigger on")
        << 1 << "TriggerUsed" << QStringList{"external_trigger=true", "grab_timeout=200000000", "api_timeout=200002000"};
    QTest::newRow("flash on") << 1 << "FlashUsed"
                              << QStringList{"external_trigger=true", "strobe_mode=enable", "strobe_invert=true",
                                             "strobe_delay=0", "strobe_duration=0"};
    QTest::newRow("strobe delay") << 1 << "StrobeDelay" << QStringList{"strobe_delay=500"};
    QTest::newRow("picture steps act on the next grab") << 1 << "MultiplesRotate" << QStringList{};
    QTest::newRow("trigger signal waits for the next open") << 1 << "TriggerSignal" << QStringList{};
}

void tst_CameraThread::settingsPush()
{
    QFETCH(int, colorSpace);
    QFETCH(QString, change);
    QFETCH(QStringList, writes);
    CameraFixture f;
    f.settings.Settings.ColorSpace = colorSpace;
    QVERIFY(openAndRun(f));
    Sim::clearLogs();
    edit(f.settings, [&change](Camera_Settings& s) {
        auto& v = s.Settings;
        if (change == QLatin1String("ExposureTime"))
            v.ExposureTime = 10.0;
        else if (change == QLatin1String("PixelClock"))
            v.PixelClock = 20;
        else if (change == QLatin1String("FrameRate"))
            v.FrameRate = 12.0, v.FrameRateMaxMode = false;
        else if (change == QLatin1String("EdgeEnhancement"))
            v.EdgeEnhancement = 3;
        else if (change == QLatin1String("GainGamma"))
            v.GainMaster = 9, v.GammaCorrection = 2.0;
        else if (change == QLatin1String("MirrorUpDown"))
            s.Picture.MirrorUpDown = true;
        else if (change == QLatin1String("WhiteBalance"))
            v.WhiteBalanceMode = 4, v.WhiteBalanceR = 7;
        else if (change == QLatin1String("TriggerTimeout"))
            s.ExternalTrigger.TriggerTimeout = 3;
        else if (change == QLatin1String("TriggerUsed"))
            s.ExternalTrigger.Used = true;
        else if (change == QLatin1String("FlashUsed"))
            s.ExternalFlash.Used = true;
        else if (change == QLatin1String("StrobeDelay"))
            s.ExternalFlash.StrobeDelay = 0.5;
        else if (change == QLatin1String("MultiplesRotate"))
            s.Picture.Multiples = 3, s.Picture.Rotate = 2;
        else if (change == QLatin1String("TriggerSignal"))
            s.ExternalTrigger.TriggerSignal = 2;
    });
    QTRY_COMPARE_WITH_TIMEOUT(f.relay.settingsChanged, 1, 10000);
    QCOMPARE(parameterWrites(), writes);
    QVERIFY(f.relay.errors.isEmpty());
    const Camera_Settings_Data copy = f.camera.GetSettingsCopy();
    QCOMPARE(copy.Picture.Multiples, f.settings.Picture.Multiples);
    QCOMPARE(copy.Picture.Rotate, f.settings.Picture.Rotate);
    QCOMPARE(copy.ExternalTrigger.TriggerSignal, 1);
    if (change != QLatin1String("WhiteBalance") || colorSpace == 2)
        QVERIFY(copy.Settings == f.settings.Settings);
}

void tst_CameraThread::failedSetterKeepsTheRealValue()
{
    CameraFixture f;
    QVERIFY(openAndRun(f));
    Sim::injectFault("uEye", Sim::Fault::SetParameterFails, 1, "exposure");
    Sim::clearLogs();
    edit(f.settings, [](Camera_Settings& s) {
        s.Settings.ExposureTime = 10.0;
        s.Settings.GainMaster = 4;
    });
    QTRY_COMPARE_WITH_TIMEOUT(f.relay.settingsChanged, 1, 10000);
    QCOMPARE(f.relay.errors, QList<Errors::Type_Error>{25});
    QCOMPARE(f.relay.events.mid(2), (QStringList{"error 25", "settings"}));
    QCOMPARE(f.camera.GetSettingsCopy().Settings.ExposureTime, 200.0);
    QCOMPARE(f.camera.GetSettingsCopy().Settings.GainMaster, quint16(4));
    // The next change tries the exposure again, since the camera does not have it yet.
    edit(f.settings, [](Camera_Settings& s) { s.Settings.GammaCorrection = 2.0; });
    QTRY_COMPARE_WITH_TIMEOUT(f.relay.settingsChanged, 2, 10000);
    QCOMPARE(parameterWrites(), (QStringList{"exposure=10.0 refused", "gain_master=4", "exposure=10.0", "gamma=2.0"}));
    QCOMPARE(f.camera.GetSettingsCopy().Settings.ExposureTime, 10.0);
    QCOMPARE(f.relay.errors.size(), 1);
}

void tst_CameraThread::refusedValueIsReportedOnce()
{
    CameraFixture f;
    QVERIFY(openAndRun(f));
    const auto pushed = [&f](const std::function<void(Camera_Settings&)>& change) {
        const int before = f.relay.settingsChanged;
        edit(f.settings, change);
        return QTest::qWaitFor([&] { return f.relay.settingsChanged > before; }, 10000);
    };
    QVERIFY(pushed([](Camera_Settings& s) { s.Settings.ExposureTime = -3.0; }));
    QCOMPARE(f.relay.errors, QList<Errors::Type_Error>{25});
    // Later pushes try the value again, but do not report it again.
    Sim::clearLogs();
    QVERIFY(pushed([](Camera_Settings& s) { s.Settings.GammaCorrection = 2.0; }));
    QVERIFY(pushed([](Camera_Settings& s) { s.Settings.GainMaster = 3; }));
    QCOMPARE(parameterWrites().count(QStringLiteral("exposure=-3.0 refused")), 2);
    QCOMPARE(f.relay.errors.size(), 1);
    // Another refused value is reported, and so is one refused again after the camera took
    // a good one.
    QVERIFY(pushed([](Camera_Settings& s) { s.Settings.ExposureTime = -4.0; }));
    QCOMPARE(f.relay.errors.size(), 2);
    QVERIFY(pushed([](Camera_Settings& s) { s.Settings.ExposureTime = 10.0; }));
    QCOMPARE(f.camera.GetSettingsCopy().Settings.ExposureTime, 10.0);
    QVERIFY(pushed([](Camera_Settings& s) { s.Settings.ExposureTime = -4.0; }));
    QCOMPARE(f.relay.errors, (QList<Errors::Type_Error>{25, 25, 25}));

    // A field of two setters whose second one the camera refuses: once, however often the
    // first one succeeds again.
    Sim::injectFault("uEye", Sim::Fault::SetParameterFails, -1, "api_timeout");
    QVERIFY(pushed([](Camera_Settings& s) { s.ExternalTrigger.TriggerTimeout = 7; }));
    QCOMPARE(f.relay.errors.size(), 4);
    QVERIFY(pushed([](Camera_Settings& s) { s.Settings.GainMaster = 4; }));
    QVERIFY(pushed([](Camera_Settings& s) { s.Settings.GainMaster = 5; }));
    QCOMPARE(f.relay.errors.size(), 4);
    Sim::clearFaults();
}

void tst_CameraThread::deviceChangeReopens_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QStringList>("events");
    QTest::newRow("another camera") << "4200" << QStringList{"close", "close", "open"};
    QTest::newRow("camera not connected") << "999" << QStringList{"close", "close", "error 12"};
}

void tst_CameraThread::deviceChangeReopens()
{
    QFETCH(QString, serial);
    QFETCH(QStringList, events);
    std::vector<Sim::Camera> cameras = Sim::cameras("uEye");
    cameras.push_back(kSecond);
    Sim::setCameras("uEye", cameras);
    CameraFixture f;
    QVERIFY(openAndRun(f));
    QTRY_COMPARE(f.relay.events.size(), 2);
    Sim::clearLogs();
    edit(f.settings, [&serial](Camera_Settings& s) { s.Device.CameraSerialNumber = serial; });
    QTRY_COMPARE_WITH_TIMEOUT(f.relay.events.mid(2), events, 10000);
    QCOMPARE(f.camera.IsOpen(), !events.last().startsWith(QLatin1String("error")));
    QCOMPARE(Sim::openLog().back().device, serial.toStdString());
    QCOMPARE(f.relay.settingsChanged, 0);
}

void tst_CameraThread::settingsChangeDuringTriggeredGrab()
{
    CameraFixture f;
    f.settings.ExternalTrigger = {true, 1, 0, 0.0};
    QVERIFY(openAndRun(f));
    std::atomic<int> result{-1};
    std::thread grab([&] { result = f.camera.GrabPicture(true); });
    QVERIFY(QTest::qWaitFor([] { return Sim::state("uEye", 0).waitingForTrigger; }, 10000));
    Sim::clearLogs();
    edit(f.settings, [](Camera_Settings& s) { s.Settings.ExposureTime = 10.0; });
    QVERIFY(QTest::qWaitFor([&] { return result != -1; }, 10000));
    grab.join();
    QCOMPARE(result.load(), 17);
    QTRY_COMPARE_WITH_TIMEOUT(f.relay.settingsChanged, 1, 10000);
    QVERIFY(f.relay.pictures.isEmpty());
    QVERIFY(parameterWrites().contains(QStringLiteral("exposure=10.0")));
    QCOMPARE(int(f.camera.GrabPicture(false)), 0);
}

void tst_CameraThread::destroyedWhileBusy_data()
{
    QTest::addColumn<bool>("warmingUp");
    QTest::newRow("warming up") << true;
    QTest::newRow("live") << false;
}

void tst_CameraThread::destroyedWhileBusy()
{
    QFETCH(bool, warmingUp);
    Camera_Timing timing = fastTiming();
    if (warmingUp)
        timing.warmUp = 600000;
    Camera_Timing::set(timing);
    {
        CameraFixture f;
        QCOMPARE(int(f.camera.Open()), 0);
        if (!warmingUp) {
            f.camera.SetLiveMode(true);
            QTRY_VERIFY_WITH_TIMEOUT(!f.relay.pictures.isEmpty(), 10000);
        }
    }
    QVERIFY(!Sim::state("uEye", 0).open);
}

QTEST_MAIN(tst_CameraThread)
#include "tst_CameraThread.moc"
