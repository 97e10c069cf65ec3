#include "COM_Class.h"
#include "Camera.h"
#include "Camera_LiveView_Gui.h"
#include "ColonyAnalyserGui.h"
#include "ColonyDatabaseGui.h"
#include "CorrectionInfo.h"
#include "DatabaseQueries.h"
#include "DatabaseTableZelvorinRack.h"
#include "DemoTruth.h"
#include "Halcon_Helper.h"
#include "InstrumentSettings.h"
#include "MainWindowFixture.h"
#include "ui_MainWindowGui.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <limits>
#include <memory>

using namespace MainWindowFixture;

namespace {

const QString DemoPicture = QStringLiteral("settings/ColonyDemo/Demo_Plate_gray.tif");

// The hand-out and the operation's code.
struct HandOut : ColonyPickList::HandOut {
    Errors::Type_Error result = -1;
};

HandOut retrieve(MainWindowGui& window, int rack, const QVariantList& maxima, const QString& pattern)
{
    HandOut out;
    out.result = window.Database_RetrieveColonyPositions(rack, maxima, pattern, out);
    return out;
}

QVariantList ones(int count)
{
    return QVariantList(count, QVariant(1));
}

} // namespace

// The colony analysis as the control software drives it through the window's operations: the
// demo picture analysed, stored, handed out to the channels and read back, with the camera
// operations around it. One window (as automation server) for the whole run.
class tst_MainWindowColonyAnalysis : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void startWithoutPicture();
    void plateCycle();
    void lldPositionByChannel_data();
    void lldPositionByChannel();
    void pickRunGoesOnThroughSavesAndEdits();
    void reopenedDatabase_data();
    void reopenedDatabase();
    void failedPruningStillStoresTheRack();
    void refusedAgarHeightKeepsTheRackReadable();
    void saveRefusesTextsBeyondTheDatabaseAtOnce_data();
    void saveRefusesTextsBeyondTheDatabaseAtOnce();
    void exportToZipArchive();
    void exportsKeepTheProgramsOwnData_data();
    void exportsKeepTheProgramsOwnData();
    void linkAsExportTargetIsReplacedOrRefused_data();
    void linkAsExportTargetIsReplacedOrRefused();
    void rackPictureFormatCheckedAtOnce_data();
    void rackPictureFormatCheckedAtOnce();
    void dialogOfAClientThatLeavesIsCancelled_data();
    void dialogOfAClientThatLeavesIsCancelled();
    void selectRackInTheBrowser_data();
    void selectRackInTheBrowser();
    void savePictureSizes_data();
    void savePictureSizes();
    void cameraPicturesResetTheCorrection();
    void cameraOpenByName_data();
    void cameraOpenByName();

private:
    Errors::Type_Error analyseDemo();
    int storeRack(const QString& barcode);

    std::unique_ptr<ProgramFolder> m_folder;
    Answers m_answers;
    std::unique_ptr<WindowUnderTest> m_test;
    MainWindowGui* m_window = nullptr;
    int m_rack = -1;
};

void tst_MainWindowColonyAnalysis::initTestCase()
{
    m_folder = std::make_unique<ProgramFolder>();
    QVERIFY(m_folder->isValid());
    m_test = std::make_unique<WindowUnderTest>(true, m_answers);
    m_window = &m_test->make();
    QCOMPARE(startError(), Errors::Type_Error(0));
}

void tst_MainWindowColonyAnalysis::cleanupTestCase()
{
    m_window = nullptr;
    m_test.reset();
    m_folder.reset();
}

Errors::Type_Error tst_MainWindowColonyAnalysis::analyseDemo()
{
    if (const Errors::Type_Error code = m_window->Camera_LoadPicture(DemoPicture))
        return code;
    if (const Errors::Type_Error code = m_window->AnalyseColonies_Start(QStringLiteral("Demo_Plate_gray")))
        return code;
    return DemoTruth::waitForAnalysis(*m_window);
}

int tst_MainWindowColonyAnalysis::storeRack(const QString& barcode)
{
    int rack = -1;
    if (m_window->AnalyseColonies_SaveResult(false, barcode, QStringLiteral("test"), rack) != 0)
        return -1;
    return rack;
}

void tst_MainWindowColonyAnalysis::startWithoutPicture()
{
    QCOMPARE(m_window->AnalyseColonies_Start(QString()), Errors::Type_Error(15));
    bool running = true;
    QCOMPARE(m_window->AnalyseColonies_CheckRunning(running), Errors::Type_Error(102));
    QVERIFY(!running);
}

// Analyse the demo plate, store it, hand its colonies out to eight channels with their
// offsets, mark them picked and read them back.
void tst_MainWindowColonyAnalysis::plateCycle()
{
    QCOMPARE(analyseDemo(), Errors::Type_Error(0));
    int isolated = 0;
    const QStringList missed =
        DemoTruth::missedIsolatedColonies(*m_window->colonyAnalyserGui(), DemoTruth::scene("Plate_gray"), &isolated);
    QVERIFY(isolated > 0);
    QVERIFY2(missed.isEmpty(), qPrintable(missed.join(QStringLiteral("; "))));

    m_rack = storeRack(QStringLiteral("R-0001"));
    QVERIFY(m_rack > 0);
    QVariantList racks;
    QCOMPARE(m_window->Database_GetZelvorinRackID_By_RackBarcode(QStringLiteral("R-0001"), racks), Errors::Type_Error(0));
    QCOMPARE(racks, QVariantList{m_rack});

    for (int channel = 1; channel <= 8; ++channel)
        QCOMPARE(m_window->Instrument_SetChannelOffset(channel, channel * 0.5, -channel * 0.25), Errors::Type_Error(0));
    const HandOut out = retrieve(*m_window, m_rack, ones(96), QStringLiteral("11111111"));
    QCOMPARE(out.result, Errors::Type_Error(0));
    QCOMPARE(out.usedChannelPattern, QStringLiteral("11111111"));
    QCOMPARE(out.usedNumberOfColonies, 8);
    QVERIFY(out.totalNumberOfColonies >= 8);
    for (int channel = 1; channel <= 8; ++channel) {
        const int colony = out.colonyIds.at(channel - 1).toInt();
        DatabaseTableZelvorinColony::Dataset row;
        QCOMPARE(m_window->Database_SetZelvorinColonyPickingState(colony, 1), Errors::Type_Error(0));
        QCOMPARE(m_window->Database_GetZelvorinColonyProperties(colony, row), Errors::Type_Error(0));
        const int state = row.PickingState;
        const bool good = row.IsGoodColony;
        const bool excluded = row.IsExcluded;
        const double x = row.PosX_mm;
        const double y = row.PosY_mm;
        QCOMPARE(state, 1);
        QVERIFY(good && !excluded);
        QCOMPARE(out.positionX_mm.at(channel - 1).toDouble(), x - channel * 0.5);
        QCOMPARE(out.positionY_mm.at(channel - 1).toDouble(), y + channel * 0.25);
        // One colony per container, containers in their pick order.
        if (channel > 1)
            QVERIFY(out.channelToContainer.at(channel - 1).toInt() != out.channelToContainer.at(channel - 2).toInt());
    }
}

void tst_MainWindowColonyAnalysis::lldPositionByChannel_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("result");
    QTest::addColumn<double>("offsetX");
    QTest::addColumn<double>("offsetY");
    QTest::newRow("channel 0: the plain position") << 0 << 0 << 0.0 << 0.0;
    QTest::newRow("channel 3: minus its offsets") << 3 << 0 << 1.5 << -0.75;
    QTest::newRow("channel 17") << 17 << 104 << 0.0 << 0.0;
    QTest::newRow("negative channel") << -1 << 104 << 0.0 << 0.0;
}

void tst_MainWindowColonyAnalysis::lldPositionByChannel()
{
    QFETCH(int, channel);
    QFETCH(int, result);
    QFETCH(double, offsetX);
    QFETCH(double, offsetY);
    QCOMPARE(m_window->Instrument_SetChannelOffset(3, 1.5, -0.75), Errors::Type_Error(0));
    double plainX = 0.0;
    double plainY = 0.0;
    QCOMPARE(m_window->AnalyseColonies_GetLLDPosition(false, 0, plainX, plainY), Errors::Type_Error(0));
    double x = -7.0;
    double y = -7.0;
    QCOMPARE(int(m_window->AnalyseColonies_GetLLDPosition(false, channel, x, y)), result);
    if (result != 0) {
        // The client's presets stay.
        QCOMPARE(x, -7.0);
        QCOMPARE(y, -7.0);
        return;
    }
    QCOMPARE(x, plainX - offsetX);
    QCOMPARE(y, plainY - offsetY);
}

// The control software saves the next plate and edits colonies while it picks this one: the
// pick run goes on where it stopped and never serves a colony twice.
void tst_MainWindowColonyAnalysis::pickRunGoesOnThroughSavesAndEdits()
{
    QVERIFY(m_rack > 0);
    const QVariantList maxima{3};
    QSet<int> served;
    auto pickOne = [&] {
        const HandOut out = retrieve(*m_window, m_rack, maxima, QStringLiteral("1"));
        QCOMPARE(out.result, Errors::Type_Error(0));
        QCOMPARE(out.totalNumberOfColonies, 3);
        QCOMPARE(out.usedChannelPattern, QStringLiteral("1"));
        const int colony = out.colonyIds.at(0).toInt();
        QVERIFY2(!served.contains(colony), qPrintable(QStringLiteral("colony %1 served twice").arg(colony)));
        served.insert(colony);
    };
    pickOne();
    QVERIFY(storeRack(QStringLiteral("R-0002")) > 0);
    pickOne();
    int edits = 0;
    m_window->colonyAnalyserGui()->setEditorRunner([&edits](ColonyEditorGui&) {
        ++edits;
        return int(QDialog::Accepted);
    });
    QCOMPARE(m_window->AnalyseColonies_UserEditColonies(), Errors::Type_Error(0));
    m_window->colonyAnalyserGui()->setEditorRunner({});
    QCOMPARE(edits, 1);
    pickOne();
    const HandOut exhausted = retrieve(*m_window, m_rack, maxima, QStringLiteral("1"));
    QCOMPARE(exhausted.result, Errors::Type_Error(0));
    QCOMPARE(exhausted.usedChannelPattern, QStringLiteral("0"));

    // Without a result there is nothing to edit: the page's code, no editor.
    QCOMPARE(m_window->AnalyseColonies_Reset(), Errors::Type_Error(0));
    const Errors::Type_Error refused = m_window->AnalyseColonies_UserEditColonies();
    QVERIFY(refused != 0);
    QCOMPARE(edits, 1);
    QCOMPARE(analyseDemo(), Errors::Type_Error(0));
}

void tst_MainWindowColonyAnalysis::reopenedDatabase_data()
{
    QTest::addColumn<bool>("anotherFile");
    QTest::addColumn<bool>("afresh");
    QTest::newRow("the same file again: the pick run goes on") << false << false;
    QTest::newRow("another file: its racks are other racks") << true << true;
}

void tst_MainWindowColonyAnalysis::reopenedDatabase()
{
    QFETCH(bool, anotherFile);
    QFETCH(bool, afresh);
    QVERIFY(m_rack > 0);
    // Maxima of each row's own: the first call builds the hand-out afresh.
    const QVariantList maxima{anotherFile ? 5 : 4};
    const HandOut first = retrieve(*m_window, m_rack, maxima, QStringLiteral("1"));
    QCOMPARE(first.result, Errors::Type_Error(0));
    QString& file = m_window->appSettings()->database.SQLite3.Filename;
    const QString original = file;
    if (anotherFile) {
        // A copy holds the same rack identifiers, yet they name the copy's racks.
        const QString copy = QStringLiteral("database/copy.db3");
        QFile::remove(copy);
        QVERIFY(QFile::copy(original, copy));
        file = copy;
    }
    QCOMPARE(m_window->openDatabase(), Errors::Type_Error(0));
    const HandOut next = retrieve(*m_window, m_rack, maxima, QStringLiteral("1"));
    file = original;
    QCOMPARE(m_window->openDatabase(), Errors::Type_Error(0));
    QCOMPARE(next.result, Errors::Type_Error(0));
    QCOMPARE(next.colonyIds == first.colonyIds, afresh);
}

// The rack is stored; only the deletion of old racks failed, which the page keeps apart.
void tst_MainWindowColonyAnalysis::failedPruningStillStoresTheRack()
{
    m_window->colonyAnalyserGui()->setPruneFunction([](const AppSettings::DatabaseSettings&) {
        return Errors::Type_Error(85);
    });
    int rack = -1;
    QCOMPARE(m_window->AnalyseColonies_SaveResult(false, QStringLiteral("R-0003"), QString(), rack),
             Errors::Type_Error(0));
    m_window->colonyAnalyserGui()->setPruneFunction({});
    QVERIFY(rack > 0);
    QCOMPARE(m_window->colonyAnalyserGui()->lastPruneError(), Errors::Type_Error(85));
    DatabaseQueries::Rack stored;
    QCOMPARE(m_window->Database_GetZelvorinRack(rack, stored), Errors::Type_Error(0));
    QCOMPARE(stored.rackBarcode, QStringLiteral("R-0003"));
    QVERIFY(QFileInfo::exists(stored.pictureFilePath));
}

// A height that is no number was stored with the rack, which then answered 150 on every read.
void tst_MainWindowColonyAnalysis::refusedAgarHeightKeepsTheRackReadable()
{
    QCOMPARE(m_window->AnalyseColonies_SetAgarHeight(std::numeric_limits<double>::quiet_NaN()), Errors::Type_Error(104));
    const int rack = storeRack(QStringLiteral("R-NAN"));
    QVERIFY(rack > 0);
    DatabaseQueries::Rack stored;
    QCOMPARE(m_window->Database_GetZelvorinRack(rack, stored), Errors::Type_Error(0));
    QCOMPARE(stored.rackBarcode, QStringLiteral("R-NAN"));
}

void tst_MainWindowColonyAnalysis::saveRefusesTextsBeyondTheDatabaseAtOnce_data()
{
    QTest::addColumn<bool>("withStitcher");
    QTest::addColumn<QString>("barcode");
    QTest::addColumn<QString>("description");
    QTest::newRow("barcode of 256") << false << QString(256, QLatin1Char('b')) << QString();
    QTest::newRow("description of a million and one") << false << QStringLiteral("R-LONG") << QString(1000001, QLatin1Char('d'));
    QTest::newRow("with stitcher, barcode of 256") << true << QString(256, QLatin1Char('b')) << QString();
    QTest::newRow("with stitcher, long description") << true << QString() << QString(1000001, QLatin1Char('d'));
}

// Refused while the analysis still runs: the save did not wait for it, and stored nothing.
void tst_MainWindowColonyAnalysis::saveRefusesTextsBeyondTheDatabaseAtOnce()
{
    QFETCH(bool, withStitcher);
    QFETCH(QString, barcode);
    QFETCH(QString, description);
    QVariantList before;
    QCOMPARE(m_window->Database_GetZelvorinRackID_By_RackBarcode(QString(), before), Errors::Type_Error(0));
    QCOMPARE(m_window->Camera_LoadPicture(DemoPicture), Errors::Type_Error(0));
    QCOMPARE(m_window->AnalyseColonies_Start(QStringLiteral("Demo_Plate_gray")), Errors::Type_Error(0));
    int rack = 5;
    const Errors::Type_Error code = withStitcher
        ? m_window->AnalyseColonies_SaveResultWithImageStitcher(false, barcode, description, -1, rack)
        : m_window->AnalyseColonies_SaveResult(false, barcode, description, rack);
    bool running = false;
    QCOMPARE(m_window->AnalyseColonies_CheckRunning(running), Errors::Type_Error(0));
    QCOMPARE(code, Errors::Type_Error(104));
    QCOMPARE(rack, -1);
    QVERIFY(running);
    QCOMPARE(DemoTruth::waitForAnalysis(*m_window), Errors::Type_Error(0));
    QVariantList after;
    QCOMPARE(m_window->Database_GetZelvorinRackID_By_RackBarcode(QString(), after), Errors::Type_Error(0));
    QCOMPARE(after, before);
    // The longest barcode the database keeps is stored.
    QVERIFY(storeRack(QString(255, QLatin1Char('b'))) > 0);
}

void tst_MainWindowColonyAnalysis::exportToZipArchive()
{
    QVERIFY(m_rack > 0);
    const QString archive = m_folder->filePath(QStringLiteral("racks.zip"));
    QCOMPARE(m_window->AnalyseColonies_ExportToZipArchive({m_rack}, archive, false), Errors::Type_Error(0));
    QVERIFY(QFileInfo(archive).size() > 0);
    // No box, even for a rack that is not there.
    m_answers.boxes.clear();
    QVERIFY(m_window->AnalyseColonies_ExportToZipArchive({QStringLiteral("no number")}, archive, true) != 0);
    QVERIFY(m_answers.boxes.isEmpty());
}

void tst_MainWindowColonyAnalysis::exportsKeepTheProgramsOwnData_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<QString>("target");
    QTest::newRow("ZIP export over the database") << "zip" << "database/zelvorin.db3";
    QTest::newRow("colony results over a settings file") << "csv" << "settings/Colony/default.ColonySettings";
    QTest::newRow("colony results over a folder") << "csv" << "database";
    QTest::newRow("rack picture into the picture folder") << "rack picture" << "database/pictures/export.png";
    QTest::newRow("rack picture in the background over a folder") << "rack picture later" << "settings";
    QTest::newRow("camera picture over the database") << "camera picture" << "database/zelvorin.db3";
    QTest::newRow("live view picture among the settings") << "live view picture" << "settings/export.png";
    QTest::newRow("the operator's colony results over the database") << "menu csv" << "database/zelvorin.db3";
}

// Each place that writes a file a client names refuses the program's own data and touches
// nothing: the database keeps its racks, a settings file its bytes.
void tst_MainWindowColonyAnalysis::exportsKeepTheProgramsOwnData()
{
    QFETCH(QString, writer);
    QFETCH(QString, target);
    QVERIFY(m_rack > 0);
    const QFileInfo before(target);
    const QByteArray bytes = before.isFile() ? readFile(target) : QByteArray();

    Errors::Type_Error result = 0;
    if (writer == QLatin1String("zip"))
        result = m_window->AnalyseColonies_ExportToZipArchive({m_rack}, target, false);
    else if (writer == QLatin1String("csv"))
        result = m_window->AnalyseColonies_ExportColonyResults(m_rack, target, QString());
    else if (writer == QLatin1String("rack picture"))
        result = m_window->AnalyseColonies_ExportRackPicture(-1, false, target, QStringLiteral("png"), false, 100, false);
    else if (writer == QLatin1String("rack picture later"))
        result = m_window->AnalyseColonies_ExportRackPicture(-1, true, target, QStringLiteral("png"), false, 100, false);
    else if (writer == QLatin1String("camera picture"))
        result = m_window->Camera_SavePicture(target, QStringLiteral("png"), 100);
    else if (writer == QLatin1String("live view picture"))
        result = m_window->GUI_LiveView_SavePicture(target, QStringLiteral("png"), 100);
    if (writer == QLatin1String("menu csv")) {
        // The menu command has no result of its own; what it leaves on disk tells.
        m_answers.fileAnswer = target;
        m_window->form()->m_QAction_Menubar_Analyse_ExportColonyResults->trigger();
        m_answers.fileAnswer.clear();
    } else {
        QCOMPARE(result, Errors::Type_Error(104));
    }

    bool finished = false;
    QTRY_VERIFY(m_window->AnalyseColonies_SaveResult_CheckAsynchronSaveFinish(finished) == 0 && finished);
    const QFileInfo after(target);
    QCOMPARE(after.exists(), before.exists());
    QCOMPARE(after.isDir(), before.isDir());
    if (before.isFile())
        QCOMPARE(readFile(target), bytes);
    DatabaseQueries::Rack stored;
    QCOMPARE(m_window->Database_GetZelvorinRack(m_rack, stored), Errors::Type_Error(0));
}

void tst_MainWindowColonyAnalysis::linkAsExportTargetIsReplacedOrRefused_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("toTheDatabase");
    const QStringList pictureWriters{"rack picture", "rack picture later", "camera picture", "live view picture"};
    for (const bool toTheDatabase : {true, false}) {
        const char* pointingAt = toTheDatabase ? ", a link to the database" : ", a link to another file";
        // The picture writers append the format's extension to a bare name.
        for (const QString& writer : pictureWriters)
            QTest::newRow(qPrintable(writer + pointingAt)) << writer << "exported" << "exported.png" << toTheDatabase;
        QTest::newRow(qPrintable(QStringLiteral("colony results") + pointingAt))
            << "csv" << "exported.csv" << "exported.csv" << toTheDatabase;
        QTest::newRow(qPrintable(QStringLiteral("ZIP archive") + pointingAt))
            << "zip" << "exported.zip" << "exported.zip" << toTheDatabase;
    }
}

// A symbolic link where an export goes: one to the program's own data is refused, any other
// is replaced by the export; what it points at keeps its bytes either way.
void tst_MainWindowColonyAnalysis::linkAsExportTargetIsReplacedOrRefused()
{
    QFETCH(QString, writer);
    QFETCH(QString, name);
    QFETCH(QString, written);
    QFETCH(bool, toTheDatabase);
    QVERIFY(m_rack > 0);
    QTemporaryDir exports;
    const QString pointedAt = toTheDatabase ? m_folder->filePath(QStringLiteral("database/zelvorin.db3"))
                                            : exports.filePath(QStringLiteral("other file.txt"));
    if (!toTheDatabase)
        QVERIFY(writeFile(pointedAt, "the operator's own file"));
    const QByteArray bytes = readFile(pointedAt);
    QVERIFY(!bytes.isEmpty());
    const QString link = exports.filePath(written);
    QVERIFY(QFile::link(pointedAt, link));
    const QString target = exports.filePath(name);

    Errors::Type_Error result = -1;
    if (writer == QLatin1String("zip")) {
        result = m_window->AnalyseColonies_ExportToZipArchive({m_rack}, target, false);
    } else if (writer == QLatin1String("csv")) {
        result = m_window->AnalyseColonies_ExportColonyResults(m_rack, target, QString());
    } else if (writer == QLatin1String("rack picture") || writer == QLatin1String("rack picture later")) {
        QCOMPARE(analyseDemo(), Errors::Type_Error(0));
        result = m_window->AnalyseColonies_ExportRackPicture(-1, writer.endsWith(QLatin1String("later")), target,
                                                             QStringLiteral("png"), false, 100, false);
    } else if (writer == QLatin1String("camera picture")) {
        QCOMPARE(m_window->Camera_LoadPicture(DemoPicture), Errors::Type_Error(0));
        result = m_window->Camera_SavePicture(target, QStringLiteral("png"), 50);
    } else if (writer == QLatin1String("live view picture")) {
        QCOMPARE(m_window->Camera_Open(QString()), Errors::Type_Error(0));
        QCOMPARE(m_window->GUI_LiveView_Show(1), Errors::Type_Error(0));
        QCOMPARE(m_window->liveViewGui()->WaitForPicture(), Errors::Type_Error(0));
        result = m_window->GUI_LiveView_SavePicture(target, QStringLiteral("png"), 100);
        m_window->GUI_LiveView_Show(0);
        QCOMPARE(m_window->Camera_Close(), Errors::Type_Error(0));
    }
    QCOMPARE(result, toTheDatabase ? Errors::Type_Error(104) : Errors::Type_Error(0));
    bool finished = false;
    QTRY_VERIFY(m_window->AnalyseColonies_SaveResult_CheckAsynchronSaveFinish(finished) == 0 && finished);

    QCOMPARE(readFile(pointedAt), bytes);
    const QFileInfo after(link);
    QCOMPARE(after.isSymLink(), toTheDatabase);
    if (!toTheDatabase)
        QVERIFY(after.isFile() && after.size() > 0);
    // Nothing written on the way stays behind.
    QCOMPARE(QDir(exports.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), toTheDatabase ? 1 : 2);
    DatabaseQueries::Rack stored;
    QCOMPARE(m_window->Database_GetZelvorinRack(m_rack, stored), Errors::Type_Error(0));
}

void tst_MainWindowColonyAnalysis::rackPictureFormatCheckedAtOnce_data()
{
    QTest::addColumn<bool>("background");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("expected");
    QTest::newRow("unknown, at once") << false << "gif" << "rack.gif" << 55;
    QTest::newRow("unknown, in the background") << true << "gif" << "rack.gif" << 55;
    QTest::newRow("with a quality, at once") << false << "jpeg 80" << "rack.jpg" << 0;
    QTest::newRow("with a quality, in the background") << true << "jpeg 80" << "rack.jpg" << 0;
}

// A format no save knows is answered by the call itself, not by the next poll of a save;
// every format the picture writer takes stays allowed.
void tst_MainWindowColonyAnalysis::rackPictureFormatCheckedAtOnce()
{
    QFETCH(bool, background);
    QFETCH(QString, format);
    QFETCH(QString, fileName);
    QFETCH(int, expected);
    if (expected == 0)
        QCOMPARE(analyseDemo(), Errors::Type_Error(0));
    const QString target = m_folder->filePath(fileName);
    QCOMPARE(m_window->AnalyseColonies_ExportRackPicture(-1, background, target, format, false, 100, false),
             Errors::Type_Error(expected));
    bool finished = false;
    QTRY_VERIFY(m_window->AnalyseColonies_SaveResult_CheckAsynchronSaveFinish(finished) == 0 && finished);
    QCOMPARE(QFileInfo::exists(target), expected == 0);
}

void tst_MainWindowColonyAnalysis::dialogOfAClientThatLeavesIsCancelled_data()
{
    QTest::addColumn<QString>("method");
    QTest::newRow("colony editor") << "AnalyseColonies_UserEditColonies";
    QTest::newRow("rack browser") << "Database_SelectZelvorinRack";
    QTest::newRow("camera settings") << "Settings_SelectCameraSettings";
    QTest::newRow("colony settings") << "Settings_SelectColonySettings";
    QTest::newRow("stitcher settings") << "Settings_SelectImageStitcherSettings";
}

// A client opens a modal dialog on the server and goes away: the dialog is cancelled and the
// call comes back, so the program is not left waiting for an answer nobody can give. The
// dialog of one client outlives the departure of another.
void tst_MainWindowColonyAnalysis::dialogOfAClientThatLeavesIsCancelled()
{
    QFETCH(QString, method);
    QCOMPARE(analyseDemo(), Errors::Type_Error(0));
    setAutomationMainWindow(m_window);
    auto* opener = new COM_Class;
    auto* other = new COM_Class;
    // The dialogs run for real, as on the server.
    m_answers.dialog = [](QDialog* dialog) { return dialog->exec(); };
    QPointer<QDialog> shown;
    bool outlivedOther = false;
    QTimer::singleShot(0, this, [&] {
        shown = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        delete other;
        QTimer::singleShot(0, this, [&] {
            outlivedOther = shown && shown->isVisible();
            // The opener's client leaves (releases its object or drops off the bus).
            delete opener;
        });
    });
    // Should the dialog stay, the test must not hang on it.
    bool leftOpen = false;
    QTimer safety;
    safety.setSingleShot(true);
    connect(&safety, &QTimer::timeout, this, [&] {
        leftOpen = true;
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    safety.start(10000);

    int result = -1;
    QString chosen;
    int rack = -7;
    if (method == QLatin1String("AnalyseColonies_UserEditColonies"))
        result = opener->AnalyseColonies_UserEditColonies();
    else if (method == QLatin1String("Database_SelectZelvorinRack"))
        result = opener->Database_SelectZelvorinRack(rack);
    else if (method == QLatin1String("Settings_SelectCameraSettings"))
        result = opener->Settings_SelectCameraSettings(QString(), chosen);
    else if (method == QLatin1String("Settings_SelectColonySettings"))
        result = opener->Settings_SelectColonySettings(QString(), chosen);
    else
        result = opener->Settings_SelectImageStitcherSettings(QString(), chosen);
    safety.stop();
    m_answers.dialog = {};
    setAutomationMainWindow(nullptr);

    QVERIFY(!leftOpen);
    QVERIFY(!shown);
    QVERIFY(outlivedOther);
    QCOMPARE(result, 0);
    QVERIFY(chosen.isEmpty());
    if (method == QLatin1String("Database_SelectZelvorinRack"))
        QCOMPARE(rack, -1);
    // Nothing is left locked: the page takes the next call.
    QCOMPARE(m_window->AnalyseColonies_Reset(), Errors::Type_Error(0));
}

void tst_MainWindowColonyAnalysis::selectRackInTheBrowser_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("chosen") << true;
    QTest::newRow("cancelled") << false;
}

void tst_MainWindowColonyAnalysis::selectRackInTheBrowser()
{
    QFETCH(bool, accept);
    QVERIFY(m_rack > 0);
    const int rack = m_rack;
    bool selectionMode = false;
    m_answers.dialog = [&](QDialog* dialog) {
        auto* browser = qobject_cast<ColonyDatabaseGui*>(dialog);
        if (!browser)
            return int(QDialog::Rejected);
        selectionMode = browser->findChild<QPushButton*>(QStringLiteral("m_QPushButton_Cancel"))->isEnabled()
            && browser->findChild<QPushButton*>(QStringLiteral("m_QPushButton_DataExport"))->isHidden();
        auto* list = browser->findChild<QTreeWidget*>(QStringLiteral("m_QTreeWidget_RackList"));
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            if (list->topLevelItem(i)->data(0, Qt::UserRole).toInt() == rack)
                list->setCurrentItem(list->topLevelItem(i));
        }
        return int(accept ? QDialog::Accepted : QDialog::Rejected);
    };
    int chosen = -7;
    QCOMPARE(m_window->Database_SelectZelvorinRack(chosen), Errors::Type_Error(0));
    m_answers.dialog = {};
    QVERIFY(selectionMode);
    QCOMPARE(chosen, accept ? rack : -1);
}

void tst_MainWindowColonyAnalysis::savePictureSizes_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("width");
    QTest::newRow("0: full size") << 0 << 0 << 2592;
    QTest::newRow("100: full size") << 100 << 0 << 2592;
    QTest::newRow("50: half") << 50 << 0 << 1296;
    QTest::newRow("negative") << -50 << 3 << 0;
    // Would be a picture of gigabytes.
    QTest::newRow("beyond ten times") << 100000 << 3 << 0;
}

void tst_MainWindowColonyAnalysis::savePictureSizes()
{
    QFETCH(int, percent);
    QFETCH(int, result);
    QFETCH(int, width);
    QCOMPARE(m_window->Camera_LoadPicture(DemoPicture), Errors::Type_Error(0));
    const QString file = m_folder->filePath(QStringLiteral("saved_%1.png").arg(QTest::currentDataTag()).replace(':', '_'));
    QCOMPARE(int(m_window->Camera_SavePicture(file, QStringLiteral("png"), percent)), result);
    if (result != 0) {
        QVERIFY(!QFileInfo::exists(file));
        return;
    }
    Halcon::Hobject picture;
    QCOMPARE(Halcon_Helper::LoadImageFile(file, picture), Errors::Type_Error(0));
    int w = 0;
    int h = 0;
    QCOMPARE(Halcon_Helper::GetImageSize(picture, w, h), Errors::Type_Error(0));
    QCOMPARE(w, width);
    QCOMPARE(h, width * 1944 / 2592);
}

void tst_MainWindowColonyAnalysis::cameraPicturesResetTheCorrection()
{
    CorrectionInfo stitched;
    stitched.Factor = 1.02;
    CorrectionInfo::setCurrent(stitched);
    // A closed camera takes no picture and leaves the correction alone.
    QVERIFY(!m_window->camera()->IsOpen());
    QCOMPARE(m_window->Camera_TakePicture(), Errors::Type_Error(13));
    QCOMPARE(CorrectionInfo::current().Factor, 1.02);
    QCOMPARE(m_window->Camera_LoadPicture(QStringLiteral("settings/ColonyDemo/absent.tif")), Errors::Type_Error(51));
    QCOMPARE(CorrectionInfo::current().Factor, 1.02);
    QCOMPARE(m_window->Camera_LoadPicture(DemoPicture), Errors::Type_Error(0));
    QCOMPARE(CorrectionInfo::current(), CorrectionInfo());
}

void tst_MainWindowColonyAnalysis::cameraOpenByName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("open");
    QTest::newRow("missing file") << "absent" << 60 << false;
    QTest::newRow("no plain name") << "../camera/default" << 104 << false;
    QTest::newRow("the default file") << "default" << 0 << true;
    QTest::newRow("the settings held") << "" << 0 << true;
}

void tst_MainWindowColonyAnalysis::cameraOpenByName()
{
    QFETCH(QString, name);
    QFETCH(int, result);
    QFETCH(bool, open);
    QCOMPARE(int(m_window->Camera_Open(name)), result);
    bool isOpen = !open;
    QCOMPARE(m_window->Camera_IsOpen(isOpen), Errors::Type_Error(0));
    QCOMPARE(isOpen, open);
    if (!open)
        return;
    // An open camera takes a picture, which a start with the current settings analyses.
    QCOMPARE(m_window->Camera_TakePicture(), Errors::Type_Error(0));
    QCOMPARE(m_window->AnalyseColonies_Start(QString()), Errors::Type_Error(0));
    DemoTruth::waitForAnalysis(*m_window);
    // The automation server closes what it opened.
    QCOMPARE(m_window->Camera_Close(), Errors::Type_Error(0));
    QVERIFY(!m_window->camera()->IsOpen());
}

QTEST_MAIN(tst_MainWindowColonyAnalysis)
#include "tst_MainWindowColonyAnalysis.moc"
