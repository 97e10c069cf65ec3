#pragma once

#include <QString>

// Fixed texts of the program: its name on the console, in titles, on the bus and in file
// names, its version and the name of its automation class.
namespace ApplicationConstants {

inline QString applicationName()
{
    return QStringLiteral("zelvorin");
}

inline QString version()
{
    return QStringLiteral("1.1.0");
}

inline QString copyrightYears()
{
    return QStringLiteral("2014");
}

inline QString automationClassName()
{
    return QStringLiteral("COM_Class");
}

} // namespace ApplicationConstants
