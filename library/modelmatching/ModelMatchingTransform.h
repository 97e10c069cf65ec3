#pragma once

// A similarity transform of the plane in parts: scale about the pivot, rotate about it,
// then shift. X is the picture column, Y the row; the angle is in degrees, positive
// counter-clockwise on screen. Scale 0.0 marks a transform that is not set.
struct ModelMatchingTransform {
    ModelMatchingTransform() = default;
    ModelMatchingTransform(double pivotX, double pivotY, double shiftX, double shiftY, double scale, double angle,
                           bool pivotDoubled)
        : PivotX(pivotX), PivotY(pivotY), ShiftX(shiftX), ShiftY(shiftY), Scale(scale), Angle(angle),
          PivotDoubled(pivotDoubled)
    {
    }

    bool IsSet() const { return Scale != 0.0; }
    // The fixed point of scaling and rotation.
    double FixedX() const { return PivotDoubled ? 2.0 * PivotX : PivotX; }
    double FixedY() const { return PivotDoubled ? 2.0 * PivotY : PivotY; }

    bool operator==(const ModelMatchingTransform& other) const = default;

    double PivotX = 0.0;
    double PivotY = 0.0;
    double ShiftX = 0.0;
    double ShiftY = 0.0;
    double Scale = 0.0;
    double Angle = 0.0;
    // The fixed point is (2 * PivotX, 2 * PivotY): a found match's transform keeps the
    // model origin as pivot, and the model's reference point lies at twice the origin.
    bool PivotDoubled = false;
};
