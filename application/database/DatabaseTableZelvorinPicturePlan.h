#pragma once

#include "Database.h"
#include "DatabaseTable.h"
#include "Errors.h"

#include <QList>
#include <QString>

class ApplicationDatabase;

// What the database's saves are doing with picture files, recorded before any file is made:
// one row per private file, with the process that writes it (Process_Identity) and, set in
// the same transaction as the result's rows, the picture name it takes once they are
// committed. Rows of a process that is gone tell the next open what to finish or remove
// (ResultPictureRecovery); a file without a row is never removed. Also the database's key,
// which the private file names carry, so that databases sharing a picture folder never take
// each other's files.
//
// Both tables are made when a database lacks them: ZelvorinPicturePlan (PlanID, Owner,
// PrivateFile, PictureFile) and ZelvorinDatabaseIdentity (DatabaseKey), in the dialect of the
// connection. The schema version stays 4: older programs read and write the other tables as
// before.
class DatabaseTableZelvorinPicturePlan : public DatabaseTable {
    Q_OBJECT
public:
    struct Dataset {
        Dataset() { clear(); }
        void clear();

        Database::ID PlanID;
        QString Owner;
        QString PrivateFile; // absolute path
        QString PictureFile; // absolute path; empty until the result's rows name it
    };

    DatabaseTableZelvorinPicturePlan(ApplicationDatabase* owner, QObject* parent = nullptr);
    ~DatabaseTableZelvorinPicturePlan() override;

    // Makes both tables when missing, then reads the key (made at the first call). 84, 85;
    // key empty unless 0.
    Errors::Type_Error Prepare(QString& databaseKey);

    Errors::Type_Error Insert(Dataset& row);
    Errors::Type_Error Update(const Dataset& row);
    // Deletes the rows of these keys; 0 for an empty list.
    Errors::Type_Error Delete(const QList<Database::ID>& keys);
    // Every row, oldest first.
    Errors::Type_Error SelectAll(QList<Dataset>& rows);

    // Rows of this process whose spools went to the background writer: each is deleted once
    // its promotion has ended and left no private file (a failed one keeps its row for a
    // later start), by DeleteFinished, which every save and open calls. Kept per database key
    // across closes.
    void rememberQueued(const QString& databaseKey, Database::ID planId, const QString& spoolFile,
                        const QString& pictureFile);
    void DeleteFinished(const QString& databaseKey);

    QString sqlCreatePlanTable() const;
    QString sqlCreateIdentityTable() const;

private:
    Errors::Type_Error createWhenMissing(const char* table, const QString& text);

    struct Queued {
        QString databaseKey;
        Database::ID planId;
        QString spoolFile;
        QString pictureFile;
    };
    QList<Queued> m_queued;
};
