#include "Database.h"

#include "Database_SQLite3Check.h"
#include "Database_SQLite3Watch.h"
#include "ExportTarget_Guard.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMetaType>
#include <QMutex>
#include <QMutexLocker>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>

#include <cmath>
#include <utility>

namespace {

constexpr Errors::Type_Error NoError = 0;
constexpr Errors::Type_Error ErrorNoDriver = 80;
constexpr Errors::Type_Error ErrorCannotOpen = 81;
constexpr Errors::Type_Error ErrorNotWritable = 82;
constexpr Errors::Type_Error ErrorTooBig = 83;
constexpr Errors::Type_Error ErrorNotOpen = 84;
constexpr Errors::Type_Error ErrorStatement = 85;
constexpr Errors::Type_Error ErrorScriptFile = 90;

constexpr int OdbcTimeoutSeconds = 10;
constexpr int SQLiteBusyTimeoutMilliseconds = 10;

const QString TemplateMSAccess = QStringLiteral("DRIVER={Microsoft Access Driver (*.mdb)};FIL={MS Access};DBQ=%1");
const QString TemplateMSSQLServer = QStringLiteral("DRIVER={SQL Server};SERVER=%1;DATABASE=%2");
const QString TemplateSQLite3 = QStringLiteral("%1");

QMutex templateMutex;
QString templateOverrideMSAccess;
QString templateOverrideMSSQLServer;

QString odbcTimeoutOptions()
{
    return QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=") + QString::number(OdbcTimeoutSeconds) + QStringLiteral(";")
        + QStringLiteral("SQL_ATTR_CONNECTION_TIMEOUT=") + QString::number(OdbcTimeoutSeconds);
}

QString trimmedOrNone(const QString& text)
{
    const QString trimmed = text.trimmed();
    return trimmed.isEmpty() ? Database::tr("none") : trimmed;
}

} // namespace

Database::Database(CallbackFunctions* callback, QString connectionName, QObject* parent)
    : QObject(parent)
    , m_callback(callback)
    , m_kind(KindNone)
    , m_connection(nullptr)
    , m_connectionName(std::move(connectionName))
{
    qRegisterMetaType<Database::ID>("Database::ID");
}

Database::~Database()
{
    close();
}

// ---------------------------------------------------------------------------------------------
// Open and close

void Database::setTextDialect(int kind)
{
    m_kind = kind;
}

QString Database::sqlDriverName(int kind) const
{
    return kind == KindSQLite3 ? QStringLiteral("QSQLITE") : QStringLiteral("QODBC");
}

void Database::setKind(int kind)
{
    m_kind = kind;
    if (m_callback)
        m_callback->databaseTypeChanged(kind);
}

Errors::Type_Error Database::beginOpen(int kind, const QString& name)
{
    close();
    m_databaseName = name;
    setKind(kind);
    m_connection = new QSqlDatabase(QSqlDatabase::addDatabase(sqlDriverName(kind), m_connectionName));
    if (!m_connection->isValid())
        return ErrorNoDriver;
    return NoError;
}

Errors::Type_Error Database::checkFile(const QString& filePath, qint64 maxSize)
{
    if (!fileExists(filePath))
        return ErrorCannotOpen;
    if (!fileWritable(filePath))
        return ErrorNotWritable;
    if (fileSize(filePath) > maxSize)
        return ErrorTooBig;
    return NoError;
}

Errors::Type_Error Database::finishOpen(const QString& description)
{
    if (m_connection->open())
        return NoError;
    const QSqlError error = m_connection->lastError();
    if (m_callback)
        m_callback->databaseError(m_databaseName, composeOpenErrorText(description, error.driverText(), error.databaseText()));
    return ErrorCannotOpen;
}

Errors::Type_Error Database::openMSAccess(QString filePath)
{
    Errors::Type_Error result = beginOpen(KindMSAccess, QFileInfo(filePath).fileName());
    if (result != NoError)
        return result;
    result = checkFile(filePath, MaxSizeMSAccess);
    if (result != NoError)
        return result;
    m_connection->setDatabaseName(connectionTemplate(KindMSAccess).arg(odbcValue(filePath)));
    m_connection->setConnectOptions(odbcTimeoutOptions());
    result = finishOpen(tr("Open the 'MS Access' database"));
    // Only an open database's files are its own; a failed open leaves every target free.
    if (result == NoError)
        protectFiles(filePath);
    return result;
}

Errors::Type_Error Database::openMSSQLServer(QString serverName, QString databaseName, QString userName,
                                             QString password, bool sqlServerAuthentication)
{
    Errors::Type_Error result = beginOpen(KindMSSQLServer, databaseName);
    if (result != NoError)
        return result;
    // One substitution pass, so that a "%2" inside the server name stays text.
    m_connection->setDatabaseName(
        connectionTemplate(KindMSSQLServer).arg(odbcValue(serverName), odbcValue(databaseName)));
    if (sqlServerAuthentication) {
        // The ODBC driver of Qt appends both to the connection string as they are.
        m_connection->setUserName(odbcValue(userName));
        m_connection->setPassword(odbcValue(password));
    } else {
        m_connection->setUserName(QString());
        m_connection->setPassword(QString());
    }
    m_connection->setConnectOptions(odbcTimeoutOptions());
    return finishOpen(tr("Open the 'Microsoft SQL Server' database"));
}

Errors::Type_Error Database::openSQLite3(QString filePath)
{
    Errors::Type_Error result = beginOpen(KindSQLite3, QFileInfo(filePath).fileName());
    if (result != NoError)
        return result;
    // Opening never creates a database file: new databases come from their templates.
    result = checkFile(filePath, MaxSizeSQLite3);
    if (result != NoError)
        return result;
    // Every write makes its journal beside the file: in a folder that cannot take it, each
    // save would fail.
    if (!folderWritable(QFileInfo(filePath).absolutePath()))
        return ErrorNotWritable;
    // Decided before SQLite rolls back a journal a killed run left beside the file.
    const Database_SQLite3Check::Depth depth = Database_SQLite3Check::depthFor(filePath);
    m_connection->setDatabaseName(TemplateSQLite3.arg(filePath));
    m_connection->setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=") + QString::number(SQLiteBusyTimeoutMilliseconds)
                                    + QStringLiteral(";") + QStringLiteral("QSQLITE_ENABLE_SHARED_CACHE"));
    result = finishOpen(tr("Open the 'SQLite3' database"));
    if (result != NoError)
        return result;

    // A damaged file is refused before anything is written to it: every write would spread
    // the damage, and results read from it cannot be trusted. Only an index that lacks rows
    // of its table is rebuilt, as nothing of the table is lost with it. The check reads the
    // whole file, so it goes only as deep as the file's history asks; the file is followed from
    // before the check, so that nothing written meanwhile passes as checked.
    m_sqlite3Watch = std::make_unique<Database_SQLite3Watch>(*m_connection, filePath,
                                                             depth == Database_SQLite3Check::None);
    result = checkSQLite3File(depth);
    if (result != NoError) {
        close();
        return result;
    }

    // A process killed in the middle of a save (or a machine that loses its power) must leave
    // the last committed rack whole: the rollback journal, synced at every commit. It costs no
    // more than a write-ahead log here (bench/database_bench), leaves no files beside the
    // database and writes nothing to a file that only gets opened.
    static const char* const pragmas[] = {"PRAGMA journal_mode=DELETE", "PRAGMA synchronous=FULL", "PRAGMA foreign_keys=ON"};
    for (const char* pragma : pragmas) {
        if (execCommand(QString::fromLatin1(pragma), false) != NoError) {
            // Already reported; a half-configured connection (foreign keys off) must not
            // stay in use behind a "cannot open".
            close();
            return ErrorCannotOpen;
        }
    }
    protectFiles(filePath);
    m_sqlite3Watch->checked();
    return NoError;
}

Errors::Type_Error Database::checkSQLite3File(int depth)
{
    QStringList problems;
    if (Database_SQLite3Check::check(*m_connection, Database_SQLite3Check::Depth(depth), problems))
        return NoError;
    if (m_callback)
        m_callback->databaseError(m_databaseName, composeOpenErrorText(tr("The 'SQLite3' database file is damaged"),
                                                                       QString(), problems.join(QLatin1Char('\n'))));
    return ErrorCannotOpen;
}

void Database::protectFiles(const QString& filePath)
{
    ExportTarget_Guard::protect(this, ExportTarget_Guard::databaseFiles(filePath));
    ExportTarget_Guard::describe(this, ExportTarget_Guard::Kind::DatabaseFiles);
}

void Database::close()
{
    ExportTarget_Guard::release(this);
    if (!m_connection)
        return;
    // Before the connection goes: its hooks go with the watch.
    if (m_sqlite3Watch)
        m_sqlite3Watch->leaving();
    if (m_connection->isOpen())
        m_connection->close();
    m_sqlite3Watch.reset();
    setKind(KindNone);
    m_databaseName.clear();
    delete m_connection;
    m_connection = nullptr;
    // addDatabase registers the name even when the driver is missing, so the entry is
    // removed whenever it exists, not only for a valid handle.
    if (QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::removeDatabase(m_connectionName);
}

// ---------------------------------------------------------------------------------------------
// State

QSqlDatabase* Database::getDatabase() const
{
    return m_connection;
}

bool Database::isOpen() const
{
    return m_connection && m_connection->isOpen();
}

QSqlError Database::lastError() const
{
    if (!m_connection)
        return QSqlError();
    return m_connection->lastError();
}

int Database::databaseType() const
{
    return m_kind;
}

QString Database::databaseName() const
{
    return m_databaseName;
}

QString Database::connectionName() const
{
    return m_connectionName;
}

// ---------------------------------------------------------------------------------------------
// Statements and scripts

QString Database::composeOpenErrorText(const QString& description, const QString& driverText, const QString& databaseText)
{
    return tr("Error description:\n%1\n\nSQL Driver error:\n%2\n\nSQL Database error:\n%3")
        .arg(description, trimmedOrNone(driverText), trimmedOrNone(databaseText));
}

QString Database::composeQueryErrorText(const QString& description, const QString& statement,
                                        const QString& driverText, const QString& databaseText)
{
    return tr("Error description:\n%1\n\nSQL query:\n%2\n\nSQL Driver error:\n%3\n\nSQL Database error:\n%4")
        .arg(description, statement.trimmed(), trimmedOrNone(driverText), trimmedOrNone(databaseText));
}

void Database::showQueryError(QSqlQuery& query, QString description)
{
    if (!m_callback)
        return;
    const QSqlError error = query.lastError();
    m_callback->databaseError(m_databaseName,
                              composeQueryErrorText(description, query.lastQuery(), error.driverText(), error.databaseText()));
}

Errors::Type_Error Database::execCommand(QString sql, bool quiet)
{
    if (!isOpen())
        return ErrorNotOpen;
    QSqlQuery query(*m_connection);
    if (query.exec(sql))
        return NoError;
    if (!quiet)
        showQueryError(query, tr("Execute SQL command"));
    return ErrorStatement;
}

namespace {

// Finishes one collected statement; returns an empty text for a statement that is not run.
QString finishScriptStatement(int kind, QString statement)
{
    if (kind == Database::KindMSAccess && statement.contains(QLatin1String("SET IDENTITY_INSERT")))
        return QString();
    if (kind == Database::KindSequenceDialect && statement.endsWith(QLatin1Char(';'))) {
        const qsizetype create = statement.indexOf(QLatin1String("CREATE"));
        const qsizetype trigger = statement.indexOf(QLatin1String("TRIGGER"));
        // A trigger body ends with its own ";", which belongs to the statement.
        if (!(create > 0 && trigger > 0))
            statement.chop(1);
    }
    return statement.trimmed();
}

bool isTerminatorLine(int kind, QStringView line)
{
    switch (kind) {
    case Database::KindMSAccess:
    case Database::KindMSSQLServer:
        return line == u"GO";
    case Database::KindSQLite3:
        return line == u";";
    default:
        return false;
    }
}

} // namespace

QStringList Database::scriptStatements(int kind, const QString& scriptText)
{
    // Line by line, as the terminator lines ask, but knowing literals and comments: a "--" or
    // "/*" inside a literal is text, a line break inside a literal stays one, a line comment
    // ends at its line and a terminator line inside a literal or block comment ends nothing.
    QStringList statements;
    QString statement;
    QChar closingQuote; // of the literal or quoted name the text is in; null outside
    bool inBlockComment = false;
    // A "/*" without a "*/" after it is text, as it always was.
    const qsizetype lastCommentEnd = scriptText.lastIndexOf(QLatin1String("*/"));
    const auto finish = [&]() {
        const QString finished = finishScriptStatement(kind, statement);
        if (!finished.isEmpty())
            statements.append(finished);
        statement.clear();
    };

    qsizetype lineStart = 0;
    while (lineStart <= scriptText.size()) {
        qsizetype lineEnd = scriptText.indexOf(QLatin1Char('\n'), lineStart);
        if (lineEnd < 0)
            lineEnd = scriptText.size();
        qsizetype end = lineEnd;
        if (end > lineStart && scriptText.at(end - 1) == QLatin1Char('\r'))
            --end;
        const qsizetype next = lineEnd + 1;
        const bool startsInCode = closingQuote.isNull() && !inBlockComment;
        qsizetype pos = lineStart;
        if (startsInCode) {
            const QStringView trimmed = QStringView(scriptText).sliced(lineStart, end - lineStart).trimmed();
            if (isTerminatorLine(kind, trimmed)) {
                finish();
                lineStart = next;
                continue;
            }
            // A comment line leaves no trace, not even the blank of a line.
            if (trimmed.startsWith(u"--") || (kind == KindSequenceDialect && trimmed == u"/")) {
                lineStart = next;
                continue;
            }
            while (pos < end && scriptText.at(pos).isSpace())
                ++pos;
        }

        QString code;
        while (pos < end) {
            const QChar c = scriptText.at(pos);
            const QChar following = pos + 1 < end ? scriptText.at(pos + 1) : QChar();
            if (inBlockComment) {
                const qsizetype close = scriptText.indexOf(QLatin1String("*/"), pos);
                if (close < 0 || close + 2 > end) {
                    pos = end;
                } else {
                    inBlockComment = false;
                    pos = close + 2;
                }
                continue;
            }
            if (!closingQuote.isNull()) {
                code += c;
                if (c == closingQuote)
                    closingQuote = QChar();
                ++pos;
                continue;
            }
            if (c == QLatin1Char('-') && following == QLatin1Char('-'))
                break;
            if (c == QLatin1Char('/') && following == QLatin1Char('*') && lastCommentEnd >= pos + 2) {
                inBlockComment = true;
                pos += 2;
                continue;
            }
            if (c == QLatin1Char('\'') || c == QLatin1Char('"'))
                closingQuote = c;
            else if (c == QLatin1Char('['))
                closingQuote = QLatin1Char(']');
            code += c;
            ++pos;
        }

        if (!closingQuote.isNull()) {
            statement += code + QLatin1Char('\n');
        } else if (inBlockComment) {
            statement += code;
        } else {
            while (!code.isEmpty() && code.back().isSpace())
                code.chop(1);
            if (kind == KindSequenceDialect && code.endsWith(QLatin1Char(';'))) {
                statement += code;
                finish();
            } else {
                statement += code + QLatin1Char(' ');
            }
        }
        lineStart = next;
    }
    // A last statement without its terminator line is run like any other, never dropped
    // behind a success.
    finish();
    return statements;
}

Errors::Type_Error Database::execScriptFile(QString filePath, bool quiet)
{
    if (!isOpen())
        return ErrorNotOpen;
    QFile file(filePath);
    if (!QFileInfo(filePath).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return ErrorScriptFile;
    QTextStream stream(&file);
    const QString text = stream.readAll();
    const bool readOk = stream.status() == QTextStream::Ok && file.error() == QFileDevice::NoError;
    file.close();
    if (!readOk)
        return ErrorScriptFile;

    for (const QString& statement : scriptStatements(m_kind, text)) {
        const Errors::Type_Error result = execCommand(statement, quiet);
        // Quiet runs go on past a failing statement, as the caller asked.
        if (result != NoError && !quiet)
            return result;
    }
    return NoError;
}

// ---------------------------------------------------------------------------------------------
// Dialect pieces

QString Database::getLastInsertID(QString sequenceName) const
{
    switch (m_kind) {
    case KindMSAccess:
    case KindMSSQLServer:
        return QStringLiteral("SELECT @@IDENTITY");
    case KindSequenceDialect:
        return QStringLiteral("SELECT %1.CURRVAL FROM DUAL").arg(sequenceName);
    case KindSQLite3:
        return QStringLiteral("SELECT last_insert_rowid()");
    default:
        return QString();
    }
}

QString Database::limitRowsTop(int maxRows) const
{
    switch (m_kind) {
    case KindMSAccess:
    case KindMSSQLServer:
    case KindSequenceDialect:
        if (maxRows >= 1)
            return QStringLiteral(" TOP ") + QString::number(qint64(maxRows) + 1) + QStringLiteral(" ");
        return QStringLiteral(" ");
    case KindSQLite3:
        return QStringLiteral(" ");
    default:
        return QString();
    }
}

QString Database::limitRowsLimit(int maxRows) const
{
    switch (m_kind) {
    case KindSQLite3:
        if (maxRows >= 1)
            return QStringLiteral(" LIMIT ") + QString::number(qint64(maxRows) + 1) + QStringLiteral(" ");
        return QStringLiteral(" ");
    case KindMSAccess:
    case KindMSSQLServer:
    case KindSequenceDialect:
        return QStringLiteral(" ");
    default:
        return QString();
    }
}

QString Database::sqlQuoteBegin() const
{
    return m_kind == KindSequenceDialect ? QString() : QStringLiteral("[");
}

QString Database::sqlQuoteEnd() const
{
    return m_kind == KindSequenceDialect ? QString() : QStringLiteral("]");
}

namespace {

QString plainQuotedString(const QString& text)
{
    QString escaped = text;
    // A NUL ends the statement text for the drivers and would leave the literal open.
    escaped.remove(QChar(u'\0'));
    escaped.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

} // namespace

QString Database::sqlQuoteString(const QString& text) const
{
    // SQL Server reads a plain literal in the database's code page, which loses every
    // character outside it before it reaches a unicode column; N'...' keeps them.
    if (m_kind == KindMSSQLServer)
        return QLatin1Char('N') + plainQuotedString(text);
    return plainQuotedString(text);
}

QString Database::sqlDateTimeLiteral(const QDateTime& dateTime) const
{
    // Date texts are plain ASCII; they stay ordinary literals on every kind.
    const QString stamp = dateTime.isValid() ? dateTime.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) : QString();
    switch (m_kind) {
    case KindMSAccess:
        return plainQuotedString(stamp);
    case KindMSSQLServer:
    case KindSQLite3:
        return plainQuotedString(dateTime.isValid() ? dateTime.toString(Qt::ISODate) : QString());
    case KindSequenceDialect:
        return QStringLiteral("TO_DATE('") + stamp + QStringLiteral("','YYYY-MM-DD HH24:MI:SS')");
    default:
        return QString();
    }
}

QString Database::sqlShort(qint16 value) const
{
    return QString::number(value);
}

QString Database::sqlErrorCode(Errors::Type_Error value) const
{
    return QString::number(value);
}

QString Database::sqlID(ID value) const
{
    return QString::number(value);
}

QString Database::sqlLong(qint32 value) const
{
    return QString::number(value);
}

QString Database::sqlDouble(double value) const
{
    // "nan" or "inf" would be read as a column name; no database kind stores them.
    if (!std::isfinite(value))
        return QStringLiteral("NULL");
    return QString::number(value, 'g', 6);
}

QString Database::sqlBool(bool value) const
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

// ---------------------------------------------------------------------------------------------
// Connection-string templates

QString Database::defaultConnectionTemplate(int kind)
{
    switch (kind) {
    case KindMSAccess:
        return TemplateMSAccess;
    case KindMSSQLServer:
        return TemplateMSSQLServer;
    case KindSQLite3:
        return TemplateSQLite3;
    default:
        return QString();
    }
}

QString Database::connectionTemplate(int kind)
{
    QMutexLocker lock(&templateMutex);
    if (kind == KindMSAccess && !templateOverrideMSAccess.isEmpty())
        return templateOverrideMSAccess;
    if (kind == KindMSSQLServer && !templateOverrideMSSQLServer.isEmpty())
        return templateOverrideMSSQLServer;
    return defaultConnectionTemplate(kind);
}

void Database::setConnectionTemplate(int kind, const QString& templateText)
{
    QMutexLocker lock(&templateMutex);
    if (kind == KindMSAccess)
        templateOverrideMSAccess = templateText;
    else if (kind == KindMSSQLServer)
        templateOverrideMSSQLServer = templateText;
}

QString Database::odbcValue(const QString& value)
{
    // Braces keep a ";" (or a leading blank) inside the value instead of starting a new
    // attribute; a closing brace inside them is doubled.
    const bool needsBraces = value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('{'))
        || value.contains(QLatin1Char('}')) || value != value.trimmed();
    if (!needsBraces)
        return value;
    QString escaped = value;
    escaped.replace(QLatin1Char('}'), QLatin1String("}}"));
    return QLatin1Char('{') + escaped + QLatin1Char('}');
}

// ---------------------------------------------------------------------------------------------
// File checks

bool Database::fileExists(const QString& filePath) const
{
    return QFile::exists(filePath);
}

bool Database::fileWritable(const QString& filePath) const
{
    return QFileInfo(filePath).isWritable();
}

bool Database::folderWritable(const QString& folderPath) const
{
    return QFileInfo(folderPath).isWritable();
}

qint64 Database::fileSize(const QString& filePath) const
{
    return QFileInfo(filePath).size();
}
