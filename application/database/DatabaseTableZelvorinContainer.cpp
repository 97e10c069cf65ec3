#include "DatabaseTableZelvorinContainer.h"

#include "DatabaseTableSupport.h"

using namespace DatabaseTableSupport;

namespace {

using Row = DatabaseTableZelvorinContainer::Dataset;
using Kind = DatabaseColumnKind;

constexpr DatabaseColumn<Row> ContainerColumns[] = {
    {Kind::Key, "ContainerID", &Row::ContainerID},
    {Kind::ForeignKey, "RackID", &Row::RackID},
    {Kind::Value, "ContainerNumber", &Row::ContainerNumber},
    {Kind::IndexedText, "ContainerName", &Row::ContainerName},
    {Kind::Value, "PickingOrder", &Row::PickingOrder},
    {Kind::Value, "ErrorCode", &Row::ErrorCode},
    {Kind::Text, "Description", &Row::Description},
};
constexpr DatabaseColumns<Row> Columns(ContainerColumns);

// Statements prepared once per connection.
enum PreparedSlot : std::size_t { SelectSlot };

} // namespace

void DatabaseTableZelvorinContainer::Dataset::clear()
{
    Columns.clear(*this);
}

DatabaseTableZelvorinContainer::DatabaseTableZelvorinContainer(ApplicationDatabase* owner, QObject* parent)
    : DatabaseTable(owner, "ZelvorinContainer", parent)
{
}

DatabaseTableZelvorinContainer::~DatabaseTableZelvorinContainer() = default;

// ---------------------------------------------------------------------------------------------
// Statement texts

QString DatabaseTableZelvorinContainer::sqlInsert(const Dataset& row) const
{
    return insertText(Columns, Columns.literals(*database, row));
}

QString DatabaseTableZelvorinContainer::sqlUpdate(const Dataset& row) const
{
    return updateText(Columns, Columns.literals(*database, row), row.ContainerID);
}

QString DatabaseTableZelvorinContainer::sqlDelete(Database::ID containerId) const
{
    return deleteText(Columns, containerId);
}

// The select by key up to its value; this table's has always had two blanks after SELECT.
QString DatabaseTableZelvorinContainer::selectHead() const
{
    return QStringLiteral("SELECT  ") + columnList(Columns) + QStringLiteral(" FROM ") + tableName()
        + QStringLiteral(" WHERE ") + q("ContainerID") + QLatin1Char('=');
}

QString DatabaseTableZelvorinContainer::sqlSelect(Database::ID containerId) const
{
    return selectHead() + database->sqlID(containerId);
}

QString DatabaseTableZelvorinContainer::sqlSelectPrepared() const
{
    return selectHead() + QLatin1Char('?');
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

Errors::Type_Error DatabaseTableZelvorinContainer::Insert(Dataset& row)
{
    return insertRecord(Columns, row, [&] { return sqlInsert(row); });
}

Errors::Type_Error DatabaseTableZelvorinContainer::Update(const Dataset& row)
{
    return updateRecord(Columns, row, [&] { return sqlUpdate(row); });
}

Errors::Type_Error DatabaseTableZelvorinContainer::Delete(Database::ID containerId)
{
    return deleteRecord([&] { return sqlDelete(containerId); });
}

Errors::Type_Error DatabaseTableZelvorinContainer::Select(Database::ID containerId, Dataset& row)
{
    return selectPrepared(Columns, SelectSlot, containerId, row, [this] { return sqlSelectPrepared(); });
}

Errors::Type_Error DatabaseTableZelvorinContainer::SelectIdsByRack(Database::ID rackId, QList<Database::ID>& ids)
{
    return selectIdList(ids, [&] { return sqlSelectIdsByRack(rackId); });
}

Errors::Type_Error DatabaseTableZelvorinContainer::SelectIdByNumber(Database::ID rackId, qint16 number, QList<Database::ID>& ids)
{
    return selectIdList(ids, [&] { return sqlSelectIdByNumber(rackId, number); });
}

Errors::Type_Error DatabaseTableZelvorinContainer::SelectIdByName(Database::ID rackId, const QString& name,
                                                                  QList<Database::ID>& ids)
{
    ids.clear();
    if (!isUsable())
        return ErrorNotOpen;
    // A name that cannot be stored matches no container; its literal must not be cut.
    if (!checkText(QLatin1String("ContainerName"), name, MaxIndexedTextLength).isEmpty())
        return 0;
    return selectIdList(ids, [&] { return sqlSelectIdByName(rackId, name); });
}

Errors::Type_Error DatabaseTableZelvorinContainer::SelectIdByPickingOrder(Database::ID rackId, qint16 pickingOrder,
                                                                          QList<Database::ID>& ids)
{
    return selectIdList(ids, [&] { return sqlSelectIdByPickingOrder(rackId, pickingOrder); });
}
