#include "ModelMatchingPendingFiles.h"

#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cstdio>

#include <unistd.h>

namespace {

std::atomic<ModelMatchingPendingFiles::StepHook> g_stepHook{nullptr};

void step()
{
    if (const ModelMatchingPendingFiles::StepHook hook = g_stepHook.load())
        hook();
}

// Nothing but a file (or nothing) may stand where a file is put or removed.
bool replaceable(const QString& target)
{
    const QFileInfo info(target);
    return !info.exists() || info.isFile();
}

bool renamed(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace

void ModelMatchingPendingFiles::setStepHook(StepHook hook)
{
    g_stepHook.store(hook);
}

void ModelMatchingPendingFiles::sweep(const QString& folder)
{
    ModelMatchingSaveRecord::sweep(folder);
}

ModelMatchingPendingFiles::ModelMatchingPendingFiles()
    : m_key(ModelMatchingSaveRecord::newKey())
{
}

ModelMatchingPendingFiles::~ModelMatchingPendingFiles()
{
    discard();
}

QString ModelMatchingPendingFiles::privateName(const QString& target, const QString& purpose, bool keepSuffix)
{
    const QString folder = QFileInfo(target).path();
    bool recorded = false;
    for (const std::unique_ptr<ModelMatchingSaveRecord>& record : m_records)
        recorded = recorded || record->folder() == folder;
    if (!recorded) {
        // The record is there before the first private file: a kill never leaves one unrecorded.
        auto record = std::make_unique<ModelMatchingSaveRecord>(folder, m_key);
        if (!record->isValid() || !record->setStage(m_stage))
            return QString();
        m_records.push_back(std::move(record));
    }
    const QString name = ModelMatchingSaveRecord::privateName(target, purpose, m_key, keepSuffix);
    const QFileInfo taken(name);
    return taken.exists() || taken.isSymLink() ? QString() : name;
}

bool ModelMatchingPendingFiles::toStage(ModelMatchingSaveRecord::Stage stage)
{
    m_stage = stage;
    bool all = true;
    for (const std::unique_ptr<ModelMatchingSaveRecord>& record : m_records)
        all = record->setStage(stage) && all;
    step();
    return all;
}

QString ModelMatchingPendingFiles::replacement(const QString& target)
{
    if (!replaceable(target))
        return QString();
    const QString written = privateName(target, QStringLiteral("saving"), true);
    if (written.isEmpty())
        return written;
    m_replacements.push_back({written, target});
    step();
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
    // The caller may write the file in place: only a copy keeps what it is now. From here on
    // the caller changes a target.
    return backUp(target, true) && toStage(ModelMatchingSaveRecord::Stage_Placing);
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
    const QString backup = privateName(target, QStringLiteral("keeping"), false);
    if (backup.isEmpty()
        || ((copy || ::link(QFile::encodeName(target).constData(), QFile::encodeName(backup).constData()) != 0)
            && !QFile::copy(target, backup)))
        return false;
    m_backups.push_back({backup, target});
    step();
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
    bool placed = toStage(ModelMatchingSaveRecord::Stage_Placing);
    for (size_t i = 0; placed && i < m_replacements.size(); ++i) {
        // Replaces the target in one step: no moment without either file.
        const Replacement& r = m_replacements[i];
        placed = backUp(r.target, false) && renamed(r.written, r.target);
        step();
    }
    for (int i = 0; placed && i < m_removals.size(); ++i) {
        placed = backUp(m_removals[i], false) && (!QFileInfo::exists(m_removals[i]) || QFile::remove(m_removals[i]));
        step();
    }
    if (!placed) {
        discard();
        return false;
    }
    m_replacements.clear();
    m_removals.clear();
    // Should the record not say so, a kill from here on leaves the old files to a person.
    toStage(ModelMatchingSaveRecord::Stage_Placed);
    for (const Replacement& b : m_backups) {
        if (!b.written.isEmpty()) {
            QFile::remove(b.written);
            step();
        }
    }
    m_backups.clear();
    m_records.clear();
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
    m_records.clear();
}
