#pragma once

// The stitcher demo tray as the demo tool made it (its seed): where its colonies lie in plate
// millimetres, and how far a list of found positions is from that truth.

#include <PlateScenes.h>

#include <QPointF>

#include <algorithm>
#include <cmath>
#include <vector>

namespace TrayTruth {

// From the top-left mark, the X axis starting 20 mm left of it.
inline std::vector<QPointF> demoColoniesInPlateMillimetres()
{
    PlateScenes::TrayOptions options;
    options.seed = 2024;
    const PlateScenes::TrayScene tray = PlateScenes::generateTray(options);
    const double c = std::cos(tray.rotation), s = std::sin(tray.rotation);
    std::vector<QPointF> truth;
    for (const PlateScenes::Colony& colony : tray.colonies) {
        const double dc = colony.column - tray.markColumns[0], dr = colony.row - tray.markRows[0];
        truth.emplace_back(20.0 + (c * dc - s * dr) / tray.resolution, (s * dc + c * dr) / tray.resolution);
    }
    return truth;
}

// The largest distance of a found position to its nearest true colony.
inline double worstDistance(const std::vector<QPointF>& found, const std::vector<QPointF>& truth)
{
    double worst = 0.0;
    for (const QPointF& position : found) {
        double nearest = 1e9;
        for (const QPointF& t : truth)
            nearest = std::min(nearest, std::hypot(position.x() - t.x(), position.y() - t.y()));
        worst = std::max(worst, nearest);
    }
    return worst;
}

} // namespace TrayTruth
