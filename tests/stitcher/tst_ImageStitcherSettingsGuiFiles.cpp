#include "StitcherSettingsGuiFixture.h"

#include <QDoubleSpinBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using StitcherSettingsGuiFixture::Editor;

namespace {

ImageStitcherSettingsData storedData()
{
    ImageStitcherSettingsData data;
    data.DistanceCameraToCrossPlane = 300.25;
    data.ReferencePoints[3].Area2 = SearchAreaSettings(61, 22, 18, 19, -4.5);
    return data;
}

// A settings file with the values of storedData().
QString writeSettingsFile(const QTemporaryDir& dir, const QString& name)
{
    ImageStitcherSettings other;
    other.data() = storedData();
    const QString file = dir.filePath(name + ImageStitcherSettings::fileExtension());
    return other.saveToFile(file) ? file : QString();
}

void click(Editor& fixture, const char* button)
{
    fixture.widget<QPushButton>(QLatin1String(button))->click();
}

void markModified(Editor& fixture)
{
    fixture.widget<QDoubleSpinBox>(QStringLiteral("m_ImageStitcherDistancePointsPlaneToAgarPlane"))->setValue(-3.5);
    QVERIFY(fixture.editor->isModified());
    fixture.forgetNotices();
}

} // namespace

// Load, save, save-as and defaults of the stitcher settings editor through a recording host,
// with scripted boxes and file dialogs.
class tst_ImageStitcherSettingsGuiFiles : public QObject {
    Q_OBJECT
private slots:
    void init();
    void saveWithoutNameAsksForAFile();
    void saveUnderTheCurrentName();
    void failedSaveKeepsTheMark();
    void cancelledDialogChangesNothing_data();
    void cancelledDialogChangesNothing();
    void loadReplacesTheShownValues();
    void refusedLoadIsReported();
    void loadOffersToSaveFirst_data();
    void loadOffersToSaveFirst();
    void defaults_data();
    void defaults();
    void closingOffersToSave();

private:
    std::unique_ptr<QTemporaryDir> m_folder;
};

void tst_ImageStitcherSettingsGuiFiles::init()
{
    // A fresh folder per case: what one case saved must not answer for the next.
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
}

void tst_ImageStitcherSettingsGuiFiles::saveWithoutNameAsksForAFile()
{
    Editor fixture;
    markModified(fixture);
    const QString file = m_folder->filePath(QStringLiteral("Chosen.ImageStitcherSettings"));
    fixture.script.fileAnswers = {file};

    click(fixture, "m_SettingsSave");
    QCOMPARE(fixture.script.files.size(), 1);
    const MessageBox_Helper::FileRequest& request = fixture.script.files.first();
    QCOMPARE(request.kind, MessageBox_Helper::FileRequest::SaveFile);
    QCOMPARE(request.caption, QStringLiteral("Save image stitcher settings ..."));
    QCOMPARE(request.directory, ImageStitcherSettings::settingsFolder());
    QCOMPARE(request.filter, QStringLiteral("Image stitcher settings (*.ImageStitcherSettings)"));
    QCOMPARE(fixture.host.calls, QStringList({QStringLiteral("save:") + file}));
    QVERIFY(QFile::exists(file));
    QVERIFY(!fixture.editor->isModified());
    QCOMPARE(fixture.dock.windowTitle(), QStringLiteral(" Image Stitcher Settings \"Chosen\""));
    QVERIFY(fixture.script.boxes.isEmpty());
}

void tst_ImageStitcherSettingsGuiFiles::saveUnderTheCurrentName()
{
    Editor fixture;
    fixture.host.fileName = m_folder->filePath(QStringLiteral("Current.ImageStitcherSettings"));
    markModified(fixture);
    click(fixture, "m_SettingsSave");
    QVERIFY(fixture.script.files.isEmpty());
    QCOMPARE(fixture.host.calls, QStringList({QStringLiteral("save:") + fixture.host.fileName}));
    QVERIFY(!fixture.editor->isModified());
}

void tst_ImageStitcherSettingsGuiFiles::failedSaveKeepsTheMark()
{
    Editor fixture;
    fixture.host.fileName = m_folder->filePath(QStringLiteral("Current.ImageStitcherSettings"));
    fixture.host.saveSucceeds = false;
    markModified(fixture);
    click(fixture, "m_SettingsSave");
    QCOMPARE(fixture.script.titles(), QStringList({"Save error!"}));
    QCOMPARE(fixture.script.boxes.first().text,
             QStringLiteral("Cannot save the image stitcher settings to \"Current\"!"));
    QVERIFY(fixture.editor->isModified());
}

void tst_ImageStitcherSettingsGuiFiles::cancelledDialogChangesNothing_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("save as") << "m_SettingsSaveAs";
    QTest::newRow("load") << "m_SettingsLoad";
}

void tst_ImageStitcherSettingsGuiFiles::cancelledDialogChangesNothing()
{
    QFETCH(QString, button);
    Editor fixture(storedData());
    const ImageStitcherSettingsData before = fixture.settings.data();
    click(fixture, qPrintable(button));
    QCOMPARE(fixture.script.files.size(), 1);
    QVERIFY(fixture.host.calls.isEmpty());
    QVERIFY(fixture.script.boxes.isEmpty());
    QCOMPARE(fixture.settings.data(), before);
}

void tst_ImageStitcherSettingsGuiFiles::loadReplacesTheShownValues()
{
    const QString file = writeSettingsFile(*m_folder, QStringLiteral("Stored"));
    QVERIFY(!file.isEmpty());
    Editor fixture;
    fixture.script.fileAnswers = {file};

    click(fixture, "m_SettingsLoad");
    QCOMPARE(fixture.script.files.first().kind, MessageBox_Helper::FileRequest::OpenFile);
    QCOMPARE(fixture.script.files.first().caption, QStringLiteral("Load image stitcher settings ..."));
    QCOMPARE(fixture.host.calls, QStringList({QStringLiteral("load:") + file}));
    QVERIFY(fixture.script.boxes.isEmpty());
    QCOMPARE(fixture.settings.data().ReferencePoints, storedData().ReferencePoints);
    QCOMPARE(fixture.widget<QDoubleSpinBox>(QStringLiteral("m_ImageStitcherDistanceCameraToCrossPlane"))->value(),
             300.25);
    SearchAreaGui* area = fixture.editor->searchAreaGui(7); // picture 4, point 2
    QCOMPARE(StitcherSettingsGuiFixture::areaBox(area, "Angle")->value(), -4.5);
    QVERIFY(!fixture.editor->isModified());
    QCOMPARE(fixture.dock.windowTitle(), QStringLiteral(" Image Stitcher Settings \"Stored\""));
}

void tst_ImageStitcherSettingsGuiFiles::refusedLoadIsReported()
{
    const QString file = m_folder->filePath(QStringLiteral("Damaged.ImageStitcherSettings"));
    QFile damaged(file);
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("<ImageStitcherSettings><Name>");
    damaged.close();
    Editor fixture(storedData());
    const ImageStitcherSettingsData before = fixture.settings.data();
    fixture.script.fileAnswers = {file};

    click(fixture, "m_SettingsLoad");
    QCOMPARE(fixture.script.titles(), QStringList({"Load error!"}));
    QVERIFY(fixture.script.boxes.first().text.startsWith(
        QStringLiteral("Cannot load the image stitcher settings from \"Damaged\"!\nError: ")));
    QCOMPARE(fixture.settings.data(), before);
}

void tst_ImageStitcherSettingsGuiFiles::loadOffersToSaveFirst_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("saveSucceeds");
    QTest::addColumn<QStringList>("calls"); // with %1 the current file, %2 the loaded one
    QTest::addColumn<bool>("loaded");
    QTest::newRow("declined") << int(QMessageBox::No) << true << QStringList({"load:%2"}) << true;
    QTest::newRow("saved") << int(QMessageBox::Yes) << true << QStringList({"save:%1", "load:%2"}) << true;
    // The operator's changes are kept rather than lost to the load.
    QTest::newRow("save failed") << int(QMessageBox::Yes) << false << QStringList({"save:%1"}) << false;
}

void tst_ImageStitcherSettingsGuiFiles::loadOffersToSaveFirst()
{
    QFETCH(int, answer);
    QFETCH(bool, saveSucceeds);
    QFETCH(QStringList, calls);
    QFETCH(bool, loaded);
    const QString loadFile = writeSettingsFile(*m_folder, QStringLiteral("Stored"));
    QVERIFY(!loadFile.isEmpty());
    const QString current = m_folder->filePath(QStringLiteral("Current.ImageStitcherSettings"));
    Editor fixture;
    fixture.host.fileName = current;
    fixture.host.saveSucceeds = saveSucceeds;
    markModified(fixture);
    const ImageStitcherSettingsData edited = fixture.settings.data();
    fixture.script.answers = {QMessageBox::StandardButton(answer)};
    fixture.script.fileAnswers = {loadFile};

    click(fixture, "m_SettingsLoad");
    QCOMPARE(fixture.script.boxes.first().title, QStringLiteral("Save"));
    QCOMPARE(fixture.script.boxes.first().text, QStringLiteral("Save modified image stitcher settings \"Current\" ?"));
    QStringList expected;
    for (const QString& call : calls)
        expected << QString(call).replace(QStringLiteral("%1"), current).replace(QStringLiteral("%2"), loadFile);
    QCOMPARE(fixture.host.calls, expected);
    QCOMPARE(fixture.settings.data().DistanceCameraToCrossPlane, loaded ? 300.25 : edited.DistanceCameraToCrossPlane);
    QCOMPARE(fixture.editor->isModified(), !loaded);
    QCOMPARE(QFile::exists(current), answer == QMessageBox::Yes && saveSucceeds);
}

void tst_ImageStitcherSettingsGuiFiles::defaults_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("succeeds");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("declined") << int(QMessageBox::No) << true << QStringList({"Image stitcher default settings"})
                              << false;
    QTest::newRow("accepted") << int(QMessageBox::Yes) << true << QStringList({"Image stitcher default settings"})
                              << true;
    QTest::newRow("refused") << int(QMessageBox::Yes) << false
                             << QStringList({"Image stitcher default settings", "Default error!"}) << false;
}

void tst_ImageStitcherSettingsGuiFiles::defaults()
{
    QFETCH(int, answer);
    QFETCH(bool, succeeds);
    QFETCH(QStringList, titles);
    QFETCH(bool, replaced);
    Editor fixture(storedData());
    fixture.host.fileName = QStringLiteral("Tray.ImageStitcherSettings");
    fixture.host.defaultsSucceed = succeeds;
    fixture.script.answers = {QMessageBox::StandardButton(answer)};

    click(fixture, "m_SettingsSetDefaults");
    QCOMPARE(fixture.script.titles(), titles);
    QCOMPARE(fixture.script.boxes.first().defaultButton, QMessageBox::No);
    QCOMPARE(fixture.settings.data() == StitcherSettingsGuiFixture::shownDefaults(), replaced);
    // Defaults are unsaved changes.
    QCOMPARE(fixture.editor->isModified(), replaced);
    if (replaced) {
        QCOMPARE(fixture.host.calls, QStringList({"new:Tray.ImageStitcherSettings"}));
        QCOMPARE(fixture.widget<QDoubleSpinBox>(QStringLiteral("m_ImageStitcherDistanceCameraToCrossPlane"))->value(),
                 ImageStitcherSettingsData().DistanceCameraToCrossPlane);
    }
}

void tst_ImageStitcherSettingsGuiFiles::closingOffersToSave()
{
    Editor fixture;
    fixture.host.fileName = m_folder->filePath(QStringLiteral("Current.ImageStitcherSettings"));
    markModified(fixture);
    fixture.script.answers = {QMessageBox::No};
    fixture.editor->close();
    QCOMPARE(fixture.script.titles(), QStringList({"Save"}));
    QVERIFY(fixture.host.calls.isEmpty());
    QCOMPARE(fixture.dock.windowTitle(), QStringLiteral(" Image Stitcher Settings \"Current\""));
}

QTEST_MAIN(tst_ImageStitcherSettingsGuiFiles)
#include "tst_ImageStitcherSettingsGuiFiles.moc"
