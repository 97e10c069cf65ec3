#pragma once

#include "Database.h"
#include "DatabaseTable.h"
#include "Errors.h"

#include <QList>
#include <QString>

class ApplicationDatabase;

// Statements on the table ZelvorinContainer: the containers of a stored rack.
class DatabaseTableZelvorinContainer : public DatabaseTable {
    Q_OBJECT
public:
    struct Dataset {
        Dataset() { clear(); }
        void clear();
        bool isValid() const { return ContainerID != -1; }

        Database::ID ContainerID;
        Database::ID RackID;
        qint16 ContainerNumber;
        QString ContainerName;
        qint16 PickingOrder;
        Errors::Type_Error ErrorCode;
        QString Description;
    };

    DatabaseTableZelvorinContainer(ApplicationDatabase* owner, QObject* parent = nullptr);
    ~DatabaseTableZelvorinContainer() override;

    Errors::Type_Error Insert(Dataset& row);
    Errors::Type_Error Update(const Dataset& row);
    Errors::Type_Error Delete(Database::ID containerId);
    Errors::Type_Error Select(Database::ID containerId, Dataset& row);
    // Every list holds all matching ids, in the order stated per statement.
    Errors::Type_Error SelectIdsByRack(Database::ID rackId, QList<Database::ID>& ids);
    Errors::Type_Error SelectIdByNumber(Database::ID rackId, qint16 number, QList<Database::ID>& ids);
    Errors::Type_Error SelectIdByName(Database::ID rackId, const QString& name, QList<Database::ID>& ids);
    Errors::Type_Error SelectIdByPickingOrder(Database::ID rackId, qint16 pickingOrder, QList<Database::ID>& ids);

    QString sqlInsert(const Dataset& row) const;
    QString sqlUpdate(const Dataset& row) const;
    QString sqlDelete(Database::ID containerId) const;
    QString sqlSelect(Database::ID containerId) const;
    QString sqlSelectIdsByRack(Database::ID rackId) const;
    QString sqlSelectIdByNumber(Database::ID rackId, qint16 number) const;
    QString sqlSelectIdByName(Database::ID rackId, const QString& name) const;
    QString sqlSelectIdByPickingOrder(Database::ID rackId, qint16 pickingOrder) const;
    // Select runs this text, prepared once per connection, with the key bound.
    QString sqlSelectPrepared() const;

private:
    QString selectHead() const;
    QString idListHead(Database::ID rackId) const;
};
