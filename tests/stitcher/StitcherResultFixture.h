#pragma once

// A stitcher result as the page holds it after a run: six position pictures of different
// sizes with their optical axes, and the stitched picture. The pixels depend on the number, so
// a picture stored under another result's name shows.

#include <HalconTestPictures.h>
#include <ImageStitcherSettingsData.h>
#include <PictureCross.h>
#include <StitcherResult.h>

#include <QDateTime>

namespace StitcherResultFixture {

inline Halcon::Hobject numberedPicture(int width, int height, int number)
{
    return HalconTestPictures::rgbImage(
        width, height, [number](int row, int column) { return (row * 3 + column + number * 7) % 256; },
        [number](int row, int column) { return (row + column * 5 + number * 13) % 256; },
        [number](int row, int) { return (row * 2 + number) % 256; });
}

inline Halcon::Hobject stitchedPicture(int number)
{
    return numberedPicture(90, 70, number);
}

inline Halcon::Hobject positionPicture(int position, int number)
{
    return numberedPicture(40 + position, 30, number * 10 + position);
}

// emptyPosition: a position whose picture is an empty object.
inline StitcherResult makeResult(int number = 0, int emptyPosition = -1)
{
    StitcherResult result;
    result.reset(QDateTime(QDate(2025, 3, 4), QTime(5, 6, 7)), QStringLiteral("<ImageStitcherSettings/>"));
    for (int i = 0; i < StitcherResult::PositionsCount; ++i) {
        PictureCross c1;
        c1.pictureIndex = i;
        PictureCross c2 = c1;
        c2.pointIndex = 1;
        const Halcon::Hobject picture = i == emptyPosition ? Halcon::Hobject() : positionPicture(i, number);
        result.addPictureCrosses(i, picture, c1, c2);
        result.addOpticalAxis(i, 10.0 * i, 20.0 * i);
    }
    result.addStitchedPicture(stitchedPicture(number), ImageStitcherSettingsData());
    return result;
}

} // namespace StitcherResultFixture
