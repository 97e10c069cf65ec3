#include "PlaneCache_p.h"

#include "HalconSystem_p.h"

#include <opencv2/core.hpp>

#include <algorithm>
#include <mutex>
#include <vector>

namespace Halcon::Detail {

namespace {

// Smaller blocks come quickly enough from malloc's own free lists.
constexpr std::size_t kSmallestCachedBlock = 256 * 1024;
// A few sets of camera-sized results; beyond it the oldest blocks are freed.
constexpr std::size_t kCacheCapacity = 160u * 1024 * 1024;

struct Block
{
    void *data;
    std::size_t size;
};

// What OpenCV passes for a step it is to compute itself.
constexpr size_t kAutoStep = 0x7fffffff;

// OpenCV's standard allocation, except that large blocks go back to a cache.
class PlaneAllocator final : public cv::MatAllocator
{
public:
    cv::UMatData *allocate(int dims, const int *sizes, int type, void *data0, size_t *step, cv::AccessFlag,
                           cv::UMatUsageFlags) const override
    {
        size_t total = CV_ELEM_SIZE(type);
        for (int i = dims - 1; i >= 0; --i) {
            if (step) {
                if (data0 && step[i] != kAutoStep)
                    total = step[i];
                else
                    step[i] = total;
            }
            total *= size_t(sizes[i]);
        }
        void *data = data0 ? data0 : take(total);
        auto *u = new cv::UMatData(this);
        u->data = u->origdata = static_cast<uchar *>(data);
        u->size = total;
        if (data0)
            u->flags |= cv::UMatData::USER_ALLOCATED;
        return u;
    }

    bool allocate(cv::UMatData *u, cv::AccessFlag, cv::UMatUsageFlags) const override { return u != nullptr; }

    void deallocate(cv::UMatData *u) const override
    {
        if (!u)
            return;
        if (!(u->flags & cv::UMatData::USER_ALLOCATED))
            giveBack(u->origdata, u->size);
        delete u;
    }

    void release() const
    {
        std::vector<Block> blocks;
        {
            std::lock_guard lock(m_mutex);
            blocks.swap(m_blocks);
            m_bytes = 0;
        }
        for (const Block &b : blocks)
            cv::fastFree(b.data);
    }

    std::size_t bytes() const
    {
        std::lock_guard lock(m_mutex);
        return m_bytes;
    }

private:
    void *take(std::size_t size) const
    {
        if (size >= kSmallestCachedBlock) {
            std::lock_guard lock(m_mutex);
            // The most recently freed block of the size: its pages are the likeliest in cache.
            for (auto it = m_blocks.rbegin(); it != m_blocks.rend(); ++it) {
                if (it->size == size) {
                    void *data = it->data;
                    m_bytes -= size;
                    m_blocks.erase(std::next(it).base());
                    return data;
                }
            }
        }
        return cv::fastMalloc(size);
    }

    void giveBack(void *data, std::size_t size) const
    {
        if (size < kSmallestCachedBlock || size > kCacheCapacity || !SystemState::temporaryMemCache()) {
            cv::fastFree(data);
            return;
        }
        std::vector<void *> evicted;
        {
            std::lock_guard lock(m_mutex);
            m_blocks.push_back(Block{data, size});
            m_bytes += size;
            size_t oldest = 0;
            while (m_bytes > kCacheCapacity) {
                evicted.push_back(m_blocks[oldest].data);
                m_bytes -= m_blocks[oldest].size;
                ++oldest;
            }
            m_blocks.erase(m_blocks.begin(), m_blocks.begin() + std::ptrdiff_t(oldest));
        }
        for (void *p : evicted)
            cv::fastFree(p);
    }

    mutable std::mutex m_mutex;
    mutable std::vector<Block> m_blocks; // oldest first
    mutable std::size_t m_bytes = 0;
};

PlaneAllocator &allocator()
{
    // Never destroyed: planes held by static objects may be freed after main returns.
    static PlaneAllocator *instance = new PlaneAllocator;
    return *instance;
}

} // namespace

cv::Mat cachedPlane(int rows, int cols, int type)
{
    cv::Mat plane;
    plane.allocator = &allocator();
    plane.create(rows, cols, type);
    return plane;
}

void useCache(cv::Mat &mat)
{
    if (mat.empty())
        mat.allocator = &allocator();
}

void releasePlaneCache()
{
    allocator().release();
}

std::size_t planeCacheBytes()
{
    return allocator().bytes();
}

} // namespace Halcon::Detail
