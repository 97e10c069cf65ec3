#pragma once

#include "Errors.h"

#include <QString>
#include <QVariantList>

class ApplicationDatabase;
class Automation_Call;
class Camera;
class ColonyAnalyserGui;
class ColonySettingsFiles;
class InstrumentSettings;
class PictureFileLoader;

// The colony analysis as the automation clients drive it, where it adds to the Colony Analyser
// page's own entry points: start on the camera's last picture with settings given by name,
// read the picture centre's position for a channel, save the result into the database and
// export racks into a zip archive. The analysis runs in the page's worker; these operations
// return at once, or, given an automation call, wait as part of it (Automation_Call: their
// outputs are written when the wait ends and must live until then). GUI thread; no message
// boxes, the same stand-alone and as automation server.
class ColonyAnalysisOperations {
public:
    // operatorReads: the picture reads of the operator's commands for the page. The page
    // counts as running while one is under way, and a client's start, stop or reset drops it.
    ColonyAnalysisOperations(ColonySettingsFiles& settingsFiles, Camera* camera, ColonyAnalyserGui* page,
                             const InstrumentSettings* instrument, ApplicationDatabase* database,
                             PictureFileLoader* operatorReads);

    // 104 for a name that is no plain name, 150 when its settings do not load, else the
    // page's reset, 15 without a camera picture, or the start's code.
    Errors::Type_Error start(const QString& settingsName, Automation_Call* call = nullptr);
    Errors::Type_Error stop(Automation_Call* call = nullptr);
    Errors::Type_Error reset(Automation_Call* call = nullptr);
    Errors::Type_Error checkRunning(bool& running);
    // 104 for a channel above 16 (or negative); channel 0 gives the plain position, 1 to 16
    // the position minus that channel's offsets.
    Errors::Type_Error lldPosition(int channel, double& x_mm, double& y_mm);
    // rackId is -1 unless the rack was stored. 104, before the wait for the analysis, for a
    // barcode or description longer than the database keeps. A failed pruning of old racks
    // does not fail the save: the page keeps that code apart (ColonyAnalyserGui::lastPruneError).
    Errors::Type_Error saveResult(bool asynchronPictureSave, const QString& barcode, const QString& description,
                                  int imageStitcherId, int& rackId, Automation_Call* call = nullptr);
    Errors::Type_Error checkAsynchronSaveFinish(bool& finished);
    // Elements that are no number count as rack 0; 104 for more than RackZipExport's maximum.
    // With a call the archive is written on another thread (RackZipExport).
    Errors::Type_Error exportToZipArchive(const QVariantList& rackIds, const QString& fileName, bool append,
                                          Automation_Call* call = nullptr);

private:
    ColonySettingsFiles& m_settingsFiles;
    Camera* m_camera;
    ColonyAnalyserGui* m_page;
    const InstrumentSettings* m_instrument;
    ApplicationDatabase* m_database;
    PictureFileLoader* m_operatorReads;
};
