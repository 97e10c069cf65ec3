#include "Camera_SettingsPush.h"

#include "Camera_Control.h"

namespace {

class Push {
public:
    Push(Camera_Control& camera, Camera_Settings_Data& current, const Camera_Settings_Data& wanted)
        : c(camera)
        , now(current)
        , want(wanted)
    {
    }

    void run();

    QList<Errors::Type_Error> failures;

private:
    // Records a failure; true when the setter succeeded.
    bool ok(Errors::Type_Error error)
    {
        if (error)
            failures.append(error);
        return !error;
    }
    bool timeouts(int wait) { return ok(c.SetGrabTimeout(wait)) && ok(c.SetApiTimeout(wait + 2000)); }
    bool thousandths(double value, Errors::Type_Error (Camera_Control::*setter)(int))
    {
        int converted = 0;
        return ok(Camera_Control::ToThousandths(value, converted) ? (c.*setter)(converted) : 24);
    }

    Camera_Control& c;
    Camera_Settings_Data& now;
    const Camera_Settings_Data& want;
};

void Push::run()
{
    auto& s = now.Settings;
    const auto& ws = want.Settings;
    // They act on the next grab only.
    now.Picture.Multiples = want.Picture.Multiples;
    now.Picture.Rotate = want.Picture.Rotate;

    if ((s.FrameRate != ws.FrameRate || s.FrameRateMaxMode != ws.FrameRateMaxMode)
        && ok(c.SetFrameRate(ws.FrameRate, ws.FrameRateMaxMode))) {
        s.FrameRate = ws.FrameRate;
        s.FrameRateMaxMode = ws.FrameRateMaxMode;
    }
    if (s.ExposureTime != ws.ExposureTime && ok(c.SetExposure(ws.ExposureTime)))
        s.ExposureTime = ws.ExposureTime;
    if (s.PixelClock != ws.PixelClock && ok(c.SetPixelClock(ws.PixelClock))) {
        s.PixelClock = ws.PixelClock;
        ok(c.SetFrameRate(s.FrameRate, s.FrameRateMaxMode));
        ok(c.SetExposure(s.ExposureTime));
    }
    if (s.EdgeEnhancement != ws.EdgeEnhancement && ok(c.SetEdgeEnhancement(ws.EdgeEnhancement)))
        s.EdgeEnhancement = ws.EdgeEnhancement;
    if (s.GainMaster != ws.GainMaster && ok(c.SetGainMaster(ws.GainMaster)))
        s.GainMaster = ws.GainMaster;
    if (s.GammaCorrection != ws.GammaCorrection && ok(c.SetGamma(ws.GammaCorrection)))
        s.GammaCorrection = ws.GammaCorrection;

    auto& p = now.Picture;
    if ((p.MirrorLeftRight != want.Picture.MirrorLeftRight || p.MirrorUpDown != want.Picture.MirrorUpDown)
        && ok(c.SetFlip(want.Picture.MirrorLeftRight, want.Picture.MirrorUpDown))) {
        p.MirrorLeftRight = want.Picture.MirrorLeftRight;
        p.MirrorUpDown = want.Picture.MirrorUpDown;
    }
    if (s.ColorSpace == 2
        && (s.WhiteBalanceMode != ws.WhiteBalanceMode || s.WhiteBalanceR != ws.WhiteBalanceR
            || s.WhiteBalanceG != ws.WhiteBalanceG || s.WhiteBalanceB != ws.WhiteBalanceB)
        && ok(c.SetWhiteBalance(ws.WhiteBalanceMode, ws.WhiteBalanceR, ws.WhiteBalanceG, ws.WhiteBalanceB))) {
        s.WhiteBalanceMode = ws.WhiteBalanceMode;
        s.WhiteBalanceR = ws.WhiteBalanceR;
        s.WhiteBalanceG = ws.WhiteBalanceG;
        s.WhiteBalanceB = ws.WhiteBalanceB;
    }

    auto& t = now.ExternalTrigger;
    const auto& wt = want.ExternalTrigger;
    if (t.TriggerTimeout != wt.TriggerTimeout && timeouts(Camera_Control::TriggerTimeoutMs(wt.TriggerTimeout)))
        t.TriggerTimeout = wt.TriggerTimeout;
    if (t.Used != wt.Used) {
        const bool done = wt.Used
            ? ok(c.SetExternalTrigger(true)) && timeouts(Camera_Control::TriggerTimeoutMs(t.TriggerTimeout))
            : timeouts(10000) && ok(c.SetExternalTrigger(now.ExternalFlash.Used));
        if (done)
            t.Used = wt.Used;
    }

    auto& f = now.ExternalFlash;
    const auto& wf = want.ExternalFlash;
    if (f.StrobeInvert != wf.StrobeInvert && ok(c.SetStrobeInvert(wf.StrobeInvert)))
        f.StrobeInvert = wf.StrobeInvert;
    if (f.StrobeDelay != wf.StrobeDelay && thousandths(wf.StrobeDelay, &Camera_Control::SetStrobeDelay))
        f.StrobeDelay = wf.StrobeDelay;
    if (f.StrobeDuration != wf.StrobeDuration && thousandths(wf.StrobeDuration, &Camera_Control::SetStrobeDuration))
        f.StrobeDuration = wf.StrobeDuration;
    if (f.Used != wf.Used) {
        const bool done = wf.Used
            ? ok(c.SetExternalTrigger(true)) && ok(c.SetStrobe(true)) && ok(c.SetStrobeInvert(f.StrobeInvert))
                && thousandths(f.StrobeDelay, &Camera_Control::SetStrobeDelay)
                && thousandths(f.StrobeDuration, &Camera_Control::SetStrobeDuration)
            : ok(c.SetExternalTrigger(t.Used)) && ok(c.SetStrobe(false));
        if (done)
            f.Used = wf.Used;
    }
}

} // namespace

QList<Errors::Type_Error> Camera_SettingsPush::apply(Camera_Control& camera, Camera_Settings_Data& current,
                                                     const Camera_Settings_Data& wanted)
{
    Push push(camera, current, wanted);
    push.run();
    return push.failures;
}
