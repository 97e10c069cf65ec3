#pragma once

#include "Hobject_View_ZoomPan.h"

#include <QPoint>
#include <QPointer>

#include <functional>

class QCursor;
class QRubberBand;
class QToolButton;
class QWidget;

// The viewer's own use of the mouse on its picture: a press picks overlays and starts
// panning, a drag pans, and while the zoom-range button is down a rubber band chooses the
// part to zoom into. Between beginToolMode and endToolMode a drawing tool has the mouse and
// the viewer only reports where it is. Positions come as the point on the picture widget
// and the picture column x and row y under it. GUI thread only.
class Hobject_View_Mouse {
public:
    // What the mouse asks of the viewer.
    struct Actions {
        // Moves the visible part by whole picture pixels.
        std::function<void(int columns, int rows)> pan;
        std::function<void(const Hobject_View_ZoomPan::Part& part)> zoomTo;
        std::function<void(double x, double y, Qt::KeyboardModifiers modifiers)> pick;
    };

    // Neither the picture widget nor the button is owned; the rubber band is made on the
    // picture widget and goes with it.
    Hobject_View_Mouse(QWidget* picture, QToolButton* zoomRange, Actions actions);

    void press(const QPoint& point, double x, double y, Qt::KeyboardModifiers modifiers);
    void move(const QPoint& point, double x, double y);
    void release(double x, double y);
    void hideRubberBand();

    void beginToolMode(const QCursor& cursor);
    void endToolMode();

private:
    bool zoomRangeChosen() const;

    QWidget* const m_picture;
    QToolButton* const m_zoomRange;
    const Actions m_actions;
    QPointer<QRubberBand> m_rubberBand;
    bool m_panActive = false;
    int m_panStartColumn = 0;
    int m_panStartRow = 0;
    int m_rubberBandStartColumn = 0;
    int m_rubberBandStartRow = 0;
    QPoint m_rubberBandPressPoint;
    bool m_toolMode = false;
};
