#include "ModelMatchingSearchParameters.h"

void ModelMatchingSearchParameters::SetDefaults()
{
    const bool checkScore = CheckScore, checkAngle = CheckAngle, checkScale = CheckScale;
    *this = ModelMatchingSearchParameters();
    CheckScore = checkScore;
    CheckAngle = checkAngle;
    CheckScale = checkScale;
}
