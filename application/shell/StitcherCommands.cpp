#include "StitcherCommands.h"

#include "ColonyAnalyserGui.h"
#include "CommandFailureBox.h"
#include "ColonySettings.h"
#include "ColonySettingsFiles.h"
#include "ColonySettingsGui.h"
#include "CorrectionInfo.h"
#include "Halcon_Helper.h"
#include "ImageStitcherDatabaseGui.h"
#include "ImageStitcherGui.h"
#include "ImageStitcherSettings.h"
#include "ImageStitcherSettingsFiles.h"
#include "ImageStitcherSettingsGui.h"
#include "MessageBox_Helper.h"
#include "ModelMatching.h"
#include "PictureFileLoader.h"

namespace {
const QString c_demoPrefix = QStringLiteral("Demo_");
}

QString StitcherCommands::demoSettingsPath(const QString& baseName)
{
    return ImageStitcherSettings::demoFolder() + QStringLiteral("/") + c_demoPrefix + baseName
        + ImageStitcherSettings::fileExtension();
}

QString StitcherCommands::demoColonySettingsPath(const QString& baseName)
{
    return ColonySettings::demoFolder() + QStringLiteral("/") + ColonySettings::demoPrefix() + baseName
        + ColonySettings::fileExtension();
}

QStringList StitcherCommands::demoPicturePaths(const QString& baseName)
{
    QStringList paths;
    for (int n = 1; n <= ImageStitcherGui::PositionsCount; ++n)
        paths << ImageStitcherSettings::demoFolder() + QStringLiteral("/") + baseName
                + QStringLiteral("-%1.png").arg(n, 2, 10, QLatin1Char('0'));
    return paths;
}

StitcherCommands::StitcherCommands(const Parts& parts)
    : m_parts(parts)
{
}

void StitcherCommands::demo(const QString& baseName)
{
    m_parts.settings->emitCustom(ImageStitcherSettings::CustomSignal_OverviewShown);
    m_parts.loader->cancel();
    m_parts.colonyLoader->cancel();
    m_parts.page->Stop();
    m_parts.colonyPage->Stop();
    CorrectionInfo::resetCurrent();
    m_parts.crossModel->SetModelPictureMode(ModelMatching::Mode_Analyse);
    if (const Errors::Type_Error code = m_parts.files->load(demoSettingsPath(baseName), true)) {
        CommandFailureBox::showText(
            m_parts.window, tr("Settings error"),
            tr("Failed to load the image stitcher settings!\nError: %1").arg(Errors::getErrorText(code)));
        return;
    }
    // Demo settings are bound to no file: a save asks where to.
    m_parts.files->clearFileName();
    m_parts.editor->updateWindowTitle();
    if (const Errors::Type_Error code = m_parts.colonyFiles->load(demoColonySettingsPath(baseName), false)) {
        CommandFailureBox::showText(
            m_parts.window, tr("Settings error"),
            tr("Failed to load the colony settings!\nError: %1").arg(Errors::getErrorText(code)));
        return;
    }
    m_parts.colonyFiles->clearFileName();
    m_parts.colonyEditor->updateTitle();
    stitchPictureFiles(demoPicturePaths(baseName), {tr("Analyse error"), tr("Cannot stitch images!")});
}

void StitcherCommands::fromDatabase(ApplicationDatabase* database, const QString& suffix)
{
    ImageStitcherDatabaseGui browser(database, m_parts.window);
    if (MessageBox_Helper::exec(&browser) != QDialog::Accepted)
        return;
    const int mode = browser.getReevaluateMode();
    if (mode != ImageStitcherDatabaseGui::ReevaluateDatabaseSettings
        && mode != ImageStitcherDatabaseGui::ReevaluateCurrentSettings)
        return;
    if (mode == ImageStitcherDatabaseGui::ReevaluateDatabaseSettings) {
        ImageStitcherSettings stored;
        if (!stored.fromXmlString(browser.getSettingsXml())
            || m_parts.files->takeOver(stored,
                                       ImageStitcherSettings::settingsFolder() + QStringLiteral("/")
                                           + stored.data().name + suffix + ImageStitcherSettings::fileExtension(),
                                       false)
                != 0) {
            CommandFailureBox::showText(m_parts.window, tr("Settings error"), tr("Cannot set the stitcher settings!"));
            return;
        }
    }
    stitchPictureFiles(browser.getPictureList(), {tr("Settings error"), tr("Cannot stitch the images!")});
}

bool StitcherCommands::stitchPictureFiles(const QStringList& paths, const CommandFailureBox::Followup& followup)
{
    const auto fail = [this, followup](const QString& title, Errors::Type_Error code) {
        CommandFailureBox::showCode(m_parts.window, title, code);
        CommandFailureBox::showFollowup(m_parts.window, followup);
    };
    if (const Errors::Type_Error code = m_parts.page->Reset()) {
        fail(tr("Analsye error"), code);
        return false;
    }
    m_parts.loader->load(paths, [this, fail](const PictureFileLoader::Result& read) {
        if (read.code != 0) {
            fail(tr("Read image error"), read.code);
            return;
        }
        // While the pictures were read, the change notice of settings loaded before may have
        // restarted the page on its old pictures: the new ones replace that run.
        Errors::Type_Error code = m_parts.page->Reset();
        if (code == 0)
            code = m_parts.page->Start(read.pictures);
        if (code != 0)
            fail(tr("Analsye error"), code);
    });
    return true;
}
