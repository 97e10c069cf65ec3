#include "HalconAop_p.h"
#include "HalconErrors.h"
#include "HalconGeometryOps.h"
#include "HalconImageOps.h"
#include "HalconObjectOps.h"
#include "HalconRegionOps.h"
#include "HalconSystemOps.h"
#include "HalconXldAnalysis.h"
#include "HalconXldOps.h"

#include <QtTest>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <numbers>
#include <vector>

using namespace Halcon;

namespace {

constexpr double kPi = std::numbers::pi;

HTuple values(std::initializer_list<double> v)
{
    return HTuple(std::vector<double>(v));
}

// A grey picture with anti-aliased discs: every pixel takes the disc's grey value in
// proportion to the share of the pixel the disc covers, so edges sit at sub-pixel places.
class DiscPicture
{
public:
    DiscPicture(int width, int height, double background)
        : m_width(width), m_height(height), m_pixels(size_t(width) * size_t(height), float(background))
    {
    }

    void addDisc(double row, double col, double radius, double grey)
    {
        const int r1 = std::max(0, int(std::floor(row - radius - 2))), r2 = std::min(m_height - 1, int(std::ceil(row + radius + 2)));
        const int c1 = std::max(0, int(std::floor(col - radius - 2))), c2 = std::min(m_width - 1, int(std::ceil(col + radius + 2)));
        for (int r = r1; r <= r2; ++r) {
            for (int c = c1; c <= c2; ++c) {
                const double cover = coverage(r - row, c - col, radius);
                float &p = m_pixels[size_t(r) * size_t(m_width) + size_t(c)];
                p = float(p * (1.0 - cover) + grey * cover);
            }
        }
    }

    Hobject image(bool real = false) const
    {
        Hobject result;
        if (real) {
            gen_image1(&result, "real", m_width, m_height, Hlong(reinterpret_cast<std::intptr_t>(m_pixels.data())));
            return result;
        }
        std::vector<std::uint8_t> bytes(m_pixels.size());
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = std::uint8_t(std::clamp(std::lround(m_pixels[i]), 0L, 255L));
        gen_image1(&result, "byte", m_width, m_height, Hlong(reinterpret_cast<std::intptr_t>(bytes.data())));
        return result;
    }

private:
    static double coverage(double dr, double dc, double radius)
    {
        const double d = std::hypot(dr, dc);
        if (d <= radius - 0.75)
            return 1.0;
        if (d >= radius + 0.75)
            return 0.0;
        constexpr int kSteps = 16;
        int inside = 0;
        for (int i = 0; i < kSteps; ++i) {
            for (int j = 0; j < kSteps; ++j) {
                const double y = dr - 0.5 + (i + 0.5) / kSteps, x = dc - 0.5 + (j + 0.5) / kSteps;
                inside += y * y + x * x <= radius * radius ? 1 : 0;
            }
        }
        return double(inside) / double(kSteps * kSteps);
    }

    int m_width;
    int m_height;
    std::vector<float> m_pixels;
};

struct Measure
{
    double area = qQNaN();
    double row = qQNaN();
    double col = qQNaN();
    QString order;
};

Measure measure(const Hobject &contour)
{
    HTuple area, row, col, order;
    Measure m;
    if (area_center_xld(contour, &area, &row, &col, &order) == kSuccess && area.Length() == 1) {
        m.area = area.D();
        m.row = row.D();
        m.col = col.D();
        m.order = QString::fromStdString(order.S());
    }
    return m;
}

Hobject objectAt(const Hobject &object, Hlong index)
{
    Hobject one;
    select_obj(object, &one, index);
    return one;
}

bool isClosed(const Hobject &contour)
{
    HTuple rows, cols;
    if (get_contour_xld(contour, &rows, &cols) != kSuccess || rows.Length() < 3)
        return false;
    const Hlong n = rows.Length();
    return rows[0].D() == rows[n - 1].D() && cols[0].D() == cols[n - 1].D();
}

Hlong countClosed(const Hobject &contours)
{
    Hlong closed = 0;
    for (Hlong i = 1; i <= contours.CountObj(); ++i)
        closed += isClosed(objectAt(contours, i)) ? 1 : 0;
    return closed;
}

double single(const HTuple &t)
{
    return t.Length() == 1 ? t.D() : qQNaN();
}

Hobject polygon(std::initializer_list<double> rows, std::initializer_list<double> cols)
{
    Hobject c;
    gen_contour_polygon_xld(&c, values(rows), values(cols));
    return c;
}

Hobject circleContour(double row, double col, double radius)
{
    Hobject c;
    gen_circle_contour_xld(&c, row, col, radius, 0.0, 2.0 * kPi, "positive", 0.5);
    return c;
}

// The margin steps of the colony analysis on one container: iso-contours inside the
// container, split, regressed, united; then the nearly closed ones, closed.
struct Colonies
{
    Herror error = kSuccess;
    Hobject contours;
};

Colonies marginContours(const Hobject &image, const Hobject &container, double level, double height)
{
    Colonies result;
    Hobject reduced, edges, split, regressed, united, selected;
    Herror err = reduce_domain(image, container, &reduced);
    if (err == kSuccess)
        err = threshold_sub_pix(reduced, &edges, level);
    if (err == kSuccess)
        err = segment_contours_xld(edges, &split, "lines_ellipses", 9, height * 0.39 / 100, height * 0.293 / 100);
    if (err == kSuccess)
        err = regress_contours_xld(split, &regressed, "drop", 10);
    if (err == kSuccess)
        err = union_straight_contours_xld(regressed, &united, height * 0.195 / 100, 0.5, 100.0, "noparallel",
                                          "maximum");
    if (err == kSuccess)
        err = select_contours_xld(united, &selected, "closed", 0, height * 0.293 / 100, 0, 0);
    if (err == kSuccess)
        err = close_contours_xld(selected, &result.contours);
    result.error = err;
    return result;
}

// Every contour's points, in object order.
std::vector<std::pair<HTuple, HTuple>> allPoints(const Hobject &contours)
{
    std::vector<std::pair<HTuple, HTuple>> result;
    for (Hlong i = 1; i <= contours.CountObj(); ++i) {
        HTuple rows, cols;
        get_contour_xld(objectAt(contours, i), &rows, &cols);
        result.emplace_back(rows, cols);
    }
    return result;
}

// The most threads threshold_sub_pix took at once.
std::atomic<int> g_bandsSeen{0};

void countBand(std::string_view op, int, int bands)
{
    if (op != "threshold_sub_pix")
        return;
    int seen = g_bandsSeen.load();
    while (bands > seen && !g_bandsSeen.compare_exchange_weak(seen, bands)) {
    }
}

} // namespace

class tst_HalconXldAnalysis : public QObject
{
    Q_OBJECT
private slots:
    void isoContourOfDisc_data();
    void isoContourOfDisc();
    void isoContourAtDomainBorder();
    void isoContourWithoutEdges();
    void isoContoursTouchOnlyAtSaddles();
    void isoContourAroundNotANumber();
    void isoContoursOfLonePixels_data();
    void isoContoursOfLonePixels();
    void contoursOnThreadsMatchOneThread_data();
    void contoursOnThreadsMatchOneThread();
    void coloniesInContainer();
    void touchingColonies_data();
    void touchingColonies();
    void segmentation_data();
    void segmentation();
    void segmentationOfTinyClosedContours_data();
    void segmentationOfTinyClosedContours();
    void unionRejoinsPieces();
    void unionKeepsCornersApart_data();
    void unionKeepsCornersApart();
    void selection_data();
    void selection();
    void closing();
    void circularity_data();
    void circularity();
    void distance_data();
    void distance();
    void distancePairs();
    void selfIntersection_data();
    void selfIntersection();
    void failures_data();
    void failures();
    void emptyInputs();
};

void tst_HalconXldAnalysis::isoContourOfDisc_data()
{
    QTest::addColumn<double>("row");
    QTest::addColumn<double>("col");
    QTest::addColumn<double>("radius");
    QTest::addColumn<double>("background");
    QTest::addColumn<double>("disc");
    QTest::addColumn<bool>("real");
    QTest::newRow("dark disc, byte") << 50.3 << 60.7 << 12.4 << 200.0 << 40.0 << false;
    QTest::newRow("bright disc, byte") << 49.81 << 51.14 << 20.0 << 30.0 << 220.0 << false;
    QTest::newRow("small disc") << 30.5 << 30.5 << 4.0 << 200.0 << 40.0 << false;
    QTest::newRow("large disc, real") << 80.25 << 90.9 << 45.3 << 10.0 << 100.0 << true;
    QTest::newRow("low contrast") << 40.7 << 41.2 << 15.5 << 120.0 << 100.0 << false;
}

void tst_HalconXldAnalysis::isoContourOfDisc()
{
    QFETCH(double, row);
    QFETCH(double, col);
    QFETCH(double, radius);
    QFETCH(double, background);
    QFETCH(double, disc);
    QFETCH(bool, real);
    DiscPicture picture(200, 180, background);
    picture.addDisc(row, col, radius, disc);
    Hobject edges;
    QCOMPARE(threshold_sub_pix(picture.image(real), &edges, (background + disc) / 2), kSuccess);
    QCOMPARE(edges.CountObj(), Hlong(1));
    QVERIFY(isClosed(edges));
    const Measure m = measure(edges);
    const double area = kPi * radius * radius;
    QVERIFY2(std::abs(m.area - area) <= 0.03 * area, qPrintable(QString::number(m.area / area)));
    QVERIFY2(std::abs(m.row - row) <= 0.1 && std::abs(m.col - col) <= 0.1,
             qPrintable(QStringLiteral("%1 %2").arg(m.row).arg(m.col)));
    // The bright side lies on the left: a bright disc runs counter-clockwise.
    QCOMPARE(m.order, disc > background ? QStringLiteral("positive") : QStringLiteral("negative"));
    HTuple circularity, intersects;
    QCOMPARE(circularity_xld(edges, &circularity), kSuccess);
    QVERIFY2(single(circularity) > 0.95, qPrintable(QString::number(single(circularity))));
    QCOMPARE(test_self_intersection_xld(edges, "false", &intersects), kSuccess);
    QCOMPARE(intersects.L(), Hlong(0));
}

void tst_HalconXldAnalysis::isoContourAtDomainBorder()
{
    DiscPicture picture(200, 150, 200.0);
    picture.addDisc(40.4, 40.6, 10.0, 40.0);  // wholly inside the domain
    picture.addDisc(40.0, 120.0, 15.0, 40.0); // cut by the domain's right side
    picture.addDisc(140.0, 60.0, 15.0, 40.0); // cut by the picture's bottom
    Hobject domain, reduced, edges;
    gen_rectangle1(&domain, 0, 0, 149, 119);
    QCOMPARE(reduce_domain(picture.image(), domain, &reduced), kSuccess);
    QCOMPARE(threshold_sub_pix(reduced, &edges, 120.0), kSuccess);
    QCOMPARE(edges.CountObj(), Hlong(3));
    QCOMPARE(countClosed(edges), Hlong(1));
    for (Hlong i = 1; i <= 3; ++i) {
        const Hobject contour = objectAt(edges, i);
        HTuple rows, cols;
        QCOMPARE(get_contour_xld(contour, &rows, &cols), kSuccess);
        const Hlong n = rows.Length();
        if (isClosed(contour)) {
            const Measure m = measure(contour);
            QVERIFY(std::abs(m.row - 40.4) < 0.1 && std::abs(m.col - 40.6) < 0.1);
            continue;
        }
        // Open contours end on the last line of pixel centres inside domain and picture.
        for (Hlong k : {Hlong(0), n - 1}) {
            const bool onRight = std::abs(cols[k].D() - 119.0) < 1e-9;
            const bool onBottom = std::abs(rows[k].D() - 149.0) < 1e-9;
            QVERIFY2(onRight || onBottom, qPrintable(QStringLiteral("%1 %2").arg(rows[k].D()).arg(cols[k].D())));
        }
        for (Hlong k = 0; k < n; ++k)
            QVERIFY(cols[k].D() <= 119.0 && rows[k].D() <= 149.0);
    }

    // A domain of scattered runs (a circle) still gives the disc inside it closed.
    Hobject circle;
    gen_circle(&circle, 40.0, 40.0, 25.0);
    QCOMPARE(reduce_domain(picture.image(), circle, &reduced), kSuccess);
    QCOMPARE(threshold_sub_pix(reduced, &edges, 120.0), kSuccess);
    QCOMPARE(edges.CountObj(), Hlong(1));
    QVERIFY(isClosed(edges));
}

void tst_HalconXldAnalysis::isoContourWithoutEdges()
{
    DiscPicture flat(50, 40, 100.0);
    Hobject edges = polygon({1, 2}, {1, 2});
    QCOMPARE(threshold_sub_pix(flat.image(), &edges, 50.0), kSuccess);
    QCOMPARE(edges.CountObj(), Hlong(0));

    // An empty domain, or one of a single pixel row, holds no cell to trace.
    DiscPicture picture(50, 40, 200.0);
    picture.addDisc(20, 20, 8, 0.0);
    Hobject empty, line, reduced;
    gen_rectangle1(&line, 0, 0, 5, 5);
    difference(line, line, &empty);
    QCOMPARE(reduce_domain(picture.image(), empty, &reduced), kSuccess);
    QCOMPARE(threshold_sub_pix(reduced, &edges, 100.0), kSuccess);
    QCOMPARE(edges.CountObj(), Hlong(0));
    gen_rectangle1(&line, 20, 0, 20, 49);
    QCOMPARE(reduce_domain(picture.image(), line, &reduced), kSuccess);
    QCOMPARE(threshold_sub_pix(reduced, &edges, 100.0), kSuccess);
    QCOMPARE(edges.CountObj(), Hlong(0));
}

void tst_HalconXldAnalysis::isoContoursTouchOnlyAtSaddles()
{
    // A checkerboard of single pixels is all saddles: every contour must still be a
    // clean loop around its own bright pixel.
    std::vector<std::uint8_t> pixels(12 * 12, 0);
    for (int r = 2; r < 10; ++r)
        for (int c = 2; c < 10; ++c)
            pixels[size_t(r * 12 + c)] = (r + c) % 2 ? 255 : 0;
    Hobject image, edges;
    QCOMPARE(gen_image1(&image, "byte", 12, 12, Hlong(reinterpret_cast<std::intptr_t>(pixels.data()))), kSuccess);
    QCOMPARE(threshold_sub_pix(image, &edges, 128.0), kSuccess);
    QCOMPARE(edges.CountObj(), Hlong(32));
    QCOMPARE(countClosed(edges), Hlong(32));
    HTuple area, row, col, order, intersects;
    QCOMPARE(area_center_xld(edges, &area, &row, &col, &order), kSuccess);
    for (Hlong i = 0; i < area.Length(); ++i) {
        // A diamond whose corners lie where 128 falls between 255 and 0.
        const double half = 127.0 / 255.0;
        QVERIFY(std::abs(area[i].D() - 2 * half * half) < 1e-9);
        QVERIFY(std::abs(std::fmod(row[i].D() + col[i].D(), 2.0) - 1.0) < 1e-9);
    }
    QCOMPARE(test_self_intersection_xld(edges, "false", &intersects), kSuccess);
    for (Hlong i = 0; i < intersects.Length(); ++i)
        QCOMPARE(intersects[i].L(), Hlong(0));
}

void tst_HalconXldAnalysis::isoContourAroundNotANumber()
{
    // A real picture may hold a NaN pixel; it counts as dark and never spreads into points.
    std::vector<float> pixels(30 * 30, 0.0f);
    for (int r = 10; r < 20; ++r)
        for (int c = 10; c < 20; ++c)
            pixels[size_t(r * 30 + c)] = 100.0f;
    pixels[size_t(15 * 30 + 9)] = std::numeric_limits<float>::quiet_NaN();
    pixels[size_t(12 * 30 + 12)] = std::numeric_limits<float>::infinity();
    Hobject image, edges;
    QCOMPARE(gen_image1(&image, "real", 30, 30, Hlong(reinterpret_cast<std::intptr_t>(pixels.data()))), kSuccess);
    QCOMPARE(threshold_sub_pix(image, &edges, 50.0), kSuccess);
    QCOMPARE(edges.CountObj(), Hlong(1));
    HTuple rows, cols;
    QCOMPARE(get_contour_xld(edges, &rows, &cols), kSuccess);
    for (Hlong i = 0; i < rows.Length(); ++i)
        QVERIFY(std::isfinite(rows[i].D()) && std::isfinite(cols[i].D()));
    QVERIFY(std::abs(measure(edges).area - 100.0) < 1.0);
}

void tst_HalconXldAnalysis::isoContoursOfLonePixels_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<double>("background");
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("threshold");
    QTest::addColumn<int>("first");
    QTest::addColumn<bool>("outlined");
    // Pixels from the first and from the second column on put the cells that see them on
    // either side of every boundary of eight cells and into the last, shorter group of a row.
    // A background at the threshold is bright.
    QTest::newRow("byte, bright pixels") << "byte" << 10.0 << 200.0 << 105.0 << 1 << true;
    QTest::newRow("byte, bright pixels, second column") << "byte" << 10.0 << 200.0 << 105.0 << 2 << true;
    QTest::newRow("byte, background at the threshold") << "byte" << 100.0 << 10.0 << 100.0 << 1 << true;
    QTest::newRow("byte, background at the threshold, second column") << "byte" << 100.0 << 10.0 << 100.0 << 2 << true;
    QTest::newRow("byte, threshold between whole values") << "byte" << 100.0 << 10.0 << 99.5 << 2 << true;
    QTest::newRow("byte, background a hair below") << "byte" << 100.0 << 10.0 << 100.01 << 1 << false;
    QTest::newRow("byte, threshold above the range") << "byte" << 10.0 << 255.0 << 255.5 << 1 << false;
    QTest::newRow("byte, threshold below the range") << "byte" << 10.0 << 200.0 << -1.0 << 1 << false;
    QTest::newRow("uint2, background at the threshold") << "uint2" << 40000.0 << 300.0 << 40000.0 << 2 << true;
    QTest::newRow("uint2, bright pixels") << "uint2" << 300.0 << 40000.0 << 20150.0 << 1 << true;
    QTest::newRow("uint2, background a hair below") << "uint2" << 40000.0 << 300.0 << 40000.01 << 1 << false;
    QTest::newRow("real, background at the threshold") << "real" << 100.5 << 10.0 << 100.5 << 1 << true;
    QTest::newRow("real, background a hair below") << "real" << 100.5 << 10.0 << 100.51 << 2 << false;
}

void tst_HalconXldAnalysis::isoContoursOfLonePixels()
{
    // A pixel counts as bright from the threshold on, whether cells are looked at one by one
    // or many at once: each lone pixel of the grid gets a diamond of its own, reaching from
    // it the share of the way to its neighbours that the threshold lies at.
    QFETCH(QString, type);
    QFETCH(double, background);
    QFETCH(double, value);
    QFETCH(double, threshold);
    QFETCH(int, first);
    QFETCH(bool, outlined);
    const int width = 23;
    const int height = 24;
    std::vector<std::uint8_t> bytes(size_t(width * height), std::uint8_t(background));
    std::vector<std::uint16_t> words(size_t(width * height), std::uint16_t(background));
    std::vector<float> reals(size_t(width * height), float(background));
    QList<QPointF> pixels;
    for (int r = first; r < height - 1; r += 3) {
        for (int c = first; c < width - 1; c += 3) {
            const size_t i = size_t(r * width + c);
            bytes[i] = std::uint8_t(value);
            words[i] = std::uint16_t(value);
            reals[i] = float(value);
            pixels.append(QPointF(c, r));
        }
    }
    const void *data = type == "byte" ? static_cast<const void *>(bytes.data())
        : type == "uint2"             ? static_cast<const void *>(words.data())
                                      : static_cast<const void *>(reals.data());
    Hobject image, edges;
    QCOMPARE(gen_image1(&image, type.toLatin1().constData(), width, height, Hlong(reinterpret_cast<std::intptr_t>(data))),
             kSuccess);
    QCOMPARE(threshold_sub_pix(image, &edges, threshold), kSuccess);
    if (!outlined) {
        QCOMPARE(edges.CountObj(), Hlong(0));
        return;
    }
    const double reach = (threshold - value) / (background - value);
    QCOMPARE(edges.CountObj(), Hlong(pixels.size()));
    for (Hlong i = 1; i <= edges.CountObj(); ++i) {
        const Hobject diamond = objectAt(edges, i);
        QVERIFY(isClosed(diamond));
        const Measure m = measure(diamond);
        QVERIFY2(std::abs(m.area - 2.0 * reach * reach) < 1e-6, qPrintable(QString::number(m.area)));
        QVERIFY2(pixels.removeOne(QPointF(std::round(m.col), std::round(m.row))),
                 qPrintable(QStringLiteral("%1, %2").arg(m.row).arg(m.col)));
    }
    QVERIFY(pixels.isEmpty());
}

void tst_HalconXldAnalysis::contoursOnThreadsMatchOneThread_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("threads");
    QTest::newRow("discs across band lines, 3 threads") << "discs" << 3;
    QTest::newRow("discs across band lines, 8 threads") << "discs" << 8;
    QTest::newRow("real picture with NaN") << "real" << 5;
    QTest::newRow("domain ends inside discs") << "domain" << 4;
    QTest::newRow("saddles on band lines") << "saddles" << 3;
    QTest::newRow("hundreds of specks, 8 threads") << "specks" << 8;
}

void tst_HalconXldAnalysis::contoursOnThreadsMatchOneThread()
{
    // Bands of rows are traced on their own threads and joined: the contours, their order
    // and their first points must be those of one scan of the whole picture.
    QFETCH(QString, kind);
    QFETCH(int, threads);
    const int width = 310;
    const int height = 290;
    DiscPicture picture(width, height, 190.0);
    std::uint32_t state = 12345u;
    const auto random = [&state](double scale) {
        state = state * 1664525u + 1013904223u;
        return scale * double(state >> 8) / double(1u << 24);
    };
    // Specks: contours enough for many chunks of the light per-contour work on every thread.
    const bool specks = kind == "specks";
    for (int i = 0; i < (specks ? 700 : 60); ++i)
        picture.addDisc(5.0 + random(height - 10.0), 5.0 + random(width - 10.0),
                        specks ? 1.0 + random(3.0) : 2.0 + random(18.0), random(120.0));
    Hobject image = picture.image(kind == "real");
    if (kind == "real") {
        std::vector<float> pixels(size_t(width) * size_t(height));
        HTuple pointer, type, w, h;
        QCOMPARE(get_image_pointer1(image, &pointer, &type, &w, &h), kSuccess);
        std::memcpy(pixels.data(), reinterpret_cast<const float *>(pointer.L()), pixels.size() * sizeof(float));
        for (int r = 0; r < height; r += 7)
            pixels[size_t(r) * size_t(width) + size_t((r * 13) % width)] = std::numeric_limits<float>::quiet_NaN();
        QCOMPARE(gen_image1(&image, "real", width, height, Hlong(reinterpret_cast<std::intptr_t>(pixels.data()))),
                 kSuccess);
    } else if (kind == "domain") {
        Hobject outer, inner, ring, reduced;
        gen_circle(&outer, 145.0, 155.0, 140.0);
        gen_circle(&inner, 150.0, 150.0, 47.0);
        difference(outer, inner, &ring);
        QCOMPARE(reduce_domain(image, ring, &reduced), kSuccess);
        image = reduced;
    } else if (kind == "saddles") {
        std::vector<std::uint8_t> pixels(size_t(width) * size_t(height), 40);
        for (int r = 0; r < height; ++r)
            for (int c = 0; c < width; ++c)
                pixels[size_t(r * width + c)] = ((r / 2 + c / 3) % 2) ? 220 : 30;
        QCOMPARE(gen_image1(&image, "byte", width, height, Hlong(reinterpret_cast<std::intptr_t>(pixels.data()))),
                 kSuccess);
    }

    HTuple parallel, threadNum;
    QCOMPARE(get_system("parallelize_operators", &parallel), kSuccess);
    QCOMPARE(get_system("thread_num", &threadNum), kSuccess);
    // With the transform and the tests per contour that follow in the colony analysis.
    const auto run = [&](bool onThreads, Hobject *edges, Hobject *split, Hobject *united, HTuple *tests) {
        set_system("parallelize_operators", onThreads ? "true" : "false");
        set_system("thread_num", threads);
        QCOMPARE(threshold_sub_pix(image, edges, 120.0), kSuccess);
        QCOMPARE(segment_contours_xld(*edges, split, "lines_ellipses", 9, 2.0, 1.5), kSuccess);
        HTuple identity, turn;
        QCOMPARE(hom_mat2d_identity(&identity), kSuccess);
        QCOMPARE(hom_mat2d_rotate(identity, 0.3, 100.5, 80.25, &turn), kSuccess);
        QCOMPARE(affine_trans_contour_xld(*split, split, turn), kSuccess);
        HTuple crossing, area, row, column, order, inside;
        QCOMPARE(test_self_intersection_xld(*edges, "true", &crossing), kSuccess);
        QCOMPARE(area_center_xld(*edges, &area, &row, &column, &order), kSuccess);
        QCOMPARE(test_xld_point(*edges, row, column, &inside), kSuccess);
        *tests = crossing;
        tests->Append(inside);
        tests->Append(area);
        tests->Append(row);
        tests->Append(column);
        tests->Append(order);
        // Selected and united as the margins of a colony analysis are.
        Hobject selected;
        QCOMPARE(select_contours_xld(*split, &selected, "contour_length", 6.0, 1.0e9, -0.5, 0.5), kSuccess);
        QCOMPARE(union_straight_contours_xld(selected, united, 1.0, 0.5, 100.0, "noparallel", "maximum"),
                 kSuccess);
    };
    Hobject edges, split, united, bandedEdges, bandedSplit, bandedUnited;
    HTuple tests, bandedTests;
    run(false, &edges, &split, &united, &tests);
    g_bandsSeen = 0;
    Aop::setBandHook(countBand);
    run(true, &bandedEdges, &bandedSplit, &bandedUnited, &bandedTests);
    Aop::setBandHook(nullptr);
    set_system("parallelize_operators", parallel);
    set_system("thread_num", threadNum);

    QCOMPARE(g_bandsSeen.load(), threads);
    QVERIFY(edges.CountObj() > (kind == "specks" ? 400 : 20));
    QVERIFY(united.CountObj() > 10);
    QVERIFY(allPoints(bandedEdges) == allPoints(edges));
    QVERIFY(allPoints(bandedSplit) == allPoints(split));
    QVERIFY(allPoints(bandedUnited) == allPoints(united));
    QCOMPARE(bandedTests, tests);
}

void tst_HalconXldAnalysis::coloniesInContainer()
{
    // Picture height as on the plate camera, so the tolerances are those of a run.
    const double height = 1944;
    struct Disc
    {
        double row, col, radius;
    };
    const std::vector<Disc> inside = {{100.3, 120.6, 12.4}, {180.8, 140.2, 6.3}, {110.45, 190.15, 22.0}, {200.0, 300.7, 9.5}};
    DiscPicture picture(400, 300, 190.0);
    for (const Disc &d : inside)
        picture.addDisc(d.row, d.col, d.radius, 50.0);
    picture.addDisc(25.0, 200.0, 14.0, 50.0);  // its centre on the container outline
    picture.addDisc(270.0, 350.0, 12.0, 50.0); // outside the container
    Hobject container;
    gen_circle(&container, 150.0, 200.0, 125.0);

    const Colonies found = marginContours(picture.image(), container, 120.0, height);
    QCOMPARE(found.error, kSuccess);
    QCOMPARE(found.contours.CountObj(), Hlong(inside.size()));
    for (const Disc &d : inside) {
        bool matched = false;
        for (Hlong i = 1; i <= found.contours.CountObj(); ++i) {
            const Hobject contour = objectAt(found.contours, i);
            const Measure m = measure(contour);
            if (std::hypot(m.row - d.row, m.col - d.col) > d.radius)
                continue;
            matched = true;
            const double area = kPi * d.radius * d.radius;
            QVERIFY2(std::abs(m.row - d.row) <= 0.5 && std::abs(m.col - d.col) <= 0.5,
                     qPrintable(QStringLiteral("%1 %2").arg(m.row).arg(m.col)));
            QVERIFY2(std::abs(m.area - area) <= 0.03 * area, qPrintable(QString::number(m.area / area)));
            HTuple circularity, inside;
            QCOMPARE(circularity_xld(contour, &circularity), kSuccess);
            QVERIFY2(single(circularity) > 0.9, qPrintable(QString::number(single(circularity))));
            QCOMPARE(test_xld_point(contour, m.row, m.col, &inside), kSuccess);
            QCOMPARE(inside.L(), Hlong(1));
        }
        QVERIFY2(matched, qPrintable(QStringLiteral("disc at %1 %2").arg(d.row).arg(d.col)));
    }
}

void tst_HalconXldAnalysis::touchingColonies_data()
{
    QTest::addColumn<double>("radius");
    QTest::addColumn<double>("spacing"); // centre distance in diameters
    for (double radius : {6.0, 15.0, 25.0}) {
        for (double spacing : {1.0, 0.8, 0.6})
            QTest::addRow("r %g, spacing %g", radius, spacing) << radius << spacing;
    }
}

void tst_HalconXldAnalysis::touchingColonies()
{
    // Two touching colonies must never pass as one round colony: each contour either is
    // one of the discs, or covers both and is far from round (the colony test rejects
    // below a circularity of 0.7), or is dropped.
    QFETCH(double, radius);
    QFETCH(double, spacing);
    const double height = 1944;
    const double row = 100.3, col1 = 100.6, col2 = col1 + 2 * radius * spacing;
    DiscPicture picture(300, 200, 200.0);
    picture.addDisc(row, col1, radius, 40.0);
    picture.addDisc(row, col2, radius, 40.0);
    Hobject container;
    gen_rectangle1(&container, 5, 5, 195, 295);
    const Colonies found = marginContours(picture.image(), container, 120.0, height);
    QCOMPARE(found.error, kSuccess);
    QVERIFY(found.contours.CountObj() <= 2);
    for (Hlong i = 1; i <= found.contours.CountObj(); ++i) {
        const Hobject contour = objectAt(found.contours, i);
        const Measure m = measure(contour);
        HTuple circularity;
        QCOMPARE(circularity_xld(contour, &circularity), kSuccess);
        const double area = kPi * radius * radius;
        const bool oneDisc = std::abs(m.area - area) < 0.1 * area
            && std::min(std::hypot(m.row - row, m.col - col1), std::hypot(m.row - row, m.col - col2)) < 1.0;
        QVERIFY2(oneDisc || single(circularity) < 0.7,
                 qPrintable(QStringLiteral("area %1 circularity %2").arg(m.area / area).arg(single(circularity))));
    }
}

void tst_HalconXldAnalysis::segmentation_data()
{
    QTest::addColumn<Hobject>("contour");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("pieces");
    const Hobject square = polygon({10, 10, 50, 50, 10}, {10, 50, 50, 10, 10});
    Hobject ellipse;
    gen_ellipse_contour_xld(&ellipse, 100.0, 100.0, 0.3, 40.0, 15.0, 0.0, 2 * kPi, "positive", 0.5);
    Hobject arc;
    gen_circle_contour_xld(&arc, 100.0, 100.0, 30.0, 0.0, kPi, "positive", 0.5);
    QTest::newRow("square, lines") << square << "lines" << 4;
    QTest::newRow("square, ellipses") << square << "lines_ellipses" << 4;
    QTest::newRow("circle stays whole") << circleContour(100, 100, 30) << "lines_ellipses" << 1;
    QTest::newRow("circle, circles") << circleContour(100, 100, 30) << "lines_circles" << 1;
    QTest::newRow("circle, lines") << circleContour(100, 100, 30) << "lines" << 0; // several
    QTest::newRow("ellipse stays whole") << ellipse << "lines_ellipses" << 1;
    QTest::newRow("ellipse, circles") << ellipse << "lines_circles" << 0;
    QTest::newRow("open arc") << arc << "lines_circles" << 1;
    QTest::newRow("line") << polygon({0, 5, 10}, {0, 5, 10}) << "lines" << 1;
    QTest::newRow("two points") << polygon({0, 5}, {0, 5}) << "lines" << 1;
}

void tst_HalconXldAnalysis::segmentation()
{
    QFETCH(Hobject, contour);
    QFETCH(QString, mode);
    QFETCH(int, pieces);
    Hobject split;
    QCOMPARE(segment_contours_xld(contour, &split, mode.toStdString(), 3, 1.0, 1.0), kSuccess);
    if (pieces > 0)
        QCOMPARE(split.CountObj(), Hlong(pieces));
    else
        QVERIFY(split.CountObj() > 2);
    HTuple inRows, inCols;
    QCOMPARE(get_contour_xld(contour, &inRows, &inCols), kSuccess);
    if (split.CountObj() == 1) {
        HTuple rows, cols;
        QCOMPARE(get_contour_xld(split, &rows, &cols), kSuccess);
        QCOMPARE(rows.Length(), inRows.Length());
        return;
    }
    // Pieces follow one another along the contour, sharing end points, and together
    // hold every input point.
    Hlong total = 0;
    HTuple previousRows, previousCols;
    for (Hlong i = 1; i <= split.CountObj(); ++i) {
        HTuple rows, cols;
        QCOMPARE(get_contour_xld(objectAt(split, i), &rows, &cols), kSuccess);
        QVERIFY(rows.Length() >= 2);
        QVERIFY(!isClosed(objectAt(split, i)));
        if (i > 1) {
            const Hlong last = previousRows.Length() - 1;
            QCOMPARE(rows[0].D(), previousRows[last].D());
            QCOMPARE(cols[0].D(), previousCols[last].D());
        }
        total += rows.Length() - 1;
        previousRows = rows;
        previousCols = cols;
    }
    QCOMPARE(total + 1, inRows.Length());
}

void tst_HalconXldAnalysis::segmentationOfTinyClosedContours_data()
{
    QTest::addColumn<Hobject>("contour");
    QTest::addColumn<int>("smoothing");
    // Closed contours of fewer points than the smoothing window (a speck of dust at the
    // margins' smoothing of 9): the window wraps round the contour more than once.
    QTest::newRow("triangle, window 9") << polygon({10, 10, 14, 10}, {10, 14, 12, 10}) << 9;
    QTest::newRow("square, window 9") << polygon({10, 10, 13, 13, 10}, {10, 13, 13, 10, 10}) << 9;
    QTest::newRow("square, window 1001") << polygon({10, 10, 13, 13, 10}, {10, 13, 13, 10, 10}) << 1001;
}

void tst_HalconXldAnalysis::segmentationOfTinyClosedContours()
{
    QFETCH(Hobject, contour);
    QFETCH(int, smoothing);
    HTuple inRows, inCols;
    QCOMPARE(get_contour_xld(contour, &inRows, &inCols), kSuccess);
    for (const char *mode : {"lines", "lines_ellipses"}) {
        Hobject split;
        QCOMPARE(segment_contours_xld(contour, &split, mode, smoothing, 0.5, 0.5), kSuccess);
        QVERIFY(split.CountObj() >= 1);
        // The pieces are made of the contour's own points.
        for (Hlong i = 1; i <= split.CountObj(); ++i) {
            HTuple rows, cols;
            QCOMPARE(get_contour_xld(objectAt(split, i), &rows, &cols), kSuccess);
            for (Hlong k = 0; k < rows.Length(); ++k) {
                bool known = false;
                for (Hlong m = 0; m < inRows.Length(); ++m)
                    known = known || (rows[k].D() == inRows[m].D() && cols[k].D() == inCols[m].D());
                QVERIFY(known);
            }
        }
    }
}

void tst_HalconXldAnalysis::unionRejoinsPieces()
{
    // A rounded, irregular outline: split into pieces that meet without a kink, then
    // united again into one closed contour with the same area.
    Hobject outline;
    std::vector<double> rows, cols;
    for (int i = 0; i <= 720; ++i) {
        const double a = 2 * kPi * i / 720, r = 30 + 6 * std::cos(3 * a);
        rows.push_back(i == 720 ? rows.front() : 100 - r * std::sin(a));
        cols.push_back(i == 720 ? cols.front() : 100 + r * std::cos(a));
    }
    QCOMPARE(gen_contour_polygon_xld(&outline, HTuple(rows), HTuple(cols)), kSuccess);
    Hobject split, united;
    QCOMPARE(segment_contours_xld(outline, &split, "lines_ellipses", 5, 2.0, 1.0), kSuccess);
    QVERIFY(split.CountObj() > 1);
    QCOMPARE(union_straight_contours_xld(split, &united, 1.0, 0.5, 100.0, "noparallel", "maximum"), kSuccess);
    QCOMPARE(united.CountObj(), Hlong(1));
    QVERIFY(isClosed(united));
    QVERIFY(std::abs(measure(united).area - measure(outline).area) < 1e-6);

    // Pieces given in any order and direction unite all the same.
    Hobject shuffled, reversed, piece;
    gen_empty_obj(&shuffled);
    for (Hlong i = split.CountObj(); i >= 1; --i) {
        HTuple r, c;
        get_contour_xld(objectAt(split, i), &r, &c);
        if (i % 2) {
            std::vector<double> rr, cc;
            for (Hlong k = r.Length() - 1; k >= 0; --k) {
                rr.push_back(r[k].D());
                cc.push_back(c[k].D());
            }
            r = HTuple(rr);
            c = HTuple(cc);
        }
        gen_contour_polygon_xld(&piece, r, c);
        concat_obj(shuffled, piece, &shuffled);
    }
    QCOMPARE(union_straight_contours_xld(shuffled, &united, 1.0, 0.5, 100.0, "noparallel", "maximum"), kSuccess);
    QCOMPARE(united.CountObj(), Hlong(1));
    QVERIFY(isClosed(united));
    QVERIFY(std::abs(measure(united).area - measure(outline).area) < 1e-6);
}

void tst_HalconXldAnalysis::unionKeepsCornersApart_data()
{
    QTest::addColumn<Hobject>("pieces");
    QTest::addColumn<int>("united");
    Hobject a = polygon({0, 0}, {0, 20}), b, pieces;
    auto pair = [&](const Hobject &second) {
        Hobject both;
        concat_obj(a, second, &both);
        return both;
    };
    QTest::newRow("straight on") << pair(polygon({0, 0}, {20, 40})) << 1;
    QTest::newRow("small gap") << pair(polygon({0.5, 0}, {22, 40})) << 1;
    QTest::newRow("gap too wide") << pair(polygon({0, 0}, {24, 40})) << 2;
    QTest::newRow("right angle") << pair(polygon({0, 20}, {20, 20})) << 2;
    QTest::newRow("slight bend") << pair(polygon({0, 6}, {20, 40})) << 1;
    QTest::newRow("reversed second") << pair(polygon({0, 0}, {40, 20})) << 1;
    QTest::newRow("side by side") << pair(polygon({0.5, 0.5}, {17.5, 40})) << 2;
    QTest::newRow("closed one stays") << pair(polygon({0, 0, 5, 0}, {20, 30, 25, 20})) << 2;
}

void tst_HalconXldAnalysis::unionKeepsCornersApart()
{
    QFETCH(Hobject, pieces);
    QFETCH(int, united);
    Hobject result;
    QCOMPARE(union_straight_contours_xld(pieces, &result, 3.0, 0.5, 10.0, "noparallel", 1), kSuccess);
    QCOMPARE(result.CountObj(), Hlong(united));
}

void tst_HalconXldAnalysis::selection_data()
{
    QTest::addColumn<QString>("feature");
    QTest::addColumn<double>("min1");
    QTest::addColumn<double>("max1");
    QTest::addColumn<QList<int>>("selected"); // 1-based indices into the fixture below
    // 1 closed square (perimeter 40), 2 square left open by 2 px, 3 vertical line of
    // 30, 4 horizontal line of 10, 5 single point.
    QTest::newRow("closed, exact") << "closed" << 0.0 << 0.0 << QList<int>{1};
    QTest::newRow("closed, gap allowed") << "closed" << 0.0 << 3.0 << QList<int>{1, 2};
    QTest::newRow("open") << "open" << 0.0 << 3.0 << QList<int>{3, 4, 5};
    QTest::newRow("length") << "contour_length" << 30.0 << 40.0 << QList<int>{1, 2, 3};
    QTest::newRow("extent") << "maximum_extent" << 0.0 << 10.0 << QList<int>{1, 2, 4, 5};
    QTest::newRow("direction vertical") << "direction" << 1.5 << 1.6 << QList<int>{3};
    QTest::newRow("direction horizontal") << "direction" << 0.0 << 0.1 << QList<int>{4, 5};
    QTest::newRow("min above max") << "contour_length" << 50.0 << 10.0 << QList<int>{};
}

void tst_HalconXldAnalysis::selection()
{
    QFETCH(QString, feature);
    QFETCH(double, min1);
    QFETCH(double, max1);
    QFETCH(QList<int>, selected);
    std::vector<Hobject> parts = {polygon({0, 0, 10, 10, 0}, {0, 10, 10, 0, 0}), polygon({0, 0, 10, 10, 2}, {0, 10, 10, 0, 0}),
                                  polygon({0, 30}, {5, 5}), polygon({3, 3}, {0, 10}), polygon({7}, {7})};
    Hobject all;
    gen_empty_obj(&all);
    for (const Hobject &p : parts)
        concat_obj(all, p, &all);
    Hobject result;
    QCOMPARE(select_contours_xld(all, &result, feature.toStdString(), min1, max1, 0, 0), kSuccess);
    QCOMPARE(result.CountObj(), Hlong(selected.size()));
    for (int k = 0; k < selected.size(); ++k) {
        const Measure expected = measure(parts[size_t(selected[k] - 1)]);
        const Measure got = measure(objectAt(result, k + 1));
        QCOMPARE(got.row, expected.row);
        QCOMPARE(got.col, expected.col);
    }
}

void tst_HalconXldAnalysis::closing()
{
    Hobject parts, closed;
    concat_obj(polygon({0, 0, 10}, {0, 10, 10}), polygon({0, 0, 10, 0}, {0, 10, 10, 0}), &parts);
    concat_obj(parts, polygon({4}, {4}), &parts);
    QCOMPARE(close_contours_xld(parts, &closed), kSuccess);
    QCOMPARE(closed.CountObj(), Hlong(3));
    QVERIFY(isClosed(objectAt(closed, 1)));
    QVERIFY(isClosed(objectAt(closed, 2)));
    HTuple rows, cols;
    QCOMPARE(get_contour_xld(objectAt(closed, 1), &rows, &cols), kSuccess);
    QCOMPARE(rows.Length(), Hlong(4));
    QCOMPARE(get_contour_xld(objectAt(closed, 2), &rows, &cols), kSuccess);
    QCOMPARE(rows.Length(), Hlong(4)); // already closed: unchanged
    QCOMPARE(get_contour_xld(objectAt(closed, 3), &rows, &cols), kSuccess);
    QCOMPARE(rows.Length(), Hlong(1));
    QCOMPARE(measure(objectAt(closed, 1)).area, 50.0);
}

void tst_HalconXldAnalysis::circularity_data()
{
    QTest::addColumn<Hobject>("contour");
    QTest::addColumn<double>("expected");
    QTest::addColumn<double>("tolerance");
    QTest::newRow("circle") << circleContour(50, 50, 20) << 1.0 << 0.002;
    QTest::newRow("square") << polygon({0, 0, 10, 10, 0}, {0, 10, 10, 0, 0}) << 2.0 / kPi << 1e-9;
    QTest::newRow("open square, taken as closed") << polygon({0, 0, 10, 10}, {0, 10, 10, 0}) << 2.0 / kPi << 1e-9;
    // 40 x 2: area 80, farthest corner at sqrt(401).
    QTest::newRow("thin rectangle") << polygon({0, 0, 2, 2, 0}, {0, 40, 40, 0, 0}) << 80.0 / (kPi * 401.0) << 1e-9;
    QTest::newRow("line") << polygon({0, 10}, {0, 10}) << 0.0 << 0.0;
    QTest::newRow("point") << polygon({3}, {3}) << 0.0 << 0.0;
}

void tst_HalconXldAnalysis::circularity()
{
    QFETCH(Hobject, contour);
    QFETCH(double, expected);
    QFETCH(double, tolerance);
    HTuple value;
    QCOMPARE(circularity_xld(contour, &value), kSuccess);
    QVERIFY2(std::abs(single(value) - expected) <= tolerance, qPrintable(QString::number(single(value))));
}

void tst_HalconXldAnalysis::distance_data()
{
    QTest::addColumn<Hobject>("first");
    QTest::addColumn<Hobject>("second");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<double>("expected");
    const Hobject horizontal = polygon({0, 0}, {0, 100});
    QTest::newRow("point over a side, to segment") << horizontal << polygon({5, 9}, {50, 50}) << "point_to_segment" << 5.0;
    QTest::newRow("point over a side, to point") << horizontal << polygon({5, 9}, {50, 50}) << "point_to_point"
                                                 << std::hypot(5.0, 50.0);
    QTest::newRow("crossing") << horizontal << polygon({-5, 5}, {50, 50}) << "point_to_segment" << 0.0;
    QTest::newRow("crossing, fast") << horizontal << polygon({-5, 5}, {50, 50}) << "fast_point_to_segment" << 0.0;
    QTest::newRow("touching end") << horizontal << polygon({0, 9}, {100, 120}) << "point_to_segment" << 0.0;
    QTest::newRow("beyond the end") << horizontal << polygon({3, 4}, {104, 104}) << "point_to_segment" << 5.0;
    QTest::newRow("circles") << circleContour(50, 50, 10) << circleContour(50, 80, 15) << "point_to_segment" << 5.0;
    QTest::newRow("single points") << polygon({1}, {1}) << polygon({4}, {5}) << "point_to_segment" << 5.0;
}

void tst_HalconXldAnalysis::distance()
{
    QFETCH(Hobject, first);
    QFETCH(Hobject, second);
    QFETCH(QString, mode);
    QFETCH(double, expected);
    HTuple d;
    QCOMPARE(distance_cc_min(first, second, mode.toStdString(), &d), kSuccess);
    QVERIFY2(std::abs(single(d) - expected) < 0.02, qPrintable(QString::number(single(d))));
    QCOMPARE(distance_cc_min(second, first, mode.toStdString(), &d), kSuccess);
    QVERIFY(std::abs(single(d) - expected) < 0.02);
}

void tst_HalconXldAnalysis::distancePairs()
{
    Hobject many;
    concat_obj(polygon({10}, {0}), polygon({0}, {-3}), &many);
    const Hobject line = polygon({0, 0}, {0, 100});
    HTuple d;
    QCOMPARE(distance_cc_min(line, many, "point_to_segment", &d), kSuccess);
    QCOMPARE(d.Length(), Hlong(2));
    QCOMPARE(d[0].D(), 10.0);
    QCOMPARE(d[1].D(), 3.0);
    Hobject twoLines;
    concat_obj(line, polygon({0, 0}, {200, 300}), &twoLines);
    QCOMPARE(distance_cc_min(twoLines, many, "point_to_point", &d), kSuccess);
    QCOMPARE(d.Length(), Hlong(2));
    QCOMPARE(d[0].D(), 10.0);
    QCOMPARE(d[1].D(), 203.0);
}

void tst_HalconXldAnalysis::selfIntersection_data()
{
    QTest::addColumn<Hobject>("contour");
    QTest::addColumn<QString>("close");
    QTest::addColumn<int>("expected");
    QTest::newRow("square") << polygon({0, 0, 10, 10, 0}, {0, 10, 10, 0, 0}) << "false" << 0;
    QTest::newRow("figure eight") << polygon({0, 10, 0, 10, 0}, {0, 10, 10, 0, 0}) << "false" << 1;
    QTest::newRow("open z") << polygon({0, 0, 10, 10}, {0, 10, 0, 10}) << "false" << 0;
    // Closing the z gives the side 10,10 -> 0,0 which crosses 0,10 -> 10,0.
    QTest::newRow("open z, closed") << polygon({0, 0, 10, 10}, {0, 10, 0, 10}) << "true" << 1;
    QTest::newRow("folding back") << polygon({0, 0, 0}, {0, 10, 5}) << "false" << 1;
    QTest::newRow("touching itself") << polygon({0, 0, 10, 10, 0, 5, 0}, {0, 10, 10, 5, 5, 0, 0}) << "false" << 1;
    QTest::newRow("repeated points") << polygon({0, 0, 0, 10, 10, 0}, {0, 10, 10, 10, 0, 0}) << "false" << 0;
    QTest::newRow("circle") << circleContour(20, 20, 10) << "false" << 0;
    QTest::newRow("line") << polygon({0, 5}, {0, 5}) << "true" << 0;
}

void tst_HalconXldAnalysis::selfIntersection()
{
    QFETCH(Hobject, contour);
    QFETCH(QString, close);
    QFETCH(int, expected);
    HTuple result;
    QCOMPARE(test_self_intersection_xld(contour, close.toStdString(), &result), kSuccess);
    QCOMPARE(result.Length(), Hlong(1));
    QCOMPARE(result.L(), Hlong(expected));
}

using Operation = std::function<Herror(Hobject *, HTuple *)>;
Q_DECLARE_METATYPE(Operation)

void tst_HalconXldAnalysis::failures_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<int>("expected");
    const Hobject contour = circleContour(20, 20, 10);
    Hobject region, empty, image, rgb;
    gen_rectangle1(&region, 0, 0, 10, 10);
    gen_empty_obj(&empty);
    DiscPicture picture(20, 20, 0.0);
    image = picture.image();
    compose3(image, image, image, &rgb);

    QTest::newRow("threshold: region") << Operation([=](Hobject *o, HTuple *) { return threshold_sub_pix(region, o, 1.0); })
                                       << int(kErrWrongObjectClass1);
    QTest::newRow("threshold: empty") << Operation([=](Hobject *o, HTuple *) { return threshold_sub_pix(empty, o, 1.0); })
                                      << int(kErrEmptyObject);
    QTest::newRow("threshold: colour") << Operation([=](Hobject *o, HTuple *) { return threshold_sub_pix(rgb, o, 1.0); })
                                       << int(kErrWrongChannelCount);
    QTest::newRow("threshold: text") << Operation([=](Hobject *o, HTuple *) { return threshold_sub_pix(image, o, "a"); })
                                     << int(kErrWrongType1);
    QTest::newRow("threshold: two values")
        << Operation([=](Hobject *o, HTuple *) { return threshold_sub_pix(image, o, values({1, 2})); }) << int(kErrWrongCount1);
    QTest::newRow("threshold: not a number")
        << Operation([=](Hobject *o, HTuple *) { return threshold_sub_pix(image, o, qQNaN()); }) << int(kErrWrongValue1);
    QTest::newRow("segment: image")
        << Operation([=](Hobject *o, HTuple *) { return segment_contours_xld(image, o, "lines", 5, 1.0, 1.0); })
        << int(kErrWrongObjectClass1);
    QTest::newRow("segment: mode")
        << Operation([=](Hobject *o, HTuple *) { return segment_contours_xld(contour, o, "curves", 5, 1.0, 1.0); })
        << int(kErrWrongValue1);
    QTest::newRow("segment: smoothing")
        << Operation([=](Hobject *o, HTuple *) { return segment_contours_xld(contour, o, "lines", -1, 1.0, 1.0); })
        << int(kErrWrongValue2);
    QTest::newRow("segment: smoothing real")
        << Operation([=](Hobject *o, HTuple *) { return segment_contours_xld(contour, o, "lines", 2.5, 1.0, 1.0); })
        << int(kErrWrongValue2);
    QTest::newRow("segment: distance 1")
        << Operation([=](Hobject *o, HTuple *) { return segment_contours_xld(contour, o, "lines", 5, 0.0, 1.0); })
        << int(kErrWrongValue3);
    QTest::newRow("segment: distance 2")
        << Operation([=](Hobject *o, HTuple *) { return segment_contours_xld(contour, o, "lines", 5, 1.0, -1.0); })
        << int(kErrWrongValue4);
    QTest::newRow("regress: mode")
        << Operation([=](Hobject *o, HTuple *) { return regress_contours_xld(contour, o, "fast", 1); }) << int(kErrWrongValue1);
    QTest::newRow("regress: iterations")
        << Operation([=](Hobject *o, HTuple *) { return regress_contours_xld(contour, o, "drop", -1); }) << int(kErrWrongValue2);
    QTest::newRow("regress: region")
        << Operation([=](Hobject *o, HTuple *) { return regress_contours_xld(region, o, "drop", 1); })
        << int(kErrWrongObjectClass1);
    QTest::newRow("union: distance") << Operation([=](Hobject *o, HTuple *) {
        return union_straight_contours_xld(contour, o, -1.0, 0.5, 100.0, "noparallel", "maximum");
    }) << int(kErrWrongValue1);
    QTest::newRow("union: angle") << Operation([=](Hobject *o, HTuple *) {
        return union_straight_contours_xld(contour, o, 1.0, "a", 100.0, "noparallel", "maximum");
    }) << int(kErrWrongType2);
    QTest::newRow("union: percent") << Operation([=](Hobject *o, HTuple *) {
        return union_straight_contours_xld(contour, o, 1.0, 0.5, 101.0, "noparallel", "maximum");
    }) << int(kErrWrongValue3);
    QTest::newRow("union: filter") << Operation([=](Hobject *o, HTuple *) {
        return union_straight_contours_xld(contour, o, 1.0, 0.5, 100.0, "sideways", "maximum");
    }) << int(kErrWrongValue4);
    QTest::newRow("union: iterations text") << Operation([=](Hobject *o, HTuple *) {
        return union_straight_contours_xld(contour, o, 1.0, 0.5, 100.0, "noparallel", "many");
    }) << int(kErrWrongValue5);
    QTest::newRow("union: iterations 0") << Operation([=](Hobject *o, HTuple *) {
        return union_straight_contours_xld(contour, o, 1.0, 0.5, 100.0, "noparallel", 0);
    }) << int(kErrWrongValue5);
    QTest::newRow("select: feature")
        << Operation([=](Hobject *o, HTuple *) { return select_contours_xld(contour, o, "area", 0, 1, 0, 0); })
        << int(kErrWrongValue1);
    QTest::newRow("select: min1")
        << Operation([=](Hobject *o, HTuple *) { return select_contours_xld(contour, o, "closed", "x", 1, 0, 0); })
        << int(kErrWrongType2);
    QTest::newRow("select: max2")
        << Operation([=](Hobject *o, HTuple *) { return select_contours_xld(contour, o, "closed", 0, 1, 0, HTuple()); })
        << int(kErrWrongCount5);
    QTest::newRow("close: region")
        << Operation([=](Hobject *o, HTuple *) { return close_contours_xld(region, o); }) << int(kErrWrongObjectClass1);
    QTest::newRow("circularity: image")
        << Operation([=](Hobject *, HTuple *t) { return circularity_xld(image, t); }) << int(kErrWrongObjectClass1);
    QTest::newRow("distance: empty first")
        << Operation([=](Hobject *, HTuple *t) { return distance_cc_min(empty, contour, "point_to_segment", t); })
        << int(kErrEmptyObject);
    QTest::newRow("distance: empty second")
        << Operation([=](Hobject *, HTuple *t) { return distance_cc_min(contour, empty, "point_to_segment", t); })
        << int(kErrEmptyObject);
    QTest::newRow("distance: region second")
        << Operation([=](Hobject *, HTuple *t) { return distance_cc_min(contour, region, "point_to_segment", t); })
        << int(kErrWrongObjectClass2);
    QTest::newRow("distance: mode")
        << Operation([=](Hobject *, HTuple *t) { return distance_cc_min(contour, contour, "nearest", t); })
        << int(kErrWrongValue1);
    QTest::newRow("distance: counts") << Operation([=](Hobject *, HTuple *t) {
        Hobject two, three;
        concat_obj(contour, contour, &two);
        concat_obj(two, contour, &three);
        return distance_cc_min(two, three, "point_to_segment", t);
    }) << int(kErrObjectCountMismatch);
    QTest::newRow("self intersection: mode")
        << Operation([=](Hobject *, HTuple *t) { return test_self_intersection_xld(contour, "yes", t); })
        << int(kErrWrongValue1);
    QTest::newRow("self intersection: region")
        << Operation([=](Hobject *, HTuple *t) { return test_self_intersection_xld(region, "true", t); })
        << int(kErrWrongObjectClass1);
    QTest::newRow("points: two contours") << Operation([=](Hobject *, HTuple *t) {
        Hobject two;
        concat_obj(contour, contour, &two);
        return get_contour_xld(two, t, t);
    }) << int(kErrObjectCountMismatch);
    QTest::newRow("points: empty")
        << Operation([=](Hobject *, HTuple *t) { return get_contour_xld(empty, t, t); }) << int(kErrEmptyObject);
}

void tst_HalconXldAnalysis::failures()
{
    QFETCH(Operation, operation);
    QFETCH(int, expected);
    // Outputs hold something beforehand and must still hold it after the failure.
    Hobject object = polygon({1, 2, 3}, {4, 5, 6});
    HTuple tuple = values({7.5, 8.5});
    QCOMPARE(operation(&object, &tuple), Herror(expected));
    QCOMPARE(object.CountObj(), Hlong(1));
    QCOMPARE(measure(object).row, 2.0);
    QCOMPARE(tuple.Length(), Hlong(2));
    QCOMPARE(tuple[1].D(), 8.5);
    HTuple text;
    QCOMPARE(get_error_text(expected, &text), kSuccess);
    QVERIFY(!text.S().empty());
}

void tst_HalconXldAnalysis::emptyInputs()
{
    // A container without colonies gives no contour anywhere along the margin steps:
    // each step passes the empty object on instead of failing the run.
    Hobject empty, out = polygon({1}, {1});
    gen_empty_obj(&empty);
    QCOMPARE(segment_contours_xld(empty, &out, "lines_ellipses", 9, 7.8, 5.86), kSuccess);
    QCOMPARE(out.CountObj(), Hlong(0));
    out = polygon({1}, {1});
    QCOMPARE(regress_contours_xld(empty, &out, "drop", 10), kSuccess);
    QCOMPARE(out.CountObj(), Hlong(0));
    out = polygon({1}, {1});
    QCOMPARE(union_straight_contours_xld(empty, &out, 3.9, 0.5, 100.0, "noparallel", "maximum"), kSuccess);
    QCOMPARE(out.CountObj(), Hlong(0));
    out = polygon({1}, {1});
    QCOMPARE(select_contours_xld(empty, &out, "closed", 0, 5.86, 0, 0), kSuccess);
    QCOMPARE(out.CountObj(), Hlong(0));
    out = polygon({1}, {1});
    QCOMPARE(close_contours_xld(empty, &out), kSuccess);
    QCOMPARE(out.CountObj(), Hlong(0));
    HTuple t = 5;
    QCOMPARE(circularity_xld(empty, &t), kSuccess);
    QCOMPARE(t.Length(), Hlong(0));
    t = 5;
    QCOMPARE(test_self_intersection_xld(empty, "false", &t), kSuccess);
    QCOMPARE(t.Length(), Hlong(0));
}

QTEST_GUILESS_MAIN(tst_HalconXldAnalysis)
#include "tst_HalconXldAnalysis.moc"
