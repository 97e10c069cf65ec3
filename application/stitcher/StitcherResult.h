#pragma once

#include "ImageStitcherSettingsData.h"
#include "PictureCross.h"

#include <DatabaseTableZelvorinImageStitcher.h>
#include <DatabaseTableZelvorinImageStitcherPicture.h>
#include <Errors.h>
#include <Hobject.h>

#include <QDateTime>
#include <QList>
#include <QString>

class CorrectionInfo;

// One picture position of a stitcher result: its picture, its two crosses (cross1 from
// search area 1, point 0) and its picture row, whose PositionIndex is the 0-based position
// and whose two extra values hold the position's optical axis in the stitched picture.
struct StitcherPictureSlot {
    StitcherPictureSlot() = default;

    Halcon::Hobject picture;
    PictureCross cross1;
    PictureCross cross2;
    DatabaseTableZelvorinImageStitcherPicture::Dataset row;
    bool opticalAxisReported = false;
};

// The result of the last stitching run as the Image Stitcher page builds it from the
// worker's reports, kept for saving, and the optical-axis correction it hands to the next
// colony analysis: the process-wide current correction (CorrectionInfo::current), set from
// the optical axes of the four corner pictures (positions 1, 4, 3 and 6) and a Factor from the
// stitcher's distances. GUI thread only.
class StitcherResult {
public:
    static constexpr int PositionsCount = ImageStitcherSettingsData::PicturesCount;
    static constexpr Errors::Type_Error ErrorGeneral = 3;
    static constexpr Errors::Type_Error ErrorParameter = 104;

    StitcherResult();

    // Empties the result (picture, slots, stitcher row), stamps the row with created and the
    // settings text, and resets the current correction to no points with Factor 1.0.
    void reset(const QDateTime& created, const QString& settingsText);

    // The slot of pictureIndex (slots before it are made empty as needed) replaced by the
    // report. false for a position outside 0 .. 5, which changes nothing.
    bool addPictureCrosses(int pictureIndex, const Halcon::Hobject& picture, const PictureCross& cross1,
                           const PictureCross& cross2);
    // false for a position that has no slot, which changes nothing.
    bool addOpticalAxis(int pictureIndex, double rowOpticalAxis, double colOpticalAxis);

    // Keeps the stitched picture and publishes its correction; the stitcher row receives the
    // correction's text. 104 when the distances give no factor, 3 when a corner position has
    // no optical axis yet; on a refusal nothing is kept and the current correction stays.
    Errors::Type_Error addStitchedPicture(const Halcon::Hobject& picture, const ImageStitcherSettingsData& settings);

    // The correction of the slots: the optical axes of positions 1, 4, 3, 6 (top left, top
    // right, bottom left, bottom right) and factor. false (correction untouched) when one of
    // them has no optical axis.
    static bool buildCorrection(const QList<StitcherPictureSlot>& pictureSlots, double factor, CorrectionInfo& correction);

    const QList<StitcherPictureSlot>& pictureSlots() const { return m_slots; }
    // The stored row of a position after a save; false (nothing changed) for a position
    // without a slot.
    bool setPictureRow(int pictureIndex, const DatabaseTableZelvorinImageStitcherPicture::Dataset& row);
    const Halcon::Hobject& stitchedPicture() const { return m_stitchedPicture; }
    const DatabaseTableZelvorinImageStitcher::Dataset& row() const { return m_row; }
    DatabaseTableZelvorinImageStitcher::Dataset& row() { return m_row; }

private:
    QList<StitcherPictureSlot> m_slots;
    Halcon::Hobject m_stitchedPicture;
    DatabaseTableZelvorinImageStitcher::Dataset m_row;
};
