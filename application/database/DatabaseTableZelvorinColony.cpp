#include "DatabaseTableZelvorinColony.h"

#include "DatabaseTableSupport.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

using namespace DatabaseTableSupport;

namespace {

using Row = DatabaseTableZelvorinColony::Dataset;
using Kind = DatabaseColumnKind;

constexpr DatabaseColumn<Row> ColonyColumns[] = {
    {Kind::Key, "ColonyID", &Row::ColonyID},
    {Kind::ForeignKey, "ContainerID", &Row::ContainerID},
    {Kind::Value, "PosX_px", &Row::PosX_px},
    {Kind::Value, "PosY_px", &Row::PosY_px},
    {Kind::Value, "PosX_mm", &Row::PosX_mm},
    {Kind::Value, "PosY_mm", &Row::PosY_mm},
    {Kind::Value, "Area_mm2", &Row::Area_mm2},
    {Kind::Value, "Circularity", &Row::Circularity},
    {Kind::Value, "ClearanceNeighbor_mm", &Row::ClearanceNeighbor_mm},
    {Kind::Value, "ClearanceMargin_mm", &Row::ClearanceMargin_mm},
    {Kind::Value, "LoadingArea_pct", &Row::LoadingArea_pct},
    {Kind::Value, "LoadingCircularity_pct", &Row::LoadingCircularity_pct},
    {Kind::Value, "LoadingClearanceNeighbor_pct", &Row::LoadingClearanceNeighbor_pct},
    {Kind::Value, "LoadingClearanceMargin_pct", &Row::LoadingClearanceMargin_pct},
    {Kind::Value, "LoadingTotal_pct", &Row::LoadingTotal_pct},
    {Kind::Value, "ColorHue", &Row::ColorHue},
    {Kind::Value, "ColorSaturation", &Row::ColorSaturation},
    {Kind::Value, "ColorIntensity", &Row::ColorIntensity},
    {Kind::Value, "ColorArea_pct", &Row::ColorArea_pct},
    {Kind::Value, "ColorRed", &Row::ColorRed},
    {Kind::Value, "ColorGreen", &Row::ColorGreen},
    {Kind::Value, "ColorBlue", &Row::ColorBlue},
    {Kind::Value, "PickingDate", &Row::PickingDate},
    {Kind::Value, "PickingState", &Row::PickingState},
    {Kind::Value, "IsExcluded", &Row::IsExcluded},
    {Kind::Value, "IsGoodColony", &Row::IsGoodColony},
    {Kind::Value, "PickingOrder", &Row::PickingOrder},
    {Kind::Value, "IsUserEdited", &Row::IsUserEdited},
    {Kind::Value, "ErrorCode", &Row::ErrorCode},
    {Kind::Text, "Description", &Row::Description},
};
constexpr DatabaseColumns<Row> Columns(ColonyColumns);

// Statements prepared once per connection.
enum PreparedSlot : std::size_t { InsertSlot, SelectSlot, IdsByContainerSlot, ByContainerSlot, ByRackSlot };

} // namespace

void DatabaseTableZelvorinColony::Dataset::clear()
{
    Columns.clear(*this);
}

DatabaseTableZelvorinColony::DatabaseTableZelvorinColony(ApplicationDatabase* owner, QObject* parent)
    : DatabaseTable(owner, "ZelvorinColony", parent)
{
}

DatabaseTableZelvorinColony::~DatabaseTableZelvorinColony() = default;

// ---------------------------------------------------------------------------------------------
// Statement texts

QString DatabaseTableZelvorinColony::sqlInsert(const Dataset& row) const
{
    return insertText(Columns, Columns.literals(*database, row));
}

QString DatabaseTableZelvorinColony::sqlInsertPrepared() const
{
    return insertText(Columns, QStringList(qsizetype(Columns.written().size()), QStringLiteral("?")));
}

QString DatabaseTableZelvorinColony::sqlUpdate(const Dataset& row) const
{
    return updateText(Columns, Columns.literals(*database, row), row.ColonyID);
}

QString DatabaseTableZelvorinColony::sqlDelete(Database::ID colonyId) const
{
    return deleteText(Columns, colonyId);
}

QString DatabaseTableZelvorinColony::sqlSelect(Database::ID colonyId) const
{
    return selectByKey(Columns, database->sqlID(colonyId));
}

QString DatabaseTableZelvorinColony::sqlSelectPrepared() const
{
    return selectByKey(Columns, QStringLiteral("?"));
}

QString DatabaseTableZelvorinColony::sqlSelectByContainerPrepared() const
{
    return QStringLiteral("SELECT ") + columnList(Columns) + QStringLiteral(" FROM ") + tableName()
        + QStringLiteral(" WHERE ") + q("ContainerID") + QStringLiteral("=? ORDER BY ") + q("PickingOrder")
        + QStringLiteral(" DESC,") + q("ColonyID") + QStringLiteral(" ASC");
}

QString DatabaseTableZelvorinColony::sqlSelectByRackPrepared() const
{
    const QString container = q("ZelvorinContainer");
    return QStringLiteral("SELECT ") + columnList(Columns, true) + QStringLiteral(" FROM ") + tableName()
        + QStringLiteral(" INNER JOIN ") + container + QStringLiteral(" ON ") + tableName() + QLatin1Char('.')
        + q("ContainerID") + QLatin1Char('=') + container + QLatin1Char('.') + q("ContainerID") + QStringLiteral(" WHERE ")
        + container + QLatin1Char('.') + q("RackID") + QStringLiteral("=? ORDER BY ") + container + QLatin1Char('.')
        + q("PickingOrder") + QStringLiteral(" ASC,") + container + QLatin1Char('.') + q("ContainerID")
        + QStringLiteral(" ASC,") + tableName() + QLatin1Char('.') + q("PickingOrder") + QStringLiteral(" DESC,")
        + tableName() + QLatin1Char('.') + q("ColonyID") + QStringLiteral(" ASC");
}

QString DatabaseTableZelvorinColony::sqlSelectIdsByContainerPrepared() const
{
    return QStringLiteral("SELECT ") + q("ColonyID") + QStringLiteral(" FROM  ") + tableName() + QStringLiteral(" WHERE ")
        + q("ContainerID") + QStringLiteral(" = ? ORDER BY ") + q("PickingOrder") + QStringLiteral(" DESC");
}

QString DatabaseTableZelvorinColony::sqlSelectIdsByContainer(Database::ID containerId) const
{
    return QStringLiteral("SELECT ") + q("ColonyID") + QStringLiteral(" FROM  ") + tableName() + QStringLiteral(" WHERE ")
        + q("ContainerID") + QStringLiteral(" = ") + database->sqlID(containerId) + QStringLiteral(" ORDER BY ")
        + q("PickingOrder") + QStringLiteral(" DESC");
}

QString DatabaseTableZelvorinColony::sqlSelectPickIds(Database::ID containerId) const
{
    return QStringLiteral("SELECT ") + q("ColonyID") + QStringLiteral(" FROM ") + tableName() + QStringLiteral(" WHERE ")
        + q("ContainerID") + QLatin1Char('=') + database->sqlID(containerId) + QStringLiteral(" AND ") + q("IsExcluded")
        + QLatin1Char('=') + database->sqlBool(false) + QStringLiteral(" AND ") + q("IsGoodColony") + QLatin1Char('=')
        + database->sqlBool(true) + QStringLiteral(" ORDER BY ") + q("PickingOrder") + QStringLiteral(" ASC ,")
        + q("LoadingTotal_pct") + QStringLiteral(" DESC ");
}

QString DatabaseTableZelvorinColony::sqlSelectNotGoodIds(Database::ID containerId) const
{
    return QStringLiteral("SELECT ") + q("ColonyID") + QStringLiteral(" FROM ") + tableName() + QStringLiteral(" WHERE ")
        + q("ContainerID") + QLatin1Char('=') + database->sqlID(containerId) + QStringLiteral(" AND ") + q("IsGoodColony")
        + QLatin1Char('=') + database->sqlBool(false);
}

// ---------------------------------------------------------------------------------------------
// Operations

Errors::Type_Error DatabaseTableZelvorinColony::Insert(Dataset& row)
{
    row.ColonyID = -1;
    if (!isUsable())
        return ErrorNotOpen;
    Errors::Type_Error result = refuseIfUnstorable(Columns.check(row));
    if (result != 0)
        return result;
    QSqlQuery* query = preparedQuery(InsertSlot, [this] { return sqlInsertPrepared(); });
    if (!query)
        return ErrorStatement;
    Columns.bind(*query, *database, row);
    result = execPrepared(*query);
    if (result != 0)
        return result;
    // The driver's key first: no message is built on the path every colony takes.
    if (query->driver()->hasFeature(QSqlDriver::LastInsertId)) {
        const QVariant id = query->lastInsertId();
        if (id.isValid()) {
            row.ColonyID = Database::ID(id.toInt());
            return 0;
        }
    }
    result = readNewKey(*database, *query, row.ColonyID, autoincrementError());
    // A fallback key statement replaced the prepared one on this query.
    if (!query->lastQuery().startsWith(QLatin1String("INSERT")))
        dropPrepared(InsertSlot);
    return result;
}

Errors::Type_Error DatabaseTableZelvorinColony::Update(const Dataset& row)
{
    return updateRecord(Columns, row, [&] { return sqlUpdate(row); });
}

Errors::Type_Error DatabaseTableZelvorinColony::Delete(Database::ID colonyId)
{
    return deleteRecord([&] { return sqlDelete(colonyId); });
}

Errors::Type_Error DatabaseTableZelvorinColony::Select(Database::ID colonyId, Dataset& row)
{
    return selectPrepared(Columns, SelectSlot, colonyId, row, [this] { return sqlSelectPrepared(); });
}

Errors::Type_Error DatabaseTableZelvorinColony::readRows(std::size_t slot,
                                                         QString (DatabaseTableZelvorinColony::*text)() const,
                                                         Database::ID key, QList<Dataset>& rows)
{
    rows.clear();
    if (!isUsable())
        return ErrorNotOpen;
    QSqlQuery* query = preparedQuery(slot, [this, text] { return (this->*text)(); });
    if (!query)
        return ErrorStatement;
    const Errors::Type_Error result = execWithKey(*query, key);
    if (result != 0)
        return result;
    // Every field is overwritten, so one cleared record (one clock reading) serves all rows.
    const Dataset cleared;
    while (query->next()) {
        rows.append(cleared);
        Columns.read(*query, rows.last(), dates);
    }
    // A row that could not be read (a lock, a damaged file) must not pass as the end.
    if (query->lastError().isValid()) {
        database->showQueryError(*query, statementError());
        query->finish();
        rows.clear();
        return ErrorStatement;
    }
    query->finish();
    return 0;
}

Errors::Type_Error DatabaseTableZelvorinColony::SelectByContainer(Database::ID containerId, QList<Dataset>& rows)
{
    return readRows(ByContainerSlot, &DatabaseTableZelvorinColony::sqlSelectByContainerPrepared, containerId, rows);
}

Errors::Type_Error DatabaseTableZelvorinColony::SelectByRack(Database::ID rackId, QList<Dataset>& rows)
{
    return readRows(ByRackSlot, &DatabaseTableZelvorinColony::sqlSelectByRackPrepared, rackId, rows);
}

Errors::Type_Error DatabaseTableZelvorinColony::SelectIdsByContainer(Database::ID containerId, QList<Database::ID>& ids)
{
    ids.clear();
    if (!isUsable())
        return ErrorNotOpen;
    QSqlQuery* query = preparedQuery(IdsByContainerSlot, [this] { return sqlSelectIdsByContainerPrepared(); });
    if (!query)
        return ErrorStatement;
    const Errors::Type_Error result = execWithKey(*query, containerId);
    if (result != 0)
        return result;
    readIdList(*query, ids);
    query->finish();
    return 0;
}

Errors::Type_Error DatabaseTableZelvorinColony::SelectPickIds(Database::ID containerId, QList<Database::ID>& ids)
{
    return selectIdList(ids, [&] { return sqlSelectPickIds(containerId); });
}

Errors::Type_Error DatabaseTableZelvorinColony::SelectNotGoodIds(Database::ID containerId, QList<Database::ID>& ids)
{
    return selectIdList(ids, [&] { return sqlSelectNotGoodIds(containerId); });
}
