#pragma once

#include <QStringList>

class QSqlDatabase;

// Whether an SQLite3 file may be used: the full integrity check, which also compares every
// index with its table. An index that only lacks entries of rows its table holds (a lost
// write of an index page) is rebuilt from the table in one transaction; the file is then
// checked again. Anything else is damage and nothing is written to the file.
class Database_SQLite3Check {
public:
    // true when the file is sound, perhaps after rebuilding indexes; else problems holds the
    // first few lines of what is wrong.
    static bool check(QSqlDatabase& connection, QStringList& problems);
};
