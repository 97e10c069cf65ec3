#pragma once

#include <functional>

class Automation_Call;

// The waits of the live view, in milliseconds. Tests shorten them; the program keeps the
// defaults.
struct Camera_LiveView_Timing {
    int waitTimeout = 15000; // for a live picture or an aid's first result
    int waitStep = 20; // events are processed between two looks
    int grabbedIndicator = 150; // how long the state shows a picture just arrived

    static Camera_LiveView_Timing current();
    static void set(const Camera_LiveView_Timing& timing);

    // Looks at done every wait step until it holds (next(true)) or the time-out has passed
    // (next(false)), and answers what next answers: with a call from the event loop, the
    // answer now Automation_Call::Pending; without one in place, the thread's events flowing.
    // A steady clock measures the time.
    static int waitThen(Automation_Call* call, const std::function<bool()>& done,
                        const std::function<int(bool)>& next);
};
