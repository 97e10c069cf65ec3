#pragma once

// Stored racks described in a line of a test table: containers with their number, pick
// order and name, colonies with their position, pick order, total score and flags, on a
// fresh SQLite3 database made from the shipped template.

#include "../database/DatabaseTestSupport.h"

#include "ApplicationDatabase.h"
#include "ColonySettings.h"
#include "DatabaseTableZelvorinColony.h"
#include "DatabaseTableZelvorinContainer.h"
#include "DatabaseTableZelvorinRack.h"

#include <QList>
#include <QMetaType>
#include <QString>

namespace ShellRackFixture {

struct ColonySpec {
    ColonySpec() = default;
    ColonySpec(double x, double y, int order, bool isGood = true, bool isExcluded = false, double total = 50.0)
        : x_mm(x), y_mm(y), pickingOrder(order), good(isGood), excluded(isExcluded), loadingTotal(total)
    {
    }
    double x_mm = 0.0;
    double y_mm = 0.0;
    int pickingOrder = 0;
    bool good = true;
    bool excluded = false;
    double loadingTotal = 50.0;
};

struct ContainerSpec {
    ContainerSpec() = default;
    ContainerSpec(int containerNumber, int containerPickOrder, const QList<ColonySpec>& containerColonies,
                  const QString& containerName = QString())
        : number(containerNumber), pickOrder(containerPickOrder), colonies(containerColonies), name(containerName)
    {
    }
    int number = 1;
    int pickOrder = 0;
    QList<ColonySpec> colonies;
    QString name; // empty: "A<number>"
};

using RackSpec = QList<ContainerSpec>;

// Colonies at the given Y positions, X = 100 + Y, in database pick order as listed.
inline QList<ColonySpec> coloniesAtY(const QList<double>& ys)
{
    QList<ColonySpec> colonies;
    int order = 1;
    for (const double y : ys)
        colonies.append({100.0 + y, y, order++});
    return colonies;
}

inline QString colonySettingsText(int columns, int rows)
{
    ColonySettings settings;
    settings.name = QStringLiteral("Stored");
    settings.Labware.SectionsX = columns;
    settings.Labware.SectionsY = rows;
    return settings.toXmlString();
}

struct StoredRack {
    Database::ID rackId = -1;
    // Per container in the order of the spec, its id and its colonies' ids in spec order.
    QList<Database::ID> containerIds;
    QList<QList<Database::ID>> colonyIds;
};

inline StoredRack storeRack(ApplicationDatabase& database, const RackSpec& spec, const QString& barcode = QStringLiteral("R1"),
                            int minutesAfterBase = 0)
{
    StoredRack stored;
    DatabaseTableZelvorinRack::Dataset rack =
        DatabaseTestSupport::rackRow(barcode, DatabaseTestSupport::baseTime().addSecs(60 * minutesAfterBase));
    rack.XMLColonySettings = colonySettingsText(12, 8);
    if (database.tableRack()->Insert(rack) != 0)
        return stored;
    for (const ContainerSpec& containerSpec : spec) {
        DatabaseTableZelvorinContainer::Dataset container;
        container.RackID = rack.RackID;
        container.ContainerNumber = qint16(containerSpec.number);
        container.ContainerName =
            containerSpec.name.isEmpty() ? QStringLiteral("A%1").arg(containerSpec.number) : containerSpec.name;
        container.PickingOrder = qint16(containerSpec.pickOrder);
        if (database.tableContainer()->Insert(container) != 0)
            return stored;
        QList<Database::ID> ids;
        for (const ColonySpec& colonySpec : containerSpec.colonies) {
            DatabaseTableZelvorinColony::Dataset colony;
            colony.ContainerID = container.ContainerID;
            colony.PosX_mm = colonySpec.x_mm;
            colony.PosY_mm = colonySpec.y_mm;
            colony.PickingOrder = colonySpec.pickingOrder;
            colony.IsGoodColony = colonySpec.good;
            colony.IsExcluded = colonySpec.excluded;
            colony.LoadingTotal_pct = colonySpec.loadingTotal;
            colony.PickingDate = DatabaseTestSupport::baseTime();
            if (database.tableColony()->Insert(colony) != 0)
                return stored;
            ids.append(colony.ColonyID);
        }
        stored.containerIds.append(container.ContainerID);
        stored.colonyIds.append(ids);
    }
    stored.rackId = rack.RackID;
    return stored;
}

} // namespace ShellRackFixture

Q_DECLARE_METATYPE(ShellRackFixture::RackSpec)
