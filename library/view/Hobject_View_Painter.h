#pragma once

#include <HalconTypes.h>

class Hobject_View_Layers;

// Draws a viewer's layers into one window of the vision layer: the visible pictures in
// drawing order, then objects, lines, crosses and texts. Layers that do not reach into the
// part the window shows cost no drawing time, and a run of overlays in one style costs one
// style call. The window is cleared and its part read when the painter is made, without
// the viewer's lock; draw runs under it.
class Hobject_View_Painter {
public:
    explicit Hobject_View_Painter(Halcon::Hlong window);
    // Lets the window show what was drawn.
    ~Hobject_View_Painter();
    Hobject_View_Painter(const Hobject_View_Painter&) = delete;
    Hobject_View_Painter& operator=(const Hobject_View_Painter&) = delete;

    // Line widths of unselected objects and the font sizes are scaled; selected layers take
    // the selection style as it is.
    void draw(const Hobject_View_Layers& layers, bool drawPictures, bool drawOverlays, double lineWidthScale,
              double fontScale);

private:
    struct Style;

    // Whether a box in picture (row, column), drawn with the line width, reaches into the
    // window's part.
    bool reaches(double row1, double column1, double row2, double column2, int lineWidth) const;
    void drawOverlays(const Hobject_View_Layers& layers, double lineWidthScale, double fontScale);

    const Halcon::Hlong m_window;
    // What the window shows, widened by half a pixel.
    double m_viewRow1;
    double m_viewColumn1;
    double m_viewRow2;
    double m_viewColumn2;
    double m_picturePixelsPerWindowPixel = 1.0;
};
