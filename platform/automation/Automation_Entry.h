#pragma once

#include <QString>
#include <QStringList>

class QAxFactory;

// What the program's command line asks of the automation server. Switches are compared
// without regard to case and may begin with "-" or "/".
struct Automation_CommandLine {
    enum Action {
        Run, // start the program (as server when "-activex" or "-embedding" was given)
        RegisterServer, // "-regserver"
        UnregisterServer, // "-unregserver"
        DumpInterface, // "-dumpidl <file> [-version <x.y.z>]"
        SyntaxError // "-dumpidl" without a file
    };

    Action action = Run;
    bool startedAsServer = false;
    QString interfaceFile;
    QString version = QStringLiteral("1.0");
    // The words that are no switch of the server, in their order, for the program.
    QStringList programArguments;

    // arguments without the program name.
    static Automation_CommandLine parse(const QStringList& arguments);
};

// The program's entry: handles the server switches, then runs the program's main. In a run
// the server is made when the application object is created; a started server offers its
// classes for any number of clients from then on, before main goes on.
class Automation_Entry {
public:
    using FactoryCreator = QAxFactory* (*)();
    using ApplicationMain = int (*)(int argc, char* argv[]);

    static int run(int argc, char* argv[], FactoryCreator createFactory, ApplicationMain applicationMain);

    // The running program's file, from the system rather than argv[0] (which may be a
    // relative or made-up name).
    static QString programFilePath();
};
