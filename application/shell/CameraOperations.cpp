#include "CameraOperations.h"

#include "Automation_Call.h"
#include "Camera.h"
#include "Camera_Settings.h"
#include "Camera_Settings_Gui.h"
#include "CorrectionInfo.h"
#include "ExportTarget_Guard.h"
#include "Halcon_Helper.h"
#include "PictureScaling.h"
#include "SettingsName.h"

#include <QFileInfo>

namespace {
constexpr Errors::Type_Error ErrorGeneral = 3;
constexpr Errors::Type_Error ErrorCameraNotOpen = 13;
} // namespace

CameraOperations::CameraOperations(Camera* camera, Camera_Settings_Gui* editor)
    : m_camera(camera)
    , m_editor(editor)
{
}

QString CameraOperations::settingsFileName() const
{
    return m_editor->settingsFileName();
}

bool CameraOperations::loadAtStart(const QString& file)
{
    if (m_editor->loadSettingsFile(file, false))
        return true;
    // A damaged file is the operator's to mend: it is not overwritten.
    if (QFileInfo::exists(file)) {
        m_editor->setDefaultSettings(QString(), false);
        return false;
    }
    m_editor->setDefaultSettings(file, false);
    m_editor->saveSettingsFile(file);
    return true;
}

bool CameraOperations::takeOverSettingsText(const QString& text, const QString& fileName)
{
    Camera_Settings stored;
    if (!stored.ReadXml(text))
        return false;
    return m_editor->setSettings(&stored, fileName, true);
}

Errors::Type_Error CameraOperations::open(const QString& name)
{
    QString path;
    if (!name.isEmpty()) {
        if (const Errors::Type_Error code = SettingsName::resolve(name, Camera_Settings::settingsFolder(), QString(),
                                                                  Camera_Settings::fileExtension(), path))
            return code;
    }
    if (m_camera->IsOpen()) {
        if (!path.isEmpty() && !m_editor->loadSettingsFile(path, true))
            return ErrorCannotLoadSettings;
        return 0;
    }
    // Without notice: the closed camera reads the record when it opens.
    if (!path.isEmpty() && !m_editor->loadSettingsFile(path, false))
        return ErrorCannotLoadSettings;
    if (const Errors::Type_Error code = m_camera->Open())
        return code;
    m_connectedByOperator = false;
    return 0;
}

Errors::Type_Error CameraOperations::close(bool automationServer)
{
    if (!automationServer && m_connectedByOperator)
        return 0;
    return m_camera->Close();
}

Errors::Type_Error CameraOperations::isOpen(bool& open) const
{
    open = m_camera->IsOpen();
    return 0;
}

Errors::Type_Error CameraOperations::takePicture()
{
    if (!m_camera->IsOpen())
        return ErrorCameraNotOpen;
    if (const Errors::Type_Error code = m_camera->GrabPicture(false))
        return code;
    CorrectionInfo::resetCurrent();
    return 0;
}

Errors::Type_Error CameraOperations::savePicture(const QString& path, const QString& format, int sizePercent,
                                                Automation_Call* call)
{
    if (const Errors::Type_Error code = ExportTarget_Guard::checkPicture(path, format))
        return code;
    Halcon::Hobject picture;
    if (const Errors::Type_Error code = m_camera->GetPicture(picture))
        return code;
    const auto write = [picture, path, format, sizePercent]() -> int {
        Halcon::Hobject written = picture;
        if (sizePercent != 0 && sizePercent != 100) {
            if (PictureScaling::scaleByFactor(picture, sizePercent / 100.0, written) != 0)
                return ErrorGeneral;
        }
        return Halcon_Helper::SaveImageFile(path, written, format, false, false);
    };
    // Scaling and encoding a camera picture takes a good part of a second: for a client it runs
    // on another thread.
    return Errors::Type_Error(Automation_Call::runForCall(call, write));
}

Errors::Type_Error CameraOperations::loadPicture(const QString& path)
{
    Halcon::Hobject picture;
    if (const Errors::Type_Error code = Halcon_Helper::LoadImageFile(path, picture))
        return code;
    m_camera->SetPicture(picture);
    CorrectionInfo::resetCurrent();
    return 0;
}

Errors::Type_Error CameraOperations::toggleByOperator()
{
    if (m_camera->IsOpen())
        return m_camera->Close();
    if (const Errors::Type_Error code = m_camera->Open())
        return code;
    m_connectedByOperator = true;
    return 0;
}

Errors::Type_Error CameraOperations::grabForOperator(Halcon::Hobject& picture)
{
    const bool openedHere = !m_camera->IsOpen();
    if (openedHere) {
        if (const Errors::Type_Error code = m_camera->Open())
            return code;
    }
    Errors::Type_Error code = m_camera->GrabPicture(false);
    if (code == 0)
        code = m_camera->GetPicture(picture);
    if (openedHere)
        m_camera->Close();
    return code;
}
