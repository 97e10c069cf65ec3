#include "Zip_Helper_Directory.h"

#include <QByteArray>
#include <QIODevice>

#include <algorithm>

namespace {

constexpr qint64 c_endRecordSize = 22;
constexpr qint64 c_maxCommentSize = 0xFFFF;
constexpr qint64 c_locatorSize = 20;
constexpr qint64 c_zip64EndMinimum = 56;
constexpr qint64 c_directoryHeaderSize = 46;
constexpr qint64 c_localHeaderSize = 30;

quint64 little(const QByteArray& bytes, qsizetype at, int count)
{
    quint64 value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | quint8(bytes.at(at + i));
    return value;
}

bool signatureAt(const QByteArray& bytes, qsizetype at, char third, char fourth)
{
    return at >= 0 && at + 4 <= bytes.size() && bytes.at(at) == 'P' && bytes.at(at + 1) == 'K'
        && bytes.at(at + 2) == third && bytes.at(at + 3) == fourth;
}

bool readAt(QIODevice& device, qint64 position, qint64 count, QByteArray& bytes)
{
    if (position < 0 || count < 0 || count > device.size() - position || !device.seek(position))
        return false;
    bytes = device.read(count);
    return bytes.size() == count;
}

struct Directory {
    quint64 entries = 0;
    quint64 size = 0;
    quint64 offset = 0;
    qint64 end = 0; // where the end records begin
};

// The zip64 end record and its locator, which sit right before the classic end record.
bool readZip64End(QIODevice& device, qint64 endAt, Directory& directory)
{
    QByteArray locator, record;
    if (!readAt(device, endAt - c_locatorSize, c_locatorSize, locator) || !signatureAt(locator, 0, 6, 7)
        || little(locator, 4, 4) != 0 || little(locator, 16, 4) != 1)
        return false;
    const quint64 recordAt = little(locator, 8, 8);
    const qint64 locatorAt = endAt - c_locatorSize;
    if (recordAt > quint64(locatorAt) || quint64(locatorAt) - recordAt < quint64(c_zip64EndMinimum)
        || !readAt(device, qint64(recordAt), c_zip64EndMinimum, record) || !signatureAt(record, 0, 6, 6))
        return false;
    // The record's own size field counts what follows its first 12 bytes.
    if (little(record, 4, 8) != quint64(locatorAt) - recordAt - 12 || little(record, 16, 4) != 0
        || little(record, 20, 4) != 0 || little(record, 24, 8) != little(record, 32, 8))
        return false;
    directory.entries = little(record, 32, 8);
    directory.size = little(record, 40, 8);
    directory.offset = little(record, 48, 8);
    directory.end = qint64(recordAt);
    return true;
}

bool readEnd(QIODevice& device, Directory& directory)
{
    const qint64 size = device.size();
    if (size < c_endRecordSize)
        return false;
    const qint64 tailSize = std::min(size, c_endRecordSize + c_maxCommentSize);
    const qint64 tailAt = size - tailSize;
    QByteArray tail;
    if (!readAt(device, tailAt, tailSize, tail))
        return false;
    // The end record whose comment runs exactly to the end of the file.
    qsizetype at = -1;
    for (qsizetype i = tail.size() - c_endRecordSize; i >= 0 && at < 0; --i) {
        if (signatureAt(tail, i, 5, 6) && qint64(little(tail, i + 20, 2)) == tailSize - i - c_endRecordSize)
            at = i;
    }
    if (at < 0)
        return false;
    const quint64 entries = little(tail, at + 10, 2);
    if (little(tail, at + 4, 2) != 0 || little(tail, at + 6, 2) != 0 || little(tail, at + 8, 2) != entries)
        return false;
    const qint64 endAt = tailAt + at;
    QByteArray locator;
    if (endAt >= c_locatorSize && readAt(device, endAt - c_locatorSize, 4, locator) && signatureAt(locator, 0, 6, 7))
        return readZip64End(device, endAt, directory);
    directory.entries = entries;
    directory.size = little(tail, at + 12, 4);
    directory.offset = little(tail, at + 16, 4);
    directory.end = endAt;
    return true;
}

} // namespace

bool Zip_Helper_Directory::isSound(QIODevice& device)
{
    Directory directory;
    if (!readEnd(device, directory))
        return false;
    if (directory.offset > quint64(directory.end) || directory.size != quint64(directory.end) - directory.offset
        || directory.entries > directory.size / c_directoryHeaderSize)
        return false;
    QByteArray headers;
    if (!readAt(device, qint64(directory.offset), qint64(directory.size), headers))
        return false;
    qsizetype at = 0;
    for (quint64 entry = 0; entry < directory.entries; ++entry) {
        if (headers.size() - at < c_directoryHeaderSize || !signatureAt(headers, at, 1, 2))
            return false;
        const quint64 nameSize = little(headers, at + 28, 2);
        const quint64 variable = nameSize + little(headers, at + 30, 2) + little(headers, at + 32, 2);
        const quint64 disk = little(headers, at + 34, 2);
        const quint64 localAt = little(headers, at + 42, 4);
        if (nameSize == 0 || (disk != 0 && disk != 0xFFFF))
            return false;
        // 0xFFFFFFFF: the offset is in the zip64 extra field, checked when the entry is read.
        if (localAt != 0xFFFFFFFFu && localAt + c_localHeaderSize > directory.offset)
            return false;
        if (variable > quint64(headers.size() - at - c_directoryHeaderSize))
            return false;
        at += c_directoryHeaderSize + qsizetype(variable);
    }
    return at == headers.size();
}
