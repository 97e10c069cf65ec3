#pragma once

// What the camera tests share: short waits, a fresh simulation with small sensors, picture
// folders with known pixels, the parameter writes as texts and a receiver of the camera's
// signals in the test's thread.

#include "Camera.h"
#include "Camera_Settings.h"
#include "Camera_Timing.h"

#include "Halcon_Helper.h"

#include <HalconSystemOps.h>
#include <HalconTestPictures.h>
#include <SimulatedCameras.h>

#include <QDir>
#include <QImage>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTest>

#include <cmath>

namespace CameraTestSupport {

namespace Sim = Halcon::SimulatedCameras;

// Short waits: the thread's logic is under test, not its patience.
inline Camera_Timing fastTiming()
{
    Camera_Timing t;
    t.idlePoll = 20;
    t.runningPoll = 10;
    t.waitStep = 5;
    t.warmUp = 30;
    t.warmUpGrabs = 2;
    t.warmUpAutoWhiteBalance = 150;
    t.warmUpAutoWhiteBalanceGrabs = 3;
    t.grabRetryPause = 5;
    t.reopenPause = 30;
    t.pushRetryPause = 10;
    return t;
}

// One small camera per interface (its generated picture is made quickly), no faults.
inline void resetSimulation(int width = 160, int height = 120)
{
    Sim::reset();
    for (const char* name : {"uEye", "LuCam"}) {
        std::vector<Sim::Camera> cameras = Sim::cameras(name);
        for (Sim::Camera& camera : cameras) {
            camera.width = width;
            camera.height = height;
        }
        Sim::setCameras(name, cameras);
    }
}

inline QString valueText(const Halcon::HValue& value)
{
    if (value.IsString())
        return QString::fromStdString(value.Str());
    if (value.IsInteger())
        return QString::number(value.L());
    const double d = value.D();
    return d == std::floor(d) ? QString::number(d, 'f', 1) : QString::number(d, 'g', 12);
}

// Parameter writes since the logs were cleared, as "name=value" (reals with a decimal
// point, so that "1.0" and "1" differ); refused writes end in " refused".
inline QStringList parameterWrites()
{
    QStringList writes;
    for (const Sim::ParameterWrite& write : Sim::parameterLog()) {
        QStringList values;
        for (const Halcon::HValue& v : write.value.Values())
            values.append(valueText(v));
        writes.append(QString::fromStdString(write.parameter) + QLatin1Char('=') + values.join(QLatin1Char(','))
                      + (write.accepted ? QString() : QStringLiteral(" refused")));
    }
    return writes;
}

// Names only, in order.
inline QStringList parameterNames()
{
    QStringList names;
    for (const Sim::ParameterWrite& write : Sim::parameterLog())
        names.append(QString::fromStdString(write.parameter));
    return names;
}

// The pictures as "00.png", "01.png", ... in the folder, served in that order. Qt writes
// them: the layer's writer takes locks inside an image library that ThreadSanitizer
// reports, and writing is not under test here.
inline bool writePictures(const QString& folder, const QList<Halcon::Hobject>& pictures)
{
    for (int i = 0; i < pictures.size(); ++i) {
        const QString file = QDir(folder).filePath(QStringLiteral("%1.png").arg(i, 2, 10, QLatin1Char('0')));
        QImage image;
        if (Halcon_Helper::ToQImage(pictures[i], image) || !image.save(file, "PNG"))
            return false;
    }
    return true;
}

// The camera tests watch the camera's own threads. The layer's operators may run on
// OpenCV's thread pool, whose synchronisation ThreadSanitizer cannot see; they stay on the
// calling thread here (the layer's tests cover them).
inline void prepareCameraTests()
{
    Camera_Timing::set(fastTiming());
    Halcon::set_system("parallelize_operators", "false");
}

// Grey pictures of one value each.
inline bool writeGrayPictures(const QString& folder, const QList<int>& values, int width = 8, int height = 6)
{
    QList<Halcon::Hobject> pictures;
    for (int value : values)
        pictures.append(HalconTestPictures::grayImage(width, height, [value](int, int) { return value; }));
    return writePictures(folder, pictures);
}

// The camera's signals, received in the test's thread as the GUI would receive them.
class CameraRelay : public QObject {
public:
    explicit CameraRelay(Camera& camera)
    {
        connect(&camera, &Camera::signal_picture, this,
                [this](Errors::Type_Error error, const Halcon::Hobject& picture) {
                    pictureErrors.append(error);
                    pictures.append(picture);
                    events.append(QStringLiteral("picture %1").arg(error));
                },
                Qt::QueuedConnection);
        connect(&camera, &Camera::signal_open, this, [this] { events.append(QStringLiteral("open")); },
                Qt::QueuedConnection);
        connect(&camera, &Camera::signal_close, this, [this] { events.append(QStringLiteral("close")); },
                Qt::QueuedConnection);
        connect(&camera, &Camera::signal_error, this,
                [this](Errors::Type_Error error) {
                    errors.append(error);
                    events.append(QStringLiteral("error %1").arg(error));
                },
                Qt::QueuedConnection);
        connect(&camera, &Camera::signal_settingsChanged, this,
                [this] {
                    ++settingsChanged;
                    events.append(QStringLiteral("settings"));
                },
                Qt::QueuedConnection);
        connect(&camera, &Camera::signal_eepromChanged, this,
                [this](const QString& text) { events.append(QStringLiteral("eeprom ") + text); },
                Qt::QueuedConnection);
        connect(&camera, &Camera::signal_refused, this,
                [this](Errors::Type_Error error, const QString& parameter, const QString& value) {
                    refusals.append(QStringLiteral("%1 %2=%3").arg(error).arg(parameter, value));
                },
                Qt::QueuedConnection);
    }

    QList<Errors::Type_Error> pictureErrors;
    QList<Halcon::Hobject> pictures;
    QList<Errors::Type_Error> errors;
    int settingsChanged = 0;
    QStringList events;
    // "code parameter=value"
    QStringList refusals;
};

// A record and its camera, the record outliving the camera, with the signals relayed.
struct CameraFixture {
    CameraFixture()
        : camera(&settings, QThread::NormalPriority)
        , relay(camera)
    {
    }
    Camera_Settings settings;
    Camera camera;
    CameraRelay relay;
};

// Opens the camera and waits until the warm-up is over.
inline bool openAndRun(CameraFixture& f)
{
    if (f.camera.Open())
        return false;
    return QTest::qWaitFor([&] { return f.camera.GetState() == Camera::State_Running; }, 10000);
}

} // namespace CameraTestSupport
