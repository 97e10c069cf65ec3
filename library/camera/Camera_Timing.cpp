#include "Camera_Timing.h"

#include <mutex>

namespace {

std::mutex s_mutex;
Camera_Timing s_timing;

} // namespace

Camera_Timing Camera_Timing::current()
{
    std::lock_guard lock(s_mutex);
    return s_timing;
}

void Camera_Timing::set(const Camera_Timing& timing)
{
    std::lock_guard lock(s_mutex);
    s_timing = timing;
}
