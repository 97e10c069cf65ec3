#include "ReplacingFile.h"

#include "FilePlacing.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <unistd.h>

ReplacingFile::ReplacingFile(const QString& target)
    : m_target(target)
{
}

ReplacingFile::~ReplacingFile() = default;

bool ReplacingFile::write(const QString& target, const QByteArray& bytes)
{
    ReplacingFile file(target);
    return file.open() && file.file().write(bytes) == bytes.size() && file.commit();
}

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
    noteFilePlacingStep(m_target, FilePlacingStep::Write);
    const QFileInfo existing(m_target);
    const QFile::Permissions permissions = existing.isFile() && !existing.isSymLink()
        ? existing.permissions()
        : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    if (!m_file->setPermissions(permissions))
        return false;
    // The bytes are on disk before the name changes: a cut power leaves the old file or the new.
    if (::fsync(m_file->handle()) != 0)
        return false;
    noteFilePlacingStep(m_target, FilePlacingStep::SyncFile);
    m_file->close();
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
