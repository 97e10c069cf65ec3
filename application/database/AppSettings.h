#pragma once

#include "Settings_Change_Helper.h"

#include <QString>
#include <QtGlobal>

class XML_Settings;

// The application-wide settings: which database the application uses and how it reaches it,
// where rack pictures go and whether old racks are pruned. Kept in
// "settings/default.AppSettings" and, without the SQL Server password, with every rack.
class AppSettings : public Settings_Change_Helper {
    Q_OBJECT
public:
    struct MSAccessSettings {
        QString Filename;
    };

    struct MSSqlServerSettings {
        QString Servername;
        QString Databasename;
        // true: the connection passes Username and Password; false: the driver logs in.
        bool SQLServerAuthentication = false;
        QString Username;
        QString Password;
    };

    struct SQLite3Settings {
        QString Filename;
    };

    // A plain value that workers copy whole.
    struct DatabaseSettings {
        qint32 Type = 1;
        QString PicturePath;
        bool AutoDelete = true;
        qint32 AutoDeleteMaximum = 10000;
        MSAccessSettings MSAccess;
        MSSqlServerSettings MSSqlServer;
        SQLite3Settings SQLite3;

        // Whether the values can be used, with the reason when not: a database type that no
        // open serves, or a number of kept racks below 1 (which would prune every rack).
        bool isValid(QString* reason = nullptr) const;
    };

    static constexpr int TypeMSAccess = 1;
    static constexpr int TypeMSSQLServer = 2;
    static constexpr int TypeSQLite3 = 4;

    explicit AppSettings(QObject* parent = nullptr);
    ~AppSettings() override;

    void setDefaults();
    // The record as settings text, as stored with every rack: the SQL Server password is
    // left out unless asked for.
    QString toXmlString(bool withPassword = false);
    // Writes the whole record, password included, atomically.
    bool save(const QString& fileName);
    // Fields the text lacks take their defaults. A text that does not parse, lacks Name/Name,
    // carries a configuration version above this record's or holds unusable values
    // (DatabaseSettings::isValid) gives false and changes nothing, the name included.
    bool fromXmlString(const QString& text);
    bool load(const QString& fileName);

    // The application name behind the default file names ("zelvorin" before the library starts).
    static QString applicationName();
    static DatabaseSettings defaultDatabaseSettings();

    QString name;
    DatabaseSettings database;

private:
    void buildDocument(bool withPassword);
    static bool readDocument(const QString& text, QString& parsedName, DatabaseSettings& parsed);

    XML_Settings* m_xmlSettings;
};
