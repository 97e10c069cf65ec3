#include "ColonyEditorModel.h"

#include "HalconFunctions.h"

#include <Halcon.h>

#include <QHash>
#include <QSet>

#include <algorithm>

namespace {

bool contains(const Halcon::Hobject& contour, double x, double y)
{
    Halcon::HTuple inside;
    if (Halcon::test_xld_point(contour, y, x, &inside) != 2)
        return false;
    for (const Halcon::HValue& value : inside.Values()) {
        if (value.L() != 0)
            return true;
    }
    return false;
}

} // namespace

ColonyEditorModel::ColonyEditorModel(const EditRack& rack)
    : m_rack(rack)
{
    for (EditContainer& container : m_rack.containers)
        sortColonies(container.colonies);
}

void ColonyEditorModel::sortColonies(QList<EditColony>& colonies)
{
    std::stable_sort(colonies.begin(), colonies.end());
}

void ColonyEditorModel::assignPickOrderFromPositions(int container)
{
    if (!isValid(container))
        return;
    QList<EditColony>& colonies = m_rack.containers[container].colonies;
    for (int p = 0; p < colonies.size(); ++p)
        colonies[p].colonyRow.PickingOrder = p + 1;
}

bool ColonyEditorModel::hitTest(double x, double y, int& container, int& colony) const
{
    container = -1;
    colony = -1;
    for (int i = 0; i < m_rack.containers.size(); ++i) {
        const EditContainer& entry = m_rack.containers.at(i);
        if (!contains(entry.searchArea, x, y))
            continue;
        container = i;
        for (int j = 0; j < entry.colonies.size(); ++j) {
            if (contains(entry.colonies.at(j).contour, x, y)) {
                colony = j;
                break;
            }
        }
        break;
    }
    return container >= 0 || colony >= 0;
}

bool ColonyEditorModel::findColonyByName(const QString& name, int& container, int& colony) const
{
    container = -1;
    colony = -1;
    for (int i = 0; i < m_rack.containers.size(); ++i) {
        const QList<EditColony>& colonies = m_rack.containers.at(i).colonies;
        for (int j = 0; j < colonies.size(); ++j) {
            if (colonies.at(j).objectName == name) {
                container = i;
                colony = j;
                return true;
            }
        }
    }
    return false;
}

bool ColonyEditorModel::findColonyByItem(const QTreeWidgetItem* item, int& container, int& colony) const
{
    container = -1;
    colony = -1;
    if (!item)
        return false;
    for (int i = 0; i < m_rack.containers.size(); ++i) {
        const QList<EditColony>& colonies = m_rack.containers.at(i).colonies;
        for (int j = 0; j < colonies.size(); ++j) {
            if (colonies.at(j).rowItem == item && !colonies.at(j).objectName.isEmpty()) {
                container = i;
                colony = j;
                return true;
            }
        }
    }
    return false;
}

QString ColonyEditorModel::addedColonyName(int containerNumber, int colonyNumber)
{
    // The closing "." keeps colony 1 from matching colony 10 as a name prefix.
    return QStringLiteral("HalconObject_Colonies.Included.%1.%2.").arg(containerNumber).arg(colonyNumber);
}

bool ColonyEditorModel::addColony(double x, double y, int& container)
{
    int colony = -1;
    hitTest(x, y, container, colony);
    if (container < 0)
        return false;
    EditContainer& target = m_rack.containers[container];
    m_changed = true;

    EditColony added;
    added.objectName = addedColonyName(target.containerRow.ContainerNumber, target.nextColonyNumber);
    ++target.nextColonyNumber;
    added.contour = HalconGenCircle(y, x, AddedColonyRadius);
    added.containerNumber = target.containerRow.ContainerNumber;
    added.pageIndex = -1;
    added.colonyRow.clear();
    added.colonyRow.PosX_px = x;
    added.colonyRow.PosY_px = y;
    added.colonyRow.PosX_mm = 0.0;
    added.colonyRow.PosY_mm = 0.0;
    added.colonyRow.ClearanceNeighbor_mm = 0.0;
    added.colonyRow.ClearanceMargin_mm = 0.0;
    added.colonyRow.Circularity = 1.0;
    added.colonyRow.PickingOrder = 0;
    added.colonyRow.IsExcluded = false;
    added.colonyRow.IsGoodColony = true;
    added.colonyRow.IsUserEdited = true;
    target.colonies.prepend(added);
    assignPickOrderFromPositions(container);
    return true;
}

bool ColonyEditorModel::removeColony(int container, int colony)
{
    if (!isValid(container, colony))
        return false;
    EditContainer& target = m_rack.containers[container];
    const qint32 pageIndex = target.colonies.at(colony).pageIndex;
    if (pageIndex != -1)
        target.removedPageIndexes.append(pageIndex);
    target.colonies.removeAt(colony);
    m_changed = true;
    assignPickOrderFromPositions(container);
    return true;
}

bool ColonyEditorModel::moveColony(int container, int colony, int step)
{
    m_changed = true;
    if (!isValid(container, colony))
        return false;
    QList<EditColony>& colonies = m_rack.containers[container].colonies;
    // The list is in pick order; moving in the list and renumbering gives a move of exactly
    // one place even when the values passed in had gaps.
    const int target = colony + (step < 0 ? -1 : 1);
    if (target >= 0 && target < colonies.size())
        colonies.move(colony, target);
    assignPickOrderFromPositions(container);
    return true;
}

QList<int> ColonyEditorModel::moveColoniesToEnd(const QList<Position>& selection, bool top)
{
    m_changed = true;
    QSet<int> touched;
    QHash<int, QSet<int>> selectedPerContainer;
    for (const Position& position : selection) {
        if (!isValid(position.first, position.second))
            continue;
        touched.insert(position.first);
        selectedPerContainer[position.first].insert(position.second);
    }
    QList<int> containers(touched.begin(), touched.end());
    std::sort(containers.begin(), containers.end());
    for (int container : containers) {
        const QSet<int>& selected = selectedPerContainer.value(container);
        QList<EditColony>& colonies = m_rack.containers[container].colonies;
        QList<EditColony> moved;
        QList<EditColony> others;
        for (int j = 0; j < colonies.size(); ++j)
            (selected.contains(j) ? moved : others).append(colonies.at(j));
        colonies = top ? moved + others : others + moved;
        assignPickOrderFromPositions(container);
    }
    return containers;
}
