#include "ColonySettingsFileActions.h"

#include "ColonySettings.h"
#include "ColonySettingsGui.h"
#include "IColonySettingsHost.h"

#include <Errors.h>
#include <LibraryFunctions.h>
#include <MessageBox_Helper.h>

ColonySettingsFileActions::ColonySettingsFileActions(ColonySettingsGui* editor, IColonySettingsHost* host,
                                                     ColonySettings* settings)
    : QObject(editor)
    , m_editor(editor)
    , m_host(host)
    , m_settings(settings)
{
}

QString ColonySettingsFileActions::baseName(const QString& fileName)
{
    return getFileNameWithoutSuffix(fileName, ColonySettings::fileExtension());
}

QString ColonySettingsFileActions::fileFilter() const
{
    return QStringLiteral("*") + ColonySettings::fileExtension();
}

void ColonySettingsFileActions::slot_SettingsLoad_clicked()
{
    if (!m_host || !askSaveModified())
        return;
    const QString file = MessageBox_Helper::getOpenFileName(m_editor, tr("Load colony settings ..."),
                                                            ColonySettings::settingsFolder(), fileFilter());
    if (file.isEmpty())
        return;
    const Errors::Type_Error code = m_host->loadColonySettings(file, true);
    if (code == 0)
        return;
    MessageBox_Helper::critical(m_editor, tr("Load error!"),
                                tr("Cannot load the colony settings from \"%1\"!\nError: %2")
                                    .arg(baseName(file), Errors::getErrorText(code)),
                                QMessageBox::Ok);
}

bool ColonySettingsFileActions::slot_SettingsSave_clicked()
{
    if (!m_host)
        return false;
    const QString name = m_host->colonySettingsFileName();
    if (name.isEmpty())
        return slot_SettingsSaveAs_clicked();
    return saveTo(name);
}

bool ColonySettingsFileActions::slot_SettingsSaveAs_clicked()
{
    if (!m_host)
        return false;
    const QString file = MessageBox_Helper::getSaveFileName(m_editor, tr("Save colony settings ..."),
                                                            ColonySettings::settingsFolder(), fileFilter());
    if (file.isEmpty())
        return false;
    return saveTo(file);
}

bool ColonySettingsFileActions::saveTo(const QString& fileName)
{
    if (m_host->saveColonySettings(fileName)) {
        m_settings->emitCustom(ColonySettings::CustomSignal_ModifiedChanged, QVariant(false));
        return true;
    }
    MessageBox_Helper::critical(m_editor, tr("Save error!"),
                                tr("Cannot save the colony settings to \"%1\"!").arg(baseName(fileName)),
                                QMessageBox::Ok);
    return false;
}

void ColonySettingsFileActions::slot_SettingsSetDefaults_clicked()
{
    setDefaults(tr("Replace current colony settings with defaults?"), false);
}

void ColonySettingsFileActions::slot_Action_SettingsSetDefaultsForLightTable_triggered()
{
    setDefaults(tr("Replace current colony settings with defaults for Lighttable?"), false);
}

void ColonySettingsFileActions::slot_Action_SettingsSetDefaultsForLightTableXL_triggered()
{
    setDefaults(tr("Replace current colony settings with defaults for Lighttable XL?"), true);
}

void ColonySettingsFileActions::setDefaults(const QString& question, bool lightTable)
{
    if (!m_host)
        return;
    if (MessageBox_Helper::question(m_editor, tr("Colony default settings"), question,
                                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    if (m_host->newColonySettings(lightTable, m_host->colonySettingsFileName(), true)) {
        // Not saved until the operator saves.
        m_settings->emitCustom(ColonySettings::CustomSignal_ModifiedChanged, QVariant(true));
        return;
    }
    MessageBox_Helper::critical(m_editor, tr("Default error!"), tr("Cannot set the colony default settings!"),
                                QMessageBox::Ok);
}

bool ColonySettingsFileActions::askSaveModified()
{
    if (!m_editor->isModified() || !m_host)
        return true;
    if (MessageBox_Helper::question(m_editor, tr("Save"),
                                    tr("Save modified colony settings \"%1\" ?")
                                        .arg(baseName(m_host->colonySettingsFileName())),
                                    QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        == QMessageBox::Yes)
        return slot_SettingsSave_clicked();
    m_settings->emitCustom(ColonySettings::CustomSignal_ModifiedChanged, QVariant(false));
    return true;
}
