#include "HalconViewImpl.h"

#include "Hobject_View_Gui.h"

HalconViewImpl::HalconViewImpl(Hobject_View_Gui* view)
    : m_view(view)
{
}

void HalconViewImpl::percentToPixels(double x, double y, double& xPixels, double& yPixels)
{
    xPixels = 0.0;
    yPixels = 0.0;
    if (m_view)
        m_view->convertPercentToPixel(x, y, xPixels, yPixels);
}

void HalconViewImpl::pixelsToPercent(double x, double y, double& xPercent, double& yPercent)
{
    xPercent = 0.0;
    yPercent = 0.0;
    if (m_view)
        m_view->convertPixelToPercent(x, y, xPercent, yPercent);
}

void HalconViewImpl::addObject(const Halcon::Hobject& object, const char* color, const char* drawMode,
                               int lineWidth, const QString& name, bool selectable)
{
    if (!m_view)
        return;
    m_view->addObject(object, QString::fromLatin1(color ? color : ""), QString::fromLatin1(drawMode ? drawMode : ""),
                      lineWidth, name, selectable, true);
}

void HalconViewImpl::update()
{
    if (m_view)
        m_view->updateView(true);
}

double HalconViewImpl::percentToPixelsX(double value)
{
    return convertOne(&IPictureUnitConverter::percentToPixels, value, true);
}

double HalconViewImpl::percentToPixelsY(double value)
{
    return convertOne(&IPictureUnitConverter::percentToPixels, value, false);
}

double HalconViewImpl::pixelsToPercentX(double value)
{
    return convertOne(&IPictureUnitConverter::pixelsToPercent, value, true);
}

double HalconViewImpl::pixelsToPercentY(double value)
{
    return convertOne(&IPictureUnitConverter::pixelsToPercent, value, false);
}

double HalconViewImpl::convertOne(PairConversion convert, double value, bool isX)
{
    double x = 0.0;
    double y = 0.0;
    (this->*convert)(isX ? value : 0.0, isX ? 0.0 : value, x, y);
    return isX ? x : y;
}

Hobject_View_Gui* HalconViewImpl::getView()
{
    return m_view;
}
