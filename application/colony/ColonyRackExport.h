#pragma once

#include "Database.h"
#include "Errors.h"

#include <QString>

class ApplicationDatabase;
struct ColonyRackRecord;

// The delimited colony results of one rack (ColonyResultExport writes them), read from the
// page's record or from the database. Neither source is changed.
class ColonyRackExport {
public:
    static constexpr Errors::Type_Error ErrorNoDatabase = 84;
    static constexpr Errors::Type_Error ErrorRackNotFound = 121;

    // Containers in report order, the colonies of each in arrival order, good and rejected.
    static Errors::Type_Error exportRecord(const ColonyRackRecord& rack, const QString& fileName,
                                           const QString& options);
    // Containers in ascending pick order; 121 for a rack without containers (or none at all).
    static Errors::Type_Error exportStored(ApplicationDatabase* database, Database::ID rackId, const QString& fileName,
                                           const QString& options);
};
