#pragma once

#include "IColoniesCollection.h"
#include "IHalconView.h"
#include "IProgress.h"

#include <functional>
#include <vector>

// Stands in for the page's viewer, colony table and status line while a container is
// analysed on another thread: every drawing, colony and status text is kept in the order
// the engine made it, and handed over later, on the worker's thread, by replay. Picture-unit
// conversions are answered at once by the real viewer, which guards them itself.
class EngineCallRecorder : public IHalconView, public IColoniesCollection, public IProgress {
public:
    // view: the viewer the drawings are meant for (conversions only); may be null when the
    // engine draws nothing.
    explicit EngineCallRecorder(IHalconView* view);

    void clear();
    // Makes every kept call again on the given targets, in order; a null target skips its calls.
    void replay(IHalconView* view, IColoniesCollection* colonies, IProgress* progress) const;

    // IPictureUnitConverter / IHalconView
    void percentToPixels(double x, double y, double& xPixels, double& yPixels) override;
    void pixelsToPercent(double x, double y, double& xPercent, double& yPercent) override;
    void addText(const QString& text, double row, double column, const DrawStyle& style, const QString& name,
                 bool selectable, bool update) override;
    void addObject(const Halcon::Hobject& object, const DrawStyle& style, const QString& name,
                   bool selectable) override;
    void addObject(const Halcon::Hobject& object, const char* color, const char* drawMode, int lineWidth,
                   const QString& name, bool selectable) override;
    void removeObjects(const QString& namePrefix) override;
    void update() override;
    double percentToPixelsX(double value) override;
    double percentToPixelsY(double value) override;
    double pixelsToPercentX(double value) override;
    double pixelsToPercentY(double value) override;
    // Null: nothing may reach the viewer around the kept calls.
    Hobject_View_Gui* getView() override;
    void addRotatedRectangle(double x, double y, double width, double height, double angle, const QString& name,
                             const char* color, const char* drawMode, int lineWidth, bool selectable) override;
    void setObjectsStyle(const QString& namePrefix, const DrawStyle& style, bool update) override;

    // IColoniesCollection
    void add(const ImageColony& item) override;

    // IProgress
    void setProgressText(const QString& text) override;

private:
    using Call = std::function<void(IHalconView*, IColoniesCollection*, IProgress*)>;
    void keepForView(std::function<void(IHalconView&)> call);

    IHalconView* m_view = nullptr;
    std::vector<Call> m_calls;
};
