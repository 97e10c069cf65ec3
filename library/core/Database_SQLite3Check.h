#pragma once

#include <QString>
#include <QStringList>

class QSqlDatabase;

// Whether an SQLite3 file may be used. The full check (integrity_check) also compares every
// index with its table; an index that only lacks entries of rows its table holds (a lost
// write of an index page) is rebuilt from the table in one transaction and the file checked
// again; anything else is damage and nothing is written to the file. Both checks read the
// whole file, seconds for a file of a gigabyte, so an open skips it only for a file shown to
// be as this process left it sound (depthFor).
class Database_SQLite3Check {
public:
    enum Depth {
        None,  // nothing but this process's own commits wrote it since its full check
        Quick, // the structure only: indexes are not compared with their tables, so no open
               // takes it (another program's commit cannot be told from a file written anew)
        Full,  // everything else: a first open, a write cut off beside it (a rollback journal
               // left by a run that did not end), anything another program or connection wrote
    };

    // Decided before the open, while a journal left by a killed run still lies beside it.
    static Depth depthFor(const QString& filePath);

    // true when the file is sound (Full: perhaps after rebuilding indexes); else problems
    // holds the first few lines of what is wrong. None checks nothing.
    static bool check(QSqlDatabase& connection, Depth depth, QStringList& problems);

    // Seam for tests: told the depth of every check (None included). Null: nobody is told.
    using Observer = void (*)(Depth depth);
    static void setObserver(Observer observer);
};
