#include "ColonyAnalysisOperations.h"

#include "AppErrors.h"
#include "Automation_Call.h"
#include "Camera.h"
#include "Camera_Settings.h"
#include "ClientTextBounds.h"
#include "ColonyAnalyserGui.h"
#include "ColonySettingsFiles.h"
#include "InstrumentSettings.h"
#include "PictureFileLoader.h"
#include "RackZipExport.h"

ColonyAnalysisOperations::ColonyAnalysisOperations(ColonySettingsFiles& settingsFiles, Camera* camera,
                                                   ColonyAnalyserGui* page, const InstrumentSettings* instrument,
                                                   ApplicationDatabase* database, PictureFileLoader* operatorReads)
    : m_settingsFiles(settingsFiles)
    , m_camera(camera)
    , m_page(page)
    , m_instrument(instrument)
    , m_database(database)
    , m_operatorReads(operatorReads)
{
}

Errors::Type_Error ColonyAnalysisOperations::start(const QString& settingsName, Automation_Call* call)
{
    if (const Errors::Type_Error code = m_settingsFiles.loadByName(settingsName))
        return code;
    // A start during a run replaces that run.
    return Errors::Type_Error(Automation_Call::then(call, reset(call), [this](int code) -> int {
        if (code != 0)
            return code;
        Halcon::Hobject picture;
        if (const Errors::Type_Error pictureCode = m_camera->GetPicture(picture))
            return pictureCode;
        return m_page->Analyse(picture);
    }));
}

Errors::Type_Error ColonyAnalysisOperations::stop(Automation_Call* call)
{
    m_operatorReads->cancel();
    return m_page->Stop(call);
}

Errors::Type_Error ColonyAnalysisOperations::reset(Automation_Call* call)
{
    m_operatorReads->cancel();
    return m_page->Reset(call);
}

Errors::Type_Error ColonyAnalysisOperations::checkRunning(bool& running)
{
    // An operator's picture still being read is a start under way.
    if (m_operatorReads->isLoading()) {
        running = true;
        return 0;
    }
    return m_page->CheckRunning(running);
}

Errors::Type_Error ColonyAnalysisOperations::lldPosition(int channel, double& x_mm, double& y_mm)
{
    if (unsigned(channel) > unsigned(InstrumentSettings::ChannelCount))
        return AppErrors::ParameterIncorrect;
    if (const Errors::Type_Error code = m_page->GetLLDPosition(0, x_mm, y_mm))
        return code;
    if (channel == 0)
        return 0;
    double offsetX = 0.0;
    double offsetY = 0.0;
    m_instrument->channelOffset(channel, offsetX, offsetY);
    x_mm -= offsetX;
    y_mm -= offsetY;
    return 0;
}

Errors::Type_Error ColonyAnalysisOperations::saveResult(bool asynchronPictureSave, const QString& barcode,
                                                        const QString& description, int imageStitcherId, int& rackId,
                                                        Automation_Call* call)
{
    rackId = -1;
    // Before the save waits for the analysis.
    if (!ClientTextBounds::fitsBarcode(barcode) || !ClientTextBounds::fitsText(description))
        return AppErrors::ParameterIncorrect;
    // The page writes the identifier only for a stored rack.
    return m_page->SaveResult(asynchronPictureSave, barcode, description, imageStitcherId, rackId, nullptr, call);
}

Errors::Type_Error ColonyAnalysisOperations::checkAsynchronSaveFinish(bool& finished)
{
    finished = true;
    return m_page->SaveResult_CheckAsynchronSaveFinish(finished);
}

Errors::Type_Error ColonyAnalysisOperations::exportToZipArchive(const QVariantList& rackIds, const QString& fileName,
                                                                bool append, Automation_Call* call)
{
    QList<int> ids;
    ids.reserve(rackIds.size());
    for (const QVariant& id : rackIds)
        ids.append(id.toInt());
    RackZipExport exporter(m_database);
    exporter.setCameraSettingsReader(&Camera_Settings::ReadName);
    return exporter.exportToZipArchive(ids, fileName, append, call);
}
