// Region and grey-value operators of the vision layer against the direct OpenCV calls,
// on a generated 2592 x 1944 plate-like picture. Prints "<name> <value> <unit>" lines.

#include "BenchSupport.h"
#include "Halcon.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using BenchSupport::compare;
using BenchSupport::elapsedMs;
using BenchSupport::median;

// A plate: darker background with a gradient and noise, a few hundred bright colonies.
cv::Mat platePicture(int width, int height)
{
    cv::Mat picture(height, width, CV_8UC1);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.at<uchar>(y, x) = uchar(40 + (x + y) * 30 / (width + height));
    cv::RNG rng(12345);
    for (int i = 0; i < 600; ++i)
        cv::circle(picture, cv::Point(rng.uniform(0, width), rng.uniform(0, height)), rng.uniform(3, 25),
                   cv::Scalar(rng.uniform(150, 230)), cv::FILLED);
    cv::Mat noise(height, width, CV_8UC1);
    rng.fill(noise, cv::RNG::NORMAL, 0, 6);
    cv::add(picture, noise, picture);
    return picture;
}

} // namespace

int main()
{
    using namespace Halcon;
    const int width = 2592, height = 1944;
    const cv::Mat picture = platePicture(width, height);
    Hobject image;
    gen_image1(&image, "byte", width, height, HTuple(Hlong(reinterpret_cast<std::intptr_t>(picture.data))));
    std::printf("picture.megapixels %.2f MP\n", width * height / 1e6);

    HTuple area, row, column;
    compare(
        "threshold_connection_area_center",
        [&] {
            Hobject region, parts;
            threshold(image, &region, 128, 255);
            connection(region, &parts);
            area_center(parts, &area, &row, &column);
        },
        [&] {
            cv::Mat mask, labels, stats, centroids;
            cv::threshold(picture, mask, 127, 255, cv::THRESH_BINARY);
            cv::connectedComponentsWithStats(mask, labels, stats, centroids, 8, CV_32S);
        });
    std::printf("threshold_connection_area_center.components %lld count\n",
                static_cast<long long>(area.Length()));

    // The layer returns a new picture each time, so the baselines allocate one too.
    compare(
        "mean_image_11x11",
        [&] {
            Hobject mean;
            mean_image(image, &mean, 11, 11);
        },
        [&] {
            cv::Mat out;
            cv::blur(picture, out, cv::Size(11, 11));
        });
    compare(
        "median_image_circle_5",
        [&] {
            Hobject median;
            median_image(image, &median, "circle", 5, "mirrored");
        },
        [&] {
            cv::Mat out;
            cv::medianBlur(picture, out, 11);
        });
    return 0;
}
