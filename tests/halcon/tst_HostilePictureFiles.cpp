#include "Halcon.h"
#include "PictureHeader_p.h"

#include <FileMutations.h>
#include <ProcessMemory.h>

#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

#include <climits>

using namespace Halcon;
using Halcon::Detail::PictureSizeBound;

namespace {

// What a hostile file may make the reader hold beyond its own resident size.
constexpr qint64 kMemoryAllowanceKB = 256 * 1024;

QByteArray bytes(std::initializer_list<char> values)
{
    return QByteArray(values.begin(), qsizetype(values.size()));
}
QByteArray be16(quint32 v)
{
    return bytes({char(v >> 8), char(v)});
}
QByteArray be32(quint32 v)
{
    return be16(v >> 16) + be16(v & 0xffff);
}
QByteArray le16(quint32 v)
{
    return bytes({char(v), char(v >> 8)});
}
QByteArray le32(quint32 v)
{
    return le16(v & 0xffff) + le16(v >> 16);
}

// Headers as a hostile file would carry them, followed by a little junk instead of pixels.
const QByteArray kJunk(64, '\x5a');

QByteArray png(quint32 width, quint32 height, int depth = 8, int colour = 2)
{
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + be32(13) + "IHDR" + be32(width) + be32(height) + char(depth)
        + char(colour) + QByteArray(3, '\0') + be32(0) + be32(quint32(kJunk.size())) + "IDAT" + kJunk;
}

QByteArray bmp(qint32 width, qint32 height, int bits = 24)
{
    return QByteArray("BM") + le32(54 + quint32(kJunk.size())) + le32(0) + le32(54) + le32(40) + le32(quint32(width))
        + le32(quint32(height)) + le16(1) + le16(quint32(bits)) + QByteArray(24, '\0') + kJunk;
}

QByteArray jpeg(quint32 width, quint32 height, int frameMarker = 0xC2, int components = 3)
{
    QByteArray bytes("\xFF\xD8\xFF\xE0", 4);
    bytes += be16(16) + QByteArray("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14);
    bytes += QByteArray(1, '\xFF') + char(frameMarker) + be16(quint32(8 + 3 * components)) + char(8) + be16(height)
        + be16(width) + char(components);
    for (int c = 0; c < components; ++c)
        bytes += ::bytes({char(c + 1), '\x11', '\0'});
    return bytes + kJunk;
}

QByteArray tiff(quint32 width, quint32 height, quint32 tileWidth = 0, quint32 tileHeight = 0)
{
    QList<QByteArray> entries{le16(256) + le16(4) + le32(1) + le32(width), le16(257) + le16(4) + le32(1) + le32(height),
                              le16(258) + le16(3) + le32(1) + le32(8), le16(277) + le16(3) + le32(1) + le32(3)};
    if (tileWidth != 0)
        entries << le16(322) + le16(4) + le32(1) + le32(tileWidth) << le16(323) + le16(4) + le32(1) + le32(tileHeight);
    QByteArray bytes = QByteArray("II*\0", 4) + le32(8) + le16(quint32(entries.size()));
    for (const QByteArray& entry : entries)
        bytes += entry;
    return bytes + le32(0) + kJunk;
}

QByteArray codestream(quint32 width, quint32 height, quint32 tileWidth, quint32 tileHeight)
{
    QByteArray bytes = QByteArray("\xFF\x4F\xFF\x51", 4) + be16(38 + 9) + be16(0) + be32(width) + be32(height)
        + be32(0) + be32(0) + be32(tileWidth) + be32(tileHeight) + be32(0) + be32(0) + be16(3);
    for (int c = 0; c < 3; ++c)
        bytes += ::bytes({'\x07', '\x01', '\x01'});
    return bytes + kJunk;
}

QByteArray jp2(quint32 width, quint32 height)
{
    const QByteArray stream = codestream(width, height, width, height);
    return QByteArray("\0\0\0\x0CjP  \r\n\x87\n", 12) + be32(20) + "ftyp" + "jp2 " + be32(0) + "jp2 "
        + be32(quint32(8 + stream.size())) + "jp2c" + stream;
}

std::string local(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Hobject colourPicture(int width, int height)
{
    std::vector<unsigned char> r, g, b;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            r.push_back(uchar(x * 5));
            g.push_back(uchar(y * 7));
            b.push_back(uchar(x * y));
        }
    const auto address = [](const std::vector<unsigned char>& plane) {
        return Hlong(reinterpret_cast<std::intptr_t>(plane.data()));
    };
    Hobject picture;
    gen_image3(&picture, "byte", width, height, address(r), address(g), address(b));
    return picture;
}

} // namespace

class tst_HostilePictureFiles : public QObject {
    Q_OBJECT
private slots:
    void cleanup();

    void declaredSizeDecidesBeforeDecoding_data();
    void declaredSizeDecidesBeforeDecoding();
    void boundEdges();
    void mutatedPictures_data();
    void mutatedPictures();

private:
    QTemporaryDir m_dir;
};

void tst_HostilePictureFiles::cleanup()
{
    Detail::setPictureSizeBound(PictureSizeBound());
}

void tst_HostilePictureFiles::declaredSizeDecidesBeforeDecoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("expected");

    QTest::newRow("png 30000 x 30000") << png(30000, 30000) << int(kErrImageTooLarge);
    QTest::newRow("png 32768 x 32767") << png(32768, 32767) << int(kErrImageTooLarge);
    QTest::newRow("png one column too wide") << png(20001, 1, 8, 0) << int(kErrImageTooLarge);
    QTest::newRow("png one row too high") << png(1, 20001, 8, 0) << int(kErrImageTooLarge);
    QTest::newRow("png 16-bit colour over 1 GB") << png(14000, 14000, 16, 2) << int(kErrImageTooLarge);
    QTest::newRow("png zero width") << png(0, 100) << int(kErrNotAPicture);
    QTest::newRow("png impossible depth") << png(100, 100, 3, 2) << int(kErrNotAPicture);
    QTest::newRow("png cut in its header") << png(100, 100).left(20) << int(kErrNotAPicture);

    QTest::newRow("bmp 30000 x 30000") << bmp(30000, 30000) << int(kErrImageTooLarge);
    QTest::newRow("bmp top-down 30000 rows") << bmp(100, -30000) << int(kErrImageTooLarge);
    QTest::newRow("bmp most negative height") << bmp(100, INT_MIN) << int(kErrImageTooLarge);
    QTest::newRow("bmp zero width") << bmp(0, 100) << int(kErrNotAPicture);
    QTest::newRow("bmp 7 bits a pixel") << bmp(100, 100, 7) << int(kErrNotAPicture);

    QTest::newRow("jpeg 32768 x 32767") << jpeg(32768, 32767) << int(kErrImageTooLarge);
    // Within the side bound, but a progressive picture keeps every coefficient.
    QTest::newRow("jpeg progressive 18000 x 18000") << jpeg(18000, 18000) << int(kErrImageTooLarge);
    QTest::newRow("jpeg height after the data") << jpeg(1000, 0) << int(kErrNotAPicture);
    QTest::newRow("jpeg data before the frame") << QByteArray("\xFF\xD8\xFF\xDA\0\x02", 6) + kJunk
                                                << int(kErrNotAPicture);
    QTest::newRow("jpeg 12-bit samples") << jpeg(100, 100, 0xC1).replace(24, 1, "\x0C") << int(kErrNotAPicture);

    QTest::newRow("tiff 30000 x 30000") << tiff(30000, 30000) << int(kErrImageTooLarge);
    QTest::newRow("tiff small picture, huge tiles") << tiff(16, 16, 65536, 65536) << int(kErrImageTooLarge);
    QTest::newRow("tiff directory beyond the end") << tiff(16, 16).replace(4, 4, le32(100000)) << int(kErrNotAPicture);

    QTest::newRow("j2k codestream 30000 x 30000") << codestream(30000, 30000, 30000, 30000) << int(kErrImageTooLarge);
    QTest::newRow("jp2 32768 x 32767") << jp2(32768, 32767) << int(kErrImageTooLarge);
    QTest::newRow("j2k a million tiles") << codestream(1000, 1000, 1, 1) << int(kErrNotAPicture);
    QTest::newRow("jp2 without codestream") << jp2(100, 100).left(32) << int(kErrNotAPicture);

    QTest::newRow("other format") << QByteArray("P5\n30000 30000\n255\n") + kJunk << int(kErrNotAPicture);
}

void tst_HostilePictureFiles::declaredSizeDecidesBeforeDecoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, expected);
    const QString path = m_dir.filePath(QStringLiteral("hostile"));
    QVERIFY(writeBytes(path, bytes));
    Hobject before;
    QCOMPARE(gen_image_const(&before, "byte", 2, 2), kSuccess);
    Hobject image = before;
    ProcessMemory::resetPeak();
    const qint64 residentKB = ProcessMemory::statusKB("VmRSS");
    QCOMPARE(int(read_image(&image, local(path))), expected);
    QVERIFY(image.SharesElementsWith(before));
    const qint64 peakKB = ProcessMemory::statusKB("VmHWM");
    QVERIFY2(peakKB - residentKB < 64 * 1024 + ProcessMemory::sanitizerAllowanceKB(),
             qPrintable(QStringLiteral("%1 kB more").arg(peakKB - residentKB)));
}

void tst_HostilePictureFiles::boundEdges()
{
    Hobject grey;
    QCOMPARE(gen_image_const(&grey, "byte", 64, 48), kSuccess);
    const Hobject colour = colourPicture(64, 48);
    QCOMPARE(write_image(colour, "png", -1, local(m_dir.filePath("colour.png"))), kSuccess);
    QCOMPARE(write_image(grey, "png", -1, local(m_dir.filePath("grey.png"))), kSuccess);
    QCOMPARE(write_image(colour, "bmp", -1, local(m_dir.filePath("colour.bmp"))), kSuccess);

    const auto readsAs = [&](const char* name) {
        Hobject image;
        return int(read_image(&image, local(m_dir.filePath(QLatin1String(name)))));
    };
    Detail::setPictureSizeBound({64, 48, 64 * 48 * 3});
    QCOMPARE(readsAs("colour.png"), int(kSuccess));
    QCOMPARE(readsAs("colour.bmp"), int(kSuccess));
    Detail::setPictureSizeBound({63, 48, 64 * 48 * 3});
    QCOMPARE(readsAs("colour.png"), int(kErrImageTooLarge));
    Detail::setPictureSizeBound({64, 47, 64 * 48 * 3});
    QCOMPARE(readsAs("colour.bmp"), int(kErrImageTooLarge));
    // The byte bound counts channels: grey fits where colour does not.
    Detail::setPictureSizeBound({64, 48, 64 * 48 * 3 - 1});
    QCOMPARE(readsAs("colour.png"), int(kErrImageTooLarge));
    QCOMPARE(readsAs("colour.bmp"), int(kErrImageTooLarge));
    QCOMPARE(readsAs("grey.png"), int(kSuccess));
}

void tst_HostilePictureFiles::mutatedPictures_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("png") << "png";
    QTest::newRow("tiff") << "tiff";
    QTest::newRow("bmp") << "bmp";
    QTest::newRow("jpeg") << "jpeg";
    QTest::newRow("jpeg progressive") << "progressive";
    QTest::newRow("jp2") << "jp2";
}

// Seeded damage of a valid file: every result is a picture within the bound or a refusal,
// and the loop stays within a fixed allowance of resident memory.
void tst_HostilePictureFiles::mutatedPictures()
{
    QFETCH(QString, format);
    const QString validPath = m_dir.filePath(QStringLiteral("valid_") + format);
    const Hobject picture = colourPicture(40, 32);
    if (format == QLatin1String("progressive")) {
        QImageWriter writer(validPath, "jpeg");
        writer.setProgressiveScanWrite(true);
        QImage image(40, 32, QImage::Format_RGB32);
        image.fill(QColor(30, 140, 220));
        QVERIFY(writer.write(image));
    } else {
        QCOMPARE(write_image(picture, format.toStdString(), -1, local(validPath)), kSuccess);
    }
    const QString written = QFile::exists(validPath) ? validPath
        : format == QLatin1String("tiff")             ? validPath + ".tif"
        : format == QLatin1String("jpeg")             ? validPath + ".jpg"
                                                      : validPath + "." + format;
    const QByteArray valid = fileBytes(written);
    Hobject original;
    QCOMPARE(read_image(&original, local(written)), kSuccess);

    const PictureSizeBound bound{256, 256, 4 * 1024 * 1024};
    Detail::setPictureSizeBound(bound);
    const QString path = m_dir.filePath(QStringLiteral("mutated"));
    ProcessMemory::resetPeak();
    const qint64 residentKB = ProcessMemory::statusKB("VmRSS");
    for (quint32 seed = 1; seed <= 150; ++seed) {
        QVERIFY(writeBytes(path, FileMutations::mutated(valid, seed)));
        Hobject image;
        const Herror result = read_image(&image, local(path));
        QVERIFY2(result == kSuccess || result == kErrNotAPicture || result == kErrImageTooLarge,
                 qPrintable(QStringLiteral("seed %1: %2").arg(seed).arg(result)));
        if (result != kSuccess)
            continue;
        Hlong width = 0, height = 0;
        QCOMPARE(get_image_size(image, &width, &height), kSuccess);
        QVERIFY2(width <= bound.maxWidth && height <= bound.maxHeight, qPrintable(QString::number(seed)));
    }
    const qint64 peakKB = ProcessMemory::statusKB("VmHWM");
    QVERIFY2(peakKB - residentKB < kMemoryAllowanceKB + ProcessMemory::sanitizerAllowanceKB(),
             qPrintable(QStringLiteral("%1 kB more").arg(peakKB - residentKB)));
}

QTEST_GUILESS_MAIN(tst_HostilePictureFiles)
#include "tst_HostilePictureFiles.moc"
