#include "ModelMatchingShapeModel.h"

#include <HalconShapeModel.h>

ModelMatchingShapeModel::~ModelMatchingShapeModel()
{
    Halcon::clear_shape_model(Handle());
}
