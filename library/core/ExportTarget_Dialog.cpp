#include "ExportTarget_Dialog.h"

#include "ExportTarget_Guard.h"
#include "MessageBox_Helper.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("ExportTarget_Dialog", text);
}

} // namespace

QString ExportTarget_Dialog::refusalText(const QString& target, const QString& reason)
{
    return tr("Cannot export to \"%1\": %2.").arg(QDir::toNativeSeparators(target), reason);
}

QString ExportTarget_Dialog::ask(const Request& request)
{
    MessageBox_Helper::FileRequest file;
    file.kind = MessageBox_Helper::FileRequest::SaveFile;
    file.parent = request.parent;
    file.caption = request.caption;
    file.directory = request.directory;
    file.filter = request.filter;
    // The dialog's own question would come before the refusal.
    file.confirmOverwrite = false;
    const QString target = MessageBox_Helper::getFileName(file);
    if (target.isEmpty())
        return QString();
    if (const QString reason = ExportTarget_Guard::refusalReason(target); !reason.isEmpty()) {
        MessageBox_Helper::critical(request.parent, request.title, refusalText(target, reason));
        return QString();
    }
    if (request.askReplace && QFileInfo::exists(target)) {
        const QMessageBox::StandardButton answer = MessageBox_Helper::question(
            request.parent, request.title,
            tr("\"%1\" already exists.\nDo you want to replace it?").arg(QDir::toNativeSeparators(target)),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return QString();
    }
    return target;
}
