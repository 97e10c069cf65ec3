#include "DatabaseTable.h"

#include "ApplicationDatabase.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

using namespace DatabaseTableSupport;

DatabaseTable::DatabaseTable(ApplicationDatabase* owner, const char* table, QObject* parent)
    : QObject(parent)
    , applicationDatabase(owner)
    , database(owner ? owner->database() : nullptr)
    , databaseType(0)
    , m_table(table)
{
}

DatabaseTable::~DatabaseTable() = default;

void DatabaseTable::SetDatabase(int type)
{
    m_prepared.clear();
    dates.clear();
    databaseType = type;
    quoteBegin = database ? database->sqlQuoteBegin() : QString();
    quoteEnd = database ? database->sqlQuoteEnd() : QString();
}

QString DatabaseTable::q(const char* name) const
{
    return quoteBegin + QLatin1String(name) + quoteEnd;
}

bool DatabaseTable::isUsable() const
{
    return DatabaseTableSupport::isUsable(database, databaseType);
}

QString DatabaseTable::message(const char* text, const QString& argument) const
{
    return QCoreApplication::translate(metaObject()->className(), text).arg(argument);
}

QString DatabaseTable::statementError() const
{
    return message(QT_TR_NOOP("SQL Statement error in table %1"), tableName());
}

QString DatabaseTable::autoincrementError() const
{
    return message(QT_TR_NOOP("SQL Autoincrement error in table %1"), tableName());
}

QString DatabaseTable::updateError() const
{
    return message(QT_TR_NOOP("SQL Update error in table %1"), tableName());
}

QString DatabaseTable::notFoundError(const char* keyColumn, Database::ID key) const
{
    return QCoreApplication::translate(metaObject()->className(), QT_TR_NOOP("Dataset %1=%2 not found"))
        .arg(q(keyColumn), QString::number(key));
}

QString DatabaseTable::newestByBarcodeText(const char* keyColumn, const QString& barcode, int maxRows) const
{
    QString text = QStringLiteral("SELECT ") + database->limitRowsTop(maxRows) + q(keyColumn) + QStringLiteral(" FROM  ")
        + tableName();
    if (!barcode.isEmpty())
        text += QStringLiteral(" WHERE ") + q("RackBarcode") + likeClause(*database);
    return text + QStringLiteral(" ORDER BY ") + q("CreatedDate") + QStringLiteral(" DESC")
        + database->limitRowsLimit(maxRows);
}

Errors::Type_Error DatabaseTable::refuseIfUnstorable(const QString& reason)
{
    if (reason.isEmpty())
        return 0;
    return refuse(*database, statementError(), reason);
}

Errors::Type_Error DatabaseTable::searchIdsWith(const QString& text, const QStringList& values, int maxRows,
                                                QList<Database::ID>& ids, bool& more)
{
    QSqlQuery query(*database->getDatabase());
    query.setForwardOnly(true);
    // The searched text travels as a bound value, never inside the statement.
    const Errors::Type_Error result = execWithValues(*database, query, text, values, statementError());
    if (result != 0)
        return result;
    int count = 0;
    while ((maxRows < 1 || count < maxRows) && query.next()) {
        ids.append(Database::ID(query.value(0).toInt()));
        ++count;
    }
    if (maxRows >= 1 && query.next())
        more = true;
    return 0;
}

QSqlQuery* DatabaseTable::prepare(std::size_t slot, const QString& text)
{
    auto query = std::make_unique<QSqlQuery>(*database->getDatabase());
    query->setForwardOnly(true);
    if (!query->prepare(text)) {
        database->showQueryError(*query, statementError());
        return nullptr;
    }
    if (m_prepared.size() <= slot)
        m_prepared.resize(slot + 1);
    m_prepared[slot] = std::move(query);
    return m_prepared[slot].get();
}

void DatabaseTable::dropPrepared(std::size_t slot)
{
    if (slot < m_prepared.size())
        m_prepared[slot].reset();
}

Errors::Type_Error DatabaseTable::execWithKey(QSqlQuery& query, Database::ID key)
{
    query.bindValue(0, key);
    return execPrepared(query);
}

Errors::Type_Error DatabaseTable::execPrepared(QSqlQuery& query)
{
    if (!query.exec()) {
        database->showQueryError(query, statementError());
        return ErrorStatement;
    }
    return 0;
}
