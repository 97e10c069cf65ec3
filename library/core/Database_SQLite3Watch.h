#pragma once

#include <QString>

#include <memory>

class QSqlDatabase;
struct sqlite3;

// Follows an SQLite3 file through this process's connection to it, and after the connection
// has closed: the file counts as left sound only while nothing but that connection's own
// commits has written it since its check. Every other write (another program overwrote a page,
// another connection committed, the file was written anew, even into the same inode) is seen by
// a kernel watch on the file, whatever the times and the inode say, and takes the proof away.
// Where the watch cannot be had (no inotify, a network file system whose writers it cannot
// see), nothing is ever proven and every open checks fully.
class Database_SQLite3Watch {
public:
    struct Record;

    // On the open connection, before its check. provenSound: the file is as this process left
    // it sound (the check takes nothing).
    Database_SQLite3Watch(QSqlDatabase& connection, const QString& filePath, bool provenSound);
    ~Database_SQLite3Watch();
    Database_SQLite3Watch(const Database_SQLite3Watch&) = delete;
    Database_SQLite3Watch& operator=(const Database_SQLite3Watch&) = delete;

    // The check found the file sound.
    void checked();
    // Before the connection closes: the file stays recorded as left sound when it was checked,
    // only its own commits wrote it and it is as the last of them left it.
    void leaving();

    // The file is as this process left it sound.
    static bool untouched(const QString& filePath);

private:
    static int commitStarts(void* watch);
    static int statementEnded(unsigned type, void* watch, void* statement, void* detail);
    void unhook();

    sqlite3* m_handle = nullptr;
    QString m_filePath;
    std::shared_ptr<Record> m_record;
    bool m_inCommit = false;
};
