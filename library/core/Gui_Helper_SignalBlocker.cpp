#include "Gui_Helper_SignalBlocker.h"

#include <QObject>
#include <QWidget>

Gui_Helper_SignalBlocker::Gui_Helper_SignalBlocker(QObject* root, bool blockNow)
    : m_root(root)
{
    if (blockNow)
        setBlocked(true);
}

Gui_Helper_SignalBlocker::~Gui_Helper_SignalBlocker()
{
    setBlocked(false);
}

void Gui_Helper_SignalBlocker::setBlocked(bool block)
{
    if (block) {
        if (!m_root)
            return;
        const QList<QWidget*> widgets = m_root->findChildren<QWidget*>();
        for (QWidget* widget : widgets) {
            if (!widget->signalsBlocked()) {
                m_blocked.append(widget);
                widget->blockSignals(true);
            }
        }
        return;
    }
    if (m_root) {
        const QList<QWidget*> widgets = m_root->findChildren<QWidget*>();
        for (QWidget* widget : widgets) {
            if (m_blocked.contains(widget))
                widget->blockSignals(false);
        }
    }
    m_blocked.clear();
}
