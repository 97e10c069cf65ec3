#include "AppErrors.h"
#include "CommandFailureBox.h"
#include "MessageBox_Helper.h"

#include <QWidget>
#include <QtTest>

#include <memory>

// The box every operator command shows for a failure.
class tst_CommandFailureBox : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void codeText_data();
    void codeText();
    void fixedText();

private:
    AppErrors m_appErrors;
    std::unique_ptr<Errors> m_errors;
    QList<MessageBox_Helper::Request> m_boxes;
};

void tst_CommandFailureBox::initTestCase()
{
    m_errors = std::make_unique<Errors>(&m_appErrors);
    MessageBox_Helper::setAnswerFunction([this](const MessageBox_Helper::Request& request) {
        m_boxes << request;
        return QMessageBox::Ok;
    });
}

void tst_CommandFailureBox::init()
{
    m_boxes.clear();
}

void tst_CommandFailureBox::cleanupTestCase()
{
    MessageBox_Helper::setAnswerFunction({});
}

void tst_CommandFailureBox::codeText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("library code") << 3 << "General application error!";
    QTest::newRow("application code") << 150 << "Cannot load the colony settings!";
    QTest::newRow("nobody's code") << 99 << "Unknow error 99!";
}

void tst_CommandFailureBox::codeText()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QWidget window;
    CommandFailureBox::showCode(&window, QStringLiteral("Camera error"), Errors::Type_Error(code));
    QCOMPARE(m_boxes.size(), 1);
    const MessageBox_Helper::Request& box = m_boxes.constFirst();
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.parent, &window);
    QCOMPARE(box.title, QStringLiteral("Camera error"));
    QCOMPARE(box.text, text);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

void tst_CommandFailureBox::fixedText()
{
    CommandFailureBox::showText(nullptr, QStringLiteral("Settings error"),
                                QStringLiteral("Cannot set the colony settings!"));
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes.constFirst().icon, QMessageBox::Critical);
    QCOMPARE(m_boxes.constFirst().title, QStringLiteral("Settings error"));
    QCOMPARE(m_boxes.constFirst().text, QStringLiteral("Cannot set the colony settings!"));
    QCOMPARE(m_boxes.constFirst().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

QTEST_MAIN(tst_CommandFailureBox)
#include "tst_CommandFailureBox.moc"
