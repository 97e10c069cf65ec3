#pragma once

#include "Database.h"

#include <QString>

// The files of stored results in the database picture folder, named after their rows
// ("<application>_<key as %08ld>_Rack.png", "..._Stitcher.png", "..._StitcherPicture.png"),
// and the private files a save writes there before its rows are committed:
// ".<application>_<Rack|Stitcher>_<database key>_<unique part>" with ".png" (encoded) or
// ".spool" (pixels for the background writer), and a write of either cut off half way (six
// random characters more). The database key tells whose private file it is when several
// databases share the folder.
class ResultPictureNames {
public:
    enum Kind { Rack, Stitcher, StitcherPicture };

    // What a file name in the picture folder is.
    struct Entry {
        enum Type { Other, Picture, PrivateFile };
        Type type = Other;
        Kind kind = Rack;
        Database::ID id = -1;          // Picture
        QString databaseKey;           // PrivateFile
    };

    static QString fileName(Kind kind, Database::ID id);
    static QString path(const QString& folder, Kind kind, Database::ID id);
    // Start of the private files of a save of that kind for the database of that key, and the
    // suffix of its pictures.
    static QString privatePrefix(Kind kind, const QString& databaseKey);
    static QString pictureSuffix();
    // A key as databases get them: 32 small hexadecimal digits.
    static bool isDatabaseKey(const QString& key);

    static Entry classify(const QString& name);
};
