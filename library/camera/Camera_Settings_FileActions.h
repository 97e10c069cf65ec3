#pragma once

#include "Camera_Settings_Data.h"

#include <QObject>
#include <QString>

class Camera_Settings;
class Camera_Settings_Gui;

// The settings file of the camera settings editor: load, save, save as, defaults, taking
// over another record, and the offer to save unsaved changes. It keeps the file's name;
// the modified mark stays the editor's and changes only through the record's custom
// signal 3. Replacing the record's values announces custom signals 1, 2 (false) and 3
// (false) with the record's change notice held back, then lets the camera know only when
// asked to. GUI thread only.
class Camera_Settings_FileActions : public QObject {
    Q_OBJECT
public:
    // Neither is owned; the editor is the parent of every box and dialog.
    Camera_Settings_FileActions(Camera_Settings_Gui* editor, Camera_Settings* settings);

    QString fileName() const { return m_fileName; }
    // The settings name shown for a file: no folder, no ".camerasettings.xml".
    static QString baseName(const QString& fileName);

    // true when written; only then the name becomes current and the mark goes off.
    bool saveSettingsFile(const QString& fileName);
    bool setDefaultSettings(const QString& fileName, bool notify);
    void askSaveChangedSettings();
    // A file that cannot be read or parsed changes nothing: not the record, the form, the
    // camera, the name or the mark.
    bool loadSettingsFile(const QString& fileName, bool notify);
    bool setSettings(const Camera_Settings_Data& source, const QString& fileName, bool notify);

    // The editor's buttons.
    void load();
    void save();
    void saveAs();
    void setDefaults();

private:
    void replace(const Camera_Settings_Data& values, const QString& fileName, bool notify, int settleMs);
    void saveWithMessage(const QString& fileName);
    // text holds %1 for the settings name of the file.
    void showFileError(const QString& title, const QString& text, const QString& fileName);
    void setModified(bool modified);

    Camera_Settings_Gui* m_editor;
    Camera_Settings* m_settings;
    QString m_fileName;
};
