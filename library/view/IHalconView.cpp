#include "IHalconView.h"

#include "Hobject_View_Gui.h"

#include <HTuple.h>
#include <HalconXldOps.h>

namespace {
constexpr double kDegreesPerRadian = 57.295779513082;
}

void IHalconView::addText(const QString& text, double row, double column, const DrawStyle& style,
                          const QString& name, bool selectable, bool update)
{
    Hobject_View_Gui* view = getView();
    if (!view)
        return;
    view->addText(text, column, row, QString::fromStdString(style.color), style.mode.c_str(), style.width, name,
                  selectable, update);
}

void IHalconView::addObject(const Halcon::Hobject& object, const DrawStyle& style, const QString& name,
                            bool selectable)
{
    addObject(object, style.color.c_str(), style.mode.c_str(), style.width, name, selectable);
}

void IHalconView::removeObjects(const QString& namePrefix)
{
    Hobject_View_Gui* view = getView();
    if (view)
        view->removeObjects(namePrefix, true);
}

void IHalconView::addRotatedRectangle(double x, double y, double width, double height, double angle,
                                      const QString& name, const char* color, const char* drawMode, int lineWidth,
                                      bool selectable)
{
    const double column = percentToPixelsX(x);
    const double row = percentToPixelsY(y);
    const double widthPixels = percentToPixelsX(width);
    const double heightPixels = percentToPixelsY(height);
    Halcon::Hobject contour;
    Halcon::gen_rectangle2_contour_xld(&contour, row + heightPixels / 2.0, column + widthPixels / 2.0,
                                       angle / kDegreesPerRadian, widthPixels / 2.0, heightPixels / 2.0);
    addObject(contour, color, drawMode, lineWidth, name, selectable);
}

void IHalconView::setObjectsStyle(const QString& namePrefix, const DrawStyle& style, bool update)
{
    Hobject_View_Gui* view = getView();
    if (!view)
        return;
    view->setObjectColor(namePrefix, QString::fromStdString(style.color), false);
    view->setObjectLineWidth(namePrefix, style.width, update);
}
