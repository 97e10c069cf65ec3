// Repainting a display window the way the picture viewer does: clear the buffer window,
// show the picture, draw every overlay with its own colour, draw mode and line width, and
// flip the buffer to the display window. A 2592 x 1944 colour plate picture with 5,000
// colony contours, at 1:1 and zoomed in; the baseline draws the same with QPainter
// straight into a QImage. Runs on one core. Prints "<name> <value> <unit>" lines.

#include "BenchSupport.h"
#include "Halcon.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <opencv2/core.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using BenchSupport::compare;
using BenchSupport::elapsedMs;
using BenchSupport::median;

struct Overlay
{
    Halcon::Hobject contour;
    const char *color;
    std::vector<QPointF> points; // for the baseline, in picture coordinates
};

struct Scene
{
    Halcon::Hobject picture;
    QImage baselinePicture;
    std::vector<Overlay> overlays;
};

// A plate: smooth background, 5,000 colonies of 6 to 20 pixels radius, each with a
// closed contour round it, as the colony analysis leaves them.
Scene makeScene(int width, int height, int contours)
{
    using namespace Halcon;
    Scene scene;
    cv::RNG rng(4711);
    std::vector<uchar> red(size_t(width) * height), green(red.size()), blue(red.size());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const size_t i = size_t(y) * width + x;
            red[i] = uchar(60 + (x * 40) / width);
            green[i] = uchar(50 + (y * 40) / height);
            blue[i] = uchar(40 + ((x + y) % 32));
        }
    }
    gen_image3(&scene.picture, "byte", width, height, HTuple(Hlong(reinterpret_cast<std::intptr_t>(red.data()))),
               HTuple(Hlong(reinterpret_cast<std::intptr_t>(green.data()))),
               HTuple(Hlong(reinterpret_cast<std::intptr_t>(blue.data()))));
    scene.baselinePicture = QImage(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(scene.baselinePicture.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const size_t i = size_t(y) * width + x;
            line[x] = qRgb(red[i], green[i], blue[i]);
        }
    }
    const char *colors[] = {"green", "red", "cadet blue", "light blue", "yellow"};
    scene.overlays.reserve(size_t(contours));
    for (int i = 0; i < contours; ++i) {
        const double row = rng.uniform(20.0, height - 20.0);
        const double column = rng.uniform(20.0, width - 20.0);
        const double radius = rng.uniform(6.0, 20.0);
        Overlay overlay;
        overlay.color = colors[i % 5];
        gen_circle_contour_xld(&overlay.contour, row, column, radius, 0.0, 6.283185307179586, "positive", 1.0);
        HTuple rows, columns;
        const int n = int(std::ceil(2 * 3.141592653589793 * radius));
        for (int k = 0; k <= n; ++k) {
            const double a = 2 * 3.141592653589793 * k / n;
            overlay.points.emplace_back(column + radius * std::cos(a), row - radius * std::sin(a));
        }
        scene.overlays.push_back(std::move(overlay));
    }
    return scene;
}

// One repaint as the viewer does it.
void viewerRepaint(const Scene &scene, Halcon::Hlong buffer, Halcon::Hlong display, int width, int height)
{
    using namespace Halcon;
    clear_window(buffer);
    disp_obj(scene.picture, buffer);
    for (const Overlay &overlay : scene.overlays) {
        set_color(buffer, overlay.color);
        set_draw(buffer, "margin");
        set_line_width(buffer, 1);
        disp_obj(overlay.contour, buffer);
    }
    copy_rectangle(buffer, display, 0, 0, height - 1, width - 1, 0, 0);
    QImage shown;
    windowCanvas(display, &shown);
}

// The same picture straight from QPainter with the part as a painter transform.
void baselineRepaint(const Scene &scene, QImage &target, const QRectF &part)
{
    QPainter painter(&target);
    painter.fillRect(target.rect(), Qt::black);
    const double sx = target.width() / part.width();
    const double sy = target.height() / part.height();
    painter.setTransform(QTransform(sx, 0, 0, sy, -part.left() * sx, -part.top() * sy));
    painter.drawImage(QPointF(0, 0), scene.baselinePicture);
    QColor colors[] = {Qt::green, Qt::red, QColor(95, 158, 160), QColor(173, 216, 230), Qt::yellow};
    int i = 0;
    for (const Overlay &overlay : scene.overlays) {
        painter.setPen(QPen(colors[i++ % 5], 0));
        painter.drawPolyline(overlay.points.data(), int(overlay.points.size()));
    }
}

} // namespace

int main(int argc, char **argv)
{
    using namespace Halcon;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    cv::setNumThreads(1); // one core, as the viewer paints in the GUI thread

    const int width = 2592, height = 1944, contours = 5000;
    const Scene scene = makeScene(width, height, contours);
    std::printf("picture.megapixels %.2f MP\noverlays.contours %d count\n", width * height / 1e6, contours);

    Hlong buffer = -1, display = -1;
    open_window(0, 0, width, height, 0, "buffer", "", &buffer);
    open_window(0, 0, width, height, 1, "visible", "", &display);
    QImage target(width, height, QImage::Format_ARGB32_Premultiplied);

    // 1:1: the window as large as the picture.
    set_part(buffer, 0, 0, height - 1, width - 1);
    compare("repaint.1to1", [&] { viewerRepaint(scene, buffer, display, width, height); },
            [&] { baselineRepaint(scene, target, QRectF(0, 0, width, height)); });

    // The first paint after a change of the part pays for scaling the picture once.
    std::vector<double> firstTimes;
    for (int i = 0; i < 7; ++i) {
        set_part(buffer, 0, i + 1, height - 1, width - 1 + i + 1);
        firstTimes.push_back(elapsedMs([&] { viewerRepaint(scene, buffer, display, width, height); }));
    }
    std::printf("repaint.after_part_change %.2f ms\n", median(firstTimes));

    // Zoomed in 4x on a corner: only a sixteenth of the picture and its overlays show.
    set_part(buffer, 0, 0, height / 4 - 1, width / 4 - 1);
    compare("repaint.zoom4x", [&] { viewerRepaint(scene, buffer, display, width, height); },
            [&] { baselineRepaint(scene, target, QRectF(0, 0, width / 4.0, height / 4.0)); });

    // Zoomed out into a quarter-size window, as a small viewer shows the whole plate.
    Hlong small = -1, smallDisplay = -1;
    open_window(0, 0, width / 2, height / 2, 0, "buffer", "", &small);
    open_window(0, 0, width / 2, height / 2, 1, "visible", "", &smallDisplay);
    set_part(small, 0, 0, height - 1, width - 1);
    QImage smallTarget(width / 2, height / 2, QImage::Format_ARGB32_Premultiplied);
    compare("repaint.half_size_window", [&] { viewerRepaint(scene, small, smallDisplay, width / 2, height / 2); },
            [&] { baselineRepaint(scene, smallTarget, QRectF(0, 0, width, height)); });
    // Its first paint after a change of the part: the picture scaled down once.
    std::vector<double> smallFirstTimes;
    for (int i = 0; i < 7; ++i) {
        set_part(small, 0, i + 1, height - 1, width - 1 + i + 1);
        smallFirstTimes.push_back(elapsedMs([&] { viewerRepaint(scene, small, smallDisplay, width / 2, height / 2); }));
    }
    std::printf("repaint.half_size_window.after_part_change %.2f ms\n", median(smallFirstTimes));

    // A stitched tray: a large colour picture shown whole in a window a sixth of its width,
    // as the Image Stitcher page shows its result; each first paint after a change of the
    // part scales it once.
    const int trayWidth = 6000, trayHeight = 4500, trayWindowWidth = 1000, trayWindowHeight = 750;
    const Scene tray = makeScene(trayWidth, trayHeight, 0);
    Hlong trayBuffer = -1, trayDisplay = -1;
    open_window(0, 0, trayWindowWidth, trayWindowHeight, 0, "buffer", "", &trayBuffer);
    open_window(0, 0, trayWindowWidth, trayWindowHeight, 1, "visible", "", &trayDisplay);
    QImage trayTarget(trayWindowWidth, trayWindowHeight, QImage::Format_ARGB32_Premultiplied);
    std::vector<double> trayTimes, trayBaselineTimes;
    for (int i = 0; i < 5; ++i) {
        set_part(trayBuffer, 0, i + 1, trayHeight - 1, trayWidth - 1 + i + 1);
        trayTimes.push_back(
            elapsedMs([&] { viewerRepaint(tray, trayBuffer, trayDisplay, trayWindowWidth, trayWindowHeight); }));
        trayBaselineTimes.push_back(
            elapsedMs([&] { baselineRepaint(tray, trayTarget, QRectF(i + 1, 0, trayWidth, trayHeight)); }));
    }
    std::printf("repaint.large_picture_small_window.after_part_change %.2f ms\n"
                "repaint.large_picture_small_window.after_part_change.baseline %.2f ms\n"
                "repaint.large_picture_small_window.after_part_change.ratio %.3f x\n",
                median(trayTimes), median(trayBaselineTimes), median(trayTimes) / median(trayBaselineTimes));
    close_window(trayBuffer);
    close_window(trayDisplay);

    close_window(small);
    close_window(smallDisplay);
    close_window(buffer);
    close_window(display);
    return 0;
}
