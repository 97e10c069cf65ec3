#pragma once

class QString;

// Status text of the running analysis, shown on the host page at once.
class IProgress {
public:
    virtual ~IProgress() = default;

    virtual void setProgressText(const QString& text) = 0;
};
