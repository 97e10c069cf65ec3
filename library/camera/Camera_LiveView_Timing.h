#pragma once

#include <functional>

// The waits of the live view, in milliseconds. Tests shorten them; the program keeps the
// defaults.
struct Camera_LiveView_Timing {
    int waitTimeout = 15000; // for a live picture or an aid's first result
    int waitStep = 20; // events are processed between two looks
    int grabbedIndicator = 150; // how long the state shows a picture just arrived

    static Camera_LiveView_Timing current();
    static void set(const Camera_LiveView_Timing& timing);

    // Looks at done every wait step, keeping the calling thread's events flowing, until it
    // holds (true) or the time-out has passed (false). A steady clock measures the time.
    static bool waitFor(const std::function<bool()>& done);
};
