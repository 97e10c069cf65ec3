#pragma once

#include <QObject>
#include <QString>

// Result code of nearly every operation; 0 means success. The library owns the codes of its
// table, every other value belongs to the application and gets its text through the callback.
class Errors : public QObject {
    Q_OBJECT
public:
    typedef qint16 Type_Error;

    // Source of the application's own error texts. errorText() is called from worker threads
    // as well as the GUI thread. A source unregisters itself when it is destroyed, so the
    // library never calls into a deleted object.
    class CallbackFunctions {
    public:
        virtual ~CallbackFunctions();
        virtual QString errorText(Errors::Type_Error code) = 0;
    };

    // Registers the meta type "Errors::Type_Error" and makes callback (may be null) the
    // process-wide source of application texts, replacing any earlier one.
    explicit Errors(CallbackFunctions* callback, QObject* parent = nullptr);
    // Unregisters the callback given to this object unless another one has replaced it since.
    ~Errors() override;

    // Text of any code; thread-safe.
    static QString getErrorText(Errors::Type_Error code);

    // Removes callback as the source of application texts if it is the registered one; any
    // other registered source stays. Null removes whatever is registered.
    static void unregisterCallback(CallbackFunctions* callback = nullptr);

private:
    CallbackFunctions* m_callback = nullptr;
};
