#pragma once

#include <QString>

// MS SQL Server is reached through the FreeTDS ODBC driver of the package tdsodbc, registered
// in odbcinst.ini as "FreeTDS".
namespace SqlServerOdbc {

QString freeTdsConnectionTemplate();
// Makes the application's SQL Server connections use FreeTDS, unless an installation has set
// a connection template of its own. Process-wide; safe to call more than once.
void useFreeTds();

} // namespace SqlServerOdbc
