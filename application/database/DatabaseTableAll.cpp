#include "DatabaseTableAll.h"

#include "ApplicationDatabase.h"
#include "DatabaseTableSupport.h"
#include "DatabaseTableZelvorinImageStitcher.h"
#include "DatabaseTableZelvorinImageStitcherPicture.h"
#include "DatabaseTableZelvorinRack.h"
#include "DatabaseTransaction.h"
#include "Halcon_PictureSpool.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>

using namespace DatabaseTableSupport;

namespace {

constexpr Errors::Type_Error NoError = 0;

bool removeFile(const QString& filePath)
{
    return QFile::remove(filePath);
}

std::atomic<DatabaseTableAll::FileRemover> fileRemover{&removeFile};

} // namespace

DatabaseTableAll::DatabaseTableAll(ApplicationDatabase* owner, QObject* parent)
    : DatabaseTable(owner, "ZelvorinDatabaseVersion", parent)
{
}

DatabaseTableAll::~DatabaseTableAll() = default;

void DatabaseTableAll::setFileRemover(FileRemover remover)
{
    fileRemover.store(remover ? remover : &removeFile);
}

QString DatabaseTableAll::sqlSelectVersion() const
{
    return QStringLiteral("SELECT ") + q("Version") + QStringLiteral(" FROM ") + tableName();
}

QString DatabaseTableAll::sqlUpdateVersion(int version) const
{
    return QStringLiteral("UPDATE ") + tableName() + QStringLiteral(" SET ") + q("Version")
        + QStringLiteral(" = ") + QString::number(version);
}

QString DatabaseTableAll::sqlSelectRacksNewestFirst() const
{
    return QStringLiteral("SELECT ") + q("RackID") + QStringLiteral(" FROM  ") + q("ZelvorinRack") + QStringLiteral(" ORDER BY ")
        + q("CreatedDate") + QStringLiteral(" DESC");
}

QString DatabaseTableAll::sqlSelectImageStitchersNewestFirst() const
{
    return QStringLiteral("SELECT ") + q("ImageStitcherID") + QStringLiteral(" FROM  ") + q("ZelvorinImageStitcher")
        + QStringLiteral(" ORDER BY ") + q("CreatedDate") + QStringLiteral(" DESC");
}

Errors::Type_Error DatabaseTableAll::SelectVersion(int& version)
{
    version = 0;
    if (!isUsable())
        return ErrorNotOpen;
    QSqlQuery query(*database->getDatabase());
    query.setForwardOnly(true);
    const Errors::Type_Error result = exec(*database, query, sqlSelectVersion(), statementError());
    if (result != NoError)
        return result;
    if (!query.next()) {
        database->showQueryError(query, message(QT_TR_NOOP("Dataset %1 not found"), tableName()));
        return ErrorNotFound;
    }
    version = query.value(0).toInt();
    return NoError;
}

Errors::Type_Error DatabaseTableAll::CheckVersion()
{
    int version = 0;
    const Errors::Type_Error result = SelectVersion(version);
    if (result != NoError)
        return result;
    return version == DatabaseVersion ? NoError : ErrorWrongVersion;
}

Errors::Type_Error DatabaseTableAll::UpdateVersion(int version)
{
    if (!isUsable())
        return ErrorNotOpen;
    QSqlQuery query(*database->getDatabase());
    const Errors::Type_Error result = exec(*database, query, sqlUpdateVersion(version), statementError());
    if (result != NoError)
        return result;
    return checkOneRowChanged(*database, query, updateError());
}

// The ids of the rows beyond the keepCount newest, newest first; complete before anything
// is deleted, so the deletions cannot disturb the walk.
Errors::Type_Error DatabaseTableAll::collectOld(const QString& text, const char* table, qint32 keepCount,
                                                bool reportError, QList<Database::ID>& ids)
{
    ids.clear();
    QSqlQuery query(*database->getDatabase());
    query.setForwardOnly(true);
    if (!query.exec(text)) {
        if (reportError)
            database->showQueryError(query, message(QT_TR_NOOP("SQL Statement error in table %1"), q(table)));
        return ErrorStatement;
    }
    qint64 counter = 0;
    while (query.next()) {
        ++counter;
        if (counter > keepCount)
            ids.append(Database::ID(query.value(0).toInt()));
    }
    return NoError;
}

void DatabaseTableAll::removeFiles(const QStringList& files)
{
    const FileRemover remover = fileRemover.load();
    for (const QString& file : files) {
        // A file that is already gone, or cannot be removed, does not keep the row. A picture
        // still waiting for the background writer is never written, or taken away again once
        // it is: the writer would otherwise leave it behind its row.
        if (!file.isEmpty() && !Halcon_PictureSpool::discard(file))
            remover(file);
    }
}

Errors::Type_Error DatabaseTableAll::DeleteOldRacks(qint32 keepCount, bool reportError)
{
    if (!database || !database->getDatabase())
        return NoError;
    if (!isUsable())
        return ErrorNotOpen;
    QList<Database::ID> ids;
    Errors::Type_Error result = collectOld(sqlSelectRacksNewestFirst(), "ZelvorinRack", keepCount, reportError, ids);
    if (result != NoError || ids.isEmpty())
        return result;

    DatabaseTableZelvorinRack* rackTable = applicationDatabase->tableRack();
    QStringList pictures;
    {
        // One transaction for the rows: fast, and the files go only once the rows are surely gone.
        DatabaseTransaction transaction(applicationDatabase);
        if (transaction.beginResult() != NoError)
            return transaction.beginResult();
        for (const Database::ID rackId : ids) {
            DatabaseTableZelvorinRack::ShortDataset rack;
            if (rackTable->SelectShort(rackId, rack) != NoError)
                continue;
            if (rackTable->Delete(rackId) != NoError)
                continue;
            pictures.append(rack.PictureFilePath);
        }
        result = transaction.commit();
        if (result != NoError)
            return result;
    }
    // Inside a caller's transaction the rows are final only with its commit, and a rollback
    // brings them back: their files go then, or never.
    applicationDatabase->runAfterCommit([pictures] { removeFiles(pictures); });
    return NoError;
}

Errors::Type_Error DatabaseTableAll::DeleteOldRacksBySettings(const AppSettings::DatabaseSettings& settings, bool reportError)
{
    // A maximum below 1 would empty the database after every saved result.
    if (!settings.AutoDelete || settings.AutoDeleteMaximum < 1)
        return NoError;
    return DeleteOldRacks(settings.AutoDeleteMaximum, reportError);
}

Errors::Type_Error DatabaseTableAll::DeleteOldImageStitchers(qint32 keepCount, bool reportError)
{
    if (!database || !database->getDatabase())
        return NoError;
    if (!isUsable())
        return ErrorNotOpen;
    QList<Database::ID> ids;
    Errors::Type_Error result =
        collectOld(sqlSelectImageStitchersNewestFirst(), "ZelvorinImageStitcher", keepCount, reportError, ids);
    if (result != NoError || ids.isEmpty())
        return result;

    DatabaseTableZelvorinImageStitcher* stitcherTable = applicationDatabase->tableImageStitcher();
    DatabaseTableZelvorinImageStitcherPicture* pictureTable = applicationDatabase->tableImageStitcherPicture();
    QStringList files;
    {
        DatabaseTransaction transaction(applicationDatabase);
        if (transaction.beginResult() != NoError)
            return transaction.beginResult();
        for (const Database::ID stitcherId : ids) {
            DatabaseTableZelvorinImageStitcher::Dataset stitcher;
            if (stitcherTable->Select(stitcherId, stitcher) != NoError)
                continue;
            QList<Database::ID> pictureIds;
            if (pictureTable->SelectIdsByImageStitcher(stitcherId, pictureIds) != NoError)
                continue;
            QStringList stitcherFiles{stitcher.PictureFilePath};
            bool picturesDeleted = true;
            for (const Database::ID pictureId : pictureIds) {
                DatabaseTableZelvorinImageStitcherPicture::Dataset picture;
                if (pictureTable->Select(pictureId, picture) != NoError || pictureTable->Delete(pictureId) != NoError) {
                    picturesDeleted = false;
                    break;
                }
                stitcherFiles.append(picture.PictureFilePath);
            }
            // A stitching result goes whole or not at all: a failure part-way through its
            // pictures rolls every deletion of this call back, and no file is touched.
            if (!picturesDeleted || stitcherTable->Delete(stitcherId) != NoError) {
                transaction.rollback();
                return ErrorStatement;
            }
            files += stitcherFiles;
        }
        result = transaction.commit();
        if (result != NoError)
            return result;
    }
    applicationDatabase->runAfterCommit([files] { removeFiles(files); });
    return NoError;
}
