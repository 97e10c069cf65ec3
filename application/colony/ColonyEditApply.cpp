#include "ColonyEditApply.h"

#include "DrawSettings.h"
#include "Hobject_View_Gui.h"
#include "IHalconView.h"
#include "NumericSortTreeWidgetItem.h"

#include <QSet>

#include <algorithm>

ColonyEditorModel::EditRack ColonyEditApply::editRack(const ColonyAnalyserGui::RackEntry& rack)
{
    ColonyEditorModel::EditRack result;
    result.picture = rack.picture;
    result.objectName = rack.objectName;
    result.rackRow = rack.row;
    result.containers.reserve(qsizetype(rack.containers.size()));
    for (const auto& container : rack.containers) {
        ColonyEditorModel::EditContainer edit;
        edit.objectName = container->objectName;
        edit.containerRow = container->row;
        edit.searchArea = container->searchArea;
        edit.containerIndex = container->containerIndex;
        edit.nextColonyNumber = container->colonyCount;
        for (size_t i = 0; i < container->colonies.size(); ++i) {
            const ColonyAnalyserGui::ColonyEntry& colony = *container->colonies[i];
            // Rejected colonies are not the operator's to edit.
            if (!colony.row.IsGoodColony)
                continue;
            ColonyEditorModel::EditColony editColony;
            editColony.objectName = colony.objectName;
            editColony.containerNumber = colony.containerNumber;
            editColony.pageIndex = qint32(i);
            editColony.colonyRow = colony.row;
            editColony.contour = colony.contour;
            edit.colonies.append(editColony);
        }
        result.containers.append(edit);
    }
    return result;
}

bool ColonyEditApply::fits(const ColonyAnalyserGui::RackEntry& rack, const ColonyEditorModel::EditRack& edited)
{
    if (size_t(edited.containers.size()) != rack.containers.size())
        return false;
    for (size_t c = 0; c < rack.containers.size(); ++c) {
        const auto& colonies = rack.containers[c]->colonies;
        const auto isGoodPageColony = [&](int index) {
            return index >= 0 && size_t(index) < colonies.size() && colonies[size_t(index)]->row.IsGoodColony;
        };
        const ColonyEditorModel::EditContainer& container = edited.containers.at(qsizetype(c));
        for (const ColonyEditorModel::EditColony& colony : container.colonies) {
            if (colony.pageIndex != -1 && !isGoodPageColony(colony.pageIndex))
                return false;
        }
        for (const int index : container.removedPageIndexes) {
            if (!isGoodPageColony(index))
                return false;
        }
    }
    return true;
}

Errors::Type_Error ColonyEditApply::apply(ColonyAnalyserGui& page, const ColonyEditorModel::EditRack& edited)
{
    ColonyAnalyserGui::RackEntry& rack = page.rack();
    if (!fits(rack, edited))
        return ErrorMismatch;

    IHalconView* view = page.halconView();
    for (size_t c = 0; c < rack.containers.size(); ++c) {
        ColonyAnalyserGui::ContainerEntry& container = *rack.containers[c];
        const ColonyEditorModel::EditContainer& edit = edited.containers.at(qsizetype(c));
        container.colonyCount = edit.nextColonyNumber;
        for (const ColonyEditorModel::EditColony& colony : edit.colonies) {
            if (colony.pageIndex == -1) {
                addColony(page, int(c), colony);
                continue;
            }
            ColonyAnalyserGui::ColonyEntry& entry = *container.colonies[size_t(colony.pageIndex)];
            entry.row.PickingOrder = colony.colonyRow.PickingOrder;
            entry.row.IsUserEdited = true;
            if (entry.item)
                entry.item->setText(3, QString::asprintf("%d", int(entry.row.PickingOrder)));
        }

        // From the last to the first, so the indexes still to come stay valid; added colonies
        // sit behind every page index.
        QList<int> removed = QSet<int>(edit.removedPageIndexes.cbegin(), edit.removedPageIndexes.cend()).values();
        std::sort(removed.begin(), removed.end());
        for (auto it = removed.crbegin(); it != removed.crend(); ++it) {
            const auto position = container.colonies.begin() + *it;
            view->removeObjects((*position)->objectName);
            delete (*position)->item;
            container.colonies.erase(position);
        }
    }
    page.showColonyCounts();
    page.view()->updateView(true);
    return 0;
}

void ColonyEditApply::addColony(ColonyAnalyserGui& page, int container, const ColonyEditorModel::EditColony& colony)
{
    ColonyAnalyserGui::ContainerEntry& entry = *page.rack().containers[size_t(container)];
    auto* item = new NumericSortTreeWidgetItem(entry.goodItem);
    item->setExpanded(true);
    auto added = std::make_unique<ColonyAnalyserGui::ColonyEntry>();
    added->objectName = colony.objectName;
    added->item = item;
    added->containerNumber = colony.containerNumber;
    added->contour = colony.contour;
    added->row = colony.colonyRow;
    ColonyAnalyserGui::ColonyEntry& placed = *added;
    entry.colonies.push_back(std::move(added));

    page.halconView()->addObject(colony.contour, DrawSettings::instance().at(DrawSettings::Colonies_Properties2),
                                 colony.objectName, true);
    page.UpdateTreeItemText(container, int(entry.colonies.size()) - 1);
    page.placeColony(placed);
}
