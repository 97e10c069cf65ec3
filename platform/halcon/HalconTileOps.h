#pragma once

#include "HTuple.h"
#include "HalconTypes.h"
#include "Hobject.h"

namespace Halcon {

// Puts parts of several images into one new image of width x height pixels (one plane per
// channel, full domain, every pixel no part covers 0). Image i contributes its rectangle
// (row1[i], col1[i]) .. (row2[i], col2[i]) (last row and column included; all four -1 take
// the whole image), placed so that its first pixel lands at (offsetRow[i], offsetCol[i]);
// a later image overwrites an earlier one where they overlap. Every control value except
// width and height holds one value per image.
//
// Values may be real: each image is shifted by offset - first pixel rounded to the nearest
// whole pixel, and the part's bounds are rounded to the nearest pixel. A part reaching beyond
// its image is clipped to the image, a placement beyond the output is clipped to the output;
// an empty part contributes nothing. The images must share channel count and pixel type
// (kErrWrongChannelCount, kErrWrongPixelType); the pixels inside the part are copied
// whatever the image's domain.
Herror tile_images_offset(const Hobject &images, Hobject *tiledImage, const HTuple &offsetRow,
                          const HTuple &offsetCol, const HTuple &row1, const HTuple &col1, const HTuple &row2,
                          const HTuple &col2, const HTuple &width, const HTuple &height);

} // namespace Halcon
