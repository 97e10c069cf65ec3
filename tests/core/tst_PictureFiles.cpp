#include "Errors.h"
#include "FakeDiskSpace.h"
#include "Halcon_Helper.h"
#include "HalconTestPictures.h"

#include <HTuple.h>
#include <HalconImageOps.h>
#include <HalconObjectOps.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMutex>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>

#include <unistd.h>

using Halcon::Hobject;
using Halcon::HTuple;
using namespace HalconTestPictures;

namespace {

QMutex g_linesLock;
QStringList g_lines;

void captureMessages(QtMsgType, const QMessageLogContext&, const QString& text)
{
    QMutexLocker locker(&g_linesLock);
    g_lines.append(text);
}

QByteArray fileBytes(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void writeBytes(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

} // namespace

class tst_PictureFiles : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void roundTrip_data();
    void roundTrip();
    void qtFormatsWriteWhatTheyClaim();
    void fileDialogOffersWhatLoads_data();
    void fileDialogOffersWhatLoads();
    void unknownFormat_data();
    void unknownFormat();
    void cropToDomain();
    void unicodeFileNames_data();
    void unicodeFileNames();

    void loadFailures_data();
    void loadFailures();

    void folderChecks();
    void notWritableFolder();
    void diskSpace_data();
    void diskSpace();
    void failedSaveKeepsThePicture_data();
    void failedSaveKeepsThePicture();

    void toQImageGray();
    void toQImageRgb();
    void toQImageRejects_data();
    void toQImageRejects();

    void logLines();

private:
    QTemporaryDir m_folder;
};

void tst_PictureFiles::initTestCase()
{
    QCoreApplication::setApplicationName(QStringLiteral("PictureTest"));
    QVERIFY(m_folder.isValid());
}

void tst_PictureFiles::init()
{
    FakeDiskSpace::freeMB = 1.0e6;
    FakeDiskSpace::availableMB = -1.0;
    Halcon_Helper::setDiskSpaceFunction(&FakeDiskSpace::query);
}

void tst_PictureFiles::cleanup()
{
    Halcon_Helper::setDiskSpaceFunction(nullptr);
}

void tst_PictureFiles::roundTrip_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<bool>("throughQImage");
    QTest::addColumn<bool>("color");
    QTest::addColumn<bool>("lossless");

    const struct {
        const char* format;
        const char* suffix;
        bool lossless;
    } formats[] = {
        {"tiff", "tif", true},       {"png", "png", true},  {"png best", "png", true},
        {"png fastest", "png", true}, {"bmp", "bmp", true},  {"jpeg", "jpg", false},
        {"jp2", "jp2", false},
    };
    for (const auto& f : formats) {
        for (bool qt : {false, true}) {
            for (bool color : {false, true}) {
                const QByteArray name = QByteArray(f.format) + (qt ? " via Qt" : " via layer")
                                        + (color ? " rgb" : " gray");
                QTest::newRow(name.constData()) << QString::fromLatin1(f.format) << QString::fromLatin1(f.suffix)
                                                << qt << color << f.lossless;
            }
        }
    }
}

void tst_PictureFiles::roundTrip()
{
    QFETCH(QString, format);
    QFETCH(QString, suffix);
    QFETCH(bool, throughQImage);
    QFETCH(bool, color);
    QFETCH(bool, lossless);

    const Hobject picture = color ? gradientRgb(97, 61) : gradientGray(97, 61);
    const QString fileName = m_folder.filePath(QStringLiteral("round %1 %2 %3.%4")
                                                   .arg(format, throughQImage ? "qt" : "layer", color ? "rgb" : "gray", suffix));
    QCOMPARE(Halcon_Helper::SaveImageFile(fileName, picture, format, false, throughQImage), Errors::Type_Error(0));
    QVERIFY(QFileInfo::exists(fileName));

    Hobject loaded;
    QCOMPARE(Halcon_Helper::LoadImageFile(fileName, loaded), Errors::Type_Error(0));
    int width = 0;
    int height = 0;
    QCOMPARE(Halcon_Helper::GetImageSize(loaded, width, height), Errors::Type_Error(0));
    QCOMPARE(width, 97);
    QCOMPARE(height, 61);
    if (lossless) {
        QCOMPARE(maxPixelDifference(picture, loaded), 0);
    } else {
        const double mean = meanPixelDifference(picture, loaded);
        QVERIFY2(mean >= 0.0 && mean < 4.0, qPrintable(QString::number(mean)));
    }
}

void tst_PictureFiles::fileDialogOffersWhatLoads_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("tif") << "tiff" << "tif";
    QTest::newRow("tiff") << "tiff" << "tiff";
    QTest::newRow("jpg") << "jpeg" << "jpg";
    QTest::newRow("jpeg") << "jpeg" << "jpeg";
    QTest::newRow("png") << "png" << "png";
    QTest::newRow("bmp") << "bmp" << "bmp";
}

// A picture that loads is one the operator can pick: the filter knows both spellings.
void tst_PictureFiles::fileDialogOffersWhatLoads()
{
    QFETCH(QString, format);
    QFETCH(QString, suffix);
    const QString fileName = m_folder.filePath(QStringLiteral("offered.") + suffix);
    QCOMPARE(Halcon_Helper::SaveImageFile(fileName, gradientGray(31, 17), format, false, true), Errors::Type_Error(0));
    Hobject loaded;
    QCOMPARE(Halcon_Helper::LoadImageFile(fileName, loaded), Errors::Type_Error(0));

    const QString filter = Halcon_Helper::PictureFileFilter();
    const QString patterns = filter.mid(filter.indexOf(QLatin1Char('(')) + 1).chopped(1);
    bool offered = false;
    for (const QString& pattern : patterns.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QRegularExpression wildcard(QRegularExpression::wildcardToRegularExpression(pattern));
        offered = offered || wildcard.match(QFileInfo(fileName).fileName()).hasMatch();
    }
    QVERIFY2(offered, qPrintable(filter));
}

void tst_PictureFiles::qtFormatsWriteWhatTheyClaim()
{
    const Hobject picture = gradientRgb(300, 200);

    // "jp2" through a Qt image is a JPEG file whatever its name says.
    const QString jp2 = m_folder.filePath(QStringLiteral("claim.jp2"));
    QCOMPARE(Halcon_Helper::SaveImageFile(jp2, picture, QStringLiteral("jp2"), false, true), Errors::Type_Error(0));
    QVERIFY(fileBytes(jp2).startsWith(QByteArray("\xFF\xD8\xFF")));

    // "png best" compresses harder than "png fastest".
    const QString best = m_folder.filePath(QStringLiteral("best.png"));
    const QString fastest = m_folder.filePath(QStringLiteral("fastest.png"));
    QCOMPARE(Halcon_Helper::SaveImageFile(best, picture, QStringLiteral("png best"), false, true), Errors::Type_Error(0));
    QCOMPARE(Halcon_Helper::SaveImageFile(fastest, picture, QStringLiteral("png fastest"), false, true),
             Errors::Type_Error(0));
    QVERIFY(fileBytes(best).startsWith(QByteArray("\x89PNG")));
    QVERIFY2(QFileInfo(best).size() <= QFileInfo(fastest).size(),
             qPrintable(QStringLiteral("%1 > %2").arg(QFileInfo(best).size()).arg(QFileInfo(fastest).size())));

    // The layer gets "png best" as it stands and writes a PNG.
    const QString layerBest = m_folder.filePath(QStringLiteral("layer best.png"));
    QCOMPARE(Halcon_Helper::SaveImageFile(layerBest, picture, QStringLiteral("png best"), false, false),
             Errors::Type_Error(0));
    QVERIFY(fileBytes(layerBest).startsWith(QByteArray("\x89PNG")));
}

void tst_PictureFiles::unknownFormat_data()
{
    QTest::addColumn<bool>("throughQImage");
    QTest::newRow("via Qt") << true;
    QTest::newRow("via layer") << false;
}

void tst_PictureFiles::unknownFormat()
{
    QFETCH(bool, throughQImage);
    const QString fileName = m_folder.filePath(QStringLiteral("unknown %1.gif").arg(throughQImage));
    QCOMPARE(Halcon_Helper::SaveImageFile(fileName, gradientGray(8, 8), QStringLiteral("gif"), false, throughQImage),
             Errors::Type_Error(55));
    QVERIFY(!QFileInfo::exists(fileName));
}

void tst_PictureFiles::cropToDomain()
{
    const Hobject picture = gradientRgb(50, 40);
    Hobject reduced;
    QCOMPARE(Halcon_Helper::ReduceDomain(picture, rectangleRegion(5, 10, 14, 29), reduced), Errors::Type_Error(0));

    for (bool qt : {false, true}) {
        const QString fileName = m_folder.filePath(QStringLiteral("crop %1.png").arg(qt));
        QCOMPARE(Halcon_Helper::SaveImageFile(fileName, reduced, QStringLiteral("png"), true, qt), Errors::Type_Error(0));
        Hobject loaded;
        QCOMPARE(Halcon_Helper::LoadImageFile(fileName, loaded), Errors::Type_Error(0));
        int width = 0;
        int height = 0;
        QCOMPARE(Halcon_Helper::GetImageSize(loaded, width, height), Errors::Type_Error(0));
        QCOMPARE(width, 20);
        QCOMPARE(height, 10);
        QCOMPARE(pixel(loaded, 0, 0, 0), pixel(picture, 5, 10, 0));
        QCOMPARE(pixel(loaded, 9, 19, 2), pixel(picture, 14, 29, 2));
    }
}

void tst_PictureFiles::unicodeFileNames_data()
{
    QTest::addColumn<bool>("throughQImage");
    QTest::newRow("via Qt") << true;
    QTest::newRow("via layer") << false;
}

void tst_PictureFiles::unicodeFileNames()
{
    QFETCH(bool, throughQImage);
    // Characters beyond Latin-1 as well as Latin-1 ones that differ in UTF-8.
    const QString folder = m_folder.filePath(QStringLiteral("Bilder ÄÖÜ 日本"));
    QVERIFY(QDir().mkpath(folder));
    const QString fileName = folder + QStringLiteral("/Platte €_é_%1.png").arg(throughQImage);
    const Hobject picture = gradientGray(16, 12);

    QCOMPARE(Halcon_Helper::SaveImageFile(fileName, picture, QStringLiteral("png"), false, throughQImage),
             Errors::Type_Error(0));
    QVERIFY(QFileInfo::exists(fileName));
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 1);

    Hobject loaded;
    QCOMPARE(Halcon_Helper::LoadImageFile(fileName, loaded), Errors::Type_Error(0));
    QCOMPARE(maxPixelDifference(picture, loaded), 0);
    QVERIFY(QFile::remove(fileName));
}

void tst_PictureFiles::loadFailures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("create");
    QTest::addColumn<int>("expected");

    QByteArray png;
    {
        QImage image(64, 64, QImage::Format_RGB32);
        image.fill(qRgb(1, 2, 3));
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "png");
    }
    QTest::newRow("missing") << "missing.png" << QByteArray() << false << 51;
    QTest::newRow("empty file") << "empty.png" << QByteArray() << true << 54;
    QTest::newRow("text file") << "text.png" << QByteArray("this is no picture\n") << true << 54;
    QTest::newRow("truncated png") << "cut.png" << png.left(png.size() / 3) << true << 54;
    QTest::newRow("png header only") << "header.png" << png.left(8) << true << 54;
    QTest::newRow("folder") << "a folder.png" << QByteArray() << false << 54;
}

void tst_PictureFiles::loadFailures()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, create);
    QFETCH(int, expected);

    const QString fileName = m_folder.filePath(name);
    if (create)
        writeBytes(fileName, content);
    if (name == QLatin1String("a folder.png"))
        QVERIFY(QDir().mkpath(fileName));

    const Hobject before = gradientGray(3, 3);
    Hobject image = before;
    QCOMPARE(int(Halcon_Helper::LoadImageFile(fileName, image)), expected);
    QVERIFY(image.SharesElementsWith(before));
}

void tst_PictureFiles::folderChecks()
{
    // A missing folder is reported, not made.
    const QString missingFolder = m_folder.filePath(QStringLiteral("no such folder"));
    QCOMPARE(Halcon_Helper::SaveImageFile(missingFolder + QStringLiteral("/a.png"), gradientGray(4, 4),
                                          QStringLiteral("png"), false, false),
             Errors::Type_Error(50));
    QVERIFY(!QFileInfo::exists(missingFolder));

    // Objects that are not images are refused before the folder is looked at.
    QCOMPARE(Halcon_Helper::SaveImageFile(missingFolder + QStringLiteral("/a.png"), rectangleRegion(0, 0, 3, 3),
                                          QStringLiteral("png"), false, false),
             Errors::Type_Error(41));
    QCOMPARE(Halcon_Helper::SaveImageFile(m_folder.filePath(QStringLiteral("e.png")), Hobject(), QStringLiteral("png"),
                                          false, true),
             Errors::Type_Error(41));
    QVERIFY(!QFileInfo::exists(m_folder.filePath(QStringLiteral("e.png"))));

    // A file standing where the folder should be is no folder either.
    const QString plainFile = m_folder.filePath(QStringLiteral("plain"));
    writeBytes(plainFile, "x");
    QCOMPARE(Halcon_Helper::SaveImageFile(plainFile + QStringLiteral("/a.png"), gradientGray(4, 4), QStringLiteral("png"),
                                          false, true),
             Errors::Type_Error(50));
}

void tst_PictureFiles::notWritableFolder()
{
    if (geteuid() == 0)
        QSKIP("root may write into any folder");
    const QString folder = m_folder.filePath(QStringLiteral("read only"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const Errors::Type_Error result = Halcon_Helper::SaveImageFile(folder + QStringLiteral("/a.png"), gradientGray(4, 4),
                                                                   QStringLiteral("png"), false, false);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(result, Errors::Type_Error(52));
}

void tst_PictureFiles::diskSpace_data()
{
    QTest::addColumn<double>("freeMB");
    QTest::addColumn<double>("availableMB");
    QTest::addColumn<int>("expected");
    QTest::newRow("exactly 100 MB") << 100.0 << 100.0 << 0;
    QTest::newRow("99.9 MB") << 99.9 << 99.9 << 53;
    QTest::newRow("full disk") << 0.0 << 0.0 << 53;
    QTest::newRow("query fails") << -1.0 << -1.0 << 50;
    QTest::newRow("free space kept for root") << 1.0e6 << 50.0 << 53;
    QTest::newRow("enough left to us") << 1.0e6 << 100.0 << 0;
}

void tst_PictureFiles::diskSpace()
{
    QFETCH(double, freeMB);
    QFETCH(double, availableMB);
    QFETCH(int, expected);

    // An earlier picture under the same name must survive a refused save.
    const QString fileName = m_folder.filePath(QStringLiteral("disk %1.png").arg(freeMB));
    QCOMPARE(Halcon_Helper::SaveImageFile(fileName, gradientGray(10, 10), QStringLiteral("png"), false, false),
             Errors::Type_Error(0));
    const QByteArray before = fileBytes(fileName);

    FakeDiskSpace::freeMB = freeMB;
    FakeDiskSpace::availableMB = availableMB;
    for (bool qt : {false, true}) {
        QCOMPARE(int(Halcon_Helper::SaveImageFile(fileName, gradientRgb(30, 30), QStringLiteral("png"), false, qt)),
                 expected);
        if (expected != 0)
            QCOMPARE(fileBytes(fileName), before);
    }
    if (expected == 0)
        QVERIFY(fileBytes(fileName) != before);
}

void tst_PictureFiles::failedSaveKeepsThePicture_data()
{
    QTest::addColumn<bool>("throughQImage");
    QTest::newRow("via Qt") << true;
    QTest::newRow("via layer") << false;
}

void tst_PictureFiles::failedSaveKeepsThePicture()
{
    QFETCH(bool, throughQImage);
    QTemporaryDir folder;
    const QString fileName = folder.filePath(QStringLiteral("keep.jpg"));
    QCOMPARE(Halcon_Helper::SaveImageFile(fileName, gradientRgb(40, 30), QStringLiteral("jpeg"), false, throughQImage),
             Errors::Type_Error(0));
    const QByteArray good = fileBytes(fileName);
    QVERIFY(!good.isEmpty());

    // JPEG cannot hold a picture this wide: the writer fails once it has begun.
    const Hobject tooWide = gradientGray(70000, 1);
    QCOMPARE(Halcon_Helper::SaveImageFile(fileName, tooWide, QStringLiteral("jpeg"), false, throughQImage),
             Errors::Type_Error(55));
    QCOMPARE(fileBytes(fileName), good);
    // Nothing half-written is left beside it.
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"keep.jpg"});
}

void tst_PictureFiles::toQImageGray()
{
    // Odd widths make Qt pad its rows, which a plain copy of the block would smear.
    const Hobject picture = gradientGray(1001, 5);
    QImage image(3, 3, QImage::Format_RGB32);
    QCOMPARE(Halcon_Helper::ToQImage(picture, image), Errors::Type_Error(0));
    QCOMPARE(image.format(), QImage::Format_Indexed8);
    QCOMPARE(image.size(), QSize(1001, 5));
    QCOMPARE(image.colorCount(), 256);
    QCOMPARE(image.color(0), qRgba(0, 0, 0, 255));
    QCOMPARE(image.color(200), qRgba(200, 200, 200, 255));
    for (int row = 0; row < 5; ++row)
        for (int column : {0, 1, 500, 999, 1000})
            QCOMPARE(int(image.scanLine(row)[column]), pixel(picture, row, column));
}

void tst_PictureFiles::toQImageRgb()
{
    const Hobject picture = gradientRgb(33, 7);
    QImage image;
    QCOMPARE(Halcon_Helper::ToQImage(picture, image), Errors::Type_Error(0));
    QCOMPARE(image.format(), QImage::Format_ARGB32);
    for (int row = 0; row < 7; ++row) {
        for (int column = 0; column < 33; ++column) {
            const QRgb value = image.pixel(column, row);
            QCOMPARE(qAlpha(value), 255);
            QCOMPARE(qRed(value), pixel(picture, row, column, 0));
            QCOMPARE(qGreen(value), pixel(picture, row, column, 1));
            QCOMPARE(qBlue(value), pixel(picture, row, column, 2));
        }
    }
}

void tst_PictureFiles::toQImageRejects_data()
{
    QTest::addColumn<Hobject>("object");
    QTest::addColumn<int>("expected");

    Hobject real;
    Halcon::gen_image_const(&real, "real", 4, 4);
    QTest::newRow("region") << rectangleRegion(0, 0, 3, 3) << 41;
    QTest::newRow("empty") << Hobject() << 41;
    QTest::newRow("real pixels") << real << 41;
}

void tst_PictureFiles::toQImageRejects()
{
    QFETCH(Hobject, object);
    QFETCH(int, expected);
    QImage image(2, 2, QImage::Format_RGB32);
    QCOMPARE(int(Halcon_Helper::ToQImage(object, image)), expected);
    QVERIFY(image.isNull());
}

void tst_PictureFiles::logLines()
{
    {
        QMutexLocker locker(&g_linesLock);
        g_lines.clear();
    }
    const QString missing = m_folder.filePath(QStringLiteral("gone.png"));
    const QString saved = m_folder.filePath(QStringLiteral("logged.png"));
    const QtMessageHandler previous = qInstallMessageHandler(captureMessages);
    Hobject image;
    Halcon_Helper::LoadImageFile(missing, image);
    Halcon_Helper::SaveImageFile(saved, gradientGray(4, 4), QStringLiteral("png"), false, true);
    Halcon_Helper::SaveImageFile(saved, gradientGray(4, 4), QStringLiteral("gif"), false, true);
    qInstallMessageHandler(previous);

    QCOMPARE(g_lines.size(), 6);
    const QString prefix = QStringLiteral(" [PictureTest] ");
    for (const QString& line : g_lines)
        QVERIFY2(line.indexOf(prefix) == 23, qPrintable(line));
    const QString load = QStringLiteral("Halcon_Helper::LoadImageFile(\"%1\") ").arg(missing);
    QVERIFY(g_lines[0].endsWith(prefix + load));
    QVERIFY(g_lines[1].endsWith(prefix + load + QStringLiteral("-> error=51,errorText=\"%1\" ")
                                                     .arg(Errors::getErrorText(51))));
    const QString save = QStringLiteral("Halcon_Helper::SaveImageFile(\"%1\",\"png\") ").arg(saved);
    QVERIFY(g_lines[2].endsWith(prefix + save));
    QVERIFY(g_lines[3].endsWith(prefix + save + QStringLiteral("-> Finished ")));
    const QString gif = QStringLiteral("Halcon_Helper::SaveImageFile(\"%1\",\"gif\") ").arg(saved);
    QVERIFY2(g_lines[5].endsWith(prefix + gif + QStringLiteral("-> error=55,errorText=\"%1\" ")
                                                    .arg(Errors::getErrorText(55))),
             qPrintable(g_lines[5]));
}

QTEST_GUILESS_MAIN(tst_PictureFiles)
#include "tst_PictureFiles.moc"
