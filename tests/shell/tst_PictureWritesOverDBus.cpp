#include "Automation_BusNames.h"
#include "Automation_Client.h"
#include "DemoTruth.h"
#include "Halcon_PictureSpool.h"
#include "HeldPictureRead.h"
#include "Camera_LiveView_Gui.h"
#include "ImageStitcherGui.h"
#include "ServedWindow.h"
#include "StitcherResultSave.h"

#include <QDirIterator>
#include <QImageReader>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSemaphore>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <functional>
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

// A client's picture writing in a window that serves automation clients on a private bus, as
// the program does: while its pictures are encoded, another client's call is answered. The
// writing is held until that call came back, so the answer cannot come from a quick write;
// written on the GUI thread, the call would wait out the hold.
class tst_PictureWritesOverDBus : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void stitcherSaveLeavesOtherClientsGoing_data();
    void stitcherSaveLeavesOtherClientsGoing();
    void cameraPictureLeavesOtherClientsGoing_data();
    void cameraPictureLeavesOtherClientsGoing();

private:
    struct Outcome {
        QDBusMessage reply;
        bool answered = false;
        qint64 latencyMs = -1;
    };
    // One client calls method; once its writing is held (begun), another client calls
    // meanwhile, then the writing goes on (release). Both clients run on threads of their own:
    // the window's thread serves the bus.
    Outcome callWhileHeld(const QString& method, const QVariantList& arguments, const QString& meanwhile,
                          const std::function<bool()>& begun, const std::function<void()>& release);

    ServedWindow m_served;
    MainWindowGui* m_window = nullptr;
    // Ends after the window, which may still write.
    std::unique_ptr<HeldPictureRead> m_hold;
};

void tst_PictureWritesOverDBus::initTestCase()
{
    QVERIFY2(m_served.startServer(), qPrintable(m_served.busError()));
    Halcon_PictureSpool::setStepHook(&HeldWriting::hook);
    HeldPictureRead::install();
}

void tst_PictureWritesOverDBus::cleanupTestCase()
{
    HeldPictureRead::uninstall();
    Halcon_PictureSpool::setStepHook(nullptr);
    m_served.endServer();
}

void tst_PictureWritesOverDBus::init()
{
    QVERIFY(m_served.makeWindow(true));
    m_window = m_served.window;
}

void tst_PictureWritesOverDBus::cleanup()
{
    HeldWriting::armed() = false;
    HeldWriting::released().release();
    if (m_hold)
        m_hold->release();
    m_window = nullptr;
    m_served.endWindow();
    m_hold.reset();
    HeldWriting::thread() = nullptr;
    HeldWriting::begun().acquire(HeldWriting::begun().available());
    HeldWriting::released().acquire(HeldWriting::released().available());
}

tst_PictureWritesOverDBus::Outcome tst_PictureWritesOverDBus::callWhileHeld(const QString& method,
                                                                            const QVariantList& arguments,
                                                                            const QString& meanwhile,
                                                                            const std::function<bool()>& begun,
                                                                            const std::function<void()>& release)
{
    const QString service = Automation_BusNames::serviceName(QStringLiteral("zelvorin"), QStringLiteral("COM_Class"));
    Outcome outcome;
    const QDBusConnection writerConnection = m_served.bus().connect(QStringLiteral("writing client"));
    std::unique_ptr<QThread> writer(QThread::create([&] {
        Automation_Client client(writerConnection, 120000);
        QString error;
        if (!client.attach(service, QStringLiteral("COM_Class"), error))
            return;
        outcome.reply = client.call(method, arguments);
        client.release(error);
    }));
    std::atomic<bool> answered{false};
    std::atomic<qint64> latencyMs{-1};
    const QDBusConnection otherConnection = m_served.bus().connect(QStringLiteral("other client"));
    std::unique_ptr<QThread> other(QThread::create([&] {
        Automation_Client client(otherConnection);
        QString error;
        const bool attached = client.attach(service, QStringLiteral("COM_Class"), error);
        if (attached && begun()) {
            QElapsedTimer timer;
            timer.start();
            const QDBusMessage reply = client.call(meanwhile);
            latencyMs = timer.elapsed();
            answered = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
                && reply.arguments().constFirst().toInt() == 0;
        }
        release();
        if (attached)
            client.release(error);
    }));
    other->start();
    writer->start();
    // Whatever happens, the threads end before their objects go; a failed attach or a write
    // that never begins lets the other go after its own bound.
    while (!writer->wait(10) || !other->wait(10))
        QCoreApplication::processEvents();
    outcome.answered = answered;
    outcome.latencyMs = latencyMs;
    return outcome;
}

void tst_PictureWritesOverDBus::stitcherSaveLeavesOtherClientsGoing_data()
{
    QTest::addColumn<bool>("asynchronous");
    QTest::addColumn<QString>("meanwhile");
    QTest::newRow("written at once, other call") << false << "GUI_IsVisible";
    QTest::newRow("for the background writer, other call") << true << "GUI_IsVisible";
    // The page's result is begun anew while the save writes: the save stores what it began.
    QTest::newRow("written at once, reset meanwhile") << false << "ImageStitcher_Reset";
}

void tst_PictureWritesOverDBus::stitcherSaveLeavesOtherClientsGoing()
{
    QFETCH(bool, asynchronous);
    QFETCH(QString, meanwhile);
    QCOMPARE(DemoTruth::placeStitcherDemoViews(*m_window), Errors::Type_Error(0));
    QCOMPARE(m_window->ImageStitcher_Start(QStringLiteral("Demo_QTray-Plate")), Errors::Type_Error(0));
    QCOMPARE(DemoTruth::waitForStitching(*m_window), Errors::Type_Error(0));
    HeldWriting::armed() = true;

    const Outcome outcome = callWhileHeld(
        QStringLiteral("ImageStitcher_SaveResult"),
        {asynchronous, QStringLiteral("TRAY"), QStringLiteral("held"), true, true}, meanwhile,
        [] { return HeldWriting::begun().tryAcquire(1, 60000); }, [] { HeldWriting::released().release(); });

    QVERIFY(outcome.answered);
    QVERIFY2(outcome.latencyMs < 1000, qPrintable(QStringLiteral("the other client waited %1 ms").arg(outcome.latencyMs)));
    QVERIFY2(HeldWriting::thread() != QThread::currentThread(), "the pictures were written in the GUI thread");
    QCOMPARE(outcome.reply.type(), QDBusMessage::ReplyMessage);
    QCOMPARE(outcome.reply.arguments().size(), 2);
    QCOMPARE(outcome.reply.arguments().at(0).toInt(), 0);
    const int stitcherId = outcome.reply.arguments().at(1).toInt();
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
    for (QDirIterator it(m_served.folder(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();) {
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

void tst_PictureWritesOverDBus::cameraPictureLeavesOtherClientsGoing_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<int>("sizePercent");
    QTest::addColumn<QSize>("written");
    QTest::newRow("camera picture as taken") << "Camera_SavePicture" << 100 << QSize(2592, 1944);
    QTest::newRow("camera picture scaled") << "Camera_SavePicture" << 50 << QSize(1296, 972);
    // The live view's picture has the size the simulated camera streams.
    QTest::newRow("live view scaled") << "GUI_LiveView_SavePicture" << 50 << QSize();
}

void tst_PictureWritesOverDBus::cameraPictureLeavesOtherClientsGoing()
{
    QFETCH(QString, method);
    QFETCH(int, sizePercent);
    QFETCH(QSize, written);
    if (method == QLatin1String("Camera_SavePicture")) {
        const QString view = StitcherCommands::demoPicturePaths(QStringLiteral("QTray-Plate")).constFirst();
        QCOMPARE(m_window->Camera_LoadPicture(view), Errors::Type_Error(0));
    } else {
        QCOMPARE(m_window->Camera_Open(QString()), Errors::Type_Error(0));
        QCOMPARE(m_window->GUI_LiveView_Show(1), Errors::Type_Error(0));
        QCOMPARE(m_window->liveViewGui()->WaitForPicture(), Errors::Type_Error(0));
    }
    const QString file = QDir(m_served.folder()).filePath(QStringLiteral("shot.png"));
    m_hold = std::make_unique<HeldPictureRead>(QStringLiteral("shot.png"), HeldPictureRead::Write);

    const Outcome outcome = callWhileHeld(
        method, {file, QStringLiteral("png"), sizePercent}, QStringLiteral("GUI_IsVisible"),
        [this] { return m_hold->waitBegun(60000); }, [this] { m_hold->release(); });

    QVERIFY(outcome.answered);
    QVERIFY2(outcome.latencyMs < 1000, qPrintable(QStringLiteral("the other client waited %1 ms").arg(outcome.latencyMs)));
    QVERIFY2(m_hold->thread() != QThread::currentThread(), "the picture was written in the GUI thread");
    QCOMPARE(outcome.reply.type(), QDBusMessage::ReplyMessage);
    QCOMPARE(outcome.reply.arguments().value(0).toInt(), 0);
    const QSize size = QImageReader(file).size();
    QVERIFY(size.isValid());
    if (written.isValid())
        QCOMPARE(size, written);
}

QTEST_MAIN(tst_PictureWritesOverDBus)
#include "tst_PictureWritesOverDBus.moc"
