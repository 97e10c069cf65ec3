#include "StitcherTestSetup.h"

#include <CorrectionInfo.h>
#include <Halcon_Helper.h>
#include <PictureStitching.h>

#include <Halcon.h>

#include <QtTest>
#include <ThreadChecker.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

using Report = FakeImageStitcherPage::Report;
using StitcherTestSetup::Stitcher;

namespace {

// The green plane of a three-channel byte picture, read in place.
struct GreenPlane {
    explicit GreenPlane(const Halcon::Hobject& image)
    {
        Halcon::Hlong red = 0, green = 0, blue = 0, w = 0, h = 0;
        char type[16] = {};
        if (Halcon::get_image_pointer3(image, &red, &green, &blue, type, &w, &h) != Halcon::kSuccess)
            return;
        pixels = reinterpret_cast<const unsigned char*>(static_cast<std::intptr_t>(green));
        width = int(w);
        height = int(h);
    }
    int at(int row, int column) const { return pixels[size_t(row) * size_t(width) + size_t(column)]; }

    const unsigned char* pixels = nullptr;
    int width = 0;
    int height = 0;
};

// Mean absolute difference of the green channel inside the frame rectangle, leaving out what
// does not lie on the agar plane (crosses, reference marks) and so shows at a different place
// in every view. -1 when no pixel was compared.
double meanDifference(const Halcon::Hobject& stitched, const Halcon::Hobject& original, const PlateScenes::TrayScene& tray,
                      int row1, int column1, int row2, int column2)
{
    const GreenPlane a(stitched), b(original);
    if (!a.pixels || !b.pixels)
        return -1.0;
    const double crossReach = tray.crossHalfLength * 1.6;
    const double markReach = tray.markRadius * 2.5;
    double sum = 0.0;
    int count = 0;
    for (int row = std::max(0, row1); row < std::min({row2, a.height, b.height}); row += 2) {
        for (int column = std::max(0, column1); column < std::min({column2, a.width, b.width}); column += 2) {
            bool elsewhere = false;
            for (const PlateScenes::TrayCross& cross : tray.crosses)
                elsewhere = elsewhere || std::hypot(row - cross.row, column - cross.column) < crossReach;
            for (size_t k = 0; k < 4; ++k)
                elsewhere = elsewhere
                    || std::hypot(row - tray.markRows[k], column - tray.markColumns[k]) < markReach;
            if (elsewhere)
                continue;
            sum += std::abs(a.at(row, column) - b.at(row, column));
            ++count;
        }
    }
    return count ? sum / count : -1.0;
}

bool anyCrossReportedFound(const FakeImageStitcherPage& page)
{
    for (const Report& r : page.reports(Report::Crosses))
        if (r.cross1.found || r.cross2.found)
            return true;
    return false;
}

} // namespace

class tst_ImageStitcherRun : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void stitchesTheGeneratedTray();
    void viewWithoutItsCross_data();
    void viewWithoutItsCross();
    void pictureListsThatCannotBeStitched_data();
    void pictureListsThatCannotBeStitched();
    void searchesTheCrossModelTakenAtTheStart();
    void defineModelModeMakesTheModel();
    void withoutCrossModel();
};

void tst_ImageStitcherRun::initTestCase()
{
    runOperatorsSeriallyUnderThreadChecker();
    PictureCross::registerMetaType();
    StitcherTestSetup::tray();
}

void tst_ImageStitcherRun::init()
{
    CorrectionInfo::resetCurrent();
}

void tst_ImageStitcherRun::stitchesTheGeneratedTray()
{
    Stitcher stitcher;
    QCOMPARE(stitcher.createModel(), Errors::Type_Error(0));
    const PlateScenes::TrayScene& tray = StitcherTestSetup::tray();
    QCOMPARE(stitcher.run(StitcherTestSetup::viewsOf(tray)), Errors::Type_Error(0));
    QCOMPARE(stitcher.page.states().constLast(), QStringLiteral("Done!"));

    // Every cross, where the truth has it on the agar plane.
    const std::vector<StitcherTestSetup::ReportedCross> crosses = StitcherTestSetup::reportedCrosses(stitcher.page, tray);
    QCOMPARE(crosses.size(), size_t(12));
    for (const StitcherTestSetup::ReportedCross& reported : crosses) {
        const PictureCross& cross = reported.cross;
        const size_t k = size_t(reported.point);
        QVERIFY(cross.found);
        QCOMPARE(cross.errorCode, Errors::Type_Error(0));
        QCOMPARE(cross.pointIndex, reported.point);
        QVERIFY2(std::abs(cross.rowCenterOnAgar - reported.view->agarRow[k]) < 0.25
                     && std::abs(cross.colCenterOnAgar - reported.view->agarColumn[k]) < 0.25,
                 qPrintable(QStringLiteral("picture %1, point %2").arg(reported.pictureIndex).arg(k)));
    }

    // The chained offsets: each view's optical axis lies at its origin plus its centre.
    const std::vector<Report> axes = stitcher.page.reports(Report::OpticalAxis);
    QCOMPARE(axes.size(), size_t(6));
    for (const Report& axis : axes) {
        const PlateScenes::TrayView& view = tray.views[size_t(axis.pictureIndex)];
        QVERIFY2(std::abs(axis.row - (view.row + tray.viewHeight / 2)) < 0.5
                     && std::abs(axis.column - (view.column + tray.viewWidth / 2)) < 0.5,
                 qPrintable(QStringLiteral("picture %1: %2, %3").arg(axis.pictureIndex).arg(axis.row).arg(axis.column)));
    }

    // The stitched picture is the frame: everywhere, and at the seams where views overlap.
    const std::vector<Report> stitchedReports = stitcher.page.reports(Report::StitchedPicture);
    QCOMPARE(stitchedReports.size(), size_t(1));
    const Halcon::Hobject& stitched = stitchedReports.front().picture;
    int width = 0, height = 0;
    QCOMPARE(Halcon_Helper::GetImageSize(stitched, width, height), Errors::Type_Error(0));
    QVERIFY2(std::abs(width - tray.width) <= 1 && std::abs(height - tray.height) <= 1,
             qPrintable(QStringLiteral("%1 x %2").arg(width).arg(height)));
    const Halcon::Hobject original = PlateScenes::renderTrayWindow(tray, 0.0, 0.0, width, height);
    const double whole = meanDifference(stitched, original, tray, 0, 0, height, width);
    QVERIFY2(whole >= 0.0 && whole < 2.5, qPrintable(QString::number(whole)));
    const auto& v = tray.views;
    const int seamColumn = int(std::lround((v[0].column + v[0].agarColumn[0])));
    QVERIFY(meanDifference(stitched, original, tray, 0, seamColumn - 40, height, seamColumn + 40) < 2.5);
    for (int n : {0, 1, 3, 4}) {
        const int seamRow = int(std::lround(v[size_t(n)].row + v[size_t(n)].agarRow[1]));
        const int left = n < 3 ? 0 : seamColumn;
        QVERIFY2(meanDifference(stitched, original, tray, seamRow - 40, left, seamRow + 40, left + tray.viewWidth) < 2.5,
                 qPrintable(QStringLiteral("seam below picture %1").arg(n + 1)));
    }

    // The correction handed to the next colony analysis: the corner views' axes, the factor.
    StitcherResult result;
    std::vector<Errors::Type_Error> codes;
    stitcher.page.replayInto(result, stitcher.settings.data(), &codes);
    QCOMPARE(codes, std::vector<Errors::Type_Error>{0});
    const CorrectionInfo correction = CorrectionInfo::current();
    QCOMPARE(correction.Factor, 1.0 - 2.5 / 246.1);
    QCOMPARE(correction.Points.size(), 4);
    const int corners[] = {0, 3, 2, 5};
    for (int i = 0; i < 4; ++i) {
        const PlateScenes::TrayView& view = v[size_t(corners[i])];
        QVERIFY(std::abs(correction.Points[i].Row - (view.row + tray.viewHeight / 2)) < 0.5);
        QVERIFY(std::abs(correction.Points[i].Column - (view.column + tray.viewWidth / 2)) < 0.5);
    }
}

void tst_ImageStitcherRun::viewWithoutItsCross_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<int>("point");
    QTest::newRow("first picture, cross shared with the right column") << 0 << 0;
    QTest::newRow("fifth picture, cross shared with the sixth") << 4 << 1;
}

// A cross that is not there: the other crosses are still searched, but nothing is stitched
// and the correction is not published.
void tst_ImageStitcherRun::viewWithoutItsCross()
{
    QFETCH(int, view);
    QFETCH(int, point);
    Stitcher stitcher;
    QCOMPARE(stitcher.createModel(), Errors::Type_Error(0));
    const PlateScenes::TrayScene tray = PlateScenes::generateTray(StitcherTestSetup::trayOptions(view, point));
    CorrectionInfo published;
    published.append({10.0, 20.0});
    published.Factor = 0.5;
    CorrectionInfo::setCurrent(published);

    QCOMPARE(stitcher.run(StitcherTestSetup::viewsOf(tray)), PictureCrossSearch::CrossNotFound);
    const std::vector<Report> crosses = stitcher.page.reports(Report::Crosses);
    QCOMPARE(crosses.size(), size_t(6));
    for (const Report& report : crosses) {
        for (int k = 0; k < 2; ++k) {
            const PictureCross& cross = k == 0 ? report.cross1 : report.cross2;
            const bool missing = report.pictureIndex == view && k == point;
            QCOMPARE(cross.found, !missing);
            QCOMPARE(cross.errorCode, missing ? PictureCrossSearch::CrossNotFound : Errors::Type_Error(0));
        }
    }
    QVERIFY(stitcher.page.reports(Report::OpticalAxis).empty());
    QVERIFY(stitcher.page.reports(Report::StitchedPicture).empty());
    QVERIFY(!stitcher.page.states().contains(QStringLiteral("Done!")));
    StitcherResult result;
    stitcher.page.replayInto(result, stitcher.settings.data());
    QVERIFY(result.stitchedPicture().IsEmpty());
    QVERIFY(CorrectionInfo::current().Points.isEmpty()); // the run's reset; no stitch followed
}

void tst_ImageStitcherRun::pictureListsThatCannotBeStitched_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("reported");
    QTest::newRow("no picture") << 0 << 0;
    QTest::newRow("five pictures") << 5 << 5;
    QTest::newRow("seven pictures") << 7 << 0;
}

void tst_ImageStitcherRun::pictureListsThatCannotBeStitched()
{
    QFETCH(int, count);
    QFETCH(int, reported);
    Stitcher stitcher;
    QCOMPARE(stitcher.createModel(), Errors::Type_Error(0));
    QList<Halcon::Hobject> pictures = StitcherTestSetup::viewsOf(StitcherTestSetup::tray());
    pictures.append(pictures.first());
    pictures = pictures.mid(0, count);
    QCOMPARE(stitcher.run(pictures), ImageStitcherThread::ErrorPictureCount);
    QCOMPARE(int(stitcher.page.reports(Report::Crosses).size()), reported);
    QVERIFY(stitcher.page.reports(Report::StitchedPicture).empty());
    QVERIFY(!stitcher.page.states().contains(QStringLiteral("Done!")));
}

// A model cleared and settings that no cross could pass, both while the run is searching:
// the run goes on with what it took at its start.
void tst_ImageStitcherRun::searchesTheCrossModelTakenAtTheStart()
{
    Stitcher stitcher;
    QCOMPARE(stitcher.createModel(), Errors::Type_Error(0));
    stitcher.page.onCrossesReported = [&](int pictureIndex) {
        if (pictureIndex != 0)
            return;
        stitcher.crossModel->ClearModels();
        const auto lock = stitcher.crossModel->LockSettings();
        stitcher.settings.data().CrossModel.Analyse.MinimumScore = 1.5;
    };
    QCOMPARE(stitcher.run(StitcherTestSetup::viewsOf(StitcherTestSetup::tray())), Errors::Type_Error(0));
    QCOMPARE(stitcher.page.reports(Report::StitchedPicture).size(), size_t(1));

    // The next run takes the edited state.
    stitcher.page.onCrossesReported = nullptr;
    stitcher.page.clearRecords();
    QCOMPARE(stitcher.run(StitcherTestSetup::viewsOf(StitcherTestSetup::tray())), Errors::Type_Error(10016));
    QVERIFY(stitcher.page.reports(Report::StitchedPicture).empty());
}

void tst_ImageStitcherRun::defineModelModeMakesTheModel()
{
    Stitcher stitcher;
    const QList<Halcon::Hobject> views = StitcherTestSetup::viewsOf(StitcherTestSetup::tray());
    QCOMPARE(stitcher.run(views), Errors::Type_Error(10016)); // no model yet
    QVERIFY(!anyCrossReportedFound(stitcher.page));

    QCOMPARE(stitcher.crossModel->SetModelPictureMode(ModelMatching::Mode_DefineModel), Errors::Type_Error(0));
    stitcher.page.clearRecords();
    QCOMPARE(stitcher.run(views), Errors::Type_Error(0));
    QCOMPARE(stitcher.page.states(), (QStringList{"Start image stitching...", "Start model creation...",
                                                  "Model creation 'Cross position' ...", "Done!"}));
    QVERIFY(stitcher.page.reports(Report::Crosses).empty());
    bool visible = false, selected = false;
    Halcon::Hobject contour;
    QVERIFY(stitcher.page.getHobjectView()->getObject(QStringLiteral("HalconObject_Stitcher_Cross.Model.Contour."),
                                                      contour, visible, selected));

    QCOMPARE(stitcher.crossModel->SetModelPictureMode(ModelMatching::Mode_Analyse), Errors::Type_Error(0));
    stitcher.page.clearRecords();
    QCOMPARE(stitcher.run(views), Errors::Type_Error(0));
    QCOMPARE(stitcher.page.reports(Report::StitchedPicture).size(), size_t(1));
}

// No facade, or a facade without its template picture: a code, never success without result.
void tst_ImageStitcherRun::withoutCrossModel()
{
    FakeImageStitcherPage page;
    ImageStitcherSettingsData settings;
    {
        ImageStitcherThread worker(&page, {}, settings, nullptr);
        QCOMPARE(worker.Start({}, settings, StitcherTestSetup::viewsOf(StitcherTestSetup::tray())), Errors::Type_Error(0));
        QVERIFY(page.stopped.tryAcquire(1, 60000));
        QTRY_COMPARE(worker.state(), qint32(ImageStitcherThread::StateIdle));
        bool running = true;
        QCOMPARE(worker.CheckRunning(running), ImageStitcherThread::ErrorNoCrossModel);
    }
    ModelMatching facade(QStringLiteral("CrossModel"), &settings.CrossModel);
    ImageStitcherThread worker(&page, {}, settings, &facade);
    QCOMPARE(worker.Start({}, settings, StitcherTestSetup::viewsOf(StitcherTestSetup::tray())), Errors::Type_Error(0));
    QVERIFY(page.stopped.tryAcquire(1, 60000));
    QTRY_COMPARE(worker.state(), qint32(ImageStitcherThread::StateIdle));
    bool running = true;
    QCOMPARE(worker.CheckRunning(running), ImageStitcherThread::ErrorNoCrossModel);
    QVERIFY(page.reports(Report::StitchedPicture).empty());
}

QTEST_MAIN(tst_ImageStitcherRun)
#include "tst_ImageStitcherRun.moc"
