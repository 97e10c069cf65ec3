#include "DatabaseTableZelvorinImageStitcher.h"

#include "DatabaseTableSupport.h"

namespace {

using Row = DatabaseTableZelvorinImageStitcher::Dataset;
using Kind = DatabaseColumnKind;

// The settings texts are bound, never written as literals.
constexpr DatabaseColumn<Row> StitcherColumns[] = {
    {Kind::Key, "ImageStitcherID", &Row::ImageStitcherID},
    {Kind::Value, "CreatedDate", &Row::CreatedDate},
    {Kind::IndexedText, "RackBarcode", &Row::RackBarcode},
    {Kind::BoundText, "ImageStitcherSettings", &Row::ImageStitcherSettings},
    {Kind::BoundText, "ReferencePointsCorrection", &Row::ReferencePointsCorrection},
    {Kind::Text, "PictureFilePath", &Row::PictureFilePath},
    {Kind::Value, "ErrorCode", &Row::ErrorCode},
    {Kind::Text, "Description", &Row::Description},
};
constexpr DatabaseColumns<Row> Columns(StitcherColumns);

} // namespace

void DatabaseTableZelvorinImageStitcher::Dataset::clear()
{
    Columns.clear(*this);
}

DatabaseTableZelvorinImageStitcher::DatabaseTableZelvorinImageStitcher(ApplicationDatabase* owner, QObject* parent)
    : DatabaseTable(owner, "ZelvorinImageStitcher", parent)
{
}

DatabaseTableZelvorinImageStitcher::~DatabaseTableZelvorinImageStitcher() = default;

// ---------------------------------------------------------------------------------------------
// Statement texts

QString DatabaseTableZelvorinImageStitcher::sqlInsert(const Dataset& row) const
{
    return insertText(Columns, Columns.literals(*database, row));
}

QString DatabaseTableZelvorinImageStitcher::sqlUpdate(const Dataset& row) const
{
    return updateText(Columns, Columns.literals(*database, row), row.ImageStitcherID);
}

QString DatabaseTableZelvorinImageStitcher::sqlDelete(Database::ID key) const
{
    return deleteText(Columns, key);
}

QString DatabaseTableZelvorinImageStitcher::sqlSelect(Database::ID key) const
{
    return selectByKey(Columns, database->sqlID(key));
}

QString DatabaseTableZelvorinImageStitcher::sqlSelectIdsByBarcode(const QString& barcode, int maxRows) const
{
    return newestByBarcodeText("ImageStitcherID", barcode, maxRows);
}

// ---------------------------------------------------------------------------------------------
// Operations

Errors::Type_Error DatabaseTableZelvorinImageStitcher::Insert(Dataset& row)
{
    return insertRecord(Columns, row, [&] { return sqlInsert(row); });
}

Errors::Type_Error DatabaseTableZelvorinImageStitcher::Update(const Dataset& row)
{
    return updateRecord(Columns, row, [&] { return sqlUpdate(row); });
}

Errors::Type_Error DatabaseTableZelvorinImageStitcher::Delete(Database::ID key)
{
    return deleteRecord([&] { return sqlDelete(key); });
}

Errors::Type_Error DatabaseTableZelvorinImageStitcher::Select(Database::ID key, Dataset& row)
{
    return selectRecord(Columns, key, row, [&] { return sqlSelect(key); });
}

Errors::Type_Error DatabaseTableZelvorinImageStitcher::SelectIdsByBarcode(const QString& barcode, int maxRows,
                                                                          QList<Database::ID>& ids, bool& more)
{
    return searchIds(barcode, false, !barcode.isEmpty(), maxRows, ids, more,
                     [&] { return sqlSelectIdsByBarcode(barcode, maxRows); });
}
