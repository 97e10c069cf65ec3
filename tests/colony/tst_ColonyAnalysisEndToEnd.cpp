// The whole analysis, worker and engine together, on generated plate pictures with ground
// truth: reference points, containers, colonies and pick order over a table of seeds and
// both labware kinds; the figures of the whole table are checked at the end.

#include "ColonyAnalyserThread.h"
#include "Errors.h"

#include <FakeColonyAnalyserHost.h>
#include <PlateSceneSettings.h>
#include <PlateScenes.h>

#include <HalconXldOps.h>

#include <QtConcurrent>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <numeric>

namespace {

// Under ThreadSanitizer a scene takes minutes: a few scenes still make the workers, the
// layer's thread pool and the test thread meet.
#if defined(__SANITIZE_THREAD__)
constexpr int kSeeds = 2;
#else
constexpr int kSeeds = 20;
#endif
constexpr int kRunTimeoutMs = 300000;
// Scenes analysed at the same time, each by its own worker.
constexpr int kConcurrent = 4;

struct Outcome {
    PlateScenes::Scene scene; // without its picture
    ColonySettingsData settings;
    Errors::Type_Error analyseResult = -1;
    bool finished = false;
    Errors::Type_Error error = -1;
    bool running = true;
    QString lastState;
    double crossSize = 0.0;
    std::vector<ImageRefPoint> points;
    std::vector<FakeColonyAnalyserHost::ContainerReport> containers;
    std::vector<ImageColony> colonies;
};

QString sceneKey(int labware, unsigned seed)
{
    return QStringLiteral("%1/%2").arg(labware).arg(seed);
}

struct Tally {
    int isolated = 0;
    int recalled = 0;
    int goodReports = 0;
    int falseReports = 0;
    double centreErrorSum = 0.0;
    int centreErrors = 0;
    int scenes = 0;
};

struct Match {
    int isolated = 0;
    int recalled = 0;
    int goodReports = 0;
    int falseReports = 0;
    double centreErrorSum = 0.0;
    QStringList missed;
    QStringList falses;
};

// A good report is true when its centre lies inside a drawn colony of its container; an
// isolated colony is recalled when a good report lies within half its radius (at least one
// pixel) of its centre. Each report serves one colony.
Match matchColonies(const PlateScenes::Scene& scene, const std::vector<ImageColony>& reports)
{
    Match match;
    std::vector<bool> used(reports.size(), false);
    for (const PlateScenes::Colony& truth : scene.colonies) {
        if (!truth.isolated)
            continue;
        ++match.isolated;
        const int number = truth.container + 1;
        double best = 1e300;
        size_t bestIndex = reports.size();
        for (size_t i = 0; i < reports.size(); ++i) {
            const ImageColony& c = reports[i];
            if (!c.IsGoodColony || used[i] || c.ContainerNumber != number)
                continue;
            const double d = std::hypot(c.PosY_px - truth.row, c.PosX_px - truth.column);
            if (d < best) {
                best = d;
                bestIndex = i;
            }
        }
        if (bestIndex < reports.size() && best <= std::max(1.0, 0.5 * truth.radius)) {
            used[bestIndex] = true;
            ++match.recalled;
            match.centreErrorSum += best;
        } else {
            match.missed << QStringLiteral("(%1, %2) r %3 container %4 faint %5 nearest good %6")
                                .arg(truth.row, 0, 'f', 1)
                                .arg(truth.column, 0, 'f', 1)
                                .arg(truth.radius, 0, 'f', 1)
                                .arg(number)
                                .arg(truth.faint)
                                .arg(best, 0, 'f', 1);
        }
    }
    for (const ImageColony& c : reports) {
        if (!c.IsGoodColony)
            continue;
        ++match.goodReports;
        bool inside = false;
        for (const PlateScenes::Colony& truth : scene.colonies) {
            if (truth.container + 1 == c.ContainerNumber
                && std::hypot(c.PosY_px - truth.row, c.PosX_px - truth.column) <= truth.radiusMajor) {
                inside = true;
                break;
            }
        }
        if (!inside) {
            ++match.falseReports;
            match.falses << QStringLiteral("(%1, %2) area %3 mm2 container %4")
                                .arg(c.PosY_px, 0, 'f', 1)
                                .arg(c.PosX_px, 0, 'f', 1)
                                .arg(c.Area_mm2, 0, 'f', 3)
                                .arg(c.ContainerNumber);
        }
    }
    return match;
}

} // namespace

class tst_ColonyAnalysisEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void analyse_data();
    void analyse();
    void figuresOverAllScenes();

private:
    Errors* m_errors = nullptr;
    std::map<QString, Outcome> m_outcomes;
    Tally m_wells;
    Tally m_dishes;
};

// Every scene of the table is generated and analysed here, a few at a time; the data rows
// then judge one scene each.
void tst_ColonyAnalysisEndToEnd::initTestCase()
{
    m_errors = new Errors(nullptr, this);
    std::vector<std::pair<int, unsigned>> table;
    for (unsigned seed = 1; seed <= unsigned(kSeeds); ++seed)
        for (int labware : {int(PlateScenes::Labware::Wells96), int(PlateScenes::Labware::PetriDish)})
            table.emplace_back(labware, seed);

    QElapsedTimer timer;
    timer.start();
    for (size_t first = 0; first < table.size(); first += kConcurrent) {
        const size_t count = std::min(table.size() - first, size_t(kConcurrent));
        std::vector<size_t> batch(count);
        std::iota(batch.begin(), batch.end(), first);
        const std::vector<PlateScenes::Scene> scenes = QtConcurrent::blockingMapped<std::vector<PlateScenes::Scene>>(batch, [&](size_t i) {
            PlateScenes::Options options;
            options.labware = PlateScenes::Labware(table[i].first);
            options.seed = table[i].second;
            return PlateScenes::generate(options);
        });
        std::vector<std::unique_ptr<FakeColonyAnalyserHost>> hosts;
        std::vector<std::unique_ptr<ColonyAnalyserThread>> workers;
        std::vector<Outcome> outcomes(count);
        for (size_t k = 0; k < count; ++k) {
            hosts.push_back(std::make_unique<FakeColonyAnalyserHost>());
            workers.push_back(std::make_unique<ColonyAnalyserThread>(hosts[k].get(), nullptr, nullptr));
            outcomes[k].scene = scenes[k];
            outcomes[k].settings = PlateSceneSettings::settingsFor(outcomes[k].scene);
            outcomes[k].analyseResult = workers[k]->Analyse({}, outcomes[k].settings, outcomes[k].scene.image);
        }
        for (size_t k = 0; k < count; ++k) {
            Outcome& outcome = outcomes[k];
            if (outcome.analyseResult == 0) {
                outcome.finished = hosts[k]->stopped.tryAcquire(1, kRunTimeoutMs);
                // The stop report comes right before the worker turns idle.
                QTRY_VERIFY_WITH_TIMEOUT(workers[k]->state() == ColonyAnalyserThread::StateIdle, kRunTimeoutMs);
            }
            outcome.error = workers[k]->CheckRunning(outcome.running);
            outcome.lastState = hosts[k]->stateTexts().value(hosts[k]->stateTexts().size() - 1);
            outcome.crossSize = workers[k]->crossSize();
            outcome.points = hosts[k]->refPointList();
            outcome.containers = hosts[k]->containerList();
            outcome.colonies = hosts[k]->colonyList();
            outcome.scene.image = Halcon::Hobject();
            m_outcomes[sceneKey(table[first + k].first, table[first + k].second)] = std::move(outcome);
        }
    }
    qInfo("%d scenes generated and analysed in %lld ms", int(table.size()), timer.elapsed());
}

void tst_ColonyAnalysisEndToEnd::analyse_data()
{
    QTest::addColumn<int>("labware");
    QTest::addColumn<unsigned>("seed");
    for (unsigned seed = 1; seed <= unsigned(kSeeds); ++seed) {
        QTest::addRow("96 wells, seed %u", seed) << int(PlateScenes::Labware::Wells96) << seed;
        QTest::addRow("Petri dish, seed %u", seed) << int(PlateScenes::Labware::PetriDish) << seed;
    }
}

void tst_ColonyAnalysisEndToEnd::analyse()
{
    QFETCH(int, labware);
    QFETCH(unsigned, seed);
    QVERIFY(m_outcomes.count(sceneKey(labware, seed)) == 1);
    const Outcome& outcome = m_outcomes.at(sceneKey(labware, seed));
    const PlateScenes::Scene& scene = outcome.scene;

    QCOMPARE(outcome.analyseResult, Errors::Type_Error(0));
    QVERIFY2(outcome.finished, "the run did not finish");
    QCOMPARE(outcome.error, Errors::Type_Error(0));
    QVERIFY(!outcome.running);
    QCOMPARE(outcome.lastState, QStringLiteral("Done!"));

    // Reference points: the four marks, found where they were drawn.
    const std::vector<ImageRefPoint>& points = outcome.points;
    QCOMPARE(int(points.size()), 4);
    for (const ImageRefPoint& point : points) {
        QVERIFY(point.Found);
        QVERIFY2(std::hypot(point.PosY_px - scene.markRows[size_t(point.Index)],
                            point.PosX_px - scene.markColumns[size_t(point.Index)])
                     < 0.5,
                 qPrintable(QStringLiteral("point %1 at (%2, %3)").arg(point.Index).arg(point.PosY_px).arg(point.PosX_px)));
    }
    QVERIFY(std::fabs(outcome.crossSize - scene.resolution) < 0.01 * scene.resolution);

    // Containers: each once, in index order, its outline centred on the drawn container.
    const std::vector<FakeColonyAnalyserHost::ContainerReport>& containers = outcome.containers;
    QCOMPARE(int(containers.size()), int(scene.containers.size()));
    for (size_t i = 0; i < containers.size(); ++i) {
        QCOMPARE(containers[i].index, int(i));
        QCOMPARE(containers[i].number, int(i) + 1);
        Halcon::HTuple area, row, column, pointOrder;
        QCOMPARE(Halcon::area_center_xld(containers[i].searchArea, &area, &row, &column, &pointOrder), Halcon::kSuccess);
        QVERIFY(std::hypot(row[0].D() - scene.containers[i].row, column[0].D() - scene.containers[i].column) < 1.0);
        QVERIFY(std::fabs(std::sqrt(area[0].D() / M_PI) - scene.containers[i].radius) < 1.0);
    }

    // Colonies against the truth.
    const std::vector<ImageColony>& colonies = outcome.colonies;
    const Match match = matchColonies(scene, colonies);
    for (const QString& missed : match.missed)
        qInfo("missed %s", qPrintable(missed));
    for (const QString& wrong : match.falses)
        qInfo("false %s", qPrintable(wrong));
    QVERIFY(match.isolated > 0);
    QVERIFY2(match.recalled >= int(0.95 * match.isolated),
             qPrintable(QStringLiteral("%1 of %2 isolated colonies").arg(match.recalled).arg(match.isolated)));

    // Pick order: per container the good colonies are numbered 1..n by falling score, the
    // others 0.
    std::map<int, std::vector<const ImageColony*>> good;
    for (const ImageColony& c : colonies) {
        if (c.IsGoodColony)
            good[c.ContainerNumber].push_back(&c);
        else
            QCOMPARE(c.PickingOrder, 0);
    }
    for (auto& [number, list] : good) {
        std::sort(list.begin(), list.end(),
                  [](const ImageColony* a, const ImageColony* b) { return a->PickingOrder < b->PickingOrder; });
        for (size_t i = 0; i < list.size(); ++i) {
            QCOMPARE(list[i]->PickingOrder, int(i) + 1);
            if (i > 0)
                QVERIFY(list[i]->LoadingTotal_pct <= list[i - 1]->LoadingTotal_pct);
        }
    }

    Tally& tally = scene.labware == PlateScenes::Labware::Wells96 ? m_wells : m_dishes;
    ++tally.scenes;
    tally.isolated += match.isolated;
    tally.recalled += match.recalled;
    tally.goodReports += match.goodReports;
    tally.falseReports += match.falseReports;
    tally.centreErrorSum += match.centreErrorSum;
    tally.centreErrors += match.recalled;
}

void tst_ColonyAnalysisEndToEnd::figuresOverAllScenes()
{
    for (const Tally* tally : {&m_wells, &m_dishes}) {
        if (tally->scenes == 0)
            QSKIP("no scene analysed (single data row run)");
        const double recall = double(tally->recalled) / std::max(1, tally->isolated);
        const double falseShare = double(tally->falseReports) / std::max(1, tally->goodReports);
        const double centreError = tally->centreErrorSum / std::max(1, tally->centreErrors);
        qInfo("%s: %d scenes, recall %.4f (%d of %d isolated), false reports %.4f (%d of %d), mean centre error %.3f px",
              tally == &m_wells ? "96 wells" : "Petri dish", tally->scenes, recall, tally->recalled, tally->isolated,
              falseShare, tally->falseReports, tally->goodReports, centreError);
        QVERIFY(recall >= 0.98);
        QVERIFY(falseShare <= 0.01);
        QVERIFY(centreError < 0.5);
    }
}

QTEST_MAIN(tst_ColonyAnalysisEndToEnd)
#include "tst_ColonyAnalysisEndToEnd.moc"
