#pragma once

#include "Errors.h"

#include <Hobject.h>

#include <QString>

// A picture kept on disk in a plain form until it is written in its stored format: the
// pixels of every channel, the format name and checksums, in one file. A spool file is
// written in one go under a private name and synced; its owner then moves it beside its
// picture (".<picture file name>.spool", renameIntoPlace), so the spool name only ever holds a
// whole file. Promoting writes the picture and only then removes the spool: a process killed
// at any instant leaves work that the next start can still finish.
class Halcon_PictureSpool {
public:
    // ".<name>.spool" in the folder of pictureFile.
    static QString spoolFileFor(const QString& pictureFile);

    // Writes file (which must not exist yet) and syncs it to the disk. 41 or a layer code for
    // a picture it cannot hold, 55 when the file cannot be written; nothing is left behind on
    // failure.
    static Errors::Type_Error write(const QString& file, const Halcon::Hobject& picture, const QString& format);
    // Reads a whole spool file back with full domain. 51 when it is missing, 54 when it is
    // torn, damaged or no spool file at all; picture and format are empty then.
    static Errors::Type_Error read(const QString& file, Halcon::Hobject& picture, QString& format);

    // Writes the picture of pictureFile's spool in the spool's format, syncs it and removes
    // the spool. 51 without a spool, 54 for a damaged one, else the write's code; the spool
    // stays on every failure, so a later run can try again.
    static Errors::Type_Error promote(const QString& pictureFile);

    // Pictures this process is turning from their spools into their files right now: a
    // clean-up of the folder leaves them alone. Thread-safe.
    static void setPending(const QString& pictureFile, bool pending);
    static bool isPending(const QString& pictureFile);
};
