#include "Halcon.h"

#include <HalconTestPictures.h>

#include <QtTest>
#include <ThreadChecker.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

using namespace Halcon;

namespace {

using Operator = std::function<Herror(const Hobject &, Hobject *)>;

// A vertical step from 40 to 200 at column 60, blurred over about a dozen columns.
Hobject blurredStep(int width = 120, int height = 60)
{
    return HalconTestPictures::grayImage(width, height, [](int, int c) {
        return int(std::lround(40.0 + 160.0 / (1.0 + std::exp(-(c - 59.5) / 2.5))));
    });
}

// Columns of one row whose grey lies strictly between the two plateaus: the edge's width.
int edgeWidth(const Hobject &image, int row)
{
    Hlong width = 0, height = 0;
    get_image_size(image, &width, &height);
    int count = 0;
    for (int c = 0; c < width; ++c) {
        const int v = HalconTestPictures::pixel(image, row, c);
        if (v > 50 && v < 190)
            ++count;
    }
    return count;
}

// Varied structure everywhere, so that any made-up neighbour would show.
Hobject structured(int width, int height)
{
    return HalconTestPictures::grayImage(width, height, [](int r, int c) {
        return int(128 + 60 * std::sin(r * 0.31) * std::cos(c * 0.17) + ((r * 7 + c * 13) % 23) - 11);
    });
}

struct Pixels
{
    std::vector<float> values;
    int width = 0;
    int height = 0;
    float at(int r, int c) const { return values[size_t(r) * size_t(width) + size_t(c)]; }
};

Pixels pixelsOf(const Hobject &image, int channel = 0)
{
    Pixels p;
    Hobject single = image;
    if (channel > 0) {
        Hobject red, green, blue;
        decompose3(image, &red, &green, &blue);
        single = channel == 1 ? green : blue;
    }
    Hlong pointer = 0, width = 0, height = 0;
    char type[16] = {};
    if (get_image_pointer1(single, &pointer, type, &width, &height) != kSuccess)
        return p;
    p.width = int(width);
    p.height = int(height);
    p.values.resize(size_t(width * height));
    for (Hlong i = 0; i < width * height; ++i) {
        if (QByteArray(type) == "real")
            p.values[size_t(i)] = reinterpret_cast<const float *>(pointer)[i];
        else
            p.values[size_t(i)] = float(reinterpret_cast<const std::uint8_t *>(pointer)[i]);
    }
    return p;
}

Hobject realImage(int width, int height, const std::function<float(int, int)> &pixel)
{
    std::vector<float> values(size_t(width) * size_t(height));
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            values[size_t(r) * size_t(width) + size_t(c)] = pixel(r, c);
    Hobject image;
    gen_image1(&image, "real", width, height, Hlong(reinterpret_cast<std::intptr_t>(values.data())));
    return image;
}

Operator shock(double theta, int iterations, const char *mode, double sigma)
{
    return [=](const Hobject &in, Hobject *out) { return shock_filter(in, out, theta, iterations, mode, sigma); };
}

Operator emphasizeWith(int width, int height, double factor)
{
    return [=](const Hobject &in, Hobject *out) { return emphasize(in, out, width, height, factor); };
}

Operator sobel(int size)
{
    return [=](const Hobject &in, Hobject *out) { return sobel_amp(in, out, "sum_abs", size); };
}

} // namespace

Q_DECLARE_METATYPE(Operator)

class tst_HalconEnhanceOps : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void shockSharpensBlurredStep_data();
    void shockSharpensBlurredStep();
    void emphasizeFollowsItsDefinition_data();
    void emphasizeFollowsItsDefinition();
    void sobelAmplitudeOfStep_data();
    void sobelAmplitudeOfStep();
    void reducedDomainMatchesWholePicture_data();
    void reducedDomainMatchesWholePicture();
    void colourPicturesPerChannel();
    void badInput_data();
    void badInput();
};

void tst_HalconEnhanceOps::shockSharpensBlurredStep_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<double>("sigma");
    QTest::addColumn<int>("iterations");
    QTest::newRow("canny, sigma 0.4") << "canny" << 0.4 << 10;
    QTest::newRow("canny, unsmoothed") << "canny" << 0.0 << 10;
    QTest::newRow("canny, sigma 2") << "canny" << 2.0 << 8;
    QTest::newRow("laplace, sigma 1") << "laplace" << 1.0 << 10;
}

void tst_HalconEnhanceOps::shockSharpensBlurredStep()
{
    QFETCH(QString, mode);
    QFETCH(double, sigma);
    QFETCH(int, iterations);
    const Hobject step = blurredStep();
    Hobject sharp;
    QCOMPARE(shock_filter(step, &sharp, 0.5, iterations, mode.toStdString(), sigma), kSuccess);

    const int before = edgeWidth(step, 30);
    const int after = edgeWidth(sharp, 30);
    QVERIFY2(after * 2 <= before, qPrintable(QStringLiteral("edge %1 -> %2 columns").arg(before).arg(after)));
    // The edge stays where it was, the plateaus stay flat and no value overshoots.
    QVERIFY(HalconTestPictures::pixel(sharp, 30, 57) < 120);
    QVERIFY(HalconTestPictures::pixel(sharp, 30, 62) > 120);
    for (int c : {0, 20, 40, 80, 100, 119}) {
        QVERIFY(std::abs(HalconTestPictures::pixel(sharp, 30, c) - HalconTestPictures::pixel(step, 30, c)) <= 1);
    }
    for (int c = 0; c < 120; ++c) {
        const int v = HalconTestPictures::pixel(sharp, 30, c);
        QVERIFY(v >= 40 && v <= 200);
    }
}

void tst_HalconEnhanceOps::emphasizeFollowsItsDefinition_data()
{
    QTest::addColumn<int>("maskWidth");
    QTest::addColumn<int>("maskHeight");
    QTest::addColumn<double>("factor");
    QTest::newRow("square 5, factor 30") << 5 << 5 << 30.0;
    QTest::newRow("wide 9 x 3, factor 2") << 9 << 3 << 2.0;
    QTest::newRow("factor 0 leaves the picture") << 7 << 7 << 0.0;
    QTest::newRow("negative factor smooths") << 3 << 3 << -0.5;
}

void tst_HalconEnhanceOps::emphasizeFollowsItsDefinition()
{
    QFETCH(int, maskWidth);
    QFETCH(int, maskHeight);
    QFETCH(double, factor);
    const int width = 40, height = 30;
    const Hobject image = realImage(width, height, [](int r, int c) { return float((r * 37 + c * 11) % 29); });
    Hobject result;
    QCOMPARE(emphasize(image, &result, maskWidth, maskHeight, factor), kSuccess);
    const Pixels in = pixelsOf(image), out = pixelsOf(result);
    auto mirrored = [](int p, int n) { return p < 0 ? -p - 1 : (p >= n ? 2 * n - p - 1 : p); };
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            double sum = 0.0;
            for (int dy = -(maskHeight / 2); dy <= maskHeight / 2; ++dy)
                for (int dx = -(maskWidth / 2); dx <= maskWidth / 2; ++dx)
                    sum += in.at(mirrored(r + dy, height), mirrored(c + dx, width));
            const double mean = sum / (maskWidth * maskHeight);
            const double expected = (in.at(r, c) - mean) * factor + in.at(r, c);
            if (std::abs(out.at(r, c) - expected) > 1e-3 * std::max(1.0, std::abs(expected)))
                QFAIL(qPrintable(QStringLiteral("(%1, %2): %3, expected %4").arg(r).arg(c).arg(out.at(r, c)).arg(expected)));
        }
    }
}

void tst_HalconEnhanceOps::sobelAmplitudeOfStep_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("real");
    QTest::newRow("3, bytes") << 3 << false;
    QTest::newRow("5, bytes") << 5 << false;
    QTest::newRow("7, bytes") << 7 << false;
    QTest::newRow("3, real") << 3 << true;
    QTest::newRow("7, real") << 7 << true;
}

void tst_HalconEnhanceOps::sobelAmplitudeOfStep()
{
    QFETCH(int, size);
    QFETCH(bool, real);
    // A step of 100 between columns 19 and 20, and a flat area.
    const auto grey = [](int, int c) { return c < 20 ? 50 : 150; };
    const Hobject image = real ? realImage(40, 20, [&](int r, int c) { return float(grey(r, c)); })
                               : HalconTestPictures::grayImage(40, 20, grey);
    Hobject amplitude;
    QCOMPARE(sobel_amp(image, &amplitude, "sum_abs", size), kSuccess);
    const Pixels a = pixelsOf(amplitude);
    float highest = 0.0f;
    for (int c = 0; c < 40; ++c)
        highest = std::max(highest, a.at(10, c));
    QCOMPARE(std::lround(highest), 100L);
    QCOMPARE(a.at(10, 19), highest);
    QCOMPARE(a.at(10, 20), highest);
    QCOMPARE(a.at(10, 5), 0.0f);
    QCOMPARE(a.at(10, 35), 0.0f);
}

void tst_HalconEnhanceOps::reducedDomainMatchesWholePicture_data()
{
    QTest::addColumn<Operator>("op");
    QTest::newRow("shock, 5 steps, sigma 2") << shock(0.5, 5, "canny", 2.0);
    QTest::newRow("shock, laplace") << shock(0.3, 3, "laplace", 0.8);
    QTest::newRow("emphasize 21 x 21") << emphasizeWith(21, 21, 3.0);
    QTest::newRow("sobel 7") << sobel(7);
}

void tst_HalconEnhanceOps::reducedDomainMatchesWholePicture()
{
    QFETCH(Operator, op);
    const Hobject image = structured(160, 120);
    Hobject whole;
    QCOMPARE(op(image, &whole), kSuccess);

    // An L-shaped domain near the picture's corner: its box reaches the border on one side.
    Hobject a, b, domain, reduced;
    gen_rectangle1(&a, 40, 0, 70, 90);
    gen_rectangle1(&b, 40, 60, 110, 90);
    union2(a, b, &domain);
    reduce_domain(image, domain, &reduced);
    Hobject part;
    QCOMPARE(op(reduced, &part), kSuccess);

    Hobject kept;
    get_domain(part, &kept);
    HTuple same;
    test_subset_region(kept, domain, &same);
    QCOMPARE(same.I(), 1);
    test_subset_region(domain, kept, &same);
    QCOMPARE(same.I(), 1);

    const Pixels wholePixels = pixelsOf(whole), partPixels = pixelsOf(part);
    for (int r = 40; r <= 110; ++r) {
        for (int c = 0; c <= 90; ++c) {
            HTuple inside;
            test_region_point(domain, r, c, &inside);
            if (inside.I() == 1 && partPixels.at(r, c) != wholePixels.at(r, c))
                QFAIL(qPrintable(QStringLiteral("(%1, %2): %3 in the domain, %4 on the whole picture")
                                     .arg(r).arg(c).arg(partPixels.at(r, c)).arg(wholePixels.at(r, c))));
        }
    }
}

void tst_HalconEnhanceOps::colourPicturesPerChannel()
{
    const Hobject step = blurredStep(80, 20);
    const Hobject flat = HalconTestPictures::grayImage(80, 20, [](int, int) { return 90; });
    Hobject colour;
    compose3(flat, step, flat, &colour);
    Hobject sharp, sharpGrey;
    QCOMPARE(shock_filter(colour, &sharp, 0.5, 5, "canny", 0.4), kSuccess);
    QCOMPARE(shock_filter(step, &sharpGrey, 0.5, 5, "canny", 0.4), kSuccess);
    Hlong channels = 0;
    count_channels(sharp, &channels);
    QCOMPARE(channels, Hlong(3));
    const Pixels red = pixelsOf(sharp, 0), green = pixelsOf(sharp, 1), grey = pixelsOf(sharpGrey);
    for (int c = 0; c < 80; ++c) {
        QCOMPARE(red.at(10, c), 90.0f);
        QCOMPARE(green.at(10, c), grey.at(10, c));
    }
}

void tst_HalconEnhanceOps::badInput_data()
{
    QTest::addColumn<Operator>("op");
    QTest::addColumn<Hobject>("input");
    QTest::addColumn<int>("expected");
    const Hobject image = blurredStep(20, 10);
    const Hobject region = HalconTestPictures::rectangleRegion(0, 0, 5, 5);
    QTest::newRow("shock on a region") << shock(0.5, 5, "canny", 0.4) << region << int(kErrWrongObjectClass1);
    QTest::newRow("shock on nothing") << shock(0.5, 5, "canny", 0.4) << Hobject() << int(kErrEmptyObject);
    QTest::newRow("theta 0") << shock(0.0, 5, "canny", 0.4) << image << int(kErrWrongValue1);
    QTest::newRow("theta above 0.5") << shock(0.6, 5, "canny", 0.4) << image << int(kErrWrongValue1);
    QTest::newRow("no iteration") << shock(0.5, 0, "canny", 0.4) << image << int(kErrWrongValue2);
    QTest::newRow("unknown mode") << shock(0.5, 5, "sobel", 0.4) << image << int(kErrWrongValue3);
    QTest::newRow("negative sigma") << shock(0.5, 5, "canny", -0.1) << image << int(kErrWrongValue4);
    QTest::newRow("emphasize, mask 0") << emphasizeWith(0, 5, 1.0) << image << int(kErrWrongValue1);
    QTest::newRow("emphasize on a region") << emphasizeWith(5, 5, 1.0) << region << int(kErrWrongObjectClass1);
    QTest::newRow("emphasize, text factor")
        << Operator([](const Hobject &in, Hobject *out) { return emphasize(in, out, 5, 5, "much"); }) << image
        << int(kErrWrongType3);
    QTest::newRow("sobel, size 4") << sobel(4) << image << int(kErrWrongValue2);
    QTest::newRow("sobel, other type")
        << Operator([](const Hobject &in, Hobject *out) { return sobel_amp(in, out, "sum_sqrt", 3); }) << image
        << int(kErrWrongValue1);
}

void tst_HalconEnhanceOps::badInput()
{
    QFETCH(Operator, op);
    QFETCH(Hobject, input);
    QFETCH(int, expected);
    const Hobject before = HalconTestPictures::rectangleRegion(1, 1, 2, 2);
    Hobject output = before;
    QCOMPARE(op(input, &output), expected);
    QVERIFY(output.SharesElementsWith(before));
}

void tst_HalconEnhanceOps::initTestCase()
{
    runOperatorsSeriallyUnderThreadChecker();
}

QTEST_GUILESS_MAIN(tst_HalconEnhanceOps)
#include "tst_HalconEnhanceOps.moc"
