#include "DatabaseTableZelvorinRack.h"

#include "ApplicationDatabase.h"
#include "DatabaseTableSupport.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

using namespace DatabaseTableSupport;

namespace {

constexpr Errors::Type_Error ErrorNotOpen = 84;

const char* const Table = "ZelvorinRack";
// Column order of every statement; the long texts are bound, never written as literals.
const char* const Columns[] = {"RackID", "CreatedDate", "RackBarcode", "XMLSettings", "XMLCameraSettings",
                               "XMLColonySettings", "ReferencePointsCorrection", "PictureFilePath", "ColorModel",
                               "ErrorCode", "Description", "ImageStitcherID", "ReferenzPos1X", "ReferenzPos1Y",
                               "ReferenzPos2X", "ReferenzPos2Y", "ReferenzPos3X", "ReferenzPos3Y", "ReferenzPos4X",
                               "ReferenzPos4Y"};
constexpr int ColumnCount = int(sizeof(Columns) / sizeof(Columns[0]));
constexpr int FirstLongText = 3;
constexpr int LongTextCount = 4;
const char* const ShortColumns[] = {"RackID", "CreatedDate", "RackBarcode", "PictureFilePath", "ColorModel",
                                    "ErrorCode", "Description", "ImageStitcherID"};

} // namespace

void DatabaseTableZelvorinRack::Dataset::clear()
{
    RackID = -1;
    CreatedDate = QDateTime::currentDateTime();
    RackBarcode.clear();
    XMLSettings.clear();
    XMLCameraSettings.clear();
    XMLColonySettings.clear();
    ReferencePointsCorrection.clear();
    PictureFilePath.clear();
    ColorModel = 0;
    ErrorCode = 0;
    Description.clear();
    ImageStitcherID = -1;
    ReferenzPos1X = ReferenzPos1Y = ReferenzPos2X = ReferenzPos2Y = 0.0;
    ReferenzPos3X = ReferenzPos3Y = ReferenzPos4X = ReferenzPos4Y = 0.0;
}

void DatabaseTableZelvorinRack::ShortDataset::clear()
{
    RackID = -1;
    CreatedDate = QDateTime::currentDateTime();
    RackBarcode.clear();
    PictureFilePath.clear();
    ColorModel = 0;
    ErrorCode = 0;
    Description.clear();
    ImageStitcherID = -1;
}

DatabaseTableZelvorinRack::DatabaseTableZelvorinRack(ApplicationDatabase* owner, QObject* parent)
    : QObject(parent)
    , applicationDatabase(owner)
    , database(owner ? owner->database() : nullptr)
    , databaseType(0)
{
}

DatabaseTableZelvorinRack::~DatabaseTableZelvorinRack() = default;

void DatabaseTableZelvorinRack::SetDatabase(int type)
{
    databaseType = type;
    quoteBegin = database ? database->sqlQuoteBegin() : QString();
    quoteEnd = database ? database->sqlQuoteEnd() : QString();
}

QString DatabaseTableZelvorinRack::q(const char* name) const
{
    return quoteBegin + QLatin1String(name) + quoteEnd;
}

QString DatabaseTableZelvorinRack::tableName() const
{
    return q(Table);
}

// ---------------------------------------------------------------------------------------------
// Statement texts

QString DatabaseTableZelvorinRack::sqlDelete(Database::ID rackId) const
{
    return QStringLiteral("DELETE FROM ") + tableName() + QStringLiteral(" WHERE ") + q("RackID") + QStringLiteral("=")
        + database->sqlID(rackId);
}

QString DatabaseTableZelvorinRack::sqlSelect(Database::ID rackId) const
{
    QString text = QStringLiteral("SELECT ");
    for (int i = 0; i < ColumnCount; ++i) {
        if (i > 0)
            text += QLatin1Char(',');
        text += q(Columns[i]);
    }
    return text + QStringLiteral(" FROM ") + tableName() + QStringLiteral(" WHERE ") + q("RackID") + QStringLiteral("=")
        + database->sqlID(rackId);
}

QString DatabaseTableZelvorinRack::sqlSelectShort(Database::ID rackId) const
{
    QString text = QStringLiteral("SELECT ");
    for (int i = 0; i < int(sizeof(ShortColumns) / sizeof(ShortColumns[0])); ++i) {
        if (i > 0)
            text += QLatin1Char(',');
        text += q(ShortColumns[i]);
    }
    return text + QStringLiteral(" FROM ") + tableName() + QStringLiteral(" WHERE ") + q("RackID") + QStringLiteral("=")
        + database->sqlID(rackId);
}

// Value texts of the columns after the rack id, "?" for the bound long texts; as
// "[column]=value" pairs for an update.
QString DatabaseTableZelvorinRack::valuesAfterLongTexts(const Dataset& row, bool assignments) const
{
    const QString values[ColumnCount] = {
        QString(),
        dateTimeLiteral(*database, row.CreatedDate),
        database->sqlQuoteString(row.RackBarcode),
        QStringLiteral("?"),
        QStringLiteral("?"),
        QStringLiteral("?"),
        QStringLiteral("?"),
        database->sqlQuoteString(row.PictureFilePath),
        database->sqlShort(row.ColorModel),
        database->sqlErrorCode(row.ErrorCode),
        database->sqlQuoteString(row.Description),
        database->sqlLong(row.ImageStitcherID),
        database->sqlDouble(row.ReferenzPos1X),
        database->sqlDouble(row.ReferenzPos1Y),
        database->sqlDouble(row.ReferenzPos2X),
        database->sqlDouble(row.ReferenzPos2Y),
        database->sqlDouble(row.ReferenzPos3X),
        database->sqlDouble(row.ReferenzPos3Y),
        database->sqlDouble(row.ReferenzPos4X),
        database->sqlDouble(row.ReferenzPos4Y),
    };
    QString text;
    for (int i = 1; i < ColumnCount; ++i) {
        if (i > 1)
            text += QLatin1Char(',');
        if (assignments)
            text += q(Columns[i]) + QLatin1Char('=');
        text += values[i];
    }
    return text;
}

QString DatabaseTableZelvorinRack::sqlInsert(const Dataset& row) const
{
    QString columns;
    for (int i = 1; i < ColumnCount; ++i) {
        if (i > 1)
            columns += QLatin1Char(',');
        columns += q(Columns[i]);
    }
    return QStringLiteral("INSERT INTO ") + tableName() + QStringLiteral(" (") + columns + QStringLiteral(")")
        + QStringLiteral(" VALUES ") + QStringLiteral("(") + valuesAfterLongTexts(row, false) + QStringLiteral(")");
}

QString DatabaseTableZelvorinRack::sqlUpdate(const Dataset& row) const
{
    return QStringLiteral("UPDATE ") + tableName() + QStringLiteral(" SET ") + valuesAfterLongTexts(row, true)
        + QStringLiteral(" WHERE ") + q("RackID") + QStringLiteral("=") + database->sqlID(row.RackID);
}

QString DatabaseTableZelvorinRack::sqlSelectIdsByBarcode(const QString& barcode, int maximumCount) const
{
    QString text = QStringLiteral("SELECT ") + database->limitRowsTop(maximumCount) + q("RackID") + QStringLiteral(" FROM  ")
        + tableName();
    if (!barcode.isEmpty())
        text += QStringLiteral(" WHERE ") + q("RackBarcode") + likeClause(*database);
    return text + QStringLiteral(" ORDER BY ") + q("CreatedDate") + QStringLiteral(" DESC")
        + database->limitRowsLimit(maximumCount);
}

// The text itself is bound; the statement is the same for every filter.
QString DatabaseTableZelvorinRack::sqlSelectIdsByBarcodeQualified(const QString& /*text*/) const
{
    return QStringLiteral("SELECT ") + tableName() + QLatin1Char('.') + q("RackID") + QStringLiteral(" FROM  ") + tableName()
        + QStringLiteral(" WHERE ") + tableName() + QLatin1Char('.') + q("RackBarcode") + likeClause(*database);
}

// ---------------------------------------------------------------------------------------------
// Operations

Errors::Type_Error DatabaseTableZelvorinRack::checkRow(const Dataset& row)
{
    const QString reasons[] = {
        checkDateTime(QStringLiteral("CreatedDate"), row.CreatedDate),
        checkText(QStringLiteral("RackBarcode"), row.RackBarcode, MaxIndexedTextLength),
        checkText(QStringLiteral("XMLSettings"), row.XMLSettings),
        checkText(QStringLiteral("XMLCameraSettings"), row.XMLCameraSettings),
        checkText(QStringLiteral("XMLColonySettings"), row.XMLColonySettings),
        checkText(QStringLiteral("ReferencePointsCorrection"), row.ReferencePointsCorrection),
        checkText(QStringLiteral("PictureFilePath"), row.PictureFilePath),
        checkText(QStringLiteral("Description"), row.Description),
        checkDouble(QStringLiteral("ReferenzPos1X"), row.ReferenzPos1X),
        checkDouble(QStringLiteral("ReferenzPos1Y"), row.ReferenzPos1Y),
        checkDouble(QStringLiteral("ReferenzPos2X"), row.ReferenzPos2X),
        checkDouble(QStringLiteral("ReferenzPos2Y"), row.ReferenzPos2Y),
        checkDouble(QStringLiteral("ReferenzPos3X"), row.ReferenzPos3X),
        checkDouble(QStringLiteral("ReferenzPos3Y"), row.ReferenzPos3Y),
        checkDouble(QStringLiteral("ReferenzPos4X"), row.ReferenzPos4X),
        checkDouble(QStringLiteral("ReferenzPos4Y"), row.ReferenzPos4Y),
    };
    for (const QString& reason : reasons) {
        if (!reason.isEmpty())
            return refuse(*database, tr("SQL Statement error in table %1").arg(tableName()), reason);
    }
    return 0;
}

Errors::Type_Error DatabaseTableZelvorinRack::Delete(Database::ID rackId)
{
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    return runStatement(*database, sqlDelete(rackId), tr("SQL Statement error in table %1").arg(tableName()));
}

Errors::Type_Error DatabaseTableZelvorinRack::Select(Database::ID rackId, Dataset& row)
{
    row.clear();
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    QSqlQuery query(*database->getDatabase());
    const Errors::Type_Error result =
        selectRow(*database, query, sqlSelect(rackId), tr("SQL Statement error in table %1").arg(tableName()),
                  tr("Dataset %1=%2 not found").arg(q("RackID"), QString::number(rackId)));
    if (result != 0)
        return result;
    row.RackID = Database::ID(query.value(0).toInt());
    row.CreatedDate = query.value(1).toDateTime();
    row.RackBarcode = query.value(2).toString();
    row.XMLSettings = utf8Text(query.value(3));
    row.XMLCameraSettings = utf8Text(query.value(4));
    row.XMLColonySettings = utf8Text(query.value(5));
    row.ReferencePointsCorrection = utf8Text(query.value(6));
    row.PictureFilePath = query.value(7).toString();
    row.ColorModel = qint16(query.value(8).toInt());
    row.ErrorCode = Errors::Type_Error(query.value(9).toInt());
    row.Description = query.value(10).toString();
    row.ImageStitcherID = Database::ID(query.value(11).toInt());
    row.ReferenzPos1X = query.value(12).toDouble();
    row.ReferenzPos1Y = query.value(13).toDouble();
    row.ReferenzPos2X = query.value(14).toDouble();
    row.ReferenzPos2Y = query.value(15).toDouble();
    row.ReferenzPos3X = query.value(16).toDouble();
    row.ReferenzPos3Y = query.value(17).toDouble();
    row.ReferenzPos4X = query.value(18).toDouble();
    row.ReferenzPos4Y = query.value(19).toDouble();
    return 0;
}

Errors::Type_Error DatabaseTableZelvorinRack::SelectShort(Database::ID rackId, ShortDataset& row)
{
    row.clear();
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    QSqlQuery query(*database->getDatabase());
    const Errors::Type_Error result =
        selectRow(*database, query, sqlSelectShort(rackId), tr("SQL Statement error in table %1").arg(tableName()),
                  tr("Dataset %1=%2 not found").arg(q("RackID"), QString::number(rackId)));
    if (result != 0)
        return result;
    row.RackID = Database::ID(query.value(0).toInt());
    row.CreatedDate = query.value(1).toDateTime();
    row.RackBarcode = query.value(2).toString();
    row.PictureFilePath = query.value(3).toString();
    row.ColorModel = qint16(query.value(4).toInt());
    row.ErrorCode = Errors::Type_Error(query.value(5).toInt());
    row.Description = query.value(6).toString();
    row.ImageStitcherID = Database::ID(query.value(7).toInt());
    return 0;
}

Errors::Type_Error DatabaseTableZelvorinRack::Insert(Dataset& row)
{
    row.RackID = -1;
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    Errors::Type_Error result = checkRow(row);
    if (result != 0)
        return result;
    const QString message = tr("SQL Statement error in table %1").arg(tableName());
    Database::ID key = -1;
    result = insertRow(*database, sqlInsert(row),
                       {row.XMLSettings, row.XMLCameraSettings, row.XMLColonySettings, row.ReferencePointsCorrection},
                       message,
                       tr("SQL Autoincrement error in table %1").arg(tableName()), key);
    if (result == 0)
        row.RackID = key;
    return result;
}

Errors::Type_Error DatabaseTableZelvorinRack::Update(const Dataset& row)
{
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    Errors::Type_Error result = checkRow(row);
    if (result != 0)
        return result;
    return updateRow(*database, sqlUpdate(row),
                     {row.XMLSettings, row.XMLCameraSettings, row.XMLColonySettings, row.ReferencePointsCorrection},
                     tr("SQL Statement error in table %1").arg(tableName()),
                     tr("SQL Update error in table %1").arg(tableName()));
}

Errors::Type_Error DatabaseTableZelvorinRack::SelectIdsByBarcode(const QString& barcode, int maximumCount,
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
    const Errors::Type_Error result = execWithValues(*database, query, sqlSelectIdsByBarcode(barcode, maximumCount),
                                                     values, tr("SQL Statement error in table %1").arg(tableName()));
    if (result != 0)
        return result;
    int count = 0;
    while ((maximumCount < 1 || count < maximumCount) && query.next()) {
        ids.append(Database::ID(query.value(0).toInt()));
        ++count;
    }
    if (maximumCount >= 1 && query.next())
        more = true;
    return 0;
}

Errors::Type_Error DatabaseTableZelvorinRack::SelectIdsByBarcodeQualified(const QString& text, QList<Database::ID>& ids)
{
    ids.clear();
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    if (!isStorableText(text))
        return 0;
    QSqlQuery query(*database->getDatabase());
    query.setForwardOnly(true);
    // The browser's filter text travels as a bound value, never inside the statement.
    const Errors::Type_Error result =
        execWithValues(*database, query, sqlSelectIdsByBarcodeQualified(text), {likePattern(*database, text, true)},
                       tr("SQL Statement error in table %1").arg(tableName()));
    if (result != 0)
        return result;
    readIdList(query, ids);
    return 0;
}
