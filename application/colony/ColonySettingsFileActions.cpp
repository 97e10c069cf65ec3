#include "ColonySettingsFileActions.h"

#include "ColonySettings.h"
#include "ColonySettingsGui.h"
#include "IColonySettingsHost.h"

#include <LibraryFunctions.h>

ColonySettingsFileActions::ColonySettingsFileActions(ColonySettingsGui* editor, IColonySettingsHost* host,
                                                     ColonySettings* settings)
    : QObject(editor)
    , m_host(host)
    , m_settings(settings)
    , m_actions(editor, ColonySettings::settingsFolder(), ColonySettings::fileExtension(),
                QStringLiteral("*") + ColonySettings::fileExtension(),
                SettingsFileActions::Texts{tr("Load colony settings ..."),
                                           tr("Cannot load the colony settings from \"%1\"!\nError: %2"),
                                           tr("Save colony settings ..."),
                                           tr("Cannot save the colony settings to \"%1\"!"),
                                           tr("Colony default settings"),
                                           tr("Cannot set the colony default settings!"),
                                           tr("Save modified colony settings \"%1\" ?")},
                SettingsFileActions::operationsOf(host, &IColonySettingsHost::colonySettingsFileName,
                                                  &IColonySettingsHost::saveColonySettings,
                                                  &IColonySettingsHost::loadColonySettings, editor, settings))
{
}

QString ColonySettingsFileActions::baseName(const QString& fileName)
{
    return getFileNameWithoutSuffix(fileName, ColonySettings::fileExtension());
}

bool ColonySettingsFileActions::askSaveModifiedBeforeClose()
{
    if (!m_host || !m_settings)
        return true;
    const QString file = m_host->colonySettingsFileName();
    const bool ownFile = !file.isEmpty() && !m_settings->name.startsWith(ColonySettings::demoPrefix());
    return m_actions.askSaveModifiedBeforeClose(ownFile ? baseName(file) : m_settings->name, ownFile);
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
    IColonySettingsHost* host = m_host;
    m_actions.setDefaults(question, [host, lightTable] {
        return host->newColonySettings(lightTable, host->colonySettingsFileName(), true);
    });
}
