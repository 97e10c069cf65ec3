#pragma once

#include <QObject>
#include <QString>

class IImageStitcherSettingsHost;
class ImageStitcherSettings;
class ImageStitcherSettingsGui;

// The load, save, save-as and defaults actions of the image stitcher settings editor and its
// offer to save modified settings. It asks the operator (file dialogs and questions through
// the library's message boxes), lets the host read, write or reset the record and reports
// failures; it keeps no state. The editor's modified mark changes only through the record's
// custom signal 3. GUI thread only.
class ImageStitcherSettingsFileActions : public QObject {
    Q_OBJECT
public:
    // Nothing is owned; the editor is the parent of every box.
    ImageStitcherSettingsFileActions(ImageStitcherSettingsGui* editor, IImageStitcherSettingsHost* host,
                                     ImageStitcherSettings* settings);

    // false when the operator wanted the modified settings saved and that failed or was
    // cancelled: the caller must then keep them.
    bool askSaveModified();
    // The settings name shown for a file: no folder, no ".ImageStitcherSettings".
    static QString baseName(const QString& fileName);

public slots:
    void slot_SettingsLoad_clicked();
    // true when the settings were written.
    bool slot_SettingsSave_clicked();
    bool slot_SettingsSaveAs_clicked();
    void slot_SettingsSetDefaults_clicked();

private:
    bool saveTo(const QString& fileName);
    static QString fileFilter();

    ImageStitcherSettingsGui* m_editor;
    IImageStitcherSettingsHost* m_host;
    ImageStitcherSettings* m_settings;
};
