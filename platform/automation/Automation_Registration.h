#pragma once

#include <QString>
#include <QStringList>

// The registration of an automation class: a D-Bus service activation file in the user's
// data folder ($XDG_DATA_HOME/dbus-1/services, else ~/.local/share/dbus-1/services) that
// names the class's bus name and the program the bus starts for it. It is per user, so
// writing it needs no elevation.
class Automation_Registration {
public:
    enum State {
        Missing, // no file
        Current, // the file starts this program for this name
        Stale // another program, another name, or a file that cannot be read as one
    };

    static QString activationFilePath(const QString& serviceName);

    // Writes the file atomically; error gets the reason on failure.
    static bool write(const QString& serviceName, const QString& programPath, const QStringList& arguments,
                      QString& error);
    // A missing file counts as removed.
    static bool remove(const QString& serviceName, QString& error);
    static State state(const QString& serviceName, const QString& programPath);

    // The program's command line in the file, quoted as the bus splits it.
    static QString commandLine(const QString& programPath, const QStringList& arguments);
    // The first word of such a command line (quotes and escapes resolved); false when the
    // line has no word or an open quote.
    static bool firstWord(const QString& commandLine, QString& word);
};
