#include "Automation_PendingReply.h"

#include "Automation_BusNames.h"

#include <QDBusContext>
#include <QMetaMethod>
#include <QObject>

namespace {

// The bus hands reference parameters back as out arguments; every other one is an input.
bool isOutput(const QMetaMethod& method, int parameter)
{
    return method.parameterTypeName(parameter).endsWith('&');
}

int inputCount(const QMetaMethod& method)
{
    int inputs = 0;
    for (int i = 0; i < method.parameterCount(); ++i)
        inputs += isOutput(method, i) ? 0 : 1;
    return inputs;
}

QList<QMetaType> outTypesOfCall(const QObject* object, const QDBusMessage& message)
{
    const QMetaObject* meta = object->metaObject();
    const QByteArray name = message.member().toLatin1();
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() == QMetaMethod::Slot && method.access() == QMetaMethod::Public
            && method.name() == name && inputCount(method) == message.arguments().size())
            return Automation_PendingReply::outTypes(method);
    }
    return {};
}

} // namespace

Automation_PendingReply::Automation_PendingReply(const QObject* object, QDBusContext& context)
    : m_connection(context.connection())
    , m_message(context.message())
    , m_outTypes(outTypesOfCall(object, context.message()))
{
    context.setDelayedReply(true);
}

Automation_PendingReply::Automation_PendingReply(const QDBusConnection& connection, const QDBusMessage& message,
                                                 const QList<QMetaType>& outTypes)
    : m_connection(connection)
    , m_message(message)
    , m_outTypes(outTypes)
{
    m_message.setDelayedReply(true);
}

Automation_PendingReply::~Automation_PendingReply()
{
    fail(Automation_BusNames::errorNotAnswered(),
         QStringLiteral("The call %1 ended without an answer").arg(m_message.member()));
}

QList<QMetaType> Automation_PendingReply::outTypes(const QMetaMethod& method)
{
    QList<QMetaType> types;
    if (method.returnMetaType().id() != QMetaType::Void)
        types << method.returnMetaType();
    for (int i = 0; i < method.parameterCount(); ++i) {
        // A reference parameter's own meta type is the one of its type without the "&".
        if (isOutput(method, i))
            types << QMetaType::fromName(method.parameterTypeName(i).chopped(1));
    }
    return types;
}

bool Automation_PendingReply::answer(const QVariantList& outputs)
{
    if (m_answered)
        return false;
    QVariantList arguments;
    bool fits = outputs.size() == m_outTypes.size();
    for (qsizetype i = 0; fits && i < outputs.size(); ++i) {
        QVariant value = outputs.at(i);
        fits = value.metaType() == m_outTypes.at(i) || value.convert(m_outTypes.at(i));
        arguments << value;
    }
    if (!fits) {
        fail(QStringLiteral("org.freedesktop.DBus.Error.Failed"),
             QStringLiteral("The answer of %1 does not fit its out arguments").arg(m_message.member()));
        return false;
    }
    m_answered = true;
    if (m_message.isReplyRequired())
        m_connection.send(m_message.createReply(arguments));
    return true;
}

bool Automation_PendingReply::fail(const QString& errorName, const QString& errorText)
{
    if (m_answered)
        return false;
    m_answered = true;
    if (m_message.isReplyRequired())
        m_connection.send(m_message.createErrorReply(errorName, errorText));
    return true;
}
