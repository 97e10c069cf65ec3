#pragma once

#include <QString>

// What one save keeps in a folder while it changes files there, so that what a killed save
// left behind can be told from everything else in it. The save's private files carry its key
// in their names, hidden and without the ending of the file they stand for, so that no list
// of settings files shows them; the record's own name says how far the save came. The saving
// process holds a lock on the record while it lives, so that another process never takes a
// running save for a killed one.
class ModelMatchingSaveRecord {
public:
    enum Stage {
        Stage_Writing, // private files are being made; no target has changed yet
        Stage_Placing, // targets are changing; the private copies are what puts them back
        Stage_Placed,  // every target is in place; the private files serve nothing more
    };

    // The record of key in folder, at Stage_Writing and locked; isValid() is false when it
    // cannot be made.
    ModelMatchingSaveRecord(const QString& folder, const QString& key);
    // Removes the record: the save is over, whichever way it went.
    ~ModelMatchingSaveRecord();
    ModelMatchingSaveRecord(const ModelMatchingSaveRecord&) = delete;
    ModelMatchingSaveRecord& operator=(const ModelMatchingSaveRecord&) = delete;

    bool isValid() const { return m_descriptor >= 0; }
    QString folder() const { return m_folder; }
    bool setStage(Stage stage);

    static QString newKey();
    // The name the save of key gives its private file for target, beside it: hidden, with
    // purpose and key after the target's name; the target's last suffix is repeated at the
    // end when keepSuffix (for writers that append their format's ending to a name without it).
    static QString privateName(const QString& target, const QString& purpose, const QString& key, bool keepSuffix);
    // Removes the private files and the records of the saves in folder that were killed while
    // writing or once every target was in place. Those killed while placing stay as they are,
    // for a person to look at, and so do the records a living process holds.
    static void sweep(const QString& folder);

private:
    QString recordPath(Stage stage) const;

    QString m_folder;
    QString m_key;
    Stage m_stage = Stage_Writing;
    int m_descriptor = -1;
};
