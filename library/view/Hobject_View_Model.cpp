#include "Hobject_View_Model.h"

#include "Hobject_View_Painter.h"
#include "Hobject_View_SelectorRows.h"
#include "Hobject_View_Windows.h"

#include <QCheckBox>
#include <QRadioButton>

Hobject_View_Model::Hobject_View_Model()
    : m_layers(m_selectors)
    , m_picking(m_layers)
{
}

void Hobject_View_Model::markIf(bool changed)
{
    if (changed)
        m_modified = true;
}

bool Hobject_View_Model::modified() const
{
    QMutexLocker locker(&m_mutex);
    return m_modified;
}

void Hobject_View_Model::paintStarted()
{
    QMutexLocker locker(&m_mutex);
    m_modified = false;
}

// ---- Layers ----------------------------------------------------------------------------------

void Hobject_View_Model::setPicture(std::unique_ptr<Hobject_View_Layers::PictureEntry> picture)
{
    // Replacing and appending under one lock: two threads setting the same name leave one
    // picture of that name.
    QMutexLocker locker(&m_mutex);
    markIf(m_layers.setPicture(std::move(picture)));
}

void Hobject_View_Model::removePictures(const QString& prefix)
{
    QMutexLocker locker(&m_mutex);
    markIf(m_layers.removePictures(prefix));
}

void Hobject_View_Model::setPicturesVisible(const QString& prefix, bool visible)
{
    QMutexLocker locker(&m_mutex);
    markIf(m_layers.setPicturesVisible(prefix, visible));
}

bool Hobject_View_Model::recomputePictureSize()
{
    QMutexLocker locker(&m_mutex);
    int width = 0;
    int height = 0;
    if (!m_layers.pictureSize(width, height)) {
        m_zoomPan.clearPicture();
        m_modified = true;
        return false;
    }
    markIf(m_zoomPan.setPictureSize(width, height));
    return true;
}

void Hobject_View_Model::pictureSize(int& width, int& height) const
{
    QMutexLocker locker(&m_mutex);
    width = m_zoomPan.pictureWidth();
    height = m_zoomPan.pictureHeight();
}

int Hobject_View_Model::pictureCount() const
{
    QMutexLocker locker(&m_mutex);
    return m_layers.pictureCount();
}

int Hobject_View_Model::longerSide() const
{
    QMutexLocker locker(&m_mutex);
    return m_zoomPan.longerSide();
}

void Hobject_View_Model::removeObjects(const QString& prefix)
{
    QMutexLocker locker(&m_mutex);
    markIf(m_layers.removeObjects(prefix));
}

void Hobject_View_Model::setObjectsVisible(const QString& prefix, bool visible)
{
    QMutexLocker locker(&m_mutex);
    markIf(m_layers.setObjectsVisible(prefix, visible));
}

void Hobject_View_Model::setObjectColor(const QString& prefix, const QString& color)
{
    QMutexLocker locker(&m_mutex);
    markIf(m_layers.setObjectColor(prefix, color));
}

void Hobject_View_Model::setObjectLineWidth(const QString& prefix, int width)
{
    QMutexLocker locker(&m_mutex);
    markIf(m_layers.setObjectLineWidth(prefix, width));
}

void Hobject_View_Model::setObjectsSelectable(const QString& prefix, bool selectable)
{
    QMutexLocker locker(&m_mutex);
    markIf(m_layers.setObjectsSelectable(prefix, selectable));
}

void Hobject_View_Model::setSelectionStyle(const QString& color, int lineWidth)
{
    QMutexLocker locker(&m_mutex);
    m_layers.setSelectionStyle(color, lineWidth);
    m_modified = true;
}

bool Hobject_View_Model::getObject(const QString& name, Halcon::Hobject& object, bool& visible, bool& selected) const
{
    QMutexLocker locker(&m_mutex);
    return m_layers.getObject(name, object, visible, selected);
}

int Hobject_View_Model::objectCount() const
{
    QMutexLocker locker(&m_mutex);
    return m_layers.objectCount();
}

void Hobject_View_Model::objectStatistics(int& images, int& xldContours, int& xldPolygons, int& regions, int& texts,
                                          int& lines, int& crosses) const
{
    QMutexLocker locker(&m_mutex);
    m_layers.objectStatistics(images, xldContours, xldPolygons, regions, texts, lines, crosses);
}

void Hobject_View_Model::clear()
{
    QMutexLocker locker(&m_mutex);
    m_layers.clear();
    m_selectors.clear();
}

// ---- Selection -----------------------------------------------------------------------------

QStringList Hobject_View_Model::selectWith(const std::function<QStringList()>& select)
{
    QMutexLocker locker(&m_mutex);
    const QStringList names = select();
    markIf(!names.isEmpty());
    return names;
}

QStringList Hobject_View_Model::pick(double x, double y)
{
    return selectWith([&] { return m_picking.pick(x, y); });
}

QStringList Hobject_View_Model::selectByPrefix(const QString& prefix)
{
    return selectWith([&] { return m_picking.selectByPrefix(prefix); });
}

QStringList Hobject_View_Model::selectInRegion(const Halcon::Hobject& areaRegion)
{
    return selectWith([&] { return m_picking.selectInRegion(areaRegion); });
}

void Hobject_View_Model::clearSelection(const QString& prefix)
{
    QMutexLocker locker(&m_mutex);
    markIf(m_picking.clear(prefix));
}

bool Hobject_View_Model::anySelected(const QString& prefix) const
{
    QMutexLocker locker(&m_mutex);
    return m_picking.anySelected(prefix);
}

QStringList Hobject_View_Model::selected(const QString& prefix) const
{
    QMutexLocker locker(&m_mutex);
    return m_picking.selected(prefix);
}

// ---- Visible part ----------------------------------------------------------------------------

void Hobject_View_Model::showWhole()
{
    QMutexLocker locker(&m_mutex);
    m_zoomPan.showWhole();
    m_modified = true;
}

bool Hobject_View_Model::changePart(const std::function<bool(Hobject_View_ZoomPan& zoomPan)>& change)
{
    QMutexLocker locker(&m_mutex);
    return change(m_zoomPan);
}

Hobject_View_ZoomPan::Fit Hobject_View_Model::applyPart(Hobject_View_Windows& windows)
{
    QMutexLocker locker(&m_mutex);
    const Hobject_View_ZoomPan::Fit fit = m_zoomPan.fit();
    // Under the lock, so that two threads applying parts leave the last one set.
    if (fit.apply)
        windows.setPart(m_zoomPan.part());
    return fit;
}

Hobject_View_ZoomPan::Part Hobject_View_Model::part() const
{
    QMutexLocker locker(&m_mutex);
    return m_zoomPan.part();
}

void Hobject_View_Model::partAndPictureSize(Hobject_View_ZoomPan::Part& part, int& pictureWidth, int& pictureHeight) const
{
    QMutexLocker locker(&m_mutex);
    part = m_zoomPan.part();
    pictureWidth = m_zoomPan.pictureWidth();
    pictureHeight = m_zoomPan.pictureHeight();
}

void Hobject_View_Model::zoomFactor(double& factorX, double& factorY) const
{
    QMutexLocker locker(&m_mutex);
    factorX = m_zoomPan.zoomFactorX();
    factorY = m_zoomPan.zoomFactorY();
}

void Hobject_View_Model::setWidgetSize(int width, int height)
{
    QMutexLocker locker(&m_mutex);
    m_zoomPan.setWidgetSize(width, height);
}

void Hobject_View_Model::widgetSize(int& width, int& height) const
{
    QMutexLocker locker(&m_mutex);
    width = m_zoomPan.widgetWidth();
    height = m_zoomPan.widgetHeight();
}

void Hobject_View_Model::draw(Hobject_View_Painter& painter, bool drawPictures, bool drawOverlays,
                              double lineWidthScale, double fontScale) const
{
    QMutexLocker locker(&m_mutex);
    if (fontScale == 0.0)
        fontScale = m_zoomPan.textScale();
    painter.draw(m_layers, drawPictures, drawOverlays, lineWidthScale, fontScale);
}

// ---- Groups, selectors and links ---------------------------------------------------------------

void Hobject_View_Model::addPictureGroup(const Hobject_View_Gui::GroupEntry& group)
{
    QMutexLocker locker(&m_mutex);
    m_selectors.addPictureGroup(group);
}

void Hobject_View_Model::addObjectGroup(const Hobject_View_Gui::GroupEntry& group)
{
    QMutexLocker locker(&m_mutex);
    m_selectors.addObjectGroup(group);
}

int Hobject_View_Model::addPictureSelector(const QString& caption, const QString& prefix, bool rowVisible,
                                           bool checked, const Hobject_View_SelectorRows& rows)
{
    QMutexLocker locker(&m_mutex);
    const int row = m_selectors.pictureSelectorCount();
    if (row >= Hobject_View_Gui::kPictureSelectorRows)
        return -1;
    m_selectors.addPictureSelector(
        Hobject_View_Gui::SelectorEntry{caption, prefix, rows.pictureRow(row), rows.pictureRadio(row), checked, rowVisible});
    return row;
}

int Hobject_View_Model::addObjectSelector(const QString& caption, const QString& prefix, bool rowVisible,
                                          bool checked, const Hobject_View_SelectorRows& rows)
{
    QMutexLocker locker(&m_mutex);
    const int row = m_selectors.objectSelectorCount();
    if (row >= Hobject_View_Gui::kObjectSelectorRows)
        return -1;
    m_selectors.addObjectSelector(
        Hobject_View_Gui::SelectorEntry{caption, prefix, rows.objectRow(row), rows.objectCheckBox(row), checked, rowVisible});
    return row;
}

void Hobject_View_Model::addLink(const Hobject_View_Gui::SelectorLink& link)
{
    QMutexLocker locker(&m_mutex);
    m_selectors.addLink(link);
    const bool picturesChanged = m_layers.refreshPictureVisibility();
    markIf(m_layers.refreshObjectVisibility() || picturesChanged);
}

void Hobject_View_Model::refreshPictureVisibility()
{
    QMutexLocker locker(&m_mutex);
    markIf(m_layers.refreshPictureVisibility());
}

void Hobject_View_Model::refreshObjectVisibility()
{
    QMutexLocker locker(&m_mutex);
    markIf(m_layers.refreshObjectVisibility());
}

void Hobject_View_Model::takeSelectorStates(bool refreshPictures)
{
    QMutexLocker locker(&m_mutex);
    m_selectors.syncCheckedStates();
    const bool picturesChanged = refreshPictures && m_layers.refreshPictureVisibility();
    markIf(m_layers.refreshObjectVisibility() || picturesChanged);
}

void Hobject_View_Model::setSelectorRowVisible(const QWidget* row, bool visible)
{
    QMutexLocker locker(&m_mutex);
    m_selectors.setRowVisible(row, visible);
}

std::vector<QWidget*> Hobject_View_Model::pictureRows(const QString& prefix, bool hiding, QRadioButton*& toCheck)
{
    QMutexLocker locker(&m_mutex);
    std::vector<QWidget*> rows = m_selectors.pictureRows(prefix, hiding, toCheck);
    markIf(toCheck != nullptr);
    return rows;
}

std::vector<QRadioButton*> Hobject_View_Model::pictureButtonsToSet(const QString& prefix, bool checked)
{
    QMutexLocker locker(&m_mutex);
    std::vector<QRadioButton*> buttons = m_selectors.pictureButtonsToSet(prefix, checked);
    markIf(!buttons.empty());
    return buttons;
}

QString Hobject_View_Model::currentPictureSelector() const
{
    QMutexLocker locker(&m_mutex);
    return m_selectors.currentPictureSelector();
}

std::vector<QWidget*> Hobject_View_Model::objectRows(const QString& prefix) const
{
    QMutexLocker locker(&m_mutex);
    return m_selectors.objectRows(prefix);
}

std::vector<QCheckBox*> Hobject_View_Model::objectButtonsToSet(const QString& prefix, bool checked)
{
    QMutexLocker locker(&m_mutex);
    std::vector<QCheckBox*> buttons = m_selectors.objectButtonsToSet(prefix, checked);
    markIf(!buttons.empty());
    return buttons;
}

bool Hobject_View_Model::objectSelectorChecked(const QString& prefix) const
{
    QMutexLocker locker(&m_mutex);
    return m_selectors.objectSelectorChecked(prefix);
}
