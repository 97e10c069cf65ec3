#include "MessageBox_Helper.h"

#include "QuendralLibrary.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex g_mutex;
MessageBox_Helper::AnswerFunction g_answerFunction;
MessageBox_Helper::FileAnswerFunction g_fileAnswerFunction;

bool mayShowWindows()
{
    return !QuendralLibrary::IsAutomationServer() && qobject_cast<QApplication*>(QCoreApplication::instance());
}

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

void MessageBox_Helper::about(QWidget* parent, const QString& title, const QString& text)
{
    Request request = makeRequest(QMessageBox::NoIcon, parent, title, text, QMessageBox::Ok, QMessageBox::Ok);
    AnswerFunction function;
    {
        QMutexLocker locker(&g_mutex);
        function = g_answerFunction;
    }
    if (function) {
        function(request);
        return;
    }
    if (mayShowWindows())
        QMessageBox::about(parent, title, text);
}

namespace {

using FileDialogFunction = QString (*)(QWidget*, const QString&, const QString&, const QString&, QString*,
                                       QFileDialog::Options);

QString askFileName(FileDialogFunction dialog, bool forSaving, QWidget* parent, const QString& caption,
                    const QString& directory, const QString& filter)
{
    MessageBox_Helper::FileRequest request;
    request.forSaving = forSaving;
    request.parent = parent;
    request.caption = caption;
    request.directory = directory;
    request.filter = filter;
    MessageBox_Helper::FileAnswerFunction function;
    {
        QMutexLocker locker(&g_mutex);
        function = g_fileAnswerFunction;
    }
    if (function)
        return function(request);
    if (!mayShowWindows())
        return QString();
    return dialog(parent, caption, directory, filter, nullptr, QFileDialog::Options());
}

} // namespace

QString MessageBox_Helper::getSaveFileName(QWidget* parent, const QString& caption, const QString& directory,
                                           const QString& filter)
{
    return askFileName(&QFileDialog::getSaveFileName, true, parent, caption, directory, filter);
}

QString MessageBox_Helper::getOpenFileName(QWidget* parent, const QString& caption, const QString& directory,
                                           const QString& filter)
{
    return askFileName(&QFileDialog::getOpenFileName, false, parent, caption, directory, filter);
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

void MessageBox_Helper::setFileAnswerFunction(FileAnswerFunction function)
{
    QMutexLocker locker(&g_mutex);
    g_fileAnswerFunction = std::move(function);
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
    if (!mayShowWindows())
        return defaultAnswer(request);
    QMessageBox box(request.icon, request.title, request.text, request.buttons, request.parent);
    if (!request.informativeText.isEmpty())
        box.setInformativeText(request.informativeText);
    for (auto it = request.buttonTexts.cbegin(); it != request.buttonTexts.cend(); ++it) {
        if (QAbstractButton* button = box.button(it.key()))
            button->setText(it.value());
    }
    if (request.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(request.defaultButton);
    const int answer = box.exec();
    return QMessageBox::StandardButton(answer);
}
