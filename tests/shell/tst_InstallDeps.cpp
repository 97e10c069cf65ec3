#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// scripts/install-deps.sh on a machine where another apt run holds the package lists' lock for
// a while, as one does right after booting: the script waits for it within its bound, and
// gives up with apt's own code when the lock stays or when apt fails for another reason.
// apt-get, dpkg-query and sudo are stand-ins that record what they were asked.
class tst_InstallDeps : public QObject {
    Q_OBJECT
private slots:
    void waitsForTheLock_data();
    void waitsForTheLock();
};

namespace {

bool writeScript(const QString& path, const QByteArray& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("#!/usr/bin/env bash\n" + text) < 0)
        return false;
    file.close();
    return file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

} // namespace

void tst_InstallDeps::waitsForTheLock_data()
{
    QTest::addColumn<int>("lockedUpdates"); // updates that find the lock held; -1: all
    QTest::addColumn<QString>("otherFailure"); // a failure that is no lock; empty: none
    QTest::addColumn<int>("timeout");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("updates");
    QTest::newRow("free at once") << 0 << "" << 60 << 0 << 1;
    QTest::newRow("free after two tries") << 2 << "" << 60 << 0 << 3;
    // Tried again at least once before the bound is over, however slow the machine.
    QTest::newRow("held beyond the bound") << -1 << "" << 3 << 100 << 2;
    QTest::newRow("no network") << 0 << "E: Temporary failure resolving 'deb.debian.org'" << 60 << 100 << 1;
}

void tst_InstallDeps::waitsForTheLock()
{
    QFETCH(int, lockedUpdates);
    QFETCH(QString, otherFailure);
    QFETCH(int, timeout);
    QFETCH(int, exitCode);
    QFETCH(int, updates);
    QTemporaryDir bin;
    QVERIFY(bin.isValid());
    const QString log = bin.filePath(QStringLiteral("apt.log"));
    // Every package missing; apt-get's update finds the lock held for its first calls.
    QVERIFY(writeScript(bin.filePath(QStringLiteral("dpkg-query")), "echo -n 'install ok not-installed'\n"));
    QVERIFY(writeScript(bin.filePath(QStringLiteral("sudo")), "exec \"$@\"\n"));
    const QByteArray logFile = QFile::encodeName(log);
    const QByteArray locked = QByteArray::number(lockedUpdates);
    const QByteArray other = otherFailure.toUtf8();
    QVERIFY(writeScript(bin.filePath(QStringLiteral("apt-get")),
                        "echo \"apt-get $*\" >> '" + logFile + "'\n"
                        "if [[ \" $* \" == *\" update \"* ]]; then\n"
                        "    calls=$(grep -c ' update' '" + logFile + "')\n"
                        "    if [ " + locked + " -lt 0 ] || [ \"$calls\" -le " + locked + " ]; then\n"
                        "        echo 'E: Could not get lock /var/lib/apt/lists/lock. It is held by process 4242 (apt-get)' >&2\n"
                        "        echo 'E: Unable to lock directory /var/lib/apt/lists/' >&2\n"
                        "        exit 100\n"
                        "    fi\n"
                        "    if [ -n \"" + other + "\" ]; then\n"
                        "        echo \"" + other + "\" >&2\n"
                        "        exit 100\n"
                        "    fi\n"
                        "fi\n"
                        "exit 0\n"));

    QProcess script;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), bin.path() + QLatin1Char(':') + environment.value(QStringLiteral("PATH")));
    environment.insert(QStringLiteral("ZELVORIN_APT_LOCK_TIMEOUT"), QString::number(timeout));
    script.setProcessEnvironment(environment);
    script.start(QStringLiteral("bash"), {QString::fromLocal8Bit(qgetenv("ZELVORIN_SOURCE_DIR"))
                                          + QStringLiteral("/scripts/install-deps.sh")});
    QVERIFY(script.waitForFinished(60000));
    const QString errors = QString::fromLocal8Bit(script.readAllStandardError());
    QCOMPARE(script.exitStatus(), QProcess::NormalExit);
    QVERIFY2(script.exitCode() == exitCode, qPrintable(errors));

    QFile calls(log);
    QVERIFY(calls.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLocal8Bit(calls.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const qsizetype tried = lines.filter(QStringLiteral(" update")).size();
    if (lockedUpdates < 0)
        QVERIFY2(tried >= updates, qPrintable(QString::number(tried)));
    else
        QCOMPARE(tried, qsizetype(updates));
    const QStringList installs = lines.filter(QStringLiteral(" install "));
    QCOMPARE(installs.size(), exitCode == 0 ? 1 : 0);
    // The install waits for the package database's lock by itself.
    for (const QString& line : lines)
        QVERIFY2(line.startsWith(QStringLiteral("apt-get -o DPkg::Lock::Timeout=%1 ").arg(timeout)), qPrintable(line));
    if (exitCode != 0)
        QVERIFY2(errors.contains(otherFailure.isEmpty() ? QStringLiteral("Could not get lock") : otherFailure),
                 qPrintable(errors));
}

QTEST_GUILESS_MAIN(tst_InstallDeps)
#include "tst_InstallDeps.moc"
