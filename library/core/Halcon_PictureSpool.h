#pragma once

#include "Errors.h"

#include <Hobject.h>

#include <QString>

// A picture kept on disk in a plain form until it is written in its stored format: the
// pixels of every channel, the format name and checksums, in one file, written in one go under
// a private name and synced. Promoting encodes the picture beside the spool under the same
// private stem, removes the spool and only then gives the encoded file the picture's name,
// never replacing a file of that name: a process killed at any instant leaves either the spool
// or the whole encoded file, and the next start can finish the work.
class Halcon_PictureSpool {
public:
    // The encoded picture of a spool: the spool's name with pictureFile's suffix for ".spool".
    static QString encodedFileFor(const QString& spoolFile, const QString& pictureFile);

    // Writes file (which must not exist yet) and syncs it to the disk. 41 or a layer code for
    // a picture it cannot hold, 55 when the file cannot be written; nothing is left behind on
    // failure.
    static Errors::Type_Error write(const QString& file, const Halcon::Hobject& picture, const QString& format);
    // Reads a whole spool file back with full domain. 51 when it is missing, 54 when it is
    // torn, damaged or no spool file at all; picture and format are empty then.
    static Errors::Type_Error read(const QString& file, Halcon::Hobject& picture, QString& format);

    // Turns spoolFile into pictureFile (see above). Work found half done is taken up: an
    // encoded file already beside the spool is used as it is. 51 with neither spool nor
    // encoded file, 54 for a damaged spool (kept), 55 when the encoded file cannot be written
    // or pictureFile already exists (the encoded file is kept then), else the write's code.
    // 0 also for a picture discarded meanwhile: nothing is written and the spool is gone.
    static Errors::Type_Error promote(const QString& spoolFile, const QString& pictureFile);
    // Gives a finished encoded file the picture's name, as the last step of promote; the same
    // codes. For pictures written at once, which need no spool.
    static Errors::Type_Error placeEncoded(const QString& encodedFile, const QString& pictureFile);

    // Pictures this process is turning from their spools into their files right now; they
    // stay pending until their promotion has ended. Thread-safe.
    static void setPending(const QString& pictureFile, bool pending);
    static bool isPending(const QString& pictureFile);
    // The row of pictureFile is gone. true: the picture is pending and its promotion writes
    // nothing (or, already written, it is taken away again before the promotion ends); false:
    // nothing of this process will write it, the caller removes the file itself.
    static bool discard(const QString& pictureFile);

    // Seam for tests that end the process at a step of saving a picture; called with the
    // step's name. Null: nothing happens.
    using StepHook = void (*)(const char* step);
    static void setStepHook(StepHook hook);
    static void step(const char* name);
};
