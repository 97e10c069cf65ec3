#include "ColonySettingsGuiFixture.h"

#include <Errors.h>

#include <QCloseEvent>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using ColonySettingsGuiFixture::Editor;
using ColonySettingsGuiFixture::drive;

namespace {

// A settings file whose values differ from the defaults.
QString writeSettingsFile(const QTemporaryDir& dir, const QString& baseName, double sizeX)
{
    ColonySettings file;
    file.Labware.SizeX = sizeX;
    const QString path = dir.filePath(baseName + ColonySettings::fileExtension());
    return file.saveToFile(path) ? path : QString();
}

void markModified(Editor& fixture)
{
    drive(fixture.widget<QWidget>("m_LabwareGapX"), 2.0);
    fixture.forgetNotices();
}

} // namespace

// Load, save, save as, the three defaults and the offer to save modified settings, through
// a host that behaves like the main window and scripted boxes and file dialogs.
class tst_ColonySettingsGuiFiles : public QObject {
    Q_OBJECT
private slots:
    void loadAsksToSaveFirst_data();
    void loadAsksToSaveFirst();
    void loadReplacesTheRecord();
    void loadFailureIsReported();
    void saveWithoutNameAsksForOne();
    void saveAsMakesTheFileCurrent();
    void saveFailureChangesNothing();
    void defaults_data();
    void defaults();
    void defaultsRefusedAreReported();
    void askSaveModifiedWithoutChangesAsksNothing();
    void closeAsksAndCloses();
    void offerBeforeTheWindowCloses_data();
    void offerBeforeTheWindowCloses();
    void visibilityReachesTheHost();
};

void tst_ColonySettingsGuiFiles::loadAsksToSaveFirst_data()
{
    QTest::addColumn<bool>("modified");
    QTest::addColumn<bool>("hasName");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("saveSucceeds");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("not modified") << false << true << int(QMessageBox::Yes) << true << true << QStringList();
    QTest::newRow("answer no") << true << true << int(QMessageBox::No) << true << true << QStringList{"Save"};
    QTest::newRow("saved first") << true << true << int(QMessageBox::Yes) << true << true << QStringList{"Save"};
    QTest::newRow("failed save stops the load")
        << true << true << int(QMessageBox::Yes) << false << false << QStringList{"Save", "Save error!"};
    QTest::newRow("cancelled save as stops the load")
        << true << false << int(QMessageBox::Yes) << true << false << QStringList{"Save"};
}

void tst_ColonySettingsGuiFiles::loadAsksToSaveFirst()
{
    QFETCH(bool, modified);
    QFETCH(bool, hasName);
    QFETCH(int, answer);
    QFETCH(bool, saveSucceeds);
    QFETCH(bool, loaded);
    QFETCH(QStringList, titles);
    QTemporaryDir dir;
    const QString other = writeSettingsFile(dir, QStringLiteral("Other"), 42.5);
    Editor fixture;
    if (hasName)
        fixture.host.fileName = dir.filePath(QStringLiteral("Current.ColonySettings"));
    fixture.host.saveSucceeds = saveSucceeds;
    if (modified)
        markModified(fixture);
    const ColonySettingsData edited = fixture.settings.data();
    fixture.script.answers = {QMessageBox::StandardButton(answer)};
    // Without a name the save goes on to Save As, whose dialog is cancelled; the load's
    // dialog would choose the other file.
    fixture.script.fileAnswers = hasName ? QStringList{other} : QStringList{QString(), other};

    QTest::mouseClick(fixture.widget<QPushButton>("m_SettingsLoad"), Qt::LeftButton);

    QCOMPARE(fixture.script.titles(), titles);
    if (modified) {
        QCOMPARE(fixture.script.boxes.first().text, hasName ? QStringLiteral("Save modified colony settings \"Current\" ?")
                                                           : QStringLiteral("Save modified colony settings \"\" ?"));
        QCOMPARE(fixture.script.boxes.first().defaultButton, QMessageBox::Yes);
    }
    if (loaded) {
        QCOMPARE(fixture.host.calls.last(), QStringLiteral("load:") + other);
        QCOMPARE(fixture.settings.Labware.SizeX, 42.5);
        QVERIFY(!fixture.editor->isModified());
        const MessageBox_Helper::FileRequest& dialog = fixture.script.files.last();
        QCOMPARE(dialog.kind, MessageBox_Helper::FileRequest::OpenFile);
        QCOMPARE(dialog.caption, QStringLiteral("Load colony settings ..."));
        QCOMPARE(dialog.directory, ColonySettings::settingsFolder());
        QCOMPARE(dialog.filter, QStringLiteral("*.ColonySettings"));
    } else {
        // The operator's changes are still there and still marked.
        QVERIFY(fixture.settings.data() == edited);
        QVERIFY(fixture.editor->isModified());
        QVERIFY(!fixture.host.calls.contains(QStringLiteral("load:") + other));
        QVERIFY(fixture.dock.windowTitle().startsWith(QLatin1Char('*')));
    }
}

void tst_ColonySettingsGuiFiles::loadReplacesTheRecord()
{
    QTemporaryDir dir;
    const QString file = writeSettingsFile(dir, QStringLiteral("Petri dish"), 33.25);
    Editor fixture;
    fixture.script.fileAnswers = {file};
    QTest::mouseClick(fixture.widget<QPushButton>("m_SettingsLoad"), Qt::LeftButton);
    QCOMPARE(fixture.settings.Labware.SizeX, 33.25);
    QCOMPARE(fixture.widget<QDoubleSpinBox>("m_LabwareSizeX")->value(), 33.25);
    QCOMPARE(fixture.dock.windowTitle(), QStringLiteral(" Colony Settings \"Petri dish\""));
    QCOMPARE(fixture.customNumbers(), QList<int>({1, 2, 3, 20}));
    QVERIFY(fixture.script.boxes.isEmpty());
}

void tst_ColonySettingsGuiFiles::loadFailureIsReported()
{
    QTemporaryDir dir;
    Editor fixture;
    const ColonySettingsData before = fixture.settings.data();
    fixture.script.fileAnswers = {dir.filePath(QStringLiteral("missing.ColonySettings"))};
    QTest::mouseClick(fixture.widget<QPushButton>("m_SettingsLoad"), Qt::LeftButton);
    QCOMPARE(fixture.script.boxes.size(), 1);
    const MessageBox_Helper::Request& box = fixture.script.boxes.first();
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.title, QStringLiteral("Load error!"));
    QCOMPARE(box.text, QStringLiteral("Cannot load the colony settings from \"missing\"!\nError: ")
                           + Errors::getErrorText(150));
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(fixture.settings.data() == before);
}

void tst_ColonySettingsGuiFiles::saveWithoutNameAsksForOne()
{
    Editor fixture;
    markModified(fixture);
    QTest::mouseClick(fixture.widget<QPushButton>("m_SettingsSave"), Qt::LeftButton);
    QCOMPARE(fixture.script.files.size(), 1);
    QCOMPARE(fixture.script.files.first().kind, MessageBox_Helper::FileRequest::SaveFile);
    QCOMPARE(fixture.script.files.first().caption, QStringLiteral("Save colony settings ..."));
    // Cancelled: nothing saved, still marked, no box.
    QVERIFY(fixture.host.calls.isEmpty());
    QVERIFY(fixture.editor->isModified());
    QVERIFY(fixture.script.boxes.isEmpty());
}

void tst_ColonySettingsGuiFiles::saveAsMakesTheFileCurrent()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Tray.ColonySettings"));
    Editor fixture;
    markModified(fixture);
    fixture.script.fileAnswers = {file};
    QTest::mouseClick(fixture.widget<QPushButton>("m_SettingsSaveAs"), Qt::LeftButton);
    QCOMPARE(fixture.host.calls, QStringList{QStringLiteral("save:") + file});
    QCOMPARE(fixture.dock.windowTitle(), QStringLiteral(" Colony Settings \"Tray\""));
    ColonySettings reread;
    QVERIFY(reread.loadFromFile(file));
    QCOMPARE(reread.Labware.GapX, 2.0);

    drive(fixture.widget<QWidget>("m_LabwareGapY"), 3.0);
    QTest::mouseClick(fixture.widget<QPushButton>("m_SettingsSave"), Qt::LeftButton);
    QCOMPARE(fixture.host.calls.last(), QStringLiteral("save:") + file);
    QCOMPARE(fixture.script.files.size(), 1);
    QVERIFY(!fixture.editor->isModified());
}

void tst_ColonySettingsGuiFiles::saveFailureChangesNothing()
{
    Editor fixture;
    fixture.host.fileName = QStringLiteral("settings/Colony/Plate.ColonySettings");
    fixture.host.saveSucceeds = false;
    markModified(fixture);
    const ColonySettingsData before = fixture.settings.data();
    QTest::mouseClick(fixture.widget<QPushButton>("m_SettingsSave"), Qt::LeftButton);
    QCOMPARE(fixture.script.titles(), QStringList{"Save error!"});
    QCOMPARE(fixture.script.boxes.first().text, QStringLiteral("Cannot save the colony settings to \"Plate\"!"));
    QCOMPARE(fixture.script.boxes.first().icon, QMessageBox::Critical);
    QVERIFY(fixture.settings.data() == before);
    QCOMPARE(fixture.host.fileName, QStringLiteral("settings/Colony/Plate.ColonySettings"));
    QVERIFY(fixture.editor->isModified());
}

void tst_ColonySettingsGuiFiles::defaults_data()
{
    QTest::addColumn<int>("action"); // -1 the button, else the menu entry
    QTest::addColumn<QString>("question");
    QTest::addColumn<bool>("lightTable");
    QTest::newRow("set defaults") << -1 << "Replace current colony settings with defaults?" << false;
    QTest::newRow("lighttable") << 0 << "Replace current colony settings with defaults for Lighttable?" << false;
    QTest::newRow("lighttable xl") << 1 << "Replace current colony settings with defaults for Lighttable XL?" << true;
}

void tst_ColonySettingsGuiFiles::defaults()
{
    QFETCH(int, action);
    QFETCH(QString, question);
    QFETCH(bool, lightTable);
    ColonySettingsData edited = ColonySettingsData::standardDefaults();
    edited.Labware.SizeX = 12.0;
    edited.ReferencePoints.DistanceX = 12.0;
    for (QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
        Editor fixture(edited);
        fixture.host.fileName = QStringLiteral("settings/Colony/Plate.ColonySettings");
        fixture.script.answers = {answer};
        auto* button = fixture.widget<QToolButton>("m_SettingsSetDefaults");
        if (action < 0)
            button->click();
        else
            button->menu()->actions().at(action)->trigger();
        QCOMPARE(fixture.script.boxes.size(), 1);
        const MessageBox_Helper::Request& box = fixture.script.boxes.first();
        QCOMPARE(box.title, QStringLiteral("Colony default settings"));
        QCOMPARE(box.text, question);
        QCOMPARE(box.defaultButton, QMessageBox::No);
        if (answer == QMessageBox::No) {
            QVERIFY(fixture.host.calls.isEmpty());
            QVERIFY(fixture.settings.data() == edited);
            QVERIFY(!fixture.editor->isModified());
            continue;
        }
        const ColonySettingsData expected =
            lightTable ? ColonySettingsData::lightTableDefaults() : ColonySettingsData::standardDefaults();
        QVERIFY(fixture.settings.data() == expected);
        QCOMPARE(fixture.host.fileName, QStringLiteral("settings/Colony/Plate.ColonySettings"));
        QCOMPARE(fixture.widget<QDoubleSpinBox>("m_LabwareSizeX")->value(), expected.Labware.SizeX);
        QVERIFY(fixture.editor->isModified());
        QCOMPARE(fixture.dock.windowTitle(), QStringLiteral("* Colony Settings \"Plate\""));
    }
}

void tst_ColonySettingsGuiFiles::defaultsRefusedAreReported()
{
    Editor fixture;
    fixture.host.defaultsSucceed = false;
    fixture.script.answers = {QMessageBox::Yes};
    fixture.widget<QToolButton>("m_SettingsSetDefaults")->click();
    QCOMPARE(fixture.script.titles(), QStringList({"Colony default settings", "Default error!"}));
    QCOMPARE(fixture.script.boxes.last().text, QStringLiteral("Cannot set the colony default settings!"));
    QVERIFY(!fixture.editor->isModified());
}

void tst_ColonySettingsGuiFiles::askSaveModifiedWithoutChangesAsksNothing()
{
    Editor fixture;
    QVERIFY(fixture.editor->askSaveModified());
    QVERIFY(fixture.script.boxes.isEmpty());
    QVERIFY(fixture.custom.isEmpty());
}

void tst_ColonySettingsGuiFiles::closeAsksAndCloses()
{
    Editor fixture;
    markModified(fixture);
    fixture.script.answers = {QMessageBox::No};
    QCloseEvent event;
    event.ignore();
    QApplication::sendEvent(fixture.editor.get(), &event);
    QVERIFY(event.isAccepted());
    QCOMPARE(fixture.script.titles(), QStringList{"Save"});
    QVERIFY(!fixture.editor->isModified());
}

void tst_ColonySettingsGuiFiles::offerBeforeTheWindowCloses_data()
{
    QTest::addColumn<QString>("file");     // the current file; empty: none
    QTest::addColumn<QString>("name");     // the record's settings name
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("saveAs");   // answer of the Save As dialog; empty: cancelled
    QTest::addColumn<bool>("saveSucceeds");
    QTest::addColumn<QString>("savedTo");  // empty: nothing saved
    QTest::addColumn<bool>("mayClose");
    const int yes = QMessageBox::Yes;
    QTest::newRow("not modified") << "Current" << "Current" << false << yes << "" << true << "" << true;
    QTest::newRow("own file: saved to it") << "Current" << "Current" << true << yes << "" << true << "Current" << true;
    QTest::newRow("own file: save fails") << "Current" << "Current" << true << yes << "" << false << "Current" << false;
    QTest::newRow("no file: Save As") << "" << "default" << true << yes << "Mine" << true << "Mine" << true;
    QTest::newRow("no file: Save As cancelled") << "" << "default" << true << yes << "" << true << "" << false;
    // A shipped demo file is never written over: Yes goes to Save As.
    QTest::newRow("demo file: Save As") << "Demo_Plate_gray" << "Demo_Plate_gray" << true << yes << "Mine" << true
                                        << "Mine" << true;
    QTest::newRow("no: edits dropped") << "" << "Demo_Plate_gray" << true << int(QMessageBox::No) << "" << true << ""
                                       << true;
    QTest::newRow("cancel: edits kept") << "Current" << "Current" << true << int(QMessageBox::Cancel) << "" << true
                                        << "" << false;
}

// The question before the program ends covers every modified record, also one bound to no
// file of its own, and its Cancel or a save that did not happen keeps the window open.
void tst_ColonySettingsGuiFiles::offerBeforeTheWindowCloses()
{
    QFETCH(QString, file);
    QFETCH(QString, name);
    QFETCH(bool, modified);
    QFETCH(int, answer);
    QFETCH(QString, saveAs);
    QFETCH(bool, saveSucceeds);
    QFETCH(QString, savedTo);
    QFETCH(bool, mayClose);
    QTemporaryDir dir;
    auto path = [&dir](const QString& base) {
        return base.isEmpty() ? QString() : dir.filePath(base + ColonySettings::fileExtension());
    };
    Editor fixture;
    fixture.host.fileName = path(file);
    fixture.host.saveSucceeds = saveSucceeds;
    fixture.settings.name = name;
    if (modified)
        markModified(fixture);
    fixture.script.answers = {QMessageBox::StandardButton(answer)};
    fixture.script.fileAnswers = {path(saveAs)};

    QCOMPARE(fixture.editor->askSaveModifiedBeforeClose(), mayClose);

    if (!modified) {
        QVERIFY(fixture.script.boxes.isEmpty());
        return;
    }
    const MessageBox_Helper::Request& question = fixture.script.boxes.first();
    QCOMPARE(question.title, QStringLiteral("Save"));
    QCOMPARE(question.text, QStringLiteral("Save modified colony settings \"%1\" ?").arg(name));
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(question.defaultButton, QMessageBox::Yes);
    QStringList saves;
    for (const QString& call : fixture.host.calls)
        if (call.startsWith(QLatin1String("save:")))
            saves.append(call);
    QCOMPARE(saves, savedTo.isEmpty() ? QStringList() : QStringList{QStringLiteral("save:") + path(savedTo)});
    QCOMPARE(QFileInfo::exists(path(savedTo)), saveSucceeds && !savedTo.isEmpty());
    // Kept edits stay marked; saved or dropped ones do not.
    QCOMPARE(fixture.editor->isModified(), !mayClose);
}

void tst_ColonySettingsGuiFiles::visibilityReachesTheHost()
{
    Editor fixture;
    fixture.dock.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fixture.dock));
    fixture.editor->hide();
    QCOMPARE(fixture.host.actionsChecked, QList<bool>({true, false}));
}

QTEST_MAIN(tst_ColonySettingsGuiFiles)
#include "tst_ColonySettingsGuiFiles.moc"
