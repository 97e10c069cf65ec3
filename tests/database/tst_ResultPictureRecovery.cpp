// The picture files at open: the recovery looks only at the database's own picture plan. A
// private file of a gone process whose picture name a committed row holds becomes that
// picture; one that no row names goes, with its writes cut off half way; a file the plan does
// not name, a plan of a living or unknown process, a private file of another database and a
// name another file already holds are never touched.

#include "DatabaseTestSupport.h"

#include "DatabaseTableZelvorinImageStitcher.h"
#include "DatabaseTableZelvorinImageStitcherPicture.h"
#include "DatabaseTableZelvorinPicturePlan.h"
#include "DatabaseTableZelvorinRack.h"
#include "Halcon_Helper.h"
#include "Halcon_PictureSpool.h"
#include "HalconTestPictures.h"
#include "Process_Identity.h"
#include "ResultPictureNames.h"
#include "ResultPictureRecovery.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace DatabaseTestSupport;
using Names = ResultPictureNames;
using Plan = DatabaseTableZelvorinPicturePlan;

namespace {

const QString kFormat = QStringLiteral("png fastest");
const QString kOtherKey = QStringLiteral("fedcba9876543210fedcba9876543210");

bool touch(const QString& path, const QByteArray& bytes = "x")
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// This process's identity with its start time replaced: a process that is gone.
QString goneOwner()
{
    return Process_Identity::current().section(QLatin1Char('/'), 0, 3) + QStringLiteral("/1");
}

QString unknownOwner()
{
    return QStringLiteral("0123456789abcdef0123456789abcdef/") + Process_Identity::current().section(QLatin1Char('/'), 1);
}

QString privateName(Names::Kind kind, const QString& key, int number, const char* suffix)
{
    return Names::privatePrefix(kind, key) + QStringLiteral("%1").arg(number, 32, 10, QLatin1Char('0'))
        + QLatin1String(suffix);
}

} // namespace

class tst_ResultPictureRecovery : public QObject {
    Q_OBJECT
private slots:
    void names_data();
    void names();
    void onlyPlannedWorkOfGoneProcessesIsTouched();
    void unreadablePlanTouchesNothing();
    void planTablesAreMadeInAnOlderDatabase();

private:
    // A rack row that names its picture in folder; its key.
    static Database::ID addRack(ApplicationDatabase& db, const QString& folder);
    static Database::ID addPlan(ApplicationDatabase& db, const QString& owner, const QString& privateFile,
                                const QString& pictureFile = QString());
    static QStringList planFiles(ApplicationDatabase& db);
};

void tst_ResultPictureRecovery::names_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("key");
    using E = ResultPictureNames::Entry;
    const QString key = QStringLiteral("0123456789abcdef0123456789abcdef");
    QTest::newRow("rack picture") << "zelvorin_00000042_Rack.png" << int(E::Picture) << int(Names::Rack) << 42 << QString();
    QTest::newRow("stitched picture") << "zelvorin_00000007_Stitcher.png" << int(E::Picture) << int(Names::Stitcher) << 7
                                      << QString();
    QTest::newRow("key of ten digits") << "zelvorin_2147483647_StitcherPicture.png" << int(E::Picture)
                                       << int(Names::StitcherPicture) << 2147483647 << QString();
    QTest::newRow("private picture") << privateName(Names::Rack, key, 1, ".png") << int(E::PrivateFile)
                                     << int(Names::Rack) << -1 << key;
    QTest::newRow("private spool") << privateName(Names::Stitcher, kOtherKey, 2, ".spool") << int(E::PrivateFile)
                                   << int(Names::Stitcher) << -1 << kOtherKey;
    QTest::newRow("private picture cut off") << privateName(Names::Rack, key, 3, ".png.Qw12er") << int(E::PrivateFile)
                                             << int(Names::Rack) << -1 << key;
    // Anything else is somebody else's.
    QTest::newRow("key not as the program writes it") << "zelvorin_42_Rack.png" << int(E::Other) << 0 << -1 << QString();
    QTest::newRow("key beyond the identifier") << "zelvorin_2147483648_Rack.png" << int(E::Other) << 0 << -1 << QString();
    QTest::newRow("other format") << "zelvorin_00000042_Rack.jpg" << int(E::Other) << 0 << -1 << QString();
    QTest::newRow("other application") << "Zelvorin_00000042_Rack.png" << int(E::Other) << 0 << -1 << QString();
    QTest::newRow("hidden picture") << ".zelvorin_00000042_Rack.png" << int(E::Other) << 0 << -1 << QString();
    QTest::newRow("picture cut off") << "zelvorin_00000042_Rack.png.aB3xY9" << int(E::Other) << 0 << -1 << QString();
    QTest::newRow("private without a database key") << ".zelvorin_Rack_0123456789abcdef0123456789abcdef.png"
                                                    << int(E::Other) << 0 << -1 << QString();
    QTest::newRow("private of no kind") << privateName(Names::Rack, key, 4, ".png").replace("Rack", "Colony")
                                        << int(E::Other) << 0 << -1 << QString();
    QTest::newRow("private, key in capitals") << privateName(Names::Rack, key.toUpper(), 5, ".png") << int(E::Other) << 0
                                              << -1 << QString();
}

void tst_ResultPictureRecovery::names()
{
    QFETCH(QString, name);
    QFETCH(int, type);
    QFETCH(int, kind);
    QFETCH(int, id);
    QFETCH(QString, key);
    const ResultPictureNames::Entry entry = ResultPictureNames::classify(name);
    QCOMPARE(int(entry.type), type);
    QCOMPARE(entry.id, Database::ID(id));
    QCOMPARE(entry.databaseKey, key);
    if (entry.type != ResultPictureNames::Entry::Other)
        QCOMPARE(int(entry.kind), kind);
    if (entry.type == ResultPictureNames::Entry::Picture)
        QCOMPARE(name, ResultPictureNames::fileName(entry.kind, entry.id));
}

Database::ID tst_ResultPictureRecovery::addRack(ApplicationDatabase& db, const QString& folder)
{
    DatabaseTableZelvorinRack::Dataset rack = rackRow(QStringLiteral("R"), baseTime());
    if (db.tableRack()->Insert(rack) != 0)
        return -1;
    rack.PictureFilePath = Names::path(folder, Names::Rack, rack.RackID);
    return db.tableRack()->Update(rack) == 0 ? rack.RackID : -1;
}

Database::ID tst_ResultPictureRecovery::addPlan(ApplicationDatabase& db, const QString& owner, const QString& privateFile,
                                                const QString& pictureFile)
{
    Plan::Dataset row;
    row.Owner = owner;
    row.PrivateFile = privateFile;
    row.PictureFile = pictureFile;
    return db.tablePicturePlan()->Insert(row) == 0 ? row.PlanID : -1;
}

QStringList tst_ResultPictureRecovery::planFiles(ApplicationDatabase& db)
{
    QList<Plan::Dataset> rows;
    if (db.tablePicturePlan()->SelectAll(rows) != 0)
        return {QStringLiteral("unreadable")};
    QStringList files;
    for (const Plan::Dataset& row : std::as_const(rows))
        files.append(QFileInfo(row.PrivateFile).fileName());
    return files;
}

void tst_ResultPictureRecovery::onlyPlannedWorkOfGoneProcessesIsTouched()
{
    QTemporaryDir dir;
    std::unique_ptr<OpenDatabase> made = createDatabase(dir);
    QCOMPARE(made->createResult, Errors::Type_Error(0));
    ApplicationDatabase& db = *made->holder;
    QString key;
    QCOMPARE(db.pictureKey(key), Errors::Type_Error(0));
    QVERIFY(Names::isDatabaseKey(key));
    QVERIFY(key != kOtherKey);
    const QString folder = dir.filePath(QStringLiteral("pictures"));
    QVERIFY(QDir().mkpath(folder));
    const QDir pictures(folder);
    const Halcon::Hobject picture = HalconTestPictures::gradientRgb(30, 20);
    const auto file = [&](const QString& name) { return pictures.filePath(name); };
    const auto spool = [&](const QString& name) { return Halcon_PictureSpool::write(file(name), picture, kFormat) == 0; };
    const auto encoded = [&](const QString& name) {
        return Halcon_Helper::SaveImageFile(file(name), picture, kFormat, false, false) == 0;
    };
    const QString gone = goneOwner();

    // Committed racks of a killed process: one still spooled, one written at once, one whose
    // spool is damaged, one whose picture already had its name.
    const Database::ID spooled = addRack(db, folder);
    const Database::ID direct = addRack(db, folder);
    const Database::ID damaged = addRack(db, folder);
    const Database::ID named = addRack(db, folder);
    const Database::ID taken = addRack(db, folder);
    QVERIFY(spooled > 0 && direct > 0 && damaged > 0 && named > 0 && taken > 0);
    const QString spooledPrivate = privateName(Names::Rack, key, 1, ".spool");
    QVERIFY(spool(spooledPrivate));
    QVERIFY(touch(file(privateName(Names::Rack, key, 1, ".png.k2J9xQ"))));
    QVERIFY(addPlan(db, gone, file(spooledPrivate), Names::path(folder, Names::Rack, spooled)) > 0);
    const QString directPrivate = privateName(Names::Rack, key, 2, ".png");
    QVERIFY(encoded(directPrivate));
    QVERIFY(addPlan(db, gone, file(directPrivate), Names::path(folder, Names::Rack, direct)) > 0);
    const QString damagedPrivate = privateName(Names::Rack, key, 3, ".spool");
    QVERIFY(spool(damagedPrivate));
    {
        QFile torn(file(damagedPrivate));
        QVERIFY(torn.resize(torn.size() - 1));
    }
    QVERIFY(addPlan(db, gone, file(damagedPrivate), Names::path(folder, Names::Rack, damaged)) > 0);
    QVERIFY(encoded(Names::fileName(Names::Rack, named)));
    QVERIFY(addPlan(db, gone, file(privateName(Names::Rack, key, 4, ".png")), Names::path(folder, Names::Rack, named)) > 0);
    // Another database that shares the folder gave the name first: both files stay.
    const QString takenPrivate = privateName(Names::Rack, key, 5, ".png");
    QVERIFY(encoded(takenPrivate));
    QVERIFY(touch(file(Names::fileName(Names::Rack, taken)), "another database's"));
    QVERIFY(addPlan(db, gone, file(takenPrivate), Names::path(folder, Names::Rack, taken)) > 0);

    // Saves killed before their rows were committed, and a stitched picture whose row was
    // deleted before the writer came to it.
    const QString uncommitted = privateName(Names::Stitcher, key, 6, ".png");
    QVERIFY(touch(file(uncommitted)));
    QVERIFY(touch(file(uncommitted + QStringLiteral(".Ab12Cd"))));
    QVERIFY(addPlan(db, gone, file(uncommitted)) > 0);
    QVERIFY(addPlan(db, gone, file(privateName(Names::Rack, key, 7, ".spool"))) > 0); // never written
    const QString pruned = privateName(Names::Stitcher, key, 8, ".spool");
    QVERIFY(spool(pruned));
    QVERIFY(addPlan(db, gone, file(pruned), Names::path(folder, Names::Stitcher, 900)) > 0);

    // Work that is not this recovery's: of this process (a save on its way), of a process it
    // cannot judge, a private file of another database, a path that is no private file.
    const QStringList untouchedPlans{privateName(Names::Rack, key, 9, ".spool"), privateName(Names::Rack, key, 10, ".spool"),
                                     privateName(Names::Rack, kOtherKey, 11, ".spool"), QStringLiteral("notes.txt")};
    QVERIFY(addPlan(db, Process_Identity::current(), file(untouchedPlans[0])) > 0);
    QVERIFY(addPlan(db, unknownOwner(), file(untouchedPlans[1])) > 0);
    QVERIFY(addPlan(db, gone, file(untouchedPlans[2])) > 0);
    QVERIFY(addPlan(db, gone, file(untouchedPlans[3])) > 0);
    for (const QString& name : untouchedPlans)
        QVERIFY(touch(file(name)));
    // Files no plan names: a stitched picture no row names, a private file of this database.
    const QStringList foreign{Names::fileName(Names::Stitcher, 901), privateName(Names::Rack, key, 12, ".spool"),
                              Names::fileName(Names::Rack, 903)};
    for (const QString& name : foreign)
        QVERIFY(touch(file(name)));

    ResultPictureRecovery::Report report;
    QCOMPARE(ResultPictureRecovery::run(db, &report), Errors::Type_Error(0));

    QStringList expected = foreign + untouchedPlans;
    expected << Names::fileName(Names::Rack, spooled) << Names::fileName(Names::Rack, direct)
             << Names::fileName(Names::Rack, named) << Names::fileName(Names::Rack, taken) << takenPrivate;
    expected.sort();
    QCOMPARE(pictures.entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
    for (const Database::ID rack : {spooled, direct, named}) {
        Halcon::Hobject loaded;
        QCOMPARE(Halcon_Helper::LoadImageFile(Names::path(folder, Names::Rack, rack), loaded), Errors::Type_Error(0));
        QCOMPARE(HalconTestPictures::maxPixelDifference(loaded, picture), 0);
    }
    QCOMPARE(TestFixtures::fileBytes(file(Names::fileName(Names::Rack, taken))), QByteArray("another database's"));
    QCOMPARE(report.named, 2);
    QCOMPARE(report.removed, 4);
    QCOMPARE(report.kept, 5);
    // The plans of what was finished or removed are gone; the others wait.
    QStringList plans = planFiles(db);
    plans.sort();
    QStringList waiting = untouchedPlans + QStringList{takenPrivate};
    waiting.sort();
    QCOMPARE(plans, waiting);
    QVERIFY(made->handler.reports.isEmpty());
}

void tst_ResultPictureRecovery::unreadablePlanTouchesNothing()
{
    QTemporaryDir dir;
    std::unique_ptr<OpenDatabase> made = createDatabase(dir);
    QCOMPARE(made->createResult, Errors::Type_Error(0));
    QString key;
    QCOMPARE(made->holder->pictureKey(key), Errors::Type_Error(0));
    const QString leftOver = dir.filePath(privateName(Names::Rack, key, 1, ".png"));
    QVERIFY(touch(leftOver));
    QVERIFY(addPlan(*made->holder, goneOwner(), leftOver) > 0);
    QVERIFY(touch(dir.filePath(Names::fileName(Names::Stitcher, 5))));
    const QStringList before = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    made->holder->database()->close();
    QCOMPARE(ResultPictureRecovery::run(*made->holder), Errors::Type_Error(84));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), before);
}

void tst_ResultPictureRecovery::planTablesAreMadeInAnOlderDatabase()
{
    // A version-4 database of an earlier program has neither table; the open makes them and
    // gives the database its key, the same at every open.
    QTemporaryDir dir;
    std::unique_ptr<OpenDatabase> made = createDatabase(dir);
    QCOMPARE(made->createResult, Errors::Type_Error(0));
    const QString path = made->filePath;
    QCOMPARE(rowCount(*made->holder, QStringLiteral("ZelvorinPicturePlan")), -1);
    made.reset();

    QStringList keys;
    for (int open = 0; open < 2; ++open) {
        RecordingErrorHandler handler;
        ApplicationDatabase db(&handler, QStringLiteral("older"));
        AppSettings::DatabaseSettings settings = sqliteSettingsIn(dir.path());
        settings.SQLite3.Filename = path;
        QCOMPARE(db.openDatabase(settings), Errors::Type_Error(0));
        QCOMPARE(rowCount(db, QStringLiteral("ZelvorinPicturePlan")), 0);
        QCOMPARE(rowCount(db, QStringLiteral("ZelvorinDatabaseIdentity")), 1);
        QString key;
        QCOMPARE(db.pictureKey(key), Errors::Type_Error(0));
        keys.append(key);
        QVERIFY(handler.reports.isEmpty());
    }
    QCOMPARE(keys.at(0), keys.at(1));
    QVERIFY(Names::isDatabaseKey(keys.at(0)));
}

QTEST_GUILESS_MAIN(tst_ResultPictureRecovery)
#include "tst_ResultPictureRecovery.moc"
