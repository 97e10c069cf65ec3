#pragma once

#include <Hobject.h>

#include <QtGlobal>

// One picture's place in a stitched picture: where its origin lies (rowOffset, colOffset) and
// which part of it is used (rows row1 .. row2, columns col1 .. col2, picture coordinates).
// halfWidth and halfHeight are the picture's integer halves: its optical axis.
struct ImageStitcherTile {
    qint32 index = -1;
    Halcon::Hobject hobjPicture;
    double rowOffset = 0.0;
    double colOffset = 0.0;
    double halfHeight = 0.0;
    double halfWidth = 0.0;
    double row1 = 0.0;
    double col1 = 0.0;
    double row2 = 0.0;
    double col2 = 0.0;
};
