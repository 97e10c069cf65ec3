#include "DatabaseTableZelvorinImageStitcherPicture.h"

#include "ApplicationDatabase.h"
#include "DatabaseTableSupport.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

using namespace DatabaseTableSupport;

namespace {

constexpr Errors::Type_Error ErrorNotOpen = 84;

} // namespace

void DatabaseTableZelvorinImageStitcherPicture::Dataset::clear()
{
    ImageStitcherPictureID = -1;
    ImageStitcherID = -1;
    PositionIndex = 0;
    PictureFilePath.clear();
    rowOpticalAxis = 0.0;
    colOpticalAxis = 0.0;
}

DatabaseTableZelvorinImageStitcherPicture::DatabaseTableZelvorinImageStitcherPicture(ApplicationDatabase* owner,
                                                                                     QObject* parent)
    : QObject(parent)
    , applicationDatabase(owner)
    , database(owner ? owner->database() : nullptr)
    , databaseType(0)
{
}

DatabaseTableZelvorinImageStitcherPicture::~DatabaseTableZelvorinImageStitcherPicture() = default;

void DatabaseTableZelvorinImageStitcherPicture::SetDatabase(int type)
{
    databaseType = type;
    quoteBegin = database ? database->sqlQuoteBegin() : QString();
    quoteEnd = database ? database->sqlQuoteEnd() : QString();
}

QString DatabaseTableZelvorinImageStitcherPicture::q(const char* name) const
{
    return quoteBegin + QLatin1String(name) + quoteEnd;
}

QString DatabaseTableZelvorinImageStitcherPicture::tableName() const
{
    return q("ZelvorinImageStitcherPicture");
}

// ---------------------------------------------------------------------------------------------
// Statement texts

QString DatabaseTableZelvorinImageStitcherPicture::sqlInsert(const Dataset& row) const
{
    return QStringLiteral("INSERT INTO ") + tableName() + QStringLiteral(" (") + q("ImageStitcherID") + QLatin1Char(',')
        + q("PositionIndex") + QLatin1Char(',') + q("PictureFilePath") + QStringLiteral(")") + QStringLiteral(" VALUES ")
        + QStringLiteral("(") + database->sqlID(row.ImageStitcherID) + QLatin1Char(',') + database->sqlShort(row.PositionIndex)
        + QLatin1Char(',') + database->sqlQuoteString(row.PictureFilePath) + QStringLiteral(")");
}

QString DatabaseTableZelvorinImageStitcherPicture::sqlUpdate(const Dataset& row) const
{
    return QStringLiteral("UPDATE ") + tableName() + QStringLiteral(" SET ") + q("ImageStitcherID") + QLatin1Char('=')
        + database->sqlID(row.ImageStitcherID) + QLatin1Char(',') + q("PositionIndex") + QLatin1Char('=')
        + database->sqlShort(row.PositionIndex) + QLatin1Char(',') + q("PictureFilePath") + QLatin1Char('=')
        + database->sqlQuoteString(row.PictureFilePath) + QStringLiteral(" WHERE ") + q("ImageStitcherPictureID")
        + QLatin1Char('=') + database->sqlID(row.ImageStitcherPictureID);
}

QString DatabaseTableZelvorinImageStitcherPicture::sqlDelete(Database::ID key) const
{
    return QStringLiteral("DELETE FROM ") + tableName() + QStringLiteral(" WHERE ") + q("ImageStitcherPictureID")
        + QLatin1Char('=') + database->sqlID(key);
}

QString DatabaseTableZelvorinImageStitcherPicture::sqlSelect(Database::ID key) const
{
    return QStringLiteral("SELECT ") + q("ImageStitcherPictureID") + QLatin1Char(',') + q("ImageStitcherID")
        + QLatin1Char(',') + q("PositionIndex") + QLatin1Char(',') + q("PictureFilePath") + QStringLiteral(" FROM ")
        + tableName() + QStringLiteral(" WHERE ") + q("ImageStitcherPictureID") + QLatin1Char('=') + database->sqlID(key);
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

Errors::Type_Error DatabaseTableZelvorinImageStitcherPicture::checkRow(const Dataset& row)
{
    const QString reason = checkText(QStringLiteral("PictureFilePath"), row.PictureFilePath);
    if (!reason.isEmpty())
        return refuse(*database, tr("SQL Statement error in table %1").arg(tableName()), reason);
    return 0;
}

Errors::Type_Error DatabaseTableZelvorinImageStitcherPicture::Insert(Dataset& row)
{
    row.ImageStitcherPictureID = -1;
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    Errors::Type_Error result = checkRow(row);
    if (result != 0)
        return result;
    Database::ID key = -1;
    result = insertRow(*database, sqlInsert(row), {}, tr("SQL Statement error in table %1").arg(tableName()),
                       tr("SQL Autoincrement error in table %1").arg(tableName()), key);
    if (result == 0)
        row.ImageStitcherPictureID = key;
    return result;
}

Errors::Type_Error DatabaseTableZelvorinImageStitcherPicture::Update(const Dataset& row)
{
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    Errors::Type_Error result = checkRow(row);
    if (result != 0)
        return result;
    return updateRow(*database, sqlUpdate(row), {}, tr("SQL Statement error in table %1").arg(tableName()),
                     tr("SQL Update error in table %1").arg(tableName()));
}

Errors::Type_Error DatabaseTableZelvorinImageStitcherPicture::Delete(Database::ID key)
{
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    return runStatement(*database, sqlDelete(key), tr("SQL Statement error in table %1").arg(tableName()));
}

Errors::Type_Error DatabaseTableZelvorinImageStitcherPicture::Select(Database::ID key, Dataset& row)
{
    row.clear();
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    QSqlQuery query(*database->getDatabase());
    const Errors::Type_Error result =
        selectRow(*database, query, sqlSelect(key), tr("SQL Statement error in table %1").arg(tableName()),
                  tr("Dataset %1=%2 not found").arg(q("ImageStitcherPictureID"), QString::number(key)));
    if (result != 0)
        return result;
    row.ImageStitcherPictureID = Database::ID(query.value(0).toInt());
    row.ImageStitcherID = Database::ID(query.value(1).toInt());
    row.PositionIndex = qint16(query.value(2).toInt());
    row.PictureFilePath = query.value(3).toString();
    return 0;
}

Errors::Type_Error DatabaseTableZelvorinImageStitcherPicture::runIdList(const QString& text, QList<Database::ID>& ids)
{
    return selectIds(*database, text, tr("SQL Statement error in table %1").arg(tableName()), ids);
}

Errors::Type_Error DatabaseTableZelvorinImageStitcherPicture::SelectIdsByImageStitcher(Database::ID imageStitcherId,
                                                                                       QList<Database::ID>& ids)
{
    ids.clear();
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    return runIdList(sqlSelectIdsByImageStitcher(imageStitcherId), ids);
}

Errors::Type_Error DatabaseTableZelvorinImageStitcherPicture::SelectIdByPosition(Database::ID imageStitcherId,
                                                                                 qint16 position, QList<Database::ID>& ids)
{
    ids.clear();
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    return runIdList(sqlSelectIdByPosition(imageStitcherId, position), ids);
}
