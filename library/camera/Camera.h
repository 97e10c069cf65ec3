#pragma once

#include "Camera_Control.h"
#include "Camera_Settings_Data.h"
#include "Errors.h"

#include <Hobject.h>

#include <QHash>
#include <QList>
#include <QString>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

class Camera_Settings;

// The one camera of the system: a thread that warms the camera up after each open, grabs
// continuously in live mode and pushes changed settings into the open camera, plus the
// operations the GUI thread calls (open, close, take a picture, the last picture) and,
// inherited, the device control of Camera_Control.
//
// Thread use: the GUI thread opens, closes, grabs single pictures and changes the record;
// the camera thread warms up, grabs live and pushes settings. The record is read only in
// the GUI thread; the camera thread works on snapshots. Lock order: picture lock before
// grabber lock.
class Camera : public QThread, public Camera_Control {
    Q_OBJECT
public:
    enum Enum_State { State_Idle = 0, State_Start = 1, State_WarmUp = 2, State_Running = 3, State_Stopping = 4,
                      State_Stopped = 5 };

    // Averaging more grabs than this would hold that many pictures at once; a record
    // asking for more is refused with 3 at the grab.
    static constexpr int MaximumMultiples = 20;

    // Starts the thread at once; the record must outlive the camera.
    Camera(Camera_Settings* settings, QThread::Priority priority, QObject* parent = nullptr);
    ~Camera() override;

    bool IsOpen() const { return m_state != State_Idle; }
    int GetState() const { return m_state; }
    Errors::Type_Error SetLiveMode(bool on);
    bool IsLiveMode() const { return m_liveMode; }
    Camera_Settings* GetSettings() const { return m_settings; }
    // The values the open camera runs with.
    Camera_Settings_Data GetSettingsCopy() const;
    void CopySettings(const Camera_Settings_Data& from);

    // Closes, then opens the camera of the record and lets the thread warm it up; 0 or the
    // first failing code (the camera is closed then). Both wait with the calling thread's
    // events flowing; an open or close asked for meanwhile, from there or elsewhere, is
    // refused with 20 and changes nothing.
    Errors::Type_Error Open();
    Errors::Type_Error Close();
    // One picture into the last picture; after a hard failure the camera is closed, reopened
    // after a pause (the calling thread's events keep flowing) and asked once more. Settings
    // that the camera refuses (3, 23) are not retried: a reopen would not mend them.
    Errors::Type_Error GrabPicture(bool byTrigger);
    // One finished picture: grab with retries, average, mirror and turn.
    Errors::Type_Error GrabImage(bool byTrigger, Halcon::Hobject& picture);
    Errors::Type_Error AveragePictures(const Halcon::Hobject& pictures, Halcon::Hobject& result);
    // Ends a grab in progress (forcing a waiting trigger) and waits until it has ended;
    // 17 when the trigger could not be forced.
    Errors::Type_Error AbortGrab();

    // 15 when there is no picture. Pictures are immutable handles: no pixel is copied.
    Errors::Type_Error GetPicture(Halcon::Hobject& picture);
    Errors::Type_Error SetPicture(const Halcon::Hobject& picture);

    // Test seam: called in the camera thread as it takes up an open (State_Start) and a stop
    // (State_Stopping), before it acts on them.
    void setStateHook(std::function<void(int state)> hook);

signals:
    void signal_picture(Errors::Type_Error error, Halcon::Hobject HobjectPicture);
    // Declared for receivers of the asynchronous grab, which nothing requests.
    void signal_picture_AsynchronousFinished(Errors::Type_Error error);
    void signal_open();
    void signal_close();
    void signal_error(Errors::Type_Error error);
    void signal_settingsChanged();
    void signal_eepromChanged(QString userString);
    // The camera refused a value of one of its parameters (an open fails then; a settings
    // push keeps the value the camera has). In the thread that wrote it.
    void signal_refused(Errors::Type_Error error, QString parameter, QString value);

public slots:
    void slot_camera_settings_changed();

protected:
    void run() override;
    void eepromChanged(const QString& userText) override;
    void parameterRefused(Errors::Type_Error error, const QString& parameter, const QString& value) override;

private:
    // Open and close wait with events flowing; one of them at a time.
    bool beginExclusive();
    void endExclusive();
    Errors::Type_Error openCamera();
    Errors::Type_Error closeCamera();
    // One grab_image. A grab that may wait for a trigger edge says so first and does not
    // start after an abort: an abort either sees it waiting and forces the trigger, or the
    // grab sees the abort.
    Halcon::Herror grabFrame(Halcon::Hobject& image, bool triggered);
    // Forces the trigger of a grab that waits for an edge, so that a stop need not wait for
    // one that may never come.
    void releaseEdgeWait();
    void callStateHook(int state);
    void warmUp();
    void runLive();
    // Camera thread: hands a live picture to the camera's own thread (see m_liveMail).
    void postLivePicture(Errors::Type_Error error, const Halcon::Hobject& picture);
    // Camera's own thread: emits what the mailbox holds.
    void deliverLivePictures();
    void pushSettings();
    // Camera thread: sleeps up to the time unless woken.
    void threadSleep(int milliseconds);
    void wakeThread();
    // GUI thread: waits in steps, keeping its events flowing, until done() holds.
    void waitFor(const std::function<bool()>& done);
    void discardPendingSettings();

    std::atomic<int> m_state{State_Idle};
    std::atomic<bool> m_stopRequest{false};
    std::atomic<bool> m_terminate{false};
    std::atomic<bool> m_settingsChanged{false};
    std::atomic<bool> m_liveMode{false};
    std::atomic<bool> m_abort{false};
    // A grab waits for an edge on the trigger input right now.
    std::atomic<bool> m_waitingForTrigger{false};
    std::atomic<bool> m_exclusive{false};
    // A device change came while an open or close was under way; looked at once it ends.
    std::atomic<bool> m_recheckSettings{false};

    mutable std::mutex m_copyMutex;
    Camera_Settings_Data m_copy;
    std::mutex m_pendingMutex;
    Camera_Settings_Data m_pending;
    bool m_hasPending = false;
    // The pushed values the camera refused, by field, under the grabber lock: each refusal
    // is reported once, not again at every later push that tries it anew.
    QHash<QString, QString> m_refusedPushes;

    std::mutex m_hookMutex;
    std::function<void(int)> m_stateHook;

    // Held while the last picture is replaced or read, and during a whole GrabPicture.
    std::mutex m_pictureMutex;
    Halcon::Hobject m_lastPicture;

    std::mutex m_wakeMutex;
    std::condition_variable m_wake;
    bool m_woken = false;

    // Live pictures not yet emitted. A receiver slower than the camera would otherwise let
    // queued pictures pile up without bound and hold its thread's other events back behind
    // them: a good picture replaces a good one still waiting, so it sees the newest. Failures
    // are kept, each of them is counted.
    struct LiveMail {
        Errors::Type_Error error = 0;
        Halcon::Hobject picture;
    };
    std::mutex m_liveMailMutex;
    QList<LiveMail> m_liveMail;
    bool m_liveMailPosted = false;
};
