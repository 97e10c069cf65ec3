#pragma once

class ImageColony;

// The host page's colony table as the engine sees it: one call per finished colony, after
// its pick order is set. Called on the worker thread.
class IColoniesCollection {
public:
    virtual ~IColoniesCollection() = default;

    virtual void add(const ImageColony& item) = 0;
};
