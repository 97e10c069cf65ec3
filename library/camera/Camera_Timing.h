#pragma once

// The waits of the camera, in milliseconds. Tests shorten them; the program keeps the
// defaults. Set them before any Camera exists.
struct Camera_Timing {
    int idlePoll = 250; // thread without an open camera
    int runningPoll = 100; // open camera without live mode
    int waitStep = 20; // one step of a wait for the camera thread
    int warmUp = 1500; // discarded grabs after an open, at least this long ...
    int warmUpGrabs = 4; // ... and at least this many
    int warmUpAutoWhiteBalance = 5000; // the same with automatic white balance
    int warmUpAutoWhiteBalanceGrabs = 5;
    int grabRetryPause = 200; // after a failed grab
    int reopenPause = 3000; // between closing and reopening after a hard failure
    int pushRetryPause = 100; // settings push while a grab holds the camera

    static Camera_Timing current();
    static void set(const Camera_Timing& timing);
};
