#pragma once

#include "Errors.h"

#include <QString>

class ApplicationDatabase;

// Puts right, when a database opens, what killed saves left in its picture folder. A spool
// whose row was committed becomes its picture; spools of rows that were never committed,
// private files of saves, pictures whose write was cut off, and stitcher pictures that no row
// names are removed. Spools are finished before anything is removed. Only names of
// ResultPictureNames are touched, a picture that a row names is never removed, and neither is
// anything the background writers of this process are still working on. GUI thread.
class ResultPictureRecovery {
public:
    struct Report {
        int promoted = 0;
        int removed = 0;
        int failed = 0; // spools kept for a later start (their picture could not be written)
    };

    // 0, or 85 when the rows could not be read (nothing is touched then).
    static Errors::Type_Error run(ApplicationDatabase& database, const QString& pictureFolder, Report* report = nullptr);
};
