#pragma once

// Layer-private: image pyramids and gradient-direction images for shape matching. Level 1
// is the picture; each higher level is the 2 x 2 mean of the one below, so pixel (r, c) of
// level k has its centre at level-1 position 2^(k-1) (r + 0.5) - 0.5.

#include <opencv2/core.hpp>

#include <vector>

namespace Halcon::ShapeMatching {

// Unit gradient direction per pixel (column, row components), 0 where the edge contrast
// is below the minimum; the contrast of a sharp step edge is its grey-value step.
struct GradientImage
{
    cv::Mat ux;        // CV_32F
    cv::Mat uy;        // CV_32F
    cv::Mat magnitude; // CV_32F, only when asked for
};

// levels >= 1 planes of CV_32F per channel; [0] are the given planes. A level stops the
// pyramid early when it would be smaller than 2 x 2.
std::vector<std::vector<cv::Mat>> buildPyramid(const std::vector<cv::Mat> &planes, int levels);

// With several channels the channel of the strongest gradient decides each pixel.
void computeGradient(const std::vector<cv::Mat> &planes, float minContrast, bool keepMagnitude,
                     GradientImage &out);

inline double levelFactor(int level)
{
    return double(1 << (level - 1));
}
inline double toLevel(double position1, int level)
{
    return (position1 + 0.5) / levelFactor(level) - 0.5;
}
inline double fromLevel(double positionK, int level)
{
    return levelFactor(level) * (positionK + 0.5) - 0.5;
}

} // namespace Halcon::ShapeMatching
