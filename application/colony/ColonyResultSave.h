#pragma once

#include "Errors.h"

class ApplicationDatabase;
class Halcon_AsynchronImageSave;
class QString;
struct ColonyRackRecord;

// Stores the Colony Analyser page's rack record: the rack row as the caller filled it, the
// rack picture in the picture folder (named by ResultPictureNames), one row per container and
// one per colony, good and rejected alike.
//
// The rows go in one transaction. The picture is on disk under a private name before it
// (encoded, or as a spool for the background writer, ResultPictureFiles) and takes the rack's
// name only after the commit: a committed rack always has its picture or what a start needs
// to finish it, a name never holds a picture of an undone rack, and a failure leaves neither
// rows nor file. A key whose picture name another database's file holds is left unused.
class ColonyResultSave {
public:
    static constexpr Errors::Type_Error ErrorNoDatabase = 84;

    // The picture goes to saver (borrowed) in the background, or is written at once without
    // one. On success the record's rows carry their new keys and the picture path; on a
    // failure the record's keys are as they were and its picture path is empty.
    static Errors::Type_Error save(ColonyRackRecord& rack, ApplicationDatabase* database,
                                   Halcon_AsynchronImageSave* saver, const QString& pictureFolder);

private:
    static Errors::Type_Error store(ColonyRackRecord& rack, ApplicationDatabase* database,
                                    Halcon_AsynchronImageSave* saver, const QString& pictureFolder);
};
