#pragma once

#include "CommandFailureBox.h"
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
class PictureFileLoader;
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
        // The picture reads of the Image Stitcher page.
        PictureFileLoader* loader = nullptr;
        // The colony page's, dropped with the stitcher's when a demo starts.
        PictureFileLoader* colonyLoader = nullptr;
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
    // Resets the Image Stitcher page, reads the pictures off the GUI thread and starts the
    // page on them once they are read. A failure gets its box, then the follow-up's, when it
    // happens: false when the page did not reset; a picture that cannot be read or a start
    // that fails are found later.
    bool stitchPictureFiles(const QStringList& paths,
                            const CommandFailureBox::Followup& followup = CommandFailureBox::Followup());

private:
    Parts m_parts;
};
