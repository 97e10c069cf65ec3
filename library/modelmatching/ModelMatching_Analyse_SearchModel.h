#pragma once

#include "ModelMatchingSearchParameters.h"
#include "ModelMatchingSearchResult.h"
#include "ModelMatchingSettings.h"
#include "ModelMatching_Analyse_Worker.h"

#include <Errors.h>

#include <QString>

#include <functional>

class Hobject_View_Gui;
class ModelMatching;

// Reads the shape model from the model file and finds it in pictures. Runs in its caller's
// thread (the image stitcher's worker); a search works on a copy of the settings, the
// template and the model taken when it starts, so editors and a new creation never change
// a running search.
class ModelMatching_Analyse_SearchModel : public ModelMatching_Analyse_Worker {
    Q_OBJECT
public:
    // viewer: its picture stands in for the template picture's size where there is no
    // template. Registers with the facade when one is given.
    ModelMatching_Analyse_SearchModel(ModelMatching* facade, const QString& name, Hobject_View_Gui* viewer,
                                      QObject* parent = nullptr);
    ~ModelMatching_Analyse_SearchModel() override;

    // Clears this worker's and the create worker's model, then reads the model file beside
    // the settings and shares the model with the create worker. Without regions of interest
    // nothing is read; an empty file means "no model": both 0 and no model. A missing file
    // while regions exist, or a file that is not a model, gives 10010.
    Errors::Type_Error ReadModel(const QString& folder, const QString& baseName);
    // The model file beside settings with these regions of interest, read without touching
    // the models held: none without regions (when settings are given) or from an empty
    // file; 10010 as ReadModel.
    Errors::Type_Error ReadModelFile(const QString& folder, const QString& baseName, const ModelMatchingSettings* settings,
                                     ModelMatchingShapeModelPtr& model) const;
    // Nothing to do: the create worker writes the model file.
    Errors::Type_Error SaveFiles(const QString& folder, const QString& baseName);

    // Finds the model once. 0 also when nothing was found (Found false); the result keeps
    // what was filled before a match was rejected.
    Errors::Type_Error SearchModel(const ModelMatchingSearchParameters& parameters, ModelMatchingSearchResult& result);

    // Whether a match is kept: a score of at least minimumScore (when checked) and, with
    // the settings' tolerances in use, angle and scale within those tolerances widened by
    // CheckTolerance percent (when checked). A match right on a bound is kept.
    static bool MatchPasses(const ModelMatchingSettings::SearchToleranceData& tolerance,
                            const ModelMatchingSearchParameters& parameters, double minimumScore,
                            double angleTolerance, double scaleTolerance, double score, double angle, double scale);

    // Test seam: called in the searching thread right after a search took its copies.
    void setSnapshotHook(std::function<void()> hook) { m_snapshotHook = std::move(hook); }

private:
    std::function<void()> m_snapshotHook;
};
