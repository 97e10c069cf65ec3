#include "AutomationTestClass.h"
#include "Automation_BusNames.h"
#include "Automation_Client.h"
#include "Automation_Server.h"
#include "PrivateSessionBus.h"

#include <QThread>
#include <QtTest>

#include <functional>
#include <memory>

// The client blocks on its calls, so it runs in a thread of its own while the server
// answers in this one.
class tst_Automation_Client : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void callsWithText_data();
    void callsWithText();
    void refusesWhatDoesNotFit_data();
    void refusesWhatDoesNotFit();
    void attachToMissingServer();

private:
    void runClient(const std::function<void(Automation_Client&)>& work);

    PrivateSessionBus m_bus;
    std::unique_ptr<Automation_Server> m_server;
    int m_clientSerial = 0;
};

void tst_Automation_Client::initTestCase()
{
    QVERIFY2(m_bus.start(), qPrintable(m_bus.error()));
    m_server
        = std::make_unique<Automation_Server>(new AutomationTestFactory(), m_bus.connect(QStringLiteral("server")));
    QVERIFY(m_server->start(QAxFactory::SingleInstance));
}

void tst_Automation_Client::cleanupTestCase()
{
    m_server.reset();
}

void tst_Automation_Client::runClient(const std::function<void(Automation_Client&)>& work)
{
    const QString connectionName = QStringLiteral("client") + QString::number(++m_clientSerial);
    Automation_Client client(m_bus.connect(connectionName));
    std::unique_ptr<QThread> thread(QThread::create([&] { work(client); }));
    QSignalSpy finished(thread.get(), &QThread::finished);
    thread->start();
    QVERIFY(finished.wait(60000));
    QDBusConnection::disconnectFromBus(connectionName);
}

void tst_Automation_Client::callsWithText_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("return value and output") << "Add" << QStringList{"40", "2"} << QStringList{"result: 7", "sum: 42"};
    QTest::newRow("list output") << "Split" << QStringList{"a bb"}
                                 << QStringList{"result: 0", "parts: [a, bb]", "count: 2"};
    QTest::newRow("text with blanks") << "Echo" << QStringList{" x y "} << QStringList{"result:  x y "};
    QTest::newRow("numbers") << "Scale" << QStringList{"0.1", "3"} << QStringList{"result: 0.30000000000000004"};
    QTest::newRow("no outputs") << "Nothing" << QStringList{} << QStringList{};
}

void tst_Automation_Client::callsWithText()
{
    QFETCH(QString, method);
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, lines);
    // Single use: each client finds the class offered again.
    QVERIFY(m_server->start(QAxFactory::SingleInstance));
    QString attachError;
    QString callError;
    QString releaseError;
    bool called = false;
    QStringList output;
    runClient([&](Automation_Client& client) {
        if (!client.attach(Automation_BusNames::serviceName(AutomationTestFactory::applicationNameText(),
                                                            AutomationTestFactory::key()),
                           AutomationTestFactory::key(), attachError))
            return;
        called = client.callWithText(method, arguments, output, callError);
        client.release(releaseError);
    });
    QVERIFY2(attachError.isEmpty(), qPrintable(attachError));
    QVERIFY2(called, qPrintable(callError));
    QCOMPARE(output, lines);
    QVERIFY2(releaseError.isEmpty(), qPrintable(releaseError));
    QCOMPARE(m_server->objectCount(), 0);
}

void tst_Automation_Client::refusesWhatDoesNotFit_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("unknown method") << "Subtract" << QStringList{"1", "2"};
    QTest::newRow("too few") << "Add" << QStringList{"1"};
    QTest::newRow("too many") << "Add" << QStringList{"1", "2", "3"};
    QTest::newRow("not a number") << "Add" << QStringList{"1", "two"};
    QTest::newRow("not in the method list") << "Unsupported" << QStringList{};
}

void tst_Automation_Client::refusesWhatDoesNotFit()
{
    QFETCH(QString, method);
    QFETCH(QStringList, arguments);
    QVERIFY(m_server->start(QAxFactory::SingleInstance));
    bool called = true;
    QString error;
    QStringList output{QStringLiteral("stale")};
    runClient([&](Automation_Client& client) {
        QString ignored;
        if (!client.attach(Automation_BusNames::serviceName(AutomationTestFactory::applicationNameText(),
                                                            AutomationTestFactory::key()),
                           AutomationTestFactory::key(), ignored))
            return;
        called = client.callWithText(method, arguments, output, error);
        client.release(ignored);
    });
    QVERIFY(!called);
    QVERIFY(!error.isEmpty());
    QVERIFY(output.isEmpty());
}

void tst_Automation_Client::attachToMissingServer()
{
    bool attached = true;
    QString error;
    runClient([&](Automation_Client& client) {
        attached = client.attach(QStringLiteral("zelvorintest.NoSuchClass"), QStringLiteral("NoSuchClass"), error);
    });
    QVERIFY(!attached);
    QVERIFY(error.contains(QStringLiteral("ServiceUnknown")));
}

QTEST_GUILESS_MAIN(tst_Automation_Client)
#include "tst_Automation_Client.moc"
