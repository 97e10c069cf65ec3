// Taking pictures: retries and averaging, mirroring and turning, the trigger and its
// time-outs, the reopen after a hard failure and the last picture.

#include "CameraTestSupport.h"
#include "Halcon_Helper.h"

#include <HalconImageOps.h>

#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <memory>
#include <thread>

using namespace CameraTestSupport;
using Halcon::Hobject;

namespace {

// A grab of the camera in a thread of its own, so that the test can trigger or abort it.
class BackgroundGrabPicture {
public:
    BackgroundGrabPicture(Camera& camera, bool byTrigger)
        : m_thread([this, &camera, byTrigger] { result = camera.GrabPicture(byTrigger); })
    {
    }
    ~BackgroundGrabPicture() { m_thread.join(); }
    bool done() const { return result != -1; }
    std::atomic<int> result{-1};

private:
    std::thread m_thread;
};

bool waitingForTrigger()
{
    return Sim::state("uEye", 0).waitingForTrigger;
}

// Pixel (row, column) of a width x height picture whose pixel (r, c) is r * 10 + c.
int numbered(int row, int column)
{
    return row * 10 + column;
}

} // namespace

class tst_CameraGrab : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void retriesAndAveraging_data();
    void retriesAndAveraging();
    void averageOfPictures_data();
    void averageOfPictures();
    void averagingNeedsAColourSpace();
    void mirrorAndTurn_data();
    void mirrorAndTurn();
    void triggerCodes_data();
    void triggerCodes();
    void waitWithoutLimitGoesOn();
    void triggeredGrabRestoresTheSoftwareTrigger();
    void abortEndsATriggerWait();
    void tooManyMultiplesRefused();
    void refusedSettingsAreNotRetried_data();
    void refusedSettingsAreNotRetried();
    void hardFailureReopens();
    void reopenFails();
    void lastPicture();

private:
    std::unique_ptr<QTemporaryDir> m_folder;
};

void tst_CameraGrab::initTestCase()
{
    prepareCameraTests();
}

void tst_CameraGrab::init()
{
    resetSimulation();
    m_folder = std::make_unique<QTemporaryDir>();
}

void tst_CameraGrab::cleanupTestCase()
{
    Sim::reset();
}

void tst_CameraGrab::retriesAndAveraging_data()
{
    QTest::addColumn<int>("multiples");
    QTest::addColumn<int>("failures");
    QTest::addColumn<int>("timeouts"); // after the failures
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("attempts");

    QTest::newRow("one grab") << 1 << 0 << 0 << 0 << 1;
    QTest::newRow("third retry succeeds") << 1 << 3 << 0 << 0 << 4;
    QTest::newRow("four failures") << 1 << 4 << 0 << 14 << 4;
    QTest::newRow("last failure a time-out") << 1 << 3 << 1 << 18 << 4;
    QTest::newRow("time-out then success") << 1 << 0 << 1 << 0 << 2;
    QTest::newRow("three averaged") << 3 << 0 << 0 << 0 << 3;
    QTest::newRow("three averaged, two failures") << 3 << 2 << 0 << 0 << 5;
    QTest::newRow("three averaged, all fail") << 3 << -1 << 0 << 14 << 9;
    QTest::newRow("three averaged, time-outs") << 3 << 0 << -1 << 14 << 9;
}

void tst_CameraGrab::retriesAndAveraging()
{
    QFETCH(int, multiples);
    QFETCH(int, failures);
    QFETCH(int, timeouts);
    QFETCH(int, code);
    QFETCH(int, attempts);
    CameraFixture f;
    f.settings.Picture.Multiples = quint16(multiples);
    QVERIFY(openAndRun(f));
    Sim::injectFault("uEye", Sim::Fault::GrabFails, failures);
    Sim::injectFault("uEye", Sim::Fault::GrabTimesOut, timeouts);
    const qint64 before = Sim::state("uEye", 0).grabAttempts;
    Hobject picture;
    QCOMPARE(int(f.camera.GrabImage(false, picture)), code);
    QCOMPARE(Sim::state("uEye", 0).grabAttempts - before, qint64(attempts));
    Halcon::Hlong count = 0;
    Halcon::count_channels(picture, &count);
    QCOMPARE(int(count), code ? 0 : 1); // one picture, averaged or not
}

void tst_CameraGrab::averageOfPictures_data()
{
    QTest::addColumn<int>("colorSpace");
    QTest::newRow("grey") << 1;
    QTest::newRow("colour") << 2;
}

void tst_CameraGrab::averageOfPictures()
{
    QFETCH(int, colorSpace);
    using HalconTestPictures::rgbImage;
    const auto value = [](int v) { return [v](int, int) { return v; }; };
    // Means per channel: 30, 40, 170; the grey of the grey open is taken from the colour.
    QVERIFY(writePictures(m_folder->path(), {rgbImage(8, 6, value(10), value(0), value(255)),
                                             rgbImage(8, 6, value(20), value(30), value(255)),
                                             rgbImage(8, 6, value(60), value(90), value(0))}));
    CameraFixture f;
    f.settings.Device = {1, QStringLiteral("default"), m_folder->path(), QString(), 2, false, QString()};
    f.settings.Settings.ColorSpace = colorSpace;
    QVERIFY(openAndRun(f));
    // Any three grabs in a row are the three files.
    Hobject picture;
    f.settings.Picture.Multiples = 3;
    f.camera.CopySettings(f.settings);
    QCOMPARE(int(f.camera.GrabImage(false, picture)), 0);
    if (colorSpace == 2) {
        QCOMPARE(HalconTestPictures::pixel(picture, 5, 7, 0), 30);
        QCOMPARE(HalconTestPictures::pixel(picture, 5, 7, 1), 40);
        QCOMPARE(HalconTestPictures::pixel(picture, 5, 7, 2), 170);
    } else {
        const int grays[] = {(10 * 299 + 255 * 114 + 500) / 1000, (20 * 299 + 30 * 587 + 255 * 114 + 500) / 1000,
                             (60 * 299 + 90 * 587 + 500) / 1000};
        const int mean = (grays[0] + grays[1] + grays[2] + 1) / 3;
        QVERIFY(qAbs(HalconTestPictures::pixel(picture, 5, 7) - mean) <= 1);
    }
}

void tst_CameraGrab::averagingNeedsAColourSpace()
{
    CameraFixture f;
    f.settings.Settings.ColorSpace = 5; // opens as colour, but no averaging knows it
    f.settings.Picture.Multiples = 2;
    QCOMPARE(int(f.camera.Open()), 0);
    Hobject picture;
    QCOMPARE(int(f.camera.GrabImage(false, picture)), 3);
    QVERIFY(picture.IsEmpty());
}

void tst_CameraGrab::mirrorAndTurn_data()
{
    QTest::addColumn<int>("cameraInterface");
    QTest::addColumn<bool>("leftRight");
    QTest::addColumn<bool>("upDown");
    QTest::addColumn<int>("rotate");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("source"); // of output pixel (r, c) in the 4 x 3 input, with w = 4, h = 3

    QTest::newRow("uEye left-right in the camera") << 1 << true << false << 1 << 4 << "r,w-1-c";
    QTest::newRow("LuCam left-right in software") << 2 << true << false << 1 << 4 << "r,w-1-c";
    QTest::newRow("LuCam up-down in software") << 2 << false << true << 1 << 4 << "h-1-r,c";
    QTest::newRow("uEye both") << 1 << true << true << 1 << 4 << "h-1-r,w-1-c";
    QTest::newRow("turn 90") << 1 << false << false << 2 << 3 << "c,w-1-r";
    QTest::newRow("turn 270") << 2 << false << false << 3 << 3 << "h-1-c,r";
    QTest::newRow("turn 180") << 1 << false << false << 4 << 4 << "h-1-r,w-1-c";
    QTest::newRow("unknown turn leaves it") << 1 << false << false << 7 << 4 << "r,c";
    QTest::newRow("mirror, then turn") << 2 << true << false << 2 << 3 << "c,r";
}

void tst_CameraGrab::mirrorAndTurn()
{
    QFETCH(int, cameraInterface);
    QFETCH(bool, leftRight);
    QFETCH(bool, upDown);
    QFETCH(int, rotate);
    QFETCH(int, width);
    QFETCH(QString, source);
    const int w = 4, h = 3;
    QVERIFY(writePictures(m_folder->path(), {HalconTestPictures::grayImage(w, h, numbered)}));
    CameraFixture f;
    f.settings.Device.CameraInterface = cameraInterface;
    f.settings.Device.CameraType = cameraInterface == 2 ? QStringLiteral("usb") : QStringLiteral("default");
    f.settings.Device.CameraDevice = m_folder->path();
    f.settings.Device.ConnectionMode = 2;
    f.settings.Picture = {leftRight, upDown, rotate, 1};
    QCOMPARE(int(f.camera.Open()), 0);
    Hobject picture;
    QCOMPARE(int(f.camera.GrabImage(false, picture)), 0);
    int pw = 0, ph = 0;
    QCOMPARE(int(Halcon_Helper::GetImageSize(picture, pw, ph)), 0);
    QCOMPARE(pw, width);
    QCOMPARE(ph, width == 4 ? 3 : 4);
    const QStringList parts = source.split(QLatin1Char(','));
    const auto coordinate = [&](const QString& term, int r, int c) {
        int v = term.contains(QLatin1Char('r')) ? r : c;
        if (term.startsWith(QLatin1String("w-1-")))
            v = w - 1 - v;
        if (term.startsWith(QLatin1String("h-1-")))
            v = h - 1 - v;
        return v;
    };
    for (int r = 0; r < ph; ++r)
        for (int c = 0; c < pw; ++c)
            QCOMPARE(HalconTestPictures::pixel(picture, r, c),
                     numbered(coordinate(parts[0], r, c), coordinate(parts[1], r, c)));
}

void tst_CameraGrab::triggerCodes_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("used");
    QTest::addColumn<int>("timeoutSeconds");
    QTest::addColumn<bool>("fire");
    QTest::addColumn<int>("code");

    QTest::newRow("camera closed") << false << true << 5 << false << 13;
    QTest::newRow("trigger not in use") << true << false << 5 << false << 19;
    QTest::newRow("triggered") << true << true << 5 << true << 0;
    QTest::newRow("time-out") << true << true << 5 << false << 18;
}

void tst_CameraGrab::triggerCodes()
{
    QFETCH(bool, open);
    QFETCH(bool, used);
    QFETCH(int, timeoutSeconds);
    QFETCH(bool, fire);
    QFETCH(int, code);
    auto clock = std::make_shared<Sim::ManualClock>();
    Sim::setClock(clock);
    CameraFixture f;
    f.settings.ExternalTrigger = {used, 1, quint32(timeoutSeconds), 0.0};
    if (open) {
        QVERIFY(openAndRun(f));
    }
    const qint64 before = Sim::state("uEye", 0).grabAttempts;
    {
        BackgroundGrabPicture grab(f.camera, true);
        if (code == 0 || code == 18) {
            QTRY_VERIFY_WITH_TIMEOUT(waitingForTrigger(), 10000);
            if (fire)
                Sim::fireTrigger("uEye");
            else
                clock->advance(timeoutSeconds * 1000);
        }
        QTRY_VERIFY_WITH_TIMEOUT(grab.done(), 10000);
        QCOMPARE(grab.result.load(), code);
    }
    QCOMPARE(Sim::state("uEye", 0).grabAttempts - before, qint64(code == 13 || code == 19 ? 0 : 1));
    Hobject picture;
    QCOMPARE(int(f.camera.GetPicture(picture)), code ? 15 : 0);
    Sim::setClock(nullptr);
}

void tst_CameraGrab::waitWithoutLimitGoesOn()
{
    auto clock = std::make_shared<Sim::ManualClock>();
    Sim::setClock(clock);
    CameraFixture f;
    f.settings.ExternalTrigger = {true, 1, 0, 0.0};
    QVERIFY(openAndRun(f));
    const qint64 before = Sim::state("uEye", 0).grabAttempts;
    {
        BackgroundGrabPicture grab(f.camera, true);
        QTRY_VERIFY_WITH_TIMEOUT(waitingForTrigger(), 10000);
        clock->advance(200000000); // the camera's own time-out
        QTRY_VERIFY_WITH_TIMEOUT(Sim::state("uEye", 0).grabAttempts - before == 2 && waitingForTrigger(), 10000);
        QVERIFY(!grab.done());
        Sim::fireTrigger("uEye");
        QTRY_VERIFY_WITH_TIMEOUT(grab.done(), 10000);
        QCOMPARE(grab.result.load(), 0);
    }
    Sim::setClock(nullptr);
}

void tst_CameraGrab::triggeredGrabRestoresTheSoftwareTrigger()
{
    CameraFixture f;
    f.settings.ExternalTrigger = {true, 2, 5, 0.25};
    f.settings.Picture.Multiples = 2;
    QVERIFY(openAndRun(f));
    Sim::clearLogs();
    {
        BackgroundGrabPicture grab(f.camera, true);
        QTRY_VERIFY_WITH_TIMEOUT(waitingForTrigger(), 10000);
        Sim::fireTrigger("uEye");
        QTRY_VERIFY_WITH_TIMEOUT(grab.done(), 10000);
        QCOMPARE(grab.result.load(), 0);
    }
    // Only the first grab of the picture waits for the edge.
    QCOMPARE(parameterWrites(), (QStringList{"trigger_delay=250", "trigger_signal=rising", "trigger_delay=0",
                                             "trigger_signal=software"}));
}

void tst_CameraGrab::abortEndsATriggerWait()
{
    CameraFixture f;
    f.settings.ExternalTrigger = {true, 1, 0, 0.0};
    QVERIFY(openAndRun(f));
    {
        BackgroundGrabPicture grab(f.camera, true);
        QTRY_VERIFY_WITH_TIMEOUT(waitingForTrigger(), 10000);
        QCOMPARE(int(f.camera.AbortGrab()), 0);
        QTRY_VERIFY_WITH_TIMEOUT(grab.done(), 10000);
        QCOMPARE(grab.result.load(), 17);
    }
    QCOMPARE(int(f.camera.GrabPicture(false)), 0); // the abort does not linger
}

void tst_CameraGrab::tooManyMultiplesRefused()
{
    CameraFixture f;
    f.settings.Picture.Multiples = Camera::MaximumMultiples + 1;
    QVERIFY(openAndRun(f));
    const qint64 before = Sim::state("uEye", 0).grabAttempts;
    Hobject picture;
    QCOMPARE(int(f.camera.GrabImage(false, picture)), 3);
    QCOMPARE(Sim::state("uEye", 0).grabAttempts, before);
    f.settings.Picture.Multiples = Camera::MaximumMultiples;
    f.camera.CopySettings(f.settings);
    QCOMPARE(int(f.camera.GrabImage(false, picture)), 0);
}

void tst_CameraGrab::refusedSettingsAreNotRetried_data()
{
    QTest::addColumn<int>("multiples");
    QTest::addColumn<int>("triggerSignal");
    QTest::addColumn<bool>("byTrigger");
    QTest::addColumn<int>("code");
    QTest::newRow("more pictures than are averaged") << Camera::MaximumMultiples + 5 << 1 << false << 3;
    QTest::newRow("trigger edge unknown") << 1 << 9 << true << 23;
}

void tst_CameraGrab::refusedSettingsAreNotRetried()
{
    QFETCH(int, multiples);
    QFETCH(int, triggerSignal);
    QFETCH(bool, byTrigger);
    QFETCH(int, code);
    CameraFixture f;
    f.settings.Picture.Multiples = quint16(multiples);
    f.settings.ExternalTrigger = {true, triggerSignal, 5, 0.0};
    QVERIFY(openAndRun(f));
    const size_t opens = Sim::openLog().size();
    QCOMPARE(int(f.camera.GrabPicture(byTrigger)), code);
    // The camera stays open as it was: no close, no reopen.
    QVERIFY(f.camera.IsOpen());
    QCOMPARE(Sim::openLog().size(), opens);
    // A close and reopen during the grab would have queued their signals by now.
    QCoreApplication::processEvents();
    QCOMPARE(f.relay.events, (QStringList{"close", "open"}));
}

void tst_CameraGrab::hardFailureReopens()
{
    Camera_Timing timing = fastTiming();
    timing.reopenPause = 200;
    Camera_Timing::set(timing);
    CameraFixture f;
    QVERIFY(openAndRun(f));
    // Events of the GUI thread run during the pause, while the camera is closed.
    QList<bool> openWhenServed;
    QObject context; // goes before the list does, and takes pending calls with it
    connect(&f.camera, &Camera::signal_close, &context, [&] {
        QTimer::singleShot(0, &context, [&] { openWhenServed.append(f.camera.IsOpen()); });
    });
    Sim::injectFault("uEye", Sim::Fault::GrabFails, 4);
    QCOMPARE(int(f.camera.GrabPicture(false)), 0);
    Camera_Timing::set(fastTiming());
    QVERIFY(!openWhenServed.isEmpty());
    QCOMPARE(openWhenServed.first(), false);
    QTRY_COMPARE(f.relay.events, (QStringList{"close", "open", "close", "close", "open"}));
    Hobject picture;
    QCOMPARE(int(f.camera.GetPicture(picture)), 0);
}

void tst_CameraGrab::reopenFails()
{
    CameraFixture f;
    QVERIFY(openAndRun(f));
    Sim::injectFault("uEye", Sim::Fault::GrabFails, -1);
    Sim::injectFault("uEye", Sim::Fault::OpenFails, 1);
    QCOMPARE(int(f.camera.GrabPicture(false)), 16);
    QVERIFY(!f.camera.IsOpen());
    Hobject picture;
    QCOMPARE(int(f.camera.GetPicture(picture)), 15);
}

void tst_CameraGrab::lastPicture()
{
    CameraFixture f;
    Hobject picture = HalconTestPictures::grayImage(3, 3, numbered);
    QCOMPARE(int(f.camera.GetPicture(picture)), 15);
    QVERIFY(picture.IsEmpty());
    QCOMPARE(int(f.camera.SetPicture(HalconTestPictures::rectangleRegion(0, 0, 2, 2))), 0);
    QCOMPARE(int(f.camera.GetPicture(picture)), 15); // a region is no picture
    const Hobject loaded = HalconTestPictures::grayImage(5, 4, numbered);
    QCOMPARE(int(f.camera.SetPicture(loaded)), 0);
    QCOMPARE(int(f.camera.GetPicture(picture)), 0);
    QVERIFY(picture.SharesElementsWith(loaded));
    QCOMPARE(int(f.camera.SetLiveMode(true)), 0);
    QCOMPARE(int(f.camera.SetPicture(loaded)), 0); // announced while live
    QTRY_COMPARE(f.relay.pictureErrors, QList<Errors::Type_Error>{0});
    QVERIFY(f.relay.pictures.first().SharesElementsWith(loaded));
    QCOMPARE(int(f.camera.GrabPicture(false)), 13); // a loaded picture is no open camera
}

QTEST_MAIN(tst_CameraGrab)
#include "tst_CameraGrab.moc"
