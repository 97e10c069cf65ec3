// Racks saved with their pictures in the background, the saving process killed at seeded
// random instants after its answers: after the next open every stored rack has its picture,
// pixel for pixel, and no spool or private file is left in the picture folder.

#include "ColonyAnalyserGuiFixture.h"

#include "DatabaseTableZelvorinRack.h"
#include "Halcon_Helper.h"
#include "ResultPictureNames.h"
#include "ResultPictureRecovery.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <random>
#include <unistd.h>

using namespace ColonyAnalyserGuiFixture;

namespace {

// The child that saves racks until it is killed: folder, first rack number.
const char* const kSaverSwitch = "--rack-saver";

void say(const QByteArray& line)
{
    const QByteArray text = line + '\n';
    [[maybe_unused]] const ssize_t written = ::write(STDOUT_FILENO, text.constData(), size_t(text.size()));
}

// Each rack its own pixels, so a picture under another rack's name shows.
Halcon::Hobject rackPicture(int number)
{
    return HalconTestPictures::grayImage(96, 64, [number](int row, int column) { return (row * 3 + column * 5 + number * 11) % 256; });
}

AppSettings::DatabaseSettings settingsIn(const QString& folder)
{
    AppSettings::DatabaseSettings settings = AppSettings::defaultDatabaseSettings();
    settings.Type = AppSettings::TypeSQLite3;
    settings.SQLite3.Filename = QDir(folder).filePath(QStringLiteral("results.db3"));
    settings.PicturePath = QDir(folder).filePath(QStringLiteral("pictures"));
    settings.AutoDelete = false;
    return settings;
}

// Saves numbered racks one after the other, one for each line on its input, each answer told
// as "saved <number> <rack>".
int runRackSaver(const QString& folder, int firstNumber)
{
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return 1;
    RecordingErrorHandler handler;
    ApplicationDatabase database(&handler, QStringLiteral("saver"));
    AppSettings appSettings;
    appSettings.database = settingsIn(folder);
    appSettings.setChangedBlocked(true);
    if (database.openDatabase(appSettings.database) != 0)
        return 1;
    ColonySettings colonySettings;
    colonySettings.data() = ColonySettingsData::standardDefaults();
    colonySettings.setChangedBlocked(true);
    ColonyAnalyserGui page(&database, &appSettings, [] { return QStringLiteral("<camera/>"); }, &colonySettings);
    for (int number = firstNumber; !input.readLine().isEmpty(); ++number) {
        reportRack(page, rackPicture(number));
        int rackId = -1;
        const Errors::Type_Error code = page.SaveResult(true, QStringLiteral("K%1").arg(number), QString(), -1, rackId);
        if (code != 0) {
            say("failed " + QByteArray::number(code));
            return 1;
        }
        say("saved " + QByteArray::number(number) + ' ' + QByteArray::number(rackId));
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
    const AppSettings::DatabaseSettings settings = settingsIn(dir.path());
    QVERIFY(QDir().mkpath(settings.PicturePath));
    {
        RecordingErrorHandler handler;
        ApplicationDatabase made(&handler, QStringLiteral("maker"));
        QCOMPARE(made.createSQLite3Database(settings.SQLite3.Filename,
                                            TestFixtures::sourceDir()
                                                + QStringLiteral("/database_templates/ZelvorinDatabase_SQLite3.sql")),
                 Errors::Type_Error(0));
    }

    // Killed after a random number of answers, at once or once a random one of them has its
    // picture written: while pictures wait their turn, and while one is being written.
    std::mt19937 random(20250611);
    constexpr int kKills = 16;
    QHash<int, Database::ID> answered;
    for (int kill = 0; kill < kKills; ++kill) {
        QProcess saver;
        saver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        saver.start(QCoreApplication::applicationFilePath(),
                    {QLatin1String(kSaverSwitch), dir.path(), QString::number(kill * 1000 + 1)});
        QVERIFY2(saver.waitForStarted(60000), qPrintable(saver.errorString()));
        const int answers = std::uniform_int_distribution<int>(1, 3)(random);
        // One save more than the answers awaited: the kill also meets a save half-way.
        for (int save = 0; save <= answers; ++save)
            saver.write("save\n");
        // 0: kill at once; else once the picture of that answer is written.
        const int waitFor = std::uniform_int_distribution<int>(0, std::min(answers, 2))(random);
        QList<Database::ID> ids;
        while (ids.size() < answers) {
            if (!saver.canReadLine() && !saver.waitForReadyRead(60000))
                QFAIL("the saver stopped answering");
            const QList<QByteArray> parts = saver.readLine().trimmed().split(' ');
            QVERIFY2(parts.size() == 3 && parts.first() == "saved", parts.join(' ').constData());
            answered.insert(parts.at(1).toInt(), Database::ID(parts.at(2).toInt()));
            ids.append(Database::ID(parts.at(2).toInt()));
        }
        if (waitFor > 0) {
            const QString picture = ColonyAnalyserGui::rackPicturePath(settings.PicturePath, ids.at(waitFor - 1));
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(picture), 60000);
        }
        saver.kill();
        QVERIFY(saver.waitForFinished(60000));

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
