#include "Zip_Helper.h"

#include "ReplacingFile.h"
#include "Zip_Helper_Directory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

namespace {

constexpr Errors::Type_Error c_fileMissing = 70;
constexpr Errors::Type_Error c_zipCommandError = 71;
constexpr Errors::Type_Error c_createArchiveError = 72;
constexpr Errors::Type_Error c_addFileError = 74;
// An entry name's length field holds 16 bits.
constexpr qsizetype c_maxNameBytes = 0xFFFF;
// Entries are verified and copied in pieces of this size, whatever size they declare.
constexpr qint64 c_copyBlock = 1 << 16;

// A file the user made read-only is not replaced, not even by an owner the system lets write.
bool isReadOnly(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    const QFile::Permissions writable = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return !info.isWritable() || !(info.permissions() & writable);
}

// Reads the current entry of `source` to its end: true when it gives exactly the size its
// directory declares and its checksum matches.
bool verifyEntry(QuaZip& source, const QuaZipFileInfo64& info)
{
    QuaZipFile entry(&source);
    if (!entry.open(QIODevice::ReadOnly))
        return false;
    quint64 total = 0;
    while (true) {
        const QByteArray block = entry.read(c_copyBlock);
        if (block.isEmpty())
            break;
        total += quint64(block.size());
        if (total > info.uncompressedSize)
            break;
    }
    const bool complete = entry.getZipError() == UNZ_OK && total == info.uncompressedSize;
    entry.close();
    return complete && entry.getZipError() == UNZ_OK;
}

// Copies the current entry of `source` into `target` as it is stored, compressed bytes unchanged.
bool copyEntry(QuaZip& source, const QuaZipFileInfo64& info, QuaZip& target)
{
    QuaZipFile from(&source);
    int method = 0, level = 0;
    if (!from.open(QIODevice::ReadOnly, &method, &level, true))
        return false;
    QuaZipNewInfo newInfo(info);
    // Extra fields (zip64 sizes among them) are written anew by the archive itself.
    newInfo.extraLocal.clear();
    newInfo.extraGlobal.clear();
    newInfo.uncompressedSize = info.uncompressedSize;
    // Entries beyond 4 GB need the zip64 form of their headers.
    target.setZip64Enabled(info.uncompressedSize >= 0xFFFFFFFFu || info.compressedSize >= 0xFFFFFFFFu);
    QuaZipFile to(&target);
    const bool opened = to.open(QIODevice::WriteOnly, newInfo, nullptr, info.crc, method, level, true);
    target.setZip64Enabled(false);
    if (!opened)
        return false;
    quint64 copied = 0;
    while (copied < info.compressedSize) {
        const QByteArray block = from.read(std::min<quint64>(c_copyBlock, info.compressedSize - copied));
        if (block.isEmpty() || to.write(block) != block.size())
            break;
        copied += quint64(block.size());
    }
    from.close();
    to.close();
    return copied == info.compressedSize && to.getZipError() == ZIP_OK && target.getZipError() == ZIP_OK;
}

} // namespace

Zip_Helper::Zip_Helper(QObject* parent)
    : QObject(parent)
    , m_programPath(QStringLiteral("zip"))
    , m_archive(std::make_unique<QuaZip>())
{
}

Zip_Helper::Zip_Helper(const QString& folder, QObject* parent)
    : QObject(parent)
    , m_folder(folder)
    , m_programPath(QStringLiteral("zip"))
{
}

Zip_Helper::~Zip_Helper()
{
    if (m_archive && m_archive->isOpen())
        Close();
}

QString Zip_Helper::SanitizedEntryName(const QString& entryName)
{
    // Names come from stored data (picture names, plate names); an unpacker must never be
    // led outside its target folder by them.
    QString name = entryName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QStringList parts = name.split(QLatin1Char('/'));
    for (const QString& part : parts) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return QString();
        for (const QChar c : part) {
            if (c.unicode() < 0x20)
                return QString();
        }
    }
    // A drive prefix makes the name absolute for unpackers on the other platform.
    const QString& first = parts.first();
    if (first.size() >= 2 && first.at(1) == QLatin1Char(':') && first.at(0).isLetter())
        return QString();
    // Names are stored as UTF-8: one that does not come back the same (a lone surrogate) or
    // does not fit the name's length field cannot be written as given.
    const QByteArray utf8 = name.toUtf8();
    if (utf8.size() > c_maxNameBytes || QString::fromUtf8(utf8) != name)
        return QString();
    return name;
}

void Zip_Helper::discardArchive()
{
    if (m_archive->isOpen())
        m_archive->close();
    m_target.reset();
}

Errors::Type_Error Zip_Helper::Open(const QString& archivePath, bool append)
{
    // An archive still open is neither finished nor thrown away behind the caller's back.
    if (!m_archive || m_archive->isOpen())
        return c_createArchiveError;
    m_entryNames.clear();
    m_target.reset();
    if (archivePath.isEmpty() || QFileInfo(archivePath).isDir() || isReadOnly(archivePath))
        return c_createArchiveError;

    // Everything is written to a private file beside the archive; the archive itself is
    // replaced only when Close has written a complete one.
    auto target = std::make_unique<ReplacingFile>(archivePath);
    if (!target->open())
        return c_createArchiveError;
    m_archive->setIoDevice(&target->file());
    m_archive->setAutoClose(false);
    m_archive->setUtf8Enabled(true);
    m_target = std::move(target);
    if (!m_archive->open(QuaZip::mdCreate)) {
        discardArchive();
        return c_createArchiveError;
    }
    if (append) {
        QStringList names;
        if (!copyArchive(archivePath, names)) {
            discardArchive();
            return c_createArchiveError;
        }
        m_entryNames = names;
    }
    return 0;
}

bool Zip_Helper::copyArchive(const QString& archivePath, QStringList& names)
{
    // The old archive is written anew rather than extended in place: only an archive whose
    // structure and every entry check out is taken, and what is kept is what was read.
    QFile file(archivePath);
    if (!file.open(QIODevice::ReadOnly) || !Zip_Helper_Directory::isSound(file))
        return false;
    QuaZip source(&file);
    source.setAutoClose(false);
    if (!source.open(QuaZip::mdUnzip))
        return false;
    bool sound = true;
    for (bool more = source.goToFirstFile(); more && sound; more = source.goToNextFile()) {
        QuaZipFileInfo64 info;
        sound = source.getCurrentFileInfo(&info) && !info.name.isEmpty() && !info.isEncrypted()
            && !names.contains(info.name) && verifyEntry(source, info) && copyEntry(source, info, *m_archive);
        if (sound)
            names.append(info.name);
    }
    sound = sound && source.getZipError() == UNZ_OK && names.size() == source.getEntriesCount();
    source.close();
    return sound;
}

Errors::Type_Error Zip_Helper::AddFile(const QString& entryName, const QString& filePath)
{
    const QString name = SanitizedEntryName(entryName);
    if (name.isEmpty() || !m_archive || !m_archive->isOpen())
        return c_createArchiveError;
    if (m_entryNames.contains(name))
        return 0;
    // The source is read before the entry is opened: an unreadable file must not leave an
    // empty entry of its name in the archive.
    QFile source(filePath);
    if (!source.open(QIODevice::ReadOnly))
        return c_addFileError;
    const QByteArray data = source.readAll();
    const bool readFailed = source.error() != QFileDevice::NoError;
    source.close();
    if (readFailed || data.isEmpty())
        return c_addFileError;
    return addEntry(name, data);
}

Errors::Type_Error Zip_Helper::AddData(const QString& entryName, const QByteArray& data)
{
    const QString name = SanitizedEntryName(entryName);
    if (name.isEmpty() || !m_archive || !m_archive->isOpen())
        return c_createArchiveError;
    if (m_entryNames.contains(name))
        return 0;
    if (data.isEmpty())
        return c_addFileError;
    return addEntry(name, data);
}

Errors::Type_Error Zip_Helper::addEntry(const QString& name, const QByteArray& data)
{
    QuaZipFile entry(m_archive.get());
    // The name alone: the entry takes the time of adding and no file attributes.
    const QuaZipNewInfo info(name);
    if (!entry.open(QIODevice::WriteOnly, info, nullptr, 0, 8, -1, false, -15, 8, 0))
        return c_createArchiveError;
    const qint64 written = entry.write(data);
    entry.close();
    if (written != data.size() || entry.getZipError() != 0 || m_archive->getZipError() != 0)
        return c_addFileError;
    m_entryNames.append(name);
    return 0;
}

Errors::Type_Error Zip_Helper::Close()
{
    if (!m_archive)
        return c_createArchiveError;
    if (!m_archive->isOpen())
        return 0;
    m_archive->close();
    const bool complete = m_archive->getZipError() == 0 && m_target && isReadable() && m_target->commit();
    discardArchive();
    return complete ? 0 : c_createArchiveError;
}

bool Zip_Helper::isReadable()
{
    // The archive as a reader will see it: sound, and listing the entries written.
    QFileDevice& file = m_target->file();
    if (!file.flush() || !file.seek(0) || !Zip_Helper_Directory::isSound(file))
        return false;
    QuaZip written(&file);
    written.setAutoClose(false);
    if (!written.open(QuaZip::mdUnzip))
        return false;
    // The entries' full information: QuaZip's plain name list cuts names beyond 256 bytes.
    QStringList names;
    for (bool more = written.goToFirstFile(); more; more = written.goToNextFile()) {
        QuaZipFileInfo64 info;
        if (!written.getCurrentFileInfo(&info))
            return false;
        names.append(info.name);
    }
    const bool listed = written.getZipError() == UNZ_OK;
    written.close();
    return listed && names == m_entryNames;
}

Errors::Type_Error Zip_Helper::SetProgramArchive(const QString& archivePath)
{
    m_programArchive = archivePath;
    m_programFiles.clear();
    return 0;
}

Errors::Type_Error Zip_Helper::AddProgramFile(const QString& filePath)
{
    if (!QFileInfo::exists(filePath))
        return c_fileMissing;
    m_programFiles.append(filePath);
    return 0;
}

void Zip_Helper::SetProgramPath(const QString& programPath)
{
    m_programPath = programPath;
}

Errors::Type_Error Zip_Helper::ZipWithProgram(QStringList& errorLines)
{
    errorLines.clear();
    // Without an archive name there is nothing the program could write.
    if (m_programArchive.isEmpty())
        return c_zipCommandError;

    QStringList arguments{QStringLiteral("-j9q"), QDir::toNativeSeparators(m_programArchive)};
    for (const QString& file : m_programFiles) {
        if (!QFileInfo::exists(file))
            return c_fileMissing;
        arguments.append(QDir::toNativeSeparators(file));
    }

    QProcess process(this);
    process.start(m_programPath, arguments, QIODevice::ReadWrite);
    if (!process.waitForStarted(-1))
        return c_zipCommandError;
    // Nothing is fed to the program; a closed input keeps it from ever waiting for some.
    process.closeWriteChannel();
    if (!process.waitForFinished(-1))
        return c_zipCommandError;

    const QByteArray errorOutput = process.readAllStandardError();
    if (!errorOutput.isEmpty())
        errorLines.append(QString::fromUtf8(errorOutput).split(QLatin1Char('\n')));
    if (!errorLines.isEmpty())
        return c_createArchiveError;
    // "zip" reports its own failures (no output file, I/O errors) on standard output with a
    // non-zero exit code: an archive that was not made must not pass as made.
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QByteArray output = process.readAllStandardOutput().trimmed();
        if (!output.isEmpty())
            errorLines.append(QString::fromUtf8(output).split(QLatin1Char('\n')));
        return c_zipCommandError;
    }
    return 0;
}
