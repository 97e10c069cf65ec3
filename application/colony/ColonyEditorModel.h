#pragma once

#include "DatabaseTableZelvorinColony.h"
#include "DatabaseTableZelvorinContainer.h"
#include "DatabaseTableZelvorinRack.h"

#include <Hobject.h>

#include <QList>
#include <QPair>
#include <QString>

class QTreeWidgetItem;

// What the colony editor does to its copy of a rack, apart from any widget: the pick order
// within a container, adding and removing colonies, and finding what lies under a point.
// The records are plain values that own everything they hold; the row items are only
// remembered for the dialog, which owns them through its table.
class ColonyEditorModel {
public:
    struct EditColony {
        QString objectName;
        QTreeWidgetItem* rowItem = nullptr;
        qint32 containerNumber = -1;
        Halcon::Hobject contour;
        DatabaseTableZelvorinColony::Dataset colonyRow;
        qint32 pageIndex = -1; // -1: added in the editor

        bool operator<(const EditColony& other) const { return colonyRow.PickingOrder < other.colonyRow.PickingOrder; }
    };

    struct EditContainer {
        QString objectName;
        DatabaseTableZelvorinContainer::Dataset containerRow;
        QList<EditColony> colonies;
        Halcon::Hobject searchArea;
        qint32 containerIndex = 0;
        qint32 nextColonyNumber = 0;
        QTreeWidgetItem* rowItem = nullptr;
        QList<int> removedPageIndexes;
    };

    struct EditRack {
        Halcon::Hobject picture;
        QString objectName;
        QList<EditContainer> containers;
        DatabaseTableZelvorinRack::Dataset rackRow;
    };

    // A selected colony: container index, colony index.
    using Position = QPair<int, int>;

    static constexpr double AddedColonyRadius = 6.0;

    ColonyEditorModel() = default;
    // The colonies of every container are put into pick order.
    explicit ColonyEditorModel(const EditRack& rack);

    EditRack& rack() { return m_rack; }
    const EditRack& rack() const { return m_rack; }
    // Set by every edit the user asked for, also by a move that could not move; never cleared.
    bool isChanged() const { return m_changed; }
    void setChanged() { m_changed = true; }

    bool isValid(int container) const { return container >= 0 && container < m_rack.containers.size(); }
    bool isValid(int container, int colony) const
    {
        return isValid(container) && colony >= 0 && colony < m_rack.containers.at(container).colonies.size();
    }

    // Stable: colonies of equal pick order keep their order.
    static void sortColonies(QList<EditColony>& colonies);
    // PickingOrder of list position p := p + 1.
    void assignPickOrderFromPositions(int container);

    // First container (list order) whose search area holds the point, then its first colony
    // whose contour holds it; both -1 first. True when either was found.
    bool hitTest(double x, double y, int& container, int& colony) const;
    bool findColonyByName(const QString& name, int& container, int& colony) const;
    bool findColonyByItem(const QTreeWidgetItem* item, int& container, int& colony) const;

    // A new colony at the point, first in the pick order of the container hit; the colony
    // index of the new colony is 0. False (nothing changed) outside every container.
    bool addColony(double x, double y, int& container);
    // Takes the colony out; a colony that came from the page leaves its page index behind.
    bool removeColony(int container, int colony);
    // One place up (step -1) or down (+1) within its container. Marks the edit even when the
    // colony cannot move; false for a position that names no colony.
    bool moveColony(int container, int colony, int step);
    // The colonies to the top or the bottom of their containers, keeping their relative
    // order; returns the containers touched, in ascending order. Always marks the edit.
    QList<int> moveColoniesToEnd(const QList<Position>& colonies, bool top);

    // Name of a colony added at the container's next number: "HalconObject_Colonies.Included.%1.%2."
    static QString addedColonyName(int containerNumber, int colonyNumber);

private:
    EditRack m_rack;
    bool m_changed = false;
};
