#include "ColonyRackExport.h"

#include "ColonyRackRecord.h"
#include "ColonyResultExport.h"

#include <ApplicationDatabase.h>

Errors::Type_Error ColonyRackExport::exportRecord(const ColonyRackRecord& rack, const QString& fileName,
                                                  const QString& options)
{
    ColonyResultExport writer(fileName, options, rack.row.ColorModel != 0);
    if (const Errors::Type_Error code = writer.writeHeader(); code != 0)
        return code;
    for (const auto& container : rack.containers) {
        QList<DatabaseTableZelvorinColony::Dataset> colonies;
        colonies.reserve(qsizetype(container->colonies.size()));
        for (const auto& colony : container->colonies)
            colonies.append(colony->row);
        if (const Errors::Type_Error code = writer.writeRows(container->row, colonies); code != 0)
            return code;
    }
    return writer.close();
}

Errors::Type_Error ColonyRackExport::exportStored(ApplicationDatabase* database, Database::ID rackId,
                                                  const QString& fileName, const QString& options)
{
    if (!database)
        return ErrorNoDatabase;
    QList<Database::ID> containerIds;
    if (const Errors::Type_Error code = database->tableContainer()->SelectIdsByRack(rackId, containerIds); code != 0)
        return code;
    if (containerIds.isEmpty())
        return ErrorRackNotFound;
    DatabaseTableZelvorinRack::ShortDataset rack;
    if (const Errors::Type_Error code = database->tableRack()->SelectShort(rackId, rack); code != 0)
        return code;

    ColonyResultExport writer(fileName, options, rack.ColorModel != 0);
    if (const Errors::Type_Error code = writer.writeHeader(); code != 0)
        return code;
    for (const Database::ID containerId : std::as_const(containerIds)) {
        DatabaseTableZelvorinContainer::Dataset container;
        if (const Errors::Type_Error code = database->tableContainer()->Select(containerId, container); code != 0)
            return code;
        QList<DatabaseTableZelvorinColony::Dataset> colonies;
        if (const Errors::Type_Error code = database->tableColony()->SelectByContainer(containerId, colonies);
            code != 0)
            return code;
        if (const Errors::Type_Error code = writer.writeRows(container, colonies); code != 0)
            return code;
    }
    return writer.close();
}
