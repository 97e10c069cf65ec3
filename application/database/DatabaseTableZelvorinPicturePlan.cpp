#include "DatabaseTableZelvorinPicturePlan.h"

#include "DatabaseTableSupport.h"
#include "Halcon_PictureSpool.h"
#include "ResultPictureNames.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

using namespace DatabaseTableSupport;

namespace {

constexpr Errors::Type_Error NoError = 0;

using Row = DatabaseTableZelvorinPicturePlan::Dataset;
using Kind = DatabaseColumnKind;

constexpr DatabaseColumn<Row> PlanColumns[] = {
    {Kind::Key, "PlanID", &Row::PlanID},
    {Kind::IndexedText, "Owner", &Row::Owner},
    {Kind::Text, "PrivateFile", &Row::PrivateFile},
    {Kind::Text, "PictureFile", &Row::PictureFile},
};
constexpr DatabaseColumns<Row> Columns(PlanColumns);

} // namespace

void DatabaseTableZelvorinPicturePlan::Dataset::clear()
{
    Columns.clear(*this);
}

DatabaseTableZelvorinPicturePlan::DatabaseTableZelvorinPicturePlan(ApplicationDatabase* owner, QObject* parent)
    : DatabaseTable(owner, "ZelvorinPicturePlan", parent)
{
}

DatabaseTableZelvorinPicturePlan::~DatabaseTableZelvorinPicturePlan() = default;

// ---------------------------------------------------------------------------------------------
// Statement texts

QString DatabaseTableZelvorinPicturePlan::sqlCreatePlanTable() const
{
    QString columns;
    switch (databaseType) {
    case Database::KindMSSQLServer:
        // Paths are bounded well below 4000 characters on every system the pictures lie on.
        columns = q("PlanID") + QStringLiteral(" INT IDENTITY(1,1) NOT NULL CONSTRAINT ") + q("PK_ZelvorinPicturePlan")
            + QStringLiteral(" PRIMARY KEY, ") + q("Owner") + QStringLiteral(" NVARCHAR(255) NOT NULL, ")
            + q("PrivateFile") + QStringLiteral(" NVARCHAR(4000) NOT NULL, ") + q("PictureFile")
            + QStringLiteral(" NVARCHAR(4000) NOT NULL");
        break;
    case Database::KindMSAccess:
        // Jet DDL knows no defaults; every insert writes every column.
        columns = q("PlanID") + QStringLiteral(" COUNTER CONSTRAINT ") + q("PK_ZelvorinPicturePlan")
            + QStringLiteral(" PRIMARY KEY, ") + q("Owner") + QStringLiteral(" TEXT(255), ") + q("PrivateFile")
            + QStringLiteral(" MEMO, ") + q("PictureFile") + QStringLiteral(" MEMO");
        break;
    default:
        columns = q("PlanID") + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT, ") + q("Owner")
            + QStringLiteral(" TEXT NOT NULL, ") + q("PrivateFile") + QStringLiteral(" TEXT NOT NULL, ")
            + q("PictureFile") + QStringLiteral(" TEXT NOT NULL");
        break;
    }
    return QStringLiteral("CREATE TABLE ") + tableName() + QStringLiteral(" (") + columns + QLatin1Char(')');
}

QString DatabaseTableZelvorinPicturePlan::sqlCreateIdentityTable() const
{
    const char* type = databaseType == Database::KindMSSQLServer ? " NVARCHAR(64) NOT NULL"
        : databaseType == Database::KindMSAccess                 ? " TEXT(64)"
                                                                 : " TEXT NOT NULL";
    return QStringLiteral("CREATE TABLE ") + q("ZelvorinDatabaseIdentity") + QStringLiteral(" (") + q("DatabaseKey")
        + QLatin1String(type) + QLatin1Char(')');
}

// ---------------------------------------------------------------------------------------------
// Operations

Errors::Type_Error DatabaseTableZelvorinPicturePlan::createWhenMissing(const char* table, const QString& text)
{
    const auto exists = [&] {
        return database->getDatabase()->tables(QSql::Tables).contains(QLatin1String(table), Qt::CaseInsensitive);
    };
    if (exists())
        return NoError;
    QSqlQuery query(*database->getDatabase());
    if (query.exec(text))
        return NoError;
    // Another process may have made it a moment ago.
    if (exists())
        return NoError;
    database->showQueryError(query, message(QT_TR_NOOP("SQL Statement error in table %1"), q(table)));
    return ErrorStatement;
}

Errors::Type_Error DatabaseTableZelvorinPicturePlan::Prepare(QString& databaseKey)
{
    databaseKey.clear();
    if (!isUsable())
        return ErrorNotOpen;
    Errors::Type_Error result = createWhenMissing("ZelvorinPicturePlan", sqlCreatePlanTable());
    if (result == NoError)
        result = createWhenMissing("ZelvorinDatabaseIdentity", sqlCreateIdentityTable());
    if (result != NoError)
        return result;
    const QString select = QStringLiteral("SELECT ") + q("DatabaseKey") + QStringLiteral(" FROM ")
        + q("ZelvorinDatabaseIdentity") + QStringLiteral(" ORDER BY ") + q("DatabaseKey");
    const QString identityError = message(QT_TR_NOOP("SQL Statement error in table %1"), q("ZelvorinDatabaseIdentity"));
    for (int attempt = 0; attempt < 2; ++attempt) {
        QSqlQuery query(*database->getDatabase());
        query.setForwardOnly(true);
        result = exec(*database, query, select, identityError);
        if (result != NoError)
            return result;
        // Two processes making the first key at once each add one; all take the least.
        if (query.next()) {
            const QString key = query.value(0).toString();
            // Private file names are made of it: nothing but the digits we write.
            if (!ResultPictureNames::isDatabaseKey(key))
                return ErrorStatement;
            databaseKey = key;
            return NoError;
        }
        query.finish();
        result = runStatement(*database,
                              QStringLiteral("INSERT INTO ") + q("ZelvorinDatabaseIdentity") + QStringLiteral(" (")
                                  + q("DatabaseKey") + QStringLiteral(") VALUES (")
                                  + database->sqlQuoteString(QUuid::createUuid().toString(QUuid::Id128)) + QLatin1Char(')'),
                              identityError);
        if (result != NoError)
            return result;
    }
    return ErrorStatement;
}

Errors::Type_Error DatabaseTableZelvorinPicturePlan::Insert(Dataset& row)
{
    return insertRecord(Columns, row, [&] { return insertText(Columns, Columns.literals(*database, row)); });
}

Errors::Type_Error DatabaseTableZelvorinPicturePlan::Update(const Dataset& row)
{
    return updateRecord(Columns, row,
                        [&] { return updateText(Columns, Columns.literals(*database, row), row.PlanID); });
}

Errors::Type_Error DatabaseTableZelvorinPicturePlan::Delete(const QList<Database::ID>& keys)
{
    if (keys.isEmpty())
        return NoError;
    return deleteRecord([&] {
        QStringList values;
        for (const Database::ID key : keys)
            values.append(database->sqlID(key));
        return QStringLiteral("DELETE FROM ") + tableName() + QStringLiteral(" WHERE ") + q("PlanID")
            + QStringLiteral(" IN (") + values.join(QLatin1Char(',')) + QLatin1Char(')');
    });
}

Errors::Type_Error DatabaseTableZelvorinPicturePlan::SelectAll(QList<Dataset>& rows)
{
    rows.clear();
    if (!isUsable())
        return ErrorNotOpen;
    QSqlQuery query(*database->getDatabase());
    query.setForwardOnly(true);
    const Errors::Type_Error result = exec(*database, query,
                                           QStringLiteral("SELECT ") + columnList(Columns) + QStringLiteral(" FROM ")
                                               + tableName() + QStringLiteral(" ORDER BY ") + q("PlanID"),
                                           statementError());
    if (result != NoError)
        return result;
    while (query.next()) {
        Dataset row;
        Columns.read(query, row, dates);
        rows.append(row);
    }
    return NoError;
}

void DatabaseTableZelvorinPicturePlan::rememberQueued(const QString& databaseKey, Database::ID planId,
                                                      const QString& spoolFile, const QString& pictureFile)
{
    m_queued.append({databaseKey, planId, spoolFile, pictureFile});
}

void DatabaseTableZelvorinPicturePlan::DeleteFinished(const QString& databaseKey)
{
    if (databaseKey.isEmpty() || !isUsable())
        return;
    QList<Database::ID> finished;
    for (const Queued& queued : std::as_const(m_queued))
        if (queued.databaseKey == databaseKey && !Halcon_PictureSpool::isPending(queued.pictureFile)
            && !QFileInfo::exists(queued.spoolFile)
            && !QFileInfo::exists(Halcon_PictureSpool::encodedFileFor(queued.spoolFile, queued.pictureFile)))
            finished.append(queued.planId);
    if (finished.isEmpty() || Delete(finished) != NoError)
        return;
    m_queued.removeIf([&](const Queued& queued) {
        return queued.databaseKey == databaseKey && finished.contains(queued.planId);
    });
}
