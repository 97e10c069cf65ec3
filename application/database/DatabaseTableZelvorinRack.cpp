#include "DatabaseTableZelvorinRack.h"

#include "DatabaseTableSupport.h"

using namespace DatabaseTableSupport;

namespace {

using Row = DatabaseTableZelvorinRack::Dataset;
using Short = DatabaseTableZelvorinRack::ShortDataset;
using Kind = DatabaseColumnKind;

// Column order of every statement; the long texts are bound, never written as literals.
constexpr DatabaseColumn<Row> RackColumns[] = {
    {Kind::Key, "RackID", &Row::RackID},
    {Kind::Value, "CreatedDate", &Row::CreatedDate},
    {Kind::IndexedText, "RackBarcode", &Row::RackBarcode},
    {Kind::BoundText, "XMLSettings", &Row::XMLSettings},
    {Kind::BoundText, "XMLCameraSettings", &Row::XMLCameraSettings},
    {Kind::BoundText, "XMLColonySettings", &Row::XMLColonySettings},
    {Kind::BoundText, "ReferencePointsCorrection", &Row::ReferencePointsCorrection},
    {Kind::Text, "PictureFilePath", &Row::PictureFilePath},
    {Kind::Value, "ColorModel", &Row::ColorModel},
    {Kind::Value, "ErrorCode", &Row::ErrorCode},
    {Kind::Text, "Description", &Row::Description},
    {Kind::ForeignKey, "ImageStitcherID", &Row::ImageStitcherID},
    {Kind::Value, "ReferenzPos1X", &Row::ReferenzPos1X},
    {Kind::Value, "ReferenzPos1Y", &Row::ReferenzPos1Y},
    {Kind::Value, "ReferenzPos2X", &Row::ReferenzPos2X},
    {Kind::Value, "ReferenzPos2Y", &Row::ReferenzPos2Y},
    {Kind::Value, "ReferenzPos3X", &Row::ReferenzPos3X},
    {Kind::Value, "ReferenzPos3Y", &Row::ReferenzPos3Y},
    {Kind::Value, "ReferenzPos4X", &Row::ReferenzPos4X},
    {Kind::Value, "ReferenzPos4Y", &Row::ReferenzPos4Y},
};
constexpr DatabaseColumns<Row> Columns(RackColumns);

constexpr DatabaseColumn<Short> ShortRackColumns[] = {
    {Kind::Key, "RackID", &Short::RackID},
    {Kind::Value, "CreatedDate", &Short::CreatedDate},
    {Kind::IndexedText, "RackBarcode", &Short::RackBarcode},
    {Kind::Text, "PictureFilePath", &Short::PictureFilePath},
    {Kind::Value, "ColorModel", &Short::ColorModel},
    {Kind::Value, "ErrorCode", &Short::ErrorCode},
    {Kind::Text, "Description", &Short::Description},
    {Kind::ForeignKey, "ImageStitcherID", &Short::ImageStitcherID},
};
constexpr DatabaseColumns<Short> ShortColumns(ShortRackColumns);

} // namespace

void DatabaseTableZelvorinRack::Dataset::clear()
{
    Columns.clear(*this);
}

void DatabaseTableZelvorinRack::ShortDataset::clear()
{
    ShortColumns.clear(*this);
}

DatabaseTableZelvorinRack::DatabaseTableZelvorinRack(ApplicationDatabase* owner, QObject* parent)
    : DatabaseTable(owner, "ZelvorinRack", parent)
{
}

DatabaseTableZelvorinRack::~DatabaseTableZelvorinRack() = default;

// ---------------------------------------------------------------------------------------------
// Statement texts

QString DatabaseTableZelvorinRack::sqlDelete(Database::ID rackId) const
{
    return deleteText(Columns, rackId);
}

QString DatabaseTableZelvorinRack::sqlSelect(Database::ID rackId) const
{
    return selectByKey(Columns, database->sqlID(rackId));
}

QString DatabaseTableZelvorinRack::sqlSelectShort(Database::ID rackId) const
{
    return selectByKey(ShortColumns, database->sqlID(rackId));
}

QString DatabaseTableZelvorinRack::sqlInsert(const Dataset& row) const
{
    return insertText(Columns, Columns.literals(*database, row));
}

QString DatabaseTableZelvorinRack::sqlUpdate(const Dataset& row) const
{
    return updateText(Columns, Columns.literals(*database, row), row.RackID);
}

QString DatabaseTableZelvorinRack::sqlSelectIdsByBarcode(const QString& barcode, int maximumCount) const
{
    return newestByBarcodeText("RackID", barcode, maximumCount);
}

// The text itself is bound; the statement is the same for every filter.
QString DatabaseTableZelvorinRack::sqlSelectIdsByBarcodeQualified(const QString& /*text*/) const
{
    return QStringLiteral("SELECT ") + tableName() + QLatin1Char('.') + q("RackID") + QStringLiteral(" FROM  ") + tableName()
        + QStringLiteral(" WHERE ") + tableName() + QLatin1Char('.') + q("RackBarcode") + likeClause(*database);
}

// ---------------------------------------------------------------------------------------------
// Operations

Errors::Type_Error DatabaseTableZelvorinRack::Delete(Database::ID rackId)
{
    return deleteRecord([&] { return sqlDelete(rackId); });
}

Errors::Type_Error DatabaseTableZelvorinRack::Select(Database::ID rackId, Dataset& row)
{
    return selectRecord(Columns, rackId, row, [&] { return sqlSelect(rackId); });
}

Errors::Type_Error DatabaseTableZelvorinRack::SelectShort(Database::ID rackId, ShortDataset& row)
{
    return selectRecord(ShortColumns, rackId, row, [&] { return sqlSelectShort(rackId); });
}

Errors::Type_Error DatabaseTableZelvorinRack::Insert(Dataset& row)
{
    return insertRecord(Columns, row, [&] { return sqlInsert(row); });
}

Errors::Type_Error DatabaseTableZelvorinRack::Update(const Dataset& row)
{
    return updateRecord(Columns, row, [&] { return sqlUpdate(row); });
}

Errors::Type_Error DatabaseTableZelvorinRack::SelectIdsByBarcode(const QString& barcode, int maximumCount,
                                                                 QList<Database::ID>& ids, bool& more)
{
    return searchIds(barcode, false, !barcode.isEmpty(), maximumCount, ids, more,
                     [&] { return sqlSelectIdsByBarcode(barcode, maximumCount); });
}

Errors::Type_Error DatabaseTableZelvorinRack::SelectIdsByBarcodeQualified(const QString& text, QList<Database::ID>& ids)
{
    // The browser's filter text travels as a bound value, never inside the statement.
    bool more = false;
    return searchIds(text, true, true, 0, ids, more, [&] { return sqlSelectIdsByBarcodeQualified(text); });
}
