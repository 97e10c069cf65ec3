#pragma once

#include <QString>

// What the program sets up about its process before anything else runs.
namespace ProgramEnvironment {

// Fixes the time zone once: without TZ the C library looks at /etc/localtime again on
// every local-time conversion, a cost on every row the program stores. A TZ that is set
// stays as it is.
void setProcessTimeZone();

// The folder of the running program file, which every relative path of the program is
// based on.
QString programFolderPath();

// "<name> V<version>(based on QT V<Qt version>)"
QString bannerText();

} // namespace ProgramEnvironment
