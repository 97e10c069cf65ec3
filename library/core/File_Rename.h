#pragma once

#include <QString>

// Gives a finished file its name without ever replacing a file that already has that name,
// atomically: another program's file of that name, written a moment before, stays whole.
class File_Rename {
public:
    enum Result { Renamed, NameTaken, Failed };

    // Renames from to to (one file system; the caller syncs the folder). NameTaken: to exists
    // (also as a link); from is unchanged then, as on Failed.
    static Result withoutReplacing(const QString& from, const QString& to);
};
