#pragma once

#include "ModelMatchingSaveRecord.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

// The files of one save, put in place together: each is written beside its target under a
// name of its own and renamed over the target by commit, which also removes the targets that
// are to go. Until then, and when the object goes without a commit, every target stays as it
// was and what was written for it is removed. A folder where a target belongs is refused at
// once, so that commit does not meet it halfway; should a step of commit still fail, the
// steps before it are undone from second names of the old files. A record beside the files
// (ModelMatchingSaveRecord) lets the next load of the folder clear what a killed save left.
class ModelMatchingPendingFiles {
public:
    // Called after each step that changes a file on disk; lets a test end the process there.
    using StepHook = void (*)();
    static void setStepHook(StepHook hook);
    // What killed saves left in folder, as far as it is safe to remove (ModelMatchingSaveRecord).
    static void sweep(const QString& folder);

    ModelMatchingPendingFiles();
    ~ModelMatchingPendingFiles();
    ModelMatchingPendingFiles(const ModelMatchingPendingFiles&) = delete;
    ModelMatchingPendingFiles& operator=(const ModelMatchingPendingFiles&) = delete;

    // A free name beside target with target's last suffix, for a writer to fill; it replaces
    // target on commit. Empty when target cannot be replaced.
    QString replacement(const QString& target);
    // target goes on commit; false when it cannot.
    bool removal(const QString& target);
    // A file that the caller replaces itself before commit: a commit that fails, or none,
    // puts back the file as it is now. false when it cannot be kept.
    bool keep(const QString& target);
    // Runs after a commit that put every target in place.
    void onCommit(std::function<void()> action);
    // true when every target is in place; the actions have run then.
    bool commit();

private:
    struct Replacement {
        QString written;
        QString target;
    };

    void discard();
    // Puts back every kept file and removes what took the place of a file that was not there.
    void restore();
    bool kept(const QString& target) const;
    // Keeps target as it is now (copy, or a hard link where the file is only ever renamed over).
    bool backUp(const QString& target, bool copy);
    // A free private name for target, under the record of its folder; empty when there is none.
    QString privateName(const QString& target, const QString& purpose, bool keepSuffix);
    bool toStage(ModelMatchingSaveRecord::Stage stage);

    const QString m_key;
    ModelMatchingSaveRecord::Stage m_stage = ModelMatchingSaveRecord::Stage_Writing;
    // One per folder that holds a private file of this save.
    std::vector<std::unique_ptr<ModelMatchingSaveRecord>> m_records;
    std::vector<Replacement> m_replacements;
    QStringList m_removals;
    // written = the second name of the old target; empty written: the target was not there.
    std::vector<Replacement> m_backups;
    std::vector<std::function<void()>> m_actions;
};
