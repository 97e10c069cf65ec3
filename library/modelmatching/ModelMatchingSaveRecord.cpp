#include "ModelMatchingSaveRecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cstdio>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const char* const kStageNames[] = {"writing", "placing", "placed"};

QString recordName(const QString& key, ModelMatchingSaveRecord::Stage stage)
{
    return QStringLiteral(".pending-%1.%2").arg(key, QLatin1String(kStageNames[stage]));
}

bool renamed(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

int openLocked(const QString& path, int flags)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(), flags | O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor < 0)
        return -1;
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

} // namespace

ModelMatchingSaveRecord::ModelMatchingSaveRecord(const QString& folder, const QString& key)
    : m_folder(folder)
    , m_key(key)
{
    // Made under a name no sweep looks at, and given its stage only once it is locked: a
    // sweep never meets it unlocked.
    const QString opening = QDir(folder).filePath(QStringLiteral(".pending-%1.opening").arg(key));
    m_descriptor = openLocked(opening, O_CREAT | O_EXCL);
    if (m_descriptor >= 0 && !renamed(opening, recordPath(Stage_Writing))) {
        ::unlink(QFile::encodeName(opening).constData());
        ::close(m_descriptor);
        m_descriptor = -1;
    }
}

ModelMatchingSaveRecord::~ModelMatchingSaveRecord()
{
    if (m_descriptor < 0)
        return;
    ::unlink(QFile::encodeName(recordPath(m_stage)).constData());
    ::close(m_descriptor);
}

QString ModelMatchingSaveRecord::recordPath(Stage stage) const
{
    return QDir(m_folder).filePath(recordName(m_key, stage));
}

bool ModelMatchingSaveRecord::setStage(Stage stage)
{
    if (m_descriptor < 0)
        return false;
    if (stage == m_stage)
        return true;
    if (!renamed(recordPath(m_stage), recordPath(stage)))
        return false;
    m_stage = stage;
    return true;
}

QString ModelMatchingSaveRecord::newKey()
{
    return QStringLiteral("%1").arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
}

QString ModelMatchingSaveRecord::privateName(const QString& target, const QString& purpose, const QString& key,
                                             bool keepSuffix)
{
    const QFileInfo info(target);
    const QString name = info.fileName();
    const QString suffix = keepSuffix && !info.suffix().isEmpty() ? QLatin1Char('.') + info.suffix() : QString();
    const QString stem = name.left(name.size() - suffix.size());
    return QDir(info.path()).filePath(QStringLiteral(".%1.%2-%3%4").arg(stem, purpose, key, suffix));
}

void ModelMatchingSaveRecord::sweep(const QString& folder)
{
    const QDir dir(folder);
    static const QRegularExpression record(QStringLiteral("^\\.pending-([0-9a-f]{16})\\.(writing|placed)$"));
    const QDir::Filters files = QDir::Files | QDir::Hidden | QDir::System;
    for (const QString& name : dir.entryList({QStringLiteral(".pending-*")}, files)) {
        const QRegularExpressionMatch match = record.match(name);
        if (!match.hasMatch())
            continue;
        const int descriptor = openLocked(dir.filePath(name), 0);
        if (descriptor < 0)
            continue;
        // A writer's own temporary file of a private name carries the key as well.
        const QRegularExpression ownFile(QStringLiteral("^\\..+\\.(saving|keeping)-%1(\\..*)?$").arg(match.captured(1)));
        for (const QString& entry : dir.entryList({QStringLiteral(".*")}, files)) {
            if (ownFile.match(entry).hasMatch())
                ::unlink(QFile::encodeName(dir.filePath(entry)).constData());
        }
        ::unlink(QFile::encodeName(dir.filePath(name)).constData());
        ::close(descriptor);
    }
}
