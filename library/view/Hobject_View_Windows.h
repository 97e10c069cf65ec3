#pragma once

#include "Hobject_View_ZoomPan.h"

#include <HalconTypes.h>

class QPoint;
class QWidget;

// The two windows of the vision layer behind a viewer: a display window on the picture
// widget and an off-screen buffer of the same size. Every paint draws into the buffer and
// copies it to the display in one step, so the picture never flickers. Opened when made,
// closed when destroyed; the layer guards the windows.
class Hobject_View_Windows {
public:
    // picture is the widget that shows the display window; not owned.
    explicit Hobject_View_Windows(QWidget* picture);
    ~Hobject_View_Windows();
    Hobject_View_Windows(const Hobject_View_Windows&) = delete;
    Hobject_View_Windows& operator=(const Hobject_View_Windows&) = delete;

    // An off-screen window of the layer, closed by the caller.
    static Halcon::Herror openOffscreen(int width, int height, Halcon::Hlong& window);

    Halcon::Hlong buffer() const { return m_buffer; }
    void resize(int width, int height);
    void setPart(const Hobject_View_ZoomPan::Part& part);
    // Copies the buffer's top-left width × height pixels to the display and paints them on
    // the picture widget.
    void present(int width, int height);
    // Picture column x and row y under a point of a picture widget width × height pixels;
    // false without a size or a part.
    bool mapToPicture(const QPoint& screen, int width, int height, double& x, double& y) const;

private:
    QWidget* const m_picture;
    Halcon::Hlong m_display = -1;
    Halcon::Hlong m_buffer = -1;
};
