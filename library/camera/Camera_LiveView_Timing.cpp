#include "Camera_LiveView_Timing.h"

#include "Gui_Helper.h"

#include <QDeadlineTimer>
#include <QMutex>
#include <QMutexLocker>

#include <algorithm>

namespace {

QMutex g_mutex;
Camera_LiveView_Timing g_timing;

} // namespace

Camera_LiveView_Timing Camera_LiveView_Timing::current()
{
    QMutexLocker locker(&g_mutex);
    return g_timing;
}

void Camera_LiveView_Timing::set(const Camera_LiveView_Timing& timing)
{
    QMutexLocker locker(&g_mutex);
    g_timing = timing;
}

bool Camera_LiveView_Timing::waitFor(const std::function<bool()>& done)
{
    const Camera_LiveView_Timing timing = current();
    const QDeadlineTimer deadline(qint64(std::max(0, timing.waitTimeout)), Qt::PreciseTimer);
    for (;;) {
        if (done())
            return true;
        if (deadline.hasExpired())
            return false;
        Gui_Helper::waitProcessingEvents(unsigned(std::max(1, timing.waitStep)));
    }
}
