#include "PictureUnitConverter.h"

#include "Halcon_Helper.h"
#include "Hobject_View_Gui.h"

#include <algorithm>

PictureUnitConverter::PictureUnitConverter(const Halcon::Hobject& image)
{
    int width = 0;
    int height = 0;
    if (Halcon_Helper::GetImageSize(image, width, height) != 0)
        return;
    m_width = width;
    m_height = height;
    m_longerSide = std::max(width, height);
}

PictureUnitConverter::PictureUnitConverter(Hobject_View_Gui* view)
{
    if (!view)
        return;
    int width = 0;
    int height = 0;
    view->getPictureSize(width, height);
    m_width = width;
    m_height = height;
    m_longerSide = std::max(width, height);
}

void PictureUnitConverter::percentToPixels(double x, double y, double& xPixels, double& yPixels)
{
    xPixels = toPixels(m_longerSide, x);
    yPixels = toPixels(m_longerSide, y);
}

void PictureUnitConverter::pixelsToPercent(double x, double y, double& xPercent, double& yPercent)
{
    xPercent = toPercent(m_longerSide, x);
    yPercent = toPercent(m_longerSide, y);
}
