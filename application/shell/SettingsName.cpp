#include "SettingsName.h"

#include "ColonySettings.h"

namespace SettingsName {

bool isPlainName(const QString& name)
{
    // No file system takes longer names.
    if (name.isEmpty() || name.size() > MaximumLength)
        return false;
    bool onlyDots = true;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
        onlyDots = onlyDots && c == QLatin1Char('.');
    }
    return !onlyDots;
}

Errors::Type_Error resolve(const QString& name, const QString& folder, const QString& demoFolder,
                           const QString& extension, QString& path)
{
    path.clear();
    if (!isPlainName(name))
        return ErrorNotAName;
    const bool demo = !demoFolder.isEmpty() && name.startsWith(ColonySettings::demoPrefix());
    path = (demo ? demoFolder : folder) + QLatin1Char('/') + name + extension;
    return 0;
}

} // namespace SettingsName
