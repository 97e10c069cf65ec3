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
    // as well as the GUI thread. A source calls Errors::unregisterCallback(this) first thing in
    // its destructor, while all of it is still there: that waits for a text being made and no
    // call reaches it afterwards. The base destructor unregisters too, but it runs only after
    // the derived part is gone.
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
    // other registered source stays. Null removes whatever is registered. Returns once no
    // text is being asked of it; so errorText itself must neither unregister nor register.
    static void unregisterCallback(CallbackFunctions* callback = nullptr);

private:
    CallbackFunctions* m_callback = nullptr;
};
