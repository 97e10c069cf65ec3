#include "Automation_BusNames.h"
#include "Automation_Client.h"
#include "ProgramUnderTest.h"

#include <QDBusObjectPath>
#include <QtTest>

#include <cmath>
#include <limits>

// Calls a careless or hostile client could make. Each gets an error reply or a result code;
// the server answers the next call as before.
class tst_AutomationNonsense : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void wrongCalls_data();
    void wrongCalls();
    void nonsenseValues_data();
    void nonsenseValues();
    void factoryMisuse_data();
    void factoryMisuse();

private:
    void serverStillAnswers();

    std::unique_ptr<PrivateSessionBus> m_bus;
    std::unique_ptr<ProgramUnderTest> m_program;
    std::unique_ptr<Automation_Client> m_client;
};

void tst_AutomationNonsense::initTestCase()
{
    m_bus = std::make_unique<PrivateSessionBus>();
    QVERIFY2(m_bus->start(), qPrintable(m_bus->error()));
    m_program = std::make_unique<ProgramUnderTest>(*m_bus, QStringLiteral("watcher"));
    m_program->start({QStringLiteral("-activex")});
    QVERIFY(m_program->waitForService());
    m_client = m_program->attach(QStringLiteral("client"));
    QVERIFY(m_client);
}

void tst_AutomationNonsense::cleanupTestCase()
{
    QString error;
    if (m_client)
        QVERIFY(m_client->release(error));
    m_client.reset();
    QVERIFY(m_program->waitForExit());
    QCOMPARE(m_program->process().exitStatus(), QProcess::NormalExit);
    m_program.reset();
    m_bus.reset();
}

void tst_AutomationNonsense::serverStillAnswers()
{
    QCOMPARE(m_client->call(QStringLiteral("Application_IsRunning")).arguments(), (QVariantList{0, true}));
}

void tst_AutomationNonsense::wrongCalls_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QVariantList>("arguments");
    QTest::newRow("text for a number") << "GUI_Show" << QVariantList{QStringLiteral("1")};
    QTest::newRow("number for a text") << "Camera_Open" << QVariantList{5};
    QTest::newRow("missing argument") << "Application_GetErrorText" << QVariantList{};
    QTest::newRow("one argument too many") << "GUI_Hide" << QVariantList{1};
    QTest::newRow("outputs sent as inputs") << "Camera_IsOpen" << QVariantList{true};
    QTest::newRow("unknown method") << "Application_Format" << QVariantList{};
    QTest::newRow("list for a number") << "GUI_Show" << QVariantList{QVariant(QVariantList{1})};
    QTest::newRow("double for an int") << "GUI_Show" << QVariantList{1.0};
}

void tst_AutomationNonsense::wrongCalls()
{
    QFETCH(QString, method);
    QFETCH(QVariantList, arguments);
    const QDBusMessage reply = m_client->call(method, arguments);
    QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
    serverStillAnswers();
}

void tst_AutomationNonsense::nonsenseValues_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QVariantList>("arguments");
    QTest::addColumn<QVariantList>("reply");
    const int intMin = std::numeric_limits<int>::min();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    QTest::newRow("error text of the largest int") << "Application_GetErrorText" << QVariantList{INT_MAX}
                                                   << QVariantList{0, QStringLiteral("Unknow error 2147483647")};
    QTest::newRow("error text of the smallest int") << "Application_GetErrorText" << QVariantList{intMin}
                                                    << QVariantList{0, QStringLiteral("Unknow error -2147483648")};
    QTest::newRow("window mode out of range") << "GUI_Show" << QVariantList{intMin} << QVariantList{104};
    QTest::newRow("not a number everywhere")
        << "GUI_LiveView_CameraFocus_Show" << QVariantList{nan, nan, infinity, -infinity, nan, nan, nan}
        << QVariantList{3};
    // A settings name, never a path, and none longer than a file name.
    QTest::newRow("a megabyte of text") << "Camera_Open" << QVariantList{QString(1 << 20, QLatin1Char('x'))}
                                        << QVariantList{104};
    QTest::newRow("list of anything") << "AnalyseColonies_ExportToZipArchive"
                                      << QVariantList{QVariant(QVariantList{QStringLiteral("rack"), 1.5,
                                                                            QVariant(QVariantList{1, 2})}),
                                                      QString(), true}
                                      << QVariantList{72};
    QTest::newRow("empty channel pattern, empty list")
        << "Database_RetrieveColonyPositions" << QVariantList{-1, QVariant(QVariantList{}), QString()}
        << QVariantList{0, QString(), 0, 0, QVariantList{}, QVariantList{}, QVariantList{}, QVariantList{}};
}

void tst_AutomationNonsense::nonsenseValues()
{
    QFETCH(QString, method);
    QFETCH(QVariantList, arguments);
    QFETCH(QVariantList, reply);
    QVariantList received = m_client->call(method, arguments).arguments();
    for (QVariant& value : received) {
        if (value.userType() == qMetaTypeId<QDBusArgument>())
            value = qdbus_cast<QVariantList>(value.value<QDBusArgument>());
    }
    QCOMPARE(received, reply);
    serverStillAnswers();
}

void tst_AutomationNonsense::factoryMisuse_data()
{
    QTest::addColumn<QString>("member");
    QTest::addColumn<QVariantList>("arguments");
    QTest::addColumn<QString>("errorName");
    QTest::newRow("unknown class") << "CreateObject" << QVariantList{QStringLiteral("Shell")}
                                   << Automation_BusNames::errorUnknownClass();
    QTest::newRow("empty class name") << "CreateObject" << QVariantList{QString()}
                                      << Automation_BusNames::errorUnknownClass();
    QTest::newRow("release of an unknown path")
        << "Release" << QVariantList{QVariant::fromValue(QDBusObjectPath(QStringLiteral("/COM_Class/424242")))}
        << Automation_BusNames::errorUnknownObject();
    QTest::newRow("release of the factory itself")
        << "Release" << QVariantList{QVariant::fromValue(QDBusObjectPath(Automation_BusNames::factoryPath()))}
        << Automation_BusNames::errorUnknownObject();
}

void tst_AutomationNonsense::factoryMisuse()
{
    QFETCH(QString, member);
    QFETCH(QVariantList, arguments);
    QFETCH(QString, errorName);
    QDBusMessage message = QDBusMessage::createMethodCall(m_client->serverName(), Automation_BusNames::factoryPath(),
                                                          Automation_BusNames::factoryInterface(), member);
    message.setArguments(arguments);
    const QDBusMessage reply = m_client->connection().call(message, QDBus::Block, ProgramUnderTest::TimeoutMs);
    QCOMPARE(reply.errorName(), errorName);
    serverStillAnswers();
}

QTEST_GUILESS_MAIN(tst_AutomationNonsense)
#include "tst_AutomationNonsense.moc"
