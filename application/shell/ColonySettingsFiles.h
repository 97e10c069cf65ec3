#pragma once

#include "AppErrors.h"
#include "ColonySettingsData.h"
#include "Errors.h"

#include <QString>

class ColonySettings;
class ColonySettingsGui;

// The one colony settings record and the file it was last loaded from, saved to or reset
// for: loading, saving, resetting and taking over another record's values, each announced
// to the editor, the analyser page and the central page through the record's custom
// signals (1 replaced, 2 values changed, 3 modified), with change notices blocked while the
// record is replaced, so listeners see one replacement and at most one change notice.
// GUI thread; no message boxes of its own.
class ColonySettingsFiles {
public:
    static constexpr Errors::Type_Error ErrorCannotLoad = AppErrors::CannotLoadColonySettings;

    explicit ColonySettingsFiles(ColonySettings* settings);

    // The editor that offers to save modified settings before they are replaced; set once
    // it exists.
    void setEditor(ColonySettingsGui* editor) { m_editor = editor; }

    QString fileName() const { return m_fileName; }
    // Demo settings are bound to no file.
    void clearFileName() { m_fileName.clear(); }

    // 150 when the file does not load or the operator wanted the modified settings saved
    // and that did not happen; the record and the file name are then unchanged. With
    // notify the debounced change notice follows. Code 20 (colony work in focus) ends a
    // successful load.
    Errors::Type_Error load(const QString& file, bool notify, QString* reason = nullptr);
    // On success the file becomes the current one.
    bool save(const QString& file);
    // Standard or light-table defaults under the given file name; always true.
    bool reset(bool lightTable, const QString& file, bool notify);
    // The values and name of another record under the given file name; 0, or 150 when the
    // operator's wanted save of the modified settings did not happen.
    Errors::Type_Error takeOver(const ColonySettingsData& data, const QString& file, bool notify);

    // The automation clients' way: a settings name (empty: keep the current settings),
    // loaded without change notice unless it names the current file. 104 for a name that
    // is no plain name, else as load.
    Errors::Type_Error loadByName(const QString& name);

    // At start: the default file is loaded; a missing one gets the standard defaults written
    // to it; one that exists but does not load is kept untouched, the record holds the
    // defaults under no file name, and false comes back with the reason.
    bool loadAtStart(const QString& file, QString& reason);

private:
    // false when the caller must keep the current settings.
    bool offerToSave();
    void announceReplaced(bool notify, bool focus);

    ColonySettings* m_settings;
    ColonySettingsGui* m_editor = nullptr;
    QString m_fileName;
};
