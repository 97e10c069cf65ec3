#pragma once

#include "Database.h"
#include "Errors.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

class ApplicationDatabase;
class ArchiveExport;
class Automation_Call;
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
    // The same for an automation client, without messages, 104 for more than MaximumRackCount
    // racks. With a call the archive is written on another thread while the database is read
    // here in short steps between other calls (the database is this thread's), and the answer
    // is Automation_Call::Pending until it is done. The exporter may go meanwhile.
    Errors::Type_Error exportToZipArchive(const QList<int>& rackIds, const QString& archivePath, bool append,
                                          Automation_Call* call);

    // What one call may ask: beyond it a list is refused before anything is read.
    static constexpr int MaximumRackCount = 10000;

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
    static constexpr Errors::Type_Error ErrorTooManyRacks = 104;

private:
    // One rack as the archive takes it, read from the database: its entries and their data, or
    // what could not be read.
    struct RackEntries {
        const char* readFailure = nullptr;
        QString pictureEntry;
        QString pictureFile;
        QList<std::pair<QString, QByteArray>> texts;
    };
    RackEntries readRack(int rackId) const;
    // Any thread: nothing of the database is used.
    static void writeRack(ArchiveExport& archive, const RackEntries& rack);

    ApplicationDatabase* m_database;
    QWidget* m_messageParent;
    SettingsReader m_cameraReader;
};
