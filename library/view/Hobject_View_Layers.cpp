#include "Hobject_View_Layers.h"

#include "Halcon_Helper.h"
#include "Hobject_View_Selectors.h"

#include <HTuple.h>
#include <HalconImageOps.h>
#include <HalconObjectOps.h>
#include <HalconRegionOps.h>
#include <HalconXldOps.h>

#include <algorithm>
#include <numbers>

using Halcon::HTuple;
using Halcon::Hlong;
using Halcon::Hobject;

namespace {

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

// Gives every entry the visibility rule says; true when one changed.
template <typename Rule, typename... Lists>
bool refreshVisibility(Rule rule, Lists&... lists)
{
    bool changed = false;
    auto refresh = [&](auto& list) {
        for (const auto& entry : list) {
            const bool visible = rule(entry->name);
            if (visible != entry->visible) {
                entry->visible = visible;
                changed = true;
            }
        }
    };
    (refresh(lists), ...);
    return changed;
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

// What every overlay kind takes from the caller alike.
template <typename Entry>
std::unique_ptr<Entry> makeOverlay(const QString& color, const QString& name, bool selectable)
{
    auto entry = std::make_unique<Entry>();
    entry->color = color;
    entry->name = name;
    entry->selectable = selectable;
    return entry;
}

} // namespace

Hobject_View_Layers::Hobject_View_Layers(const Hobject_View_Selectors& rules)
    : m_rules(rules)
{
}

std::unique_ptr<Hobject_View_Layers::ObjectEntry> Hobject_View_Layers::makeObject(const Hobject& object,
                                                                                 const QString& color,
                                                                                 const QString& drawMode,
                                                                                 int lineWidth, const QString& name,
                                                                                 bool selectable)
{
    int objectClass = Halcon_Helper::ObjectClass_Other;
    if (Halcon_Helper::GetObjectClass(object, objectClass) != 0)
        return nullptr;
    auto entry = makeOverlay<ObjectEntry>(color, name, selectable);
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
            return nullptr;
        break;
    case Halcon_Helper::ObjectClass_XldContour:
        if (drawMode == QLatin1String("fill")) {
            if (Halcon::gen_region_contour_xld(object, &entry->object, "filled") != Halcon::kSuccess)
                return nullptr;
            objectClass = Halcon_Helper::ObjectClass_Region;
        } else if (Halcon::copy_obj(object, &entry->object, 1, -1) != Halcon::kSuccess) {
            return nullptr;
        }
        break;
    default:
        return nullptr;
    }
    entry->objectClass = objectClass;
    entry->hasExtent = objectExtent(entry->object, objectClass, entry->extentRow1, entry->extentColumn1,
                                    entry->extentRow2, entry->extentColumn2);
    entry->drawMode = drawMode;
    entry->lineWidth = lineWidth;
    return entry;
}

std::unique_ptr<Hobject_View_Layers::TextEntry> Hobject_View_Layers::makeText(const QString& text, double x, double y,
                                                                             const QString& color, const char* font,
                                                                             int size, const QString& name,
                                                                             bool selectable)
{
    auto entry = makeOverlay<TextEntry>(color, name, selectable);
    entry->text = text;
    entry->x = x;
    entry->y = y;
    entry->font = QByteArray(font ? font : "");
    entry->size = size;
    return entry;
}

std::unique_ptr<Hobject_View_Layers::LineEntry> Hobject_View_Layers::makeLine(double x1, double y1, double x2,
                                                                             double y2, const QString& color,
                                                                             int lineWidth, const QString& name,
                                                                             bool selectable)
{
    auto entry = makeOverlay<LineEntry>(color, name, selectable);
    entry->x1 = x1;
    entry->y1 = y1;
    entry->x2 = x2;
    entry->y2 = y2;
    entry->lineWidth = lineWidth;
    return entry;
}

std::unique_ptr<Hobject_View_Layers::CrossEntry> Hobject_View_Layers::makeCross(double x, double y, double size,
                                                                               double angle, const QString& color,
                                                                               int lineWidth, const QString& name,
                                                                               bool selectable)
{
    auto entry = makeOverlay<CrossEntry>(color, name, selectable);
    entry->x = x;
    entry->y = y;
    entry->size = size;
    entry->angle = angle;
    entry->lineWidth = lineWidth;
    Halcon::gen_cross_contour_xld(&entry->contour, y, x, size, angle * std::numbers::pi / 180.0);
    return entry;
}

bool Hobject_View_Layers::setPicture(std::unique_ptr<PictureEntry> picture)
{
    const QString& name = picture->name;
    bool changed =
        removeEntries(m_pictures, [&name](const PictureEntry& other) { return other.name == name; });
    picture->visible = m_rules.pictureVisible(name);
    changed = changed || picture->visible;
    m_pictures.push_back(std::move(picture));
    return changed;
}

bool Hobject_View_Layers::removePictures(const QString& prefix)
{
    return removeEntries(m_pictures, [&prefix](const PictureEntry& picture) { return picture.name.startsWith(prefix); });
}

bool Hobject_View_Layers::setPicturesVisible(const QString& prefix, bool visible)
{
    bool changed = false;
    for (const auto& picture : m_pictures) {
        if (picture->name.startsWith(prefix) && picture->visible != visible) {
            picture->visible = visible;
            changed = true;
        }
    }
    return changed;
}

bool Hobject_View_Layers::pictureSize(int& width, int& height) const
{
    width = 0;
    height = 0;
    if (m_pictures.empty())
        return false;
    for (const auto& picture : m_pictures) {
        if (picture->width < 1 || picture->height < 1)
            continue;
        width = std::max(width, picture->width);
        height = std::max(height, picture->height);
    }
    return true;
}

template <typename Entry>
bool Hobject_View_Layers::append(List<Entry>& list, std::unique_ptr<Entry> entry)
{
    entry->visible = m_rules.objectVisible(entry->name);
    const bool visible = entry->visible;
    list.push_back(std::move(entry));
    return visible;
}

bool Hobject_View_Layers::add(std::unique_ptr<ObjectEntry> entry)
{
    return append(m_objects, std::move(entry));
}

bool Hobject_View_Layers::add(std::unique_ptr<TextEntry> entry)
{
    return append(m_texts, std::move(entry));
}

bool Hobject_View_Layers::add(std::unique_ptr<LineEntry> entry)
{
    return append(m_lines, std::move(entry));
}

bool Hobject_View_Layers::add(std::unique_ptr<CrossEntry> entry)
{
    return append(m_crosses, std::move(entry));
}

bool Hobject_View_Layers::removeObjects(const QString& prefix)
{
    auto matches = [&prefix](const auto& entry) { return entry.name.startsWith(prefix); };
    bool visibleRemoved = removeEntries(m_objects, matches);
    visibleRemoved = removeEntries(m_texts, matches) || visibleRemoved;
    visibleRemoved = removeEntries(m_lines, matches) || visibleRemoved;
    visibleRemoved = removeEntries(m_crosses, matches) || visibleRemoved;
    return visibleRemoved;
}

bool Hobject_View_Layers::setObjectsVisible(const QString& prefix, bool visible)
{
    auto show = [visible](auto& entry) {
        if (entry.visible == visible)
            return false;
        entry.visible = visible;
        return true;
    };
    return changeMatching(prefix, show, m_objects, m_texts, m_lines, m_crosses);
}

bool Hobject_View_Layers::setObjectColor(const QString& prefix, const QString& color)
{
    auto recolor = [&color](auto& entry) {
        if (entry.color == color)
            return false;
        entry.color = color;
        return entry.visible;
    };
    return changeMatching(prefix, recolor, m_objects, m_texts, m_lines, m_crosses);
}

bool Hobject_View_Layers::setObjectLineWidth(const QString& prefix, int width)
{
    auto restroke = [width](auto& entry) {
        if (entry.lineWidth == width)
            return false;
        entry.lineWidth = width;
        return entry.visible;
    };
    return changeMatching(prefix, restroke, m_objects, m_lines, m_crosses);
}

bool Hobject_View_Layers::setObjectsSelectable(const QString& prefix, bool selectable)
{
    auto makeSelectable = [selectable](auto& entry) {
        if (entry.selectable == selectable)
            return false;
        entry.selectable = selectable;
        if (!selectable)
            entry.selected = false;
        return entry.visible;
    };
    return changeMatching(prefix, makeSelectable, m_objects, m_texts, m_lines, m_crosses);
}

bool Hobject_View_Layers::refreshPictureVisibility()
{
    return refreshVisibility([this](const QString& name) { return m_rules.pictureVisible(name); }, m_pictures);
}

bool Hobject_View_Layers::refreshObjectVisibility()
{
    return refreshVisibility([this](const QString& name) { return m_rules.objectVisible(name); }, m_objects, m_texts,
                             m_lines, m_crosses);
}

void Hobject_View_Layers::clear()
{
    m_pictures.clear();
    m_objects.clear();
    m_texts.clear();
    m_lines.clear();
    m_crosses.clear();
}

bool Hobject_View_Layers::getObject(const QString& name, Hobject& object, bool& visible, bool& selected) const
{
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

int Hobject_View_Layers::objectCount() const
{
    return int(m_objects.size() + m_texts.size() + m_lines.size() + m_crosses.size());
}

void Hobject_View_Layers::objectStatistics(int& images, int& xldContours, int& xldPolygons, int& regions, int& texts,
                                           int& lines, int& crosses) const
{
    images = xldContours = xldPolygons = regions = 0;
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

void Hobject_View_Layers::setSelectionStyle(const QString& color, int lineWidth)
{
    m_selectionColor = color;
    m_selectionLineWidth = lineWidth;
}
