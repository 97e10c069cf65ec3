#include "SqlServerOdbc.h"

#include "Database.h"

namespace SqlServerOdbc {

QString freeTdsConnectionTemplate()
{
    return QStringLiteral("DRIVER={FreeTDS};SERVER=%1;DATABASE=%2");
}

void useFreeTds()
{
    if (Database::connectionTemplate(Database::KindMSSQLServer)
        == Database::defaultConnectionTemplate(Database::KindMSSQLServer))
        Database::setConnectionTemplate(Database::KindMSSQLServer, freeTdsConnectionTemplate());
}

} // namespace SqlServerOdbc
