#include "Automation_Entry.h"

#include "Automation_BusNames.h"
#include "Automation_InterfaceDescription.h"
#include "Automation_Registration.h"
#include "Automation_Server.h"
#include "QAxFactory.h"
#include "ReplacingFile.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct PendingServer {
    Automation_Entry::FactoryCreator createFactory = nullptr;
    bool startedAsServer = false;
    bool pending = false;
};

PendingServer g_pending;
Automation_Server* g_server = nullptr;

bool isSwitch(const QString& word, const char* name)
{
    if (word.size() < 2 || (word.front() != QLatin1Char('-') && word.front() != QLatin1Char('/')))
        return false;
    return QStringView(word).mid(1).compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

bool isServerStartSwitch(const QString& word)
{
    return isSwitch(word, "activex") || isSwitch(word, "embedding");
}

void printError(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

void deleteServer()
{
    delete g_server;
    g_server = nullptr;
}

// Runs inside the application object's constructor: the bus needs the application object,
// and a started server must offer its classes before main does anything else.
void makeServerWithApplication()
{
    if (!g_pending.pending)
        return;
    g_pending.pending = false;
    g_server = new Automation_Server(g_pending.createFactory(), QDBusConnection::sessionBus());
    g_server->setStartedAsServer(g_pending.startedAsServer);
    qAddPostRoutine(deleteServer);
    if (g_pending.startedAsServer && !g_server->start(QAxFactory::MultipleInstances)) {
        // No client could ever reach this process, nor release the object that would end
        // it: it ends as soon as its event loop runs.
        printError(QStringLiteral("The automation server cannot offer its classes on the session bus"));
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    }
}

int changeRegistration(const QAxFactory& factory, bool registering)
{
    int result = 0;
    const QStringList keys = factory.featureList();
    for (const QString& key : keys) {
        const QString name = Automation_BusNames::serviceName(factory.applicationName(), key);
        QString error;
        const bool done = registering ? Automation_Registration::write(name, Automation_Entry::programFilePath(),
                                                                       {QStringLiteral("-activex")}, error)
                                      : Automation_Registration::remove(name, error);
        if (!done) {
            printError(QStringLiteral("%1: %2").arg(Automation_Registration::activationFilePath(name), error));
            result = 1;
        }
    }
    return result;
}

int dumpInterface(const QAxFactory& factory, const QString& fileName, const QString& version)
{
    if (!ReplacingFile::write(fileName, Automation_InterfaceDescription::document(factory, version))) {
        printError(QStringLiteral("%1: cannot be written").arg(fileName));
        return 1;
    }
    return 0;
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(makeServerWithApplication)

Automation_CommandLine Automation_CommandLine::parse(const QStringList& arguments)
{
    Automation_CommandLine result;
    auto setAction = [&result](Action action) {
        if (result.action == Run)
            result.action = action;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments.at(i);
        if (isServerStartSwitch(word)) {
            result.startedAsServer = true;
        } else if (isSwitch(word, "regserver")) {
            setAction(RegisterServer);
        } else if (isSwitch(word, "unregserver")) {
            setAction(UnregisterServer);
        } else if (isSwitch(word, "dumpidl")) {
            if (i + 1 < arguments.size()) {
                if (result.action == Run)
                    result.interfaceFile = arguments.at(i + 1);
                setAction(DumpInterface);
                ++i;
            } else {
                setAction(SyntaxError);
            }
        } else if (isSwitch(word, "version") && result.action == DumpInterface) {
            if (i + 1 < arguments.size())
                result.version = arguments.at(++i);
        } else {
            result.programArguments << word;
        }
    }
    return result;
}

int Automation_Entry::run(int argc, char* argv[], FactoryCreator createFactory, ApplicationMain applicationMain)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const Automation_CommandLine commandLine = Automation_CommandLine::parse(arguments);

    switch (commandLine.action) {
    case Automation_CommandLine::SyntaxError: {
        const QString program = QFileInfo(programFilePath()).fileName();
        printError(QStringLiteral("Wrong commandline syntax: %1 -dumpidl <idl file> [-version <x.y.z>]").arg(program));
        return 1;
    }
    case Automation_CommandLine::RegisterServer:
    case Automation_CommandLine::UnregisterServer: {
        const std::unique_ptr<QAxFactory> factory(createFactory());
        return changeRegistration(*factory, commandLine.action == Automation_CommandLine::RegisterServer);
    }
    case Automation_CommandLine::DumpInterface: {
        const std::unique_ptr<QAxFactory> factory(createFactory());
        return dumpInterface(*factory, commandLine.interfaceFile, commandLine.version);
    }
    case Automation_CommandLine::Run:
        break;
    }

    g_pending = {createFactory, commandLine.startedAsServer, true};
    // main sees the other words only, as the application object does.
    std::vector<char*> programArgv{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (!isServerStartSwitch(QString::fromLocal8Bit(argv[i])))
            programArgv.push_back(argv[i]);
    }
    int programArgc = int(programArgv.size());
    programArgv.push_back(nullptr);
    return applicationMain(programArgc, programArgv.data());
}

QString Automation_Entry::programFilePath()
{
    const QString running = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    if (!running.isEmpty())
        return running;
    return QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
}
