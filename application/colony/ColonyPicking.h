#pragma once

#include <QString>

struct ColonyRackRecord;
class Hobject_View_Gui;
class QTreeWidget;
class QTreeWidgetItem;

// Picking a colony in the tables or in the picture of the Colony Analyser page: the current
// row of a colony table selects the colony's overlays, an overlay the view reports selected
// makes its colony's row current, a click beside every colony clears the view's selection,
// and a colony's row can be centred in the view. Only one of the two colony tables has a
// current row; the other loses its own without signals.
class ColonyPicking {
public:
    // None of them is owned.
    ColonyPicking(const ColonyRackRecord& rack, Hobject_View_Gui* view, QTreeWidget* good, QTreeWidget* rejected);

    void rowChanged(QTreeWidgetItem* current);
    void objectSelected(const QString& objectName);
    void pressed(double x, double y);
    // Rows that are no named colony do nothing.
    void centerOn(const QTreeWidgetItem* item);

    bool isColonyTable(const QTreeWidget* table) const { return table && (table == m_good || table == m_rejected); }

private:
    QTreeWidget* otherTable(const QTreeWidget* own) const { return own == m_good ? m_rejected : m_good; }

    const ColonyRackRecord& m_rack;
    Hobject_View_Gui* m_view;
    QTreeWidget* m_good;
    QTreeWidget* m_rejected;
};
