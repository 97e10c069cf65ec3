#pragma once

#include "SearchAreaSettings.h"

#include <ModelMatchingSettings.h>

#include <QString>

#include <array>

// The plain values of the image stitcher settings, which the stitcher worker copies whole at
// every start: the distances between camera, cross plane, reference-points plane and agar
// plane (millimetres), the cross model's model-matching settings and, per picture position,
// the search areas of its two crosses.
struct ImageStitcherSettingsData {
    static constexpr int PicturesCount = 6;

    // Area1 is searched for the picture's cross of point 0, Area2 for point 1.
    struct PictureSearchAreas {
        SearchAreaSettings Area1;
        SearchAreaSettings Area2;
        bool operator==(const PictureSearchAreas& other) const = default;
    };

    // Every field at its default; the cross model searches with 5 pyramid levels.
    ImageStitcherSettingsData();
    void setDefaults();

    // The scale that carries a cross-plane position, taken about the picture centre, onto the
    // agar plane: 1 + (DistanceCrossPlaneToPointsPlane + DistancePointsPlaneToAgarPlane) /
    // DistanceCameraToCrossPlane. false (factor 1.0) unless the distances are usable.
    bool crossToAgarFactor(double& factor) const;
    // The Factor of the optical-axis correction a stitch publishes: 1 - (C - (P + C)) / D with
    // D, P, C the three distances (numerically 1 + P / D). false (factor 1.0) unless the
    // distances are usable.
    bool correctionFactor(double& factor) const;
    // Finite distances, a camera in front of the cross plane (D > 0) and both factors above 0:
    // anything else would divide by zero or mirror the pictures.
    bool distancesUsable() const;

    bool operator==(const ImageStitcherSettingsData& other) const = default;

    QString name;
    ModelMatchingSettings CrossModel;
    double DistanceCameraToCrossPlane = 246.1;
    double DistancePointsPlaneToAgarPlane = -2.5; // signed
    double DistanceCrossPlaneToPointsPlane = 10.8;
    // Index 0 is picture position 1. Positions 1 to 3 are the left column from top to bottom,
    // 4 to 6 the right column.
    std::array<PictureSearchAreas, PicturesCount> ReferencePoints;
};
