#pragma once

// What every stitcher test works with: a generated tray in six views (made once per test
// program; half the camera's size, so the ASan build stays quick), the stitcher settings
// record with its "CrossModel" facade and template picture, as the main window sets them up,
// and a fake page.

#include "FakeImageStitcherPage.h"

#include <ImageStitcherSettings.h>
#include <ImageStitcherThread.h>
#include <ModelMatching.h>
#include <ModelMatching_ModelPicture.h>
#include <PictureCrossSearch.h>
#include <PlateScenes.h>

#include <QList>

#include <memory>
#include <vector>

namespace StitcherTestSetup {

inline PlateScenes::TrayOptions trayOptions(int missingCrossView = -1, int missingCrossPoint = 0)
{
    PlateScenes::TrayOptions options;
    options.seed = 7;
    options.viewWidth = 1296;
    options.viewHeight = 972;
    options.colonies = 300;
    options.missingCrossView = missingCrossView;
    options.missingCrossPoint = missingCrossPoint;
    return options;
}

inline const PlateScenes::TrayScene& tray()
{
    static const PlateScenes::TrayScene scene = PlateScenes::generateTray(trayOptions());
    return scene;
}

inline QList<Halcon::Hobject> viewsOf(const PlateScenes::TrayScene& scene)
{
    QList<Halcon::Hobject> pictures;
    for (const PlateScenes::TrayView& view : scene.views)
        pictures << view.image;
    return pictures;
}

// A cross the worker reported, with the view of the tray it was searched in.
struct ReportedCross {
    PictureCross cross;
    int pictureIndex = -1;
    int point = 0;
    const PlateScenes::TrayView* view = nullptr;
};

// Every cross of the page's reports, in report order, point 0 before point 1.
inline std::vector<ReportedCross> reportedCrosses(const FakeImageStitcherPage& page, const PlateScenes::TrayScene& tray)
{
    std::vector<ReportedCross> crosses;
    for (const FakeImageStitcherPage::Report& report : page.reports(FakeImageStitcherPage::Report::Crosses)) {
        const PlateScenes::TrayView* view = &tray.views[size_t(report.pictureIndex)];
        crosses.push_back({report.cross1, report.pictureIndex, 0, view});
        crosses.push_back({report.cross2, report.pictureIndex, 1, view});
    }
    return crosses;
}

// The record and its cross model (template picture with one model region around the cross),
// as the main window sets them up. The model is made on request, as define-model mode or the
// model file would give it.
struct CrossModelSetup {
    // The template picture fits the crosses of trays made with these options.
    explicit CrossModelSetup(const PlateScenes::TrayOptions& options = trayOptions())
    {
        crossModel = std::make_unique<ModelMatching>(QStringLiteral("CrossModel"), &settings.data().CrossModel);
        settings.setCrossModel(crossModel.get());
        modelPicture = std::make_unique<ModelMatching_ModelPicture>(crossModel.get(), QStringLiteral("modelmatching"),
                                                                    true);
        modelPicture->SetModelPicture(PlateScenes::trayCrossTemplate(options));
        ModelMatchingRoi roi;
        roi.PositionX = 30.0;
        roi.PositionY = 17.5;
        roi.SizeX = 40.0;
        roi.SizeY = 40.0;
        {
            const auto lock = crossModel->LockSettings();
            settings.data().CrossModel.Model.ROI = {roi};
        }
    }

    Errors::Type_Error createModel()
    {
        ModelMatchingCreateResult result;
        return crossModel->CreateModel(PictureCrossSearch::createParameters(), result);
    }

    ImageStitcherSettings settings;
    std::unique_ptr<ModelMatching> crossModel;
    std::unique_ptr<ModelMatching_ModelPicture> modelPicture;
};

// The cross model, a fake page and the worker over them.
struct Stitcher : CrossModelSetup {
    explicit Stitcher(const PlateScenes::TrayOptions& options = trayOptions())
        : CrossModelSetup(options)
    {
        worker = std::make_unique<ImageStitcherThread>(&page, ImageStitcherThread::AppSettingsData(), settings.data(),
                                                       crossModel.get());
    }

    ~Stitcher()
    {
        worker.reset(); // before the page and the facade it reports to and registered with
    }

    // Starts on the pictures and waits until the run has stopped.
    Errors::Type_Error run(const QList<Halcon::Hobject>& pictures, int timeoutMs = 120000)
    {
        if (const Errors::Type_Error code = worker->Start({}, settings.data(), pictures); code != 0)
            return code;
        if (!page.stopped.tryAcquire(1, timeoutMs))
            return -1;
        while (worker->state() != ImageStitcherThread::StateIdle)
            QThread::yieldCurrentThread();
        bool running = true;
        return worker->CheckRunning(running);
    }

    FakeImageStitcherPage page;
    std::unique_ptr<ImageStitcherThread> worker;
};

} // namespace StitcherTestSetup
