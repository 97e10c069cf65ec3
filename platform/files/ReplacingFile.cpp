#include "ReplacingFile.h"

#include "LibraryFunctions.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <unistd.h>

ReplacingFile::ReplacingFile(const QString& target)
    : m_target(target)
{
}

ReplacingFile::~ReplacingFile() = default;

bool ReplacingFile::open()
{
    if (m_target.isEmpty())
        return false;
    auto file = std::make_unique<QTemporaryFile>(m_target + QStringLiteral(".XXXXXX"));
    if (!file->open())
        return false;
    m_file = std::move(file);
    return true;
}

QFileDevice& ReplacingFile::file()
{
    return *m_file;
}

bool ReplacingFile::commit()
{
    if (!m_file || !m_file->flush())
        return false;
    const QFileInfo existing(m_target);
    const QFile::Permissions permissions = existing.isFile() && !existing.isSymLink()
        ? existing.permissions()
        : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    if (!m_file->setPermissions(permissions))
        return false;
    // The bytes are on disk before the name changes: a cut power leaves the old file or the new.
    if (::fsync(m_file->handle()) != 0)
        return false;
    m_file->close();
    // rename(2) replaces the name in one step, a link by the file and not the link's target.
    if (!renameIntoPlace(m_file->fileName(), m_target))
        return false;
    m_file->setAutoRemove(false);
    m_file.reset();
    return true;
}

void ReplacingFile::discard()
{
    m_file.reset();
}
