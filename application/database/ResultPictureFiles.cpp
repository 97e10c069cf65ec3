#include "ResultPictureFiles.h"

#include "ApplicationDatabase.h"
#include "DatabaseTableZelvorinPicturePlan.h"
#include "DatabaseTransaction.h"
#include "ErrorCodes.h"
#include "Halcon_PictureSpool.h"
#include "Halcon_PictureStaging.h"
#include "Process_Identity.h"

#include <QFileInfo>

#include <utility>

namespace {

const QString kPictureFormat = QStringLiteral("png fastest");
constexpr unsigned int kPictureDelayMs = 1000;

} // namespace

ResultPictureFiles::ResultPictureFiles(ApplicationDatabase* database, const QString& folder,
                                       ResultPictureNames::Kind kind, Halcon_AsynchronImageSave* saver)
    : m_database(database)
    , m_folder(folder)
    , m_kind(kind)
    , m_saver(saver)
    , m_committed(false)
{
}

ResultPictureFiles::~ResultPictureFiles()
{
    if (m_committed)
        return;
    // A writer still at work removes its files itself, and only after this: the plan rows stay,
    // for the recovery once this process is gone.
    if (m_staging.use_count() > 1)
        return;
    // The files first: a plan row without its file is harmless, a file without its row is not.
    m_staging.reset();
    // In another database the same ids are other saves' rows.
    if (m_database && !m_planIds.isEmpty() && isPlannedDatabase())
        m_database->tablePicturePlan()->Delete(m_planIds);
}

Errors::Type_Error ResultPictureFiles::add(const Halcon::Hobject& picture)
{
    if (!m_staging) {
        if (!m_database)
            return DatabaseTableSupport::ErrorNotOpen;
        if (const Errors::Type_Error code = m_database->pictureKey(m_key); code != kNoError)
            return code;
        m_staging = std::make_shared<Halcon_PictureStaging>(m_folder, ResultPictureNames::privatePrefix(m_kind, m_key),
                                                            ResultPictureNames::pictureSuffix(), kPictureFormat,
                                                            m_saver, kPictureDelayMs);
    }
    if (const Errors::Type_Error code = m_staging->add(picture); code != kNoError)
        return code;
    m_pictureFiles.append(QString());
    return kNoError;
}

Errors::Type_Error ResultPictureFiles::write()
{
    if (const Errors::Type_Error code = plan(); code != kNoError)
        return code;
    return fileWriter()();
}

bool ResultPictureFiles::isPlannedDatabase() const
{
    if (!m_staging)
        return true;
    QString key;
    return m_database->pictureKey(key) == kNoError && key == m_key;
}

Errors::Type_Error ResultPictureFiles::plan()
{
    if (!m_staging)
        return kNoError;
    if (m_database->inTransaction())
        return DatabaseTableSupport::ErrorStatement;
    DatabaseTableZelvorinPicturePlan* plan = m_database->tablePicturePlan();
    // Rows whose pictures the writer has finished since go now, outside the save's own work.
    plan->DeleteFinished(m_key);
    {
        DatabaseTransaction transaction(m_database);
        if (transaction.beginResult() != kNoError)
            return transaction.beginResult();
        QList<Database::ID> ids;
        for (const QString& file : m_staging->privateFiles()) {
            DatabaseTableZelvorinPicturePlan::Dataset row;
            row.Owner = Process_Identity::current();
            row.PrivateFile = file;
            if (const Errors::Type_Error code = plan->Insert(row); code != kNoError)
                return code;
            ids.append(row.PlanID);
        }
        if (const Errors::Type_Error code = transaction.commit(); code != kNoError)
            return code;
        m_planIds = ids;
    }
    Halcon_PictureSpool::step("planned");
    return kNoError;
}

std::function<Errors::Type_Error()> ResultPictureFiles::fileWriter() const
{
    return [staging = m_staging]() mutable -> Errors::Type_Error {
        // Let go before the caller learns of the end, so that the owner is the last one.
        const std::shared_ptr<Halcon_PictureStaging> files = std::exchange(staging, nullptr);
        if (!files)
            return kNoError;
        if (const Errors::Type_Error code = files->write(); code != kNoError)
            return code;
        Halcon_PictureSpool::step("written");
        return kNoError;
    };
}

bool ResultPictureFiles::isNameFree(const QString& pictureFile) const
{
    const QFileInfo info(pictureFile);
    // A dangling link holds the name too.
    return !info.exists() && !info.isSymLink() && !Halcon_PictureSpool::isPending(pictureFile);
}

Errors::Type_Error ResultPictureFiles::insertNamed(int index, const Insert& insert, const Remove& remove,
                                                   const NameOf& nameOf, QString& pictureFile)
{
    pictureFile.clear();
    if (!m_staging || index < 0 || index >= m_planIds.size())
        return kCannotSave;
    Database::ID key = -1;
    if (const Errors::Type_Error code = insert(key); code != kNoError)
        return code;
    QString name = nameOf(key);
    // Bounded by the names the folder holds: every key tried is one more taken name passed.
    while (!isNameFree(name)) {
        if (const Errors::Type_Error code = remove(key); code != kNoError)
            return code;
        if (const Errors::Type_Error code = insert(key); code != kNoError)
            return code;
        name = nameOf(key);
    }
    if (const Errors::Type_Error code = m_staging->place(index, name); code != kNoError)
        return code;
    DatabaseTableZelvorinPicturePlan::Dataset row;
    row.PlanID = m_planIds.at(index);
    row.Owner = Process_Identity::current();
    row.PrivateFile = m_staging->privateFiles().at(index);
    row.PictureFile = QFileInfo(name).absoluteFilePath();
    if (const Errors::Type_Error code = m_database->tablePicturePlan()->Update(row); code != kNoError)
        return code;
    m_pictureFiles[index] = row.PictureFile;
    pictureFile = name;
    Halcon_PictureSpool::step("placed");
    return kNoError;
}

Errors::Type_Error ResultPictureFiles::commit()
{
    if (!m_staging)
        return kNoError;
    Halcon_PictureSpool::step("committed");
    if (const Errors::Type_Error code = m_staging->commit(); code != kNoError)
        return code;
    m_committed = true;
    DatabaseTableZelvorinPicturePlan* plan = m_database->tablePicturePlan();
    if (m_saver) {
        const QStringList privateFiles = m_staging->privateFiles();
        QList<Database::ID> unplaced;
        for (qsizetype i = 0; i < m_planIds.size(); ++i) {
            if (m_pictureFiles.at(i).isEmpty())
                unplaced.append(m_planIds.at(i));
            else
                plan->rememberQueued(m_key, m_planIds.at(i), privateFiles.at(i), m_pictureFiles.at(i));
        }
        plan->Delete(unplaced);
        return kNoError;
    }
    Halcon_PictureSpool::step("named");
    // A row left behind by a failure here is cleared by a later start: its file has its name.
    plan->Delete(m_planIds);
    return kNoError;
}
