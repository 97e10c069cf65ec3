#pragma once

#include "Errors.h"

#include <QString>
#include <QStringList>

// The one check before a file that a client or the operator names is written (exports,
// saved pictures): such a file must never replace the program's own data. Refused are the
// files of an open database with their journals, everything in the database picture folder
// and in the program's settings folder, and whatever exists but is no regular file (a
// folder, a device, a pipe). Paths are compared as the file system reaches them: relative
// parts, "..", and symbolic links resolved. Thread-safe.
class ExportTarget_Guard {
public:
    // The application's code for a parameter it does not support.
    static constexpr Errors::Type_Error ErrorRefused = 104;

    // 0 when target may be written (an empty name is left to the writer), else ErrorRefused;
    // nothing is touched either way.
    static Errors::Type_Error check(const QString& target);

    // Protects paths (each with everything beneath it) under owner's key, replacing what that
    // owner protected before; relative paths count from the current folder at this call.
    static void protect(const void* owner, const QStringList& paths);
    static void release(const void* owner);

    // The files a database file keeps beside it while it is open.
    static QStringList databaseFiles(const QString& databaseFile);

    // The path as the file system reaches it: absolute, every symbolic link followed, also
    // those of folders above a file that does not exist yet.
    static QString resolvedPath(const QString& path);

    // What an owner's protected paths are, so that a refusal can name them; kept until
    // release(owner). Database files: the first path is the database, the others its journals.
    enum class Kind { OwnData, DatabaseFiles, PictureFolder };
    static void describe(const void* owner, Kind kind);

    // Why check() refuses target, in words for the operator ("it is the open database");
    // empty when it does not refuse it.
    static QString refusalReason(const QString& target);
};
