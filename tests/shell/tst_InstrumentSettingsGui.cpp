#include "InstrumentSettings.h"
#include "InstrumentSettingsGui.h"

#include "MessageBox_Helper.h"

#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QTreeWidget>
#include <QtTest>

namespace {

QTreeWidget* table(InstrumentSettingsGui& dialog)
{
    return dialog.findChild<QTreeWidget*>(QStringLiteral("m_offsetsTabel"));
}

void click(InstrumentSettingsGui& dialog, const char* name)
{
    dialog.findChild<QPushButton*>(QLatin1String(name))->click();
}

} // namespace

class tst_InstrumentSettingsGui : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void showsEveryChannel();
    void onlyTheOffsetsAreEditable();
    void okTakesTheValues();
    void badCellKeepsTheDialogAndTheRecord_data();
    void badCellKeepsTheDialogAndTheRecord();
    void cancelKeepsTheRecord();

private:
    QList<MessageBox_Helper::Request> m_boxes;
};

void tst_InstrumentSettingsGui::initTestCase()
{
    MessageBox_Helper::setAnswerFunction([this](const MessageBox_Helper::Request& request) {
        m_boxes.append(request);
        return QMessageBox::Ok;
    });
}

void tst_InstrumentSettingsGui::init()
{
    m_boxes.clear();
}

void tst_InstrumentSettingsGui::cleanupTestCase()
{
    MessageBox_Helper::setAnswerFunction({});
}

void tst_InstrumentSettingsGui::showsEveryChannel()
{
    InstrumentSettings settings;
    settings.channelOffsetX_mm[0] = 1.5;
    settings.channelOffsetY_mm[15] = -0.123456789;
    InstrumentSettingsGui dialog(&settings);
    QCOMPARE(dialog.objectName(), QStringLiteral("InstrumentSettingsGui"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Channel Offset Settings"));
    QTreeWidget* view = table(dialog);
    QCOMPARE(view->topLevelItemCount(), 16);
    // The offsets are millimetres, as the header says.
    QCOMPARE(view->headerItem()->text(1), QStringLiteral("X Offset [mm]"));
    QCOMPARE(view->headerItem()->text(2), QStringLiteral("Y Offset [mm]"));
    QCOMPARE(view->topLevelItem(0)->text(0), QStringLiteral("1"));
    QCOMPARE(view->topLevelItem(0)->text(1), QStringLiteral("1.5"));
    QCOMPARE(view->topLevelItem(15)->text(0), QStringLiteral("16"));
    QCOMPARE(view->topLevelItem(15)->text(2), QStringLiteral("-0.123457"));
}

void tst_InstrumentSettingsGui::onlyTheOffsetsAreEditable()
{
    InstrumentSettings settings;
    InstrumentSettingsGui dialog(&settings);
    QTreeWidget* view = table(dialog);
    QStyleOptionViewItem option;
    const QModelIndex channel = view->model()->index(4, 0);
    const QModelIndex offset = view->model()->index(4, 2);
    QVERIFY(view->model()->flags(offset) & Qt::ItemIsEditable);
    QVERIFY(!view->itemDelegateForIndex(channel)->createEditor(view->viewport(), option, channel));
    QWidget* editor = view->itemDelegateForIndex(offset)->createEditor(view->viewport(), option, offset);
    QVERIFY(editor);
    delete editor;
}

void tst_InstrumentSettingsGui::okTakesTheValues()
{
    InstrumentSettings settings;
    InstrumentSettingsGui dialog(&settings);
    table(dialog)->topLevelItem(2)->setText(1, QStringLiteral(" 2.25 "));
    table(dialog)->topLevelItem(2)->setText(2, QStringLiteral("-1e-3"));
    click(dialog, "m_okButton");
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(m_boxes.isEmpty());
    QCOMPARE(settings.channelOffsetX_mm[2], 2.25);
    QCOMPARE(settings.channelOffsetY_mm[2], -0.001);
    QCOMPARE(settings.channelOffsetX_mm[3], 0.0);
}

void tst_InstrumentSettingsGui::badCellKeepsTheDialogAndTheRecord_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::newRow("letters in row 5, Y") << 4 << 2 << QStringLiteral("abc");
    QTest::newRow("empty") << 0 << 1 << QString();
    QTest::newRow("infinite") << 15 << 1 << QStringLiteral("inf");
    QTest::newRow("not a number") << 7 << 2 << QStringLiteral("nan");
    QTest::newRow("decimal comma") << 1 << 1 << QStringLiteral("1,5");
}

void tst_InstrumentSettingsGui::badCellKeepsTheDialogAndTheRecord()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, text);
    InstrumentSettings settings;
    settings.channelOffsetX_mm[0] = 7.0;
    InstrumentSettingsGui dialog(&settings);
    table(dialog)->topLevelItem(0)->setText(1, QStringLiteral("3"));
    table(dialog)->topLevelItem(row)->setText(column, text);
    dialog.show();
    click(dialog, "m_okButton");
    QVERIFY(dialog.isVisible());
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes.first().icon, QMessageBox::Critical);
    QCOMPARE(m_boxes.first().title, QStringLiteral("Instrument Settings Error"));
    QCOMPARE(m_boxes.first().text, QStringLiteral("Failed to convert string to number \"%1\"!").arg(text));
    QCOMPARE(settings.channelOffsetX_mm[0], 7.0);
}

void tst_InstrumentSettingsGui::cancelKeepsTheRecord()
{
    InstrumentSettings settings;
    InstrumentSettingsGui dialog(&settings);
    table(dialog)->topLevelItem(0)->setText(1, QStringLiteral("3"));
    dialog.show();
    click(dialog, "m_cancelButton");
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(settings.channelOffsetX_mm[0], 0.0);
}

QTEST_MAIN(tst_InstrumentSettingsGui)
#include "tst_InstrumentSettingsGui.moc"
