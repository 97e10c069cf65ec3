#include "ColonyEditApply.h"
#include "ColonyEditorFixture.h"
#include "ColonyEditorModel.h"

#include <QtTest>

using namespace ColonyEditorFixture;

namespace {

// The page's colony lists of the fixture rack, indexed by page index.
QList<QList<ImageColony>> pageColonies()
{
    QList<QList<ImageColony>> result;
    for (const ColonyEditorModel::EditContainer& container : rack().containers) {
        QList<ImageColony> list(container.colonies.size());
        for (const ColonyEditorModel::EditColony& colony : container.colonies) {
            ImageColony& entry = list[colony.pageIndex];
            entry.Label = colony.objectName;
            entry.PickingOrder = colony.colonyRow.PickingOrder;
            entry.ColonyIndex = colony.pageIndex;
            entry.IsGoodColony = true;
        }
        result.append(list);
    }
    return result;
}

QList<qint32> pageCounts()
{
    return {3, 2};
}

QStringList labels(const QList<ImageColony>& list)
{
    QStringList result;
    for (const ImageColony& colony : list)
        result.append(colony.Label);
    return result;
}

QList<bool> edited(const QList<ImageColony>& list)
{
    QList<bool> result;
    for (const ImageColony& colony : list)
        result.append(colony.IsUserEdited);
    return result;
}

} // namespace

class tst_ColonyEditApply : public QObject {
    Q_OBJECT
private slots:
    void okWithoutEdit_marksNothing();
    void move_marksOnlyMovedColonies();
    void add_appendsAndCountsUp();
    void remove_fromTheLast();
    void mismatch_changesNothing_data();
    void mismatch_changesNothing();
};

void tst_ColonyEditApply::okWithoutEdit_marksNothing()
{
    const ColonyEditorModel::EditRack before = rack();
    const ColonyEditorModel model(before);
    QList<ColonyEditApply::ContainerChange> changes;
    QCOMPARE(int(ColonyEditApply::changes(before, model.rack(), changes)), 0);
    QCOMPARE(changes.size(), 2);
    for (const ColonyEditApply::ContainerChange& change : changes) {
        QVERIFY(change.pickOrders.isEmpty());
        QVERIFY(change.added.isEmpty());
        QVERIFY(change.removedPageIndexes.isEmpty());
    }
    QList<QList<ImageColony>> colonies = pageColonies();
    QList<qint32> counts = pageCounts();
    QCOMPARE(int(ColonyEditApply::apply(changes, colonies, counts)), 0);
    QCOMPARE(edited(colonies.at(0)), (QList<bool>{false, false, false}));
    QCOMPARE(edited(colonies.at(1)), (QList<bool>{false, false}));
    QCOMPARE(counts, pageCounts());
}

void tst_ColonyEditApply::move_marksOnlyMovedColonies()
{
    const ColonyEditorModel::EditRack before = rack();
    ColonyEditorModel model(before);
    // The last colony of the first container goes up one place: colonies 1 and 2 swap.
    QVERIFY(model.moveColony(0, 2, -1));
    // Up at the first place changes nothing but the changed flag.
    QVERIFY(model.moveColony(1, 0, -1));
    QList<ColonyEditApply::ContainerChange> changes;
    QCOMPARE(int(ColonyEditApply::changes(before, model.rack(), changes)), 0);
    QList<QList<ImageColony>> colonies = pageColonies();
    QList<qint32> counts = pageCounts();
    QCOMPARE(int(ColonyEditApply::apply(changes, colonies, counts)), 0);
    QCOMPARE(edited(colonies.at(0)), (QList<bool>{false, true, true}));
    QCOMPARE(colonies.at(0).at(1).PickingOrder, 3);
    QCOMPARE(colonies.at(0).at(2).PickingOrder, 2);
    QCOMPARE(edited(colonies.at(1)), (QList<bool>{false, false}));
}

void tst_ColonyEditApply::add_appendsAndCountsUp()
{
    const ColonyEditorModel::EditRack before = rack();
    ColonyEditorModel model(before);
    int container = -1;
    QVERIFY(model.addColony(320.0, 130.0, container));
    QCOMPARE(container, 1);
    QList<ColonyEditApply::ContainerChange> changes;
    QCOMPARE(int(ColonyEditApply::changes(before, model.rack(), changes)), 0);
    QCOMPARE(changes.at(1).added.size(), 1);
    QList<QList<ImageColony>> colonies = pageColonies();
    QList<qint32> counts = pageCounts();
    QCOMPARE(int(ColonyEditApply::apply(changes, colonies, counts)), 0);
    QCOMPARE(counts, (QList<qint32>{3, 3}));
    QCOMPARE(colonies.at(1).size(), 3);
    const ImageColony& added = colonies.at(1).at(2);
    QCOMPARE(added.Label, QStringLiteral("HalconObject_Colonies.Included.2.2."));
    QCOMPARE(added.ContainerNumber, 2);
    QCOMPARE(added.ColonyIndex, 2);
    QCOMPARE(added.PickingOrder, 1);
    QCOMPARE(added.PosX_px, 320.0);
    QVERIFY(added.IsUserEdited);
    QVERIFY(added.IsGoodColony);
    QVERIFY(!added.Contour.IsEmpty());
    // The colonies of that container moved down one place each, so they count as edited.
    QCOMPARE(colonies.at(1).at(0).PickingOrder, 3);
    QCOMPARE(colonies.at(1).at(1).PickingOrder, 2);
    QCOMPARE(edited(colonies.at(0)), (QList<bool>{false, false, false}));
}

void tst_ColonyEditApply::remove_fromTheLast()
{
    const ColonyEditorModel::EditRack before = rack();
    ColonyEditorModel model(before);
    QVERIFY(model.removeColony(0, 0)); // page index 0
    QVERIFY(model.removeColony(0, 1)); // page index 2
    QList<ColonyEditApply::ContainerChange> changes;
    QCOMPARE(int(ColonyEditApply::changes(before, model.rack(), changes)), 0);
    QCOMPARE(changes.at(0).removedPageIndexes, (QList<int>{0, 2}));
    QList<QList<ImageColony>> colonies = pageColonies();
    QList<qint32> counts = pageCounts();
    QCOMPARE(int(ColonyEditApply::apply(changes, colonies, counts)), 0);
    QCOMPARE(labels(colonies.at(0)), QStringList{pageName(1, 1)});
    QCOMPARE(colonies.at(0).at(0).PickingOrder, 1);
    QVERIFY(colonies.at(0).at(0).IsUserEdited);
    // The colony count keeps growing only by adds: names of removed colonies are not reused.
    QCOMPARE(counts.at(0), 3);
}

void tst_ColonyEditApply::mismatch_changesNothing_data()
{
    QTest::addColumn<int>("pageListSize");
    QTest::addColumn<int>("containers");
    QTest::newRow("page list shorter than the indexes") << 1 << 2;
    QTest::newRow("fewer containers on the page") << 3 << 1;
}

void tst_ColonyEditApply::mismatch_changesNothing()
{
    QFETCH(int, pageListSize);
    QFETCH(int, containers);
    const ColonyEditorModel::EditRack before = rack();
    ColonyEditorModel model(before);
    QVERIFY(model.moveColony(0, 2, -1));
    QVERIFY(model.removeColony(0, 2));
    QList<ColonyEditApply::ContainerChange> changes;
    QCOMPARE(int(ColonyEditApply::changes(before, model.rack(), changes)), 0);

    QList<QList<ImageColony>> colonies = pageColonies();
    colonies[0].resize(pageListSize);
    QList<qint32> counts = pageCounts();
    colonies.resize(containers);
    counts.resize(containers);
    const QList<QList<ImageColony>> original = colonies;
    QCOMPARE(int(ColonyEditApply::apply(changes, colonies, counts)), int(ColonyEditApply::ErrorMismatch));
    QCOMPARE(colonies.size(), original.size());
    for (int i = 0; i < colonies.size(); ++i) {
        QCOMPARE(labels(colonies.at(i)), labels(original.at(i)));
        QCOMPARE(edited(colonies.at(i)), edited(original.at(i)));
    }

    // An edited rack of another rack is refused as well.
    ColonyEditorModel::EditRack other = model.rack();
    other.containers.removeLast();
    QCOMPARE(int(ColonyEditApply::changes(before, other, changes)), int(ColonyEditApply::ErrorMismatch));
    QVERIFY(changes.isEmpty());
    other = model.rack();
    other.containers[1].colonies[0].pageIndex = 9;
    QCOMPARE(int(ColonyEditApply::changes(before, other, changes)), int(ColonyEditApply::ErrorMismatch));
}

QTEST_GUILESS_MAIN(tst_ColonyEditApply)
#include "tst_ColonyEditApply.moc"
