#pragma once

#include "ModelMatchingSettings.h"

#include <Errors.h>
#include <Hobject.h>

// The pre-filters that model creation and model search run on their pictures: median,
// shock and emphasize, in this order, each with nine strengths (Mode 1 to 9).
class ModelMatchingPrefilter {
public:
    static constexpr int kMinimumMode = 1;
    static constexpr int kMaximumMode = 9;

    // Filters picture near region: with any filter in use the picture's domain becomes the
    // region grown by 30 x 30 pixels first, so that the cost follows the region's size and
    // the filters see real neighbours at the region's border; without one the picture is
    // handed on unchanged. Returns 0, or 10000 for a used filter whose Mode lies outside
    // 1 to 9 or a failing filter (status then holds the layer's code). filtered is empty
    // on failure.
    static Errors::Type_Error Apply(const Halcon::Hobject& picture, const Halcon::Hobject& region,
                                    const ModelMatchingSettings::FilterData& filter, Halcon::Hobject& filtered,
                                    int& status);

    // The strengths of Mode 1 to 9 (no check of the range).
    static int MedianRadius(int mode);
    static double ShockSigma(int mode);
    static int EmphasizeMask(int mode);
    static double EmphasizeFactor(int mode);
};
