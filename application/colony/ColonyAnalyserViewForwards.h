#pragma once

#include "IColonyAnalyserHost.h"

#include <QString>

class Hobject_View_Gui;

// The Colony Analyser page's forwards to its viewer, for the analysis worker: callable from
// any thread, as the viewer takes its own lock. Arguments pass unchanged but for the
// conversions the viewer's signatures ask for.
class ColonyAnalyserViewForwards : public IColonyAnalyserHost {
public:
    Hobject_View_Gui* view() override { return m_view; }

    void viewClear(bool update) override;
    void viewUpdate(bool onlyIfModified) override;
    void viewSetPicture(const Halcon::Hobject& picture, const QString& name, bool update) override;
    void viewRemovePictures(const QString& prefix, bool update) override;
    void viewRemoveObjects(const QString& prefix, bool update) override;
    void viewAddObject(const Halcon::Hobject& object, const char* color, const char* drawMode, int lineWidth,
                       const QString& name, bool selectable, bool update) override;
    void viewPercentToPixel(double xPercent, double yPercent, double& xPixels, double& yPixels) override;
    void viewSetPictureSelectorsVisible(const QString& prefix, bool visible, bool update) override;
    void viewSetObjectSelectorsVisible(const QString& prefix, bool visible, bool update) override;
    void viewPixelToPercent(double xPixels, double yPixels, double& xPercent, double& yPercent);
    void viewAddText(const QString& text, int x, int y, const char* color, const char* font, int size,
                     const QString& name, bool selectable, bool update);
    void viewClearSelection(const QString& prefix, bool update);
    void viewSelectObjects(const QString& prefix, bool update);
    bool viewIsObjectSelected(const QString& prefix);
    void viewCheckPictureSelector(const QString& prefix, bool checked, bool update);
    void viewSetPicturesVisible(const QString& prefix, bool visible, bool update);
    void viewSetObjectsVisible(const QString& prefix, bool visible, bool update);

protected:
    // Set once by the page when it has made its viewer.
    Hobject_View_Gui* m_view = nullptr;
};
