#include "PlateScenes.h"

#include "PlateRenderer_p.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace PlateScenes {

struct TrayPlan
{
    struct Paint
    {
        double row, column; // frame, centre
        double a, b;        // px: half width and height (rectangle) or semi-axes (colony)
        double angle;
        double strength;    // colonies only
        Detail::Rgb tint;
    };
    Paint body;
    Paint agar;
    std::vector<Paint> colonies;
    double lightBase = 225.0;
    double gradientX = 0.0;
    double gradientY = 0.0;
    double centreRow = 0.0; // of the frame, for the light
    double centreColumn = 0.0;
};

namespace {

using namespace Detail;

constexpr double kPi = 3.14159265358979323846;
constexpr int kViews = 6;

// Stitcher's default layout at 2592 x 1944 pixels: where each view starts in the frame, and
// the crosses (top, left 1, left 2, bottom, right 1, right 2) in the middle of the default
// search areas of the views that share them.
constexpr double kViewOrigins[kViews][2] = {{0.0, 0.0},      {1393.3, 0.0},    {2813.4, 0.0},
                                            {0.0, 2143.5},   {1393.3, 2143.5}, {2813.4, 2143.5}};
constexpr double kCrosses[kViews][2] = {{128.0, 2421.4},  {1601.7, 117.1},  {3128.9, 117.1},
                                        {4549.0, 2408.0}, {1601.7, 4645.3}, {3128.9, 4645.3}};
// Crosses of point 0 and 1 per view.
constexpr int kViewCrosses[kViews][2] = {{0, 1}, {1, 2}, {2, 3}, {0, 4}, {4, 5}, {5, 3}};

constexpr double kCrossHalfLength = 60.0; // px at scale 1, as the cross model's template
constexpr double kCrossArmWidth = 24.0;
constexpr double kBodyInset = 280.0; // px at scale 1 from the frame border
constexpr double kAgarInset = 240.0; // from the body border
constexpr double kMarkInset = 120.0;
constexpr double kResolution = 20.0; // px/mm at scale 1
constexpr double kMarkRadiusMm = 1.2;

// A frame point of the tray's own (x right, y down) offset from the frame centre.
void trayToFrame(const TrayScene& scene, double x, double y, double& row, double& column)
{
    const double c = std::cos(scene.rotation), s = std::sin(scene.rotation);
    column = scene.width / 2.0 + c * x + s * y;
    row = scene.height / 2.0 - s * x + c * y;
}

// Paints the agar plane (tray body, agar, colonies) of the frame into a renderer whose
// pixel (0, 0) is frame (row0, column0).
void paintAgarPlane(Renderer& renderer, const TrayPlan& plan, double row0, double column0)
{
    renderer.rotatedRectangle(plan.body.row - row0, plan.body.column - column0, plan.body.a, plan.body.b,
                              plan.body.angle, kPlateBody);
    renderer.rotatedRectangle(plan.agar.row - row0, plan.agar.column - column0, plan.agar.a, plan.agar.b,
                              plan.agar.angle, kAgar);
    for (const TrayPlan::Paint& c : plan.colonies)
        renderer.colony(c.row - row0, c.column - column0, c.a, c.b, c.angle, c.strength, c.tint);
}

double lightAt(const TrayPlan& plan, double frameRow, double frameColumn)
{
    const double x = (frameColumn - plan.centreColumn) / plan.centreColumn;
    const double y = (frameRow - plan.centreRow) / plan.centreColumn;
    return plan.lightBase * (1.0 + plan.gradientX * x * 0.5 + plan.gradientY * y * 0.5);
}

void paintCross(Renderer& renderer, double row, double column, double angle, double halfLength, double halfWidth)
{
    renderer.rotatedRectangle(row, column, halfLength, halfWidth, angle, kMark);
    renderer.rotatedRectangle(row, column, halfLength, halfWidth, angle + kPi / 2.0, kMark);
}

// Where a point of another plane shows in a view: about the view's centre, its agar-plane
// view position divided by the plane's factor.
void seenInView(const TrayScene& scene, double viewRow, double viewColumn, double factor, double& row, double& column)
{
    const double centreRow = scene.viewHeight * 0.5, centreColumn = scene.viewWidth * 0.5;
    row = centreRow + (viewRow - centreRow) / factor;
    column = centreColumn + (viewColumn - centreColumn) / factor;
}

} // namespace

TrayScene generateTray(const TrayOptions& options)
{
    std::mt19937 random(options.seed * 2246822519u + 7u);
    const auto uniform = [&](double low, double high) { return std::uniform_real_distribution<double>(low, high)(random); };

    TrayScene scene;
    scene.viewWidth = options.viewWidth;
    scene.viewHeight = options.viewHeight;
    const double s = options.viewWidth / 2592.0;
    scene.scale = s;
    scene.resolution = kResolution * s;
    scene.rotation = uniform(-0.4, 0.4) * kPi / 180.0;
    scene.crossFactor = options.crossFactor;
    scene.markFactor = options.markFactor;
    scene.crossHalfLength = kCrossHalfLength * s;
    scene.crossArmWidth = kCrossArmWidth * s;

    double maxRow = 0.0, maxColumn = 0.0;
    for (int n = 0; n < kViews; ++n) {
        TrayView& view = scene.views[size_t(n)];
        const double jitter = n == 0 ? 0.0 : 1.0;
        view.row = (kViewOrigins[n][0] + jitter * uniform(-8.0, 8.0)) * s;
        view.column = (kViewOrigins[n][1] + jitter * uniform(-8.0, 8.0)) * s;
        maxRow = std::max(maxRow, view.row);
        maxColumn = std::max(maxColumn, view.column);
    }
    scene.width = int(std::ceil(maxColumn)) + options.viewWidth;
    scene.height = int(std::ceil(maxRow)) + options.viewHeight;
    for (const auto& position : kCrosses) {
        scene.crosses.push_back({(position[0] + uniform(-10.0, 10.0)) * s, (position[1] + uniform(-10.0, 10.0)) * s,
                                 (45.0 + uniform(-3.0, 3.0)) * kPi / 180.0 + scene.rotation});
        // Drawn after the random angle, so that everything else stays as it was.
        const size_t index = scene.crosses.size() - 1;
        if (index < options.crossAngles.size())
            scene.crosses.back().angle = options.crossAngles[index] * kPi / 180.0;
    }

    auto plan = std::make_shared<TrayPlan>();
    plan->centreRow = scene.height / 2.0;
    plan->centreColumn = scene.width / 2.0;
    plan->lightBase = uniform(215.0, 235.0);
    plan->gradientX = uniform(-0.08, 0.08);
    plan->gradientY = uniform(-0.08, 0.08);
    const double bodyHalfWidth = scene.width / 2.0 - kBodyInset * s;
    const double bodyHalfHeight = scene.height / 2.0 - kBodyInset * s;
    plan->body = {scene.height / 2.0, scene.width / 2.0, bodyHalfWidth, bodyHalfHeight, scene.rotation, 0.0, {}};
    scene.agarRow = scene.height / 2.0;
    scene.agarColumn = scene.width / 2.0;
    scene.agarHalfWidth = bodyHalfWidth - kAgarInset * s;
    scene.agarHalfHeight = bodyHalfHeight - kAgarInset * s;
    plan->agar = {scene.agarRow, scene.agarColumn, scene.agarHalfWidth, scene.agarHalfHeight, scene.rotation, 0.0, {}};

    const double markX = bodyHalfWidth - kMarkInset * s;
    const double markY = bodyHalfHeight - kMarkInset * s;
    const double corners[4][2] = {{-markX, -markY}, {markX, -markY}, {-markX, markY}, {markX, markY}};
    for (size_t k = 0; k < 4; ++k)
        trayToFrame(scene, corners[k][0], corners[k][1], scene.markRows[k], scene.markColumns[k]);
    scene.markRadius = kMarkRadiusMm * scene.resolution;
    scene.distanceX = 2.0 * markX / scene.resolution;
    scene.distanceY = 2.0 * markY / scene.resolution;

    // Colonies on the agar, apart from each other and from the agar's edge.
    const double r = scene.resolution;
    const double reachX = scene.agarHalfWidth / r - 3.0, reachY = scene.agarHalfHeight / r - 3.0; // mm
    std::vector<std::array<double, 3>> placed; // x, y, major semi-axis (mm)
    int attempts = 0;
    while (int(placed.size()) < options.colonies && attempts < options.colonies * 40) {
        ++attempts;
        const double radius = uniform(0.45, 1.2);
        const double ratio = uniform(0.85, 1.0);
        const double a = radius / std::sqrt(ratio), b = radius * std::sqrt(ratio);
        const double x = uniform(-reachX, reachX), y = uniform(-reachY, reachY);
        bool clear = true;
        for (const auto& p : placed)
            clear = clear && std::hypot(p[0] - x, p[1] - y) - p[2] - a >= 0.6;
        if (!clear)
            continue;
        placed.push_back({x, y, a});
        const bool faint = uniform(0.0, 1.0) < 0.1;
        TrayPlan::Paint paint;
        trayToFrame(scene, x * r, y * r, paint.row, paint.column);
        paint.a = a * r;
        paint.b = b * r;
        paint.angle = uniform(0.0, kPi) + scene.rotation;
        paint.strength = faint ? uniform(0.27, 0.32) : uniform(0.36, 0.60);
        paint.tint = normalisedTint(kTints[std::uniform_int_distribution<int>(0, 4)(random)]);
        plan->colonies.push_back(paint);

        Colony truth;
        truth.row = paint.row;
        truth.column = paint.column;
        truth.radiusMajor = paint.a;
        truth.radiusMinor = paint.b;
        truth.angle = paint.angle;
        truth.radius = std::sqrt(a * b) * r;
        truth.faint = faint;
        scene.colonies.push_back(truth);
    }
    scene.plan = plan;

    for (int n = 0; n < kViews; ++n) {
        TrayView& view = scene.views[size_t(n)];
        Renderer renderer(options.viewWidth, options.viewHeight);
        paintAgarPlane(renderer, *plan, view.row, view.column);
        for (size_t k = 0; k < 4; ++k) {
            double row = 0.0, column = 0.0;
            seenInView(scene, scene.markRows[k] - view.row, scene.markColumns[k] - view.column, scene.markFactor, row,
                       column);
            renderer.disc(row, column, scene.markRadius / scene.markFactor, kMark);
        }
        for (int point = 0; point < 2; ++point) {
            const int index = kViewCrosses[n][point];
            const TrayCross& cross = scene.crosses[size_t(index)];
            view.crossIndex[size_t(point)] = index;
            view.agarRow[size_t(point)] = cross.row - view.row;
            view.agarColumn[size_t(point)] = cross.column - view.column;
            seenInView(scene, view.agarRow[size_t(point)], view.agarColumn[size_t(point)], scene.crossFactor,
                       view.crossRow[size_t(point)], view.crossColumn[size_t(point)]);
            if (n == options.missingCrossView && point == options.missingCrossPoint)
                continue;
            paintCross(renderer, view.crossRow[size_t(point)], view.crossColumn[size_t(point)], cross.angle,
                       scene.crossHalfLength, scene.crossArmWidth / 2.0);
        }
        view.image = renderer.toImageLit(options.seed * 31u + unsigned(n), options.noiseSigma, [&](int row, int column) {
            return lightAt(*plan, row + view.row, column + view.column);
        });
    }
    return scene;
}

Halcon::Hobject renderTrayWindow(const TrayScene& scene, double row, double column, int width, int height)
{
    if (!scene.plan || width < 1 || height < 1)
        return Halcon::Hobject();
    Renderer renderer(width, height);
    paintAgarPlane(renderer, *scene.plan, row, column);
    return renderer.toImageLit(0, 0.0, [&](int r, int c) { return lightAt(*scene.plan, r + row, c + column); });
}

Halcon::Hobject trayCrossTemplate(const TrayOptions& options)
{
    const double s = options.viewWidth / 2592.0;
    const int width = int(std::lround(400.0 * s));
    const int height = int(std::lround(300.0 * s));
    Renderer renderer(width, height);
    paintCross(renderer, height / 2.0, width / 2.0, 0.0, kCrossHalfLength * s, kCrossArmWidth * s / 2.0);
    return renderer.toImageLit(options.seed + 101u, 1.0, [](int, int) { return 225.0; });
}

} // namespace PlateScenes
