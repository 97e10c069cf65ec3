#pragma once

#include "Errors.h"

#include <Hobject.h>

#include <QMutex>
#include <QSemaphore>
#include <QString>
#include <QThread>

#include <atomic>
#include <deque>

// Writes pictures on a thread of its own, oldest first, so a page can store large pictures
// without blocking. saveImage checks the target at once, queues a private copy and returns;
// the owner polls isIdle. Destroying the saver writes everything still queued.
class Halcon_AsynchronImageSave : public QThread {
    Q_OBJECT
public:
    explicit Halcon_AsynchronImageSave(QThread::Priority priority = QThread::NormalPriority,
                                       QObject* parent = nullptr);
    ~Halcon_AsynchronImageSave() override;

    // 0 when queued, else the first failed check (41 or a layer code, 50, 52, 53); nothing is
    // queued on failure. throughQImage is handed to Halcon_Helper::SaveImageFile.
    Errors::Type_Error saveImage(const QString& fileName, const Halcon::Hobject& picture, const QString& format,
                                 unsigned int delayMs, bool throughQImage);

    // Queues the promotion of spoolFile (Halcon_PictureSpool), which already holds the picture
    // on disk, to fileName; the picture is marked pending until its promotion has ended.
    // Nothing to check and nothing to copy, so it cannot fail.
    void queueSpooled(const QString& spoolFile, const QString& fileName, unsigned int delayMs);

    // idle: nothing queued and nothing being written. When idle, returns the first failed
    // write since the last call that reported one (0 if none) and forgets it; else 0.
    Errors::Type_Error isIdle(bool& idle);

    // Queued pictures plus the one being written. Always 0.
    Errors::Type_Error getPendingCount(int& count);

signals:
    // From the worker thread after each write; connect queued across threads.
    void signal_saved(QString filenamePath, Errors::Type_Error error);

protected:
    void run() override;

private:
    struct QueueItem {
        QString fileName;
        Halcon::Hobject picture;
        QString format;
        unsigned int delayMs = 0;
        bool throughQImage = false;
        QString spoolFile; // not empty: the picture is in this spool file
    };

    QMutex m_lock;               // guards everything below but the semaphore
    QSemaphore m_wakeUp;         // one unit per queued item and one at shutdown
    std::deque<QueueItem> m_queue;
    bool m_stop = false;
    bool m_busy = false;
    Errors::Type_Error m_lastError = 0;
    // Set as run() returns: QThread::wait tells of the end inside Qt, out of the thread
    // checker's sight; this flag carries the same order where it can see it.
    std::atomic<bool> m_ended{false};
};
