// The image stitcher demo of the main window as shipped: the demo settings of the sources
// with the cross model files and the six views the build makes, then the colony analysis of
// the stitched tray with the demo colony settings and the correction the stitch published.

#include "FakeImageStitcherPage.h"
#include "TrayTruth.h"

#include <ColonyAnalyserThread.h>
#include <ColonySettings.h>
#include <CorrectionInfo.h>
#include <FakeColonyAnalyserHost.h>
#include <Halcon_Helper.h>
#include <ImageStitcherSettings.h>
#include <ImageStitcherThread.h>
#include <ModelMatching.h>
#include <ModelMatching_ModelPicture.h>
#include <PlateScenes.h>

#include <QDir>
#include <QtTest>
#include <ThreadChecker.h>

#include <cmath>
#include <memory>

namespace {

constexpr int kTimeoutMs = 300000;
const QString kBaseName = QStringLiteral("Demo_QTray-Plate");

QString sourceSettings(const QString& folder)
{
    return QDir(qEnvironmentVariable("ZELVORIN_SOURCE_DIR")).filePath(QStringLiteral("settings/") + folder);
}

} // namespace

class tst_StitcherDemo : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void shippedSettingsStitchTheDemoViews();
    void colonyAnalysisOfTheStitchedTray();

private:
    Halcon::Hobject m_stitched;
};

void tst_StitcherDemo::initTestCase()
{
    runOperatorsSeriallyUnderThreadChecker();
    PictureCross::registerMetaType();
    CorrectionInfo::resetCurrent();
}

void tst_StitcherDemo::shippedSettingsStitchTheDemoViews()
{
    const QString demoFolder = QStringLiteral(ZELVORIN_STITCHER_DEMO_DIR);
    ImageStitcherSettings settings;
    QVERIFY(settings.loadFromFile(QDir(sourceSettings(QStringLiteral("ImageStitcherDemo"))).filePath(kBaseName)));
    QCOMPARE(settings.data().name, kBaseName);

    FakeImageStitcherPage page;
    ModelMatching crossModel(QStringLiteral("CrossModel"), &settings.data().CrossModel);
    settings.setCrossModel(&crossModel);
    ModelMatching_ModelPicture modelPicture(&crossModel, QStringLiteral("modelmatching"), true);
    ImageStitcherThread worker(&page, {}, settings.data(), &crossModel);
    QCOMPARE(crossModel.LoadFiles(demoFolder, kBaseName), Errors::Type_Error(0));

    QList<Halcon::Hobject> views;
    for (int n = 1; n <= 6; ++n) {
        Halcon::Hobject view;
        QCOMPARE(Halcon_Helper::LoadImageFile(QDir(demoFolder).filePath(QStringLiteral("QTray-Plate-0%1.png").arg(n)), view),
                 Errors::Type_Error(0));
        views << view;
    }
    QCOMPARE(worker.Start({}, settings.data(), views), Errors::Type_Error(0));
    QVERIFY(page.stopped.tryAcquire(1, kTimeoutMs));
    QTRY_COMPARE_WITH_TIMEOUT(worker.state(), qint32(ImageStitcherThread::StateIdle), kTimeoutMs);
    bool running = true;
    QCOMPARE(worker.CheckRunning(running), Errors::Type_Error(0));
    for (const auto& report : page.reports(FakeImageStitcherPage::Report::Crosses))
        QVERIFY(report.cross1.found && report.cross2.found);

    StitcherResult result;
    std::vector<Errors::Type_Error> codes;
    page.replayInto(result, settings.data(), &codes);
    QCOMPARE(codes, std::vector<Errors::Type_Error>{0});
    QCOMPARE(CorrectionInfo::current().Points.size(), 4);
    m_stitched = result.stitchedPicture();
}

// The demo colony settings find the tray's marks in the stitched picture and, with the
// correction, place its colonies in plate millimetres.
void tst_StitcherDemo::colonyAnalysisOfTheStitchedTray()
{
#if defined(__SANITIZE_THREAD__)
    // Minutes under the thread checker; the colony engine's threads are checked by its own tests.
    QSKIP("the colony analysis of the whole tray is left to the colony tests under the thread checker");
#endif
    if (m_stitched.IsEmpty())
        QSKIP("no stitched picture");
    ColonySettings colony;
    QString reason;
    QVERIFY2(colony.loadFromFile(QDir(sourceSettings(QStringLiteral("ColonyDemo"))).filePath(kBaseName), &reason),
             qPrintable(reason));

    FakeColonyAnalyserHost host;
    ColonyAnalyserThread analyser(&host, nullptr, nullptr);
    QCOMPARE(analyser.Analyse({}, colony.data(), m_stitched), Errors::Type_Error(0));
    QVERIFY(host.stopped.tryAcquire(1, kTimeoutMs));
    QTRY_COMPARE_WITH_TIMEOUT(analyser.state(), qint32(ColonyAnalyserThread::StateIdle), kTimeoutMs);
    bool running = true;
    QCOMPARE(analyser.CheckRunning(running), Errors::Type_Error(0));
    const std::vector<ImageRefPoint> points = host.refPointList();
    QCOMPARE(points.size(), size_t(4));
    for (const ImageRefPoint& point : points)
        QVERIFY(point.Found);

    // Without the correction the marks, which lie nearer the camera than the agar, would
    // misplace colonies near the tray's edges by half a millimetre.
    const std::vector<QPointF> truth = TrayTruth::demoColoniesInPlateMillimetres();
    const std::vector<ImageColony> colonies = host.colonyList();
    QVERIFY2(colonies.size() >= truth.size() * 9 / 10, qPrintable(QString::number(colonies.size())));
    std::vector<QPointF> found;
    for (const ImageColony& colony : colonies)
        found.emplace_back(colony.PosX_mm, colony.PosY_mm);
    const double worst = TrayTruth::worstDistance(found, truth);
    QVERIFY2(worst < 0.15, qPrintable(QString::number(worst)));
}

QTEST_MAIN(tst_StitcherDemo)
#include "tst_StitcherDemo.moc"
