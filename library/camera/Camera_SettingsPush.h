#pragma once

#include "Camera_Settings_Data.h"
#include "Errors.h"

#include <QHash>
#include <QList>
#include <QString>

class Camera_Control;

// Brings an open camera from the values it runs with to the values of the record, changing
// only what differs, in a fixed order (the pixel clock bounds frame rate and exposure, so
// those follow it). The device, the colour space, the trigger signal and delay reach the
// camera only with the next open.
class Camera_SettingsPush {
public:
    // current takes every value whose setter succeeded, so it keeps telling what the camera
    // runs with, and a refused value is tried again at the next push. refused holds the
    // refused value of each field: the codes of the setters that failed come back in call
    // order, but only for a value not refused before, so each refusal is told once.
    static QList<Errors::Type_Error> apply(Camera_Control& camera, Camera_Settings_Data& current,
                                           const Camera_Settings_Data& wanted, QHash<QString, QString>& refused);
};
