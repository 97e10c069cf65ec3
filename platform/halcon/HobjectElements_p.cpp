#include "HobjectElements_p.h"

#include "RegionBounds_p.h"

#include <algorithm>
#include <cassert>

namespace Halcon {

bool XldElement::isClosed() const
{
    return points.size() > 2 && points.front().row == points.back().row
        && points.front().col == points.back().col;
}

namespace {

bool isImage(const ElementPtr &element)
{
    return element && element->kind == ElementKind::Image;
}

bool isXld(const ElementPtr &element)
{
    return element && (element->kind == ElementKind::XldCont || element->kind == ElementKind::XldPoly);
}

} // namespace

ImagePtr asImage(const ElementPtr &element)
{
    if (!isImage(element))
        return nullptr;
    return std::static_pointer_cast<const ImageElement>(element);
}

RegionPtr asRegion(const ElementPtr &element)
{
    if (!element || element->kind != ElementKind::Region)
        return nullptr;
    return std::static_pointer_cast<const RegionElement>(element);
}

XldPtr asXld(const ElementPtr &element)
{
    if (!isXld(element))
        return nullptr;
    return std::static_pointer_cast<const XldElement>(element);
}

namespace {

template<class Ptr, class Cast>
Herror typedElements(const Hobject &object, int input, std::vector<Ptr> &out, bool allowEmpty, Cast cast)
{
    out.clear();
    const auto &elements = elementsOf(object);
    if (elements.empty())
        return allowEmpty ? kSuccess : kErrEmptyObject;
    out.reserve(elements.size());
    for (const ElementPtr &e : elements) {
        Ptr typed = cast(e);
        if (!typed) {
            out.clear();
            return wrongObjectClass(input);
        }
        out.push_back(std::move(typed));
    }
    return kSuccess;
}

void computeSummary(RegionElement &region)
{
    region.area = 0;
    if (region.runs.empty()) {
        region.row1 = region.col1 = 0;
        region.row2 = region.col2 = -1;
        region.centerRow = region.centerCol = 0.0;
        return;
    }
    std::int32_t col1 = region.runs.front().colBegin;
    std::int32_t col2 = region.runs.front().colEnd;
    double sumRow = 0.0;
    double sumCol = 0.0;
    std::int64_t area = 0;
    for (const Run &r : region.runs) {
        const std::int64_t n = std::int64_t(r.colEnd) - r.colBegin + 1;
        area += n;
        sumRow += double(r.row) * double(n);
        // Sum of colBegin..colEnd = n * (colBegin + colEnd) / 2.
        sumCol += double(n) * (double(r.colBegin) + double(r.colEnd)) * 0.5;
        col1 = std::min(col1, r.colBegin);
        col2 = std::max(col2, r.colEnd);
    }
    region.area = area;
    region.row1 = region.runs.front().row;
    region.row2 = region.runs.back().row;
    region.col1 = col1;
    region.col2 = col2;
    region.centerRow = sumRow / double(area);
    region.centerCol = sumCol / double(area);
}

bool runsNormalized(const std::vector<Run> &runs)
{
    for (size_t i = 0; i < runs.size(); ++i) {
        if (runs[i].colEnd < runs[i].colBegin)
            return false;
        if (i > 0) {
            const Run &p = runs[i - 1];
            const Run &r = runs[i];
            if (r.row < p.row)
                return false;
            // Same row: must start after the previous run ends, with a gap.
            if (r.row == p.row && std::int64_t(r.colBegin) <= std::int64_t(p.colEnd) + 1)
                return false;
        }
    }
    return true;
}

} // namespace

Herror imagesOf(const Hobject &object, int input, std::vector<ImagePtr> &out, bool allowEmpty)
{
    return typedElements(object, input, out, allowEmpty, asImage);
}

Herror regionsOf(const Hobject &object, int input, std::vector<RegionPtr> &out, bool allowEmpty)
{
    return typedElements(object, input, out, allowEmpty, asRegion);
}

Herror xldsOf(const Hobject &object, int input, std::vector<XldPtr> &out, bool allowEmpty)
{
    return typedElements(object, input, out, allowEmpty, asXld);
}

Herror imageViewsOf(const Hobject &object, int input, std::vector<ImageView> &out, bool allowEmpty)
{
    return typedElements(object, input, out, allowEmpty, [](const ElementPtr &element) {
        return isImage(element) ? static_cast<ImageView>(element.get()) : nullptr;
    });
}

Herror xldViewsOf(const Hobject &object, int input, std::vector<XldView> &out, bool allowEmpty)
{
    return typedElements(object, input, out, allowEmpty, [](const ElementPtr &element) {
        return isXld(element) ? static_cast<XldView>(element.get()) : nullptr;
    });
}

RegionPtr domainOf(const ImageElement &image)
{
    if (image.domain)
        return image.domain;
    return makeRectangleRegion(0, 0, image.height - 1, image.width - 1);
}

Hobject makeObject(ElementPtr element)
{
    if (!element)
        return Hobject();
    return HobjectAccess::make(std::vector<ElementPtr>{std::move(element)});
}

Hobject makeObject(std::vector<ElementPtr> elements)
{
    elements.erase(std::remove(elements.begin(), elements.end(), nullptr), elements.end());
    return HobjectAccess::make(std::move(elements));
}

void normalizeRuns(std::vector<Run> &runs)
{
    if (runsNormalized(runs))
        return;
    runs.erase(std::remove_if(runs.begin(), runs.end(), [](const Run &r) { return r.colEnd < r.colBegin; }),
               runs.end());
    std::sort(runs.begin(), runs.end(), [](const Run &a, const Run &b) {
        return a.row != b.row ? a.row < b.row : a.colBegin < b.colBegin;
    });
    size_t out = 0;
    for (size_t i = 0; i < runs.size(); ++i) {
        if (out > 0) {
            Run &last = runs[out - 1];
            if (last.row == runs[i].row && std::int64_t(runs[i].colBegin) <= std::int64_t(last.colEnd) + 1) {
                last.colEnd = std::max(last.colEnd, runs[i].colEnd);
                continue;
            }
        }
        runs[out++] = runs[i];
    }
    runs.resize(out);
}

RegionPtr makeRegion(std::vector<Run> runs)
{
    normalizeRuns(runs);
    return makeRegionSorted(std::move(runs));
}

RegionPtr makeRegionSorted(std::vector<Run> runs)
{
    assert(runsNormalized(runs));
    auto region = std::make_shared<RegionElement>();
    region->runs = std::move(runs);
    computeSummary(*region);
    return region;
}

RegionPtr makeEmptyRegion()
{
    return makeRegionSorted({});
}

RegionPtr makeRectangleRegion(int row1, int col1, int row2, int col2)
{
    std::vector<Run> runs;
    if (row2 >= row1 && col2 >= col1) {
        runs.reserve(size_t(row2 - row1) + 1);
        for (int r = row1; r <= row2; ++r)
            runs.push_back(Run{r, col1, col2});
    }
    return makeRegionSorted(std::move(runs));
}

ImagePtr makeImage(std::vector<cv::Mat> planes, RegionPtr domain)
{
    if (planes.empty())
        return nullptr;
    const cv::Size size = planes.front().size();
    const int cvType = planes.front().type();
    PixelType type;
    if (CV_MAT_CN(cvType) != 1 || !pixelTypeOfDepth(CV_MAT_DEPTH(cvType), &type) || size.width <= 0
        || size.height <= 0)
        return nullptr;
    for (cv::Mat &plane : planes) {
        if (plane.size() != size || plane.type() != cvType || plane.dims != 2)
            return nullptr;
        if (!plane.isContinuous())
            plane = plane.clone();
    }
    auto image = std::make_shared<ImageElement>();
    image->planes = std::move(planes);
    image->type = type;
    image->width = size.width;
    image->height = size.height;
    // A domain covering the whole picture is the common case; keep it as "full".
    if (domain && domain->area == std::int64_t(size.width) * size.height && domain->row1 == 0
        && domain->col1 == 0 && domain->row2 == size.height - 1 && domain->col2 == size.width - 1)
        domain = nullptr;
    image->domain = std::move(domain);
    // complement is bounded by the pictures of the program, whichever operator made them.
    Detail::notePictureSize(size.width, size.height);
    return image;
}

XldPtr makeContour(std::vector<XldPoint> points)
{
    auto xld = std::make_shared<XldElement>(ElementKind::XldCont);
    xld->points = std::move(points);
    return xld;
}

XldPtr makePolygon(std::vector<XldPoint> points)
{
    auto xld = std::make_shared<XldElement>(ElementKind::XldPoly);
    xld->points = std::move(points);
    return xld;
}

int cvDepthOf(PixelType type)
{
    switch (type) {
    case PixelType::Byte:
        return CV_8U;
    case PixelType::UInt2:
        return CV_16U;
    case PixelType::Real:
        return CV_32F;
    }
    return CV_8U;
}

bool pixelTypeOfDepth(int cvDepth, PixelType *type)
{
    switch (cvDepth) {
    case CV_8U:
        *type = PixelType::Byte;
        return true;
    case CV_16U:
        *type = PixelType::UInt2;
        return true;
    case CV_32F:
        *type = PixelType::Real;
        return true;
    default:
        return false;
    }
}

const char *pixelTypeName(PixelType type)
{
    switch (type) {
    case PixelType::Byte:
        return "byte";
    case PixelType::UInt2:
        return "uint2";
    case PixelType::Real:
        return "real";
    }
    return "byte";
}

bool pixelTypeFromName(const std::string &name, PixelType *type)
{
    if (name == "byte")
        *type = PixelType::Byte;
    else if (name == "uint2")
        *type = PixelType::UInt2;
    else if (name == "real")
        *type = PixelType::Real;
    else
        return false;
    return true;
}

Herror singleNumber(const HTuple &tuple, int parameter, double *value)
{
    if (tuple.Length() != 1)
        return wrongCount(parameter);
    if (!tuple[0].IsNumber())
        return wrongType(parameter);
    *value = tuple[0].D();
    return kSuccess;
}

Herror singleInteger(const HTuple &tuple, int parameter, Hlong *value)
{
    if (tuple.Length() != 1)
        return wrongCount(parameter);
    const HValue &v = tuple[0];
    if (v.IsInteger()) {
        *value = v.L();
        return kSuccess;
    }
    if (v.IsReal()) {
        const double d = v.D();
        if (d != double(Hlong(v.L())) || d > 9.0e18 || d < -9.0e18)
            return wrongValue(parameter);
        *value = v.L();
        return kSuccess;
    }
    return wrongType(parameter);
}

Herror singleString(const HTuple &tuple, int parameter, std::string *value)
{
    std::string_view view;
    const Herror err = singleString(tuple, parameter, &view);
    if (err == kSuccess)
        *value = view;
    return err;
}

Herror singleString(const HTuple &tuple, int parameter, std::string_view *value)
{
    if (tuple.Length() != 1)
        return wrongCount(parameter);
    if (!tuple[0].IsString())
        return wrongType(parameter);
    *value = tuple[0].Str();
    return kSuccess;
}

} // namespace Halcon
