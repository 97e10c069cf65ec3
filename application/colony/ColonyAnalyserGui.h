#pragma once

#include <HalconViewImpl.h>

#include "ColonyAnalyserThread.h"
#include "ColonyAnalyserViewForwards.h"
#include "ColonyColourSelection.h"
#include "ColonyRackRecord.h"
#include "ColonySelectorHighlight.h"
#include "ColonySettings.h"
#include "ColonyTableColumns.h"
#include "Errors.h"
#include "IHalconView.h"
#include "IColoniesCollection.h"
#include "IImageRefPointsView.h"
#include "ImageColony.h"
#include "ImageRefPoint.h"
#include "ImageRefPointsMetrics.h"

#include <Hobject.h>

#include <QDateTime>
#include <QList>
#include <QSemaphore>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class AppSettings;
class ApplicationDatabase;
class Automation_Call;
class Camera_Settings;
class ColonyEditorGui;
class ColonyPicking;
class ColonyResultTables;
class Halcon_AsynchronImageSave;
class QAction;
class QTreeWidget;
class QTreeWidgetItem;
class RunStateDisplay;

namespace Ui {
class ColonyAnalyserGui;
}

// The Colony Analyser page: owns the analysis worker and its picture view, shows what the
// worker reports while it runs (reference points, metrics, containers, good and rejected
// colonies), saves a finished result with its rack picture into the database and exports
// colony results as delimited text.
//
// The worker reports from its own thread through the emitters, which emit queued signals of
// the page; table and rack reports release one unit of the pending-update semaphore before
// they emit and the slot acquires it when it has applied the report, so the page counts as
// busy until the last report of a run is on screen. Everything else runs in the GUI thread.
//
// The page keeps the entry points, the reports and the busy rule; its parts stand beside it:
// the record (ColonyRackRecord), the tables (ColonyResultTables, ColonyTableColumns), saving
// (ColonyResultSave), exports (ColonyAnalyserExport), what the view selects (ColonyPicking,
// ColonyColourSelection, ColonySelectorHighlight), its layout store, view groups and forwards.
class ColonyAnalyserGui : public QWidget, public ColonyAnalyserViewForwards {
    Q_OBJECT
public:
    // Application error codes of the page.
    static constexpr Errors::Type_Error ErrorGeneral = 3;
    static constexpr Errors::Type_Error ErrorCannotSavePicture = 55;
    static constexpr Errors::Type_Error ErrorBusy = 101;
    static constexpr Errors::Type_Error ErrorNoPicture = 102;
    static constexpr Errors::Type_Error ErrorColonyNotFound = 104;
    static constexpr Errors::Type_Error ErrorRackNotShown = 110;
    static constexpr Errors::Type_Error ErrorRackNotFound = 121;
    static constexpr Errors::Type_Error ErrorFileOperation = 130;

    // How long SaveResult waits for a running analysis and its queued reports.
    static constexpr int DefaultSaveWaitTimeoutMs = 300000;
    // How long a reset or save for an automation call waits for another client's save, reset
    // or colony edit to end.
    static constexpr int DefaultOtherWorkTimeoutMs = 30000;

    // The page's record of the rack on screen and the columns of its colony tables.
    using RackEntry = ColonyRackRecord;
    using ContainerEntry = ColonyRackRecord::Container;
    using ColonyEntry = ColonyRackRecord::Colony;
    using ColumnInfo = ColonyTableColumns::ColumnInfo;

    class ImageRefPointsTable : public IImageRefPointsView {
    public:
        explicit ImageRefPointsTable(ColonyAnalyserGui* page) : m_page(page) {}
        void add(const QString& text, const ImageRefPoint& item) override;
        void clear() override;
        void addMetrics(const ImageRefPointsMetrics& item) override;

    private:
        ColonyAnalyserGui* m_page;
    };

    class ImageColoniesTable : public IColoniesCollection {
    public:
        explicit ImageColoniesTable(ColonyAnalyserGui* page) : m_page(page) {}
        void add(const ImageColony& item) override;

    private:
        ColonyAnalyserGui* m_page;
    };

    // Runs the colony editor and gives its dialog result; tests edit through its widgets
    // instead of a modal loop.
    using EditorRunner = std::function<int(ColonyEditorGui& dialog)>;

    // XML text of the camera settings stored with each rack (empty without a camera).
    using CameraSettingsText = std::function<QString()>;
    // The pruning of old racks after a stored result; tests replace it.
    using PruneFunction = std::function<Errors::Type_Error(const AppSettings::DatabaseSettings& settings)>;

    // None of the pointers is owned; all must outlive the page.
    ColonyAnalyserGui(ApplicationDatabase* database, AppSettings* appSettings, CameraSettingsText cameraSettingsText,
                      ColonySettings* colonySettings, QWidget* parent = nullptr);
    // Each rack stores the camera record's own file text.
    ColonyAnalyserGui(ApplicationDatabase* database, AppSettings* appSettings, Camera_Settings* cameraSettings,
                      ColonySettings* colonySettings, QWidget* parent = nullptr);
    ~ColonyAnalyserGui() override;

    // ---- Entry points of the main window (GUI thread) -------------------------------------
    // Entry points that take an automation call wait as part of it (Automation_Call): no event
    // loop turns inside them, they answer Pending and write their outputs when the wait ends
    // (outputs must live until then). A reset or save with a call first waits for another
    // client's save, reset or colony edit to end (101 after the other-work time-out); without
    // one it answers 101 at once, since that work would be waiting beneath it.
    Errors::Type_Error Reset(Automation_Call* call = nullptr);
    Errors::Type_Error Analyse(const Halcon::Hobject& picture);
    // Analyses the held picture again with the current settings; 102 without one.
    Errors::Type_Error Reanalyse();
    Errors::Type_Error Stop(Automation_Call* call = nullptr);
    // running: the worker is busy, the page still shows a running analysis, or reports are
    // queued. The worker's error (unchanged) comes only with running false, once every report
    // of the run is shown.
    Errors::Type_Error CheckRunning(bool& running);
    Errors::Type_Error GetLLDPosition(int unused, double& x, double& y);
    // New agar height: every colony, good and rejected, is placed again. 104 for a height the
    // worker refuses, which keeps the previous one.
    Errors::Type_Error SetAgarHeight(double agarHeight);
    Errors::Type_Error PictureView_Clear();
    Errors::Type_Error PictureView_DisplayColony(int colonyId);

    // Stores rack, containers and colonies in one transaction with the rack picture;
    // nothing stays behind on failure and rackID stays -1. A failed pruning of old racks
    // after the rack was stored does not fail the save: it goes to pruneError (and
    // lastPruneError). 101 while another save runs or when the analysis does not end in time.
    Errors::Type_Error SaveResult(bool asynchronPictureSave, const QString& rackBarcode, const QString& description,
                                  int imageStitcherID, int& rackID, Errors::Type_Error* pruneError = nullptr,
                                  Automation_Call* call = nullptr);
    Errors::Type_Error SaveResult_CheckAsynchronSaveFinish(bool& finish);
    // 104 for a target the program's own data or no regular file (ExportTarget_Guard), 55 for
    // a format no save knows; both before anything is read or queued. 104 for a picture that
    // would be larger than ColonyAnalyserExport allows. With a call the picture is read, cut,
    // scaled and written (or queued) on another thread.
    Errors::Type_Error ExportRackPicture(int rackID, bool asynchronPictureSave, const QString& picturePath,
                                         const QString& pictureFormat, bool pictureCropped, int pictureSizePercent,
                                         bool analyserDrawings, Automation_Call* call = nullptr);

    // Delimited colony results of a rack: the held result when rackId is its RackID, else
    // the stored rows. 104 for a target that ExportTarget_Guard refuses; 101 while an
    // analysis runs or a save is in progress.
    Errors::Type_Error ExportColonyResults(Database::ID rackId, const QString& fileName, const QString& options);
    Errors::Type_Error ExportColonyResultsCurrentRack(const QString& fileName, const QString& options);

    // The colony editor on the good colonies of the rack on screen; an accepted edit reaches
    // the page's rows (and a later SaveResult). 0 also when the operator cancels; the busy
    // rule first (101, or the worker's error). Every other entry point answers 101 while the
    // editor is open.
    Errors::Type_Error UserEditColonies(Automation_Call* call = nullptr);
    void setEditorRunner(EditorRunner runner) { m_editorRunner = std::move(runner); }

    // The busy rule of the entry points: the worker busy, the page still showing a running
    // analysis, or reports queued. Only when none of these holds is a worker error returned
    // (unchanged).
    Errors::Type_Error busyState(bool& busy);
    bool isSaving() const { return m_exclusiveWork == WorkSaving; }
    Errors::Type_Error lastPruneError() const { return m_lastPruneError; }
    void setSaveWaitTimeout(int milliseconds) { m_saveWaitTimeoutMs = milliseconds; }
    void setOtherWorkTimeout(int milliseconds) { m_otherWorkTimeoutMs = milliseconds; }
    void setPruneFunction(PruneFunction function) { m_pruneFunction = std::move(function); }

    // The colony row a reported colony becomes (keys and picking state left cleared).
    static DatabaseTableZelvorinColony::Dataset colonyRowFromImageColony(const ImageColony& colony);
    // Picture file of a stored rack: "<application>_<rack id, 8 digits>_Rack.png".
    static QString rackPictureFileName(Database::ID rackId);
    static QString rackPicturePath(const QString& pictureFolder, Database::ID rackId);

    // ---- What other parts of the page's subsystem read -------------------------------------
    const RackEntry& rack() const { return m_rack; }
    RackEntry& rack() { return m_rack; }
    const QList<ColumnInfo>& columns() const { return m_columns.columns(); }
    ColonyAnalyserThread* worker() const { return m_worker; }
    QTreeWidget* goodColoniesTable() const;
    QTreeWidget* rejectedColoniesTable() const;
    QTreeWidget* referencePointsTable() const;
    QTreeWidget* metricsTable() const;
    QSemaphore& pendingUpdates() { return m_pendingUpdates; }
    bool isRunningDisplayed() const { return m_runningDisplayed; }
    // Writes every cell of one colony row.
    void UpdateTreeItemText(int iContainer, int iColony);
    // Places a colony from its pixel position with the worker's current transforms: the
    // millimetre position in its row and table cells and, for a good colony, its light-table
    // cross. No repaint.
    void placeColony(ColonyEntry& colony);
    // Colonies per container in column 1 of both tables and the two count labels.
    void showColonyCounts();
    void findColonyAt(double x, double y, int& iContainer, int& iColony) const;
    bool findColonyByItem(const QTreeWidgetItem* item, int& iContainer, int& iColony) const;
    void applyColourSelection();
    // Test of a vision-layer result for the engine: false for success, else recorded.
    static bool checkHalconError(int halconResult);

    // ---- IColonyAnalyserHost (worker thread unless noted); the view forwards are the base's --
    void emitStateSetText(const QString& text) override;
    void emitAnalyserStarted() override;
    void emitAnalyserStopped() override;
    void emitRackReset(const Halcon::Hobject& picture) override;
    void emitRackAdd(const Halcon::Hobject& picture, const QDateTime& created, const QString& description) override;
    void emitContainerListAdd(const QString& layerName, int containerNumber, const QString& positionText,
                              const QString& description, int containerIndex,
                              const Halcon::Hobject& searchArea) override;
    void emitContainerListReset();
    void emitImageRefPointsAdd(const QString& text, const ImageRefPoint& point);
    void emitImageRefPointsClear();
    void emitImageRefPointsAddMetrics(const ImageRefPointsMetrics& metrics);
    void emitColonyAdd(const ImageColony& colony);

    IImageRefPointsView* imageRefPointsTable() override { return &m_imageRefPointsTable; }
    IColoniesCollection* imageColoniesTable() override { return &m_imageColoniesTable; }
    IHalconView* halconView() override { return m_halconView.get(); }

signals:
    void signal_AnalyserStarted();
    void signal_AnalyserStopped();
    void signal_StateSetText(QString stateText);
    void signal_rack_reset(Halcon::Hobject hobjectPicture);
    void signal_containerlist_reset();
    void signal_rack_add(Halcon::Hobject hobjPicture, QDateTime createdDate, QString description);
    void signal_containerlist_add(QString halconObjectName, int positionNumber, QString positionText,
                                  QString description, int containerIndex, Halcon::Hobject hobjXldSearchArea);
    void signal_ColonyAdd(ImageColony item);
    void signal_ImageRefPointsAdd(QString text, ImageRefPoint item);
    void signal_ImageRefPointsClear();
    void signal_ImageRefPointsAddMetrics(ImageRefPointsMetrics item);

public slots:
    void slot_QPushButton_StartStop_clicked();
    void slot_ColoniesTable_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void slot_ColoniesTable_itemDoubleClicked(QTreeWidgetItem* item, int column);
    void slot_AppSettings_changed();
    void slot_ColonySettings_changed();
    void slot_ColonySettings_custom(ColonySettings::Enum_CustomSignal number, const QVariant& data);
    void slot_HalconMousePressEvent(double x, double y);
    void slot_HalconMouseMoveEvent(double x, double y);
    void slot_HalconMouseReleaseEvent(double x, double y);
    void slot_HalconObjectSelected(const QString& objectName);
    void slot_Action_ResizeColumns();
    void slot_Action_ShowInHalconView();
    void slot_GetRefPointOffset(double& x1Pct, double& y1Pct, double& x2Pct, double& y2Pct, double& x3Pct,
                                double& y3Pct);

    void slot_AnalyserStarted();
    void slot_AnalyserStopped();
    void slot_StateSetText(QString stateText);
    void slot_rack_reset(Halcon::Hobject hobjectPicture);
    void slot_containerlist_reset();
    void slot_rack_add(Halcon::Hobject hobjPicture, QDateTime createdDate, QString description);
    void slot_containerlist_add(QString halconObjectName, int positionNumber, QString positionText,
                                QString description, int containerIndex, Halcon::Hobject hobjXldSearchArea);
    void slot_ColonyAdd(ImageColony item);
    void slot_ImageRefPointsAdd(QString text, ImageRefPoint item);
    void slot_ImageRefPointsClear();
    void slot_ImageRefPointsAddMetrics(ImageRefPointsMetrics item);

private:
    ColonyAnalyserThread::AppSettingsData appSettingsData() const;
    ColonySettingsData currentSettings() const;
    void endColourSelection();
    void cancelMouseTools();
    bool isBusy();
    // What an entry point that must not run during an analysis answers: 101 while exclusive
    // work or the busy rule holds, else the worker's error (0 when there is none).
    Errors::Type_Error refusal();
    // The rack row's texts of a save: settings, correction, the instrument's texts.
    void fillRackRow(const QString& rackBarcode, const QString& description, int imageStitcherID,
                     Errors::Type_Error workerError);
    Errors::Type_Error pruneOldRacks();

    // The standard forwarder to the page's view, made with the view.
    std::unique_ptr<HalconViewImpl> m_halconView;
    ImageRefPointsTable m_imageRefPointsTable;
    ImageColoniesTable m_imageColoniesTable;

    ColonySelectorHighlight m_highlight;
    int m_lastEditorPage = 0;

    std::unique_ptr<Ui::ColonyAnalyserGui> m_ui;

    ApplicationDatabase* m_database;
    AppSettings* m_appSettings;
    CameraSettingsText m_cameraSettingsText;
    ColonySettings* m_colonySettings;
    Halcon_AsynchronImageSave* m_imageSaver = nullptr;
    ColonyAnalyserThread* m_worker = nullptr;
    std::unique_ptr<RunStateDisplay> m_runState;
    std::unique_ptr<ColonyResultTables> m_tables;
    std::unique_ptr<ColonyPicking> m_picking;
    QAction* m_actionResize = nullptr;
    QAction* m_actionShowInImage = nullptr;

    Errors::Type_Error markRunningWhenAccepted(Errors::Type_Error code);
    bool m_runningDisplayed = false;
    RackEntry m_rack;
    QSemaphore m_pendingUpdates{0};
    ColonyColourSelection m_colourSelection;
    ColonyTableColumns m_columns;

    // Work that waits (in place or as part of an automation call) and must not be overtaken by
    // another entry point: every entry point answers 101 meanwhile, or waits for its end.
    enum ExclusiveWork { WorkNone, WorkSaving, WorkResetting, WorkEditing };
    struct ExclusiveWorkScope {
        ExclusiveWorkScope(ExclusiveWork& work, ExclusiveWork kind) : m_work(work) { m_work = kind; }
        ~ExclusiveWorkScope() { m_work = WorkNone; }
        ExclusiveWork& m_work;
    };
    // Held by the rest of the work until it has run.
    using HeldWork = std::shared_ptr<ExclusiveWorkScope>;
    HeldWork holdWork(ExclusiveWork kind);
    // next once no exclusive work holds the page (see Reset).
    Errors::Type_Error whenFreeThen(Automation_Call* call, const std::function<int()>& next);
    // next(0, the worker's error) once the page is idle, next(101, ...) after the save wait.
    using IdleNext = std::function<int(Errors::Type_Error code, Errors::Type_Error workerError)>;
    Errors::Type_Error whenIdleThen(Automation_Call* call, const IdleNext& next);
    ExclusiveWork m_exclusiveWork = WorkNone;
    int m_saveWaitTimeoutMs = DefaultSaveWaitTimeoutMs;
    int m_otherWorkTimeoutMs = DefaultOtherWorkTimeoutMs;
    Errors::Type_Error m_lastPruneError = 0;
    PruneFunction m_pruneFunction;
    EditorRunner m_editorRunner;
};
