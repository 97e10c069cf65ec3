// Region and grey-value operators of the vision layer against the direct OpenCV calls,
// on a generated 2592 x 1944 plate-like picture. Prints "<name> <value> <unit>" lines.

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

double medianMs(const std::function<void()>& run, int repetitions = 9)
{
    std::vector<double> times;
    run(); // warm-up
    for (int i = 0; i < repetitions; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

void report(const char* name, double layer, double baseline)
{
    std::printf("%s %.2f ms\n%s.baseline %.2f ms\n%s.ratio %.2f x\n", name, layer, name, baseline, name,
                layer / baseline);
}

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

    {
        HTuple area, row, column;
        const double layer = medianMs([&] {
            Hobject region, parts;
            threshold(image, &region, 128, 255);
            connection(region, &parts);
            area_center(parts, &area, &row, &column);
        });
        cv::Mat mask, labels, stats, centroids;
        const double baseline = medianMs([&] {
            cv::threshold(picture, mask, 127, 255, cv::THRESH_BINARY);
            cv::connectedComponentsWithStats(mask, labels, stats, centroids, 8, CV_32S);
        });
        report("threshold_connection_area_center", layer, baseline);
        std::printf("threshold_connection_area_center.components %lld count\n",
                    static_cast<long long>(area.Length()));
    }
    {
        const double layer = medianMs([&] {
            Hobject mean;
            mean_image(image, &mean, 11, 11);
        });
        // The layer returns a new picture each time, so the baseline allocates one too.
        const double baseline = medianMs([&] {
            cv::Mat out;
            cv::blur(picture, out, cv::Size(11, 11));
        });
        report("mean_image_11x11", layer, baseline);
    }
    {
        const double layer = medianMs([&] {
            Hobject median;
            median_image(image, &median, "circle", 5, "mirrored");
        });
        const double baseline = medianMs([&] {
            cv::Mat out;
            cv::medianBlur(picture, out, 11);
        });
        report("median_image_circle_5", layer, baseline);
    }
    return 0;
}
