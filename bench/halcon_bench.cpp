// Vision layer operators against the direct OpenCV call on a camera-sized picture (5 MP).
// Argument: only the figures whose name contains this text.
#include <Halcon.h>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 2592;
constexpr int kHeight = 1944;
constexpr int kRepetitions = 15;

// Only the figures whose name contains this text (first argument); all when empty.
std::string g_filter;

bool wanted(const char* name)
{
    return g_filter.empty() || std::string(name).find(g_filter) != std::string::npos;
}

double milliseconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double median(std::vector<double> times)
{
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

// Medians of the layer's and the baseline's times. The two alternate run by run, so a
// machine loaded by other work slows both alike instead of whichever ran second.
void report(const char* name, const std::function<void()>& layer, const std::function<void()>& baseline)
{
    if (!wanted(name))
        return;
    layer(); // warm caches and thread pools
    baseline();
    std::vector<double> layerTimes, baselineTimes;
    for (int i = 0; i < kRepetitions; ++i) {
        layerTimes.push_back(milliseconds(layer));
        baselineTimes.push_back(milliseconds(baseline));
    }
    const double layerMs = median(layerTimes);
    const double baselineMs = median(baselineTimes);
    const double megapixels = double(kWidth) * kHeight / 1e6;
    std::printf("%s %.2f ms\n", name, layerMs);
    std::printf("%s.per_megapixel %.3f ms\n", name, layerMs / megapixels);
    std::printf("%s.baseline %.2f ms\n", name, baselineMs);
    std::printf("%s.ratio %.2f x\n", name, layerMs / baselineMs);
    std::fflush(stdout);
}

// Agar-like picture: gradient, noise and a few hundred bright blobs.
cv::Mat plateLikePicture()
{
    cv::Mat rgb(kHeight, kWidth, CV_8UC3);
    cv::RNG rng(42);
    for (int row = 0; row < kHeight; ++row) {
        auto* line = rgb.ptr<cv::Vec3b>(row);
        for (int column = 0; column < kWidth; ++column) {
            const int base = 60 + column * 40 / kWidth + row * 20 / kHeight;
            line[column] = cv::Vec3b(cv::saturate_cast<uchar>(base + rng.uniform(-6, 7)),
                                     cv::saturate_cast<uchar>(base + 10 + rng.uniform(-6, 7)),
                                     cv::saturate_cast<uchar>(base - 10 + rng.uniform(-6, 7)));
        }
    }
    for (int i = 0; i < 600; ++i) {
        const cv::Point centre(rng.uniform(20, kWidth - 20), rng.uniform(20, kHeight - 20));
        const int radius = rng.uniform(3, 18);
        cv::circle(rgb, centre, radius, cv::Scalar(200, rng.uniform(150, 230), 120), cv::FILLED, cv::LINE_AA);
    }
    return rgb;
}

Halcon::Hobject toLayerImage(const cv::Mat& rgb)
{
    std::vector<cv::Mat> planes;
    cv::split(rgb, planes);
    Halcon::Hobject image;
    Halcon::gen_image3(&image, "byte", kWidth, kHeight, Halcon::Hlong(planes[0].data),
                       Halcon::Hlong(planes[1].data), Halcon::Hlong(planes[2].data));
    return image;
}

bool check(Halcon::Herror error, const char* what)
{
    if (error == Halcon::kSuccess)
        return true;
    std::fprintf(stderr, "%s failed with %d\n", what, int(error));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1)
        g_filter = argv[1];
    const cv::Mat rgb = plateLikePicture();
    const Halcon::Hobject image = toLayerImage(rgb);
    bool ok = true;

    Halcon::Hobject gray;
    ok &= check(Halcon::rgb1_to_gray(image, &gray), "rgb1_to_gray");
    cv::Mat cvGray;
    cv::cvtColor(rgb, cvGray, cv::COLOR_RGB2GRAY);
    report("rgb1_to_gray",
           [&] { Halcon::rgb1_to_gray(image, &gray); },
           [&] { cv::cvtColor(rgb, cvGray, cv::COLOR_RGB2GRAY); });

    Halcon::Hobject red, green, blue, hue, saturation, value;
    ok &= check(Halcon::decompose3(image, &red, &green, &blue), "decompose3");
    ok &= check(Halcon::trans_from_rgb(red, green, blue, &hue, &saturation, &value, "hsv"), "trans_from_rgb");
    cv::Mat cvHsv;
    report("trans_from_rgb",
           [&] { Halcon::trans_from_rgb(red, green, blue, &hue, &saturation, &value, "hsv"); },
           [&] { cv::cvtColor(rgb, cvHsv, cv::COLOR_RGB2HSV_FULL); });

    Halcon::Hobject region, connected;
    Halcon::HTuple area, row, column;
    ok &= check(Halcon::threshold(gray, &region, 150, 255), "threshold");
    ok &= check(Halcon::connection(region, &connected), "connection");
    cv::Mat binary, labels, stats, centroids;
    report("threshold_connection_area_center",
           [&] {
               Halcon::threshold(gray, &region, 150, 255);
               Halcon::connection(region, &connected);
               Halcon::area_center(connected, &area, &row, &column);
           },
           [&] {
               cv::threshold(cvGray, binary, 149, 255, cv::THRESH_BINARY);
               cv::connectedComponentsWithStats(binary, labels, stats, centroids, 8);
           });

    Halcon::Hobject mean;
    ok &= check(Halcon::mean_image(gray, &mean, 11, 11), "mean_image");
    cv::Mat cvMean;
    report("mean_image_11x11",
           [&] { Halcon::mean_image(gray, &mean, 11, 11); },
           [&] { cv::blur(cvGray, cvMean, cv::Size(11, 11), cv::Point(-1, -1), cv::BORDER_REFLECT); });

    Halcon::Hobject median;
    ok &= check(Halcon::median_image(gray, &median, "circle", 5, "mirrored"), "median_image");
    cv::Mat cvMedian;
    report("median_image_circle_5",
           [&] { Halcon::median_image(gray, &median, "circle", 5, "mirrored"); },
           [&] { cv::medianBlur(cvGray, cvMedian, 11); });

    // The colony analysis filters the colour picture before it turns it grey: every channel,
    // with masks up to 31 x 31 (mask sizes 11 and 23 are filter modes 4 and 5 of its radius
    // table), on one core and on all, against OpenCV's filter of the same size on the same
    // three channels.
    const auto colourFilters = [&](const char* cores) {
        const auto name = [cores](const char* filter) { return std::string(filter) + "." + cores; };
        Halcon::Hobject out;
        cv::Mat cvOut;
        for (const int radius : {5, 11, 15}) {
            const int size = 2 * radius + 1;
            const std::string circle = "median_image.circle_" + std::to_string(size) + "x" + std::to_string(size) + ".rgb";
            report(name(circle.c_str()).c_str(),
                   [&] { Halcon::median_image(image, &out, "circle", radius, "continued"); },
                   [&] { cv::medianBlur(rgb, cvOut, size); });
        }
        report(name("median_image.square_31x31.rgb").c_str(),
               [&] { Halcon::median_image(image, &out, "square", 15, "continued"); },
               [&] { cv::medianBlur(rgb, cvOut, 31); });
        report(name("mean_image.31x31.rgb").c_str(),
               [&] { Halcon::mean_image(image, &out, 31, 31); },
               [&] { cv::blur(rgb, cvOut, cv::Size(31, 31), cv::Point(-1, -1), cv::BORDER_REFLECT); });
    };
    const int threads = cv::getNumThreads();
    Halcon::set_system("parallelize_operators", "false");
    cv::setNumThreads(1);
    colourFilters("one_core");
    Halcon::set_system("parallelize_operators", "true");
    cv::setNumThreads(threads);
    colourFilters("all_cores");

    QTemporaryDir folder;
    const std::string layerFile = QFile::encodeName(QDir(folder.path()).filePath("layer.png")).toStdString();
    const std::string cvFile = QFile::encodeName(QDir(folder.path()).filePath("opencv.png")).toStdString();
    ok &= check(Halcon::write_image(image, "png", -1, layerFile.c_str()), "write_image");
    cv::Mat bgr;
    cv::cvtColor(rgb, bgr, cv::COLOR_RGB2BGR);
    report("write_image_png",
           [&] { Halcon::write_image(image, "png", -1, layerFile.c_str()); },
           [&] { cv::imwrite(cvFile, bgr); });
    Halcon::Hobject loaded;
    ok &= check(Halcon::read_image(&loaded, layerFile.c_str()), "read_image");
    report("read_image_png",
           [&] { Halcon::read_image(&loaded, layerFile.c_str()); },
           [&] { cv::imread(cvFile, cv::IMREAD_UNCHANGED); });

    Halcon::Hobject copy;
    report("copy_obj",
           [&] { Halcon::copy_obj(image, &copy, 1, -1); },
           [&] { cv::Mat clone = rgb.clone(); });
    return ok ? 0 : 1;
}
