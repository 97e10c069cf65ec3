#include "Hobject_View_Gui.h"

#include "ui_Hobject_View_Gui.h"

#include "Gui_Helper.h"
#include "Gui_Helper_ScreenKeeper.h"
#include "Halcon_Helper.h"
#include "Hobject_View_Export.h"
#include "Hobject_View_Model.h"
#include "Hobject_View_MouseDraw_Rectangle_Tool.h"
#include "Hobject_View_Mouse.h"
#include "Hobject_View_Painter.h"
#include "Hobject_View_Picking.h"
#include "Hobject_View_SelectorRows.h"
#include "Hobject_View_Windows.h"
#include "PictureUnitConverter.h"

#include <QCheckBox>
#include <QIcon>
#include <QMouseEvent>
#include <QMutex>
#include <QMutexLocker>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QThread>
#include <QWheelEvent>

#include <algorithm>

using Halcon::Hlong;
using Halcon::Hobject;

namespace {

QMutex g_instancesMutex;
QList<Hobject_View_Gui*> g_instances;

} // namespace

// Forwards the picture widget's events to the viewer's picture handlers.
class Hobject_View_Gui::PictureCallbacks : public Hobject_View_Gui_Picture::CallbackFunctions {
public:
    explicit PictureCallbacks(Hobject_View_Gui* view)
        : m_view(view)
    {
    }
    void paintEvent(QPaintEvent* event) override { m_view->picturePaintEvent(event); }
    void resizeEvent(QResizeEvent* event) override { m_view->pictureResizeEvent(event); }
    void showEvent(QShowEvent* event) override { m_view->pictureShowEvent(event); }
    void hideEvent(QHideEvent*) override {}
    void mouseMoveEvent(QMouseEvent* event) override { m_view->pictureMouseMoveEvent(event); }
    void mousePressEvent(QMouseEvent* event) override { m_view->pictureMousePressEvent(event); }
    void mouseReleaseEvent(QMouseEvent* event) override { m_view->pictureMouseReleaseEvent(event); }
    void mouseDoubleClickEvent(QMouseEvent* event) override { m_view->pictureMouseDoubleClickEvent(event); }
    void wheelEvent(QWheelEvent* event) override { m_view->pictureWheelEvent(event); }

private:
    Hobject_View_Gui* m_view;
};

// ---- Construction ------------------------------------------------------------------------

Hobject_View_Gui::Hobject_View_Gui(QWidget* parent, const QString& viewName)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::Hobject_View_Gui>())
    , m_pictureCallbacks(std::make_unique<PictureCallbacks>(this))
    , m_viewName(viewName)
    , m_model(std::make_unique<Hobject_View_Model>())
{
    m_ui->setupUi(this);
    // A row of many named pictures and layers is wider than a small screen: it scrolls.
    Gui_Helper_ScreenKeeper::scrollSideways(m_ui->m_QWidget_ControlPanel);

    m_ui->m_QToolButton_Zoom100->setIcon(QIcon(QStringLiteral("pictures:/HobjectView/Zoom100.png")));
    m_ui->m_QToolButton_ZoomIn->setIcon(QIcon(QStringLiteral("pictures:/HobjectView/ZoomIn.png")));
    m_ui->m_QToolButton_ZoomOut->setIcon(QIcon(QStringLiteral("pictures:/HobjectView/ZoomOut.png")));
    m_ui->m_QToolButton_ZoomRange->setIcon(QIcon(QStringLiteral("pictures:/HobjectView/ZoomRange.png")));
    m_ui->m_QToolButton_Save->setIcon(QIcon(QStringLiteral("pictures:/HobjectView/Save.png")));
    m_ui->m_QToolButton_Zoom100->setToolTip(tr("Reset zoom to 100%"));
    m_ui->m_QToolButton_ZoomIn->setToolTip(tr("Zoom in"));
    m_ui->m_QToolButton_ZoomOut->setToolTip(tr("Zoom out"));
    m_ui->m_QToolButton_ZoomRange->setToolTip(tr("Select zoom range"));
    m_ui->m_QToolButton_Save->setToolTip(tr("Save current view to a pitcure file"));

    m_rows = std::make_unique<Hobject_View_SelectorRows>(*m_ui, font());
    m_picture = new Hobject_View_Gui_Picture(m_pictureCallbacks.get(), m_ui->m_QWidget_Picture);
    Hobject_View_Mouse::Actions mouseActions;
    mouseActions.pan = [this](int columns, int rows) {
        changePart([columns, rows](Hobject_View_ZoomPan& zoomPan) {
            zoomPan.pan(columns, rows);
            return true;
        });
    };
    mouseActions.zoomTo = [this](const Hobject_View_ZoomPan::Part& part) {
        changePart([&part](Hobject_View_ZoomPan& zoomPan) {
            zoomPan.setPart(part);
            return true;
        });
    };
    mouseActions.pick = [this](double x, double y, Qt::KeyboardModifiers modifiers) {
        pickObjects(x, y, modifiers, true);
    };
    m_mouse = std::make_unique<Hobject_View_Mouse>(m_picture, m_ui->m_QToolButton_ZoomRange, std::move(mouseActions));
    m_windows = std::make_unique<Hobject_View_Windows>(m_picture);

    Gui_Helper::applyWidgetStyles(this, true, true, true);
    pictureResizeEvent(nullptr);

    {
        QMutexLocker locker(&g_instancesMutex);
        g_instances.append(this);
    }

    connect(m_ui->m_QToolButton_Zoom100, &QToolButton::clicked, this,
            &Hobject_View_Gui::slot_QToolButton_Zoom100_clicked);
    connect(m_ui->m_QToolButton_ZoomIn, &QToolButton::clicked, this, &Hobject_View_Gui::slot_QToolButton_ZoomIn_clicked);
    connect(m_ui->m_QToolButton_ZoomOut, &QToolButton::clicked, this,
            &Hobject_View_Gui::slot_QToolButton_ZoomOut_clicked);
    connect(m_ui->m_QToolButton_ZoomRange, &QToolButton::toggled, this,
            &Hobject_View_Gui::slot_QToolButton_ZoomRange_toggled);
    connect(m_ui->m_QToolButton_Save, &QToolButton::clicked, this, &Hobject_View_Gui::slot_QToolButton_Save_clicked);
    connect(m_ui->m_QScrollBar_Horizontal, &QScrollBar::valueChanged, this,
            &Hobject_View_Gui::slot_QScrollBar_Horizontal_valueChanged);
    connect(m_ui->m_QScrollBar_Vertical, &QScrollBar::valueChanged, this,
            &Hobject_View_Gui::slot_QScrollBar_Vertical_valueChanged);

    using PictureSlot = void (Hobject_View_Gui::*)(bool);
    const PictureSlot pictureSlots[kPictureSelectorRows] = {
        &Hobject_View_Gui::slot_QRadioButton_HalconPicture1_toggled, &Hobject_View_Gui::slot_QRadioButton_HalconPicture2_toggled,
        &Hobject_View_Gui::slot_QRadioButton_HalconPicture3_toggled, &Hobject_View_Gui::slot_QRadioButton_HalconPicture4_toggled,
        &Hobject_View_Gui::slot_QRadioButton_HalconPicture5_toggled, &Hobject_View_Gui::slot_QRadioButton_HalconPicture6_toggled};
    for (int row = 0; row < kPictureSelectorRows; ++row)
        connect(m_rows->pictureRadio(row), &QRadioButton::toggled, this, pictureSlots[row]);
    const PictureSlot objectSlots[kObjectSelectorRows] = {
        &Hobject_View_Gui::slot_QCheckBox_HalconObject1_toggled, &Hobject_View_Gui::slot_QCheckBox_HalconObject2_toggled,
        &Hobject_View_Gui::slot_QCheckBox_HalconObject3_toggled, &Hobject_View_Gui::slot_QCheckBox_HalconObject4_toggled,
        &Hobject_View_Gui::slot_QCheckBox_HalconObject5_toggled, &Hobject_View_Gui::slot_QCheckBox_HalconObject6_toggled,
        &Hobject_View_Gui::slot_QCheckBox_HalconObject7_toggled, &Hobject_View_Gui::slot_QCheckBox_HalconObject8_toggled,
        &Hobject_View_Gui::slot_QCheckBox_HalconObject9_toggled};
    for (int row = 0; row < kObjectSelectorRows; ++row)
        connect(m_rows->objectCheckBox(row), &QCheckBox::toggled, this, objectSlots[row]);

    // Automatic: a request from a worker thread becomes a queued call into the GUI thread.
    connect(this, &Hobject_View_Gui::signal_update, this, &Hobject_View_Gui::slot_update);
    // Always queued: callers may hold locks of their own, and workers must not touch widgets.
    connect(this, &Hobject_View_Gui::signal_QRadioButton_setChecked, this,
            &Hobject_View_Gui::slot_QRadioButton_setChecked, Qt::QueuedConnection);
    connect(this, &Hobject_View_Gui::signal_QCheckBox_setChecked, this, &Hobject_View_Gui::slot_QCheckBox_setChecked,
            Qt::QueuedConnection);
    connect(this, &Hobject_View_Gui::signal_QWidget_setVisible, this, &Hobject_View_Gui::slot_QWidget_setVisible,
            Qt::QueuedConnection);
}

Hobject_View_Gui::~Hobject_View_Gui()
{
    // Mouse tools often are children of the viewer and go only after all of it is gone: they
    // let go of it now, while it is whole, and the viewer takes its mouse back.
    Hobject_View_MouseDraw_Rectangle_Tool::releaseView(this);
    endMouseMode();
    {
        QMutexLocker locker(&g_instancesMutex);
        g_instances.removeAll(this);
    }
    // The picture widget must not call back while the rest of the viewer goes away.
    delete m_picture;
    m_picture = nullptr;
    m_model->clear();
    m_windows.reset();
}

QList<Hobject_View_Gui*> Hobject_View_Gui::getInstances()
{
    QMutexLocker locker(&g_instancesMutex);
    return g_instances;
}

QString Hobject_View_Gui::getViewName() const
{
    return m_viewName;
}

// ---- Model ---------------------------------------------------------------------------------

void Hobject_View_Gui::requestUpdate(bool update)
{
    if (update && m_model->modified())
        emit signal_update();
}

void Hobject_View_Gui::updateView(bool onlyIfModified)
{
    if (!onlyIfModified) {
        emit signal_update();
        return;
    }
    requestUpdate(true);
}

void Hobject_View_Gui::slot_update()
{
    if (m_picture)
        m_picture->update();
}

void Hobject_View_Gui::setPicture(const Hobject& image, const QString& name, bool update)
{
    if (Halcon_Helper::CheckImage(image) != 0)
        return;
    // Elements are immutable and shared, so keeping the handle is an own copy without
    // copying pixels.
    auto entry = std::make_unique<PictureEntry>();
    entry->image = image;
    entry->name = name;
    Halcon_Helper::GetImageSize(image, entry->width, entry->height);
    m_model->setPicture(std::move(entry));
    recomputePictureSize();
    requestUpdate(update);
}

void Hobject_View_Gui::removePictures(const QString& prefix, bool update)
{
    m_model->removePictures(prefix);
    recomputePictureSize();
    requestUpdate(update);
}

void Hobject_View_Gui::recomputePictureSize()
{
    if (m_model->recomputePictureSize())
        applyPart();
}

void Hobject_View_Gui::getPictureSize(int& width, int& height) const
{
    m_model->pictureSize(width, height);
}

int Hobject_View_Gui::getPictureCount() const
{
    return m_model->pictureCount();
}

void Hobject_View_Gui::setPicturesVisible(const QString& prefix, bool visible, bool update)
{
    m_model->setPicturesVisible(prefix, visible);
    requestUpdate(update);
}

void Hobject_View_Gui::addObject(const Hobject& object, const QString& color, const QString& drawMode, int lineWidth,
                                 const QString& name, bool selectable, bool update)
{
    auto entry = Hobject_View_Layers::makeObject(object, color, drawMode, lineWidth, name, selectable);
    if (!entry)
        return;
    m_model->add(std::move(entry));
    requestUpdate(update);
}

void Hobject_View_Gui::addText(const QString& text, double x, double y, const QString& color, const char* font,
                               int size, const QString& name, bool selectable, bool update)
{
    m_model->add(Hobject_View_Layers::makeText(text, x, y, color, font, size, name, selectable));
    requestUpdate(update);
}

void Hobject_View_Gui::addLine(double x1, double y1, double x2, double y2, const QString& color, int lineWidth,
                               const QString& name, bool selectable, bool update)
{
    m_model->add(Hobject_View_Layers::makeLine(x1, y1, x2, y2, color, lineWidth, name, selectable));
    requestUpdate(update);
}

void Hobject_View_Gui::addCross(double x, double y, double size, double angle, const QString& color, int lineWidth,
                                const QString& name, bool selectable, bool update)
{
    m_model->add(Hobject_View_Layers::makeCross(x, y, size, angle, color, lineWidth, name, selectable));
    requestUpdate(update);
}

void Hobject_View_Gui::removeObjects(const QString& prefix, bool update)
{
    m_model->removeObjects(prefix);
    requestUpdate(update);
}

void Hobject_View_Gui::clear(bool update)
{
    removeObjects(QString(), false);
    removePictures(QString(), false);
    resetZoom(update);
}

void Hobject_View_Gui::setObjectsVisible(const QString& prefix, bool visible, bool update)
{
    m_model->setObjectsVisible(prefix, visible);
    requestUpdate(update);
}

void Hobject_View_Gui::setObjectColor(const QString& prefix, const QString& color, bool update)
{
    m_model->setObjectColor(prefix, color);
    requestUpdate(update);
}

void Hobject_View_Gui::setObjectLineWidth(const QString& prefix, int width, bool update)
{
    m_model->setObjectLineWidth(prefix, width);
    requestUpdate(update);
}

void Hobject_View_Gui::setObjectsSelectable(const QString& prefix, bool selectable, bool update)
{
    m_model->setObjectsSelectable(prefix, selectable);
    requestUpdate(update);
}

void Hobject_View_Gui::setSelectionStyle(const QString& color, int lineWidth, bool update)
{
    m_model->setSelectionStyle(color, lineWidth);
    requestUpdate(update);
}

bool Hobject_View_Gui::getObject(const QString& name, Hobject& object, bool& visible, bool& selected) const
{
    object = Hobject();
    visible = false;
    selected = false;
    return m_model->getObject(name, object, visible, selected);
}

int Hobject_View_Gui::getObjectCount() const
{
    return m_model->objectCount();
}

void Hobject_View_Gui::getObjectStatistics(int& images, int& xldContours, int& xldPolygons, int& regions, int& texts,
                                           int& lines, int& crosses) const
{
    m_model->objectStatistics(images, xldContours, xldPolygons, regions, texts, lines, crosses);
}

void Hobject_View_Gui::convertPixelToPercent(double x, double y, double& xPercent, double& yPercent) const
{
    const int longerSide = m_model->longerSide();
    xPercent = PictureUnitConverter::toPercent(longerSide, x);
    yPercent = PictureUnitConverter::toPercent(longerSide, y);
}

void Hobject_View_Gui::convertPercentToPixel(double x, double y, double& xPixels, double& yPixels) const
{
    const int longerSide = m_model->longerSide();
    xPixels = PictureUnitConverter::toPixels(longerSide, x);
    yPixels = PictureUnitConverter::toPixels(longerSide, y);
}

// ---- Drawing -------------------------------------------------------------------------------

void Hobject_View_Gui::drawInto(Hlong window, bool drawPictures, bool drawOverlays, double lineWidthScale,
                                double fontScale)
{
    Hobject_View_Painter painter(window);
    m_model->draw(painter, drawPictures, drawOverlays, lineWidthScale, fontScale);
}

void Hobject_View_Gui::picturePaintEvent(QPaintEvent*)
{
    m_model->paintStarted();
    drawInto(m_windows->buffer(), true, true, 1.0, 0.0);
    int width = 0;
    int height = 0;
    m_model->widgetSize(width, height);
    m_windows->present(width, height);
}

void Hobject_View_Gui::pictureResizeEvent(QResizeEvent*)
{
    const int width = m_picture->width();
    const int height = m_picture->height();
    m_model->setWidgetSize(width, height);
    if (width < 1 || height < 1)
        return;
    m_windows->resize(width, height);
    applyPart();
}

void Hobject_View_Gui::pictureShowEvent(QShowEvent*)
{
    if (!m_firstShow) {
        m_model->showWhole();
        applyPart();
        emit signal_update();
        m_firstShow = true;
    }
    emit signal_update();
}

bool Hobject_View_Gui::dumpViewImage(Hobject& plainImage, Hobject& overlayImage)
{
    plainImage = Hobject();
    overlayImage = Hobject();
    int width = 0;
    int height = 0;
    getPictureSize(width, height);
    if (width == 0 || height == 0)
        return false;
    auto draw = [this](Hlong window, bool withOverlays) {
        // With overlays: texts at the size asked for, in picture pixels.
        if (withOverlays)
            drawInto(window, true, true, 2.0, 1.0);
        else
            drawInto(window, true, false, 1.0, 0.0);
    };
    return Hobject_View_Export::dump(width, height, draw, plainImage, overlayImage);
}

void Hobject_View_Gui::slot_QToolButton_Save_clicked()
{
    Hobject_View_Export::saveAsked(this);
}

// ---- Part, zoom and scrolling ------------------------------------------------------------------

void Hobject_View_Gui::changePart(const std::function<bool(Hobject_View_ZoomPan& zoomPan)>& change)
{
    if (m_model->changePart(change))
        applyPart();
}

void Hobject_View_Gui::applyPart()
{
    const Hobject_View_ZoomPan::Fit fit = m_model->applyPart(*m_windows);
    if (!fit.apply)
        return;
    if (QThread::currentThread() == thread())
        updateScrollBars();
    else
        QMetaObject::invokeMethod(this, "updateScrollBars", Qt::QueuedConnection);
    if (fit.zoomChanged)
        emit signal_ZoomFactorChanged(fit.factorX, fit.factorY);
    emit signal_update();
}

void Hobject_View_Gui::updateScrollBars()
{
    Hobject_View_ZoomPan::Part part;
    int pictureWidth = 0;
    int pictureHeight = 0;
    m_model->partAndPictureSize(part, pictureWidth, pictureHeight);
    auto set = [](QScrollBar* bar, int pictureSize, int partSize, int first) {
        const QSignalBlocker blocker(bar);
        const int range = pictureSize - partSize;
        if (range < 1) {
            bar->setMaximum(1);
            bar->setPageStep(1000000);
            bar->setValue(0);
        } else {
            bar->setMinimum(0);
            bar->setMaximum(range);
            bar->setPageStep(partSize);
            bar->setValue(first);
        }
    };
    set(m_ui->m_QScrollBar_Horizontal, pictureWidth, part.column2 - part.column1, part.column1);
    set(m_ui->m_QScrollBar_Vertical, pictureHeight, part.row2 - part.row1, part.row1);
}

void Hobject_View_Gui::getZoomFactor(double& factorX, double& factorY) const
{
    m_model->zoomFactor(factorX, factorY);
}

void Hobject_View_Gui::getVisiblePart(int& column1, int& row1, int& column2, int& row2) const
{
    const Hobject_View_ZoomPan::Part part = m_model->part();
    column1 = part.column1;
    row1 = part.row1;
    column2 = part.column2;
    row2 = part.row2;
}

void Hobject_View_Gui::uncheckZoomRange()
{
    m_ui->m_QToolButton_ZoomRange->setChecked(false);
}

void Hobject_View_Gui::slot_QToolButton_Zoom100_clicked()
{
    uncheckZoomRange();
    resetZoom(true);
}

void Hobject_View_Gui::resetZoom(bool update)
{
    m_model->showWhole();
    applyPart();
    requestUpdate(update);
}

void Hobject_View_Gui::slot_QToolButton_ZoomIn_clicked()
{
    uncheckZoomRange();
    changePart([](Hobject_View_ZoomPan& zoomPan) {
        zoomPan.zoomIn();
        return true;
    });
}

void Hobject_View_Gui::slot_QToolButton_ZoomOut_clicked()
{
    uncheckZoomRange();
    changePart([](Hobject_View_ZoomPan& zoomPan) {
        zoomPan.zoomOut();
        return true;
    });
}

void Hobject_View_Gui::slot_QToolButton_ZoomRange_toggled(bool checked)
{
    if (!checked)
        m_mouse->hideRubberBand();
}

void Hobject_View_Gui::slot_QScrollBar_Horizontal_valueChanged(int value)
{
    changePart([value](Hobject_View_ZoomPan& zoomPan) {
        zoomPan.scrollToColumn(value);
        return true;
    });
}

void Hobject_View_Gui::slot_QScrollBar_Vertical_valueChanged(int value)
{
    changePart([value](Hobject_View_ZoomPan& zoomPan) {
        zoomPan.scrollToRow(value);
        return true;
    });
}

void Hobject_View_Gui::centerViewOnPercent(double x, double y)
{
    changePart([x, y](Hobject_View_ZoomPan& zoomPan) { return zoomPan.centerOnPercent(x, y); });
}

void Hobject_View_Gui::setViewPercentRange(double x, double y, double width, double height)
{
    changePart([&](Hobject_View_ZoomPan& zoomPan) { return zoomPan.showPercentRange(x, y, width, height); });
}

// ---- Mouse ------------------------------------------------------------------------------------

bool Hobject_View_Gui::mapToPicture(const QPoint& screen, double& x, double& y) const
{
    return m_windows->mapToPicture(screen, m_picture->width(), m_picture->height(), x, y);
}

void Hobject_View_Gui::pictureMousePressEvent(QMouseEvent* event)
{
    double x = 0.0;
    double y = 0.0;
    if (!mapToPicture(event->position().toPoint(), x, y))
        return;
    m_mouse->press(event->position().toPoint(), x, y, event->modifiers());
    emit signal_HalconMousePressEvent(x, y);
}

void Hobject_View_Gui::pictureMouseMoveEvent(QMouseEvent* event)
{
    double x = 0.0;
    double y = 0.0;
    if (!mapToPicture(event->position().toPoint(), x, y))
        return;
    m_mouse->move(event->position().toPoint(), x, y);
    emit signal_HalconMouseMoveEvent(x, y);
}

void Hobject_View_Gui::pictureMouseReleaseEvent(QMouseEvent* event)
{
    double x = 0.0;
    double y = 0.0;
    if (!mapToPicture(event->position().toPoint(), x, y))
        return;
    m_mouse->release(x, y);
    emit signal_HalconMouseReleaseEvent(x, y);
}

void Hobject_View_Gui::pictureMouseDoubleClickEvent(QMouseEvent* event)
{
    double x = 0.0;
    double y = 0.0;
    if (!mapToPicture(event->position().toPoint(), x, y))
        return;
    emit signal_HalconMouseDoubleClickEvent(x, y);
}

void Hobject_View_Gui::pictureWheelEvent(QWheelEvent* event)
{
    double x = 0.0;
    double y = 0.0;
    if (!mapToPicture(event->position().toPoint(), x, y))
        return;
    const int delta = event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    // Outside the part the wheel is not the viewer's.
    if (!m_model->changePart([&](Hobject_View_ZoomPan& zoomPan) { return zoomPan.wheel(x, y, delta); }))
        return;
    applyPart();
    emit signal_HalconMouseWheelEvent(x, y, delta);
}

void Hobject_View_Gui::beginMouseMode(const QCursor& cursor)
{
    m_mouse->beginToolMode(cursor);
}

void Hobject_View_Gui::endMouseMode()
{
    m_mouse->endToolMode();
}

// ---- Groups and selectors ----------------------------------------------------------------------

bool Hobject_View_Gui::addPictureGroup(const QString& caption, const QString& prefix, bool visibleByDefault)
{
    m_model->addPictureGroup(GroupEntry{caption, prefix, visibleByDefault});
    return true;
}

bool Hobject_View_Gui::addObjectGroup(const QString& caption, const QString& prefix, bool visibleByDefault)
{
    m_model->addObjectGroup(GroupEntry{caption, prefix, visibleByDefault});
    return true;
}

bool Hobject_View_Gui::addPictureSelector(const QString& caption, const QString& prefix, const QString& labelText,
                                          bool rowVisible, bool checked)
{
    const int row = m_model->addPictureSelector(caption, prefix, rowVisible, checked, *m_rows);
    if (row < 0)
        return false;
    m_rows->showPictureSelector(row, rowVisible, checked, labelText);
    m_model->refreshPictureVisibility();
    recomputePictureSize();
    return true;
}

bool Hobject_View_Gui::addObjectSelector(const QString& caption, const QString& prefix, const QString& labelText,
                                         bool rowVisible, bool checked)
{
    const int row = m_model->addObjectSelector(caption, prefix, rowVisible, checked, *m_rows);
    if (row < 0)
        return false;
    m_rows->showObjectSelector(row, rowVisible, checked, labelText);
    m_model->refreshObjectVisibility();
    return true;
}

bool Hobject_View_Gui::addSelectorEntry(const QString& caption, const QString& picturePrefix,
                                        const QString& objectPrefix, bool hidesOthers, bool enabled)
{
    m_model->addLink(SelectorLink{caption, picturePrefix, objectPrefix, enabled, hidesOthers});
    emit signal_update();
    return true;
}

void Hobject_View_Gui::pictureRadioToggled(int row, bool checked)
{
    uncheckZoomRange();
    m_rows->choosePicture(row, checked);
    m_model->takeSelectorStates(true);
    recomputePictureSize();
    requestUpdate(true);
}

void Hobject_View_Gui::objectCheckBoxToggled(int, bool)
{
    uncheckZoomRange();
    m_model->takeSelectorStates(false);
    emit signal_update();
}

void Hobject_View_Gui::slot_QRadioButton_HalconPicture1_toggled(bool checked) { pictureRadioToggled(0, checked); }
void Hobject_View_Gui::slot_QRadioButton_HalconPicture2_toggled(bool checked) { pictureRadioToggled(1, checked); }
void Hobject_View_Gui::slot_QRadioButton_HalconPicture3_toggled(bool checked) { pictureRadioToggled(2, checked); }
void Hobject_View_Gui::slot_QRadioButton_HalconPicture4_toggled(bool checked) { pictureRadioToggled(3, checked); }
void Hobject_View_Gui::slot_QRadioButton_HalconPicture5_toggled(bool checked) { pictureRadioToggled(4, checked); }
void Hobject_View_Gui::slot_QRadioButton_HalconPicture6_toggled(bool checked) { pictureRadioToggled(5, checked); }
void Hobject_View_Gui::slot_QCheckBox_HalconObject1_toggled(bool checked) { objectCheckBoxToggled(0, checked); }
void Hobject_View_Gui::slot_QCheckBox_HalconObject2_toggled(bool checked) { objectCheckBoxToggled(1, checked); }
void Hobject_View_Gui::slot_QCheckBox_HalconObject3_toggled(bool checked) { objectCheckBoxToggled(2, checked); }
void Hobject_View_Gui::slot_QCheckBox_HalconObject4_toggled(bool checked) { objectCheckBoxToggled(3, checked); }
void Hobject_View_Gui::slot_QCheckBox_HalconObject5_toggled(bool checked) { objectCheckBoxToggled(4, checked); }
void Hobject_View_Gui::slot_QCheckBox_HalconObject6_toggled(bool checked) { objectCheckBoxToggled(5, checked); }
void Hobject_View_Gui::slot_QCheckBox_HalconObject7_toggled(bool checked) { objectCheckBoxToggled(6, checked); }
void Hobject_View_Gui::slot_QCheckBox_HalconObject8_toggled(bool checked) { objectCheckBoxToggled(7, checked); }
void Hobject_View_Gui::slot_QCheckBox_HalconObject9_toggled(bool checked) { objectCheckBoxToggled(8, checked); }

void Hobject_View_Gui::slot_QRadioButton_setChecked(QRadioButton* button, bool checked)
{
    if (button)
        button->setChecked(checked);
}

void Hobject_View_Gui::slot_QCheckBox_setChecked(QCheckBox* button, bool checked)
{
    if (button)
        button->setChecked(checked);
}

void Hobject_View_Gui::slot_QWidget_setVisible(QWidget* widget, bool visible)
{
    if (!widget)
        return;
    widget->setVisible(visible);
    m_model->setSelectorRowVisible(widget, visible);
}

void Hobject_View_Gui::setPictureSelectorsVisible(const QString& prefix, bool visible, bool update)
{
    QRadioButton* toCheck = nullptr;
    const std::vector<QWidget*> rows = m_model->pictureRows(prefix, !visible, toCheck);
    if (toCheck)
        emit signal_QRadioButton_setChecked(toCheck, true);
    for (QWidget* row : rows)
        emit signal_QWidget_setVisible(row, visible);
    requestUpdate(update);
}

void Hobject_View_Gui::checkPictureSelector(const QString& prefix, bool checked, bool update)
{
    for (QRadioButton* button : m_model->pictureButtonsToSet(prefix, checked))
        emit signal_QRadioButton_setChecked(button, checked);
    requestUpdate(update);
}

QString Hobject_View_Gui::getCurrentPictureSelector() const
{
    return m_model->currentPictureSelector();
}

void Hobject_View_Gui::setObjectSelectorsVisible(const QString& prefix, bool visible, bool update)
{
    for (QWidget* row : m_model->objectRows(prefix))
        emit signal_QWidget_setVisible(row, visible);
    requestUpdate(update);
}

void Hobject_View_Gui::setObjectSelectorsChecked(const QString& prefix, bool checked, bool update)
{
    for (QCheckBox* button : m_model->objectButtonsToSet(prefix, checked))
        emit signal_QCheckBox_setChecked(button, checked);
    requestUpdate(update);
}

bool Hobject_View_Gui::isObjectSelectorChecked(const QString& prefix) const
{
    return m_model->objectSelectorChecked(prefix);
}

// ---- Selection -------------------------------------------------------------------------------

void Hobject_View_Gui::emitSelected(const QStringList& names, double x, double y, Qt::KeyboardModifiers modifiers,
                                    bool update)
{
    for (const QString& name : names) {
        emit signal_HalconObjectSelected(name);
        emit signal_HalconObjectSelected(name, modifiers);
    }
    if (!names.isEmpty()) {
        emit signal_HalconObjectSelected(names, x, y);
        emit signal_HalconObjectSelected(names, x, y, modifiers);
    }
    requestUpdate(update);
}

void Hobject_View_Gui::pickObjects(double x, double y, Qt::KeyboardModifiers modifiers, bool update)
{
    emitSelected(m_model->pick(x, y), x, y, modifiers, update);
}

void Hobject_View_Gui::selectObjects(const QString& prefix, bool update)
{
    emitSelected(m_model->selectByPrefix(prefix), 0.0, 0.0, Qt::NoModifier, update);
}

void Hobject_View_Gui::selectObjectsInRegion(const Hobject& area, bool update)
{
    const Hobject areaRegion = Hobject_View_Picking::areaRegion(area);
    emitSelected(m_model->selectInRegion(areaRegion), 0.0, 0.0, Qt::NoModifier, update);
}

void Hobject_View_Gui::clearSelection(const QString& prefix, bool update)
{
    m_model->clearSelection(prefix);
    requestUpdate(update);
}

bool Hobject_View_Gui::isObjectSelected(const QString& prefix) const
{
    return m_model->anySelected(prefix);
}

QStringList Hobject_View_Gui::getSelectedObjects(const QString& prefix) const
{
    return m_model->selected(prefix);
}

// ---- Panels ------------------------------------------------------------------------------------

void Hobject_View_Gui::disableZoomRange()
{
    m_ui->m_QToolButton_ZoomRange->setChecked(false);
    m_ui->m_QToolButton_ZoomRange->setEnabled(false);
}

void Hobject_View_Gui::setControlPanelVisible(bool visible)
{
    if (!visible)
        disableZoomRange();
    m_ui->m_QWidget_ControlPanel->setVisible(visible);
}

void Hobject_View_Gui::setZoomRangeButtonVisible(bool visible)
{
    if (!visible)
        disableZoomRange();
    m_ui->m_QToolButton_ZoomRange->setVisible(visible);
}

void Hobject_View_Gui::setZoom100ButtonVisible(bool visible)
{
    m_ui->m_QToolButton_Zoom100->setVisible(visible);
}

void Hobject_View_Gui::setZoomButtonsVisible(bool visible)
{
    m_ui->m_QToolButton_ZoomIn->setVisible(visible);
    m_ui->m_QToolButton_ZoomOut->setVisible(visible);
}

void Hobject_View_Gui::setSaveButtonVisible(bool visible)
{
    m_ui->m_QToolButton_Save->setVisible(visible);
}
