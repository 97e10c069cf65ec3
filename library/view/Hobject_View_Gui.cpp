#include "Hobject_View_Gui.h"

#include "ui_Hobject_View_Gui.h"

#include "Errors.h"
#include "ExportTarget_Guard.h"
#include "Gui_Helper.h"
#include "Gui_Helper_ScreenKeeper.h"
#include "Halcon_Helper.h"
#include "Hobject_View_MouseDraw_Rectangle_Area.h"
#include "Hobject_View_MouseDraw_Rectangle_Move.h"
#include "LibraryFunctions.h"
#include "MessageBox_Helper.h"

#include <HTuple.h>
#include <HalconDisplay.h>
#include <HalconImageOps.h>
#include <HalconObjectOps.h>
#include <HalconRegionOps.h>
#include <HalconSystemOps.h>
#include <HalconXldOps.h>

#include <QCheckBox>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QMutexLocker>
#include <QPainter>
#include <QRadioButton>
#include <QRubberBand>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QThread>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

using Halcon::HTuple;
using Halcon::Hobject;
using Halcon::Hlong;

namespace {

// Smallest part edge in picture pixels that zooming and centring still produce.
constexpr int kMinimumPartSize = 12;

QMutex g_instancesMutex;
QList<Hobject_View_Gui*> g_instances;

HTuple toTuple(const QString& text)
{
    return HTuple(text.toStdString());
}

// Deletes the entries the predicate names; true when one of them was visible.
template <typename Entry, typename Predicate>
bool removeEntries(std::vector<std::unique_ptr<Entry>>& list, Predicate predicate)
{
    bool visibleRemoved = false;
    const auto end = std::remove_if(list.begin(), list.end(), [&](const std::unique_ptr<Entry>& entry) {
        if (!predicate(*entry))
            return false;
        visibleRemoved = visibleRemoved || entry->visible;
        return true;
    });
    list.erase(end, list.end());
    return visibleRemoved;
}

// Bounding box of everything the object draws, in picture (row, column); false when it
// cannot be told (the object is then always drawn).
bool objectExtent(const Hobject& object, int objectClass, double& row1, double& column1, double& row2,
                  double& column2)
{
    HTuple r1;
    HTuple c1;
    HTuple r2;
    HTuple c2;
    if (objectClass == Halcon_Helper::ObjectClass_Image) {
        Hlong width = 0;
        Hlong height = 0;
        if (Halcon::get_image_size(object, &width, &height) != Halcon::kSuccess)
            return false;
        row1 = 0.0;
        column1 = 0.0;
        row2 = double(height - 1);
        column2 = double(width - 1);
        return true;
    }
    Halcon::Herror error = Halcon::kSuccess;
    if (objectClass == Halcon_Helper::ObjectClass_Region)
        error = Halcon::smallest_rectangle1(object, &r1, &c1, &r2, &c2);
    else if (objectClass == Halcon_Helper::ObjectClass_XldContour || objectClass == Halcon_Helper::ObjectClass_XldPolygon)
        error = Halcon::smallest_rectangle1_xld(object, &r1, &c1, &r2, &c2);
    else
        return false;
    if (error != Halcon::kSuccess)
        return false;
    bool any = false;
    for (Hlong i = 0; i < r1.Length(); ++i) {
        const double top = r1[i].D();
        const double left = c1[i].D();
        const double bottom = r2[i].D();
        const double right = c2[i].D();
        if (bottom < top || right < left)
            continue;
        if (!any) {
            row1 = top;
            column1 = left;
            row2 = bottom;
            column2 = right;
            any = true;
        } else {
            row1 = std::min(row1, top);
            column1 = std::min(column1, left);
            row2 = std::max(row2, bottom);
            column2 = std::max(column2, right);
        }
    }
    return any;
}

bool anyNonZero(const HTuple& values)
{
    for (const Halcon::HValue& value : values.Values()) {
        if (value.L() != 0)
            return true;
    }
    return false;
}

// Applies change to every entry of the lists whose name starts with prefix; true when a
// change asked for a repaint.
template <typename Change, typename... Lists>
bool changeMatching(const QString& prefix, Change change, Lists&... lists)
{
    bool repaint = false;
    auto applyTo = [&](auto& list) {
        for (const auto& entry : list) {
            if (entry->name.startsWith(prefix) && change(*entry))
                repaint = true;
        }
    };
    (applyTo(lists), ...);
    return repaint;
}

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

// The window's current colour, draw mode, line width and font while a paint runs, so that a
// run of overlays in one style costs one style call, not one per overlay.
struct Hobject_View_Gui::DrawState {
    explicit DrawState(Hlong windowHandle)
        : window(windowHandle)
    {
    }

    void setColor(const QString& value)
    {
        if (value.isEmpty() || (colorKnown && value == color))
            return;
        colorKnown = Halcon::set_color(window, toTuple(value)) == Halcon::kSuccess;
        color = value;
    }
    void setDraw(const QString& value)
    {
        if (value.isEmpty() || (drawKnown && value == draw))
            return;
        drawKnown = Halcon::set_draw(window, toTuple(value)) == Halcon::kSuccess;
        draw = value;
    }
    void setLineWidth(int value)
    {
        if (value == lineWidth)
            return;
        lineWidth = Halcon::set_line_width(window, value) == Halcon::kSuccess ? value : -1;
    }
    void setFont(const QByteArray& family, int size)
    {
        if (family == fontFamily && size == fontSize)
            return;
        // An empty name is the default family, at the size asked for.
        const QString name = family.isEmpty() ? QStringLiteral("*") : QString::fromLatin1(family);
        const QString font = QStringLiteral("-%1-%2-*-*-*-*-1-").arg(name).arg(size);
        const bool ok = Halcon::set_font(window, toTuple(font)) == Halcon::kSuccess;
        fontFamily = ok ? family : QByteArray();
        fontSize = ok ? size : -1;
    }

    Hlong window;
    QString color;
    bool colorKnown = false;
    QString draw;
    bool drawKnown = false;
    int lineWidth = -1;
    QByteArray fontFamily;
    int fontSize = -1;
};

// ---- Construction ------------------------------------------------------------------------

Hobject_View_Gui::Hobject_View_Gui(QWidget* parent, const QString& viewName)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::Hobject_View_Gui>())
    , m_pictureCallbacks(std::make_unique<PictureCallbacks>(this))
    , m_viewName(viewName)
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

    m_pictureRows[0] = m_ui->m_QWidget_HalconPicture1;
    m_pictureRows[1] = m_ui->m_QWidget_HalconPicture2;
    m_pictureRows[2] = m_ui->m_QWidget_HalconPicture3;
    m_pictureRows[3] = m_ui->m_QWidget_HalconPicture4;
    m_pictureRows[4] = m_ui->m_QWidget_HalconPicture5;
    m_pictureRows[5] = m_ui->m_QWidget_HalconPicture6;
    m_pictureRadios[0] = m_ui->m_QRadioButton_HalconPicture1;
    m_pictureRadios[1] = m_ui->m_QRadioButton_HalconPicture2;
    m_pictureRadios[2] = m_ui->m_QRadioButton_HalconPicture3;
    m_pictureRadios[3] = m_ui->m_QRadioButton_HalconPicture4;
    m_pictureRadios[4] = m_ui->m_QRadioButton_HalconPicture5;
    m_pictureRadios[5] = m_ui->m_QRadioButton_HalconPicture6;
    m_pictureLabels[0] = m_ui->m_QLabel_HalconPicture1;
    m_pictureLabels[1] = m_ui->m_QLabel_HalconPicture2;
    m_pictureLabels[2] = m_ui->m_QLabel_HalconPicture3;
    m_pictureLabels[3] = m_ui->m_QLabel_HalconPicture4;
    m_pictureLabels[4] = m_ui->m_QLabel_HalconPicture5;
    m_pictureLabels[5] = m_ui->m_QLabel_HalconPicture6;
    m_objectRows[0] = m_ui->m_QWidget_HalconObject1;
    m_objectRows[1] = m_ui->m_QWidget_HalconObject2;
    m_objectRows[2] = m_ui->m_QWidget_HalconObject3;
    m_objectRows[3] = m_ui->m_QWidget_HalconObject4;
    m_objectRows[4] = m_ui->m_QWidget_HalconObject5;
    m_objectRows[5] = m_ui->m_QWidget_HalconObject6;
    m_objectRows[6] = m_ui->m_QWidget_HalconObject7;
    m_objectRows[7] = m_ui->m_QWidget_HalconObject8;
    m_objectRows[8] = m_ui->m_QWidget_HalconObject9;
    m_objectCheckBoxes[0] = m_ui->m_QCheckBox_HalconObject1;
    m_objectCheckBoxes[1] = m_ui->m_QCheckBox_HalconObject2;
    m_objectCheckBoxes[2] = m_ui->m_QCheckBox_HalconObject3;
    m_objectCheckBoxes[3] = m_ui->m_QCheckBox_HalconObject4;
    m_objectCheckBoxes[4] = m_ui->m_QCheckBox_HalconObject5;
    m_objectCheckBoxes[5] = m_ui->m_QCheckBox_HalconObject6;
    m_objectCheckBoxes[6] = m_ui->m_QCheckBox_HalconObject7;
    m_objectCheckBoxes[7] = m_ui->m_QCheckBox_HalconObject8;
    m_objectCheckBoxes[8] = m_ui->m_QCheckBox_HalconObject9;
    m_objectLabels[0] = m_ui->m_QLabel_HalconObject1;
    m_objectLabels[1] = m_ui->m_QLabel_HalconObject2;
    m_objectLabels[2] = m_ui->m_QLabel_HalconObject3;
    m_objectLabels[3] = m_ui->m_QLabel_HalconObject4;
    m_objectLabels[4] = m_ui->m_QLabel_HalconObject5;
    m_objectLabels[5] = m_ui->m_QLabel_HalconObject6;
    m_objectLabels[6] = m_ui->m_QLabel_HalconObject7;
    m_objectLabels[7] = m_ui->m_QLabel_HalconObject8;
    m_objectLabels[8] = m_ui->m_QLabel_HalconObject9;

    QFont labelFont = font();
    if (labelFont.pointSizeF() > 1.0)
        labelFont.setPointSizeF(labelFont.pointSizeF() - 1.0);
    for (int row = 0; row < kPictureSelectorRows; ++row) {
        m_pictureLabels[row]->setFont(labelFont);
        m_pictureRows[row]->setVisible(false);
    }
    for (int row = 0; row < kObjectSelectorRows; ++row) {
        m_objectLabels[row]->setFont(labelFont);
        m_objectRows[row]->setVisible(false);
    }

    m_picture = new Hobject_View_Gui_Picture(m_pictureCallbacks.get(), m_ui->m_QWidget_Picture);
    m_rubberBand = new QRubberBand(QRubberBand::Rectangle, m_picture);

    // Both windows are canvases of the vision layer; the father id only names the widget
    // that shows the display window (no native window is made).
    Halcon::set_window_attr("border_width", 0);
    Halcon::set_window_attr("background_color", "black");
    Halcon::set_check("~father");
    Halcon::open_window(0, 0, -1, -1, 0, "buffer", "", &m_bufferWindow);
    Halcon::open_window(0, 0, 10, 10, Hlong(reinterpret_cast<quintptr>(m_picture)), "visible", "",
                        &m_displayWindow);
    Halcon::set_check("father");
    Halcon::clear_window(m_displayWindow);
    Halcon::set_part_style(m_bufferWindow, 0);

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
        connect(m_pictureRadios[row], &QRadioButton::toggled, this, pictureSlots[row]);
    const PictureSlot objectSlots[kObjectSelectorRows] = {
        &Hobject_View_Gui::slot_QCheckBox_HalconObject1_toggled, &Hobject_View_Gui::slot_QCheckBox_HalconObject2_toggled,
        &Hobject_View_Gui::slot_QCheckBox_HalconObject3_toggled, &Hobject_View_Gui::slot_QCheckBox_HalconObject4_toggled,
        &Hobject_View_Gui::slot_QCheckBox_HalconObject5_toggled, &Hobject_View_Gui::slot_QCheckBox_HalconObject6_toggled,
        &Hobject_View_Gui::slot_QCheckBox_HalconObject7_toggled, &Hobject_View_Gui::slot_QCheckBox_HalconObject8_toggled,
        &Hobject_View_Gui::slot_QCheckBox_HalconObject9_toggled};
    for (int row = 0; row < kObjectSelectorRows; ++row)
        connect(m_objectCheckBoxes[row], &QCheckBox::toggled, this, objectSlots[row]);

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
    Hobject_View_MouseDraw_Rectangle_Area::releaseView(this);
    Hobject_View_MouseDraw_Rectangle_Move::releaseView(this);
    endMouseMode();
    {
        QMutexLocker locker(&g_instancesMutex);
        g_instances.removeAll(this);
    }
    // The picture widget must not call back while the rest of the viewer goes away.
    delete m_picture;
    m_picture = nullptr;
    m_rubberBand = nullptr;
    {
        QMutexLocker locker(&m_mutex);
        m_pictures.clear();
        m_objects.clear();
        m_texts.clear();
        m_lines.clear();
        m_crosses.clear();
        m_pictureGroups.clear();
        m_objectGroups.clear();
        m_pictureSelectors.clear();
        m_objectSelectors.clear();
        m_selectorLinks.clear();
    }
    Halcon::close_window(m_displayWindow);
    Halcon::close_window(m_bufferWindow);
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

// ---- Visibility rules (m_mutex held) --------------------------------------------------------

bool Hobject_View_Gui::pictureVisibleLocked(const QString& name) const
{
    if (name.isEmpty())
        return true;
    for (const SelectorEntry& selector : m_pictureSelectors) {
        if (name.startsWith(selector.prefix))
            return selector.checked;
    }
    for (const GroupEntry& group : m_pictureGroups) {
        if (name.startsWith(group.prefix))
            return group.visibleByDefault;
    }
    return false;
}

bool Hobject_View_Gui::objectVisibleLocked(const QString& name) const
{
    if (name.isEmpty())
        return true;
    bool hiddenByLink = false;
    for (const SelectorEntry& selector : m_pictureSelectors) {
        if (!selector.checked)
            continue;
        for (const SelectorLink& link : m_selectorLinks) {
            if (!link.enabled || link.picturePrefix != selector.prefix)
                continue;
            if (name.startsWith(link.objectPrefix))
                return true;
            if (link.hidesOthers)
                hiddenByLink = true;
        }
    }
    if (hiddenByLink)
        return false;
    for (const SelectorEntry& selector : m_objectSelectors) {
        if (name.startsWith(selector.prefix))
            return selector.checked;
    }
    for (const GroupEntry& group : m_objectGroups) {
        if (name.startsWith(group.prefix))
            return group.visibleByDefault;
    }
    return false;
}

void Hobject_View_Gui::refreshPictureVisibilityLocked()
{
    for (const auto& picture : m_pictures) {
        const bool visible = pictureVisibleLocked(picture->name);
        if (visible != picture->visible) {
            picture->visible = visible;
            m_modified = true;
        }
    }
}

void Hobject_View_Gui::refreshObjectVisibilityLocked()
{
    auto refresh = [this](auto& list) {
        for (const auto& entry : list) {
            const bool visible = objectVisibleLocked(entry->name);
            if (visible != entry->visible) {
                entry->visible = visible;
                m_modified = true;
            }
        }
    };
    refresh(m_objects);
    refresh(m_texts);
    refresh(m_lines);
    refresh(m_crosses);
}

void Hobject_View_Gui::syncSelectorMirrorsLocked()
{
    for (SelectorEntry& selector : m_pictureSelectors)
        selector.checked = selector.button->isChecked();
    for (SelectorEntry& selector : m_objectSelectors)
        selector.checked = selector.button->isChecked();
}

void Hobject_View_Gui::requestUpdate(bool update)
{
    if (!update)
        return;
    bool modified = false;
    {
        QMutexLocker locker(&m_mutex);
        modified = m_modified;
    }
    if (modified)
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

// ---- Pictures ------------------------------------------------------------------------------

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
    {
        // Replacing and appending under one lock: two threads setting the same name leave
        // one picture of that name.
        QMutexLocker locker(&m_mutex);
        if (removeEntries(m_pictures, [&name](const PictureEntry& picture) { return picture.name == name; }))
            m_modified = true;
        entry->visible = pictureVisibleLocked(name);
        if (entry->visible)
            m_modified = true;
        m_pictures.push_back(std::move(entry));
    }
    recomputePictureSize();
    requestUpdate(update);
}

void Hobject_View_Gui::removePictures(const QString& prefix, bool update)
{
    {
        QMutexLocker locker(&m_mutex);
        if (removeEntries(m_pictures, [&prefix](const PictureEntry& picture) { return picture.name.startsWith(prefix); }))
            m_modified = true;
    }
    recomputePictureSize();
    requestUpdate(update);
}

void Hobject_View_Gui::recomputePictureSize()
{
    {
        QMutexLocker locker(&m_mutex);
        if (m_pictures.empty()) {
            m_pictureWidth = 0;
            m_pictureHeight = 0;
            m_part = Part();
            m_modified = true;
            return;
        }
        int width = 0;
        int height = 0;
        for (const auto& picture : m_pictures) {
            if (picture->width < 1 || picture->height < 1)
                continue;
            width = std::max(width, picture->width);
            height = std::max(height, picture->height);
        }
        m_pictureWidth = width;
        m_pictureHeight = height;
        if (m_part.column2 == 0 || m_part.column2 > width) {
            m_part.column2 = width;
            m_modified = true;
        }
        if (m_part.row2 == 0 || m_part.row2 > height) {
            m_part.row2 = height;
            m_modified = true;
        }
        if (m_part.column1 > m_part.column2) {
            m_part.column1 = m_part.column2;
            m_modified = true;
        }
        if (m_part.row1 > m_part.row2) {
            m_part.row1 = m_part.row2;
            m_modified = true;
        }
    }
    applyPart();
}

void Hobject_View_Gui::getPictureSize(int& width, int& height) const
{
    QMutexLocker locker(&m_mutex);
    width = m_pictureWidth;
    height = m_pictureHeight;
}

int Hobject_View_Gui::getPictureCount() const
{
    QMutexLocker locker(&m_mutex);
    return int(m_pictures.size());
}

void Hobject_View_Gui::setPicturesVisible(const QString& prefix, bool visible, bool update)
{
    {
        QMutexLocker locker(&m_mutex);
        for (const auto& picture : m_pictures) {
            if (picture->name.startsWith(prefix) && picture->visible != visible) {
                picture->visible = visible;
                m_modified = true;
            }
        }
    }
    requestUpdate(update);
}

// ---- Overlays ------------------------------------------------------------------------------

template <typename Entry>
void Hobject_View_Gui::appendLayer(std::vector<std::unique_ptr<Entry>>& list, std::unique_ptr<Entry> entry,
                                   bool update)
{
    {
        QMutexLocker locker(&m_mutex);
        entry->visible = objectVisibleLocked(entry->name);
        if (entry->visible)
            m_modified = true;
        list.push_back(std::move(entry));
    }
    requestUpdate(update);
}

void Hobject_View_Gui::addObject(const Hobject& object, const QString& color, const QString& drawMode, int lineWidth,
                                 const QString& name, bool selectable, bool update)
{
    int objectClass = Halcon_Helper::ObjectClass_Other;
    if (Halcon_Helper::GetObjectClass(object, objectClass) != 0)
        return;
    auto entry = std::make_unique<ObjectEntry>();
    switch (objectClass) {
    case Halcon_Helper::ObjectClass_Empty:
        break;
    case Halcon_Helper::ObjectClass_Image:
        entry->object = object;
        break;
    case Halcon_Helper::ObjectClass_Region:
    case Halcon_Helper::ObjectClass_XldPolygon:
    case Halcon_Helper::ObjectClass_XldParallel:
        if (Halcon::copy_obj(object, &entry->object, 1, -1) != Halcon::kSuccess)
            return;
        break;
    case Halcon_Helper::ObjectClass_XldContour:
        if (drawMode == QLatin1String("fill")) {
            if (Halcon::gen_region_contour_xld(object, &entry->object, "filled") != Halcon::kSuccess)
                return;
            objectClass = Halcon_Helper::ObjectClass_Region;
        } else if (Halcon::copy_obj(object, &entry->object, 1, -1) != Halcon::kSuccess) {
            return;
        }
        break;
    default:
        return;
    }
    entry->objectClass = objectClass;
    entry->hasExtent = objectExtent(entry->object, objectClass, entry->extentRow1, entry->extentColumn1,
                                    entry->extentRow2, entry->extentColumn2);
    entry->color = color;
    entry->drawMode = drawMode;
    entry->lineWidth = lineWidth;
    entry->name = name;
    entry->selectable = selectable;
    appendLayer(m_objects, std::move(entry), update);
}

void Hobject_View_Gui::addText(const QString& text, double x, double y, const QString& color, const char* font,
                               int size, const QString& name, bool selectable, bool update)
{
    auto entry = std::make_unique<TextEntry>();
    entry->text = text;
    entry->x = x;
    entry->y = y;
    entry->font = QByteArray(font ? font : "");
    entry->size = size;
    entry->color = color;
    entry->name = name;
    entry->selectable = selectable;
    appendLayer(m_texts, std::move(entry), update);
}

void Hobject_View_Gui::addLine(double x1, double y1, double x2, double y2, const QString& color, int lineWidth,
                               const QString& name, bool selectable, bool update)
{
    auto entry = std::make_unique<LineEntry>();
    entry->x1 = x1;
    entry->y1 = y1;
    entry->x2 = x2;
    entry->y2 = y2;
    entry->color = color;
    entry->lineWidth = lineWidth;
    entry->name = name;
    entry->selectable = selectable;
    appendLayer(m_lines, std::move(entry), update);
}

void Hobject_View_Gui::addCross(double x, double y, double size, double angle, const QString& color, int lineWidth,
                                const QString& name, bool selectable, bool update)
{
    auto entry = std::make_unique<CrossEntry>();
    entry->x = x;
    entry->y = y;
    entry->size = size;
    entry->angle = angle;
    entry->color = color;
    entry->lineWidth = lineWidth;
    entry->name = name;
    entry->selectable = selectable;
    Halcon::gen_cross_contour_xld(&entry->contour, y, x, size, angle * std::numbers::pi / 180.0);
    appendLayer(m_crosses, std::move(entry), update);
}

void Hobject_View_Gui::removeObjects(const QString& prefix, bool update)
{
    {
        QMutexLocker locker(&m_mutex);
        auto matches = [&prefix](const auto& entry) { return entry.name.startsWith(prefix); };
        bool visibleRemoved = removeEntries(m_objects, matches);
        visibleRemoved = removeEntries(m_texts, matches) || visibleRemoved;
        visibleRemoved = removeEntries(m_lines, matches) || visibleRemoved;
        visibleRemoved = removeEntries(m_crosses, matches) || visibleRemoved;
        if (visibleRemoved)
            m_modified = true;
    }
    requestUpdate(update);
}

void Hobject_View_Gui::clear(bool update)
{
    removeObjects(QString(), false);
    removePictures(QString(), false);
    {
        QMutexLocker locker(&m_mutex);
        m_part = Part{0, 0, m_pictureWidth, m_pictureHeight};
        m_modified = true;
    }
    applyPart();
    requestUpdate(update);
}

void Hobject_View_Gui::setObjectsVisible(const QString& prefix, bool visible, bool update)
{
    {
        QMutexLocker locker(&m_mutex);
        auto show = [visible](auto& entry) {
            if (entry.visible == visible)
                return false;
            entry.visible = visible;
            return true;
        };
        if (changeMatching(prefix, show, m_objects, m_texts, m_lines, m_crosses))
            m_modified = true;
    }
    requestUpdate(update);
}

void Hobject_View_Gui::setObjectColor(const QString& prefix, const QString& color, bool update)
{
    {
        QMutexLocker locker(&m_mutex);
        auto recolor = [&color](auto& entry) {
            if (entry.color == color)
                return false;
            entry.color = color;
            return entry.visible;
        };
        if (changeMatching(prefix, recolor, m_objects, m_texts, m_lines, m_crosses))
            m_modified = true;
    }
    requestUpdate(update);
}

void Hobject_View_Gui::setObjectLineWidth(const QString& prefix, int width, bool update)
{
    {
        QMutexLocker locker(&m_mutex);
        auto restroke = [width](auto& entry) {
            if (entry.lineWidth == width)
                return false;
            entry.lineWidth = width;
            return entry.visible;
        };
        // Texts have no line width.
        if (changeMatching(prefix, restroke, m_objects, m_lines, m_crosses))
            m_modified = true;
    }
    requestUpdate(update);
}

void Hobject_View_Gui::setObjectsSelectable(const QString& prefix, bool selectable, bool update)
{
    {
        QMutexLocker locker(&m_mutex);
        auto makeSelectable = [selectable](auto& entry) {
            if (entry.selectable == selectable)
                return false;
            entry.selectable = selectable;
            if (!selectable)
                entry.selected = false;
            return entry.visible;
        };
        if (changeMatching(prefix, makeSelectable, m_objects, m_texts, m_lines, m_crosses))
            m_modified = true;
    }
    requestUpdate(update);
}

void Hobject_View_Gui::setSelectionStyle(const QString& color, int lineWidth, bool update)
{
    {
        QMutexLocker locker(&m_mutex);
        m_selectionColor = color;
        m_selectionLineWidth = lineWidth;
        m_modified = true;
    }
    requestUpdate(update);
}

bool Hobject_View_Gui::getObject(const QString& name, Hobject& object, bool& visible, bool& selected) const
{
    object = Hobject();
    visible = false;
    selected = false;
    QMutexLocker locker(&m_mutex);
    for (const auto& entry : m_objects) {
        if (entry->name == name) {
            object = entry->object;
            visible = entry->visible;
            selected = entry->selected;
            return true;
        }
    }
    return false;
}

int Hobject_View_Gui::getObjectCount() const
{
    QMutexLocker locker(&m_mutex);
    return int(m_objects.size() + m_texts.size() + m_lines.size() + m_crosses.size());
}

void Hobject_View_Gui::getObjectStatistics(int& images, int& xldContours, int& xldPolygons, int& regions, int& texts,
                                           int& lines, int& crosses) const
{
    images = xldContours = xldPolygons = regions = 0;
    QMutexLocker locker(&m_mutex);
    for (const auto& entry : m_objects) {
        switch (entry->objectClass) {
        case Halcon_Helper::ObjectClass_Image:
            ++images;
            break;
        case Halcon_Helper::ObjectClass_XldContour:
            ++xldContours;
            break;
        case Halcon_Helper::ObjectClass_XldPolygon:
        case Halcon_Helper::ObjectClass_XldParallel:
            ++xldPolygons;
            break;
        case Halcon_Helper::ObjectClass_Region:
            ++regions;
            break;
        default:
            break;
        }
    }
    texts = int(m_texts.size());
    lines = int(m_lines.size());
    crosses = int(m_crosses.size());
}

void Hobject_View_Gui::convertPixelToPercent(double x, double y, double& xPercent, double& yPercent) const
{
    int longerSide = 0;
    {
        QMutexLocker locker(&m_mutex);
        longerSide = std::max(m_pictureWidth, m_pictureHeight);
    }
    if (longerSide <= 0) {
        xPercent = 0.0;
        yPercent = 0.0;
        return;
    }
    xPercent = x * 100.0 / longerSide;
    yPercent = y * 100.0 / longerSide;
}

void Hobject_View_Gui::convertPercentToPixel(double x, double y, double& xPixels, double& yPixels) const
{
    int longerSide = 0;
    {
        QMutexLocker locker(&m_mutex);
        longerSide = std::max(m_pictureWidth, m_pictureHeight);
    }
    xPixels = longerSide * x / 100.0;
    yPixels = longerSide * y / 100.0;
}

// ---- Drawing -------------------------------------------------------------------------------

void Hobject_View_Gui::drawInto(Hlong window, bool drawPictures, bool drawOverlays, double lineWidthScale,
                                double fontScale)
{
    Halcon::clear_window(window);
    Halcon::set_system("flush_graphic", "false");

    // What the window shows, widened by half a pixel: layers outside it are not drawn.
    HTuple partRow1;
    HTuple partColumn1;
    HTuple partRow2;
    HTuple partColumn2;
    HTuple windowRow;
    HTuple windowColumn;
    HTuple windowWidth;
    HTuple windowHeight;
    const bool partKnown =
        Halcon::get_part(window, &partRow1, &partColumn1, &partRow2, &partColumn2) == Halcon::kSuccess
        && Halcon::get_window_extents(window, &windowRow, &windowColumn, &windowWidth, &windowHeight) == Halcon::kSuccess
        && windowWidth.D() > 0.0 && windowHeight.D() > 0.0;
    const double viewRow1 = partKnown ? partRow1.D() - 0.5 : -std::numeric_limits<double>::max();
    const double viewColumn1 = partKnown ? partColumn1.D() - 0.5 : -std::numeric_limits<double>::max();
    const double viewRow2 = partKnown ? partRow2.D() + 0.5 : std::numeric_limits<double>::max();
    const double viewColumn2 = partKnown ? partColumn2.D() + 0.5 : std::numeric_limits<double>::max();
    const double picturePixelsPerWindowPixel =
        partKnown ? std::max((partColumn2.D() - partColumn1.D() + 1.0) / windowWidth.D(),
                             (partRow2.D() - partRow1.D() + 1.0) / windowHeight.D())
                  : 1.0;
    auto reaches = [&](double row1, double column1, double row2, double column2, int lineWidth) {
        const double margin = (lineWidth / 2.0 + 2.0) * picturePixelsPerWindowPixel + 1.0;
        return row2 + margin >= viewRow1 && row1 - margin <= viewRow2 && column2 + margin >= viewColumn1
            && column1 - margin <= viewColumn2;
    };

    {
        QMutexLocker locker(&m_mutex);
        if (drawPictures) {
            for (const auto& picture : m_pictures) {
                if (picture->visible)
                    Halcon::disp_obj(picture->image, window);
            }
        }
        if (drawOverlays) {
            DrawState state(window);
            for (const auto& entry : m_objects) {
                if (!entry->visible)
                    continue;
                int width = 0;
                if (entry->selected) {
                    state.setColor(m_selectionColor);
                    width = m_selectionLineWidth;
                } else {
                    state.setColor(entry->color);
                    width = int(entry->lineWidth * lineWidthScale + 0.5);
                }
                width = std::max(width, 1);
                if (entry->hasExtent
                    && !reaches(entry->extentRow1, entry->extentColumn1, entry->extentRow2, entry->extentColumn2, width))
                    continue;
                state.setDraw(entry->drawMode);
                state.setLineWidth(width);
                Halcon::disp_obj(entry->object, window);
            }
            for (const auto& entry : m_lines) {
                if (!entry->visible)
                    continue;
                const int width = std::max(entry->selected ? m_selectionLineWidth : entry->lineWidth, 1);
                if (!reaches(std::min(entry->y1, entry->y2), std::min(entry->x1, entry->x2), std::max(entry->y1, entry->y2),
                             std::max(entry->x1, entry->x2), width))
                    continue;
                state.setColor(entry->selected ? m_selectionColor : entry->color);
                state.setLineWidth(width);
                Halcon::disp_line(window, entry->y1, entry->x1, entry->y2, entry->x2);
            }
            for (const auto& entry : m_crosses) {
                if (!entry->visible)
                    continue;
                const int width = std::max(entry->selected ? m_selectionLineWidth : entry->lineWidth, 1);
                const double arm = std::abs(entry->size);
                if (!reaches(entry->y - arm, entry->x - arm, entry->y + arm, entry->x + arm, width))
                    continue;
                state.setColor(entry->selected ? m_selectionColor : entry->color);
                state.setLineWidth(width);
                Halcon::disp_obj(entry->contour, window);
            }
            const int partHeight = m_part.row2 - m_part.row1;
            if (fontScale == 0.0 && partHeight != 0)
                fontScale = (m_widgetHeight / 500.0) * (double(m_pictureHeight) / partHeight);
            for (const auto& entry : m_texts) {
                if (!entry->visible)
                    continue;
                // A text runs right and down from its position.
                if (entry->y > viewRow2 + 1.0 || entry->x > viewColumn2 + 1.0)
                    continue;
                state.setColor(entry->color);
                const int size = int(entry->size * fontScale + 0.5);
                if (size <= 0)
                    continue;
                state.setFont(entry->font, size);
                Halcon::set_tposition(window, int(entry->y + 0.5), int(entry->x + 0.5));
                Halcon::write_string(window, toTuple(entry->text));
            }
        }
    }
    Halcon::set_system("flush_graphic", "true");
}

void Hobject_View_Gui::picturePaintEvent(QPaintEvent*)
{
    int width = 0;
    int height = 0;
    {
        QMutexLocker locker(&m_mutex);
        m_modified = false;
    }
    drawInto(m_bufferWindow, true, true, 1.0, 0.0);
    {
        QMutexLocker locker(&m_mutex);
        width = m_widgetWidth;
        height = m_widgetHeight;
    }
    if (width >= 1 && height >= 1)
        Halcon::copy_rectangle(m_bufferWindow, m_displayWindow, 0, 0, height - 1, width - 1, 0, 0);
    QImage canvas;
    if (Halcon::windowCanvas(m_displayWindow, &canvas)) {
        QPainter painter(m_picture);
        painter.drawImage(0, 0, canvas);
    }
}

void Hobject_View_Gui::pictureResizeEvent(QResizeEvent*)
{
    const int width = m_picture->width();
    const int height = m_picture->height();
    {
        QMutexLocker locker(&m_mutex);
        m_widgetWidth = width;
        m_widgetHeight = height;
    }
    if (width < 1 || height < 1)
        return;
    Halcon::set_window_extents(m_displayWindow, 0, 0, width, height);
    Halcon::set_window_extents(m_bufferWindow, 0, 0, width, height);
    applyPart();
}

void Hobject_View_Gui::pictureShowEvent(QShowEvent*)
{
    if (!m_firstShow) {
        {
            QMutexLocker locker(&m_mutex);
            m_part = Part{0, 0, m_pictureWidth, m_pictureHeight};
            m_modified = true;
        }
        applyPart();
        emit signal_update();
        m_firstShow = true;
    }
    emit signal_update();
}

// ---- Part, zoom and scrolling ------------------------------------------------------------------

void Hobject_View_Gui::applyPart()
{
    Part part;
    bool zoomChanged = false;
    double factorX = 0.0;
    double factorY = 0.0;
    {
        QMutexLocker locker(&m_mutex);
        // No size, no aspect ratio: the next resize or show sets the part again.
        if (m_widgetWidth < 1 || m_widgetHeight < 1)
            return;
        const double aspect = double(m_widgetWidth) / double(m_widgetHeight);
        part = m_part;
        const double heightWanted = (part.column2 - part.column1) / aspect;
        if (m_pictureHeight <= heightWanted)
            part.row2 = int(part.row1 + heightWanted);
        else
            part.column2 = int((part.row2 - part.row1) * aspect + part.column1);
        if (part.column2 > m_pictureWidth && part.row2 > m_pictureHeight) {
            part.row2 = m_pictureHeight;
            part.column2 = int(aspect * m_pictureHeight);
        }
        m_part.column2 = part.column2;
        m_part.row2 = part.row2;
        if (part.column1 >= part.column2 || part.row1 >= part.row2)
            return;
        // Under the viewer's lock, so that two threads applying parts leave the last one set.
        Halcon::set_part(m_bufferWindow, part.row1, part.column1, part.row2, part.column2);

        const int partWidth = part.column2 - part.column1;
        const int partHeight = part.row2 - part.row1;
        if (m_pictureWidth > 0 && m_pictureHeight > 0 && partWidth > 0 && partHeight > 0) {
            factorX = double(m_pictureWidth) / partWidth;
            factorY = double(m_pictureHeight) / partHeight;
            if (factorX != m_zoomFactorX || factorY != m_zoomFactorY) {
                m_zoomFactorX = factorX;
                m_zoomFactorY = factorY;
                zoomChanged = true;
            }
        } else if (m_zoomFactorX != 0.0 || m_zoomFactorY != 0.0) {
            m_zoomFactorX = 0.0;
            m_zoomFactorY = 0.0;
            zoomChanged = true;
        }
    }
    if (QThread::currentThread() == thread())
        updateScrollBars();
    else
        QMetaObject::invokeMethod(this, "updateScrollBars", Qt::QueuedConnection);
    if (zoomChanged)
        emit signal_ZoomFactorChanged(factorX, factorY);
    emit signal_update();
}

void Hobject_View_Gui::setPartAndApply(const Part& part)
{
    {
        QMutexLocker locker(&m_mutex);
        m_part = part;
    }
    applyPart();
}

void Hobject_View_Gui::updateScrollBars()
{
    Part part;
    int pictureWidth = 0;
    int pictureHeight = 0;
    {
        QMutexLocker locker(&m_mutex);
        part = m_part;
        pictureWidth = m_pictureWidth;
        pictureHeight = m_pictureHeight;
    }
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
    QMutexLocker locker(&m_mutex);
    factorX = m_zoomFactorX;
    factorY = m_zoomFactorY;
}

void Hobject_View_Gui::getVisiblePart(int& column1, int& row1, int& column2, int& row2) const
{
    QMutexLocker locker(&m_mutex);
    column1 = m_part.column1;
    row1 = m_part.row1;
    column2 = m_part.column2;
    row2 = m_part.row2;
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
    {
        QMutexLocker locker(&m_mutex);
        m_part = Part{0, 0, m_pictureWidth, m_pictureHeight};
        m_modified = true;
    }
    applyPart();
    requestUpdate(update);
}

void Hobject_View_Gui::slot_QToolButton_ZoomIn_clicked()
{
    uncheckZoomRange();
    {
        QMutexLocker locker(&m_mutex);
        Part& part = m_part;
        const int partWidth = part.column2 - part.column1;
        const int partHeight = part.row2 - part.row1;
        if (partWidth > kMinimumPartSize && partHeight > kMinimumPartSize) {
            const double dx = partWidth / 6.0;
            const double dy = partHeight / 6.0;
            part.column1 = int(part.column1 + dx);
            part.row1 = int(part.row1 + dy);
            part.column2 = int(part.column2 - dx);
            part.row2 = int(part.row2 - dy);
        }
        part.column1 = std::min(part.column1, m_pictureWidth);
        part.row1 = std::min(part.row1, m_pictureHeight);
        part.column2 = std::max(part.column2, part.column1);
        part.row2 = std::max(part.row2, part.row1);
    }
    applyPart();
}

void Hobject_View_Gui::slot_QToolButton_ZoomOut_clicked()
{
    uncheckZoomRange();
    {
        QMutexLocker locker(&m_mutex);
        Part& part = m_part;
        const int dx = (part.column2 - part.column1) / 6;
        const int dy = (part.row2 - part.row1) / 6;
        part.column1 = std::max(part.column1 - dx, 0);
        part.row1 = std::max(part.row1 - dy, 0);
        part.column2 = std::min(part.column2 + dx, m_pictureWidth);
        part.row2 = std::min(part.row2 + dy, m_pictureHeight);
    }
    applyPart();
}

void Hobject_View_Gui::slot_QToolButton_ZoomRange_toggled(bool checked)
{
    if (!checked && m_rubberBand)
        m_rubberBand->hide();
}

void Hobject_View_Gui::slot_QScrollBar_Horizontal_valueChanged(int value)
{
    {
        QMutexLocker locker(&m_mutex);
        const int d = value - m_part.column1;
        m_part.column1 = std::min(m_part.column1 + d, m_pictureWidth);
        m_part.column2 = std::min(m_part.column2 + d, m_pictureWidth);
    }
    applyPart();
}

void Hobject_View_Gui::slot_QScrollBar_Vertical_valueChanged(int value)
{
    {
        QMutexLocker locker(&m_mutex);
        const int d = value - m_part.row1;
        m_part.row1 = std::min(m_part.row1 + d, m_pictureHeight);
        m_part.row2 = std::min(m_part.row2 + d, m_pictureHeight);
    }
    applyPart();
}

void Hobject_View_Gui::centerViewOnPercent(double x, double y)
{
    {
        QMutexLocker locker(&m_mutex);
        if (m_pictureWidth == 0 || m_pictureHeight == 0)
            return;
        const int longerSide = std::max(m_pictureWidth, m_pictureHeight);
        const double centerColumn = longerSide * x / 100.0;
        const double centerRow = longerSide * y / 100.0;
        Part& part = m_part;
        const int partWidth = part.column2 - part.column1;
        const int partHeight = part.row2 - part.row1;
        const int halfWidth = partWidth / 2;
        const int halfHeight = partHeight / 2;
        part.column1 = int(centerColumn - halfWidth);
        part.column2 = int(centerColumn + halfWidth);
        if (part.column1 < 0) {
            part.column1 = 0;
            part.column2 = partWidth;
        }
        if (part.column2 > m_pictureWidth) {
            part.column1 = std::max(m_pictureWidth - partWidth, 0);
            part.column2 = m_pictureWidth;
        }
        part.row1 = int(centerRow - halfHeight);
        part.row2 = int(centerRow + halfHeight);
        if (part.row1 < 0) {
            part.row1 = 0;
            part.row2 = partHeight;
        }
        if (part.row2 > m_pictureHeight) {
            part.row1 = std::max(m_pictureHeight - partHeight, 0);
            part.row2 = m_pictureHeight;
        }
        if (part.column2 - part.column1 <= kMinimumPartSize)
            part.column2 = part.column1 + kMinimumPartSize;
        if (part.row2 - part.row1 <= kMinimumPartSize)
            part.row2 = part.row1 + kMinimumPartSize;
    }
    applyPart();
}

void Hobject_View_Gui::setViewPercentRange(double x, double y, double width, double height)
{
    {
        QMutexLocker locker(&m_mutex);
        if (m_pictureWidth == 0 || m_pictureHeight == 0)
            return;
        const double longerSide = std::max(m_pictureWidth, m_pictureHeight);
        Part& part = m_part;
        part.column1 = int(longerSide * x / 100.0);
        part.row1 = int(longerSide * y / 100.0);
        part.column2 = int((x + width) * longerSide / 100.0);
        part.row2 = int((y + height) * longerSide / 100.0);
        if (part.column2 - part.column1 <= kMinimumPartSize)
            part.column2 = part.column1 + kMinimumPartSize;
        if (part.row2 - part.row1 <= kMinimumPartSize)
            part.row2 = part.row1 + kMinimumPartSize;
    }
    applyPart();
}

// ---- Mouse ------------------------------------------------------------------------------------

bool Hobject_View_Gui::mapToPicture(const QPoint& screen, double& x, double& y) const
{
    const int width = m_picture->width();
    const int height = m_picture->height();
    if (width == 0 || height == 0)
        return false;
    HTuple row1;
    HTuple column1;
    HTuple row2;
    HTuple column2;
    if (Halcon::get_part(m_bufferWindow, &row1, &column1, &row2, &column2) != Halcon::kSuccess)
        return false;
    x = (screen.x() * 100.0 / width) * (column2.D() - column1.D()) / 100.0 + column1.D();
    y = (screen.y() * 100.0 / height) * (row2.D() - row1.D()) / 100.0 + row1.D();
    return true;
}

void Hobject_View_Gui::pictureMousePressEvent(QMouseEvent* event)
{
    double x = 0.0;
    double y = 0.0;
    if (!mapToPicture(event->position().toPoint(), x, y))
        return;
    if (!m_externalMouseMode) {
        if (!m_ui->m_QToolButton_ZoomRange->isChecked()) {
            m_picture->setCursor(Qt::ClosedHandCursor);
            m_panStartColumn = int(x + 0.5);
            m_panStartRow = int(y + 0.5);
            m_panActive = true;
            pickObjects(x, y, event->modifiers(), true);
        } else {
            m_rubberBandStartColumn = int(x + 0.5);
            m_rubberBandStartRow = int(y + 0.5);
            m_rubberBandPressPoint = event->position().toPoint();
            m_rubberBand->setGeometry(QRect(m_rubberBandPressPoint, QSize()));
            m_rubberBand->show();
        }
    }
    emit signal_HalconMousePressEvent(x, y);
}

void Hobject_View_Gui::pictureMouseMoveEvent(QMouseEvent* event)
{
    double x = 0.0;
    double y = 0.0;
    if (!mapToPicture(event->position().toPoint(), x, y))
        return;
    if (!m_externalMouseMode) {
        if (m_ui->m_QToolButton_ZoomRange->isChecked()) {
            QPoint point = event->position().toPoint();
            point.setX(std::clamp(point.x(), 0, std::max(m_picture->width() - m_picture->x(), 0)));
            point.setY(std::clamp(point.y(), 0, std::max(m_picture->height() - m_picture->y(), 0)));
            m_rubberBand->setGeometry(QRect(m_rubberBandPressPoint, point).normalized());
        } else if (m_panActive) {
            {
                QMutexLocker locker(&m_mutex);
                const int dx = m_panStartColumn - int(x + 0.5);
                const int dy = m_panStartRow - int(y + 0.5);
                if (m_part.column1 + dx >= 0 && m_part.column2 + dx <= m_pictureWidth) {
                    m_part.column1 += dx;
                    m_part.column2 += dx;
                }
                if (m_part.row1 + dy >= 0 && m_part.row2 + dy <= m_pictureHeight) {
                    m_part.row1 += dy;
                    m_part.row2 += dy;
                }
            }
            applyPart();
        }
    }
    emit signal_HalconMouseMoveEvent(x, y);
}

void Hobject_View_Gui::pictureMouseReleaseEvent(QMouseEvent* event)
{
    double x = 0.0;
    double y = 0.0;
    if (!mapToPicture(event->position().toPoint(), x, y))
        return;
    if (!m_externalMouseMode && m_ui->m_QToolButton_ZoomRange->isChecked()) {
        m_rubberBand->hide();
        m_ui->m_QToolButton_ZoomRange->setChecked(false);
        int column = int(x + 0.5);
        int row = int(y + 0.5);
        int startColumn = m_rubberBandStartColumn;
        int startRow = m_rubberBandStartRow;
        if (startColumn > column)
            std::swap(startColumn, column);
        if (startRow > row)
            std::swap(startRow, row);
        const int width = column - startColumn;
        const int height = row - startRow;
        if (width > height) {
            // A flat band is widened to a square about its middle row.
            const int d = (width - height) / 2;
            startRow = std::max(startRow - d, 0);
            row = std::max(row + d, startRow);
        }
        Part part{startColumn, startRow, column, row};
        if (width <= kMinimumPartSize)
            part.column2 = part.column1 + kMinimumPartSize;
        if (part.row2 - part.row1 <= kMinimumPartSize)
            part.row2 = part.row1 + kMinimumPartSize;
        setPartAndApply(part);
    } else if (m_panActive) {
        m_picture->setCursor(Qt::ArrowCursor);
        m_panActive = false;
    }
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
    {
        QMutexLocker locker(&m_mutex);
        Part& part = m_part;
        const int left = int(x - part.column1);
        const int right = int(part.column2 - x);
        const int top = int(y - part.row1);
        const int bottom = int(part.row2 - y);
        if (left < 0 || right < 0 || top < 0 || bottom < 0)
            return;
        const int stepLeft = int(left / 6.0 + 0.5);
        const int stepRight = int(right / 6.0 + 0.5);
        const int stepTop = int(top / 6.0 + 0.5);
        const int stepBottom = int(bottom / 6.0 + 0.5);
        if (delta < 1) {
            part.column1 = std::max(part.column1 - stepLeft, 0);
            part.column2 = std::min(part.column2 + stepRight, m_pictureWidth);
            part.row1 = std::max(part.row1 - stepTop, 0);
            part.row2 = std::min(part.row2 + stepBottom, m_pictureHeight);
        } else if (left + right > kMinimumPartSize && top + bottom > kMinimumPartSize) {
            part.column1 = std::min(part.column1 + stepLeft, m_pictureWidth);
            part.row1 = std::min(part.row1 + stepTop, m_pictureHeight);
            part.column2 = std::max(part.column2 - stepRight, part.column1);
            part.row2 = std::max(part.row2 - stepBottom, part.row1);
        }
    }
    applyPart();
    emit signal_HalconMouseWheelEvent(x, y, delta);
}

void Hobject_View_Gui::beginMouseMode(const QCursor& cursor)
{
    m_panActive = false;
    m_ui->m_QToolButton_ZoomRange->setChecked(false);
    m_ui->m_QToolButton_ZoomRange->setEnabled(false);
    m_picture->setCursor(cursor);
    m_externalMouseMode = true;
}

void Hobject_View_Gui::endMouseMode()
{
    m_panActive = false;
    m_ui->m_QToolButton_ZoomRange->setEnabled(true);
    m_picture->setCursor(Qt::ArrowCursor);
    m_externalMouseMode = false;
}

// ---- Groups and selectors ----------------------------------------------------------------------

bool Hobject_View_Gui::addPictureGroup(const QString& caption, const QString& prefix, bool visibleByDefault)
{
    QMutexLocker locker(&m_mutex);
    m_pictureGroups.push_back(GroupEntry{caption, prefix, visibleByDefault});
    return true;
}

bool Hobject_View_Gui::addObjectGroup(const QString& caption, const QString& prefix, bool visibleByDefault)
{
    QMutexLocker locker(&m_mutex);
    m_objectGroups.push_back(GroupEntry{caption, prefix, visibleByDefault});
    return true;
}

bool Hobject_View_Gui::addPictureSelector(const QString& caption, const QString& prefix, const QString& labelText,
                                          bool rowVisible, bool checked)
{
    int row = 0;
    {
        QMutexLocker locker(&m_mutex);
        row = int(m_pictureSelectors.size());
        if (row >= kPictureSelectorRows)
            return false;
        m_pictureSelectors.push_back(
            SelectorEntry{caption, prefix, m_pictureRows[row], m_pictureRadios[row], checked, rowVisible});
    }
    m_pictureRows[row]->setVisible(rowVisible);
    {
        const QSignalBlocker blocker(m_pictureRadios[row]);
        m_pictureRadios[row]->setChecked(checked);
    }
    m_pictureLabels[row]->setText(labelText);
    {
        QMutexLocker locker(&m_mutex);
        refreshPictureVisibilityLocked();
    }
    recomputePictureSize();
    return true;
}

bool Hobject_View_Gui::addObjectSelector(const QString& caption, const QString& prefix, const QString& labelText,
                                         bool rowVisible, bool checked)
{
    int row = 0;
    {
        QMutexLocker locker(&m_mutex);
        row = int(m_objectSelectors.size());
        if (row >= kObjectSelectorRows)
            return false;
        m_objectSelectors.push_back(
            SelectorEntry{caption, prefix, m_objectRows[row], m_objectCheckBoxes[row], checked, rowVisible});
    }
    m_objectRows[row]->setVisible(rowVisible);
    {
        const QSignalBlocker blocker(m_objectCheckBoxes[row]);
        m_objectCheckBoxes[row]->setChecked(checked);
    }
    m_objectLabels[row]->setText(labelText);
    {
        QMutexLocker locker(&m_mutex);
        refreshObjectVisibilityLocked();
    }
    return true;
}

bool Hobject_View_Gui::addSelectorEntry(const QString& caption, const QString& picturePrefix,
                                        const QString& objectPrefix, bool hidesOthers, bool enabled)
{
    {
        QMutexLocker locker(&m_mutex);
        m_selectorLinks.push_back(SelectorLink{caption, picturePrefix, objectPrefix, enabled, hidesOthers});
        refreshPictureVisibilityLocked();
        refreshObjectVisibilityLocked();
    }
    emit signal_update();
    return true;
}

void Hobject_View_Gui::pictureRadioToggled(int row, bool checked)
{
    uncheckZoomRange();
    QRadioButton* radio = m_pictureRadios[row];
    if (!checked) {
        // One picture is always chosen: switching the current one off does not count.
        const QSignalBlocker blocker(radio);
        radio->setChecked(true);
    } else {
        for (int other = 0; other < kPictureSelectorRows; ++other) {
            if (other != row && m_pictureRadios[other]->isChecked()) {
                const QSignalBlocker blocker(m_pictureRadios[other]);
                m_pictureRadios[other]->setChecked(false);
            }
        }
    }
    {
        QMutexLocker locker(&m_mutex);
        syncSelectorMirrorsLocked();
        refreshPictureVisibilityLocked();
        refreshObjectVisibilityLocked();
    }
    recomputePictureSize();
    requestUpdate(true);
}

void Hobject_View_Gui::objectCheckBoxToggled(int, bool)
{
    uncheckZoomRange();
    {
        QMutexLocker locker(&m_mutex);
        syncSelectorMirrorsLocked();
        refreshObjectVisibilityLocked();
    }
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
    QMutexLocker locker(&m_mutex);
    for (SelectorEntry& selector : m_pictureSelectors) {
        if (selector.container == widget)
            selector.rowVisible = visible;
    }
    for (SelectorEntry& selector : m_objectSelectors) {
        if (selector.container == widget)
            selector.rowVisible = visible;
    }
}

void Hobject_View_Gui::setPictureSelectorsVisible(const QString& prefix, bool visible, bool update)
{
    QRadioButton* toCheck = nullptr;
    std::vector<QWidget*> rows;
    {
        QMutexLocker locker(&m_mutex);
        for (const SelectorEntry& selector : m_pictureSelectors) {
            if (!selector.prefix.startsWith(prefix))
                continue;
            if (!visible && selector.checked && !toCheck) {
                // The choice moves to a picture that stays on offer.
                for (const SelectorEntry& other : m_pictureSelectors) {
                    if (!other.checked && !other.prefix.startsWith(prefix)) {
                        toCheck = static_cast<QRadioButton*>(other.button);
                        m_modified = true;
                        break;
                    }
                }
            }
            rows.push_back(selector.container);
        }
    }
    if (toCheck)
        emit signal_QRadioButton_setChecked(toCheck, true);
    for (QWidget* row : rows)
        emit signal_QWidget_setVisible(row, visible);
    requestUpdate(update);
}

void Hobject_View_Gui::checkPictureSelector(const QString& prefix, bool checked, bool update)
{
    std::vector<QRadioButton*> buttons;
    {
        QMutexLocker locker(&m_mutex);
        for (const SelectorEntry& selector : m_pictureSelectors) {
            if (selector.prefix.startsWith(prefix) && selector.checked != checked) {
                buttons.push_back(static_cast<QRadioButton*>(selector.button));
                m_modified = true;
            }
        }
    }
    for (QRadioButton* button : buttons)
        emit signal_QRadioButton_setChecked(button, checked);
    requestUpdate(update);
}

QString Hobject_View_Gui::getCurrentPictureSelector() const
{
    QMutexLocker locker(&m_mutex);
    for (const SelectorEntry& selector : m_pictureSelectors) {
        if (selector.checked)
            return selector.prefix;
    }
    return QString();
}

void Hobject_View_Gui::setObjectSelectorsVisible(const QString& prefix, bool visible, bool update)
{
    std::vector<QWidget*> rows;
    {
        QMutexLocker locker(&m_mutex);
        for (const SelectorEntry& selector : m_objectSelectors) {
            if (selector.prefix.startsWith(prefix))
                rows.push_back(selector.container);
        }
    }
    for (QWidget* row : rows)
        emit signal_QWidget_setVisible(row, visible);
    requestUpdate(update);
}

void Hobject_View_Gui::setObjectSelectorsChecked(const QString& prefix, bool checked, bool update)
{
    std::vector<QCheckBox*> buttons;
    {
        QMutexLocker locker(&m_mutex);
        for (const SelectorEntry& selector : m_objectSelectors) {
            if (selector.prefix.startsWith(prefix) && selector.checked != checked) {
                buttons.push_back(static_cast<QCheckBox*>(selector.button));
                m_modified = true;
            }
        }
    }
    for (QCheckBox* button : buttons)
        emit signal_QCheckBox_setChecked(button, checked);
    requestUpdate(update);
}

bool Hobject_View_Gui::isObjectSelectorChecked(const QString& prefix) const
{
    QMutexLocker locker(&m_mutex);
    for (const SelectorEntry& selector : m_objectSelectors) {
        if (selector.prefix == prefix)
            return selector.checked;
    }
    return false;
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
    QStringList names;
    {
        QMutexLocker locker(&m_mutex);
        for (const auto& entry : m_objects) {
            if (!entry->visible || !entry->selectable || entry->selected)
                continue;
            if (entry->hasExtent
                && (y < entry->extentRow1 - 1.0 || y > entry->extentRow2 + 1.0 || x < entry->extentColumn1 - 1.0
                    || x > entry->extentColumn2 + 1.0))
                continue;
            HTuple inside;
            bool hit = false;
            if (entry->objectClass == Halcon_Helper::ObjectClass_Region)
                hit = Halcon::test_region_point(entry->object, int(y), int(x), &inside) == Halcon::kSuccess
                    && anyNonZero(inside);
            else if (entry->objectClass == Halcon_Helper::ObjectClass_XldContour)
                hit = Halcon::test_xld_point(entry->object, y, x, &inside) == Halcon::kSuccess && anyNonZero(inside);
            if (hit) {
                entry->selected = true;
                m_modified = true;
                names.append(entry->name);
            }
        }
    }
    emitSelected(names, x, y, modifiers, update);
}

void Hobject_View_Gui::selectObjects(const QString& prefix, bool update)
{
    QStringList names;
    {
        QMutexLocker locker(&m_mutex);
        auto select = [&](auto& list) {
            for (const auto& entry : list) {
                if (entry->visible && entry->selectable && !entry->selected && entry->name.startsWith(prefix)) {
                    entry->selected = true;
                    m_modified = true;
                    names.append(entry->name);
                }
            }
        };
        select(m_objects);
        select(m_lines);
        select(m_crosses);
    }
    emitSelected(names, 0.0, 0.0, Qt::NoModifier, update);
}

void Hobject_View_Gui::selectObjectsInRegion(const Hobject& area, bool update)
{
    int areaClass = Halcon_Helper::ObjectClass_Other;
    Halcon_Helper::GetObjectClass(area, areaClass);
    Hobject areaRegion;
    if (areaClass == Halcon_Helper::ObjectClass_Region)
        Halcon::union1(area, &areaRegion);
    else if (areaClass == Halcon_Helper::ObjectClass_XldContour) {
        Hobject filled;
        if (Halcon::gen_region_contour_xld(area, &filled, "filled") == Halcon::kSuccess)
            Halcon::union1(filled, &areaRegion);
    }
    if (areaRegion.IsEmpty())
        Halcon::union1(Hobject(), &areaRegion);

    QStringList names;
    {
        QMutexLocker locker(&m_mutex);
        for (const auto& entry : m_objects) {
            if (!entry->visible || !entry->selectable || entry->selected)
                continue;
            Hobject region;
            if (entry->objectClass == Halcon_Helper::ObjectClass_Region)
                region = entry->object;
            else if (entry->objectClass == Halcon_Helper::ObjectClass_XldContour) {
                if (Halcon::gen_region_contour_xld(entry->object, &region, "filled") != Halcon::kSuccess)
                    continue;
            } else
                continue;
            HTuple subset;
            if (Halcon::test_subset_region(region, areaRegion, &subset) != Halcon::kSuccess || subset.IsEmpty())
                continue;
            bool inside = true;
            for (const Halcon::HValue& value : subset.Values())
                inside = inside && value.L() != 0;
            if (inside) {
                entry->selected = true;
                m_modified = true;
                names.append(entry->name);
            }
        }
    }
    emitSelected(names, 0.0, 0.0, Qt::NoModifier, update);
}

void Hobject_View_Gui::clearSelection(const QString& prefix, bool update)
{
    {
        QMutexLocker locker(&m_mutex);
        auto unselect = [&](auto& list) {
            for (const auto& entry : list) {
                if (entry->selected && entry->name.startsWith(prefix)) {
                    entry->selected = false;
                    if (entry->visible)
                        m_modified = true;
                }
            }
        };
        unselect(m_objects);
        unselect(m_lines);
        unselect(m_crosses);
    }
    requestUpdate(update);
}

bool Hobject_View_Gui::isObjectSelected(const QString& prefix) const
{
    QMutexLocker locker(&m_mutex);
    auto any = [&](const auto& list) {
        return std::any_of(list.begin(), list.end(),
                           [&](const auto& entry) { return entry->selected && entry->name.startsWith(prefix); });
    };
    return any(m_objects) || any(m_lines) || any(m_crosses);
}

QStringList Hobject_View_Gui::getSelectedObjects(const QString& prefix) const
{
    QStringList names;
    QMutexLocker locker(&m_mutex);
    auto collect = [&](const auto& list) {
        for (const auto& entry : list) {
            if (entry->selected && entry->name.startsWith(prefix))
                names.append(entry->name);
        }
    };
    collect(m_objects);
    collect(m_lines);
    collect(m_crosses);
    return names;
}

// ---- Dump and export ---------------------------------------------------------------------------

bool Hobject_View_Gui::dumpViewImage(Hobject& plainImage, Hobject& overlayImage)
{
    plainImage = Hobject();
    overlayImage = Hobject();
    int width = 0;
    int height = 0;
    getPictureSize(width, height);
    if (width == 0 || height == 0)
        return false;

    Halcon::set_window_attr("border_width", 0);
    Halcon::set_window_attr("background_color", "black");
    Halcon::set_check("~father");
    Hlong window = -1;
    const Halcon::Herror opened = Halcon::open_window(0, 0, width, height, 0, "buffer", "", &window);
    Halcon::set_check("father");
    if (opened != Halcon::kSuccess)
        return false;
    Halcon::set_part(window, 0, 0, height - 1, width - 1);

    Hobject plain;
    drawInto(window, true, false, 1.0, 0.0);
    if (Halcon::dump_window_image(&plain, window) != Halcon::kSuccess) {
        Halcon::close_window(window);
        return false;
    }
    Hobject overlay;
    // Texts at the size asked for, in picture pixels.
    drawInto(window, true, true, 2.0, 1.0);
    if (Halcon::dump_window_image(&overlay, window) != Halcon::kSuccess) {
        Halcon::close_window(window);
        return false;
    }
    Halcon::close_window(window);
    plainImage = plain;
    overlayImage = overlay;
    return true;
}

void Hobject_View_Gui::slot_QToolButton_Save_clicked()
{
    int width = 0;
    int height = 0;
    getPictureSize(width, height);
    if (width == 0 || height == 0) {
        MessageBox_Helper::information(this, tr("Export picture error"), tr("No picture information available!"));
        return;
    }
    Hobject plain;
    Hobject overlay;
    if (!dumpViewImage(plain, overlay)) {
        MessageBox_Helper::critical(this, tr("Export picture error"), tr("Cannot export the picture!"));
        return;
    }
    const QMessageBox::StandardButton answer = MessageBox_Helper::question(
        this, tr("Export picture ..."),
        tr("Do you want export the picture with the additional informations, \nlike borders, lines and so on?"),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::No);
    if (answer != QMessageBox::Yes && answer != QMessageBox::No)
        return;
    const Hobject image = answer == QMessageBox::Yes ? overlay : plain;

    const QString fileName =
        MessageBox_Helper::getSaveFileName(this, tr("Save the picture to ..."), QString(), QStringLiteral("*.png"));
    if (fileName.isEmpty())
        return;
    // The dialog may have moved the current folder; relative names are based on the program's.
    setCurrentDirToApplicationDir();
    Errors::Type_Error error = ExportTarget_Guard::check(fileName);
    if (error == 0)
        error = Halcon_Helper::SaveImageFile(fileName, image, QStringLiteral("png"), false, false);
    if (error != 0) {
        MessageBox_Helper::critical(this, tr("Export error"),
                                    tr("Cannot export the picture to \"%1\"!\n%2!").arg(fileName, Errors::getErrorText(error)));
    }
}

// ---- Panels ------------------------------------------------------------------------------------

void Hobject_View_Gui::setControlPanelVisible(bool visible)
{
    if (!visible) {
        m_ui->m_QToolButton_ZoomRange->setChecked(false);
        m_ui->m_QToolButton_ZoomRange->setEnabled(false);
    }
    m_ui->m_QWidget_ControlPanel->setVisible(visible);
}

void Hobject_View_Gui::setZoomRangeButtonVisible(bool visible)
{
    if (!visible) {
        m_ui->m_QToolButton_ZoomRange->setChecked(false);
        m_ui->m_QToolButton_ZoomRange->setEnabled(false);
    }
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
