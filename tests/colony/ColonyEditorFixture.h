#pragma once

// A small rack for the colony editor tests: two round containers side by side, three
// colonies in the first (pick order 1, 2, 3) and two in the second, handed in out of order
// (pick order 2, 1). Positions are picture pixels (x = column, y = row).

#include "ColonyEditorModel.h"
#include "HalconFunctions.h"

#include <Halcon.h>

#include <QList>
#include <QString>

namespace ColonyEditorFixture {

constexpr double ContainerRadius = 60.0;
constexpr double ColonyRadius = 6.0;
constexpr double Row = 100.0;
constexpr double Container0X = 100.0;
constexpr double Container1X = 300.0;

inline QString pageName(int containerNumber, int index)
{
    return QStringLiteral("HalconObject_Colonies.Included.%1.%2.").arg(containerNumber).arg(index);
}

inline ColonyEditorModel::EditColony colony(int containerNumber, int pageIndex, double x, int pickingOrder)
{
    ColonyEditorModel::EditColony result;
    result.objectName = pageName(containerNumber, pageIndex);
    result.containerNumber = containerNumber;
    result.pageIndex = pageIndex;
    result.contour = HalconGenCircle(Row, x, ColonyRadius);
    result.colonyRow.PosX_px = x;
    result.colonyRow.PosY_px = Row;
    result.colonyRow.PickingOrder = pickingOrder;
    result.colonyRow.IsGoodColony = true;
    result.colonyRow.LoadingTotal_pct = 50.0 + pageIndex;
    return result;
}

inline ColonyEditorModel::EditContainer container(int index, double x)
{
    ColonyEditorModel::EditContainer result;
    result.objectName = QStringLiteral("Container.%1.").arg(index);
    result.containerRow.ContainerNumber = qint16(index + 1);
    result.containerRow.ContainerName = QStringLiteral("A%1").arg(index + 1);
    result.containerRow.PickingOrder = qint16(index + 1);
    result.searchArea = HalconGenCircle(Row, x, ContainerRadius);
    result.containerIndex = index;
    return result;
}

inline ColonyEditorModel::EditRack rack()
{
    ColonyEditorModel::EditRack result;
    Halcon::gen_image_const(&result.picture, "byte", 400, 200);
    result.objectName = QStringLiteral("Rack.");
    result.rackRow.ColorModel = 0;

    ColonyEditorModel::EditContainer first = container(0, Container0X);
    first.colonies = {colony(1, 0, 80.0, 1), colony(1, 1, 100.0, 2), colony(1, 2, 120.0, 3)};
    first.nextColonyNumber = 3;
    ColonyEditorModel::EditContainer second = container(1, Container1X);
    second.colonies = {colony(2, 0, 280.0, 2), colony(2, 1, 320.0, 1)};
    second.nextColonyNumber = 2;
    result.containers = {first, second};
    return result;
}

// Page indexes of a container's colonies in list order (-1 for added ones).
inline QList<int> pageIndexes(const ColonyEditorModel::EditContainer& container)
{
    QList<int> result;
    for (const ColonyEditorModel::EditColony& colony : container.colonies)
        result.append(colony.pageIndex);
    return result;
}

inline QList<int> pickOrders(const ColonyEditorModel::EditContainer& container)
{
    QList<int> result;
    for (const ColonyEditorModel::EditColony& colony : container.colonies)
        result.append(colony.colonyRow.PickingOrder);
    return result;
}

} // namespace ColonyEditorFixture
