#include "StartupSteps.h"

#include "ApplicationConstants.h"
#include "ApplicationDatabase.h"
#include "AutomationState.h"
#include "Camera.h"
#include "CommandFailureBox.h"
#include "MessageBox_Helper.h"
#include "QuendralLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("MainWindowGui", text);
}

constexpr Errors::Type_Error ApplicationAlreadyStarted = 4;
constexpr int MinimumDriverMajor = 4;
constexpr int MinimumDriverMinor = 10;

} // namespace

namespace StartupSteps {

bool loadApplicationSettings(AppSettings& settings, const QString& file, QString& fileName, QString& reason)
{
    reason.clear();
    if (QFileInfo::exists(file)) {
        if (settings.load(file)) {
            fileName = file;
            return true;
        }
        // The record may hold part of what it read: back to the defaults.
        settings.setDefaults();
        reason = tr("The file is no application settings file of this version.");
        return false;
    }
    // A folder that cannot be written leaves the defaults in memory, as on a read-only medium.
    if (!settings.save(file))
        return false;
    fileName = file;
    return true;
}

void warnAboutSecondInstance(QWidget* window)
{
    if (!QuendralLibrary::IsAlreadyRunning() || isAutomationServer())
        return;
    MessageBox_Helper::warning(window, tr("Application error"),
                               tr("%1!\nYou start the \"%2\" application more than one time!")
                                   .arg(Errors::getErrorText(ApplicationAlreadyStarted),
                                        ApplicationConstants::applicationName()),
                               QMessageBox::Ok);
}

void checkCameraDriver(QWidget* window)
{
    const Errors::Type_Error code = Camera::CheckDriverVersion();
    if (code == 0)
        return;
    setStartError(code);
    if (isAutomationServer())
        return;
    MessageBox_Helper::critical(window, tr("uEye driver version error"),
                                tr("%1!\nYour uEye camera driver is too old!\n\nPlease install the uEye driver "
                                   "V%2.%3 or higher!")
                                    .arg(Errors::getErrorText(code))
                                    .arg(MinimumDriverMajor)
                                    .arg(MinimumDriverMinor),
                                QMessageBox::Ok);
}

void prepareDatabaseFile(ApplicationDatabase& database, const AppSettings::DatabaseSettings& settings)
{
    // Rack pictures are written only into a folder that exists.
    if (!settings.PicturePath.isEmpty())
        QDir().mkpath(settings.PicturePath);
    switch (settings.Type) {
    case AppSettings::TypeMSAccess: {
        const QString& file = settings.MSAccess.Filename;
        if (!file.isEmpty() && !QFileInfo::exists(file) && QDir().mkpath(QFileInfo(file).absolutePath()))
            QFile::copy(DatabaseTemplateMSAccess, file);
        break;
    }
    case AppSettings::TypeSQLite3:
        if (!QFileInfo::exists(settings.SQLite3.Filename))
            database.createSQLite3Database(settings.SQLite3.Filename);
        break;
    default:
        break;
    }
}

void reportDatabaseOpen(QWidget* window, Errors::Type_Error code)
{
    if (code == 0)
        return;
    setStartError(code);
    if (!isAutomationServer())
        CommandFailureBox::showCode(window, tr("Database error"), code);
}

void reportUnreadableSettingsFile(QWidget* window, const QString& file, const QString& reason)
{
    if (isAutomationServer())
        return;
    QString text = tr("Cannot load the settings \"%1\"!").arg(file);
    if (!reason.isEmpty())
        text += QLatin1Char('\n') + reason;
    text += QLatin1Char('\n') + tr("The file is kept; default settings are used.");
    MessageBox_Helper::critical(window, tr("Settings error"), text, QMessageBox::Ok);
}

} // namespace StartupSteps
