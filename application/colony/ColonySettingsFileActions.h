#pragma once

#include <SettingsFileActions.h>

#include <QObject>
#include <QString>

class ColonySettings;
class ColonySettingsGui;
class IColonySettingsHost;

// The load, save, save-as and defaults actions of the colony settings editor and its offer
// to save modified settings, with the colony texts, through the host's file operations.
// The editor's modified mark changes only through the record's custom signal 3. GUI thread
// only.
class ColonySettingsFileActions : public QObject {
    Q_OBJECT
public:
    // Nothing is owned; the editor is the parent of every box.
    ColonySettingsFileActions(ColonySettingsGui* editor, IColonySettingsHost* host, ColonySettings* settings);

    // false when the operator wanted the modified settings saved and that failed or was
    // cancelled: the caller must then keep them.
    bool askSaveModified() { return m_actions.askSaveModified(); }
    // Before the window closes: also for settings bound to no file or to a demo file (saved
    // through Save As), with Cancel. false when the close must not go on.
    bool askSaveModifiedBeforeClose();
    // The settings name shown for a file: no folder, no ".ColonySettings".
    static QString baseName(const QString& fileName);

public slots:
    void slot_SettingsLoad_clicked() { m_actions.load(); }
    // true when the settings were written.
    bool slot_SettingsSave_clicked() { return m_actions.save(); }
    bool slot_SettingsSaveAs_clicked() { return m_actions.saveAs(); }
    void slot_SettingsSetDefaults_clicked();
    void slot_Action_SettingsSetDefaultsForLightTable_triggered();
    void slot_Action_SettingsSetDefaultsForLightTableXL_triggered();

private:
    void setDefaults(const QString& question, bool lightTable);

    IColonySettingsHost* m_host;
    ColonySettings* m_settings;
    SettingsFileActions m_actions;
};
