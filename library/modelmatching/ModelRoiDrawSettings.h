#pragma once

#include <QString>
#include <QStringList>

// How the model settings editor draws the model regions and which filter groups it shows.
struct ModelRoiDrawSettings {
    // Overlays under these prefixes are cleared before every redraw of the regions; the
    // first one names the drawing that follows a selection in the region list.
    QStringList prefixes;
    QString colour = QStringLiteral("yellow");
    QString selectedColour = QStringLiteral("yellow");
    int selectedLineWidth = 3;
    // Handles and centre mark of the move tool.
    QString moveColour = QStringLiteral("red");
    bool showMedian = true;
    bool showShock = false;
    bool showEmphasize = false;
};
