#pragma once

#include <QString>
#include <QStringList>

// How the search settings editor draws the search rectangle and which of its groups it
// shows and lets the operator edit.
struct SearchPositionDrawSettings {
    // Overlays under these prefixes are cleared when a search-rectangle drawing begins.
    QStringList prefixes;
    QString colour = QStringLiteral("light blue");
    // Handles and centre mark of the move tool.
    QString moveColour = QStringLiteral("red");
    bool showSearchPosition = true;
    // In define-model mode: the search position stays editable; the analyse group too.
    bool searchPositionInDefineMode = true;
    bool analyseInDefineMode = true;
    // The search-tolerance group is shown, its tolerances bounded by the two maxima.
    bool showSearchTolerance = false;
    double maxAngleTolerance = 0.0; // degrees
    double maxScaleTolerance = 0.0;
};
