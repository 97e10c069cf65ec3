#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QFileDevice;
class QTemporaryFile;

// The one way this program replaces a file. Written under a private name beside its target,
// synced, and renamed over the target only once it is complete, then the folder synced: a
// reader, a kill or a power cut finds the old file or the whole new one, a failed write leaves
// the old one, and a symbolic link at the target is itself replaced, never written through (it
// may point at anything, the database too; QSaveFile writes through it and syncs no folder).
// Going without commit removes what was written.
class ReplacingFile {
public:
    explicit ReplacingFile(const QString& target);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // The whole file at once; false (and the target untouched) when it cannot be placed.
    static bool write(const QString& target, const QByteArray& bytes);

    QString target() const { return m_target; }
    // Makes the private file, open for reading and writing; false when it cannot be made.
    bool open();
    // Between open and commit or discard.
    bool isOpen() const { return m_file != nullptr; }
    // The private file; only after a successful open.
    QFileDevice& file();
    // Puts the written file in place of the target: a replaced file keeps its permissions, a
    // new one gets the usual ones. false (and the target untouched) when that fails.
    bool commit();
    // Removes what was written; the target stays as it was.
    void discard();

private:
    QString m_target;
    std::unique_ptr<QTemporaryFile> m_file;
};
