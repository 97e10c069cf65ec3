#pragma once

#include <QtGlobal>

class Hobject_View_Gui;
class IColoniesCollection;
class IHalconView;
class IImageRefPointsView;
class QDateTime;
class QString;

namespace Halcon {
class Hobject;
}

// What the analysis worker needs of the page that owns it: its report emitters, its two
// result tables, its viewer interface and direct forwards to its viewer. Implemented by the
// Colony Analyser page; tests pass a recording fake.
//
// Every operation except those the worker's GUI-thread operations use (viewClear,
// emitRackReset, emitStateSetText from Reset) is called on the worker thread. Table reports
// reach the page through queued signals: emitRackReset, emitRackAdd, emitContainerListAdd
// and the tables' add release one unit of the page's pending-update semaphore right before
// they emit, and the slot that handles the report acquires it; the worker never touches
// that semaphore itself.
class IColonyAnalyserHost {
public:
    virtual ~IColonyAnalyserHost() = default;

    // Emitters.
    virtual void emitStateSetText(const QString& text) = 0;
    virtual void emitAnalyserStarted() = 0;
    virtual void emitAnalyserStopped() = 0;
    virtual void emitRackReset(const Halcon::Hobject& picture) = 0;
    virtual void emitRackAdd(const Halcon::Hobject& picture, const QDateTime& created, const QString& description) = 0;
    virtual void emitContainerListAdd(const QString& layerName, int containerNumber, const QString& positionText,
                                      const QString& description, int containerIndex,
                                      const Halcon::Hobject& searchArea) = 0;

    // The page's result tables and its IHalconView (forwarding to its viewer); the worker
    // hands them to the engine objects once, so they live as long as the page.
    virtual IImageRefPointsView* imageRefPointsTable() = 0;
    virtual IColoniesCollection* imageColoniesTable() = 0;
    virtual IHalconView* halconView() = 0;

    // The page's viewer: its current picture gives the picture units of the labware grid.
    virtual Hobject_View_Gui* view() = 0;

    // Forwards to the viewer of the same names, arguments unchanged.
    virtual void viewClear(bool update) = 0;
    virtual void viewUpdate(bool onlyIfModified) = 0;
    virtual void viewSetPicture(const Halcon::Hobject& picture, const QString& name, bool update) = 0;
    virtual void viewRemovePictures(const QString& prefix, bool update) = 0;
    virtual void viewRemoveObjects(const QString& prefix, bool update) = 0;
    virtual void viewAddObject(const Halcon::Hobject& object, const char* color, const char* drawMode, int lineWidth,
                               const QString& name, bool selectable, bool update) = 0;
    virtual void viewPercentToPixel(double xPercent, double yPercent, double& xPixels, double& yPixels) = 0;
    virtual void viewSetPictureSelectorsVisible(const QString& prefix, bool visible, bool update) = 0;
    virtual void viewSetObjectSelectorsVisible(const QString& prefix, bool visible, bool update) = 0;
};
