#include "DatabaseTableSupport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>

#include <cmath>

namespace {

QString trSupport(const char* text)
{
    return QCoreApplication::translate("DatabaseTableSupport", text);
}

} // namespace

namespace DatabaseTableSupport {

namespace {

// Index of the first character a database would not give back unchanged; -1 for none.
qsizetype firstUnstorable(const QString& text)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate()) {
            if (i + 1 < size && text.at(i + 1).isLowSurrogate()) {
                ++i;
                continue;
            }
            return i;
        }
        if (c.isLowSurrogate() || c.isNull() || c.unicode() == 0xFFFE || c.unicode() == 0xFFFF)
            return i;
    }
    return -1;
}

} // namespace

bool isStorableText(const QString& text)
{
    return firstUnstorable(text) < 0;
}

QString checkText(QLatin1String column, const QString& value, int maxLength)
{
    // Dropping or replacing such a character would store another text behind a success.
    const qsizetype unstorable = firstUnstorable(value);
    if (unstorable >= 0 && value.at(unstorable).isNull())
        return trSupport("Column %1: the text contains a zero character").arg(column);
    if (unstorable >= 0)
        return trSupport("Column %1: the text contains the character U+%2, which cannot be stored")
            .arg(column)
            .arg(value.at(unstorable).unicode(), 4, 16, QLatin1Char('0'));
    if (value.size() > maxLength)
        return trSupport("Column %1: the text has %2 characters, at most %3 can be stored")
            .arg(column).arg(value.size()).arg(maxLength);
    return QString();
}

QString checkDouble(QLatin1String column, double value)
{
    if (!std::isfinite(value))
        return trSupport("Column %1: the number is not finite").arg(column);
    return QString();
}

QString checkDateTime(QLatin1String column, const QDateTime& value)
{
    // Every database kind takes the years 1 to 9999; outside them the literal would be empty.
    if (!value.isValid() || value.date().year() < 1 || value.date().year() > 9999)
        return trSupport("Column %1: the date and time is not valid").arg(column);
    return QString();
}

QString dateTimeLiteral(const Database& database, const QDateTime& value)
{
    return database.sqlDateTimeLiteral(value.toLocalTime());
}

QString likeClause(const Database& database)
{
    if (database.databaseType() == Database::KindMSAccess)
        return QStringLiteral(" LIKE ?");
    return QStringLiteral(" LIKE ? ESCAPE '\\'");
}

QString likePattern(const Database& database, const QString& text, bool contains)
{
    QString escaped;
    escaped.reserve(text.size() + 8);
    const int kind = database.databaseType();
    for (const QChar c : text) {
        if (kind == Database::KindMSAccess) {
            // The Jet engine knows no ESCAPE clause; a bracketed character matches itself.
            if (c == u'%' || c == u'_' || c == u'[') {
                escaped += QLatin1Char('[');
                escaped += c;
                escaped += QLatin1Char(']');
                continue;
            }
        } else {
            // SQL Server also reads "[" as the start of a character class.
            if (c == u'%' || c == u'_' || c == u'\\' || (kind == Database::KindMSSQLServer && c == u'['))
                escaped += QLatin1Char('\\');
        }
        escaped += c;
    }
    if (contains)
        escaped = QLatin1Char('%') + escaped + QLatin1Char('%');
    return escaped;
}

bool isUsable(const Database* database, int databaseType)
{
    return databaseType != Database::KindNone && database && database->isOpen();
}

Errors::Type_Error refuse(Database& database, const QString& message, const QString& reason)
{
    // A query that never ran: the report carries the reason instead of a driver error.
    QSqlQuery query(*database.getDatabase());
    database.showQueryError(query, message + QLatin1Char('\n') + reason);
    return ErrorStatement;
}

Errors::Type_Error exec(Database& database, QSqlQuery& query, const QString& text, const QString& message)
{
    if (query.exec(text))
        return 0;
    database.showQueryError(query, message);
    return ErrorStatement;
}

Errors::Type_Error execWithValues(Database& database, QSqlQuery& query, const QString& text,
                                  const QStringList& values, const QString& message)
{
    if (!query.prepare(text)) {
        database.showQueryError(query, message);
        return ErrorStatement;
    }
    for (const QString& value : values)
        query.addBindValue(value);
    if (!query.exec()) {
        database.showQueryError(query, message);
        return ErrorStatement;
    }
    return 0;
}

Errors::Type_Error execBound(Database& database, QSqlQuery& query, const QString& text,
                             const QStringList& boundTexts, const QString& message)
{
    if (!query.prepare(text)) {
        database.showQueryError(query, message);
        return ErrorStatement;
    }
    for (int i = 0; i < boundTexts.size(); ++i)
        query.bindValue(i, QVariant(boundTexts.at(i).toUtf8()), QSql::In);
    if (!query.exec()) {
        database.showQueryError(query, message);
        return ErrorStatement;
    }
    return 0;
}

Errors::Type_Error readNewKey(Database& database, QSqlQuery& query, Database::ID& key, const QString& message)
{
    // The driver knows the key without another statement where the database tells it.
    if (query.driver() && query.driver()->hasFeature(QSqlDriver::LastInsertId)) {
        const QVariant id = query.lastInsertId();
        if (id.isValid()) {
            key = Database::ID(id.toInt());
            return 0;
        }
    }
    if (!query.exec(database.getLastInsertID(QString())) || !query.next()) {
        database.showQueryError(query, message);
        return ErrorAutoincrement;
    }
    key = Database::ID(query.value(0).toInt());
    return 0;
}

Errors::Type_Error checkOneRowChanged(Database& database, QSqlQuery& query, const QString& message)
{
    if (query.numRowsAffected() != 1) {
        database.showQueryError(query, message);
        return ErrorUpdate;
    }
    return 0;
}

void readIdList(QSqlQuery& query, QList<Database::ID>& ids)
{
    while (query.next())
        ids.append(Database::ID(query.value(0).toInt()));
}

namespace {

Errors::Type_Error execMaybeBound(Database& database, QSqlQuery& query, const QString& text,
                                  const QStringList& boundTexts, const QString& message)
{
    // Without bound texts the statement runs directly, as it always has.
    if (boundTexts.isEmpty())
        return exec(database, query, text, message);
    return execBound(database, query, text, boundTexts, message);
}

} // namespace

Errors::Type_Error insertRow(Database& database, const QString& text, const QStringList& boundTexts,
                             const QString& message, const QString& keyMessage, Database::ID& key)
{
    QSqlQuery query(*database.getDatabase());
    const Errors::Type_Error result = execMaybeBound(database, query, text, boundTexts, message);
    if (result != 0)
        return result;
    return readNewKey(database, query, key, keyMessage);
}

Errors::Type_Error updateRow(Database& database, const QString& text, const QStringList& boundTexts,
                             const QString& message, const QString& updateMessage)
{
    QSqlQuery query(*database.getDatabase());
    const Errors::Type_Error result = execMaybeBound(database, query, text, boundTexts, message);
    if (result != 0)
        return result;
    return checkOneRowChanged(database, query, updateMessage);
}

Errors::Type_Error runStatement(Database& database, const QString& text, const QString& message)
{
    QSqlQuery query(*database.getDatabase());
    return exec(database, query, text, message);
}

Errors::Type_Error selectRow(Database& database, QSqlQuery& query, const QString& text, const QString& message,
                             const QString& notFoundMessage)
{
    query.setForwardOnly(true);
    const Errors::Type_Error result = exec(database, query, text, message);
    if (result != 0)
        return result;
    if (!query.next()) {
        database.showQueryError(query, notFoundMessage);
        return ErrorNotFound;
    }
    return 0;
}

Errors::Type_Error selectIds(Database& database, const QString& text, const QString& message, QList<Database::ID>& ids)
{
    QSqlQuery query(*database.getDatabase());
    query.setForwardOnly(true);
    const Errors::Type_Error result = exec(database, query, text, message);
    if (result != 0)
        return result;
    readIdList(query, ids);
    return 0;
}

QString dateTimeValue(const Database& database, const QDateTime& value)
{
    QString literal = dateTimeLiteral(database, value);
    // The quoted literal of the connection, without its quotes (it holds none inside).
    if (literal.size() >= 2 && literal.startsWith(QLatin1Char('\'')) && literal.endsWith(QLatin1Char('\'')))
        literal = literal.mid(1, literal.size() - 2);
    return literal;
}

double storedDouble(double value)
{
    // The value the literal of six significant digits would store.
    return QString::number(value, 'g', 6).toDouble();
}

QString utf8Text(const QVariant& value)
{
    const QByteArray bytes = value.toByteArray();
    const qsizetype end = bytes.indexOf('\0');
    return QString::fromUtf8(bytes.constData(), end < 0 ? bytes.size() : end);
}

QDateTime DateTimeReader::read(const QVariant& value)
{
    // Drivers that deliver a date-time (ODBC) need no text conversion.
    if (value.metaType().id() != QMetaType::QString)
        return value.toDateTime();
    const QString text = value.toString();
    if (!lastText.isNull() && text == lastText)
        return lastValue;
    lastValue = value.toDateTime();
    lastText = text;
    return lastValue;
}

void DateTimeReader::clear()
{
    lastText = QString();
    lastValue = QDateTime();
}

} // namespace DatabaseTableSupport
