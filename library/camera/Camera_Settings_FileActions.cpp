#include "Camera_Settings_FileActions.h"

#include "Camera_Settings.h"
#include "Camera_Settings_Gui.h"

#include <Gui_Helper.h>
#include <LibraryFunctions.h>
#include <MessageBox_Helper.h>
#include <QuendralLibrary.h>

namespace {

// The debounced change notice must have reached the camera before a load returns.
constexpr int kSettleMs = 350;

QString fileFilter()
{
    return QStringLiteral("*") + Camera_Settings::fileExtension();
}

} // namespace

Camera_Settings_FileActions::Camera_Settings_FileActions(Camera_Settings_Gui* editor, Camera_Settings* settings)
    : QObject(editor)
    , m_editor(editor)
    , m_settings(settings)
{
}

QString Camera_Settings_FileActions::baseName(const QString& fileName)
{
    return getFileNameWithoutSuffix(fileName, Camera_Settings::fileExtension());
}

void Camera_Settings_FileActions::setModified(bool modified)
{
    m_settings->SetCustom(Camera_Settings::CustomSignal_Modified, QVariant(modified));
}

bool Camera_Settings_FileActions::saveSettingsFile(const QString& fileName)
{
    if (!m_settings || !m_settings->SaveToFile(fileName))
        return false;
    m_fileName = fileName;
    setModified(false);
    return true;
}

void Camera_Settings_FileActions::replace(const Camera_Settings_Data& values, const QString& fileName, bool notify,
                                          int settleMs)
{
    m_settings->setChangedBlocked(true);
    m_settings->data() = values;
    m_fileName = fileName;
    m_settings->SetCustom(Camera_Settings::CustomSignal_Replaced, QVariant());
    m_settings->SetCustom(Camera_Settings::CustomSignal_Refresh, QVariant(false));
    setModified(false);
    m_settings->setChangedBlocked(false);
    if (!notify)
        return;
    m_settings->setChanged(0);
    if (settleMs > 0)
        Gui_Helper::waitProcessingEvents(unsigned(settleMs));
}

bool Camera_Settings_FileActions::setDefaultSettings(const QString& fileName, bool notify)
{
    if (!m_settings)
        return false;
    replace(Camera_Settings::DefaultData(), fileName, notify, 0);
    return true;
}

void Camera_Settings_FileActions::askSaveChangedSettings()
{
    if (!m_settings || !m_editor->isModified() || QuendralLibrary::IsAutomationServer())
        return;
    const QMessageBox::StandardButton answer = MessageBox_Helper::question(
        m_editor, Camera_Settings_Gui::tr("Save camera settings ..."),
        Camera_Settings_Gui::tr("The camera settings \"%1\" has been changed. Do you want save the settings?")
            .arg(baseName(m_fileName)),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer == QMessageBox::Yes)
        save();
    else
        setModified(false);
}

bool Camera_Settings_FileActions::loadSettingsFile(const QString& fileName, bool notify)
{
    if (!m_settings)
        return false;
    if (!m_fileName.isEmpty())
        askSaveChangedSettings();
    // Read aside first: a refused file must not touch the record, nor drop a change notice
    // still on its way to the camera.
    Camera_Settings loaded;
    if (!loaded.LoadFromFile(fileName))
        return false;
    replace(loaded.data(), fileName, notify, kSettleMs);
    return true;
}

bool Camera_Settings_FileActions::setSettings(const Camera_Settings_Data& source, const QString& fileName, bool notify)
{
    if (!m_settings)
        return false;
    if (!m_fileName.isEmpty())
        askSaveChangedSettings();
    replace(source, fileName, notify, kSettleMs);
    return true;
}

void Camera_Settings_FileActions::showFileError(const QString& title, const QString& text, const QString& fileName)
{
    MessageBox_Helper::critical(m_editor, title, text.arg(baseName(fileName)), QMessageBox::Ok);
}

void Camera_Settings_FileActions::saveWithMessage(const QString& fileName)
{
    if (!saveSettingsFile(fileName))
        showFileError(Camera_Settings_Gui::tr("Save error!"),
                      Camera_Settings_Gui::tr("Cannot save the camera settings to \"%1\"!"), fileName);
}

void Camera_Settings_FileActions::save()
{
    if (m_fileName.isEmpty())
        saveAs();
    else
        saveWithMessage(m_fileName);
}

void Camera_Settings_FileActions::saveAs()
{
    const QString file = MessageBox_Helper::getSaveFileName(m_editor, Camera_Settings_Gui::tr("Save camera settings ..."),
                                                            Camera_Settings::settingsFolder(), fileFilter());
    setCurrentDirToApplicationDir();
    if (!file.isEmpty())
        saveWithMessage(file);
}

void Camera_Settings_FileActions::load()
{
    askSaveChangedSettings();
    const QString file = MessageBox_Helper::getOpenFileName(m_editor, Camera_Settings_Gui::tr("Load camera settings ..."),
                                                            Camera_Settings::settingsFolder(), fileFilter());
    setCurrentDirToApplicationDir();
    if (!file.isEmpty() && !loadSettingsFile(file, true))
        showFileError(Camera_Settings_Gui::tr("Load error!"),
                      Camera_Settings_Gui::tr("Cannot load the camera settings from \"%1\"!"), file);
}

void Camera_Settings_FileActions::setDefaults()
{
    if (MessageBox_Helper::question(m_editor, Camera_Settings_Gui::tr("Camera default settings"),
                                    Camera_Settings_Gui::tr("Do you want set the camera settings to the default values?"),
                                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    if (!setDefaultSettings(m_fileName, true))
        return;
    // The defaults are not in the file yet.
    setModified(true);
}
