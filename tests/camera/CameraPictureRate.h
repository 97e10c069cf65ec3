#pragma once

// For the camera benchmarks: how many pictures per second the camera's picture signal
// brings to the calling thread.

#include "Camera.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>

#include <algorithm>

namespace CameraPictureRate {

// Good pictures per second over the given number, counted from the first one on (the
// warm-up before it does not count). A receiver connected earlier has handled each picture
// before it is counted here.
inline double receivedPerSecond(Camera& camera, int frames)
{
    int received = 0;
    QObject receiver;
    QObject::connect(&camera, &Camera::signal_picture, &receiver,
                     [&received](Errors::Type_Error error, const Halcon::Hobject&) { received += error == 0; });
    while (received == 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    received = 0;
    QElapsedTimer timer;
    timer.start();
    while (received < frames)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return received * 1e9 / double(std::max<qint64>(1, timer.nsecsElapsed()));
}

} // namespace CameraPictureRate
