#include "SettingsSelection.h"

#include "Camera_Settings.h"
#include "ColonySettings.h"
#include "ImageStitcherSettings.h"
#include "MessageBox_Helper.h"
#include "Settings_Select_Gui.h"

#include <QCoreApplication>
#include <QPointer>

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
                                             const QString& currentFile, QString& chosen, Automation_Call* call)
{
    auto* dialog = new Settings_Select_Gui(kind.picture, kind.title, kind.folder, kind.extension,
                                           preselected(kind, defaultName, currentFile), parent);
    dialog->setWindowTitle(kind.title);
    const QPointer<Settings_Select_Gui> list(dialog);
    return Errors::Type_Error(MessageBox_Helper::open(call, dialog, [list, &chosen](int result) {
        chosen = result == QDialog::Accepted && list ? list->selectedSettings() : QString();
        return 0;
    }));
}
