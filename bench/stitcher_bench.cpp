// The image stitcher on six generated views of 2592 x 1944 pixels: the whole stitch of the
// worker (twelve cross searches, the stitch and its tiling, the reports to the page) on one
// core against the bare vision-layer work it cannot do without (twelve finds over the search
// areas and one tiling), then on all cores; the tiling alone against copying its pixels; the
// mouse moves of a search-area drawing on a position viewer (the outline redrawn at each
// move through the editor's handler) against removing and adding the same outline directly.
// Prints "<name> <value> <unit>" lines; medians of several repetitions.
//
// Arguments: [repetitions]
#include "StitcherPageFixture.h"
#include "StitcherTestSetup.h"

#include "BenchSupport.h"

#include <HalconViewImpl.h>
#include <Hobject_View_Gui.h>
#include <Halcon_Helper.h>
#include <LabwareGrid.h>
#include <ModelMatching_Analyse_SearchModel.h>
#include <PictureStitching.h>
#include <PictureUnitConverter.h>
#include <SearchAreaGui.h>
#include <SearchAreaMouseHandler.h>
#include <SearchAreaSettings.h>
#include <StitcherResult.h>
#include <StitcherResultSave.h>

#include <Halcon.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QToolButton>
#include <QFile>

#include <sched.h>

#include <cstdio>
#include <cstring>
#include <numbers>
#include <vector>

namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

double runOnce(StitcherTestSetup::Stitcher& stitcher, const QList<Halcon::Hobject>& views)
{
    stitcher.page.clearRecords();
    QElapsedTimer timer;
    timer.start();
    if (stitcher.run(views) != 0) {
        std::fprintf(stderr, "stitch failed: %s\n", qPrintable(stitcher.page.states().join(QLatin1Char(' '))));
        std::exit(1);
    }
    return double(timer.nsecsElapsed()) / 1.0e6;
}

// What the stitch needs of the vision layer alone: each cross found in its search area, the
// pictures tiled.
struct BareStitch {
    std::vector<Halcon::Hobject> searchPictures; // the view reduced to one search area
    Halcon::HTuple model;
    QList<ImageStitcherTile> tiles;

    void run() const
    {
        for (const Halcon::Hobject& picture : searchPictures) {
            Halcon::HTuple row, column, angle, scale, score;
            Halcon::find_scaled_shape_model(picture, model, -4.0 * kRadiansPerDegree, 98.0 * kRadiansPerDegree, 0.95,
                                            1.05, 0.7 / 1.6, 1, 0.0, "least_squares_high", 5, 0.0, &row, &column,
                                            &angle, &scale, &score);
        }
        Halcon::Hobject stitched;
        PictureStitching::tilePictures(tiles, stitched);
    }
};

BareStitch bareStitch(StitcherTestSetup::Stitcher& stitcher, const QList<Halcon::Hobject>& views)
{
    BareStitch bare;
    bare.model = stitcher.crossModel->GetSearchWorker()->GetModel()->Handle();
    const ImageStitcherSettingsData& settings = stitcher.settings.data();
    for (int n = 0; n < views.size(); ++n) {
        PictureUnitConverter units(views[n]);
        for (const SearchAreaSettings* area : {&settings.ReferencePoints[size_t(n)].Area1,
                                               &settings.ReferencePoints[size_t(n)].Area2}) {
            const Halcon::Hobject contour = GenerateRotatedRectangleContour(&units, area->PosX, area->PosY,
                                                                            area->SizeX, area->SizeY, area->Angle);
            Halcon::Hobject region, gray, reduced;
            Halcon::gen_region_contour_xld(contour, &region, "filled");
            Halcon::rgb1_to_gray(views[n], &gray);
            Halcon::reduce_domain(gray, region, &reduced);
            bare.searchPictures.push_back(reduced);
        }
    }
    QList<PictureCross> crosses;
    for (const auto& report : stitcher.page.reports(FakeImageStitcherPage::Report::Crosses))
        crosses << report.cross1 << report.cross2;
    PictureStitching::layoutTiles(views, crosses, bare.tiles);
    return bare;
}

std::vector<double> series(int repetitions, const std::function<double()>& once)
{
    std::vector<double> times;
    for (int i = 0; i < repetitions; ++i)
        times.push_back(once());
    return times;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Errors errors(nullptr);
    PictureCross::registerMetaType();
    const int repetitions = std::max(1, argc > 1 ? std::atoi(argv[1]) : 9);

    PlateScenes::TrayOptions options;
    options.seed = 3;
    const PlateScenes::TrayScene tray = PlateScenes::generateTray(options);
    const QList<Halcon::Hobject> views = StitcherTestSetup::viewsOf(tray);
    std::printf("stitcher.views %dx%d px\n", tray.viewWidth, tray.viewHeight);

    // One core: operators on their calling thread, the process's threads on one processor. A
    // fresh worker, so that its thread starts with that affinity.
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
    double singleMs = 0.0;
    {
        StitcherTestSetup::Stitcher stitcher(options);
        if (stitcher.createModel() != 0) {
            std::fprintf(stderr, "cross model not made\n");
            return 1;
        }
        runOnce(stitcher, views); // warm caches
        const BareStitch bare = bareStitch(stitcher, views);
        std::vector<double> whole, baseline;
        for (int i = 0; i < repetitions; ++i) {
            whole.push_back(runOnce(stitcher, views));
            baseline.push_back(BenchSupport::elapsedMs([&] { bare.run(); }));
        }
        singleMs = BenchSupport::median(whole);
        const double bareMs = BenchSupport::median(baseline);
        std::printf("stitcher.whole_stitch.one_core %.1f ms\n", singleMs);
        std::printf("stitcher.whole_stitch.one_core.baseline %.1f ms\n", bareMs);
        std::printf("stitcher.whole_stitch.one_core.ratio %.2f x\n", singleMs / bareMs);

        // The tiling alone against copying the same pixels once.
        Halcon::Hobject stitched;
        int width = 0, height = 0;
        PictureStitching::stitchedSize(bare.tiles, width, height);
        std::vector<unsigned char> target(size_t(width) * size_t(height) * 3);
        std::vector<unsigned char> source(target.size());
        BenchSupport::compare(
            "stitcher.tiling.one_core", [&] { PictureStitching::tilePictures(bare.tiles, stitched); },
            [&] { std::memcpy(target.data(), source.data(), target.size()); }, repetitions);
    }

    // All cores.
    sched_setaffinity(0, sizeof(all), &all);
    Halcon::set_system("parallelize_operators", "true");
    Halcon::set_system("thread_num", cores);
    {
        StitcherTestSetup::Stitcher stitcher(options);
        stitcher.createModel();
        runOnce(stitcher, views);
        const double multiMs =
            BenchSupport::median(series(repetitions, [&] { return runOnce(stitcher, views); }));
        std::printf("stitcher.whole_stitch.all_cores %.1f ms\n", multiMs);
        std::printf("stitcher.whole_stitch.all_cores.cores %d count\n", cores);
        std::printf("stitcher.whole_stitch.all_cores.baseline %.1f ms\n", singleMs);
        std::printf("stitcher.whole_stitch.all_cores.ratio %.2f x\n", singleMs / multiMs);

        // Saving the result with all seven pictures written at once, against writing the same
        // pictures as plain files: what the rows, the private names and the renames add.
        StitcherResult result;
        stitcher.page.replayInto(result, stitcher.settings.data());
        StitcherPageFixture::ResultDatabase db;
        if (db.createResult != 0) {
            std::fprintf(stderr, "no result database (ZELVORIN_SOURCE_DIR unset?)\n");
            return 1;
        }
        QList<Halcon::Hobject> pictures{result.stitchedPicture()};
        for (const StitcherPictureSlot& slot : result.pictureSlots())
            pictures << slot.picture;
        StitcherResultSave saver(db.database, nullptr, db.pictureFolder());
        StitcherResultSave::Options asked;
        asked.saveInputPictures = true;
        asked.saveOutputPicture = true;
        const auto clearFolder = [&] {
            for (const QString& file : db.pictureFiles())
                QFile::remove(QDir(db.pictureFolder()).filePath(file));
        };
        std::vector<double> saves, plain;
        for (int i = 0; i < std::max(3, repetitions / 2); ++i) {
            Database::ID id = -1;
            saves.push_back(BenchSupport::elapsedMs([&] { saver.save(result, 0, asked, id); }));
            clearFolder();
            plain.push_back(BenchSupport::elapsedMs([&] {
                for (int k = 0; k < pictures.size(); ++k)
                    Halcon_Helper::SaveImageFile(QDir(db.pictureFolder()).filePath(QStringLiteral("p%1.png").arg(k)),
                                                 pictures.at(k), QStringLiteral("png fastest"), false, false);
            }));
            clearFolder();
        }
        const double saveMs = BenchSupport::median(saves);
        const double plainMs = BenchSupport::median(plain);
        std::printf("stitcher.save_result %.1f ms\n", saveMs);
        std::printf("stitcher.save_result.baseline %.1f ms\n", plainMs);
        std::printf("stitcher.save_result.ratio %.2f x\n", saveMs / plainMs);
    }

    // A search area being drawn on the viewer of picture 1: 50 mouse moves per run.
    {
        Hobject_View_Gui viewer;
        viewer.setPicture(views.first(), QStringLiteral("HalconPicture_Stitcher_Normal."), false);
        HalconViewImpl drawing(&viewer);
        SearchAreaSettings area;
        QWidget placeholder;
        SearchAreaGui editor(&drawing, SearchAreaDrawSettings{{}, QStringLiteral("light blue")}, &area, &placeholder);
        editor.findChild<QToolButton*>("m_QToolButton_MouseSelect_SearchPosition_Area")->setChecked(true);
        emit viewer.signal_HalconMousePressEvent(100, 100);
        constexpr int kMoves = 50;
        const QString overlay = QStringLiteral("Bench.Area.");
        BenchSupport::compare(
            "stitcher.search_area_drawing_50_moves",
            [&] {
                for (int i = 0; i < kMoves; ++i)
                    emit viewer.signal_HalconMouseMoveEvent(800 + i, 600 + i);
            },
            [&] {
                for (int i = 0; i < kMoves; ++i) {
                    viewer.removeObjects(overlay, false);
                    drawing.addRotatedRectangle(4.0, 4.0, 27.0 + 0.04 * i, 20.0 + 0.04 * i, 0.0, overlay,
                                                "light blue", "margin", 1, false);
                    viewer.updateView(true);
                }
            },
            repetitions);
        emit viewer.signal_HalconMouseReleaseEvent(900, 700);
        if (area == SearchAreaSettings()) {
            std::fprintf(stderr, "search area not drawn\n");
            return 1;
        }
    }
    return 0;
}
