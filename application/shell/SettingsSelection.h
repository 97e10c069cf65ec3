#pragma once

#include "Errors.h"

#include <QString>

class Automation_Call;
class QWidget;

// The choice of a settings file by name for an automation client: the modal list of one
// kind's folder, with the current file, or the client's default name, chosen at the start.
// The chosen name comes without folder and extension; a cancel gives an empty name, and
// the result is 0 either way. Shown also in an automation server: someone chooses. With an
// automation call the list is part of it (MessageBox_Helper::open): chosen is written when the
// list closes and must live until then.
class SettingsSelection {
public:
    struct Kind {
        QString picture;
        QString title;
        QString folder;
        QString extension;
    };

    static Kind camera();
    static Kind colony();
    static Kind imageStitcher();

    // The file chosen at the start: the default name's file in the kind's folder, else the
    // current file.
    static QString preselected(const Kind& kind, const QString& defaultName, const QString& currentFile);

    static Errors::Type_Error select(QWidget* parent, const Kind& kind, const QString& defaultName,
                                     const QString& currentFile, QString& chosen, Automation_Call* call = nullptr);
};
