#pragma once

#include "MessageBox_Helper.h"

#include <QDialog>

class QDialogButtonBox;
class QTextBrowser;

// A message box for a text too long for the screen (System Information with many views): the
// text scrolls, the box stays within the screen. Its result is the standard button chosen;
// Escape chooses Cancel, else No, else the only button.
class MessageBox_Helper_ScrollBox : public QDialog {
    Q_OBJECT
public:
    explicit MessageBox_Helper_ScrollBox(const MessageBox_Helper::Request& request);

    // True when the request's text, laid out as a box would, is taller than half the
    // available height of the screen the box would open on.
    static bool needed(const MessageBox_Helper::Request& request);

    QTextBrowser* textView() const { return m_text; }

public slots:
    void reject() override;

private:
    QTextBrowser* m_text = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    QMessageBox::StandardButton m_escape = QMessageBox::NoButton;
};
