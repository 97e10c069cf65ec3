#pragma once

#include "Errors.h"

#include <Hobject.h>

#include <QString>

class Automation_Call;
class Camera;
class Camera_Settings_Gui;

// The camera as automation clients and the operator's Camera Connect command use it: opening
// with settings given by name, closing, single pictures into the camera's last picture,
// saving and loading that picture. Remembers whether the operator connected the camera: a
// stand-alone program then keeps it open when a client asks to close it. Each new picture
// resets the current optical-axis correction, as a camera picture is no stitched picture.
// Settings files go through the camera settings editor, which keeps the file's name and
// offers to save changed settings before another file replaces them. GUI thread; no
// message boxes of its own.
class CameraOperations {
public:
    static constexpr Errors::Type_Error ErrorCannotLoadSettings = 60;

    CameraOperations(Camera* camera, Camera_Settings_Gui* editor);

    // The camera settings file in use, as the editor keeps it.
    QString settingsFileName() const;
    // At start: the default file is loaded; a missing one gets the defaults written to it;
    // one that exists but does not load is kept, the record holds defaults under no file
    // name and false comes back.
    bool loadAtStart(const QString& file);
    // The settings stored with a rack, under the given file name, handed to the camera;
    // false when the text does not read.
    bool takeOverSettingsText(const QString& text, const QString& fileName);

    bool connectedByOperator() const { return m_connectedByOperator; }

    // Camera_Open: a name (never a path) of a file in the camera settings folder. An open
    // camera takes the new settings through the record's change notice; a closed one is
    // opened with them. 104 for a name that is no plain name, 60 when the file does not
    // load, else the open's code.
    Errors::Type_Error open(const QString& name);
    // A stand-alone program keeps a camera the operator connected.
    Errors::Type_Error close(bool automationServer);
    Errors::Type_Error isOpen(bool& open) const;
    Errors::Type_Error takePicture();
    // 104 for a target that ExportTarget_Guard refuses; 15 without a picture; a size other
    // than 0 and 100 percent scales the picture (3 when that fails or the size is out of
    // range); else the save's code. With a call the picture is scaled and written on another
    // thread as part of it (Automation_Call).
    Errors::Type_Error savePicture(const QString& path, const QString& format, int sizePercent,
                                   Automation_Call* call = nullptr);
    Errors::Type_Error loadPicture(const QString& path);

    // The operator's Camera Connect: closes an open camera, else opens it; the open's code.
    Errors::Type_Error toggleByOperator();
    // One picture for the operator's "Read from Camera": opens the camera for the grab when
    // it is closed and closes it again afterwards, also when the grab fails.
    Errors::Type_Error grabForOperator(Halcon::Hobject& picture);

private:
    Camera* m_camera;
    Camera_Settings_Gui* m_editor;
    bool m_connectedByOperator = false;
};
