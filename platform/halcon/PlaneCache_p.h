#pragma once

// Layer-private: pixels for result planes from a cache of recently freed ones.
//
// Operators return new images, so a picture-sized result is allocated on every call; fresh
// memory from the system costs page faults and zeroing that can take longer than the
// operator's own work. Planes made here give their pixels back to the cache when their
// last image goes, and the next plane of that size takes them again. "temporary_mem_cache"
// "false" (set_system) empties the cache and keeps it empty until it is "true" again.

#include <cstddef>

namespace cv {
class Mat;
}

namespace Halcon::Detail {

// An uninitialised plane (rows x cols, OpenCV type) whose pixels come from the cache.
cv::Mat cachedPlane(int rows, int cols, int type);
// Lets `mat` take its pixels from the cache when it is next allocated (create(), or an
// OpenCV call that writes it); call it on an empty Mat.
void useCache(cv::Mat &mat);
// Frees every cached block.
void releasePlaneCache();
// Bytes held by the cache, not by any plane.
std::size_t planeCacheBytes();

} // namespace Halcon::Detail
