#pragma once

#include "AppSettingsGui.h"

#include <QString>

class AppSettings;
class ApplicationDatabase;
class InstrumentSettings;
class QWidget;

// The operator's System and Help commands: the application and instrument settings dialogs
// with the saving of their records, the About and System Information texts and the manual.
// Failures are shown in message boxes. GUI thread.
class SystemCommands {
public:
    struct Parts {
        QWidget* window = nullptr;
        AppSettingsGui::CallbackFunctions* databaseOpener = nullptr;
        ApplicationDatabase* database = nullptr;
        AppSettings* appSettings = nullptr;
        // The main window's record of the application settings file.
        QString* appSettingsFileName = nullptr;
        InstrumentSettings* instrumentSettings = nullptr;
    };

    static QString appSettingsFilePath() { return QStringLiteral("settings/default.AppSettings"); }
    static QString manualFileName() { return QStringLiteral("zelvorin_Manual.pdf"); }

    explicit SystemCommands(const Parts& parts);

    void applicationSettings();
    void instrumentSettings();
    void about();
    void systemInformation();
    void manual();

private:
    Parts m_parts;
};
