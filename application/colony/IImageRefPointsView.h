#pragma once

class ImageRefPoint;
class ImageRefPointsMetrics;
class QString;

// The host page's reference-point table as the engine sees it. Called on the worker thread;
// implementations only emit queued signals.
class IImageRefPointsView {
public:
    virtual ~IImageRefPointsView() = default;

    // An empty text makes the page show the corner name of the point's Index.
    virtual void add(const QString& text, const ImageRefPoint& item) = 0;
    virtual void clear() = 0;
    virtual void addMetrics(const ImageRefPointsMetrics& item) = 0;
};
