#pragma once

#include "ImageStitcherSettingsData.h"
#include "ImageStitcherTile.h"
#include "PictureCross.h"

#include <Errors.h>
#include <Hobject.h>
#include <ModelMatchingSettings.h>
#include <StepWorker_Thread.h>
#include <WorkerAppSettings.h>

#include <QList>
#include <QString>

#include <memory>

class Hobject_View_Gui;
class IImageStitcherPage;
class ModelMatching;
class ModelMatching_Analyse_CreateModel;
class ModelMatching_Analyse_SearchModel;
class ModelMatching_ModelPicture;

// Joins six pictures of one plate on a thread of its own: shows each picture in its position
// viewer, finds its two crosses, and stitches the pictures into one with the optical axis of
// every position; in the cross model's define-model mode it makes the cross model from its
// template picture instead. The Image Stitcher page owns one worker for its whole life, is
// the only caller of its operations and receives every report (IImageStitcherPage).
//
// A run is a step state machine (StepWorker_Thread). The page's operations run on the GUI
// thread and hand their inputs over while the worker is idle. The worker searches a snapshot
// taken at the start: the settings, the cross model and its template picture, so an edit or
// a new model during a run changes nothing of it.
class ImageStitcherThread : public StepWorker_Thread {
    Q_OBJECT
public:
    using AppSettingsData = WorkerAppSettings;

    enum Enum_State {
        StateIdle = 0,
        StateStart = 1,
        StateStartWithSettings = 2,
        StatePrepare = 3,
        StateShowPicture = 4,
        StateNoWork = 5,
        StateFindCrosses = 6,
        StateNextPictureOrStitch = 7,
        StateFinish = 8,
        StateShowModelPicture = 9,
        StateCreateModel = 10
    };

    static constexpr Errors::Type_Error ErrorGeneral = 3;
    static constexpr Errors::Type_Error ErrorParameter = 104;
    static constexpr Errors::Type_Error ErrorCrossNotFound = 201;
    static constexpr Errors::Type_Error ErrorPictureCount = 212;
    static constexpr Errors::Type_Error ErrorNoCrossModel = 10000;

    // page must outlive the worker; crossModel (may be null: every search then fails) is the
    // application's "CrossModel" facade, with which the worker registers its create and search
    // workers. The thread starts at once and waits idle.
    ImageStitcherThread(IImageStitcherPage* page, const AppSettingsData& appSettings,
                        const ImageStitcherSettingsData& settings, ModelMatching* crossModel,
                        QObject* parent = nullptr);
    // Ends the thread after the step that is running; the page's event loop is not turned
    // meanwhile, so no queued report reaches a page that is being destroyed.
    ~ImageStitcherThread() override;

    ImageStitcherThread(const ImageStitcherThread&) = delete;
    ImageStitcherThread& operator=(const ImageStitcherThread&) = delete;

    // GUI thread only. 0; 101 while a run is busy; 104 for distances that cannot place a
    // cross (a camera distance of 0, ...). Nothing changes on a refusal.
    Errors::Type_Error Start(const AppSettingsData& appSettings, const ImageStitcherSettingsData& settings,
                             const QList<Halcon::Hobject>& pictures);
    // Stops a running job and runs again on the pictures held, with the views kept. 0; the
    // code of Stop; 104 as Start.
    Errors::Type_Error StartWithSettings(const AppSettingsData& appSettings, const ImageStitcherSettingsData& settings);
    // Stops a run, forgets its error and clears the page's views and state text. With a call
    // the wait for the stop is part of it (Automation_Call).
    Errors::Type_Error Reset(Automation_Call* call = nullptr);
    // running := busy; 0 while busy, else the error of the last run.
    Errors::Type_Error CheckRunning(bool& running);

    bool abortRequested() const { return stopRequested(); }

protected:
    qint32 step(qint32 state) override;
    void setStateText(const QString& text) override;

private:
    qint32 StepStart(bool clearViews);
    qint32 StepPrepare();
    qint32 StepShowPicture();
    qint32 StepFindCrosses();
    qint32 StepNextPictureOrStitch();
    qint32 StepFinish();
    qint32 StepShowModelPicture();
    qint32 StepCreateModel();

    // One cross of the current picture into cross (cleared by the caller). 0 also when the
    // cross is not there: the outcome is in cross and in the run's error.
    Errors::Type_Error FindPictureCross(bool draw, int pictureIndex, int pointIndex, const SearchAreaSettings& area,
                                        PictureCross& cross);
    qint32 StitchPictures();

    // Copies the inputs and takes the snapshot of the cross model; the worker is idle.
    void takeInputs(const AppSettingsData& appSettings, const ImageStitcherSettingsData& settings);
    void setCurrentPicture(int index);

    IImageStitcherPage* const m_page;
    ModelMatching* const m_crossModel;
    AppSettingsData m_appSettings;
    ImageStitcherSettingsData m_settings;
    double m_crossToAgarFactor = 1.0;
    ModelMatching_Analyse_CreateModel* m_createWorker = nullptr;
    ModelMatching_Analyse_SearchModel* m_searchWorker = nullptr;

    // The snapshot the run searches with: its own facade over a copy of the cross model's
    // settings, with the template picture and the model as they were at the start.
    ModelMatchingSettings m_snapshotSettings;
    std::unique_ptr<ModelMatching> m_snapshotModel;
    std::unique_ptr<ModelMatching_ModelPicture> m_snapshotPicture;
    std::unique_ptr<ModelMatching_Analyse_SearchModel> m_snapshotSearch;

    Halcon::Hobject m_picture;
    Hobject_View_Gui* m_view = nullptr;
    int m_index = -1;
    QList<Halcon::Hobject> m_pictures;
    QList<PictureCross> m_crosses;
    QList<ImageStitcherTile> m_tiles;
};
