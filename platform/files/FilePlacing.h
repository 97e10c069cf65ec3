#pragma once

#include <QString>

#include <functional>

// The steps of putting a file under its name so that a kill or a power cut at any instant
// leaves the old file or the whole new one: its bytes written, the bytes synced, the rename,
// the folder synced.
enum class FilePlacingStep { Write, SyncFile, Rename, SyncFolder };

// Seam for tests: told each step, with the name the file takes (and for a rename the name it
// had), from whichever thread takes it. An empty observer: nobody is told.
using FilePlacingObserver = std::function<void(const QString& target, FilePlacingStep step, const QString& from)>;
void setFilePlacingObserver(FilePlacingObserver observer);
// Tells the observer, if any.
void noteFilePlacingStep(const QString& target, FilePlacingStep step, const QString& from = QString());

// Makes the entries of a folder (files created, renamed or removed in it) durable: after a
// power loss they are as they were at the call. false when the folder cannot be synced.
bool syncFolder(const QString& folder);
// Renames from onto to, replacing a file of that name (a symbolic link there is itself
// replaced), and syncs to's folder: the name then holds the whole file, also after a kill or
// a power loss. from's bytes are synced before. Both lie on one file system.
bool renameIntoPlace(const QString& from, const QString& to);
