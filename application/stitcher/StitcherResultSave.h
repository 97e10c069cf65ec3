#pragma once

#include "Database.h"
#include "Errors.h"

#include <DatabaseTableZelvorinImageStitcher.h>
#include <DatabaseTableZelvorinImageStitcherPicture.h>

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class ApplicationDatabase;
class ResultPictureFiles;
class Halcon_AsynchronImageSave;
class StitcherResult;

// Stores a stitcher result: one stitcher row, one picture row per position and, when asked,
// the stitched picture "<application>_<id>_Stitcher.png" and the position pictures
// "<application>_<id>_StitcherPicture.png" in the picture folder.
//
// The rows go in one transaction. Every picture is on disk before it, under a private name
// (encoded when written at once, as a spool for the background writer, ResultPictureFiles),
// and takes its row's name only after the commit: a failure leaves neither rows nor files, a
// committed result always has its pictures or what a start needs to finish them, and a name
// never holds a picture of a result that was undone.
class StitcherResultSave {
public:
    struct Options {
        bool asynchronPictureSave = false;
        QString rackBarcode;
        QString description;
        bool saveInputPictures = false;
        bool saveOutputPicture = false;
    };

    static constexpr Errors::Type_Error ErrorNoDatabase = 84;

    // database and saver are borrowed; saver may be null when pictures are written at once.
    StitcherResultSave(ApplicationDatabase* database, Halcon_AsynchronImageSave* saver, const QString& pictureFolder);
    ~StitcherResultSave();
    StitcherResultSave(const StitcherResultSave&) = delete;
    StitcherResultSave& operator=(const StitcherResultSave&) = delete;

    // o_stitcherID := the new stitcher row, -1 on failure. runError is stored as the row's
    // ErrorCode. On success the result's rows carry their new identifiers and file paths; on a
    // failure the result is as it was.
    Errors::Type_Error save(StitcherResult& result, Errors::Type_Error runError, const Options& options,
                            Database::ID& o_stitcherID);

    // The same save in steps, for a caller that does not wait for the picture files: begin()
    // takes what it stores of result and plans the pictures, the writer from pictureWriter()
    // encodes them (once, on any thread), finish() stores the rows and names the pictures, and
    // applyTo() gives the stored rows to the result begun with, if the caller still holds it.
    // A step that fails ends the save; what it made goes when the object goes. A writer still
    // at work then removes its files itself. GUI thread, but for the writer.
    Errors::Type_Error begin(const StitcherResult& result, Errors::Type_Error runError, const Options& options);
    std::function<Errors::Type_Error()> pictureWriter() const;
    Errors::Type_Error finish(Database::ID& o_stitcherID);
    void applyTo(StitcherResult& result) const;

    static QString stitchedPictureFileName(Database::ID stitcherId);
    static QString positionPictureFileName(Database::ID stitcherPictureId);
    static QString picturePath(const QString& pictureFolder, const QString& fileName);

private:
    ApplicationDatabase* m_database;
    Halcon_AsynchronImageSave* m_saver;
    QString m_folder;
    std::unique_ptr<ResultPictureFiles> m_pictures;
    DatabaseTableZelvorinImageStitcher::Dataset m_row;
    QList<DatabaseTableZelvorinImageStitcherPicture::Dataset> m_positionRows;
    bool m_withStitched = false;
    bool m_withPositions = false;
};
