#pragma once

#include "AppSettings.h"
#include "Database.h"
#include "DatabaseTable.h"
#include "Errors.h"

#include <QString>
#include <QStringList>

class ApplicationDatabase;

// Statements on the database as a whole: the schema version (its own table) and the deletion
// of old racks and old stitching results with their picture files.
class DatabaseTableAll : public DatabaseTable {
    Q_OBJECT
public:
    // The schema version this program reads and writes.
    static constexpr int DatabaseVersion = 4;

    // Removes a picture file of a deleted row; tests record the calls.
    using FileRemover = bool (*)(const QString& filePath);

    DatabaseTableAll(ApplicationDatabase* owner, QObject* parent = nullptr);
    ~DatabaseTableAll() override;

    Errors::Type_Error SelectVersion(int& version);
    Errors::Type_Error UpdateVersion(int version);
    // 91 when the database holds another version than this program's.
    Errors::Type_Error CheckVersion();
    // Keeps the keepCount newest racks and deletes the others with their rack pictures;
    // keepCount 0 or less deletes every rack (the explicit emptying before a database is
    // deleted). Container and colony rows go with their rack by the schema's cascade.
    Errors::Type_Error DeleteOldRacks(qint32 keepCount, bool reportError);
    // The pruning after a saved result: nothing unless the settings switch it on with a
    // maximum of at least 1.
    Errors::Type_Error DeleteOldRacksBySettings(const AppSettings::DatabaseSettings& settings, bool reportError);
    // Keeps the keepCount newest stitching results and deletes the others with the stitched
    // picture and the source pictures (rows and files); keepCount 0 or less deletes all.
    Errors::Type_Error DeleteOldImageStitchers(qint32 keepCount, bool reportError);

    QString sqlSelectVersion() const;
    QString sqlUpdateVersion(int version) const;
    QString sqlSelectRacksNewestFirst() const;
    QString sqlSelectImageStitchersNewestFirst() const;

    static void setFileRemover(FileRemover remover);

private:
    Errors::Type_Error collectOld(const QString& text, const char* table, qint32 keepCount, bool reportError,
                                  QList<Database::ID>& ids);
    static void removeFiles(const QStringList& files);
};
