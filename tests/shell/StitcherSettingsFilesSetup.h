#pragma once

// The stitcher settings record with its "CrossModel" facade, template picture (read on
// demand) and both workers, as the main window has them, and the file operations over them;
// the three files of one settings name in one folder.

#include "ImageStitcherSettingsFiles.h"

#include <CrossScenes.h>
#include <FileContents.h>
#include <Hobject_View_Gui.h>
#include <ImageStitcherSettings.h>
#include <ModelMatching.h>
#include <ModelMatching_Analyse_CreateModel.h>
#include <ModelMatching_Analyse_SearchModel.h>
#include <ModelMatching_ModelPicture.h>
#include <PictureCrossSearch.h>

#include <QDir>
#include <QList>

namespace StitcherSettingsFilesSetup {

inline const QString kPictureEnding = QStringLiteral(".modelmatching.modelpicture.png");
inline const QString kModelEnding = QStringLiteral(".modelmatching.referenceposition.modeldata");

struct Setup {
    Setup() { settings.setCrossModel(&facade); }

    // A template, one model region around the cross and the model made from them.
    Errors::Type_Error makeModel(unsigned templateSeed, double regionLeft)
    {
        if (const Errors::Type_Error code = facade.SetModelPicture(CrossScenes::crossTemplate(templateSeed)))
            return code;
        ModelMatchingRoi roi;
        roi.PositionX = regionLeft;
        roi.PositionY = CrossScenes::kRoiTop;
        roi.SizeX = CrossScenes::kRoiSize;
        roi.SizeY = CrossScenes::kRoiSize;
        facade.EditSettings([&](ModelMatchingSettings& s) { s.Model.ROI = {roi}; });
        ModelMatchingCreateResult result;
        return facade.CreateModel(PictureCrossSearch::createParameters(), result);
    }

    ImageStitcherSettings settings;
    Hobject_View_Gui viewer{nullptr, QStringLiteral("Cross Model")};
    ModelMatching facade{QStringLiteral("CrossModel"), &settings.data().CrossModel};
    ModelMatching_ModelPicture picture{&facade, QStringLiteral("modelmatching"), true};
    ModelMatching_Analyse_CreateModel creator{&facade, QStringLiteral("modelmatching.referenceposition"), &viewer};
    ModelMatching_Analyse_SearchModel searcher{&facade, QStringLiteral("modelmatching.referenceposition"), &viewer};
    ImageStitcherSettingsFiles files{&settings, &facade};
};

// Settings file and cross model files of one name in one folder.
struct Trio {
    QString settings;
    QString picture;
    QString model;

    Trio(const QDir& folder, const QString& name)
        : settings(folder.filePath(name + ImageStitcherSettings::fileExtension()))
        , picture(folder.filePath(name + kPictureEnding))
        , model(folder.filePath(name + kModelEnding))
    {
    }
    QList<QByteArray> contents() const
    {
        return {FileContents::readAll(settings), FileContents::readAll(picture), FileContents::readAll(model)};
    }
};

} // namespace StitcherSettingsFilesSetup
