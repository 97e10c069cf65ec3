#pragma once

#include "Database.h"
#include "Errors.h"

#include <QList>
#include <QString>

#include <functional>

class ApplicationDatabase;
class QWidget;

// Packs stored racks into a ZIP archive: per rack one folder with its picture and the
// application, camera and colony settings texts it was analysed with. The texts go in as
// UTF-8, as their XML declaration says; every entry name made from stored data is reduced
// to a plain file name first, so no entry can point outside its folder.
class RackZipExport {
public:
    // Reads a settings text the way its record does and gives the record's name; false when
    // the record would refuse the text.
    using SettingsReader = std::function<bool(const QString& text, QString& name)>;

    enum class ArchiveMode { Cancel, Append, Overwrite };

    // The database is borrowed; messageParent parents the interactive message boxes.
    RackZipExport(ApplicationDatabase* database, QWidget* messageParent = nullptr);

    // Replaces the camera settings reader (the camera settings record's own text reader).
    void setCameraSettingsReader(SettingsReader reader) { m_cameraReader = std::move(reader); }

    // 0; the code of Zip_Helper::Open or Close (72); 73 when a rack row or one of its three
    // settings texts could not be read; else 74 when an entry could not be written.
    // Failures of single racks do not stop the others.
    Errors::Type_Error exportToZipArchive(const QList<int>& rackIds, const QString& archivePath, bool append,
                                          bool interactive);

    // The question when the chosen archive exists: only the explicit choices append or
    // overwrite; closing the box cancels the export.
    static ArchiveMode askArchiveMode(QWidget* parent, const QString& archivePath);

    // "<application>_Rack_%08ld".
    static QString rackFolderName(Database::ID rackId);
    // The last path part of name (either separator), with characters that could make it a
    // path or a control sequence replaced by "_"; fallback when nothing usable remains.
    static QString safeFileName(const QString& name, const QString& fallback);
    static QString appSettingsEntryName(const QString& folder, const QString& name);
    static QString cameraSettingsEntryName(const QString& folder, const QString& name);
    static QString colonySettingsEntryName(const QString& folder, const QString& name);

    // The camera reader used until one is set: a well-formed settings text with a Name/Name
    // element.
    static bool readNamedSettingsText(const QString& text, QString& name);

    static constexpr Errors::Type_Error ErrorCreateArchive = 72;
    static constexpr Errors::Type_Error ErrorPrepareData = 73;
    static constexpr Errors::Type_Error ErrorAddFile = 74;

private:
    ApplicationDatabase* m_database;
    QWidget* m_messageParent;
    SettingsReader m_cameraReader;
};
