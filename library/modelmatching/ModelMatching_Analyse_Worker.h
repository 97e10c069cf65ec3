#pragma once

#include "ModelMatchingShapeModel.h"

#include <Errors.h>

#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>

class Hobject_View_Gui;
class ModelMatching;

// What the create and the search worker share: their facade, their name (part of the
// model file's name), the viewer whose picture stands in for the template's size, and the
// shape model they hold. The model is shared between both and guarded, since the GUI
// thread may clear or replace it while the stitcher's thread searches with it.
class ModelMatching_Analyse_Worker : public QObject {
    Q_OBJECT
public:
    QString GetName() const { return m_name; }
    // baseName + "." + name + ".modeldata" (no name part when the name is empty).
    QString ModelDataFileName(const QString& baseName) const;

    Errors::Type_Error ClearModel();
    Errors::Type_Error SetModel(const ModelMatchingShapeModelPtr& model);
    ModelMatchingShapeModelPtr GetModel() const;

protected:
    ModelMatching_Analyse_Worker(ModelMatching* facade, const QString& name, Hobject_View_Gui* viewer,
                                 QObject* parent);
    // The model data file beside the settings file (folder and base name of that file).
    QString ModelDataFilePath(const QString& folder, const QString& baseName) const;

    const QPointer<ModelMatching> m_facade;
    const QString m_name;
    Hobject_View_Gui* const m_viewer;

private:
    mutable QMutex m_modelMutex;
    ModelMatchingShapeModelPtr m_model;
};
