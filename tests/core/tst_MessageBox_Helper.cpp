#include "MessageBox_Helper.h"

#include <QTest>

// The seam for boxes and file dialogs: scripted in tests, never a window without a widget
// application.
class tst_MessageBox_Helper : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void saveFileNameFromScript();
    void withoutWindowsNoFileIsChosen();
    void aboutBoxGoesThroughTheScript();
    void ownButtonTextsReachTheScript();
    void defaultAnswer_data();
    void defaultAnswer();
};

void tst_MessageBox_Helper::cleanup()
{
    MessageBox_Helper::setAnswerFunction({});
    MessageBox_Helper::setFileAnswerFunction({});
}

void tst_MessageBox_Helper::saveFileNameFromScript()
{
    QList<MessageBox_Helper::FileRequest> requests;
    MessageBox_Helper::setFileAnswerFunction([&requests](const MessageBox_Helper::FileRequest& request) {
        requests.append(request);
        return QStringLiteral("/tmp/chosen.png");
    });
    QCOMPARE(MessageBox_Helper::getSaveFileName(nullptr, "Save the picture to ...", "/tmp", "*.png"),
             QStringLiteral("/tmp/chosen.png"));
    QCOMPARE(requests.count(), 1);
    QCOMPARE(requests.first().caption, QStringLiteral("Save the picture to ..."));
    QCOMPARE(requests.first().directory, QStringLiteral("/tmp"));
    QCOMPARE(requests.first().filter, QStringLiteral("*.png"));
    QVERIFY(requests.first().forSaving);
    // The open dialog goes through the same script and says so.
    QCOMPARE(MessageBox_Helper::getOpenFileName(nullptr, "Load ...", "settings", "*.xml"),
             QStringLiteral("/tmp/chosen.png"));
    QCOMPARE(requests.count(), 2);
    QCOMPARE(requests.last().caption, QStringLiteral("Load ..."));
    QVERIFY(!requests.last().forSaving);
}

void tst_MessageBox_Helper::withoutWindowsNoFileIsChosen()
{
    // A guiless process (and an automation server) never opens a dialog: the user "cancels".
    QVERIFY(MessageBox_Helper::getSaveFileName(nullptr, "Save", QString(), "*.png").isEmpty());
    QVERIFY(MessageBox_Helper::getOpenFileName(nullptr, "Load", QString(), "*.png").isEmpty());
    QCOMPARE(MessageBox_Helper::question(nullptr, "Q", "?", QMessageBox::Yes | QMessageBox::No, QMessageBox::No),
             QMessageBox::No);
}

void tst_MessageBox_Helper::aboutBoxGoesThroughTheScript()
{
    QList<MessageBox_Helper::Request> requests;
    MessageBox_Helper::setAnswerFunction([&requests](const MessageBox_Helper::Request& request) {
        requests.append(request);
        return QMessageBox::Ok;
    });
    MessageBox_Helper::about(nullptr, "About", "<p>text</p>");
    QCOMPARE(requests.count(), 1);
    QCOMPARE(requests.first().title, QStringLiteral("About"));
    QCOMPARE(requests.first().icon, QMessageBox::NoIcon);
    QCOMPARE(requests.first().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

void tst_MessageBox_Helper::ownButtonTextsReachTheScript()
{
    MessageBox_Helper::Request request;
    request.icon = QMessageBox::Question;
    request.title = QStringLiteral("Export");
    request.text = QStringLiteral("The archive exists.");
    request.informativeText = QStringLiteral("Append to or overwrite archive?");
    request.buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    request.defaultButton = QMessageBox::Cancel;
    request.buttonTexts.insert(QMessageBox::Yes, QStringLiteral("Append"));
    request.buttonTexts.insert(QMessageBox::No, QStringLiteral("Overwrite"));

    // Nobody to ask: the default button, whatever the buttons are called.
    QCOMPARE(MessageBox_Helper::ask(request), QMessageBox::Cancel);

    QList<MessageBox_Helper::Request> requests;
    MessageBox_Helper::setAnswerFunction([&requests](const MessageBox_Helper::Request& seen) {
        requests.append(seen);
        // A script answers by the wording the user would see.
        return seen.buttonTexts.key(QStringLiteral("Overwrite"), QMessageBox::NoButton);
    });
    QCOMPARE(MessageBox_Helper::ask(request), QMessageBox::No);
    QCOMPARE(requests.count(), 1);
    QCOMPARE(requests.first().icon, QMessageBox::Question);
    QCOMPARE(requests.first().informativeText, QStringLiteral("Append to or overwrite archive?"));
    QCOMPARE(requests.first().buttonTexts.value(QMessageBox::Yes), QStringLiteral("Append"));
    QVERIFY(!requests.first().buttonTexts.contains(QMessageBox::Cancel));

    // The plain operations carry no own words.
    MessageBox_Helper::question(nullptr, "Q", "?", QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(requests.count(), 2);
    QVERIFY(requests.last().buttonTexts.isEmpty());
    QVERIFY(requests.last().informativeText.isEmpty());
}

void tst_MessageBox_Helper::defaultAnswer_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<int>("answer");
    QTest::newRow("default button") << int(QMessageBox::Yes | QMessageBox::No) << int(QMessageBox::No) << int(QMessageBox::No);
    QTest::newRow("first button") << int(QMessageBox::Yes | QMessageBox::No) << int(QMessageBox::NoButton)
                                  << int(QMessageBox::Yes);
    QTest::newRow("no buttons") << 0 << int(QMessageBox::NoButton) << int(QMessageBox::NoButton);
}

void tst_MessageBox_Helper::defaultAnswer()
{
    QFETCH(int, buttons);
    QFETCH(int, defaultButton);
    QFETCH(int, answer);
    MessageBox_Helper::Request request;
    request.buttons = QMessageBox::StandardButtons(buttons);
    request.defaultButton = QMessageBox::StandardButton(defaultButton);
    QCOMPARE(int(MessageBox_Helper::defaultAnswer(request)), answer);
}

QTEST_GUILESS_MAIN(tst_MessageBox_Helper)
#include "tst_MessageBox_Helper.moc"
