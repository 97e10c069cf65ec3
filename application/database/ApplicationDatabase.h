#pragma once

#include "AppSettings.h"
#include "Database.h"
#include "Errors.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class DatabaseTableAll;
class DatabaseTableZelvorinColony;
class DatabaseTableZelvorinContainer;
class DatabaseTableZelvorinImageStitcher;
class DatabaseTableZelvorinImageStitcherPicture;
class DatabaseTableZelvorinPicturePlan;
class DatabaseTableZelvorinRack;

// Files beside the program from which new databases are made.
extern const QString DatabaseTemplateMSAccess;
extern const QString DatabaseTemplateMSSQLServer;
extern const QString DatabaseTemplateSQLite3;

// The one way of the application to its database: owns the connection, the six table objects
// of the results and the picture plan's (what saves are doing with picture files), passes the
// connection's type to the tables and its error reports to the user.
class ApplicationDatabase : public QObject, public Database::CallbackFunctions {
    Q_OBJECT
public:
    // What shows a database error to the user (the main window; tests record the calls).
    class ErrorHandler {
    public:
        virtual ~ErrorHandler() = default;
        virtual void showDatabaseError(QString databaseName, QString text) = 0;
    };

    // Makes the connection object; tests pass a connection with seams.
    using ConnectionFactory =
        std::function<Database*(Database::CallbackFunctions* callback, const QString& connectionName, QObject* parent)>;

    // Application code for a database type that no open serves.
    static constexpr Errors::Type_Error ErrorUnknownDatabaseType = 123;
    // Application code for a failed file operation.
    static constexpr Errors::Type_Error ErrorFileOperation = 130;

    ApplicationDatabase(ErrorHandler* errorHandler, const QString& connectionName, QObject* parent = nullptr,
                        const ConnectionFactory& factory = ConnectionFactory());
    ~ApplicationDatabase() override;

    Database* database() const { return m_database; }
    DatabaseTableAll* tableAll() const { return m_tableAll; }
    DatabaseTableZelvorinRack* tableRack() const { return m_tableRack; }
    DatabaseTableZelvorinContainer* tableContainer() const { return m_tableContainer; }
    DatabaseTableZelvorinColony* tableColony() const { return m_tableColony; }
    DatabaseTableZelvorinImageStitcher* tableImageStitcher() const { return m_tableImageStitcher; }
    DatabaseTableZelvorinImageStitcherPicture* tableImageStitcherPicture() const { return m_tableImageStitcherPicture; }
    DatabaseTableZelvorinPicturePlan* tablePicturePlan() const { return m_tablePicturePlan; }
    // The key of the open database that its private picture files carry, its plan table made
    // when missing (at the first call after an open). 84 or 85 with key empty when the
    // database cannot give one: no picture can be saved then.
    Errors::Type_Error pictureKey(QString& key);

    void setErrorReportEnabled(bool enabled) { m_reportErrors = enabled; }
    bool isErrorReportEnabled() const { return m_reportErrors; }

    void databaseTypeChanged(int type) override;
    void databaseError(QString databaseName, QString text) override;

    // Opens the database the settings select and checks its version; a database that fails
    // the check is closed again, so nothing is written into a layout this program does not know.
    // Then what killed saves of this database left is put right (ResultPictureRecovery); the
    // database is usable whatever came of that. Its picture folder is protected from exports
    // from now on (ExportTarget_Guard).
    Errors::Type_Error openDatabase(const AppSettings::DatabaseSettings& settings);

    // New databases. Each refuses an existing target and leaves nothing behind on failure;
    // on success the new database is open.
    Errors::Type_Error createSQLite3Database(const QString& filePath, const QString& scriptPath = DatabaseTemplateSQLite3);
    // Copies the template file; without it (as on Linux, where none is shipped) the result is 70.
    Errors::Type_Error createMSAccessDatabase(const QString& filePath, const QString& templatePath = DatabaseTemplateMSAccess);
    Errors::Type_Error createMSSQLServerDatabase(const AppSettings::MSSqlServerSettings& server,
                                                 const QString& scriptPath = DatabaseTemplateMSSQLServer);
    // Drops the named database from the server's "master" database; the connection is closed
    // afterwards, also on failure.
    Errors::Type_Error deleteMSSQLServerDatabase(const AppSettings::MSSqlServerSettings& server);
    // A database name as one bracketed SQL Server identifier, whatever it holds.
    static QString sqlServerDatabaseIdentifier(const QString& name);

    // Transactions around multi-row writes. They nest: only the outermost begin and commit
    // reach the database, and a rollback at any depth makes the outermost commit roll back.
    // A close of the connection ends every open level.
    Errors::Type_Error beginTransaction();
    Errors::Type_Error commitTransaction();
    void rollbackTransaction();
    bool inTransaction() const { return m_transactionDepth > 0; }
    // Runs action once the outermost transaction has committed, at once outside a transaction;
    // a rollback or a close drops it. For work that must wait until rows are surely gone, such
    // as removing their picture files.
    void runAfterCommit(std::function<void()> action);

private:
    // Runs command followed by the database's identifier on the server's "master" database,
    // then closes the connection.
    Errors::Type_Error onMaster(const AppSettings::MSSqlServerSettings& server, const QString& command);

    bool m_reportErrors;
    ErrorHandler* m_errorHandler;
    Database* m_database;
    DatabaseTableAll* m_tableAll;
    DatabaseTableZelvorinRack* m_tableRack;
    DatabaseTableZelvorinContainer* m_tableContainer;
    DatabaseTableZelvorinColony* m_tableColony;
    DatabaseTableZelvorinImageStitcher* m_tableImageStitcher;
    DatabaseTableZelvorinImageStitcherPicture* m_tableImageStitcherPicture;
    DatabaseTableZelvorinPicturePlan* m_tablePicturePlan;
    QString m_pictureKey;
    int m_transactionDepth;
    bool m_rollbackOnly;
    QList<std::function<void()>> m_afterCommit;
};
