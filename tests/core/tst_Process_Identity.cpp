// Who does a piece of work: this process lives, a process that ended is gone (also when its
// number is taken again), an earlier boot's processes are gone, and whatever cannot be judged
// here (another machine, another namespace, a text of no such form) is unknown, so that no
// clean-up ever takes over work that may still go on.

#include "Process_Identity.h"

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QtTest>

namespace {

// Field 22 of /proc/<pid>/stat, as the identity carries it.
QString startTimeOf(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray text = stat.readAll();
    return QString::fromLatin1(text.mid(text.lastIndexOf(')') + 1).simplified().split(' ').value(19));
}

// This process's identity with some of its parts replaced.
QString ownWith(int part, const QString& value)
{
    QStringList parts = Process_Identity::current().split(QLatin1Char('/'));
    parts[part] = value;
    return parts.join(QLatin1Char('/'));
}

qint64 pidMax()
{
    QFile file(QStringLiteral("/proc/sys/kernel/pid_max"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLongLong() : 0;
}

} // namespace

class tst_Process_Identity : public QObject {
    Q_OBJECT
private slots:
    void thisProcessLives();
    void endedProcessIsGone();
    void judged_data();
    void judged();
};

void tst_Process_Identity::thisProcessLives()
{
    const QString own = Process_Identity::current();
    QCOMPARE(own.split(QLatin1Char('/')).size(), 5);
    QCOMPARE(Process_Identity::current(), own);
    QCOMPARE(Process_Identity::stateOf(own), Process_Identity::Alive);
}

void tst_Process_Identity::endedProcessIsGone()
{
    QProcess child;
    child.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    QVERIFY(child.waitForStarted(30000));
    const QString start = startTimeOf(child.processId());
    QVERIFY(!start.isEmpty());
    const QString identity = ownWith(3, QString::number(child.processId())).section(QLatin1Char('/'), 0, 3)
        + QLatin1Char('/') + start;
    QCOMPARE(Process_Identity::stateOf(identity), Process_Identity::Alive);
    // The same number with another start time is another process.
    QCOMPARE(Process_Identity::stateOf(identity.section(QLatin1Char('/'), 0, 3) + QStringLiteral("/1")),
             Process_Identity::Gone);
    child.kill();
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(Process_Identity::stateOf(identity), Process_Identity::Gone);
}

void tst_Process_Identity::judged_data()
{
    QTest::addColumn<QString>("identity");
    QTest::addColumn<int>("state");
    const QString own = Process_Identity::current();
    QTest::newRow("another machine") << ownWith(0, QStringLiteral("0123456789abcdef0123456789abcdef"))
                                     << int(Process_Identity::Unknown);
    QTest::newRow("an earlier boot") << ownWith(1, QStringLiteral("00000000-0000-0000-0000-000000000000"))
                                     << int(Process_Identity::Gone);
    QTest::newRow("another namespace") << ownWith(2, QStringLiteral("pid:[1]")) << int(Process_Identity::Unknown);
    QTest::newRow("this number, another start") << ownWith(4, QStringLiteral("1")) << int(Process_Identity::Gone);
    QTest::newRow("a number no process can have") << ownWith(3, QString::number(pidMax() + 1))
                                                  << int(Process_Identity::Gone);
    QTest::newRow("empty") << QString() << int(Process_Identity::Unknown);
    QTest::newRow("four parts") << own.section(QLatin1Char('/'), 0, 3) << int(Process_Identity::Unknown);
    QTest::newRow("number not a number") << ownWith(3, QStringLiteral("12a")) << int(Process_Identity::Unknown);
    QTest::newRow("number zero") << ownWith(3, QStringLiteral("0")) << int(Process_Identity::Unknown);
    QTest::newRow("blank in a part") << ownWith(0, QStringLiteral("a b")) << int(Process_Identity::Unknown);
}

void tst_Process_Identity::judged()
{
    QFETCH(QString, identity);
    QFETCH(int, state);
    QVERIFY(pidMax() > 0);
    QCOMPARE(int(Process_Identity::stateOf(identity)), state);
}

QTEST_GUILESS_MAIN(tst_Process_Identity)
#include "tst_Process_Identity.moc"
