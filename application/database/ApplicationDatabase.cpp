#include "ApplicationDatabase.h"

#include "DatabaseTableAll.h"
#include "DatabaseTableSupport.h"
#include "DatabaseTableZelvorinColony.h"
#include "DatabaseTableZelvorinContainer.h"
#include "DatabaseTableZelvorinImageStitcher.h"
#include "DatabaseTableZelvorinImageStitcherPicture.h"
#include "DatabaseTableZelvorinRack.h"
#include "ExportTarget_Guard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>

#include <utility>

const QString DatabaseTemplateMSAccess = QStringLiteral("database_templates/ZelvorinTemplate.mdb");
const QString DatabaseTemplateMSSQLServer = QStringLiteral("database_templates/ZelvorinDatabase_MSSQL.sql");
const QString DatabaseTemplateSQLite3 = QStringLiteral("database_templates/ZelvorinDatabase_SQLite3.sql");

using DatabaseTableSupport::ErrorNotOpen;
using DatabaseTableSupport::ErrorStatement;

namespace {

constexpr Errors::Type_Error NoError = 0;
constexpr Errors::Type_Error ErrorFileMissing = 70;
constexpr Errors::Type_Error ErrorScriptFile = 90;

} // namespace

ApplicationDatabase::ApplicationDatabase(ErrorHandler* errorHandler, const QString& connectionName, QObject* parent,
                                         const ConnectionFactory& factory)
    : QObject(parent)
    , m_reportErrors(true)
    , m_errorHandler(errorHandler)
    , m_database(factory ? factory(this, connectionName, this) : new Database(this, connectionName, this))
    , m_tableAll(nullptr)
    , m_tableRack(nullptr)
    , m_tableContainer(nullptr)
    , m_tableColony(nullptr)
    , m_tableImageStitcher(nullptr)
    , m_tableImageStitcherPicture(nullptr)
    , m_transactionDepth(0)
    , m_rollbackOnly(false)
{
    m_tableAll = new DatabaseTableAll(this, this);
    m_tableRack = new DatabaseTableZelvorinRack(this, this);
    m_tableContainer = new DatabaseTableZelvorinContainer(this, this);
    m_tableColony = new DatabaseTableZelvorinColony(this, this);
    m_tableImageStitcher = new DatabaseTableZelvorinImageStitcher(this, this);
    m_tableImageStitcherPicture = new DatabaseTableZelvorinImageStitcherPicture(this, this);
}

ApplicationDatabase::~ApplicationDatabase()
{
    ExportTarget_Guard::release(this);
    // The close reports type 0 while every table still exists.
    m_database->close();
    delete m_tableAll;
    m_tableAll = nullptr;
    delete m_tableRack;
    m_tableRack = nullptr;
    delete m_tableContainer;
    m_tableContainer = nullptr;
    delete m_tableColony;
    m_tableColony = nullptr;
    delete m_tableImageStitcher;
    m_tableImageStitcher = nullptr;
    delete m_tableImageStitcherPicture;
    m_tableImageStitcherPicture = nullptr;
    Database* database = m_database;
    m_database = nullptr;
    delete database;
}

void ApplicationDatabase::databaseTypeChanged(int type)
{
    if (type == Database::KindNone) {
        m_transactionDepth = 0;
        m_rollbackOnly = false;
        m_afterCommit.clear();
    }
    const std::initializer_list<DatabaseTable*> tables = {m_tableAll, m_tableRack, m_tableContainer, m_tableColony,
                                                          m_tableImageStitcher, m_tableImageStitcherPicture};
    for (DatabaseTable* table : tables) {
        // The connection reports its type while it is being made, before the tables exist.
        if (table)
            table->SetDatabase(type);
    }
}

void ApplicationDatabase::databaseError(QString databaseName, QString text)
{
    if (m_reportErrors && m_errorHandler)
        m_errorHandler->showDatabaseError(databaseName, text);
}

// ---------------------------------------------------------------------------------------------
// Open and create

Errors::Type_Error ApplicationDatabase::openDatabase(const AppSettings::DatabaseSettings& settings)
{
    // The rack pictures belong to the database: no export may land among them.
    ExportTarget_Guard::protect(this, {settings.PicturePath});
    ExportTarget_Guard::describe(this, ExportTarget_Guard::Kind::PictureFolder);
    Errors::Type_Error result = NoError;
    switch (settings.Type) {
    case AppSettings::TypeMSAccess:
        result = m_database->openMSAccess(settings.MSAccess.Filename);
        break;
    case AppSettings::TypeMSSQLServer:
        result = m_database->openMSSQLServer(settings.MSSqlServer.Servername, settings.MSSqlServer.Databasename,
                                             settings.MSSqlServer.Username, settings.MSSqlServer.Password,
                                             settings.MSSqlServer.SQLServerAuthentication);
        break;
    case AppSettings::TypeSQLite3:
        result = m_database->openSQLite3(settings.SQLite3.Filename);
        break;
    default:
        return ErrorUnknownDatabaseType;
    }
    if (result != NoError) {
        m_database->close();
        return result;
    }
    result = m_tableAll->CheckVersion();
    if (result != NoError)
        m_database->close();
    return result;
}

Errors::Type_Error ApplicationDatabase::createSQLite3Database(const QString& filePath, const QString& scriptPath)
{
    if (!QFileInfo(scriptPath).isFile())
        return ErrorScriptFile;
    if (filePath.isEmpty() || QFileInfo::exists(filePath))
        return ErrorFileOperation;
    const QFileInfo target(filePath);
    if (!QDir().mkpath(target.absolutePath()))
        return ErrorFileOperation;
    {
        QFile file(filePath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return ErrorFileOperation;
    }
    Errors::Type_Error result = m_database->openSQLite3(filePath);
    if (result == NoError) {
        // One transaction: a script that fails half-way leaves no half-made tables.
        result = beginTransaction();
        if (result == NoError) {
            result = m_database->execScriptFile(scriptPath, false);
            if (result == NoError)
                result = commitTransaction();
            else
                rollbackTransaction();
        }
    }
    if (result == NoError)
        result = m_tableAll->CheckVersion();
    if (result != NoError) {
        m_database->close();
        QFile::remove(filePath);
    }
    return result;
}

Errors::Type_Error ApplicationDatabase::createMSAccessDatabase(const QString& filePath, const QString& templatePath)
{
    if (!QFileInfo(templatePath).isFile())
        return ErrorFileMissing;
    if (filePath.isEmpty() || QFileInfo::exists(filePath))
        return ErrorFileOperation;
    if (!QDir().mkpath(QFileInfo(filePath).absolutePath()) || !QFile::copy(templatePath, filePath))
        return ErrorFileOperation;
    const Errors::Type_Error result = m_database->openMSAccess(filePath);
    if (result != NoError) {
        m_database->close();
        QFile::remove(filePath);
    }
    return result;
}

Errors::Type_Error ApplicationDatabase::createMSSQLServerDatabase(const AppSettings::MSSqlServerSettings& server,
                                                                  const QString& scriptPath)
{
    if (!QFileInfo(scriptPath).isFile())
        return ErrorScriptFile;
    if (server.Databasename.isEmpty())
        return ErrorStatement;
    Errors::Type_Error result = onMaster(server, QStringLiteral("CREATE DATABASE "));
    if (result != NoError)
        return result;
    result = m_database->openMSSQLServer(server.Servername, server.Databasename, server.Username, server.Password,
                                         server.SQLServerAuthentication);
    if (result == NoError)
        result = m_database->execScriptFile(scriptPath, false);
    if (result == NoError)
        result = m_tableAll->CheckVersion();
    if (result != NoError)
        m_database->close();
    return result;
}

Errors::Type_Error ApplicationDatabase::deleteMSSQLServerDatabase(const AppSettings::MSSqlServerSettings& server)
{
    if (server.Databasename.isEmpty())
        return ErrorStatement;
    return onMaster(server, QStringLiteral("DROP DATABASE "));
}

QString ApplicationDatabase::sqlServerDatabaseIdentifier(const QString& name)
{
    QString escaped = name;
    // A closing bracket inside the name is doubled, so the name stays one identifier.
    escaped.replace(QLatin1Char(']'), QLatin1String("]]"));
    return QLatin1Char('[') + escaped + QLatin1Char(']');
}

Errors::Type_Error ApplicationDatabase::onMaster(const AppSettings::MSSqlServerSettings& server, const QString& command)
{
    Errors::Type_Error result = m_database->openMSSQLServer(server.Servername, QStringLiteral("master"), server.Username,
                                                            server.Password, server.SQLServerAuthentication);
    if (result == NoError)
        result = m_database->execCommand(command + sqlServerDatabaseIdentifier(server.Databasename), false);
    m_database->close();
    return result;
}

// ---------------------------------------------------------------------------------------------
// Transactions

Errors::Type_Error ApplicationDatabase::beginTransaction()
{
    if (!m_database->isOpen())
        return ErrorNotOpen;
    if (m_transactionDepth == 0) {
        if (!m_database->getDatabase()->transaction())
            return ErrorStatement;
        m_rollbackOnly = false;
    }
    ++m_transactionDepth;
    return NoError;
}

Errors::Type_Error ApplicationDatabase::commitTransaction()
{
    if (m_transactionDepth <= 0)
        return ErrorNotOpen;
    if (--m_transactionDepth > 0)
        return m_rollbackOnly ? ErrorStatement : NoError;
    if (!m_database->isOpen())
        return ErrorNotOpen;
    // Taken first: an action may start a transaction of its own.
    const QList<std::function<void()>> afterCommit = std::exchange(m_afterCommit, {});
    if (m_rollbackOnly) {
        m_database->getDatabase()->rollback();
        m_rollbackOnly = false;
        return ErrorStatement;
    }
    if (!m_database->getDatabase()->commit()) {
        m_database->getDatabase()->rollback();
        return ErrorStatement;
    }
    for (const std::function<void()>& action : afterCommit)
        action();
    return NoError;
}

void ApplicationDatabase::rollbackTransaction()
{
    if (m_transactionDepth <= 0)
        return;
    if (--m_transactionDepth > 0) {
        m_rollbackOnly = true;
        return;
    }
    m_rollbackOnly = false;
    m_afterCommit.clear();
    if (m_database->isOpen())
        m_database->getDatabase()->rollback();
}

void ApplicationDatabase::runAfterCommit(std::function<void()> action)
{
    if (!action)
        return;
    if (m_transactionDepth > 0)
        m_afterCommit.append(std::move(action));
    else
        action();
}
