#include "StitcherResultSave.h"

#include "StitcherResult.h"

#include <ApplicationDatabase.h>
#include <DatabaseTransaction.h>
#include <Halcon_Helper.h>
#include <ResultPictureFiles.h>
#include <ResultPictureNames.h>

#include <QDir>

StitcherResultSave::StitcherResultSave(ApplicationDatabase* database, Halcon_AsynchronImageSave* saver,
                                       const QString& pictureFolder)
    : m_database(database)
    , m_saver(saver)
    , m_folder(pictureFolder)
{
}

StitcherResultSave::~StitcherResultSave() = default;

QString StitcherResultSave::stitchedPictureFileName(Database::ID stitcherId)
{
    return ResultPictureNames::fileName(ResultPictureNames::Stitcher, stitcherId);
}

QString StitcherResultSave::positionPictureFileName(Database::ID stitcherPictureId)
{
    return ResultPictureNames::fileName(ResultPictureNames::StitcherPicture, stitcherPictureId);
}

QString StitcherResultSave::picturePath(const QString& pictureFolder, const QString& fileName)
{
    return QDir(pictureFolder).filePath(fileName);
}

Errors::Type_Error StitcherResultSave::save(StitcherResult& result, Errors::Type_Error runError, const Options& options,
                                            Database::ID& o_stitcherID)
{
    o_stitcherID = -1;
    if (const Errors::Type_Error code = begin(result, runError, options); code != 0)
        return code;
    if (const Errors::Type_Error code = pictureWriter()(); code != 0)
        return code;
    if (const Errors::Type_Error code = finish(o_stitcherID); code != 0)
        return code;
    applyTo(result);
    return 0;
}

Errors::Type_Error StitcherResultSave::begin(const StitcherResult& result, Errors::Type_Error runError,
                                             const Options& options)
{
    m_pictures.reset();
    if (!m_database || !m_database->tableImageStitcher() || !m_database->tableImageStitcherPicture())
        return ErrorNoDatabase;
    const bool background = options.asynchronPictureSave && m_saver;

    // Every picture is on disk before the rows are written: a stitched picture that is not
    // there (a run that found no cross) is skipped, a position picture that cannot be written
    // fails the save. They take their rows' names once the rows are committed.
    auto pictures = std::make_unique<ResultPictureFiles>(m_database, m_folder, ResultPictureNames::Stitcher,
                                                         background ? m_saver : nullptr);
    m_withStitched = options.saveOutputPicture && Halcon_Helper::CheckImage(result.stitchedPicture()) == 0;
    if (m_withStitched) {
        if (const Errors::Type_Error code = pictures->add(result.stitchedPicture()); code != 0)
            return code;
    }
    m_withPositions = options.saveInputPictures;
    if (m_withPositions) {
        for (const StitcherPictureSlot& slot : result.pictureSlots())
            if (const Errors::Type_Error code = pictures->add(slot.picture); code != 0)
                return code;
    }
    if (const Errors::Type_Error code = pictures->plan(); code != 0)
        return code;

    m_row = result.row();
    m_row.Description = options.description;
    m_row.RackBarcode = options.rackBarcode;
    m_row.PictureFilePath.clear();
    m_row.ErrorCode = runError;
    m_positionRows.clear();
    for (const StitcherPictureSlot& slot : result.pictureSlots())
        m_positionRows.append(slot.row);
    m_pictures = std::move(pictures);
    return 0;
}

std::function<Errors::Type_Error()> StitcherResultSave::pictureWriter() const
{
    if (!m_pictures)
        return [] { return ErrorNoDatabase; };
    return m_pictures->fileWriter();
}

Errors::Type_Error StitcherResultSave::finish(Database::ID& o_stitcherID)
{
    o_stitcherID = -1;
    // The pictures were planned in the database open then; another one may be open now.
    if (!m_pictures || !m_pictures->isPlannedDatabase())
        return ErrorNoDatabase;
    DatabaseTableZelvorinImageStitcher* stitchers = m_database->tableImageStitcher();
    DatabaseTableZelvorinImageStitcherPicture* pictureRows = m_database->tableImageStitcherPicture();
    ResultPictureFiles& pictures = *m_pictures;
    DatabaseTableZelvorinImageStitcher::Dataset row = m_row;
    QList<DatabaseTableZelvorinImageStitcherPicture::Dataset> positionRows = m_positionRows;
    {
        DatabaseTransaction transaction(m_database);
        if (transaction.beginResult() != 0)
            return transaction.beginResult();
        int next = 0;
        const auto insertStitcher = [&](Database::ID& key) {
            const Errors::Type_Error code = stitchers->Insert(row);
            key = row.ImageStitcherID;
            return code;
        };
        if (m_withStitched) {
            QString path;
            const Errors::Type_Error code = pictures.insertNamed(
                next++, insertStitcher, [&](Database::ID key) { return stitchers->Delete(key); },
                [&](Database::ID key) { return picturePath(m_folder, stitchedPictureFileName(key)); }, path);
            if (code != 0)
                return code;
            row.PictureFilePath = path;
            if (const Errors::Type_Error code = stitchers->Update(row); code != 0)
                return code;
        } else {
            Database::ID key = -1;
            if (const Errors::Type_Error code = insertStitcher(key); code != 0)
                return code;
        }
        for (DatabaseTableZelvorinImageStitcherPicture::Dataset& pictureRow : positionRows) {
            pictureRow.PictureFilePath.clear();
            pictureRow.ImageStitcherID = row.ImageStitcherID;
            const auto insertPosition = [&](Database::ID& key) {
                const Errors::Type_Error code = pictureRows->Insert(pictureRow);
                key = pictureRow.ImageStitcherPictureID;
                return code;
            };
            if (!m_withPositions) {
                Database::ID key = -1;
                if (const Errors::Type_Error code = insertPosition(key); code != 0)
                    return code;
                continue;
            }
            QString path;
            const Errors::Type_Error code = pictures.insertNamed(
                next++, insertPosition, [&](Database::ID key) { return pictureRows->Delete(key); },
                [&](Database::ID key) { return picturePath(m_folder, positionPictureFileName(key)); }, path);
            if (code != 0)
                return code;
            pictureRow.PictureFilePath = path;
            if (const Errors::Type_Error code = pictureRows->Update(pictureRow); code != 0)
                return code;
        }
        if (const Errors::Type_Error code = transaction.commit(); code != 0)
            return code;
    }
    if (const Errors::Type_Error code = pictures.commit(); code != 0) {
        // No stored result without its pictures; its position rows go with it.
        stitchers->Delete(row.ImageStitcherID);
        return code;
    }

    m_row = row;
    m_positionRows = positionRows;
    o_stitcherID = row.ImageStitcherID;
    return 0;
}

void StitcherResultSave::applyTo(StitcherResult& result) const
{
    result.row() = m_row;
    for (int i = 0; i < m_positionRows.size() && i < result.pictureSlots().size(); ++i)
        result.setPictureRow(i, m_positionRows.at(i));
}
