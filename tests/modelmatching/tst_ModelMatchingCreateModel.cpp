#include "ModelMatchingSetup.h"

#include <Halcon.h>
#include <ModelMatchingErrors.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <ThreadChecker.h>

#include <cmath>
#include <functional>
#include <numbers>

using namespace Halcon;

namespace {

using Mutation = std::function<void(ModelMatchingSetup&)>;

struct Box {
    double row1, column1, row2, column2;
};

Box contourBox(const Hobject& contours)
{
    HTuple r1, c1, r2, c2;
    smallest_rectangle1_xld(contours, &r1, &c1, &r2, &c2);
    Box b{1e9, 1e9, -1e9, -1e9};
    for (Hlong i = 0; i < r1.Length(); ++i) {
        b.row1 = std::min(b.row1, r1[i].D());
        b.column1 = std::min(b.column1, c1[i].D());
        b.row2 = std::max(b.row2, r2[i].D());
        b.column2 = std::max(b.column2, c2[i].D());
    }
    return b;
}

Hlong channelsOf(const Hobject& image)
{
    Hlong channels = 0;
    count_channels(image, &channels);
    return channels;
}

void editSettings(ModelMatchingSetup& setup, const std::function<void(ModelMatchingSettings&)>& edit)
{
    const auto lock = setup.facade->LockSettings();
    edit(setup.settings);
}

bool noModel(const ModelMatchingSetup& setup)
{
    return !setup.creator->GetModel() && !setup.searcher->GetModel();
}

} // namespace

Q_DECLARE_METATYPE(Mutation)

class tst_ModelMatchingCreateModel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void createsTheCrossModel();
    void modelContoursLieOnTheTemplate();
    void withoutRegionsNoModel();
    void withoutTemplatePicture();
    void failures_data();
    void failures();
    void failureAfterTheModelWasMadeLeavesNone();
    void channelsFollowTheMetric_data();
    void channelsFollowTheMetric();
    void regionContours();
};

void tst_ModelMatchingCreateModel::createsTheCrossModel()
{
    ModelMatchingSetup setup;
    setup.addCrossRoi();
    ModelMatchingCreateResult r;
    QCOMPARE(setup.createCrossModel(&r), ModelMatchingErrors::NoError);
    QCOMPARE(r.Status, 2);
    const ModelMatchingShapeModelPtr model = setup.creator->GetModel();
    QVERIFY(model);
    QCOMPARE(setup.searcher->GetModel(), model);

    // The stitcher's values reach the model: -4 .. 94 degrees, scales 0.95 .. 1.05.
    HTuple levels, angleStart, angleExtent, angleStep, scaleMin, scaleMax, scaleStep, metric, minContrast;
    QCOMPARE(get_shape_model_params(model->Handle(), &levels, &angleStart, &angleExtent, &angleStep, &scaleMin,
                                    &scaleMax, &scaleStep, &metric, &minContrast),
             kSuccess);
    QVERIFY(std::abs(angleStart.D() * 180.0 / std::numbers::pi + 4.0) < 1e-9);
    QVERIFY(std::abs(angleExtent.D() * 180.0 / std::numbers::pi - 98.0) < 1e-9);
    QCOMPARE(scaleMin.D(), 0.95);
    QCOMPARE(scaleMax.D(), 1.05);
    QCOMPARE(QString::fromStdString(metric.S()), QStringLiteral("ignore_color_polarity"));

    // The region of 160 x 160 px at (70, 120) of the 400 px wide template.
    const Box roi = contourBox(r.RoiContours);
    QCOMPARE(roi.row1, 70.0);
    QCOMPARE(roi.column1, 120.0);
    QCOMPARE(roi.row2, 230.0);
    QCOMPARE(roi.column2, 280.0);
    Hobject domain;
    get_domain(r.ModelPicture, &domain);
    HTuple row1, column1, row2, column2;
    smallest_rectangle1(domain, &row1, &column1, &row2, &column2);
    QCOMPARE(row1.L() + row2.L(), Hlong(300));
    QCOMPARE(column1.L() + column2.L(), Hlong(400));
    // The settings' search rectangle 10, 10, 30, 30 in template pixels.
    const Box search = contourBox(r.SearchContour);
    QCOMPARE(search.row1, 40.0);
    QCOMPARE(search.column2, 160.0);
    // The origin is the template domain's centre.
    HTuple originRow, originColumn;
    get_shape_model_origin(model->Handle(), &originRow, &originColumn);
    QVERIFY(std::abs(originRow.D() - 150.0) < 0.01 && std::abs(originColumn.D() - 200.0) < 0.01);
}

void tst_ModelMatchingCreateModel::modelContoursLieOnTheTemplate()
{
    ModelMatchingSetup setup;
    setup.addCrossRoi();
    ModelMatchingCreateResult r;
    QCOMPARE(setup.createCrossModel(&r), ModelMatchingErrors::NoError);
    Hobject merged;
    double x = 0.0, y = 0.0;
    QVERIFY(ModelMatching::MergeContours(r.ModelContour, 100.0, 12.5, 12.5, merged));
    QVERIFY(ModelMatching::ContourCenter(merged, x, y));
    QVERIFY2(std::abs(x - CrossScenes::kTemplateColumn) < 0.1 && std::abs(y - CrossScenes::kTemplateRow) < 0.1,
             qPrintable(QStringLiteral("centre (%1, %2)").arg(x).arg(y)));
    // The outline spans the cross: 120 px across.
    const Box box = contourBox(r.ModelContour);
    QVERIFY(std::abs(box.column2 - box.column1 - 2 * CrossScenes::kHalfLength) < 1.5);
}

void tst_ModelMatchingCreateModel::withoutRegionsNoModel()
{
    QTemporaryDir dir;
    ModelMatchingSetup setup;
    setup.addCrossRoi();
    QCOMPARE(setup.createCrossModel(), ModelMatchingErrors::NoError);
    QCOMPARE(setup.creator->WriteModel(dir.path(), QStringLiteral("Plate")), ModelMatchingErrors::NoError);
    const QString file = dir.filePath(QStringLiteral("Plate.modelmatching.referenceposition.modeldata"));
    QVERIFY(QFile(file).size() > 0);

    editSettings(setup, [](ModelMatchingSettings& s) { s.Model.ROI.clear(); });
    ModelMatchingCreateResult r;
    QCOMPARE(setup.createCrossModel(&r), ModelMatchingErrors::NoError);
    QVERIFY(noModel(setup));
    QVERIFY(!r.SearchContour.IsEmpty());
    QVERIFY(r.RoiContours.IsEmpty() && r.ModelPicture.IsEmpty() && r.ModelContour.IsEmpty());
    QCOMPARE(setup.creator->WriteModel(dir.path(), QStringLiteral("Plate")), ModelMatchingErrors::NoError);
    QVERIFY(!QFile::exists(file));
}

void tst_ModelMatchingCreateModel::withoutTemplatePicture()
{
    ModelMatchingSetup setup;
    setup.addCrossRoi();
    QCOMPARE(setup.createCrossModel(), ModelMatchingErrors::NoError);
    // A template picture source without a picture takes the old one's place.
    setup.picture = std::make_unique<ModelMatching_ModelPicture>(setup.facade.get(), QStringLiteral("modelmatching"), true);
    ModelMatchingCreateResult r;
    QCOMPARE(setup.createCrossModel(&r), ModelMatchingErrors::NoModelPicture);
    QVERIFY(noModel(setup));
    QVERIFY(!r.SearchContour.IsEmpty());
    setup.picture.reset();
    QCOMPARE(setup.createCrossModel(&r), ModelMatchingErrors::GeneralError);
}

void tst_ModelMatchingCreateModel::failures_data()
{
    QTest::addColumn<Mutation>("mutation");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("layerFailed");
    auto settings = [](std::function<void(ModelMatchingSettings&)> edit) {
        return Mutation([edit](ModelMatchingSetup& setup) { editSettings(setup, edit); });
    };
    QTest::newRow("used median with mode 0")
        << settings([](ModelMatchingSettings& s) { s.Filter.Median = {true, 0}; }) << 10000 << false;
    QTest::newRow("used emphasize with mode 10")
        << settings([](ModelMatchingSettings& s) { s.Filter.Emphasize = {true, 10}; }) << 10000 << false;
    QTest::newRow("match metric 0") << settings([](ModelMatchingSettings& s) { s.Model.MatchMetric = 0; }) << 10000
                                    << false;
    QTest::newRow("match metric 5") << settings([](ModelMatchingSettings& s) { s.Model.MatchMetric = 5; }) << 10000
                                    << false;
    QTest::newRow("tiny region on the plate")
        << settings([](ModelMatchingSettings& s) { s.Model.ROI = {{1, 1.0, 1.0, 0.5, 0.5, 0.0}}; }) << 10013 << true;
    // The outline of a region without area still fills a line of pixels, and the model made
    // from that line was searched for seconds.
    QTest::newRow("region without height")
        << settings([](ModelMatchingSettings& s) { s.Model.ROI = {{1, 30.0, 17.5, 40.0, 0.0000001, 0.0}}; }) << 10013
        << false;
    QTest::newRow("ellipse thinner than a pixel")
        << settings([](ModelMatchingSettings& s) { s.Model.ROI = {{2, 30.0, 17.5, 0.2, 40.0, 0.0}}; }) << 10013
        << false;
    QTest::newRow("a good region beside one without area")
        << settings([](ModelMatchingSettings& s) { s.Model.ROI.append({1, 30.0, 17.5, 40.0, 0.0, 0.0}); }) << 10013
        << false;
    QTest::newRow("contrast above the cross's")
        << settings([](ModelMatchingSettings& s) { s.Model.ContrastLow = s.Model.ContrastHigh = 250; }) << 10013
        << true;
    QTest::newRow("no pyramid level") << Mutation() << 10012 << true;
    QTest::newRow("no viewer") << Mutation([](ModelMatchingSetup& setup) {
        setup.creator = std::make_unique<ModelMatching_Analyse_CreateModel>(
            setup.facade.get(), QStringLiteral("modelmatching.referenceposition"), nullptr);
    }) << 10000 << false;
}

void tst_ModelMatchingCreateModel::failures()
{
    QFETCH(Mutation, mutation);
    QFETCH(int, expected);
    QFETCH(bool, layerFailed);
    ModelMatchingSetup setup;
    setup.addCrossRoi();
    QCOMPARE(setup.createCrossModel(), ModelMatchingErrors::NoError);
    ModelMatchingCreateParameters p = ModelMatchingSetup::stitcherCreate();
    if (mutation)
        mutation(setup);
    else
        p.PyramidLevels = 0;
    ModelMatchingCreateResult r;
    QCOMPARE(int(setup.facade->CreateModel(p, r)), expected);
    // Only a creation that cannot start keeps the search worker's model.
    QCOMPARE(!noModel(setup), QByteArray(QTest::currentDataTag()) == "no viewer");
    if (expected == 10013)
        QCOMPARE(r.Status, int(kErrTooFewModelPoints));
    else
        QCOMPARE(r.Status != 2, layerFailed);
}

void tst_ModelMatchingCreateModel::failureAfterTheModelWasMadeLeavesNone()
{
    ModelMatchingSetup setup;
    setup.addCrossRoi();
    QCOMPARE(setup.createCrossModel(), ModelMatchingErrors::NoError);
    // The new model vanishes right after it was made: its origin and contours fail.
    setup.creator->setCreatedHook([](Hlong handle) { clear_shape_model(HTuple(handle)); });
    ModelMatchingCreateResult r;
    QCOMPARE(setup.createCrossModel(&r), ModelMatchingErrors::GeneralError);
    QCOMPARE(r.Status, int(kErrInvalidHandle));
    QVERIFY(noModel(setup));
    ModelMatchingSearchResult found;
    const Hobject view = CrossScenes::view({{300.0, 400.0}});
    QCOMPARE(setup.facade->SearchModel(
                 ModelMatchingSetup::stitcherSearch(view, CrossScenes::searchArea(150, 250, 450, 550)), found),
             ModelMatchingErrors::NoModel);
}

void tst_ModelMatchingCreateModel::channelsFollowTheMetric_data()
{
    QTest::addColumn<int>("metric");
    QTest::addColumn<bool>("colour");
    QTest::addColumn<Hlong>("channels");
    QTest::newRow("ignore colour polarity keeps colour") << 4 << true << Hlong(3);
    QTest::newRow("use polarity turns grey") << 1 << true << Hlong(1);
    QTest::newRow("ignore local polarity turns grey") << 3 << true << Hlong(1);
    QTest::newRow("grey stays grey") << 4 << false << Hlong(1);
}

void tst_ModelMatchingCreateModel::channelsFollowTheMetric()
{
    QFETCH(int, metric);
    QFETCH(bool, colour);
    QFETCH(Hlong, channels);
    ModelMatchingSetup setup(false);
    setup.setTemplate(colour ? CrossScenes::colourCrossTemplate() : CrossScenes::crossTemplate());
    setup.addCrossRoi();
    editSettings(setup, [metric](ModelMatchingSettings& s) { s.Model.MatchMetric = metric; });
    ModelMatchingCreateResult r;
    QCOMPARE(setup.createCrossModel(&r), ModelMatchingErrors::NoError);
    QCOMPARE(channelsOf(r.ModelPicture), channels);
}

void tst_ModelMatchingCreateModel::regionContours()
{
    ModelMatchingSetup setup;
    // 20 x 10 px at (100, 200) of the 400 px wide template; a type that makes no region.
    editSettings(setup, [](ModelMatchingSettings& s) {
        s.Model.ROI = {{2, 50.0, 25.0, 5.0, 2.5, 0.0}, {7, 1.0, 1.0, 5.0, 5.0, 0.0}, {1, 10.0, 10.0, 5.0, 5.0, 90.0}};
    });
    Hobject contours;
    QCOMPARE(setup.facade->GetModelRoiContours(contours), ModelMatchingErrors::NoError);
    Hlong count = 0;
    count_obj(contours, &count);
    QCOMPARE(count, Hlong(2));
    Hobject ellipse;
    select_obj(contours, &ellipse, 1);
    const Box e = contourBox(ellipse);
    QVERIFY(std::abs(e.column1 - 200.0) < 0.05 && std::abs(e.column2 - 220.0) < 0.05);
    QVERIFY(std::abs(e.row1 - 100.0) < 0.05 && std::abs(e.row2 - 110.0) < 0.05);

    setup.creator.reset();
    QCOMPARE(setup.facade->GetModelRoiContours(contours), ModelMatchingErrors::GeneralError);
    QVERIFY(contours.IsEmpty());
}

void tst_ModelMatchingCreateModel::initTestCase()
{
    runOperatorsSeriallyUnderThreadChecker();
}

QTEST_MAIN(tst_ModelMatchingCreateModel)
#include "tst_ModelMatchingCreateModel.moc"
