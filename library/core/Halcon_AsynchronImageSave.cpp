#include "Halcon_AsynchronImageSave.h"

#include "Halcon_Helper.h"
#include "Halcon_PictureSpool.h"

#include <HalconObjectOps.h>
#include <HalconTypes.h>

#include <QCoreApplication>
#include <QMutexLocker>

#include <optional>

Halcon_AsynchronImageSave::Halcon_AsynchronImageSave(QThread::Priority priority, QObject* parent)
    : QThread(parent)
{
    start(priority);
}

Halcon_AsynchronImageSave::~Halcon_AsynchronImageSave()
{
    {
        QMutexLocker locker(&m_lock);
        m_stop = true;
    }
    // Every queued item released a unit before this one, so the worker writes them all first.
    m_wakeUp.release();

    // Keep the owner's thread answering (queued signals, repaints) while the queue drains.
    while (!wait(100))
        QCoreApplication::processEvents();
    while (!m_ended.load(std::memory_order_acquire))
        QThread::yieldCurrentThread();
}

Errors::Type_Error Halcon_AsynchronImageSave::saveImage(const QString& fileName, const Halcon::Hobject& picture,
                                                        const QString& format, unsigned int delayMs,
                                                        bool throughQImage)
{
    Errors::Type_Error error = Halcon_Helper::CheckImage(picture);
    if (error != 0)
        return error;
    error = Halcon_Helper::CheckPictureFolder(fileName);
    if (error != 0)
        return error;

    // A copy of its own, outside the lock, so the caller may drop its picture at once.
    QueueItem item;
    item.fileName = fileName;
    item.format = format;
    item.delayMs = delayMs;
    item.throughQImage = throughQImage;
    if (Halcon::copy_image(picture, &item.picture) != Halcon::kSuccess)
        return 40;

    {
        QMutexLocker locker(&m_lock);
        m_queue.push_back(std::move(item));
    }
    m_wakeUp.release();
    return 0;
}

void Halcon_AsynchronImageSave::queueSpooled(const QString& spoolFile, const QString& fileName, unsigned int delayMs)
{
    Halcon_PictureSpool::setPending(fileName, true);
    QueueItem item;
    item.fileName = fileName;
    item.delayMs = delayMs;
    item.spoolFile = spoolFile;
    {
        QMutexLocker locker(&m_lock);
        m_queue.push_back(std::move(item));
    }
    m_wakeUp.release();
}

Errors::Type_Error Halcon_AsynchronImageSave::isIdle(bool& idle)
{
    QMutexLocker locker(&m_lock);
    idle = m_queue.empty() && !m_busy;
    if (!idle)
        return 0;
    const Errors::Type_Error error = m_lastError;
    m_lastError = 0;
    return error;
}

Errors::Type_Error Halcon_AsynchronImageSave::getPendingCount(int& count)
{
    QMutexLocker locker(&m_lock);
    count = int(m_queue.size()) + (m_busy ? 1 : 0);
    return 0;
}

void Halcon_AsynchronImageSave::run()
{
    for (;;) {
        m_wakeUp.acquire();

        std::optional<QueueItem> item;
        bool stop = false;
        {
            // Taking the item and raising the busy flag is one step, so isIdle never sees
            // an empty queue while a picture is on its way to the disk.
            QMutexLocker locker(&m_lock);
            if (!m_queue.empty()) {
                item.emplace(std::move(m_queue.front()));
                m_queue.pop_front();
                m_busy = true;
            }
            stop = m_stop;
        }

        if (!item) {
            if (stop) {
                m_ended.store(true, std::memory_order_release);
                return;
            }
            continue;
        }

        if (item->delayMs > 0)
            QThread::msleep(item->delayMs);

        Errors::Type_Error result = 0;
        if (!item->spoolFile.isEmpty()) {
            // A failed promotion keeps the spool: the next start tries again.
            result = Halcon_PictureSpool::promote(item->spoolFile, item->fileName);
            Halcon_PictureSpool::setPending(item->fileName, false);
        } else {
            result = Halcon_Helper::SaveImageFile(item->fileName, item->picture, item->format, false, item->throughQImage);
        }
        emit signal_saved(item->fileName, result);

        {
            QMutexLocker locker(&m_lock);
            m_busy = false;
            // The first failure stays until it is read, so a later success cannot hide it.
            if (result != 0 && m_lastError == 0)
                m_lastError = result;
        }
        item.reset();
    }
}
