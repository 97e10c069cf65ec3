#include "ColonyEditorFixture.h"
#include "ColonyEditorModel.h"

#include <QtTest>

#include <memory>

using namespace ColonyEditorFixture;
using Position = ColonyEditorModel::Position;

class tst_ColonyEditorModel : public QObject {
    Q_OBJECT
private slots:
    void construction_sortsByPickOrder();
    void moveColony_data();
    void moveColony();
    void moveColony_invalidPositionOnlyMarks();
    void moveColoniesToEnd_data();
    void moveColoniesToEnd();
    void addColony_firstAndNumbered();
    void addColony_outsideChangesNothing();
    void addColony_onExistingColonyAddsAll();
    void removeColony();
    void hitTest_data();
    void hitTest();
    void findColonyByName_exactOnly();
    void records_ownTheirContentsByValue();
};

void tst_ColonyEditorModel::construction_sortsByPickOrder()
{
    const ColonyEditorModel model(rack());
    QCOMPARE(pageIndexes(model.rack().containers.at(0)), (QList<int>{0, 1, 2}));
    QCOMPARE(pageIndexes(model.rack().containers.at(1)), (QList<int>{1, 0}));
    QVERIFY(!model.isChanged());
}

void tst_ColonyEditorModel::moveColony_data()
{
    QTest::addColumn<int>("colony");
    QTest::addColumn<int>("step");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("up from the middle") << 1 << -1 << QList<int>{1, 0, 2};
    QTest::newRow("up from the last") << 2 << -1 << QList<int>{0, 2, 1};
    QTest::newRow("up at the first stays") << 0 << -1 << QList<int>{0, 1, 2};
    QTest::newRow("down from the first") << 0 << 1 << QList<int>{1, 0, 2};
    QTest::newRow("down at the last stays") << 2 << 1 << QList<int>{0, 1, 2};
}

void tst_ColonyEditorModel::moveColony()
{
    QFETCH(int, colony);
    QFETCH(int, step);
    QFETCH(QList<int>, expected);
    ColonyEditorModel model(rack());
    QVERIFY(model.moveColony(0, colony, step));
    QVERIFY(model.isChanged());
    QCOMPARE(pageIndexes(model.rack().containers.at(0)), expected);
    QCOMPARE(pickOrders(model.rack().containers.at(0)), (QList<int>{1, 2, 3}));
    // The other container is not touched.
    QCOMPARE(pickOrders(model.rack().containers.at(1)), (QList<int>{1, 2}));
}

void tst_ColonyEditorModel::moveColony_invalidPositionOnlyMarks()
{
    ColonyEditorModel model(rack());
    QVERIFY(!model.moveColony(0, 3, -1));
    QVERIFY(!model.moveColony(2, 0, 1));
    QVERIFY(!model.moveColony(-1, 0, 1));
    QVERIFY(model.isChanged());
    QCOMPARE(pageIndexes(model.rack().containers.at(0)), (QList<int>{0, 1, 2}));
}

void tst_ColonyEditorModel::moveColoniesToEnd_data()
{
    QTest::addColumn<bool>("top");
    QTest::addColumn<QList<Position>>("selection");
    QTest::addColumn<QList<int>>("first");
    QTest::addColumn<QList<int>>("second");
    QTest::addColumn<QList<int>>("touched");
    // Selection order does not matter: the moved colonies keep their list order.
    QTest::newRow("top, two containers") << true << QList<Position>{{0, 2}, {1, 1}, {0, 1}}
                                         << QList<int>{1, 2, 0} << QList<int>{0, 1} << QList<int>{0, 1};
    QTest::newRow("bottom, one container") << false << QList<Position>{{0, 1}, {0, 0}} << QList<int>{2, 0, 1}
                                           << QList<int>{1, 0} << QList<int>{0};
    QTest::newRow("nothing selected") << true << QList<Position>{} << QList<int>{0, 1, 2} << QList<int>{1, 0}
                                      << QList<int>{};
    QTest::newRow("invalid positions ignored") << true << QList<Position>{{0, 7}, {5, 0}} << QList<int>{0, 1, 2}
                                               << QList<int>{1, 0} << QList<int>{};
}

void tst_ColonyEditorModel::moveColoniesToEnd()
{
    QFETCH(bool, top);
    QFETCH(QList<Position>, selection);
    QFETCH(QList<int>, first);
    QFETCH(QList<int>, second);
    QFETCH(QList<int>, touched);
    ColonyEditorModel model(rack());
    QCOMPARE(model.moveColoniesToEnd(selection, top), touched);
    QVERIFY(model.isChanged());
    QCOMPARE(pageIndexes(model.rack().containers.at(0)), first);
    QCOMPARE(pageIndexes(model.rack().containers.at(1)), second);
    QCOMPARE(pickOrders(model.rack().containers.at(0)), (QList<int>{1, 2, 3}));
}

void tst_ColonyEditorModel::addColony_firstAndNumbered()
{
    ColonyEditorModel model(rack());
    int container = -1;
    QVERIFY(model.addColony(90.0, 130.0, container));
    QCOMPARE(container, 0);
    QVERIFY(model.addColony(90.0, 130.0, container));
    QCOMPARE(container, 0);

    const ColonyEditorModel::EditContainer& edited = model.rack().containers.at(0);
    QCOMPARE(edited.nextColonyNumber, 5);
    QCOMPARE(pageIndexes(edited), (QList<int>{-1, -1, 0, 1, 2}));
    QCOMPARE(pickOrders(edited), (QList<int>{1, 2, 3, 4, 5}));
    // The later one is first; names use consecutive numbers and end with ".".
    QCOMPARE(edited.colonies.at(0).objectName, QStringLiteral("HalconObject_Colonies.Included.1.4."));
    QCOMPARE(edited.colonies.at(1).objectName, QStringLiteral("HalconObject_Colonies.Included.1.3."));

    const ColonyEditorModel::EditColony& added = edited.colonies.at(0);
    QCOMPARE(added.containerNumber, 1);
    QCOMPARE(added.colonyRow.PosX_px, 90.0);
    QCOMPARE(added.colonyRow.PosY_px, 130.0);
    QCOMPARE(added.colonyRow.Circularity, 1.0);
    QVERIFY(added.colonyRow.IsGoodColony);
    QVERIFY(added.colonyRow.IsUserEdited);
    QVERIFY(!added.colonyRow.IsExcluded);
    QVERIFY(model.isChanged());
    // Its contour is a circle of radius 6 about the click.
    int hitContainer = -1;
    int hitColony = -1;
    QVERIFY(model.hitTest(94.0, 130.0, hitContainer, hitColony));
    QCOMPARE(hitColony, 0);
    QVERIFY(model.hitTest(97.0, 130.0, hitContainer, hitColony));
    QCOMPARE(hitColony, -1);
    // The second container is untouched.
    QCOMPARE(model.rack().containers.at(1).nextColonyNumber, 2);
}

void tst_ColonyEditorModel::addColony_outsideChangesNothing()
{
    ColonyEditorModel model(rack());
    int container = 7;
    QVERIFY(!model.addColony(200.0, 100.0, container));
    QCOMPARE(container, -1);
    QVERIFY(!model.isChanged());
    QCOMPARE(model.rack().containers.at(0).colonies.size(), 3);
    QCOMPARE(model.rack().containers.at(0).nextColonyNumber, 3);
}

void tst_ColonyEditorModel::addColony_onExistingColonyAddsAll()
{
    ColonyEditorModel model(rack());
    int container = -1;
    QVERIFY(model.addColony(100.0, Row, container));
    QCOMPARE(model.rack().containers.at(0).colonies.size(), 4);
    QCOMPARE(model.rack().containers.at(0).colonies.at(0).pageIndex, -1);
}

void tst_ColonyEditorModel::removeColony()
{
    ColonyEditorModel model(rack());
    int container = -1;
    QVERIFY(model.addColony(90.0, 130.0, container));
    // Removing the added colony leaves no page index behind.
    QVERIFY(model.removeColony(0, 0));
    QVERIFY(model.rack().containers.at(0).removedPageIndexes.isEmpty());
    // A colony from the page leaves its index, in the order of removal.
    QVERIFY(model.removeColony(0, 2));
    QVERIFY(model.removeColony(0, 0));
    QCOMPARE(model.rack().containers.at(0).removedPageIndexes, (QList<int>{2, 0}));
    QCOMPARE(pageIndexes(model.rack().containers.at(0)), (QList<int>{1}));
    QCOMPARE(pickOrders(model.rack().containers.at(0)), (QList<int>{1}));
    QVERIFY(!model.removeColony(0, 1));
    QVERIFY(!model.removeColony(3, 0));
}

void tst_ColonyEditorModel::hitTest_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<bool>("hit");
    QTest::addColumn<int>("container");
    QTest::addColumn<int>("colony");
    QTest::newRow("on a colony") << 121.0 << 101.0 << true << 0 << 2;
    QTest::newRow("in a container off the colonies") << 100.0 << 140.0 << true << 0 << -1;
    QTest::newRow("second container, sorted list") << 281.0 << 99.0 << true << 1 << 1;
    QTest::newRow("between the containers") << 200.0 << 100.0 << false << -1 << -1;
    QTest::newRow("outside the picture") << -500.0 << -500.0 << false << -1 << -1;
}

void tst_ColonyEditorModel::hitTest()
{
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(bool, hit);
    QFETCH(int, container);
    QFETCH(int, colony);
    const ColonyEditorModel model(rack());
    int foundContainer = 9;
    int foundColony = 9;
    QCOMPARE(model.hitTest(x, y, foundContainer, foundColony), hit);
    QCOMPARE(foundContainer, container);
    QCOMPARE(foundColony, colony);
}

void tst_ColonyEditorModel::findColonyByName_exactOnly()
{
    ColonyEditorModel::EditRack input = rack();
    input.containers[0].colonies.append(colony(1, 10, 110.0, 4));
    const ColonyEditorModel model(input);
    int container = -1;
    int colony = -1;
    QVERIFY(model.findColonyByName(pageName(1, 10), container, colony));
    QCOMPARE(model.rack().containers.at(container).colonies.at(colony).pageIndex, 10);
    QVERIFY(model.findColonyByName(pageName(1, 1), container, colony));
    QCOMPARE(model.rack().containers.at(container).colonies.at(colony).pageIndex, 1);
    QVERIFY(!model.findColonyByName(QStringLiteral("HalconObject_Colonies.Included.1."), container, colony));
    QCOMPARE(container, -1);
    QCOMPARE(colony, -1);
    QVERIFY(!model.findColonyByItem(nullptr, container, colony));
}

void tst_ColonyEditorModel::records_ownTheirContentsByValue()
{
    ColonyEditorModel::EditRack kept;
    {
        auto model = std::make_unique<ColonyEditorModel>(rack());
        int container = -1;
        QVERIFY(model->addColony(90.0, 130.0, container));
        kept = model->rack();
        // Editing the model after the copy leaves the copy alone.
        QVERIFY(model->removeColony(0, 0));
        model->rack().containers[1].colonies[0].colonyRow.PickingOrder = 77;
    }
    // The model is gone; the copy still holds every colony with its contour.
    QCOMPARE(kept.containers.at(0).colonies.size(), 4);
    QCOMPARE(kept.containers.at(0).colonies.at(0).pageIndex, -1);
    QCOMPARE(kept.containers.at(1).colonies.at(0).colonyRow.PickingOrder, 1);
    Halcon::HTuple inside;
    QCOMPARE(int(Halcon::test_xld_point(kept.containers.at(0).colonies.at(0).contour, 130.0, 90.0, &inside)), 2);
    QCOMPARE(inside.I(), 1);
}

QTEST_GUILESS_MAIN(tst_ColonyEditorModel)
#include "tst_ColonyEditorModel.moc"
