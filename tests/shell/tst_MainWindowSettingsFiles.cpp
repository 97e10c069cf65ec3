#include "Camera.h"
#include "CameraOperations.h"
#include "Camera_Settings.h"
#include "ColonySettingsGui.h"
#include "MainWindowFixture.h"

#include <QtTest>

#include <memory>

using namespace MainWindowFixture;

// The colony and camera settings files behind the window: names from automation clients,
// loading, saving and resetting the one colony settings record with its announcements, and
// the offer to save modified settings before they are replaced.
class tst_MainWindowSettingsFiles : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void hostileNamesAreRefused_data();
    void hostileNamesAreRefused();
    void namesLieInTheirFolders_data();
    void namesLieInTheirFolders();
    void theCurrentFileIsNotReadAgain();
    void failedLoadKeepsRecordAndFileName();
    void loadAnnouncesTheReplacement_data();
    void loadAnnouncesTheReplacement();
    void offerToSaveBeforeALoad_data();
    void offerToSaveBeforeALoad();
    void aWantedSaveThatFailsKeepsTheSettings();
    void defaultsKeepTheFileName_data();
    void defaultsKeepTheFileName();
    void saveMakesTheFileCurrent();

private:
    QList<int> customCodes(const QList<QList<QVariant>>& spy) const;

    std::unique_ptr<ProgramFolder> m_folder;
    Answers m_answers;
    std::unique_ptr<WindowUnderTest> m_test;
    MainWindowGui* m_window = nullptr;
};

void tst_MainWindowSettingsFiles::init()
{
    m_folder = std::make_unique<ProgramFolder>(ShippedSettings);
    QVERIFY(m_folder->isValid());
    m_answers = Answers();
    m_test = std::make_unique<WindowUnderTest>(true, m_answers);
    m_window = &m_test->make();
}

void tst_MainWindowSettingsFiles::cleanup()
{
    m_window = nullptr;
    m_test.reset();
    m_folder.reset();
}

QList<int> tst_MainWindowSettingsFiles::customCodes(const QList<QList<QVariant>>& spy) const
{
    QList<int> codes;
    for (const QList<QVariant>& call : spy)
        codes << call.at(0).toInt();
    return codes;
}

void tst_MainWindowSettingsFiles::hostileNamesAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("parent folder") << "../settings/Colony/default";
    QTest::newRow("sub folder") << "Colony/default";
    QTest::newRow("backslash") << "..\\default";
    QTest::newRow("demo prefix then a path") << "Demo_/../../default";
    QTest::newRow("absolute path") << "/tmp/default";
    QTest::newRow("dots only") << "..";
    QTest::newRow("one dot") << ".";
    QTest::newRow("control character") << "default\n";
    QTest::newRow("NUL") << QStringLiteral("default") + QChar(0) + QStringLiteral("x");
}

// A client names settings; it never points at files anywhere on the disk.
void tst_MainWindowSettingsFiles::hostileNamesAreRefused()
{
    QFETCH(QString, name);
    const ColonySettingsData before = m_window->colonySettings()->data();
    const QString colonyFile = m_window->colonySettingsFileName();
    const QString cameraFile = m_window->cameraOperations()->settingsFileName();
    QSignalSpy custom(m_window->colonySettings(), &ColonySettings::signal_custom);

    QCOMPARE(m_window->AnalyseColonies_Start(name), Errors::Type_Error(104));
    QCOMPARE(m_window->Camera_Open(name), Errors::Type_Error(104));

    QVERIFY(m_window->colonySettings()->data() == before);
    QCOMPARE(m_window->colonySettingsFileName(), colonyFile);
    QCOMPARE(m_window->cameraOperations()->settingsFileName(), cameraFile);
    QVERIFY(!m_window->camera()->IsOpen());
    QCOMPARE(custom.count(), 0);
}

void tst_MainWindowSettingsFiles::namesLieInTheirFolders_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("result"); // 15: loaded, then no camera picture to analyse
    QTest::addColumn<QString>("fileName");
    QTest::newRow("demo name") << "Demo_Plate_gray" << 15
                               << "settings/ColonyDemo/Demo_Plate_gray.ColonySettings";
    QTest::newRow("plain name") << "default" << 15 << "settings/Colony/default.ColonySettings";
    // Only "Demo_" with a capital D is a demo name.
    QTest::newRow("small d is no demo") << "demo_Plate_gray" << 150 << "settings/Colony/default.ColonySettings";
    // The extension is appended in any case.
    QTest::newRow("name with its extension") << "default.ColonySettings" << 150
                                             << "settings/Colony/default.ColonySettings";
}

void tst_MainWindowSettingsFiles::namesLieInTheirFolders()
{
    QFETCH(QString, name);
    QFETCH(int, result);
    QFETCH(QString, fileName);
    QVERIFY(m_window->newColonySettings(true, QStringLiteral("elsewhere.ColonySettings"), false));
    if (result == 150)
        QCOMPARE(m_window->loadColonySettings(ColonySettings::defaultFilePath(), false), Errors::Type_Error(0));
    QCOMPARE(int(m_window->AnalyseColonies_Start(name)), result);
    QCOMPARE(m_window->colonySettingsFileName(), fileName);
}

void tst_MainWindowSettingsFiles::theCurrentFileIsNotReadAgain()
{
    const QString file = QStringLiteral("settings/Colony/Plate.ColonySettings");
    QVERIFY(QFile::copy(ColonySettings::defaultFilePath(), file));
    QCOMPARE(m_window->AnalyseColonies_Start(QStringLiteral("Plate")), Errors::Type_Error(15));
    QCOMPARE(m_window->colonySettingsFileName(), file);
    m_window->colonySettings()->Colony.AreaMin = 0.75;
    ColonySettings other;
    other.Colony.AreaMin = 0.25;
    QVERIFY(other.saveToFile(file));

    QCOMPARE(m_window->AnalyseColonies_Start(QStringLiteral("Plate")), Errors::Type_Error(15));
    QCOMPARE(m_window->colonySettings()->Colony.AreaMin, 0.75);
}

void tst_MainWindowSettingsFiles::failedLoadKeepsRecordAndFileName()
{
    QVERIFY(writeFile(QStringLiteral("settings/Colony/Damaged.ColonySettings"), "<?xml version='1.0' ?><ColonySettings>"));
    m_window->colonySettings()->Colony.AreaMin = 0.5;
    const ColonySettingsData before = m_window->colonySettings()->data();
    const QString fileName = m_window->colonySettingsFileName();
    QSignalSpy custom(m_window->colonySettings(), &ColonySettings::signal_custom);

    QCOMPARE(m_window->AnalyseColonies_Start(QStringLiteral("Damaged")), Errors::Type_Error(150));
    QCOMPARE(m_window->loadColonySettings(QStringLiteral("settings/Colony/Absent"), true), Errors::Type_Error(150));

    QVERIFY(m_window->colonySettings()->data() == before);
    QCOMPARE(m_window->colonySettingsFileName(), fileName);
    QCOMPARE(custom.count(), 0);
    // Change notices are not left blocked.
    QSignalSpy changed(m_window->colonySettings(), &Settings_Change_Helper::signal_changed);
    m_window->colonySettings()->setChanged(-1);
    QCOMPARE(changed.count(), 1);
}

void tst_MainWindowSettingsFiles::loadAnnouncesTheReplacement_data()
{
    QTest::addColumn<bool>("notify");
    QTest::newRow("with change notice") << true;
    QTest::newRow("without change notice") << false;
}

void tst_MainWindowSettingsFiles::loadAnnouncesTheReplacement()
{
    QFETCH(bool, notify);
    QSignalSpy custom(m_window->colonySettings(), &ColonySettings::signal_custom);
    QSignalSpy changed(m_window->colonySettings(), &Settings_Change_Helper::signal_changed);
    const QString demo = QStringLiteral("settings/ColonyDemo/Demo_PetriPlate_gray.ColonySettings");
    QCOMPARE(m_window->loadColonySettings(demo, notify), Errors::Type_Error(0));
    QCOMPARE(m_window->colonySettings()->name, QStringLiteral("Demo_PetriPlate_gray"));
    QCOMPARE(m_window->colonySettingsFileName(), demo);
    QCOMPARE(customCodes(custom), (QList<int>{1, 2, 3, 20}));
    QCOMPARE(custom.at(1).at(1), QVariant(false));
    QCOMPARE(custom.at(2).at(1), QVariant(false));
    if (notify)
        QVERIFY(changed.wait(5000));
    else
        QVERIFY(!changed.wait(1000));
    QCOMPARE(changed.count(), notify ? 1 : 0);
}

void tst_MainWindowSettingsFiles::offerToSaveBeforeALoad_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("settings from a file") << ColonySettings::defaultFilePath() << QStringList{"Save"};
    // Demo settings are never saved over their demo file.
    QTest::newRow("demo settings") << QStringLiteral("settings/ColonyDemo/Demo_Plate_gray.ColonySettings")
                                   << QStringList{};
}

void tst_MainWindowSettingsFiles::offerToSaveBeforeALoad()
{
    QFETCH(QString, current);
    QFETCH(QStringList, boxes);
    m_answers.boxAnswer = QMessageBox::No;
    QCOMPARE(m_window->loadColonySettings(current, false), Errors::Type_Error(0));
    m_window->colonySettings()->Colony.AreaMin += 0.1;
    m_window->colonySettingsGui()->notifySettingsEdited();
    QVERIFY(m_window->colonySettingsGui()->isModified());
    m_answers.boxes.clear();

    QCOMPARE(m_window->AnalyseColonies_Start(QStringLiteral("Demo_PetriPlate_gray")), Errors::Type_Error(15));
    QCOMPARE(m_answers.titles(), boxes);
    QCOMPARE(m_window->colonySettings()->name, QStringLiteral("Demo_PetriPlate_gray"));
}

// The operator wanted the modified settings kept in a file, and that did not work: they stay.
void tst_MainWindowSettingsFiles::aWantedSaveThatFailsKeepsTheSettings()
{
    ColonySettings stored;
    stored.name = QStringLiteral("Mine");
    stored.Colony.AreaMin = 0.4;
    QCOMPARE(m_window->setColonySettingsFromData(stored.data(), QStringLiteral("no-such-folder/Mine.ColonySettings"),
                                                 false),
             Errors::Type_Error(0));
    m_window->colonySettings()->Colony.AreaMin = 0.6;
    m_window->colonySettingsGui()->notifySettingsEdited();
    m_answers.boxAnswer = QMessageBox::Yes;
    m_answers.boxes.clear();

    QCOMPARE(m_window->AnalyseColonies_Start(QStringLiteral("Demo_Plate_gray")), Errors::Type_Error(150));
    QCOMPARE(m_answers.titles(), (QStringList{"Save", "Save error!"}));
    QCOMPARE(m_window->colonySettings()->name, QStringLiteral("Mine"));
    QCOMPARE(m_window->colonySettings()->Colony.AreaMin, 0.6);
    QCOMPARE(m_window->colonySettingsFileName(), QStringLiteral("no-such-folder/Mine.ColonySettings"));
}

void tst_MainWindowSettingsFiles::defaultsKeepTheFileName_data()
{
    QTest::addColumn<bool>("lightTable");
    QTest::newRow("standard") << false;
    QTest::newRow("light table") << true;
}

void tst_MainWindowSettingsFiles::defaultsKeepTheFileName()
{
    QFETCH(bool, lightTable);
    m_window->colonySettings()->Colony.AreaMin = 0.9;
    QSignalSpy custom(m_window->colonySettings(), &ColonySettings::signal_custom);
    QSignalSpy changed(m_window->colonySettings(), &Settings_Change_Helper::signal_changed);
    QVERIFY(m_window->newColonySettings(lightTable, QStringLiteral("settings/Colony/Kept.ColonySettings"), true));
    QCOMPARE(m_window->colonySettingsFileName(), QStringLiteral("settings/Colony/Kept.ColonySettings"));
    ColonySettings expected;
    if (lightTable)
        expected.setDefaultsLightTable();
    else
        expected.setDefaults();
    QVERIFY(m_window->colonySettings()->data() == expected.data());
    // A reset is no load: no focus code 20.
    QCOMPARE(customCodes(custom), (QList<int>{1, 2, 3}));
    QVERIFY(changed.wait(5000));
}

void tst_MainWindowSettingsFiles::saveMakesTheFileCurrent()
{
    const QString file = QStringLiteral("settings/Colony/Saved.ColonySettings");
    QVERIFY(m_window->saveColonySettings(file));
    QCOMPARE(m_window->colonySettingsFileName(), file);
    QVERIFY(QFileInfo::exists(file));
    QVERIFY(!m_window->saveColonySettings(QStringLiteral("no-such-folder/Other.ColonySettings")));
    QCOMPARE(m_window->colonySettingsFileName(), file);
}

QTEST_MAIN(tst_MainWindowSettingsFiles)
#include "tst_MainWindowSettingsFiles.moc"
