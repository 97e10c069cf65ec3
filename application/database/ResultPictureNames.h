#pragma once

#include "Database.h"

#include <QString>

// The files of stored results in the database picture folder, named after their rows
// ("<application>_<key as %08ld>_Rack.png", "..._Stitcher.png", "..._StitcherPicture.png"),
// and the other files a save makes there: private files written before the rows have keys,
// spools of pictures still to be written in their format, and a picture's write cut off half
// way. Only names of these kinds are ever removed from the folder by the program.
class ResultPictureNames {
public:
    enum Kind { Rack, Stitcher, StitcherPicture };

    // What a file name in the picture folder is.
    struct Entry {
        enum Type { Other, Picture, Spool, UnfinishedPicture, PrivateFile };
        Type type = Other;
        Kind kind = Rack;
        Database::ID id = -1;
        QString pictureName; // the picture it belongs to (Picture, Spool, UnfinishedPicture)
    };

    static QString fileName(Kind kind, Database::ID id);
    static QString path(const QString& folder, Kind kind, Database::ID id);
    // Start of the private files of a save of that kind, and the suffix of its pictures.
    static QString privatePrefix(Kind kind);
    static QString pictureSuffix();

    static Entry classify(const QString& name);
};
