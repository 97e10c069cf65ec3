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
    double x = 0.0;
    double y = 0.0;
    percentToPixels(value, 0.0, x, y);
    return x;
}

double HalconViewImpl::percentToPixelsY(double value)
{
    double x = 0.0;
    double y = 0.0;
    percentToPixels(0.0, value, x, y);
    return y;
}

double HalconViewImpl::pixelsToPercentX(double value)
{
    double x = 0.0;
    double y = 0.0;
    pixelsToPercent(value, 0.0, x, y);
    return x;
}

double HalconViewImpl::pixelsToPercentY(double value)
{
    double x = 0.0;
    double y = 0.0;
    pixelsToPercent(0.0, value, x, y);
    return y;
}

Hobject_View_Gui* HalconViewImpl::getView()
{
    return m_view;
}
