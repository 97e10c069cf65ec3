#pragma once

#include "IHalconView.h"

// The standard IHalconView: forwards everything to one viewer, which it does not own. The
// host keeps the viewer alive while analysis objects hold this interface.
class HalconViewImpl : public IHalconView {
public:
    explicit HalconViewImpl(Hobject_View_Gui* view);

    void percentToPixels(double x, double y, double& xPixels, double& yPixels) override;
    void pixelsToPercent(double x, double y, double& xPercent, double& yPercent) override;
    using IHalconView::addObject;
    void addObject(const Halcon::Hobject& object, const char* color, const char* drawMode, int lineWidth,
                   const QString& name, bool selectable) override;
    void update() override;
    double percentToPixelsX(double value) override;
    double percentToPixelsY(double value) override;
    double pixelsToPercentX(double value) override;
    double pixelsToPercentY(double value) override;
    Hobject_View_Gui* getView() override;

private:
    using PairConversion = void (IPictureUnitConverter::*)(double, double, double&, double&);
    // One coordinate through a pair conversion, the other passed as 0.
    double convertOne(PairConversion convert, double value, bool isX);

    Hobject_View_Gui* m_view = nullptr;
};
