#pragma once

#include "Database.h"
#include "DatabaseTable.h"
#include "Errors.h"

#include <QDateTime>
#include <QList>
#include <QString>

class ApplicationDatabase;

// Statements on the table ZelvorinRack, the head row of a stored analysis.
class DatabaseTableZelvorinRack : public DatabaseTable {
    Q_OBJECT
public:
    struct Dataset {
        Dataset() { clear(); }
        void clear();
        bool isValid() const { return RackID != -1; }

        Database::ID RackID;
        QDateTime CreatedDate;
        QString RackBarcode;
        QString XMLSettings;
        QString XMLCameraSettings;
        QString XMLColonySettings;
        QString ReferencePointsCorrection;
        QString PictureFilePath;
        qint16 ColorModel;
        Errors::Type_Error ErrorCode;
        QString Description;
        Database::ID ImageStitcherID;
        double ReferenzPos1X;
        double ReferenzPos1Y;
        double ReferenzPos2X;
        double ReferenzPos2Y;
        double ReferenzPos3X;
        double ReferenzPos3Y;
        double ReferenzPos4X;
        double ReferenzPos4Y;
    };

    // The row without the four long texts and the reference positions.
    struct ShortDataset {
        ShortDataset() { clear(); }
        void clear();
        bool isValid() const { return RackID != -1; }

        Database::ID RackID;
        QDateTime CreatedDate;
        QString RackBarcode;
        QString PictureFilePath;
        qint16 ColorModel;
        Errors::Type_Error ErrorCode;
        QString Description;
        Database::ID ImageStitcherID;
    };

    DatabaseTableZelvorinRack(ApplicationDatabase* owner, QObject* parent = nullptr);
    ~DatabaseTableZelvorinRack() override;

    Errors::Type_Error Delete(Database::ID rackId);
    Errors::Type_Error Select(Database::ID rackId, Dataset& row);
    Errors::Type_Error SelectShort(Database::ID rackId, ShortDataset& row);
    Errors::Type_Error Insert(Dataset& row);
    Errors::Type_Error Update(const Dataset& row);
    // Racks whose barcode is the given text (LIKE comparison of the database, with every
    // wildcard of the text taken literally), newest first; an empty text lists every rack.
    // maximumCount below 1: no limit. more: further racks exist beyond the maximum.
    Errors::Type_Error SelectIdsByBarcode(const QString& barcode, int maximumCount, QList<Database::ID>& ids, bool& more);
    // Racks whose barcode contains the text, with every wildcard of the text taken literally.
    Errors::Type_Error SelectIdsByBarcodeQualified(const QString& text, QList<Database::ID>& ids);

    // Statement texts for the connection's dialect; the bound texts are the "?" markers (the
    // barcode searches bind DatabaseTableSupport::likePattern of their text).
    QString sqlDelete(Database::ID rackId) const;
    QString sqlSelect(Database::ID rackId) const;
    QString sqlSelectShort(Database::ID rackId) const;
    QString sqlInsert(const Dataset& row) const;
    QString sqlUpdate(const Dataset& row) const;
    QString sqlSelectIdsByBarcode(const QString& barcode, int maximumCount) const;
    QString sqlSelectIdsByBarcodeQualified(const QString& text) const;
};
