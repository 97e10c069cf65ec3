#pragma once

#include "Errors.h"

#include <QString>

// What the colony settings editor needs of the window that owns the one colony settings
// record and remembers its file: the file name, loading, saving and resetting the record,
// and the check marks of the actions that show the editor. The editor reads and writes no
// file itself. Implemented by the main window; tests pass a recording fake. GUI thread.
class IColonySettingsHost {
public:
    virtual ~IColonySettingsHost() = default;

    // The file the record was last loaded from, saved to or reset for; empty when none.
    virtual QString colonySettingsFileName() = 0;
    // true when the record was written to the file, which then becomes the current one.
    virtual bool saveColonySettings(const QString& fileName) = 0;
    // 0 when the record holds the file's values; the record's custom signals 1, 2 (false)
    // and 3 (false) have then been emitted, and with notify the change notice and code 20.
    virtual Errors::Type_Error loadColonySettings(const QString& fileName, bool notify) = 0;
    // The standard or the light-table defaults under the given file name, with the custom
    // signals 1, 2 (false) and 3 (false); with notify the change notice follows.
    virtual bool newColonySettings(bool lightTable, const QString& fileName, bool notify) = 0;
    // The editor was shown (true) or hidden (false).
    virtual void setColonySettingsActionsChecked(bool checked) = 0;
};
