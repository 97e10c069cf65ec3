// Live grabbing of 2592 x 1944 colour pictures from the simulated camera through Camera,
// each picture received by its signal in the main thread as the live view receives it.
// The baseline is the least a live loop can be: a thread that grabs from the same device
// (and does the same picture step) and hands each picture to the main thread by a queued
// call, so the ratio is what Camera adds. Frame pacing is off for these (the sensor would
// otherwise set the figure); the last figure is the rate at the camera's own frame rate
// with the default settings, against that frame rate.
#include "Camera.h"
#include "Camera_Settings.h"
#include "Camera_Timing.h"

#include "BenchSupport.h"
#include "CameraPictureRate.h"

#include <HalconAcquisition.h>
#include <HalconTransformOps.h>
#include <SimulatedCameras.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

namespace {

namespace Sim = Halcon::SimulatedCameras;

constexpr int kFrames = 3000;
constexpr int kTurnedFrames = 60;
constexpr int kRepetitions = 5;

// The least live loop: grab (and turn), hand over by a queued call.
double minimalLoopRate(int frames, bool turn)
{
    Halcon::Hlong handle = -1;
    Halcon::open_framegrabber("uEye", 1, 1, 0, 0, 0, 0, "default", 8, "rgb", -1.0, "false", "default", "default", -1,
                              -1, &handle);
    QObject receiver;
    std::atomic<int> received{0};
    std::atomic<bool> stop{false};
    QElapsedTimer timer;
    timer.start();
    std::thread loop([&] {
        while (!stop) {
            Halcon::Hobject picture;
            Halcon::grab_image(&picture, handle);
            if (turn)
                Halcon::rotate_image(picture, &picture, 90.0, "none");
            QMetaObject::invokeMethod(&receiver, [&received, picture] { ++received; }, Qt::QueuedConnection);
        }
    });
    while (received < frames)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double rate = received * 1e9 / std::max<qint64>(1, timer.nsecsElapsed());
    stop = true;
    loop.join();
    QCoreApplication::processEvents();
    Halcon::close_framegrabber(handle);
    return rate;
}

// Pictures per second that reach a receiver in this thread through signal_picture.
double liveRate(Camera_Settings& settings, int frames)
{
    Camera camera(&settings, QThread::NormalPriority);
    if (camera.Open())
        return 0.0;
    camera.SetLiveMode(true);
    const double rate = CameraPictureRate::receivedPerSecond(camera, frames);
    camera.SetLiveMode(false);
    return rate;
}

void report(const char* name, double value, double baseline)
{
    std::printf("%s %.1f pictures/s\n%s.baseline %.1f pictures/s\n%s.ratio %.2f x\n", name, value, name, baseline,
                name, value / baseline);
}

double median(const std::function<double()>& run)
{
    std::vector<double> values;
    for (int i = 0; i < kRepetitions; ++i)
        values.push_back(run());
    return BenchSupport::median(values);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Camera_Timing timing;
    timing.warmUp = 100;
    Camera_Timing::set(timing);
    Sim::reset(); // one 2592 x 1944 camera per interface

    Camera_Settings settings;
    settings.Settings.ColorSpace = 2;
    settings.Settings.WhiteBalanceMode = 1;
    Sim::setFramePacing(false);
    const double live = median([&] { return liveRate(settings, kFrames); });
    const double baseline = median([] { return minimalLoopRate(kFrames, false); });
    report("camera.live_rgb_2592x1944", live, baseline);

    settings.Picture.Rotate = 2;
    const double turned = median([&] { return liveRate(settings, kTurnedFrames); });
    const double turnedBaseline = median([] { return minimalLoopRate(kTurnedFrames, true); });
    report("camera.live_rgb_2592x1944_turned90", turned, turnedBaseline);

    settings.Picture.Rotate = 1;
    Sim::setFramePacing(true);
    double cameraRate = 0.0, unused = 0.0;
    {
        Camera camera(&settings, QThread::NormalPriority);
        camera.Open();
        camera.GetFrameRateRange(unused, cameraRate);
    }
    const double paced = median([&] { return liveRate(settings, 60); });
    report("camera.live_rgb_2592x1944_paced", paced, cameraRate);
    return 0;
}
