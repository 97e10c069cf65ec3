#include "Camera_SettingsPush.h"

#include "Camera_Control.h"

namespace {

QString number(double value)
{
    return QString::number(value, 'g', 17);
}

QString flag(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString frameRate(double rate, bool maximum)
{
    return number(rate) + QLatin1Char('/') + flag(maximum);
}

class Push {
public:
    Push(Camera_Control& camera, Camera_Settings_Data& current, const Camera_Settings_Data& wanted,
         QHash<QString, QString>& refused)
        : c(camera)
        , now(current)
        , want(wanted)
        , refusals(refused)
    {
    }

    void run();

    QList<Errors::Type_Error> failures;

private:
    // true when the setter of the field succeeded; a failure is recorded unless the same
    // value of the field was refused before.
    bool ok(Errors::Type_Error error, const QString& field, const QString& value)
    {
        if (!error) {
            // A field of several setters succeeds one setter at a time: its refused value is
            // forgotten once another value of the field is pushed, not by an earlier setter.
            const auto known = refusals.find(field);
            if (known != refusals.end() && *known != value)
                refusals.erase(known);
            return true;
        }
        const auto known = refusals.constFind(field);
        if (known == refusals.constEnd() || *known != value)
            failures.append(error);
        refusals.insert(field, value);
        return false;
    }
    bool timeouts(int wait, const QString& field, const QString& value)
    {
        return ok(c.SetGrabTimeout(wait), field, value) && ok(c.SetApiTimeout(wait + 2000), field, value);
    }
    bool thousandths(double value, Errors::Type_Error (Camera_Control::*setter)(int), const QString& field)
    {
        int converted = 0;
        return ok(Camera_Control::ToThousandths(value, converted) ? (c.*setter)(converted) : 24, field, number(value));
    }

    Camera_Control& c;
    Camera_Settings_Data& now;
    const Camera_Settings_Data& want;
    QHash<QString, QString>& refusals;
};

void Push::run()
{
    auto& s = now.Settings;
    const auto& ws = want.Settings;
    // They act on the next grab only.
    now.Picture.Multiples = want.Picture.Multiples;
    now.Picture.Rotate = want.Picture.Rotate;

    if ((s.FrameRate != ws.FrameRate || s.FrameRateMaxMode != ws.FrameRateMaxMode)
        && ok(c.SetFrameRate(ws.FrameRate, ws.FrameRateMaxMode), QStringLiteral("FrameRate"),
              frameRate(ws.FrameRate, ws.FrameRateMaxMode))) {
        s.FrameRate = ws.FrameRate;
        s.FrameRateMaxMode = ws.FrameRateMaxMode;
    }
    if (s.ExposureTime != ws.ExposureTime
        && ok(c.SetExposure(ws.ExposureTime), QStringLiteral("ExposureTime"), number(ws.ExposureTime)))
        s.ExposureTime = ws.ExposureTime;
    if (s.PixelClock != ws.PixelClock
        && ok(c.SetPixelClock(ws.PixelClock), QStringLiteral("PixelClock"), QString::number(ws.PixelClock))) {
        s.PixelClock = ws.PixelClock;
        ok(c.SetFrameRate(s.FrameRate, s.FrameRateMaxMode), QStringLiteral("FrameRate"),
           frameRate(s.FrameRate, s.FrameRateMaxMode));
        ok(c.SetExposure(s.ExposureTime), QStringLiteral("ExposureTime"), number(s.ExposureTime));
    }
    if (s.EdgeEnhancement != ws.EdgeEnhancement
        && ok(c.SetEdgeEnhancement(ws.EdgeEnhancement), QStringLiteral("EdgeEnhancement"),
              QString::number(ws.EdgeEnhancement)))
        s.EdgeEnhancement = ws.EdgeEnhancement;
    if (s.GainMaster != ws.GainMaster
        && ok(c.SetGainMaster(ws.GainMaster), QStringLiteral("GainMaster"), QString::number(ws.GainMaster)))
        s.GainMaster = ws.GainMaster;
    if (s.GammaCorrection != ws.GammaCorrection
        && ok(c.SetGamma(ws.GammaCorrection), QStringLiteral("GammaCorrection"), number(ws.GammaCorrection)))
        s.GammaCorrection = ws.GammaCorrection;

    auto& p = now.Picture;
    const auto& wp = want.Picture;
    if ((p.MirrorLeftRight != wp.MirrorLeftRight || p.MirrorUpDown != wp.MirrorUpDown)
        && ok(c.SetFlip(wp.MirrorLeftRight, wp.MirrorUpDown), QStringLiteral("Mirror"),
              flag(wp.MirrorLeftRight) + QLatin1Char('/') + flag(wp.MirrorUpDown))) {
        p.MirrorLeftRight = wp.MirrorLeftRight;
        p.MirrorUpDown = wp.MirrorUpDown;
    }
    const QString balance = QStringLiteral("%1/%2/%3/%4")
                                .arg(ws.WhiteBalanceMode)
                                .arg(ws.WhiteBalanceR)
                                .arg(ws.WhiteBalanceG)
                                .arg(ws.WhiteBalanceB);
    if (s.ColorSpace == 2
        && (s.WhiteBalanceMode != ws.WhiteBalanceMode || s.WhiteBalanceR != ws.WhiteBalanceR
            || s.WhiteBalanceG != ws.WhiteBalanceG || s.WhiteBalanceB != ws.WhiteBalanceB)
        && ok(c.SetWhiteBalance(ws.WhiteBalanceMode, ws.WhiteBalanceR, ws.WhiteBalanceG, ws.WhiteBalanceB),
              QStringLiteral("WhiteBalance"), balance)) {
        s.WhiteBalanceMode = ws.WhiteBalanceMode;
        s.WhiteBalanceR = ws.WhiteBalanceR;
        s.WhiteBalanceG = ws.WhiteBalanceG;
        s.WhiteBalanceB = ws.WhiteBalanceB;
    }

    auto& t = now.ExternalTrigger;
    const auto& wt = want.ExternalTrigger;
    if (t.TriggerTimeout != wt.TriggerTimeout
        && timeouts(Camera_Control::TriggerTimeoutMs(wt.TriggerTimeout), QStringLiteral("TriggerTimeout"),
                    QString::number(wt.TriggerTimeout)))
        t.TriggerTimeout = wt.TriggerTimeout;
    if (t.Used != wt.Used) {
        const QString field = QStringLiteral("TriggerUsed");
        const QString value = flag(wt.Used);
        bool done = false;
        if (wt.Used)
            done = ok(c.SetExternalTrigger(true), field, value)
                && timeouts(Camera_Control::TriggerTimeoutMs(t.TriggerTimeout), field, value);
        else
            done = timeouts(10000, field, value) && ok(c.SetExternalTrigger(now.ExternalFlash.Used), field, value);
        if (done)
            t.Used = wt.Used;
    }

    auto& f = now.ExternalFlash;
    const auto& wf = want.ExternalFlash;
    if (f.StrobeInvert != wf.StrobeInvert
        && ok(c.SetStrobeInvert(wf.StrobeInvert), QStringLiteral("StrobeInvert"), flag(wf.StrobeInvert)))
        f.StrobeInvert = wf.StrobeInvert;
    if (f.StrobeDelay != wf.StrobeDelay
        && thousandths(wf.StrobeDelay, &Camera_Control::SetStrobeDelay, QStringLiteral("StrobeDelay")))
        f.StrobeDelay = wf.StrobeDelay;
    if (f.StrobeDuration != wf.StrobeDuration
        && thousandths(wf.StrobeDuration, &Camera_Control::SetStrobeDuration, QStringLiteral("StrobeDuration")))
        f.StrobeDuration = wf.StrobeDuration;
    if (f.Used != wf.Used) {
        const QString field = QStringLiteral("FlashUsed");
        const QString value = flag(wf.Used);
        bool done = false;
        if (wf.Used)
            done = ok(c.SetExternalTrigger(true), field, value) && ok(c.SetStrobe(true), field, value)
                && ok(c.SetStrobeInvert(f.StrobeInvert), field, value)
                && thousandths(f.StrobeDelay, &Camera_Control::SetStrobeDelay, field)
                && thousandths(f.StrobeDuration, &Camera_Control::SetStrobeDuration, field);
        else
            done = ok(c.SetExternalTrigger(t.Used), field, value) && ok(c.SetStrobe(false), field, value);
        if (done)
            f.Used = wf.Used;
    }
}

} // namespace

QList<Errors::Type_Error> Camera_SettingsPush::apply(Camera_Control& camera, Camera_Settings_Data& current,
                                                     const Camera_Settings_Data& wanted,
                                                     QHash<QString, QString>& refused)
{
    Push push(camera, current, wanted, refused);
    push.run();
    return push.failures;
}
