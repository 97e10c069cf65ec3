#pragma once

// The dialogs the operator opens from the main window, each reached by its own command; a
// dialog runs through the dialog seam, where the test's answer looks at it.

#include "AnalyserGui.h"
#include "ColonyEditorGui.h"
#include "MainWindowGui.h"
#include "MessageBox_Helper.h"
#include "ui_MainWindowGui.h"

#include <QMap>
#include <QString>

#include <functional>

namespace ProgramWindows {

using Opening = std::function<void(MainWindowGui&)>;

inline const QMap<QString, Opening>& dialogs()
{
    static const QMap<QString, Opening> all{
        {QStringLiteral("application settings"),
         [](MainWindowGui& window) { window.form()->m_QAction_Menubar_System_Settings->trigger(); }},
        {QStringLiteral("instrument settings"),
         [](MainWindowGui& window) { window.form()->m_QAction_Menubar_System_InstrumentSettings->trigger(); }},
        {QStringLiteral("colony results browser"),
         [](MainWindowGui& window) { window.form()->m_QAction_Menubar_PictureFromDatabase->trigger(); }},
        {QStringLiteral("stitcher results browser"),
         [](MainWindowGui& window) {
             window.analyserGui()->showImageStitcher();
             window.form()->m_QAction_Menubar_PictureFromDatabase->trigger();
         }},
        // The page opens it on a stored result; its form is the same on an empty one.
        {QStringLiteral("colony editor"),
         [](MainWindowGui& window) {
             ColonyEditorGui editor(window.colonySettings(), ColonyEditorGui::EditRack(), &window, true);
             MessageBox_Helper::exec(&editor);
         }},
        {QStringLiteral("camera settings choice"),
         [](MainWindowGui& window) {
             QString chosen;
             window.Settings_SelectCameraSettings(QString(), chosen);
         }},
        {QStringLiteral("colony settings choice"),
         [](MainWindowGui& window) {
             QString chosen;
             window.Settings_SelectColonySettings(QString(), chosen);
         }},
        {QStringLiteral("stitcher settings choice"),
         [](MainWindowGui& window) {
             QString chosen;
             window.Settings_SelectImageStitcherSettings(QString(), chosen);
         }},
    };
    return all;
}

} // namespace ProgramWindows
