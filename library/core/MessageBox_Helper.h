#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

// The one way the library asks the user something or tells him something in a message box.
// Tests install an answer function and see every box instead of a window; an automation
// server never shows a box and takes the default answer, since nobody sits in front of it.
class MessageBox_Helper {
public:
    struct Request {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QWidget* parent = nullptr;
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    };
    using AnswerFunction = std::function<QMessageBox::StandardButton(const Request& request)>;

    static QMessageBox::StandardButton question(QWidget* parent, const QString& title, const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    static QMessageBox::StandardButton information(QWidget* parent, const QString& title, const QString& text,
                                                   QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                                   QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    static QMessageBox::StandardButton warning(QWidget* parent, const QString& title, const QString& text,
                                               QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                               QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    static QMessageBox::StandardButton critical(QWidget* parent, const QString& title, const QString& text,
                                                QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                                QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

    // The answer without a window: the default button, else the first of the buttons.
    static QMessageBox::StandardButton defaultAnswer(const Request& request);

    // Replaces the boxes by function (tests); an empty function restores the real boxes.
    static void setAnswerFunction(AnswerFunction function);

private:
    static QMessageBox::StandardButton ask(const Request& request);
};
