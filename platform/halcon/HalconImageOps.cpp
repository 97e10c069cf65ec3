#include "HalconImageOps.h"

#include "HalconAop_p.h"
#include "HalconGuard_p.h"
#include "HobjectElements_p.h"
#include "PlaneCache_p.h"
#include "PlaneCopy_p.h"

#include <opencv2/core/hal/intrin.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace Halcon {

namespace {

constexpr double kTwoPi = 6.283185307179586;

// Rows per step of the interleave-convert-split passes: about 96 KB of interleaved
// pixels, so a step stays in the cache between the three passes.
int stepRows(int width, int channels, int elementSize)
{
    return std::max(1, 96 * 1024 / std::max(1, width * channels * elementSize));
}

// Converts three planes into three preallocated planes with OpenCV's interleaved colour
// conversion, in row bands split by the operator's thread count. Each band interleaves,
// converts and splits a few rows at a time in buffers of its own that are reused, so no
// whole-picture intermediate is made. after(firstRow, endRow) runs on the band's rows of
// `out` once they are converted.
template<class After>
void convertPlanes(const char *op, PixelType type, const cv::Mat *in, cv::Mat *out, int code, const After &after)
{
    const int width = in[0].cols;
    const int step = stepRows(width, 3, int(in[0].elemSize()));
    Aop::parallelRows(op, pixelTypeName(type), in[0].rows, [&](int firstRow, int endRow) {
        const int rows = std::min(step, endRow - firstRow);
        cv::Mat interleavedBuffer(rows, width, CV_MAKETYPE(in[0].depth(), 3));
        cv::Mat convertedBuffer(rows, width, CV_MAKETYPE(out[0].depth(), 3));
        for (int r0 = firstRow; r0 < endRow; r0 += step) {
            const int r1 = std::min(endRow, r0 + step);
            const cv::Mat inRows[3] = {in[0].rowRange(r0, r1), in[1].rowRange(r0, r1), in[2].rowRange(r0, r1)};
            cv::Mat interleaved = interleavedBuffer.rowRange(0, r1 - r0);
            cv::Mat converted = convertedBuffer.rowRange(0, r1 - r0);
            cv::merge(inRows, 3, interleaved);
            cv::cvtColor(interleaved, converted, code);
            cv::Mat outRows[3] = {out[0].rowRange(r0, r1), out[1].rowRange(r0, r1), out[2].rowRange(r0, r1)};
            cv::split(converted, outRows);
        }
        after(firstRow, endRow);
    });
}

void nothingAfter(int, int) {}

// Grey from byte planes straight away (no interleaving): 0.299, 0.587, 0.114 as 14-bit
// fixed point, rounded, the weights the common photo tools use. Pixels [begin, end) of
// the continuous planes.
void grayPixels8u(const uchar *r, const uchar *g, const uchar *b, uchar *out, size_t begin, size_t end)
{
    constexpr unsigned kRed = 4899, kGreen = 9617, kBlue = 1868, kShift = 14;
    size_t i = begin;
#if CV_SIMD128
    const cv::v_uint16x8 cr = cv::v_setall_u16(kRed), cg = cv::v_setall_u16(kGreen), cb = cv::v_setall_u16(kBlue);
    for (; i + 16 <= end; i += 16) {
        cv::v_uint16x8 r0, r1, g0, g1, b0, b1;
        cv::v_expand(cv::v_load(r + i), r0, r1);
        cv::v_expand(cv::v_load(g + i), g0, g1);
        cv::v_expand(cv::v_load(b + i), b0, b1);
        cv::v_uint32x4 s00, s01, s10, s11, t0, t1;
        cv::v_mul_expand(r0, cr, s00, s01);
        cv::v_mul_expand(g0, cg, t0, t1);
        s00 += t0;
        s01 += t1;
        cv::v_mul_expand(b0, cb, t0, t1);
        s00 += t0;
        s01 += t1;
        cv::v_mul_expand(r1, cr, s10, s11);
        cv::v_mul_expand(g1, cg, t0, t1);
        s10 += t0;
        s11 += t1;
        cv::v_mul_expand(b1, cb, t0, t1);
        s10 += t0;
        s11 += t1;
        const cv::v_uint16x8 lo = cv::v_rshr_pack<kShift>(s00, s01);
        const cv::v_uint16x8 hi = cv::v_rshr_pack<kShift>(s10, s11);
        cv::v_store(out + i, cv::v_pack(lo, hi));
    }
#endif
    for (; i < end; ++i)
        out[i] = uchar((r[i] * kRed + g[i] * kGreen + b[i] * kBlue + (1u << (kShift - 1))) >> kShift);
}

// Byte HSV straight from the planes (full circle in 256 hue steps), in float per lane:
// hue = 256/6 * (sector offset) / (max - min), saturation = 255 * (max - min) / max, as
// OpenCV's full-circle conversion rounds them. Pixels [begin, end) of the continuous planes.
void hsvPixels8u(const uchar *r, const uchar *g, const uchar *b, uchar *ho, uchar *so, uchar *vo, size_t begin,
                 size_t end)
{
    constexpr float kHueScale = 256.0f / 6.0f;
    size_t i = begin;
#if CV_SIMD128
    const cv::v_float32x4 one = cv::v_setall_f32(1.0f), scaleS = cv::v_setall_f32(255.0f),
                          scaleH = cv::v_setall_f32(kHueScale);
    const cv::v_int32x4 full = cv::v_setall_s32(256), byteMask = cv::v_setall_s32(255),
                        zero = cv::v_setall_s32(0);
    for (; i + 16 <= end; i += 16) {
        const cv::v_uint8x16 R = cv::v_load(r + i), G = cv::v_load(g + i), B = cv::v_load(b + i);
        const cv::v_uint8x16 V = cv::v_max(R, cv::v_max(G, B));
        const cv::v_uint8x16 D = V - cv::v_min(R, cv::v_min(G, B));
        cv::v_store(vo + i, V);
        cv::v_uint16x8 r16[2], g16[2], b16[2], v16[2], d16[2];
        cv::v_expand(R, r16[0], r16[1]);
        cv::v_expand(G, g16[0], g16[1]);
        cv::v_expand(B, b16[0], b16[1]);
        cv::v_expand(V, v16[0], v16[1]);
        cv::v_expand(D, d16[0], d16[1]);
        cv::v_int16x8 hPacked[2], sPacked[2];
        for (int half = 0; half < 2; ++half) {
            const cv::v_int16x8 rr = cv::v_reinterpret_as_s16(r16[half]);
            const cv::v_int16x8 gg = cv::v_reinterpret_as_s16(g16[half]);
            const cv::v_int16x8 bb = cv::v_reinterpret_as_s16(b16[half]);
            const cv::v_int16x8 vv = cv::v_reinterpret_as_s16(v16[half]);
            const cv::v_int16x8 dd = cv::v_reinterpret_as_s16(d16[half]);
            const cv::v_int16x8 offset =
                cv::v_select(vv == rr, gg - bb,
                             cv::v_select(vv == gg, bb - rr + dd + dd, rr - gg + (dd << 2)));
            cv::v_int32x4 o32[2], d32[2], v32[2];
            cv::v_expand(offset, o32[0], o32[1]);
            cv::v_expand(dd, d32[0], d32[1]);
            cv::v_expand(vv, v32[0], v32[1]);
            cv::v_int32x4 h32[2], s32[2];
            for (int q = 0; q < 2; ++q) {
                const cv::v_float32x4 df = cv::v_cvt_f32(d32[q]);
                cv::v_int32x4 h = cv::v_round(cv::v_cvt_f32(o32[q]) * scaleH / cv::v_max(df, one));
                h = (h + (full & (h < zero))) & byteMask;
                h32[q] = h;
                s32[q] = cv::v_round(df * scaleS / cv::v_max(cv::v_cvt_f32(v32[q]), one));
            }
            hPacked[half] = cv::v_pack(h32[0], h32[1]);
            sPacked[half] = cv::v_pack(s32[0], s32[1]);
        }
        cv::v_store(ho + i, cv::v_pack_u(hPacked[0], hPacked[1]));
        cv::v_store(so + i, cv::v_pack_u(sPacked[0], sPacked[1]));
    }
#endif
    for (; i < end; ++i) {
        const int R = r[i], G = g[i], B = b[i];
        const int V = std::max(R, std::max(G, B));
        const int D = V - std::min(R, std::min(G, B));
        const int offset = V == R ? G - B : V == G ? B - R + 2 * D : R - G + 4 * D;
        int h = int(std::nearbyint(float(offset) * kHueScale / float(std::max(D, 1))));
        h = (h < 0 ? h + 256 : h) & 255;
        ho[i] = uchar(h);
        so[i] = uchar(std::nearbyint(float(D) * 255.0f / float(std::max(V, 1))));
        vo[i] = uchar(V);
    }
}

// Grey of uint2 and real planes, rows [firstRow, endRow); the same weights, rounded and
// clipped for uint2.
template<class T>
void grayRows(const cv::Mat &red, const cv::Mat &green, const cv::Mat &blue, cv::Mat &gray, int firstRow, int endRow)
{
    for (int y = firstRow; y < endRow; ++y) {
        const T *r = red.ptr<T>(y);
        const T *g = green.ptr<T>(y);
        const T *b = blue.ptr<T>(y);
        T *out = gray.ptr<T>(y);
        for (int x = 0; x < red.cols; ++x)
            out[x] = cv::saturate_cast<T>(0.299 * double(r[x]) + 0.587 * double(g[x]) + 0.114 * double(b[x]));
    }
}

ImagePtr withPlanes(const ImageElement &like, std::vector<cv::Mat> planes)
{
    return makeImage(std::move(planes), like.domain);
}

ImagePtr withDomain(const ImageElement &image, RegionPtr domain)
{
    return makeImage(image.planes, std::move(domain));
}

Herror setHValueOut(HTuple *out, HTuple value)
{
    if (out)
        *out = std::move(value);
    return kSuccess;
}

// Region clipped to [0, width) x [0, height); runs stay sorted and merged.
RegionPtr clipRegion(const RegionPtr &region, int width, int height)
{
    if (region->isEmpty() || (region->row1 >= 0 && region->col1 >= 0 && region->row2 < height && region->col2 < width))
        return region;
    std::vector<Run> runs;
    runs.reserve(region->runs.size());
    for (const Run &r : region->runs) {
        if (r.row < 0 || r.row >= height || r.colEnd < 0 || r.colBegin >= width)
            continue;
        runs.push_back(Run{r.row, std::max(r.colBegin, 0), std::min(r.colEnd, width - 1)});
    }
    return makeRegionSorted(std::move(runs));
}

// Three inputs paired element by element, each image one channel, all of one size and type.
Herror threeSingleChannelInputs(const Hobject &a, const Hobject &b, const Hobject &c,
                                std::vector<ImagePtr> (&images)[3])
{
    const Hobject *objects[3] = {&a, &b, &c};
    for (int i = 0; i < 3; ++i) {
        if (Herror e = imagesOf(*objects[i], i + 1, images[i]); e != kSuccess)
            return e;
    }
    if (images[1].size() != images[0].size() || images[2].size() != images[0].size())
        return kErrObjectCountMismatch;
    for (size_t k = 0; k < images[0].size(); ++k) {
        const ImageElement &first = *images[0][k];
        for (int i = 0; i < 3; ++i) {
            const ImageElement &img = *images[i][k];
            if (img.channels() != 1)
                return kErrWrongChannelCount;
            if (img.width != first.width || img.height != first.height)
                return kErrImageSizeMismatch;
            if (img.type != first.type)
                return kErrWrongPixelType;
        }
    }
    return kSuccess;
}

Herror colorSpaceParameter(const HTuple &colorSpace, int parameter)
{
    std::string name;
    if (Herror e = singleString(colorSpace, parameter, &name); e != kSuccess)
        return e;
    return name == "hsv" ? kSuccess : wrongValue(parameter);
}

// Rgb (byte or real planes) to hsv planes. Bytes: hue in 256 steps for the full circle
// (OpenCV's "full" conversion); reals: hue in radians [0, 2 pi), as OpenCV gives degrees.
void rgbToHsv(const ImageElement &r, const ImageElement &g, const ImageElement &b, std::vector<cv::Mat> &hsv)
{
    const cv::Mat in[3] = {r.planes[0], g.planes[0], b.planes[0]};
    hsv.assign(3, cv::Mat());
    const int depth = r.type == PixelType::Byte ? CV_8U : CV_32F;
    for (cv::Mat &p : hsv)
        p = Detail::cachedPlane(r.height, r.width, depth);
    if (r.type == PixelType::Byte) {
        // Plane-wise, without interleaving: quicker than OpenCV's conversion of an
        // interleaved picture, and within one level of it.
        const size_t width = size_t(r.width);
        Aop::parallelRows("trans_from_rgb", "byte", r.height, [&](int firstRow, int endRow) {
            hsvPixels8u(in[0].ptr<uchar>(), in[1].ptr<uchar>(), in[2].ptr<uchar>(), hsv[0].ptr<uchar>(),
                        hsv[1].ptr<uchar>(), hsv[2].ptr<uchar>(), size_t(firstRow) * width, size_t(endRow) * width);
        });
        return;
    }
    cv::Mat &hue = hsv[0];
    convertPlanes("trans_from_rgb", r.type, in, hsv.data(), cv::COLOR_RGB2HSV, [&](int firstRow, int endRow) {
        constexpr float kRadians = float(kTwoPi / 360.0);
        for (int y = firstRow; y < endRow; ++y) {
            float *h = hue.ptr<float>(y);
            for (int x = 0; x < hue.cols; ++x) {
                h[x] *= kRadians;
                // A hue of exactly 2 pi after scaling belongs at 0.
                if (h[x] >= float(kTwoPi))
                    h[x] = 0.0f;
            }
        }
    });
}

void hsvToRgb(const ImageElement &h, const ImageElement &s, const ImageElement &v, std::vector<cv::Mat> &rgb)
{
    rgb.assign(3, cv::Mat());
    const int depth = h.type == PixelType::Byte ? CV_8U : CV_32F;
    for (cv::Mat &p : rgb)
        p = Detail::cachedPlane(h.height, h.width, depth);
    if (h.type == PixelType::Byte) {
        const cv::Mat in[3] = {h.planes[0], s.planes[0], v.planes[0]};
        convertPlanes("trans_to_rgb", h.type, in, rgb.data(), cv::COLOR_HSV2RGB_FULL, nothingAfter);
        return;
    }
    cv::Mat hueDegrees;
    h.planes[0].convertTo(hueDegrees, CV_32F, 360.0 / kTwoPi);
    const cv::Mat in[3] = {hueDegrees, s.planes[0], v.planes[0]};
    convertPlanes("trans_to_rgb", h.type, in, rgb.data(), cv::COLOR_HSV2RGB, nothingAfter);
}

// Checks a pixel pointer parameter and the size parameters of gen_image1/3.
Herror imageSizeParameters(const HTuple &type, const HTuple &width, const HTuple &height, PixelType *pixelType,
                           int *w, int *h)
{
    std::string typeName;
    if (Herror e = singleString(type, 1, &typeName); e != kSuccess)
        return e;
    if (!pixelTypeFromName(typeName, pixelType))
        return wrongValue(1);
    Hlong wl = 0, hl = 0;
    if (Herror e = singleInteger(width, 2, &wl); e != kSuccess)
        return e;
    if (Herror e = singleInteger(height, 3, &hl); e != kSuccess)
        return e;
    // Keeps width * height * pixel size well inside what one allocation can hold.
    constexpr Hlong kMaxSide = 1 << 20;
    if (wl < 1 || wl > kMaxSide)
        return wrongValue(2);
    if (hl < 1 || hl > kMaxSide || wl * hl > (Hlong(1) << 31))
        return wrongValue(3);
    *w = int(wl);
    *h = int(hl);
    return kSuccess;
}

Herror pointerParameter(const HTuple &pointer, int parameter, const void **address)
{
    Hlong value = 0;
    if (Herror e = singleInteger(pointer, parameter, &value); e != kSuccess)
        return e;
    if (value == 0)
        return wrongValue(parameter);
    *address = reinterpret_cast<const void *>(static_cast<std::intptr_t>(value));
    return kSuccess;
}

cv::Mat planeFromPixels(PixelType type, int width, int height, const void *pixels)
{
    const int cvType = CV_MAKETYPE(cvDepthOf(type), 1);
    // Wraps the caller's pixels, then copies them: the image must own its pixels.
    return cv::Mat(height, width, cvType, const_cast<void *>(pixels)).clone();
}

void copyTypeName(PixelType type, char *out)
{
    if (!out)
        return;
    const char *name = pixelTypeName(type);
    std::strncpy(out, name, 15);
    out[15] = '\0';
}

Hlong addressOf(const cv::Mat &plane)
{
    return Hlong(reinterpret_cast<std::intptr_t>(plane.data));
}

// Both directions of the colour-space change: three one-channel inputs of equal size,
// one plane per output, the first input's domain kept.
using ColorConversion = void (*)(const ImageElement &, const ImageElement &, const ImageElement &,
                                 std::vector<cv::Mat> &);

Herror transColorSpace(const Hobject &input1, const Hobject &input2, const Hobject &input3, Hobject *result1,
                       Hobject *result2, Hobject *result3, const HTuple &colorSpace, ColorConversion convert)
{
    return guarded([&]() -> Herror {
        std::vector<ImagePtr> images[3];
        if (Herror e = threeSingleChannelInputs(input1, input2, input3, images); e != kSuccess)
            return e;
        if (Herror e = colorSpaceParameter(colorSpace, 1); e != kSuccess)
            return e;
        std::vector<ElementPtr> out[3];
        for (size_t k = 0; k < images[0].size(); ++k) {
            if (images[0][k]->type == PixelType::UInt2)
                return kErrWrongPixelType;
            std::vector<cv::Mat> planes;
            convert(*images[0][k], *images[1][k], *images[2][k], planes);
            for (int c = 0; c < 3; ++c)
                out[c].push_back(withPlanes(*images[0][k], {planes[size_t(c)]}));
        }
        Hobject *targets[3] = {result1, result2, result3};
        for (int c = 0; c < 3; ++c) {
            if (targets[c])
                *targets[c] = makeObject(std::move(out[c]));
        }
        return kSuccess;
    });
}

// One output element per input image, in order; the first failing image ends the call
// with its error and leaves the output untouched.
template <typename Map>
Herror mapImages(const Hobject &input, Hobject *output, Map map)
{
    return guarded([&]() -> Herror {
        std::vector<ImagePtr> images;
        if (Herror e = imagesOf(input, 1, images); e != kSuccess)
            return e;
        std::vector<ElementPtr> out;
        out.reserve(images.size());
        for (const ImagePtr &img : images) {
            ElementPtr element;
            if (Herror e = map(img, &element); e != kSuccess)
                return e;
            out.push_back(std::move(element));
        }
        if (output)
            *output = makeObject(std::move(out));
        return kSuccess;
    });
}

} // namespace

Herror get_image_size(const Hobject &image, HTuple *width, HTuple *height)
{
    return guarded([&]() -> Herror {
        std::vector<ImagePtr> images;
        if (Herror e = imagesOf(image, 1, images); e != kSuccess)
            return e;
        HTuple w, h;
        for (const ImagePtr &img : images) {
            w.Append(HValue(img->width));
            h.Append(HValue(img->height));
        }
        setHValueOut(width, std::move(w));
        return setHValueOut(height, std::move(h));
    });
}

Herror get_image_size(const Hobject &image, Hlong *width, Hlong *height)
{
    std::vector<ImagePtr> images;
    if (Herror e = imagesOf(image, 1, images); e != kSuccess)
        return e;
    if (width)
        *width = images.front()->width;
    if (height)
        *height = images.front()->height;
    return kSuccess;
}

Herror count_channels(const Hobject &multiChannelImage, HTuple *channels)
{
    return guarded([&]() -> Herror {
        std::vector<ImagePtr> images;
        if (Herror e = imagesOf(multiChannelImage, 1, images); e != kSuccess)
            return e;
        HTuple result;
        for (const ImagePtr &img : images)
            result.Append(HValue(img->channels()));
        return setHValueOut(channels, std::move(result));
    });
}

Herror count_channels(const Hobject &multiChannelImage, Hlong *channels)
{
    std::vector<ImagePtr> images;
    if (Herror e = imagesOf(multiChannelImage, 1, images); e != kSuccess)
        return e;
    if (channels)
        *channels = images.front()->channels();
    return kSuccess;
}

Herror get_image_pointer1(const Hobject &image, HTuple *pointer, HTuple *type, HTuple *width, HTuple *height)
{
    return guarded([&]() -> Herror {
        std::vector<ImagePtr> images;
        if (Herror e = imagesOf(image, 1, images); e != kSuccess)
            return e;
        HTuple p, t, w, h;
        for (const ImagePtr &img : images) {
            p.Append(HValue(static_cast<long long>(addressOf(img->planes[0]))));
            t.Append(HValue(pixelTypeName(img->type)));
            w.Append(HValue(img->width));
            h.Append(HValue(img->height));
        }
        setHValueOut(pointer, std::move(p));
        setHValueOut(type, std::move(t));
        setHValueOut(width, std::move(w));
        return setHValueOut(height, std::move(h));
    });
}

Herror get_image_pointer1(const Hobject &image, Hlong *pointer, char *type, Hlong *width, Hlong *height)
{
    std::vector<ImagePtr> images;
    if (Herror e = imagesOf(image, 1, images); e != kSuccess)
        return e;
    const ImageElement &img = *images.front();
    if (pointer)
        *pointer = addressOf(img.planes[0]);
    copyTypeName(img.type, type);
    if (width)
        *width = img.width;
    if (height)
        *height = img.height;
    return kSuccess;
}

Herror get_image_pointer3(const Hobject &imageRGB, HTuple *pointerRed, HTuple *pointerGreen, HTuple *pointerBlue,
                          HTuple *type, HTuple *width, HTuple *height)
{
    return guarded([&]() -> Herror {
        std::vector<ImagePtr> images;
        if (Herror e = imagesOf(imageRGB, 1, images); e != kSuccess)
            return e;
        HTuple r, g, b, t, w, h;
        for (const ImagePtr &img : images) {
            if (img->channels() != 3)
                return kErrWrongChannelCount;
            r.Append(HValue(static_cast<long long>(addressOf(img->planes[0]))));
            g.Append(HValue(static_cast<long long>(addressOf(img->planes[1]))));
            b.Append(HValue(static_cast<long long>(addressOf(img->planes[2]))));
            t.Append(HValue(pixelTypeName(img->type)));
            w.Append(HValue(img->width));
            h.Append(HValue(img->height));
        }
        setHValueOut(pointerRed, std::move(r));
        setHValueOut(pointerGreen, std::move(g));
        setHValueOut(pointerBlue, std::move(b));
        setHValueOut(type, std::move(t));
        setHValueOut(width, std::move(w));
        return setHValueOut(height, std::move(h));
    });
}

Herror get_image_pointer3(const Hobject &imageRGB, Hlong *pointerRed, Hlong *pointerGreen, Hlong *pointerBlue,
                          char *type, Hlong *width, Hlong *height)
{
    std::vector<ImagePtr> images;
    if (Herror e = imagesOf(imageRGB, 1, images); e != kSuccess)
        return e;
    const ImageElement &img = *images.front();
    if (img.channels() != 3)
        return kErrWrongChannelCount;
    if (pointerRed)
        *pointerRed = addressOf(img.planes[0]);
    if (pointerGreen)
        *pointerGreen = addressOf(img.planes[1]);
    if (pointerBlue)
        *pointerBlue = addressOf(img.planes[2]);
    copyTypeName(img.type, type);
    if (width)
        *width = img.width;
    if (height)
        *height = img.height;
    return kSuccess;
}

Herror full_domain(const Hobject &image, Hobject *imageFull)
{
    return guarded([&]() -> Herror {
        std::vector<ImagePtr> images;
        if (Herror e = imagesOf(image, 1, images); e != kSuccess)
            return e;
        std::vector<ElementPtr> out;
        out.reserve(images.size());
        for (const ImagePtr &img : images)
            out.push_back(img->hasFullDomain() ? img : withDomain(*img, nullptr));
        if (imageFull)
            *imageFull = makeObject(std::move(out));
        return kSuccess;
    });
}

Herror reduce_domain(const Hobject &image, const Hobject &region, Hobject *imageReduced)
{
    return guarded([&]() -> Herror {
        std::vector<ImagePtr> images;
        std::vector<RegionPtr> regions;
        if (Herror e = imagesOf(image, 1, images); e != kSuccess)
            return e;
        if (Herror e = regionsOf(region, 2, regions); e != kSuccess)
            return e;
        if (regions.size() != 1 && regions.size() != images.size())
            return kErrObjectCountMismatch;
        std::vector<ElementPtr> out;
        out.reserve(images.size());
        for (size_t i = 0; i < images.size(); ++i) {
            const ImageElement &img = *images[i];
            const RegionPtr &r = regions.size() == 1 ? regions[0] : regions[i];
            out.push_back(withDomain(img, clipRegion(r, img.width, img.height)));
        }
        if (imageReduced)
            *imageReduced = makeObject(std::move(out));
        return kSuccess;
    });
}

Herror crop_domain(const Hobject &image, Hobject *imagePart)
{
    return mapImages(image, imagePart, [](const ImagePtr &img, ElementPtr *part) -> Herror {
        if (img->hasFullDomain()) {
            *part = img;
            return kSuccess;
        }
        const RegionElement &d = *img->domain;
        if (d.isEmpty())
            return kErrEmptyDomain;
        const cv::Rect box(d.col1, d.row1, d.col2 - d.col1 + 1, d.row2 - d.row1 + 1);
        std::vector<cv::Mat> planes;
        planes.reserve(img->planes.size());
        for (const cv::Mat &p : img->planes)
            planes.push_back(Detail::copyPlane(p(box), "crop_domain", pixelTypeName(img->type)));
        ImagePtr cropped = makeImage(std::move(planes));
        if (!cropped)
            return kErrInternal;
        *part = std::move(cropped);
        return kSuccess;
    });
}

Herror get_domain(const Hobject &image, Hobject *domain)
{
    return mapImages(image, domain, [](const ImagePtr &img, ElementPtr *element) -> Herror {
        *element = domainOf(*img);
        return kSuccess;
    });
}

Herror rgb1_to_gray(const Hobject &rgbImage, Hobject *grayImage)
{
    return mapImages(rgbImage, grayImage, [](const ImagePtr &img, ElementPtr *element) -> Herror {
        if (img->channels() == 1) {
            *element = img;
            return kSuccess;
        }
        // A fourth channel (alpha) does not take part in the grey value.
        if (img->channels() != 3 && img->channels() != 4)
            return kErrWrongChannelCount;
        const cv::Mat &r = img->planes[0], &g = img->planes[1], &b = img->planes[2];
        cv::Mat gray = Detail::cachedPlane(img->height, img->width, CV_MAKETYPE(cvDepthOf(img->type), 1));
        const size_t width = size_t(img->width);
        Aop::parallelRows("rgb1_to_gray", pixelTypeName(img->type), img->height, [&](int firstRow, int endRow) {
            switch (img->type) {
            case PixelType::Byte:
                // Continuous planes: the band's rows are one run of pixels.
                grayPixels8u(r.ptr<uchar>(), g.ptr<uchar>(), b.ptr<uchar>(), gray.ptr<uchar>(),
                             size_t(firstRow) * width, size_t(endRow) * width);
                break;
            case PixelType::UInt2:
                grayRows<std::uint16_t>(r, g, b, gray, firstRow, endRow);
                break;
            case PixelType::Real:
                grayRows<float>(r, g, b, gray, firstRow, endRow);
                break;
            }
        });
        *element = withPlanes(*img, {gray});
        return kSuccess;
    });
}

Herror decompose3(const Hobject &multiChannelImage, Hobject *image1, Hobject *image2, Hobject *image3)
{
    return guarded([&]() -> Herror {
        std::vector<ImagePtr> images;
        if (Herror e = imagesOf(multiChannelImage, 1, images); e != kSuccess)
            return e;
        std::vector<ElementPtr> out[3];
        for (const ImagePtr &img : images) {
            if (img->channels() != 3)
                return kErrWrongChannelCount;
            // The planes are shared: a channel image refers to the same pixels.
            for (int c = 0; c < 3; ++c)
                out[c].push_back(withPlanes(*img, {img->planes[size_t(c)]}));
        }
        Hobject *targets[3] = {image1, image2, image3};
        for (int c = 0; c < 3; ++c) {
            if (targets[c])
                *targets[c] = makeObject(std::move(out[c]));
        }
        return kSuccess;
    });
}

Herror compose3(const Hobject &image1, const Hobject &image2, const Hobject &image3, Hobject *multiChannelImage)
{
    return guarded([&]() -> Herror {
        std::vector<ImagePtr> images[3];
        if (Herror e = threeSingleChannelInputs(image1, image2, image3, images); e != kSuccess)
            return e;
        std::vector<ElementPtr> out;
        out.reserve(images[0].size());
        for (size_t k = 0; k < images[0].size(); ++k) {
            const ImageElement &first = *images[0][k];
            out.push_back(withPlanes(first, {first.planes[0], images[1][k]->planes[0], images[2][k]->planes[0]}));
        }
        if (multiChannelImage)
            *multiChannelImage = makeObject(std::move(out));
        return kSuccess;
    });
}

Herror trans_from_rgb(const Hobject &imageRed, const Hobject &imageGreen, const Hobject &imageBlue,
                      Hobject *imageResult1, Hobject *imageResult2, Hobject *imageResult3,
                      const HTuple &colorSpace)
{
    return transColorSpace(imageRed, imageGreen, imageBlue, imageResult1, imageResult2, imageResult3, colorSpace,
                           rgbToHsv);
}

Herror trans_to_rgb(const Hobject &imageInput1, const Hobject &imageInput2, const Hobject &imageInput3,
                    Hobject *imageRed, Hobject *imageGreen, Hobject *imageBlue, const HTuple &colorSpace)
{
    return transColorSpace(imageInput1, imageInput2, imageInput3, imageRed, imageGreen, imageBlue, colorSpace,
                           hsvToRgb);
}

Herror gen_image_proto(const Hobject &image, Hobject *imageCleared, const HTuple &grayval)
{
    return guarded([&]() -> Herror {
        std::vector<ImagePtr> images;
        if (Herror e = imagesOf(image, 1, images); e != kSuccess)
            return e;
        double value = 0.0;
        if (Herror e = singleNumber(grayval, 1, &value); e != kSuccess)
            return e;
        std::vector<ElementPtr> out;
        out.reserve(images.size());
        for (const ImagePtr &img : images) {
            std::vector<cv::Mat> planes;
            for (int c = 0; c < img->channels(); ++c)
                planes.emplace_back(img->height, img->width, CV_MAKETYPE(cvDepthOf(img->type), 1), cv::Scalar(value));
            out.push_back(withPlanes(*img, std::move(planes)));
        }
        if (imageCleared)
            *imageCleared = makeObject(std::move(out));
        return kSuccess;
    });
}

Herror gen_image_const(Hobject *image, const HTuple &type, const HTuple &width, const HTuple &height)
{
    return guarded([&]() -> Herror {
        PixelType pixelType;
        int w = 0, h = 0;
        if (Herror e = imageSizeParameters(type, width, height, &pixelType, &w, &h); e != kSuccess)
            return e;
        ImagePtr img = makeImage({cv::Mat::zeros(h, w, CV_MAKETYPE(cvDepthOf(pixelType), 1))});
        if (!img)
            return kErrInternal;
        if (image)
            *image = makeObject(img);
        return kSuccess;
    });
}

Herror gen_image1(Hobject *image, const HTuple &type, const HTuple &width, const HTuple &height,
                  const HTuple &pixelPointer)
{
    return guarded([&]() -> Herror {
        PixelType pixelType;
        int w = 0, h = 0;
        if (Herror e = imageSizeParameters(type, width, height, &pixelType, &w, &h); e != kSuccess)
            return e;
        const void *pixels = nullptr;
        if (Herror e = pointerParameter(pixelPointer, 4, &pixels); e != kSuccess)
            return e;
        ImagePtr img = makeImage({planeFromPixels(pixelType, w, h, pixels)});
        if (!img)
            return kErrInternal;
        if (image)
            *image = makeObject(img);
        return kSuccess;
    });
}

Herror gen_image3(Hobject *imageRGB, const HTuple &type, const HTuple &width, const HTuple &height,
                  const HTuple &pointerRed, const HTuple &pointerGreen, const HTuple &pointerBlue)
{
    return guarded([&]() -> Herror {
        PixelType pixelType;
        int w = 0, h = 0;
        if (Herror e = imageSizeParameters(type, width, height, &pixelType, &w, &h); e != kSuccess)
            return e;
        const HTuple *pointers[3] = {&pointerRed, &pointerGreen, &pointerBlue};
        std::vector<cv::Mat> planes;
        for (int c = 0; c < 3; ++c) {
            const void *pixels = nullptr;
            if (Herror e = pointerParameter(*pointers[c], 4 + c, &pixels); e != kSuccess)
                return e;
            planes.push_back(planeFromPixels(pixelType, w, h, pixels));
        }
        ImagePtr img = makeImage(std::move(planes));
        if (!img)
            return kErrInternal;
        if (imageRGB)
            *imageRGB = makeObject(img);
        return kSuccess;
    });
}

} // namespace Halcon
