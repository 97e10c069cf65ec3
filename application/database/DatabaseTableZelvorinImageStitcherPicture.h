#pragma once

#include "Database.h"
#include "DatabaseTable.h"
#include "Errors.h"

#include <QList>
#include <QString>

class ApplicationDatabase;

// Statements on the table ZelvorinImageStitcherPicture: the source pictures of a stitching result.
class DatabaseTableZelvorinImageStitcherPicture : public DatabaseTable {
    Q_OBJECT
public:
    struct Dataset {
        Dataset() { clear(); }
        void clear();
        bool isValid() const { return ImageStitcherPictureID != -1; }

        Database::ID ImageStitcherPictureID;
        Database::ID ImageStitcherID;
        qint16 PositionIndex;
        QString PictureFilePath;
        // Kept by the image stitcher per picture, never stored.
        double rowOpticalAxis;
        double colOpticalAxis;
    };

    DatabaseTableZelvorinImageStitcherPicture(ApplicationDatabase* owner, QObject* parent = nullptr);
    ~DatabaseTableZelvorinImageStitcherPicture() override;

    Errors::Type_Error Insert(Dataset& row);
    Errors::Type_Error Update(const Dataset& row);
    Errors::Type_Error Delete(Database::ID key);
    Errors::Type_Error Select(Database::ID key, Dataset& row);
    Errors::Type_Error SelectIdsByImageStitcher(Database::ID imageStitcherId, QList<Database::ID>& ids);
    Errors::Type_Error SelectIdByPosition(Database::ID imageStitcherId, qint16 position, QList<Database::ID>& ids);

    QString sqlInsert(const Dataset& row) const;
    QString sqlUpdate(const Dataset& row) const;
    QString sqlDelete(Database::ID key) const;
    QString sqlSelect(Database::ID key) const;
    QString sqlSelectIdsByImageStitcher(Database::ID imageStitcherId) const;
    QString sqlSelectIdByPosition(Database::ID imageStitcherId, qint16 position) const;
};
