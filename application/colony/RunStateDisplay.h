#pragma once

#include <QDateTime>

class QLabel;
class QMovie;
class QObject;
class QPushButton;

// The running state an analysis page shows below its results: the start/stop button with
// the icon of what it does next, how long the last run took, and a busy animation while a
// run works. Used by the Colony Analyser and the Image Stitcher page.
class RunStateDisplay {
public:
    // The widgets and the animation (a child of owner) belong to the page; context is the
    // page's translation context of the texts.
    RunStateDisplay(QPushButton* startStop, QLabel* duration, QLabel* runningState, QObject* owner,
                    const char* context);

    // Button enabled with the stop icon, "wait ..." as duration, animation on.
    void started();
    // Button enabled with the start icon, the seconds since started() with three significant
    // digits, animation off.
    void stopped();

private:
    QPushButton* m_startStop;
    QLabel* m_duration;
    QMovie* m_movie;
    const char* m_context;
    QDateTime m_startTime;
};
