#include "Automation_Client.h"
#include "ProgramUnderTest.h"

#include <QDBusArgument>
#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <latch>
#include <vector>

// Eight control programs at once against one started server, each with its own object,
// each making a thousand read-only calls: every call answered, every answer right.
class tst_AutomationLoad : public QObject {
    Q_OBJECT
private slots:
    void eightClientsThousandCallsEach();
};

namespace {

constexpr int c_clients = 8;
constexpr int c_callsPerClient = 1000;

struct ClientResult {
    QString error;
    int answered = 0;
    int wrong = 0;
};

// One read-only call chosen by its number, and whether its answer is the right one.
bool callAndCheck(Automation_Client& client, int call)
{
    switch (call % 5) {
    case 0:
        return client.call(QStringLiteral("Application_GetVersion")).arguments()
            == QVariantList{0, QStringLiteral("1.1.0")};
    case 1:
        return client.call(QStringLiteral("Application_IsRunning")).arguments() == QVariantList{0, true};
    case 2:
        return client.call(QStringLiteral("Application_GetErrorText"), {150}).arguments()
            == QVariantList{0, QStringLiteral("Cannot load the colony settings")};
    case 3:
        return client.call(QStringLiteral("GUI_IsVisible")).arguments() == QVariantList{0, false};
    default: {
        const QVariantList reply = client.call(QStringLiteral("Settings_GetColonySettingsNamesList")).arguments();
        return reply.size() == 2 && reply.at(0) == 0
            && qdbus_cast<QVariantList>(reply.at(1)).contains(QStringLiteral("default"));
    }
    }
}

} // namespace

void tst_AutomationLoad::eightClientsThousandCallsEach()
{
    PrivateSessionBus bus;
    QVERIFY2(bus.start(), qPrintable(bus.error()));
    ProgramUnderTest program(bus, QStringLiteral("watcher"));
    program.start({QStringLiteral("-activex")});
    QVERIFY(program.waitForService());

    std::vector<ClientResult> results(c_clients);
    std::latch attached(c_clients);
    std::latch go(1);
    std::vector<std::unique_ptr<QThread>> threads;
    for (int i = 0; i < c_clients; ++i) {
        threads.emplace_back(QThread::create([&, i] {
            ClientResult& result = results[std::size_t(i)];
            const QString name = QStringLiteral("client%1").arg(i);
            {
                Automation_Client client(bus.connect(name));
                const bool ok
                    = client.attach(ProgramUnderTest::serviceName(), QStringLiteral("COM_Class"), result.error);
                attached.count_down();
                // All clients hold their objects before the first call, so the calls overlap.
                go.wait();
                if (ok) {
                    for (int call = 0; call < c_callsPerClient; ++call) {
                        ++result.answered;
                        if (!callAndCheck(client, call + i))
                            ++result.wrong;
                    }
                    client.release(result.error);
                }
            }
            QDBusConnection::disconnectFromBus(name);
        }));
        threads.back()->start();
    }
    attached.wait();
    QElapsedTimer timer;
    timer.start();
    go.count_down();
    for (const auto& thread : threads)
        QVERIFY(thread->wait(QDeadlineTimer(5 * 60 * 1000)));
    const qint64 elapsedMs = timer.elapsed();

    for (int i = 0; i < c_clients; ++i) {
        const ClientResult& result = results[std::size_t(i)];
        QVERIFY2(result.error.isEmpty(), qPrintable(QStringLiteral("client %1: %2").arg(i).arg(result.error)));
        QCOMPARE(result.answered, c_callsPerClient);
        QCOMPARE(result.wrong, 0);
    }
    qInfo("%d calls in %lld ms", c_clients * c_callsPerClient, elapsedMs);
    // The last release ends the started server.
    QVERIFY(program.waitForExit());
    QCOMPARE(program.process().exitCode(), 0);
}

QTEST_GUILESS_MAIN(tst_AutomationLoad)
#include "tst_AutomationLoad.moc"
