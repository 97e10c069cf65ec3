#include <Halcon.h>
#include <HalconTestPictures.h>
#include <Hobject_View_Gui.h>
#include <ModelMatching.h>
#include <ModelMatchingContours.h>

#include <QtTest>
#include <ThreadChecker.h>

#include <cmath>

using namespace Halcon;

namespace {

Hobject polyline(std::initializer_list<std::pair<double, double>> points)
{
    HTuple rows, columns;
    for (const auto& [row, column] : points) {
        rows.Append(HValue(row));
        columns.Append(HValue(column));
    }
    Hobject contour;
    gen_contour_polygon_xld(&contour, rows, columns);
    return contour;
}

Hobject joined(std::initializer_list<Hobject> parts)
{
    Hobject all;
    for (const Hobject& part : parts)
        concat_obj(all, part, &all);
    return all;
}

Hlong countOf(const Hobject& object)
{
    Hlong n = 0;
    count_obj(object, &n);
    return n;
}

bool allClosed(const Hobject& contours)
{
    for (Hlong i = 1; i <= countOf(contours); ++i) {
        Hobject one;
        HTuple rows, columns;
        select_obj(contours, &one, i);
        get_contour_xld(one, &rows, &columns);
        const Hlong n = rows.Length();
        if (n < 3 || rows[0].D() != rows[n - 1].D() || columns[0].D() != columns[n - 1].D())
            return false;
    }
    return true;
}

// The outline of a square of side 20 from (10, 10) cut at its corners, `gap` left open at
// each: pieces that meet at right angles, so only the joining of ends can unite them. The
// sides are short enough that the merge's relative limit (1 % of a piece) stays below
// 0.2 px.
Hobject brokenSquare(double gap)
{
    return joined({polyline({{10, 10 + gap}, {10, 30}}), polyline({{10 + gap, 30}, {30, 30}}),
                   polyline({{30, 30 - gap}, {30, 10}}), polyline({{30 - gap, 10}, {10, 10}})});
}

} // namespace

class tst_ModelMatchingContours : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void roiToContour();
    void transformPoint_data();
    void transformPoint();
    void transformContourMatchesTransformPoint();
    void unsetTransform();
    void mergeDistances_data();
    void mergeDistances();
    void mergeStopsAtTheLargestDistance_data();
    void mergeStopsAtTheLargestDistance();
    void mergeJoinsBrokenEdgesAlongTheirLine();
    void mergeClosesASinglePiece();
    void longestContour();
    void contourCenter_data();
    void contourCenter();
};

void tst_ModelMatchingContours::roiToContour()
{
    Hobject_View_Gui viewer;
    viewer.setPicture(HalconTestPictures::grayImage(2000, 1000, [](int, int) { return 100; }), QStringLiteral("p"), false);
    Hobject contour;
    QVERIFY(ModelMatching::RoiToContour(&viewer, 10, 10, 30, 30, 0, contour));
    HTuple row1, column1, row2, column2;
    smallest_rectangle1_xld(contour, &row1, &column1, &row2, &column2);
    // Percent of the longer side for both coordinates: 200 .. 800 in rows as in columns.
    QCOMPARE(row1.D(), 200.0);
    QCOMPARE(column1.D(), 200.0);
    QCOMPARE(row2.D(), 800.0);
    QCOMPARE(column2.D(), 800.0);
    HTuple area, row, column, order;
    area_center_xld(contour, &area, &row, &column, &order);
    QCOMPARE(row.D(), 500.0);
    QCOMPARE(column.D(), 500.0);
}

void tst_ModelMatchingContours::transformPoint_data()
{
    QTest::addColumn<ModelMatchingTransform>("transform");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<double>("expectedX");
    QTest::addColumn<double>("expectedY");
    QTest::newRow("identity") << ModelMatchingTransform(3, 4, 0, 0, 1.0, 0.0, false) << 7.0 << 9.0 << 7.0 << 9.0;
    QTest::newRow("shift only") << ModelMatchingTransform(0, 0, 5, -2, 1.0, 0.0, false) << 7.0 << 9.0 << 12.0 << 7.0;
    QTest::newRow("scale about the pivot") << ModelMatchingTransform(10, 20, 0, 0, 2.0, 0.0, false) << 12.0 << 21.0
                                           << 14.0 << 22.0;
    // A quarter turn counter-clockwise on screen: right of the pivot becomes above it.
    QTest::newRow("quarter turn") << ModelMatchingTransform(10, 20, 0, 0, 1.0, 90.0, false) << 15.0 << 20.0 << 10.0
                                  << 15.0;
    QTest::newRow("doubled pivot turns about (20, 40)") << ModelMatchingTransform(10, 20, 0, 0, 1.0, 90.0, true)
                                                        << 25.0 << 40.0 << 20.0 << 35.0;
    QTest::newRow("scale, turn, then shift") << ModelMatchingTransform(0, 0, 100, 50, 2.0, 90.0, false) << 1.0 << 0.0
                                             << 100.0 << 48.0;
}

void tst_ModelMatchingContours::transformPoint()
{
    QFETCH(ModelMatchingTransform, transform);
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(double, expectedX);
    QFETCH(double, expectedY);
    double tx = 0.0, ty = 0.0;
    QVERIFY(ModelMatching::TransformPoint(x, y, transform, tx, ty));
    QVERIFY2(std::abs(tx - expectedX) < 1e-9 && std::abs(ty - expectedY) < 1e-9,
             qPrintable(QStringLiteral("(%1, %2)").arg(tx).arg(ty)));
}

void tst_ModelMatchingContours::transformContourMatchesTransformPoint()
{
    const ModelMatchingTransform transform(30, 40, -7.5, 12.25, 1.04, 37.0, true);
    const Hobject contour = polyline({{10, 10}, {15, 80}, {90, 45}});
    Hobject moved;
    QVERIFY(ModelMatching::TransformContour(contour, transform, moved));
    HTuple rows, columns, movedRows, movedColumns;
    get_contour_xld(contour, &rows, &columns);
    get_contour_xld(moved, &movedRows, &movedColumns);
    QCOMPARE(movedRows.Length(), rows.Length());
    for (Hlong i = 0; i < rows.Length(); ++i) {
        double x = 0.0, y = 0.0;
        ModelMatching::TransformPoint(columns[i].D(), rows[i].D(), transform, x, y);
        QVERIFY(std::abs(movedColumns[i].D() - x) < 1e-9);
        QVERIFY(std::abs(movedRows[i].D() - y) < 1e-9);
    }
    // The output may be the input.
    Hobject same = contour;
    QVERIFY(ModelMatching::TransformContour(same, transform, same));
    HTuple sameRows, sameColumns;
    get_contour_xld(same, &sameRows, &sameColumns);
    QCOMPARE(sameRows, movedRows);
}

void tst_ModelMatchingContours::unsetTransform()
{
    // Scale 0 marks an unset transform, whatever the other fields say.
    const ModelMatchingTransform unset(10, 20, 30, 40, 0.0, 45.0, true);
    Hobject moved = polyline({{1, 1}, {2, 2}});
    QVERIFY(!ModelMatching::TransformContour(polyline({{1, 1}, {5, 5}}), unset, moved));
    QVERIFY(moved.IsEmpty());
    double x = 7.0, y = 7.0;
    QVERIFY(!ModelMatching::TransformPoint(3, 4, unset, x, y));
    QCOMPARE(x, 0.0);
    QCOMPARE(y, 0.0);
}

void tst_ModelMatchingContours::mergeDistances_data()
{
    QTest::addColumn<double>("maxDistance");
    QTest::addColumn<QList<double>>("expected");
    QTest::newRow("0 tries nothing") << 0.0 << QList<double>{};
    QTest::newRow("0.3 tries 0.1 and 0.25") << 0.3 << QList<double>{0.1, 0.25};
    QTest::newRow("exactly 0.25") << 0.25 << QList<double>{0.1, 0.25};
    QTest::newRow("1.0") << 1.0 << QList<double>{0.1, 0.25, 0.45, 0.7, 1.0};
    QTest::newRow("1.3") << 1.3 << QList<double>{0.1, 0.25, 0.45, 0.7, 1.0};
}

void tst_ModelMatchingContours::mergeDistances()
{
    QFETCH(double, maxDistance);
    QFETCH(QList<double>, expected);
    const QList<double> distances = ModelMatchingContours::MergeDistances(maxDistance);
    QCOMPARE(distances.size(), expected.size());
    for (qsizetype i = 0; i < distances.size(); ++i)
        QVERIFY(std::abs(distances[i] - expected[i]) < 1e-12);
}

void tst_ModelMatchingContours::mergeStopsAtTheLargestDistance_data()
{
    QTest::addColumn<double>("gap");
    QTest::addColumn<double>("maxDistance");
    QTest::addColumn<Hlong>("expected");
    // Corner gaps of 0.4 px need the step 0.45, which 0.3 does not allow.
    QTest::newRow("gap 0.4, at most 0.3") << 0.4 << 0.3 << Hlong(4);
    QTest::newRow("gap 0.4, at most 0.45") << 0.4 << 0.45 << Hlong(1);
    QTest::newRow("gap 0.2, at most 0.3") << 0.2 << 0.3 << Hlong(1);
    QTest::newRow("gap 3, at most 100") << 3.0 << 100.0 << Hlong(1);
}

void tst_ModelMatchingContours::mergeStopsAtTheLargestDistance()
{
    QFETCH(double, gap);
    QFETCH(double, maxDistance);
    QFETCH(Hlong, expected);
    Hobject merged;
    QVERIFY(ModelMatching::MergeContours(brokenSquare(gap), maxDistance, 0.5, 1.0, merged));
    QCOMPARE(countOf(merged), expected);
    QVERIFY(allClosed(merged));
}

void tst_ModelMatchingContours::mergeJoinsBrokenEdgesAlongTheirLine()
{
    // A square whose sides are each broken in the middle by 20 px, and cut at the corners:
    // the gaps along the sides are joined first, then the corners.
    const Hobject pieces = joined({polyline({{10, 10.3}, {10, 20}}), polyline({{10, 40}, {10, 50}}),
                                   polyline({{10.3, 50}, {20, 50}}), polyline({{40, 50}, {50, 50}}),
                                   polyline({{50, 49.7}, {50, 40}}), polyline({{50, 20}, {50, 10}}),
                                   polyline({{49.7, 10}, {40, 10}}), polyline({{20, 10}, {10, 10}})});
    Hobject merged;
    QVERIFY(ModelMatching::MergeContours(pieces, 100.0, 12.5, 12.5, merged));
    QCOMPARE(countOf(merged), Hlong(1));
    QVERIFY(allClosed(merged));
    double x = 0.0, y = 0.0;
    QVERIFY(ModelMatching::ContourCenter(merged, x, y));
    QVERIFY(std::abs(x - 30.0) < 0.05 && std::abs(y - 30.0) < 0.05);
}

void tst_ModelMatchingContours::mergeClosesASinglePiece()
{
    Hobject merged;
    QVERIFY(ModelMatching::MergeContours(polyline({{0, 0}, {0, 10}, {10, 10}}), 100.0, 12.5, 12.5, merged));
    QCOMPARE(countOf(merged), Hlong(1));
    QVERIFY(allClosed(merged));
}

void tst_ModelMatchingContours::longestContour()
{
    const Hobject a = polyline({{0, 0}, {0, 10}});
    const Hobject b = polyline({{5, 0}, {5, 30}});
    const Hobject c = polyline({{9, 0}, {9, 30}});
    Hobject longest;
    QVERIFY(ModelMatching::LongestContour(joined({a, b, c}), longest));
    QVERIFY(longest.SharesElementsWith(b)); // the first of equal lengths
    QVERIFY(!ModelMatching::LongestContour(Hobject(), longest));
    QVERIFY(longest.IsEmpty());
}

void tst_ModelMatchingContours::contourCenter_data()
{
    QTest::addColumn<Hobject>("contour");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::newRow("closed square") << polyline({{0, 0}, {0, 20}, {20, 20}, {20, 0}, {0, 0}}) << true << 10.0 << 10.0;
    // Open: closed first, so the centre of the triangle's area.
    QTest::newRow("open triangle") << polyline({{0, 0}, {0, 30}, {30, 0}}) << true << 10.0 << 10.0;
    // A figure eight crosses itself: the mean of its points.
    QTest::newRow("figure eight") << polyline({{0, 0}, {10, 10}, {0, 10}, {10, 0}}) << true << 5.0 << 5.0;
    QTest::newRow("two contours") << joined({polyline({{0, 0}, {0, 5}}), polyline({{3, 3}, {4, 4}})}) << false
                                  << 0.0 << 0.0;
    QTest::newRow("nothing") << Hobject() << false << 0.0 << 0.0;
}

void tst_ModelMatchingContours::contourCenter()
{
    QFETCH(Hobject, contour);
    QFETCH(bool, ok);
    QFETCH(double, x);
    QFETCH(double, y);
    double cx = -1.0, cy = -1.0;
    QCOMPARE(ModelMatching::ContourCenter(contour, cx, cy), ok);
    QVERIFY2(std::abs(cx - x) < 1e-9 && std::abs(cy - y) < 1e-9, qPrintable(QStringLiteral("(%1, %2)").arg(cx).arg(cy)));
}

void tst_ModelMatchingContours::initTestCase()
{
    runOperatorsSeriallyUnderThreadChecker();
}

QTEST_MAIN(tst_ModelMatchingContours)
#include "tst_ModelMatchingContours.moc"
