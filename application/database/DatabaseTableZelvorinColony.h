#pragma once

#include "Database.h"
#include "DatabaseTable.h"
#include "Errors.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <cstddef>

class ApplicationDatabase;

// Statements on the table ZelvorinColony: one row per colony of a stored container.
class DatabaseTableZelvorinColony : public DatabaseTable {
    Q_OBJECT
public:
    struct Dataset {
        Dataset() { clear(); }
        void clear();
        bool isValid() const { return ColonyID != -1; }

        Database::ID ColonyID;
        Database::ID ContainerID;
        double PosX_px;
        double PosY_px;
        double PosX_mm;
        double PosY_mm;
        double Area_mm2;
        double Circularity;
        double ClearanceNeighbor_mm;
        double ClearanceMargin_mm;
        double LoadingArea_pct;
        double LoadingCircularity_pct;
        double LoadingClearanceNeighbor_pct;
        double LoadingClearanceMargin_pct;
        double LoadingTotal_pct;
        double ColorHue;
        double ColorSaturation;
        double ColorIntensity;
        double ColorArea_pct;
        double ColorRed;
        double ColorGreen;
        double ColorBlue;
        QDateTime PickingDate;
        qint16 PickingState;
        bool IsExcluded;
        bool IsGoodColony;
        qint32 PickingOrder;
        bool IsUserEdited;
        Errors::Type_Error ErrorCode;
        QString Description;
    };

    DatabaseTableZelvorinColony(ApplicationDatabase* owner, QObject* parent = nullptr);
    ~DatabaseTableZelvorinColony() override;

    Errors::Type_Error Insert(Dataset& row);
    Errors::Type_Error Update(const Dataset& row);
    Errors::Type_Error Delete(Database::ID colonyId);
    Errors::Type_Error Select(Database::ID colonyId, Dataset& row);
    // Every colony of the container, highest PickingOrder first.
    Errors::Type_Error SelectIdsByContainer(Database::ID containerId, QList<Database::ID>& ids);
    // The good colonies that are not excluded, in picking order, ties by the higher total score.
    Errors::Type_Error SelectPickIds(Database::ID containerId, QList<Database::ID>& ids);
    // The colonies that failed the good-colony test, excluded or not.
    Errors::Type_Error SelectNotGoodIds(Database::ID containerId, QList<Database::ID>& ids);

    // Whole rows in one statement instead of an id list and one Select per id; the rows are
    // those Select would read. By container: in the order of SelectIdsByContainer (ties by
    // ColonyID). By rack: the containers in the order of the container table's
    // SelectIdsByRack (ties by ContainerID), each container's colonies as by container.
    // On failure rows stays empty.
    Errors::Type_Error SelectByContainer(Database::ID containerId, QList<Dataset>& rows);
    Errors::Type_Error SelectByRack(Database::ID rackId, QList<Dataset>& rows);

    QString sqlInsert(const Dataset& row) const;
    QString sqlUpdate(const Dataset& row) const;
    QString sqlDelete(Database::ID colonyId) const;
    QString sqlSelect(Database::ID colonyId) const;
    QString sqlSelectIdsByContainer(Database::ID containerId) const;
    QString sqlSelectPickIds(Database::ID containerId) const;
    QString sqlSelectNotGoodIds(Database::ID containerId) const;
    // A result has thousands of colonies: Insert and Select run these texts, prepared once
    // per connection, with the values of the literal texts above bound to the markers.
    QString sqlInsertPrepared() const;
    QString sqlSelectPrepared() const;
    QString sqlSelectIdsByContainerPrepared() const;
    QString sqlSelectByContainerPrepared() const;
    QString sqlSelectByRackPrepared() const;

private:
    Errors::Type_Error readRows(std::size_t slot, QString (DatabaseTableZelvorinColony::*text)() const, Database::ID key,
                                QList<Dataset>& rows);
};
