#include "PictureFileLoader.h"

#include "Halcon_Helper.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>

PictureFileLoader::PictureFileLoader(int threads, QObject* parent)
    : QObject(parent)
{
    m_pool.setMaxThreadCount(std::max(1, threads));
}

PictureFileLoader::~PictureFileLoader()
{
    cancel();
    for (QFuture<Read>& reading : m_dropped)
        reading.waitForFinished();
}

void PictureFileLoader::load(const QStringList& paths, Done done)
{
    cancel();
    const quint64 load = ++m_load;
    m_done = std::move(done);
    m_reading = QtConcurrent::mapped(&m_pool, paths, [](const QString& path) {
        Read read;
        read.code = Halcon_Helper::LoadImageFile(path, read.picture);
        return read;
    });
    auto* watcher = new QFutureWatcher<Read>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, load] {
        watcher->deleteLater();
        deliver(load);
    });
    watcher->setFuture(m_reading);
}

void PictureFileLoader::cancel()
{
    m_done = nullptr;
    if (m_reading.isStarted() && !m_reading.isFinished()) {
        // Files not begun are skipped; one being read ends on its own.
        m_reading.cancel();
        m_dropped.append(m_reading);
    }
    m_reading = QFuture<Read>();
    m_dropped.erase(std::remove_if(m_dropped.begin(), m_dropped.end(),
                                   [](const QFuture<Read>& reading) { return reading.isFinished(); }),
                    m_dropped.end());
}

void PictureFileLoader::deliver(quint64 load)
{
    if (load != m_load || !m_done)
        return;
    Result result;
    for (const Read& read : m_reading.results()) {
        if (read.code != 0) {
            result.code = read.code;
            result.pictures.clear();
            break;
        }
        result.pictures.append(read.picture);
    }
    const Done done = std::move(m_done);
    m_done = nullptr;
    m_reading = QFuture<Read>();
    done(result);
}
