#include "ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi.h"

#include "ModelMatching.h"

#include <Hobject_View_Gui.h>
#include <Hobject_View_MouseDraw_Settings.h>

#include <Halcon.h>

#include <QIcon>
#include <QToolButton>

namespace {

const QString kMarginMode = QStringLiteral("margin");

bool isDrawable(const ModelMatchingRoi& roi)
{
    return roi.Type == ModelMatchingRoi::Type_Rectangle || roi.Type == ModelMatchingRoi::Type_Ellipse;
}

} // namespace

ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi::ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi(
    QToolButton* rectangleButton, QToolButton* ellipseButton, QToolButton* moveButton, Hobject_View_Gui* view,
    const ModelRoiDrawSettings& drawSettings, ModelMatching* facade, int* selectedRoi, QObject* parent)
    : ModelMatching_MouseDraw(view, facade, parent)
    , m_moveButton(moveButton)
    , m_drawSettings(drawSettings)
    , m_selectedRoi(selectedRoi ? selectedRoi : &m_ownSelection)
{
    m_rectangleTool = makeAreaTool(rectangleButton, rectangleToolName());
    m_ellipseTool = makeAreaTool(ellipseButton, ellipseToolName());

    Hobject_View_MouseDraw_Settings moveStyle;
    moveStyle.ToolName = moveToolName();
    moveStyle.EdgeColor = m_drawSettings.moveColour;
    moveStyle.AngleHelpLineColor = m_drawSettings.moveColour;
    moveStyle.EdgeSize = 0.8;
    moveStyle.EdgeLineWidth = 2;
    moveStyle.AngleEdgeDistance = 1.5;
    m_moveTool = makeMoveTool(moveButton, moveStyle);

    // After the tools, which give the buttons their own pictures.
    if (rectangleButton)
        rectangleButton->setIcon(
            QIcon(QStringLiteral("pictures:/ModelMatching/ModelMatching_MouseDraw_Rectangle_Area.png")));
    if (ellipseButton)
        ellipseButton->setIcon(QIcon(QStringLiteral("pictures:/ModelMatching/ModelMatching_MouseDraw_Ellipse_Area.png")));
    if (moveButton)
        moveButton->setIcon(QIcon(QStringLiteral("pictures:/ModelMatching/ModelMatching_MouseDraw_Move.png")));
}

void ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi::cancelTools()
{
    m_rectangleTool->cancel();
    m_ellipseTool->cancel();
    m_moveTool->cancel();
}

bool ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi::isAreaTool(const QString& name) const
{
    return name == rectangleToolName() || name == ellipseToolName();
}

bool ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi::isOwnTool(const QString& name) const
{
    return isAreaTool(name) || name == moveToolName();
}

bool ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi::hasValidSelection() const
{
    const ModelMatchingSettings* record = settings();
    return record && *m_selectedRoi >= 0 && *m_selectedRoi < record->Model.ROI.size();
}

void ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi::drawModelRoi(const QString& name)
{
    if (!m_facade || m_facade->GetMode() != ModelMatching::Mode_DefineModel || !m_view)
        return;
    const ModelMatchingSettings* record = settings();
    for (const QString& prefix : m_drawSettings.prefixes)
        m_view->removeObjects(prefix, false);
    // A tool redraws under its own prefix many times before it clears it.
    m_view->removeObjects(name + QStringLiteral("Area."), false);

    Halcon::Hobject contours;
    if (record && m_facade->GetModelRoiContours(contours) == 0 && !contours.IsEmpty()) {
        m_view->addObject(contours, m_drawSettings.colour, kMarginMode, 1, name + QStringLiteral("Area."), false,
                          false);
        if (*m_selectedRoi >= 0 && *m_selectedRoi < record->Model.ROI.size() && !m_busy
            && isDrawable(record->Model.ROI.at(*m_selectedRoi))) {
            // Regions of an unknown type make no contour: count only those before that do.
            Halcon::Hlong contourIndex = 1;
            for (int i = 0; i < *m_selectedRoi; ++i)
                contourIndex += isDrawable(record->Model.ROI.at(i)) ? 1 : 0;
            Halcon::Hobject selected;
            if (Halcon::select_obj(contours, &selected, Halcon::HTuple(contourIndex)) == Halcon::kSuccess)
                m_view->addObject(selected, m_drawSettings.selectedColour, kMarginMode,
                                  m_drawSettings.selectedLineWidth, name + QStringLiteral("Area.Selected."), false,
                                  false);
        }
    }
    repaint();
}

void ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi::storeSelected(double x, double y, double width,
                                                                        double height, double angle)
{
    const int index = *m_selectedRoi;
    m_facade->EditSettings([=](ModelMatchingSettings& record) {
        ModelMatchingRoi& roi = record.Model.ROI[index];
        roi.PositionX = x;
        roi.PositionY = y;
        roi.SizeX = width;
        roi.SizeY = height;
        roi.Angle = angle;
    });
}

void ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi::dropPendingRoi()
{
    const int pending = m_pendingRoi;
    m_pendingRoi = -1;
    const ModelMatchingSettings* record = settings();
    if (!record || pending < 0)
        return;
    m_facade->EditSettings([pending](ModelMatchingSettings& s) {
        if (pending < s.Model.ROI.size())
            s.Model.ROI.removeAt(pending);
    });
    const bool restorable = m_selectionBeforePending >= 0 && m_selectionBeforePending < record->Model.ROI.size();
    *m_selectedRoi = restorable ? m_selectionBeforePending : -1;
    if (m_moveButton)
        m_moveButton->setEnabled(restorable);
}

void ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi::getRectangle(const QString& name, const QString& objectName,
                                                                       double& x, double& y, double& width,
                                                                       double& height, double& angle)
{
    if (!settings() || !isOwnTool(name))
        return;
    if (name == moveToolName()) {
        if (!hasValidSelection()) {
            // Never work on a region that is not there.
            m_moveTool->cancel();
            return;
        }
        const ModelMatchingRoi& roi = settings()->Model.ROI.at(*m_selectedRoi);
        x = roi.PositionX;
        y = roi.PositionY;
        width = roi.SizeX;
        height = roi.SizeY;
        angle = roi.Angle;
    }
    m_busy = true;
    drawModelRoi(objectName);
    emit signal_AnalysingAbort();
    repaint();
}

void ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi::drawStarted(const QString& name, const QString& objectName)
{
    if (!settings() || !isOwnTool(name))
        return;
    if (isAreaTool(name)) {
        ModelMatchingRoi roi;
        roi.Type = name == rectangleToolName() ? ModelMatchingRoi::Type_Rectangle : ModelMatchingRoi::Type_Ellipse;
        m_facade->EditSettings([this, &roi](ModelMatchingSettings& s) {
            s.Model.ROI.append(roi);
            m_pendingRoi = int(s.Model.ROI.size()) - 1;
        });
        m_selectionBeforePending = *m_selectedRoi;
        *m_selectedRoi = m_pendingRoi;
        if (m_moveButton)
            m_moveButton->setEnabled(true);
    }
    drawModelRoi(objectName);
    repaint();
}

void ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi::drawChanged(const QString& name, const QString& objectName,
                                                                      double x, double y, double width, double height,
                                                                      double angle)
{
    if (!isOwnTool(name) || !hasValidSelection())
        return;
    storeSelected(x, y, width, height, angle);
    drawModelRoi(objectName);
    repaint();
}

void ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi::drawFinished(const QString& name, const QString&,
                                                                       double x, double y, double width,
                                                                       double height, double angle)
{
    if (!isOwnTool(name) || !hasValidSelection())
        return;
    if (isAreaTool(name) && *m_selectedRoi == m_pendingRoi && !(width > 0.0 && height > 0.0)) {
        // A click draws nothing: no region without an area.
        dropPendingRoi();
    } else {
        storeSelected(x, y, width, height, angle);
        if (isAreaTool(name))
            m_pendingRoi = -1;
    }
    emit signal_NewDialogSettings();
}

void ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi::drawEnded(const QString& name, const QString&)
{
    if (!settings() || !isOwnTool(name))
        return;
    m_busy = false;
    if (isAreaTool(name) && m_pendingRoi >= 0) {
        // Cancelled before the release.
        dropPendingRoi();
        emit signal_NewDialogSettings();
    }
    emit signal_SettingChanged();
}
