// The results database under a killed process and under damaged files: a save killed at any
// point leaves a sound file with every committed rack whole; a damaged file is refused before
// anything is written to it, and what opens takes a rack whole or refuses it with a code.

#include "DatabaseTestSupport.h"

#include "DatabaseTableAll.h"
#include "DatabaseTableZelvorinColony.h"
#include "DatabaseTableZelvorinContainer.h"
#include "DatabaseTableZelvorinRack.h"
#include "DatabaseTransaction.h"
#include "LibraryFunctions.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <cstdio>
#include <random>
#include <unistd.h>

using namespace DatabaseTestSupport;

namespace {

constexpr int kContainers = 8;
constexpr int kColoniesPerContainer = 10;
// The child that saves racks until it is killed; the rest of the arguments is the database.
const char* const kWriterSwitch = "--rack-writer";

// What the writer tells its parent, unbuffered, one line each.
void say(const QByteArray& line)
{
    const QByteArray text = line + '\n';
    [[maybe_unused]] const ssize_t written = ::write(STDOUT_FILENO, text.constData(), size_t(text.size()));
}

// One rack as a result save stores it: the rack row, its containers and their colonies in
// one transaction. step (may be empty) hears of each stage.
Errors::Type_Error writeRack(ApplicationDatabase& db, int number, Database::ID& rackId,
                             const std::function<void(const QByteArray&)>& step = {})
{
    rackId = -1;
    DatabaseTransaction transaction(&db);
    if (transaction.beginResult() != 0)
        return transaction.beginResult();
    DatabaseTableZelvorinRack::Dataset rack = rackRow(QStringLiteral("R%1").arg(number), baseTime().addSecs(number));
    rack.XMLColonySettings = QString(4000, QLatin1Char('k'));
    if (const Errors::Type_Error code = db.tableRack()->Insert(rack); code != 0)
        return code;
    if (step)
        step("rack");
    for (int c = 0; c < kContainers; ++c) {
        DatabaseTableZelvorinContainer::Dataset container;
        container.RackID = rack.RackID;
        container.ContainerNumber = qint16(c + 1);
        container.ContainerName = QStringLiteral("A%1").arg(c + 1);
        if (const Errors::Type_Error code = db.tableContainer()->Insert(container); code != 0)
            return code;
        for (int i = 0; i < kColoniesPerContainer; ++i) {
            DatabaseTableZelvorinColony::Dataset colony;
            colony.ContainerID = container.ContainerID;
            colony.PosX_px = 10.0 * i + c;
            colony.PickingOrder = i + 1;
            colony.IsGoodColony = true;
            if (const Errors::Type_Error code = db.tableColony()->Insert(colony); code != 0)
                return code;
        }
        if (step)
            step("container");
    }
    if (const Errors::Type_Error code = transaction.commit(); code != 0)
        return code;
    rackId = rack.RackID;
    return 0;
}

// Whole: every container and colony a save writes, under the barcode of its number (any
// number when number is below 0).
bool rackIsWhole(ApplicationDatabase& db, Database::ID rackId, int number)
{
    DatabaseTableZelvorinRack::Dataset rack;
    if (db.tableRack()->Select(rackId, rack) != 0)
        return false;
    if (number >= 0 && rack.RackBarcode != QStringLiteral("R%1").arg(number))
        return false;
    QList<Database::ID> containers;
    if (db.tableContainer()->SelectIdsByRack(rackId, containers) != 0 || containers.size() != kContainers)
        return false;
    QList<DatabaseTableZelvorinColony::Dataset> colonies;
    return db.tableColony()->SelectByRack(rackId, colonies) == 0 && colonies.size() == kContainers * kColoniesPerContainer;
}

QString pragmaText(ApplicationDatabase& db, const QString& pragma)
{
    QSqlQuery query(*db.database()->getDatabase());
    QStringList lines;
    if (!query.exec(pragma))
        return QStringLiteral("<failed>");
    while (query.next())
        lines.append(query.value(0).toString());
    return lines.join(QLatin1Char('\n'));
}

AppSettings::DatabaseSettings sqliteSettings(const QString& path)
{
    AppSettings::DatabaseSettings settings = AppSettings::defaultDatabaseSettings();
    settings.Type = AppSettings::TypeSQLite3;
    settings.SQLite3.Filename = path;
    return settings;
}

// Root page of a table or index, read from the file's schema; 0 when it cannot be read.
int rootPage(const QString& path, const QString& name)
{
    int page = 0;
    {
        QSqlDatabase connection = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("schema-reader"));
        connection.setDatabaseName(path);
        connection.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (connection.open()) {
            QSqlQuery query(connection);
            query.prepare(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = ?"));
            query.addBindValue(name);
            if (query.exec() && query.next())
                page = query.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("schema-reader"));
    return page;
}

// Saves numbered racks one after the other until killed, telling each stage and each commit.
int runRackWriter(const QString& databasePath, int firstNumber)
{
    RecordingErrorHandler handler;
    ApplicationDatabase db(&handler, QStringLiteral("writer"));
    if (const Errors::Type_Error code = db.openDatabase(sqliteSettings(databasePath)); code != 0) {
        say("open-failed " + QByteArray::number(code));
        return 1;
    }
    for (int number = firstNumber;; ++number) {
        say("begin " + QByteArray::number(number));
        Database::ID rackId = -1;
        const Errors::Type_Error code = writeRack(db, number, rackId, [](const QByteArray& stage) { say(stage); });
        if (code != 0) {
            say("failed " + QByteArray::number(code));
            return 1;
        }
        say("commit " + QByteArray::number(number) + ' ' + QByteArray::number(rackId));
    }
}

} // namespace

class tst_DatabaseFileSafety : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void killedSavesLeaveCommittedRacksWhole();
    void damagedFilesAreRefusedOrStayUsable();
    void stalePagesOfIndexesAndTables_data();
    void stalePagesOfIndexesAndTables();

private:
    QTemporaryDir m_dir;
};

void tst_DatabaseFileSafety::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void tst_DatabaseFileSafety::killedSavesLeaveCommittedRacksWhole()
{
    QTemporaryDir dir;
    std::unique_ptr<OpenDatabase> made = createDatabase(dir, QStringLiteral("killed.db3"));
    QCOMPARE(made->createResult, Errors::Type_Error(0));
    const QString path = made->filePath;
    made.reset();

    // Each child is killed at a random stage of its saves: the first racks, a container of
    // the third, just after a commit. Seeded, so a failure repeats.
    std::mt19937 random(20240314);
    std::uniform_int_distribution<int> stages(1, 3 * (kContainers + 3));
    constexpr int kKills = 40;
    QHash<int, Database::ID> committed;
    int lastNumber = -1;
    for (int kill = 0; kill < kKills; ++kill) {
        QProcess writer;
        writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // Numbers of its own for each child: a save cut off after its commit but before its
        // report is stored under a number nobody uses again.
        writer.start(QCoreApplication::applicationFilePath(),
                     {QLatin1String(kWriterSwitch), path, QString::number(kill * 1000 + 1)});
        QVERIFY2(writer.waitForStarted(60000), qPrintable(writer.errorString()));
        const int killAt = stages(random);
        int seen = 0;
        QByteArray pending;
        while (seen < killAt) {
            if (!writer.canReadLine() && !writer.waitForReadyRead(60000))
                QFAIL(qPrintable(QStringLiteral("the writer stopped talking: %1").arg(QString::fromLatin1(pending))));
            while (seen < killAt && writer.canReadLine()) {
                const QByteArray line = writer.readLine().trimmed();
                pending = line;
                QVERIFY2(!line.startsWith("open-failed") && !line.startsWith("failed"), line.constData());
                ++seen;
                if (line.startsWith("commit ")) {
                    const QList<QByteArray> parts = line.split(' ');
                    lastNumber = parts.at(1).toInt();
                    committed.insert(lastNumber, Database::ID(parts.at(2).toInt()));
                }
            }
        }
        writer.kill();
        QVERIFY(writer.waitForFinished(60000));

        RecordingErrorHandler handler;
        ApplicationDatabase db(&handler, QStringLiteral("checker"));
        QCOMPARE(db.openDatabase(sqliteSettings(path)), Errors::Type_Error(0));
        QCOMPARE(pragmaText(db, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
        if (lastNumber > 0)
            QVERIFY2(rackIsWhole(db, committed.value(lastNumber), lastNumber), qPrintable(QString::number(lastNumber)));
        // Every committed rack is there; of a cut-off save nothing or all (its commit may have
        // come before the kill, its report not).
        QList<Database::ID> stored;
        bool more = false;
        QCOMPARE(db.tableRack()->SelectIdsByBarcode(QString(), -1, stored, more), Errors::Type_Error(0));
        for (auto it = committed.cbegin(); it != committed.cend(); ++it)
            QVERIFY2(stored.contains(it.value()), qPrintable(QString::number(it.key())));
        for (const Database::ID rackId : std::as_const(stored))
            QVERIFY2(rackIsWhole(db, rackId, -1), qPrintable(QString::number(rackId)));
    }
    QVERIFY2(committed.size() >= kKills / 4, qPrintable(QString::number(committed.size())));
    RecordingErrorHandler handler;
    ApplicationDatabase db(&handler, QStringLiteral("final"));
    QCOMPARE(db.openDatabase(sqliteSettings(path)), Errors::Type_Error(0));
    for (auto it = committed.cbegin(); it != committed.cend(); ++it)
        QVERIFY2(rackIsWhole(db, it.value(), it.key()), qPrintable(QString::number(it.key())));
}

void tst_DatabaseFileSafety::damagedFilesAreRefusedOrStayUsable()
{
    // A valid database with a few racks, then seeded damage: bytes flipped, blocks and whole
    // pages overwritten, pages copied over others, the file cut short, header fields changed.
    std::unique_ptr<OpenDatabase> made = createDatabase(m_dir, QStringLiteral("valid.db3"));
    QCOMPARE(made->createResult, Errors::Type_Error(0));
    for (int number = 1; number <= 3; ++number) {
        Database::ID rackId = -1;
        QCOMPARE(writeRack(*made->holder, number, rackId), Errors::Type_Error(0));
    }
    const QString validPath = made->filePath;
    made.reset();
    const QByteArray valid = TestFixtures::fileBytes(validPath);
    constexpr qsizetype kPage = 4096;
    QVERIFY(valid.size() >= 8 * kPage);

    std::mt19937 random(0x5eed);
    const auto below = [&](qsizetype limit) { return qsizetype(std::uniform_int_distribution<qint64>(0, limit - 1)(random)); };
    const QString path = m_dir.filePath(QStringLiteral("damaged.db3"));
    constexpr int kCases = 300;
    int opened = 0;
    int tookRack = 0;
    for (int n = 0; n < kCases; ++n) {
        QByteArray bytes = valid;
        const int kind = int(below(6));
        switch (kind) {
        case 0: // a few bytes flipped anywhere
            for (int k = 0, flips = 1 + int(below(8)); k < flips; ++k)
                bytes[below(bytes.size())] = char(bytes[below(bytes.size())] ^ char(1 + below(255)));
            break;
        case 1: { // a block of random bytes
            const qsizetype at = below(bytes.size());
            for (qsizetype i = at; i < std::min(bytes.size(), at + 16 + below(240)); ++i)
                bytes[i] = char(below(256));
            break;
        }
        case 2: { // a whole page of one value
            const qsizetype page = below(bytes.size() / kPage);
            bytes.replace(page * kPage, kPage, QByteArray(kPage, char(below(2) ? 0xff : 0)));
            break;
        }
        case 3: { // one page copied over another
            const qsizetype pages = bytes.size() / kPage;
            const qsizetype from = below(pages);
            const qsizetype to = below(pages);
            bytes.replace(to * kPage, kPage, valid.mid(from * kPage, kPage));
            break;
        }
        case 4: // cut short
            bytes.truncate(below(bytes.size()));
            break;
        default: { // header: page size, page count, free list, schema and format fields
            static const int fields[] = {16, 17, 18, 19, 20, 21, 28, 29, 30, 31, 32, 36, 40, 44, 48, 52, 56, 60, 92, 96};
            bytes[fields[below(std::size(fields))]] = char(below(256));
            break;
        }
        }
        QVERIFY(TestFixtures::writeFileBytes(path, bytes));

        RecordingErrorHandler handler;
        ApplicationDatabase db(&handler, QStringLiteral("damaged"));
        const Errors::Type_Error result = db.openDatabase(sqliteSettings(path));
        if (result != 0) {
            // Refused with a code and not a byte changed.
            QVERIFY2(!db.database()->isOpen(), qPrintable(QString::number(n)));
            QVERIFY2(TestFixtures::fileBytes(path) == bytes, qPrintable(QStringLiteral("case %1 (kind %2) changed the file").arg(n).arg(kind)));
            continue;
        }
        ++opened;
        // What opens takes a rack whole or refuses it with a code; it never half stores one.
        Database::ID rackId = -1;
        if (writeRack(db, 100 + n, rackId) == 0) {
            ++tookRack;
            QVERIFY2(rackIsWhole(db, rackId, 100 + n), qPrintable(QStringLiteral("case %1 (kind %2)").arg(n).arg(kind)));
        }
    }
    double residentMB = 0.0;
    double peakMB = 0.0;
    QCOMPARE(getProcessMemoryMB(residentMB, peakMB), Errors::Type_Error(0));
    qInfo("%d damaged files: %d opened, %d took a rack; peak resident memory %.0f MB", kCases, opened, tookRack, peakMB);
    // Bound of the loop: a damaged file never makes SQLite hold on to large amounts.
    QVERIFY2(peakMB < 1024.0, qPrintable(QString::number(peakMB)));
}

void tst_DatabaseFileSafety::stalePagesOfIndexesAndTables_data()
{
    // A page of the file as it was before three more racks were saved: a write that never
    // reached the disk. An index that lacks rows is rebuilt from its table; an index that
    // holds rows its table lacks shows lost rows, and the file is refused.
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("expected");
    QTest::newRow("rack index lacks rows") << QStringLiteral("IX_ZelvorinRack_CreatedDate") << 0;
    QTest::newRow("container index lacks rows") << QStringLiteral("IX_ZelvorinContainer_RackID") << 0;
    QTest::newRow("container table lacks rows") << QStringLiteral("ZelvorinContainer") << 81;
}

void tst_DatabaseFileSafety::stalePagesOfIndexesAndTables()
{
    QFETCH(QString, page);
    QFETCH(int, expected);
    QTemporaryDir dir;
    std::unique_ptr<OpenDatabase> made = createDatabase(dir, QStringLiteral("stale.db3"));
    QCOMPARE(made->createResult, Errors::Type_Error(0));
    Database::ID rackId = -1;
    for (int number = 1; number <= 2; ++number)
        QCOMPARE(writeRack(*made->holder, number, rackId), Errors::Type_Error(0));
    const QByteArray before = TestFixtures::fileBytes(made->filePath);
    for (int number = 3; number <= 5; ++number)
        QCOMPARE(writeRack(*made->holder, number, rackId), Errors::Type_Error(0));
    const QString path = made->filePath;
    made.reset();

    constexpr qsizetype kPage = 4096;
    const int root = rootPage(path, page);
    QVERIFY(root > 1);
    QByteArray bytes = TestFixtures::fileBytes(path);
    bytes.replace((root - 1) * kPage, kPage, before.mid((root - 1) * kPage, kPage));
    QVERIFY(TestFixtures::writeFileBytes(path, bytes));

    RecordingErrorHandler handler;
    ApplicationDatabase db(&handler, QStringLiteral("stale"));
    QCOMPARE(int(db.openDatabase(sqliteSettings(path))), expected);
    if (expected != 0) {
        QCOMPARE(TestFixtures::fileBytes(path), bytes);
        QCOMPARE(handler.reports.size(), 1);
        return;
    }
    QVERIFY(handler.reports.isEmpty());
    QCOMPARE(pragmaText(db, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    for (int number = 1; number <= 5; ++number) {
        QList<Database::ID> ids;
        bool more = false;
        QCOMPARE(db.tableRack()->SelectIdsByBarcode(QStringLiteral("R%1").arg(number), -1, ids, more),
                 Errors::Type_Error(0));
        QCOMPARE(ids.size(), 1);
        QVERIFY(rackIsWhole(db, ids.first(), number));
    }
    // Pruning walks the racks through the date index: it keeps exactly the newest three.
    QCOMPARE(db.tableAll()->DeleteOldRacks(3, true), Errors::Type_Error(0));
    QList<Database::ID> kept;
    bool more = false;
    QCOMPARE(db.tableRack()->SelectIdsByBarcode(QString(), -1, kept, more), Errors::Type_Error(0));
    QCOMPARE(kept.size(), 3);
}

int main(int argc, char** argv)
{
    if (argc == 4 && qstrcmp(argv[1], kWriterSwitch) == 0) {
        QCoreApplication app(argc, argv);
        return runRackWriter(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    }
    QCoreApplication app(argc, argv);
    tst_DatabaseFileSafety test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_DatabaseFileSafety.moc"
