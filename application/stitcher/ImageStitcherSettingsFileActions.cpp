#include "ImageStitcherSettingsFileActions.h"

#include "IImageStitcherSettingsHost.h"
#include "ImageStitcherSettings.h"
#include "ImageStitcherSettingsGui.h"

ImageStitcherSettingsFileActions::ImageStitcherSettingsFileActions(ImageStitcherSettingsGui* editor,
                                                                   IImageStitcherSettingsHost* host,
                                                                   ImageStitcherSettings* settings)
    : QObject(editor)
    , m_host(host)
    , m_actions(editor, ImageStitcherSettings::settingsFolder(), ImageStitcherSettings::fileExtension(),
                tr("Image stitcher settings (*%1)").arg(ImageStitcherSettings::fileExtension()),
                SettingsFileActions::Texts{tr("Load image stitcher settings ..."),
                                           tr("Cannot load the image stitcher settings from \"%1\"!\nError: %2"),
                                           tr("Save image stitcher settings ..."),
                                           tr("Cannot save the image stitcher settings to \"%1\"!"),
                                           tr("Image stitcher default settings"),
                                           tr("Cannot set the image stitcher default settings!"),
                                           tr("Save modified image stitcher settings \"%1\" ?")},
                SettingsFileActions::operationsOf(host, &IImageStitcherSettingsHost::imageStitcherSettingsFileName,
                                                  &IImageStitcherSettingsHost::saveImageStitcherSettings,
                                                  &IImageStitcherSettingsHost::loadImageStitcherSettings, editor,
                                                  settings))
{
}

void ImageStitcherSettingsFileActions::slot_SettingsSetDefaults_clicked()
{
    IImageStitcherSettingsHost* host = m_host;
    m_actions.setDefaults(tr("Replace current image stitcher settings with defaults?"), [host] {
        return host->newImageStitcherSettings(host->imageStitcherSettingsFileName(), true);
    });
}
