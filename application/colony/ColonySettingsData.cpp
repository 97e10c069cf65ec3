#include "ColonySettingsData.h"

ColonySettingsData ColonySettingsData::standardDefaults()
{
    return ColonySettingsData();
}

ColonySettingsData ColonySettingsData::lightTableDefaults()
{
    ColonySettingsData data;
    ReferencePointsData& points = data.ReferencePoints;
    points.DistanceX = 245.0;
    points.DistanceY = 245.0;
    points.SearchPosition[0] = {1.0, 1.0};
    points.SearchPosition[1] = {90.0, 1.0};
    points.SearchPosition[2] = {1.0, 91.0};
    points.SearchPosition[3] = {90.0, 91.0};
    points.SearchPositionWidth = 8.0;
    points.SearchPositionHeight = 8.0;
    points.DistanceCameraToRefPointPlane = 235.3;
    points.DistanceRefPointPlaneToAgarPlane = -2.5;

    LabwareData& labware = data.Labware;
    labware.PositionX = 7.85;
    labware.PositionY = 7.88;
    labware.SizeX = 82.74;
    labware.SizeY = 83.99;
    return data;
}
