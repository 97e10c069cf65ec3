// The picture folder at open: spools of committed rows become their pictures, what killed
// saves left is removed, and nothing a row names, nothing still being written and no file of
// a name the program does not make is ever touched.

#include "DatabaseTestSupport.h"

#include "DatabaseTableZelvorinImageStitcher.h"
#include "DatabaseTableZelvorinImageStitcherPicture.h"
#include "DatabaseTableZelvorinRack.h"
#include "Halcon_Helper.h"
#include "Halcon_PictureSpool.h"
#include "HalconTestPictures.h"
#include "ResultPictureNames.h"
#include "ResultPictureRecovery.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace DatabaseTestSupport;
using Names = ResultPictureNames;

namespace {

const QString kFormat = QStringLiteral("png fastest");

QString spoolName(const QString& pictureName)
{
    return QLatin1Char('.') + pictureName + QStringLiteral(".spool");
}

bool touch(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
}

} // namespace

class tst_ResultPictureRecovery : public QObject {
    Q_OBJECT
private slots:
    void names_data();
    void names();
    void folderIsPutRight();
    void unreadableRowsTouchNothing();

private:
    // A rack row that names its picture in folder; its key.
    Database::ID addRack(ApplicationDatabase& db, const QString& folder);
};

void tst_ResultPictureRecovery::names_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("id");
    using E = ResultPictureNames::Entry;
    QTest::newRow("rack picture") << "zelvorin_00000042_Rack.png" << int(E::Picture) << int(Names::Rack) << 42;
    QTest::newRow("stitched picture") << "zelvorin_00000007_Stitcher.png" << int(E::Picture) << int(Names::Stitcher) << 7;
    QTest::newRow("key of ten digits") << "zelvorin_2147483647_StitcherPicture.png" << int(E::Picture)
                                       << int(Names::StitcherPicture) << 2147483647;
    QTest::newRow("spool") << ".zelvorin_00000007_StitcherPicture.png.spool" << int(E::Spool)
                           << int(Names::StitcherPicture) << 7;
    QTest::newRow("write cut off") << "zelvorin_00000042_Rack.png.aB3xY9" << int(E::UnfinishedPicture)
                                   << int(Names::Rack) << 42;
    QTest::newRow("private picture") << ".zelvorin_Rack_0123456789abcdef0123456789abcdef.png" << int(E::PrivateFile)
                                     << 0 << -1;
    QTest::newRow("private spool") << ".zelvorin_Stitcher_0123456789abcdef0123456789abcdef.spool"
                                   << int(E::PrivateFile) << 0 << -1;
    QTest::newRow("private picture cut off") << ".zelvorin_Rack_0123456789abcdef0123456789abcdef.png.Qw12er"
                                             << int(E::PrivateFile) << 0 << -1;
    // Anything else is somebody else's.
    QTest::newRow("key not as the program writes it") << "zelvorin_42_Rack.png" << int(E::Other) << 0 << -1;
    QTest::newRow("key beyond the identifier") << "zelvorin_2147483648_Rack.png" << int(E::Other) << 0 << -1;
    QTest::newRow("other format") << "zelvorin_00000042_Rack.jpg" << int(E::Other) << 0 << -1;
    QTest::newRow("other application") << "Zelvorin_00000042_Rack.png" << int(E::Other) << 0 << -1;
    QTest::newRow("hidden picture") << ".zelvorin_00000042_Rack.png" << int(E::Other) << 0 << -1;
    QTest::newRow("spool without its dot") << "zelvorin_00000042_Rack.png.spool" << int(E::Other) << 0 << -1;
    QTest::newRow("backup") << "zelvorin_00000042_Rack.png.bak" << int(E::Other) << 0 << -1;
    QTest::newRow("private of no kind") << ".zelvorin_Colony_0123456789abcdef0123456789abcdef.png" << int(E::Other)
                                        << 0 << -1;
    QTest::newRow("private, short") << ".zelvorin_Rack_0123.png" << int(E::Other) << 0 << -1;
}

void tst_ResultPictureRecovery::names()
{
    QFETCH(QString, name);
    QFETCH(int, type);
    QFETCH(int, kind);
    QFETCH(int, id);
    const ResultPictureNames::Entry entry = ResultPictureNames::classify(name);
    QCOMPARE(int(entry.type), type);
    QCOMPARE(entry.id, Database::ID(id));
    if (entry.type == ResultPictureNames::Entry::Other || entry.type == ResultPictureNames::Entry::PrivateFile)
        return;
    QCOMPARE(int(entry.kind), kind);
    QCOMPARE(entry.pictureName, ResultPictureNames::fileName(entry.kind, entry.id));
}

Database::ID tst_ResultPictureRecovery::addRack(ApplicationDatabase& db, const QString& folder)
{
    DatabaseTableZelvorinRack::Dataset rack = rackRow(QStringLiteral("R"), baseTime());
    if (db.tableRack()->Insert(rack) != 0)
        return -1;
    rack.PictureFilePath = Names::path(folder, Names::Rack, rack.RackID);
    return db.tableRack()->Update(rack) == 0 ? rack.RackID : -1;
}

void tst_ResultPictureRecovery::folderIsPutRight()
{
    QTemporaryDir dir;
    std::unique_ptr<OpenDatabase> made = createDatabase(dir);
    QCOMPARE(made->createResult, Errors::Type_Error(0));
    ApplicationDatabase& db = *made->holder;
    const QString folder = dir.filePath(QStringLiteral("pictures"));
    QVERIFY(QDir().mkpath(folder));
    const QDir pictures(folder);
    const Halcon::Hobject picture = HalconTestPictures::gradientRgb(30, 20);
    const auto spoolFor = [&](const QString& name) {
        return Halcon_PictureSpool::write(Halcon_PictureSpool::spoolFileFor(pictures.filePath(name)), picture, kFormat) == 0;
    };

    // Racks: one whose picture is still a spool, one whose spool is damaged, one whose spool
    // this process is still writing, one with its picture.
    const Database::ID spooled = addRack(db, folder);
    const Database::ID damaged = addRack(db, folder);
    const Database::ID writing = addRack(db, folder);
    const Database::ID whole = addRack(db, folder);
    QVERIFY(spooled > 0 && damaged > 0 && writing > 0 && whole > 0);
    QVERIFY(spoolFor(Names::fileName(Names::Rack, spooled)));
    QVERIFY(spoolFor(Names::fileName(Names::Rack, damaged)));
    {
        QFile torn(Halcon_PictureSpool::spoolFileFor(Names::path(folder, Names::Rack, damaged)));
        QVERIFY(torn.resize(torn.size() - 1));
    }
    QVERIFY(spoolFor(Names::fileName(Names::Rack, writing)));
    QVERIFY(touch(Names::path(folder, Names::Rack, whole)));
    // A stitcher result with its stitched picture and a position picture still spooled; the
    // position row's path lies in a folder the pictures were moved from.
    DatabaseTableZelvorinImageStitcher::Dataset stitcher;
    QCOMPARE(db.tableImageStitcher()->Insert(stitcher), Errors::Type_Error(0));
    stitcher.PictureFilePath = Names::path(folder, Names::Stitcher, stitcher.ImageStitcherID);
    QCOMPARE(db.tableImageStitcher()->Update(stitcher), Errors::Type_Error(0));
    QVERIFY(touch(stitcher.PictureFilePath));
    DatabaseTableZelvorinImageStitcherPicture::Dataset position;
    position.ImageStitcherID = stitcher.ImageStitcherID;
    QCOMPARE(db.tableImageStitcherPicture()->Insert(position), Errors::Type_Error(0));
    const QString positionName = Names::fileName(Names::StitcherPicture, position.ImageStitcherPictureID);
    position.PictureFilePath = QStringLiteral("C:\\old place\\") + positionName;
    QCOMPARE(db.tableImageStitcherPicture()->Update(position), Errors::Type_Error(0));
    QVERIFY(spoolFor(positionName));
    // A stitcher row that stored no picture.
    DatabaseTableZelvorinImageStitcher::Dataset withoutPicture;
    QCOMPARE(db.tableImageStitcher()->Insert(withoutPicture), Errors::Type_Error(0));

    // Left by killed saves.
    const QStringList leftOver{
        spoolName(Names::fileName(Names::Rack, 900)),
        Names::fileName(Names::Stitcher, 901),
        Names::fileName(Names::StitcherPicture, 902),
        Names::fileName(Names::Stitcher, withoutPicture.ImageStitcherID),
        Names::fileName(Names::Rack, whole) + QStringLiteral(".k2J9xQ"),
        Names::privatePrefix(Names::Rack) + QStringLiteral("0123456789abcdef0123456789abcdef.png"),
        Names::privatePrefix(Names::Stitcher) + QStringLiteral("fedcba9876543210fedcba9876543210.spool"),
    };
    QVERIFY(spoolFor(Names::fileName(Names::Rack, 900)));
    for (const QString& name : leftOver.mid(1))
        QVERIFY(touch(pictures.filePath(name)));
    // Not the program's to remove: a rack picture no row names (a rack's picture is never
    // taken), files of other names.
    const QStringList foreign{Names::fileName(Names::Rack, 903), QStringLiteral("notes.txt"),
                              QStringLiteral("zelvorin_00000901_Stitcher.jpg"), QStringLiteral("zelvorin_901_Stitcher.png"),
                              QStringLiteral(".zelvorin_Rack_0123.png")};
    for (const QString& name : foreign)
        QVERIFY(touch(pictures.filePath(name)));

    const QString writingPicture = Names::path(folder, Names::Rack, writing);
    Halcon_PictureSpool::setPending(writingPicture, true);
    ResultPictureRecovery::Report report;
    const Errors::Type_Error result = ResultPictureRecovery::run(db, folder, &report);
    Halcon_PictureSpool::setPending(writingPicture, false);
    QCOMPARE(result, Errors::Type_Error(0));

    QStringList expected = foreign;
    expected << Names::fileName(Names::Rack, spooled) << Names::fileName(Names::Rack, whole)
             << spoolName(Names::fileName(Names::Rack, writing))
             << Names::fileName(Names::Stitcher, stitcher.ImageStitcherID) << positionName;
    expected.sort();
    QCOMPARE(pictures.entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
    QCOMPARE(report.promoted, 2);
    QCOMPARE(report.removed, leftOver.size() + 1);
    QCOMPARE(report.failed, 0);
    for (const QString& name : {Names::fileName(Names::Rack, spooled), positionName}) {
        Halcon::Hobject loaded;
        QCOMPARE(Halcon_Helper::LoadImageFile(pictures.filePath(name), loaded), Errors::Type_Error(0));
        QCOMPARE(HalconTestPictures::maxPixelDifference(loaded, picture), 0);
    }
    QVERIFY(made->handler.reports.isEmpty());
}

void tst_ResultPictureRecovery::unreadableRowsTouchNothing()
{
    // Without the rows nobody can tell a named picture from a left-over one.
    QTemporaryDir dir;
    std::unique_ptr<OpenDatabase> made = createDatabase(dir);
    QCOMPARE(made->createResult, Errors::Type_Error(0));
    QVERIFY(touch(dir.filePath(Names::fileName(Names::Stitcher, 5))));
    QVERIFY(touch(dir.filePath(Names::privatePrefix(Names::Rack) + QStringLiteral("0123456789abcdef0123456789abcdef.png"))));
    const QStringList before = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    made->holder->database()->close();
    QCOMPARE(ResultPictureRecovery::run(*made->holder, dir.path()), Errors::Type_Error(85));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), before);
}

QTEST_GUILESS_MAIN(tst_ResultPictureRecovery)
#include "tst_ResultPictureRecovery.moc"
