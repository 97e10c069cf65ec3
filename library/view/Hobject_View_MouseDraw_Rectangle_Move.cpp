#include "Hobject_View_MouseDraw_Rectangle_Move.h"

#include "Hobject_View_Gui.h"

#include <HTuple.h>
#include <HalconGeometryOps.h>
#include <HalconXldOps.h>

#include <QToolButton>

#include <algorithm>
#include <vector>

using Halcon::HTuple;
using Halcon::Hobject;

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kFullTurn = 6.283185307179586;
constexpr double kMinimumAngleHandleRadius = 1.5;

// Rotation by degrees about (row, column).
HTuple rotationAbout(double degrees, double row, double column)
{
    HTuple identity;
    HTuple rotation;
    Halcon::hom_mat2d_identity(&identity);
    Halcon::hom_mat2d_rotate(identity, degrees * kPi / 180.0, row, column, &rotation);
    return rotation;
}

const char* const kHandleSuffixes[] = {
    "",
    "Edges.left.top.",
    "Edges.right.top.",
    "Edges.left.bottom.",
    "Edges.right.bottom.",
    "Edges.center.",
    "Edges.angle.",
};

} // namespace

Hobject_View_MouseDraw_Rectangle_Move::Hobject_View_MouseDraw_Rectangle_Move(
    CallbackFunctions* callbacks, QToolButton* button, Hobject_View_Gui* view,
    const Hobject_View_MouseDraw_Settings& settings, QObject* parent)
    : Hobject_View_MouseDraw_Rectangle_Tool(Kind_Move, callbacks, button, view, settings.ToolName, parent)
    , m_settings(settings)
{
    if (button)
        connect(button, &QToolButton::toggled, this,
                &Hobject_View_MouseDraw_Rectangle_Move::slot_QToolButton_MouseMove_toggled);
    if (m_view) {
        connect(m_view, &Hobject_View_Gui::signal_HalconMouseDoubleClickEvent, this,
                &Hobject_View_MouseDraw_Rectangle_Move::slot_Hobject_View_Gui_HalconMouseDoubleClickEvent);
        connect(m_view, qOverload<QString>(&Hobject_View_Gui::signal_HalconObjectSelected), this,
                &Hobject_View_MouseDraw_Rectangle_Move::slot_Hobject_View_Gui_HalconObjectSelected);
        connect(m_view, &Hobject_View_Gui::signal_ZoomFactorChanged, this,
                &Hobject_View_MouseDraw_Rectangle_Move::slot_Hobject_View_Gui_ZoomFactorChanged);
    }
}

QString Hobject_View_MouseDraw_Rectangle_Move::handleName(Handle handle) const
{
    if (handle <= Handle_None || handle > Handle_Angle)
        return QString();
    return getObjectName() + QLatin1String(kHandleSuffixes[handle]);
}

void Hobject_View_MouseDraw_Rectangle_Move::viewReleased()
{
    m_grabbed = Handle_None;
}

void Hobject_View_MouseDraw_Rectangle_Move::slot_QToolButton_MouseMove_toggled(bool checked)
{
    if (!switchOn(checked))
        return;
    m_grabbed = Handle_None;
    m_rectangle = requestRectangle();
    double widthPixels = 0.0;
    double heightPixels = 0.0;
    m_view->convertPercentToPixel(m_rectangle.width, m_rectangle.height, widthPixels, heightPixels);
    m_angleHandleDistance = 0.5 * std::min(widthPixels, heightPixels) * m_settings.AngleEdgeDistance;
    // The owner may have cancelled the tool while reporting its rectangle.
    if (!m_active || !m_view)
        return;
    reportStarted();
    reportChanged(m_rectangle);
    if (!m_active || !m_view)
        return;
    drawHandles();
    m_view->beginMouseMode(QCursor(Qt::CrossCursor));
    m_view->updateView(true);
}

void Hobject_View_MouseDraw_Rectangle_Move::drawHandles()
{
    if (!m_view)
        return;
    m_view->removeObjects(getObjectName() + QStringLiteral("Edges."), false);

    double sizeX = m_settings.EdgeSize;
    double sizeY = m_settings.EdgeSize;
    if (m_settings.ZoomInfluence != 1.0) {
        const double divisorX = (m_zoomFactorX - 1.0) * m_settings.ZoomInfluence + 1.0;
        const double divisorY = (m_zoomFactorY - 1.0) * m_settings.ZoomInfluence + 1.0;
        // A zoom factor the formula cannot take (the viewer reports 0 before its first
        // layout) leaves the handles at their plain size.
        if (divisorX > 0.0)
            sizeX /= divisorX;
        if (divisorY > 0.0)
            sizeY /= divisorY;
    }
    double handleWidth = 0.0;
    double handleHeight = 0.0;
    m_view->convertPercentToPixel(sizeX, sizeY, handleWidth, handleHeight);

    double centreX = 0.0;
    double centreY = 0.0;
    const Rectangle& r = m_rectangle;
    m_view->convertPercentToPixel(r.x + r.width / 2.0, r.y + r.height / 2.0, centreX, centreY);
    const HTuple rotation = rotationAbout(r.angle, centreY, centreX);

    const QString color = m_settings.EdgeColor;
    auto addHandle = [&](Handle handle, double xPercent, double yPercent) {
        double column = 0.0;
        double row = 0.0;
        m_view->convertPercentToPixel(xPercent, yPercent, column, row);
        Hobject square;
        Hobject turned;
        if (Halcon::gen_rectangle2_contour_xld(&square, row, column, 0.0, handleWidth / 2.0, handleHeight / 2.0)
                != Halcon::kSuccess
            || Halcon::affine_trans_contour_xld(square, &turned, rotation) != Halcon::kSuccess)
            return;
        m_view->addObject(turned, color, QStringLiteral("margin"), m_settings.EdgeLineWidth, handleName(handle), true,
                          false);
    };
    if (m_settings.ShowEdgeLeftTop)
        addHandle(Handle_LeftTop, r.x, r.y);
    if (m_settings.ShowEdgeRightTop)
        addHandle(Handle_RightTop, r.x + r.width, r.y);
    if (m_settings.ShowEdgeLeftBottom)
        addHandle(Handle_LeftBottom, r.x, r.y + r.height);
    if (m_settings.ShowEdgeRightBottom)
        addHandle(Handle_RightBottom, r.x + r.width, r.y + r.height);
    if (m_settings.ShowEdgeCenter)
        addHandle(Handle_Center, r.x + r.width / 2.0, r.y + r.height / 2.0);

    if (!m_settings.ShowEdgeAngle)
        return;
    const double radius1 = std::max(0.5 * handleWidth * m_settings.AngleEdgeSize, kMinimumAngleHandleRadius);
    const double radius2 = std::max(0.5 * handleHeight * m_settings.AngleEdgeSize, kMinimumAngleHandleRadius);
    Hobject circle;
    if (Halcon::gen_ellipse_contour_xld(&circle, centreY, centreX, 0.0, radius1, radius2, 0.0, kFullTurn, "positive",
                                        2.0)
        != Halcon::kSuccess)
        return;
    HTuple identity;
    HTuple shift;
    Halcon::hom_mat2d_identity(&identity);
    Halcon::hom_mat2d_translate(identity, 0.0, m_angleHandleDistance, &shift);
    Hobject shifted;
    Hobject turned;
    if (Halcon::affine_trans_contour_xld(circle, &shifted, shift) != Halcon::kSuccess
        || Halcon::affine_trans_contour_xld(shifted, &turned, rotation) != Halcon::kSuccess)
        return;
    m_view->addObject(turned, color, QStringLiteral("margin"), m_settings.EdgeLineWidth, handleName(Handle_Angle), true,
                      false);
    if (m_settings.ShowAngleHelpLine != 1)
        return;
    HTuple area;
    HTuple row;
    HTuple column;
    HTuple pointOrder;
    if (Halcon::area_center_xld(turned, &area, &row, &column, &pointOrder) != Halcon::kSuccess)
        return;
    HTuple rows(std::vector<double>{centreY, row.D()});
    HTuple columns(std::vector<double>{centreX, column.D()});
    Hobject line;
    if (Halcon::gen_contour_polygon_xld(&line, rows, columns) != Halcon::kSuccess)
        return;
    m_view->addObject(line, m_settings.AngleHelpLineColor, QStringLiteral("margin"), m_settings.AngleHelpLineWidth,
                      getObjectName() + QStringLiteral("Edges.angle.helpline."), false, false);
}

void Hobject_View_MouseDraw_Rectangle_Move::slot_Hobject_View_Gui_HalconMousePressEvent(double x, double y)
{
    if (!m_active || m_dragging || !m_view)
        return;
    m_rectangle = requestRectangle();
    if (!m_active || !m_view)
        return;
    // Reports each handle hit to slot_Hobject_View_Gui_HalconObjectSelected before it returns.
    m_view->pickObjects(x, y, Qt::NoModifier, true);
    m_dragging = true;
    m_view->updateView(true);
}

void Hobject_View_MouseDraw_Rectangle_Move::slot_Hobject_View_Gui_HalconObjectSelected(const QString& name)
{
    // Only an active tool has handles to grab.
    if (!m_active || !m_view)
        return;
    Handle grabbed = Handle_None;
    for (int handle = Handle_LeftTop; handle <= Handle_Angle; ++handle) {
        const QString candidate = handleName(Handle(handle));
        if (candidate == name)
            grabbed = Handle(handle);
        else
            m_view->clearSelection(candidate, false);
    }
    m_grabbed = grabbed;
    m_view->updateView(true);
}

void Hobject_View_MouseDraw_Rectangle_Move::slot_Hobject_View_Gui_HalconMouseMoveEvent(double x, double y)
{
    if (!m_active || !m_dragging || !m_view || m_grabbed == Handle_None)
        return;
    double left = 0.0;
    double top = 0.0;
    double width = 0.0;
    double height = 0.0;
    m_view->convertPercentToPixel(m_rectangle.x, m_rectangle.y, left, top);
    m_view->convertPercentToPixel(m_rectangle.width, m_rectangle.height, width, height);
    const double centreRow = top + height / 2.0;
    const double centreColumn = left + width / 2.0;

    // The mouse point in the rectangle's own, unturned frame.
    HTuple mouseRow;
    HTuple mouseColumn;
    if (Halcon::affine_trans_point_2d(rotationAbout(-m_rectangle.angle, centreRow, centreColumn), y, x, &mouseRow,
                                      &mouseColumn)
        != Halcon::kSuccess)
        return;
    const double my = mouseRow.D();
    const double mx = mouseColumn.D();
    const double right = left + width;
    const double bottom = top + height;

    // A corner dragged past the opposite one stops there: no negative sizes.
    auto moveLeftEdge = [&] {
        left = mx < right ? mx : right;
        width = right - left;
    };
    auto moveTopEdge = [&] {
        top = my < bottom ? my : bottom;
        height = bottom - top;
    };
    switch (m_grabbed) {
    case Handle_LeftTop:
        moveLeftEdge();
        moveTopEdge();
        break;
    case Handle_RightTop:
        width = std::max(mx - left, 0.0);
        moveTopEdge();
        break;
    case Handle_LeftBottom:
        moveLeftEdge();
        height = std::max(my - top, 0.0);
        break;
    case Handle_RightBottom:
        width = std::max(mx - left, 0.0);
        height = std::max(my - top, 0.0);
        break;
    case Handle_Center:
        left = mx - width / 2.0;
        top = my - height / 2.0;
        break;
    case Handle_Angle: {
        HTuple angle;
        HTuple distance;
        if (Halcon::angle_lx(centreRow, centreColumn, y, x, &angle) != Halcon::kSuccess
            || Halcon::distance_pp(centreRow, centreColumn, y, x, &distance) != Halcon::kSuccess)
            return;
        // min then max, so that limits given the wrong way round cannot misbehave.
        m_rectangle.angle = std::max(std::min(angle.D() * 180.0 / kPi, m_settings.AngleMax), m_settings.AngleMin);
        m_angleHandleDistance = distance.D();
        break;
    }
    case Handle_None:
        return;
    }

    m_view->convertPixelToPercent(left, top, m_rectangle.x, m_rectangle.y);
    m_view->convertPixelToPercent(width, height, m_rectangle.width, m_rectangle.height);
    // The handles disappear while dragging.
    m_view->removeObjects(getObjectName(), false);
    reportChanged(m_rectangle);
    if (m_view)
        m_view->updateView(true);
}

void Hobject_View_MouseDraw_Rectangle_Move::slot_Hobject_View_Gui_HalconMouseReleaseEvent(double, double)
{
    if (!m_active || !m_dragging || !m_view)
        return;
    m_dragging = false;
    m_grabbed = Handle_None;
    m_view->removeObjects(getObjectName(), false);
    reportFinished(m_rectangle);
    reportChanged(m_rectangle);
    // The owner may have cancelled the tool on the final rectangle: no handles then.
    if (!m_active || !m_view)
        return;
    drawHandles();
    m_view->updateView(true);
}

void Hobject_View_MouseDraw_Rectangle_Move::slot_Hobject_View_Gui_HalconMouseDoubleClickEvent(double, double)
{
    if (!m_active || m_grabbed != Handle_None || !m_view)
        return;
    cancel();
    if (m_view)
        m_view->updateView(true);
}

void Hobject_View_MouseDraw_Rectangle_Move::slot_Hobject_View_Gui_ZoomFactorChanged(double factorX, double factorY)
{
    m_zoomFactorX = factorX;
    m_zoomFactorY = factorY;
    if (m_active)
        drawHandles();
}
