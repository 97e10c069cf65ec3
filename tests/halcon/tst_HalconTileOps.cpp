#include "Halcon.h"

#include <HalconTestPictures.h>

#include <QTest>

#include <cmath>
#include <limits>
#include <vector>

using namespace Halcon;

namespace {

// 3 x 2 pixels: 11 12 13 / 21 22 23.
Hobject smallImage()
{
    return HalconTestPictures::grayImage(3, 2, [](int row, int column) { return 10 * (row + 1) + column + 1; });
}

// The small image with real pixels.
Hobject realImage()
{
    static const std::vector<float> pixels{11, 12, 13, 21, 22, 23};
    Hobject image;
    gen_image1(&image, "real", 3, 2, Hlong(reinterpret_cast<std::intptr_t>(pixels.data())));
    return image;
}

Hobject constantImage(int width, int height, int value)
{
    return HalconTestPictures::grayImage(width, height, [value](int, int) { return value; });
}

// The image's rows as text, pixels separated by blanks, rows by "/".
QString rowsOf(const Hobject &image)
{
    Hlong width = 0, height = 0;
    if (get_image_size(image, &width, &height) != kSuccess)
        return QStringLiteral("no image");
    QStringList rows;
    for (int r = 0; r < height; ++r) {
        QStringList pixels;
        for (int c = 0; c < width; ++c)
            pixels << QString::number(HalconTestPictures::pixel(image, r, c));
        rows << pixels.join(QLatin1Char(' '));
    }
    return rows.join(QStringLiteral(" / "));
}

} // namespace

class tst_HalconTileOps : public QObject
{
    Q_OBJECT
private slots:
    void placesParts_data();
    void placesParts();
    void laterImagesOverwriteEarlierOnes();
    void keepsChannelsAndPixelType();
    void badInputFailsAndLeavesOutput_data();
    void badInputFailsAndLeavesOutput();
};

void tst_HalconTileOps::placesParts_data()
{
    QTest::addColumn<double>("offsetRow");
    QTest::addColumn<double>("offsetCol");
    QTest::addColumn<QList<double>>("part"); // row1, col1, row2, col2
    QTest::addColumn<QString>("expected");   // 4 x 3 output

    const QList<double> whole{-1, -1, -1, -1};
    QTest::newRow("whole image inside") << 1.0 << 1.0 << whole << "0 0 0 0 / 0 11 12 13 / 0 21 22 23";
    QTest::newRow("part to the corner") << 0.0 << 0.0 << QList<double>{0, 1, 1, 2}
                                        << "12 13 0 0 / 22 23 0 0 / 0 0 0 0";
    QTest::newRow("part keeps its shift") << 1.0 << 2.0 << QList<double>{1, 1, 1, 2}
                                          << "0 0 0 0 / 0 0 22 23 / 0 0 0 0";
    QTest::newRow("real offsets round to nearest") << 0.49 << 1.5 << whole << "0 0 11 12 / 0 0 21 22 / 0 0 0 0";
    QTest::newRow("real bounds round to nearest") << 0.0 << 0.0 << QList<double>{0.4, 0.6, 0.4, 2.4}
                                                  << "12 13 0 0 / 0 0 0 0 / 0 0 0 0";
    QTest::newRow("part beyond the image is clipped") << 0.0 << 0.0 << QList<double>{-1, -1, 5, 5}
                                                      << "0 0 0 0 / 0 11 12 13 / 0 21 22 23";
    QTest::newRow("placement beyond the output is clipped") << 2.0 << 3.0 << whole << "0 0 0 0 / 0 0 0 0 / 0 0 0 11";
    QTest::newRow("negative placement is clipped") << -1.0 << -1.0 << whole << "22 23 0 0 / 0 0 0 0 / 0 0 0 0";
    QTest::newRow("empty part adds nothing") << 0.0 << 0.0 << QList<double>{1, 0, 0, 2}
                                             << "0 0 0 0 / 0 0 0 0 / 0 0 0 0";
    QTest::newRow("fully outside adds nothing") << 10.0 << 10.0 << whole << "0 0 0 0 / 0 0 0 0 / 0 0 0 0";
}

void tst_HalconTileOps::placesParts()
{
    QFETCH(double, offsetRow);
    QFETCH(double, offsetCol);
    QFETCH(QList<double>, part);
    QFETCH(QString, expected);

    Hobject tiled;
    QCOMPARE(tile_images_offset(smallImage(), &tiled, offsetRow, offsetCol, part[0], part[1], part[2], part[3], 4, 3),
             kSuccess);
    QCOMPARE(rowsOf(tiled), expected);
}

void tst_HalconTileOps::laterImagesOverwriteEarlierOnes()
{
    Hobject images;
    concat_obj(constantImage(3, 2, 5), constantImage(2, 2, 9), &images);
    HTuple offsetRow, offsetCol, minusOne;
    offsetRow.Append(HValue(0.0)).Append(HValue(1.0));
    offsetCol.Append(HValue(0.0)).Append(HValue(2.0));
    minusOne.Append(HValue(-1.0)).Append(HValue(-1.0));
    Hobject tiled;
    QCOMPARE(tile_images_offset(images, &tiled, offsetRow, offsetCol, minusOne, minusOne, minusOne, minusOne, 4, 3),
             kSuccess);
    QCOMPARE(rowsOf(tiled), QStringLiteral("5 5 5 0 / 5 5 9 9 / 0 0 9 9"));
}

void tst_HalconTileOps::keepsChannelsAndPixelType()
{
    const Hobject colour = HalconTestPictures::rgbImage(
        2, 2, [](int r, int c) { return 10 + r * 2 + c; }, [](int r, int c) { return 110 + r * 2 + c; },
        [](int r, int c) { return 210 + r * 2 + c; });
    Hobject tiled;
    QCOMPARE(tile_images_offset(colour, &tiled, 1, 0, -1, -1, -1, -1, 2, 3), kSuccess);
    Hlong channels = 0;
    QCOMPARE(count_channels(tiled, &channels), kSuccess);
    QCOMPARE(channels, Hlong(3));
    for (int channel = 0; channel < 3; ++channel) {
        QCOMPARE(HalconTestPictures::pixel(tiled, 0, 1, channel), 0);
        QCOMPARE(HalconTestPictures::pixel(tiled, 2, 1, channel), 100 * channel + 10 + 3);
    }

    Hobject realTiled;
    QCOMPARE(tile_images_offset(realImage(), &realTiled, 0, 0, -1, -1, -1, -1, 3, 2), kSuccess);
    HTuple type;
    HTuple pointer, width, height;
    QCOMPARE(get_image_pointer1(realTiled, &pointer, &type, &width, &height), kSuccess);
    QCOMPARE(QString::fromStdString(type.S()), QStringLiteral("real"));
    const auto *pixels = reinterpret_cast<const float *>(static_cast<std::intptr_t>(pointer.L()));
    QCOMPARE(pixels[5], 23.0f);
}

void tst_HalconTileOps::badInputFailsAndLeavesOutput_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("expected");
    QTest::newRow("no image") << 0 << int(kErrEmptyObject);
    QTest::newRow("region instead of image") << 1 << int(kErrWrongObjectClass1);
    QTest::newRow("channel counts differ") << 2 << int(kErrWrongChannelCount);
    QTest::newRow("pixel types differ") << 3 << int(kErrWrongPixelType);
    QTest::newRow("one offset for two images") << 4 << int(kErrWrongCount1);
    QTest::newRow("offset not a number") << 5 << int(kErrWrongValue2);
    QTest::newRow("offset out of any picture") << 6 << int(kErrWrongValue1);
    QTest::newRow("width 0") << 7 << int(kErrWrongValue7);
    QTest::newRow("height past the bound") << 8 << int(kErrWrongValue8);
    QTest::newRow("text as bound") << 9 << int(kErrWrongType4);
}

void tst_HalconTileOps::badInputFailsAndLeavesOutput()
{
    QFETCH(int, kind);
    QFETCH(int, expected);

    Hobject images = smallImage();
    HTuple offsetRow = 0.0, offsetCol = 0.0, row1 = -1.0, col1 = -1.0;
    HTuple width = 4, height = 3;
    switch (kind) {
    case 0:
        images = Hobject();
        break;
    case 1:
        gen_rectangle1(&images, 0, 0, 2, 2);
        break;
    case 2:
        concat_obj(images, HalconTestPictures::gradientRgb(3, 2), &images);
        break;
    case 3:
        concat_obj(images, realImage(), &images);
        break;
    case 4:
        concat_obj(images, smallImage(), &images);
        break;
    case 5:
        offsetCol = std::numeric_limits<double>::quiet_NaN();
        break;
    case 6:
        offsetRow = 1.0e12;
        break;
    case 7:
        width = 0;
        break;
    case 8:
        height = Hlong(1) << 21;
        break;
    case 9:
        col1 = "left";
        break;
    }
    HTuple rowCol2 = -1.0;
    if (kind == 4) {
        rowCol2.Append(HValue(-1.0));
        row1 = rowCol2;
        col1 = rowCol2;
        offsetCol = rowCol2;
    }
    const Hobject marker = constantImage(1, 1, 7);
    Hobject tiled = marker;
    QCOMPARE(tile_images_offset(images, &tiled, offsetRow, offsetCol, row1, col1, rowCol2, rowCol2, width, height),
             expected);
    QCOMPARE(rowsOf(tiled), QStringLiteral("7"));
}

QTEST_GUILESS_MAIN(tst_HalconTileOps)
#include "tst_HalconTileOps.moc"
