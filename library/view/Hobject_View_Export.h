#pragma once

#include <HalconTypes.h>
#include <Hobject.h>

#include <functional>

class Hobject_View_Gui;

// A viewer's picture as an image: dumped at picture size with and without overlays, and
// saved as a PNG file on the user's choice.
class Hobject_View_Export {
public:
    // Draws the viewer into a window at picture size: pictures, and overlays when asked.
    using Draw = std::function<void(Halcon::Hlong window, bool withOverlays)>;

    // The picture alone and the picture with overlays, width × height pixels; both empty
    // and false when the vision layer fails.
    static bool dump(int width, int height, const Draw& draw, Halcon::Hobject& plainImage,
                     Halcon::Hobject& overlayImage);
    // The save button: asks whether overlays go with the picture and where to, then writes
    // the file. Every question and message goes through the dialog seam.
    static void saveAsked(Hobject_View_Gui* view);
};
