#pragma once

// The whole vision layer: object model, error numbers and every operator.

#include "HTuple.h"
#include "HalconErrors.h"
#include "HalconTypes.h"
#include "Hobject.h"

#include "HalconAcquisition.h"
#include "HalconAop.h"
#include "HalconChannelOps.h"
#include "HalconDisplay.h"
#include "HalconEnhanceOps.h"
#include "HalconFileOps.h"
#include "HalconFilterOps.h"
#include "HalconGeometryOps.h"
#include "HalconImageOps.h"
#include "HalconObjectOps.h"
#include "HalconRegionOps.h"
#include "HalconShapeModel.h"
#include "HalconSystemOps.h"
#include "HalconTransformOps.h"
#include "HalconTileOps.h"
#include "HalconXldOps.h"
#include "HalconXldAnalysis.h"
#include "HalconXldUnion.h"
