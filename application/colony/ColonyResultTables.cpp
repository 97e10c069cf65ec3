#include "ColonyResultTables.h"
#include "ui_ColonyAnalyserGui.h"

#include "Gui_Helper.h"
#include "IHalconView.h"
#include "ImageRefPoint.h"
#include "ImageRefPointsMetrics.h"
#include "NumericSortTreeWidgetItem.h"
#include "ReferencePointSearch.h"

#include <QCoreApplication>
#include <QFont>
#include <QTreeWidget>

namespace {

QString format(const char* pattern, double value)
{
    return QString::asprintf(pattern, value);
}

QColor markColor()
{
    return QColor(Qt::red).lighter(150);
}

void markCell(QTreeWidgetItem* item, int column)
{
    QFont font = item->font(column);
    font.setBold(true);
    item->setFont(column, font);
    item->setBackground(column, markColor());
}

void unmarkCell(QTreeWidgetItem* item, int column)
{
    item->setFont(column, QFont());
    item->setBackground(column, QBrush());
}

void alignRight(QTreeWidgetItem* item, int firstColumn, int columnCount)
{
    for (int c = firstColumn; c < columnCount; ++c)
        item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
}

// The failed limits of a rejected colony.
void markFailedLimits(QTreeWidgetItem* item, const ColonyRackRecord::Colony& colony, int colorModel,
                      const ColonySettingsData::ColonyData& limits)
{
    const DatabaseTableZelvorinColony::Dataset& r = colony.row;
    if (r.Circularity < limits.CircularityMin)
        markCell(item, 9);
    if (r.ClearanceNeighbor_mm < limits.NeighborDistanceMin)
        markCell(item, 10);
    if (r.ClearanceMargin_mm < limits.MarginDistanceMin)
        markCell(item, 11);
    if (r.Area_mm2 < limits.AreaMin || r.Area_mm2 > limits.AreaMax)
        markCell(item, 8);
    if (colorModel == 1) {
        if (r.ColorRed < limits.ThresholdColorRedMin || r.ColorRed > limits.ThresholdColorRedMax)
            markCell(item, 12);
        if (r.ColorGreen < limits.ThresholdColorGreenMin || r.ColorGreen > limits.ThresholdColorGreenMax)
            markCell(item, 13);
        if (r.ColorBlue < limits.ThresholdColorBlueMin || r.ColorBlue > limits.ThresholdColorBlueMax)
            markCell(item, 14);
    }
    if (colorModel == 2 && !colony.colorPassed)
        markCell(item, 26);
}

} // namespace

ColonyResultTables::ColonyResultTables(Ui::ColonyAnalyserGui& form) : m_form(form)
{
    // Good colonies in the order they are picked: containers by their rank, colonies by their
    // pick order (the engine reports them from left to right). Rejected ones have no order.
    m_form.m_ColoniesTable->sortByColumn(3, Qt::AscendingOrder);
    m_form.m_RejectedColoniesTable->sortByColumn(0, Qt::AscendingOrder);
    m_form.m_ReferencePointsMetrics->sortByColumn(0, Qt::AscendingOrder);
    m_form.m_ReferencePointsPositions->sortByColumn(0, Qt::AscendingOrder);
}

void ColonyResultTables::addContextActions(QAction* resizeColumns, QAction* showInImage)
{
    for (QTreeWidget* table : {m_form.m_ReferencePointsPositions, m_form.m_ReferencePointsMetrics}) {
        table->addAction(resizeColumns);
        table->setContextMenuPolicy(Qt::ActionsContextMenu);
    }
    for (QTreeWidget* table : {m_form.m_ColoniesTable, m_form.m_RejectedColoniesTable}) {
        table->addAction(showInImage);
        table->addAction(resizeColumns);
        table->setContextMenuPolicy(Qt::ActionsContextMenu);
    }
}

void ColonyResultTables::clearAll()
{
    clearColonyTables();
    m_form.m_ReferencePointsMetrics->clear();
    m_form.m_ReferencePointsPositions->clear();
}

void ColonyResultTables::clearColonyTables()
{
    m_form.m_ColoniesTable->clear();
    m_form.m_RejectedColoniesTable->clear();
}

void ColonyResultTables::setColonySortingEnabled(bool enabled)
{
    m_form.m_ColoniesTable->setSortingEnabled(enabled);
    m_form.m_RejectedColoniesTable->setSortingEnabled(enabled);
}

void ColonyResultTables::clearColonyCounts()
{
    m_form.m_QLabel_RejectedColoniesCount->clear();
    m_form.m_QLabel_GoodColoniesCount->clear();
}

void ColonyResultTables::addContainerRows(ColonyRackRecord::Container& container, int positionNumber,
                                          const QString& positionText, int rank)
{
    auto* good = new NumericSortTreeWidgetItem(m_form.m_ColoniesTable);
    good->setText(0, QStringLiteral("%1").arg(positionNumber));
    good->setText(2, positionText);
    good->setText(3, QStringLiteral("%1").arg(rank));
    good->setExpanded(true);
    auto* rejected = new NumericSortTreeWidgetItem(m_form.m_RejectedColoniesTable);
    rejected->setText(0, QStringLiteral("%1").arg(positionNumber));
    rejected->setText(2, positionText);
    rejected->setExpanded(true);
    container.goodItem = good;
    container.rejectedItem = rejected;
}

NumericSortTreeWidgetItem* ColonyResultTables::addColonyRow(const ColonyRackRecord::Container& container, bool good)
{
    auto* row = new NumericSortTreeWidgetItem(good ? container.goodItem : container.rejectedItem);
    row->setExpanded(true);
    return row;
}

void ColonyResultTables::writeColonyRow(const ColonyRackRecord::Colony& colony, int colorModel,
                                        const ColonySettingsData::ColonyData& limits)
{
    QTreeWidgetItem* item = colony.item;
    if (!item)
        return;
    const DatabaseTableZelvorinColony::Dataset& r = colony.row;
    for (int c = 0; c < item->columnCount(); ++c)
        unmarkCell(item, c);
    item->setText(0, QString::asprintf("%d", colony.containerNumber));
    item->setText(3, QString::asprintf("%d", int(r.PickingOrder)));
    item->setText(4, format("%.1f", r.PosX_px));
    item->setText(5, format("%.1f", r.PosY_px));
    writeColonyPosition(colony);
    item->setText(8, format("%.3f", r.Area_mm2));
    item->setText(9, format("%.3f", r.Circularity));
    item->setText(10, format("%.3f", r.ClearanceNeighbor_mm));
    item->setText(11, format("%.3f", r.ClearanceMargin_mm));
    if (colorModel == 1) {
        item->setText(12, format("%0.1f", r.ColorRed));
        item->setText(13, format("%0.1f", r.ColorGreen));
        item->setText(14, format("%0.1f", r.ColorBlue));
    }
    if (colorModel == 2) {
        item->setText(23, format("%.1f", r.ColorHue));
        item->setText(24, format("%.1f", r.ColorSaturation));
        item->setText(25, format("%.1f", r.ColorIntensity));
        item->setText(26, format("%.1f", r.ColorArea_pct));
    }
    if (r.IsGoodColony) {
        item->setText(15, format("%.1f", r.LoadingArea_pct));
        item->setText(16, format("%.1f", r.LoadingCircularity_pct));
        item->setText(17, format("%.1f", r.LoadingClearanceNeighbor_pct));
        item->setText(18, format("%.1f", r.LoadingClearanceMargin_pct));
        item->setText(19, format("%.1f", r.LoadingTotal_pct));
        if (colorModel == 1) {
            item->setText(20, format("%.3f", colony.weightedRed));
            item->setText(21, format("%.3f", colony.weightedGreen));
            item->setText(22, format("%.3f", colony.weightedBlue));
        }
    } else {
        for (int c = 15; c <= 22; ++c)
            item->setText(c, QString());
        markFailedLimits(item, colony, colorModel, limits);
    }
    alignRight(item, 1, item->columnCount());
}

void ColonyResultTables::writeColonyPosition(const ColonyRackRecord::Colony& colony)
{
    if (!colony.item)
        return;
    colony.item->setText(6, format("%.3f", colony.row.PosX_mm));
    colony.item->setText(7, format("%.3f", colony.row.PosY_mm));
}

void ColonyResultTables::addReferencePoint(const QString& text, const ImageRefPoint& point, IHalconView& view)
{
    auto* row = new NumericSortTreeWidgetItem(m_form.m_ReferencePointsPositions);
    row->setFlags(Qt::ItemIsEnabled);
    row->setText(0, text.isEmpty() ? ReferenceCornerNames(point.Index) : text);
    if (point.Found) {
        row->setText(1, QStringLiteral("-"));
    } else {
        row->setText(1, point.ErrorText);
        if (!point.ErrorText.isEmpty())
            row->setBackground(1, markColor());
    }
    row->setText(2, format("%.1f", point.PosX_px));
    row->setText(3, format("%.1f", point.PosY_px));
    row->setText(4, format("%.4f", point.Scale));
    row->setText(5, format("%.2f", point.Score));
    row->setText(6, format("%.4f", view.pixelsToPercentX(point.PosX_px)));
    row->setText(7, format("%.4f", view.pixelsToPercentY(point.PosY_px)));
    alignRight(row, 2, m_form.m_ReferencePointsPositions->columnCount());
}

void ColonyResultTables::showMetrics(const ImageRefPointsMetrics& metrics)
{
    QTreeWidget* table = m_form.m_ReferencePointsMetrics;
    table->clear();
    const bool usable = metrics.hasResolution();
    const struct {
        const char* label;
        double value;
    } rows[] = {
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "1. Horizontal Resolution [px/mm]:"), metrics.HorizontalResolution},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "2. Vertical Resolution [px/mm]:"), metrics.VerticalResolution},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "3. Rotation of horizontal axis to image axis [deg ccw]:"),
         metrics.AxisRotation * ImageRefPointsMetrics::DegreesPerRadian},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "4. Top left corner angle between vertical and horizontal axis [deg]:"),
         metrics.CornerAngle * ImageRefPointsMetrics::DegreesPerRadian},
    };
    for (int i = 0; i < 4; ++i) {
        auto* row = new QTreeWidgetItem(table);
        row->setText(0, QCoreApplication::translate("ColonyAnalyserGui", rows[i].label));
        row->setText(1, usable ? format("%.3f", rows[i].value) : QStringLiteral("-"));
        row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        if (i == 3 && !metrics.Message.isEmpty()) {
            row->setText(2, metrics.Message);
            row->setBackground(2, markColor());
        }
    }
}

void ColonyResultTables::showColonyCounts()
{
    int sums[2] = {0, 0};
    QTreeWidget* tables[2] = {m_form.m_ColoniesTable, m_form.m_RejectedColoniesTable};
    for (int t = 0; t < 2; ++t) {
        for (int i = 0; i < tables[t]->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = tables[t]->topLevelItem(i);
            item->setText(1, QStringLiteral("%1").arg(item->childCount()));
            sums[t] += item->childCount();
        }
    }
    m_form.m_QLabel_RejectedColoniesCount->setText(QStringLiteral("%1").arg(sums[1]));
    m_form.m_QLabel_GoodColoniesCount->setText(QStringLiteral("%1").arg(sums[0]));
}

void ColonyResultTables::fitColumns()
{
    for (QTreeWidget* table : {m_form.m_ColoniesTable, m_form.m_RejectedColoniesTable, m_form.m_ReferencePointsPositions,
                               m_form.m_ReferencePointsMetrics})
        Gui_Helper::widenColumnsToContents(table);
}
