// The camera settings editor's form: the widgets the main window and the operator rely on,
// the ranges of a closed camera, the enabling rules by camera kind and colour settings, the
// title, and what showing a record must never do to it.

#include "CameraSettingsGuiFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>

#include <map>

using namespace CameraTestSupport;
using CameraSettingsGuiFixture::Editor;
using CameraSettingsGuiFixture::drive;
using CameraSettingsGuiFixture::entries;

class tst_Camera_Settings_GuiForm : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void namedWidgets();
    void entriesAndSpecialTexts();
    void closedCameraRanges();
    void outOfRangeValuesAreShownUnchanged_data();
    void outOfRangeValuesAreShownUnchanged();
    void spinBoxesShowAFilesValue_data();
    void spinBoxesShowAFilesValue();
    void openCameraRangesFollowItsSettings();
    void rangeLabelsNameTheSliderEnds_data();
    void rangeLabelsNameTheSliderEnds();
    void interfaceControls_data();
    void interfaceControls();
    void driverVersionText_data();
    void driverVersionText();
    void whiteBalanceRules_data();
    void whiteBalanceRules();
    void connectionModeRule_data();
    void connectionModeRule();
    void unknownEdgeModeShowsNoEntry();
    void reportsWithoutAChoiceWriteNothing();
    void title();
    void visibilityReachesTheMainWindow();
    void withoutMainWindowNothingIsReported();
    void withoutCameraTheEditorIsInert();
};

void tst_Camera_Settings_GuiForm::initTestCase()
{
    prepareCameraTests();
}

void tst_Camera_Settings_GuiForm::init()
{
    resetSimulation();
}

void tst_Camera_Settings_GuiForm::cleanupTestCase()
{
    Sim::reset();
}

void tst_Camera_Settings_GuiForm::namedWidgets()
{
    Editor fixture;
    QCOMPARE(fixture.editor->objectName(), QStringLiteral("Camera_Settings_Gui"));
    QCOMPARE(fixture.dock.objectName(), QStringLiteral("Camera_Settings_Gui"));
    const QList<QPair<const char*, QStringList>> kinds = {
        {"QTabWidget", {"m_QTabWidget_Settings"}},
        {"QWidget",
         {"m_QWidget_Tab_Basic", "m_QWidget_Tab_Enhancement", "m_QWidget_Tab_WhiteBalance", "m_QWidget_Tab_Trigger_Flash",
          "m_QWidget_Tab_Device", "m_QWidget_WhiteBalance"}},
        {"QPushButton",
         {"m_QPushButton_Load", "m_QPushButton_Save", "m_QPushButton_SaveAs", "m_QPushButton_Default",
          "m_QPushButton_ExposureTime_Minus", "m_QPushButton_ExposureTime_Plus", "m_QPushButton_CameraTypeUpdate",
          "m_QPushButton_Device_CameraIniFile", "m_QPushButton_EEProm_Clear"}},
        {"QRadioButton",
         {"m_QRadioButton_ColorMode_Gray", "m_QRadioButton_ColorMode_Color", "m_QRadioButton_EdgeEnhancement_Disable",
          "m_QRadioButton_EdgeEnhancement_Weak", "m_QRadioButton_EdgeEnhancement_Strong"}},
        {"QSlider",
         {"m_QSlider_ExposureTime", "m_QSlider_PixelClock", "m_QSlider_FrameRate", "m_QSlider_GainMaster",
          "m_QSlider_GammaCorrection", "m_QSlider_WhiteBalance_R", "m_QSlider_WhiteBalance_G",
          "m_QSlider_WhiteBalance_B"}},
        {"QLabel",
         {"m_QLabel_ExposureTime", "m_QLabel_ExposureTime_Minimum", "m_QLabel_ExposureTime_Maximum",
          "m_QLabel_PixelClock", "m_QLabel_PixelClock_Minimum", "m_QLabel_PixelClock_Maximum", "m_QLabel_FrameRate",
          "m_QLabel_FrameRate_Minimum", "m_QLabel_FrameRate_Maximum", "m_QLabel_GainMaster",
          "m_QLabel_GammaCorrection", "m_QLabel_WhiteBalance_R", "m_QLabel_WhiteBalance_G", "m_QLabel_WhiteBalance_B",
          "m_QLabel_Device_ConnectionMode"}},
        {"QCheckBox",
         {"m_QCheckBox_Picture_MirrorLeftRight", "m_QCheckBox_Picture_MirrorUpDown",
          "m_QCheckBox_ExternalFlash_StrobeInvert", "m_QCheckBox_IO_OutputGPIO1", "m_QCheckBox_IO_OutputGPIO2",
          "m_QCheckBox_IO_OutputFlash"}},
        {"QComboBox",
         {"m_QComboBox_Picture_Rotate", "m_QComboBox_WhiteBalanceMode", "m_QComboBox_ExternalTrigger_TriggerSignal",
          "m_QComboBox_CameraInterface", "m_QComboBox_Camera", "m_QComboBox_Device_ConnectionMode"}},
        {"QSpinBox", {"m_QSpinBox_Picture_Multiples", "m_QSpinBox_ExternalTrigger_TriggerTimeout"}},
        {"QDoubleSpinBox",
         {"m_QDoubleSpinBox_ExternalTrigger_TriggerDelay", "m_QDoubleSpinBox_ExternalFlash_StrobeDelay",
          "m_QDoubleSpinBox_ExternalFlash_StrobeDuration"}},
        {"QGroupBox",
         {"m_QGroupBox_EdgeEnhancement", "m_QGroupBox_PixelClock", "m_QGroupBox_FrameRate",
          "m_QGroupBox_ExternalTrigger_Used", "m_QGroupBox_ExternalFlash_Used", "m_QGroupBox_Device_UseCameraIniFile",
          "m_QGroupBox_Device_EEProm"}},
        {"QLineEdit",
         {"m_QLineEdit_Device_CameraIniFile", "m_QLineEdit_EEProm_Content",
          "m_QLineEdit_Device_Information_CameraDescription", "m_QLineEdit_Device_Information_HalconInterfaceVersion",
          "m_QLineEdit_Device_Information_UEyeDriverVersion"}},
    };
    for (const auto& [kind, names] : kinds) {
        for (const QString& name : names) {
            QWidget* widget = fixture.editor->findChild<QWidget*>(name);
            QVERIFY2(widget, qPrintable(name));
            QVERIFY2(widget->inherits(kind), qPrintable(name));
        }
    }
    for (QGroupBox* group : fixture.editor->findChildren<QGroupBox*>())
        QVERIFY2(group->isFlat(), qPrintable(group->objectName()));
    for (const char* name : {"m_QGroupBox_FrameRate", "m_QGroupBox_ExternalTrigger_Used",
                             "m_QGroupBox_ExternalFlash_Used", "m_QGroupBox_Device_UseCameraIniFile"})
        QVERIFY2(fixture.widget<QGroupBox>(name)->isCheckable(), name);
    const auto* tabs = fixture.widget<QTabWidget>("m_QTabWidget_Settings");
    QCOMPARE(tabs->count(), 5);
    QCOMPARE(tabs->currentWidget()->objectName(), QStringLiteral("m_QWidget_Tab_Basic"));
    QStringList pages;
    for (int i = 0; i < tabs->count(); ++i)
        pages.append(tabs->tabText(i));
    QCOMPARE(pages, (QStringList{"Basic", "Enhancement", "White balance", "Trigger/Flash/IO", "Device"}));
    QVERIFY(fixture.widget<QLineEdit>("m_QLineEdit_EEProm_Content")->isReadOnly());
}

void tst_Camera_Settings_GuiForm::entriesAndSpecialTexts()
{
    Editor fixture;
    QCOMPARE(entries(fixture.widget<QComboBox>("m_QComboBox_Picture_Rotate")),
             (QStringList{"none", "+ 90 [degree]", "- 90 [degree]", "+ 180 [degree]"}));
    QCOMPARE(entries(fixture.widget<QComboBox>("m_QComboBox_WhiteBalanceMode")),
             (QStringList{"disable", "auto", "auto once", "user"}));
    QCOMPARE(entries(fixture.widget<QComboBox>("m_QComboBox_ExternalTrigger_TriggerSignal")),
             QStringList{"falling edge"});
    QCOMPARE(entries(fixture.widget<QComboBox>("m_QComboBox_CameraInterface")), (QStringList{"uEye", "LuCam"}));
    QCOMPARE(entries(fixture.widget<QComboBox>("m_QComboBox_Device_ConnectionMode")),
             (QStringList{"Camera serial number", "Camra ID", "Camery type"}));

    // The lowest value of these boxes means "not used" and says so.
    auto* multiples = fixture.widget<QSpinBox>("m_QSpinBox_Picture_Multiples");
    QCOMPARE(multiples->minimum(), 1);
    QCOMPARE(multiples->maximum(), 20);
    multiples->setValue(1);
    QCOMPARE(multiples->text(), QStringLiteral("off"));
    auto* timeout = fixture.widget<QSpinBox>("m_QSpinBox_ExternalTrigger_TriggerTimeout");
    QCOMPARE(timeout->maximum(), 99999);
    timeout->setValue(0);
    QCOMPARE(timeout->text(), QStringLiteral("endless"));
    const QList<QPair<const char*, QString>> doubles = {{"m_QDoubleSpinBox_ExternalTrigger_TriggerDelay", "off"},
                                                        {"m_QDoubleSpinBox_ExternalFlash_StrobeDelay", "off"},
                                                        {"m_QDoubleSpinBox_ExternalFlash_StrobeDuration",
                                                         "exposure time"}};
    for (const auto& [name, text] : doubles) {
        auto* box = fixture.widget<QDoubleSpinBox>(name);
        QCOMPARE(box->decimals(), 2);
        QCOMPARE(box->singleStep(), 10.0);
        box->setValue(0.0);
        QCOMPARE(box->text(), text);
    }
    QCOMPARE(fixture.widget<QDoubleSpinBox>("m_QDoubleSpinBox_ExternalTrigger_TriggerDelay")->maximum(), 5000.0);
    QCOMPARE(fixture.widget<QDoubleSpinBox>("m_QDoubleSpinBox_ExternalFlash_StrobeDuration")->maximum(), 4000.0);
}

void tst_Camera_Settings_GuiForm::closedCameraRanges()
{
    Editor fixture;
    // The slider's ends are the tenths inside the range: none stands for a value below it.
    const auto* exposure = fixture.widget<QSlider>("m_QSlider_ExposureTime");
    QCOMPARE(exposure->minimum(), 1);
    QCOMPARE(exposure->maximum(), 50000);
    QCOMPARE(exposure->tickInterval(), 500);
    QCOMPARE(fixture.widget<QLabel>("m_QLabel_ExposureTime_Minimum")->text(), QStringLiteral("0.1"));
    QCOMPARE(fixture.widget<QLabel>("m_QLabel_ExposureTime_Maximum")->text(), QStringLiteral("5000.0"));
    QCOMPARE(exposure->value(), 2000);
    QCOMPARE(fixture.widget<QLabel>("m_QLabel_ExposureTime")->text(), QStringLiteral("200.0"));

    const auto* frameRate = fixture.widget<QSlider>("m_QSlider_FrameRate");
    QCOMPARE(frameRate->minimum(), 1);
    QCOMPARE(frameRate->maximum(), 1000);
    QCOMPARE(frameRate->tickInterval(), 5);
    QCOMPARE(fixture.widget<QLabel>("m_QLabel_FrameRate_Minimum")->text(), QStringLiteral("0.1"));
    QCOMPARE(fixture.widget<QLabel>("m_QLabel_FrameRate_Maximum")->text(), QStringLiteral("100.0"));
    QCOMPARE(frameRate->value(), 40);

    const auto* pixelClock = fixture.widget<QSlider>("m_QSlider_PixelClock");
    QCOMPARE(pixelClock->minimum(), 5);
    QCOMPARE(pixelClock->maximum(), 100);
    QCOMPARE(fixture.widget<QLabel>("m_QLabel_PixelClock_Minimum")->text(), QStringLiteral("5"));
    QCOMPARE(fixture.widget<QLabel>("m_QLabel_PixelClock_Maximum")->text(), QStringLiteral("100"));
    QCOMPARE(fixture.widget<QLabel>("m_QLabel_PixelClock")->text(), QStringLiteral("18"));
    QVERIFY(!fixture.widget<QGroupBox>("m_QGroupBox_FrameRate")->isChecked());
    // The defaults lie inside every range.
    for (QWidget* widget : fixture.editor->findChildren<QWidget*>())
        QVERIFY2(!Camera_Settings_Marks::isMarked(widget), qPrintable(widget->objectName()));
}

void tst_Camera_Settings_GuiForm::outOfRangeValuesAreShownUnchanged_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("slider");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("range"); // the mark's tool tip; empty: not marked
    QTest::newRow("pixel clock above") << "PixelClock" << 200.0 << "m_QSlider_PixelClock" << 100
                                       << "m_QLabel_PixelClock" << "200" << "Outside the range 5 to 100";
    QTest::newRow("exposure above") << "ExposureTime" << 9000.0 << "m_QSlider_ExposureTime" << 50000
                                    << "m_QLabel_ExposureTime" << "9000.0" << "Outside the range 0.01 to 5000";
    QTest::newRow("exposure negative") << "ExposureTime" << -3.0 << "m_QSlider_ExposureTime" << 1
                                       << "m_QLabel_ExposureTime" << "-3.0" << "Outside the range 0.01 to 5000";
    QTest::newRow("exposure 0") << "ExposureTime" << 0.0 << "m_QSlider_ExposureTime" << 1 << "m_QLabel_ExposureTime"
                                << "0.0" << "Outside the range 0.01 to 5000";
    QTest::newRow("exposure beyond any slider") << "ExposureTime" << 1e300 << "m_QSlider_ExposureTime" << 50000
                                                << "m_QLabel_ExposureTime" << QString::asprintf("%.1f", 1e300)
                                                << "Outside the range 0.01 to 5000";
    QTest::newRow("exposure at the range's end") << "ExposureTime" << 5000.0 << "m_QSlider_ExposureTime" << 50000
                                                 << "m_QLabel_ExposureTime" << "5000.0" << "";
    QTest::newRow("frame rate above") << "FrameRate" << 250.0 << "m_QSlider_FrameRate" << 1000 << "m_QLabel_FrameRate"
                                      << "250.0" << "Outside the range 0.01 to 100";
    QTest::newRow("gamma above") << "GammaCorrection" << 7.5 << "m_QSlider_GammaCorrection" << 50
                                 << "m_QLabel_GammaCorrection" << "7.5" << "Outside the range 0.5 to 5";
    QTest::newRow("gamma inside") << "GammaCorrection" << 2.5 << "m_QSlider_GammaCorrection" << 25
                                  << "m_QLabel_GammaCorrection" << "2.5" << "";
    QTest::newRow("gain above") << "GainMaster" << 300.0 << "m_QSlider_GainMaster" << 100 << "m_QLabel_GainMaster"
                                << "300" << "Outside the range 0 to 100";
}

void tst_Camera_Settings_GuiForm::outOfRangeValuesAreShownUnchanged()
{
    QFETCH(QString, field);
    QFETCH(double, value);
    QFETCH(QString, slider);
    QFETCH(int, position);
    QFETCH(QString, label);
    QFETCH(QString, text);
    QFETCH(QString, range);
    const auto set = [&](Camera_Settings& s) {
        if (field == QLatin1String("PixelClock"))
            s.Settings.PixelClock = qint32(value);
        else if (field == QLatin1String("ExposureTime"))
            s.Settings.ExposureTime = value;
        else if (field == QLatin1String("FrameRate"))
            s.Settings.FrameRate = value;
        else if (field == QLatin1String("GainMaster"))
            s.Settings.GainMaster = quint16(value);
        else
            s.Settings.GammaCorrection = value;
    };
    Editor fixture(set);
    Camera_Settings_Data expected = fixture.settings().data();
    // Showing the record leaves it as it is, unmarked and without a change notice.
    QVERIFY(fixture.settings().data() == expected);
    QVERIFY(!fixture.editor->isModified());
    QVERIFY(!fixture.changePending());
    QCOMPARE(fixture.widget<QSlider>(qPrintable(slider))->value(), position);
    auto* shown = fixture.widget<QLabel>(qPrintable(label));
    QCOMPARE(shown->text(), text);
    QCOMPARE(Camera_Settings_Marks::isMarked(shown), !range.isEmpty());
    QCOMPARE(shown->toolTip(), range);
    // So does a refill.
    fixture.settings().SetCustom(Camera_Settings::CustomSignal_Refresh, QVariant(false));
    QVERIFY(fixture.settings().data() == expected);
    QVERIFY(!fixture.editor->isModified());
    QVERIFY(!fixture.changePending());
    QCOMPARE(Camera_Settings_Marks::isMarked(shown), !range.isEmpty());
    // The slider's own edit stores a value of the range and takes the mark away.
    QVERIFY(drive(fixture.widget<QSlider>(qPrintable(slider)), position == 1 ? 2 : position - 1));
    QVERIFY(!Camera_Settings_Marks::isMarked(shown));
}

void tst_Camera_Settings_GuiForm::spinBoxesShowAFilesValue_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("range"); // the mark's tool tip; empty: not marked
    QTest::addColumn<int>("steps");     // the operator's steps, then
    QTest::addColumn<double>("stored"); // the value stored
    QTest::newRow("pictures averaged above") << "Multiples" << 25.0 << "m_QSpinBox_Picture_Multiples"
                                             << "Outside the range 1 to 20" << -1 << 20.0;
    QTest::newRow("pictures averaged inside") << "Multiples" << 5.0 << "m_QSpinBox_Picture_Multiples" << "" << 1
                                              << 6.0;
    QTest::newRow("trigger delay above") << "TriggerDelay" << 6000.0 << "m_QDoubleSpinBox_ExternalTrigger_TriggerDelay"
                                         << "Outside the range 0 to 5000" << -1 << 5000.0;
    QTest::newRow("flash delay negative") << "StrobeDelay" << -5.0 << "m_QDoubleSpinBox_ExternalFlash_StrobeDelay"
                                          << "Outside the range 0 to 4000" << 1 << 5.0;
    QTest::newRow("trigger time-out above") << "TriggerTimeout" << 200000.0
                                            << "m_QSpinBox_ExternalTrigger_TriggerTimeout"
                                            << "Outside the range 0 to 99999" << -1 << 99999.0;
}

void tst_Camera_Settings_GuiForm::spinBoxesShowAFilesValue()
{
    QFETCH(QString, field);
    QFETCH(double, value);
    QFETCH(QString, box);
    QFETCH(QString, range);
    QFETCH(int, steps);
    QFETCH(double, stored);
    Editor fixture([&](Camera_Settings& s) {
        s.ExternalTrigger.Used = true;
        s.ExternalFlash.Used = true;
        if (field == QLatin1String("Multiples"))
            s.Picture.Multiples = quint16(value);
        else if (field == QLatin1String("TriggerDelay"))
            s.ExternalTrigger.TriggerDelay = value;
        else if (field == QLatin1String("StrobeDelay"))
            s.ExternalFlash.StrobeDelay = value;
        else
            s.ExternalTrigger.TriggerTimeout = quint32(value);
    });
    auto* spinBox = fixture.widget<QAbstractSpinBox>(qPrintable(box));
    // Shown as it is, marked when outside the box's range, and not stored back.
    QCOMPARE(WidgetInput::shown(spinBox).toDouble(), value);
    QCOMPARE(Camera_Settings_Marks::isMarked(spinBox), !range.isEmpty());
    QCOMPARE(spinBox->toolTip(), range);
    QVERIFY(!fixture.editor->isModified());
    QVERIFY(!fixture.changePending());
    // An edit stores a value of the box's range only, and the box is back to that range.
    spinBox->stepBy(steps);
    QCOMPARE(WidgetInput::shown(spinBox).toDouble(), stored);
    const std::map<QString, double> now = {
        {QStringLiteral("Multiples"), fixture.settings().Picture.Multiples},
        {QStringLiteral("TriggerDelay"), fixture.settings().ExternalTrigger.TriggerDelay},
        {QStringLiteral("StrobeDelay"), fixture.settings().ExternalFlash.StrobeDelay},
        {QStringLiteral("TriggerTimeout"), double(fixture.settings().ExternalTrigger.TriggerTimeout)}};
    QCOMPARE(now.at(field), stored);
    QVERIFY(!Camera_Settings_Marks::isMarked(spinBox));
    QVERIFY(fixture.editor->isModified());
}

void tst_Camera_Settings_GuiForm::openCameraRangesFollowItsSettings()
{
    // A uEye camera of the simulation: pixel clock 5 to 43 MHz, two frames per second and MHz.
    Editor fixture([](Camera_Settings& s) {
        s.Settings.PixelClock = 10;
        s.Settings.FrameRateMaxMode = false;
        s.Settings.FrameRate = 8.0;
        s.Settings.ExposureTime = 100.0;
    });
    QVERIFY(fixture.open());
    QCOMPARE(fixture.widget<QLabel>("m_QLabel_PixelClock_Minimum")->text(), QStringLiteral("5"));
    QCOMPARE(fixture.widget<QLabel>("m_QLabel_PixelClock_Maximum")->text(), QStringLiteral("43"));
    QCOMPARE(fixture.widget<QSlider>("m_QSlider_PixelClock")->maximum(), 43);
    QCOMPARE(fixture.widget<QLabel>("m_QLabel_FrameRate_Minimum")->text(), QStringLiteral("0.5"));
    QCOMPARE(fixture.widget<QLabel>("m_QLabel_FrameRate_Maximum")->text(), QStringLiteral("20.0"));
    QCOMPARE(fixture.widget<QSlider>("m_QSlider_FrameRate")->maximum(), 200);
    QCOMPARE(fixture.widget<QSlider>("m_QSlider_FrameRate")->tickInterval(), 2);
    QCOMPARE(fixture.widget<QLabel>("m_QLabel_ExposureTime_Maximum")->text(), QStringLiteral("125.0"));
    QCOMPARE(fixture.widget<QSlider>("m_QSlider_ExposureTime")->maximum(), 1250);
    QCOMPARE(fixture.widget<QSlider>("m_QSlider_ExposureTime")->tickInterval(), 50);
    QCOMPARE(fixture.widget<QSlider>("m_QSlider_ExposureTime")->value(), 1000);

    // A faster pixel clock allows a faster frame rate; the camera's ranges follow once it
    // has taken the new value.
    fixture.changeNotices->clear();
    const int pushes = fixture.camera.relay.settingsChanged;
    drive(fixture.widget<QSlider>("m_QSlider_PixelClock"), 20);
    QTRY_VERIFY_WITH_TIMEOUT(fixture.camera.relay.settingsChanged > pushes, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(fixture.widget<QLabel>("m_QLabel_FrameRate_Maximum")->text(), QStringLiteral("40.0"),
                              10000);
    QCOMPARE(fixture.widget<QSlider>("m_QSlider_FrameRate")->maximum(), 400);
    QCOMPARE(fixture.widget<QSlider>("m_QSlider_FrameRate")->tickInterval(), 4);
    QCOMPARE(fixture.settings().Settings.PixelClock, 20);
}

void tst_Camera_Settings_GuiForm::rangeLabelsNameTheSliderEnds_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("exposureBeyond");
    QTest::newRow("closed camera") << false << false;
    // The defaults' 200 ms against a camera that runs at its highest frame rate.
    QTest::newRow("simulated camera with the defaults") << true << true;
}

// A range label tells a value the slider takes, not the camera's own limit rounded to a
// tenth it cannot reach.
void tst_Camera_Settings_GuiForm::rangeLabelsNameTheSliderEnds()
{
    QFETCH(bool, open);
    QFETCH(bool, exposureBeyond);
    Editor fixture;
    if (open)
        QVERIFY(fixture.open());
    const auto tenth = [](int position) { return QString::asprintf("%.1f", position / 10.0); };
    for (const char* name : {"ExposureTime", "FrameRate"}) {
        const QString prefix = QStringLiteral("m_QLabel_") + QLatin1String(name);
        const auto* slider = fixture.widget<QSlider>(qPrintable(QStringLiteral("m_QSlider_") + QLatin1String(name)));
        QTRY_COMPARE(fixture.widget<QLabel>(qPrintable(prefix + QStringLiteral("_Minimum")))->text(),
                     tenth(slider->minimum()));
        QTRY_COMPARE(fixture.widget<QLabel>(qPrintable(prefix + QStringLiteral("_Maximum")))->text(),
                     tenth(slider->maximum()));
    }
    const auto* exposure = fixture.widget<QSlider>("m_QSlider_ExposureTime");
    const auto* value = fixture.widget<QLabel>("m_QLabel_ExposureTime");
    QCOMPARE(value->text(), QStringLiteral("200.0"));
    QCOMPARE(Camera_Settings_Marks::isMarked(value), exposureBeyond);
    if (exposureBeyond)
        QCOMPARE(exposure->value(), exposure->maximum());
}

void tst_Camera_Settings_GuiForm::interfaceControls_data()
{
    QTest::addColumn<int>("cameraInterface");
    QTest::addColumn<bool>("uEyeControls");
    QTest::newRow("uEye") << 1 << true;
    QTest::newRow("LuCam") << 2 << false;
}

void tst_Camera_Settings_GuiForm::interfaceControls()
{
    QFETCH(int, cameraInterface);
    QFETCH(bool, uEyeControls);
    const QStringList uEyeOnly = {"m_QGroupBox_EdgeEnhancement", "m_QGroupBox_PixelClock",
                                  "m_QLabel_Device_ConnectionMode", "m_QComboBox_Device_ConnectionMode"};
    const QStringList shownLater = {"m_QGroupBox_Device_EEProm", "m_QLabel_Device_Information_UEyeDriverVersion",
                                    "m_QLineEdit_Device_Information_UEyeDriverVersion"};
    Editor fixture([cameraInterface](Camera_Settings& s) { s.Device.CameraInterface = cameraInterface; });
    QCOMPARE(fixture.widget<QComboBox>("m_QComboBox_CameraInterface")->currentIndex(), cameraInterface - 1);
    for (const QString& name : uEyeOnly)
        QVERIFY2(fixture.editor->findChild<QWidget*>(name)->isHidden() == !uEyeControls, qPrintable(name));
    // The EEPROM and the driver version wait for an interface choice or a refill.
    for (const QString& name : shownLater)
        QVERIFY2(fixture.editor->findChild<QWidget*>(name)->isHidden(), qPrintable(name));
    fixture.settings().SetCustom(Camera_Settings::CustomSignal_Refresh, QVariant(false));
    for (const QString& name : uEyeOnly + shownLater)
        QVERIFY2(fixture.editor->findChild<QWidget*>(name)->isHidden() == !uEyeControls, qPrintable(name));

    // Choosing the other interface turns the rule round and lists that interface's cameras.
    Sim::clearLogs();
    drive(fixture.widget<QComboBox>("m_QComboBox_CameraInterface"), 2 - cameraInterface);
    QCOMPARE(fixture.settings().Device.CameraInterface, 3 - cameraInterface);
    for (const QString& name : uEyeOnly + shownLater)
        QVERIFY2(fixture.editor->findChild<QWidget*>(name)->isHidden() == uEyeControls, qPrintable(name));
    const auto* cameras = fixture.widget<QComboBox>("m_QComboBox_Camera");
    const std::vector<Sim::Camera> simulated = Sim::cameras(cameraInterface == 1 ? "LuCam" : "uEye");
    QCOMPARE(cameras->count(), 1 + int(simulated.size()));
    QVERIFY(cameras->itemText(1).contains(QString::fromStdString(simulated.front().serialNumber)));
    QVERIFY(fixture.editor->isModified());
}

void tst_Camera_Settings_GuiForm::driverVersionText_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("text");
    QTest::newRow("installed") << true << "V4.21.7.3";
    QTest::newRow("not installed") << false << "Error: UEye camera driver not installed";
}

void tst_Camera_Settings_GuiForm::driverVersionText()
{
    QFETCH(bool, installed);
    QFETCH(QString, text);
    Sim::setDriverVersion("uEye", {installed, 4, 21, 7, 3});
    Editor fixture;
    fixture.settings().SetCustom(Camera_Settings::CustomSignal_Refresh, QVariant(false));
    QCOMPARE(fixture.widget<QLineEdit>("m_QLineEdit_Device_Information_UEyeDriverVersion")->text(), text);
}

void tst_Camera_Settings_GuiForm::whiteBalanceRules_data()
{
    QTest::addColumn<int>("colorSpace");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("pageEnabled");
    QTest::addColumn<bool>("valuesEnabled");
    QTest::newRow("grey, user") << 1 << 4 << false << true;
    QTest::newRow("colour, disabled") << 2 << 1 << true << false;
    QTest::newRow("colour, auto") << 2 << 2 << true << false;
    QTest::newRow("colour, auto once") << 2 << 3 << true << false;
    QTest::newRow("colour, user") << 2 << 4 << true << true;
}

void tst_Camera_Settings_GuiForm::whiteBalanceRules()
{
    QFETCH(int, colorSpace);
    QFETCH(int, mode);
    QFETCH(bool, pageEnabled);
    QFETCH(bool, valuesEnabled);
    // Shown from the record ...
    Editor fixture([&](Camera_Settings& s) {
        s.Settings.ColorSpace = colorSpace;
        s.Settings.WhiteBalanceMode = mode;
    });
    const QWidget* page = fixture.widget<QWidget>("m_QWidget_Tab_WhiteBalance");
    const QWidget* values = fixture.widget<QWidget>("m_QWidget_WhiteBalance");
    QCOMPARE(page->isEnabled(), pageEnabled);
    QCOMPARE(values->isEnabledTo(page), valuesEnabled);

    // ... and after the operator's choices, which leave the page's values in the record.
    Editor edited([](Camera_Settings& s) {
        s.Settings.ColorSpace = 2;
        s.Settings.WhiteBalanceR = 40;
    });
    drive(edited.widget<QComboBox>("m_QComboBox_WhiteBalanceMode"), mode - 1);
    drive(edited.widget<QRadioButton>(colorSpace == 2 ? "m_QRadioButton_ColorMode_Color" : "m_QRadioButton_ColorMode_Gray"),
          true);
    QCOMPARE(edited.settings().Settings.ColorSpace, colorSpace);
    QCOMPARE(edited.settings().Settings.WhiteBalanceMode, mode);
    QCOMPARE(edited.settings().Settings.WhiteBalanceR, quint16(40));
    QCOMPARE(edited.widget<QWidget>("m_QWidget_Tab_WhiteBalance")->isEnabled(), pageEnabled);
    QCOMPARE(edited.widget<QWidget>("m_QWidget_WhiteBalance")->isEnabledTo(
                 edited.widget<QWidget>("m_QWidget_Tab_WhiteBalance")),
             valuesEnabled);
}

void tst_Camera_Settings_GuiForm::connectionModeRule_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("default camera") << "default" << "default" << "" << false;
    QTest::newRow("serial number given") << "default" << "default" << "4002" << true;
    QTest::newRow("other type") << "UI-1480" << "default" << "" << true;
    QTest::newRow("other device") << "default" << "3" << "" << true;
}

void tst_Camera_Settings_GuiForm::connectionModeRule()
{
    QFETCH(QString, type);
    QFETCH(QString, device);
    QFETCH(QString, serial);
    QFETCH(bool, enabled);
    Editor fixture([&](Camera_Settings& s) {
        s.Device.CameraType = type;
        s.Device.CameraDevice = device;
        s.Device.CameraSerialNumber = serial;
    });
    QCOMPARE(fixture.widget<QLabel>("m_QLabel_Device_ConnectionMode")->isEnabled(), enabled);
    QCOMPARE(fixture.widget<QComboBox>("m_QComboBox_Device_ConnectionMode")->isEnabled(), enabled);
}

void tst_Camera_Settings_GuiForm::unknownEdgeModeShowsNoEntry()
{
    Editor fixture([](Camera_Settings& s) { s.ExternalTrigger.TriggerSignal = 3; });
    auto* combo = fixture.widget<QComboBox>("m_QComboBox_ExternalTrigger_TriggerSignal");
    QCOMPARE(combo->currentIndex(), -1);
    QCOMPARE(fixture.settings().ExternalTrigger.TriggerSignal, 3);
    QVERIFY(!fixture.editor->isModified());
    combo->setCurrentIndex(0);
    QCOMPARE(fixture.settings().ExternalTrigger.TriggerSignal, 1);
    QVERIFY(fixture.editor->isModified());
}

void tst_Camera_Settings_GuiForm::reportsWithoutAChoiceWriteNothing()
{
    Editor fixture([](Camera_Settings& s) { s.Settings.WhiteBalanceMode = 4; });
    // A combo box emptied or set to no entry reports -1.
    fixture.widget<QComboBox>("m_QComboBox_WhiteBalanceMode")->setCurrentIndex(-1);
    QCOMPARE(fixture.settings().Settings.WhiteBalanceMode, 4);
    QVERIFY(!fixture.editor->isModified());
    QVERIFY(!fixture.changePending());
    // The radio button that goes off reports false first; only the one that goes on writes.
    drive(fixture.widget<QRadioButton>("m_QRadioButton_EdgeEnhancement_Strong"), true);
    QCOMPARE(fixture.settings().Settings.EdgeEnhancement, 3);
    QCOMPARE(fixture.custom, (QList<QPair<int, QVariant>>{{3, QVariant(true)}}));
}

void tst_Camera_Settings_GuiForm::title()
{
    Editor fixture;
    QCOMPARE(fixture.title(), QStringLiteral(" Camera settings \"\""));
    QVERIFY(fixture.editor->saveSettingsFile(QDir::temp().filePath(
        QStringLiteral("tst_Camera_Settings_GuiForm_%1.camerasettings.xml").arg(QCoreApplication::applicationPid()))));
    QCOMPARE(fixture.title(),
             QStringLiteral(" Camera settings \"tst_Camera_Settings_GuiForm_%1\"").arg(QCoreApplication::applicationPid()));
    QFile::remove(fixture.editor->settingsFileName());
    drive(fixture.widget<QCheckBox>("m_QCheckBox_Picture_MirrorUpDown"), true);
    QCOMPARE(fixture.title(),
             QStringLiteral("* Camera settings \"tst_Camera_Settings_GuiForm_%1\"").arg(QCoreApplication::applicationPid()));
    // The name as the shell gives it at start-up: a folder and the extension.
    QVERIFY(fixture.editor->setDefaultSettings(QStringLiteral("settings/camera/default.camerasettings.xml"), false));
    QCOMPARE(fixture.title(), QStringLiteral(" Camera settings \"default\""));
}

void tst_Camera_Settings_GuiForm::visibilityReachesTheMainWindow()
{
    Editor fixture;
    fixture.dock.show();
    QTRY_COMPARE(fixture.mainWindow.visibility, QList<bool>{true});
    fixture.dock.hide();
    QCOMPARE(fixture.mainWindow.visibility, (QList<bool>{true, false}));
}

void tst_Camera_Settings_GuiForm::withoutMainWindowNothingIsReported()
{
    Editor fixture({}, false);
    fixture.dock.show();
    drive(fixture.widget<QCheckBox>("m_QCheckBox_Picture_MirrorUpDown"), true);
    fixture.dock.hide();
    QVERIFY(fixture.mainWindow.titles.isEmpty());
    QVERIFY(fixture.mainWindow.visibility.isEmpty());
    QVERIFY(fixture.settings().Picture.MirrorUpDown);
}

void tst_Camera_Settings_GuiForm::withoutCameraTheEditorIsInert()
{
    CameraSettingsGuiFixture::Script script;
    CameraSettingsGuiFixture::RecordingMainWindow mainWindow;
    Camera_Settings_Gui editor(&mainWindow, nullptr);
    QVERIFY(!editor.isEnabled());
    QVERIFY(!editor.saveSettingsFile(QDir::temp().filePath(QStringLiteral("never.camerasettings.xml"))));
    QVERIFY(!editor.loadSettingsFile(QStringLiteral("missing.camerasettings.xml"), true));
    QVERIFY(!editor.setDefaultSettings(QStringLiteral("x"), true));
    QVERIFY(!editor.setSettings(nullptr, QStringLiteral("x"), true));
    editor.askSaveChangedSettings();
    QVERIFY(script.boxes.isEmpty());
    QVERIFY(editor.settingsFileName().isEmpty());
}

QTEST_MAIN(tst_Camera_Settings_GuiForm)
#include "tst_Camera_Settings_GuiForm.moc"
