#include "ColonyEngineFakes.h"

#include "ColonyMarginAnalysis.h"
#include "ColonySettingsData.h"

#include <Halcon.h>

#include <QtTest>

#include <cmath>
#include <limits>

using namespace ColonyEngineFakes;

namespace {

constexpr int kWidth = 600;
constexpr int kHeight = 400;
constexpr double kPi = 3.14159265358979323846;

struct Measured {
    double area = 0.0;
    double row = 0.0;
    double column = 0.0;
    double circularity = 0.0;
};

// The closed contours of a margin result, measured, as the colony analysis selects them.
std::vector<Measured> closedContours(const Halcon::Hobject& contours, int pictureHeight)
{
    std::vector<Measured> result;
    Halcon::Hobject closed;
    if (Halcon::select_contours_xld(contours, &closed, "closed", 0, pictureHeight * 0.293 / 100.0, 0, 0)
        != Halcon::kSuccess)
        return result;
    Halcon::HTuple area, row, column, order, circularity;
    Halcon::area_center_xld(closed, &area, &row, &column, &order);
    Halcon::circularity_xld(closed, &circularity);
    for (Halcon::Hlong i = 0; i < area.Length(); ++i)
        result.push_back({area[i].D(), row[i].D(), column[i].D(), circularity[i].D()});
    return result;
}

const Measured* nearest(const std::vector<Measured>& found, double row, double column, double within)
{
    const Measured* best = nullptr;
    double bestDistance = within;
    for (const Measured& m : found) {
        const double d = std::hypot(m.row - row, m.column - column);
        if (d <= bestDistance) {
            bestDistance = d;
            best = &m;
        }
    }
    return best;
}

} // namespace

class tst_ColonyMarginAnalysis : public QObject {
    Q_OBJECT
private slots:
    void init();

    void findsDiscs_data();
    void findsDiscs();
    void discCrossingOutlineIsNotFound_data();
    void discCrossingOutlineIsNotFound();
    void touchingDiscsGiveNoClosedContour();
    void dynamicModeMatchesWholePicture_data();
    void dynamicModeMatchesWholePicture();

    void greyRangeAndLevel_data();
    void greyRangeAndLevel();
    void drawsAndReports_data();
    void drawsAndReports();
    void otherAnalysisModeFindsNothing();

    void failingStepIsAnError_data();
    void failingStepIsAnError();
    void failedRunClearsEarlierResult();
    void cancelled_data();
    void cancelled();

private:
    ColonySettingsData settings(int mode) const;
    Errors::Type_Error run(const Halcon::Hobject& picture, const ColonySettingsData& data, bool fixedRange = false);

    FakeHalconView m_view{600.0};
    FakePlate m_plate;
    FakePlateCoordinates m_coordinates;
    FakeCancellation m_cancellation;
    FakeProgress m_progress;
    ColonyMarginAnalysis m_analysis;
};

void tst_ColonyMarginAnalysis::init()
{
    m_view = FakeHalconView(600.0);
    m_plate = FakePlate();
    m_coordinates = FakePlateCoordinates();
    m_cancellation = FakeCancellation();
    m_progress = FakeProgress();
    m_analysis.init(&m_view, &m_plate, static_cast<IPlateCoordinates*>(&m_coordinates), &m_cancellation,
                    &m_progress);
}

ColonySettingsData tst_ColonyMarginAnalysis::settings(int mode) const
{
    ColonySettingsData data;
    data.Colony.AnalysisMode = mode;
    // Half way between background and disc, so the edge lies on the disc's true outline.
    data.Colony.GrayCenter = 0.5;
    // Edges 50 grey levels below the local mean: half the contrast of the test discs.
    data.Colony.Offset = 51.0;
    return data;
}

Errors::Type_Error tst_ColonyMarginAnalysis::run(const Halcon::Hobject& picture, const ColonySettingsData& data,
                                                 bool fixedRange)
{
    return m_analysis.run(picture, &data, fixedRange, 0, m_plate.outline());
}

void tst_ColonyMarginAnalysis::findsDiscs_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("whiteOnBlack");
    QTest::addColumn<double>("radius");

    QTest::newRow("standard, small") << 0 << false << 6.0;
    QTest::newRow("standard, medium") << 0 << false << 11.0;
    QTest::newRow("standard, large") << 0 << false << 19.5;
    QTest::newRow("standard, white on black") << 0 << true << 11.0;
    QTest::newRow("dynamic, medium") << 1 << false << 11.0;
    QTest::newRow("dynamic, large") << 1 << false << 17.0;
    QTest::newRow("dynamic, white on black") << 1 << true << 11.0;
}

void tst_ColonyMarginAnalysis::findsDiscs()
{
    QFETCH(int, mode);
    QFETCH(bool, whiteOnBlack);
    QFETCH(double, radius);

    const int background = whiteOnBlack ? 60 : 200;
    const int grey = whiteOnBlack ? 160 : 100;
    const std::vector<Disc> discs = {{100.3, 120.6, radius, grey},
                                     {210.75, 300.25, radius, grey},
                                     {300.5, 470.4, radius * 0.8, grey}};
    ColonySettingsData data = settings(mode);
    data.Colony.WhiteOnBlack = whiteOnBlack;

    QCOMPARE(run(discPicture(kWidth, kHeight, background, discs), data), Errors::Type_Error(0));
    const std::vector<Measured> found = closedContours(m_analysis.getContours(), kHeight);
    QCOMPARE(int(found.size()), int(discs.size()));
    for (const Disc& disc : discs) {
        const Measured* m = nearest(found, disc.row, disc.column, 0.5);
        QVERIFY2(m, qPrintable(QStringLiteral("no contour within 0.5 px of (%1, %2)").arg(disc.row).arg(disc.column)));
        const double expectedArea = kPi * disc.radius * disc.radius;
        QVERIFY2(std::abs(m->area - expectedArea) <= 0.03 * expectedArea,
                 qPrintable(QStringLiteral("area %1, expected %2").arg(m->area).arg(expectedArea)));
        QVERIFY2(m->circularity > 0.9, qPrintable(QString::number(m->circularity)));
    }
    QCOMPARE(m_analysis.getThresholdLevel(), mode == 0 ? (background + grey) / 2.0 : 0.0);
    QVERIFY(m_analysis.getSegmentCount() >= int(discs.size()));
    QCOMPARE(m_analysis.getContainerOutline().CountObj(), Halcon::Hlong(1));
}

void tst_ColonyMarginAnalysis::discCrossingOutlineIsNotFound_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("standard") << 0;
    QTest::newRow("dynamic") << 1;
}

void tst_ColonyMarginAnalysis::discCrossingOutlineIsNotFound()
{
    QFETCH(int, mode);
    // The container runs from row 20 to 380 and column 20 to 580.
    const std::vector<Disc> discs = {{200.0, 300.0, 12.0, 100}, // inside
                                     {200.0, 22.0, 12.0, 100}, // across the left side
                                     {378.0, 300.0, 12.0, 100}, // across the bottom
                                     {22.0, 578.0, 12.0, 100}}; // across a corner
    QCOMPARE(run(discPicture(kWidth, kHeight, 200, discs), settings(mode)), Errors::Type_Error(0));
    const std::vector<Measured> found = closedContours(m_analysis.getContours(), kHeight);
    QCOMPARE(int(found.size()), 1);
    QVERIFY(nearest(found, 200.0, 300.0, 0.5));
}

void tst_ColonyMarginAnalysis::touchingDiscsGiveNoClosedContour()
{
    // Two discs that touch make one waisted blob; its outline is split at the waist into arcs
    // that do not continue one another, so no closed contour (no colony) comes out of it, while
    // a lone disc beside them still does.
    const std::vector<Disc> discs = {{200.0, 200.0, 12.0, 100}, {200.0, 223.0, 12.0, 100}, {200.0, 450.0, 12.0, 100}};
    for (int mode : {0, 1}) {
        QCOMPARE(run(discPicture(kWidth, kHeight, 200, discs), settings(mode)), Errors::Type_Error(0));
        const std::vector<Measured> found = closedContours(m_analysis.getContours(), kHeight);
        QVERIFY(nearest(found, 200.0, 450.0, 0.5));
        for (const Measured& m : found)
            QVERIFY2(std::abs(m.column - 211.5) > 30.0,
                     qPrintable(QStringLiteral("mode %1: closed contour at the pair, circularity %2")
                                    .arg(mode)
                                    .arg(m.circularity)));
    }
}

void tst_ColonyMarginAnalysis::dynamicModeMatchesWholePicture_data()
{
    QTest::addColumn<double>("row1");
    QTest::addColumn<double>("column1");
    QTest::addColumn<double>("row2");
    QTest::addColumn<double>("column2");

    QTest::newRow("inside the picture") << 120.0 << 150.0 << 300.0 << 420.0;
    QTest::newRow("at the picture's corner") << 0.0 << 0.0 << 200.0 << 250.0;
    QTest::newRow("beyond the picture's edge") << 250.0 << 400.0 << 450.0 << 650.0;
}

void tst_ColonyMarginAnalysis::dynamicModeMatchesWholePicture()
{
    QFETCH(double, row1);
    QFETCH(double, column1);
    QFETCH(double, row2);
    QFETCH(double, column2);

    // The mean filter runs on a cut-out around the container; the edges must be those of the
    // filter chain on the whole picture, also where the mask reaches over the picture's edge.
    std::vector<Disc> discs;
    for (int i = 0; i < 6; ++i)
        discs.push_back({18.0 + 60.0 * i + 0.3 * i, 25.0 + 95.0 * i + 0.7, 7.0 + i, 100});
    discs.push_back({385.0, 590.0, 8.0, 120});
    const Halcon::Hobject picture = discPicture(kWidth, kHeight, 200, discs);
    m_plate.row1 = row1;
    m_plate.column1 = column1;
    m_plate.row2 = row2;
    m_plate.column2 = column2;
    const Halcon::Hobject outline = m_plate.outline();
    const ColonySettingsData data = settings(1);
    QCOMPARE(m_analysis.run(picture, &data, false, 0, outline), Errors::Type_Error(0));
    const std::vector<Measured> found = closedContours(m_analysis.getContours(), kHeight);

    Halcon::Hobject region, reduced, mean, difference, edges, segments, regressed, united;
    const int size = 2 * int(10.0 * data.Colony.MaxColonyDiameter) + 1;
    QCOMPARE(Halcon::gen_region_contour_xld(outline, &region, "filled"), Halcon::kSuccess);
    QCOMPARE(Halcon::reduce_domain(picture, region, &reduced), Halcon::kSuccess);
    QCOMPARE(Halcon::mean_image(reduced, &mean, size, size), Halcon::kSuccess);
    QCOMPARE(Halcon::sub_image(reduced, mean, &difference, 1.0, data.Colony.Offset + 128.0), Halcon::kSuccess);
    QCOMPARE(Halcon::threshold_sub_pix(difference, &edges, 129), Halcon::kSuccess);
    QCOMPARE(Halcon::segment_contours_xld(edges, &segments, "lines_ellipses", 9, kHeight * 0.39 / 100.0,
                                          kHeight * 0.293 / 100.0),
             Halcon::kSuccess);
    QCOMPARE(Halcon::regress_contours_xld(segments, &regressed, "drop", 10), Halcon::kSuccess);
    QCOMPARE(Halcon::union_straight_contours_xld(regressed, &united, kHeight * 0.195 / 100.0, 0.5, 100.0,
                                                 "noparallel", "maximum"),
             Halcon::kSuccess);
    const std::vector<Measured> whole = closedContours(united, kHeight);

    QVERIFY(!whole.empty());
    QCOMPARE(found.size(), whole.size());
    QCOMPARE(m_analysis.getContours().CountObj(), united.CountObj());
    for (size_t i = 0; i < whole.size(); ++i) {
        QVERIFY(std::abs(found[i].row - whole[i].row) < 1e-6);
        QVERIFY(std::abs(found[i].column - whole[i].column) < 1e-6);
        QVERIFY(std::abs(found[i].area - whole[i].area) < 1e-6);
    }
}

void tst_ColonyMarginAnalysis::greyRangeAndLevel_data()
{
    QTest::addColumn<bool>("fixedRange");
    QTest::addColumn<int>("percentUnder");
    QTest::addColumn<double>("grayCenter");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");

    // Inside the shrunken container: background 200, one disc down to 100 and one bright
    // square of 240 that covers under 1 % of it.
    QTest::newRow("measured range") << false << 0 << 0.45 << 100.0 << 240.0;
    QTest::newRow("darkest percent ignored") << false << 5 << 0.45 << 200.0 << 240.0;
    QTest::newRow("fixed range") << true << 0 << 0.45 << 0.0 << 255.0;
    QTest::newRow("fixed range, centre 0.5") << true << 0 << 0.5 << 0.0 << 255.0;
}

void tst_ColonyMarginAnalysis::greyRangeAndLevel()
{
    QFETCH(bool, fixedRange);
    QFETCH(int, percentUnder);
    QFETCH(double, grayCenter);
    QFETCH(double, low);
    QFETCH(double, high);

    Halcon::Hobject picture = HalconTestPictures::grayImage(kWidth, kHeight, [](int row, int column) {
        if (row >= 100 && row < 110 && column >= 400 && column < 410)
            return 240;
        if (std::hypot(row - 200.0, column - 200.0) <= 12.0)
            return 100;
        return 200;
    });
    ColonySettingsData data = settings(0);
    data.Colony.GrayPercentUnder = percentUnder;
    data.Colony.GrayCenter = grayCenter;

    QCOMPARE(run(picture, data, fixedRange), Errors::Type_Error(0));
    QCOMPARE(m_analysis.getGrayLow(), low);
    QCOMPARE(m_analysis.getGrayHigh(), high);
    QCOMPARE(m_analysis.getThresholdLevel(), high - (high - low) * grayCenter);
    // The grey range comes from the container shrunk by GrayMargin percent.
    QCOMPARE(m_plate.lastOffset, -data.Colony.GrayMargin);
}

void tst_ColonyMarginAnalysis::drawsAndReports_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("colors");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("standard") << 0 << QStringList{"blue", "orange"} << QStringList{};
    QTest::newRow("dynamic") << 1 << QStringList{"orange"}
                             << QStringList{"Colony margins...", "Colony margins: threshold...",
                                            "Colony margins: segment 2 contours...",
                                            "Colony margins: regress 2 contours...",
                                            "Colony margins: union 2 contours...",
                                            "Colony margins: show 2 contours..."};
}

void tst_ColonyMarginAnalysis::drawsAndReports()
{
    QFETCH(int, mode);
    QFETCH(QStringList, colors);
    QFETCH(QStringList, texts);

    const std::vector<Disc> discs = {{150.0, 150.0, 10.0, 100}, {250.0, 400.0, 10.0, 100}};
    QCOMPARE(run(discPicture(kWidth, kHeight, 200, discs), settings(mode)), Errors::Type_Error(0));

    QCOMPARE(int(m_view.added.size()), colors.size());
    for (int i = 0; i < colors.size(); ++i) {
        const FakeHalconView::Added& a = m_view.added[size_t(i)];
        QCOMPARE(a.name, QStringLiteral("HalconObject_Margins."));
        QCOMPARE(a.color, colors[i]);
        QCOMPARE(a.mode, QStringLiteral("margin"));
        QCOMPARE(a.width, 1);
        QVERIFY(!a.selectable);
    }
    QVERIFY(m_view.added.back().object.SharesElementsWith(m_analysis.getContours()));
    QCOMPARE(m_view.updates, 1);

    // Each round disc stays one closed contour through every stage.
    QCOMPARE(m_progress.texts, texts);
}

void tst_ColonyMarginAnalysis::otherAnalysisModeFindsNothing()
{
    const std::vector<Disc> discs = {{150.0, 150.0, 10.0, 100}};
    QCOMPARE(run(discPicture(kWidth, kHeight, 200, discs), settings(2)), Errors::Type_Error(0));
    QVERIFY(m_analysis.getContours().IsEmpty());
    QVERIFY(m_view.added.empty());
    QCOMPARE(m_view.updates, 1);
}

void tst_ColonyMarginAnalysis::failingStepIsAnError_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("expected"); // 0: any failure code of the layer

    for (int mode : {0, 1}) {
        const QString m = mode == 0 ? QStringLiteral("standard: ") : QStringLiteral("dynamic: ");
        QTest::newRow(qPrintable(m + "colour picture")) << mode << "rgb" << int(Halcon::kErrWrongChannelCount);
        QTest::newRow(qPrintable(m + "no picture")) << mode << "empty picture" << 41;
        QTest::newRow(qPrintable(m + "no container outline")) << mode << "no outline" << 0;
    }
    QTest::newRow("standard: container contour fails") << 0 << "plate" << 40;
    QTest::newRow("standard: bad percentage") << 0 << "percent" << 0;
    QTest::newRow("dynamic: no resolution") << 1 << "resolution 0" << 163;
    QTest::newRow("dynamic: resolution not a number") << 1 << "resolution nan" << 163;
    QTest::newRow("dynamic: negative diameter") << 1 << "diameter" << 0;
}

void tst_ColonyMarginAnalysis::failingStepIsAnError()
{
    QFETCH(int, mode);
    QFETCH(QString, fault);
    QFETCH(int, expected);

    const std::vector<Disc> discs = {{150.0, 150.0, 10.0, 100}, {250.0, 400.0, 10.0, 100}};
    Halcon::Hobject picture = discPicture(kWidth, kHeight, 200, discs);
    Halcon::Hobject outline = m_plate.outline();
    ColonySettingsData data = settings(mode);
    if (fault == QLatin1String("rgb"))
        Halcon::compose3(picture, picture, picture, &picture);
    else if (fault == QLatin1String("empty picture"))
        picture = Halcon::Hobject();
    else if (fault == QLatin1String("no outline"))
        outline = Halcon::Hobject();
    else if (fault == QLatin1String("plate"))
        m_plate.failWith = 40;
    else if (fault == QLatin1String("percent"))
        data.Colony.GrayPercentUnder = 80;
    else if (fault == QLatin1String("resolution 0"))
        m_coordinates.horizontal = m_coordinates.vertical = 0.0;
    else if (fault == QLatin1String("resolution nan"))
        m_coordinates.horizontal = std::numeric_limits<double>::quiet_NaN();
    else if (fault == QLatin1String("diameter"))
        data.Colony.MaxColonyDiameter = -4.5;

    const Errors::Type_Error result = m_analysis.run(picture, &data, false, 0, outline);
    if (expected != 0)
        QCOMPARE(int(result), expected);
    else
        QVERIFY2(result >= 1000, qPrintable(QString::number(result)));
    QVERIFY(m_analysis.getContours().IsEmpty());
    QCOMPARE(m_analysis.getThresholdLevel(), 0.0);
}

void tst_ColonyMarginAnalysis::failedRunClearsEarlierResult()
{
    const std::vector<Disc> discs = {{150.0, 150.0, 10.0, 100}};
    const Halcon::Hobject picture = discPicture(kWidth, kHeight, 200, discs);
    QCOMPARE(run(picture, settings(0)), Errors::Type_Error(0));
    QVERIFY(!m_analysis.getContours().IsEmpty());
    QVERIFY(m_analysis.getThresholdLevel() > 0.0);

    m_plate.failWith = 40;
    QCOMPARE(run(picture, settings(0)), Errors::Type_Error(40));
    QVERIFY(m_analysis.getContours().IsEmpty());
    QCOMPARE(m_analysis.getThresholdLevel(), 0.0);
    QCOMPARE(m_analysis.getSegmentCount(), 0);
}

void tst_ColonyMarginAnalysis::cancelled_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("cancelAfter");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("textsSent");

    QTest::newRow("dynamic, after the threshold") << 1 << 1 << 100 << 2;
    QTest::newRow("dynamic, after the segmentation") << 1 << 2 << 100 << 3;
    QTest::newRow("dynamic, after the regression") << 1 << 3 << 100 << 4;
    QTest::newRow("dynamic, after the union") << 1 << 4 << 100 << 5;
    QTest::newRow("standard mode has no check point") << 0 << 1 << 0 << 0;
}

void tst_ColonyMarginAnalysis::cancelled()
{
    QFETCH(int, mode);
    QFETCH(int, cancelAfter);
    QFETCH(int, expected);
    QFETCH(int, textsSent);

    m_cancellation.cancelAfter = cancelAfter;
    const std::vector<Disc> discs = {{150.0, 150.0, 10.0, 100}};
    QCOMPARE(int(run(discPicture(kWidth, kHeight, 200, discs), settings(mode))), expected);
    QCOMPARE(m_progress.texts.size(), textsSent);
    QCOMPARE(m_analysis.getContours().IsEmpty(), expected != 0);
}

QTEST_GUILESS_MAIN(tst_ColonyMarginAnalysis)
#include "tst_ColonyMarginAnalysis.moc"
