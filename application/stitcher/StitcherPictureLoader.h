#pragma once

#include <QFuture>
#include <QList>
#include <QObject>
#include <QReadWriteLock>
#include <QString>

class Hobject_View_Gui;

// Loads picture files for a viewer on the global thread pool, so a dialog stays responsive.
// Only the newest wanted file reaches the viewer: a load whose file is no longer the pending
// one is skipped or its picture dropped. Every load ends with signal_LoadPictureFinished in
// the owner's thread, counted down by finished(). Destruction waits for loads still running.
class StitcherPictureLoader : public QObject {
    Q_OBJECT
public:
    // view is borrowed and must outlive the loader.
    explicit StitcherPictureLoader(Hobject_View_Gui* view, QObject* parent = nullptr);
    ~StitcherPictureLoader() override;

    // GUI thread. Makes file the pending one and starts its load.
    void load(const QString& file);
    // GUI thread. No file is wanted any more; a picture being put into the viewer is in when
    // this returns.
    void forget();
    QString pendingFile() const;
    // GUI thread: the owner's answer to signal_LoadPictureFinished; the loads still running.
    int finished();
    int loadsInProgress() const { return m_loadsInProgress; }

signals:
    void signal_LoadPictureFinished();

private:
    void run(const QString& file);

    Hobject_View_Gui* m_view;
    mutable QReadWriteLock m_pendingLock;
    QString m_pendingFile;
    int m_loadsInProgress = 0;
    QList<QFuture<void>> m_futures;
};
