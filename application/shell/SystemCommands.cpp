#include "SystemCommands.h"

#include "AppSettings.h"
#include "InstrumentSettings.h"
#include "InstrumentSettingsGui.h"
#include "MessageBox_Helper.h"
#include "QuendralLibraryAboutDialog.h"
#include "QuendralLibrarySystemInformationDialog.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("MainWindowGui", text);
}

} // namespace

SystemCommands::SystemCommands(const Parts& parts)
    : m_parts(parts)
{
}

void SystemCommands::applicationSettings()
{
    AppSettingsGui dialog(m_parts.databaseOpener, m_parts.database, m_parts.appSettings, m_parts.window);
    if (MessageBox_Helper::exec(&dialog) != QDialog::Accepted)
        return;
    const QString file = appSettingsFilePath();
    if (m_parts.appSettings->save(file)) {
        *m_parts.appSettingsFileName = file;
        return;
    }
    MessageBox_Helper::critical(m_parts.window, tr("Settings error"),
                                tr("Cannot save the settings to \"%1\"!").arg(QFileInfo(file).completeBaseName()),
                                QMessageBox::Ok);
}

void SystemCommands::instrumentSettings()
{
    InstrumentSettingsGui dialog(m_parts.instrumentSettings, m_parts.window);
    if (MessageBox_Helper::exec(&dialog) != QDialog::Accepted)
        return;
    const QString file = InstrumentSettings::defaultFilePath();
    if (!m_parts.instrumentSettings->save(file))
        MessageBox_Helper::critical(m_parts.window, tr("Instrument Settings Error"),
                                    tr("Failed to save instrumet settings to \"%1\"!")
                                        .arg(QFileInfo(file).completeBaseName()),
                                    QMessageBox::Ok);
}

void SystemCommands::about()
{
    MessageBox_Helper::about(m_parts.window, tr("About"),
                             QuendralLibraryAboutDialog::GetText(QStringLiteral(__DATE__), QStringLiteral(__TIME__)));
}

void SystemCommands::systemInformation()
{
    MessageBox_Helper::information(m_parts.window, tr("System information"),
                                   QuendralLibrarySystemInformationDialog::GetText(QString()), QMessageBox::Ok);
}

void SystemCommands::manual()
{
    const QString file = manualFileName();
    if (!QFileInfo::exists(file)) {
        MessageBox_Helper::critical(m_parts.window, tr("PDF Manual error"),
                                    tr("The manual \"%1\" is not installed!").arg(file), QMessageBox::Ok);
        return;
    }
    // An absolute file URL: a relative one means nothing to the viewer the desktop starts.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::current().absoluteFilePath(file))))
        MessageBox_Helper::critical(m_parts.window, tr("PDF Manual error"),
                                    tr("Cannot open the manual \"%1\"!\n\nDo you have installed the Acrobat Reader?")
                                        .arg(file),
                                    QMessageBox::Ok);
}
