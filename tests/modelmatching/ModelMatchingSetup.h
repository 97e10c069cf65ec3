#pragma once

#include <CrossScenes.h>
#include <Hobject_View_Gui.h>
#include <ModelMatching.h>
#include <ModelMatching_Analyse_CreateModel.h>
#include <ModelMatching_Analyse_SearchModel.h>
#include <ModelMatching_ModelPicture.h>

#include <memory>

// One model-matching setup as the image stitcher builds it: the cross model's settings, the
// facade, the template picture (named "modelmatching"), both workers (named
// "modelmatching.referenceposition") and the model viewer showing the template.
struct ModelMatchingSetup {
    explicit ModelMatchingSetup(bool withTemplate = true, const QString& name = QStringLiteral("CrossModel"))
    {
        viewer = std::make_unique<Hobject_View_Gui>(nullptr, QStringLiteral("ModelViewer"));
        facade = std::make_unique<ModelMatching>(name, &settings);
        picture = std::make_unique<ModelMatching_ModelPicture>(facade.get(), QStringLiteral("modelmatching"), true);
        creator = std::make_unique<ModelMatching_Analyse_CreateModel>(
            facade.get(), QStringLiteral("modelmatching.referenceposition"), viewer.get());
        searcher = std::make_unique<ModelMatching_Analyse_SearchModel>(
            facade.get(), QStringLiteral("modelmatching.referenceposition"), viewer.get());
        if (withTemplate)
            setTemplate(CrossScenes::crossTemplate());
    }

    void setTemplate(const Halcon::Hobject& picture)
    {
        facade->SetModelPicture(picture);
        viewer->setPicture(picture, QStringLiteral("HalconPicture_Stitcher_Normal..Background"), false);
    }

    void addCrossRoi()
    {
        ModelMatchingRoi roi;
        roi.PositionX = CrossScenes::kRoiLeft;
        roi.PositionY = CrossScenes::kRoiTop;
        roi.SizeX = CrossScenes::kRoiSize;
        roi.SizeY = CrossScenes::kRoiSize;
        const auto lock = facade->LockSettings();
        settings.Model.ROI.append(roi);
    }

    // The values the image stitcher makes its cross model with.
    static ModelMatchingCreateParameters stitcherCreate()
    {
        ModelMatchingCreateParameters p;
        p.PyramidLevels = 10;
        p.Angle = 45.0;
        p.AngleTolerance = 49.0;
        p.AngleStep = 0.1;
        p.ScaleTolerance = 0.05;
        p.ScaleStep = 0.0025;
        return p;
    }

    // The values the image stitcher searches a cross with.
    static ModelMatchingSearchParameters stitcherSearch(const Halcon::Hobject& picture, const Halcon::Hobject& area)
    {
        ModelMatchingSearchParameters p;
        p.Picture = picture;
        p.SearchContour = area;
        p.Angle = 45.0;
        p.AngleTolerance = 49.0;
        p.ScaleTolerance = 0.05;
        p.MinimumScore = -1.0;
        p.ScoreDivisor = 1.6;
        p.PyramidLevels = -1;
        p.MaxOverlap = 0.0;
        p.SubPixel = ModelMatchingSearchParameters::SubPixel_LeastSquaresHigh;
        p.Greediness = 0.0;
        p.Timeout = 5000;
        return p;
    }

    // The stitcher's cross model made from the template: 0 when it was made.
    Errors::Type_Error createCrossModel(ModelMatchingCreateResult* result = nullptr)
    {
        ModelMatchingCreateResult own;
        return facade->CreateModel(stitcherCreate(), result ? *result : own);
    }

    ModelMatchingSettings settings;
    std::unique_ptr<Hobject_View_Gui> viewer;
    std::unique_ptr<ModelMatching> facade;
    std::unique_ptr<ModelMatching_ModelPicture> picture;
    std::unique_ptr<ModelMatching_Analyse_CreateModel> creator;
    std::unique_ptr<ModelMatching_Analyse_SearchModel> searcher;
};
