#pragma once

#include <Hobject.h>

#include <QString>
#include <QStringList>

class Hobject_View_Layers;

// The selection of a viewer's overlays: by a point, by name prefix or by an area. Only
// visible, selectable layers that are not selected yet are selected; each selecting call
// answers the names it selected, in list order. Not locked: the viewer calls it under its
// mutex.
class Hobject_View_Picking {
public:
    // The layers are not owned and outlive this object.
    explicit Hobject_View_Picking(Hobject_View_Layers& layers);

    // Regions and contours that contain picture point (x = column, y = row).
    QStringList pick(double x, double y);
    // Objects, lines and crosses under prefix.
    QStringList selectByPrefix(const QString& prefix);
    // The area as one region, made without the lock: regions are united, contours filled;
    // anything else is the empty region.
    static Halcon::Hobject areaRegion(const Halcon::Hobject& area);
    // Regions and contours that lie wholly inside the area region.
    QStringList selectInRegion(const Halcon::Hobject& areaRegion);
    // true when a visible layer lost its selection.
    bool clear(const QString& prefix);
    bool anySelected(const QString& prefix) const;
    QStringList selected(const QString& prefix) const;

private:
    Hobject_View_Layers& m_layers;
};
