#pragma once

#include "Errors.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QuaZip;
class ReplacingFile;

// Packs export files into a ZIP archive. Made with a parent only, it writes archives itself
// (Open, AddFile/AddData, Close). Made with a folder text, it hands a list of files to the
// external "zip" program instead (SetProgramArchive, AddProgramFile, ZipWithProgram).
class Zip_Helper : public QObject {
    Q_OBJECT
public:
    explicit Zip_Helper(QObject* parent = nullptr);
    Zip_Helper(const QString& folder, QObject* parent);
    // Finishes an archive that is still open.
    ~Zip_Helper() override;

    // The archive on disk is replaced (or extended) only when Close succeeds. A read-only
    // archive is refused; one to append to must be sound to its last entry and is written anew.
    Errors::Type_Error Open(const QString& archivePath, bool append);
    // An entry name already in the archive is skipped with 0. Names must be relative paths
    // with "/" separators and no "." or ".." parts, and be stored as UTF-8 exactly as given
    // (at most 65,535 bytes, no lone surrogates).
    Errors::Type_Error AddFile(const QString& entryName, const QString& filePath);
    Errors::Type_Error AddData(const QString& entryName, const QByteArray& data);
    Errors::Type_Error Close();

    Errors::Type_Error SetProgramArchive(const QString& archivePath);
    Errors::Type_Error AddProgramFile(const QString& filePath);
    Errors::Type_Error ZipWithProgram(QStringList& errorLines);
    // The program started by ZipWithProgram; "zip" from the search path unless set.
    void SetProgramPath(const QString& programPath);

    // Entry names the open archive holds: read when opened for append, plus those added.
    QStringList EntryNames() const { return m_entryNames; }

    // A safe relative entry name, or an empty string when the name must not be stored.
    static QString SanitizedEntryName(const QString& entryName);

private:
    Errors::Type_Error addEntry(const QString& name, const QByteArray& data);
    bool copyArchive(const QString& archivePath, QStringList& names);
    bool isReadable();
    void discardArchive();

    QStringList m_programFiles;
    QString m_folder;
    QString m_programArchive;
    QString m_programPath;
    // The archive is written here and put in place of the archive path by Close. Declared
    // before the archive object so that the archive, which writes into it, goes first.
    std::unique_ptr<ReplacingFile> m_target;
    std::unique_ptr<QuaZip> m_archive;
    QStringList m_entryNames;
};
