#include "Settings_Change_Helper.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <functional>

// Timing below is checked against the helper's own timer where possible (its remaining time)
// and against wall time only with wide margins, so loaded machines and sanitizer builds pass.
class tst_Settings_Change_Helper : public QObject {
    Q_OBJECT
private slots:
    void restartingDebounceCollapsesBurst();
    void keepPendingKeepsFirstDeadline();
    void restartingRestartsPendingTimer();
    void keepPendingThenNewScheduleAfterFiring();

    void delay_data();
    void delay();
    void negativeDelayStopsPendingTimer();
    void negativeDelayWithKeepPendingDoesNothingWhilePending();

    void blockedChangeIsLost();
    void blockingDropsPendingNotification();
    void blockingNests();
    void timeoutWhileBlockedEmitsNothing();
    void timerIsOwnedChild();
};

namespace {

QTimer* debounceTimer(Settings_Change_Helper& helper)
{
    return helper.findChild<QTimer*>();
}

// Runs the given steps from the event loop at the given offsets (ms) from now.
void scheduleSteps(QObject* context, const QList<QPair<int, std::function<void()>>>& steps)
{
    for (const auto& step : steps)
        QTimer::singleShot(step.first, Qt::PreciseTimer, context, step.second);
}

} // namespace

void tst_Settings_Change_Helper::restartingDebounceCollapsesBurst()
{
    Settings_Change_Helper helper(false, 500, nullptr);
    QSignalSpy spy(&helper, &Settings_Change_Helper::signal_changed);
    QElapsedTimer clock;
    qint64 lastChange = -1;
    int changes = 0;
    bool firedInBurst = false;
    auto change = [&]() {
        firedInBurst = firedInBurst || spy.count() > 0;
        helper.setChanged(0);
        lastChange = clock.elapsed();
        ++changes;
    };

    clock.start();
    change();
    scheduleSteps(this, {{150, change}, {300, change}, {450, change}, {600, change}});
    QVERIFY(spy.wait(10000));
    const qint64 firedAt = clock.elapsed();
    QCOMPARE(changes, 5);
    QVERIFY(!firedInBurst);
    QCOMPARE(spy.count(), 1);
    // The quiet interval counts from the last change, not from the first.
    QVERIFY2(firedAt - lastChange >= 495, qPrintable(QStringLiteral("fired %1 ms after the last change").arg(firedAt - lastChange)));
    QVERIFY(firedAt >= 1095);

    QVERIFY(!spy.wait(800));
    QCOMPARE(spy.count(), 1);
}

void tst_Settings_Change_Helper::keepPendingKeepsFirstDeadline()
{
    Settings_Change_Helper helper(true, 400, nullptr);
    QTimer* timer = debounceTimer(helper);
    QVERIFY(timer);
    QSignalSpy spy(&helper, &Settings_Change_Helper::signal_changed);

    helper.setChanged(0);
    QVERIFY(timer->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(timer->remainingTime() <= 250, 5000);
    const int before = timer->remainingTime();
    helper.setChanged(0);
    helper.setChanged(1000); // an explicit delay does not move the deadline either
    QVERIFY(timer->isActive());
    QVERIFY2(timer->remainingTime() <= before, qPrintable(QString::number(timer->remainingTime())));

    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.count(), 1);
    QVERIFY(!timer->isActive());
}

void tst_Settings_Change_Helper::restartingRestartsPendingTimer()
{
    Settings_Change_Helper helper(false, 400, nullptr);
    QTimer* timer = debounceTimer(helper);
    QVERIFY(timer);
    QSignalSpy spy(&helper, &Settings_Change_Helper::signal_changed);

    helper.setChanged(0);
    QTRY_VERIFY_WITH_TIMEOUT(timer->remainingTime() <= 250, 5000);
    helper.setChanged(0);
    QVERIFY(timer->isActive());
    QVERIFY2(timer->remainingTime() > 300, qPrintable(QString::number(timer->remainingTime())));
    QCOMPARE(timer->interval(), 400);

    // An explicit delay replaces the pending one.
    helper.setChanged(2000);
    QCOMPARE(timer->interval(), 2000);
    QVERIFY(timer->remainingTime() > 1500);
    QCOMPARE(spy.count(), 0);
}

void tst_Settings_Change_Helper::keepPendingThenNewScheduleAfterFiring()
{
    // With the first deadline kept, a change after the signal schedules a fresh one.
    Settings_Change_Helper helper(true, 50, nullptr);
    QSignalSpy spy(&helper, &Settings_Change_Helper::signal_changed);
    helper.setChanged(0);
    helper.setChanged(0);
    helper.setChanged(0);
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.count(), 1);

    QElapsedTimer clock;
    clock.start();
    helper.setChanged(0);
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.count(), 2);
    QVERIFY(clock.elapsed() >= 49);
    QVERIFY(!spy.wait(300));
}

void tst_Settings_Change_Helper::delay_data()
{
    QTest::addColumn<bool>("keepPending");
    QTest::addColumn<int>("defaultDelay");
    QTest::addColumn<int>("delay");
    QTest::addColumn<bool>("immediate");
    QTest::addColumn<int>("expectedInterval"); // -1: no timer

    QTest::newRow("default delay") << false << 500 << 0 << false << 500;
    QTest::newRow("explicit delay") << false << 500 << 70 << false << 70;
    QTest::newRow("negative delay") << false << 500 << -1 << true << -1;
    QTest::newRow("very negative delay") << true << 50 << -1000 << true << -1;
    QTest::newRow("negative default, delay 0") << false << -1 << 0 << true << -1;
    QTest::newRow("negative default, explicit delay") << true << -1 << 60 << false << 60;
    QTest::newRow("zero default fires on next loop pass") << false << 0 << 0 << false << 0;
}

void tst_Settings_Change_Helper::delay()
{
    QFETCH(bool, keepPending);
    QFETCH(int, defaultDelay);
    QFETCH(int, delay);
    QFETCH(bool, immediate);
    QFETCH(int, expectedInterval);

    Settings_Change_Helper helper(keepPending, defaultDelay, nullptr);
    QTimer* timer = debounceTimer(helper);
    QVERIFY(timer);
    QSignalSpy spy(&helper, &Settings_Change_Helper::signal_changed);

    helper.setChanged(delay);
    if (immediate) {
        QCOMPARE(spy.count(), 1);
        QVERIFY(!timer->isActive());
        QVERIFY(!spy.wait(200));
        QCOMPARE(spy.count(), 1);
        return;
    }
    // Even an interval of 0 goes through the event loop.
    QCOMPARE(spy.count(), 0);
    QVERIFY(timer->isActive());
    QVERIFY(timer->isSingleShot());
    QCOMPARE(timer->interval(), expectedInterval);
    QVERIFY(spy.wait(10000));
    QCOMPARE(spy.count(), 1);
    QVERIFY(!spy.wait(std::max(2 * expectedInterval, 100)));
}

void tst_Settings_Change_Helper::negativeDelayStopsPendingTimer()
{
    Settings_Change_Helper helper(false, 500, nullptr);
    QTimer* timer = debounceTimer(helper);
    QSignalSpy spy(&helper, &Settings_Change_Helper::signal_changed);

    helper.setChanged(0);
    QVERIFY(timer->isActive());
    helper.setChanged(-1);
    QCOMPARE(spy.count(), 1);
    QVERIFY(!timer->isActive());
    // The stopped notification does not come on top.
    QVERIFY(!spy.wait(900));
    QCOMPARE(spy.count(), 1);
}

void tst_Settings_Change_Helper::negativeDelayWithKeepPendingDoesNothingWhilePending()
{
    Settings_Change_Helper helper(true, 300, nullptr);
    QTimer* timer = debounceTimer(helper);
    QSignalSpy spy(&helper, &Settings_Change_Helper::signal_changed);

    helper.setChanged(0);
    helper.setChanged(-1);
    QCOMPARE(spy.count(), 0);
    QVERIFY(timer->isActive());
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.count(), 1);

    // Once idle again, a negative delay emits at once.
    helper.setChanged(-1);
    QCOMPARE(spy.count(), 2);
}

void tst_Settings_Change_Helper::blockedChangeIsLost()
{
    Settings_Change_Helper helper(false, 20, nullptr);
    QTimer* timer = debounceTimer(helper);
    QSignalSpy spy(&helper, &Settings_Change_Helper::signal_changed);

    helper.setChangedBlocked(true);
    helper.setChanged(0);
    helper.setChanged(5);
    helper.setChanged(-1);
    QCOMPARE(spy.count(), 0);
    QVERIFY(!timer->isActive());
    helper.setChangedBlocked(false);
    QVERIFY(!timer->isActive());
    QVERIFY(!spy.wait(300));
    QCOMPARE(spy.count(), 0);

    // After the bracket, the record announces the replacement with one change.
    helper.setChanged(0);
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.count(), 1);
}

void tst_Settings_Change_Helper::blockingDropsPendingNotification()
{
    Settings_Change_Helper helper(true, 50, nullptr);
    QTimer* timer = debounceTimer(helper);
    QSignalSpy spy(&helper, &Settings_Change_Helper::signal_changed);

    helper.setChanged(0);
    QVERIFY(timer->isActive());
    helper.setChangedBlocked(true);
    QVERIFY(!timer->isActive());
    helper.setChangedBlocked(false);
    QVERIFY(!spy.wait(300));
    QCOMPARE(spy.count(), 0);
}

void tst_Settings_Change_Helper::blockingNests()
{
    Settings_Change_Helper helper(false, -1, nullptr);
    QSignalSpy spy(&helper, &Settings_Change_Helper::signal_changed);

    helper.setChangedBlocked(true);
    helper.setChangedBlocked(true);
    helper.setChangedBlocked(false);
    helper.setChanged(0);
    QCOMPARE(spy.count(), 0); // still one level deep

    helper.setChangedBlocked(false);
    helper.setChanged(0);
    QCOMPARE(spy.count(), 1);

    // Extra releases do not drive the count below zero: one block suppresses again.
    helper.setChangedBlocked(false);
    helper.setChangedBlocked(false);
    helper.setChanged(0);
    QCOMPARE(spy.count(), 2);
    helper.setChangedBlocked(true);
    helper.setChanged(0);
    QCOMPARE(spy.count(), 2);
    helper.setChangedBlocked(false);
    helper.setChanged(0);
    QCOMPARE(spy.count(), 3);
}

void tst_Settings_Change_Helper::timeoutWhileBlockedEmitsNothing()
{
    Settings_Change_Helper helper(false, 500, nullptr);
    QSignalSpy spy(&helper, &Settings_Change_Helper::signal_changed);

    helper.setChangedBlocked(true);
    helper.slot_QTimer_sendSignalChanged_timeout();
    QCOMPARE(spy.count(), 0);
    helper.setChangedBlocked(false);
    helper.slot_QTimer_sendSignalChanged_timeout();
    QCOMPARE(spy.count(), 1);
}

void tst_Settings_Change_Helper::timerIsOwnedChild()
{
    QObject parent;
    auto* helper = new Settings_Change_Helper(false, 10, &parent);
    QCOMPARE(helper->parent(), &parent);
    QCOMPARE(helper->findChildren<QTimer*>().size(), 1);
    QSignalSpy spy(helper, &Settings_Change_Helper::signal_changed);
    helper->setChanged(0);
    // Deleting the record with a notification pending neither crashes nor emits.
    delete helper;
    QCOMPARE(spy.count(), 0);
}

QTEST_GUILESS_MAIN(tst_Settings_Change_Helper)
#include "tst_Settings_Change_Helper.moc"
