#pragma once

// Layer-private: the process-wide table of shape models behind the handles. The table is
// guarded by one mutex held only to look up or change an entry; a search works on a
// snapshot (shared immutable data plus a copy of the settings), so searches never block
// each other or the table.

#include "HTuple.h"
#include "HalconTypes.h"
#include "ShapeModelData_p.h"

#include <functional>

namespace Halcon::ShapeMatching {

// What callers may change after the model was made.
struct ModelSettings
{
    double originRow = 0.0;
    double originColumn = 0.0;
    Hlong timeoutMs = 0; // 0 = no time-out
};

struct ModelSnapshot
{
    ModelDataPtr data;
    ModelSettings settings;
};

class ShapeModelRegistry
{
public:
    // A new handle (never reused in this process).
    static Hlong add(ModelDataPtr data, const ModelSettings &settings = {});
    // The model of a handle tuple (control parameter `parameter`): wrong count or type,
    // or kErrInvalidHandle.
    static Herror get(const HTuple &handle, int parameter, ModelSnapshot *snapshot);
    // Changes the settings under the lock; `change` returns kSuccess or leaves them.
    static Herror update(const HTuple &handle, int parameter, const std::function<Herror(ModelSettings &)> &change);
    static Herror remove(const HTuple &handle, int parameter);
};

} // namespace Halcon::ShapeMatching
