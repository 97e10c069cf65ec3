// The Image Stitcher page: a run on the generated tray through the page with its hand-over of
// the stitched picture and the correction, the save and read-back of that run, the running
// state while reports wait, the shell's refusals, and the tabs and position announcements.

#include "StitcherPageFixture.h"

#include <CorrectionInfo.h>
#include <DatabaseTableZelvorinImageStitcher.h>
#include <DatabaseTableZelvorinImageStitcherPicture.h>
#include <HalconTestPictures.h>
#include <Halcon_Helper.h>
#include <StitcherResultSave.h>

#include <QFileInfo>
#include <QLabel>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTreeWidget>
#include <QSemaphore>
#include <QtTest>

using StitcherPageFixture::Page;

namespace {

QSize sizeOf(const Halcon::Hobject& picture)
{
    int width = 0;
    int height = 0;
    Halcon_Helper::GetImageSize(picture, width, height);
    return QSize(width, height);
}

QSize sizeOfFile(const QString& file)
{
    Halcon::Hobject picture;
    return Halcon_Helper::LoadImageFile(file, picture) == 0 ? sizeOf(picture) : QSize();
}

PictureCross cross(int pictureIndex, int pointIndex, Errors::Type_Error code = 0)
{
    PictureCross c;
    c.pictureIndex = pictureIndex;
    c.pointIndex = pointIndex;
    c.errorCode = code;
    c.found = code == 0;
    c.score = 0.91234;
    c.angle = -1.5;
    c.scale = 1.0;
    c.colCenter = 120.24;
    c.rowCenter = 80.76;
    return c;
}

QString stateText(ImageStitcherGui& page)
{
    return page.findChild<QLabel*>(QStringLiteral("m_QLabel_State"))->text();
}

// A page whose worker turns idle only after the page has shown its stop report: the order a
// loaded machine may give.
class LateIdlePage : public ImageStitcherGui {
public:
    using ImageStitcherGui::ImageStitcherGui;
    QSemaphore stopShown;
    void emitAnalyserStopped() override
    {
        ImageStitcherGui::emitAnalyserStopped();
        stopShown.tryAcquire(1, 60000);
    }
};

QTabWidget* pictureTabs(ImageStitcherGui& page)
{
    return page.findChild<QTabWidget*>(QStringLiteral("m_TabWidgetPictures"));
}

} // namespace

class tst_ImageStitcherGui : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void runOnTrayThenSaveAndReadBack_data();
    void runOnTrayThenSaveAndReadBack();
    void runWithoutCrossSavesItsCode();
    void saveWithoutResultIs102();
    void stopShownBeforeTheWorkerIsIdle();
    void crossReportKeepsPageRunningUntilShown();
    void startRefusesPictureLists_data();
    void startRefusesPictureLists();
    void currentTabPicture();
    void positionSelectedSwitchesTab_data();
    void positionSelectedSwitchesTab();
    void tabChangeAnnouncesPosition();
    void destroyedWhileRunning();
};

void tst_ImageStitcherGui::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void tst_ImageStitcherGui::cleanup()
{
    CorrectionInfo::resetCurrent();
}

void tst_ImageStitcherGui::runOnTrayThenSaveAndReadBack_data()
{
    QTest::addColumn<bool>("asynchron");
    QTest::newRow("pictures written at once") << false;
    QTest::newRow("pictures written in the background") << true;
}

void tst_ImageStitcherGui::runOnTrayThenSaveAndReadBack()
{
    QFETCH(bool, asynchron);
    Page p;
    QCOMPARE(p.createResult, Errors::Type_Error(0));
    QCOMPARE(p.model.createModel(), Errors::Type_Error(0));
    ImageStitcherGui& page = *p.page;

    // The custom notice of a stitched picture comes after its report was taken.
    QList<int> pendingAtStitched;
    connect(&p.model.settings, &ImageStitcherSettings::signal_custom, this, [&](int number, const QVariant&) {
        if (number == ImageStitcherSettings::CustomSignal_StitchedPicture)
            pendingAtStitched.append(page.pendingUpdates());
    });

    const QList<Halcon::Hobject> views = StitcherTestSetup::viewsOf(StitcherTestSetup::tray());
    QCOMPARE(p.runToEnd(views), Errors::Type_Error(0));

    const StitcherResult& result = page.result();
    QCOMPARE(result.pictureSlots().size(), 6);
    QCOMPARE(Halcon_Helper::CheckImage(result.stitchedPicture()), Errors::Type_Error(0));
    QCOMPARE(pendingAtStitched, QList<int>{0});
    const CorrectionInfo current = CorrectionInfo::current();
    QCOMPARE(current.Points.size(), 4);
    QCOMPARE(current.toText(), result.row().ReferencePointsCorrection);
    Halcon::Hobject cameraPicture;
    QCOMPARE(p.camera->GetPicture(cameraPicture), Errors::Type_Error(0));
    QCOMPARE(sizeOf(cameraPicture), sizeOf(result.stitchedPicture()));
    QCOMPARE(p.resultView->getPictureCount(), 1);
    QCOMPARE(page.findChild<QTreeWidget*>(QStringLiteral("m_ReferencePointsTable"))->topLevelItemCount(), 12);

    Database::ID id = -1;
    QCOMPARE(page.SaveResult(asynchron, QStringLiteral("Träger 7"), QStringLiteral("Platte €"), true, true, id),
             Errors::Type_Error(0));
    QVERIFY(id > 0);
    bool finished = false;
    QVERIFY(QTest::qWaitFor([&] { return page.SaveResult_CheckAsynchronSaveFinish(finished) == 0 && finished; },
                            60000));

    DatabaseTableZelvorinImageStitcher::Dataset row;
    QCOMPARE(p.database->tableImageStitcher()->Select(id, row), Errors::Type_Error(0));
    QCOMPARE(row.RackBarcode, QStringLiteral("Träger 7"));
    QCOMPARE(row.Description, QStringLiteral("Platte €"));
    QCOMPARE(row.ErrorCode, Errors::Type_Error(0));
    QCOMPARE(row.ReferencePointsCorrection, current.toText());
    QVERIFY(!row.ImageStitcherSettings.isEmpty());
    QCOMPARE(row.ImageStitcherSettings, result.row().ImageStitcherSettings);
    QCOMPARE(row.PictureFilePath,
             StitcherResultSave::picturePath(p.pictureFolder(), StitcherResultSave::stitchedPictureFileName(id)));
    QCOMPARE(sizeOfFile(row.PictureFilePath), sizeOf(result.stitchedPicture()));

    QList<Database::ID> pictureIds;
    QCOMPARE(p.database->tableImageStitcherPicture()->SelectIdsByImageStitcher(id, pictureIds), Errors::Type_Error(0));
    QCOMPARE(pictureIds.size(), 6);
    for (int i = 0; i < pictureIds.size(); ++i) {
        DatabaseTableZelvorinImageStitcherPicture::Dataset pictureRow;
        QCOMPARE(p.database->tableImageStitcherPicture()->Select(pictureIds.at(i), pictureRow), Errors::Type_Error(0));
        QCOMPARE(int(pictureRow.PositionIndex), i);
        QCOMPARE(pictureRow.PictureFilePath,
                 StitcherResultSave::picturePath(p.pictureFolder(),
                                                 StitcherResultSave::positionPictureFileName(pictureIds.at(i))));
        QCOMPARE(sizeOfFile(pictureRow.PictureFilePath), sizeOf(views.at(i)));
        QCOMPARE(result.pictureSlots().at(i).row.ImageStitcherPictureID, pictureIds.at(i));
    }
    QCOMPARE(result.row().ImageStitcherID, id);
    // The seven pictures and nothing else.
    QCOMPARE(p.pictureFiles().size(), 7);
}

void tst_ImageStitcherGui::runWithoutCrossSavesItsCode()
{
    const PlateScenes::TrayOptions options = StitcherTestSetup::trayOptions(2, 1);
    const PlateScenes::TrayScene tray = PlateScenes::generateTray(options);
    Page p;
    QCOMPARE(p.model.createModel(), Errors::Type_Error(0));
    ImageStitcherGui& page = *p.page;
    QCOMPARE(p.runToEnd(StitcherTestSetup::viewsOf(tray)), ImageStitcherThread::ErrorCrossNotFound);
    bool running = true;
    QCOMPARE(page.CheckRunning(running), ImageStitcherThread::ErrorCrossNotFound);
    QVERIFY(!running);

    Database::ID id = -1;
    QCOMPARE(page.SaveResult(false, QString(), QString(), false, true, id), Errors::Type_Error(0));
    DatabaseTableZelvorinImageStitcher::Dataset row;
    QCOMPARE(p.database->tableImageStitcher()->Select(id, row), Errors::Type_Error(0));
    QCOMPARE(row.ErrorCode, ImageStitcherThread::ErrorCrossNotFound);
    QVERIFY(row.PictureFilePath.isEmpty());
    QVERIFY(p.pictureFiles().isEmpty());
}

void tst_ImageStitcherGui::stopShownBeforeTheWorkerIsIdle()
{
    Page p;
    auto* page = new LateIdlePage(p.database, p.appSettings.get(), p.cameraSettings.get(), &p.model.settings,
                                  p.model.crossModel.get(), p.resultView.get(), p.camera.get());
    p.page.reset(page);
    QCOMPARE(p.model.createModel(), Errors::Type_Error(0));
    // Queued after the page's own slot: released once the page has taken the report.
    connect(page, &ImageStitcherGui::signal_AnalyserStopped, page, [page] { page->stopShown.release(); },
            Qt::QueuedConnection);
    // A run that succeeds: a failed one answers its error and hides the busy mark.
    QCOMPARE(p.runToEnd(StitcherTestSetup::viewsOf(StitcherTestSetup::tray()), 60000), Errors::Type_Error(0));
}

void tst_ImageStitcherGui::saveWithoutResultIs102()
{
    Page p;
    Database::ID id = 5;
    QCOMPARE(p.page->SaveResult(false, QString(), QString(), true, true, id), ImageStitcherGui::ErrorNoPictureData);
    QCOMPARE(id, Database::ID(-1));
    QCOMPARE(p.count(QStringLiteral("ZelvorinImageStitcher")), 0);
}

void tst_ImageStitcherGui::crossReportKeepsPageRunningUntilShown()
{
    Page p;
    ImageStitcherGui& page = *p.page;
    const Halcon::Hobject picture = HalconTestPictures::gradientRgb(64, 48);
    page.emitAddPictureCrosses(3, picture, cross(3, 0), cross(3, 1, ImageStitcherThread::ErrorCrossNotFound));

    bool running = false;
    QCOMPARE(page.CheckRunning(running), Errors::Type_Error(0));
    QVERIFY(running);
    Database::ID id = 5;
    QCOMPARE(page.SaveResult(false, QString(), QString(), true, true, id), ImageStitcherGui::ErrorInProgress);
    QCOMPARE(id, Database::ID(-1));

    QVERIFY(QTest::qWaitFor([&] { return page.CheckRunning(running) == 0 && !running; }, 30000));
    QCOMPARE(page.result().pictureSlots().size(), 4);
    for (int i = 0; i < 3; ++i)
        QVERIFY(Halcon_Helper::CheckImage(page.result().pictureSlots().at(i).picture) != 0);
    QCOMPARE(sizeOf(page.result().pictureSlots().at(3).picture), QSize(64, 48));
    const QTreeWidget* table = page.findChild<QTreeWidget*>(QStringLiteral("m_ReferencePointsTable"));
    QCOMPARE(table->topLevelItemCount(), 8);
    // The table sorts numerically: the rows of position 4 are found by their texts.
    QList<QTreeWidgetItem*> rows = table->findItems(QStringLiteral("4"), Qt::MatchExactly, 0);
    QCOMPARE(rows.size(), 2);
    if (rows.at(0)->text(1) != QStringLiteral("1"))
        std::swap(rows[0], rows[1]);
    const QStringList expected = {QStringLiteral("4"),     QStringLiteral("1"),    QStringLiteral("0.912"),
                                  QStringLiteral("-1.500"), QStringLiteral("1.000"), QStringLiteral("120.2"),
                                  QStringLiteral("80.8"),  QString()};
    for (int c = 0; c < expected.size(); ++c)
        QCOMPARE(rows.at(0)->text(c), expected.at(c));
    QCOMPARE(rows.at(1)->text(1), QStringLiteral("2"));
    QCOMPARE(rows.at(1)->text(7), Errors::getErrorText(ImageStitcherThread::ErrorCrossNotFound));
}

void tst_ImageStitcherGui::startRefusesPictureLists_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("emptyIndex");
    QTest::newRow("five pictures") << 5 << -1;
    QTest::newRow("seven pictures") << 7 << -1;
    QTest::newRow("six with one empty") << 6 << 4;
}

void tst_ImageStitcherGui::startRefusesPictureLists()
{
    QFETCH(int, count);
    QFETCH(int, emptyIndex);
    Page p;
    QList<Halcon::Hobject> pictures;
    for (int i = 0; i < count; ++i)
        pictures << (i == emptyIndex ? Halcon::Hobject() : HalconTestPictures::gradientRgb(64, 48));
    QCOMPARE(p.page->Start(pictures), ImageStitcherGui::ErrorPictureCount);
    bool running = true;
    QCOMPARE(p.page->CheckRunning(running), Errors::Type_Error(0));
    QVERIFY(!running);
    QCOMPARE(stateText(*p.page), QStringLiteral("-"));
    for (const Halcon::Hobject& kept : p.page->getPictures())
        QVERIFY(Halcon_Helper::CheckImage(kept) != 0);
}

void tst_ImageStitcherGui::currentTabPicture()
{
    Page p;
    ImageStitcherGui& page = *p.page;
    QCOMPARE(page.SetCurrentTabPicture(Halcon::Hobject()), ImageStitcherGui::ErrorNoImage);
    QVERIFY(stateText(page).startsWith(QStringLiteral("Operation failed: ")));

    pictureTabs(page)->setCurrentIndex(3);
    page.SetCurrentTabPicture(HalconTestPictures::gradientRgb(80, 60));
    QVERIFY(p.waitUntilShown() != -1);
    const QList<Halcon::Hobject> pictures = page.getPictures();
    QCOMPARE(pictures.size(), 6);
    for (int i = 0; i < pictures.size(); ++i)
        QCOMPARE(sizeOf(pictures.at(i)), i == 2 ? QSize(80, 60) : QSize(0, 0));
}

void tst_ImageStitcherGui::positionSelectedSwitchesTab_data()
{
    QTest::addColumn<QVariant>("data");
    QTest::addColumn<int>("tab");
    QTest::newRow("position 3") << QVariant(3) << 4;
    QTest::newRow("position 0") << QVariant(0) << 1;
    QTest::newRow("position 6") << QVariant(6) << 0;
    QTest::newRow("position -1") << QVariant(-1) << 0;
    QTest::newRow("not a number") << QVariant(QStringLiteral("x")) << 0;
}

void tst_ImageStitcherGui::positionSelectedSwitchesTab()
{
    QFETCH(QVariant, data);
    QFETCH(int, tab);
    Page p;
    p.model.settings.emitCustom(ImageStitcherSettings::CustomSignal_PositionSelected, data);
    QCOMPARE(pictureTabs(*p.page)->currentIndex(), tab);
}

void tst_ImageStitcherGui::tabChangeAnnouncesPosition()
{
    Page p;
    QTabWidget* tabs = pictureTabs(*p.page);
    tabs->setCurrentIndex(2);
    QSignalSpy spy(&p.model.settings, &ImageStitcherSettings::signal_custom);
    tabs->setCurrentIndex(4);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), int(ImageStitcherSettings::CustomSignal_PositionSelected));
    QCOMPARE(spy.at(0).at(1).toInt(), 3);
    tabs->setCurrentIndex(0);
    QCOMPARE(spy.size(), 1);
}

void tst_ImageStitcherGui::destroyedWhileRunning()
{
    Page p;
    QCOMPARE(p.model.createModel(), Errors::Type_Error(0));
    QCOMPARE(p.page->Start(StitcherTestSetup::viewsOf(StitcherTestSetup::tray())), Errors::Type_Error(0));
    // Some reports are queued and not shown when the page goes.
    QDeadlineTimer deadline(60000);
    while (p.page->pendingUpdates() == 0 && !deadline.hasExpired())
        QThread::yieldCurrentThread();
    QVERIFY(p.page->pendingUpdates() > 0);
    p.page.reset();
    QCoreApplication::processEvents();
}

QTEST_MAIN(tst_ImageStitcherGui)
#include "tst_ImageStitcherGui.moc"
