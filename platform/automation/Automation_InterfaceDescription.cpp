#include "Automation_InterfaceDescription.h"

#include "Automation_BusNames.h"
#include "QAxFactory.h"

#include <QDBusMetaType>
#include <QMetaMethod>
#include <QMetaObject>
#include <QMetaType>
#include <QXmlStreamWriter>

namespace {

// The signature of a type the bus can carry; empty otherwise.
QString signatureOf(const QByteArray& typeName)
{
    const QMetaType type = QMetaType::fromName(typeName);
    if (!type.isValid())
        return QString();
    const char* signature = QDBusMetaType::typeToSignature(type);
    return signature ? QString::fromLatin1(signature) : QString();
}

bool exportedMethod(const QMetaMethod& method, Automation_InterfaceDescription::Method& result)
{
    if (method.methodType() != QMetaMethod::Slot || method.access() != QMetaMethod::Public)
        return false;
    result.name = QString::fromLatin1(method.name());
    result.arguments.clear();
    if (method.returnMetaType().id() != QMetaType::Void) {
        const QString signature = signatureOf(method.returnMetaType().name());
        if (signature.isEmpty())
            return false;
        result.arguments.append({QString(), signature, true});
    }
    const QList<QByteArray> types = method.parameterTypes();
    const QList<QByteArray> names = method.parameterNames();
    bool outputSeen = false;
    for (qsizetype i = 0; i < types.size(); ++i) {
        QByteArray type = types.at(i);
        const bool output = type.endsWith('&');
        if (output)
            type.chop(1);
        // The bus delivers inputs first; a class that mixes them cannot be called.
        if (outputSeen && !output)
            return false;
        outputSeen = outputSeen || output;
        const QString signature = signatureOf(type);
        if (signature.isEmpty())
            return false;
        result.arguments.append({QString::fromLatin1(names.value(i)), signature, output});
    }
    return true;
}

void writeInterface(QXmlStreamWriter& xml, const QMetaObject& metaObject, const QString& interfaceName,
                    const QList<QPair<QString, QString>>& annotations)
{
    xml.writeStartElement(QStringLiteral("interface"));
    xml.writeAttribute(QStringLiteral("name"), interfaceName);
    for (const auto& annotation : annotations) {
        xml.writeEmptyElement(QStringLiteral("annotation"));
        xml.writeAttribute(QStringLiteral("name"), annotation.first);
        xml.writeAttribute(QStringLiteral("value"), annotation.second);
    }
    const QList<Automation_InterfaceDescription::Method> methods = Automation_InterfaceDescription::methods(metaObject);
    for (const Automation_InterfaceDescription::Method& method : methods) {
        xml.writeStartElement(QStringLiteral("method"));
        xml.writeAttribute(QStringLiteral("name"), method.name);
        for (const Automation_InterfaceDescription::Argument& argument : method.arguments) {
            xml.writeEmptyElement(QStringLiteral("arg"));
            if (!argument.name.isEmpty())
                xml.writeAttribute(QStringLiteral("name"), argument.name);
            xml.writeAttribute(QStringLiteral("type"), argument.signature);
            xml.writeAttribute(QStringLiteral("direction"),
                               argument.output ? QStringLiteral("out") : QStringLiteral("in"));
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

QString annotationName(const char* what)
{
    return QStringLiteral("zelvorin.Automation.") + QLatin1String(what);
}

} // namespace

QList<Automation_InterfaceDescription::Method> Automation_InterfaceDescription::methods(const QMetaObject& metaObject)
{
    QList<Method> result;
    // QObject's own slots (deleteLater) are never exported.
    for (int i = QObject::staticMetaObject.methodCount(); i < metaObject.methodCount(); ++i) {
        Method method;
        if (exportedMethod(metaObject.method(i), method))
            result.append(method);
    }
    return result;
}

QByteArray Automation_InterfaceDescription::document(const QAxFactory& factory, const QString& version)
{
    QByteArray data;
    QXmlStreamWriter xml(&data);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDTD(QStringLiteral("<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\"\n"
                                " \"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">"));
    xml.writeStartElement(QStringLiteral("node"));
    const QStringList keys = factory.featureList();
    for (const QString& key : keys) {
        const QMetaObject* metaObject = factory.metaObject(key);
        if (!metaObject)
            continue;
        const QList<QPair<QString, QString>> annotations{
            {annotationName("Version"), version},
            {annotationName("ClassID"), factory.classID(key).toString()},
            {annotationName("InterfaceID"), factory.interfaceID(key).toString()},
            {annotationName("EventsID"), factory.eventsID(key).toString()},
            {annotationName("TypeLibID"), factory.typeLibID().toString()},
            {annotationName("AppID"), factory.appID().toString()}};
        writeInterface(xml, *metaObject, Automation_BusNames::interfaceName(factory.applicationName(), key),
                       annotations);
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return data;
}
