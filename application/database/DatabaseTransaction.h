#pragma once

#include "Errors.h"

class ApplicationDatabase;

// One transaction of the application database for the life of the object: rolled back on
// destruction unless committed, so an early return after a failed row leaves nothing behind.
class DatabaseTransaction {
public:
    explicit DatabaseTransaction(ApplicationDatabase* database);
    ~DatabaseTransaction();
    DatabaseTransaction(const DatabaseTransaction&) = delete;
    DatabaseTransaction& operator=(const DatabaseTransaction&) = delete;

    // Result of the begin: 0, 84 without an open connection, 85 when the database refused.
    Errors::Type_Error beginResult() const { return m_beginResult; }
    Errors::Type_Error commit();
    void rollback();

private:
    ApplicationDatabase* m_database;
    Errors::Type_Error m_beginResult;
    bool m_active;
};
