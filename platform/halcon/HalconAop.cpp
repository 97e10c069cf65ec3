#include "HalconAop.h"

#include "HalconAop_p.h"
#include "HalconGuard_p.h"
#include "HalconSystemOps.h"
#include "HalconSystem_p.h"
#include "HobjectElements_p.h"
#include "RegionBounds_p.h"
#include "ReplacingFile.h"

#include <opencv2/core.hpp>

#include <QFile>
#include <QSysInfo>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <map>
#include <mutex>
#include <regex>
#include <sstream>
#include <thread>
#include <utility>
#include <vector>

namespace Halcon {

namespace {

// Format of the knowledge files; a file of another version is refused.
constexpr int kKnowledgeFormat = 1;
const char *const kKnowledgeHeader = "zelvorin aop knowledge";
// Knowledge files are a few lines per operator; anything far larger is not one.
constexpr qint64 kMaxKnowledgeFileSize = 4 * 1024 * 1024;
constexpr int kRepetitions = 3;

struct Entry
{
    int threads = 1;
    int width = 0;
    int height = 0;
    std::string model = "linear";
    double microseconds = 0.0;
};

using Key = std::pair<std::string, std::string>; // operator, pixel type
using Table = std::map<Key, Entry>;

struct AopState
{
    std::mutex mutex;
    Table table;
    std::map<std::string, Aop::Probe> probes;
};

AopState &state()
{
    static AopState instance;
    return instance;
}

// Set while optimize_aop times an operator on this thread.
thread_local int t_forcedThreads = 0;

std::atomic<Aop::BandHook> g_bandHook{nullptr};

const std::vector<std::string> &attributeNames()
{
    static const std::vector<std::string> names = {"version", "revision", "architecture", "cpu_info", "variant"};
    return names;
}

std::map<std::string, std::string> currentAttributes()
{
    return {
        {"version", kLayerVersion},
        {"revision", std::to_string(kKnowledgeFormat)},
        {"architecture", QSysInfo::buildCpuArchitecture().toStdString()},
        {"cpu_info", std::to_string(std::max(1u, std::thread::hardware_concurrency())) + " cores"},
        {"variant", "standard"},
    };
}

bool validType(const std::string &type)
{
    return type == "byte" || type == "uint2" || type == "real";
}

bool validOperatorName(const std::string &name)
{
    static const std::regex pattern("[a-z][a-z0-9_]*");
    return name.size() <= 128 && std::regex_match(name, pattern);
}

QString fileNameOf(const std::string &name)
{
    return QFile::decodeName(QByteArray::fromStdString(name));
}

// Generic parameters as (name, value) pairs; names must be texts.
Herror genericParameters(const HTuple &names, const HTuple &values, int namesParameter,
                         std::vector<std::pair<std::string, HValue>> &pairs)
{
    if (names.Length() != values.Length())
        return wrongCount(namesParameter + 1);
    pairs.clear();
    for (Hlong i = 0; i < names.Length(); ++i) {
        if (!names[i].IsString())
            return wrongType(namesParameter);
        pairs.emplace_back(names[i].Str(), values[i]);
    }
    return kSuccess;
}

// The knowledge file (parameter 1, not empty) and the generic parameters after it.
struct KnowledgeFileArguments {
    std::string file;
    std::vector<std::pair<std::string, HValue>> params;

    Herror read(const HTuple &fileName, const HTuple &genParamName, const HTuple &genParamValue)
    {
        const Herror err = singleString(fileName, 1, &file);
        if (err != kSuccess)
            return err;
        if (file.empty())
            return kErrWrongValue1;
        return genericParameters(genParamName, genParamValue, 2, params);
    }
};

std::string knowledgeText(const Table &table)
{
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << kKnowledgeHeader << ' ' << kKnowledgeFormat << '\n';
    for (const auto &[name, value] : currentAttributes())
        out << "attribute " << name << ' ' << value << '\n';
    for (const auto &[key, e] : table)
        out << "operator " << key.first << ' ' << key.second << ' ' << e.threads << ' ' << e.width << ' ' << e.height
            << ' ' << e.model << ' ' << e.microseconds << '\n';
    out << "end " << table.size() << '\n';
    return out.str();
}

Herror writeKnowledgeFile(const std::string &fileName, const Table &table)
{
    // A failure keeps the old file.
    const std::string text = knowledgeText(table);
    return ReplacingFile::write(fileNameOf(fileName), QByteArray::fromStdString(text)) ? kSuccess : kErrFileWrite;
}

// Parses a whole file; nothing is taken over unless all of it is sound.
Herror parseKnowledge(const std::string &text, std::map<std::string, std::string> &attributes,
                      std::vector<std::pair<Key, Entry>> &entries)
{
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    std::string line;
    if (!std::getline(in, line))
        return kErrFileFormatContent;
    {
        std::istringstream header(line);
        std::string w1, w2, w3, rest;
        int version = 0;
        if (!(header >> w1 >> w2 >> w3 >> version) || (header >> rest)
            || w1 + ' ' + w2 + ' ' + w3 != kKnowledgeHeader || version != kKnowledgeFormat)
            return kErrFileFormatContent;
    }
    bool ended = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (ended) {
            if (line.find_first_not_of(" \t") != std::string::npos)
                return kErrFileFormatContent;
            continue;
        }
        std::istringstream fields(line);
        fields.imbue(std::locale::classic());
        std::string kind;
        if (!(fields >> kind))
            return kErrFileFormatContent;
        if (kind == "attribute") {
            std::string name, value;
            if (!(fields >> name))
                return kErrFileFormatContent;
            std::getline(fields >> std::ws, value);
            if (std::find(attributeNames().begin(), attributeNames().end(), name) == attributeNames().end()
                || attributes.count(name))
                return kErrFileFormatContent;
            attributes[name] = value;
        } else if (kind == "operator") {
            std::string name, type, model, rest;
            Entry e;
            if (!(fields >> name >> type >> e.threads >> e.width >> e.height >> model >> e.microseconds)
                || (fields >> rest))
                return kErrFileFormatContent;
            if (!validOperatorName(name) || !validType(type) || e.threads < 1 || e.threads > 1024 || e.width < 0
                || e.width > 1000000 || e.height < 0 || e.height > 1000000
                || (model != "linear" && model != "threshold") || !std::isfinite(e.microseconds)
                || e.microseconds < 0.0)
                return kErrFileFormatContent;
            e.model = model;
            const Key key{name, type};
            for (const auto &existing : entries)
                if (existing.first == key)
                    return kErrFileFormatContent;
            entries.emplace_back(key, e);
        } else if (kind == "end") {
            size_t count = 0;
            std::string rest;
            if (!(fields >> count) || (fields >> rest) || count != entries.size())
                return kErrFileFormatContent;
            ended = true;
        } else {
            return kErrFileFormatContent;
        }
    }
    // A file cut short misses its end line.
    if (!ended)
        return kErrFileFormatContent;
    for (const std::string &name : attributeNames())
        if (!attributes.count(name))
            return kErrFileFormatContent;
    return kSuccess;
}

// A picture with structure (noise over gradients), so filters do their usual work.
Aop::Sample makeSample(const std::string &type, int width, int height)
{
    cv::RNG rng(0x5eed);
    std::vector<cv::Mat> planes;
    for (int c = 0; c < 3; ++c) {
        cv::Mat plane(height, width, CV_8UC1);
        rng.fill(plane, cv::RNG::UNIFORM, 0, 256);
        for (int y = 0; y < height; ++y) {
            std::uint8_t *row = plane.ptr<std::uint8_t>(y);
            for (int x = 0; x < width; ++x)
                row[x] = std::uint8_t((row[x] / 4) + (((x + y) * (c + 1)) % 192));
        }
        if (type == "real")
            plane.convertTo(plane, CV_32F);
        else if (type == "uint2")
            plane.convertTo(plane, CV_16U, 256.0);
        planes.push_back(plane);
    }
    Aop::Sample sample;
    sample.type = type;
    sample.rgb = makeObject(makeImage(planes));
    sample.red = makeObject(makeImage({planes[0]}));
    sample.green = makeObject(makeImage({planes[1]}));
    sample.blue = makeObject(makeImage({planes[2]}));
    return sample;
}

struct ForcedThreads
{
    explicit ForcedThreads(int n) { t_forcedThreads = n; }
    ~ForcedThreads() { t_forcedThreads = 0; }
};

// The workers of one parallelRows or parallelChunks call. The pool hands the loop to its
// threads inside OpenCV and TBB, where a thread checker cannot see it; each worker's first
// and last act here say the same in code it sees: the caller's work before every worker,
// every worker's work before the caller goes on. Nothing of the loop is read before that
// first act, not even a wrapper around the body.
template <typename Work>
class HandedOverLoop final : public cv::ParallelLoopBody
{
public:
    HandedOverLoop(std::string_view op, int workers, Aop::BandHook hook, Work work)
        : m_op(op), m_workers(workers), m_hook(hook), m_work(std::move(work))
    {
        m_handover.store(0, std::memory_order_release);
    }

    void operator()(const cv::Range &range) const override
    {
        m_handover.load(std::memory_order_acquire);
        for (int w = range.start; w < range.end; ++w) {
            if (m_hook)
                m_hook(m_op, w, m_workers);
            m_work(w);
        }
        m_handover.fetch_add(1, std::memory_order_release);
    }

    // Called by the caller once the pool has run every worker.
    void joined() const { m_handover.load(std::memory_order_acquire); }

private:
    std::string_view m_op;
    int m_workers;
    Aop::BandHook m_hook;
    Work m_work;
    mutable std::atomic<int> m_handover{0};
};

// Runs `work(worker)` for workers 0 .. workers - 1 on the pool, at most that many at once.
template <typename Work>
void runWorkers(std::string_view op, int workers, Work work)
{
    const HandedOverLoop<Work> loop(op, workers, g_bandHook.load(std::memory_order_acquire), std::move(work));
    cv::parallel_for_(cv::Range(0, workers), loop, workers);
    loop.joined();
}

} // namespace

namespace Aop {

int threadCount(std::string_view op, std::string_view type)
{
    if (t_forcedThreads > 0)
        return t_forcedThreads;
    if (!SystemState::parallelizeOperators())
        return 1;
    const int limit = SystemState::threadNum();
    if (limit <= 1)
        return 1;
    AopState &s = state();
    std::lock_guard lock(s.mutex);
    const auto it = s.table.find(Key{std::string(op), std::string(type)});
    return it == s.table.end() ? limit : std::clamp(it->second.threads, 1, limit);
}

void parallelRows(std::string_view op, std::string_view type, int rows, const std::function<void(int, int)> &body)
{
    if (rows <= 0)
        return;
    const int threads = std::min(threadCount(op, type), rows);
    // As many stripes as threads: OpenCV's pool then runs at most that many at once. A
    // single stripe runs on the calling thread, and OpenCV runs parallel loops nested in
    // one of its own loops serially, so one band also keeps cvtColor & co. on this thread.
    runWorkers(op, threads, [&](int band) {
        body(int(std::int64_t(rows) * band / threads), int(std::int64_t(rows) * (band + 1) / threads));
    });
}

void parallelChunks(std::string_view op, std::string_view type, int rows, int grain,
                    const std::function<void(int, int)> &body)
{
    if (rows <= 0)
        return;
    grain = std::max(1, grain);
    const int chunks = int((std::int64_t(rows) + grain - 1) / grain);
    const int threads = std::min(threadCount(op, type), chunks);
    // Each thread takes the next chunk until none is left. Rows are never handed out past
    // rows + grain * threads, so int does not overflow for any picture the layer holds.
    std::atomic<int> next{0};
    runWorkers(op, threads, [&](int) {
        for (;;) {
            const int first = next.fetch_add(grain, std::memory_order_relaxed);
            if (first >= rows)
                break;
            body(first, int(std::min<std::int64_t>(std::int64_t(first) + grain, rows)));
        }
    });
}

void setBandHook(BandHook hook)
{
    g_bandHook.store(hook, std::memory_order_release);
}

void registerProbe(const std::string &op, Probe probe)
{
    AopState &s = state();
    std::lock_guard lock(s.mutex);
    s.probes[op] = std::move(probe);
}

void unregisterProbe(const std::string &op)
{
    AopState &s = state();
    std::lock_guard lock(s.mutex);
    s.probes.erase(op);
}

} // namespace Aop

Herror optimize_aop(const HTuple &operatorName, const HTuple &iconicType, const HTuple &fileName,
                    const HTuple &genParamName, const HTuple &genParamValue)
{
    return guarded([&]() -> Herror {
        // ---- Parameters, all checked before anything is measured.
        std::vector<std::string> names;
        for (const HValue &v : operatorName.Values()) {
            if (!v.IsString())
                return kErrWrongType1;
            if (!v.Str().empty())
                names.push_back(v.Str());
        }
        std::vector<std::string> types;
        for (const HValue &v : iconicType.Values()) {
            if (!v.IsString())
                return kErrWrongType2;
            if (v.Str().empty())
                continue;
            if (!validType(v.Str()))
                return kErrWrongValue2;
            if (std::find(types.begin(), types.end(), v.Str()) == types.end())
                types.push_back(v.Str());
        }
        if (types.empty())
            types = {"byte", "real"};
        std::string file;
        if (!fileName.IsEmpty()) {
            const Herror err = singleString(fileName, 3, &file);
            if (err != kSuccess)
                return err;
        }
        std::vector<std::pair<std::string, HValue>> params;
        Herror err = genericParameters(genParamName, genParamValue, 4, params);
        if (err != kSuccess)
            return err;
        std::string systemMode = "renew", fileMode = "renew", model = "linear";
        double timeout = -1.0;
        int width = 1024, height = 768;
        for (const auto &[name, value] : params) {
            auto choice = [&](std::string &target, std::initializer_list<const char *> allowed) -> Herror {
                if (!value.IsString())
                    return kErrWrongType5;
                for (const char *a : allowed)
                    if (value.Str() == a) {
                        target = value.Str();
                        return kSuccess;
                    }
                return kErrWrongValue5;
            };
            std::string ignored;
            if (name == "system_mode") {
                err = choice(systemMode, {"renew", "truncate", "none"});
            } else if (name == "file_mode") {
                err = choice(fileMode, {"renew", "none"});
            } else if (name == "parameters") {
                err = choice(ignored, {"true", "false"});
            } else if (name == "model") {
                err = choice(model, {"linear", "threshold"});
            } else if (name == "timeout") {
                if (value.IsString()) {
                    err = value.Str() == "infinite" ? kSuccess : kErrWrongValue5;
                    timeout = -1.0;
                } else {
                    timeout = value.D();
                    err = std::isfinite(timeout) && timeout > 0.0 ? kSuccess : kErrWrongValue5;
                }
            } else if (name == "image_width" || name == "image_height") {
                Hlong n = 0;
                err = singleInteger(HTuple(value), 5, &n);
                if (err == kSuccess && (n < 16 || n > 8192))
                    err = kErrWrongValue5;
                (name == "image_width" ? width : height) = int(n);
            } else {
                err = kErrUnknownParameter;
            }
            if (err != kSuccess)
                return err;
        }

        static std::once_flag builtins;
        std::call_once(builtins, Aop::registerBuiltinProbes);

        // ---- The operators to time: named ones that have a probe, or all of them.
        std::vector<std::pair<std::string, Aop::Probe>> work;
        {
            AopState &s = state();
            std::lock_guard lock(s.mutex);
            if (names.empty()) {
                for (const auto &[name, probe] : s.probes)
                    work.emplace_back(name, probe);
            } else {
                for (const std::string &name : names) {
                    const auto it = s.probes.find(name);
                    const bool seen = std::any_of(work.begin(), work.end(), [&](const auto &w) { return w.first == name; });
                    if (it != s.probes.end() && !seen)
                        work.emplace_back(name, it->second);
                }
            }
        }

        // ---- Measuring.
        using Clock = std::chrono::steady_clock;
        const Clock::time_point started = Clock::now();
        auto timedOut = [&] {
            return timeout > 0.0 && std::chrono::duration<double>(Clock::now() - started).count() > timeout;
        };
        const int maxThreads = SystemState::threadNum();
        std::vector<int> candidates;
        if (model == "threshold") {
            candidates = {1};
            if (maxThreads > 1)
                candidates.push_back(maxThreads);
        } else {
            for (int k = 1; k <= maxThreads; ++k)
                candidates.push_back(k);
        }
        std::vector<std::pair<Key, Entry>> measured;
        const Detail::PictureSizeNotesPaused generatedPictures;
        for (const std::string &type : types) {
            const Aop::Sample sample = makeSample(type, width, height);
            for (const auto &[name, probe] : work) {
                bool supported = true;
                std::vector<double> times;
                for (int k : candidates) {
                    ForcedThreads forced(k);
                    if (k == candidates.front() && probe(sample) != kSuccess) { // warm-up, and the type check
                        supported = false;
                        break;
                    }
                    std::vector<double> runs;
                    for (int r = 0; r < kRepetitions; ++r) {
                        const Clock::time_point t0 = Clock::now();
                        if (probe(sample) != kSuccess) {
                            supported = false;
                            break;
                        }
                        runs.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
                        if (timedOut())
                            return kErrTimeout;
                    }
                    if (!supported)
                        break;
                    std::sort(runs.begin(), runs.end());
                    times.push_back(runs[runs.size() / 2]);
                }
                if (!supported)
                    continue;
                // The fewest threads within 5 % of the best: more threads for nothing only
                // take cores from the other work of the program.
                const double best = *std::min_element(times.begin(), times.end());
                size_t chosen = 0;
                while (times[chosen] > best * 1.05)
                    ++chosen;
                Entry e;
                e.threads = candidates[chosen];
                e.width = width;
                e.height = height;
                e.model = model;
                e.microseconds = times[chosen];
                measured.emplace_back(Key{name, type}, e);
            }
        }

        // ---- Taking the result over: the file first, so a failed write changes nothing.
        AopState &s = state();
        Table result;
        {
            std::lock_guard lock(s.mutex);
            result = systemMode == "truncate" ? Table{} : s.table;
        }
        for (const auto &[key, e] : measured)
            result[key] = e;
        if (systemMode == "none") {
            result.clear();
            for (const auto &[key, e] : measured)
                result[key] = e;
        }
        if (!file.empty() && fileMode != "none") {
            err = writeKnowledgeFile(file, result);
            if (err != kSuccess)
                return err;
        }
        if (systemMode != "none") {
            std::lock_guard lock(s.mutex);
            if (systemMode == "truncate")
                s.table.clear();
            for (const auto &[key, e] : measured)
                s.table[key] = e;
        }
        return kSuccess;
    });
}

Herror write_aop_knowledge(const HTuple &fileName, const HTuple &genParamName, const HTuple &genParamValue)
{
    return guarded([&]() -> Herror {
        KnowledgeFileArguments args;
        if (const Herror err = args.read(fileName, genParamName, genParamValue); err != kSuccess)
            return err;
        for (const auto &[name, value] : args.params) {
            if (name != "mode")
                return kErrUnknownParameter;
            if (!value.IsString())
                return kErrWrongType3;
            if (value.Str() != "renew")
                return kErrWrongValue3;
        }
        Table table;
        {
            AopState &s = state();
            std::lock_guard lock(s.mutex);
            table = s.table;
        }
        return writeKnowledgeFile(args.file, table);
    });
}

Herror read_aop_knowledge(const HTuple &fileName, const HTuple &genParamName, const HTuple &genParamValue,
                          HTuple *attributes, HTuple *operatorNames)
{
    return guarded([&]() -> Herror {
        KnowledgeFileArguments args;
        if (const Herror err = args.read(fileName, genParamName, genParamValue); err != kSuccess)
            return err;
        std::string mode = "renew";
        std::vector<std::string> ignored;
        for (const auto &[name, value] : args.params) {
            if (name != "mode" && name != "ignore_attrib")
                return kErrUnknownParameter;
            if (!value.IsString())
                return kErrWrongType3;
            if (name == "mode") {
                if (value.Str() != "renew" && value.Str() != "truncate")
                    return kErrWrongValue3;
                mode = value.Str();
            } else {
                if (std::find(attributeNames().begin(), attributeNames().end(), value.Str()) == attributeNames().end())
                    return kErrWrongValue3;
                ignored.push_back(value.Str());
            }
        }

        QFile in(fileNameOf(args.file));
        if (!in.open(QIODevice::ReadOnly))
            return kErrFileOpen;
        if (in.size() > kMaxKnowledgeFileSize)
            return kErrFileFormatContent;
        const QByteArray bytes = in.read(kMaxKnowledgeFileSize + 1);
        if (bytes.size() > kMaxKnowledgeFileSize)
            return kErrFileFormatContent;
        std::map<std::string, std::string> fileAttributes;
        std::vector<std::pair<Key, Entry>> entries;
        if (const Herror err = parseKnowledge(bytes.toStdString(), fileAttributes, entries); err != kSuccess)
            return err;
        const auto current = currentAttributes();
        for (const std::string &name : attributeNames()) {
            if (std::find(ignored.begin(), ignored.end(), name) != ignored.end())
                continue;
            if (fileAttributes.at(name) != current.at(name))
                return kErrAopForeignKnowledge;
        }

        HTuple attributeTuple, nameTuple;
        for (const std::string &name : attributeNames()) {
            attributeTuple.Append(HValue(name));
            attributeTuple.Append(HValue(fileAttributes.at(name)));
        }
        for (const auto &[key, e] : entries) {
            const bool seen = std::any_of(nameTuple.Values().begin(), nameTuple.Values().end(),
                                          [&](const HValue &v) { return v.Str() == key.first; });
            if (!seen)
                nameTuple.Append(HValue(key.first));
        }
        {
            AopState &s = state();
            std::lock_guard lock(s.mutex);
            if (mode == "truncate")
                s.table.clear();
            for (const auto &[key, e] : entries)
                s.table[key] = e;
        }
        if (attributes)
            *attributes = attributeTuple;
        if (operatorNames)
            *operatorNames = nameTuple;
        return kSuccess;
    });
}

void parallel_work(const std::string &task, int count, int grain, const std::function<void(int, int)> &body)
{
    Aop::parallelChunks(task, "byte", count, grain, body);
}

Herror get_aop_info(const HTuple &operatorName, const HTuple &iconicType, HTuple *threadCount, HTuple *isKnown)
{
    return guarded([&]() -> Herror {
        std::string name, type;
        Herror err = singleString(operatorName, 1, &name);
        if (err == kSuccess)
            err = singleString(iconicType, 2, &type);
        if (err == kSuccess && !validType(type))
            err = kErrWrongValue2;
        if (err != kSuccess)
            return err;
        bool known = false;
        {
            AopState &s = state();
            std::lock_guard lock(s.mutex);
            known = s.table.count(Key{name, type}) > 0;
        }
        const int threads = Aop::threadCount(name, type);
        if (threadCount)
            *threadCount = HTuple(threads);
        if (isKnown)
            *isKnown = HTuple(known ? 1 : 0);
        return kSuccess;
    });
}

} // namespace Halcon
