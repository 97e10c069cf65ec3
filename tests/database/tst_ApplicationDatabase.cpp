// The database holder: table types, error reports, opening by the settings, new databases.

#include "DatabaseTestSupport.h"

#include "AppSettings.h"
#include "DatabaseTableAll.h"
#include "DatabaseTableZelvorinColony.h"
#include "DatabaseTableZelvorinContainer.h"
#include "DatabaseTableZelvorinImageStitcher.h"
#include "DatabaseTableZelvorinImageStitcherPicture.h"
#include "DatabaseTableZelvorinRack.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

using namespace DatabaseTestSupport;

namespace {

QList<int> tableTypes(ApplicationDatabase& holder)
{
    return {holder.tableAll()->databaseTypeSet(),          holder.tableRack()->databaseTypeSet(),
            holder.tableContainer()->databaseTypeSet(),    holder.tableColony()->databaseTypeSet(),
            holder.tableImageStitcher()->databaseTypeSet(), holder.tableImageStitcherPicture()->databaseTypeSet()};
}

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// Stands between the connection and the holder and notes every type change, and whether
// the holder's tables were still there at that moment.
class TypeLog : public Database::CallbackFunctions {
public:
    void databaseTypeChanged(int type) override
    {
        types.append(type);
        tablesAlive.append(holder && holder->tableRack() && holder->tableImageStitcherPicture());
        if (holder)
            holder->databaseTypeChanged(type);
    }
    void databaseError(QString databaseName, QString text) override
    {
        if (holder)
            holder->databaseError(databaseName, text);
    }
    ApplicationDatabase* holder = nullptr;
    QList<int> types;
    QList<bool> tablesAlive;
};

} // namespace

class tst_ApplicationDatabase : public QObject {
    Q_OBJECT
private slots:
    void tablesFollowTheConnection();
    void destructionClosesBeforeTheTablesGo();
    void errorReportsCanBeSwitchedOff();
    void openBySettings_data();
    void openBySettings();
    void unknownDatabaseType();
    void createSQLite3Database();
    void createRefusesAnExistingFileAndCleansUp();
    void createMSAccessDatabaseFailsOnLinux();
    void sqlServerDatabaseIdentifier_data();
    void sqlServerDatabaseIdentifier();
    void transactionNeedsAConnection();
};

void tst_ApplicationDatabase::tablesFollowTheConnection()
{
    QTemporaryDir dir;
    auto db = createDatabase(dir);
    QCOMPARE(db->createResult, Errors::Type_Error(0));
    QCOMPARE(tableTypes(*db->holder), QList<int>(6, Database::KindSQLite3));
    QCOMPARE(db->holder->tableColony()->sqlDelete(1), QStringLiteral("DELETE FROM [ZelvorinColony] WHERE [ColonyID]=1"));
    db->holder->database()->close();
    QCOMPARE(tableTypes(*db->holder), QList<int>(6, Database::KindNone));

    RecordingErrorHandler handler;
    ApplicationDatabase fresh(&handler, QStringLiteral("fresh"));
    QCOMPARE(tableTypes(fresh), QList<int>(6, Database::KindNone));
    DatabaseTableZelvorinRack::Dataset row;
    QCOMPARE(fresh.tableRack()->Insert(row), Errors::Type_Error(84));
    QVERIFY(handler.reports.isEmpty());
}

void tst_ApplicationDatabase::destructionClosesBeforeTheTablesGo()
{
    QTemporaryDir dir;
    RecordingErrorHandler handler;
    TypeLog log;
    {
        ApplicationDatabase holder(&handler, QStringLiteral("logged"), nullptr,
                                   [&log](Database::CallbackFunctions* callback, const QString& name, QObject* parent) {
                                       log.holder = static_cast<ApplicationDatabase*>(callback);
                                       return new SeamDatabase(&log, name, parent);
                                   });
        QCOMPARE(holder.createSQLite3Database(dir.filePath(QStringLiteral("a.db3")), sqliteTemplate()), Errors::Type_Error(0));
        QCOMPARE(log.types, QList<int>{Database::KindSQLite3});
        log.types.clear();
        log.tablesAlive.clear();
    }
    QCOMPARE(log.types, QList<int>{0});
    QCOMPARE(log.tablesAlive, QList<bool>{true});
}

void tst_ApplicationDatabase::errorReportsCanBeSwitchedOff()
{
    QTemporaryDir dir;
    auto db = createDatabase(dir);
    DatabaseTableZelvorinRack::Dataset row;
    db->holder->setErrorReportEnabled(false);
    QCOMPARE(db->holder->tableRack()->Select(42, row), Errors::Type_Error(87));
    QVERIFY(db->handler.reports.isEmpty());
    db->holder->setErrorReportEnabled(true);
    QCOMPARE(db->holder->tableRack()->Select(42, row), Errors::Type_Error(87));
    QCOMPARE(db->handler.reports.size(), 1);
    QCOMPARE(db->handler.reports.at(0).first, QStringLiteral("test.db3"));
    QVERIFY(db->handler.reports.at(0).second.startsWith(QStringLiteral("Error description:\nDataset [RackID]=42 not found")));
}

void tst_ApplicationDatabase::openBySettings_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("expected");
    QTest::newRow("good database") << "" << 0;
    QTest::newRow("other version") << "version" << 91;
    QTest::newRow("missing file") << "missing" << 81;
    QTest::newRow("read-only file") << "readonly" << 82;
    QTest::newRow("not a database") << "garbage" << 81;
    QTest::newRow("empty file") << "empty" << 85;
}

void tst_ApplicationDatabase::openBySettings()
{
    QFETCH(QString, fault);
    QFETCH(int, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("zelvorin.db3"));
    {
        auto made = createDatabase(dir, QStringLiteral("zelvorin.db3"));
        QCOMPARE(made->createResult, Errors::Type_Error(0));
        DatabaseTableZelvorinRack::Dataset rack = rackRow(QStringLiteral("R"), baseTime());
        QCOMPARE(made->holder->tableRack()->Insert(rack), Errors::Type_Error(0));
        if (fault == QLatin1String("version"))
            QCOMPARE(made->holder->tableAll()->UpdateVersion(3), Errors::Type_Error(0));
    }
    if (fault == QLatin1String("missing"))
        QVERIFY(QFile::remove(path));
    if (fault == QLatin1String("garbage") || fault == QLatin1String("empty")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        if (fault == QLatin1String("garbage"))
            file.write(QByteArray(4096, 'x'));
    }
    const QByteArray before = fileHash(path);

    RecordingErrorHandler handler;
    ApplicationDatabase holder(&handler, QStringLiteral("open"), nullptr, seamFactory());
    if (fault == QLatin1String("readonly"))
        seam(holder)->readOnlyFile = path;
    AppSettings::DatabaseSettings settings = AppSettings::defaultDatabaseSettings();
    settings.Type = AppSettings::TypeSQLite3;
    settings.SQLite3.Filename = path;
    QCOMPARE(holder.openDatabase(settings), Errors::Type_Error(expected));
    if (expected == 0) {
        QVERIFY(holder.database()->isOpen());
        QCOMPARE(tableTypes(holder), QList<int>(6, Database::KindSQLite3));
        return;
    }
    // Refused: closed, every table unusable, the file exactly as it was (or still missing).
    QVERIFY(!holder.database()->isOpen());
    QCOMPARE(tableTypes(holder), QList<int>(6, Database::KindNone));
    DatabaseTableZelvorinRack::Dataset rack;
    QCOMPARE(holder.tableRack()->Insert(rack), Errors::Type_Error(84));
    QCOMPARE(fileHash(path), before);
    QCOMPARE(QFile::exists(path), fault != QLatin1String("missing"));
}

void tst_ApplicationDatabase::unknownDatabaseType()
{
    RecordingErrorHandler handler;
    ApplicationDatabase holder(&handler, QStringLiteral("unknown"), nullptr, seamFactory());
    AppSettings::DatabaseSettings settings = AppSettings::defaultDatabaseSettings();
    for (int type : {0, 3, 5, -1}) {
        settings.Type = type;
        QCOMPARE(holder.openDatabase(settings), ApplicationDatabase::ErrorUnknownDatabaseType);
        QVERIFY(!holder.database()->isOpen());
    }
}

void tst_ApplicationDatabase::createSQLite3Database()
{
    QTemporaryDir dir;
    RecordingErrorHandler handler;
    ApplicationDatabase holder(&handler, QStringLiteral("create"), nullptr, seamFactory());
    const QString path = dir.filePath(QStringLiteral("database/new.db3"));   // the folder is made too
    QCOMPARE(holder.createSQLite3Database(path, sqliteTemplate()), Errors::Type_Error(0));
    QVERIFY(holder.database()->isOpen());
    int version = 0;
    QCOMPARE(holder.tableAll()->SelectVersion(version), Errors::Type_Error(0));
    QCOMPARE(version, DatabaseTableAll::DatabaseVersion);
    // Keys come from the database and are not reused after a deletion.
    DatabaseTableZelvorinRack::Dataset first = rackRow(QStringLiteral("A"), baseTime());
    QCOMPARE(holder.tableRack()->Insert(first), Errors::Type_Error(0));
    QCOMPARE(holder.tableRack()->Delete(first.RackID), Errors::Type_Error(0));
    DatabaseTableZelvorinRack::Dataset second = rackRow(QStringLiteral("B"), baseTime());
    QCOMPARE(holder.tableRack()->Insert(second), Errors::Type_Error(0));
    QVERIFY(second.RackID > first.RackID);
    QVERIFY(handler.reports.isEmpty());
}

void tst_ApplicationDatabase::createRefusesAnExistingFileAndCleansUp()
{
    QTemporaryDir dir;
    RecordingErrorHandler handler;
    ApplicationDatabase holder(&handler, QStringLiteral("refuse"), nullptr, seamFactory());
    const QString existing = dir.filePath(QStringLiteral("existing.db3"));
    {
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("precious");
    }
    QCOMPARE(holder.createSQLite3Database(existing, sqliteTemplate()), ApplicationDatabase::ErrorFileOperation);
    QCOMPARE(fileHash(existing), QCryptographicHash::hash("precious", QCryptographicHash::Sha256));

    const QString noScript = dir.filePath(QStringLiteral("noscript.db3"));
    QCOMPARE(holder.createSQLite3Database(noScript, dir.filePath(QStringLiteral("missing.sql"))), Errors::Type_Error(90));
    QVERIFY(!QFile::exists(noScript));

    // A script that fails half-way leaves neither a file nor half-made tables.
    const QString badScript = dir.filePath(QStringLiteral("bad.sql"));
    {
        QFile file(badScript);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("CREATE TABLE [A] ([X] INTEGER)\n;\nTHIS IS NO SQL\n;\n");
    }
    const QString badTarget = dir.filePath(QStringLiteral("bad.db3"));
    QCOMPARE(holder.createSQLite3Database(badTarget, badScript), Errors::Type_Error(85));
    QVERIFY(!QFile::exists(badTarget));
    QVERIFY(!holder.database()->isOpen());
    QCOMPARE(handler.reports.size(), 1);
}

void tst_ApplicationDatabase::createMSAccessDatabaseFailsOnLinux()
{
    QTemporaryDir dir;
    RecordingErrorHandler handler;
    ApplicationDatabase holder(&handler, QStringLiteral("access"), nullptr, seamFactory());
    const QString target = dir.filePath(QStringLiteral("zelvorin.mdb"));
    QVERIFY(!QFile::exists(templatePath(QStringLiteral("ZelvorinTemplate.mdb"))));
    QCOMPARE(holder.createMSAccessDatabase(target, templatePath(QStringLiteral("ZelvorinTemplate.mdb"))),
             Errors::Type_Error(70));
    QVERIFY(!QFile::exists(target));
    QVERIFY(!holder.database()->isOpen());
    QCOMPARE(DatabaseTemplateMSAccess, QStringLiteral("database_templates/ZelvorinTemplate.mdb"));
    QCOMPARE(DatabaseTemplateMSSQLServer, QStringLiteral("database_templates/ZelvorinDatabase_MSSQL.sql"));
    QCOMPARE(DatabaseTemplateSQLite3, QStringLiteral("database_templates/ZelvorinDatabase_SQLite3.sql"));
}

void tst_ApplicationDatabase::sqlServerDatabaseIdentifier_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("identifier");
    QTest::newRow("plain") << "zelvorin" << "[zelvorin]";
    QTest::newRow("blank") << "Picker Lab" << "[Picker Lab]";
    QTest::newRow("closing bracket") << "a]b" << "[a]]b]";
    QTest::newRow("statement in the name") << "x]; DROP DATABASE y; --" << "[x]]; DROP DATABASE y; --]";
}

void tst_ApplicationDatabase::sqlServerDatabaseIdentifier()
{
    QFETCH(QString, name);
    QFETCH(QString, identifier);
    QCOMPARE(ApplicationDatabase::sqlServerDatabaseIdentifier(name), identifier);
}

void tst_ApplicationDatabase::transactionNeedsAConnection()
{
    RecordingErrorHandler handler;
    ApplicationDatabase holder(&handler, QStringLiteral("tx"), nullptr, seamFactory());
    QCOMPARE(holder.beginTransaction(), Errors::Type_Error(84));
    QVERIFY(!holder.inTransaction());
    QCOMPARE(holder.commitTransaction(), Errors::Type_Error(84));

    // A close ends every open level, so the next open starts clean.
    QTemporaryDir dir;
    QCOMPARE(holder.createSQLite3Database(dir.filePath(QStringLiteral("t.db3")), sqliteTemplate()), Errors::Type_Error(0));
    QCOMPARE(holder.beginTransaction(), Errors::Type_Error(0));
    QCOMPARE(holder.beginTransaction(), Errors::Type_Error(0));
    holder.database()->close();
    QVERIFY(!holder.inTransaction());
}

QTEST_GUILESS_MAIN(tst_ApplicationDatabase)
#include "tst_ApplicationDatabase.moc"
