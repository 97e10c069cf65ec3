#pragma once

#include "Errors.h"
#include "Zip_Helper.h"

#include <QString>

#include <functional>

class QWidget;

// One export of stored results into a ZIP archive, reported the way the results browsers do:
// message boxes when interactive (texts translated in the browser's context), failures of
// single entries remembered so that the others still go in, and one result code at the end.
class ArchiveExport {
public:
    static constexpr Errors::Type_Error ErrorPrepareData = 73;
    static constexpr Errors::Type_Error ErrorAddFile = 74;

    // context: the translation context of the texts; messageParent parents the boxes.
    ArchiveExport(const char* context, QWidget* messageParent, bool interactive);

    // 0; 104 for a target that is the program's own data or no regular file
    // (ExportTarget_Guard); else the code of Zip_Helper::Open. Append only when asked and
    // the archive exists.
    Errors::Type_Error open(const QString& archivePath, bool append);
    Zip_Helper& zip() { return m_zip; }
    // A result or its data could not be read (text: untranslated, in the context).
    void readFailure(const char* text);
    // The outcome of adding what (a file or an entry name) to the archive.
    void added(const QString& what, Errors::Type_Error code);
    // The code of Zip_Helper::Close; else 73 after a read failure, 74 after an add failure, 0.
    Errors::Type_Error close();

    using ExportFunction = std::function<Errors::Type_Error(const QString& archivePath, bool append)>;
    // The browsers' "Data export": asks for the archive (lastExportFile offered and updated)
    // and, for an existing one, whether to append or overwrite; runs the export and shows
    // its outcome.
    static void runFromDialog(QWidget* parent, const char* context, QString& lastExportFile,
                              const ExportFunction& exportFunction);

private:
    QString tr(const char* text) const;
    void cannotGenerate();

    const char* m_context;
    QWidget* m_messageParent;
    bool m_interactive;
    QString m_archivePath;
    Zip_Helper m_zip;
    bool m_readFailed = false;
    bool m_addFailed = false;
};
