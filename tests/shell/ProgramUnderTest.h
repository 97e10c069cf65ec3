#pragma once

#include "Automation_BusNames.h"
#include "Automation_Client.h"
#include "PrivateSessionBus.h"

#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>

#include <memory>

#include <signal.h>

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

    static QString programPath() { return QStringLiteral(ZELVORIN_PROGRAM); }

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
