#include "Automation_ClassFactoryAdaptor.h"

#include "Automation_Server.h"

#include <QDBusMessage>

Automation_ClassFactoryAdaptor::Automation_ClassFactoryAdaptor(Automation_Server* server)
    : QObject(server)
    , m_server(server)
{
}

QDBusObjectPath Automation_ClassFactoryAdaptor::CreateObject(const QString& className)
{
    const Automation_Server::Answer answer = m_server->createObject(className, message().service());
    if (!answer.errorName.isEmpty()) {
        sendErrorReply(answer.errorName, answer.errorText);
        return QDBusObjectPath();
    }
    return QDBusObjectPath(answer.objectPath);
}

void Automation_ClassFactoryAdaptor::Release(const QDBusObjectPath& objectPath)
{
    const Automation_Server::Answer answer = m_server->release(objectPath.path(), message().service());
    if (!answer.errorName.isEmpty())
        sendErrorReply(answer.errorName, answer.errorText);
}
