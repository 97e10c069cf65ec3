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
// "/<class>/<run>/<serial>": run tells one run of the server from every other, so a path a
// client kept from an earlier run never reaches an object of this one.
QString objectPath(const QString& className, const QString& run, quint64 serial);
// A new run component: "r" and 32 random hexadecimal digits.
QString newRun();

// Names of the errors the factory answers with.
QString errorUnknownClass();
QString errorClassNotOffered();
QString errorCreationFailed();
QString errorUnknownObject();
QString errorNotOwner();
// A call that was still waiting for its answer when the server ended it.
QString errorNotAnswered();

} // namespace Automation_BusNames
