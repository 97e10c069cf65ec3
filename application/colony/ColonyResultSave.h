#pragma once

#include "Database.h"
#include "Errors.h"

#include <QString>

class ApplicationDatabase;
class Halcon_AsynchronImageSave;
struct ColonyRackRecord;

// Stores the page's rack record: the rack row as the caller filled it, the rack picture
// "<application>_<rack id, 8 digits>_Rack.png" in the picture folder, one row per container
// and one per colony, good and rejected alike.
//
// The rows go in one transaction. The picture is on disk before it (encoded, or as a spool
// for the background writer) and takes the rack's name inside it: a committed rack always
// has its picture, and a failure leaves neither rows nor file.
class ColonyResultSave {
public:
    static constexpr Errors::Type_Error ErrorNoDatabase = 84;

    // database and saver are borrowed; saver is used only for a background save.
    ColonyResultSave(ApplicationDatabase* database, Halcon_AsynchronImageSave* saver, const QString& pictureFolder);

    // On success the record's rows carry their new keys and the picture path; on a failure
    // the record's keys are as they were and its picture path is empty.
    Errors::Type_Error save(ColonyRackRecord& rack, bool asynchronPictureSave);

    static QString rackPictureFileName(Database::ID rackId);
    static QString rackPicturePath(const QString& pictureFolder, Database::ID rackId);

private:
    Errors::Type_Error store(ColonyRackRecord& rack, bool asynchronPictureSave);

    ApplicationDatabase* m_database;
    Halcon_AsynchronImageSave* m_saver;
    QString m_folder;
};
