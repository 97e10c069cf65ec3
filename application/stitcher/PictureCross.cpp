#include "PictureCross.h"

void PictureCross::registerMetaType()
{
    qRegisterMetaType<PictureCross>("PictureCross");
    qRegisterMetaType<Halcon::Hobject>("Halcon::Hobject");
}
