#pragma once

#include "QAxFactory.h"

#include <QDBusConnection>
#include <QObject>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class Automation_ClassFactoryAdaptor;
class QDBusContext;
class QDBusServiceWatcher;

// The bus side of an automation server: owns the factory, offers its classes under their
// well-known names, makes objects for clients (CreateObject answers the object's path) and
// deletes them on Release or when their client leaves the bus. Objects are deleted in the
// thread that runs the event loop, so a class may decide the end of the process in its
// destructor.
//
// The first server constructed is the process-wide one that QAxFactory's static functions
// reach; the program's entry makes it. GUI thread only.
class Automation_Server : public QObject {
    Q_OBJECT
public:
    // Takes the factory. Nothing is offered before start.
    Automation_Server(QAxFactory* factory, const QDBusConnection& connection, QObject* parent = nullptr);
    // Deletes the objects that are left (without the end-of-server rule) and revokes.
    ~Automation_Server() override;

    static Automation_Server* current();

    QAxFactory* factory() const { return m_factory.get(); }
    QDBusConnection connection() const { return m_connection; }

    void setStartedAsServer(bool startedAsServer) { m_startedAsServer = startedAsServer; }
    bool isStartedAsServer() const { return m_startedAsServer; }

    // Offers every class of the factory under its name; a started server always offers for
    // any number of clients. false when the bus is not there or a name is held by another.
    bool start(QAxFactory::ServerType type);
    // Gives up the names; existing objects stay and may still be released.
    bool stop();
    bool isOffered(const QString& key) const { return m_offered.contains(key); }
    int objectCount() const { return int(m_objects.size()); }

    // What the factory object answers: an object path, or an error name and text.
    struct Answer {
        QString objectPath;
        QString errorName;
        QString errorText;
    };
    Answer createObject(const QString& key, const QString& client);
    Answer release(const QString& objectPath, const QString& client);

    // Whether client may call object's methods: only the client that made it may, as only
    // that one may release it. Objects no server made take every caller.
    bool admits(const QObject* object, const QString& client) const;
    // For an exported object's methods: a bus call from a client that does not own object is
    // answered an error here (true), and the method must then do nothing. Calls that do not
    // come over the bus pass.
    static bool refusesCaller(const QObject* object, QDBusContext& context);

    // How a started server that is no service ends when its last object goes; the
    // default quits the application's event loop. Tests replace it.
    void setQuitFunction(std::function<void()> quit) { m_quit = std::move(quit); }

private:
    struct LiveObject {
        QString path;
        QString key;
        QString client;
        QObject* object = nullptr;
    };

    void slot_clientUnregistered(const QString& client);
    void releaseObjectAt(std::size_t index);
    bool hasObjectsOf(const QString& client) const;
    // The calls that change the connection's object tree and its watched names, and nothing
    // else: the thread checker's note on Qt's lock there names these two.
    bool busPublish(const QString& path, const QString& key, QObject* object, const QString& client);
    void busWithdraw(const QString& path, const QString& client, bool unwatch);
    QString serviceName(const QString& key) const;

    std::unique_ptr<QAxFactory> m_factory;
    QDBusConnection m_connection;
    Automation_ClassFactoryAdaptor* m_adaptor = nullptr;
    QDBusServiceWatcher* m_clientWatcher = nullptr;
    bool m_startedAsServer = false;
    bool m_factoryRegistered = false;
    bool m_tearingDown = false;
    QAxFactory::ServerType m_type = QAxFactory::SingleInstance;
    QSet<QString> m_offered;
    std::vector<LiveObject> m_objects;
    QString m_run;
    quint64 m_serial = 0;
    std::function<void()> m_quit;
};
