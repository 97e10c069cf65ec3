#include "MessageBox_Helper.h"
#include "MessageBox_Helper_ScrollBox.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextBrowser>
#include <QtTest>

namespace {

// A text far taller than any screen: a list of many lines.
QString longText()
{
    QString text = QStringLiteral("<p><b>System information:</b></p><UL>");
    for (int i = 0; i < 400; ++i)
        text += QStringLiteral("<LI>View name: <i>view %1</i>").arg(i);
    return text + QStringLiteral("</UL>");
}

MessageBox_Helper::Request request(const QString& text, QMessageBox::StandardButtons buttons)
{
    MessageBox_Helper::Request result;
    result.icon = QMessageBox::Information;
    result.title = QStringLiteral("System information");
    result.text = text;
    result.buttons = buttons;
    return result;
}

} // namespace

// A box whose text is too long for the screen scrolls its text and answers like a message box.
class tst_MessageBox_Helper_ScrollBox : public QObject {
    Q_OBJECT
private slots:
    void onlyLongTextsScroll();
    void answers_data();
    void answers();
};

void tst_MessageBox_Helper_ScrollBox::onlyLongTextsScroll()
{
    const std::unique_ptr<QDialog> shortBox =
        MessageBox_Helper::createBox(request(QStringLiteral("No error!"), QMessageBox::Ok));
    QVERIFY(qobject_cast<QMessageBox*>(shortBox.get()));

    const std::unique_ptr<QDialog> longBox = MessageBox_Helper::createBox(request(longText(), QMessageBox::Ok));
    auto* scrolling = qobject_cast<MessageBox_Helper_ScrollBox*>(longBox.get());
    QVERIFY(scrolling);
    longBox->show();
    QVERIFY(QTest::qWaitForWindowExposed(longBox.get()));
    QVERIFY(longBox->screen()->availableGeometry().contains(longBox->frameGeometry()));
    QVERIFY(scrolling->textView()->toPlainText().contains(QStringLiteral("view 399")));
    QVERIFY(scrolling->textView()->verticalScrollBar()->maximum() > 0);
    // It opens where its text begins, with the title line in view.
    QCOMPARE(scrolling->textView()->verticalScrollBar()->value(), 0);
}

void tst_MessageBox_Helper_ScrollBox::answers_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("clicked"); // NoButton: Escape
    QTest::addColumn<int>("answer");
    const int yesNoCancel = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    QTest::newRow("a button is its answer") << yesNoCancel << int(QMessageBox::No) << int(QMessageBox::No);
    QTest::newRow("escape cancels") << yesNoCancel << int(QMessageBox::NoButton) << int(QMessageBox::Cancel);
    QTest::newRow("escape says no") << int(QMessageBox::Yes | QMessageBox::No) << int(QMessageBox::NoButton)
                                    << int(QMessageBox::No);
    QTest::newRow("escape takes the only button") << int(QMessageBox::Ok) << int(QMessageBox::NoButton)
                                                  << int(QMessageBox::Ok);
}

void tst_MessageBox_Helper_ScrollBox::answers()
{
    QFETCH(int, buttons);
    QFETCH(int, clicked);
    QFETCH(int, answer);
    MessageBox_Helper_ScrollBox box(request(longText(), QMessageBox::StandardButtons(buttons)));
    box.open();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    if (clicked == QMessageBox::NoButton) {
        QTest::keyClick(&box, Qt::Key_Escape);
    } else {
        auto* buttonBox = box.findChild<QDialogButtonBox*>();
        buttonBox->button(QDialogButtonBox::StandardButton(clicked))->click();
    }
    QVERIFY(box.isHidden());
    QCOMPARE(box.result(), answer);
}

QTEST_MAIN(tst_MessageBox_Helper_ScrollBox)
#include "tst_MessageBox_Helper_ScrollBox.moc"
