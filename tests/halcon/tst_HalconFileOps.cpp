#include "FilePlacingRecorder.h"
#include "Halcon.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <vector>

using namespace Halcon;

namespace {

using Bytes = std::vector<unsigned char>;

long long addressOf(const void *p)
{
    return static_cast<long long>(reinterpret_cast<std::intptr_t>(p));
}

// A colour picture with distinct channels and a gradient, so swapped channels or
// shifted rows show.
Hobject testPicture(int width, int height)
{
    const size_t n = size_t(width) * size_t(height);
    Bytes r(n), g(n), b(n);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t i = size_t(y) * size_t(width) + size_t(x);
            r[i] = uchar(200);
            g[i] = uchar((x * 255) / std::max(1, width - 1));
            b[i] = uchar((y * 255) / std::max(1, height - 1));
        }
    Hobject image;
    if (gen_image3(&image, "byte", width, height, addressOf(r.data()), addressOf(g.data()), addressOf(b.data()))
        != kSuccess)
        qFatal("gen_image3 failed");
    return image;
}

Bytes plane(const Hobject &image, int channel)
{
    HTuple r, g, b, type, w, h;
    if (get_image_pointer3(image, &r, &g, &b, &type, &w, &h) != kSuccess)
        return {};
    const HTuple &p = channel == 0 ? r : channel == 1 ? g : b;
    const auto *data = reinterpret_cast<const unsigned char *>(p.L());
    return Bytes(data, data + w.L() * h.L());
}

int largestDifference(const Hobject &a, const Hobject &b)
{
    int worst = 0;
    for (int c = 0; c < 3; ++c) {
        const Bytes pa = plane(a, c), pb = plane(b, c);
        if (pa.size() != pb.size() || pa.empty())
            return 1000;
        for (size_t i = 0; i < pa.size(); ++i)
            worst = std::max(worst, std::abs(int(pa[i]) - int(pb[i])));
    }
    return worst;
}

std::string local(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write fixture");
}

} // namespace

class tst_HalconFileOps : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void extensionAppendedOnlyWhenMissing();
    void readFindsExtension();
    void utf8FileNames();
    void channelOrderMatchesOtherReaders();
    void alphaAndSixteenBit();
    void fillOutsideDomain();
    void unreadableFiles_data();
    void unreadableFiles();
    void writeErrors_data();
    void writeErrors();
    void saveReplacesWholeFile();

private:
    QTemporaryDir m_dir;
};

void tst_HalconFileOps::roundTrip_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<int>("tolerance");
    QTest::newRow("tiff") << "tiff" << ".tif" << 0;
    QTest::newRow("png") << "png" << ".png" << 0;
    QTest::newRow("png best") << "png best" << ".png" << 0;
    QTest::newRow("png fastest") << "png fastest" << ".png" << 0;
    QTest::newRow("bmp") << "bmp" << ".bmp" << 0;
    QTest::newRow("jpeg") << "jpeg" << ".jpg" << 12;
    QTest::newRow("jpeg 100") << "jpeg 100" << ".jpg" << 6;
    QTest::newRow("jp2") << "jp2" << ".jp2" << 0;
    QTest::newRow("jp2 50") << "jp2 50" << ".jp2" << 40;
}

void tst_HalconFileOps::roundTrip()
{
    QFETCH(QString, format);
    QFETCH(QString, extension);
    QFETCH(int, tolerance);
    const Hobject picture = testPicture(101, 67);
    const QString base = m_dir.filePath(QStringLiteral("round_%1").arg(QString(QTest::currentDataTag()).replace(' ', '_')));
    {
        // Every format reaches its name synced, through the one replacing writer.
        FilePlacingRecorder placing;
        QCOMPARE(write_image(picture, format.toStdString(), -1, local(base)), kSuccess);
        const QString fault = placing.faultPlacing(base + extension);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }
    QVERIFY(QFile::exists(base + extension));
    Hobject back;
    QCOMPARE(read_image(&back, local(base + extension)), kSuccess);
    Hlong w = 0, h = 0, channels = 0;
    QCOMPARE(get_image_size(back, &w, &h), kSuccess);
    QCOMPARE(count_channels(back, &channels), kSuccess);
    QCOMPARE(w, Hlong(101));
    QCOMPARE(h, Hlong(67));
    QCOMPARE(channels, Hlong(3));
    QVERIFY2(largestDifference(picture, back) <= tolerance, qPrintable(QString::number(largestDifference(picture, back))));
}

void tst_HalconFileOps::extensionAppendedOnlyWhenMissing()
{
    const Hobject picture = testPicture(8, 8);
    QCOMPARE(write_image(picture, "png", -1, local(m_dir.filePath("upper.PNG"))), kSuccess);
    QVERIFY(QFile::exists(m_dir.filePath("upper.PNG")));
    QCOMPARE(write_image(picture, "tiff", -1, local(m_dir.filePath("long.tiff"))), kSuccess);
    QVERIFY(QFile::exists(m_dir.filePath("long.tiff")));
    // A different format's extension is not the format's own: the own one is added.
    QCOMPARE(write_image(picture, "bmp", -1, local(m_dir.filePath("other.png"))), kSuccess);
    QVERIFY(QFile::exists(m_dir.filePath("other.png.bmp")));
    QVERIFY(!QFile::exists(m_dir.filePath("other.png")));
}

void tst_HalconFileOps::readFindsExtension()
{
    QCOMPARE(write_image(testPicture(8, 8), "png", -1, local(m_dir.filePath("plain"))), kSuccess);
    Hobject back;
    QCOMPARE(read_image(&back, local(m_dir.filePath("plain"))), kSuccess);
    QCOMPARE(back.CountObj(), Hlong(1));
}

void tst_HalconFileOps::utf8FileNames()
{
    const QString folder = m_dir.filePath(QStringLiteral("Bilder äöü 颜色"));
    QVERIFY(QDir().mkpath(folder));
    const QString name = folder + QStringLiteral("/Platte ß №1.png");
    QCOMPARE(write_image(testPicture(16, 9), "png", -1, local(name)), kSuccess);
    QVERIFY(QFile::exists(name)); // the name on disk is the UTF-8 name, not a Latin-1 mangling
    Hobject back;
    QCOMPARE(read_image(&back, local(name)), kSuccess);
    QCOMPARE(largestDifference(back, testPicture(16, 9)), 0);
}

void tst_HalconFileOps::channelOrderMatchesOtherReaders()
{
    // Written by us, read by Qt.
    const QString ours = m_dir.filePath("order_ours.png");
    QCOMPARE(write_image(testPicture(4, 4), "png", -1, local(ours)), kSuccess);
    const QImage qt(ours);
    QCOMPARE(qRed(qt.pixel(3, 0)), 200);
    QCOMPARE(qGreen(qt.pixel(3, 0)), 255);
    QCOMPARE(qBlue(qt.pixel(3, 0)), 0);

    // Written by Qt, read by us.
    QImage red(3, 2, QImage::Format_RGB32);
    red.fill(QColor(250, 10, 5));
    const QString theirs = m_dir.filePath("order_theirs.bmp");
    QVERIFY(red.save(theirs));
    Hobject back;
    QCOMPARE(read_image(&back, local(theirs)), kSuccess);
    QCOMPARE(plane(back, 0), Bytes(6, 250));
    QCOMPARE(plane(back, 2), Bytes(6, 5));
}

void tst_HalconFileOps::alphaAndSixteenBit()
{
    QImage argb(2, 2, QImage::Format_ARGB32);
    argb.fill(QColor(10, 20, 30, 128));
    const QString path = m_dir.filePath("alpha.png");
    QVERIFY(argb.save(path));
    Hobject back, gray;
    QCOMPARE(read_image(&back, local(path)), kSuccess);
    Hlong channels = 0;
    QCOMPARE(count_channels(back, &channels), kSuccess);
    QCOMPARE(channels, Hlong(4));
    QCOMPARE(rgb1_to_gray(back, &gray), kSuccess);

    const std::vector<unsigned short> words{0, 1000, 40000, 65535};
    Hobject deep;
    QCOMPARE(gen_image1(&deep, "uint2", 2, 2, addressOf(words.data())), kSuccess);
    QCOMPARE(write_image(deep, "png", -1, local(m_dir.filePath("deep.png"))), kSuccess);
    QCOMPARE(read_image(&back, local(m_dir.filePath("deep.png"))), kSuccess);
    HTuple pointer, type, w, h;
    QCOMPARE(get_image_pointer1(back, &pointer, &type, &w, &h), kSuccess);
    QCOMPARE(type.S(), std::string("uint2"));
    const auto *p = reinterpret_cast<const unsigned short *>(pointer.L());
    QCOMPARE(std::vector<unsigned short>(p, p + 4), words);
}

void tst_HalconFileOps::fillOutsideDomain()
{
    const Hobject picture = testPicture(10, 10);
    Hobject region, reduced, back;
    QCOMPARE(gen_rectangle1(&region, 2, 3, 4, 6), kSuccess);
    QCOMPARE(reduce_domain(picture, region, &reduced), kSuccess);
    QCOMPARE(write_image(reduced, "png", 0, local(m_dir.filePath("filled.png"))), kSuccess);
    QCOMPARE(read_image(&back, local(m_dir.filePath("filled.png"))), kSuccess);
    const Bytes red = plane(back, 0);
    QCOMPARE(int(red[0]), 0);            // outside the domain: the fill value
    QCOMPARE(int(red[2 * 10 + 3]), 200); // inside: the picture
    QCOMPARE(int(red[4 * 10 + 6]), 200);
    QCOMPARE(int(red[4 * 10 + 7]), 0);

    // -1 keeps the pixels outside the domain.
    QCOMPARE(write_image(reduced, "png", -1, local(m_dir.filePath("unfilled.png"))), kSuccess);
    QCOMPARE(read_image(&back, local(m_dir.filePath("unfilled.png"))), kSuccess);
    QCOMPARE(plane(back, 0), Bytes(100, 200));
}

void tst_HalconFileOps::unreadableFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // null: do not create
    QTest::addColumn<int>("expected");

    QByteArray png;
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("good.png");
        write_image(testPicture(64, 64), "png", -1, local(path));
        png = fileBytes(path);
    }
    QByteArray damaged = png;
    for (int i = 100; i < damaged.size(); i += 7)
        damaged[i] = char(damaged[i] ^ 0x5a);

    QTest::newRow("missing") << "missing.png" << QByteArray() << int(kErrFileOpen);
    QTest::newRow("folder") << "." << QByteArray() << int(kErrFileOpen);
    QTest::newRow("empty file") << "empty.png" << QByteArray("") << int(kErrNotAPicture);
    QTest::newRow("text") << "notes.png" << QByteArray("this is not a picture\n") << int(kErrNotAPicture);
    QTest::newRow("truncated png") << "truncated.png" << png.left(png.size() / 2) << int(kErrNotAPicture);
    QTest::newRow("only the signature") << "signature.png" << png.left(8) << int(kErrNotAPicture);
    QTest::newRow("damaged png") << "damaged.png" << damaged << int(kErrNotAPicture);
}

void tst_HalconFileOps::unreadableFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(int, expected);
    const QString path = m_dir.filePath(name);
    if (!content.isNull())
        writeBytes(path, content);
    const Hobject before = testPicture(2, 2);
    Hobject image = before;
    QCOMPARE(read_image(&image, local(path)), Herror(expected));
    QVERIFY(image.SharesElementsWith(before));
}

void tst_HalconFileOps::writeErrors_data()
{
    QTest::addColumn<int>("object"); // 0 picture, 1 region, 2 empty, 3 real image, 4 tiny
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("expected");
    QTest::newRow("folder missing") << 0 << "png" << "no/such/folder/x.png" << int(kErrFileWrite);
    QTest::newRow("unknown format") << 0 << "gif" << "x.gif" << int(kErrWrongFileFormat);
    QTest::newRow("bad quality") << 0 << "jpeg 101" << "x.jpg" << int(kErrWrongFileFormat);
    QTest::newRow("png option") << 0 << "png 50" << "x.png" << int(kErrWrongFileFormat);
    QTest::newRow("region") << 1 << "png" << "x.png" << int(kErrWrongObjectClass1);
    QTest::newRow("empty object") << 2 << "png" << "x.png" << int(kErrEmptyObject);
    QTest::newRow("real as png") << 3 << "png" << "x.png" << int(kErrWrongPixelType);
    QTest::newRow("tiny jp2") << 4 << "jp2" << "x.jp2" << int(kErrImageTooSmall);
    QTest::newRow("no name") << 0 << "png" << "" << int(kErrWrongValue3);
}

void tst_HalconFileOps::writeErrors()
{
    QFETCH(int, object);
    QFETCH(QString, format);
    QFETCH(QString, name);
    QFETCH(int, expected);
    Hobject input;
    switch (object) {
    case 0:
        input = testPicture(40, 40);
        break;
    case 1:
        gen_rectangle1(&input, 0, 0, 3, 3);
        break;
    case 3:
        gen_image_const(&input, "real", 40, 40);
        break;
    case 4:
        input = testPicture(8, 8);
        break;
    default:
        break;
    }
    QTemporaryDir dir;
    const std::string path = name.isEmpty() ? std::string() : local(dir.filePath(name));
    QCOMPARE(write_image(input, format.toStdString(), -1, path), Herror(expected));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0); // nothing left behind
}

void tst_HalconFileOps::saveReplacesWholeFile()
{
    const QString path = m_dir.filePath("replace.png");
    QCOMPARE(write_image(testPicture(64, 48), "png", -1, local(path)), kSuccess);
    const QByteArray original = fileBytes(path);

    // A reader that opened the old picture keeps reading it whole: the new picture goes
    // to a new file that is renamed over the name, never into the old file.
    QFile reader(path);
    QVERIFY(reader.open(QIODevice::ReadOnly));
    QCOMPARE(write_image(testPicture(32, 16), "png", -1, local(path)), kSuccess);
    QCOMPARE(reader.readAll(), original);
    QVERIFY(fileBytes(path) != original);

    // A failing save leaves the good picture as it was.
    Hobject real;
    QCOMPARE(gen_image_const(&real, "real", 40, 40), kSuccess);
    const QByteArray current = fileBytes(path);
    QCOMPARE(write_image(real, "png", -1, local(path)), Herror(kErrWrongPixelType));
    QCOMPARE(fileBytes(path), current);
    QCOMPARE(QDir(m_dir.path()).entryList({"replace*"}, QDir::Files | QDir::Hidden).size(), 1);
}

QTEST_GUILESS_MAIN(tst_HalconFileOps)
#include "tst_HalconFileOps.moc"
