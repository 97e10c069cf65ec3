#include "Database.h"
#include "Database_SQLite3Check.h"
#include "TestFixtures.h"

#include <QScopeGuard>
#include <QtTest>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaType>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimeZone>

#include <cmath>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QList<Database_SQLite3Check::Depth> g_checks;

void recordCheck(Database_SQLite3Check::Depth depth)
{
    g_checks.append(depth);
}

// Records every call the connection makes to its owner.
class RecordingCallback : public Database::CallbackFunctions {
public:
    void databaseTypeChanged(int kind) override { kinds.append(kind); }
    void databaseError(QString databaseName, QString text) override
    {
        errorNames.append(databaseName);
        errorTexts.append(text);
    }
    QList<int> kinds;
    QStringList errorNames;
    QStringList errorTexts;
};

// Replaces the file checks and the driver, for cases a test run as root or on a small disk
// cannot make real.
class SeamDatabase : public Database {
public:
    using Database::Database;
    using Database::setTextDialect;
    bool exists = true;
    bool writable = true;
    bool folderWritableSeam = true;
    qint64 size = 0;
    QString driverOverride;

protected:
    bool fileExists(const QString&) const override { return exists; }
    bool fileWritable(const QString&) const override { return writable; }
    bool folderWritable(const QString& folder) const override
    {
        return folderWritableSeam && Database::folderWritable(folder);
    }
    qint64 fileSize(const QString&) const override { return size; }
    QString sqlDriverName(int kind) const override
    {
        return driverOverride.isEmpty() ? Database::sqlDriverName(kind) : driverOverride;
    }
};

// A database object that only writes SQL text for a given kind.
class DialectDatabase : public Database {
public:
    explicit DialectDatabase(int kind) : Database(nullptr, QStringLiteral("tst_Database_dialect"))
    {
        setTextDialect(kind);
    }
};

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(content) == content.size();
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString sqliteOdbcDriver()
{
    const QString standard = QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so");
    if (QFile::exists(standard))
        return standard;
    // Elsewhere the driver is found through the driver list of unixODBC.
    QProcess process;
    process.start(QStringLiteral("odbcinst"), {QStringLiteral("-q"), QStringLiteral("-d"), QStringLiteral("-n"), QStringLiteral("SQLite3")});
    if (!process.waitForFinished(30000))
        return QString();
    for (const QString& line : QString::fromLocal8Bit(process.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Driver="))) {
            const QString path = line.mid(7).trimmed();
            if (QFile::exists(path))
                return path;
        }
    }
    return QString();
}

// A row of table t whose text no longer matches its index entry: only the full check, which
// compares indexes with their tables, finds it. In the table's record the text follows the
// record header (3 bytes, the key column's NULL, text of 10 bytes); in the index it follows
// another header.
bool damageIndexedRow(QByteArray& bytes)
{
    const QByteArray row("\x03\x00\x21value 1500", 13);
    const qsizetype at = bytes.indexOf(row);
    if (at < 0 || bytes.indexOf(row, at + 1) >= 0)
        return false;
    bytes[at + 3] = 'V';
    return true;
}

// Written the way another program would: in place, through a descriptor of its own.
bool overwriteInPlace(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.write(bytes) == bytes.size() && file.resize(bytes.size());
}

quint64 inodeOf(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? quint64(info.st_ino) : 0;
}

QStringList columnValues(Database& db, const QString& sql)
{
    QStringList values;
    QSqlQuery query(*db.getDatabase());
    if (!query.exec(sql))
        return {QStringLiteral("<failed: %1>").arg(query.lastError().text())};
    while (query.next())
        values.append(query.value(0).toString());
    return values;
}

} // namespace

class tst_Database : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void idType();

    void openSQLite3();
    void openSQLite3MissingFile();
    void openSQLite3Unopenable();
    void openSQLite3NotADatabaseClosesConnection();
    void openSQLite3DamagedFileRefusedUntouched_data();
    void openSQLite3DamagedFileRefusedUntouched();
    void checkGoesAsDeepAsTheFilesHistory();
    void writtenBesideOwnCommitsIsRefused_data();
    void writtenBesideOwnCommitsIsRefused();
    void damagedIntoTheSameInodeIsRefused_data();
    void damagedIntoTheSameInodeIsRefused();
    void ownCommitsKeepTheCheapPath_data();
    void ownCommitsKeepTheCheapPath();
    void openTwiceClosesFirst();
    void closeWhenClosedCallsNothing();
    void destructorCloses();
    void missingDriver();

    void fileChecks_data();
    void fileChecks();
    void readOnlyFileIsRefused();
    void readOnlyFolderIsRefused();
    void realSizeLimitMSAccess();

    void connectionStringMSAccess();
    void connectionStringMSSQLServer_data();
    void connectionStringMSSQLServer();

    void execCommand();
    void errorTexts_data();
    void errorTexts();

    void scriptStatements_data();
    void scriptStatements();
    void shippedTemplatesSplitWhole_data();
    void shippedTemplatesSplitWhole();
    void execScriptFileSQLite3_data();
    void execScriptFileSQLite3();
    void execScriptFileErrors();

    void odbcThroughSQLiteDriver();

    void dialect_data();
    void dialect();
    void lastInsertIdAndRowLimitsOnSQLite3();

    void quoteString_data();
    void quoteString();
    void quoteStringRoundTrip();
    void numbers();
    void doubles_data();
    void doubles();
    void dateTimeLiteral_data();
    void dateTimeLiteral();

private:
    QString makeDatabaseFile(const QString& name = QStringLiteral("results.sqlite"));
    QString makeIndexedDatabase();
    void refusedAtNextOpen(const QString& path);

    QTemporaryDir* m_dir = nullptr;
    RecordingCallback m_callback;
};

void tst_Database::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_callback = RecordingCallback();
}

void tst_Database::cleanup()
{
    Database::setConnectionTemplate(Database::KindMSAccess, QString());
    Database::setConnectionTemplate(Database::KindMSSQLServer, QString());
    delete m_dir;
    m_dir = nullptr;
    QVERIFY2(QSqlDatabase::connectionNames().isEmpty(), qPrintable(QSqlDatabase::connectionNames().join(',')));
}

QString tst_Database::makeDatabaseFile(const QString& name)
{
    // An empty file is a valid, empty SQLite3 database.
    const QString path = m_dir->filePath(name);
    return writeFile(path, QByteArray()) ? path : QString();
}

void tst_Database::idType()
{
    QCOMPARE(sizeof(Database::ID), size_t(4));
    QVERIFY(std::numeric_limits<Database::ID>::is_signed);
    Database db(nullptr, QStringLiteral("tst_Database_id"));
    const QMetaType type = QMetaType::fromName("Database::ID");
    QVERIFY(type.isValid());
    QCOMPARE(type.id(), QMetaType::fromType<qint32>().id());
}

void tst_Database::openSQLite3()
{
    const QString path = makeDatabaseFile();
    Database db(&m_callback, QStringLiteral("tst_Database"));
    QCOMPARE(db.openSQLite3(path), Errors::Type_Error(0));
    QVERIFY(db.isOpen());
    QCOMPARE(db.databaseType(), int(Database::KindSQLite3));
    QCOMPARE(db.databaseName(), QStringLiteral("results.sqlite"));
    QCOMPARE(m_callback.kinds, QList<int>{4});
    QVERIFY(m_callback.errorTexts.isEmpty());
    QCOMPARE(db.getDatabase()->connectOptions(), QStringLiteral("QSQLITE_BUSY_TIMEOUT=10;QSQLITE_ENABLE_SHARED_CACHE"));
    // The connection settings that the schema relies on.
    QCOMPARE(columnValues(db, QStringLiteral("PRAGMA foreign_keys")), QStringList{QStringLiteral("1")});
    // A killed process leaves the last commit whole: the rollback journal, synced at commits.
    QCOMPARE(columnValues(db, QStringLiteral("PRAGMA journal_mode")), QStringList{QStringLiteral("delete")});
    QCOMPARE(columnValues(db, QStringLiteral("PRAGMA synchronous")), QStringList{QStringLiteral("2")});

    db.close();
    QVERIFY(!db.isOpen());
    QCOMPARE(db.getDatabase(), nullptr);
    QCOMPARE(db.databaseType(), 0);
    QVERIFY(db.databaseName().isEmpty());
    QCOMPARE(m_callback.kinds, (QList<int>{4, 0}));
    QVERIFY(!QSqlDatabase::contains(QStringLiteral("tst_Database")));
    QCOMPARE(db.lastError().type(), QSqlError::NoError);
    QVERIFY(db.lastError().text().isEmpty());
}

void tst_Database::openSQLite3MissingFile()
{
    const QString path = m_dir->filePath(QStringLiteral("missing.sqlite"));
    Database db(&m_callback, QStringLiteral("tst_Database"));
    QCOMPARE(db.openSQLite3(path), Errors::Type_Error(81));
    QVERIFY(!QFile::exists(path));
    QVERIFY(!db.isOpen());
    QVERIFY(m_callback.errorTexts.isEmpty());
    // The failed open keeps its kind until the next close.
    QCOMPARE(m_callback.kinds, QList<int>{4});
    QCOMPARE(db.execCommand(QStringLiteral("SELECT 1")), Errors::Type_Error(84));
    db.close();
    QCOMPARE(m_callback.kinds, (QList<int>{4, 0}));
}

void tst_Database::openSQLite3Unopenable()
{
    // A folder passes the file checks but SQLite cannot open it.
    const QString path = m_dir->filePath(QStringLiteral("folder.sqlite"));
    QVERIFY(QDir().mkpath(path));
    Database db(&m_callback, QStringLiteral("tst_Database"));
    QCOMPARE(db.openSQLite3(path), Errors::Type_Error(81));
    QVERIFY(!db.isOpen());
    QCOMPARE(m_callback.errorNames, QStringList{QStringLiteral("folder.sqlite")});
    QCOMPARE(m_callback.errorTexts.size(), 1);
    const QString text = m_callback.errorTexts.first();
    QVERIFY2(text.startsWith(QStringLiteral("Error description:\nOpen the 'SQLite3' database\n\nSQL Driver error:\n")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("\n\nSQL Database error:\n")), qPrintable(text));
}

void tst_Database::openSQLite3NotADatabaseClosesConnection()
{
    const QString path = m_dir->filePath(QStringLiteral("garbage.sqlite"));
    QVERIFY(writeFile(path, QByteArray(4096, 'x')));
    Database db(&m_callback, QStringLiteral("tst_Database"));
    QCOMPARE(db.openSQLite3(path), Errors::Type_Error(81));
    // A connection without its settings must not stay open behind "cannot open".
    QVERIFY(!db.isOpen());
    QCOMPARE(db.getDatabase(), nullptr);
    QCOMPARE(m_callback.kinds, (QList<int>{4, 0}));
    QCOMPARE(m_callback.errorTexts.size(), 1);
    const QString text = m_callback.errorTexts.first();
    QVERIFY2(text.startsWith(QStringLiteral("Error description:\nThe 'SQLite3' database file is damaged\n\n")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("not a database")), qPrintable(text));
    QCOMPARE(m_callback.errorNames, QStringList{QStringLiteral("garbage.sqlite")});
    QVERIFY(!QSqlDatabase::contains(QStringLiteral("tst_Database")));
}

void tst_Database::openSQLite3DamagedFileRefusedUntouched_data()
{
    QTest::addColumn<qint64>("offset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("truncateTo");
    QTest::newRow("table page overwritten") << qint64(3 * 4096) << QByteArray(4096, '\xff') << qint64(-1);
    QTest::newRow("cell pointers zeroed") << qint64(5 * 4096 + 100) << QByteArray(200, '\0') << qint64(-1);
    QTest::newRow("cut short") << qint64(0) << QByteArray() << qint64(40000);
}

void tst_Database::openSQLite3DamagedFileRefusedUntouched()
{
    QFETCH(qint64, offset);
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, truncateTo);
    const QString path = makeDatabaseFile();
    {
        Database db(nullptr, QStringLiteral("tst_Database_fill"));
        QCOMPARE(db.openSQLite3(path), Errors::Type_Error(0));
        QCOMPARE(db.execCommand(QStringLiteral("CREATE TABLE t(id INTEGER PRIMARY KEY, v TEXT)")), Errors::Type_Error(0));
        QCOMPARE(db.execCommand(QStringLiteral("CREATE INDEX iv ON t(v)")), Errors::Type_Error(0));
        QCOMPARE(db.execCommand(QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 3000) "
                                               "INSERT INTO t SELECT x, printf('value %d', x) FROM c")),
                 Errors::Type_Error(0));
    }
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.size() > 40000);
        if (truncateTo >= 0) {
            QVERIFY(file.resize(truncateTo));
        } else {
            QVERIFY(file.seek(offset));
            QCOMPARE(file.write(bytes), qint64(bytes.size()));
        }
    }
    const QByteArray damaged = fileBytes(path);
    const QDateTime modified = QFileInfo(path).lastModified();

    Database db(&m_callback, QStringLiteral("tst_Database"));
    QCOMPARE(db.openSQLite3(path), Errors::Type_Error(81));
    QVERIFY(!db.isOpen());
    QCOMPARE(m_callback.errorTexts.size(), 1);
    QVERIFY2(m_callback.errorTexts.first().contains(QStringLiteral("database file is damaged")),
             qPrintable(m_callback.errorTexts.first()));
    // Not a byte written, and no journal or log left beside it.
    QCOMPARE(fileBytes(path), damaged);
    QCOMPARE(QFileInfo(path).lastModified(), modified);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("results.sqlite")});
}

void tst_Database::checkGoesAsDeepAsTheFilesHistory()
{
    // Each check reads the whole file (seconds for a gigabyte): the full one where damage is
    // possible, none for a file as this process left it.
    using Check = Database_SQLite3Check;
    Check::setObserver(&recordCheck);
    const auto noObserver = qScopeGuard([] { Check::setObserver(nullptr); });
    const QString path = makeDatabaseFile(QStringLiteral("history.sqlite"));
    const auto openAndClose = [&](const QString& statement = QString()) {
        g_checks.clear();
        Database db(nullptr, QStringLiteral("tst_Database_history"));
        const Errors::Type_Error result = db.openSQLite3(path);
        if (result == 0 && !statement.isEmpty())
            db.execCommand(statement);
        return result == 0 && g_checks.size() == 1 ? g_checks.first() : Check::Depth(-1);
    };

    // The first open of the file by this process.
    QCOMPARE(openAndClose(QStringLiteral("CREATE TABLE t(v TEXT)")), Check::Full);
    // As this process left it, its own commits included: nothing to read.
    QCOMPARE(openAndClose(QStringLiteral("INSERT INTO t VALUES ('marker')")), Check::None);
    QCOMPARE(openAndClose(), Check::None);
    // Committed by another connection (another process's SQLite): from outside that cannot be
    // told from a file written anew, so everything is checked.
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("tst_Database_other"));
        other.setDatabaseName(path);
        QVERIFY(other.open());
        QVERIFY(QSqlQuery(other).exec(QStringLiteral("INSERT INTO t VALUES ('b')")));
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("tst_Database_other"));
    QCOMPARE(Check::depthFor(path), Check::Full);
    QCOMPARE(openAndClose(), Check::Full);
    QCOMPARE(Check::depthFor(path), Check::None);
    // Written by anything but SQLite: a page changed, the commit counter as it was.
    {
        QByteArray bytes = fileBytes(path);
        const qsizetype at = bytes.indexOf("marker");
        QVERIFY(at > 0);
        bytes[at] = 'M';
        QVERIFY(writeFile(path, bytes));
    }
    QCOMPARE(Check::depthFor(path), Check::Full);
    QCOMPARE(openAndClose(), Check::Full);
    // A write cut off by a run that did not end: its journal lies beside the file.
    QVERIFY(writeFile(path + QStringLiteral("-journal"), QByteArray(512, '\0')));
    QCOMPARE(Check::depthFor(path), Check::Full);
    QVERIFY(QFile::remove(path + QStringLiteral("-journal")));
    QCOMPARE(Check::depthFor(path), Check::None);
    // Another file under the same name.
    const QByteArray same = fileBytes(path);
    QVERIFY(QFile::remove(path));
    QVERIFY(writeFile(path, same));
    QCOMPARE(Check::depthFor(path), Check::Full);
}

QString tst_Database::makeIndexedDatabase()
{
    const QString path = makeDatabaseFile();
    Database db(nullptr, QStringLiteral("tst_Database_fill"));
    if (db.openSQLite3(path) != 0
        || db.execCommand(QStringLiteral("CREATE TABLE t(id INTEGER PRIMARY KEY, v TEXT)")) != 0
        || db.execCommand(QStringLiteral("CREATE INDEX iv ON t(v)")) != 0
        || db.execCommand(QStringLiteral("CREATE TABLE u(w TEXT)")) != 0
        || db.execCommand(QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 3000) "
                                         "INSERT INTO t SELECT x, printf('value %d', x) FROM c"))
            != 0)
        return QString();
    return path;
}

// The next open checks everything and finds the row that no longer matches its index.
void tst_Database::refusedAtNextOpen(const QString& path)
{
    QCOMPARE(Database_SQLite3Check::depthFor(path), Database_SQLite3Check::Full);
    Database db(&m_callback, QStringLiteral("tst_Database"));
    QCOMPARE(db.openSQLite3(path), Errors::Type_Error(81));
    QCOMPARE(m_callback.errorTexts.size(), 1);
    QVERIFY2(m_callback.errorTexts.first().contains(QStringLiteral("missing from index iv")),
             qPrintable(m_callback.errorTexts.first()));
}

void tst_Database::writtenBesideOwnCommitsIsRefused_data()
{
    // Statements run around the damage another program does to a page while the file is open.
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("after the last commit") << QStringList{"INSERT INTO u VALUES ('a')"} << QStringList{};
    QTest::newRow("between two commits")
        << QStringList{"INSERT INTO u VALUES ('a')"} << QStringList{"INSERT INTO u VALUES ('b')"};
    QTest::newRow("inside a transaction")
        << QStringList{"BEGIN", "INSERT INTO u VALUES ('a')"} << QStringList{"INSERT INTO u VALUES ('b')", "COMMIT"};
    QTest::newRow("while only read") << QStringList{"SELECT count(*) FROM t"} << QStringList{"SELECT count(*) FROM u"};
}

// A page overwritten by another program while this process holds the file is not the file as
// this process left it, whatever its own commits did around it: the next open checks it fully.
void tst_Database::writtenBesideOwnCommitsIsRefused()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    const QString path = makeIndexedDatabase();
    QVERIFY(!path.isEmpty());
    {
        Database db(nullptr, QStringLiteral("tst_Database_held"));
        QCOMPARE(db.openSQLite3(path), Errors::Type_Error(0));
        for (const QString& statement : before)
            QCOMPARE(db.execCommand(statement), Errors::Type_Error(0));
        QByteArray bytes = fileBytes(path);
        QVERIFY(damageIndexedRow(bytes));
        QVERIFY(overwriteInPlace(path, bytes));
        for (const QString& statement : after)
            QCOMPARE(db.execCommand(statement), Errors::Type_Error(0));
    }
    refusedAtNextOpen(path);
}

void tst_Database::damagedIntoTheSameInodeIsRefused_data()
{
    QTest::addColumn<bool>("counterMoved");
    // As after another program's commit: from the outside the same file, changed by SQLite.
    QTest::newRow("change counter moved") << true;
    QTest::newRow("change counter as it was") << false;
}

// Another damaged database put at the same path between two opens, in the same inode (as a file
// system may give a new file the number of one just removed): neither the inode nor the change
// counter tells it from the file this process left, and a check of the structure alone would
// pass it.
void tst_Database::damagedIntoTheSameInodeIsRefused()
{
    QFETCH(bool, counterMoved);
    const QString path = makeIndexedDatabase();
    QVERIFY(!path.isEmpty());
    QCOMPARE(Database_SQLite3Check::depthFor(path), Database_SQLite3Check::None);
    const quint64 inode = inodeOf(path);

    QByteArray bytes = fileBytes(path);
    QVERIFY(damageIndexedRow(bytes));
    if (counterMoved) {
        // The change counter and the number it is valid for, as a commit leaves them.
        const quint32 counter = qFromBigEndian<quint32>(bytes.constData() + 24) + 1;
        qToBigEndian(counter, bytes.data() + 24);
        qToBigEndian(counter, bytes.data() + 92);
    }
    QVERIFY(overwriteInPlace(path, bytes));
    QCOMPARE(inodeOf(path), inode);

    refusedAtNextOpen(path);
}

void tst_Database::ownCommitsKeepTheCheapPath_data()
{
    QTest::addColumn<QStringList>("statements");
    QTest::newRow("one commit") << QStringList{"INSERT INTO u VALUES ('a')"};
    QTest::newRow("many commits") << QStringList{"INSERT INTO u VALUES ('a')", "INSERT INTO u VALUES ('b')",
                                                 "UPDATE t SET v = 'changed' WHERE id = 7", "DELETE FROM t WHERE id > 2900"};
    QTest::newRow("a transaction") << QStringList{"BEGIN", "INSERT INTO u VALUES ('a')", "DELETE FROM t", "COMMIT"};
    QTest::newRow("a transaction rolled back")
        << QStringList{"BEGIN", "INSERT INTO u VALUES ('a')", "DELETE FROM t", "ROLLBACK"};
    QTest::newRow("the schema changed") << QStringList{"CREATE TABLE IF NOT EXISTS w(x)", "DROP INDEX IF EXISTS iv",
                                                       "CREATE INDEX IF NOT EXISTS iw ON u(w)"};
    QTest::newRow("only read") << QStringList{"SELECT count(*) FROM t"};
}

// What this process's own connection wrote since the full check needs no check again: the
// cheap path holds through every kind of own commit.
void tst_Database::ownCommitsKeepTheCheapPath()
{
    QFETCH(QStringList, statements);
    using Check = Database_SQLite3Check;
    const QString path = makeIndexedDatabase();
    QVERIFY(!path.isEmpty());
    Check::setObserver(&recordCheck);
    const auto noObserver = qScopeGuard([] { Check::setObserver(nullptr); });
    for (int round = 0; round < 2; ++round) {
        g_checks.clear();
        Database db(&m_callback, QStringLiteral("tst_Database"));
        QCOMPARE(db.openSQLite3(path), Errors::Type_Error(0));
        QCOMPARE(g_checks, QList<Check::Depth>{Check::None});
        for (const QString& statement : statements)
            QCOMPARE(db.execCommand(statement), Errors::Type_Error(0));
    }
    QCOMPARE(Check::depthFor(path), Check::None);
    QVERIFY(m_callback.errorTexts.isEmpty());
}

void tst_Database::openTwiceClosesFirst()
{
    const QString first = makeDatabaseFile(QStringLiteral("first.sqlite"));
    const QString second = makeDatabaseFile(QStringLiteral("second.sqlite"));
    Database db(&m_callback, QStringLiteral("tst_Database"));
    QCOMPARE(db.openSQLite3(first), Errors::Type_Error(0));
    QCOMPARE(db.execCommand(QStringLiteral("CREATE TABLE only_in_first(a)")), Errors::Type_Error(0));
    QCOMPARE(db.openSQLite3(second), Errors::Type_Error(0));
    QCOMPARE(m_callback.kinds, (QList<int>{4, 0, 4}));
    QCOMPARE(db.databaseName(), QStringLiteral("second.sqlite"));
    QCOMPARE(db.execCommand(QStringLiteral("SELECT * FROM only_in_first"), true), Errors::Type_Error(85));
}

void tst_Database::closeWhenClosedCallsNothing()
{
    Database db(&m_callback, QStringLiteral("tst_Database"));
    db.close();
    db.close();
    QVERIFY(m_callback.kinds.isEmpty());
    QVERIFY(m_callback.errorTexts.isEmpty());
    QCOMPARE(db.getDatabase(), nullptr);
    QVERIFY(!db.isOpen());
}

void tst_Database::destructorCloses()
{
    const QString path = makeDatabaseFile();
    {
        Database db(&m_callback, QStringLiteral("tst_Database"));
        QCOMPARE(db.openSQLite3(path), Errors::Type_Error(0));
    }
    QCOMPARE(m_callback.kinds, (QList<int>{4, 0}));
    QVERIFY(!QSqlDatabase::contains(QStringLiteral("tst_Database")));
    // Nothing stays registered, so the same name opens again.
    Database again(nullptr, QStringLiteral("tst_Database"));
    QCOMPARE(again.openSQLite3(path), Errors::Type_Error(0));
}

void tst_Database::missingDriver()
{
    const QString path = makeDatabaseFile();
    SeamDatabase db(&m_callback, QStringLiteral("tst_Database"));
    db.driverOverride = QStringLiteral("QNOSUCHDRIVER");
    QCOMPARE(db.openSQLite3(path), Errors::Type_Error(80));
    QVERIFY(m_callback.errorTexts.isEmpty());
    QVERIFY(!db.isOpen());
    db.close();
    QCOMPARE(m_callback.kinds, (QList<int>{4, 0}));
    // The name registered with the missing driver is gone as well.
    QVERIFY(!QSqlDatabase::contains(QStringLiteral("tst_Database")));
}

void tst_Database::fileChecks_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("reports");

    const qint64 access = Database::MaxSizeMSAccess;
    const qint64 sqlite = Database::MaxSizeSQLite3;
    QCOMPARE(access, qint64(2040109465));
    QCOMPARE(sqlite, qint64(2089072092774));
    // MS Access checks pass into a real open attempt, which fails without an Access
    // driver and is reported; a refused file never reaches the driver.
    QTest::newRow("access missing") << 1 << false << true << qint64(0) << 81 << 0;
    QTest::newRow("access read-only") << 1 << true << false << qint64(0) << 82 << 0;
    QTest::newRow("access read-only and too big") << 1 << true << false << access + 1 << 82 << 0;
    QTest::newRow("access at limit") << 1 << true << true << access << 81 << 1;
    QTest::newRow("access one byte over") << 1 << true << true << access + 1 << 83 << 0;
    QTest::newRow("access over sqlite limit") << 1 << true << true << sqlite << 83 << 0;
    QTest::newRow("sqlite missing") << 4 << false << true << qint64(0) << 81 << 0;
    QTest::newRow("sqlite read-only") << 4 << true << false << qint64(0) << 82 << 0;
    QTest::newRow("sqlite over access limit") << 4 << true << true << access + 1 << 0 << 0;
    QTest::newRow("sqlite at limit") << 4 << true << true << sqlite << 0 << 0;
    QTest::newRow("sqlite one byte over") << 4 << true << true << sqlite + 1 << 83 << 0;
}

void tst_Database::fileChecks()
{
    QFETCH(int, kind);
    QFETCH(bool, exists);
    QFETCH(bool, writable);
    QFETCH(qint64, size);
    QFETCH(int, expected);
    QFETCH(int, reports);

    const QString path = makeDatabaseFile(QStringLiteral("checked.db"));
    SeamDatabase db(&m_callback, QStringLiteral("tst_Database"));
    db.exists = exists;
    db.writable = writable;
    db.size = size;
    const Errors::Type_Error result = kind == Database::KindMSAccess ? db.openMSAccess(path) : db.openSQLite3(path);
    QCOMPARE(int(result), expected);
    QCOMPARE(db.isOpen(), expected == 0);
    QCOMPARE(m_callback.errorTexts.size(), reports);
    if (reports > 0) {
        QCOMPARE(m_callback.errorNames.first(), QStringLiteral("checked.db"));
        QVERIFY(m_callback.errorTexts.first().startsWith(QStringLiteral("Error description:\nOpen the 'MS Access' database\n\n")));
    }
    QCOMPARE(m_callback.kinds, QList<int>{kind});
}

void tst_Database::readOnlyFileIsRefused()
{
    if (geteuid() == 0)
        QSKIP("root may write every file; the seam case of fileChecks covers this");
    const QString path = makeDatabaseFile();
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
    Database db(&m_callback, QStringLiteral("tst_Database"));
    QCOMPARE(db.openSQLite3(path), Errors::Type_Error(82));
    QCOMPARE(db.openMSAccess(path), Errors::Type_Error(82));
    QVERIFY(m_callback.errorTexts.isEmpty());
}

void tst_Database::readOnlyFolderIsRefused()
{
    // The file itself may be written, but not the journal every save makes beside it.
    const QString path = makeDatabaseFile(QStringLiteral("shut.db"));
    {
        SeamDatabase db(&m_callback, QStringLiteral("tst_Database"));
        db.size = QFileInfo(path).size();
        db.folderWritableSeam = false;
        QCOMPARE(db.openSQLite3(path), Errors::Type_Error(82));
        QVERIFY(!db.isOpen());
        QVERIFY(m_callback.errorTexts.isEmpty());
    }
    if (geteuid() == 0)
        QSKIP("root may write into every folder; the seam case above covers this");
    const QFile::Permissions before = QFile::permissions(m_dir->path());
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
    const auto restore = qScopeGuard([&] { QFile::setPermissions(m_dir->path(), before); });
    Database db(&m_callback, QStringLiteral("tst_Database"));
    QCOMPARE(db.openSQLite3(path), Errors::Type_Error(82));
    QVERIFY(!db.isOpen());
}

void tst_Database::realSizeLimitMSAccess()
{
    // Sparse files: the size check must look at the real size, not at a fake.
    const QString atLimit = m_dir->filePath(QStringLiteral("limit.mdb"));
    const QString over = m_dir->filePath(QStringLiteral("over.mdb"));
    QFile file(atLimit);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(Database::MaxSizeMSAccess))
        QSKIP("the temporary folder cannot hold a sparse file of 2 GB");
    file.close();
    QFile big(over);
    if (!big.open(QIODevice::WriteOnly) || !big.resize(Database::MaxSizeMSAccess + 1))
        QSKIP("the temporary folder cannot hold a sparse file of 2 GB");
    big.close();

    Database db(&m_callback, QStringLiteral("tst_Database"));
    QCOMPARE(db.openMSAccess(over), Errors::Type_Error(83));
    QVERIFY(m_callback.errorTexts.isEmpty());
    // At the limit the file reaches the driver (none for Access here: a reported 81).
    QCOMPARE(db.openMSAccess(atLimit), Errors::Type_Error(81));
    QCOMPARE(m_callback.errorTexts.size(), 1);
}

void tst_Database::connectionStringMSAccess()
{
    const QString path = makeDatabaseFile(QStringLiteral("plates.mdb"));
    Database db(&m_callback, QStringLiteral("tst_Database"));
    QCOMPARE(db.openMSAccess(path), Errors::Type_Error(81));
    QCOMPARE(db.databaseType(), int(Database::KindMSAccess));
    QCOMPARE(db.databaseName(), QStringLiteral("plates.mdb"));
    // The unopened handle stays until the next close, with the settings it was given.
    QVERIFY(db.getDatabase());
    QCOMPARE(db.getDatabase()->driverName(), QStringLiteral("QODBC"));
    QCOMPARE(db.getDatabase()->databaseName(),
             QStringLiteral("DRIVER={Microsoft Access Driver (*.mdb)};FIL={MS Access};DBQ=") + path);
    QCOMPARE(db.getDatabase()->connectOptions(), QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=10;SQL_ATTR_CONNECTION_TIMEOUT=10"));
    QCOMPARE(m_callback.errorNames, QStringList{QStringLiteral("plates.mdb")});
    QCOMPARE(db.lastError().type(), QSqlError::ConnectionError);

    // A ";" in the path must not start a new attribute of the connection string.
    const QString awkward = makeDatabaseFile(QStringLiteral("a;DRIVER=x.mdb"));
    QCOMPARE(db.openMSAccess(awkward), Errors::Type_Error(81));
    QCOMPARE(db.getDatabase()->databaseName(),
             QStringLiteral("DRIVER={Microsoft Access Driver (*.mdb)};FIL={MS Access};DBQ={") + awkward + QLatin1Char('}'));
}

void tst_Database::connectionStringMSSQLServer_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("database");
    QTest::addColumn<bool>("sqlAuthentication");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("expectedUser");
    QTest::addColumn<QString>("expectedPassword");

    QTest::newRow("windows authentication")
        << "LABSERVER\\SQLEXPRESS" << "Zelvorin" << false << "secret"
        << "DRIVER={SQL Server};SERVER=LABSERVER\\SQLEXPRESS;DATABASE=Zelvorin" << "" << "";
    QTest::newRow("sql authentication")
        << "10.0.0.5,1433" << "Results" << true << "secret"
        << "DRIVER={SQL Server};SERVER=10.0.0.5,1433;DATABASE=Results" << "picker" << "secret";
    QTest::newRow("semicolon in password")
        << "srv" << "db" << true << "se;cret" << "DRIVER={SQL Server};SERVER=srv;DATABASE=db" << "picker" << "{se;cret}";
    QTest::newRow("marker in server name stays text")
        << "srv%2" << "db" << false << "" << "DRIVER={SQL Server};SERVER=srv%2;DATABASE=db" << "" << "";
    QTest::newRow("semicolon and brace in names")
        << "srv;UID=sa" << "d}b" << false << "" << "DRIVER={SQL Server};SERVER={srv;UID=sa};DATABASE={d}}b}" << "" << "";
}

void tst_Database::connectionStringMSSQLServer()
{
    QFETCH(QString, server);
    QFETCH(QString, database);
    QFETCH(bool, sqlAuthentication);
    QFETCH(QString, password);
    QFETCH(QString, expected);
    QFETCH(QString, expectedUser);
    QFETCH(QString, expectedPassword);

    Database db(&m_callback, QStringLiteral("tst_Database"));
    // No driver of that name is registered here, so the open fails fast and is reported.
    QCOMPARE(db.openMSSQLServer(server, database, QStringLiteral("picker"), password, sqlAuthentication), Errors::Type_Error(81));
    QCOMPARE(db.databaseType(), int(Database::KindMSSQLServer));
    QCOMPARE(db.databaseName(), database);
    QCOMPARE(db.getDatabase()->databaseName(), expected);
    QCOMPARE(db.getDatabase()->userName(), expectedUser);
    QCOMPARE(db.getDatabase()->password(), expectedPassword);
    QCOMPARE(db.getDatabase()->connectOptions(), QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=10;SQL_ATTR_CONNECTION_TIMEOUT=10"));
    QCOMPARE(m_callback.errorNames, QStringList{database});
    QVERIFY(m_callback.errorTexts.first().startsWith(
        QStringLiteral("Error description:\nOpen the 'Microsoft SQL Server' database\n\nSQL Driver error:\n")));
}

void tst_Database::execCommand()
{
    Database db(&m_callback, QStringLiteral("tst_Database"));
    QCOMPARE(db.execCommand(QStringLiteral("SELECT 1")), Errors::Type_Error(84));
    QCOMPARE(db.execScriptFile(QStringLiteral("/nonexistent.sql")), Errors::Type_Error(84));
    QVERIFY(m_callback.errorTexts.isEmpty());

    QCOMPARE(db.openSQLite3(makeDatabaseFile()), Errors::Type_Error(0));
    QCOMPARE(db.execCommand(QStringLiteral("CREATE TABLE t(v TEXT)")), Errors::Type_Error(0));
    QCOMPARE(db.execCommand(QStringLiteral("INSERT INTO t VALUES('a')")), Errors::Type_Error(0));
    QCOMPARE(columnValues(db, QStringLiteral("SELECT v FROM t")), QStringList{QStringLiteral("a")});

    QCOMPARE(db.execCommand(QStringLiteral("  SELECT * FROM nope  "), true), Errors::Type_Error(85));
    QVERIFY(m_callback.errorTexts.isEmpty());

    QCOMPARE(db.execCommand(QStringLiteral("  SELECT * FROM nope  ")), Errors::Type_Error(85));
    QCOMPARE(m_callback.errorNames, QStringList{QStringLiteral("results.sqlite")});
    const QString text = m_callback.errorTexts.first();
    QVERIFY2(text.startsWith(QStringLiteral("Error description:\nExecute SQL command\n\nSQL query:\nSELECT * FROM nope\n\nSQL Driver error:\n")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("\n\nSQL Database error:\nno such table: nope")), qPrintable(text));
    // A failing statement leaves the connection usable.
    QVERIFY(db.isOpen());
    QCOMPARE(db.execCommand(QStringLiteral("INSERT INTO t VALUES('b')")), Errors::Type_Error(0));

    // Two statements in one command would run only the first one; the driver refuses them.
    QCOMPARE(db.execCommand(QStringLiteral("INSERT INTO t VALUES('c'); INSERT INTO t VALUES('d')"), true), Errors::Type_Error(85));
    QCOMPARE(columnValues(db, QStringLiteral("SELECT v FROM t ORDER BY rowid")), (QStringList{"a", "b"}));

    // showQueryError hands any query's error to the owner, with the caller's description.
    QSqlQuery query(*db.getDatabase());
    QVERIFY(!query.exec(QStringLiteral("INSERT INTO nope VALUES(1)")));
    db.showQueryError(query, QStringLiteral("SQL Statement error in table [nope]"));
    QCOMPARE(m_callback.errorTexts.size(), 2);
    QVERIFY(m_callback.errorTexts.last().startsWith(
        QStringLiteral("Error description:\nSQL Statement error in table [nope]\n\nSQL query:\nINSERT INTO nope VALUES(1)\n\n")));

    Database silent(nullptr, QStringLiteral("tst_Database_silent"));
    QCOMPARE(silent.openSQLite3(makeDatabaseFile(QStringLiteral("silent.sqlite"))), Errors::Type_Error(0));
    QCOMPARE(silent.execCommand(QStringLiteral("SELECT * FROM nope")), Errors::Type_Error(85));
}

void tst_Database::errorTexts_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("driverText");
    QTest::addColumn<QString>("databaseText");
    QTest::addColumn<QString>("expectedQuery");
    QTest::addColumn<QString>("expectedOpen");

    QTest::newRow("all parts") << " SELECT 1 \n" << " Unable to execute statement " << "no such table: x\n"
                               << "Error description:\nD\n\nSQL query:\nSELECT 1\n\nSQL Driver error:\nUnable to execute statement\n\nSQL Database error:\nno such table: x"
                               << "Error description:\nD\n\nSQL Driver error:\nUnable to execute statement\n\nSQL Database error:\nno such table: x";
    QTest::newRow("empty parts read none") << "" << "" << "  \n"
                                           << "Error description:\nD\n\nSQL query:\n\n\nSQL Driver error:\nnone\n\nSQL Database error:\nnone"
                                           << "Error description:\nD\n\nSQL Driver error:\nnone\n\nSQL Database error:\nnone";
    QTest::newRow("markers stay text") << "SELECT '%1'" << "%2" << "%1"
                                       << "Error description:\nD\n\nSQL query:\nSELECT '%1'\n\nSQL Driver error:\n%2\n\nSQL Database error:\n%1"
                                       << "Error description:\nD\n\nSQL Driver error:\n%2\n\nSQL Database error:\n%1";
}

void tst_Database::errorTexts()
{
    QFETCH(QString, statement);
    QFETCH(QString, driverText);
    QFETCH(QString, databaseText);
    QFETCH(QString, expectedQuery);
    QFETCH(QString, expectedOpen);
    QCOMPARE(Database::composeQueryErrorText(QStringLiteral("D"), statement, driverText, databaseText), expectedQuery);
    QCOMPARE(Database::composeOpenErrorText(QStringLiteral("D"), driverText, databaseText), expectedOpen);
}

void tst_Database::scriptStatements_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("sqlite separators and blank lines")
        << 4 << "CREATE TABLE a (\n  x INT,\n\n  y INT\n)\n;\n\n;\nINSERT INTO a VALUES(1,2)\n;\n"
        << QStringList{"CREATE TABLE a ( x INT,  y INT )", "INSERT INTO a VALUES(1,2)"};
    QTest::newRow("sqlite semicolon at line end does not end")
        << 4 << "SELECT 1;\nSELECT 2;\n;\n" << QStringList{"SELECT 1; SELECT 2;"};
    QTest::newRow("sqlite last statement without terminator")
        << 4 << "SELECT 1\n;\nSELECT 2\n" << QStringList{"SELECT 1", "SELECT 2"};
    QTest::newRow("sqlite only a comment after the last terminator")
        << 4 << "SELECT 1\n;\n/* end */\n\n" << QStringList{"SELECT 1"};
    QTest::newRow("two block comments removed")
        << 4 << "SELECT /* one */ 1 /* two */\n;" << QStringList{"SELECT  1"};
    QTest::newRow("block comment over lines")
        << 4 << "/* header\n   of the file */\nSELECT 1\n;" << QStringList{"SELECT 1"};
    QTest::newRow("end marker before start marker keeps text")
        << 4 << "SELECT '*/ x /* y'\n;" << QStringList{"SELECT '*/ x /* y'"};
    QTest::newRow("unclosed comment kept")
        << 4 << "SELECT 1 /* open\n;" << QStringList{"SELECT 1 /* open"};
    QTest::newRow("line comments dropped")
        << 4 << "-- the colonies\nCREATE TABLE c (\n  -- key\n  id INT\n)\n;" << QStringList{"CREATE TABLE c ( id INT )"};
    QTest::newRow("windows line ends")
        << 4 << "SELECT 1\r\n;\r\nSELECT 2\r\n;\r\n" << QStringList{"SELECT 1", "SELECT 2"};
    QTest::newRow("sqlite GO is text") << 4 << "SELECT 1\nGO\n" << QStringList{"SELECT 1 GO"};

    QTest::newRow("access GO separators")
        << 1 << "CREATE TABLE a (x INT)\nGO\nINSERT INTO a VALUES(1)\nGO\n" << QStringList{"CREATE TABLE a (x INT)", "INSERT INTO a VALUES(1)"};
    QTest::newRow("access lower-case go is text")
        << 1 << "SELECT 1\ngo\nSELECT 2\nGO\n" << QStringList{"SELECT 1 go SELECT 2"};
    QTest::newRow("access identity insert dropped")
        << 1 << "SET IDENTITY_INSERT a ON\nGO\nINSERT INTO a VALUES(1)\nGO\n" << QStringList{"INSERT INTO a VALUES(1)"};
    QTest::newRow("access last statement without GO")
        << 1 << "SELECT 1\nGO\nSELECT 2" << QStringList{"SELECT 1", "SELECT 2"};
    QTest::newRow("sql server keeps identity insert")
        << 2 << "SET IDENTITY_INSERT a ON\nGO\n" << QStringList{"SET IDENTITY_INSERT a ON"};
    QTest::newRow("sql server semicolon line is text") << 2 << "SELECT 1\n;\n" << QStringList{"SELECT 1 ;"};

    QTest::newRow("sequence dialect")
        << 3 << "CREATE TABLE a (x INT);\n/\nINSERT INTO a\nVALUES(1);\n" << QStringList{"CREATE TABLE a (x INT)", "INSERT INTO a VALUES(1)"};
    QTest::newRow("sequence dialect trigger keeps semicolon")
        << 3 << "/* t */ CREATE TRIGGER t BEFORE INSERT ON a BEGIN NULL; END;\n"
        << QStringList{"CREATE TRIGGER t BEFORE INSERT ON a BEGIN NULL; END;"};
    QTest::newRow("sequence dialect last statement without semicolon")
        << 3 << "SELECT 1 FROM DUAL;\nSELECT 2 FROM DUAL\n" << QStringList{"SELECT 1 FROM DUAL", "SELECT 2 FROM DUAL"};

    QTest::newRow("literal over lines keeps its lines")
        << 4 << "INSERT INTO t VALUES('first\n-- second\n  third ')\n;\n"
        << QStringList{"INSERT INTO t VALUES('first\n-- second\n  third ')"};
    QTest::newRow("line comment ends at its line")
        << 4 << "CREATE TABLE c (\n  id INT, -- key\n  v TEXT\n)\n;" << QStringList{"CREATE TABLE c ( id INT, v TEXT )"};
    QTest::newRow("comment markers inside literal and quoted name are text")
        << 4 << "SELECT 'a -- b /* c */', [x--y] FROM t -- why\n;"
        << QStringList{"SELECT 'a -- b /* c */', [x--y] FROM t"};
    QTest::newRow("terminator line inside literal is text")
        << 4 << "INSERT INTO t VALUES('x\n;\ny')\n;\n" << QStringList{"INSERT INTO t VALUES('x\n;\ny')"};
    QTest::newRow("terminator line inside block comment ends nothing")
        << 4 << "SELECT 1 /*\n;\n*/\n;\n" << QStringList{"SELECT 1"};
    QTest::newRow("doubled quote stays inside the literal")
        << 4 << "SELECT 'it''s -- text'\n;" << QStringList{"SELECT 'it''s -- text'"};
    QTest::newRow("sequence dialect comment after semicolon")
        << 3 << "SELECT 1 FROM DUAL; -- one\nSELECT 2 FROM DUAL;\n" << QStringList{"SELECT 1 FROM DUAL", "SELECT 2 FROM DUAL"};

    QTest::newRow("empty script") << 4 << "" << QStringList{};
    QTest::newRow("only separators") << 4 << "\n;\n  ;  \n\n" << QStringList{};
}

void tst_Database::scriptStatements()
{
    QFETCH(int, kind);
    QFETCH(QString, script);
    QFETCH(QStringList, expected);
    QCOMPARE(Database::scriptStatements(kind, script), expected);
}

void tst_Database::shippedTemplatesSplitWhole_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("terminator");
    QTest::newRow("SQLite3") << 4 << QStringLiteral("ZelvorinDatabase_SQLite3.sql") << QStringLiteral(";");
    QTest::newRow("MS SQL Server") << 2 << QStringLiteral("ZelvorinDatabase_MSSQL.sql") << QStringLiteral("GO");
}

void tst_Database::shippedTemplatesSplitWhole()
{
    QFETCH(int, kind);
    QFETCH(QString, file);
    QFETCH(QString, terminator);
    QFile script(TestFixtures::sourceDir() + QStringLiteral("/database_templates/") + file);
    QVERIFY(script.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString text = QString::fromUtf8(script.readAll());
    int terminators = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        terminators += line.trimmed() == terminator ? 1 : 0;

    // One statement per terminator line, each free of the comments around it.
    const QStringList statements = Database::scriptStatements(kind, text);
    QCOMPARE(statements.size(), terminators);
    for (const QString& statement : statements) {
        QVERIFY2(!statement.contains(QLatin1String("--")) && !statement.contains(QLatin1String("/*")),
                 qPrintable(statement));
        QVERIFY2(statement.startsWith(QLatin1String("CREATE ")) || statement.startsWith(QLatin1String("INSERT ")),
                 qPrintable(statement));
    }
}

void tst_Database::execScriptFileSQLite3_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<bool>("quiet");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("reports");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("statements with comments")
        << QByteArray("/* values */\nINSERT INTO t\n  VALUES('a')\n;\n-- next\nINSERT INTO t VALUES('b') /* x */\n;\n")
        << false << 0 << 0 << QStringList{"a", "b"};
    QTest::newRow("last statement without terminator runs")
        << QByteArray("INSERT INTO t VALUES('a')\n;\nINSERT INTO t VALUES('b')") << false << 0 << 0 << QStringList{"a", "b"};
    QTest::newRow("last statement without terminator fails")
        << QByteArray("INSERT INTO t VALUES('a')\n;\nINSERT INTO nope VALUES('b')\n") << false << 85 << 1 << QStringList{"a"};
    QTest::newRow("stops at first failure")
        << QByteArray("INSERT INTO t VALUES('a')\n;\nINSERT INTO nope VALUES(1)\n;\nINSERT INTO t VALUES('c')\n;\n")
        << false << 85 << 1 << QStringList{"a"};
    QTest::newRow("quiet goes on past failures")
        << QByteArray("INSERT INTO t VALUES('a')\n;\nINSERT INTO nope VALUES(1)\n;\nINSERT INTO t VALUES('c')\n;\nbroken\n")
        << true << 0 << 0 << QStringList{"a", "c"};
    QTest::newRow("utf-8 text")
        << QStringLiteral("INSERT INTO t VALUES('Grüße 菌落 ✓')\n;\n").toUtf8() << false << 0 << 0
        << QStringList{QStringLiteral("Grüße 菌落 ✓")};
    QTest::newRow("literal over lines stored exactly")
        << QByteArray("INSERT INTO t VALUES('one\n-- two\r\n  three')\n;\n") << false << 0 << 0
        << QStringList{"one\n-- two\n  three"};
    QTest::newRow("inline comment keeps the rest of the statement")
        << QByteArray("INSERT INTO t -- the target\n  VALUES('a') /* b */\n;\n") << false << 0 << 0 << QStringList{"a"};
    QTest::newRow("empty file") << QByteArray() << false << 0 << 0 << QStringList{};
}

void tst_Database::execScriptFileSQLite3()
{
    QFETCH(QByteArray, script);
    QFETCH(bool, quiet);
    QFETCH(int, expected);
    QFETCH(int, reports);
    QFETCH(QStringList, rows);

    Database db(&m_callback, QStringLiteral("tst_Database"));
    QCOMPARE(db.openSQLite3(makeDatabaseFile()), Errors::Type_Error(0));
    QCOMPARE(db.execCommand(QStringLiteral("CREATE TABLE t(v TEXT)")), Errors::Type_Error(0));
    const QString scriptPath = m_dir->filePath(QStringLiteral("script.sql"));
    QVERIFY(writeFile(scriptPath, script));

    QCOMPARE(int(db.execScriptFile(scriptPath, quiet)), expected);
    QCOMPARE(m_callback.errorTexts.size(), reports);
    if (reports > 0)
        QVERIFY(m_callback.errorTexts.first().contains(QStringLiteral("SQL query:\nINSERT INTO nope")));
    QCOMPARE(columnValues(db, QStringLiteral("SELECT v FROM t ORDER BY rowid")), rows);
    QVERIFY(db.isOpen());
}

void tst_Database::execScriptFileErrors()
{
    Database db(&m_callback, QStringLiteral("tst_Database"));
    QCOMPARE(db.openSQLite3(makeDatabaseFile()), Errors::Type_Error(0));
    QCOMPARE(db.execScriptFile(m_dir->filePath(QStringLiteral("missing.sql"))), Errors::Type_Error(90));
    QCOMPARE(db.execScriptFile(m_dir->path()), Errors::Type_Error(90));
    QCOMPARE(db.execScriptFile(QString()), Errors::Type_Error(90));
    QVERIFY(m_callback.errorTexts.isEmpty());
    QVERIFY(db.isOpen());
}

void tst_Database::odbcThroughSQLiteDriver()
{
    const QString driver = sqliteOdbcDriver();
    if (driver.isEmpty())
        QSKIP("SQLite ODBC driver (package libsqliteodbc) not installed: /usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so is absent");
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
        QSKIP("Qt ODBC driver (package libqt6sql6-odbc) not installed");

    // The MS Access road (file checks, QODBC, DSN-less connection string, GO scripts) over
    // a driver that is present on every test machine.
    Database::setConnectionTemplate(Database::KindMSAccess, QStringLiteral("DRIVER=%1;Database=").arg(driver) + QStringLiteral("%1"));
    const QString path = makeDatabaseFile(QStringLiteral("odbc.db"));
    Database db(&m_callback, QStringLiteral("tst_Database"));
    QCOMPARE(db.openMSAccess(path), Errors::Type_Error(0));
    QVERIFY2(m_callback.errorTexts.isEmpty(), qPrintable(m_callback.errorTexts.join('\n')));
    QVERIFY(db.isOpen());
    QCOMPARE(db.getDatabase()->driverName(), QStringLiteral("QODBC"));
    QCOMPARE(db.execCommand(QStringLiteral("CREATE TABLE t(id INTEGER PRIMARY KEY, v TEXT)")), Errors::Type_Error(0));
    QCOMPARE(db.execCommand(QStringLiteral("INSERT INTO t(v) VALUES(") + db.sqlQuoteString(QStringLiteral("it's")) + QLatin1Char(')')),
             Errors::Type_Error(0));

    const QString scriptPath = m_dir->filePath(QStringLiteral("odbc.sql"));
    QVERIFY(writeFile(scriptPath, "SET IDENTITY_INSERT t ON\nGO\nINSERT INTO t(v)\nVALUES('b')\nGO\nINSERT INTO t(v) VALUES('c')\n"));
    QCOMPARE(db.execScriptFile(scriptPath), Errors::Type_Error(0));
    QCOMPARE(columnValues(db, QStringLiteral("SELECT v FROM t ORDER BY id")), (QStringList{"it's", "b", "c"}));

    QCOMPARE(db.execCommand(QStringLiteral("SELECT * FROM nope")), Errors::Type_Error(85));
    QCOMPARE(m_callback.errorNames, QStringList{QStringLiteral("odbc.db")});
    QVERIFY2(m_callback.errorTexts.first().contains(QStringLiteral("no such table")), qPrintable(m_callback.errorTexts.first()));
    db.close();
    QCOMPARE(m_callback.kinds, (QList<int>{1, 0}));

    // The MS SQL Server road with its user name and password.
    Database::setConnectionTemplate(Database::KindMSSQLServer,
                                    QStringLiteral("DRIVER=%1;").arg(driver) + QStringLiteral("SERVER=%1;Database=%2"));
    QCOMPARE(db.openMSSQLServer(QStringLiteral("localhost"), path, QStringLiteral("picker"), QStringLiteral("secret"), true),
             Errors::Type_Error(0));
    QCOMPARE(db.databaseType(), int(Database::KindMSSQLServer));
    QCOMPARE(columnValues(db, QStringLiteral("SELECT count(*) FROM t")), QStringList{QStringLiteral("3")});
}

void tst_Database::dialect_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("top");
    QTest::addColumn<QString>("limit");
    QTest::addColumn<QString>("lastInsertId");
    QTest::addColumn<QString>("quoteBegin");

    QTest::newRow("none") << 0 << 10 << "" << "" << "" << "[";
    QTest::newRow("access 10") << 1 << 10 << " TOP 11 " << " " << "SELECT @@IDENTITY" << "[";
    QTest::newRow("access 0") << 1 << 0 << " " << " " << "SELECT @@IDENTITY" << "[";
    QTest::newRow("sql server 10") << 2 << 10 << " TOP 11 " << " " << "SELECT @@IDENTITY" << "[";
    QTest::newRow("sql server 1") << 2 << 1 << " TOP 2 " << " " << "SELECT @@IDENTITY" << "[";
    QTest::newRow("sql server negative") << 2 << -5 << " " << " " << "SELECT @@IDENTITY" << "[";
    QTest::newRow("sequence 10") << 3 << 10 << " TOP 11 " << " " << "SELECT SEQ_RACK.CURRVAL FROM DUAL" << "";
    QTest::newRow("sqlite 10") << 4 << 10 << " " << " LIMIT 11 " << "SELECT last_insert_rowid()" << "[";
    QTest::newRow("sqlite 0") << 4 << 0 << " " << " " << "SELECT last_insert_rowid()" << "[";
    QTest::newRow("sqlite int max") << 4 << std::numeric_limits<int>::max() << " " << " LIMIT 2147483648 "
                                    << "SELECT last_insert_rowid()" << "[";
    QTest::newRow("unknown kind") << 7 << 10 << "" << "" << "" << "[";
}

void tst_Database::dialect()
{
    QFETCH(int, kind);
    QFETCH(int, rows);
    QFETCH(QString, top);
    QFETCH(QString, limit);
    QFETCH(QString, lastInsertId);
    QFETCH(QString, quoteBegin);

    DialectDatabase db(kind);
    QCOMPARE(db.limitRowsTop(rows), top);
    QCOMPARE(db.limitRowsLimit(rows), limit);
    QCOMPARE(db.getLastInsertID(QStringLiteral("SEQ_RACK")), lastInsertId);
    QCOMPARE(db.sqlQuoteBegin(), quoteBegin);
    QCOMPARE(db.sqlQuoteEnd(), quoteBegin.isEmpty() ? QString() : QStringLiteral("]"));
}

void tst_Database::lastInsertIdAndRowLimitsOnSQLite3()
{
    Database db(&m_callback, QStringLiteral("tst_Database"));
    QCOMPARE(db.openSQLite3(makeDatabaseFile()), Errors::Type_Error(0));
    QCOMPARE(db.execCommand(QStringLiteral("CREATE TABLE t(id INTEGER PRIMARY KEY AUTOINCREMENT, v TEXT)")), Errors::Type_Error(0));
    QSqlQuery query(*db.getDatabase());
    for (int i = 1; i <= 5; ++i) {
        QVERIFY(query.exec(QStringLiteral("INSERT INTO t(v) VALUES('x')")));
        QVERIFY(query.exec(db.getLastInsertID(QString())));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toInt(), i);
    }
    const auto limited = [&](int n) {
        return columnValues(db, QStringLiteral("SELECT") + db.limitRowsTop(n) + QStringLiteral("id FROM t ORDER BY id") + db.limitRowsLimit(n)).size();
    };
    QCOMPARE(limited(2), 3);
    QCOMPARE(limited(4), 5);
    QCOMPARE(limited(10), 5);
    QCOMPARE(limited(0), 5);
}

void tst_Database::quoteString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    // expected is the literal of every kind but MS SQL Server, which writes N before it.

    QTest::newRow("plain") << "Plate 7" << "'Plate 7'";
    QTest::newRow("empty") << "" << "''";
    QTest::newRow("apostrophe between letters") << "O'Brien" << "'O''Brien'";
    QTest::newRow("only apostrophes") << "''" << "''''''";
    QTest::newRow("injection attempt") << "x'); DROP TABLE t; --" << "'x''); DROP TABLE t; --'";
    QTest::newRow("double quote and backslash") << "a\"b\\c" << "'a\"b\\c'";
    QTest::newRow("nul removed") << QString::fromUtf16(u"a\0b", 3) << "'ab'";
    QTest::newRow("unicode") << QStringLiteral("Kolonie ü 菌 😀") << QStringLiteral("'Kolonie ü 菌 😀'");
    QTest::newRow("line break kept") << "a\nb" << "'a\nb'";
}

void tst_Database::quoteString()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    for (int kind = 0; kind <= 4; ++kind) {
        const QString literal = kind == Database::KindMSSQLServer ? QLatin1Char('N') + expected : expected;
        QCOMPARE(DialectDatabase(kind).sqlQuoteString(text), literal);
    }
}

void tst_Database::quoteStringRoundTrip()
{
    Database db(&m_callback, QStringLiteral("tst_Database"));
    QCOMPARE(db.openSQLite3(makeDatabaseFile()), Errors::Type_Error(0));
    QCOMPARE(db.execCommand(QStringLiteral("CREATE TABLE t(id INTEGER PRIMARY KEY, v TEXT, d REAL)")), Errors::Type_Error(0));
    const QStringList texts{QString(), QStringLiteral("O'Brien"), QStringLiteral("x'); DROP TABLE t; --"),
                            QStringLiteral("/* not a comment */"), QStringLiteral("Kolonie ü 菌 😀"), QString::fromUtf16(u"a\0b", 3)};
    for (const QString& text : texts) {
        QCOMPARE(db.execCommand(QStringLiteral("INSERT INTO t(v) VALUES(") + db.sqlQuoteString(text) + QLatin1Char(')')),
                 Errors::Type_Error(0));
    }
    QStringList expected = texts;
    expected.last() = QStringLiteral("ab");
    QCOMPARE(columnValues(db, QStringLiteral("SELECT v FROM t ORDER BY id")), expected);

    // Non-finite doubles become NULL instead of an unknown name that breaks the statement.
    const double values[] = {1234567.0, std::nan(""), std::numeric_limits<double>::infinity(), -0.000123456789};
    for (double value : values)
        QCOMPARE(db.execCommand(QStringLiteral("INSERT INTO t(d) VALUES(") + db.sqlDouble(value) + QLatin1Char(')')), Errors::Type_Error(0));
    QCOMPARE(columnValues(db, QStringLiteral("SELECT quote(d) FROM t WHERE v IS NULL ORDER BY id")),
             (QStringList{"1234570.0", "NULL", "NULL", "-0.000123457"}));
    QVERIFY(m_callback.errorTexts.isEmpty());
}

void tst_Database::numbers()
{
    const DialectDatabase db(4);
    QCOMPARE(db.sqlShort(-1), QStringLiteral("-1"));
    QCOMPARE(db.sqlShort(0), QStringLiteral("0"));
    QCOMPARE(db.sqlShort(std::numeric_limits<qint16>::min()), QStringLiteral("-32768"));
    QCOMPARE(db.sqlShort(32767), QStringLiteral("32767"));
    QCOMPARE(db.sqlErrorCode(Errors::Type_Error(85)), QStringLiteral("85"));
    QCOMPARE(db.sqlErrorCode(Errors::Type_Error(-5)), QStringLiteral("-5"));
    QCOMPARE(db.sqlID(-1), QStringLiteral("-1"));
    QCOMPARE(db.sqlID(std::numeric_limits<Database::ID>::max()), QStringLiteral("2147483647"));
    QCOMPARE(db.sqlLong(std::numeric_limits<qint32>::min()), QStringLiteral("-2147483648"));
    QCOMPARE(db.sqlLong(7), QStringLiteral("7"));
    QCOMPARE(db.sqlBool(true), QStringLiteral("1"));
    QCOMPARE(db.sqlBool(false), QStringLiteral("0"));
}

void tst_Database::doubles_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("plain") << -1.5 << "-1.5";
    QTest::newRow("six digits") << 123456.0 << "123456";
    QTest::newRow("seven digits rounded") << 12.34567 << "12.3457";
    QTest::newRow("million with seven digits") << 1234567.0 << "1.23457e+06";
    QTest::newRow("small") << 0.00001 << "1e-05";
    QTest::newRow("small fixed") << 0.0001234567 << "0.000123457";
    QTest::newRow("large") << 1e300 << "1e+300";
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << "NULL";
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << "NULL";
    QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity() << "NULL";
}

void tst_Database::doubles()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    // The decimal point does not follow the user's locale.
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString text = DialectDatabase(1).sqlDouble(value);
    QLocale::setDefault(previous);
    QCOMPARE(text, expected);
}

void tst_Database::dateTimeLiteral_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QDateTime>("dateTime");
    QTest::addColumn<QString>("expected");

    const QDateTime local(QDate(2024, 2, 29), QTime(7, 5, 9, 123));
    const QDateTime utc(QDate(1999, 12, 31), QTime(23, 59, 59), Qt::UTC);
    QTest::newRow("none") << 0 << local << "";
    QTest::newRow("access") << 1 << local << "'2024-02-29 07:05:09'";
    QTest::newRow("sql server") << 2 << local << "'2024-02-29T07:05:09'";
    QTest::newRow("sqlite") << 4 << local << "'2024-02-29T07:05:09'";
    QTest::newRow("sqlite utc") << 4 << utc << "'1999-12-31T23:59:59Z'";
    QTest::newRow("sequence") << 3 << local << "TO_DATE('2024-02-29 07:05:09','YYYY-MM-DD HH24:MI:SS')";
    QTest::newRow("access invalid") << 1 << QDateTime() << "''";
    QTest::newRow("sql server invalid") << 2 << QDateTime() << "''";
    QTest::newRow("sqlite invalid") << 4 << QDateTime() << "''";
    QTest::newRow("sequence invalid") << 3 << QDateTime() << "TO_DATE('','YYYY-MM-DD HH24:MI:SS')";
    QTest::newRow("unknown kind") << 9 << local << "";
}

void tst_Database::dateTimeLiteral()
{
    QFETCH(int, kind);
    QFETCH(QDateTime, dateTime);
    QFETCH(QString, expected);
    QCOMPARE(DialectDatabase(kind).sqlDateTimeLiteral(dateTime), expected);
}

QTEST_GUILESS_MAIN(tst_Database)
#include "tst_Database.moc"
