#include "Automation_BusNames.h"
#include "Automation_Client.h"
#include "DemoTruth.h"
#include "Halcon_PictureSpool.h"
#include "ImageStitcherGui.h"
#include "ServedWindow.h"
#include "StitcherResultSave.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSemaphore>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>

namespace {

// Holds the first picture writing of a save where its files are written, until the test lets
// it go (or a few seconds passed): the writing then lasts as long as the test wants, on
// whichever thread it runs.
struct HeldWriting {
    static std::atomic<bool>& armed()
    {
        static std::atomic<bool> flag{false};
        return flag;
    }
    static std::atomic<QThread*>& thread()
    {
        static std::atomic<QThread*> writer{nullptr};
        return writer;
    }
    static QSemaphore& begun()
    {
        static QSemaphore semaphore;
        return semaphore;
    }
    static QSemaphore& released()
    {
        static QSemaphore semaphore;
        return semaphore;
    }
    static void hook(const char* step)
    {
        if (qstrcmp(step, "written") != 0 || !armed().exchange(false))
            return;
        thread() = QThread::currentThread();
        begun().release();
        released().tryAcquire(1, 5000);
    }
};

} // namespace

// A client's stitcher save in a window that serves automation clients on a private bus, as
// the program does: while its pictures are encoded, another client's call is answered. The
// writing is held until that call came back, so the answer cannot come from a quick write;
// written on the GUI thread, the call would wait out the hold.
class tst_StitcherSaveOverDBus : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void otherClientAnsweredWhileThePicturesAreWritten_data();
    void otherClientAnsweredWhileThePicturesAreWritten();

private:
    ServedWindow m_served;
    MainWindowGui* m_window = nullptr;
};

void tst_StitcherSaveOverDBus::initTestCase()
{
    QVERIFY2(m_served.startServer(), qPrintable(m_served.busError()));
    Halcon_PictureSpool::setStepHook(&HeldWriting::hook);
}

void tst_StitcherSaveOverDBus::cleanupTestCase()
{
    Halcon_PictureSpool::setStepHook(nullptr);
    m_served.endServer();
}

void tst_StitcherSaveOverDBus::init()
{
    QVERIFY(m_served.makeWindow(true));
    m_window = m_served.window;
}

void tst_StitcherSaveOverDBus::cleanup()
{
    HeldWriting::armed() = false;
    HeldWriting::released().release();
    m_window = nullptr;
    m_served.endWindow();
    HeldWriting::thread() = nullptr;
    HeldWriting::begun().acquire(HeldWriting::begun().available());
    HeldWriting::released().acquire(HeldWriting::released().available());
}

void tst_StitcherSaveOverDBus::otherClientAnsweredWhileThePicturesAreWritten_data()
{
    QTest::addColumn<bool>("asynchronous");
    QTest::addColumn<QString>("meanwhile");
    QTest::newRow("written at once, other call") << false << "GUI_IsVisible";
    QTest::newRow("for the background writer, other call") << true << "GUI_IsVisible";
    // The page's result is begun anew while the save writes: the save stores what it began.
    QTest::newRow("written at once, reset meanwhile") << false << "ImageStitcher_Reset";
}

void tst_StitcherSaveOverDBus::otherClientAnsweredWhileThePicturesAreWritten()
{
    QFETCH(bool, asynchronous);
    QFETCH(QString, meanwhile);
    QCOMPARE(DemoTruth::placeStitcherDemoViews(*m_window), Errors::Type_Error(0));
    QCOMPARE(m_window->ImageStitcher_Start(QStringLiteral("Demo_QTray-Plate")), Errors::Type_Error(0));
    QCOMPARE(DemoTruth::waitForStitching(*m_window), Errors::Type_Error(0));
    HeldWriting::armed() = true;

    // Both clients on threads of their own: the window's thread serves the bus.
    const QString service = Automation_BusNames::serviceName(QStringLiteral("zelvorin"), QStringLiteral("COM_Class"));
    std::atomic<int> saveResult{-1};
    std::atomic<int> stitcherId{-1};
    const QDBusConnection saverConnection = m_served.bus().connect(QStringLiteral("saving client"));
    std::unique_ptr<QThread> saver(QThread::create([&] {
        Automation_Client client(saverConnection, 120000);
        QString error;
        if (!client.attach(service, QStringLiteral("COM_Class"), error))
            return;
        const QDBusMessage reply = client.call(QStringLiteral("ImageStitcher_SaveResult"),
                                               {asynchronous, QStringLiteral("TRAY"), QStringLiteral("held"), true, true});
        if (reply.type() == QDBusMessage::ReplyMessage && reply.arguments().size() == 2) {
            saveResult = reply.arguments().at(0).toInt();
            stitcherId = reply.arguments().at(1).toInt();
        }
        client.release(error);
    }));
    std::atomic<bool> answered{false};
    std::atomic<qint64> latencyMs{-1};
    const QDBusConnection otherConnection = m_served.bus().connect(QStringLiteral("other client"));
    std::unique_ptr<QThread> other(QThread::create([&] {
        Automation_Client client(otherConnection);
        QString error;
        const bool attached = client.attach(service, QStringLiteral("COM_Class"), error);
        if (attached && HeldWriting::begun().tryAcquire(1, 60000)) {
            QElapsedTimer timer;
            timer.start();
            const QDBusMessage reply = client.call(meanwhile);
            latencyMs = timer.elapsed();
            answered = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
                && reply.arguments().constFirst().toInt() == 0;
        }
        HeldWriting::released().release();
        if (attached)
            client.release(error);
    }));
    // Whatever fails below, the threads end before their objects go.
    const auto joined = qScopeGuard([&] {
        HeldWriting::released().release();
        HeldWriting::begun().release();
        while (!saver->wait(10) || !other->wait(10))
            QCoreApplication::processEvents();
    });
    other->start();
    saver->start();
    QTRY_VERIFY_WITH_TIMEOUT(other->isFinished() && saver->isFinished(), 120000);

    QVERIFY(answered);
    QVERIFY2(latencyMs < 1000, qPrintable(QStringLiteral("the other client waited %1 ms").arg(qint64(latencyMs))));
    QVERIFY2(HeldWriting::thread() != QThread::currentThread(), "the pictures were written in the GUI thread");
    QCOMPARE(int(saveResult), 0);
    QVERIFY(stitcherId > 0);
    // The rows of this save went to the result it began with only.
    const bool reset = meanwhile == QLatin1String("ImageStitcher_Reset");
    QCOMPARE(m_window->imageStitcherGui()->result().row().ImageStitcherID == stitcherId, !reset);

    // The stitched picture and the six views under their rows' names, nothing private left.
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            bool finished = false;
            return m_window->ImageStitcher_SaveResult_CheckAsynchronSaveFinish(finished) == 0 && finished;
        }(),
        60000);
    QStringList stitched;
    QStringList views;
    QStringList others;
    for (QDirIterator it(m_served.folder(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        const QString name = QFileInfo(it.next()).fileName();
        if (name.endsWith(QLatin1String("_StitcherPicture.png")))
            views << name;
        else if (name.endsWith(QLatin1String("_Stitcher.png")))
            stitched << name;
        else if (name.contains(QLatin1String("Stitcher")) && !it.filePath().contains(QLatin1String("/settings/")))
            others << name;
    }
    QCOMPARE(stitched, QStringList{StitcherResultSave::stitchedPictureFileName(stitcherId)});
    QCOMPARE(views.size(), 6);
    QVERIFY2(others.isEmpty(), qPrintable(others.join(QStringLiteral(", "))));
    QVERIFY2(m_served.answers.boxes.isEmpty(), qPrintable(m_served.answers.titles().join(QStringLiteral(", "))));
}

QTEST_MAIN(tst_StitcherSaveOverDBus)
#include "tst_StitcherSaveOverDBus.moc"
