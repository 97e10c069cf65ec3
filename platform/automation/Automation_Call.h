#pragma once

#include <QMetaObject>

#include <deque>
#include <functional>
#include <memory>

class QTimer;

// An automation call that may be answered after its method returned. A part that would wait
// (for a condition, a dialog's end or work on another thread) hands the rest of its work to the
// call and answers Pending; its callers do the same with theirs through then(). The call runs
// that rest from the event loop once its own wait ends, and only then is its client answered.
// No event loop turns inside another for it, so no call's answer waits for a wait or a dialog
// that began after it. Without a call (callers in the same process, the operator's commands)
// every part waits in place, as it always did. GUI thread only.
class Automation_Call : public std::enable_shared_from_this<Automation_Call> {
public:
    // The answer of a part whose work goes on later. No result code has this value, and it
    // fits the 16 bits of one.
    static constexpr int Pending = -32768;
    // A later part of the work: gets the code the wait (or the part before it) ended with.
    using Next = std::function<int(int code)>;
    // Runs a later part inside what the method had around it (its scopes).
    using Frame = std::function<void(const std::function<void()>& part)>;
    // Ends a suspended wait with a code; from any thread, only the first call counts.
    using Resume = std::function<void(int code)>;

    // owner: who the call serves (its object); only compared, never used.
    static std::shared_ptr<Automation_Call> create(const void* owner);
    ~Automation_Call();
    Automation_Call(const Automation_Call&) = delete;
    Automation_Call& operator=(const Automation_Call&) = delete;

    // The call a method serves while a Scope of it lives, also while its later parts run;
    // null elsewhere.
    static Automation_Call* current();
    class Scope {
    public:
        explicit Scope(Automation_Call* call);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        Automation_Call* m_previous;
    };

    const void* owner() const { return m_owner; }
    void setFrame(Frame frame) { m_frame = std::move(frame); }
    // Gets the final code, once, of a call whose method answered Pending.
    void setFinished(std::function<void(int code)> finished) { m_finished = std::move(finished); }
    bool isWaiting() const { return m_waiting; }

    // next(code) at once, unless code is Pending: then next runs after what the call waits for
    // now and the parts queued before it, and the answer is Pending. Works with a null call.
    static int then(Automation_Call* call, int code, Next next);

    // The call waits until the Resume handed to start is called; its rest begins with
    // next(that code). cancel undoes what start began (closes a dialog) when the call is
    // ended instead. Answers Pending.
    int suspend(Next next, const std::function<void(Resume resume)>& start, std::function<void()> cancel = {});
    // Looks at done every stepMs: next(1) once it holds (at once when it does now), next(0)
    // once timeoutMs passed.
    int waitUntil(std::function<bool()> done, int timeoutMs, int stepMs, Next next);
    // Runs work on a thread of the calls' own; next gets its code on this thread.
    int runElsewhere(std::function<int()> work, Next next);
    // Runs work in place without a call, else on a thread of the calls' own as part of it:
    // its code, or Pending.
    static int runForCall(Automation_Call* call, std::function<int()> work);

    // The owner's object went (released, or its client left the bus): dialogs still to come in
    // its calls are not shown.
    static void ownerGone(const void* owner);
    bool isOwnerGone() const { return m_ownerGone; }
    // Ends every waiting call without the rest of its work: what it waits for is cancelled and
    // its answer dropped, which answers its client an error. Work on another thread is let
    // finish first. For the end of the server, before what the calls use goes.
    static void endAll();
    static int waitingCount();

private:
    explicit Automation_Call(const void* owner);

    quint64 beginWait(Next next, std::function<void()> cancel);
    Resume resumer(quint64 wait);
    void resume(quint64 wait, int code);
    void runRest(int code);
    void stopWaiting();

    const void* m_owner;
    std::deque<Next> m_rest;
    Frame m_frame;
    std::function<void(int)> m_finished;
    std::function<void()> m_cancel;
    std::unique_ptr<QTimer> m_timer;
    QMetaObject::Connection m_timerConnection;
    quint64 m_wait = 0;
    bool m_waiting = false;
    bool m_ownerGone = false;
};
