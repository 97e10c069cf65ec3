#include <Halcon.h>
#include <HalconTestPictures.h>
#include <ModelMatchingErrors.h>
#include <ModelMatchingPrefilter.h>

#include <QtTest>
#include <ThreadChecker.h>

#include <cmath>

using namespace Halcon;
using Filter = ModelMatchingSettings::FilterData;

namespace {

const Hobject kRegion = HalconTestPictures::rectangleRegion(40, 40, 119, 159);

Filter only(int which, int mode)
{
    Filter f;
    ModelMatchingSettings::FilterStepData* steps[] = {&f.Median, &f.Shock, &f.Emphasize};
    steps[which]->Used = true;
    steps[which]->Mode = mode;
    return f;
}

// Flat 200 with a dark speck of radius 2 at (80, 60), a blurred step from 40 to 200 at
// column 130 and a faint bump of +4 grey at (80, 100).
Hobject testPicture()
{
    return HalconTestPictures::grayImage(200, 160, [](int r, int c) {
        if (c >= 120) {
            return int(std::lround(40.0 + 160.0 / (1.0 + std::exp(-(c - 129.5) / 2.5))));
        }
        if ((r - 80) * (r - 80) + (c - 60) * (c - 60) <= 4)
            return 50;
        if (std::abs(r - 80) <= 1 && std::abs(c - 100) <= 1)
            return 204;
        return 200;
    });
}

int edgeWidth(const Hobject& image, int row)
{
    int count = 0;
    for (int c = 120; c < 150; ++c) {
        const int v = HalconTestPictures::pixel(image, row, c);
        count += v > 50 && v < 190 ? 1 : 0;
    }
    return count;
}

} // namespace

class tst_ModelMatchingPrefilter : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void withoutFilterThePictureStays();
    void modeOutOfRange_data();
    void modeOutOfRange();
    void domainIsTheRegionGrown();
    void medianStrengthDecidesWhatIsRemoved_data();
    void medianStrengthDecidesWhatIsRemoved();
    void shockSteepensEdges();
    void emphasizeRaisesFaintDetail();
};

void tst_ModelMatchingPrefilter::withoutFilterThePictureStays()
{
    const Hobject picture = testPicture();
    Filter filter;
    filter.Median.Mode = 0; // not used, so never examined
    Hobject filtered;
    int status = 2;
    QCOMPARE(ModelMatchingPrefilter::Apply(picture, kRegion, filter, filtered, status), ModelMatchingErrors::NoError);
    QVERIFY(filtered.SharesElementsWith(picture));
    QCOMPARE(status, 2);
}

void tst_ModelMatchingPrefilter::modeOutOfRange_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<int>("mode");
    QTest::newRow("median 0") << 0 << 0;
    QTest::newRow("median 10") << 0 << 10;
    QTest::newRow("shock -1") << 1 << -1;
    QTest::newRow("emphasize 10") << 2 << 10;
}

void tst_ModelMatchingPrefilter::modeOutOfRange()
{
    QFETCH(int, which);
    QFETCH(int, mode);
    Filter filter = only(which, mode);
    filter.Shock.Used = true; // a valid filter beside it does not hide the fault
    if (which == 1)
        filter.Shock.Mode = mode;
    Hobject filtered = testPicture();
    int status = 2;
    QCOMPARE(ModelMatchingPrefilter::Apply(testPicture(), kRegion, filter, filtered, status),
             ModelMatchingErrors::GeneralError);
    QVERIFY(filtered.IsEmpty());
}

void tst_ModelMatchingPrefilter::domainIsTheRegionGrown()
{
    Hobject filtered, domain, grown;
    int status = 2;
    QCOMPARE(ModelMatchingPrefilter::Apply(testPicture(), kRegion, only(1, 3), filtered, status),
             ModelMatchingErrors::NoError);
    get_domain(filtered, &domain);
    HTuple row1, column1, row2, column2;
    smallest_rectangle1(domain, &row1, &column1, &row2, &column2);
    // 30 x 30 centred on each pixel: 15 on one side, 14 on the other.
    QCOMPARE(row2.L() - row1.L(), Hlong(119 - 40 + 29));
    QCOMPARE(column2.L() - column1.L(), Hlong(159 - 40 + 29));
    HTuple area;
    HTuple r, c;
    area_center(domain, &area, &r, &c);
    QCOMPARE(area.L(), Hlong((119 - 40 + 30) * (159 - 40 + 30)));
}

void tst_ModelMatchingPrefilter::medianStrengthDecidesWhatIsRemoved_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("removed");
    QTest::newRow("mode 1: radius 1 keeps a speck of radius 2") << 1 << false;
    QTest::newRow("mode 2: radius 3 removes it") << 2 << true;
    QTest::newRow("mode 9: radius 17 removes it") << 9 << true;
}

void tst_ModelMatchingPrefilter::medianStrengthDecidesWhatIsRemoved()
{
    QFETCH(int, mode);
    QFETCH(bool, removed);
    Hobject filtered;
    int status = 2;
    QCOMPARE(ModelMatchingPrefilter::Apply(testPicture(), kRegion, only(0, mode), filtered, status),
             ModelMatchingErrors::NoError);
    QCOMPARE(HalconTestPictures::pixel(filtered, 80, 60) == 200, removed);
}

void tst_ModelMatchingPrefilter::shockSteepensEdges()
{
    const Hobject picture = testPicture();
    Hobject filtered;
    int status = 2;
    QCOMPARE(ModelMatchingPrefilter::Apply(picture, kRegion, only(1, 3), filtered, status),
             ModelMatchingErrors::NoError);
    QVERIFY(edgeWidth(filtered, 80) < edgeWidth(picture, 80));
    QCOMPARE(HalconTestPictures::pixel(filtered, 80, 60), 50); // the speck's flat centre stays
}

void tst_ModelMatchingPrefilter::emphasizeRaisesFaintDetail()
{
    const Hobject picture = testPicture();
    Hobject filtered;
    int status = 2;
    QCOMPARE(ModelMatchingPrefilter::Apply(picture, kRegion, only(2, 1), filtered, status),
             ModelMatchingErrors::NoError);
    // A bump of 4 grey levels over its 5 x 5 surroundings, amplified thirtyfold, saturates.
    QCOMPARE(HalconTestPictures::pixel(filtered, 80, 100), 255);
    QCOMPARE(HalconTestPictures::pixel(filtered, 60, 90), 200); // flat stays flat
}

void tst_ModelMatchingPrefilter::initTestCase()
{
    runOperatorsSeriallyUnderThreadChecker();
}

QTEST_GUILESS_MAIN(tst_ModelMatchingPrefilter)
#include "tst_ModelMatchingPrefilter.moc"
