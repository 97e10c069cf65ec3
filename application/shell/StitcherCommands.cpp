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
    if (!stitchPictureFiles(demoPicturePaths(baseName)))
        CommandFailureBox::showText(m_parts.window, tr("Analyse error"), tr("Cannot stitch images!"));
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
    if (!stitchPictureFiles(browser.getPictureList()))
        CommandFailureBox::showText(m_parts.window, tr("Settings error"), tr("Cannot stitch the images!"));
}

bool StitcherCommands::stitchPictureFiles(const QStringList& paths)
{
    if (const Errors::Type_Error code = m_parts.page->Reset()) {
        CommandFailureBox::showCode(m_parts.window, tr("Analsye error"), code);
        return false;
    }
    QList<Halcon::Hobject> pictures;
    for (const QString& path : paths) {
        Halcon::Hobject picture;
        if (const Errors::Type_Error code = Halcon_Helper::LoadImageFile(path, picture)) {
            CommandFailureBox::showCode(m_parts.window, tr("Read image error"), code);
            return false;
        }
        pictures << picture;
    }
    if (const Errors::Type_Error code = m_parts.page->Start(pictures)) {
        CommandFailureBox::showCode(m_parts.window, tr("Analsye error"), code);
        return false;
    }
    return true;
}
