#pragma once

#include <QString>

class QWidget;

// The file an operator exports to, chosen in the save dialog. Before anything else is asked,
// a choice that ExportTarget_Guard refuses is answered with a box that names the file and
// says why; a file that exists is then replaced only when the operator agrees.
class ExportTarget_Dialog {
public:
    struct Request {
        QWidget* parent = nullptr;
        QString caption; // of the file dialog
        QString directory;
        QString filter;
        QString title; // of the boxes
        // Off where the caller asks itself what becomes of an existing file (an archive it
        // may append to).
        bool askReplace = true;
    };

    // The file to write; empty when the operator cancelled, the file was refused or he kept
    // the existing one.
    static QString ask(const Request& request);

    // The refusal box's text.
    static QString refusalText(const QString& target, const QString& reason);
};
