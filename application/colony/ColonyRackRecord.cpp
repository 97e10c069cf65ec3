#include "ColonyRackRecord.h"

#include "ColonySettings.h"
#include "ImageColony.h"

#include <Halcon.h>

#include <algorithm>
#include <iterator>
#include <utility>

void ColonyRackRecord::Colony::clear()
{
    objectName.clear();
    item = nullptr;
    containerNumber = 0;
    contour = Halcon::Hobject();
    row.clear();
    colorPassed = false;
    propertiesPassed = false;
    weightedRed = 0.0;
    weightedGreen = 0.0;
    weightedBlue = 0.0;
}

void ColonyRackRecord::Colony::takeReport(const ImageColony& colony)
{
    objectName = colony.Label;
    containerNumber = colony.ContainerNumber;
    contour = colony.Contour;
    row = rowFromReport(colony);
    colorPassed = colony.ColorPassed;
    propertiesPassed = colony.PropertiesPassed;
    weightedRed = colony.LoadingColorRed_pct;
    weightedGreen = colony.LoadingColorGreen_pct;
    weightedBlue = colony.LoadingColorBlue_pct;
}

DatabaseTableZelvorinColony::Dataset ColonyRackRecord::Colony::rowFromReport(const ImageColony& c)
{
    DatabaseTableZelvorinColony::Dataset row;
    row.PosX_px = c.PosX_px;
    row.PosY_px = c.PosY_px;
    row.PosX_mm = c.PosX_mm;
    row.PosY_mm = c.PosY_mm;
    row.Area_mm2 = c.Area_mm2;
    row.Circularity = c.Circularity;
    row.ClearanceNeighbor_mm = c.ClearanceNeighbor_mm;
    row.ClearanceMargin_mm = c.ClearanceMargin_mm;
    row.LoadingArea_pct = c.LoadingArea_pct;
    row.LoadingCircularity_pct = c.LoadingCircularity_pct;
    row.LoadingClearanceNeighbor_pct = c.LoadingClearanceNeighbor_pct;
    row.LoadingClearanceMargin_pct = c.LoadingClearanceMargin_pct;
    row.LoadingTotal_pct = c.LoadingTotal_pct;
    row.ColorHue = c.ColorHue;
    row.ColorSaturation = c.ColorSaturation;
    row.ColorIntensity = c.ColorIntensity;
    row.ColorArea_pct = c.ColorArea_pct;
    row.ColorRed = c.ColorRed;
    row.ColorGreen = c.ColorGreen;
    row.ColorBlue = c.ColorBlue;
    row.IsExcluded = c.IsExcluded;
    row.IsGoodColony = c.IsGoodColony;
    row.PickingOrder = c.PickingOrder;
    row.IsUserEdited = c.IsUserEdited;
    row.ErrorCode = c.ErrorCode;
    return row;
}

bool ColonyRackRecord::Colony::contains(double x, double y) const
{
    Halcon::HTuple inside;
    return Halcon::test_xld_point(contour, y, x, &inside) == Halcon::kSuccess && inside.Length() > 0
        && inside[0].L() != 0;
}

void ColonyRackRecord::clear()
{
    picture = Halcon::Hobject();
    objectName.clear();
    item = nullptr;
    row.clear();
    containers.clear();
    correction = CorrectionInfo();
    pickRank.clear();
}

void ColonyRackRecord::reset(const Halcon::Hobject& newPicture, const ColonySettingsData& settings,
                             const QString& cameraSettings)
{
    clear();
    picture = newPicture;
    row.CreatedDate = QDateTime::currentDateTime();
    row.XMLCameraSettings = cameraSettings;
    row.XMLColonySettings.clear();
    row.ColorModel = qint16(settings.ColorModel);
    for (int index = 0; index < 4; ++index)
        setReferencePosition(index, 0.0, 0.0);
    ColonySettings::computePickOrder(settings.Labware.SectionsY, settings.Labware.SectionsX,
                                     settings.Labware.PositionDirection == ColonySettingsData::RightToLeft,
                                     settings.Labware.PickingOrder, nullptr, &pickRank);
}

ColonyRackRecord::Container& ColonyRackRecord::addContainer(const QString& name, int positionNumber,
                                                            const QString& positionText, const QString& description,
                                                            int containerIndex, const Halcon::Hobject& area)
{
    auto entry = std::make_unique<Container>();
    entry->objectName = name;
    entry->row.ContainerNumber = qint16(positionNumber);
    entry->row.ContainerName = positionText;
    entry->row.PickingOrder = qint16(rankOf(containerIndex));
    entry->row.Description = description;
    entry->searchArea = area;
    entry->containerIndex = containerIndex;
    entry->colonyCount = 0;
    containers.push_back(std::move(entry));
    return *containers.back();
}

bool ColonyRackRecord::findColonyByItem(const QTreeWidgetItem* wanted, int& iContainer, int& iColony) const
{
    iContainer = -1;
    iColony = -1;
    if (!wanted)
        return false;
    for (size_t c = 0; c < containers.size(); ++c) {
        const auto& colonies = containers[c]->colonies;
        for (size_t k = 0; k < colonies.size(); ++k) {
            if (colonies[k]->item == wanted && !colonies[k]->objectName.isEmpty()) {
                iContainer = int(c);
                iColony = int(k);
                return true;
            }
        }
    }
    return false;
}

void ColonyRackRecord::findColonyAt(double x, double y, int& iContainer, int& iColony) const
{
    const int startContainer = iContainer < 0 ? 0 : iContainer;
    const int startColony = iContainer < 0 ? 0 : iColony + 1;
    iContainer = -1;
    iColony = -1;
    for (size_t c = size_t(startContainer); c < containers.size(); ++c) {
        const auto& colonies = containers[c]->colonies;
        for (size_t k = (int(c) == startContainer ? size_t(std::max(0, startColony)) : 0); k < colonies.size(); ++k) {
            if (colonies[k]->contains(x, y)) {
                iContainer = int(c);
                iColony = int(k);
                return;
            }
        }
    }
}

int ColonyRackRecord::rankOf(int containerIndex) const
{
    return containerIndex >= 0 && containerIndex < pickRank.size() ? pickRank.at(containerIndex) : 0;
}

void ColonyRackRecord::setReferencePosition(int index, double x, double y)
{
    using Row = DatabaseTableZelvorinRack::Dataset;
    static constexpr std::pair<double Row::*, double Row::*> positions[] = {
        {&Row::ReferenzPos1X, &Row::ReferenzPos1Y},
        {&Row::ReferenzPos2X, &Row::ReferenzPos2Y},
        {&Row::ReferenzPos3X, &Row::ReferenzPos3Y},
        {&Row::ReferenzPos4X, &Row::ReferenzPos4Y},
    };
    if (index < 0 || index >= int(std::size(positions)))
        return;
    row.*positions[index].first = x;
    row.*positions[index].second = y;
}
