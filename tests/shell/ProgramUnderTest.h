#pragma once

#include "Automation_BusNames.h"
#include "Automation_Client.h"
#include "PrivateSessionBus.h"

#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

#include <signal.h>
#include <unistd.h>

// The built program in a folder of one test executable's own: the program file hard-linked
// (copied where the file system refuses), the shipped settings, the demo pictures and the
// database templates beside it. The program works in its own folder, so tests running at the
// same time never share settings files, databases or window layouts.
class PrivateProgramFolder {
public:
    PrivateProgramFolder()
        : m_folder(folderTemplate())
    {
        const QString source = QString::fromLocal8Bit(qgetenv("ZELVORIN_SOURCE_DIR"));
        const QString program = m_folder.filePath(QStringLiteral("zelvorin"));
        const QByteArray from = QFile::encodeName(QStringLiteral(ZELVORIN_PROGRAM));
        if (::link(from.constData(), QFile::encodeName(program).constData()) != 0)
            QFile::copy(QStringLiteral(ZELVORIN_PROGRAM), program);
        copyTree(source + QStringLiteral("/settings"), m_folder.filePath(QStringLiteral("settings")));
        copyTree(source + QStringLiteral("/database_templates"), m_folder.filePath(QStringLiteral("database_templates")));
        const QString demo = QStringLiteral("/settings/ColonyDemo/");
        for (const char* picture : {"Demo_Plate_gray.tif", "Demo_PetriPlate_gray.tif"})
            QFile::copy(builtFolder() + demo + QLatin1String(picture), m_folder.path() + demo + QLatin1String(picture));
        // The stitcher demo's views and cross model files, made by the build.
        const QString stitcherDemo = QStringLiteral("/settings/ImageStitcherDemo");
        copyTree(builtFolder() + stitcherDemo, m_folder.path() + stitcherDemo);
    }

    QString programPath() const { return m_folder.filePath(QStringLiteral("zelvorin")); }

private:
    static QString builtFolder() { return QFileInfo(QStringLiteral(ZELVORIN_PROGRAM)).absolutePath(); }

    // Beside the build's own program, on its file system, so the link can be made.
    static QString folderTemplate()
    {
        const QString parent = QDir::cleanPath(builtFolder() + QStringLiteral("/../test-programs"));
        QDir().mkpath(parent);
        return parent + QStringLiteral("/zelvorin-XXXXXX");
    }

    static void copyTree(const QString& from, const QString& to)
    {
        QDir().mkpath(to);
        QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString source = it.next();
            const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(source);
            if (it.fileInfo().isDir())
                QDir().mkpath(target);
            else
                QFile::copy(source, target);
        }
    }

    QTemporaryDir m_folder;
};

// The real program on a private bus, started and watched the way the control software's
// side sees it: by its bus name and its process.
class ProgramUnderTest {
public:
    static constexpr int TimeoutMs = 60000;

    ProgramUnderTest(PrivateSessionBus& bus, const QString& connectionName)
        : m_bus(bus)
        , m_connectionName(connectionName)
        , m_connection(bus.connect(connectionName))
        , m_watcher(serviceName(), m_connection,
                    QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration)
        , m_registered(&m_watcher, &QDBusServiceWatcher::serviceRegistered)
        , m_unregistered(&m_watcher, &QDBusServiceWatcher::serviceUnregistered)
    {
        m_process.setProcessEnvironment(bus.environment());
        // What the program reports (sanitizers among it) shows in the test's log.
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }

    ~ProgramUnderTest()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(TimeoutMs);
        }
        for (qint64 pid : m_startedByBus)
            killIfOurs(pid);
        for (const QString& name : std::as_const(m_clientConnections))
            QDBusConnection::disconnectFromBus(name);
        QDBusConnection::disconnectFromBus(m_connectionName);
    }

    static QString serviceName()
    {
        return Automation_BusNames::serviceName(QStringLiteral("zelvorin"), QStringLiteral("COM_Class"));
    }

    static QString programPath()
    {
        static const PrivateProgramFolder folder;
        return folder.programPath();
    }

    void start(const QStringList& arguments, const QString& program = programPath())
    {
        m_process.start(program, arguments);
    }

    bool isServiceRegistered() { return m_connection.interface()->isServiceRegistered(serviceName()).value(); }

    // The program owns the bus name.
    bool waitForService() { return isServiceRegistered() || (m_registered.wait(TimeoutMs) && isServiceRegistered()); }

    // Nobody owns the bus name any more.
    bool waitForServiceGone()
    {
        return !isServiceRegistered() || (m_unregistered.wait(TimeoutMs) && !isServiceRegistered());
    }

    bool waitForExit() { return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(TimeoutMs); }

    // A client on a connection of its own with an object of the program's class; null, with
    // a warning, when it got none.
    std::unique_ptr<Automation_Client> attach(const QString& connectionName)
    {
        m_clientConnections << connectionName;
        auto client = std::make_unique<Automation_Client>(m_bus.connect(connectionName));
        QString error;
        if (!client->attach(serviceName(), QStringLiteral("COM_Class"), error)) {
            qWarning("%s: %s", qPrintable(connectionName), qPrintable(error));
            return nullptr;
        }
        return client;
    }

    QProcess& process() { return m_process; }
    QDBusConnection connection() const { return m_connection; }

    // A process the bus started for a client; killed at the end should it still run.
    qint64 rememberStartedByBus(const QString& uniqueName)
    {
        const QDBusReply<uint> pid = m_connection.interface()->servicePid(uniqueName);
        if (!pid.isValid())
            return -1;
        m_startedByBus << pid.value();
        return pid.value();
    }

    static QString commandLineOf(qint64 pid)
    {
        QFile file(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (!file.open(QIODevice::ReadOnly))
            return QString();
        return QString::fromLocal8Bit(file.readAll().replace('\0', ' ')).trimmed();
    }

private:
    static void killIfOurs(qint64 pid)
    {
        if (commandLineOf(pid).contains(QLatin1String("-activex")))
            ::kill(pid_t(pid), SIGKILL);
    }

    PrivateSessionBus& m_bus;
    QString m_connectionName;
    QStringList m_clientConnections;
    QDBusConnection m_connection;
    QDBusServiceWatcher m_watcher;
    QSignalSpy m_registered;
    QSignalSpy m_unregistered;
    QProcess m_process;
    QList<qint64> m_startedByBus;
};
