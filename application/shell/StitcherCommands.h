#pragma once

#include "Errors.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

class ApplicationDatabase;
class ColonyAnalyserGui;
class ColonySettingsFiles;
class ColonySettingsGui;
class ImageStitcherGui;
class ImageStitcherSettings;
class ImageStitcherSettingsFiles;
class ImageStitcherSettingsGui;
class ModelMatching;
class QWidget;

// The operator's image stitcher commands: the stitcher demo and stitching a list of picture
// files on the Image Stitcher page. Every failure is shown in a message box. GUI thread.
class StitcherCommands {
    Q_DECLARE_TR_FUNCTIONS(MainWindowGui)
public:
    struct Parts {
        QWidget* window = nullptr;
        ImageStitcherGui* page = nullptr;
        ColonyAnalyserGui* colonyPage = nullptr;
        ModelMatching* crossModel = nullptr;
        ImageStitcherSettings* settings = nullptr;
        ImageStitcherSettingsFiles* files = nullptr;
        ImageStitcherSettingsGui* editor = nullptr;
        ColonySettingsFiles* colonyFiles = nullptr;
        ColonySettingsGui* colonyEditor = nullptr;
    };

    static QString demoSettingsPath(const QString& baseName);
    static QString demoColonySettingsPath(const QString& baseName);
    // The six views of the demo plate, in position order.
    static QStringList demoPicturePaths(const QString& baseName);

    explicit StitcherCommands(const Parts& parts);

    // baseName "QTray-Plate": the demo's stitcher and colony settings bound to no file, then
    // its six views stitched.
    void demo(const QString& baseName);
    // The results browser; a stored result stitched again with its stored settings (taken
    // over under their name + suffix) or the current ones.
    void fromDatabase(ApplicationDatabase* database, const QString& suffix);
    // Loads the pictures and starts the Image Stitcher page on them; false after a box.
    bool stitchPictureFiles(const QStringList& paths);

private:
    Parts m_parts;
};
