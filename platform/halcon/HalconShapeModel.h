#pragma once

// Scaled shape-based matching: an edge model made from a template picture or from
// contours is searched over position, angle and scale by the similarity of gradient
// directions.
//
// Every operator returns kSuccess (2) or a failure number of HalconErrors.h and leaves its
// outputs untouched on failure. Positions are (row, column) in pixels, angles radians
// (counter-clockwise on screen positive), scales relative to the model.
//
// A model is named by a handle: a tuple of one integer. Handles live until
// clear_shape_model; a handle that names no model fails with kErrInvalidHandle. All
// operators are thread-safe; searches of the same or different models may run at once.
//
// Reference point: a model made from a picture has its reference point at the centre of
// gravity of the template's domain; a model made from contours at the centre of gravity of
// the contours (each piece weighted by its length). find_scaled_shape_model's domain
// bounds where that reference point may lie; the returned position is the model origin
// (set_shape_model_origin, an offset from the reference point, (0, 0) when made) placed
// with the found angle and scale. The whole model must lie inside the picture.
//
// Metrics: "use_polarity" (the object keeps its contrast), "ignore_global_polarity"
// (contrast may be reversed as a whole), "ignore_local_polarity" (reversed in any part),
// "ignore_color_polarity" (any channel count; per pixel the strongest channel counts, in
// either sense). The others need one-channel pictures. For a contour model, "use_polarity"
// expects the picture to grow brighter toward the right of the contour's direction of
// travel (outward for a circle made with point order "positive").

#include "HTuple.h"
#include "HalconTypes.h"
#include "Hobject.h"

namespace Halcon {

// Model from the image (one image; its domain marks the template).
//   numLevels     pyramid levels 1 .. 10, or "auto"; fewer are kept when a level would
//                 hold too few edge points
//   angleStart, angleExtent   angle range (extent >= 0)
//   angleStep     > 0 or "auto"; only a lower bound: the search chooses its steps from
//                 the model size and refines the pose afterwards
//   scaleMin, scaleMax        0 < min <= max
//   scaleStep     > 0 or "auto" (likewise a lower bound)
//   optimization  "auto", "none", "point_reduction_low", "point_reduction_medium",
//                 "point_reduction_high" (optionally followed by "no_pregeneration" or
//                 "pregeneration", which change nothing)
//   metric        one of the metrics above
//   contrast      edge contrast in grey values: [low, high, min size] with one to three
//                 values; one value gives low = high; each may be "auto_contrast",
//                 "auto_contrast_hyst" or "auto_min_size"; "auto" alone makes all three
//                 automatic
//   minContrast   least contrast of edges in a searched picture, >= 0, or "auto"
// A template without enough edge points fails with kErrTooFewModelPoints.
Herror create_scaled_shape_model(const Hobject &templateImage, const HTuple &numLevels, const HTuple &angleStart,
                                 const HTuple &angleExtent, const HTuple &angleStep, const HTuple &scaleMin,
                                 const HTuple &scaleMax, const HTuple &scaleStep, const HTuple &optimization,
                                 const HTuple &metric, const HTuple &contrast, const HTuple &minContrast,
                                 HTuple *modelID);

// Model from XLD contours (all contours of the object); parameters as above, minContrast
// a number >= 0 or "auto" (then 10).
Herror create_scaled_shape_model_xld(const Hobject &contours, const HTuple &numLevels, const HTuple &angleStart,
                                     const HTuple &angleExtent, const HTuple &angleStep, const HTuple &scaleMin,
                                     const HTuple &scaleMax, const HTuple &scaleStep, const HTuple &optimization,
                                     const HTuple &metric, const HTuple &minContrast, HTuple *modelID);

// Searches the model in the image's domain.
//   angleStart, angleExtent, scaleMin, scaleMax   searched ranges, clipped to the model's
//   minScore      0 .. 1
//   numMatches    >= 0; 0 gives all matches
//   maxOverlap    0 .. 1: largest allowed overlap of the rotated boxes of two matches
//                 (fraction of the smaller one)
//   subPixel      "none", "interpolation", "least_squares", "least_squares_high",
//                 "least_squares_very_high" ("false" = "none", "true" = "interpolation";
//                 an empty text is "none")
//   numLevels     0 (the model's), 1 .. model levels, or [highest, lowest]
//   greediness    0 (safe) .. 1 (fastest)
// Results are sorted by falling score; none found gives empty tuples. When the model's
// "timeout" runs out during the search, it fails with kErrTimeout.
Herror find_scaled_shape_model(const Hobject &image, const HTuple &modelID, const HTuple &angleStart,
                               const HTuple &angleExtent, const HTuple &scaleMin, const HTuple &scaleMax,
                               const HTuple &minScore, const HTuple &numMatches, const HTuple &maxOverlap,
                               const HTuple &subPixel, const HTuple &numLevels, const HTuple &greediness,
                               HTuple *row, HTuple *column, HTuple *angle, HTuple *scale, HTuple *score);

// The model's edges of pyramid level `level` (1 .. levels) as contours, relative to the
// model origin (so a match's pose places them onto the picture), in pixels of that level.
Herror get_shape_model_contours(Hobject *modelContours, const HTuple &modelID, const HTuple &level);

// Origin: offset (row, column) of the returned position from the reference point.
Herror set_shape_model_origin(const HTuple &modelID, const HTuple &row, const HTuple &column);
Herror get_shape_model_origin(const HTuple &modelID, HTuple *row, HTuple *column);

// "timeout": milliseconds (>= 1) or "false" (no time-out, the default). Other names fail
// with kErrUnknownParameter.
Herror set_shape_model_param(const HTuple &modelID, const HTuple &genParamName, const HTuple &genParamValue);

// The values the model was made with (automatic ones resolved): levels kept, angle range
// and step, scale range and step, metric name and minimum contrast.
Herror get_shape_model_params(const HTuple &modelID, HTuple *numLevels, HTuple *angleStart, HTuple *angleExtent,
                              HTuple *angleStep, HTuple *scaleMin, HTuple *scaleMax, HTuple *scaleStep,
                              HTuple *metric, HTuple *minContrast);

// The layer's own versioned, checksummed model file, written atomically (an existing
// file stays intact when writing fails). Reading a damaged, truncated or foreign file
// fails with kErrFileFormatContent, a missing one with kErrFileOpen.
Herror write_shape_model(const HTuple &modelID, const HTuple &fileName);
Herror read_shape_model(const HTuple &fileName, HTuple *modelID);

// Frees the model; its handle becomes invalid.
Herror clear_shape_model(const HTuple &modelID);

} // namespace Halcon
