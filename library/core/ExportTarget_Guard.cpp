#include "ExportTarget_Guard.h"

#include "LibraryFunctions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex g_mutex;
QHash<const void*, QStringList> g_protected;
QHash<const void*, ExportTarget_Guard::Kind> g_kinds;

// As many links as the kernel follows before it gives up.
constexpr int MaximumLinkHops = 40;

bool isSameOrBeneath(const QString& path, const QString& protectedPath)
{
    if (protectedPath.isEmpty())
        return false;
    if (path == protectedPath)
        return true;
    const QString folder = protectedPath.endsWith(QLatin1Char('/')) ? protectedPath : protectedPath + QLatin1Char('/');
    return path.startsWith(folder);
}

QString tr(const char* text)
{
    return QCoreApplication::translate("ExportTarget_Guard", text);
}

QString settingsFolder()
{
    return libraryApplicationPath() + QStringLiteral("/settings");
}

// The words for a target inside index-th path of paths, protected as kind.
QString protectedReason(ExportTarget_Guard::Kind kind, const QStringList& paths, qsizetype index)
{
    const QString path = QDir::toNativeSeparators(paths.at(index));
    switch (kind) {
    case ExportTarget_Guard::Kind::DatabaseFiles:
        if (index == 0)
            return tr("it is the open database");
        return tr("it is a journal of the open database \"%1\"").arg(QDir::toNativeSeparators(paths.first()));
    case ExportTarget_Guard::Kind::PictureFolder:
        return tr("it lies in the picture folder \"%1\" of the database").arg(path);
    case ExportTarget_Guard::Kind::OwnData:
        break;
    }
    return tr("it lies in \"%1\", which belongs to the program's own data").arg(path);
}

} // namespace

QString ExportTarget_Guard::resolvedPath(const QString& path)
{
    if (path.isEmpty())
        return QString();
    QFileInfo info(QDir::current().absoluteFilePath(path));
    // A link that points nowhere yet is followed too: writing through it creates its target.
    for (int hops = 0; hops < MaximumLinkHops && info.isSymLink() && !info.exists(); ++hops)
        info.setFile(info.symLinkTarget());
    if (info.exists())
        return info.canonicalFilePath();
    // Not there yet: the nearest folder above that exists, resolved, and the rest as named.
    QStringList rest{info.fileName()};
    QString folder = info.absolutePath();
    while (!QFileInfo::exists(folder)) {
        const QFileInfo missing(folder);
        const QString above = missing.absolutePath();
        if (above == folder)
            break;
        rest.prepend(missing.fileName());
        folder = above;
    }
    const QString existing = QFileInfo(folder).canonicalFilePath();
    return QDir::cleanPath((existing.isEmpty() ? folder : existing) + QLatin1Char('/') + rest.join(QLatin1Char('/')));
}

QStringList ExportTarget_Guard::databaseFiles(const QString& databaseFile)
{
    if (databaseFile.isEmpty())
        return {};
    const QFileInfo file(databaseFile);
    // SQLite's journals beside the file; the lock files of MS Access.
    return {databaseFile,
            databaseFile + QStringLiteral("-journal"),
            databaseFile + QStringLiteral("-wal"),
            databaseFile + QStringLiteral("-shm"),
            file.path() + QLatin1Char('/') + file.completeBaseName() + QStringLiteral(".ldb"),
            file.path() + QLatin1Char('/') + file.completeBaseName() + QStringLiteral(".laccdb")};
}

void ExportTarget_Guard::protect(const void* owner, const QStringList& paths)
{
    QStringList absolute;
    for (const QString& path : paths) {
        if (!path.isEmpty())
            absolute << QDir::current().absoluteFilePath(path);
    }
    QMutexLocker locker(&g_mutex);
    g_protected.insert(owner, absolute);
}

void ExportTarget_Guard::release(const void* owner)
{
    QMutexLocker locker(&g_mutex);
    g_protected.remove(owner);
    g_kinds.remove(owner);
}

Errors::Type_Error ExportTarget_Guard::check(const QString& target)
{
    // No file at all: what the writer makes of that is its own answer.
    const QString resolved = resolvedPath(target);
    if (resolved.isEmpty())
        return 0;
    const QFileInfo info(resolved);
    if (info.exists() && !info.isFile())
        return ErrorRefused;

    QStringList protectedPaths{libraryApplicationPath() + QStringLiteral("/settings")};
    {
        QMutexLocker locker(&g_mutex);
        for (const QStringList& paths : std::as_const(g_protected))
            protectedPaths += paths;
    }
    for (const QString& path : std::as_const(protectedPaths)) {
        if (isSameOrBeneath(resolved, resolvedPath(path)))
            return ErrorRefused;
    }
    return 0;
}

void ExportTarget_Guard::describe(const void* owner, Kind kind)
{
    QMutexLocker locker(&g_mutex);
    g_kinds.insert(owner, kind);
}

QString ExportTarget_Guard::refusalReason(const QString& target)
{
    if (check(target) == 0)
        return QString();
    const QString resolved = resolvedPath(target);
    const QFileInfo info(resolved);
    if (info.isDir())
        return tr("it is a folder");
    if (info.exists() && !info.isFile())
        return tr("it is a device, pipe or socket, not a regular file");
    if (isSameOrBeneath(resolved, resolvedPath(settingsFolder())))
        return tr("it lies in the program's settings folder \"%1\"").arg(QDir::toNativeSeparators(settingsFolder()));

    QHash<const void*, QStringList> protectedPaths;
    QHash<const void*, Kind> kinds;
    {
        QMutexLocker locker(&g_mutex);
        protectedPaths = g_protected;
        kinds = g_kinds;
    }
    for (auto it = protectedPaths.cbegin(); it != protectedPaths.cend(); ++it) {
        for (qsizetype i = 0; i < it.value().size(); ++i) {
            if (isSameOrBeneath(resolved, resolvedPath(it.value().at(i))))
                return protectedReason(kinds.value(it.key(), Kind::OwnData), it.value(), i);
        }
    }
    return tr("it belongs to the program's own data");
}
