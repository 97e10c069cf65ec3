#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

// Result code of nearly every operation; 0 means success. The library owns the codes of its
// table, every other value belongs to the application and gets its text through the callback.
class Errors : public QObject {
    Q_OBJECT
public:
    typedef qint16 Type_Error;

    class CallbackFunctions {
    public:
        virtual ~CallbackFunctions() = default;
        virtual QString errorText(Errors::Type_Error code) = 0;
    };

    explicit Errors(CallbackFunctions* callback, QObject* parent = nullptr);
    ~Errors() override;

    static QString getErrorText(Errors::Type_Error code);
};

