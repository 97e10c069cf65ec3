#pragma once

#include "HTuple.h"
#include "HalconTypes.h"
#include "Hobject.h"

namespace Halcon {

// Image access and conversion. Every operator works on each image of its input object
// (several images give tuples / objects of several elements). Outputs are set only on
// success. Pixel types are "byte", "uint2" and "real" (float).

Herror get_image_size(const Hobject &image, HTuple *width, HTuple *height);
Herror get_image_size(const Hobject &image, Hlong *width, Hlong *height); // first image
Herror count_channels(const Hobject &multiChannelImage, HTuple *channels);
Herror count_channels(const Hobject &multiChannelImage, Hlong *channels); // first image

// Address of the first pixel of a plane (rows follow each other without gaps, width
// pixels per row); get_image_pointer1 gives the first channel. The pixels are shared
// with every copy of the object and with images made from it: read only.
Herror get_image_pointer1(const Hobject &image, HTuple *pointer, HTuple *type, HTuple *width, HTuple *height);
// type receives at most 15 characters and a terminating zero.
Herror get_image_pointer1(const Hobject &image, Hlong *pointer, char *type, Hlong *width, Hlong *height);
Herror get_image_pointer3(const Hobject &imageRGB, HTuple *pointerRed, HTuple *pointerGreen, HTuple *pointerBlue,
                          HTuple *type, HTuple *width, HTuple *height);
Herror get_image_pointer3(const Hobject &imageRGB, Hlong *pointerRed, Hlong *pointerGreen, Hlong *pointerBlue,
                          char *type, Hlong *width, Hlong *height);

// Domains. Pixels are shared, only the domain changes.
Herror full_domain(const Hobject &image, Hobject *imageFull);
// The new domain is the region clipped to the image (not intersected with the old domain).
// One region for all images, or one per image.
Herror reduce_domain(const Hobject &image, const Hobject &region, Hobject *imageReduced);
// The smallest rectangle around the domain, as a new image with full domain.
Herror crop_domain(const Hobject &image, Hobject *imagePart);
Herror get_domain(const Hobject &image, Hobject *domain);

// Grey = 0.299 red + 0.587 green + 0.114 blue; one-channel images pass unchanged.
Herror rgb1_to_gray(const Hobject &rgbImage, Hobject *grayImage);
Herror decompose3(const Hobject &multiChannelImage, Hobject *image1, Hobject *image2, Hobject *image3);
Herror compose3(const Hobject &image1, const Hobject &image2, const Hobject &image3, Hobject *multiChannelImage);
// colorSpace "hsv": byte images give hue 0..255 for the full circle (0 = red, wrapping),
// saturation and value 0..255; real images give hue in radians [0, 2 pi), saturation
// 0..1 and value = the largest of red, green, blue. The three inputs are one-channel
// images of one size and type, paired element by element; the outputs keep the
// domain of the first input.
Herror trans_from_rgb(const Hobject &imageRed, const Hobject &imageGreen, const Hobject &imageBlue,
                      Hobject *imageResult1, Hobject *imageResult2, Hobject *imageResult3,
                      const HTuple &colorSpace);
Herror trans_to_rgb(const Hobject &imageInput1, const Hobject &imageInput2, const Hobject &imageInput3,
                    Hobject *imageRed, Hobject *imageGreen, Hobject *imageBlue, const HTuple &colorSpace);

// A new image of the same size, channels, type and domain with every pixel = grayval.
Herror gen_image_proto(const Hobject &image, Hobject *imageCleared, const HTuple &grayval);
// A new one-channel image with every pixel 0.
Herror gen_image_const(Hobject *image, const HTuple &type, const HTuple &width, const HTuple &height);
// New images from pixel data (copied): pixelPointer is the address of width*height pixels
// of the given type, rows without gaps.
Herror gen_image1(Hobject *image, const HTuple &type, const HTuple &width, const HTuple &height,
                  const HTuple &pixelPointer);
Herror gen_image3(Hobject *imageRGB, const HTuple &type, const HTuple &width, const HTuple &height,
                  const HTuple &pointerRed, const HTuple &pointerGreen, const HTuple &pointerBlue);

} // namespace Halcon
