// Stitcher results saved with their pictures, in the background and at once, the saving
// process killed at seeded random instants and at steps of a save: after the next open every
// stored result has its stitched and position pictures, pixel for pixel, and the picture
// folder holds no spool, no private file and no stitcher picture that no row names.

#include "../database/DatabaseTestSupport.h"
#include "SaverUnderKill.h"
#include "StitcherResultFixture.h"

#include <DatabaseTableZelvorinImageStitcher.h>
#include <DatabaseTableZelvorinImageStitcherPicture.h>
#include <Halcon_AsynchronImageSave.h>
#include <Halcon_Helper.h>
#include <ResultPictureNames.h>
#include <StitcherResultSave.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QtTest>

#include <random>

using DatabaseTestSupport::RecordingErrorHandler;

namespace {

// The child that saves stitcher results until it is killed: folder, first result number.
const char* const kSaverSwitch = "--stitcher-saver";
// The child that saves result 1, then dies at the first time a step of saving result 2 comes:
// folder, "direct" or "background", the step.
const char* const kStepSwitch = "--stitcher-saver-dying-at";

// Result number with all its pictures.
Errors::Type_Error saveResult(ApplicationDatabase& database, Halcon_AsynchronImageSave& writer, const QString& folder,
                              int number, bool background, Database::ID& id)
{
    StitcherResult result = StitcherResultFixture::makeResult(number);
    StitcherResultSave::Options options;
    options.asynchronPictureSave = background;
    options.rackBarcode = QStringLiteral("S%1").arg(number);
    options.saveInputPictures = true;
    options.saveOutputPicture = true;
    return StitcherResultSave(&database, &writer, folder).save(result, 0, options, id);
}

// One result for each save the test asks for, even numbers in the background, odd ones at once.
int runStitcherSaver(const QString& folder, int firstNumber)
{
    const AppSettings::DatabaseSettings settings = DatabaseTestSupport::sqliteSettingsIn(folder);
    RecordingErrorHandler handler;
    ApplicationDatabase database(&handler, QStringLiteral("saver"));
    if (database.openDatabase(settings) != 0)
        return 1;
    Halcon_AsynchronImageSave writer;
    QFile input;
    for (int number = firstNumber; SaverUnderKill::nextSaveAsked(input); ++number) {
        Database::ID id = -1;
        const Errors::Type_Error code = saveResult(database, writer, settings.PicturePath, number, number % 2 == 0, id);
        if (code != 0) {
            SaverUnderKill::say("failed " + QByteArray::number(code));
            return 1;
        }
        SaverUnderKill::sayAnswer(number, id);
    }
    return 0;
}

int runDyingSaver(const QString& folder, bool background, const QByteArray& step)
{
    const AppSettings::DatabaseSettings settings = DatabaseTestSupport::sqliteSettingsIn(folder);
    RecordingErrorHandler handler;
    ApplicationDatabase database(&handler, QStringLiteral("saver"));
    if (database.openDatabase(settings) != 0)
        return 1;
    Halcon_AsynchronImageSave writer;
    for (int number = 1; number <= 2; ++number) {
        if (number == 2)
            SaverUnderKill::dieAtStep(step);
        Database::ID id = -1;
        if (saveResult(database, writer, settings.PicturePath, number, background, id) != 0)
            return 1;
        SaverUnderKill::sayAnswer(number, id);
        if (!SaverUnderKill::waitUntilWritten(writer))
            return 1;
    }
    return 2;
}

bool pictureIs(const QString& file, const Halcon::Hobject& expected)
{
    Halcon::Hobject loaded;
    return Halcon_Helper::LoadImageFile(file, loaded) == 0 && HalconTestPictures::maxPixelDifference(loaded, expected) == 0;
}

// The next start: every answered result is stored, every stored one has its own pictures, and
// the folder holds nothing but the pictures the rows name. The stored results' numbers.
void checkAfterOpen(const AppSettings::DatabaseSettings& settings, const QHash<int, Database::ID>& answered,
                    const QString& where, QList<int>& numbers)
{
    numbers.clear();
    RecordingErrorHandler handler;
    ApplicationDatabase database(&handler, QStringLiteral("restart"));
    QCOMPARE(database.openDatabase(settings), Errors::Type_Error(0));

    QList<Database::ID> stored;
    bool more = false;
    QCOMPARE(database.tableImageStitcher()->SelectIdsByBarcode(QString(), -1, stored, more), Errors::Type_Error(0));
    for (auto it = answered.cbegin(); it != answered.cend(); ++it)
        QVERIFY2(stored.contains(it.value()), qPrintable(QString::number(it.key())));
    QSet<QString> named;
    for (const Database::ID id : std::as_const(stored)) {
        DatabaseTableZelvorinImageStitcher::Dataset row;
        QCOMPARE(database.tableImageStitcher()->Select(id, row), Errors::Type_Error(0));
        const int number = row.RackBarcode.mid(1).toInt();
        numbers.append(number);
        const QString result = QStringLiteral("%1, result %2").arg(where).arg(number);
        QVERIFY2(pictureIs(row.PictureFilePath, StitcherResultFixture::stitchedPicture(number)), qPrintable(result));
        named.insert(QFileInfo(row.PictureFilePath).fileName());
        QList<Database::ID> pictureIds;
        QCOMPARE(database.tableImageStitcherPicture()->SelectIdsByImageStitcher(id, pictureIds), Errors::Type_Error(0));
        QCOMPARE(pictureIds.size(), StitcherResult::PositionsCount);
        for (const Database::ID pictureId : std::as_const(pictureIds)) {
            DatabaseTableZelvorinImageStitcherPicture::Dataset picture;
            QCOMPARE(database.tableImageStitcherPicture()->Select(pictureId, picture), Errors::Type_Error(0));
            QVERIFY2(pictureIs(picture.PictureFilePath, StitcherResultFixture::positionPicture(picture.PositionIndex, number)),
                     qPrintable(result));
            named.insert(QFileInfo(picture.PictureFilePath).fileName());
        }
    }
    // Nothing but the pictures the rows name.
    const QStringList files = QDir(settings.PicturePath).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(QSet<QString>(files.cbegin(), files.cend()), named);
}

} // namespace

class tst_StitcherPicturesAfterKill : public QObject {
    Q_OBJECT
private slots:
    void everyStoredResultHasItsPictures();
    void killedAtASave_data();
    void killedAtASave();
};

void tst_StitcherPicturesAfterKill::everyStoredResultHasItsPictures()
{
    QTemporaryDir dir;
    const AppSettings::DatabaseSettings settings = DatabaseTestSupport::sqliteSettingsIn(dir.path());
    QVERIFY(QDir().mkpath(settings.PicturePath));
    QCOMPARE(DatabaseTestSupport::createDatabase(dir, QFileInfo(settings.SQLite3.Filename).fileName())->createResult,
             Errors::Type_Error(0));

    // The kill also meets saves that write their pictures at once.
    std::mt19937 random(20250612);
    constexpr int kKills = 16;
    QHash<int, Database::ID> answered;
    for (int kill = 0; kill < kKills; ++kill) {
        SaverUnderKill::Child saver(kSaverSwitch, {dir.path(), QString::number(kill * 1000 + 1 + kill % 2)});
        QVERIFY(saver.started());
        const auto stitchedPicture = [&](qint32 key) {
            return StitcherResultSave::picturePath(settings.PicturePath, StitcherResultSave::stitchedPictureFileName(key));
        };
        QByteArray trouble;
        QVERIFY2(saver.killAfterRandomAnswers(random, stitchedPicture, answered, trouble), trouble.constData());

        // The next start: the database opened and what the kill left put right.
        QList<int> numbers;
        checkAfterOpen(settings, answered, QStringLiteral("kill %1").arg(kill), numbers);
        if (QTest::currentTestFailed())
            return;
    }
    QVERIFY(answered.size() >= kKills);
}

void tst_StitcherPicturesAfterKill::killedAtASave_data()
{
    QTest::addColumn<bool>("background");
    QTest::addColumn<QByteArray>("step");
    QTest::addColumn<bool>("stored"); // result 2 is stored after the next open
    for (const bool background : {false, true}) {
        const char* mode = background ? "background" : "at once";
        // The stitched picture's name recorded, the position pictures' not yet, rows open.
        QTest::addRow("%s, first name recorded", mode) << background << QByteArray("placed") << false;
        QTest::addRow("%s, rows committed", mode) << background << QByteArray("committed") << true;
    }
    QTest::addRow("background, first picture encoded") << true << QByteArray("encoded") << true;
}

void tst_StitcherPicturesAfterKill::killedAtASave()
{
    QFETCH(bool, background);
    QFETCH(QByteArray, step);
    QFETCH(bool, stored);
    QTemporaryDir dir;
    const AppSettings::DatabaseSettings settings = DatabaseTestSupport::sqliteSettingsIn(dir.path());
    QVERIFY(QDir().mkpath(settings.PicturePath));
    QCOMPARE(DatabaseTestSupport::createDatabase(dir, QFileInfo(settings.SQLite3.Filename).fileName())->createResult,
             Errors::Type_Error(0));
    QByteArray said;
    QVERIFY(SaverUnderKill::runUntilKilled(
        kStepSwitch, {dir.path(), QLatin1String(background ? "background" : "direct"), QString::fromLatin1(step)}, said));
    QVERIFY2(said.startsWith("saved 1 "), said.constData());
    QList<int> numbers;
    checkAfterOpen(settings, {}, QString::fromLatin1(step), numbers);
    std::sort(numbers.begin(), numbers.end());
    const QList<int> expected = stored ? QList<int>{1, 2} : QList<int>{1};
    QCOMPARE(numbers, expected);
}

int main(int argc, char** argv)
{
    if (argc == 5 && qstrcmp(argv[1], kStepSwitch) == 0) {
        QCoreApplication app(argc, argv);
        return runDyingSaver(QString::fromLocal8Bit(argv[2]), qstrcmp(argv[3], "background") == 0, argv[4]);
    }
    if (argc == 4 && qstrcmp(argv[1], kSaverSwitch) == 0) {
        QCoreApplication app(argc, argv);
        return runStitcherSaver(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    }
    QCoreApplication app(argc, argv);
    tst_StitcherPicturesAfterKill test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_StitcherPicturesAfterKill.moc"
