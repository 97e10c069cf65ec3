#pragma once

#include <QDateTime>

#include <memory>

class QLabel;
class QMovie;
class QPushButton;

// The running state an analysis page shows below its results: the start/stop button with
// the icon of what it does next, how long the last run took, and a busy animation while a
// run works. Used by the Colony Analyser and the Image Stitcher page.
class RunStateDisplay {
public:
    // The widgets belong to the page and outlive this; context is the page's translation
    // context of the texts.
    RunStateDisplay(QPushButton* startStop, QLabel* duration, QLabel* runningState, const char* context);
    ~RunStateDisplay();

    // Button enabled with the stop icon, "wait ..." as duration, animation on.
    void started();
    // Button enabled with the start icon, the seconds since started() with three significant
    // digits, animation off.
    void stopped();

private:
    QPushButton* m_startStop;
    QLabel* m_duration;
    std::unique_ptr<QMovie> m_movie;
    const char* m_context;
    QDateTime m_startTime;
};
