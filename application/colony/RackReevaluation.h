#pragma once

#include "ColonySettingsData.h"
#include "Errors.h"

#include <Hobject.h>

#include <QString>

class ColonyDatabaseGui;

// Re-evaluation of a stored rack, as the main window runs it after the results browser was
// accepted with a re-evaluate mode: the rack's correction becomes the process-wide current
// correction and its stored picture is analysed again, with the rack's colony settings
// (mode 1) or with the settings in force (mode 2). Everything is read and checked before the
// correction is replaced, so a failure leaves the current correction and the worker alone.
class RackReevaluation {
public:
    // The analysis worker as the re-evaluation needs it; ColonyAnalyserThread::Analyse
    // behind it in the application.
    class Analyser {
    public:
        virtual ~Analyser() = default;
        virtual Errors::Type_Error analyse(const ColonySettingsData& settings, const Halcon::Hobject& picture) = 0;
    };

    struct Request {
        int mode = 0; // 0 nothing, 1 stored settings, 2 current settings
        QString pictureFilePath;
        QString cameraSettingsXml;
        QString colonySettingsXml;
        QString correctionText;
    };

    // Application code of a stored colony settings text that cannot be read.
    static constexpr Errors::Type_Error ErrorSettings = 3;

    // The texts the browser kept from its last re-evaluate action.
    static Request fromBrowser(const ColonyDatabaseGui& browser);

    // 0 (also for mode 0, which does nothing); the picture loading code; 3 for a stored
    // colony settings text that does not read; else the worker's code. used receives the
    // colony settings the analysis ran with (mode 1: named "<name> (from database)").
    static Errors::Type_Error run(const Request& request, const ColonySettingsData& currentSettings, Analyser& analyser,
                                  ColonySettingsData* used = nullptr);
};
