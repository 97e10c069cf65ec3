// Repaint of the picture viewer on a camera-sized plate picture with many contour overlays.
// The baseline is the same repaint without overlays, so the ratio shows what the overlays cost.
#include "Hobject_View_Gui.h"
#include "Hobject_View_Gui_Picture.h"

#include <ViewerTestScene.h>

#include <HTuple.h>
#include <HalconSystemOps.h>

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 2592;
constexpr int kHeight = 1944;
constexpr int kOverlays = 5000;
constexpr int kRepetitions = 15;

double milliseconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double median(std::vector<double> times)
{
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

// Sizes the viewer until its picture area is exactly width x height.
void showPictureArea(Hobject_View_Gui& view, int width, int height)
{
    view.setControlPanelVisible(false);
    view.show();
    QWidget* picture = view.findChild<Hobject_View_Gui_Picture*>();
    for (int attempt = 0; attempt < 5 && picture->size() != QSize(width, height); ++attempt) {
        QApplication::processEvents();
        view.resize(view.size() + QSize(width, height) - picture->size());
        QApplication::processEvents();
    }
}

double repaintMs(Hobject_View_Gui& view)
{
    QWidget* picture = view.findChild<Hobject_View_Gui_Picture*>();
    picture->repaint();
    std::vector<double> times;
    for (int i = 0; i < kRepetitions; ++i)
        times.push_back(milliseconds([picture] { picture->repaint(); }));
    return median(times);
}

struct Case {
    const char* name;
    int areaWidth;
    int areaHeight;
    bool oneToOne;   // else the whole picture
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // One core: the figure must hold without the layer's own parallelism.
    Halcon::set_system("parallelize_operators", "false");
    Halcon::set_system("thread_num", 1);

    const std::vector<ViewerTestScene::Colony> colonies = ViewerTestScene::colonyGrid(kWidth, kHeight, kOverlays, 6.0);
    const Halcon::Hobject picture = ViewerTestScene::platePicture(kWidth, kHeight, colonies);
    const std::vector<Halcon::Hobject> contours = ViewerTestScene::colonyContours(colonies);

    const Case cases[] = {
        {"view_repaint_1to1_1280x960", 1280, 960, true},
        {"view_repaint_1to1_2592x1944", 2592, 1944, true},
        {"view_repaint_whole_1280x960", 1280, 960, false},
    };
    for (const Case& c : cases) {
        Hobject_View_Gui view(nullptr, QStringLiteral("bench"));
        view.addObjectGroup("all", QString(), true);
        showPictureArea(view, c.areaWidth, c.areaHeight);
        view.setPicture(picture, QStringLiteral("Plate"), false);
        auto setPart = [&] {
            if (c.oneToOne) {
                // Columns c1..c1 + width - 1 over width screen pixels, centred on the plate.
                const double longer = std::max(kWidth, kHeight);
                const double x = (kWidth - c.areaWidth) / 2.0 * 100.0 / longer;
                const double y = (kHeight - c.areaHeight) / 2.0 * 100.0 / longer;
                view.setViewPercentRange(x, y, (c.areaWidth - 1) * 100.0 / longer, (c.areaHeight - 1) * 100.0 / longer);
            } else {
                view.resetZoom(false);
            }
        };
        setPart();
        const double baseline = repaintMs(view);
        for (size_t i = 0; i < contours.size(); ++i)
            view.addObject(contours[i], i % 2 ? QStringLiteral("green") : QStringLiteral("red"), QStringLiteral("margin"),
                           1, QStringLiteral("Colony.%1").arg(i), true, false);
        setPart();
        const double withOverlays = repaintMs(view);
        double factorX = 0.0;
        double factorY = 0.0;
        view.getZoomFactor(factorX, factorY);
        std::printf("%s %.2f ms\n", c.name, withOverlays);
        std::printf("%s.baseline %.2f ms\n", c.name, baseline);
        std::printf("%s.ratio %.2f x\n", c.name, withOverlays / baseline);
        std::printf("%s.overlays %d count\n", c.name, int(contours.size()));
        std::printf("%s.zoom %.3f factor\n", c.name, factorX);
        std::fflush(stdout);
    }
    return 0;
}
