// Model matching as the image stitcher uses it, against the bare vision layer:
// - a cross search through the facade (search region, reference-point rectangle, checks,
//   contours) against one find over the whole search region;
// - the pre-filters near the search region against the same filters over the whole picture;
// - the creation of the cross model against the bare model creation;
// - the mouse moves of a region drawing in the model settings editor (the record changed
//   and all regions redrawn at each move) against building and showing the same contours.
// Prints "<name> <value> <unit>" lines; medians of several repetitions, measured alternately.

#include "BenchSupport.h"

#include <Halcon.h>
#include <ModelMatchingEditors.h>
#include <ModelMatchingPrefilter.h>
#include <ModelMatchingSetup.h>
#include <PictureUnitConverter.h>

#include <QToolButton>

#include <QApplication>

#include <cstdio>
#include <numbers>

using namespace Halcon;

namespace {
constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    ModelMatchingSetup setup;
    setup.addCrossRoi();
    ModelMatching& facade = *setup.facade;
    const Hobject crossTemplate = facade.GetModelPictureCopy();
    if (setup.createCrossModel() != 0) {
        std::fprintf(stderr, "cross model not made\n");
        return 1;
    }

    // A stitcher picture of 2592 x 1944 px with its two crosses; the search areas as the
    // stitcher's defaults make them: 30 % of the longer side.
    CrossScenes::ViewOptions options;
    options.width = 2592;
    options.height = 1944;
    const Hobject view = CrossScenes::view({{500.3, 700.6, 45.7, 1.01}, {1400.2, 1900.8, 44.1, 0.99}}, options);
    const Hobject area = CrossScenes::searchArea(500.3 - 388, 700.6 - 388, 500.3 + 388, 700.6 + 388);
    const ModelMatchingSearchParameters search = ModelMatchingSetup::stitcherSearch(view, area);
    const HTuple model = setup.searcher->GetModel()->Handle();
    Hobject region, filled, reduced;
    gen_region_contour_xld(area, &filled, "filled");
    union1(filled, &region);
    reduce_domain(view, region, &reduced);
    set_shape_model_param(model, "timeout", 5000);

    BenchSupport::compare(
        "modelmatching.search_cross",
        [&] {
            ModelMatchingSearchResult r;
            facade.SearchModel(search, r);
        },
        [&] {
            HTuple row, column, angle, scale, score;
            find_scaled_shape_model(reduced, model, -4.0 * kRadiansPerDegree, 98.0 * kRadiansPerDegree, 0.95, 1.05,
                                    0.7 / 1.6, 1, 0.0, "least_squares_high", 0, 0.0, &row, &column, &angle, &scale,
                                    &score);
        });

    ModelMatchingSettings::FilterData filters;
    filters.Median = {true, 2};
    filters.Shock = {true, 3};
    filters.Emphasize = {true, 1};
    BenchSupport::compare(
        "modelmatching.prefilter_search_region",
        [&] {
            Hobject filtered;
            int status = 2;
            ModelMatchingPrefilter::Apply(view, region, filters, filtered, status);
        },
        [&] {
            Hobject median, shocked, emphasized;
            median_image(view, &median, "circle", 3, "mirrored");
            shock_filter(median, &shocked, 0.5, 5, "canny", 0.4);
            emphasize(shocked, &emphasized, 5, 5, 30.0);
        },
        7);

    Hobject roiContour, roiRegion, templateReduced;
    gen_rectangle2_contour_xld(&roiContour, 150, 200, 0.0, 80, 80);
    gen_region_contour_xld(roiContour, &roiRegion, "filled");
    reduce_domain(crossTemplate, roiRegion, &templateReduced);
    BenchSupport::compare(
        "modelmatching.create_cross",
        [&] {
            ModelMatchingCreateResult r;
            facade.CreateModel(ModelMatchingSetup::stitcherCreate(), r);
        },
        [&] {
            HTuple handle;
            create_scaled_shape_model(templateReduced, 10, -4.0 * kRadiansPerDegree, 98.0 * kRadiansPerDegree,
                                      0.1 * kRadiansPerDegree, 0.95, 1.05, 0.0025, "auto", "ignore_color_polarity",
                                      HTuple(std::vector<HValue>{"auto_contrast", "auto_contrast_hyst", "auto_min_size"}),
                                      "auto", &handle);
            clear_shape_model(handle);
        },
        9);

    // 20 regions on the template, a 21st being drawn: 50 mouse moves per run.
    ModelMatchingEditors editors;
    editors.setup.facade->SetModelPictureMode(ModelMatching::Mode_DefineModel);
    editors.setup.facade->EditSettings([](ModelMatchingSettings& s) {
        for (int i = 0; i < 20; ++i) {
            ModelMatchingRoi roi;
            roi.Type = 1 + i % 2;
            roi.PositionX = 2.0 + 4.0 * (i % 10);
            roi.PositionY = 5.0 + 30.0 * (i / 10);
            roi.SizeX = 3.0;
            roi.SizeY = 20.0;
            s.Model.ROI.append(roi);
        }
    });
    Hobject_View_Gui& viewer = editors.viewer();
    editors.modelGui->findChild<QToolButton*>("m_QToolButton_MouseSelect_Model_Rectangle_Add")->setChecked(true);
    emit viewer.signal_HalconMousePressEvent(20, 20);
    constexpr int kMoves = 50;
    const QString overlay = QStringLiteral("Bench.Area.");
    BenchSupport::compare(
        "modelmatching.roi_drawing_50_moves",
        [&] {
            for (int i = 0; i < kMoves; ++i)
                emit viewer.signal_HalconMouseMoveEvent(100 + i, 80 + i);
        },
        [&] {
            for (int i = 0; i < kMoves; ++i) {
                ModelMatchingSettings snapshot;
                editors.setup.facade->GetSettingsSnapshot(snapshot);
                PictureUnitConverter units(crossTemplate);
                Hobject contours;
                int status = 2;
                ModelMatching_Analyse_CreateModel::BuildRoiContours(snapshot.Model.ROI, units, contours, status);
                viewer.removeObjects(overlay, false);
                viewer.addObject(contours, "yellow", "margin", 1, overlay, false, false);
                viewer.updateView(true);
            }
        });
    emit viewer.signal_HalconMouseReleaseEvent(150, 130);
    return 0;
}
