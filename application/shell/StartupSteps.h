#pragma once

#include "AppSettings.h"
#include "Errors.h"

#include <QString>

class ApplicationDatabase;
class QWidget;

// The steps of the main window's construction that check the machine and prepare files:
// the application settings file, the second-instance and camera-driver checks, a new
// database file where the configured one is missing, and the start error of a failed
// database open. Failures never stop the start; they become the start error or a message
// box, and no box is shown when the program runs as automation server. GUI thread.
namespace StartupSteps {

// Read when the file exists, else written with the defaults; fileName becomes the file when
// either succeeded. A file that exists but does not read is kept as it is (the record keeps
// its defaults): false, with the reason for the operator. A file that cannot be written:
// false with an empty reason.
bool loadApplicationSettings(AppSettings& settings, const QString& file, QString& fileName, QString& reason);

// A warning box when another instance of the application runs; nothing else changes.
void warnAboutSecondInstance(QWidget* window);

// A missing or too old uEye driver sets the start error and is shown.
void checkCameraDriver(QWidget* window);

// A missing MS Access file is copied from its template, a missing SQLite3 file is made from
// its script (nothing is left behind when that fails); other kinds need nothing. A missing
// rack picture folder is made.
void prepareDatabaseFile(ApplicationDatabase& database, const AppSettings::DatabaseSettings& settings);

// A failed open of the database at start: the start error and the box "Database error".
void reportDatabaseOpen(QWidget* window, Errors::Type_Error code);

// A settings file that exists but could not be read at start: it was kept, the record holds
// defaults. Shown to the operator.
void reportUnreadableSettingsFile(QWidget* window, const QString& file, const QString& reason);

} // namespace StartupSteps
