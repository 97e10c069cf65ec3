// The rack save without a page: the keys a failed save leaves in a record that was stored
// before, and what stays on disk.

#include "ColonyRackRecord.h"
#include "ColonyResultSave.h"
#include "RackDatabaseFixture.h"

#include <HalconTestPictures.h>
#include <ResultPictureNames.h>

#include <QDir>
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

} // namespace

class tst_ColonyResultSave : public QObject {
    Q_OBJECT
private slots:
    void failedSaveKeepsTheKeysOfTheLastOne_data();
    void failedSaveKeepsTheKeysOfTheLastOne();
    void withoutDatabase();
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
    QTemporaryDir dir;
    auto db = DatabaseTestSupport::createDatabase(dir);
    QCOMPARE(db->createResult, Errors::Type_Error(0));
    ApplicationDatabase& database = *db->holder;
    const QString folder = dir.filePath(QStringLiteral("pictures"));
    QVERIFY(QDir().mkpath(folder));

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

QTEST_GUILESS_MAIN(tst_ColonyResultSave)
#include "tst_ColonyResultSave.moc"
