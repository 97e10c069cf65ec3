#include "AutomationState.h"
#include "Automation_Client.h"
#include "Automation_Server.h"
#include "COM_Class.h"
#include "MainWindowGui.h"
#include "PrivateSessionBus.h"
#include "ProgramUnderTest.h"
#include "QAxDefaultFactory.h"

#include <QCloseEvent>
#include <QThread>
#include <QtTest>

#include <memory>

class tst_MainWindowGui : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void startShow_data();
    void startShow();
    void guiShow_data();
    void guiShow();
    void guiHideOnlyAsServer_data();
    void guiHideOnlyAsServer();
    void close_data();
    void close();
    void closingWithAClientAttachedOnlyHides();

private:
    std::unique_ptr<MainWindowGui> makeWindow(bool automationServer);

    int m_quits = 0;
};

void tst_MainWindowGui::initTestCase()
{
    setApplicationQuitFunction([this] { ++m_quits; });
}

void tst_MainWindowGui::cleanup()
{
    setAutomationServer(false);
    setAutomationMainWindow(nullptr);
    setApplicationRunning(false);
    m_quits = 0;
}

std::unique_ptr<MainWindowGui> tst_MainWindowGui::makeWindow(bool automationServer)
{
    setAutomationServer(automationServer);
    return std::make_unique<MainWindowGui>(nullptr, automationServer ? Qt::WindowStaysOnTopHint : Qt::WindowFlags());
}

void tst_MainWindowGui::startShow_data()
{
    QTest::addColumn<bool>("automationServer");
    QTest::addColumn<bool>("visible");
    QTest::newRow("stand-alone") << false << true;
    QTest::newRow("automation server") << true << false;
}

void tst_MainWindowGui::startShow()
{
    QFETCH(bool, automationServer);
    QFETCH(bool, visible);
    std::unique_ptr<MainWindowGui> window = makeWindow(automationServer);
    QCOMPARE(window->windowTitle(), QStringLiteral("zelvorin V1.1.0"));
    QCOMPARE(window->objectName(), QStringLiteral("MainWindowGui"));
    window->startShow();
    QCOMPARE(window->isVisible(), visible);
    QCOMPARE(window->isWindowHidden(), !visible);
    bool reported = !visible;
    QCOMPARE(window->GUI_IsVisible(reported), Errors::Type_Error(0));
    QCOMPARE(reported, visible);
}

void tst_MainWindowGui::guiShow_data()
{
    QTest::addColumn<bool>("automationServer");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("maximized");
    QTest::newRow("server, normal") << true << 1 << 0 << true << false;
    QTest::newRow("server, maximized") << true << 2 << 0 << true << true;
    QTest::newRow("server, 3 changes nothing") << true << 3 << 0 << false << false;
    QTest::newRow("server, 4 changes nothing") << true << 4 << 0 << false << false;
    QTest::newRow("server, unknown mode") << true << 7 << 104 << false << false;
    QTest::newRow("server, negative mode") << true << -1 << 104 << false << false;
    QTest::newRow("stand-alone ignores the mode") << false << 7 << 0 << false << false;
    QTest::newRow("stand-alone does not show") << false << 1 << 0 << false << false;
}

void tst_MainWindowGui::guiShow()
{
    QFETCH(bool, automationServer);
    QFETCH(int, mode);
    QFETCH(int, result);
    QFETCH(bool, visible);
    QFETCH(bool, maximized);
    std::unique_ptr<MainWindowGui> window = makeWindow(automationServer);
    QCOMPARE(int(window->GUI_Show(mode)), result);
    QCOMPARE(window->isVisible(), visible);
    QCOMPARE(window->isMaximized(), maximized);
}

void tst_MainWindowGui::guiHideOnlyAsServer_data()
{
    QTest::addColumn<bool>("automationServer");
    QTest::addColumn<bool>("visibleAfter");
    QTest::newRow("server") << true << false;
    QTest::newRow("stand-alone") << false << true;
}

void tst_MainWindowGui::guiHideOnlyAsServer()
{
    QFETCH(bool, automationServer);
    QFETCH(bool, visibleAfter);
    std::unique_ptr<MainWindowGui> window = makeWindow(automationServer);
    window->show();
    QCOMPARE(window->GUI_Hide(), Errors::Type_Error(0));
    QCOMPARE(window->isVisible(), visibleAfter);
}

void tst_MainWindowGui::close_data()
{
    QTest::addColumn<bool>("automationServer");
    QTest::addColumn<bool>("objectAlive");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("quits");
    QTest::newRow("server: only hides") << true << false << false << 0;
    QTest::newRow("server with a client: only hides") << true << true << false << 0;
    QTest::newRow("stand-alone, no client: ends") << false << false << true << 1;
    QTest::newRow("stand-alone with a client: closes, goes on") << false << true << true << 0;
}

void tst_MainWindowGui::close()
{
    QFETCH(bool, automationServer);
    QFETCH(bool, objectAlive);
    QFETCH(bool, accepted);
    QFETCH(int, quits);
    std::unique_ptr<MainWindowGui> window = makeWindow(automationServer);
    window->show();
    std::unique_ptr<COM_Class> object(objectAlive ? new COM_Class() : nullptr);

    QCloseEvent event;
    QApplication::sendEvent(window.get(), &event);
    QCOMPARE(event.isAccepted(), accepted);
    QCOMPARE(m_quits, quits);
    if (!accepted)
        QVERIFY(window->isHidden());
}

// The whole scenario with a client on the bus: the operator closes the stand-alone window
// while the control software holds an object; its release then ends the program.
void tst_MainWindowGui::closingWithAClientAttachedOnlyHides()
{
    PrivateSessionBus bus;
    QVERIFY2(bus.start(), qPrintable(bus.error()));
    Automation_Server server(createAxFactory(), bus.connect(QStringLiteral("server")));
    QVERIFY(server.start(QAxFactory::SingleInstance));
    std::unique_ptr<MainWindowGui> window = makeWindow(false);
    window->startShow();
    setAutomationMainWindow(window.get());
    setApplicationRunning(true);

    Automation_Client client(bus.connect(QStringLiteral("client")));
    auto inClientThread = [](const std::function<void()>& work) {
        std::unique_ptr<QThread> thread(QThread::create(work));
        QSignalSpy finished(thread.get(), &QThread::finished);
        thread->start();
        return finished.wait(ProgramUnderTest::TimeoutMs);
    };
    QString error;
    bool attached = false;
    QVERIFY(inClientThread(
        [&] { attached = client.attach(ProgramUnderTest::serviceName(), QStringLiteral("COM_Class"), error); }));
    QVERIFY2(attached, qPrintable(error));
    QCOMPARE(automationObjectCount(), 1);

    QVERIFY(window->close());
    QVERIFY(window->isHidden());
    QCOMPARE(m_quits, 0);

    QVariantList visible;
    QVERIFY(inClientThread([&] { visible = client.call(QStringLiteral("GUI_IsVisible")).arguments(); }));
    QCOMPARE(visible, (QVariantList{0, false}));
    bool released = false;
    QVERIFY(inClientThread([&] { released = client.release(error); }));
    QVERIFY2(released, qPrintable(error));
    QCOMPARE(m_quits, 1);
    QVERIFY(!server.isOffered(QStringLiteral("COM_Class")));
}

QTEST_MAIN(tst_MainWindowGui)
#include "tst_MainWindowGui.moc"
