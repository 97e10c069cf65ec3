#include "ProgramEnvironment.h"

#include "ApplicationConstants.h"
#include "Automation_Entry.h"

#include <QFileInfo>
#include <QtGlobal>

#include <ctime>

namespace ProgramEnvironment {

void setProcessTimeZone()
{
    if (!qEnvironmentVariableIsSet("TZ"))
        qputenv("TZ", ":/etc/localtime");
    tzset();
}

QString programFolderPath()
{
    return QFileInfo(Automation_Entry::programFilePath()).absolutePath();
}

QString bannerText()
{
    return ApplicationConstants::applicationName() + QStringLiteral(" V") + ApplicationConstants::version()
        + QStringLiteral("(based on QT V") + QLatin1String(qVersion()) + QLatin1Char(')');
}

} // namespace ProgramEnvironment
