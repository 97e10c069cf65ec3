#include "Hobject_View_MouseDraw_Rectangle_Move.h"

#include "Hobject_View_Gui.h"
#include "Hobject_View_MouseDraw_Rectangle_Area.h"

#include <HTuple.h>
#include <HalconGeometryOps.h>
#include <HalconXldOps.h>

#include <QIcon>
#include <QToolButton>

#include <algorithm>
#include <vector>

using Halcon::HTuple;
using Halcon::Hobject;

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kFullTurn = 6.283185307179586;
constexpr double kMinimumAngleHandleRadius = 1.5;

// Live move tools in construction order. GUI thread only, like the tools.
std::vector<Hobject_View_MouseDraw_Rectangle_Move*>& registry()
{
    static std::vector<Hobject_View_MouseDraw_Rectangle_Move*> tools;
    return tools;
}

// Numbers the object names. It only grows, so a tool made after another was destroyed
// never takes over a live tool's overlay prefix.
int g_toolsMade = 0;

bool isRegistered(const Hobject_View_MouseDraw_Rectangle_Move* tool)
{
    const auto& tools = registry();
    return std::find(tools.begin(), tools.end(), tool) != tools.end();
}

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
    : QObject(parent)
    , m_callbacks(callbacks)
    , m_button(button)
    , m_view(view)
    , m_settings(settings)
{
    registry().push_back(this);
    m_objectName =
        QStringLiteral("HalconObject_MouseDraw_Rectangle.Move.%1.%2.").arg(++g_toolsMade).arg(m_settings.ToolName);
    if (m_button) {
        m_button->setIcon(QIcon(QStringLiteral("pictures:/MouseDraw/MouseDraw_Move.png")));
        connect(m_button, &QToolButton::toggled, this,
                &Hobject_View_MouseDraw_Rectangle_Move::slot_QToolButton_MouseMove_toggled);
    }
    if (m_view) {
        m_view->addObjectGroup(QStringLiteral("MouseDraw_Rectangle (Hidden)"), m_objectName, true);
        connect(m_view, &Hobject_View_Gui::signal_HalconMousePressEvent, this,
                &Hobject_View_MouseDraw_Rectangle_Move::slot_Hobject_View_Gui_HalconMousePressEvent);
        connect(m_view, &Hobject_View_Gui::signal_HalconMouseMoveEvent, this,
                &Hobject_View_MouseDraw_Rectangle_Move::slot_Hobject_View_Gui_HalconMouseMoveEvent);
        connect(m_view, &Hobject_View_Gui::signal_HalconMouseReleaseEvent, this,
                &Hobject_View_MouseDraw_Rectangle_Move::slot_Hobject_View_Gui_HalconMouseReleaseEvent);
        connect(m_view, &Hobject_View_Gui::signal_HalconMouseDoubleClickEvent, this,
                &Hobject_View_MouseDraw_Rectangle_Move::slot_Hobject_View_Gui_HalconMouseDoubleClickEvent);
        connect(m_view, qOverload<QString>(&Hobject_View_Gui::signal_HalconObjectSelected), this,
                &Hobject_View_MouseDraw_Rectangle_Move::slot_Hobject_View_Gui_HalconObjectSelected);
        connect(m_view, &Hobject_View_Gui::signal_ZoomFactorChanged, this,
                &Hobject_View_MouseDraw_Rectangle_Move::slot_Hobject_View_Gui_ZoomFactorChanged);
    }
}

Hobject_View_MouseDraw_Rectangle_Move::~Hobject_View_MouseDraw_Rectangle_Move()
{
    auto& tools = registry();
    tools.erase(std::remove(tools.begin(), tools.end(), this), tools.end());
    // The owner may be half gone: no callbacks, but the handles go and the viewer gets its
    // mouse back.
    if (m_active && m_view) {
        m_view->removeObjects(m_objectName, false);
        m_view->endMouseMode();
        m_view->updateView(true);
    }
}

QString Hobject_View_MouseDraw_Rectangle_Move::handleName(Handle handle) const
{
    if (handle <= Handle_None || handle > Handle_Angle)
        return QString();
    return m_objectName + QLatin1String(kHandleSuffixes[handle]);
}

bool Hobject_View_MouseDraw_Rectangle_Move::cancel()
{
    if (!m_active)
        return false;
    if (m_view)
        m_view->removeObjects(m_objectName, false);
    if (m_button) {
        // Unchecked silently: the toggle slot must not run a second cancel.
        const bool wasBlocked = m_button->blockSignals(true);
        m_button->setChecked(false);
        m_button->blockSignals(wasBlocked);
    }
    m_active = false;
    m_dragging = false;
    if (m_view)
        m_view->endMouseMode();
    if (m_callbacks)
        m_callbacks->drawEnded(m_settings.ToolName, m_objectName);
    if (m_view)
        m_view->updateView(true);
    return true;
}

void Hobject_View_MouseDraw_Rectangle_Move::releaseView(const Hobject_View_Gui* view)
{
    for (Hobject_View_MouseDraw_Rectangle_Move* tool : registry()) {
        if (tool->m_view != view)
            continue;
        if (tool->m_active && tool->m_button) {
            const bool wasBlocked = tool->m_button->blockSignals(true);
            tool->m_button->setChecked(false);
            tool->m_button->blockSignals(wasBlocked);
        }
        tool->m_active = false;
        tool->m_dragging = false;
        tool->m_grabbed = Handle_None;
        tool->m_view = nullptr;
    }
}

bool Hobject_View_MouseDraw_Rectangle_Move::cancelAllTools()
{
    bool anyActive = false;
    // A copy, because a callback may destroy tools; a destroyed one has left the registry.
    const std::vector<Hobject_View_MouseDraw_Rectangle_Move*> tools = registry();
    for (Hobject_View_MouseDraw_Rectangle_Move* tool : tools) {
        if (isRegistered(tool) && tool->cancel())
            anyActive = true;
    }
    return anyActive;
}

void Hobject_View_MouseDraw_Rectangle_Move::fetchRectangle()
{
    m_x = 0.0;
    m_y = 0.0;
    m_width = 0.0;
    m_height = 0.0;
    m_angle = 0.0;
    if (m_callbacks)
        m_callbacks->getRectangle(m_settings.ToolName, m_objectName, m_x, m_y, m_width, m_height, m_angle);
}

void Hobject_View_MouseDraw_Rectangle_Move::reportChanged()
{
    if (m_callbacks)
        m_callbacks->drawChanged(m_settings.ToolName, m_objectName, m_x, m_y, m_width, m_height, m_angle);
}

void Hobject_View_MouseDraw_Rectangle_Move::slot_QToolButton_MouseMove_toggled(bool checked)
{
    if (!m_view)
        return;
    if (!checked || m_view->getPictureCount() == 0) {
        cancel();
        m_view->updateView(true);
        return;
    }
    Hobject_View_MouseDraw_Rectangle_cancelAll();
    m_grabbed = Handle_None;
    m_active = true;
    m_dragging = false;
    m_view->removeObjects(m_objectName, false);
    fetchRectangle();
    double widthPixels = 0.0;
    double heightPixels = 0.0;
    m_view->convertPercentToPixel(m_width, m_height, widthPixels, heightPixels);
    m_angleHandleDistance = 0.5 * std::min(widthPixels, heightPixels) * m_settings.AngleEdgeDistance;
    // The owner may have cancelled the tool while reporting its rectangle.
    if (!m_active || !m_view)
        return;
    if (m_callbacks)
        m_callbacks->drawStarted(m_settings.ToolName, m_objectName);
    reportChanged();
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
    m_view->removeObjects(m_objectName + QStringLiteral("Edges."), false);

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
    m_view->convertPercentToPixel(m_x + m_width / 2.0, m_y + m_height / 2.0, centreX, centreY);
    const HTuple rotation = rotationAbout(m_angle, centreY, centreX);

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
        addHandle(Handle_LeftTop, m_x, m_y);
    if (m_settings.ShowEdgeRightTop)
        addHandle(Handle_RightTop, m_x + m_width, m_y);
    if (m_settings.ShowEdgeLeftBottom)
        addHandle(Handle_LeftBottom, m_x, m_y + m_height);
    if (m_settings.ShowEdgeRightBottom)
        addHandle(Handle_RightBottom, m_x + m_width, m_y + m_height);
    if (m_settings.ShowEdgeCenter)
        addHandle(Handle_Center, m_x + m_width / 2.0, m_y + m_height / 2.0);

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
                      m_objectName + QStringLiteral("Edges.angle.helpline."), false, false);
}

void Hobject_View_MouseDraw_Rectangle_Move::slot_Hobject_View_Gui_HalconMousePressEvent(double x, double y)
{
    if (!m_active || m_dragging || !m_view)
        return;
    fetchRectangle();
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
    m_view->convertPercentToPixel(m_x, m_y, left, top);
    m_view->convertPercentToPixel(m_width, m_height, width, height);
    const double centreRow = top + height / 2.0;
    const double centreColumn = left + width / 2.0;

    // The mouse point in the rectangle's own, unturned frame.
    HTuple mouseRow;
    HTuple mouseColumn;
    if (Halcon::affine_trans_point_2d(rotationAbout(-m_angle, centreRow, centreColumn), y, x, &mouseRow, &mouseColumn)
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
        m_angle = std::max(std::min(angle.D() * 180.0 / kPi, m_settings.AngleMax), m_settings.AngleMin);
        m_angleHandleDistance = distance.D();
        break;
    }
    case Handle_None:
        return;
    }

    m_view->convertPixelToPercent(left, top, m_x, m_y);
    m_view->convertPixelToPercent(width, height, m_width, m_height);
    // The handles disappear while dragging.
    m_view->removeObjects(m_objectName, false);
    reportChanged();
    if (m_view)
        m_view->updateView(true);
}

void Hobject_View_MouseDraw_Rectangle_Move::slot_Hobject_View_Gui_HalconMouseReleaseEvent(double, double)
{
    if (!m_active || !m_dragging || !m_view)
        return;
    m_dragging = false;
    m_grabbed = Handle_None;
    m_view->removeObjects(m_objectName, false);
    if (m_callbacks)
        m_callbacks->drawFinished(m_settings.ToolName, m_objectName, m_x, m_y, m_width, m_height, m_angle);
    reportChanged();
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
