#pragma once

#include "Automation_InterfaceDescription.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

// A client of an automation server, as the instrument's control software uses it: creates
// one object through the class factory, calls its methods and releases it. Calls block; use
// it from a thread other than the server's. Each client uses its own bus connection, so
// the server can tell clients apart and release the objects of one that leaves.
class Automation_Client {
public:
    explicit Automation_Client(const QDBusConnection& connection, int timeoutMs = 60000);
    ~Automation_Client();

    Automation_Client(const Automation_Client&) = delete;
    Automation_Client& operator=(const Automation_Client&) = delete;

    // Creates an object of the class through the name's factory. Later calls go to the
    // server that answered, which may have given up the name (a single-use class).
    bool attach(const QString& serviceName, const QString& className, QString& error);
    // Releases the object; does nothing when none is attached.
    bool release(QString& error);
    // Forgets the object without releasing it (the server learns when the connection ends).
    void detach();

    bool isAttached() const { return !m_objectPath.isEmpty(); }
    QString serverName() const { return m_serverName; }
    QString objectPath() const { return m_objectPath; }
    QDBusConnection connection() const { return m_connection; }

    // The reply of a method call with these arguments (an error reply when it failed).
    QDBusMessage call(const QString& method, const QVariantList& arguments = {}) const;

    // The object's exported methods, read from its introspection once.
    bool methods(QList<Automation_InterfaceDescription::Method>& methods, QString& error);
    // Calls a method with text arguments converted by its signature and gives one line per
    // output, "<name>: <value>" ("result" for the return value).
    bool callWithText(const QString& method, const QStringList& textArguments, QStringList& outputLines,
                      QString& error);

private:
    QDBusConnection m_connection;
    int m_timeoutMs;
    QString m_serverName;
    QString m_objectPath;
    QList<Automation_InterfaceDescription::Method> m_methods;
};
