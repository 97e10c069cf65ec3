#pragma once

#include "Errors.h"

class ApplicationDatabase;

// Puts right, when a database opens, what its killed saves left: it looks only at the rows of
// the database's picture plan (DatabaseTableZelvorinPicturePlan) whose process is surely gone
// (Process_Identity). A private file whose picture name a committed result row holds becomes
// that picture (never over a file that already has the name); one that no row names is
// removed, with the pieces of its writes that were cut off; then the plan row goes. A file
// the plan does not name, a private file of another database's key, and the work of a
// process that lives (this one included) or cannot be judged are never touched. GUI thread.
class ResultPictureRecovery {
public:
    struct Report {
        int named = 0;   // pictures that got their names
        int removed = 0; // plans whose files were removed
        int kept = 0;    // plans left for later: their process lives, or the work failed
    };

    // 0, or the code of the plan that could not be read (nothing is touched then).
    static Errors::Type_Error run(ApplicationDatabase& database, Report* report = nullptr);
};
