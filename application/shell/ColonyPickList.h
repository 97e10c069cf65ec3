#pragma once

#include "Errors.h"

#include <QList>
#include <QString>
#include <QVariantList>

class ApplicationDatabase;
class InstrumentSettings;

// Hands the good colonies of a stored rack out to the ready pipetting channels, pick run after
// pick run: container after container in the containers' pick order, each channel's position
// corrected by that channel's offsets. The list remembers what it has handed out, so the next
// call with the same rack, maximum list and sort mode continues where the last one stopped
// and reads nothing from the database. GUI thread only.
class ColonyPickList {
public:
    struct Entry {
        int colonyId = -1;
        double positionX_mm = 0.0;
        double positionY_mm = 0.0;
    };

    // The colonies one container hands out.
    struct Group {
        int containerNumber = 0; // 1-based position of its maximum in the maximum list
        int pickOrder = 0; // the container row's PickingOrder
        int count = 0; // colonies it hands out in total
        QList<Entry> entries; // as read, ascending Y in sort mode 0
        QList<Entry> remaining; // not handed out yet
        int handedOut = 0;
    };

    // Per channel of the pattern: colony, container number and corrected position, or -1, 0,
    // 0.0 and '0' for a channel without colony.
    struct HandOut {
        QString usedChannelPattern;
        int usedNumberOfColonies = 0;
        int totalNumberOfColonies = 0;
        QVariantList colonyIds;
        QVariantList channelToContainer;
        QVariantList positionX_mm;
        QVariantList positionY_mm;
    };

    enum SortMode { SortBySpacingY = 0, SortByDatabaseOrder = 1 };

    static constexpr int MaximumChannels = 16;
    // Channels served from one container in one call take colonies at least this far apart in Y.
    static constexpr double MinimumSpacingY_mm = 11.0;

    ColonyPickList();

    // Forgets the cached hand-out; the next call reads the database again. Only for a database
    // opened anew: saves and edits leave a pick run alone, or it would serve colonies twice.
    void reset();

    // A maximum that is negative or no number counts as 0: its container hands out nothing.
    // 104: sort mode not 0 or 1, a pattern longer than 16 characters; 106: a pattern character
    // other than '0' and '1' (outputs cleared, list unchanged). A failing rebuild (122 for a
    // container number the rack has not exactly once, the database codes otherwise) resets the
    // list and leaves every channel unserved.
    Errors::Type_Error retrieve(ApplicationDatabase* database, const InstrumentSettings& offsets, int rackId,
                                const QVariantList& maximumPerContainer, int sortMode, const QString& channelPattern,
                                HandOut& out);

    int rackId() const { return m_rackId; }
    int sortMode() const { return m_sortMode; }
    int totalCount() const { return m_totalCount; }
    const QVariantList& maxColoniesPerContainer() const { return m_maxColoniesPerContainer; }
    const QList<Group>& groups() const { return m_groups; }

private:
    Errors::Type_Error rebuild(ApplicationDatabase* database, int rackId, const QList<int>& maxima,
                               const QVariantList& maximumPerContainer, int sortMode);
    Errors::Type_Error readGroup(ApplicationDatabase* database, int rackId, int maximum, int sortMode, Group& group);
    void handOut(const QString& pattern, const InstrumentSettings& offsets, HandOut& out);
    static int pickIndex(const QList<Entry>& remaining, int k, int left, const double* threshold, bool& fallback);

    int m_rackId;
    QVariantList m_maxColoniesPerContainer;
    int m_sortMode;
    int m_totalCount;
    QList<Group> m_groups;
};
