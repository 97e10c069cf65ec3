#include "ModelMatchingPendingFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cstdio>

#include <unistd.h>

namespace {

// Nothing but a file (or nothing) may stand where a file is put or removed.
bool replaceable(const QString& target)
{
    const QFileInfo info(target);
    return !info.exists() || info.isFile();
}

// A free name beside target, with target's last suffix.
QString freeName(const QString& target, const char* purpose)
{
    const QFileInfo info(target);
    // The writers append their format's ending to a name without it: the name keeps the target's.
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString stem = target.left(target.size() - suffix.size());
    QString name;
    do {
        name = stem + QStringLiteral(".%1-%2").arg(QLatin1String(purpose))
                          .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))
            + suffix;
    } while (QFileInfo::exists(name));
    return name;
}

bool renamed(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace

ModelMatchingPendingFiles::~ModelMatchingPendingFiles()
{
    discard();
}

QString ModelMatchingPendingFiles::replacement(const QString& target)
{
    if (!replaceable(target))
        return QString();
    const QString written = freeName(target, "saving");
    m_replacements.push_back({written, target});
    return written;
}

bool ModelMatchingPendingFiles::kept(const QString& target) const
{
    for (const Replacement& b : m_backups) {
        if (b.target == target)
            return true;
    }
    return false;
}

bool ModelMatchingPendingFiles::keep(const QString& target)
{
    // The caller may write the file in place: only a copy keeps what it is now.
    return backUp(target, true);
}

bool ModelMatchingPendingFiles::backUp(const QString& target, bool copy)
{
    if (!replaceable(target))
        return false;
    if (kept(target))
        return true;
    if (!QFileInfo::exists(target)) {
        m_backups.push_back({QString(), target});
        return true;
    }
    // Commit replaces files by renames, so a second name of the old file keeps it while the
    // target stays in place; a folder without hard links gets a copy.
    const QString backup = freeName(target, "keeping");
    if ((copy || ::link(QFile::encodeName(target).constData(), QFile::encodeName(backup).constData()) != 0)
        && !QFile::copy(target, backup))
        return false;
    m_backups.push_back({backup, target});
    return true;
}

bool ModelMatchingPendingFiles::removal(const QString& target)
{
    if (!replaceable(target))
        return false;
    m_removals.append(target);
    return true;
}

void ModelMatchingPendingFiles::onCommit(std::function<void()> action)
{
    m_actions.push_back(std::move(action));
}

bool ModelMatchingPendingFiles::commit()
{
    bool placed = true;
    for (const Replacement& r : m_replacements) {
        // Replaces the target in one step: no moment without either file.
        if (!(placed = backUp(r.target, false) && renamed(r.written, r.target)))
            break;
    }
    for (int i = 0; placed && i < m_removals.size(); ++i)
        placed = backUp(m_removals[i], false) && (!QFileInfo::exists(m_removals[i]) || QFile::remove(m_removals[i]));
    if (!placed) {
        discard();
        return false;
    }
    m_replacements.clear();
    m_removals.clear();
    for (const Replacement& b : m_backups) {
        if (!b.written.isEmpty())
            QFile::remove(b.written);
    }
    m_backups.clear();
    std::vector<std::function<void()>> actions;
    actions.swap(m_actions);
    for (const std::function<void()>& action : actions)
        action();
    return true;
}

void ModelMatchingPendingFiles::restore()
{
    for (const Replacement& b : m_backups) {
        if (b.written.isEmpty())
            QFile::remove(b.target);
        else
            renamed(b.written, b.target);
    }
    m_backups.clear();
}

void ModelMatchingPendingFiles::discard()
{
    restore();
    for (const Replacement& r : m_replacements)
        QFile::remove(r.written);
    m_replacements.clear();
    m_removals.clear();
    m_actions.clear();
}
