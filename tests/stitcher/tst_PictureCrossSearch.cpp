#include <PictureCrossSearch.h>

#include <Halcon.h>

#include <QtTest>
#include <ThreadChecker.h>

#include <cmath>

using namespace Halcon;

namespace {

// A closed cross outline (arms reach 30, are 10 wide) around (row, column).
Hobject crossOutline(double row, double column)
{
    const double a = 30.0, w = 5.0;
    const double points[][2] = {{-a, -w}, {-w, -w}, {-w, -a}, {w, -a}, {w, -w}, {a, -w}, {a, w},
                                {w, w},   {w, a},   {-w, a}, {-w, w}, {-a, w}, {-a, -w}};
    HTuple rows, columns;
    for (const auto& p : points) {
        rows.Append(HValue(row + p[0]));
        columns.Append(HValue(column + p[1]));
    }
    Hobject contour;
    gen_contour_polygon_xld(&contour, rows, columns);
    return contour;
}

ModelMatchingSearchResult match(const Hobject& modelContour)
{
    ModelMatchingSearchResult result;
    result.Found = true;
    result.Score = 0.93;
    result.Transform = ModelMatchingTransform(200.0, 150.0, 0.0, 0.0, 1.01, 44.5, true);
    result.ModelContour = modelContour;
    return result;
}

const double kDefaultFactor = 1.0 + 8.3 / 246.1;

} // namespace

class tst_PictureCrossSearch : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void matchWithOneContourIsFound();
    void noMatchIsNotFound();
    void contourWithoutSingleCentreIsNotFound();
    void cutLine_data();
    void cutLine();
};

void tst_PictureCrossSearch::matchWithOneContourIsFound()
{
    PictureCross cross;
    cross.pictureIndex = 2;
    cross.pointIndex = 1;
    QCOMPARE(PictureCrossSearch::evaluate(match(crossOutline(100.0, 100.0)), kDefaultFactor, 2000, 1500, cross),
             Errors::Type_Error(0));
    QVERIFY(cross.found);
    QCOMPARE(cross.errorCode, Errors::Type_Error(0));
    QCOMPARE(cross.score, 0.93);
    QCOMPARE(cross.scale, 1.01);
    QCOMPARE(cross.angle, 44.5);
    QCOMPARE(cross.name, QStringLiteral("HalconObject_Stitcher_Cross.Position.2.1."));
    QVERIFY(std::abs(cross.rowCenter - 100.0) < 1e-6 && std::abs(cross.colCenter - 100.0) < 1e-6);
    // Carried away from the picture centre (1000, 750) by 1 + 8.3 / 246.1.
    QVERIFY2(std::abs(cross.colCenterOnAgar - 69.6465) < 1e-3, qPrintable(QString::number(cross.colCenterOnAgar)));
    QVERIFY2(std::abs(cross.rowCenterOnAgar - 78.0780) < 1e-3, qPrintable(QString::number(cross.rowCenterOnAgar)));
}

void tst_PictureCrossSearch::noMatchIsNotFound()
{
    ModelMatchingSearchResult result;
    result.Score = 0.2;
    PictureCross cross;
    QCOMPARE(PictureCrossSearch::evaluate(result, kDefaultFactor, 2000, 1500, cross), PictureCrossSearch::CrossNotFound);
    QVERIFY(!cross.found);
    QCOMPARE(cross.errorCode, PictureCrossSearch::CrossNotFound);
    QCOMPARE(cross.score, 0.2);
    QVERIFY(cross.hobjContour.IsEmpty());
}

// Two pieces too far apart to be joined give no single centre: the cross must not count as
// found, or the stitch would place its picture by a centre of (0, 0).
void tst_PictureCrossSearch::contourWithoutSingleCentreIsNotFound()
{
    Hobject pieces;
    concat_obj(crossOutline(100.0, 100.0), crossOutline(600.0, 900.0), &pieces);
    PictureCross cross;
    QCOMPARE(PictureCrossSearch::evaluate(match(pieces), kDefaultFactor, 2000, 1500, cross),
             PictureCrossSearch::CrossNotFound);
    QVERIFY(!cross.found);
    QCOMPARE(cross.errorCode, PictureCrossSearch::CrossNotFound);
    QCOMPARE(cross.rowCenterOnAgar, 0.0);
    QCOMPARE(cross.colCenterOnAgar, 0.0);
}

void tst_PictureCrossSearch::cutLine_data()
{
    QTest::addColumn<double>("row");
    QTest::addColumn<bool>("horizontal");
    QTest::newRow("near the top edge") << 100.0 << false;
    QTest::newRow("row 150") << 150.0 << true;
    QTest::newRow("row 1350") << 1350.0 << true;
    QTest::newRow("below row 1350") << 1350.5 << false;
}

void tst_PictureCrossSearch::cutLine()
{
    QFETCH(double, row);
    QFETCH(bool, horizontal);
    PictureCross cross;
    cross.rowCenter = row;
    cross.rowCenterOnAgar = row + 3.0;
    cross.colCenterOnAgar = 420.0;
    HTuple row1, column1, row2, column2;
    QCOMPARE(smallest_rectangle1_xld(PictureCrossSearch::cutLine(cross, 2000, 1500), &row1, &column1, &row2, &column2),
             kSuccess);
    if (horizontal) {
        QCOMPARE(row1.D(), row + 3.0);
        QCOMPARE(row2.D(), row + 3.0);
        QCOMPARE(column1.D(), 0.0);
        QCOMPARE(column2.D(), 2000.0);
    } else {
        QCOMPARE(column1.D(), 420.0);
        QCOMPARE(column2.D(), 420.0);
        QCOMPARE(row1.D(), 0.0);
        QCOMPARE(row2.D(), 1500.0);
    }
}

void tst_PictureCrossSearch::initTestCase()
{
    runOperatorsSeriallyUnderThreadChecker();
}

QTEST_GUILESS_MAIN(tst_PictureCrossSearch)
#include "tst_PictureCrossSearch.moc"
