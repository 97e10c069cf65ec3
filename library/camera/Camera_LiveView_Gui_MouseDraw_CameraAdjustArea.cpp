#include "Camera_LiveView_Gui_MouseDraw_CameraAdjustArea.h"

#include "Camera_LiveView_Settings.h"

#include <HalconViewImpl.h>
#include <Hobject_View_Gui.h>
#include <Hobject_View_MouseDraw_Settings.h>

#include <QToolButton>

#include <cmath>

namespace {

struct AidNames {
    const char* area;
    const char* move;
    const char* overlayPrefix;
};

constexpr AidNames kAidNames[] = {
    {"CameraFocus_Area", "CameraFocus_Move", "LiveImage.CameraFocus."},
    {"CameraAperture_Area", "CameraAperture_Move", "LiveImage.CameraAperture."},
    {"CameraHomogeneous_Area", "CameraHomogeneous_Move", "LiveImage.CameraHomogeneous."},
};

} // namespace

Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::Camera_LiveView_Gui_MouseDraw_CameraAdjustArea(
    QToolButton* focusArea, QToolButton* focusMove, QToolButton* apertureArea, QToolButton* apertureMove,
    QToolButton* homogeneousArea, QToolButton* homogeneousMove, Hobject_View_Gui* view,
    Camera_LiveView_Settings* settings, QObject* parent)
    : Hobject_View_MouseDraw_Rectangle_Host(view, parent)
    , m_view(view)
    , m_settings(settings)
{
    QToolButton* const buttons[Aid_Count][2] = {
        {focusArea, focusMove}, {apertureArea, apertureMove}, {homogeneousArea, homogeneousMove}};
    for (int aid = 0; aid < Aid_Count; ++aid) {
        m_tools[aid].area = makeAreaTool(buttons[aid][0], QLatin1String(kAidNames[aid].area));
        Hobject_View_MouseDraw_Settings style;
        style.ToolName = QLatin1String(kAidNames[aid].move);
        m_tools[aid].move = makeMoveTool(buttons[aid][1], style);
    }
}

bool Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::CameraFocus_Cancel()
{
    return cancel(Aid_Focus);
}

bool Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::CameraAperture_Cancel()
{
    return cancel(Aid_Aperture);
}

bool Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::CameraHomogeneous_Cancel()
{
    return cancel(Aid_Homogeneous);
}

bool Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::CameraFocus_IsActive() const
{
    return isActive(Aid_Focus);
}

bool Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::CameraAperture_IsActive() const
{
    return isActive(Aid_Aperture);
}

bool Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::CameraHomogeneous_IsActive() const
{
    return isActive(Aid_Homogeneous);
}

Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::Aid Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::aidOf(
    const QString& toolName, bool* isMove)
{
    for (int aid = 0; aid < Aid_Count; ++aid) {
        const bool move = toolName == QLatin1String(kAidNames[aid].move);
        if (move || toolName == QLatin1String(kAidNames[aid].area)) {
            if (isMove)
                *isMove = move;
            return Aid(aid);
        }
    }
    return Aid_None;
}

Camera_LiveView_Settings_Data::LabwareGroup& Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::labwareOf(Aid aid) const
{
    switch (aid) {
    case Aid_Aperture:
        return m_settings->CameraAperture.Labware;
    case Aid_Homogeneous:
        return m_settings->CameraHomogeneous.Labware;
    default:
        return m_settings->CameraFocus.Labware;
    }
}

bool Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::cancel(Aid aid)
{
    m_tools[aid].area->cancel();
    m_tools[aid].move->cancel();
    return true;
}

bool Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::isActive(Aid aid) const
{
    return m_tools[aid].area->isActive() || m_tools[aid].move->isActive();
}

void Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::getRectangle(const QString& name, const QString&, double& x,
                                                                  double& y, double& width, double& height,
                                                                  double& angle)
{
    // A new area starts from the drawing tool's own preset; only moving starts on the stored one.
    bool isMove = false;
    const Aid aid = aidOf(name, &isMove);
    if (aid == Aid_None || !isMove || !m_settings)
        return;
    const Camera_LiveView_Settings_Data::LabwareGroup& labware = labwareOf(aid);
    x = labware.PositionX;
    y = labware.PositionY;
    width = labware.SizeX;
    height = labware.SizeY;
    angle = labware.Angle;
}

void Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::drawStarted(const QString& name, const QString&)
{
    const Aid aid = aidOf(name);
    if (aid == Aid_None || !m_view)
        return;
    // The aid's own outline would fight the one being drawn.
    m_view->removeObjects(QLatin1String(kAidNames[aid].overlayPrefix), false);
    m_view->updateView(true);
}

void Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::drawChanged(const QString&, const QString& objectName, double x,
                                                                 double y, double width, double height, double angle)
{
    if (!m_view)
        return;
    HalconViewImpl drawing(m_view);
    drawing.addRotatedRectangle(x, y, width, height, angle, objectName + QStringLiteral("Area."), "green", "margin", 1,
                                false);
    m_view->updateView(true);
}

void Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::drawFinished(const QString& name, const QString&, double x,
                                                                  double y, double width, double height, double angle)
{
    const Aid aid = aidOf(name);
    if (aid == Aid_None || !m_settings)
        return;
    // A click without a drag leaves no area to measure in; the stored one stays.
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(angle) || !std::isfinite(width)
        || !std::isfinite(height) || width <= 0.0 || height <= 0.0)
        return;
    Camera_LiveView_Settings_Data::LabwareGroup& labware = labwareOf(aid);
    labware.PositionX = x;
    labware.PositionY = y;
    labware.SizeX = width;
    labware.SizeY = height;
    labware.Angle = angle;
    m_settings->SetCustom(Camera_LiveView_Settings::CustomSignal_Refresh, QVariant(false));
}

void Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::drawEnded(const QString&, const QString&)
{
    if (m_settings)
        m_settings->SetCustom(Camera_LiveView_Settings::CustomSignal_Refresh, QVariant(true));
}
