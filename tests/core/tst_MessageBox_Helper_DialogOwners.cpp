#include "Automation_Call.h"
#include "MessageBox_Helper.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QtTest>

// Dialogs shown for someone who may leave before answering: the owner is the innermost scope,
// its departure cancels its open dialogs and answers a later one at once, and the dialogs of
// others stay. A dialog opened for an automation call is shown without a loop of its own and
// goes on with the call when it ends.
class tst_MessageBox_Helper_DialogOwners : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void ownerGoneBeforeTheDialogOpens();
    void innermostScopeOwnsTheDialog_data();
    void innermostScopeOwnsTheDialog();
    void openedDialogGoesOnWithItsCall_data();
    void openedDialogGoesOnWithItsCall();
    void callOfAGoneOwnerOpensNoDialog();
};

void tst_MessageBox_Helper_DialogOwners::cleanup()
{
    MessageBox_Helper::setDialogFunction({});
    Automation_Call::endAll();
}

void tst_MessageBox_Helper_DialogOwners::ownerGoneBeforeTheDialogOpens()
{
    const int owner = 0;
    int shown = 0;
    MessageBox_Helper::setDialogFunction([&shown](QDialog*) {
        ++shown;
        return int(QDialog::Accepted);
    });
    QDialog dialog;
    {
        const MessageBox_Helper::DialogOwnerScope scope(&owner);
        MessageBox_Helper::rejectDialogsOf(&owner);
        QCOMPARE(MessageBox_Helper::exec(&dialog), int(QDialog::Rejected));
        QCOMPARE(shown, 0);
    }
    // Once its scope has ended, the address may belong to a new owner.
    const MessageBox_Helper::DialogOwnerScope scope(&owner);
    QCOMPARE(MessageBox_Helper::exec(&dialog), int(QDialog::Accepted));
    QCOMPARE(shown, 1);
}

void tst_MessageBox_Helper_DialogOwners::innermostScopeOwnsTheDialog_data()
{
    QTest::addColumn<bool>("innerLeaves");
    QTest::addColumn<bool>("cancelled");
    QTest::newRow("the inner owner leaves") << true << true;
    QTest::newRow("the outer owner leaves") << false << false;
}

void tst_MessageBox_Helper_DialogOwners::innermostScopeOwnsTheDialog()
{
    QFETCH(bool, innerLeaves);
    QFETCH(bool, cancelled);
    const int outer = 0;
    const int inner = 0;
    const MessageBox_Helper::DialogOwnerScope outerScope(&outer);
    const MessageBox_Helper::DialogOwnerScope innerScope(&inner);
    QDialog dialog;
    bool stillShown = false;
    QTimer::singleShot(0, this, [&] {
        MessageBox_Helper::rejectDialogsOf(innerLeaves ? static_cast<const void*>(&inner) : &outer);
        stillShown = dialog.isVisible();
        // The owner still there answers.
        if (stillShown)
            dialog.done(QDialog::Accepted);
    });
    const int result = MessageBox_Helper::exec(&dialog);
    QCOMPARE(result, cancelled ? int(QDialog::Rejected) : int(QDialog::Accepted));
    QCOMPARE(stillShown, !cancelled);
}

void tst_MessageBox_Helper_DialogOwners::openedDialogGoesOnWithItsCall_data()
{
    QTest::addColumn<QString>("ending");
    QTest::addColumn<int>("result");
    QTest::newRow("accepted") << QStringLiteral("accept") << int(QDialog::Accepted);
    QTest::newRow("owner left") << QStringLiteral("owner") << int(QDialog::Rejected);
}

void tst_MessageBox_Helper_DialogOwners::openedDialogGoesOnWithItsCall()
{
    QFETCH(QString, ending);
    QFETCH(int, result);
    const int owner = 0;
    const std::shared_ptr<Automation_Call> call = Automation_Call::create(&owner);
    int finished = -1;
    call->setFinished([&finished](int code) { finished = code; });
    auto* dialog = new QDialog;
    const QPointer<QDialog> shown(dialog);
    int handed = -1;
    const int answer = MessageBox_Helper::open(call.get(), dialog, [&handed](int dialogResult) {
        handed = dialogResult;
        return 40 + dialogResult;
    });
    QCOMPARE(answer, Automation_Call::Pending);
    // Shown and returned: no loop of its own turns for it.
    QVERIFY(shown && shown->isVisible());
    QCOMPARE(handed, -1);
    if (ending == QLatin1String("accept"))
        shown->accept();
    else
        MessageBox_Helper::rejectDialogsOf(&owner);
    QTRY_COMPARE(finished, 40 + result);
    QCOMPARE(handed, result);
    // Taken by open: deleted once the call went on.
    QTRY_VERIFY(shown.isNull());
}

void tst_MessageBox_Helper_DialogOwners::callOfAGoneOwnerOpensNoDialog()
{
    const int owner = 0;
    const std::shared_ptr<Automation_Call> call = Automation_Call::create(&owner);
    // The owner goes while its call waits for something else.
    call->waitUntil([] { return false; }, 60000, 1000, [](int code) { return code; });
    MessageBox_Helper::rejectDialogsOf(&owner);
    auto* dialog = new QDialog;
    const QPointer<QDialog> shown(dialog);
    const int answer
        = MessageBox_Helper::open(call.get(), dialog, [](int dialogResult) { return dialogResult + 10; });
    QCOMPARE(answer, int(QDialog::Rejected) + 10);
    QVERIFY(shown.isNull());
}

QTEST_MAIN(tst_MessageBox_Helper_DialogOwners)
#include "tst_MessageBox_Helper_DialogOwners.moc"
