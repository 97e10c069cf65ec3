#pragma once

#include <Errors.h>
#include <HTuple.h>
#include <HalconTypes.h>
#include <Hobject.h>

#include <QList>

// Where a model's reference point may lie so that the whole model stays inside a search
// region: the model's extent, taken from its regions of interest or its edges, and the
// rectangle of allowed positions it leaves in the region. Restricting the find to that
// rectangle keeps it from testing positions where the model cannot lie. Pixels; angles
// in degrees.
class ModelMatchingSearchArea {
public:
    // Bounding box in whole pixels, corners included. A fresh box is wider and higher than
    // any model, so the first measured box always replaces it.
    struct Box {
        Halcon::Hlong Row1 = 0;
        Halcon::Hlong Column1 = 0;
        Halcon::Hlong Row2 = 999999;
        Halcon::Hlong Column2 = 999999;
        Halcon::Hlong Width() const { return Column2 - Column1; }
        Halcon::Hlong Height() const { return Row2 - Row1; }
    };

    // The angles the extent is measured at: from angle - tolerance in steps of 10 while
    // below angle + tolerance, then angle + tolerance, then angle itself. A tolerance is
    // taken as 180 at most (and 0 when not a number): never more than a turn's worth.
    static QList<double> SweepAngles(double angle, double tolerance);
    // The quarter turn a model is measured with when the search asks for one: 90 for
    // angles strictly between 45 and 135, 270 strictly between 225 and 315, else 0.
    static double QuadrantTurn(double angle);
    // Pixels added to the free extent: searchMargin above 0, nothing for 0, below 0
    // (levels - 1) * 14 with levels the request's pyramid levels when 0 or more, else the
    // settings' ones, and 6 when those are 0 or less.
    static double Margin(double searchMargin, int requestLevels, int settingsLevels);

    // The extent of the region contours: with sweep, the smallest width and (apart) the
    // smallest height over the sweep angles, turned about the first contour's centre;
    // without, the box with the contours turned by QuadrantTurn(angle).
    static Errors::Type_Error RoiExtent(const Halcon::Hobject& roiContours, double angle, double tolerance,
                                        bool sweep, Box& box, int& status);
    // The box of the filled contours.
    static Errors::Type_Error ContourExtent(const Halcon::Hobject& contours, Box& box, int& status);

    // The rectangle of allowed positions of the reference point (at originRow, originColumn
    // in the model's frame, which box is measured in) inside searchRegion, grown by margin.
    static Errors::Type_Error ReferenceRectangle(const Halcon::Hobject& searchRegion, const Box& model,
                                                 double originRow, double originColumn, double margin,
                                                 Halcon::Hobject& rectangle, int& status);
};
