// The page side of a colony edit: the editor gets the good colonies of the rack on screen, an
// accepted edit reaches the page's rows, tables and view, and from there a stored rack; the
// editor opens only on a finished run whose reports are all shown.

#include "ColonyAnalyserGui.h"
#include "ColonyAnalyserGuiFixture.h"
#include "ColonyEditApply.h"
#include "ColonyEditorGui.h"
#include "DatabaseTableZelvorinColony.h"
#include "DatabaseTableZelvorinContainer.h"
#include "Errors.h"
#include "Hobject_View_Gui.h"
#include "NumericSortTreeWidgetItem.h"
#include "ReferencePointSearch.h"

#include <HTuple.h>
#include <PlateSceneSettings.h>
#include <PlateScenes.h>

#include <QPushButton>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QtTest>

#include <cmath>

using namespace ColonyAnalyserGuiFixture;

namespace {

constexpr int kRunTimeoutMs = 300000;

PlateScenes::Scene plate()
{
    PlateScenes::Options options;
    options.labware = PlateScenes::Labware::Wells96;
    options.seed = 3;
    return PlateScenes::generate(options);
}

int goodCount(const ColonyAnalyserGui::ContainerEntry& container)
{
    int count = 0;
    for (const auto& colony : container.colonies)
        count += colony->row.IsGoodColony ? 1 : 0;
    return count;
}

// The first container with at least three good colonies and a rejected one.
int busyContainer(const ColonyAnalyserGui& page)
{
    const auto& containers = page.rack().containers;
    for (size_t c = 0; c < containers.size(); ++c) {
        const int good = goodCount(*containers[c]);
        if (good >= 3 && int(containers[c]->colonies.size()) > good)
            return int(c);
    }
    return -1;
}

QPushButton* button(ColonyEditorGui& dialog, const char* name)
{
    return dialog.findChild<QPushButton*>(QLatin1String(name));
}

// Where a colony at this pixel position lies in plate millimetres, as the page places it.
QPointF millimetres(const ColonyAnalyserGui& page, double x, double y)
{
    const ReferencePointSearch& search = page.worker()->referencePointSearch();
    double row = 0.0;
    double column = 0.0;
    search.transformHeightScale(y, x, &row, &column);
    double yMm = 0.0;
    double xMm = 0.0;
    search.transformPlateCoordinates(row, column, &yMm, &xMm);
    return QPointF(xMm, yMm);
}

// What a test compares of the page's colonies: name, pick order, edited mark, per container.
QStringList colonyState(const ColonyAnalyserGui& page)
{
    QStringList state;
    for (const auto& container : page.rack().containers) {
        for (const auto& colony : container->colonies)
            state.append(QStringLiteral("%1 %2 %3").arg(colony->objectName).arg(colony->row.PickingOrder)
                             .arg(colony->row.IsUserEdited));
    }
    return state;
}

} // namespace

class tst_ColonyAnalyserGuiEdit : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void editorGetsTheGoodColonies();
    void acceptedEditReachesTheStoredRack();
    void okWithoutEditMarksEveryPassedColony();
    void cancelChangesNothing();
    void refusedUnlessTheRunIsShown_data();
    void refusedUnlessTheRunIsShown();
    void entryPointsWaitForTheEditor();
    void foreignRecordChangesNothing_data();
    void foreignRecordChangesNothing();

private:
    PlateScenes::Scene m_scene;
    Errors* m_errors = nullptr;
};

void tst_ColonyAnalyserGuiEdit::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    m_errors = new Errors(nullptr, this);
    m_scene = plate();
}

void tst_ColonyAnalyserGuiEdit::editorGetsTheGoodColonies()
{
    Page p(PlateSceneSettings::settingsFor(m_scene));
    ColonyAnalyserGui& page = *p.page;
    QCOMPARE(analyseAndShow(page, m_scene.image), Errors::Type_Error(0));
    QVERIFY(busyContainer(page) >= 0);

    ColonyEditorGui::EditRack handed;
    int runs = 0;
    page.setEditorRunner([&](ColonyEditorGui& dialog) {
        ++runs;
        handed = dialog.editRack();
        return int(QDialog::Rejected);
    });
    QCOMPARE(page.UserEditColonies(), Errors::Type_Error(0));
    QCOMPARE(runs, 1);

    const auto& containers = page.rack().containers;
    QCOMPARE(handed.containers.size(), qsizetype(containers.size()));
    for (size_t c = 0; c < containers.size(); ++c) {
        const ColonyAnalyserGui::ContainerEntry& container = *containers[c];
        const ColonyEditorGui::EditContainer& edit = handed.containers.at(qsizetype(c));
        QCOMPARE(edit.objectName, container.objectName);
        QCOMPARE(edit.containerIndex, container.containerIndex);
        QCOMPARE(edit.nextColonyNumber, container.colonyCount);
        QCOMPARE(edit.containerRow.ContainerNumber, container.row.ContainerNumber);
        QCOMPARE(edit.colonies.size(), qsizetype(goodCount(container)));
        for (const ColonyEditorGui::EditColony& colony : edit.colonies) {
            QVERIFY(colony.pageIndex >= 0 && size_t(colony.pageIndex) < container.colonies.size());
            const ColonyAnalyserGui::ColonyEntry& entry = *container.colonies[size_t(colony.pageIndex)];
            QVERIFY(entry.row.IsGoodColony);
            QCOMPARE(colony.objectName, entry.objectName);
            QCOMPARE(colony.containerNumber, entry.containerNumber);
            QCOMPARE(colony.colonyRow.PosX_px, entry.row.PosX_px);
        }
    }
    // A cancelled editor leaves the page's rows as they were.
    for (const auto& container : containers)
        for (const auto& colony : container->colonies)
            QVERIFY(!colony->row.IsUserEdited);
}

void tst_ColonyAnalyserGuiEdit::acceptedEditReachesTheStoredRack()
{
    Page p(PlateSceneSettings::settingsFor(m_scene));
    ColonyAnalyserGui& page = *p.page;
    QCOMPARE(analyseAndShow(page, m_scene.image), Errors::Type_Error(0));
    const int target = busyContainer(page);
    QVERIFY(target >= 0);
    ColonyAnalyserGui::ContainerEntry& container = *page.rack().containers[size_t(target)];
    const int coloniesBefore = int(container.colonies.size());
    const int goodRowsBefore = container.goodItem->childCount();
    const int colonyCountBefore = container.colonyCount;

    // The container's centre, where the operator clicks a colony in.
    Halcon::HTuple area, centreRow, centreColumn, order;
    QCOMPARE(Halcon::area_center_xld(container.searchArea, &area, &centreRow, &centreColumn, &order), Halcon::kSuccess);
    const double addX = centreColumn.D();
    const double addY = centreRow.D();

    ColonyEditorGui::EditRack edited;
    QString removedName;
    QPointF removedAt;
    page.setEditorRunner([&](ColonyEditorGui& dialog) {
        const ColonyEditorGui::EditContainer& editContainer = dialog.editRack().containers.at(target);
        QTreeWidgetItem* containerRow = editContainer.rowItem;
        // The last colony in pick order goes to the top.
        containerRow->child(containerRow->childCount() - 1)->setSelected(true);
        button(dialog, "m_QPushButton_MoveTop")->click();
        // The colony now second leaves the result.
        const ColonyEditorGui::EditColony& second = dialog.editRack().containers.at(target).colonies.at(1);
        removedName = second.objectName;
        removedAt = QPointF(second.colonyRow.PosX_px, second.colonyRow.PosY_px);
        Hobject_View_Gui* view = dialog.findChild<Hobject_View_Gui*>();
        button(dialog, "m_QPushButton_RemoveColony")->click();
        emit view->signal_HalconMousePressEvent(removedAt.x(), removedAt.y());
        // A colony is clicked in at the centre.
        button(dialog, "m_QPushButton_AddColony")->click();
        emit view->signal_HalconMousePressEvent(addX, addY);
        button(dialog, "m_QPushButton_Ok")->click();
        edited = dialog.editRack();
        return dialog.result();
    });
    QCOMPARE(page.UserEditColonies(), Errors::Type_Error(0));
    const ColonyEditorGui::EditContainer& edit = edited.containers.at(target);
    QCOMPARE(edit.removedPageIndexes.size(), 1);

    // Page rows: edited pick orders, marked as edited; the removed colony is gone everywhere.
    QCOMPARE(int(container.colonies.size()), coloniesBefore);
    QCOMPARE(container.goodItem->childCount(), goodRowsBefore);
    QCOMPARE(container.colonyCount, colonyCountBefore + 1);
    Halcon::Hobject object;
    bool visible = false;
    bool selected = false;
    QVERIFY(!page.view()->getObject(removedName, object, visible, selected));
    for (const auto& colony : container.colonies)
        QVERIFY(colony->objectName != removedName);
    for (const ColonyEditorGui::EditColony& colony : edit.colonies) {
        if (colony.pageIndex == -1)
            continue;
        const auto found = std::find_if(container.colonies.begin(), container.colonies.end(),
                                        [&](const auto& entry) { return entry->objectName == colony.objectName; });
        QVERIFY(found != container.colonies.end());
        QCOMPARE((*found)->row.PickingOrder, colony.colonyRow.PickingOrder);
        QVERIFY((*found)->row.IsUserEdited);
        QCOMPARE((*found)->item->text(3), QString::number(colony.colonyRow.PickingOrder));
    }

    // The added colony: first in pick order, in the good table and the view, placed in mm.
    const ColonyAnalyserGui::ColonyEntry& added = *container.colonies.back();
    QCOMPARE(added.objectName, QStringLiteral("HalconObject_Colonies.Included.%1.%2.")
                                   .arg(container.row.ContainerNumber)
                                   .arg(colonyCountBefore));
    QCOMPARE(added.row.PickingOrder, 1);
    QVERIFY(added.row.IsGoodColony && added.row.IsUserEdited && !added.row.IsExcluded);
    QCOMPARE(added.item->parent(), static_cast<QTreeWidgetItem*>(container.goodItem));
    const QPointF expectedMm = millimetres(page, addX, addY);
    QCOMPARE(added.row.PosX_mm, expectedMm.x());
    QCOMPARE(added.row.PosY_mm, expectedMm.y());
    QVERIFY(std::fabs(added.row.PosX_mm) > 1.0);
    QCOMPARE(added.item->text(6), QString::asprintf("%.3f", expectedMm.x()));
    QVERIFY(page.view()->getObject(added.objectName, object, visible, selected));
    QVERIFY(page.view()->getObject(added.objectName + QStringLiteral("Center.LightTable"), object, visible, selected));

    // Stored as edited.
    int rackId = -1;
    QCOMPARE(page.SaveResult(false, QStringLiteral("edited"), QString(), -1, rackId), Errors::Type_Error(0));
    QList<Database::ID> containerIds;
    QCOMPARE(p.database->tableContainer()->SelectIdByNumber(rackId, container.row.ContainerNumber, containerIds),
             Errors::Type_Error(0));
    QCOMPARE(containerIds.size(), 1);
    QList<DatabaseTableZelvorinColony::Dataset> stored;
    QCOMPARE(p.database->tableColony()->SelectByContainer(containerIds.first(), stored), Errors::Type_Error(0));
    QCOMPARE(int(stored.size()), coloniesBefore);
    const auto storedAt = [&](double x, double y) -> const DatabaseTableZelvorinColony::Dataset* {
        for (const DatabaseTableZelvorinColony::Dataset& row : stored) {
            if (std::fabs(row.PosX_px - x) < 0.01 && std::fabs(row.PosY_px - y) < 0.01)
                return &row;
        }
        return nullptr;
    };
    QVERIFY(!storedAt(removedAt.x(), removedAt.y()));
    QList<int> storedGoodOrders;
    for (const auto& colony : container.colonies) {
        const DatabaseTableZelvorinColony::Dataset* row = storedAt(colony->row.PosX_px, colony->row.PosY_px);
        QVERIFY(row);
        QCOMPARE(row->PickingOrder, colony->row.PickingOrder);
        QCOMPARE(row->IsUserEdited, colony->row.IsUserEdited);
        if (row->IsGoodColony)
            storedGoodOrders.append(row->PickingOrder);
    }
    std::sort(storedGoodOrders.begin(), storedGoodOrders.end());
    QList<int> oneToN;
    for (int i = 1; i <= int(storedGoodOrders.size()); ++i)
        oneToN.append(i);
    QCOMPARE(storedGoodOrders, oneToN);
    const DatabaseTableZelvorinColony::Dataset* addedRow = storedAt(addX, addY);
    QVERIFY(addedRow);
    QCOMPARE(addedRow->PickingOrder, 1);
    QVERIFY(addedRow->IsUserEdited && addedRow->IsGoodColony);
    QVERIFY(std::fabs(addedRow->PosX_mm - expectedMm.x()) < 1e-3);
    QVERIFY(std::fabs(addedRow->PosY_mm - expectedMm.y()) < 1e-3);
}

void tst_ColonyAnalyserGuiEdit::okWithoutEditMarksEveryPassedColony()
{
    Page p(PlateSceneSettings::settingsFor(m_scene));
    ColonyAnalyserGui& page = *p.page;
    QCOMPARE(analyseAndShow(page, m_scene.image), Errors::Type_Error(0));
    QStringList before = colonyState(page);
    page.setEditorRunner([](ColonyEditorGui& dialog) {
        button(dialog, "m_QPushButton_Ok")->click();
        return dialog.result();
    });
    QCOMPARE(page.UserEditColonies(), Errors::Type_Error(0));
    int good = 0;
    for (const auto& container : page.rack().containers) {
        for (const auto& colony : container->colonies) {
            QCOMPARE(colony->row.IsUserEdited, colony->row.IsGoodColony);
            good += colony->row.IsGoodColony ? 1 : 0;
        }
    }
    QVERIFY(good > 0);
    // Nothing else moved: the same colonies with the same pick orders.
    QStringList after = colonyState(page);
    for (QString& line : before)
        line.chop(2);
    for (QString& line : after)
        line.chop(2);
    QCOMPARE(after, before);
}

void tst_ColonyAnalyserGuiEdit::cancelChangesNothing()
{
    Page p(PlateSceneSettings::settingsFor(m_scene));
    ColonyAnalyserGui& page = *p.page;
    QCOMPARE(analyseAndShow(page, m_scene.image), Errors::Type_Error(0));
    const int target = busyContainer(page);
    QVERIFY(target >= 0);
    const QStringList before = colonyState(page);
    const int objects = page.view()->getObjectCount();
    page.setEditorRunner([&](ColonyEditorGui& dialog) {
        QTreeWidgetItem* containerRow = dialog.editRack().containers.at(target).rowItem;
        containerRow->child(containerRow->childCount() - 1)->setSelected(true);
        button(dialog, "m_QPushButton_MoveTop")->click();
        button(dialog, "m_QPushButton_AddColony")->click();
        const ColonyEditorGui::EditColony& first = dialog.editRack().containers.at(target).colonies.at(0);
        emit dialog.findChild<Hobject_View_Gui*>()->signal_HalconMousePressEvent(first.colonyRow.PosX_px,
                                                                                 first.colonyRow.PosY_px);
        button(dialog, "m_QPushButton_Cancel")->click();
        return dialog.result();
    });
    QCOMPARE(page.UserEditColonies(), Errors::Type_Error(0));
    QCOMPARE(colonyState(page), before);
    QCOMPARE(page.view()->getObjectCount(), objects);
}

void tst_ColonyAnalyserGuiEdit::refusedUnlessTheRunIsShown_data()
{
    QTest::addColumn<QString>("state");
    QTest::newRow("never analysed") << QStringLiteral("none");
    QTest::newRow("failed run") << QStringLiteral("failed");
    QTest::newRow("reports still queued") << QStringLiteral("queued");
}

void tst_ColonyAnalyserGuiEdit::refusedUnlessTheRunIsShown()
{
    QFETCH(QString, state);
    Page p(PlateSceneSettings::settingsFor(m_scene));
    ColonyAnalyserGui& page = *p.page;
    Errors::Type_Error expected = 0;
    if (state == QLatin1String("none")) {
        expected = ColonyAnalyserGui::ErrorNoPicture;
    } else if (state == QLatin1String("failed")) {
        // A picture without reference marks: the run ends with the search's error.
        expected = analyseAndShow(page, picture(400, 300));
        QVERIFY(expected != 0 && expected != -1);
    } else {
        QCOMPARE(page.Analyse(m_scene.image), Errors::Type_Error(0));
        QVERIFY(waitForIdleWorker(page));
        expected = ColonyAnalyserGui::ErrorBusy;
    }
    int runs = 0;
    page.setEditorRunner([&](ColonyEditorGui&) {
        ++runs;
        return int(QDialog::Accepted);
    });
    QCOMPARE(page.UserEditColonies(), expected);
    QCOMPARE(runs, 0);
    if (state == QLatin1String("queued")) {
        QVERIFY(QTest::qWaitFor([&] { return page.pendingUpdates().available() == 0 && !page.isRunningDisplayed(); },
                                kRunTimeoutMs));
        QCOMPARE(page.UserEditColonies(), Errors::Type_Error(0));
        QCOMPARE(runs, 1);
    }
}

void tst_ColonyAnalyserGuiEdit::entryPointsWaitForTheEditor()
{
    Page p(PlateSceneSettings::settingsFor(m_scene));
    ColonyAnalyserGui& page = *p.page;
    QCOMPARE(analyseAndShow(page, m_scene.image), Errors::Type_Error(0));
    const QStringList before = colonyState(page);
    QList<Errors::Type_Error> answers;
    page.setEditorRunner([&](ColonyEditorGui&) {
        // The dialog turns the event loop: nothing may change the rack under it.
        int rackId = 0;
        double x = 0.0;
        double y = 0.0;
        answers << page.Analyse(m_scene.image) << page.Reanalyse() << page.Reset() << page.Stop()
                << page.SetAgarHeight(2.0) << page.SaveResult(false, QString(), QString(), -1, rackId)
                << page.GetLLDPosition(0, x, y) << page.UserEditColonies();
        return int(QDialog::Rejected);
    });
    QCOMPARE(page.UserEditColonies(), Errors::Type_Error(0));
    QCOMPARE(answers.size(), 8);
    for (const Errors::Type_Error answer : std::as_const(answers))
        QCOMPARE(answer, ColonyAnalyserGui::ErrorBusy);
    QCOMPARE(colonyState(page), before);
    QCOMPARE(p.count(QStringLiteral("ZelvorinRack")), 0);
}

void tst_ColonyAnalyserGuiEdit::foreignRecordChangesNothing_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("a container fewer") << QStringLiteral("container");
    QTest::newRow("page index beyond the list") << QStringLiteral("beyond");
    QTest::newRow("page index of a rejected colony") << QStringLiteral("rejected");
    QTest::newRow("removed index beyond the list") << QStringLiteral("removed");
}

void tst_ColonyAnalyserGuiEdit::foreignRecordChangesNothing()
{
    QFETCH(QString, fault);
    Page p(PlateSceneSettings::settingsFor(m_scene));
    ColonyAnalyserGui& page = *p.page;
    QCOMPARE(analyseAndShow(page, m_scene.image), Errors::Type_Error(0));
    const int target = busyContainer(page);
    QVERIFY(target >= 0);
    const ColonyAnalyserGui::ContainerEntry& container = *page.rack().containers[size_t(target)];
    int rejected = -1;
    for (size_t i = 0; i < container.colonies.size() && rejected < 0; ++i) {
        if (!container.colonies[i]->row.IsGoodColony)
            rejected = int(i);
    }

    ColonyEditorGui::EditRack record = ColonyEditApply::editRack(page.rack());
    ColonyEditorGui::EditContainer& edit = record.containers[target];
    // An added colony and a new pick order that must not get through either.
    ColonyEditorGui::EditColony added = edit.colonies.first();
    added.pageIndex = -1;
    edit.colonies.append(added);
    edit.colonies.first().colonyRow.PickingOrder = 99;
    if (fault == QLatin1String("container"))
        record.containers.removeLast();
    else if (fault == QLatin1String("beyond"))
        edit.colonies[1].pageIndex = int(container.colonies.size());
    else if (fault == QLatin1String("rejected"))
        edit.colonies[1].pageIndex = rejected;
    else
        edit.removedPageIndexes.append(int(container.colonies.size()) + 3);

    const QStringList before = colonyState(page);
    const int objects = page.view()->getObjectCount();
    QCOMPARE(ColonyEditApply::apply(page, record), ColonyEditApply::ErrorMismatch);
    QCOMPARE(colonyState(page), before);
    QCOMPARE(page.view()->getObjectCount(), objects);
}

QTEST_MAIN(tst_ColonyAnalyserGuiEdit)
#include "tst_ColonyAnalyserGuiEdit.moc"
