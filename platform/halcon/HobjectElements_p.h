#pragma once

// Layer-private: the element types behind Hobject and the functions operators use to
// read and make them. Included only by sources of platform/halcon.

#include "HalconErrors.h"
#include "Hobject.h"

#include <opencv2/core.hpp>

#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace Halcon {

enum class ElementKind { Image, Region, XldCont, XldPoly };

struct HElement
{
    explicit HElement(ElementKind k) : kind(k) {}
    virtual ~HElement() = default;
    HElement(const HElement &) = delete;
    HElement &operator=(const HElement &) = delete;

    const ElementKind kind;
};

using ElementPtr = std::shared_ptr<const HElement>;

// One run of a region: the pixels (row, colBegin) .. (row, colEnd), both ends included.
struct Run
{
    std::int32_t row;
    std::int32_t colBegin;
    std::int32_t colEnd;
};

// Runs sorted by row then column, non-overlapping, and touching runs merged; the
// summary values are computed once when the region is made.
struct RegionElement final : HElement
{
    RegionElement() : HElement(ElementKind::Region) {}

    std::vector<Run> runs;
    std::int64_t area = 0;
    // Bounding box (inclusive); row1 > row2 when the region is empty.
    std::int32_t row1 = 0, col1 = 0, row2 = -1, col2 = -1;
    double centerRow = 0.0, centerCol = 0.0; // 0 for an empty region

    bool isEmpty() const { return runs.empty(); }
};
using RegionPtr = std::shared_ptr<const RegionElement>;

enum class PixelType { Byte, UInt2, Real };

// An image: one plane per channel, all of one size and pixel type (CV_8UC1, CV_16UC1 or
// CV_32FC1), each continuous (stride = width * pixel size). The planes are shared with
// other images (decompose3/compose3 share them) and never written once the image is made.
// domain == nullptr is the full rectangle, kept without runs.
struct ImageElement final : HElement
{
    ImageElement() : HElement(ElementKind::Image) {}

    std::vector<cv::Mat> planes;
    PixelType type = PixelType::Byte;
    int width = 0;
    int height = 0;
    RegionPtr domain;

    int channels() const { return int(planes.size()); }
    bool hasFullDomain() const { return !domain; }
};
using ImagePtr = std::shared_ptr<const ImageElement>;

// Sub-pixel point of a contour or polygon.
struct XldPoint
{
    double row;
    double col;
};

// An XLD contour (kind XldCont) or polygon (kind XldPoly); closed when the first point
// equals the last.
struct XldElement final : HElement
{
    explicit XldElement(ElementKind k) : HElement(k) {}

    std::vector<XldPoint> points;

    bool isClosed() const;
};
using XldPtr = std::shared_ptr<const XldElement>;

// ---- Reading objects ----------------------------------------------------------------

class HobjectAccess
{
public:
    static const std::vector<ElementPtr> &elements(const Hobject &object);
    static Hobject make(std::vector<ElementPtr> elements);
};

inline const std::vector<ElementPtr> &elementsOf(const Hobject &object) { return HobjectAccess::elements(object); }

// Null unless the element is of that kind.
ImagePtr asImage(const ElementPtr &element);
RegionPtr asRegion(const ElementPtr &element);
XldPtr asXld(const ElementPtr &element); // contours and polygons

// All elements of an input object as images / regions / XLD, or a failure:
// kErrEmptyObject when it holds none (unless allowEmpty), wrongObjectClass(input) when
// any element is of another kind. `out` is cleared first.
Herror imagesOf(const Hobject &object, int input, std::vector<ImagePtr> &out, bool allowEmpty = false);
Herror regionsOf(const Hobject &object, int input, std::vector<RegionPtr> &out, bool allowEmpty = false);
Herror xldsOf(const Hobject &object, int input, std::vector<XldPtr> &out, bool allowEmpty = false);
// The same contours unowned, for operators that only read them while `object` holds them: no
// reference count is touched, which for tens of thousands of contours made on other threads
// cost more than the reading.
using XldView = const XldElement *;
Herror xldViewsOf(const Hobject &object, int input, std::vector<XldView> &out, bool allowEmpty = false);
// Likewise for images: one picture read by many threads at once would otherwise have its count
// moved by all of them.
using ImageView = const ImageElement *;
Herror imageViewsOf(const Hobject &object, int input, std::vector<ImageView> &out, bool allowEmpty = false);

// The domain of an image as a region; a full domain is made into a rectangle here, so
// call it only where runs are needed (check hasFullDomain() first for fast paths).
RegionPtr domainOf(const ImageElement &image);

// ---- Making elements and objects ----------------------------------------------------

Hobject makeObject(ElementPtr element);
Hobject makeObject(std::vector<ElementPtr> elements);
template<class T>
Hobject makeObject(const std::vector<std::shared_ptr<const T>> &elements)
{
    return makeObject(std::vector<ElementPtr>(elements.begin(), elements.end()));
}
// Takes the pointers over instead of counting each one up and down again.
template<class T>
Hobject makeObject(std::vector<std::shared_ptr<const T>> &&elements)
{
    std::vector<ElementPtr> taken;
    taken.reserve(elements.size());
    for (std::shared_ptr<const T> &element : elements)
        taken.push_back(std::move(element));
    elements.clear();
    return makeObject(std::move(taken));
}

// Runs in any order, possibly overlapping or touching: sorted and merged here.
RegionPtr makeRegion(std::vector<Run> runs);
// Runs already sorted, non-overlapping and merged (checked in debug builds only).
RegionPtr makeRegionSorted(std::vector<Run> runs);
RegionPtr makeEmptyRegion();
// Inclusive rectangle; empty when row2 < row1 or col2 < col1.
RegionPtr makeRectangleRegion(int row1, int col1, int row2, int col2);
// Sorts and merges in place (what makeRegion does).
void normalizeRuns(std::vector<Run> &runs);

// Planes must be single-channel CV_8U, CV_16U or CV_32F of one size; a plane that is not
// continuous is copied. The domain is kept as given (nullptr = full); a domain equal to
// the full rectangle is stored as nullptr. Returns nullptr for invalid planes. The
// picture size is noted for the bounds of complement (RegionBounds_p.h).
ImagePtr makeImage(std::vector<cv::Mat> planes, RegionPtr domain = {});

// The image `makeOne(image)` makes of each of `images`, answered as one object; a null
// image from `makeOne` is kErrInternal and answers nothing.
template<class MakeOne>
Herror mapImages(const std::vector<ImagePtr> &images, Hobject *output, MakeOne &&makeOne)
{
    std::vector<ImagePtr> results;
    results.reserve(images.size());
    for (const ImagePtr &image : images) {
        ImagePtr out = makeOne(*image);
        if (!out)
            return kErrInternal;
        results.push_back(std::move(out));
    }
    if (output)
        *output = makeObject(results);
    return kSuccess;
}

XldPtr makeContour(std::vector<XldPoint> points);
XldPtr makePolygon(std::vector<XldPoint> points);

// ---- Pixel types ---------------------------------------------------------------------

int cvDepthOf(PixelType type);               // CV_8U, CV_16U, CV_32F
bool pixelTypeOfDepth(int cvDepth, PixelType *type);
const char *pixelTypeName(PixelType type);   // "byte", "uint2", "real"
bool pixelTypeFromName(const std::string &name, PixelType *type);

// ---- Control parameters ----------------------------------------------------------------

// A single number / string from control parameter `parameter` (1-based), or its failure.
Herror singleNumber(const HTuple &tuple, int parameter, double *value);
Herror singleInteger(const HTuple &tuple, int parameter, Hlong *value); // reals must be whole
Herror singleString(const HTuple &tuple, int parameter, std::string *value);
// The string where the tuple holds it, for as long as the tuple does.
Herror singleString(const HTuple &tuple, int parameter, std::string_view *value);

} // namespace Halcon
