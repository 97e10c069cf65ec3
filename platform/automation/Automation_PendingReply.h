#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantList>

class QDBusContext;
class QMetaMethod;
class QObject;

// The reply of a bus call that is answered after its method returned: the call's message, the
// connection it came on and the types of the method's out arguments (the return value first,
// then the reference parameters), taken from the method the call reached. It answers once;
// one that goes without an answer sends an error as it goes, so no client is left waiting for
// a reply that will never come. GUI thread.
class Automation_PendingReply {
public:
    // Takes over the reply of the call object serves now (context is object's): from here on
    // the bus sends nothing when the method returns. The method is the one of the call's
    // name with as many inputs as the call carries.
    Automation_PendingReply(const QObject* object, QDBusContext& context);
    Automation_PendingReply(const QDBusConnection& connection, const QDBusMessage& message,
                            const QList<QMetaType>& outTypes);
    ~Automation_PendingReply();
    Automation_PendingReply(const Automation_PendingReply&) = delete;
    Automation_PendingReply& operator=(const Automation_PendingReply&) = delete;

    // The out arguments in the method's order, each brought to the method's type; false when
    // the call was answered already. Values that do not fit the method answer an error.
    bool answer(const QVariantList& outputs);
    bool fail(const QString& errorName, const QString& errorText);
    bool isAnswered() const { return m_answered; }

    // The return value's type (unless void) and those of the reference parameters.
    static QList<QMetaType> outTypes(const QMetaMethod& method);

private:
    QDBusConnection m_connection;
    QDBusMessage m_message;
    QList<QMetaType> m_outTypes;
    bool m_answered = false;
};
