#pragma once

// The colony demos against their ground truth: the scene each demo picture was made from and
// the check that an analysis shown on the Colony Analyser page found every isolated colony;
// the stitcher demo's views placed as a client places them; waits for a page's run.

#include "ColonyAnalyserGui.h"
#include "DemoPlateScenes.h"
#include "MainWindowGui.h"
#include "StitcherCommands.h"

#include <QStringList>
#include <QtTest>

#include <algorithm>
#include <cmath>

namespace DemoTruth {

inline PlateScenes::Scene scene(const QString& baseName)
{
    for (const DemoPlateScenes::Demo& demo : DemoPlateScenes::colonyDemos) {
        if (baseName == QLatin1String(demo.baseName))
            return PlateScenes::generate(DemoPlateScenes::options(demo));
    }
    return PlateScenes::Scene();
}

// An isolated colony is found when a good colony of its container lies within half its
// radius (at least a pixel) of its centre; each good colony finds one.
inline QStringList missedIsolatedColonies(const ColonyAnalyserGui& page, const PlateScenes::Scene& scene,
                                          int* isolated = nullptr)
{
    QStringList missed;
    std::vector<const ColonyAnalyserGui::ColonyEntry*> good;
    for (const auto& container : page.rack().containers) {
        for (const auto& colony : container->colonies) {
            if (colony->row.IsGoodColony)
                good.push_back(colony.get());
        }
    }
    std::vector<bool> used(good.size(), false);
    int count = 0;
    for (const PlateScenes::Colony& truth : scene.colonies) {
        if (!truth.isolated)
            continue;
        ++count;
        size_t best = good.size();
        double bestDistance = std::max(1.0, 0.5 * truth.radius);
        for (size_t i = 0; i < good.size(); ++i) {
            if (used[i] || good[i]->containerNumber != truth.container + 1)
                continue;
            const double d = std::hypot(good[i]->row.PosY_px - truth.row, good[i]->row.PosX_px - truth.column);
            if (d <= bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        if (best < good.size())
            used[best] = true;
        else
            missed << QStringLiteral("(%1, %2) in container %3").arg(truth.row).arg(truth.column).arg(truth.container + 1);
    }
    if (isolated)
        *isolated = count;
    return missed;
}

// Places the stitcher demo's views as the control software does: each view as the camera's
// picture, then assigned to its position.
inline Errors::Type_Error placeStitcherDemoViews(MainWindowGui& window)
{
    const QStringList views = StitcherCommands::demoPicturePaths(QStringLiteral("QTray-Plate"));
    for (int position = 0; position < views.size(); ++position) {
        if (const Errors::Type_Error code = window.Camera_LoadPicture(views.at(position)))
            return code;
        if (const Errors::Type_Error code = window.ImageStitcher_AssignPicturePosition(position))
            return code;
    }
    return 0;
}

// Polls a page's running check as a client does, until the run and its reports are over;
// the run's code.
template <typename CheckRunning>
Errors::Type_Error waitWhileRunning(CheckRunning checkRunning, int timeoutMs = 300000)
{
    bool running = true;
    Errors::Type_Error code = 0;
    QElapsedTimer timer;
    timer.start();
    do {
        QTest::qWait(10);
        code = checkRunning(running);
    } while (running && timer.elapsed() < timeoutMs);
    return running ? Errors::Type_Error(101) : code;
}

inline Errors::Type_Error waitForAnalysis(MainWindowGui& window, int timeoutMs = 300000)
{
    return waitWhileRunning([&window](bool& running) { return window.AnalyseColonies_CheckRunning(running); },
                            timeoutMs);
}

inline Errors::Type_Error waitForStitching(MainWindowGui& window, int timeoutMs = 300000)
{
    return waitWhileRunning([&window](bool& running) { return window.ImageStitcher_CheckRunning(running); },
                            timeoutMs);
}

} // namespace DemoTruth
