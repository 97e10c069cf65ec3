#include "Halcon_Helper.h"

#include "ErrorCodes.h"
#include "LibraryFunctions.h"
#include "QuendralLibrary.h"

#include <HTuple.h>
#include <HalconErrors.h>
#include <HalconFileOps.h>
#include <HalconImageOps.h>
#include <HalconObjectOps.h>
#include <HalconSystemOps.h>
#include <HalconTypes.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>

#include <atomic>
#include <cstring>

using Halcon::Hobject;
using Halcon::HTuple;

namespace {

Errors::Type_Error diskSpace(const QString& path, double& totalMB, double& freeMB, double& availableMB)
{
    return getDiskSpaceMB(path, totalMB, freeMB, availableMB);
}

std::atomic<Halcon_Helper::DiskSpaceFunction> g_diskSpaceFunction{&diskSpace};

// The name the library was started with; Qt's application name before the start.
QString applicationNameForLog()
{
    const QString name = QuendralLibrary::GetApplicationName();
    return name.isEmpty() ? QCoreApplication::applicationName() : name;
}

// File names go to the layer as the file system spells them, so any character survives.
HTuple layerFileName(const QString& fileName)
{
    return HTuple(QFile::encodeName(QDir::toNativeSeparators(fileName)).toStdString());
}

struct QtFormat {
    const char* name;
    const char* qtFormat;
    int quality;
};

// The picture formats that can be written through a Qt image.
constexpr QtFormat kQtFormats[] = {
    {"tiff", "tif", -1},
    {"png", "png", 50},
    {"png best", "png", 20},
    {"png fastest", "png", 80},
    {"bmp", "bmp", -1},
    {"jpeg", "jpg", -1},
    {"jp2", "jpg", -1},
};

const QtFormat* findQtFormat(const QString& format)
{
    for (const QtFormat& entry : kQtFormats) {
        if (format == QLatin1String(entry.name))
            return &entry;
    }
    return nullptr;
}

Errors::Type_Error logEnd(const QString& call, Errors::Type_Error code)
{
    if (code == kNoError)
        Halcon_Helper::WriteLogLine(QtDebugMsg) << call << "-> Finished";
    else
        Halcon_Helper::WriteLogLine(QtDebugMsg)
            << call << QStringLiteral("-> error=%1,errorText=\"%2\"").arg(code).arg(Errors::getErrorText(code));
    return code;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Log stream

struct Halcon_Helper::LogStream::Stream {
    QtMsgType type = QtDebugMsg;
    QString text;
    bool separator = true;
    bool output = true;

    ~Stream()
    {
        if (output)
            qt_message_output(type, QMessageLogContext(), text);
    }
};

Halcon_Helper::LogStream::LogStream(QtMsgType type, const QString& text)
    : m_stream(std::make_shared<Stream>())
{
    m_stream->type = type;
    m_stream->text = text;
}

Halcon_Helper::LogStream& Halcon_Helper::LogStream::operator<<(const QString& text)
{
    m_stream->text += text;
    if (m_stream->separator)
        m_stream->text += QLatin1Char(' ');
    return *this;
}

Halcon_Helper::LogStream& Halcon_Helper::LogStream::operator<<(const char* text)
{
    return *this << QString::fromUtf8(text);
}

Halcon_Helper::LogStream& Halcon_Helper::LogStream::operator<<(int value)
{
    return *this << QString::number(value);
}

Halcon_Helper::LogStream& Halcon_Helper::LogStream::operator<<(qint64 value)
{
    return *this << QString::number(value);
}

Halcon_Helper::LogStream& Halcon_Helper::LogStream::operator<<(double value)
{
    return *this << QString::number(value);
}

Halcon_Helper::LogStream& Halcon_Helper::LogStream::space()
{
    m_stream->separator = true;
    return *this;
}

Halcon_Helper::LogStream& Halcon_Helper::LogStream::nospace()
{
    m_stream->separator = false;
    return *this;
}

Halcon_Helper::LogStream& Halcon_Helper::LogStream::setOutput(bool output)
{
    m_stream->output = output;
    return *this;
}

Halcon_Helper::LogStream Halcon_Helper::WriteLogLine(QtMsgType type)
{
    return LogStream(type, LogLinePrefix(QDateTime::currentDateTime(), applicationNameForLog()));
}

QString Halcon_Helper::LogLinePrefix(const QDateTime& time, const QString& applicationName)
{
    return QStringLiteral("%1 [%2] ").arg(time.toString(QStringLiteral("yyyy.MM.dd hh:mm:ss.zzz")), applicationName);
}

// ---------------------------------------------------------------------------------------------
// Layer defaults

Halcon_Helper::Halcon_Helper(QObject* parent)
    : QObject(parent)
{
    // Failing operators hand their code back to the caller instead of raising anything.
    Halcon::set_check("none");
    Halcon::set_check("ref_none");
    Halcon::set_check("~give_error");
    Halcon::set_check("~ref_give_error");

    Halcon::set_system("backing_store", "false");
    Halcon::set_system("clip_region", "false");
    Halcon::set_system("database", "false");
    Halcon::set_system("border_shape_models", "false");
    Halcon::set_system("width", 16);
    Halcon::set_system("height", 16);

    Halcon::reset_obj_db(16, 16, 0);
}

Halcon_Helper::~Halcon_Helper() = default;

Errors::Type_Error Halcon_Helper::FreeTemporaryMemory()
{
    Halcon::set_system("temporary_mem_cache", "false");
    Halcon::set_system("temporary_mem_cache", "true");
    return kNoError;
}

// ---------------------------------------------------------------------------------------------
// Object tests

Errors::Type_Error Halcon_Helper::GetObjectClass(const Hobject& object, int& objectClass)
{
    objectClass = ObjectClass_Other;

    Halcon::Hlong count = 0;
    if (Halcon::count_obj(object, &count) != Halcon::kSuccess || count == 0) {
        objectClass = ObjectClass_Empty;
        return kNoError;
    }

    HTuple classes;
    if (Halcon::get_obj_class(object, &classes) != Halcon::kSuccess)
        return kHalconFailed;
    if (classes.Length() == 0) {
        objectClass = ObjectClass_Empty;
        return kNoError;
    }

    const std::string first = classes[0].S();
    for (Halcon::Hlong i = 1; i < classes.Length(); ++i) {
        if (classes[i].S() != first) {
            objectClass = ObjectClass_Mixed;
            return kNoError;
        }
    }

    static const struct {
        const char* name;
        int objectClass;
    } kClasses[] = {
        {"image", ObjectClass_Image},
        {"region", ObjectClass_Region},
        {"xld_cont", ObjectClass_XldContour},
        {"xld_poly", ObjectClass_XldPolygon},
        {"xld_parallel", ObjectClass_XldParallel},
    };
    for (const auto& entry : kClasses) {
        if (first == entry.name) {
            objectClass = entry.objectClass;
            break;
        }
    }
    return kNoError;
}

Errors::Type_Error Halcon_Helper::CheckImage(const Hobject& object)
{
    int objectClass = ObjectClass_Other;
    const Errors::Type_Error error = GetObjectClass(object, objectClass);
    if (error != kNoError)
        return error;
    return objectClass == ObjectClass_Image ? kNoError : kNoImage;
}

Errors::Type_Error Halcon_Helper::CheckNotEmpty(const Hobject& object)
{
    Halcon::Hlong count = 0;
    if (Halcon::count_obj(object, &count) != Halcon::kSuccess)
        return kHalconFailed;
    return count == 0 ? kEmptyObject : kNoError;
}

Errors::Type_Error Halcon_Helper::CountObjects(const Hobject& object, int& count)
{
    count = 0;
    Halcon::Hlong number = 0;
    if (Halcon::count_obj(object, &number) != Halcon::kSuccess)
        return kHalconFailed;
    count = int(number);
    return kNoError;
}

Errors::Type_Error Halcon_Helper::GetImageSize(const Hobject& object, int& width, int& height)
{
    width = 0;
    height = 0;
    const Errors::Type_Error error = CheckImage(object);
    if (error != kNoError)
        return error;

    Halcon::Hlong w = 0;
    Halcon::Hlong h = 0;
    if (Halcon::get_image_size(object, &w, &h) != Halcon::kSuccess)
        return kHalconFailed;
    width = int(w);
    height = int(h);
    return kNoError;
}

Errors::Type_Error Halcon_Helper::GetChannelCount(const Hobject& object, int& channels)
{
    channels = 0;
    const Errors::Type_Error error = CheckImage(object);
    if (error != kNoError)
        return error;

    Halcon::Hlong count = 0;
    if (Halcon::count_channels(object, &count) != Halcon::kSuccess)
        return kHalconFailed;
    channels = int(count);
    return kNoError;
}

Errors::Type_Error Halcon_Helper::CheckColorImage(const Hobject& object)
{
    int channels = 0;
    const Errors::Type_Error error = GetChannelCount(object, channels);
    if (error != kNoError)
        return error;
    return channels == 3 ? kNoError : kNotColor;
}

Errors::Type_Error Halcon_Helper::CheckGrayImage(const Hobject& object)
{
    int channels = 0;
    const Errors::Type_Error error = GetChannelCount(object, channels);
    if (error != kNoError)
        return error;
    return channels == 1 ? kNoError : kNotGray;
}

Errors::Type_Error Halcon_Helper::ReduceDomain(const Hobject& image, const Hobject& region, Hobject& imageReduced)
{
    Hobject full;
    if (Halcon::full_domain(image, &full) != Halcon::kSuccess)
        return kHalconFailed;
    if (Halcon::reduce_domain(full, region, &imageReduced) != Halcon::kSuccess)
        return kHalconFailed;
    return kNoError;
}

Errors::Type_Error Halcon_Helper::ClearObject(Hobject& object)
{
    Halcon::gen_empty_obj(&object);
    return kNoError;
}

Hobject Halcon_Helper::CreateEmptyObject()
{
    Hobject object;
    Halcon::gen_empty_obj(&object);
    return object;
}

// ---------------------------------------------------------------------------------------------
// Conversions

Errors::Type_Error Halcon_Helper::ToGray(const Hobject& image, Hobject& grayImage)
{
    int channels = 0;
    const Errors::Type_Error error = GetChannelCount(image, channels);
    if (error != kNoError)
        return error;

    if (channels == 1) {
        grayImage = image;
        return kNoError;
    }
    if (channels == 3) {
        if (Halcon::rgb1_to_gray(image, &grayImage) != Halcon::kSuccess)
            return kHalconFailed;
        return kNoError;
    }
    return kNotColor;
}

Errors::Type_Error Halcon_Helper::ToHsv(const Hobject& image, Hobject& hue, Hobject& saturation, Hobject& value)
{
    const Errors::Type_Error error = CheckColorImage(image);
    if (error != kNoError)
        return error;

    Hobject red;
    Hobject green;
    Hobject blue;
    if (Halcon::decompose3(image, &red, &green, &blue) != Halcon::kSuccess)
        return kHalconFailed;
    if (Halcon::trans_from_rgb(red, green, blue, &hue, &saturation, &value, "hsv") != Halcon::kSuccess)
        return kHalconFailed;
    return kNoError;
}

// ---------------------------------------------------------------------------------------------
// Information

QString Halcon_Helper::GetHalconVersion()
{
    HTuple version;
    QString reported;
    if (Halcon::get_system("file_version", &version) == Halcon::kSuccess && version.Length() > 0)
        reported = QString::fromStdString(version[0].S());
    return VersionOrDefault(reported);
}

QString Halcon_Helper::VersionOrDefault(const QString& reportedVersion)
{
    if (!reportedVersion.isEmpty())
        return reportedVersion;
    return QStringLiteral("%1.%2.%3").arg(12).arg(0).arg(1);
}

Errors::Type_Error Halcon_Helper::GetUsedModules(QStringList& modules)
{
    modules.clear();
    HTuple used;
    HTuple key;
    Halcon::get_modules(&used, &key);
    for (const Halcon::HValue& module : used.Values())
        modules.append(QString::fromStdString(module.S()));
    return kNoError;
}

QString Halcon_Helper::GetErrorText(int halconError)
{
    HTuple text;
    Halcon::get_error_text(Halcon::Hlong(halconError), &text);
    if (text.Length() == 0)
        return tr("Unknown HALCON error");
    return QString::fromStdString(text[0].S());
}

int Halcon_Helper::GetImageCount() { return 0; }
int Halcon_Helper::GetRegionCount() { return 0; }
int Halcon_Helper::GetXldCount() { return 0; }
int Halcon_Helper::GetObjectCount() { return 0; }
int Halcon_Helper::GetTupleCount() { return 0; }

// ---------------------------------------------------------------------------------------------
// Picture files

Halcon_Helper::DiskSpaceFunction Halcon_Helper::setDiskSpaceFunction(DiskSpaceFunction function)
{
    return g_diskSpaceFunction.exchange(function ? function : &diskSpace);
}

Errors::Type_Error Halcon_Helper::CheckPictureFolder(const QString& fileName)
{
    const QString folder = QFileInfo(fileName).path();
    if (!QDir(folder).exists())
        return kPathMissing;
    if (!QFileInfo(folder).isWritable())
        return kPathNotWritable;

    double totalMB = 0.0;
    double freeMB = 0.0;
    double availableMB = 0.0;
    const Errors::Type_Error error = g_diskSpaceFunction.load()(folder, totalMB, freeMB, availableMB);
    if (error != kNoError)
        return error;
    // The blocks kept for root are free but never ours: a write would fail on a disk that
    // still shows free space.
    if (availableMB < kMinimumFreeDiskSpaceMB)
        return kDiskFull;
    return kNoError;
}

QString Halcon_Helper::PictureFileFilter()
{
    return QCoreApplication::translate("Halcon_Helper", "Pictures (*.jpg *.jpeg *.bmp *.png *.tif *.tiff)");
}

Errors::Type_Error Halcon_Helper::LoadImageFile(const QString& fileName, Hobject& image)
{
    const QString call = QStringLiteral("Halcon_Helper::LoadImageFile") + QStringLiteral("(\"%1\")").arg(fileName);
    WriteLogLine(QtDebugMsg) << call;

    if (!QFile::exists(fileName))
        return logEnd(call, kFileMissing);

    if (Halcon::read_image(&image, layerFileName(fileName)) != Halcon::kSuccess)
        return logEnd(call, kCannotLoad);
    return logEnd(call, kNoError);
}

Errors::Type_Error Halcon_Helper::SaveImageFile(const QString& fileName, const Hobject& image, const QString& format,
                                                bool cropDomain, bool throughQImage)
{
    const QString call =
        QStringLiteral("Halcon_Helper::SaveImageFile") + QStringLiteral("(\"%1\",\"%2\")").arg(fileName, format);
    WriteLogLine(QtDebugMsg) << call;

    Errors::Type_Error error = CheckImage(image);
    if (error != kNoError)
        return logEnd(call, error);

    error = CheckPictureFolder(fileName);
    if (error != kNoError)
        return logEnd(call, error);

    Hobject picture = image;
    if (cropDomain && Halcon::crop_domain(image, &picture) != Halcon::kSuccess)
        return logEnd(call, kHalconFailed);

    if (throughQImage) {
        QImage qimage;
        error = ToQImage(picture, qimage);
        if (error != kNoError)
            return logEnd(call, error);
        const QtFormat* qtFormat = findQtFormat(format);
        if (!qtFormat)
            return logEnd(call, kCannotSave);
        // Every pixel is opaque; written with its alpha plane a colour picture would come
        // back with four channels and no longer pass as a colour image.
        if (qimage.format() == QImage::Format_ARGB32)
            qimage.reinterpretAsFormat(QImage::Format_RGB32);

        // Written beside the target and renamed over it, so a failed save keeps the old picture.
        QSaveFile file(fileName);
        if (!file.open(QIODevice::WriteOnly))
            return logEnd(call, kCannotSave);
        if (!qimage.save(&file, qtFormat->qtFormat, qtFormat->quality)) {
            file.cancelWriting();
            return logEnd(call, kCannotSave);
        }
        if (!file.commit())
            return logEnd(call, kCannotSave);
        return logEnd(call, kNoError);
    }

    if (Halcon::write_image(picture, HTuple(format.toLatin1().toStdString()), -1, layerFileName(fileName))
        != Halcon::kSuccess)
        return logEnd(call, kCannotSave);
    return logEnd(call, kNoError);
}

bool Halcon_Helper::IsPictureFormat(const QString& format, bool throughQImage)
{
    if (throughQImage)
        return findQtFormat(format) != nullptr;
    return Halcon::check_write_image_format(HTuple(format.toLatin1().toStdString())) == Halcon::kSuccess;
}

Errors::Type_Error Halcon_Helper::ToQImage(const Hobject& image, QImage& qimage)
{
    qimage = QImage();
    int channels = 0;
    const Errors::Type_Error error = GetChannelCount(image, channels);
    if (error != kNoError)
        return error;

    char type[16] = {};
    Halcon::Hlong width = 0;
    Halcon::Hlong height = 0;

    if (channels == 1) {
        Halcon::Hlong pointer = 0;
        if (Halcon::get_image_pointer1(image, &pointer, type, &width, &height) != Halcon::kSuccess)
            return kHalconFailed;
        // Other pixel types would be read as bytes and give a garbled picture.
        if (std::strcmp(type, "byte") != 0 || pointer == 0)
            return kNoImage;

        QImage result(int(width), int(height), QImage::Format_Indexed8);
        if (result.isNull())
            return kHalconFailed;
        QList<QRgb> colors(256);
        for (int i = 0; i < 256; ++i)
            colors[i] = qRgba(i, i, i, 255);
        result.setColorTable(colors);
        // Qt pads rows to 4 bytes; the layer's rows follow each other without gaps.
        const auto* pixels = reinterpret_cast<const uchar*>(pointer);
        for (int row = 0; row < int(height); ++row)
            std::memcpy(result.scanLine(row), pixels + size_t(row) * size_t(width), size_t(width));
        qimage = result;
        return kNoError;
    }

    if (channels == 3) {
        Halcon::Hlong red = 0;
        Halcon::Hlong green = 0;
        Halcon::Hlong blue = 0;
        if (Halcon::get_image_pointer3(image, &red, &green, &blue, type, &width, &height) != Halcon::kSuccess)
            return kHalconFailed;
        if (std::strcmp(type, "byte") != 0 || red == 0 || green == 0 || blue == 0)
            return kNoImage;

        QImage result(int(width), int(height), QImage::Format_ARGB32);
        if (result.isNull())
            return kHalconFailed;
        const auto* r = reinterpret_cast<const uchar*>(red);
        const auto* g = reinterpret_cast<const uchar*>(green);
        const auto* b = reinterpret_cast<const uchar*>(blue);
        for (int row = 0; row < int(height); ++row) {
            auto* line = reinterpret_cast<QRgb*>(result.scanLine(row));
            const size_t offset = size_t(row) * size_t(width);
            for (int column = 0; column < int(width); ++column)
                line[column] = qRgb(r[offset + column], g[offset + column], b[offset + column]);
        }
        qimage = result;
        return kNoError;
    }

    return kNoImage;
}
