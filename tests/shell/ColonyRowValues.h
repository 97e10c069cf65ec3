#pragma once

// A colony row whose properties each hold a value of their own, so that a read or a hand-out
// that puts one field in the place of another shows.

#include "DatabaseTableZelvorinColony.h"

#include <QDateTime>

#include <array>

namespace ColonyRowValues {

// The doubles in the order the automation method hands them out: position X and Y, area,
// circularity, clearances to neighbour and margin, the four loadings, the total, hue,
// saturation, intensity, red, green, blue.
inline constexpr std::array<double, 17> doubles{5.0,  15.0, 1.5,   0.75,  2.5,   3.5, 10.0, 20.0, 30.0,
                                                40.0, 99.0, 100.0, 110.0, 120.0, 1.0, 2.0,  3.0};
constexpr int pickingState = 2;
constexpr int pickingOrder = 7;

inline QDateTime pickingDate()
{
    return QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9));
}

// The row's doubles in that order (pointers into the row, const for a const row).
template <typename Row>
auto doubleFields(Row& row)
{
    return std::array{&row.PosX_mm,
                      &row.PosY_mm,
                      &row.Area_mm2,
                      &row.Circularity,
                      &row.ClearanceNeighbor_mm,
                      &row.ClearanceMargin_mm,
                      &row.LoadingArea_pct,
                      &row.LoadingCircularity_pct,
                      &row.LoadingClearanceNeighbor_pct,
                      &row.LoadingClearanceMargin_pct,
                      &row.LoadingTotal_pct,
                      &row.ColorHue,
                      &row.ColorSaturation,
                      &row.ColorIntensity,
                      &row.ColorRed,
                      &row.ColorGreen,
                      &row.ColorBlue};
}

// Every property set; the flags excluded, good and user-edited all true.
inline void fill(DatabaseTableZelvorinColony::Dataset& row)
{
    const auto fields = doubleFields(row);
    for (size_t i = 0; i < doubles.size(); ++i)
        *fields[i] = doubles[i];
    row.PickingState = qint16(pickingState);
    row.IsExcluded = true;
    row.IsGoodColony = true;
    row.PickingOrder = pickingOrder;
    row.IsUserEdited = true;
    row.PickingDate = pickingDate();
}

} // namespace ColonyRowValues
