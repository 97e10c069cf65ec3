#include "QAxFactory.h"

#include "Automation_Server.h"

QAxFactory::QAxFactory(const QUuid& libraryId, const QUuid& applicationId, const QString& applicationName,
                       QObject* parent)
    : QObject(parent)
    , m_libraryId(libraryId)
    , m_applicationId(applicationId)
    , m_applicationName(applicationName)
{
}

QAxFactory::~QAxFactory() = default;

QUuid QAxFactory::classID(const QString&) const
{
    return QUuid();
}

QUuid QAxFactory::interfaceID(const QString&) const
{
    return QUuid();
}

QUuid QAxFactory::eventsID(const QString&) const
{
    return QUuid();
}

bool QAxFactory::isService() const
{
    return false;
}

bool QAxFactory::isServer()
{
    const Automation_Server* server = Automation_Server::current();
    return server && server->isStartedAsServer();
}

bool QAxFactory::startServer(ServerType type)
{
    Automation_Server* server = Automation_Server::current();
    return server && server->start(type);
}

bool QAxFactory::stopServer()
{
    Automation_Server* server = Automation_Server::current();
    return server && server->stop();
}
