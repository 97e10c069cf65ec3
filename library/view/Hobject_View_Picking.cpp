#include "Hobject_View_Picking.h"

#include "Halcon_Helper.h"
#include "Hobject_View_Layers.h"

#include <HTuple.h>
#include <HalconRegionOps.h>
#include <HalconXldOps.h>

#include <algorithm>

using Halcon::HTuple;
using Halcon::Hobject;

namespace {

bool anyNonZero(const HTuple& values)
{
    for (const Halcon::HValue& value : values.Values()) {
        if (value.L() != 0)
            return true;
    }
    return false;
}

bool allNonZero(const HTuple& values)
{
    bool all = true;
    for (const Halcon::HValue& value : values.Values())
        all = all && value.L() != 0;
    return all;
}

template <typename Entry>
bool selectable(const Entry& entry)
{
    return entry.visible && entry.selectable && !entry.selected;
}

// Selects the entries of the lists that test accepts and appends their names.
template <typename Test, typename... Lists>
void selectWhere(QStringList& names, Test test, Lists&... lists)
{
    auto select = [&](auto& list) {
        for (const auto& entry : list) {
            if (selectable(*entry) && test(*entry)) {
                entry->selected = true;
                names.append(entry->name);
            }
        }
    };
    (select(lists), ...);
}

} // namespace

Hobject_View_Picking::Hobject_View_Picking(Hobject_View_Layers& layers)
    : m_layers(layers)
{
}

QStringList Hobject_View_Picking::pick(double x, double y)
{
    QStringList names;
    auto hit = [x, y](const Hobject_View_Layers::ObjectEntry& entry) {
        if (entry.hasExtent
            && (y < entry.extentRow1 - 1.0 || y > entry.extentRow2 + 1.0 || x < entry.extentColumn1 - 1.0
                || x > entry.extentColumn2 + 1.0))
            return false;
        HTuple inside;
        if (entry.objectClass == Halcon_Helper::ObjectClass_Region)
            return Halcon::test_region_point(entry.object, int(y), int(x), &inside) == Halcon::kSuccess
                && anyNonZero(inside);
        if (entry.objectClass == Halcon_Helper::ObjectClass_XldContour)
            return Halcon::test_xld_point(entry.object, y, x, &inside) == Halcon::kSuccess && anyNonZero(inside);
        return false;
    };
    selectWhere(names, hit, m_layers.objects());
    return names;
}

QStringList Hobject_View_Picking::selectByPrefix(const QString& prefix)
{
    QStringList names;
    auto named = [&prefix](const auto& entry) { return entry.name.startsWith(prefix); };
    selectWhere(names, named, m_layers.objects(), m_layers.lines(), m_layers.crosses());
    return names;
}

Hobject Hobject_View_Picking::areaRegion(const Hobject& area)
{
    int areaClass = Halcon_Helper::ObjectClass_Other;
    Halcon_Helper::GetObjectClass(area, areaClass);
    Hobject region;
    if (areaClass == Halcon_Helper::ObjectClass_Region)
        Halcon::union1(area, &region);
    else if (areaClass == Halcon_Helper::ObjectClass_XldContour) {
        Hobject filled;
        if (Halcon::gen_region_contour_xld(area, &filled, "filled") == Halcon::kSuccess)
            Halcon::union1(filled, &region);
    }
    if (region.IsEmpty())
        Halcon::union1(Hobject(), &region);
    return region;
}

QStringList Hobject_View_Picking::selectInRegion(const Hobject& areaRegion)
{
    QStringList names;
    auto inside = [&areaRegion](const Hobject_View_Layers::ObjectEntry& entry) {
        Hobject region;
        if (entry.objectClass == Halcon_Helper::ObjectClass_Region)
            region = entry.object;
        else if (entry.objectClass == Halcon_Helper::ObjectClass_XldContour) {
            if (Halcon::gen_region_contour_xld(entry.object, &region, "filled") != Halcon::kSuccess)
                return false;
        } else
            return false;
        HTuple subset;
        return Halcon::test_subset_region(region, areaRegion, &subset) == Halcon::kSuccess && !subset.IsEmpty()
            && allNonZero(subset);
    };
    selectWhere(names, inside, m_layers.objects());
    return names;
}

bool Hobject_View_Picking::clear(const QString& prefix)
{
    bool visibleChanged = false;
    auto unselect = [&](auto& list) {
        for (const auto& entry : list) {
            if (entry->selected && entry->name.startsWith(prefix)) {
                entry->selected = false;
                if (entry->visible)
                    visibleChanged = true;
            }
        }
    };
    unselect(m_layers.objects());
    unselect(m_layers.lines());
    unselect(m_layers.crosses());
    return visibleChanged;
}

bool Hobject_View_Picking::anySelected(const QString& prefix) const
{
    const Hobject_View_Layers& layers = m_layers;
    auto any = [&](const auto& list) {
        return std::any_of(list.begin(), list.end(),
                           [&](const auto& entry) { return entry->selected && entry->name.startsWith(prefix); });
    };
    return any(layers.objects()) || any(layers.lines()) || any(layers.crosses());
}

QStringList Hobject_View_Picking::selected(const QString& prefix) const
{
    const Hobject_View_Layers& layers = m_layers;
    QStringList names;
    auto collect = [&](const auto& list) {
        for (const auto& entry : list) {
            if (entry->selected && entry->name.startsWith(prefix))
                names.append(entry->name);
        }
    };
    collect(layers.objects());
    collect(layers.lines());
    collect(layers.crosses());
    return names;
}
