#include "HalconSystemOps.h"

#include "ControlValues_p.h"
#include "HalconGuard_p.h"
#include "HalconSystem_p.h"
#include "HobjectElements_p.h"
#include "PlaneCache_p.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace Halcon {

const char *const kLayerVersion = "1.0.0";

namespace {

enum class Kind { Flag, Integer, Choice };

struct ParameterSpec
{
    Kind kind;
    Hlong minimum;
    Hlong maximum;
    std::vector<std::string> choices;
};

const std::map<std::string, ParameterSpec> &parameterSpecs()
{
    static const std::map<std::string, ParameterSpec> specs = {
        {"thread_num", {Kind::Integer, 1, 1024, {}}},
        {"tsp_thread_num", {Kind::Integer, 0, 1024, {}}},
        {"parallelize_operators", {Kind::Flag, 0, 0, {}}},
        {"width", {Kind::Integer, 0, 1000000, {}}},
        {"height", {Kind::Integer, 0, 1000000, {}}},
        {"temporary_mem_cache", {Kind::Choice, 0, 0, {"true", "false", "exclusive", "shared", "idle"}}},
        {"current_runlength_number", {Kind::Integer, 0, Hlong(1) << 40, {}}},
        {"store_empty_region", {Kind::Flag, 0, 0, {}}},
        {"clip_region", {Kind::Flag, 0, 0, {}}},
        {"backing_store", {Kind::Flag, 0, 0, {}}},
        {"database", {Kind::Flag, 0, 0, {}}},
        {"border_shape_models", {Kind::Flag, 0, 0, {}}},
        {"flush_graphic", {Kind::Flag, 0, 0, {}}},
        {"no_object_result", {Kind::Flag, 0, 0, {}}},
        {"empty_region_result", {Kind::Flag, 0, 0, {}}},
    };
    return specs;
}

int processorCount()
{
    return int(std::clamp(std::thread::hardware_concurrency(), 1u, 1024u));
}

// The calling thread's own "tsp_thread_num"; 0 follows "thread_num".
thread_local int t_threadNum = 0;

// The store itself; every access holds the mutex.
struct SystemStore
{
    std::mutex mutex;
    std::map<std::string, HValue> values;
    std::set<std::string> checks;
    // Copies of the two values every parallelised operator reads, so that operators on many
    // threads at once do not queue for the mutex; written with the map, under the mutex.
    std::atomic<int> threadNum{1};
    std::atomic<bool> parallelize{true};

    SystemStore()
    {
        values = {
            {"thread_num", HValue(processorCount())},
            {"parallelize_operators", HValue("true")},
            {"width", HValue(0)},
            {"height", HValue(0)},
            {"temporary_mem_cache", HValue("true")},
            {"current_runlength_number", HValue(50000)},
            {"store_empty_region", HValue("true")},
            {"clip_region", HValue("true")},
            {"backing_store", HValue("true")},
            {"database", HValue("false")},
            {"border_shape_models", HValue("false")},
            {"flush_graphic", HValue("true")},
            {"no_object_result", HValue("true")},
            {"empty_region_result", HValue("true")},
        };
        checks = defaultChecks();
        threadNum.store(processorCount());
    }

    static std::set<std::string> defaultChecks() { return {"give_error", "ref_give_error", "parameter"}; }
};

SystemStore &store()
{
    static SystemStore instance;
    return instance;
}

const std::set<std::string> &checkModes()
{
    static const std::set<std::string> modes = {"give_error", "ref_give_error", "ref", "data", "parameter",
                                                "region", "color", "text", "memory", "father", "database",
                                                "interface", "clear", "operator"};
    return modes;
}

// Checks one value against its parameter and gives the value to store.
Herror checkedValue(const ParameterSpec &spec, const HValue &value, HValue *stored)
{
    switch (spec.kind) {
    case Kind::Flag:
        if (!value.IsString())
            return kErrWrongType2;
        if (value.Str() != "true" && value.Str() != "false")
            return kErrWrongValue2;
        *stored = value;
        return kSuccess;
    case Kind::Choice:
        if (!value.IsString())
            return kErrWrongType2;
        if (std::find(spec.choices.begin(), spec.choices.end(), value.Str()) == spec.choices.end())
            return kErrWrongValue2;
        *stored = value;
        return kSuccess;
    case Kind::Integer: {
        Hlong n = 0;
        const Herror err = singleInteger(HTuple(value), 2, &n);
        if (err != kSuccess)
            return err;
        if (n < spec.minimum || n > spec.maximum)
            return kErrWrongValue2;
        *stored = HValue(n);
        return kSuccess;
    }
    }
    return kErrInternal;
}

std::vector<std::string> moduleNames()
{
    return {"foundation", "image_io", "color", "filters", "regions", "contours", "geometry",
            "shape_matching", "display", "image_acquisition", "parallelization"};
}

Hlong integerValue(const char *name)
{
    SystemStore &s = store();
    std::lock_guard lock(s.mutex);
    return s.values[name].L();
}

bool flagValue(const char *name)
{
    SystemStore &s = store();
    std::lock_guard lock(s.mutex);
    return s.values[name].Str() == "true";
}

} // namespace

namespace SystemState {

int threadNum()
{
    if (t_threadNum > 0)
        return t_threadNum;
    return std::max(1, store().threadNum.load(std::memory_order_relaxed));
}

bool parallelizeOperators()
{
    return store().parallelize.load(std::memory_order_relaxed);
}

int defaultWidth()
{
    return int(integerValue("width"));
}

int defaultHeight()
{
    return int(integerValue("height"));
}

bool clipRegion()
{
    return flagValue("clip_region");
}

bool storeEmptyRegion()
{
    return flagValue("store_empty_region");
}

bool temporaryMemCache()
{
    SystemStore &s = store();
    std::lock_guard lock(s.mutex);
    return s.values["temporary_mem_cache"].Str() != "false";
}

} // namespace SystemState

Herror set_check(const HTuple &check)
{
    return guarded([&]() -> Herror {
        if (check.IsEmpty())
            return kErrWrongCount1;
        // Applied to a copy first, so a bad mode in the middle changes nothing.
        SystemStore &s = store();
        std::lock_guard lock(s.mutex);
        std::set<std::string> modes = s.checks;
        for (const HValue &v : check.Values()) {
            if (!v.IsString())
                return kErrWrongType1;
            const std::string &text = v.Str();
            const bool off = !text.empty() && text[0] == '~';
            const std::string mode = off ? text.substr(1) : text;
            if (mode == "default") {
                modes = off ? std::set<std::string>{} : SystemStore::defaultChecks();
            } else if (mode == "all") {
                modes = off ? std::set<std::string>{} : checkModes();
            } else if (mode == "none" && !off) {
                modes.clear();
            } else if (mode == "ref_none" && !off) {
                modes.erase("ref");
                modes.erase("ref_give_error");
            } else if (checkModes().count(mode)) {
                if (off)
                    modes.erase(mode);
                else
                    modes.insert(mode);
            } else {
                return kErrWrongValue1;
            }
        }
        s.checks = std::move(modes);
        return kSuccess;
    });
}

Herror get_check(HTuple *check)
{
    return guarded([&]() -> Herror {
        SystemStore &s = store();
        HTuple result;
        {
            std::lock_guard lock(s.mutex);
            for (const std::string &mode : checkModes())
                result.Append(HValue(s.checks.count(mode) ? mode : "~" + mode));
        }
        if (check)
            *check = result;
        return kSuccess;
    });
}

Herror set_system(const HTuple &systemParameter, const HTuple &value)
{
    return guarded([&]() -> Herror {
        if (systemParameter.IsEmpty())
            return kErrWrongCount1;
        if (value.Length() != systemParameter.Length())
            return kErrWrongCount2;
        std::vector<std::pair<std::string, HValue>> pairs;
        for (Hlong i = 0; i < systemParameter.Length(); ++i) {
            if (!systemParameter[i].IsString())
                return kErrWrongType1;
            const auto spec = parameterSpecs().find(systemParameter[i].Str());
            if (spec == parameterSpecs().end())
                return kErrUnknownParameter;
            HValue stored;
            const Herror err = checkedValue(spec->second, value[i], &stored);
            if (err != kSuccess)
                return err;
            pairs.emplace_back(spec->first, stored);
        }
        bool releaseCache = false;
        {
            SystemStore &s = store();
            std::lock_guard lock(s.mutex);
            for (auto &[name, v] : pairs) {
                if (name == "tsp_thread_num") {
                    t_threadNum = int(v.L());
                    continue;
                }
                s.values[name] = v;
                if (name == "temporary_mem_cache")
                    releaseCache = v.Str() == "false";
                else if (name == "thread_num")
                    s.threadNum.store(int(v.L()));
                else if (name == "parallelize_operators")
                    s.parallelize.store(v.Str() == "true");
            }
        }
        // Off means the memory goes back now, not when the next plane is freed.
        if (releaseCache)
            Detail::releasePlaneCache();
        return kSuccess;
    });
}

Herror get_system(const HTuple &query, HTuple *information)
{
    return guarded([&]() -> Herror {
        if (query.IsEmpty())
            return kErrWrongCount1;
        HTuple result;
        SystemStore &s = store();
        std::lock_guard lock(s.mutex);
        for (const HValue &q : query.Values()) {
            if (!q.IsString())
                return kErrWrongType1;
            const std::string &name = q.Str();
            if (name == "file_version") {
                result.Append(HValue(kLayerVersion));
            } else if (name == "processor_num") {
                result.Append(HValue(processorCount()));
            } else if (name == "tsp_thread_num") {
                result.Append(HValue(t_threadNum));
            } else if (name == "parameters") {
                for (const auto &entry : parameterSpecs())
                    result.Append(HValue(entry.first));
            } else {
                const auto it = s.values.find(name);
                if (it == s.values.end())
                    return kErrUnknownParameter;
                result.Append(it->second);
            }
        }
        if (information)
            *information = result;
        return kSuccess;
    });
}

Herror reset_obj_db(const HTuple &defaultImageWidth, const HTuple &defaultImageHeight, const HTuple &defaultChannels)
{
    return guarded([&]() -> Herror {
        Hlong width = 0, height = 0, channels = 0;
        Herror err = singleInteger(defaultImageWidth, 1, &width);
        if (err == kSuccess && (width < 1 || width > 1000000))
            err = kErrWrongValue1;
        if (err == kSuccess)
            err = singleInteger(defaultImageHeight, 2, &height);
        if (err == kSuccess && (height < 1 || height > 1000000))
            err = kErrWrongValue2;
        if (err == kSuccess)
            err = singleInteger(defaultChannels, 3, &channels);
        if (err == kSuccess && (channels < 0 || channels > 1000))
            err = kErrWrongValue3;
        if (err != kSuccess)
            return err;
        SystemStore &s = store();
        std::lock_guard lock(s.mutex);
        s.values["width"] = HValue(width);
        s.values["height"] = HValue(height);
        return kSuccess;
    });
}

Herror get_modules(HTuple *usedModules, HTuple *moduleKey)
{
    return guarded([&]() -> Herror {
        HTuple names;
        // A stable key of the set (FNV-1a of the names), so two builds offering the same
        // modules report the same key.
        std::uint64_t hash = 1469598103934665603ull;
        for (const std::string &name : moduleNames()) {
            names.Append(HValue(name));
            for (unsigned char ch : name + ";")
                hash = (hash ^ ch) * 1099511628211ull;
        }
        char key[17];
        static const char digits[] = "0123456789abcdef";
        for (int i = 15; i >= 0; --i, hash >>= 4)
            key[i] = digits[hash & 0xf];
        key[16] = '\0';
        if (usedModules)
            *usedModules = names;
        if (moduleKey)
            *moduleKey = HTuple(key);
        return kSuccess;
    });
}

} // namespace Halcon
