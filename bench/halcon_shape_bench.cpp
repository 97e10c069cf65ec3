// Scaled shape-model search of the vision layer against a brute-force baseline: OpenCV's
// matchTemplate (normalised cross-correlation) over the same angles and scales. One core
// each: OpenCV runs single-threaded and the layer's search uses one thread.
// Prints "<name> <value> <unit>" lines; medians of several repetitions.

#include "Halcon.h"
#include "ShapeMatchPictures.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <numbers>
#include <vector>

namespace {

using namespace Halcon;
using ShapeMatchPictures::Item;
using ShapeMatchPictures::Scene;

constexpr double kDeg = std::numbers::pi / 180.0;

double elapsedMs(const std::function<void()> &run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> times)
{
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

double medianOf(const std::function<void()> &run, int repetitions)
{
    std::vector<double> times;
    run();
    for (int i = 0; i < repetitions; ++i)
        times.push_back(elapsedMs(run));
    return median(times);
}

void report(const char *name, double layer, double baseline)
{
    std::printf("%s %.2f ms\n%s.baseline %.2f ms\n%s.ratio %.6f x\n", name, layer, name, baseline, name,
                layer / baseline);
}

cv::Mat toMat(const std::vector<unsigned char> &bytes, int width, int height)
{
    return cv::Mat(height, width, CV_8UC1, const_cast<unsigned char *>(bytes.data())).clone();
}

Hobject toImage(const cv::Mat &picture)
{
    Hobject image;
    gen_image1(&image, "byte", picture.cols, picture.rows,
               HTuple(Hlong(reinterpret_cast<std::intptr_t>(picture.data))));
    return image;
}

// A template picture of one shape at the given angle and scale, noise-free, with a margin.
cv::Mat templateOf(const ShapeMatchPictures::Shape &shape, double extent, double angle, double scale, double grey,
                   double background)
{
    Scene scene;
    scene.width = scene.height = int(std::ceil(2.0 * extent * scale)) + 8;
    scene.background = background;
    scene.items.push_back({shape, scene.height / 2.0, scene.width / 2.0, angle, scale, grey});
    return toMat(ShapeMatchPictures::renderBytes(scene), scene.width, scene.height);
}

// Best normalised correlation of any template inside the area.
double bruteForce(const cv::Mat &area, const std::vector<cv::Mat> &templates)
{
    double best = -1.0;
    cv::Mat result;
    for (const cv::Mat &t : templates) {
        cv::matchTemplate(area, t, result, cv::TM_CCOEFF_NORMED);
        double maxValue = 0.0;
        cv::minMaxLoc(result, nullptr, &maxValue);
        best = std::max(best, maxValue);
    }
    return best;
}

// Four reference marks (radius 21 px, scale within +/-5 %) in their 300 x 220 px search
// areas of a 2592 x 1944 plate picture with colonies, as the reference-point search does.
void referenceMarks()
{
    const int width = 2592, height = 1944;
    Scene scene;
    scene.width = width;
    scene.height = height;
    scene.background = 180.0;
    scene.noiseSigma = 5.0;
    scene.illuminationColumn = 0.01;
    const cv::Rect areas[4] = {{150, 120, 300, 220}, {2140, 130, 300, 220}, {160, 1600, 300, 220},
                               {2130, 1610, 300, 220}};
    const double scales[4] = {0.97, 1.03, 1.01, 0.955};
    for (int i = 0; i < 4; ++i)
        scene.items.push_back({ShapeMatchPictures::circle(21.0), areas[i].y + 97.3 + i, areas[i].x + 143.6 - 2 * i,
                               0.0, scales[i], 50.0});
    // Colonies: bright circles of other sizes all over the plate.
    for (int i = 0; i < 400; ++i)
        scene.items.push_back({ShapeMatchPictures::circle(4.0 + (i * 7) % 25), 300.0 + (i * 131) % 1300,
                               500.0 + (i * 977) % 1600, 0.0, 1.0, 230.0});
    const cv::Mat picture = toMat(ShapeMatchPictures::renderBytes(scene), width, height);
    const Hobject image = toImage(picture);

    Hobject circle;
    gen_circle_contour_xld(&circle, 26.0, 26.0, 21.0, 0.0, 6.283185307179622, "positive", 0.1);
    HTuple model;
    const double create = medianOf(
        [&] {
            HTuple m;
            create_scaled_shape_model_xld(circle, 3, 0.0, 0.0, "auto", 0.95, 1.05, 0.002, "auto",
                                          "ignore_local_polarity", 20, &m);
            clear_shape_model(m);
        },
        9);
    create_scaled_shape_model_xld(circle, 3, 0.0, 0.0, "auto", 0.95, 1.05, 0.002, "auto", "ignore_local_polarity", 20,
                                  &model);
    Hobject reduced[4];
    for (int i = 0; i < 4; ++i) {
        Hobject rectangle;
        gen_rectangle1(&rectangle, areas[i].y, areas[i].x, areas[i].y + areas[i].height, areas[i].x + areas[i].width);
        reduce_domain(image, rectangle, &reduced[i]);
    }
    int found = 0;
    double worst = 0.0;
    auto search = [&] {
        found = 0;
        worst = 0.0;
        for (int i = 0; i < 4; ++i) {
            HTuple row, column, angle, scale, score;
            find_scaled_shape_model(reduced[i], model, 0.0, 0.0, 0.95, 1.05, 0.7, 1, 0.0, "least_squares", 3, 0.5,
                                    &row, &column, &angle, &scale, &score);
            if (score.Length() == 1) {
                ++found;
                worst = std::max(worst, std::hypot(row.D() - scene.items[size_t(i)].row,
                                                   column.D() - scene.items[size_t(i)].column));
            }
        }
    };
    const double layer = medianOf(search, 21);

    // Baseline: every scale of the model's step 0.002 as a template.
    std::vector<cv::Mat> templates;
    for (int k = 0; k <= 50; ++k)
        templates.push_back(templateOf(ShapeMatchPictures::circle(21.0), 21.0, 0.0, 0.95 + 0.002 * k, 50.0, 180.0));
    const double baseline = medianOf(
        [&] {
            for (const cv::Rect &area : areas) {
                // The template's centre may lie anywhere in the area.
                const int margin = templates.back().cols / 2;
                const cv::Rect grown = cv::Rect(area.x - margin, area.y - margin, area.width + 2 * margin,
                                                area.height + 2 * margin)
                    & cv::Rect(0, 0, width, height);
                bruteForce(picture(grown), templates);
            }
        },
        3);
    std::printf("reference_marks.create_model %.2f ms\n", create);
    report("reference_marks.find_4_areas", layer, baseline);
    std::printf("reference_marks.found %d of 4\nreference_marks.worst_position_error %.3f px\n", found, worst);
    std::printf("reference_marks.baseline_templates %zu\n", templates.size());
    clear_shape_model(model);
}

// A 120 x 120 px cross, angle +/-10 degrees, scale 0.95 .. 1.05, in a 1296 x 972 picture.
void crossSearch()
{
    const int width = 1296, height = 972;
    // Template picture and model.
    Scene templateScene;
    templateScene.width = templateScene.height = 200;
    templateScene.background = 190.0;
    templateScene.noiseSigma = 3.0;
    templateScene.items.push_back({ShapeMatchPictures::cross(60.0, 30.0), 100.0, 100.0, 0.0, 1.0, 60.0});
    const cv::Mat templatePicture = toMat(ShapeMatchPictures::renderBytes(templateScene), 200, 200);
    Hobject templateImage, rectangle, templateReduced;
    templateImage = toImage(templatePicture);
    gen_rectangle1(&rectangle, 20, 20, 180, 180);
    reduce_domain(templateImage, rectangle, &templateReduced);
    HTuple model;
    const double create = medianOf(
        [&] {
            HTuple m;
            create_scaled_shape_model(templateReduced, "auto", -10.0 * kDeg, 20.0 * kDeg, "auto", 0.95, 1.05, "auto",
                                      "auto", "use_polarity", "auto", "auto", &m);
            clear_shape_model(m);
        },
        9);
    create_scaled_shape_model(templateReduced, "auto", -10.0 * kDeg, 20.0 * kDeg, "auto", 0.95, 1.05, "auto", "auto",
                              "use_polarity", "auto", "auto", &model);
    HTuple levels, angleStart, angleExtent, angleStep, scaleMin, scaleMax, scaleStep, metric, minContrast;
    get_shape_model_params(model, &levels, &angleStart, &angleExtent, &angleStep, &scaleMin, &scaleMax, &scaleStep,
                           &metric, &minContrast);

    Scene scene;
    scene.width = width;
    scene.height = height;
    scene.background = 185.0;
    scene.noiseSigma = 5.0;
    scene.illuminationRow = 0.02;
    const Item truth{ShapeMatchPictures::cross(60.0, 30.0), 611.37, 702.81, 6.3 * kDeg, 1.027, 55.0};
    // Clutter: squares and circles elsewhere.
    for (int i = 0; i < 30; ++i)
        scene.items.push_back({i % 2 ? ShapeMatchPictures::square(10.0 + i) : ShapeMatchPictures::circle(8.0 + i),
                               80.0 + (i * 263) % 800, 80.0 + (i * 571) % 1100, 0.1 * i, 1.0, 90.0 + i});
    scene.items.push_back(truth); // drawn last, so clutter never covers it
    const cv::Mat picture = toMat(ShapeMatchPictures::renderBytes(scene), width, height);
    const Hobject image = toImage(picture);

    double error = -1.0;
    auto search = [&](double greediness) {
        return [&, greediness] {
            HTuple row, column, angle, scale, score;
            find_scaled_shape_model(image, model, -10.0 * kDeg, 20.0 * kDeg, 0.95, 1.05, 0.7, 1, 0.5, "least_squares",
                                    0, greediness, &row, &column, &angle, &scale, &score);
            error = score.Length() == 1 ? std::hypot(row.D() - truth.row, column.D() - truth.column) : -1.0;
        };
    };
    const double layer = medianOf(search(0.9), 21);
    const double error09 = error;
    const double layerSafe = medianOf(search(0.0), 11);

    // Baseline over the model's own angle and scale steps.
    std::vector<cv::Mat> templates;
    const int angleCount = int(std::ceil(angleExtent.D() / angleStep.D())) + 1;
    const int scaleCount = int(std::ceil((scaleMax.D() - scaleMin.D()) / scaleStep.D())) + 1;
    for (int a = 0; a < angleCount; ++a)
        for (int s = 0; s < scaleCount; ++s)
            templates.push_back(templateOf(ShapeMatchPictures::cross(60.0, 30.0), 60.0 * std::sqrt(2.0),
                                           angleStart.D() + angleExtent.D() * a / std::max(1, angleCount - 1),
                                           scaleMin.D() + (scaleMax.D() - scaleMin.D()) * s / std::max(1, scaleCount - 1),
                                           60.0, 190.0));
    const double baseline = medianOf([&] { bruteForce(picture, templates); }, 3);
    std::printf("cross.create_model %.2f ms\ncross.model_levels %lld\n", create, static_cast<long long>(levels.L()));
    report("cross.find_1296x972", layer, baseline);
    std::printf("cross.find_1296x972_greediness_0 %.2f ms\n", layerSafe);
    std::printf("cross.position_error %.3f px\n", error09);
    std::printf("cross.baseline_templates %zu\n", templates.size());
    clear_shape_model(model);
}

} // namespace

int main()
{
    cv::setNumThreads(1);
    referenceMarks();
    crossSearch();
    return 0;
}
