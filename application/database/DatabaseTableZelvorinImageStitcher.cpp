#include "DatabaseTableZelvorinImageStitcher.h"

#include "ApplicationDatabase.h"
#include "DatabaseTableSupport.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

using namespace DatabaseTableSupport;

namespace {

constexpr Errors::Type_Error ErrorNotOpen = 84;

} // namespace

void DatabaseTableZelvorinImageStitcher::Dataset::clear()
{
    ImageStitcherID = -1;
    CreatedDate = QDateTime::currentDateTime();
    RackBarcode.clear();
    ImageStitcherSettings.clear();
    ReferencePointsCorrection.clear();
    PictureFilePath.clear();
    ErrorCode = 0;
    Description.clear();
}

DatabaseTableZelvorinImageStitcher::DatabaseTableZelvorinImageStitcher(ApplicationDatabase* owner, QObject* parent)
    : QObject(parent)
    , applicationDatabase(owner)
    , database(owner ? owner->database() : nullptr)
    , databaseType(0)
{
}

DatabaseTableZelvorinImageStitcher::~DatabaseTableZelvorinImageStitcher() = default;

void DatabaseTableZelvorinImageStitcher::SetDatabase(int type)
{
    databaseType = type;
    quoteBegin = database ? database->sqlQuoteBegin() : QString();
    quoteEnd = database ? database->sqlQuoteEnd() : QString();
}

QString DatabaseTableZelvorinImageStitcher::q(const char* name) const
{
    return quoteBegin + QLatin1String(name) + quoteEnd;
}

QString DatabaseTableZelvorinImageStitcher::tableName() const
{
    return q("ZelvorinImageStitcher");
}

// ---------------------------------------------------------------------------------------------
// Statement texts

QString DatabaseTableZelvorinImageStitcher::sqlInsert(const Dataset& row) const
{
    return QStringLiteral("INSERT INTO ") + tableName() + QStringLiteral(" (") + q("CreatedDate") + QLatin1Char(',')
        + q("RackBarcode") + QLatin1Char(',') + q("ImageStitcherSettings") + QLatin1Char(',')
        + q("ReferencePointsCorrection") + QLatin1Char(',') + q("PictureFilePath") + QLatin1Char(',') + q("ErrorCode")
        + QLatin1Char(',') + q("Description") + QStringLiteral(")") + QStringLiteral(" VALUES ") + QStringLiteral("(")
        + dateTimeLiteral(*database, row.CreatedDate) + QLatin1Char(',') + database->sqlQuoteString(row.RackBarcode)
        + QStringLiteral(",?,?,") + database->sqlQuoteString(row.PictureFilePath) + QLatin1Char(',')
        + database->sqlErrorCode(row.ErrorCode) + QLatin1Char(',') + database->sqlQuoteString(row.Description)
        + QStringLiteral(")");
}

QString DatabaseTableZelvorinImageStitcher::sqlUpdate(const Dataset& row) const
{
    return QStringLiteral("UPDATE ") + tableName() + QStringLiteral(" SET ") + q("CreatedDate") + QLatin1Char('=')
        + dateTimeLiteral(*database, row.CreatedDate) + QLatin1Char(',') + q("RackBarcode") + QLatin1Char('=')
        + database->sqlQuoteString(row.RackBarcode) + QLatin1Char(',') + q("ImageStitcherSettings") + QStringLiteral("=?,")
        + q("ReferencePointsCorrection") + QStringLiteral("=?,") + q("PictureFilePath") + QLatin1Char('=')
        + database->sqlQuoteString(row.PictureFilePath) + QLatin1Char(',') + q("ErrorCode") + QLatin1Char('=')
        + database->sqlErrorCode(row.ErrorCode) + QLatin1Char(',') + q("Description") + QLatin1Char('=')
        + database->sqlQuoteString(row.Description) + QStringLiteral(" WHERE ") + q("ImageStitcherID") + QLatin1Char('=')
        + database->sqlID(row.ImageStitcherID);
}

QString DatabaseTableZelvorinImageStitcher::sqlDelete(Database::ID key) const
{
    return QStringLiteral("DELETE FROM ") + tableName() + QStringLiteral(" WHERE ") + q("ImageStitcherID") + QLatin1Char('=')
        + database->sqlID(key);
}

QString DatabaseTableZelvorinImageStitcher::sqlSelect(Database::ID key) const
{
    return QStringLiteral("SELECT ") + q("ImageStitcherID") + QLatin1Char(',') + q("CreatedDate") + QLatin1Char(',')
        + q("RackBarcode") + QLatin1Char(',') + q("ImageStitcherSettings") + QLatin1Char(',')
        + q("ReferencePointsCorrection") + QLatin1Char(',') + q("PictureFilePath") + QLatin1Char(',') + q("ErrorCode")
        + QLatin1Char(',') + q("Description") + QStringLiteral(" FROM ") + tableName() + QStringLiteral(" WHERE ")
        + q("ImageStitcherID") + QLatin1Char('=') + database->sqlID(key);
}

QString DatabaseTableZelvorinImageStitcher::sqlSelectIdsByBarcode(const QString& barcode, int maxRows) const
{
    QString text = QStringLiteral("SELECT ") + database->limitRowsTop(maxRows) + q("ImageStitcherID")
        + QStringLiteral(" FROM  ") + tableName();
    if (!barcode.isEmpty())
        text += QStringLiteral(" WHERE ") + q("RackBarcode") + likeClause(*database);
    return text + QStringLiteral(" ORDER BY ") + q("CreatedDate") + QStringLiteral(" DESC") + database->limitRowsLimit(maxRows);
}

// ---------------------------------------------------------------------------------------------
// Operations

Errors::Type_Error DatabaseTableZelvorinImageStitcher::checkRow(const Dataset& row)
{
    const QString reasons[] = {
        checkDateTime(QStringLiteral("CreatedDate"), row.CreatedDate),
        checkText(QStringLiteral("RackBarcode"), row.RackBarcode, MaxIndexedTextLength),
        checkText(QStringLiteral("ImageStitcherSettings"), row.ImageStitcherSettings),
        checkText(QStringLiteral("ReferencePointsCorrection"), row.ReferencePointsCorrection),
        checkText(QStringLiteral("PictureFilePath"), row.PictureFilePath),
        checkText(QStringLiteral("Description"), row.Description),
    };
    for (const QString& reason : reasons) {
        if (!reason.isEmpty())
            return refuse(*database, tr("SQL Statement error in table %1").arg(tableName()), reason);
    }
    return 0;
}

Errors::Type_Error DatabaseTableZelvorinImageStitcher::Insert(Dataset& row)
{
    row.ImageStitcherID = -1;
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    Errors::Type_Error result = checkRow(row);
    if (result != 0)
        return result;
    Database::ID key = -1;
    result = insertRow(*database, sqlInsert(row), {row.ImageStitcherSettings, row.ReferencePointsCorrection},
                       tr("SQL Statement error in table %1").arg(tableName()),
                       tr("SQL Autoincrement error in table %1").arg(tableName()), key);
    if (result == 0)
        row.ImageStitcherID = key;
    return result;
}

Errors::Type_Error DatabaseTableZelvorinImageStitcher::Update(const Dataset& row)
{
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    Errors::Type_Error result = checkRow(row);
    if (result != 0)
        return result;
    return updateRow(*database, sqlUpdate(row), {row.ImageStitcherSettings, row.ReferencePointsCorrection},
                     tr("SQL Statement error in table %1").arg(tableName()),
                     tr("SQL Update error in table %1").arg(tableName()));
}

Errors::Type_Error DatabaseTableZelvorinImageStitcher::Delete(Database::ID key)
{
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    return runStatement(*database, sqlDelete(key), tr("SQL Statement error in table %1").arg(tableName()));
}

Errors::Type_Error DatabaseTableZelvorinImageStitcher::Select(Database::ID key, Dataset& row)
{
    row.clear();
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    QSqlQuery query(*database->getDatabase());
    const Errors::Type_Error result =
        selectRow(*database, query, sqlSelect(key), tr("SQL Statement error in table %1").arg(tableName()),
                  tr("Dataset %1=%2 not found").arg(q("ImageStitcherID"), QString::number(key)));
    if (result != 0)
        return result;
    row.ImageStitcherID = Database::ID(query.value(0).toInt());
    row.CreatedDate = query.value(1).toDateTime();
    row.RackBarcode = query.value(2).toString();
    row.ImageStitcherSettings = utf8Text(query.value(3));
    row.ReferencePointsCorrection = utf8Text(query.value(4));
    row.PictureFilePath = query.value(5).toString();
    row.ErrorCode = Errors::Type_Error(query.value(6).toInt());
    row.Description = query.value(7).toString();
    return 0;
}

Errors::Type_Error DatabaseTableZelvorinImageStitcher::SelectIdsByBarcode(const QString& barcode, int maxRows,
                                                                          QList<Database::ID>& ids, bool& more)
{
    ids.clear();
    more = false;
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    // No stored barcode holds such a character (an insert refuses it).
    if (!isStorableText(barcode))
        return 0;
    QSqlQuery query(*database->getDatabase());
    query.setForwardOnly(true);
    QStringList values;
    if (!barcode.isEmpty())
        values.append(likePattern(*database, barcode, false));
    const Errors::Type_Error result = execWithValues(*database, query, sqlSelectIdsByBarcode(barcode, maxRows), values,
                                                     tr("SQL Statement error in table %1").arg(tableName()));
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
