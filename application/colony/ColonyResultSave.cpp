#include "ColonyResultSave.h"

#include "ColonyRackRecord.h"

#include <ApplicationDatabase.h>
#include <DatabaseTransaction.h>
#include <Halcon_PictureStaging.h>
#include <ResultPictureNames.h>

#include <utility>
#include <vector>

namespace {

const QString kPictureFormat = QStringLiteral("png fastest");
constexpr unsigned int kPictureDelayMs = 1000;

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

    Halcon_PictureStaging picture(pictureFolder, ResultPictureNames::privatePrefix(ResultPictureNames::Rack),
                                  ResultPictureNames::pictureSuffix(), kPictureFormat, saver, kPictureDelayMs);
    if (const Errors::Type_Error code = picture.add(rack.picture); code != 0)
        return code;
    {
        DatabaseTransaction transaction(database);
        if (transaction.beginResult() != 0)
            return transaction.beginResult();
        if (const Errors::Type_Error code = database->tableRack()->Insert(row); code != 0)
            return code;
        const QString path = ResultPictureNames::path(pictureFolder, ResultPictureNames::Rack, row.RackID);
        if (const Errors::Type_Error code = picture.place(0, path); code != 0)
            return code;
        row.PictureFilePath = path;
        if (const Errors::Type_Error code = database->tableRack()->Update(row); code != 0)
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
    picture.commit();
    return 0;
}
