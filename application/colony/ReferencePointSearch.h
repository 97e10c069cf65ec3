#pragma once

#include "ColonySettingsData.h"
#include "ImageRefPoint.h"
#include "ImageRefPointsMetrics.h"

#include <Errors.h>
#include <HTuple.h>
#include <HalconShapeModel.h>
#include <Hobject.h>

#include <QMutex>
#include <QString>

class CorrectionInfo;
class IHalconView;
class IImageRefPointsView;
struct DrawStyle;

// "1. Top Left" ... "4. Bottom Right" for the point indices 0 to 3; empty for any other.
QString ReferenceCornerNames(int index);

// Finds the four reference marks of a plate picture (or places three of them at fixed
// positions), derives resolution, rotation and corner angle from them and builds the two
// transforms every later analysis step uses: pixels -> height-corrected pixels
// (transformHeightScale) -> plate millimetres (transformPlateCoordinates).
//
// Points are (row, column) at the transforms; plate millimetres come out as (Y, X).
//
// run, reset and computeScaleTransform belong to the analysis worker thread. The matrices
// and metrics are published under a lock, so the page may convert positions and read
// metrics() while a new run rebuilds them; between runs the page sees identity transforms.
// The public metric fields are for the engine objects on the worker thread.
class ReferencePointSearch {
public:
    using ReferencePoints = ColonySettingsData::ReferencePointsData;

    static constexpr int PointCount = 4;
    enum PointPosition { TopLeft = 0, TopRight = 1, BottomLeft = 2, BottomRight = 3 };

    // px/mm along the plate's horizontal and vertical axes and their mean (lengths and areas).
    double HorizontalResolution = 0.0;
    double VerticalResolution = 0.0;
    double MeanResolution = 0.0;
    // Radians: line top left -> top right against the picture's horizontal axis
    // (counter-clockwise), and the top-left corner from the vertical to the horizontal line.
    double AxisRotation = 0.0;
    double CornerAngle = 0.0;

    ReferencePointSearch();
    ReferencePointSearch(const ReferencePointSearch&) = delete;
    ReferencePointSearch& operator=(const ReferencePointSearch&) = delete;

    // Neither is owned; either may be null (nothing is drawn or reported then).
    void init(IHalconView* view, IImageRefPointsView* pointsView);
    void reset();

    // The settings record stays the caller's and must outlive the next run: the height-scale
    // transform is rebuilt from it on computeScaleTransform. A null correction (or one with
    // factor 1.0) leaves the found points as they are.
    Errors::Type_Error run(Halcon::Hobject picture, const ReferencePoints* settings,
                           const CorrectionInfo* correction);

    // Rebuilds the height-scale transform from the current settings and picture size; 0.
    Errors::Type_Error computeScaleTransform();

    // Outputs default to the input, so a failing operator hands the position back unchanged.
    void transformHeightScale(double row, double column, double* rowOut, double* columnOut) const;
    // Takes a height-corrected position; gives (Y mm, X mm).
    void transformPlateCoordinates(double row, double column, double* yMillimetres, double* xMillimetres) const;

    // The search operator, replaceable by tests (for instance to ask for every match); it
    // has the signature of find_scaled_shape_model. Null restores the vision layer's.
    using ShapeSearchFunction = decltype(&Halcon::find_scaled_shape_model);
    void setShapeSearchFunction(ShapeSearchFunction search);

    // Copies for other threads.
    ImageRefPointsMetrics metrics() const;
    ImageRefPoint point(int index) const;
    Halcon::HTuple heightScaleMatrix() const;
    Halcon::HTuple plateMatrix() const;
    // 0, 162 after a failed corner-angle check, 164 after unusable distances.
    Errors::Type_Error cornerResult() const;

private:
    Errors::Type_Error useFixedPositions();
    Errors::Type_Error searchShapeModels(const CorrectionInfo* correction);
    Errors::Type_Error computeMetrics();
    Errors::Type_Error checkCornerAngle();
    Errors::Type_Error computeCoordinateSystem();
    Errors::Type_Error computeCoordinateSystemFixed();
    // Plate millimetres: the picture turned by the axis rotation about (row, column), scaled
    // from pixels, that point placed at (originRow, originColumn).
    void setPlateMatrix(double row, double column, double originRow, double originColumn);
    void showMatch();

    // What the search operator answered for one area.
    struct AreaMatches {
        Halcon::Herror error = Halcon::kSuccess;
        Halcon::HTuple rows, columns, angles, scales, scores;
    };
    // Only reads the picture, the settings and the model: the areas are searched at once.
    AreaMatches findMatches(const Halcon::HTuple& model, const Halcon::Hobject& areaRegion, double scaleRange) const;
    // Draws and keeps what was found in area 1 .. 4; result gets the code of a failed area.
    void reportArea(int area, const Halcon::HTuple& model, const Halcon::Hobject& areaRegion,
                    const AreaMatches& search, Errors::Type_Error& result);
    void drawAreaNotFound(int area, const Halcon::Hobject& areaRegion);
    void applyCorrection(const CorrectionInfo& correction);
    void percentToPixels(double x, double y, double& xPixels, double& yPixels) const;
    void setMatrices(const Halcon::HTuple& heightScale, const Halcon::HTuple& plate);
    // One of the matrices applied to a point; the outputs stay the input where it cannot be.
    void transform(const Halcon::HTuple& matrix, double row, double column, double* first, double* second) const;
    Halcon::HTuple buildScaleTransform() const;
    // Label and cross size: 3 % of the picture height, whole pixels.
    double markSize() const;

    static const DrawStyle& style(int entry);

    ShapeSearchFunction m_shapeSearch = &Halcon::find_scaled_shape_model;
    IHalconView* m_view = nullptr;
    IImageRefPointsView* m_pointsView = nullptr;
    const ReferencePoints* m_settings = nullptr;
    Halcon::Hobject m_picture;
    int m_width = 0;
    int m_height = 0;
    Errors::Type_Error m_cornerResult = 0;
    Halcon::HTuple m_heightScaleMatrix;
    Halcon::HTuple m_plateMatrix;
    ImageRefPoint m_points[PointCount];

    // Guards the matrices, the metric fields, the points and the picture size against the
    // page's readers.
    mutable QMutex m_mutex;
};
