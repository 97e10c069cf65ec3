#include "ImageStitcherSettingsFiles.h"

#include "ImageStitcherSettings.h"
#include "ImageStitcherSettingsGui.h"
#include "ModelMatching.h"
#include "SettingsName.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString c_demoPrefix = QStringLiteral("Demo_");
}

QString ImageStitcherSettingsFiles::defaultFilePath()
{
    return ImageStitcherSettings::settingsFolder() + QStringLiteral("/default") + ImageStitcherSettings::fileExtension();
}

ImageStitcherSettingsFiles::ImageStitcherSettingsFiles(ImageStitcherSettings* settings, ModelMatching* crossModel)
    : m_settings(settings)
    , m_crossModel(crossModel)
{
}

bool ImageStitcherSettingsFiles::offerToSave()
{
    // Demo settings are never saved over their demo file.
    if (!m_editor || m_fileName.isEmpty() || m_settings->data().name.startsWith(c_demoPrefix))
        return true;
    return m_editor->askSaveModified();
}

void ImageStitcherSettingsFiles::announceReplaced(bool notify)
{
    m_settings->emitCustom(ImageStitcherSettings::CustomSignal_Replaced);
    m_settings->emitCustom(ImageStitcherSettings::CustomSignal_ValuesChanged, QVariant(false));
    m_settings->emitCustom(ImageStitcherSettings::CustomSignal_ModifiedChanged, QVariant(false));
    m_settings->setChangedBlocked(false);
    if (notify)
        m_settings->setChanged(0);
}

Errors::Type_Error ImageStitcherSettingsFiles::load(const QString& file, bool notify)
{
    if (!offerToSave())
        return ErrorCannotLoad;
    m_settings->setChangedBlocked(true);
    if (!m_settings->loadFromFile(file)) {
        m_settings->setChangedBlocked(false);
        return ErrorCannotLoad;
    }
    return loadCrossModelAndAnnounce(file, notify);
}

Errors::Type_Error ImageStitcherSettingsFiles::loadCrossModelAndAnnounce(const QString& file, bool notify)
{
    if (const Errors::Type_Error code = m_crossModel->LoadFiles(QFileInfo(file).path(), m_settings->data().name)) {
        m_settings->setChangedBlocked(false);
        return code;
    }
    m_fileName = file;
    announceReplaced(notify);
    m_settings->emitCustom(ImageStitcherSettings::CustomSignal_OverviewShown);
    return 0;
}

bool ImageStitcherSettingsFiles::save(const QString& file)
{
    if (!m_settings->saveToFile(file))
        return false;
    if (m_crossModel->SaveFiles(QFileInfo(file).path(), m_settings->data().name) != 0)
        return false;
    m_fileName = file;
    return true;
}

bool ImageStitcherSettingsFiles::reset(const QString& file, bool notify)
{
    m_settings->setChangedBlocked(true);
    m_settings->setDefaults();
    m_fileName = file;
    announceReplaced(notify);
    return true;
}

Errors::Type_Error ImageStitcherSettingsFiles::takeOver(ImageStitcherSettings& other, const QString& file, bool notify)
{
    if (!offerToSave())
        return ErrorCannotLoad;
    m_settings->setChangedBlocked(true);
    // Through the text, so the values change under the cross model's settings lock.
    if (!m_settings->fromXmlString(other.toXmlString())) {
        m_settings->setChangedBlocked(false);
        return ErrorCannotLoad;
    }
    return loadCrossModelAndAnnounce(file, notify);
}

Errors::Type_Error ImageStitcherSettingsFiles::pathOfName(const QString& name, QString& path)
{
    path.clear();
    if (name.isEmpty())
        return 0;
    return SettingsName::resolve(name, ImageStitcherSettings::settingsFolder(), ImageStitcherSettings::demoFolder(),
                                 ImageStitcherSettings::fileExtension(), path);
}

bool ImageStitcherSettingsFiles::loadAtStart(const QString& file)
{
    const Errors::Type_Error code = load(file, false);
    if (code == 0)
        return true;
    // Read, but no cross model beside them: defaults written at a first start have none yet.
    if (code != ErrorCannotLoad) {
        m_fileName = file;
        announceReplaced(false);
        return true;
    }
    // An unreadable file is not overwritten: the defaults then stay bound to no file.
    if (QFileInfo::exists(file)) {
        reset(QString(), false);
        return false;
    }
    reset(file, false);
    // The stitcher settings folder is not shipped; a first start makes it.
    QDir().mkpath(QFileInfo(file).path());
    save(file);
    return true;
}
