#include "RackZipExport.h"

#include "AppSettings.h"
#include "ArchiveExport.h"
#include "ApplicationDatabase.h"
#include "ColonySettings.h"
#include "DatabaseTableZelvorinRack.h"
#include "MessageBox_Helper.h"
#include "XML_Settings.h"
#include "Zip_Helper.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

QString trExport(const char* text)
{
    return QCoreApplication::translate("ColonyDatabaseGui", text);
}

} // namespace

RackZipExport::RackZipExport(ApplicationDatabase* database, QWidget* messageParent)
    : m_database(database)
    , m_messageParent(messageParent)
    , m_cameraReader(&RackZipExport::readNamedSettingsText)
{
}

QString RackZipExport::safeFileName(const QString& name, const QString& fallback)
{
    QString result = name;
    const qsizetype slash = std::max(result.lastIndexOf(QLatin1Char('/')), result.lastIndexOf(QLatin1Char('\\')));
    if (slash >= 0)
        result = result.mid(slash + 1);
    for (QChar& c : result) {
        if (c.unicode() < 0x20 || c == u':' || c == u'*' || c == u'?' || c == u'"' || c == u'<' || c == u'>'
            || c == u'|' || c.unicode() == 0x7f)
            c = QLatin1Char('_');
    }
    result = result.trimmed();
    if (result.isEmpty() || result == QLatin1String(".") || result == QLatin1String(".."))
        return fallback;
    return result;
}

QString RackZipExport::rackFolderName(Database::ID rackId)
{
    return safeFileName(AppSettings::applicationName(), QStringLiteral("zelvorin")) + QStringLiteral("_Rack_")
        + QString::asprintf("%08ld", long(rackId));
}

QString RackZipExport::appSettingsEntryName(const QString& folder, const QString& name)
{
    return folder + QStringLiteral("/Settings/") + safeFileName(name, QStringLiteral("default"))
        + QStringLiteral(".AppSettings");
}

QString RackZipExport::cameraSettingsEntryName(const QString& folder, const QString& name)
{
    return folder + QStringLiteral("/settings/camera/") + safeFileName(name, QStringLiteral("default"))
        + QStringLiteral(".camerasettings.xml");
}

QString RackZipExport::colonySettingsEntryName(const QString& folder, const QString& name)
{
    return folder + QStringLiteral("/Settings/Colony/") + safeFileName(name, QStringLiteral("default"))
        + QStringLiteral(".ColonySettings");
}

bool RackZipExport::readNamedSettingsText(const QString& text, QString& name)
{
    name.clear();
    QString recordName;
    XML_Settings settings(QString(), QString(), QString(), QStringLiteral("1.0"), QString(), &recordName);
    QString version;
    if (settings.parse(text, version).isNull())
        return false;
    name = recordName;
    return true;
}

RackZipExport::ArchiveMode RackZipExport::askArchiveMode(QWidget* parent, const QString& archivePath)
{
    // Closing the box, Escape and Cancel all leave the archive alone. Yes and No carry the
    // words "Append" and "Overwrite".
    MessageBox_Helper::Request request;
    request.icon = QMessageBox::Question;
    request.parent = parent;
    request.title = trExport("Export");
    request.text = trExport("The archive \"%1\" already exists.").arg(archivePath);
    request.informativeText = trExport("Append to or overwrite archive?");
    request.buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    request.defaultButton = QMessageBox::Cancel;
    request.buttonTexts.insert(QMessageBox::Yes, trExport("Append"));
    request.buttonTexts.insert(QMessageBox::No, trExport("Overwrite"));
    request.buttonTexts.insert(QMessageBox::Cancel, trExport("Cancel"));
    const QMessageBox::StandardButton answer = MessageBox_Helper::ask(request);
    if (answer == QMessageBox::Yes)
        return ArchiveMode::Append;
    if (answer == QMessageBox::No)
        return ArchiveMode::Overwrite;
    return ArchiveMode::Cancel;
}

Errors::Type_Error RackZipExport::exportToZipArchive(const QList<int>& rackIds, const QString& archivePath, bool append,
                                                     bool interactive)
{
    ArchiveExport archive("ColonyDatabaseGui", m_messageParent, interactive);
    if (const Errors::Type_Error result = archive.open(archivePath, append); result != 0)
        return result;
    Zip_Helper& zip = archive.zip();

    DatabaseTableZelvorinRack* table = m_database ? m_database->tableRack() : nullptr;
    for (int rackId : rackIds) {
        DatabaseTableZelvorinRack::Dataset row;
        if (!table || table->Select(rackId, row) != 0) {
            archive.readFailure(QT_TRANSLATE_NOOP("ColonyDatabaseGui", "Cannot read from the database!"));
            continue;
        }
        AppSettings appSettings;
        if (!appSettings.fromXmlString(row.XMLSettings)) {
            archive.readFailure(QT_TRANSLATE_NOOP("ColonyDatabaseGui", "Cannot read the settings from the database!"));
            continue;
        }
        QString cameraName;
        if (!m_cameraReader || !m_cameraReader(row.XMLCameraSettings, cameraName)) {
            archive.readFailure(
                QT_TRANSLATE_NOOP("ColonyDatabaseGui", "Cannot read the camera settings from the database!"));
            continue;
        }
        ColonySettings colonySettings;
        if (!colonySettings.fromXmlString(row.XMLColonySettings)) {
            archive.readFailure(
                QT_TRANSLATE_NOOP("ColonyDatabaseGui", "Cannot read the colony settings from the database!"));
            continue;
        }

        const QString folder = rackFolderName(row.RackID);
        const QString pictureEntry =
            folder + QLatin1Char('/') + safeFileName(row.PictureFilePath, QStringLiteral("Rack.png"));
        archive.added(pictureEntry,
                      row.PictureFilePath.isEmpty() ? ErrorAddFile : zip.AddFile(pictureEntry, row.PictureFilePath));
        const QString appEntry = appSettingsEntryName(folder, appSettings.name);
        archive.added(appEntry, zip.AddData(appEntry, row.XMLSettings.toUtf8()));
        const QString cameraEntry = cameraSettingsEntryName(folder, cameraName);
        archive.added(cameraEntry, zip.AddData(cameraEntry, row.XMLCameraSettings.toUtf8()));
        const QString colonyEntry = colonySettingsEntryName(folder, colonySettings.name);
        archive.added(colonyEntry, zip.AddData(colonyEntry, row.XMLColonySettings.toUtf8()));
    }
    return archive.close();
}
