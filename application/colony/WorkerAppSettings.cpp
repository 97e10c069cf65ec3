#include "WorkerAppSettings.h"

WorkerAppSettings WorkerAppSettings::of(const AppSettings* record)
{
    WorkerAppSettings data;
    if (record) {
        data.name = record->name;
        data.database = record->database;
    }
    return data;
}
