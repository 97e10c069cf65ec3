#pragma once

#include <Errors.h>

#include <QString>

// What the image stitcher settings editor needs of the window that owns the one stitcher
// settings record and remembers its file: the file name, loading, saving and resetting the
// record (with the cross model's files beside it), and the check marks of the actions that
// show the editor. The editor reads and writes no file itself. Implemented by the main
// window; tests pass a recording fake. GUI thread.
class IImageStitcherSettingsHost {
public:
    virtual ~IImageStitcherSettingsHost() = default;

    // The file the record was last loaded from, saved to or reset for; empty when none.
    virtual QString imageStitcherSettingsFileName() = 0;
    // true when the record and the cross model's files were written; the file then becomes
    // the current one.
    virtual bool saveImageStitcherSettings(const QString& fileName) = 0;
    // 0 when the record holds the file's values; the record's custom signals 1, 2 (false)
    // and 3 (false) have then been emitted, and with notify the change notice and code 30.
    virtual Errors::Type_Error loadImageStitcherSettings(const QString& fileName, bool notify) = 0;
    // The defaults under the given name, with the custom signals 1, 2 (false) and 3 (false)
    // when notify is set.
    virtual bool newImageStitcherSettings(const QString& name, bool notify) = 0;
    // The editor was shown (true) or hidden (false).
    virtual void setImageStitcherSettingsActionsChecked(bool checked) = 0;
};
