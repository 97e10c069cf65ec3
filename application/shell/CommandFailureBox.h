#pragma once

#include "Errors.h"

#include <QCoreApplication>
#include <QString>

class QWidget;

// How the operator's commands report a failure: a critical box titled by the area ("Analyse
// error", "Camera error", "Database error", ...) with the single button OK. GUI thread.
class CommandFailureBox {
    Q_DECLARE_TR_FUNCTIONS(MainWindowGui)
public:
    // A box a command shows after the failure's own one; none when its text is empty.
    struct Followup {
        QString title;
        QString text;
    };

    static void showText(QWidget* window, const QString& title, const QString& text);
    static void showFollowup(QWidget* window, const Followup& followup);
    // The code's text followed by "!".
    static void showCode(QWidget* window, const QString& title, Errors::Type_Error code);
};
