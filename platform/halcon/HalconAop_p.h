#pragma once

// Layer-private: what parallelised operators use. An operator splits its rows with
// parallelRows under its own name; optimize_aop times it through a probe registered with
// registerProbe.

#include "HTuple.h"
#include "HalconTypes.h"
#include "Hobject.h"

#include <functional>
#include <string>
#include <string_view>

namespace Halcon::Aop {

// Threads `op` may use on pictures of pixel type `type` ("byte", "uint2", "real").
int threadCount(std::string_view op, std::string_view type);

// Runs body(firstRow, endRow) over [0, rows) in as many bands as threadCount allows, each
// band on its own thread; returns when all are done. One call of body per band. With one
// band the body runs on the calling thread, and OpenCV calls inside it stay on that thread
// too (as they do inside every band), so a table entry of 1 means one thread.
void parallelRows(std::string_view op, std::string_view type, int rows,
                  const std::function<void(int firstRow, int endRow)> &body);

// Like parallelRows, but the threads take chunks of `grain` rows in turn until none is
// left, so that rows of uneven cost still keep every thread busy. The band hook sees one
// band per thread.
void parallelChunks(std::string_view op, std::string_view type, int rows, int grain,
                    const std::function<void(int firstRow, int endRow)> &body);

// Seam for tests: called on the thread that runs each band, before the band's body, with
// the operator, the band's index and the band count of that call. nullptr turns it off.
using BandHook = void (*)(std::string_view op, int band, int bands);
void setBandHook(BandHook hook);

// The generated picture a probe runs on: one RGB image and its channels, of one type.
struct Sample
{
    Hobject rgb;
    Hobject red;
    Hobject green;
    Hobject blue;
    std::string type;
};

// Runs the operator once on the sample; a failure means the operator does not support
// that picture type and is passed over.
using Probe = std::function<Herror(const Sample &)>;

// Makes `op` known to optimize_aop (a later registration replaces an earlier one).
void registerProbe(const std::string &op, Probe probe);
void unregisterProbe(const std::string &op);

// Registers the probes of the layer's own operators; optimize_aop calls it once.
void registerBuiltinProbes();

} // namespace Halcon::Aop
