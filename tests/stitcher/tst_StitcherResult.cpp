#include <CorrectionInfo.h>
#include <HalconTestPictures.h>
#include <StitcherResult.h>

#include <QtTest>

#include <limits>

namespace {

PictureCross crossOf(int picture, int point)
{
    PictureCross cross;
    cross.pictureIndex = picture;
    cross.pointIndex = point;
    cross.found = true;
    cross.rowCenter = 10.0 * picture + point;
    return cross;
}

// Six positions reported, each with its optical axis at (1000 + 100 n, 2000 + 100 n).
void reportAll(StitcherResult& result)
{
    for (int n = 0; n < 6; ++n)
        QVERIFY(result.addPictureCrosses(n, HalconTestPictures::grayImage(4, 4, [](int, int) { return 1; }),
                                         crossOf(n, 0), crossOf(n, 1)));
    for (int n = 0; n < 6; ++n)
        QVERIFY(result.addOpticalAxis(n, 1000.0 + 100 * n, 2000.0 + 100 * n));
}

CorrectionInfo someCorrection()
{
    CorrectionInfo correction;
    correction.append({1.0, 2.0});
    correction.Factor = 0.75;
    return correction;
}

const Halcon::Hobject& stitchedPicture()
{
    static const Halcon::Hobject picture = HalconTestPictures::grayImage(8, 8, [](int r, int c) { return r + c; });
    return picture;
}

} // namespace

class tst_StitcherResult : public QObject {
    Q_OBJECT
private slots:
    void init();
    void crossReportGrowsTheSlots();
    void reportsOutsideThePositionsChangeNothing();
    void stitchedPicturePublishesTheCornerAxes();
    void factorFromTheDistances_data();
    void factorFromTheDistances();
    void stitchedPictureWithoutCornerAxisIsRefused();
    void resetBringsBackTheStartState();
};

void tst_StitcherResult::init()
{
    CorrectionInfo::resetCurrent();
}

void tst_StitcherResult::crossReportGrowsTheSlots()
{
    StitcherResult result;
    QVERIFY(result.addPictureCrosses(3, stitchedPicture(), crossOf(3, 0), crossOf(3, 1)));
    QCOMPARE(result.pictureSlots().size(), 4);
    for (int n = 0; n < 3; ++n) {
        QVERIFY(result.pictureSlots()[n].picture.IsEmpty());
        QVERIFY(!result.pictureSlots()[n].cross1.found);
        QCOMPARE(result.pictureSlots()[n].row.ImageStitcherPictureID, Database::ID(-1));
    }
    const StitcherPictureSlot& slot = result.pictureSlots()[3];
    QCOMPARE(slot.row.PositionIndex, qint16(3));
    QCOMPARE(slot.cross1.rowCenter, 30.0);
    QCOMPARE(slot.cross2.rowCenter, 31.0);
    QCOMPARE(slot.row.rowOpticalAxis, 0.0);

    // A later report replaces the slot.
    QVERIFY(result.addPictureCrosses(3, stitchedPicture(), crossOf(5, 0), crossOf(5, 1)));
    QCOMPARE(result.pictureSlots().size(), 4);
    QCOMPARE(result.pictureSlots()[3].cross1.rowCenter, 50.0);
}

void tst_StitcherResult::reportsOutsideThePositionsChangeNothing()
{
    StitcherResult result;
    QVERIFY(!result.addPictureCrosses(-1, stitchedPicture(), crossOf(0, 0), crossOf(0, 1)));
    QVERIFY(!result.addPictureCrosses(6, stitchedPicture(), crossOf(0, 0), crossOf(0, 1)));
    QVERIFY(result.pictureSlots().isEmpty());
    QVERIFY(!result.addOpticalAxis(0, 1.0, 2.0));
    QVERIFY(result.addPictureCrosses(1, stitchedPicture(), crossOf(1, 0), crossOf(1, 1)));
    QVERIFY(!result.addOpticalAxis(2, 1.0, 2.0));
    QVERIFY(!result.addOpticalAxis(-1, 1.0, 2.0));
    QVERIFY(result.addOpticalAxis(1, 1.0, 2.0));
    QCOMPARE(result.pictureSlots()[1].row.colOpticalAxis, 2.0);
}

void tst_StitcherResult::stitchedPicturePublishesTheCornerAxes()
{
    StitcherResult result;
    reportAll(result);
    QCOMPARE(result.addStitchedPicture(stitchedPicture(), ImageStitcherSettingsData()), Errors::Type_Error(0));
    QCOMPARE(HalconTestPictures::maxPixelDifference(result.stitchedPicture(), stitchedPicture()), 0);

    const CorrectionInfo current = CorrectionInfo::current();
    QCOMPARE(current.Factor, 0.9898415278342138);
    // Positions 1, 4, 3, 6: top left, top right, bottom left, bottom right.
    QCOMPARE(current.Points, (QList<OpticalAxisPoint>{{1000, 2000}, {1300, 2300}, {1200, 2200}, {1500, 2500}}));
    QCOMPARE(result.row().ReferencePointsCorrection,
             QStringLiteral("Version = 1\r\nFactor = 0.989842\r\nCorrectionInfo.Count = 4\r\n"
                            "CorrectionInfo.OpticalAxisCol = 2000\r\nCorrectionInfo.OpticalAxisRow = 1000\r\n"
                            "CorrectionInfo.OpticalAxisCol = 2300\r\nCorrectionInfo.OpticalAxisRow = 1300\r\n"
                            "CorrectionInfo.OpticalAxisCol = 2200\r\nCorrectionInfo.OpticalAxisRow = 1200\r\n"
                            "CorrectionInfo.OpticalAxisCol = 2500\r\nCorrectionInfo.OpticalAxisRow = 1500"));
}

void tst_StitcherResult::factorFromTheDistances_data()
{
    QTest::addColumn<double>("cameraToCross");
    QTest::addColumn<double>("pointsToAgar");
    QTest::addColumn<double>("crossToPoints");
    QTest::addColumn<int>("code");
    QTest::addColumn<double>("factor");
    QTest::newRow("agar on the points plane") << 246.1 << 0.0 << 10.8 << 0 << 1.0;
    QTest::newRow("agar 5 mm nearer") << 250.0 << -5.0 << 10.0 << 0 << 0.98;
    QTest::newRow("camera on the cross plane") << 0.0 << -2.5 << 10.8 << 104 << 0.0;
    QTest::newRow("camera behind the cross plane") << -246.1 << -2.5 << 10.8 << 104 << 0.0;
    QTest::newRow("distance no number") << std::numeric_limits<double>::quiet_NaN() << -2.5 << 10.8 << 104 << 0.0;
    QTest::newRow("agar behind the camera") << 10.0 << -20.0 << 10.8 << 104 << 0.0;
}

void tst_StitcherResult::factorFromTheDistances()
{
    QFETCH(double, cameraToCross);
    QFETCH(double, pointsToAgar);
    QFETCH(double, crossToPoints);
    QFETCH(int, code);
    QFETCH(double, factor);
    ImageStitcherSettingsData settings;
    settings.DistanceCameraToCrossPlane = cameraToCross;
    settings.DistancePointsPlaneToAgarPlane = pointsToAgar;
    settings.DistanceCrossPlaneToPointsPlane = crossToPoints;
    CorrectionInfo::setCurrent(someCorrection());
    StitcherResult result;
    reportAll(result);
    QCOMPARE(result.addStitchedPicture(stitchedPicture(), settings), Errors::Type_Error(code));
    if (code == 0) {
        QCOMPARE(CorrectionInfo::current().Factor, factor);
        return;
    }
    QVERIFY(result.stitchedPicture().IsEmpty());
    QVERIFY(result.row().ReferencePointsCorrection.isEmpty());
    QVERIFY(CorrectionInfo::current() == someCorrection());
}

void tst_StitcherResult::stitchedPictureWithoutCornerAxisIsRefused()
{
    StitcherResult result;
    for (int n = 0; n < 6; ++n)
        result.addPictureCrosses(n, stitchedPicture(), crossOf(n, 0), crossOf(n, 1));
    for (int n : {0, 1, 2, 4, 5}) // position 4 (top right) has none
        result.addOpticalAxis(n, 1.0, 2.0);
    CorrectionInfo::setCurrent(someCorrection());
    QCOMPARE(result.addStitchedPicture(stitchedPicture(), ImageStitcherSettingsData()), StitcherResult::ErrorGeneral);
    QVERIFY(result.stitchedPicture().IsEmpty());
    QVERIFY(CorrectionInfo::current() == someCorrection());
}

void tst_StitcherResult::resetBringsBackTheStartState()
{
    StitcherResult result;
    reportAll(result);
    QCOMPARE(result.addStitchedPicture(stitchedPicture(), ImageStitcherSettingsData()), Errors::Type_Error(0));
    const QDateTime created(QDate(2024, 5, 6), QTime(7, 8, 9));
    result.reset(created, QStringLiteral("<settings/>"));
    QVERIFY(result.pictureSlots().isEmpty());
    QVERIFY(result.stitchedPicture().IsEmpty());
    QCOMPARE(result.row().CreatedDate, created);
    QCOMPARE(result.row().ImageStitcherSettings, QStringLiteral("<settings/>"));
    QVERIFY(result.row().ReferencePointsCorrection.isEmpty());
    QVERIFY(CorrectionInfo::current() == CorrectionInfo());
}

QTEST_GUILESS_MAIN(tst_StitcherResult)
#include "tst_StitcherResult.moc"
