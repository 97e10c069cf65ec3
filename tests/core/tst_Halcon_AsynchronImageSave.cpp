#include "Errors.h"
#include "FakeDiskSpace.h"
#include "Halcon_AsynchronImageSave.h"
#include "Halcon_Helper.h"
#include "Halcon_PictureSpool.h"
#include "HalconTestPictures.h"

#include <HalconObjectOps.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <memory>

using Halcon::Hobject;
using namespace HalconTestPictures;

namespace {

// Who gets its own shape, so later ones cannot be mistaken for it.
Hobject numberedPicture(int number)
{
    return grayImage(20 + number, 10, [number](int row, int column) { return (row * 7 + column + number * 40) % 256; });
}

} // namespace

// Receives the saver's signal in the test's thread, as the pages would.
class SavedRelay : public QObject {
    Q_OBJECT
public:
    QStringList files;
    QList<Errors::Type_Error> results;

public slots:
    void onSaved(const QString& fileName, Errors::Type_Error error)
    {
        files.append(fileName);
        results.append(error);
        emit saved();
    }

signals:
    void saved();
};

class tst_Halcon_AsynchronImageSave : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void refusedPictures_data();
    void refusedPictures();
    void exactlyEnoughDiskSpace();
    void writesInOrder();
    void pendingWhileDelayed();
    void firstErrorIsKept_data();
    void firstErrorIsKept();
    void destructorDrainsTheQueue();
    void spooledPictureIsPendingUntilWritten();
    void damagedSpoolIsReportedAndKept();
    void discardedWhileQueuedIsNeverWritten();

private:
    std::unique_ptr<SavedRelay> connectRelay(Halcon_AsynchronImageSave& saver);
    bool waitForSaves(SavedRelay& relay, int count);
    Errors::Type_Error waitUntilIdle(Halcon_AsynchronImageSave& saver);

    QTemporaryDir m_folder;
};

void tst_Halcon_AsynchronImageSave::initTestCase()
{
    QVERIFY(m_folder.isValid());
    qRegisterMetaType<Errors::Type_Error>("Errors::Type_Error");
}

void tst_Halcon_AsynchronImageSave::init()
{
    FakeDiskSpace::freeMB = 1.0e6;
    FakeDiskSpace::availableMB = -1.0;
    Halcon_Helper::setDiskSpaceFunction(&FakeDiskSpace::query);
}

void tst_Halcon_AsynchronImageSave::cleanup()
{
    Halcon_Helper::setDiskSpaceFunction(nullptr);
}

std::unique_ptr<SavedRelay> tst_Halcon_AsynchronImageSave::connectRelay(Halcon_AsynchronImageSave& saver)
{
    auto relay = std::make_unique<SavedRelay>();
    connect(&saver, &Halcon_AsynchronImageSave::signal_saved, relay.get(), &SavedRelay::onSaved, Qt::QueuedConnection);
    return relay;
}

bool tst_Halcon_AsynchronImageSave::waitForSaves(SavedRelay& relay, int count)
{
    QSignalSpy spy(&relay, &SavedRelay::saved);
    while (relay.files.size() < count) {
        if (!spy.wait(20000))
            return false;
    }
    return true;
}

Errors::Type_Error tst_Halcon_AsynchronImageSave::waitUntilIdle(Halcon_AsynchronImageSave& saver)
{
    // The signal leaves the worker just before it marks itself idle.
    // A result of -1 means the saver never became idle.
    bool idle = false;
    Errors::Type_Error result = 0;
    if (!QTest::qWaitFor([&] { result = saver.isIdle(idle); return idle; }, 20000))
        return -1;
    return result;
}

void tst_Halcon_AsynchronImageSave::refusedPictures_data()
{
    QTest::addColumn<Hobject>("picture");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<double>("freeMB");
    QTest::addColumn<int>("expected");

    const Hobject good = numberedPicture(1);
    Hobject empty;
    Halcon::gen_empty_obj(&empty);
    QTest::newRow("empty object") << empty << QString() << 1.0e6 << 41;
    QTest::newRow("region") << rectangleRegion(0, 0, 4, 4) << QString() << 1.0e6 << 41;
    QTest::newRow("missing folder") << good << QStringLiteral("no such folder") << 1.0e6 << 50;
    QTest::newRow("99.9 MB free") << good << QString() << 99.9 << 53;
    QTest::newRow("disk query fails") << good << QString() << -1.0 << 50;
}

void tst_Halcon_AsynchronImageSave::refusedPictures()
{
    QFETCH(Hobject, picture);
    QFETCH(QString, folder);
    QFETCH(double, freeMB);
    QFETCH(int, expected);

    Halcon_AsynchronImageSave saver(QThread::NormalPriority);
    auto relay = connectRelay(saver);
    FakeDiskSpace::freeMB = freeMB;
    const QString fileName = folder.isEmpty() ? m_folder.filePath(QStringLiteral("refused.png"))
                                              : m_folder.filePath(folder + QStringLiteral("/refused.png"));
    QCOMPARE(int(saver.saveImage(fileName, picture, QStringLiteral("png"), 0, false)), expected);

    int pending = -1;
    QCOMPARE(saver.getPendingCount(pending), Errors::Type_Error(0));
    QCOMPARE(pending, 0);
    bool idle = false;
    QCOMPARE(saver.isIdle(idle), Errors::Type_Error(0));
    QVERIFY(idle);
    QCoreApplication::processEvents();
    QVERIFY(relay->files.isEmpty());
    QVERIFY(!QFileInfo::exists(fileName));
}

void tst_Halcon_AsynchronImageSave::exactlyEnoughDiskSpace()
{
    Halcon_AsynchronImageSave saver(QThread::NormalPriority);
    auto relay = connectRelay(saver);
    FakeDiskSpace::freeMB = 100.0;
    const QString fileName = m_folder.filePath(QStringLiteral("enough.png"));
    QCOMPARE(saver.saveImage(fileName, numberedPicture(2), QStringLiteral("png"), 0, false), Errors::Type_Error(0));
    QVERIFY(waitForSaves(*relay, 1));
    QCOMPARE(relay->results, QList<Errors::Type_Error>{0});
    QVERIFY(QFileInfo::exists(fileName));
}

void tst_Halcon_AsynchronImageSave::writesInOrder()
{
    Halcon_AsynchronImageSave saver(QThread::NormalPriority);
    auto relay = connectRelay(saver);

    QStringList expectedFiles;
    for (int i = 0; i < 5; ++i) {
        const QString fileName = m_folder.filePath(QStringLiteral("order %1.png").arg(i));
        expectedFiles << fileName;
        Hobject picture = numberedPicture(i);
        QCOMPARE(saver.saveImage(fileName, picture, QStringLiteral("png"), 0, i % 2 == 0), Errors::Type_Error(0));
        // The saver holds its own copy; the caller's handle may go at once.
        picture = Hobject();
    }
    QVERIFY(waitForSaves(*relay, 5));
    QCOMPARE(relay->files, expectedFiles);
    QCOMPARE(relay->results, QList<Errors::Type_Error>(5, 0));
    QCOMPARE(waitUntilIdle(saver), Errors::Type_Error(0));

    for (int i = 0; i < 5; ++i) {
        Hobject loaded;
        QCOMPARE(Halcon_Helper::LoadImageFile(expectedFiles[i], loaded), Errors::Type_Error(0));
        QCOMPARE(maxPixelDifference(loaded, numberedPicture(i)), 0);
    }
}

void tst_Halcon_AsynchronImageSave::pendingWhileDelayed()
{
    Halcon_AsynchronImageSave saver(QThread::NormalPriority);
    auto relay = connectRelay(saver);
    const QString fileName = m_folder.filePath(QStringLiteral("delayed.png"));
    QCOMPARE(saver.saveImage(fileName, numberedPicture(3), QStringLiteral("png"), 1500, false), Errors::Type_Error(0));

    // Whether the worker has picked it up yet or not, one picture is pending.
    int pending = -1;
    QCOMPARE(saver.getPendingCount(pending), Errors::Type_Error(0));
    QCOMPARE(pending, 1);
    bool idle = true;
    QCOMPARE(saver.isIdle(idle), Errors::Type_Error(0));
    QVERIFY(!idle);
    QVERIFY(!QFileInfo::exists(fileName));

    QVERIFY(waitForSaves(*relay, 1));
    QCOMPARE(waitUntilIdle(saver), Errors::Type_Error(0));
    QCOMPARE(saver.getPendingCount(pending), Errors::Type_Error(0));
    QCOMPARE(pending, 0);
    QVERIFY(QFileInfo::exists(fileName));
}

void tst_Halcon_AsynchronImageSave::firstErrorIsKept_data()
{
    // Each letter one write: f fails (format no writer knows), s succeeds.
    QTest::addColumn<QString>("writes");
    QTest::addColumn<int>("expected");
    QTest::newRow("success") << "s" << 0;
    QTest::newRow("failure") << "f" << 55;
    QTest::newRow("failure then success") << "fs" << 55;
    QTest::newRow("success then failure") << "sf" << 55;
    QTest::newRow("failure between successes") << "sfss" << 55;
}

void tst_Halcon_AsynchronImageSave::firstErrorIsKept()
{
    QFETCH(QString, writes);
    QFETCH(int, expected);

    Halcon_AsynchronImageSave saver(QThread::NormalPriority);
    auto relay = connectRelay(saver);
    QList<Errors::Type_Error> expectedResults;
    for (int i = 0; i < writes.size(); ++i) {
        const bool fail = writes.at(i) == QLatin1Char('f');
        const QString fileName = m_folder.filePath(QStringLiteral("first error %1 %2.png").arg(writes).arg(i));
        QCOMPARE(saver.saveImage(fileName, numberedPicture(i), fail ? QStringLiteral("gif") : QStringLiteral("png"), 0,
                                 i % 2 == 1),
                 Errors::Type_Error(0));
        expectedResults << Errors::Type_Error(fail ? 55 : 0);
    }
    QVERIFY(waitForSaves(*relay, writes.size()));
    QCOMPARE(relay->results, expectedResults);

    QCOMPARE(int(waitUntilIdle(saver)), expected);
    // Once read, the failure is reported no more; a new one is reported again.
    bool idle = false;
    QCOMPARE(saver.isIdle(idle), Errors::Type_Error(0));
    QVERIFY(idle);

    QCOMPARE(saver.saveImage(m_folder.filePath(QStringLiteral("again %1.gif").arg(writes)), numberedPicture(9),
                             QStringLiteral("gif"), 0, false),
             Errors::Type_Error(0));
    QVERIFY(waitForSaves(*relay, writes.size() + 1));
    QCOMPARE(waitUntilIdle(saver), Errors::Type_Error(55));
}

void tst_Halcon_AsynchronImageSave::destructorDrainsTheQueue()
{
    QStringList files;
    auto relay = std::make_unique<SavedRelay>();
    {
        Halcon_AsynchronImageSave saver(QThread::NormalPriority);
        connect(&saver, &Halcon_AsynchronImageSave::signal_saved, relay.get(), &SavedRelay::onSaved,
                Qt::QueuedConnection);
        for (int i = 0; i < 3; ++i) {
            files << m_folder.filePath(QStringLiteral("drain %1.png").arg(i));
            QCOMPARE(saver.saveImage(files.last(), numberedPicture(i), QStringLiteral("png"), 150, false),
                     Errors::Type_Error(0));
        }
        int pending = 0;
        saver.getPendingCount(pending);
        QVERIFY(pending >= 1);
    }
    for (const QString& file : files)
        QVERIFY2(QFileInfo::exists(file), qPrintable(file));
    // Signals of the last writes may still be on their way; none was lost.
    QTRY_COMPARE_WITH_TIMEOUT(relay->files.size(), 3, 20000);
    QCOMPARE(relay->files, files);
}

void tst_Halcon_AsynchronImageSave::spooledPictureIsPendingUntilWritten()
{
    Halcon_AsynchronImageSave saver(QThread::NormalPriority);
    auto relay = connectRelay(saver);
    const QString fileName = m_folder.filePath(QStringLiteral("spooled.png"));
    const QString spool = m_folder.filePath(QStringLiteral(".private_spooled.spool"));
    QCOMPARE(Halcon_PictureSpool::write(spool, numberedPicture(4), QStringLiteral("png fastest")), Errors::Type_Error(0));
    saver.queueSpooled(spool, fileName, 1000);

    // On its way: counted, and to be left alone by whoever tidies the folder.
    int pending = -1;
    QCOMPARE(saver.getPendingCount(pending), Errors::Type_Error(0));
    QCOMPARE(pending, 1);
    QVERIFY(Halcon_PictureSpool::isPending(fileName));
    QVERIFY(!QFileInfo::exists(fileName));

    QVERIFY(waitForSaves(*relay, 1));
    QCOMPARE(relay->files, QStringList{fileName});
    QCOMPARE(relay->results, QList<Errors::Type_Error>{0});
    QCOMPARE(waitUntilIdle(saver), Errors::Type_Error(0));
    QVERIFY(!Halcon_PictureSpool::isPending(fileName));
    QVERIFY(!QFileInfo::exists(spool));
    Hobject loaded;
    QCOMPARE(Halcon_Helper::LoadImageFile(fileName, loaded), Errors::Type_Error(0));
    QCOMPARE(maxPixelDifference(loaded, numberedPicture(4)), 0);
}

void tst_Halcon_AsynchronImageSave::damagedSpoolIsReportedAndKept()
{
    Halcon_AsynchronImageSave saver(QThread::NormalPriority);
    const QString fileName = m_folder.filePath(QStringLiteral("torn.png"));
    const QString spool = m_folder.filePath(QStringLiteral(".private_torn.spool"));
    QCOMPARE(Halcon_PictureSpool::write(spool, numberedPicture(5), QStringLiteral("png fastest")), Errors::Type_Error(0));
    QFile file(spool);
    QVERIFY(file.resize(file.size() - 7));
    saver.queueSpooled(spool, fileName, 0);
    QCOMPARE(waitUntilIdle(saver), Errors::Type_Error(54));
    QVERIFY(!QFileInfo::exists(fileName));
    QVERIFY(QFileInfo::exists(spool));
    QVERIFY(!Halcon_PictureSpool::isPending(fileName));
}

void tst_Halcon_AsynchronImageSave::discardedWhileQueuedIsNeverWritten()
{
    // The row of a queued picture was deleted: the writer must not leave the picture behind it.
    Halcon_AsynchronImageSave saver(QThread::NormalPriority);
    auto relay = connectRelay(saver);
    const QString fileName = m_folder.filePath(QStringLiteral("pruned.png"));
    const QString spool = m_folder.filePath(QStringLiteral(".private_pruned.spool"));
    QCOMPARE(Halcon_PictureSpool::write(spool, numberedPicture(6), QStringLiteral("png fastest")), Errors::Type_Error(0));
    saver.queueSpooled(spool, fileName, 1000);
    QVERIFY(Halcon_PictureSpool::discard(fileName));
    QVERIFY(waitForSaves(*relay, 1));
    QCOMPARE(waitUntilIdle(saver), Errors::Type_Error(0));
    QVERIFY(!QFileInfo::exists(fileName));
    QVERIFY(!QFileInfo::exists(spool));
    QVERIFY(!QFileInfo::exists(Halcon_PictureSpool::encodedFileFor(spool, fileName)));
    QVERIFY(!Halcon_PictureSpool::isPending(fileName));
}

QTEST_GUILESS_MAIN(tst_Halcon_AsynchronImageSave)
#include "tst_Halcon_AsynchronImageSave.moc"
