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

using Report = FakeImageStitcherPage::Report;

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
    const std::vector<Report> crosses = stitcher.page.reports(Report::Crosses);
    QCOMPARE(crosses.size(), size_t(6));
    for (const Report& report : crosses) {
        const PlateScenes::TrayView& view = tray.views[size_t(report.pictureIndex)];
        for (int k = 0; k < 2; ++k) {
            const PictureCross& cross = k == 0 ? report.cross1 : report.cross2;
            const double truth = tray.crosses[size_t(view.crossIndex[size_t(k)])].angle * 180.0 / std::numbers::pi;
            const QByteArray where = QByteArray("picture ") + QByteArray::number(report.pictureIndex) + ", point "
                + QByteArray::number(k) + ": " + QByteArray::number(truth) + " degrees, found "
                + QByteArray::number(cross.found) + " at " + QByteArray::number(cross.angle);
            QVERIFY2(cross.found, where.constData());
            // A cross looks alike turned by 90 degrees.
            QVERIFY2(std::fabs(std::remainder(cross.angle - truth, 90.0)) < 0.1, where.constData());
            QVERIFY2(std::abs(cross.rowCenterOnAgar - view.agarRow[size_t(k)]) < 0.25
                         && std::abs(cross.colCenterOnAgar - view.agarColumn[size_t(k)]) < 0.25,
                     where.constData());
        }
    }
}

QTEST_MAIN(tst_StitcherCrossRange)
#include "tst_StitcherCrossRange.moc"
