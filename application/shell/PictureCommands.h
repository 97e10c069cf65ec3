#pragma once

#include "CommandFailureBox.h"
#include "Errors.h"
#include "RackReevaluation.h"

#include <Hobject.h>

#include <QString>

class AnalyserGui;
class ApplicationDatabase;
class Automation_Call;
class CameraOperations;
class ColonyAnalyserGui;
class ColonySettings;
class ColonySettingsFiles;
class ColonySettingsGui;
class ImageStitcherGui;
class PictureFileLoader;
class StitcherCommands;
class QWidget;

// The operator's picture sources: a picture from the camera, from a file, a stored rack from
// the results database (analysed again with its stored or the current settings) and the
// colony demos, each into the page of the current view (Colony Analyser or Image Stitcher).
// Each first stops both pages and resets the current optical-axis
// correction, and shows every failure in a message box. Also the automation clients' choice
// of a stored rack by the operator. GUI thread.
class PictureCommands {
public:
    struct Parts {
        QWidget* window = nullptr;
        AnalyserGui* analyser = nullptr;
        ColonyAnalyserGui* page = nullptr;
        CameraOperations* camera = nullptr;
        ColonySettings* colonySettings = nullptr;
        ColonySettingsFiles* colonyFiles = nullptr;
        ColonySettingsGui* colonyEditor = nullptr;
        ApplicationDatabase* database = nullptr;
        ImageStitcherGui* stitcherPage = nullptr;
        StitcherCommands* stitcher = nullptr;
        // The picture reads of the Colony Analyser page and of the Image Stitcher page; a
        // picture command drops both.
        PictureFileLoader* loader = nullptr;
        PictureFileLoader* stitcherLoader = nullptr;
    };

    static QString demoPicturePath(const QString& baseName);
    static QString demoSettingsPath(const QString& baseName);

    explicit PictureCommands(const Parts& parts);

    void fromCamera();
    void fromFile();
    void fromDatabase();
    // baseName "Plate_gray" or "PetriPlate_gray".
    void colonyDemo(const QString& baseName);

    // Reads the picture off the GUI thread, then resets the Colony Analyser page and analyses
    // it there. Always true: a failure gets its box, then the follow-up's, once it is found.
    bool analysePictureFile(const QString& path,
                            const CommandFailureBox::Followup& followup = CommandFailureBox::Followup());

    // The results browser in its selection mode; rackId -1 unless the operator chose a rack.
    // Always 0. With a call the browser is part of it (MessageBox_Helper::open): rackId is
    // written when it closes and must live until then.
    Errors::Type_Error selectRack(int& rackId, Automation_Call* call = nullptr);

private:
    void stopAndResetCorrection();
    bool colonyView() const;
    void reevaluate(const RackReevaluation::Request& request);
    // Each false after its message box.
    bool loadPicture(const QString& path, Halcon::Hobject& picture);
    bool resetAndAnalyse(const Halcon::Hobject& picture, const QString& resetTitle);
    // Colony view: the page analyses the picture; stitcher view: it takes the picture on its
    // current tab.
    Errors::Type_Error resetCurrentPage();
    Errors::Type_Error placeOnCurrentPage(const Halcon::Hobject& picture);

    Parts m_parts;
    QString m_lastPictureFile;
};
