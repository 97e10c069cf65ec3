// A whole plate cycle as the control software runs it, through the bus from the command-line
// client against the program started as automation server (load the demo 96-well picture,
// analyse, poll until done, save, hand out to 8 channels, read the rack back), against the same
// operations called on a main window in this process: what the bus and the client add. Then
// read-only calls of 8 clients at once against one client alone: reply times.

#include "BenchSupport.h"
#include "MainWindowFixture.h"
#include "ProgramUnderTest.h"

#include <QApplication>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kCycles = 7;
constexpr int kClients = 8;
constexpr int kReadsPerClient = 300;

const QString DemoPicture = QStringLiteral("settings/ColonyDemo/Demo_Plate_gray.tif");

QString maxima()
{
    QStringList values;
    for (int i = 0; i < 96; ++i)
        values << QStringLiteral("1");
    return values.join(QLatin1Char(','));
}

// The client tool on one object, a call a line.
class ClientTool {
public:
    explicit ClientTool(const QProcessEnvironment& environment)
    {
        m_process.setProcessEnvironment(environment);
        m_process.start(QStringLiteral(ZELVORIN_CLIENT), {QStringLiteral("--stdin")});
        m_process.waitForStarted();
    }
    ~ClientTool()
    {
        m_process.closeWriteChannel();
        m_process.waitForFinished();
    }
    // The value of the named out argument ("result" is the first line).
    QString call(const QString& line, int outputs, const QString& wanted = QStringLiteral("result"))
    {
        m_process.write(line.toUtf8() + '\n');
        QString value;
        for (int read = 0; read <= outputs; ++read) {
            while (!m_process.canReadLine() && m_process.waitForReadyRead(60000)) {
            }
            const QString text = QString::fromUtf8(m_process.readLine()).trimmed();
            if (text.startsWith(wanted + QStringLiteral(": ")))
                value = text.mid(wanted.size() + 2);
        }
        return value;
    }

private:
    QProcess m_process;
};

double percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(share * double(values.size())))];
}

} // namespace

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("ZELVORIN_SOURCE_DIR"))
        qputenv("ZELVORIN_SOURCE_DIR", ZELVORIN_SOURCE);
    QApplication application(argc, argv);
    PrivateSessionBus bus;
    if (!bus.start()) {
        std::fprintf(stderr, "no bus: %s\n", qPrintable(bus.error()));
        return 1;
    }
    ProgramUnderTest program(bus, QStringLiteral("watcher"));
    program.start({QStringLiteral("-activex")});
    if (!program.waitForService()) {
        std::fprintf(stderr, "the program does not serve\n");
        return 1;
    }
    auto tool = std::make_unique<ClientTool>(bus.environment());
    const QString folder = tool->call(QStringLiteral("Application_Get_ProgrammPath"), 1, QStringLiteral("oProgrammPath"));
    const QString pattern = QStringLiteral("11111111");

    MainWindowFixture::ProgramFolder here;
    MainWindowFixture::Answers answers;
    MainWindowFixture::WindowUnderTest test(true, answers);
    MainWindowGui& window = test.make();

    bool failed = false;
    BenchSupport::compare(
        "automation.plate_cycle",
        [&] {
            failed |= tool->call(QStringLiteral("Camera_LoadPicture \"%1%2\"").arg(folder, DemoPicture), 0) != "0";
            failed |= tool->call(QStringLiteral("AnalyseColonies_Start Demo_Plate_gray"), 0) != "0";
            while (tool->call(QStringLiteral("AnalyseColonies_CheckRunning"), 1, QStringLiteral("oRunning")) == "true") {
            }
            const QString rack = tool->call(QStringLiteral("AnalyseColonies_SaveResult false R1 x"), 1,
                                            QStringLiteral("oRackID"));
            failed |= tool->call(QStringLiteral("Database_RetrieveColonyPositions %1 %2 %3").arg(rack, maxima(), pattern),
                                 7, QStringLiteral("o_intUsedNumberOfColonies"))
                != "8";
            failed |= tool->call(QStringLiteral("Database_GetZelvorinRack %1").arg(rack), 6) != "0";
        },
        [&] {
            failed |= window.Camera_LoadPicture(DemoPicture) != 0;
            failed |= window.AnalyseColonies_Start(QStringLiteral("Demo_Plate_gray")) != 0;
            // Woken by the worker's reports, as the program's event loop is.
            bool running = true;
            window.AnalyseColonies_CheckRunning(running);
            while (running) {
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
                window.AnalyseColonies_CheckRunning(running);
            }
            int rack = -1;
            window.AnalyseColonies_SaveResult(false, QStringLiteral("R1"), QStringLiteral("x"), rack);
            ColonyPickList::HandOut out;
            QVariantList limits(96, QVariant(1));
            window.Database_RetrieveColonyPositions(rack, limits, pattern, out);
            failed |= out.usedNumberOfColonies != 8;
            DatabaseQueries::Rack stored;
            failed |= window.Database_GetZelvorinRack(rack, stored) != 0;
        },
        kCycles);
    if (failed)
        std::fprintf(stderr, "a cycle failed\n");
    tool->call(QStringLiteral("Application_GetVersion"), 1);

    // Read-only calls: one client alone, then eight at once.
    auto readTimes = [&](int clients) {
        std::vector<std::unique_ptr<Automation_Client>> attached;
        for (int i = 0; i < clients; ++i)
            attached.push_back(program.attach(QStringLiteral("reader%1_%2").arg(clients).arg(i)));
        std::vector<std::vector<double>> times(static_cast<size_t>(clients));
        std::atomic<int> ready{0};
        std::vector<std::unique_ptr<QThread>> threads;
        for (int i = 0; i < clients; ++i) {
            threads.emplace_back(QThread::create([&, i] {
                ++ready;
                while (ready.load() < clients) {
                }
                for (int k = 0; k < kReadsPerClient; ++k)
                    times[size_t(i)].push_back(BenchSupport::elapsedMs(
                        [&] { attached[size_t(i)]->call(QStringLiteral("Database_GetZelvorinRack"), {1}); }));
            }));
            threads.back()->start();
        }
        for (auto& thread : threads)
            thread->wait();
        QString error;
        for (auto& client : attached)
            client->release(error);
        std::vector<double> all;
        for (const auto& list : times)
            all.insert(all.end(), list.begin(), list.end());
        return all;
    };
    const std::vector<double> alone = readTimes(1);
    const std::vector<double> together = readTimes(kClients);
    std::printf("automation.readonly_8_clients.median %.3f ms\n", percentile(together, 0.5));
    std::printf("automation.readonly_8_clients.p99 %.3f ms\n", percentile(together, 0.99));
    std::printf("automation.readonly_8_clients.baseline %.3f ms\n", percentile(alone, 0.5));
    std::printf("automation.readonly_8_clients.ratio %.2f x\n", percentile(together, 0.5) / percentile(alone, 0.5));
    tool.reset();
    program.waitForExit();
    return failed ? 1 : 0;
}
