#include "CommandFailureBox.h"

#include "MessageBox_Helper.h"

void CommandFailureBox::showText(QWidget* window, const QString& title, const QString& text)
{
    MessageBox_Helper::critical(window, title, text, QMessageBox::Ok);
}

void CommandFailureBox::showCode(QWidget* window, const QString& title, Errors::Type_Error code)
{
    showText(window, title, tr("%1!").arg(Errors::getErrorText(code)));
}

void CommandFailureBox::showFollowup(QWidget* window, const Followup& followup)
{
    if (!followup.text.isEmpty())
        showText(window, followup.title, followup.text);
}
