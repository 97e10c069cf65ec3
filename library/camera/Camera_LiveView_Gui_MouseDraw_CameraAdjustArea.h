#pragma once

#include "Camera_LiveView_Settings_Data.h"

#include <Hobject_View_MouseDraw_Rectangle_Host.h>

#include <QString>

class Camera_LiveView_Settings;
class Hobject_View_Gui;
class QToolButton;

// Lets the operator draw a new measuring rectangle, or move, size and turn the current one,
// for each of the live view's three aids on the live picture: one drawing and one move tool
// per aid, whose callbacks this object answers for all six, telling the aids apart by the
// tool name. What a tool settles on goes into the aid's Labware values of the record, which
// then announces it through its custom signal (2, false); the end of a tool announces
// (2, true), upon which the live view saves the record. GUI thread only.
class Camera_LiveView_Gui_MouseDraw_CameraAdjustArea : public Hobject_View_MouseDraw_Rectangle_Host {
    Q_OBJECT
public:
    // Buttons, viewer and record are not owned and must outlive this object; the tools are
    // owned.
    Camera_LiveView_Gui_MouseDraw_CameraAdjustArea(QToolButton* focusArea, QToolButton* focusMove,
                                                   QToolButton* apertureArea, QToolButton* apertureMove,
                                                   QToolButton* homogeneousArea, QToolButton* homogeneousMove,
                                                   Hobject_View_Gui* view, Camera_LiveView_Settings* settings,
                                                   QObject* parent = nullptr);

    // Ends the aid's drawing tool, then its move tool; true.
    bool CameraFocus_Cancel();
    bool CameraAperture_Cancel();
    bool CameraHomogeneous_Cancel();
    // The aid's drawing or move tool is on.
    bool CameraFocus_IsActive() const;
    bool CameraAperture_IsActive() const;
    bool CameraHomogeneous_IsActive() const;

private:
    enum Aid { Aid_None = -1, Aid_Focus = 0, Aid_Aperture = 1, Aid_Homogeneous = 2, Aid_Count = 3 };
    struct Tools {
        Hobject_View_MouseDraw_Rectangle_Area* area = nullptr;
        Hobject_View_MouseDraw_Rectangle_Move* move = nullptr;
    };

    // The aid a tool name belongs to (exact names), and whether it is a move tool.
    static Aid aidOf(const QString& toolName, bool* isMove = nullptr);
    // The record's measuring rectangle of a named aid; the record must be there.
    Camera_LiveView_Settings_Data::LabwareGroup& labwareOf(Aid aid) const;
    bool cancel(Aid aid);
    bool isActive(Aid aid) const;

    void getRectangle(const QString& name, const QString& objectName, double& x, double& y, double& width,
                      double& height, double& angle) override;
    void drawStarted(const QString& name, const QString& objectName) override;
    void drawChanged(const QString& name, const QString& objectName, double x, double y, double width,
                     double height, double angle) override;
    void drawFinished(const QString& name, const QString& objectName, double x, double y, double width,
                      double height, double angle) override;
    void drawEnded(const QString& name, const QString& objectName) override;

    Hobject_View_Gui* m_view = nullptr;
    Camera_LiveView_Settings* m_settings = nullptr;
    Tools m_tools[Aid_Count];
};
