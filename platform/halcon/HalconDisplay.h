#pragma once

// Display windows: off-screen canvases that operators draw into and a widget shows.
//
// There is no native window. Every window, "visible" or "buffer", is a canvas in memory
// (a QImage) with its part, colour, draw mode, line width, font and text position. The
// widget that owns a "visible" window (its father id) fetches the canvas with
// windowCanvas() in its paint event and paints it; nothing else shows it. Works with any
// Qt platform plug-in, "offscreen" included.
//
// Coordinates: the part (row1, column1, row2, column2) names the first and last picture
// row and column shown, both included; the window's width × height pixels show exactly
// those rows and columns. Points of lines, contours and the text position are picture
// (row, column) coordinates with pixel centres at whole numbers. Line width and font
// size are in window pixels. Window coordinates (copy_rectangle) are (row, column) with
// (0, 0) the top-left pixel.
//
// All operators are thread-safe: windows live in one process-wide table behind a mutex,
// and each window has its own lock while it is drawn into. They return kSuccess (2) or a
// failure number of HalconErrors.h and leave windows and outputs untouched on failure.
// An unknown or closed window handle fails with wrongValue(n), n being the position of
// the handle among the control parameters.

#include "HTuple.h"
#include "HalconTypes.h"
#include "Hobject.h"

#include <cstdint>

class QImage;

namespace Halcon {

// ---- Windows --------------------------------------------------------------------------

// Attributes for the windows opened after the call:
//   "border_width"      integer 0 .. 1000 (kept, not drawn: canvases have no frame)
//   "background_color"  a colour name as for set_color; what clear_window fills with
//   "window_title"      any text
// Unknown names fail with kErrUnknownParameter, bad values with wrongValue(2).
Herror set_window_attr(const HTuple &attributeName, const HTuple &attributeValue);
Herror get_window_attr(const HTuple &attributeName, HTuple *attributeValue);

// Opens a window of width × height pixels (1 .. 32767; -1 gives 512) cleared to the
// background colour, with part (0, 0, height - 1, width - 1), colour "white", draw mode
// "fill", line width 1, font "default", text position (0, 0) and part style 1.
// mode: "visible", "invisible", "transparent" or "buffer"; all make a canvas.
// fatherWindow: the id of whatever shows the window (0 for none); kept for windowFather.
// machine: must be a text (ignored). Handles are never reused within a process.
Herror open_window(const HTuple &row, const HTuple &column, const HTuple &width, const HTuple &height,
                   const HTuple &fatherWindow, const HTuple &mode, const HTuple &machine, HTuple *windowHandle);
Herror open_window(const HTuple &row, const HTuple &column, const HTuple &width, const HTuple &height,
                   const HTuple &fatherWindow, const HTuple &mode, const HTuple &machine, Hlong *windowHandle);
Herror close_window(const HTuple &windowHandle);
// Fills the whole canvas with the background colour.
Herror clear_window(const HTuple &windowHandle);
// New position and size (width, height 1 .. 32767; -1 keeps the current value). A new
// size gives a canvas cleared to the background colour; the part is kept.
Herror set_window_extents(const HTuple &windowHandle, const HTuple &row, const HTuple &column,
                          const HTuple &width, const HTuple &height);
Herror get_window_extents(const HTuple &windowHandle, HTuple *row, HTuple *column, HTuple *width,
                          HTuple *height);

// ---- Part ------------------------------------------------------------------------------

// row1 <= row2 and column1 <= column2 (reals allowed); all four -1 resets the part to
// the window size (0, 0, height - 1, width - 1).
Herror set_part(const HTuple &windowHandle, const HTuple &row1, const HTuple &column1, const HTuple &row2,
                const HTuple &column2);
Herror get_part(const HTuple &windowHandle, HTuple *row1, HTuple *column1, HTuple *row2, HTuple *column2);
// How images are scaled into the window: 0 nearest pixel, 1 bilinear, 2 bicubic.
Herror set_part_style(const HTuple &windowHandle, const HTuple &style);
Herror get_part_style(const HTuple &windowHandle, HTuple *style);

// ---- Drawing ---------------------------------------------------------------------------

// Every element in order: images (1 or 3 channels; byte as is, uint2 and real spread from
// their minimum to maximum; only the domain is drawn) scaled through the part; regions
// filled or as outline through their border pixels (set_draw); XLD contours and polygons
// as lines through their points. Only what lies in the part costs time. An empty object
// draws nothing. An image of 2 or more than 3 channels fails with kErrWrongChannelCount.
Herror disp_obj(const Hobject &object, const HTuple &windowHandle);
// The same, but every element must be of the operator's class (else wrongObjectClass(1)).
Herror disp_image(const Hobject &image, const HTuple &windowHandle);
Herror disp_region(const Hobject &region, const HTuple &windowHandle);
Herror disp_xld(const Hobject &xld, const HTuple &windowHandle);
// Lines from (row1, column1) to (row2, column2): each parameter one value or N values.
Herror disp_line(const HTuple &windowHandle, const HTuple &row1, const HTuple &column1, const HTuple &row2,
                 const HTuple &column2);

// Colour names (case does not matter): "black", "white", "red", "green", "blue", "cyan",
// "magenta", "yellow", "orange", "coral", "pink", "gold", "goldenrod", "khaki", "gray"
// (or "grey"), "dim gray", "light gray", "cadet blue", "light blue", "slate blue",
// "medium slate blue", "dark slate blue", "cornflower blue", "midnight blue", "navy",
// "medium blue", "light steel blue", "dark green", "forest green", "spring green",
// "dark olive green", "lime green", "turquoise", "orange red", "indian red",
// "violet red", "violet", "firebrick", "brown", "purple", and "#rgb", "#rrggbb",
// "#rrggbbaa". Anything else fails with wrongValue(2).
Herror set_color(const HTuple &windowHandle, const HTuple &color);
// red, green, blue 0 .. 255.
Herror set_rgb(const HTuple &windowHandle, const HTuple &red, const HTuple &green, const HTuple &blue);
// The current colour as "#rrggbb" (or "#rrggbbaa" when not opaque).
Herror get_rgb_text(const HTuple &windowHandle, HTuple *color);
// "margin" or "fill" (case does not matter).
Herror set_draw(const HTuple &windowHandle, const HTuple &mode);
Herror get_draw(const HTuple &windowHandle, HTuple *mode);
// Window pixels, 1 .. 2000 (reals allowed).
Herror set_line_width(const HTuple &windowHandle, const HTuple &width);
Herror get_line_width(const HTuple &windowHandle, HTuple *width);

// ---- Text ------------------------------------------------------------------------------

// Fonts: "default"; X-style "-family-size-width-italic-underline-strikeout-bold-charset-"
// where "*" or an empty field keeps the default and 1 switches a style on (trailing
// fields may be left out); or "family-size" with an optional style between them
// ("Arial-Bold-12", "Arial-Italic-12", "Arial-BoldItalic-12"). size is the font height in
// window pixels, 1 .. 1000. Anything else fails with wrongValue(2).
Herror set_font(const HTuple &windowHandle, const HTuple &font);
Herror get_font(const HTuple &windowHandle, HTuple *font);
// Top-left corner of the next text, in picture coordinates.
Herror set_tposition(const HTuple &windowHandle, const HTuple &row, const HTuple &column);
Herror get_tposition(const HTuple &windowHandle, HTuple *row, HTuple *column);
// Writes the values of the tuple one after the other in the current colour and font;
// "\n" starts a new line below the first one. The text position moves to the end of the
// last line. Fails with kErrNotAvailable when the process has no QGuiApplication (fonts
// need one).
Herror write_string(const HTuple &windowHandle, const HTuple &string);
// Size of a text in window pixels with the current font.
Herror get_string_extents(const HTuple &windowHandle, const HTuple &string, HTuple *ascent, HTuple *descent,
                          HTuple *width, HTuple *height);

// ---- Copying and dumping -----------------------------------------------------------------

// Copies the window pixels rows row1..row2, columns column1..column2 (both included) of
// sourceWindow to destinationWindow with the top-left corner at (destRow, destColumn);
// what falls outside either canvas is left out. Source and destination may be the same.
Herror copy_rectangle(const HTuple &sourceWindow, const HTuple &destinationWindow, const HTuple &row1,
                      const HTuple &column1, const HTuple &row2, const HTuple &column2, const HTuple &destRow,
                      const HTuple &destColumn);
// The canvas as a 3-channel byte image (red, green, blue) of the window's size.
Herror dump_window_image(Hobject *image, const HTuple &windowHandle);

// ---- For the widget that shows a window (not operators) --------------------------------

// The window's canvas (format ARGB32_Premultiplied). The copy shares its pixels with the
// window until either side changes, so fetching it in every paint event is cheap. False
// for an unknown handle (canvas untouched).
bool windowCanvas(Hlong windowHandle, QImage *canvas);
// The father id given to open_window; false for an unknown handle.
bool windowFather(Hlong windowHandle, Hlong *fatherWindow);
// A number that grows with every change of the canvas (0 for an unknown handle): a
// widget that saw the same number last time need not fetch again.
std::uint64_t windowRevision(Hlong windowHandle);

} // namespace Halcon
