#pragma once

// Layer-private: the picture rectangle that complement fills.
//
// A region carries no picture size, so the layer keeps one process-wide: the largest
// picture made so far (every image goes through makeImage, which notes it). It is used
// unless the system's "width" and "height" are both set (0 means not set).

namespace Halcon::Detail {

// Raises the bounds to hold a width x height picture, unless this thread has paused the
// notes. Thread-safe.
void notePictureSize(int width, int height);
// 0, 0 until a picture was seen.
void pictureBounds(int& width, int& height);

// While one lives, pictures made on this thread are not noted: the layer's own generated
// pictures (operator timing) say nothing about the pictures the program works on.
struct PictureSizeNotesPaused
{
    PictureSizeNotesPaused();
    ~PictureSizeNotesPaused();
    PictureSizeNotesPaused(const PictureSizeNotesPaused&) = delete;
    PictureSizeNotesPaused& operator=(const PictureSizeNotesPaused&) = delete;
};

} // namespace Halcon::Detail
