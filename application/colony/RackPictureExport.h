#pragma once

#include "ColonySettingsData.h"
#include "Database.h"
#include "Errors.h"

#include <Hobject.h>

#include <QString>

class ApplicationDatabase;
class Halcon_AsynchronImageSave;

// A rack picture written for the instrument: the shown or a stored rack's picture, cut to the
// labware area when asked, scaled by a percentage, in any picture format the savers know.
class RackPictureExport {
public:
    static constexpr Errors::Type_Error ErrorGeneral = 3;
    static constexpr Errors::Type_Error ErrorCannotSavePicture = 55;
    static constexpr Errors::Type_Error ErrorNoDatabase = 84;

    // 104 for a target that is the program's own data or no regular file (ExportTarget_Guard),
    // 55 for a format no save knows: checked before anything is read or queued, as a
    // background save would report them only with a later poll.
    static Errors::Type_Error checkTarget(const QString& picturePath, const QString& pictureFormat);

    // The stored picture of a rack and the colony settings it was analysed with; 3 when those
    // do not read.
    static Errors::Type_Error loadStored(ApplicationDatabase* database, Database::ID rackId, Halcon::Hobject& picture,
                                         ColonySettingsData& settings);

    // The picture cut to the labware area of settings when cropped, scaled when sizePercent is
    // neither 0 nor 100 (3 below 0), then queued with saver, or written at once without one.
    static Errors::Type_Error write(Halcon::Hobject picture, const ColonySettingsData& settings, bool cropped,
                                    int sizePercent, Halcon_AsynchronImageSave* saver, const QString& picturePath,
                                    const QString& pictureFormat);
};
