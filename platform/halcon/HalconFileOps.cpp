#include "HalconFileOps.h"

#include "HalconGuard_p.h"
#include "HobjectElements_p.h"
#include "PictureHeader_p.h"
#include "ReplacingFile.h"

#include <QFile>
#include <QFileInfo>

#include <opencv2/imgcodecs.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <sstream>

namespace Halcon {

namespace {

// Extensions tried, in order, when read_image gets a name without a file behind it.
const char *const kReadExtensions[] = {".tif", ".tiff", ".png", ".bmp", ".jpg", ".jpeg", ".jp2"};

struct WriteFormat
{
    std::vector<std::string> extensions; // the first is appended when none matches
    std::vector<int> params;             // OpenCV encoder parameters
    bool allowsUInt2 = false;
    bool allowsReal = false;
    bool allowsAlpha = false;
    int minimumSide = 1; // the JPEG 2000 encoder needs room for its resolution levels
};

bool endsWithNoCase(const std::string &text, const std::string &suffix)
{
    if (suffix.size() > text.size())
        return false;
    return std::equal(suffix.rbegin(), suffix.rend(), text.rbegin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

bool parseQuality(const std::string &token, int *quality)
{
    int value = 0;
    const auto r = std::from_chars(token.data(), token.data() + token.size(), value);
    if (r.ec != std::errc() || r.ptr != token.data() + token.size() || value < 0 || value > 100)
        return false;
    *quality = value;
    return true;
}

Herror parseFormat(const std::string &text, WriteFormat *format)
{
    std::istringstream in(text);
    std::vector<std::string> tokens;
    for (std::string t; in >> t;)
        tokens.push_back(t);
    if (tokens.empty() || tokens.size() > 2)
        return kErrWrongFileFormat;
    const std::string &name = tokens[0];
    const std::string option = tokens.size() > 1 ? tokens[1] : std::string();
    WriteFormat f;
    if (name == "tiff") {
        if (!option.empty())
            return kErrWrongFileFormat;
        f.extensions = {".tif", ".tiff"};
        f.allowsUInt2 = f.allowsReal = f.allowsAlpha = true;
    } else if (name == "png") {
        f.extensions = {".png"};
        f.allowsUInt2 = f.allowsAlpha = true;
        // Plain "png" keeps the encoder's speed-tuned default.
        if (option == "best")
            f.params = {cv::IMWRITE_PNG_COMPRESSION, 9};
        else if (option == "fastest")
            f.params = {cv::IMWRITE_PNG_COMPRESSION, 0};
        else if (!option.empty())
            return kErrWrongFileFormat;
    } else if (name == "bmp") {
        if (!option.empty())
            return kErrWrongFileFormat;
        f.extensions = {".bmp"};
        f.allowsAlpha = true;
    } else if (name == "jpeg") {
        f.extensions = {".jpg", ".jpeg"};
        int quality = 0;
        if (!option.empty()) {
            if (!parseQuality(option, &quality))
                return kErrWrongFileFormat;
            f.params = {cv::IMWRITE_JPEG_QUALITY, quality};
        }
    } else if (name == "jp2") {
        f.extensions = {".jp2"};
        f.allowsUInt2 = true;
        f.minimumSide = 32;
        int quality = 0;
        if (!option.empty()) {
            if (!parseQuality(option, &quality))
                return kErrWrongFileFormat;
            f.params = {cv::IMWRITE_JPEG2000_COMPRESSION_X1000, quality * 10};
        }
    } else {
        return kErrWrongFileFormat;
    }
    *format = std::move(f);
    return kSuccess;
}

// The format and the file name of a write, each checked as the parameter of that number.
Herror formatAndName(const HTuple &format, int formatParameter, const HTuple &fileName, int nameParameter,
                     WriteFormat *writeFormat, std::string *name)
{
    std::string formatText;
    if (Herror e = singleString(format, formatParameter, &formatText); e != kSuccess)
        return e;
    if (Herror e = parseFormat(formatText, writeFormat); e != kSuccess)
        return e;
    if (Herror e = singleString(fileName, nameParameter, name); e != kSuccess)
        return e;
    return name->empty() ? wrongValue(nameParameter) : kSuccess;
}

std::string withFormatExtension(const std::string &name, const WriteFormat &format)
{
    const bool hasExtension = std::any_of(format.extensions.begin(), format.extensions.end(),
                                          [&](const std::string &ext) { return endsWithNoCase(name, ext); });
    return hasExtension ? name : name + format.extensions.front();
}

// Picture bytes of a file, or the failure: missing or unreadable files are kErrFileOpen.
Herror readFileBytes(const QString &name, QByteArray *bytes)
{
    const QFileInfo info(name);
    if (!info.isFile())
        return kErrFileOpen;
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return kErrFileOpen;
    *bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return kErrFileOpen;
    return kSuccess;
}

// The interleaved picture as the encoder wants it (blue, green, red order).
cv::Mat interleavedForWriting(const ImageElement &image, int channels, double fill)
{
    std::vector<cv::Mat> planes(image.planes.begin(), image.planes.begin() + channels);
    if (fill != -1.0 && !image.hasFullDomain()) {
        cv::Mat mask(image.height, image.width, CV_8UC1, cv::Scalar(255));
        for (const Run &r : image.domain->runs)
            std::fill(mask.ptr<uchar>(r.row) + r.colBegin, mask.ptr<uchar>(r.row) + r.colEnd + 1, uchar(0));
        for (cv::Mat &p : planes) {
            p = p.clone();
            p.setTo(cv::Scalar(fill), mask);
        }
    }
    if (channels == 1)
        return planes[0];
    std::swap(planes[0], planes[2]);
    cv::Mat interleaved;
    cv::merge(planes, interleaved);
    return interleaved;
}

} // namespace

Herror read_image(Hobject *image, const HTuple &fileName)
{
    return guarded([&]() -> Herror {
        std::string name;
        if (Herror e = singleString(fileName, 1, &name); e != kSuccess)
            return e;
        if (name.empty())
            return kErrFileOpen;
        QString path = QFile::decodeName(QByteArray::fromStdString(name));
        if (!QFileInfo(path).isFile()) {
            for (const char *extension : kReadExtensions) {
                const QString candidate = path + QLatin1String(extension);
                if (QFileInfo(candidate).isFile()) {
                    path = candidate;
                    break;
                }
            }
        }
        QByteArray bytes;
        if (Herror e = readFileBytes(path, &bytes); e != kSuccess)
            return e;
        // The declared size decides before any decoder allocates for it.
        Detail::PictureHeader header;
        if (!Detail::readPictureHeader(reinterpret_cast<const unsigned char *>(bytes.constData()), size_t(bytes.size()),
                                       &header))
            return kErrNotAPicture;
        if (!Detail::withinPictureSizeBound(header))
            return kErrImageTooLarge;
        const cv::Mat encoded(1, int(bytes.size()), CV_8UC1, bytes.data());
        cv::Mat decoded = cv::imdecode(encoded, cv::IMREAD_UNCHANGED);
        if (decoded.empty() || decoded.dims != 2)
            return kErrNotAPicture;
        PixelType type;
        if (!pixelTypeOfDepth(decoded.depth(), &type)) {
            decoded.convertTo(decoded, CV_MAKETYPE(CV_32F, decoded.channels()));
            type = PixelType::Real;
        }
        std::vector<cv::Mat> planes;
        if (decoded.channels() == 1) {
            planes.push_back(decoded);
        } else {
            cv::split(decoded, planes);
            // The decoder gives blue, green, red (, alpha); images keep red, green, blue.
            if (planes.size() >= 3)
                std::swap(planes[0], planes[2]);
        }
        ImagePtr img = makeImage(std::move(planes));
        if (!img)
            return kErrNotAPicture;
        if (image)
            *image = makeObject(img);
        return kSuccess;
    });
}

Herror check_write_image_format(const HTuple &format)
{
    return guarded([&]() -> Herror {
        std::string formatText;
        if (Herror e = singleString(format, 1, &formatText); e != kSuccess)
            return e;
        WriteFormat f;
        return parseFormat(formatText, &f);
    });
}

Herror write_image(const Hobject &image, const HTuple &format, const HTuple &fillColor, const HTuple &fileName)
{
    return guarded([&]() -> Herror {
        std::vector<ImagePtr> images;
        if (Herror e = imagesOf(image, 1, images); e != kSuccess)
            return e;
        if (images.size() != 1)
            return kErrObjectCountMismatch;
        const ImageElement &img = *images.front();

        WriteFormat f;
        std::string name;
        if (Herror e = formatAndName(format, 1, fileName, 3, &f, &name); e != kSuccess)
            return e;
        double fill = -1.0;
        if (Herror e = singleNumber(fillColor, 2, &fill); e != kSuccess)
            return e;

        if (img.type == PixelType::UInt2 && !f.allowsUInt2)
            return kErrWrongPixelType;
        if (img.type == PixelType::Real && !f.allowsReal)
            return kErrWrongPixelType;
        int channels = img.channels();
        if (channels == 4 && !f.allowsAlpha)
            channels = 3;
        if (channels != 1 && channels != 3 && channels != 4)
            return kErrWrongChannelCount;
        if (img.width < f.minimumSide || img.height < f.minimumSide)
            return kErrImageTooSmall;

        name = withFormatExtension(name, f);

        if (!cv::haveImageWriter(f.extensions.front()))
            return kErrWrongFileFormat;
        const cv::Mat picture = interleavedForWriting(img, channels, fill);
        std::vector<uchar> encoded;
        if (!cv::imencode(f.extensions.front(), picture, encoded, f.params) || encoded.empty())
            return kErrFileWrite;

        // The old picture stays until the new one is whole and synced.
        if (!ReplacingFile::write(QFile::decodeName(QByteArray::fromStdString(name)),
                                  QByteArray::fromRawData(reinterpret_cast<const char *>(encoded.data()),
                                                         qsizetype(encoded.size()))))
            return kErrFileWrite;
        return kSuccess;
    });
}

Herror write_image_file_name(const HTuple &format, const HTuple &fileName, HTuple *writtenName)
{
    return guarded([&]() -> Herror {
        WriteFormat f;
        std::string name;
        if (Herror e = formatAndName(format, 1, fileName, 2, &f, &name); e != kSuccess)
            return e;
        if (writtenName)
            *writtenName = HTuple(withFormatExtension(name, f));
        return kSuccess;
    });
}

} // namespace Halcon
