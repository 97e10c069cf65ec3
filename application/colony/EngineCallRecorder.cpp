#include "EngineCallRecorder.h"

#include "ImageColony.h"

#include <QString>

#include <string>
#include <utility>

namespace {

// A C text of the caller, kept as a copy that outlives it; null stays null.
class KeptText {
public:
    explicit KeptText(const char* text)
        : m_text(text ? text : "")
        , m_null(text == nullptr)
    {
    }
    const char* get() const { return m_null ? nullptr : m_text.c_str(); }

private:
    std::string m_text;
    bool m_null;
};

} // namespace

EngineCallRecorder::EngineCallRecorder(IHalconView* view)
    : m_view(view)
{
}

void EngineCallRecorder::clear()
{
    m_calls.clear();
}

void EngineCallRecorder::replay(IHalconView* view, IColoniesCollection* colonies, IProgress* progress) const
{
    for (const Call& call : m_calls)
        call(view, colonies, progress);
}

void EngineCallRecorder::keepForView(std::function<void(IHalconView&)> call)
{
    m_calls.push_back([call = std::move(call)](IHalconView* view, IColoniesCollection*, IProgress*) {
        if (view)
            call(*view);
    });
}

void EngineCallRecorder::percentToPixels(double x, double y, double& xPixels, double& yPixels)
{
    xPixels = yPixels = 0.0;
    if (m_view)
        m_view->percentToPixels(x, y, xPixels, yPixels);
}

void EngineCallRecorder::pixelsToPercent(double x, double y, double& xPercent, double& yPercent)
{
    xPercent = yPercent = 0.0;
    if (m_view)
        m_view->pixelsToPercent(x, y, xPercent, yPercent);
}

double EngineCallRecorder::percentToPixelsX(double value)
{
    return m_view ? m_view->percentToPixelsX(value) : 0.0;
}

double EngineCallRecorder::percentToPixelsY(double value)
{
    return m_view ? m_view->percentToPixelsY(value) : 0.0;
}

double EngineCallRecorder::pixelsToPercentX(double value)
{
    return m_view ? m_view->pixelsToPercentX(value) : 0.0;
}

double EngineCallRecorder::pixelsToPercentY(double value)
{
    return m_view ? m_view->pixelsToPercentY(value) : 0.0;
}

Hobject_View_Gui* EngineCallRecorder::getView()
{
    return nullptr;
}

void EngineCallRecorder::addText(const QString& text, double row, double column, const DrawStyle& style,
                                 const QString& name, bool selectable, bool update)
{
    keepForView([=](IHalconView& view) { view.addText(text, row, column, style, name, selectable, update); });
}

void EngineCallRecorder::addObject(const Halcon::Hobject& object, const DrawStyle& style, const QString& name,
                                   bool selectable)
{
    keepForView([=](IHalconView& view) { view.addObject(object, style, name, selectable); });
}

void EngineCallRecorder::addObject(const Halcon::Hobject& object, const char* color, const char* drawMode,
                                   int lineWidth, const QString& name, bool selectable)
{
    keepForView([=, color = KeptText(color), drawMode = KeptText(drawMode)](IHalconView& view) {
        view.addObject(object, color.get(), drawMode.get(), lineWidth, name, selectable);
    });
}

void EngineCallRecorder::removeObjects(const QString& namePrefix)
{
    keepForView([=](IHalconView& view) { view.removeObjects(namePrefix); });
}

void EngineCallRecorder::update()
{
    keepForView([](IHalconView& view) { view.update(); });
}

void EngineCallRecorder::addRotatedRectangle(double x, double y, double width, double height, double angle,
                                             const QString& name, const char* color, const char* drawMode,
                                             int lineWidth, bool selectable)
{
    keepForView([=, color = KeptText(color), drawMode = KeptText(drawMode)](IHalconView& view) {
        view.addRotatedRectangle(x, y, width, height, angle, name, color.get(), drawMode.get(), lineWidth,
                                 selectable);
    });
}

void EngineCallRecorder::setObjectsStyle(const QString& namePrefix, const DrawStyle& style, bool update)
{
    keepForView([=](IHalconView& view) { view.setObjectsStyle(namePrefix, style, update); });
}

void EngineCallRecorder::add(const ImageColony& item)
{
    m_calls.push_back([item](IHalconView*, IColoniesCollection* colonies, IProgress*) {
        if (colonies)
            colonies->add(item);
    });
}

void EngineCallRecorder::setProgressText(const QString& text)
{
    m_calls.push_back([text](IHalconView*, IColoniesCollection*, IProgress* progress) {
        if (progress)
            progress->setProgressText(text);
    });
}
