#include "ColonySettingsRectangleEditor.h"

#include "ColonySettings.h"

#include <Hobject_View_Gui.h>

#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace {

const QString kAreaToolName = QStringLiteral("Labware_Area");

} // namespace

ColonySettingsRectangleEditor::ColonySettingsRectangleEditor(QToolButton* createButton, QToolButton* editButton,
                                                             Hobject_View_Gui* view, ColonySettings* settings,
                                                             const Hobject_View_MouseDraw_Settings& moveStyle,
                                                             QObject* parent)
    : Hobject_View_MouseDraw_Rectangle_Host(view, parent)
    , m_createButton(createButton)
    , m_editButton(editButton)
    , m_view(view)
    , m_settings(settings)
    , m_drawing(view)
{
    // The tools call back only from button and mouse events, never while being made, so the
    // subclass is complete before the first callback.
    m_areaTool = makeAreaTool(m_createButton, kAreaToolName);
    m_moveTool = makeMoveTool(m_editButton, moveStyle);
}

void ColonySettingsRectangleEditor::getRectangle(const QString&, const QString&, double& x, double& y,
                                                 double& width, double& height, double& angle)
{
    readRectangle(x, y, width, height, angle);
    // The analyser stops a running analysis before the rectangle is drawn over its picture.
    if (m_settings)
        m_settings->emitCustom(ColonySettings::CustomSignal_RequestRectangle);
}

void ColonySettingsRectangleEditor::drawStarted(const QString&, const QString&)
{
    m_changed = false;
    if (!m_view)
        return;
    m_view->removeObjects(searchAreaPrefix(), false);
    m_view->updateView(true);
}

void ColonySettingsRectangleEditor::drawChanged(const QString&, const QString& objectName, double x, double y,
                                                double width, double height, double angle)
{
    if (!m_view)
        return;
    m_drawing.addRotatedRectangle(x, y, width, height, angle, objectName + QStringLiteral("Area"), "magenta",
                                  "margin", 1, false);
    m_view->updateView(true);
}

void ColonySettingsRectangleEditor::drawFinished(const QString&, const QString&, double x, double y, double width,
                                                 double height, double angle)
{
    if (!clampToPicture(x, y, width, height) || !std::isfinite(angle))
        return;
    const Rectangle before = stored();
    storeRectangle(x, y, width, height, angle);
    if (!(stored() == before))
        m_changed = true;
    if (m_settings)
        m_settings->emitCustom(ColonySettings::CustomSignal_ValuesChanged, QVariant(false));
}

void ColonySettingsRectangleEditor::drawEnded(const QString&, const QString&)
{
    // A tool switched on and off again, or a rectangle put back where it was, is no edit.
    if (!m_changed || !m_settings)
        return;
    m_changed = false;
    m_settings->emitCustom(ColonySettings::CustomSignal_ValuesChanged, QVariant(true));
}

ColonySettingsRectangleEditor::Rectangle ColonySettingsRectangleEditor::stored() const
{
    Rectangle rectangle;
    readRectangle(rectangle.x, rectangle.y, rectangle.width, rectangle.height, rectangle.angle);
    return rectangle;
}

bool ColonySettingsRectangleEditor::clampToPicture(double& x, double& y, double& width, double& height) const
{
    if (!m_view || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(width) || !std::isfinite(height))
        return false;
    int pictureWidth = 0;
    int pictureHeight = 0;
    m_view->getPictureSize(pictureWidth, pictureHeight);
    const int longer = std::max(pictureWidth, pictureHeight);
    if (longer <= 0)
        return false;
    const double extentX = pictureWidth * 100.0 / longer;
    const double extentY = pictureHeight * 100.0 / longer;
    const double left = std::clamp(x, 0.0, extentX);
    const double top = std::clamp(y, 0.0, extentY);
    const double right = std::clamp(x + width, 0.0, extentX);
    const double bottom = std::clamp(y + height, 0.0, extentY);
    if (!(right > left) || !(bottom > top))
        return false;
    x = left;
    y = top;
    width = right - left;
    height = bottom - top;
    return true;
}
