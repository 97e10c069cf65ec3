#include "AutomationTestClass.h"
#include "Automation_BusNames.h"
#include "Automation_InterfaceDescription.h"
#include "PrivateSessionBus.h"

#include <QDomDocument>
#include <QtTest>

class tst_Automation_InterfaceDescription : public QObject {
    Q_OBJECT
private slots:
    void exportedMethods();
    void documentCarriesIdentifiersAndVersion();
    void agreesWithWhatTheBusExports();
};

using Method = Automation_InterfaceDescription::Method;

static QStringList describe(const QList<Method>& methods)
{
    QStringList lines;
    for (const Method& method : methods) {
        QStringList arguments;
        for (const Automation_InterfaceDescription::Argument& argument : method.arguments)
            arguments << (argument.output ? QStringLiteral("out ") : QStringLiteral("in ")) + argument.signature
                    + QLatin1Char(' ') + argument.name;
        lines << method.name + QLatin1Char('(') + arguments.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    return lines;
}

void tst_Automation_InterfaceDescription::exportedMethods()
{
    // Declaration order; the return value is the first output; slots the bus cannot call
    // (a QObject pointer, an input after an output, not public) and signals are left out.
    const QStringList expected{
        QStringLiteral("Add(out i , in i a, in i b, out i sum)"),
        QStringLiteral("Echo(out s , in s text)"),
        QStringLiteral("Split(out i , in s text, out av parts, out i count)"),
        QStringLiteral("Scale(out d , in d value, in d factor)"),
        QStringLiteral("Negate(out b , in b value)"),
        QStringLiteral("Nothing()"),
        QStringLiteral("Owned(out i , in i value, out i same)"),
        QStringLiteral("Later(out i , in i key, out i doubled)"),
    };
    QCOMPARE(describe(Automation_InterfaceDescription::methods(AutomationTestClass::staticMetaObject)), expected);
}

void tst_Automation_InterfaceDescription::documentCarriesIdentifiersAndVersion()
{
    const AutomationTestFactory factory;
    QDomDocument document;
    QVERIFY(document.setContent(Automation_InterfaceDescription::document(factory, QStringLiteral("2.3.4"))));
    QCOMPARE(document.doctype().publicId(), QStringLiteral("-//freedesktop//DTD D-BUS Object Introspection 1.0//EN"));
    const QDomElement interface = document.documentElement().firstChildElement(QStringLiteral("interface"));
    QCOMPARE(interface.attribute(QStringLiteral("name")), QStringLiteral("zelvorintest.ITestClass"));

    QMap<QString, QString> annotations;
    for (QDomElement a = interface.firstChildElement(QStringLiteral("annotation")); !a.isNull();
         a = a.nextSiblingElement(QStringLiteral("annotation")))
        annotations.insert(a.attribute(QStringLiteral("name")), a.attribute(QStringLiteral("value")));
    QCOMPARE(annotations.value(QStringLiteral("zelvorin.Automation.Version")), QStringLiteral("2.3.4"));
    QCOMPARE(annotations.value(QStringLiteral("zelvorin.Automation.ClassID")),
             QStringLiteral("{aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee}"));
    QCOMPARE(annotations.value(QStringLiteral("zelvorin.Automation.TypeLibID")),
             QStringLiteral("{11111111-2222-3333-4444-555555555555}"));
    QCOMPARE(interface.elementsByTagName(QStringLiteral("method")).size(), 8);
}

// The written description must be what clients find on the bus.
void tst_Automation_InterfaceDescription::agreesWithWhatTheBusExports()
{
    PrivateSessionBus bus;
    QVERIFY2(bus.start(), qPrintable(bus.error()));
    QDBusConnection server = bus.connect(QStringLiteral("server"));
    QDBusConnection client = bus.connect(QStringLiteral("client"));
    AutomationTestClass object;
    const QString interfaceName = QStringLiteral("zelvorintest.ITestClass");
    QVERIFY(
        server.registerObject(QStringLiteral("/TestClass/1"), interfaceName, &object, QDBusConnection::ExportAllSlots));

    const QDBusMessage reply = PrivateSessionBus::callAndWait(
        client,
        QDBusMessage::createMethodCall(server.baseService(), QStringLiteral("/TestClass/1"),
                                       QStringLiteral("org.freedesktop.DBus.Introspectable"),
                                       QStringLiteral("Introspect")));
    QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
    QDomDocument live;
    QVERIFY(live.setContent(reply.arguments().constFirst().toString()));
    QList<Method> exported;
    const QDomNodeList interfaces = live.elementsByTagName(QStringLiteral("interface"));
    for (int i = 0; i < interfaces.size(); ++i) {
        const QDomElement interface = interfaces.at(i).toElement();
        if (interface.attribute(QStringLiteral("name")) != interfaceName)
            continue;
        for (QDomElement m = interface.firstChildElement(QStringLiteral("method")); !m.isNull();
             m = m.nextSiblingElement(QStringLiteral("method"))) {
            Method method{m.attribute(QStringLiteral("name")), {}};
            for (QDomElement a = m.firstChildElement(QStringLiteral("arg")); !a.isNull();
                 a = a.nextSiblingElement(QStringLiteral("arg")))
                method.arguments.append({a.attribute(QStringLiteral("name")), a.attribute(QStringLiteral("type")),
                                         a.attribute(QStringLiteral("direction")) == QLatin1String("out")});
            exported.append(method);
        }
    }
    QCOMPARE(describe(exported), describe(Automation_InterfaceDescription::methods(AutomationTestClass::staticMetaObject)));
    server.unregisterObject(QStringLiteral("/TestClass/1"));
}

QTEST_GUILESS_MAIN(tst_Automation_InterfaceDescription)
#include "tst_Automation_InterfaceDescription.moc"
