#include "ImageColony.h"

void ImageColony::registerMetaType()
{
    Halcon::registerHalconMetaTypes();
    qRegisterMetaType<ImageColony>("ImageColony");
}
