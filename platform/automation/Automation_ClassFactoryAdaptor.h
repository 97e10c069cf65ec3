#pragma once

#include <QDBusContext>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>

class Automation_Server;

// The class factory as clients see it on the bus. It only learns who calls and turns the
// server's answers into replies; the server decides.
class Automation_ClassFactoryAdaptor : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    explicit Automation_ClassFactoryAdaptor(Automation_Server* server);

public slots:
    // The path of a new object of the class, owned by the calling client.
    QDBusObjectPath CreateObject(const QString& className);
    // Releases one of the caller's objects.
    void Release(const QDBusObjectPath& objectPath);

private:
    Automation_Server* m_server;
};
