#include "MessageBox_Helper.h"

#include "QuendralLibrary.h"

#include <QApplication>
#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex g_mutex;
MessageBox_Helper::AnswerFunction g_answerFunction;

MessageBox_Helper::Request makeRequest(QMessageBox::Icon icon, QWidget* parent, const QString& title,
                                       const QString& text, QMessageBox::StandardButtons buttons,
                                       QMessageBox::StandardButton defaultButton)
{
    MessageBox_Helper::Request request;
    request.icon = icon;
    request.parent = parent;
    request.title = title;
    request.text = text;
    request.buttons = buttons;
    request.defaultButton = defaultButton;
    return request;
}

} // namespace

QMessageBox::StandardButton MessageBox_Helper::question(QWidget* parent, const QString& title, const QString& text,
                                                        QMessageBox::StandardButtons buttons,
                                                        QMessageBox::StandardButton defaultButton)
{
    return ask(makeRequest(QMessageBox::Question, parent, title, text, buttons, defaultButton));
}

QMessageBox::StandardButton MessageBox_Helper::information(QWidget* parent, const QString& title,
                                                           const QString& text, QMessageBox::StandardButtons buttons,
                                                           QMessageBox::StandardButton defaultButton)
{
    return ask(makeRequest(QMessageBox::Information, parent, title, text, buttons, defaultButton));
}

QMessageBox::StandardButton MessageBox_Helper::warning(QWidget* parent, const QString& title, const QString& text,
                                                       QMessageBox::StandardButtons buttons,
                                                       QMessageBox::StandardButton defaultButton)
{
    return ask(makeRequest(QMessageBox::Warning, parent, title, text, buttons, defaultButton));
}

QMessageBox::StandardButton MessageBox_Helper::critical(QWidget* parent, const QString& title, const QString& text,
                                                        QMessageBox::StandardButtons buttons,
                                                        QMessageBox::StandardButton defaultButton)
{
    return ask(makeRequest(QMessageBox::Critical, parent, title, text, buttons, defaultButton));
}

QMessageBox::StandardButton MessageBox_Helper::defaultAnswer(const Request& request)
{
    if (request.defaultButton != QMessageBox::NoButton)
        return request.defaultButton;
    for (unsigned bit = QMessageBox::FirstButton; bit <= QMessageBox::LastButton; bit <<= 1) {
        if (request.buttons.testFlag(QMessageBox::StandardButton(bit)))
            return QMessageBox::StandardButton(bit);
    }
    return QMessageBox::NoButton;
}

void MessageBox_Helper::setAnswerFunction(AnswerFunction function)
{
    QMutexLocker locker(&g_mutex);
    g_answerFunction = std::move(function);
}

QMessageBox::StandardButton MessageBox_Helper::ask(const Request& request)
{
    AnswerFunction function;
    {
        QMutexLocker locker(&g_mutex);
        function = g_answerFunction;
    }
    if (function)
        return function(request);
    // No window without a widget application, and none in an automation server.
    if (QuendralLibrary::IsAutomationServer() || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return defaultAnswer(request);
    QMessageBox box(request.icon, request.title, request.text, request.buttons, request.parent);
    if (request.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(request.defaultButton);
    const int answer = box.exec();
    return QMessageBox::StandardButton(answer);
}
