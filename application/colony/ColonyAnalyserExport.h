#pragma once

#include "ColonySettingsData.h"
#include "Database.h"
#include "Errors.h"

#include <Hobject.h>

#include <QString>

class ApplicationDatabase;
class Halcon_AsynchronImageSave;
struct ColonyRackRecord;

// What the Colony Analyser page exports for the instrument: the delimited colony results of a
// rack (written by ColonyResultExport) and a rack picture, each of the rack on screen or of a
// stored one. Neither the record nor the database is changed. Failures answer the codes of
// the database and file operations, 84 without a database.
class ColonyAnalyserExport {
public:
    // Containers in report order, the colonies of each in arrival order, good and rejected.
    static Errors::Type_Error colonyResults(const ColonyRackRecord& rack, const QString& fileName,
                                            const QString& options);
    // Containers in ascending pick order; 121 for a rack without containers (or none at all).
    static Errors::Type_Error colonyResults(ApplicationDatabase* database, Database::ID rackId,
                                            const QString& fileName, const QString& options);

    // 104 for a target that is the program's own data or no regular file (ExportTarget_Guard),
    // 55 for a format no save knows: checked before anything is read or queued, as a
    // background save would report them only with a later poll.
    static Errors::Type_Error checkPictureTarget(const QString& picturePath, const QString& pictureFormat);
    // The picture file of a stored rack and the colony settings it was analysed with; 3 when
    // those do not read.
    static Errors::Type_Error readStoredRack(ApplicationDatabase* database, Database::ID rackId, QString& pictureFile,
                                             ColonySettingsData& settings);
    // The same with the picture read from its file.
    static Errors::Type_Error loadStoredPicture(ApplicationDatabase* database, Database::ID rackId,
                                                Halcon::Hobject& picture, ColonySettingsData& settings);
    // The picture cut to the labware area of settings when cropped, scaled when sizePercent is
    // neither 0 nor 100 (3 below 0), then queued with saver, or written at once without one.
    // 104 when what would be written has more than MaximumWrittenPixels, before it is made.
    // Any thread: nothing but the saver is shared.
    static Errors::Type_Error rackPicture(Halcon::Hobject picture, const ColonySettingsData& settings, bool cropped,
                                          int sizePercent, Halcon_AsynchronImageSave* saver,
                                          const QString& picturePath, const QString& pictureFormat);

    // The largest picture one export may write.
    static constexpr double MaximumWrittenPixels = 100e6;
    static constexpr Errors::Type_Error ErrorPictureTooLarge = 104;
};
