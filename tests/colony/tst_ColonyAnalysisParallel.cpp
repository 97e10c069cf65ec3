// With the operator parallelisation on, the worker measures the containers on a pool of
// threads, and inside one container the colonies and their neighbours. The page must not tell
// the difference: the same reports, drawings, colonies and pick order, in the same order, as a
// run with everything on one thread. Compared here call by call and field by field on
// generated 96-well plates, dense Petri dishes and a tray; a stop and a teardown during a
// pooled run end cleanly.

#include "ColonyAnalyserThread.h"
#include "ColonyEngineFakes.h"
#include "ColonyMarginAnalysis.h"
#include "ColonyPropertiesAnalysis.h"
#include "Errors.h"

#include <ColonyFields.h>
#include <FakeColonyAnalyserHost.h>
#include <PlateSceneSettings.h>
#include <PlateScenes.h>

#include <Halcon.h>
#include <HalconAop_p.h>
#include <HalconViewImpl.h>

#include <QtTest>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace {

constexpr int kRunTimeoutMs = 300000;

// A host that also keeps every drawing the engine makes, with the object drawn.
class DrawingHost : public FakeColonyAnalyserHost {
public:
    DrawingHost()
        : m_view(this, view())
    {
    }
    IHalconView* halconView() override { return &m_view; }

    struct Drawing {
        QString call;
        Halcon::Hobject object;
    };
    std::vector<Drawing> drawingList() const
    {
        QMutexLocker lock(&mutex);
        return m_drawings;
    }

private:
    class View : public HalconViewImpl {
    public:
        View(DrawingHost* host, Hobject_View_Gui* viewer)
            : HalconViewImpl(viewer)
            , m_host(host)
        {
        }
        using HalconViewImpl::addObject;
        void addObject(const Halcon::Hobject& object, const char* color, const char* drawMode, int lineWidth,
                       const QString& name, bool selectable) override
        {
            m_host->keep(QStringLiteral("addObject:%1:%2:%3:%4:%5")
                             .arg(name, QString::fromLatin1(color ? color : "-"),
                                  QString::fromLatin1(drawMode ? drawMode : "-"))
                             .arg(lineWidth)
                             .arg(selectable),
                         object);
        }
        void update() override { m_host->keep(QStringLiteral("update"), {}); }

    private:
        DrawingHost* m_host;
    };

    void keep(const QString& call, const Halcon::Hobject& object)
    {
        QMutexLocker lock(&mutex);
        calls << QStringLiteral("draw:") + call;
        m_drawings.push_back({call, object});
    }

    View m_view;
    std::vector<Drawing> m_drawings;
};

// Whether two objects hold the same elements: contours point for point, regions pixel for
// pixel, pictures by size and channels.
bool sameObject(const Halcon::Hobject& a, const Halcon::Hobject& b)
{
    Halcon::Hlong count = 0;
    Halcon::Hlong otherCount = 0;
    if (Halcon::count_obj(a, &count) != Halcon::kSuccess || Halcon::count_obj(b, &otherCount) != Halcon::kSuccess
        || count != otherCount)
        return false;
    for (Halcon::Hlong i = 1; i <= count; ++i) {
        Halcon::Hobject x, y;
        Halcon::HTuple classX, classY;
        Halcon::select_obj(a, &x, i);
        Halcon::select_obj(b, &y, i);
        Halcon::get_obj_class(x, &classX);
        Halcon::get_obj_class(y, &classY);
        if (!(classX == classY))
            return false;
        const std::string kind = classX.S();
        if (kind == "region") {
            Halcon::Hobject onlyX, onlyY;
            Halcon::HTuple areaX, areaY, row, column;
            Halcon::difference(x, y, &onlyX);
            Halcon::difference(y, x, &onlyY);
            Halcon::area_center(onlyX, &areaX, &row, &column);
            Halcon::area_center(onlyY, &areaY, &row, &column);
            if (areaX.L() != 0 || areaY.L() != 0)
                return false;
        } else if (kind.rfind("xld", 0) == 0) {
            Halcon::HTuple rowsX, columnsX, rowsY, columnsY;
            Halcon::get_contour_xld(x, &rowsX, &columnsX);
            Halcon::get_contour_xld(y, &rowsY, &columnsY);
            if (!(rowsX == rowsY) || !(columnsX == columnsY))
                return false;
        } else {
            Halcon::HTuple widthX, heightX, widthY, heightY;
            Halcon::Hlong channelsX = 0, channelsY = 0;
            Halcon::get_image_size(x, &widthX, &heightX);
            Halcon::get_image_size(y, &widthY, &heightY);
            Halcon::count_channels(x, &channelsX);
            Halcon::count_channels(y, &channelsY);
            if (!(widthX == widthY) || !(heightX == heightY) || channelsX != channelsY)
                return false;
        }
    }
    return true;
}

// Field by field, the contours point for point; the first field that differs, or an empty text.
QString colonyDifference(const ImageColony& a, const ImageColony& b)
{
    if (const QString field = ColonyFields::firstDifference(a, b); !field.isEmpty())
        return field;
    if (!sameObject(a.Contour, b.Contour))
        return QStringLiteral("Contour");
    if (!sameObject(a.OutlineContour, b.OutlineContour))
        return QStringLiteral("OutlineContour");
    return {};
}

struct Run {
    Errors::Type_Error error = -1;
    ColonyAnalyserThread::StepTimes times;
    QStringList calls;
    std::vector<DrawingHost::Drawing> drawings;
    std::vector<ImageColony> colonies;
    std::vector<FakeColonyAnalyserHost::ContainerReport> containers;
};

Run analyse(const Halcon::Hobject& picture, const ColonySettingsData& settings)
{
    Run run;
    DrawingHost host;
    ColonyAnalyserThread worker(&host, nullptr, nullptr);
    if (worker.Analyse({}, settings, picture) != 0 || !host.stopped.tryAcquire(1, kRunTimeoutMs))
        return run;
    QElapsedTimer timer;
    timer.start();
    while (worker.state() != ColonyAnalyserThread::StateIdle && timer.elapsed() < kRunTimeoutMs)
        QThread::yieldCurrentThread();
    bool running = true;
    run.error = worker.CheckRunning(running);
    run.times = worker.stepTimes();
    run.calls = host.callList();
    run.drawings = host.drawingList();
    run.colonies = host.colonyList();
    run.containers = host.containerList();
    return run;
}

void setParallel(bool on, int threads)
{
    Halcon::set_system("parallelize_operators", on ? "true" : "false");
    Halcon::set_system("thread_num", threads);
}

// Generated once per labware and seed; dense: a dense Petri dish, else a 96-well plate.
const PlateScenes::Scene& generatedScene(unsigned seed, bool dense)
{
    static std::map<std::pair<unsigned, bool>, PlateScenes::Scene> scenes;
    auto it = scenes.find({seed, dense});
    if (it == scenes.end()) {
        PlateScenes::Options options;
        options.seed = seed;
        if (dense) {
            options.labware = PlateScenes::Labware::PetriDish;
            options.dense = true;
        }
        it = scenes.emplace(std::make_pair(seed, dense), PlateScenes::generate(options)).first;
    }
    return it->second;
}

const PlateScenes::Scene& wellsScene(unsigned seed)
{
    return generatedScene(seed, false);
}

// Every report to the page, in order (picture-unit conversions are not reports), every
// drawing with its object, every container and every colony field by field.
void compareRuns(const Run& single, const Run& pooled)
{
    QCOMPARE(single.error, Errors::Type_Error(0));
    QCOMPARE(pooled.error, Errors::Type_Error(0));
    QCOMPARE(pooled.calls.size(), single.calls.size());
    for (int i = 0; i < single.calls.size(); ++i)
        QCOMPARE(pooled.calls.at(i), single.calls.at(i));
    QCOMPARE(pooled.drawings.size(), single.drawings.size());
    for (size_t i = 0; i < single.drawings.size(); ++i)
        QVERIFY2(sameObject(pooled.drawings[i].object, single.drawings[i].object),
                 qPrintable(QStringLiteral("drawing %1 %2").arg(i).arg(single.drawings[i].call)));
    QCOMPARE(pooled.containers.size(), single.containers.size());
    for (size_t i = 0; i < single.containers.size(); ++i)
        QVERIFY(sameObject(pooled.containers[i].searchArea, single.containers[i].searchArea));
    QCOMPARE(pooled.colonies.size(), single.colonies.size());
    for (size_t i = 0; i < single.colonies.size(); ++i) {
        const QString field = colonyDifference(pooled.colonies[i], single.colonies[i]);
        QVERIFY2(field.isEmpty(), qPrintable(QStringLiteral("colony %1: %2").arg(i).arg(field)));
    }
}

// Threads that took part in the work inside one container, by task.
struct PoolSeen {
    std::mutex mutex;
    std::map<std::string, int> threads;
};
PoolSeen g_pool;

void notePool(std::string_view task, int, int threads)
{
    std::lock_guard lock(g_pool.mutex);
    int& seen = g_pool.threads[std::string(task)];
    seen = std::max(seen, threads);
}

int poolThreads(const char* task)
{
    std::lock_guard lock(g_pool.mutex);
    const auto it = g_pool.threads.find(task);
    return it == g_pool.threads.end() ? 0 : it->second;
}

void clearPool()
{
    std::lock_guard lock(g_pool.mutex);
    g_pool.threads.clear();
}

// run() with everything on one thread, then with four threads for the operators and the
// colonies, noting who took part.
template<class Result, class Run>
std::pair<Result, Result> onOneAndOnFourThreads(Run run)
{
    setParallel(false, 1);
    Result single = run();
    setParallel(true, 4);
    clearPool();
    Halcon::Aop::setBandHook(notePool);
    Result pooled = run();
    Halcon::Aop::setBandHook(nullptr);
    return {std::move(single), std::move(pooled)};
}

// A tray of 500 colonies as one container: its agar, margins and colonies measured by the
// engines straight, with stand-ins for the worker and the page that record every call.
struct EngineRun {
    Errors::Type_Error margins = -1;
    Errors::Type_Error properties = -1;
    std::vector<ColonyEngineFakes::FakeHalconView::Added> drawings;
    int updates = 0;
    std::vector<ImageColony> colonies;
    QStringList texts;
};

EngineRun analyseTray(const Halcon::Hobject& gray, const PlateScenes::TrayScene& tray, const ColonySettingsData& settings,
                      bool fastCalculation)
{
    using namespace ColonyEngineFakes;
    Halcon::Hlong width = 0, height = 0;
    Halcon::get_image_size(gray, &width, &height);
    FakeHalconView view(double(std::max(width, height)));
    FakeColonies colonies;
    FakeCancellation cancellation;
    FakeProgress progress;
    FakePlate plate;
    plate.longerSide = double(std::max(width, height));
    const double inset = 3.0 * tray.resolution;
    plate.row1 = inset;
    plate.column1 = inset;
    plate.row2 = double(height) - inset;
    plate.column2 = double(width) - inset;
    FakePlateCoordinates coordinates;
    coordinates.horizontal = coordinates.vertical = tray.resolution;
    coordinates.centreRow = double(height) / 2.0;
    coordinates.centreColumn = double(width) / 2.0;
    ColonyMarginAnalysis margins;
    margins.init(&view, &plate, static_cast<IPlateCoordinates*>(&coordinates), &cancellation, &progress);
    ColonyPropertiesAnalysis properties;
    properties.init(&view, &colonies, &cancellation, static_cast<IPlateCoordinates*>(&coordinates), &margins,
                    &progress);
    properties.setSettings(&settings);
    properties.setInputObjects(gray, gray);
    EngineRun run;
    run.margins = margins.run(gray, &settings, false, 0, plate.outline());
    run.properties = properties.run(false, 1, fastCalculation);
    run.drawings = view.added;
    run.updates = view.updates;
    run.colonies = colonies.items;
    run.texts = progress.texts;
    return run;
}

} // namespace

class tst_ColonyAnalysisParallel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void sameAsOneThread_data();
    void sameAsOneThread();
    void sameAsOneThreadInOneContainer_data();
    void sameAsOneThreadInOneContainer();
    void trayAsOneContainer_data();
    void trayAsOneContainer();
    void stopDuringPooledRun();
    void destroyDuringPooledRun();

private:
    Errors* m_errors = nullptr;
    Halcon::HTuple m_parallel;
    Halcon::HTuple m_threads;
};

void tst_ColonyAnalysisParallel::initTestCase()
{
    m_errors = new Errors(nullptr, this);
    QCOMPARE(Halcon::get_system("parallelize_operators", &m_parallel), Halcon::kSuccess);
    QCOMPARE(Halcon::get_system("thread_num", &m_threads), Halcon::kSuccess);
}

void tst_ColonyAnalysisParallel::cleanup()
{
    Halcon::set_system("parallelize_operators", m_parallel);
    Halcon::set_system("thread_num", m_threads);
}

void tst_ColonyAnalysisParallel::sameAsOneThread_data()
{
    QTest::addColumn<unsigned>("seed");
    QTest::addColumn<int>("analysisMode");
    QTest::addColumn<int>("colorModel");
    QTest::newRow("dynamic threshold") << 1u << 1 << int(ColonySettingsData::ColorModelNone);
    QTest::newRow("standard threshold") << 2u << 0 << int(ColonySettingsData::ColorModelNone);
    QTest::newRow("RGB colour model") << 3u << 1 << int(ColonySettingsData::ColorModelRgb);
    QTest::newRow("HSI colour model") << 4u << 1 << int(ColonySettingsData::ColorModelHsi);
}

void tst_ColonyAnalysisParallel::sameAsOneThread()
{
    QFETCH(unsigned, seed);
    QFETCH(int, analysisMode);
    QFETCH(int, colorModel);
    const PlateScenes::Scene& scene = wellsScene(seed);
    ColonySettingsData settings = PlateSceneSettings::settingsFor(scene);
    settings.Colony.AnalysisMode = analysisMode;
    settings.ColorModel = colorModel;
    if (colorModel == ColonySettingsData::ColorModelHsi) {
        settings.ColonyColor.MedianUsed = true;
        settings.ColonyColor.MedianMode = 1;
    }

    const auto [single, pooled] = onOneAndOnFourThreads<Run>([&] { return analyse(scene.image, settings); });

    QCOMPARE(single.times.containerThreads, 1);
    QCOMPARE(pooled.times.containerThreads, 4);
    QCOMPARE(pooled.times.containers, 96);
    // The containers are the parallel work: inside each, the colonies stay on its thread
    // rather than asking the pool for four more threads each.
    QCOMPARE(poolThreads("colony_properties"), 1);
    QCOMPARE(poolThreads("colony_neighbors"), 1);
    QVERIFY(single.colonies.size() > 300);
    compareRuns(single, pooled);
}

void tst_ColonyAnalysisParallel::sameAsOneThreadInOneContainer_data()
{
    QTest::addColumn<unsigned>("seed");
    QTest::addColumn<int>("analysisMode");
    QTest::addColumn<int>("colorModel");
    QTest::addColumn<bool>("fastCalculation");
    QTest::newRow("dense dish, dynamic threshold") << 1u << 1 << int(ColonySettingsData::ColorModelNone) << false;
    QTest::newRow("dense dish, standard threshold") << 2u << 0 << int(ColonySettingsData::ColorModelNone) << false;
    QTest::newRow("dense dish, fast calculation") << 1u << 1 << int(ColonySettingsData::ColorModelNone) << true;
    QTest::newRow("dense dish, RGB colour model") << 2u << 1 << int(ColonySettingsData::ColorModelRgb) << false;
    QTest::newRow("dense dish, HSI colour model") << 1u << 1 << int(ColonySettingsData::ColorModelHsi) << false;
}

void tst_ColonyAnalysisParallel::sameAsOneThreadInOneContainer()
{
    QFETCH(unsigned, seed);
    QFETCH(int, analysisMode);
    QFETCH(int, colorModel);
    QFETCH(bool, fastCalculation);
    const PlateScenes::Scene& dish = generatedScene(seed, true);
    ColonySettingsData settings = PlateSceneSettings::settingsFor(dish);
    settings.Colony.AnalysisMode = analysisMode;
    settings.Colony.FastCalculation = fastCalculation;
    settings.ColorModel = colorModel;

    const auto [single, pooled] = onOneAndOnFourThreads<Run>([&] { return analyse(dish.image, settings); });

    QCOMPARE(pooled.times.containers, 1);
    QCOMPARE(poolThreads("colony_neighbors"), 4);
    QCOMPARE(poolThreads("colony_properties"), 4);
    QVERIFY(single.colonies.size() > 1000);
    compareRuns(single, pooled);
}

void tst_ColonyAnalysisParallel::trayAsOneContainer_data()
{
    QTest::addColumn<int>("analysisMode");
    QTest::addColumn<bool>("fastCalculation");
    QTest::newRow("dynamic threshold") << 1 << false;
    QTest::newRow("standard threshold") << 0 << false;
    QTest::newRow("fast calculation") << 1 << true;
}

void tst_ColonyAnalysisParallel::trayAsOneContainer()
{
    QFETCH(int, analysisMode);
    QFETCH(bool, fastCalculation);
    static const PlateScenes::TrayScene tray = [] {
        PlateScenes::TrayOptions options;
        options.viewWidth = 1296;
        options.viewHeight = 972;
        return PlateScenes::generateTray(options);
    }();
    // The agar, cut out of the frame of the six views.
    const double halfWidth = tray.agarHalfWidth * 1.02, halfHeight = tray.agarHalfHeight * 1.02;
    const Halcon::Hobject rgb = PlateScenes::renderTrayWindow(tray, tray.agarRow - halfHeight, tray.agarColumn - halfWidth,
                                                              int(2.0 * halfWidth), int(2.0 * halfHeight));
    Halcon::Hobject gray;
    QCOMPARE(Halcon::rgb1_to_gray(rgb, &gray), Halcon::kSuccess);
    ColonySettingsData settings = ColonySettingsData::standardDefaults();
    settings.Colony.AnalysisMode = analysisMode;
    settings.Colony.MaxColonyDiameter = 3.2;
    settings.Colony.AreaMin = 0.4;
    settings.Colony.AreaMax = 6.0;
    settings.Colony.CircularityMin = 0.7;
    settings.Colony.NeighborDistanceMin = 0.2;
    settings.Colony.NeighborDistanceMaxNorm = 1.5;
    settings.Colony.MarginDistanceMin = 0.2;
    settings.Colony.MarginDistanceMaxNorm = 1.5;

    const auto [single, pooled] =
        onOneAndOnFourThreads<EngineRun>([&] { return analyseTray(gray, tray, settings, fastCalculation); });

    QCOMPARE(single.margins, Errors::Type_Error(0));
    QCOMPARE(single.properties, Errors::Type_Error(0));
    QCOMPARE(pooled.margins, single.margins);
    QCOMPARE(pooled.properties, single.properties);
    QCOMPARE(poolThreads("colony_properties"), 4);
    QVERIFY(single.colonies.size() > 300);
    QCOMPARE(pooled.texts, single.texts);
    QCOMPARE(pooled.updates, single.updates);
    QCOMPARE(pooled.drawings.size(), single.drawings.size());
    for (size_t i = 0; i < single.drawings.size(); ++i) {
        const auto& a = single.drawings[i];
        const auto& b = pooled.drawings[i];
        QVERIFY2(a.name == b.name && a.color == b.color && a.mode == b.mode && a.width == b.width
                     && a.selectable == b.selectable && sameObject(a.object, b.object),
                 qPrintable(QStringLiteral("drawing %1 %2").arg(i).arg(a.name)));
    }
    QCOMPARE(pooled.colonies.size(), single.colonies.size());
    for (size_t i = 0; i < single.colonies.size(); ++i) {
        const QString field = colonyDifference(pooled.colonies[i], single.colonies[i]);
        QVERIFY2(field.isEmpty(), qPrintable(QStringLiteral("colony %1: %2").arg(i).arg(field)));
    }
}

void tst_ColonyAnalysisParallel::stopDuringPooledRun()
{
    setParallel(true, 4);
    DrawingHost host;
    ColonyAnalyserThread worker(&host, nullptr, nullptr);
    // Holds the worker while it hands over the second container; the pool goes on meanwhile.
    QSemaphore reached;
    QSemaphore open;
    int containersSeen = 0;
    host.onStateText = [&](const QString& text) {
        if (!text.startsWith(QStringLiteral("Colony propertis:")) || !text.endsWith(QStringLiteral("margins...")))
            return;
        if (++containersSeen != 2)
            return;
        reached.release(1);
        while (!open.tryAcquire(1, 5) && !worker.isCancelled()) {
        }
    };
    const PlateScenes::Scene& scene = wellsScene(1);
    QCOMPARE(worker.Analyse({}, PlateSceneSettings::settingsFor(scene), scene.image), Errors::Type_Error(0));
    QVERIFY(reached.tryAcquire(1, kRunTimeoutMs));
    QCOMPARE(worker.Stop(), Errors::Type_Error(0));
    bool running = true;
    QCOMPARE(worker.CheckRunning(running), Errors::Type_Error(100));
    QVERIFY(!running);
    QCOMPARE(worker.stepTimes().containerThreads, 4);
    // The containers before the stop are whole and in order; none after it came through.
    const std::vector<FakeColonyAnalyserHost::ContainerReport> containers = host.containerList();
    QCOMPARE(int(containers.size()), 2);
    for (const ImageColony& colony : host.colonyList())
        QVERIFY(colony.ContainerNumber <= 2);
    QCOMPARE(host.stateTexts().constLast(), Errors::getErrorText(100) + QStringLiteral("!"));
}

void tst_ColonyAnalysisParallel::destroyDuringPooledRun()
{
    setParallel(true, 4);
    QSemaphore reached;
    auto host = std::make_unique<DrawingHost>();
    // Holds the worker in the first container's hand-over until the destructor asks it to end.
    host->onStateText = [&](const QString& text) {
        if (!text.startsWith(QStringLiteral("Colony propertis:")) || reached.available() > 0)
            return;
        reached.release(1);
        while (!QThread::currentThread()->isInterruptionRequested())
            QThread::yieldCurrentThread();
    };
    auto worker = std::make_unique<ColonyAnalyserThread>(host.get(), nullptr, nullptr);
    const PlateScenes::Scene& scene = wellsScene(1);
    QCOMPARE(worker->Analyse({}, PlateSceneSettings::settingsFor(scene), scene.image), Errors::Type_Error(0));
    QVERIFY(reached.tryAcquire(1, kRunTimeoutMs));
    // The pool still works on later containers; the worker must end them before it goes.
    worker.reset();
    QCOMPARE(int(host->containerList().size()), 1);
    QVERIFY(!host->stateTexts().contains(QStringLiteral("Done!")));
}

QTEST_MAIN(tst_ColonyAnalysisParallel)
#include "tst_ColonyAnalysisParallel.moc"
