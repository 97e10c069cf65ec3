// Result tables of the page: numeric sorting, reference-point and metrics rows, colony rows
// with their marks, column visibility, column widths in the settings store and the colour
// selection question through the message-box seam.

#include "ColonyAnalyserGui.h"
#include "ColonyAnalyserGuiFixture.h"
#include "MessageBox_Helper.h"
#include "NumericSortTreeWidgetItem.h"

#include <QHeaderView>
#include <QSettings>
#include <QTemporaryDir>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QtTest>

using namespace ColonyAnalyserGuiFixture;

class tst_ColonyAnalyserGuiTables : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void leadingNumber_data();
    void leadingNumber();
    void sorting();
    void referencePoints();
    void metrics_data();
    void metrics();
    void colonyRows();
    void goodColoniesInPickOrder();
    void columnVisibility();
    void columnWidthsKept();
    void colourSelectionAsksThroughSeam();

private:
    QTemporaryDir m_store;
};

void tst_ColonyAnalyserGuiTables::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    // A store of this program alone: every page test writes its widths when a page goes, and
    // the test programs run side by side.
    QVERIFY(m_store.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_store.path());
    QSettings store(QStringLiteral("Varnholt Selvanz AG"), QStringLiteral("Zelvorin"));
    QVERIFY2(store.fileName().startsWith(m_store.path()), qPrintable(store.fileName()));
}

void tst_ColonyAnalyserGuiTables::cleanup()
{
    MessageBox_Helper::setAnswerFunction({});
}

void tst_ColonyAnalyserGuiTables::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");
    QTest::newRow("number and unit") << QStringLiteral("12.5 %") << true << 12.5;
    QTest::newRow("digits") << QStringLiteral("42") << true << 42.0;
    QTest::newRow("negative") << QStringLiteral("-3.5") << true << -3.5;
    QTest::newRow("letter first") << QStringLiteral("A9") << false << 0.0;
    QTest::newRow("letters after digits") << QStringLiteral("9A") << false << 0.0;
    QTest::newRow("two points") << QStringLiteral("1.2.3") << false << 0.0;
    QTest::newRow("empty") << QString() << false << 0.0;
}

void tst_ColonyAnalyserGuiTables::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    double number = 0.0;
    QCOMPARE(NumericSortTreeWidgetItem::toNumber(text, number), ok);
    if (ok)
        QCOMPARE(number, value);
}

void tst_ColonyAnalyserGuiTables::sorting()
{
    QTreeWidget tree;
    tree.setColumnCount(2);
    const QStringList numbers{QStringLiteral("10.0"), QStringLiteral("9.5"), QStringLiteral("100 px")};
    const QStringList names{QStringLiteral("A10"), QStringLiteral("A9"), QStringLiteral("B1")};
    for (int i = 0; i < 3; ++i) {
        auto* item = new NumericSortTreeWidgetItem(&tree);
        item->setText(0, numbers.at(i));
        item->setText(1, names.at(i));
    }
    tree.sortItems(0, Qt::AscendingOrder);
    QCOMPARE(tree.topLevelItem(0)->text(0), QStringLiteral("9.5"));
    QCOMPARE(tree.topLevelItem(1)->text(0), QStringLiteral("10.0"));
    QCOMPARE(tree.topLevelItem(2)->text(0), QStringLiteral("100 px"));
    tree.sortItems(1, Qt::AscendingOrder);
    QVERIFY(QString::localeAwareCompare(tree.topLevelItem(0)->text(1), tree.topLevelItem(1)->text(1)) < 0);
    ResizeTreeWidgetColumnsToContents(&tree);
    QVERIFY(tree.isSortingEnabled());
}

void tst_ColonyAnalyserGuiTables::referencePoints()
{
    Page p;
    ColonyAnalyserGui& page = *p.page;
    page.emitRackReset(picture());
    ImageRefPoint found;
    found.Index = 0;
    found.Found = true;
    found.PosX_px = 11.0;
    found.PosY_px = 22.0;
    found.ErrorText = QStringLiteral("ignored");
    page.emitImageRefPointsAdd(QString(), found);
    ImageRefPoint missing = found;
    missing.Found = false;
    missing.PosX_px = 0.0;
    missing.PosY_px = 0.0;
    missing.ErrorText.clear();
    page.emitImageRefPointsAdd(QStringLiteral("again"), missing);
    ImageRefPoint none;
    none.Index = -1;
    none.ErrorText = QStringLiteral("no point");
    page.emitImageRefPointsAdd(QString(), none);
    QCOMPARE(page.pendingUpdates().available(), 0);

    QTreeWidget* table = page.referencePointsTable();
    QCOMPARE(table->topLevelItemCount(), 3);
    QList<QTreeWidgetItem*> rows;
    for (int i = 0; i < 3; ++i)
        rows << table->topLevelItem(i);
    auto row = [&](const QString& position) {
        for (QTreeWidgetItem* r : rows)
            if (r->text(0) == position)
                return r;
        return static_cast<QTreeWidgetItem*>(nullptr);
    };
    QVERIFY(row(QStringLiteral("1. Top Left")));
    QCOMPARE(row(QStringLiteral("1. Top Left"))->text(1), QStringLiteral("-"));
    QCOMPARE(row(QStringLiteral("1. Top Left"))->text(2), QStringLiteral("11.0"));
    QCOMPARE(row(QStringLiteral("again"))->background(1), QBrush());
    QVERIFY(row(QString()));
    QCOMPARE(row(QString())->background(1).color(), QColor(Qt::red).lighter(150));
    QCOMPARE(row(QString())->flags(), Qt::ItemIsEnabled);
    // The point that was not found left the stored position alone.
    QCOMPARE(page.rack().row.ReferenzPos1X, 11.0);
    QCOMPARE(page.rack().row.ReferenzPos1Y, 22.0);
}

void tst_ColonyAnalyserGuiTables::metrics_data()
{
    QTest::addColumn<double>("horizontal");
    QTest::addColumn<QString>("rotation");
    QTest::newRow("usable") << 10.0 << QStringLiteral("57.296");
    QTest::newRow("no resolution") << 0.0 << QStringLiteral("-");
}

void tst_ColonyAnalyserGuiTables::metrics()
{
    QFETCH(double, horizontal);
    QFETCH(QString, rotation);
    Page p;
    ImageRefPointsMetrics metrics;
    metrics.HorizontalResolution = horizontal;
    metrics.VerticalResolution = 10.0;
    metrics.AxisRotation = 1.0;
    metrics.CornerAngle = 1.0;
    metrics.Message = QStringLiteral("angle");
    p.page->emitImageRefPointsAddMetrics(metrics);
    QTreeWidget* table = p.page->metricsTable();
    QCOMPARE(table->topLevelItemCount(), 4);
    QTreeWidgetItem* third = table->findItems(QStringLiteral("3."), Qt::MatchStartsWith).value(0);
    QVERIFY(third);
    QCOMPARE(third->text(1), rotation);
    QTreeWidgetItem* fourth = table->findItems(QStringLiteral("4."), Qt::MatchStartsWith).value(0);
    QCOMPARE(fourth->text(2), QStringLiteral("angle"));
}

void tst_ColonyAnalyserGuiTables::colonyRows()
{
    Page p;
    ColonyAnalyserGui& page = *p.page;
    reportRack(page);
    const auto& container = *page.rack().containers.front();
    QTreeWidgetItem* good = container.colonies[0]->item;
    QTreeWidgetItem* rejected = container.colonies[2]->item;
    QCOMPARE(good->text(19), QStringLiteral("95.5"));
    QVERIFY(!good->font(9).bold());
    QVERIFY(rejected->text(19).isEmpty());
    // Circularity 0.5 is below the default 0.7; the other values pass.
    QVERIFY(rejected->font(9).bold());
    QCOMPARE(rejected->background(9).color(), QColor(Qt::red).lighter(150));
    QVERIFY(!rejected->font(8).bold());
    QCOMPARE(rejected->textAlignment(4), int(Qt::AlignRight | Qt::AlignVCenter));
    QCOMPARE(container.goodItem->text(3), QStringLiteral("1"));

    // A colony before any container is dropped, and the count of pending reports still holds.
    page.emitRackReset(picture());
    page.emitColonyAdd(colony(1, 0, true, 1.0, 1.0, 1.0));
    QCOMPARE(page.pendingUpdates().available(), 0);
    QVERIFY(page.rack().containers.empty());
}

// The engine reports a container's colonies from left to right; once the run is over the
// good table lists them as they are picked, a two-digit order after the one-digit ones.
void tst_ColonyAnalyserGuiTables::goodColoniesInPickOrder()
{
    Page p;
    ColonyAnalyserGui& page = *p.page;
    page.emitAnalyserStarted();
    page.emitRackReset(picture());
    Halcon::Hobject area;
    Halcon::gen_rectangle2_contour_xld(&area, 50.0, 50.0, 0.0, 40.0, 40.0);
    for (int number : {1, 2}) {
        page.emitContainerListAdd(QStringLiteral("HalconObject_Colonies_SearchArea.Area.%1.").arg(number - 1), number,
                                  QStringLiteral("A%1").arg(number), QString(), number - 1, area);
    }
    const int pickOrders[] = {1, 4, 10, 3, 2, 5};
    for (int i = 0; i < 6; ++i) {
        ImageColony c = colony(2, i, true, 90.0 - pickOrders[i], 10.0 + 10.0 * i, 40.0);
        c.PickingOrder = pickOrders[i];
        page.emitColonyAdd(c);
    }
    page.emitAnalyserStopped();

    QTreeWidget* good = page.goodColoniesTable();
    QCOMPARE(good->sortColumn(), 3);
    QCOMPARE(good->header()->sortIndicatorOrder(), Qt::AscendingOrder);
    QCOMPARE(good->topLevelItemCount(), 2);
    // Containers by their pick rank, whatever their number.
    QVERIFY(good->topLevelItem(0)->text(3).toInt() < good->topLevelItem(1)->text(3).toInt());
    QTreeWidgetItem* container = good->findItems(QStringLiteral("A2"), Qt::MatchExactly, 2).value(0);
    QVERIFY(container);
    QStringList shown;
    for (int i = 0; i < container->childCount(); ++i)
        shown << container->child(i)->text(3);
    QCOMPARE(shown, (QStringList{"1", "2", "3", "4", "5", "10"}));
}

void tst_ColonyAnalyserGuiTables::columnVisibility()
{
    Page p;
    ColonyAnalyserGui& page = *p.page;
    reportRack(page);
    page.emitAnalyserStarted();
    page.emitAnalyserStopped();
    QTreeWidget* good = page.goodColoniesTable();
    QTreeWidget* rejected = page.rejectedColoniesTable();
    QCOMPARE(good->columnCount(), 27);
    for (int c : {12, 13, 14, 20, 21, 22, 23, 24, 25, 26})
        QVERIFY2(good->isColumnHidden(c), qPrintable(QString::number(c)));
    for (int c : {0, 3, 6, 15, 19})
        QVERIFY(!good->isColumnHidden(c));
    for (int c : {3, 6, 7, 15, 16, 17, 18, 19})
        QVERIFY(rejected->isColumnHidden(c));
    QVERIFY(!rejected->isColumnHidden(4));
    QCOMPARE(good->findItems(QStringLiteral("A1"), Qt::MatchExactly, 2).value(0)->text(1), QStringLiteral("2"));

    // Showing a column again restores the width it had when it was hidden.
    good->setColumnHidden(12, false);
    good->setColumnWidth(12, 66);
    good->setColumnHidden(12, true);
    p.colonySettings->ColorModel = ColonySettingsData::ColorModelRgb;
    page.emitAnalyserStarted();
    page.emitAnalyserStopped();
    QVERIFY(!good->isColumnHidden(20));
    QVERIFY(good->isColumnHidden(23));
}

void tst_ColonyAnalyserGuiTables::columnWidthsKept()
{
    {
        Page p;
        p.page->goodColoniesTable()->setColumnWidth(4, 77);
        p.page->referencePointsTable()->setColumnWidth(1, 88);
    }
    QSettings store(QStringLiteral("Varnholt Selvanz AG"), QStringLiteral("Zelvorin"));
    QCOMPARE(store.value(QStringLiteral("TableColonies/4")).toInt(), 77);
    QCOMPARE(store.value(QStringLiteral("TableReferencePointsPositions/1")).toInt(), 88);
    QVERIFY(store.contains(QStringLiteral("ColonyAnalyserGui/ColoniesSplitter")));
    Page again;
    QCOMPARE(again.page->goodColoniesTable()->columnWidth(4), 77);
    QCOMPARE(again.page->referencePointsTable()->columnWidth(1), 88);
}

void tst_ColonyAnalyserGuiTables::colourSelectionAsksThroughSeam()
{
    Page p;
    ColonyAnalyserGui& page = *p.page;
    reportRack(page);
    QList<MessageBox_Helper::Request> asked;
    MessageBox_Helper::setAnswerFunction([&](const MessageBox_Helper::Request& request) {
        asked.append(request);
        return QMessageBox::Yes;
    });
    p.colonySettings->emitCustom(ColonySettings::CustomSignal_ColorSelectionEnabled, QVariant(1));
    const ColonyAnalyserGui::ColonyEntry& picked = *page.rack().containers.front()->colonies[1];
    page.slot_HalconObjectSelected(picked.objectName);
    p.colonySettings->emitCustom(ColonySettings::CustomSignal_ColorSelectionConfirmed, QVariant());
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked.first().title, QStringLiteral("HSV color settings"));
    QCOMPARE(asked.first().text, QStringLiteral("Increase range tolerance to at least 5%"));
    const ColonySettingsData::ColonyColorData& color = p.colonySettings->ColonyColor;
    QCOMPARE(color.StartHue, picked.row.ColorHue);
    QCOMPARE(color.EndHue, picked.row.ColorHue);
    QCOMPARE(color.StartSaturationPercent, 5.0);
    QCOMPARE(color.EndIntensityPercent, 5.0);
}

QTEST_MAIN(tst_ColonyAnalyserGuiTables)
#include "tst_ColonyAnalyserGuiTables.moc"
