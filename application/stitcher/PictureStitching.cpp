#include "PictureStitching.h"

#include <HalconFunctions.h>
#include <Halcon_Helper.h>
#include <Hobject_View_Gui.h>
#include <LabwareGrid.h>

#include <Halcon.h>

#include <algorithm>
#include <cmath>

using Halcon::Hobject;
using Halcon::HTuple;
using Halcon::HValue;

namespace {

constexpr int kA = 0; // point index of a picture's first cross
constexpr int kB = 1;

int crossIndex(int picture, int point)
{
    return 2 * picture + point;
}

// The first pixel of a tile's part in the stitched picture, as the tiles are handed to the
// layer.
double offsetRowOf(const ImageStitcherTile& tile)
{
    return tile.row1 + tile.rowOffset;
}

double offsetColOf(const ImageStitcherTile& tile)
{
    return tile.col1 + tile.colOffset;
}

// Child's origin from its parent's through the cross both show.
void chain(QList<ImageStitcherTile>& tiles, const QList<PictureCross>& crosses, int child, int childPoint, int parent,
           int parentPoint)
{
    const PictureCross& inParent = crosses.at(crossIndex(parent, parentPoint));
    const PictureCross& inChild = crosses.at(crossIndex(child, childPoint));
    tiles[child].rowOffset = inParent.rowCenterOnAgar + tiles.at(parent).rowOffset - inChild.rowCenterOnAgar;
    tiles[child].colOffset = inParent.colCenterOnAgar + tiles.at(parent).colOffset - inChild.colCenterOnAgar;
}

void setCrop(ImageStitcherTile& tile, double row1, double row2, double col1, double col2)
{
    tile.row1 = row1;
    tile.row2 = row2;
    tile.col1 = col1;
    tile.col2 = col2;
}

// Axis-parallel rectangle contour around (row1, col1) .. (row2, col2) placed at (row, col).
Hobject cropContour(const ImageStitcherTile& tile, double row, double col)
{
    const double halfWidth = (tile.col2 - tile.col1) / 2.0;
    const double halfHeight = (tile.row2 - tile.row1) / 2.0;
    Hobject contour;
    Halcon::gen_rectangle2_contour_xld(&contour, row + halfHeight, col + halfWidth, 0.0, halfWidth, halfHeight);
    return contour;
}

void drawCrossMarks(Hobject_View_Gui* resultView, const ImageStitcherTile& tile, const PictureCross& cross,
                    double angle)
{
    GenerateCrossContour(resultView, int(cross.rowCenter + tile.rowOffset), int(cross.colCenter + tile.colOffset), 10,
                         "green", QString(), angle, "Margin", 1);
    GenerateCrossContour(resultView, int(cross.rowCenterOnAgar + tile.rowOffset),
                         int(cross.colCenterOnAgar + tile.colOffset), 10, "light blue", QString(), angle, "Margin", 1);
}

void drawContour(Hobject_View_Gui* resultView, const ImageStitcherTile& tile, const PictureCross& cross)
{
    if (!cross.found)
        return;
    HTuple identity, translation;
    Hobject placed;
    if (Halcon::hom_mat2d_identity(&identity) != Halcon::kSuccess
        || Halcon::hom_mat2d_translate(identity, tile.rowOffset, tile.colOffset, &translation) != Halcon::kSuccess
        || Halcon::affine_trans_contour_xld(cross.hobjContour, &placed, translation) != Halcon::kSuccess)
        return;
    resultView->addObject(placed, QStringLiteral("orange"), QStringLiteral("margin"), 1, QString(), false, true);
}

} // namespace

bool PictureStitching::canStitch(const QList<Hobject>& pictures, const QList<PictureCross>& crosses)
{
    if (pictures.size() != PicturesCount || crosses.size() != 2 * PicturesCount)
        return false;
    return std::all_of(crosses.begin(), crosses.end(), [](const PictureCross& cross) { return cross.found; });
}

bool PictureStitching::layoutTiles(const QList<Hobject>& pictures, const QList<PictureCross>& crosses,
                                   QList<ImageStitcherTile>& tiles)
{
    tiles.clear();
    if (!canStitch(pictures, crosses))
        return false;
    QList<ImageStitcherTile> laid;
    int widths[PicturesCount] = {};
    int heights[PicturesCount] = {};
    for (int n = 0; n < PicturesCount; ++n) {
        ImageStitcherTile tile;
        tile.index = n;
        tile.hobjPicture = pictures.at(n);
        if (Halcon_Helper::GetImageSize(tile.hobjPicture, widths[n], heights[n]) != 0)
            return false;
        tile.halfWidth = widths[n] / 2;
        tile.halfHeight = heights[n] / 2;
        laid.append(tile);
    }

    chain(laid, crosses, 1, kA, 0, kB);
    chain(laid, crosses, 2, kA, 1, kB);
    chain(laid, crosses, 3, kA, 0, kA);
    chain(laid, crosses, 4, kA, 3, kB);
    chain(laid, crosses, 5, kA, 4, kB);

    const auto r = [&](int picture, int point) { return crosses.at(crossIndex(picture, point)).rowCenterOnAgar; };
    const auto c = [&](int picture, int point) { return crosses.at(crossIndex(picture, point)).colCenterOnAgar; };
    // The left column ends and the right one begins at the column of the cross that
    // pictures 1 and 4 share.
    const double cut = c(0, kA) + laid.at(0).colOffset;
    setCrop(laid[0], 0.0, r(0, kB), 0.0, c(0, kA));
    setCrop(laid[1], r(1, kA), r(1, kB), 0.0, cut - laid.at(1).colOffset);
    setCrop(laid[2], r(2, kA), heights[2], 0.0, cut - laid.at(2).colOffset);
    setCrop(laid[3], 0.0, r(3, kB), c(3, kA), widths[3]);
    setCrop(laid[4], r(4, kA), r(4, kB), cut - laid.at(4).colOffset, widths[4]);
    setCrop(laid[5], r(5, kA), heights[5], cut - laid.at(5).colOffset, widths[5]);

    // Both chains reach the cross of pictures 3 and 6; the right one's mismatch is spread
    // over the seams of the right column.
    const double d = (r(5, kB) + laid.at(5).rowOffset) - (r(2, kB) + laid.at(2).rowOffset);
    laid[4].rowOffset -= d * 0.5;
    laid[5].rowOffset -= d;
    laid[3].row2 -= d * 0.5;
    laid[4].row2 -= d * 0.5;

    tiles = laid;
    return true;
}

void PictureStitching::stitchedSize(const QList<ImageStitcherTile>& tiles, int& width, int& height)
{
    width = 0;
    height = 0;
    for (const ImageStitcherTile& tile : tiles) {
        int pictureWidth = 0, pictureHeight = 0;
        if (Halcon_Helper::GetImageSize(tile.hobjPicture, pictureWidth, pictureHeight) != 0)
            continue;
        // As the layer places the part: shifted by the rounded offset, clipped to the picture.
        const long lastRow = std::min(std::lround(tile.row2), long(pictureHeight - 1));
        const long lastCol = std::min(std::lround(tile.col2), long(pictureWidth - 1));
        if (lastRow < std::max(std::lround(tile.row1), 0L) || lastCol < std::max(std::lround(tile.col1), 0L))
            continue;
        height = std::max(height, int(lastRow + std::lround(offsetRowOf(tile) - tile.row1) + 1));
        width = std::max(width, int(lastCol + std::lround(offsetColOf(tile) - tile.col1) + 1));
    }
}

int PictureStitching::tilePictures(const QList<ImageStitcherTile>& tiles, Hobject& stitched)
{
    stitched = Hobject();
    Hobject images;
    HTuple offsetRow, offsetCol, row1, col1, row2, col2;
    for (const ImageStitcherTile& tile : tiles) {
        Halcon::concat_obj(images, tile.hobjPicture, &images);
        offsetRow.Append(HValue(offsetRowOf(tile)));
        offsetCol.Append(HValue(offsetColOf(tile)));
        row1.Append(HValue(tile.row1));
        col1.Append(HValue(tile.col1));
        row2.Append(HValue(tile.row2));
        col2.Append(HValue(tile.col2));
    }
    int width = 0, height = 0;
    stitchedSize(tiles, width, height);
    Hobject tiled;
    const int result =
        Halcon::tile_images_offset(images, &tiled, offsetRow, offsetCol, row1, col1, row2, col2, width, height);
    if (result != Halcon::kSuccess) {
        HalconRecordError(result);
        return result;
    }
    stitched = tiled;
    return result;
}

void PictureStitching::drawTiles(const QList<ImageStitcherTile>& tiles, const QList<PictureCross>& crosses,
                                 const QList<Hobject_View_Gui*>& pictureViews, Hobject_View_Gui* resultView)
{
    for (const ImageStitcherTile& tile : tiles) {
        const int n = tile.index;
        Hobject_View_Gui* view = n >= 0 && n < pictureViews.size() ? pictureViews.at(n) : nullptr;
        if (view) {
            view->addObject(cropContour(tile, tile.row1, tile.col1), QStringLiteral("red"), QStringLiteral("margin"), 1,
                            QString(), false, true);
            GenerateCrossContour(view, int(tile.halfHeight), int(tile.halfWidth), 10, "blue", QString(), 0.0, "Margin", 1);
        }
        if (!resultView)
            continue;
        resultView->addObject(cropContour(tile, offsetRowOf(tile), offsetColOf(tile)), QStringLiteral("red"),
                              QStringLiteral("margin"), 1, QString(), false, true);
        GenerateCrossContour(resultView, int(tile.halfHeight + tile.rowOffset), int(tile.halfWidth + tile.colOffset),
                             10, "blue", QString(), 0.0, "Margin", 1);
        if (crossIndex(n, kB) >= crosses.size() || n < 0)
            continue;
        const PictureCross& a = crosses.at(crossIndex(n, kA));
        const PictureCross& b = crosses.at(crossIndex(n, kB));
        drawCrossMarks(resultView, tile, a, 0.2);
        drawCrossMarks(resultView, tile, b, -0.2);
        drawContour(resultView, tile, a);
        drawContour(resultView, tile, b);
    }
}
