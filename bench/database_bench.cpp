// Saving, reading and pruning racks through the table objects on an SQLite3 file, against
// the plainest SQL that moves the same rows (one prepared statement per table) as baseline.

#include "ApplicationDatabase.h"
#include "DatabaseTableAll.h"
#include "DatabaseTableZelvorinColony.h"
#include "DatabaseTableZelvorinContainer.h"
#include "DatabaseTableZelvorinRack.h"
#include "DatabaseTransaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kContainers = 96;
constexpr int kColonies = 2000;
constexpr int kRepetitions = 9;
constexpr int kStoredRacks = 1000;
constexpr int kPruned = 100;

QString templatePath()
{
    QString source = QString::fromLocal8Bit(qgetenv("ZELVORIN_SOURCE_DIR"));
    if (source.isEmpty())
        source = QFileInfo(QStringLiteral(__FILE__)).absoluteDir().absoluteFilePath(QStringLiteral(".."));
    return source + QStringLiteral("/database_templates/ZelvorinDatabase_SQLite3.sql");
}

double milliseconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> times)
{
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

void print(const char* name, double value, double baseline)
{
    std::printf("%s %.2f ms\n", name, value);
    std::printf("%s.baseline %.2f ms\n", name, baseline);
    std::printf("%s.ratio %.2f\n", name, baseline > 0.0 ? value / baseline : 0.0);
}

DatabaseTableZelvorinColony::Dataset colonyRow(Database::ID container, int i)
{
    DatabaseTableZelvorinColony::Dataset row;
    row.ContainerID = container;
    row.PosX_px = 100.25 + i;
    row.PosY_px = 200.5 + i;
    row.PosX_mm = 10.125;
    row.PosY_mm = 20.0625;
    row.Area_mm2 = 0.785398;
    row.Circularity = 0.93;
    row.ClearanceNeighbor_mm = 1.5;
    row.ClearanceMargin_mm = 2.25;
    row.LoadingArea_pct = 80.0;
    row.LoadingCircularity_pct = 90.0;
    row.LoadingClearanceNeighbor_pct = 70.0;
    row.LoadingClearanceMargin_pct = 60.0;
    row.LoadingTotal_pct = 75.5 - i * 0.01;
    row.ColorHue = 12.0;
    row.ColorSaturation = 200.0;
    row.ColorIntensity = 128.0;
    row.ColorArea_pct = 95.0;
    row.ColorRed = 180.0;
    row.ColorGreen = 90.0;
    row.ColorBlue = 30.0;
    row.PickingOrder = i + 1;
    row.IsGoodColony = (i % 5) != 0;
    return row;
}

// One rack as the result saving writes it, in one transaction.
Database::ID saveRack(ApplicationDatabase& db, int number)
{
    DatabaseTransaction transaction(&db);
    DatabaseTableZelvorinRack::Dataset rack;
    rack.CreatedDate = QDateTime(QDate(2024, 1, 1), QTime(0, 0)).addSecs(number);
    rack.RackBarcode = QStringLiteral("R%1").arg(number);
    rack.XMLSettings = QString(3000, QLatin1Char('s'));
    rack.XMLCameraSettings = QString(4000, QLatin1Char('c'));
    rack.XMLColonySettings = QString(12000, QLatin1Char('k'));
    rack.ReferencePointsCorrection = QString(200, QLatin1Char('r'));
    if (db.tableRack()->Insert(rack) != 0)
        return -1;
    rack.PictureFilePath = QStringLiteral("database/pictures/%1.png").arg(rack.RackID);
    if (db.tableRack()->Update(rack) != 0)
        return -1;
    int colony = 0;
    for (int c = 0; c < kContainers; ++c) {
        DatabaseTableZelvorinContainer::Dataset container;
        container.RackID = rack.RackID;
        container.ContainerNumber = qint16(c + 1);
        container.ContainerName = QStringLiteral("A%1").arg(c + 1);
        container.PickingOrder = qint16(c + 1);
        if (db.tableContainer()->Insert(container) != 0)
            return -1;
        const int count = kColonies / kContainers + (c < kColonies % kContainers ? 1 : 0);
        for (int i = 0; i < count; ++i, ++colony) {
            DatabaseTableZelvorinColony::Dataset row = colonyRow(container.ContainerID, i);
            if (db.tableColony()->Insert(row) != 0)
                return -1;
        }
    }
    return transaction.commit() == 0 ? rack.RackID : -1;
}

// The same rows with one prepared statement per table.
void saveRackBaseline(ApplicationDatabase& db, int number)
{
    QSqlDatabase& sql = *db.database()->getDatabase();
    sql.transaction();
    QSqlQuery rack(sql);
    rack.prepare(QStringLiteral("INSERT INTO ZelvorinRack (CreatedDate,RackBarcode,XMLSettings,XMLCameraSettings,"
                                "XMLColonySettings,ReferencePointsCorrection,PictureFilePath) VALUES (?,?,?,?,?,?,?)"));
    rack.addBindValue(QStringLiteral("2024-01-01T00:00:00"));
    rack.addBindValue(QStringLiteral("B%1").arg(number));
    rack.addBindValue(QString(3000, QLatin1Char('s')).toUtf8());
    rack.addBindValue(QString(4000, QLatin1Char('c')).toUtf8());
    rack.addBindValue(QString(12000, QLatin1Char('k')).toUtf8());
    rack.addBindValue(QString(200, QLatin1Char('r')).toUtf8());
    rack.addBindValue(QStringLiteral("database/pictures/x.png"));
    rack.exec();
    const qlonglong rackId = rack.lastInsertId().toLongLong();
    QSqlQuery container(sql);
    container.prepare(QStringLiteral("INSERT INTO ZelvorinContainer (RackID,ContainerNumber,ContainerName,PickingOrder) "
                                     "VALUES (?,?,?,?)"));
    QSqlQuery colony(sql);
    colony.prepare(QStringLiteral(
        "INSERT INTO ZelvorinColony (ContainerID,PosX_px,PosY_px,PosX_mm,PosY_mm,Area_mm2,Circularity,"
        "ClearanceNeighbor_mm,ClearanceMargin_mm,LoadingArea_pct,LoadingCircularity_pct,LoadingClearanceNeighbor_pct,"
        "LoadingClearanceMargin_pct,LoadingTotal_pct,ColorHue,ColorSaturation,ColorIntensity,ColorArea_pct,ColorRed,"
        "ColorGreen,ColorBlue,PickingDate,PickingState,IsExcluded,IsGoodColony,PickingOrder,IsUserEdited,ErrorCode,"
        "Description) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    for (int c = 0; c < kContainers; ++c) {
        container.bindValue(0, rackId);
        container.bindValue(1, c + 1);
        container.bindValue(2, QStringLiteral("A%1").arg(c + 1));
        container.bindValue(3, c + 1);
        container.exec();
        const qlonglong containerId = container.lastInsertId().toLongLong();
        const int count = kColonies / kContainers + (c < kColonies % kContainers ? 1 : 0);
        for (int i = 0; i < count; ++i) {
            colony.bindValue(0, containerId);
            for (int k = 1; k <= 20; ++k)
                colony.bindValue(k, 1.5 * k + i);
            colony.bindValue(21, QStringLiteral("2024-01-01T00:00:00"));
            for (int k = 22; k <= 27; ++k)
                colony.bindValue(k, 0);
            colony.bindValue(28, QString());
            colony.exec();
        }
    }
    sql.commit();
}

// The rack row, its containers one by one and all its colonies in one statement.
int readRack(ApplicationDatabase& db, Database::ID rackId)
{
    // One read transaction: a consistent rack, and one lock instead of one per statement.
    DatabaseTransaction transaction(&db);
    DatabaseTableZelvorinRack::Dataset rack;
    if (db.tableRack()->Select(rackId, rack) != 0)
        return -1;
    QList<Database::ID> containers;
    db.tableContainer()->SelectIdsByRack(rackId, containers);
    for (const Database::ID containerId : containers) {
        DatabaseTableZelvorinContainer::Dataset container;
        if (db.tableContainer()->Select(containerId, container) != 0)
            return -1;
    }
    QList<DatabaseTableZelvorinColony::Dataset> colonies;
    if (db.tableColony()->SelectByRack(rackId, colonies) != 0)
        return -1;
    return int(colonies.size());
}

// The same with an id list per container and one Select per colony.
int readRackById(ApplicationDatabase& db, Database::ID rackId)
{
    DatabaseTransaction transaction(&db);
    DatabaseTableZelvorinRack::Dataset rack;
    if (db.tableRack()->Select(rackId, rack) != 0)
        return -1;
    QList<Database::ID> containers;
    db.tableContainer()->SelectIdsByRack(rackId, containers);
    int colonies = 0;
    QList<Database::ID> ids;
    for (const Database::ID containerId : containers) {
        DatabaseTableZelvorinContainer::Dataset container;
        db.tableContainer()->Select(containerId, container);
        db.tableColony()->SelectIdsByContainer(containerId, ids);
        for (const Database::ID colonyId : ids) {
            DatabaseTableZelvorinColony::Dataset colony;
            if (db.tableColony()->Select(colonyId, colony) == 0)
                ++colonies;
        }
    }
    return colonies;
}

int readRackBaseline(ApplicationDatabase& db, Database::ID rackId)
{
    QSqlQuery query(*db.database()->getDatabase());
    query.setForwardOnly(true);
    query.exec(QStringLiteral("SELECT c.* FROM ZelvorinColony c JOIN ZelvorinContainer k ON c.ContainerID=k.ContainerID "
                              "WHERE k.RackID=%1").arg(rackId));
    int colonies = 0;
    while (query.next()) {
        for (int k = 0; k < 30; ++k)
            query.value(k);
        ++colonies;
    }
    return colonies;
}

// Saving under each journal a connection could run: the program's own choice is the plain
// figure, these show what the others would cost on the same disk.
struct Journal {
    const char* name;
    const char* journalMode;
    const char* synchronous;
};
constexpr Journal kJournals[] = {
    {"rollback_journal_full", "DELETE", "FULL"},
    {"wal_normal", "WAL", "NORMAL"},
    {"memory_journal_unsynced", "MEMORY", "OFF"},
};

bool setJournal(ApplicationDatabase& db, const Journal& journal)
{
    return db.database()->execCommand(QStringLiteral("PRAGMA journal_mode=%1").arg(QLatin1String(journal.journalMode))) == 0
        && db.database()->execCommand(QStringLiteral("PRAGMA synchronous=%1").arg(QLatin1String(journal.synchronous))) == 0;
}

// A failed statement is printed, so a figure never hides an error.
class PrintingErrorHandler : public ApplicationDatabase::ErrorHandler {
public:
    void showDatabaseError(QString databaseName, QString text) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(databaseName), qPrintable(text));
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // Only the figures whose name contains this text (first argument); all when empty.
    const QString filter = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    QTemporaryDir dir;
    PrintingErrorHandler errors;
    ApplicationDatabase db(&errors, QStringLiteral("bench"));
    if (db.createSQLite3Database(dir.filePath(QStringLiteral("bench.db3")), templatePath()) != 0) {
        std::fprintf(stderr, "cannot create the database from %s\n", qPrintable(templatePath()));
        return 1;
    }

    // Save: one rack of 96 containers with 2,000 colonies per transaction.
    std::vector<double> save, saveBase;
    std::vector<Database::ID> racks;
    for (int i = 0; i < kRepetitions; ++i) {
        Database::ID id = -1;
        save.push_back(milliseconds([&] { id = saveRack(db, i); }));
        saveBase.push_back(milliseconds([&] { saveRackBaseline(db, i); }));
        if (id < 0) {
            std::fprintf(stderr, "saving a rack failed\n");
            return 1;
        }
        racks.push_back(id);
    }
    print("database.save_rack_96x2000", median(save), median(saveBase));

    QString journalMode;
    QString synchronous;
    {
        QSqlQuery query(*db.database()->getDatabase());
        query.exec(QStringLiteral("PRAGMA journal_mode"));
        journalMode = query.next() ? query.value(0).toString() : QString();
        query.exec(QStringLiteral("PRAGMA synchronous"));
        synchronous = query.next() ? query.value(0).toString() : QString();
    }
    for (const Journal& journal : kJournals) {
        const QByteArray name = QByteArray("database.save_rack_96x2000.") + journal.name;
        if (!QString::fromLatin1(name).contains(filter))
            continue;
        if (!setJournal(db, journal)) {
            std::fprintf(stderr, "cannot switch to the journal %s\n", journal.name);
            return 1;
        }
        std::vector<double> times, baseTimes;
        for (int i = 0; i < kRepetitions; ++i) {
            Database::ID id = -1;
            times.push_back(milliseconds([&] { id = saveRack(db, 100 + i); }));
            baseTimes.push_back(milliseconds([&] { saveRackBaseline(db, 100 + i); }));
            if (id < 0) {
                std::fprintf(stderr, "saving a rack failed\n");
                return 1;
            }
        }
        print(name.constData(), median(times), median(baseTimes));
    }
    db.database()->execCommand(QStringLiteral("PRAGMA journal_mode=") + journalMode);
    db.database()->execCommand(QStringLiteral("PRAGMA synchronous=") + synchronous);

    std::vector<double> read, readBase;
    for (int i = 0; i < kRepetitions; ++i) {
        int colonies = 0;
        read.push_back(milliseconds([&] { colonies = readRack(db, racks.at(i)); }));
        readBase.push_back(milliseconds([&] { readRackBaseline(db, racks.at(i)); }));
        if (colonies != kColonies) {
            std::fprintf(stderr, "read %d colonies instead of %d\n", colonies, kColonies);
            return 1;
        }
    }
    print("database.read_rack_96x2000", median(read), median(readBase));

    std::vector<double> readById;
    readBase.clear();
    for (int i = 0; i < kRepetitions; ++i) {
        int colonies = 0;
        readById.push_back(milliseconds([&] { colonies = readRackById(db, racks.at(i)); }));
        readBase.push_back(milliseconds([&] { readRackBaseline(db, racks.at(i)); }));
        if (colonies != kColonies) {
            std::fprintf(stderr, "read %d colonies by id instead of %d\n", colonies, kColonies);
            return 1;
        }
    }
    print("database.read_rack_96x2000_by_id", median(readById), median(readBase));
    if (!QStringLiteral("database.delete_oldest_100_of_1000").contains(filter))
        return 0;

    // Prune: fill up to 1,000 stored full-size racks, delete the oldest 100, three times over.
    QSqlQuery(*db.database()->getDatabase()).exec(QStringLiteral("DELETE FROM ZelvorinRack WHERE RackBarcode LIKE 'B%'"));
    int stored = 0;
    {
        QSqlQuery count(*db.database()->getDatabase());
        count.exec(QStringLiteral("SELECT COUNT(*) FROM ZelvorinRack"));
        count.next();
        stored = count.value(0).toInt();
    }
    int next = kRepetitions;
    std::vector<double> prune, pruneBase;
    for (int round = 0; round < 3; ++round) {
        while (stored < kStoredRacks) {
            if (saveRack(db, next++) < 0) {
                std::fprintf(stderr, "filling the database failed\n");
                return 1;
            }
            ++stored;
        }
        prune.push_back(milliseconds([&] { db.tableAll()->DeleteOldRacks(kStoredRacks - kPruned, true); }));
        stored -= kPruned;
    }
    // Baseline: one statement deleting the same number of oldest racks.
    for (int round = 0; round < 3; ++round) {
        while (stored < kStoredRacks) {
            saveRack(db, next++);
            ++stored;
        }
        pruneBase.push_back(milliseconds([&] {
            QSqlQuery(*db.database()->getDatabase())
                .exec(QStringLiteral("DELETE FROM ZelvorinRack WHERE RackID IN (SELECT RackID FROM ZelvorinRack ORDER BY "
                                     "CreatedDate LIMIT %1)").arg(kPruned));
        }));
        stored -= kPruned;
    }
    print("database.delete_oldest_100_of_1000", median(prune), median(pruneBase));
    return 0;
}
