#include "Process_Identity.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QStringList>
#include <QSysInfo>

#include <unistd.h>

namespace {

// "<machine>/<boot>/<pid namespace>/<pid>/<start time in clock ticks>"
struct Parts {
    QString machine;
    QString boot;
    QString pidNamespace;
    qint64 pid = -1;
    quint64 startTime = 0;
};

QString firstLineOf(const QString& file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLatin1(in.readLine(256)).trimmed();
}

// Field 22 of /proc/<pid>/stat; the command name before it may hold blanks and brackets.
bool startTimeOf(qint64 pid, quint64& startTime)
{
    QFile in(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray stat = in.readAll();
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return false;
    // After the name: state (field 3) ... start time (field 22).
    const QList<QByteArray> fields = stat.mid(close + 1).simplified().split(' ');
    if (fields.size() < 20)
        return false;
    bool ok = false;
    startTime = fields.at(19).toULongLong(&ok);
    return ok;
}

// The text the link /proc/<pid>/ns/pid points at, e.g. "pid:[4026531836]".
QString pidNamespaceOf(qint64 pid)
{
    return QFileInfo(QStringLiteral("/proc/%1/ns/pid").arg(pid)).symLinkTarget().section(QLatin1Char('/'), -1);
}

bool isWord(const QString& text)
{
    if (text.isEmpty() || text.size() > 64)
        return false;
    for (const QChar c : text)
        if (c == QLatin1Char('/') || c.isSpace() || c.unicode() < 0x21 || c.unicode() > 0x7e)
            return false;
    return true;
}

bool parse(const QString& text, Parts& parts)
{
    const QStringList fields = text.split(QLatin1Char('/'));
    if (fields.size() != 5 || !isWord(fields[0]) || !isWord(fields[1]) || !isWord(fields[2]))
        return false;
    bool pidOk = false;
    bool startOk = false;
    parts.machine = fields[0];
    parts.boot = fields[1];
    parts.pidNamespace = fields[2];
    parts.pid = fields[3].toLongLong(&pidOk);
    parts.startTime = fields[4].toULongLong(&startOk);
    return pidOk && startOk && parts.pid > 0;
}

QString makeCurrent()
{
    const QString machine = QString::fromLatin1(QSysInfo::machineUniqueId());
    const QString boot = firstLineOf(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    const qint64 pid = qint64(::getpid());
    // By number, not through /proc/self, so that the same reading judges others.
    const QString pidNamespace = pidNamespaceOf(pid);
    quint64 startTime = 0;
    if (!isWord(machine) || !isWord(boot) || !isWord(pidNamespace) || !startTimeOf(pid, startTime))
        return QString();
    return QStringLiteral("%1/%2/%3/%4/%5").arg(machine, boot, pidNamespace).arg(pid).arg(startTime);
}

} // namespace

QString Process_Identity::current()
{
    static const QString identity = makeCurrent();
    return identity;
}

Process_Identity::State Process_Identity::stateOf(const QString& identity)
{
    Parts own;
    Parts other;
    if (!parse(current(), own) || !parse(identity, other))
        return Unknown;
    if (other.machine != own.machine)
        return Unknown;
    // Every process of an earlier boot of this machine has ended.
    if (other.boot != own.boot)
        return Gone;
    if (other.pidNamespace != own.pidNamespace)
        return Unknown;
    if (other.pid == own.pid)
        return other.startTime == own.startTime ? Alive : Gone;
    quint64 startTime = 0;
    if (!startTimeOf(other.pid, startTime)) {
        // No such process, unless /proc hides it from us.
        return QFileInfo::exists(QStringLiteral("/proc/%1").arg(other.pid)) ? Unknown : Gone;
    }
    return startTime == other.startTime ? Alive : Gone;
}
