#pragma once

#include "ModelMatching_MouseDraw.h"
#include "ModelRoiDrawSettings.h"

#include <QPointer>
#include <QString>

class Hobject_View_Gui;
class ModelMatching;
class QToolButton;

// Adds rectangle and ellipse regions of interest to the model with the mouse and moves,
// sizes and turns the selected one. The region being drawn or moved is changed in the
// settings record as the mouse goes; the owner refreshes its region list on
// signal_NewDialogSettings. Regions are drawn only in define-model mode. GUI thread only.
//
// A drawing that is cancelled before the mouse is released, or that is only a click,
// leaves no region behind and restores the selection it found.
class ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi : public ModelMatching_MouseDraw {
    Q_OBJECT
public:
    static QString rectangleToolName() { return QStringLiteral("Model_Roi_Rectangle_Area"); }
    static QString ellipseToolName() { return QStringLiteral("Model_Roi_Ellipse_Area"); }
    static QString moveToolName() { return QStringLiteral("Model_Roi_Move"); }

    // Neither buttons, viewer, facade nor the selection index is owned; the selection index
    // (-1: none) is the editor's and is shared by address.
    ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi(QToolButton* rectangleButton, QToolButton* ellipseButton,
                                                        QToolButton* moveButton, Hobject_View_Gui* view,
                                                        const ModelRoiDrawSettings& drawSettings,
                                                        ModelMatching* facade, int* selectedRoi,
                                                        QObject* parent = nullptr);

    // Redraws all regions as name + "Area." and the selected one as name + "Area.Selected."
    // after clearing the drawing prefixes; only in define-model mode.
    void drawModelRoi(const QString& name);
    // Ends whichever of the three tools is on.
    void cancelTools();

    Hobject_View_MouseDraw_Rectangle_Area* rectangleTool() const { return m_rectangleTool; }
    Hobject_View_MouseDraw_Rectangle_Area* ellipseTool() const { return m_ellipseTool; }
    Hobject_View_MouseDraw_Rectangle_Move* moveTool() const { return m_moveTool; }

private:
    void getRectangle(const QString& name, const QString& objectName, double& x, double& y, double& width,
                      double& height, double& angle) override;
    void drawStarted(const QString& name, const QString& objectName) override;
    void drawChanged(const QString& name, const QString& objectName, double x, double y, double width,
                     double height, double angle) override;
    void drawFinished(const QString& name, const QString& objectName, double x, double y, double width,
                      double height, double angle) override;
    void drawEnded(const QString& name, const QString& objectName) override;

    bool isAreaTool(const QString& name) const;
    bool isOwnTool(const QString& name) const;
    bool hasValidSelection() const;
    // Writes the geometry into the selected region under the settings lock.
    void storeSelected(double x, double y, double width, double height, double angle);
    // Takes back the region a drawing began and the selection it replaced.
    void dropPendingRoi();

    QPointer<QToolButton> m_moveButton;
    const ModelRoiDrawSettings m_drawSettings;
    int m_ownSelection = -1; // stands in when no selection index is given
    int* const m_selectedRoi;
    Hobject_View_MouseDraw_Rectangle_Area* m_rectangleTool = nullptr;
    Hobject_View_MouseDraw_Rectangle_Area* m_ellipseTool = nullptr;
    Hobject_View_MouseDraw_Rectangle_Move* m_moveTool = nullptr;
    bool m_busy = false;
    // The region a drawing appended and has not settled yet, and the selection before it.
    int m_pendingRoi = -1;
    int m_selectionBeforePending = -1;
};
