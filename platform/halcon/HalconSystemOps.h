#pragma once

// System state of the vision layer: a small process-wide parameter store, checks and the
// module list. All operators are thread-safe; they return kSuccess (2) or a failure
// number of HalconErrors.h and leave their outputs untouched on failure.

#include "HTuple.h"
#include "HalconTypes.h"

namespace Halcon {

// The layer's own version text, as get_system("file_version") reports it.
extern const char *const kLayerVersion;

// Check modes: one or more of "default", "all", "none", "give_error", "ref_give_error",
// "ref", "ref_none", "data", "parameter", "region", "color", "text", "memory", "father",
// "database", "interface", "clear", "operator", each optionally prefixed "~" to switch it
// off. The layer always returns its failure numbers and never throws, whatever is set;
// the modes are kept for get_check. Unknown modes fail with kErrWrongValue1 and change
// nothing.
Herror set_check(const HTuple &check);
Herror get_check(HTuple *check);

// Parameters (name, value):
//   "thread_num"               integer 1 .. 1024, default the processor count
//   "tsp_thread_num"           integer 0 .. 1024, default 0: the most threads an operator
//                              called on this thread may use; 0 follows "thread_num"
//   "parallelize_operators"    "true" / "false", default "true"
//   "width", "height"          default picture size, integer 0 .. 1000000; 0 = not set (default)
//   "temporary_mem_cache"      "true", "false", "exclusive", "shared", "idle"; default "true"
//   "current_runlength_number" integer >= 0, default 50000
//   "store_empty_region", "clip_region", "backing_store", "database", "border_shape_models",
//   "flush_graphic", "no_object_result", "empty_region_result"   "true" / "false"
// Several pairs may be given at once (names and values of equal length); all are checked
// before any is stored. Read-only or unknown names fail with kErrUnknownParameter, bad
// values with kErrWrongValue2 (or kErrWrongType2).
Herror set_system(const HTuple &systemParameter, const HTuple &value);
// Every settable name above, plus read-only "file_version", "processor_num" and
// "parameters" (the list of names). Several names give their values in order.
Herror get_system(const HTuple &query, HTuple *information);

// Resets the default picture size ("width", "height") and channel count. Objects are
// reference counted and need no database, so nothing else is cleared.
// width, height 1 .. 1000000; channels 0 .. 1000.
Herror reset_obj_db(const HTuple &defaultImageWidth, const HTuple &defaultImageHeight,
                    const HTuple &defaultChannels);

// The modules the layer offers, and a key text that identifies that set.
Herror get_modules(HTuple *usedModules, HTuple *moduleKey);

} // namespace Halcon
