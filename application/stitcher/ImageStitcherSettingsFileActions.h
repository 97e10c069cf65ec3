#pragma once

#include <SettingsFileActions.h>

#include <QObject>
#include <QString>

class IImageStitcherSettingsHost;
class ImageStitcherSettings;
class ImageStitcherSettingsGui;

// The load, save, save-as and defaults actions of the image stitcher settings editor and its
// offer to save modified settings, with the stitcher's texts, through the host's file
// operations. The editor's modified mark changes only through the record's custom signal 3.
// GUI thread only.
class ImageStitcherSettingsFileActions : public QObject {
    Q_OBJECT
public:
    // Nothing is owned; the editor is the parent of every box.
    ImageStitcherSettingsFileActions(ImageStitcherSettingsGui* editor, IImageStitcherSettingsHost* host,
                                     ImageStitcherSettings* settings);

    // false when the operator wanted the modified settings saved and that failed or was
    // cancelled: the caller must then keep them.
    bool askSaveModified() { return m_actions.askSaveModified(); }
    // The settings name shown for a file: no folder, no ".ImageStitcherSettings".
    QString baseName(const QString& fileName) const { return m_actions.baseName(fileName); }

public slots:
    void slot_SettingsLoad_clicked() { m_actions.load(); }
    // true when the settings were written.
    bool slot_SettingsSave_clicked() { return m_actions.save(); }
    bool slot_SettingsSaveAs_clicked() { return m_actions.saveAs(); }
    void slot_SettingsSetDefaults_clicked();

private:
    IImageStitcherSettingsHost* m_host;
    SettingsFileActions m_actions;
};
