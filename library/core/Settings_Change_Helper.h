#pragma once

#include <QObject>

class QTimer;

// Base of every settings record: turns a burst of value changes into one signal_changed()
// after a quiet interval, and lets the record suppress notification during bulk changes.
class Settings_Change_Helper : public QObject {
    Q_OBJECT
public:
    // keepPendingTimer: true keeps the first deadline of a pending notification, false
    // restarts the interval on every change. defaultDelayMs is used for changes reported
    // with delay 0; a negative default makes those notify at once.
    Settings_Change_Helper(bool keepPendingTimer, int defaultDelayMs, QObject* parent = nullptr);
    ~Settings_Change_Helper() override;

    // delayMs 0: default delay; positive: that delay; negative: notify at once.
    // Ignored (not remembered) while suppressed.
    void setChanged(int delayMs);
    // true enters one level of suppression and drops a pending notification, false leaves
    // one level. Leaving emits nothing.
    void setChangedBlocked(bool block);

signals:
    void signal_changed();

public slots:
    void slot_QTimer_sendSignalChanged_timeout();

private:
    bool m_keepPendingTimer;
    int m_defaultDelay;
    QTimer* m_QTimer_sendSignalChanged;
    int m_blockCount = 0;
};
