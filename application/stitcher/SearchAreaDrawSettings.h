#pragma once

#include <QString>
#include <QStringList>

// How a search-area editor draws on its viewer: the overlays cleared before a drawing
// begins and the colour of the outline while the mouse moves.
struct SearchAreaDrawSettings {
    // Removed in list order before the outline is drawn.
    QStringList prefixes;
    // Colour name of the layer's colour table.
    QString colour;
};
