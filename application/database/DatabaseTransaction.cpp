#include "DatabaseTransaction.h"

#include "ApplicationDatabase.h"

DatabaseTransaction::DatabaseTransaction(ApplicationDatabase* database)
    : m_database(database)
    , m_beginResult(database ? database->beginTransaction() : Errors::Type_Error(84))
    , m_active(m_beginResult == 0)
{
}

DatabaseTransaction::~DatabaseTransaction()
{
    rollback();
}

Errors::Type_Error DatabaseTransaction::commit()
{
    if (!m_active)
        return m_beginResult != 0 ? m_beginResult : Errors::Type_Error(85);
    m_active = false;
    return m_database->commitTransaction();
}

void DatabaseTransaction::rollback()
{
    if (!m_active)
        return;
    m_active = false;
    m_database->rollbackTransaction();
}
