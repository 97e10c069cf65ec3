#include "Zip_Helper.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryFile>

#include <cstdio>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

namespace {

constexpr Errors::Type_Error c_fileMissing = 70;
constexpr Errors::Type_Error c_zipCommandError = 71;
constexpr Errors::Type_Error c_createArchiveError = 72;
constexpr Errors::Type_Error c_addFileError = 74;

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
    return name;
}

void Zip_Helper::discardArchive()
{
    if (m_archive->isOpen())
        m_archive->close();
    m_target.reset();
    m_targetPath.clear();
}

bool Zip_Helper::replaceTarget()
{
    if (!m_target->flush())
        return false;
    // An archive that is replaced keeps its permissions; a new one gets the usual ones rather
    // than the temporary file's private ones.
    const QFileInfo existing(m_targetPath);
    const QFile::Permissions permissions = existing.exists()
        ? existing.permissions()
        : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    m_target->setPermissions(permissions);
    m_target->close();
    // rename(2) replaces the old archive in one step, so a reader sees either one or the other.
    if (std::rename(QFile::encodeName(m_target->fileName()).constData(),
                    QFile::encodeName(m_targetPath).constData()) != 0)
        return false;
    m_target->setAutoRemove(false);
    return true;
}

Errors::Type_Error Zip_Helper::Open(const QString& archivePath, bool append)
{
    // An archive still open is neither finished nor thrown away behind the caller's back.
    if (!m_archive || m_archive->isOpen())
        return c_createArchiveError;
    m_entryNames.clear();
    m_target.reset();
    m_targetPath.clear();
    if (archivePath.isEmpty() || QFileInfo(archivePath).isDir())
        return c_createArchiveError;

    // Everything is written to a temporary file beside the archive; the archive itself is
    // replaced only when Close has written a complete one.
    auto target = std::make_unique<QTemporaryFile>(archivePath + QStringLiteral(".XXXXXX"));
    if (!target->open())
        return c_createArchiveError;
    QStringList names;
    if (append) {
        QuaZip existing(archivePath);
        if (!existing.open(QuaZip::mdUnzip))
            return c_createArchiveError;
        names = existing.getFileNameList();
        existing.close();
        if (existing.getZipError() != 0)
            return c_createArchiveError;
        QFile source(archivePath);
        if (!source.open(QIODevice::ReadOnly))
            return c_createArchiveError;
        const QByteArray bytes = source.readAll();
        if (source.error() != QFileDevice::NoError || target->write(bytes) != bytes.size() || !target->flush()
            || !target->seek(0))
            return c_createArchiveError;
    }

    m_archive->setIoDevice(target.get());
    m_archive->setAutoClose(false);
    m_target = std::move(target);
    m_targetPath = archivePath;
    if (!m_archive->open(append ? QuaZip::mdAdd : QuaZip::mdCreate)) {
        discardArchive();
        return c_createArchiveError;
    }
    m_entryNames = names;
    return 0;
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
    const bool complete = m_archive->getZipError() == 0 && m_target && replaceTarget();
    discardArchive();
    return complete ? 0 : c_createArchiveError;
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
