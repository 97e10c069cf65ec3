#include "Halcon_PictureSpool.h"

#include "ErrorCodes.h"
#include "File_Rename.h"
#include "Halcon_Helper.h"
#include "LibraryFunctions.h"
#include "ReplacingFile.h"

#include <HalconChannelOps.h>
#include <HalconImageOps.h>
#include <HalconObjectOps.h>
#include <HalconTypes.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QHash>
#include <QtEndian>

#include <array>
#include <atomic>
#include <cstring>
#include <vector>

#include <zlib.h>

namespace {

// Layout, little-endian: magic, version, width, height, channels, pixel type, format length,
// the format's bytes, the checksum of all that; then every channel's pixels, rows without
// gaps; then the checksum of the pixels.
constexpr char kMagic[8] = {'Z', 'V', 'S', 'P', 'O', 'O', 'L', '1'};
constexpr quint32 kVersion = 1;
constexpr qint64 kFixedHeaderSize = 32;
constexpr quint32 kMaxFormatLength = 64;
constexpr quint32 kMaxChannels = 16;
// The vision layer's bounds of a picture.
constexpr quint64 kMaxSide = 1u << 20;
constexpr quint64 kMaxPixels = quint64(1) << 31;
// Pixels move in pieces of this size, so a large picture needs no second copy in memory.
constexpr qint64 kChunk = 1 << 22;

struct PixelType {
    const char* name;
    quint32 bytes;
};
constexpr std::array<PixelType, 3> kPixelTypes{{{"byte", 1}, {"uint2", 2}, {"real", 4}}};

int pixelTypeIndex(const char* name)
{
    for (size_t i = 0; i < kPixelTypes.size(); ++i)
        if (std::strcmp(kPixelTypes[i].name, name) == 0)
            return int(i);
    return -1;
}

quint32 checksum(quint32 crc, const char* data, qint64 size)
{
    while (size > 0) {
        const uInt piece = uInt(std::min<qint64>(size, kChunk));
        crc = quint32(::crc32(crc, reinterpret_cast<const Bytef*>(data), piece));
        data += piece;
        size -= piece;
    }
    return crc;
}

void putU32(QByteArray& bytes, quint32 value)
{
    char raw[4];
    qToLittleEndian(value, raw);
    bytes.append(raw, 4);
}

quint32 getU32(const char* raw)
{
    return qFromLittleEndian<quint32>(raw);
}

bool writeAll(QFileDevice& file, const char* data, qint64 size)
{
    while (size > 0) {
        const qint64 written = file.write(data, std::min(size, kChunk));
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

bool readAll(QFile& file, char* data, qint64 size)
{
    while (size > 0) {
        const qint64 got = file.read(data, std::min(size, kChunk));
        if (got <= 0)
            return false;
        data += got;
        size -= got;
    }
    return true;
}

// One channel's pixels as the layer holds them.
struct Plane {
    const char* pixels = nullptr;
    int typeIndex = -1;
    quint64 width = 0;
    quint64 height = 0;
};

Errors::Type_Error planeOf(const Halcon::Hobject& picture, int channel, Plane& plane)
{
    Halcon::Hobject single;
    if (Halcon::access_channel(picture, &single, channel) != Halcon::kSuccess)
        return kNoImage;
    Halcon::Hlong pointer = 0;
    Halcon::Hlong width = 0;
    Halcon::Hlong height = 0;
    char type[16] = {};
    if (Halcon::get_image_pointer1(single, &pointer, type, &width, &height) != Halcon::kSuccess || pointer == 0)
        return kNoImage;
    plane.pixels = reinterpret_cast<const char*>(pointer);
    plane.typeIndex = pixelTypeIndex(type);
    plane.width = quint64(width);
    plane.height = quint64(height);
    return plane.typeIndex < 0 ? kNoImage : kNoError;
}

Errors::Type_Error planesOf(const Halcon::Hobject& picture, std::vector<Plane>& planes)
{
    Errors::Type_Error error = Halcon_Helper::CheckImage(picture);
    if (error != kNoError)
        return error;
    Halcon::Hlong count = 0;
    Halcon::Hlong channels = 0;
    if (Halcon::count_obj(picture, &count) != Halcon::kSuccess || count != 1
        || Halcon::count_channels(picture, &channels) != Halcon::kSuccess || channels < 1
        || quint64(channels) > kMaxChannels)
        return kNoImage;
    planes.resize(size_t(channels));
    for (int channel = 0; channel < int(channels); ++channel) {
        error = planeOf(picture, channel + 1, planes[size_t(channel)]);
        if (error != kNoError)
            return error;
    }
    return kNoError;
}

QByteArray headerOf(const Plane& plane, quint32 channels, const QByteArray& format)
{
    QByteArray header(kMagic, sizeof kMagic);
    putU32(header, kVersion);
    putU32(header, quint32(plane.width));
    putU32(header, quint32(plane.height));
    putU32(header, channels);
    putU32(header, quint32(plane.typeIndex));
    putU32(header, quint32(format.size()));
    header.append(format);
    putU32(header, checksum(0, header.constData(), header.size()));
    return header;
}

QMutex g_pendingLock;
// Pending pictures; true once discarded.
QHash<QString, bool> g_pending;
std::atomic<Halcon_PictureSpool::StepHook> g_stepHook{nullptr};

// One key per file, however its folder was spelled (relative, through a link).
QString pendingKey(const QString& pictureFile)
{
    const QFileInfo info(pictureFile);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : folder + QLatin1Char('/') + info.fileName();
}

bool isDiscarded(const QString& pictureFile)
{
    const QString key = pendingKey(pictureFile);
    QMutexLocker locker(&g_pendingLock);
    return g_pending.value(key, false);
}

} // namespace

QString Halcon_PictureSpool::encodedFileFor(const QString& spoolFile, const QString& pictureFile)
{
    QString stem = spoolFile;
    if (stem.endsWith(QLatin1String(".spool")))
        stem.chop(6);
    const QString suffix = QFileInfo(pictureFile).suffix();
    return suffix.isEmpty() ? stem : stem + QLatin1Char('.') + suffix;
}

Errors::Type_Error Halcon_PictureSpool::write(const QString& file, const Halcon::Hobject& picture, const QString& format)
{
    std::vector<Plane> planes;
    if (const Errors::Type_Error error = planesOf(picture, planes); error != kNoError)
        return error;
    const QByteArray formatBytes = format.toUtf8();
    if (quint32(formatBytes.size()) > kMaxFormatLength)
        return kCannotSave;

    // A private name of its own: never one that holds something already.
    ReplacingFile spool(file);
    if (QFileInfo::exists(file) || !spool.open())
        return kCannotSave;
    QFileDevice& out = spool.file();
    const Plane& first = planes.front();
    const qint64 planeBytes = qint64(first.width * first.height * kPixelTypes[size_t(first.typeIndex)].bytes);
    const QByteArray header = headerOf(first, quint32(planes.size()), formatBytes);
    bool written = writeAll(out, header.constData(), header.size());
    quint32 crc = 0;
    for (const Plane& plane : planes) {
        if (!written)
            break;
        crc = checksum(crc, plane.pixels, planeBytes);
        written = writeAll(out, plane.pixels, planeBytes);
    }
    if (written) {
        QByteArray trailer;
        putU32(trailer, crc);
        written = writeAll(out, trailer.constData(), trailer.size());
    }
    // Synced and named before any row names the picture: the spool is then its one copy.
    if (!written || !spool.commit()) {
        spool.discard();
        // A name given but not synced is no spool either.
        QFile::remove(file);
        return kCannotSave;
    }
    return kNoError;
}

Errors::Type_Error Halcon_PictureSpool::read(const QString& file, Halcon::Hobject& picture, QString& format)
{
    picture = Halcon::Hobject();
    format.clear();
    QFile in(file);
    if (!in.exists())
        return kFileMissing;
    if (!in.open(QIODevice::ReadOnly))
        return kCannotLoad;
    const qint64 size = in.size();
    char fixed[kFixedHeaderSize];
    if (size < kFixedHeaderSize || !readAll(in, fixed, kFixedHeaderSize) || std::memcmp(fixed, kMagic, sizeof kMagic) != 0
        || getU32(fixed + 8) != kVersion)
        return kCannotLoad;
    const quint64 width = getU32(fixed + 12);
    const quint64 height = getU32(fixed + 16);
    const quint32 channels = getU32(fixed + 20);
    const quint32 typeIndex = getU32(fixed + 24);
    const quint32 formatLength = getU32(fixed + 28);
    if (width < 1 || width > kMaxSide || height < 1 || height > kMaxSide || width * height > kMaxPixels || channels < 1
        || channels > kMaxChannels || typeIndex >= kPixelTypes.size() || formatLength > kMaxFormatLength)
        return kCannotLoad;
    const qint64 planeBytes = qint64(width * height * kPixelTypes[typeIndex].bytes);
    // A torn or padded file has another size; nothing is read past what the header promises.
    if (size != kFixedHeaderSize + qint64(formatLength) + 4 + qint64(channels) * planeBytes + 4)
        return kCannotLoad;
    QByteArray header(fixed, kFixedHeaderSize);
    header.resize(kFixedHeaderSize + formatLength + 4);
    if (!readAll(in, header.data() + kFixedHeaderSize, formatLength + 4)
        || checksum(0, header.constData(), kFixedHeaderSize + formatLength) != getU32(header.constData() + header.size() - 4))
        return kCannotLoad;
    const QString formatText = QString::fromUtf8(header.constData() + kFixedHeaderSize, formatLength);

    Halcon::Hobject channelImages;
    std::vector<char> pixels(static_cast<size_t>(planeBytes));
    quint32 crc = 0;
    for (quint32 channel = 0; channel < channels; ++channel) {
        if (!readAll(in, pixels.data(), planeBytes))
            return kCannotLoad;
        crc = checksum(crc, pixels.data(), planeBytes);
        Halcon::Hobject plane;
        if (Halcon::gen_image1(&plane, kPixelTypes[typeIndex].name, Halcon::Hlong(width), Halcon::Hlong(height),
                               Halcon::Hlong(reinterpret_cast<std::uintptr_t>(pixels.data())))
                != Halcon::kSuccess
            || Halcon::concat_obj(channelImages, plane, &channelImages) != Halcon::kSuccess)
            return kCannotLoad;
    }
    char trailer[4];
    if (!readAll(in, trailer, 4) || getU32(trailer) != crc)
        return kCannotLoad;
    Halcon::Hobject whole;
    if (Halcon::channels_to_image(channelImages, &whole) != Halcon::kSuccess)
        return kCannotLoad;
    picture = whole;
    format = formatText;
    return kNoError;
}

Errors::Type_Error Halcon_PictureSpool::promote(const QString& spoolFile, const QString& pictureFile)
{
    const QString encoded = encodedFileFor(spoolFile, pictureFile);
    if (isDiscarded(pictureFile)) {
        QFile::remove(spoolFile);
        return placeEncoded(encoded, pictureFile);
    }
    if (QFile::exists(spoolFile)) {
        Halcon::Hobject picture;
        QString format;
        Errors::Type_Error error = read(spoolFile, picture, format);
        if (error != kNoError)
            return error;
        // Written whole or not at all (a private file renamed into place), and synced.
        error = Halcon_Helper::SaveImageFile(encoded, picture, format, false, false);
        if (error != kNoError)
            return error;
        step("encoded");
        // From here the encoded file is the one copy: a later run finds it and names it.
        QFile::remove(spoolFile);
        syncFolder(QFileInfo(spoolFile).absolutePath());
        step("unspooled");
    }
    return placeEncoded(encoded, pictureFile);
}

Errors::Type_Error Halcon_PictureSpool::placeEncoded(const QString& encodedFile, const QString& pictureFile)
{
    const QString key = pendingKey(pictureFile);
    File_Rename::Result placed = File_Rename::Failed;
    {
        // Naming and leaving the pending set are one step for discard: either it finds the
        // picture pending and nothing gets the name, or it finds the name given.
        QMutexLocker locker(&g_pendingLock);
        const auto pending = g_pending.constFind(key);
        if (pending != g_pending.cend() && pending.value()) {
            g_pending.erase(pending);
            locker.unlock();
            QFile::remove(encodedFile);
            return kNoError;
        }
        if (!QFile::exists(encodedFile)) {
            g_pending.remove(key);
            return kFileMissing;
        }
        placed = File_Rename::withoutReplacing(encodedFile, pictureFile);
        g_pending.remove(key);
    }
    if (placed != File_Rename::Renamed)
        return kCannotSave;
    // Whatever the sync says, the name is given: a kill no longer takes it away.
    if (syncFolder(QFileInfo(pictureFile).absolutePath()))
        noteFilePlacingStep(pictureFile, FilePlacingStep::SyncFolder);
    return kNoError;
}

void Halcon_PictureSpool::setPending(const QString& pictureFile, bool pending)
{
    const QString key = pendingKey(pictureFile);
    QMutexLocker locker(&g_pendingLock);
    if (pending)
        g_pending.insert(key, false);
    else
        g_pending.remove(key);
}

bool Halcon_PictureSpool::isPending(const QString& pictureFile)
{
    const QString key = pendingKey(pictureFile);
    QMutexLocker locker(&g_pendingLock);
    return g_pending.contains(key);
}

bool Halcon_PictureSpool::discard(const QString& pictureFile)
{
    const QString key = pendingKey(pictureFile);
    QMutexLocker locker(&g_pendingLock);
    const auto pending = g_pending.find(key);
    if (pending == g_pending.end())
        return false;
    pending.value() = true;
    return true;
}

void Halcon_PictureSpool::setStepHook(StepHook hook)
{
    g_stepHook.store(hook);
}

void Halcon_PictureSpool::step(const char* name)
{
    if (const StepHook hook = g_stepHook.load())
        hook(name);
}
