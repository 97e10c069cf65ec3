#include "LibraryFunctions.h"

#include "Automation_BusNames.h"
#include "Automation_Registration.h"
#include "QuendralLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStorageInfo>
#include <QStringList>

#include <cstdio>

namespace {

const char c_alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr int c_letterCount = 26;

// Value of one "Name:   1234 kB" line of /proc/self/status, in kB; -1 when absent.
qint64 statusValueKB(const QByteArray& status, const QByteArray& name)
{
    const QByteArray key = name + ':';
    for (const QByteArray& line : status.split('\n')) {
        if (!line.startsWith(key))
            continue;
        const QList<QByteArray> parts = line.mid(key.size()).simplified().split(' ');
        if (parts.isEmpty())
            return -1;
        bool ok = false;
        const qint64 value = parts.first().toLongLong(&ok);
        return ok ? value : -1;
    }
    return -1;
}

// Runs the program and waits; the exit code, or -1 when it did not start, crashed or hung up.
int runAndWait(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(-1))
        return -1;
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

} // namespace

QDomElement createDomElement(QDomDocument& doc, const QString& tag,
                             const QString& name1, const QString& value1,
                             const QString& name2, const QString& value2,
                             const QString& name3, const QString& value3,
                             const QString& name4, const QString& value4)
{
    QDomElement element = doc.createElement(tag);
    element.setAttribute(name1, value1);
    element.setAttribute(name2, value2);
    element.setAttribute(name3, value3);
    element.setAttribute(name4, value4);
    doc.appendChild(element);
    return element;
}

QDomElement appendDomElement(QDomDocument& doc, QDomElement& parent, const QString& tag)
{
    QDomElement element = doc.createElement(tag);
    parent.appendChild(element);
    return element;
}

QDomElement createDomElementWithAttributes(QDomDocument& doc, QDomElement& parent,
                                           const QString& tag, const QString& text,
                                           const QString& name1, const QString& value1,
                                           const QString& name2, const QString& value2,
                                           const QString& name3, const QString& value3,
                                           const QString& name4, const QString& value4,
                                           const QString& name5, const QString& value5,
                                           const QString& name6, const QString& value6,
                                           const QString& name7, const QString& value7,
                                           const QString& name8, const QString& value8)
{
    QDomElement element = doc.createElement(tag);
    const QString* const pairs[8][2] = {
        {&name1, &value1}, {&name2, &value2}, {&name3, &value3}, {&name4, &value4},
        {&name5, &value5}, {&name6, &value6}, {&name7, &value7}, {&name8, &value8}};
    for (const auto& pair : pairs) {
        if (!pair[0]->isEmpty())
            element.setAttribute(*pair[0], *pair[1]);
    }
    parent.appendChild(element);
    element.appendChild(doc.createTextNode(text));
    return element;
}

QString libraryApplicationPath()
{
    // The program makes its own folder the current one before the library starts, so the
    // program folder is the folder the library records.
    const QString startedIn = QuendralLibrary::GetApplicationPath();
    if (!startedIn.isEmpty())
        return startedIn;
    if (QCoreApplication::instance())
        return QDir::cleanPath(QCoreApplication::applicationDirPath());
    return QDir::currentPath();
}

Errors::Type_Error setCurrentDirToApplicationDir()
{
    const QString applicationPath = libraryApplicationPath();
    if (QDir::currentPath() == applicationPath)
        return 0;
    return QDir::setCurrent(applicationPath) ? 0 : 3;
}

QString toApplicationRelativePath(const QString& path)
{
    return toApplicationRelativePath(path, libraryApplicationPath());
}

QString toApplicationRelativePath(const QString& path, const QString& applicationPath)
{
    const QDir applicationDir(applicationPath);
    QString result = applicationDir.relativeFilePath(path);
    if (result.startsWith(QLatin1String("../")))
        result = applicationDir.absoluteFilePath(path);
    return QDir::cleanPath(result);
}

Errors::Type_Error runAsAdministrator(const QString& program, const QString& parameters, bool waitForEnd)
{
    const QStringList arguments = QProcess::splitCommand(parameters);
    bool started = false;
    int errorNumber = 0;
    if (waitForEnd) {
        QProcess process;
        process.start(program, arguments);
        started = process.waitForStarted(-1);
        if (started)
            process.waitForFinished(-1);
        else
            errorNumber = int(process.error());
    } else {
        started = QProcess::startDetached(program, arguments);
    }
    if (!started) {
        std::fprintf(stderr, "%s could not be launched: %d\n", program.toLocal8Bit().constData(), errorNumber);
        return 3;
    }
    return 0;
}

Errors::Type_Error getProcessMemoryMB(double& pagefileMB, double& peakPagefileMB)
{
    pagefileMB = 0;
    peakPagefileMB = 0;
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 3;
    // procfs files report size 0, so read until the end rather than by size.
    const QByteArray text = status.readAll();
    // Resident memory, not the address space: sanitizers and thread stacks reserve terabytes
    // of address space that is never used.
    const qint64 residentKB = statusValueKB(text, "VmRSS");
    const qint64 peakKB = statusValueKB(text, "VmHWM");
    if (residentKB < 0 || peakKB < 0)
        return 3;
    pagefileMB = double(residentKB) / 1024.0;
    peakPagefileMB = double(peakKB) / 1024.0;
    return 0;
}

Errors::Type_Error getDiskSpaceMB(const QString& path, double& totalMB, double& freeMB)
{
    double availableMB = 0;
    return getDiskSpaceMB(path, totalMB, freeMB, availableMB);
}

Errors::Type_Error getDiskSpaceMB(const QString& path, double& totalMB, double& freeMB, double& availableMB)
{
    totalMB = 0;
    freeMB = 0;
    availableMB = 0;
    // QStorageInfo falls back to the root volume for some unknown paths; a missing path is
    // unreadable, not the root disk.
    if (path.isEmpty() || !QFileInfo::exists(path))
        return 50;
    const QStorageInfo storage(path);
    if (!storage.isValid() || !storage.isReady() || storage.bytesTotal() <= 0)
        return 50;
    totalMB = double(storage.bytesTotal()) / 1048576.0;
    freeMB = double(storage.bytesFree()) / 1048576.0;
    availableMB = double(storage.bytesAvailable()) / 1048576.0;
    return 0;
}

QString getPositionName(quint16 position, quint16 rows)
{
    // Numbers below 10 take one digit: no padding.
    return getPositionNamePadded(position, rows, 0);
}

QString getPositionNamePadded(quint16 position, quint16 rows, quint16 count)
{
    if (rows == 0 || position == 0)
        return QString();
    const int index = position - 1;
    const int letter = index / rows;
    if (letter >= c_letterCount)
        return QString();
    const int digits = count < 10 ? 1 : count < 100 ? 2 : count < 1000 ? 3 : count < 10000 ? 4 : 5;
    return QChar::fromLatin1(c_alphabet[letter])
        + QStringLiteral("%1").arg(index % rows + 1, digits, 10, QLatin1Char('0'));
}

QString getFileNameWithoutSuffix(const QString& path, const QString& suffix)
{
    QString name = QFileInfo(path).fileName();
    if (!suffix.isEmpty() && name.endsWith(suffix, Qt::CaseSensitive))
        name.chop(suffix.size());
    return name;
}

bool isAutomationServerRegistrationCurrent(const QString& appName, const QString& className)
{
    const QString serviceName = Automation_BusNames::serviceName(appName, className);
    return Automation_Registration::state(serviceName, QCoreApplication::applicationFilePath())
        == Automation_Registration::Current;
}

Errors::Type_Error checkComServerRegistration(const QString& appName, const QString& className)
{
    if (isAutomationServerRegistrationCurrent(appName, className))
        return 0;
    // The activation file is the user's own, so the program can rewrite it without elevation.
    const QString program = QCoreApplication::applicationFilePath();
    runAndWait(program, {QStringLiteral("-unregserver")});
    return runAndWait(program, {QStringLiteral("-regserver")}) == 0 ? 0 : 3;
}

Errors::Type_Error registerComServerIfNeeded(const QString& appName, const QString& className, QWidget* parent)
{
    Q_UNUSED(parent);
    // Only missing administrator rights (5) would need the user; a per-user registration
    // never does, and a failed re-registration is not reported at start.
    checkComServerRegistration(appName, className);
    return 0;
}
