#pragma once

#include "Database.h"
#include "Errors.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class QSqlQuery;
class QVariant;

// What the table objects share beside their base class: the result codes, the checks that
// keep a value out of a statement it cannot be written into exactly, the LIKE literal that
// matches a text as it is, and the run-and-report steps of every statement. Messages are
// translated by the calling table.
namespace DatabaseTableSupport {

// Result codes of the table layer.
constexpr Errors::Type_Error ErrorNotOpen = 84;
constexpr Errors::Type_Error ErrorStatement = 85;
constexpr Errors::Type_Error ErrorAutoincrement = 86;
constexpr Errors::Type_Error ErrorNotFound = 87;
constexpr Errors::Type_Error ErrorUpdate = 89;
constexpr Errors::Type_Error ErrorWrongVersion = 91;

// Texts that are indexed (barcodes, container names) are kept short enough for an index key
// on every database kind; other texts are bounded only to keep statements within the
// drivers' limits.
constexpr int MaxIndexedTextLength = 255;
constexpr int MaxTextLength = 1000000;

// No zero character (it ends the statement text), no lone surrogate and neither U+FFFE nor
// U+FFFF (SQLite hands those back as U+FFFD): a text the database gives back unchanged.
bool isStorableText(const QString& text);

// Empty when the value can be written and read back unchanged, else the reason it cannot.
QString checkText(QLatin1String column, const QString& value, int maxLength = MaxTextLength);
QString checkDouble(QLatin1String column, double value);
QString checkDateTime(QLatin1String column, const QDateTime& value);

// The date-time literal of the connection for the instant, always written in local time so
// that stored texts of one database compare and sort alike.
QString dateTimeLiteral(const Database& database, const QDateTime& value);

// " LIKE ?" and, except on MS Access (which knows no ESCAPE clause), " ESCAPE '\'"; the
// marker takes likePattern of the searched text as a bound value.
QString likeClause(const Database& database);
// The LIKE pattern that matches text exactly (contains: anywhere inside a value): every
// wildcard of the text escaped by the dialect's rule, bracketed on MS Access.
QString likePattern(const Database& database, const QString& text, bool contains);

// The connection can run statements for a table of that type.
bool isUsable(const Database* database, int databaseType);

// Reports a value that was refused before any statement ran; always returns 85.
Errors::Type_Error refuse(Database& database, const QString& message, const QString& reason);

// Runs text on query; on failure reports message and returns 85.
Errors::Type_Error exec(Database& database, QSqlQuery& query, const QString& text, const QString& message);
// Prepares text, binds the values in order and runs it; 85 as exec.
Errors::Type_Error execWithValues(Database& database, QSqlQuery& query, const QString& text,
                                  const QStringList& values, const QString& message);
// Prepares text, binds the UTF-8 bytes of the texts in order and runs it; 85 as exec.
Errors::Type_Error execBound(Database& database, QSqlQuery& query, const QString& text,
                             const QStringList& boundTexts, const QString& message);
// After an insert on query: reads the new key; 86 with a report when it cannot.
Errors::Type_Error readNewKey(Database& database, QSqlQuery& query, Database::ID& key, const QString& message);
// After an update: 89 with a report unless exactly one row changed.
Errors::Type_Error checkOneRowChanged(Database& database, QSqlQuery& query, const QString& message);
// Appends value 0 of every row.
void readIdList(QSqlQuery& query, QList<Database::ID>& ids);

// The whole run of one statement on a fresh query of the connection, as every table does it.
// Inserts text (binding the UTF-8 bytes of boundTexts when there are any) and reads the new
// key: 85 or 86 with a report when either fails.
Errors::Type_Error insertRow(Database& database, const QString& text, const QStringList& boundTexts,
                             const QString& message, const QString& keyMessage, Database::ID& key);
// Updates by text (bound as insertRow); 85, or 89 unless exactly one row changed.
Errors::Type_Error updateRow(Database& database, const QString& text, const QStringList& boundTexts,
                             const QString& message, const QString& updateMessage);
// Runs text on a fresh query; 85 with a report on failure.
Errors::Type_Error runStatement(Database& database, const QString& text, const QString& message);
// Runs text forward only on query and moves to its first row: 85 as exec, 87 with
// notFoundMessage when there is none.
Errors::Type_Error selectRow(Database& database, QSqlQuery& query, const QString& text, const QString& message,
                             const QString& notFoundMessage);
// Runs text forward only and appends value 0 of every row to ids; 85 as exec.
Errors::Type_Error selectIds(Database& database, const QString& text, const QString& message, QList<Database::ID>& ids);

// Bound values that store what the literal operations would write: the date-time text of
// the connection without its quotes, and the double rounded to six significant digits.
QString dateTimeValue(const Database& database, const QDateTime& value);
double storedDouble(double value);

// A bound long text as stored: UTF-8 bytes up to the first zero byte.
QString utf8Text(const QVariant& value);

// Reads date-time columns, converting each distinct stored text once: the colonies of a rack
// share few dates, and every conversion of a local time asks the system's time zone.
struct DateTimeReader {
    QDateTime read(const QVariant& value);
    void clear();

    QString lastText;
    QDateTime lastValue;
};

} // namespace DatabaseTableSupport
