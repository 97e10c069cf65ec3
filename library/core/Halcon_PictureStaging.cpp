#include "Halcon_PictureStaging.h"

#include "ErrorCodes.h"
#include "Halcon_AsynchronImageSave.h"
#include "Halcon_Helper.h"
#include "Halcon_PictureSpool.h"
#include "LibraryFunctions.h"

#include <QDir>
#include <QFile>
#include <QUuid>

Halcon_PictureStaging::Halcon_PictureStaging(const QString& folder, const QString& privatePrefix,
                                             const QString& pictureSuffix, const QString& format,
                                             Halcon_AsynchronImageSave* saver, unsigned int delayMs)
    : m_folder(folder)
    , m_privatePrefix(privatePrefix)
    , m_pictureSuffix(pictureSuffix)
    , m_format(format)
    , m_saver(saver)
    , m_delayMs(delayMs)
    , m_committed(false)
{
}

Halcon_PictureStaging::~Halcon_PictureStaging()
{
    for (const Staged& staged : std::as_const(m_staged)) {
        if (staged.pictureFile.isEmpty())
            QFile::remove(staged.privateFile);
        else if (!m_committed)
            QFile::remove(m_saver ? Halcon_PictureSpool::spoolFileFor(staged.pictureFile) : staged.pictureFile);
    }
}

Errors::Type_Error Halcon_PictureStaging::add(const Halcon::Hobject& picture)
{
    Errors::Type_Error error = Halcon_Helper::CheckImage(picture);
    if (error != kNoError)
        return error;
    const QString privateFile = QDir(m_folder).filePath(m_privatePrefix + QUuid::createUuid().toString(QUuid::Id128)
                                                        + (m_saver ? QStringLiteral(".spool") : m_pictureSuffix));
    error = Halcon_Helper::CheckPictureFolder(privateFile);
    if (error != kNoError)
        return error;
    error = m_saver ? Halcon_PictureSpool::write(privateFile, picture, m_format)
                    : Halcon_Helper::SaveImageFile(privateFile, picture, m_format, false, false);
    if (error != kNoError)
        return error;
    m_staged.append({privateFile, QString()});
    return kNoError;
}

Errors::Type_Error Halcon_PictureStaging::place(int index, const QString& pictureFile)
{
    if (index < 0 || index >= m_staged.size() || !m_staged.at(index).pictureFile.isEmpty())
        return kCannotSave;
    Staged& staged = m_staged[index];
    const QString target = m_saver ? Halcon_PictureSpool::spoolFileFor(pictureFile) : pictureFile;
    const bool placed = renameIntoPlace(staged.privateFile, target);
    // Moved but not synced still counts as placed, so that a rollback removes it.
    if (placed || !QFile::exists(staged.privateFile))
        staged.pictureFile = pictureFile;
    return placed ? kNoError : kCannotSave;
}

void Halcon_PictureStaging::commit()
{
    m_committed = true;
    if (!m_saver)
        return;
    for (const Staged& staged : std::as_const(m_staged))
        if (!staged.pictureFile.isEmpty())
            m_saver->queueSpooled(staged.pictureFile, m_delayMs);
}
