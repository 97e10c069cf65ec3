#include "Camera.h"

#include "Camera_Settings.h"
#include "Camera_SettingsPush.h"
#include "Camera_Timing.h"
#include "Gui_Helper.h"
#include "Halcon_Helper.h"

#include <HalconAcquisition.h>
#include <HalconChannelOps.h>
#include <HalconErrors.h>
#include <HalconImageOps.h>
#include <HalconObjectOps.h>
#include <HalconTransformOps.h>

#include <QDeadlineTimer>

#include <algorithm>
#include <chrono>
#include <thread>

using Halcon::HTuple;
using Halcon::Hobject;

namespace {

void pause(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// The library's code of a camera that stays busy: here, one being opened or closed.
constexpr Errors::Type_Error kBusy = 20;

// The camera refused the record's settings: a fresh open would be refused the same way.
bool settingsRefused(Errors::Type_Error error)
{
    return error == 3 || error == 23;
}

} // namespace

Camera::Camera(Camera_Settings* settings, QThread::Priority priority, QObject* parent)
    : QThread(parent)
    , Camera_Control(settings)
{
    Halcon::registerHalconMetaTypes();
    qRegisterMetaType<Errors::Type_Error>("Errors::Type_Error");
    if (settings) {
        CopySettings(*settings);
        connect(settings, &Camera_Settings::signal_changed, this, &Camera::slot_camera_settings_changed);
    }
    start(priority);
}

Camera::~Camera()
{
    // Nothing that runs in the waits below may open the camera again.
    m_exclusive = true;
    m_terminate = true;
    wakeThread();
    AbortGrab();
    while (!wait(100)) {
        releaseEdgeWait();
        Gui_Helper::waitProcessingEvents(0);
    }
    closeCamera();
}

Errors::Type_Error Camera::SetLiveMode(bool on)
{
    m_liveMode = on;
    wakeThread();
    return 0;
}

Camera_Settings_Data Camera::GetSettingsCopy() const
{
    std::lock_guard lock(m_copyMutex);
    return m_copy;
}

void Camera::CopySettings(const Camera_Settings_Data& from)
{
    std::lock_guard lock(m_copyMutex);
    m_copy = from;
}

void Camera::eepromChanged(const QString& userText)
{
    emit signal_eepromChanged(userText);
}

void Camera::parameterRefused(Errors::Type_Error error, const QString& parameter, const QString& value)
{
    emit signal_refused(error, parameter, value);
}

void Camera::setStateHook(std::function<void(int state)> hook)
{
    std::lock_guard lock(m_hookMutex);
    m_stateHook = std::move(hook);
}

void Camera::callStateHook(int state)
{
    std::function<void(int)> hook;
    {
        std::lock_guard lock(m_hookMutex);
        hook = m_stateHook;
    }
    if (hook)
        hook(state);
}

// ---- Waiting --------------------------------------------------------------------------------------

void Camera::threadSleep(int milliseconds)
{
    std::unique_lock lock(m_wakeMutex);
    m_wake.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return m_woken; });
    m_woken = false;
}

void Camera::wakeThread()
{
    {
        std::lock_guard lock(m_wakeMutex);
        m_woken = true;
    }
    m_wake.notify_all();
}

void Camera::waitFor(const std::function<bool()>& done)
{
    const int step = Camera_Timing::current().waitStep;
    while (!done())
        Gui_Helper::waitProcessingEvents(unsigned(step));
}

void Camera::releaseEdgeWait()
{
    const int acqHandle = handle();
    if (m_waitingForTrigger && acqHandle != -1)
        Halcon::set_framegrabber_param(HTuple(acqHandle), "do_force_trigger", "");
}

bool Camera::beginExclusive()
{
    bool expected = false;
    return m_exclusive.compare_exchange_strong(expected, true);
}

void Camera::endExclusive()
{
    m_exclusive = false;
    if (m_recheckSettings.exchange(false))
        QMetaObject::invokeMethod(this, &Camera::slot_camera_settings_changed, Qt::QueuedConnection);
}

void Camera::discardPendingSettings()
{
    m_settingsChanged = false;
    std::lock_guard lock(m_pendingMutex);
    m_hasPending = false;
}

// ---- Thread ---------------------------------------------------------------------------------------

void Camera::run()
{
    while (!m_terminate) {
        const Camera_Timing timing = Camera_Timing::current();
        const int state = m_state;
        if (state == State_Start || state == State_Stopping)
            callStateHook(state);
        switch (m_state) {
        case State_Idle:
            threadSleep(timing.idlePoll);
            break;
        case State_Start:
            warmUp();
            break;
        case State_Running:
            if (m_liveMode)
                runLive();
            else
                threadSleep(timing.runningPoll);
            if (m_stopRequest)
                m_state = State_Stopping;
            break;
        case State_Stopping:
            m_stopRequest = false;
            m_state = State_Stopped;
            break;
        default:
            m_state = State_Idle;
            break;
        }
        pushSettings();
    }
    m_state = State_Idle;
}

void Camera::warmUp()
{
    std::unique_lock picture(m_pictureMutex);
    std::unique_lock grabber(m_grabberMutex);
    m_state = State_WarmUp;
    const Camera_Settings_Data copy = GetSettingsCopy();
    const Camera_Timing timing = Camera_Timing::current();
    // Automatic white balance needs longer to settle.
    const bool autoWhite = copy.Settings.ColorSpace == 2
        && (copy.Settings.WhiteBalanceMode == 2 || copy.Settings.WhiteBalanceMode == 3);
    const QDeadlineTimer deadline(autoWhite ? timing.warmUpAutoWhiteBalance : timing.warmUp, Qt::PreciseTimer);
    int grabs = autoWhite ? timing.warmUpAutoWhiteBalanceGrabs : timing.warmUpGrabs;
    // An abort ends the warm-up too, so that a close need not wait for it.
    while ((!deadline.hasExpired() || grabs > 0) && !m_stopRequest && !m_abort && !m_terminate) {
        Hobject discarded;
        grabFrame(discarded, false);
        if (grabs > 0)
            --grabs;
    }
    grabber.unlock();
    picture.unlock();
    m_state = m_stopRequest ? State_Stopping : State_Running;
}

void Camera::runLive()
{
    giveWayToGrabberWaiters();
    Hobject picture;
    const Errors::Type_Error error = GrabImage(false, picture);
    if (error)
        Halcon_Helper::ClearObject(picture);
    if (error != 17)
        postLivePicture(error, picture);
    // A camera that fails at once must not flood the receivers.
    if (error)
        threadSleep(Camera_Timing::current().runningPoll);
}

void Camera::postLivePicture(Errors::Type_Error error, const Hobject& picture)
{
    {
        std::lock_guard lock(m_liveMailMutex);
        if (error == 0 && !m_liveMail.isEmpty() && m_liveMail.last().error == 0)
            m_liveMail.last().picture = picture;
        else
            m_liveMail.append({error, picture});
        if (m_liveMailPosted)
            return;
        m_liveMailPosted = true;
    }
    QMetaObject::invokeMethod(this, &Camera::deliverLivePictures, Qt::QueuedConnection);
}

void Camera::deliverLivePictures()
{
    QList<LiveMail> mail;
    {
        std::lock_guard lock(m_liveMailMutex);
        mail.swap(m_liveMail);
        m_liveMailPosted = false;
    }
    for (const LiveMail& item : std::as_const(mail))
        emit signal_picture(item.error, item.picture);
}

void Camera::pushSettings()
{
    if (!m_settingsChanged.exchange(false))
        return;
    const Camera_Timing timing = Camera_Timing::current();
    std::unique_lock grabber(m_grabberMutex, std::defer_lock);
    while (!grabber.try_lock()) {
        if (m_terminate)
            return;
        if (m_waitingForTrigger)
            AbortGrab();
        threadSleep(timing.pushRetryPause);
    }
    Camera_Settings_Data wanted;
    {
        std::lock_guard lock(m_pendingMutex);
        if (!m_hasPending)
            return;
        wanted = m_pending;
        m_hasPending = false;
    }
    Camera_Settings_Data current = GetSettingsCopy();
    const QList<Errors::Type_Error> failures = Camera_SettingsPush::apply(*this, current, wanted, m_refusedPushes);
    CopySettings(current);
    grabber.unlock();
    for (const Errors::Type_Error error : failures)
        emit signal_error(error);
    if (m_state != State_Idle)
        emit signal_settingsChanged();
}

void Camera::slot_camera_settings_changed()
{
    if (m_state == State_Idle || !m_settings)
        return;
    const Camera_Settings_Data wanted = m_settings->data();
    const Camera_Settings_Data copy = GetSettingsCopy();
    if (wanted.Device.CameraInterface == copy.Device.CameraInterface
        && wanted.Device.CameraType == copy.Device.CameraType
        && wanted.Device.CameraDevice == copy.Device.CameraDevice
        && wanted.Device.CameraSerialNumber == copy.Device.CameraSerialNumber
        && wanted.Device.ConnectionMode == copy.Device.ConnectionMode
        && wanted.Settings.ColorSpace == copy.Settings.ColorSpace) {
        {
            std::lock_guard lock(m_pendingMutex);
            m_pending = wanted;
            m_hasPending = true;
        }
        m_settingsChanged = true;
        wakeThread();
        return;
    }
    if (!beginExclusive()) {
        m_recheckSettings = true;
        return;
    }
    closeCamera();
    const Errors::Type_Error error = openCamera();
    endExclusive();
    if (error)
        emit signal_error(error);
}

// ---- Open and close -------------------------------------------------------------------------------

Errors::Type_Error Camera::Open()
{
    if (!m_settings)
        return 3;
    if (!beginExclusive())
        return kBusy;
    const Errors::Type_Error error = openCamera();
    endExclusive();
    return error;
}

Errors::Type_Error Camera::Close()
{
    if (!beginExclusive())
        return kBusy;
    closeCamera();
    endExclusive();
    return 0;
}

Errors::Type_Error Camera::openCamera()
{
    closeCamera();
    m_stopRequest = false;
    m_abort = false;
    m_waitingForTrigger = false;
    resetDeviceState();
    Errors::Type_Error error = 0;
    {
        // A push still under way must not carry old values onto the new camera.
        std::lock_guard grabber(m_grabberMutex);
        discardPendingSettings();
        m_refusedPushes.clear();
        CopySettings(*m_settings);
        error = OpenDevice(GetSettingsCopy());
    }
    if (error)
        return error;
    m_state = State_Start;
    wakeThread();
    waitFor([this] { return m_state != State_Start; });
    emit signal_open();
    return 0;
}

Errors::Type_Error Camera::closeCamera()
{
    // The stop goes first, so that no grab starts after the abort below.
    if (m_state != State_Idle) {
        m_stopRequest = true;
        wakeThread();
    }
    AbortGrab();
    waitFor([this] {
        releaseEdgeWait();
        return m_state == State_Idle;
    });
    {
        std::lock_guard picture(m_pictureMutex);
        std::lock_guard grabber(m_grabberMutex);
        CloseDevice();
        discardPendingSettings();
    }
    emit signal_close();
    return 0;
}

Errors::Type_Error Camera::AbortGrab()
{
    if (handle() == -1)
        return 0;
    if (m_grabberMutex.try_lock()) {
        m_grabberMutex.unlock();
        return 0;
    }
    m_abort = true;
    // Warm-up and live grabs of a camera without a software trigger wait for an edge too.
    if (m_waitingForTrigger
        && Halcon::set_framegrabber_param(HTuple(handle()), "do_force_trigger", "") != Halcon::H_MSG_TRUE)
        return 17;
    const int step = Camera_Timing::current().waitStep;
    while (!tryLockGrabber(100))
        pause(step);
    m_abort = false;
    m_grabberMutex.unlock();
    return 0;
}

// ---- Pictures -------------------------------------------------------------------------------------

Errors::Type_Error Camera::GetPicture(Hobject& picture)
{
    Halcon_Helper::ClearObject(picture);
    std::lock_guard lock(m_pictureMutex);
    if (Halcon_Helper::CheckImage(m_lastPicture))
        return 15;
    picture = m_lastPicture;
    return 0;
}

Errors::Type_Error Camera::SetPicture(const Hobject& picture)
{
    {
        std::lock_guard lock(m_pictureMutex);
        m_lastPicture = picture;
    }
    if (m_liveMode)
        emit signal_picture(0, picture);
    return 0;
}

Errors::Type_Error Camera::GrabPicture(bool byTrigger)
{
    if (m_state == State_Idle)
        return 13;
    if (byTrigger && !GetSettingsCopy().ExternalTrigger.Used)
        return 19;
    Hobject grabbed;
    Errors::Type_Error error = 0;
    {
        std::lock_guard lock(m_pictureMutex);
        m_abort = false;
        Halcon_Helper::ClearObject(m_lastPicture);
        error = GrabImage(byTrigger, grabbed);
        if (!error)
            m_lastPicture = grabbed;
    }
    if (error == 17 || (error == 18 && GetSettingsCopy().ExternalTrigger.Used) || settingsRefused(error))
        return error;
    if (error) {
        // A camera that failed hard often works again after a fresh open.
        if (!beginExclusive())
            return 16;
        closeCamera();
        Gui_Helper::waitProcessingEvents(unsigned(Camera_Timing::current().reopenPause));
        const Errors::Type_Error reopened = openCamera();
        endExclusive();
        if (reopened)
            return 16;
        std::lock_guard lock(m_pictureMutex);
        error = GrabImage(byTrigger, grabbed);
        if (error)
            return error;
        m_lastPicture = grabbed;
    }
    if (m_liveMode)
        emit signal_picture(0, grabbed);
    return 0;
}

Errors::Type_Error Camera::GrabImage(bool byTrigger, Hobject& picture)
{
    Halcon_Helper::ClearObject(picture);
    if (handle() == -1)
        return 13;
    const Camera_Settings_Data copy = GetSettingsCopy();
    if (byTrigger && !copy.ExternalTrigger.Used)
        return 19;
    const int multiples = copy.Picture.Multiples;
    if (multiples > MaximumMultiples)
        return 3;
    const Camera_Timing timing = Camera_Timing::current();
    Hobject collected;
    {
        std::lock_guard grabber(m_grabberMutex);
        if (m_abort.exchange(false))
            return 17;
        const int wanted = std::max(1, multiples);
        const int maximumAttempts = multiples < 2 ? 4 : multiples * 3;
        int good = 0;
        int attempt = 0;
        Halcon::Herror last = Halcon::H_MSG_TRUE;
        while (good < wanted && attempt < maximumAttempts) {
            const bool triggered = byTrigger && attempt == 0;
            if (triggered) {
                int delay = 0;
                if (!ToThousandths(copy.ExternalTrigger.TriggerDelay, delay))
                    return 23;
                if (const Errors::Type_Error error = SetTriggerDelay(delay))
                    return error;
                if (const Errors::Type_Error error = SetTriggerSignal(copy.ExternalTrigger.TriggerSignal)) {
                    SetTriggerDelay(0);
                    return error;
                }
            }
            Hobject image;
            last = grabFrame(image, triggered);
            if (triggered) {
                // Only the first grab of a picture waits for the configured edge.
                if (const Errors::Type_Error error = SetTriggerDelay(0)) {
                    SetTriggerSignal(3);
                    return error;
                }
                if (const Errors::Type_Error error = SetTriggerSignal(3))
                    return error;
            }
            if (m_abort.exchange(false))
                return 17;
            if (last == Halcon::H_MSG_TRUE) {
                Halcon::concat_obj(collected, image, &collected);
                ++good;
                ++attempt;
                continue;
            }
            if (triggered && last == Halcon::kErrAcqTimeout) {
                if (copy.ExternalTrigger.TriggerTimeout != 0)
                    return 18;
                continue; // wait for the trigger again, without limit
            }
            ++attempt;
            pause(timing.grabRetryPause);
        }
        if (good < wanted)
            return multiples < 2 && last == Halcon::kErrAcqTimeout ? 18 : 14;
    }

    Hobject result = collected;
    if (multiples > 1) {
        if (const Errors::Type_Error error = AveragePictures(collected, result))
            return error;
    }
    if (mirrorLeftRight() && Halcon::mirror_image(result, &result, "column") != Halcon::H_MSG_TRUE)
        return 14;
    if (mirrorUpDown() && Halcon::mirror_image(result, &result, "row") != Halcon::H_MSG_TRUE)
        return 14;
    const double turns[] = {0.0, 0.0, 90.0, 270.0, 180.0};
    const int rotate = copy.Picture.Rotate;
    if (rotate >= 2 && rotate <= 4 && Halcon::rotate_image(result, &result, turns[rotate], "none") != Halcon::H_MSG_TRUE)
        return 14;
    picture = result;
    return 0;
}

Halcon::Herror Camera::grabFrame(Hobject& image, bool triggered)
{
    if (triggered || grabWaitsForEdge()) {
        m_waitingForTrigger = true;
        if (m_abort) {
            m_waitingForTrigger = false;
            return Halcon::kErrAcqGrabFailed;
        }
    }
    const Halcon::Herror result = Halcon::grab_image(&image, HTuple(handle()));
    m_waitingForTrigger = false;
    return result;
}

Errors::Type_Error Camera::AveragePictures(const Hobject& pictures, Hobject& result)
{
    const int colorSpace = GetSettingsCopy().Settings.ColorSpace;
    if (colorSpace == 1) {
        Hobject channels;
        if (Halcon::channels_to_image(pictures, &channels) != Halcon::H_MSG_TRUE
            || Halcon::mean_n(channels, &result) != Halcon::H_MSG_TRUE)
            return 40;
        return 0;
    }
    if (colorSpace != 2)
        return 3;
    Hobject planes[3], means[3];
    if (Halcon::decompose3(pictures, &planes[0], &planes[1], &planes[2]) != Halcon::H_MSG_TRUE)
        return 40;
    for (int c = 0; c < 3; ++c) {
        Hobject channels;
        if (Halcon::channels_to_image(planes[c], &channels) != Halcon::H_MSG_TRUE
            || Halcon::mean_n(channels, &means[c]) != Halcon::H_MSG_TRUE)
            return 40;
    }
    return Halcon::compose3(means[0], means[1], means[2], &result) == Halcon::H_MSG_TRUE ? 0 : 40;
}
