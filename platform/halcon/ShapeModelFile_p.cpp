#include "ShapeModelFile_p.h"

#include "ReplacingFile.h"

#include <QDataStream>
#include <QFile>

#include <cmath>
#include <cstring>

namespace Halcon::ShapeMatching {

namespace {

constexpr char kMagic[8] = {'Z', 'S', 'H', 'P', 'M', 'O', 'D', 'L'};
constexpr quint32 kVersion = 1;
constexpr int kHeaderSize = 8 + 4 + 8 + 4;
// Far above any real model; a larger file is rejected before it is read.
constexpr qint64 kMaxFileSize = qint64(1) << 30;

quint32 crc32(const char *data, qint64 size)
{
    static quint32 table[256];
    static const bool ready = [] {
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        return true;
    }();
    (void)ready;
    quint32 crc = 0xFFFFFFFFu;
    for (qint64 i = 0; i < size; ++i)
        crc = table[(crc ^ quint8(data[i])) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void prepare(QDataStream &stream)
{
    stream.setByteOrder(QDataStream::LittleEndian);
    stream.setFloatingPointPrecision(QDataStream::DoublePrecision);
    stream.setVersion(QDataStream::Qt_6_0);
}

// Reads a count whose items take at least itemSize bytes each, refusing counts the rest
// of the payload cannot hold (so a damaged count never allocates gigabytes).
bool readCount(QDataStream &stream, qint64 itemSize, quint32 *count)
{
    stream >> *count;
    if (stream.status() != QDataStream::Ok)
        return false;
    const qint64 left = stream.device()->size() - stream.device()->pos();
    return qint64(*count) * itemSize <= left;
}

} // namespace

QByteArray ShapeModelFile::encode(const ModelSnapshot &model)
{
    const ShapeModelData &d = *model.data;
    QByteArray payload;
    {
        QDataStream out(&payload, QIODevice::WriteOnly);
        prepare(out);
        out << d.angleStart << d.angleExtent << d.angleStep << d.scaleMin << d.scaleMax << d.scaleStep;
        out << qint32(d.metric) << d.minContrast << qint32(d.channels) << quint8(d.fromContours ? 1 : 0);
        out << model.settings.originRow << model.settings.originColumn << qint64(model.settings.timeoutMs);
        out << quint32(d.levels.size());
        for (const ModelLevel &level : d.levels) {
            out << quint32(level.points.size());
            for (const ModelPoint &p : level.points)
                out << p.x << p.y << p.dx << p.dy;
            out << quint32(level.contours.size());
            for (const auto &contour : level.contours) {
                out << quint32(contour.size());
                for (const XldPoint &q : contour)
                    out << q.row << q.col;
            }
        }
    }
    return sealed(payload);
}

QByteArray ShapeModelFile::sealed(const QByteArray &payload)
{
    QByteArray bytes;
    QDataStream header(&bytes, QIODevice::WriteOnly);
    prepare(header);
    header.writeRawData(kMagic, sizeof kMagic);
    header << kVersion << quint64(payload.size()) << crc32(payload.constData(), payload.size());
    bytes.append(payload);
    return bytes;
}

Herror ShapeModelFile::decode(const QByteArray &bytes, ModelSnapshot *model)
{
    if (bytes.size() < kHeaderSize || std::memcmp(bytes.constData(), kMagic, sizeof kMagic) != 0)
        return kErrFileFormatContent;
    QDataStream header(bytes);
    prepare(header);
    header.skipRawData(sizeof kMagic);
    quint32 version = 0, checksum = 0;
    quint64 size = 0;
    header >> version >> size >> checksum;
    if (header.status() != QDataStream::Ok || version != kVersion || size != quint64(bytes.size() - kHeaderSize))
        return kErrFileFormatContent;
    const QByteArray payload = bytes.mid(kHeaderSize);
    if (crc32(payload.constData(), payload.size()) != checksum)
        return kErrFileFormatContent;

    QDataStream in(payload);
    prepare(in);
    auto data = std::make_shared<ShapeModelData>();
    ModelSettings settings;
    qint32 metric = 0, channels = 0;
    quint8 fromContours = 0;
    qint64 timeout = 0;
    in >> data->angleStart >> data->angleExtent >> data->angleStep >> data->scaleMin >> data->scaleMax >> data->scaleStep;
    in >> metric >> data->minContrast >> channels >> fromContours;
    in >> settings.originRow >> settings.originColumn >> timeout;
    if (in.status() != QDataStream::Ok || metric < 0 || metric > 3 || channels < 1 || channels > 64 || timeout < 0
        || timeout > ModelLimits::kMaxTimeoutMs)
        return kErrFileFormatContent;
    for (double v : {settings.originRow, settings.originColumn}) {
        if (!std::isfinite(v) || std::fabs(v) > ModelLimits::kMaxCoordinate)
            return kErrFileFormatContent;
    }
    data->metric = Metric(metric);
    data->channels = channels;
    data->fromContours = fromContours != 0;
    settings.timeoutMs = timeout;
    quint32 levels = 0;
    if (!readCount(in, 8, &levels) || levels < 1 || levels > quint32(kMaxLevels))
        return kErrFileFormatContent;
    data->levels.resize(levels);
    for (ModelLevel &level : data->levels) {
        quint32 count = 0;
        if (!readCount(in, 16, &count) || count < 1)
            return kErrFileFormatContent;
        level.points.resize(count);
        for (ModelPoint &p : level.points)
            in >> p.x >> p.y >> p.dx >> p.dy;
        quint32 contours = 0;
        if (!readCount(in, 4, &contours))
            return kErrFileFormatContent;
        level.contours.resize(contours);
        for (auto &contour : level.contours) {
            quint32 n = 0;
            if (!readCount(in, 16, &n))
                return kErrFileFormatContent;
            contour.resize(n);
            for (XldPoint &q : contour)
                in >> q.row >> q.col;
        }
        if (in.status() != QDataStream::Ok)
            return kErrFileFormatContent;
    }
    // Every value within the range a search can work with, not only well-formed.
    if (in.status() != QDataStream::Ok || !in.atEnd() || !withinLimits(*data))
        return kErrFileFormatContent;
    computeExtent(*data);
    model->data = std::move(data);
    model->settings = settings;
    return kSuccess;
}

Herror ShapeModelFile::write(const QString &path, const ModelSnapshot &model)
{
    if (path.isEmpty())
        return kErrFileWrite;
    return ReplacingFile::write(path, encode(model)) ? kSuccess : kErrFileWrite;
}

Herror ShapeModelFile::read(const QString &path, ModelSnapshot *model)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return kErrFileOpen;
    if (file.size() > kMaxFileSize)
        return kErrFileFormatContent;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return kErrFileOpen;
    return decode(bytes, model);
}

} // namespace Halcon::ShapeMatching
