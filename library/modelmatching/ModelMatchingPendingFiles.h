#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// The files of one save, put in place together: each is written beside its target under a
// name of its own and renamed over the target by commit, which also removes the targets that
// are to go. Until then, and when the object goes without a commit, every target stays as it
// was and what was written for it is removed. A folder where a target belongs is refused at
// once, so that commit does not meet it halfway.
class ModelMatchingPendingFiles {
public:
    ModelMatchingPendingFiles() = default;
    ~ModelMatchingPendingFiles();
    ModelMatchingPendingFiles(const ModelMatchingPendingFiles&) = delete;
    ModelMatchingPendingFiles& operator=(const ModelMatchingPendingFiles&) = delete;

    // A free name beside target with target's last suffix, for a writer to fill; it replaces
    // target on commit. Empty when target cannot be replaced.
    QString replacement(const QString& target);
    // target goes on commit; false when it cannot.
    bool removal(const QString& target);
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

    std::vector<Replacement> m_replacements;
    QStringList m_removals;
    std::vector<std::function<void()>> m_actions;
};
