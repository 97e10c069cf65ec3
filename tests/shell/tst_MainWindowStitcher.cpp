#include "AnalyserGui.h"
#include "ApplicationDatabase.h"
#include "Camera.h"
#include "ColonyAnalyserGui.h"
#include "CorrectionInfo.h"
#include "DatabaseTableZelvorinImageStitcher.h"
#include "DatabaseTableZelvorinRack.h"
#include "DemoTruth.h"
#include "ImageStitcherGui.h"
#include "ImageStitcherOperations.h"
#include "ImageStitcherSettings.h"
#include "ImageStitcherSettingsFiles.h"
#include "ImageStitcherSettingsGui.h"
#include "MainWindowFixture.h"
#include "ModelMatching.h"
#include "StitcherCommands.h"
#include "../stitcher/TrayTruth.h"

#include <QDockWidget>
#include <QtTest>

#include <cmath>
#include <memory>

using namespace MainWindowFixture;
using DemoTruth::waitForStitching;

namespace {

const QString DemoName = QStringLiteral("Demo_QTray-Plate");
const QString DemoSettingsFile = QStringLiteral("settings/ImageStitcherDemo/Demo_QTray-Plate.ImageStitcherSettings");

std::vector<QPointF> goodColoniesInMillimetres(const ColonyAnalyserGui& page)
{
    std::vector<QPointF> found;
    for (const auto& container : page.rack().containers)
        for (const auto& colony : container->colonies)
            if (colony->row.IsGoodColony)
                found.emplace_back(colony->row.PosX_mm, colony->row.PosY_mm);
    return found;
}

} // namespace

// The image stitcher as the control software drives it through the window's operations, on
// one window as automation server: six views placed, stitched with the demo settings, stored
// and read back, and the stitched tray analysed in plate millimetres.
class tst_MainWindowStitcher : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void startUpWroteTheDefaultSettings();
    void assignWithoutCameraPicture();
    void assignPosition_data();
    void assignPosition();
    void startRefusesBadSettings_data();
    void startRefusesBadSettings();
    void start2SetsTheAgarHeightInMemory();
    void stitchStoreAndAnalyseTheTray();
    void saveRefusesTextsBeyondTheDatabase_data();
    void saveRefusesTextsBeyondTheDatabase();
    void nextPlateStartsFromNoPictures();
    void startDuringARunRestartsItWithTheSamePictures_data();
    void startDuringARunRestartsItWithTheSamePictures();
    void resetForgetsPlacedPictures();
    void exportRackPictureIsNotImplemented();
    void settingsFilesThroughTheHost();
    void focusSignals();

private:
    std::unique_ptr<ProgramFolder> m_folder;
    Answers m_answers;
    std::unique_ptr<WindowUnderTest> m_test;
    MainWindowGui* m_window = nullptr;
};

void tst_MainWindowStitcher::initTestCase()
{
    m_folder = std::make_unique<ProgramFolder>();
    QVERIFY(m_folder->isValid());
    m_test = std::make_unique<WindowUnderTest>(true, m_answers);
    m_window = &m_test->make();
    QCOMPARE(startError(), Errors::Type_Error(0));
}

void tst_MainWindowStitcher::cleanupTestCase()
{
    m_window = nullptr;
    m_test.reset();
    m_folder.reset();
}

void tst_MainWindowStitcher::startUpWroteTheDefaultSettings()
{
    const QString file = ImageStitcherSettingsFiles::defaultFilePath();
    QVERIFY(QFileInfo::exists(file));
    QCOMPARE(m_window->imageStitcherSettingsFileName(), file);
    QCOMPARE(m_window->imageStitcherSettings()->data().name, QStringLiteral("default"));
    QVERIFY(m_window->imageStitcherSettingsDock()->isAncestorOf(m_window->imageStitcherSettingsGui()));
}

void tst_MainWindowStitcher::assignWithoutCameraPicture()
{
    QCOMPARE(m_window->ImageStitcher_AssignPicturePosition(0), Errors::Type_Error(15));
    QVERIFY(m_window->imageStitcherOperations()->pictures().isEmpty());
}

void tst_MainWindowStitcher::assignPosition_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("size");
    QTest::newRow("position 5 first: six entries, 0 to 4 empty") << 5 << 0 << 6;
    QTest::newRow("position 0") << 0 << 0 << 6;
    QTest::newRow("position 6") << 6 << 200 << 0;
    QTest::newRow("position -1") << -1 << 200 << 0;
}

void tst_MainWindowStitcher::assignPosition()
{
    QFETCH(int, position);
    QFETCH(int, result);
    QFETCH(int, size);
    QCOMPARE(m_window->ImageStitcher_Reset(), Errors::Type_Error(0));
    QCOMPARE(m_window->Camera_LoadPicture(StitcherCommands::demoPicturePaths(QStringLiteral("QTray-Plate")).first()),
             Errors::Type_Error(0));
    QCOMPARE(int(m_window->ImageStitcher_AssignPicturePosition(position)), result);
    const QList<Halcon::Hobject>& pictures = m_window->imageStitcherOperations()->pictures();
    QCOMPARE(pictures.size(), size);
    for (int n = 0; n < pictures.size(); ++n)
        QCOMPARE(pictures.at(n).IsEmpty(), n != position);
    // A start before all six positions hold a picture.
    if (size > 0)
        QCOMPARE(m_window->ImageStitcher_Start(QString()), Errors::Type_Error(212));
}

void tst_MainWindowStitcher::startRefusesBadSettings_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("result");
    QTest::newRow("missing file") << QStringLiteral("NoSuchSettings") << 202;
    QTest::newRow("path out of the folder") << QStringLiteral("../../etc/passwd") << 104;
    QTest::newRow("absolute path") << m_folder->filePath(DemoSettingsFile) << 104;
}

void tst_MainWindowStitcher::startRefusesBadSettings()
{
    QFETCH(QString, name);
    QFETCH(int, result);
    const QString before = m_window->imageStitcherSettingsFileName();
    const ImageStitcherSettingsData data = m_window->imageStitcherSettings()->data();
    QCOMPARE(int(m_window->ImageStitcher_Start(name)), result);
    QCOMPARE(int(m_window->ImageStitcher_Start2(name, 1.0)), result);
    QCOMPARE(m_window->imageStitcherSettingsFileName(), before);
    QVERIFY(m_window->imageStitcherSettings()->data() == data);
}

void tst_MainWindowStitcher::start2SetsTheAgarHeightInMemory()
{
    QCOMPARE(m_window->ImageStitcher_Reset(), Errors::Type_Error(0));
    ImageStitcherSettings stored;
    QVERIFY(stored.loadFromFile(DemoSettingsFile));
    const double storedHeight = stored.data().DistancePointsPlaneToAgarPlane;
    QVERIFY(storedHeight != 3.0);

    // No pictures placed: the start fails after the settings were taken.
    QCOMPARE(m_window->ImageStitcher_Start2(DemoName, 3.0), Errors::Type_Error(212));
    QCOMPARE(m_window->imageStitcherSettingsFileName(), DemoSettingsFile);
    QCOMPARE(m_window->imageStitcherSettings()->data().DistancePointsPlaneToAgarPlane, 3.0);
    QVERIFY(stored.loadFromFile(DemoSettingsFile));
    QCOMPARE(stored.data().DistancePointsPlaneToAgarPlane, storedHeight);

    // Without a name neither settings nor height change.
    QCOMPARE(m_window->ImageStitcher_Start2(QString(), 7.0), Errors::Type_Error(212));
    QCOMPARE(m_window->imageStitcherSettings()->data().DistancePointsPlaneToAgarPlane, 3.0);
    // The plain start keeps the current file as it is; Start2 reads it again.
    QCOMPARE(m_window->ImageStitcher_Start(DemoName), Errors::Type_Error(212));
    QCOMPARE(m_window->imageStitcherSettings()->data().DistancePointsPlaneToAgarPlane, 3.0);
    QCOMPARE(m_window->ImageStitcher_Start2(DemoName, storedHeight), Errors::Type_Error(212));
    QCOMPARE(m_window->imageStitcherSettings()->data().DistancePointsPlaneToAgarPlane, storedHeight);

    QCOMPARE(m_window->ImageStitcher_Start2(DemoName, std::nan("")), Errors::Type_Error(104));
    QCOMPARE(m_window->imageStitcherSettings()->data().DistancePointsPlaneToAgarPlane, storedHeight);
}

void tst_MainWindowStitcher::stitchStoreAndAnalyseTheTray()
{
    CorrectionInfo::resetCurrent();
    QCOMPARE(DemoTruth::placeStitcherDemoViews(*m_window), Errors::Type_Error(0));
    QCOMPARE(m_window->ImageStitcher_Start(DemoName), Errors::Type_Error(0));
    QCOMPARE(waitForStitching(*m_window), Errors::Type_Error(0));
    QCOMPARE(CorrectionInfo::current().Points.size(), 4);

    int stitcherId = -7;
    QCOMPARE(m_window->ImageStitcher_SaveResult(true, QStringLiteral("TRAY_1"), QStringLiteral("six views"), true, true,
                                                stitcherId),
             Errors::Type_Error(0));
    QVERIFY(stitcherId > 0);
    bool finished = false;
    QElapsedTimer timer;
    timer.start();
    while (!finished && timer.elapsed() < 120000) {
        QCOMPARE(m_window->ImageStitcher_SaveResult_CheckAsynchronSaveFinish(finished), Errors::Type_Error(0));
        QTest::qWait(10);
    }
    QVERIFY(finished);
    DatabaseTableZelvorinImageStitcher::Dataset stored;
    QCOMPARE(m_window->database()->tableImageStitcher()->Select(stitcherId, stored), Errors::Type_Error(0));
    QCOMPARE(stored.RackBarcode, QStringLiteral("TRAY_1"));

    // The stitched tray is the camera's picture now; its colonies land in plate millimetres.
    QCOMPARE(m_window->AnalyseColonies_Start(DemoName), Errors::Type_Error(0));
    QCOMPARE(DemoTruth::waitForAnalysis(*m_window), Errors::Type_Error(0));
    const std::vector<QPointF> truth = TrayTruth::demoColoniesInPlateMillimetres();
    const std::vector<QPointF> found = goodColoniesInMillimetres(*m_window->colonyAnalyserGui());
    QVERIFY2(found.size() >= truth.size() / 2, qPrintable(QString::number(found.size())));
    const double worst = TrayTruth::worstDistance(found, truth);
    QVERIFY2(worst < 0.15, qPrintable(QString::number(worst)));

    int rackId = -1;
    QCOMPARE(m_window->AnalyseColonies_SaveResultWithImageStitcher(false, QStringLiteral("TRAY_1"), QString(),
                                                                   stitcherId, rackId),
             Errors::Type_Error(0));
    DatabaseTableZelvorinRack::Dataset rack;
    QCOMPARE(m_window->database()->tableRack()->Select(rackId, rack), Errors::Type_Error(0));
    QCOMPARE(int(rack.ImageStitcherID), stitcherId);
}

void tst_MainWindowStitcher::saveRefusesTextsBeyondTheDatabase_data()
{
    QTest::addColumn<QString>("barcode");
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("code");
    QTest::newRow("longest barcode") << QString(255, QLatin1Char('b')) << QString() << 0;
    QTest::newRow("barcode one longer") << QString(256, QLatin1Char('b')) << QString() << 104;
    QTest::newRow("description of a million and one") << QStringLiteral("TRAY_2") << QString(1000001, QLatin1Char('d'))
                                                      << 104;
}

// On the tray stitched before.
void tst_MainWindowStitcher::saveRefusesTextsBeyondTheDatabase()
{
    QFETCH(QString, barcode);
    QFETCH(QString, description);
    QFETCH(int, code);
    int stitcherId = -7;
    QCOMPARE(int(m_window->ImageStitcher_SaveResult(false, barcode, description, false, false, stitcherId)), code);
    if (code != 0) {
        QCOMPARE(stitcherId, -1);
        return;
    }
    DatabaseTableZelvorinImageStitcher::Dataset stored;
    QCOMPARE(m_window->database()->tableImageStitcher()->Select(stitcherId, stored), Errors::Type_Error(0));
    QCOMPARE(stored.RackBarcode, barcode);
}

// The pictures of one plate are not stitched again for the next, once they gave a stitched picture.
void tst_MainWindowStitcher::nextPlateStartsFromNoPictures()
{
    QCOMPARE(DemoTruth::placeStitcherDemoViews(*m_window), Errors::Type_Error(0));
    QCOMPARE(m_window->ImageStitcher_Start(QString()), Errors::Type_Error(0));
    QCOMPARE(waitForStitching(*m_window), Errors::Type_Error(0));
    QVERIFY(m_window->imageStitcherOperations()->pictures().isEmpty());
    QCOMPARE(m_window->ImageStitcher_Start(QString()), Errors::Type_Error(212));
    // The page keeps the stitched plate for its own restart and save.
    QCOMPARE(m_window->imageStitcherGui()->getPictures().size(), 6);
}

void tst_MainWindowStitcher::startDuringARunRestartsItWithTheSamePictures_data()
{
    QTest::addColumn<bool>("stopFirst");
    QTest::newRow("start while it runs") << false;
    QTest::newRow("start after a stop") << true;
}

// A run that ended without a stitched picture leaves the placed pictures for the next start.
void tst_MainWindowStitcher::startDuringARunRestartsItWithTheSamePictures()
{
    QFETCH(bool, stopFirst);
    QCOMPARE(DemoTruth::placeStitcherDemoViews(*m_window), Errors::Type_Error(0));
    QCOMPARE(m_window->ImageStitcher_Start(QString()), Errors::Type_Error(0));
    if (stopFirst) {
        QCOMPARE(m_window->ImageStitcher_Stop(), Errors::Type_Error(0));
        bool running = true;
        QTRY_VERIFY((m_window->ImageStitcher_CheckRunning(running), !running));
    }
    QCOMPARE(m_window->ImageStitcher_Start(QString()), Errors::Type_Error(0));
    QCOMPARE(waitForStitching(*m_window), Errors::Type_Error(0));
    QVERIFY(m_window->imageStitcherOperations()->pictures().isEmpty());
}

void tst_MainWindowStitcher::resetForgetsPlacedPictures()
{
    QCOMPARE(DemoTruth::placeStitcherDemoViews(*m_window), Errors::Type_Error(0));
    QCOMPARE(m_window->ImageStitcher_Reset(), Errors::Type_Error(0));
    QVERIFY(m_window->imageStitcherOperations()->pictures().isEmpty());
    QCOMPARE(m_window->ImageStitcher_Start(QString()), Errors::Type_Error(212));
}

void tst_MainWindowStitcher::exportRackPictureIsNotImplemented()
{
    QCOMPARE(m_window->ImageStitcher_ExportRackPicture(1, false, QStringLiteral("x.png"), QStringLiteral("png"), false,
                                                       100),
             Errors::Type_Error(110));
}

// The settings editor's file operations: the record and the cross model's files beside it.
void tst_MainWindowStitcher::settingsFilesThroughTheHost()
{
    QCOMPARE(m_window->loadImageStitcherSettings(DemoSettingsFile, false), Errors::Type_Error(0));
    const QString file = QStringLiteral("settings/ImageStitcher/Copy.ImageStitcherSettings");
    QVERIFY(m_window->saveImageStitcherSettings(file));
    QCOMPARE(m_window->imageStitcherSettingsFileName(), file);
    QVERIFY(QFileInfo::exists(QStringLiteral("settings/ImageStitcher/")
                              + m_window->crossModel()->GetModelPictureFileName(QStringLiteral("Copy"))));

    QVERIFY(m_window->newImageStitcherSettings(QStringLiteral("settings/ImageStitcher/New.ImageStitcherSettings"), false));
    QVERIFY(m_window->imageStitcherSettings()->data().name.isEmpty());
    QCOMPARE(m_window->loadImageStitcherSettings(file, false), Errors::Type_Error(0));
    QCOMPARE(m_window->imageStitcherSettings()->data().name, QStringLiteral("Copy"));
    QCOMPARE(m_window->imageStitcherSettingsFileName(), file);

    // A name the client gives: the copy in the stitcher settings folder.
    QCOMPARE(m_window->loadImageStitcherSettings(DemoSettingsFile, false), Errors::Type_Error(0));
    QCOMPARE(m_window->ImageStitcher_Start(QStringLiteral("Copy")), Errors::Type_Error(212));
    QCOMPARE(m_window->imageStitcherSettingsFileName(), file);

    // A settings file whose cross model files are missing: the file name stays.
    const QString lonely = QStringLiteral("settings/ImageStitcher/Lonely.ImageStitcherSettings");
    QVERIFY(m_window->saveImageStitcherSettings(lonely));
    QVERIFY(QFile::remove(QStringLiteral("settings/ImageStitcher/")
                          + m_window->crossModel()->GetModelPictureFileName(QStringLiteral("Lonely"))));
    QCOMPARE(m_window->loadImageStitcherSettings(file, false), Errors::Type_Error(0));
    QVERIFY(m_window->loadImageStitcherSettings(lonely, false) != 0);
    QCOMPARE(m_window->imageStitcherSettingsFileName(), file);
    QCOMPARE(m_window->loadImageStitcherSettings(QStringLiteral("settings/ImageStitcher/Absent.ImageStitcherSettings"),
                                                 false),
             Errors::Type_Error(202));
}

// Defining the cross model brings the Image Stitcher page to the front; analysing does not.
void tst_MainWindowStitcher::focusSignals()
{
    ColonySettings* colony = m_window->colonySettings();
    colony->emitCustom(ColonySettings::CustomSignal_PageLeft);
    QCOMPARE(m_window->analyserGui()->currentView(), 1);
    emit m_window->crossModel()->signal_ModeChanged(ModelMatching::Mode_Analyse);
    QCOMPARE(m_window->analyserGui()->currentView(), 1);
    emit m_window->crossModel()->signal_ModeChanged(ModelMatching::Mode_DefineModel);
    QCOMPARE(m_window->analyserGui()->currentView(), 2);
    colony->emitCustom(ColonySettings::CustomSignal_PageLeft);
    m_window->imageStitcherSettings()->emitCustom(ImageStitcherSettings::CustomSignal_OverviewShown);
    QCOMPARE(m_window->analyserGui()->currentView(), 2);
}

QTEST_MAIN(tst_MainWindowStitcher)
#include "tst_MainWindowStitcher.moc"
