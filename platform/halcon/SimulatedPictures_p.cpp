#include "SimulatedPictures_p.h"

#include "HalconErrors.h"
#include "HalconFileOps.h"
#include "HalconImageOps.h"
#include "HobjectElements_p.h"
#include "PlateScenes.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <utility>

namespace Halcon::Detail {

namespace {

bool isPictureFile(const std::filesystem::path &path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    static const char *const kExtensions[] = {".png", ".tif", ".tiff", ".bmp", ".jpg", ".jpeg", ".jp2", ".pgm", ".ppm"};
    return std::any_of(std::begin(kExtensions), std::end(kExtensions),
                       [&](const char *e) { return extension == e; });
}

// One plate picture per sensor size for the whole process: generating takes far longer
// than a frame.
Hobject generatedPicture(int width, int height)
{
    static std::mutex mutex;
    static std::map<std::pair<int, int>, Hobject> pictures;
    std::lock_guard lock(mutex);
    Hobject &picture = pictures[{width, height}];
    if (picture.IsEmpty()) {
        PlateScenes::Options options;
        options.width = width;
        options.height = height;
        picture = PlateScenes::generate(options).image;
    }
    return picture;
}

} // namespace

SimulatedPictures::SimulatedPictures(std::vector<std::string> files, Hobject generated, bool colour)
    : m_files(std::move(files))
    , m_generated(std::move(generated))
    , m_colour(colour)
{
}

Herror SimulatedPictures::make(const std::string &folder, int width, int height, bool colour,
                               std::shared_ptr<SimulatedPictures> *pictures)
{
    if (folder.empty()) {
        if (width <= 0 || height <= 0)
            return kErrAcqDeviceNotFound;
        const std::shared_ptr<SimulatedPictures> made(new SimulatedPictures({}, Hobject(), colour));
        if (Herror e = made->convert(generatedPicture(width, height), &made->m_generated); e != kSuccess)
            return e;
        *pictures = made;
        return kSuccess;
    }
    std::vector<std::string> files;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.is_regular_file(error) && isPictureFile(entry.path()))
            files.push_back(entry.path().string());
    }
    if (error || files.empty())
        return kErrAcqDeviceNotFound;
    std::sort(files.begin(), files.end());
    pictures->reset(new SimulatedPictures(std::move(files), Hobject(), colour));
    return kSuccess;
}

Herror SimulatedPictures::convert(const Hobject &picture, Hobject *converted) const
{
    std::vector<ImagePtr> images;
    if (Herror e = imagesOf(picture, 1, images); e != kSuccess)
        return e;
    const ImageElement &image = *images.front();
    // The cameras deliver 8 bits per channel.
    if (image.type != PixelType::Byte)
        return kErrWrongPixelType;
    const int channels = image.channels();
    if (channels != 1 && channels < 3)
        return kErrWrongChannelCount;
    if (!m_colour && channels == 1) {
        *converted = makeObject(ElementPtr(images.front()));
        return kSuccess;
    }
    // A grey picture becomes a colour one with its plane shared three times; a fourth
    // (alpha) plane is dropped.
    std::vector<cv::Mat> rgb = channels == 1 ? std::vector<cv::Mat>(3, image.planes[0])
                                             : std::vector<cv::Mat>(image.planes.begin(), image.planes.begin() + 3);
    ImagePtr colour = makeImage(std::move(rgb), image.domain);
    if (!colour)
        return kErrInternal;
    if (m_colour) {
        *converted = makeObject(ElementPtr(std::move(colour)));
        return kSuccess;
    }
    return rgb1_to_gray(makeObject(ElementPtr(std::move(colour))), converted);
}

Herror SimulatedPictures::next(Hobject *picture)
{
    std::lock_guard lock(m_mutex);
    if (m_files.empty()) {
        *picture = m_generated;
        return kSuccess;
    }
    const size_t index = m_next;
    m_next = (m_next + 1) % m_files.size();
    if (index < m_kept.size() && !m_kept[index].IsEmpty()) {
        *picture = m_kept[index];
        return kSuccess;
    }
    Hobject read, converted;
    if (read_image(&read, HTuple(m_files[index])) != kSuccess || convert(read, &converted) != kSuccess)
        return kErrAcqGrabFailed;
    if (index < kKeptPictures) {
        if (m_kept.size() <= index)
            m_kept.resize(index + 1);
        m_kept[index] = converted;
    }
    *picture = converted;
    return kSuccess;
}

} // namespace Halcon::Detail
