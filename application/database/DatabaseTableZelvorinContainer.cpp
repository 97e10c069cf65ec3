#include "DatabaseTableZelvorinContainer.h"

#include "ApplicationDatabase.h"
#include "DatabaseTableSupport.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include <memory>

using namespace DatabaseTableSupport;

namespace {

constexpr Errors::Type_Error ErrorNotOpen = 84;
constexpr Errors::Type_Error ErrorStatement = 85;
constexpr Errors::Type_Error ErrorNotFound = 87;

} // namespace

void DatabaseTableZelvorinContainer::Dataset::clear()
{
    ContainerID = -1;
    RackID = -1;
    ContainerNumber = 0;
    ContainerName.clear();
    PickingOrder = 0;
    ErrorCode = 0;
    Description.clear();
}

DatabaseTableZelvorinContainer::DatabaseTableZelvorinContainer(ApplicationDatabase* owner, QObject* parent)
    : QObject(parent)
    , applicationDatabase(owner)
    , database(owner ? owner->database() : nullptr)
    , databaseType(0)
{
}

DatabaseTableZelvorinContainer::~DatabaseTableZelvorinContainer() = default;

void DatabaseTableZelvorinContainer::SetDatabase(int type)
{
    selectQuery.reset();
    databaseType = type;
    quoteBegin = database ? database->sqlQuoteBegin() : QString();
    quoteEnd = database ? database->sqlQuoteEnd() : QString();
}

QString DatabaseTableZelvorinContainer::q(const char* name) const
{
    return quoteBegin + QLatin1String(name) + quoteEnd;
}

QString DatabaseTableZelvorinContainer::tableName() const
{
    return q("ZelvorinContainer");
}

// ---------------------------------------------------------------------------------------------
// Statement texts

QString DatabaseTableZelvorinContainer::sqlInsert(const Dataset& row) const
{
    return QStringLiteral("INSERT INTO ") + tableName() + QStringLiteral(" (") + q("RackID") + QLatin1Char(',')
        + q("ContainerNumber") + QLatin1Char(',') + q("ContainerName") + QLatin1Char(',') + q("PickingOrder")
        + QLatin1Char(',') + q("ErrorCode") + QLatin1Char(',') + q("Description") + QStringLiteral(")")
        + QStringLiteral(" VALUES ") + QStringLiteral("(") + database->sqlID(row.RackID) + QLatin1Char(',')
        + database->sqlShort(row.ContainerNumber) + QLatin1Char(',') + database->sqlQuoteString(row.ContainerName)
        + QLatin1Char(',') + database->sqlShort(row.PickingOrder) + QLatin1Char(',')
        + database->sqlErrorCode(row.ErrorCode) + QLatin1Char(',') + database->sqlQuoteString(row.Description)
        + QStringLiteral(")");
}

QString DatabaseTableZelvorinContainer::sqlUpdate(const Dataset& row) const
{
    return QStringLiteral("UPDATE ") + tableName() + QStringLiteral(" SET ") + q("RackID") + QLatin1Char('=')
        + database->sqlID(row.RackID) + QLatin1Char(',') + q("ContainerNumber") + QLatin1Char('=')
        + database->sqlShort(row.ContainerNumber) + QLatin1Char(',') + q("ContainerName") + QLatin1Char('=')
        + database->sqlQuoteString(row.ContainerName) + QLatin1Char(',') + q("PickingOrder") + QLatin1Char('=')
        + database->sqlShort(row.PickingOrder) + QLatin1Char(',') + q("ErrorCode") + QLatin1Char('=')
        + database->sqlErrorCode(row.ErrorCode) + QLatin1Char(',') + q("Description") + QLatin1Char('=')
        + database->sqlQuoteString(row.Description) + QStringLiteral(" WHERE ") + q("ContainerID") + QLatin1Char('=')
        + database->sqlID(row.ContainerID);
}

QString DatabaseTableZelvorinContainer::sqlDelete(Database::ID containerId) const
{
    return QStringLiteral("DELETE FROM ") + tableName() + QStringLiteral(" WHERE ") + q("ContainerID") + QLatin1Char('=')
        + database->sqlID(containerId);
}

QString DatabaseTableZelvorinContainer::sqlSelect(Database::ID containerId) const
{
    return QStringLiteral("SELECT ") + QStringLiteral(" ") + q("ContainerID") + QLatin1Char(',') + q("RackID")
        + QLatin1Char(',') + q("ContainerNumber") + QLatin1Char(',') + q("ContainerName") + QLatin1Char(',')
        + q("PickingOrder") + QLatin1Char(',') + q("ErrorCode") + QLatin1Char(',') + q("Description")
        + QStringLiteral(" FROM ") + tableName() + QStringLiteral(" WHERE ") + q("ContainerID") + QLatin1Char('=')
        + database->sqlID(containerId);
}

QString DatabaseTableZelvorinContainer::sqlSelectPrepared() const
{
    return QStringLiteral("SELECT ") + QStringLiteral(" ") + q("ContainerID") + QLatin1Char(',') + q("RackID")
        + QLatin1Char(',') + q("ContainerNumber") + QLatin1Char(',') + q("ContainerName") + QLatin1Char(',')
        + q("PickingOrder") + QLatin1Char(',') + q("ErrorCode") + QLatin1Char(',') + q("Description")
        + QStringLiteral(" FROM ") + tableName() + QStringLiteral(" WHERE ") + q("ContainerID") + QStringLiteral("=?");
}

QString DatabaseTableZelvorinContainer::idListHead(Database::ID rackId) const
{
    return QStringLiteral("SELECT ") + q("ContainerID") + QStringLiteral(" FROM  ") + tableName() + QStringLiteral(" WHERE ")
        + q("RackID") + QStringLiteral(" = ") + database->sqlID(rackId);
}

QString DatabaseTableZelvorinContainer::sqlSelectIdsByRack(Database::ID rackId) const
{
    return idListHead(rackId) + QStringLiteral(" ORDER BY ") + q("PickingOrder") + QStringLiteral(" ASC");
}

QString DatabaseTableZelvorinContainer::sqlSelectIdByNumber(Database::ID rackId, qint16 number) const
{
    return idListHead(rackId) + QStringLiteral(" AND ") + q("ContainerNumber") + QStringLiteral(" = ")
        + database->sqlShort(number) + QStringLiteral(" ORDER BY ") + q("PickingOrder") + QStringLiteral(" ASC");
}

QString DatabaseTableZelvorinContainer::sqlSelectIdByName(Database::ID rackId, const QString& name) const
{
    return idListHead(rackId) + QStringLiteral(" AND ") + q("ContainerName") + QStringLiteral(" = ")
        + database->sqlQuoteString(name) + QStringLiteral(" ORDER BY ") + q("PickingOrder") + QStringLiteral(" ASC");
}

QString DatabaseTableZelvorinContainer::sqlSelectIdByPickingOrder(Database::ID rackId, qint16 pickingOrder) const
{
    return idListHead(rackId) + QStringLiteral(" AND ") + q("PickingOrder") + QStringLiteral(" = ")
        + database->sqlShort(pickingOrder);
}

// ---------------------------------------------------------------------------------------------
// Operations

Errors::Type_Error DatabaseTableZelvorinContainer::checkRow(const Dataset& row)
{
    QString reason = checkText(QStringLiteral("ContainerName"), row.ContainerName, MaxIndexedTextLength);
    if (reason.isEmpty())
        reason = checkText(QStringLiteral("Description"), row.Description);
    if (!reason.isEmpty())
        return refuse(*database, tr("SQL Statement error in table %1").arg(tableName()), reason);
    return 0;
}

Errors::Type_Error DatabaseTableZelvorinContainer::Insert(Dataset& row)
{
    row.ContainerID = -1;
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    Errors::Type_Error result = checkRow(row);
    if (result != 0)
        return result;
    Database::ID key = -1;
    result = insertRow(*database, sqlInsert(row), {}, tr("SQL Statement error in table %1").arg(tableName()),
                       tr("SQL Autoincrement error in table %1").arg(tableName()), key);
    if (result == 0)
        row.ContainerID = key;
    return result;
}

Errors::Type_Error DatabaseTableZelvorinContainer::Update(const Dataset& row)
{
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    Errors::Type_Error result = checkRow(row);
    if (result != 0)
        return result;
    return updateRow(*database, sqlUpdate(row), {}, tr("SQL Statement error in table %1").arg(tableName()),
                     tr("SQL Update error in table %1").arg(tableName()));
}

Errors::Type_Error DatabaseTableZelvorinContainer::Delete(Database::ID containerId)
{
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    return runStatement(*database, sqlDelete(containerId), tr("SQL Statement error in table %1").arg(tableName()));
}

Errors::Type_Error DatabaseTableZelvorinContainer::Select(Database::ID containerId, Dataset& row)
{
    row.clear();
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    if (!selectQuery) {
        auto prepared = std::make_unique<QSqlQuery>(*database->getDatabase());
        prepared->setForwardOnly(true);
        if (!prepared->prepare(sqlSelectPrepared())) {
            database->showQueryError(*prepared, tr("SQL Statement error in table %1").arg(tableName()));
            return ErrorStatement;
        }
        selectQuery = std::move(prepared);
    }
    QSqlQuery& query = *selectQuery;
    query.bindValue(0, containerId);
    if (!query.exec()) {
        database->showQueryError(query, tr("SQL Statement error in table %1").arg(tableName()));
        return ErrorStatement;
    }
    if (!query.next()) {
        database->showQueryError(query, tr("Dataset %1=%2 not found").arg(q("ContainerID"), QString::number(containerId)));
        query.finish();
        return ErrorNotFound;
    }
    row.ContainerID = Database::ID(query.value(0).toInt());
    row.RackID = Database::ID(query.value(1).toInt());
    row.ContainerNumber = qint16(query.value(2).toInt());
    row.ContainerName = query.value(3).toString();
    row.PickingOrder = qint16(query.value(4).toInt());
    row.ErrorCode = Errors::Type_Error(query.value(5).toInt());
    row.Description = query.value(6).toString();
    query.finish();
    return 0;
}

Errors::Type_Error DatabaseTableZelvorinContainer::runIdList(const QString& text, QList<Database::ID>& ids)
{
    ids.clear();
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    return selectIds(*database, text, tr("SQL Statement error in table %1").arg(tableName()), ids);
}

Errors::Type_Error DatabaseTableZelvorinContainer::SelectIdsByRack(Database::ID rackId, QList<Database::ID>& ids)
{
    ids.clear();
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    return runIdList(sqlSelectIdsByRack(rackId), ids);
}

Errors::Type_Error DatabaseTableZelvorinContainer::SelectIdByNumber(Database::ID rackId, qint16 number, QList<Database::ID>& ids)
{
    ids.clear();
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    return runIdList(sqlSelectIdByNumber(rackId, number), ids);
}

Errors::Type_Error DatabaseTableZelvorinContainer::SelectIdByName(Database::ID rackId, const QString& name,
                                                                  QList<Database::ID>& ids)
{
    ids.clear();
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    // A name that cannot be stored matches no container; its literal must not be cut.
    if (!checkText(QStringLiteral("ContainerName"), name, MaxIndexedTextLength).isEmpty())
        return 0;
    return runIdList(sqlSelectIdByName(rackId, name), ids);
}

Errors::Type_Error DatabaseTableZelvorinContainer::SelectIdByPickingOrder(Database::ID rackId, qint16 pickingOrder,
                                                                          QList<Database::ID>& ids)
{
    ids.clear();
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    return runIdList(sqlSelectIdByPickingOrder(rackId, pickingOrder), ids);
}
