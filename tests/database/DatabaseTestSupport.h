#pragma once

// Shared by the database tests: a recording error handler, a connection whose dialect and
// file checks tests set, and fresh SQLite3 databases made from the shipped template.

#include "ApplicationDatabase.h"
#include "Database.h"
#include "DatabaseTableZelvorinRack.h"
#include "TestFixtures.h"

#include <QDateTime>
#include <QDir>
#include <QList>
#include <QPair>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace DatabaseTestSupport {

class RecordingErrorHandler : public ApplicationDatabase::ErrorHandler {
public:
    void showDatabaseError(QString databaseName, QString text) override { reports.append({databaseName, text}); }
    QList<QPair<QString, QString>> reports;
};

// A connection with seams: a dialect for statement texts without a server, and a file that
// counts as read-only even for root.
class SeamDatabase : public Database {
public:
    SeamDatabase(Database::CallbackFunctions* callback, const QString& name, QObject* parent)
        : Database(callback, name, parent)
    {
    }
    using Database::setTextDialect;
    QString readOnlyFile;

protected:
    bool fileWritable(const QString& filePath) const override
    {
        return filePath != readOnlyFile && Database::fileWritable(filePath);
    }
};

inline ApplicationDatabase::ConnectionFactory seamFactory()
{
    return [](Database::CallbackFunctions* callback, const QString& name, QObject* parent) -> Database* {
        return new SeamDatabase(callback, name, parent);
    };
}

inline SeamDatabase* seam(ApplicationDatabase& holder)
{
    return static_cast<SeamDatabase*>(holder.database());
}

// Tables of a holder speak the dialect without a connection.
inline void setDialect(ApplicationDatabase& holder, int kind)
{
    seam(holder)->setTextDialect(kind);
    holder.databaseTypeChanged(kind);
}

inline QString templatePath(const QString& name)
{
    return TestFixtures::sourceDir() + QStringLiteral("/database_templates/") + name;
}

inline QString sqliteTemplate()
{
    return templatePath(QStringLiteral("ZelvorinDatabase_SQLite3.sql"));
}

// A holder on a new SQLite3 database file in dir, made from the shipped template.
struct OpenDatabase {
    RecordingErrorHandler handler;
    std::unique_ptr<ApplicationDatabase> holder;
    QString filePath;
    Errors::Type_Error createResult = -1;
};

inline std::unique_ptr<OpenDatabase> createDatabase(const QTemporaryDir& dir, const QString& fileName = QStringLiteral("test.db3"))
{
    static int connectionNumber = 0;
    auto db = std::make_unique<OpenDatabase>();
    db->holder = std::make_unique<ApplicationDatabase>(
        &db->handler, QStringLiteral("test-connection-%1").arg(++connectionNumber), nullptr, seamFactory());
    db->filePath = dir.filePath(fileName);
    db->createResult = db->holder->createSQLite3Database(db->filePath, sqliteTemplate());
    return db;
}

// An SQLite3 database "results.db3" in folder, its pictures in the folder "pictures" beside it.
inline AppSettings::DatabaseSettings sqliteSettingsIn(const QString& folder)
{
    AppSettings::DatabaseSettings settings = AppSettings::defaultDatabaseSettings();
    settings.Type = AppSettings::TypeSQLite3;
    settings.SQLite3.Filename = QDir(folder).filePath(QStringLiteral("results.db3"));
    settings.PicturePath = QDir(folder).filePath(QStringLiteral("pictures"));
    settings.AutoDelete = false;
    return settings;
}

// Rows of a table, -1 when the count cannot be read.
inline int rowCount(ApplicationDatabase& holder, const QString& table)
{
    QSqlQuery query(*holder.database()->getDatabase());
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM [%1]").arg(table)) || !query.next())
        return -1;
    return query.value(0).toInt();
}

// A statement the tables would never run (a trigger that refuses rows, ...).
inline bool execute(ApplicationDatabase& holder, const QString& statement)
{
    QSqlQuery query(*holder.database()->getDatabase());
    return query.exec(statement);
}

inline DatabaseTableZelvorinRack::Dataset rackRow(const QString& barcode, const QDateTime& created)
{
    DatabaseTableZelvorinRack::Dataset row;
    row.CreatedDate = created;
    row.RackBarcode = barcode;
    return row;
}

inline QDateTime baseTime()
{
    return QDateTime(QDate(2024, 3, 14), QTime(9, 30, 5));
}

} // namespace DatabaseTestSupport
