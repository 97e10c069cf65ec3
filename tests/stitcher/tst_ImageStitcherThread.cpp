#include "StitcherTestSetup.h"

#include <QtTest>
#include <ThreadChecker.h>

#include <algorithm>
#include <limits>

using Report = FakeImageStitcherPage::Report;
using StitcherTestSetup::Stitcher;

namespace {

constexpr int kTimeoutMs = 120000;

// Holds the worker inside the crosses report of one picture until release() or, when
// stopAware, until a stop is requested, so a test can act while a run is certainly busy.
class Gate {
public:
    Gate(FakeImageStitcherPage& page, int pictureIndex, bool stopAware)
    {
        page.onCrossesReported = [this, pictureIndex, stopAware](int index) {
            if (index != pictureIndex)
                return;
            reached.release(1);
            QElapsedTimer timer;
            timer.start();
            while (!open.tryAcquire(1, 5) && timer.elapsed() < kTimeoutMs) {
                if (stopAware && worker && worker->abortRequested())
                    break;
            }
        };
    }
    void release() { open.release(1000); }

    QSemaphore reached;
    QSemaphore open;
    ImageStitcherThread* worker = nullptr;
};

bool waitStopped(Stitcher& stitcher, int runs = 1)
{
    if (!stitcher.page.stopped.tryAcquire(runs, kTimeoutMs))
        return false;
    QElapsedTimer timer;
    timer.start();
    while (stitcher.worker->state() != ImageStitcherThread::StateIdle) {
        if (timer.elapsed() > kTimeoutMs)
            return false;
        QThread::yieldCurrentThread();
    }
    return true;
}

QList<Halcon::Hobject> views()
{
    return StitcherTestSetup::viewsOf(StitcherTestSetup::tray());
}

} // namespace

class tst_ImageStitcherThread : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void reportsInRunOrder();
    void startWhileBusyIsRefused();
    void stopDuringRunAborts();
    void secondStopWhileTheFirstWaits();
    void stopThatTimesOutReportsBusy_data();
    void stopThatTimesOutReportsBusy();
    void startWithSettingsRestartsOnThePicturesHeld();
    void resetClearsTheViewsAndForgetsTheError();
    void unusableDistancesAreRefused_data();
    void unusableDistancesAreRefused();
};

void tst_ImageStitcherThread::initTestCase()
{
    runOperatorsSeriallyUnderThreadChecker();
    PictureCross::registerMetaType();
    StitcherTestSetup::tray();
}

void tst_ImageStitcherThread::reportsInRunOrder()
{
    Stitcher stitcher;
    QCOMPARE(stitcher.createModel(), Errors::Type_Error(0));
    QCOMPARE(stitcher.run(views()), Errors::Type_Error(0));
    QStringList expected{"emitAnalyserStarted",
                         "emitStateSetText:Start image stitching...",
                         "clearAllViews:0",
                         "updateAllViews:1",
                         "removeObjectsFromAllViews:",
                         "removePicturesFromAllViews:HalconPicture_Stitcher_Filtered.",
                         "emitReset",
                         "updateAllViews:1"};
    for (int n = 0; n < 6; ++n)
        expected << QStringLiteral("emitAddPictureCrosses:%1").arg(n);
    for (int n = 0; n < 6; ++n)
        expected << QStringLiteral("emitAddOpticalAxis:%1").arg(n);
    expected << "emitAddStitchedPicture" << "emitStateSetText:Done!" << "emitAnalyserStopped";
    QCOMPARE(stitcher.page.calls(), expected);

    // Each position viewer shows its picture with its crosses; the result viewer the tiles.
    const QList<Hobject_View_Gui*> viewers = stitcher.page.getPictureViews();
    for (int n = 0; n < 6; ++n) {
        int width = 0, height = 0;
        viewers[n]->getPictureSize(width, height);
        QCOMPARE(width, 1296);
        Halcon::Hobject object;
        bool visible = false, selected = false;
        for (const char* part : {"0.Center", "1.CenterOnAgar", "1.CutLine", "0.Contour"})
            QVERIFY2(viewers[n]->getObject(QStringLiteral("HalconObject_Stitcher_Cross.Position.%1.").arg(n)
                                               + QLatin1String(part),
                                           object, visible, selected),
                     part);
        QVERIFY(viewers[n]->getObject(QStringLiteral("HalconObject_Stitcher_Cross.SearchArea.%1.0.").arg(n), object,
                                      visible, selected));
    }
    QVERIFY(stitcher.page.getResultView()->getObjectCount() > 0);
}

void tst_ImageStitcherThread::startWhileBusyIsRefused()
{
    Stitcher stitcher;
    QCOMPARE(stitcher.createModel(), Errors::Type_Error(0));
    Gate gate(stitcher.page, 1, false);
    QCOMPARE(stitcher.worker->Start({}, stitcher.settings.data(), views()), Errors::Type_Error(0));
    QVERIFY(gate.reached.tryAcquire(1, kTimeoutMs));
    QCOMPARE(stitcher.worker->Start({}, stitcher.settings.data(), views()), ImageStitcherThread::ErrorInProgress);
    bool running = false;
    QCOMPARE(stitcher.worker->CheckRunning(running), Errors::Type_Error(0));
    QVERIFY(running);
    gate.release();
    QVERIFY(waitStopped(stitcher));
    QCOMPARE(stitcher.worker->CheckRunning(running), Errors::Type_Error(0));
    QVERIFY(!running);
    QCOMPARE(stitcher.page.reports(Report::StitchedPicture).size(), size_t(1));
}

void tst_ImageStitcherThread::stopDuringRunAborts()
{
    Stitcher stitcher;
    QCOMPARE(stitcher.createModel(), Errors::Type_Error(0));
    Gate gate(stitcher.page, 2, true);
    gate.worker = stitcher.worker.get();
    QCOMPARE(stitcher.worker->Start({}, stitcher.settings.data(), views()), Errors::Type_Error(0));
    QVERIFY(gate.reached.tryAcquire(1, kTimeoutMs));

    QCOMPARE(stitcher.worker->Stop(), Errors::Type_Error(0));
    QCOMPARE(stitcher.worker->state(), qint32(ImageStitcherThread::StateIdle));
    QVERIFY(!stitcher.worker->abortRequested());
    QCOMPARE(stitcher.page.states().constLast(), Errors::getErrorText(100) + QLatin1Char('!'));
    QVERIFY(!stitcher.page.states().contains(QStringLiteral("Done!")));
    QCOMPARE(stitcher.page.reports(Report::Crosses).size(), size_t(3)); // pictures 1 to 3
    QVERIFY(stitcher.page.reports(Report::OpticalAxis).empty());
    QVERIFY(stitcher.page.reports(Report::StitchedPicture).empty());
    QCOMPARE(stitcher.page.calls().count(QStringLiteral("emitAnalyserStopped")), 1);
    bool running = true;
    QCOMPARE(stitcher.worker->CheckRunning(running), ImageStitcherThread::ErrorAborted);
    QVERIFY(!running);
}

void tst_ImageStitcherThread::secondStopWhileTheFirstWaits()
{
    Stitcher stitcher;
    QCOMPARE(stitcher.createModel(), Errors::Type_Error(0));
    Gate gate(stitcher.page, 1, false);
    QCOMPARE(stitcher.worker->Start({}, stitcher.settings.data(), views()), Errors::Type_Error(0));
    QVERIFY(gate.reached.tryAcquire(1, kTimeoutMs));
    // Runs inside the first stop's wait, while the worker is still held.
    Errors::Type_Error second = -1;
    QTimer::singleShot(0, this, [&] {
        second = stitcher.worker->Stop();
        gate.release();
    });
    QCOMPARE(stitcher.worker->Stop(), Errors::Type_Error(0));
    QCOMPARE(second, ImageStitcherThread::ErrorAborted);
    bool running = true;
    QCOMPARE(stitcher.worker->CheckRunning(running), ImageStitcherThread::ErrorAborted);
}

void tst_ImageStitcherThread::stopThatTimesOutReportsBusy_data()
{
    QTest::addColumn<bool>("withSettings");
    QTest::newRow("next run started") << false;
    QTest::newRow("next run started with new settings") << true;
}

void tst_ImageStitcherThread::stopThatTimesOutReportsBusy()
{
    QFETCH(bool, withSettings);
    Stitcher stitcher;
    QCOMPARE(stitcher.createModel(), Errors::Type_Error(0));
    Gate gate(stitcher.page, 1, false);
    stitcher.worker->setStopTimeout(100);
    QCOMPARE(stitcher.worker->Start({}, stitcher.settings.data(), views()), Errors::Type_Error(0));
    QVERIFY(gate.reached.tryAcquire(1, kTimeoutMs));

    QCOMPARE(stitcher.worker->Stop(), ImageStitcherThread::ErrorInProgress);
    // The request stays: a second stop sees it, and so do a reset and a restart.
    QCOMPARE(stitcher.worker->Stop(), ImageStitcherThread::ErrorAborted);
    QCOMPARE(stitcher.worker->Reset(), ImageStitcherThread::ErrorAborted);
    QCOMPARE(stitcher.worker->StartWithSettings({}, stitcher.settings.data()), ImageStitcherThread::ErrorAborted);

    gate.release();
    QVERIFY(waitStopped(stitcher));
    bool running = true;
    QCOMPARE(stitcher.worker->CheckRunning(running), ImageStitcherThread::ErrorAborted);
    QVERIFY(stitcher.page.reports(Report::StitchedPicture).empty());
    // Idle again: a new run is not aborted by the old request.
    QCOMPARE(stitcher.worker->Stop(), Errors::Type_Error(0));
    stitcher.page.clearRecords();
    if (withSettings) {
        QCOMPARE(stitcher.worker->StartWithSettings({}, stitcher.settings.data()), Errors::Type_Error(0));
        QVERIFY(waitStopped(stitcher));
        QCOMPARE(stitcher.worker->CheckRunning(running), Errors::Type_Error(0));
    } else {
        QCOMPARE(stitcher.run(views()), Errors::Type_Error(0));
    }
    QCOMPARE(stitcher.page.states().constLast(), QStringLiteral("Done!"));
}

// A settings change during a run: the run is cut short and runs again with the new
// settings on the pictures it holds, its views kept.
void tst_ImageStitcherThread::startWithSettingsRestartsOnThePicturesHeld()
{
    Stitcher stitcher;
    QCOMPARE(stitcher.createModel(), Errors::Type_Error(0));
    Gate gate(stitcher.page, 1, true);
    gate.worker = stitcher.worker.get();
    QCOMPARE(stitcher.worker->Start({}, stitcher.settings.data(), views()), Errors::Type_Error(0));
    QVERIFY(gate.reached.tryAcquire(1, kTimeoutMs));

    ImageStitcherSettingsData changed = stitcher.settings.data();
    changed.ReferencePoints[3].Area2 = SearchAreaSettings(40.0, 30.0, 10.0, 10.0); // plain agar, no cross
    QCOMPARE(stitcher.worker->StartWithSettings({}, changed), Errors::Type_Error(0));
    gate.release();
    QVERIFY(waitStopped(stitcher, 2));

    const QStringList calls = stitcher.page.calls();
    const qsizetype restart = calls.lastIndexOf(QStringLiteral("emitAnalyserStarted"));
    QVERIFY(restart > 0);
    const QStringList second = calls.mid(restart);
    QVERIFY(!second.contains(QStringLiteral("clearAllViews:0")));
    for (int n = 0; n < 6; ++n)
        QVERIFY(second.contains(QStringLiteral("emitAddPictureCrosses:%1").arg(n)));
    QVERIFY(!second.contains(QStringLiteral("emitAddStitchedPicture")));
    const std::vector<Report> crosses = stitcher.page.reports(Report::Crosses);
    const auto lastOfPicture4 = std::find_if(crosses.rbegin(), crosses.rend(),
                                             [](const Report& r) { return r.pictureIndex == 3; });
    QVERIFY(lastOfPicture4 != crosses.rend());
    QVERIFY(lastOfPicture4->cross1.found);
    QVERIFY(!lastOfPicture4->cross2.found);
    bool running = true;
    QCOMPARE(stitcher.worker->CheckRunning(running), PictureCrossSearch::CrossNotFound);
}

void tst_ImageStitcherThread::resetClearsTheViewsAndForgetsTheError()
{
    Stitcher stitcher;
    QCOMPARE(stitcher.run({}), ImageStitcherThread::ErrorPictureCount);
    stitcher.page.clearRecords();
    QCOMPARE(stitcher.worker->Reset(), Errors::Type_Error(0));
    QCOMPARE(stitcher.page.calls(), (QStringList{"clearAllViews:1", "emitReset", "emitStateSetText:"}));
    bool running = true;
    QCOMPARE(stitcher.worker->CheckRunning(running), Errors::Type_Error(0));
    QVERIFY(!running);
}

void tst_ImageStitcherThread::unusableDistancesAreRefused_data()
{
    QTest::addColumn<double>("cameraToCross");
    QTest::addColumn<double>("pointsToAgar");
    QTest::newRow("camera on the cross plane") << 0.0 << -2.5;
    QTest::newRow("camera behind the cross plane") << -100.0 << -2.5;
    QTest::newRow("no number") << std::numeric_limits<double>::quiet_NaN() << -2.5;
    QTest::newRow("agar plane on the camera") << 246.1 << -256.9;
}

void tst_ImageStitcherThread::unusableDistancesAreRefused()
{
    QFETCH(double, cameraToCross);
    QFETCH(double, pointsToAgar);
    Stitcher stitcher;
    ImageStitcherSettingsData settings = stitcher.settings.data();
    settings.DistanceCameraToCrossPlane = cameraToCross;
    settings.DistancePointsPlaneToAgarPlane = pointsToAgar;
    QCOMPARE(stitcher.worker->Start({}, settings, views()), ImageStitcherThread::ErrorParameter);
    QCOMPARE(stitcher.worker->StartWithSettings({}, settings), ImageStitcherThread::ErrorParameter);
    QCOMPARE(stitcher.worker->state(), qint32(ImageStitcherThread::StateIdle));
    QVERIFY(stitcher.page.calls().isEmpty());
}

QTEST_MAIN(tst_ImageStitcherThread)
#include "tst_ImageStitcherThread.moc"
