#pragma once

// Layer-private: the size a picture file declares, read from the format's own header before
// any decoder allocates for it, and the bound read_image holds pictures to.

#include <cstddef>
#include <cstdint>

namespace Halcon::Detail {

struct PictureHeader
{
    int64_t width = 0;
    int64_t height = 0;
    // What decoding needs at full size: the decoded pixels plus the whole-picture buffers
    // some decoders keep beside them (JPEG coefficients, JPEG 2000 sample planes, TIFF tiles).
    int64_t decodeBytes = 0;
};

// False when the bytes are none of the formats the layer reads (PNG, TIFF, BMP, JPEG,
// JPEG 2000) or their header declares no size and layout the decoders can use.
bool readPictureHeader(const unsigned char *data, size_t size, PictureHeader *header);

struct PictureSizeBound
{
    int64_t maxWidth = 20000;
    int64_t maxHeight = 20000;
    int64_t maxBytes = int64_t(1) << 30;
};

PictureSizeBound pictureSizeBound();
// Tests lower it to keep hostile inputs cheap. Thread-safe.
void setPictureSizeBound(const PictureSizeBound &bound);
bool withinPictureSizeBound(const PictureHeader &header);

} // namespace Halcon::Detail
