#pragma once

// Layer-private: the median of byte planes for masks of up to kMaxTrackedRadius, on as many
// pixels at once as the processor's vectors hold. No OpenCV here: the kernels behind this
// are built once per instruction set (MedianTrackingKernel_p.h) and must share nothing but
// this plain description.

#include <cstddef>
#include <cstdint>

namespace Halcon::Detail {

// Masks of radius 1 .. kMaxTrackedRadius; larger ones take the running histogram.
constexpr int kMaxTrackedRadius = 11;

// One band of output rows. The source is padded so that every mask position lies in it.
struct MedianJob
{
    // Source pixel at the centre of the mask of the band's first output pixel.
    const std::uint8_t *centre = nullptr;
    std::ptrdiff_t sourceStride = 0;
    // The band's first output pixel.
    std::uint8_t *destination = nullptr;
    std::ptrdiff_t destinationStride = 0;
    int width = 0; // output columns
    int rows = 0;  // output rows
    // The mask: columns -radius .. radius reach halfHeights[dx + radius] rows up and down.
    const int *halfHeights = nullptr;
    int radius = 0;
    // Offsets of all mask pixels from the centre (sourceStride included), and their count.
    const std::ptrdiff_t *window = nullptr;
    int windowSize = 0;
    // Room for the kernel's state between rows: medianScratchBytes(width) bytes.
    void *scratch = nullptr;
};

// The vector kernels; each returns false when it cannot take the job (a picture narrower
// than its vectors).
bool medianTrackAvx512(const MedianJob &job);
bool medianTrackAvx2(const MedianJob &job);
bool medianTrackBaseline(const MedianJob &job);

// Scratch any kernel needs for a picture of the given width.
std::size_t medianScratchBytes(int width);

// Seam for tests: the widest kernel the tracking median may take (Histogram: none, the
// running histogram instead), and whether the processor runs a kernel.
enum class MedianKernel { Avx512, Avx2, Baseline, Histogram };
void setMedianKernelLimit(MedianKernel widest);
bool medianKernelRuns(MedianKernel kernel);

} // namespace Halcon::Detail
