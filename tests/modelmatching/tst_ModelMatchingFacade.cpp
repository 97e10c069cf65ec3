#include "ModelMatchingSetup.h"

#include <Halcon.h>
#include <HalconTestPictures.h>
#include <ModelMatchingErrors.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <ThreadChecker.h>

#include <functional>

using namespace Halcon;

namespace {

using Operation = std::function<Errors::Type_Error(ModelMatching&)>;

} // namespace

Q_DECLARE_METATYPE(Operation)

class tst_ModelMatchingFacade : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void missingParts_data();
    void missingParts();
    void withoutSettings();
    void modeChangesAreRelayed();
    void modeTravelsThroughQueuedConnections();
    void newTemplateIsRelayed();
    void partsThatGoAwayAreForgotten();
    void replacedPictureSourceIsNoLongerRelayed();
    void clearModels();
};

void tst_ModelMatchingFacade::missingParts_data()
{
    QTest::addColumn<Operation>("operation");
    const Hobject picture = CrossScenes::crossTemplate();
    QTest::newRow("search") << Operation([](ModelMatching& f) {
        ModelMatchingSearchResult r;
        r.Found = true;
        const Errors::Type_Error error = f.SearchModel(ModelMatchingSearchParameters(), r);
        return r.Found ? Errors::Type_Error(-1) : error;
    });
    QTest::newRow("create") << Operation([](ModelMatching& f) {
        ModelMatchingCreateResult r;
        r.Status = 77;
        const Errors::Type_Error error = f.CreateModel(ModelMatchingSetup::stitcherCreate(), r);
        return r.Status == 2 ? error : Errors::Type_Error(-1);
    });
    QTest::newRow("load files") << Operation([](ModelMatching& f) { return f.LoadFiles(QString(), "Plate"); });
    QTest::newRow("save files") << Operation([](ModelMatching& f) { return f.SaveFiles(QString(), "Plate"); });
    QTest::newRow("template picture") << Operation([](ModelMatching& f) {
        Hobject p = HalconTestPictures::rectangleRegion(0, 0, 1, 1);
        const Errors::Type_Error error = f.GetModelPicture(p);
        return p.IsEmpty() ? error : Errors::Type_Error(-1);
    });
    QTest::newRow("set template picture") << Operation([picture](ModelMatching& f) { return f.SetModelPicture(picture); });
    QTest::newRow("mode") << Operation([](ModelMatching& f) { return f.SetModelPictureMode(2); });
    QTest::newRow("region contours") << Operation([](ModelMatching& f) {
        Hobject c;
        return f.GetModelRoiContours(c);
    });
    QTest::newRow("clear models") << Operation([](ModelMatching& f) { return f.ClearModels(); });
}

void tst_ModelMatchingFacade::missingParts()
{
    QFETCH(Operation, operation);
    ModelMatchingSettings settings;
    ModelMatching facade(QStringLiteral("CrossModel"), &settings);
    QCOMPARE(operation(facade), ModelMatchingErrors::GeneralError);
    QCOMPARE(facade.GetMode(), 0);
    QVERIFY(facade.GetModelPictureCopy().IsEmpty());
    QVERIFY(facade.GetModelDataFileName(QStringLiteral("Plate")).isEmpty());
}

void tst_ModelMatchingFacade::withoutSettings()
{
    ModelMatching facade(QStringLiteral("CrossModel"), nullptr);
    Hobject_View_Gui viewer;
    ModelMatching_ModelPicture picture(&facade, QStringLiteral("modelmatching"), true);
    ModelMatching_Analyse_CreateModel creator(&facade, QString(), &viewer);
    ModelMatching_Analyse_SearchModel searcher(&facade, QString(), &viewer);
    QCOMPARE(picture.SetModelPicture(CrossScenes::crossTemplate()), ModelMatchingErrors::NoError);
    ModelMatchingCreateResult created;
    QCOMPARE(facade.CreateModel(ModelMatchingSetup::stitcherCreate(), created), ModelMatchingErrors::GeneralError);
    ModelMatchingSearchResult found;
    QCOMPARE(facade.SearchModel(ModelMatchingSearchParameters(), found), ModelMatchingErrors::GeneralError);
    ModelMatchingSettings snapshot;
    QVERIFY(!facade.GetSettingsSnapshot(snapshot));
}

void tst_ModelMatchingFacade::modeChangesAreRelayed()
{
    ModelMatchingSetup setup(false);
    QCOMPARE(setup.facade->GetMode(), int(ModelMatching::Mode_Analyse));
    QSignalSpy spy(setup.facade.get(), &ModelMatching::signal_ModeChanged);
    QCOMPARE(setup.facade->SetModelPictureMode(ModelMatching::Mode_DefineModel), ModelMatchingErrors::NoError);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).value<ModelMatching::Enum_Mode>(), ModelMatching::Mode_DefineModel);
    QCOMPARE(setup.facade->SetModelPictureMode(ModelMatching::Mode_DefineModel), ModelMatchingErrors::NoError);
    QCOMPARE(setup.facade->SetModelPictureMode(3), ModelMatchingErrors::GeneralError);
    QCOMPARE(setup.facade->SetModelPictureMode(0), ModelMatchingErrors::GeneralError);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(setup.facade->GetMode(), int(ModelMatching::Mode_DefineModel));
}

void tst_ModelMatchingFacade::modeTravelsThroughQueuedConnections()
{
    ModelMatchingSetup setup(false);
    QObject receiver;
    int received = 0;
    connect(
        setup.facade.get(), &ModelMatching::signal_ModeChanged, &receiver,
        [&received](ModelMatching::Enum_Mode mode) { received = mode; }, Qt::QueuedConnection);
    QCOMPARE(setup.facade->SetModelPictureMode(ModelMatching::Mode_DefineModel), ModelMatchingErrors::NoError);
    QCOMPARE(received, 0);
    QTRY_COMPARE(received, int(ModelMatching::Mode_DefineModel));
}

void tst_ModelMatchingFacade::newTemplateIsRelayed()
{
    ModelMatchingSetup setup(false);
    QSignalSpy spy(setup.facade.get(), &ModelMatching::signal_SettingChanged);
    const Hobject picture = CrossScenes::crossTemplate();
    QCOMPARE(setup.facade->SetModelPicture(picture), ModelMatchingErrors::NoError);
    QCOMPARE(spy.size(), 1);
    QVERIFY(setup.facade->GetModelPictureCopy().SharesElementsWith(picture));
    // Something that is not a picture is refused and changes nothing.
    QCOMPARE(int(setup.facade->SetModelPicture(HalconTestPictures::rectangleRegion(0, 0, 9, 9))), 41);
    QCOMPARE(int(setup.facade->SetModelPicture(Hobject())), 41);
    QCOMPARE(spy.size(), 1);
    QVERIFY(setup.facade->GetModelPictureCopy().SharesElementsWith(picture));
}

void tst_ModelMatchingFacade::partsThatGoAwayAreForgotten()
{
    ModelMatchingSetup setup;
    setup.addCrossRoi();
    QCOMPARE(setup.createCrossModel(), ModelMatchingErrors::NoError);
    setup.searcher.reset();
    QVERIFY(!setup.facade->GetSearchWorker());
    ModelMatchingSearchResult r;
    QCOMPARE(setup.facade->SearchModel(ModelMatchingSearchParameters(), r), ModelMatchingErrors::GeneralError);
    // Creation goes on without a search worker to hand the model to.
    QCOMPARE(setup.createCrossModel(), ModelMatchingErrors::NoError);
    QVERIFY(setup.creator->GetModel());
    setup.picture.reset();
    QCOMPARE(setup.facade->GetMode(), 0);
    QCOMPARE(setup.createCrossModel(), ModelMatchingErrors::GeneralError);
}

void tst_ModelMatchingFacade::replacedPictureSourceIsNoLongerRelayed()
{
    ModelMatchingSetup setup(false);
    ModelMatching_ModelPicture second(setup.facade.get(), QStringLiteral("other"), true);
    QCOMPARE(setup.facade->GetModelPictureSource(), &second);
    QSignalSpy spy(setup.facade.get(), &ModelMatching::signal_ModeChanged);
    QCOMPARE(setup.picture->SetMode(ModelMatching::Mode_DefineModel), ModelMatchingErrors::NoError);
    QCOMPARE(spy.size(), 0);
    QCOMPARE(second.SetMode(ModelMatching::Mode_DefineModel), ModelMatchingErrors::NoError);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(setup.facade->GetModelPictureFileName(QStringLiteral("Plate")), QStringLiteral("Plate.other.modelpicture.png"));
}

void tst_ModelMatchingFacade::clearModels()
{
    ModelMatchingSetup setup;
    setup.addCrossRoi();
    QCOMPARE(setup.createCrossModel(), ModelMatchingErrors::NoError);
    ModelMatchingShapeModelPtr model = setup.searcher->GetModel();
    const Hlong handle = model->Id();
    QCOMPARE(setup.facade->ClearModels(), ModelMatchingErrors::NoError);
    QVERIFY(!setup.creator->GetModel() && !setup.searcher->GetModel());
    // Whoever still holds the model may use it; the last holder frees it.
    HTuple row, column;
    QCOMPARE(get_shape_model_origin(HTuple(handle), &row, &column), kSuccess);
    QCOMPARE(model.use_count(), 1L);
    model.reset();
    QCOMPARE(get_shape_model_origin(HTuple(handle), &row, &column), kErrInvalidHandle);
}

void tst_ModelMatchingFacade::initTestCase()
{
    runOperatorsSeriallyUnderThreadChecker();
}

QTEST_MAIN(tst_ModelMatchingFacade)
#include "tst_ModelMatchingFacade.moc"
