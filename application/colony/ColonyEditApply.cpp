#include "ColonyEditApply.h"

#include <QHash>

#include <algorithm>

Errors::Type_Error ColonyEditApply::changes(const ColonyEditorModel::EditRack& before,
                                            const ColonyEditorModel::EditRack& after, QList<ContainerChange>& result)
{
    result.clear();
    if (before.containers.size() != after.containers.size())
        return ErrorMismatch;
    QList<ContainerChange> collected;
    for (int i = 0; i < after.containers.size(); ++i) {
        const ColonyEditorModel::EditContainer& original = before.containers.at(i);
        const ColonyEditorModel::EditContainer& edited = after.containers.at(i);
        QHash<int, qint32> handedIn;
        for (const ColonyEditorModel::EditColony& colony : original.colonies)
            handedIn.insert(colony.pageIndex, colony.colonyRow.PickingOrder);

        ContainerChange change;
        change.nextColonyNumber = edited.nextColonyNumber;
        for (const ColonyEditorModel::EditColony& colony : edited.colonies) {
            if (colony.pageIndex == -1) {
                change.added.append(colony);
                continue;
            }
            const auto found = handedIn.constFind(colony.pageIndex);
            if (found == handedIn.constEnd())
                return ErrorMismatch;
            if (found.value() != colony.colonyRow.PickingOrder)
                change.pickOrders.append({colony.pageIndex, colony.colonyRow.PickingOrder});
        }
        for (int pageIndex : edited.removedPageIndexes) {
            if (!handedIn.contains(pageIndex))
                return ErrorMismatch;
            change.removedPageIndexes.append(pageIndex);
        }
        std::sort(change.removedPageIndexes.begin(), change.removedPageIndexes.end());
        change.removedPageIndexes.erase(
            std::unique(change.removedPageIndexes.begin(), change.removedPageIndexes.end()),
            change.removedPageIndexes.end());
        collected.append(change);
    }
    result = collected;
    return 0;
}

Errors::Type_Error ColonyEditApply::apply(const QList<ContainerChange>& changes, QList<QList<ImageColony>>& colonies,
                                          QList<qint32>& colonyCounts)
{
    if (changes.size() != colonies.size() || changes.size() != colonyCounts.size())
        return ErrorMismatch;
    for (int i = 0; i < changes.size(); ++i) {
        const qsizetype count = colonies.at(i).size();
        for (const PickOrderChange& change : changes.at(i).pickOrders) {
            if (change.pageIndex < 0 || change.pageIndex >= count)
                return ErrorMismatch;
        }
        for (int pageIndex : changes.at(i).removedPageIndexes) {
            if (pageIndex < 0 || pageIndex >= count)
                return ErrorMismatch;
        }
    }

    for (int i = 0; i < changes.size(); ++i) {
        const ContainerChange& change = changes.at(i);
        QList<ImageColony>& list = colonies[i];
        colonyCounts[i] = change.nextColonyNumber;
        for (const PickOrderChange& pickOrder : change.pickOrders) {
            list[pickOrder.pageIndex].PickingOrder = pickOrder.pickingOrder;
            list[pickOrder.pageIndex].IsUserEdited = true;
        }
        for (const ColonyEditorModel::EditColony& added : change.added) {
            ImageColony colony = toImageColony(added);
            colony.ColonyIndex = qint32(list.size());
            list.append(colony);
        }
        for (auto it = change.removedPageIndexes.crbegin(); it != change.removedPageIndexes.crend(); ++it)
            list.removeAt(*it);
    }
    return 0;
}

ImageColony ColonyEditApply::toImageColony(const ColonyEditorModel::EditColony& colony)
{
    const DatabaseTableZelvorinColony::Dataset& row = colony.colonyRow;
    ImageColony result;
    result.ContainerNumber = colony.containerNumber;
    result.Label = colony.objectName;
    result.Contour = colony.contour;
    result.PosX_px = row.PosX_px;
    result.PosY_px = row.PosY_px;
    result.PosX_mm = row.PosX_mm;
    result.PosY_mm = row.PosY_mm;
    result.Area_mm2 = row.Area_mm2;
    result.Circularity = row.Circularity;
    result.ClearanceNeighbor_mm = row.ClearanceNeighbor_mm;
    result.ClearanceMargin_mm = row.ClearanceMargin_mm;
    result.LoadingArea_pct = row.LoadingArea_pct;
    result.LoadingCircularity_pct = row.LoadingCircularity_pct;
    result.LoadingClearanceNeighbor_pct = row.LoadingClearanceNeighbor_pct;
    result.LoadingClearanceMargin_pct = row.LoadingClearanceMargin_pct;
    result.LoadingTotal_pct = row.LoadingTotal_pct;
    result.ColorHue = row.ColorHue;
    result.ColorSaturation = row.ColorSaturation;
    result.ColorIntensity = row.ColorIntensity;
    result.ColorArea_pct = row.ColorArea_pct;
    result.ColorRed = row.ColorRed;
    result.ColorGreen = row.ColorGreen;
    result.ColorBlue = row.ColorBlue;
    result.IsGoodColony = row.IsGoodColony;
    result.IsExcluded = row.IsExcluded;
    result.PickingOrder = row.PickingOrder;
    result.IsUserEdited = row.IsUserEdited;
    result.ErrorCode = row.ErrorCode;
    return result;
}
