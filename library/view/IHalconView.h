#pragma once

#include "DrawStyle.h"
#include "IPictureUnitConverter.h"

#include <Hobject.h>

#include <QString>

class Hobject_View_Gui;

// What analysis and stitching code (usually in a worker thread) may do with a picture
// viewer: convert picture units and add, restyle and remove overlays. Every operation goes
// to the viewer returned by getView, which guards its own lists; nothing here locks.
// The operations with a body here are shared by every implementation and not replaced.
class IHalconView : public IPictureUnitConverter {
public:
    ~IHalconView() override = default;

    void percentToPixels(double x, double y, double& xPixels, double& yPixels) override = 0;
    void pixelsToPercent(double x, double y, double& xPercent, double& yPercent) override = 0;

    // row before column here; the viewer takes x (column) before y (row).
    virtual void addText(const QString& text, double row, double column, const DrawStyle& style,
                         const QString& name, bool selectable, bool update);
    virtual void addObject(const Halcon::Hobject& object, const DrawStyle& style, const QString& name,
                           bool selectable);
    virtual void addObject(const Halcon::Hobject& object, const char* color, const char* drawMode, int lineWidth,
                           const QString& name, bool selectable) = 0;
    virtual void removeObjects(const QString& namePrefix);
    virtual void update() = 0;
    virtual double percentToPixelsX(double value) = 0;
    virtual double percentToPixelsY(double value) = 0;
    virtual double pixelsToPercentX(double value) = 0;
    virtual double pixelsToPercentY(double value) = 0;
    virtual Hobject_View_Gui* getView() = 0;
    // Top-left corner and size of the unrotated rectangle in percent, angle in degrees
    // about its centre.
    virtual void addRotatedRectangle(double x, double y, double width, double height, double angle,
                                     const QString& name, const char* color, const char* drawMode, int lineWidth,
                                     bool selectable);
    // Colour and line width only: overlays keep their draw mode.
    virtual void setObjectsStyle(const QString& namePrefix, const DrawStyle& style, bool update);
};
