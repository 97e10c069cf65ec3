#pragma once

// Layer-private: the picture rectangle that complement fills.
//
// A region carries no picture size, so the layer keeps one process-wide: the largest
// picture its grey-value operators have seen (used unless the system's "width" and
// "height" are set).

namespace Halcon::Detail {

// Raises the bounds to hold a width x height picture. Thread-safe.
void notePictureSize(int width, int height);
// 0, 0 until a picture was seen or a size was set.
void pictureBounds(int& width, int& height);

} // namespace Halcon::Detail
