#pragma once

#include "AppSettings.h"

#include <QString>

// The application settings as an analysis worker keeps them: copied at each start and never
// read by the steps.
struct WorkerAppSettings {
    QString name;
    AppSettings::DatabaseSettings database;

    // The values of record; the defaults without one.
    static WorkerAppSettings of(const AppSettings* record);
};
