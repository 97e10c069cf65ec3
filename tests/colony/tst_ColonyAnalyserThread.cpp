// The analysis worker's step machine and its operations, against a host that records every
// call: order of the reports, one pass per container, busy/stop/reset/re-analyse rules,
// failures of the picture and colour steps, teardown during a run.

#include "ColonyAnalyserThread.h"
#include "Errors.h"

#include <FakeColonyAnalyserHost.h>
#include <HalconTestPictures.h>
#include <PlateSceneSettings.h>
#include <PlateScenes.h>

#include <Halcon.h>

#include <QtTest>

#include <atomic>
#include <limits>
#include <memory>

namespace {

constexpr int kRunTimeoutMs = 120000;

// A small Petri dish scene: quick to analyse, with marks the search finds.
const PlateScenes::Scene& smallScene()
{
    static const PlateScenes::Scene scene = [] {
        PlateScenes::Options options;
        options.labware = PlateScenes::Labware::PetriDish;
        options.width = 1000;
        options.height = 750;
        options.dishColonies = 30;
        options.seed = 3;
        return PlateScenes::generate(options);
    }();
    return scene;
}

ColonySettingsData smallSettings()
{
    return PlateSceneSettings::settingsFor(smallScene());
}

Halcon::Hobject greyOf(const Halcon::Hobject& picture)
{
    Halcon::Hobject grey;
    Halcon::rgb1_to_gray(picture, &grey);
    return grey;
}

// Index of the first call at or after from that starts with prefix; -1 when none.
int findCall(const QStringList& calls, const QString& prefix, int from = 0)
{
    for (int i = from; i < calls.size(); ++i)
        if (calls.at(i).startsWith(prefix))
            return i;
    return -1;
}

bool waitIdle(ColonyAnalyserThread& worker)
{
    QElapsedTimer timer;
    timer.start();
    while (worker.state() != ColonyAnalyserThread::StateIdle) {
        if (timer.elapsed() > kRunTimeoutMs)
            return false;
        QThread::yieldCurrentThread();
    }
    return true;
}

// Holds the worker inside the status report `text` until release() or until the worker is
// asked to stop (when stopAware), so a test can act while a run is certainly in progress.
class Gate {
public:
    Gate(FakeColonyAnalyserHost& host, const QString& text, bool stopAware)
    {
        host.onStateText = [this, text, stopAware](const QString& state) {
            if (state != text)
                return;
            reached.release(1);
            QElapsedTimer timer;
            timer.start();
            while (!open.tryAcquire(1, 5) && timer.elapsed() < kRunTimeoutMs) {
                if (stopAware && worker && worker->isCancelled())
                    break;
            }
        };
    }
    void release() { open.release(1000); }

    QSemaphore reached;
    QSemaphore open;
    ColonyAnalyserThread* worker = nullptr;
};

} // namespace

class tst_ColonyAnalyserThread : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void reportsInStepOrder();
    void everyContainerOnce_data();
    void everyContainerOnce();
    void analyseWhileBusyIsRefused();
    void stopDuringRunAborts();
    void stopThatTimesOutReportsBusy();
    void stopWhileIdle();
    void reanalyseNeedsAPicture();
    void reanalyseRunsAgainWithoutClearingTheView();
    void invalidSettingsStartNoRun_data();
    void invalidSettingsStartNoRun();
    void unreadablePictureKeepsThePrevious();
    void greyPictureAndColourModel_data();
    void greyPictureAndColourModel();
    void filterModes_data();
    void filterModes();
    void failingFilterIsAnError();
    void colourModelsRun_data();
    void colourModelsRun();
    void hueRangeWrapsAround();
    void agarHeight_data();
    void agarHeight();
    void agarHeightWithoutCameraDistance();
    void destroyDuringRunEndsCleanly();
    void cutSearchArea();
    void cutSearchAreaFailureKeepsPicture();

private:
    Errors* m_errors = nullptr;
};

void tst_ColonyAnalyserThread::initTestCase()
{
    m_errors = new Errors(nullptr, this);
#if defined(__SANITIZE_THREAD__)
    // The vision layer's operator threads synchronise inside OpenCV and TBB, which the thread
    // checker cannot see; on the calling thread the worker's own hand-overs are what it checks.
    Halcon::set_system("parallelize_operators", "false");
#endif
}

void tst_ColonyAnalyserThread::reportsInStepOrder()
{
    FakeColonyAnalyserHost host(FakeColonyAnalyserHost::Drawing::Viewer);
    ColonyAnalyserThread worker(&host, nullptr, nullptr);
    QCOMPARE(worker.Analyse({}, smallSettings(), smallScene().image), Errors::Type_Error(0));
    QVERIFY(host.stopped.tryAcquire(1, kRunTimeoutMs));
    QVERIFY(waitIdle(worker));

    const QStringList calls = host.callList();
    // Each entry must follow the one before it.
    const QStringList expected = {
        QStringLiteral("emitAnalyserStarted"),
        QStringLiteral("emitStateSetText:Search colonies ..."),
        QStringLiteral("viewClear:0"),
        QStringLiteral("viewUpdate:1"),
        QStringLiteral("viewSetPictureSelectorsVisible:HalconPicture_Colonies_Color_Preprocessed.:0:0"),
        QStringLiteral("viewSetObjectSelectorsVisible:HalconObject_Colonies_Threshold_Intensity.:0:0"),
        QStringLiteral("viewRemoveObjects::0"),
        QStringLiteral("viewRemovePictures:HalconPicture_Colonies_Preprocessed.:0"),
        QStringLiteral("viewRemovePictures:HalconPicture_Colonies_Color_Blue.:0"),
        QStringLiteral("emitRackReset"),
        QStringLiteral("viewSetPicture:HalconPicture_Colonies_Normal.Background.:0"),
        QStringLiteral("viewSetPicture:HalconPicture_Colonies_Preprocessed.Background.:0"),
        QStringLiteral("emitRackAdd:"),
        QStringLiteral("viewAddObject:HalconObject_Colonies_SearchArea.Area.:magenta:margin:1:0:0"),
        QStringLiteral("ImageRefPointsClear"),
        QStringLiteral("ImageRefPointsAdd::3"),
        QStringLiteral("viewUpdate:1"),
        QStringLiteral("emitStateSetText:Filter ..."),
        QStringLiteral("emitStateSetText:Threshold ..."),
        QStringLiteral("emitContainerListAdd:HalconObject_Colonies_SearchArea.Area.0.:1:A1:0"),
        QStringLiteral("viewAddObject:HalconObject_Colonies_SearchArea.Area.0.:magenta:margin:1:0:0"),
        QStringLiteral("ColonyAdd:1"),
        QStringLiteral("viewUpdate:1"),
        QStringLiteral("emitStateSetText:Done!"),
        QStringLiteral("emitAnalyserStopped"),
        QStringLiteral("viewUpdate:0"),
    };
    int at = 0;
    for (const QString& call : expected) {
        const int found = findCall(calls, call, at);
        QVERIFY2(found >= 0, qPrintable(QStringLiteral("missing or out of order: ") + call));
        at = found + 1;
    }
    QCOMPARE(calls.count(QStringLiteral("emitAnalyserStarted")), 1);
    QCOMPARE(calls.count(QStringLiteral("emitAnalyserStopped")), 1);
    QCOMPARE(host.stateTexts().constLast(), QStringLiteral("Done!"));
    bool running = true;
    QCOMPARE(worker.CheckRunning(running), Errors::Type_Error(0));
    QVERIFY(!running);
    QCOMPARE(worker.pictureWidth(), 1000);
    QCOMPARE(worker.pictureHeight(), 750);
    QCOMPARE(worker.settings(), smallSettings());
}

void tst_ColonyAnalyserThread::everyContainerOnce_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("direction");
    QTest::addColumn<QStringList>("expected"); // number/label per index
    QTest::newRow("3 x 4, left to right")
        << 3 << 4 << 1
        << QStringList{"1/A1", "2/A2", "3/A3", "4/B1", "5/B2", "6/B3", "7/C1", "8/C2", "9/C3", "10/D1", "11/D2", "12/D3"};
    QTest::newRow("2 x 2, right to left") << 2 << 2 << 2 << QStringList{"4/B2", "3/B1", "2/A2", "1/A1"};
    QTest::newRow("2 x 2, direction 1") << 2 << 2 << 1 << QStringList{"1/A1", "2/A2", "3/B1", "4/B2"};
}

void tst_ColonyAnalyserThread::everyContainerOnce()
{
    QFETCH(int, columns);
    QFETCH(int, rows);
    QFETCH(int, direction);
    QFETCH(QStringList, expected);

    ColonySettingsData settings = smallSettings();
    settings.Labware.SectionsX = columns;
    settings.Labware.SectionsY = rows;
    settings.Labware.PositionDirection = direction;
    settings.Labware.RoundArea = false;
    FakeColonyAnalyserHost host;
    ColonyAnalyserThread worker(&host, nullptr, nullptr);
    QCOMPARE(worker.Analyse({}, settings, smallScene().image), Errors::Type_Error(0));
    QVERIFY(host.stopped.tryAcquire(1, kRunTimeoutMs));
    QVERIFY(waitIdle(worker));

    const std::vector<FakeColonyAnalyserHost::ContainerReport> containers = host.containerList();
    QCOMPARE(int(containers.size()), columns * rows);
    for (int i = 0; i < int(containers.size()); ++i) {
        QCOMPARE(containers[size_t(i)].index, i);
        QCOMPARE(containers[size_t(i)].layerName, QStringLiteral("HalconObject_Colonies_SearchArea.Area.%1.").arg(i));
        QCOMPARE(QStringLiteral("%1/%2").arg(containers[size_t(i)].number).arg(containers[size_t(i)].positionText),
                 expected.at(i));
        QVERIFY(containers[size_t(i)].description.isEmpty());
        QVERIFY(!containers[size_t(i)].searchArea.IsEmpty());
    }
    QCOMPARE(worker.stepTimes().containers, columns * rows);
    for (const ImageColony& colony : host.colonyList())
        QVERIFY(colony.ContainerNumber >= 1 && colony.ContainerNumber <= columns * rows);
}

void tst_ColonyAnalyserThread::analyseWhileBusyIsRefused()
{
    FakeColonyAnalyserHost host;
    Gate gate(host, QStringLiteral("Filter ..."), false);
    ColonyAnalyserThread worker(&host, nullptr, nullptr);
    QCOMPARE(worker.Analyse({}, smallSettings(), smallScene().image), Errors::Type_Error(0));
    QVERIFY(gate.reached.tryAcquire(1, kRunTimeoutMs));

    const Halcon::Hobject other = HalconTestPictures::grayImage(64, 48, [](int, int) { return 100; });
    QCOMPARE(worker.Analyse({}, smallSettings(), other), Errors::Type_Error(101));
    QCOMPARE(worker.pictureWidth(), 1000);
    bool running = false;
    QCOMPARE(worker.CheckRunning(running), Errors::Type_Error(0));
    QVERIFY(running);
    QCOMPARE(worker.SetAgarHeight(1.0), Errors::Type_Error(101));

    gate.release();
    QVERIFY(host.stopped.tryAcquire(1, kRunTimeoutMs));
    QVERIFY(waitIdle(worker));
    QCOMPARE(host.stateTexts().constLast(), QStringLiteral("Done!"));
    QCOMPARE(host.callList().count(QStringLiteral("emitAnalyserStarted")), 1);
    QCOMPARE(int(host.rackPictures.size()), 1);
    Halcon::Hlong width = 0, height = 0;
    Halcon::get_image_size(host.rackPictures.front(), &width, &height);
    QCOMPARE(int(width), 1000);
    QCOMPARE(worker.CheckRunning(running), Errors::Type_Error(0));
    QVERIFY(!running);
}

void tst_ColonyAnalyserThread::stopDuringRunAborts()
{
    FakeColonyAnalyserHost host;
    Gate gate(host, QStringLiteral("Threshold ..."), true);
    ColonyAnalyserThread worker(&host, nullptr, nullptr);
    gate.worker = &worker;
    QCOMPARE(worker.Analyse({}, smallSettings(), smallScene().image), Errors::Type_Error(0));
    QVERIFY(gate.reached.tryAcquire(1, kRunTimeoutMs));

    QCOMPARE(worker.Stop(), Errors::Type_Error(0));
    QCOMPARE(worker.state(), qint32(ColonyAnalyserThread::StateIdle));
    QVERIFY(!worker.isCancelled());
    const QStringList states = host.stateTexts();
    QCOMPARE(states.constLast(), Errors::getErrorText(100) + QLatin1Char('!'));
    QVERIFY(!states.contains(QStringLiteral("Done!")));
    QCOMPARE(host.containerList().size(), size_t(0)); // ended right after the threshold step
    QCOMPARE(host.callList().count(QStringLiteral("emitAnalyserStopped")), 1);
    bool running = true;
    QCOMPARE(worker.CheckRunning(running), Errors::Type_Error(100));
    QVERIFY(!running);

    // The held picture and settings survive: a re-analysis runs through.
    gate.release();
    QCOMPARE(worker.Reanalyse({}, smallSettings()), Errors::Type_Error(0));
    QVERIFY(host.stopped.tryAcquire(2, kRunTimeoutMs)); // the stop report above, then this run's
    QVERIFY(waitIdle(worker));
    QCOMPARE(worker.CheckRunning(running), Errors::Type_Error(0));
}

void tst_ColonyAnalyserThread::stopThatTimesOutReportsBusy()
{
    FakeColonyAnalyserHost host;
    Gate gate(host, QStringLiteral("Filter ..."), false);
    ColonyAnalyserThread worker(&host, nullptr, nullptr);
    worker.setStopTimeout(100);
    QCOMPARE(worker.Analyse({}, smallSettings(), smallScene().image), Errors::Type_Error(0));
    QVERIFY(gate.reached.tryAcquire(1, kRunTimeoutMs));

    QCOMPARE(worker.Stop(), Errors::Type_Error(101));
    // The request stays: a second stop sees it, and a reset refuses like that stop.
    QCOMPARE(worker.Stop(), Errors::Type_Error(100));
    QCOMPARE(worker.Reset(), Errors::Type_Error(100));
    QCOMPARE(worker.pictureWidth(), 1000);

    gate.release();
    QVERIFY(host.stopped.tryAcquire(1, kRunTimeoutMs));
    QVERIFY(waitIdle(worker));
    bool running = true;
    QCOMPARE(worker.CheckRunning(running), Errors::Type_Error(100));
    QVERIFY(!running);
    // Idle again: stop returns at once, a new run is not aborted by the old request.
    QCOMPARE(worker.Stop(), Errors::Type_Error(0));
    QCOMPARE(worker.Analyse({}, smallSettings(), smallScene().image), Errors::Type_Error(0));
    QVERIFY(host.stopped.tryAcquire(1, kRunTimeoutMs));
    QVERIFY(waitIdle(worker));
    QCOMPARE(worker.CheckRunning(running), Errors::Type_Error(0));
    QCOMPARE(host.stateTexts().constLast(), QStringLiteral("Done!"));
}

void tst_ColonyAnalyserThread::stopWhileIdle()
{
    FakeColonyAnalyserHost host;
    ColonyAnalyserThread worker(&host, nullptr, nullptr);
    QCOMPARE(worker.Stop(), Errors::Type_Error(0));
    QVERIFY(host.callList().isEmpty());
}

void tst_ColonyAnalyserThread::reanalyseNeedsAPicture()
{
    FakeColonyAnalyserHost host;
    ColonyAnalyserThread worker(&host, nullptr, nullptr);
    bool running = true;
    QCOMPARE(worker.Reanalyse({}, smallSettings()), Errors::Type_Error(102));
    QCOMPARE(worker.CheckRunning(running), Errors::Type_Error(102));
    QVERIFY(!running);

    QCOMPARE(worker.Analyse({}, smallSettings(), smallScene().image), Errors::Type_Error(0));
    QVERIFY(host.stopped.tryAcquire(1, kRunTimeoutMs));
    QVERIFY(waitIdle(worker));
    host.clearRecords();
    QCOMPARE(worker.Reset(), Errors::Type_Error(0));
    QCOMPARE(host.callList(), (QStringList{QStringLiteral("viewClear:1"), QStringLiteral("emitRackReset"),
                                           QStringLiteral("emitStateSetText:")}));
    QVERIFY(host.rackResets.front().IsEmpty());
    QCOMPARE(worker.pictureWidth(), 0);
    QCOMPARE(worker.Reanalyse({}, smallSettings()), Errors::Type_Error(102));
    QCOMPARE(worker.CheckRunning(running), Errors::Type_Error(102));
}

void tst_ColonyAnalyserThread::reanalyseRunsAgainWithoutClearingTheView()
{
    FakeColonyAnalyserHost host;
    ColonyAnalyserThread worker(&host, nullptr, nullptr);
    QCOMPARE(worker.Analyse({}, smallSettings(), smallScene().image), Errors::Type_Error(0));
    QVERIFY(host.stopped.tryAcquire(1, kRunTimeoutMs));
    QVERIFY(waitIdle(worker));
    host.clearRecords();

    ColonySettingsData changed = smallSettings();
    changed.Colony.AreaMax = changed.Colony.AreaMin * 1.01; // almost nothing passes now
    QCOMPARE(worker.Reanalyse({QStringLiteral("app"), {}}, changed), Errors::Type_Error(0));
    QVERIFY(host.stopped.tryAcquire(1, kRunTimeoutMs));
    QVERIFY(waitIdle(worker));
    const QStringList calls = host.callList();
    QCOMPARE(calls.value(0), QStringLiteral("emitAnalyserStarted"));
    QVERIFY(!calls.contains(QStringLiteral("viewClear:0")));
    QCOMPARE(worker.settings(), changed);
    QCOMPARE(worker.appSettings().name, QStringLiteral("app"));
    QCOMPARE(host.stateTexts().constLast(), QStringLiteral("Done!"));
}

void tst_ColonyAnalyserThread::invalidSettingsStartNoRun_data()
{
    QTest::addColumn<int>("fault");
    QTest::newRow("no container columns") << 0;
    QTest::newRow("area maximum below minimum") << 1;
    QTest::newRow("all weights zero") << 2;
}

void tst_ColonyAnalyserThread::invalidSettingsStartNoRun()
{
    QFETCH(int, fault);
    ColonySettingsData settings = smallSettings();
    switch (fault) {
    case 0:
        settings.Labware.SectionsX = 0;
        break;
    case 1:
        settings.Colony.AreaMax = settings.Colony.AreaMin / 2.0;
        break;
    default:
        settings.Colony.AreaWeight = settings.Colony.CircularityWeight = settings.Colony.NeighborDistanceWeight =
            settings.Colony.MarginDistanceWeight = 0.0;
        break;
    }
    FakeColonyAnalyserHost host;
    ColonyAnalyserThread worker(&host, nullptr, nullptr);
    QCOMPARE(worker.Analyse({}, settings, smallScene().image), Errors::Type_Error(152));
    QCOMPARE(worker.state(), qint32(ColonyAnalyserThread::StateIdle));
    QCOMPARE(worker.pictureWidth(), 0);

    // With a picture held, a re-analysis with such settings is refused before it stops anything.
    QCOMPARE(worker.Analyse({}, smallSettings(), smallScene().image), Errors::Type_Error(0));
    QVERIFY(host.stopped.tryAcquire(1, kRunTimeoutMs));
    QVERIFY(waitIdle(worker));
    host.clearRecords();
    QCOMPARE(worker.Reanalyse({}, settings), Errors::Type_Error(152));
    QCOMPARE(worker.settings(), smallSettings());
    QVERIFY(host.callList().isEmpty());
}

void tst_ColonyAnalyserThread::unreadablePictureKeepsThePrevious()
{
    FakeColonyAnalyserHost host;
    ColonyAnalyserThread worker(&host, nullptr, nullptr);
    QCOMPARE(worker.Analyse({}, smallSettings(), smallScene().image), Errors::Type_Error(0));
    QVERIFY(host.stopped.tryAcquire(1, kRunTimeoutMs));
    QVERIFY(waitIdle(worker));

    Halcon::Hobject region;
    Halcon::gen_rectangle1(&region, 0, 0, 10, 10);
    for (const Halcon::Hobject& bad : {Halcon::Hobject(), region}) {
        const Errors::Type_Error code = worker.Analyse({}, smallSettings(), bad);
        QVERIFY(code != 0);
        QCOMPARE(worker.pictureWidth(), 1000);
        QCOMPARE(worker.state(), qint32(ColonyAnalyserThread::StateIdle));
    }
}

void tst_ColonyAnalyserThread::greyPictureAndColourModel_data()
{
    QTest::addColumn<int>("colorModel");
    QTest::addColumn<int>("error");
    QTest::newRow("no colour model runs through") << 0 << 0;
    QTest::newRow("RGB model needs colour") << 1 << 131;
    QTest::newRow("HSI model needs colour") << 2 << 131;
}

void tst_ColonyAnalyserThread::greyPictureAndColourModel()
{
    QFETCH(int, colorModel);
    QFETCH(int, error);
    ColonySettingsData settings = smallSettings();
    settings.ColorModel = colorModel;
    FakeColonyAnalyserHost host;
    ColonyAnalyserThread worker(&host, nullptr, nullptr);
    QCOMPARE(worker.Analyse({}, settings, greyOf(smallScene().image)), Errors::Type_Error(0));
    QVERIFY(host.stopped.tryAcquire(1, kRunTimeoutMs));
    QVERIFY(waitIdle(worker));
    bool running = true;
    QCOMPARE(worker.CheckRunning(running), Errors::Type_Error(error));
    const QStringList states = host.stateTexts();
    const QStringList calls = host.callList();
    if (error == 0) {
        QVERIFY(states.contains(QStringLiteral("Filter ...")));
        QVERIFY(states.contains(QStringLiteral("Threshold ...")));
        QCOMPARE(states.constLast(), QStringLiteral("Done!"));
        QCOMPARE(host.refPointList().size(), size_t(4));
    } else {
        QCOMPARE(states.constLast(), Errors::getErrorText(Errors::Type_Error(error)) + QLatin1Char('!'));
        QVERIFY(!calls.contains(QStringLiteral("ImageRefPointsClear"))); // no reference-point search
        QVERIFY(!states.contains(QStringLiteral("Filter ...")));
    }
}

void tst_ColonyAnalyserThread::filterModes_data()
{
    QTest::addColumn<int>("which"); // 0 median, 1 mean (grey preparation); 2, 3 the same of the HSI model
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("error");
    QTest::newRow("median mode 7") << 0 << true << 7 << 3;
    QTest::newRow("mean mode 0") << 1 << true << 0 << 3;
    QTest::newRow("median off, mode 7 not looked at") << 0 << false << 7 << 0;
    QTest::newRow("median mode 1") << 0 << true << 1 << 0;
    QTest::newRow("mean mode 6") << 1 << true << 6 << 0;
    QTest::newRow("colour median mode 9") << 2 << true << 9 << 3;
    QTest::newRow("colour mean mode -1") << 3 << true << -1 << 3;
}

void tst_ColonyAnalyserThread::filterModes()
{
    QFETCH(int, which);
    QFETCH(bool, enabled);
    QFETCH(int, mode);
    QFETCH(int, error);
    ColonySettingsData settings = smallSettings();
    settings.ColonyColor.MeanUsed = false;
    settings.ColonyColor.MedianUsed = false;
    switch (which) {
    case 0:
        settings.Colony.PreprocessingMedianEnabled = enabled;
        settings.Colony.PreprocessingMedianMode = mode;
        break;
    case 1:
        settings.Colony.PreprocessingMeanEnabled = enabled;
        settings.Colony.PreprocessingMeanMode = mode;
        break;
    case 2:
        settings.ColorModel = ColonySettingsData::ColorModelHsi;
        settings.ColonyColor.MedianUsed = enabled;
        settings.ColonyColor.MedianMode = mode;
        break;
    default:
        settings.ColorModel = ColonySettingsData::ColorModelHsi;
        settings.ColonyColor.MeanUsed = enabled;
        settings.ColonyColor.MeanMode = mode;
        break;
    }
    // Only the preparation and colour steps matter: a run that reaches the threshold step is
    // stopped there.
    FakeColonyAnalyserHost host;
    Gate gate(host, QStringLiteral("Threshold ..."), true);
    ColonyAnalyserThread worker(&host, nullptr, nullptr);
    gate.worker = &worker;
    QCOMPARE(worker.Analyse({}, settings, smallScene().image), Errors::Type_Error(0));
    bool running = true;
    if (error == 0) {
        QVERIFY(gate.reached.tryAcquire(1, kRunTimeoutMs));
        QCOMPARE(worker.Stop(), Errors::Type_Error(0));
        QCOMPARE(worker.CheckRunning(running), Errors::Type_Error(100));
        QCOMPARE(host.refPointList().size(), size_t(4));
    } else {
        QVERIFY(host.stopped.tryAcquire(1, kRunTimeoutMs));
        QVERIFY(waitIdle(worker));
        QCOMPARE(worker.CheckRunning(running), Errors::Type_Error(error));
        QVERIFY(!host.stateTexts().contains(QStringLiteral("Threshold ...")));
        QCOMPARE(host.stateTexts().constLast(), Errors::getErrorText(Errors::Type_Error(error)) + QLatin1Char('!'));
    }

    int mask = -1;
    QCOMPARE(ColonyAnalyserThread::filterMaskSize(mode, mask), mode >= 1 && mode <= 6);
}

void tst_ColonyAnalyserThread::failingFilterIsAnError()
{
    // A region is no picture: the filter's failure must come back, not the unfiltered input.
    Halcon::Hobject region = HalconTestPictures::rectangleRegion(0, 0, 9, 9);
    const Errors::Type_Error code = ColonyAnalyserThread::smoothPicture(region, true, 1, false, 0);
    QVERIFY(code >= 1000);
    QCOMPARE(ColonyAnalyserThread::smoothPicture(region, false, 0, true, 1) >= 1000, true);
    Halcon::Hobject picture = HalconTestPictures::gradientGray(32, 24);
    QCOMPARE(ColonyAnalyserThread::smoothPicture(picture, true, 7, false, 0), Errors::Type_Error(3));
    QCOMPARE(ColonyAnalyserThread::smoothPicture(picture, true, 1, true, 1), Errors::Type_Error(0));
    QVERIFY(!picture.IsEmpty());
}

void tst_ColonyAnalyserThread::colourModelsRun_data()
{
    QTest::addColumn<int>("colorModel");
    QTest::addColumn<QStringList>("pictures");
    QTest::newRow("RGB") << 1
                         << QStringList{"HalconPicture_Colonies_Color_Red.Background.",
                                        "HalconPicture_Colonies_Color_Green.Background.",
                                        "HalconPicture_Colonies_Color_Blue.Background."};
    QTest::newRow("HSI") << 2
                         << QStringList{"HalconPicture_Colonies_Color_Preprocessed.Background.",
                                        "HalconPicture_Colonies_Color_Hue.Background.",
                                        "HalconPicture_Colonies_Color_Saturation.Background.",
                                        "HalconPicture_Colonies_Color_Intensity.Background.",
                                        "HalconPicture_Colonies_Color_Red.Background.",
                                        "HalconPicture_Colonies_Color_Green.Background.",
                                        "HalconPicture_Colonies_Color_Blue.Background."};
}

void tst_ColonyAnalyserThread::colourModelsRun()
{
    QFETCH(int, colorModel);
    QFETCH(QStringList, pictures);
    ColonySettingsData settings = smallSettings();
    settings.ColorModel = colorModel;
    settings.ColonyColor.EndHue = 255.0;
    settings.ColonyColor.EndSaturation = 255.0;
    settings.ColonyColor.EndIntensity = 255.0;
    FakeColonyAnalyserHost host;
    ColonyAnalyserThread worker(&host, nullptr, nullptr);
    QCOMPARE(worker.Analyse({}, settings, smallScene().image), Errors::Type_Error(0));
    QVERIFY(host.stopped.tryAcquire(1, kRunTimeoutMs));
    QVERIFY(waitIdle(worker));
    bool running = true;
    QCOMPARE(worker.CheckRunning(running), Errors::Type_Error(0));
    QCOMPARE(host.stateTexts().constLast(), QStringLiteral("Done!"));
    int at = 0;
    for (const QString& name : pictures) {
        const int found = host.pictureNames.indexOf(name, at);
        QVERIFY2(found >= 0, qPrintable(name));
        at = found + 1;
    }
    const std::vector<ImageColony> colonies = host.colonyList();
    QVERIFY(!colonies.empty());
    for (const ImageColony& colony : colonies)
        QCOMPARE(colony.ErrorCode, Errors::Type_Error(0));
}

void tst_ColonyAnalyserThread::hueRangeWrapsAround()
{
    // Hue = column: 0 .. 255.
    const Halcon::Hobject hue = HalconTestPictures::grayImage(256, 4, [](int, int column) { return column; });
    Halcon::Hobject region;
    QCOMPARE(ColonyAnalyserThread::thresholdHue(hue, 250, 10, region), Halcon::kSuccess);
    Halcon::Hobject between;
    Halcon::gen_rectangle1(&between, 0, 10, 3, 250);
    Halcon::Hobject inside;
    Halcon::intersection(region, between, &inside);
    Halcon::HTuple area, row, column;
    Halcon::area_center(inside, &area, &row, &column);
    QCOMPARE(area[0].L(), Halcon::Hlong(0)); // the limits themselves are out
    Halcon::Hobject low;
    Halcon::gen_rectangle1(&low, 0, 0, 3, 9);
    Halcon::intersection(region, low, &inside);
    Halcon::area_center(inside, &area, &row, &column);
    QCOMPARE(area[0].L(), Halcon::Hlong(40));
    Halcon::Hobject high;
    Halcon::gen_rectangle1(&high, 0, 251, 3, 255);
    Halcon::intersection(region, high, &inside);
    Halcon::area_center(inside, &area, &row, &column);
    QCOMPARE(area[0].L(), Halcon::Hlong(20));

    QCOMPARE(ColonyAnalyserThread::thresholdHue(hue, 10, 250, region), Halcon::kSuccess);
    Halcon::area_center(region, &area, &row, &column);
    QCOMPARE(area[0].L(), Halcon::Hlong(241 * 4));
}

void tst_ColonyAnalyserThread::agarHeight_data()
{
    QTest::addColumn<double>("height");
    QTest::addColumn<int>("result");
    QTest::newRow("2.4 mm below the reference plane") << -2.4 << 0;
    // Stored with the rack as no number, or leaving no picture scale: the height in force stays.
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 104;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 104;
    QTest::newRow("minus infinite") << -std::numeric_limits<double>::infinity() << 104;
    QTest::newRow("at the camera") << 240.0 << 104;
    QTest::newRow("as far below the reference plane") << -240.0 << 104;
    QTest::newRow("beyond the camera") << 1.0e6 << 104;
}

void tst_ColonyAnalyserThread::agarHeight()
{
    QFETCH(double, height);
    QFETCH(int, result);
    ColonySettingsData settings = smallSettings();
    settings.ReferencePoints.DistanceCameraToRefPointPlane = 240.0;
    FakeColonyAnalyserHost host;
    ColonyAnalyserThread worker(&host, nullptr, nullptr);
    QCOMPARE(worker.Analyse({}, settings, smallScene().image), Errors::Type_Error(0));
    QVERIFY(host.stopped.tryAcquire(1, kRunTimeoutMs));
    QVERIFY(waitIdle(worker));
    if (result != 0)
        QCOMPARE(worker.SetAgarHeight(-2.4), Errors::Type_Error(0));

    QCOMPARE(worker.SetAgarHeight(height), Errors::Type_Error(result));
    QCOMPARE(worker.settings().ReferencePoints.DistanceRefPointPlaneToAgarPlane, -2.4);
    double row = 0.0, column = 0.0;
    // Scaled by 1.01 about the picture centre (375, 500).
    worker.referencePointSearch().transformHeightScale(475.0, 700.0, &row, &column);
    QVERIFY(std::fabs(row - 476.0) < 1e-9);
    QVERIFY(std::fabs(column - 702.0) < 1e-9);
}

void tst_ColonyAnalyserThread::agarHeightWithoutCameraDistance()
{
    // Without a camera distance the picture is not scaled: any finite height leaves a scale.
    ColonySettingsData settings = smallSettings();
    settings.ReferencePoints.DistanceCameraToRefPointPlane = 0.0;
    FakeColonyAnalyserHost host;
    ColonyAnalyserThread worker(&host, nullptr, nullptr);
    QCOMPARE(worker.Analyse({}, settings, smallScene().image), Errors::Type_Error(0));
    QVERIFY(host.stopped.tryAcquire(1, kRunTimeoutMs));
    QVERIFY(waitIdle(worker));
    QCOMPARE(worker.SetAgarHeight(3.5), Errors::Type_Error(0));
    QCOMPARE(worker.settings().ReferencePoints.DistanceRefPointPlaneToAgarPlane, 3.5);
    QCOMPARE(worker.SetAgarHeight(std::numeric_limits<double>::quiet_NaN()), Errors::Type_Error(104));
}

void tst_ColonyAnalyserThread::destroyDuringRunEndsCleanly()
{
    FakeColonyAnalyserHost host;
    std::atomic<ColonyAnalyserThread*> running{nullptr};
    QSemaphore reached;
    // Holds the worker in the colour filter step until its destructor has asked it to end.
    host.onStateText = [&](const QString& text) {
        if (text != QStringLiteral("Filter ..."))
            return;
        reached.release(1);
        QSemaphore never; // a bounded wait between looks
        QElapsedTimer timer;
        timer.start();
        while (!running.load()->isInterruptionRequested() && timer.elapsed() < kRunTimeoutMs)
            never.tryAcquire(1, 5);
    };
    auto worker = std::make_unique<ColonyAnalyserThread>(&host, nullptr, nullptr);
    running.store(worker.get());
    QCOMPARE(worker->Analyse({}, smallSettings(), smallScene().image), Errors::Type_Error(0));
    QVERIFY(reached.tryAcquire(1, kRunTimeoutMs));
    worker.reset();

    const QStringList calls = host.callList();
    QVERIFY(!host.stateTexts().contains(QStringLiteral("Done!")));
    QVERIFY(!calls.contains(QStringLiteral("emitAnalyserStopped")));
    // Nothing after the colour filter step that was running.
    QCOMPARE(calls.constLast(), QStringLiteral("emitStateSetText:Filter ..."));
}

void tst_ColonyAnalyserThread::cutSearchArea()
{
    const Halcon::Hobject picture = HalconTestPictures::grayImage(1000, 800, [](int row, int column) {
        return (row + column) % 256;
    });
    ColonySettingsData settings;
    settings.Labware.PositionX = 10.0;
    settings.Labware.PositionY = 20.0;
    settings.Labware.SizeX = 50.0;
    settings.Labware.SizeY = 30.0;
    settings.Labware.Angle = 0.0;
    Halcon::Hobject cropped = picture;
    QCOMPARE(ColonyAnalyserThread::cutSearchArea(cropped, settings), Errors::Type_Error(0));
    Halcon::Hlong width = 0, height = 0;
    QCOMPARE(Halcon::get_image_size(cropped, &width, &height), Halcon::kSuccess);
    QVERIFY(std::abs(int(width) - 500) <= 1);
    QVERIFY(std::abs(int(height) - 300) <= 1);
    // The first pixel is the one at the rectangle's corner.
    Halcon::Hlong pointer = 0;
    char type[32] = {};
    QCOMPARE(Halcon::get_image_pointer1(cropped, &pointer, type, &width, &height), Halcon::kSuccess);
    const int first = *reinterpret_cast<const unsigned char*>(pointer);
    QVERIFY2(std::abs(first - (200 + 100) % 256) <= 2, qPrintable(QString::number(first)));
}

void tst_ColonyAnalyserThread::cutSearchAreaFailureKeepsPicture()
{
    const Halcon::Hobject picture = HalconTestPictures::grayImage(100, 80, [](int, int) { return 7; });
    ColonySettingsData settings;
    settings.Labware.PositionX = 200.0; // wholly outside the picture
    settings.Labware.PositionY = 200.0;
    Halcon::Hobject kept = picture;
    QVERIFY(ColonyAnalyserThread::cutSearchArea(kept, settings) != 0);
    Halcon::Hlong width = 0, height = 0;
    QCOMPARE(Halcon::get_image_size(kept, &width, &height), Halcon::kSuccess);
    QCOMPARE(int(width), 100);
    QCOMPARE(int(height), 80);

    Halcon::Hobject empty;
    QVERIFY(ColonyAnalyserThread::cutSearchArea(empty, settings) != 0);
    QVERIFY(empty.IsEmpty());
}

QTEST_MAIN(tst_ColonyAnalyserThread)
#include "tst_ColonyAnalyserThread.moc"
