#pragma once

#include "Database.h"
#include "Errors.h"
#include "ResultPictureNames.h"

#include <Hobject.h>

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class ApplicationDatabase;
class Halcon_AsynchronImageSave;
class Halcon_PictureStaging;

// The picture files of one result a save stores. Before any file is made, the database's
// picture plan records the private files about to be written, in a transaction of its own;
// inside the rows' transaction each plan row gets the picture name its result row takes; only
// after the rows' commit does a picture get that name (at once, or by the background writer).
// A process killed at any instant leaves nothing that the plan does not name, and a name
// never holds a picture whose row may still be undone (ResultPictureRecovery finishes or
// removes what is left). A save that fails removes its private files and its plan rows. GUI
// thread, but for fileWriter()'s writer.
class ResultPictureFiles {
public:
    // kind: Rack, or Stitcher for the stitched and position pictures. saver null: the
    // pictures are written at once.
    ResultPictureFiles(ApplicationDatabase* database, const QString& folder, ResultPictureNames::Kind kind,
                       Halcon_AsynchronImageSave* saver);
    ~ResultPictureFiles();
    ResultPictureFiles(const ResultPictureFiles&) = delete;
    ResultPictureFiles& operator=(const ResultPictureFiles&) = delete;

    // Checks the picture and the folder (41 or a layer code, 50, 52, 53), or the database's
    // key (84, 85); writes nothing. Pictures are numbered in the order added.
    Errors::Type_Error add(const Halcon::Hobject& picture);
    // Records the plan and commits it, then writes the private files. Not inside a
    // transaction (85 there): the plan must be on disk before the first file.
    Errors::Type_Error write();
    // write() in two steps, for a caller that writes the files on another thread: plan() on
    // the GUI thread, then the writer, once, on any thread; nothing else of this object is
    // used until it returned. It holds the files on its own: when this object goes first,
    // what it wrote is removed once it is done, and the plan rows stay for a later open.
    Errors::Type_Error plan();
    std::function<Errors::Type_Error()> fileWriter() const;
    // The database open now is the one the plan went into (no other was opened since).
    bool isPlannedDatabase() const;

    // Inside the rows' transaction, for the row of picture index: insert() stores the row and
    // gives its key; while the name that key gives (nameOf) is taken in the folder (a picture
    // of another database that shares it) the row is taken away again by remove() and stored
    // anew, so that key stays unused. Then the plan row records the name, which pictureFile
    // receives.
    using Insert = std::function<Errors::Type_Error(Database::ID& key)>;
    using Remove = std::function<Errors::Type_Error(Database::ID key)>;
    using NameOf = std::function<QString(Database::ID key)>;
    Errors::Type_Error insertNamed(int index, const Insert& insert, const Remove& remove, const NameOf& nameOf,
                                   QString& pictureFile);

    // The rows are committed. At once: every picture takes its name now, and the plan rows
    // go; on failure (55, a name taken in the meantime) nothing keeps its name and the
    // caller undoes its rows. With the writer: the spools are queued.
    Errors::Type_Error commit();

private:
    bool isNameFree(const QString& pictureFile) const;

    ApplicationDatabase* m_database;
    QString m_folder;
    ResultPictureNames::Kind m_kind;
    Halcon_AsynchronImageSave* m_saver;
    QString m_key;
    std::shared_ptr<Halcon_PictureStaging> m_staging;
    QList<Database::ID> m_planIds;
    QStringList m_pictureFiles;
    bool m_committed;
};
