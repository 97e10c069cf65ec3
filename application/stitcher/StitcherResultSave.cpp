#include "StitcherResultSave.h"

#include "StitcherResult.h"

#include <ApplicationDatabase.h>
#include <DatabaseTableZelvorinImageStitcher.h>
#include <DatabaseTableZelvorinImageStitcherPicture.h>
#include <DatabaseTransaction.h>
#include <Halcon_Helper.h>
#include <Halcon_PictureStaging.h>
#include <ResultPictureNames.h>

#include <QDir>

namespace {

const QString kPictureFormat = QStringLiteral("png fastest");
constexpr unsigned int kQueueDelayMs = 1000;

} // namespace

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
    const bool background = options.asynchronPictureSave && m_saver;

    // Every picture is on disk before the database is touched: a stitched picture that is not
    // there (a run that found no cross) is skipped, a position picture that cannot be written
    // fails the save. Inside the transaction each takes its row's name.
    Halcon_PictureStaging pictures(m_folder, ResultPictureNames::privatePrefix(ResultPictureNames::Stitcher),
                                   ResultPictureNames::pictureSuffix(), kPictureFormat, background ? m_saver : nullptr,
                                   kQueueDelayMs);
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

    DatabaseTableZelvorinImageStitcher::Dataset row = result.row();
    row.Description = options.description;
    row.RackBarcode = options.rackBarcode;
    row.PictureFilePath.clear();
    row.ErrorCode = runError;
    QList<DatabaseTableZelvorinImageStitcherPicture::Dataset> pictureRows;
    for (const StitcherPictureSlot& slot : result.pictureSlots())
        pictureRows.append(slot.row);
    {
        DatabaseTransaction transaction(m_database);
        if (transaction.beginResult() != 0)
            return transaction.beginResult();
        if (const Errors::Type_Error code = m_database->tableImageStitcher()->Insert(row); code != 0)
            return code;
        int next = 0;
        if (withStitched) {
            const QString path = picturePath(m_folder, stitchedPictureFileName(row.ImageStitcherID));
            if (const Errors::Type_Error code = pictures.place(next++, path); code != 0)
                return code;
            row.PictureFilePath = path;
            if (const Errors::Type_Error code = m_database->tableImageStitcher()->Update(row); code != 0)
                return code;
        }
        for (int i = 0; i < positions; ++i) {
            DatabaseTableZelvorinImageStitcherPicture::Dataset& pictureRow = pictureRows[i];
            pictureRow.PictureFilePath.clear();
            pictureRow.ImageStitcherID = row.ImageStitcherID;
            if (const Errors::Type_Error code = m_database->tableImageStitcherPicture()->Insert(pictureRow); code != 0)
                return code;
            if (!options.saveInputPictures)
                continue;
            const QString path = picturePath(m_folder, positionPictureFileName(pictureRow.ImageStitcherPictureID));
            if (const Errors::Type_Error code = pictures.place(next++, path); code != 0)
                return code;
            pictureRow.PictureFilePath = path;
            if (const Errors::Type_Error code = m_database->tableImageStitcherPicture()->Update(pictureRow); code != 0)
                return code;
        }
        if (const Errors::Type_Error code = transaction.commit(); code != 0)
            return code;
    }
    pictures.commit();

    result.row() = row;
    for (int i = 0; i < positions; ++i)
        result.setPictureRow(i, pictureRows.at(i));
    o_stitcherID = row.ImageStitcherID;
    return 0;
}
