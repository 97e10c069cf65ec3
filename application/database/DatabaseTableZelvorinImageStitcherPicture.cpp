#include "DatabaseTableZelvorinImageStitcherPicture.h"

#include "DatabaseTableSupport.h"

namespace {

using Row = DatabaseTableZelvorinImageStitcherPicture::Dataset;
using Kind = DatabaseColumnKind;

constexpr DatabaseColumn<Row> PictureColumns[] = {
    {Kind::Key, "ImageStitcherPictureID", &Row::ImageStitcherPictureID},
    {Kind::ForeignKey, "ImageStitcherID", &Row::ImageStitcherID},
    {Kind::Value, "PositionIndex", &Row::PositionIndex},
    {Kind::Text, "PictureFilePath", &Row::PictureFilePath},
};
constexpr DatabaseColumns<Row> Columns(PictureColumns);

} // namespace

void DatabaseTableZelvorinImageStitcherPicture::Dataset::clear()
{
    Columns.clear(*this);
    rowOpticalAxis = 0.0;
    colOpticalAxis = 0.0;
}

DatabaseTableZelvorinImageStitcherPicture::DatabaseTableZelvorinImageStitcherPicture(ApplicationDatabase* owner,
                                                                                     QObject* parent)
    : DatabaseTable(owner, "ZelvorinImageStitcherPicture", parent)
{
}

DatabaseTableZelvorinImageStitcherPicture::~DatabaseTableZelvorinImageStitcherPicture() = default;

// ---------------------------------------------------------------------------------------------
// Statement texts

QString DatabaseTableZelvorinImageStitcherPicture::sqlInsert(const Dataset& row) const
{
    return insertText(Columns, Columns.literals(*database, row));
}

QString DatabaseTableZelvorinImageStitcherPicture::sqlUpdate(const Dataset& row) const
{
    return updateText(Columns, Columns.literals(*database, row), row.ImageStitcherPictureID);
}

QString DatabaseTableZelvorinImageStitcherPicture::sqlDelete(Database::ID key) const
{
    return deleteText(Columns, key);
}

QString DatabaseTableZelvorinImageStitcherPicture::sqlSelect(Database::ID key) const
{
    return selectByKey(Columns, database->sqlID(key));
}

QString DatabaseTableZelvorinImageStitcherPicture::sqlSelectIdsByImageStitcher(Database::ID imageStitcherId) const
{
    return QStringLiteral("SELECT ") + q("ImageStitcherPictureID") + QStringLiteral(" FROM  ") + tableName()
        + QStringLiteral(" WHERE ") + q("ImageStitcherID") + QStringLiteral(" = ") + database->sqlID(imageStitcherId)
        + QStringLiteral(" ORDER BY ") + q("PositionIndex") + QStringLiteral(" ASC");
}

QString DatabaseTableZelvorinImageStitcherPicture::sqlSelectIdByPosition(Database::ID imageStitcherId, qint16 position) const
{
    return QStringLiteral("SELECT ") + q("ImageStitcherPictureID") + QStringLiteral(" FROM  ") + tableName()
        + QStringLiteral(" WHERE ") + q("ImageStitcherID") + QStringLiteral(" = ") + database->sqlID(imageStitcherId)
        + QStringLiteral(" AND ") + q("PositionIndex") + QStringLiteral(" = ") + database->sqlShort(position);
}

// ---------------------------------------------------------------------------------------------
// Operations

Errors::Type_Error DatabaseTableZelvorinImageStitcherPicture::Insert(Dataset& row)
{
    return insertRecord(Columns, row, [&] { return sqlInsert(row); });
}

Errors::Type_Error DatabaseTableZelvorinImageStitcherPicture::Update(const Dataset& row)
{
    return updateRecord(Columns, row, [&] { return sqlUpdate(row); });
}

Errors::Type_Error DatabaseTableZelvorinImageStitcherPicture::Delete(Database::ID key)
{
    return deleteRecord([&] { return sqlDelete(key); });
}

Errors::Type_Error DatabaseTableZelvorinImageStitcherPicture::Select(Database::ID key, Dataset& row)
{
    return selectRecord(Columns, key, row, [&] { return sqlSelect(key); });
}

Errors::Type_Error DatabaseTableZelvorinImageStitcherPicture::SelectIdsByImageStitcher(Database::ID imageStitcherId,
                                                                                       QList<Database::ID>& ids)
{
    return selectIdList(ids, [&] { return sqlSelectIdsByImageStitcher(imageStitcherId); });
}

Errors::Type_Error DatabaseTableZelvorinImageStitcherPicture::SelectIdByPosition(Database::ID imageStitcherId,
                                                                                 qint16 position, QList<Database::ID>& ids)
{
    return selectIdList(ids, [&] { return sqlSelectIdByPosition(imageStitcherId, position); });
}
