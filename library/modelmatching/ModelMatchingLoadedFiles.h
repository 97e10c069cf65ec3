#pragma once

#include "ModelMatchingShapeModel.h"

#include <Hobject.h>

#include <QString>

// The files of a model-matching setup read for a settings record, not yet taken over: the
// template picture's file with the picture (left empty when it is read on demand) and the
// shape model (none when there is no model to read).
struct ModelMatchingLoadedFiles {
    QString pictureFile;
    Halcon::Hobject picture;
    ModelMatchingShapeModelPtr model;
};
