#include "ModelMatchingPendingFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cstdio>

namespace {

// Nothing but a file (or nothing) may stand where a file is put or removed.
bool replaceable(const QString& target)
{
    const QFileInfo info(target);
    return !info.exists() || info.isFile();
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
    const QFileInfo info(target);
    // The writers append their format's ending to a name without it: the name keeps the target's.
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString stem = target.left(target.size() - suffix.size());
    QString written;
    do {
        written = stem + QStringLiteral(".saving-%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))
            + suffix;
    } while (QFileInfo::exists(written));
    m_replacements.push_back({written, target});
    return written;
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
        if (std::rename(QFile::encodeName(r.written).constData(), QFile::encodeName(r.target).constData()) != 0) {
            QFile::remove(r.written);
            placed = false;
        }
    }
    m_replacements.clear();
    for (const QString& target : std::as_const(m_removals))
        placed = (!QFileInfo::exists(target) || QFile::remove(target)) && placed;
    m_removals.clear();
    std::vector<std::function<void()>> actions;
    actions.swap(m_actions);
    if (placed) {
        for (const std::function<void()>& action : actions)
            action();
    }
    return placed;
}

void ModelMatchingPendingFiles::discard()
{
    for (const Replacement& r : m_replacements)
        QFile::remove(r.written);
    m_replacements.clear();
    m_removals.clear();
    m_actions.clear();
}
