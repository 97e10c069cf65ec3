#include "ImageRefPoint.h"

void ImageRefPoint::registerMetaType()
{
    qRegisterMetaType<ImageRefPoint>("ImageRefPoint");
}
