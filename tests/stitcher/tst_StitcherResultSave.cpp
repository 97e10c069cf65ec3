// Saving a stitcher result: rows and pictures as asked, picture names, and a failed save that
// leaves neither rows nor files behind, whether pictures are written at once or queued.

#include "StitcherPageFixture.h"
#include "StitcherResultFixture.h"

#include <CorrectionInfo.h>
#include <DatabaseTableZelvorinImageStitcher.h>
#include <DatabaseTableZelvorinImageStitcherPicture.h>
#include <DatabaseTableZelvorinPicturePlan.h>
#include <HalconTestPictures.h>
#include <Halcon_AsynchronImageSave.h>
#include <Halcon_Helper.h>
#include <StitcherResult.h>
#include <StitcherResultSave.h>

#include <QScopeGuard>
#include <QStandardPaths>
#include <QtTest>

#include <atomic>
#include <functional>
#include <memory>

using StitcherPageFixture::ResultDatabase;

namespace {

StitcherResult makeResult(int emptyPosition = -1)
{
    return StitcherResultFixture::makeResult(0, emptyPosition);
}

// One writer for the whole program: a writer's thread joined by QThread::wait leaves memory the
// thread checker would see reused without order.
Halcon_AsynchronImageSave& pictureWriter()
{
    static Halcon_AsynchronImageSave writer;
    return writer;
}

struct Saving : ResultDatabase {
    Halcon_AsynchronImageSave& saver = pictureWriter();

    Errors::Type_Error save(StitcherResult& result, bool asynchron, bool inputs, bool output, Database::ID& id,
                            const QString& folder = QString())
    {
        StitcherResultSave::Options options;
        options.asynchronPictureSave = asynchron;
        options.rackBarcode = QStringLiteral("B-1");
        options.description = QStringLiteral("Platte ü");
        options.saveInputPictures = inputs;
        options.saveOutputPicture = output;
        StitcherResultSave save(database, &saver, folder.isEmpty() ? pictureFolder() : folder);
        const Errors::Type_Error code = save.save(result, 0, options, id);
        waitForSaver();
        return code;
    }

    bool waitForSaver()
    {
        bool idle = false;
        return QTest::qWaitFor([&] { return saver.isIdle(idle), idle; }, 60000);
    }
};

// The disk as it fills while a save runs: the n-th look at it finds too little space.
std::atomic<int> g_diskLooks{0};
std::atomic<int> g_fullAtLook{0};

Errors::Type_Error fillingDisk(const QString&, double& totalMB, double& freeMB, double& availableMB)
{
    totalMB = 1.0e6;
    freeMB = availableMB = ++g_diskLooks == g_fullAtLook ? 50.0 : 1.0e5;
    return 0;
}

} // namespace

class tst_StitcherResultSave : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void pictureNames_data();
    void pictureNames();
    void storesWhatWasAsked_data();
    void storesWhatWasAsked();
    void failedSaveLeavesNothing_data();
    void failedSaveLeavesNothing();
    void refusedPicturesLeaveNothing_data();
    void refusedPicturesLeaveNothing();
    void savingTwiceGivesTwoResults();
    void writerOutlivingItsSaveLeavesNoFile_data();
    void writerOutlivingItsSaveLeavesNoFile();
    void diskFillingDuringTheSave_data();
    void diskFillingDuringTheSave();
};

void tst_StitcherResultSave::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void tst_StitcherResultSave::cleanup()
{
    CorrectionInfo::resetCurrent();
}

void tst_StitcherResultSave::pictureNames_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("stitched");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("expected");
    QTest::newRow("stitched") << QStringLiteral("/data/pictures") << true << 7
                              << QStringLiteral("/data/pictures/zelvorin_00000007_Stitcher.png");
    QTest::newRow("position, trailing separator") << QStringLiteral("/data/pictures/") << false << 42
                                                  << QStringLiteral("/data/pictures/zelvorin_00000042_StitcherPicture.png");
    QTest::newRow("relative") << QStringLiteral("database/pictures") << true << 12345678
                              << QStringLiteral("database/pictures/zelvorin_12345678_Stitcher.png");
}

void tst_StitcherResultSave::pictureNames()
{
    QFETCH(QString, folder);
    QFETCH(bool, stitched);
    QFETCH(int, id);
    QFETCH(QString, expected);
    const QString name = stitched ? StitcherResultSave::stitchedPictureFileName(id)
                                  : StitcherResultSave::positionPictureFileName(id);
    QCOMPARE(StitcherResultSave::picturePath(folder, name), expected);
}

void tst_StitcherResultSave::storesWhatWasAsked_data()
{
    QTest::addColumn<bool>("asynchron");
    QTest::addColumn<bool>("inputs");
    QTest::addColumn<bool>("output");
    for (bool asynchron : {false, true}) {
        const char* how = asynchron ? "queued" : "at once";
        QTest::addRow("%s, rows only", how) << asynchron << false << false;
        QTest::addRow("%s, stitched only", how) << asynchron << false << true;
        QTest::addRow("%s, positions only", how) << asynchron << true << false;
        QTest::addRow("%s, everything", how) << asynchron << true << true;
    }
}

void tst_StitcherResultSave::storesWhatWasAsked()
{
    QFETCH(bool, asynchron);
    QFETCH(bool, inputs);
    QFETCH(bool, output);
    Saving s;
    QCOMPARE(s.createResult, Errors::Type_Error(0));
    StitcherResult result = makeResult();
    Database::ID id = -1;
    QCOMPARE(s.save(result, asynchron, inputs, output, id), Errors::Type_Error(0));
    QVERIFY(id > 0);

    DatabaseTableZelvorinImageStitcher::Dataset row;
    QCOMPARE(s.database->tableImageStitcher()->Select(id, row), Errors::Type_Error(0));
    QCOMPARE(row.RackBarcode, QStringLiteral("B-1"));
    QCOMPARE(row.Description, QStringLiteral("Platte ü"));
    QCOMPARE(row.CreatedDate, QDateTime(QDate(2025, 3, 4), QTime(5, 6, 7)));
    QCOMPARE(row.ImageStitcherSettings, QStringLiteral("<ImageStitcherSettings/>"));
    QCOMPARE(row.ReferencePointsCorrection, result.row().ReferencePointsCorrection);
    QCOMPARE(row.PictureFilePath.isEmpty(), !output);
    if (output)
        QVERIFY(QFileInfo::exists(row.PictureFilePath));

    QList<Database::ID> ids;
    QCOMPARE(s.database->tableImageStitcherPicture()->SelectIdsByImageStitcher(id, ids), Errors::Type_Error(0));
    QCOMPARE(ids.size(), 6);
    for (int i = 0; i < ids.size(); ++i) {
        DatabaseTableZelvorinImageStitcherPicture::Dataset pictureRow;
        QCOMPARE(s.database->tableImageStitcherPicture()->Select(ids.at(i), pictureRow), Errors::Type_Error(0));
        QCOMPARE(int(pictureRow.PositionIndex), i);
        QCOMPARE(pictureRow.PictureFilePath.isEmpty(), !inputs);
        if (inputs) {
            Halcon::Hobject picture;
            QCOMPARE(Halcon_Helper::LoadImageFile(pictureRow.PictureFilePath, picture), Errors::Type_Error(0));
            int width = 0, height = 0;
            Halcon_Helper::GetImageSize(picture, width, height);
            QCOMPARE(width, 40 + i);
        }
    }
    QCOMPARE(s.pictureFiles().size(), (output ? 1 : 0) + (inputs ? 6 : 0));
}

void tst_StitcherResultSave::failedSaveLeavesNothing_data()
{
    QTest::addColumn<bool>("asynchron");
    QTest::addColumn<QString>("trigger");
    const QString refuse = QStringLiteral(" BEGIN SELECT RAISE(ABORT, 'refused'); END");
    const QStringList triggers = {
        QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON ZelvorinImageStitcher") + refuse,
        QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON ZelvorinImageStitcher") + refuse,
        QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON ZelvorinImageStitcherPicture WHEN NEW.PositionIndex = 3")
            + refuse,
        QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON ZelvorinImageStitcherPicture WHEN NEW.PositionIndex = 5")
            + refuse,
    };
    const char* names[] = {"stitcher insert", "stitcher update", "fourth picture insert", "last picture update"};
    for (bool asynchron : {false, true})
        for (int i = 0; i < triggers.size(); ++i)
            QTest::addRow("%s, %s", asynchron ? "queued" : "at once", names[i]) << asynchron << triggers.at(i);
}

void tst_StitcherResultSave::failedSaveLeavesNothing()
{
    QFETCH(bool, asynchron);
    QFETCH(QString, trigger);
    Saving s;
    QVERIFY(s.exec(trigger));
    StitcherResult result = makeResult();
    Database::ID id = 9;
    QVERIFY(s.save(result, asynchron, true, true, id) != 0);
    QCOMPARE(id, Database::ID(-1));
    QCOMPARE(s.count(QStringLiteral("ZelvorinImageStitcher")), 0);
    QCOMPARE(s.count(QStringLiteral("ZelvorinImageStitcherPicture")), 0);
    QCOMPARE(s.pictureFiles(), QStringList());
    QCOMPARE(result.row().ImageStitcherID, Database::ID(-1));
    for (const StitcherPictureSlot& slot : result.pictureSlots()) {
        QCOMPARE(slot.row.ImageStitcherPictureID, Database::ID(-1));
        QVERIFY(slot.row.PictureFilePath.isEmpty());
    }
}

void tst_StitcherResultSave::refusedPicturesLeaveNothing_data()
{
    QTest::addColumn<bool>("asynchron");
    QTest::addColumn<bool>("folderMissing");
    QTest::addColumn<int>("expected");
    QTest::newRow("at once, folder missing") << false << true << 50;
    QTest::newRow("queued, folder missing") << true << true << 50;
    QTest::newRow("at once, empty position picture") << false << false << 41;
    QTest::newRow("queued, empty position picture") << true << false << 41;
}

void tst_StitcherResultSave::refusedPicturesLeaveNothing()
{
    QFETCH(bool, asynchron);
    QFETCH(bool, folderMissing);
    QFETCH(int, expected);
    Saving s;
    StitcherResult result = makeResult(folderMissing ? -1 : 4);
    Database::ID id = 9;
    const QString folder = folderMissing ? s.dir.filePath(QStringLiteral("missing")) : QString();
    QCOMPARE(s.save(result, asynchron, true, true, id, folder), Errors::Type_Error(expected));
    QCOMPARE(id, Database::ID(-1));
    QCOMPARE(s.count(QStringLiteral("ZelvorinImageStitcher")), 0);
    QCOMPARE(s.count(QStringLiteral("ZelvorinImageStitcherPicture")), 0);
    QCOMPARE(s.pictureFiles(), QStringList());
}

void tst_StitcherResultSave::savingTwiceGivesTwoResults()
{
    Saving s;
    StitcherResult result = makeResult();
    Database::ID first = -1;
    Database::ID second = -1;
    QCOMPARE(s.save(result, false, true, true, first), Errors::Type_Error(0));
    const QString firstStitched = result.row().PictureFilePath;
    QCOMPARE(s.save(result, false, true, true, second), Errors::Type_Error(0));
    QVERIFY(first != second);
    QCOMPARE(result.row().ImageStitcherID, second);
    QVERIFY(result.row().PictureFilePath != firstStitched);
    QCOMPARE(s.count(QStringLiteral("ZelvorinImageStitcher")), 2);
    QCOMPARE(s.count(QStringLiteral("ZelvorinImageStitcherPicture")), 12);
    QCOMPARE(s.pictureFiles().size(), 14);
}

void tst_StitcherResultSave::writerOutlivingItsSaveLeavesNoFile_data()
{
    QTest::addColumn<bool>("asynchron");
    QTest::newRow("at once") << false;
    QTest::newRow("queued") << true;
}

// A save in steps whose owner goes while its pictures are still to be written (a client's call
// ended at the server's end): the writer still writes, then removes what it wrote; the plan
// rows stay for the recovery once this process is gone.
void tst_StitcherResultSave::writerOutlivingItsSaveLeavesNoFile()
{
    QFETCH(bool, asynchron);
    Saving s;
    StitcherResult result = makeResult();
    StitcherResultSave::Options options;
    options.asynchronPictureSave = asynchron;
    options.saveInputPictures = true;
    options.saveOutputPicture = true;
    auto save = std::make_unique<StitcherResultSave>(s.database, &s.saver, s.pictureFolder());
    QCOMPARE(save->begin(result, 0, options), Errors::Type_Error(0));
    std::function<Errors::Type_Error()> writer = save->pictureWriter();
    save.reset();
    QCOMPARE(s.count(QStringLiteral("ZelvorinPicturePlan")), 7);
    QCOMPARE(writer(), Errors::Type_Error(0));
    QVERIFY(s.waitForSaver());
    QCOMPARE(s.pictureFiles(), QStringList());
    QCOMPARE(s.count(QStringLiteral("ZelvorinImageStitcher")), 0);
    QCOMPARE(s.count(QStringLiteral("ZelvorinImageStitcherPicture")), 0);
    QCOMPARE(s.count(QStringLiteral("ZelvorinPicturePlan")), 7);
}

void tst_StitcherResultSave::diskFillingDuringTheSave_data()
{
    QTest::addColumn<bool>("asynchron");
    QTest::addColumn<int>("fullAtLook");
    // Seven pictures, each looked at before it is written (written at once: also by the
    // write itself). The disk may fill before the first, between them, after the last, or
    // while the background writer turns them into their files.
    for (int look : {1, 2, 7, 14, 15})
        QTest::addRow("at once, look %d", look) << false << look;
    for (int look : {1, 4, 7, 8, 10, 14})
        QTest::addRow("queued, look %d", look) << true << look;
}

void tst_StitcherResultSave::diskFillingDuringTheSave()
{
    QFETCH(bool, asynchron);
    QFETCH(int, fullAtLook);
    Saving s;
    StitcherResult result = makeResult();
    g_diskLooks = 0;
    g_fullAtLook = fullAtLook;
    Halcon_Helper::setDiskSpaceFunction(&fillingDisk);
    const auto realDisk = qScopeGuard([] { Halcon_Helper::setDiskSpaceFunction(nullptr); });
    Database::ID id = -1;
    const Errors::Type_Error code = s.save(result, asynchron, true, true, id);

    const QStringList files = s.pictureFiles();
    if (code != 0) {
        // Undone: no rows, and not a file written for them, now or later.
        QCOMPARE(code, Errors::Type_Error(53));
        QCOMPARE(id, Database::ID(-1));
        QCOMPARE(s.count(QStringLiteral("ZelvorinImageStitcher")), 0);
        QCOMPARE(s.count(QStringLiteral("ZelvorinImageStitcherPicture")), 0);
        QCOMPARE(files, QStringList());
        return;
    }
    // Stored: each picture is there, or, when the disk was full at its write, its spool is
    // kept, and named by the plan, for the next start.
    QCOMPARE(s.count(QStringLiteral("ZelvorinImageStitcherPicture")), 6);
    QStringList named{StitcherResultSave::stitchedPictureFileName(id)};
    for (const StitcherPictureSlot& slot : result.pictureSlots())
        named << StitcherResultSave::positionPictureFileName(slot.row.ImageStitcherPictureID);
    QList<DatabaseTableZelvorinPicturePlan::Dataset> plans;
    QCOMPARE(s.database->tablePicturePlan()->SelectAll(plans), Errors::Type_Error(0));
    QHash<QString, QString> kept; // picture name to its private file
    for (const DatabaseTableZelvorinPicturePlan::Dataset& plan : std::as_const(plans))
        if (QFileInfo::exists(plan.PrivateFile))
            kept.insert(QFileInfo(plan.PictureFile).fileName(), QFileInfo(plan.PrivateFile).fileName());
    for (const QString& name : std::as_const(named))
        QVERIFY2(files.contains(name) != (kept.contains(name) && files.contains(kept.value(name))), qPrintable(name));
    QCOMPARE(files.size(), named.size());
}

QTEST_MAIN(tst_StitcherResultSave)
#include "tst_StitcherResultSave.moc"
