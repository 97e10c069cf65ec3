#include "FilePlacing.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace {

QMutex g_observerLock;
FilePlacingObserver g_observer;

} // namespace

void setFilePlacingObserver(FilePlacingObserver observer)
{
    QMutexLocker locker(&g_observerLock);
    g_observer = std::move(observer);
}

void noteFilePlacingStep(const QString& target, FilePlacingStep step, const QString& from)
{
    FilePlacingObserver observer;
    {
        QMutexLocker locker(&g_observerLock);
        observer = g_observer;
    }
    if (observer)
        observer(target, step, from);
}

bool syncFolder(const QString& folder)
{
    const int descriptor = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool synced = ::fsync(descriptor) == 0;
    ::close(descriptor);
    return synced;
}

bool renameIntoPlace(const QString& from, const QString& to)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return false;
    noteFilePlacingStep(to, FilePlacingStep::Rename, from);
    if (!syncFolder(QFileInfo(to).absolutePath()))
        return false;
    noteFilePlacingStep(to, FilePlacingStep::SyncFolder);
    return true;
}
