#include "SettingsSelection.h"

#include "Camera_Settings.h"
#include "ColonySettings.h"
#include "ImageStitcherSettings.h"
#include "MessageBox_Helper.h"
#include "Settings_Select_Gui.h"

#include <QCoreApplication>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("SettingsSelection", text);
}

} // namespace

SettingsSelection::Kind SettingsSelection::camera()
{
    return {QStringLiteral("pictures:/SettingsSelect/CameraSettings.png"), tr("Select camera settings"),
            Camera_Settings::settingsFolder(), Camera_Settings::fileExtension()};
}

SettingsSelection::Kind SettingsSelection::colony()
{
    return {QStringLiteral("pictures:/SettingsSelect/ColonySettings.png"), tr("Select colony settings"),
            ColonySettings::settingsFolder(), ColonySettings::fileExtension()};
}

SettingsSelection::Kind SettingsSelection::imageStitcher()
{
    return {QStringLiteral("pictures:/SettingsSelect/ImageStitcherSettings.png"), tr("Select imagestitcher settings"),
            ImageStitcherSettings::settingsFolder(), ImageStitcherSettings::fileExtension()};
}

QString SettingsSelection::preselected(const Kind& kind, const QString& defaultName, const QString& currentFile)
{
    if (defaultName.isEmpty())
        return currentFile;
    return kind.folder + QLatin1Char('/') + defaultName + kind.extension;
}

Errors::Type_Error SettingsSelection::select(QWidget* parent, const Kind& kind, const QString& defaultName,
                                             const QString& currentFile, QString& chosen)
{
    Settings_Select_Gui dialog(kind.picture, kind.title, kind.folder, kind.extension,
                               preselected(kind, defaultName, currentFile), parent);
    dialog.setWindowTitle(kind.title);
    chosen = MessageBox_Helper::exec(&dialog) == QDialog::Accepted ? dialog.selectedSettings() : QString();
    return 0;
}
