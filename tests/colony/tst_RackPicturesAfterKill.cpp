// Racks saved with their pictures, the saving process killed at seeded random instants after
// its answers (saves at once and in the background by turns) and at each step of a save: after
// the next open every stored rack has its own picture, pixel for pixel, no picture lies there
// without its rack, and no private file or plan is left. A second process that opens the
// database while the first saves takes nothing of the first's work.

#include "ColonyAnalyserGuiFixture.h"
#include "SaverUnderKill.h"

#include "ColonyRackRecord.h"
#include "ColonyResultSave.h"
#include "DatabaseTableZelvorinPicturePlan.h"
#include "DatabaseTableZelvorinRack.h"
#include "Halcon_AsynchronImageSave.h"
#include "Halcon_Helper.h"
#include "Halcon_PictureSpool.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QtTest>

#include <random>

using namespace ColonyAnalyserGuiFixture;

namespace {

// The child that saves racks until it is killed: folder, first rack number.
const char* const kSaverSwitch = "--rack-saver";
// The child that saves rack 1, then dies at a step of saving rack 2: folder, "direct" or
// "background", the step.
const char* const kStepSwitch = "--rack-saver-dying-at";
// The child that saves racks one after the other, at once and in the background by turns, and
// ends by itself: folder, count.
const char* const kBesideSwitch = "--rack-saver-beside";

// Each rack its own pixels, so a picture under another rack's name shows.
Halcon::Hobject rackPicture(int number)
{
    return HalconTestPictures::grayImage(96, 64, [number](int row, int column) { return (row * 3 + column * 5 + number * 11) % 256; });
}

// Saves numbered racks one after the other, one for each save the test asks for.
int runRackSaver(const QString& folder, int firstNumber)
{
    RecordingErrorHandler handler;
    ApplicationDatabase database(&handler, QStringLiteral("saver"));
    AppSettings appSettings;
    appSettings.database = DatabaseTestSupport::sqliteSettingsIn(folder);
    appSettings.setChangedBlocked(true);
    if (database.openDatabase(appSettings.database) != 0)
        return 1;
    ColonySettings colonySettings;
    colonySettings.data() = ColonySettingsData::standardDefaults();
    colonySettings.setChangedBlocked(true);
    ColonyAnalyserGui page(&database, &appSettings, [] { return QStringLiteral("<camera/>"); }, &colonySettings);
    QFile input;
    for (int number = firstNumber; SaverUnderKill::nextSaveAsked(input); ++number) {
        reportRack(page, rackPicture(number));
        int rackId = -1;
        // Even numbers in the background, odd ones written at once.
        const Errors::Type_Error code =
            page.SaveResult(number % 2 == 0, QStringLiteral("K%1").arg(number), QString(), -1, rackId);
        if (code != 0) {
            SaverUnderKill::say("failed " + QByteArray::number(code));
            return 1;
        }
        SaverUnderKill::sayAnswer(number, rackId);
    }
    return 0;
}

ColonyRackRecord rackOf(int number)
{
    ColonyRackRecord rack;
    rack.picture = rackPicture(number);
    rack.row.RackBarcode = QStringLiteral("K%1").arg(number);
    rack.row.XMLColonySettings = QStringLiteral("<ColonySettings/>");
    rack.containers.push_back(std::make_unique<ColonyRackRecord::Container>());
    rack.containers.back()->row.ContainerNumber = 1;
    rack.containers.back()->colonies.push_back(std::make_unique<ColonyRackRecord::Colony>());
    return rack;
}

// A new database "results.db3" with its picture folder in dir; its settings.
AppSettings::DatabaseSettings makeDatabase(const QTemporaryDir& dir, bool& made)
{
    const AppSettings::DatabaseSettings settings = DatabaseTestSupport::sqliteSettingsIn(dir.path());
    made = QDir().mkpath(settings.PicturePath)
        && DatabaseTestSupport::createDatabase(dir, QFileInfo(settings.SQLite3.Filename).fileName())->createResult == 0;
    return settings;
}

int runDyingSaver(const QString& folder, bool background, const QByteArray& step)
{
    RecordingErrorHandler handler;
    ApplicationDatabase database(&handler, QStringLiteral("saver"));
    const AppSettings::DatabaseSettings settings = DatabaseTestSupport::sqliteSettingsIn(folder);
    if (database.openDatabase(settings) != 0)
        return 1;
    Halcon_AsynchronImageSave writer;
    for (int number = 1; number <= 2; ++number) {
        if (number == 2)
            SaverUnderKill::dieAtStep(step);
        ColonyRackRecord rack = rackOf(number);
        const Errors::Type_Error code =
            ColonyResultSave::save(rack, &database, background ? &writer : nullptr, settings.PicturePath);
        if (code != 0) {
            SaverUnderKill::say("failed " + QByteArray::number(code));
            return 1;
        }
        SaverUnderKill::sayAnswer(number, rack.row.RackID);
        if (!SaverUnderKill::waitUntilWritten(writer))
            return 1;
    }
    // The step never came.
    return 2;
}

int runSaverBeside(const QString& folder, int count)
{
    RecordingErrorHandler handler;
    ApplicationDatabase database(&handler, QStringLiteral("saver"));
    const AppSettings::DatabaseSettings settings = DatabaseTestSupport::sqliteSettingsIn(folder);
    if (database.openDatabase(settings) != 0)
        return 1;
    Halcon_AsynchronImageSave writer;
    for (int number = 1; number <= count; ++number) {
        ColonyRackRecord rack = rackOf(number);
        // A save that meets the other process's lock is refused and says so; nothing is lost.
        const Errors::Type_Error code =
            ColonyResultSave::save(rack, &database, number % 2 == 0 ? &writer : nullptr, settings.PicturePath);
        SaverUnderKill::say(code == 0 ? "saved " + QByteArray::number(number) + ' ' + QByteArray::number(rack.row.RackID)
                                      : "failed " + QByteArray::number(number));
    }
    return SaverUnderKill::waitUntilWritten(writer) ? 0 : 1;
}

// What the next start finds: every rack has its own picture and every file of the folder is
// a picture a rack names; no plan is left. The racks' numbers by key.
void checkFolderAfterOpen(const AppSettings::DatabaseSettings& settings, QHash<Database::ID, int>& racks)
{
    racks.clear();
    RecordingErrorHandler handler;
    ApplicationDatabase database(&handler, QStringLiteral("restart"));
    QCOMPARE(database.openDatabase(settings), Errors::Type_Error(0));
    QList<Database::ID> stored;
    bool more = false;
    QCOMPARE(database.tableRack()->SelectIdsByBarcode(QString(), -1, stored, more), Errors::Type_Error(0));
    QStringList named;
    for (const Database::ID rackId : std::as_const(stored)) {
        DatabaseTableZelvorinRack::Dataset rack;
        QCOMPARE(database.tableRack()->Select(rackId, rack), Errors::Type_Error(0));
        const int number = rack.RackBarcode.mid(1).toInt();
        Halcon::Hobject loaded;
        QVERIFY2(Halcon_Helper::LoadImageFile(rack.PictureFilePath, loaded) == 0, qPrintable(rack.RackBarcode));
        QVERIFY2(HalconTestPictures::maxPixelDifference(loaded, rackPicture(number)) == 0, qPrintable(rack.RackBarcode));
        named.append(QFileInfo(rack.PictureFilePath).fileName());
        racks.insert(rackId, number);
    }
    named.sort();
    QCOMPARE(QDir(settings.PicturePath).entryList(QDir::Files | QDir::Hidden, QDir::Name), named);
    QList<DatabaseTableZelvorinPicturePlan::Dataset> plans;
    QCOMPARE(database.tablePicturePlan()->SelectAll(plans), Errors::Type_Error(0));
    QCOMPARE(plans.size(), 0);
}

} // namespace

class tst_RackPicturesAfterKill : public QObject {
    Q_OBJECT
private slots:
    void everyStoredRackHasItsPicture();
    void killedAtEachStep_data();
    void killedAtEachStep();
    void anotherProcessOpeningTakesNothing();
};

void tst_RackPicturesAfterKill::everyStoredRackHasItsPicture()
{
    QTemporaryDir dir;
    bool made = false;
    const AppSettings::DatabaseSettings settings = makeDatabase(dir, made);
    QVERIFY(made);

    std::mt19937 random(20250611);
    constexpr int kKills = 16;
    QHash<int, Database::ID> answered;
    for (int kill = 0; kill < kKills; ++kill) {
        SaverUnderKill::Child saver(kSaverSwitch, {dir.path(), QString::number(kill * 1000 + 1)});
        QVERIFY(saver.started());
        QByteArray trouble;
        QVERIFY2(saver.killAfterRandomAnswers(
                     random, [&](qint32 key) { return ColonyAnalyserGui::rackPicturePath(settings.PicturePath, key); },
                     answered, trouble),
                 trouble.constData());

        // The next start: the database opened and what the kill left put right. Every stored
        // rack, also one whose answer the kill cut off, has its own picture, and the folder
        // holds nothing else.
        QHash<Database::ID, int> racks;
        checkFolderAfterOpen(settings, racks);
        if (QTest::currentTestFailed()) {
            qWarning("after kill %d", kill);
            return;
        }
        // An answer 0 is a stored rack.
        for (auto it = answered.cbegin(); it != answered.cend(); ++it)
            QVERIFY2(racks.value(it.value()) == it.key(), qPrintable(QString::number(it.key())));
    }
    QVERIFY(answered.size() >= kKills);
}

void tst_RackPicturesAfterKill::killedAtEachStep_data()
{
    QTest::addColumn<bool>("background");
    QTest::addColumn<QByteArray>("step");
    QTest::addColumn<bool>("stored"); // rack 2 is stored after the next open
    for (const bool background : {false, true}) {
        const char* mode = background ? "background" : "at once";
        QTest::addRow("%s, plan recorded", mode) << background << QByteArray("planned") << false;
        QTest::addRow("%s, private file written", mode) << background << QByteArray("written") << false;
        // The rows are written, the transaction open: the key would go to the next rack.
        QTest::addRow("%s, name recorded", mode) << background << QByteArray("placed") << false;
        QTest::addRow("%s, rows committed", mode) << background << QByteArray("committed") << true;
    }
    QTest::addRow("at once, picture named") << false << QByteArray("named") << true;
    QTest::addRow("background, picture encoded") << true << QByteArray("encoded") << true;
    QTest::addRow("background, spool removed") << true << QByteArray("unspooled") << true;
}

void tst_RackPicturesAfterKill::killedAtEachStep()
{
    QFETCH(bool, background);
    QFETCH(QByteArray, step);
    QFETCH(bool, stored);
    QTemporaryDir dir;
    bool made = false;
    const AppSettings::DatabaseSettings settings = makeDatabase(dir, made);
    QVERIFY(made);
    QByteArray said;
    QVERIFY(SaverUnderKill::runUntilKilled(
        kStepSwitch, {dir.path(), QLatin1String(background ? "background" : "direct"), QString::fromLatin1(step)}, said));
    QVERIFY2(said.startsWith("saved 1 1\n"), said.constData());

    QHash<Database::ID, int> racks;
    checkFolderAfterOpen(settings, racks);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(racks.value(1), 1);
    QCOMPARE(racks.size(), stored ? 2 : 1);

    // The next rack, whatever key it gets, shows its own picture: none of the killed save's.
    {
        RecordingErrorHandler handler;
        ApplicationDatabase database(&handler, QStringLiteral("next"));
        QCOMPARE(database.openDatabase(settings), Errors::Type_Error(0));
        ColonyRackRecord rack = rackOf(3);
        QCOMPARE(ColonyResultSave::save(rack, &database, nullptr, settings.PicturePath), Errors::Type_Error(0));
    }
    checkFolderAfterOpen(settings, racks);
    QCOMPARE(racks.size(), stored ? 3 : 2);
}

void tst_RackPicturesAfterKill::anotherProcessOpeningTakesNothing()
{
    // A server started by the bus beside a program already saving: its opens must leave the
    // first one's private files, spools and plans alone, committed or not.
    QTemporaryDir dir;
    bool made = false;
    const AppSettings::DatabaseSettings settings = makeDatabase(dir, made);
    QVERIFY(made);

    constexpr int kSaves = 20;
    QProcess saver;
    saver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    saver.start(QCoreApplication::applicationFilePath(),
                {QLatin1String(kBesideSwitch), dir.path(), QString::number(kSaves)});
    QVERIFY(saver.waitForStarted(60000));
    int opens = 0;
    while (saver.state() != QProcess::NotRunning) {
        RecordingErrorHandler handler;
        ApplicationDatabase database(&handler, QStringLiteral("beside-%1").arg(opens));
        // A moment when the saver holds the file may refuse this open; the next one comes.
        if (database.openDatabase(settings) == 0)
            ++opens;
        QTest::qWait(1);
    }
    QCOMPARE(saver.exitStatus(), QProcess::NormalExit);
    QCOMPARE(saver.exitCode(), 0);
    QVERIFY(opens > 0);

    QHash<int, Database::ID> answered;
    for (const QByteArray& line : saver.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 3 && parts.first() == "saved")
            answered.insert(parts.at(1).toInt(), parts.at(2).toInt());
    }
    QVERIFY(!answered.isEmpty());
    QHash<Database::ID, int> racks;
    checkFolderAfterOpen(settings, racks);
    for (auto it = answered.cbegin(); it != answered.cend(); ++it)
        QCOMPARE(racks.value(it.value()), it.key());
    QCOMPARE(racks.size(), answered.size());
    qInfo("%d of %d saves answered, %d opens beside them", int(answered.size()), kSaves, opens);
}

int main(int argc, char** argv)
{
    if (argc == 4 && qstrcmp(argv[1], kSaverSwitch) == 0) {
        QApplication app(argc, argv);
        return runRackSaver(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    }
    if (argc == 5 && qstrcmp(argv[1], kStepSwitch) == 0) {
        QApplication app(argc, argv);
        return runDyingSaver(QString::fromLocal8Bit(argv[2]), qstrcmp(argv[3], "background") == 0, argv[4]);
    }
    if (argc == 4 && qstrcmp(argv[1], kBesideSwitch) == 0) {
        QApplication app(argc, argv);
        return runSaverBeside(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    }
    QApplication app(argc, argv);
    tst_RackPicturesAfterKill test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_RackPicturesAfterKill.moc"
