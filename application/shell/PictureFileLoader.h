#pragma once

#include "Errors.h"

#include <Hobject.h>

#include <QFuture>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QThread>
#include <QThreadPool>

#include <functional>

// Reads the picture files of an operator's command on threads of its own, all at once, and
// hands them back in the GUI thread. The demo pictures are megabytes each: read in the GUI
// thread they held every click and every automation call for a second and more. Not on the
// global pool: Qt paints pictures with its threads, and the GUI thread would wait for a read
// to end before it could paint. One load at a time: a new load or a cancel drops the one
// under way, whose pictures then reach no one. GUI thread.
class PictureFileLoader : public QObject {
public:
    struct Result {
        // 0, or the code of the first file in list order that could not be read.
        Errors::Type_Error code = 0;
        // One per file, in list order, when code is 0.
        QList<Halcon::Hobject> pictures;
    };
    using Done = std::function<void(const Result&)>;

    // threads: how many files are read at once.
    explicit PictureFileLoader(int threads = QThread::idealThreadCount(), QObject* parent = nullptr);
    // Waits for the files still being read; their pictures reach no one.
    ~PictureFileLoader() override;

    // done runs in the GUI thread, from the event loop, once every file is read.
    void load(const QStringList& paths, Done done);
    void cancel();
    // Between load and its done, unless cancelled.
    bool isLoading() const { return m_done != nullptr; }

private:
    struct Read {
        Errors::Type_Error code = 0;
        Halcon::Hobject picture;
    };

    void deliver(quint64 load);

    QThreadPool m_pool;
    quint64 m_load = 0;
    Done m_done;
    QFuture<Read> m_reading;
    // Reads that were dropped but may still run; waited for at the end.
    QList<QFuture<Read>> m_dropped;
};
