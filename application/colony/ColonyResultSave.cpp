#include "ColonyResultSave.h"

#include "ColonyRackRecord.h"

#include <ApplicationDatabase.h>
#include <DatabaseTransaction.h>
#include <ResultPictureFiles.h>
#include <ResultPictureNames.h>

#include <utility>
#include <vector>

namespace {

// The keys of a record's rows, to put back when a save fails.
class RecordKeys {
public:
    explicit RecordKeys(const ColonyRackRecord& rack) : m_rackId(rack.row.RackID)
    {
        for (const auto& container : rack.containers) {
            m_containers.emplace_back(container->row.ContainerID, container->row.RackID);
            for (const auto& colony : container->colonies)
                m_colonies.emplace_back(colony->row.ColonyID, colony->row.ContainerID);
        }
    }

    void restore(ColonyRackRecord& rack) const
    {
        rack.row.RackID = m_rackId;
        size_t c = 0;
        size_t k = 0;
        for (const auto& container : rack.containers) {
            container->row.ContainerID = m_containers[c].first;
            container->row.RackID = m_containers[c].second;
            ++c;
            for (const auto& colony : container->colonies) {
                colony->row.ColonyID = m_colonies[k].first;
                colony->row.ContainerID = m_colonies[k].second;
                ++k;
            }
        }
    }

private:
    Database::ID m_rackId;
    std::vector<std::pair<Database::ID, Database::ID>> m_containers;
    std::vector<std::pair<Database::ID, Database::ID>> m_colonies;
};

} // namespace

Errors::Type_Error ColonyResultSave::save(ColonyRackRecord& rack, ApplicationDatabase* database,
                                          Halcon_AsynchronImageSave* saver, const QString& pictureFolder)
{
    // Keys as they were, so that a failed save leaves the record as it found it.
    const RecordKeys keys(rack);
    const Errors::Type_Error result = store(rack, database, saver, pictureFolder);
    if (result != 0) {
        keys.restore(rack);
        rack.row.PictureFilePath.clear();
    }
    return result;
}

Errors::Type_Error ColonyResultSave::store(ColonyRackRecord& rack, ApplicationDatabase* database,
                                           Halcon_AsynchronImageSave* saver, const QString& pictureFolder)
{
    if (!database)
        return ErrorNoDatabase;
    DatabaseTableZelvorinRack::Dataset& row = rack.row;
    DatabaseTableZelvorinRack* racks = database->tableRack();

    ResultPictureFiles picture(database, pictureFolder, ResultPictureNames::Rack, saver);
    if (const Errors::Type_Error code = picture.add(rack.picture); code != 0)
        return code;
    if (const Errors::Type_Error code = picture.write(); code != 0)
        return code;
    {
        DatabaseTransaction transaction(database);
        if (transaction.beginResult() != 0)
            return transaction.beginResult();
        QString path;
        const Errors::Type_Error placed = picture.insertNamed(
            0,
            [&](Database::ID& key) {
                const Errors::Type_Error code = racks->Insert(row);
                key = row.RackID;
                return code;
            },
            [&](Database::ID key) { return racks->Delete(key); },
            [&](Database::ID key) { return ResultPictureNames::path(pictureFolder, ResultPictureNames::Rack, key); }, path);
        if (placed != 0)
            return placed;
        row.PictureFilePath = path;
        if (const Errors::Type_Error code = racks->Update(row); code != 0)
            return code;
        for (const auto& container : rack.containers) {
            container->row.RackID = row.RackID;
            if (const Errors::Type_Error code = database->tableContainer()->Insert(container->row); code != 0)
                return code;
            for (const auto& colony : container->colonies) {
                colony->row.ContainerID = container->row.ContainerID;
                if (const Errors::Type_Error code = database->tableColony()->Insert(colony->row); code != 0)
                    return code;
            }
        }
        if (const Errors::Type_Error code = transaction.commit(); code != 0)
            return code;
    }
    if (const Errors::Type_Error code = picture.commit(); code != 0) {
        // The picture could not take the rack's name: no rack without its picture.
        racks->Delete(row.RackID);
        return code;
    }
    return 0;
}
