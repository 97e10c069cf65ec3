#include "PictureScaling.h"

#include "HalconFunctions.h"

#include <Halcon.h>

#include <QByteArray>

#include <algorithm>
#include <cmath>
#include <vector>

namespace PictureScaling {

namespace {
constexpr Errors::Type_Error ErrorGeneral = 3;
}

Errors::Type_Error scaleByFactor(const Halcon::Hobject& picture, double factor, Halcon::Hobject& scaled)
{
    if (!(factor > 0.0) || factor > MaximumFactor)
        return ErrorGeneral;
    Halcon::Hlong channels = 0;
    Halcon::Herror result = Halcon::count_channels(picture, &channels);
    if (result != Halcon::kSuccess) {
        HalconRecordError(result);
        return ErrorGeneral;
    }
    Halcon::Hlong pointers[3] = {0, 0, 0};
    char type[16] = {};
    Halcon::Hlong width = 0;
    Halcon::Hlong height = 0;
    if (channels >= 3)
        result = Halcon::get_image_pointer3(picture, &pointers[0], &pointers[1], &pointers[2], type, &width, &height);
    else
        result = Halcon::get_image_pointer1(picture, &pointers[0], type, &width, &height);
    if (result != Halcon::kSuccess) {
        HalconRecordError(result);
        return ErrorGeneral;
    }
    const Halcon::Hlong newWidth = std::max<Halcon::Hlong>(1, Halcon::Hlong(double(width) * factor + 0.5));
    const Halcon::Hlong newHeight = std::max<Halcon::Hlong>(1, Halcon::Hlong(double(height) * factor + 0.5));
    if (QByteArray(type) != "byte" || width <= 0 || height <= 0)
        return ErrorGeneral;
    const int planes = channels >= 3 ? 3 : 1;
    std::vector<std::vector<unsigned char>> out(size_t(planes), std::vector<unsigned char>(size_t(newWidth * newHeight)));
    std::vector<Halcon::Hlong> sourceColumn(static_cast<size_t>(newWidth));
    for (Halcon::Hlong c = 0; c < newWidth; ++c)
        sourceColumn[size_t(c)] = std::min<Halcon::Hlong>(width - 1, Halcon::Hlong(double(c) / factor));
    for (int p = 0; p < planes; ++p) {
        const auto* source = reinterpret_cast<const unsigned char*>(pointers[p]);
        unsigned char* target = out[size_t(p)].data();
        for (Halcon::Hlong r = 0; r < newHeight; ++r) {
            const Halcon::Hlong sourceRow = std::min<Halcon::Hlong>(height - 1, Halcon::Hlong(double(r) / factor));
            const unsigned char* line = source + sourceRow * width;
            unsigned char* targetLine = target + r * newWidth;
            for (Halcon::Hlong c = 0; c < newWidth; ++c)
                targetLine[c] = line[sourceColumn[size_t(c)]];
        }
    }
    if (planes == 3)
        result = Halcon::gen_image3(&scaled, "byte", newWidth, newHeight, Halcon::Hlong(out[0].data()),
                                    Halcon::Hlong(out[1].data()), Halcon::Hlong(out[2].data()));
    else
        result = Halcon::gen_image1(&scaled, "byte", newWidth, newHeight, Halcon::Hlong(out[0].data()));
    if (result != Halcon::kSuccess) {
        HalconRecordError(result);
        return ErrorGeneral;
    }
    return 0;
}

} // namespace PictureScaling
