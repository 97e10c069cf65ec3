#include "HalconTileOps.h"

#include "ControlValues_p.h"
#include "HalconGuard_p.h"
#include "HobjectElements_p.h"
#include "PlaneCache_p.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace Halcon {

namespace {

// Coordinates beyond this are no picture position (and would overflow the rounding).
constexpr double kMaxCoordinate = double(1 << 30);

// The output side as gen_image_const bounds it.
constexpr Hlong kMaxSide = Hlong(1) << 20;
constexpr Hlong kMaxPixels = Hlong(1) << 31;

Herror outputSide(const HTuple &tuple, int parameter, int *side)
{
    Hlong value = 0;
    if (Herror e = singleInteger(tuple, parameter, &value); e != kSuccess)
        return e;
    if (value < 1 || value > kMaxSide)
        return wrongValue(parameter);
    *side = int(value);
    return kSuccess;
}

// One value per image, each a finite number within the coordinate bound.
Herror perImage(const HTuple &tuple, int parameter, size_t count, std::vector<double> *values)
{
    if (size_t(tuple.Length()) != count)
        return wrongCount(parameter);
    if (Herror e = ControlValues::numbers(tuple, parameter, values); e != kSuccess)
        return e;
    for (double v : *values) {
        if (std::fabs(v) > kMaxCoordinate)
            return wrongValue(parameter);
    }
    return kSuccess;
}

// A part of one image and where it goes, in whole pixels, already clipped to the image and
// to the output; empty when rowEnd <= rowBegin or colEnd <= colBegin.
struct Placement
{
    int rowBegin = 0, rowEnd = 0; // source rows [rowBegin, rowEnd)
    int colBegin = 0, colEnd = 0;
    int rowShift = 0, colShift = 0; // destination = source + shift
};

Placement place(const ImageElement &image, double offsetRow, double offsetCol, double row1, double col1,
                double row2, double col2, int width, int height)
{
    Placement p;
    const bool whole = row1 == -1.0 && col1 == -1.0 && row2 == -1.0 && col2 == -1.0;
    const double firstRow = whole ? 0.0 : row1;
    const double firstCol = whole ? 0.0 : col1;
    const long r1 = whole ? 0L : std::lround(row1);
    const long c1 = whole ? 0L : std::lround(col1);
    const long r2 = whole ? long(image.height - 1) : std::lround(row2);
    const long c2 = whole ? long(image.width - 1) : std::lround(col2);
    const long rowShift = std::lround(offsetRow - firstRow);
    const long colShift = std::lround(offsetCol - firstCol);
    // Clipped to the image, then to the output (source = destination - shift).
    const long rowBegin = std::max({r1, 0L, -rowShift});
    const long rowEnd = std::min({r2 + 1, long(image.height), long(height) - rowShift});
    const long colBegin = std::max({c1, 0L, -colShift});
    const long colEnd = std::min({c2 + 1, long(image.width), long(width) - colShift});
    if (rowEnd <= rowBegin || colEnd <= colBegin)
        return p;
    p.rowBegin = int(rowBegin);
    p.rowEnd = int(rowEnd);
    p.colBegin = int(colBegin);
    p.colEnd = int(colEnd);
    p.rowShift = int(rowShift);
    p.colShift = int(colShift);
    return p;
}

} // namespace

Herror tile_images_offset(const Hobject &images, Hobject *tiledImage, const HTuple &offsetRow,
                          const HTuple &offsetCol, const HTuple &row1, const HTuple &col1, const HTuple &row2,
                          const HTuple &col2, const HTuple &width, const HTuple &height)
{
    return guarded([&]() -> Herror {
        std::vector<ImagePtr> in;
        if (Herror e = imagesOf(images, 1, in); e != kSuccess)
            return e;
        const ImageElement &first = *in.front();
        for (const ImagePtr &img : in) {
            if (img->channels() != first.channels())
                return kErrWrongChannelCount;
            if (img->type != first.type)
                return kErrWrongPixelType;
        }
        std::vector<double> values[6];
        const HTuple *tuples[6] = {&offsetRow, &offsetCol, &row1, &col1, &row2, &col2};
        for (int k = 0; k < 6; ++k) {
            if (Herror e = perImage(*tuples[k], k + 1, in.size(), &values[k]); e != kSuccess)
                return e;
        }
        int w = 0, h = 0;
        if (Herror e = outputSide(width, 7, &w); e != kSuccess)
            return e;
        if (Herror e = outputSide(height, 8, &h); e != kSuccess)
            return e;
        if (Hlong(w) * Hlong(h) > kMaxPixels)
            return wrongValue(8);

        const int type = CV_MAKETYPE(cvDepthOf(first.type), 1);
        std::vector<cv::Mat> planes;
        planes.reserve(size_t(first.channels()));
        for (int c = 0; c < first.channels(); ++c) {
            planes.push_back(Detail::cachedPlane(h, w, type));
            planes.back().setTo(0);
        }
        const size_t pixelSize = planes.front().elemSize();
        for (size_t i = 0; i < in.size(); ++i) {
            const ImageElement &img = *in[i];
            const Placement p = place(img, values[0][i], values[1][i], values[2][i], values[3][i], values[4][i],
                                      values[5][i], w, h);
            if (p.rowEnd <= p.rowBegin || p.colEnd <= p.colBegin)
                continue;
            const size_t bytes = size_t(p.colEnd - p.colBegin) * pixelSize;
            for (int c = 0; c < img.channels(); ++c) {
                const cv::Mat &source = img.planes[size_t(c)];
                cv::Mat &target = planes[size_t(c)];
                for (int r = p.rowBegin; r < p.rowEnd; ++r)
                    std::memcpy(target.ptr(r + p.rowShift, p.colBegin + p.colShift), source.ptr(r, p.colBegin), bytes);
            }
        }
        ImagePtr tiled = makeImage(std::move(planes));
        if (!tiled)
            return kErrInternal;
        if (tiledImage)
            *tiledImage = makeObject(tiled);
        return kSuccess;
    });
}

} // namespace Halcon
