#include "Camera_LiveView_Timing.h"

#include "Gui_Helper.h"

#include <QMutex>
#include <QMutexLocker>

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

int Camera_LiveView_Timing::waitThen(Automation_Call* call, const std::function<bool()>& done,
                                     const std::function<int(bool)>& next)
{
    const Camera_LiveView_Timing timing = current();
    return Gui_Helper::waitThen(call, done, timing.waitTimeout, timing.waitStep, next);
}
