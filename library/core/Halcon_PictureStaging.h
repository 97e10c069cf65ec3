#pragma once

#include "Errors.h"

#include <Hobject.h>

#include <QString>
#include <QStringList>

class Halcon_AsynchronImageSave;

// The pictures of one stored result, made ready on disk before its rows are written and
// given their rows' names while the rows' transaction is still open. Written at once, a
// picture is encoded in its format into a private file; for the background writer its pixels
// go into a private spool file (Halcon_PictureSpool), which the writer later turns into the
// picture. Either way a committed row finds its picture or a whole spool that a start can
// finish. Whatever is not committed is removed when the object goes. GUI thread.
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

    // Checks the picture and the folder (41 or a layer code, 50, 52, 53) and writes the
    // private file (55 or the write's code). Pictures are numbered in the order added.
    Errors::Type_Error add(const Halcon::Hobject& picture);
    // Moves picture number index to the name of pictureFile (its spool name for the
    // background writer), replacing a stray file of that name; 55 when it cannot.
    Errors::Type_Error place(int index, const QString& pictureFile);
    // The rows are committed: the placed spools go to the background writer and nothing is
    // removed any more.
    void commit();

private:
    struct Staged {
        QString privateFile;
        QString pictureFile; // empty until placed
    };

    QString m_folder;
    QString m_privatePrefix;
    QString m_pictureSuffix;
    QString m_format;
    Halcon_AsynchronImageSave* m_saver;
    unsigned int m_delayMs;
    QList<Staged> m_staged;
    bool m_committed;
};
