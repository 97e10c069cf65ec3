// The page's rack record without a page: finding colonies by picture point and by table row,
// the reference positions a point may set, and a new rack from a rack reset.

#include "ColonyRackRecord.h"
#include "ColonySettingsData.h"

#include <Halcon.h>

#include <QTreeWidgetItem>
#include <QtTest>

#include <memory>

namespace {

std::unique_ptr<ColonyRackRecord::Colony> colonyAt(const QString& name, double x, double y, double radius)
{
    auto colony = std::make_unique<ColonyRackRecord::Colony>();
    colony->objectName = name;
    Halcon::gen_circle_contour_xld(&colony->contour, y, x, radius, 0.0, 6.283185307179586, "positive", 1.0);
    return colony;
}

// Container 0: "a" at (20, 20) and "b" at (24, 20), overlapping; container 1: "c" at (22, 20)
// over both, and "d" far away.
void fill(ColonyRackRecord& rack)
{
    rack.containers.push_back(std::make_unique<ColonyRackRecord::Container>());
    rack.containers.back()->colonies.push_back(colonyAt(QStringLiteral("a"), 20.0, 20.0, 5.0));
    rack.containers.back()->colonies.push_back(colonyAt(QStringLiteral("b"), 24.0, 20.0, 5.0));
    rack.containers.push_back(std::make_unique<ColonyRackRecord::Container>());
    rack.containers.back()->colonies.push_back(colonyAt(QStringLiteral("c"), 22.0, 20.0, 5.0));
    rack.containers.back()->colonies.push_back(colonyAt(QStringLiteral("d"), 90.0, 90.0, 5.0));
}

} // namespace

class tst_ColonyRackRecord : public QObject {
    Q_OBJECT
private slots:
    void findColonyAt_data();
    void findColonyAt();
    void findColonyByItemNeedsAName();
    void referencePosition_data();
    void referencePosition();
    void resetComputesThePickRanks_data();
    void resetComputesThePickRanks();
};

void tst_ColonyRackRecord::findColonyAt_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<int>("fromContainer");
    QTest::addColumn<int>("fromColony");
    QTest::addColumn<int>("container");
    QTest::addColumn<int>("colony");
    QTest::newRow("from the start") << 22.0 << -1 << 5 << 0 << 0;
    QTest::newRow("next colony of the container") << 22.0 << 0 << 0 << 0 << 1;
    QTest::newRow("next container from its first colony") << 22.0 << 0 << 1 << 1 << 0;
    QTest::newRow("after the last match") << 22.0 << 1 << 0 << -1 << -1;
    QTest::newRow("only the second of its container") << 28.0 << -1 << 0 << 0 << 1;
    QTest::newRow("beside every colony") << 60.0 << -1 << 0 << -1 << -1;
}

void tst_ColonyRackRecord::findColonyAt()
{
    QFETCH(double, x);
    QFETCH(int, fromContainer);
    QFETCH(int, fromColony);
    QFETCH(int, container);
    QFETCH(int, colony);
    ColonyRackRecord rack;
    fill(rack);
    int c = fromContainer;
    int k = fromColony;
    rack.findColonyAt(x, 20.0, c, k);
    QCOMPARE(c, container);
    QCOMPARE(k, colony);
}

void tst_ColonyRackRecord::findColonyByItemNeedsAName()
{
    ColonyRackRecord rack;
    fill(rack);
    QTreeWidgetItem named;
    QTreeWidgetItem unnamed;
    rack.containers[1]->colonies[1]->item = &named;
    rack.containers[0]->colonies[1]->item = &unnamed;
    rack.containers[0]->colonies[1]->objectName.clear();

    int c = -1;
    int k = -1;
    QVERIFY(rack.findColonyByItem(&named, c, k));
    QCOMPARE(c, 1);
    QCOMPARE(k, 1);
    QVERIFY(!rack.findColonyByItem(&unnamed, c, k));
    QCOMPARE(c, -1);
    QCOMPARE(k, -1);
    QVERIFY(!rack.findColonyByItem(nullptr, c, k));
}

void tst_ColonyRackRecord::referencePosition_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QList<double>>("expected"); // 1X, 1Y, ..., 4X, 4Y
    QTest::newRow("none") << -1 << QList<double>{1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("first") << 0 << QList<double>{10, 20, 3, 4, 5, 6, 7, 8};
    QTest::newRow("fourth") << 3 << QList<double>{1, 2, 3, 4, 5, 6, 10, 20};
    QTest::newRow("beyond the corners") << 4 << QList<double>{1, 2, 3, 4, 5, 6, 7, 8};
}

void tst_ColonyRackRecord::referencePosition()
{
    QFETCH(int, index);
    QFETCH(QList<double>, expected);
    ColonyRackRecord rack;
    for (int i = 0; i < 4; ++i)
        rack.setReferencePosition(i, 2.0 * i + 1.0, 2.0 * i + 2.0);
    rack.setReferencePosition(index, 10.0, 20.0);
    const DatabaseTableZelvorinRack::Dataset& r = rack.row;
    const QList<double> actual{r.ReferenzPos1X, r.ReferenzPos1Y, r.ReferenzPos2X, r.ReferenzPos2Y,
                               r.ReferenzPos3X, r.ReferenzPos3Y, r.ReferenzPos4X, r.ReferenzPos4Y};
    QCOMPARE(actual, expected);
}

void tst_ColonyRackRecord::resetComputesThePickRanks_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<QList<int>>("ranks");
    QTest::newRow("left to right") << int(ColonySettingsData::LeftToRight) << QList<int>{1, 2, 3, 4, 5, 6};
    QTest::newRow("right to left reverses") << int(ColonySettingsData::RightToLeft) << QList<int>{6, 5, 4, 3, 2, 1};
}

void tst_ColonyRackRecord::resetComputesThePickRanks()
{
    QFETCH(int, direction);
    QFETCH(QList<int>, ranks);
    ColonySettingsData settings;
    settings.Labware.SectionsX = 3;
    settings.Labware.SectionsY = 2;
    settings.Labware.PositionDirection = direction;
    settings.ColorModel = ColonySettingsData::ColorModelHsi;

    ColonyRackRecord rack;
    fill(rack);
    rack.row.RackID = 9;
    rack.setReferencePosition(2, 5.0, 6.0);
    rack.reset(Halcon::Hobject(), settings, QStringLiteral("<camera/>"));

    QVERIFY(rack.containers.empty());
    QCOMPARE(rack.row.RackID, Database::ID(-1));
    QCOMPARE(rack.row.ReferenzPos3X, 0.0);
    QCOMPARE(rack.row.ColorModel, qint16(ColonySettingsData::ColorModelHsi));
    QCOMPARE(rack.row.XMLCameraSettings, QStringLiteral("<camera/>"));
    QCOMPARE(rack.pickRank, ranks);
    for (int i = 0; i < ranks.size(); ++i)
        QCOMPARE(rack.rankOf(i), ranks.at(i));
    // A position the labware does not have has no rank.
    QCOMPARE(rack.rankOf(int(ranks.size())), 0);
    QCOMPARE(rack.rankOf(-1), 0);

    const ColonyRackRecord::Container& container =
        rack.addContainer(QStringLiteral("area"), 7, QStringLiteral("B1"), QString(), 4, Halcon::Hobject());
    QCOMPARE(container.row.PickingOrder, qint16(ranks.at(4)));
    QCOMPARE(container.row.ContainerNumber, qint16(7));
}

QTEST_GUILESS_MAIN(tst_ColonyRackRecord)
#include "tst_ColonyRackRecord.moc"
