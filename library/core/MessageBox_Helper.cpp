#include "MessageBox_Helper.h"

#include "MessageBox_Helper_ScrollBox.h"
#include "QuendralLibrary.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QScopeGuard>

#include <vector>

namespace {

QMutex g_mutex;
MessageBox_Helper::AnswerFunction g_answerFunction;
MessageBox_Helper::FileAnswerFunction g_fileAnswerFunction;
MessageBox_Helper::DialogFunction g_dialogFunction;

// GUI thread only, so without a lock. Scopes end in the reverse order of their start: they
// live in frames of one thread's stack, also across nested event loops.
struct OwnerScope {
    const void* owner;
    bool gone;
};
std::vector<OwnerScope> g_ownerScopes;
struct OwnedDialog {
    QPointer<QDialog> dialog;
    const void* owner;
};
QList<OwnedDialog> g_ownedDialogs;

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

QString askFileName(const MessageBox_Helper::FileRequest& request)
{
    MessageBox_Helper::FileAnswerFunction function;
    {
        QMutexLocker locker(&g_mutex);
        function = g_fileAnswerFunction;
    }
    if (function)
        return function(request);
    if (!mayShowWindows())
        return QString();
    switch (request.kind) {
    case MessageBox_Helper::FileRequest::OpenFile:
        return QFileDialog::getOpenFileName(request.parent, request.caption, request.directory, request.filter);
    case MessageBox_Helper::FileRequest::Directory:
        return QFileDialog::getExistingDirectory(request.parent, request.caption, request.directory,
                                                 QFileDialog::ShowDirsOnly);
    case MessageBox_Helper::FileRequest::SaveFile:
        break;
    }
    return QFileDialog::getSaveFileName(request.parent, request.caption, request.directory, request.filter, nullptr,
                                        request.confirmOverwrite ? QFileDialog::Options()
                                                                 : QFileDialog::DontConfirmOverwrite);
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

QString MessageBox_Helper::getSaveFileName(QWidget* parent, const QString& caption, const QString& directory,
                                           const QString& filter)
{
    return askFileName({FileRequest::SaveFile, parent, caption, directory, filter});
}

QString MessageBox_Helper::getFileName(const FileRequest& request)
{
    return askFileName(request);
}

QString MessageBox_Helper::getOpenFileName(QWidget* parent, const QString& caption, const QString& directory,
                                           const QString& filter)
{
    return askFileName({FileRequest::OpenFile, parent, caption, directory, filter});
}

QString MessageBox_Helper::getExistingDirectory(QWidget* parent, const QString& caption, const QString& directory)
{
    return askFileName({FileRequest::Directory, parent, caption, directory, QString()});
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

void MessageBox_Helper::setDialogFunction(DialogFunction function)
{
    QMutexLocker locker(&g_mutex);
    g_dialogFunction = std::move(function);
}

int MessageBox_Helper::exec(QDialog* dialog)
{
    if (!dialog)
        return QDialog::Rejected;
    const void* owner = nullptr;
    if (!g_ownerScopes.empty()) {
        // Nobody is left to answer it.
        if (g_ownerScopes.back().gone)
            return QDialog::Rejected;
        owner = g_ownerScopes.back().owner;
    }
    g_ownedDialogs.append({dialog, owner});
    const auto forget = qScopeGuard([dialog] {
        g_ownedDialogs.removeIf([dialog](const OwnedDialog& entry) { return entry.dialog == dialog || !entry.dialog; });
    });
    DialogFunction function;
    {
        QMutexLocker locker(&g_mutex);
        function = g_dialogFunction;
    }
    return function ? function(dialog) : dialog->exec();
}

MessageBox_Helper::DialogOwnerScope::DialogOwnerScope(const void* owner)
{
    g_ownerScopes.push_back({owner, false});
}

MessageBox_Helper::DialogOwnerScope::~DialogOwnerScope()
{
    g_ownerScopes.pop_back();
}

void MessageBox_Helper::rejectDialogsOf(const void* owner)
{
    if (!owner)
        return;
    for (OwnerScope& scope : g_ownerScopes) {
        if (scope.owner == owner)
            scope.gone = true;
    }
    QList<QPointer<QDialog>> dialogs;
    for (const OwnedDialog& entry : std::as_const(g_ownedDialogs)) {
        if (entry.owner == owner && entry.dialog)
            dialogs << entry.dialog;
    }
    // Rejecting ends the dialog's event loop; its exec() returns once the loops above it end.
    for (const QPointer<QDialog>& dialog : std::as_const(dialogs)) {
        if (dialog)
            dialog->reject();
    }
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
    const std::unique_ptr<QDialog> box = createBox(request);
    return QMessageBox::StandardButton(box->exec());
}

std::unique_ptr<QDialog> MessageBox_Helper::createBox(const Request& request)
{
    // A message box does not scroll and grows with its text beyond the screen.
    if (MessageBox_Helper_ScrollBox::needed(request))
        return std::make_unique<MessageBox_Helper_ScrollBox>(request);
    auto box = std::make_unique<QMessageBox>(request.icon, request.title, request.text, request.buttons,
                                             request.parent);
    if (!request.informativeText.isEmpty())
        box->setInformativeText(request.informativeText);
    for (auto it = request.buttonTexts.cbegin(); it != request.buttonTexts.cend(); ++it) {
        if (QAbstractButton* button = box->button(it.key()))
            button->setText(it.value());
    }
    if (request.defaultButton != QMessageBox::NoButton)
        box->setDefaultButton(request.defaultButton);
    return box;
}
