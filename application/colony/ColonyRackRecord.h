#pragma once

#include "CorrectionInfo.h"
#include "DatabaseTableZelvorinColony.h"
#include "DatabaseTableZelvorinContainer.h"
#include "DatabaseTableZelvorinRack.h"

#include <Hobject.h>

#include <QList>
#include <QString>

#include <memory>
#include <vector>

class ColonySettingsData;
class ImageColony;
class NumericSortTreeWidgetItem;
class QTreeWidgetItem;

// The Colony Analyser page's record of the rack on screen: the rows a save stores (it fills
// in their keys), the table rows that show them (owned by the tables) and the overlay names.
// Containers stand in the order the worker reported them, colonies in arrival order.
struct ColonyRackRecord {
    struct Colony {
        QString objectName;
        QTreeWidgetItem* item = nullptr; // in the good or the rejected table, owned by it
        int containerNumber = 0;
        Halcon::Hobject contour;
        DatabaseTableZelvorinColony::Dataset row;
        bool colorPassed = false;
        bool propertiesPassed = false;
        double weightedRed = 0.0;
        double weightedGreen = 0.0;
        double weightedBlue = 0.0;

        void clear();
        // Everything but the row item from a colony the worker reported.
        void takeReport(const ImageColony& colony);
        // Whether the contour holds the picture point (column x, row y).
        bool contains(double x, double y) const;

        // The colony row a reported colony becomes (keys and picking state left cleared).
        static DatabaseTableZelvorinColony::Dataset rowFromReport(const ImageColony& colony);
    };

    struct Container {
        QString objectName;
        NumericSortTreeWidgetItem* goodItem = nullptr; // owned by the tables
        NumericSortTreeWidgetItem* rejectedItem = nullptr;
        DatabaseTableZelvorinContainer::Dataset row;
        std::vector<std::unique_ptr<Colony>> colonies; // arrival order
        Halcon::Hobject searchArea;
        int containerIndex = 0;
        int colonyCount = 0;
    };

    Halcon::Hobject picture;
    QString objectName;
    QTreeWidgetItem* item = nullptr;
    DatabaseTableZelvorinRack::Dataset row;
    std::vector<std::unique_ptr<Container>> containers; // report order
    CorrectionInfo correction;
    QList<int> pickRank; // 1-based pick rank per container index

    void clear();
    // A new rack from the worker's rack reset: no containers, created now, the camera's and
    // the colour model of settings, no reference positions, the pick rank of every container
    // position of the labware.
    void reset(const Halcon::Hobject& newPicture, const ColonySettingsData& settings, const QString& cameraSettings);
    // A container the worker reported, with the pick rank of its position.
    Container& addContainer(const QString& name, int positionNumber, const QString& positionText,
                            const QString& description, int containerIndex, const Halcon::Hobject& area);

    // The colony whose row item is item and that has an object name; false and -1, -1 when
    // there is none.
    bool findColonyByItem(const QTreeWidgetItem* item, int& iContainer, int& iColony) const;
    // The next colony after (iContainer, iColony) whose contour holds the point (column x,
    // row y); a negative iContainer starts at the first colony. -1, -1 when there is none.
    void findColonyAt(double x, double y, int& iContainer, int& iColony) const;
    // The pick rank of a container position; 0 for a position the labware does not have.
    int rankOf(int containerIndex) const;
    // A found reference point of index 0 to 3 becomes ReferenzPos1 to ReferenzPos4 of the
    // row; other indexes change nothing.
    void setReferencePosition(int index, double x, double y);
};
