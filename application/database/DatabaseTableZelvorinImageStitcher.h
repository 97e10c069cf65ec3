#pragma once

#include "Database.h"
#include "DatabaseTable.h"
#include "Errors.h"

#include <QDateTime>
#include <QList>
#include <QString>

class ApplicationDatabase;

// Statements on the table ZelvorinImageStitcher: one row per saved stitching result.
class DatabaseTableZelvorinImageStitcher : public DatabaseTable {
    Q_OBJECT
public:
    struct Dataset {
        Dataset() { clear(); }
        void clear();
        bool isValid() const { return ImageStitcherID != -1; }

        Database::ID ImageStitcherID;
        QDateTime CreatedDate;
        QString RackBarcode;
        QString ImageStitcherSettings;
        QString ReferencePointsCorrection;
        QString PictureFilePath;
        Errors::Type_Error ErrorCode;
        QString Description;
    };

    DatabaseTableZelvorinImageStitcher(ApplicationDatabase* owner, QObject* parent = nullptr);
    ~DatabaseTableZelvorinImageStitcher() override;

    Errors::Type_Error Insert(Dataset& row);
    Errors::Type_Error Update(const Dataset& row);
    Errors::Type_Error Delete(Database::ID key);
    Errors::Type_Error Select(Database::ID key, Dataset& row);
    // Rows whose barcode is the given text (wildcards of the text taken literally), newest
    // first; an empty text lists every row. maxRows below 1: no limit.
    Errors::Type_Error SelectIdsByBarcode(const QString& barcode, int maxRows, QList<Database::ID>& ids, bool& more);

    QString sqlInsert(const Dataset& row) const;
    QString sqlUpdate(const Dataset& row) const;
    QString sqlDelete(Database::ID key) const;
    QString sqlSelect(Database::ID key) const;
    QString sqlSelectIdsByBarcode(const QString& barcode, int maxRows) const;
};
