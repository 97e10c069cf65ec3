#pragma once

#include "AppErrors.h"
#include "Errors.h"

#include <QString>

// A settings name handed in by an automation client, turned into the file it stands for. A
// client names settings, it never points at files: a name with a path separator, a control
// character, a name that is only dots or one too long for a file name is refused, so no call reaches a file outside the
// settings folders.
namespace SettingsName {

// 104 "The parameter is incorrect or not supported" for a name that is no plain name.
constexpr Errors::Type_Error ErrorNotAName = AppErrors::ParameterIncorrect;
constexpr int MaximumLength = 200;

bool isPlainName(const QString& name);

// A name beginning "Demo_" (case-sensitive) lies in demoFolder, any other in folder; the
// extension is always appended. An empty demoFolder means the class has no demo settings.
// path is emptied first; 0 or ErrorNotAName. An empty name is no name either: callers keep
// their current settings before they ask here.
Errors::Type_Error resolve(const QString& name, const QString& folder, const QString& demoFolder,
                           const QString& extension, QString& path);

} // namespace SettingsName
