#pragma once

#include "QAxFactory.h"

#include <QString>

// The program's class factory: it exports the one class COM_Class with its fixed
// identifiers. It is a service, so the framework never ends the process by itself; COM_Class
// decides that when its last object goes.
class QAxDefaultFactory : public QAxFactory {
    Q_OBJECT
public:
    QAxDefaultFactory(const QUuid& libraryId, const QUuid& applicationId);

    QStringList featureList() const override;
    QObject* createObject(const QString& key) override;
    const QMetaObject* metaObject(const QString& key) const override;
    QUuid classID(const QString& key) const override;
    QUuid interfaceID(const QString& key) const override;
    QUuid eventsID(const QString& key) const override;
    bool isService() const override;

private:
    QString m_className;
};

// Made once by the program's entry.
QAxFactory* createAxFactory();
