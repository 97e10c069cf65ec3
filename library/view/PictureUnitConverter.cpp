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
    xPixels = m_longerSide * x / 100.0;
    yPixels = m_longerSide * y / 100.0;
}

void PictureUnitConverter::pixelsToPercent(double x, double y, double& xPercent, double& yPercent)
{
    if (m_longerSide <= 0) {
        xPercent = 0.0;
        yPercent = 0.0;
        return;
    }
    xPercent = x * 100.0 / m_longerSide;
    yPercent = y * 100.0 / m_longerSide;
}
