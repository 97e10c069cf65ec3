#pragma once

#include "HTuple.h"
#include "HalconTypes.h"
#include "Hobject.h"

namespace Halcon {

// File names are byte strings in the file system's encoding (UTF-8: QFile::encodeName).

// Reads a picture (1, 3 or 4 channels; 8-bit as "byte", 16-bit as "uint2"; colour
// planes in red, green, blue order). A name without a file is tried with the usual
// picture extensions appended. Missing/unreadable: kErrFileOpen; not a picture or
// damaged: kErrNotAPicture.
Herror read_image(Hobject *image, const HTuple &fileName);

// format: "tiff", "png", "png best", "png fastest", "bmp", "jpeg", "jp2"; "jpeg" and
// "jp2" may carry a quality 0..100 ("jpeg 80"). The format's extension is appended when
// the name does not end with one of its extensions. fillColor -1 writes the pixels
// outside the domain as they are, any other value writes that grey value there.
// The picture is written to a temporary file in the same folder and renamed over the
// target, so a failed save leaves an existing picture untouched; a symbolic link at the
// target is replaced by the picture, never written through.
Herror write_image(const Hobject &image, const HTuple &format, const HTuple &fillColor, const HTuple &fileName);

// The name write_image writes for fileName in format (the format's extension appended when
// the name ends with none of its extensions), so that a caller can check that name before;
// kErrWrongFileFormat for a format write_image refuses.
Herror write_image_file_name(const HTuple &format, const HTuple &fileName, HTuple *writtenName);

// kSuccess when write_image takes format, else kErrWrongFileFormat: lets a caller refuse a
// format before it queues the picture for a later write.
Herror check_write_image_format(const HTuple &format);

} // namespace Halcon
