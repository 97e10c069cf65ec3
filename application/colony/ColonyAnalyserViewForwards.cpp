#include "ColonyAnalyserViewForwards.h"

#include <Hobject_View_Gui.h>

namespace {

QString latin1(const char* text)
{
    return QString::fromLatin1(text ? text : "");
}

} // namespace

void ColonyAnalyserViewForwards::viewClear(bool update)
{
    m_view->clear(update);
}

void ColonyAnalyserViewForwards::viewUpdate(bool onlyIfModified)
{
    m_view->updateView(onlyIfModified);
}

void ColonyAnalyserViewForwards::viewSetPicture(const Halcon::Hobject& picture, const QString& name, bool update)
{
    m_view->setPicture(picture, name, update);
}

void ColonyAnalyserViewForwards::viewRemovePictures(const QString& prefix, bool update)
{
    m_view->removePictures(prefix, update);
}

void ColonyAnalyserViewForwards::viewRemoveObjects(const QString& prefix, bool update)
{
    m_view->removeObjects(prefix, update);
}

void ColonyAnalyserViewForwards::viewAddObject(const Halcon::Hobject& object, const char* color, const char* drawMode,
                                               int lineWidth, const QString& name, bool selectable, bool update)
{
    m_view->addObject(object, latin1(color), latin1(drawMode), lineWidth, name, selectable, update);
}

void ColonyAnalyserViewForwards::viewPercentToPixel(double xPercent, double yPercent, double& xPixels, double& yPixels)
{
    m_view->convertPercentToPixel(xPercent, yPercent, xPixels, yPixels);
}

void ColonyAnalyserViewForwards::viewPixelToPercent(double xPixels, double yPixels, double& xPercent, double& yPercent)
{
    m_view->convertPixelToPercent(xPixels, yPixels, xPercent, yPercent);
}

void ColonyAnalyserViewForwards::viewSetPictureSelectorsVisible(const QString& prefix, bool visible, bool update)
{
    m_view->setPictureSelectorsVisible(prefix, visible, update);
}

void ColonyAnalyserViewForwards::viewSetObjectSelectorsVisible(const QString& prefix, bool visible, bool update)
{
    m_view->setObjectSelectorsVisible(prefix, visible, update);
}

void ColonyAnalyserViewForwards::viewAddText(const QString& text, int x, int y, const char* color, const char* font,
                                             int size, const QString& name, bool selectable, bool update)
{
    m_view->addText(text, double(x), double(y), latin1(color), font, size, name, selectable, update);
}

void ColonyAnalyserViewForwards::viewClearSelection(const QString& prefix, bool update)
{
    m_view->clearSelection(prefix, update);
}

void ColonyAnalyserViewForwards::viewSelectObjects(const QString& prefix, bool update)
{
    m_view->selectObjects(prefix, update);
}

bool ColonyAnalyserViewForwards::viewIsObjectSelected(const QString& prefix)
{
    return m_view->isObjectSelected(prefix);
}

void ColonyAnalyserViewForwards::viewCheckPictureSelector(const QString& prefix, bool checked, bool update)
{
    m_view->checkPictureSelector(prefix, checked, update);
}

void ColonyAnalyserViewForwards::viewSetPicturesVisible(const QString& prefix, bool visible, bool update)
{
    m_view->setPicturesVisible(prefix, visible, update);
}

void ColonyAnalyserViewForwards::viewSetObjectsVisible(const QString& prefix, bool visible, bool update)
{
    m_view->setObjectsVisible(prefix, visible, update);
}
