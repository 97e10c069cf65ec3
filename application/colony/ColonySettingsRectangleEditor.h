#pragma once

#include <HalconViewImpl.h>
#include <Hobject_View_MouseDraw_Rectangle_Host.h>
#include <Hobject_View_MouseDraw_Settings.h>

#include <QString>

class ColonySettings;
class Hobject_View_Gui;
class QToolButton;

// Lets the operator draw (Create button) or move and size (Edit button) one rectangle of
// the colony settings on the analyser picture. The two mouse tools do the mouse work; this
// base answers their callbacks: it reports the stored rectangle, clears the analysis search
// areas while drawing, draws the magenta preview, stores what the tool settles on and
// announces it through the record's custom signal. The subclasses say which fields hold the
// rectangle. GUI thread only.
//
// A rectangle is stored only inside the picture and only when it keeps an area; the
// settings count as edited when the tool ends only if a stored rectangle differs from the
// one before.
class ColonySettingsRectangleEditor : public Hobject_View_MouseDraw_Rectangle_Host {
    Q_OBJECT
public:
    // Prefix of the container search areas the analysis draws; they are cleared while drawing.
    static QString searchAreaPrefix() { return QStringLiteral("HalconObject_Colonies_SearchArea."); }

    Hobject_View_MouseDraw_Rectangle_Area* areaTool() const { return m_areaTool; }
    Hobject_View_MouseDraw_Rectangle_Move* moveTool() const { return m_moveTool; }

protected:
    // Neither buttons, viewer nor settings are owned; the tools are, and the viewer must
    // outlive them.
    ColonySettingsRectangleEditor(QToolButton* createButton, QToolButton* editButton, Hobject_View_Gui* view,
                                  ColonySettings* settings, const Hobject_View_MouseDraw_Settings& moveStyle,
                                  QObject* parent);

    // Percent of the longer picture side, angle in degrees counter-clockwise.
    virtual void readRectangle(double& x, double& y, double& width, double& height, double& angle) const = 0;
    virtual void storeRectangle(double x, double y, double width, double height, double angle) = 0;

    ColonySettings* settings() const { return m_settings; }

private:
    void getRectangle(const QString& name, const QString& objectName, double& x, double& y, double& width,
                      double& height, double& angle) override;
    void drawStarted(const QString& name, const QString& objectName) override;
    void drawChanged(const QString& name, const QString& objectName, double x, double y, double width,
                     double height, double angle) override;
    void drawFinished(const QString& name, const QString& objectName, double x, double y, double width,
                      double height, double angle) override;
    void drawEnded(const QString& name, const QString& objectName) override;

    struct Rectangle {
        double x = 0.0;
        double y = 0.0;
        double width = 0.0;
        double height = 0.0;
        double angle = 0.0;
        bool operator==(const Rectangle&) const = default;
    };
    Rectangle stored() const;
    // The rectangle cut to the picture; false when nothing of it is left or there is no picture.
    bool clampToPicture(double& x, double& y, double& width, double& height) const;

    QToolButton* m_createButton = nullptr;
    QToolButton* m_editButton = nullptr;
    Hobject_View_Gui* m_view = nullptr;
    ColonySettings* m_settings = nullptr;
    HalconViewImpl m_drawing;
    Hobject_View_MouseDraw_Rectangle_Area* m_areaTool = nullptr;
    Hobject_View_MouseDraw_Rectangle_Move* m_moveTool = nullptr;
    // A stored rectangle changed the record since the tool started.
    bool m_changed = false;
};
