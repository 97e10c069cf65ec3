#include "ColonyPickList.h"

#include "AppErrors.h"
#include "ApplicationDatabase.h"
#include "DatabaseTableZelvorinColony.h"
#include "DatabaseTableZelvorinContainer.h"
#include "DatabaseTableZelvorinRack.h"
#include "InstrumentSettings.h"

#include <algorithm>
#include <limits>

namespace {

constexpr Errors::Type_Error NoError = 0;
constexpr Errors::Type_Error ErrorParameter = AppErrors::ParameterIncorrect;
constexpr Errors::Type_Error ErrorPatternCharacter = AppErrors::UnexpectedCharactersInChannelPattern;
constexpr Errors::Type_Error ErrorContainerNotFound = AppErrors::ContainerIdNotFound;

} // namespace

ColonyPickList::ColonyPickList()
{
    reset();
}

void ColonyPickList::reset()
{
    m_rackId = -1;
    m_maxColoniesPerContainer.clear();
    m_sortMode = 0;
    m_totalCount = 0;
    m_groups.clear();
}

Errors::Type_Error ColonyPickList::retrieve(ApplicationDatabase* database, const InstrumentSettings& offsets,
                                            int rackId, const QVariantList& maximumPerContainer, int sortMode,
                                            const QString& channelPattern, HandOut& out)
{
    out = HandOut();
    if (sortMode != SortBySpacingY && sortMode != SortByDatabaseOrder)
        return ErrorParameter;
    if (channelPattern.size() > MaximumChannels)
        return ErrorParameter;
    for (const QChar c : channelPattern) {
        if (c != QLatin1Char('0') && c != QLatin1Char('1'))
            return ErrorPatternCharacter;
    }
    QList<int> maxima;
    maxima.reserve(maximumPerContainer.size());
    for (const QVariant& value : maximumPerContainer) {
        bool ok = false;
        const int maximum = value.toInt(&ok);
        // A value that is no number asks for nothing; so does a negative one, which must not
        // lower the total the client counts down.
        maxima.append(ok && maximum > 0 ? maximum : 0);
    }

    const qsizetype channels = channelPattern.size();
    out.usedChannelPattern.fill(QLatin1Char('0'), channels);
    out.colonyIds.reserve(channels);
    out.channelToContainer.reserve(channels);
    out.positionX_mm.reserve(channels);
    out.positionY_mm.reserve(channels);
    for (qsizetype i = 0; i < channels; ++i) {
        out.colonyIds.append(-1);
        out.channelToContainer.append(0);
        out.positionX_mm.append(0.0);
        out.positionY_mm.append(0.0);
    }

    if (maximumPerContainer != m_maxColoniesPerContainer || rackId != m_rackId || sortMode != m_sortMode) {
        const Errors::Type_Error result = rebuild(database, rackId, maxima, maximumPerContainer, sortMode);
        if (result != NoError)
            return result;
    }
    handOut(channelPattern, offsets, out);
    out.totalNumberOfColonies = m_totalCount;
    return NoError;
}

Errors::Type_Error ColonyPickList::rebuild(ApplicationDatabase* database, int rackId, const QList<int>& maxima,
                                           const QVariantList& maximumPerContainer, int sortMode)
{
    reset();
    DatabaseTableZelvorinRack::ShortDataset rack;
    Errors::Type_Error result = database->tableRack()->SelectShort(rackId, rack);
    if (result != NoError)
        return result;

    QList<Group> groups;
    groups.reserve(maxima.size());
    int total = 0;
    for (qsizetype i = 0; i < maxima.size(); ++i) {
        Group group;
        group.containerNumber = int(i + 1);
        result = readGroup(database, rackId, maxima.at(i), sortMode, group);
        if (result != NoError)
            return result;
        total += group.count;
        groups.append(std::move(group));
    }
    // Stable: containers of equal pick order keep the order of the maximum list.
    std::stable_sort(groups.begin(), groups.end(),
                     [](const Group& a, const Group& b) { return a.pickOrder < b.pickOrder; });

    m_groups = std::move(groups);
    m_totalCount = total;
    m_maxColoniesPerContainer = maximumPerContainer;
    m_rackId = rackId;
    m_sortMode = sortMode;
    return NoError;
}

Errors::Type_Error ColonyPickList::readGroup(ApplicationDatabase* database, int rackId, int maximum, int sortMode,
                                             Group& group)
{
    // Container numbers are 16-bit in the table; a larger one names no container.
    if (group.containerNumber > std::numeric_limits<qint16>::max())
        return ErrorContainerNotFound;
    QList<Database::ID> ids;
    Errors::Type_Error result =
        database->tableContainer()->SelectIdByNumber(rackId, qint16(group.containerNumber), ids);
    if (result != NoError)
        return result;
    if (ids.size() != 1)
        return ErrorContainerNotFound;

    DatabaseTableZelvorinContainer::Dataset container;
    result = database->tableContainer()->Select(ids.first(), container);
    if (result != NoError)
        return result;
    group.pickOrder = container.PickingOrder;

    QList<Database::ID> colonyIds;
    result = database->tableColony()->SelectPickIds(container.ContainerID, colonyIds);
    if (result != NoError)
        return result;
    const qsizetype wanted = std::min<qsizetype>(maximum, colonyIds.size());
    group.entries.reserve(wanted);
    DatabaseTableZelvorinColony::Dataset colony;
    for (qsizetype i = 0; i < wanted; ++i) {
        result = database->tableColony()->Select(colonyIds.at(i), colony);
        if (result != NoError)
            return result;
        group.entries.append({int(colony.ColonyID), colony.PosX_mm, colony.PosY_mm});
    }
    if (sortMode == SortBySpacingY) {
        // Stable: colonies on one line keep the database's pick order.
        std::stable_sort(group.entries.begin(), group.entries.end(),
                         [](const Entry& a, const Entry& b) { return a.positionY_mm < b.positionY_mm; });
    }
    group.remaining = group.entries;
    group.count = int(group.entries.size());
    return NoError;
}

int ColonyPickList::pickIndex(const QList<Entry>& remaining, int k, int left, const double* threshold, bool& fallback)
{
    if (!threshold || fallback)
        return k;
    const int size = int(remaining.size());
    int j = k;
    while (j < size && remaining.at(j).positionY_mm < *threshold)
        ++j;
    if (j == size) {
        fallback = true;
        return k;
    }
    // Too few colonies lie beyond the spaced one: the container's last ones serve the rest.
    if (size - j < left) {
        fallback = true;
        return size - left;
    }
    return j;
}

void ColonyPickList::handOut(const QString& pattern, const InstrumentSettings& offsets, HandOut& out)
{
    int wanted = int(pattern.count(QLatin1Char('1')));
    int lastChannel = -1;
    for (Group& group : m_groups) {
        if (wanted <= 0)
            break;
        const int available = group.count - group.handedOut;
        if (available <= 0)
            continue;
        const int take = std::min(wanted, available);
        double threshold = 0.0;
        bool spaced = false; // a threshold exists once this call picked from the group
        bool fallback = false;
        int k = 0;
        for (int left = take; left >= 1; --left) {
            if (m_sortMode == SortBySpacingY) {
                k = pickIndex(group.remaining, k, left, spaced ? &threshold : nullptr, fallback);
                threshold = group.remaining.at(k).positionY_mm + MinimumSpacingY_mm;
                spaced = true;
            } else {
                k = 0;
            }
            const Entry& entry = group.remaining.at(k);
            int channel = lastChannel + 1;
            while (pattern.at(channel) != QLatin1Char('1'))
                ++channel;
            lastChannel = channel;
            out.colonyIds[channel] = entry.colonyId;
            out.channelToContainer[channel] = group.containerNumber;
            out.positionX_mm[channel] = entry.positionX_mm - offsets.channelOffsetX_mm[channel];
            out.positionY_mm[channel] = entry.positionY_mm - offsets.channelOffsetY_mm[channel];
            out.usedChannelPattern[channel] = QLatin1Char('1');
            ++out.usedNumberOfColonies;
            group.remaining.removeAt(k);
        }
        group.handedOut += take;
        wanted -= take;
    }
}
