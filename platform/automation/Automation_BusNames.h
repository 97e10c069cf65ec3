#pragma once

#include <QString>

// How the automation server appears on the bus. One well-known name per exported class
// ("<application>.<class>", the counterpart of a class registration), the class factory at
// a fixed path of the server, each created object at a path of its own.
namespace Automation_BusNames {

// Path and interface of the class factory object.
QString factoryPath();
QString factoryInterface();

// "<application>.<class>", every character a bus name may not hold replaced by "_".
QString serviceName(const QString& applicationName, const QString& className);
// "<application>.I<class>": the interface of the class's objects.
QString interfaceName(const QString& applicationName, const QString& className);
// "/<class>/<serial>"
QString objectPath(const QString& className, quint64 serial);

// Names of the errors the factory answers with.
QString errorUnknownClass();
QString errorClassNotOffered();
QString errorCreationFailed();
QString errorUnknownObject();
QString errorNotOwner();

} // namespace Automation_BusNames
