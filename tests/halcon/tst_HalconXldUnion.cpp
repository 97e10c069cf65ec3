#include "Halcon.h"

#include <QtTest>

#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

using namespace Halcon;

namespace {

struct Pt
{
    double row;
    double col;
};
using Piece = std::vector<Pt>;

Hobject contoursOf(const std::vector<Piece> &pieces)
{
    Hobject all;
    for (const Piece &piece : pieces) {
        HTuple rows, cols;
        for (const Pt &p : piece) {
            rows.Append(HValue(p.row));
            cols.Append(HValue(p.col));
        }
        Hobject one;
        gen_contour_polygon_xld(&one, rows, cols);
        concat_obj(all, one, &all);
    }
    return all;
}

// Points every `step` pixels from a to b, both included.
Piece segment(Pt a, Pt b, double step = 1.0)
{
    const double length = std::hypot(b.row - a.row, b.col - a.col);
    const int n = std::max(1, int(std::ceil(length / step)));
    Piece p;
    for (int i = 0; i <= n; ++i)
        p.push_back({a.row + (b.row - a.row) * i / n, a.col + (b.col - a.col) * i / n});
    return p;
}

Piece reversed(Piece p)
{
    std::reverse(p.begin(), p.end());
    return p;
}

Hlong countOf(const Hobject &o)
{
    Hlong n = 0;
    count_obj(o, &n);
    return n;
}

double totalLength(const Hobject &o)
{
    HTuple lengths;
    length_xld(o, &lengths);
    double sum = 0.0;
    for (double v : lengths.ToDVector())
        sum += v;
    return sum;
}

bool isClosed(const Hobject &contour)
{
    HTuple rows, cols;
    get_contour_xld(contour, &rows, &cols);
    return rows.Length() > 2 && rows[0].D() == rows[rows.Length() - 1].D() && cols[0].D() == cols[cols.Length() - 1].D();
}

// A square outline of side 40 from (10, 10), cut into its four sides with `gap` left open
// at every corner.
std::vector<Piece> brokenSquare(double gap)
{
    return {segment({10, 10 + gap}, {10, 50}), segment({10 + gap, 50}, {50, 50}), reversed(segment({50, 10}, {50, 50 - gap})),
            segment({50 - gap, 10}, {10, 10})};
}

} // namespace

class tst_HalconXldUnion : public QObject
{
    Q_OBJECT

private slots:
    void collinear_data();
    void collinear();
    void collinearKeepsPointOrder();
    void adjacent_data();
    void adjacent();
    void adjacentPassesClosedContours();
    void areaCenterPoints();
    void badInput_data();
    void badInput();
};

void tst_HalconXldUnion::collinear_data()
{
    QTest::addColumn<std::vector<Piece>>("pieces");
    QTest::addColumn<double>("maxDist");
    QTest::addColumn<double>("maxShift");
    QTest::addColumn<double>("maxAngleDegrees");
    QTest::addColumn<Hlong>("expected");

    const Piece a = segment({20, 10}, {20, 60});
    const Piece b = segment({20, 66}, {20, 100});
    const Piece c = segment({20, 108}, {20, 140});
    QTest::newRow("three pieces, small gaps") << std::vector<Piece>{a, reversed(c), b} << 10.0 << 1.0 << 5.0 << Hlong(1);
    QTest::newRow("gap wider than the limit") << std::vector<Piece>{a, c} << 10.0 << 1.0 << 5.0 << Hlong(2);
    QTest::newRow("gap within a wide limit") << std::vector<Piece>{a, c} << 100.0 << 1.0 << 5.0 << Hlong(1);
    const Piece shifted = segment({24, 66}, {24, 100});
    QTest::newRow("shifted across, too far") << std::vector<Piece>{a, shifted} << 10.0 << 2.0 << 5.0 << Hlong(2);
    QTest::newRow("shifted across, allowed") << std::vector<Piece>{a, shifted} << 10.0 << 5.0 << 5.0 << Hlong(1);
    // Turned by 20 degrees about its start, which lies right behind the first piece.
    const double t = 20.0 * std::numbers::pi / 180.0;
    const Piece turned = segment({20, 64}, {20 - 30 * std::sin(t), 64 + 30 * std::cos(t)});
    QTest::newRow("turned beyond the angle") << std::vector<Piece>{a, turned} << 10.0 << 20.0 << 10.0 << Hlong(2);
    QTest::newRow("turned within the angle") << std::vector<Piece>{a, turned} << 10.0 << 20.0 << 25.0 << Hlong(1);
    // Side by side along the same line: overlapping pieces are not one edge.
    const Piece overlapping = segment({20, 40}, {20, 90});
    QTest::newRow("overlapping along the line") << std::vector<Piece>{a, overlapping} << 10.0 << 1.0 << 5.0 << Hlong(2);
    QTest::newRow("perpendicular corner") << std::vector<Piece>{a, segment({22, 62}, {60, 62})} << 10.0 << 50.0 << 5.0
                                          << Hlong(2);
}

void tst_HalconXldUnion::collinear()
{
    QFETCH(std::vector<Piece>, pieces);
    QFETCH(double, maxDist);
    QFETCH(double, maxShift);
    QFETCH(double, maxAngleDegrees);
    QFETCH(Hlong, expected);
    Hobject united;
    QCOMPARE(union_collinear_contours_xld(contoursOf(pieces), &united, maxDist, 0.0, maxShift,
                                          maxAngleDegrees * std::numbers::pi / 180.0, "attr_keep"),
             kSuccess);
    QCOMPARE(countOf(united), expected);
}

void tst_HalconXldUnion::collinearKeepsPointOrder()
{
    // Pieces given out of order and one reversed come back as one line from end to end.
    const std::vector<Piece> pieces = {segment({20, 66}, {20, 100}), segment({20, 10}, {20, 60}),
                                       reversed(segment({20, 108}, {20, 140}))};
    Hobject united;
    QCOMPARE(union_collinear_contours_xld(contoursOf(pieces), &united, 10.0, 0.01, 1.0, 0.1, "attr_forget"), kSuccess);
    QCOMPARE(countOf(united), Hlong(1));
    HTuple rows, cols;
    QCOMPARE(get_contour_xld(united, &rows, &cols), kSuccess);
    const std::vector<double> c = cols.ToDVector();
    const bool rising = c.front() < c.back();
    for (size_t i = 1; i < c.size(); ++i)
        QVERIFY(rising ? c[i] > c[i - 1] : c[i] < c[i - 1]);
    QCOMPARE(std::min(c.front(), c.back()), 10.0);
    QCOMPARE(std::max(c.front(), c.back()), 140.0);
}

void tst_HalconXldUnion::adjacent_data()
{
    QTest::addColumn<double>("gap");
    QTest::addColumn<double>("maxDistAbs");
    QTest::addColumn<double>("maxDistRel");
    QTest::addColumn<Hlong>("expected");
    QTest::addColumn<bool>("closed");
    QTest::newRow("corners within the distance") << 0.4 << 0.5 << 0.0 << Hlong(1) << true;
    QTest::newRow("corners beyond the distance") << 0.4 << 0.3 << 0.0 << Hlong(4) << false;
    // Pieces of about 40 px: 1 % of that allows 0.4 px.
    QTest::newRow("relative limit") << 0.35 << 0.0 << 0.01 << Hlong(1) << true;
    QTest::newRow("relative limit too small") << 0.45 << 0.1 << 0.01 << Hlong(4) << false;
    QTest::newRow("gaps of 3 px") << 3.0 << 4.3 << 0.0 << Hlong(1) << true;
}

void tst_HalconXldUnion::adjacent()
{
    QFETCH(double, gap);
    QFETCH(double, maxDistAbs);
    QFETCH(double, maxDistRel);
    QFETCH(Hlong, expected);
    QFETCH(bool, closed);
    const Hobject pieces = contoursOf(brokenSquare(gap));
    Hobject united;
    QCOMPARE(union_adjacent_contours_xld(pieces, &united, maxDistAbs, maxDistRel, "attr_keep"), kSuccess);
    QCOMPARE(countOf(united), expected);
    if (expected == 1) {
        QCOMPARE(isClosed(united), closed);
        // Every point of the pieces is kept; the closing side adds the last gap.
        QVERIFY(std::abs(totalLength(united) - totalLength(pieces) - 4 * gap) < 1e-6);
    }
}

void tst_HalconXldUnion::adjacentPassesClosedContours()
{
    Hobject circle, line, input, united;
    gen_circle_contour_xld(&circle, 100, 100, 20, 0.0, 2 * std::numbers::pi, "positive", 1.0);
    // A line starting right at a point of the circle stays apart: closed contours are final.
    line = contoursOf({segment({100, 120.2}, {100, 160})});
    concat_obj(circle, line, &input);
    QCOMPARE(union_adjacent_contours_xld(input, &united, 5.0, 0.0, "attr_keep"), kSuccess);
    QCOMPARE(countOf(united), Hlong(2));
    Hobject first;
    select_obj(united, &first, 1);
    QVERIFY(first.SharesElementsWith(circle) || isClosed(first));
}

void tst_HalconXldUnion::areaCenterPoints()
{
    // An L of 5 points: the mean of the points, not the centre of the enclosed area.
    const Hobject l = contoursOf({{{0, 0}, {0, 10}, {0, 20}, {10, 20}, {20, 20}}, {{3, 4}}});
    HTuple area, row, col;
    QCOMPARE(area_center_points_xld(l, &area, &row, &col), kSuccess);
    QCOMPARE(area.Length(), Hlong(2));
    QCOMPARE(area[0].L(), Hlong(5));
    QCOMPARE(row[0].D(), 6.0);
    QCOMPARE(col[0].D(), 14.0);
    QCOMPARE(area[1].L(), Hlong(1));
    QCOMPARE(row[1].D(), 3.0);
    QCOMPARE(col[1].D(), 4.0);
    QCOMPARE(area_center_points_xld(Hobject(), &area, &row, &col), kSuccess);
    QCOMPARE(area.Length(), Hlong(0));
}

void tst_HalconXldUnion::badInput_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<int>("expected");
    QTest::newRow("adjacent, negative distance") << 0 << int(kErrWrongValue1);
    QTest::newRow("adjacent, unknown mode") << 1 << int(kErrWrongValue3);
    QTest::newRow("adjacent on a region") << 2 << int(kErrWrongObjectClass1);
    QTest::newRow("collinear, negative shift") << 3 << int(kErrWrongValue3);
    QTest::newRow("collinear, text angle") << 4 << int(kErrWrongType4);
    QTest::newRow("centre of a region") << 5 << int(kErrWrongObjectClass1);
}

void tst_HalconXldUnion::badInput()
{
    QFETCH(int, which);
    QFETCH(int, expected);
    const Hobject pieces = contoursOf(brokenSquare(1.0));
    Hobject region;
    gen_rectangle1(&region, 0, 0, 5, 5);
    Hobject out = region;
    HTuple area = HTuple(7);
    Herror err = kSuccess;
    switch (which) {
    case 0: err = union_adjacent_contours_xld(pieces, &out, -1.0, 0.0, "attr_keep"); break;
    case 1: err = union_adjacent_contours_xld(pieces, &out, 1.0, 0.0, "attr_lost"); break;
    case 2: err = union_adjacent_contours_xld(region, &out, 1.0, 0.0, "attr_keep"); break;
    case 3: err = union_collinear_contours_xld(pieces, &out, 1.0, 0.0, -1.0, 0.1, "attr_keep"); break;
    case 4: err = union_collinear_contours_xld(pieces, &out, 1.0, 0.0, 1.0, "wide", "attr_keep"); break;
    case 5: err = area_center_points_xld(region, &area, nullptr, nullptr); break;
    }
    QCOMPARE(err, expected);
    QVERIFY(out.SharesElementsWith(region));
    QCOMPARE(area, HTuple(7));
}

QTEST_GUILESS_MAIN(tst_HalconXldUnion)
#include "tst_HalconXldUnion.moc"
