#include "Automation_Server.h"

#include "Automation_BusNames.h"
#include "Automation_ClassFactoryAdaptor.h"

#include <QCoreApplication>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>

namespace {
Automation_Server* g_current = nullptr;
}

Automation_Server::Automation_Server(QAxFactory* factory, const QDBusConnection& connection, QObject* parent)
    : QObject(parent)
    , m_factory(factory)
    , m_connection(connection)
    , m_adaptor(new Automation_ClassFactoryAdaptor(this))
    , m_clientWatcher(new QDBusServiceWatcher(this))
    , m_run(Automation_BusNames::newRun())
    , m_quit([] { QCoreApplication::quit(); })
{
    m_clientWatcher->setConnection(connection);
    m_clientWatcher->setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(m_clientWatcher, &QDBusServiceWatcher::serviceUnregistered, this,
            &Automation_Server::slot_clientUnregistered);
    if (!g_current)
        g_current = this;
}

Automation_Server::~Automation_Server()
{
    m_tearingDown = true;
    while (!m_objects.empty())
        releaseObjectAt(m_objects.size() - 1);
    stop();
    if (m_factoryRegistered)
        m_connection.unregisterObject(Automation_BusNames::factoryPath());
    if (g_current == this)
        g_current = nullptr;
}

Automation_Server* Automation_Server::current()
{
    return g_current;
}

bool Automation_Server::start(QAxFactory::ServerType type)
{
    if (!m_factory || !m_connection.isConnected())
        return false;
    m_type = m_startedAsServer ? QAxFactory::MultipleInstances : type;
    if (!m_factoryRegistered) {
        // The factory object stays for the life of the server: clients release through it
        // also after the classes were revoked.
        m_factoryRegistered
            = m_connection.registerObject(Automation_BusNames::factoryPath(), Automation_BusNames::factoryInterface(),
                                          m_adaptor, QDBusConnection::ExportAllSlots);
        if (!m_factoryRegistered)
            return false;
    }
    bool allOffered = true;
    const QStringList keys = m_factory->featureList();
    for (const QString& key : keys) {
        if (m_offered.contains(key))
            continue;
        if (m_connection.registerService(serviceName(key)))
            m_offered.insert(key);
        else
            allOffered = false;
    }
    return allOffered;
}

bool Automation_Server::stop()
{
    for (const QString& key : std::as_const(m_offered))
        m_connection.unregisterService(serviceName(key));
    m_offered.clear();
    return true;
}

Automation_Server::Answer Automation_Server::createObject(const QString& key, const QString& client)
{
    Answer answer;
    if (!m_factory->featureList().contains(key)) {
        answer.errorName = Automation_BusNames::errorUnknownClass();
        answer.errorText = QStringLiteral("No class \"%1\" is exported").arg(key);
        return answer;
    }
    if (!m_offered.contains(key)) {
        answer.errorName = Automation_BusNames::errorClassNotOffered();
        answer.errorText = QStringLiteral("The class \"%1\" takes no further clients").arg(key);
        return answer;
    }
    QObject* object = m_factory->createObject(key);
    if (!object) {
        answer.errorName = Automation_BusNames::errorCreationFailed();
        answer.errorText = QStringLiteral("The factory made no object of \"%1\"").arg(key);
        return answer;
    }
    const QString path = Automation_BusNames::objectPath(key, m_run, ++m_serial);
    if (!busPublish(path, key, object, client)) {
        delete object;
        answer.errorName = Automation_BusNames::errorCreationFailed();
        answer.errorText = QStringLiteral("The object of \"%1\" cannot be published").arg(key);
        return answer;
    }
    m_objects.push_back({path, key, client, object});
    if (m_type == QAxFactory::SingleInstance) {
        m_connection.unregisterService(serviceName(key));
        m_offered.remove(key);
    }
    answer.objectPath = path;
    // A client that left before the watch was in place would keep its object forever.
    if (m_connection.interface() && !m_connection.interface()->isServiceRegistered(client).value())
        slot_clientUnregistered(client);
    return answer;
}

Automation_Server::Answer Automation_Server::release(const QString& objectPath, const QString& client)
{
    Answer answer;
    for (std::size_t i = 0; i < m_objects.size(); ++i) {
        if (m_objects[i].path != objectPath)
            continue;
        if (m_objects[i].client != client) {
            answer.errorName = Automation_BusNames::errorNotOwner();
            answer.errorText = QStringLiteral("The object %1 belongs to another client").arg(objectPath);
            return answer;
        }
        releaseObjectAt(i);
        return answer;
    }
    answer.errorName = Automation_BusNames::errorUnknownObject();
    answer.errorText = QStringLiteral("No object %1").arg(objectPath);
    return answer;
}

bool Automation_Server::admits(const QObject* object, const QString& client) const
{
    for (const LiveObject& live : m_objects) {
        if (live.object == object)
            return live.client == client;
    }
    return true;
}

bool Automation_Server::refusesCaller(const QObject* object, QDBusContext& context)
{
    const Automation_Server* server = g_current;
    if (!context.calledFromDBus() || !server)
        return false;
    const QString caller = context.message().service();
    if (server->admits(object, caller))
        return false;
    context.sendErrorReply(Automation_BusNames::errorNotOwner(),
                           QStringLiteral("The object %1 belongs to another client").arg(context.message().path()));
    return true;
}

void Automation_Server::slot_clientUnregistered(const QString& client)
{
    // Searched afresh each time: deleting an object may release others.
    for (std::size_t i = m_objects.size(); i-- > 0;) {
        if (i < m_objects.size() && m_objects[i].client == client)
            releaseObjectAt(i);
    }
}

void Automation_Server::releaseObjectAt(std::size_t index)
{
    const LiveObject released = m_objects[index];
    m_objects.erase(m_objects.begin() + std::ptrdiff_t(index));
    busWithdraw(released.path, released.client, !hasObjectsOf(released.client));
    delete released.object;
    if (m_objects.empty() && m_startedAsServer && !m_tearingDown && !m_factory->isService() && m_quit)
        m_quit();
}

bool Automation_Server::busPublish(const QString& path, const QString& key, QObject* object, const QString& client)
{
    if (!m_connection.registerObject(path, Automation_BusNames::interfaceName(m_factory->applicationName(), key),
                                     object, QDBusConnection::ExportAllSlots))
        return false;
    m_clientWatcher->addWatchedService(client);
    return true;
}

void Automation_Server::busWithdraw(const QString& path, const QString& client, bool unwatch)
{
    m_connection.unregisterObject(path);
    if (unwatch)
        m_clientWatcher->removeWatchedService(client);
}

bool Automation_Server::hasObjectsOf(const QString& client) const
{
    for (const LiveObject& object : m_objects) {
        if (object.client == client)
            return true;
    }
    return false;
}

QString Automation_Server::serviceName(const QString& key) const
{
    return Automation_BusNames::serviceName(m_factory->applicationName(), key);
}
