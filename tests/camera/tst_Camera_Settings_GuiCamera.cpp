// The camera settings editor and the camera itself: the list of the interface's cameras and
// the choice of one, the information fields on open and close, the output lines, the EEPROM
// text, the camera's error reports, the ini file, and edits while the camera grabs.

#include "CameraSettingsGuiFixture.h"

#include <LibraryFunctions.h>
#include <QuendralLibrary.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#include <functional>

using namespace CameraTestSupport;
using CameraSettingsGuiFixture::Editor;
using CameraSettingsGuiFixture::drive;
using CameraSettingsGuiFixture::entries;

namespace {

const Sim::Camera kSecondCamera{"SIM-U2M", "2", "4200", 160, 120, true, "", ""};
const QString kFirstText = QStringLiteral("SIM-U5M-C | Cam.ID: 1 | SN: 4102012345 | Connected");
const QString kSecondText = QStringLiteral("SIM-U2M | Cam.ID: 2 | SN: 4200 | Connected");

void addSecondCamera()
{
    std::vector<Sim::Camera> cameras = Sim::cameras("uEye");
    cameras.push_back(kSecondCamera);
    Sim::setCameras("uEye", cameras);
}

} // namespace

class tst_Camera_Settings_GuiCamera : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void cameraList_data();
    void cameraList();
    void updateListsNewCameras();
    void failedScanKeepsListAndChoiceTogether_data();
    void failedScanKeepsListAndChoiceTogether();
    void cameraChoiceReopensTheCamera();
    void informationOnOpenAndClose();
    void informationQueryFailure();
    void outputs_data();
    void outputs();
    void refusedOutputReturnsToItsState_data();
    void refusedOutputReturnsToItsState();
    void flashTakesTheOutputLine();
    void eepromClear_data();
    void eepromClear();
    void cameraErrorIsShown();
    void refusedOpenMarksTheValue_data();
    void refusedOpenMarksTheValue();
    void refusedPushIsShownOnceAndNamed();
    void iniFile();
    void editsWhileTheCameraGrabs();
};

void tst_Camera_Settings_GuiCamera::initTestCase()
{
    prepareCameraTests();
}

void tst_Camera_Settings_GuiCamera::init()
{
    resetSimulation();
}

void tst_Camera_Settings_GuiCamera::cleanupTestCase()
{
    Sim::reset();
}

void tst_Camera_Settings_GuiCamera::cameraList_data()
{
    QTest::addColumn<int>("cameraInterface");
    QTest::addColumn<QStringList>("camera");
    QTest::addColumn<bool>("driverInstalled");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("current");
    const QStringList defaultCamera = {"default", "default", ""};
    QTest::newRow("default camera") << 1 << defaultCamera << true << QStringList{"Default camera", kFirstText} << 0;
    QTest::newRow("the record's camera is found, not listed twice")
        << 1 << QStringList{"SIM-U5M-C", "1", "4102012345"} << true << QStringList{"Default camera", kFirstText} << 1;
    QTest::newRow("the record's camera is not found")
        << 1 << QStringList{"UI-1480", "7", "999"} << true
        << QStringList{"Default camera", "UI-1480 | Cam.ID: 7 | SN: 999 | Not connected", kFirstText} << 1;
    QTest::newRow("found under another serial number")
        << 1 << QStringList{"SIM-U5M-C", "1", "999"} << true
        << QStringList{"Default camera", "SIM-U5M-C | Cam.ID: 1 | SN: 999 | Not connected", kFirstText} << 1;
    QTest::newRow("LuCam") << 2 << defaultCamera << true
                           << QStringList{"Default camera", "usb | Cam.ID: 1 | SN: 30012345 | Connected"} << 0;
    QTest::newRow("no uEye driver") << 1 << QStringList{"SIM-U5M-C", "1", "4102012345"} << false
                                    << QStringList{"Default camera", "SIM-U5M-C | Cam.ID: 1 | SN: 4102012345 | "
                                                                     "Not connected"}
                                    << 1;
}

void tst_Camera_Settings_GuiCamera::cameraList()
{
    QFETCH(int, cameraInterface);
    QFETCH(QStringList, camera);
    QFETCH(bool, driverInstalled);
    QFETCH(QStringList, texts);
    QFETCH(int, current);
    if (!driverInstalled)
        Sim::setDriverVersion("uEye", {false, 0, 0, 0, 0});
    Editor fixture([&](Camera_Settings& s) {
        s.Device.CameraInterface = cameraInterface;
        s.Device.CameraType = camera[0];
        s.Device.CameraDevice = camera[1];
        s.Device.CameraSerialNumber = camera[2];
    });
    const auto* combo = fixture.widget<QComboBox>("m_QComboBox_Camera");
    QCOMPARE(entries(combo), texts);
    QCOMPARE(combo->currentIndex(), current);
    QVERIFY(fixture.script.boxes.isEmpty());
    // Listing is no edit.
    QVERIFY(!fixture.editor->isModified());
    QVERIFY(!fixture.changePending());
}

void tst_Camera_Settings_GuiCamera::updateListsNewCameras()
{
    Editor fixture;
    addSecondCamera();
    QTest::mouseClick(fixture.widget<QPushButton>("m_QPushButton_CameraTypeUpdate"), Qt::LeftButton);
    QCOMPARE(entries(fixture.widget<QComboBox>("m_QComboBox_Camera")),
             (QStringList{"Default camera", kFirstText, kSecondText}));
    QVERIFY(!fixture.editor->isModified());
}

void tst_Camera_Settings_GuiCamera::failedScanKeepsListAndChoiceTogether_data()
{
    QTest::addColumn<bool>("automationServer");
    QTest::newRow("stand-alone") << false;
    QTest::newRow("automation server") << true;
}

void tst_Camera_Settings_GuiCamera::failedScanKeepsListAndChoiceTogether()
{
    QFETCH(bool, automationServer);
    addSecondCamera();
    Editor fixture;
    auto* combo = fixture.widget<QComboBox>("m_QComboBox_Camera");
    QCOMPARE(combo->count(), 3);
    // The record names a camera of its own now; then the driver turns out too old to scan.
    fixture.settings().Device.CameraSerialNumber = QStringLiteral("777");
    Sim::setDriverVersion("uEye", {true, 4, 0, 0, 0});
    if (automationServer)
        QuendralLibrary::Start(QStringLiteral("tst_Camera_Settings_GuiCamera%1").arg(QCoreApplication::applicationPid()),
                               QStringLiteral("1.0"), QStringLiteral("2024"), nullptr, true);
    QTest::mouseClick(fixture.widget<QPushButton>("m_QPushButton_CameraTypeUpdate"), Qt::LeftButton);
    if (automationServer)
        QuendralLibrary::Stop();

    if (automationServer) {
        QVERIFY(fixture.script.boxes.isEmpty());
    } else {
        QCOMPARE(fixture.script.titles(), QStringList{"Error"});
        QCOMPARE(fixture.script.boxes.first().text, QStringLiteral("Cannot update the camera list!"));
        QCOMPARE(fixture.script.boxes.first().icon, QMessageBox::Critical);
    }
    QCOMPARE(entries(combo), (QStringList{"Default camera", kFirstText, kSecondText}));
    // Each line still chooses the camera it shows.
    drive(combo, 2);
    QCOMPARE(fixture.settings().Device.CameraType, QStringLiteral("SIM-U2M"));
    QCOMPARE(fixture.settings().Device.CameraDevice, QStringLiteral("2"));
    QCOMPARE(fixture.settings().Device.CameraSerialNumber, QStringLiteral("4200"));
    drive(combo, 0);
    QCOMPARE(fixture.settings().Device.CameraType, QStringLiteral("default"));
    QCOMPARE(fixture.settings().Device.CameraSerialNumber, QString());
}

void tst_Camera_Settings_GuiCamera::cameraChoiceReopensTheCamera()
{
    addSecondCamera();
    Editor fixture;
    QVERIFY(fixture.open());
    QVERIFY(!fixture.widget<QComboBox>("m_QComboBox_Device_ConnectionMode")->isEnabled());
    Sim::clearLogs();
    fixture.camera.relay.events.clear();

    drive(fixture.widget<QComboBox>("m_QComboBox_Camera"), 2);

    QCOMPARE(fixture.settings().Device.CameraType, QStringLiteral("SIM-U2M"));
    QCOMPARE(fixture.settings().Device.CameraDevice, QStringLiteral("2"));
    QCOMPARE(fixture.settings().Device.CameraSerialNumber, QStringLiteral("4200"));
    QVERIFY(fixture.editor->isModified());
    QVERIFY(fixture.widget<QComboBox>("m_QComboBox_Device_ConnectionMode")->isEnabled());
    // Opened again, by serial number.
    QTRY_VERIFY_WITH_TIMEOUT(fixture.camera.relay.events.contains(QStringLiteral("open")), 10000);
    QCOMPARE(Sim::openLog().size(), size_t(1));
    QCOMPARE(QString::fromStdString(Sim::openLog().front().device), QStringLiteral("4200"));
    QVERIFY(Sim::state("uEye", 1).open);
    QCOMPARE(fixture.widget<QLineEdit>("m_QLineEdit_Device_Information_CameraDescription")->text(),
             QStringLiteral("SIM-U2M"));
}

void tst_Camera_Settings_GuiCamera::informationOnOpenAndClose()
{
    std::vector<Sim::Camera> cameras = Sim::cameras("uEye");
    cameras.front().eeprom = "Picker 7, left";
    Sim::setCameras("uEye", cameras);
    Editor fixture;
    auto* gpio = fixture.widget<QCheckBox>("m_QCheckBox_IO_OutputGPIO1");
    auto* eeprom = fixture.widget<QLineEdit>("m_QLineEdit_EEProm_Content");
    auto* description = fixture.widget<QLineEdit>("m_QLineEdit_Device_Information_CameraDescription");
    auto* version = fixture.widget<QLineEdit>("m_QLineEdit_Device_Information_HalconInterfaceVersion");
    QVERIFY(fixture.open());
    QCOMPARE(eeprom->text(), QStringLiteral("Picker 7, left"));
    QCOMPARE(description->text(), QStringLiteral("SIM-U5M-C"));
    QCOMPARE(version->text(), QStringLiteral("V1.0"));

    drive(gpio, true);
    QCOMPARE(Sim::state("uEye", 0).ioPort, 1);
    Sim::clearLogs();
    QCOMPARE(int(fixture.camera.camera.Close()), 0);
    // The boxes follow the camera without sending it anything.
    QVERIFY(!gpio->isChecked());
    QVERIFY(parameterNames().isEmpty());
    QVERIFY(eeprom->text().isEmpty());
    QVERIFY(description->text().isEmpty());
    QVERIFY(version->text().isEmpty());
    QVERIFY(fixture.script.boxes.isEmpty());
}

void tst_Camera_Settings_GuiCamera::informationQueryFailure()
{
    std::vector<Sim::Camera> cameras = Sim::cameras("uEye");
    cameras.front().hasEeprom = false;
    Sim::setCameras("uEye", cameras);
    Editor fixture;
    QVERIFY(fixture.open());
    QCOMPARE(fixture.widget<QLineEdit>("m_QLineEdit_EEProm_Content")->text(),
             QStringLiteral("Error: Cannot set/get the camera 'eeprom_content'"));
    QCOMPARE(fixture.widget<QLineEdit>("m_QLineEdit_Device_Information_CameraDescription")->text(),
             QStringLiteral("SIM-U5M-C"));
}

void tst_Camera_Settings_GuiCamera::outputs_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("output");
    QTest::newRow("GPIO 1") << "m_QCheckBox_IO_OutputGPIO1" << 1 << 0;
    QTest::newRow("GPIO 2") << "m_QCheckBox_IO_OutputGPIO2" << 2 << 0;
    QTest::newRow("flash") << "m_QCheckBox_IO_OutputFlash" << 0 << 1;
}

void tst_Camera_Settings_GuiCamera::outputs()
{
    QFETCH(QString, box);
    QFETCH(int, port);
    QFETCH(int, output);
    Editor fixture;
    QVERIFY(fixture.open());
    auto* check = fixture.widget<QCheckBox>(qPrintable(box));
    drive(check, true);
    QCOMPARE(Sim::state("uEye", 0).ioPort, port);
    QCOMPARE(Sim::state("uEye", 0).digitalOutput, output);
    drive(check, false);
    QCOMPARE(Sim::state("uEye", 0).ioPort, 0);
    QCOMPARE(Sim::state("uEye", 0).digitalOutput, 0);
    QVERIFY(fixture.script.boxes.isEmpty());
    // The lines are no settings.
    QVERIFY(!fixture.editor->isModified());
}

void tst_Camera_Settings_GuiCamera::refusedOutputReturnsToItsState_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("parameter");
    QTest::addColumn<QString>("text");
    QTest::newRow("camera closed") << false << "m_QCheckBox_IO_OutputGPIO2" << "" << "Camera isn't open!";
    QTest::newRow("port refused") << true << "m_QCheckBox_IO_OutputGPIO1" << "digital_io_port"
                                  << "Cannot set/get the camera I/O ports!";
    QTest::newRow("flash line refused") << true << "m_QCheckBox_IO_OutputFlash" << "digital_output"
                                        << "Cannot set/get the camera I/O ports!";
}

void tst_Camera_Settings_GuiCamera::refusedOutputReturnsToItsState()
{
    QFETCH(bool, open);
    QFETCH(QString, box);
    QFETCH(QString, parameter);
    QFETCH(QString, text);
    Editor fixture;
    if (open)
        QVERIFY(fixture.open());
    if (!parameter.isEmpty())
        Sim::injectFault("uEye", Sim::Fault::SetParameterFails, 1, parameter.toStdString());
    auto* check = fixture.widget<QCheckBox>(qPrintable(box));
    drive(check, true);
    QCOMPARE(fixture.script.titles(), QStringList{"Camera error"});
    QCOMPARE(fixture.script.boxes.first().text, text);
    // The box shows the line as it is: off.
    QVERIFY(!check->isChecked());
    QCOMPARE(Sim::state("uEye", 0).ioPort, 0);
    QCOMPARE(Sim::state("uEye", 0).digitalOutput, 0);
}

void tst_Camera_Settings_GuiCamera::flashTakesTheOutputLine()
{
    Editor fixture;
    QVERIFY(fixture.open());
    auto* flashLine = fixture.widget<QCheckBox>("m_QCheckBox_IO_OutputFlash");
    drive(flashLine, true);
    QCOMPARE(Sim::state("uEye", 0).digitalOutput, 1);

    drive(fixture.widget<QGroupBox>("m_QGroupBox_ExternalFlash_Used"), true);
    QVERIFY(!flashLine->isEnabled());
    QVERIFY(!flashLine->isChecked());
    // The line was switched off before the flash took it, without complaint.
    QCOMPARE(Sim::state("uEye", 0).digitalOutput, 0);
    QVERIFY(fixture.script.boxes.isEmpty());
    QVERIFY(fixture.settings().ExternalFlash.Used);

    drive(fixture.widget<QGroupBox>("m_QGroupBox_ExternalFlash_Used"), false);
    QVERIFY(flashLine->isEnabled());
    QVERIFY(!flashLine->isChecked());
    // A record with the flash on shows the line taken.
    fixture.settings().ExternalFlash.Used = true;
    fixture.settings().SetCustom(Camera_Settings::CustomSignal_Refresh, QVariant(false));
    QVERIFY(!flashLine->isEnabled());
}

void tst_Camera_Settings_GuiCamera::eepromClear_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("hasEeprom");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("yes") << int(QMessageBox::Yes) << true << "" << "";
    QTest::newRow("no") << int(QMessageBox::No) << true << "Picker 7" << "Picker 7";
    QTest::newRow("refused") << int(QMessageBox::Yes) << false << "Picker 7"
                             << "Error: Cannot set/get the camera 'eeprom_content'";
}

void tst_Camera_Settings_GuiCamera::eepromClear()
{
    QFETCH(int, answer);
    QFETCH(bool, hasEeprom);
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    std::vector<Sim::Camera> cameras = Sim::cameras("uEye");
    cameras.front().eeprom = "Picker 7";
    cameras.front().hasEeprom = hasEeprom;
    Sim::setCameras("uEye", cameras);
    Editor fixture;
    QVERIFY(fixture.open());
    // The EEPROM group shows once the form is refilled for a uEye camera.
    fixture.settings().SetCustom(Camera_Settings::CustomSignal_Refresh, QVariant(false));
    QVERIFY(!fixture.widget<QGroupBox>("m_QGroupBox_Device_EEProm")->isHidden());
    QVERIFY(fixture.showPage("m_QWidget_Tab_Device"));
    fixture.script.answers = {QMessageBox::StandardButton(answer)};
    QTest::mouseClick(fixture.widget<QPushButton>("m_QPushButton_EEProm_Clear"), Qt::LeftButton);
    QCOMPARE(fixture.script.titles(), QStringList{"Camera EEProm content"});
    QCOMPARE(fixture.script.boxes.first().text, QStringLiteral("Do you want clear the camera EEProm content?"));
    QCOMPARE(fixture.script.boxes.first().defaultButton, QMessageBox::No);
    QCOMPARE(QString::fromStdString(Sim::state("uEye", 0).eeprom).trimmed(), stored);
    QCOMPARE(fixture.widget<QLineEdit>("m_QLineEdit_EEProm_Content")->text(), shown);
}

void tst_Camera_Settings_GuiCamera::cameraErrorIsShown()
{
    Editor fixture;
    emit fixture.camera.camera.signal_error(18);
    QTRY_COMPARE(fixture.script.titles(), QStringList{"Camera error"});
    QCOMPARE(fixture.script.boxes.first().text, QStringLiteral("Error: Grab of image timeout occurred!"));
    QCOMPARE(fixture.script.boxes.first().icon, QMessageBox::Critical);
}

void tst_Camera_Settings_GuiCamera::refusedOpenMarksTheValue_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("why");
    // Inside the range a closed camera's editor knows, outside the camera's.
    QTest::newRow("pixel clock") << "PixelClock" << 90.0 << "m_QLabel_PixelClock"
                                 << "The camera refused pixel_clock = 90: Cannot set the general camera configuration";
    QTest::newRow("flash delay") << "StrobeDelay" << 4000.0 << "m_QDoubleSpinBox_ExternalFlash_StrobeDelay"
                                 << "The camera refused strobe_delay = 4000000: Cannot set the camera strobe "
                                    "configuration";
}

void tst_Camera_Settings_GuiCamera::refusedOpenMarksTheValue()
{
    QFETCH(QString, field);
    QFETCH(double, value);
    QFETCH(QString, display);
    QFETCH(QString, why);
    // This camera refuses the flash delay it is given.
    if (field == QLatin1String("StrobeDelay"))
        Sim::injectFault("uEye", Sim::Fault::SetParameterFails, 1, "strobe_delay");
    Editor fixture([&](Camera_Settings& s) {
        if (field == QLatin1String("PixelClock"))
            s.Settings.PixelClock = qint32(value);
        else
            s.ExternalFlash = {true, true, value, 0.0};
    });
    auto* shown = fixture.widget<QWidget>(qPrintable(display));
    QVERIFY(!Camera_Settings_Marks::isMarked(shown));
    QVERIFY(fixture.camera.camera.Open() != 0);
    // The editor names what the camera would not take, where the value is shown.
    QVERIFY(Camera_Settings_Marks::isMarked(shown));
    QCOMPARE(shown->toolTip(), why);
    QVERIFY(fixture.script.boxes.isEmpty());
    // Once the camera takes the record, the mark goes.
    fixture.settings().Settings.PixelClock = 18;
    fixture.settings().ExternalFlash.StrobeDelay = 0.0;
    QCOMPARE(int(fixture.camera.camera.Open()), 0);
    QVERIFY(!Camera_Settings_Marks::isMarked(shown));
}

void tst_Camera_Settings_GuiCamera::refusedPushIsShownOnceAndNamed()
{
    Editor fixture;
    QVERIFY(fixture.open());
    const auto pushed = [&fixture](const std::function<void()>& change) {
        const int before = fixture.camera.relay.settingsChanged;
        change();
        return QTest::qWaitFor([&] { return fixture.camera.relay.settingsChanged > before; }, 10000);
    };
    // A record taken over from elsewhere holds a gamma the camera does not take.
    QVERIFY(pushed([&fixture] {
        fixture.settings().Settings.GammaCorrection = 20.0;
        fixture.settings().setChanged(0);
    }));
    QTRY_COMPARE(fixture.script.titles(), QStringList{"Camera error"});
    QCOMPARE(fixture.script.boxes.first().text,
             QStringLiteral("Error: Cannot set the general camera configuration!\nThe camera refused gamma = 20."));
    QVERIFY(Camera_Settings_Marks::isMarked(fixture.widget<QLabel>("m_QLabel_GammaCorrection")));
    // Every later edit tries the gamma again, but the box came once.
    QVERIFY(pushed([&fixture] { drive(fixture.widget<QSlider>("m_QSlider_GainMaster"), 7); }));
    QVERIFY(pushed([&fixture] { drive(fixture.widget<QSlider>("m_QSlider_GainMaster"), 8); }));
    QCOMPARE(fixture.script.boxes.size(), 1);
    QVERIFY(Camera_Settings_Marks::isMarked(fixture.widget<QLabel>("m_QLabel_GammaCorrection")));
    // The operator's own gamma is one the camera takes.
    QVERIFY(pushed([&fixture] { drive(fixture.widget<QSlider>("m_QSlider_GammaCorrection"), 20); }));
    QCOMPARE(fixture.script.boxes.size(), 1);
    QVERIFY(!Camera_Settings_Marks::isMarked(fixture.widget<QLabel>("m_QLabel_GammaCorrection")));
}

void tst_Camera_Settings_GuiCamera::iniFile()
{
    Editor fixture([](Camera_Settings& s) { s.Device.UseCameraIniFile = true; });
    QVERIFY(fixture.showPage("m_QWidget_Tab_Device"));
    auto* button = fixture.widget<QPushButton>("m_QPushButton_Device_CameraIniFile");
    const QString inside = QDir(libraryApplicationPath()).filePath(QStringLiteral("settings/camera/uEye.ini"));
    fixture.script.fileAnswers = {inside, QString(), QStringLiteral("/opt/cameras/../cameras/uEye.ini")};

    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(fixture.script.files.size(), 1);
    const MessageBox_Helper::FileRequest& first = fixture.script.files.at(0);
    QCOMPARE(first.kind, MessageBox_Helper::FileRequest::OpenFile);
    QCOMPARE(first.caption, QStringLiteral("Camera ini file ..."));
    QCOMPARE(first.directory, QStringLiteral("settings/camera"));
    QCOMPARE(first.filter, QStringLiteral("*.ini"));
    // Inside the program's folder the file is kept relative to it.
    QCOMPARE(fixture.settings().Device.CameraIniFile, QStringLiteral("settings/camera/uEye.ini"));
    QVERIFY(fixture.editor->isModified());

    // A cancelled dialog starts where the field points and changes nothing.
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(fixture.script.files.size(), 2);
    QCOMPARE(fixture.script.files.at(1).directory, QStringLiteral("settings/camera/uEye.ini"));
    QCOMPARE(fixture.settings().Device.CameraIniFile, QStringLiteral("settings/camera/uEye.ini"));

    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(fixture.settings().Device.CameraIniFile, QStringLiteral("/opt/cameras/uEye.ini"));
    QCOMPARE(QDir::currentPath(), libraryApplicationPath());
}

void tst_Camera_Settings_GuiCamera::editsWhileTheCameraGrabs()
{
    Editor fixture;
    QVERIFY(fixture.open());
    fixture.camera.camera.SetLiveMode(true);
    QTRY_VERIFY_WITH_TIMEOUT(fixture.camera.relay.pictures.size() >= 2, 10000);
    auto* exposure = fixture.widget<QSlider>("m_QSlider_ExposureTime");
    auto* pixelClock = fixture.widget<QSlider>("m_QSlider_PixelClock");
    // Edits and refills, whose setters reach the camera from this thread, between live grabs.
    for (int i = 0; i < 20; ++i) {
        const qsizetype seen = fixture.camera.relay.pictures.size();
        drive(exposure, 50 + i);
        drive(pixelClock, 10 + i);
        fixture.settings().SetCustom(Camera_Settings::CustomSignal_Refresh, QVariant(false));
        QTRY_VERIFY_WITH_TIMEOUT(fixture.camera.relay.pictures.size() > seen, 10000);
    }
    fixture.camera.camera.SetLiveMode(false);
    QTRY_COMPARE_WITH_TIMEOUT(fixture.camera.camera.GetSettingsCopy().Settings.PixelClock, 29, 10000);
    QCOMPARE(fixture.camera.camera.GetSettingsCopy().Settings.ExposureTime, 6.9);
    QVERIFY(!fixture.camera.relay.pictureErrors.contains(14));
    QVERIFY(fixture.camera.relay.errors.isEmpty());
    QVERIFY(fixture.script.boxes.isEmpty());
}

QTEST_MAIN(tst_Camera_Settings_GuiCamera)
#include "tst_Camera_Settings_GuiCamera.moc"
