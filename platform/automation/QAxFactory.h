#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUuid>

// The class factory of an automation server: which classes the program exports, how their
// objects are made and which fixed identifiers they carry. A program derives one factory
// and hands it to the entry (Automation_Entry); the entry and Automation_Server do the bus
// work: the well-known names, CreateObject and Release, and the object lifetime.
class QAxFactory : public QObject {
    Q_OBJECT
public:
    // SingleInstance: a class object serves one client; once it made an object it is no
    // longer offered, until startServer offers it again. MultipleInstances: it serves any
    // number of clients.
    enum ServerType { SingleInstance, MultipleInstances };

    // applicationName names the program on the bus ("<application>.<class>").
    QAxFactory(const QUuid& libraryId, const QUuid& applicationId, const QString& applicationName,
               QObject* parent = nullptr);
    ~QAxFactory() override;

    // The keys (class names) of the exported classes.
    virtual QStringList featureList() const = 0;
    // A new object of the class, owned by the caller; null for an unknown key.
    virtual QObject* createObject(const QString& key) = 0;
    // The meta-object that describes the class's methods; null for an unknown key.
    virtual const QMetaObject* metaObject(const QString& key) const = 0;
    virtual QUuid classID(const QString& key) const;
    virtual QUuid interfaceID(const QString& key) const;
    virtual QUuid eventsID(const QString& key) const;
    // true: the process is a service that decides its own end; false: a server started by
    // the automation system quits when its last object is released.
    virtual bool isService() const;

    QUuid typeLibID() const { return m_libraryId; }
    QUuid appID() const { return m_applicationId; }
    QString applicationName() const { return m_applicationName; }

    // true when the program was started by the automation system ("-activex",
    // "-embedding"); its class objects then serve any number of clients.
    static bool isServer();
    // Offers the class objects on the bus with the type (a started server keeps
    // MultipleInstances); false when there is no server or a name cannot be taken.
    static bool startServer(ServerType type = MultipleInstances);
    // Revokes the class objects; objects that exist stay until they are released.
    static bool stopServer();

private:
    QUuid m_libraryId;
    QUuid m_applicationId;
    QString m_applicationName;
};
