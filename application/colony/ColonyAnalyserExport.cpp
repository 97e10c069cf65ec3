#include "ColonyAnalyserExport.h"

#include "ColonyAnalyserThread.h"
#include "ColonyRackRecord.h"
#include "ColonyResultExport.h"
#include "ColonySettings.h"
#include "PictureScaling.h"

#include <ApplicationDatabase.h>
#include <ExportTarget_Guard.h>
#include <Halcon_AsynchronImageSave.h>
#include <Halcon_Helper.h>

namespace {

constexpr unsigned int kQueueDelayMs = 1000;

constexpr Errors::Type_Error kErrorGeneral = 3;
constexpr Errors::Type_Error kErrorCannotSavePicture = 55;
constexpr Errors::Type_Error kErrorNoDatabase = 84;
constexpr Errors::Type_Error kErrorRackNotFound = 121;

} // namespace

Errors::Type_Error ColonyAnalyserExport::colonyResults(const ColonyRackRecord& rack, const QString& fileName,
                                                       const QString& options)
{
    ColonyResultExport writer(fileName, options, rack.row.ColorModel != 0);
    if (const Errors::Type_Error code = writer.writeHeader(); code != 0)
        return code;
    for (const auto& container : rack.containers) {
        QList<DatabaseTableZelvorinColony::Dataset> colonies;
        colonies.reserve(qsizetype(container->colonies.size()));
        for (const auto& colony : container->colonies)
            colonies.append(colony->row);
        if (const Errors::Type_Error code = writer.writeRows(container->row, colonies); code != 0)
            return code;
    }
    return writer.close();
}

Errors::Type_Error ColonyAnalyserExport::colonyResults(ApplicationDatabase* database, Database::ID rackId,
                                                       const QString& fileName, const QString& options)
{
    if (!database)
        return kErrorNoDatabase;
    QList<Database::ID> containerIds;
    if (const Errors::Type_Error code = database->tableContainer()->SelectIdsByRack(rackId, containerIds); code != 0)
        return code;
    if (containerIds.isEmpty())
        return kErrorRackNotFound;
    DatabaseTableZelvorinRack::ShortDataset rack;
    if (const Errors::Type_Error code = database->tableRack()->SelectShort(rackId, rack); code != 0)
        return code;

    ColonyResultExport writer(fileName, options, rack.ColorModel != 0);
    if (const Errors::Type_Error code = writer.writeHeader(); code != 0)
        return code;
    for (const Database::ID containerId : std::as_const(containerIds)) {
        DatabaseTableZelvorinContainer::Dataset container;
        if (const Errors::Type_Error code = database->tableContainer()->Select(containerId, container); code != 0)
            return code;
        QList<DatabaseTableZelvorinColony::Dataset> colonies;
        if (const Errors::Type_Error code = database->tableColony()->SelectByContainer(containerId, colonies);
            code != 0)
            return code;
        if (const Errors::Type_Error code = writer.writeRows(container, colonies); code != 0)
            return code;
    }
    return writer.close();
}

Errors::Type_Error ColonyAnalyserExport::checkPictureTarget(const QString& picturePath, const QString& pictureFormat)
{
    if (const Errors::Type_Error code = ExportTarget_Guard::checkPicture(picturePath, pictureFormat); code != 0)
        return code;
    if (!Halcon_Helper::IsPictureFormat(pictureFormat, false))
        return kErrorCannotSavePicture;
    return 0;
}

Errors::Type_Error ColonyAnalyserExport::readStoredRack(ApplicationDatabase* database, Database::ID rackId,
                                                        QString& pictureFile, ColonySettingsData& settings)
{
    if (!database)
        return kErrorNoDatabase;
    DatabaseTableZelvorinRack::Dataset stored;
    if (const Errors::Type_Error code = database->tableRack()->Select(rackId, stored); code != 0)
        return code;
    ColonySettings parsed;
    if (!parsed.fromXmlString(stored.XMLColonySettings))
        return kErrorGeneral;
    pictureFile = stored.PictureFilePath;
    settings = parsed.data();
    return 0;
}

Errors::Type_Error ColonyAnalyserExport::loadStoredPicture(ApplicationDatabase* database, Database::ID rackId,
                                                           Halcon::Hobject& picture, ColonySettingsData& settings)
{
    QString pictureFile;
    if (const Errors::Type_Error code = readStoredRack(database, rackId, pictureFile, settings); code != 0)
        return code;
    return Halcon_Helper::LoadImageFile(pictureFile, picture);
}

Errors::Type_Error ColonyAnalyserExport::rackPicture(Halcon::Hobject picture, const ColonySettingsData& settings,
                                                     bool cropped, int sizePercent, Halcon_AsynchronImageSave* saver,
                                                     const QString& picturePath, const QString& pictureFormat)
{
    if (cropped) {
        if (const Errors::Type_Error code = ColonyAnalyserThread::cutSearchArea(picture, settings); code != 0)
            return code;
    }
    const bool scaled = sizePercent != 0 && sizePercent != 100;
    if (scaled && sizePercent < 0)
        return kErrorGeneral;
    // A picture that gives no size fails below with its own code.
    const double factor = scaled ? sizePercent / 100.0 : 1.0;
    int width = 0;
    int height = 0;
    if (Halcon_Helper::GetImageSize(picture, width, height) == 0
        && double(width) * factor * double(height) * factor > MaximumWrittenPixels)
        return ErrorPictureTooLarge;
    if (scaled) {
        Halcon::Hobject zoomed;
        if (const Errors::Type_Error code = PictureScaling::scaleByFactor(picture, factor, zoomed); code != 0)
            return code;
        picture = zoomed;
    }
    if (saver)
        return saver->saveImage(picturePath, picture, pictureFormat, kQueueDelayMs, false);
    return Halcon_Helper::SaveImageFile(picturePath, picture, pictureFormat, false, false);
}
