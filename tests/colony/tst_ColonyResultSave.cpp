// The rack save without a page: the keys a failed save leaves in a record that was stored
// before, what stays on disk, and a picture folder shared with another database.

#include "ColonyRackRecord.h"
#include "ColonyResultSave.h"
#include "RackDatabaseFixture.h"

#include <Halcon_AsynchronImageSave.h>
#include <Halcon_Helper.h>
#include <HalconTestPictures.h>
#include <ResultPictureNames.h>
#include <TestFixtures.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

namespace {

ColonyRackRecord record()
{
    ColonyRackRecord rack;
    rack.picture = HalconTestPictures::gradientRgb(64, 48);
    for (int c = 0; c < 2; ++c) {
        rack.containers.push_back(std::make_unique<ColonyRackRecord::Container>());
        rack.containers.back()->row.ContainerNumber = qint16(c + 1);
        for (int k = 0; k <= c; ++k) {
            auto colony = std::make_unique<ColonyRackRecord::Colony>();
            colony->row.PosX_px = 10.0 * (k + 1);
            rack.containers.back()->colonies.push_back(std::move(colony));
        }
    }
    return rack;
}

// RackID, then per container its ContainerID and RackID, per colony its ColonyID and
// ContainerID.
QList<Database::ID> keys(const ColonyRackRecord& rack)
{
    QList<Database::ID> result{rack.row.RackID};
    for (const auto& container : rack.containers) {
        result << container->row.ContainerID << container->row.RackID;
        for (const auto& colony : container->colonies)
            result << colony->row.ColonyID << colony->row.ContainerID;
    }
    return result;
}

// A new database with its picture folder.
struct Saving {
    QTemporaryDir dir;
    std::unique_ptr<DatabaseTestSupport::OpenDatabase> db = DatabaseTestSupport::createDatabase(dir);
    QString folder = dir.filePath(QStringLiteral("pictures"));

    bool ready() const { return db->createResult == 0 && QDir().mkpath(folder); }
};

} // namespace

class tst_ColonyResultSave : public QObject {
    Q_OBJECT
private slots:
    void failedSaveKeepsTheKeysOfTheLastOne_data();
    void failedSaveKeepsTheKeysOfTheLastOne();
    void withoutDatabase();
    void keysWhosePictureNameIsTakenStayUnused_data();
    void keysWhosePictureNameIsTakenStayUnused();
};

void tst_ColonyResultSave::failedSaveKeepsTheKeysOfTheLastOne_data()
{
    QTest::addColumn<QString>("refusedTable");
    QTest::newRow("container refused") << QStringLiteral("ZelvorinContainer");
    QTest::newRow("colony refused") << QStringLiteral("ZelvorinColony");
}

void tst_ColonyResultSave::failedSaveKeepsTheKeysOfTheLastOne()
{
    QFETCH(QString, refusedTable);
    Saving saving;
    QVERIFY(saving.ready());
    ApplicationDatabase& database = *saving.db->holder;
    const QString folder = saving.folder;

    ColonyRackRecord rack = record();
    QCOMPARE(ColonyResultSave::save(rack, &database, nullptr, folder), Errors::Type_Error(0));
    const QList<Database::ID> stored = keys(rack);
    QVERIFY(!stored.contains(-1));
    QCOMPARE(rack.row.PictureFilePath, ResultPictureNames::path(folder, ResultPictureNames::Rack, rack.row.RackID));

    QVERIFY(DatabaseTestSupport::execute(database, QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON %1 "
                                                                  "BEGIN SELECT RAISE(ABORT, 'refused'); END")
                                                       .arg(refusedTable)));
    QVERIFY(ColonyResultSave::save(rack, &database, nullptr, folder) != 0);
    QCOMPARE(keys(rack), stored);
    QVERIFY(rack.row.PictureFilePath.isEmpty());
    QCOMPARE(DatabaseTestSupport::rowCount(database, QStringLiteral("ZelvorinRack")), 1);
    QCOMPARE(DatabaseTestSupport::rowCount(database, QStringLiteral("ZelvorinColony")), 3);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
             QStringList{ResultPictureNames::fileName(ResultPictureNames::Rack, stored.first())});
}

void tst_ColonyResultSave::withoutDatabase()
{
    QTemporaryDir dir;
    ColonyRackRecord rack = record();
    QCOMPARE(ColonyResultSave::save(rack, nullptr, nullptr, dir.path()), ColonyResultSave::ErrorNoDatabase);
    QCOMPARE(rack.row.RackID, Database::ID(-1));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void tst_ColonyResultSave::keysWhosePictureNameIsTakenStayUnused_data()
{
    QTest::addColumn<bool>("background");
    QTest::newRow("picture written at once") << false;
    QTest::newRow("picture written in the background") << true;
}

void tst_ColonyResultSave::keysWhosePictureNameIsTakenStayUnused()
{
    // Another database's racks 1 and 2 in the folder both share: their pictures stay theirs.
    QFETCH(bool, background);
    Saving saving;
    QVERIFY(saving.ready());
    ApplicationDatabase& database = *saving.db->holder;
    const QString folder = saving.folder;
    const QString taken1 = ResultPictureNames::path(folder, ResultPictureNames::Rack, 1);
    const QString taken2 = ResultPictureNames::path(folder, ResultPictureNames::Rack, 2);
    QVERIFY(TestFixtures::writeFileBytes(taken1, "rack 1 of another database"));
    QVERIFY(QFile::link(taken1, taken2)); // a link holds its name too

    Halcon_AsynchronImageSave writer;
    ColonyRackRecord rack = record();
    QCOMPARE(ColonyResultSave::save(rack, &database, background ? &writer : nullptr, folder), Errors::Type_Error(0));
    QCOMPARE(rack.row.RackID, Database::ID(3));
    QVERIFY(QTest::qWaitFor([&] {
        bool idle = false;
        writer.isIdle(idle);
        return idle;
    }, 30000));
    QCOMPARE(TestFixtures::fileBytes(taken1), QByteArray("rack 1 of another database"));
    QVERIFY(QFileInfo(taken2).isSymLink());
    Halcon::Hobject loaded;
    QCOMPARE(Halcon_Helper::LoadImageFile(rack.row.PictureFilePath, loaded), Errors::Type_Error(0));
    QCOMPARE(HalconTestPictures::maxPixelDifference(loaded, rack.picture), 0);
    QCOMPARE(DatabaseTestSupport::rowCount(database, QStringLiteral("ZelvorinRack")), 1);
    QCOMPARE(DatabaseTestSupport::rowCount(database, QStringLiteral("ZelvorinContainer")), 2);
    // The next key is free: no key is skipped for nothing.
    ColonyRackRecord next = record();
    QCOMPARE(ColonyResultSave::save(next, &database, nullptr, folder), Errors::Type_Error(0));
    QCOMPARE(next.row.RackID, Database::ID(4));
    // Nothing planned is left once the pictures have their names.
    QCOMPARE(DatabaseTestSupport::rowCount(database, QStringLiteral("ZelvorinPicturePlan")), 0);
}

QTEST_GUILESS_MAIN(tst_ColonyResultSave)
#include "tst_ColonyResultSave.moc"
