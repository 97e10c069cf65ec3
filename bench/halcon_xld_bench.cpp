// Sub-pixel edges and contour analysis of the vision layer on a generated 2592 x 1944
// plate of 96 wells with about 800 colonies, as the colony margin steps run them: one
// container after the other; contour distances against their definition. Prints
// "<name> <value> <unit>" lines.

#include "BenchSupport.h"
#include "Halcon.h"

#include <ContourPairs.h>

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

constexpr int kWidth = 2592, kHeight = 1944, kColumns = 12, kRows = 8;
constexpr double kPitch = 200.0, kWellRadius = 85.0;

cv::Point2d wellCentre(int index)
{
    return {296.0 + (index % kColumns) * kPitch, 272.0 + (index / kColumns) * kPitch};
}

// Bright wells on a dark plate, dark anti-aliased colonies at sub-pixel places, noise.
cv::Mat platePicture()
{
    cv::Mat picture(kHeight, kWidth, CV_8UC1, cv::Scalar(30));
    cv::RNG rng(4711);
    constexpr int kShift = 4;
    for (int w = 0; w < kColumns * kRows; ++w) {
        const cv::Point2d c = wellCentre(w);
        cv::circle(picture, cv::Point(int(c.x * 16), int(c.y * 16)), int(kWellRadius * 16), cv::Scalar(190), cv::FILLED,
                   cv::LINE_AA, kShift);
        for (int k = 0; k < 8; ++k) {
            const double a = rng.uniform(0.0, 2 * CV_PI), d = rng.uniform(0.0, kWellRadius - 25.0);
            const double r = rng.uniform(4.0, 14.0);
            cv::circle(picture, cv::Point(int((c.x + d * std::cos(a)) * 16), int((c.y + d * std::sin(a)) * 16)),
                       int(r * 16), cv::Scalar(60), cv::FILLED, cv::LINE_AA, kShift);
        }
    }
    cv::Mat noise(kHeight, kWidth, CV_8UC1);
    rng.fill(noise, cv::RNG::NORMAL, 0, 4);
    cv::add(picture, noise, picture);
    return picture;
}

} // namespace

int main()
{
    using namespace Halcon;
    cv::Mat picture = platePicture();
    Hobject image;
    gen_image1(&image, "byte", kWidth, kHeight, Hlong(reinterpret_cast<std::intptr_t>(picture.data)));
    std::vector<Hobject> reduced(kColumns * kRows);
    for (int w = 0; w < kColumns * kRows; ++w) {
        Hobject well;
        const cv::Point2d c = wellCentre(w);
        gen_circle(&well, c.y, c.x, kWellRadius - 3.0);
        reduce_domain(image, well, &reduced[size_t(w)]);
    }

    const double h = kHeight;
    Hlong colonies = 0;
    auto threshold = [&] {
        for (const Hobject &r : reduced) {
            Hobject edges;
            threshold_sub_pix(r, &edges, 125.0);
        }
    };
    // Baseline: the same wells thresholded and traced on pixel edges by OpenCV.
    auto openCv = [&] {
        for (int w = 0; w < kColumns * kRows; ++w) {
            const cv::Point2d c = wellCentre(w);
            const cv::Rect box(int(c.x - kWellRadius), int(c.y - kWellRadius), int(2 * kWellRadius + 1),
                               int(2 * kWellRadius + 1));
            cv::Mat mask;
            cv::threshold(picture(box), mask, 125, 255, cv::THRESH_BINARY);
            std::vector<std::vector<cv::Point>> found;
            cv::findContours(mask, found, cv::RETR_LIST, cv::CHAIN_APPROX_NONE);
        }
    };
    compare("threshold_sub_pix.plate_96_wells", threshold, openCv, 9);

    auto margins = [&] {
        colonies = 0;
        for (const Hobject &r : reduced) {
            Hobject edges, split, regressed, united, selected, closed;
            threshold_sub_pix(r, &edges, 125.0);
            segment_contours_xld(edges, &split, "lines_ellipses", 9, h * 0.39 / 100, h * 0.293 / 100);
            regress_contours_xld(split, &regressed, "drop", 10);
            union_straight_contours_xld(regressed, &united, h * 0.195 / 100, 0.5, 100.0, "noparallel", "maximum");
            select_contours_xld(united, &selected, "closed", 0, h * 0.293 / 100, 0, 0);
            close_contours_xld(selected, &closed);
            colonies += closed.CountObj();
        }
    };
    compare("margin_contours.plate_96_wells", margins, threshold, 9);
    std::printf("margin_contours.closed_contours %lld count\n", static_cast<long long>(colonies));

    // Contour distances against every point with every side: two long rough contours side by
    // side, the same two far apart, and a colony inside a long container outline. The same
    // contours each time, so long ones measure with their kept boxes, as a container outline
    // does against its colonies.
    const ContourPairs::Points left = ContourPairs::blob(1, 500.0, 500.0, 150.0, 0.05, 2000);
    const ContourPairs::Points right = ContourPairs::blob(2, 500.0, 820.0, 150.0, 0.05, 2000);
    const ContourPairs::Points far = ContourPairs::blob(2, 500.0, 1500.0, 150.0, 0.05, 2000);
    const ContourPairs::Points outline = ContourPairs::blob(3, 500.0, 500.0, 700.0, 0.0, 2200);
    const ContourPairs::Points colony = ContourPairs::blob(4, 620.0, 430.0, 12.0, 0.1, 80);
    const struct {
        const char *name;
        const ContourPairs::Points &a;
        const ContourPairs::Points &b;
    } pairs[] = {{"distance_cc_min.long_contours_side_by_side", left, right},
                 {"distance_cc_min.long_contours_far_apart", left, far},
                 {"distance_cc_min.colony_in_container_outline", outline, colony}};
    for (const auto &pair : pairs) {
        const Hobject a = ContourPairs::contour(pair.a), b = ContourPairs::contour(pair.b);
        double sink = 0.0;
        compare(
            pair.name,
            [&] {
                HTuple d;
                distance_cc_min(a, b, "point_to_segment", &d);
                sink += d.D();
            },
            [&] { sink += ContourPairs::distanceByDefinition(pair.a, pair.b, false); }, 9);
        if (sink < 0.0)
            std::printf("unreachable\n");
    }
    return 0;
}
