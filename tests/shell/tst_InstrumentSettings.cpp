#include "InstrumentSettings.h"

#include "XML_Settings.h"

#include <SettingsFileMutations.h>

#include <QDomDocument>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeText(const QString& path, const QString& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0;
}

qint64 failingWrite(QIODevice& device, const QByteArray& data)
{
    device.write(data.left(data.size() / 2));
    return -1;
}

// An instrument settings file with channel n at X = n, Y = -n; a value of replaced may
// replace an element's text, a null text leaves the element out.
QString documentText(const QHash<QString, QString>& replaced = {}, const QString& version = QStringLiteral("1.0"),
                     bool withGroup = true, bool withName = true)
{
    QString text = QStringLiteral("<?xml version='1.0' encoding='UTF-8' ?>\n<InstrumentSettings Application=\"zelvorin\" "
                                  "ConfigVersion=\"%1\">\n")
                       .arg(version);
    if (withName)
        text += QStringLiteral(" <Name>\n  <Name>Bench</Name>\n </Name>\n");
    if (withGroup) {
        text += QStringLiteral(" <ChannelOffset>\n");
        for (int n = 1; n <= 16; ++n) {
            for (const QChar axis : {QLatin1Char('X'), QLatin1Char('Y')}) {
                const QString tag = QStringLiteral("ChannelOffset%1_%2").arg(axis).arg(n);
                QString value = QString::number(axis == QLatin1Char('X') ? n : -n);
                if (replaced.contains(tag)) {
                    value = replaced.value(tag);
                    if (value.isNull())
                        continue;
                }
                text += QStringLiteral("  <%1>%2</%1>\n").arg(tag, value);
            }
        }
        text += QStringLiteral(" </ChannelOffset>\n");
    }
    return text + QStringLiteral("</InstrumentSettings>\n");
}

void setMarkers(InstrumentSettings& settings)
{
    settings.name = QStringLiteral("kept");
    for (int i = 0; i < InstrumentSettings::ChannelCount; ++i) {
        settings.channelOffsetX_mm[i] = 100.0 + i;
        settings.channelOffsetY_mm[i] = 200.0 + i;
    }
}

bool hasMarkers(const InstrumentSettings& settings)
{
    for (int i = 0; i < InstrumentSettings::ChannelCount; ++i) {
        if (settings.channelOffsetX_mm[i] != 100.0 + i || settings.channelOffsetY_mm[i] != 200.0 + i)
            return false;
    }
    return settings.name == QStringLiteral("kept");
}

} // namespace

class tst_InstrumentSettings : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void fileLayout();
    void valuesReadBackExactly();
    void read_data();
    void read();
    void readAnnouncesTheChange();
    void loadOrCreate_missingFileGetsTheDefaults();
    void loadOrCreate_damagedFileIsKeptAndReported();
    void loadOrCreate_readsTheFile();
    void channelOffset_data();
    void channelOffset();
    void setChannelOffset_refused_data();
    void setChannelOffset_refused();
    void setChannelOffset_atTheBound();
    void setChannelOffset_failedSaveKeepsValuesAndOldFile();
    void mutatedFiles();

private:
    QString path(const QString& name = QStringLiteral("Instrument.xml")) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_InstrumentSettings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_InstrumentSettings::cleanup()
{
    XML_Settings::setWriteFunction(nullptr);
    m_dir.reset();
}

void tst_InstrumentSettings::fileLayout()
{
    InstrumentSettings settings;
    QCOMPARE(int(settings.setChannelOffset(3, 1.5, -0.25, path())), 0);

    QDomDocument document;
    QVERIFY(document.setContent(readBytes(path())));
    const QDomElement root = document.documentElement();
    QCOMPARE(root.tagName(), QStringLiteral("InstrumentSettings"));
    QCOMPARE(root.attribute(QStringLiteral("ConfigVersion")), QStringLiteral("1.0"));
    QVERIFY(!root.firstChildElement(QStringLiteral("Name")).firstChildElement(QStringLiteral("Name")).isNull());
    const QDomElement group = root.firstChildElement(QStringLiteral("ChannelOffset"));
    QStringList tags;
    QStringList values;
    for (QDomElement e = group.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        tags.append(e.tagName());
        values.append(e.text());
        QVERIFY(!e.hasAttribute(QStringLiteral("Unit")));
    }
    QStringList expectedTags;
    QStringList expectedValues;
    for (int n = 1; n <= 16; ++n) {
        expectedTags << QStringLiteral("ChannelOffsetX_%1").arg(n) << QStringLiteral("ChannelOffsetY_%1").arg(n);
        expectedValues << (n == 3 ? QStringLiteral("1.5") : QStringLiteral("0"))
                       << (n == 3 ? QStringLiteral("-0.25") : QStringLiteral("0"));
    }
    QCOMPARE(tags, expectedTags);
    QCOMPARE(values, expectedValues);
}

void tst_InstrumentSettings::valuesReadBackExactly()
{
    InstrumentSettings settings;
    settings.channelOffsetX_mm[0] = 12.345678;
    settings.channelOffsetY_mm[0] = 12.5;
    settings.channelOffsetY_mm[15] = -987.654321;
    settings.channelOffsetX_mm[15] = 999.99999;
    QVERIFY(settings.save(path()));
    const QByteArray bytes = readBytes(path());
    QVERIFY(bytes.contains("<ChannelOffsetX_1>12.345678</ChannelOffsetX_1>"));
    QVERIFY(bytes.contains("<ChannelOffsetY_1>12.5</ChannelOffsetY_1>"));
    QVERIFY(bytes.contains("<ChannelOffsetX_16>999.99999</ChannelOffsetX_16>"));
    InstrumentSettings read;
    QVERIFY(read.loadFromFile(path()));
    QCOMPARE(read.channelOffsetX_mm[0], 12.345678);
    QCOMPARE(read.channelOffsetY_mm[0], 12.5);
    QCOMPARE(read.channelOffsetY_mm[15], -987.654321);
    QCOMPARE(read.channelOffsetX_mm[15], 999.99999);
}

void tst_InstrumentSettings::read_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<double>("y7");
    const QString y7 = QStringLiteral("ChannelOffsetY_7");
    QTest::newRow("whole file") << documentText() << true << -7.0;
    QTest::newRow("missing value reads as 0") << documentText({{y7, QString()}}) << true << 0.0;
    QTest::newRow("newer version still read") << documentText({}, QStringLiteral("9.0")) << true << -7.0;
    QTest::newRow("value no number") << documentText({{y7, QStringLiteral("abc")}}) << false << 0.0;
    QTest::newRow("value empty") << documentText({{y7, QStringLiteral("")}}) << false << 0.0;
    QTest::newRow("value infinite") << documentText({{y7, QStringLiteral("inf")}}) << false << 0.0;
    QTest::newRow("value not a number") << documentText({{y7, QStringLiteral("nan")}}) << false << 0.0;
    QTest::newRow("value at the bound") << documentText({{y7, QStringLiteral("-1000")}}) << true << -1000.0;
    QTest::newRow("value beyond the bound") << documentText({{y7, QStringLiteral("1000.001")}}) << false << 0.0;
    QTest::newRow("value beyond every instrument") << documentText({{y7, QStringLiteral("-1e308")}}) << false << 0.0;
    QTest::newRow("no ChannelOffset") << documentText({}, QStringLiteral("1.0"), false) << false << 0.0;
    QTest::newRow("no name element") << documentText({}, QStringLiteral("1.0"), true, false) << false << 0.0;
    QTest::newRow("cut off") << documentText().left(300) << false << 0.0;
    QTest::newRow("empty") << QString() << false << 0.0;
}

void tst_InstrumentSettings::read()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(double, y7);
    InstrumentSettings settings;
    setMarkers(settings);
    QString reason;
    QCOMPARE(settings.readFromText(text, &reason), accepted);
    if (!accepted) {
        // A damaged file never turns into offsets of 0.0.
        QVERIFY(hasMarkers(settings));
        QVERIFY(!reason.isEmpty());
        return;
    }
    QVERIFY(reason.isEmpty());
    QCOMPARE(settings.name, QStringLiteral("Bench"));
    QCOMPARE(settings.channelOffsetY_mm[6], y7);
    QCOMPARE(settings.channelOffsetX_mm[6], 7.0);
    QCOMPARE(settings.channelOffsetX_mm[15], 16.0);
    QCOMPARE(settings.channelOffsetY_mm[0], -1.0);
}

void tst_InstrumentSettings::readAnnouncesTheChange()
{
    InstrumentSettings settings;
    QSignalSpy changed(&settings, &Settings_Change_Helper::signal_changed);
    QVERIFY(changed.wait(5000)); // the construction's own report
    changed.clear();
    QVERIFY(settings.readFromText(documentText()));
    QVERIFY(changed.wait(5000));
}

void tst_InstrumentSettings::loadOrCreate_missingFileGetsTheDefaults()
{
    InstrumentSettings settings;
    QString reason;
    QVERIFY(settings.loadOrCreate(path(), &reason));
    InstrumentSettings read;
    setMarkers(read);
    QVERIFY(read.loadFromFile(path()));
    for (int i = 0; i < InstrumentSettings::ChannelCount; ++i) {
        QCOMPARE(read.channelOffsetX_mm[i], 0.0);
        QCOMPARE(read.channelOffsetY_mm[i], 0.0);
    }
    // A folder that cannot be made is reported, not taken as success.
    QVERIFY(writeText(path(QStringLiteral("blocker")), QStringLiteral("x")));
    QVERIFY(!settings.loadOrCreate(path(QStringLiteral("blocker/Instrument.xml")), &reason));
    QVERIFY(reason.contains(QStringLiteral("blocker/Instrument.xml")));
}

void tst_InstrumentSettings::loadOrCreate_damagedFileIsKeptAndReported()
{
    const QString damaged = documentText({{QStringLiteral("ChannelOffsetX_2"), QStringLiteral("1,5")}});
    QVERIFY(writeText(path(), damaged));
    InstrumentSettings settings;
    setMarkers(settings);
    QString reason;
    QVERIFY(!settings.loadOrCreate(path(), &reason));
    QVERIFY2(reason.contains(QStringLiteral("ChannelOffsetX_2")), qPrintable(reason));
    QVERIFY(hasMarkers(settings));
    QCOMPARE(readBytes(path()), damaged.toUtf8());
}

void tst_InstrumentSettings::loadOrCreate_readsTheFile()
{
    QVERIFY(writeText(path(), documentText()));
    InstrumentSettings settings;
    QVERIFY(settings.loadOrCreate(path()));
    QCOMPARE(settings.channelOffsetX_mm[4], 5.0);
    QCOMPARE(settings.channelOffsetY_mm[4], -5.0);
}

void tst_InstrumentSettings::channelOffset_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("code");
    QTest::newRow("0") << 0 << 104;
    QTest::newRow("1") << 1 << 0;
    QTest::newRow("16") << 16 << 0;
    QTest::newRow("17") << 17 << 104;
    QTest::newRow("-1") << -1 << 104;
}

void tst_InstrumentSettings::channelOffset()
{
    QFETCH(int, channel);
    QFETCH(int, code);
    InstrumentSettings settings;
    QVERIFY(settings.readFromText(documentText()));
    double x = 42.0;
    double y = 42.0;
    QCOMPARE(int(settings.channelOffset(channel, x, y)), code);
    QCOMPARE(x, code == 0 ? double(channel) : 42.0);
    QCOMPARE(y, code == 0 ? -double(channel) : 42.0);
}

void tst_InstrumentSettings::setChannelOffset_refused_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("channel 0") << 0 << 1.0 << 1.0;
    QTest::newRow("channel 17") << 17 << 1.0 << 1.0;
    QTest::newRow("X infinite") << 2 << inf << 1.0;
    QTest::newRow("Y minus infinite") << 2 << 1.0 << -inf;
    QTest::newRow("X not a number") << 2 << nan << 1.0;
    QTest::newRow("beyond every instrument") << 2 << 1e308 << -1e308;
    QTest::newRow("X just beyond the bound") << 2 << 1000.001 << 0.0;
    QTest::newRow("Y just beyond the bound") << 16 << 0.0 << -1000.001;
}

void tst_InstrumentSettings::setChannelOffset_refused()
{
    QFETCH(int, channel);
    QFETCH(double, x);
    QFETCH(double, y);
    InstrumentSettings settings;
    setMarkers(settings);
    QCOMPARE(int(settings.setChannelOffset(channel, x, y, path())), 104);
    QVERIFY(hasMarkers(settings));
    QVERIFY(!QFile::exists(path()));
}

void tst_InstrumentSettings::setChannelOffset_atTheBound()
{
    InstrumentSettings settings;
    QCOMPARE(int(settings.setChannelOffset(16, 1000.0, -1000.0, path())), 0);
    InstrumentSettings read;
    QVERIFY(read.loadFromFile(path()));
    QCOMPARE(read.channelOffsetX_mm[15], 1000.0);
    QCOMPARE(read.channelOffsetY_mm[15], -1000.0);
}

void tst_InstrumentSettings::setChannelOffset_failedSaveKeepsValuesAndOldFile()
{
    InstrumentSettings settings;
    QCOMPARE(int(settings.setChannelOffset(1, 0.5, 0.5, path())), 0);
    const QByteArray before = readBytes(path());
    XML_Settings::setWriteFunction(&failingWrite);
    QCOMPARE(int(settings.setChannelOffset(2, 3.0, 4.0, path())), 3);
    QCOMPARE(settings.channelOffsetX_mm[1], 3.0);
    QCOMPARE(settings.channelOffsetY_mm[1], 4.0);
    QCOMPARE(readBytes(path()), before);
}

// Seeded damage of a settings file: each copy is refused without a trace or read within the
// bounds of every reader, and what it read comes back exactly after a save.
void tst_InstrumentSettings::mutatedFiles()
{
    SettingsFileMutations::Access<InstrumentSettings> access;
    access.make = [] {
        auto record = std::make_unique<InstrumentSettings>();
        setMarkers(*record);
        return record;
    };
    access.load = [](InstrumentSettings& record, const QString& path) { return record.loadFromFile(path); };
    access.save = [](InstrumentSettings& record, const QString& path) { return record.save(path); };
    // The name and the bits of every offset.
    access.text = [](InstrumentSettings& record) {
        QString text = record.name;
        for (int i = 0; i < InstrumentSettings::ChannelCount; ++i) {
            for (const double value : {record.channelOffsetX_mm[i], record.channelOffsetY_mm[i]}) {
                quint64 bits = 0;
                std::memcpy(&bits, &value, sizeof bits);
                text += QStringLiteral("\n%1").arg(bits, 16, 16, QLatin1Char('0'));
            }
        }
        return text;
    };
    InstrumentSettings written;
    for (int i = 0; i < InstrumentSettings::ChannelCount; ++i) {
        written.channelOffsetX_mm[i] = 12.345678 * (i + 1);
        written.channelOffsetY_mm[i] = -0.1 * (i + 1) - 0.2;
    }
    written.channelOffsetX_mm[15] = -1000.0;
    const QByteArray valid = SettingsFileMutations::validFile(written, access, QStringLiteral("Instrument.xml"));
    QVERIFY(!valid.isEmpty());
    const QString fault = SettingsFileMutations::run(valid, QStringLiteral("Instrument.xml"), access);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

QTEST_GUILESS_MAIN(tst_InstrumentSettings)
#include "tst_InstrumentSettings.moc"
