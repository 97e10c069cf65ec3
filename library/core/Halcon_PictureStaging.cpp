#include "Halcon_PictureStaging.h"

#include "ErrorCodes.h"
#include "Halcon_AsynchronImageSave.h"
#include "Halcon_Helper.h"
#include "Halcon_PictureSpool.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

Halcon_PictureStaging::Halcon_PictureStaging(const QString& folder, const QString& privatePrefix,
                                             const QString& pictureSuffix, const QString& format,
                                             Halcon_AsynchronImageSave* saver, unsigned int delayMs)
    : m_folder(QDir(folder).absolutePath())
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
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_committed)
        return;
    for (const Staged& staged : std::as_const(m_staged))
        if (staged.written)
            QFile::remove(staged.privateFile);
}

Errors::Type_Error Halcon_PictureStaging::add(const Halcon::Hobject& picture)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    Errors::Type_Error error = Halcon_Helper::CheckImage(picture);
    if (error != kNoError)
        return error;
    const QString privateFile = QDir(m_folder).filePath(m_privatePrefix + QUuid::createUuid().toString(QUuid::Id128)
                                                        + (m_saver ? QStringLiteral(".spool") : m_pictureSuffix));
    error = Halcon_Helper::CheckPictureFolder(privateFile);
    if (error != kNoError)
        return error;
    m_staged.append({picture, privateFile, QString(), false});
    return kNoError;
}

QStringList Halcon_PictureStaging::privateFiles() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    QStringList files;
    for (const Staged& staged : m_staged)
        files.append(staged.privateFile);
    return files;
}

Errors::Type_Error Halcon_PictureStaging::write()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    for (Staged& staged : m_staged) {
        if (staged.written)
            continue;
        const Errors::Type_Error error =
            m_saver ? Halcon_PictureSpool::write(staged.privateFile, staged.picture, m_format)
                    : Halcon_Helper::SaveImageFile(staged.privateFile, staged.picture, m_format, false, false);
        if (error != kNoError)
            return error;
        staged.written = true;
        // The pixels are on disk now; the private file holds them until the name is given.
        staged.picture = Halcon::Hobject();
    }
    return kNoError;
}

Errors::Type_Error Halcon_PictureStaging::place(int index, const QString& pictureFile)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (index < 0 || index >= m_staged.size() || !m_staged.at(index).written
        || !m_staged.at(index).pictureFile.isEmpty())
        return kCannotSave;
    m_staged[index].pictureFile = QFileInfo(pictureFile).absoluteFilePath();
    return kNoError;
}

Errors::Type_Error Halcon_PictureStaging::commit()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    // A picture no row took is nobody's.
    for (const Staged& staged : std::as_const(m_staged))
        if (staged.written && staged.pictureFile.isEmpty())
            QFile::remove(staged.privateFile);
    if (m_saver) {
        m_committed = true;
        for (const Staged& staged : std::as_const(m_staged))
            if (!staged.pictureFile.isEmpty())
                m_saver->queueSpooled(staged.privateFile, staged.pictureFile, m_delayMs);
        return kNoError;
    }
    QStringList named;
    for (const Staged& staged : std::as_const(m_staged)) {
        if (staged.pictureFile.isEmpty())
            continue;
        const Errors::Type_Error error = Halcon_PictureSpool::placeEncoded(staged.privateFile, staged.pictureFile);
        if (error != kNoError) {
            for (const QString& file : std::as_const(named))
                QFile::remove(file);
            return error;
        }
        named.append(staged.pictureFile);
    }
    m_committed = true;
    return kNoError;
}
