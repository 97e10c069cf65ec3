#pragma once

#include "ColonyRackRecord.h"
#include "ColonySettingsData.h"

#include <QString>

class IHalconView;
class ImageRefPoint;
class ImageRefPointsMetrics;
class NumericSortTreeWidgetItem;
class QAction;

namespace Ui {
class ColonyAnalyserGui;
}

// What the page's four result tables show: one row per reference point, the four metrics,
// and the good and the rejected colonies as trees with one top-level row per container.
// Rows belong to their tables; the rack record points at them.
class ColonyResultTables {
public:
    // The tables and count labels of the page's form, which outlives this. Every table sorts
    // by its first column.
    explicit ColonyResultTables(Ui::ColonyAnalyserGui& form);

    // The context menus: every table can size its columns, a colony table first shows the
    // colony in the picture.
    void addContextActions(QAction* resizeColumns, QAction* showInImage);

    void clearAll();
    void clearColonyTables();
    // Off while a run reports, so that rows stay in arrival order.
    void setColonySortingEnabled(bool enabled);
    void clearColonyCounts();

    // The container's top-level rows in both colony tables, expanded; they become its items.
    void addContainerRows(ColonyRackRecord::Container& container, int positionNumber, const QString& positionText,
                          int rank);
    // A new child row under the container's good or rejected row, expanded.
    static NumericSortTreeWidgetItem* addColonyRow(const ColonyRackRecord::Container& container, bool good);
    // Every cell of a colony's row from its colony row; a rejected colony has the values that
    // failed their limits marked instead of its weighted values.
    static void writeColonyRow(const ColonyRackRecord::Colony& colony, int colorModel,
                               const ColonySettingsData::ColonyData& limits);
    // The millimetre cells of a colony's row.
    static void writeColonyPosition(const ColonyRackRecord::Colony& colony);

    // view converts the point's pixels to percent.
    void addReferencePoint(const QString& text, const ImageRefPoint& point, IHalconView& view);
    void showMetrics(const ImageRefPointsMetrics& metrics);
    // Colonies per container in column 1 of both colony tables and the two count labels.
    void showColonyCounts();
    // Every shown column of the four tables at least as wide as its header and its values.
    void fitColumns();

private:
    Ui::ColonyAnalyserGui& m_form;
};
