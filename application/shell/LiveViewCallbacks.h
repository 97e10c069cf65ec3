#pragma once

#include "Camera_LiveView_Gui.h"

#include <functional>

// The live view reports its visibility under the same name as the camera settings editor
// does; the window tells the two apart by taking the live view's report through this.
class LiveViewCallbacks : public Camera_LiveView_Gui::CallbackFunctions {
public:
    explicit LiveViewCallbacks(std::function<void(bool)> visibility);

    void visibilityChanged(bool visible) override;

private:
    std::function<void(bool)> m_visibility;
};
