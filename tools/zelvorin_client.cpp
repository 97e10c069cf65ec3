// Calls methods of the running program's automation class from a command line, the way the
// instrument's control software does, and prints each call's out arguments.

#include "Automation_Client.h"
#include "Automation_BusNames.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

namespace {

const char* const kUsage
    = "Usage: zelvorin-client [--service NAME] [--class NAME] --list\n"
      "       zelvorin-client [--service NAME] [--class NAME] METHOD [ARGUMENT...]\n"
      "       zelvorin-client [--service NAME] [--class NAME] --stdin\n"
      "Creates one automation object, calls METHOD with the arguments (lists as \"1,2,3\") and prints\n"
      "\"<name>: <value>\" for every out argument, then releases the object. --list prints the\n"
      "methods; --stdin reads one call a line and keeps the object between them.\n"
      "Defaults: --service zelvorin.COM_Class --class COM_Class.\n";

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
}

// One call a line, split as QProcess::splitCommand does (double quotes group, three stand for
// a quote character), except that an empty quoted argument ("") stays an argument: dropped,
// it would shift the arguments after it onto the wrong parameters.
QStringList splitLine(const QString& line)
{
    QStringList words;
    QString word;
    bool started = false;
    bool inQuote = false;
    int quotes = 0;
    for (const QChar c : line) {
        if (c == QLatin1Char('"')) {
            started = true;
            if (++quotes == 3) {
                quotes = 0;
                word += c;
            }
            continue;
        }
        if (quotes == 1)
            inQuote = !inQuote;
        quotes = 0;
        if (!inQuote && c.isSpace()) {
            if (started)
                words << word;
            word.clear();
            started = false;
        } else {
            word += c;
            started = true;
        }
    }
    if (started)
        words << word;
    return words;
}

bool callLine(Automation_Client& client, const QStringList& words)
{
    QStringList lines;
    QString error;
    if (!client.callWithText(words.constFirst(), words.mid(1), lines, error)) {
        err() << error << Qt::endl;
        return false;
    }
    for (const QString& line : std::as_const(lines))
        out() << line << '\n';
    out().flush();
    return true;
}

int listMethods(Automation_Client& client)
{
    QList<Automation_InterfaceDescription::Method> methods;
    QString error;
    if (!client.methods(methods, error)) {
        err() << error << Qt::endl;
        return 1;
    }
    for (const Automation_InterfaceDescription::Method& method : std::as_const(methods)) {
        QStringList inputs;
        QStringList outputs;
        for (const Automation_InterfaceDescription::Argument& argument : method.arguments) {
            const QString name = argument.name.isEmpty() ? QStringLiteral("result") : argument.name;
            (argument.output ? outputs : inputs) << name + QLatin1Char(':') + argument.signature;
        }
        out() << method.name << '(' << inputs.join(QStringLiteral(", ")) << ") -> "
              << outputs.join(QStringLiteral(", ")) << '\n';
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    QString service = Automation_BusNames::serviceName(QStringLiteral("zelvorin"), QStringLiteral("COM_Class"));
    QString className = QStringLiteral("COM_Class");
    bool list = false;
    bool fromStdin = false;
    while (!arguments.isEmpty() && arguments.constFirst().startsWith(QLatin1String("--"))) {
        const QString option = arguments.takeFirst();
        if ((option == QLatin1String("--service") || option == QLatin1String("--class")) && !arguments.isEmpty())
            (option == QLatin1String("--service") ? service : className) = arguments.takeFirst();
        else if (option == QLatin1String("--list"))
            list = true;
        else if (option == QLatin1String("--stdin"))
            fromStdin = true;
        else {
            err() << kUsage;
            return 2;
        }
    }
    if (!list && !fromStdin && arguments.isEmpty()) {
        err() << kUsage;
        return 2;
    }

    Automation_Client client(QDBusConnection::sessionBus());
    QString error;
    if (!client.attach(service, className, error)) {
        err() << error << Qt::endl;
        return 1;
    }
    int result = 0;
    if (list) {
        result = listMethods(client);
    } else if (fromStdin) {
        QTextStream input(stdin);
        QString line;
        while (input.readLineInto(&line)) {
            const QStringList words = splitLine(line);
            if (!words.isEmpty() && !callLine(client, words))
                result = 1;
        }
    } else if (!callLine(client, arguments)) {
        result = 1;
    }
    if (!client.release(error)) {
        err() << error << Qt::endl;
        result = 1;
    }
    return result;
}
