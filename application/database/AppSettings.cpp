#include "AppSettings.h"

#include "QuendralLibrary.h"
#include "XML_Settings.h"
#include "XML_Settings_Element.h"

#include <QCoreApplication>

namespace {

const char* const ConfigVersion = "1.1";
const char* const FallbackApplicationName = "zelvorin";

double versionNumber(const QString& text)
{
    // Text that is no number counts as 0 and is accepted.
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok ? value : 0.0;
}

QString applicationVersion()
{
    return QuendralLibrary::GetApplicationVersion();
}

} // namespace

bool AppSettings::DatabaseSettings::isValid(QString* reason) const
{
    QString problem;
    if (Type != TypeMSAccess && Type != TypeMSSQLServer && Type != TypeSQLite3)
        problem = QCoreApplication::translate("AppSettings", "The database type %1 is not supported.").arg(Type);
    else if (AutoDeleteMaximum < 1)
        problem = QCoreApplication::translate("AppSettings", "At least one rack must be kept when old racks are deleted.");
    if (reason)
        *reason = problem;
    return problem.isEmpty();
}

AppSettings::AppSettings(QObject* parent)
    : Settings_Change_Helper(false, 500, parent)
    , m_xmlSettings(new XML_Settings(applicationName(), applicationVersion(), QStringLiteral("Settings"),
                                     QLatin1String(ConfigVersion), QStringLiteral(".AppSettings"), &name, this))
{
    setChangedBlocked(true);
    setDefaults();
    setChangedBlocked(false);
}

AppSettings::~AppSettings()
{
    delete m_xmlSettings;
}

QString AppSettings::applicationName()
{
    const QString started = QuendralLibrary::GetApplicationName();
    return started.isEmpty() ? QLatin1String(FallbackApplicationName) : started;
}

AppSettings::DatabaseSettings AppSettings::defaultDatabaseSettings()
{
    const QString application = applicationName();
    DatabaseSettings settings;
    settings.Type = TypeMSAccess;
    settings.PicturePath = QStringLiteral("database/pictures");
    settings.AutoDelete = true;
    settings.AutoDeleteMaximum = 10000;
    settings.MSAccess.Filename = QStringLiteral("database/") + application + QStringLiteral(".mdb");
    settings.MSSqlServer.Servername = QStringLiteral("localhost\\SQLEXPRESS");
    settings.MSSqlServer.Databasename = application;
    settings.MSSqlServer.SQLServerAuthentication = false;
    settings.MSSqlServer.Username = QStringLiteral("sa");
    settings.MSSqlServer.Password.clear();
    settings.SQLite3.Filename = QStringLiteral("database/") + application + QStringLiteral(".db3");
    return settings;
}

void AppSettings::setDefaults()
{
    name.clear();
    database = defaultDatabaseSettings();
    setChanged(0);
}

void AppSettings::buildDocument(bool withPassword)
{
    XML_Settings_Element root = m_xmlSettings->createDocument();
    XML_Settings_Element db = root.addElement(QStringLiteral("Database"));
    db.addValue(QStringLiteral("Type"), int(database.Type));
    db.addValue(QStringLiteral("PicturePath"), database.PicturePath);
    db.addValue(QStringLiteral("AutoDelete"), database.AutoDelete);
    db.addValue(QStringLiteral("AutoDeleteMaximum"), int(database.AutoDeleteMaximum));
    XML_Settings_Element access = db.addElement(QStringLiteral("MSAccess"));
    access.addValue(QStringLiteral("Filename"), database.MSAccess.Filename);
    XML_Settings_Element server = db.addElement(QStringLiteral("MSSqlServer"));
    server.addValue(QStringLiteral("Servername"), database.MSSqlServer.Servername);
    server.addValue(QStringLiteral("Databasename"), database.MSSqlServer.Databasename);
    server.addValue(QStringLiteral("SQLServerAuthentication"), database.MSSqlServer.SQLServerAuthentication);
    server.addValue(QStringLiteral("Username"), database.MSSqlServer.Username);
    server.addValue(QStringLiteral("Password"), withPassword ? database.MSSqlServer.Password : QString());
    XML_Settings_Element sqlite = db.addElement(QStringLiteral("SQLite3"));
    sqlite.addValue(QStringLiteral("Filename"), database.SQLite3.Filename);
}

QString AppSettings::toXmlString(bool withPassword)
{
    buildDocument(withPassword);
    return m_xmlSettings->toString();
}

bool AppSettings::save(const QString& fileName)
{
    buildDocument(true);
    return m_xmlSettings->save(fileName);
}

bool AppSettings::readDocument(const QString& text, QString& parsedName, DatabaseSettings& parsed)
{
    XML_Settings reader(applicationName(), applicationVersion(), QStringLiteral("Settings"),
                        QLatin1String(ConfigVersion), QStringLiteral(".AppSettings"), &parsedName);
    QString fileVersion;
    XML_Settings_Element root = reader.parse(text, fileVersion);
    if (root.isNull())
        return false;
    if (versionNumber(fileVersion) > versionNumber(QLatin1String(ConfigVersion)))
        return false;

    parsed = defaultDatabaseSettings();
    XML_Settings_Element db = root.getElement(QStringLiteral("Database"));
    if (db.isNull())
        return true;
    int type = parsed.Type;
    if (db.getValue(QStringLiteral("Type"), type))
        parsed.Type = type;
    db.getValue(QStringLiteral("PicturePath"), parsed.PicturePath);
    db.getValue(QStringLiteral("AutoDelete"), parsed.AutoDelete);
    int maximum = parsed.AutoDeleteMaximum;
    if (db.getValue(QStringLiteral("AutoDeleteMaximum"), maximum))
        parsed.AutoDeleteMaximum = maximum;
    XML_Settings_Element access = db.getElement(QStringLiteral("MSAccess"));
    if (!access.isNull())
        access.getValue(QStringLiteral("Filename"), parsed.MSAccess.Filename);
    XML_Settings_Element server = db.getElement(QStringLiteral("MSSqlServer"));
    if (!server.isNull()) {
        server.getValue(QStringLiteral("Servername"), parsed.MSSqlServer.Servername);
        server.getValue(QStringLiteral("Databasename"), parsed.MSSqlServer.Databasename);
        server.getValue(QStringLiteral("SQLServerAuthentication"), parsed.MSSqlServer.SQLServerAuthentication);
        server.getValue(QStringLiteral("Username"), parsed.MSSqlServer.Username);
        server.getValue(QStringLiteral("Password"), parsed.MSSqlServer.Password);
    }
    XML_Settings_Element sqlite = db.getElement(QStringLiteral("SQLite3"));
    if (!sqlite.isNull())
        sqlite.getValue(QStringLiteral("Filename"), parsed.SQLite3.Filename);
    // A kind no open serves, or a maximum that would prune every rack, is no usable setting.
    return parsed.isValid();
}

bool AppSettings::fromXmlString(const QString& text)
{
    QString parsedName;
    DatabaseSettings parsed;
    if (!readDocument(text, parsedName, parsed))
        return false;
    name = parsedName;
    database = parsed;
    setChanged(0);
    return true;
}

bool AppSettings::load(const QString& fileName)
{
    // Without a name pointer the reader leaves the record's name alone.
    XML_Settings reader(applicationName(), applicationVersion(), QStringLiteral("Settings"),
                        QLatin1String(ConfigVersion), QStringLiteral(".AppSettings"), nullptr);
    QString text;
    if (!reader.readFile(text, fileName))
        return false;
    return fromXmlString(text);
}
