#pragma once

#include "Errors.h"

#include <QString>

class QObject;

// Process-wide facts and singletons of the library. The host calls Start once, after it has
// made the program folder the current one and created its application object, and Stop
// once after its event loop has ended. The accessors read values that only Start and Stop
// write, so they may be called from any thread in between.
namespace QuendralLibrary {

// Records the facts, writes the version lines to the debug log and standard output,
// registers the embedded pictures, the "pictures:" prefix and the Halcon::Hobject meta
// type, creates the Errors, Halcon_Helper and HalconAutomaticOperatorParallelization
// singletons (children of parent) and claims the single-instance marker. Always 0.
// A repeated Start first tears down what the earlier one made.
Errors::Type_Error Start(const QString& applicationName, const QString& applicationVersion,
                         const QString& applicationCopyrightYears, Errors::CallbackFunctions* errorCallbacks,
                         bool automationServer, QObject* parent = nullptr);
// Releases the marker, deletes the singletons in reverse order and unregisters the
// embedded pictures. Always 0; calling it again, or after the parent of the singletons
// has gone, does nothing more.
Errors::Type_Error Stop();

QString GetApplicationName();
QString GetApplicationVersion();
QString GetApplicationCopyrightYears();
// The current folder at Start.
QString GetApplicationPath();
QString GetPlatformName();
// "<name> V<version> (<platform>)"
QString GetFullVersionText();
QString GetLibraryName();
QString GetLibraryVersion();
QString GetLibraryCopyrightYears();
bool IsAutomationServer();
// Another live process of the same application name held the marker at Start.
bool IsAlreadyRunning();

// The marker file of an application name, in the user's runtime folder: instances of other
// users and the machine-wide temporary folder play no part. The kernel drops its lock when
// the holding process ends in any way, so a crash never leaves a stale "already running"
// behind. Empty when the user has no runtime folder (then no instance sees another).
QString SingleInstanceMarkerPath(const QString& applicationName);

} // namespace QuendralLibrary
