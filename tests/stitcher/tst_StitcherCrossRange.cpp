// The stitcher as the main window sets it up, its settings editor beside the record: the
// editor hides the cross model's search tolerances, so every cross is searched over the
// stitcher's own range of 45 +- 49 degrees, whatever tolerances a settings file holds.

#include "StitcherSettingsGuiFixture.h"
#include "StitcherTestSetup.h"

#include <CorrectionInfo.h>
#include <ImageStitcherSettingsGui.h>

#include <QDockWidget>
#include <QtTest>
#include <ThreadChecker.h>

#include <cmath>
#include <numbers>
#include <vector>

class tst_StitcherCrossRange : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void crossesAcrossTheWholeRange_data();
    void crossesAcrossTheWholeRange();
};

void tst_StitcherCrossRange::initTestCase()
{
    runOperatorsSeriallyUnderThreadChecker();
    PictureCross::registerMetaType();
}

void tst_StitcherCrossRange::crossesAcrossTheWholeRange_data()
{
    QTest::addColumn<std::vector<double>>("angles");
    // A file's tolerances (3 degrees about 45) would miss these, or clamp them to 42 or 48.
    QTest::newRow("far from 45") << std::vector<double>{-3.0, 12.5, 38.0, 52.0, 77.5, 93.0};
    QTest::newRow("just beyond 45 +- 3") << std::vector<double>{40.5, 41.0, 45.0, 49.0, 49.5, 30.0};
}

void tst_StitcherCrossRange::crossesAcrossTheWholeRange()
{
    QFETCH(std::vector<double>, angles);
    CorrectionInfo::resetCurrent();
    PlateScenes::TrayOptions options = StitcherTestSetup::trayOptions();
    options.crossAngles = angles;
    const PlateScenes::TrayScene tray = PlateScenes::generateTray(options);
    StitcherTestSetup::Stitcher stitcher(options);
    QVERIFY(stitcher.settings.data().CrossModel.SearchTolerance.Used);
    StitcherSettingsGuiFixture::FakeHost host(&stitcher.settings);
    StitcherSettingsGuiFixture::PositionViews positions;
    Hobject_View_Gui crossView;
    QDockWidget dock;
    const ImageStitcherSettingsGui editor(&host, positions.list(), &crossView, &stitcher.settings,
                                          stitcher.crossModel.get(), &dock);
    // The editor's template picture editor holds the template now.
    QCOMPARE(stitcher.crossModel->SetModelPicture(PlateScenes::trayCrossTemplate(options)), Errors::Type_Error(0));
    QCOMPARE(stitcher.createModel(), Errors::Type_Error(0));

    QCOMPARE(stitcher.run(StitcherTestSetup::viewsOf(tray)), Errors::Type_Error(0));
    const std::vector<StitcherTestSetup::ReportedCross> crosses = StitcherTestSetup::reportedCrosses(stitcher.page, tray);
    QCOMPARE(crosses.size(), size_t(12));
    for (const StitcherTestSetup::ReportedCross& reported : crosses) {
        const PictureCross& cross = reported.cross;
        const size_t k = size_t(reported.point);
        const double truth = tray.crosses[size_t(reported.view->crossIndex[k])].angle * 180.0 / std::numbers::pi;
        const QByteArray where = QByteArray("picture ") + QByteArray::number(reported.pictureIndex) + ", point "
            + QByteArray::number(reported.point) + ": " + QByteArray::number(truth) + " degrees, found "
            + QByteArray::number(cross.found) + " at " + QByteArray::number(cross.angle);
        QVERIFY2(cross.found, where.constData());
        // A cross looks alike turned by 90 degrees.
        QVERIFY2(std::fabs(std::remainder(cross.angle - truth, 90.0)) < 0.1, where.constData());
        QVERIFY2(std::abs(cross.rowCenterOnAgar - reported.view->agarRow[k]) < 0.25
                     && std::abs(cross.colCenterOnAgar - reported.view->agarColumn[k]) < 0.25,
                 where.constData());
    }
}

QTEST_MAIN(tst_StitcherCrossRange)
#include "tst_StitcherCrossRange.moc"
