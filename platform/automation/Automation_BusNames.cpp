#include "Automation_BusNames.h"

#include <QStringList>
#include <QUuid>

namespace {

const char* const kErrorPrefix = "zelvorin.Automation.Error.";

// Bus and interface name elements: ASCII letters, digits and "_", not starting with a digit,
// never empty. Bus names also allow "-", interfaces do not; "_" serves both.
QString nameElement(const QString& text)
{
    QString element;
    element.reserve(text.size() + 1);
    for (const QChar c : text) {
        const bool allowed = (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            || c == QLatin1Char('_');
        element += allowed ? c : QLatin1Char('_');
    }
    if (element.isEmpty() || element.front().isDigit())
        element.prepend(QLatin1Char('_'));
    return element;
}

QString errorName(const char* suffix)
{
    return QLatin1String(kErrorPrefix) + QLatin1String(suffix);
}

} // namespace

namespace Automation_BusNames {

QString factoryPath()
{
    return QStringLiteral("/ClassFactory");
}

QString factoryInterface()
{
    return QStringLiteral("zelvorin.Automation.ClassFactory");
}

QString serviceName(const QString& applicationName, const QString& className)
{
    return nameElement(applicationName) + QLatin1Char('.') + nameElement(className);
}

QString interfaceName(const QString& applicationName, const QString& className)
{
    return nameElement(applicationName) + QStringLiteral(".I") + nameElement(className);
}

QString objectPath(const QString& className, const QString& run, quint64 serial)
{
    return QLatin1Char('/') + nameElement(className) + QLatin1Char('/') + nameElement(run) + QLatin1Char('/')
        + QString::number(serial);
}

QString newRun()
{
    return QLatin1Char('r') + QUuid::createUuid().toString(QUuid::Id128);
}

QString errorUnknownClass()
{
    return errorName("UnknownClass");
}

QString errorClassNotOffered()
{
    return errorName("ClassNotOffered");
}

QString errorCreationFailed()
{
    return errorName("CreationFailed");
}

QString errorUnknownObject()
{
    return errorName("UnknownObject");
}

QString errorNotOwner()
{
    return errorName("NotOwner");
}

QString errorNotAnswered()
{
    return errorName("NotAnswered");
}

} // namespace Automation_BusNames
