#include "ColonySettingsColorPage.h"
#include "ColonySettingsGuiFixture.h"
#include "QtColorTriangle.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <cmath>
#include <limits>

using ColonySettingsGuiFixture::Editor;
using ColonySettingsGuiFixture::drive;

namespace {

QtColorTriangle* picker(const Editor& fixture, const char* placeholder)
{
    return fixture.widget<QWidget>(placeholder)->findChild<QtColorTriangle*>();
}

// Shows the editor on its colour page with the HSV model, so the pickers take the mouse.
void showColorPage(Editor& fixture)
{
    fixture.dock.resize(520, 900);
    fixture.dock.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fixture.dock));
    fixture.widget<QTabWidget>("m_SettingsTab")->setCurrentIndex(4);
    QApplication::processEvents();
}

ColonySettingsData hsvRecord()
{
    ColonySettingsData data = ColonySettingsData::standardDefaults();
    data.ColorModel = ColonySettingsData::ColorModelHsi;
    data.ColonyColor.SaturationUsed = true;
    data.ColonyColor.IntensityUsed = true;
    return data;
}

} // namespace

// The colour page: effective limits, enabled states, pickers and value boxes in step, the
// RGB threshold states and the mouse selection of the colour range.
class tst_ColonySettingsGuiColor : public QObject {
    Q_OBJECT
private slots:
    void effectiveLimits_data();
    void effectiveLimits();
    void unusedComponentDisablesItsWidgets();
    void inverseSwapsTheEditableThresholds();
    void typedValueMovesPickerSilently();
    void pickerDragLeavesTheShownValues();
    void greyPickedKeepsTheHue();
    void rangeColorIsAlwaysValid_data();
    void rangeColorIsAlwaysValid();
    void mouseSelectionStartsAndEnds();
    void replacedSettingsEndTheSelection();
    void acceptedSelection_data();
    void acceptedSelection();
};

void tst_ColonySettingsGuiColor::effectiveLimits_data()
{
    QTest::addColumn<QString>("component");
    QTest::addColumn<double>("startValue");
    QTest::addColumn<double>("startTolerance");
    QTest::addColumn<double>("endValue");
    QTest::addColumn<double>("endTolerance");
    QTest::addColumn<QString>("startText");
    QTest::addColumn<QString>("endText");
    // 10 - 25.5 = -15.5, floored -16, wrapped 240; 250 + 12.75 raised to 263, wrapped 7.
    QTest::newRow("hue wraps both ways") << "Hue" << 10.0 << 10.0 << 250.0 << 5.0 << "Effective: 240" << "Effective: 7";
    QTest::newRow("saturation stops at 0") << "Saturation" << 10.0 << 10.0 << 100.0 << 0.0 << "Effective: 0"
                                           << "Effective: 100";
    QTest::newRow("intensity stops at 255") << "Intensity" << 100.0 << 0.0 << 250.0 << 10.0 << "Effective: 100"
                                            << "Effective: 255";
    QTest::newRow("no limit") << "Saturation" << 120.0 << -0.1 << 130.0 << -0.1 << "Effective: 0" << "Effective: 255";
    QTest::newRow("hue without tolerance") << "Hue" << 20.5 << 0.0 << 40.5 << 0.0 << "Effective: 20" << "Effective: 41";
}

void tst_ColonySettingsGuiColor::effectiveLimits()
{
    QFETCH(QString, component);
    QFETCH(double, startValue);
    QFETCH(double, startTolerance);
    QFETCH(double, endValue);
    QFETCH(double, endTolerance);
    QFETCH(QString, startText);
    QFETCH(QString, endText);
    Editor fixture(hsvRecord());
    auto box = [&](const QString& end, const QString& suffix) {
        return fixture.widget<QWidget>(qPrintable(QStringLiteral("m_QDoubleSpinBox_Color_Range%1_%2%3").arg(end, component, suffix)));
    };
    drive(box("Start", QString()), startValue);
    drive(box("Start", "_Percent"), startTolerance);
    drive(box("End", QString()), endValue);
    drive(box("End", "_Percent"), endTolerance);
    auto label = [&](const QString& end) {
        return fixture.widget<QLabel>(qPrintable(QStringLiteral("m_QLabel_Color_Range%1_Effective%2").arg(end, component)))
            ->text();
    };
    QCOMPARE(label("Start"), startText);
    QCOMPARE(label("End"), endText);
    if (startTolerance < 0.0)
        QCOMPARE(qobject_cast<QDoubleSpinBox*>(box("Start", "_Percent"))->text(), QStringLiteral("no limit"));
}

void tst_ColonySettingsGuiColor::unusedComponentDisablesItsWidgets()
{
    Editor fixture(hsvRecord());
    drive(fixture.widget<QWidget>("m_QCheckBox_Color_Hue_Used"), false);
    for (const char* name : {"m_QDoubleSpinBox_Color_RangeStart_Hue", "m_QDoubleSpinBox_Color_RangeStart_Hue_Percent",
                             "m_QDoubleSpinBox_Color_RangeEnd_Hue", "m_QDoubleSpinBox_Color_RangeEnd_Hue_Percent",
                             "m_QLabel_Color_RangeStart_EffectiveHue", "m_QLabel_Color_RangeEnd_EffectiveHue"})
        QVERIFY2(!fixture.widget<QWidget>(name)->isEnabled(), name);
    QVERIFY(fixture.widget<QWidget>("m_QDoubleSpinBox_Color_RangeStart_Saturation")->isEnabled());
    QVERIFY(picker(fixture, "m_QWidget_Color_RangeStart")->isEnabled());
    QVERIFY(picker(fixture, "m_QWidget_Color_RangeEnd")->isEnabled());
}

void tst_ColonySettingsGuiColor::inverseSwapsTheEditableThresholds()
{
    ColonySettingsData data = hsvRecord();
    data.ColorModel = ColonySettingsData::ColorModelRgb;
    data.Colony.ThresholdColorRedMinNorm = 40.0;
    Editor fixture(data);
    auto enabled = [&](const char* name) { return fixture.widget<QWidget>(name)->isEnabled(); };
    QVERIFY(enabled("m_ColonyThresholdRedMin") && enabled("m_ColonyThresholdRedMaxNorm"));
    QVERIFY(!enabled("m_ColonyThresholdRedMax") && !enabled("m_ColonyThresholdRedMinNorm"));
    drive(fixture.widget<QWidget>("m_ColonyThresholdRedInverse"), true);
    QVERIFY(fixture.settings.Colony.ThresholdColorRedInverse);
    QVERIFY(!enabled("m_ColonyThresholdRedMin") && !enabled("m_ColonyThresholdRedMaxNorm"));
    QVERIFY(enabled("m_ColonyThresholdRedMax") && enabled("m_ColonyThresholdRedMinNorm"));
    // All four are stored either way, the disabled ones too.
    QCOMPARE(fixture.settings.Colony.ThresholdColorRedMinNorm, 40.0);
    QCOMPARE(fixture.settings.Colony.ThresholdColorRedMin, 130.0);
}

void tst_ColonySettingsGuiColor::typedValueMovesPickerSilently()
{
    Editor fixture(hsvRecord());
    QtColorTriangle* start = picker(fixture, "m_QWidget_Color_RangeStart");
    QSignalSpy pickerChanged(start, &QtColorTriangle::colorChanged);
    drive(fixture.widget<QWidget>("m_QDoubleSpinBox_Color_RangeStart_Saturation"), 255.0);
    drive(fixture.widget<QWidget>("m_QDoubleSpinBox_Color_RangeStart_Intensity"), 255.0);
    drive(fixture.widget<QWidget>("m_QDoubleSpinBox_Color_RangeStart_Hue"), 85.0);
    // 85 of 255 is a third of the turn: green.
    QCOMPARE(start->color().hsvHue(), 120);
    QCOMPARE(start->color().hsvSaturation(), 255);
    QVERIFY(pickerChanged.isEmpty());
    QCOMPARE(fixture.settings.ColonyColor.StartHue, 85.0);
    QCOMPARE(fixture.settings.ColonyColor.StartSaturation, 255.0);
}

void tst_ColonySettingsGuiColor::pickerDragLeavesTheShownValues()
{
    Editor fixture(hsvRecord());
    showColorPage(fixture);
    QtColorTriangle* end = picker(fixture, "m_QWidget_Color_RangeEnd");
    QVERIFY(end->isVisible());
    fixture.forgetNotices();
    const QPoint centre = end->contentsRect().center();
    QTest::mousePress(end, Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseMove(end, centre + QPoint(3, 5));
    QTest::mouseRelease(end, Qt::LeftButton, Qt::NoModifier, centre + QPoint(3, 5));

    const ColonySettingsData::ColonyColorData& c = fixture.settings.ColonyColor;
    const double values[3] = {c.EndHue, c.EndSaturation, c.EndIntensity};
    const char* boxes[3] = {"m_QDoubleSpinBox_Color_RangeEnd_Hue", "m_QDoubleSpinBox_Color_RangeEnd_Saturation",
                            "m_QDoubleSpinBox_Color_RangeEnd_Intensity"};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(values[i], fixture.widget<QDoubleSpinBox>(boxes[i])->value());
        QCOMPARE(values[i], std::round(values[i] * 10.0) / 10.0);
    }
    QVERIFY(c.EndSaturation > 0.0 && c.EndIntensity > 0.0);
    QCOMPARE(end->color(), ColonySettingsColorPage::rangeColor(c.EndHue, c.EndSaturation, c.EndIntensity));
    QVERIFY(fixture.modifiedNotices() >= 1);
    QVERIFY(fixture.changePending());
    // The start of the range is not touched.
    QCOMPARE(c.StartSaturation, 0.0);
}

void tst_ColonySettingsGuiColor::greyPickedKeepsTheHue()
{
    ColonySettingsData data = hsvRecord();
    data.ColonyColor.StartHue = 100.0;
    data.ColonyColor.StartSaturation = 200.0;
    data.ColonyColor.StartIntensity = 200.0;
    Editor fixture(data);
    QtColorTriangle* start = picker(fixture, "m_QWidget_Color_RangeStart");
    start->setColor(QColor(128, 128, 128));
    QCOMPARE(fixture.settings.ColonyColor.StartHue, 100.0);
    QCOMPARE(fixture.settings.ColonyColor.StartSaturation, 0.0);
    QCOMPARE(fixture.settings.ColonyColor.StartIntensity, 128.0);
    QCOMPARE(fixture.widget<QDoubleSpinBox>("m_QDoubleSpinBox_Color_RangeStart_Hue")->value(), 100.0);
}

void tst_ColonySettingsGuiColor::rangeColorIsAlwaysValid_data()
{
    QTest::addColumn<double>("hue");
    QTest::addColumn<double>("saturation");
    QTest::addColumn<double>("intensity");
    QTest::addColumn<int>("expectedHue");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("full turn is red") << 255.0 << 255.0 << 255.0 << 0;
    QTest::newRow("just below a full turn") << 254.99 << 255.0 << 255.0 << 359;
    QTest::newRow("rounds to a full turn") << 254.9999 << 255.0 << 255.0 << 0;
    QTest::newRow("last degree") << 253.6 << 255.0 << 255.0 << 358;
    QTest::newRow("a third") << 85.0 << 255.0 << 255.0 << 120;
    QTest::newRow("beyond a turn") << 340.0 << 255.0 << 255.0 << 120;
    QTest::newRow("below zero") << -85.0 << 255.0 << 255.0 << 240;
    QTest::newRow("not a number") << nan << nan << 128.0 << -1;
    QTest::newRow("saturation beyond") << 85.0 << 1000.0 << -3.0 << 120;
}

void tst_ColonySettingsGuiColor::rangeColorIsAlwaysValid()
{
    QFETCH(double, hue);
    QFETCH(double, saturation);
    QFETCH(double, intensity);
    QFETCH(int, expectedHue);
    const QColor color = ColonySettingsColorPage::rangeColor(hue, saturation, intensity);
    QVERIFY(color.isValid());
    if (expectedHue >= 0) {
        const int apart = std::abs(color.hsvHue() - expectedHue);
        QVERIFY2(std::min(apart, 360 - apart) <= 1, qPrintable(QString::number(color.hsvHue())));
    }
    QVERIFY(color.hsvHue() < 360);
    // The record's range shows in the picker the same way.
    ColonySettingsData data = hsvRecord();
    data.ColonyColor.EndHue = hue;
    data.ColonyColor.EndSaturation = saturation;
    data.ColonyColor.EndIntensity = intensity;
    Editor fixture(data);
    const QColor shown = picker(fixture, "m_QWidget_Color_RangeEnd")->color();
    QVERIFY(shown.isValid());
    QVERIFY(shown.hsvHue() < 360);
}

void tst_ColonySettingsGuiColor::mouseSelectionStartsAndEnds()
{
    Editor fixture(hsvRecord());
    auto* tool = fixture.widget<QToolButton>("m_QToolButton_Color_MouseSelect_ColorRange");
    auto* ok = fixture.widget<QPushButton>("m_QPushButton_Color_MouseSelect_ColorRange_Ok");
    QVERIFY(ok->isHidden());
    tool->click();
    QCOMPARE(fixture.customNumbers(), QList<int>({21}));
    QCOMPARE(fixture.custom.first().second, QVariant(1));
    QVERIFY(tool->isChecked());
    QVERIFY(!ok->isHidden());
    QVERIFY(!fixture.widget<QWidget>("m_QWidget_ColorRange_Start")->isEnabled());
    QVERIFY(!fixture.widget<QWidget>("m_QWidget_ColorRange_End")->isEnabled());
    QVERIFY(!fixture.editor->isModified());

    tool->click();
    QCOMPARE(fixture.custom.last(), qMakePair(21, QVariant(0)));
    QVERIFY(!tool->isChecked());
    QVERIFY(ok->isHidden());
    QVERIFY(fixture.widget<QWidget>("m_QWidget_ColorRange_Start")->isEnabled());
    QVERIFY(!fixture.changePending());
}

void tst_ColonySettingsGuiColor::replacedSettingsEndTheSelection()
{
    Editor fixture(hsvRecord());
    auto* tool = fixture.widget<QToolButton>("m_QToolButton_Color_MouseSelect_ColorRange");
    tool->click();
    fixture.settings.emitCustom(ColonySettings::CustomSignal_Replaced);
    QVERIFY(!tool->isChecked());
    QVERIFY(fixture.widget<QPushButton>("m_QPushButton_Color_MouseSelect_ColorRange_Ok")->isHidden());
    QVERIFY(fixture.widget<QWidget>("m_QWidget_ColorRange_End")->isEnabled());
}

void tst_ColonySettingsGuiColor::acceptedSelection_data()
{
    QTest::addColumn<bool>("coloniesSelected");
    QTest::newRow("range taken from colonies") << true;
    QTest::newRow("nothing selected") << false;
}

void tst_ColonySettingsGuiColor::acceptedSelection()
{
    QFETCH(bool, coloniesSelected);
    Editor fixture(hsvRecord());
    // What the analyser page does on code 22 (it connects to the record before the editor).
    QObject::connect(&fixture.settings, &ColonySettings::signal_custom,
                     [&fixture, coloniesSelected](ColonySettings::Enum_CustomSignal number, const QVariant&) {
                         if (number != ColonySettings::CustomSignal_ColorSelectionConfirmed)
                             return;
                         if (coloniesSelected) {
                             fixture.settings.ColonyColor.StartHue = 30.0;
                             fixture.settings.ColonyColor.EndHue = 50.0;
                             fixture.settings.emitCustom(ColonySettings::CustomSignal_ValuesChanged, QVariant());
                         }
                         fixture.settings.emitCustom(ColonySettings::CustomSignal_ColorSelectionEnabled, QVariant(0));
                     });
    fixture.widget<QToolButton>("m_QToolButton_Color_MouseSelect_ColorRange")->click();
    fixture.forgetNotices();
    QTest::mouseClick(fixture.widget<QPushButton>("m_QPushButton_Color_MouseSelect_ColorRange_Ok"), Qt::LeftButton);
    QCOMPARE(fixture.custom.first().first, 22);
    QCOMPARE(fixture.editor->isModified(), coloniesSelected);
    QCOMPARE(fixture.dock.windowTitle().startsWith(QLatin1Char('*')), coloniesSelected);
    QCOMPARE(fixture.widget<QDoubleSpinBox>("m_QDoubleSpinBox_Color_RangeEnd_Hue")->value(),
             coloniesSelected ? 50.0 : 0.0);
    QVERIFY(fixture.widget<QPushButton>("m_QPushButton_Color_MouseSelect_ColorRange_Ok")->isHidden());
}

QTEST_MAIN(tst_ColonySettingsGuiColor)
#include "tst_ColonySettingsGuiColor.moc"
