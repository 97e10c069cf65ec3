// Spool files: every pixel of every channel back bit for bit, a torn or damaged file never
// taken for a picture, and a promotion that writes the picture before it lets the spool go,
// takes up work a kill left half done, never replaces a file that has the picture's name and
// writes nothing for a picture discarded while it waited.

#include "Halcon_Helper.h"
#include "Halcon_PictureSpool.h"
#include "HalconTestPictures.h"
#include "TestFixtures.h"

#include <Halcon.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cmath>
#include <limits>
#include <vector>

using Halcon::Hobject;

namespace {

// Pixels of a one-channel image made from values of the given C type.
template <typename T>
Hobject planeOf(const char* type, int width, int height, const std::vector<T>& values)
{
    Hobject image;
    Halcon::gen_image1(&image, type, width, height, Halcon::Hlong(reinterpret_cast<std::uintptr_t>(values.data())));
    return image;
}

// Every channel's pixels as bytes, with the pixel type and size in front.
QList<QByteArray> pixelBytes(const Hobject& image)
{
    QList<QByteArray> planes;
    Halcon::Hlong channels = 0;
    if (Halcon::count_channels(image, &channels) != Halcon::kSuccess)
        return planes;
    for (int channel = 1; channel <= channels; ++channel) {
        Hobject single;
        Halcon::Hlong pointer = 0, width = 0, height = 0;
        char type[16] = {};
        Halcon::access_channel(image, &single, channel);
        if (Halcon::get_image_pointer1(single, &pointer, type, &width, &height) != Halcon::kSuccess)
            return {};
        const int bytes = std::strcmp(type, "byte") == 0 ? 1 : std::strcmp(type, "uint2") == 0 ? 2 : 4;
        planes.append(QByteArray(type) + ' ' + QByteArray::number(width) + 'x' + QByteArray::number(height) + ':'
                      + QByteArray(reinterpret_cast<const char*>(pointer), int(width * height * bytes)));
    }
    return planes;
}

} // namespace

class tst_Halcon_PictureSpool : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void pixelsComeBackBitForBit_data();
    void pixelsComeBackBitForBit();
    void promotionWritesThePictureThenDropsTheSpool();
    void damagedSpoolsAreNeverPromoted_data();
    void damagedSpoolsAreNeverPromoted();
    void promotionTakesUpWhatAKillLeft_data();
    void promotionTakesUpWhatAKillLeft();
    void promotionNeverReplacesAFileOfThatName();
    void discardedPictureIsNeverWritten_data();
    void discardedPictureIsNeverWritten();
    void refusedPicturesLeaveNoFile_data();
    void refusedPicturesLeaveNoFile();
    void existingFileIsNeverOverwritten();

private:
    // The spool of a gradient for pictureName, under a private name; empty on failure.
    QString spoolOfGradient(const QString& pictureName);

    QTemporaryDir m_dir;
};

void tst_Halcon_PictureSpool::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void tst_Halcon_PictureSpool::pixelsComeBackBitForBit_data()
{
    QTest::addColumn<Hobject>("picture");
    QTest::newRow("grey bytes") << HalconTestPictures::gradientGray(31, 17);
    QTest::newRow("colour bytes") << HalconTestPictures::gradientRgb(40, 30);
    std::vector<quint16> words(6 * 5);
    for (size_t i = 0; i < words.size(); ++i)
        words[i] = quint16(i * 2731u);
    QTest::newRow("uint2") << planeOf("uint2", 6, 5, words);
    const std::vector<float> reals{-0.0f, 1e-38f, std::numeric_limits<float>::denorm_min(),
                                   std::numeric_limits<float>::max(), -3.25f, std::numeric_limits<float>::quiet_NaN()};
    QTest::newRow("real, extremes and not-a-number") << planeOf("real", 3, 2, reals);
    Hobject red, green, blue, planes, four;
    Halcon::decompose3(HalconTestPictures::gradientRgb(8, 4), &red, &green, &blue);
    for (const Hobject& plane : {red, green, blue, HalconTestPictures::gradientGray(8, 4)})
        Halcon::concat_obj(planes, plane, &planes);
    Halcon::channels_to_image(planes, &four);
    QTest::newRow("four channels") << four;
    Hobject reduced;
    Halcon::reduce_domain(HalconTestPictures::gradientRgb(20, 10), HalconTestPictures::rectangleRegion(2, 2, 5, 9),
                          &reduced);
    QTest::newRow("reduced domain: every pixel all the same") << reduced;
}

void tst_Halcon_PictureSpool::pixelsComeBackBitForBit()
{
    QFETCH(Hobject, picture);
    const QString file = m_dir.filePath(QStringLiteral("%1.spool").arg(QTest::currentDataTag()));
    QCOMPARE(Halcon_PictureSpool::write(file, picture, QStringLiteral("tiff")), Errors::Type_Error(0));
    Hobject back;
    QString format;
    QCOMPARE(Halcon_PictureSpool::read(file, back, format), Errors::Type_Error(0));
    QCOMPARE(format, QStringLiteral("tiff"));
    const QList<QByteArray> expected = pixelBytes(picture);
    QVERIFY(!expected.isEmpty());
    QCOMPARE(pixelBytes(back), expected);
}

QString tst_Halcon_PictureSpool::spoolOfGradient(const QString& pictureName)
{
    const QString spool = m_dir.filePath(QStringLiteral(".private_") + pictureName + QStringLiteral(".spool"));
    QFile::remove(spool);
    QFile::remove(Halcon_PictureSpool::encodedFileFor(spool, pictureName));
    if (Halcon_PictureSpool::write(spool, HalconTestPictures::gradientRgb(64, 48), QStringLiteral("png fastest")) != 0)
        return QString();
    return spool;
}

void tst_Halcon_PictureSpool::promotionWritesThePictureThenDropsTheSpool()
{
    const QString picture = m_dir.filePath(QStringLiteral("promoted.png"));
    const QString spool = spoolOfGradient(QStringLiteral("promoted.png"));
    QVERIFY(!spool.isEmpty());
    QCOMPARE(Halcon_PictureSpool::promote(spool, picture), Errors::Type_Error(0));
    QVERIFY(!QFile::exists(spool));
    QVERIFY(!QFile::exists(Halcon_PictureSpool::encodedFileFor(spool, picture)));

    // The same file the picture written at once gives.
    const QString direct = m_dir.filePath(QStringLiteral("direct.png"));
    QCOMPARE(Halcon_Helper::SaveImageFile(direct, HalconTestPictures::gradientRgb(64, 48), QStringLiteral("png fastest"),
                                          false, false),
             Errors::Type_Error(0));
    QCOMPARE(TestFixtures::fileBytes(picture), TestFixtures::fileBytes(direct));

    // Nothing left to promote.
    QCOMPARE(Halcon_PictureSpool::promote(spool, picture), Errors::Type_Error(51));
    QCOMPARE(TestFixtures::fileBytes(picture), TestFixtures::fileBytes(direct));
}

void tst_Halcon_PictureSpool::damagedSpoolsAreNeverPromoted_data()
{
    QTest::addColumn<int>("offset"); // negative: from the end
    QTest::addColumn<int>("cutTo");  // -1: not cut, else the bytes kept (negative: less than all)
    QTest::addColumn<QByteArray>("appended");
    // Header: magic 0, version 8, width 12, height 16, channels 20, type 24, format length 28.
    QTest::newRow("empty") << 0 << 0 << QByteArray();
    QTest::newRow("cut in the header") << 0 << 20 << QByteArray();
    QTest::newRow("cut in the pixels") << 0 << 2000 << QByteArray();
    QTest::newRow("last checksum byte missing") << 0 << -2 << QByteArray();
    QTest::newRow("one byte more") << 0 << -1 << QByteArray(1, '\0');
    QTest::newRow("magic") << 0 << -1 << QByteArray();
    QTest::newRow("width") << 12 << -1 << QByteArray();
    QTest::newRow("channels") << 20 << -1 << QByteArray();
    QTest::newRow("pixel type") << 24 << -1 << QByteArray();
    QTest::newRow("format") << 33 << -1 << QByteArray();
    QTest::newRow("a pixel") << 1000 << -1 << QByteArray();
    QTest::newRow("pixel checksum") << -2 << -1 << QByteArray();
}

void tst_Halcon_PictureSpool::damagedSpoolsAreNeverPromoted()
{
    QFETCH(int, offset);
    QFETCH(int, cutTo);
    QFETCH(QByteArray, appended);
    const QString name = QStringLiteral("damaged.png");
    const QString picture = m_dir.filePath(name);
    QFile::remove(picture);
    const QString spool = spoolOfGradient(name);
    QVERIFY(!spool.isEmpty());
    QByteArray bytes = TestFixtures::fileBytes(spool);
    if (cutTo != -1)
        bytes.truncate(cutTo >= 0 ? cutTo : bytes.size() + cutTo + 1);
    else if (!appended.isEmpty())
        bytes.append(appended);
    else {
        const qsizetype at = offset >= 0 ? offset : bytes.size() + offset;
        bytes[at] = char(bytes[at] ^ 0x10);
    }
    QVERIFY(TestFixtures::writeFileBytes(spool, bytes));

    Hobject back = HalconTestPictures::gradientGray(2, 2);
    QString format = QStringLiteral("stale");
    QCOMPARE(Halcon_PictureSpool::read(spool, back, format), Errors::Type_Error(54));
    QVERIFY(back.IsEmpty());
    QVERIFY(format.isEmpty());
    QCOMPARE(Halcon_PictureSpool::promote(spool, picture), Errors::Type_Error(54));
    QVERIFY(!QFile::exists(picture));
    QCOMPARE(TestFixtures::fileBytes(spool), bytes);
}

void tst_Halcon_PictureSpool::promotionTakesUpWhatAKillLeft_data()
{
    QTest::addColumn<bool>("spoolLeft");
    QTest::addColumn<bool>("encodedLeft");
    QTest::addColumn<bool>("encodedCutOff"); // the encoded file's write cut off beside it
    QTest::newRow("killed before the encoding") << true << false << false;
    QTest::newRow("killed while encoding") << true << false << true;
    QTest::newRow("killed after the encoding") << true << true << false;
    QTest::newRow("killed after the spool went") << false << true << false;
}

void tst_Halcon_PictureSpool::promotionTakesUpWhatAKillLeft()
{
    QFETCH(bool, spoolLeft);
    QFETCH(bool, encodedLeft);
    QFETCH(bool, encodedCutOff);
    const QString name = QStringLiteral("resumed.png");
    const QString picture = m_dir.filePath(name);
    QFile::remove(picture);
    const QString spool = spoolOfGradient(name);
    QVERIFY(!spool.isEmpty());
    const QString encoded = Halcon_PictureSpool::encodedFileFor(spool, picture);
    QCOMPARE(encoded, m_dir.filePath(QStringLiteral(".private_resumed.png.png")));
    if (encodedLeft)
        QCOMPARE(Halcon_Helper::SaveImageFile(encoded, HalconTestPictures::gradientRgb(64, 48),
                                              QStringLiteral("png fastest"), false, false),
                 Errors::Type_Error(0));
    if (encodedCutOff)
        QVERIFY(TestFixtures::writeFileBytes(encoded + QStringLiteral(".Ab12Cd"), "\x89PNG cut"));
    if (!spoolLeft)
        QVERIFY(QFile::remove(spool));

    QCOMPARE(Halcon_PictureSpool::promote(spool, picture), Errors::Type_Error(0));
    QVERIFY(!QFile::exists(spool));
    QVERIFY(!QFile::exists(encoded));
    Hobject loaded;
    QCOMPARE(Halcon_Helper::LoadImageFile(picture, loaded), Errors::Type_Error(0));
    QCOMPARE(HalconTestPictures::maxPixelDifference(loaded, HalconTestPictures::gradientRgb(64, 48)), 0);
    QFile::remove(encoded + QStringLiteral(".Ab12Cd"));
}

void tst_Halcon_PictureSpool::promotionNeverReplacesAFileOfThatName()
{
    // Another database that shares the folder may have given the name a moment before.
    const QString name = QStringLiteral("taken.png");
    const QString picture = m_dir.filePath(name);
    QVERIFY(TestFixtures::writeFileBytes(picture, "another database's picture"));
    const QString spool = spoolOfGradient(name);
    QVERIFY(!spool.isEmpty());
    const QString encoded = Halcon_PictureSpool::encodedFileFor(spool, picture);
    QCOMPARE(Halcon_PictureSpool::promote(spool, picture), Errors::Type_Error(55));
    QCOMPARE(TestFixtures::fileBytes(picture), QByteArray("another database's picture"));
    // Not a pixel lost: the encoded picture waits beside it.
    Hobject loaded;
    QCOMPARE(Halcon_Helper::LoadImageFile(encoded, loaded), Errors::Type_Error(0));
    QCOMPARE(HalconTestPictures::maxPixelDifference(loaded, HalconTestPictures::gradientRgb(64, 48)), 0);

    // A link of that name holds it too, and its target stays as it is.
    QVERIFY(QFile::remove(picture));
    const QString target = m_dir.filePath(QStringLiteral("target.bin"));
    QVERIFY(TestFixtures::writeFileBytes(target, "target"));
    QVERIFY(QFile::link(target, picture));
    QCOMPARE(Halcon_PictureSpool::placeEncoded(encoded, picture), Errors::Type_Error(55));
    QCOMPARE(TestFixtures::fileBytes(target), QByteArray("target"));
    QVERIFY(QFileInfo(picture).isSymLink());

    QVERIFY(QFile::remove(picture));
    QCOMPARE(Halcon_PictureSpool::placeEncoded(encoded, picture), Errors::Type_Error(0));
    QCOMPARE(Halcon_Helper::LoadImageFile(picture, loaded), Errors::Type_Error(0));
    QVERIFY(!QFile::exists(encoded));
}

void tst_Halcon_PictureSpool::discardedPictureIsNeverWritten_data()
{
    QTest::addColumn<bool>("pendingWhenDiscarded");
    QTest::newRow("discarded while waiting") << true;
    QTest::newRow("discarded after it was written") << false;
}

void tst_Halcon_PictureSpool::discardedPictureIsNeverWritten()
{
    QFETCH(bool, pendingWhenDiscarded);
    const QString name = QStringLiteral("discarded.png");
    const QString picture = m_dir.filePath(name);
    QFile::remove(picture);
    const QString spool = spoolOfGradient(name);
    QVERIFY(!spool.isEmpty());
    Halcon_PictureSpool::setPending(picture, true);
    if (!pendingWhenDiscarded) {
        QCOMPARE(Halcon_PictureSpool::promote(spool, picture), Errors::Type_Error(0));
        QVERIFY(!Halcon_PictureSpool::isPending(picture));
        // Nothing of this process writes it any more: the caller removes the file.
        QVERIFY(!Halcon_PictureSpool::discard(picture));
        QVERIFY(QFile::exists(picture));
        return;
    }
    // Through a relative spelling of the same file.
    QVERIFY(Halcon_PictureSpool::discard(m_dir.filePath(QStringLiteral("./") + name)));
    QCOMPARE(Halcon_PictureSpool::promote(spool, picture), Errors::Type_Error(0));
    QVERIFY(!QFile::exists(picture));
    QVERIFY(!QFile::exists(spool));
    QVERIFY(!QFile::exists(Halcon_PictureSpool::encodedFileFor(spool, picture)));
    QVERIFY(!Halcon_PictureSpool::isPending(picture));
}

void tst_Halcon_PictureSpool::refusedPicturesLeaveNoFile_data()
{
    QTest::addColumn<Hobject>("picture");
    QTest::addColumn<int>("expected");
    QTest::newRow("empty object") << Hobject() << 41;
    QTest::newRow("region") << HalconTestPictures::rectangleRegion(0, 0, 3, 3) << 41;
    Hobject two;
    Halcon::concat_obj(HalconTestPictures::gradientGray(4, 4), HalconTestPictures::gradientGray(4, 4), &two);
    QTest::newRow("two images") << two << 41;
}

void tst_Halcon_PictureSpool::refusedPicturesLeaveNoFile()
{
    QFETCH(Hobject, picture);
    QFETCH(int, expected);
    const QString file = m_dir.filePath(QStringLiteral("refused.spool"));
    QCOMPARE(int(Halcon_PictureSpool::write(file, picture, QStringLiteral("png"))), expected);
    QVERIFY(!QFile::exists(file));
    Hobject back;
    QString format;
    QCOMPARE(Halcon_PictureSpool::read(file, back, format), Errors::Type_Error(51));
}

void tst_Halcon_PictureSpool::existingFileIsNeverOverwritten()
{
    // A spool is written in one go under a name of its own; a file there is somebody else's.
    const QString file = m_dir.filePath(QStringLiteral("taken.spool"));
    QVERIFY(TestFixtures::writeFileBytes(file, "somebody's"));
    QCOMPARE(Halcon_PictureSpool::write(file, HalconTestPictures::gradientGray(4, 4), QStringLiteral("png")),
             Errors::Type_Error(55));
    QCOMPARE(TestFixtures::fileBytes(file), QByteArray("somebody's"));
}

QTEST_GUILESS_MAIN(tst_Halcon_PictureSpool)
#include "tst_Halcon_PictureSpool.moc"
