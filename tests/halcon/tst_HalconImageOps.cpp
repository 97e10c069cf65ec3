#include "Halcon.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

using namespace Halcon;

namespace {

using Bytes = std::vector<unsigned char>;

long long addressOf(const void *p)
{
    return static_cast<long long>(reinterpret_cast<std::intptr_t>(p));
}

Hobject byteImage(int width, int height, const Bytes &pixels)
{
    Hobject image;
    if (gen_image1(&image, "byte", width, height, addressOf(pixels.data())) != kSuccess)
        qFatal("gen_image1 failed");
    return image;
}

Hobject rgbImage(int width, int height, const Bytes &r, const Bytes &g, const Bytes &b)
{
    Hobject image;
    if (gen_image3(&image, "byte", width, height, addressOf(r.data()), addressOf(g.data()), addressOf(b.data()))
        != kSuccess)
        qFatal("gen_image3 failed");
    return image;
}

Bytes pixelsOf(const Hobject &image)
{
    Hlong pointer = 0, width = 0, height = 0;
    char type[16] = {};
    if (get_image_pointer1(image, &pointer, type, &width, &height) != kSuccess || std::strcmp(type, "byte") != 0)
        return {};
    const auto *p = reinterpret_cast<const unsigned char *>(static_cast<std::intptr_t>(pointer));
    return Bytes(p, p + width * height);
}

Hobject rectangle(int row1, int col1, int row2, int col2)
{
    Hobject region;
    gen_rectangle1(&region, row1, col1, row2, col2);
    return region;
}

// Every (r, g, b) on a coarse grid, one per pixel.
void colourCube(int step, Bytes &r, Bytes &g, Bytes &b)
{
    for (int ri = 0; ri < 256; ri += step)
        for (int gi = 0; gi < 256; gi += step)
            for (int bi = 0; bi < 256; bi += step) {
                r.push_back(static_cast<unsigned char>(ri));
                g.push_back(static_cast<unsigned char>(gi));
                b.push_back(static_cast<unsigned char>(bi));
            }
}

} // namespace

class tst_HalconImageOps : public QObject
{
    Q_OBJECT
private slots:
    void sizeChannelsAndPointers();
    void rgbToGrayWeights_data();
    void rgbToGrayWeights();
    void rgbToGrayKeepsDomainAndPassesGray();
    void rgbToGrayOtherPixelTypes_data();
    void rgbToGrayOtherPixelTypes();
    void channelCountErrors();
    void decomposeAndCompose();
    void composeRejectsMismatches();
    void hsvKnownColours_data();
    void hsvKnownColours();
    void hsvRoundTrip();
    void hsvMatchesDefinitionOnEveryBand();
    void hsvRealImages();
    void hsvParameterErrors();
    void domains();
    void cropDomain();
    void generators();
    void generatorErrors_data();
    void generatorErrors();
};

void tst_HalconImageOps::sizeChannelsAndPointers()
{
    const Bytes r(6, 10), g(6, 20), b(6, 30);
    const Hobject rgb = rgbImage(3, 2, r, g, b);
    Hlong width = 0, height = 0, channels = 0;
    QCOMPARE(get_image_size(rgb, &width, &height), kSuccess);
    QCOMPARE(width, Hlong(3));
    QCOMPARE(height, Hlong(2));
    QCOMPARE(count_channels(rgb, &channels), kSuccess);
    QCOMPARE(channels, Hlong(3));

    HTuple pr, pg, pb, type, w, h;
    QCOMPARE(get_image_pointer3(rgb, &pr, &pg, &pb, &type, &w, &h), kSuccess);
    QCOMPARE(type.S(), std::string("byte"));
    QCOMPARE(*reinterpret_cast<const unsigned char *>(pr.L()), 10);
    QCOMPARE(*reinterpret_cast<const unsigned char *>(pg.L()), 20);
    QCOMPARE(*reinterpret_cast<const unsigned char *>(pb.L()), 30);

    // Several images give one value per image.
    Hobject two;
    QCOMPARE(concat_obj(rgb, byteImage(5, 4, Bytes(20, 1)), &two), kSuccess);
    HTuple widths, counts;
    QCOMPARE(get_image_size(two, &widths, nullptr), kSuccess);
    QCOMPARE(widths.ToLVector(), (std::vector<Hlong>{3, 5}));
    QCOMPARE(count_channels(two, &counts), kSuccess);
    QCOMPARE(counts.ToLVector(), (std::vector<Hlong>{3, 1}));

    QCOMPARE(get_image_pointer3(byteImage(2, 2, Bytes(4, 0)), &pr, &pg, &pb, &type, &w, &h),
             Herror(kErrWrongChannelCount));
}

void tst_HalconImageOps::rgbToGrayWeights_data()
{
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::addColumn<int>("gray");
    QTest::newRow("red") << 255 << 0 << 0 << 76;     // 0.299 * 255
    QTest::newRow("green") << 0 << 255 << 0 << 150;  // 0.587 * 255
    QTest::newRow("blue") << 0 << 0 << 255 << 29;    // 0.114 * 255
    QTest::newRow("white") << 255 << 255 << 255 << 255;
    QTest::newRow("mixed") << 100 << 150 << 200 << 141;
}

void tst_HalconImageOps::rgbToGrayWeights()
{
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QFETCH(int, gray);
    // Wide enough for several row bands, with an odd width.
    const int w = 1001, h = 97;
    const size_t n = size_t(w) * h;
    const Hobject rgb = rgbImage(w, h, Bytes(n, uchar(red)), Bytes(n, uchar(green)), Bytes(n, uchar(blue)));
    Hobject out;
    QCOMPARE(rgb1_to_gray(rgb, &out), kSuccess);
    const Bytes result = pixelsOf(out);
    QCOMPARE(result.size(), n);
    for (size_t i = 0; i < n; ++i) {
        if (std::abs(int(result[i]) - gray) > 1)
            QFAIL(qPrintable(QStringLiteral("pixel %1 is %2").arg(i).arg(result[i])));
    }
}

void tst_HalconImageOps::rgbToGrayKeepsDomainAndPassesGray()
{
    const Bytes plane(64, 90);
    Hobject rgb, reduced, gray, domain;
    rgb = rgbImage(8, 8, plane, plane, plane);
    QCOMPARE(reduce_domain(rgb, rectangle(1, 1, 3, 4), &reduced), kSuccess);
    QCOMPARE(rgb1_to_gray(reduced, &gray), kSuccess);
    QCOMPARE(get_domain(gray, &domain), kSuccess);
    HTuple area, row, col;
    QCOMPARE(area_center(domain, &area, &row, &col), kSuccess);
    QCOMPARE(area.L(), Hlong(12));

    // A one-channel image is already grey: the very same element comes back.
    const Hobject single = byteImage(4, 4, Bytes(16, 3));
    QCOMPARE(rgb1_to_gray(single, &gray), kSuccess);
    QCOMPARE(gray.ElementId(1), single.ElementId(1));
}

void tst_HalconImageOps::rgbToGrayOtherPixelTypes_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<double>("red");
    QTest::addColumn<double>("green");
    QTest::addColumn<double>("blue");
    QTest::addColumn<double>("gray");
    QTest::newRow("uint2") << "uint2" << 1000.0 << 2000.0 << 3000.0 << 1815.0; // 299 + 1174 + 342
    QTest::newRow("uint2 rounds") << "uint2" << 1.0 << 1.0 << 0.0 << 1.0;       // 0.886
    QTest::newRow("real") << "real" << 1.0 << -2.0 << 0.5 << -0.818;
}

void tst_HalconImageOps::rgbToGrayOtherPixelTypes()
{
    QFETCH(QString, type);
    QFETCH(double, red);
    QFETCH(double, green);
    QFETCH(double, blue);
    QFETCH(double, gray);
    // Rows enough for several bands.
    const int w = 13, h = 41;
    const size_t n = size_t(w) * h;
    Hobject rgb, out;
    if (type == "uint2") {
        const std::vector<quint16> r(n, quint16(red)), g(n, quint16(green)), b(n, quint16(blue));
        QCOMPARE(gen_image3(&rgb, "uint2", w, h, addressOf(r.data()), addressOf(g.data()), addressOf(b.data())),
                 kSuccess);
        QCOMPARE(rgb1_to_gray(rgb, &out), kSuccess);
        Hlong pointer = 0, width = 0, height = 0;
        char name[16] = {};
        QCOMPARE(get_image_pointer1(out, &pointer, name, &width, &height), kSuccess);
        QCOMPARE(QByteArray(name), QByteArray("uint2"));
        const auto *p = reinterpret_cast<const quint16 *>(static_cast<std::intptr_t>(pointer));
        QCOMPARE(std::vector<quint16>(p, p + n), std::vector<quint16>(n, quint16(gray)));
    } else {
        const std::vector<float> r(n, float(red)), g(n, float(green)), b(n, float(blue));
        QCOMPARE(gen_image3(&rgb, "real", w, h, addressOf(r.data()), addressOf(g.data()), addressOf(b.data())),
                 kSuccess);
        QCOMPARE(rgb1_to_gray(rgb, &out), kSuccess);
        Hlong pointer = 0, width = 0, height = 0;
        char name[16] = {};
        QCOMPARE(get_image_pointer1(out, &pointer, name, &width, &height), kSuccess);
        QCOMPARE(QByteArray(name), QByteArray("real"));
        const auto *p = reinterpret_cast<const float *>(static_cast<std::intptr_t>(pointer));
        for (size_t i = 0; i < n; ++i)
            QVERIFY2(std::abs(p[i] - gray) < 1e-5, qPrintable(QString::number(p[i])));
    }
}

void tst_HalconImageOps::channelCountErrors()
{
    const Bytes plane(16, 1);
    const Hobject gray = byteImage(4, 4, plane);
    Hobject rgb, out, r, g, b;
    QCOMPARE(compose3(gray, gray, gray, &rgb), kSuccess);
    QCOMPARE(decompose3(gray, &r, &g, &b), Herror(kErrWrongChannelCount));
    QCOMPARE(compose3(rgb, gray, gray, &out), Herror(kErrWrongChannelCount));
    QCOMPARE(trans_from_rgb(rgb, rgb, rgb, &r, &g, &b, "hsv"), Herror(kErrWrongChannelCount));
}

void tst_HalconImageOps::decomposeAndCompose()
{
    const Bytes r{1, 2, 3, 4}, g{5, 6, 7, 8}, b{9, 10, 11, 12};
    const Hobject rgb = rgbImage(2, 2, r, g, b);
    Hobject red, green, blue, again;
    QCOMPARE(decompose3(rgb, &red, &green, &blue), kSuccess);
    QCOMPARE(pixelsOf(red), r);
    QCOMPARE(pixelsOf(green), g);
    QCOMPARE(pixelsOf(blue), b);
    QCOMPARE(compose3(blue, green, red, &again), kSuccess);
    HTuple p1, p2, p3, type, w, h;
    QCOMPARE(get_image_pointer3(again, &p1, &p2, &p3, &type, &w, &h), kSuccess);
    QCOMPARE(*reinterpret_cast<const unsigned char *>(p1.L()), 9);
    QCOMPARE(*reinterpret_cast<const unsigned char *>(p3.L()), 1);
}

void tst_HalconImageOps::composeRejectsMismatches()
{
    Hobject out, two;
    const Hobject a = byteImage(4, 4, Bytes(16, 0));
    const Hobject wide = byteImage(5, 4, Bytes(20, 0));
    QCOMPARE(compose3(a, wide, a, &out), Herror(kErrImageSizeMismatch));
    Hobject real;
    QCOMPARE(gen_image_const(&real, "real", 4, 4), kSuccess);
    QCOMPARE(compose3(a, a, real, &out), Herror(kErrWrongPixelType));
    QCOMPARE(concat_obj(a, a, &two), kSuccess);
    QCOMPARE(compose3(two, a, a, &out), Herror(kErrObjectCountMismatch));
    QCOMPARE(compose3(a, rectangle(0, 0, 1, 1), a, &out), Herror(kErrWrongObjectClass2));
}

void tst_HalconImageOps::hsvKnownColours_data()
{
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::addColumn<int>("hue");
    QTest::addColumn<int>("saturation");
    QTest::addColumn<int>("value");
    QTest::newRow("red") << 255 << 0 << 0 << 0 << 255 << 255;
    QTest::newRow("green") << 0 << 255 << 0 << 85 << 255 << 255;   // a third of the circle
    QTest::newRow("blue") << 0 << 0 << 255 << 170 << 255 << 255;
    QTest::newRow("grey") << 128 << 128 << 128 << 0 << 0 << 128;
    QTest::newRow("just short of red") << 255 << 0 << 6 << 255 << 255 << 255; // wraps to the top
}

void tst_HalconImageOps::hsvKnownColours()
{
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QFETCH(int, hue);
    QFETCH(int, saturation);
    QFETCH(int, value);
    // 37 pixels: the vector path and the scalar tail must agree.
    const int n = 37;
    Hobject h, s, v;
    QCOMPARE(trans_from_rgb(byteImage(n, 1, Bytes(n, uchar(red))), byteImage(n, 1, Bytes(n, uchar(green))),
                            byteImage(n, 1, Bytes(n, uchar(blue))), &h, &s, &v, "hsv"),
             kSuccess);
    const Bytes hues = pixelsOf(h);
    for (unsigned char x : hues) {
        const int d = std::abs(int(x) - hue);
        QVERIFY2(std::min(d, 256 - d) <= 1, qPrintable(QString::number(x)));
    }
    QCOMPARE(pixelsOf(s), Bytes(n, uchar(saturation)));
    QCOMPARE(pixelsOf(v), Bytes(n, uchar(value)));
}

void tst_HalconImageOps::hsvRoundTrip()
{
    Bytes r, g, b;
    colourCube(15, r, g, b);
    const int w = int(r.size()), hgt = 1;
    Hobject h, s, v, r2, g2, b2;
    QCOMPARE(trans_from_rgb(byteImage(w, hgt, r), byteImage(w, hgt, g), byteImage(w, hgt, b), &h, &s, &v, "hsv"),
             kSuccess);
    QCOMPARE(trans_to_rgb(h, s, v, &r2, &g2, &b2, "hsv"), kSuccess);
    const Bytes rr = pixelsOf(r2), gg = pixelsOf(g2), bb = pixelsOf(b2);
    // Byte hue has 256 steps for the circle, so a saturated colour may move by a few levels.
    int worst = 0;
    double total = 0.0;
    for (size_t i = 0; i < r.size(); ++i) {
        const int d = std::max({std::abs(rr[i] - r[i]), std::abs(gg[i] - g[i]), std::abs(bb[i] - b[i])});
        worst = std::max(worst, d);
        total += d;
    }
    QVERIFY2(worst <= 8, qPrintable(QString::number(worst)));
    QVERIFY2(total / double(r.size()) < 2.0, qPrintable(QString::number(total / double(r.size()))));

    // Hues on both sides of red come back to both sides of red, not to cyan.
    Hobject hr, hg, hb;
    QCOMPARE(trans_to_rgb(byteImage(2, 1, {254, 1}), byteImage(2, 1, {255, 255}), byteImage(2, 1, {255, 255}), &hr,
                          &hg, &hb, "hsv"),
             kSuccess);
    QCOMPARE(pixelsOf(hr), (Bytes{255, 255}));
    QVERIFY(pixelsOf(hb)[0] > 0 && pixelsOf(hb)[0] < 20); // a little blue: just below 360 degrees
    QVERIFY(pixelsOf(hg)[1] > 0 && pixelsOf(hg)[1] < 20); // a little green: just above 0 degrees
}

void tst_HalconImageOps::hsvMatchesDefinitionOnEveryBand()
{
    // Every colour of a fine cube, laid out over many rows of an odd width so that every
    // row band and the scalar tails see all kinds of colour.
    Bytes r, g, b;
    colourCube(5, r, g, b);
    const int w = 331;
    const int hgt = int(r.size()) / w;
    const size_t n = size_t(w) * size_t(hgt);
    r.resize(n);
    g.resize(n);
    b.resize(n);
    Hobject h, s, v;
    QCOMPARE(trans_from_rgb(byteImage(w, hgt, r), byteImage(w, hgt, g), byteImage(w, hgt, b), &h, &s, &v, "hsv"),
             kSuccess);
    const Bytes hues = pixelsOf(h), sats = pixelsOf(s), vals = pixelsOf(v);
    QCOMPARE(hues.size(), n);
    for (size_t i = 0; i < n; ++i) {
        const int R = r[i], G = g[i], B = b[i];
        const int V = std::max({R, G, B});
        const int D = V - std::min({R, G, B});
        // The full circle in 256 steps, and saturation 255 * D / V.
        double hue = 0.0;
        if (D > 0)
            hue = (V == R ? double(G - B) / D : V == G ? 2.0 + double(B - R) / D : 4.0 + double(R - G) / D) * 256.0 / 6.0;
        const double sat = V > 0 ? 255.0 * D / V : 0.0;
        const int dh = std::abs(int(hues[i]) - int(std::lround(hue < 0 ? hue + 256.0 : hue)) % 256);
        if (std::min(dh, 256 - dh) > 1 || std::abs(int(sats[i]) - int(std::lround(sat))) > 1 || vals[i] != V)
            QFAIL(qPrintable(QStringLiteral("rgb %1 %2 %3 gives hsv %4 %5 %6")
                                 .arg(R).arg(G).arg(B).arg(hues[i]).arg(sats[i]).arg(vals[i])));
    }
}

void tst_HalconImageOps::hsvRealImages()
{
    Hobject r, g, b, h, s, v, r2, g2, b2;
    const std::vector<float> red{0.0f, 0.5f}, green{1.0f, 0.5f}, blue{0.0f, 0.5f};
    QCOMPARE(gen_image1(&r, "real", 2, 1, addressOf(red.data())), kSuccess);
    QCOMPARE(gen_image1(&g, "real", 2, 1, addressOf(green.data())), kSuccess);
    QCOMPARE(gen_image1(&b, "real", 2, 1, addressOf(blue.data())), kSuccess);
    QCOMPARE(trans_from_rgb(r, g, b, &h, &s, &v, "hsv"), kSuccess);
    HTuple ptr, type, w, hh;
    QCOMPARE(get_image_pointer1(h, &ptr, &type, &w, &hh), kSuccess);
    QCOMPARE(type.S(), std::string("real"));
    const auto *hue = reinterpret_cast<const float *>(ptr.L());
    QVERIFY(std::abs(hue[0] - 2.0943951f) < 1e-4f); // green: 2 pi / 3
    QCOMPARE(trans_to_rgb(h, s, v, &r2, &g2, &b2, "hsv"), kSuccess);
    QCOMPARE(get_image_pointer1(g2, &ptr, &type, &w, &hh), kSuccess);
    QVERIFY(std::abs(reinterpret_cast<const float *>(ptr.L())[0] - 1.0f) < 1e-5f);
    QVERIFY(std::abs(reinterpret_cast<const float *>(ptr.L())[1] - 0.5f) < 1e-5f);
}

void tst_HalconImageOps::hsvParameterErrors()
{
    const Hobject a = byteImage(2, 2, Bytes(4, 0));
    Hobject h, s, v;
    QCOMPARE(trans_from_rgb(a, a, a, &h, &s, &v, "cielab"), Herror(kErrWrongValue1));
    QCOMPARE(trans_from_rgb(a, a, a, &h, &s, &v, 3), Herror(kErrWrongType1));
    QCOMPARE(trans_to_rgb(a, a, a, &h, &s, &v, HTuple()), Herror(kErrWrongCount1));
    QCOMPARE(trans_from_rgb(a, Hobject(), a, &h, &s, &v, "hsv"), Herror(kErrEmptyObject));
}

void tst_HalconImageOps::domains()
{
    const Hobject image = byteImage(10, 10, Bytes(100, 7));
    Hobject domain, reduced, full;
    HTuple area, row, col, r1, c1, r2, c2;
    QCOMPARE(get_domain(image, &domain), kSuccess);
    QCOMPARE(area_center(domain, &area, &row, &col), kSuccess);
    QCOMPARE(area.L(), Hlong(100));

    // The region is clipped to the picture.
    QCOMPARE(reduce_domain(image, rectangle(-5, 8, 2, 20), &reduced), kSuccess);
    QCOMPARE(get_domain(reduced, &domain), kSuccess);
    QCOMPARE(smallest_rectangle1(domain, &r1, &c1, &r2, &c2), kSuccess);
    QCOMPARE((std::vector<Hlong>{r1.L(), c1.L(), r2.L(), c2.L()}), (std::vector<Hlong>{0, 8, 2, 9}));

    QCOMPARE(full_domain(reduced, &full), kSuccess);
    QCOMPARE(get_domain(full, &domain), kSuccess);
    QCOMPARE(area_center(domain, &area, &row, &col), kSuccess);
    QCOMPARE(area.L(), Hlong(100));

    // One region per image, or one for all; other counts do not pair up.
    Hobject twoImages, twoRegions, threeRegions;
    QCOMPARE(concat_obj(image, image, &twoImages), kSuccess);
    QCOMPARE(concat_obj(rectangle(0, 0, 1, 1), rectangle(2, 2, 5, 5), &twoRegions), kSuccess);
    QCOMPARE(reduce_domain(twoImages, twoRegions, &reduced), kSuccess);
    QCOMPARE(get_domain(reduced, &domain), kSuccess);
    QCOMPARE(area_center(domain, &area, &row, &col), kSuccess);
    QCOMPARE(area.ToLVector(), (std::vector<Hlong>{4, 16}));
    QCOMPARE(concat_obj(twoRegions, rectangle(0, 0, 0, 0), &threeRegions), kSuccess);
    QCOMPARE(reduce_domain(twoImages, threeRegions, &reduced), Herror(kErrObjectCountMismatch));
}

void tst_HalconImageOps::cropDomain()
{
    Bytes pixels(6 * 5);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uchar(i);
    const Hobject image = byteImage(6, 5, pixels);
    Hobject reduced, part;
    QCOMPARE(reduce_domain(image, rectangle(1, 2, 3, 3), &reduced), kSuccess);
    QCOMPARE(crop_domain(reduced, &part), kSuccess);
    Hlong w = 0, h = 0;
    QCOMPARE(get_image_size(part, &w, &h), kSuccess);
    QCOMPARE(w, Hlong(2));
    QCOMPARE(h, Hlong(3));
    QCOMPARE(pixelsOf(part), (Bytes{8, 9, 14, 15, 20, 21}));

    // A full domain needs no copy.
    QCOMPARE(crop_domain(image, &part), kSuccess);
    QCOMPARE(part.ElementId(1), image.ElementId(1));

    // Nothing to crop to.
    Hobject empty;
    QCOMPARE(reduce_domain(image, rectangle(20, 20, 30, 30), &empty), kSuccess);
    QCOMPARE(crop_domain(empty, &part), Herror(kErrEmptyDomain));
}

void tst_HalconImageOps::generators()
{
    Hobject proto, constant;
    const Hobject image = byteImage(3, 2, Bytes(6, 9));
    QCOMPARE(gen_image_proto(image, &proto, 200), kSuccess);
    QCOMPARE(pixelsOf(proto), Bytes(6, 200));
    QCOMPARE(gen_image_const(&constant, "byte", 4, 3), kSuccess);
    QCOMPARE(pixelsOf(constant), Bytes(12, 0));

    // gen_image1 copies: the caller's buffer may go away afterwards.
    Hobject copy;
    {
        Bytes buffer{1, 2, 3, 4};
        QCOMPARE(gen_image1(&copy, "byte", 2, 2, addressOf(buffer.data())), kSuccess);
        buffer.assign(4, 0);
    }
    QCOMPARE(pixelsOf(copy), (Bytes{1, 2, 3, 4}));

    const std::vector<unsigned short> words{1000, 2000};
    Hobject uint2;
    QCOMPARE(gen_image1(&uint2, "uint2", 2, 1, addressOf(words.data())), kSuccess);
    char type[16];
    Hlong pointer = 0, w = 0, h = 0;
    QCOMPARE(get_image_pointer1(uint2, &pointer, type, &w, &h), kSuccess);
    QCOMPARE(QByteArray(type), QByteArray("uint2"));
    QCOMPARE(reinterpret_cast<const unsigned short *>(pointer)[1], 2000);
}

void tst_HalconImageOps::generatorErrors_data()
{
    QTest::addColumn<HTuple>("type");
    QTest::addColumn<HTuple>("width");
    QTest::addColumn<HTuple>("height");
    QTest::addColumn<bool>("nullPointer");
    QTest::addColumn<int>("expected");
    QTest::newRow("unknown type") << HTuple("complex") << HTuple(2) << HTuple(2) << false << int(kErrWrongValue1);
    QTest::newRow("type not text") << HTuple(1) << HTuple(2) << HTuple(2) << false << int(kErrWrongType1);
    QTest::newRow("zero width") << HTuple("byte") << HTuple(0) << HTuple(2) << false << int(kErrWrongValue2);
    QTest::newRow("negative height") << HTuple("byte") << HTuple(2) << HTuple(-1) << false << int(kErrWrongValue3);
    QTest::newRow("absurd size") << HTuple("byte") << HTuple(1 << 20) << HTuple(1 << 20) << false
                                 << int(kErrWrongValue3);
    QTest::newRow("null pixels") << HTuple("byte") << HTuple(2) << HTuple(2) << true << int(kErrWrongValue4);
}

void tst_HalconImageOps::generatorErrors()
{
    QFETCH(HTuple, type);
    QFETCH(HTuple, width);
    QFETCH(HTuple, height);
    QFETCH(bool, nullPointer);
    QFETCH(int, expected);
    const Bytes pixels(4, 0);
    Hobject out = byteImage(1, 1, {5});
    const Hobject before = out;
    QCOMPARE(gen_image1(&out, type, width, height, nullPointer ? 0LL : addressOf(pixels.data())), Herror(expected));
    QVERIFY(out.SharesElementsWith(before));
}

QTEST_GUILESS_MAIN(tst_HalconImageOps)
#include "tst_HalconImageOps.moc"
