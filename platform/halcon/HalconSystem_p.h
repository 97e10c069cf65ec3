#pragma once

// Layer-private: fast reads of the system parameters that operators consult while they
// work (set_system / get_system are the public way in).

namespace Halcon::SystemState {

// "thread_num", or "tsp_thread_num" of the calling thread when set: the most threads an
// operator may use (>= 1).
int threadNum();
// "parallelize_operators": false keeps every operator on its calling thread.
bool parallelizeOperators();
// "width" / "height": the default picture size; 0 when not set.
int defaultWidth();
int defaultHeight();
bool clipRegion();
// "temporary_mem_cache": false keeps freed result planes out of the plane cache.
bool temporaryMemCache();
bool storeEmptyRegion();

} // namespace Halcon::SystemState
