#include "ExportTarget_Guard.h"

#include "Halcon_Helper.h"
#include "LibraryFunctions.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex g_mutex;
QHash<const void*, QStringList> g_protected;

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

Errors::Type_Error ExportTarget_Guard::checkPicture(const QString& target, const QString& format)
{
    if (const Errors::Type_Error code = check(target))
        return code;
    return check(Halcon_Helper::ImageFileName(target, format, false));
}
