// Schema version and the deletion of old racks and stitching results on SQLite3.

#include "DatabaseTestSupport.h"

#include "DatabaseTableAll.h"
#include "DatabaseTableZelvorinColony.h"
#include "DatabaseTableZelvorinContainer.h"
#include "DatabaseTableZelvorinImageStitcher.h"
#include "DatabaseTableZelvorinImageStitcherPicture.h"
#include "DatabaseTableZelvorinRack.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

using namespace DatabaseTestSupport;

namespace {

QStringList removedFiles;

bool recordRemoval(const QString& filePath)
{
    removedFiles.append(filePath);
    return QFile::remove(filePath);
}

void touch(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("picture");
}

} // namespace

class tst_DatabaseTableAll : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void checkVersion_data();
    void checkVersion();
    void versionOnClosedConnection();
    void updateVersionNeedsOneRow();

    void deleteOldRacks_data();
    void deleteOldRacks();
    void deleteOldRacksWithoutConnection();
    void picturesGoWithTheOutermostCommit_data();
    void picturesGoWithTheOutermostCommit();
    void pruningBySettingsNeverEmptiesTheDatabase_data();
    void pruningBySettingsNeverEmptiesTheDatabase();
    void deleteOldImageStitchers();

private:
    QTemporaryDir* m_dir = nullptr;
    std::unique_ptr<OpenDatabase> m_db;
    ApplicationDatabase& holder() { return *m_db->holder; }
    // Five racks, oldest first, each with a picture file, a container and a colony.
    QList<Database::ID> fiveRacks();
};

void tst_DatabaseTableAll::init()
{
    removedFiles.clear();
    DatabaseTableAll::setFileRemover(&recordRemoval);
    m_dir = new QTemporaryDir;
    m_db = createDatabase(*m_dir);
    QCOMPARE(m_db->createResult, Errors::Type_Error(0));
}

void tst_DatabaseTableAll::cleanup()
{
    m_db.reset();
    delete m_dir;
    DatabaseTableAll::setFileRemover(nullptr);
}

void tst_DatabaseTableAll::checkVersion_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("report");
    QTest::newRow("version 4") << QString() << 0 << QString();
    QTest::newRow("version 3") << "UPDATE [ZelvorinDatabaseVersion] SET [Version]=3" << 91 << QString();
    QTest::newRow("version 5") << "UPDATE [ZelvorinDatabaseVersion] SET [Version]=5" << 91 << QString();
    QTest::newRow("empty version table") << "DELETE FROM [ZelvorinDatabaseVersion]" << 87
                                         << "Dataset [ZelvorinDatabaseVersion] not found";
    QTest::newRow("no version table") << "DROP TABLE [ZelvorinDatabaseVersion]" << 85
                                      << "SQL Statement error in table [ZelvorinDatabaseVersion]";
}

void tst_DatabaseTableAll::checkVersion()
{
    QFETCH(QString, change);
    QFETCH(int, expected);
    QFETCH(QString, report);
    if (!change.isEmpty())
        QVERIFY(execute(holder(), change));
    QCOMPARE(holder().tableAll()->CheckVersion(), Errors::Type_Error(expected));
    if (report.isEmpty()) {
        QVERIFY(m_db->handler.reports.isEmpty());
    } else {
        QCOMPARE(m_db->handler.reports.size(), 1);
        QVERIFY(m_db->handler.reports.at(0).second.contains(report));
    }
}

void tst_DatabaseTableAll::versionOnClosedConnection()
{
    holder().database()->close();
    int version = 7;
    QCOMPARE(holder().tableAll()->SelectVersion(version), Errors::Type_Error(84));
    QCOMPARE(version, 0);
    QCOMPARE(holder().tableAll()->CheckVersion(), Errors::Type_Error(84));
    QCOMPARE(holder().tableAll()->UpdateVersion(4), Errors::Type_Error(84));
    QVERIFY(m_db->handler.reports.isEmpty());
}

void tst_DatabaseTableAll::updateVersionNeedsOneRow()
{
    QCOMPARE(holder().tableAll()->UpdateVersion(5), Errors::Type_Error(0));
    int version = 0;
    QCOMPARE(holder().tableAll()->SelectVersion(version), Errors::Type_Error(0));
    QCOMPARE(version, 5);
    QVERIFY(execute(holder(), QStringLiteral("INSERT INTO [ZelvorinDatabaseVersion] ([Version]) VALUES (5)")));
    QCOMPARE(holder().tableAll()->UpdateVersion(4), Errors::Type_Error(89));
    QCOMPARE(m_db->handler.reports.size(), 1);
    QVERIFY(m_db->handler.reports.at(0).second.contains(QStringLiteral("SQL Update error in table [ZelvorinDatabaseVersion]")));
}

QList<Database::ID> tst_DatabaseTableAll::fiveRacks()
{
    QList<Database::ID> ids;
    for (int i = 0; i < 5; ++i) {
        // Inserted out of date order, so the walk must sort by date, not by key.
        const int age = (i * 3) % 5;
        DatabaseTableZelvorinRack::Dataset rack = rackRow(QStringLiteral("R%1").arg(age), baseTime().addDays(age));
        if (holder().tableRack()->Insert(rack) != 0)
            return {};
        rack.PictureFilePath = m_dir->filePath(QStringLiteral("rack%1.png").arg(age));
        if (age != 1)   // the picture of the second oldest rack is already gone
            touch(rack.PictureFilePath);
        if (holder().tableRack()->Update(rack) != 0)
            return {};
        DatabaseTableZelvorinContainer::Dataset container;
        container.RackID = rack.RackID;
        holder().tableContainer()->Insert(container);
        DatabaseTableZelvorinColony::Dataset colony;
        colony.ContainerID = container.ContainerID;
        holder().tableColony()->Insert(colony);
        ids.append(rack.RackID);
    }
    // Oldest first.
    QList<Database::ID> byAge(5);
    for (int i = 0; i < 5; ++i)
        byAge[(i * 3) % 5] = ids.at(i);
    return byAge;
}

void tst_DatabaseTableAll::deleteOldRacks_data()
{
    QTest::addColumn<int>("keepCount");
    QTest::addColumn<int>("deleted");
    QTest::newRow("keep three") << 3 << 2;
    QTest::newRow("keep five") << 5 << 0;
    QTest::newRow("keep more than stored") << 100 << 0;
    QTest::newRow("keep one") << 1 << 4;
    QTest::newRow("keep none empties the racks") << 0 << 5;
    QTest::newRow("negative empties the racks") << -3 << 5;
}

void tst_DatabaseTableAll::deleteOldRacks()
{
    QFETCH(int, keepCount);
    QFETCH(int, deleted);
    const QList<Database::ID> byAge = fiveRacks();
    QCOMPARE(byAge.size(), 5);
    QCOMPARE(holder().tableAll()->DeleteOldRacks(keepCount, true), Errors::Type_Error(0));
    QCOMPARE(rowCount(holder(), QStringLiteral("ZelvorinRack")), 5 - deleted);
    QCOMPARE(rowCount(holder(), QStringLiteral("ZelvorinContainer")), 5 - deleted);
    QCOMPARE(rowCount(holder(), QStringLiteral("ZelvorinColony")), 5 - deleted);
    // The oldest racks went, newest of them first, with their pictures.
    QStringList expectedRemovals;
    for (int age = 4; age >= 0; --age) {
        DatabaseTableZelvorinRack::ShortDataset row;
        const bool exists = holder().tableRack()->SelectShort(byAge.at(age), row) == 0;
        QCOMPARE(exists, age >= deleted);
        if (!exists)
            expectedRemovals.append(m_dir->filePath(QStringLiteral("rack%1.png").arg(age)));
        QCOMPARE(QFile::exists(m_dir->filePath(QStringLiteral("rack%1.png").arg(age))), exists && age != 1);
    }
    QCOMPARE(removedFiles, expectedRemovals);
    // Only the lookups above of racks that are gone report (87); the deletion reported nothing.
    QCOMPARE(m_db->handler.reports.size(), deleted);
}

void tst_DatabaseTableAll::deleteOldRacksWithoutConnection()
{
    RecordingErrorHandler handler;
    ApplicationDatabase never(&handler, QStringLiteral("never-opened"), nullptr, seamFactory());
    QCOMPARE(never.tableAll()->DeleteOldRacks(0, true), Errors::Type_Error(0));
    fiveRacks();
    holder().database()->close();
    QCOMPARE(holder().tableAll()->DeleteOldRacks(0, true), Errors::Type_Error(0));
    QVERIFY(removedFiles.isEmpty());
}

void tst_DatabaseTableAll::picturesGoWithTheOutermostCommit_data()
{
    QTest::addColumn<bool>("commit");
    QTest::addColumn<bool>("stitchers");
    QTest::newRow("racks, committed") << true << false;
    QTest::newRow("racks, rolled back") << false << false;
    QTest::newRow("stitching results, committed") << true << true;
    QTest::newRow("stitching results, rolled back") << false << true;
}

void tst_DatabaseTableAll::picturesGoWithTheOutermostCommit()
{
    QFETCH(bool, commit);
    QFETCH(bool, stitchers);
    QStringList pictures;
    if (stitchers) {
        DatabaseTableZelvorinImageStitcher::Dataset stitcher;
        stitcher.CreatedDate = baseTime();
        QCOMPARE(holder().tableImageStitcher()->Insert(stitcher), Errors::Type_Error(0));
        stitcher.PictureFilePath = m_dir->filePath(QStringLiteral("stitched.png"));
        touch(stitcher.PictureFilePath);
        QCOMPARE(holder().tableImageStitcher()->Update(stitcher), Errors::Type_Error(0));
        pictures.append(stitcher.PictureFilePath);
    } else {
        QCOMPARE(fiveRacks().size(), 5);
        // The three oldest go; the second oldest has no picture.
        for (const int age : {0, 2})
            pictures.append(m_dir->filePath(QStringLiteral("rack%1.png").arg(age)));
    }
    const char* table = stitchers ? "ZelvorinImageStitcher" : "ZelvorinRack";
    const int before = rowCount(holder(), QLatin1String(table));

    // A caller's transaction around the deletion: its rows are gone only with its commit.
    QCOMPARE(holder().beginTransaction(), Errors::Type_Error(0));
    if (stitchers)
        QCOMPARE(holder().tableAll()->DeleteOldImageStitchers(0, true), Errors::Type_Error(0));
    else
        QCOMPARE(holder().tableAll()->DeleteOldRacks(2, true), Errors::Type_Error(0));
    for (const QString& picture : std::as_const(pictures))
        QVERIFY2(QFile::exists(picture), qPrintable(picture));
    QVERIFY(removedFiles.isEmpty());

    if (commit) {
        QCOMPARE(holder().commitTransaction(), Errors::Type_Error(0));
        for (const QString& picture : std::as_const(pictures))
            QVERIFY2(!QFile::exists(picture), qPrintable(picture));
        QVERIFY(rowCount(holder(), QLatin1String(table)) < before);
    } else {
        holder().rollbackTransaction();
        for (const QString& picture : std::as_const(pictures))
            QVERIFY2(QFile::exists(picture), qPrintable(picture));
        QCOMPARE(rowCount(holder(), QLatin1String(table)), before);
        // A later commit does not remove what the rollback brought back.
        QCOMPARE(holder().beginTransaction(), Errors::Type_Error(0));
        QCOMPARE(holder().commitTransaction(), Errors::Type_Error(0));
        QVERIFY(removedFiles.isEmpty());
    }
}

void tst_DatabaseTableAll::pruningBySettingsNeverEmptiesTheDatabase_data()
{
    QTest::addColumn<bool>("autoDelete");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("remaining");
    QTest::newRow("keep two") << true << 2 << 2;
    QTest::newRow("maximum zero skips pruning") << true << 0 << 5;
    QTest::newRow("negative maximum skips pruning") << true << -1 << 5;
    QTest::newRow("switched off") << false << 2 << 5;
}

void tst_DatabaseTableAll::pruningBySettingsNeverEmptiesTheDatabase()
{
    QFETCH(bool, autoDelete);
    QFETCH(int, maximum);
    QFETCH(int, remaining);
    fiveRacks();
    AppSettings::DatabaseSettings settings = AppSettings::defaultDatabaseSettings();
    settings.AutoDelete = autoDelete;
    settings.AutoDeleteMaximum = maximum;
    QCOMPARE(holder().tableAll()->DeleteOldRacksBySettings(settings, true), Errors::Type_Error(0));
    QCOMPARE(rowCount(holder(), QStringLiteral("ZelvorinRack")), remaining);
}

void tst_DatabaseTableAll::deleteOldImageStitchers()
{
    QList<Database::ID> stitchers;
    QStringList files;
    for (int age = 0; age < 3; ++age) {
        DatabaseTableZelvorinImageStitcher::Dataset stitcher;
        stitcher.CreatedDate = baseTime().addSecs(age);
        QCOMPARE(holder().tableImageStitcher()->Insert(stitcher), Errors::Type_Error(0));
        stitcher.PictureFilePath = m_dir->filePath(QStringLiteral("stitched%1.png").arg(age));
        touch(stitcher.PictureFilePath);
        QCOMPARE(holder().tableImageStitcher()->Update(stitcher), Errors::Type_Error(0));
        QStringList own{stitcher.PictureFilePath};
        for (qint16 position = 0; position < 2; ++position) {
            DatabaseTableZelvorinImageStitcherPicture::Dataset picture;
            picture.ImageStitcherID = stitcher.ImageStitcherID;
            picture.PositionIndex = position;
            picture.PictureFilePath = m_dir->filePath(QStringLiteral("source%1_%2.png").arg(age).arg(position));
            touch(picture.PictureFilePath);
            QCOMPARE(holder().tableImageStitcherPicture()->Insert(picture), Errors::Type_Error(0));
            own.append(picture.PictureFilePath);
        }
        stitchers.append(stitcher.ImageStitcherID);
        files.append(own.join(QLatin1Char('|')));
    }
    QCOMPARE(holder().tableAll()->DeleteOldImageStitchers(1, true), Errors::Type_Error(0));
    QCOMPARE(rowCount(holder(), QStringLiteral("ZelvorinImageStitcher")), 1);
    QCOMPARE(rowCount(holder(), QStringLiteral("ZelvorinImageStitcherPicture")), 2);
    DatabaseTableZelvorinImageStitcher::Dataset newest;
    QCOMPARE(holder().tableImageStitcher()->Select(stitchers.at(2), newest), Errors::Type_Error(0));
    // Files of the two older results are gone, the newest keeps its own.
    for (int age = 0; age < 3; ++age) {
        for (const QString& file : files.at(age).split(QLatin1Char('|')))
            QCOMPARE(QFile::exists(file), age == 2);
    }
    QCOMPARE(removedFiles.size(), 6);
    QCOMPARE(holder().tableAll()->DeleteOldImageStitchers(0, true), Errors::Type_Error(0));
    QCOMPARE(rowCount(holder(), QStringLiteral("ZelvorinImageStitcher")), 0);
    QVERIFY(m_db->handler.reports.isEmpty());
}

QTEST_GUILESS_MAIN(tst_DatabaseTableAll)
#include "tst_DatabaseTableAll.moc"
