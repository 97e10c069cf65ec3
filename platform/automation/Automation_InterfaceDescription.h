#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QAxFactory;
struct QMetaObject;

// The interface description of exported classes as D-Bus introspection XML, built from
// their meta-objects the way the bus exports them: every public slot whose parameters the
// bus can carry, the return value as the first out argument, non-const references as
// further out arguments (after all inputs).
class Automation_InterfaceDescription {
public:
    struct Argument {
        QString name; // empty for the return value
        QString signature; // D-Bus type signature
        bool output = false;
    };
    struct Method {
        QString name;
        QList<Argument> arguments;
    };

    // The exported methods of a class, in declaration order.
    static QList<Method> methods(const QMetaObject& metaObject);
    // A whole document with one interface per class of the factory, annotated with the
    // class's fixed identifiers and the version.
    static QByteArray document(const QAxFactory& factory, const QString& version);
};
