#include "Camera_Settings.h"

#include <SettingsFileMutations.h>

#include <QDomDocument>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A record that differs from the defaults in every field.
void fillEveryField(Camera_Settings_Data& d)
{
    d.Device = {2, QStringLiteral("gige"), QStringLiteral("cam7"), QStringLiteral("SN 42"), 3, true,
                QStringLiteral("settings/camera/x.ini")};
    d.Settings = {2, 33.3, 12.5, false, 30, 3, 7, 2.2, 4, 11, 22, 33};
    d.Picture = {true, true, 4, 5};
    d.ExternalTrigger = {true, 2, 9, 0.25};
    d.ExternalFlash = {true, false, 0.125, 1.5};
}

QString textOf(const QDomDocument& document, const QString& group, const QString& tag)
{
    return document.documentElement().firstChildElement(group).firstChildElement(tag).text();
}

const char* const kHeader = "<?xml version='1.0' encoding='UTF-8' ?>\n"
                            "<CameraSettings Application=\"x\" ApplicationVersion=\"1\" ConfigVersion=\"%1\">\n"
                            " <Name><Name>%2</Name></Name>\n";

QString document(const QString& body, const QString& version = QStringLiteral("1.2"),
                 const QString& name = QStringLiteral("stored"))
{
    return QString::fromLatin1(kHeader).arg(version, name) + body + QStringLiteral("</CameraSettings>\n");
}

} // namespace

class tst_Camera_Settings : public QObject {
    Q_OBJECT
private slots:
    void defaultFileValues();
    void everyFieldRoundTrips();
    void missingGroupsKeepDefaults();
    void anyConfigVersionReads_data();
    void anyConfigVersionReads();
    void unreadableValueKeepsItsDefault_data();
    void unreadableValueKeepsItsDefault();
    void refusedTextChangesNothing_data();
    void refusedTextChangesNothing();
    void unreadableFileChangesNothing();
    void saveNamesTheFile_data();
    void saveNamesTheFile();
    void classDefaultsApplyOnReset();
    void changeNotices();
    void readNameOfStoredText();
    void mutatedFiles();
};

void tst_Camera_Settings::defaultFileValues()
{
    QTemporaryDir folder;
    Camera_Settings record;
    QVERIFY(record.SaveToFile(folder.filePath(QStringLiteral("plain"))));
    QFile file(folder.filePath(QStringLiteral("plain.camerasettings.xml")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("<?xml version='1.0' encoding='UTF-8' ?>\n"));
    QDomDocument dom;
    QVERIFY(bool(dom.setContent(bytes)));
    QCOMPARE(dom.documentElement().tagName(), QStringLiteral("CameraSettings"));
    QCOMPARE(dom.documentElement().attribute(QStringLiteral("ConfigVersion")), QStringLiteral("1.2"));
    QCOMPARE(textOf(dom, QStringLiteral("Name"), QStringLiteral("Name")), QStringLiteral("plain"));
    const QList<std::pair<const char*, const char*>> settings = {
        {"ExposureTime", "200"}, {"FrameRate", "4"}, {"FrameRateMaxMode", "true"}, {"PixelClock", "18"},
        {"GammaCorrection", "1.6"}, {"WhiteBalanceR", "5"}, {"WhiteBalanceG", "0"}, {"WhiteBalanceB", "3"}};
    for (const auto& [tag, text] : settings)
        QCOMPARE(textOf(dom, QStringLiteral("Settings"), QLatin1String(tag)), QLatin1String(text));
    QCOMPARE(textOf(dom, QStringLiteral("ExternalFlash"), QStringLiteral("StrobeInvert")), QStringLiteral("true"));
    QVERIFY(dom.documentElement().elementsByTagName(QStringLiteral("ExposureTime")).item(0).toElement().attributes().isEmpty());

    Camera_Settings read;
    read.Settings.ExposureTime = 1.0;
    QVERIFY(read.LoadFromFile(folder.filePath(QStringLiteral("plain"))));
    Camera_Settings_Data expected = Camera_Settings::DefaultData();
    expected.Name = QStringLiteral("plain");
    expected.ConfigVersion = QStringLiteral("1.2");
    QVERIFY(read.data() == expected);
}

void tst_Camera_Settings::everyFieldRoundTrips()
{
    Camera_Settings written;
    fillEveryField(written.data());
    written.Name = QStringLiteral("every field");
    Camera_Settings read;
    QVERIFY(read.ReadXml(written.ToXmlString()));
    Camera_Settings_Data expected = written.data();
    expected.ConfigVersion = QStringLiteral("1.2");
    QVERIFY(read.data() == expected);
}

void tst_Camera_Settings::missingGroupsKeepDefaults()
{
    Camera_Settings record;
    QVERIFY(record.ReadXml(document(QStringLiteral(" <Device><CameraInterface>2</CameraInterface>"
                                                   "<CameraDevice>7</CameraDevice></Device>\n"))));
    Camera_Settings_Data expected = Camera_Settings::DefaultData();
    expected.Name = QStringLiteral("stored");
    expected.ConfigVersion = QStringLiteral("1.2");
    expected.Device.CameraInterface = 2;
    expected.Device.CameraDevice = QStringLiteral("7");
    QVERIFY(record.data() == expected);
}

void tst_Camera_Settings::anyConfigVersionReads_data()
{
    QTest::addColumn<QString>("version");
    QTest::newRow("older") << QStringLiteral("1.0");
    QTest::newRow("newer") << QStringLiteral("7.5");
    QTest::newRow("not a number") << QStringLiteral("draft");
}

void tst_Camera_Settings::anyConfigVersionReads()
{
    QFETCH(QString, version);
    Camera_Settings record;
    QVERIFY(record.ReadXml(document(QStringLiteral(" <Settings><PixelClock>30</PixelClock></Settings>\n"), version)));
    QCOMPARE(record.ConfigVersion, version);
    QCOMPARE(record.Settings.PixelClock, 30);
}

void tst_Camera_Settings::unreadableValueKeepsItsDefault_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected"); // the field afterwards, as the file would write it

    QTest::newRow("bool in capitals") << "Picture" << "MirrorUpDown" << "TRUE" << "true";
    QTest::newRow("bool as digit") << "Picture" << "MirrorUpDown" << "1" << "false";
    QTest::newRow("word for a number") << "Settings" << "PixelClock" << "fast" << "18";
    QTest::newRow("not a number") << "Settings" << "ExposureTime" << "nan" << "200";
    QTest::newRow("infinite") << "ExternalFlash" << "StrobeDelay" << "1e999" << "0";
    QTest::newRow("negative unsigned") << "Picture" << "Multiples" << "-3" << "1";
    QTest::newRow("beyond 16 bits") << "Settings" << "GainMaster" << "70000" << "0";
    QTest::newRow("enumeration out of range taken") << "Picture" << "Rotate" << "9" << "9";
}

void tst_Camera_Settings::unreadableValueKeepsItsDefault()
{
    QFETCH(QString, group);
    QFETCH(QString, tag);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    Camera_Settings record;
    // A group after the damaged value is still read.
    const QString body = QStringLiteral(" <%1><%2>%3</%2></%1>\n <Device><CameraIniFile>ok.ini</CameraIniFile></Device>\n")
                             .arg(group, tag, text);
    QVERIFY(record.ReadXml(document(body)));
    QCOMPARE(record.Device.CameraIniFile, QStringLiteral("ok.ini"));
    QDomDocument dom;
    QVERIFY(bool(dom.setContent(record.ToXmlString())));
    QCOMPARE(textOf(dom, group, tag), expected);
}

void tst_Camera_Settings::refusedTextChangesNothing_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("not XML") << QStringLiteral("ExposureTime = 20");
    QTest::newRow("cut off") << document(QStringLiteral(" <Settings><ExposureTime>20</ExposureTime></Settings>\n"))
                                    .left(150);
    QTest::newRow("no name") << QStringLiteral("<CameraSettings><Settings><ExposureTime>20</ExposureTime>"
                                               "</Settings></CameraSettings>");
    QTest::newRow("binary") << QString::fromLatin1(QByteArray("\x00\x01\xff<\x02", 5));
}

void tst_Camera_Settings::refusedTextChangesNothing()
{
    QFETCH(QString, text);
    Camera_Settings record;
    fillEveryField(record.data());
    record.Name = QStringLiteral("in use");
    const Camera_Settings_Data before = record.data();
    QSignalSpy changed(&record, &Camera_Settings::signal_changed);
    QVERIFY(!record.ReadXml(text));
    QVERIFY(record.data() == before);
    QVERIFY(!changed.wait(150));
}

void tst_Camera_Settings::unreadableFileChangesNothing()
{
    QTemporaryDir folder;
    QFile damaged(folder.filePath(QStringLiteral("damaged.camerasettings.xml")));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("<CameraSettings><Name><Na");
    damaged.close();
    Camera_Settings record;
    fillEveryField(record.data());
    record.Name = QStringLiteral("in use");
    const Camera_Settings_Data before = record.data();
    QVERIFY(!record.LoadFromFile(folder.filePath(QStringLiteral("damaged"))));
    QVERIFY(!record.LoadFromFile(folder.filePath(QStringLiteral("missing"))));
    QVERIFY(record.data() == before);
}

void tst_Camera_Settings::saveNamesTheFile_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("name");
    QTest::newRow("bare name") << "abc" << "abc.camerasettings.xml" << "abc";
    QTest::newRow("extension given") << "abc.camerasettings.xml" << "abc.camerasettings.xml" << "abc";
    QTest::newRow("extension in other case") << "abc.CameraSettings.XML" << "abc.CameraSettings.XML"
                                             << "abc.CameraSettings.XML";
    QTest::newRow("dots in the name") << "v1.2" << "v1.2.camerasettings.xml" << "v1.2";
}

void tst_Camera_Settings::saveNamesTheFile()
{
    QFETCH(QString, given);
    QFETCH(QString, file);
    QFETCH(QString, name);
    QTemporaryDir folder;
    Camera_Settings record;
    QVERIFY(record.SaveToFile(folder.filePath(given)));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{file});
    QCOMPARE(record.Name, name);
}

void tst_Camera_Settings::classDefaultsApplyOnReset()
{
    Camera_Settings::SetDefaultEdgeEnhancement(2);
    Camera_Settings::SetDefaultMultiples(3);
    Camera_Settings record;
    record.Settings.EdgeEnhancement = 3;
    record.SetDefaults();
    const int edge = record.Settings.EdgeEnhancement;
    const int multiples = record.Picture.Multiples;
    Camera_Settings::SetDefaultEdgeEnhancement(1);
    Camera_Settings::SetDefaultMultiples(1);
    QCOMPARE(edge, 2);
    QCOMPARE(multiples, 3);
}

void tst_Camera_Settings::changeNotices()
{
    Camera_Settings record;
    QSignalSpy changed(&record, &Camera_Settings::signal_changed);
    QVERIFY(!changed.wait(120)); // a new record announces nothing
    record.SetDefaults();
    QVERIFY(record.ReadXml(document(QString())));
    QVERIFY(changed.wait(2000));
    QCOMPARE(changed.count(), 1); // one notice for the burst
}

void tst_Camera_Settings::readNameOfStoredText()
{
    QString name = QStringLiteral("before");
    QVERIFY(!Camera_Settings::ReadName(QStringLiteral("not xml <"), name));
    QCOMPARE(name, QStringLiteral("before"));
    QVERIFY(Camera_Settings::ReadName(document(QString(), QStringLiteral("1.0"), QStringLiteral("Kamera \u20ac 1")), name));
    QCOMPARE(name, QStringLiteral("Kamera \u20ac 1"));
}

// Seeded damage of a settings file: each copy is refused without a trace or read within the
// bounds of every reader, and what it read comes back exactly after a save.
void tst_Camera_Settings::mutatedFiles()
{
    SettingsFileMutations::Access<Camera_Settings> access;
    access.make = [] {
        auto record = std::make_unique<Camera_Settings>();
        fillEveryField(record->data());
        record->Name = QStringLiteral("before");
        return record;
    };
    access.load = [](Camera_Settings& record, const QString& path) { return record.LoadFromFile(path); };
    access.save = [](Camera_Settings& record, const QString& path) { return record.SaveToFile(path); };
    access.text = [](Camera_Settings& record) { return record.ToXmlString(); };
    // The version is that of the text read last, and a save writes the record's own.
    access.equal = [](const Camera_Settings& a, const Camera_Settings& b) {
        Camera_Settings_Data other = b.data();
        other.ConfigVersion = a.ConfigVersion;
        return a.data() == other;
    };
    Camera_Settings written;
    written.Settings = {2, 12.345678, 2147483648.0, false, 30, 3, 7, 0.1 + 0.2, 4, 11, 22, 33};
    written.ExternalTrigger.TriggerDelay = 1e-7;
    written.ExternalFlash.StrobeDuration = 123456.789;
    const QString fileName = QStringLiteral("damaged.camerasettings.xml");
    const QByteArray valid = SettingsFileMutations::validFile(written, access, fileName);
    QVERIFY(!valid.isEmpty());
    const QString fault = SettingsFileMutations::run(valid, fileName, access);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

QTEST_GUILESS_MAIN(tst_Camera_Settings)
#include "tst_Camera_Settings.moc"
