#pragma once

// Automatic operator parallelisation. Operators that split their work over threads ask a
// process-wide table how many threads pay off for them; optimize_aop fills the table by
// timing each such operator with 1 .. "thread_num" threads on a generated picture, and
// the knowledge files keep it between runs. Every operator returns kSuccess (2) or a
// failure number of HalconErrors.h; a failure changes neither the table nor any file.
//
// Without knowledge an operator uses "thread_num" threads (set_system); with
// "parallelize_operators" "false" every operator runs on its calling thread.

#include "HTuple.h"
#include "HalconTypes.h"

#include <functional>
#include <string>

namespace Halcon {

// operatorName: names (one tuple of texts); "" or an empty tuple means every operator
// that can be parallelised; names of other operators are passed over.
// iconicType: "byte", "uint2", "real", or "" for byte and real.
// fileName: when not "", the resulting knowledge is also written there (as
// write_aop_knowledge does), unless "file_mode" is "none".
// Parameters (names and values of equal length):
//   "system_mode"  "renew" (measured operators replace their entries; default),
//                  "truncate" (the table holds only the new measurements), "none" (table unchanged)
//   "file_mode"    "renew" (default) or "none"
//   "parameters"   "true" / "false" (accepted; each operator is timed with its usual parameters)
//   "model"        "linear" (best of 1 .. N threads; default) or "threshold" (1 or N threads)
//   "timeout"      seconds > 0 or "infinite" (default); reaching it fails with kErrTimeout
//   "image_width", "image_height"  size of the generated picture, 16 .. 8192 (default 1024 x 768)
Herror optimize_aop(const HTuple &operatorName, const HTuple &iconicType, const HTuple &fileName,
                    const HTuple &genParamName, const HTuple &genParamValue);

// Writes the table to fileName atomically (a failed write keeps the old file).
// Parameter "mode": "renew" (the only mode; default).
Herror write_aop_knowledge(const HTuple &fileName, const HTuple &genParamName, const HTuple &genParamValue);

// Reads a knowledge file. Parameters: "mode" "renew" (file entries replace their
// operators' entries; default) or "truncate" (the table becomes the file's content);
// "ignore_attrib" with "version", "revision", "architecture", "cpu_info" or "variant"
// (repeatable): by default a file made by another layer version, format revision,
// architecture, processor count or variant is refused with kErrAopForeignKnowledge.
// A missing file gives kErrFileOpen; a damaged file or one of an unknown format version
// kErrFileFormatContent. attributes: pairs of attribute name and value from the file;
// operatorNames: the operators whose entries were read.
Herror read_aop_knowledge(const HTuple &fileName, const HTuple &genParamName, const HTuple &genParamValue,
                          HTuple *attributes, HTuple *operatorNames);

// The layer's own query: the threads operatorName would use now for pictures of
// iconicType ("byte", "uint2", "real"), and 1 when the table has an entry for it, else 0.
Herror get_aop_info(const HTuple &operatorName, const HTuple &iconicType, HTuple *threadCount, HTuple *isKnown);

// Work of the layer's users on the pool that parallelised operators use: body(first, end)
// for consecutive chunks of [0, count), `grain` items each (the last may be shorter), handed
// out in order to as many threads as the parallelisation allows an operator named `task`
// on byte pictures. With one thread every chunk runs in order on the calling thread;
// operators called inside a chunk stay on that chunk's thread. Returns when all are done.
void parallel_work(const std::string &task, int count, int grain, const std::function<void(int first, int end)> &body);

} // namespace Halcon
