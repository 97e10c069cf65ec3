#pragma once

#include "Errors.h"

#include <Hobject.h>

#include <QMetaType>
#include <QString>

#include <limits>

// One detected colony with its measures, weighting, colour and pick order. Travels by value
// from the worker to the page through queued signals; the fields named like the colony table
// columns are stored there under those names. X is the picture column, Y the row.
class ImageColony {
public:
    qint32 ContainerNumber = 0; // 1 .. number of containers; 0 for an unknown direction
    qint32 ColonyIndex = -1; // position in the container's colony list
    bool IsGoodColony = false;
    bool PropertiesPassed = false;
    bool ColorPassed = false;
    Errors::Type_Error ErrorCode = 0; // of the colour evaluation
    Halcon::Hobject Contour; // closed XLD contour
    QString Label; // overlay name in the viewer
    double PosX_px = 0.0;
    double PosY_px = 0.0;
    double Area_px = 0.0;
    double Radius_px = 0.0;
    double PosXCorrected_px = 0.0;
    double PosYCorrected_px = 0.0;
    double PosX_mm = 0.0;
    double PosY_mm = 0.0;
    double Area_mm2 = 0.0;
    double Circularity = 0.0;
    double ClearanceNeighbor_mm = 0.0;
    double ClearanceMargin_mm = 0.0;
    bool CenterInside = false;
    bool SelfIntersecting = false;
    double LoadingArea_pct = 0.0;
    double LoadingCircularity_pct = 0.0;
    double LoadingClearanceNeighbor_pct = 0.0;
    double LoadingClearanceMargin_pct = 0.0;
    double ColorRed = 0.0;
    double ColorGreen = 0.0;
    double ColorBlue = 0.0;
    double LoadingColorRed_pct = 0.0;
    double LoadingColorGreen_pct = 0.0;
    double LoadingColorBlue_pct = 0.0;
    double LoadingTotal_pct = 0.0; // sort key of the pick order
    double ColorHue = 0.0;
    double ColorSaturation = 0.0;
    double ColorIntensity = 0.0;
    double ColorArea_pct = 0.0;
    qint32 PickingOrder = 0; // 1, 2, ... for good colonies; 0 otherwise
    bool IsExcluded = false;
    bool IsUserEdited = false;
    Halcon::Hobject OutlineContour; // display outline around Contour
    qint32 NeighborIndex = -1; // ColonyIndex of the nearest colony; -1 none
    // The largest double means that there is no neighbour.
    double NeighborDistance_px = std::numeric_limits<double>::max();

    bool hasNeighbor() const { return NeighborIndex >= 0; }

    // Registers the type under the name "ImageColony"; safe to call repeatedly.
    static void registerMetaType();
};

Q_DECLARE_METATYPE(ImageColony)
