#include "ColonySettingsGuiFixture.h"
#include "QuendralLibrary.h"
#include "ui_ColonySettingsGui.h"

#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using ColonySettingsGuiFixture::Editor;

// The editor's form as the controller and the main window rely on it: the object names and
// kinds, the ranges the record's fields need, the spin boxes' behaviour and the entries.
class tst_ColonySettingsGuiForm : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void namedWidgets();
    void ranges_data();
    void ranges();
    void pagesButtonsAndEntries();
    void toleranceShowsNoLimit();
    void hueWrapsOthersStop_data();
    void hueWrapsOthersStop();
    void typedNumberCountsWhenConfirmed();
    void retranslateKeepsThreeColourModels();
};

void tst_ColonySettingsGuiForm::initTestCase()
{
    // The library start makes the pictures of the pick orders and buttons reachable.
    QuendralLibrary::Start(QStringLiteral("ColonySettingsFormTest%1").arg(QCoreApplication::applicationPid()),
                           QStringLiteral("1.0"), QStringLiteral("2016"), nullptr, false, this);
}

void tst_ColonySettingsGuiForm::cleanupTestCase()
{
    QuendralLibrary::Stop();
}

void tst_ColonySettingsGuiForm::namedWidgets()
{
    Editor fixture;
    QCOMPARE(fixture.editor->objectName(), QStringLiteral("ColonySettingsGui"));
    QCOMPARE(fixture.dock.objectName(), QStringLiteral("ColonySettingsGui"));
    const QList<QPair<const char*, QStringList>> kinds = {
        {"QDoubleSpinBox",
         {"m_RefPointSearchPos1X", "m_RefPointSearchPos4Y", "m_RefPointSearchWidth", "m_RefPointSearchHeight",
          "m_RefPointRadius", "m_RefPointMinimumScore", "m_RefPointScaleRange", "m_RefPointTopLeftX",
          "m_RefPointTopRightY", "m_RefPointBottomLeftX", "m_RefPointDistanceX", "m_RefPointDistanceY",
          "m_RefPointDistanceCameraToRefPointPlane", "m_RefPointDistanceRefPointPlaneToAgarPlane",
          "m_LabwarePositionX", "m_LabwarePositionY", "m_LabwareSizeX", "m_LabwareSizeY", "m_LabwareGapX",
          "m_LabwareGapY", "m_LabwareAngle", "m_AnalyseModeStandardGrayMargin",
          "m_AnalyseModeDynThresholdMaxColonyDiameter", "m_ColonyAreaMin", "m_ColonyAreaMax", "m_ColonyAreaWeight",
          "m_ColonyCircularityMaxNorm", "m_ColonyNeighborDistanceMaxNorm", "m_ColonyMarginDistanceWeight",
          "m_ColonyThresholdRedWeight", "m_QDoubleSpinBox_Color_RangeStart_Hue",
          "m_QDoubleSpinBox_Color_RangeEnd_Intensity_Percent"}},
        {"QSpinBox",
         {"m_RefPointMinimumContrast", "m_LabwareSectionsX", "m_LabwareSectionsY", "m_AnalyseModeStandardDarkTone",
          "m_AnalyseModeStandardBrightTone", "m_AnalyseModeDynThresholdOffset", "m_ColonyThresholdBlueMinNorm",
          "m_QSpinBox_Color_CombinedAreaPercent"}},
        {"QSlider",
         {"m_AnalyseModeStandardThreshold", "m_ColonyAreaWeightSlider", "m_ColonyMarginDistanceWeightSlider",
          "m_ColonyThresholdGreenWeightSlider"}},
        {"QToolButton",
         {"m_RefPoint0SearchAreaCreate", "m_RefPoint3SearchAreaEdit", "m_LabwareCreate", "m_LabwareEdit",
          "m_QToolButton_Color_MouseSelect_ColorRange", "m_SettingsSetDefaults"}},
        {"QPushButton",
         {"m_SettingsLoad", "m_SettingsSave", "m_SettingsSaveAs", "m_RefPointsGetFromAnalyser",
          "m_QPushButton_Color_MouseSelect_ColorRange_Ok"}},
        {"QCheckBox",
         {"m_RefPointFixedPosition", "m_LabwareRoundArea", "m_ColonyWhiteOnBlack", "m_ColonyFastCalculation",
          "m_ColonyThresholdRedInverse", "m_QCheckBox_Color_Hue_Used", "m_QCheckBox_Color_RangeGoods"}},
        {"QRadioButton", {"m_LabwareLeftToRight", "m_LabwareRightToLeft"}},
        {"QComboBox",
         {"m_QComboBox_Labware_PickOrder", "m_QComboBox_PreprocessingMedianMode", "m_QComboBox_PreprocessingMeanMode",
          "m_AnalyseModeSelection", "m_QComboBox_Color_ColorModel", "m_QComboBox_Filter_Median_Mode",
          "m_QComboBox_Filter_Mean_Mode", "m_QComboBox_Color_MeasureAlgorithm"}},
        {"QGroupBox",
         {"m_RefPointSearchAreaGroup", "m_RefPointFixedPositions", "m_RefPointsTranslationGroup", "m_LabwareSections",
          "m_LabwarePositionSize", "groupBox_2", "groupBox_6", "m_QGroupBox_PreprocessingMedian",
          "m_QGroupBox_PreprocessingMean", "m_ColonyAnalyseModeGroup", "groupBox", "m_QGroupBox_Filter_Median",
          "m_QGroupBox_Filter_Mean", "m_QGroupBox_Color_Range", "m_QGroupBox_MeasureMode",
          "m_ColonyThresholdColorGroupBox"}},
        {"QStackedWidget", {"m_AnalyseModePages", "m_QStackedWidget_ColorModels"}},
        {"QTabWidget", {"m_SettingsTab"}},
        {"QLabel",
         {"m_QLabel_Labware_PickOrder", "label_24", "m_AnalyseModeStandardThresholdValue",
          "m_QLabel_Color_RangeStart_EffectiveSaturation", "m_QLabel_Color_RangeEnd_EffectiveHue"}},
        {"QWidget",
         {"m_ReferencePointsPage", "m_LabwarePage", "m_ColonyMarginsPage", "m_ColonyPropertiesPage",
          "m_ColonyColorPage", "m_AnalyseModePageStandard", "m_AnalyseModePageDynThreshold", "widget",
          "m_QWidget_ColorModelNone", "m_QWidget_ColorModelHsv", "m_QWidget_ColorModelRgb",
          "m_QWidget_ColorRange_MouseSelect", "m_QWidget_ColorRange_Start", "m_QWidget_ColorRange_End",
          "m_QWidget_Color_RangeStart", "m_QWidget_Color_RangeEnd"}},
    };
    for (const auto& kind : kinds) {
        for (const QString& name : kind.second) {
            QWidget* widget = fixture.editor->findChild<QWidget*>(name);
            QVERIFY2(widget, qPrintable(name));
            QVERIFY2(widget->inherits(kind.first), qPrintable(name + QStringLiteral(" is ") + widget->metaObject()->className()));
        }
    }
    // Every spin box reports only confirmed values.
    for (QAbstractSpinBox* box : fixture.editor->findChildren<QAbstractSpinBox*>())
        QVERIFY2(!box->keyboardTracking(), qPrintable(box->objectName()));
    for (QSlider* slider : fixture.editor->findChildren<QSlider*>())
        QCOMPARE(slider->tickPosition(), QSlider::TicksBothSides);
}

void tst_ColonySettingsGuiForm::ranges_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<int>("decimals"); // -1: integer box or slider
    QTest::addColumn<double>("step");
    QTest::newRow("search position") << "m_RefPointSearchPos2Y" << 0.0 << 99.99 << 2 << 1.0;
    QTest::newRow("radius") << "m_RefPointRadius" << 1.0 << 999.0 << 2 << 0.5;
    QTest::newRow("minimum score") << "m_RefPointMinimumScore" << 0.0 << 1.0 << 2 << 0.1;
    QTest::newRow("minimum contrast") << "m_RefPointMinimumContrast" << 1.0 << 255.0 << -1 << 1.0;
    QTest::newRow("scale range") << "m_RefPointScaleRange" << 0.01 << 99.99 << 2 << 0.1;
    QTest::newRow("fixed position") << "m_RefPointBottomLeftY" << 0.0 << 99.99 << 4 << 1.0;
    // Distances of zero and more rows than letters are refused when the file is read again.
    QTest::newRow("distance x") << "m_RefPointDistanceX" << 0.01 << 999.0 << 2 << 1.0;
    QTest::newRow("camera distance") << "m_RefPointDistanceCameraToRefPointPlane" << 0.0 << 1999.0 << 2 << 1.0;
    QTest::newRow("agar distance") << "m_RefPointDistanceRefPointPlaneToAgarPlane" << -999.0 << 999.0 << 2 << 1.0;
    QTest::newRow("sections x") << "m_LabwareSectionsX" << 1.0 << 99.0 << -1 << 1.0;
    QTest::newRow("sections y") << "m_LabwareSectionsY" << 1.0 << double(ColonySettings::MaximumRows) << -1 << 1.0;
    QTest::newRow("labware position") << "m_LabwarePositionX" << 0.0 << 100.0 << 2 << 0.1;
    QTest::newRow("labware size") << "m_LabwareSizeY" << 0.1 << 100.0 << 2 << 0.1;
    QTest::newRow("labware angle") << "m_LabwareAngle" << -90.0 << 90.0 << 2 << 0.5;
    QTest::newRow("gray margin") << "m_AnalyseModeStandardGrayMargin" << 0.0 << 999.99 << 2 << 1.0;
    QTest::newRow("tone") << "m_AnalyseModeStandardDarkTone" << 0.0 << 50.0 << -1 << 1.0;
    QTest::newRow("threshold") << "m_AnalyseModeStandardThreshold" << 0.0 << 100.0 << -1 << 1.0;
    QTest::newRow("colony diameter") << "m_AnalyseModeDynThresholdMaxColonyDiameter" << 0.1 << 999.99 << 2 << 0.05;
    QTest::newRow("offset") << "m_AnalyseModeDynThresholdOffset" << -255.0 << 255.0 << -1 << 5.0;
    QTest::newRow("area") << "m_ColonyAreaMax" << 0.0 << 999.99 << 2 << 0.05;
    QTest::newRow("circularity") << "m_ColonyCircularityMin" << 0.0 << 1.0 << 2 << 0.05;
    QTest::newRow("weight") << "m_ColonyNeighborDistanceWeight" << 0.0 << 1.0 << 2 << 0.05;
    QTest::newRow("weight slider") << "m_ColonyCircularityWeightSlider" << 0.0 << 100.0 << -1 << 1.0;
    QTest::newRow("hue") << "m_QDoubleSpinBox_Color_RangeEnd_Hue" << 0.0 << 255.0 << 1 << 1.0;
    QTest::newRow("tolerance") << "m_QDoubleSpinBox_Color_RangeStart_Saturation_Percent" << -0.1 << 100.0 << 1 << 0.1;
    QTest::newRow("combined area") << "m_QSpinBox_Color_CombinedAreaPercent" << 1.0 << 100.0 << -1 << 1.0;
    QTest::newRow("rgb threshold") << "m_ColonyThresholdGreenMaxNorm" << 0.0 << 255.0 << -1 << 1.0;
    QTest::newRow("rgb weight") << "m_ColonyThresholdBlueWeight" << 0.0 << 1.0 << 2 << 0.05;
}

void tst_ColonySettingsGuiForm::ranges()
{
    QFETCH(QString, name);
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    QFETCH(int, decimals);
    QFETCH(double, step);
    Editor fixture;
    QWidget* widget = fixture.editor->findChild<QWidget*>(name);
    QVERIFY(widget);
    if (auto* box = qobject_cast<QDoubleSpinBox*>(widget)) {
        QCOMPARE(box->minimum(), minimum);
        QCOMPARE(box->maximum(), maximum);
        QCOMPARE(box->decimals(), decimals);
        QCOMPARE(box->singleStep(), step);
    } else if (auto* intBox = qobject_cast<QSpinBox*>(widget)) {
        QCOMPARE(decimals, -1);
        QCOMPARE(intBox->minimum(), int(minimum));
        QCOMPARE(intBox->maximum(), int(maximum));
        QCOMPARE(intBox->singleStep(), int(step));
    } else if (auto* slider = qobject_cast<QSlider*>(widget)) {
        QCOMPARE(slider->minimum(), int(minimum));
        QCOMPARE(slider->maximum(), int(maximum));
        QCOMPARE(slider->pageStep(), 10);
    } else {
        QFAIL("not a spin box or slider");
    }
}

void tst_ColonySettingsGuiForm::pagesButtonsAndEntries()
{
    Editor fixture;
    auto* tabs = fixture.widget<QTabWidget>("m_SettingsTab");
    QCOMPARE(tabs->count(), 5);
    const QStringList texts = {"Reference Points", "Labware/Position", "Colony Margins", "Colony Properties",
                               "Colony Color"};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(tabs->tabText(i), texts[i]);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(fixture.widget<QPushButton>("m_SettingsSaveAs")->text(), QStringLiteral("Save As..."));
    QMenu* menu = fixture.widget<QToolButton>("m_SettingsSetDefaults")->menu();
    QVERIFY(menu);
    QCOMPARE(menu->actions().size(), 2);
    QCOMPARE(menu->actions().at(1)->text(), QStringLiteral("Defaults for Lighttable XL"));

    auto* pickOrder = fixture.widget<QComboBox>("m_QComboBox_Labware_PickOrder");
    QCOMPARE(pickOrder->count(), 8);
    QCOMPARE(pickOrder->itemText(3), QStringLiteral("Vertical from right to bottom"));
    QCOMPARE(pickOrder->iconSize(), QSize(32, 32));
    for (int k = 0; k < 8; ++k)
        QVERIFY2(!pickOrder->itemIcon(k).pixmap(32).isNull(), qPrintable(QString::number(k)));
    QVERIFY(!fixture.widget<QToolButton>("m_QToolButton_Color_MouseSelect_ColorRange")->icon().pixmap(16).isNull());
    auto* strength = fixture.widget<QComboBox>("m_QComboBox_Filter_Mean_Mode");
    QCOMPARE(strength->count(), 6);
    QCOMPARE(strength->itemText(5), QStringLiteral("Very Strong"));
    QCOMPARE(strength->itemData(5).toInt(), 6);
    auto* measure = fixture.widget<QComboBox>("m_QComboBox_Color_MeasureAlgorithm");
    QCOMPARE(measure->count(), 4);
    QCOMPARE(measure->itemText(1), QStringLiteral("Most occurring"));
    QCOMPARE(measure->itemData(1).toInt(), 2);
    QCOMPARE(fixture.widget<QComboBox>("m_AnalyseModeSelection")->itemText(1), QStringLiteral("Dynamic threshold"));
    // The normalisation of the minimum and the maximum are off until "Reverse" is checked.
    QVERIFY(!fixture.widget<QWidget>("m_ColonyThresholdGreenMinNorm")->isEnabled());
    QVERIFY(!fixture.widget<QWidget>("m_ColonyThresholdGreenMax")->isEnabled());
    QVERIFY(fixture.widget<QWidget>("m_QPushButton_Color_MouseSelect_ColorRange_Ok")->isHidden());
}

void tst_ColonySettingsGuiForm::toleranceShowsNoLimit()
{
    Editor fixture;
    auto* box = fixture.widget<QDoubleSpinBox>("m_QDoubleSpinBox_Color_RangeStart_Hue_Percent");
    box->setValue(0.0);
    box->stepDown();
    QCOMPARE(box->value(), -0.1);
    QCOMPARE(box->text(), QStringLiteral("no limit"));
    QCOMPARE(fixture.settings.ColonyColor.StartHuePercent, -0.1);
    box->stepUp();
    QCOMPARE(box->text(), QStringLiteral("0.0%"));
    QCOMPARE(fixture.settings.ColonyColor.StartHuePercent, 0.0);
}

void tst_ColonySettingsGuiForm::hueWrapsOthersStop_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("start");
    QTest::addColumn<bool>("up");
    QTest::addColumn<double>("after");
    QTest::newRow("hue above 255") << "m_QDoubleSpinBox_Color_RangeStart_Hue" << 255.0 << true << 0.0;
    QTest::newRow("hue below 0") << "m_QDoubleSpinBox_Color_RangeEnd_Hue" << 0.0 << false << 255.0;
    QTest::newRow("saturation stops") << "m_QDoubleSpinBox_Color_RangeStart_Saturation" << 255.0 << true << 255.0;
    QTest::newRow("intensity stops") << "m_QDoubleSpinBox_Color_RangeEnd_Intensity" << 0.0 << false << 0.0;
}

void tst_ColonySettingsGuiForm::hueWrapsOthersStop()
{
    QFETCH(QString, name);
    QFETCH(double, start);
    QFETCH(bool, up);
    QFETCH(double, after);
    Editor fixture;
    auto* box = fixture.editor->findChild<QDoubleSpinBox*>(name);
    box->setValue(start);
    if (up)
        box->stepUp();
    else
        box->stepDown();
    QCOMPARE(box->value(), after);
}

void tst_ColonySettingsGuiForm::typedNumberCountsWhenConfirmed()
{
    Editor fixture;
    fixture.dock.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fixture.dock));
    fixture.widget<QTabWidget>("m_SettingsTab")->setCurrentIndex(1);
    auto* box = fixture.widget<QDoubleSpinBox>("m_LabwareGapX");
    box->setFocus();
    box->findChild<QLineEdit*>()->selectAll();
    fixture.forgetNotices();
    QTest::keyClicks(box, QStringLiteral("7.5"));
    QCOMPARE(fixture.settings.Labware.GapX, 0.0);
    QVERIFY(fixture.custom.isEmpty());
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(fixture.settings.Labware.GapX, 7.5);
    QCOMPARE(fixture.modifiedNotices(), 1);
}

void tst_ColonySettingsGuiForm::retranslateKeepsThreeColourModels()
{
    Editor fixture;
    auto* models = fixture.widget<QComboBox>("m_QComboBox_Color_ColorModel");
    fixture.editor->form()->retranslateUi(fixture.editor.get());
    fixture.editor->form()->retranslateUi(fixture.editor.get());
    QCOMPARE(models->count(), 3);
    QCOMPARE(models->itemText(0), QStringLiteral("Disabled"));
    QCOMPARE(models->itemText(1), QStringLiteral("Use HSV color model"));
    QCOMPARE(models->itemText(2), QStringLiteral("Use RGB color model"));
}

QTEST_MAIN(tst_ColonySettingsGuiForm)
#include "tst_ColonySettingsGuiForm.moc"
