#include "DatabaseQueries.h"

#include "AppErrors.h"
#include "ApplicationDatabase.h"
#include "ClientTextBounds.h"
#include "ColonySettings.h"
#include "DatabaseTableZelvorinColony.h"
#include "DatabaseTableZelvorinContainer.h"
#include "DatabaseTableZelvorinRack.h"
#include "InstrumentSettings.h"
#include "LibraryFunctions.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <limits>

namespace {

constexpr Errors::Type_Error NoError = 0;
constexpr Errors::Type_Error ErrorParameter = AppErrors::ParameterIncorrect;
constexpr Errors::Type_Error ErrorContainerNotFound = AppErrors::ContainerIdNotFound;
constexpr Errors::Type_Error ErrorSeveralContainers = AppErrors::MoreThanOneContainerId;
constexpr Errors::Type_Error ErrorColonySettings = AppErrors::CannotLoadColonySettings;

// Reads the whole row, lets change set one field, writes the whole row back.
template <typename Table, typename Change>
Errors::Type_Error updateRow(Table* table, Database::ID id, Change change)
{
    typename Table::Dataset row;
    const Errors::Type_Error result = table->Select(id, row);
    if (result != NoError)
        return result;
    change(row);
    return table->Update(row);
}

// Empties the list, then appends the identifiers of a successful query.
template <typename Query>
Errors::Type_Error idList(QVariantList& out, Query query)
{
    out.clear();
    QList<Database::ID> ids;
    const Errors::Type_Error result = query(ids);
    if (result != NoError)
        return result;
    out.reserve(ids.size());
    for (const Database::ID id : ids)
        out.append(int(id));
    return NoError;
}

QString absolutePicturePath(const QString& path)
{
    if (path.isEmpty())
        return path;
    return QDir::toNativeSeparators(QDir::cleanPath(QDir(libraryApplicationPath()).absoluteFilePath(path)));
}

} // namespace

DatabaseQueries::DatabaseQueries(ApplicationDatabase* database, const InstrumentSettings* instrumentSettings)
    : m_database(database)
    , m_instrumentSettings(instrumentSettings)
{
}

void DatabaseQueries::databaseOpened(const AppSettings::DatabaseSettings& settings, bool opened)
{
    const QString identity = opened ? databaseIdentity(settings) : QString();
    if (identity.isEmpty() || identity != m_openDatabase)
        m_pickList.reset();
    m_openDatabase = identity;
}

QString DatabaseQueries::databaseIdentity(const AppSettings::DatabaseSettings& settings)
{
    QString file;
    switch (settings.Type) {
    case AppSettings::TypeMSSQLServer:
        return QStringLiteral("%1|%2|%3").arg(settings.Type).arg(settings.MSSqlServer.Servername,
                                                                 settings.MSSqlServer.Databasename);
    case AppSettings::TypeMSAccess:
        file = settings.MSAccess.Filename;
        break;
    case AppSettings::TypeSQLite3:
        file = settings.SQLite3.Filename;
        break;
    default:
        return QString();
    }
    const QFileInfo info(file);
    const QString path = info.canonicalFilePath();
    if (path.isEmpty())
        return QString();
    return QStringLiteral("%1|%2|%3").arg(settings.Type).arg(path).arg(info.birthTime().toMSecsSinceEpoch());
}

// ---------------------------------------------------------------------------------------------
// Racks

Errors::Type_Error DatabaseQueries::Database_GetZelvorinRack(int iRackID, Rack& oRack)
{
    oRack = Rack();
    DatabaseTableZelvorinRack::Dataset rack;
    const Errors::Type_Error result = m_database->tableRack()->Select(iRackID, rack);
    if (result != NoError)
        return result;
    ColonySettings settings;
    if (!settings.fromXmlString(rack.XMLColonySettings))
        return ErrorColonySettings;
    oRack.rackBarcode = rack.RackBarcode;
    // As stored, whether or not the file is on this disk: the pictures of a shared database
    // may lie on another machine, and barcode and grid are the client's in any case.
    oRack.pictureFilePath = absolutePicturePath(rack.PictureFilePath);
    oRack.containerGridColumnsCount = settings.Labware.SectionsX;
    oRack.containerGridRowsCount = settings.Labware.SectionsY;
    oRack.errorCode = rack.ErrorCode;
    oRack.description = rack.Description;
    return NoError;
}

Errors::Type_Error DatabaseQueries::Database_SetZelvorinRack_Field_Description(int iRackID, const QString& iDescription)
{
    if (!ClientTextBounds::fitsText(iDescription))
        return ErrorParameter;
    return updateRow(m_database->tableRack(), iRackID,
                     [&](DatabaseTableZelvorinRack::Dataset& row) { row.Description = iDescription; });
}

Errors::Type_Error DatabaseQueries::Database_GetZelvorinRackID_By_RackBarcode(const QString& iRackBarcode,
                                                                              QVariantList& o_arrintRackID)
{
    if (!ClientTextBounds::fitsText(iRackBarcode)) {
        o_arrintRackID.clear();
        return ErrorParameter;
    }
    return idList(o_arrintRackID, [&](QList<Database::ID>& ids) {
        bool more = false;
        return m_database->tableRack()->SelectIdsByBarcode(iRackBarcode, 0, ids, more);
    });
}

Errors::Type_Error DatabaseQueries::Database_SetZelvorinRack_Field_ImageStitcherID(int iRackID, int iImageStitcherID)
{
    return updateRow(m_database->tableRack(), iRackID,
                     [&](DatabaseTableZelvorinRack::Dataset& row) { row.ImageStitcherID = iImageStitcherID; });
}

// ---------------------------------------------------------------------------------------------
// Containers

Errors::Type_Error DatabaseQueries::containerIdByNumber(int rackId, int number, QList<int>& ids)
{
    ids.clear();
    // The column is 16-bit: a larger number must not wrap onto another container.
    if (number < std::numeric_limits<qint16>::min() || number > std::numeric_limits<qint16>::max())
        return NoError;
    return m_database->tableContainer()->SelectIdByNumber(rackId, qint16(number), ids);
}

Errors::Type_Error DatabaseQueries::singleContainerId(const QList<int>& ids, int& containerId) const
{
    if (ids.size() > 1)
        return ErrorSeveralContainers;
    if (ids.size() == 1)
        containerId = ids.first();
    return NoError;
}

Errors::Type_Error DatabaseQueries::Database_GetZelvorinContainerID_By_ContainerNumber(int iRackID, int iContainerNumber,
                                                                                       int& oContainerID)
{
    oContainerID = -1;
    QList<int> ids;
    const Errors::Type_Error result = containerIdByNumber(iRackID, iContainerNumber, ids);
    return result != NoError ? result : singleContainerId(ids, oContainerID);
}

Errors::Type_Error DatabaseQueries::Database_GetZelvorinContainerID_By_ContainerName(int iRackID,
                                                                                     const QString& iContainerName,
                                                                                     int& oContainerID)
{
    oContainerID = -1;
    if (!ClientTextBounds::fitsText(iContainerName))
        return ErrorParameter;
    QList<int> ids;
    const Errors::Type_Error result = m_database->tableContainer()->SelectIdByName(iRackID, iContainerName, ids);
    return result != NoError ? result : singleContainerId(ids, oContainerID);
}

Errors::Type_Error DatabaseQueries::Database_GetZelvorinContainer(int iContainerID,
                                                                  DatabaseTableZelvorinContainer::Dataset& oContainer)
{
    return m_database->tableContainer()->Select(iContainerID, oContainer);
}

Errors::Type_Error DatabaseQueries::Database_SetZelvorinContainer_Field_Description(int iContainerID,
                                                                                   const QString& iDescription)
{
    if (!ClientTextBounds::fitsText(iDescription))
        return ErrorParameter;
    return updateRow(m_database->tableContainer(), iContainerID,
                     [&](DatabaseTableZelvorinContainer::Dataset& row) { row.Description = iDescription; });
}

Errors::Type_Error DatabaseQueries::Database_GetZelvorinContainerIDs(int i_intRackID, QVariantList& o_arrintContainerIDs)
{
    return idList(o_arrintContainerIDs, [&](QList<Database::ID>& ids) {
        return m_database->tableContainer()->SelectIdsByRack(i_intRackID, ids);
    });
}

// ---------------------------------------------------------------------------------------------
// Colonies

Errors::Type_Error DatabaseQueries::pickIds(int rackId, int containerNumber, QList<int>& colonyIds)
{
    colonyIds.clear();
    QList<int> containerIds;
    const Errors::Type_Error result = containerIdByNumber(rackId, containerNumber, containerIds);
    if (result != NoError)
        return result;
    if (containerIds.size() != 1)
        return ErrorContainerNotFound;
    return m_database->tableColony()->SelectPickIds(containerIds.first(), colonyIds);
}

Errors::Type_Error DatabaseQueries::Database_GetZelvorinColonyCount(int i_intRackID, int i_intContainerNumber,
                                                                    int& o_intColonyCount)
{
    o_intColonyCount = 0;
    QList<int> colonyIds;
    const Errors::Type_Error result = pickIds(i_intRackID, i_intContainerNumber, colonyIds);
    if (result != NoError)
        return result;
    o_intColonyCount = int(colonyIds.size());
    return NoError;
}

Errors::Type_Error DatabaseQueries::Database_GetZelvorinColonyPosition_By_ColonyNumber(
    int iRackID, int iChannelNumber, int iContainerNumber, int iColonyNumber, int& oColonyID, double& oPositionX_mm,
    double& oPositionY_mm, double& oLoadingTotal_pct)
{
    oColonyID = -1;
    oPositionX_mm = 0.0;
    oPositionY_mm = 0.0;
    oLoadingTotal_pct = 0.0;
    if (!InstrumentSettings::isValidChannel(iChannelNumber))
        return ErrorParameter;

    DatabaseTableZelvorinRack::ShortDataset rack;
    Errors::Type_Error result = m_database->tableRack()->SelectShort(iRackID, rack);
    if (result != NoError)
        return result;
    QList<int> colonyIds;
    result = pickIds(iRackID, iContainerNumber, colonyIds);
    if (result != NoError)
        return result;
    if (iColonyNumber < 1 || iColonyNumber > colonyIds.size())
        return ErrorParameter;
    DatabaseTableZelvorinColony::Dataset colony;
    result = m_database->tableColony()->Select(colonyIds.at(iColonyNumber - 1), colony);
    if (result != NoError)
        return result;
    oColonyID = colony.ColonyID;
    oPositionX_mm = colony.PosX_mm - m_instrumentSettings->channelOffsetX_mm[iChannelNumber - 1];
    oPositionY_mm = colony.PosY_mm - m_instrumentSettings->channelOffsetY_mm[iChannelNumber - 1];
    oLoadingTotal_pct = colony.LoadingTotal_pct;
    return NoError;
}

Errors::Type_Error DatabaseQueries::Database_GetZelvorinColonyIDs_IsGoodColony(int i_intContainerID,
                                                                               QVariantList& o_arrintColonyIDs)
{
    return idList(o_arrintColonyIDs, [&](QList<Database::ID>& ids) {
        return m_database->tableColony()->SelectPickIds(i_intContainerID, ids);
    });
}

Errors::Type_Error DatabaseQueries::Database_GetZelvorinColonyIDs_IsExcludedColony(int i_intContainerID,
                                                                                   QVariantList& o_arrintColonyIDs)
{
    return idList(o_arrintColonyIDs, [&](QList<Database::ID>& ids) {
        return m_database->tableColony()->SelectNotGoodIds(i_intContainerID, ids);
    });
}

Errors::Type_Error DatabaseQueries::Database_GetZelvorinColonyProperties(int i_intColonyID,
                                                                         DatabaseTableZelvorinColony::Dataset& oColony)
{
    return m_database->tableColony()->Select(i_intColonyID, oColony);
}

Errors::Type_Error DatabaseQueries::Database_SetZelvorinColonyPickingState(int i_intColonyID, int i_intPickingState)
{
    if (i_intPickingState < 0 || i_intPickingState > 2)
        return ErrorParameter;
    return updateRow(m_database->tableColony(), i_intColonyID, [&](DatabaseTableZelvorinColony::Dataset& row) {
        row.PickingState = qint16(i_intPickingState);
        row.PickingDate = QDateTime::currentDateTime();
    });
}

Errors::Type_Error DatabaseQueries::Database_SetZelvorinColony_Field_Description(int i_intColonyID,
                                                                                const QString& i_strDescription)
{
    if (!ClientTextBounds::fitsText(i_strDescription))
        return ErrorParameter;
    return updateRow(m_database->tableColony(), i_intColonyID,
                     [&](DatabaseTableZelvorinColony::Dataset& row) { row.Description = i_strDescription; });
}

// ---------------------------------------------------------------------------------------------
// Hand-out to the pipetting channels

Errors::Type_Error DatabaseQueries::Database_RetrieveColonyPositions(
    int i_intRackID, const QVariantList& i_arrintContainerToMaximumColoniesToPipette,
    const QString& i_strChannelPattern, ColonyPickList::HandOut& oHandOut)
{
    return Database_RetrieveColonyPositions2(i_intRackID, i_arrintContainerToMaximumColoniesToPipette,
                                             ColonyPickList::SortBySpacingY, i_strChannelPattern, oHandOut);
}

Errors::Type_Error DatabaseQueries::Database_RetrieveColonyPositions2(
    int i_intRackID, const QVariantList& i_arrintContainerToMaximumColoniesToPipette, int i_intSortMode,
    const QString& i_strChannelPattern, ColonyPickList::HandOut& oHandOut)
{
    return m_pickList.retrieve(m_database, *m_instrumentSettings, i_intRackID,
                               i_arrintContainerToMaximumColoniesToPipette, i_intSortMode, i_strChannelPattern,
                               oHandOut);
}
