#include "Automation_Client.h"
#include "ProgramUnderTest.h"

#include <QtTest>

// The program's life as the control software meets it, with the real program on a bus of
// the test's own.
class tst_ProgramLifetime : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startedServerStaysHiddenAndEndsWithItsLastObject();
    void startedServerEndsWhenItsClientLeavesTheBus();
    void startedServerServesSeveralClients();
    void standAloneServesOneClientAtATimeAndGoesOn();
    void startedServerThatCannotServeEnds_data();
    void startedServerThatCannotServeEnds();

private:
    QVariantList call(Automation_Client& client, const QString& method, const QVariantList& arguments = {});

    std::unique_ptr<PrivateSessionBus> m_bus;
    std::unique_ptr<ProgramUnderTest> m_program;
};

void tst_ProgramLifetime::init()
{
    m_bus = std::make_unique<PrivateSessionBus>();
    QVERIFY2(m_bus->start(), qPrintable(m_bus->error()));
    m_program = std::make_unique<ProgramUnderTest>(*m_bus, QStringLiteral("watcher"));
}

void tst_ProgramLifetime::cleanup()
{
    m_program.reset();
    m_bus.reset();
}

QVariantList tst_ProgramLifetime::call(Automation_Client& client, const QString& method, const QVariantList& arguments)
{
    const QDBusMessage reply = client.call(method, arguments);
    if (reply.type() != QDBusMessage::ReplyMessage)
        qWarning("%s: %s", qPrintable(method), qPrintable(reply.errorMessage()));
    return reply.arguments();
}

void tst_ProgramLifetime::startedServerStaysHiddenAndEndsWithItsLastObject()
{
    m_program->start({QStringLiteral("-activex")});
    QVERIFY(m_program->waitForService());
    std::unique_ptr<Automation_Client> client = m_program->attach(QStringLiteral("client"));
    QVERIFY(client);

    QCOMPARE(call(*client, QStringLiteral("Application_IsRunning")), (QVariantList{0, true}));
    QCOMPARE(call(*client, QStringLiteral("Application_GetStartError")), (QVariantList{0, 0}));
    QCOMPARE(call(*client, QStringLiteral("GUI_IsVisible")), (QVariantList{0, false}));
    QCOMPARE(call(*client, QStringLiteral("GUI_Show"), {1}), QVariantList{0});
    QCOMPARE(call(*client, QStringLiteral("GUI_IsVisible")), (QVariantList{0, true}));
    QCOMPARE(call(*client, QStringLiteral("GUI_Show"), {7}), QVariantList{104});
    QCOMPARE(call(*client, QStringLiteral("GUI_Hide")), QVariantList{0});
    QCOMPARE(call(*client, QStringLiteral("GUI_IsVisible")), (QVariantList{0, false}));

    QString error;
    QVERIFY2(client->release(error), qPrintable(error));
    QVERIFY(m_program->waitForExit());
    QCOMPARE(m_program->process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program->process().exitCode(), 0);
    QVERIFY(m_program->waitForServiceGone());
}

void tst_ProgramLifetime::startedServerEndsWhenItsClientLeavesTheBus()
{
    m_program->start({QStringLiteral("/Embedding")});
    QVERIFY(m_program->waitForService());
    std::unique_ptr<Automation_Client> client = m_program->attach(QStringLiteral("client"));
    QVERIFY(client);
    QCOMPARE(call(*client, QStringLiteral("Application_IsRunning")), (QVariantList{0, true}));

    // As a control program that crashed: no release, the connection just ends (with its
    // last handle).
    client.reset();
    QDBusConnection::disconnectFromBus(QStringLiteral("client"));
    QVERIFY(m_program->waitForExit());
    QCOMPARE(m_program->process().exitCode(), 0);
}

void tst_ProgramLifetime::startedServerServesSeveralClients()
{
    m_program->start({QStringLiteral("-activex")});
    QVERIFY(m_program->waitForService());
    std::unique_ptr<Automation_Client> first = m_program->attach(QStringLiteral("first"));
    std::unique_ptr<Automation_Client> second = m_program->attach(QStringLiteral("second"));
    QVERIFY(first && second);
    QCOMPARE(first->serverName(), second->serverName());

    QString error;
    QVERIFY(first->release(error));
    // The other client still has the server.
    QCOMPARE(call(*second, QStringLiteral("Application_GetVersion")), (QVariantList{0, QStringLiteral("1.1.0")}));
    QCOMPARE(m_program->process().state(), QProcess::Running);
    QVERIFY(second->release(error));
    QVERIFY(m_program->waitForExit());
}

void tst_ProgramLifetime::standAloneServesOneClientAtATimeAndGoesOn()
{
    m_program->start({});
    QVERIFY(m_program->waitForService());
    std::unique_ptr<Automation_Client> first = m_program->attach(QStringLiteral("first"));
    QVERIFY(first);
    QCOMPARE(call(*first, QStringLiteral("GUI_IsVisible")), (QVariantList{0, true}));
    // Stand-alone the operator owns the window.
    QCOMPARE(call(*first, QStringLiteral("GUI_Hide")), QVariantList{0});
    QCOMPARE(call(*first, QStringLiteral("GUI_Show"), {7}), QVariantList{0});
    QCOMPARE(call(*first, QStringLiteral("GUI_IsVisible")), (QVariantList{0, true}));

    // Single use: the next client gets a server of its own, which the bus starts from the
    // registration the stand-alone start has written.
    std::unique_ptr<Automation_Client> second = m_program->attach(QStringLiteral("second"));
    QVERIFY(second);
    QVERIFY(second->serverName() != first->serverName());
    const qint64 startedByBus = m_program->rememberStartedByBus(second->serverName());
    QVERIFY(ProgramUnderTest::commandLineOf(startedByBus).endsWith(QLatin1String("-activex")));
    QCOMPARE(call(*second, QStringLiteral("GUI_IsVisible")), (QVariantList{0, false}));
    QString error;
    QVERIFY(second->release(error));

    // Released while the window is shown: the program goes on and takes the next client.
    QVERIFY(first->release(error));
    QCOMPARE(m_program->process().state(), QProcess::Running);
    QVERIFY(m_program->isServiceRegistered());
    std::unique_ptr<Automation_Client> third = m_program->attach(QStringLiteral("third"));
    QVERIFY(third);
    QCOMPARE(call(*third, QStringLiteral("Application_IsRunning")), (QVariantList{0, true}));
    const QDBusReply<uint> standAlonePid = m_program->connection().interface()->servicePid(third->serverName());
    QCOMPARE(qint64(standAlonePid.value()), m_program->process().processId());
    QVERIFY(third->release(error));
    QCOMPARE(m_program->process().state(), QProcess::Running);
}

void tst_ProgramLifetime::startedServerThatCannotServeEnds_data()
{
    QTest::addColumn<bool>("busThere");
    QTest::newRow("name held by another server") << true;
    QTest::newRow("no bus") << false;
}

// Unreachable, such a server would wait hidden forever for a release that never comes.
void tst_ProgramLifetime::startedServerThatCannotServeEnds()
{
    QFETCH(bool, busThere);
    m_program->start({QStringLiteral("-activex")});
    QVERIFY(m_program->waitForService());

    QProcess second;
    QProcessEnvironment environment = m_bus->environment();
    if (!busThere)
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent/bus"));
    second.setProcessEnvironment(environment);
    second.start(ProgramUnderTest::programPath(), {QStringLiteral("-activex")});
    QVERIFY(second.waitForFinished(ProgramUnderTest::TimeoutMs));
    QCOMPARE(second.exitCode(), 1);
    QVERIFY(second.readAllStandardError().contains("cannot offer its classes"));

    // The first server is untouched.
    std::unique_ptr<Automation_Client> client = m_program->attach(QStringLiteral("client"));
    QVERIFY(client);
    QCOMPARE(qint64(m_program->connection().interface()->servicePid(client->serverName()).value()),
             m_program->process().processId());
}

QTEST_GUILESS_MAIN(tst_ProgramLifetime)
#include "tst_ProgramLifetime.moc"
