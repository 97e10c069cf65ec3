#include "Automation_Registration.h"

#include "ReplacingFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const char* const kGroup = "[D-BUS Service]";
// An activation file is a few lines; anything larger is not one of ours.
constexpr qint64 kMaximumFileSize = 64 * 1024;

bool isPlainWordCharacter(QChar c)
{
    if (c.unicode() > 127)
        return false;
    return c.isLetterOrNumber() || QStringLiteral("/._-+,:@%=").contains(c);
}

QString quoted(const QString& word)
{
    bool plain = !word.isEmpty();
    for (const QChar c : word)
        plain = plain && isPlainWordCharacter(c);
    if (plain)
        return word;
    QString text = word;
    // Inside single quotes nothing is special but the quote itself: close, escape, reopen.
    text.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

QString canonical(const QString& path)
{
    return QFileInfo(path).canonicalFilePath();
}

} // namespace

QString Automation_Registration::activationFilePath(const QString& serviceName)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/dbus-1/services/")
        + serviceName + QStringLiteral(".service");
}

QString Automation_Registration::commandLine(const QString& programPath, const QStringList& arguments)
{
    QStringList words{quoted(programPath)};
    for (const QString& argument : arguments)
        words << quoted(argument);
    return words.join(QLatin1Char(' '));
}

bool Automation_Registration::firstWord(const QString& commandLine, QString& word)
{
    word.clear();
    qsizetype i = 0;
    while (i < commandLine.size() && commandLine.at(i).isSpace())
        ++i;
    if (i == commandLine.size())
        return false;
    for (; i < commandLine.size() && !commandLine.at(i).isSpace(); ++i) {
        const QChar c = commandLine.at(i);
        if (c == QLatin1Char('\'')) {
            const qsizetype end = commandLine.indexOf(QLatin1Char('\''), i + 1);
            if (end < 0)
                return false;
            word += commandLine.mid(i + 1, end - i - 1);
            i = end;
        } else if (c == QLatin1Char('"')) {
            for (++i;; ++i) {
                if (i >= commandLine.size())
                    return false;
                const QChar inner = commandLine.at(i);
                if (inner == QLatin1Char('"'))
                    break;
                if (inner == QLatin1Char('\\') && i + 1 < commandLine.size()
                    && QStringLiteral("\"\\$`").contains(commandLine.at(i + 1)))
                    ++i;
                word += commandLine.at(i);
            }
        } else if (c == QLatin1Char('\\')) {
            if (++i >= commandLine.size())
                return false;
            word += commandLine.at(i);
        } else {
            word += c;
        }
    }
    return true;
}

bool Automation_Registration::write(const QString& serviceName, const QString& programPath,
                                    const QStringList& arguments, QString& error)
{
    error.clear();
    const QString path = activationFilePath(serviceName);
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        error = QStringLiteral("Cannot create the folder of %1").arg(path);
        return false;
    }
    const QString text = QStringLiteral("# Automation server registration, written by \"-regserver\".\n")
        + QLatin1String(kGroup) + QLatin1Char('\n') + QStringLiteral("Name=") + serviceName + QLatin1Char('\n')
        + QStringLiteral("Exec=") + commandLine(programPath, arguments) + QLatin1Char('\n');
    if (!ReplacingFile::write(path, text.toUtf8())) {
        error = QStringLiteral("Cannot write %1").arg(path);
        return false;
    }
    return true;
}

bool Automation_Registration::remove(const QString& serviceName, QString& error)
{
    error.clear();
    QFile file(activationFilePath(serviceName));
    if (!file.exists() || file.remove())
        return true;
    error = file.errorString();
    return false;
}

Automation_Registration::State Automation_Registration::state(const QString& serviceName, const QString& programPath)
{
    QFile file(activationFilePath(serviceName));
    if (!file.exists())
        return Missing;
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaximumFileSize)
        return Stale;
    const QList<QByteArray> lines = file.read(kMaximumFileSize).split('\n');
    bool inGroup = false;
    QString name;
    QString exec;
    for (const QByteArray& rawLine : lines) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1String(kGroup);
            continue;
        }
        if (!inGroup)
            continue;
        if (line.startsWith(QLatin1String("Name=")))
            name = line.mid(5);
        else if (line.startsWith(QLatin1String("Exec=")))
            exec = line.mid(5);
    }
    QString program;
    if (name != serviceName || !firstWord(exec, program))
        return Stale;
    const QString registered = canonical(program);
    return !registered.isEmpty() && registered == canonical(programPath) ? Current : Stale;
}
