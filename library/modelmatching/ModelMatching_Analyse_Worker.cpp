#include "ModelMatching_Analyse_Worker.h"

#include "ModelMatching.h"
#include "ModelMatchingErrors.h"

#include <QMutexLocker>

namespace {

const QString kSuffix = QStringLiteral(".modeldata");

} // namespace

ModelMatching_Analyse_Worker::ModelMatching_Analyse_Worker(ModelMatching* facade, const QString& name,
                                                           Hobject_View_Gui* viewer, QObject* parent)
    : QObject(parent), m_facade(facade), m_name(name), m_viewer(viewer)
{
}

QString ModelMatching_Analyse_Worker::ModelDataFileName(const QString& baseName) const
{
    return ModelDataFilePath(QString(), baseName);
}

QString ModelMatching_Analyse_Worker::ModelDataFilePath(const QString& folder, const QString& baseName) const
{
    return ModelMatching::ComponentFilePath(folder, baseName, m_name, kSuffix);
}

Errors::Type_Error ModelMatching_Analyse_Worker::ClearModel()
{
    return SetModel(nullptr);
}

Errors::Type_Error ModelMatching_Analyse_Worker::SetModel(const ModelMatchingShapeModelPtr& model)
{
    QMutexLocker lock(&m_modelMutex);
    m_model = model;
    return ModelMatchingErrors::NoError;
}

ModelMatchingShapeModelPtr ModelMatching_Analyse_Worker::GetModel() const
{
    QMutexLocker lock(&m_modelMutex);
    return m_model;
}
