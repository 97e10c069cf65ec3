#include "HalconErrors.h"
#include "HalconGeometryOps.h"

#include <QtTest>

#include <cmath>
#include <numbers>

using namespace Halcon;

namespace {

constexpr double kPi = std::numbers::pi;

HTuple identity()
{
    HTuple m;
    hom_mat2d_identity(&m);
    return m;
}

// Transforms one point; fails the test when the operator fails.
QPointF apply(const HTuple &m, double row, double col)
{
    HTuple qr, qc;
    if (affine_trans_point_2d(m, row, col, &qr, &qc) != kSuccess)
        return QPointF(qQNaN(), qQNaN());
    return QPointF(qr.D(), qc.D()); // x = row, y = column
}

bool near(double a, double b)
{
    return std::abs(a - b) < 1e-9;
}

} // namespace

class tst_HalconGeometryOps : public QObject
{
    Q_OBJECT
private slots:
    void rotation_data();
    void rotation();
    void compositionOrder();
    void scaleAboutFixedPoint();
    void invertAndCompose();
    void plateCoordinateSystem();
    void angles_data();
    void angles();
    void angleBetweenLines();
    void distance();
    void intersection();
    void parallelLinesFail_data();
    void parallelLinesFail();
    void pointTuples();
    void failures_data();
    void failures();
};

void tst_HalconGeometryOps::rotation_data()
{
    QTest::addColumn<double>("phi");
    QTest::addColumn<double>("fixedRow");
    QTest::addColumn<double>("fixedCol");
    QTest::addColumn<double>("row");
    QTest::addColumn<double>("col");
    QTest::addColumn<double>("expectedRow");
    QTest::addColumn<double>("expectedCol");
    // Rows grow downward: a counter-clockwise quarter turn moves a point right of the
    // centre to above it.
    QTest::newRow("+90 about origin") << kPi / 2 << 0.0 << 0.0 << 0.0 << 1.0 << -1.0 << 0.0;
    QTest::newRow("-90 about origin") << -kPi / 2 << 0.0 << 0.0 << 0.0 << 1.0 << 1.0 << 0.0;
    QTest::newRow("+90 below becomes right") << kPi / 2 << 0.0 << 0.0 << 1.0 << 0.0 << 0.0 << 1.0;
    QTest::newRow("180 about origin") << kPi << 0.0 << 0.0 << 2.0 << 3.0 << -2.0 << -3.0;
    QTest::newRow("+90 about (10, 20)") << kPi / 2 << 10.0 << 20.0 << 10.0 << 21.0 << 9.0 << 20.0;
    QTest::newRow("fixed point stays") << 0.7 << 5.0 << 6.0 << 5.0 << 6.0 << 5.0 << 6.0;
}

void tst_HalconGeometryOps::rotation()
{
    QFETCH(double, phi);
    QFETCH(double, fixedRow);
    QFETCH(double, fixedCol);
    QFETCH(double, row);
    QFETCH(double, col);
    QFETCH(double, expectedRow);
    QFETCH(double, expectedCol);
    HTuple m;
    QCOMPARE(hom_mat2d_rotate(identity(), phi, fixedRow, fixedCol, &m), kSuccess);
    QCOMPARE(m.Length(), Hlong(6));
    const QPointF p = apply(m, row, col);
    QVERIFY2(near(p.x(), expectedRow) && near(p.y(), expectedCol),
             qPrintable(QStringLiteral("got (%1, %2)").arg(p.x()).arg(p.y())));
}

void tst_HalconGeometryOps::compositionOrder()
{
    // Each builder applies its step after the matrix it is given.
    HTuple translated, translatedThenRotated, rotated, rotatedThenTranslated;
    QCOMPARE(hom_mat2d_translate(identity(), 5.0, 0.0, &translated), kSuccess);
    QCOMPARE(hom_mat2d_rotate(translated, kPi / 2, 0.0, 0.0, &translatedThenRotated), kSuccess);
    QCOMPARE(hom_mat2d_rotate(identity(), kPi / 2, 0.0, 0.0, &rotated), kSuccess);
    QCOMPARE(hom_mat2d_translate(rotated, 5.0, 0.0, &rotatedThenTranslated), kSuccess);

    // (0, 0) moved 5 rows down, then turned counter-clockwise: 5 columns right.
    QPointF p = apply(translatedThenRotated, 0.0, 0.0);
    QVERIFY(near(p.x(), 0.0) && near(p.y(), 5.0));
    // Turning the origin leaves it, then it moves 5 rows down.
    p = apply(rotatedThenTranslated, 0.0, 0.0);
    QVERIFY(near(p.x(), 5.0) && near(p.y(), 0.0));

    // Translation: tx moves rows, ty columns.
    HTuple m;
    QCOMPARE(hom_mat2d_translate(identity(), 2.0, 7.0, &m), kSuccess);
    p = apply(m, 1.0, 1.0);
    QVERIFY(near(p.x(), 3.0) && near(p.y(), 8.0));
}

void tst_HalconGeometryOps::scaleAboutFixedPoint()
{
    HTuple m;
    // sx scales rows, sy columns, about (row 1, column 1).
    QCOMPARE(hom_mat2d_scale(identity(), 2.0, 3.0, 1.0, 1.0, &m), kSuccess);
    const QPointF p = apply(m, 2.0, 2.0);
    QVERIFY(near(p.x(), 3.0) && near(p.y(), 4.0));
    const QPointF fixed = apply(m, 1.0, 1.0);
    QVERIFY(near(fixed.x(), 1.0) && near(fixed.y(), 1.0));
}

void tst_HalconGeometryOps::invertAndCompose()
{
    HTuple scaled, rotated, inverse, product, translated, composed, sequential;
    QCOMPARE(hom_mat2d_scale(identity(), 2.0, 0.5, 3.0, 4.0, &scaled), kSuccess);
    QCOMPARE(hom_mat2d_rotate(scaled, 0.3, 1.0, -2.0, &rotated), kSuccess);
    QCOMPARE(hom_mat2d_invert(rotated, &inverse), kSuccess);
    QCOMPARE(hom_mat2d_compose(rotated, inverse, &product), kSuccess);
    const double id[6] = {1, 0, 0, 0, 1, 0};
    for (int i = 0; i < 6; ++i)
        QVERIFY2(std::abs(product[i].D() - id[i]) < 1e-12, qPrintable(QString::number(i)));

    // compose(left, right) applies right first: the same as building left after right.
    QCOMPARE(hom_mat2d_translate(identity(), 4.0, -1.0, &translated), kSuccess);
    QCOMPARE(hom_mat2d_compose(translated, rotated, &composed), kSuccess);
    QCOMPARE(hom_mat2d_translate(rotated, 4.0, -1.0, &sequential), kSuccess);
    for (int i = 0; i < 6; ++i)
        QVERIFY(std::abs(composed[i].D() - sequential[i].D()) < 1e-12);

    HTuple singular;
    QCOMPARE(hom_mat2d_scale(identity(), 0.0, 1.0, 0.0, 0.0, &singular), kSuccess);
    HTuple untouched(42);
    QCOMPARE(hom_mat2d_invert(singular, &untouched), kErrWrongValue1);
    QCOMPARE(untouched, HTuple(42));
}

void tst_HalconGeometryOps::plateCoordinateSystem()
{
    // A plate of 100 x 60 mm seen at 10 px/mm, turned by 0.1 rad; its marks give the
    // plate matrix the way the reference-point search builds it.
    const double resolution = 10.0, axisRotation = 0.1, dx = 100.0, dy = 60.0;
    const double centreRow = 400.0, centreCol = 600.0;
    HTuple m1, m2, m3, plate;
    QCOMPARE(hom_mat2d_rotate(identity(), -axisRotation, centreRow, centreCol, &m1), kSuccess);
    QCOMPARE(hom_mat2d_translate(m1, -centreRow, -centreCol, &m2), kSuccess);
    QCOMPARE(hom_mat2d_scale(m2, 1.0 / resolution, 1.0 / resolution, 0.0, 0.0, &m3), kSuccess);
    QCOMPARE(hom_mat2d_translate(m3, dy * 0.5, dx * 0.5 + 20.0, &plate), kSuccess);

    QPointF p = apply(plate, centreRow, centreCol);
    QVERIFY(near(p.x(), dy / 2) && near(p.y(), dx / 2 + 20.0));
    // The top-left mark, placed on the picture turned counter-clockwise with the plate.
    const double r = -dy / 2 * resolution, c = -dx / 2 * resolution;
    const double row = centreRow + std::cos(axisRotation) * r - std::sin(axisRotation) * c;
    const double col = centreCol + std::sin(axisRotation) * r + std::cos(axisRotation) * c;
    p = apply(plate, row, col);
    QVERIFY2(near(p.x(), 0.0) && near(p.y(), 20.0), qPrintable(QStringLiteral("(%1, %2)").arg(p.x()).arg(p.y())));
}

void tst_HalconGeometryOps::angles_data()
{
    QTest::addColumn<double>("row2");
    QTest::addColumn<double>("col2");
    QTest::addColumn<double>("expected");
    QTest::newRow("right") << 0.0 << 5.0 << 0.0;
    QTest::newRow("up") << -5.0 << 0.0 << kPi / 2;
    QTest::newRow("down") << 5.0 << 0.0 << -kPi / 2;
    QTest::newRow("left") << 0.0 << -5.0 << kPi;
    QTest::newRow("up right") << -3.0 << 3.0 << kPi / 4;
}

void tst_HalconGeometryOps::angles()
{
    QFETCH(double, row2);
    QFETCH(double, col2);
    QFETCH(double, expected);
    HTuple angle;
    QCOMPARE(angle_lx(0.0, 0.0, row2, col2, &angle), kSuccess);
    QVERIFY2(near(angle.D(), expected), qPrintable(QString::number(angle.D())));
}

void tst_HalconGeometryOps::angleBetweenLines()
{
    // From a downward line to a rightward line: a quarter turn counter-clockwise.
    HTuple angle;
    QCOMPARE(angle_ll(0.0, 0.0, 10.0, 0.0, 0.0, 0.0, 0.0, 10.0, &angle), kSuccess);
    QVERIFY(near(angle.D(), kPi / 2));
    QCOMPARE(angle_ll(0.0, 0.0, 0.0, 10.0, 0.0, 0.0, 10.0, 0.0, &angle), kSuccess);
    QVERIFY(near(angle.D(), -kPi / 2));
    // Result stays in (-pi, pi]: from 170 to -170 degrees is +20 degrees.
    const double a = 170.0 * kPi / 180.0, b = -170.0 * kPi / 180.0;
    QCOMPARE(angle_ll(0.0, 0.0, -std::sin(a), std::cos(a), 0.0, 0.0, -std::sin(b), std::cos(b), &angle), kSuccess);
    QVERIFY2(near(angle.D(), 20.0 * kPi / 180.0), qPrintable(QString::number(angle.D())));
}

void tst_HalconGeometryOps::distance()
{
    HTuple d;
    QCOMPARE(distance_pp(HTuple(std::vector<double>{0.0, 1.0}), 0.0, HTuple(std::vector<double>{3.0, 1.0}), 4.0, &d),
             kSuccess);
    QCOMPARE(d.Length(), Hlong(2));
    QVERIFY(near(d[0].D(), 5.0));
    QVERIFY(near(d[1].D(), 4.0));
}

void tst_HalconGeometryOps::intersection()
{
    HTuple row, col, overlapping;
    // The diagonals of the rectangle (10, 20) .. (30, 60) meet in its centre.
    QCOMPARE(intersection_ll(10.0, 20.0, 30.0, 60.0, 10.0, 60.0, 30.0, 20.0, &row, &col, &overlapping), kSuccess);
    QVERIFY(near(row.D(), 20.0));
    QVERIFY(near(col.D(), 40.0));
    QCOMPARE(overlapping.L(), Hlong(0));
    // The lines are infinite: segments that do not reach each other still intersect.
    QCOMPARE(intersection_ll(0.0, 0.0, 1.0, 1.0, 10.0, 0.0, 10.0, 1.0, &row, &col, &overlapping), kSuccess);
    QVERIFY(near(row.D(), 10.0) && near(col.D(), 10.0));
}

void tst_HalconGeometryOps::parallelLinesFail_data()
{
    QTest::addColumn<QList<double>>("points"); // rowA1, colA1, rowA2, colA2, rowB1, colB1, rowB2, colB2
    QTest::addColumn<int>("expected");
    QTest::newRow("parallel") << QList<double>{0, 0, 0, 10, 5, 0, 5, 10} << int(kErrParallelLines);
    QTest::newRow("the same line") << QList<double>{0, 0, 0, 10, 0, 3, 0, 20} << int(kErrParallelLines);
    QTest::newRow("opposite directions") << QList<double>{0, 0, 4, 4, 10, 0, 6, -4} << int(kErrParallelLines);
    QTest::newRow("line A is a point") << QList<double>{1, 1, 1, 1, 0, 3, 4, 20} << int(kErrWrongValue1);
    QTest::newRow("line B is a point") << QList<double>{0, 3, 4, 20, 1, 1, 1, 1} << int(kErrWrongValue5);
}

void tst_HalconGeometryOps::parallelLinesFail()
{
    QFETCH(QList<double>, points);
    QFETCH(int, expected);
    HTuple row(7.0), col(7.0), overlapping(7);
    QCOMPARE(intersection_ll(points[0], points[1], points[2], points[3], points[4], points[5], points[6], points[7],
                             &row, &col, &overlapping),
             Herror(expected));
    // Nothing written on failure.
    QCOMPARE(row, HTuple(7.0));
    QCOMPARE(col, HTuple(7.0));
    QCOMPARE(overlapping, HTuple(7));
    HTuple text;
    QCOMPARE(get_error_text(kErrParallelLines, &text), kSuccess);
    QCOMPARE(text.S(), std::string("Lines are parallel"));
}

void tst_HalconGeometryOps::pointTuples()
{
    HTuple m, qr, qc;
    QCOMPARE(hom_mat2d_translate(identity(), 1.0, 2.0, &m), kSuccess);
    QCOMPARE(affine_trans_point_2d(m, HTuple(std::vector<double>{0, 10, 20}), HTuple(std::vector<double>{5, 6, 7}), &qr,
                                   &qc),
             kSuccess);
    QCOMPARE(qr.ToDVector(), (std::vector<double>{1, 11, 21}));
    QCOMPARE(qc.ToDVector(), (std::vector<double>{7, 8, 9}));
    // One column for all rows.
    QCOMPARE(affine_trans_point_2d(m, HTuple(std::vector<double>{0, 10}), 5.0, &qr, &qc), kSuccess);
    QCOMPARE(qc.ToDVector(), (std::vector<double>{7, 7}));
    // No points, no results.
    QCOMPARE(affine_trans_point_2d(m, HTuple(), HTuple(), &qr, &qc), kSuccess);
    QCOMPARE(qr.Length(), Hlong(0));
}

void tst_HalconGeometryOps::failures_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<int>("expected");
    QTest::newRow("matrix of five values") << 0 << int(kErrWrongCount1);
    QTest::newRow("text in matrix") << 1 << int(kErrWrongType1);
    QTest::newRow("NaN in matrix") << 2 << int(kErrWrongValue1);
    QTest::newRow("two angles") << 3 << int(kErrWrongCount2);
    QTest::newRow("text as fixed row") << 4 << int(kErrWrongType3);
    QTest::newRow("point tuples 2 and 3") << 5 << int(kErrWrongCount2);
    QTest::newRow("distance tuples 2 and 3") << 6 << int(kErrWrongCount2);
    QTest::newRow("compose with short right") << 7 << int(kErrWrongCount2);
    // One point each takes a path of its own; it refuses what the lists refuse.
    QTest::newRow("NaN as the one point's row") << 8 << int(kErrWrongValue2);
    QTest::newRow("text as the one point's column") << 9 << int(kErrWrongType3);
}

void tst_HalconGeometryOps::failures()
{
    QFETCH(int, which);
    QFETCH(int, expected);
    HTuple five(std::vector<double>{1, 0, 0, 0, 1});
    HTuple withText = identity();
    withText[2] = HValue("x");
    HTuple withNaN = identity();
    withNaN[4] = HValue(std::nan(""));
    const HTuple two(std::vector<double>{1, 2});
    const HTuple three(std::vector<double>{1, 2, 3});
    HTuple out(99), out2(99);
    Herror err = kSuccess;
    switch (which) {
    case 0: err = hom_mat2d_rotate(five, 0.5, 0.0, 0.0, &out); break;
    case 1: err = hom_mat2d_translate(withText, 1.0, 1.0, &out); break;
    case 2: err = affine_trans_point_2d(withNaN, 1.0, 1.0, &out, &out2); break;
    case 3: err = hom_mat2d_rotate(identity(), two, 0.0, 0.0, &out); break;
    case 4: err = hom_mat2d_rotate(identity(), 1.0, "row", 0.0, &out); break;
    case 5: err = affine_trans_point_2d(identity(), two, three, &out, &out2); break;
    case 6: err = distance_pp(0.0, two, three, 0.0, &out); break;
    case 7: err = hom_mat2d_compose(identity(), five, &out); break;
    case 8: err = affine_trans_point_2d(identity(), std::nan(""), 1.0, &out, &out2); break;
    case 9: err = affine_trans_point_2d(identity(), 1.0, "column", &out, &out2); break;
    }
    QCOMPARE(err, Herror(expected));
    QCOMPARE(out, HTuple(99));
    QCOMPARE(out2, HTuple(99));
}

QTEST_GUILESS_MAIN(tst_HalconGeometryOps)
#include "tst_HalconGeometryOps.moc"
