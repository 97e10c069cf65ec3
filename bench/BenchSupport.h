#pragma once

// Timing helpers shared by the vision layer benchmarks.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace BenchSupport {

inline double elapsedMs(const std::function<void()>& run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

inline double median(std::vector<double> times)
{
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

// Medians of both, measured alternately so that a busy machine slows both alike.
inline void compare(const char* name, const std::function<void()>& layer, const std::function<void()>& baseline,
                    int repetitions = 15)
{
    std::vector<double> layerTimes, baselineTimes;
    layer();
    baseline();
    for (int i = 0; i < repetitions; ++i) {
        layerTimes.push_back(elapsedMs(layer));
        baselineTimes.push_back(elapsedMs(baseline));
    }
    const double l = median(layerTimes);
    const double b = median(baselineTimes);
    std::printf("%s %.3f ms\n%s.baseline %.3f ms\n%s.ratio %.3f x\n", name, l, name, b, name, l / b);
}

} // namespace BenchSupport
