#include "StitcherResultSave.h"

#include "StitcherResult.h"

#include <ApplicationDatabase.h>
#include <DatabaseTableZelvorinImageStitcher.h>
#include <DatabaseTableZelvorinImageStitcherPicture.h>
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
    if (!m_database || !m_database->tableImageStitcher() || !m_database->tableImageStitcherPicture())
        return ErrorNoDatabase;
    DatabaseTableZelvorinImageStitcher* stitchers = m_database->tableImageStitcher();
    DatabaseTableZelvorinImageStitcherPicture* pictureRows = m_database->tableImageStitcherPicture();
    const bool background = options.asynchronPictureSave && m_saver;

    // Every picture is on disk before the rows are written: a stitched picture that is not
    // there (a run that found no cross) is skipped, a position picture that cannot be written
    // fails the save. They take their rows' names once the rows are committed.
    ResultPictureFiles pictures(m_database, m_folder, ResultPictureNames::Stitcher, background ? m_saver : nullptr);
    const bool withStitched = options.saveOutputPicture && Halcon_Helper::CheckImage(result.stitchedPicture()) == 0;
    if (withStitched) {
        if (const Errors::Type_Error code = pictures.add(result.stitchedPicture()); code != 0)
            return code;
    }
    const int positions = result.pictureSlots().size();
    if (options.saveInputPictures) {
        for (const StitcherPictureSlot& slot : result.pictureSlots())
            if (const Errors::Type_Error code = pictures.add(slot.picture); code != 0)
                return code;
    }
    if (const Errors::Type_Error code = pictures.write(); code != 0)
        return code;

    DatabaseTableZelvorinImageStitcher::Dataset row = result.row();
    row.Description = options.description;
    row.RackBarcode = options.rackBarcode;
    row.PictureFilePath.clear();
    row.ErrorCode = runError;
    QList<DatabaseTableZelvorinImageStitcherPicture::Dataset> positionRows;
    for (const StitcherPictureSlot& slot : result.pictureSlots())
        positionRows.append(slot.row);
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
        if (withStitched) {
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
        for (int i = 0; i < positions; ++i) {
            DatabaseTableZelvorinImageStitcherPicture::Dataset& pictureRow = positionRows[i];
            pictureRow.PictureFilePath.clear();
            pictureRow.ImageStitcherID = row.ImageStitcherID;
            const auto insertPosition = [&](Database::ID& key) {
                const Errors::Type_Error code = pictureRows->Insert(pictureRow);
                key = pictureRow.ImageStitcherPictureID;
                return code;
            };
            if (!options.saveInputPictures) {
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

    result.row() = row;
    for (int i = 0; i < positions; ++i)
        result.setPictureRow(i, positionRows.at(i));
    o_stitcherID = row.ImageStitcherID;
    return 0;
}
