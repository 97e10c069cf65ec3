// The longest stretch of the GUI thread without a turn of its event loop on each main road:
// the operator's three demos, then, as the control software drives them, a camera picture's
// load and save, the analysis start, the stitch start, the saves and the hand-out, each inside
// a client's call. Each road is started from the event loop and measured until its worker's
// results are shown and its call answered; beside the clock, the GUI thread's own processor
// time in its longest stretch (on a busy machine the clock counts other programs too). The
// baseline is the same probe on an idle loop. Last, what another client's trivial call waits
// over the bus during each long operation (the stitcher demo, a client's largest rack picture
// and ZIP export, stitcher save and camera picture), against the same calls to an idle window.

#include "Automation_BusNames.h"
#include "Automation_Call.h"
#include "Automation_Client.h"
#include "Automation_Server.h"
#include "BenchSupport.h"
#include "DemoTruth.h"
#include "GuiThreadStretchProbe.h"
#include "MainWindowFixture.h"
#include "PrivateSessionBus.h"
#include "StitcherCommands.h"
#include "QAxDefaultFactory.h"
#include "ui_MainWindowGui.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImageReader>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cmath>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kRepetitions = 5;

// Roads whose names contain this text (the first argument); all without one.
QString g_only;

const QString DemoPicture = QStringLiteral("settings/ColonyDemo/Demo_Plate_gray.tif");
const QString StitcherDemo = QStringLiteral("Demo_QTray-Plate");

bool busy(MainWindowGui& window)
{
    bool analysing = false;
    bool stitching = false;
    // As a client asks: pictures still being read count as running.
    window.AnalyseColonies_CheckRunning(analysing);
    window.ImageStitcher_CheckRunning(stitching);
    return analysing || stitching || Automation_Call::waitingCount() > 0;
}

// Runs method as a client's call runs it: inside an automation call, whose later parts run
// from the event loop (busy() holds until they have).
void asClientCall(const std::function<void()>& method)
{
    static const int client = 0;
    const std::shared_ptr<Automation_Call> call = Automation_Call::create(&client);
    const Automation_Call::Scope scope(call.get());
    method();
}

void settle(MainWindowGui& window)
{
    QElapsedTimer timer;
    timer.start();
    do
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    while (busy(window) && timer.elapsed() < 120000);
    // The last reports of the workers and the pictures they leave to paint.
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
}

// Prepares, then runs the road from the event loop; the longest stretch until the workers are
// idle and their results shown.
GuiThreadStretchProbe::Stretch stretchOf(MainWindowGui& window, const std::function<void()>& prepare,
                                         const std::function<void()>& road)
{
    settle(window);
    if (prepare)
        prepare();
    settle(window);
    GuiThreadStretchProbe probe;
    probe.start();
    bool started = false;
    QTimer::singleShot(0, [&] {
        road();
        started = true;
    });
    while (!started)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    settle(window);
    return probe.stop();
}

GuiThreadStretchProbe::Stretch idleStretch(double forMs)
{
    GuiThreadStretchProbe probe;
    probe.start();
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < forMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return probe.stop();
}

// The clock's longest stretch and the longest stretch of the GUI thread's own processor time,
// median and worst of the repetitions, beside the same on an idle loop.
void report(const char* name, const std::function<GuiThreadStretchProbe::Stretch()>& measure)
{
    if (!QString::fromLatin1(name).contains(g_only))
        return;
    std::vector<double> clock;
    std::vector<double> processor;
    for (int i = 0; i < kRepetitions; ++i) {
        const GuiThreadStretchProbe::Stretch stretch = measure();
        clock.push_back(stretch.clockMs);
        processor.push_back(stretch.processorMs);
    }
    const GuiThreadStretchProbe::Stretch idle = idleStretch(500);
    std::printf("%s.gui_stretch.median %.1f ms\n%s.gui_stretch.max %.1f ms\n%s.gui_stretch.baseline %.1f ms\n"
                "%s.gui_stretch_processor.median %.1f ms\n%s.gui_stretch_processor.max %.1f ms\n"
                "%s.gui_stretch_processor.baseline %.1f ms\n",
                name, BenchSupport::median(clock), name, *std::max_element(clock.begin(), clock.end()), name,
                idle.clockMs, name, BenchSupport::median(processor), name,
                *std::max_element(processor.begin(), processor.end()), name, idle.processorMs);
    std::fflush(stdout);
}

void operatorDemos()
{
    MainWindowFixture::ProgramFolder folder;
    MainWindowFixture::Answers answers;
    MainWindowFixture::WindowUnderTest test(false, answers);
    MainWindowGui& window = test.make();
    window.show();
    Ui::MainWindowGui& form = *window.form();
    report("demo.mtp_plate", [&] {
        return stretchOf(window, {}, [&] { form.m_QAction_Toolbar_Colony_Demo_Plate->trigger(); });
    });
    report("demo.petri_plate", [&] {
        return stretchOf(window, {}, [&] { form.m_QAction_Toolbar_Colony_Demo_PetriPlate->trigger(); });
    });
    report("demo.stitcher", [&] {
        return stretchOf(window, {}, [&] { form.m_QAction_Toolbar_Stitcher_Demo_QTrayPlate->trigger(); });
    });
    for (const MessageBox_Helper::Request& box : answers.boxes)
        std::fprintf(stderr, "a demo showed \"%s\": %s\n", qPrintable(box.title), qPrintable(box.text));
}

void automationRoads()
{
    MainWindowFixture::ProgramFolder folder;
    MainWindowFixture::Answers answers;
    MainWindowFixture::WindowUnderTest test(true, answers);
    MainWindowGui& window = test.make();
    window.show();
    bool failed = false;
    report("automation.camera_load_picture", [&] {
        return stretchOf(window, {}, [&] { asClientCall([&] { failed |= window.Camera_LoadPicture(DemoPicture) != 0; }); });
    });
    const QString shot = folder.filePath(QStringLiteral("shot.png"));
    report("automation.camera_save_picture", [&] {
        return stretchOf(window, {}, [&] {
            asClientCall([&] { failed |= window.Camera_SavePicture(shot, QStringLiteral("png"), 100) > 0; });
        });
    });
    // Alternating settings: every start loads its settings file.
    int plate = 0;
    report("automation.analysis_start", [&] {
        const QString settings = ++plate % 2 ? QStringLiteral("Demo_Plate_gray") : QStringLiteral("Demo_PetriPlate_gray");
        return stretchOf(window, [&] { failed |= window.Camera_LoadPicture(DemoPicture) != 0; },
                         [&] { asClientCall([&] { failed |= window.AnalyseColonies_Start(settings) != 0; }); });
    });
    int rack = -1;
    report("automation.save", [&] {
        return stretchOf(window, {}, [&] {
            asClientCall([&] {
                failed |= window.AnalyseColonies_SaveResult(false, QStringLiteral("R1"), QStringLiteral("x"), rack)
                    > 0;
            });
        });
    });
    report("automation.save_asynchronous", [&] {
        return stretchOf(window, {}, [&] {
            asClientCall([&] {
                failed |= window.AnalyseColonies_SaveResult(true, QStringLiteral("R1"), QStringLiteral("x"), rack) > 0;
            });
        });
    });
    int maximum = 0;
    report("automation.handout", [&] {
        // Another maximum list every time: the hand-out reads the rack anew.
        const QVariantList maxima(96, QVariant(++maximum));
        return stretchOf(window, {}, [&] {
            asClientCall([&] {
                ColonyPickList::HandOut out;
                failed |= window.Database_RetrieveColonyPositions(rack, maxima, QStringLiteral("11111111"), out) != 0;
            });
        });
    });
    report("automation.stitch_start", [&] {
        // Start2 loads its settings and cross model every time.
        return stretchOf(window, [&] { failed |= DemoTruth::placeStitcherDemoViews(window) != 0; },
                         [&] { asClientCall([&] { failed |= window.ImageStitcher_Start2(StitcherDemo, 0.0) > 0; }); });
    });
    // Outputs of a call are written when its answer is given.
    int stitcherId = -1;
    for (const bool asynchronous : {false, true}) {
        report(asynchronous ? "automation.stitch_save_asynchronous" : "automation.stitch_save", [&] {
            return stretchOf(window, {}, [&] {
                asClientCall([&] {
                    failed |= window.ImageStitcher_SaveResult(asynchronous, QStringLiteral("T1"), QStringLiteral("x"),
                                                              true, true, stitcherId)
                        > 0;
                });
            });
        });
    }
    if (failed)
        std::fprintf(stderr, "a road failed\n");
}

// The longest wait of a client that calls Application_GetVersion over and over on a thread
// of its own while the GUI thread runs road and settles.
double longestClientWait(const QDBusConnection& connection, MainWindowGui& window, const std::function<void()>& road)
{
    std::atomic<bool> attached{false};
    std::atomic<bool> done{false};
    double longest = 0.0;
    std::unique_ptr<QThread> client(QThread::create([&] {
        Automation_Client other(connection);
        QString error;
        attached = other.attach(Automation_BusNames::serviceName(QStringLiteral("zelvorin"), QStringLiteral("COM_Class")),
                                QStringLiteral("COM_Class"), error);
        while (attached && !done) {
            QElapsedTimer timer;
            timer.start();
            other.call(QStringLiteral("Application_GetVersion"));
            longest = std::max(longest, double(timer.nsecsElapsed()) / 1e6);
        }
        other.release(error);
    }));
    client->start();
    while (!attached && !client->isFinished())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    settle(window);
    QTimer::singleShot(0, road);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    settle(window);
    done = true;
    while (!client->wait(10))
        QCoreApplication::processEvents();
    return longest;
}

// A road a client waits beside: prepared, then measured.
struct ClientRoad {
    const char* name;
    std::function<void()> prepare;
    std::function<void()> road;
};

// What another client's trivial call waits over the bus during each long operation (the
// operator's stitcher demo, then calls of a client), against the same calls to an idle window.
void clientWaits()
{
    PrivateSessionBus bus;
    if (!bus.start()) {
        std::fprintf(stderr, "no bus: %s\n", qPrintable(bus.error()));
        return;
    }
    Automation_Server server(createAxFactory(), bus.connect(QStringLiteral("server")));
    server.start(QAxFactory::MultipleInstances);
    MainWindowFixture::ProgramFolder folder;
    MainWindowFixture::Answers answers;
    MainWindowFixture::WindowUnderTest test(false, answers);
    MainWindowGui& window = test.make();
    window.show();
    setAutomationMainWindow(&window);
    const QDBusConnection connection = bus.connect(QStringLiteral("client"));

    bool failed = false;
    // Outputs of a call are written when its answer is given.
    int rack = -1;
    int stitcherId = -1;
    // The largest rack picture a client may ask: 100 megapixels.
    const QSize plate = QImageReader(DemoPicture).size();
    const int largestPercent = plate.isEmpty() ? 100 : int(std::sqrt(100e6 / (double(plate.width()) * plate.height())) * 100.0);
    QVariantList ids;
    const QString view = StitcherCommands::demoPicturePaths(QStringLiteral("QTray-Plate")).constFirst();
    const std::vector<ClientRoad> roads = {
        {"demo.stitcher", {}, [&] { window.form()->m_QAction_Toolbar_Stitcher_Demo_QTrayPlate->trigger(); }},
        {"automation.rack_picture_export",
         [&] {
             failed |= window.Camera_LoadPicture(DemoPicture) != 0;
             failed |= window.AnalyseColonies_Start(QStringLiteral("Demo_Plate_gray")) != 0;
         },
         [&] {
             asClientCall([&] {
                 failed |= window.AnalyseColonies_ExportRackPicture(-1, false, folder.filePath(QStringLiteral("large.png")),
                                                                    QStringLiteral("png"), false, largestPercent, false)
                     > 0;
             });
         }},
        {"automation.zip_export",
         [&] {
             asClientCall([&] {
                 failed |= window.AnalyseColonies_SaveResult(false, QStringLiteral("ZIP"), QStringLiteral("x"), rack) > 0;
             });
         },
         [&] {
             // The longest list allowed: the stored rack a few times among racks that do not exist.
             ids.clear();
             for (int i = 0; i < 10000; ++i)
                 ids << (i % 2000 == 0 ? rack : 1000000 + i);
             asClientCall([&] {
                 window.AnalyseColonies_ExportToZipArchive(ids, folder.filePath(QStringLiteral("racks.zip")), false);
             });
         }},
        {"automation.stitch_save",
         [&] {
             failed |= DemoTruth::placeStitcherDemoViews(window) != 0;
             failed |= window.ImageStitcher_Start(StitcherDemo) != 0;
         },
         [&] {
             asClientCall([&] {
                 failed |= window.ImageStitcher_SaveResult(false, QStringLiteral("T1"), QStringLiteral("x"), true, true,
                                                           stitcherId)
                     > 0;
             });
         }},
        {"automation.camera_save_picture", [&] { failed |= window.Camera_LoadPicture(view) != 0; },
         [&] {
             asClientCall([&] {
                 failed |= window.Camera_SavePicture(folder.filePath(QStringLiteral("shot.png")), QStringLiteral("png"), 100)
                     > 0;
             });
         }},
    };
    for (const ClientRoad& road : roads) {
        const QString name = QString::fromLatin1(road.name) + QStringLiteral(".client_wait");
        if (!name.contains(g_only))
            continue;
        std::vector<double> waits;
        std::vector<double> idleWaits;
        for (int i = 0; i < kRepetitions; ++i) {
            settle(window);
            if (road.prepare)
                road.prepare();
            settle(window);
            waits.push_back(longestClientWait(connection, window, road.road));
            idleWaits.push_back(longestClientWait(connection, window, [] {}));
        }
        std::printf("%s.median %.1f ms\n%s.max %.1f ms\n%s.baseline %.1f ms\n", qPrintable(name),
                    BenchSupport::median(waits), qPrintable(name), *std::max_element(waits.begin(), waits.end()),
                    qPrintable(name), BenchSupport::median(idleWaits));
        std::fflush(stdout);
    }
    setAutomationMainWindow(nullptr);
    if (failed)
        std::fprintf(stderr, "a client's road failed\n");
}

} // namespace

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("ZELVORIN_SOURCE_DIR"))
        qputenv("ZELVORIN_SOURCE_DIR", ZELVORIN_SOURCE);
    QApplication application(argc, argv);
    if (argc > 1)
        g_only = QString::fromLocal8Bit(argv[1]);
    operatorDemos();
    automationRoads();
    clientWaits();
    return 0;
}
