#include "ColonySettingsGuiFixture.h"
#include "ColonySettingsWidgetValues.h"

#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>

#include <functional>

using ColonySettingsGuiFixture::Editor;
using ColonySettingsGuiFixture::drive;
using ColonySettingsGuiFixture::shown;

namespace {

using Change = std::function<void(ColonySettingsData&)>;

// A field the operator changes without validation: the widget, what is entered and what
// the record must hold afterwards (everything else unchanged).
struct PlainCase {
    const char* name;
    const char* widget;
    QVariant input;
    Change expected;
    Change prepare;
};

const PlainCase kPlainCases[] = {
    {"fixed position", "m_RefPointFixedPosition", true, [](auto& d) { d.ReferencePoints.FixedPosition = true; }, {}},
    {"search point 3 y", "m_RefPointSearchPos3Y", 70.5, [](auto& d) { d.ReferencePoints.SearchPosition[2].Y = 70.5; }, {}},
    {"search point 2 x", "m_RefPointSearchPos2X", 60.25,
     [](auto& d) { d.ReferencePoints.SearchPosition[1].X = 60.25; }, {}},
    {"search width", "m_RefPointSearchWidth", 12.5, [](auto& d) { d.ReferencePoints.SearchPositionWidth = 12.5; }, {}},
    {"search height", "m_RefPointSearchHeight", 9.75, [](auto& d) { d.ReferencePoints.SearchPositionHeight = 9.75; }, {}},
    {"distance x", "m_RefPointDistanceX", 100.5, [](auto& d) { d.ReferencePoints.DistanceX = 100.5; }, {}},
    {"distance y", "m_RefPointDistanceY", 80.25, [](auto& d) { d.ReferencePoints.DistanceY = 80.25; }, {}},
    {"camera to plane", "m_RefPointDistanceCameraToRefPointPlane", 250.5,
     [](auto& d) { d.ReferencePoints.DistanceCameraToRefPointPlane = 250.5; }, {}},
    {"plane to agar", "m_RefPointDistanceRefPointPlaneToAgarPlane", -3.25,
     [](auto& d) { d.ReferencePoints.DistanceRefPointPlaneToAgarPlane = -3.25; }, {}},
    {"fixed point 1 x, four decimals", "m_RefPointTopLeftX", 10.1234,
     [](auto& d) { d.ReferencePoints.RefPointTopLeftX = 10.1234; }, {}},
    {"fixed point 2 y", "m_RefPointTopRightY", 4.5, [](auto& d) { d.ReferencePoints.RefPointTopRightY = 4.5; }, {}},
    {"fixed point 3 y", "m_RefPointBottomLeftY", 55.5, [](auto& d) { d.ReferencePoints.RefPointBottomLeftY = 55.5; }, {}},
    {"minimum contrast", "m_RefPointMinimumContrast", 17,
     [](auto& d) { d.ReferencePoints.RefPointPointMinimumContrast = 17; }, {}},
    {"minimum score", "m_RefPointMinimumScore", 0.6, [](auto& d) { d.ReferencePoints.RefPointPointMinimumScore = 0.6; }, {}},
    {"scale range", "m_RefPointScaleRange", 7.5, [](auto& d) { d.ReferencePoints.RefPointPointScaleRange = 7.5; }, {}},
    {"radius", "m_RefPointRadius", 33.5, [](auto& d) { d.ReferencePoints.RefPointRadius = 33.5; }, {}},

    {"round area", "m_LabwareRoundArea", true, [](auto& d) { d.Labware.RoundArea = true; }, {}},
    {"right to left", "m_LabwareRightToLeft", true,
     [](auto& d) { d.Labware.PositionDirection = ColonySettingsData::RightToLeft; }, {}},
    {"left to right", "m_LabwareLeftToRight", true,
     [](auto& d) { d.Labware.PositionDirection = ColonySettingsData::LeftToRight; },
     [](auto& d) { d.Labware.PositionDirection = ColonySettingsData::RightToLeft; }},
    {"sections x", "m_LabwareSectionsX", 12, [](auto& d) { d.Labware.SectionsX = 12; }, {}},
    {"sections y", "m_LabwareSectionsY", 8, [](auto& d) { d.Labware.SectionsY = 8; }, {}},
    {"pick order", "m_QComboBox_Labware_PickOrder", 1, [](auto& d) { d.Labware.PickingOrder = 1; }, {}},
    {"pick order 7", "m_QComboBox_Labware_PickOrder", 7, [](auto& d) { d.Labware.PickingOrder = 7; },
     [](auto& d) { d.Labware.PickingOrder = 6; }},
    {"position x", "m_LabwarePositionX", 9.5, [](auto& d) { d.Labware.PositionX = 9.5; }, {}},
    {"position y", "m_LabwarePositionY", 12.1, [](auto& d) { d.Labware.PositionY = 12.1; }, {}},
    {"size x", "m_LabwareSizeX", 70.0, [](auto& d) { d.Labware.SizeX = 70.0; }, {}},
    {"size y", "m_LabwareSizeY", 45.5, [](auto& d) { d.Labware.SizeY = 45.5; }, {}},
    {"gap x", "m_LabwareGapX", 1.5, [](auto& d) { d.Labware.GapX = 1.5; }, {}},
    {"gap y", "m_LabwareGapY", 2.5, [](auto& d) { d.Labware.GapY = 2.5; }, {}},
    {"angle", "m_LabwareAngle", -12.5, [](auto& d) { d.Labware.Angle = -12.5; }, {}},

    {"median preprocessing", "m_QGroupBox_PreprocessingMedian", true,
     [](auto& d) { d.Colony.PreprocessingMedianEnabled = true; }, {}},
    // A strength can be chosen while its filter is on.
    {"median strength by item data", "m_QComboBox_PreprocessingMedianMode", 2,
     [](auto& d) { d.Colony.PreprocessingMedianMode = 3; }, [](auto& d) { d.Colony.PreprocessingMedianEnabled = true; }},
    {"mean preprocessing", "m_QGroupBox_PreprocessingMean", true,
     [](auto& d) { d.Colony.PreprocessingMeanEnabled = true; }, {}},
    {"mean strength by item data", "m_QComboBox_PreprocessingMeanMode", 0,
     [](auto& d) { d.Colony.PreprocessingMeanMode = 1; }, [](auto& d) { d.Colony.PreprocessingMeanEnabled = true; }},
    {"analyse mode standard", "m_AnalyseModeSelection", 0, [](auto& d) { d.Colony.AnalysisMode = 0; }, {}},
    {"analyse mode dynamic", "m_AnalyseModeSelection", 1, [](auto& d) { d.Colony.AnalysisMode = 1; },
     [](auto& d) { d.Colony.AnalysisMode = 0; }},
    {"gray margin", "m_AnalyseModeStandardGrayMargin", 3.5, [](auto& d) { d.Colony.GrayMargin = 3.5; }, {}},
    {"bright tone", "m_AnalyseModeStandardBrightTone", 20, [](auto& d) { d.Colony.GrayPercentOver = 20; }, {}},
    {"dark tone", "m_AnalyseModeStandardDarkTone", 15, [](auto& d) { d.Colony.GrayPercentUnder = 15; }, {}},
    {"threshold slider", "m_AnalyseModeStandardThreshold", 57, [](auto& d) { d.Colony.GrayCenter = 0.57; }, {}},
    {"threshold offset", "m_AnalyseModeDynThresholdOffset", -25, [](auto& d) { d.Colony.Offset = -25.0; }, {}},
    {"maximum colony diameter", "m_AnalyseModeDynThresholdMaxColonyDiameter", 6.05,
     [](auto& d) { d.Colony.MaxColonyDiameter = 6.05; }, {}},
    {"white on black", "m_ColonyWhiteOnBlack", true, [](auto& d) { d.Colony.WhiteOnBlack = true; }, {}},
    {"fast calculation", "m_ColonyFastCalculation", true, [](auto& d) { d.Colony.FastCalculation = true; }, {}},

    {"colour median filter", "m_QGroupBox_Filter_Median", true, [](auto& d) { d.ColonyColor.MedianUsed = true; }, {}},
    {"colour median strength", "m_QComboBox_Filter_Median_Mode", 2, [](auto& d) { d.ColonyColor.MedianMode = 3; },
     [](auto& d) { d.ColonyColor.MedianUsed = true; }},
    {"colour mean filter off", "m_QGroupBox_Filter_Mean", false, [](auto& d) { d.ColonyColor.MeanUsed = false; }, {}},
    {"colour mean strength", "m_QComboBox_Filter_Mean_Mode", 0, [](auto& d) { d.ColonyColor.MeanMode = 1; }, {}},
    {"start hue", "m_QDoubleSpinBox_Color_RangeStart_Hue", 100.5, [](auto& d) { d.ColonyColor.StartHue = 100.5; }, {}},
    {"start saturation", "m_QDoubleSpinBox_Color_RangeStart_Saturation", 50.0,
     [](auto& d) { d.ColonyColor.StartSaturation = 50.0; }, {}},
    {"start intensity", "m_QDoubleSpinBox_Color_RangeStart_Intensity", 200.5,
     [](auto& d) { d.ColonyColor.StartIntensity = 200.5; }, {}},
    {"end hue", "m_QDoubleSpinBox_Color_RangeEnd_Hue", 150.0, [](auto& d) { d.ColonyColor.EndHue = 150.0; }, {}},
    {"end saturation", "m_QDoubleSpinBox_Color_RangeEnd_Saturation", 75.5,
     [](auto& d) { d.ColonyColor.EndSaturation = 75.5; }, {}},
    {"end intensity", "m_QDoubleSpinBox_Color_RangeEnd_Intensity", 250.0,
     [](auto& d) { d.ColonyColor.EndIntensity = 250.0; }, {}},
    {"start hue tolerance", "m_QDoubleSpinBox_Color_RangeStart_Hue_Percent", 7.5,
     [](auto& d) { d.ColonyColor.StartHuePercent = 7.5; }, {}},
    {"start saturation tolerance", "m_QDoubleSpinBox_Color_RangeStart_Saturation_Percent", 10.0,
     [](auto& d) { d.ColonyColor.StartSaturationPercent = 10.0; }, {}},
    {"start intensity without limit", "m_QDoubleSpinBox_Color_RangeStart_Intensity_Percent", -0.1,
     [](auto& d) { d.ColonyColor.StartIntensityPercent = -0.1; }, {}},
    {"end hue tolerance", "m_QDoubleSpinBox_Color_RangeEnd_Hue_Percent", 3.3,
     [](auto& d) { d.ColonyColor.EndHuePercent = 3.3; }, {}},
    {"end saturation tolerance", "m_QDoubleSpinBox_Color_RangeEnd_Saturation_Percent", 100.0,
     [](auto& d) { d.ColonyColor.EndSaturationPercent = 100.0; }, {}},
    {"end intensity tolerance", "m_QDoubleSpinBox_Color_RangeEnd_Intensity_Percent", 0.5,
     [](auto& d) { d.ColonyColor.EndIntensityPercent = 0.5; }, {}},
    {"hue not used", "m_QCheckBox_Color_Hue_Used", false, [](auto& d) { d.ColonyColor.HueUsed = false; }, {}},
    {"saturation used", "m_QCheckBox_Color_Saturation_Used", true,
     [](auto& d) { d.ColonyColor.SaturationUsed = true; }, {}},
    {"intensity used", "m_QCheckBox_Color_Intensity_Used", true, [](auto& d) { d.ColonyColor.IntensityUsed = true; }, {}},
    {"range are the goods", "m_QCheckBox_Color_RangeGoods", false, [](auto& d) { d.ColonyColor.RangeGoods = false; }, {}},
    {"measure by item data", "m_QComboBox_Color_MeasureAlgorithm", 2,
     [](auto& d) { d.ColonyColor.MeasureAlgorithm = 3; }, {}},
    {"combined area percent", "m_QSpinBox_Color_CombinedAreaPercent", 75,
     [](auto& d) { d.ColonyColor.CombinedAreaPercent = 75.0; }, {}},
};

// A validated field: accepted (message empty) with the record's expected change, or
// refused with the validator's message and the record as it was. paired names a widget
// that shows pairedValue afterwards.
struct ValidatedCase {
    const char* name;
    const char* widget;
    QVariant input;
    QString message;
    Change expected;
    Change prepare;
    const char* paired;
    QVariant pairedValue;
};

void rgb(ColonySettingsData& d)
{
    d.ColorModel = ColonySettingsData::ColorModelRgb;
}

const QString kAreaMessage = QStringLiteral("Area \"Maximum\" must be larger than \"Minimum\"!");
const QString kWeightMessage = QStringLiteral("At least one weight must be larger than zero!");
const QString kRedNormalMessage = QStringLiteral("Color red \"Maximum Normalized\" must be larger than \"Minimum\"!");

const ValidatedCase kValidatedCases[] = {
    {"area minimum cut to the hundredth below", "m_ColonyAreaMin", 0.29, {}, [](auto& d) { d.Colony.AreaMin = 0.28; },
     {}, "m_ColonyAreaWeightSlider", 30},
    {"area maximum kept", "m_ColonyAreaMax", 2.5, {}, [](auto& d) { d.Colony.AreaMax = 2.5; }, {}, nullptr, {}},
    {"area minimum not below maximum", "m_ColonyAreaMin", 5.0, kAreaMessage, {}, {}, "m_ColonyAreaMin", 1.0},
    {"area maximum below minimum", "m_ColonyAreaMax", 0.5, kAreaMessage, {}, {}, "m_ColonyAreaMax", 5.0},
    {"circularity normalisation as is", "m_ColonyCircularityMaxNorm", 0.95, {},
     [](auto& d) { d.Colony.CircularityMaxNorm = 0.95; }, {}, nullptr, {}},
    {"circularity minimum not below", "m_ColonyCircularityMin", 0.9,
     QStringLiteral("Circularity \"Normalized Maximum\" must be larger than \"Minimum\"!"), {}, {},
     "m_ColonyCircularityMin", 0.7},
    {"neighbour minimum not below", "m_ColonyNeighborDistanceMin", 4.0,
     QStringLiteral("Next Neighbor \"Normalized Maximum\" must be larger than \"Minimum\"!"), {}, {},
     "m_ColonyNeighborDistanceMin", 0.3},
    {"margin minimum not below", "m_ColonyMarginDistanceMin", 3.0,
     QStringLiteral("Distance to margin \"Normalized Maximum\" must be larger than \"Minimum\"!"), {}, {},
     "m_ColonyMarginDistanceMin", 0.5},
    {"weight box moves its slider", "m_ColonyCircularityWeight", 0.25, {},
     [](auto& d) { d.Colony.CircularityWeight = 0.25; }, {}, "m_ColonyCircularityWeightSlider", 25},
    {"slider moves its weight box", "m_ColonyMarginDistanceWeightSlider", 40, {},
     [](auto& d) { d.Colony.MarginDistanceWeight = 0.4; }, {}, "m_ColonyMarginDistanceWeight", 0.4},
    {"last weight to zero", "m_ColonyMarginDistanceWeightSlider", 0, kWeightMessage, {},
     [](auto& d) { d.Colony.AreaWeight = d.Colony.CircularityWeight = d.Colony.NeighborDistanceWeight = 0.0; },
     "m_ColonyMarginDistanceWeightSlider", 10},

    {"red minimum", "m_ColonyThresholdRedMin", 100, {}, [](auto& d) { d.Colony.ThresholdColorRedMin = 100.0; }, rgb,
     nullptr, {}},
    {"red normalisation below minimum", "m_ColonyThresholdRedMaxNorm", 120, kRedNormalMessage, {}, rgb,
     "m_ColonyThresholdRedMaxNorm", 255},
    {"red thresholds unchecked without rgb", "m_ColonyThresholdRedMaxNorm", 120, {},
     [](auto& d) { d.Colony.ThresholdColorRedMaxNorm = 120.0; }, {}, nullptr, {}},
    {"green inverse", "m_ColonyThresholdGreenInverse", true, {},
     [](auto& d) { d.Colony.ThresholdColorGreenInverse = true; }, rgb, nullptr, {}},
    {"red inverse with minimum normalisation above maximum", "m_ColonyThresholdRedInverse", true,
     QStringLiteral("Color red \"Maximum\" must be larger than \"Minimum Normalized\"!"), {},
     [](auto& d) {
         rgb(d);
         d.Colony.ThresholdColorRedMinNorm = 200.0;
     },
     "m_ColonyThresholdRedInverse", false},
    {"blue weight slider", "m_ColonyThresholdBlueWeightSlider", 37, {},
     [](auto& d) { d.Colony.ThresholdColorBlueWeight = 0.37; }, rgb, "m_ColonyThresholdBlueWeight", 0.37},
    {"colour weight box", "m_ColonyThresholdGreenWeight", 0.25, {},
     [](auto& d) { d.Colony.ThresholdColorGreenWeight = 0.25; }, rgb, "m_ColonyThresholdGreenWeightSlider", 25},

    {"second colour entry is hsv", "m_QComboBox_Color_ColorModel", 1, {},
     [](auto& d) { d.ColorModel = ColonySettingsData::ColorModelHsi; }, {}, "m_QStackedWidget_ColorModels", 1},
    {"third colour entry is rgb", "m_QComboBox_Color_ColorModel", 2, {}, rgb,
     [](auto& d) { d.ColorModel = ColonySettingsData::ColorModelHsi; }, "m_QStackedWidget_ColorModels", 2},
    {"leaving rgb with colour weights only", "m_QComboBox_Color_ColorModel", 1, kWeightMessage, {},
     [](auto& d) {
         rgb(d);
         d.Colony.AreaWeight = d.Colony.CircularityWeight = 0.0;
         d.Colony.NeighborDistanceWeight = d.Colony.MarginDistanceWeight = 0.0;
         d.Colony.ThresholdColorRedWeight = 0.5;
     },
     "m_QStackedWidget_ColorModels", 2},
    {"entering rgb with broken thresholds", "m_QComboBox_Color_ColorModel", 2, kRedNormalMessage, {},
     [](auto& d) {
         d.ColorModel = ColonySettingsData::ColorModelHsi;
         d.Colony.ThresholdColorRedMaxNorm = 100.0;
     },
     "m_QComboBox_Color_ColorModel", 1},
};

ColonySettingsData prepared(const Change& prepare)
{
    ColonySettingsData data = ColonySettingsData::standardDefaults();
    data.name = QStringLiteral("Plate");
    if (prepare)
        prepare(data);
    return data;
}

QVariant shownIn(const Editor& fixture, const char* name)
{
    if (auto* stack = fixture.widget<QStackedWidget>(name))
        return stack->currentIndex();
    return shown(fixture.widget<QWidget>(name));
}

} // namespace

// The field slots of the four pages and the colour page, driven through their widgets, and
// the controller around them: refresh, custom signals of the record, tabs, title, "Get Values".
class tst_ColonySettingsGuiFields : public QObject {
    Q_OBJECT
private slots:
    void plainField_data();
    void plainField();
    void validatedField_data();
    void validatedField();
    void pickOrderText_data();
    void pickOrderText();
    void thresholdLabelFollowsSlider();
    void refreshShows_data();
    void refreshShows();
    void refreshIsNoEdit();
    void changeNoticeArrivesOnce();
    void valuesChangedFromOutside_data();
    void valuesChangedFromOutside();
    void codesForOthersChangeNothing_data();
    void codesForOthersChangeNothing();
    void tabChangeAnnouncesPage_data();
    void tabChangeAnnouncesPage();
    void titleShowsNameAndMark();
    void getValuesStoresThePagePoints();
    void getValuesWithoutReceiverChangesNothing();
    void sectionsAndDistancesStayLoadable();
    void roundSpinBoxValue_data();
    void roundSpinBoxValue();
};

void tst_ColonySettingsGuiFields::plainField_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < int(std::size(kPlainCases)); ++i)
        QTest::newRow(kPlainCases[i].name) << i;
}

void tst_ColonySettingsGuiFields::plainField()
{
    QFETCH(int, index);
    const PlainCase& row = kPlainCases[index];
    Editor fixture(prepared(row.prepare));
    fixture.forgetNotices();
    ColonySettingsData expected = fixture.settings.data();
    row.expected(expected);

    QWidget* widget = fixture.widget<QWidget>(row.widget);
    QVERIFY2(widget, row.widget);
    QVERIFY(drive(widget, row.input));

    QVERIFY(fixture.settings.data() == expected);
    QCOMPARE(fixture.modifiedNotices(), 1);
    QVERIFY(fixture.changePending());
    QVERIFY(fixture.script.boxes.isEmpty());
    QVERIFY(fixture.editor->isModified());
}

void tst_ColonySettingsGuiFields::validatedField_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < int(std::size(kValidatedCases)); ++i)
        QTest::newRow(kValidatedCases[i].name) << i;
}

void tst_ColonySettingsGuiFields::validatedField()
{
    QFETCH(int, index);
    const ValidatedCase& row = kValidatedCases[index];
    Editor fixture(prepared(row.prepare));
    fixture.forgetNotices();
    const ColonySettingsData before = fixture.settings.data();
    const QString titleBefore = fixture.dock.windowTitle();

    QWidget* widget = fixture.widget<QWidget>(row.widget);
    QVERIFY2(widget, row.widget);
    drive(widget, row.input);

    if (row.message.isEmpty()) {
        ColonySettingsData expected = before;
        row.expected(expected);
        QVERIFY(fixture.settings.data() == expected);
        QCOMPARE(fixture.modifiedNotices(), 1);
        QVERIFY(fixture.changePending());
        QVERIFY(fixture.script.boxes.isEmpty());
    } else {
        // The whole record as before, name included; nothing announced.
        QVERIFY(fixture.settings.data() == before);
        QCOMPARE(fixture.settings.name, QStringLiteral("Plate"));
        QCOMPARE(fixture.modifiedNotices(), 0);
        QVERIFY(!fixture.changePending());
        QCOMPARE(fixture.dock.windowTitle(), titleBefore);
        QCOMPARE(fixture.script.boxes.size(), 1);
        const MessageBox_Helper::Request& box = fixture.script.boxes.first();
        QCOMPARE(box.icon, QMessageBox::Warning);
        QCOMPARE(box.title, QStringLiteral("Validation"));
        QCOMPARE(box.text, row.message);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(box.parent, fixture.editor.get());
    }
    if (row.paired)
        QCOMPARE(shownIn(fixture, row.paired), row.pairedValue);
    // No widget signal stays blocked after the edit.
    QVERIFY(!widget->signalsBlocked());
}

void tst_ColonySettingsGuiFields::pickOrderText_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<QString>("text");
    // Two rows of three containers, numbered row by row from the top left.
    QTest::newRow("sections x") << QStringLiteral("m_LabwareSectionsX") << QVariant(2) << "1, 2, 3, 4";
    QTest::newRow("sections y") << QStringLiteral("m_LabwareSectionsY") << QVariant(3) << "1, 2, 3, 4, 5, 6, 7, 8, 9";
    QTest::newRow("vertical") << QStringLiteral("m_QComboBox_Labware_PickOrder") << QVariant(1) << "1, 4, 2, 5, 3, 6";
    QTest::newRow("right to left") << QStringLiteral("m_LabwareRightToLeft") << QVariant(true) << "6, 5, 4, 3, 2, 1";
}

void tst_ColonySettingsGuiFields::pickOrderText()
{
    QFETCH(QString, widget);
    QFETCH(QVariant, input);
    QFETCH(QString, text);
    Editor fixture(prepared([](auto& d) {
        d.Labware.SectionsX = 3;
        d.Labware.SectionsY = 2;
    }));
    QLabel* label = fixture.widget<QLabel>("m_QLabel_Labware_PickOrder");
    QCOMPARE(label->text(), QStringLiteral("1, 2, 3, 4, 5, 6"));
    QVERIFY(drive(fixture.widget<QWidget>(qPrintable(widget)), input));
    QCOMPARE(label->text(), text);
}

void tst_ColonySettingsGuiFields::thresholdLabelFollowsSlider()
{
    Editor fixture;
    QLabel* label = fixture.widget<QLabel>("m_AnalyseModeStandardThresholdValue");
    QCOMPARE(label->text(), QStringLiteral("0.45"));
    drive(fixture.widget<QWidget>("m_AnalyseModeStandardThreshold"), 57);
    QCOMPARE(fixture.settings.Colony.GrayCenter, 0.57);
    QCOMPARE(label->text(), QStringLiteral("0.57"));
}

void tst_ColonySettingsGuiFields::refreshShows_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("direction 2") << 0 << QStringLiteral("m_LabwareRightToLeft") << QVariant(true);
    QTest::newRow("direction 7") << 1 << QStringLiteral("m_LabwareLeftToRight") << QVariant(true);
    QTest::newRow("analysis mode 7") << 2 << QStringLiteral("m_AnalyseModeSelection") << QVariant(0);
    QTest::newRow("analysis mode 7, page") << 2 << QStringLiteral("m_AnalyseModePages") << QVariant(0);
    QTest::newRow("colour model 9") << 3 << QStringLiteral("m_QStackedWidget_ColorModels") << QVariant(0);
    QTest::newRow("colour model 1, entry") << 4 << QStringLiteral("m_QComboBox_Color_ColorModel") << QVariant(2);
    QTest::newRow("strength nobody has") << 5 << QStringLiteral("m_QComboBox_PreprocessingMedianMode") << QVariant(-1);
    QTest::newRow("measure nobody has") << 5 << QStringLiteral("m_QComboBox_Color_MeasureAlgorithm") << QVariant(-1);
    QTest::newRow("gray centre slider") << 6 << QStringLiteral("m_AnalyseModeStandardThreshold") << QVariant(45);
    QTest::newRow("weight slider rounds") << 6 << QStringLiteral("m_ColonyAreaWeightSlider") << QVariant(27);
    QTest::newRow("fixed position disables the search area") << 7 << QStringLiteral("m_RefPointSearchAreaGroup") << QVariant(false);
    QTest::newRow("red inverse enables its maximum") << 8 << QStringLiteral("m_ColonyThresholdRedMax") << QVariant(true);
    QTest::newRow("red inverse disables its minimum") << 8 << QStringLiteral("m_ColonyThresholdRedMin") << QVariant(false);
    QTest::newRow("hue unused disables its box") << 9 << QStringLiteral("m_QDoubleSpinBox_Color_RangeEnd_Hue_Percent")
                                                 << QVariant(false);
    QTest::newRow("hue unused disables its label") << 9 << QStringLiteral("m_QLabel_Color_RangeStart_EffectiveHue") << QVariant(false);
}

void tst_ColonySettingsGuiFields::refreshShows()
{
    QFETCH(int, which);
    QFETCH(QString, widget);
    QFETCH(QVariant, value);
    const Change changes[] = {
        [](auto& d) { d.Labware.PositionDirection = 2; },
        [](auto& d) { d.Labware.PositionDirection = 7; },
        [](auto& d) { d.Colony.AnalysisMode = 7; },
        [](auto& d) { d.ColorModel = 9; },
        [](auto& d) { d.ColorModel = ColonySettingsData::ColorModelRgb; },
        [](auto& d) {
            d.Colony.PreprocessingMedianMode = 9;
            d.ColonyColor.MeasureAlgorithm = 0;
        },
        [](auto& d) {
            d.Colony.GrayCenter = 0.459;
            d.Colony.AreaWeight = 0.265;
        },
        [](auto& d) { d.ReferencePoints.FixedPosition = true; },
        [](auto& d) { d.Colony.ThresholdColorRedInverse = true; },
        [](auto& d) { d.ColonyColor.HueUsed = false; },
    };
    Editor fixture;
    fixture.settings.data() = prepared(changes[which]);
    fixture.editor->refreshFromSettings();
    QWidget* target = fixture.widget<QWidget>(qPrintable(widget));
    QVERIFY2(target, qPrintable(widget));
    if (value.typeId() == QMetaType::Bool && !qobject_cast<QAbstractButton*>(target))
        QCOMPARE(target->isEnabled(), value.toBool());
    else
        QCOMPARE(shownIn(fixture, qPrintable(widget)), value);
}

void tst_ColonySettingsGuiFields::refreshIsNoEdit()
{
    Editor fixture;
    fixture.forgetNotices();
    ColonySettingsData data = ColonySettingsData::lightTableDefaults();
    data.ColorModel = ColonySettingsData::ColorModelHsi;
    data.ColonyColor.StartHue = 120.0;
    data.ColonyColor.EndSaturation = 30.5;
    data.Colony.AnalysisMode = 0;
    fixture.settings.data() = data;
    fixture.editor->refreshFromSettings();
    // Showing every field touches none of them and announces nothing.
    QVERIFY(fixture.settings.data() == data);
    QVERIFY(fixture.custom.isEmpty());
    QVERIFY(!fixture.changePending());
    QCOMPARE(fixture.widget<QDoubleSpinBox>("m_LabwareSizeY")->value(), 83.99);
    QCOMPARE(fixture.widget<QDoubleSpinBox>("m_QDoubleSpinBox_Color_RangeStart_Hue")->value(), 120.0);
}

void tst_ColonySettingsGuiFields::changeNoticeArrivesOnce()
{
    Editor fixture;
    QSignalSpy changed(&fixture.settings, &Settings_Change_Helper::signal_changed);
    drive(fixture.widget<QWidget>("m_LabwareGapX"), 1.0);
    drive(fixture.widget<QWidget>("m_LabwareGapY"), 1.5);
    QVERIFY(changed.wait(5000));
    QTest::qWait(700);
    QCOMPARE(changed.count(), 1);
}

void tst_ColonySettingsGuiFields::valuesChangedFromOutside_data()
{
    QTest::addColumn<bool>("edit");
    QTest::newRow("shown and reported") << true;
    QTest::newRow("shown only") << false;
}

void tst_ColonySettingsGuiFields::valuesChangedFromOutside()
{
    QFETCH(bool, edit);
    Editor fixture;
    fixture.forgetNotices();
    fixture.settings.Labware.SizeX = 33.33;
    fixture.settings.emitCustom(ColonySettings::CustomSignal_ValuesChanged, QVariant(edit));
    QCOMPARE(fixture.widget<QDoubleSpinBox>("m_LabwareSizeX")->value(), 33.33);
    QCOMPARE(fixture.modifiedNotices(), edit ? 1 : 0);
    QCOMPARE(fixture.changePending(), edit);
    QCOMPARE(fixture.dock.windowTitle().startsWith(QLatin1Char('*')), edit);
}

void tst_ColonySettingsGuiFields::codesForOthersChangeNothing_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QVariant>("data");
    QTest::newRow("rectangle taken") << 4 << QVariant();
    QTest::newRow("focus") << 20 << QVariant();
    QTest::newRow("selection accepted") << 22 << QVariant();
    QTest::newRow("page") << 23 << QVariant(3);
    QTest::newRow("selection with another value") << 21 << QVariant(5);
}

void tst_ColonySettingsGuiFields::codesForOthersChangeNothing()
{
    QFETCH(int, code);
    QFETCH(QVariant, data);
    Editor fixture;
    fixture.settings.Labware.SizeX = 33.33; // not shown unless the editor refreshed
    fixture.forgetNotices();
    const QString title = fixture.dock.windowTitle();
    fixture.settings.emitCustom(ColonySettings::Enum_CustomSignal(code), data);
    QCOMPARE(fixture.widget<QDoubleSpinBox>("m_LabwareSizeX")->value(), 80.6);
    QCOMPARE(fixture.dock.windowTitle(), title);
    QCOMPARE(fixture.custom.size(), 1);
    QVERIFY(!fixture.changePending());
    QVERIFY(!fixture.widget<QAbstractButton>("m_QToolButton_Color_MouseSelect_ColorRange")->isChecked());
}

void tst_ColonySettingsGuiFields::tabChangeAnnouncesPage_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("page");
    QTest::newRow("labware") << 1 << 2;
    QTest::newRow("margins") << 2 << 3;
    QTest::newRow("properties") << 3 << 4;
    QTest::newRow("colour") << 4 << 5;
}

void tst_ColonySettingsGuiFields::tabChangeAnnouncesPage()
{
    QFETCH(int, tab);
    QFETCH(int, page);
    Editor fixture;
    fixture.widget<QTabWidget>("m_SettingsTab")->setCurrentIndex(tab);
    QCOMPARE(fixture.customNumbers(), QList<int>({20, 23}));
    QCOMPARE(fixture.custom.last().second, QVariant(page));
    fixture.custom.clear();
    fixture.widget<QTabWidget>("m_SettingsTab")->setCurrentIndex(0);
    QCOMPARE(fixture.customNumbers(), QList<int>({20, 23}));
    QCOMPARE(fixture.custom.last().second, QVariant(1));
}

void tst_ColonySettingsGuiFields::titleShowsNameAndMark()
{
    Editor fixture;
    fixture.host.fileName = QStringLiteral("settings/Colony/Petri dish.ColonySettings");
    fixture.editor->updateTitle();
    QCOMPARE(fixture.dock.windowTitle(), QStringLiteral(" Colony Settings \"Petri dish\""));
    drive(fixture.widget<QWidget>("m_LabwareAngle"), 5.0);
    QCOMPARE(fixture.dock.windowTitle(), QStringLiteral("* Colony Settings \"Petri dish\""));
    fixture.settings.emitCustom(ColonySettings::CustomSignal_ModifiedChanged, QVariant(false));
    QCOMPARE(fixture.dock.windowTitle(), QStringLiteral(" Colony Settings \"Petri dish\""));
    QVERIFY(!fixture.editor->isModified());
}

void tst_ColonySettingsGuiFields::getValuesStoresThePagePoints()
{
    Editor fixture;
    QObject::connect(fixture.editor.get(), &ColonySettingsGui::signal_GetRefPointOffset,
                     [](double& x1, double& y1, double& x2, double& y2, double& x3, double& y3) {
                         x1 = 10.125;
                         y1 = 5.5;
                         x2 = 90.25;
                         y2 = 5.75;
                         x3 = 10.5;
                         y3 = 70.0;
                     });
    fixture.forgetNotices();
    QTest::mouseClick(fixture.widget<QAbstractButton>("m_RefPointsGetFromAnalyser"), Qt::LeftButton);
    const ColonySettingsData::ReferencePointsData& r = fixture.settings.ReferencePoints;
    QCOMPARE(r.RefPointTopLeftX, 10.125);
    QCOMPARE(r.RefPointTopLeftY, 5.5);
    QCOMPARE(r.RefPointTopRightX, 90.25);
    QCOMPARE(r.RefPointTopRightY, 5.75);
    QCOMPARE(r.RefPointBottomLeftX, 10.5);
    QCOMPARE(r.RefPointBottomLeftY, 70.0);
    QVERIFY(fixture.modifiedNotices() >= 1);
    QVERIFY(fixture.changePending());
}

void tst_ColonySettingsGuiFields::getValuesWithoutReceiverChangesNothing()
{
    ColonySettingsData data = prepared({});
    data.ReferencePoints.RefPointTopRightX = 77.5;
    Editor fixture(data);
    fixture.forgetNotices();
    QTest::mouseClick(fixture.widget<QAbstractButton>("m_RefPointsGetFromAnalyser"), Qt::LeftButton);
    QVERIFY(fixture.settings.data() == data);
    QCOMPARE(fixture.widget<QDoubleSpinBox>("m_RefPointTopRightX")->value(), 77.5);
    QVERIFY(fixture.custom.isEmpty());
    QVERIFY(!fixture.editor->isModified());
}

void tst_ColonySettingsGuiFields::sectionsAndDistancesStayLoadable()
{
    // Values the record's validation refuses cannot be entered, so what is saved loads again.
    Editor fixture;
    drive(fixture.widget<QWidget>("m_LabwareSectionsY"), 40);
    drive(fixture.widget<QWidget>("m_RefPointDistanceX"), 0.0);
    QCOMPARE(fixture.settings.Labware.SectionsY, ColonySettings::MaximumRows);
    QVERIFY(fixture.settings.ReferencePoints.DistanceX > 0.0);
    QString message;
    QVERIFY2(ColonySettings::validate(fixture.settings.data(), message), qPrintable(message));
}

void tst_ColonySettingsGuiFields::roundSpinBoxValue_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("rounded");
    QTest::addColumn<double>("shownAfter");
    QTest::newRow("rounds, box unchanged") << 1.234 << 1.23 << 1.234;
    QTest::newRow("half up") << 1.235 << 1.24 << 1.235;
    QTest::newRow("to zero, box follows") << 0.004 << 0.0 << 0.0;
    QTest::newRow("negative to zero") << -0.004 << 0.0 << 0.0;
}

void tst_ColonySettingsGuiFields::roundSpinBoxValue()
{
    QFETCH(double, value);
    QFETCH(double, rounded);
    QFETCH(double, shownAfter);
    QDoubleSpinBox box;
    box.setDecimals(3);
    box.setRange(-10.0, 10.0);
    box.setValue(value);
    QSignalSpy changed(&box, &QDoubleSpinBox::valueChanged);
    QCOMPARE(::roundSpinBoxValue(&box, 2), rounded);
    QCOMPARE(box.value(), shownAfter);
    QVERIFY(changed.isEmpty());
    QVERIFY(!box.signalsBlocked());
}

QTEST_MAIN(tst_ColonySettingsGuiFields)
#include "tst_ColonySettingsGuiFields.moc"
