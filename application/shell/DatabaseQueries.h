#pragma once

#include "AppSettings.h"
#include "ColonyPickList.h"
#include "DatabaseTableZelvorinColony.h"
#include "DatabaseTableZelvorinContainer.h"
#include "Errors.h"

#include <QString>
#include <QVariantList>

class ApplicationDatabase;
class InstrumentSettings;

// The database operations behind the automation methods "Database_*": find a stored rack,
// read its containers and colonies, write back descriptions, the stitcher reference and
// picking states, and hand colonies out to the pipetting channels. Each runs a few table
// operations on the application's one database; no text of a client reaches SQL as SQL, and
// one longer than the database keeps is refused with 104 before any of them.
// GUI thread only; no message boxes.
class DatabaseQueries {
public:
    DatabaseQueries(ApplicationDatabase* database, const InstrumentSettings* instrumentSettings);

    // The hand-out cache. It lives across saves and edits: a pick run in progress must never
    // be handed the colonies it has already served.
    ColonyPickList& colonyPickList() { return m_pickList; }
    // After every open of the application's database: the hand-out starts afresh only when
    // another database is open now (another file or kind, or none), whose rack identifiers
    // name other racks.
    void databaseOpened(const AppSettings::DatabaseSettings& settings, bool opened);
    // What names the open database: kind and file (with its creation time, so a file made
    // anew under the old name counts as another) or server and database; empty for none.
    static QString databaseIdentity(const AppSettings::DatabaseSettings& settings);

    // A stored rack as the automation clients read it: the picture as an absolute path with
    // native separators, the labware grid of the colony settings stored with the rack.
    struct Rack {
        QString rackBarcode;
        QString pictureFilePath;
        int containerGridColumnsCount = 0;
        int containerGridRowsCount = 0;
        int errorCode = 0;
        QString description;
    };

    // The record is empty unless the answer is 0; the picture path is the stored one, whether
    // or not the file is there.
    Errors::Type_Error Database_GetZelvorinRack(int iRackID, Rack& oRack);
    Errors::Type_Error Database_SetZelvorinRack_Field_Description(int iRackID, const QString& iDescription);
    // The barcode is matched as it is: "_" and "%" are no wildcards. Empty: every rack. Newest first.
    Errors::Type_Error Database_GetZelvorinRackID_By_RackBarcode(const QString& iRackBarcode,
                                                                 QVariantList& o_arrintRackID);
    Errors::Type_Error Database_SetZelvorinRack_Field_ImageStitcherID(int iRackID, int iImageStitcherID);

    // -1 and 0 when the rack has no such container; 124 when it has several.
    Errors::Type_Error Database_GetZelvorinContainerID_By_ContainerNumber(int iRackID, int iContainerNumber,
                                                                          int& oContainerID);
    Errors::Type_Error Database_GetZelvorinContainerID_By_ContainerName(int iRackID, const QString& iContainerName,
                                                                        int& oContainerID);
    // The container's row; cleared on failure.
    Errors::Type_Error Database_GetZelvorinContainer(int iContainerID,
                                                     DatabaseTableZelvorinContainer::Dataset& oContainer);
    Errors::Type_Error Database_SetZelvorinContainer_Field_Description(int iContainerID, const QString& iDescription);
    Errors::Type_Error Database_GetZelvorinContainerIDs(int i_intRackID, QVariantList& o_arrintContainerIDs);

    // 122 unless the rack has exactly one container of that number.
    Errors::Type_Error Database_GetZelvorinColonyCount(int i_intRackID, int i_intContainerNumber,
                                                       int& o_intColonyCount);
    // The colony at 1-based place iColonyNumber among the container's good colonies, its
    // position corrected by the offsets of channel iChannelNumber (1 to 16).
    Errors::Type_Error Database_GetZelvorinColonyPosition_By_ColonyNumber(int iRackID, int iChannelNumber,
                                                                          int iContainerNumber, int iColonyNumber,
                                                                          int& oColonyID, double& oPositionX_mm,
                                                                          double& oPositionY_mm,
                                                                          double& oLoadingTotal_pct);
    Errors::Type_Error Database_GetZelvorinColonyIDs_IsGoodColony(int i_intContainerID, QVariantList& o_arrintColonyIDs);
    Errors::Type_Error Database_GetZelvorinColonyIDs_IsExcludedColony(int i_intContainerID,
                                                                      QVariantList& o_arrintColonyIDs);
    // The colony's row; cleared (not valid) on failure.
    Errors::Type_Error Database_GetZelvorinColonyProperties(int i_intColonyID,
                                                            DatabaseTableZelvorinColony::Dataset& oColony);
    // 104 for a state other than 0 (not picked), 1 (picked), 2 (picked with error). Also
    // stamps the picking date with the current local time.
    Errors::Type_Error Database_SetZelvorinColonyPickingState(int i_intColonyID, int i_intPickingState);
    Errors::Type_Error Database_SetZelvorinColony_Field_Description(int i_intColonyID, const QString& i_strDescription);

    // The hand-out sorted by Y spacing (sort mode 0).
    Errors::Type_Error Database_RetrieveColonyPositions(int i_intRackID,
                                                        const QVariantList& i_arrintContainerToMaximumColoniesToPipette,
                                                        const QString& i_strChannelPattern,
                                                        ColonyPickList::HandOut& oHandOut);
    Errors::Type_Error Database_RetrieveColonyPositions2(
        int i_intRackID, const QVariantList& i_arrintContainerToMaximumColoniesToPipette, int i_intSortMode,
        const QString& i_strChannelPattern, ColonyPickList::HandOut& oHandOut);

private:
    Errors::Type_Error containerIdByNumber(int rackId, int number, QList<int>& ids);
    Errors::Type_Error singleContainerId(const QList<int>& ids, int& containerId) const;
    Errors::Type_Error pickIds(int rackId, int containerNumber, QList<int>& colonyIds);

    ApplicationDatabase* m_database;
    const InstrumentSettings* m_instrumentSettings;
    ColonyPickList m_pickList;
    QString m_openDatabase;
};
