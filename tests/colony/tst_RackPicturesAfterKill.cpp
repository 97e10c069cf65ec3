// Racks saved with their pictures in the background, the saving process killed at seeded
// random instants after its answers: after the next open every stored rack has its picture,
// pixel for pixel, and no spool or private file is left in the picture folder.

#include "ColonyAnalyserGuiFixture.h"
#include "SaverUnderKill.h"

#include "DatabaseTableZelvorinRack.h"
#include "Halcon_Helper.h"
#include "ResultPictureNames.h"
#include "ResultPictureRecovery.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QtTest>

#include <random>

using namespace ColonyAnalyserGuiFixture;

namespace {

// The child that saves racks until it is killed: folder, first rack number.
const char* const kSaverSwitch = "--rack-saver";

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
        const Errors::Type_Error code = page.SaveResult(true, QStringLiteral("K%1").arg(number), QString(), -1, rackId);
        if (code != 0) {
            SaverUnderKill::say("failed " + QByteArray::number(code));
            return 1;
        }
        SaverUnderKill::sayAnswer(number, rackId);
    }
    return 0;
}

} // namespace

class tst_RackPicturesAfterKill : public QObject {
    Q_OBJECT
private slots:
    void everyStoredRackHasItsPicture();
};

void tst_RackPicturesAfterKill::everyStoredRackHasItsPicture()
{
    QTemporaryDir dir;
    const AppSettings::DatabaseSettings settings = DatabaseTestSupport::sqliteSettingsIn(dir.path());
    QVERIFY(QDir().mkpath(settings.PicturePath));
    QCOMPARE(DatabaseTestSupport::createDatabase(dir, QFileInfo(settings.SQLite3.Filename).fileName())->createResult,
             Errors::Type_Error(0));

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

        // The next start: the database opened and its picture folder put right.
        RecordingErrorHandler handler;
        ApplicationDatabase database(&handler, QStringLiteral("restart"));
        QCOMPARE(database.openDatabase(settings), Errors::Type_Error(0));
        QCOMPARE(ResultPictureRecovery::run(database, settings.PicturePath), Errors::Type_Error(0));
        // An answer 0 is a stored rack.
        for (auto it = answered.cbegin(); it != answered.cend(); ++it) {
            DatabaseTableZelvorinRack::Dataset rack;
            QVERIFY2(database.tableRack()->Select(it.value(), rack) == 0
                         && rack.RackBarcode == QStringLiteral("K%1").arg(it.key()),
                     qPrintable(QString::number(it.key())));
        }
        // Every stored rack, also one whose answer the kill cut off, has its own picture.
        QList<Database::ID> stored;
        bool more = false;
        QCOMPARE(database.tableRack()->SelectIdsByBarcode(QString(), -1, stored, more), Errors::Type_Error(0));
        for (const Database::ID rackId : std::as_const(stored)) {
            DatabaseTableZelvorinRack::Dataset rack;
            QCOMPARE(database.tableRack()->Select(rackId, rack), Errors::Type_Error(0));
            Halcon::Hobject loaded;
            QVERIFY2(Halcon_Helper::LoadImageFile(rack.PictureFilePath, loaded) == 0,
                     qPrintable(QStringLiteral("kill %1, rack %2").arg(kill).arg(rack.RackBarcode)));
            QCOMPARE(HalconTestPictures::maxPixelDifference(loaded, rackPicture(rack.RackBarcode.mid(1).toInt())), 0);
        }
        for (const QString& name : QDir(settings.PicturePath).entryList(QDir::Files | QDir::Hidden))
            QVERIFY2(ResultPictureNames::classify(name).type == ResultPictureNames::Entry::Picture, qPrintable(name));
    }
    QVERIFY(answered.size() >= kKills);
}

int main(int argc, char** argv)
{
    if (argc == 4 && qstrcmp(argv[1], kSaverSwitch) == 0) {
        QApplication app(argc, argv);
        return runRackSaver(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    }
    QApplication app(argc, argv);
    tst_RackPicturesAfterKill test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_RackPicturesAfterKill.moc"
