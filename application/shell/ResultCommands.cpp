#include "ResultCommands.h"

#include "AnalyserGui.h"
#include "AppErrors.h"
#include "ColonyAnalyserGui.h"
#include "CommandFailureBox.h"
#include "ExportTarget_Dialog.h"
#include "ImageStitcherGui.h"
#include "MessageBox_Helper.h"

#include <QCoreApplication>
#include <QInputDialog>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("MainWindowGui", text);
}

QString analyserWorkingText()
{
    return tr("Analyser is working. The Analyser must complete before results can be exported.\nWait until "
              "analyser has completed or stop analyser.");
}

} // namespace

QString ResultCommands::exportFileFilter()
{
    return tr("CSV files (*.csv)");
}

ResultCommands::ResultCommands(const Parts& parts)
    : m_parts(parts)
{
}

bool ResultCommands::colonyView() const
{
    return m_parts.analyser->currentView() == 1;
}

Errors::Type_Error ResultCommands::readiness()
{
    bool running = false;
    const Errors::Type_Error code =
        colonyView() ? m_parts.page->CheckRunning(running) : m_parts.stitcherPage->CheckRunning(running);
    if (code == AppErrors::NoPictureData)
        return code;
    return running ? Errors::Type_Error(AppErrors::AnalysingPictureInProgress) : Errors::Type_Error(0);
}

bool ResultCommands::pageRunning()
{
    bool running = false;
    m_parts.page->CheckRunning(running);
    return running;
}

void ResultCommands::analyseStart()
{
    Errors::Type_Error code = readiness();
    if (code == 0)
        code = colonyView() ? m_parts.page->Reanalyse() : m_parts.stitcherPage->slot_ImageStitcherSettings_changed();
    if (code != 0)
        CommandFailureBox::showText(m_parts.window, tr("Analyse error"),
                                    tr("Cannot analyse the colony: %1!").arg(Errors::getErrorText(code)));
}

Errors::Type_Error ResultCommands::saveCurrentView(const QString& description, int& id,
                                                   Errors::Type_Error& pruneError)
{
    id = -1;
    if (colonyView())
        return m_parts.page->SaveResult(false, QString(), description, -1, id, &pruneError);
    return m_parts.stitcherPage->SaveResult(false, QString(), description, true, true, id);
}

void ResultCommands::databaseSave()
{
    auto failed = [this](Errors::Type_Error code) {
        CommandFailureBox::showText(
            m_parts.window, tr("Database error"),
            tr("Cannot save the informationen to the database: %1!").arg(Errors::getErrorText(code)));
    };
    if (const Errors::Type_Error code = readiness()) {
        failed(code);
        return;
    }
    QInputDialog input(m_parts.window);
    input.setWindowTitle(tr("Enter description"));
    input.setLabelText(tr("Description:"));
    input.setTextEchoMode(QLineEdit::Normal);
    input.setTextValue(QString());
    if (MessageBox_Helper::exec(&input) != QDialog::Accepted)
        return;
    const QString description = input.textValue();
    QCoreApplication::processEvents();

    const bool colony = colonyView();
    int id = -1;
    Errors::Type_Error pruneError = 0;
    const Errors::Type_Error code = saveCurrentView(description, id, pruneError);
    if (code != 0) {
        failed(code);
        return;
    }
    MessageBox_Helper::information(m_parts.window, tr("Database"),
                                   (colony ? tr("The result of analysing is saved to RackID=%1")
                                           : tr("The result of analysing is saved to ImageStitcherID=%1"))
                                       .arg(id),
                                   QMessageBox::Ok);
    // The rack is stored; the deletion of old racks is a matter of its own.
    if (pruneError != 0)
        MessageBox_Helper::warning(m_parts.window, tr("Database"),
                                   tr("Old racks cannot be deleted: %1!").arg(Errors::getErrorText(pruneError)),
                                   QMessageBox::Ok);
}

void ResultCommands::editColonies()
{
    if (!colonyView()) {
        MessageBox_Helper::information(m_parts.window, tr("Edit Colonies"),
                                       tr("Image Stitcher does not support 'Edit Colonies'!"), QMessageBox::Ok);
        return;
    }
    if (pageRunning()) {
        CommandFailureBox::showText(m_parts.window, tr("Edit Colonies"), analyserWorkingText());
        return;
    }
    // A failed edit leaves the result as it was; the operator must learn that it did not apply.
    if (m_parts.editColonies) {
        if (const Errors::Type_Error code = m_parts.editColonies())
            CommandFailureBox::showCode(m_parts.window, tr("Edit Colonies"), code);
    }
}

void ResultCommands::exportColonyResults()
{
    if (pageRunning()) {
        CommandFailureBox::showText(m_parts.window, tr("Export Colony Results"), analyserWorkingText());
        return;
    }
    ExportTarget_Dialog::Request request;
    request.parent = m_parts.window;
    request.caption = tr("Export Colony Positions");
    request.directory = QStringLiteral("Colony Positions.csv");
    request.filter = exportFileFilter();
    request.title = tr("Export Colony Results");
    const QString file = ExportTarget_Dialog::ask(request);
    if (file.isEmpty())
        return;
    // A file that cannot be written is no silent success: the operator sees why none is there.
    if (const Errors::Type_Error code = m_parts.page->ExportColonyResultsCurrentRack(file, QString()))
        CommandFailureBox::showCode(m_parts.window, request.title, code);
    else
        MessageBox_Helper::information(m_parts.window, request.title, tr("Export to \"%1\" done!").arg(file));
}
