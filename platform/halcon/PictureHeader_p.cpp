#include "PictureHeader_p.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>

namespace Halcon::Detail {

namespace {

constexpr int64_t kSaturated = std::numeric_limits<int64_t>::max();

// Products of declared sizes saturate instead of wrapping.
int64_t times(int64_t a, int64_t b)
{
    if (a <= 0 || b <= 0)
        return 0;
    return a > kSaturated / b ? kSaturated : a * b;
}

int64_t plus(int64_t a, int64_t b)
{
    return a > kSaturated - b ? kSaturated : a + b;
}

// Bounds-checked reads; every offset is checked against the bytes there are.
class Bytes
{
public:
    Bytes(const unsigned char *data, size_t size) : m_data(data), m_size(size) {}

    size_t size() const { return m_size; }
    bool has(size_t offset, size_t count) const { return offset <= m_size && count <= m_size - offset; }
    bool startsWith(size_t offset, const char *text, size_t count) const
    {
        return has(offset, count) && std::memcmp(m_data + offset, text, count) == 0;
    }
    bool u8(size_t offset, uint32_t *v) const
    {
        if (!has(offset, 1))
            return false;
        *v = m_data[offset];
        return true;
    }
    bool big(size_t offset, size_t count, uint64_t *v) const
    {
        if (!has(offset, count))
            return false;
        uint64_t r = 0;
        for (size_t i = 0; i < count; ++i)
            r = (r << 8) | m_data[offset + i];
        *v = r;
        return true;
    }
    bool little(size_t offset, size_t count, uint64_t *v) const
    {
        if (!has(offset, count))
            return false;
        uint64_t r = 0;
        for (size_t i = count; i > 0; --i)
            r = (r << 8) | m_data[offset + i - 1];
        *v = r;
        return true;
    }

private:
    const unsigned char *m_data;
    size_t m_size;
};

// ---- PNG --------------------------------------------------------------------------------

bool readPng(const Bytes &b, PictureHeader *h)
{
    uint64_t length = 0, width = 0, height = 0;
    uint32_t depth = 0, colour = 0;
    if (!b.big(8, 4, &length) || length != 13 || !b.startsWith(12, "IHDR", 4) || !b.big(16, 4, &width)
        || !b.big(20, 4, &height) || !b.u8(24, &depth) || !b.u8(25, &colour))
        return false;
    if (width == 0 || height == 0 || width > 0x7fffffffu || height > 0x7fffffffu)
        return false;
    const bool anyDepth = depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    const bool wideDepth = depth == 8 || depth == 16;
    int channels = 0;
    if (colour == 0 && anyDepth) // grey
        channels = 1;
    else if (colour == 3 && anyDepth && depth != 16) // palette
        channels = 3;
    else if (colour == 2 && wideDepth) // colour
        channels = 3;
    else if ((colour == 4 || colour == 6) && wideDepth) // grey or colour, with alpha
        channels = 4;
    else
        return false;
    if (channels == 3) {
        // A transparency chunk before the pixel data adds an alpha channel.
        size_t offset = 8 + 12 + 13;
        uint64_t chunk = 0;
        while (b.big(offset, 4, &chunk) && b.has(offset + 4, 4) && !b.startsWith(offset + 4, "IDAT", 4)
               && !b.startsWith(offset + 4, "IEND", 4)) {
            if (b.startsWith(offset + 4, "tRNS", 4)) {
                channels = 4;
                break;
            }
            if (chunk > b.size() - offset - 8)
                break;
            offset += size_t(chunk) + 12;
        }
    }
    h->width = int64_t(width);
    h->height = int64_t(height);
    h->decodeBytes = times(times(h->width, h->height), channels * (depth == 16 ? 2 : 1));
    return true;
}

// ---- BMP --------------------------------------------------------------------------------

bool readBmp(const Bytes &b, PictureHeader *h)
{
    uint64_t headerSize = 0, bits = 0;
    int64_t width = 0, height = 0;
    if (!b.little(14, 4, &headerSize))
        return false;
    if (headerSize == 12) {
        uint64_t w = 0, hh = 0;
        if (!b.little(18, 2, &w) || !b.little(20, 2, &hh) || !b.little(24, 2, &bits))
            return false;
        width = int64_t(w);
        height = int64_t(hh);
    } else if (headerSize >= 40) {
        uint64_t w = 0, hh = 0;
        if (!b.little(18, 4, &w) || !b.little(22, 4, &hh) || !b.little(28, 2, &bits))
            return false;
        width = int64_t(int32_t(uint32_t(w)));
        // Negative: rows stored top-down.
        height = std::abs(int64_t(int32_t(uint32_t(hh))));
    } else {
        return false;
    }
    if (width <= 0 || height <= 0)
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    h->width = width;
    h->height = height;
    h->decodeBytes = times(times(width, height), bits == 32 ? 4 : 3);
    return true;
}

// ---- JPEG -------------------------------------------------------------------------------

bool isFrameMarker(uint32_t m)
{
    return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

bool readJpeg(const Bytes &b, PictureHeader *h)
{
    size_t offset = 2;
    while (true) {
        uint32_t byte = 0;
        if (!b.u8(offset, &byte) || byte != 0xFF)
            return false;
        uint32_t marker = 0xFF;
        while (marker == 0xFF) { // fill bytes
            if (!b.u8(++offset, &marker))
                return false;
        }
        ++offset;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue; // no length
        if (marker == 0xD9 || marker == 0xDA)
            return false; // picture data or its end before any frame header
        uint64_t length = 0;
        if (!b.big(offset, 2, &length) || length < 2)
            return false;
        if (isFrameMarker(marker)) {
            uint64_t height = 0, width = 0;
            uint32_t precision = 0, components = 0;
            if (!b.u8(offset + 2, &precision) || !b.big(offset + 3, 2, &height) || !b.big(offset + 5, 2, &width)
                || !b.u8(offset + 7, &components))
                return false;
            // A height given only after the data (DNL) is not supported by the decoder.
            if (width == 0 || height == 0 || components < 1 || components > 4 || precision != 8)
                return false;
            const int64_t pixels = times(int64_t(width), int64_t(height));
            const int64_t decoded = times(pixels, components == 1 ? 1 : 3);
            // Progressive or multi-scan pictures keep every coefficient (2 bytes a sample) until
            // the last scan; a single-component sequential one decodes row by row.
            const bool progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            const int64_t coefficients = (progressive || components > 1) ? times(pixels, 2 * int64_t(components)) : 0;
            h->width = int64_t(width);
            h->height = int64_t(height);
            h->decodeBytes = plus(decoded, coefficients);
            return true;
        }
        offset += size_t(length);
    }
}

// ---- TIFF -------------------------------------------------------------------------------

struct TiffLayout
{
    bool littleEndian = true;
    bool big = false; // 64-bit offsets
};

bool tiffRead(const Bytes &b, const TiffLayout &t, size_t offset, size_t count, uint64_t *v)
{
    return t.littleEndian ? b.little(offset, count, v) : b.big(offset, count, v);
}

// The first value of an entry: SHORT, LONG or LONG8, inline or at its offset.
bool tiffValue(const Bytes &b, const TiffLayout &t, size_t entry, uint64_t *v)
{
    uint64_t type = 0, count = 0;
    const size_t countSize = t.big ? 8 : 4;
    if (!tiffRead(b, t, entry + 2, 2, &type) || !tiffRead(b, t, entry + 4, countSize, &count) || count < 1)
        return false;
    size_t size = 0;
    if (type == 3)
        size = 2;
    else if (type == 4)
        size = 4;
    else if (type == 16 && t.big)
        size = 8;
    else
        return false;
    size_t valueAt = entry + 4 + countSize;
    if (count > (t.big ? 8u : 4u) / size) {
        uint64_t at = 0;
        if (!tiffRead(b, t, valueAt, countSize, &at) || at > b.size())
            return false;
        valueAt = size_t(at);
    }
    return tiffRead(b, t, valueAt, size, v);
}

bool readTiff(const Bytes &b, PictureHeader *h)
{
    TiffLayout t;
    t.littleEndian = b.startsWith(0, "II", 2);
    uint64_t version = 0, first = 0;
    if (!tiffRead(b, t, 2, 2, &version))
        return false;
    if (version == 43) {
        uint64_t offsetSize = 0, reserved = 0;
        if (!tiffRead(b, t, 4, 2, &offsetSize) || offsetSize != 8 || !tiffRead(b, t, 6, 2, &reserved) || reserved != 0
            || !tiffRead(b, t, 8, 8, &first))
            return false;
        t.big = true;
    } else if (version != 42 || !tiffRead(b, t, 4, 4, &first)) {
        return false;
    }
    const size_t countSize = t.big ? 8 : 2;
    const size_t entrySize = t.big ? 20 : 12;
    uint64_t entries = 0;
    if (first < 8 || first > b.size() || !tiffRead(b, t, size_t(first), countSize, &entries))
        return false;
    if (entries == 0 || entries > (b.size() - size_t(first) - countSize) / entrySize)
        return false;
    uint64_t width = 0, height = 0, bits = 1, samples = 1, rowsPerStrip = 0, tileWidth = 0, tileHeight = 0;
    for (uint64_t i = 0; i < entries; ++i) {
        const size_t entry = size_t(first) + countSize + size_t(i) * entrySize;
        uint64_t tag = 0;
        if (!tiffRead(b, t, entry, 2, &tag))
            return false;
        uint64_t *target = tag == 256 ? &width
            : tag == 257             ? &height
            : tag == 258             ? &bits
            : tag == 277             ? &samples
            : tag == 278             ? &rowsPerStrip
            : tag == 322             ? &tileWidth
            : tag == 323             ? &tileHeight
                                     : nullptr;
        if (target && !tiffValue(b, t, entry, target))
            return false;
    }
    if (width == 0 || height == 0 || width > 0xffffffffu || height > 0xffffffffu)
        return false;
    if (samples < 1 || samples > 4 || bits < 1 || bits > 64)
        return false;
    const int64_t sampleBytes = int64_t((bits + 7) / 8);
    const int64_t w = int64_t(width), hh = int64_t(height);
    // The decoder reads a tile or strip at a time into a buffer of its own.
    int64_t chunk = 0;
    if (tileWidth != 0 || tileHeight != 0)
        chunk = times(int64_t(std::min<uint64_t>(tileWidth, 0xffffffffu)),
                      int64_t(std::min<uint64_t>(tileHeight, 0xffffffffu)));
    else
        chunk = times(w, rowsPerStrip == 0 ? hh : int64_t(std::min<uint64_t>(rowsPerStrip, height)));
    h->width = w;
    h->height = hh;
    h->decodeBytes = plus(times(times(w, hh), int64_t(samples) * sampleBytes),
                          times(chunk, int64_t(samples) * sampleBytes));
    return true;
}

// ---- JPEG 2000 --------------------------------------------------------------------------

// The codestream's image and tile size (SIZ); the decoder works from it, whatever the file
// header around it says.
bool readCodestream(const Bytes &b, size_t offset, PictureHeader *h)
{
    uint64_t length = 0, xs = 0, ys = 0, xo = 0, yo = 0, xt = 0, yt = 0, xto = 0, yto = 0, components = 0;
    if (!b.startsWith(offset, "\xFF\x4F\xFF\x51", 4))
        return false;
    const size_t siz = offset + 4;
    if (!b.big(siz, 2, &length) || !b.big(siz + 4, 4, &xs) || !b.big(siz + 8, 4, &ys) || !b.big(siz + 12, 4, &xo)
        || !b.big(siz + 16, 4, &yo) || !b.big(siz + 20, 4, &xt) || !b.big(siz + 24, 4, &yt)
        || !b.big(siz + 28, 4, &xto) || !b.big(siz + 32, 4, &yto) || !b.big(siz + 36, 2, &components))
        return false;
    if (components < 1 || components > 4 || length != 38 + 3 * components)
        return false;
    if (xs <= xo || ys <= yo || xt == 0 || yt == 0 || xto > xo || yto > yo || xto + xt <= xo || yto + yt <= yo)
        return false;
    // A codestream holds at most 65535 tiles.
    const uint64_t tilesAcross = (xs - xto + xt - 1) / xt, tilesDown = (ys - yto + yt - 1) / yt;
    if (tilesAcross * tilesDown > 65535)
        return false;
    int64_t sampleBytes = 1;
    for (uint64_t c = 0; c < components; ++c) {
        uint32_t depth = 0, dx = 0, dy = 0;
        if (!b.u8(siz + 38 + 3 * c, &depth) || !b.u8(siz + 39 + 3 * c, &dx) || !b.u8(siz + 40 + 3 * c, &dy))
            return false;
        if ((depth & 0x7F) + 1 > 16 || dx == 0 || dy == 0)
            return false;
        if ((depth & 0x7F) + 1 > 8)
            sampleBytes = 2;
    }
    const int64_t pixels = times(int64_t(xs - xo), int64_t(ys - yo));
    // The decoder holds every sample as a 32-bit number, for the picture and the tile it
    // works on.
    const int64_t planes = times(pixels, 8 * int64_t(components));
    h->width = int64_t(xs - xo);
    h->height = int64_t(ys - yo);
    h->decodeBytes = plus(times(pixels, int64_t(components) * sampleBytes), planes);
    return true;
}

bool readJp2(const Bytes &b, PictureHeader *h)
{
    size_t offset = 0;
    while (b.has(offset, 8)) {
        uint64_t length = 0;
        b.big(offset, 4, &length);
        size_t header = 8;
        if (length == 1) {
            if (!b.big(offset + 8, 8, &length))
                return false;
            header = 16;
        } else if (length == 0) {
            length = b.size() - offset; // up to the end of the file
        }
        if (b.startsWith(offset + 4, "jp2c", 4))
            return readCodestream(b, offset + header, h);
        if (length < header || length > b.size() - offset)
            return false;
        offset += size_t(length);
    }
    return false;
}

std::mutex g_boundMutex;
PictureSizeBound g_bound;

} // namespace

bool readPictureHeader(const unsigned char *data, size_t size, PictureHeader *header)
{
    const Bytes b(data, size);
    PictureHeader h;
    bool read = false;
    // A DICOM preamble marker makes OpenCV hand the file to its medical-image reader, whose
    // sizes nobody here checks.
    if (b.startsWith(128, "DICM", 4))
        return false;
    if (b.startsWith(0, "\x89PNG\r\n\x1a\n", 8))
        read = readPng(b, &h);
    else if (b.startsWith(0, "BM", 2))
        read = readBmp(b, &h);
    else if (b.startsWith(0, "\xFF\xD8\xFF", 3))
        read = readJpeg(b, &h);
    else if (b.startsWith(0, "II", 2) || b.startsWith(0, "MM", 2))
        read = readTiff(b, &h);
    else if (b.startsWith(0, "\x00\x00\x00\x0CjP  \r\n\x87\n", 12))
        read = readJp2(b, &h);
    else if (b.startsWith(0, "\xFF\x4F\xFF\x51", 4))
        read = readCodestream(b, 0, &h);
    if (read)
        *header = h;
    return read;
}

PictureSizeBound pictureSizeBound()
{
    std::lock_guard lock(g_boundMutex);
    return g_bound;
}

void setPictureSizeBound(const PictureSizeBound &bound)
{
    std::lock_guard lock(g_boundMutex);
    g_bound = bound;
}

bool withinPictureSizeBound(const PictureHeader &header)
{
    const PictureSizeBound bound = pictureSizeBound();
    return header.width <= bound.maxWidth && header.height <= bound.maxHeight && header.decodeBytes <= bound.maxBytes;
}

} // namespace Halcon::Detail
