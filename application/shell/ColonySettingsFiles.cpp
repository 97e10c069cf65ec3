#include "ColonySettingsFiles.h"

#include "ColonySettings.h"
#include "ColonySettingsGui.h"
#include "SettingsName.h"

#include <QFileInfo>

ColonySettingsFiles::ColonySettingsFiles(ColonySettings* settings)
    : m_settings(settings)
{
}

bool ColonySettingsFiles::offerToSave()
{
    // Demo settings are never saved over their demo file.
    if (!m_editor || m_fileName.isEmpty() || m_settings->name.startsWith(ColonySettings::demoPrefix()))
        return true;
    return m_editor->askSaveModified();
}

void ColonySettingsFiles::announceReplaced(bool notify, bool focus)
{
    m_settings->emitCustom(ColonySettings::CustomSignal_Replaced);
    m_settings->emitCustom(ColonySettings::CustomSignal_ValuesChanged, QVariant(false));
    m_settings->emitCustom(ColonySettings::CustomSignal_ModifiedChanged, QVariant(false));
    m_settings->setChangedBlocked(false);
    if (notify)
        m_settings->setChanged(0);
    if (focus)
        m_settings->emitCustom(ColonySettings::CustomSignal_PageLeft);
}

Errors::Type_Error ColonySettingsFiles::load(const QString& file, bool notify, QString* reason)
{
    if (!offerToSave())
        return ErrorCannotLoad;
    m_settings->setChangedBlocked(true);
    if (!m_settings->loadFromFile(file, reason)) {
        m_settings->setChangedBlocked(false);
        return ErrorCannotLoad;
    }
    m_fileName = file;
    announceReplaced(notify, true);
    return 0;
}

bool ColonySettingsFiles::save(const QString& file)
{
    if (!m_settings->saveToFile(file))
        return false;
    m_fileName = file;
    return true;
}

bool ColonySettingsFiles::reset(bool lightTable, const QString& file, bool notify)
{
    m_settings->setChangedBlocked(true);
    if (lightTable)
        m_settings->setDefaultsLightTable();
    else
        m_settings->setDefaults();
    m_fileName = file;
    announceReplaced(notify, false);
    return true;
}

Errors::Type_Error ColonySettingsFiles::takeOver(const ColonySettingsData& data, const QString& file, bool notify)
{
    if (!offerToSave())
        return ErrorCannotLoad;
    m_settings->setChangedBlocked(true);
    m_settings->data() = data;
    m_fileName = file;
    announceReplaced(notify, true);
    return 0;
}

Errors::Type_Error ColonySettingsFiles::loadByName(const QString& name)
{
    if (name.isEmpty())
        return 0;
    QString path;
    if (const Errors::Type_Error code = SettingsName::resolve(name, ColonySettings::settingsFolder(),
                                                              ColonySettings::demoFolder(),
                                                              ColonySettings::fileExtension(), path))
        return code;
    // The current file is not read again, so edits made since it was loaded stay in force.
    if (path == m_fileName)
        return 0;
    return load(path, false);
}

bool ColonySettingsFiles::loadAtStart(const QString& file, QString& reason)
{
    reason.clear();
    if (load(file, false, &reason) == 0)
        return true;
    if (QFileInfo::exists(file)) {
        reset(false, QString(), false);
        return false;
    }
    reset(false, file, false);
    // A failed write leaves the defaults bound to the file, to be saved by the operator.
    m_settings->saveToFile(file);
    return true;
}
