#pragma once

#include "Errors.h"
#include "RackReevaluation.h"

#include <Hobject.h>

#include <QString>

class AnalyserGui;
class ApplicationDatabase;
class CameraOperations;
class ColonyAnalyserGui;
class ColonySettings;
class ColonySettingsFiles;
class ColonySettingsGui;
class ImageStitcherGui;
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
    };

    static QString demoPicturePath(const QString& baseName);
    static QString demoSettingsPath(const QString& baseName);

    explicit PictureCommands(const Parts& parts);

    void fromCamera();
    void fromFile();
    void fromDatabase();
    // baseName "Plate_gray" or "PetriPlate_gray".
    void colonyDemo(const QString& baseName);

    // Loads the picture and analyses it on the Colony Analyser page; false after a message box.
    bool analysePictureFile(const QString& path);

    // The results browser in its selection mode; rackId -1 unless the operator chose a rack.
    // Always 0.
    Errors::Type_Error selectRack(int& rackId);

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
