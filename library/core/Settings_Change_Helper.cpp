#include "Settings_Change_Helper.h"

#include <QTimer>

Settings_Change_Helper::Settings_Change_Helper(bool keepPendingTimer, int defaultDelayMs, QObject* parent)
    : QObject(parent)
    , m_keepPendingTimer(keepPendingTimer)
    , m_defaultDelay(defaultDelayMs)
    , m_QTimer_sendSignalChanged(new QTimer(this))
{
    m_QTimer_sendSignalChanged->setSingleShot(true);
    // Coarse timers may fire up to 5 % early, which would cut the quiet interval short.
    m_QTimer_sendSignalChanged->setTimerType(Qt::PreciseTimer);
    connect(m_QTimer_sendSignalChanged, &QTimer::timeout,
            this, &Settings_Change_Helper::slot_QTimer_sendSignalChanged_timeout);
}

Settings_Change_Helper::~Settings_Change_Helper()
{
    delete m_QTimer_sendSignalChanged;
}

void Settings_Change_Helper::setChanged(int delayMs)
{
    if (m_blockCount > 0)
        return;

    if (m_QTimer_sendSignalChanged->isActive()) {
        if (m_keepPendingTimer)
            return;
        m_QTimer_sendSignalChanged->stop();
    }

    if (m_defaultDelay < 0 && delayMs == 0) {
        emit signal_changed();
        return;
    }

    if (delayMs >= 0) {
        m_QTimer_sendSignalChanged->start(delayMs == 0 ? m_defaultDelay : delayMs);
        return;
    }

    emit signal_changed();
}

void Settings_Change_Helper::setChangedBlocked(bool block)
{
    if (block) {
        ++m_blockCount;
        m_QTimer_sendSignalChanged->stop();
    } else if (m_blockCount > 0) {
        --m_blockCount;
    }
}

void Settings_Change_Helper::slot_QTimer_sendSignalChanged_timeout()
{
    if (m_blockCount > 0)
        return;
    emit signal_changed();
}
