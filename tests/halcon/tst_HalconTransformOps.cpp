// Mirroring, quarter turns and channel averaging, as the camera's picture steps use them.

#include "Halcon.h"

#include <HalconTestPictures.h>

#include <QTest>

using namespace Halcon;
using HalconTestPictures::pixel;

namespace {

constexpr int kWidth = 4;
constexpr int kHeight = 3;

int numbered(int row, int column)
{
    return row * 10 + column;
}

Hobject numberedImage()
{
    return HalconTestPictures::grayImage(kWidth, kHeight, numbered);
}

// Bounding box and area of an image's domain.
QList<Hlong> domainBox(const Hobject &image)
{
    Hobject domain;
    HTuple r1, c1, r2, c2, area, row, column;
    if (get_domain(image, &domain) != kSuccess || smallest_rectangle1(domain, &r1, &c1, &r2, &c2) != kSuccess
        || area_center(domain, &area, &row, &column) != kSuccess)
        return {};
    return {r1.L(), c1.L(), r2.L(), c2.L(), area.L()};
}

Hobject constantImage(const char *type, int width, int height, double value)
{
    Hobject zero, image;
    gen_image_const(&zero, type, width, height);
    gen_image_proto(zero, &image, value);
    return image;
}

} // namespace

class tst_HalconTransformOps : public QObject {
    Q_OBJECT
private slots:
    void permutations_data();
    void permutations();
    void domainTurnsWithThePixels_data();
    void domainTurnsWithThePixels();
    void everyChannelAndImage();
    void refusedInput_data();
    void refusedInput();
    void channelsSharePixels();
    void channelsRefused_data();
    void channelsRefused();
    void channelTakenOut_data();
    void channelTakenOut();
    void meanOfChannels_data();
    void meanOfChannels();
    void zoomSizes_data();
    void zoomSizes();
    void zoomConstantAveragesCoveredPixels();
    void zoomRefused_data();
    void zoomRefused();
};

void tst_HalconTransformOps::permutations_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<double>("degrees");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("source"); // of output (r, c) in the input, w and h of the input

    QTest::newRow("mirror rows") << "row" << 0.0 << kWidth << "h-1-r,c";
    QTest::newRow("mirror columns") << "column" << 0.0 << kWidth << "r,w-1-c";
    QTest::newRow("mirror diagonal") << "diagonal" << 0.0 << kHeight << "c,r";
    QTest::newRow("turn 90") << "rotate" << 90.0 << kHeight << "c,w-1-r";
    QTest::newRow("turn 180") << "rotate" << 180.0 << kWidth << "h-1-r,w-1-c";
    QTest::newRow("turn 270") << "rotate" << 270.0 << kHeight << "h-1-c,r";
    QTest::newRow("turn -90") << "rotate" << -90.0 << kHeight << "h-1-c,r";
    QTest::newRow("turn 450") << "rotate" << 450.0 << kHeight << "c,w-1-r";
    QTest::newRow("turn 0") << "rotate" << 0.0 << kWidth << "r,c";
    QTest::newRow("turn 360") << "rotate" << 360.0 << kWidth << "r,c";
}

void tst_HalconTransformOps::permutations()
{
    QFETCH(QString, operation);
    QFETCH(double, degrees);
    QFETCH(int, width);
    QFETCH(QString, source);
    Hobject result;
    const Herror e = operation == QLatin1String("rotate")
        ? rotate_image(numberedImage(), &result, degrees, "none")
        : mirror_image(numberedImage(), &result, operation.toStdString());
    QCOMPARE(e, kSuccess);
    Hlong w = 0, h = 0;
    QCOMPARE(get_image_size(result, &w, &h), kSuccess);
    QCOMPARE(int(w), width);
    QCOMPARE(int(h), width == kWidth ? kHeight : kWidth);
    const QStringList terms = source.split(QLatin1Char(','));
    const auto coordinate = [](const QString &term, int r, int c) {
        int v = term.endsWith(QLatin1Char('r')) ? r : c;
        if (term.startsWith(QLatin1String("w-1-")))
            v = kWidth - 1 - v;
        else if (term.startsWith(QLatin1String("h-1-")))
            v = kHeight - 1 - v;
        return v;
    };
    for (int r = 0; r < int(h); ++r)
        for (int c = 0; c < int(w); ++c)
            QCOMPARE(pixel(result, r, c), numbered(coordinate(terms[0], r, c), coordinate(terms[1], r, c)));
}

void tst_HalconTransformOps::domainTurnsWithThePixels_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<double>("degrees");
    QTest::addColumn<QList<Hlong>>("box"); // row1, column1, row2, column2, area

    // The domain is rows 0..1, columns 1..3 of the 4 x 3 picture.
    QTest::newRow("mirror rows") << "row" << 0.0 << QList<Hlong>{1, 1, 2, 3, 6};
    QTest::newRow("mirror columns") << "column" << 0.0 << QList<Hlong>{0, 0, 1, 2, 6};
    QTest::newRow("mirror diagonal") << "diagonal" << 0.0 << QList<Hlong>{1, 0, 3, 1, 6};
    QTest::newRow("turn 90") << "rotate" << 90.0 << QList<Hlong>{0, 0, 2, 1, 6};
    QTest::newRow("turn 180") << "rotate" << 180.0 << QList<Hlong>{1, 0, 2, 2, 6};
}

void tst_HalconTransformOps::domainTurnsWithThePixels()
{
    QFETCH(QString, operation);
    QFETCH(double, degrees);
    QFETCH(QList<Hlong>, box);
    Hobject part, result;
    QCOMPARE(reduce_domain(numberedImage(), HalconTestPictures::rectangleRegion(0, 1, 1, 3), &part), kSuccess);
    QCOMPARE(operation == QLatin1String("rotate") ? rotate_image(part, &result, degrees, "bilinear")
                                                  : mirror_image(part, &result, operation.toStdString()),
             kSuccess);
    QCOMPARE(domainBox(result), box);
}

void tst_HalconTransformOps::everyChannelAndImage()
{
    const Hobject colour = HalconTestPictures::rgbImage(
        kWidth, kHeight, numbered, [](int r, int c) { return 100 + numbered(r, c); },
        [](int r, int c) { return 200 + numbered(r, c); });
    Hobject both, turned;
    QCOMPARE(concat_obj(colour, numberedImage(), &both), kSuccess);
    QCOMPARE(rotate_image(both, &turned, 180.0, "constant"), kSuccess);
    Hlong count = 0;
    count_obj(turned, &count);
    QCOMPARE(count, Hlong(2));
    Hobject first, second;
    select_obj(turned, &first, 1);
    select_obj(turned, &second, 2);
    for (int channel = 0; channel < 3; ++channel)
        QCOMPARE(pixel(first, 0, 0, channel), 100 * channel + numbered(kHeight - 1, kWidth - 1));
    QCOMPARE(pixel(second, 2, 3), numbered(0, 0));
}

void tst_HalconTransformOps::refusedInput_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<HTuple>("control");
    QTest::addColumn<bool>("region");
    QTest::addColumn<int>("error");

    QTest::newRow("unknown mirror") << "mirror" << HTuple("both") << false << int(kErrWrongValue1);
    QTest::newRow("mirror number") << "mirror" << HTuple(1) << false << int(kErrWrongType1);
    QTest::newRow("mirror a region") << "mirror" << HTuple("row") << true << int(kErrWrongObjectClass1);
    QTest::newRow("turn 45") << "rotate" << HTuple(45.0) << false << int(kErrWrongValue1);
    QTest::newRow("turn not a number") << "rotate" << HTuple(std::nan("")) << false << int(kErrWrongValue1);
    QTest::newRow("turn a region") << "rotate" << HTuple(90.0) << true << int(kErrWrongObjectClass1);
}

void tst_HalconTransformOps::refusedInput()
{
    QFETCH(QString, operation);
    QFETCH(HTuple, control);
    QFETCH(bool, region);
    QFETCH(int, error);
    const Hobject input = region ? HalconTestPictures::rectangleRegion(0, 0, 2, 2) : numberedImage();
    const Hobject untouched = numberedImage();
    Hobject result = untouched;
    const Herror e = operation == QLatin1String("mirror") ? mirror_image(input, &result, control)
                                                          : rotate_image(input, &result, control, "none");
    QCOMPARE(int(e), error);
    QVERIFY(result.SharesElementsWith(untouched));
    Hobject empty;
    QCOMPARE(rotate_image(empty, &result, 90.0, "none"), kErrEmptyObject);
    QCOMPARE(rotate_image(numberedImage(), &result, 90.0, "sharpest"), kErrWrongValue2);
}

void tst_HalconTransformOps::channelsSharePixels()
{
    const Hobject red = numberedImage();
    const Hobject green = HalconTestPictures::grayImage(kWidth, kHeight, [](int, int) { return 7; });
    Hobject both, image;
    concat_obj(red, green, &both);
    QCOMPARE(channels_to_image(both, &image), kSuccess);
    Hlong channels = 0;
    QCOMPARE(count_channels(image, &channels), kSuccess);
    QCOMPARE(channels, Hlong(2));
    Hlong pointer = 0, redPointer = 0, width = 0, height = 0;
    char type[16] = {};
    get_image_pointer1(image, &pointer, type, &width, &height);
    get_image_pointer1(red, &redPointer, type, &width, &height);
    QCOMPARE(pointer, redPointer);
    // The domain is where every channel has one.
    Hobject part, partial;
    reduce_domain(green, HalconTestPictures::rectangleRegion(1, 0, 2, 3), &part);
    concat_obj(red, part, &both);
    QCOMPARE(channels_to_image(both, &partial), kSuccess);
    QCOMPARE(domainBox(partial), (QList<Hlong>{1, 0, 2, 3, 8}));
}

void tst_HalconTransformOps::channelsRefused_data()
{
    QTest::addColumn<Hobject>("second");
    QTest::addColumn<int>("error");
    QTest::newRow("other size") << HalconTestPictures::grayImage(kWidth + 1, kHeight, numbered)
                                << int(kErrImageSizeMismatch);
    QTest::newRow("other type") << constantImage("real", kWidth, kHeight, 1.0) << int(kErrWrongPixelType);
    QTest::newRow("colour image") << HalconTestPictures::gradientRgb(kWidth, kHeight) << int(kErrWrongChannelCount);
    QTest::newRow("region") << HalconTestPictures::rectangleRegion(0, 0, 1, 1) << int(kErrWrongObjectClass1);
}

void tst_HalconTransformOps::channelsRefused()
{
    QFETCH(Hobject, second);
    QFETCH(int, error);
    Hobject both, image;
    concat_obj(numberedImage(), second, &both);
    QCOMPARE(int(channels_to_image(both, &image)), error);
    QVERIFY(image.IsEmpty());
    QCOMPARE(channels_to_image(Hobject(), &image), kErrEmptyObject);
}

void tst_HalconTransformOps::channelTakenOut_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("error");
    QTest::newRow("first") << 1 << int(kSuccess);
    QTest::newRow("last") << 3 << int(kSuccess);
    QTest::newRow("none before the first") << 0 << int(kErrWrongValue1);
    QTest::newRow("none after the last") << 4 << int(kErrWrongValue1);
}

void tst_HalconTransformOps::channelTakenOut()
{
    QFETCH(int, channel);
    QFETCH(int, error);
    Hobject colour;
    reduce_domain(HalconTestPictures::gradientRgb(kWidth, kHeight), HalconTestPictures::rectangleRegion(0, 1, 1, 2),
                  &colour);
    const Hobject untouched = numberedImage();
    Hobject taken = untouched;
    QCOMPARE(int(access_channel(colour, &taken, channel)), error);
    if (error != kSuccess) {
        QVERIFY(taken.SharesElementsWith(untouched));
        return;
    }
    Hlong channels = 0;
    QCOMPARE(count_channels(taken, &channels), kSuccess);
    QCOMPARE(channels, Hlong(1));
    for (int row = 0; row < kHeight; ++row)
        for (int column = 0; column < kWidth; ++column)
            QCOMPARE(pixel(taken, row, column), pixel(colour, row, column, channel - 1));
    QCOMPARE(domainBox(taken), domainBox(colour));
}

void tst_HalconTransformOps::meanOfChannels_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<double>("mean");
    QTest::newRow("byte") << "byte" << QList<double>{10, 20, 60} << 30.0;
    QTest::newRow("byte rounds up") << "byte" << QList<double>{1, 2, 2} << 2.0;
    QTest::newRow("byte rounds down") << "byte" << QList<double>{1, 1, 2} << 1.0;
    QTest::newRow("byte no overflow") << "byte" << QList<double>{255, 255, 255, 255} << 255.0;
    QTest::newRow("uint2") << "uint2" << QList<double>{65535, 65535, 65534} << 65535.0;
    QTest::newRow("real") << "real" << QList<double>{0.5, 0.25} << 0.375;
    QTest::newRow("one channel") << "byte" << QList<double>{42} << 42.0;
}

void tst_HalconTransformOps::meanOfChannels()
{
    QFETCH(QString, type);
    QFETCH(QList<double>, values);
    QFETCH(double, mean);
    Hobject planes;
    for (double v : values) {
        Hobject plane = constantImage(type.toLatin1().constData(), kWidth, kHeight, v);
        concat_obj(planes, plane, &planes);
    }
    Hobject image, result;
    QCOMPARE(channels_to_image(planes, &image), kSuccess);
    QCOMPARE(mean_n(image, &result), kSuccess);
    HTuple min, max, range;
    QCOMPARE(min_max_gray(HalconTestPictures::rectangleRegion(0, 0, kHeight - 1, kWidth - 1), result, 0, &min, &max,
                          &range),
             kSuccess);
    QCOMPARE(min.D(), mean);
    QCOMPARE(max.D(), mean);
    Hlong channels = 0;
    count_channels(result, &channels);
    QCOMPARE(channels, Hlong(1));
}

void tst_HalconTransformOps::zoomSizes_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("scaleWidth");
    QTest::addColumn<double>("scaleHeight");
    QTest::addColumn<int>("zoomedWidth");
    QTest::addColumn<int>("zoomedHeight");
    QTest::newRow("half") << 2592 << 1944 << 0.5 << 0.5 << 1296 << 972;
    QTest::newRow("fourfold") << 40 << 30 << 4.0 << 4.0 << 160 << 120;
    QTest::newRow("rounded") << 5 << 3 << 0.5 << 0.5 << 3 << 2;
    QTest::newRow("never below one pixel") << 40 << 30 << 0.001 << 0.001 << 1 << 1;
    QTest::newRow("each side its own factor") << 40 << 30 << 2.0 << 0.1 << 80 << 3;
    QTest::newRow("largest side") << 16384 << 2 << 2.0 << 1.0 << 32768 << 2;
}

void tst_HalconTransformOps::zoomSizes()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(double, scaleWidth);
    QFETCH(double, scaleHeight);
    QFETCH(int, zoomedWidth);
    QFETCH(int, zoomedHeight);
    const Hobject image = constantImage("byte", width, height, 77);
    Hobject zoomed;
    QCOMPARE(zoom_image_factor(image, &zoomed, scaleWidth, scaleHeight, "constant"), kSuccess);
    Hlong w = 0, h = 0;
    QCOMPARE(get_image_size(zoomed, &w, &h), kSuccess);
    QCOMPARE(int(w), zoomedWidth);
    QCOMPARE(int(h), zoomedHeight);
    QCOMPARE(pixel(zoomed, int(h) - 1, int(w) - 1), 77);
}

void tst_HalconTransformOps::zoomConstantAveragesCoveredPixels()
{
    // 2 x 2 blocks of 0, 40, 80, 120 in a 4 x 2 colour picture halve to the block means.
    const auto blocks = [](int offset) {
        return [offset](int r, int c) { return offset + ((r + c) % 2) * 40; };
    };
    const Hobject colour = HalconTestPictures::rgbImage(4, 2, blocks(0), blocks(10), blocks(100));
    Hobject part, zoomed;
    // The input's domain does not limit what is scaled.
    reduce_domain(colour, HalconTestPictures::rectangleRegion(0, 0, 0, 0), &part);
    QCOMPARE(zoom_image_factor(part, &zoomed, 0.5, 0.5, "constant"), kSuccess);
    QCOMPARE(domainBox(zoomed), (QList<Hlong>{0, 0, 0, 1, 2}));
    for (int channel = 0; channel < 3; ++channel) {
        QCOMPARE(pixel(zoomed, 0, 0, channel), (QList<int>{20, 30, 120})[channel]);
        QCOMPARE(pixel(zoomed, 0, 1, channel), (QList<int>{20, 30, 120})[channel]);
    }
    Hobject enlarged;
    QCOMPARE(zoom_image_factor(numberedImage(), &enlarged, 2.0, 2.0, "nearest_neighbor"), kSuccess);
    QCOMPARE(pixel(enlarged, 5, 7), numbered(2, 3));
}

void tst_HalconTransformOps::zoomRefused_data()
{
    QTest::addColumn<Hobject>("image");
    QTest::addColumn<HTuple>("scaleWidth");
    QTest::addColumn<HTuple>("scaleHeight");
    QTest::addColumn<HTuple>("interpolation");
    QTest::addColumn<int>("error");
    const Hobject image = numberedImage();
    QTest::newRow("zero width factor") << image << HTuple(0.0) << HTuple(1.0) << HTuple("constant")
                                       << int(kErrWrongValue1);
    QTest::newRow("negative height factor") << image << HTuple(1.0) << HTuple(-0.5) << HTuple("constant")
                                            << int(kErrWrongValue2);
    QTest::newRow("factor not a number") << image << HTuple(std::nan("")) << HTuple(1.0) << HTuple("constant")
                                         << int(kErrWrongValue1);
    QTest::newRow("infinite factor") << image << HTuple(1.0) << HTuple(INFINITY) << HTuple("constant")
                                     << int(kErrWrongValue2);
    // Refused before anything is allocated: 4 x 10^9 pixels a side would not fit in memory.
    QTest::newRow("side too long") << image << HTuple(1e9) << HTuple(1.0) << HTuple("constant")
                                   << int(kErrWrongValue1);
    QTest::newRow("unknown interpolation") << image << HTuple(1.0) << HTuple(1.0) << HTuple("sharpest")
                                           << int(kErrWrongValue3);
    QTest::newRow("factor as text") << image << HTuple("half") << HTuple(1.0) << HTuple("constant")
                                    << int(kErrWrongType1);
    QTest::newRow("region") << HalconTestPictures::rectangleRegion(0, 0, 1, 1) << HTuple(1.0) << HTuple(1.0)
                            << HTuple("constant") << int(kErrWrongObjectClass1);
    QTest::newRow("empty object") << Hobject() << HTuple(1.0) << HTuple(1.0) << HTuple("constant")
                                  << int(kErrEmptyObject);
}

void tst_HalconTransformOps::zoomRefused()
{
    QFETCH(Hobject, image);
    QFETCH(HTuple, scaleWidth);
    QFETCH(HTuple, scaleHeight);
    QFETCH(HTuple, interpolation);
    QFETCH(int, error);
    const Hobject untouched = numberedImage();
    Hobject result = untouched;
    QCOMPARE(int(zoom_image_factor(image, &result, scaleWidth, scaleHeight, interpolation)), error);
    QVERIFY(result.SharesElementsWith(untouched));
}

QTEST_GUILESS_MAIN(tst_HalconTransformOps)
#include "tst_HalconTransformOps.moc"
