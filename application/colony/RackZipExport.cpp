#include "RackZipExport.h"

#include "AppSettings.h"
#include "ApplicationDatabase.h"
#include "ArchiveExport.h"
#include "Automation_Call.h"
#include "ColonySettings.h"
#include "DatabaseTableZelvorinRack.h"
#include "MessageBox_Helper.h"
#include "XML_Settings.h"
#include "Zip_Helper.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <memory>

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

RackZipExport::RackEntries RackZipExport::readRack(int rackId) const
{
    RackEntries rack;
    const auto failed = [&rack](const char* text) {
        rack.readFailure = text;
        return rack;
    };
    DatabaseTableZelvorinRack* table = m_database ? m_database->tableRack() : nullptr;
    DatabaseTableZelvorinRack::Dataset row;
    if (!table || table->Select(rackId, row) != 0)
        return failed(QT_TRANSLATE_NOOP("ColonyDatabaseGui", "Cannot read from the database!"));
    AppSettings appSettings;
    if (!appSettings.fromXmlString(row.XMLSettings))
        return failed(QT_TRANSLATE_NOOP("ColonyDatabaseGui", "Cannot read the settings from the database!"));
    QString cameraName;
    if (!m_cameraReader || !m_cameraReader(row.XMLCameraSettings, cameraName))
        return failed(QT_TRANSLATE_NOOP("ColonyDatabaseGui", "Cannot read the camera settings from the database!"));
    ColonySettings colonySettings;
    if (!colonySettings.fromXmlString(row.XMLColonySettings))
        return failed(QT_TRANSLATE_NOOP("ColonyDatabaseGui", "Cannot read the colony settings from the database!"));

    const QString folder = rackFolderName(row.RackID);
    rack.pictureEntry = folder + QLatin1Char('/') + safeFileName(row.PictureFilePath, QStringLiteral("Rack.png"));
    rack.pictureFile = row.PictureFilePath;
    rack.texts = {{appSettingsEntryName(folder, appSettings.name), row.XMLSettings.toUtf8()},
                  {cameraSettingsEntryName(folder, cameraName), row.XMLCameraSettings.toUtf8()},
                  {colonySettingsEntryName(folder, colonySettings.name), row.XMLColonySettings.toUtf8()}};
    return rack;
}

void RackZipExport::writeRack(ArchiveExport& archive, const RackEntries& rack)
{
    if (rack.readFailure) {
        archive.readFailure(rack.readFailure);
        return;
    }
    Zip_Helper& zip = archive.zip();
    archive.added(rack.pictureEntry,
                  rack.pictureFile.isEmpty() ? ErrorAddFile : zip.AddFile(rack.pictureEntry, rack.pictureFile));
    for (const auto& [entry, text] : rack.texts)
        archive.added(entry, zip.AddData(entry, text));
}

Errors::Type_Error RackZipExport::exportToZipArchive(const QList<int>& rackIds, const QString& archivePath, bool append,
                                                     bool interactive)
{
    ArchiveExport archive("ColonyDatabaseGui", m_messageParent, interactive);
    if (const Errors::Type_Error result = archive.open(archivePath, append); result != 0)
        return result;
    for (int rackId : rackIds)
        writeRack(archive, readRack(rackId));
    return archive.close();
}

namespace {

// Rows read in one step between other calls, at most: a step ends earlier when its time is up.
constexpr int kRowsPerStep = 500;
constexpr qint64 kStepNanoseconds = 10'000'000;

} // namespace

Errors::Type_Error RackZipExport::exportToZipArchive(const QList<int>& rackIds, const QString& archivePath, bool append,
                                                     Automation_Call* call)
{
    if (rackIds.size() > MaximumRackCount)
        return ErrorTooManyRacks;
    if (!call)
        return exportToZipArchive(rackIds, archivePath, append, false);

    // The archive goes from one work step to the next, never used by two at once.
    struct Export {
        Export(const RackZipExport& exporter, const QList<int>& ids)
            : reader(exporter)
            , rackIds(ids)
        {
        }
        const RackZipExport reader;
        const QList<int> rackIds;
        qsizetype next = 0;
        ArchiveExport archive{"ColonyDatabaseGui", nullptr, false};
    };
    const auto job = std::make_shared<Export>(*this, rackIds);
    // Reads the next rows here, writes them there, and so on; the last step closes.
    const auto step = std::make_shared<std::function<int(int)>>();
    *step = [job, call, weakStep = std::weak_ptr<std::function<int(int)>>(step)](int code) -> int {
        if (code != 0)
            return code;
        if (job->next == job->rackIds.size())
            return call->runElsewhere([job] { return int(job->archive.close()); }, [](int closed) { return closed; });
        QElapsedTimer timer;
        timer.start();
        QList<RackEntries> racks;
        while (job->next < job->rackIds.size() && racks.size() < kRowsPerStep
               && timer.nsecsElapsed() < kStepNanoseconds)
            racks.append(job->reader.readRack(job->rackIds.at(job->next++)));
        const std::shared_ptr<std::function<int(int)>> again = weakStep.lock();
        return call->runElsewhere(
            [job, racks] {
                for (const RackEntries& rack : racks)
                    writeRack(job->archive, rack);
                return 0;
            },
            [again](int written) { return again ? (*again)(written) : written; });
    };
    return Errors::Type_Error(call->runElsewhere(
        [job, archivePath, append] { return int(job->archive.open(archivePath, append)); },
        [step](int opened) { return (*step)(opened); }));
}
