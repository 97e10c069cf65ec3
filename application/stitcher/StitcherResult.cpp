#include "StitcherResult.h"

#include <CorrectionInfo.h>

namespace {

// Positions 1, 4, 3 and 6: the corner pictures in the order of the reference points.
constexpr int kCornerSlots[] = {0, 3, 2, 5};

} // namespace

StitcherResult::StitcherResult() = default;

void StitcherResult::reset(const QDateTime& created, const QString& settingsText)
{
    m_slots.clear();
    m_stitchedPicture = Halcon::Hobject();
    m_row.clear();
    m_row.CreatedDate = created;
    m_row.ImageStitcherSettings = settingsText;
    CorrectionInfo::resetCurrent();
}

bool StitcherResult::addPictureCrosses(int pictureIndex, const Halcon::Hobject& picture, const PictureCross& cross1,
                                       const PictureCross& cross2)
{
    if (pictureIndex < 0 || pictureIndex >= PositionsCount)
        return false;
    while (m_slots.size() <= pictureIndex)
        m_slots.append(StitcherPictureSlot());
    StitcherPictureSlot slot;
    slot.picture = picture;
    slot.cross1 = cross1;
    slot.cross2 = cross2;
    slot.row.PositionIndex = qint16(pictureIndex);
    m_slots[pictureIndex] = slot;
    return true;
}

bool StitcherResult::addOpticalAxis(int pictureIndex, double rowOpticalAxis, double colOpticalAxis)
{
    if (pictureIndex < 0 || pictureIndex >= m_slots.size())
        return false;
    StitcherPictureSlot& slot = m_slots[pictureIndex];
    slot.row.rowOpticalAxis = rowOpticalAxis;
    slot.row.colOpticalAxis = colOpticalAxis;
    slot.opticalAxisReported = true;
    return true;
}

bool StitcherResult::setPictureRow(int pictureIndex, const DatabaseTableZelvorinImageStitcherPicture::Dataset& row)
{
    if (pictureIndex < 0 || pictureIndex >= m_slots.size())
        return false;
    DatabaseTableZelvorinImageStitcherPicture::Dataset& slotRow = m_slots[pictureIndex].row;
    slotRow.ImageStitcherPictureID = row.ImageStitcherPictureID;
    slotRow.ImageStitcherID = row.ImageStitcherID;
    slotRow.PictureFilePath = row.PictureFilePath;
    return true;
}

bool StitcherResult::buildCorrection(const QList<StitcherPictureSlot>& pictureSlots, double factor,
                                     CorrectionInfo& correction)
{
    CorrectionInfo built;
    for (int index : kCornerSlots) {
        if (index >= pictureSlots.size() || !pictureSlots.at(index).opticalAxisReported)
            return false;
        const DatabaseTableZelvorinImageStitcherPicture::Dataset& row = pictureSlots.at(index).row;
        built.append({row.rowOpticalAxis, row.colOpticalAxis});
    }
    built.Factor = factor;
    correction = built;
    return true;
}

Errors::Type_Error StitcherResult::addStitchedPicture(const Halcon::Hobject& picture,
                                                      const ImageStitcherSettingsData& settings)
{
    double factor = 1.0;
    if (!settings.correctionFactor(factor))
        return ErrorParameter;
    CorrectionInfo correction;
    if (!buildCorrection(m_slots, factor, correction))
        return ErrorGeneral;
    m_stitchedPicture = picture;
    CorrectionInfo::setCurrent(correction);
    m_row.ReferencePointsCorrection = correction.toText();
    return 0;
}
