#include "StitcherResultSave.h"

#include "StitcherResult.h"

#include <AppSettings.h>
#include <ApplicationDatabase.h>
#include <DatabaseTableZelvorinImageStitcher.h>
#include <DatabaseTableZelvorinImageStitcherPicture.h>
#include <DatabaseTransaction.h>
#include <Halcon_AsynchronImageSave.h>
#include <Halcon_Helper.h>

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QUuid>

#include <filesystem>
#include <vector>

namespace {

const QString kPictureFormat = QStringLiteral("png fastest");
constexpr unsigned int kQueueDelayMs = 1000;

// A picture to store: which one, and while it is written at once, the private file that holds
// it until its row has a name for it.
struct PendingPicture {
    Halcon::Hobject picture;
    QString encoded;
};

bool renameOver(const QString& from, const QString& to)
{
    // Replaces a stray file of that name (left by a rolled-back background save).
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(from).toStdString(), QFile::encodeName(to).toStdString(), error);
    return !error;
}

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
    return QStringLiteral("%1_%2_Stitcher.png").arg(AppSettings::applicationName(), QString::asprintf("%08ld", long(stitcherId)));
}

QString StitcherResultSave::positionPictureFileName(Database::ID stitcherPictureId)
{
    return QStringLiteral("%1_%2_StitcherPicture.png")
        .arg(AppSettings::applicationName(), QString::asprintf("%08ld", long(stitcherPictureId)));
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

    // What goes to disk, decided and checked before the database is touched. A stitched
    // picture that is not there (a run that found no cross) is skipped; a position picture
    // that cannot be written fails the save.
    std::vector<PendingPicture> pending;
    const bool withStitched = options.saveOutputPicture && Halcon_Helper::CheckImage(result.stitchedPicture()) == 0;
    if (withStitched)
        pending.push_back({result.stitchedPicture(), QString()});
    const int positions = result.pictureSlots().size();
    if (options.saveInputPictures) {
        for (const StitcherPictureSlot& slot : result.pictureSlots())
            pending.push_back({slot.picture, QString()});
    }

    const auto removeEncoded = qScopeGuard([&] {
        for (const PendingPicture& p : pending)
            if (!p.encoded.isEmpty())
                QFile::remove(p.encoded);
    });
    for (PendingPicture& p : pending) {
        Errors::Type_Error code = Halcon_Helper::CheckImage(p.picture);
        if (code == 0)
            code = Halcon_Helper::CheckPictureFolder(picturePath(m_folder, stitchedPictureFileName(0)));
        if (code == 0 && !background) {
            const QString encoded = picturePath(
                m_folder, QStringLiteral(".%1_Stitcher_%2.png")
                              .arg(AppSettings::applicationName(), QUuid::createUuid().toString(QUuid::Id128)));
            code = Halcon_Helper::SaveImageFile(encoded, p.picture, kPictureFormat, false, false);
            if (code == 0)
                p.encoded = encoded;
        }
        if (code != 0)
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

    // The final file of each pending picture, in the same order.
    std::vector<QString> paths;
    {
        QStringList renamed;
        DatabaseTransaction transaction(m_database);
        auto fail = [&](Errors::Type_Error code) {
            transaction.rollback();
            for (const QString& file : renamed)
                QFile::remove(file);
            return code;
        };
        auto place = [&](PendingPicture& p, const QString& path) {
            paths.push_back(path);
            if (background)
                return true;
            if (!renameOver(p.encoded, path))
                return false;
            p.encoded.clear();
            renamed.append(path);
            return true;
        };
        if (transaction.beginResult() != 0)
            return transaction.beginResult();
        if (const Errors::Type_Error code = m_database->tableImageStitcher()->Insert(row); code != 0)
            return fail(code);
        size_t next = 0;
        if (withStitched) {
            const QString path = picturePath(m_folder, stitchedPictureFileName(row.ImageStitcherID));
            if (!place(pending[next++], path))
                return fail(ErrorCannotSavePicture);
            row.PictureFilePath = path;
            if (const Errors::Type_Error code = m_database->tableImageStitcher()->Update(row); code != 0)
                return fail(code);
        }
        for (int i = 0; i < positions; ++i) {
            DatabaseTableZelvorinImageStitcherPicture::Dataset& pictureRow = pictureRows[i];
            pictureRow.PictureFilePath.clear();
            pictureRow.ImageStitcherID = row.ImageStitcherID;
            if (const Errors::Type_Error code = m_database->tableImageStitcherPicture()->Insert(pictureRow); code != 0)
                return fail(code);
            if (!options.saveInputPictures)
                continue;
            const QString path = picturePath(m_folder, positionPictureFileName(pictureRow.ImageStitcherPictureID));
            if (!place(pending[next++], path))
                return fail(ErrorCannotSavePicture);
            pictureRow.PictureFilePath = path;
            if (const Errors::Type_Error code = m_database->tableImageStitcherPicture()->Update(pictureRow); code != 0)
                return fail(code);
        }
        if (const Errors::Type_Error code = transaction.commit(); code != 0)
            return fail(code);
    }

    if (background) {
        for (size_t i = 0; i < pending.size(); ++i) {
            const Errors::Type_Error code = m_saver->saveImage(paths[i], pending[i].picture, kPictureFormat, kQueueDelayMs, false);
            if (code != 0) {
                // Stored but without its pictures: the result goes again.
                for (const DatabaseTableZelvorinImageStitcherPicture::Dataset& pictureRow : pictureRows)
                    m_database->tableImageStitcherPicture()->Delete(pictureRow.ImageStitcherPictureID);
                m_database->tableImageStitcher()->Delete(row.ImageStitcherID);
                return code;
            }
        }
    }

    result.row() = row;
    for (int i = 0; i < positions; ++i)
        result.setPictureRow(i, pictureRows.at(i));
    o_stitcherID = row.ImageStitcherID;
    return 0;
}
