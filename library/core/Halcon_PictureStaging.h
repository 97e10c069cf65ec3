#pragma once

#include "Errors.h"

#include <Hobject.h>

#include <QList>
#include <QString>
#include <QStringList>

#include <mutex>

class Halcon_AsynchronImageSave;

// The pictures of one stored result, written under private names before their rows and given
// their rows' names only once the rows are committed: a picture name never holds a picture
// whose row may still be undone. Written at once, a picture is encoded in its format into its
// private file; for the background writer its pixels go into a private spool file
// (Halcon_PictureSpool), which the writer later turns into the picture. The names of the
// private files are known before anything is written, so that they can be recorded first.
// Whatever is not committed is removed when the object goes. One thread at a time: write()
// may run on another thread than the rest.
class Halcon_PictureStaging {
public:
    // Private files are named privatePrefix + a unique part + ".spool" (for the background
    // writer) or pictureSuffix (written at once) inside folder. saver null: the pictures are
    // written at once.
    Halcon_PictureStaging(const QString& folder, const QString& privatePrefix, const QString& pictureSuffix,
                          const QString& format, Halcon_AsynchronImageSave* saver, unsigned int delayMs);
    ~Halcon_PictureStaging();
    Halcon_PictureStaging(const Halcon_PictureStaging&) = delete;
    Halcon_PictureStaging& operator=(const Halcon_PictureStaging&) = delete;

    // Checks the picture and the folder (41 or a layer code, 50, 52, 53); writes nothing.
    // Pictures are numbered in the order added.
    Errors::Type_Error add(const Halcon::Hobject& picture);
    // The absolute paths of the private files, one per picture added.
    QStringList privateFiles() const;
    // Writes every picture added to its private file: 55 or the write's code, and nothing
    // left behind, on failure.
    Errors::Type_Error write();
    // Picture number index is to take the name pictureFile.
    Errors::Type_Error place(int index, const QString& pictureFile);
    // The rows are committed; a picture not placed is removed. At once: every placed picture
    // takes its name now, never over a file that has it already; on failure (55) the pictures
    // named so far are removed again and the caller undoes its rows. With the writer: the
    // placed spools are queued.
    Errors::Type_Error commit();

private:
    struct Staged {
        Halcon::Hobject picture;
        QString privateFile;
        QString pictureFile; // empty until placed
        bool written = false;
    };

    QString m_folder;
    QString m_privatePrefix;
    QString m_pictureSuffix;
    QString m_format;
    Halcon_AsynchronImageSave* m_saver;
    unsigned int m_delayMs;
    // Orders the write on another thread before the naming that follows it.
    mutable std::mutex m_mutex;
    QList<Staged> m_staged;
    bool m_committed;
};
