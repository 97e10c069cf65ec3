#include "XML_Settings.h"
#include "XML_Settings_Element.h"

#include <MutationLoop.h>
#include <TestFixtures.h>

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QVariant>
#include <QtTest>

#include <cstring>
#include <limits>
#include <random>
#include <type_traits>

namespace {

QDateTime fixedClock()
{
    return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9));
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

bool writeBytes(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// Simulates a disk that fills up half-way through the write.
qint64 failingWrite(QIODevice& device, const QByteArray& data)
{
    device.write(data.left(data.size() / 2));
    return -1;
}

// A small record as the settings classes build them: defaults first, then each value that is
// present and converts.
struct SampleRecord {
    QString name = QStringLiteral("unchanged");
    int count = 7;
    double ratio = 1.5;
    QString label = QStringLiteral("default");
    bool flag = false;

    void write(XML_Settings& xml) const
    {
        XML_Settings_Element root = xml.createDocument();
        XML_Settings_Element group = root.addElement(QStringLiteral("Group"));
        group.addValue(QStringLiteral("Count"), count);
        group.addValue(QStringLiteral("Ratio"), ratio, QStringLiteral("mm"));
        group.addValue(QStringLiteral("Label"), label);
        group.addValue(QStringLiteral("Flag"), flag);
    }

    void read(XML_Settings_Element root)
    {
        XML_Settings_Element group = root.getElement(QStringLiteral("Group"));
        group.getValue(QStringLiteral("Count"), count);
        group.getValue(QStringLiteral("Ratio"), ratio);
        group.getValue(QStringLiteral("Label"), label);
        group.getValue(QStringLiteral("Flag"), flag);
    }
};

const char* const c_goodSample =
    "<?xml version='1.0' encoding='UTF-8' ?>\n"
    "<Sample Application=\"app\" ApplicationVersion=\"1.0\" ConfigVersion=\"2.1\" ModifyDate=\"2024-03-05T14:07:09\">\n"
    " <Name>\n"
    "  <Name>Plate</Name>\n"
    " </Name>\n"
    " <Group>\n"
    "  <Count>42</Count>\n"
    "  <Ratio Unit=\"mm\">0.25</Ratio>\n"
    "  <Label>read</Label>\n"
    "  <Flag>true</Flag>\n"
    " </Group>\n"
    "</Sample>\n";

// Reads one value into a variable preset to 99, so an untouched value shows as 99.
template <typename T>
bool readNumber(XML_Settings_Element& handle, const QString& tag, QString& result)
{
    T v = T(99);
    const bool ok = handle.getValue(tag, v);
    if constexpr (std::is_same_v<T, double>)
        result = QString::number(v, 'g', 17);
    else if constexpr (std::is_signed_v<T>)
        result = QString::number(qlonglong(v));
    else
        result = QString::number(qulonglong(v));
    return ok;
}

// Reads a value of the named type from <V>text</V>; returns the outcome and the value as text.
bool readAs(const QString& type, const QString& text, QString& result)
{
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("R"));
    document.appendChild(root);
    QDomElement value = document.createElement(QStringLiteral("V"));
    value.appendChild(document.createTextNode(text));
    root.appendChild(value);
    XML_Settings_Element handle(root);
    const QString tag = QStringLiteral("V");
    if (type == QLatin1String("bool")) {
        bool v = false;
        const bool ok = handle.getValue(tag, v);
        result = v ? QStringLiteral("true") : QStringLiteral("false");
        return ok;
    }
    if (type == QLatin1String("finite")) {
        double v = 99.0;
        const bool ok = handle.getFiniteValue(tag, v);
        result = QString::number(v, 'g', 17);
        return ok;
    }
    if (type == QLatin1String("QString")) {
        QString v = QStringLiteral("99");
        const bool ok = handle.getValue(tag, v);
        result = v;
        return ok;
    }
    using Reader = bool (*)(XML_Settings_Element&, const QString&, QString&);
    static const QHash<QString, Reader> readers = {
        {QStringLiteral("char"), &readNumber<char>},
        {QStringLiteral("uchar"), &readNumber<unsigned char>},
        {QStringLiteral("short"), &readNumber<short>},
        {QStringLiteral("ushort"), &readNumber<unsigned short>},
        {QStringLiteral("int"), &readNumber<int>},
        {QStringLiteral("uint"), &readNumber<unsigned int>},
        {QStringLiteral("long"), &readNumber<long>},
        {QStringLiteral("ulong"), &readNumber<unsigned long>},
        {QStringLiteral("double"), &readNumber<double>},
    };
    const Reader reader = readers.value(type);
    return reader && reader(handle, tag, result);
}

} // namespace

class tst_XML_Settings : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void roundTripEveryValueKind();
    void valueText_data();
    void valueText();
    void doublesReadBackBitForBit();
    void readConversion_data();
    void readConversion();
    void variantRead_data();
    void variantRead();
    void nthReadTakesNthSibling();
    void longListsReadInOneWalk();
    void handleCopiesKeepTheirOwnCounters();
    void unwritableCharactersStayReadable();
    void badFiles_data();
    void badFiles();
    void fileNameRule_data();
    void fileNameRule();
    void recordWithoutName();
    void strayTextDoesNotGrow();
    void mutatedFilesReadBackAlike();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
    void escapeText_data();
    void escapeText();

private:
    QTemporaryDir m_dir;
};

void tst_XML_Settings::init()
{
    QVERIFY(m_dir.isValid());
    XML_Settings::setClockFunction(&fixedClock);
}

void tst_XML_Settings::cleanup()
{
    XML_Settings::setClockFunction(nullptr);
    XML_Settings::setWriteFunction(nullptr);
}

void tst_XML_Settings::roundTripEveryValueKind()
{
    const QString expected = QString::fromUtf8(
        "<?xml version='1.0' encoding='UTF-8' ?>\n"
        "<ColonySettings Application=\"zelvorin\" ApplicationVersion=\"1.1.0\" ConfigVersion=\"2.1\" ModifyDate=\"2024-03-05T14:07:09\">\n"
        " <Name>\n"
        "  <Name>Every kind</Name>\n"
        " </Name>\n"
        " <Values>\n"
        "  <Bool>true</Bool>\n"
        "  <Char>-5</Char>\n"
        "  <UChar>200</UChar>\n"
        "  <Short>-32768</Short>\n"
        "  <UShort>65535</UShort>\n"
        "  <Int Unit=\"px\">-2147483648</Int>\n"
        "  <UInt>4294967295</UInt>\n"
        "  <Long>-123456</Long>\n"
        "  <ULong>123456</ULong>\n"
        "  <Double Unit=\"mm\">0.5</Double>\n"
        "  <Big>2.5e+06</Big>\n"
        "  <Text>a &lt;b&gt; &amp; \"c\" 'd' \u00e4\u20ac\U0001F600\ttab\n"
        "line&#xd;</Text>\n"
        "  <Blank>  </Blank>\n"
        "  <Empty/>\n"
        "  <Unit Unit=\"a&quot;b&#xa;\">1</Unit>\n"
        " </Values>\n"
        " <Outer>\n"
        "  <Inner>\n"
        "   <Deep>3</Deep>\n"
        "  </Inner>\n"
        " </Outer>\n"
        " <List>\n"
        "  <Item>1</Item>\n"
        "  <Item>2</Item>\n"
        "  <Item>3</Item>\n"
        " </List>\n"
        " <Variants>\n"
        "  <V TypeName=\"bool\">false</V>\n"
        "  <V TypeName=\"int\" Unit=\"s\">-3</V>\n"
        "  <V TypeName=\"uint\">4000000000</V>\n"
        "  <V TypeName=\"double\">1234567</V>\n"
        "  <V TypeName=\"QString\">text</V>\n"
        "  <V TypeName=\"QDate\"/>\n"
        " </Variants>\n"
        "</ColonySettings>\n");

    QString name = QStringLiteral("Every kind");
    XML_Settings writer(QStringLiteral("zelvorin"), QStringLiteral("1.1.0"),
                        QStringLiteral("ColonySettings"), QStringLiteral("2.1"),
                        QStringLiteral(".ColonySettings"), &name);
    const QString text = QString::fromUtf8("a <b> & \"c\" 'd' \u00e4\u20ac\U0001F600\ttab\nline\r");
    const auto write = [&]() {
        XML_Settings_Element root = writer.createDocument();
        XML_Settings_Element values = root.addElement(QStringLiteral("Values"));
        values.addValue(QStringLiteral("Bool"), true);
        values.addValue(QStringLiteral("Char"), char(-5));
        values.addValue(QStringLiteral("UChar"), static_cast<unsigned char>(200));
        values.addValue(QStringLiteral("Short"), short(-32768));
        values.addValue(QStringLiteral("UShort"), static_cast<unsigned short>(65535));
        values.addValue(QStringLiteral("Int"), int(-2147483647 - 1), QStringLiteral("px"));
        values.addValue(QStringLiteral("UInt"), 4294967295u);
        values.addValue(QStringLiteral("Long"), -123456L);
        values.addValue(QStringLiteral("ULong"), 123456UL);
        values.addValue(QStringLiteral("Double"), 0.5, QStringLiteral("mm"));
        values.addValue(QStringLiteral("Big"), 2500000.0, QString());
        values.addValue(QStringLiteral("Text"), text);
        values.addValue(QStringLiteral("Blank"), QStringLiteral("  "));
        values.addValue(QStringLiteral("Empty"), QString());
        values.addValue(QStringLiteral("Unit"), 1, QStringLiteral("a\"b\n"));
        root.addElement(QStringLiteral("Outer")).addElement(QStringLiteral("Inner"))
            .addValue(QStringLiteral("Deep"), 3);
        XML_Settings_Element list = root.addElement(QStringLiteral("List"));
        for (int item : {1, 2, 3})
            list.addValue(QStringLiteral("Item"), item);
        XML_Settings_Element variants = root.addElement(QStringLiteral("Variants"));
        variants.addValue(QStringLiteral("V"), QVariant(false));
        variants.addValue(QStringLiteral("V"), QVariant(-3), QStringLiteral("s"));
        variants.addValue(QStringLiteral("V"), QVariant(4000000000u));
        variants.addValue(QStringLiteral("V"), QVariant(1234567.0));
        variants.addValue(QStringLiteral("V"), QVariant(QStringLiteral("text")));
        variants.addValue(QStringLiteral("V"), QVariant(QDate(2024, 1, 1)));
    };
    write();
    QCOMPARE(writer.toString(), expected);

    const QString path = m_dir.filePath(QStringLiteral("Every kind.ColonySettings"));
    QVERIFY(writer.save(path));
    const QByteArray saved = readBytes(path);
    QCOMPARE(saved, expected.toUtf8());

    // Read back through a second record object.
    QString readName;
    XML_Settings reader(QStringLiteral("zelvorin"), QStringLiteral("1.1.0"),
                        QStringLiteral("ColonySettings"), QStringLiteral("2.1"),
                        QStringLiteral(".ColonySettings"), &readName);
    QString fileText;
    QVERIFY(reader.readFile(fileText, path));
    QString version;
    XML_Settings_Element root = reader.parse(fileText, version);
    QVERIFY(!root.isNull());
    QCOMPARE(version, QStringLiteral("2.1"));
    QCOMPARE(readName, QStringLiteral("Every kind"));
    // The parsed document serialises to the very same bytes.
    QCOMPARE(reader.toString().toUtf8(), saved);

    XML_Settings_Element values = root.getElement(QStringLiteral("Values"));
    bool b = false;
    char c = 0;
    unsigned char uc = 0;
    short s = 0;
    unsigned short us = 0;
    int i = 0;
    unsigned int ui = 0;
    long l = 0;
    unsigned long ul = 0;
    double d = 0;
    double big = 0;
    QString t, blank, empty = QStringLiteral("x");
    QVERIFY(values.getValue(QStringLiteral("Bool"), b));
    QVERIFY(values.getValue(QStringLiteral("Char"), c));
    QVERIFY(values.getValue(QStringLiteral("UChar"), uc));
    QVERIFY(values.getValue(QStringLiteral("Short"), s));
    QVERIFY(values.getValue(QStringLiteral("UShort"), us));
    QVERIFY(values.getValue(QStringLiteral("Int"), i));
    QVERIFY(values.getValue(QStringLiteral("UInt"), ui));
    QVERIFY(values.getValue(QStringLiteral("Long"), l));
    QVERIFY(values.getValue(QStringLiteral("ULong"), ul));
    QVERIFY(values.getValue(QStringLiteral("Double"), d));
    QVERIFY(values.getValue(QStringLiteral("Big"), big));
    QVERIFY(values.getValue(QStringLiteral("Text"), t));
    QVERIFY(values.getValue(QStringLiteral("Blank"), blank));
    QVERIFY(values.getValue(QStringLiteral("Empty"), empty));
    QCOMPARE(b, true);
    QCOMPARE(c, char(-5));
    QCOMPARE(uc, static_cast<unsigned char>(200));
    QCOMPARE(s, short(-32768));
    QCOMPARE(us, static_cast<unsigned short>(65535));
    QCOMPARE(i, int(-2147483647 - 1));
    QCOMPARE(ui, 4294967295u);
    QCOMPARE(l, -123456L);
    QCOMPARE(ul, 123456UL);
    QCOMPARE(d, 0.5);
    QCOMPARE(big, 2500000.0);
    QCOMPARE(t, text);
    QCOMPARE(blank, QStringLiteral("  "));
    QCOMPARE(empty, QString());

    int deep = 0;
    QVERIFY(root.getElement(QStringLiteral("Outer")).getElement(QStringLiteral("Inner"))
                .getValue(QStringLiteral("Deep"), deep));
    QCOMPARE(deep, 3);

    XML_Settings_Element list = root.getElement(QStringLiteral("List"));
    QList<int> items;
    for (int item = 0; list.getValue(QStringLiteral("Item"), item);)
        items.append(item);
    QCOMPARE(items, QList<int>({1, 2, 3}));

    XML_Settings_Element variants = root.getElement(QStringLiteral("Variants"));
    QVariant v;
    QVERIFY(variants.getValue(QStringLiteral("V"), v));
    QCOMPARE(v, QVariant(false));
    QVERIFY(variants.getValue(QStringLiteral("V"), v));
    QCOMPARE(v, QVariant(-3));
    QVERIFY(variants.getValue(QStringLiteral("V"), v));
    QCOMPARE(v, QVariant(4000000000u));
    QVERIFY(variants.getValue(QStringLiteral("V"), v));
    QCOMPARE(v, QVariant(1234567.0));
    QVERIFY(variants.getValue(QStringLiteral("V"), v));
    QCOMPARE(v, QVariant(QStringLiteral("text")));
    QVERIFY(!variants.getValue(QStringLiteral("V"), v)); // a type without text is not read
    QCOMPARE(v, QVariant(QStringLiteral("text")));

    // Writing what was read gives the same file again.
    write();
    QVERIFY(writer.save(path));
    QCOMPARE(readBytes(path), saved);
}

void tst_XML_Settings::valueText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    // Values that 6 significant digits hold keep their usual look.
    QTest::newRow("half") << 0.5 << QStringLiteral("0.5");
    QTest::newRow("whole") << 90.0 << QStringLiteral("90");
    QTest::newRow("decimal") << 239.8 << QStringLiteral("239.8");
    QTest::newRow("ordinary") << 12.5 << QStringLiteral("12.5");
    QTest::newRow("millions") << 2500000.0 << QStringLiteral("2.5e+06");
    QTest::newRow("hundred thousand") << 100000.0 << QStringLiteral("100000");
    QTest::newRow("small") << 0.0001 << QStringLiteral("0.0001");
    QTest::newRow("tiny") << 0.00001 << QStringLiteral("1e-05");
    QTest::newRow("negative") << -3.25 << QStringLiteral("-3.25");
    QTest::newRow("zero") << 0.0 << QStringLiteral("0");
    // Others get the digits that read back to the same double, and no more.
    QTest::newRow("seventh digit kept") << 1.2345678 << QStringLiteral("1.2345678");
    QTest::newRow("channel offset") << 12.345678 << QStringLiteral("12.345678");
    QTest::newRow("two to the 31st") << 2147483648.0 << QStringLiteral("2147483648");
    QTest::newRow("seven digits") << 1234567.0 << QStringLiteral("1234567");
    QTest::newRow("sum with a binary tail") << 0.1 + 0.2 << QStringLiteral("0.30000000000000004");
    QTest::newRow("many digits, large") << 1.2345678e+20 << QStringLiteral("1.2345678e+20");
    QTest::newRow("many digits, small") << -1.2345678e-05 << QStringLiteral("-1.2345678e-05");
    QTest::newRow("negative zero") << -0.0 << QStringLiteral("-0");
    QTest::newRow("largest") << std::numeric_limits<double>::max() << QStringLiteral("1.7976931348623157e+308");
    QTest::newRow("smallest subnormal") << std::numeric_limits<double>::denorm_min() << QStringLiteral("5e-324");
}

void tst_XML_Settings::valueText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("R"));
    document.appendChild(root);
    XML_Settings_Element handle(root);
    QCOMPARE(handle.addValue(QStringLiteral("D"), value).element().text(), text);
    double read = 99.0;
    QVERIFY(handle.getValue(QStringLiteral("D"), read));
    QVERIFY(std::memcmp(&read, &value, sizeof read) == 0);
}

// Any finite double, whatever its bits, comes back as the very same double: seeded random
// bit patterns (every exponent, subnormals) and decimals of up to 17 digits. Those that 6
// significant digits hold are written as before.
void tst_XML_Settings::doublesReadBackBitForBit()
{
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("R"));
    document.appendChild(root);
    std::mt19937_64 random(32);
    std::uniform_int_distribution<int> digits(1, 17);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (int n = 0; n < 20000; ++n) {
        double value = 0.0;
        if (n % 2 == 0) {
            const quint64 bits = random();
            std::memcpy(&value, &bits, sizeof value);
            if (!std::isfinite(value))
                continue;
        } else {
            const QString mantissa = QString::number(random() % 100000000000000000ULL).left(digits(random));
            value = (mantissa + QStringLiteral("e%1").arg(exponent(random))).toDouble();
        }
        XML_Settings_Element handle(root);
        const QString text = handle.addValue(QStringLiteral("D"), value).element().text();
        // Values that 6 digits hold look as they always did.
        if (QString::number(value, 'g', 6).toDouble() == value && std::isnormal(value))
            QCOMPARE(text, QString::number(value, 'g', 6));
        double read = 0.0;
        QVERIFY(XML_Settings_Element(root).getValue(QStringLiteral("D"), read));
        QVERIFY2(std::memcmp(&read, &value, sizeof read) == 0,
                 qPrintable(QStringLiteral("%1 came back as %2").arg(text, QString::number(read, 'g', 17))));
        root.removeChild(root.firstChild());
    }
}

void tst_XML_Settings::readConversion_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("result"); // "99" (or "false") is the untouched preset

    QTest::newRow("bool capitals") << "bool" << "TRUE" << true << "true";
    QTest::newRow("bool mixed") << "bool" << "False" << true << "false";
    QTest::newRow("bool leading blank") << "bool" << " true" << false << "false";
    QTest::newRow("bool number") << "bool" << "1" << false << "false";
    QTest::newRow("char keeps low byte") << "char" << "300" << true << "44";
    QTest::newRow("char negative") << "char" << "-1" << true << "-1";
    QTest::newRow("char beyond short") << "char" << "40000" << false << "99";
    QTest::newRow("uchar keeps low byte") << "uchar" << "256" << true << "0";
    QTest::newRow("uchar negative") << "uchar" << "-1" << false << "99";
    QTest::newRow("short max") << "short" << "32767" << true << "32767";
    QTest::newRow("short overflow") << "short" << "32768" << false << "99";
    QTest::newRow("ushort negative") << "ushort" << "-1" << false << "99";
    QTest::newRow("int overflow") << "int" << "2147483648" << false << "99";
    QTest::newRow("int hex") << "int" << "0x10" << false << "99";
    QTest::newRow("int fraction") << "int" << "1.5" << false << "99";
    QTest::newRow("int empty") << "int" << "" << false << "99";
    QTest::newRow("int words") << "int" << "seven" << false << "99";
    QTest::newRow("uint max") << "uint" << "4294967295" << true << "4294967295";
    QTest::newRow("uint negative") << "uint" << "-1" << false << "99";
    QTest::newRow("long beyond 32 bits") << "long" << "2147483648" << false << "99";
    QTest::newRow("long min") << "long" << "-2147483648" << true << "-2147483648";
    QTest::newRow("ulong beyond 32 bits") << "ulong" << "4294967296" << false << "99";
    QTest::newRow("double exponent") << "double" << "2.5e+06" << true << "2500000";
    QTest::newRow("double comma") << "double" << "1,5" << false << "99";
    QTest::newRow("double words") << "double" << "abc" << false << "99";
    QTest::newRow("double infinite") << "double" << "-inf" << true << "-inf";
    QTest::newRow("finite double") << "finite" << "-2.5" << true << "-2.5";
    QTest::newRow("finite double, infinite") << "finite" << "inf" << false << "99";
    QTest::newRow("finite double, not a number") << "finite" << "nan" << false << "99";
    QTest::newRow("finite double, beyond the range") << "finite" << "1e400" << false << "99";
    QTest::newRow("string kept as is") << "QString" << " a b " << true << " a b ";
}

void tst_XML_Settings::readConversion()
{
    QFETCH(QString, type);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QString, result);
    QString value;
    QCOMPARE(readAs(type, text, value), ok);
    QCOMPARE(value, result);
}

void tst_XML_Settings::variantRead_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QVariant>("result");
    const QVariant untouched(QStringLiteral("preset"));
    QTest::newRow("int") << "<V TypeName=\"int\">12</V>" << true << QVariant(12);
    QTest::newRow("bad int reads 0") << "<V TypeName=\"int\">x</V>" << true << QVariant(0);
    QTest::newRow("bad uint reads 0") << "<V TypeName=\"uint\">-4</V>" << true << QVariant(0u);
    QTest::newRow("bad double reads 0") << "<V TypeName=\"double\">x</V>" << true << QVariant(0.0);
    QTest::newRow("bool capitals") << "<V TypeName=\"bool\">TRUE</V>" << true << QVariant(true);
    QTest::newRow("bad bool") << "<V TypeName=\"bool\">yes</V>" << false << untouched;
    QTest::newRow("string") << "<V Unit=\"u\" TypeName=\"QString\">s</V>" << true << QVariant(QStringLiteral("s"));
    QTest::newRow("unknown type") << "<V TypeName=\"QDate\">2024-01-01</V>" << false << untouched;
    QTest::newRow("no type") << "<V>12</V>" << false << untouched;
    QTest::newRow("missing") << "<W TypeName=\"int\">1</W>" << false << untouched;
}

void tst_XML_Settings::variantRead()
{
    QFETCH(QString, element);
    QFETCH(bool, ok);
    QFETCH(QVariant, result);
    XML_Settings xml(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("R"),
                     QStringLiteral("1.0"), QStringLiteral(".r"), nullptr);
    QString version;
    XML_Settings_Element root = xml.parse(QStringLiteral("<R>%1</R>").arg(element), version);
    QVERIFY(!root.isNull());
    QVariant value(QStringLiteral("preset"));
    QCOMPARE(root.getValue(QStringLiteral("V"), value), ok);
    QCOMPARE(value, result);
    QCOMPARE(value.typeId(), result.typeId());
}

void tst_XML_Settings::nthReadTakesNthSibling()
{
    XML_Settings xml(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("R"),
                     QStringLiteral("1.0"), QStringLiteral(".r"), nullptr);
    QString version;
    XML_Settings_Element root = xml.parse(QStringLiteral(
        "<R><P>1</P><Q>x</Q><P>2</P><G><K>a</K></G><Other/><P>3</P><G><K>b</K></G>"
        "<N>bad</N><N>5</N></R>"), version);
    QVERIFY(!root.isNull());

    // Values: other tags in between do not count; a fourth read fails.
    int p = 0;
    for (int expected : {1, 2, 3}) {
        QVERIFY(root.getValue(QStringLiteral("P"), p));
        QCOMPARE(p, expected);
    }
    QVERIFY(!root.getValue(QStringLiteral("P"), p));
    QCOMPARE(p, 3);

    // A text that does not convert still moves on to the next sibling.
    int n = 0;
    QVERIFY(!root.getValue(QStringLiteral("N"), n));
    QVERIFY(root.getValue(QStringLiteral("N"), n));
    QCOMPARE(n, 5);

    // Groups count apart from values; a child group starts with fresh counters.
    QString k;
    QVERIFY(root.getElement(QStringLiteral("G")).getValue(QStringLiteral("K"), k));
    QCOMPARE(k, QStringLiteral("a"));
    XML_Settings_Element second = root.getElement(QStringLiteral("G"));
    QVERIFY(second.getValue(QStringLiteral("K"), k));
    QCOMPARE(k, QStringLiteral("b"));
    QVERIFY(root.getElement(QStringLiteral("G")).isNull());

    // A missing group stays missing, and reads through its null handle fail.
    for (int i = 0; i < 3; ++i) {
        XML_Settings_Element missing = root.getElement(QStringLiteral("Missing"));
        QVERIFY(missing.isNull());
        QString untouched = QStringLiteral("keep");
        QVERIFY(!missing.getValue(QStringLiteral("K"), untouched));
        QCOMPARE(untouched, QStringLiteral("keep"));
        QVERIFY(missing.getElement(QStringLiteral("K")).isNull());
    }
}

// Each read of a tag continues where the last one stopped: reading a list of 100,001
// groups and as many values takes one walk, not one walk per item (which took minutes). The
// bound leaves a loaded or sanitized run ample time and still tells the two apart.
void tst_XML_Settings::longListsReadInOneWalk()
{
    constexpr int count = 100001;
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("R"));
    document.appendChild(root);
    XML_Settings_Element writer(root);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        writer.addElement(QStringLiteral("G")).addValue(QStringLiteral("K"), i);
        writer.addValue(QStringLiteral("V"), i);
    }
    const qint64 writing = timer.restart();

    XML_Settings_Element reader(root);
    int groups = 0;
    for (XML_Settings_Element group = reader.getElement(QStringLiteral("G")); !group.isNull();
         group = reader.getElement(QStringLiteral("G"))) {
        int k = -1;
        QVERIFY(group.getValue(QStringLiteral("K"), k));
        QCOMPARE(k, groups++);
    }
    int values = 0;
    for (int v = -1; reader.getValue(QStringLiteral("V"), v);)
        QCOMPARE(v, values++);
    const qint64 reading = timer.elapsed();
    QVERIFY2(reading < 30000, qPrintable(QStringLiteral("%1 ms to read, %2 ms to write").arg(reading).arg(writing)));
    QCOMPARE(groups, count);
    QCOMPARE(values, count);
}

void tst_XML_Settings::handleCopiesKeepTheirOwnCounters()
{
    XML_Settings xml(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("R"),
                     QStringLiteral("1.0"), QStringLiteral(".r"), nullptr);
    QString version;
    XML_Settings_Element root = xml.parse(QStringLiteral("<R><P>1</P><P>2</P></R>"), version);
    int value = 0;
    QVERIFY(root.getValue(QStringLiteral("P"), value));
    XML_Settings_Element copy = root;
    QVERIFY(copy.getValue(QStringLiteral("P"), value));
    QCOMPARE(value, 2); // the copy continues where the original was
    QVERIFY(root.getValue(QStringLiteral("P"), value));
    QCOMPARE(value, 2); // and the original did not move with the copy
}

void tst_XML_Settings::unwritableCharactersStayReadable()
{
    QString name = QStringLiteral("N");
    XML_Settings xml(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("R"),
                     QStringLiteral("1.0"), QStringLiteral(".r"), &name);
    const QString control = QStringLiteral("a") + QChar(0x01) + QChar(0xD800) + QStringLiteral("b");
    xml.createDocument().addValue(QStringLiteral("T"), control);
    const QString path = m_dir.filePath(QStringLiteral("control.r"));
    QVERIFY(xml.save(path));

    QString text;
    QVERIFY(xml.readFile(text, path));
    QString version;
    XML_Settings_Element root = xml.parse(text, version);
    QVERIFY(!root.isNull());
    QString value;
    QVERIFY(root.getValue(QStringLiteral("T"), value));
    QCOMPARE(value, QStringLiteral("a\uFFFD\uFFFDb"));
}

void tst_XML_Settings::badFiles_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("readOk");
    QTest::addColumn<bool>("parseOk");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("flag");

    const QByteArray good(c_goodSample);
    // Values of a failed load: the defaults; the name is the file's base name from readFile.
    const auto defaults = [](const char* row, bool exists, const QByteArray& content, bool readOk,
                             const QString& name, const QString& version = QString()) {
        QTest::newRow(row) << exists << content << readOk << false << version << name
                           << 7 << 1.5 << QStringLiteral("default") << false;
    };

    QTest::newRow("good") << true << good << true << true << "2.1" << "Plate"
                          << 42 << 0.25 << "read" << true;
    QTest::newRow("byte-order mark") << true << (QByteArray("\xEF\xBB\xBF") + good) << true << true
                                     << "2.1" << "Plate" << 42 << 0.25 << "read" << true;
    QTest::newRow("windows line ends") << true << QByteArray(good).replace("\n", "\r\n") << true
                                       << true << "2.1" << "Plate" << 42 << 0.25 << "read" << true;
    QTest::newRow("wrong root parses") << true << QByteArray(good).replace("Sample", "Other")
                                       << true << true << "2.1" << "Plate" << 42 << 0.25 << "read" << true;
    QTest::newRow("no version gives default")
        << true << QByteArray(good).replace(" ConfigVersion=\"2.1\"", "") << true << true
        << "1.0" << "Plate" << 42 << 0.25 << "read" << true;
    QTest::newRow("newer version is handed out")
        << true << QByteArray(good).replace("ConfigVersion=\"2.1\"", "ConfigVersion=\"9.9\"")
        << true << true << "9.9" << "Plate" << 42 << 0.25 << "read" << true;
    QTest::newRow("values that do not convert")
        << true
        << QByteArray(good).replace(">42<", ">4x2<").replace(">0.25<", ">0,25<").replace(">true<", "> true<")
        << true << true << "2.1" << "Plate" << 7 << 1.5 << "read" << false;
    QTest::newRow("missing values")
        << true << QByteArray(good).replace("  <Count>42</Count>\n", "").replace("  <Label>read</Label>\n", "")
        << true << true << "2.1" << "Plate" << 7 << 0.25 << "default" << true;
    QTest::newRow("missing group") << true << QByteArray(good).replace("Group", "Elsewhere")
                                   << true << true << "2.1" << "Plate" << 7 << 1.5 << "default" << false;

    defaults("missing file", false, QByteArray(), false, QStringLiteral("unchanged"));
    defaults("empty", true, QByteArray(), true, QStringLiteral("sample"));
    defaults("blank", true, QByteArray("  \n"), true, QStringLiteral("sample"));
    defaults("not xml", true, QByteArray("Count=42\nRatio=0.25\n"), true, QStringLiteral("sample"));
    defaults("binary", true, QByteArray("\x00\x01\xff\xfe<\x00", 6), true, QStringLiteral("sample"));
    defaults("truncated", true, good.left(good.size() / 2), true, QStringLiteral("sample"));
    defaults("end tag missing", true, good.left(good.lastIndexOf("</Sample>")), true,
             QStringLiteral("sample"));
    defaults("declaration only", true, QByteArray("<?xml version='1.0' encoding='UTF-8' ?>\n"), true,
             QStringLiteral("sample"));
    defaults("two roots", true, good + "<Sample/>\n", true, QStringLiteral("sample"));
    defaults("no name element", true,
             QByteArray(good).replace(" <Name>\n  <Name>Plate</Name>\n </Name>\n", ""), true,
             QStringLiteral("sample"), QStringLiteral("2.1"));
    defaults("name group without value", true,
             QByteArray(good).replace("  <Name>Plate</Name>\n", ""), true, QStringLiteral("sample"),
             QStringLiteral("2.1"));
    // Settings files are a few levels deep; a deeper nesting is refused before it is built.
    const auto nested = [&](int depth) {
        // Root and group are two levels.
        return QByteArray(good).replace("<Label>read</Label>",
                                        QByteArray("<D>").repeated(depth - 2) + QByteArray("</D>").repeated(depth - 2)
                                            + "<Label>read</Label>");
    };
    QTest::newRow("nested 64 deep") << true << nested(64) << true << true << "2.1" << "Plate" << 42 << 0.25 << "read"
                                    << true;
    defaults("nested 65 deep", true, nested(65), true, QStringLiteral("sample"));
    defaults("nested 40000 deep", true, nested(40000), true, QStringLiteral("sample"));
    // Settings files are a few kilobytes: a file above the bound is not even read.
    const auto padded = [&](qint64 size) { return good + QByteArray(size - good.size(), ' '); };
    QTest::newRow("at the size bound") << true << padded(XML_Settings::MaximumFileSize) << true << true << "2.1"
                                       << "Plate" << 42 << 0.25 << "read" << true;
    defaults("beyond the size bound", true, padded(XML_Settings::MaximumFileSize + 1), false,
             QStringLiteral("unchanged"));
    // Thousands of attributes on one element cost the parser seconds; settings carry a few.
    const auto attributes = [&](int count, const QByteArray& value = QByteArray()) {
        QByteArray tag = " <Group";
        for (int i = 0; i < count; ++i)
            tag += " a" + QByteArray::number(i) + "=\"" + value + "\"";
        return QByteArray(good).replace(" <Group", tag);
    };
    QTest::newRow("64 attributes") << true << attributes(64) << true << true << "2.1" << "Plate" << 42 << 0.25
                                   << "read" << true;
    defaults("65 attributes", true, attributes(65), true, QStringLiteral("sample"));
    defaults("60000 attributes", true, attributes(60000), true, QStringLiteral("sample"));
    QTest::newRow("signs of equality in values and comments")
        << true
        << attributes(1, QByteArray("=>'").repeated(100))
               .replace(" <Group", "<!-- <x " + QByteArray("a=1 ").repeated(100) + "> -->\n <Group")
        << true << true << "2.1" << "Plate" << 42 << 0.25 << "read" << true;
    defaults("entity expansion bomb", true,
             QByteArray("<?xml version='1.0'?>\n<!DOCTYPE S [\n<!ENTITY a \"aaaaaaaaaaaaaaaa\">\n"
                        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n"
                        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n"
                        "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">\n"
                        "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">\n"
                        "]>\n<S><Name><Name>&e;&e;&e;&e;</Name></Name></S>\n"),
             true, QStringLiteral("sample"));
}

void tst_XML_Settings::badFiles()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, content);
    QFETCH(bool, readOk);
    QFETCH(bool, parseOk);
    QFETCH(QString, version);
    QFETCH(QString, name);
    QFETCH(int, count);
    QFETCH(double, ratio);
    QFETCH(QString, label);
    QFETCH(bool, flag);

    const QString path = m_dir.filePath(QStringLiteral("sample.Sample"));
    QFile::remove(path);
    if (exists)
        QVERIFY(writeBytes(path, content));

    SampleRecord record;
    XML_Settings xml(QStringLiteral("app"), QStringLiteral("1.0"), QStringLiteral("Sample"),
                     QStringLiteral("1.0"), QStringLiteral(".Sample"), &record.name);
    QString text = QStringLiteral("stale");
    QCOMPARE(xml.readFile(text, m_dir.filePath(QStringLiteral("sample"))), readOk);
    if (!readOk)
        QVERIFY(text.isEmpty());
    QString configVersion = QStringLiteral("stale");
    XML_Settings_Element root = xml.parse(text, configVersion);
    QCOMPARE(!root.isNull(), parseOk);
    if (parseOk)
        record.read(root);
    QCOMPARE(configVersion, version);
    QCOMPARE(record.name, name);
    QCOMPARE(record.count, count);
    QCOMPARE(record.ratio, ratio);
    QCOMPARE(record.label, label);
    QCOMPARE(record.flag, flag);
    if (exists)
        QCOMPARE(readBytes(path), content); // reading never touches the file
}

void tst_XML_Settings::fileNameRule_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("name");
    QTest::newRow("extension added") << "A" << "A.ColonySettings" << "A";
    QTest::newRow("extension present") << "A.ColonySettings" << "A.ColonySettings" << "A";
    QTest::newRow("extension in other case")
        << "A.colonysettings" << "A.colonysettings" << "A.colonysettings";
    QTest::newRow("other extension kept") << "A.xml" << "A.xml.ColonySettings" << "A.xml";
    QTest::newRow("blank in name") << "My plate" << "My plate.ColonySettings" << "My plate";
}

void tst_XML_Settings::fileNameRule()
{
    QFETCH(QString, fileName);
    QFETCH(QString, written);
    QFETCH(QString, name);

    QDir(m_dir.path()).removeRecursively();
    QVERIFY(QDir().mkpath(m_dir.path()));
    QString recordName = QStringLiteral("before");
    XML_Settings xml(QStringLiteral("zelvorin"), QStringLiteral("1.1.0"),
                     QStringLiteral("ColonySettings"), QStringLiteral("2.1"),
                     QStringLiteral(".ColonySettings"), &recordName);
    xml.createDocument();
    QVERIFY(xml.save(m_dir.filePath(fileName)));
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{written});
    QCOMPARE(recordName, name);

    // The file carries the new name, and reading it again gives the same name.
    recordName = QStringLiteral("other");
    QString text;
    QVERIFY(xml.readFile(text, m_dir.filePath(fileName)));
    QCOMPARE(recordName, name);
    recordName = QStringLiteral("other");
    QString version;
    QVERIFY(!xml.parse(text, version).isNull());
    QCOMPARE(recordName, name);
}

void tst_XML_Settings::recordWithoutName()
{
    XML_Settings xml(QStringLiteral("zelvorin"), QStringLiteral("1.1.0"),
                     QStringLiteral("InstrumentSettings"), QStringLiteral("1.0"),
                     QStringLiteral(".xml"), nullptr);
    xml.createDocument().addValue(QStringLiteral("X"), 1.25, QStringLiteral("mm"));
    QCOMPARE(xml.toString(),
             QStringLiteral("<?xml version='1.0' encoding='UTF-8' ?>\n"
                            "<InstrumentSettings Application=\"zelvorin\" ApplicationVersion=\"1.1.0\" "
                            "ConfigVersion=\"1.0\" ModifyDate=\"2024-03-05T14:07:09\">\n"
                            " <X Unit=\"mm\">1.25</X>\n"
                            "</InstrumentSettings>\n"));
    const QString path = m_dir.filePath(QStringLiteral("Instrument.xml"));
    QVERIFY(xml.save(path));
    QString text;
    QVERIFY(xml.readFile(text, path));
    QString version;
    XML_Settings_Element root = xml.parse(text, version);
    QVERIFY(!root.isNull());
    double x = 0;
    QVERIFY(root.getValue(QStringLiteral("X"), x));
    QCOMPARE(x, 1.25);
}

// Text between elements (a damaged or hand-edited file) stays as it is through load and save,
// rather than gaining a level of indentation with every save.
void tst_XML_Settings::strayTextDoesNotGrow()
{
    QString name, version;
    XML_Settings xml(QStringLiteral("app"), QStringLiteral("1.0"), QStringLiteral("R"), QStringLiteral("1.0"),
                     QStringLiteral(".R"), &name);
    QVERIFY(!xml.parse(QStringLiteral("<R><Name><Name>n</Name></Name>\n  stray &lt;\n <V>1</V></R>"), version).isNull());
    const QString once = xml.toString();
    QVERIFY(!xml.parse(once, version).isNull());
    QCOMPARE(xml.toString(), once);
    QVERIFY(once.contains(QStringLiteral("\n stray &lt;\n <V>")));
}

// Seeded damage of a shipped settings file: whatever parses serialises to a text that parses
// again to the very same text, and no damage costs more than a fixed allowance of memory.
void tst_XML_Settings::mutatedFilesReadBackAlike()
{
    QFile shipped(TestFixtures::sourceDir() + QStringLiteral("/settings/Colony/default.ColonySettings"));
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    const QByteArray valid = shipped.readAll();
    QVERIFY(!valid.isEmpty());

    int parsed = 0;
    MutationLoop::Bounds bounds;
    bounds.cases = 400;
    bounds.memoryMegabytes = 64;
    const QString fault = MutationLoop::run(valid, [&parsed](const QByteArray& damaged) -> QString {
        QString name, version;
        XML_Settings xml(QStringLiteral("zelvorin"), QStringLiteral("1.1.0"), QStringLiteral("ColonySettings"),
                         QStringLiteral("2.1"), QStringLiteral(".ColonySettings"), &name);
        if (xml.parse(QString::fromUtf8(damaged), version).isNull())
            return QString();
        ++parsed;
        const QString written = xml.toString();
        QString againName, againVersion;
        XML_Settings again(QStringLiteral("zelvorin"), QStringLiteral("1.1.0"), QStringLiteral("ColonySettings"),
                           QStringLiteral("2.1"), QStringLiteral(".ColonySettings"), &againName);
        if (again.parse(written, againVersion).isNull())
            return QStringLiteral("what was written does not parse");
        const QString rewritten = again.toString();
        if (rewritten != written) {
            qsizetype differ = 0;
            while (differ < rewritten.size() && differ < written.size() && rewritten.at(differ) == written.at(differ))
                ++differ;
            return QStringLiteral("\"%1\" became \"%2\"").arg(written.mid(differ - 40, 80), rewritten.mid(differ - 40, 80));
        }
        if (againName != name || againVersion != version)
            return QStringLiteral("name or version changed");
        return QString();
    }, bounds);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
    QVERIFY(parsed > 0);
}

void tst_XML_Settings::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<QString>("target"); // relative to the temporary folder
    QTest::addColumn<bool>("failWrite");
    QTest::newRow("write fails half-way") << "Plate" << true;
    QTest::newRow("folder is a regular file") << "Blocker/Plate" << false;
    QTest::newRow("folder does not exist") << "Nowhere/Plate" << false;
    QTest::newRow("target is a folder") << "Folder.ColonySettings" << false;
}

void tst_XML_Settings::failedSaveKeepsOldFile()
{
    QFETCH(QString, target);
    QFETCH(bool, failWrite);

    QDir(m_dir.path()).removeRecursively();
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("Folder.ColonySettings"))));
    QVERIFY(writeBytes(m_dir.filePath(QStringLiteral("Blocker")), "not a folder"));

    QString name = QStringLiteral("Old");
    XML_Settings xml(QStringLiteral("zelvorin"), QStringLiteral("1.1.0"),
                     QStringLiteral("ColonySettings"), QStringLiteral("2.1"),
                     QStringLiteral(".ColonySettings"), &name);
    xml.createDocument().addValue(QStringLiteral("Value"), 1);
    const QString oldPath = m_dir.filePath(QStringLiteral("Plate.ColonySettings"));
    QVERIFY(xml.save(oldPath));
    const QByteArray oldBytes = readBytes(oldPath);
    QCOMPARE(name, QStringLiteral("Plate"));

    xml.createDocument().addValue(QStringLiteral("Value"), 2);
    const QString documentBefore = xml.toString();
    if (failWrite)
        XML_Settings::setWriteFunction(&failingWrite);
    QVERIFY(!xml.save(m_dir.filePath(target)));

    QCOMPARE(readBytes(oldPath), oldBytes);
    QCOMPARE(name, QStringLiteral("Plate"));
    QCOMPARE(xml.toString(), documentBefore);
    // No half-written or temporary file is left beside the old one.
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files),
             (QStringList{QStringLiteral("Blocker"), QStringLiteral("Plate.ColonySettings")}));

    // Once the cause is gone the same document saves.
    XML_Settings::setWriteFunction(nullptr);
    QVERIFY(xml.save(oldPath));
    QVERIFY(readBytes(oldPath).contains("<Value>2</Value>"));
}

void tst_XML_Settings::escapeText_data()
{
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("escaped");
    QTest::newRow("controls") << "a\r\nb\tc" << "a\\r\\nb\\tc";
    QTest::newRow("backslash kept") << "a\\b" << "a\\b";
    QTest::newRow("nothing to do") << "abc" << "abc";
}

void tst_XML_Settings::escapeText()
{
    QFETCH(QString, plain);
    QFETCH(QString, escaped);
    QCOMPARE(XML_Settings::escapeText(plain), escaped);
    QCOMPARE(XML_Settings::unescapeText(escaped), plain);
}

QTEST_GUILESS_MAIN(tst_XML_Settings)
#include "tst_XML_Settings.moc"
