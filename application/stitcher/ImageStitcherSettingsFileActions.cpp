#include "ImageStitcherSettingsFileActions.h"

#include "IImageStitcherSettingsHost.h"
#include "ImageStitcherSettings.h"
#include "ImageStitcherSettingsGui.h"

#include <Errors.h>
#include <LibraryFunctions.h>
#include <MessageBox_Helper.h>

ImageStitcherSettingsFileActions::ImageStitcherSettingsFileActions(ImageStitcherSettingsGui* editor,
                                                                   IImageStitcherSettingsHost* host,
                                                                   ImageStitcherSettings* settings)
    : QObject(editor)
    , m_editor(editor)
    , m_host(host)
    , m_settings(settings)
{
}

QString ImageStitcherSettingsFileActions::baseName(const QString& fileName)
{
    return getFileNameWithoutSuffix(fileName, ImageStitcherSettings::fileExtension());
}

QString ImageStitcherSettingsFileActions::fileFilter()
{
    return tr("Image stitcher settings (*%1)").arg(ImageStitcherSettings::fileExtension());
}

void ImageStitcherSettingsFileActions::slot_SettingsLoad_clicked()
{
    if (!m_host || !askSaveModified())
        return;
    const QString file = MessageBox_Helper::getOpenFileName(m_editor, tr("Load image stitcher settings ..."),
                                                            ImageStitcherSettings::settingsFolder(), fileFilter());
    if (file.isEmpty())
        return;
    const Errors::Type_Error code = m_host->loadImageStitcherSettings(file, true);
    if (code == 0)
        return;
    MessageBox_Helper::critical(m_editor, tr("Load error!"),
                                tr("Cannot load the image stitcher settings from \"%1\"!\nError: %2")
                                    .arg(baseName(file), Errors::getErrorText(code)),
                                QMessageBox::Ok);
}

bool ImageStitcherSettingsFileActions::slot_SettingsSave_clicked()
{
    if (!m_host)
        return false;
    const QString name = m_host->imageStitcherSettingsFileName();
    if (name.isEmpty())
        return slot_SettingsSaveAs_clicked();
    return saveTo(name);
}

bool ImageStitcherSettingsFileActions::slot_SettingsSaveAs_clicked()
{
    if (!m_host)
        return false;
    const QString file = MessageBox_Helper::getSaveFileName(m_editor, tr("Save image stitcher settings ..."),
                                                            ImageStitcherSettings::settingsFolder(), fileFilter());
    if (file.isEmpty())
        return false;
    return saveTo(file);
}

bool ImageStitcherSettingsFileActions::saveTo(const QString& fileName)
{
    if (m_host->saveImageStitcherSettings(fileName)) {
        m_settings->emitCustom(ImageStitcherSettings::CustomSignal_ModifiedChanged, QVariant(false));
        return true;
    }
    MessageBox_Helper::critical(m_editor, tr("Save error!"),
                                tr("Cannot save the image stitcher settings to \"%1\"!").arg(baseName(fileName)),
                                QMessageBox::Ok);
    return false;
}

void ImageStitcherSettingsFileActions::slot_SettingsSetDefaults_clicked()
{
    if (!m_host)
        return;
    if (MessageBox_Helper::question(m_editor, tr("Image stitcher default settings"),
                                    tr("Replace current image stitcher settings with defaults?"),
                                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    if (m_host->newImageStitcherSettings(m_host->imageStitcherSettingsFileName(), true)) {
        // Not saved until the operator saves.
        m_settings->emitCustom(ImageStitcherSettings::CustomSignal_ModifiedChanged, QVariant(true));
        return;
    }
    MessageBox_Helper::critical(m_editor, tr("Default error!"), tr("Cannot set the image stitcher default settings!"),
                                QMessageBox::Ok);
}

bool ImageStitcherSettingsFileActions::askSaveModified()
{
    if (!m_editor->isModified() || !m_host)
        return true;
    if (MessageBox_Helper::question(m_editor, tr("Save"),
                                    tr("Save modified image stitcher settings \"%1\" ?")
                                        .arg(baseName(m_host->imageStitcherSettingsFileName())),
                                    QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        == QMessageBox::Yes)
        return slot_SettingsSave_clicked();
    m_settings->emitCustom(ImageStitcherSettings::CustomSignal_ModifiedChanged, QVariant(false));
    return true;
}
