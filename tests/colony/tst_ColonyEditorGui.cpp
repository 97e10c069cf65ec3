#include "ColonyEditorFixture.h"
#include "ColonyEditorGui.h"
#include "ColonySettings.h"
#include "Hobject_View_Gui.h"
#include "MessageBox_Helper.h"

#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using namespace ColonyEditorFixture;

namespace {

QTreeWidget* table(ColonyEditorGui& dialog)
{
    return dialog.findChild<QTreeWidget*>(QStringLiteral("m_ColoniesTable"));
}

QPushButton* button(ColonyEditorGui& dialog, const char* name)
{
    return dialog.findChild<QPushButton*>(QLatin1String(name));
}

Hobject_View_Gui* view(ColonyEditorGui& dialog)
{
    return dialog.findChild<Hobject_View_Gui*>();
}

// Column 3 texts of a container's rows, top to bottom.
QStringList shownPickOrders(QTreeWidgetItem* containerRow)
{
    QStringList result;
    for (int i = 0; i < containerRow->childCount(); ++i)
        result.append(containerRow->child(i)->text(3));
    return result;
}

QStringList shownX(QTreeWidgetItem* containerRow)
{
    QStringList result;
    for (int i = 0; i < containerRow->childCount(); ++i)
        result.append(containerRow->child(i)->text(5));
    return result;
}

} // namespace

class tst_ColonyEditorGui : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void construction_fillsTableAndView();
    void columnVisibility_data();
    void columnVisibility();
    void addAndRemove_throughTheView();
    void moveUp_throughTheTable();
    void close_withoutEdit_rejectsWithoutAsking();
    void close_afterEdit_data();
    void close_afterEdit();

private:
    QTemporaryDir m_dir;
    ColonySettings* m_settings = nullptr;
    QList<MessageBox_Helper::Request> m_questions;
    QMessageBox::StandardButton m_answer = QMessageBox::Cancel;
};

void tst_ColonyEditorGui::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
    MessageBox_Helper::setAnswerFunction([this](const MessageBox_Helper::Request& request) {
        m_questions.append(request);
        return m_answer;
    });
}

void tst_ColonyEditorGui::init()
{
    m_questions.clear();
    m_settings = new ColonySettings(this);
    m_settings->Labware.SectionsX = 2;
    m_settings->Labware.SectionsY = 1;
}

void tst_ColonyEditorGui::cleanup()
{
    delete m_settings;
    m_settings = nullptr;
}

void tst_ColonyEditorGui::construction_fillsTableAndView()
{
    ColonyEditorGui dialog(m_settings, rack(), nullptr, true);
    QCOMPARE(dialog.objectName(), QStringLiteral("ColonyEditorGui"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Edit Colonies"));
    QTreeWidget* tree = table(dialog);
    QVERIFY(tree);
    QCOMPARE(tree->columnCount(), ColonyEditorGui::ColumnCount);
    QCOMPARE(tree->headerItem()->text(10), QStringLiteral("Circulairty"));
    QVERIFY(!tree->isSortingEnabled());
    QCOMPARE(tree->topLevelItemCount(), 2);
    QTreeWidgetItem* second = tree->topLevelItem(1);
    QCOMPARE(second->text(0), QStringLiteral("2"));
    QCOMPARE(second->text(2), QStringLiteral("A2"));
    // Handed in as 2, 1: listed in pick order, row data = list position.
    QCOMPARE(shownPickOrders(second), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    QCOMPARE(shownX(second), (QStringList{QStringLiteral("320.0"), QStringLiteral("280.0")}));
    QCOMPARE(second->child(1)->data(0, Qt::UserRole).toInt(), 1);
    QCOMPARE(second->child(0)->text(0), QStringLiteral("2"));
    QCOMPARE(second->child(0)->text(4), QStringLiteral("51.0"));
    QCOMPARE(second->child(0)->textAlignment(5), int(Qt::AlignRight));

    Hobject_View_Gui* picture = view(dialog);
    QVERIFY(picture);
    Halcon::Hobject object;
    bool visible = false;
    bool selected = false;
    QVERIFY(picture->getObject(pageName(1, 0), object, visible, selected));
    QVERIFY(picture->getObject(QStringLiteral("HalconObject_Colonies_SearchArea."), object, visible, selected));
    QVERIFY(!dialog.isChanged());
    QCOMPARE(dialog.mouseMode(), 0);
}

void tst_ColonyEditorGui::columnVisibility_data()
{
    QTest::addColumn<int>("colorModel");
    QTest::addColumn<QList<int>>("hidden");
    QTest::newRow("none") << 0 << QList<int>{1, 7, 8, 13, 14, 15, 20, 21, 22, 23, 24, 25, 26};
    QTest::newRow("rgb") << 1 << QList<int>{1, 7, 8, 20, 21, 22, 23, 24, 25, 26};
    QTest::newRow("hsi") << 2 << QList<int>{1, 4, 7, 8, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22};
    QTest::newRow("unknown shows all") << 9 << QList<int>{};
}

void tst_ColonyEditorGui::columnVisibility()
{
    QFETCH(int, colorModel);
    QFETCH(QList<int>, hidden);
    m_settings->ColorModel = colorModel;
    ColonyEditorGui dialog(m_settings, rack(), nullptr, true);
    QList<int> actual;
    for (int i = 0; i < table(dialog)->columnCount(); ++i) {
        if (table(dialog)->isColumnHidden(i))
            actual.append(i);
    }
    QCOMPARE(actual, hidden);
}

void tst_ColonyEditorGui::addAndRemove_throughTheView()
{
    ColonyEditorGui dialog(m_settings, rack(), nullptr, true);
    Hobject_View_Gui* picture = view(dialog);
    QTreeWidgetItem* first = table(dialog)->topLevelItem(0);

    button(dialog, "m_QPushButton_AddColony")->click();
    QCOMPARE(dialog.mouseMode(), 1);
    // Outside every container: nothing.
    emit picture->signal_HalconMousePressEvent(200.0, 100.0);
    QVERIFY(!dialog.isChanged());
    emit picture->signal_HalconMousePressEvent(90.0, 130.0);
    QVERIFY(dialog.isChanged());
    QCOMPARE(first->childCount(), 4);
    QCOMPARE(shownPickOrders(first), (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                                  QStringLiteral("4")}));
    QCOMPARE(first->child(0)->text(5), QStringLiteral("90.0"));
    const QString addedName = QStringLiteral("HalconObject_Colonies.Included.1.3.");
    Halcon::Hobject object;
    bool visible = false;
    bool selected = false;
    QVERIFY(picture->getObject(addedName, object, visible, selected));

    // Remove mode unchecks add mode; a click in the container off the colonies does nothing.
    button(dialog, "m_QPushButton_RemoveColony")->click();
    QCOMPARE(dialog.mouseMode(), 2);
    QVERIFY(!button(dialog, "m_QPushButton_AddColony")->isChecked());
    emit picture->signal_HalconMousePressEvent(100.0, 145.0);
    QCOMPARE(first->childCount(), 4);
    // The added colony goes without a trace; then a colony from the page.
    emit picture->signal_HalconMousePressEvent(90.0, 130.0);
    QCOMPARE(first->childCount(), 3);
    QVERIFY(!picture->getObject(addedName, object, visible, selected));
    emit picture->signal_HalconMousePressEvent(100.0, Row);
    QCOMPARE(first->childCount(), 2);
    QCOMPARE(shownX(first), (QStringList{QStringLiteral("80.0"), QStringLiteral("120.0")}));
    QCOMPARE(shownPickOrders(first), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));

    const ColonyEditorGui::EditContainer& edited = dialog.editRack().containers.at(0);
    QCOMPARE(edited.removedPageIndexes, (QList<int>{1}));
    QCOMPARE(edited.nextColonyNumber, 4);
    QCOMPARE(pageIndexes(edited), (QList<int>{0, 2}));

    button(dialog, "m_QPushButton_RemoveColony")->click();
    QCOMPARE(dialog.mouseMode(), 0);
    button(dialog, "m_QPushButton_Ok")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void tst_ColonyEditorGui::moveUp_throughTheTable()
{
    ColonyEditorGui dialog(m_settings, rack(), nullptr, true);
    QTreeWidget* tree = table(dialog);
    QTreeWidgetItem* first = tree->topLevelItem(0);
    first->child(2)->setSelected(true);
    QVERIFY(button(dialog, "m_QPushButton_MoveUp")->isEnabled());
    // The table selection reaches the view.
    QVERIFY(view(dialog)->isObjectSelected(pageName(1, 2)));
    button(dialog, "m_QPushButton_MoveUp")->click();
    QVERIFY(dialog.isChanged());
    QCOMPARE(shownX(first), (QStringList{QStringLiteral("80.0"), QStringLiteral("120.0"), QStringLiteral("100.0")}));
    QCOMPARE(pageIndexes(dialog.editRack().containers.at(0)), (QList<int>{0, 2, 1}));
    QCOMPARE(pickOrders(dialog.editRack().containers.at(0)), (QList<int>{1, 2, 3}));

    // Top with colonies of both containers and a container row selected.
    tree->clearSelection();
    first->child(2)->setSelected(true);
    tree->topLevelItem(1)->child(1)->setSelected(true);
    tree->topLevelItem(1)->setSelected(true);
    button(dialog, "m_QPushButton_MoveTop")->click();
    QCOMPARE(pageIndexes(dialog.editRack().containers.at(0)), (QList<int>{1, 0, 2}));
    QCOMPARE(pageIndexes(dialog.editRack().containers.at(1)), (QList<int>{0, 1}));
    QCOMPARE(tree->topLevelItem(1)->child(0)->text(5), QStringLiteral("280.0"));
}

void tst_ColonyEditorGui::close_withoutEdit_rejectsWithoutAsking()
{
    ColonyEditorGui dialog(m_settings, rack(), nullptr, true);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(dialog.close());
    QVERIFY(m_questions.isEmpty());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

void tst_ColonyEditorGui::close_afterEdit_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("open");
    QTest::addColumn<int>("result");
    QTest::newRow("yes accepts") << int(QMessageBox::Yes) << false << int(QDialog::Accepted);
    QTest::newRow("no rejects") << int(QMessageBox::No) << false << int(QDialog::Rejected);
    QTest::newRow("cancel stays") << int(QMessageBox::Cancel) << true << -1;
    QTest::newRow("box closed stays") << int(QMessageBox::NoButton) << true << -1;
}

void tst_ColonyEditorGui::close_afterEdit()
{
    QFETCH(int, answer);
    QFETCH(bool, open);
    QFETCH(int, result);
    m_answer = QMessageBox::StandardButton(answer);
    ColonyEditorGui dialog(m_settings, rack(), nullptr, true);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    table(dialog)->topLevelItem(0)->child(1)->setSelected(true);
    button(dialog, "m_QPushButton_MoveDown")->click();
    QVERIFY(dialog.isChanged());

    dialog.close();
    QCOMPARE(m_questions.size(), 1);
    QCOMPARE(m_questions.first().title, QStringLiteral("Edit Colonies"));
    QCOMPARE(m_questions.first().text, QStringLiteral("Save changes?"));
    QCOMPARE(dialog.isVisible(), open);
    if (!open)
        QCOMPARE(dialog.result(), result);
    // The edit is still there either way.
    QCOMPARE(pageIndexes(dialog.editRack().containers.at(0)), (QList<int>{0, 2, 1}));
}

QTEST_MAIN(tst_ColonyEditorGui)
#include "tst_ColonyEditorGui.moc"
