#include "HalconTransformOps.h"

#include "HalconGuard_p.h"
#include "HobjectElements_p.h"
#include "PlaneCache_p.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <string>

namespace Halcon {

namespace {

// Every mirroring and quarter turn is one of these pixel permutations.
enum class Permutation { FlipRows, FlipColumns, HalfTurn, Transpose, QuarterTurnLeft, QuarterTurnRight };

bool swapsSides(Permutation p)
{
    return p == Permutation::Transpose || p == Permutation::QuarterTurnLeft || p == Permutation::QuarterTurnRight;
}

void permutePlane(const cv::Mat &source, cv::Mat &target, Permutation p)
{
    switch (p) {
    case Permutation::FlipRows:
        cv::flip(source, target, 0);
        break;
    case Permutation::FlipColumns:
        cv::flip(source, target, 1);
        break;
    case Permutation::HalfTurn:
        cv::flip(source, target, -1);
        break;
    case Permutation::Transpose:
        cv::transpose(source, target);
        break;
    case Permutation::QuarterTurnLeft:
        cv::rotate(source, target, cv::ROTATE_90_COUNTERCLOCKWISE);
        break;
    case Permutation::QuarterTurnRight:
        cv::rotate(source, target, cv::ROTATE_90_CLOCKWISE);
        break;
    }
}

// Domains that keep their rows' runs whole move run by run; the others go through a mask.
RegionPtr permuteDomain(const RegionPtr &domain, int width, int height, Permutation p)
{
    if (!domain)
        return nullptr;
    std::vector<Run> runs;
    runs.reserve(domain->runs.size());
    if (!swapsSides(p)) {
        for (const Run &run : domain->runs) {
            Run moved = run;
            if (p != Permutation::FlipRows) {
                moved.colBegin = width - 1 - run.colEnd;
                moved.colEnd = width - 1 - run.colBegin;
            }
            if (p != Permutation::FlipColumns)
                moved.row = height - 1 - run.row;
            runs.push_back(moved);
        }
        return makeRegion(std::move(runs));
    }
    cv::Mat mask(height, width, CV_8U, cv::Scalar(0));
    for (const Run &run : domain->runs)
        mask.row(run.row).colRange(run.colBegin, run.colEnd + 1).setTo(255);
    cv::Mat turned;
    permutePlane(mask, turned, p);
    for (int row = 0; row < turned.rows; ++row) {
        const uchar *pixels = turned.ptr<uchar>(row);
        for (int column = 0; column < turned.cols;) {
            if (!pixels[column]) {
                ++column;
                continue;
            }
            const int begin = column;
            while (column < turned.cols && pixels[column])
                ++column;
            runs.push_back({row, begin, column - 1});
        }
    }
    return makeRegionSorted(std::move(runs));
}

Herror permuteImages(const Hobject &image, Hobject *result, Permutation p)
{
    std::vector<ImagePtr> inputs;
    if (Herror e = imagesOf(image, 1, inputs); e != kSuccess)
        return e;
    std::vector<ElementPtr> outputs;
    outputs.reserve(inputs.size());
    for (const ImagePtr &input : inputs) {
        const int rows = swapsSides(p) ? input->width : input->height;
        const int columns = swapsSides(p) ? input->height : input->width;
        std::vector<cv::Mat> planes;
        planes.reserve(input->planes.size());
        for (const cv::Mat &plane : input->planes) {
            cv::Mat target = Detail::cachedPlane(rows, columns, plane.type());
            permutePlane(plane, target, p);
            planes.push_back(target);
        }
        ImagePtr output = makeImage(std::move(planes), permuteDomain(input->domain, input->width, input->height, p));
        if (!output)
            return kErrInternal;
        outputs.push_back(std::move(output));
    }
    if (result)
        *result = makeObject(std::move(outputs));
    return kSuccess;
}

} // namespace

Herror mirror_image(const Hobject &image, Hobject *imageMirror, const HTuple &mode)
{
    return guarded([&]() -> Herror {
        std::string name;
        if (Herror e = singleString(mode, 1, &name); e != kSuccess)
            return e;
        Permutation p;
        if (name == "row")
            p = Permutation::FlipRows;
        else if (name == "column")
            p = Permutation::FlipColumns;
        else if (name == "diagonal")
            p = Permutation::Transpose;
        else
            return kErrWrongValue1;
        return permuteImages(image, imageMirror, p);
    });
}

Herror rotate_image(const Hobject &image, Hobject *imageRotate, const HTuple &phi, const HTuple &interpolation)
{
    return guarded([&]() -> Herror {
        double degrees = 0.0;
        if (Herror e = singleNumber(phi, 1, &degrees); e != kSuccess)
            return e;
        std::string method;
        if (Herror e = singleString(interpolation, 2, &method); e != kSuccess)
            return e;
        if (method != "none" && method != "constant" && method != "bilinear" && method != "bicubic"
            && method != "weighted")
            return kErrWrongValue2;
        if (!std::isfinite(degrees))
            return kErrWrongValue1;
        const double quarters = degrees / 90.0;
        const double whole = std::round(quarters);
        if (std::abs(quarters - whole) > 1e-9)
            return kErrWrongValue1;
        const int turn = int(std::fmod(std::fmod(whole, 4.0) + 4.0, 4.0));
        if (turn == 0) {
            // The images are immutable: the result may share them.
            std::vector<ImagePtr> inputs;
            if (Herror e = imagesOf(image, 1, inputs); e != kSuccess)
                return e;
            if (imageRotate)
                *imageRotate = image;
            return kSuccess;
        }
        const Permutation p = turn == 1 ? Permutation::QuarterTurnLeft
                                        : (turn == 2 ? Permutation::HalfTurn : Permutation::QuarterTurnRight);
        return permuteImages(image, imageRotate, p);
    });
}

Herror zoom_image_factor(const Hobject &image, Hobject *imageZoomed, const HTuple &scaleWidth,
                         const HTuple &scaleHeight, const HTuple &interpolation)
{
    return guarded([&]() -> Herror {
        double factors[2] = {0.0, 0.0};
        const HTuple *tuples[2] = {&scaleWidth, &scaleHeight};
        for (int i = 0; i < 2; ++i) {
            if (Herror e = singleNumber(*tuples[i], i + 1, &factors[i]); e != kSuccess)
                return e;
            if (!std::isfinite(factors[i]) || factors[i] <= 0.0)
                return wrongValue(i + 1);
        }
        std::string method;
        if (Herror e = singleString(interpolation, 3, &method); e != kSuccess)
            return e;
        int flag = 0;
        if (method == "nearest_neighbor")
            flag = cv::INTER_NEAREST;
        else if (method == "bilinear")
            flag = cv::INTER_LINEAR;
        else if (method == "bicubic")
            flag = cv::INTER_CUBIC;
        else if (method == "constant" || method == "weighted")
            flag = cv::INTER_AREA;
        else
            return kErrWrongValue3;
        std::vector<ImagePtr> inputs;
        if (Herror e = imagesOf(image, 1, inputs); e != kSuccess)
            return e;
        // Every size is checked before the first result is made.
        std::vector<cv::Size> sizes;
        sizes.reserve(inputs.size());
        for (const ImagePtr &input : inputs) {
            const double sides[2] = {std::round(input->width * factors[0]), std::round(input->height * factors[1])};
            for (int i = 0; i < 2; ++i)
                if (sides[i] > double(kMaxZoomedSide))
                    return wrongValue(i + 1);
            sizes.emplace_back(std::max(1, int(sides[0])), std::max(1, int(sides[1])));
        }
        std::vector<ElementPtr> outputs;
        outputs.reserve(inputs.size());
        for (size_t i = 0; i < inputs.size(); ++i) {
            std::vector<cv::Mat> planes;
            planes.reserve(inputs[i]->planes.size());
            for (const cv::Mat &plane : inputs[i]->planes) {
                cv::Mat target;
                cv::resize(plane, target, sizes[i], 0.0, 0.0, flag);
                planes.push_back(target);
            }
            ImagePtr output = makeImage(std::move(planes));
            if (!output)
                return kErrInternal;
            outputs.push_back(std::move(output));
        }
        if (imageZoomed)
            *imageZoomed = makeObject(std::move(outputs));
        return kSuccess;
    });
}

} // namespace Halcon
