#include "RackReevaluation.h"

#include "ColonyDatabaseGui.h"
#include "ColonySettings.h"
#include "CorrectionInfo.h"
#include "Halcon_Helper.h"

#include <QCoreApplication>

RackReevaluation::Request RackReevaluation::fromBrowser(const ColonyDatabaseGui& browser)
{
    Request request;
    request.mode = browser.reevaluateMode();
    request.pictureFilePath = browser.rackPictureFilePath();
    request.cameraSettingsXml = browser.rackCameraSettingsXml();
    request.colonySettingsXml = browser.rackColonySettingsXml();
    request.correctionText = browser.rackReferencePointsCorrection();
    return request;
}

Errors::Type_Error RackReevaluation::run(const Request& request, const ColonySettingsData& currentSettings,
                                         Analyser& analyser, ColonySettingsData* used)
{
    if (request.mode != 1 && request.mode != 2)
        return 0;

    ColonySettingsData settings = currentSettings;
    if (request.mode == 1) {
        ColonySettings stored;
        if (!stored.fromXmlString(request.colonySettingsXml))
            return ErrorSettings;
        settings = stored.data();
        settings.name = QCoreApplication::translate("RackReevaluation", "%1 (from database)").arg(stored.name);
    }

    Halcon::Hobject picture;
    const Errors::Type_Error loaded = Halcon_Helper::LoadImageFile(request.pictureFilePath, picture);
    if (loaded != 0)
        return loaded;

    // A rack stored without a correction is analysed with the neutral one.
    CorrectionInfo correction;
    if (!correction.fromText(request.correctionText))
        correction = CorrectionInfo();
    CorrectionInfo::setCurrent(correction);

    if (used)
        *used = settings;
    return analyser.analyse(settings, picture);
}
