#include "RegionBounds_p.h"

#include <atomic>

namespace Halcon::Detail {

namespace {

std::atomic<int> g_width{0};
std::atomic<int> g_height{0};
thread_local int t_paused = 0;

void raise(std::atomic<int>& value, int candidate)
{
    int current = value.load(std::memory_order_relaxed);
    while (candidate > current
           && !value.compare_exchange_weak(current, candidate, std::memory_order_relaxed)) {
    }
}

} // namespace

void notePictureSize(int width, int height)
{
    if (t_paused > 0)
        return;
    raise(g_width, width);
    raise(g_height, height);
}

void pictureBounds(int& width, int& height)
{
    width = g_width.load(std::memory_order_relaxed);
    height = g_height.load(std::memory_order_relaxed);
}

PictureSizeNotesPaused::PictureSizeNotesPaused()
{
    ++t_paused;
}

PictureSizeNotesPaused::~PictureSizeNotesPaused()
{
    --t_paused;
}

} // namespace Halcon::Detail
