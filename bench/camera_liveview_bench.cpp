// The camera live view on a 2592 x 1944 stream from the simulated camera.
//
// camera_liveview.focus_live: pictures per second that the live view shows and measures with
// the focus aid open while the camera streams at its highest frame rate (50 per second);
// baseline: that frame rate, so a ratio of 1 means the view keeps up with the camera.
// camera_liveview.focus_capacity: pictures per second the view can show, measure and paint
// when pictures come as fast as it takes them; baseline: the same without an aid, so the
// ratio is what the focus aid costs.
// camera_liveview.<aid>: one measurement per picture; baseline: one pass over the measuring
// area's pixels (its mean grey value), the least any aid must read.
#include "Camera.h"
#include "Camera_LiveView_Aids.h"
#include "Camera_LiveView_Gui.h"
#include "Camera_LiveView_Settings.h"
#include "Camera_Settings.h"
#include "Camera_Timing.h"
#include "QuendralLibrary.h"

#include "BenchSupport.h"
#include "CameraPictureRate.h"

#include <Hobject_View_Gui.h>
#include <Hobject_View_Gui_Picture.h>

#include <HalconAcquisition.h>
#include <HalconFilterOps.h>
#include <HalconRegionOps.h>
#include <HalconTransformOps.h>
#include <SimulatedCameras.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

namespace Sim = Halcon::SimulatedCameras;
namespace Aids = Camera_LiveView_Aids;

constexpr int kRepetitions = 5;
constexpr int kLiveFrames = 150;
constexpr int kCapacityFrames = 60;

double median(const std::function<double()>& run)
{
    std::vector<double> values;
    for (int i = 0; i < kRepetitions; ++i)
        values.push_back(run());
    return BenchSupport::median(values);
}

void report(const char* name, double value, double baseline, const char* unit)
{
    std::printf("%s %.1f %s\n%s.baseline %.1f %s\n%s.ratio %.2f x\n", name, value, unit, name, baseline, unit, name,
                value / baseline);
}

// A grey 2592 x 1944 picture of the simulated camera.
Halcon::Hobject cameraPicture()
{
    Halcon::Hlong handle = -1;
    Halcon::open_framegrabber("LuCam", 1, 1, 0, 0, 0, 0, "default", 8, "gray", -1.0, "false", "default", "default", -1,
                              -1, &handle);
    Halcon::Hobject picture;
    Halcon::grab_image(&picture, handle);
    Halcon::close_framegrabber(handle);
    return picture;
}

// Counts the paints of the viewer's picture widget.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// Pictures per second the view shows, measures and paints when handed one after the other
// (the camera closed, so that only these reach it). Two pictures take turns, so that every
// paint draws a new one.
double capacityRate(Camera& camera, Camera_LiveView_Gui& live, const Halcon::Hobject (&pictures)[2], int frames)
{
    PaintCounter counter(live.view()->findChild<Hobject_View_Gui_Picture*>());
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < frames; ++i) {
        const int before = counter.paints;
        camera.SetPicture(pictures[i % 2]);
        const QDeadlineTimer deadline(5000);
        while (counter.paints == before && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return frames * 1e9 / double(timer.nsecsElapsed());
}

void aidTimes(const Halcon::Hobject& picture)
{
    const Camera_LiveView_Settings_Data defaults;
    const Aids::Labware& area = defaults.CameraFocus.Labware;
    Halcon::Hobject contour, region;
    Aids::MeasuringContour(picture, area, contour);
    Halcon::gen_region_contour_xld(contour, &region, "filled");
    const auto onePass = [&] {
        Halcon::HTuple mean, deviation;
        Halcon::intensity(region, picture, &mean, &deviation);
    };
    BenchSupport::compare("camera_liveview.focus", [&] {
        double focus = 0.0;
        Halcon::Hobject c;
        Aids::MeasureFocus(picture, area, focus, c);
    }, onePass);
    BenchSupport::compare("camera_liveview.aperture", [&] {
        double mean = 0.0;
        Halcon::Hobject c;
        Aids::MeasureAperture(picture, area, mean, c);
    }, onePass);
    for (int mode : {1, 4, 13}) {
        const std::string name = "camera_liveview.homogeneity_mode" + std::to_string(mode);
        BenchSupport::compare(name.c_str(), [&] {
            Aids::Homogeneity result;
            Aids::MeasureHomogeneity(picture, area, mode, result);
        }, onePass);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir folder;
    QDir(folder.path()).mkpath(QStringLiteral("settings"));
    QDir::setCurrent(folder.path());
    QuendralLibrary::Start(QStringLiteral("LiveViewBench"), QStringLiteral("1.0"), QStringLiteral("2016"), nullptr,
                           false, &app);
    Camera_Timing timing;
    timing.warmUp = 100;
    Camera_Timing::set(timing);
    Sim::reset(); // one 2592 x 1944 camera per interface

    const Halcon::Hobject picture = cameraPicture();
    aidTimes(picture);
    Halcon::Hobject pictures[2] = {picture, picture};
    Halcon::mirror_image(picture, &pictures[1], "column");

    Camera_Settings settings;
    // The highest frame rate the simulated camera allows at this size: 50 per second.
    settings.Settings.PixelClock = 43;
    settings.Settings.FrameRateMaxMode = true;
    Camera camera(&settings, QThread::NormalPriority);
    Camera_LiveView_Gui live(nullptr, &camera);
    live.resize(900, 800);
    live.show();

    const double withoutAid = median([&] {
        // Hiding closes every aid.
        live.hide();
        live.show();
        return capacityRate(camera, live, pictures, kCapacityFrames);
    });
    const double withFocus = median([&] {
        live.CameraFocus_Show(10, 10, 60, 40, 0, 13, 30);
        return capacityRate(camera, live, pictures, kCapacityFrames);
    });
    report("camera_liveview.focus_capacity", withFocus, withoutAid, "pictures/s");

    if (camera.Open() != 0) {
        std::printf("camera_liveview.focus_live failed to open the simulated camera\n");
        return 1;
    }
    double frameRate = 0.0, unused = 0.0;
    camera.GetFrameRateRange(unused, frameRate);
    live.CameraFocus_Show(10, 10, 60, 40, 0, 13, 30);
    // Counted after the view has shown and measured each picture.
    const double liveFocus = median([&] { return CameraPictureRate::receivedPerSecond(camera, kLiveFrames); });
    report("camera_liveview.focus_live", liveFocus, frameRate, "pictures/s");
    live.hide();
    camera.Close();
    QuendralLibrary::Stop();
    return 0;
}
