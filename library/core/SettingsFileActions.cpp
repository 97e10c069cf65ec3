#include "SettingsFileActions.h"

#include "LibraryFunctions.h"
#include "MessageBox_Helper.h"

SettingsFileActions::SettingsFileActions(QWidget* parent, const QString& folder, const QString& extension,
                                         const QString& filter, const Texts& texts, const Operations& operations)
    : m_parent(parent)
    , m_folder(folder)
    , m_extension(extension)
    , m_filter(filter)
    , m_texts(texts)
    , m_operations(operations)
{
}

QString SettingsFileActions::baseName(const QString& fileName) const
{
    return getFileNameWithoutSuffix(fileName, m_extension);
}

void SettingsFileActions::load()
{
    if (!m_operations.usable() || !askSaveModified())
        return;
    const QString file = MessageBox_Helper::getOpenFileName(m_parent, m_texts.loadCaption, m_folder, m_filter);
    if (file.isEmpty())
        return;
    const Errors::Type_Error code = m_operations.load(file);
    if (code == 0)
        return;
    MessageBox_Helper::critical(m_parent, tr("Load error!"),
                                m_texts.loadError.arg(baseName(file), Errors::getErrorText(code)), QMessageBox::Ok);
}

bool SettingsFileActions::save()
{
    if (!m_operations.usable())
        return false;
    const QString name = m_operations.fileName();
    if (name.isEmpty())
        return saveAs();
    return saveTo(name);
}

bool SettingsFileActions::saveAs()
{
    if (!m_operations.usable())
        return false;
    const QString file = MessageBox_Helper::getSaveFileName(m_parent, m_texts.saveCaption, m_folder, m_filter);
    if (file.isEmpty())
        return false;
    return saveTo(file);
}

bool SettingsFileActions::saveTo(const QString& fileName)
{
    if (m_operations.save(fileName)) {
        m_operations.setModified(false);
        return true;
    }
    MessageBox_Helper::critical(m_parent, tr("Save error!"), m_texts.saveError.arg(baseName(fileName)),
                                QMessageBox::Ok);
    return false;
}

void SettingsFileActions::setDefaults(const QString& question, const std::function<bool()>& replace)
{
    if (!m_operations.usable() || !replace)
        return;
    if (MessageBox_Helper::question(m_parent, m_texts.defaultsTitle, question, QMessageBox::Yes | QMessageBox::No,
                                    QMessageBox::No)
        != QMessageBox::Yes)
        return;
    if (replace()) {
        m_operations.setModified(true);
        return;
    }
    MessageBox_Helper::critical(m_parent, tr("Default error!"), m_texts.defaultsError, QMessageBox::Ok);
}

bool SettingsFileActions::askSaveModified()
{
    if (!m_operations.usable())
        return true;
    return offerToSave(baseName(m_operations.fileName()), false, false);
}

bool SettingsFileActions::askSaveModifiedBeforeClose(const QString& shownName, bool ownFile)
{
    return offerToSave(shownName, true, !ownFile);
}

bool SettingsFileActions::offerToSave(const QString& shownName, bool cancellable, bool saveAsOnly)
{
    if (!m_operations.usable() || !m_operations.isModified())
        return true;
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (cancellable)
        buttons |= QMessageBox::Cancel;
    const QMessageBox::StandardButton answer = MessageBox_Helper::question(
        m_parent, tr("Save"), m_texts.saveQuestion.arg(shownName), buttons, QMessageBox::Yes);
    if (answer == QMessageBox::Yes)
        return saveAsOnly ? saveAs() : save();
    if (answer == QMessageBox::Cancel)
        return false;
    m_operations.setModified(false);
    return true;
}
