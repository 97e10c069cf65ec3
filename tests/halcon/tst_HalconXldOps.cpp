#include "HalconErrors.h"
#include "HalconGeometryOps.h"
#include "HalconObjectOps.h"
#include "HalconRegionOps.h"
#include "HalconXldOps.h"

#include <QtTest>

#include <cmath>
#include <numbers>

using namespace Halcon;

namespace {

constexpr double kPi = std::numbers::pi;

HTuple values(std::initializer_list<double> v)
{
    return HTuple(std::vector<double>(v));
}

// Points of the n-th contour (1-based) read back through the measuring operators: the
// first and last point via a cheap trick would hide faults, so read the bounding box,
// length and area instead where a test needs them. This one returns the contour alone.
Hobject contourAt(const Hobject &object, Hlong index)
{
    Hobject one;
    select_obj(object, &one, index);
    return one;
}

double single(Herror (*measure)(const Hobject &, HTuple *), const Hobject &contour)
{
    HTuple value;
    if (measure(contour, &value) != kSuccess || value.Length() != 1)
        return qQNaN();
    return value.D();
}

struct Box
{
    double row1, col1, row2, col2;
};

Box box(const Hobject &contour)
{
    HTuple r1, c1, r2, c2;
    if (smallest_rectangle1_xld(contour, &r1, &c1, &r2, &c2) != kSuccess)
        return {qQNaN(), qQNaN(), qQNaN(), qQNaN()};
    return {r1.D(), c1.D(), r2.D(), c2.D()};
}

bool near(double a, double b, double tolerance = 1e-9)
{
    return std::abs(a - b) <= tolerance;
}

Hobject square(double row1, double col1, double row2, double col2)
{
    Hobject c;
    gen_contour_polygon_xld(&c, values({row1, row1, row2, row2, row1}), values({col1, col2, col2, col1, col1}));
    return c;
}

} // namespace

class tst_HalconXldOps : public QObject
{
    Q_OBJECT
private slots:
    void crossContours();
    void circleIsClosed();
    void arcRunsCounterClockwise();
    void ellipseAndRectangle();
    void polygonArea_data();
    void polygonArea();
    void pointTest_data();
    void pointTest();
    void pointTestTuples();
    void lengthAndBox();
    void affineTransform();
    void regionBorder_data();
    void regionBorder();
    void regionHoles();
    void emptyInputs();
    void failures_data();
    void failures();
};

void tst_HalconXldOps::crossContours()
{
    Hobject cross;
    QCOMPARE(gen_cross_contour_xld(&cross, values({10, 50}), values({20, 60}), 6.0, 0.0), kSuccess);
    QCOMPARE(cross.CountObj(), Hlong(4));
    // Angle 0: first line horizontal, second vertical, both through the point.
    Box b = box(contourAt(cross, 1));
    QVERIFY(near(b.row1, 10) && near(b.row2, 10) && near(b.col1, 17) && near(b.col2, 23));
    b = box(contourAt(cross, 2));
    QVERIFY(near(b.col1, 20) && near(b.col2, 20) && near(b.row1, 7) && near(b.row2, 13));
    b = box(contourAt(cross, 4));
    QVERIFY(near(b.col1, 60) && near(b.row1, 47) && near(b.row2, 53));

    // 45 degrees: an x, both diagonals of the same extent.
    QCOMPARE(gen_cross_contour_xld(&cross, 0.0, 0.0, 2.0 * std::sqrt(2.0), kPi / 4), kSuccess);
    for (Hlong i = 1; i <= 2; ++i) {
        b = box(contourAt(cross, i));
        QVERIFY2(near(b.row1, -1) && near(b.row2, 1) && near(b.col1, -1) && near(b.col2, 1), qPrintable(QString::number(i)));
        QVERIFY(near(single(length_xld, contourAt(cross, i)), 2.0 * std::sqrt(2.0)));
    }
}

void tst_HalconXldOps::circleIsClosed()
{
    Hobject circle;
    const double radius = 20.0, resolution = 0.1;
    QCOMPARE(gen_circle_contour_xld(&circle, 100.0, 200.0, radius, 0.0, 6.283185307179622, "positive", resolution),
             kSuccess);
    QCOMPARE(circle.CountObj(), Hlong(1));
    HTuple area, row, col, order;
    QCOMPARE(area_center_xld(circle, &area, &row, &col, &order), kSuccess);
    QVERIFY2(near(area.D(), kPi * radius * radius, 0.01), qPrintable(QString::number(area.D())));
    QVERIFY(near(row.D(), 100.0, 1e-6) && near(col.D(), 200.0, 1e-6));
    QCOMPARE(order.S(), std::string("positive"));
    // Closed: a point just inside the start is inside, the length is the circumference.
    QVERIFY(near(single(length_xld, circle), 2 * kPi * radius, 0.01));

    // Negative order runs the other way round.
    QCOMPARE(gen_circle_contour_xld(&circle, 0.0, 0.0, 5.0, 0.0, 2 * kPi, "negative", 0.5), kSuccess);
    QCOMPARE(area_center_xld(circle, &area, &row, &col, &order), kSuccess);
    QCOMPARE(order.S(), std::string("negative"));

    // A circle per centre.
    QCOMPARE(gen_circle_contour_xld(&circle, values({0, 50, 100}), 0.0, values({1, 2, 3}), 0.0, 2 * kPi, "positive", 1.0),
             kSuccess);
    QCOMPARE(circle.CountObj(), Hlong(3));
    QVERIFY(near(box(contourAt(circle, 3)).row1, 97.0, 0.1));
}

void tst_HalconXldOps::arcRunsCounterClockwise()
{
    // A quarter from 0 to 90 degrees starts right of the centre and ends above it.
    Hobject arc;
    QCOMPARE(gen_circle_contour_xld(&arc, 50.0, 50.0, 10.0, 0.0, kPi / 2, "positive", 0.1), kSuccess);
    const Box b = box(arc);
    QVERIFY(near(b.row1, 40.0) && near(b.row2, 50.0) && near(b.col1, 50.0) && near(b.col2, 60.0));
    QVERIFY(near(single(length_xld, arc), kPi * 5.0, 0.01));
    // The start point: the only point of the arc with row 50.
    Hobject start;
    QCOMPARE(gen_contour_polygon_xld(&start, values({50, 50}), values({60, 60})), kSuccess);
    HTuple inside;
    QCOMPARE(test_xld_point(arc, 50.0, 60.0, &inside), kSuccess);
    QCOMPARE(inside.L(), Hlong(1)); // a point on the outline counts as inside

    // Negative order from 0 to 90 degrees goes the long way, three quarters below.
    QCOMPARE(gen_circle_contour_xld(&arc, 50.0, 50.0, 10.0, 0.0, kPi / 2, "negative", 0.1), kSuccess);
    QVERIFY(near(single(length_xld, arc), kPi * 15.0, 0.05));
    QVERIFY(near(box(arc).row2, 60.0, 1e-3));

    // Equal angles: one point.
    QCOMPARE(gen_circle_contour_xld(&arc, 5.0, 5.0, 3.0, 1.0, 1.0, "positive", 0.1), kSuccess);
    QVERIFY(near(single(length_xld, arc), 0.0));
}

void tst_HalconXldOps::ellipseAndRectangle()
{
    Hobject ellipse;
    QCOMPARE(gen_ellipse_contour_xld(&ellipse, 100.0, 100.0, kPi / 2, 30.0, 10.0, 0.0, 6.283185307179586, "positive", 2.0),
             kSuccess);
    HTuple area, row, col, order;
    QCOMPARE(area_center_xld(ellipse, &area, &row, &col, &order), kSuccess);
    QVERIFY(near(area.D(), kPi * 300.0, 5.0));
    // Main axis turned to vertical.
    Box b = box(ellipse);
    QVERIFY(near(b.row1, 70.0, 0.1) && near(b.row2, 130.0, 0.1) && near(b.col1, 90.0, 0.1) && near(b.col2, 110.0, 0.1));

    Hobject rect;
    QCOMPARE(gen_rectangle2_contour_xld(&rect, 50.0, 80.0, 0.0, 20.0, 5.0), kSuccess);
    QCOMPARE(area_center_xld(rect, &area, &row, &col, &order), kSuccess);
    QVERIFY(near(area.D(), 400.0));
    QVERIFY(near(row.D(), 50.0) && near(col.D(), 80.0));
    QCOMPARE(order.S(), std::string("positive"));
    b = box(rect);
    QVERIFY(near(b.col1, 60.0) && near(b.col2, 100.0) && near(b.row1, 45.0) && near(b.row2, 55.0));
    // A quarter turn swaps the extents.
    QCOMPARE(gen_rectangle2_contour_xld(&rect, 50.0, 80.0, kPi / 2, 20.0, 5.0), kSuccess);
    b = box(rect);
    QVERIFY(near(b.row1, 30.0) && near(b.row2, 70.0) && near(b.col1, 75.0) && near(b.col2, 85.0));
    // Half width 0 is a line across the picture (used for cut lines).
    QCOMPARE(gen_rectangle2_contour_xld(&rect, 10.0, 100.0, 0.0, 100.0, 0.0), kSuccess);
    QCOMPARE(area_center_xld(rect, &area, &row, &col, &order), kSuccess);
    QCOMPARE(area.D(), 0.0);
    QVERIFY(near(single(length_xld, rect), 400.0));
}

void tst_HalconXldOps::polygonArea_data()
{
    QTest::addColumn<HTuple>("rows");
    QTest::addColumn<HTuple>("cols");
    QTest::addColumn<double>("area");
    QTest::addColumn<double>("row");
    QTest::addColumn<double>("col");
    QTest::addColumn<QString>("order");
    // Right, then down, on screen: clockwise.
    QTest::newRow("closed square clockwise") << values({0, 0, 10, 10, 0}) << values({0, 10, 10, 0, 0}) << 100.0 << 5.0
                                             << 5.0 << "negative";
    QTest::newRow("closed square counter-clockwise")
        << values({0, 10, 10, 0, 0}) << values({0, 0, 10, 10, 0}) << 100.0 << 5.0 << 5.0 << "positive";
    QTest::newRow("open square taken as closed") << values({0, 0, 10, 10}) << values({0, 10, 10, 0}) << 100.0 << 5.0
                                                 << 5.0 << "negative";
    QTest::newRow("triangle") << values({0, 6, 6, 0}) << values({0, 0, 3, 0}) << 9.0 << 4.0 << 1.0 << "positive";
    QTest::newRow("line has no area") << values({0, 4}) << values({0, 4}) << 0.0 << 2.0 << 2.0 << "positive";
}

void tst_HalconXldOps::polygonArea()
{
    QFETCH(HTuple, rows);
    QFETCH(HTuple, cols);
    QFETCH(double, area);
    QFETCH(double, row);
    QFETCH(double, col);
    QFETCH(QString, order);
    Hobject contour;
    QCOMPARE(gen_contour_polygon_xld(&contour, rows, cols), kSuccess);
    HTuple a, r, c, o;
    QCOMPARE(area_center_xld(contour, &a, &r, &c, &o), kSuccess);
    QVERIFY2(near(a.D(), area), qPrintable(QString::number(a.D())));
    QVERIFY(near(r.D(), row) && near(c.D(), col));
    QCOMPARE(QString::fromStdString(o.S()), order);
}

void tst_HalconXldOps::pointTest_data()
{
    QTest::addColumn<double>("row");
    QTest::addColumn<double>("col");
    QTest::addColumn<int>("inside");
    QTest::newRow("centre") << 5.0 << 5.0 << 1;
    QTest::newRow("outside right") << 5.0 << 10.5 << 0;
    QTest::newRow("outside above") << -0.1 << 5.0 << 0;
    QTest::newRow("on the edge") << 10.0 << 5.0 << 1;
    QTest::newRow("on a corner") << 10.0 << 10.0 << 1;
    QTest::newRow("in the notch") << 2.0 << 5.0 << 0;
    QTest::newRow("left arm") << 2.0 << 1.0 << 1;
}

void tst_HalconXldOps::pointTest()
{
    QFETCH(double, row);
    QFETCH(double, col);
    QFETCH(int, inside);
    // A U shape: the notch (rows 0..4, columns 3..7) is outside.
    Hobject u;
    QCOMPARE(gen_contour_polygon_xld(&u, values({0, 10, 10, 0, 0, 4, 4, 0, 0}), values({0, 0, 10, 10, 7, 7, 3, 3, 0})),
             kSuccess);
    HTuple result;
    QCOMPARE(test_xld_point(u, row, col, &result), kSuccess);
    QCOMPARE(result.Length(), Hlong(1));
    QCOMPARE(result.I(), inside);
}

void tst_HalconXldOps::pointTestTuples()
{
    Hobject two, first = square(0, 0, 10, 10), second = square(20, 20, 30, 30);
    QCOMPARE(concat_obj(first, second, &two), kSuccess);
    HTuple result;
    // Two contours, one point: one answer per contour.
    QCOMPARE(test_xld_point(two, 25.0, 25.0, &result), kSuccess);
    QCOMPARE(result.ToLVector(), (std::vector<Hlong>{0, 1}));
    // One contour, three points.
    QCOMPARE(test_xld_point(first, values({1, 11, 5}), values({1, 1, 9}), &result), kSuccess);
    QCOMPARE(result.ToLVector(), (std::vector<Hlong>{1, 0, 1}));
    // Pairwise.
    QCOMPARE(test_xld_point(two, values({5, 5}), values({5, 5}), &result), kSuccess);
    QCOMPARE(result.ToLVector(), (std::vector<Hlong>{1, 0}));
    // Two contours and three points do not pair up.
    HTuple untouched(9);
    QCOMPARE(test_xld_point(two, values({1, 2, 3}), values({1, 2, 3}), &untouched), kErrWrongCount1);
    QCOMPARE(untouched, HTuple(9));
}

void tst_HalconXldOps::lengthAndBox()
{
    const Hobject sq = square(2, 3, 12, 8);
    QVERIFY(near(single(length_xld, sq), 30.0));
    const Box b = box(sq);
    QVERIFY(near(b.row1, 2) && near(b.col1, 3) && near(b.row2, 12) && near(b.col2, 8));
}

void tst_HalconXldOps::affineTransform()
{
    Hobject circle, moved;
    QCOMPARE(gen_circle_contour_xld(&circle, 0.0, 0.0, 10.0, 0.0, 2 * kPi, "positive", 0.5), kSuccess);
    HTuple m, m2;
    QCOMPARE(hom_mat2d_rotate(HTuple(std::vector<double>{1, 0, 0, 0, 1, 0}), 0.3, 0.0, 0.0, &m), kSuccess);
    QCOMPARE(hom_mat2d_translate(m, 100.0, 50.0, &m2), kSuccess);
    QCOMPARE(affine_trans_contour_xld(circle, &moved, m2), kSuccess);
    HTuple area, row, col, order;
    QCOMPARE(area_center_xld(moved, &area, &row, &col, &order), kSuccess);
    QVERIFY(near(row.D(), 100.0, 1e-6) && near(col.D(), 50.0, 1e-6));
    QCOMPARE(order.S(), std::string("positive"));
    // Still closed: the point test of the old centre is outside, the new one inside.
    HTuple inside;
    QCOMPARE(test_xld_point(moved, values({100, 0}), values({50, 0}), &inside), kSuccess);
    QCOMPARE(inside.ToLVector(), (std::vector<Hlong>{1, 0}));
    // The input is not changed.
    QCOMPARE(area_center_xld(circle, &area, &row, &col, &order), kSuccess);
    QVERIFY(near(row.D(), 0.0, 1e-9));
}

void tst_HalconXldOps::regionBorder_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<double>("area");
    QTest::addColumn<double>("length");
    // Rectangle rows 10..14, columns 20..29: 5 x 10 pixels.
    QTest::newRow("border") << "border" << 50.0 << 30.0;
    QTest::newRow("center") << "center" << 36.0 << 26.0;
}

void tst_HalconXldOps::regionBorder()
{
    QFETCH(QString, mode);
    QFETCH(double, area);
    QFETCH(double, length);
    Hobject rect, contour;
    QCOMPARE(gen_rectangle1(&rect, 10, 20, 14, 29), kSuccess);
    QCOMPARE(gen_contour_region_xld(rect, &contour, mode.toStdString().c_str()), kSuccess);
    QCOMPARE(contour.CountObj(), Hlong(1));
    HTuple a, r, c, o;
    QCOMPARE(area_center_xld(contour, &a, &r, &c, &o), kSuccess);
    QVERIFY2(near(a.D(), area), qPrintable(QString::number(a.D())));
    QVERIFY(near(r.D(), 12.0) && near(c.D(), 24.5));
    QVERIFY(near(single(length_xld, contour), length));
    if (mode == QLatin1String("border")) {
        const Box b = box(contour);
        QVERIFY(near(b.row1, 9.5) && near(b.col1, 19.5) && near(b.row2, 14.5) && near(b.col2, 29.5));
    } else {
        // Through the pixel centres and back to a region: the same pixels.
        Hobject filled;
        QCOMPARE(gen_region_contour_xld(contour, &filled, "filled"), kSuccess);
        HTuple pixels, pr, pc;
        QCOMPARE(area_center(filled, &pixels, &pr, &pc), kSuccess);
        QCOMPARE(pixels.L(), Hlong(50));
    }
}

void tst_HalconXldOps::regionHoles()
{
    // A 9 x 9 frame with a 3 x 3 hole, and a single pixel touching it only at a corner
    // (one component in the 8-neighbourhood) plus a separate pixel far away.
    Hobject outer, hole, frame, corner, far, all, tmp;
    QCOMPARE(gen_rectangle1(&outer, 0, 0, 8, 8), kSuccess);
    QCOMPARE(gen_rectangle1(&hole, 3, 3, 5, 5), kSuccess);
    QCOMPARE(difference(outer, hole, &frame), kSuccess);
    QCOMPARE(gen_rectangle1(&corner, 9, 9, 9, 9), kSuccess);
    QCOMPARE(gen_rectangle1(&far, 20, 20, 20, 20), kSuccess);
    QCOMPARE(union2(frame, corner, &tmp), kSuccess);
    QCOMPARE(union2(tmp, far, &all), kSuccess);

    Hobject contours;
    QCOMPARE(gen_contour_region_xld(all, &contours, "border"), kSuccess);
    QCOMPARE(contours.CountObj(), Hlong(2));
    HTuple a, r, c, o;
    QCOMPARE(area_center_xld(contours, &a, &r, &c, &o), kSuccess);
    QVERIFY2(near(a[0].D(), 82.0), qPrintable(QString::number(a[0].D()))); // outline of frame and corner pixel, hole not subtracted
    QVERIFY(near(a[1].D(), 1.0));

    QCOMPARE(gen_contour_region_xld(all, &contours, "border_holes"), kSuccess);
    QCOMPARE(contours.CountObj(), Hlong(3));
    QCOMPARE(area_center_xld(contours, &a, &r, &c, &o), kSuccess);
    QVERIFY(near(a[1].D(), 9.0)); // the hole, after the outline that starts above it
    QVERIFY(near(r[1].D(), 4.0) && near(c[1].D(), 4.0));
}

void tst_HalconXldOps::emptyInputs()
{
    const Hobject empty;
    HTuple a(1), r(1), c(1), o(1);
    QCOMPARE(area_center_xld(empty, &a, &r, &c, &o), kSuccess);
    QCOMPARE(a.Length(), Hlong(0));
    Hobject out;
    QCOMPARE(affine_trans_contour_xld(empty, &out, HTuple(std::vector<double>{1, 0, 0, 0, 1, 0})), kSuccess);
    QCOMPARE(out.CountObj(), Hlong(0));
    Hobject emptyRegion, contours;
    QCOMPARE(gen_rectangle1(&emptyRegion, 5, 5, 5, 5), kSuccess);
    QCOMPARE(difference(emptyRegion, emptyRegion, &emptyRegion), kSuccess);
    QCOMPARE(gen_contour_region_xld(emptyRegion, &contours, "border"), kSuccess);
    QCOMPARE(contours.CountObj(), Hlong(0));
}

void tst_HalconXldOps::failures_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<int>("expected");
    QTest::newRow("area of a region") << 0 << int(kErrWrongObjectClass1);
    QTest::newRow("point test on a region") << 1 << int(kErrWrongObjectClass1);
    QTest::newRow("transform a region") << 2 << int(kErrWrongObjectClass1);
    QTest::newRow("contour of a contour") << 3 << int(kErrWrongObjectClass1);
    QTest::newRow("polygon rows 3 cols 2") << 4 << int(kErrWrongCount2);
    QTest::newRow("polygon without points") << 5 << int(kErrWrongCount1);
    QTest::newRow("circle resolution 0") << 6 << int(kErrWrongValue7);
    QTest::newRow("circle unknown order") << 7 << int(kErrWrongValue6);
    QTest::newRow("circle negative radius") << 8 << int(kErrWrongValue3);
    QTest::newRow("circle too many points") << 9 << int(kErrWrongValue7);
    QTest::newRow("cross tuples 2 and 3") << 10 << int(kErrWrongCount1);
    QTest::newRow("cross negative size") << 11 << int(kErrWrongValue3);
    QTest::newRow("rectangle text angle") << 12 << int(kErrWrongType3);
    QTest::newRow("region contour unknown mode") << 13 << int(kErrWrongValue1);
    QTest::newRow("transform with short matrix") << 14 << int(kErrWrongCount1);
    QTest::newRow("ellipse radius2 0") << 15 << int(kErrWrongValue5);
}

void tst_HalconXldOps::failures()
{
    QFETCH(int, which);
    QFETCH(int, expected);
    Hobject region;
    QCOMPARE(gen_rectangle1(&region, 0, 0, 4, 4), kSuccess);
    const Hobject contour = square(0, 0, 4, 4);
    Hobject out;
    gen_cross_contour_xld(&out, 1.0, 1.0, 1.0, 0.0); // a sentinel that must survive
    const Hobject before = out;
    HTuple t1(9), t2(9), t3(9), t4(9);
    Herror err = kSuccess;
    switch (which) {
    case 0: err = area_center_xld(region, &t1, &t2, &t3, &t4); break;
    case 1: err = test_xld_point(region, 1.0, 1.0, &t1); break;
    case 2: err = affine_trans_contour_xld(region, &out, HTuple(std::vector<double>{1, 0, 0, 0, 1, 0})); break;
    case 3: err = gen_contour_region_xld(contour, &out, "border"); break;
    case 4: err = gen_contour_polygon_xld(&out, values({1, 2, 3}), values({1, 2})); break;
    case 5: err = gen_contour_polygon_xld(&out, HTuple(), HTuple()); break;
    case 6: err = gen_circle_contour_xld(&out, 0.0, 0.0, 5.0, 0.0, 1.0, "positive", 0.0); break;
    case 7: err = gen_circle_contour_xld(&out, 0.0, 0.0, 5.0, 0.0, 1.0, "clockwise", 1.0); break;
    case 8: err = gen_circle_contour_xld(&out, 0.0, 0.0, -5.0, 0.0, 1.0, "positive", 1.0); break;
    case 9: err = gen_circle_contour_xld(&out, 0.0, 0.0, 1e9, 0.0, 2 * kPi, "positive", 0.01); break;
    case 10: err = gen_cross_contour_xld(&out, values({1, 2}), values({1, 2, 3}), 1.0, 0.0); break;
    case 11: err = gen_cross_contour_xld(&out, 1.0, 1.0, -1.0, 0.0); break;
    case 12: err = gen_rectangle2_contour_xld(&out, 1.0, 1.0, "flat", 1.0, 1.0); break;
    case 13: err = gen_contour_region_xld(region, &out, "outline"); break;
    case 14: err = affine_trans_contour_xld(contour, &out, values({1, 0, 0})); break;
    case 15: err = gen_ellipse_contour_xld(&out, 0.0, 0.0, 0.0, 5.0, 0.0, 0.0, 1.0, "positive", 1.0); break;
    }
    QCOMPARE(err, Herror(expected));
    QVERIFY(out.SharesElementsWith(before));
    QCOMPARE(t1, HTuple(9));
}

QTEST_GUILESS_MAIN(tst_HalconXldOps)
#include "tst_HalconXldOps.moc"
