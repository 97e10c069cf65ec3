#pragma once

// A stitcher results database in a temporary folder (fresh SQLite3 from the shipped template,
// with a picture folder beside it), and the Image Stitcher page over it as the main window
// builds it: application settings, the stitcher settings with their cross model, a result
// viewer and a camera.

#include "../database/DatabaseTestSupport.h"
#include "StitcherTestSetup.h"

#include <AppSettings.h>
#include <ApplicationDatabase.h>
#include <Camera.h>
#include <Camera_Settings.h>
#include <Hobject_View_Gui.h>
#include <ImageStitcherGui.h>
#include <TestFixtures.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <QThread>
#include <QVariant>
#include <QtTest>

#include <memory>

namespace StitcherPageFixture {

struct ResultDatabase {
    QTemporaryDir dir;
    std::unique_ptr<DatabaseTestSupport::OpenDatabase> opened = DatabaseTestSupport::createDatabase(dir);
    ApplicationDatabase* const database = opened->holder.get();
    const Errors::Type_Error createResult = opened->createResult;

    ResultDatabase() { QDir().mkpath(pictureFolder()); }

    QString pictureFolder() const { return dir.filePath(QStringLiteral("pictures")); }

    // Files in the picture folder, hidden ones included.
    QStringList pictureFiles() const
    {
        return QDir(pictureFolder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    int count(const QString& table) const { return DatabaseTestSupport::rowCount(*database, table); }
    bool exec(const QString& statement) const { return DatabaseTestSupport::execute(*database, statement); }
};

struct Page : ResultDatabase {
    std::unique_ptr<AppSettings> appSettings;
    StitcherTestSetup::CrossModelSetup model;
    std::unique_ptr<Hobject_View_Gui> resultView;
    std::unique_ptr<Camera_Settings> cameraSettings;
    std::unique_ptr<Camera> camera;
    std::unique_ptr<ImageStitcherGui> page;

    Page()
    {
        appSettings = std::make_unique<AppSettings>();
        appSettings->database.Type = AppSettings::TypeSQLite3;
        appSettings->database.PicturePath = pictureFolder();
        // No debounced change notice may start a run behind a test's back.
        appSettings->setChangedBlocked(true);
        model.settings.setChangedBlocked(true);
        resultView = std::make_unique<Hobject_View_Gui>(nullptr, QStringLiteral("Image Stitcher Result"));
        cameraSettings = std::make_unique<Camera_Settings>();
        camera = std::make_unique<Camera>(cameraSettings.get(), QThread::LowestPriority);
        page = std::make_unique<ImageStitcherGui>(database, appSettings.get(), cameraSettings.get(),
                                                  &model.settings, model.crossModel.get(), resultView.get(),
                                                  camera.get());
    }

    ~Page()
    {
        page.reset();
        camera.reset();
    }

    // The page's answer once every report of the run is shown.
    Errors::Type_Error runToEnd(const QList<Halcon::Hobject>& pictures, int timeoutMs = 300000)
    {
        if (const Errors::Type_Error code = page->Start(pictures); code != 0)
            return code;
        return waitUntilShown(timeoutMs);
    }

    Errors::Type_Error waitUntilShown(int timeoutMs = 300000)
    {
        bool running = true;
        Errors::Type_Error code = 0;
        const bool shown = QTest::qWaitFor(
            [&] {
                code = page->CheckRunning(running);
                return !running;
            },
            timeoutMs);
        return shown ? code : Errors::Type_Error(-1);
    }

    // Waits, without taking a single event, until the worker has gone idle: every report of
    // its run is still queued.
    bool waitForIdleWorker(int timeoutMs = 300000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (page->worker()->state() != ImageStitcherThread::StateIdle && !deadline.hasExpired())
            QThread::yieldCurrentThread();
        return page->worker()->state() == ImageStitcherThread::StateIdle;
    }
};

} // namespace StitcherPageFixture
