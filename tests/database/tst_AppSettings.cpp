// The application settings record, its file and its text form.

#include "AppSettings.h"

#include <SettingsFileMutations.h>
#include <TestFixtures.h>

#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString settingsText(const QString& configVersion, const QString& database, bool withName = true, bool innerName = true)
{
    QString text = QStringLiteral("<?xml version='1.0' encoding='UTF-8' ?>\n<Settings Application=\"zelvorin\"");
    if (!configVersion.isNull())
        text += QStringLiteral(" ConfigVersion=\"%1\"").arg(configVersion);
    text += QStringLiteral(">\n");
    if (withName)
        text += innerName ? QStringLiteral(" <Name>\n  <Name>Lab 2</Name>\n </Name>\n") : QStringLiteral(" <Name/>\n");
    text += database;
    text += QStringLiteral("</Settings>\n");
    return text;
}

const QString FullDatabase = QStringLiteral(
    " <Database>\n"
    "  <Type>4</Type>\n"
    "  <PicturePath>/data/pictures</PicturePath>\n"
    "  <AutoDelete>false</AutoDelete>\n"
    "  <AutoDeleteMaximum>250</AutoDeleteMaximum>\n"
    "  <MSAccess>\n   <Filename>x.mdb</Filename>\n  </MSAccess>\n"
    "  <MSSqlServer>\n   <Servername>srv\\INST</Servername>\n   <Databasename>db</Databasename>\n"
    "   <SQLServerAuthentication>true</SQLServerAuthentication>\n   <Username>u</Username>\n"
    "   <Password>secret</Password>\n  </MSSqlServer>\n"
    "  <SQLite3>\n   <Filename>y.db3</Filename>\n  </SQLite3>\n"
    " </Database>\n");

} // namespace

class tst_AppSettings : public QObject {
    Q_OBJECT
private slots:
    void defaults();
    void configVersion_data();
    void configVersion();
    void nameIsRequired_data();
    void nameIsRequired();
    void readsEveryField();
    void valuesThatDoNotConvertKeepTheirDefaults_data();
    void valuesThatDoNotConvertKeepTheirDefaults();
    void fromXmlStringStartsFromTheDefaults();
    void refusedTextChangesNothing_data();
    void refusedTextChangesNothing();
    void refusedFileChangesNothing_data();
    void refusedFileChangesNothing();
    void passwordStaysOutOfTheStoredText();
    void saveAndLoad();
    void saveExtension_data();
    void saveExtension();
    void changeNotices();
    void validation_data();
    void validation();
    void mutatedFiles();
};

void tst_AppSettings::defaults()
{
    AppSettings settings;
    QCOMPARE(settings.name, QString());
    QCOMPARE(settings.database.Type, 1);
    QCOMPARE(settings.database.PicturePath, QStringLiteral("database/pictures"));
    QCOMPARE(settings.database.AutoDelete, true);
    QCOMPARE(settings.database.AutoDeleteMaximum, 10000);
    QCOMPARE(settings.database.MSAccess.Filename, QStringLiteral("database/zelvorin.mdb"));
    QCOMPARE(settings.database.MSSqlServer.Servername, QStringLiteral("localhost\\SQLEXPRESS"));
    QCOMPARE(settings.database.MSSqlServer.Databasename, QStringLiteral("zelvorin"));
    QCOMPARE(settings.database.MSSqlServer.SQLServerAuthentication, false);
    QCOMPARE(settings.database.MSSqlServer.Username, QStringLiteral("sa"));
    QCOMPARE(settings.database.MSSqlServer.Password, QString());
    QCOMPARE(settings.database.SQLite3.Filename, QStringLiteral("database/zelvorin.db3"));

    const QString text = settings.toXmlString();
    QVERIFY(text.startsWith(QStringLiteral("<?xml version='1.0' encoding='UTF-8' ?>\n<Settings ")));
    QVERIFY(text.contains(QStringLiteral("ConfigVersion=\"1.1\"")));
    QVERIFY(text.contains(QStringLiteral("<Type>1</Type>")));
    QVERIFY(text.contains(QStringLiteral("<PicturePath>database/pictures</PicturePath>")));
    QVERIFY(text.contains(QStringLiteral("<AutoDelete>true</AutoDelete>")));
    QVERIFY(text.contains(QStringLiteral("<AutoDeleteMaximum>10000</AutoDeleteMaximum>")));
    QVERIFY(text.contains(QStringLiteral("<Username>sa</Username>")));
    QVERIFY(text.contains(QStringLiteral("<Password></Password>")) || text.contains(QStringLiteral("<Password/>")));
    // Element order as the file format fixes it.
    const QStringList order{"<Name>", "<Database>", "<Type>", "<PicturePath>", "<AutoDelete>", "<AutoDeleteMaximum>",
                            "<MSAccess>", "<MSSqlServer>", "<Servername>", "<Databasename>", "<SQLServerAuthentication>",
                            "<Username>", "<Password", "<SQLite3>"};
    qsizetype last = -1;
    for (const QString& tag : order) {
        const qsizetype at = text.indexOf(tag);
        QVERIFY2(at > last, qPrintable(tag));
        last = at;
    }
}

void tst_AppSettings::configVersion_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("1.1") << "1.1" << true;
    QTest::newRow("1.10") << "1.10" << true;
    QTest::newRow("1.0") << "1.0" << true;
    QTest::newRow("0") << "0" << true;
    QTest::newRow("not a number") << "abc" << true;
    QTest::newRow("missing") << QString() << true;
    QTest::newRow("1.2") << "1.2" << false;
    QTest::newRow("1.11") << "1.11" << false;
    QTest::newRow("2") << "2" << false;
}

void tst_AppSettings::configVersion()
{
    QFETCH(QString, version);
    QFETCH(bool, accepted);
    AppSettings settings;
    QCOMPARE(settings.fromXmlString(settingsText(version, FullDatabase)), accepted);
    QCOMPARE(settings.database.Type, accepted ? 4 : 1);
}

void tst_AppSettings::nameIsRequired_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("no Name element") << settingsText("1.1", FullDatabase, false) << false;
    QTest::newRow("Name without inner Name") << settingsText("1.1", FullDatabase, true, false) << false;
    QTest::newRow("not well-formed") << "<Settings><Name><Name>x</Name></Settings>" << false;
    QTest::newRow("only the name") << settingsText("1.1", QString()) << true;
}

void tst_AppSettings::nameIsRequired()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    AppSettings settings;
    settings.database.Type = 2;
    QCOMPARE(settings.fromXmlString(text), accepted);
    QCOMPARE(settings.database.Type, accepted ? 1 : 2);
    QCOMPARE(settings.database.SQLite3.Filename, QStringLiteral("database/zelvorin.db3"));
    QCOMPARE(settings.name, accepted ? QStringLiteral("Lab 2") : QString());
}

void tst_AppSettings::readsEveryField()
{
    AppSettings settings;
    QVERIFY(settings.fromXmlString(settingsText("1.1", FullDatabase)));
    QCOMPARE(settings.name, QStringLiteral("Lab 2"));
    QCOMPARE(settings.database.Type, 4);
    QCOMPARE(settings.database.PicturePath, QStringLiteral("/data/pictures"));
    QCOMPARE(settings.database.AutoDelete, false);
    QCOMPARE(settings.database.AutoDeleteMaximum, 250);
    QCOMPARE(settings.database.MSAccess.Filename, QStringLiteral("x.mdb"));
    QCOMPARE(settings.database.MSSqlServer.Servername, QStringLiteral("srv\\INST"));
    QCOMPARE(settings.database.MSSqlServer.Databasename, QStringLiteral("db"));
    QCOMPARE(settings.database.MSSqlServer.SQLServerAuthentication, true);
    QCOMPARE(settings.database.MSSqlServer.Username, QStringLiteral("u"));
    QCOMPARE(settings.database.MSSqlServer.Password, QStringLiteral("secret"));
    QCOMPARE(settings.database.SQLite3.Filename, QStringLiteral("y.db3"));
}

void tst_AppSettings::valuesThatDoNotConvertKeepTheirDefaults_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<bool>("autoDelete");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<QString>("password");
    QTest::newRow("maximum abc") << " <Database><AutoDeleteMaximum>abc</AutoDeleteMaximum></Database>\n" << true << 10000 << "";
    QTest::newRow("TRUE") << " <Database><AutoDelete>TRUE</AutoDelete></Database>\n" << true << 10000 << "";
    QTest::newRow("FALSE") << " <Database><AutoDelete>FALSE</AutoDelete></Database>\n" << false << 10000 << "";
    QTest::newRow("yes") << " <Database><AutoDelete>yes</AutoDelete></Database>\n" << true << 10000 << "";
    QTest::newRow("maximum of one") << " <Database><AutoDeleteMaximum>1</AutoDeleteMaximum></Database>\n" << true << 1
                                    << "";
    QTest::newRow("empty password") << " <Database><MSSqlServer><Password></Password></MSSqlServer></Database>\n"
                                    << true << 10000 << "";
}

void tst_AppSettings::valuesThatDoNotConvertKeepTheirDefaults()
{
    QFETCH(QString, database);
    QFETCH(bool, autoDelete);
    QFETCH(int, maximum);
    QFETCH(QString, password);
    AppSettings settings;
    QVERIFY(settings.fromXmlString(settingsText("1.1", database)));
    QCOMPARE(settings.database.AutoDelete, autoDelete);
    QCOMPARE(settings.database.AutoDeleteMaximum, maximum);
    QCOMPARE(settings.database.MSSqlServer.Password, password);
}

void tst_AppSettings::fromXmlStringStartsFromTheDefaults()
{
    AppSettings settings;
    settings.database.PicturePath = QStringLiteral("elsewhere");
    settings.database.MSSqlServer.Password = QStringLiteral("old");
    QVERIFY(settings.fromXmlString(settingsText("1.1", QStringLiteral(" <Database><Type>2</Type></Database>\n"))));
    QCOMPARE(settings.database.Type, 2);
    QCOMPARE(settings.database.PicturePath, QStringLiteral("database/pictures"));
    QCOMPARE(settings.database.MSSqlServer.Password, QString());
}

void tst_AppSettings::refusedTextChangesNothing_data()
{
    QTest::addColumn<QString>("text");
    const auto database = [](const char* values) {
        return settingsText("1.1", QStringLiteral(" <Database>%1</Database>\n").arg(QLatin1String(values)));
    };
    QTest::newRow("newer version") << settingsText("1.2", FullDatabase);
    QTest::newRow("no name") << settingsText("1.1", FullDatabase, false);
    QTest::newRow("not well-formed") << "<Settings><Name><Name>x</Name></Settings>";
    QTest::newRow("database kind 3") << database("<Type>3</Type>");
    QTest::newRow("database kind 0") << database("<Type>0</Type>");
    QTest::newRow("keep no rack") << database("<AutoDeleteMaximum>0</AutoDeleteMaximum>");
    QTest::newRow("keep minus five racks") << database("<AutoDeleteMaximum>-5</AutoDeleteMaximum>");
    QTest::newRow("keep none, pruning off") << database("<AutoDelete>false</AutoDelete>"
                                                        "<AutoDeleteMaximum>0</AutoDeleteMaximum>");
}

// A refused text leaves the record as it was: the values and the name the program runs with.
void tst_AppSettings::refusedTextChangesNothing()
{
    QFETCH(QString, text);
    AppSettings settings;
    QVERIFY(settings.fromXmlString(settingsText("1.1", FullDatabase)));
    const auto withoutDate = [](QString xml) {
        return xml.replace(QRegularExpression(QStringLiteral("ModifyDate=\"[^\"]*\"")), QString());
    };
    const QString before = withoutDate(settings.toXmlString(true));

    QVERIFY(!settings.fromXmlString(text));
    QCOMPARE(settings.name, QStringLiteral("Lab 2"));
    QCOMPARE(settings.database.Type, 4);
    QCOMPARE(withoutDate(settings.toXmlString(true)), before);
}

void tst_AppSettings::refusedFileChangesNothing_data()
{
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::newRow("unsupported database type") << QByteArray("<Type>1</Type>") << QByteArray("<Type>3</Type>");
    // A well-formed file of 2 MB: it took seconds and gigabytes to load.
    QTest::newRow("larger than a settings file")
        << QByteArray("<PicturePath>database/pictures</PicturePath>")
        << QByteArray("<PicturePath>") + QByteArray(2 * 1024 * 1024, 'p') + QByteArray("</PicturePath>");
}

void tst_AppSettings::refusedFileChangesNothing()
{
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QTemporaryDir dir;
    AppSettings written;
    QVERIFY(written.save(dir.filePath(QStringLiteral("lab"))));
    QFile file(dir.filePath(QStringLiteral("lab.AppSettings")));
    QVERIFY(file.open(QIODevice::ReadWrite));
    const QByteArray text = file.readAll().replace(from, to);
    QVERIFY(text.contains(to));
    QVERIFY(file.resize(0));
    QCOMPARE(file.write(text), text.size());
    file.close();

    AppSettings settings;
    settings.name = QStringLiteral("running");
    settings.database.Type = 4;
    QVERIFY(!settings.load(dir.filePath(QStringLiteral("lab"))));
    QCOMPARE(settings.name, QStringLiteral("running"));
    QCOMPARE(settings.database.Type, 4);
    QCOMPARE(settings.database.PicturePath, QStringLiteral("database/pictures"));
}

void tst_AppSettings::passwordStaysOutOfTheStoredText()
{
    AppSettings settings;
    settings.database.MSSqlServer.Password = QStringLiteral("s3cr3t<&>");
    const QString stored = settings.toXmlString();
    QVERIFY(!stored.contains(QStringLiteral("s3cr3t")));
    AppSettings reread;
    QVERIFY(reread.fromXmlString(stored));
    QCOMPARE(reread.database.MSSqlServer.Password, QString());
    // The settings file itself keeps it, or the connection could not be made after a restart.
    QVERIFY(settings.toXmlString(true).contains(QStringLiteral("s3cr3t&lt;&amp;")));
}

void tst_AppSettings::saveAndLoad()
{
    QTemporaryDir dir;
    AppSettings settings;
    settings.database.Type = 4;
    settings.database.PicturePath = QStringLiteral("bilder/größe 'x'");
    settings.database.AutoDeleteMaximum = 3;
    settings.database.MSSqlServer.SQLServerAuthentication = true;
    settings.database.MSSqlServer.Password = QStringLiteral("pw");
    QVERIFY(settings.save(dir.filePath(QStringLiteral("default"))));
    QCOMPARE(settings.name, QStringLiteral("default"));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("default.AppSettings"))));

    AppSettings loaded;
    QVERIFY(loaded.load(dir.filePath(QStringLiteral("default"))));
    QCOMPARE(loaded.name, QStringLiteral("default"));
    QCOMPARE(loaded.database.Type, 4);
    QCOMPARE(loaded.database.PicturePath, settings.database.PicturePath);
    QCOMPARE(loaded.database.AutoDeleteMaximum, 3);
    QCOMPARE(loaded.database.MSSqlServer.SQLServerAuthentication, true);
    QCOMPARE(loaded.database.MSSqlServer.Password, QStringLiteral("pw"));

    AppSettings untouched;
    untouched.database.Type = 2;
    QVERIFY(!untouched.load(dir.filePath(QStringLiteral("missing"))));
    QCOMPARE(untouched.database.Type, 2);
}

void tst_AppSettings::saveExtension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("file");
    QTest::newRow("added") << "default" << "default.AppSettings";
    QTest::newRow("present") << "default.AppSettings" << "default.AppSettings";
    QTest::newRow("upper case") << "Lab.APPSETTINGS" << "Lab.APPSETTINGS";
}

void tst_AppSettings::saveExtension()
{
    QFETCH(QString, name);
    QFETCH(QString, file);
    QTemporaryDir dir;
    AppSettings settings;
    QVERIFY(settings.save(dir.filePath(name)));
    QVERIFY(QFile::exists(dir.filePath(file)));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

void tst_AppSettings::changeNotices()
{
    AppSettings settings;
    QSignalSpy spy(&settings, &Settings_Change_Helper::signal_changed);
    QTemporaryDir dir;
    QVERIFY(!settings.load(dir.filePath(QStringLiteral("missing"))));
    QVERIFY(settings.fromXmlString(settingsText("1.1", FullDatabase)));
    QVERIFY(settings.fromXmlString(settingsText("1.1", FullDatabase)));
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.count(), 1);
    // Nothing further is pending.
    QVERIFY(!spy.wait(800));
    QCOMPARE(spy.count(), 1);

    QSignalSpy fresh(new AppSettings(&settings), &Settings_Change_Helper::signal_changed);
    QVERIFY(!fresh.wait(800));
}

void tst_AppSettings::validation_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<bool>("valid");
    QTest::newRow("defaults") << 1 << 10000 << true;
    QTest::newRow("sqlite, keep one") << 4 << 1 << true;
    QTest::newRow("keep none") << 4 << 0 << false;
    QTest::newRow("negative") << 2 << -10 << false;
    QTest::newRow("type 3") << 3 << 10 << false;
    QTest::newRow("type 0") << 0 << 10 << false;
}

void tst_AppSettings::validation()
{
    QFETCH(int, type);
    QFETCH(int, maximum);
    QFETCH(bool, valid);
    AppSettings::DatabaseSettings settings = AppSettings::defaultDatabaseSettings();
    settings.Type = type;
    settings.AutoDeleteMaximum = maximum;
    QString reason;
    QCOMPARE(settings.isValid(&reason), valid);
    QCOMPARE(reason.isEmpty(), valid);
}

// Seeded damage of the shipped file: each copy is refused without a trace or read within the
// bounds of every reader, and what it read comes back after a save.
void tst_AppSettings::mutatedFiles()
{
    SettingsFileMutations::Access<AppSettings> access;
    access.make = [] {
        auto record = std::make_unique<AppSettings>();
        record->fromXmlString(settingsText(QStringLiteral("1.1"), FullDatabase));
        return record;
    };
    access.load = [](AppSettings& record, const QString& path) { return record.load(path); };
    access.save = [](AppSettings& record, const QString& path) { return record.save(path); };
    access.text = [](AppSettings& record) { return record.toXmlString(true); };
    QVERIFY(access.make()->database.Type == AppSettings::TypeSQLite3);
    QFile shipped(TestFixtures::sourceDir() + QStringLiteral("/settings/default.AppSettings"));
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    const QString fault = SettingsFileMutations::run(shipped.readAll(), QStringLiteral("damaged.AppSettings"), access);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

QTEST_GUILESS_MAIN(tst_AppSettings)
#include "tst_AppSettings.moc"
