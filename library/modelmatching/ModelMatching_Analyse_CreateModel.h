#pragma once

#include "ModelMatchingCreateParameters.h"
#include "ModelMatchingSettings.h"
#include "ModelMatching_Analyse_Worker.h"

#include <Errors.h>
#include <Hobject.h>

#include <QString>

#include <functional>

class Hobject_View_Gui;
class IPictureUnitConverter;
class ModelMatching;
class ModelMatchingPendingFiles;
class PictureUnitConverter;

// Makes the shape model from the template picture, its regions of interest and the model
// settings, hands it to the search worker and writes the model file. Runs in its caller's
// thread (the image stitcher's worker); it reads a copy of the settings and the template
// taken when a creation starts. The model is shared with the search worker (which hands
// back, through SetModel, a model it read so that it can be written again) and freed when
// neither holds it any more.
class ModelMatching_Analyse_CreateModel : public ModelMatching_Analyse_Worker {
    Q_OBJECT
public:
    // viewer: its picture stands in for the template picture's size where there is no
    // template. Registers with the facade when one is given.
    ModelMatching_Analyse_CreateModel(ModelMatching* facade, const QString& name, Hobject_View_Gui* viewer,
                                      QObject* parent = nullptr);
    ~ModelMatching_Analyse_CreateModel() override;

    // The percent values of the settings refer to the template picture: its size converts
    // them, or the viewer's picture when there is no template.
    static PictureUnitConverter TemplateUnits(Errors::Type_Error pictureError, const Halcon::Hobject& picture,
                                              Hobject_View_Gui* viewer);

    // The model regions as contours in template pixels, in list order; 10000 without
    // facade, settings or viewer.
    Errors::Type_Error GetModelRoiContours(Halcon::Hobject& contours) const;
    // Rectangles and ellipses of the list as contours; other types are passed over. 0, or
    // 10000 when a region cannot be made (status then holds the layer's code).
    static Errors::Type_Error BuildRoiContours(const ModelMatchingRoiList& rois, IPictureUnitConverter& converter,
                                               Halcon::Hobject& contours, int& status);

    // Clears this worker's and the search worker's model, then makes a new one. Without
    // regions of interest it returns 0 and leaves no model. The model reaches both
    // workers only when it is complete (origin set, contours taken): after any failure
    // neither holds a model.
    Errors::Type_Error CreateModel(const ModelMatchingCreateParameters& parameters, ModelMatchingCreateResult& result);

    // The model file beside the settings: removed when there are no regions, else the model.
    // Regions without a model leave a model file there as it is (it may be the only copy of
    // a model that could not be read), and make an empty one where there is none. A failed
    // save leaves the file there as it was. 0 or 10011.
    Errors::Type_Error WriteModel(const QString& folder, const QString& baseName) const;
    // The same, put in place by pending's commit; until then nothing changes.
    Errors::Type_Error WriteModel(const QString& folder, const QString& baseName, ModelMatchingPendingFiles& pending) const;
    // Nothing to do: the search worker reads the model file.
    Errors::Type_Error LoadFiles(const QString& folder, const QString& baseName);

    // Test seam: called with the new model's handle right after the layer made it.
    void setCreatedHook(std::function<void(Halcon::Hlong handle)> hook) { m_createdHook = std::move(hook); }

private:
    std::function<void(Halcon::Hlong handle)> m_createdHook;
};
