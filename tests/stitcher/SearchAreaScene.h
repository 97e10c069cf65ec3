#pragma once

// One viewer showing a 1000 x 800 picture in a 500 x 400 picture area: screen point =
// picture point / 2, one percent of the longer side is 10 picture pixels (5 screen pixels).

#include "../view/ViewTestHelpers.h"

#include <HalconViewImpl.h>
#include <Hobject_View_Gui.h>

#include <QTest>

struct SearchAreaScene {
    Hobject_View_Gui view;
    HalconViewImpl drawing{&view};

    SearchAreaScene()
    {
        view.setPicture(ViewTestHelpers::grayPicture(1000, 800, 40), QStringLiteral("HalconPicture_Stitcher_Normal."),
                        false);
    }
    bool show()
    {
        if (!ViewTestHelpers::showWithPictureSize(view, 500, 400))
            return false;
        view.resetZoom(false);
        return true;
    }
    Hobject_View_Gui_Picture* picture() { return ViewTestHelpers::pictureWidget(view); }
    static QPoint screen(double xPercent, double yPercent) { return QPoint(int(xPercent * 5.0), int(yPercent * 5.0)); }
    void drag(const QPoint& from, const QPoint& to) { ViewTestHelpers::drag(picture(), from, to); }
    void addMarker(const QString& name)
    {
        view.addObject(HalconTestPictures::rectangleRegion(10, 10, 50, 50), "green", "margin", 1, name, false, false);
    }
    bool hasObject(const QString& name) const { return ViewTestHelpers::hasObject(view, name); }
};
