#include "AutomationState.h"
#include "Automation_Server.h"
#include "COM_Class.h"
#include "FakeAutomationOperations.h"
#include "PrivateSessionBus.h"
#include "QAxDefaultFactory.h"

#include <QtTest>

#include <memory>

// What the release of the last automation object decides, with a real server on a bus of
// the test's own to see whether the class is offered again.
class tst_AutomationState : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void lastReleaseDecidesTheEnd_data();
    void lastReleaseDecidesTheEnd();
    void onlyTheLastReleaseCounts();

private:
    PrivateSessionBus m_bus;
    std::unique_ptr<Automation_Server> m_server;
    FakeAutomationOperations m_window;
    int m_quits = 0;
};

void tst_AutomationState::initTestCase()
{
    QVERIFY2(m_bus.start(), qPrintable(m_bus.error()));
    m_server = std::make_unique<Automation_Server>(createAxFactory(), m_bus.connect(QStringLiteral("server")));
    setApplicationQuitFunction([this] { ++m_quits; });
}

void tst_AutomationState::cleanup()
{
    setApplicationRunning(false);
    setAutomationMainWindow(nullptr);
    setAutomationServer(false);
    m_server->setStartedAsServer(false);
    m_server->stop();
    m_quits = 0;
    QCOMPARE(automationObjectCount(), 0);
}

void tst_AutomationState::lastReleaseDecidesTheEnd_data()
{
    QTest::addColumn<bool>("startedAsServer");
    QTest::addColumn<int>("window"); // 0 none, 1 shown, 2 hidden
    QTest::addColumn<bool>("running");
    QTest::addColumn<int>("quits");
    QTest::addColumn<bool>("offeredAfter");

    QTest::newRow("started server") << true << 2 << true << 1 << false;
    QTest::newRow("started server, window shown") << true << 1 << true << 1 << false;
    QTest::newRow("stand-alone, window closed by the operator") << false << 2 << true << 1 << false;
    QTest::newRow("stand-alone, window shown") << false << 1 << true << 0 << true;
    QTest::newRow("stand-alone, no window yet") << false << 0 << true << 0 << true;
    // After the event loop the release only counts: nothing is revoked or offered, nobody
    // quits a loop that has ended.
    QTest::newRow("started server, loop ended") << true << 2 << false << 0 << true;
    QTest::newRow("stand-alone, loop ended") << false << 2 << false << 0 << true;
}

void tst_AutomationState::lastReleaseDecidesTheEnd()
{
    QFETCH(bool, startedAsServer);
    QFETCH(int, window);
    QFETCH(bool, running);
    QFETCH(int, quits);
    QFETCH(bool, offeredAfter);

    m_server->setStartedAsServer(startedAsServer);
    setAutomationServer(startedAsServer);
    QVERIFY(m_server->start(QAxFactory::MultipleInstances));
    m_window.hidden = window == 2;
    setAutomationMainWindow(window == 0 ? nullptr : &m_window);
    setApplicationRunning(running);

    auto object = std::make_unique<COM_Class>();
    QCOMPARE(automationObjectCount(), 1);
    object.reset();
    QCOMPARE(automationObjectCount(), 0);
    QCOMPARE(m_quits, quits);
    QCOMPARE(m_server->isOffered(QStringLiteral("COM_Class")), offeredAfter);
}

void tst_AutomationState::onlyTheLastReleaseCounts()
{
    setAutomationServer(true);
    m_server->setStartedAsServer(true);
    QVERIFY(m_server->start(QAxFactory::MultipleInstances));
    setApplicationRunning(true);
    auto first = std::make_unique<COM_Class>();
    auto second = std::make_unique<COM_Class>();
    QCOMPARE(automationObjectCount(), 2);
    first.reset();
    QCOMPARE(m_quits, 0);
    QVERIFY(m_server->isOffered(QStringLiteral("COM_Class")));
    second.reset();
    QCOMPARE(m_quits, 1);
}

QTEST_GUILESS_MAIN(tst_AutomationState)
#include "tst_AutomationState.moc"
