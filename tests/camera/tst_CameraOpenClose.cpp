// Opening and closing the camera: a close does not wait for a trigger edge that may never
// come, whatever the camera and its trigger mode; an open or close asked for while another
// one waits with events flowing is refused, so that every answer and signal matches the
// state the camera is in; an open that the camera refuses says which value it refused.

#include "CameraTestSupport.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

using namespace CameraTestSupport;

namespace {

// Where the camera thread waits until the test lets it on; bounded, so that a failing
// test still ends.
class Gate {
public:
    void open()
    {
        {
            std::lock_guard lock(m_mutex);
            m_open = true;
        }
        m_changed.notify_all();
    }
    void pass()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::seconds(30), [this] { return m_open; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
};

// A uEye camera of the small kind: no software trigger, like a LuCam camera.
const Sim::Camera kSmallUEye{"XS-SIM-5M", "1", "4103000001", 160, 120, true, "", ""};
const Sim::Camera kSecond{"SIM-U5M-C", "2", "4200", 160, 120, true, "", ""};

constexpr quint32 kTriggerTimeoutSeconds = 120;
// The grabs' time-outs run on a clock that stands still, so a close that waited for one would
// never end by itself: after this long a watchdog lets the time-outs pass, and the test fails.
// No close that releases its grab comes near it, however busy the machine.
constexpr std::chrono::seconds kWatchdog{20};

// Lets the grabs' time-outs pass once kWatchdog has gone by without release().
class TimeOutWatchdog {
public:
    explicit TimeOutWatchdog(std::shared_ptr<Sim::ManualClock> clock)
        : m_thread([this, clock] {
            std::unique_lock lock(m_mutex);
            if (m_released.wait_for(lock, kWatchdog, [this] { return m_done; }))
                return;
            m_expired = true;
            clock->advance(std::int64_t(24) * 3600 * 1000);
        })
    {
    }
    ~TimeOutWatchdog() { release(); }
    // true when the time-outs had to be let pass.
    bool release()
    {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_released.notify_all();
        if (m_thread.joinable())
            m_thread.join();
        return m_expired;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_done = false;
    bool m_expired = false;
    std::thread m_thread;
};

enum class Ending { Close, Destructor, DeviceChange };

Errors::Type_Error call(Camera& camera, const QString& operation)
{
    return operation == QLatin1String("open") ? camera.Open() : camera.Close();
}

} // namespace

Q_DECLARE_METATYPE(Ending)

class tst_CameraOpenClose : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void closeDoesNotWaitForAnEdge_data();
    void closeDoesNotWaitForAnEdge();
    void nestedOpenOrCloseIsRefused_data();
    void nestedOpenOrCloseIsRefused();
    void deviceChangeDuringAnOpenFollowsIt();
    void refusedOpenNamesTheValue_data();
    void refusedOpenNamesTheValue();
};

void tst_CameraOpenClose::initTestCase()
{
    prepareCameraTests();
}

void tst_CameraOpenClose::init()
{
    resetSimulation();
    Camera_Timing::set(fastTiming());
}

void tst_CameraOpenClose::cleanupTestCase()
{
    Sim::reset();
}

void tst_CameraOpenClose::closeDoesNotWaitForAnEdge_data()
{
    QTest::addColumn<int>("cameraInterface");
    QTest::addColumn<bool>("trigger");
    QTest::addColumn<bool>("flash");
    QTest::addColumn<bool>("live");
    QTest::addColumn<Ending>("ending");
    QTest::newRow("LuCam, trigger, warm-up, close") << 2 << true << false << false << Ending::Close;
    QTest::newRow("LuCam, trigger, live, close") << 2 << true << false << true << Ending::Close;
    QTest::newRow("LuCam, flash, live, close") << 2 << false << true << true << Ending::Close;
    QTest::newRow("uEye XS, trigger, warm-up, close") << 1 << true << false << false << Ending::Close;
    QTest::newRow("uEye XS, flash, warm-up, close") << 1 << false << true << false << Ending::Close;
    QTest::newRow("LuCam, trigger, warm-up, destroyed") << 2 << true << false << false << Ending::Destructor;
    QTest::newRow("uEye XS, trigger, live, destroyed") << 1 << true << false << true << Ending::Destructor;
    QTest::newRow("LuCam, trigger, live, reopened by the editor") << 2 << true << false << true << Ending::DeviceChange;
    QTest::newRow("uEye XS, flash, warm-up, reopened by the editor")
        << 1 << false << true << false << Ending::DeviceChange;
}

void tst_CameraOpenClose::closeDoesNotWaitForAnEdge()
{
    QFETCH(int, cameraInterface);
    QFETCH(bool, trigger);
    QFETCH(bool, flash);
    QFETCH(bool, live);
    QFETCH(Ending, ending);
    const std::string name = cameraInterface == 1 ? "uEye" : "LuCam";
    if (cameraInterface == 1)
        Sim::setCameras("uEye", {kSmallUEye});
    auto f = std::make_unique<CameraFixture>();
    f->settings.Device.CameraInterface = cameraInterface;
    f->settings.ExternalTrigger = {trigger, 1, kTriggerTimeoutSeconds, 0.0};
    f->settings.ExternalFlash.Used = flash;
    const auto timeOutClock = std::make_shared<Sim::ManualClock>();
    Sim::setClock(timeOutClock);
    QCOMPARE(int(f->camera.Open()), 0);
    // Every grab of these cameras waits for an edge on the trigger input, the warm-up's too.
    QVERIFY(QTest::qWaitFor([&] { return Sim::state(name, 0).waitingForTrigger; }, 10000));
    if (live) {
        f->camera.SetLiveMode(true);
        QVERIFY(QTest::qWaitFor(
            [&] {
                if (f->camera.GetState() != Camera::State_Running)
                    Sim::fireTrigger(name);
                return f->camera.GetState() == Camera::State_Running && Sim::state(name, 0).waitingForTrigger;
            },
            10000));
    }

    QElapsedTimer clock;
    clock.start();
    TimeOutWatchdog watchdog(timeOutClock);
    switch (ending) {
    case Ending::Close:
        QCOMPARE(int(f->camera.Close()), 0);
        QVERIFY(!f->camera.IsOpen());
        break;
    case Ending::Destructor:
        f.reset();
        break;
    case Ending::DeviceChange:
        // The editor's change of the connection reaches the camera at once.
        f->settings.Device.ConnectionMode = 2;
        f->settings.setChanged(-1);
        QVERIFY(f->camera.IsOpen());
        break;
    }
    if (ending == Ending::DeviceChange)
        QTRY_VERIFY_WITH_TIMEOUT(f->relay.events == (QStringList{"close", "open", "close", "close", "open"}),
                                 int(std::chrono::milliseconds(kWatchdog * 2).count()));
    else
        QVERIFY(!Sim::state(name, 0).open);
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(!watchdog.release(), qPrintable(QStringLiteral("the close waited %1 ms for a grab's time-out").arg(elapsed)));
}

void tst_CameraOpenClose::nestedOpenOrCloseIsRefused_data()
{
    QTest::addColumn<QString>("outer");
    QTest::addColumn<QString>("nested");
    QTest::addColumn<QStringList>("events");
    QTest::newRow("close inside an open") << "open" << "close" << QStringList{"close", "open"};
    QTest::newRow("open inside an open") << "open" << "open" << QStringList{"close", "open"};
    QTest::newRow("open inside a close") << "close" << "open" << QStringList{"close", "open", "close"};
    QTest::newRow("close inside a close") << "close" << "close" << QStringList{"close", "open", "close"};
}

void tst_CameraOpenClose::nestedOpenOrCloseIsRefused()
{
    QFETCH(QString, outer);
    QFETCH(QString, nested);
    QFETCH(QStringList, events);
    const bool opening = outer == QLatin1String("open");
    Gate gate;
    CameraFixture f;
    if (!opening) {
        QVERIFY(openAndRun(f));
        QTRY_COMPARE(f.relay.events.size(), 2);
    }
    // The camera thread holds on where the outer call waits for it, so that this call's
    // wait is sure to run the nested one.
    const int held = opening ? Camera::State_Start : Camera::State_Stopping;
    f.camera.setStateHook([&gate, held](int state) {
        if (state == held)
            gate.pass();
    });
    bool outerRunning = false;
    bool ranInside = false;
    int nestedResult = -1;
    QObject context;
    QTimer::singleShot(0, &context, [&] {
        ranInside = outerRunning;
        gate.open();
        nestedResult = call(f.camera, nested);
        // Taken, the open would keep the outer close waiting for ever: undone, so that a
        // failing run ends.
        if (nestedResult == 0 && !opening && nested == QLatin1String("open"))
            f.camera.Close();
    });
    outerRunning = true;
    const int result = call(f.camera, outer);
    outerRunning = false;
    QVERIFY(ranInside);
    QCOMPARE(nestedResult, 20);
    QCOMPARE(result, 0);
    QCOMPARE(f.camera.IsOpen(), opening);
    QCOMPARE(Sim::state("uEye", 0).open, opening);
    QTRY_COMPARE(f.relay.events, events);
    f.camera.setStateHook({});
}

void tst_CameraOpenClose::deviceChangeDuringAnOpenFollowsIt()
{
    std::vector<Sim::Camera> cameras = Sim::cameras("uEye");
    cameras.push_back(kSecond);
    Sim::setCameras("uEye", cameras);
    Gate gate;
    CameraFixture f;
    f.camera.setStateHook([&gate](int state) {
        if (state == Camera::State_Start)
            gate.pass();
    });
    QObject context;
    QTimer::singleShot(0, &context, [&] {
        f.settings.Device.CameraSerialNumber = QStringLiteral("4200");
        f.settings.setChanged(-1);
        gate.open();
    });
    QCOMPARE(int(f.camera.Open()), 0);
    // Once the open is over, the camera goes over to the camera the record names now.
    QTRY_COMPARE_WITH_TIMEOUT(f.relay.events, (QStringList{"close", "open", "close", "close", "open"}), 10000);
    QVERIFY(f.camera.IsOpen());
    QCOMPARE(Sim::openLog().back().device, std::string("4200"));
    QVERIFY(f.relay.errors.isEmpty());
    f.camera.setStateHook({});
}

void tst_CameraOpenClose::refusedOpenNamesTheValue_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("negative exposure") << "ExposureTime" << -3.0 << 25 << "25 exposure=-3";
    QTest::newRow("exposure 0") << "ExposureTime" << 0.0 << 25 << "25 exposure=0";
    QTest::newRow("pixel clock beyond the camera's") << "PixelClock" << 100.0 << 21 << "21 pixel_clock=100";
    QTest::newRow("gamma beyond the camera's") << "GammaCorrection" << 20.0 << 21 << "21 gamma=20";
    QTest::newRow("flash delay beyond the camera's") << "StrobeDelay" << 4500.0 << 24 << "24 strobe_delay=4500000";
}

void tst_CameraOpenClose::refusedOpenNamesTheValue()
{
    QFETCH(QString, field);
    QFETCH(double, value);
    QFETCH(int, code);
    QFETCH(QString, refusal);
    CameraFixture f;
    if (field == QLatin1String("ExposureTime"))
        f.settings.Settings.ExposureTime = value;
    else if (field == QLatin1String("PixelClock"))
        f.settings.Settings.PixelClock = qint32(value);
    else if (field == QLatin1String("GammaCorrection"))
        f.settings.Settings.GammaCorrection = value;
    else
        f.settings.ExternalFlash = {true, true, value, 0.0};
    QCOMPARE(int(f.camera.Open()), code);
    QVERIFY(!f.camera.IsOpen());
    QVERIFY(!Sim::state("uEye", 0).open);
    QTRY_COMPARE(f.relay.refusals, QStringList{refusal});
    QCOMPARE(f.relay.events, QStringList{"close"});
}

QTEST_MAIN(tst_CameraOpenClose)
#include "tst_CameraOpenClose.moc"
