#pragma once

// Layer-private: the process-wide table of display windows and the attributes for the
// next open_window. Handles are never reused, so a stale handle never reaches a new window.

#include "HalconTypes.h"

#include <QColor>

#include <memory>
#include <string>

namespace Halcon::Display {

class HalconWindow;

struct WindowAttributes
{
    int borderWidth = 2;
    std::string backgroundName = "black";
    QColor background = Qt::black;
    std::string title;
};

Hlong addWindow(std::shared_ptr<HalconWindow> window);
// Null for an unknown handle.
std::shared_ptr<HalconWindow> findWindow(Hlong handle);
// The window leaves the table; callers already holding it finish their work on it.
bool removeWindow(Hlong handle);

WindowAttributes windowAttributes();
void setWindowAttributes(const WindowAttributes &attributes);

} // namespace Halcon::Display
