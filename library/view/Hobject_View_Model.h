#pragma once

#include "Hobject_View_Gui.h"
#include "Hobject_View_Layers.h"
#include "Hobject_View_Picking.h"
#include "Hobject_View_Selectors.h"
#include "Hobject_View_ZoomPan.h"

#include <Hobject.h>

#include <QMutex>
#include <QMutexLocker>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class Hobject_View_Painter;
class Hobject_View_SelectorRows;
class Hobject_View_Windows;
class QCheckBox;
class QRadioButton;
class QWidget;

// What a viewer's worker threads and its GUI thread share, behind one mutex: the name rules,
// the layers with their selection, the visible part with the picture and widget sizes, and
// the modified flag (something visible changed since the last paint). Every operation takes
// the mutex for as long as it runs; what it asks of the widget (a repaint, applying the
// part, setting buttons) is left to the caller.
class Hobject_View_Model {
public:
    Hobject_View_Model();

    bool modified() const;
    // A paint begins: what it draws is no longer a change.
    void paintStarted();

    // ---- Layers: a visible change sets modified --------------------------------------------

    void setPicture(std::unique_ptr<Hobject_View_Layers::PictureEntry> picture);
    void removePictures(const QString& prefix);
    void setPicturesVisible(const QString& prefix, bool visible);
    // The picture size follows the pictures and the part shrinks into it; false when no
    // picture is left (the part is then empty and not to be applied).
    bool recomputePictureSize();
    void pictureSize(int& width, int& height) const;
    int pictureCount() const;
    int longerSide() const;

    template <typename Entry>
    void add(std::unique_ptr<Entry> entry)
    {
        QMutexLocker locker(&m_mutex);
        markIf(m_layers.add(std::move(entry)));
    }
    void removeObjects(const QString& prefix);
    void setObjectsVisible(const QString& prefix, bool visible);
    void setObjectColor(const QString& prefix, const QString& color);
    void setObjectLineWidth(const QString& prefix, int width);
    void setObjectsSelectable(const QString& prefix, bool selectable);
    void setSelectionStyle(const QString& color, int lineWidth);
    bool getObject(const QString& name, Halcon::Hobject& object, bool& visible, bool& selected) const;
    int objectCount() const;
    void objectStatistics(int& images, int& xldContours, int& xldPolygons, int& regions, int& texts, int& lines,
                          int& crosses) const;
    void clear();

    // ---- Selection: a selecting call answers the names it selected --------------------------

    QStringList pick(double x, double y);
    QStringList selectByPrefix(const QString& prefix);
    QStringList selectInRegion(const Halcon::Hobject& areaRegion);
    void clearSelection(const QString& prefix);
    bool anySelected(const QString& prefix) const;
    QStringList selected(const QString& prefix) const;

    // ---- Visible part ------------------------------------------------------------------------

    // The whole picture; sets modified.
    void showWhole();
    // Runs change on the part; false when it changed nothing and nothing is to be applied.
    bool changePart(const std::function<bool(Hobject_View_ZoomPan& zoomPan)>& change);
    // Fits the part to the widget and sets it on the windows' buffer.
    Hobject_View_ZoomPan::Fit applyPart(Hobject_View_Windows& windows);
    Hobject_View_ZoomPan::Part part() const;
    void partAndPictureSize(Hobject_View_ZoomPan::Part& part, int& pictureWidth, int& pictureHeight) const;
    void zoomFactor(double& factorX, double& factorY) const;
    void setWidgetSize(int width, int height);
    void widgetSize(int& width, int& height) const;
    // The layers drawn by painter; a font scale of 0 keeps texts at their size relative to
    // the picture on the screen.
    void draw(Hobject_View_Painter& painter, bool drawPictures, bool drawOverlays, double lineWidthScale,
              double fontScale) const;

    // ---- Groups, selectors and links ---------------------------------------------------------

    void addPictureGroup(const Hobject_View_Gui::GroupEntry& group);
    void addObjectGroup(const Hobject_View_Gui::GroupEntry& group);
    // The row the selector takes in the form; -1 when every row is taken.
    int addPictureSelector(const QString& caption, const QString& prefix, bool rowVisible, bool checked,
                           const Hobject_View_SelectorRows& rows);
    int addObjectSelector(const QString& caption, const QString& prefix, bool rowVisible, bool checked,
                          const Hobject_View_SelectorRows& rows);
    void addLink(const Hobject_View_Gui::SelectorLink& link);
    // After the selectors changed: the layers take the visibility the rules give them.
    void refreshPictureVisibility();
    void refreshObjectVisibility();
    // GUI thread: the buttons' states are taken, then every layer is refreshed as asked.
    void takeSelectorStates(bool refreshPictures);
    void setSelectorRowVisible(const QWidget* row, bool visible);
    std::vector<QWidget*> pictureRows(const QString& prefix, bool hiding, QRadioButton*& toCheck);
    std::vector<QRadioButton*> pictureButtonsToSet(const QString& prefix, bool checked);
    QString currentPictureSelector() const;
    std::vector<QWidget*> objectRows(const QString& prefix) const;
    std::vector<QCheckBox*> objectButtonsToSet(const QString& prefix, bool checked);
    bool objectSelectorChecked(const QString& prefix) const;

private:
    void markIf(bool changed);
    QStringList selectWith(const std::function<QStringList()>& select);

    mutable QMutex m_mutex;
    Hobject_View_Selectors m_selectors;
    Hobject_View_Layers m_layers;
    Hobject_View_Picking m_picking;
    Hobject_View_ZoomPan m_zoomPan;
    bool m_modified = false;
};
