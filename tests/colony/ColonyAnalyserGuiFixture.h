#pragma once

// A Colony Analyser page on a fresh SQLite3 database in a temporary folder, with its own
// settings records, and helpers that feed the page reports the way the worker does.

#include "../database/DatabaseTestSupport.h"

#include "AppSettings.h"
#include "ApplicationDatabase.h"
#include "ColonyAnalyserGui.h"
#include "ColonySettings.h"
#include "ImageColony.h"
#include "TestFixtures.h"

#include <HalconTestPictures.h>

#include <Halcon.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QList>
#include <QPair>
#include <QSqlQuery>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QVariant>

#include <memory>

namespace ColonyAnalyserGuiFixture {

class RecordingErrorHandler : public ApplicationDatabase::ErrorHandler {
public:
    void showDatabaseError(QString databaseName, QString text) override { reports.append({databaseName, text}); }
    QList<QPair<QString, QString>> reports;
};

struct Page {
    QTemporaryDir dir;
    RecordingErrorHandler handler;
    std::unique_ptr<ApplicationDatabase> database;
    std::unique_ptr<AppSettings> appSettings;
    std::unique_ptr<ColonySettings> colonySettings;
    std::unique_ptr<ColonyAnalyserGui> page;
    Errors::Type_Error createResult = -1;

    QString pictureFolder() const { return dir.filePath(QStringLiteral("pictures")); }

    explicit Page(const ColonySettingsData& settings = ColonySettingsData::standardDefaults())
    {
        static int connection = 0;
        database = std::make_unique<ApplicationDatabase>(&handler,
                                                         QStringLiteral("page-test-%1").arg(++connection));
        createResult = database->createSQLite3Database(
            dir.filePath(QStringLiteral("results.db3")),
            TestFixtures::sourceDir() + QStringLiteral("/database_templates/ZelvorinDatabase_SQLite3.sql"));
        QDir().mkpath(pictureFolder());
        appSettings = std::make_unique<AppSettings>();
        appSettings->database.Type = AppSettings::TypeSQLite3;
        appSettings->database.PicturePath = pictureFolder();
        appSettings->database.AutoDelete = false;
        colonySettings = std::make_unique<ColonySettings>();
        colonySettings->data() = settings;
        // No debounced change notice may start a re-analysis behind a test's back.
        appSettings->setChangedBlocked(true);
        colonySettings->setChangedBlocked(true);
        page = std::make_unique<ColonyAnalyserGui>(
            database.get(), appSettings.get(), [] { return QStringLiteral("<camera/>"); }, colonySettings.get());
    }

    ~Page()
    {
        page.reset();
    }

    int count(const QString& table) const { return DatabaseTestSupport::rowCount(*database, table); }
    bool exec(const QString& statement) const { return DatabaseTestSupport::execute(*database, statement); }
};

inline ImageColony colony(int containerNumber, int index, bool good, double total, double x, double y)
{
    ImageColony c;
    c.ContainerNumber = containerNumber;
    c.ColonyIndex = index;
    c.IsGoodColony = good;
    c.PropertiesPassed = good;
    c.ColorPassed = true;
    c.Label = QStringLiteral("HalconObject_Colonies.%1.%2.%3.")
                  .arg(good ? QStringLiteral("Included") : QStringLiteral("Rejected"))
                  .arg(containerNumber)
                  .arg(index);
    c.Contour = Halcon::Hobject();
    Halcon::gen_circle_contour_xld(&c.Contour, y, x, 5.0, 0.0, 6.283185307179586, "positive", 1.0);
    c.PosX_px = x;
    c.PosY_px = y;
    c.PosX_mm = x / 10.0;
    c.PosY_mm = y / 10.0;
    c.Area_mm2 = 1.5 + index * 0.25;
    c.Circularity = good ? 0.9 : 0.5;
    c.ClearanceNeighbor_mm = 1.25;
    c.ClearanceMargin_mm = 2.5;
    c.LoadingArea_pct = 10.0 + index;
    c.LoadingCircularity_pct = 20.0 + index;
    c.LoadingClearanceNeighbor_pct = 30.0 + index;
    c.LoadingClearanceMargin_pct = 40.0 + index;
    c.LoadingTotal_pct = total;
    c.ColorHue = 10.0 * (index + 1);
    c.ColorSaturation = 100.0 + index;
    c.ColorIntensity = 150.0 + index;
    c.ColorArea_pct = 55.5;
    c.ColorRed = 120.0;
    c.ColorGreen = 80.0;
    c.ColorBlue = 40.0;
    c.PickingOrder = good ? index + 1 : 0;
    c.ErrorCode = good ? 0 : 7;
    return c;
}

// Waits, without taking a single event, until the worker has sent everything and gone idle:
// the reports of its run are all still queued.
inline bool waitForIdleWorker(ColonyAnalyserGui& page, int timeoutMs = 300000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (page.worker()->state() != ColonyAnalyserThread::StateIdle && !deadline.hasExpired())
        QThread::yieldCurrentThread();
    return page.worker()->state() == ColonyAnalyserThread::StateIdle;
}

// Analyses the picture and shows every report of the run; the run's result (-1 when it does
// not end in time).
inline Errors::Type_Error analyseAndShow(ColonyAnalyserGui& page, const Halcon::Hobject& image,
                                         int timeoutMs = 300000)
{
    if (const Errors::Type_Error code = page.Analyse(image); code != 0)
        return code;
    Errors::Type_Error result = -1;
    const bool done = QTest::qWaitFor(
        [&] {
            bool running = true;
            result = page.CheckRunning(running);
            return !running;
        },
        timeoutMs);
    return done ? result : Errors::Type_Error(-1);
}

inline Halcon::Hobject picture(int width = 200, int height = 150)
{
    return HalconTestPictures::gradientRgb(width, height);
}

// A rack of two containers the way the worker reports it, through the page's emitters on
// the GUI thread (the slots then run at once). Container 1: two good colonies and a
// rejected one; container 2: one good colony.
inline void reportRack(ColonyAnalyserGui& page, const Halcon::Hobject& image = picture())
{
    page.emitRackReset(image);
    page.emitRackAdd(image, QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)), QStringLiteral("run"));
    Halcon::Hobject area;
    Halcon::gen_rectangle2_contour_xld(&area, 50.0, 50.0, 0.0, 40.0, 40.0);
    page.emitContainerListAdd(QStringLiteral("HalconObject_Colonies_SearchArea.Area.0."), 1, QStringLiteral("A1"),
                              QStringLiteral("first"), 0, area);
    page.emitColonyAdd(colony(1, 0, true, 95.5, 30.0, 40.0));
    page.emitColonyAdd(colony(1, 1, true, 80.0, 60.0, 40.0));
    page.emitColonyAdd(colony(1, 2, false, 99.0, 45.0, 70.0));
    page.emitContainerListAdd(QStringLiteral("HalconObject_Colonies_SearchArea.Area.1."), 2, QStringLiteral("A;2\"x"),
                              QString(), 1, area);
    page.emitColonyAdd(colony(2, 0, true, 70.0, 130.0, 40.0));
}

} // namespace ColonyAnalyserGuiFixture
