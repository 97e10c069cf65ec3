#pragma once

#include "IImageStitcherPage.h"
#include "ImageStitcherThread.h"
#include "PictureCross.h"
#include "StitcherResult.h"

#include <Database.h>
#include <Errors.h>
#include <Hobject.h>
#include <ModelMatching.h>

#include <QList>
#include <QMutex>
#include <QSemaphore>
#include <QVariant>
#include <QWidget>

#include <memory>

class AppSettings;
class ApplicationDatabase;
class Automation_Call;
class Camera;
class Camera_Settings;
class Halcon_AsynchronImageSave;
class Hobject_View_Gui;
class IHalconView;
class ImageStitcherSettings;
class QTreeWidgetItem;
class RunStateDisplay;

namespace Ui {
class ImageStitcherGui;
}

// The "Image Stitcher" page: owns the stitcher worker, shows the cross model and the six
// position pictures, lists the crosses found, and keeps the result of the last run for saving.
// The worker reports through the page's queued signals (IImageStitcherPage); each result
// report holds one unit of pendingUpdates until its slot has applied it, so CheckRunning stays
// true until the page shows everything the worker sent.
class ImageStitcherGui : public QWidget, public IImageStitcherPage {
    Q_OBJECT
public:
    static constexpr Errors::Type_Error ErrorNoImage = 41;
    static constexpr Errors::Type_Error ErrorInProgress = 101;
    static constexpr Errors::Type_Error ErrorNoPictureData = 102;
    static constexpr Errors::Type_Error ErrorPictureCount = 212;
    static constexpr int PositionsCount = StitcherResult::PositionsCount;

    // database, appSettings, settings, crossModel, resultView and camera are borrowed and may
    // be null (tests); cameraSettings is kept for the owner and not used.
    ImageStitcherGui(ApplicationDatabase* database, AppSettings* appSettings, Camera_Settings* cameraSettings,
                     ImageStitcherSettings* settings, ModelMatching* crossModel, Hobject_View_Gui* resultView,
                     Camera* camera, QWidget* parent = nullptr);
    ~ImageStitcherGui() override;

    // ---- Operations of the application shell ----
    Errors::Type_Error Start(const QList<Halcon::Hobject>& pictures);
    Errors::Type_Error SetCurrentTabPicture(const Halcon::Hobject& picture);
    // With a call the wait for the worker's stop is part of it (Automation_Call).
    Errors::Type_Error Stop(Automation_Call* call = nullptr);
    Errors::Type_Error Reset(Automation_Call* call = nullptr);
    // Ends the worker for good, after its current step and without turning the event loop, so
    // that what it reads (the cross model, its template picture) may go. Runs are refused
    // afterwards with 3.
    void endWorker();
    // running := the worker is busy, the page still shows a run, or reports wait to be shown;
    // the last run's error once all of that is over.
    Errors::Type_Error CheckRunning(bool& running);
    // With a call the pictures are written on another thread as part of it (Automation_Call);
    // o_stitcherID must then live as long as the call.
    Errors::Type_Error SaveResult(bool asynchronPictureSave, const QString& rackBarcode, const QString& description,
                                  bool saveInputPictures, bool saveOutputPicture, Database::ID& o_stitcherID,
                                  Automation_Call* call = nullptr);
    Errors::Type_Error SaveResult_CheckAsynchronSaveFinish(bool& finished);

    QList<Halcon::Hobject> getPictures() const { return m_pictures; }
    QList<IHalconView*> getHalconViews() const;

    // ---- IImageStitcherPage (any thread) ----
    void emitAnalyserStarted() override;
    void emitAnalyserStopped() override;
    void emitStateSetText(const QString& text) override;
    void emitReset() override;
    void emitAddStitchedPicture(const Halcon::Hobject& picture) override;
    void emitAddPictureCrosses(int pictureIndex, const Halcon::Hobject& picture, const PictureCross& cross1,
                               const PictureCross& cross2) override;
    void emitAddOpticalAxis(int pictureIndex, double rowOpticalAxis, double colOpticalAxis) override;
    Hobject_View_Gui* getHobjectView() override { return m_crossModelView; }
    Hobject_View_Gui* getResultView() override { return m_resultView; }
    QList<Hobject_View_Gui*> getPictureViews() override { return m_pictureViews; }
    void clearAllViews(bool update) override;
    void updateAllViews(bool onlyIfChanged) override;
    void removePicturesFromAllViews(const QString& prefix, bool update) override;
    void removeObjectsFromAllViews(const QString& prefix, bool update) override;

    // ---- Inspection ----
    const StitcherResult& result() const { return m_result; }
    int pendingUpdates() const { return m_pendingUpdates.available(); }
    bool isRunningDisplayed() const { return m_running; }
    ImageStitcherThread* worker() const { return m_worker; }

public slots:
    // Runs the stitching again on the pictures held, with the current settings; 0 or the code,
    // which the state line shows as "Failed to stitch images: %1".
    Errors::Type_Error slot_ImageStitcherSettings_changed();

signals:
    void signal_AnalyserStarted();
    void signal_AnalyserStopped();
    void signal_StateSetText(QString text);
    void signal_ImageStitcher_Reset();
    void signal_ImageStitcher_AddStitchedPicture(Halcon::Hobject hobjPicture);
    void signal_ImageStitcher_AddPictureCrosses(int pictureIndex, Halcon::Hobject hobjPicture, PictureCross cross1,
                                                PictureCross cross2);
    void signal_ImageStitcher_AddOpticalAxis(int pictureIndex, double rowOpticalAxis, double colOpticalAxis);

private slots:
    void slot_AnalyserStarted();
    void slot_AnalyserStopped();
    void slot_StateSetText(const QString& text);
    void slot_ImageStitcher_Reset();
    void slot_ImageStitcher_AddStitchedPicture(const Halcon::Hobject& hobjPicture);
    void slot_ImageStitcher_AddPictureCrosses(int pictureIndex, const Halcon::Hobject& hobjPicture,
                                              const PictureCross& cross1, const PictureCross& cross2);
    void slot_ImageStitcher_AddOpticalAxis(int pictureIndex, double rowOpticalAxis, double colOpticalAxis);
    void slot_QPushButton_StartStop_clicked();
    void slot_AppSettings_changed();
    void slot_ImageStitcherSettings_custom(int id, const QVariant& data);
    void slot_HalconObjectSelected(QString name);
    void slot_TabWidgetPictures_currentChanged(int index);
    void slot_CrossModel_UseCurrentPicture();
    void slot_CrossModel_ModeChanged(ModelMatching::Enum_Mode mode);
    void slot_CrossModel_LoadFromFile();

private:
    ImageStitcherThread::AppSettingsData appSettingsData() const;
    ImageStitcherSettingsData settingsData() const;
    Hobject_View_Gui* createView(QWidget* frame, const QString& name);
    // 0 or code; a failure goes into the state line as "Operation failed: %1".
    Errors::Type_Error reportFailure(Errors::Type_Error code);
    Errors::Type_Error startWorker(const QList<Halcon::Hobject>& pictures);
    Errors::Type_Error markRunningWhenAccepted(Errors::Type_Error code);
    void setCrossRow(const PictureCross& cross);
    void takeHandOver();
    void crossModelBox(const QString& text);

    std::unique_ptr<Ui::ImageStitcherGui> m_ui;
    ApplicationDatabase* m_database;
    Halcon_AsynchronImageSave* m_imageSaver = nullptr;
    AppSettings* m_appSettings;
    Camera_Settings* m_cameraSettings;
    Camera* m_camera;
    ImageStitcherSettings* m_settings;
    ModelMatching* m_crossModel;
    Hobject_View_Gui* m_resultView;
    ImageStitcherThread* m_worker = nullptr;
    QList<Hobject_View_Gui*> m_pictureViews;
    QList<IHalconView*> m_halconViews;
    // Row 2 * position + point of the cross table; the items belong to the table.
    QList<QTreeWidgetItem*> m_crossRows;
    Hobject_View_Gui* m_crossModelView = nullptr;
    std::unique_ptr<RunStateDisplay> m_runState;
    bool m_running = false;
    int m_runsAwaitingStop = 0;
    QList<Halcon::Hobject> m_pictures;
    StitcherResult m_result;
    // Counts the results begun: a save that ends later gives its rows only to its own.
    quint64 m_resultGeneration = 0;
    QSemaphore m_pendingUpdates{0};
    // Held by the worker while it emits a report and taken by the slot before it reads one:
    // orders the copies of the report's arguments before their use, as Qt's event queue does
    // out of the thread checker's sight.
    QMutex m_reportHandOver;
};
