#include "Automation_Client.h"

#include "Automation_ArgumentText.h"
#include "Automation_BusNames.h"

#include <QDBusObjectPath>
#include <QXmlStreamReader>

namespace {

QString replyError(const QDBusMessage& reply)
{
    return reply.errorName() + QStringLiteral(": ") + reply.errorMessage();
}

// Methods of the object's own interfaces; the standard D-Bus ones are left out.
QList<Automation_InterfaceDescription::Method> parseIntrospection(const QString& xmlText)
{
    QList<Automation_InterfaceDescription::Method> methods;
    QXmlStreamReader xml(xmlText);
    bool ownInterface = false;
    while (!xml.atEnd() && !xml.hasError()) {
        if (!xml.readNextStartElement())
            continue;
        const QStringView element = xml.name();
        const QXmlStreamAttributes attributes = xml.attributes();
        if (element == QLatin1String("interface")) {
            ownInterface = !attributes.value(QLatin1String("name")).startsWith(QLatin1String("org.freedesktop."));
        } else if (element == QLatin1String("method") && ownInterface) {
            methods.append({attributes.value(QLatin1String("name")).toString(), {}});
        } else if (element == QLatin1String("arg") && ownInterface && !methods.isEmpty()) {
            methods.last().arguments.append({attributes.value(QLatin1String("name")).toString(),
                                             attributes.value(QLatin1String("type")).toString(),
                                             attributes.value(QLatin1String("direction")) == QLatin1String("out")});
        } else if (element != QLatin1String("node") && element != QLatin1String("annotation")) {
            xml.skipCurrentElement();
        }
    }
    return methods;
}

} // namespace

Automation_Client::Automation_Client(const QDBusConnection& connection, int timeoutMs)
    : m_connection(connection)
    , m_timeoutMs(timeoutMs)
{
}

Automation_Client::~Automation_Client() = default;

bool Automation_Client::attach(const QString& serviceName, const QString& className, QString& error)
{
    error.clear();
    QDBusMessage message
        = QDBusMessage::createMethodCall(serviceName, Automation_BusNames::factoryPath(),
                                         Automation_BusNames::factoryInterface(), QStringLiteral("CreateObject"));
    message << className;
    const QDBusMessage reply = m_connection.call(message, QDBus::Block, m_timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1) {
        error = reply.type() == QDBusMessage::ErrorMessage ? replyError(reply)
                                                           : QStringLiteral("CreateObject gave no object");
        return false;
    }
    m_serverName = reply.service();
    m_objectPath = reply.arguments().constFirst().value<QDBusObjectPath>().path();
    m_methods.clear();
    return !m_objectPath.isEmpty();
}

bool Automation_Client::release(QString& error)
{
    error.clear();
    if (!isAttached())
        return true;
    QDBusMessage message
        = QDBusMessage::createMethodCall(m_serverName, Automation_BusNames::factoryPath(),
                                         Automation_BusNames::factoryInterface(), QStringLiteral("Release"));
    message << QVariant::fromValue(QDBusObjectPath(m_objectPath));
    const QDBusMessage reply = m_connection.call(message, QDBus::Block, m_timeoutMs);
    detach();
    if (reply.type() != QDBusMessage::ReplyMessage) {
        error = replyError(reply);
        return false;
    }
    return true;
}

void Automation_Client::detach()
{
    m_serverName.clear();
    m_objectPath.clear();
    m_methods.clear();
}

QDBusMessage Automation_Client::call(const QString& method, const QVariantList& arguments) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(m_serverName, m_objectPath, QString(), method);
    message.setArguments(arguments);
    return m_connection.call(message, QDBus::Block, m_timeoutMs);
}

bool Automation_Client::methods(QList<Automation_InterfaceDescription::Method>& methods, QString& error)
{
    error.clear();
    if (m_methods.isEmpty()) {
        QDBusMessage message = QDBusMessage::createMethodCall(m_serverName, m_objectPath,
                                                              QStringLiteral("org.freedesktop.DBus.Introspectable"),
                                                              QStringLiteral("Introspect"));
        const QDBusMessage reply = m_connection.call(message, QDBus::Block, m_timeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            error = replyError(reply);
            return false;
        }
        m_methods = parseIntrospection(reply.arguments().constFirst().toString());
    }
    methods = m_methods;
    return true;
}

bool Automation_Client::callWithText(const QString& method, const QStringList& textArguments, QStringList& outputLines,
                                     QString& error)
{
    outputLines.clear();
    QList<Automation_InterfaceDescription::Method> known;
    if (!methods(known, error))
        return false;
    const Automation_InterfaceDescription::Method* found = nullptr;
    for (const Automation_InterfaceDescription::Method& candidate : std::as_const(known)) {
        if (candidate.name == method)
            found = &candidate;
    }
    if (!found) {
        error = QStringLiteral("The object has no method \"%1\"").arg(method);
        return false;
    }
    QVariantList arguments;
    QList<Automation_InterfaceDescription::Argument> outputs;
    for (const Automation_InterfaceDescription::Argument& argument : found->arguments) {
        if (argument.output) {
            outputs.append(argument);
            continue;
        }
        if (arguments.size() == textArguments.size()) {
            error = QStringLiteral("%1 needs the argument \"%2\"").arg(method, argument.name);
            return false;
        }
        QVariant value;
        if (!Automation_ArgumentText::fromText(textArguments.at(arguments.size()), argument.signature, value, error))
            return false;
        arguments.append(value);
    }
    if (arguments.size() != textArguments.size()) {
        error = QStringLiteral("%1 takes %2 arguments").arg(method).arg(arguments.size());
        return false;
    }
    const QDBusMessage reply = call(method, arguments);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        error = replyError(reply);
        return false;
    }
    const QVariantList values = reply.arguments();
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QString name
            = i < outputs.size() && !outputs.at(i).name.isEmpty() ? outputs.at(i).name : QStringLiteral("result");
        outputLines << name + QStringLiteral(": ") + Automation_ArgumentText::toText(values.at(i));
    }
    return true;
}
