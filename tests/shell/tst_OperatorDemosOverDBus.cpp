#include "Automation_BusNames.h"
#include "Automation_Client.h"
#include "DemoTruth.h"
#include "HeldPictureRead.h"
#include "ServedWindow.h"
#include "ui_MainWindowGui.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QThread>
#include <QThreadPool>
#include <QtTest>

#include <atomic>
#include <memory>

using namespace MainWindowFixture;

// The operator's demos in a window that serves automation clients on a private bus, as the
// program does: while a demo's pictures are read, another client's trivial call is answered.
// Each demo's first picture read is held until that call came back, so the answer cannot
// come from a read that happened to be quick; read in the GUI thread, the call would wait out
// the hold.
class tst_OperatorDemosOverDBus : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void clientAnsweredWhileTheDemoReads_data();
    void clientAnsweredWhileTheDemoReads();
    void readsLeaveTheGlobalPoolToQt();
    void pendingReadIsARunThatOthersEnd_data();
    void pendingReadIsARunThatOthersEnd();

private:
    ServedWindow m_served;
    MainWindowGui* m_window = nullptr;
    // Ends after the window, whose reads may still run.
    std::unique_ptr<HeldPictureRead> m_hold;
};

void tst_OperatorDemosOverDBus::initTestCase()
{
    QVERIFY2(m_served.startServer(), qPrintable(m_served.busError()));
    HeldPictureRead::install();
}

void tst_OperatorDemosOverDBus::cleanupTestCase()
{
    HeldPictureRead::uninstall();
    m_served.endServer();
}

void tst_OperatorDemosOverDBus::init()
{
    QVERIFY(m_served.makeWindow(false));
    m_window = m_served.window;
}

void tst_OperatorDemosOverDBus::cleanup()
{
    if (m_hold)
        m_hold->release();
    m_window = nullptr;
    m_served.endWindow();
    m_hold.reset();
}

void tst_OperatorDemosOverDBus::clientAnsweredWhileTheDemoReads_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<bool>("stitches");
    QTest::newRow("Demo Stitcher") << "m_QAction_Toolbar_Stitcher_Demo_QTrayPlate" << "QTray-Plate-01.png" << true;
    QTest::newRow("Demo MTP Plate") << "m_QAction_Toolbar_Colony_Demo_Plate" << "Demo_Plate_gray.tif" << false;
    QTest::newRow("Demo Petri Plate") << "m_QAction_Toolbar_Colony_Demo_PetriPlate" << "Demo_PetriPlate_gray.tif"
                                      << false;
}

void tst_OperatorDemosOverDBus::clientAnsweredWhileTheDemoReads()
{
    QFETCH(QString, action);
    QFETCH(QString, picture);
    QFETCH(bool, stitches);
    m_hold = std::make_unique<HeldPictureRead>(picture);

    // The other client, on a thread of its own: the window's thread serves the bus.
    QSemaphore attached;
    std::atomic<bool> answered{false};
    std::atomic<qint64> latencyMs{-1};
    const QDBusConnection connection = m_served.bus().connect(QStringLiteral("other client"));
    std::unique_ptr<QThread> client(QThread::create([&] {
        Automation_Client other(connection);
        QString error;
        const bool ok =
            other.attach(Automation_BusNames::serviceName(QStringLiteral("zelvorin"), QStringLiteral("COM_Class")),
                         QStringLiteral("COM_Class"), error);
        attached.release();
        if (!ok || !m_hold->waitBegun(60000))
            return;
        QElapsedTimer timer;
        timer.start();
        const QDBusMessage reply = other.call(QStringLiteral("Application_GetVersion"));
        latencyMs = timer.elapsed();
        answered = reply.type() == QDBusMessage::ReplyMessage;
        other.release(error);
    }));
    client->start();
    // Whatever fails below, the thread ends before its objects go.
    const auto joined = qScopeGuard([&] {
        m_hold->release();
        m_hold->begun().release();
        while (!client->wait(10))
            QCoreApplication::processEvents();
    });
    QTRY_VERIFY_WITH_TIMEOUT(attached.available() == 1, 30000);

    QAction* demo = m_window->findChild<QAction*>(action);
    QVERIFY(demo);
    demo->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(client->isFinished(), 60000);
    m_hold->release();
    QVERIFY(answered);
    QVERIFY2(latencyMs < 1000, qPrintable(QStringLiteral("the client waited %1 ms").arg(qint64(latencyMs))));
    QVERIFY2(m_hold->thread() != QThread::currentThread(), "the picture was read in the GUI thread");

    if (stitches)
        QCOMPARE(DemoTruth::waitForStitching(*m_window), Errors::Type_Error(0));
    QCOMPARE(DemoTruth::waitForAnalysis(*m_window), Errors::Type_Error(0));
    QVERIFY2(m_served.answers.boxes.isEmpty(), qPrintable(m_served.answers.titles().join(QStringLiteral(", "))));
}

// Qt paints and converts pictures with the global pool's threads, and the GUI thread waits
// for them: a read held on one of those threads would hold the painting.
void tst_OperatorDemosOverDBus::readsLeaveTheGlobalPoolToQt()
{
    m_hold = std::make_unique<HeldPictureRead>(QStringLiteral("QTray-Plate-01.png"));
    QThreadPool* global = QThreadPool::globalInstance();
    const int threads = global->maxThreadCount();
    global->setMaxThreadCount(1);
    const auto restored = qScopeGuard([&] {
        m_hold->release();
        global->setMaxThreadCount(threads);
    });
    m_window->form()->m_QAction_Toolbar_Stitcher_Demo_QTrayPlate->trigger();
    QVERIFY(m_hold->waitBegun());
    std::atomic<bool> ran{false};
    global->start([&ran] { ran = true; });
    const bool ranWhileHeld = global->waitForDone(3000) && ran;
    m_hold->release();
    QVERIFY(ranWhileHeld);
    QCOMPARE(DemoTruth::waitForStitching(*m_window), Errors::Type_Error(0));
}

void tst_OperatorDemosOverDBus::pendingReadIsARunThatOthersEnd_data()
{
    QTest::addColumn<QString>("other");
    QTest::newRow("a client's reset") << "ImageStitcher_Reset";
    QTest::newRow("a client's stop") << "ImageStitcher_Stop";
    QTest::newRow("a client's start") << "ImageStitcher_Start";
    QTest::newRow("the operator's next demo") << "Demo MTP Plate";
}

// While the stitcher demo's pictures are read the page counts as running, for a client too;
// a client's start, stop or reset, or the operator's next picture command, ends that run at
// once: the read is dropped (PictureFileLoader's own test shows its pictures reach no one).
void tst_OperatorDemosOverDBus::pendingReadIsARunThatOthersEnd()
{
    QFETCH(QString, other);
    m_hold = std::make_unique<HeldPictureRead>(QStringLiteral("QTray-Plate-01.png"));
    m_window->form()->m_QAction_Toolbar_Stitcher_Demo_QTrayPlate->trigger();
    QVERIFY(m_hold->waitBegun());
    bool reading = false;
    QCOMPARE(m_window->ImageStitcher_CheckRunning(reading), Errors::Type_Error(0));
    QVERIFY(reading);

    if (other == QLatin1String("ImageStitcher_Reset"))
        QCOMPARE(m_window->ImageStitcher_Reset(), Errors::Type_Error(0));
    else if (other == QLatin1String("ImageStitcher_Stop"))
        m_window->ImageStitcher_Stop();
    else if (other == QLatin1String("ImageStitcher_Start"))
        QCOMPARE(m_window->ImageStitcher_Start(QString()), Errors::Type_Error(212)); // no pictures placed
    else
        m_window->form()->m_QAction_Toolbar_Colony_Demo_Plate->trigger();
    // Still held: only the page's own reports of the reset are left to show.
    const auto stitcherRunning = [this] {
        bool running = true;
        m_window->ImageStitcher_CheckRunning(running);
        return running;
    };
    QTRY_VERIFY_WITH_TIMEOUT(!stitcherRunning(), 3000);
    m_hold->release();
    if (other == QLatin1String("Demo MTP Plate"))
        QCOMPARE(DemoTruth::waitForAnalysis(*m_window), Errors::Type_Error(0));
    QVERIFY2(m_served.answers.boxes.isEmpty(), qPrintable(m_served.answers.titles().join(QStringLiteral(", "))));
}

QTEST_MAIN(tst_OperatorDemosOverDBus)
#include "tst_OperatorDemosOverDBus.moc"
