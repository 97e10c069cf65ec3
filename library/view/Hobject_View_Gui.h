#pragma once

#include "Hobject_View_Gui_Picture.h"

#include <HalconTypes.h>
#include <Hobject.h>

#include <QByteArray>
#include <QCursor>
#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class Hobject_View_Model;
class Hobject_View_Mouse;
class Hobject_View_SelectorRows;
class Hobject_View_Windows;
class Hobject_View_ZoomPan;
class QAbstractButton;
class QCheckBox;
class QRadioButton;

namespace Ui {
class Hobject_View_Gui;
}

// The picture viewer of every page: named pictures (one shown at a time by the picture
// selectors) and overlay layers (regions, contours, texts, lines, crosses) whose names decide
// by prefix which are visible.
//
// Worker threads add, restyle and remove layers while the GUI thread paints: every list and
// every value the workers touch (selection style, modified flag, picture size, visible part,
// widget size and the mirrored states of the selector buttons) lives under one mutex, and a
// worker's repaint request reaches the GUI thread as a queued signal. Widgets are changed in
// the GUI thread only.
//
// The widget wires the form and turns requests into signals and repaints; the work is done
// beside it. Hobject_View_Model keeps what the threads share: the name rules
// (Hobject_View_Selectors), the layers (Hobject_View_Layers) and their selection
// (Hobject_View_Picking), the visible part (Hobject_View_ZoomPan). The windows of the vision
// layer (Hobject_View_Windows) show what Hobject_View_Painter draws; Hobject_View_Export makes
// images and files of it; Hobject_View_Mouse pans and zooms with the mouse unless a drawing
// tool has it; Hobject_View_SelectorRows are the selector rows of the form.
class Hobject_View_Gui : public QWidget {
    Q_OBJECT
public:
    struct PictureEntry {
        Halcon::Hobject image;
        QString name;
        bool visible = false;
        int width = 0;
        int height = 0;
    };

    // What every overlay kind carries: its colour, its name and its display state.
    struct OverlayEntry {
        QString color;
        QString name;
        bool visible = false;
        bool selectable = false;
        bool selected = false;
    };

    struct ObjectEntry : OverlayEntry {
        Halcon::Hobject object;
        QString drawMode;
        int lineWidth = 1;
        // Object class (Halcon_Helper::ObjectClass) and the bounding box of what it draws,
        // fixed when added; without a box the object is always drawn.
        int objectClass = 0;
        bool hasExtent = false;
        double extentRow1 = 0.0;
        double extentColumn1 = 0.0;
        double extentRow2 = 0.0;
        double extentColumn2 = 0.0;
    };

    struct TextEntry : OverlayEntry {
        QString text;
        double x = 0.0;
        double y = 0.0;
        // Own copy of the font family: callers may hand in the text of a temporary.
        QByteArray font;
        int size = 0;
    };

    struct LineEntry : OverlayEntry {
        double x1 = 0.0;
        double y1 = 0.0;
        double x2 = 0.0;
        double y2 = 0.0;
        int lineWidth = 1;
    };

    struct CrossEntry : OverlayEntry {
        double x = 0.0;
        double y = 0.0;
        double size = 0.0;
        double angle = 0.0;
        int lineWidth = 1;
        // The cross as contour, made once: its geometry never changes.
        Halcon::Hobject contour;
    };

    struct GroupEntry {
        QString caption;
        QString prefix;
        bool visibleByDefault = false;
    };

    struct SelectorEntry {
        QString caption;
        QString prefix;
        QWidget* container = nullptr;
        QAbstractButton* button = nullptr;
        // Mirrors of the widget states, written in the GUI thread, read by any thread.
        bool checked = false;
        bool rowVisible = false;
    };

    struct SelectorLink {
        QString caption;
        QString picturePrefix;
        QString objectPrefix;
        bool enabled = false;
        bool hidesOthers = false;
    };

    static constexpr int kPictureSelectorRows = 6;
    static constexpr int kObjectSelectorRows = 9;

    explicit Hobject_View_Gui(QWidget* parent = nullptr, const QString& viewName = QString());
    ~Hobject_View_Gui() override;

    // ---- Model: any thread ------------------------------------------------------------

    void setPicture(const Halcon::Hobject& image, const QString& name, bool update);
    void removePictures(const QString& prefix, bool update);
    void addObject(const Halcon::Hobject& object, const QString& color, const QString& drawMode, int lineWidth,
                   const QString& name, bool selectable, bool update);
    void addText(const QString& text, double x, double y, const QString& color, const char* font, int size,
                 const QString& name, bool selectable, bool update);
    void addLine(double x1, double y1, double x2, double y2, const QString& color, int lineWidth,
                 const QString& name, bool selectable, bool update);
    void addCross(double x, double y, double size, double angle, const QString& color, int lineWidth,
                  const QString& name, bool selectable, bool update);
    void removeObjects(const QString& prefix, bool update);
    void clear(bool update);
    void setPicturesVisible(const QString& prefix, bool visible, bool update);
    void setObjectsVisible(const QString& prefix, bool visible, bool update);
    void setObjectColor(const QString& prefix, const QString& color, bool update);
    void setObjectLineWidth(const QString& prefix, int width, bool update);
    void setObjectsSelectable(const QString& prefix, bool selectable, bool update);
    void setSelectionStyle(const QString& color, int lineWidth, bool update);
    bool getObject(const QString& name, Halcon::Hobject& object, bool& visible, bool& selected) const;
    void getPictureSize(int& width, int& height) const;
    int getPictureCount() const;
    int getObjectCount() const;
    void getObjectStatistics(int& images, int& xldContours, int& xldPolygons, int& regions, int& texts,
                             int& lines, int& crosses) const;
    // Percent of the longer picture side; 0 while there is no picture.
    void convertPixelToPercent(double x, double y, double& xPercent, double& yPercent) const;
    void convertPercentToPixel(double x, double y, double& xPixels, double& yPixels) const;
    // true: a repaint request only when something visible changed since the last paint.
    void updateView(bool onlyIfModified);
    QString getViewName() const;

    // ---- Display ----------------------------------------------------------------------

    void resetZoom(bool update);
    void centerViewOnPercent(double x, double y);
    void setViewPercentRange(double x, double y, double width, double height);
    void getZoomFactor(double& factorX, double& factorY) const;
    // column1, row1, column2, row2 of the visible part, in picture pixels.
    void getVisiblePart(int& column1, int& row1, int& column2, int& row2) const;

    // ---- Interaction --------------------------------------------------------------------

    // The mouse belongs to a drawing tool between these two: no pan, no rubber band.
    void beginMouseMode(const QCursor& cursor);
    void endMouseMode();

    // Registration of groups, selectors and links: GUI thread.
    bool addPictureGroup(const QString& caption, const QString& prefix, bool visibleByDefault);
    bool addObjectGroup(const QString& caption, const QString& prefix, bool visibleByDefault);
    bool addPictureSelector(const QString& caption, const QString& prefix, const QString& labelText, bool rowVisible,
                            bool checked);
    bool addObjectSelector(const QString& caption, const QString& prefix, const QString& labelText, bool rowVisible,
                           bool checked);
    bool addSelectorEntry(const QString& caption, const QString& picturePrefix, const QString& objectPrefix,
                          bool hidesOthers, bool enabled);

    // Selector requests: any thread; the widgets follow through queued setters.
    void setPictureSelectorsVisible(const QString& prefix, bool visible, bool update);
    void checkPictureSelector(const QString& prefix, bool checked, bool update);
    QString getCurrentPictureSelector() const;
    void setObjectSelectorsVisible(const QString& prefix, bool visible, bool update);
    void setObjectSelectorsChecked(const QString& prefix, bool checked, bool update);
    bool isObjectSelectorChecked(const QString& prefix) const;

    void pickObjects(double x, double y, Qt::KeyboardModifiers modifiers, bool update);
    void selectObjects(const QString& prefix, bool update);
    void selectObjectsInRegion(const Halcon::Hobject& area, bool update);
    void clearSelection(const QString& prefix, bool update);
    bool isObjectSelected(const QString& prefix) const;
    QStringList getSelectedObjects(const QString& prefix) const;

    // The picture alone and the picture with overlays at picture size; false without a
    // picture or when the vision layer fails.
    bool dumpViewImage(Halcon::Hobject& plainImage, Halcon::Hobject& overlayImage);

    // Live viewers in construction order (GUI thread).
    static QList<Hobject_View_Gui*> getInstances();

    void setControlPanelVisible(bool visible);
    void setZoomRangeButtonVisible(bool visible);
    void setZoom100ButtonVisible(bool visible);
    void setZoomButtonsVisible(bool visible);
    void setSaveButtonVisible(bool visible);

signals:
    void signal_HalconMouseMoveEvent(double x, double y);
    void signal_HalconMousePressEvent(double x, double y);
    void signal_HalconMouseReleaseEvent(double x, double y);
    void signal_HalconMouseDoubleClickEvent(double x, double y);
    void signal_HalconMouseWheelEvent(double x, double y, int delta);
    void signal_HalconObjectSelected(QString objectName);
    void signal_HalconObjectSelected(QString objectName, Qt::KeyboardModifiers keyboardModifiers);
    void signal_HalconObjectSelected(QStringList qStringListObjectName, double x, double y);
    void signal_HalconObjectSelected(QStringList qStringListObjectName, double x, double y,
                                     Qt::KeyboardModifiers keyboardModifiers);
    void signal_update();
    void signal_QRadioButton_setChecked(QRadioButton* button, bool checked);
    void signal_QCheckBox_setChecked(QCheckBox* button, bool checked);
    void signal_QWidget_setVisible(QWidget* widget, bool visible);
    void signal_ZoomFactorChanged(double factorX, double factorY);

public slots:
    void slot_update();
    void slot_QRadioButton_setChecked(QRadioButton* button, bool checked);
    void slot_QCheckBox_setChecked(QCheckBox* button, bool checked);
    void slot_QWidget_setVisible(QWidget* widget, bool visible);

    void slot_QToolButton_Zoom100_clicked();
    void slot_QToolButton_ZoomIn_clicked();
    void slot_QToolButton_ZoomOut_clicked();
    void slot_QToolButton_ZoomRange_toggled(bool checked);
    void slot_QToolButton_Save_clicked();
    void slot_QScrollBar_Horizontal_valueChanged(int value);
    void slot_QScrollBar_Vertical_valueChanged(int value);

    void slot_QRadioButton_HalconPicture1_toggled(bool checked);
    void slot_QRadioButton_HalconPicture2_toggled(bool checked);
    void slot_QRadioButton_HalconPicture3_toggled(bool checked);
    void slot_QRadioButton_HalconPicture4_toggled(bool checked);
    void slot_QRadioButton_HalconPicture5_toggled(bool checked);
    void slot_QRadioButton_HalconPicture6_toggled(bool checked);
    void slot_QCheckBox_HalconObject1_toggled(bool checked);
    void slot_QCheckBox_HalconObject2_toggled(bool checked);
    void slot_QCheckBox_HalconObject3_toggled(bool checked);
    void slot_QCheckBox_HalconObject4_toggled(bool checked);
    void slot_QCheckBox_HalconObject5_toggled(bool checked);
    void slot_QCheckBox_HalconObject6_toggled(bool checked);
    void slot_QCheckBox_HalconObject7_toggled(bool checked);
    void slot_QCheckBox_HalconObject8_toggled(bool checked);
    void slot_QCheckBox_HalconObject9_toggled(bool checked);

private:
    // The events of the picture widget. A member object receives them, because the viewer's
    // own QWidget event handlers have the same signatures and must stay apart.
    class PictureCallbacks;
    friend class PictureCallbacks;
    void picturePaintEvent(QPaintEvent* event);
    void pictureResizeEvent(QResizeEvent* event);
    void pictureShowEvent(QShowEvent* event);
    void pictureMouseMoveEvent(QMouseEvent* event);
    void pictureMousePressEvent(QMouseEvent* event);
    void pictureMouseReleaseEvent(QMouseEvent* event);
    void pictureMouseDoubleClickEvent(QMouseEvent* event);
    void pictureWheelEvent(QWheelEvent* event);

    void requestUpdate(bool update);
    // After a picture change: the visible part follows the pictures.
    void recomputePictureSize();
    // Runs change on the visible part (under the model's lock) and applies it, unless change
    // answers false.
    void changePart(const std::function<bool(Hobject_View_ZoomPan& zoomPan)>& change);
    void applyPart();
    // Invoked by name from other threads: the queued call is then built and run inside Qt,
    // whose hand-over the thread checker sees no more than a functor's.
    Q_INVOKABLE void updateScrollBars();
    void drawInto(Halcon::Hlong window, bool drawPictures, bool drawOverlays, double lineWidthScale,
                  double fontScale);
    bool mapToPicture(const QPoint& screen, double& x, double& y) const;
    void emitSelected(const QStringList& names, double x, double y, Qt::KeyboardModifiers modifiers, bool update);
    void pictureRadioToggled(int row, bool checked);
    void objectCheckBoxToggled(int row, bool checked);
    void uncheckZoomRange();
    void disableZoomRange();

    std::unique_ptr<Ui::Hobject_View_Gui> m_ui;
    std::unique_ptr<PictureCallbacks> m_pictureCallbacks;
    Hobject_View_Gui_Picture* m_picture = nullptr;
    std::unique_ptr<Hobject_View_Mouse> m_mouse;
    std::unique_ptr<Hobject_View_SelectorRows> m_rows;

    const QString m_viewName;

    // Everything worker threads touch, behind its own mutex.
    std::unique_ptr<Hobject_View_Model> m_model;
    // Opened in the constructor, closed in the destructor.
    std::unique_ptr<Hobject_View_Windows> m_windows;

    // GUI thread only.
    bool m_firstShow = false;
};
