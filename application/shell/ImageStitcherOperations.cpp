#include "ImageStitcherOperations.h"

#include "AppErrors.h"
#include "Automation_Call.h"
#include "Camera.h"
#include "ClientTextBounds.h"
#include "ImageStitcherGui.h"
#include "ImageStitcherSettings.h"
#include "ImageStitcherSettingsFiles.h"
#include "PictureFileLoader.h"

#include <cmath>

ImageStitcherOperations::ImageStitcherOperations(ImageStitcherSettingsFiles& settingsFiles,
                                                 ImageStitcherSettings* settings, Camera* camera,
                                                 ImageStitcherGui* page, PictureFileLoader* operatorReads)
    : m_settingsFiles(settingsFiles)
    , m_settings(settings)
    , m_camera(camera)
    , m_page(page)
    , m_operatorReads(operatorReads)
{
    if (m_settings)
        m_stitched = QObject::connect(m_settings, &ImageStitcherSettings::signal_custom, m_settings,
                                      [this](int number, const QVariant&) {
                                          if (number != ImageStitcherSettings::CustomSignal_StitchedPicture
                                              || !m_started)
                                              return;
                                          m_started = false;
                                          m_pictures.clear();
                                      });
}

ImageStitcherOperations::~ImageStitcherOperations()
{
    QObject::disconnect(m_stitched);
}

Errors::Type_Error ImageStitcherOperations::assignPicturePosition(int position)
{
    if (unsigned(position) >= unsigned(PositionsCount))
        return AppErrors::PicturePositionOutOfRange;
    Halcon::Hobject picture;
    if (const Errors::Type_Error code = m_camera->GetPicture(picture))
        return code;
    while (m_pictures.size() < PositionsCount)
        m_pictures.append(Halcon::Hobject());
    m_pictures[position] = picture;
    return 0;
}

Errors::Type_Error ImageStitcherOperations::start(const QString& settingsName, Automation_Call* call)
{
    QString path;
    if (const Errors::Type_Error code = ImageStitcherSettingsFiles::pathOfName(settingsName, path))
        return code;
    // The current file is not read again, so edits made since it was loaded stay in force.
    if (!path.isEmpty() && path != m_settingsFiles.fileName())
        if (const Errors::Type_Error code = m_settingsFiles.load(path, false))
            return code;
    return startPage(call);
}

Errors::Type_Error ImageStitcherOperations::start2(const QString& settingsName, double agarHeight_mm,
                                                   Automation_Call* call)
{
    if (!std::isfinite(agarHeight_mm))
        return AppErrors::ParameterIncorrect;
    QString path;
    if (const Errors::Type_Error code = ImageStitcherSettingsFiles::pathOfName(settingsName, path))
        return code;
    if (!path.isEmpty()) {
        if (const Errors::Type_Error code = m_settingsFiles.load(path, false))
            return code;
        // In memory only: the next load of the file restores the stored distance.
        m_settings->data().DistancePointsPlaneToAgarPlane = agarHeight_mm;
    }
    return startPage(call);
}

Errors::Type_Error ImageStitcherOperations::startPage(Automation_Call* call)
{
    // A start during a run restarts it with the same pictures, also when the reset's wait
    // delivers the running job's stitched picture, which forgets them.
    const auto pictures = m_pictures;
    m_operatorReads->cancel();
    return Errors::Type_Error(Automation_Call::then(call, m_page->Reset(call), [this, pictures](int code) -> int {
        if (code != 0)
            return code;
        m_pictures = pictures;
        const Errors::Type_Error started = m_page->Start(m_pictures);
        m_started = started == 0;
        return started;
    }));
}

Errors::Type_Error ImageStitcherOperations::stop(Automation_Call* call)
{
    m_operatorReads->cancel();
    return m_page->Stop(call);
}

Errors::Type_Error ImageStitcherOperations::reset(Automation_Call* call)
{
    m_started = false;
    m_pictures.clear();
    m_operatorReads->cancel();
    return m_page->Reset(call);
}

Errors::Type_Error ImageStitcherOperations::checkRunning(bool& running)
{
    // An operator's pictures still being read are a start under way.
    if (m_operatorReads->isLoading()) {
        running = true;
        return 0;
    }
    return m_page->CheckRunning(running);
}

Errors::Type_Error ImageStitcherOperations::saveResult(bool asynchronPictureSave, const QString& barcode,
                                                       const QString& description, bool saveInputPictures,
                                                       bool saveOutputPicture, int& stitcherId, Automation_Call* call)
{
    stitcherId = -1;
    // Refused before anything of the result is written.
    if (!ClientTextBounds::fitsBarcode(barcode) || !ClientTextBounds::fitsText(description))
        return AppErrors::ParameterIncorrect;
    // The page writes the identifier only for a stored result.
    return m_page->SaveResult(asynchronPictureSave, barcode, description, saveInputPictures, saveOutputPicture,
                              stitcherId, call);
}

Errors::Type_Error ImageStitcherOperations::checkAsynchronSaveFinish(bool& finished)
{
    return m_page->SaveResult_CheckAsynchronSaveFinish(finished);
}
