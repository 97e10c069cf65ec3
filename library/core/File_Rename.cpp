#include "File_Rename.h"

#include "FilePlacing.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

File_Rename::Result File_Rename::withoutReplacing(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) != 0) {
        if (errno == EEXIST)
            return NameTaken;
        // File systems without the flag (some network shares): a second name made by link()
        // fails just as atomically when the name is taken.
        if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
            return Failed;
        if (::link(source.constData(), target.constData()) != 0)
            return errno == EEXIST ? NameTaken : Failed;
        ::unlink(source.constData());
    }
    noteFilePlacingStep(to, FilePlacingStep::Rename, from);
    return Renamed;
}
