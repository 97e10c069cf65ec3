#include "PictureCommands.h"

#include "AnalyserGui.h"
#include "Camera_Settings.h"
#include "CameraOperations.h"
#include "ColonyAnalyserGui.h"
#include "ColonyDatabaseGui.h"
#include "ImageStitcherGui.h"
#include "StitcherCommands.h"
#include "ColonySettings.h"
#include "ColonySettingsFiles.h"
#include "ColonySettingsGui.h"
#include "CorrectionInfo.h"
#include "Halcon_Helper.h"
#include "CommandFailureBox.h"
#include "MessageBox_Helper.h"
#include "RackReevaluation.h"

#include <QCoreApplication>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("MainWindowGui", text);
}

QString fromDatabaseSuffix()
{
    return QStringLiteral(" ") + tr("(from database)");
}

// The page's real analysis behind a re-evaluation: the settings it runs with become the
// current colony settings (the rack's own ones under their "(from database)" file name),
// then the page analyses the stored picture.
class PageAnalyser : public RackReevaluation::Analyser {
public:
    PageAnalyser(ColonySettingsFiles& files, ColonyAnalyserGui& page, bool storedSettings)
        : m_files(files)
        , m_page(page)
        , m_storedSettings(storedSettings)
    {
    }

    Errors::Type_Error analyse(const ColonySettingsData& settings, const Halcon::Hobject& picture) override
    {
        called = true;
        if (m_storedSettings) {
            settingsCode = m_files.takeOver(settings,
                                            ColonySettings::settingsFolder() + QLatin1Char('/') + settings.name
                                                + ColonySettings::fileExtension(),
                                            false);
            if (settingsCode != 0)
                return settingsCode;
        }
        if (const Errors::Type_Error code = m_page.Reset())
            return code;
        return m_page.Analyse(picture);
    }

    bool called = false;
    Errors::Type_Error settingsCode = 0;

private:
    ColonySettingsFiles& m_files;
    ColonyAnalyserGui& m_page;
    bool m_storedSettings;
};

} // namespace

QString PictureCommands::demoPicturePath(const QString& baseName)
{
    return ColonySettings::demoFolder() + QStringLiteral("/") + ColonySettings::demoPrefix() + baseName
        + QStringLiteral(".tif");
}

QString PictureCommands::demoSettingsPath(const QString& baseName)
{
    return ColonySettings::demoFolder() + QStringLiteral("/") + ColonySettings::demoPrefix() + baseName
        + ColonySettings::fileExtension();
}

PictureCommands::PictureCommands(const Parts& parts)
    : m_parts(parts)
{
}

bool PictureCommands::colonyView() const
{
    return m_parts.analyser->currentView() == 1;
}

void PictureCommands::stopAndResetCorrection()
{
    m_parts.stitcherPage->Stop();
    m_parts.page->Stop();
    CorrectionInfo::resetCurrent();
}

void PictureCommands::fromCamera()
{
    stopAndResetCorrection();
    if (const Errors::Type_Error code = resetCurrentPage()) {
        CommandFailureBox::showCode(m_parts.window, tr("Analyse error"), code);
        return;
    }
    Halcon::Hobject picture;
    if (const Errors::Type_Error code = m_parts.camera->grabForOperator(picture)) {
        CommandFailureBox::showCode(m_parts.window, tr("Camera error"), code);
        return;
    }
    if (const Errors::Type_Error code = placeOnCurrentPage(picture))
        CommandFailureBox::showCode(m_parts.window, tr("Analyse error"), code);
}

Errors::Type_Error PictureCommands::resetCurrentPage()
{
    return colonyView() ? m_parts.page->Reset() : m_parts.stitcherPage->Reset();
}

Errors::Type_Error PictureCommands::placeOnCurrentPage(const Halcon::Hobject& picture)
{
    return colonyView() ? m_parts.page->Analyse(picture) : m_parts.stitcherPage->SetCurrentTabPicture(picture);
}

void PictureCommands::fromFile()
{
    stopAndResetCorrection();
    const bool colony = colonyView();
    if (!colony && m_parts.analyser->currentPage() == m_parts.analyser->imageStitcherResultPage()) {
        const QString text = tr("Activate Image Stitcher Pictures Tab?");
        if (MessageBox_Helper::question(m_parts.window, text, text, QMessageBox::Yes | QMessageBox::No,
                                        QMessageBox::Yes)
            != QMessageBox::Yes)
            return;
        m_parts.analyser->showImageStitcher();
    }
    const QString file = MessageBox_Helper::getOpenFileName(
        m_parts.window, colony ? tr("Select colony picture") : tr("Select image stitcher picture"), m_lastPictureFile,
        Halcon_Helper::PictureFileFilter());
    if (file.isEmpty())
        return;
    m_lastPictureFile = file;
    Halcon::Hobject picture;
    if (!loadPicture(file, picture))
        return;
    if (colony) {
        resetAndAnalyse(picture, tr("Analsye error"));
        return;
    }
    Errors::Type_Error code = m_parts.stitcherPage->Reset();
    if (code == 0)
        code = m_parts.stitcherPage->SetCurrentTabPicture(picture);
    if (code != 0)
        CommandFailureBox::showCode(m_parts.window, tr("Analsye error"), code);
}

void PictureCommands::fromDatabase()
{
    stopAndResetCorrection();
    if (!colonyView()) {
        m_parts.stitcher->fromDatabase(m_parts.database, fromDatabaseSuffix());
        return;
    }
    ColonyDatabaseGui browser(m_parts.database, m_parts.window, false);
    if (MessageBox_Helper::exec(&browser) == QDialog::Accepted)
        reevaluate(RackReevaluation::fromBrowser(browser));
}

void PictureCommands::reevaluate(const RackReevaluation::Request& request)
{
    if (request.mode != ColonyDatabaseGui::ReevaluateDatabaseSettings
        && request.mode != ColonyDatabaseGui::ReevaluateCurrentSettings)
        return;
    const bool storedSettings = request.mode == ColonyDatabaseGui::ReevaluateDatabaseSettings;
    if (storedSettings) {
        QString cameraName;
        const bool read = Camera_Settings::ReadName(request.cameraSettingsXml, cameraName);
        if (!read
            || !m_parts.camera->takeOverSettingsText(request.cameraSettingsXml,
                                                     Camera_Settings::settingsFolder() + QLatin1Char('/') + cameraName
                                                         + fromDatabaseSuffix() + Camera_Settings::fileExtension())) {
            CommandFailureBox::showText(m_parts.window, tr("Settings error"), tr("Cannot set the camera settings!"));
            return;
        }
    }

    PageAnalyser analyser(*m_parts.colonyFiles, *m_parts.page, storedSettings);
    const Errors::Type_Error code = RackReevaluation::run(request, m_parts.colonySettings->data(), analyser);
    if (code == 0)
        return;
    if ((!analyser.called && storedSettings && code == RackReevaluation::ErrorSettings) || analyser.settingsCode != 0) {
        CommandFailureBox::showText(m_parts.window, tr("Settings error"), tr("Cannot set the colony settings!"));
        return;
    }
    CommandFailureBox::showCode(m_parts.window, analyser.called ? tr("Analyse error") : tr("Read image error"), code);
    CommandFailureBox::showText(m_parts.window, tr("Settings error"), tr("Cannot analyse the colony!"));
}

void PictureCommands::colonyDemo(const QString& baseName)
{
    m_parts.colonySettings->emitCustom(ColonySettings::CustomSignal_PageLeft);
    stopAndResetCorrection();
    if (const Errors::Type_Error code = m_parts.colonyFiles->load(demoSettingsPath(baseName), false)) {
        CommandFailureBox::showText(m_parts.window, tr("Settings error"),
                                    tr("Cannot set the colony settings!\nError: %1").arg(Errors::getErrorText(code)));
        return;
    }
    // Demo settings are bound to no file: a save asks where to.
    m_parts.colonyFiles->clearFileName();
    m_parts.colonyEditor->updateTitle();
    if (!analysePictureFile(demoPicturePath(baseName)))
        CommandFailureBox::showText(m_parts.window, tr("Analyse error"), tr("Cannot analyse the colony!"));
}

bool PictureCommands::loadPicture(const QString& path, Halcon::Hobject& picture)
{
    const Errors::Type_Error code = Halcon_Helper::LoadImageFile(path, picture);
    if (code != 0)
        CommandFailureBox::showCode(m_parts.window, tr("Read image error"), code);
    return code == 0;
}

bool PictureCommands::resetAndAnalyse(const Halcon::Hobject& picture, const QString& resetTitle)
{
    if (const Errors::Type_Error code = m_parts.page->Reset()) {
        CommandFailureBox::showCode(m_parts.window, resetTitle, code);
        return false;
    }
    if (const Errors::Type_Error code = m_parts.page->Analyse(picture)) {
        CommandFailureBox::showCode(m_parts.window, tr("Analyse error"), code);
        return false;
    }
    return true;
}

bool PictureCommands::analysePictureFile(const QString& path)
{
    Halcon::Hobject picture;
    return loadPicture(path, picture) && resetAndAnalyse(picture, tr("Analyse error"));
}

Errors::Type_Error PictureCommands::selectRack(int& rackId)
{
    rackId = -1;
    ColonyDatabaseGui browser(m_parts.database, m_parts.window, true);
    if (MessageBox_Helper::exec(&browser) == QDialog::Accepted)
        rackId = browser.selectedRackId();
    return 0;
}
