#include "ImageStitcherSettingsFiles.h"

#include "ImageStitcherSettings.h"
#include "ImageStitcherSettingsGui.h"
#include "ModelMatching.h"
#include "ModelMatchingPendingFiles.h"
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
    ModelMatchingPendingFiles::sweep(QFileInfo(file).path());
    ImageStitcherSettings incoming;
    if (!incoming.loadFromFile(file))
        return ErrorCannotLoad;
    return takeWithCrossModel(incoming.data(), file, notify);
}

Errors::Type_Error ImageStitcherSettingsFiles::takeWithCrossModel(const ImageStitcherSettingsData& data,
                                                                  const QString& file, bool notify)
{
    // The cross model's files are looked up under the settings' name: one that leads out of
    // the settings' folder is no name.
    if (!SettingsName::isPlainName(data.name))
        return ErrorCannotLoad;
    ModelMatchingLoadedFiles files;
    if (const Errors::Type_Error code = m_crossModel->ReadFiles(data.CrossModel, QFileInfo(file).path(), data.name, files))
        return code;
    take(data, files, file, notify);
    m_settings->emitCustom(ImageStitcherSettings::CustomSignal_OverviewShown);
    return 0;
}

void ImageStitcherSettingsFiles::take(const ImageStitcherSettingsData& data, const ModelMatchingLoadedFiles& files,
                                      const QString& file, bool notify)
{
    m_settings->setChangedBlocked(true);
    m_settings->takeData(data);
    m_crossModel->TakeFiles(files);
    m_fileName = file;
    announceReplaced(notify);
}

QString ImageStitcherSettingsFiles::nameOfFile(const QString& file)
{
    QString name = QFileInfo(file).fileName();
    if (name.endsWith(ImageStitcherSettings::fileExtension()))
        name.chop(ImageStitcherSettings::fileExtension().size());
    return name;
}

bool ImageStitcherSettingsFiles::save(const QString& file)
{
    // The cross model's files are written first but put in place only once the settings file
    // is; a commit that fails puts the old settings file back: a save that fails leaves all
    // three as they were.
    ModelMatchingPendingFiles pending;
    if (m_crossModel->WriteFiles(QFileInfo(file).path(), nameOfFile(file), pending) != 0 || !pending.keep(file))
        return false;
    if (!m_settings->saveToFile(file) || !pending.commit())
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
    // Through the text: the values as a load of them would read them.
    ImageStitcherSettings incoming;
    if (!incoming.fromXmlString(other.toXmlString()))
        return ErrorCannotLoad;
    return takeWithCrossModel(incoming.data(), file, notify);
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
    ModelMatchingPendingFiles::sweep(QFileInfo(file).path());
    ImageStitcherSettings incoming;
    if (incoming.loadFromFile(file) && SettingsName::isPlainName(incoming.data().name)) {
        // Nothing else is there to keep: the values are taken with what of the cross model's
        // files reads. A file that does not read stays on disk as it is (no save puts an empty
        // one in its place), and the next stitch makes the model anew.
        ModelMatchingLoadedFiles files;
        const Errors::Type_Error code = m_crossModel->ReadAvailableFiles(incoming.data().CrossModel,
                                                                         QFileInfo(file).path(), incoming.data().name,
                                                                         files);
        take(incoming.data(), files, file, false);
        if (code == 0)
            m_settings->emitCustom(ImageStitcherSettings::CustomSignal_OverviewShown);
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
