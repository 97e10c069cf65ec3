// Probes through which optimize_aop times the layer's parallelised operators, each with
// the parameters the analysis uses most.

#include "HalconAop_p.h"
#include "HalconEnhanceOps.h"
#include "HalconFilterOps.h"
#include "HalconImageOps.h"
#include "HalconXldAnalysis.h"

namespace Halcon::Aop {

void registerBuiltinProbes()
{
    registerProbe("rgb1_to_gray", [](const Sample &s) {
        Hobject gray;
        return rgb1_to_gray(s.rgb, &gray);
    });
    registerProbe("trans_from_rgb", [](const Sample &s) {
        Hobject h, sat, v;
        return trans_from_rgb(s.red, s.green, s.blue, &h, &sat, &v, "hsv");
    });
    registerProbe("decompose3", [](const Sample &s) {
        Hobject r, g, b;
        return decompose3(s.rgb, &r, &g, &b);
    });
    registerProbe("threshold", [](const Sample &s) {
        Hobject region;
        return threshold(s.green, &region, 64.0, 191.0);
    });
    registerProbe("median_image", [](const Sample &s) {
        Hobject median;
        return median_image(s.green, &median, "circle", 5.0, "mirrored");
    });
    registerProbe("mean_image", [](const Sample &s) {
        Hobject mean;
        return mean_image(s.green, &mean, 11, 11);
    });
    registerProbe("sub_image", [](const Sample &s) {
        Hobject difference;
        return sub_image(s.green, s.red, &difference, 1.0, 128.0);
    });
    registerProbe("threshold_sub_pix", [](const Sample &s) {
        Hobject edges;
        return threshold_sub_pix(s.green, &edges, 128.0);
    });
    registerProbe("shock_filter", [](const Sample &s) {
        Hobject sharpened;
        return shock_filter(s.green, &sharpened, 0.5, 5, "canny", 0.4);
    });
    registerProbe("emphasize", [](const Sample &s) {
        Hobject emphasized;
        return emphasize(s.green, &emphasized, 20, 20, 50.0);
    });
    registerProbe("sobel_amp", [](const Sample &s) {
        Hobject amplitude;
        return sobel_amp(s.green, &amplitude, "sum_abs", 3);
    });
}

} // namespace Halcon::Aop
