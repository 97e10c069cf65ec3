#include "ArchiveExport.h"

#include "ExportTarget_Dialog.h"
#include "ExportTarget_Guard.h"
#include "MessageBox_Helper.h"
#include "RackZipExport.h"

#include <QCoreApplication>
#include <QFileInfo>

ArchiveExport::ArchiveExport(const char* context, QWidget* messageParent, bool interactive)
    : m_context(context)
    , m_messageParent(messageParent)
    , m_interactive(interactive)
{
}

QString ArchiveExport::tr(const char* text) const
{
    return QCoreApplication::translate(m_context, text);
}

void ArchiveExport::cannotGenerate()
{
    if (m_interactive)
        MessageBox_Helper::critical(m_messageParent, tr("Export"),
                                    tr("Cannot generate export archive \"%1\"!").arg(m_archivePath));
}

Errors::Type_Error ArchiveExport::open(const QString& archivePath, bool append)
{
    m_archivePath = archivePath;
    Errors::Type_Error result = ExportTarget_Guard::check(archivePath);
    if (result == 0)
        result = m_zip.Open(archivePath, append && QFileInfo::exists(archivePath));
    if (result != 0) {
        cannotGenerate();
        return result;
    }
    if (m_interactive)
        QCoreApplication::processEvents();
    return 0;
}

void ArchiveExport::readFailure(const char* text)
{
    m_readFailed = true;
    if (m_interactive)
        MessageBox_Helper::warning(m_messageParent, tr("Export"), tr(text));
}

void ArchiveExport::added(const QString& what, Errors::Type_Error code)
{
    if (code == 0)
        return;
    m_addFailed = true;
    if (m_interactive)
        MessageBox_Helper::critical(m_messageParent, tr("Export"),
                                    tr("Cannot add file \"%1\" to export archive \"%2\"!").arg(what, m_archivePath));
}

Errors::Type_Error ArchiveExport::close()
{
    if (const Errors::Type_Error result = m_zip.Close(); result != 0) {
        cannotGenerate();
        return result;
    }
    if (m_readFailed)
        return ErrorPrepareData;
    if (m_addFailed)
        return ErrorAddFile;
    return 0;
}

void ArchiveExport::runFromDialog(QWidget* parent, const char* context, QString& lastExportFile,
                                  const ExportFunction& exportFunction)
{
    auto tr = [context](const char* text) { return QCoreApplication::translate(context, text); };
    ExportTarget_Dialog::Request request;
    request.parent = parent;
    request.caption = tr("Export ZIP filename");
    request.directory = lastExportFile;
    request.filter = QStringLiteral("*.zip");
    request.title = tr("Export");
    // An archive that exists may be appended to: asked below.
    request.askReplace = false;
    const QString fileName = ExportTarget_Dialog::ask(request);
    if (fileName.isEmpty())
        return;
    bool append = false;
    if (QFileInfo::exists(fileName)) {
        const RackZipExport::ArchiveMode mode = RackZipExport::askArchiveMode(parent, fileName);
        if (mode == RackZipExport::ArchiveMode::Cancel)
            return;
        append = mode == RackZipExport::ArchiveMode::Append;
    }
    lastExportFile = fileName;
    const Errors::Type_Error result = exportFunction(fileName, append);
    if (result != 0)
        MessageBox_Helper::critical(parent, tr("Export"),
                                    tr("Export to archive \"%1\" error: %2!").arg(fileName, Errors::getErrorText(result)));
    else
        MessageBox_Helper::information(parent, tr("Export"), tr("Export to archive \"%1\" done!").arg(fileName));
}
