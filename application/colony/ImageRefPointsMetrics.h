#pragma once

#include <QMetaType>
#include <QString>

// The plate coordinate system derived from the reference points. Angles are kept in radians;
// the page shows them in degrees.
class ImageRefPointsMetrics {
public:
    static constexpr double DegreesPerRadian = 57.295779513082;

    double HorizontalResolution = 0.0; // px/mm along the plate's horizontal axis
    double VerticalResolution = 0.0; // px/mm along the plate's vertical axis
    double AxisRotation = 0.0; // horizontal axis against the picture axis, counter-clockwise
    double CornerAngle = 0.0; // top-left corner between vertical and horizontal axis
    QString Message; // text of the failed coordinate-system check; empty when it passed

    // Both resolutions are usable numbers; otherwise the page shows "-" for all four values.
    bool hasResolution() const;

    bool operator==(const ImageRefPointsMetrics& other) const = default;

    // Registers the type under the name "ImageRefPointsMetrics"; safe to call repeatedly.
    static void registerMetaType();
};

Q_DECLARE_METATYPE(ImageRefPointsMetrics)
