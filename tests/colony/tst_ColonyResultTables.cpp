// A colony's row in the result tables, written without a table: which cells each colour
// model fills, the weighted values of a good colony and the failed limits of a rejected one;
// and the colony tables' columns per colour model with the widths they keep while hidden.

#include "ColonyRackRecord.h"
#include "ColonyResultTables.h"
#include "ColonySettingsData.h"
#include "ColonyTableColumns.h"

#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <QtTest>

namespace {

// Inside every limit of limits(): the defaults, with red allowed at exactly 130 only.
ColonyRackRecord::Colony colony(QTreeWidgetItem* item, bool good)
{
    ColonyRackRecord::Colony c;
    c.objectName = QStringLiteral("HalconObject_Colonies.Included.1.1.");
    c.item = item;
    c.containerNumber = 3;
    DatabaseTableZelvorinColony::Dataset& r = c.row;
    r.IsGoodColony = good;
    r.PickingOrder = 2;
    r.PosX_px = 10.24;
    r.PosY_px = 20.75;
    r.PosX_mm = 1.0;
    r.PosY_mm = 2.0;
    r.Area_mm2 = 2.0;
    r.Circularity = 0.8;
    r.ClearanceNeighbor_mm = 1.0;
    r.ClearanceMargin_mm = 1.0;
    r.ColorRed = 130.0;
    r.ColorGreen = 100.0;
    r.ColorBlue = 100.0;
    r.ColorHue = 12.0;
    r.ColorSaturation = 13.0;
    r.ColorIntensity = 14.0;
    r.ColorArea_pct = 15.0;
    r.LoadingTotal_pct = 88.0;
    c.weightedRed = 0.5;
    c.colorPassed = false;
    return c;
}

bool marked(const QTreeWidgetItem& item, int column)
{
    return item.font(column).bold() && item.background(column).color() == QColor(Qt::red).lighter(150);
}

QList<int> markedColumns(const QTreeWidgetItem& item)
{
    QList<int> columns;
    for (int c = 0; c < 27; ++c) {
        if (marked(item, c))
            columns.append(c);
    }
    return columns;
}

ColonySettingsData::ColonyData limits()
{
    ColonySettingsData::ColonyData data;
    data.ThresholdColorRedMin = 130.0;
    data.ThresholdColorRedMax = 130.0;
    return data;
}

} // namespace

class tst_ColonyResultTables : public QObject {
    Q_OBJECT
private slots:
    void cellsPerColourModel_data();
    void cellsPerColourModel();
    void failedLimitsAreMarked_data();
    void failedLimitsAreMarked();
    void rewriteClearsEarlierMarks();
    void hiddenColumnsPerColourModel_data();
    void hiddenColumnsPerColourModel();
    void hiddenColumnKeepsItsWidth();
};

void tst_ColonyResultTables::cellsPerColourModel_data()
{
    QTest::addColumn<int>("colorModel");
    QTest::addColumn<bool>("good");
    QTest::addColumn<QList<int>>("filled");
    const QList<int> always{0, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    QTest::newRow("good, no colour") << 0 << true << always + QList<int>{15, 16, 17, 18, 19};
    QTest::newRow("good, RGB") << 1 << true
                               << always + QList<int>{12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22};
    QTest::newRow("good, HSI") << 2 << true << always + QList<int>{15, 16, 17, 18, 19, 23, 24, 25, 26};
    QTest::newRow("rejected, no colour") << 0 << false << always;
    QTest::newRow("rejected, RGB") << 1 << false << always + QList<int>{12, 13, 14};
    QTest::newRow("rejected, HSI") << 2 << false << always + QList<int>{23, 24, 25, 26};
    QTest::newRow("unknown model") << 7 << true << always + QList<int>{15, 16, 17, 18, 19};
}

void tst_ColonyResultTables::cellsPerColourModel()
{
    QFETCH(int, colorModel);
    QFETCH(bool, good);
    QFETCH(QList<int>, filled);
    QTreeWidgetItem item;
    ColonyResultTables::writeColonyRow(colony(&item, good), colorModel, limits());

    QList<int> written;
    for (int c = 0; c < 27; ++c) {
        if (!item.text(c).isEmpty())
            written.append(c);
    }
    QCOMPARE(written, filled);
    QCOMPARE(item.text(0), QStringLiteral("3"));
    QCOMPARE(item.text(4), QStringLiteral("10.2"));
    QCOMPARE(item.text(6), QStringLiteral("1.000"));
    QCOMPARE(item.textAlignment(0), 0);
    QCOMPARE(item.textAlignment(4), int(Qt::AlignRight | Qt::AlignVCenter));
    // A good colony is never marked.
    if (good)
        QCOMPARE(markedColumns(item), QList<int>());
}

void tst_ColonyResultTables::failedLimitsAreMarked_data()
{
    QTest::addColumn<int>("colorModel");
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("value");
    QTest::addColumn<QList<int>>("marks");
    QTest::newRow("all inside") << 1 << QString() << 0.0 << QList<int>();
    QTest::newRow("circularity at its minimum") << 0 << QStringLiteral("Circularity") << 0.7 << QList<int>();
    QTest::newRow("circularity below") << 0 << QStringLiteral("Circularity") << 0.69 << QList<int>{9};
    QTest::newRow("neighbour below") << 0 << QStringLiteral("ClearanceNeighbor_mm") << 0.2 << QList<int>{10};
    QTest::newRow("margin below") << 0 << QStringLiteral("ClearanceMargin_mm") << 0.4 << QList<int>{11};
    QTest::newRow("area above") << 0 << QStringLiteral("Area_mm2") << 5.5 << QList<int>{8};
    QTest::newRow("area at its maximum") << 0 << QStringLiteral("Area_mm2") << 5.0 << QList<int>();
    QTest::newRow("red above, RGB") << 1 << QStringLiteral("ColorRed") << 131.0 << QList<int>{12};
    QTest::newRow("red above, no colour") << 0 << QStringLiteral("ColorRed") << 131.0 << QList<int>();
    QTest::newRow("green below, RGB") << 1 << QStringLiteral("ColorGreen") << -1.0 << QList<int>{13};
    QTest::newRow("blue above, RGB") << 1 << QStringLiteral("ColorBlue") << 256.0 << QList<int>{14};
    QTest::newRow("colour test failed, HSI") << 2 << QString() << 0.0 << QList<int>{26};
}

void tst_ColonyResultTables::failedLimitsAreMarked()
{
    QFETCH(int, colorModel);
    QFETCH(QString, field);
    QFETCH(double, value);
    QFETCH(QList<int>, marks);
    QTreeWidgetItem item;
    ColonyRackRecord::Colony c = colony(&item, false);
    DatabaseTableZelvorinColony::Dataset& r = c.row;
    double* fields[] = {&r.Circularity, &r.ClearanceNeighbor_mm, &r.ClearanceMargin_mm, &r.Area_mm2,
                        &r.ColorRed, &r.ColorGreen, &r.ColorBlue};
    const QStringList names{QStringLiteral("Circularity"), QStringLiteral("ClearanceNeighbor_mm"),
                            QStringLiteral("ClearanceMargin_mm"), QStringLiteral("Area_mm2"),
                            QStringLiteral("ColorRed"), QStringLiteral("ColorGreen"), QStringLiteral("ColorBlue")};
    if (!field.isEmpty())
        *fields[names.indexOf(field)] = value;

    ColonyResultTables::writeColonyRow(c, colorModel, limits());
    QCOMPARE(markedColumns(item), marks);
    // A rejected colony never shows weighted values.
    for (int column = 15; column <= 22; ++column)
        QVERIFY(item.text(column).isEmpty());
}

void tst_ColonyResultTables::rewriteClearsEarlierMarks()
{
    QTreeWidgetItem item;
    ColonyRackRecord::Colony c = colony(&item, false);
    c.row.Circularity = 0.1;
    ColonyResultTables::writeColonyRow(c, 0, limits());
    QCOMPARE(markedColumns(item), QList<int>{9});

    // The same row after the colony became good (the editor keeps rows, the page rewrites them).
    c.row.IsGoodColony = true;
    c.row.Circularity = 0.9;
    ColonyResultTables::writeColonyRow(c, 0, limits());
    QCOMPARE(markedColumns(item), QList<int>());
    QCOMPARE(item.text(19), QStringLiteral("88.0"));
}

void tst_ColonyResultTables::hiddenColumnsPerColourModel_data()
{
    QTest::addColumn<int>("colorModel");
    QTest::addColumn<QList<int>>("hiddenGood");
    QTest::addColumn<QList<int>>("hiddenRejected");
    const QList<int> neverRejected{3, 6, 7, 15, 16, 17, 18, 19, 20, 21, 22};
    QTest::newRow("no colour") << 0 << QList<int>{12, 13, 14, 20, 21, 22, 23, 24, 25, 26}
                               << QList<int>{3, 6, 7, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26};
    QTest::newRow("RGB") << 1 << QList<int>{23, 24, 25, 26} << neverRejected + QList<int>{23, 24, 25, 26};
    QTest::newRow("HSI") << 2 << QList<int>{12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22}
                         << QList<int>{3, 6, 7, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22};
    QTest::newRow("unknown model") << 5 << QList<int>() << neverRejected;
}

void tst_ColonyResultTables::hiddenColumnsPerColourModel()
{
    QFETCH(int, colorModel);
    QFETCH(QList<int>, hiddenGood);
    QFETCH(QList<int>, hiddenRejected);
    ColonyTableColumns columns;
    QTreeWidget good;
    QTreeWidget rejected;
    columns.setHeaders(&good);
    columns.setHeaders(&rejected);
    QCOMPARE(good.columnCount(), 27);
    QCOMPARE(good.headerItem()->toolTip(9), good.headerItem()->text(9));

    columns.applyVisibility(colorModel, &good, &rejected);
    QList<int> actualGood;
    QList<int> actualRejected;
    for (int c = 0; c < 27; ++c) {
        if (good.isColumnHidden(c))
            actualGood.append(c);
        if (rejected.isColumnHidden(c))
            actualRejected.append(c);
    }
    std::sort(hiddenRejected.begin(), hiddenRejected.end());
    QCOMPARE(actualGood, hiddenGood);
    QCOMPARE(actualRejected, hiddenRejected);
}

void tst_ColonyResultTables::hiddenColumnKeepsItsWidth()
{
    ColonyTableColumns columns;
    QTreeWidget good;
    QTreeWidget rejected;
    columns.setHeaders(&good);
    columns.setHeaders(&rejected);
    good.setColumnWidth(12, 71);
    rejected.setColumnWidth(12, 72);

    // Red (12) shows with RGB only; a run without colour hides it in both tables.
    columns.applyVisibility(1, &good, &rejected);
    columns.applyVisibility(0, &good, &rejected);
    QVERIFY(good.isColumnHidden(12));
    QCOMPARE(columns.rememberedWidth(12, false), 71);
    QCOMPARE(columns.rememberedWidth(12, true), 72);
    // A second run without colour keeps what the first remembered.
    columns.applyVisibility(0, &good, &rejected);
    QCOMPARE(columns.rememberedWidth(12, false), 71);

    columns.applyVisibility(1, &good, &rejected);
    QVERIFY(!good.isColumnHidden(12));
    QCOMPARE(good.columnWidth(12), 71);
    QCOMPARE(rejected.columnWidth(12), 72);
    QCOMPARE(columns.rememberedWidth(99, false), 0);
}

QTEST_MAIN(tst_ColonyResultTables)
#include "tst_ColonyResultTables.moc"
