#pragma once

// Polled by the engine inside its loops; true while a stop of the running analysis has been
// requested. Implemented by the analysis worker.
class ITaskCancellation {
public:
    virtual ~ITaskCancellation() = default;

    virtual bool isCancelled() = 0;
};
