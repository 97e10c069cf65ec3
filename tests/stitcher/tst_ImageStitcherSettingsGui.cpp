#include "StitcherSettingsGuiFixture.h"

#include <Hobject_View_MouseDraw_Rectangle_Area.h>
#include <ModelMatching_AnalyseSettings_Gui.h>
#include <ModelMatching_ModelSettings_Gui.h>
#include <ModelMatching_ModelSettings_ModelPicture_Gui.h>
#include <SearchAreaGui.h>
#include <SearchAreaMouseHandler.h>

#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using StitcherSettingsGuiFixture::areaBox;
using StitcherSettingsGuiFixture::areaButton;
using StitcherSettingsGuiFixture::Editor;

namespace {

// Every value away from its default, some beyond what the widgets can show.
ImageStitcherSettingsData unusualData()
{
    ImageStitcherSettingsData data;
    data.name = QStringLiteral("Unusual");
    data.DistanceCameraToCrossPlane = 612.0;
    data.DistanceCrossPlaneToPointsPlane = -150.0;
    data.DistancePointsPlaneToAgarPlane = 3.125;
    data.CrossModel.SearchTolerance.Used = false;
    data.CrossModel.SearchTolerance.AngleTolerance = 49.0;
    data.CrossModel.Analyse.PyramidLevels = 4;
    data.CrossModel.Analyse.MinimumScore = 0.55;
    for (size_t n = 0; n < data.ReferencePoints.size(); ++n) {
        data.ReferencePoints[n].Area1 = SearchAreaSettings(1.0 + n, 2.0, 150.0, 0.01, 60.0);
        data.ReferencePoints[n].Area2 = SearchAreaSettings(60.0, 2.5 * n, 20.0, 30.0, -7.5);
    }
    return data;
}

} // namespace

// The stitcher settings editor driven through its widgets: the form, the distances, the
// twelve search areas on their position viewers, the cross-model editors, refreshes and the
// record's custom signal.
class tst_ImageStitcherSettingsGui : public QObject {
    Q_OBJECT
private slots:
    void formHasItsPagesAndPositionMaps();
    void crossModelEditorsShowOnlyWhatTheStitcherUses();
    void titleShowsNameAndModifiedMark();
    void searchAreaEditorsDrawAndEditTheirArea_data();
    void searchAreaEditorsDrawAndEditTheirArea();
    void distanceEditStoresAllThreeAsShown_data();
    void distanceEditStoresAllThreeAsShown();
    void cameraDistanceStaysAboveZero();
    void refreshNeverWritesTheRecord();
    void valuesChangedWithTrueMarksModified();
    void shownPageIsAnnounced_data();
    void shownPageIsAnnounced();
    void selectedPositionShowsItsPage_data();
    void selectedPositionShowsItsPage();
    void crossModelEditsMarkTheRecordChanged();
    void abortRequestsReachTheRecord();
    void replacedSettingsEndTheMouseTools();
    void showingAndHidingCheckTheActions();
};

void tst_ImageStitcherSettingsGui::formHasItsPagesAndPositionMaps()
{
    Editor fixture;
    QCOMPARE(fixture.editor->objectName(), QStringLiteral("ImageStitcherSettingsGui"));
    auto* tabs = fixture.widget<QTabWidget>(QStringLiteral("m_SettingsTab"));
    QCOMPARE(tabs->count(), 7);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->tabText(0), QStringLiteral("Cross Model"));
    const QStringList maps = {"*1*   4\n2       5\n3       6", "1       4\n*2*   5\n3       6",
                              "1       4\n2       5\n*3*   6", "1     *4*\n2       5\n3       6",
                              "1       4\n2     *5*\n3       6", "1       4\n2       5\n3     *6*"};
    for (int n = 1; n <= 6; ++n) {
        QCOMPARE(tabs->tabText(n), QString::number(n));
        const QString label = n == 1 ? QStringLiteral("m_LabelPictureOverviewPic1")
                                     : QStringLiteral("m_LabelPictureOverviewPic1_%1").arg(n);
        QCOMPARE(fixture.widget<QLabel>(label)->text(), maps.at(n - 1));
    }
}

void tst_ImageStitcherSettingsGui::crossModelEditorsShowOnlyWhatTheStitcherUses()
{
    Editor fixture;
    QCOMPARE(fixture.crossModel.GetAnalyseSettingsGui(), fixture.editor->searchSettingsGui());
    QCOMPARE(fixture.crossModel.GetModelSettingsGui(), fixture.editor->modelSettingsGui());
    QCOMPARE(fixture.crossModel.GetModelPictureGui(), fixture.editor->modelPictureGui());
    QCOMPARE(fixture.editor->modelPictureGui()->parentWidget()->objectName(),
             QStringLiteral("m_ModelMatching_ModelPictureSettings"));
    QCOMPARE(fixture.editor->searchSettingsGui()->parentWidget()->objectName(),
             QStringLiteral("m_ModelMatching_CrossModelSearchSettings"));
    QCOMPARE(fixture.editor->modelSettingsGui()->parentWidget()->objectName(),
             QStringLiteral("m_ModelMatching_CrossModelCreateSettings"));
    // The crosses are searched in the picture pages' areas with the stitcher's own tolerances.
    QVERIFY(fixture.widget<QGroupBox>(QStringLiteral("m_QGroupBox_SearchPosition"))->isHidden());
    QVERIFY(fixture.widget<QGroupBox>(QStringLiteral("m_QGroupBox_SearchTolerance_Used"))->isHidden());
    QVERIFY(!fixture.widget<QGroupBox>(QStringLiteral("m_QGroupBox_Filter_Median_Used"))->isHidden());
    QVERIFY(!fixture.widget<QGroupBox>(QStringLiteral("m_QGroupBox_Filter_Shock_Used"))->isHidden());
    QVERIFY(fixture.widget<QGroupBox>(QStringLiteral("m_QGroupBox_Filter_Emphasize_Used"))->isHidden());
}

void tst_ImageStitcherSettingsGui::titleShowsNameAndModifiedMark()
{
    Editor fixture;
    QCOMPARE(fixture.dock.windowTitle(), QStringLiteral(" Image Stitcher Settings \"\""));
    fixture.host.fileName = QStringLiteral("settings/ImageStitcher/Tray.ImageStitcherSettings");
    fixture.settings.emitCustom(ImageStitcherSettings::CustomSignal_ModifiedChanged, QVariant(true));
    QVERIFY(fixture.editor->isModified());
    QCOMPARE(fixture.dock.windowTitle(), QStringLiteral("* Image Stitcher Settings \"Tray\""));
    fixture.settings.emitCustom(ImageStitcherSettings::CustomSignal_ModifiedChanged, QVariant(false));
    QCOMPARE(fixture.dock.windowTitle(), QStringLiteral(" Image Stitcher Settings \"Tray\""));
}

void tst_ImageStitcherSettingsGui::searchAreaEditorsDrawAndEditTheirArea_data()
{
    QTest::addColumn<int>("picture"); // 1 to 6
    QTest::addColumn<int>("point");   // 1 or 2
    QTest::newRow("picture 1 point 1") << 1 << 1;
    QTest::newRow("picture 1 point 2") << 1 << 2;
    QTest::newRow("picture 4 point 1") << 4 << 1;
    QTest::newRow("picture 6 point 2") << 6 << 2;
}

void tst_ImageStitcherSettingsGui::searchAreaEditorsDrawAndEditTheirArea()
{
    QFETCH(int, picture);
    QFETCH(int, point);
    Editor fixture;
    SearchAreaGui* area = fixture.editor->searchAreaGui((picture - 1) * 2 + point - 1);
    QVERIFY(area);
    QCOMPARE(area->parentWidget()->objectName(),
             QStringLiteral("m_ModelMatching_SearchAreaPic%1_%2").arg(picture).arg(point));
    QCOMPARE(area->findChild<QGroupBox*>(QStringLiteral("m_QGroupBox_SearchArea"))->title(),
             QStringLiteral("Point %1").arg(point));
    ImageStitcherSettingsData expected = fixture.settings.data();
    ImageStitcherSettingsData::PictureSearchAreas& areas = expected.ReferencePoints[size_t(picture - 1)];
    SearchAreaSettings& edited = point == 1 ? areas.Area1 : areas.Area2;

    areaBox(area, "SizeY")->setValue(12.25);
    edited.SizeY = 12.25;
    QCOMPARE(fixture.settings.data(), expected);
    QCOMPARE(fixture.modifiedNotices(), 1);
    QVERIFY(fixture.changePending());

    // Drawn on the viewer of its own picture position, 1 % = 5 screen pixels there.
    Hobject_View_Gui& viewer = fixture.positions.viewers[size_t(picture - 1)];
    QVERIFY(ViewTestHelpers::showWithPictureSize(viewer, 500, 400));
    viewer.resetZoom(false);
    areaButton(area, "Area")->click();
    QVERIFY(area->mouseHandler()->areaTool()->isActive());
    ViewTestHelpers::drag(ViewTestHelpers::pictureWidget(viewer), QPoint(50, 100), QPoint(250, 200));
    edited = SearchAreaSettings(10, 20, 40, 20, edited.Angle);
    QCOMPARE(fixture.settings.data(), expected);
    QCOMPARE(areaBox(area, "SizeX")->value(), 40.0);
    QCOMPARE(fixture.modifiedNotices(), 2);
}

void tst_ImageStitcherSettingsGui::distanceEditStoresAllThreeAsShown_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<double>("entered");
    QTest::addColumn<double>("camera");
    QTest::addColumn<double>("crossToPoints");
    QTest::addColumn<double>("pointsToAgar");
    // The record held 612, -150 and 3.125; the boxes showed 500, -100 and 3.13.
    QTest::newRow("camera") << "m_ImageStitcherDistanceCameraToCrossPlane" << 250.5 << 250.5 << -100.0 << 3.13;
    QTest::newRow("cross to points") << "m_ImageStitcherDistanceCrossPlaneToPointsPlane" << 11.3 << 500.0 << 11.3
                                     << 3.13;
    QTest::newRow("points to agar") << "m_ImageStitcherDistancePointsPlaneToAgarPlane" << -2.7 << 500.0 << -100.0
                                    << -2.7;
}

void tst_ImageStitcherSettingsGui::distanceEditStoresAllThreeAsShown()
{
    QFETCH(QString, box);
    QFETCH(double, entered);
    QFETCH(double, camera);
    QFETCH(double, crossToPoints);
    QFETCH(double, pointsToAgar);
    Editor fixture(unusualData());
    ImageStitcherSettingsData expected = fixture.settings.data();
    expected.DistanceCameraToCrossPlane = camera;
    expected.DistanceCrossPlaneToPointsPlane = crossToPoints;
    expected.DistancePointsPlaneToAgarPlane = pointsToAgar;

    fixture.widget<QDoubleSpinBox>(box)->setValue(entered);
    QCOMPARE(fixture.settings.data(), expected);
    QCOMPARE(fixture.modifiedNotices(), 1);
    QVERIFY(fixture.changePending());
    QVERIFY(fixture.editor->isModified());
}

void tst_ImageStitcherSettingsGui::cameraDistanceStaysAboveZero()
{
    Editor fixture;
    auto* box = fixture.widget<QDoubleSpinBox>(QStringLiteral("m_ImageStitcherDistanceCameraToCrossPlane"));
    // The stitch divides by this distance.
    QVERIFY(box->minimum() > 0.0);
    box->setValue(0.0);
    QCOMPARE(fixture.settings.data().DistanceCameraToCrossPlane, box->minimum());
    box->setValue(-20.0);
    QCOMPARE(fixture.settings.data().DistanceCameraToCrossPlane, box->minimum());
}

void tst_ImageStitcherSettingsGui::refreshNeverWritesTheRecord()
{
    Editor fixture;
    fixture.settings.data() = unusualData();
    const ImageStitcherSettingsData stored = fixture.settings.data();

    fixture.settings.emitCustom(ImageStitcherSettings::CustomSignal_ValuesChanged, QVariant(false));
    emit fixture.crossModel.signal_NewDialogSettings();
    QCOMPARE(fixture.settings.data(), stored);
    QCOMPARE(fixture.modifiedNotices(), 0);
    QVERIFY(!fixture.changePending());
    // The widgets show the record as far as their ranges go.
    QCOMPARE(fixture.widget<QDoubleSpinBox>(QStringLiteral("m_ImageStitcherDistanceCameraToCrossPlane"))->value(),
             500.0);
    QCOMPARE(fixture.widget<QSpinBox>(QStringLiteral("m_QSpinBox_Analyse_PyramidLevels"))->value(), 4);
    SearchAreaGui* last = fixture.editor->searchAreaGui(ImageStitcherSettingsGui::SearchAreaCount - 1);
    QCOMPARE(areaBox(last, "PositionY")->value(), 12.5);
    QCOMPARE(areaBox(fixture.editor->searchAreaGui(0), "Angle")->value(), 45.0);
}

void tst_ImageStitcherSettingsGui::valuesChangedWithTrueMarksModified()
{
    Editor fixture;
    fixture.settings.data().DistanceCrossPlaneToPointsPlane = 7.5;
    fixture.settings.emitCustom(ImageStitcherSettings::CustomSignal_ValuesChanged, QVariant(true));
    QCOMPARE(fixture.widget<QDoubleSpinBox>(QStringLiteral("m_ImageStitcherDistanceCrossPlaneToPointsPlane"))->value(),
             7.5);
    QCOMPARE(fixture.modifiedNotices(), 1);
    QVERIFY(fixture.changePending());
    QCOMPARE(fixture.settings.data().DistanceCrossPlaneToPointsPlane, 7.5);
}

void tst_ImageStitcherSettingsGui::shownPageIsAnnounced_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("number");
    QTest::addColumn<QVariant>("data");
    QTest::newRow("cross model") << 2 << 0 << 30 << QVariant();
    QTest::newRow("picture 3") << 0 << 3 << 31 << QVariant(2);
    QTest::newRow("picture 6") << 1 << 6 << 31 << QVariant(5);
}

void tst_ImageStitcherSettingsGui::shownPageIsAnnounced()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, number);
    QFETCH(QVariant, data);
    Editor fixture;
    auto* tabs = fixture.widget<QTabWidget>(QStringLiteral("m_SettingsTab"));
    tabs->setCurrentIndex(from);
    fixture.forgetNotices();
    tabs->setCurrentIndex(to);
    QCOMPARE(fixture.custom.size(), 1);
    QCOMPARE(fixture.custom.first().first, number);
    QCOMPARE(fixture.custom.first().second, data);
}

void tst_ImageStitcherSettingsGui::selectedPositionShowsItsPage_data()
{
    QTest::addColumn<QVariant>("position");
    QTest::addColumn<int>("page");
    QTest::newRow("first") << QVariant(0) << 1;
    QTest::newRow("last") << QVariant(5) << 6;
    QTest::newRow("beyond the last") << QVariant(6) << 2;
    QTest::newRow("negative") << QVariant(-1) << 2;
    QTest::newRow("no number") << QVariant(QStringLiteral("x")) << 2;
}

void tst_ImageStitcherSettingsGui::selectedPositionShowsItsPage()
{
    QFETCH(QVariant, position);
    QFETCH(int, page);
    Editor fixture;
    auto* tabs = fixture.widget<QTabWidget>(QStringLiteral("m_SettingsTab"));
    tabs->setCurrentIndex(2);
    fixture.settings.emitCustom(ImageStitcherSettings::CustomSignal_PositionSelected, position);
    QCOMPARE(tabs->currentIndex(), page);
}

void tst_ImageStitcherSettingsGui::crossModelEditsMarkTheRecordChanged()
{
    Editor fixture;
    fixture.widget<QSpinBox>(QStringLiteral("m_QSpinBox_Analyse_PyramidLevels"))->setValue(3);
    QCOMPARE(fixture.settings.data().CrossModel.Analyse.PyramidLevels, 3);
    QCOMPARE(fixture.modifiedNotices(), 1);
    QVERIFY(fixture.changePending());

    QCOMPARE(fixture.crossModel.SetModelPictureMode(ModelMatching::Mode_DefineModel), Errors::Type_Error(0));
    fixture.widget<QSpinBox>(QStringLiteral("m_QSpinBox_Model_MinElementSize"))->setValue(9);
    QCOMPARE(fixture.settings.data().CrossModel.Model.MinElementSize, 9);
    QCOMPARE(fixture.modifiedNotices(), 2);
}

void tst_ImageStitcherSettingsGui::abortRequestsReachTheRecord()
{
    Editor fixture;
    emit fixture.crossModel.signal_AnalysingAbort();
    QCOMPARE(fixture.customNumbers(), QList<int>({ImageStitcherSettings::CustomSignal_AbortStitching}));

    // Picking up a search area with the mouse stops a running stitch first.
    fixture.forgetNotices();
    QVERIFY(ViewTestHelpers::showWithPictureSize(fixture.positions.viewers[2], 500, 400));
    areaButton(fixture.editor->searchAreaGui(5), "Move")->click();
    QCOMPARE(fixture.customNumbers(), QList<int>({ImageStitcherSettings::CustomSignal_AbortStitching}));
    QCOMPARE(fixture.settings.data(), StitcherSettingsGuiFixture::shownDefaults());
}

void tst_ImageStitcherSettingsGui::replacedSettingsEndTheMouseTools()
{
    Editor fixture;
    QVERIFY(ViewTestHelpers::showWithPictureSize(fixture.positions.viewers[0], 500, 400));
    SearchAreaGui* area = fixture.editor->searchAreaGui(1);
    QToolButton* button = areaButton(area, "Area");
    button->click();
    QVERIFY(area->mouseHandler()->areaTool()->isActive());

    fixture.settings.emitCustom(ImageStitcherSettings::CustomSignal_Replaced);
    QVERIFY(!area->mouseHandler()->areaTool()->isActive());
    QVERIFY(!button->isChecked());
}

void tst_ImageStitcherSettingsGui::showingAndHidingCheckTheActions()
{
    Editor fixture;
    fixture.dock.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fixture.dock));
    fixture.dock.hide();
    QCOMPARE(fixture.host.actionsChecked, QList<bool>({true, false}));
}

QTEST_MAIN(tst_ImageStitcherSettingsGui)
#include "tst_ImageStitcherSettingsGui.moc"
