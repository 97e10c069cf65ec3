// The camera settings editor's file operations through its buttons and the calls of the main
// window: save, save as, load with the offer to save first, defaults, taking over a record,
// and what a refused file must leave alone.

#include "CameraSettingsGuiFixture.h"

#include <QuendralLibrary.h>

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace CameraTestSupport;
using CameraSettingsGuiFixture::Editor;
using CameraSettingsGuiFixture::drive;

namespace {

// A settings file whose values differ from the defaults; the path without the extension.
QString writeSettingsFile(const QTemporaryDir& dir, const QString& baseName, double exposure)
{
    Camera_Settings file;
    file.Settings.ExposureTime = exposure;
    file.Picture.MirrorLeftRight = true;
    const QString path = dir.filePath(baseName);
    return file.SaveToFile(path) ? path : QString();
}

QString readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// An operator's edit, afterwards the notices of the edit are forgotten.
void editMirror(Editor& fixture)
{
    auto* mirror = fixture.widget<QCheckBox>("m_QCheckBox_Picture_MirrorUpDown");
    drive(mirror, !mirror->isChecked());
    QVERIFY(fixture.editor->isModified());
    fixture.forgetNotices();
}

// The editor's settings belong to the file "Current" of the folder now.
QString saveCurrent(Editor& fixture, const QTemporaryDir& dir)
{
    const QString current = dir.filePath(QStringLiteral("Current"));
    if (!fixture.editor->saveSettingsFile(current))
        return QString();
    fixture.forgetNotices();
    return current;
}

void click(Editor& fixture, const char* button)
{
    QTest::mouseClick(fixture.widget<QPushButton>(button), Qt::LeftButton);
}

const QString kExtension = QStringLiteral(".camerasettings.xml");

} // namespace

class tst_Camera_Settings_GuiFiles : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void saveWithoutNameIsSaveAs();
    void saveAsCancelledWritesNothing();
    void saveWritesTheCurrentFile();
    void saveFailureChangesNothing();
    void loadAsksToSaveFirst_data();
    void loadAsksToSaveFirst();
    void loadReplacesTheRecord();
    void refusedLoadChangesNothing_data();
    void refusedLoadChangesNothing();
    void loadTellsTheCameraOnlyWhenAsked_data();
    void loadTellsTheCameraOnlyWhenAsked();
    void defaultsWithoutNotice();
    void defaultButton_data();
    void defaultButton();
    void automationServerIsNeverAsked();
    void setSettingsTakesOverTheRecord();
};

void tst_Camera_Settings_GuiFiles::initTestCase()
{
    prepareCameraTests();
}

void tst_Camera_Settings_GuiFiles::init()
{
    resetSimulation();
}

void tst_Camera_Settings_GuiFiles::cleanupTestCase()
{
    Sim::reset();
}

void tst_Camera_Settings_GuiFiles::saveWithoutNameIsSaveAs()
{
    QTemporaryDir dir;
    Editor fixture;
    editMirror(fixture);
    const QString typed = dir.filePath(QStringLiteral("Plate"));
    fixture.script.fileAnswers = {typed};
    click(fixture, "m_QPushButton_Save");

    QCOMPARE(fixture.script.files.size(), 1);
    const MessageBox_Helper::FileRequest& dialog = fixture.script.files.first();
    QCOMPARE(dialog.kind, MessageBox_Helper::FileRequest::SaveFile);
    QCOMPARE(dialog.caption, QStringLiteral("Save camera settings ..."));
    QCOMPARE(dialog.directory, QStringLiteral("settings/camera"));
    QCOMPARE(dialog.filter, QStringLiteral("*.camerasettings.xml"));
    // The file has its extension; the editor keeps the name as typed.
    QVERIFY(QFile::exists(typed + kExtension));
    QCOMPARE(fixture.editor->settingsFileName(), typed);
    QCOMPARE(fixture.title(), QStringLiteral(" Camera settings \"Plate\""));
    QVERIFY(!fixture.editor->isModified());
    QCOMPARE(fixture.settings().Name, QStringLiteral("Plate"));
    QVERIFY(fixture.script.boxes.isEmpty());
    // Saving tells the camera nothing new.
    QVERIFY(!fixture.changePending());
}

void tst_Camera_Settings_GuiFiles::saveAsCancelledWritesNothing()
{
    QTemporaryDir dir;
    Editor fixture;
    const QString current = saveCurrent(fixture, dir);
    editMirror(fixture);
    click(fixture, "m_QPushButton_SaveAs");
    QCOMPARE(fixture.script.files.size(), 1);
    QCOMPARE(fixture.editor->settingsFileName(), current);
    QVERIFY(fixture.editor->isModified());
    QVERIFY(fixture.script.boxes.isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"Current.camerasettings.xml"});
}

void tst_Camera_Settings_GuiFiles::saveWritesTheCurrentFile()
{
    QTemporaryDir dir;
    Editor fixture;
    const QString current = saveCurrent(fixture, dir);
    editMirror(fixture);
    click(fixture, "m_QPushButton_Save");
    QVERIFY(fixture.script.files.isEmpty());
    QVERIFY(!fixture.editor->isModified());
    Camera_Settings written;
    QVERIFY(written.LoadFromFile(current));
    QVERIFY(written.Picture.MirrorUpDown);
}

void tst_Camera_Settings_GuiFiles::saveFailureChangesNothing()
{
    QTemporaryDir dir;
    Editor fixture;
    const QString current = saveCurrent(fixture, dir);
    editMirror(fixture);
    fixture.script.fileAnswers = {dir.filePath(QStringLiteral("no such folder/Elsewhere"))};
    click(fixture, "m_QPushButton_SaveAs");

    QCOMPARE(fixture.script.titles(), QStringList{"Save error!"});
    QCOMPARE(fixture.script.boxes.first().text, QStringLiteral("Cannot save the camera settings to \"Elsewhere\"!"));
    QCOMPARE(fixture.script.boxes.first().icon, QMessageBox::Critical);
    QCOMPARE(fixture.editor->settingsFileName(), current);
    QVERIFY(fixture.editor->isModified());
    QVERIFY(fixture.title().startsWith(QLatin1Char('*')));
    QVERIFY(!fixture.editor->saveSettingsFile(dir.filePath(QStringLiteral("no such folder/Other"))));
    QCOMPARE(fixture.editor->settingsFileName(), current);
}

void tst_Camera_Settings_GuiFiles::loadAsksToSaveFirst_data()
{
    QTest::addColumn<bool>("modified");
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<bool>("currentWritable");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<bool>("currentSaved");
    const QString question = QStringLiteral("Save camera settings ...");
    QTest::newRow("not modified") << false << QList<int>{} << true << QStringList{} << false;
    QTest::newRow("answer no") << true << QList<int>{QMessageBox::No} << true << QStringList{question} << false;
    QTest::newRow("answer yes") << true << QList<int>{QMessageBox::Yes} << true << QStringList{question} << true;
    // The failed save leaves the mark on, so the load asks once more.
    QTest::newRow("save fails")
        << true << QList<int>{QMessageBox::Yes, QMessageBox::Ok, QMessageBox::No} << false
        << QStringList{question, QStringLiteral("Save error!"), question} << false;
}

void tst_Camera_Settings_GuiFiles::loadAsksToSaveFirst()
{
    QFETCH(bool, modified);
    QFETCH(QList<int>, answers);
    QFETCH(bool, currentWritable);
    QFETCH(QStringList, titles);
    QFETCH(bool, currentSaved);
    QTemporaryDir dir;
    const QString other = writeSettingsFile(dir, QStringLiteral("Other"), 123.4);
    const QString current = currentWritable ? dir.filePath(QStringLiteral("Current"))
                                            : dir.filePath(QStringLiteral("gone/Current"));
    Editor fixture;
    if (currentWritable) {
        QVERIFY(fixture.editor->saveSettingsFile(current));
    } else {
        // A current file whose folder has gone since it was loaded.
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("gone")));
        QVERIFY(fixture.editor->saveSettingsFile(current));
        QVERIFY(QDir(dir.filePath(QStringLiteral("gone"))).removeRecursively());
    }
    const QString before = readAll(current + kExtension);
    if (modified)
        editMirror(fixture);
    for (int answer : answers)
        fixture.script.answers.append(QMessageBox::StandardButton(answer));
    fixture.script.fileAnswers = {other};

    click(fixture, "m_QPushButton_Load");

    QCOMPARE(fixture.script.titles(), titles);
    if (modified) {
        const MessageBox_Helper::Request& box = fixture.script.boxes.first();
        QCOMPARE(box.text, QStringLiteral("The camera settings \"Current\" has been changed. Do you want save the "
                                          "settings?"));
        QCOMPARE(box.defaultButton, QMessageBox::Yes);
        QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
    }
    if (currentWritable) {
        Camera_Settings saved;
        QVERIFY(saved.LoadFromFile(current));
        QCOMPARE(saved.Picture.MirrorUpDown, currentSaved);
        if (!currentSaved)
            QCOMPARE(readAll(current + kExtension), before);
    }
    // The load itself went through.
    QCOMPARE(fixture.settings().Settings.ExposureTime, 123.4);
    QCOMPARE(fixture.editor->settingsFileName(), other);
    QVERIFY(!fixture.editor->isModified());
}

void tst_Camera_Settings_GuiFiles::loadReplacesTheRecord()
{
    QTemporaryDir dir;
    const QString file = writeSettingsFile(dir, QStringLiteral("Petri dish"), 123.4) + kExtension;
    Editor fixture;
    fixture.script.fileAnswers = {file};
    click(fixture, "m_QPushButton_Load");

    const MessageBox_Helper::FileRequest& dialog = fixture.script.files.first();
    QCOMPARE(dialog.kind, MessageBox_Helper::FileRequest::OpenFile);
    QCOMPARE(dialog.caption, QStringLiteral("Load camera settings ..."));
    QCOMPARE(dialog.directory, QStringLiteral("settings/camera"));
    QCOMPARE(dialog.filter, QStringLiteral("*.camerasettings.xml"));
    QCOMPARE(fixture.settings().Settings.ExposureTime, 123.4);
    QVERIFY(fixture.settings().Picture.MirrorLeftRight);
    QCOMPARE(fixture.settings().Name, QStringLiteral("Petri dish"));
    QCOMPARE(fixture.widget<QSlider>("m_QSlider_ExposureTime")->value(), 1234);
    QCOMPARE(fixture.widget<QLabel>("m_QLabel_ExposureTime")->text(), QStringLiteral("123.4"));
    QVERIFY(fixture.widget<QCheckBox>("m_QCheckBox_Picture_MirrorLeftRight")->isChecked());
    QCOMPARE(fixture.customNumbers(), (QList<int>{1, 2, 3}));
    QCOMPARE(fixture.title(), QStringLiteral(" Camera settings \"Petri dish\""));
    QVERIFY(fixture.script.boxes.isEmpty());
    // The button tells the camera, and the load waited for the notice to go out.
    QCOMPARE(fixture.changeNotices->size(), 1);
}

void tst_Camera_Settings_GuiFiles::refusedLoadChangesNothing_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("missing") << QByteArray();
    QTest::newRow("not XML") << QByteArray("\x89PNG\r\n\x1a\n garbage");
    QTest::newRow("no settings name")
        << QByteArray("<?xml version='1.0' encoding='UTF-8' ?>\n<CameraSettings ConfigVersion=\"1.2\">"
                      "<Settings><ExposureTime>5</ExposureTime></Settings></CameraSettings>");
}

void tst_Camera_Settings_GuiFiles::refusedLoadChangesNothing()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Broken") + kExtension);
    if (!content.isEmpty()) {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(content);
    }
    Editor fixture;
    const QString current = saveCurrent(fixture, dir);
    // An edit whose notice is still on its way when the load is refused.
    drive(fixture.widget<QSlider>("m_QSlider_ExposureTime"), 1500);
    QVERIFY(fixture.changePending());
    const Camera_Settings_Data edited = fixture.settings().data();
    fixture.custom.clear();
    fixture.script.answers = {QMessageBox::No};
    fixture.script.fileAnswers = {file};

    click(fixture, "m_QPushButton_Load");

    QCOMPARE(fixture.script.titles(), (QStringList{"Save camera settings ...", "Load error!"}));
    QCOMPARE(fixture.script.boxes.last().text, QStringLiteral("Cannot load the camera settings from \"Broken\"!"));
    QVERIFY(fixture.settings().data() == edited);
    QCOMPARE(fixture.widget<QSlider>("m_QSlider_ExposureTime")->value(), 1500);
    QCOMPARE(fixture.widget<QLabel>("m_QLabel_ExposureTime")->text(), QStringLiteral("150.0"));
    QCOMPARE(fixture.editor->settingsFileName(), current);
    // Only the answer to the question took the mark off; no values were announced.
    QCOMPARE(fixture.customNumbers(), QList<int>{3});
    // The edit still reaches the camera.
    QVERIFY(fixture.changeNotices->wait(5000));
    QVERIFY(!fixture.editor->loadSettingsFile(file, true));
    QVERIFY(fixture.settings().data() == edited);
}

void tst_Camera_Settings_GuiFiles::loadTellsTheCameraOnlyWhenAsked_data()
{
    QTest::addColumn<bool>("notify");
    QTest::newRow("with notice") << true;
    QTest::newRow("without notice") << false;
}

void tst_Camera_Settings_GuiFiles::loadTellsTheCameraOnlyWhenAsked()
{
    QFETCH(bool, notify);
    QTemporaryDir dir;
    const QString file = writeSettingsFile(dir, QStringLiteral("Slow"), 12.5);
    Editor fixture;
    QVERIFY(fixture.open());
    fixture.forgetNotices();
    const int pushes = fixture.camera.relay.settingsChanged;

    QVERIFY(fixture.editor->loadSettingsFile(file, notify));
    QCOMPARE(fixture.settings().Settings.ExposureTime, 12.5);
    QCOMPARE(fixture.widget<QLabel>("m_QLabel_ExposureTime")->text(), QStringLiteral("12.5"));
    if (notify) {
        QCOMPARE(fixture.changeNotices->size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(fixture.camera.camera.GetSettingsCopy().Settings.ExposureTime, 12.5, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(fixture.camera.relay.settingsChanged > pushes, 10000);
    } else {
        QVERIFY(!fixture.changePending());
        QCOMPARE(fixture.changeNotices->size(), 0);
        QCOMPARE(fixture.camera.camera.GetSettingsCopy().Settings.ExposureTime, 200.0);
    }
}

void tst_Camera_Settings_GuiFiles::defaultsWithoutNotice()
{
    Editor fixture([](Camera_Settings& s) { s.Settings.GainMaster = 60; });
    QVERIFY(fixture.editor->setDefaultSettings(QStringLiteral("settings/camera/default.camerasettings.xml"), false));
    QCOMPARE(fixture.settings().Settings.GainMaster, quint16(0));
    QCOMPARE(fixture.widget<QSlider>("m_QSlider_GainMaster")->value(), 0);
    QCOMPARE(fixture.customNumbers(), (QList<int>{1, 2, 3}));
    QVERIFY(!fixture.changePending());
    QCOMPARE(fixture.editor->settingsFileName(), QStringLiteral("settings/camera/default.camerasettings.xml"));
    QVERIFY(!fixture.editor->isModified());
}

void tst_Camera_Settings_GuiFiles::defaultButton_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("yes") << int(QMessageBox::Yes);
    QTest::newRow("no") << int(QMessageBox::No);
}

void tst_Camera_Settings_GuiFiles::defaultButton()
{
    QFETCH(int, answer);
    const bool yes = answer == QMessageBox::Yes;
    QTemporaryDir dir;
    Editor fixture([](Camera_Settings& s) { s.Settings.GainMaster = 60; });
    const QString current = saveCurrent(fixture, dir);
    fixture.script.answers = {QMessageBox::StandardButton(answer)};

    click(fixture, "m_QPushButton_Default");

    QCOMPARE(fixture.script.titles(), QStringList{"Camera default settings"});
    const MessageBox_Helper::Request& box = fixture.script.boxes.first();
    QCOMPARE(box.text, QStringLiteral("Do you want set the camera settings to the default values?"));
    QCOMPARE(box.defaultButton, QMessageBox::No);
    QCOMPARE(fixture.settings().Settings.GainMaster, quint16(yes ? 0 : 60));
    QCOMPARE(fixture.editor->settingsFileName(), current);
    QCOMPARE(fixture.editor->isModified(), yes);
    QCOMPARE(fixture.changePending(), yes);
    if (!yes)
        return;
    QCOMPARE(fixture.title(), QStringLiteral("* Camera settings \"Current\""));
    // The defaults are not in the file: closing the editor offers to save them.
    fixture.script.answers = {QMessageBox::No};
    fixture.editor->close();
    QCOMPARE(fixture.script.titles(), (QStringList{"Camera default settings", "Save camera settings ..."}));
    QVERIFY(!fixture.editor->isModified());
    Camera_Settings file;
    QVERIFY(file.LoadFromFile(current));
    QCOMPARE(file.Settings.GainMaster, quint16(60));
}

void tst_Camera_Settings_GuiFiles::automationServerIsNeverAsked()
{
    QTemporaryDir dir;
    Editor fixture;
    QVERIFY(!saveCurrent(fixture, dir).isEmpty());
    editMirror(fixture);
    QuendralLibrary::Start(QStringLiteral("tst_Camera_Settings_GuiFiles%1").arg(QCoreApplication::applicationPid()),
                           QStringLiteral("1.0"), QStringLiteral("2024"), nullptr, true);
    fixture.editor->askSaveChangedSettings();
    const bool loaded = fixture.editor->loadSettingsFile(writeSettingsFile(dir, QStringLiteral("Other"), 42.0), false);
    QuendralLibrary::Stop();
    QVERIFY(fixture.script.boxes.isEmpty());
    QVERIFY(loaded);
    QCOMPARE(fixture.settings().Settings.ExposureTime, 42.0);
}

void tst_Camera_Settings_GuiFiles::setSettingsTakesOverTheRecord()
{
    Camera_Settings source;
    source.Name = QStringLiteral("Rack 17");
    source.Settings.ExposureTime = 77.7;
    source.Device.CameraInterface = 2;
    Editor fixture;
    const QString name = QStringLiteral("settings/camera/Rack 17 (from database).camerasettings.xml");
    QVERIFY(fixture.editor->setSettings(&source, name, true));
    QVERIFY(fixture.settings().data() == source.data());
    QCOMPARE(fixture.editor->settingsFileName(), name);
    QCOMPARE(fixture.title(), QStringLiteral(" Camera settings \"Rack 17 (from database)\""));
    QCOMPARE(fixture.customNumbers(), (QList<int>{1, 2, 3}));
    QCOMPARE(fixture.widget<QComboBox>("m_QComboBox_CameraInterface")->currentIndex(), 1);
    QCOMPARE(fixture.changeNotices->size(), 1);

    fixture.forgetNotices();
    QVERIFY(!fixture.editor->setSettings(nullptr, QStringLiteral("other"), true));
    QVERIFY(fixture.settings().data() == source.data());
    QCOMPARE(fixture.editor->settingsFileName(), name);
    QVERIFY(fixture.custom.isEmpty());
}

QTEST_MAIN(tst_Camera_Settings_GuiFiles)
#include "tst_Camera_Settings_GuiFiles.moc"
