#include "DatabaseTableZelvorinColony.h"

#include "ApplicationDatabase.h"
#include "DatabaseTableSupport.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <memory>

using namespace DatabaseTableSupport;

namespace {

constexpr Errors::Type_Error ErrorNotOpen = 84;
constexpr Errors::Type_Error ErrorStatement = 85;
constexpr Errors::Type_Error ErrorNotFound = 87;

const char* const Columns[] = {"ColonyID",
                               "ContainerID",
                               "PosX_px",
                               "PosY_px",
                               "PosX_mm",
                               "PosY_mm",
                               "Area_mm2",
                               "Circularity",
                               "ClearanceNeighbor_mm",
                               "ClearanceMargin_mm",
                               "LoadingArea_pct",
                               "LoadingCircularity_pct",
                               "LoadingClearanceNeighbor_pct",
                               "LoadingClearanceMargin_pct",
                               "LoadingTotal_pct",
                               "ColorHue",
                               "ColorSaturation",
                               "ColorIntensity",
                               "ColorArea_pct",
                               "ColorRed",
                               "ColorGreen",
                               "ColorBlue",
                               "PickingDate",
                               "PickingState",
                               "IsExcluded",
                               "IsGoodColony",
                               "PickingOrder",
                               "IsUserEdited",
                               "ErrorCode",
                               "Description"};
constexpr int ColumnCount = int(sizeof(Columns) / sizeof(Columns[0]));
constexpr int FirstDouble = 2;
constexpr int DoubleCount = 20;

// The twenty measurements in column order.
const double* doubleField(const DatabaseTableZelvorinColony::Dataset& row, int index)
{
    const double* const fields[DoubleCount] = {
        &row.PosX_px, &row.PosY_px, &row.PosX_mm, &row.PosY_mm, &row.Area_mm2, &row.Circularity,
        &row.ClearanceNeighbor_mm, &row.ClearanceMargin_mm, &row.LoadingArea_pct, &row.LoadingCircularity_pct,
        &row.LoadingClearanceNeighbor_pct, &row.LoadingClearanceMargin_pct, &row.LoadingTotal_pct, &row.ColorHue,
        &row.ColorSaturation, &row.ColorIntensity, &row.ColorArea_pct, &row.ColorRed, &row.ColorGreen, &row.ColorBlue};
    return fields[index];
}

} // namespace

void DatabaseTableZelvorinColony::Dataset::clear()
{
    ColonyID = -1;
    ContainerID = -1;
    PosX_px = PosY_px = PosX_mm = PosY_mm = Area_mm2 = Circularity = 0.0;
    ClearanceNeighbor_mm = ClearanceMargin_mm = 0.0;
    LoadingArea_pct = LoadingCircularity_pct = LoadingClearanceNeighbor_pct = LoadingClearanceMargin_pct = 0.0;
    LoadingTotal_pct = 0.0;
    ColorHue = ColorSaturation = ColorIntensity = ColorArea_pct = 0.0;
    ColorRed = ColorGreen = ColorBlue = 0.0;
    PickingDate = QDateTime::currentDateTime();
    PickingState = 0;
    IsExcluded = false;
    IsGoodColony = false;
    PickingOrder = 0;
    IsUserEdited = false;
    ErrorCode = 0;
    Description.clear();
}

DatabaseTableZelvorinColony::DatabaseTableZelvorinColony(ApplicationDatabase* owner, QObject* parent)
    : QObject(parent)
    , applicationDatabase(owner)
    , database(owner ? owner->database() : nullptr)
    , databaseType(0)
{
}

DatabaseTableZelvorinColony::~DatabaseTableZelvorinColony() = default;

void DatabaseTableZelvorinColony::SetDatabase(int type)
{
    insertQuery.reset();
    selectQuery.reset();
    idsByContainerQuery.reset();
    byContainerQuery.reset();
    byRackQuery.reset();
    pickingDates.clear();
    databaseType = type;
    quoteBegin = database ? database->sqlQuoteBegin() : QString();
    quoteEnd = database ? database->sqlQuoteEnd() : QString();
}

QString DatabaseTableZelvorinColony::q(const char* name) const
{
    return quoteBegin + QLatin1String(name) + quoteEnd;
}

QString DatabaseTableZelvorinColony::tableName() const
{
    return q("ZelvorinColony");
}

// ---------------------------------------------------------------------------------------------
// Statement texts

// values[1..29]: the literals of the columns after the key.
void DatabaseTableZelvorinColony::valueTexts(const Dataset& row, QString* values) const
{
    values[1] = database->sqlID(row.ContainerID);
    for (int i = 0; i < DoubleCount; ++i)
        values[FirstDouble + i] = database->sqlDouble(*doubleField(row, i));
    values[22] = dateTimeLiteral(*database, row.PickingDate);
    values[23] = database->sqlShort(row.PickingState);
    values[24] = database->sqlBool(row.IsExcluded);
    values[25] = database->sqlBool(row.IsGoodColony);
    values[26] = database->sqlLong(row.PickingOrder);
    values[27] = database->sqlBool(row.IsUserEdited);
    values[28] = database->sqlErrorCode(row.ErrorCode);
    values[29] = database->sqlQuoteString(row.Description);
}

QString DatabaseTableZelvorinColony::sqlInsert(const Dataset& row) const
{
    QString values[ColumnCount];
    valueTexts(row, values);
    QString text;
    text.reserve(1200);
    text += QStringLiteral("INSERT INTO ") + tableName() + QStringLiteral(" (");
    for (int i = 1; i < ColumnCount; ++i) {
        if (i > 1)
            text += QLatin1Char(',');
        text += q(Columns[i]);
    }
    text += QStringLiteral(") VALUES (");
    for (int i = 1; i < ColumnCount; ++i) {
        if (i > 1)
            text += QLatin1Char(',');
        text += values[i];
    }
    text += QLatin1Char(')');
    return text;
}

QString DatabaseTableZelvorinColony::sqlInsertPrepared() const
{
    QString text = QStringLiteral("INSERT INTO ") + tableName() + QStringLiteral(" (");
    for (int i = 1; i < ColumnCount; ++i) {
        if (i > 1)
            text += QLatin1Char(',');
        text += q(Columns[i]);
    }
    text += QStringLiteral(") VALUES (");
    for (int i = 1; i < ColumnCount; ++i)
        text += i > 1 ? QStringLiteral(",?") : QStringLiteral("?");
    return text + QLatin1Char(')');
}

QString DatabaseTableZelvorinColony::columnList(bool qualified) const
{
    QString text;
    for (int i = 0; i < ColumnCount; ++i) {
        if (i > 0)
            text += QLatin1Char(',');
        if (qualified)
            text += tableName() + QLatin1Char('.');
        text += q(Columns[i]);
    }
    return text;
}

QString DatabaseTableZelvorinColony::sqlSelectPrepared() const
{
    return QStringLiteral("SELECT ") + columnList(false) + QStringLiteral(" FROM ") + tableName() + QStringLiteral(" WHERE ")
        + q("ColonyID") + QStringLiteral("=?");
}

QString DatabaseTableZelvorinColony::sqlSelectByContainerPrepared() const
{
    return QStringLiteral("SELECT ") + columnList(false) + QStringLiteral(" FROM ") + tableName() + QStringLiteral(" WHERE ")
        + q("ContainerID") + QStringLiteral("=? ORDER BY ") + q("PickingOrder") + QStringLiteral(" DESC,") + q("ColonyID")
        + QStringLiteral(" ASC");
}

QString DatabaseTableZelvorinColony::sqlSelectByRackPrepared() const
{
    const QString container = q("ZelvorinContainer");
    return QStringLiteral("SELECT ") + columnList(true) + QStringLiteral(" FROM ") + tableName() + QStringLiteral(" INNER JOIN ")
        + container + QStringLiteral(" ON ") + tableName() + QLatin1Char('.') + q("ContainerID") + QLatin1Char('=') + container
        + QLatin1Char('.') + q("ContainerID") + QStringLiteral(" WHERE ") + container + QLatin1Char('.') + q("RackID")
        + QStringLiteral("=? ORDER BY ") + container + QLatin1Char('.') + q("PickingOrder") + QStringLiteral(" ASC,")
        + container + QLatin1Char('.') + q("ContainerID") + QStringLiteral(" ASC,") + tableName() + QLatin1Char('.')
        + q("PickingOrder") + QStringLiteral(" DESC,") + tableName() + QLatin1Char('.') + q("ColonyID") + QStringLiteral(" ASC");
}

QString DatabaseTableZelvorinColony::sqlSelectIdsByContainerPrepared() const
{
    return QStringLiteral("SELECT ") + q("ColonyID") + QStringLiteral(" FROM  ") + tableName() + QStringLiteral(" WHERE ")
        + q("ContainerID") + QStringLiteral(" = ? ORDER BY ") + q("PickingOrder") + QStringLiteral(" DESC");
}

QString DatabaseTableZelvorinColony::sqlUpdate(const Dataset& row) const
{
    QString values[ColumnCount];
    valueTexts(row, values);
    QString text = QStringLiteral("UPDATE ") + tableName() + QStringLiteral(" SET ");
    for (int i = 1; i < ColumnCount; ++i) {
        if (i > 1)
            text += QLatin1Char(',');
        text += q(Columns[i]) + QLatin1Char('=') + values[i];
    }
    return text + QStringLiteral(" WHERE ") + q("ColonyID") + QLatin1Char('=') + database->sqlID(row.ColonyID);
}

QString DatabaseTableZelvorinColony::sqlDelete(Database::ID colonyId) const
{
    return QStringLiteral("DELETE FROM ") + tableName() + QStringLiteral(" WHERE ") + q("ColonyID") + QLatin1Char('=')
        + database->sqlID(colonyId);
}

QString DatabaseTableZelvorinColony::sqlSelect(Database::ID colonyId) const
{
    QString text = QStringLiteral("SELECT ");
    for (int i = 0; i < ColumnCount; ++i) {
        if (i > 0)
            text += QLatin1Char(',');
        text += q(Columns[i]);
    }
    return text + QStringLiteral(" FROM ") + tableName() + QStringLiteral(" WHERE ") + q("ColonyID") + QLatin1Char('=')
        + database->sqlID(colonyId);
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

Errors::Type_Error DatabaseTableZelvorinColony::checkRow(const Dataset& row)
{
    QString reason;
    for (int i = 0; i < DoubleCount && reason.isEmpty(); ++i)
        reason = checkDouble(QLatin1String(Columns[FirstDouble + i]), *doubleField(row, i));
    if (reason.isEmpty())
        reason = checkDateTime(QStringLiteral("PickingDate"), row.PickingDate);
    if (reason.isEmpty())
        reason = checkText(QStringLiteral("Description"), row.Description);
    if (!reason.isEmpty())
        return refuse(*database, tr("SQL Statement error in table %1").arg(tableName()), reason);
    return 0;
}

QSqlQuery* DatabaseTableZelvorinColony::preparedQuery(std::unique_ptr<QSqlQuery>& cache,
                                                      QString (DatabaseTableZelvorinColony::*text)() const)
{
    if (cache)
        return cache.get();
    auto query = std::make_unique<QSqlQuery>(*database->getDatabase());
    query->setForwardOnly(true);
    if (!query->prepare((this->*text)())) {
        database->showQueryError(*query, tr("SQL Statement error in table %1").arg(tableName()));
        return nullptr;
    }
    cache = std::move(query);
    return cache.get();
}

Errors::Type_Error DatabaseTableZelvorinColony::Insert(Dataset& row)
{
    row.ColonyID = -1;
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    Errors::Type_Error result = checkRow(row);
    if (result != 0)
        return result;
    QSqlQuery* query = preparedQuery(insertQuery, &DatabaseTableZelvorinColony::sqlInsertPrepared);
    if (!query)
        return ErrorStatement;
    query->bindValue(0, row.ContainerID);
    for (int i = 0; i < DoubleCount; ++i)
        query->bindValue(1 + i, storedDouble(*doubleField(row, i)));
    query->bindValue(21, dateTimeValue(*database, row.PickingDate));
    query->bindValue(22, int(row.PickingState));
    query->bindValue(23, int(row.IsExcluded));
    query->bindValue(24, int(row.IsGoodColony));
    query->bindValue(25, row.PickingOrder);
    query->bindValue(26, int(row.IsUserEdited));
    query->bindValue(27, int(row.ErrorCode));
    // A null text would be bound as NULL, not as the empty text the literal writes.
    query->bindValue(28, row.Description.isNull() ? QString(QLatin1String("")) : row.Description);
    if (!query->exec()) {
        database->showQueryError(*query, tr("SQL Statement error in table %1").arg(tableName()));
        return ErrorStatement;
    }
    // The driver's key first: no message is built on the path every colony takes.
    if (query->driver()->hasFeature(QSqlDriver::LastInsertId)) {
        const QVariant id = query->lastInsertId();
        if (id.isValid()) {
            row.ColonyID = Database::ID(id.toInt());
            return 0;
        }
    }
    Database::ID key = -1;
    result = readNewKey(*database, *query, key, tr("SQL Autoincrement error in table %1").arg(tableName()));
    // A fallback key statement replaced the prepared one on this query.
    if (!query->lastQuery().startsWith(QLatin1String("INSERT")))
        insertQuery.reset();
    if (result == 0)
        row.ColonyID = key;
    return result;
}

Errors::Type_Error DatabaseTableZelvorinColony::Update(const Dataset& row)
{
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    Errors::Type_Error result = checkRow(row);
    if (result != 0)
        return result;
    return updateRow(*database, sqlUpdate(row), {}, tr("SQL Statement error in table %1").arg(tableName()),
                     tr("SQL Update error in table %1").arg(tableName()));
}

Errors::Type_Error DatabaseTableZelvorinColony::Delete(Database::ID colonyId)
{
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    return runStatement(*database, sqlDelete(colonyId), tr("SQL Statement error in table %1").arg(tableName()));
}

Errors::Type_Error DatabaseTableZelvorinColony::Select(Database::ID colonyId, Dataset& row)
{
    // Every field is written on success, so the clearing (with its clock reading) is done
    // on the failure paths only; no caller sees the record in between.
    const auto failed = [&row](Errors::Type_Error code) {
        row.clear();
        return code;
    };
    if (!isUsable(database, databaseType))
        return failed(ErrorNotOpen);
    QSqlQuery* prepared = preparedQuery(selectQuery, &DatabaseTableZelvorinColony::sqlSelectPrepared);
    if (!prepared)
        return failed(ErrorStatement);
    QSqlQuery& query = *prepared;
    query.bindValue(0, colonyId);
    if (!query.exec()) {
        database->showQueryError(query, tr("SQL Statement error in table %1").arg(tableName()));
        return failed(ErrorStatement);
    }
    if (!query.next()) {
        database->showQueryError(query, tr("Dataset %1=%2 not found").arg(q("ColonyID"), QString::number(colonyId)));
        query.finish();
        return failed(ErrorNotFound);
    }
    readRow(query, row);
    // Releases the statement's read lock; the prepared text stays for the next call.
    query.finish();
    return 0;
}

// Every field of the record from the current row of a statement with columnList's columns.
void DatabaseTableZelvorinColony::readRow(const QSqlQuery& query, Dataset& row)
{
    row.ColonyID = Database::ID(query.value(0).toInt());
    row.ContainerID = Database::ID(query.value(1).toInt());
    double* const fields[DoubleCount] = {
        &row.PosX_px, &row.PosY_px, &row.PosX_mm, &row.PosY_mm, &row.Area_mm2, &row.Circularity,
        &row.ClearanceNeighbor_mm, &row.ClearanceMargin_mm, &row.LoadingArea_pct, &row.LoadingCircularity_pct,
        &row.LoadingClearanceNeighbor_pct, &row.LoadingClearanceMargin_pct, &row.LoadingTotal_pct, &row.ColorHue,
        &row.ColorSaturation, &row.ColorIntensity, &row.ColorArea_pct, &row.ColorRed, &row.ColorGreen, &row.ColorBlue};
    for (int i = 0; i < DoubleCount; ++i)
        *fields[i] = query.value(FirstDouble + i).toDouble();
    row.PickingDate = pickingDates.read(query.value(22));
    row.PickingState = qint16(query.value(23).toInt());
    row.IsExcluded = query.value(24).toBool();
    row.IsGoodColony = query.value(25).toBool();
    row.PickingOrder = qint32(query.value(26).toInt());
    row.IsUserEdited = query.value(27).toBool();
    row.ErrorCode = Errors::Type_Error(query.value(28).toInt());
    row.Description = query.value(29).toString();
}

Errors::Type_Error DatabaseTableZelvorinColony::readRows(std::unique_ptr<QSqlQuery>& cache,
                                                         QString (DatabaseTableZelvorinColony::*text)() const,
                                                         Database::ID key, QList<Dataset>& rows)
{
    rows.clear();
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    QSqlQuery* prepared = preparedQuery(cache, text);
    if (!prepared)
        return ErrorStatement;
    QSqlQuery& query = *prepared;
    query.bindValue(0, key);
    if (!query.exec()) {
        database->showQueryError(query, tr("SQL Statement error in table %1").arg(tableName()));
        return ErrorStatement;
    }
    // Every field is overwritten, so one cleared record (one clock reading) serves all rows.
    const Dataset cleared;
    while (query.next()) {
        rows.append(cleared);
        readRow(query, rows.last());
    }
    // A row that could not be read (a lock, a damaged file) must not pass as the end.
    if (query.lastError().isValid()) {
        database->showQueryError(query, tr("SQL Statement error in table %1").arg(tableName()));
        query.finish();
        rows.clear();
        return ErrorStatement;
    }
    query.finish();
    return 0;
}

Errors::Type_Error DatabaseTableZelvorinColony::SelectByContainer(Database::ID containerId, QList<Dataset>& rows)
{
    return readRows(byContainerQuery, &DatabaseTableZelvorinColony::sqlSelectByContainerPrepared, containerId, rows);
}

Errors::Type_Error DatabaseTableZelvorinColony::SelectByRack(Database::ID rackId, QList<Dataset>& rows)
{
    return readRows(byRackQuery, &DatabaseTableZelvorinColony::sqlSelectByRackPrepared, rackId, rows);
}

Errors::Type_Error DatabaseTableZelvorinColony::runIdList(const QString& text, QList<Database::ID>& ids)
{
    ids.clear();
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    return selectIds(*database, text, tr("SQL Statement error in table %1").arg(tableName()), ids);
}

Errors::Type_Error DatabaseTableZelvorinColony::SelectIdsByContainer(Database::ID containerId, QList<Database::ID>& ids)
{
    ids.clear();
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    QSqlQuery* query = preparedQuery(idsByContainerQuery, &DatabaseTableZelvorinColony::sqlSelectIdsByContainerPrepared);
    if (!query)
        return ErrorStatement;
    query->bindValue(0, containerId);
    if (!query->exec()) {
        database->showQueryError(*query, tr("SQL Statement error in table %1").arg(tableName()));
        return ErrorStatement;
    }
    readIdList(*query, ids);
    query->finish();
    return 0;
}

Errors::Type_Error DatabaseTableZelvorinColony::SelectPickIds(Database::ID containerId, QList<Database::ID>& ids)
{
    ids.clear();
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    return runIdList(sqlSelectPickIds(containerId), ids);
}

Errors::Type_Error DatabaseTableZelvorinColony::SelectNotGoodIds(Database::ID containerId, QList<Database::ID>& ids)
{
    ids.clear();
    if (!isUsable(database, databaseType))
        return ErrorNotOpen;
    return runIdList(sqlSelectNotGoodIds(containerId), ids);
}
