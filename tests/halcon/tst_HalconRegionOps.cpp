#include "Halcon.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

using namespace Halcon;

namespace {

// A byte picture of the given size from a 0/1 mask, and its region (pixels set to 1).
Hobject maskImage(int width, int height, const std::vector<std::uint8_t>& mask)
{
    std::vector<std::uint8_t> pixels(mask);
    for (auto& p : pixels)
        p = p ? 255 : 0;
    Hobject image;
    gen_image1(&image, "byte", width, height,
               HTuple(Hlong(reinterpret_cast<std::intptr_t>(pixels.data()))));
    return image;
}

Hobject maskRegion(int width, int height, const std::vector<std::uint8_t>& mask)
{
    Hobject region;
    threshold(maskImage(width, height, mask), &region, 128, 255);
    return region;
}

// Membership of every pixel of a width x height grid in the regions, row by row.
std::vector<std::uint8_t> pixelsOf(const Hobject& regions, int width, int height, int offset = 0)
{
    HTuple rows, columns, inside;
    for (int r = -offset; r < height + offset; ++r)
        for (int c = -offset; c < width + offset; ++c) {
            rows.Append(HValue(r));
            columns.Append(HValue(c));
        }
    if (test_region_point(regions, rows, columns, &inside) != kSuccess)
        return {};
    std::vector<std::uint8_t> out;
    for (Hlong i = 0; i < inside.Length(); ++i)
        out.push_back(std::uint8_t(inside[i].I()));
    return out;
}

std::vector<std::uint8_t> randomMask(int width, int height, int percent, quint32 seed)
{
    QRandomGenerator random(seed);
    std::vector<std::uint8_t> mask(size_t(width) * size_t(height));
    for (auto& m : mask)
        m = random.bounded(100) < percent ? 1 : 0;
    return mask;
}

Hlong areaOf(const Hobject& region)
{
    HTuple area, row, column;
    if (area_center(region, &area, &row, &column) != kSuccess || area.Length() != 1)
        return -1;
    return area.L();
}

// Components by flood fill, for comparison with connection.
std::vector<Hlong> floodAreas(int width, int height, std::vector<std::uint8_t> mask)
{
    std::vector<Hlong> areas;
    for (int start = 0; start < width * height; ++start) {
        if (!mask[size_t(start)])
            continue;
        Hlong area = 0;
        std::vector<int> stack{start};
        mask[size_t(start)] = 0;
        while (!stack.empty()) {
            const int p = stack.back();
            stack.pop_back();
            ++area;
            const int r = p / width;
            const int c = p % width;
            for (int dr = -1; dr <= 1; ++dr)
                for (int dc = -1; dc <= 1; ++dc) {
                    const int rr = r + dr;
                    const int cc = c + dc;
                    if (rr < 0 || rr >= height || cc < 0 || cc >= width)
                        continue;
                    if (mask[size_t(rr * width + cc)]) {
                        mask[size_t(rr * width + cc)] = 0;
                        stack.push_back(rr * width + cc);
                    }
                }
        }
        areas.push_back(area);
    }
    return areas;
}

} // namespace

class tst_HalconRegionOps : public QObject
{
    Q_OBJECT

private:
    // 0, 0 unsets the system picture size again.
    static void setPictureSize(Hlong width, Hlong height)
    {
        QCOMPARE(set_system(HTuple(std::vector<HValue>{HValue("width"), HValue("height")}),
                            HTuple(std::vector<Hlong>{width, height})),
                 kSuccess);
    }

private slots:
    void shapes_data();
    void shapes();
    void rotatedShapesSwapAxes();
    void shapeTuples();
    void badShapeValues_data();
    void badShapeValues();

    void connectionEightNeighbours();
    void connectionMatchesFloodFill();
    void connectionEdgeCases();

    void setOperationsMatchPixelSets();
    void setOperationsOnRectangles();
    void intersectionOfFewAndManyRuns_data();
    void intersectionOfFewAndManyRuns();
    void complementBounds();
    void complementOfWrappedHueRange();

    void dilations();
    void dilationsMatchPixelSets_data();
    void dilationsMatchPixelSets();
    void dilationBadValues();

    void measuresOfEmptyAndSeveralRegions();
    void wrongObjectClass();
    void regionPointTest();
    void subsetTest();
    void regionFromContour();
    void filledPolygonsByDefinition_data();
    void filledPolygonsByDefinition();
    void sideMarginsByDefinition_data();
    void sideMarginsByDefinition();
};

void tst_HalconRegionOps::shapes_data()
{
    QTest::addColumn<QString>("shape");
    QTest::addColumn<QList<double>>("parameters");
    QTest::addColumn<qint64>("area");
    QTest::addColumn<double>("row");
    QTest::addColumn<double>("column");
    QTest::addColumn<QList<int>>("box"); // row1, column1, row2, column2

    QTest::newRow("rectangle1") << "rectangle1" << QList<double>{2, 3, 5, 10} << qint64(32) << 3.5
                                << 6.5 << QList<int>{2, 3, 5, 10};
    QTest::newRow("rectangle1 one pixel") << "rectangle1" << QList<double>{7, 7, 7, 7} << qint64(1)
                                          << 7.0 << 7.0 << QList<int>{7, 7, 7, 7};
    QTest::newRow("rectangle2 axis parallel") << "rectangle2" << QList<double>{10, 20, 0, 3, 2}
                                              << qint64(35) << 10.0 << 20.0 << QList<int>{8, 17, 12, 23};
    // Pixel centres within 5 of the centre: 11 + 2 * (9 + 9 + 9 + 7 + 1).
    QTest::newRow("circle") << "circle" << QList<double>{20, 30, 5} << qint64(81) << 20.0 << 30.0
                            << QList<int>{15, 25, 25, 35};
    QTest::newRow("ellipse") << "ellipse" << QList<double>{20, 30, 0, 4, 2} << qint64(25) << 20.0
                             << 30.0 << QList<int>{18, 26, 22, 34};
    QTest::newRow("circle at the picture corner") << "circle" << QList<double>{0, 0, 1} << qint64(5)
                                                  << 0.0 << 0.0 << QList<int>{-1, -1, 1, 1};
}

void tst_HalconRegionOps::shapes()
{
    QFETCH(QString, shape);
    QFETCH(QList<double>, parameters);
    QFETCH(qint64, area);
    QFETCH(double, row);
    QFETCH(double, column);
    QFETCH(QList<int>, box);

    Hobject region;
    const auto& p = parameters;
    Herror err = kErrInternal;
    if (shape == "rectangle1")
        err = gen_rectangle1(&region, p[0], p[1], p[2], p[3]);
    else if (shape == "rectangle2")
        err = gen_rectangle2(&region, p[0], p[1], p[2], p[3], p[4]);
    else if (shape == "circle")
        err = gen_circle(&region, p[0], p[1], p[2]);
    else if (shape == "ellipse")
        err = gen_ellipse(&region, p[0], p[1], p[2], p[3], p[4]);
    QCOMPARE(err, kSuccess);

    HTuple a, r, c;
    QCOMPARE(area_center(region, &a, &r, &c), kSuccess);
    QCOMPARE(a.L(), Hlong(area));
    QCOMPARE(r.D(), row);
    QCOMPARE(c.D(), column);
    HTuple r1, c1, r2, c2;
    QCOMPARE(smallest_rectangle1(region, &r1, &c1, &r2, &c2), kSuccess);
    QCOMPARE((QList<int>{r1.I(), c1.I(), r2.I(), c2.I()}), box);
}

void tst_HalconRegionOps::rotatedShapesSwapAxes()
{
    // A quarter turn swaps the extents; phi turns counter-clockwise on screen, so the main
    // axis at 45 degrees runs from lower left to upper right.
    const double quarter = 1.5707963267948966;
    Hobject flat, upright;
    QCOMPARE(gen_ellipse(&flat, 50, 50, 0.0, 20, 5), kSuccess);
    QCOMPARE(gen_ellipse(&upright, 50, 50, quarter, 20, 5), kSuccess);
    HTuple r1, c1, r2, c2;
    QCOMPARE(smallest_rectangle1(upright, &r1, &c1, &r2, &c2), kSuccess);
    QCOMPARE((QList<int>{r1.I(), c1.I(), r2.I(), c2.I()}), (QList<int>{30, 45, 70, 55}));
    QCOMPARE(areaOf(upright), areaOf(flat));

    Hobject rect;
    QCOMPARE(gen_rectangle2(&rect, 50, 50, quarter / 2, 10, 1), kSuccess);
    HTuple inside;
    QCOMPARE(test_region_point(rect, HTuple(std::vector<double>{43, 57, 43}),
                               HTuple(std::vector<double>{57, 43, 43}), &inside),
             kSuccess);
    QCOMPARE(inside[0].I(), 1); // upper right
    QCOMPARE(inside[1].I(), 1); // lower left
    QCOMPARE(inside[2].I(), 0); // upper left lies off the axis
}

void tst_HalconRegionOps::shapeTuples()
{
    Hobject circles;
    QCOMPARE(gen_circle(&circles, HTuple(std::vector<double>{10, 40}), 10, 3), kSuccess);
    QCOMPARE(circles.CountObj(), Hlong(2));
    HTuple area, row, column;
    QCOMPARE(area_center(circles, &area, &row, &column), kSuccess);
    QCOMPARE(row[0].D(), 10.0);
    QCOMPARE(row[1].D(), 40.0);
    QCOMPARE(area[0].L(), area[1].L());
}

void tst_HalconRegionOps::badShapeValues_data()
{
    QTest::addColumn<QString>("shape");
    QTest::addColumn<int>("expected");

    QTest::newRow("rectangle1 row2 above row1") << "rectangle1 rows" << int(kErrWrongValue3);
    QTest::newRow("rectangle1 column2 left of column1") << "rectangle1 columns" << int(kErrWrongValue4);
    QTest::newRow("rectangle2 negative length") << "rectangle2" << int(kErrWrongValue4);
    QTest::newRow("circle negative radius") << "circle negative" << int(kErrWrongValue3);
    QTest::newRow("circle zero radius") << "circle zero" << int(kErrWrongValue3);
    QTest::newRow("circle radius text") << "circle text" << int(kErrWrongType3);
    QTest::newRow("circle no row") << "circle empty" << int(kErrWrongCount1);
    QTest::newRow("circle tuple lengths differ") << "circle lengths" << int(kErrWrongCount2);
    QTest::newRow("ellipse zero radius") << "ellipse" << int(kErrWrongValue5);
    QTest::newRow("circle far outside") << "circle far" << int(kErrWrongValue1);
}

void tst_HalconRegionOps::badShapeValues()
{
    QFETCH(QString, shape);
    QFETCH(int, expected);

    Hobject before;
    QCOMPARE(gen_rectangle1(&before, 0, 0, 1, 1), kSuccess);
    Hobject region = before;
    Herror err = kSuccess;
    if (shape == "rectangle1 rows")
        err = gen_rectangle1(&region, 5, 0, 4, 3);
    else if (shape == "rectangle1 columns")
        err = gen_rectangle1(&region, 0, 5, 4, 3);
    else if (shape == "rectangle2")
        err = gen_rectangle2(&region, 5, 5, 0, -1, 2);
    else if (shape == "circle negative")
        err = gen_circle(&region, 5, 5, -2);
    else if (shape == "circle zero")
        err = gen_circle(&region, 5, 5, 0);
    else if (shape == "circle text")
        err = gen_circle(&region, 5, 5, "big");
    else if (shape == "circle empty")
        err = gen_circle(&region, HTuple(), 5, 2);
    else if (shape == "circle lengths")
        err = gen_circle(&region, HTuple(std::vector<double>{1, 2, 3}),
                         HTuple(std::vector<double>{1, 2}), 2);
    else if (shape == "ellipse")
        err = gen_ellipse(&region, 5, 5, 0, 3, 0);
    else if (shape == "circle far")
        err = gen_circle(&region, 1e12, 5, 2);
    QCOMPARE(err, Herror(expected));
    QVERIFY(region.SharesElementsWith(before)); // output untouched
}

void tst_HalconRegionOps::connectionEightNeighbours()
{
    // Two diagonal chains that touch only at corners, one isolated pixel, and a blob that
    // touches the right and bottom border of the picture.
    const int w = 8, h = 6;
    const std::vector<std::uint8_t> mask = {
        1, 0, 0, 0, 0, 0, 0, 0,
        0, 1, 0, 0, 0, 0, 0, 1,
        0, 0, 1, 0, 0, 0, 1, 0,
        0, 0, 0, 0, 0, 0, 0, 0,
        0, 0, 0, 1, 0, 0, 1, 1,
        0, 0, 0, 0, 0, 0, 1, 1,
    };
    Hobject components;
    QCOMPARE(connection(maskRegion(w, h, mask), &components), kSuccess);
    HTuple area, row, column;
    QCOMPARE(area_center(components, &area, &row, &column), kSuccess);
    // Ordered by first pixel: the diagonal from (0,0), the one from (1,7), the pixel (4,3),
    // the border blob.
    QCOMPARE(area.ToLVector(), (std::vector<Hlong>{3, 2, 1, 4}));
    QCOMPARE(row[0].D(), 1.0);
    QCOMPARE(column[1].D(), 6.5);
    QCOMPARE(row[3].D(), 4.5);
    QCOMPARE(column[3].D(), 6.5);
}

void tst_HalconRegionOps::connectionMatchesFloodFill()
{
    for (int percent : {30, 55, 70}) {
        const int w = 61, h = 47;
        const auto mask = randomMask(w, h, percent, quint32(percent));
        Hobject components;
        QCOMPARE(connection(maskRegion(w, h, mask), &components), kSuccess);
        HTuple area, row, column;
        QCOMPARE(area_center(components, &area, &row, &column), kSuccess);
        QCOMPARE(area.ToLVector(), floodAreas(w, h, mask));
        // The components together are the input again.
        Hobject all;
        QCOMPARE(union1(components, &all), kSuccess);
        QCOMPARE(pixelsOf(all, w, h), mask);
    }
}

void tst_HalconRegionOps::connectionEdgeCases()
{
    Hobject empty, components;
    QCOMPARE(threshold(maskImage(4, 4, std::vector<std::uint8_t>(16, 0)), &empty, 128, 255), kSuccess);
    QCOMPARE(connection(empty, &components), kSuccess);
    QCOMPARE(components.CountObj(), Hlong(0));

    Hobject full;
    QCOMPARE(connection(maskRegion(5, 3, std::vector<std::uint8_t>(15, 1)), &full), kSuccess);
    QCOMPARE(full.CountObj(), Hlong(1));
    QCOMPARE(areaOf(full), Hlong(15));

    Hobject none;
    QCOMPARE(connection(Hobject(), &none), kSuccess);
    QCOMPARE(none.CountObj(), Hlong(0));
}

void tst_HalconRegionOps::setOperationsMatchPixelSets()
{
    const int w = 40, h = 30;
    const auto a = randomMask(w, h, 50, 7);
    const auto b = randomMask(w, h, 40, 11);
    const Hobject ra = maskRegion(w, h, a);
    const Hobject rb = maskRegion(w, h, b);
    Hobject both, onlyA, either, either2;
    QCOMPARE(intersection(ra, rb, &both), kSuccess);
    QCOMPARE(difference(ra, rb, &onlyA), kSuccess);
    QCOMPARE(union2(ra, rb, &either), kSuccess);
    Hobject pair;
    QCOMPARE(concat_obj(ra, rb, &pair), kSuccess);
    QCOMPARE(union1(pair, &either2), kSuccess);

    std::vector<std::uint8_t> expectBoth, expectOnlyA, expectEither;
    for (size_t i = 0; i < a.size(); ++i) {
        expectBoth.push_back(a[i] && b[i]);
        expectOnlyA.push_back(a[i] && !b[i]);
        expectEither.push_back(a[i] || b[i]);
    }
    QCOMPARE(pixelsOf(both, w, h), expectBoth);
    QCOMPARE(pixelsOf(onlyA, w, h), expectOnlyA);
    QCOMPARE(pixelsOf(either, w, h), expectEither);
    QCOMPARE(pixelsOf(either2, w, h), expectEither);
}

void tst_HalconRegionOps::intersectionOfFewAndManyRuns_data()
{
    QTest::addColumn<int>("row1");
    QTest::addColumn<int>("column1");
    QTest::addColumn<int>("row2");
    QTest::addColumn<int>("column2");
    QTest::addColumn<int>("percent");
    QTest::addColumn<bool>("fewFirst");
    QTest::newRow("few runs inside") << 40 << 30 << 43 << 60 << 50 << true;
    QTest::newRow("many runs first") << 40 << 30 << 43 << 60 << 50 << false;
    QTest::newRow("whole rows, sparse") << 10 << 0 << 12 << 199 << 90 << true;
    QTest::newRow("first and last row") << 0 << 0 << 0 << 199 << 30 << true;
    QTest::newRow("last row, many first") << 149 << 150 << 149 << 199 << 30 << false;
    QTest::newRow("single pixels") << 70 << 70 << 75 << 75 << 97 << true;
}

void tst_HalconRegionOps::intersectionOfFewAndManyRuns()
{
    // A colony against a region of the whole picture: few runs against very many, in both
    // orders, with long runs of one side covering several of the other.
    QFETCH(int, row1);
    QFETCH(int, column1);
    QFETCH(int, row2);
    QFETCH(int, column2);
    QFETCH(int, percent);
    QFETCH(bool, fewFirst);
    const int w = 200, h = 150;
    const auto many = randomMask(w, h, 45, 3);
    auto few = randomMask(w, h, percent, 5);
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
            if (r < row1 || r > row2 || c < column1 || c > column2)
                few[size_t(r * w + c)] = 0;
    const Hobject manyRegion = maskRegion(w, h, many);
    const Hobject fewRegion = maskRegion(w, h, few);
    Hobject both;
    QCOMPARE(fewFirst ? intersection(fewRegion, manyRegion, &both) : intersection(manyRegion, fewRegion, &both),
             kSuccess);
    std::vector<std::uint8_t> expected;
    for (size_t i = 0; i < many.size(); ++i)
        expected.push_back(many[i] && few[i]);
    QCOMPARE(pixelsOf(both, w, h), expected);
}

void tst_HalconRegionOps::setOperationsOnRectangles()
{
    Hobject a, b, c, bc;
    QCOMPARE(gen_rectangle1(&a, 0, 0, 9, 9), kSuccess);   // 100 pixels
    QCOMPARE(gen_rectangle1(&b, 5, 5, 14, 14), kSuccess); // overlaps a in 25
    QCOMPARE(gen_rectangle1(&c, 0, 8, 1, 20), kSuccess);  // overlaps a in 4
    QCOMPARE(concat_obj(b, c, &bc), kSuccess);

    Hobject out;
    // Each region of the first input against the union of all regions of the second.
    QCOMPARE(intersection(a, bc, &out), kSuccess);
    QCOMPARE(areaOf(out), Hlong(29));
    QCOMPARE(difference(a, bc, &out), kSuccess);
    QCOMPARE(areaOf(out), Hlong(71));
    QCOMPARE(union2(a, bc, &out), kSuccess);
    QCOMPARE(areaOf(out), Hlong(100 + 100 + 26 - 25 - 4));

    // Per region of the first input.
    QCOMPARE(intersection(bc, a, &out), kSuccess);
    HTuple area, row, column;
    QCOMPARE(area_center(out, &area, &row, &column), kSuccess);
    QCOMPARE(area.ToLVector(), (std::vector<Hlong>{25, 4}));

    // Nothing to take away or intersect with.
    QCOMPARE(difference(a, Hobject(), &out), kSuccess);
    QCOMPARE(areaOf(out), Hlong(100));
    QCOMPARE(intersection(a, Hobject(), &out), kSuccess);
    QCOMPARE(areaOf(out), Hlong(0));

    // An output may be an input.
    Hobject inPlace = a;
    QCOMPARE(difference(inPlace, b, &inPlace), kSuccess);
    QCOMPARE(areaOf(inPlace), Hlong(75));
}

void tst_HalconRegionOps::complementBounds()
{
    Hobject square;
    QCOMPARE(gen_rectangle1(&square, 2, 2, 4, 4), kSuccess);

    // Without a system picture size: the largest picture made so far, by any operator
    // (no grey-value operator has seen this one). 1000 x 700 is the largest of this test.
    setPictureSize(0, 0);
    Hobject large, outside;
    QCOMPARE(gen_image_const(&large, "byte", 1000, 700), kSuccess);
    QCOMPARE(complement(square, &outside), kSuccess);
    QCOMPARE(areaOf(outside), Hlong(1000 * 700 - 9));

    // An explicit picture size.
    setPictureSize(10, 8);
    QCOMPARE(complement(square, &outside), kSuccess);
    QCOMPARE(areaOf(outside), Hlong(80 - 9));
    HTuple r1, c1, r2, c2;
    QCOMPARE(smallest_rectangle1(outside, &r1, &c1, &r2, &c2), kSuccess);
    QCOMPARE((QList<int>{r1.I(), c1.I(), r2.I(), c2.I()}), (QList<int>{0, 0, 7, 9}));

    // The region itself never reaches past the rectangle's complement.
    Hobject wide;
    QCOMPARE(gen_rectangle1(&wide, 0, 0, 0, 14), kSuccess);
    QCOMPARE(complement(wide, &outside), kSuccess);
    QCOMPARE(areaOf(outside), Hlong(15 * 8 - 15));

    // A size of 0 is "not set" again; half a size counts as none.
    setPictureSize(0, 8);
    QCOMPARE(complement(square, &outside), kSuccess);
    QCOMPARE(areaOf(outside), Hlong(1000 * 700 - 9));
    setPictureSize(0, 0);
    QCOMPARE(complement(square, &outside), kSuccess);
    QCOMPARE(areaOf(outside), Hlong(1000 * 700 - 9));
}

void tst_HalconRegionOps::complementOfWrappedHueRange()
{
    // A hue band that wraps: keep the values below 10 or above 250 (limits excluded) by
    // complementing threshold(10, 250) within the picture.
    const int w = 16, h = 16;
    std::vector<std::uint8_t> hue(size_t(w * h));
    for (size_t i = 0; i < hue.size(); ++i)
        hue[i] = std::uint8_t(i);
    Hobject image;
    QCOMPARE(gen_image1(&image, "byte", w, h, HTuple(Hlong(reinterpret_cast<std::intptr_t>(hue.data())))),
             kSuccess);
    setPictureSize(w, h);
    Hobject middle, wrapped;
    QCOMPARE(threshold(image, &middle, 10, 250), kSuccess);
    QCOMPARE(complement(middle, &wrapped), kSuccess);
    QCOMPARE(areaOf(wrapped), Hlong(10 + 5));
    const auto pixels = pixelsOf(wrapped, w, h);
    for (size_t i = 0; i < pixels.size(); ++i)
        QCOMPARE(bool(pixels[i]), i < 10 || i > 250);
}

void tst_HalconRegionOps::dilations()
{
    Hobject dot, out;
    QCOMPARE(gen_rectangle1(&dot, 50, 50, 50, 50), kSuccess);
    // Offsets within 4.5: 9 + 2 * (9 + 9 + 7 + 5).
    QCOMPARE(dilation_circle(dot, &out, 4.5), kSuccess);
    QCOMPARE(areaOf(out), Hlong(69));
    QCOMPARE(dilation_circle(dot, &out, 0.5), kSuccess);
    QCOMPARE(areaOf(out), Hlong(1));

    QCOMPARE(dilation_rectangle1(dot, &out, 30, 30), kSuccess);
    QCOMPARE(areaOf(out), Hlong(900));
    HTuple r1, c1, r2, c2;
    QCOMPARE(smallest_rectangle1(out, &r1, &c1, &r2, &c2), kSuccess);
    QCOMPARE((QList<int>{r1.I(), c1.I(), r2.I(), c2.I()}), (QList<int>{36, 36, 65, 65}));

    QCOMPARE(dilation_rectangle1(dot, &out, 3, 1), kSuccess);
    QCOMPARE(smallest_rectangle1(out, &r1, &c1, &r2, &c2), kSuccess);
    QCOMPARE((QList<int>{r1.I(), c1.I(), r2.I(), c2.I()}), (QList<int>{50, 49, 50, 51}));

    // Two pixels 3 apart grow together under a radius-2 circle.
    Hobject pair, grown, parts;
    QCOMPARE(gen_rectangle1(&pair, HTuple(std::vector<double>{10, 10}), HTuple(std::vector<double>{10, 13}),
                            HTuple(std::vector<double>{10, 10}), HTuple(std::vector<double>{10, 13})),
             kSuccess);
    QCOMPARE(union1(pair, &pair), kSuccess);
    QCOMPARE(dilation_circle(pair, &grown, 2), kSuccess);
    QCOMPARE(connection(grown, &parts), kSuccess);
    QCOMPARE(parts.CountObj(), Hlong(1));
}

void tst_HalconRegionOps::dilationsMatchPixelSets_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<double>("width"); // the circle's radius
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("emptyRows"); // every n-th band of four rows left out (0: none)
    // Scattered pixels give many runs on a row, from several rows of the element at once,
    // in any order; bands without pixels leave rows that no element row reaches.
    QTest::newRow("circle 4.5, scattered") << "circle" << 4.5 << 0 << 3 << 0;
    QTest::newRow("circle 2, dense") << "circle" << 2.0 << 0 << 40 << 0;
    QTest::newRow("circle 1.5, bands apart") << "circle" << 1.5 << 0 << 10 << 2;
    QTest::newRow("circle 0.5, scattered") << "circle" << 0.5 << 0 << 20 << 0;
    QTest::newRow("rectangle 5 x 3, scattered") << "rectangle" << 5.0 << 3 << 5 << 0;
    QTest::newRow("rectangle 1 x 6, bands apart") << "rectangle" << 1.0 << 6 << 15 << 3;
}

void tst_HalconRegionOps::dilationsMatchPixelSets()
{
    QFETCH(QString, element);
    QFETCH(double, width);
    QFETCH(int, height);
    QFETCH(int, percent);
    QFETCH(int, emptyRows);
    const int w = 37, h = 33;
    std::vector<std::uint8_t> mask = randomMask(w, h, percent, quint32(percent * 31 + emptyRows));
    for (int r = 0; emptyRows > 0 && r < h; ++r) {
        if ((r / 4) % emptyRows == 0)
            std::fill(mask.begin() + r * w, mask.begin() + (r + 1) * w, 0);
    }
    Hobject grown;
    const bool circle = element == "circle";
    if (circle)
        QCOMPARE(dilation_circle(maskRegion(w, h, mask), &grown, width), kSuccess);
    else
        QCOMPARE(dilation_rectangle1(maskRegion(w, h, mask), &grown, Hlong(width), height), kSuccess);
    // By definition: a pixel is in the result when a pixel of the mask lies within the element
    // around it (pixel centres within the radius; a rectangle's centre pixel rounded up-left).
    const int margin = 6;
    const int rectangleWidth = int(width);
    const auto reaches = [&](int dy, int dx) {
        if (circle)
            return double(dy * dy + dx * dx) <= width * width + 1e-9;
        return dy >= -(height - 1) / 2 && dy <= height / 2 && dx >= -(rectangleWidth - 1) / 2
            && dx <= rectangleWidth / 2;
    };
    std::vector<std::uint8_t> expected;
    for (int r = -margin; r < h + margin; ++r) {
        for (int c = -margin; c < w + margin; ++c) {
            bool in = false;
            for (int dy = -margin; dy <= margin && !in; ++dy) {
                for (int dx = -margin; dx <= margin && !in; ++dx) {
                    const int mr = r - dy, mc = c - dx;
                    in = mr >= 0 && mr < h && mc >= 0 && mc < w && mask[size_t(mr * w + mc)] && reaches(dy, dx);
                }
            }
            expected.push_back(in ? 1 : 0);
        }
    }
    QVERIFY(pixelsOf(grown, w, h, margin) == expected);
}

void tst_HalconRegionOps::dilationBadValues()
{
    Hobject dot, out;
    QCOMPARE(gen_rectangle1(&dot, 5, 5, 5, 5), kSuccess);
    QCOMPARE(dilation_circle(dot, &out, -1.0), kErrWrongValue1);
    QCOMPARE(dilation_circle(dot, &out, 0.2), kErrWrongValue1);
    QCOMPARE(dilation_circle(dot, &out, "one"), kErrWrongType1);
    QCOMPARE(dilation_rectangle1(dot, &out, 0, 3), kErrWrongValue1);
    QCOMPARE(dilation_rectangle1(dot, &out, 3, -3), kErrWrongValue2);
    QCOMPARE(dilation_rectangle1(dot, &out, 2.5, 3), kErrWrongValue1);
    QVERIFY(out.IsEmpty());
}

void tst_HalconRegionOps::measuresOfEmptyAndSeveralRegions()
{
    Hobject empty, rect, both;
    QCOMPARE(threshold(maskImage(3, 3, std::vector<std::uint8_t>(9, 0)), &empty, 128, 255), kSuccess);
    QCOMPARE(gen_rectangle1(&rect, 1, 1, 2, 4), kSuccess);
    QCOMPARE(concat_obj(empty, rect, &both), kSuccess);

    HTuple area, row, column;
    QCOMPARE(area_center(both, &area, &row, &column), kSuccess);
    QCOMPARE(area.ToLVector(), (std::vector<Hlong>{0, 8}));
    QCOMPARE(row.ToDVector(), (std::vector<double>{0.0, 1.5}));
    QCOMPARE(column.ToDVector(), (std::vector<double>{0.0, 2.5}));

    HTuple r1, c1, r2, c2;
    QCOMPARE(smallest_rectangle1(both, &r1, &c1, &r2, &c2), kSuccess);
    QCOMPARE(r1.ToLVector(), (std::vector<Hlong>{0, 1}));
    QCOMPARE(r2.ToLVector(), (std::vector<Hlong>{-1, 2}));
    QCOMPARE(c2.ToLVector(), (std::vector<Hlong>{-1, 4}));

    // No region at all: empty results.
    QCOMPARE(area_center(Hobject(), &area, &row, &column), kSuccess);
    QCOMPARE(area.Length(), Hlong(0));

    // union1 of nothing is one empty region.
    Hobject united;
    QCOMPARE(union1(Hobject(), &united), kSuccess);
    QCOMPARE(united.CountObj(), Hlong(1));
    QCOMPARE(areaOf(united), Hlong(0));
}

void tst_HalconRegionOps::wrongObjectClass()
{
    const Hobject image = maskImage(4, 4, std::vector<std::uint8_t>(16, 1));
    Hobject rect, out;
    QCOMPARE(gen_rectangle1(&rect, 0, 0, 1, 1), kSuccess);
    HTuple a, b, c, d;
    QCOMPARE(area_center(image, &a, &b, &c), kErrWrongObjectClass1);
    QCOMPARE(connection(image, &out), kErrWrongObjectClass1);
    QCOMPARE(complement(image, &out), kErrWrongObjectClass1);
    QCOMPARE(intersection(rect, image, &out), kErrWrongObjectClass2);
    QCOMPARE(difference(image, rect, &out), kErrWrongObjectClass1);
    QCOMPARE(union2(rect, image, &out), kErrWrongObjectClass2);
    QCOMPARE(dilation_circle(image, &out, 2), kErrWrongObjectClass1);
    QCOMPARE(smallest_rectangle1(image, &a, &b, &c, &d), kErrWrongObjectClass1);
    QCOMPARE(test_region_point(image, 0, 0, &a), kErrWrongObjectClass1);
    QCOMPARE(test_subset_region(rect, image, &a), kErrWrongObjectClass2);
    QCOMPARE(gen_region_contour_xld(rect, &out, "filled"), kErrWrongObjectClass1);
    QVERIFY(out.IsEmpty());
}

void tst_HalconRegionOps::regionPointTest()
{
    Hobject ring, inner;
    QCOMPARE(gen_rectangle1(&ring, 0, 0, 9, 9), kSuccess);
    QCOMPARE(gen_rectangle1(&inner, 3, 3, 6, 6), kSuccess);
    QCOMPARE(difference(ring, inner, &ring), kSuccess);

    HTuple inside;
    QCOMPARE(test_region_point(ring, HTuple(std::vector<double>{0, 9, 4, 10, -1, 2.6}),
                               HTuple(std::vector<double>{0, 9, 4, 0, 0, 2.4}), &inside),
             kSuccess);
    // (2.6, 2.4) is the pixel (3, 2), on the ring.
    QCOMPARE(inside.ToLVector(), (std::vector<Hlong>{1, 1, 0, 0, 0, 1}));
    QCOMPARE(test_region_point(ring, HTuple(std::vector<double>{1, 2}), 1, &inside), kErrWrongCount2);

    // Several regions: inside any of them.
    Hobject two;
    QCOMPARE(concat_obj(ring, inner, &two), kSuccess);
    QCOMPARE(test_region_point(two, 4, 4, &inside), kSuccess);
    QCOMPARE(inside.I(), 1);
}

void tst_HalconRegionOps::subsetTest()
{
    Hobject big, small, straddle, empty, smallStraddleEmpty;
    QCOMPARE(gen_circle(&big, 20, 20, 10), kSuccess);
    QCOMPARE(gen_rectangle1(&small, 18, 18, 22, 22), kSuccess);
    QCOMPARE(gen_rectangle1(&straddle, 18, 25, 22, 35), kSuccess);
    QCOMPARE(intersection(small, Hobject(), &empty), kSuccess);
    Hobject tmp;
    QCOMPARE(concat_obj(small, straddle, &tmp), kSuccess);
    QCOMPARE(concat_obj(tmp, empty, &smallStraddleEmpty), kSuccess);

    HTuple isSubset;
    QCOMPARE(test_subset_region(smallStraddleEmpty, big, &isSubset), kSuccess);
    QCOMPARE(isSubset.ToLVector(), (std::vector<Hlong>{1, 0, 1}));
    QCOMPARE(test_subset_region(big, big, &isSubset), kSuccess);
    QCOMPARE(isSubset.I(), 1);

    QCOMPARE(test_subset_region(small, Hobject(), &isSubset), kErrEmptyObject);
    QCOMPARE(test_subset_region(small, tmp, &isSubset), kErrObjectCountMismatch);
}

void tst_HalconRegionOps::regionFromContour()
{
    Hobject square;
    QCOMPARE(gen_contour_polygon_xld(&square, HTuple(std::vector<double>{0, 0, 10, 10, 0}),
                                     HTuple(std::vector<double>{0, 10, 10, 0, 0})),
             kSuccess);
    Hobject filled, margin, inner;
    QCOMPARE(gen_region_contour_xld(square, &filled, "filled"), kSuccess);
    QCOMPARE(gen_region_contour_xld(square, &margin, "margin"), kSuccess);
    QCOMPARE(areaOf(filled), Hlong(121));
    QCOMPARE(areaOf(margin), Hlong(40));
    QCOMPARE(difference(filled, margin, &inner), kSuccess);
    QCOMPARE(areaOf(inner), Hlong(81));

    // A triangle: half the square, diagonal included.
    Hobject triangle, region;
    QCOMPARE(gen_contour_polygon_xld(&triangle, HTuple(std::vector<double>{0, 10, 10}),
                                     HTuple(std::vector<double>{0, 0, 10})),
             kSuccess);
    QCOMPARE(gen_region_contour_xld(triangle, &region, "filled"), kSuccess);
    QCOMPARE(areaOf(region), Hlong(66));

    Hobject before = filled;
    QCOMPARE(gen_region_contour_xld(square, &filled, "hollow"), kErrWrongValue1);
    QVERIFY(filled.SharesElementsWith(before));
}

using Polygon = std::vector<std::pair<double, double>>; // (row, column)

void tst_HalconRegionOps::filledPolygonsByDefinition_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("stars") << 0;
    QTest::newRow("self-crossing zigzags") << 1;
    QTest::newRow("whole-pixel corners and level sides") << 2;
    // The buffers a thread keeps between fills are given back after one this long.
    QTest::newRow("stars after an outline too long to keep") << 3;
}

// A filled polygon holds its outline's pixels and every pixel whose centre the even-odd rule
// puts inside: on the pixel's row, an odd number of sides cross at or left of it, counting a
// corner on the row for the side that leaves it downwards, or a crossing lies on it.
void tst_HalconRegionOps::filledPolygonsByDefinition()
{
    QFETCH(int, kind);
    QRandomGenerator random(quint32(kind) + 77);
    const auto uniform = [&random](double low, double high) { return low + (high - low) * random.generateDouble(); };
    const int size = 64;
    if (kind == 3) {
        Hobject huge, filled;
        QCOMPARE(gen_circle_contour_xld(&huge, 30000.0, 30000.0, 29000.0, 0.0, 6.283185307179586, "positive", 1.0),
                 kSuccess);
        QCOMPARE(gen_region_contour_xld(huge, &filled, "filled"), kSuccess);
        HTuple area, row, column;
        QCOMPARE(area_center(filled, &area, &row, &column), kSuccess);
        QVERIFY(area.D() > 2.6e9);
    }
    for (int n = 0; n < 40; ++n) {
        Polygon polygon;
        const int corners = 3 + int(random.bounded(40));
        for (int i = 0; i < corners; ++i) {
            if (kind == 0 || kind == 3) {
                const double phi = 6.283185307179586 * i / corners;
                const double radius = uniform(5.0, 25.0);
                polygon.emplace_back(32.0 + radius * std::sin(phi), 32.0 + radius * std::cos(phi));
            } else if (kind == 1) {
                polygon.emplace_back(uniform(6.0, 58.0), uniform(6.0, 58.0));
            } else {
                // Corners on whole pixels, and every other side level.
                const double row = i % 2 == 1 ? polygon.back().first : double(6 + random.bounded(52));
                polygon.emplace_back(row, double(6 + random.bounded(52)));
            }
        }
        // Closed, so that its outline has the side back to the start too.
        std::vector<double> rows, columns;
        for (const auto& [row, column] : polygon) {
            rows.push_back(row);
            columns.push_back(column);
        }
        rows.push_back(rows.front());
        columns.push_back(columns.front());
        Hobject contour, filled, margin;
        QCOMPARE(gen_contour_polygon_xld(&contour, HTuple(rows), HTuple(columns)), kSuccess);
        QCOMPARE(gen_region_contour_xld(contour, &filled, "filled"), kSuccess);
        QCOMPARE(gen_region_contour_xld(contour, &margin, "margin"), kSuccess);
        const std::vector<std::uint8_t> outline = pixelsOf(margin, size, size);
        const std::vector<std::uint8_t> result = pixelsOf(filled, size, size);
        for (int r = 0; r < size; ++r) {
            std::vector<double> crossings;
            for (size_t i = 0; i < polygon.size(); ++i) {
                const auto& [r0, c0] = polygon[i];
                const auto& [r1, c1] = polygon[(i + 1) % polygon.size()];
                if (std::min(r0, r1) <= r && r < std::max(r0, r1))
                    crossings.push_back(c0 + (r - r0) * (c1 - c0) / (r1 - r0));
            }
            for (int c = 0; c < size; ++c) {
                const auto atOrLeft = std::count_if(crossings.begin(), crossings.end(),
                                                    [c](double x) { return x <= c + 1e-7; });
                const auto clearlyLeft = std::count_if(crossings.begin(), crossings.end(),
                                                       [c](double x) { return x < c - 1e-7; });
                const bool inside = atOrLeft % 2 == 1 || clearlyLeft < atOrLeft;
                const size_t at = size_t(r * size + c);
                QVERIFY2(bool(result[at]) == (inside || outline[at]),
                         qPrintable(QStringLiteral("polygon %1, pixel (%2, %3)").arg(n).arg(r).arg(c)));
            }
        }
    }
}

void tst_HalconRegionOps::sideMarginsByDefinition_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("shallow") << 0;
    QTest::newRow("steep") << 1;
    QTest::newRow("diagonal") << 2;
    QTest::newRow("ends on half pixels, below zero too") << 3;
}

// The margin of one side is the digital line between its rounded ends (a half rounds up):
// one pixel for each step along the longer axis, each as near to the side there as a pixel
// can be (of two equally near, either).
void tst_HalconRegionOps::sideMarginsByDefinition()
{
    QFETCH(int, kind);
    QRandomGenerator random(quint32(kind) + 91);
    const auto uniform = [&random](double low, double high) { return low + (high - low) * random.generateDouble(); };
    const auto halves = [&random](int low, int high) { return 0.5 * double(low + int(random.bounded(high - low))); };
    const auto rounded = [](double v) { return int(std::floor(v + 0.5)); };
    const int size = 40;
    const int offset = 20; // the grid reaches from -20 to 59
    for (int n = 0; n < 60; ++n) {
        double r0 = uniform(4.0, 30.0);
        double c0 = uniform(4.0, 30.0);
        double r1 = r0 + uniform(-6.0, 6.0);
        double c1 = c0 + (n % 2 ? 1.0 : -1.0) * uniform(8.0, 18.0);
        if (kind == 1) {
            std::swap(r0, c0);
            std::swap(r1, c1);
        } else if (kind == 2) {
            const double d = uniform(-14.0, 14.0);
            r1 = r0 + d;
            c1 = c0 + (n % 2 ? d : -d);
        } else if (kind == 3) {
            r0 = halves(-30, 50);
            c0 = halves(-30, 50);
            r1 = halves(-30, 50);
            c1 = halves(-30, 50);
        }
        Hobject side, margin;
        QCOMPARE(gen_contour_polygon_xld(&side, HTuple(std::vector<double>{r0, r1}), HTuple(std::vector<double>{c0, c1})),
                 kSuccess);
        QCOMPARE(gen_region_contour_xld(side, &margin, "margin"), kSuccess);
        const std::vector<std::uint8_t> pixels = pixelsOf(margin, size, size, offset);
        const int rowFrom = rounded(r0), rowTo = rounded(r1), columnFrom = rounded(c0), columnTo = rounded(c1);
        const bool alongRows = std::abs(rowTo - rowFrom) >= std::abs(columnTo - columnFrom);
        const int from = alongRows ? rowFrom : columnFrom;
        const int to = alongRows ? rowTo : columnTo;
        const int acrossFrom = alongRows ? columnFrom : rowFrom;
        const int acrossTo = alongRows ? columnTo : rowTo;
        std::map<int, int> perStep;
        const int width = size + 2 * offset;
        for (int i = 0; i < int(pixels.size()); ++i) {
            if (!pixels[size_t(i)])
                continue;
            const int row = i / width - offset;
            const int column = i % width - offset;
            const int along = alongRows ? row : column;
            const int across = alongRows ? column : row;
            const QString where = QStringLiteral("side %1, pixel (%2, %3)").arg(n).arg(row).arg(column);
            QVERIFY2(std::min(from, to) <= along && along <= std::max(from, to), qPrintable(where));
            const double ideal =
                from == to ? acrossFrom : acrossFrom + double(along - from) * (acrossTo - acrossFrom) / (to - from);
            QVERIFY2(std::abs(across - ideal) <= 0.5 + 1e-9, qPrintable(where));
            ++perStep[along];
        }
        QCOMPARE(int(perStep.size()), std::abs(to - from) + 1);
        for (const auto& [along, count] : perStep)
            QCOMPARE(count, 1);
    }
}

QTEST_GUILESS_MAIN(tst_HalconRegionOps)
#include "tst_HalconRegionOps.moc"
