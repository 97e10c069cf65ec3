#pragma once

#include "AppErrors.h"
#include "Errors.h"

#include <QString>

class ImageStitcherSettings;
struct ImageStitcherSettingsData;
struct ModelMatchingLoadedFiles;
class ImageStitcherSettingsGui;
class ModelMatching;

// The one image stitcher settings record, the cross model's files beside its file and the
// file it was last loaded from, saved to or reset for: loading, saving, resetting and taking
// over another record's values, each announced through the record's custom signals (1
// replaced, 2 values changed, 3 modified) with change notices blocked meanwhile. GUI thread;
// no message boxes of its own.
class ImageStitcherSettingsFiles {
public:
    static constexpr Errors::Type_Error ErrorCannotLoad = AppErrors::CannotLoadImageStitcherSettings;

    // Read at start.
    static QString defaultFilePath();

    ImageStitcherSettingsFiles(ImageStitcherSettings* settings, ModelMatching* crossModel);

    // The editor that offers to save modified settings before they are replaced.
    void setEditor(ImageStitcherSettingsGui* editor) { m_editor = editor; }

    QString fileName() const { return m_fileName; }
    // Demo settings are bound to no file.
    void clearFileName() { m_fileName.clear(); }

    // 202 when the file does not load, names no plain settings name or a wanted save of
    // modified settings did not happen; the cross model's code when its files do not load.
    // The record, the cross model and the file name change only when all of it loaded. Code
    // 30 ends a successful load. What killed saves left in the file's folder goes first, as
    // far as it is safe (ModelMatchingPendingFiles::sweep).
    Errors::Type_Error load(const QString& file, bool notify);
    // The cross model's files beside file and the record, all put in place or none; the file
    // becomes the current one only then.
    bool save(const QString& file);
    // The defaults under the given file name; always true.
    bool reset(const QString& file, bool notify);
    // Another record's values under the given file name, with the cross model's files that
    // lie beside that name; taken as load takes a file.
    Errors::Type_Error takeOver(ImageStitcherSettings& other, const QString& file, bool notify);

    // An automation client's settings name as a file path: 104 for a name that is no plain
    // name; an empty name gives an empty path (keep the current settings).
    static Errors::Type_Error pathOfName(const QString& name, QString& path);

    // At start: the default file is loaded with what of the cross model's files beside it
    // reads (ModelMatching::ReadAvailableFiles), or a missing one gets the defaults written
    // to it with the cross model's files. One that exists but does not load (or names no
    // plain settings name) is kept untouched, the record holds the defaults under no file
    // name, and false comes back.
    bool loadAtStart(const QString& file);

private:
    // The base name the record gets when saved to file.
    static QString nameOfFile(const QString& file);
    bool offerToSave();
    void announceReplaced(bool notify);
    // Reads the cross model's files beside file for data, then takes both; nothing changes
    // on failure.
    Errors::Type_Error takeWithCrossModel(const ImageStitcherSettingsData& data, const QString& file, bool notify);
    // With change notices blocked: the values, the cross model's files, the file name.
    void take(const ImageStitcherSettingsData& data, const ModelMatchingLoadedFiles& files, const QString& file,
              bool notify);

    ImageStitcherSettings* m_settings;
    ModelMatching* m_crossModel;
    ImageStitcherSettingsGui* m_editor = nullptr;
    QString m_fileName;
};
