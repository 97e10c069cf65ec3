#include "ModelMatchingPrefilter.h"

#include "ModelMatchingErrors.h"

#include <Halcon.h>

#include <array>

using namespace Halcon;

namespace {

constexpr int kRegionGrowth = 30;
constexpr double kShockTheta = 0.5;
constexpr int kShockIterations = 5;

constexpr std::array<int, 9> kMedianRadius = {1, 3, 5, 7, 9, 11, 13, 15, 17};
constexpr std::array<double, 9> kShockSigma = {0.1, 0.2, 0.4, 0.6, 0.8, 1.0, 2.0, 4.0, 6.0};
constexpr std::array<int, 9> kEmphasizeMask = {5, 10, 20, 30, 40, 50, 60, 70, 80};
constexpr std::array<double, 9> kEmphasizeFactor = {30.0, 40.0, 50.0, 60.0, 70.0, 80.0, 90.0, 100.0, 150.0};

bool validStep(const ModelMatchingSettings::FilterStepData& step)
{
    return !step.Used || (step.Mode >= ModelMatchingPrefilter::kMinimumMode
                          && step.Mode <= ModelMatchingPrefilter::kMaximumMode);
}

size_t indexOf(int mode)
{
    return size_t(mode - ModelMatchingPrefilter::kMinimumMode);
}

} // namespace

int ModelMatchingPrefilter::MedianRadius(int mode)
{
    return kMedianRadius[indexOf(mode)];
}

double ModelMatchingPrefilter::ShockSigma(int mode)
{
    return kShockSigma[indexOf(mode)];
}

int ModelMatchingPrefilter::EmphasizeMask(int mode)
{
    return kEmphasizeMask[indexOf(mode)];
}

double ModelMatchingPrefilter::EmphasizeFactor(int mode)
{
    return kEmphasizeFactor[indexOf(mode)];
}

Errors::Type_Error ModelMatchingPrefilter::Apply(const Hobject& picture, const Hobject& region,
                                                 const ModelMatchingSettings::FilterData& filter, Hobject& filtered,
                                                 int& status)
{
    filtered = Hobject();
    if (!validStep(filter.Median) || !validStep(filter.Shock) || !validStep(filter.Emphasize))
        return ModelMatchingErrors::GeneralError;
    if (!filter.Median.Used && !filter.Shock.Used && !filter.Emphasize.Used) {
        filtered = picture;
        return ModelMatchingErrors::NoError;
    }
    auto failed = [&status](Herror err) { return ModelMatchingErrors::LayerFailed(err, status); };
    Hobject grown, current;
    if (failed(dilation_rectangle1(region, &grown, kRegionGrowth, kRegionGrowth))
        || failed(reduce_domain(picture, grown, &current)))
        return ModelMatchingErrors::GeneralError;
    if (filter.Median.Used
        && failed(median_image(current, &current, "circle", MedianRadius(filter.Median.Mode), "mirrored")))
        return ModelMatchingErrors::GeneralError;
    if (filter.Shock.Used
        && failed(shock_filter(current, &current, kShockTheta, kShockIterations, "canny",
                               ShockSigma(filter.Shock.Mode))))
        return ModelMatchingErrors::GeneralError;
    if (filter.Emphasize.Used) {
        const int mask = EmphasizeMask(filter.Emphasize.Mode);
        if (failed(emphasize(current, &current, mask, mask, EmphasizeFactor(filter.Emphasize.Mode))))
            return ModelMatchingErrors::GeneralError;
    }
    filtered = current;
    return ModelMatchingErrors::NoError;
}
