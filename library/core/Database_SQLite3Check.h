#pragma once

#include <QString>
#include <QStringList>

class QSqlDatabase;

// Whether an SQLite3 file may be used. The full check (integrity_check) also compares every
// index with its table; an index that only lacks entries of rows its table holds (a lost
// write of an index page) is rebuilt from the table in one transaction and the file checked
// again; anything else is damage and nothing is written to the file. Both checks read the
// whole file, seconds for a file of a gigabyte, so an open takes only the depth that the
// file's history asks for (depthFor).
class Database_SQLite3Check {
public:
    enum Depth {
        None,  // untouched since this process checked it and left it
        Quick, // changed since by commits of another SQLite connection only: the structure
        Full,  // first open by this process, a write cut off beside it (a rollback journal
               // left by a run that did not end), or changed by anything but a commit
    };

    // Decided before the open, while a journal left by a killed run still lies beside it.
    static Depth depthFor(const QString& filePath);
    // filePath was opened after its check and is closed now, sound as this process leaves it.
    static void leaving(const QString& filePath);

    // true when the file is sound (Full: perhaps after rebuilding indexes); else problems
    // holds the first few lines of what is wrong. None checks nothing.
    static bool check(QSqlDatabase& connection, Depth depth, QStringList& problems);

    // Seam for tests: told the depth of every check (None included). Null: nobody is told.
    using Observer = void (*)(Depth depth);
    static void setObserver(Observer observer);
};
