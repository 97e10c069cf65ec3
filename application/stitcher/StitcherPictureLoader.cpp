#include "StitcherPictureLoader.h"

#include <Halcon_Helper.h>
#include <Hobject.h>
#include <Hobject_View_Gui.h>

#include <QReadLocker>
#include <QThreadPool>
#include <QWriteLocker>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

StitcherPictureLoader::StitcherPictureLoader(Hobject_View_Gui* view, QObject* parent)
    : QObject(parent)
    , m_view(view)
{
}

StitcherPictureLoader::~StitcherPictureLoader()
{
    forget();
    for (QFuture<void>& future : m_futures)
        future.waitForFinished();
}

void StitcherPictureLoader::load(const QString& file)
{
    {
        QWriteLocker lock(&m_pendingLock);
        m_pendingFile = file;
    }
    ++m_loadsInProgress;
    // Finished loads need not be waited for any more.
    m_futures.erase(std::remove_if(m_futures.begin(), m_futures.end(),
                                   [](const QFuture<void>& future) { return future.isFinished(); }),
                    m_futures.end());
    m_futures.append(QtConcurrent::run(QThreadPool::globalInstance(), &StitcherPictureLoader::run, this, file));
}

void StitcherPictureLoader::forget()
{
    QWriteLocker lock(&m_pendingLock);
    m_pendingFile.clear();
}

QString StitcherPictureLoader::pendingFile() const
{
    QReadLocker lock(&m_pendingLock);
    return m_pendingFile;
}

int StitcherPictureLoader::finished()
{
    if (m_loadsInProgress > 0)
        --m_loadsInProgress;
    return m_loadsInProgress;
}

void StitcherPictureLoader::run(const QString& file)
{
    if (pendingFile() == file) {
        Halcon::Hobject picture;
        if (Halcon_Helper::LoadImageFile(file, picture) == 0) {
            // Held while the picture goes in: a forget() that returned has seen it happen or
            // made it skip, so the owner's clearing of the viewer afterwards is final.
            QReadLocker lock(&m_pendingLock);
            if (m_pendingFile == file)
                m_view->setPicture(picture, QString(), true);
        }
    }
    emit signal_LoadPictureFinished();
}
