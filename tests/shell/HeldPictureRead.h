#pragma once

// Holds the first read of one picture file where it begins, seen through the log line every
// read writes, until the test lets it go (or a few seconds have passed): the read then lasts
// as long as the test wants, on whichever thread it runs. Given Write, the first write of the
// file instead. One hold at a time; install() in initTestCase, uninstall() in
// cleanupTestCase, and end a hold only once nothing can read or write any more (the window or
// loader that does is gone).

#include <QSemaphore>
#include <QString>
#include <QThread>
#include <QtGlobal>

#include <atomic>
#include <memory>

class HeldPictureRead {
public:
    enum Operation { Read, Write };
    explicit HeldPictureRead(const QString& file, Operation operation = Read)
        : m_file(file)
        , m_operation(QLatin1String(operation == Read ? "Halcon_Helper::LoadImageFile(" : "Halcon_Helper::SaveImageFile("))
    {
        current() = this;
    }
    ~HeldPictureRead()
    {
        current() = nullptr;
        release();
    }
    HeldPictureRead(const HeldPictureRead&) = delete;
    HeldPictureRead& operator=(const HeldPictureRead&) = delete;

    // The read began and is held; false after timeoutMs.
    bool waitBegun(int timeoutMs = 30000) { return m_begun.tryAcquire(1, timeoutMs); }
    QSemaphore& begun() { return m_begun; }
    void release() { m_release.release(); }
    QThread* thread() const { return m_thread; }

    static void install() { previous() = qInstallMessageHandler(&handle); }
    static void uninstall() { qInstallMessageHandler(previous()); }

private:
    static std::atomic<HeldPictureRead*>& current()
    {
        static std::atomic<HeldPictureRead*> held{nullptr};
        return held;
    }
    static QtMessageHandler& previous()
    {
        static QtMessageHandler handler = nullptr;
        return handler;
    }

    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        HeldPictureRead* held = current();
        if (held && message.contains(held->m_operation) && message.contains(held->m_file)
            && !message.contains(QLatin1String("->")) && !held->m_held.exchange(true)) {
            held->m_thread = QThread::currentThread();
            held->m_begun.release();
            held->m_release.tryAcquire(1, 5000);
        }
        if (previous())
            previous()(type, context, message);
    }

    QString m_file;
    QLatin1String m_operation;
    std::atomic<bool> m_held{false};
    std::atomic<QThread*> m_thread{nullptr};
    QSemaphore m_begun;
    QSemaphore m_release;
};
