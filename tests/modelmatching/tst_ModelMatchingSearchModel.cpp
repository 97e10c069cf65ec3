#include "ModelMatchingSetup.h"

#include <Halcon.h>
#include <HalconTestPictures.h>
#include <ModelMatchingErrors.h>
#include <ModelMatchingSearchArea.h>

#include <QtTest>
#include <ThreadChecker.h>

#include <cmath>
#include <functional>
#include <limits>

using namespace Halcon;
using CrossScenes::Placement;

namespace {

using Mutation = std::function<void(ModelMatchingSetup&, ModelMatchingSearchParameters&)>;

Hobject areaAround(const Placement& c, double half = 160.0)
{
    // Not centred on the cross, so that the position is found, not assumed.
    return CrossScenes::searchArea(c.row - half - 13.0, c.column - half + 21.0, c.row + half - 13.0,
                                   c.column + half + 21.0);
}

void editSettings(ModelMatchingSetup& setup, const std::function<void(ModelMatchingSettings&)>& edit)
{
    const auto lock = setup.facade->LockSettings();
    edit(setup.settings);
}

struct Extent {
    Hlong row1, column1, row2, column2;
    Hlong width() const { return column2 - column1; }
    Hlong height() const { return row2 - row1; }
};

Extent regionExtent(const Hobject& region)
{
    HTuple r1, c1, r2, c2;
    smallest_rectangle1(region, &r1, &c1, &r2, &c2);
    return {r1.L(), c1.L(), r2.L(), c2.L()};
}

} // namespace

Q_DECLARE_METATYPE(Placement)
Q_DECLARE_METATYPE(Mutation)

class tst_ModelMatchingSearchModel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void findsCrossesAtKnownPoses_data();
    void findsCrossesAtKnownPoses();
    void notFoundKeepsWhatWasFilled();
    void minimumScoreOfRequestOrSettings_data();
    void minimumScoreOfRequestOrSettings();
    void matchChecks_data();
    void matchChecks();
    void searchTransforms_data();
    void searchTransforms();
    void searchRectangleOfTheSettings();
    void smallSearchRegionLeavesTheMarginOnly();
    void failures_data();
    void failures();
    void timeout();
    void sweepAngles_data();
    void sweepAngles();
    void quadrantTurn_data();
    void quadrantTurn();
    void margin_data();
    void margin();
    void extentOfTurnedRegions();
    void defaultsKeepTheCheckFlags();

private:
    std::unique_ptr<ModelMatchingSetup> m_setup;
    Hobject m_view;
};

void tst_ModelMatchingSearchModel::initTestCase()
{
    runOperatorsSeriallyUnderThreadChecker();
    m_setup = std::make_unique<ModelMatchingSetup>();
    m_setup->addCrossRoi();
    QCOMPARE(m_setup->createCrossModel(), ModelMatchingErrors::NoError);
    m_view = CrossScenes::view({{300.4, 400.6}});
}

void tst_ModelMatchingSearchModel::findsCrossesAtKnownPoses_data()
{
    QTest::addColumn<Placement>("cross");
    QTest::addColumn<bool>("settingsTolerances");
    // With the settings' tolerances (3 degrees about 45, scales 0.95 .. 1.05).
    QTest::newRow("45 degrees") << Placement{200.3, 250.7, 45.0, 1.0} << true;
    QTest::newRow("43.2 degrees, smaller") << Placement{620.25, 900.6, 43.2, 0.97} << true;
    QTest::newRow("47.6 degrees, larger") << Placement{450.5, 600.1, 47.6, 1.03} << true;
    // With the request's (49 degrees about 45): the whole range of the model.
    QTest::newRow("10 degrees") << Placement{180.8, 980.45, 10.0, 1.0} << false;
    QTest::newRow("41.3 degrees") << Placement{700.0, 180.3, 41.3, 0.96} << false;
    QTest::newRow("80 degrees") << Placement{333.33, 666.67, 80.0, 1.04} << false;
}

void tst_ModelMatchingSearchModel::findsCrossesAtKnownPoses()
{
    QFETCH(Placement, cross);
    QFETCH(bool, settingsTolerances);
    ModelMatchingSetup& setup = *m_setup;
    editSettings(setup, [&](ModelMatchingSettings& s) { s.SearchTolerance.Used = settingsTolerances; });
    const Hobject view = CrossScenes::view({cross}, {1200, 900, 3.0, 5});
    ModelMatchingSearchResult r;
    QCOMPARE(setup.facade->SearchModel(ModelMatchingSetup::stitcherSearch(view, areaAround(cross)), r),
             ModelMatchingErrors::NoError);
    editSettings(setup, [](ModelMatchingSettings& s) { s.SearchTolerance.Used = true; });
    QVERIFY(r.Found);
    QVERIFY(r.Score > 0.9);

    // The template's cross centre lands on the placed centre.
    double x = 0.0, y = 0.0;
    QVERIFY(ModelMatching::TransformPoint(CrossScenes::kTemplateColumn, CrossScenes::kTemplateRow, r.Transform, x, y));
    QVERIFY2(std::abs(x - cross.column) < 0.1 && std::abs(y - cross.row) < 0.1,
             qPrintable(QStringLiteral("(%1, %2) for (%3, %4)").arg(x).arg(y).arg(cross.column).arg(cross.row)));
    QVERIFY2(std::abs(r.Transform.Angle - cross.angle) < 0.05, qPrintable(QString::number(r.Transform.Angle)));
    QVERIFY2(std::abs(r.Transform.Scale - cross.scale) < 0.002, qPrintable(QString::number(r.Transform.Scale)));

    // What the stitcher takes as the cross's centre: its model contours merged.
    Hobject merged;
    QVERIFY(ModelMatching::MergeContours(r.ModelContour, 100.0, 12.5, 12.5, merged));
    QVERIFY(ModelMatching::ContourCenter(merged, x, y));
    QVERIFY(std::abs(x - cross.column) < 0.1 && std::abs(y - cross.row) < 0.1);
}

void tst_ModelMatchingSearchModel::notFoundKeepsWhatWasFilled()
{
    const Hobject area = CrossScenes::searchArea(500, 700, 850, 1150);
    ModelMatchingSearchResult r;
    r.Found = true;
    QCOMPARE(m_setup->facade->SearchModel(ModelMatchingSetup::stitcherSearch(m_view, area), r),
             ModelMatchingErrors::NoError);
    QVERIFY(!r.Found);
    QCOMPARE(r.Transform, ModelMatchingTransform());
    QVERIFY(r.SearchContour.SharesElementsWith(area));
    Hobject domain;
    get_domain(r.SearchPicture, &domain);
    const Extent e = regionExtent(domain);
    QCOMPARE(e.row1, Hlong(500));
    QCOMPARE(e.column2, Hlong(1150));
    QVERIFY(!r.SearchRectangle.IsEmpty());
    QVERIFY(r.ModelContour.IsEmpty());
}

void tst_ModelMatchingSearchModel::minimumScoreOfRequestOrSettings_data()
{
    QTest::addColumn<double>("minimumScore");
    QTest::addColumn<bool>("found");
    // Half the cross is hidden: its score lies near 0.5, below the settings' 0.7.
    QTest::newRow("0.0 is a score of its own") << 0.0 << true;
    QTest::newRow("0.4 from the request") << 0.4 << true;
    QTest::newRow("below 0: the settings' 0.7") << -0.5 << false;
}

void tst_ModelMatchingSearchModel::minimumScoreOfRequestOrSettings()
{
    QFETCH(double, minimumScore);
    QFETCH(bool, found);
    const Placement cross{400.0, 500.0, 45.0, 1.0, true};
    const Hobject view = CrossScenes::view({cross});
    ModelMatchingSearchParameters p = ModelMatchingSetup::stitcherSearch(view, areaAround(cross));
    p.MinimumScore = minimumScore;
    ModelMatchingSearchResult r;
    QCOMPARE(m_setup->facade->SearchModel(p, r), ModelMatchingErrors::NoError);
    QCOMPARE(r.Found, found);
    if (found)
        QVERIFY2(r.Score > 0.4 && r.Score < 0.7, qPrintable(QString::number(r.Score)));
}

void tst_ModelMatchingSearchModel::matchChecks_data()
{
    QTest::addColumn<bool>("used");
    QTest::addColumn<int>("checks"); // bit 0 score, 1 angle, 2 scale
    QTest::addColumn<double>("score");
    QTest::addColumn<double>("angle");
    QTest::addColumn<double>("scale");
    QTest::addColumn<bool>("passes");
    // Expected 45 degrees, tolerance 3 and 0.05 widened by 30 %: 41.1 .. 48.9, 0.935 .. 1.065.
    QTest::newRow("on the upper angle bound") << true << 7 << 0.9 << 48.9 << 1.0 << true;
    QTest::newRow("beyond the upper angle bound") << true << 7 << 0.9 << 49.0 << 1.0 << false;
    QTest::newRow("on the lower angle bound") << true << 7 << 0.9 << 41.1 << 1.0 << true;
    QTest::newRow("below the lower angle bound") << true << 7 << 0.9 << 41.0 << 1.0 << false;
    QTest::newRow("on the upper scale bound") << true << 7 << 0.9 << 45.0 << 1.065 << true;
    QTest::newRow("beyond the upper scale bound") << true << 7 << 0.9 << 45.0 << 1.066 << false;
    QTest::newRow("below the lower scale bound") << true << 7 << 0.9 << 45.0 << 0.934 << false;
    QTest::newRow("angle not checked") << true << 5 << 0.9 << 60.0 << 1.0 << true;
    QTest::newRow("scale not checked") << true << 3 << 0.9 << 45.0 << 1.2 << true;
    QTest::newRow("tolerances not in use: no angle check") << false << 7 << 0.9 << 60.0 << 1.2 << true;
    QTest::newRow("score below the minimum") << true << 7 << 0.69 << 45.0 << 1.0 << false;
    QTest::newRow("score right on the minimum") << true << 7 << 0.7 << 45.0 << 1.0 << true;
    QTest::newRow("score not checked") << true << 6 << 0.1 << 45.0 << 1.0 << true;
}

void tst_ModelMatchingSearchModel::matchChecks()
{
    QFETCH(bool, used);
    QFETCH(int, checks);
    QFETCH(double, score);
    QFETCH(double, angle);
    QFETCH(double, scale);
    QFETCH(bool, passes);
    ModelMatchingSettings::SearchToleranceData tolerance;
    tolerance.Used = used;
    ModelMatchingSearchParameters p;
    p.Angle = 45.0;
    p.CheckScore = checks & 1;
    p.CheckAngle = checks & 2;
    p.CheckScale = checks & 4;
    QCOMPARE(ModelMatching_Analyse_SearchModel::MatchPasses(tolerance, p, 0.7, 3.0, 0.05, score, angle, scale), passes);
}

void tst_ModelMatchingSearchModel::searchTransforms_data()
{
    QTest::addColumn<ModelMatchingTransform>("first");
    QTest::addColumn<ModelMatchingTransform>("second");
    QTest::addColumn<bool>("found");
    // The area lies 300 px left of and 100 px above the cross.
    const ModelMatchingTransform back(0, 0, 300, 100, 1.0, 0.0, false);
    QTest::newRow("no transform") << ModelMatchingTransform() << ModelMatchingTransform() << false;
    QTest::newRow("moved back") << back << ModelMatchingTransform() << true;
    QTest::newRow("moved back in two halves")
        << ModelMatchingTransform(0, 0, 150, 50, 1.0, 0.0, false) << ModelMatchingTransform(0, 0, 150, 50, 1.0, 0.0, false)
        << true;
    QTest::newRow("scale 0 is no transform") << ModelMatchingTransform(0, 0, 300, 100, 0.0, 0.0, false)
                                             << ModelMatchingTransform() << false;
}

void tst_ModelMatchingSearchModel::searchTransforms()
{
    QFETCH(ModelMatchingTransform, first);
    QFETCH(ModelMatchingTransform, second);
    QFETCH(bool, found);
    const Hobject away = CrossScenes::searchArea(300.4 - 100 - 170, 400.6 - 300 - 170, 300.4 - 100 + 170,
                                                 400.6 - 300 + 170);
    ModelMatchingSearchParameters p = ModelMatchingSetup::stitcherSearch(m_view, away);
    p.SearchTransform1 = first;
    p.SearchTransform2 = second;
    ModelMatchingSearchResult r;
    QCOMPARE(m_setup->facade->SearchModel(p, r), ModelMatchingErrors::NoError);
    QCOMPARE(r.Found, found);
    HTuple r1, c1, r2, c2;
    smallest_rectangle1_xld(r.SearchContour, &r1, &c1, &r2, &c2);
    const double shiftX = (first.IsSet() ? first.ShiftX : 0.0) + (second.IsSet() ? second.ShiftX : 0.0);
    QVERIFY(std::abs(c1.D() - (400.6 - 300 - 170 + shiftX)) < 1e-6);
}

void tst_ModelMatchingSearchModel::searchRectangleOfTheSettings()
{
    // Without a search contour the settings' rectangle is used, in percent of the viewer's
    // picture (the 400 px wide template): 240 x 240 px around the cross of the view.
    ModelMatchingSetup& setup = *m_setup;
    const ModelMatchingSettings::SearchPositionData before = setup.settings.SearchPosition;
    editSettings(setup, [](ModelMatchingSettings& s) { s.SearchPosition = {67.5, 45.0, 60.0, 60.0, 0.0}; });
    ModelMatchingSearchResult r;
    QCOMPARE(setup.facade->SearchModel(ModelMatchingSetup::stitcherSearch(m_view, HalconTestPictures::rectangleRegion(0, 0, 5, 5)), r),
             ModelMatchingErrors::NoError);
    editSettings(setup, [&](ModelMatchingSettings& s) { s.SearchPosition = before; });
    QVERIFY(r.Found);
    HTuple r1, c1, r2, c2;
    smallest_rectangle1_xld(r.SearchContour, &r1, &c1, &r2, &c2);
    QCOMPARE(r1.D(), 180.0);
    QCOMPARE(c1.D(), 270.0);
    QCOMPARE(r2.D(), 420.0);
    QCOMPARE(c2.D(), 510.0);
}

void tst_ModelMatchingSearchModel::smallSearchRegionLeavesTheMarginOnly()
{
    // 60 x 60 px is less than the model: the rectangle of allowed positions is the margin,
    // (6 - 1) * 14 = 70 px with automatic pyramid levels, centred on the region.
    const Hobject small = CrossScenes::searchArea(270, 370, 330, 430);
    ModelMatchingSearchResult r;
    QCOMPARE(m_setup->facade->SearchModel(ModelMatchingSetup::stitcherSearch(m_view, small), r),
             ModelMatchingErrors::NoError);
    const Extent e = regionExtent(r.SearchRectangle);
    QCOMPARE(e.width(), Hlong(70));
    QCOMPARE(e.height(), Hlong(70));
    QVERIFY(std::abs((e.row1 + e.row2) / 2.0 - 300.0) <= 1.0);
    QVERIFY(std::abs((e.column1 + e.column2) / 2.0 - 400.0) <= 1.0);
}

void tst_ModelMatchingSearchModel::failures_data()
{
    QTest::addColumn<Mutation>("mutation");
    QTest::addColumn<int>("expected");
    auto request = [](std::function<void(ModelMatchingSearchParameters&)> edit) {
        return Mutation([edit](ModelMatchingSetup&, ModelMatchingSearchParameters& p) { edit(p); });
    };
    auto settings = [](std::function<void(ModelMatchingSettings&)> edit) {
        return Mutation([edit](ModelMatchingSetup& setup, ModelMatchingSearchParameters&) { editSettings(setup, edit); });
    };
    QTest::newRow("no model") << Mutation([](ModelMatchingSetup& setup, ModelMatchingSearchParameters&) {
        setup.facade->ClearModels();
    }) << 10016;
    QTest::newRow("no search worker") << Mutation([](ModelMatchingSetup& setup, ModelMatchingSearchParameters&) {
        setup.searcher.reset();
    }) << 10000;
    QTest::newRow("no viewer") << Mutation([](ModelMatchingSetup& setup, ModelMatchingSearchParameters&) {
        setup.searcher = std::make_unique<ModelMatching_Analyse_SearchModel>(setup.facade.get(), QString(), nullptr);
    }) << 10000;
    QTest::newRow("sub-pixel mode 6") << request([](ModelMatchingSearchParameters& p) { p.SubPixel = 6; }) << 10000;
    QTest::newRow("sub-pixel mode -1") << request([](ModelMatchingSearchParameters& p) { p.SubPixel = -1; }) << 10000;
    QTest::newRow("score divisor 0") << request([](ModelMatchingSearchParameters& p) { p.ScoreDivisor = 0.0; }) << 10000;
    QTest::newRow("picture is a region")
        << request([](ModelMatchingSearchParameters& p) { p.Picture = HalconTestPictures::rectangleRegion(0, 0, 9, 9); })
        << 41;
    QTest::newRow("used shock filter, mode 0") << settings([](ModelMatchingSettings& s) { s.Filter.Shock = {true, 0}; })
                                               << 10000;
    QTest::newRow("match metric 9") << settings([](ModelMatchingSettings& s) { s.Model.MatchMetric = 9; }) << 10000;
    QTest::newRow("pyramid levels beyond the model's")
        << request([](ModelMatchingSearchParameters& p) { p.PyramidLevels = 11; }) << 10014;
}

void tst_ModelMatchingSearchModel::failures()
{
    QFETCH(Mutation, mutation);
    QFETCH(int, expected);
    ModelMatchingSetup setup;
    setup.addCrossRoi();
    QCOMPARE(setup.createCrossModel(), ModelMatchingErrors::NoError);
    ModelMatchingSearchParameters p =
        ModelMatchingSetup::stitcherSearch(m_view, CrossScenes::searchArea(150, 250, 450, 550));
    mutation(setup, p);
    ModelMatchingSearchResult r;
    r.Found = true;
    QCOMPARE(int(setup.facade->SearchModel(p, r)), expected);
    QVERIFY(!r.Found);
    QCOMPARE(r.Status != 2, expected == 10014);
}

void tst_ModelMatchingSearchModel::timeout()
{
    // A noisy picture and every angle and scale of the model: no search ends within 1 ms.
    const Hobject noisy = CrossScenes::view({}, {2000, 1500, 25.0, 3});
    ModelMatchingSearchParameters p = ModelMatchingSetup::stitcherSearch(noisy, CrossScenes::searchArea(0, 0, 1499, 1999));
    p.Timeout = 1;
    editSettings(*m_setup, [](ModelMatchingSettings& s) { s.SearchTolerance.Used = false; });
    ModelMatchingSearchResult r;
    const Errors::Type_Error error = m_setup->facade->SearchModel(p, r);
    editSettings(*m_setup, [](ModelMatchingSettings& s) { s.SearchTolerance.Used = true; });
    QCOMPARE(error, ModelMatchingErrors::FindTimeout);
    QCOMPARE(r.Status, int(kErrTimeout));
    // The time-out is set before every find: 0 turns it off again.
    p.Timeout = 0;
    p.Picture = m_view;
    p.SearchContour = CrossScenes::searchArea(150, 250, 450, 550);
    QCOMPARE(m_setup->facade->SearchModel(p, r), ModelMatchingErrors::NoError);
    QVERIFY(r.Found);
}

void tst_ModelMatchingSearchModel::sweepAngles_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<double>("tolerance");
    QTest::addColumn<QList<double>>("expected");
    QTest::newRow("45 +- 49") << 45.0 << 49.0 << QList<double>{-4, 6, 16, 26, 36, 46, 56, 66, 76, 86, 94, 45};
    QTest::newRow("tolerance 0") << 30.0 << 0.0 << QList<double>{30, 30};
    QTest::newRow("45 +- 5") << 45.0 << 5.0 << QList<double>{40, 50, 45};
    QList<double> turn;
    for (int k = 0; k < 36; ++k)
        turn.append(-135.0 + 10.0 * k);
    turn << 225.0 << 45.0;
    QTest::newRow("half a turn") << 45.0 << 180.0 << turn;
    // Not a turn more, and an end even where adding a step no longer changes the number.
    QTest::newRow("2^31 - 1") << 45.0 << 2147483647.0 << turn;
    QTest::newRow("1e308") << 45.0 << 1e308 << turn;
    QTest::newRow("infinite") << 45.0 << std::numeric_limits<double>::infinity() << turn;
}

void tst_ModelMatchingSearchModel::sweepAngles()
{
    QFETCH(double, angle);
    QFETCH(double, tolerance);
    QFETCH(QList<double>, expected);
    QCOMPARE(ModelMatchingSearchArea::SweepAngles(angle, tolerance), expected);
}

void tst_ModelMatchingSearchModel::quadrantTurn_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<double>("turn");
    QTest::newRow("45 stays") << 45.0 << 0.0;
    QTest::newRow("100 turns 90") << 100.0 << 90.0;
    QTest::newRow("135 stays") << 135.0 << 0.0;
    QTest::newRow("180 stays") << 180.0 << 0.0;
    QTest::newRow("300 turns 270") << 300.0 << 270.0;
    QTest::newRow("315 stays") << 315.0 << 0.0;
}

void tst_ModelMatchingSearchModel::quadrantTurn()
{
    QFETCH(double, angle);
    QFETCH(double, turn);
    QCOMPARE(ModelMatchingSearchArea::QuadrantTurn(angle), turn);
}

void tst_ModelMatchingSearchModel::margin_data()
{
    QTest::addColumn<double>("searchMargin");
    QTest::addColumn<int>("requestLevels");
    QTest::addColumn<int>("settingsLevels");
    QTest::addColumn<double>("margin");
    QTest::newRow("given") << 12.5 << -1 << 0 << 12.5;
    QTest::newRow("none") << 0.0 << 4 << 4 << 0.0;
    QTest::newRow("request's levels") << -1.0 << 4 << 8 << 42.0;
    QTest::newRow("settings' levels") << -1.0 << -1 << 3 << 28.0;
    QTest::newRow("automatic levels") << -1.0 << -1 << 0 << 70.0;
    QTest::newRow("request asks for automatic") << -1.0 << 0 << 3 << 70.0;
}

void tst_ModelMatchingSearchModel::margin()
{
    QFETCH(double, searchMargin);
    QFETCH(int, requestLevels);
    QFETCH(int, settingsLevels);
    QFETCH(double, margin);
    QCOMPARE(ModelMatchingSearchArea::Margin(searchMargin, requestLevels, settingsLevels), margin);
}

void tst_ModelMatchingSearchModel::extentOfTurnedRegions()
{
    // A region 101 x 41 px: upright for angles near 0, on its side near 100.
    Hobject region;
    gen_rectangle2_contour_xld(&region, 200, 300, 0.0, 50, 20);
    ModelMatchingSearchArea::Box box;
    int status = 2;
    QCOMPARE(ModelMatchingSearchArea::RoiExtent(region, 100.0, 0.0, false, box, status), ModelMatchingErrors::NoError);
    QCOMPARE(box.Width(), Hlong(40));
    QCOMPARE(box.Height(), Hlong(100));
    QCOMPARE(ModelMatchingSearchArea::RoiExtent(region, 45.0, 0.0, false, box, status), ModelMatchingErrors::NoError);
    QCOMPARE(box.Width(), Hlong(100));
    // A sweep over -4 .. 94 keeps the narrowest width (near 90) and, apart, the lowest
    // height (near 0) it met: both about 100 sin 4 + 40 cos 4 = 47 px.
    QCOMPARE(ModelMatchingSearchArea::RoiExtent(region, 45.0, 49.0, true, box, status), ModelMatchingErrors::NoError);
    QVERIFY2(box.Width() <= 48 && box.Height() <= 48, qPrintable(QStringLiteral("%1 x %2").arg(box.Width()).arg(box.Height())));
}

void tst_ModelMatchingSearchModel::defaultsKeepTheCheckFlags()
{
    ModelMatchingSearchParameters p = ModelMatchingSetup::stitcherSearch(m_view, m_view);
    p.CheckAngle = false;
    p.SearchTransform1 = ModelMatchingTransform(1, 2, 3, 4, 1.0, 5.0, true);
    p.SetDefaults();
    QVERIFY(!p.CheckAngle);
    QVERIFY(p.CheckScore && p.CheckScale);
    QVERIFY(p.Picture.IsEmpty() && p.SearchContour.IsEmpty());
    QVERIFY(!p.SearchTransform1.IsSet());
    QCOMPARE(p.ScoreDivisor, 1.5);
    QCOMPARE(p.Timeout, 0);
    QCOMPARE(p.SubPixel, 0);
}

QTEST_MAIN(tst_ModelMatchingSearchModel)
#include "tst_ModelMatchingSearchModel.moc"
