#include "XML_Settings_Element.h"

#include <QDomDocument>
#include <QDomText>
#include <QVariant>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

// The variant types a settings file can carry with their text.
const QString c_typeBool = QStringLiteral("bool");
const QString c_typeInt = QStringLiteral("int");
const QString c_typeUInt = QStringLiteral("uint");
const QString c_typeDouble = QStringLiteral("double");
const QString c_typeString = QStringLiteral("QString");

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// A double is written as the shortest text that reads back to the very same double, in the
// layout of format letter g with a precision of 6 or the number of digits, whichever is more:
// fixed notation for decimal exponents from -4 to below that precision, else exponent
// notation with a sign and two digits at least. Values that 6 significant digits hold keep
// their usual look (12.5, 2.5e+06).
QString doubleText(double value)
{
    if (!std::isfinite(value))
        return QString::number(value, 'g', 6);
    char buffer[64];
    const std::to_chars_result result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    const QLatin1String scientific(buffer, result.ptr);
    const bool negative = scientific.startsWith(QLatin1Char('-'));
    const qsizetype e = scientific.indexOf(QLatin1Char('e'));
    QString digits = QString(scientific.sliced(negative ? 1 : 0, e - (negative ? 1 : 0)));
    digits.remove(QLatin1Char('.'));
    const int exponent = QString(scientific.sliced(e + 1)).toInt();
    const int precision = std::max<int>(6, int(digits.size()));

    QString text = negative ? QStringLiteral("-") : QString();
    if (exponent < -4 || exponent >= precision) {
        text += digits.at(0);
        if (digits.size() > 1)
            text += QLatin1Char('.') + digits.mid(1);
        text += exponent < 0 ? QLatin1String("e-") : QLatin1String("e+");
        text += QString::number(std::abs(exponent)).rightJustified(2, QLatin1Char('0'));
    } else if (exponent < 0) {
        text += QLatin1String("0.") + QString(-exponent - 1, QLatin1Char('0')) + digits;
    } else if (digits.size() <= exponent + 1) {
        text += digits + QString(exponent + 1 - digits.size(), QLatin1Char('0'));
    } else {
        text += digits.left(exponent + 1) + QLatin1Char('.') + digits.mid(exponent + 1);
    }
    return text;
}

bool parseBool(const QString& text, bool& value)
{
    const QString lower = text.toLower();
    if (lower == QLatin1String("true")) {
        value = true;
        return true;
    }
    if (lower == QLatin1String("false")) {
        value = false;
        return true;
    }
    return false;
}

// Writes value only when the whole text converts, so a bad text leaves the default.
template <typename Target, typename Parse>
bool convertText(const QString& text, Target& value, Parse parse)
{
    bool ok = false;
    const auto parsed = parse(text, &ok);
    if (ok)
        value = static_cast<Target>(parsed);
    return ok;
}

} // namespace

XML_Settings_Element::XML_Settings_Element(const QDomElement& element)
    : m_element(element)
{
}

XML_Settings_Element XML_Settings_Element::addElement(const QString& tag)
{
    if (m_element.isNull())
        return XML_Settings_Element();
    QDomElement child = m_element.ownerDocument().createElement(tag);
    m_element.appendChild(child);
    return XML_Settings_Element(child);
}

XML_Settings_Element XML_Settings_Element::appendValue(const QString& tag, const QString& text,
                                                       const QString& unit)
{
    XML_Settings_Element child = addElement(tag);
    if (child.isNull())
        return child;
    if (!unit.isEmpty())
        child.m_element.setAttribute(QStringLiteral("Unit"), unit);
    // An empty text gets no node, so the element reads back the same after a round trip.
    if (!text.isEmpty())
        child.m_element.appendChild(m_element.ownerDocument().createTextNode(text));
    return child;
}

XML_Settings_Element XML_Settings_Element::addValue(const QString& tag, bool value, const QString& unit)
{
    return appendValue(tag, boolText(value), unit);
}

XML_Settings_Element XML_Settings_Element::addValue(const QString& tag, char value, const QString& unit)
{
    return appendValue(tag, QString::number(int(value)), unit);
}

XML_Settings_Element XML_Settings_Element::addValue(const QString& tag, unsigned char value, const QString& unit)
{
    return appendValue(tag, QString::number(uint(value)), unit);
}

XML_Settings_Element XML_Settings_Element::addValue(const QString& tag, short value, const QString& unit)
{
    return appendValue(tag, QString::number(value), unit);
}

XML_Settings_Element XML_Settings_Element::addValue(const QString& tag, unsigned short value, const QString& unit)
{
    return appendValue(tag, QString::number(value), unit);
}

XML_Settings_Element XML_Settings_Element::addValue(const QString& tag, int value, const QString& unit)
{
    return appendValue(tag, QString::number(value), unit);
}

XML_Settings_Element XML_Settings_Element::addValue(const QString& tag, unsigned int value, const QString& unit)
{
    return appendValue(tag, QString::number(value), unit);
}

XML_Settings_Element XML_Settings_Element::addValue(const QString& tag, long value, const QString& unit)
{
    return appendValue(tag, QString::number(value), unit);
}

XML_Settings_Element XML_Settings_Element::addValue(const QString& tag, unsigned long value, const QString& unit)
{
    return appendValue(tag, QString::number(value), unit);
}

XML_Settings_Element XML_Settings_Element::addValue(const QString& tag, double value, const QString& unit)
{
    return appendValue(tag, doubleText(value), unit);
}

XML_Settings_Element XML_Settings_Element::addValue(const QString& tag, const QString& value, const QString& unit)
{
    return appendValue(tag, value, unit);
}

XML_Settings_Element XML_Settings_Element::addValue(const QString& tag, const char* value, const QString& unit)
{
    return appendValue(tag, QString::fromUtf8(value), unit);
}

XML_Settings_Element XML_Settings_Element::addValue(const QString& tag, const QVariant& value, const QString& unit)
{
    const QString typeName = QString::fromLatin1(value.typeName());
    QString text;
    if (typeName == c_typeBool)
        text = boolText(value.toBool());
    else if (typeName == c_typeInt)
        text = QString::number(value.toInt());
    else if (typeName == c_typeUInt)
        text = QString::number(value.toUInt());
    else if (typeName == c_typeDouble)
        text = doubleText(value.toDouble());
    else if (typeName == c_typeString)
        text = value.toString();

    XML_Settings_Element child = appendValue(tag, text, unit);
    if (!child.isNull())
        child.m_element.setAttribute(QStringLiteral("TypeName"), typeName);
    return child;
}

XML_Settings_Element XML_Settings_Element::getElement(const QString& tag)
{
    ReadCursor& cursor = m_elementReads[tag];
    // Past the last child of the tag every further read finds nothing as well.
    if (!cursor.started)
        cursor.last = m_element.firstChildElement(tag);
    else if (!cursor.last.isNull())
        cursor.last = cursor.last.nextSiblingElement(tag);
    cursor.started = true;
    return XML_Settings_Element(cursor.last);
}

QDomElement XML_Settings_Element::nextValueElement(const QString& tag)
{
    const auto found = m_valueReads.find(tag);
    if (found == m_valueReads.end()) {
        const QDomElement first = m_element.firstChildElement(tag);
        if (!first.isNull())
            m_valueReads.insert(tag, ReadCursor{true, first});
        return first;
    }
    // A read that finds nothing leaves the cursor where it was.
    const QDomElement next = found->last.nextSiblingElement(tag);
    if (!next.isNull())
        found->last = next;
    return next;
}

bool XML_Settings_Element::nextValueText(const QString& tag, QString& text)
{
    const QDomElement element = nextValueElement(tag);
    if (element.isNull())
        return false;
    text = element.text();
    return true;
}

bool XML_Settings_Element::getValue(const QString& tag, bool& value)
{
    QString text;
    return nextValueText(tag, text) && parseBool(text, value);
}

bool XML_Settings_Element::getValue(const QString& tag, char& value)
{
    // Only the low byte is kept, as the format has always stored chars.
    QString text;
    return nextValueText(tag, text) && convertText(text, value, [](const QString& t, bool* ok) {
               return char(static_cast<unsigned char>(t.toShort(ok, 10) & 0xFF));
           });
}

bool XML_Settings_Element::getValue(const QString& tag, unsigned char& value)
{
    QString text;
    return nextValueText(tag, text) && convertText(text, value, [](const QString& t, bool* ok) {
               return static_cast<unsigned char>(t.toUShort(ok, 10) & 0xFF);
           });
}

bool XML_Settings_Element::getValue(const QString& tag, short& value)
{
    QString text;
    return nextValueText(tag, text)
        && convertText(text, value, [](const QString& t, bool* ok) { return t.toShort(ok, 10); });
}

bool XML_Settings_Element::getValue(const QString& tag, unsigned short& value)
{
    QString text;
    return nextValueText(tag, text)
        && convertText(text, value, [](const QString& t, bool* ok) { return t.toUShort(ok, 10); });
}

bool XML_Settings_Element::getValue(const QString& tag, int& value)
{
    QString text;
    return nextValueText(tag, text)
        && convertText(text, value, [](const QString& t, bool* ok) { return t.toInt(ok, 10); });
}

bool XML_Settings_Element::getValue(const QString& tag, unsigned int& value)
{
    QString text;
    return nextValueText(tag, text)
        && convertText(text, value, [](const QString& t, bool* ok) { return t.toUInt(ok, 10); });
}

// long is read in the 32-bit range the file format was defined with, so files stay
// exchangeable with installations where long has 32 bits.
bool XML_Settings_Element::getValue(const QString& tag, long& value)
{
    QString text;
    return nextValueText(tag, text)
        && convertText(text, value, [](const QString& t, bool* ok) { return t.toInt(ok, 10); });
}

bool XML_Settings_Element::getValue(const QString& tag, unsigned long& value)
{
    QString text;
    return nextValueText(tag, text)
        && convertText(text, value, [](const QString& t, bool* ok) { return t.toUInt(ok, 10); });
}

bool XML_Settings_Element::getValue(const QString& tag, double& value)
{
    QString text;
    return nextValueText(tag, text)
        && convertText(text, value, [](const QString& t, bool* ok) { return t.toDouble(ok); });
}

bool XML_Settings_Element::getFiniteValue(const QString& tag, double& value)
{
    double read = 0.0;
    if (!getValue(tag, read) || !std::isfinite(read))
        return false;
    value = read;
    return true;
}

bool XML_Settings_Element::getValue(const QString& tag, QString& value)
{
    QString text;
    if (!nextValueText(tag, text))
        return false;
    value = text;
    return true;
}

bool XML_Settings_Element::getValue(const QString& tag, QVariant& value)
{
    const QDomElement element = nextValueElement(tag);
    if (element.isNull())
        return false;
    const QString text = element.text();
    const QString typeName = element.attribute(QStringLiteral("TypeName"));
    bool ok = false;
    if (typeName == c_typeBool) {
        bool parsed = false;
        if (!parseBool(text, parsed))
            return false;
        value = QVariant(parsed);
    } else if (typeName == c_typeInt) {
        const int parsed = text.toInt(&ok, 10);
        value = QVariant(ok ? parsed : 0);
    } else if (typeName == c_typeUInt) {
        const uint parsed = text.toUInt(&ok, 10);
        value = QVariant(ok ? parsed : 0u);
    } else if (typeName == c_typeDouble) {
        const double parsed = text.toDouble(&ok);
        value = QVariant(ok ? parsed : 0.0);
    } else if (typeName == c_typeString) {
        value = QVariant(text);
    } else {
        return false;
    }
    return true;
}
