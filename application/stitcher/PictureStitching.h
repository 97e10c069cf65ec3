#pragma once

#include "ImageStitcherTile.h"
#include "PictureCross.h"

#include <Hobject.h>

#include <QList>

class Hobject_View_Gui;

// Joins the six pictures of one plate (positions 1 to 3 the left column from top to bottom,
// 4 to 6 the right column) into one picture through the crosses neighbouring pictures share.
// Crosses come two per picture in picture order: entry 2n is point 0 (A(n)), 2n + 1 point 1
// (B(n)); all positions are the crosses' agar-plane positions, so the joins are seamless on
// the agar plane. Shared crosses: B(0)/A(1), B(1)/A(2), A(0)/A(3), B(3)/A(4), B(4)/A(5) and
// B(2)/B(5), where the two column chains meet again.
class PictureStitching {
public:
    static constexpr int PicturesCount = 6;

    // Exactly six pictures, twelve crosses and every cross found.
    static bool canStitch(const QList<Halcon::Hobject>& pictures, const QList<PictureCross>& crosses);

    // The tiles of the six pictures: each offset chained from picture 1 through its shared
    // cross, each picture cut at the shared crosses so every part of the plate comes from one
    // picture, and the vertical mismatch of the two chains at their last shared cross spread
    // over the right column. false (tiles empty) unless canStitch or when a picture's size
    // cannot be read.
    static bool layoutTiles(const QList<Halcon::Hobject>& pictures, const QList<PictureCross>& crosses,
                            QList<ImageStitcherTile>& tiles);

    // Size of the stitched picture: the outermost pixel any tile reaches (offsets rounded to
    // the nearest pixel, parts clipped to their pictures), so no tile is cut off at the
    // bottom or the right.
    static void stitchedSize(const QList<ImageStitcherTile>& tiles, int& width, int& height);

    // The stitched picture from the tiles (the layer's tile_images_offset): the layer's code,
    // 2 on success; stitched is empty on failure.
    static int tilePictures(const QList<ImageStitcherTile>& tiles, Halcon::Hobject& stitched);

    // The tile crops on their position viewers and on the result viewer, the optical axes
    // and the crosses as found and on the agar plane. Null viewers are passed over.
    static void drawTiles(const QList<ImageStitcherTile>& tiles, const QList<PictureCross>& crosses,
                          const QList<Hobject_View_Gui*>& pictureViews, Hobject_View_Gui* resultView);
};
