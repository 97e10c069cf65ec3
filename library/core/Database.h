#pragma once

#include "Errors.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <memory>

class QDateTime;
class QSqlDatabase;
class QSqlError;
class QSqlQuery;

// One named QtSql connection to the results database (MS Access, MS SQL Server or SQLite3)
// together with the pieces of SQL text that differ between the database kinds.
class Database_SQLite3Watch;

class Database : public QObject {
    Q_OBJECT
public:
    typedef qint32 ID;

    // Database kinds.
    enum Kind {
        KindNone = 0,
        KindMSAccess = 1,
        KindMSSQLServer = 2,
        KindSequenceDialect = 3, // SQL text rules only, never opened
        KindSQLite3 = 4
    };

    class CallbackFunctions {
    public:
        virtual ~CallbackFunctions() = default;
        virtual void databaseTypeChanged(int kind) = 0;
        virtual void databaseError(QString databaseName, QString text) = 0;
    };

    // Files above these sizes are refused before opening (95 % of the format's limit).
    static constexpr qint64 MaxSizeMSAccess = 2040109465LL;
    static constexpr qint64 MaxSizeSQLite3 = 2089072092774LL;

    Database(CallbackFunctions* callback, QString connectionName, QObject* parent = nullptr);
    ~Database() override;

    Errors::Type_Error openMSAccess(QString filePath);
    Errors::Type_Error openMSSQLServer(QString serverName, QString databaseName, QString userName,
                                       QString password, bool sqlServerAuthentication);
    Errors::Type_Error openSQLite3(QString filePath);
    void close();

    QSqlDatabase* getDatabase() const;
    bool isOpen() const;
    QSqlError lastError() const;
    int databaseType() const;
    QString databaseName() const;
    QString connectionName() const;

    void showQueryError(QSqlQuery& query, QString description);
    Errors::Type_Error execCommand(QString sql, bool quiet = false);
    Errors::Type_Error execScriptFile(QString filePath, bool quiet = false);

    QString getLastInsertID(QString sequenceName) const;
    QString limitRowsTop(int maxRows) const;
    QString limitRowsLimit(int maxRows) const;

    // Literals of values in statement text, by the connection's kind. Texts are N'...' on
    // MS SQL Server (unicode), '...' elsewhere; date-times are plain '...' on every kind.
    QString sqlQuoteBegin() const;
    QString sqlQuoteEnd() const;
    QString sqlQuoteString(const QString& text) const;
    QString sqlDateTimeLiteral(const QDateTime& dateTime) const;
    QString sqlShort(qint16 value) const;
    QString sqlErrorCode(Errors::Type_Error value) const;
    QString sqlID(ID value) const;
    QString sqlLong(qint32 value) const;
    QString sqlDouble(double value) const;
    QString sqlBool(bool value) const;

    // ODBC connection-string templates. On Linux the ODBC driver names are those of the
    // local odbcinst.ini, so an installation (or a test) may replace them; an empty text
    // restores the default. MS Access: %1 = file path; MS SQL Server: %1 = server,
    // %2 = database. Process-wide, thread-safe.
    static QString connectionTemplate(int kind);
    static void setConnectionTemplate(int kind, const QString& templateText);
    static QString defaultConnectionTemplate(int kind);
    // Value of one key=value pair of an ODBC connection string, in braces when it would
    // otherwise end the pair early.
    static QString odbcValue(const QString& value);

    // The statements of a script as they are run for the database kind: split at the
    // kind's terminator lines, comments and dropped statements removed, trimmed, empty ones
    // left out. String literals and quoted names are kept as written, line breaks included;
    // comment markers and terminator lines inside them are text. A "/*" that no "*/" follows
    // is text too. A last statement without its terminator line is included.
    static QStringList scriptStatements(int kind, const QString& scriptText);

    // Composes the report text of a failed statement or open.
    static QString composeQueryErrorText(const QString& description, const QString& statement,
                                         const QString& driverText, const QString& databaseText);
    static QString composeOpenErrorText(const QString& description, const QString& driverText,
                                        const QString& databaseText);

protected:
    // File checks before an open; tests replace them where the real case cannot be made
    // (a read-only file as root, a file of two terabytes).
    virtual bool fileExists(const QString& filePath) const;
    virtual bool fileWritable(const QString& filePath) const;
    // The folder of an SQLite3 file, where its journal goes.
    virtual bool folderWritable(const QString& folderPath) const;
    virtual qint64 fileSize(const QString& filePath) const;
    // QtSql driver of a kind ("QODBC" or "QSQLITE").
    virtual QString sqlDriverName(int kind) const;
    // Sets the kind for the SQL text pieces only, without a connection and without a
    // callback; for the sequence dialect, which no open produces.
    void setTextDialect(int kind);

private:
    Errors::Type_Error beginOpen(int kind, const QString& name);
    Errors::Type_Error checkFile(const QString& filePath, qint64 maxSize);
    Errors::Type_Error finishOpen(const QString& description);
    // 81 (reported) for a file that fails SQLite's check of that depth; writes only to
    // rebuild indexes that lack rows (Database_SQLite3Check).
    Errors::Type_Error checkSQLite3File(int depth);
    // An open database's files are its own: no export may replace them.
    void protectFiles(const QString& filePath);
    void setKind(int kind);

    CallbackFunctions* m_callback;
    int m_kind;
    QSqlDatabase* m_connection;
    QString m_connectionName;
    QString m_databaseName;
    // Follows the open SQLite3 file, to be left sound at close when nothing else wrote it.
    std::unique_ptr<Database_SQLite3Watch> m_sqlite3Watch;
};
