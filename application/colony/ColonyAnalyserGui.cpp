#include "ColonyAnalyserGui.h"
#include "ui_ColonyAnalyserGui.h"

#include "AppSettings.h"
#include "ApplicationDatabase.h"
#include "Automation_Call.h"
#include "Camera_Settings.h"
#include "ColonyAnalyserExport.h"
#include "ColonyAnalyserLayout.h"
#include "ColonyAnalyserViewGroups.h"
#include "ColonyEditApply.h"
#include "ColonyEditorGui.h"
#include "ColonyPicking.h"
#include "ColonyResultSave.h"
#include "ColonyResultTables.h"
#include "DatabaseTableAll.h"
#include "DrawSettings.h"
#include "ExportTarget_Guard.h"
#include "Gui_Helper.h"
#include "HalconFunctions.h"
#include "Halcon_AsynchronImageSave.h"
#include "Halcon_Helper.h"
#include "Hobject_View_Gui.h"
#include "Hobject_View_MouseDraw_Rectangle_Area.h"
#include "MessageBox_Helper.h"
#include "NumericSortTreeWidgetItem.h"
#include "QuendralLibrary.h"
#include "ReferencePointSearch.h"
#include "ResultPictureNames.h"
#include "RunStateDisplay.h"

#include <Halcon.h>

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QTreeWidget>

namespace {

const QString kColoniesPrefix = QStringLiteral("HalconObject_Colonies.");
// How often a wait looks whether the page is free or idle.
constexpr int kWaitStepMs = 20;

} // namespace

// ---- Report interfaces -----------------------------------------------------------------------------

void ColonyAnalyserGui::ImageRefPointsTable::add(const QString& text, const ImageRefPoint& item)
{
    m_page->emitImageRefPointsAdd(text, item);
}

void ColonyAnalyserGui::ImageRefPointsTable::clear()
{
    m_page->emitImageRefPointsClear();
}

void ColonyAnalyserGui::ImageRefPointsTable::addMetrics(const ImageRefPointsMetrics& item)
{
    m_page->emitImageRefPointsAddMetrics(item);
}

void ColonyAnalyserGui::ImageColoniesTable::add(const ImageColony& item)
{
    m_page->emitColonyAdd(item);
}

// ---- Construction ---------------------------------------------------------------------------------

ColonyAnalyserGui::ColonyAnalyserGui(ApplicationDatabase* database, AppSettings* appSettings,
                                     CameraSettingsText cameraSettingsText, ColonySettings* colonySettings,
                                     QWidget* parent)
    : QWidget(parent)
    , m_imageRefPointsTable(this)
    , m_imageColoniesTable(this)
    , m_ui(std::make_unique<Ui::ColonyAnalyserGui>())
    , m_database(database)
    , m_appSettings(appSettings)
    , m_cameraSettingsText(std::move(cameraSettingsText))
    , m_colonySettings(colonySettings)
{
    qRegisterMetaType<Halcon::Hobject>("Halcon::Hobject");
    ImageRefPoint::registerMetaType();
    ImageColony::registerMetaType();
    ImageRefPointsMetrics::registerMetaType();

    m_ui->setupUi(this);
    Gui_Helper::setObjectName(this, QString());
    if (parent && !parent->layout())
        Gui_Helper::fillParentWidget(this, false, true);
    m_tables = std::make_unique<ColonyResultTables>(*m_ui);
    if (QLayout* layout = m_ui->m_QWidget_Info->layout())
        layout->setContentsMargins(0, 0, 0, 0);

    m_runState = std::make_unique<RunStateDisplay>(m_ui->m_QPushButton_StartStop, m_ui->m_QLabel_Duration,
                                                   m_ui->m_QLabel_RunningState, "ColonyAnalyserGui");

    m_imageSaver = new Halcon_AsynchronImageSave(QThread::NormalPriority, this);

    m_view = new Hobject_View_Gui(m_ui->m_QFrame_Picture, QStringLiteral("Colony Analyser"));
    m_halconView = std::make_unique<HalconViewImpl>(m_view);
    m_picking = std::make_unique<ColonyPicking>(m_rack, m_view, m_ui->m_ColoniesTable, m_ui->m_RejectedColoniesTable);
    Gui_Helper::fillParentWidget(m_view, false, true);
    m_view->setSelectionStyle(QStringLiteral("yellow"), 4, true);
    ColonyAnalyserViewGroups::install(*m_view);

    const ColonyAnalyserThread::AppSettingsData appData = appSettingsData();
    m_worker = new ColonyAnalyserThread(this, &appData, m_colonySettings ? &m_colonySettings->data() : nullptr, this);

    if (QuendralLibrary::IsAutomationServer())
        m_ui->m_QPushButton_StartStop->hide();

    Gui_Helper::applyWidgetStyles(this, true, true, true);
    // The picture has two thirds of the page, the tables the rest, until the operator moves
    // the splitter; a layout kept from then replaces these weights.
    Gui_Helper::setSplitterWeights(m_ui->m_QSplitter_Info, {2, 1});
    Gui_Helper::restoreWindowLayout(this, QString());

    connect(m_ui->m_QPushButton_StartStop, &QPushButton::clicked, this,
            &ColonyAnalyserGui::slot_QPushButton_StartStop_clicked);
    for (QTreeWidget* table : {m_ui->m_ColoniesTable, m_ui->m_RejectedColoniesTable}) {
        connect(table, &QTreeWidget::currentItemChanged, this, &ColonyAnalyserGui::slot_ColoniesTable_currentItemChanged);
        connect(table, &QTreeWidget::itemDoubleClicked, this, &ColonyAnalyserGui::slot_ColoniesTable_itemDoubleClicked);
    }
    if (m_appSettings)
        connect(m_appSettings, &Settings_Change_Helper::signal_changed, this, &ColonyAnalyserGui::slot_AppSettings_changed);
    if (m_colonySettings) {
        connect(m_colonySettings, &Settings_Change_Helper::signal_changed, this,
                &ColonyAnalyserGui::slot_ColonySettings_changed);
        connect(m_colonySettings, &ColonySettings::signal_custom, this, &ColonyAnalyserGui::slot_ColonySettings_custom);
    }
    connect(m_view, &Hobject_View_Gui::signal_HalconMousePressEvent, this, &ColonyAnalyserGui::slot_HalconMousePressEvent);
    connect(m_view, &Hobject_View_Gui::signal_HalconMouseMoveEvent, this, &ColonyAnalyserGui::slot_HalconMouseMoveEvent);
    connect(m_view, &Hobject_View_Gui::signal_HalconMouseReleaseEvent, this,
            &ColonyAnalyserGui::slot_HalconMouseReleaseEvent);
    connect(m_view, qOverload<QString>(&Hobject_View_Gui::signal_HalconObjectSelected), this,
            &ColonyAnalyserGui::slot_HalconObjectSelected);

    connect(this, &ColonyAnalyserGui::signal_AnalyserStarted, this, &ColonyAnalyserGui::slot_AnalyserStarted);
    connect(this, &ColonyAnalyserGui::signal_AnalyserStopped, this, &ColonyAnalyserGui::slot_AnalyserStopped);
    connect(this, &ColonyAnalyserGui::signal_StateSetText, this, &ColonyAnalyserGui::slot_StateSetText);
    connect(this, &ColonyAnalyserGui::signal_rack_reset, this, &ColonyAnalyserGui::slot_rack_reset);
    connect(this, &ColonyAnalyserGui::signal_containerlist_reset, this, &ColonyAnalyserGui::slot_containerlist_reset);
    connect(this, &ColonyAnalyserGui::signal_rack_add, this, &ColonyAnalyserGui::slot_rack_add);
    connect(this, &ColonyAnalyserGui::signal_containerlist_add, this, &ColonyAnalyserGui::slot_containerlist_add);
    connect(this, &ColonyAnalyserGui::signal_ColonyAdd, this, &ColonyAnalyserGui::slot_ColonyAdd);
    connect(this, &ColonyAnalyserGui::signal_ImageRefPointsAdd, this, &ColonyAnalyserGui::slot_ImageRefPointsAdd);
    connect(this, &ColonyAnalyserGui::signal_ImageRefPointsClear, this, &ColonyAnalyserGui::slot_ImageRefPointsClear);
    connect(this, &ColonyAnalyserGui::signal_ImageRefPointsAddMetrics, this,
            &ColonyAnalyserGui::slot_ImageRefPointsAddMetrics);

    m_columns.setHeaders(m_ui->m_ColoniesTable);
    m_columns.setHeaders(m_ui->m_RejectedColoniesTable);
    ColonyAnalyserLayout::restore(*m_ui);

    m_actionResize = new QAction(tr("Size All Columns to Fit"), this);
    m_actionShowInImage = new QAction(tr("Show in Image"), this);
    connect(m_actionResize, &QAction::triggered, this, &ColonyAnalyserGui::slot_Action_ResizeColumns);
    connect(m_actionShowInImage, &QAction::triggered, this, &ColonyAnalyserGui::slot_Action_ShowInHalconView);
    m_tables->addContextActions(m_actionResize, m_actionShowInImage);
}

ColonyAnalyserGui::ColonyAnalyserGui(ApplicationDatabase* database, AppSettings* appSettings,
                                     Camera_Settings* cameraSettings, ColonySettings* colonySettings, QWidget* parent)
    : ColonyAnalyserGui(
          database, appSettings, [cameraSettings] { return cameraSettings ? cameraSettings->ToXmlString() : QString(); },
          colonySettings, parent)
{
}

ColonyAnalyserGui::~ColonyAnalyserGui()
{
    // Nothing from outside may start work on a page that is going.
    if (m_appSettings)
        disconnect(m_appSettings, nullptr, this, nullptr);
    if (m_colonySettings)
        disconnect(m_colonySettings, nullptr, this, nullptr);
    Gui_Helper::saveWindowLayout(this, QString());
    ColonyAnalyserLayout::save(*m_ui, m_columns);
    // The saver turns the event loop while it writes what is queued, so it goes while the
    // worker can still take the reports that arrive; the worker reports into the tables and
    // the view, so it goes before them.
    delete m_imageSaver;
    m_imageSaver = nullptr;
    delete m_worker;
    m_worker = nullptr;
    m_rack.clear();
}

ColonyAnalyserThread::AppSettingsData ColonyAnalyserGui::appSettingsData() const
{
    ColonyAnalyserThread::AppSettingsData data;
    if (m_appSettings) {
        data.name = m_appSettings->name;
        data.database = m_appSettings->database;
    }
    return data;
}

ColonySettingsData ColonyAnalyserGui::currentSettings() const
{
    return m_colonySettings ? m_colonySettings->data() : ColonySettingsData();
}

QTreeWidget* ColonyAnalyserGui::goodColoniesTable() const
{
    return m_ui->m_ColoniesTable;
}

QTreeWidget* ColonyAnalyserGui::rejectedColoniesTable() const
{
    return m_ui->m_RejectedColoniesTable;
}

QTreeWidget* ColonyAnalyserGui::referencePointsTable() const
{
    return m_ui->m_ReferencePointsPositions;
}

QTreeWidget* ColonyAnalyserGui::metricsTable() const
{
    return m_ui->m_ReferencePointsMetrics;
}

// ---- Entry points ----------------------------------------------------------------------------------

void ColonyAnalyserGui::endColourSelection()
{
    if (!m_colourSelection.isActive())
        return;
    m_colourSelection.end();
    if (m_colonySettings)
        m_colonySettings->emitCustom(ColonySettings::CustomSignal_ColorSelectionEnabled, QVariant(0));
}

void ColonyAnalyserGui::cancelMouseTools()
{
    Hobject_View_MouseDraw_Rectangle_cancelAll();
}

Errors::Type_Error ColonyAnalyserGui::busyState(bool& busy)
{
    bool workerBusy = false;
    const Errors::Type_Error code = m_worker->CheckRunning(workerBusy);
    // Busy before the error: a failed run still has reports on their way, and its error is
    // the answer only once every one of them is shown. The worker is read first; it goes
    // idle only after its last report was queued.
    busy = workerBusy || m_runningDisplayed || m_pendingUpdates.available() > 0;
    return busy ? Errors::Type_Error(0) : code;
}

Errors::Type_Error ColonyAnalyserGui::refusal()
{
    // Work in progress answers busy even when the finished run left an error behind.
    if (m_exclusiveWork != WorkNone)
        return ErrorBusy;
    bool busy = false;
    const Errors::Type_Error code = busyState(busy);
    return busy ? ErrorBusy : code;
}

bool ColonyAnalyserGui::isBusy()
{
    bool busy = false;
    busyState(busy);
    return busy;
}

ColonyAnalyserGui::HeldWork ColonyAnalyserGui::holdWork(ExclusiveWork kind)
{
    return std::make_shared<ExclusiveWorkScope>(m_exclusiveWork, kind);
}

Errors::Type_Error ColonyAnalyserGui::whenFreeThen(Automation_Call* call, const std::function<int()>& next)
{
    if (!call)
        return m_exclusiveWork != WorkNone ? ErrorBusy : Errors::Type_Error(next());
    return Errors::Type_Error(Gui_Helper::waitThen(
        call, [this] { return m_exclusiveWork == WorkNone; }, m_otherWorkTimeoutMs, kWaitStepMs,
        [next](bool free) { return free ? next() : int(ErrorBusy); }));
}

Errors::Type_Error ColonyAnalyserGui::whenIdleThen(Automation_Call* call, const IdleNext& next)
{
    const auto workerError = std::make_shared<Errors::Type_Error>(0);
    return Errors::Type_Error(Gui_Helper::waitThen(
        call,
        [this, workerError] {
            bool busy = false;
            *workerError = busyState(busy);
            return !busy;
        },
        m_saveWaitTimeoutMs, kWaitStepMs,
        [next, workerError](bool idle) { return next(idle ? Errors::Type_Error(0) : ErrorBusy, *workerError); }));
}

Errors::Type_Error ColonyAnalyserGui::Reset(Automation_Call* call)
{
    return whenFreeThen(call, [this, call] {
        const HeldWork work = holdWork(WorkResetting);
        endColourSelection();
        cancelMouseTools();
        // The reports of a run still on their way would fill the cleared rack again: the run
        // stops and every report it sent is shown before the worker forgets it.
        return Automation_Call::then(call, m_worker->Stop(call), [this, call, work](int code) -> int {
            if (code != 0)
                return code;
            return whenIdleThen(call, [this, call, work](Errors::Type_Error code, Errors::Type_Error) -> int {
                if (code != 0)
                    return code;
                return Automation_Call::then(call, m_worker->Reset(call), [this, work](int code) {
                    if (code == 0)
                        m_ui->m_QLabel_Duration->clear();
                    return code;
                });
            });
        });
    });
}

Errors::Type_Error ColonyAnalyserGui::Analyse(const Halcon::Hobject& picture)
{
    if (m_exclusiveWork != WorkNone)
        return ErrorBusy;
    endColourSelection();
    cancelMouseTools();
    return markRunningWhenAccepted(m_worker->Analyse(appSettingsData(), currentSettings(), picture));
}

Errors::Type_Error ColonyAnalyserGui::Reanalyse()
{
    if (m_exclusiveWork != WorkNone)
        return ErrorBusy;
    endColourSelection();
    cancelMouseTools();
    return markRunningWhenAccepted(m_worker->Reanalyse(appSettingsData(), currentSettings()));
}

Errors::Type_Error ColonyAnalyserGui::markRunningWhenAccepted(Errors::Type_Error code)
{
    // Every accepted run ends with the queued stop report, which clears the mark. Marking here
    // keeps the page busy even when the worker finishes before its start report is handled.
    if (code == 0)
        m_runningDisplayed = true;
    return code;
}

Errors::Type_Error ColonyAnalyserGui::Stop(Automation_Call* call)
{
    // A stop in the middle of a save's wait would store an aborted result.
    if (m_exclusiveWork != WorkNone)
        return ErrorBusy;
    return m_worker->Stop(call);
}

Errors::Type_Error ColonyAnalyserGui::CheckRunning(bool& running)
{
    return busyState(running);
}

Errors::Type_Error ColonyAnalyserGui::GetLLDPosition(int, double& x, double& y)
{
    x = 0.0;
    y = 0.0;
    if (const Errors::Type_Error code = refusal(); code != 0)
        return code;
    const double row = double(m_worker->pictureHeight() / 2);
    const double column = double(m_worker->pictureWidth() / 2);
    double yMillimetres = 0.0;
    double xMillimetres = 0.0;
    m_worker->referencePointSearch().transformPlateCoordinates(row, column, &yMillimetres, &xMillimetres);
    x = xMillimetres;
    y = yMillimetres;
    return 0;
}

Errors::Type_Error ColonyAnalyserGui::SetAgarHeight(double agarHeight)
{
    if (const Errors::Type_Error code = refusal(); code != 0)
        return code;
    if (const Errors::Type_Error code = m_worker->SetAgarHeight(agarHeight); code != 0)
        return code;

    // Every colony, good and rejected, so that the stored rows never mix two heights.
    for (const auto& container : m_rack.containers) {
        for (const auto& colony : container->colonies)
            placeColony(*colony);
    }
    m_view->updateView(true);
    return 0;
}

void ColonyAnalyserGui::placeColony(ColonyEntry& colony)
{
    const ReferencePointSearch& search = m_worker->referencePointSearch();
    DatabaseTableZelvorinColony::Dataset& row = colony.row;
    double rowCorrected = row.PosY_px;
    double columnCorrected = row.PosX_px;
    search.transformHeightScale(row.PosY_px, row.PosX_px, &rowCorrected, &columnCorrected);
    double yMillimetres = 0.0;
    double xMillimetres = 0.0;
    search.transformPlateCoordinates(rowCorrected, columnCorrected, &yMillimetres, &xMillimetres);
    row.PosX_mm = xMillimetres;
    row.PosY_mm = yMillimetres;
    ColonyResultTables::writeColonyPosition(colony);
    // Only good colonies carry a light-table cross.
    if (row.IsGoodColony && !colony.objectName.isEmpty()) {
        const QString name = colony.objectName + QStringLiteral("Center.LightTable");
        m_view->removeObjects(name, false);
        m_halconView->addObject(HalconGenCross(rowCorrected, columnCorrected, m_worker->crossSize(), 0.0),
                               DrawSettings::instance().at(DrawSettings::Center_LightTable), name, true);
    }
}

Errors::Type_Error ColonyAnalyserGui::PictureView_Clear()
{
    m_view->setObjectsVisible(QString(), false, false);
    return 0;
}

Errors::Type_Error ColonyAnalyserGui::PictureView_DisplayColony(int colonyId)
{
    if (m_rack.containers.empty())
        return ErrorColonyNotFound;
    for (const auto& container : m_rack.containers) {
        for (const auto& colony : container->colonies) {
            if (colony->row.ColonyID == colonyId) {
                m_view->setObjectsVisible(colony->objectName, true, true);
                return 0;
            }
        }
    }
    return ErrorColonyNotFound;
}

// ---- Colony editor ---------------------------------------------------------------------------------

Errors::Type_Error ColonyAnalyserGui::UserEditColonies(Automation_Call* call)
{
    if (const Errors::Type_Error code = refusal(); code != 0)
        return code;
    // The editor stays open while events flow: nothing may change the rack until its edit is
    // applied.
    const HeldWork work = holdWork(WorkEditing);
    auto* dialog = new ColonyEditorGui(m_colonySettings, ColonyEditApply::editRack(m_rack), this, true);
    const QPointer<ColonyEditorGui> editor(dialog);
    const auto apply = [this, editor, work](int result) -> int {
        if (result != QDialog::Accepted || !editor)
            return 0;
        return ColonyEditApply::apply(*this, editor->editRack());
    };
    if (m_editorRunner) {
        const std::unique_ptr<ColonyEditorGui> owned(dialog);
        return Errors::Type_Error(apply(m_editorRunner(*dialog)));
    }
    return Errors::Type_Error(MessageBox_Helper::open(call, dialog, apply));
}

// ---- Saving and export ---------------------------------------------------------------------------

QString ColonyAnalyserGui::rackPictureFileName(Database::ID rackId)
{
    return ResultPictureNames::fileName(ResultPictureNames::Rack, rackId);
}

QString ColonyAnalyserGui::rackPicturePath(const QString& pictureFolder, Database::ID rackId)
{
    return ResultPictureNames::path(pictureFolder, ResultPictureNames::Rack, rackId);
}

Errors::Type_Error ColonyAnalyserGui::SaveResult(bool asynchronPictureSave, const QString& rackBarcode,
                                                 const QString& description, int imageStitcherID, int& rackID,
                                                 Errors::Type_Error* pruneError, Automation_Call* call)
{
    rackID = -1;
    if (pruneError)
        *pruneError = 0;
    return whenFreeThen(call, [=, this, &rackID] {
        const HeldWork work = holdWork(WorkSaving);
        // The work is held until the rack is stored: nothing may change it after the wait.
        const auto save = [this, work, asynchronPictureSave, rackBarcode, description, imageStitcherID, pruneError,
                           &rackID](Errors::Type_Error code, Errors::Type_Error workerError) -> int {
            if (code != 0)
                return code;
            fillRackRow(rackBarcode, description, imageStitcherID, workerError);
            const QString folder = m_appSettings ? m_appSettings->database.PicturePath : QString();
            Halcon_AsynchronImageSave* saver = asynchronPictureSave ? m_imageSaver : nullptr;
            if (const Errors::Type_Error saved = ColonyResultSave::save(m_rack, m_database, saver, folder); saved != 0)
                return saved;
            rackID = m_rack.row.RackID;

            // The rack is stored: pruning old racks is a separate matter and never fails the save.
            m_lastPruneError = pruneOldRacks();
            if (pruneError)
                *pruneError = m_lastPruneError;
            return 0;
        };
        return whenIdleThen(call, save);
    });
}

void ColonyAnalyserGui::fillRackRow(const QString& rackBarcode, const QString& description, int imageStitcherID,
                                    Errors::Type_Error workerError)
{
    DatabaseTableZelvorinRack::Dataset& row = m_rack.row;
    if (m_appSettings)
        row.XMLSettings = m_appSettings->toXmlString();
    ColonySettings used;
    used.data() = m_worker->settings();
    row.XMLColonySettings = used.toXmlString();
    row.ReferencePointsCorrection = m_rack.correction.toText();
    row.RackBarcode = rackBarcode;
    row.ErrorCode = workerError;
    row.Description = description;
    row.PictureFilePath.clear();
    row.ImageStitcherID = imageStitcherID;
}

Errors::Type_Error ColonyAnalyserGui::pruneOldRacks()
{
    if (!m_appSettings)
        return 0;
    if (m_pruneFunction)
        return m_pruneFunction(m_appSettings->database);
    if (m_database && m_database->tableAll())
        return m_database->tableAll()->DeleteOldRacksBySettings(m_appSettings->database, true);
    return 0;
}

Errors::Type_Error ColonyAnalyserGui::SaveResult_CheckAsynchronSaveFinish(bool& finish)
{
    finish = false;
    return m_imageSaver->isIdle(finish);
}

Errors::Type_Error ColonyAnalyserGui::ExportRackPicture(int rackID, bool asynchronPictureSave,
                                                        const QString& picturePath, const QString& pictureFormat,
                                                        bool pictureCropped, int pictureSizePercent,
                                                        bool analyserDrawings, Automation_Call* call)
{
    const bool shownRack = rackID == -1 || rackID == m_rack.row.RackID;
    if (analyserDrawings && !shownRack)
        return ErrorRackNotShown;
    if (const Errors::Type_Error code = ColonyAnalyserExport::checkPictureTarget(picturePath, pictureFormat);
        code != 0)
        return code;

    // Only what the page and the database hold is read here; the stored picture is read with
    // the rest of the work.
    Halcon::Hobject picture;
    QString pictureFile;
    ColonySettingsData settings;
    if (!shownRack) {
        if (const Errors::Type_Error code =
                ColonyAnalyserExport::readStoredRack(m_database, rackID, pictureFile, settings);
            code != 0)
            return code;
    } else {
        if (analyserDrawings) {
            Halcon::Hobject plain;
            if (!m_view->dumpViewImage(plain, picture))
                return ErrorGeneral;
        } else {
            picture = m_rack.picture;
        }
        settings = currentSettings();
    }
    Halcon_AsynchronImageSave* saver = asynchronPictureSave ? m_imageSaver : nullptr;
    const auto write = [=]() -> int {
        Halcon::Hobject source = picture;
        if (!pictureFile.isEmpty())
            if (const Errors::Type_Error code = Halcon_Helper::LoadImageFile(pictureFile, source); code != 0)
                return code;
        return ColonyAnalyserExport::rackPicture(source, settings, pictureCropped, pictureSizePercent, saver,
                                                 picturePath, pictureFormat);
    };
    // Scaling and writing a large picture takes seconds: for a client it runs on another thread.
    return Errors::Type_Error(Automation_Call::runForCall(call, write));
}

Errors::Type_Error ColonyAnalyserGui::ExportColonyResultsCurrentRack(const QString& fileName, const QString& options)
{
    return ExportColonyResults(m_rack.row.RackID, fileName, options);
}

Errors::Type_Error ColonyAnalyserGui::ExportColonyResults(Database::ID rackId, const QString& fileName,
                                                          const QString& options)
{
    if (const Errors::Type_Error code = ExportTarget_Guard::check(fileName); code != 0)
        return code;
    // The held result is incomplete while a run reports into it.
    if (m_exclusiveWork != WorkNone || isBusy())
        return ErrorBusy;
    if (rackId == m_rack.row.RackID)
        return ColonyAnalyserExport::colonyResults(m_rack, fileName, options);
    return ColonyAnalyserExport::colonyResults(m_database, rackId, fileName, options);
}

// ---- Emitters (worker thread) ------------------------------------------------------------------------

void ColonyAnalyserGui::emitStateSetText(const QString& text)
{
    emit signal_StateSetText(text);
}

void ColonyAnalyserGui::emitAnalyserStarted()
{
    emit signal_AnalyserStarted();
}

void ColonyAnalyserGui::emitAnalyserStopped()
{
    emit signal_AnalyserStopped();
}

void ColonyAnalyserGui::emitRackReset(const Halcon::Hobject& picture)
{
    m_pendingUpdates.release(1);
    emit signal_rack_reset(picture);
}

void ColonyAnalyserGui::emitContainerListReset()
{
    m_pendingUpdates.release(1);
    emit signal_containerlist_reset();
}

void ColonyAnalyserGui::emitRackAdd(const Halcon::Hobject& picture, const QDateTime& created, const QString& description)
{
    m_pendingUpdates.release(1);
    emit signal_rack_add(picture, created, description);
}

void ColonyAnalyserGui::emitContainerListAdd(const QString& layerName, int containerNumber, const QString& positionText,
                                             const QString& description, int containerIndex,
                                             const Halcon::Hobject& searchArea)
{
    m_pendingUpdates.release(1);
    emit signal_containerlist_add(layerName, containerNumber, positionText, description, containerIndex, searchArea);
}

void ColonyAnalyserGui::emitImageRefPointsAdd(const QString& text, const ImageRefPoint& point)
{
    m_pendingUpdates.release(1);
    emit signal_ImageRefPointsAdd(text, point);
}

void ColonyAnalyserGui::emitImageRefPointsClear()
{
    emit signal_ImageRefPointsClear();
}

void ColonyAnalyserGui::emitImageRefPointsAddMetrics(const ImageRefPointsMetrics& metrics)
{
    emit signal_ImageRefPointsAddMetrics(metrics);
}

void ColonyAnalyserGui::emitColonyAdd(const ImageColony& colony)
{
    m_pendingUpdates.release(1);
    emit signal_ColonyAdd(colony);
}

bool ColonyAnalyserGui::checkHalconError(int halconResult)
{
    if (halconResult == Halcon::kSuccess)
        return false;
    HalconRecordError(halconResult);
    return true;
}

// ---- Report slots (GUI thread) -----------------------------------------------------------------------

void ColonyAnalyserGui::slot_AnalyserStarted()
{
    m_runState->started();
    m_runningDisplayed = true;
    m_tables->setColonySortingEnabled(false);
    m_tables->clearColonyCounts();
}

void ColonyAnalyserGui::slot_AnalyserStopped()
{
    m_runState->stopped();
    m_columns.applyVisibility(m_colonySettings ? m_colonySettings->ColorModel : int(m_rack.row.ColorModel),
                              m_ui->m_ColoniesTable, m_ui->m_RejectedColoniesTable);
    showColonyCounts();
    m_runningDisplayed = false;
    m_tables->setColonySortingEnabled(true);
    // Filled and sorted (the sort mark takes room in every header): values such as 188.123 mm
    // and the two-line headers are shown whole.
    m_tables->fitColumns();
}

void ColonyAnalyserGui::showColonyCounts()
{
    m_tables->showColonyCounts();
}

void ColonyAnalyserGui::slot_StateSetText(QString stateText)
{
    m_ui->m_QLabel_State->setText(stateText);
}

void ColonyAnalyserGui::slot_rack_reset(Halcon::Hobject hobjectPicture)
{
    m_rack.reset(hobjectPicture, m_worker->settings(), m_cameraSettingsText ? m_cameraSettingsText() : QString());
    m_tables->clearAll();
    m_pendingUpdates.acquire(1);
}

void ColonyAnalyserGui::slot_containerlist_reset()
{
    m_tables->clearColonyTables();
    m_rack.containers.clear();
    m_pendingUpdates.acquire(1);
}

void ColonyAnalyserGui::slot_rack_add(Halcon::Hobject hobjPicture, QDateTime createdDate, QString description)
{
    m_rack.picture = hobjPicture;
    m_rack.row.CreatedDate = createdDate;
    m_rack.row.Description = description;
    m_rack.row.ColorModel = qint16(m_worker->settings().ColorModel);
    m_rack.correction = CorrectionInfo::current();
    m_pendingUpdates.acquire(1);
}

void ColonyAnalyserGui::slot_containerlist_add(QString halconObjectName, int positionNumber, QString positionText,
                                               QString description, int containerIndex,
                                               Halcon::Hobject hobjXldSearchArea)
{
    ContainerEntry& container = m_rack.addContainer(halconObjectName, positionNumber, positionText, description,
                                                    containerIndex, hobjXldSearchArea);
    m_tables->addContainerRows(container, positionNumber, positionText, m_rack.rankOf(containerIndex));
    m_pendingUpdates.acquire(1);
}

DatabaseTableZelvorinColony::Dataset ColonyAnalyserGui::colonyRowFromImageColony(const ImageColony& colony)
{
    return ColonyEntry::rowFromReport(colony);
}

void ColonyAnalyserGui::slot_ColonyAdd(ImageColony item)
{
    if (!m_rack.containers.empty()) {
        ContainerEntry& container = *m_rack.containers.back();
        ++container.colonyCount;
        auto entry = std::make_unique<ColonyEntry>();
        entry->item = ColonyResultTables::addColonyRow(container, item.IsGoodColony);
        entry->takeReport(item);
        container.colonies.push_back(std::move(entry));
        UpdateTreeItemText(int(m_rack.containers.size()) - 1, int(container.colonies.size()) - 1);
    }
    m_pendingUpdates.acquire(1);
}

void ColonyAnalyserGui::UpdateTreeItemText(int iContainer, int iColony)
{
    if (iContainer < 0 || size_t(iContainer) >= m_rack.containers.size())
        return;
    const ContainerEntry& container = *m_rack.containers[size_t(iContainer)];
    if (iColony < 0 || size_t(iColony) >= container.colonies.size())
        return;
    ColonyResultTables::writeColonyRow(*container.colonies[size_t(iColony)], m_rack.row.ColorModel,
                                       m_colonySettings ? m_colonySettings->Colony : m_worker->settings().Colony);
}

void ColonyAnalyserGui::slot_ImageRefPointsAdd(QString text, ImageRefPoint item)
{
    m_tables->addReferencePoint(text, item, *m_halconView);
    // A point that was not found has no position worth keeping: the stored ones stay.
    if (item.Found)
        m_rack.setReferencePosition(item.Index, item.PosX_px, item.PosY_px);
    m_pendingUpdates.acquire(1);
}

void ColonyAnalyserGui::slot_ImageRefPointsClear()
{
    m_ui->m_ReferencePointsPositions->clear();
}

void ColonyAnalyserGui::slot_ImageRefPointsAddMetrics(ImageRefPointsMetrics item)
{
    m_tables->showMetrics(item);
}

// ---- User slots -------------------------------------------------------------------------------------

void ColonyAnalyserGui::slot_QPushButton_StartStop_clicked()
{
    bool busy = false;
    m_worker->CheckRunning(busy);
    if (busy)
        Stop();
    else
        Reanalyse();
}

void ColonyAnalyserGui::slot_AppSettings_changed()
{
    Reanalyse();
}

void ColonyAnalyserGui::slot_ColonySettings_changed()
{
    Reanalyse();
}

bool ColonyAnalyserGui::findColonyByItem(const QTreeWidgetItem* item, int& iContainer, int& iColony) const
{
    return m_rack.findColonyByItem(item, iContainer, iColony);
}

void ColonyAnalyserGui::findColonyAt(double x, double y, int& iContainer, int& iColony) const
{
    m_rack.findColonyAt(x, y, iContainer, iColony);
}

void ColonyAnalyserGui::slot_ColoniesTable_itemDoubleClicked(QTreeWidgetItem* item, int)
{
    m_picking->centerOn(item);
}

void ColonyAnalyserGui::slot_Action_ResizeColumns()
{
    if (auto* tree = qobject_cast<QTreeWidget*>(QApplication::focusWidget()))
        ResizeTreeWidgetColumnsToContents(tree);
}

void ColonyAnalyserGui::slot_Action_ShowInHalconView()
{
    auto* tree = qobject_cast<QTreeWidget*>(QApplication::focusWidget());
    if (m_picking->isColonyTable(tree))
        m_picking->centerOn(tree->currentItem());
}

void ColonyAnalyserGui::slot_ColoniesTable_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem*)
{
    m_picking->rowChanged(current);
}

void ColonyAnalyserGui::slot_HalconMousePressEvent(double x, double y)
{
    if (m_colourSelection.isActive())
        ColonyColourSelection::toggleAt(m_rack, *m_view, x, y);
    else
        m_picking->pressed(x, y);
}

void ColonyAnalyserGui::slot_HalconMouseMoveEvent(double, double) {}

void ColonyAnalyserGui::slot_HalconMouseReleaseEvent(double, double) {}

void ColonyAnalyserGui::slot_HalconObjectSelected(const QString& objectName)
{
    if (m_colourSelection.isActive())
        m_colourSelection.objectSelected(m_rack, *m_view, objectName);
    else
        m_picking->objectSelected(objectName);
}

void ColonyAnalyserGui::applyColourSelection()
{
    if (m_colonySettings)
        m_colourSelection.apply(*m_colonySettings, this);
}

void ColonyAnalyserGui::slot_ColonySettings_custom(ColonySettings::Enum_CustomSignal number, const QVariant& data)
{
    switch (number) {
    case ColonySettings::CustomSignal_RequestRectangle:
        Stop();
        break;
    case ColonySettings::CustomSignal_ColorSelectionEnabled:
        if (data.toInt() == 0) {
            m_colourSelection.leave(*m_view);
        } else if (data.toInt() == 1) {
            Stop();
            m_ui->m_ColoniesTable->clearSelection();
            m_ui->m_RejectedColoniesTable->clearSelection();
            m_colourSelection.enter(*m_view);
        }
        break;
    case ColonySettings::CustomSignal_ColorSelectionConfirmed:
        m_view->clearSelection(kColoniesPrefix, true);
        applyColourSelection();
        if (m_colonySettings)
            m_colonySettings->emitCustom(ColonySettings::CustomSignal_ColorSelectionEnabled, QVariant(0));
        Reanalyse();
        break;
    case ColonySettings::CustomSignal_PageEntered: {
        const int page = data.toInt();
        QTabWidget* tab = m_ui->m_AnalysisReportTab;
        if (m_lastEditorPage == 1 && tab->currentIndex() == 0)
            tab->setCurrentIndex(1);
        if (page == 1 && tab->currentIndex() != 0)
            tab->setCurrentIndex(0);
        m_lastEditorPage = page;
        m_highlight.pageEntered(*m_view, page);
        break;
    }
    default:
        break;
    }
}

void ColonyAnalyserGui::slot_GetRefPointOffset(double& x1Pct, double& y1Pct, double& x2Pct, double& y2Pct,
                                               double& x3Pct, double& y3Pct)
{
    const DatabaseTableZelvorinRack::Dataset& r = m_rack.row;
    m_view->convertPixelToPercent(r.ReferenzPos1X, r.ReferenzPos1Y, x1Pct, y1Pct);
    m_view->convertPixelToPercent(r.ReferenzPos2X, r.ReferenzPos2Y, x2Pct, y2Pct);
    m_view->convertPixelToPercent(r.ReferenzPos3X, r.ReferenzPos3Y, x3Pct, y3Pct);
}
