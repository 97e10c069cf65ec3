#include "AutomationTestClass.h"
#include "Automation_BusNames.h"
#include "Automation_Call.h"
#include "Automation_Server.h"
#include "PrivateSessionBus.h"

#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QPointer>
#include <QtTest>

#include <memory>

class tst_Automation_Server : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void createCallRelease();
    void objectsGetPathsOfTheirOwn();
    void releaseChecksOwnerAndPath_data();
    void releaseChecksOwnerAndPath();
    void clientLeavingReleasesItsObjects();
    void singleUseServesOneClient();
    void multipleUseServesEveryClient();
    void startedServerServesEveryClient();
    void stopKeepsObjectsReleasable();
    void unknownClass();
    void nameHeldByAnotherProgram();
    void lastReleaseEndsOnlyAStartedServerThatIsNoService_data();
    void lastReleaseEndsOnlyAStartedServerThatIsNoService();
    void destructionDeletesObjectsWithoutQuitting();
    void pathsDifferAcrossRuns();
    void onlyTheOwnerCallsItsObject();
    void laterAnswersDoNotWaitForEachOther();
    void callsStillWaitingAtTheEndGetAnError();
    void callOutlivesItsReleasedObject();

private:
    QDBusMessage createObject(const QDBusConnection& client, const QString& destination,
                              const QString& key = AutomationTestFactory::key());
    QDBusMessage release(const QDBusConnection& client, const QString& destination, const QString& path);
    QDBusMessage call(const QDBusConnection& client, const QString& destination, const QString& path,
                      const QString& method, const QVariantList& arguments);
    QDBusPendingCall callLater(const QDBusConnection& client, const QString& path, int key);
    QString serviceName() const;
    QString serverName() const { return m_serverConnection.baseService(); }
    void makeServer(bool service = true);

    PrivateSessionBus m_bus;
    QDBusConnection m_serverConnection{QString()};
    QDBusConnection m_clientA{QString()};
    QDBusConnection m_clientB{QString()};
    std::unique_ptr<Automation_Server> m_server;
    int m_quitCount = 0;
    int m_connectionSerial = 0;
};

void tst_Automation_Server::initTestCase()
{
    QVERIFY2(m_bus.start(), qPrintable(m_bus.error()));
}

void tst_Automation_Server::init()
{
    const QString serial = QString::number(++m_connectionSerial);
    m_serverConnection = m_bus.connect(QStringLiteral("server") + serial);
    m_clientA = m_bus.connect(QStringLiteral("clientA") + serial);
    m_clientB = m_bus.connect(QStringLiteral("clientB") + serial);
    QVERIFY(m_serverConnection.isConnected() && m_clientA.isConnected() && m_clientB.isConnected());
    makeServer();
}

void tst_Automation_Server::cleanup()
{
    Automation_Call::endAll();
    m_server.reset();
    QCOMPARE(AutomationTestClass::liveObjects(), 0);
    QDBusConnection::disconnectFromBus(m_serverConnection.name());
    QDBusConnection::disconnectFromBus(m_clientA.name());
    QDBusConnection::disconnectFromBus(m_clientB.name());
}

void tst_Automation_Server::makeServer(bool service)
{
    m_server.reset();
    m_server = std::make_unique<Automation_Server>(new AutomationTestFactory(service), m_serverConnection);
    m_quitCount = 0;
    m_server->setQuitFunction([this] { ++m_quitCount; });
}

QString tst_Automation_Server::serviceName() const
{
    return Automation_BusNames::serviceName(AutomationTestFactory::applicationNameText(), AutomationTestFactory::key());
}

QDBusMessage tst_Automation_Server::createObject(const QDBusConnection& client, const QString& destination,
                                                 const QString& key)
{
    QDBusMessage message
        = QDBusMessage::createMethodCall(destination, Automation_BusNames::factoryPath(),
                                         Automation_BusNames::factoryInterface(), QStringLiteral("CreateObject"));
    message << key;
    return PrivateSessionBus::callAndWait(client, message);
}

QDBusMessage tst_Automation_Server::release(const QDBusConnection& client, const QString& destination,
                                            const QString& path)
{
    QDBusMessage message
        = QDBusMessage::createMethodCall(destination, Automation_BusNames::factoryPath(),
                                         Automation_BusNames::factoryInterface(), QStringLiteral("Release"));
    message << QVariant::fromValue(QDBusObjectPath(path));
    return PrivateSessionBus::callAndWait(client, message);
}

QDBusMessage tst_Automation_Server::call(const QDBusConnection& client, const QString& destination, const QString& path,
                                         const QString& method, const QVariantList& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(destination, path, QString(), method);
    message.setArguments(arguments);
    return PrivateSessionBus::callAndWait(client, message);
}

QDBusPendingCall tst_Automation_Server::callLater(const QDBusConnection& client, const QString& path, int key)
{
    QDBusMessage message = QDBusMessage::createMethodCall(serverName(), path, QString(), QStringLiteral("Later"));
    message << key;
    return client.asyncCall(message, 60000);
}

static QString pathOf(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1)
        return QString();
    return reply.arguments().constFirst().value<QDBusObjectPath>().path();
}

void tst_Automation_Server::createCallRelease()
{
    QVERIFY(m_server->start(QAxFactory::MultipleInstances));
    QVERIFY(m_clientA.interface()->isServiceRegistered(serviceName()));

    const QDBusMessage created = createObject(m_clientA, serviceName());
    const QString path = pathOf(created);
    QVERIFY2(!path.isEmpty(), qPrintable(created.errorMessage()));
    QCOMPARE(created.service(), serverName());
    QCOMPARE(m_server->objectCount(), 1);
    QCOMPARE(AutomationTestClass::liveObjects(), 1);

    // The return value comes first, then the reference outputs in their order.
    const QDBusMessage added = call(m_clientA, serverName(), path, QStringLiteral("Add"), {40, 2});
    QCOMPARE(added.arguments(), (QVariantList{7, 42}));
    const QDBusMessage split = call(m_clientA, serverName(), path, QStringLiteral("Split"), {QStringLiteral("a bb c")});
    QCOMPARE(split.arguments().size(), 3);
    QCOMPARE(split.arguments().at(0).toInt(), 0);
    QCOMPARE(qdbus_cast<QVariantList>(split.arguments().at(1)),
             (QVariantList{QStringLiteral("a"), QStringLiteral("bb"), QStringLiteral("c")}));
    QCOMPARE(split.arguments().at(2).toInt(), 3);

    QCOMPARE(release(m_clientA, serverName(), path).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(m_server->objectCount(), 0);
    QCOMPARE(AutomationTestClass::liveObjects(), 0);
    // The path is gone with the object.
    QCOMPARE(call(m_clientA, serverName(), path, QStringLiteral("Add"), {1, 2}).type(), QDBusMessage::ErrorMessage);
}

void tst_Automation_Server::objectsGetPathsOfTheirOwn()
{
    QVERIFY(m_server->start(QAxFactory::MultipleInstances));
    const QString first = pathOf(createObject(m_clientA, serviceName()));
    const QString second = pathOf(createObject(m_clientA, serviceName()));
    QVERIFY(!first.isEmpty() && !second.isEmpty());
    QVERIFY(first != second);
    QCOMPARE(release(m_clientA, serverName(), first).type(), QDBusMessage::ReplyMessage);
    // A released path is never handed out again, so a late call cannot reach a newer object.
    const QString third = pathOf(createObject(m_clientA, serviceName()));
    QVERIFY(third != first);
    QCOMPARE(m_server->objectCount(), 2);
}

void tst_Automation_Server::releaseChecksOwnerAndPath_data()
{
    QTest::addColumn<bool>("byOwner");
    QTest::addColumn<bool>("existingPath");
    QTest::addColumn<QString>("errorName");
    QTest::newRow("another client") << false << true << Automation_BusNames::errorNotOwner();
    QTest::newRow("unknown path") << true << false << Automation_BusNames::errorUnknownObject();
}

void tst_Automation_Server::releaseChecksOwnerAndPath()
{
    QFETCH(bool, byOwner);
    QFETCH(bool, existingPath);
    QFETCH(QString, errorName);
    QVERIFY(m_server->start(QAxFactory::MultipleInstances));
    const QString path = pathOf(createObject(m_clientA, serviceName()));
    QVERIFY(!path.isEmpty());

    const QDBusMessage reply = release(byOwner ? m_clientA : m_clientB, serverName(),
                                       existingPath ? path : QStringLiteral("/TestClass/999"));
    QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
    QCOMPARE(reply.errorName(), errorName);
    QCOMPARE(m_server->objectCount(), 1);
    QCOMPARE(call(m_clientA, serverName(), path, QStringLiteral("Echo"), {QStringLiteral("x")}).arguments(),
             QVariantList{QStringLiteral("x")});
}

void tst_Automation_Server::clientLeavingReleasesItsObjects()
{
    QVERIFY(m_server->start(QAxFactory::MultipleInstances));
    const QString first = pathOf(createObject(m_clientA, serviceName()));
    const QString second = pathOf(createObject(m_clientA, serviceName()));
    const QString other = pathOf(createObject(m_clientB, serviceName()));
    QVERIFY(!first.isEmpty() && !second.isEmpty() && !other.isEmpty());
    QPointer<QObject> firstObject = m_serverConnection.objectRegisteredAt(first);
    QPointer<QObject> secondObject = m_serverConnection.objectRegisteredAt(second);
    QVERIFY(firstObject && secondObject);

    QSignalSpy secondDestroyed(secondObject.data(), &QObject::destroyed);
    // The client ends without releasing, as a crashed control program would. The connection
    // closes with its last handle.
    const QString clientName = m_clientA.name();
    m_clientA = QDBusConnection(QString());
    QDBusConnection::disconnectFromBus(clientName);
    QVERIFY(secondDestroyed.wait(30000) || secondDestroyed.count() == 1);
    QVERIFY(firstObject.isNull());
    QCOMPARE(m_server->objectCount(), 1);
    QCOMPARE(call(m_clientB, serverName(), other, QStringLiteral("Negate"), {true}).arguments(), QVariantList{false});
}

void tst_Automation_Server::singleUseServesOneClient()
{
    QVERIFY(m_server->start(QAxFactory::SingleInstance));
    const QString path = pathOf(createObject(m_clientA, serviceName()));
    QVERIFY(!path.isEmpty());

    // The name is given up at once: the bus would start another program for the next client.
    QVERIFY(!m_clientB.interface()->isServiceRegistered(serviceName()));
    QVERIFY(!m_server->isOffered(AutomationTestFactory::key()));
    const QDBusMessage refused = createObject(m_clientB, serverName());
    QCOMPARE(refused.errorName(), Automation_BusNames::errorClassNotOffered());

    QVERIFY(m_server->start(QAxFactory::SingleInstance));
    QVERIFY(!pathOf(createObject(m_clientB, serviceName())).isEmpty());
    QCOMPARE(m_server->objectCount(), 2);
}

void tst_Automation_Server::multipleUseServesEveryClient()
{
    QVERIFY(m_server->start(QAxFactory::MultipleInstances));
    QVERIFY(!pathOf(createObject(m_clientA, serviceName())).isEmpty());
    QVERIFY(!pathOf(createObject(m_clientB, serviceName())).isEmpty());
    QVERIFY(m_clientB.interface()->isServiceRegistered(serviceName()));
    QCOMPARE(m_server->objectCount(), 2);
}

void tst_Automation_Server::startedServerServesEveryClient()
{
    m_server->setStartedAsServer(true);
    QVERIFY(QAxFactory::isServer());
    // A program started by the bus offers its class to every client, whatever main asks.
    QVERIFY(QAxFactory::startServer(QAxFactory::SingleInstance));
    QVERIFY(!pathOf(createObject(m_clientA, serviceName())).isEmpty());
    QVERIFY(!pathOf(createObject(m_clientB, serviceName())).isEmpty());
}

void tst_Automation_Server::stopKeepsObjectsReleasable()
{
    QVERIFY(m_server->start(QAxFactory::MultipleInstances));
    const QString path = pathOf(createObject(m_clientA, serviceName()));
    QVERIFY(!path.isEmpty());

    QVERIFY(QAxFactory::stopServer());
    QVERIFY(!m_clientA.interface()->isServiceRegistered(serviceName()));
    QCOMPARE(createObject(m_clientB, serverName()).errorName(), Automation_BusNames::errorClassNotOffered());
    QCOMPARE(call(m_clientA, serverName(), path, QStringLiteral("Scale"), {2.5, 4.0}).arguments(), QVariantList{10.0});
    QCOMPARE(release(m_clientA, serverName(), path).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(m_server->objectCount(), 0);
}

void tst_Automation_Server::unknownClass()
{
    QVERIFY(m_server->start(QAxFactory::MultipleInstances));
    const QDBusMessage reply = createObject(m_clientA, serviceName(), QStringLiteral("NoSuchClass"));
    QCOMPARE(reply.errorName(), Automation_BusNames::errorUnknownClass());
    QCOMPARE(m_server->objectCount(), 0);
    // Still offered: a wrong request uses nothing up.
    QVERIFY(!pathOf(createObject(m_clientA, serviceName())).isEmpty());
}

void tst_Automation_Server::nameHeldByAnotherProgram()
{
    QVERIFY(m_clientB.registerService(serviceName()));
    QVERIFY(!m_server->start(QAxFactory::SingleInstance));
    QVERIFY(!m_server->isOffered(AutomationTestFactory::key()));
    QVERIFY(m_clientB.unregisterService(serviceName()));
    QVERIFY(m_server->start(QAxFactory::SingleInstance));
}

void tst_Automation_Server::lastReleaseEndsOnlyAStartedServerThatIsNoService_data()
{
    QTest::addColumn<bool>("startedAsServer");
    QTest::addColumn<bool>("service");
    QTest::addColumn<int>("quits");
    QTest::newRow("started, no service") << true << false << 1;
    QTest::newRow("started, service") << true << true << 0;
    QTest::newRow("stand-alone, no service") << false << false << 0;
}

void tst_Automation_Server::lastReleaseEndsOnlyAStartedServerThatIsNoService()
{
    QFETCH(bool, startedAsServer);
    QFETCH(bool, service);
    QFETCH(int, quits);
    makeServer(service);
    m_server->setStartedAsServer(startedAsServer);
    QVERIFY(m_server->start(QAxFactory::MultipleInstances));
    const QString first = pathOf(createObject(m_clientA, serviceName()));
    const QString second = pathOf(createObject(m_clientB, serviceName()));
    QVERIFY(!first.isEmpty() && !second.isEmpty());

    QCOMPARE(release(m_clientA, serverName(), first).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(m_quitCount, 0);
    QCOMPARE(release(m_clientB, serverName(), second).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(m_quitCount, quits);
}

void tst_Automation_Server::destructionDeletesObjectsWithoutQuitting()
{
    makeServer(false);
    m_server->setStartedAsServer(true);
    QVERIFY(m_server->start(QAxFactory::MultipleInstances));
    QVERIFY(!pathOf(createObject(m_clientA, serviceName())).isEmpty());
    QCOMPARE(AutomationTestClass::liveObjects(), 1);
    int quits = 0;
    m_server->setQuitFunction([&quits] { ++quits; });
    m_server.reset();
    QCOMPARE(AutomationTestClass::liveObjects(), 0);
    QCOMPARE(quits, 0);
    QVERIFY(!m_clientA.interface()->isServiceRegistered(serviceName()));
    QVERIFY(!QAxFactory::isServer());
}

void tst_Automation_Server::pathsDifferAcrossRuns()
{
    QVERIFY(m_server->start(QAxFactory::MultipleInstances));
    const QString before = pathOf(createObject(m_clientA, serviceName()));
    QVERIFY(!before.isEmpty());
    makeServer();
    QVERIFY(m_server->start(QAxFactory::MultipleInstances));
    const QString after = pathOf(createObject(m_clientB, serviceName()));
    QVERIFY(!after.isEmpty());
    // Both first objects of their runs: only the run tells them apart.
    QVERIFY2(after != before, qPrintable(after));
    // A path kept from the earlier run reaches nothing of this one.
    const QDBusMessage late = call(m_clientA, serverName(), before, QStringLiteral("Echo"), {QStringLiteral("x")});
    QCOMPARE(late.type(), QDBusMessage::ErrorMessage);
}

void tst_Automation_Server::onlyTheOwnerCallsItsObject()
{
    QVERIFY(m_server->start(QAxFactory::MultipleInstances));
    const QString path = pathOf(createObject(m_clientA, serviceName()));
    QVERIFY(!path.isEmpty());
    const QDBusMessage refused = call(m_clientB, serverName(), path, QStringLiteral("Owned"), {5});
    QCOMPARE(refused.type(), QDBusMessage::ErrorMessage);
    QCOMPARE(refused.errorName(), Automation_BusNames::errorNotOwner());
    QCOMPARE(call(m_clientA, serverName(), path, QStringLiteral("Owned"), {5}).arguments(), (QVariantList{0, 5}));
}

void tst_Automation_Server::laterAnswersDoNotWaitForEachOther()
{
    QVERIFY(m_server->start(QAxFactory::MultipleInstances));
    const QString pathA = pathOf(createObject(m_clientA, serviceName()));
    const QString pathB = pathOf(createObject(m_clientB, serviceName()));
    QVERIFY(!pathA.isEmpty() && !pathB.isEmpty());
    const QDBusPendingCall first = callLater(m_clientA, pathA, 101);
    const QDBusPendingCall second = callLater(m_clientB, pathB, 102);
    // Both wait; the later one is let go first and answered while the earlier still waits.
    QTRY_COMPARE(Automation_Call::waitingCount(), 2);
    AutomationTestClass::release(102);
    QTRY_VERIFY(second.isFinished());
    QCOMPARE(second.reply().arguments(), (QVariantList{0, 204}));
    QVERIFY(!first.isFinished());
    // Meanwhile the server answers anything else at once.
    QCOMPARE(call(m_clientB, serverName(), pathB, QStringLiteral("Negate"), {false}).arguments(), QVariantList{true});
    AutomationTestClass::release(101);
    QTRY_VERIFY(first.isFinished());
    QCOMPARE(first.reply().arguments(), (QVariantList{0, 202}));
}

void tst_Automation_Server::callsStillWaitingAtTheEndGetAnError()
{
    QVERIFY(m_server->start(QAxFactory::MultipleInstances));
    const QString path = pathOf(createObject(m_clientA, serviceName()));
    QVERIFY(!path.isEmpty());
    const QDBusPendingCall waiting = callLater(m_clientA, path, 103);
    QTRY_COMPARE(Automation_Call::waitingCount(), 1);
    Automation_Call::endAll();
    QTRY_VERIFY(waiting.isFinished());
    QVERIFY(waiting.isError());
    QCOMPARE(waiting.error().name(), Automation_BusNames::errorNotAnswered());
}

void tst_Automation_Server::callOutlivesItsReleasedObject()
{
    QVERIFY(m_server->start(QAxFactory::MultipleInstances));
    const QString path = pathOf(createObject(m_clientA, serviceName()));
    QVERIFY(!path.isEmpty());
    const QDBusPendingCall waiting = callLater(m_clientA, path, 105);
    QTRY_COMPARE(Automation_Call::waitingCount(), 1);
    QCOMPARE(release(m_clientA, serverName(), path).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(AutomationTestClass::liveObjects(), 0);
    // The call keeps nothing of its object: it ends on its own and is still answered.
    AutomationTestClass::release(105);
    QTRY_VERIFY(waiting.isFinished());
    QCOMPARE(waiting.reply().arguments(), (QVariantList{0, 210}));
    QCOMPARE(Automation_Call::waitingCount(), 0);
}

QTEST_GUILESS_MAIN(tst_Automation_Server)
#include "tst_Automation_Server.moc"
