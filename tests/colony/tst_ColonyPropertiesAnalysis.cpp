#include "ColonyEngineFakes.h"

#include "ColonyMarginAnalysis.h"
#include "ColonyNeighborSearch.h"
#include "ColonyPropertiesAnalysis.h"
#include "ColonySettingsData.h"
#include "ReferencePointSearch.h"
#include "ReferencePointSearchCoordinates.h"

#include <Halcon.h>

#include <QtTest>

#include <cmath>
#include <limits>

using namespace ColonyEngineFakes;

namespace {

constexpr int kWidth = 600;
constexpr int kHeight = 400;
constexpr double kPi = 3.14159265358979323846;
constexpr double kNoNeighbor = std::numeric_limits<double>::max();

bool finiteColony(const ImageColony& c)
{
    const double values[] = {c.PosX_px, c.PosY_px, c.Area_px, c.Radius_px, c.PosXCorrected_px, c.PosYCorrected_px,
                             c.PosX_mm, c.PosY_mm, c.Area_mm2, c.Circularity, c.ClearanceNeighbor_mm,
                             c.ClearanceMargin_mm, c.LoadingArea_pct, c.LoadingCircularity_pct,
                             c.LoadingClearanceNeighbor_pct, c.LoadingClearanceMargin_pct, c.LoadingTotal_pct,
                             c.ColorHue, c.ColorSaturation, c.ColorIntensity, c.ColorArea_pct};
    for (double v : values) {
        if (!std::isfinite(v))
            return false;
    }
    return true;
}

} // namespace

class tst_ColonyPropertiesAnalysis : public QObject {
    Q_OBJECT
private slots:
    void init();

    void normalizeToRange_data();
    void normalizeToRange();
    void weightFactor_data();
    void weightFactor();
    void weights_data();
    void weights();
    void pickingOrder_data();
    void pickingOrder();

    void neighbors();
    void neighborsMatchAllPairs();
    void neighborTiesKeepTheEarlierColony_data();
    void neighborTiesKeepTheEarlierColony();
    void unmeasurableNeighborIsNone();

    void coloniesOfPicture_data();
    void coloniesOfPicture();
    void goodColonyTest_data();
    void goodColonyTest();
    void fastCalculationSkipsMeasures();
    void drawsAndHandsOver();
    void allRejected();
    void forceGood();

    void unusableInputIsAnError_data();
    void unusableInputIsAnError();
    void cancelled_data();
    void cancelled();
    void referencePointSearchBeforeItsRun();

private:
    void setUp(const ColonySettingsData& data);
    Errors::Type_Error analyseCircles(const std::vector<Disc>& circles, bool forceGood = false, bool fast = false);

    ColonySettingsData m_data;
    FakeHalconView m_view{600.0};
    FakeColonies m_colonies;
    FakeCancellation m_cancellation;
    FakeProgress m_progress;
    FakePlate m_plate;
    FakePlateCoordinates m_coordinates;
    ColonyMarginAnalysis m_margins;
    ColonyPropertiesAnalysis m_analysis;
};

void tst_ColonyPropertiesAnalysis::init()
{
    m_data = ColonySettingsData();
    m_view = FakeHalconView(600.0);
    m_colonies = FakeColonies();
    m_cancellation = FakeCancellation();
    m_progress = FakeProgress();
    m_plate = FakePlate();
    m_coordinates = FakePlateCoordinates();
    m_margins.init(&m_view, &m_plate, static_cast<IPlateCoordinates*>(&m_coordinates), &m_cancellation, &m_progress);
    m_analysis.init(&m_view, &m_colonies, &m_cancellation, static_cast<IPlateCoordinates*>(&m_coordinates),
                    &m_margins, &m_progress);
    setUp(m_data);
}

void tst_ColonyPropertiesAnalysis::setUp(const ColonySettingsData& data)
{
    m_data = data;
    m_analysis.setSettings(&m_data);
    m_analysis.setInputObjects(discPicture(kWidth, kHeight, 200, {}), Halcon::Hobject());
}

// Circles as contours straight into the analysis; grey is unused (the prepared picture is plain).
Errors::Type_Error tst_ColonyPropertiesAnalysis::analyseCircles(const std::vector<Disc>& circles, bool forceGood,
                                                                bool fast)
{
    std::vector<Halcon::Hobject> contours;
    for (const Disc& c : circles)
        contours.push_back(circleContour(c.row, c.column, c.radius));
    return m_analysis.analyse(concat(contours), m_plate.outline(), 0.0, forceGood, 7, fast);
}

void tst_ColonyPropertiesAnalysis::normalizeToRange_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<double>("expected");

    QTest::newRow("at maximum") << 5.0 << 1.0 << 5.0 << 1.0;
    QTest::newRow("below minimum") << 0.5 << 1.0 << 5.0 << 0.0;
    QTest::newRow("half way") << 3.0 << 1.0 << 5.0 << 0.5;
    QTest::newRow("empty range") << 3.0 << 5.0 << 5.0 << 0.0;
    QTest::newRow("inverted range") << 3.0 << 5.0 << 1.0 << 0.0;
    QTest::newRow("above maximum") << 9.0 << 1.0 << 5.0 << 1.0;
    QTest::newRow("at minimum") << 1.0 << 1.0 << 5.0 << 0.0;
}

void tst_ColonyPropertiesAnalysis::normalizeToRange()
{
    QFETCH(double, value);
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    QFETCH(double, expected);
    QCOMPARE(NormalizeToRange(value, minimum, maximum), expected);
}

void tst_ColonyPropertiesAnalysis::weightFactor_data()
{
    QTest::addColumn<int>("colorModel");
    QTest::addColumn<double>("propertyWeight"); // each of the four, -1 keeps the defaults
    QTest::addColumn<double>("colorWeight"); // each of the three
    QTest::addColumn<double>("expected");

    QTest::newRow("defaults") << 0 << -1.0 << 0.0 << 100.0;
    QTest::newRow("rgb model, colour weights count") << 1 << -1.0 << 0.1 << 100.0 / 1.3;
    QTest::newRow("hsi model, colour weights do not count") << 2 << -1.0 << 0.1 << 100.0;
    QTest::newRow("only colour weights, rgb model") << 1 << 0.0 << 0.5 << 100.0 / 1.5;
    QTest::newRow("all weights 0") << 0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("only colour weights, no colour model") << 0 << 0.0 << 0.5 << 0.0;
    QTest::newRow("negative sum") << 0 << -0.25 << 0.0 << 0.0;
}

void tst_ColonyPropertiesAnalysis::weightFactor()
{
    QFETCH(int, colorModel);
    QFETCH(double, propertyWeight);
    QFETCH(double, colorWeight);
    QFETCH(double, expected);

    ColonySettingsData data;
    data.ColorModel = colorModel;
    if (propertyWeight != -1.0) {
        data.Colony.AreaWeight = data.Colony.CircularityWeight = propertyWeight;
        data.Colony.NeighborDistanceWeight = data.Colony.MarginDistanceWeight = propertyWeight;
    }
    data.Colony.ThresholdColorRedWeight = data.Colony.ThresholdColorGreenWeight = colorWeight;
    data.Colony.ThresholdColorBlueWeight = colorWeight;
    setUp(data);
    const Halcon::Hobject plain = discPicture(kWidth, kHeight, 50, {});
    Halcon::Hobject everything;
    Halcon::gen_rectangle1(&everything, 0, 0, kHeight - 1, kWidth - 1);
    m_analysis.setThresholdRegions(plain, plain, plain);
    m_analysis.setThresholdImages(plain, plain, plain, plain, plain, plain, everything, everything, everything);
    QVERIFY(qFuzzyCompare(m_analysis.weightFactor() + 1.0, expected + 1.0));

    // A factor that cannot be used stops the run before anything is divided by it.
    const Errors::Type_Error result = analyseCircles({{200.0, 300.0, 10.0, 0}});
    QCOMPARE(result, Errors::Type_Error(expected > 0.0 ? 0 : 152));
    if (expected <= 0.0) {
        QVERIFY(m_colonies.items.empty());
        QVERIFY(m_view.added.empty());
    }
}

void tst_ColonyPropertiesAnalysis::weights_data()
{
    QTest::addColumn<bool>("rgbModel");
    QTest::addColumn<double>("area");
    QTest::addColumn<double>("circularity");
    QTest::addColumn<double>("neighbor");
    QTest::addColumn<double>("margin");
    QTest::addColumn<double>("colorScore"); // red, green and blue alike
    QTest::addColumn<double>("colorWeight");
    QTest::addColumn<QList<double>>("expected"); // area, circularity, neighbour, margin, red, total

    // Default ranges: area 1..5, circularity 0.7..0.9, neighbour 0.3..4, margin 0.5..3;
    // weights 0.3, 0.2, 0.4, 0.1.
    QTest::newRow("all at their normalising maximum") << false << 5.0 << 0.9 << 4.0 << 3.0 << 0.0 << 0.0
                                                      << QList<double>{30, 20, 40, 10, 0, 100};
    QTest::newRow("all beyond it") << false << 7.0 << 1.0 << 9.0 << 8.0 << 0.0 << 0.0
                                   << QList<double>{30, 20, 40, 10, 0, 100};
    QTest::newRow("all at the minimum") << false << 1.0 << 0.7 << 0.3 << 0.5 << 0.0 << 0.0
                                        << QList<double>{0, 0, 0, 0, 0, 0};
    QTest::newRow("half way") << false << 3.0 << 0.8 << 2.15 << 1.75 << 0.0 << 0.0
                              << QList<double>{15, 10, 20, 5, 0, 50};
    QTest::newRow("rgb, colour scores 1") << true << 5.0 << 0.9 << 4.0 << 3.0 << 1.0 << 0.1
                                          << QList<double>{30 / 1.3, 20 / 1.3, 40 / 1.3, 10 / 1.3, 10 / 1.3, 100};
    QTest::newRow("rgb, colour scores 0.5") << true << 1.0 << 0.7 << 0.3 << 0.5 << 0.5 << 0.1
                                            << QList<double>{0, 0, 0, 0, 5 / 1.3, 15 / 1.3};
    QTest::newRow("colour scores ignored without the rgb model") << false << 1.0 << 0.7 << 0.3 << 0.5 << 1.0 << 0.1
                                                                  << QList<double>{0, 0, 0, 0, 0, 0};
}

void tst_ColonyPropertiesAnalysis::weights()
{
    QFETCH(bool, rgbModel);
    QFETCH(double, area);
    QFETCH(double, circularity);
    QFETCH(double, neighbor);
    QFETCH(double, margin);
    QFETCH(double, colorScore);
    QFETCH(double, colorWeight);
    QFETCH(QList<double>, expected);

    ColonySettingsData data;
    data.ColorModel = rgbModel ? 1 : 0;
    data.Colony.ThresholdColorRedWeight = data.Colony.ThresholdColorGreenWeight = colorWeight;
    data.Colony.ThresholdColorBlueWeight = colorWeight;
    setUp(data);

    ImageColony colony;
    colony.Area_mm2 = area;
    colony.Circularity = circularity;
    colony.ClearanceNeighbor_mm = neighbor;
    colony.ClearanceMargin_mm = margin;
    ColonyPropertiesAnalysis::applyWeights(colony, data.Colony, m_analysis.weightFactor(), rgbModel, colorScore,
                                           colorScore, colorScore);
    const auto same = [](double a, double b) { return std::abs(a - b) < 1e-9; };
    QVERIFY2(same(colony.LoadingArea_pct, expected[0]), qPrintable(QString::number(colony.LoadingArea_pct)));
    QVERIFY2(same(colony.LoadingCircularity_pct, expected[1]),
             qPrintable(QString::number(colony.LoadingCircularity_pct)));
    QVERIFY2(same(colony.LoadingClearanceNeighbor_pct, expected[2]),
             qPrintable(QString::number(colony.LoadingClearanceNeighbor_pct)));
    QVERIFY2(same(colony.LoadingClearanceMargin_pct, expected[3]),
             qPrintable(QString::number(colony.LoadingClearanceMargin_pct)));
    QVERIFY2(same(colony.LoadingColorRed_pct, expected[4]), qPrintable(QString::number(colony.LoadingColorRed_pct)));
    QCOMPARE(colony.LoadingColorGreen_pct, colony.LoadingColorRed_pct);
    QCOMPARE(colony.LoadingColorBlue_pct, colony.LoadingColorRed_pct);
    QVERIFY2(same(colony.LoadingTotal_pct, expected[5]), qPrintable(QString::number(colony.LoadingTotal_pct)));
}

void tst_ColonyPropertiesAnalysis::pickingOrder_data()
{
    QTest::addColumn<QList<double>>("totals");
    QTest::addColumn<QList<bool>>("good");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("descending score") << QList<double>{10, 80, 40} << QList<bool>{true, true, true}
                                      << QList<int>{3, 1, 2};
    QTest::newRow("rejected get 0 and no number") << QList<double>{0, 80, 0, 40} << QList<bool>{false, true, false, true}
                                                  << QList<int>{0, 1, 0, 2};
    QTest::newRow("ties in colony index order") << QList<double>{50, 50, 90, 50, 50}
                                                << QList<bool>{true, true, true, true, true}
                                                << QList<int>{2, 3, 1, 4, 5};
    QTest::newRow("all tied") << QList<double>{100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100,
                                               100, 100, 100, 100, 100, 100}
                              << QList<bool>(20, true)
                              << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
    QTest::newRow("none good") << QList<double>{0, 0} << QList<bool>{false, false} << QList<int>{0, 0};
    QTest::newRow("empty") << QList<double>{} << QList<bool>{} << QList<int>{};
}

void tst_ColonyPropertiesAnalysis::pickingOrder()
{
    QFETCH(QList<double>, totals);
    QFETCH(QList<bool>, good);
    QFETCH(QList<int>, expected);

    std::vector<ImageColony> colonies(size_t(totals.size()));
    for (int i = 0; i < totals.size(); ++i) {
        colonies[size_t(i)].ColonyIndex = i;
        colonies[size_t(i)].LoadingTotal_pct = totals[i];
        colonies[size_t(i)].IsGoodColony = good[i];
        colonies[size_t(i)].PickingOrder = 99;
    }
    m_analysis.assignPickingOrder(colonies);
    QList<int> order;
    for (const ImageColony& c : colonies)
        order << c.PickingOrder;
    QCOMPARE(order, expected);
    // The list itself keeps its order.
    for (int i = 0; i < totals.size(); ++i)
        QCOMPARE(colonies[size_t(i)].ColonyIndex, i);
}

void tst_ColonyPropertiesAnalysis::neighbors()
{
    // Handed in from right to left; the list comes out by ascending column.
    QCOMPARE(analyseCircles({{200.0, 420.0, 10.0, 0}, {200.0, 250.0, 10.0, 0}, {200.0, 100.0, 10.0, 0},
                             {230.0, 100.0, 10.0, 0}}),
             Errors::Type_Error(0));
    const std::vector<ImageColony>& colonies = m_analysis.colonies();
    QCOMPARE(int(colonies.size()), 4);
    for (size_t i = 0; i < colonies.size(); ++i) {
        QCOMPARE(colonies[i].ColonyIndex, int(i));
        if (i > 0)
            QVERIFY(colonies[i - 1].PosX_px <= colonies[i].PosX_px);
    }
    // Columns 100, 100, 250, 420: the two at column 100 keep the order they came in.
    QVERIFY(std::abs(colonies[0].PosY_px - 200.0) < 0.1);
    QVERIFY(std::abs(colonies[1].PosY_px - 230.0) < 0.1);
    QCOMPARE(colonies[0].NeighborIndex, 1);
    QCOMPARE(colonies[1].NeighborIndex, 0);
    QVERIFY(std::abs(colonies[0].NeighborDistance_px - 10.0) < 0.1);
    // The window is 100 px (2 x 4 mm at 10 px/mm plus two radii): of the colonies a window or
    // more to the left only the last one is still compared, so the third colony's neighbour is
    // the second (133 px) although the first lies 130 px away. Both are far beyond the
    // normalising distance, so the score is the same.
    QCOMPARE(colonies[2].NeighborIndex, 1);
    QVERIFY(std::abs(colonies[2].NeighborDistance_px - (std::hypot(30.0, 150.0) - 20.0)) < 0.1);
    QCOMPARE(colonies[3].NeighborIndex, 2);
    QVERIFY(std::abs(colonies[3].ClearanceNeighbor_mm - 15.0) < 0.01);
    QVERIFY(std::abs(colonies[0].ClearanceNeighbor_mm - 1.0) < 0.01);

    // A single colony has no neighbour and scores the full neighbour weight.
    QCOMPARE(analyseCircles({{200.0, 300.0, 10.0, 0}}), Errors::Type_Error(0));
    const ImageColony& single = m_analysis.colonies().at(0);
    QCOMPARE(single.NeighborIndex, -1);
    QCOMPARE(single.NeighborDistance_px, kNoNeighbor);
    QCOMPARE(single.ClearanceNeighbor_mm, m_data.Colony.NeighborDistanceMaxNorm);
    QVERIFY(single.IsGoodColony);
    QCOMPARE(single.LoadingClearanceNeighbor_pct, m_data.Colony.NeighborDistanceWeight * 100.0);
}

void tst_ColonyPropertiesAnalysis::neighborsMatchAllPairs()
{
    // A row of colonies at irregular spacing: the column window must find every neighbour
    // closer than twice the normalising distance, as testing all pairs does.
    std::vector<Disc> circles;
    unsigned seed = 12345;
    const auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return double((seed >> 8) % 10000) / 10000.0;
    };
    for (int i = 0; i < 40; ++i)
        circles.push_back({40.0 + 320.0 * next(), 40.0 + 520.0 * next(), 2.0 + 3.0 * next(), 0});
    m_data.Colony.NeighborDistanceMaxNorm = 2.0; // window 40 px plus two radii at 10 px/mm
    QCOMPARE(analyseCircles(circles), Errors::Type_Error(0));

    const std::vector<ImageColony>& colonies = m_analysis.colonies();
    QVERIFY(colonies.size() >= 30);
    for (const ImageColony& c : colonies) {
        double best = kNoNeighbor;
        for (const ImageColony& other : colonies) {
            if (&other == &c)
                continue;
            Halcon::HTuple d;
            QCOMPARE(Halcon::distance_cc_min(c.Contour, other.Contour, "point_to_segment", &d), Halcon::kSuccess);
            best = std::min(best, d.D());
        }
        if (best < 40.0)
            QVERIFY2(std::abs(c.NeighborDistance_px - best) < 1e-9,
                     qPrintable(QStringLiteral("colony %1: %2 instead of %3")
                                    .arg(c.ColonyIndex)
                                    .arg(c.NeighborDistance_px)
                                    .arg(best)));
        QVERIFY(c.NeighborDistance_px >= best - 1e-9);
    }
}

void tst_ColonyPropertiesAnalysis::neighborTiesKeepTheEarlierColony_data()
{
    // Rectangles of integer corners: their gaps are exact, so neighbours tie exactly.
    // Each: rows and columns of the corners, and the expected neighbour per colony.
    QTest::addColumn<std::vector<std::vector<double>>>("boxes");
    QTest::addColumn<std::vector<int>>("neighbors");
    QTest::addColumn<int>("threads");
    const std::vector<std::vector<double>> row = {
        {95, 105, 95, 105}, {95, 105, 125, 135}, {95, 105, 155, 165}, {95, 105, 185, 195}};
    // The middle ones have an earlier and a later neighbour 20 apart: the earlier one counts.
    QTest::newRow("in a row") << row << std::vector<int>{1, 0, 1, 2} << 1;
    // Enough of them for the colonies to be shared out among the threads.
    std::vector<std::vector<double>> longRow;
    std::vector<int> longNeighbors;
    for (int k = 0; k < 40; ++k) {
        longRow.push_back({95, 105, 95.0 + 30 * k, 105.0 + 30 * k});
        longNeighbors.push_back(k == 0 ? 1 : k - 1);
    }
    QTest::newRow("forty in a row, on threads") << longRow << longNeighbors << 3;
    // A tall one with two later ones 20 to its right, one above the other (the same column).
    const std::vector<std::vector<double>> pair = {
        {60, 140, 95, 105}, {60, 70, 125, 135}, {130, 140, 125, 135}, {300, 310, 400, 410}};
    QTest::newRow("two later ones") << pair << std::vector<int>{1, 0, 0, 2} << 1;
}

void tst_ColonyPropertiesAnalysis::neighborTiesKeepTheEarlierColony()
{
    QFETCH(std::vector<std::vector<double>>, boxes);
    QFETCH(std::vector<int>, neighbors);
    QFETCH(int, threads);
    std::vector<ImageColony> colonies(boxes.size());
    for (size_t i = 0; i < boxes.size(); ++i) {
        const std::vector<double>& b = boxes[i];
        Halcon::gen_contour_polygon_xld(&colonies[i].Contour,
                                        Halcon::HTuple(std::vector<double>{b[0], b[0], b[1], b[1], b[0]}),
                                        Halcon::HTuple(std::vector<double>{b[2], b[3], b[3], b[2], b[2]}));
        colonies[i].ColonyIndex = int(i);
        colonies[i].PosX_px = (b[2] + b[3]) / 2.0;
    }
    Halcon::HTuple parallel, threadNum;
    Halcon::get_system("parallelize_operators", &parallel);
    Halcon::get_system("thread_num", &threadNum);
    Halcon::set_system("parallelize_operators", threads > 1 ? "true" : "false");
    Halcon::set_system("thread_num", threads);
    const Errors::Type_Error result = ColonyNeighborSearch::measure(colonies, 1000.0, nullptr);
    Halcon::set_system("parallelize_operators", parallel);
    Halcon::set_system("thread_num", threadNum);
    QCOMPARE(result, Errors::Type_Error(0));
    for (size_t i = 0; i < colonies.size(); ++i)
        QCOMPARE(colonies[i].NeighborIndex, neighbors[i]);
    QCOMPARE(colonies[1].NeighborDistance_px, 20.0);
}

void tst_ColonyPropertiesAnalysis::unmeasurableNeighborIsNone()
{
    // A colony without contour points cannot be measured: it is nobody's neighbour, and no
    // made-up distance is left behind.
    std::vector<ImageColony> colonies(3);
    colonies[0].Contour = circleContour(100.0, 100.0, 5.0);
    colonies[1].Contour = Halcon::Hobject();
    colonies[2].Contour = circleContour(100.0, 130.0, 5.0);
    for (int i = 0; i < 3; ++i) {
        colonies[size_t(i)].ColonyIndex = i;
        colonies[size_t(i)].PosX_px = 100.0 + 15.0 * i;
    }
    QCOMPARE(ColonyNeighborSearch::measure(colonies, 1000.0, nullptr), Errors::Type_Error(0));
    QCOMPARE(colonies[1].NeighborIndex, -1);
    QCOMPARE(colonies[1].NeighborDistance_px, kNoNeighbor);
    QCOMPARE(colonies[0].NeighborIndex, 2);
    QCOMPARE(colonies[2].NeighborIndex, 0);
    QVERIFY(std::abs(colonies[0].NeighborDistance_px - 20.0) < 0.01);
}

void tst_ColonyPropertiesAnalysis::coloniesOfPicture_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("standard") << 0;
    QTest::newRow("dynamic") << 1;
}

void tst_ColonyPropertiesAnalysis::coloniesOfPicture()
{
    QFETCH(int, mode);
    // Discs of 1.5 to 3.8 mm² at 10 px/mm, one across the container's left side.
    const std::vector<Disc> discs = {{120.4, 400.7, 11.0, 100},
                                     {250.25, 150.5, 8.0, 100},
                                     {300.6, 480.3, 9.5, 100},
                                     {200.0, 21.0, 10.0, 100}};
    ColonySettingsData data;
    data.Colony.AnalysisMode = mode;
    data.Colony.GrayCenter = 0.5;
    data.Colony.Offset = 51.0;
    setUp(data);
    const Halcon::Hobject picture = discPicture(kWidth, kHeight, 200, discs);
    m_analysis.setInputObjects(picture, picture);
    m_coordinates.scale = 1.01;

    QCOMPARE(m_margins.run(picture, &m_data, false, 0, m_plate.outline()), Errors::Type_Error(0));
    QCOMPARE(m_analysis.run(false, 3, false), Errors::Type_Error(0));

    const std::vector<ImageColony>& colonies = m_analysis.colonies();
    QCOMPARE(int(colonies.size()), 3);
    const int expectedOrder[3] = {1, 0, 2}; // by ascending column
    for (int i = 0; i < 3; ++i) {
        const Disc& disc = discs[size_t(expectedOrder[i])];
        const ImageColony& c = colonies[size_t(i)];
        QCOMPARE(c.ColonyIndex, i);
        QCOMPARE(c.ContainerNumber, 3);
        QVERIFY2(std::hypot(c.PosY_px - disc.row, c.PosX_px - disc.column) <= 0.5,
                 qPrintable(QStringLiteral("(%1, %2)").arg(c.PosY_px).arg(c.PosX_px)));
        const double area = kPi * disc.radius * disc.radius;
        QVERIFY2(std::abs(c.Area_px - area) <= 0.03 * area, qPrintable(QString::number(c.Area_px)));
        QVERIFY(std::abs(c.Radius_px - std::sqrt(c.Area_px / kPi)) < 1e-9);
        QVERIFY(std::abs(c.Area_mm2 - c.Area_px / 100.0) < 1e-9);
        QVERIFY2(c.Circularity > 0.9, qPrintable(QString::number(c.Circularity)));
        QVERIFY(c.CenterInside);
        QVERIFY(!c.SelfIntersecting);
        QVERIFY(c.PropertiesPassed);
        QVERIFY(c.ColorPassed);
        QVERIFY(c.IsGoodColony);
        QVERIFY(c.PickingOrder >= 1 && c.PickingOrder <= 3);
        QVERIFY(c.LoadingTotal_pct > 0.0 && c.LoadingTotal_pct <= 100.0);
        QVERIFY(!c.OutlineContour.IsEmpty());
        QVERIFY(finiteColony(c));
        // Height correction about (200, 300) by 1.01, then millimetres at 10 px/mm.
        QVERIFY(std::abs(c.PosXCorrected_px - (300.0 + (c.PosX_px - 300.0) * 1.01)) < 1e-9);
        QVERIFY(std::abs(c.PosX_mm - c.PosXCorrected_px / 10.0) < 1e-9);
        QVERIFY(std::abs(c.PosY_mm - c.PosYCorrected_px / 10.0) < 1e-9);
        // Distance to the container outline (row 20 .. 380, column 20 .. 580), in mm.
        const double margin = std::min({disc.row - 20.0, 380.0 - disc.row, disc.column - 20.0, 580.0 - disc.column})
            - disc.radius;
        QVERIFY2(std::abs(c.ClearanceMargin_mm - margin / 10.0) < 0.06,
                 qPrintable(QString::number(c.ClearanceMargin_mm)));
    }
    QCOMPARE(int(m_colonies.items.size()), 3);
}

void tst_ColonyPropertiesAnalysis::goodColonyTest_data()
{
    QTest::addColumn<QString>("limit");
    QTest::addColumn<double>("shift"); // added to the limit that equals the colony's measure
    QTest::addColumn<bool>("propertiesPassed");

    QTest::newRow("area at AreaMin") << "AreaMin" << 0.0 << true;
    QTest::newRow("area below AreaMin") << "AreaMin" << 1e-6 << false;
    QTest::newRow("area at AreaMax") << "AreaMax" << 0.0 << true;
    QTest::newRow("area above AreaMax") << "AreaMax" << -1e-6 << false;
    QTest::newRow("circularity at CircularityMin") << "CircularityMin" << 0.0 << true;
    QTest::newRow("circularity below CircularityMin") << "CircularityMin" << 1e-6 << false;
    QTest::newRow("neighbour at NeighborDistanceMin") << "NeighborDistanceMin" << 0.0 << true;
    QTest::newRow("neighbour below NeighborDistanceMin") << "NeighborDistanceMin" << 1e-6 << false;
    QTest::newRow("margin at MarginDistanceMin") << "MarginDistanceMin" << 0.0 << true;
    QTest::newRow("margin below MarginDistanceMin") << "MarginDistanceMin" << 1e-6 << false;
}

void tst_ColonyPropertiesAnalysis::goodColonyTest()
{
    QFETCH(QString, limit);
    QFETCH(double, shift);
    QFETCH(bool, propertiesPassed);

    // Measure once, then put the limit exactly on the measured value.
    const std::vector<Disc> circles = {{200.0, 300.0, 10.0, 0}, {200.0, 340.0, 10.0, 0}};
    QCOMPARE(analyseCircles(circles), Errors::Type_Error(0));
    const ImageColony measured = m_analysis.colonies().at(0);
    ColonySettingsData data;
    if (limit == QLatin1String("AreaMin"))
        data.Colony.AreaMin = measured.Area_mm2 + shift;
    else if (limit == QLatin1String("AreaMax"))
        data.Colony.AreaMax = measured.Area_mm2 + shift;
    else if (limit == QLatin1String("CircularityMin"))
        data.Colony.CircularityMin = measured.Circularity + shift;
    else if (limit == QLatin1String("NeighborDistanceMin"))
        data.Colony.NeighborDistanceMin = measured.ClearanceNeighbor_mm + shift;
    else
        data.Colony.MarginDistanceMin = measured.ClearanceMargin_mm + shift;
    setUp(data);

    QCOMPARE(analyseCircles(circles), Errors::Type_Error(0));
    const ImageColony& c = m_analysis.colonies().at(0);
    QCOMPARE(c.PropertiesPassed, propertiesPassed);
    QCOMPARE(c.IsGoodColony, propertiesPassed);
    QCOMPARE(c.PickingOrder == 0, !propertiesPassed);
    if (!propertiesPassed) {
        QCOMPARE(c.LoadingTotal_pct, 0.0);
        QCOMPARE(c.LoadingArea_pct, 0.0);
    }
}

void tst_ColonyPropertiesAnalysis::fastCalculationSkipsMeasures()
{
    // Too small: the area fails, so circularity and the distances are not measured.
    ColonySettingsData data;
    data.Colony.AreaMin = 4.0;
    setUp(data);
    QCOMPARE(analyseCircles({{200.0, 300.0, 10.0, 0}, {200.0, 340.0, 10.0, 0}}, false, true), Errors::Type_Error(0));
    const ImageColony& fast = m_analysis.colonies().at(0);
    QVERIFY(!fast.IsGoodColony);
    QCOMPARE(fast.ClearanceNeighbor_mm, 0.0);
    QCOMPARE(fast.ClearanceMargin_mm, 0.0);

    QCOMPARE(analyseCircles({{200.0, 300.0, 10.0, 0}, {200.0, 340.0, 10.0, 0}}, false, false), Errors::Type_Error(0));
    const ImageColony& full = m_analysis.colonies().at(0);
    QVERIFY(!full.IsGoodColony);
    QVERIFY(full.Circularity > 0.9);
    QVERIFY(full.ClearanceNeighbor_mm > 1.9);
    QVERIFY(full.ClearanceMargin_mm > 10.0);
}

void tst_ColonyPropertiesAnalysis::drawsAndHandsOver()
{
    // One good colony and one too large for AreaMax.
    QCOMPARE(analyseCircles({{200.0, 450.0, 10.0, 0}, {200.0, 150.0, 14.0, 0}}), Errors::Type_Error(0));
    const std::vector<ImageColony>& colonies = m_analysis.colonies();
    QCOMPARE(int(colonies.size()), 2);
    QVERIFY(!colonies[0].IsGoodColony);
    QVERIFY(colonies[1].IsGoodColony);
    QCOMPARE(colonies[0].Label, QStringLiteral("HalconObject_Colonies.Rejected.7.0."));
    QCOMPARE(colonies[1].Label, QStringLiteral("HalconObject_Colonies.Included.7.1."));

    struct Expected {
        const char* name;
        const char* color;
        int width;
        bool selectable;
    };
    const Expected expected[] = {
        {"HalconObject_OpticalCenter", "red", 1, false},
        {"HalconObject_Colonies.Rejected.7.0.", "red", 1, true},
        {"HalconObject_Colonies.Included.7.1.Center.Agar", "light blue", 1, true},
        {"HalconObject_Colonies.Included.7.1.Center.LightTable", "blue", 1, true},
        {"HalconObject_Colonies.Included.7.1.", "green", 2, true},
    };
    QCOMPARE(int(m_view.added.size()), 5);
    for (int i = 0; i < 5; ++i) {
        const FakeHalconView::Added& a = m_view.added[size_t(i)];
        QCOMPARE(a.name, QString::fromLatin1(expected[i].name));
        QCOMPARE(a.color, QString::fromLatin1(expected[i].color));
        QCOMPARE(a.mode, QStringLiteral("margin"));
        QCOMPARE(a.width, expected[i].width);
        QCOMPARE(a.selectable, expected[i].selectable);
    }
    QVERIFY(m_view.added[1].object.SharesElementsWith(colonies[0].Contour));
    QCOMPARE(m_view.updates, 1);

    QCOMPARE(int(m_colonies.items.size()), 2);
    QCOMPARE(m_colonies.items[0].Label, colonies[0].Label);
    QCOMPARE(m_colonies.items[1].PickingOrder, 1);
    QCOMPARE(m_colonies.items[0].PickingOrder, 0);

    QCOMPARE(m_progress.texts, (QStringList{"Colony propertis: 2 margins...", "Colony propertis: 2...",
                                            "Colony propertis: 2...", "Colony propertis: 2 neighbors...",
                                            "Colony properties...", "Colony properties: show..."}));
}

void tst_ColonyPropertiesAnalysis::allRejected()
{
    ColonySettingsData data;
    data.Colony.AreaMin = 4.5;
    setUp(data);
    QCOMPARE(analyseCircles({{100.0, 100.0, 8.0, 0}, {200.0, 300.0, 9.0, 0}, {300.0, 450.0, 10.0, 0}}),
             Errors::Type_Error(0));
    QCOMPARE(int(m_colonies.items.size()), 3);
    for (const ImageColony& c : m_colonies.items) {
        QVERIFY(!c.IsGoodColony);
        QCOMPARE(c.PickingOrder, 0);
        QCOMPARE(c.LoadingArea_pct + c.LoadingCircularity_pct + c.LoadingClearanceNeighbor_pct
                     + c.LoadingClearanceMargin_pct + c.LoadingTotal_pct,
                 0.0);
        QVERIFY(c.Label.startsWith(QLatin1String("HalconObject_Colonies.Rejected.7.")));
    }
}

void tst_ColonyPropertiesAnalysis::forceGood()
{
    ColonySettingsData data;
    data.Colony.AreaMin = 4.5;
    setUp(data);
    QCOMPARE(analyseCircles({{100.0, 100.0, 8.0, 0}, {200.0, 300.0, 9.0, 0}}, true), Errors::Type_Error(0));
    for (const ImageColony& c : m_colonies.items) {
        QVERIFY(c.IsGoodColony);
        QVERIFY(!c.PropertiesPassed);
        QVERIFY(c.PickingOrder > 0);
        QVERIFY(c.LoadingTotal_pct > 0.0);
    }
    // Five test crosses about the centre of the reference points (200, 300), 50 mm and 30 mm out.
    std::vector<const FakeHalconView::Added*> crosses;
    for (const FakeHalconView::Added& a : m_view.added) {
        if (a.name == QLatin1String("HalconObject_Colonies.Included."))
            crosses.push_back(&a);
    }
    QCOMPARE(int(crosses.size()), 5);
    const double expected[5][2] = {{-300.0, -200.0}, {-300.0, 800.0}, {300.0, -200.0}, {300.0, 800.0}, {0.0, 300.0}};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(crosses[size_t(i)]->color, QStringLiteral("green"));
        QVERIFY(!crosses[size_t(i)]->selectable);
        Halcon::Hobject first;
        Halcon::select_obj(crosses[size_t(i)]->object, &first, 1);
        Halcon::HTuple row1, column1, row2, column2;
        Halcon::smallest_rectangle1_xld(first, &row1, &column1, &row2, &column2);
        const double row = (row1.D() + row2.D()) / 2.0;
        const double column = (column1.D() + column2.D()) / 2.0;
        const double expectedRow = i == 4 ? 200.0 : 200.0 + expected[i][0];
        QVERIFY2(std::abs(row - expectedRow) < 1e-6 && std::abs(column - expected[i][1]) < 1e-6,
                 qPrintable(QStringLiteral("cross %1 at (%2, %3)").arg(i).arg(row).arg(column)));
    }
}

void tst_ColonyPropertiesAnalysis::unusableInputIsAnError_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("expected");

    QTest::newRow("horizontal resolution 0") << "horizontal 0" << 163;
    QTest::newRow("vertical resolution 0") << "vertical 0" << 163;
    QTest::newRow("resolution not a number") << "nan" << 163;
    QTest::newRow("resolution infinite") << "inf" << 163;
    QTest::newRow("no prepared picture") << "no picture" << int(Halcon::kErrEmptyObject);
    QTest::newRow("rgb model without channel pictures") << "no rgb inputs" << int(Halcon::kErrEmptyObject);
    QTest::newRow("hsi model, unknown measure algorithm") << "algorithm" << 3;
}

void tst_ColonyPropertiesAnalysis::unusableInputIsAnError()
{
    QFETCH(QString, fault);
    QFETCH(int, expected);

    ColonySettingsData data;
    if (fault == QLatin1String("no rgb inputs"))
        data.ColorModel = 1;
    if (fault == QLatin1String("algorithm")) {
        data.ColorModel = 2;
        data.ColonyColor.MeasureAlgorithm = 5;
    }
    setUp(data);
    if (fault == QLatin1String("horizontal 0"))
        m_coordinates.horizontal = 0.0;
    else if (fault == QLatin1String("vertical 0"))
        m_coordinates.vertical = 0.0;
    else if (fault == QLatin1String("nan"))
        m_coordinates.vertical = std::numeric_limits<double>::quiet_NaN();
    else if (fault == QLatin1String("inf"))
        m_coordinates.horizontal = std::numeric_limits<double>::infinity();
    else if (fault == QLatin1String("no picture"))
        m_analysis.setInputObjects(Halcon::Hobject(), Halcon::Hobject());
    else if (fault == QLatin1String("algorithm")) {
        const Halcon::Hobject plain = discPicture(kWidth, kHeight, 50, {});
        Halcon::Hobject everything;
        Halcon::gen_rectangle1(&everything, 0, 0, kHeight - 1, kWidth - 1);
        m_analysis.setThresholdImages(plain, plain, plain, plain, plain, plain, everything, everything, everything);
    }

    QCOMPARE(int(analyseCircles({{200.0, 300.0, 10.0, 0}, {100.0, 100.0, 10.0, 0}})), expected);
    QVERIFY(m_colonies.items.empty());
    for (const FakeHalconView::Added& a : m_view.added)
        QVERIFY2(!a.name.startsWith(QLatin1String("HalconObject_Colonies.")), qPrintable(a.name));
    for (const ImageColony& c : m_analysis.colonies())
        QVERIFY(finiteColony(c));
    if (fault == QLatin1String("algorithm"))
        QCOMPARE(int(m_analysis.colonies().at(0).ErrorCode), 3);
}

void tst_ColonyPropertiesAnalysis::cancelled_data()
{
    QTest::addColumn<int>("cancelAfter");
    // Polls: before the pairs, after the first colony of the pairs, then per colony before and
    // inside its evaluation.
    QTest::newRow("before the neighbour pairs") << 1;
    QTest::newRow("inside the neighbour pairs") << 2;
    QTest::newRow("before the first colony") << 3;
    QTest::newRow("inside the first colony") << 4;
    QTest::newRow("before the second colony") << 5;
    QTest::newRow("inside the last colony") << 8;
}

void tst_ColonyPropertiesAnalysis::cancelled()
{
    QFETCH(int, cancelAfter);
    m_cancellation.cancelAfter = cancelAfter;
    QCOMPARE(analyseCircles({{100.0, 100.0, 8.0, 0}, {200.0, 300.0, 9.0, 0}, {300.0, 450.0, 10.0, 0}}),
             Errors::Type_Error(100));
    QCOMPARE(m_cancellation.polls.load(), cancelAfter);
    QVERIFY(m_colonies.items.empty());
    QVERIFY(m_view.added.empty());
}

void tst_ColonyPropertiesAnalysis::referencePointSearchBeforeItsRun()
{
    // The engines as the worker builds them, on a search that has not run: no resolution, so
    // both stop before they divide by it, and the transforms hand positions back unchanged.
    ReferencePointSearch search;
    search.init(nullptr, nullptr);
    ReferencePointSearchCoordinates coordinates(&search);
    QCOMPARE(coordinates.meanResolution(), 0.0);
    double row = 0.0;
    double column = 0.0;
    coordinates.transformHeightScale(12.5, 40.0, &row, &column);
    QCOMPARE(row, 12.5);
    QCOMPARE(column, 40.0);

    ColonyMarginAnalysis margins;
    margins.init(&m_view, &m_plate, &coordinates, &m_cancellation, &m_progress);
    ColonyPropertiesAnalysis analysis;
    analysis.init(&m_view, &m_colonies, &m_cancellation, &coordinates, &margins, &m_progress);
    analysis.setSettings(&m_data);
    const Halcon::Hobject picture = discPicture(kWidth, kHeight, 200, {{200.0, 300.0, 10.0, 100}});
    analysis.setInputObjects(picture, picture);
    QCOMPARE(margins.run(picture, &m_data, false, 0, m_plate.outline()), Errors::Type_Error(163));
    QCOMPARE(analysis.analyse(circleContour(200.0, 300.0, 10.0), m_plate.outline(), 0.0, false, 1, false),
             Errors::Type_Error(163));
    QVERIFY(m_colonies.items.empty());
}

QTEST_GUILESS_MAIN(tst_ColonyPropertiesAnalysis)
#include "tst_ColonyPropertiesAnalysis.moc"
