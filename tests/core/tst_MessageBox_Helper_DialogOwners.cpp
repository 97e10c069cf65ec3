#include "MessageBox_Helper.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QtTest>

// Dialogs shown for someone who may leave before answering: the owner is the innermost scope,
// its departure cancels its open dialogs and answers a later one at once, and the dialogs of
// others stay.
class tst_MessageBox_Helper_DialogOwners : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void ownerGoneBeforeTheDialogOpens();
    void innermostScopeOwnsTheDialog_data();
    void innermostScopeOwnsTheDialog();
};

void tst_MessageBox_Helper_DialogOwners::cleanup()
{
    MessageBox_Helper::setDialogFunction({});
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

QTEST_MAIN(tst_MessageBox_Helper_DialogOwners)
#include "tst_MessageBox_Helper_DialogOwners.moc"
