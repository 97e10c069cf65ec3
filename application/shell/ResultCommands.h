#pragma once

#include "Errors.h"

#include <QString>

#include <functional>

class AnalyserGui;
class ColonyAnalyserGui;
class ImageStitcherGui;
class QWidget;

// The operator's commands on the shown result: analyse the held picture again, save the
// result into the database, edit the colonies and export the colony results as delimited
// text. Every failure is shown in a message box. GUI thread.
class ResultCommands {
public:
    struct Parts {
        QWidget* window = nullptr;
        AnalyserGui* analyser = nullptr;
        ColonyAnalyserGui* page = nullptr;
        ImageStitcherGui* stitcherPage = nullptr;
        // The colony editor on the shown result.
        std::function<Errors::Type_Error()> editColonies;
    };

    static QString exportFileFilter();

    explicit ResultCommands(const Parts& parts);

    void analyseStart();
    void databaseSave();
    void editColonies();
    void exportColonyResults();

private:
    bool colonyView() const;
    // 102 or 101 when the page of the current view holds nothing to work on or still runs;
    // else 0.
    Errors::Type_Error readiness();
    // The stored identifier, or -1 with the failing code.
    Errors::Type_Error saveCurrentView(const QString& description, int& id, Errors::Type_Error& pruneError);
    bool pageRunning();

    Parts m_parts;
};
