#include "Halcon.h"
#include "MedianTracking_p.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

using namespace Halcon;

namespace {

using Bytes = std::vector<std::uint8_t>;

Hobject byteImage(int width, int height, const Bytes& pixels)
{
    Hobject image;
    gen_image1(&image, "byte", width, height,
               HTuple(Hlong(reinterpret_cast<std::intptr_t>(pixels.data()))));
    return image;
}

Bytes bytesOf(const Hobject& image)
{
    Hlong pointer = 0, width = 0, height = 0;
    char type[16] = {};
    if (get_image_pointer1(image, &pointer, type, &width, &height) != kSuccess)
        return {};
    const auto* p = reinterpret_cast<const std::uint8_t*>(pointer);
    return Bytes(p, p + width * height);
}

Bytes randomBytes(int count, quint32 seed)
{
    QRandomGenerator random(seed);
    Bytes out(size_t(count), 0);
    for (auto& v : out)
        v = std::uint8_t(random.bounded(256));
    return out;
}

// Index of a coordinate beyond the border for the margin modes of median_image
// (-1 for a constant value).
int borderIndex(int p, int length, const QString& margin)
{
    if (p >= 0 && p < length)
        return p;
    if (margin == "continued")
        return std::clamp(p, 0, length - 1);
    if (margin == "cyclic")
        return ((p % length) + length) % length;
    if (margin == "mirrored") {
        while (p < 0 || p >= length)
            p = p < 0 ? -p - 1 : 2 * length - p - 1;
        return p;
    }
    return -1;
}

// The median filter by its definition: sort the mask's grey values at every pixel.
Bytes referenceMedian(const Bytes& src, int width, int height, int radius, bool circle,
                      const QString& margin, int constant)
{
    Bytes out(src.size());
    std::vector<int> values;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            values.clear();
            for (int dy = -radius; dy <= radius; ++dy)
                for (int dx = -radius; dx <= radius; ++dx) {
                    if (circle && dx * dx + dy * dy > radius * radius)
                        continue;
                    const int yy = borderIndex(y + dy, height, margin);
                    const int xx = borderIndex(x + dx, width, margin);
                    values.push_back(yy < 0 || xx < 0 ? constant : src[size_t(yy * width + xx)]);
                }
            std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
            out[size_t(y * width + x)] = std::uint8_t(values[values.size() / 2]);
        }
    return out;
}

Hobject rectangle(int row1, int column1, int row2, int column2)
{
    Hobject region;
    gen_rectangle1(&region, row1, column1, row2, column2);
    return region;
}

Hlong areaOf(const Hobject& region)
{
    HTuple area, row, column;
    if (area_center(region, &area, &row, &column) != kSuccess || area.Length() != 1)
        return -1;
    return area.L();
}

// Test pictures for the vector medians: noise (the median moves everywhere), a shaded plate
// with dark discs and a bright stripe (it moves rarely, and then far), and pixels of 0 and 255
// only in places (the thresholds reach both ends of the grey range).
Bytes medianTestPlane(const QString& kind, int width, int height, quint32 seed)
{
    QRandomGenerator random(seed);
    Bytes out(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int v = int(random.bounded(256));
            if (kind == "shaded") {
                const double dx = x % 40 - 20.0, dy = y % 30 - 15.0;
                v = 150 + x / 8 - y / 6 + int(random.bounded(5)) - 2;
                if (dx * dx + dy * dy < 60.0)
                    v -= 90;
                if (x % 57 < 3)
                    v = 250;
            } else if (kind == "extremes") {
                v = (x / 9 + y / 7) % 3 == 0 ? v : ((x / 13) % 2 ? 255 : 0);
            }
            out[size_t(y * width + x)] = std::uint8_t(std::clamp(v, 0, 255));
        }
    return out;
}

// Runs `filter` once with operator parallelisation off and once on `threads` threads; the
// system's settings are as before afterwards.
struct OneAndMany
{
    Herror oneResult = kErrInternal;
    Herror manyResult = kErrInternal;
    Hobject one;
    Hobject many;
};
OneAndMany onOneThreadAndOnMany(int threads, const std::function<Herror(Hobject*)>& filter)
{
    HTuple parallel, threadNum;
    get_system("parallelize_operators", &parallel);
    get_system("thread_num", &threadNum);
    OneAndMany runs;
    set_system("parallelize_operators", "false");
    runs.oneResult = filter(&runs.one);
    set_system("parallelize_operators", "true");
    set_system("thread_num", threads);
    runs.manyResult = filter(&runs.many);
    set_system("parallelize_operators", parallel);
    set_system("thread_num", threadNum);
    return runs;
}

} // namespace

class tst_HalconFilterOps : public QObject
{
    Q_OBJECT

private slots:
    void thresholdSelectsRange_data();
    void thresholdSelectsRange();
    void thresholdRespectsDomainAndChannels();
    void thresholdFailures();

    void medianMatchesDefinition_data();
    void medianMatchesDefinition();
    void medianOnVectorsMatchesDefinition_data();
    void medianOnVectorsMatchesDefinition();
    void medianInPlaceAndDomain();
    void medianFailures_data();
    void medianFailures();

    void meanImage();
    void meanSameOnEveryThreadCount_data();
    void meanSameOnEveryThreadCount();
    void meanFailures();
    void filtersOnColourPictures_data();
    void filtersOnColourPictures();

    void subImage();
    void subImageFailures();

    void minMaxGray_data();
    void minMaxGray();
    void minMaxGrayFailures();
    void intensityMeanAndDeviation();
};

void tst_HalconFilterOps::thresholdSelectsRange_data()
{
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<qint64>("area");

    // Grey values 0..99 in a 10 x 10 picture.
    QTest::newRow("everything") << 0.0 << 255.0 << qint64(100);
    QTest::newRow("inner band") << 10.0 << 19.0 << qint64(10);
    QTest::newRow("single value") << 42.0 << 42.0 << qint64(1);
    QTest::newRow("real limits") << 9.5 << 10.5 << qint64(1);
    QTest::newRow("above all") << 100.0 << 255.0 << qint64(0);
    QTest::newRow("min above max") << 50.0 << 40.0 << qint64(0);
    QTest::newRow("negative low") << -20.0 << 0.0 << qint64(1);
}

void tst_HalconFilterOps::thresholdSelectsRange()
{
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(qint64, area);
    Bytes pixels(100);
    for (int i = 0; i < 100; ++i)
        pixels[size_t(i)] = std::uint8_t(i);
    Hobject region;
    QCOMPARE(threshold(byteImage(10, 10, pixels), &region, low, high), kSuccess);
    QCOMPARE(region.CountObj(), Hlong(1));
    QCOMPARE(areaOf(region), Hlong(area));
}

void tst_HalconFilterOps::thresholdRespectsDomainAndChannels()
{
    const Bytes bright(100, 200);
    Hobject reduced, region;
    QCOMPARE(reduce_domain(byteImage(10, 10, bright), rectangle(2, 3, 4, 8), &reduced), kSuccess);
    QCOMPARE(threshold(reduced, &region, 100, 255), kSuccess);
    QCOMPARE(areaOf(region), Hlong(18));

    // Three channels: every channel must lie in its own range.
    Bytes red(4, 10), green{10, 200, 10, 200}, blue{0, 0, 90, 90};
    Hobject rgb;
    QCOMPARE(gen_image3(&rgb, "byte", 2, 2, HTuple(Hlong(reinterpret_cast<std::intptr_t>(red.data()))),
                        HTuple(Hlong(reinterpret_cast<std::intptr_t>(green.data()))),
                        HTuple(Hlong(reinterpret_cast<std::intptr_t>(blue.data())))),
             kSuccess);
    QCOMPARE(threshold(rgb, &region, HTuple(std::vector<double>{0, 0, 50}),
                       HTuple(std::vector<double>{20, 255, 100})),
             kSuccess);
    HTuple inside;
    QCOMPARE(test_region_point(region, HTuple(std::vector<Hlong>{0, 0, 1, 1}),
                               HTuple(std::vector<Hlong>{0, 1, 0, 1}), &inside),
             kSuccess);
    QCOMPARE(inside.ToLVector(), (std::vector<Hlong>{0, 0, 1, 1}));
    QCOMPARE(threshold(rgb, &region, 0, 100), kSuccess);
    QCOMPARE(areaOf(region), Hlong(2));

    // A large picture goes through the parallel path; its runs stay sorted and merged.
    const int w = 997, h = 613;
    Bytes stripes(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            stripes[size_t(y * w + x)] = std::uint8_t((x / 3 + y) % 2 ? 255 : 0);
    QCOMPARE(threshold(byteImage(w, h, stripes), &region, 128, 255), kSuccess);
    Hlong expected = 0;
    for (auto v : stripes)
        expected += v ? 1 : 0;
    QCOMPARE(areaOf(region), expected);
    Hobject parts;
    QCOMPARE(connection(region, &parts), kSuccess);
    QCOMPARE(parts.CountObj(), Hlong(1)); // the stripes touch diagonally from row to row
}

void tst_HalconFilterOps::thresholdFailures()
{
    Hobject region;
    const Hobject image = byteImage(2, 2, Bytes(4, 0));
    QCOMPARE(threshold(Hobject(), &region, 0, 10), kErrEmptyObject);
    QCOMPARE(threshold(rectangle(0, 0, 1, 1), &region, 0, 10), kErrWrongObjectClass1);
    QCOMPARE(threshold(image, &region, "low", 10), kErrWrongType1);
    QCOMPARE(threshold(image, &region, 0, HTuple()), kErrWrongCount2);
    QCOMPARE(threshold(image, &region, HTuple(std::vector<double>{0, 0}), 10), kErrWrongCount1);
    QVERIFY(region.IsEmpty());
}

void tst_HalconFilterOps::medianMatchesDefinition_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<int>("radius");
    QTest::addColumn<QString>("margin");

    QTest::newRow("circle 1 mirrored") << "circle" << 1 << "mirrored";
    QTest::newRow("circle 2 continued") << "circle" << 2 << "continued";
    QTest::newRow("circle 5 mirrored") << "circle" << 5 << "mirrored";
    QTest::newRow("circle 3 cyclic") << "circle" << 3 << "cyclic";
    QTest::newRow("circle 4 constant") << "circle" << 4 << "77";
    QTest::newRow("square 2 mirrored") << "square" << 2 << "mirrored";
    QTest::newRow("square 5 continued") << "square" << 5 << "continued";
    QTest::newRow("square 7 cyclic") << "square" << 7 << "cyclic";
    QTest::newRow("square 3 constant") << "square" << 3 << "200";
    QTest::newRow("circle 15 continued") << "circle" << 15 << "continued";
    QTest::newRow("square 15 mirrored") << "square" << 15 << "mirrored";
    QTest::newRow("circle larger than the picture") << "circle" << 20 << "mirrored";
    QTest::newRow("square larger than the picture") << "square" << 20 << "continued";
}

void tst_HalconFilterOps::medianMatchesDefinition()
{
    QFETCH(QString, mask);
    QFETCH(int, radius);
    QFETCH(QString, margin);
    const int w = 37, h = 29;
    const Bytes src = randomBytes(w * h, quint32(radius * 31 + w));
    bool isNumber = false;
    const int constant = margin.toInt(&isNumber);
    const HTuple marginTuple = isNumber ? HTuple(constant) : HTuple(margin.toStdString());
    Hobject filtered;
    QCOMPARE(median_image(byteImage(w, h, src), &filtered, mask.toStdString(), radius, marginTuple),
             kSuccess);
    QCOMPARE(bytesOf(filtered), referenceMedian(src, w, h, radius, mask == "circle", margin, constant));
}

void tst_HalconFilterOps::medianOnVectorsMatchesDefinition_data()
{
    QTest::addColumn<int>("kernel");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<int>("radius");
    QTest::addColumn<QString>("margin");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");

    const std::pair<Detail::MedianKernel, const char*> kernels[] = {
        {Detail::MedianKernel::Avx512, "512-bit"}, {Detail::MedianKernel::Avx2, "256-bit"},
        {Detail::MedianKernel::Baseline, "128-bit"}};
    const char* margins[] = {"mirrored", "continued", "cyclic", "31"};
    const char* pictures[] = {"noise", "shaded", "extremes"};
    int row = 0;
    for (const auto& [kernel, name] : kernels)
        for (const char* mask : {"circle", "square"})
            for (int radius = 1; radius <= Detail::kMaxTrackedRadius; ++radius, ++row) {
                // Wider than two vectors and not a multiple of one; taller than two turns.
                QTest::addRow("%s %s %d", name, mask, radius)
                    << int(kernel) << mask << radius << margins[row % 4] << pictures[row % 3]
                    << (row % 5 == 0 ? 3 : 1) << 157 << 71;
            }
    // Pictures narrower than the wider vectors fall to the narrower ones, then to the histogram.
    QTest::newRow("narrower than 256 bits") << int(Detail::MedianKernel::Avx512) << "circle" << 7 << "mirrored"
                                            << "shaded" << 1 << 20 << 40;
    QTest::newRow("narrower than any vector") << int(Detail::MedianKernel::Avx512) << "square" << 4 << "continued"
                                              << "noise" << 1 << 9 << 40;
}

void tst_HalconFilterOps::medianOnVectorsMatchesDefinition()
{
    QFETCH(int, kernel);
    QFETCH(QString, mask);
    QFETCH(int, radius);
    QFETCH(QString, margin);
    QFETCH(QString, picture);
    QFETCH(int, channels);
    QFETCH(int, width);
    QFETCH(int, height);
    if (!Detail::medianKernelRuns(Detail::MedianKernel(kernel)))
        QSKIP("The processor lacks these vectors");
    std::vector<Bytes> planes;
    std::vector<Hobject> planeImages;
    for (int c = 0; c < channels; ++c) {
        planes.push_back(medianTestPlane(picture, width, height, quint32(radius * 7 + c)));
        planeImages.push_back(byteImage(width, height, planes.back()));
    }
    Hobject image = planeImages[0];
    if (channels == 3)
        QCOMPARE(compose3(planeImages[0], planeImages[1], planeImages[2], &image), kSuccess);
    bool isNumber = false;
    const int constant = margin.toInt(&isNumber);
    const HTuple marginTuple = isNumber ? HTuple(constant) : HTuple(margin.toStdString());

    Detail::setMedianKernelLimit(Detail::MedianKernel(kernel));
    // On one thread the lanes move down the whole picture; on three, down bands of it.
    const OneAndMany runs = onOneThreadAndOnMany(3, [&](Hobject* out) {
        return median_image(image, out, mask.toStdString(), radius, marginTuple);
    });
    Detail::setMedianKernelLimit(Detail::MedianKernel::Avx512);
    QCOMPARE(runs.oneResult, kSuccess);
    QCOMPARE(runs.manyResult, kSuccess);
    const Hobject& whole = runs.one;
    const Hobject& banded = runs.many;

    std::vector<Hobject> wholePlanes{whole}, bandedPlanes{banded};
    if (channels == 3) {
        wholePlanes.resize(3);
        bandedPlanes.resize(3);
        QCOMPARE(decompose3(whole, &wholePlanes[0], &wholePlanes[1], &wholePlanes[2]), kSuccess);
        QCOMPARE(decompose3(banded, &bandedPlanes[0], &bandedPlanes[1], &bandedPlanes[2]), kSuccess);
    }
    for (int c = 0; c < channels; ++c) {
        const Hobject& wholePlane = wholePlanes[size_t(c)];
        const Hobject& bandedPlane = bandedPlanes[size_t(c)];
        const Bytes expected = referenceMedian(planes[size_t(c)], width, height, radius, mask == "circle", margin, constant);
        QCOMPARE(bytesOf(wholePlane), expected);
        QCOMPARE(bytesOf(bandedPlane), expected);
    }
}

void tst_HalconFilterOps::medianInPlaceAndDomain()
{
    const int w = 30, h = 20;
    const Bytes src = randomBytes(w * h, 5);
    // The output may be the input object.
    Hobject image = byteImage(w, h, src);
    QCOMPARE(median_image(image, &image, "circle", 2, "mirrored"), kSuccess);
    QCOMPARE(bytesOf(image), referenceMedian(src, w, h, 2, true, "mirrored", 0));

    // Inside a reduced domain the result equals the full-picture result (neighbours outside
    // the domain are real pixels), and the domain is kept.
    Hobject reduced, filtered, domain;
    QCOMPARE(reduce_domain(byteImage(w, h, src), rectangle(5, 6, 12, 20), &reduced), kSuccess);
    QCOMPARE(median_image(reduced, &filtered, "circle", 2, "mirrored"), kSuccess);
    QCOMPARE(get_domain(filtered, &domain), kSuccess);
    QCOMPARE(areaOf(domain), Hlong(8 * 15));
    const Bytes result = bytesOf(filtered);
    const Bytes full = referenceMedian(src, w, h, 2, true, "mirrored", 0);
    for (int y = 5; y <= 12; ++y)
        for (int x = 6; x <= 20; ++x)
            QCOMPARE(result[size_t(y * w + x)], full[size_t(y * w + x)]);
}

void tst_HalconFilterOps::medianFailures_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<int>("radius");
    QTest::addColumn<QString>("margin");
    QTest::addColumn<int>("expected");

    QTest::newRow("zero radius") << "circle" << 0 << "mirrored" << int(kErrWrongValue2);
    QTest::newRow("negative radius") << "circle" << -3 << "mirrored" << int(kErrWrongValue2);
    QTest::newRow("unknown mask") << "star" << 2 << "mirrored" << int(kErrWrongValue1);
    QTest::newRow("unknown margin") << "circle" << 2 << "bent" << int(kErrWrongValue3);
}

void tst_HalconFilterOps::medianFailures()
{
    QFETCH(QString, mask);
    QFETCH(int, radius);
    QFETCH(QString, margin);
    QFETCH(int, expected);
    const Hobject image = byteImage(4, 4, Bytes(16, 9));
    Hobject out = image;
    QCOMPARE(median_image(image, &out, mask.toStdString(), radius, margin.toStdString()), Herror(expected));
    QVERIFY(out.SharesElementsWith(image));
    QCOMPARE(median_image(Hobject(), &out, "circle", 1, "mirrored"), kErrEmptyObject);
    QCOMPARE(median_image(rectangle(0, 0, 1, 1), &out, "circle", 1, "mirrored"), kErrWrongObjectClass1);
}

void tst_HalconFilterOps::meanImage()
{
    // Reference: the mean over the mask with the border mirrored (border pixel repeated),
    // rounded.
    const int w = 13, h = 9;
    const Bytes src = randomBytes(w * h, 3);
    for (auto [mw, mh] : {std::pair{3, 3}, std::pair{5, 3}, std::pair{1, 7}}) {
        Hobject mean;
        QCOMPARE(mean_image(byteImage(w, h, src), &mean, mw, mh), kSuccess);
        const Bytes result = bytesOf(mean);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                double sum = 0.0;
                for (int dy = -(mh / 2); dy <= mh / 2; ++dy)
                    for (int dx = -(mw / 2); dx <= mw / 2; ++dx)
                        sum += src[size_t(borderIndex(y + dy, h, "mirrored") * w
                                          + borderIndex(x + dx, w, "mirrored"))];
                const int expected = int(std::lround(sum / (mw * mh)));
                QVERIFY2(std::abs(int(result[size_t(y * w + x)]) - expected) <= 0,
                         qPrintable(QString("mask %1x%2 at (%3, %4)").arg(mw).arg(mh).arg(y).arg(x)));
            }
    }
    // A constant picture stays constant, whatever the mask.
    Hobject flat;
    QCOMPARE(mean_image(byteImage(6, 4, Bytes(24, 77)), &flat, 15, 15), kSuccess);
    QCOMPARE(bytesOf(flat), Bytes(24, 77));
}

void tst_HalconFilterOps::meanSameOnEveryThreadCount_data()
{
    QTest::addColumn<int>("maskWidth");
    QTest::addColumn<int>("maskHeight");
    QTest::addColumn<int>("darkest");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("threads");
    // Bright pictures and large masks: where a mean lies closest to half a grey value, and
    // a rounding that depends on where in a row a pixel is filtered shows.
    for (int threads : {2, 3, 5, 8})
        for (int mask : {61, 145, 201})
            QTest::addRow("mask %d, %d threads", mask, threads) << mask << mask << 150 << 1001 << 600 << threads;
    QTest::newRow("small mask, dark picture") << 5 << 7 << 0 << 67 << 45 << 3;
    QTest::newRow("mask wider than the picture") << 301 << 3 << 200 << 120 << 90 << 8;
}

void tst_HalconFilterOps::meanSameOnEveryThreadCount()
{
    QFETCH(int, maskWidth);
    QFETCH(int, maskHeight);
    QFETCH(int, darkest);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, threads);
    QRandomGenerator random(quint32(maskWidth * 31 + threads));
    Bytes pixels(size_t(width) * size_t(height));
    for (auto& v : pixels)
        v = std::uint8_t(darkest + int(random.bounded(256 - darkest)));
    const Hobject image = byteImage(width, height, pixels);

    const OneAndMany runs =
        onOneThreadAndOnMany(threads, [&](Hobject* out) { return mean_image(image, out, maskWidth, maskHeight); });
    QCOMPARE(runs.oneResult, kSuccess);
    QCOMPARE(runs.manyResult, kSuccess);
    const Bytes expected = bytesOf(runs.one);
    QCOMPARE(int(expected.size()), width * height);
    QCOMPARE(bytesOf(runs.many), expected);
}

void tst_HalconFilterOps::filtersOnColourPictures_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("size");
    QTest::newRow("median circle 5") << "circle" << 5;
    QTest::newRow("median circle 15") << "circle" << 15;
    QTest::newRow("median square 15") << "square" << 15;
    QTest::newRow("mean 31 x 31") << "mean" << 31;
    QTest::newRow("mean 11 x 11") << "mean" << 11;
}

// Each channel of a colour picture is filtered as a grey picture of its own: by the
// definition, inside a reduced domain too, with masks up to 31 pixels across.
void tst_HalconFilterOps::filtersOnColourPictures()
{
    QFETCH(QString, filter);
    QFETCH(int, size);
    const int w = 47, h = 36;
    const Bytes red = randomBytes(w * h, 11), green = randomBytes(w * h, 12), blue = randomBytes(w * h, 13);
    Hobject colour;
    QCOMPARE(gen_image3(&colour, "byte", w, h, Hlong(reinterpret_cast<std::intptr_t>(red.data())),
                        Hlong(reinterpret_cast<std::intptr_t>(green.data())),
                        Hlong(reinterpret_cast<std::intptr_t>(blue.data()))),
             kSuccess);
    const auto reference = [&](const Bytes& channel) {
        if (filter != "mean")
            return referenceMedian(channel, w, h, size, filter == "circle", "continued", 0);
        Bytes out(channel.size());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                double sum = 0.0;
                for (int dy = -(size / 2); dy <= size / 2; ++dy)
                    for (int dx = -(size / 2); dx <= size / 2; ++dx)
                        sum += channel[size_t(borderIndex(y + dy, h, "mirrored") * w + borderIndex(x + dx, w, "mirrored"))];
                out[size_t(y * w + x)] = std::uint8_t(std::lround(sum / (size * size)));
            }
        return out;
    };
    const auto run = [&](const Hobject& image, Hobject* result) {
        return filter == "mean" ? mean_image(image, result, size, size)
                                : median_image(image, result, filter.toStdString(), size, "continued");
    };

    Hobject filtered, r, g, b;
    QCOMPARE(run(colour, &filtered), kSuccess);
    QCOMPARE(decompose3(filtered, &r, &g, &b), kSuccess);
    const Bytes expected[3] = {reference(red), reference(green), reference(blue)};
    QCOMPARE(bytesOf(r), expected[0]);
    QCOMPARE(bytesOf(g), expected[1]);
    QCOMPARE(bytesOf(b), expected[2]);

    // In a reduced domain the pixels inside it are those of the whole picture.
    Hobject reduced;
    QCOMPARE(reduce_domain(colour, rectangle(4, 9, 30, 40), &reduced), kSuccess);
    QCOMPARE(run(reduced, &filtered), kSuccess);
    QCOMPARE(decompose3(filtered, &r, &g, &b), kSuccess);
    const Bytes inside[3] = {bytesOf(r), bytesOf(g), bytesOf(b)};
    for (int c = 0; c < 3; ++c)
        for (int y = 4; y <= 30; ++y)
            for (int x = 9; x <= 40; ++x)
                QCOMPARE(inside[c][size_t(y * w + x)], expected[c][size_t(y * w + x)]);
}

void tst_HalconFilterOps::meanFailures()
{
    const Hobject image = byteImage(4, 4, Bytes(16, 9));
    Hobject out;
    QCOMPARE(mean_image(image, &out, 0, 3), kErrWrongValue1);
    QCOMPARE(mean_image(image, &out, 3, -1), kErrWrongValue2);
    QCOMPARE(mean_image(image, &out, "wide", 3), kErrWrongType1);
    QCOMPARE(mean_image(Hobject(), &out, 3, 3), kErrEmptyObject);
    QVERIFY(out.IsEmpty());
}

void tst_HalconFilterOps::subImage()
{
    const Bytes a{10, 200, 50, 0};
    const Bytes b{20, 100, 50, 255};
    Hobject diff;
    QCOMPARE(sub_image(byteImage(2, 2, a), byteImage(2, 2, b), &diff, 1.0, 128.0), kSuccess);
    QCOMPARE(bytesOf(diff), (Bytes{118, 228, 128, 0}));
    QCOMPARE(sub_image(byteImage(2, 2, a), byteImage(2, 2, b), &diff, -1.0, 143.0), kSuccess);
    QCOMPARE(bytesOf(diff), (Bytes{153, 43, 143, 255}));

    // Domains intersect.
    Hobject left, right, domain;
    QCOMPARE(reduce_domain(byteImage(2, 2, a), rectangle(0, 0, 1, 0), &left), kSuccess);
    QCOMPARE(reduce_domain(byteImage(2, 2, b), rectangle(0, 0, 0, 1), &right), kSuccess);
    QCOMPARE(sub_image(left, right, &diff, 1.0, 0.0), kSuccess);
    QCOMPARE(get_domain(diff, &domain), kSuccess);
    QCOMPARE(areaOf(domain), Hlong(1));
}

void tst_HalconFilterOps::subImageFailures()
{
    const Hobject small = byteImage(2, 2, Bytes(4, 1));
    const Hobject large = byteImage(3, 2, Bytes(6, 1));
    Hobject out, real;
    QCOMPARE(sub_image(small, large, &out, 1.0, 0.0), kErrImageSizeMismatch);
    QCOMPARE(gen_image_const(&real, "real", 2, 2), kSuccess);
    QCOMPARE(sub_image(small, real, &out, 1.0, 0.0), kErrWrongPixelType);
    QCOMPARE(sub_image(small, Hobject(), &out, 1.0, 0.0), kErrEmptyObject);
    QCOMPARE(sub_image(small, small, &out, "one", 0.0), kErrWrongType1);
    QVERIFY(out.IsEmpty());
}

void tst_HalconFilterOps::minMaxGray_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("percent");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");

    // Grey values 0 .. count - 1 in shuffled order.
    QTest::newRow("all") << 100 << 0.0 << 0.0 << 99.0;
    QTest::newRow("ten percent") << 100 << 10.0 << 10.0 << 89.0;
    QTest::newRow("median of an odd count") << 99 << 50.0 << 49.0 << 49.0;
    QTest::newRow("median of an even count") << 100 << 50.0 << 49.0 << 50.0;
    QTest::newRow("one pixel") << 1 << 50.0 << 0.0 << 0.0;
}

void tst_HalconFilterOps::minMaxGray()
{
    QFETCH(int, count);
    QFETCH(double, percent);
    QFETCH(double, min);
    QFETCH(double, max);
    Bytes pixels(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        pixels[size_t(i)] = std::uint8_t((i * 37) % count);
    HTuple lo, hi, range;
    QCOMPARE(min_max_gray(rectangle(0, 0, 0, count - 1), byteImage(count, 1, pixels), percent, &lo, &hi,
                          &range),
             kSuccess);
    QCOMPARE(lo.D(), min);
    QCOMPARE(hi.D(), max);
    QCOMPARE(range.D(), max - min);
}

void tst_HalconFilterOps::minMaxGrayFailures()
{
    const Hobject image = byteImage(4, 4, Bytes(16, 9));
    HTuple lo, hi, range;
    QCOMPARE(min_max_gray(rectangle(0, 0, 1, 1), image, 60.0, &lo, &hi, &range), kErrWrongValue1);
    QCOMPARE(min_max_gray(rectangle(0, 0, 1, 1), image, -1.0, &lo, &hi, &range), kErrWrongValue1);
    QCOMPARE(min_max_gray(Hobject(), image, 0.0, &lo, &hi, &range), kErrEmptyObject);
    QCOMPARE(min_max_gray(image, image, 0.0, &lo, &hi, &range), kErrWrongObjectClass1);
    QCOMPARE(min_max_gray(rectangle(0, 0, 1, 1), Hobject(), 0.0, &lo, &hi, &range), kErrEmptyObject);
    QCOMPARE(lo.Length(), Hlong(0));

    // A region outside the picture has no grey values.
    QCOMPARE(min_max_gray(rectangle(10, 10, 12, 12), image, 0.0, &lo, &hi, &range), kSuccess);
    QCOMPARE(lo.D(), 0.0);
    QCOMPARE(hi.D(), 0.0);
}

void tst_HalconFilterOps::intensityMeanAndDeviation()
{
    // 2, 4, 4, 4, 5, 5, 7, 9: mean 5, standard deviation 2. The last column lies outside
    // the picture's domain and is not counted.
    const Bytes pixels{2, 4, 4, 4, 250, 5, 5, 7, 9, 250};
    Hobject reduced;
    QCOMPARE(reduce_domain(byteImage(5, 2, pixels), rectangle(0, 0, 1, 3), &reduced), kSuccess);
    Hobject regions;
    QCOMPARE(concat_obj(rectangle(0, 0, 1, 4), rectangle(0, 0, 0, 0), &regions), kSuccess);
    HTuple mean, deviation;
    QCOMPARE(intensity(regions, reduced, &mean, &deviation), kSuccess);
    QCOMPARE(mean.ToDVector(), (std::vector<double>{5.0, 2.0}));
    QCOMPARE(deviation.ToDVector(), (std::vector<double>{2.0, 0.0}));

    QCOMPARE(intensity(rectangle(0, 0, 1, 1), Hobject(), &mean, &deviation), kErrEmptyObject);
    Hobject two;
    QCOMPARE(concat_obj(reduced, reduced, &two), kSuccess);
    QCOMPARE(intensity(rectangle(0, 0, 1, 1), two, &mean, &deviation), kErrObjectCountMismatch);
}

QTEST_GUILESS_MAIN(tst_HalconFilterOps)
#include "tst_HalconFilterOps.moc"
