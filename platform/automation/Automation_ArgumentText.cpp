#include "Automation_ArgumentText.h"

#include <QDBusArgument>
#include <QDBusVariant>
#include <QLocale>
#include <QStringList>
#include <QVariantList>

#include <cmath>

namespace {

QVariant listElement(const QString& text)
{
    bool ok = false;
    const int integer = text.toInt(&ok);
    if (ok)
        return integer;
    const double number = text.toDouble(&ok);
    if (ok && std::isfinite(number))
        return number;
    return text;
}

// A received "av" arrives as a D-Bus argument; its elements as variants.
QVariantList receivedList(const QVariant& value)
{
    if (value.canConvert<QDBusArgument>() && value.userType() == qMetaTypeId<QDBusArgument>()) {
        const QDBusArgument argument = value.value<QDBusArgument>();
        if (argument.currentSignature() == QLatin1String("av"))
            return qdbus_cast<QVariantList>(argument);
    }
    return value.toList();
}

} // namespace

namespace Automation_ArgumentText {

bool fromText(const QString& text, const QString& signature, QVariant& value, QString& error)
{
    error.clear();
    bool ok = false;
    QVariant result;
    if (signature == QLatin1String("i")) {
        result = text.trimmed().toInt(&ok);
    } else if (signature == QLatin1String("u")) {
        result = text.trimmed().toUInt(&ok);
    } else if (signature == QLatin1String("x")) {
        result = text.trimmed().toLongLong(&ok);
    } else if (signature == QLatin1String("t")) {
        result = text.trimmed().toULongLong(&ok);
    } else if (signature == QLatin1String("d")) {
        result = text.trimmed().toDouble(&ok);
    } else if (signature == QLatin1String("b")) {
        const QString word = text.trimmed().toLower();
        ok = word == QLatin1String("true") || word == QLatin1String("false") || word == QLatin1String("1")
            || word == QLatin1String("0");
        result = word == QLatin1String("true") || word == QLatin1String("1");
    } else if (signature == QLatin1String("s")) {
        result = text;
        ok = true;
    } else if (signature == QLatin1String("av")) {
        QVariantList list;
        if (!text.trimmed().isEmpty()) {
            const QStringList elements = text.split(QLatin1Char(','));
            for (const QString& element : elements)
                list.append(listElement(element.trimmed()));
        }
        result = list;
        ok = true;
    } else {
        error = QStringLiteral("Arguments of type \"%1\" cannot be given as text").arg(signature);
        return false;
    }
    if (!ok) {
        error = QStringLiteral("\"%1\" is no value of type \"%2\"").arg(text, signature);
        return false;
    }
    value = result;
    return true;
}

QString toText(const QVariant& value)
{
    if (value.userType() == qMetaTypeId<QDBusVariant>())
        return toText(value.value<QDBusVariant>().variant());
    if (value.userType() == qMetaTypeId<QDBusArgument>() || value.userType() == QMetaType::QVariantList) {
        QStringList elements;
        const QVariantList list = receivedList(value);
        for (const QVariant& element : list)
            elements << toText(element);
        return QLatin1Char('[') + elements.join(QStringLiteral(", ")) + QLatin1Char(']');
    }
    switch (value.userType()) {
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    default:
        return value.toString();
    }
}

} // namespace Automation_ArgumentText
