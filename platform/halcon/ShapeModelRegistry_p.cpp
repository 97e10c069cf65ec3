#include "ShapeModelRegistry_p.h"

#include "HalconErrors.h"

#include <map>
#include <mutex>

namespace Halcon::ShapeMatching {

namespace {

struct Table
{
    std::mutex mutex;
    std::map<Hlong, ModelSnapshot> models;
    Hlong next = 1;
};

Table &table()
{
    static Table instance;
    return instance;
}

Herror handleOf(const HTuple &handle, int parameter, Hlong *value)
{
    if (handle.Length() != 1)
        return wrongCount(parameter);
    if (!handle[0].IsInteger())
        return wrongType(parameter);
    *value = handle[0].L();
    return kSuccess;
}

// Runs act on the table entry the handle names, under the table's lock.
template <typename Act>
Herror withModel(const HTuple &handle, int parameter, Act act)
{
    Hlong h = 0;
    if (const Herror err = handleOf(handle, parameter, &h); err != kSuccess)
        return err;
    Table &t = table();
    std::lock_guard lock(t.mutex);
    const auto it = t.models.find(h);
    if (it == t.models.end())
        return kErrInvalidHandle;
    return act(t, it);
}

using Entry = std::map<Hlong, ModelSnapshot>::iterator;

} // namespace

Hlong ShapeModelRegistry::add(ModelDataPtr data, const ModelSettings &settings)
{
    Table &t = table();
    std::lock_guard lock(t.mutex);
    const Hlong handle = t.next++;
    t.models.emplace(handle, ModelSnapshot{std::move(data), settings});
    return handle;
}

Herror ShapeModelRegistry::get(const HTuple &handle, int parameter, ModelSnapshot *snapshot)
{
    return withModel(handle, parameter, [&](Table &, Entry it) {
        *snapshot = it->second;
        return kSuccess;
    });
}

Herror ShapeModelRegistry::update(const HTuple &handle, int parameter,
                                  const std::function<Herror(ModelSettings &)> &change)
{
    return withModel(handle, parameter, [&](Table &, Entry it) {
        ModelSettings changed = it->second.settings;
        const Herror err = change(changed);
        if (err == kSuccess)
            it->second.settings = changed;
        return err;
    });
}

Herror ShapeModelRegistry::remove(const HTuple &handle, int parameter)
{
    ModelSnapshot removed; // freed outside the lock
    return withModel(handle, parameter, [&](Table &t, Entry it) {
        removed = std::move(it->second);
        t.models.erase(it);
        return kSuccess;
    });
}

} // namespace Halcon::ShapeMatching
