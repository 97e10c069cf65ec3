#include "StitcherZipExport.h"

#include "ImageStitcherSettings.h"

#include <AppSettings.h>
#include <ApplicationDatabase.h>
#include <ArchiveExport.h>
#include <DatabaseTableZelvorinImageStitcher.h>
#include <DatabaseTableZelvorinImageStitcherPicture.h>
#include <RackZipExport.h>
#include <Zip_Helper.h>

#include <QDir>

namespace {

// The folder of the settings inside the archive, as the program keeps it beside itself.
const QString kArchiveSettingsFolder = QStringLiteral("Settings/ImageStitcher");

} // namespace

StitcherZipExport::StitcherZipExport(ApplicationDatabase* database, QWidget* messageParent)
    : m_database(database)
    , m_messageParent(messageParent)
{
}

QString StitcherZipExport::folderName(Database::ID stitcherId)
{
    return RackZipExport::safeFileName(AppSettings::applicationName(), QStringLiteral("zelvorin"))
        + QStringLiteral("_Stitcher_") + QString::asprintf("%08ld", long(stitcherId));
}

QString StitcherZipExport::settingsFolderOf(const QString& settingsName)
{
    return settingsName.startsWith(QLatin1String("Demo_")) ? ImageStitcherSettings::demoFolder()
                                                           : ImageStitcherSettings::settingsFolder();
}

QStringList StitcherZipExport::settingsFileNames(const QString& settingsName)
{
    const QString base = RackZipExport::safeFileName(settingsName, QStringLiteral("default"));
    return {base + ImageStitcherSettings::fileExtension(), base + QStringLiteral(".modelmatching.modelpicture.png"),
            base + QStringLiteral(".modelmatching.referenceposition.modeldata")};
}

Errors::Type_Error StitcherZipExport::readPictureFiles(ApplicationDatabase* database, Database::ID stitcherId,
                                                       QStringList& o_files)
{
    o_files.clear();
    DatabaseTableZelvorinImageStitcherPicture* table = database ? database->tableImageStitcherPicture() : nullptr;
    if (!table)
        return 84;
    QList<Database::ID> ids;
    if (const Errors::Type_Error code = table->SelectIdsByImageStitcher(stitcherId, ids); code != 0)
        return code;
    QStringList files;
    for (qsizetype i = 0; i < ids.size(); ++i)
        files.append(QString());
    for (Database::ID id : ids) {
        DatabaseTableZelvorinImageStitcherPicture::Dataset row;
        if (const Errors::Type_Error code = table->Select(id, row); code != 0)
            return code;
        if (row.PositionIndex >= 0 && row.PositionIndex < files.size())
            files[row.PositionIndex] = row.PictureFilePath;
    }
    o_files = files;
    return 0;
}

Errors::Type_Error StitcherZipExport::exportToZipArchive(const QList<Database::ID>& stitcherIds,
                                                         const QString& archivePath, bool append, bool interactive)
{
    ArchiveExport archive("ImageStitcherDatabaseGui", m_messageParent, interactive);
    if (const Errors::Type_Error result = archive.open(archivePath, append); result != 0)
        return result;
    Zip_Helper& zip = archive.zip();

    DatabaseTableZelvorinImageStitcher* table = m_database ? m_database->tableImageStitcher() : nullptr;
    for (Database::ID id : stitcherIds) {
        DatabaseTableZelvorinImageStitcher::Dataset row;
        if (!table || table->Select(id, row) != 0) {
            archive.readFailure(QT_TRANSLATE_NOOP("ImageStitcherDatabaseGui", "Cannot read from the database!"));
            continue;
        }
        ImageStitcherSettings settings;
        if (!settings.fromXmlString(row.ImageStitcherSettings)) {
            archive.readFailure(
                QT_TRANSLATE_NOOP("ImageStitcherDatabaseGui", "Cannot read the stitcher settings from the database!"));
            continue;
        }

        const QString folder = folderName(row.ImageStitcherID);
        QStringList files;
        if (readPictureFiles(m_database, row.ImageStitcherID, files) == 0) {
            for (const QString& file : files) {
                // A position saved without its picture has no file to add.
                if (file.isEmpty())
                    continue;
                const QString entry =
                    folder + QLatin1Char('/') + RackZipExport::safeFileName(file, QStringLiteral("StitcherPicture.png"));
                archive.added(file, zip.AddFile(entry, file));
            }
        }

        const QStringList names = settingsFileNames(settings.data().name);
        const QString settingsEntry = folder + QLatin1Char('/') + kArchiveSettingsFolder + QLatin1Char('/') + names.at(0);
        archive.added(settingsEntry, zip.AddData(settingsEntry, row.ImageStitcherSettings.toUtf8()));
        const QString localFolder = settingsFolderOf(settings.data().name);
        for (qsizetype i = 1; i < names.size(); ++i) {
            const QString file = localFolder + QLatin1Char('/') + names.at(i);
            const QString entry = folder + QLatin1Char('/') + kArchiveSettingsFolder + QLatin1Char('/') + names.at(i);
            archive.added(file, zip.AddFile(entry, file));
        }
    }
    return archive.close();
}
