#pragma once

// The stitcher settings record with its cross model, as the main window has them, and the
// file operations over them; the three files of one settings name in one folder.

#include "ImageStitcherSettingsFiles.h"

#include <CrossScenes.h>
#include <FileContents.h>
#include <ImageStitcherSettings.h>
#include <PictureCrossSearch.h>
#include <StitcherCrossModel.h>

#include <QDir>
#include <QList>

namespace StitcherSettingsFilesSetup {

inline const QString kPictureEnding = QStringLiteral(".modelmatching.modelpicture.png");
inline const QString kModelEnding = QStringLiteral(".modelmatching.referenceposition.modeldata");

struct Setup : StitcherCrossModel {
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
