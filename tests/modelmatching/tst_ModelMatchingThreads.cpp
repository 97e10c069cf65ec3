#include "ModelMatchingSetup.h"

#include <Halcon.h>
#include <HalconTestPictures.h>
#include <ModelMatchingErrors.h>

#include <QSemaphore>
#include <QtTest>
#include <ThreadChecker.h>

#include <atomic>
#include <cmath>
#include <thread>

using namespace Halcon;
using CrossScenes::Placement;

namespace {

constexpr int kWaitMs = 60000;

const Placement kCross{300.4, 400.6, 44.0, 1.0};

ModelMatchingSearchParameters crossSearch(const Hobject& view)
{
    return ModelMatchingSetup::stitcherSearch(view, CrossScenes::searchArea(150, 250, 450, 550));
}

// Edits that would break a creation or search reading the live record or template.
void spoilEverything(ModelMatchingSetup& setup)
{
    {
        const auto lock = setup.facade->LockSettings();
        setup.settings.Filter.Shock = {true, 0};
        setup.settings.Model.MatchMetric = 9;
        setup.settings.Model.ROI = {{1, 0.0, 0.0, 1.0, 1.0, 0.0}};
        setup.settings.SearchTolerance.AngleTolerance = 0.0;
    }
    setup.facade->SetModelPicture(HalconTestPictures::grayImage(50, 40, [](int, int) { return 128; }));
    setup.facade->SetModelPictureMode(ModelMatching::Mode_DefineModel);
}

} // namespace

class tst_ModelMatchingThreads : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void searchReadsTheRecordAsItWasAtItsStart();
    void creationReadsTheRecordAsItWasAtItsStart();
    void searchesBesideEditsAndNewModels();
};

void tst_ModelMatchingThreads::searchReadsTheRecordAsItWasAtItsStart()
{
    ModelMatchingSetup setup;
    setup.addCrossRoi();
    QCOMPARE(setup.createCrossModel(), ModelMatchingErrors::NoError);
    const Hobject view = CrossScenes::view({kCross});

    QSemaphore started, edited;
    setup.searcher->setSnapshotHook([&] {
        started.release();
        edited.tryAcquire(1, kWaitMs);
    });
    ModelMatchingSearchResult r;
    Errors::Type_Error error = -1;
    std::thread search([&] { error = setup.facade->SearchModel(crossSearch(view), r); });
    QVERIFY(started.tryAcquire(1, kWaitMs));
    // The search has taken its copies: now the editors change everything and drop the model.
    spoilEverything(setup);
    QCOMPARE(setup.facade->ClearModels(), ModelMatchingErrors::NoError);
    edited.release();
    search.join();
    QCOMPARE(error, ModelMatchingErrors::NoError);
    QVERIFY(r.Found);
    QVERIFY(std::abs(r.Transform.Angle - kCross.angle) < 0.05);

    // The next search sees the edits.
    setup.searcher->setSnapshotHook({});
    QCOMPARE(setup.facade->SearchModel(crossSearch(view), r), ModelMatchingErrors::NoModel);
}

void tst_ModelMatchingThreads::creationReadsTheRecordAsItWasAtItsStart()
{
    ModelMatchingSetup setup;
    setup.addCrossRoi();
    QSemaphore made, edited;
    setup.creator->setCreatedHook([&](Hlong) {
        made.release();
        edited.tryAcquire(1, kWaitMs);
    });
    ModelMatchingCreateResult r;
    Errors::Type_Error error = -1;
    std::thread create([&] { error = setup.createCrossModel(&r); });
    QVERIFY(made.tryAcquire(1, kWaitMs));
    spoilEverything(setup);
    edited.release();
    create.join();
    QCOMPARE(error, ModelMatchingErrors::NoError);
    QVERIFY(setup.searcher->GetModel());
    // Made from the cross region of the cross template.
    Hobject domain;
    get_domain(r.ModelPicture, &domain);
    HTuple area, row, column;
    area_center(domain, &area, &row, &column);
    QCOMPARE(area.L(), Hlong(161 * 161));
    ModelMatchingSearchResult found;
    {
        const auto lock = setup.facade->LockSettings();
        setup.settings = ModelMatchingSettings();
    }
    QCOMPARE(setup.facade->SearchModel(crossSearch(CrossScenes::view({kCross})), found), ModelMatchingErrors::NoError);
    QVERIFY(found.Found);
}

void tst_ModelMatchingThreads::searchesBesideEditsAndNewModels()
{
    ModelMatchingSetup setup;
    setup.addCrossRoi();
    QCOMPARE(setup.createCrossModel(), ModelMatchingErrors::NoError);
    const Hobject view = CrossScenes::view({kCross});
    constexpr int kSearches = 6;

    QSemaphore warm;
    std::atomic<int> found{0};
    std::atomic<int> failed{0};
    auto searches = [&] {
        for (int i = 0; i < kSearches; ++i) {
            // The first search of each thread runs before the edits begin.
            if (i == 1)
                warm.release();
            ModelMatchingSearchResult r;
            const Errors::Type_Error error = setup.facade->SearchModel(crossSearch(view), r);
            // A new model may be on its way: then there is briefly none.
            if (error == 0 && r.Found)
                ++found;
            else if (error != ModelMatchingErrors::NoModel)
                ++failed;
        }
    };
    std::thread first(searches), second(searches);
    QVERIFY(warm.tryAcquire(2, kWaitMs));
    for (int i = 0; i < 4; ++i) {
        {
            const auto lock = setup.facade->LockSettings();
            setup.settings.SearchPosition.PositionX = 10.0 + i;
            setup.settings.Filter.Median.Mode = i; // not used: never examined
            setup.settings.Model.ContrastLow = i;
        }
        setup.facade->SetModelPicture(CrossScenes::crossTemplate(unsigned(20 + i)));
        QCOMPARE(setup.createCrossModel(), ModelMatchingErrors::NoError);
    }
    first.join();
    second.join();
    QCOMPARE(failed.load(), 0);
    QVERIFY(found.load() >= 2);
}

void tst_ModelMatchingThreads::initTestCase()
{
    runOperatorsSeriallyUnderThreadChecker();
}

QTEST_MAIN(tst_ModelMatchingThreads)
#include "tst_ModelMatchingThreads.moc"
