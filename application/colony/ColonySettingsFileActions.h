#pragma once

#include <QObject>
#include <QString>

class ColonySettings;
class ColonySettingsGui;
class IColonySettingsHost;

// The load, save, save-as and defaults actions of the colony settings editor and its offer
// to save modified settings. It asks the operator (file dialogs, questions through the
// library's message boxes), lets the host read, write or reset the record, and reports
// failures; it keeps no state. The editor's modified mark changes only through the
// record's custom signal 3. GUI thread only.
class ColonySettingsFileActions : public QObject {
    Q_OBJECT
public:
    // Nothing is owned; the editor is the parent of every box.
    ColonySettingsFileActions(ColonySettingsGui* editor, IColonySettingsHost* host, ColonySettings* settings);

    // false when the operator wanted the modified settings saved and that failed or was
    // cancelled: the caller must then keep them.
    bool askSaveModified();
    // The settings name shown for a file: no folder, no ".ColonySettings".
    static QString baseName(const QString& fileName);

public slots:
    void slot_SettingsLoad_clicked();
    // true when the settings were written.
    bool slot_SettingsSave_clicked();
    bool slot_SettingsSaveAs_clicked();
    void slot_SettingsSetDefaults_clicked();
    void slot_Action_SettingsSetDefaultsForLightTable_triggered();
    void slot_Action_SettingsSetDefaultsForLightTableXL_triggered();

private:
    bool saveTo(const QString& fileName);
    void setDefaults(const QString& question, bool lightTable);
    QString fileFilter() const;

    ColonySettingsGui* m_editor;
    IColonySettingsHost* m_host;
    ColonySettings* m_settings;
};
