// Saving a colony result: round trip through SQLite, the rack picture beside it, one
// transaction that leaves nothing behind on failure, pruning reported apart, busy answers
// while a save waits.

#include "ColonyAnalyserGui.h"
#include "ColonyAnalyserGuiFixture.h"
#include "CorrectionInfo.h"
#include "DatabaseTableZelvorinColony.h"
#include "DatabaseTableZelvorinContainer.h"
#include "DatabaseTableZelvorinPicturePlan.h"
#include "DatabaseTableZelvorinRack.h"
#include "Errors.h"
#include "Halcon_AsynchronImageSave.h"
#include "Halcon_Helper.h"
#include "Halcon_PictureSpool.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

using namespace ColonyAnalyserGuiFixture;

namespace {

// Every report of the run is on screen.
bool allShown(ColonyAnalyserGui& page)
{
    return page.pendingUpdates().available() == 0 && !page.isRunningDisplayed();
}

} // namespace

class tst_ColonyAnalyserGuiSave : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void pictureName_data();
    void pictureName();
    void roundTrip_data();
    void roundTrip();
    void failedColonyInsertLeavesNothing_data();
    void failedColonyInsertLeavesNothing();
    void unwritableFolderLeavesNoRack();
    void pictureEncodedBeforeTheTransaction();
    void backgroundPictureIsOnDiskWhenAnswered();
    void pruningFailureIsReportedApart();
    void pruningKeepsNewest_data();
    void pruningKeepsNewest();
    void entryPointsBusyWhileSaving();
    void saveWaitIsBounded();
    void failedRunIsRunningUntilItsReportsAreShown();
    void resetTakesTheLastReportsFirst();
    void exportRackPictureScales();
};

void tst_ColonyAnalyserGuiSave::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void tst_ColonyAnalyserGuiSave::cleanup()
{
    CorrectionInfo::resetCurrent();
}

void tst_ColonyAnalyserGuiSave::pictureName_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("rackId");
    QTest::addColumn<QString>("expected");
    QTest::newRow("7") << QStringLiteral("/data/pictures") << 7 << QStringLiteral("/data/pictures/zelvorin_00000007_Rack.png");
    QTest::newRow("trailing separator") << QStringLiteral("/data/pictures/") << 42
                                        << QStringLiteral("/data/pictures/zelvorin_00000042_Rack.png");
    QTest::newRow("relative") << QStringLiteral("database/pictures") << 12345678
                              << QStringLiteral("database/pictures/zelvorin_12345678_Rack.png");
}

void tst_ColonyAnalyserGuiSave::pictureName()
{
    QFETCH(QString, folder);
    QFETCH(int, rackId);
    QFETCH(QString, expected);
    const QString path = ColonyAnalyserGui::rackPicturePath(folder, rackId);
    QCOMPARE(path, expected);
    QVERIFY(!path.contains(QLatin1Char('\\')));
}

void tst_ColonyAnalyserGuiSave::roundTrip_data()
{
    QTest::addColumn<bool>("asynchron");
    QTest::newRow("direct picture") << false;
    QTest::newRow("background picture") << true;
}

void tst_ColonyAnalyserGuiSave::roundTrip()
{
    QFETCH(bool, asynchron);
    CorrectionInfo correction;
    correction.append({100.5, 200.25});
    correction.append({300.0, 400.0});
    CorrectionInfo::setCurrent(correction);

    Page p;
    QCOMPARE(p.createResult, Errors::Type_Error(0));
    ColonyAnalyserGui& page = *p.page;
    reportRack(page);
    page.emitImageRefPointsAdd(QString(), [] {
        ImageRefPoint point;
        point.Index = 1;
        point.Found = true;
        point.PosX_px = 12.5;
        point.PosY_px = 34.75;
        return point;
    }());
    QCOMPARE(page.pendingUpdates().available(), 0);

    int rackId = -2;
    Errors::Type_Error pruneError = -1;
    QCOMPARE(page.SaveResult(asynchron, QStringLiteral("BC-01"), QStringLiteral("saved"), -1, rackId, &pruneError),
             Errors::Type_Error(0));
    QVERIFY(rackId > 0);
    QCOMPARE(pruneError, Errors::Type_Error(0));
    if (asynchron) {
        bool finished = false;
        QTRY_VERIFY_WITH_TIMEOUT((page.SaveResult_CheckAsynchronSaveFinish(finished), finished), 30000);
    }

    DatabaseTableZelvorinRack::Dataset rack;
    QCOMPARE(p.database->tableRack()->Select(rackId, rack), Errors::Type_Error(0));
    QCOMPARE(rack.RackBarcode, QStringLiteral("BC-01"));
    QCOMPARE(rack.Description, QStringLiteral("saved"));
    QCOMPARE(rack.ImageStitcherID, Database::ID(-1));
    QCOMPARE(rack.CreatedDate, QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
    QCOMPARE(rack.XMLCameraSettings, QStringLiteral("<camera/>"));
    QCOMPARE(rack.ReferencePointsCorrection, correction.toText());
    AppSettings storedApp;
    QVERIFY(storedApp.fromXmlString(rack.XMLSettings));
    QCOMPARE(storedApp.database.Type, p.appSettings->database.Type);
    QCOMPARE(storedApp.database.PicturePath, p.appSettings->database.PicturePath);
    ColonySettings stored;
    QVERIFY(stored.fromXmlString(rack.XMLColonySettings));
    QCOMPARE(rack.ReferenzPos2X, 12.5);
    QCOMPARE(rack.ReferenzPos2Y, 34.75);
    QCOMPARE(rack.PictureFilePath, ColonyAnalyserGui::rackPicturePath(p.pictureFolder(), rackId));
    QVERIFY(QFileInfo::exists(rack.PictureFilePath));
    Halcon::Hobject loaded;
    QCOMPARE(Halcon_Helper::LoadImageFile(rack.PictureFilePath, loaded), Errors::Type_Error(0));
    QCOMPARE(HalconTestPictures::maxPixelDifference(loaded, page.rack().picture), 0);

    QList<Database::ID> containerIds;
    QCOMPARE(p.database->tableContainer()->SelectIdByNumber(rackId, 1, containerIds), Errors::Type_Error(0));
    QCOMPARE(containerIds.size(), 1);
    QCOMPARE(p.count(QStringLiteral("ZelvorinContainer")), 2);
    QCOMPARE(p.count(QStringLiteral("ZelvorinColony")), 4);
    for (const auto& container : page.rack().containers) {
        DatabaseTableZelvorinContainer::Dataset row;
        QCOMPARE(p.database->tableContainer()->Select(container->row.ContainerID, row), Errors::Type_Error(0));
        QCOMPARE(row.RackID, Database::ID(rackId));
        QCOMPARE(row.ContainerNumber, container->row.ContainerNumber);
        QCOMPARE(row.ContainerName, container->row.ContainerName);
        QCOMPARE(row.PickingOrder, container->row.PickingOrder);
        QCOMPARE(row.Description, container->row.Description);
        for (const auto& colony : container->colonies) {
            DatabaseTableZelvorinColony::Dataset c;
            QCOMPARE(p.database->tableColony()->Select(colony->row.ColonyID, c), Errors::Type_Error(0));
            const DatabaseTableZelvorinColony::Dataset& e = colony->row;
            QCOMPARE(c.ContainerID, container->row.ContainerID);
            QCOMPARE(c.PosX_px, e.PosX_px);
            QCOMPARE(c.PosY_px, e.PosY_px);
            QCOMPARE(c.PosX_mm, e.PosX_mm);
            QCOMPARE(c.PosY_mm, e.PosY_mm);
            QCOMPARE(c.Area_mm2, e.Area_mm2);
            QCOMPARE(c.Circularity, e.Circularity);
            QCOMPARE(c.ClearanceNeighbor_mm, e.ClearanceNeighbor_mm);
            QCOMPARE(c.ClearanceMargin_mm, e.ClearanceMargin_mm);
            QCOMPARE(c.LoadingArea_pct, e.LoadingArea_pct);
            QCOMPARE(c.LoadingCircularity_pct, e.LoadingCircularity_pct);
            QCOMPARE(c.LoadingClearanceNeighbor_pct, e.LoadingClearanceNeighbor_pct);
            QCOMPARE(c.LoadingClearanceMargin_pct, e.LoadingClearanceMargin_pct);
            QCOMPARE(c.LoadingTotal_pct, e.LoadingTotal_pct);
            QCOMPARE(c.ColorHue, e.ColorHue);
            QCOMPARE(c.ColorSaturation, e.ColorSaturation);
            QCOMPARE(c.ColorIntensity, e.ColorIntensity);
            QCOMPARE(c.ColorArea_pct, e.ColorArea_pct);
            QCOMPARE(c.ColorRed, e.ColorRed);
            QCOMPARE(c.ColorGreen, e.ColorGreen);
            QCOMPARE(c.ColorBlue, e.ColorBlue);
            QCOMPARE(c.IsGoodColony, e.IsGoodColony);
            QCOMPARE(c.IsExcluded, e.IsExcluded);
            QCOMPARE(c.PickingOrder, e.PickingOrder);
            QCOMPARE(c.IsUserEdited, e.IsUserEdited);
            QCOMPARE(c.ErrorCode, e.ErrorCode);
        }
    }
    // Found only after the save gave the colonies their keys.
    const Database::ID firstColony = page.rack().containers.front()->colonies.front()->row.ColonyID;
    QCOMPARE(page.PictureView_DisplayColony(firstColony), Errors::Type_Error(0));
    QCOMPARE(page.PictureView_DisplayColony(firstColony + 1000), ColonyAnalyserGui::ErrorColonyNotFound);
}

void tst_ColonyAnalyserGuiSave::failedColonyInsertLeavesNothing_data()
{
    QTest::addColumn<bool>("asynchron");
    QTest::newRow("direct picture") << false;
    QTest::newRow("background picture") << true;
}

void tst_ColonyAnalyserGuiSave::failedColonyInsertLeavesNothing()
{
    QFETCH(bool, asynchron);
    Page p;
    ColonyAnalyserGui& page = *p.page;
    reportRack(page);
    // The last colony of the rack is refused by the database.
    QVERIFY(p.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON ZelvorinColony WHEN NEW.PosX_px = 130.0 "
                                  "BEGIN SELECT RAISE(ABORT, 'refused'); END")));

    int rackId = 5;
    QVERIFY(page.SaveResult(asynchron, QStringLiteral("BC"), QString(), -1, rackId) != 0);
    QCOMPARE(rackId, -1);
    QCOMPARE(p.count(QStringLiteral("ZelvorinRack")), 0);
    QCOMPARE(p.count(QStringLiteral("ZelvorinContainer")), 0);
    QCOMPARE(p.count(QStringLiteral("ZelvorinColony")), 0);
    bool finished = false;
    QTRY_VERIFY_WITH_TIMEOUT((page.SaveResult_CheckAsynchronSaveFinish(finished), finished), 30000);
    QCOMPARE(QDir(p.pictureFolder()).entryList(QDir::Files | QDir::Hidden), QStringList());
    // The record is as it was before the save.
    QCOMPARE(page.rack().row.RackID, Database::ID(-1));
    QVERIFY(page.rack().row.PictureFilePath.isEmpty());
    for (const auto& container : page.rack().containers) {
        QCOMPARE(container->row.ContainerID, Database::ID(-1));
        for (const auto& colony : container->colonies)
            QCOMPARE(colony->row.ColonyID, Database::ID(-1));
    }

    // Once the database takes the rows again the same record saves whole.
    QVERIFY(p.exec(QStringLiteral("DROP TRIGGER refuse")));
    QCOMPARE(page.SaveResult(asynchron, QStringLiteral("BC"), QString(), -1, rackId), Errors::Type_Error(0));
    QVERIFY(rackId > 0);
    QCOMPARE(p.count(QStringLiteral("ZelvorinColony")), 4);
}

void tst_ColonyAnalyserGuiSave::unwritableFolderLeavesNoRack()
{
    Page p;
    ColonyAnalyserGui& page = *p.page;
    reportRack(page);
    p.appSettings->database.PicturePath = p.dir.filePath(QStringLiteral("missing"));
    for (const bool asynchron : {false, true}) {
        int rackId = 0;
        QVERIFY(page.SaveResult(asynchron, QString(), QString(), -1, rackId) != 0);
        QCOMPARE(rackId, -1);
        QCOMPARE(p.count(QStringLiteral("ZelvorinRack")), 0);
    }
}

namespace {

// Whether the database was inside a transaction at each picture write the library logged.
QList<bool> g_transactionAtPictureWrite;
ApplicationDatabase* g_watchedDatabase = nullptr;

void recordPictureWrites(QtMsgType, const QMessageLogContext&, const QString& message)
{
    if (g_watchedDatabase && message.contains(QStringLiteral("Halcon_Helper::SaveImageFile(")))
        g_transactionAtPictureWrite.append(g_watchedDatabase->inTransaction());
}

} // namespace

void tst_ColonyAnalyserGuiSave::pictureEncodedBeforeTheTransaction()
{
    Page p;
    ColonyAnalyserGui& page = *p.page;
    reportRack(page, picture(640, 480));
    g_transactionAtPictureWrite.clear();
    g_watchedDatabase = p.database.get();
    const QtMessageHandler previous = qInstallMessageHandler(recordPictureWrites);
    int rackId = -1;
    const Errors::Type_Error result = page.SaveResult(false, QStringLiteral("BC"), QString(), -1, rackId);
    qInstallMessageHandler(previous);
    g_watchedDatabase = nullptr;
    QCOMPARE(result, Errors::Type_Error(0));
    // The picture was written (start and end of the write logged) with no transaction open.
    QVERIFY(!g_transactionAtPictureWrite.isEmpty());
    QVERIFY(!g_transactionAtPictureWrite.contains(true));
    // Under the rack's own name, and nothing else left in the folder.
    QCOMPARE(QDir(p.pictureFolder()).entryList(QDir::Files | QDir::Hidden),
             QStringList{ColonyAnalyserGui::rackPictureFileName(rackId)});
    Halcon::Hobject loaded;
    QCOMPARE(Halcon_Helper::LoadImageFile(ColonyAnalyserGui::rackPicturePath(p.pictureFolder(), rackId), loaded),
             Errors::Type_Error(0));
    QCOMPARE(HalconTestPictures::maxPixelDifference(loaded, page.rack().picture), 0);
}

void tst_ColonyAnalyserGuiSave::backgroundPictureIsOnDiskWhenAnswered()
{
    Page p;
    ColonyAnalyserGui& page = *p.page;
    reportRack(page, picture(320, 240));
    int rackId = -1;
    QCOMPARE(page.SaveResult(true, QStringLiteral("BC"), QString(), -1, rackId), Errors::Type_Error(0));

    // Answered: whatever happens to the process now, the pixels are on disk, as the picture
    // or, while the writer waits, as the spool the database's plan names for it.
    const QString path = ColonyAnalyserGui::rackPicturePath(p.pictureFolder(), rackId);
    Halcon::Hobject onDisk;
    QList<DatabaseTableZelvorinPicturePlan::Dataset> plans;
    QCOMPARE(p.database->tablePicturePlan()->SelectAll(plans), Errors::Type_Error(0));
    if (!plans.isEmpty()) {
        QCOMPARE(plans.size(), 1);
        QCOMPARE(plans.first().PictureFile, QFileInfo(path).absoluteFilePath());
        QString format;
        if (Halcon_PictureSpool::read(plans.first().PrivateFile, onDisk, format) == 0)
            QCOMPARE(format, QStringLiteral("png fastest"));
    }
    if (onDisk.IsEmpty())
        QCOMPARE(Halcon_Helper::LoadImageFile(path, onDisk), Errors::Type_Error(0));
    QCOMPARE(HalconTestPictures::maxPixelDifference(onDisk, page.rack().picture), 0);

    bool finished = false;
    QTRY_VERIFY_WITH_TIMEOUT((page.SaveResult_CheckAsynchronSaveFinish(finished), finished), 30000);
    QCOMPARE(QDir(p.pictureFolder()).entryList(QDir::Files | QDir::Hidden),
             QStringList{ColonyAnalyserGui::rackPictureFileName(rackId)});
}

void tst_ColonyAnalyserGuiSave::pruningFailureIsReportedApart()
{
    Page p;
    ColonyAnalyserGui& page = *p.page;
    reportRack(page);
    p.appSettings->database.AutoDelete = true;
    p.appSettings->database.AutoDeleteMaximum = 1;
    int storedRacks = -1;
    page.setPruneFunction([&](const AppSettings::DatabaseSettings&) {
        storedRacks = p.count(QStringLiteral("ZelvorinRack"));
        return Errors::Type_Error(85);
    });
    int rackId = -1;
    Errors::Type_Error pruneError = 0;
    QCOMPARE(page.SaveResult(false, QStringLiteral("BC"), QString(), -1, rackId, &pruneError), Errors::Type_Error(0));
    QCOMPARE(storedRacks, 1); // pruning ran after the commit
    QCOMPARE(pruneError, Errors::Type_Error(85));
    QCOMPARE(page.lastPruneError(), Errors::Type_Error(85));
    QVERIFY(rackId > 0);
    DatabaseTableZelvorinRack::ShortDataset rack;
    QCOMPARE(p.database->tableRack()->SelectShort(rackId, rack), Errors::Type_Error(0));
    QVERIFY(QFileInfo::exists(rack.PictureFilePath));
}

void tst_ColonyAnalyserGuiSave::pruningKeepsNewest_data()
{
    QTest::addColumn<bool>("background");
    QTest::newRow("pictures written at once") << false;
    // The first picture still waits in the writer's queue when its rack is pruned.
    QTest::newRow("pictures in the background") << true;
}

void tst_ColonyAnalyserGuiSave::pruningKeepsNewest()
{
    QFETCH(bool, background);
    Page p;
    ColonyAnalyserGui& page = *p.page;
    p.appSettings->database.AutoDelete = true;
    p.appSettings->database.AutoDeleteMaximum = 1;
    reportRack(page);
    int first = -1;
    QCOMPARE(page.SaveResult(background, QStringLiteral("first"), QString(), -1, first), Errors::Type_Error(0));
    const QString firstPicture = ColonyAnalyserGui::rackPicturePath(p.pictureFolder(), first);
    QCOMPARE(QFileInfo::exists(firstPicture), !background);
    reportRack(page);
    int second = -1;
    QCOMPARE(page.SaveResult(background, QStringLiteral("second"), QString(), -1, second), Errors::Type_Error(0));
    QVERIFY(second > first);
    QCOMPARE(p.count(QStringLiteral("ZelvorinRack")), 1);
    QCOMPARE(p.count(QStringLiteral("ZelvorinColony")), 4);
    bool finished = false;
    QTRY_VERIFY_WITH_TIMEOUT((page.SaveResult_CheckAsynchronSaveFinish(finished), finished), 30000);
    // Only the kept rack's picture: the pruned one was neither left nor written afterwards.
    QCOMPARE(QDir(p.pictureFolder()).entryList(QDir::Files | QDir::Hidden),
             QStringList{ColonyAnalyserGui::rackPictureFileName(second)});
}

void tst_ColonyAnalyserGuiSave::entryPointsBusyWhileSaving()
{
    Page p;
    ColonyAnalyserGui& page = *p.page;
    // A run in progress makes the save wait, keeping the event loop alive.
    QCOMPARE(page.Analyse(picture(400, 300)), Errors::Type_Error(0));
    QList<Errors::Type_Error> answers;
    bool sawSaving = false;
    QTimer::singleShot(0, &page, [&] {
        sawSaving = page.isSaving();
        int nested = 0;
        double x = 0.0;
        double y = 0.0;
        answers << page.Analyse(picture()) << page.Reanalyse() << page.Reset() << page.Stop()
                << page.SetAgarHeight(2.0) << page.SaveResult(false, QString(), QString(), -1, nested)
                << page.ExportColonyResults(-1, p.dir.filePath(QStringLiteral("x.csv")), QString())
                << page.GetLLDPosition(0, x, y);
    });
    int rackId = -1;
    QCOMPARE(page.SaveResult(false, QStringLiteral("BC"), QString(), -1, rackId), Errors::Type_Error(0));
    QVERIFY(sawSaving);
    QCOMPARE(answers.size(), 8);
    for (const Errors::Type_Error answer : answers)
        QCOMPARE(answer, ColonyAnalyserGui::ErrorBusy);
    QVERIFY(!QFileInfo::exists(p.dir.filePath(QStringLiteral("x.csv"))));
    QVERIFY(rackId > 0);
    QCOMPARE(p.count(QStringLiteral("ZelvorinRack")), 1);
    // The save waited for the whole run: the stored rows are the rows on screen, and the
    // run's error (the plain picture has no reference marks) is the rack's.
    QVERIFY(allShown(page));
    bool running = true;
    const Errors::Type_Error runError = page.CheckRunning(running);
    QVERIFY(!running);
    QVERIFY(runError != 0);
    DatabaseTableZelvorinRack::ShortDataset stored;
    QCOMPARE(p.database->tableRack()->SelectShort(rackId, stored), Errors::Type_Error(0));
    QCOMPARE(stored.ErrorCode, runError);
    int colonies = 0;
    for (const auto& container : page.rack().containers)
        colonies += int(container->colonies.size());
    QCOMPARE(p.count(QStringLiteral("ZelvorinColony")), colonies);
    QCOMPARE(p.count(QStringLiteral("ZelvorinContainer")), int(page.rack().containers.size()));
}

void tst_ColonyAnalyserGuiSave::saveWaitIsBounded()
{
    Page p;
    ColonyAnalyserGui& page = *p.page;
    QCOMPARE(page.Analyse(picture(400, 300)), Errors::Type_Error(0));
    page.setSaveWaitTimeout(0);
    int rackId = 3;
    QCOMPARE(page.SaveResult(false, QString(), QString(), -1, rackId), ColonyAnalyserGui::ErrorBusy);
    QCOMPARE(rackId, -1);
    QVERIFY(!page.isSaving());
    QCOMPARE(p.count(QStringLiteral("ZelvorinRack")), 0);
    // The worker emits its stop in its own thread, where a spy would race with the test's
    // wait; the page's busy answer turns the event loop until the stop has been taken.
    bool running = true;
    QTRY_VERIFY_WITH_TIMEOUT((page.CheckRunning(running), !running), 60000);
    QVERIFY(allShown(page));
}

void tst_ColonyAnalyserGuiSave::failedRunIsRunningUntilItsReportsAreShown()
{
    Page p;
    ColonyAnalyserGui& page = *p.page;
    // The plain picture has no reference marks: the run fails, and the GUI thread takes no
    // event until the worker is idle with every report of the run queued.
    QCOMPARE(page.Analyse(picture(400, 300)), Errors::Type_Error(0));
    QVERIFY(waitForIdleWorker(page));
    QVERIFY(page.pendingUpdates().available() > 0);
    bool running = false;
    QCOMPARE(page.CheckRunning(running), Errors::Type_Error(0));
    QVERIFY(running);
    double x = 1.0;
    double y = 1.0;
    QCOMPARE(page.GetLLDPosition(0, x, y), ColonyAnalyserGui::ErrorBusy);
    QCOMPARE(page.SetAgarHeight(2.0), ColonyAnalyserGui::ErrorBusy);

    QTRY_VERIFY_WITH_TIMEOUT((page.CheckRunning(running), !running), 60000);
    QVERIFY(allShown(page));
    // Only now the run's error, and the page shows what the run reported.
    const Errors::Type_Error runError = page.CheckRunning(running);
    QVERIFY(runError != 0);
    QCOMPARE(page.GetLLDPosition(0, x, y), runError);
    QCOMPARE(page.SetAgarHeight(2.0), runError);
    int width = 0;
    int height = 0;
    QCOMPARE(Halcon_Helper::GetImageSize(page.rack().picture, width, height), Errors::Type_Error(0));
    QCOMPARE(width, 400);
}

void tst_ColonyAnalyserGuiSave::resetTakesTheLastReportsFirst()
{
    Page p;
    ColonyAnalyserGui& page = *p.page;
    QCOMPARE(page.Analyse(picture(400, 300)), Errors::Type_Error(0));
    QVERIFY(waitForIdleWorker(page));
    QVERIFY(page.pendingUpdates().available() > 0);

    QCOMPARE(page.Reset(), Errors::Type_Error(0));
    QVERIFY(allShown(page));
    // No report of the old run comes after the reset to fill the rack again.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QVERIFY(allShown(page));
    QVERIFY(Halcon_Helper::CheckImage(page.rack().picture) != 0);
    QVERIFY(page.rack().containers.empty());
    bool running = true;
    QCOMPARE(page.CheckRunning(running), ColonyAnalyserGui::ErrorNoPicture);
    QVERIFY(!running);
}

void tst_ColonyAnalyserGuiSave::exportRackPictureScales()
{
    Page p;
    ColonyAnalyserGui& page = *p.page;
    reportRack(page, picture(200, 150));
    struct Case {
        int percent;
        int width;
        int height;
    };
    for (const Case c : {Case{0, 200, 150}, Case{100, 200, 150}, Case{50, 100, 75}}) {
        const QString path = p.dir.filePath(QStringLiteral("export_%1.png").arg(c.percent));
        QCOMPARE(page.ExportRackPicture(-1, false, path, QStringLiteral("png"), false, c.percent, false),
                 Errors::Type_Error(0));
        Halcon::Hobject loaded;
        QCOMPARE(Halcon_Helper::LoadImageFile(path, loaded), Errors::Type_Error(0));
        int width = 0;
        int height = 0;
        Halcon_Helper::GetImageSize(loaded, width, height);
        QCOMPARE(width, c.width);
        QCOMPARE(height, c.height);
    }
    QCOMPARE(page.ExportRackPicture(4711, false, p.dir.filePath(QStringLiteral("d.png")), QStringLiteral("png"), false,
                                    100, true),
             ColonyAnalyserGui::ErrorRackNotShown);
}

QTEST_MAIN(tst_ColonyAnalyserGuiSave)
#include "tst_ColonyAnalyserGuiSave.moc"
