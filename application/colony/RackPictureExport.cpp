#include "RackPictureExport.h"

#include "ColonyAnalyserThread.h"
#include "ColonySettings.h"
#include "PictureScaling.h"

#include <ApplicationDatabase.h>
#include <DatabaseTableZelvorinRack.h>
#include <ExportTarget_Guard.h>
#include <Halcon_AsynchronImageSave.h>
#include <Halcon_Helper.h>

namespace {

constexpr unsigned int kQueueDelayMs = 1000;

} // namespace

Errors::Type_Error RackPictureExport::checkTarget(const QString& picturePath, const QString& pictureFormat)
{
    if (const Errors::Type_Error code = ExportTarget_Guard::check(picturePath); code != 0)
        return code;
    if (!Halcon_Helper::IsPictureFormat(pictureFormat, false))
        return ErrorCannotSavePicture;
    return 0;
}

Errors::Type_Error RackPictureExport::loadStored(ApplicationDatabase* database, Database::ID rackId,
                                                 Halcon::Hobject& picture, ColonySettingsData& settings)
{
    if (!database)
        return ErrorNoDatabase;
    DatabaseTableZelvorinRack::Dataset stored;
    if (const Errors::Type_Error code = database->tableRack()->Select(rackId, stored); code != 0)
        return code;
    if (const Errors::Type_Error code = Halcon_Helper::LoadImageFile(stored.PictureFilePath, picture); code != 0)
        return code;
    ColonySettings parsed;
    if (!parsed.fromXmlString(stored.XMLColonySettings))
        return ErrorGeneral;
    settings = parsed.data();
    return 0;
}

Errors::Type_Error RackPictureExport::write(Halcon::Hobject picture, const ColonySettingsData& settings, bool cropped,
                                            int sizePercent, Halcon_AsynchronImageSave* saver,
                                            const QString& picturePath, const QString& pictureFormat)
{
    if (cropped) {
        if (const Errors::Type_Error code = ColonyAnalyserThread::cutSearchArea(picture, settings); code != 0)
            return code;
    }
    if (sizePercent != 0 && sizePercent != 100) {
        if (sizePercent < 0)
            return ErrorGeneral;
        Halcon::Hobject scaled;
        if (const Errors::Type_Error code = PictureScaling::scaleByFactor(picture, sizePercent / 100.0, scaled);
            code != 0)
            return code;
        picture = scaled;
    }
    if (saver)
        return saver->saveImage(picturePath, picture, pictureFormat, kQueueDelayMs, false);
    return Halcon_Helper::SaveImageFile(picturePath, picture, pictureFormat, false, false);
}
