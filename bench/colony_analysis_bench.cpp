// The whole colony analysis of one generated plate picture: all steps, all containers, no
// drawing. First on one core (operators kept on their calling thread, the process pinned to
// one processor), then on all cores; time per step and the process's peak memory. The gain of
// all cores is printed beside the machine's own throughput of plain arithmetic on as many
// threads, measured in the same run: on a shared machine that is far below the core count.
//
// Labware "wells" (default): a 96-well plate (2592 x 1944) with about 800 colonies. "dish": a
// Petri dish with 200. "dense": a dense Petri dish of 2,500 objects (500 colonies, 2,000
// specks of dust), and beside it the same kind of dish with a tenth of them (50 and 200) on
// one core: the properties step must grow with the number of objects, not with its square.
// "colour": a 2448 x 2448 colour picture of a Petri dish analysed with the 7-pixel circle
// median pre-filter, and median_image of that picture on one thread beside OpenCV's
// medianBlur of 7 x 7 and 5 x 5 on the same picture.
//
// Arguments: [seed] [repetitions] [labware: wells|dish|dense|colour]
#include "ColonyAnalyserThread.h"
#include "Errors.h"

#include <FakeColonyAnalyserHost.h>
#include <PlateSceneSettings.h>
#include <ProcessMemory.h>
#include <PlateScenes.h>

#include <Halcon.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <sched.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// CPU time of the whole process: on a loaded machine the wall time also counts the time the
// threads waited for a processor.
double processCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1.0e3 + double(now.tv_nsec) / 1.0e6;
}

struct Run {
    double totalMs = 0.0;
    double cpuMs = 0.0;
    ColonyAnalyserThread::StepTimes steps;
    int colonies = 0;
    int good = 0;
    Errors::Type_Error error = 0;
};

Run analyseOnce(FakeColonyAnalyserHost& host, ColonyAnalyserThread& worker, const ColonySettingsData& settings,
                const Halcon::Hobject& picture)
{
    Run run;
    host.clearRecords();
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = processCpuMs();
    run.error = worker.Analyse({}, settings, picture);
    if (run.error != 0)
        return run;
    host.stopped.acquire(1);
    while (worker.state() != ColonyAnalyserThread::StateIdle)
        QThread::yieldCurrentThread();
    run.totalMs = double(timer.nsecsElapsed()) / 1.0e6;
    run.cpuMs = processCpuMs() - cpuStart;
    bool running = false;
    run.error = worker.CheckRunning(running);
    run.steps = worker.stepTimes();
    for (const ImageColony& colony : host.colonyList()) {
        ++run.colonies;
        if (colony.IsGoodColony)
            ++run.good;
    }
    return run;
}

struct Series {
    double totalMs = 0.0;
    double cpuMs = 0.0;
    ColonyAnalyserThread::StepTimes steps;
    int colonies = 0;
    int good = 0;
};

Series series(FakeColonyAnalyserHost& host, ColonyAnalyserThread& worker, const ColonySettingsData& settings,
              const Halcon::Hobject& picture, int repetitions)
{
    analyseOnce(host, worker, settings, picture); // warm caches and thread pools
    std::vector<Run> runs;
    for (int i = 0; i < repetitions; ++i) {
        runs.push_back(analyseOnce(host, worker, settings, picture));
        if (runs.back().error != 0) {
            std::printf("colony_analysis.error %d code\n", int(runs.back().error));
            std::exit(1);
        }
    }
    const auto med = [&](const std::function<double(const Run&)>& field) {
        std::vector<double> values;
        for (const Run& r : runs)
            values.push_back(field(r));
        return median(values);
    };
    Series s;
    s.totalMs = med([](const Run& r) { return r.totalMs; });
    s.cpuMs = med([](const Run& r) { return r.cpuMs; });
    s.steps.start = med([](const Run& r) { return r.steps.start; });
    s.steps.prepare = med([](const Run& r) { return r.steps.prepare; });
    s.steps.referencePoints = med([](const Run& r) { return r.steps.referencePoints; });
    s.steps.colorFilter = med([](const Run& r) { return r.steps.colorFilter; });
    s.steps.threshold = med([](const Run& r) { return r.steps.threshold; });
    s.steps.searchArea = med([](const Run& r) { return r.steps.searchArea; });
    s.steps.margins = med([](const Run& r) { return r.steps.margins; });
    s.steps.properties = med([](const Run& r) { return r.steps.properties; });
    s.steps.finish = med([](const Run& r) { return r.steps.finish; });
    s.steps.containers = runs.front().steps.containers;
    s.steps.containerThreads = runs.front().steps.containerThreads;
    s.colonies = runs.front().colonies;
    s.good = runs.front().good;
    return s;
}

void print(const char* prefix, const Series& s)
{
    std::printf("%s.total %.1f ms\n", prefix, s.totalMs);
    std::printf("%s.total.cpu_time %.1f ms\n", prefix, s.cpuMs);
    std::printf("%s.step.start %.2f ms\n", prefix, s.steps.start);
    std::printf("%s.step.prepare_picture %.2f ms\n", prefix, s.steps.prepare);
    std::printf("%s.step.prepare_picture.reference_points %.2f ms\n", prefix, s.steps.referencePoints);
    std::printf("%s.step.color_filter %.2f ms\n", prefix, s.steps.colorFilter);
    std::printf("%s.step.threshold %.2f ms\n", prefix, s.steps.threshold);
    std::printf("%s.step.search_area %.2f ms\n", prefix, s.steps.searchArea);
    std::printf("%s.step.search_colonies.margins %.2f ms\n", prefix, s.steps.margins);
    std::printf("%s.step.search_colonies.properties %.2f ms\n", prefix, s.steps.properties);
    std::printf("%s.step.finish %.2f ms\n", prefix, s.steps.finish);
    std::printf("%s.containers %d count\n", prefix, s.steps.containers);
    std::printf("%s.colonies %d count\n", prefix, s.colonies);
    std::printf("%s.good_colonies %d count\n", prefix, s.good);
}

// Throughput of `threads` threads of plain arithmetic against one thread, each doing the
// same amount: what this process can gain from its threads on the machine as it is loaded.
double parallelThroughput(int threads)
{
    const auto spin = [] {
        volatile double x = 0.0;
        for (long i = 0; i < 10000000; ++i)
            x = x + double(i) * 1e-9;
    };
    const auto timed = [&](int count) {
        std::vector<double> times;
        for (int repetition = 0; repetition < 3; ++repetition) {
            QElapsedTimer timer;
            timer.start();
            std::vector<std::thread> pool;
            for (int i = 0; i < count; ++i)
                pool.emplace_back(spin);
            for (std::thread& t : pool)
                t.join();
            times.push_back(double(timer.nsecsElapsed()));
        }
        return median(times);
    };
    const double alone = timed(1);
    return double(threads) * alone / std::max(1.0, timed(threads));
}

// The settings the bench analyses a scene with: those of the labware, and for the colour
// scene the median pre-filter of mode 3 (a circle of radius 7).
ColonySettingsData benchSettings(const PlateScenes::Scene& scene, bool medianFilter)
{
    ColonySettingsData settings = PlateSceneSettings::settingsFor(scene);
    settings.Colony.PreprocessingMedianEnabled = medianFilter;
    settings.Colony.PreprocessingMedianMode = 3;
    return settings;
}

double medianOf(const std::function<void()>& run, int repetitions)
{
    std::vector<double> times;
    run();
    for (int i = 0; i < std::max(3, repetitions); ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        times.push_back(double(timer.nsecsElapsed()) / 1.0e6);
    }
    return median(times);
}

// median_image of the colour picture on one thread, beside OpenCV's median of the same
// picture (one thread as well); called on one pinned core with the parallelisation off.
// OpenCV's thread count is not touched: its threads, once started on the pinned core, would
// stay there for the phase on all cores.
void printMedianFigures(const Halcon::Hobject& colour, int repetitions)
{
    Halcon::Hlong red = 0, green = 0, blue = 0, width = 0, height = 0;
    char type[32] = {};
    if (Halcon::get_image_pointer3(colour, &red, &green, &blue, type, &width, &height) != Halcon::kSuccess)
        return;
    // Inside a loop of OpenCV's own, OpenCV keeps to the calling thread.
    const auto oneThread = [](const std::function<void()>& run) {
        return [run] { cv::parallel_for_(cv::Range(0, 1), [&](const cv::Range&) { run(); }); };
    };
    std::vector<cv::Mat> planes;
    for (const Halcon::Hlong pointer : {blue, green, red})
        planes.emplace_back(int(height), int(width), CV_8UC1, reinterpret_cast<void*>(pointer));
    cv::Mat bgr;
    oneThread([&] { cv::merge(planes, bgr); })();
    Halcon::Hobject filtered;
    cv::Mat blurred;
    const double layer = medianOf([&] { Halcon::median_image(colour, &filtered, "circle", 7, "continued"); }, repetitions);
    const double seven = medianOf(oneThread([&] { cv::medianBlur(bgr, blurred, 7); }), repetitions);
    const double five = medianOf(oneThread([&] { cv::medianBlur(bgr, blurred, 5); }), repetitions);
    std::printf("colony_analysis.colour.median_image_circle_7.one_thread %.1f ms\n", layer);
    std::printf("colony_analysis.colour.median_image_circle_7.baseline.medianBlur_7x7 %.1f ms\n", seven);
    std::printf("colony_analysis.colour.median_image_circle_7.baseline.medianBlur_5x5 %.1f ms\n", five);
    std::printf("colony_analysis.colour.median_image_circle_7.ratio.medianBlur_7x7 %.2f x\n", layer / std::max(1e-9, seven));
    std::printf("colony_analysis.colour.median_image_circle_7.ratio.medianBlur_5x5 %.2f x\n", layer / std::max(1e-9, five));
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Errors errors(nullptr);

    const unsigned seed = argc > 1 ? unsigned(std::atoi(argv[1])) : 1u;
    const int repetitions = std::max(1, argc > 2 ? std::atoi(argv[2]) : 7);
    const std::string labware = argc > 3 ? argv[3] : "wells";
    PlateScenes::Options options;
    options.seed = seed;
    options.labware = labware == "wells" ? PlateScenes::Labware::Wells96 : PlateScenes::Labware::PetriDish;
    options.dense = labware == "dense";
    const bool colour = labware == "colour";
    if (colour)
        options.width = options.height = 2448;
    const PlateScenes::Scene scene = PlateScenes::generate(options);
    std::printf("colony_analysis.picture %dx%d px\n", scene.width, scene.height);
    std::printf("colony_analysis.drawn_colonies %d count\n", int(scene.colonies.size()));
    std::printf("colony_analysis.drawn_dust %d count\n", int(scene.dust.size()));
    std::printf("colony_analysis.memory_after_generation.VmRSS %lld kB\n", (long long)ProcessMemory::statusKB("VmRSS"));

    // A fresh worker per phase: its thread takes the affinity of the thread that starts it.
    const auto phase = [&](const PlateScenes::Scene& picture) {
        FakeColonyAnalyserHost host(FakeColonyAnalyserHost::Drawing::None);
        host.recordColonyCalls = false;
        ColonyAnalyserThread worker(&host, nullptr, nullptr);
        return series(host, worker, benchSettings(picture, colour), picture.image, repetitions);
    };

    // One core: operators on their calling thread, the process's threads on one processor.
    cpu_set_t all;
    sched_getaffinity(0, sizeof(all), &all);
    const int cores = CPU_COUNT(&all);
    cpu_set_t one;
    CPU_ZERO(&one);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (CPU_ISSET(cpu, &all)) {
            CPU_SET(cpu, &one);
            break;
        }
    }
    Halcon::set_system("parallelize_operators", "false");
    sched_setaffinity(0, sizeof(one), &one);
    ProcessMemory::resetPeak();
    const Series single = phase(scene);
    const long long peakKb = ProcessMemory::statusKB("VmHWM");
    print("colony_analysis.one_core", single);
    std::printf("colony_analysis.one_core.peak_memory.VmHWM %.1f MB\n", peakKb / 1024.0);
    if (colour)
        printMedianFigures(scene.image, repetitions);

    if (options.dense) {
        // The same kind of dish with a tenth of the objects.
        PlateScenes::Options fewer = options;
        fewer.denseColonies /= 10;
        fewer.dustSpecks /= 10;
        const PlateScenes::Scene sparse = PlateScenes::generate(fewer);
        const Series tenth = phase(sparse);
        print("colony_analysis.one_core.tenth_of_the_objects", tenth);
        std::printf("colony_analysis.one_core.properties_growth %.2f x\n",
                    single.steps.properties / std::max(1e-9, tenth.steps.properties));
        const double objects = double(single.colonies) / std::max(1, tenth.colonies);
        std::printf("colony_analysis.one_core.properties_growth.objects %.2f x\n", objects);
        std::printf("colony_analysis.one_core.properties_growth.ratio_to_objects %.2f x\n",
                    single.steps.properties / std::max(1e-9, tenth.steps.properties) / std::max(1e-9, objects));
    }

    // All cores.
    sched_setaffinity(0, sizeof(all), &all);
    Halcon::set_system("parallelize_operators", "true");
    Halcon::set_system("thread_num", cores);
    const Series multi = phase(scene);
    print("colony_analysis.all_cores", multi);
    std::printf("colony_analysis.all_cores.cores %d count\n", cores);
    std::printf("colony_analysis.all_cores.container_threads %d count\n", multi.steps.containerThreads);
    std::printf("colony_analysis.all_cores.baseline %.1f ms\n", single.totalMs);
    std::printf("colony_analysis.all_cores.ratio %.2f x\n", single.totalMs / std::max(1e-9, multi.totalMs));
    // The most any work can gain on this machine now: on one shared with other work it is
    // far below the number of cores.
    const double throughput = parallelThroughput(cores);
    std::printf("colony_analysis.all_cores.machine_throughput %.2f x\n", throughput);
    std::printf("colony_analysis.all_cores.ratio_to_machine_throughput %.2f x\n",
                single.totalMs / std::max(1e-9, multi.totalMs) / std::max(1e-9, throughput));
    std::printf("colony_analysis.peak_memory.VmHWM %.1f MB\n", ProcessMemory::statusKB("VmHWM") / 1024.0);
    return 0;
}
