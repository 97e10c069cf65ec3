// Automation calls through the class factory's objects against the same calls to a bare
// object on the same connection (what the transport costs alone), and the one-time zone
// set at program start against the C library's default of looking at /etc/localtime.

#include "AutomationState.h"
#include "Automation_BusNames.h"
#include "Automation_Client.h"
#include "Automation_Server.h"
#include "BenchSupport.h"
#include "PrivateSessionBus.h"
#include "QAxDefaultFactory.h"

#include <QCoreApplication>
#include <QDBusObjectPath>
#include <QEventLoop>
#include <QThread>

#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>

namespace {

constexpr int kCalls = 2000;
constexpr int kObjects = 200;
constexpr int kLocalTimes = 200000;

// The plainest object the bus can call: the transport without the automation class.
class BareObject : public QObject {
    Q_OBJECT
public slots:
    int Echo(int value, QString& text)
    {
        text = QString::number(value);
        return 0;
    }
};

// The client blocks on its calls; the server answers in this thread's event loop.
void inClientThread(const std::function<void()>& work)
{
    QEventLoop loop;
    std::unique_ptr<QThread> thread(QThread::create(work));
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    loop.exec();
    thread->wait();
}

QDBusMessage factoryCall(const QString& destination, const QString& member, const QVariant& argument)
{
    QDBusMessage message = QDBusMessage::createMethodCall(destination, Automation_BusNames::factoryPath(),
                                                          Automation_BusNames::factoryInterface(), member);
    message << argument;
    return message;
}

void localTimes()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    for (int i = 0; i < kLocalTimes; ++i) {
        // What every local-time conversion of Qt does.
        tzset();
        ++now;
        localtime_r(&now, &local);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    PrivateSessionBus bus;
    if (!bus.start()) {
        std::fprintf(stderr, "no bus: %s\n", qPrintable(bus.error()));
        return 1;
    }
    QDBusConnection serverConnection = bus.connect(QStringLiteral("server"));
    Automation_Server server(createAxFactory(), serverConnection);
    server.start(QAxFactory::MultipleInstances);
    BareObject bare;
    serverConnection.registerObject(QStringLiteral("/Bare"), &bare, QDBusConnection::ExportAllSlots);
    setApplicationRunning(true);

    Automation_Client client(bus.connect(QStringLiteral("client")));
    QString error;
    inClientThread([&] {
        client.attach(Automation_BusNames::serviceName(QStringLiteral("zelvorin"), QStringLiteral("COM_Class")),
                      QStringLiteral("COM_Class"), error);
    });
    if (!client.isAttached()) {
        std::fprintf(stderr, "no object: %s\n", qPrintable(error));
        return 1;
    }
    const QString serverName = client.serverName();
    const QDBusConnection connection = client.connection();

    BenchSupport::compare(
        "automation.calls_2000",
        [&] {
            inClientThread([&] {
                for (int i = 0; i < kCalls; ++i)
                    client.call(QStringLiteral("Application_GetErrorText"), {150});
            });
        },
        [&] {
            inClientThread([&] {
                for (int i = 0; i < kCalls; ++i) {
                    QDBusMessage message = QDBusMessage::createMethodCall(serverName, QStringLiteral("/Bare"), QString(),
                                                                          QStringLiteral("Echo"));
                    message << 150;
                    connection.call(message);
                }
            });
        },
        9);

    // An object made and released per round, against two plain calls.
    BenchSupport::compare(
        "automation.create_release_200",
        [&] {
            inClientThread([&] {
                for (int i = 0; i < kObjects; ++i) {
                    const QDBusMessage created =
                        connection.call(factoryCall(serverName, QStringLiteral("CreateObject"), QStringLiteral("COM_Class")));
                    connection.call(factoryCall(serverName, QStringLiteral("Release"), created.arguments().value(0)));
                }
            });
        },
        [&] {
            inClientThread([&] {
                for (int i = 0; i < 2 * kObjects; ++i) {
                    QDBusMessage message = QDBusMessage::createMethodCall(serverName, QStringLiteral("/Bare"), QString(),
                                                                          QStringLiteral("Echo"));
                    message << i;
                    connection.call(message);
                }
            });
        },
        9);

    inClientThread([&] { client.release(error); });

    const QByteArray previousZone = qgetenv("TZ");
    BenchSupport::compare(
        "timezone.localtime_200000",
        [] {
            qputenv("TZ", ":/etc/localtime");
            localTimes();
        },
        [] {
            qunsetenv("TZ");
            localTimes();
        },
        9);
    if (previousZone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", previousZone);
    setApplicationRunning(false);
    return 0;
}

#include "shell_automation_bench.moc"
