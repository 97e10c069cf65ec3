#pragma once

#include <QList>

class Hobject_View_Gui;
class PictureCross;
class QString;

namespace Halcon {
class Hobject;
}

// What the stitcher worker needs of the page that owns it: the page's report bridges and its
// viewers. Implemented by the Image Stitcher page; tests pass a recording fake.
//
// Every operation is callable from the worker thread. The result reports (reset, crosses,
// optical axis, stitched picture) reach the page through queued signals: each bridge
// releases one unit of the page's pending-update semaphore right before it emits, and the
// page's slot acquires it once it has applied the report, so the page counts as running
// until every report is shown. Started, stopped and state text carry no unit.
class IImageStitcherPage {
public:
    virtual ~IImageStitcherPage() = default;

    virtual void emitAnalyserStarted() = 0;
    virtual void emitAnalyserStopped() = 0;
    virtual void emitStateSetText(const QString& text) = 0;
    virtual void emitReset() = 0;
    virtual void emitAddStitchedPicture(const Halcon::Hobject& picture) = 0;
    virtual void emitAddPictureCrosses(int pictureIndex, const Halcon::Hobject& picture, const PictureCross& cross1,
                                       const PictureCross& cross2) = 0;
    virtual void emitAddOpticalAxis(int pictureIndex, double rowOpticalAxis, double colOpticalAxis) = 0;

    // The cross-model viewer, the viewer of the stitched picture and the six position
    // viewers (index = picture position - 1); they guard themselves and live as long as the
    // page.
    virtual Hobject_View_Gui* getHobjectView() = 0;
    virtual Hobject_View_Gui* getResultView() = 0;
    virtual QList<Hobject_View_Gui*> getPictureViews() = 0;

    // On the six position viewers, then on the cross-model viewer.
    virtual void clearAllViews(bool update) = 0;
    virtual void updateAllViews(bool onlyIfChanged) = 0;
    virtual void removePicturesFromAllViews(const QString& prefix, bool update) = 0;
    virtual void removeObjectsFromAllViews(const QString& prefix, bool update) = 0;
};
