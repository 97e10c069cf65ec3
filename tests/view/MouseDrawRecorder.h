#pragma once

#include "Hobject_View_MouseDraw_Rectangle_Area.h"
#include "Hobject_View_MouseDraw_Rectangle_Move.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// A rectangle owner for the mouse-tool tests: keeps one rectangle, reports it through
// getRectangle, stores what drawFinished hands over and records every call. One object
// serves both tool kinds, as the editors do.
class MouseDrawRecorder : public Hobject_View_MouseDraw_Rectangle_Area::CallbackFunctions,
                          public Hobject_View_MouseDraw_Rectangle_Move::CallbackFunctions {
public:
    struct Call {
        QString operation;
        QString name;
        QString objectName;
        double x = 0.0;
        double y = 0.0;
        double width = 0.0;
        double height = 0.0;
        double angle = 0.0;
    };

    // The owner's rectangle (percent, degrees).
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;
    double angle = 0.0;

    QList<Call> calls;
    // Shared by several owners to see the order of calls across tools: "<tag>:<operation>".
    QStringList* log = nullptr;
    QString tag;
    // Runs after an operation is recorded, to let a test act from inside a callback.
    std::function<void(const QString& operation)> hook;

    void setRectangle(double newX, double newY, double newWidth, double newHeight, double newAngle)
    {
        x = newX;
        y = newY;
        width = newWidth;
        height = newHeight;
        angle = newAngle;
    }

    QStringList operations() const
    {
        QStringList result;
        for (const Call& call : calls)
            result.append(call.operation);
        return result;
    }

    // The last call of an operation; a default call when there is none.
    Call last(const QString& operation) const
    {
        for (auto it = calls.crbegin(); it != calls.crend(); ++it)
            if (it->operation == operation)
                return *it;
        return Call();
    }

    void getRectangle(const QString& name, const QString& objectName, double& outX, double& outY,
                      double& outWidth, double& outHeight, double& outAngle) override
    {
        // The tool presets every output.
        const bool preset = outX == 0.0 && outY == 0.0 && outWidth == 0.0 && outHeight == 0.0 && outAngle == 0.0;
        record(Call{preset ? QStringLiteral("getRectangle") : QStringLiteral("getRectangle(not preset)"), name,
                    objectName, x, y, width, height, angle});
        outX = x;
        outY = y;
        outWidth = width;
        outHeight = height;
        outAngle = angle;
        runHook(QStringLiteral("getRectangle"));
    }

    void drawStarted(const QString& name, const QString& objectName) override
    {
        record(Call{QStringLiteral("drawStarted"), name, objectName});
        runHook(QStringLiteral("drawStarted"));
    }

    void drawChanged(const QString& name, const QString& objectName, double newX, double newY, double newWidth,
                     double newHeight, double newAngle) override
    {
        record(Call{QStringLiteral("drawChanged"), name, objectName, newX, newY, newWidth, newHeight, newAngle});
        runHook(QStringLiteral("drawChanged"));
    }

    void drawFinished(const QString& name, const QString& objectName, double newX, double newY, double newWidth,
                      double newHeight, double newAngle) override
    {
        record(Call{QStringLiteral("drawFinished"), name, objectName, newX, newY, newWidth, newHeight, newAngle});
        setRectangle(newX, newY, newWidth, newHeight, newAngle);
        runHook(QStringLiteral("drawFinished"));
    }

    void drawEnded(const QString& name, const QString& objectName) override
    {
        record(Call{QStringLiteral("drawEnded"), name, objectName});
        runHook(QStringLiteral("drawEnded"));
    }

private:
    void record(const Call& call)
    {
        calls.append(call);
        if (log)
            log->append(tag + QLatin1Char(':') + call.operation);
    }

    void runHook(const QString& operation)
    {
        if (hook)
            hook(operation);
    }
};
