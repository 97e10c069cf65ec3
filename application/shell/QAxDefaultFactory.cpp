#include "QAxDefaultFactory.h"

#include "ApplicationConstants.h"
#include "COM_Class.h"

namespace {

// Clients and registrations refer to these; they never change between versions.
const QUuid c_classId(QStringLiteral("{b0b69b85-4787-44dd-86dd-01203e0ae644}"));
const QUuid c_interfaceId(QStringLiteral("{b4b870e7-c532-4100-9163-265f5a74c6fa}"));
const QUuid c_eventsId(QStringLiteral("{cd530141-6273-4792-ac0b-55c8c4fe0cd7}"));
const QUuid c_typeLibraryId(QStringLiteral("{cca22b85-5dad-4eea-89bf-bbd23e2e38fd}"));
const QUuid c_applicationId(QStringLiteral("{477a827a-6c29-4747-b471-386fe15310e0}"));

} // namespace

QAxDefaultFactory::QAxDefaultFactory(const QUuid& libraryId, const QUuid& applicationId)
    : QAxFactory(libraryId, applicationId, ApplicationConstants::applicationName())
    , m_className(ApplicationConstants::automationClassName())
{
}

QStringList QAxDefaultFactory::featureList() const
{
    return {m_className};
}

QObject* QAxDefaultFactory::createObject(const QString& key)
{
    return key == m_className ? new COM_Class() : nullptr;
}

const QMetaObject* QAxDefaultFactory::metaObject(const QString& key) const
{
    return key == m_className ? &COM_Class::staticMetaObject : nullptr;
}

QUuid QAxDefaultFactory::classID(const QString& key) const
{
    return key == m_className ? c_classId : QUuid();
}

QUuid QAxDefaultFactory::interfaceID(const QString& key) const
{
    return key == m_className ? c_interfaceId : QUuid();
}

QUuid QAxDefaultFactory::eventsID(const QString& key) const
{
    return key == m_className ? c_eventsId : QUuid();
}

bool QAxDefaultFactory::isService() const
{
    return true;
}

QAxFactory* createAxFactory()
{
    return new QAxDefaultFactory(c_typeLibraryId, c_applicationId);
}
