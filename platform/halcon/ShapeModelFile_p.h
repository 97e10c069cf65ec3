#pragma once

// Layer-private: the shape model file. A fixed header (magic, format version, payload
// size, CRC-32 of the payload) protects a little-endian payload; anything that does not
// check out is rejected before a single value is used.

#include "HalconErrors.h"
#include "ShapeModelRegistry_p.h"

#include <QByteArray>
#include <QString>

namespace Halcon::ShapeMatching {

class ShapeModelFile
{
public:
    static QByteArray encode(const ModelSnapshot &model);
    // The file bytes of a payload: the header with its size and checksum, then the payload.
    static QByteArray sealed(const QByteArray &payload);
    // kErrFileFormatContent for anything but an intact file of a known version.
    static Herror decode(const QByteArray &bytes, ModelSnapshot *model);

    // Atomic: the old file stays when writing fails (kErrFileWrite).
    static Herror write(const QString &path, const ModelSnapshot &model);
    // kErrFileOpen when missing or unreadable.
    static Herror read(const QString &path, ModelSnapshot *model);
};

} // namespace Halcon::ShapeMatching
