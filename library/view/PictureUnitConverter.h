#pragma once

#include "IPictureUnitConverter.h"

#include <Hobject.h>

class Hobject_View_Gui;

// Picture units of one picture size, taken from an image or from a viewer's current picture.
// Keeps neither the image nor the viewer.
class PictureUnitConverter : public IPictureUnitConverter {
public:
    // Width, height and longer side are 0 when the object is no readable image.
    explicit PictureUnitConverter(const Halcon::Hobject& image);
    explicit PictureUnitConverter(Hobject_View_Gui* view);

    void percentToPixels(double x, double y, double& xPixels, double& yPixels) override;
    // Without a picture (longer side 0) every percent value is 0.
    void pixelsToPercent(double x, double y, double& xPercent, double& yPercent) override;

    // One value of a picture whose longer side is longerSide pixels; without a side every
    // percent value is 0.
    static double toPixels(int longerSide, double percent) { return longerSide * percent / 100.0; }
    static double toPercent(int longerSide, double pixels)
    {
        return longerSide > 0 ? pixels * 100.0 / longerSide : 0.0;
    }

    int getWidth() const { return m_width; }
    int getHeight() const { return m_height; }
    int getLongerSide() const { return m_longerSide; }

private:
    int m_width = 0;
    int m_height = 0;
    int m_longerSide = 0;
};
