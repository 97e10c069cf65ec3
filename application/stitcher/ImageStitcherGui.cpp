#include "ImageStitcherGui.h"

#include "ui_ImageStitcherGui.h"

#include "ImageStitcherSettings.h"
#include "StitcherResultSave.h"

#include <AppSettings.h>
#include <Automation_Call.h>
#include <Camera.h>
#include <Gui_Helper.h>
#include <HalconViewImpl.h>
#include <Halcon_AsynchronImageSave.h>
#include <Halcon_Helper.h>
#include <Hobject_View_Gui.h>
#include <Hobject_View_MouseDraw_Rectangle_Area.h>
#include <MessageBox_Helper.h>
#include <NumericSortTreeWidgetItem.h>
#include <QuendralLibrary.h>
#include <RunStateDisplay.h>

#include <QDateTime>

#include <atomic>

namespace {

// Column widths follow the contents of the first finished run only, then stay as the
// operator leaves them.
std::atomic<bool> g_columnsFitted{false};

} // namespace

ImageStitcherGui::ImageStitcherGui(ApplicationDatabase* database, AppSettings* appSettings,
                                   Camera_Settings* cameraSettings, ImageStitcherSettings* settings,
                                   ModelMatching* crossModel, Hobject_View_Gui* resultView, Camera* camera,
                                   QWidget* parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::ImageStitcherGui>())
    , m_database(database)
    , m_appSettings(appSettings)
    , m_cameraSettings(cameraSettings)
    , m_camera(camera)
    , m_settings(settings)
    , m_crossModel(crossModel)
    , m_resultView(resultView)
{
    m_ui->setupUi(this);
    for (int i = 0; i < PositionsCount; ++i)
        m_pictures.append(Halcon::Hobject());

    qRegisterMetaType<Halcon::Hobject>("Halcon::Hobject");
    PictureCross::registerMetaType();

    if (QLayout* layout = m_ui->m_QWidget_Info->layout())
        layout->setContentsMargins(0, 0, 0, 0);
    m_runState = std::make_unique<RunStateDisplay>(m_ui->m_QPushButton_StartStop, m_ui->m_QLabel_Duration,
                                                   m_ui->m_QLabel_RunningState, "ImageStitcherGui");
    m_ui->m_ReferencePointsTable->sortByColumn(0, Qt::AscendingOrder);

    m_imageSaver = new Halcon_AsynchronImageSave(QThread::NormalPriority, this);

    m_crossModelView = createView(m_ui->m_QFrame_CrossModel, QStringLiteral("Cross Model"));
    QWidget* const frames[] = {m_ui->m_QFrame_Picture1, m_ui->m_QFrame_Picture2, m_ui->m_QFrame_Picture3,
                               m_ui->m_QFrame_Picture4, m_ui->m_QFrame_Picture5, m_ui->m_QFrame_Picture6};
    for (int i = 0; i < PositionsCount; ++i) {
        Hobject_View_Gui* view = createView(frames[i], QStringLiteral("Image Stitcher %1").arg(i + 1));
        m_pictureViews.append(view);
        m_halconViews.append(new HalconViewImpl(view));
    }

    m_worker = new ImageStitcherThread(this, appSettingsData(), settingsData(), m_crossModel, this);

    if (QuendralLibrary::IsAutomationServer())
        m_ui->m_QPushButton_StartStop->hide();

    connect(m_ui->m_QPushButton_StartStop, &QPushButton::clicked, this,
            &ImageStitcherGui::slot_QPushButton_StartStop_clicked);
    if (m_appSettings)
        connect(m_appSettings, SIGNAL(signal_changed()), this, SLOT(slot_AppSettings_changed()));
    if (m_settings) {
        connect(m_settings, &ImageStitcherSettings::signal_changed, this,
                &ImageStitcherGui::slot_ImageStitcherSettings_changed);
        connect(m_settings, &ImageStitcherSettings::signal_custom, this,
                &ImageStitcherGui::slot_ImageStitcherSettings_custom);
    }
    // Queued even when emitted on the GUI thread: reports are applied in the order sent.
    connect(this, &ImageStitcherGui::signal_AnalyserStarted, this, &ImageStitcherGui::slot_AnalyserStarted,
            Qt::QueuedConnection);
    connect(this, &ImageStitcherGui::signal_AnalyserStopped, this, &ImageStitcherGui::slot_AnalyserStopped,
            Qt::QueuedConnection);
    connect(this, &ImageStitcherGui::signal_StateSetText, this, &ImageStitcherGui::slot_StateSetText,
            Qt::QueuedConnection);
    connect(this, &ImageStitcherGui::signal_ImageStitcher_Reset, this, &ImageStitcherGui::slot_ImageStitcher_Reset,
            Qt::QueuedConnection);
    connect(this, &ImageStitcherGui::signal_ImageStitcher_AddStitchedPicture, this,
            &ImageStitcherGui::slot_ImageStitcher_AddStitchedPicture, Qt::QueuedConnection);
    connect(this, &ImageStitcherGui::signal_ImageStitcher_AddPictureCrosses, this,
            &ImageStitcherGui::slot_ImageStitcher_AddPictureCrosses, Qt::QueuedConnection);
    connect(this, &ImageStitcherGui::signal_ImageStitcher_AddOpticalAxis, this,
            &ImageStitcherGui::slot_ImageStitcher_AddOpticalAxis, Qt::QueuedConnection);
    connect(m_ui->m_TabWidgetPictures, &QTabWidget::currentChanged, this,
            &ImageStitcherGui::slot_TabWidgetPictures_currentChanged);
    if (m_crossModel) {
        connect(m_crossModel, &ModelMatching::signal_UseCurrentPicture, this,
                &ImageStitcherGui::slot_CrossModel_UseCurrentPicture);
        connect(m_crossModel, &ModelMatching::signal_ModeChanged, this, &ImageStitcherGui::slot_CrossModel_ModeChanged);
        connect(m_crossModel, &ModelMatching::signal_LoadFromFile, this,
                &ImageStitcherGui::slot_CrossModel_LoadFromFile);
    }

    const QStringList headers = {tr("Picture"), tr("RefPoint"), tr("Score"), tr("Angle [deg]"),
                                 tr("Scale"),   tr("X [px]"),   tr("Y [px]"), tr("Staus")};
    m_ui->m_ReferencePointsTable->setHeaderLabels(headers);

    Gui_Helper::setObjectName(this, QString());
    if (parent && !parent->layout())
        Gui_Helper::fillParentWidget(this, false, true);
    Gui_Helper::applyWidgetStyles(this, true, true, true);
    // The pictures have two thirds of the page until the operator moves the splitter.
    Gui_Helper::setSplitterWeights(m_ui->splitter, {2, 1});
    Gui_Helper::restoreWindowLayout(this, QString());
}

ImageStitcherGui::~ImageStitcherGui()
{
    Gui_Helper::saveWindowLayout(this, QString());
    // The worker first: it draws on the viewers and reports to this page.
    endWorker();
    m_runState.reset();
    delete m_imageSaver;
    m_imageSaver = nullptr;
    qDeleteAll(m_halconViews);
    m_halconViews.clear();
    delete m_crossModelView;
    m_crossModelView = nullptr;
    qDeleteAll(m_pictureViews);
    m_pictureViews.clear();
}

Hobject_View_Gui* ImageStitcherGui::createView(QWidget* frame, const QString& name)
{
    auto* view = new Hobject_View_Gui(frame, name);
    Gui_Helper::fillParentWidget(view, false, true);
    view->setSelectionStyle(QStringLiteral("yellow"), 4, true);
    view->addPictureGroup(tr("Normal"), QStringLiteral("HalconPicture_Stitcher_Normal."), true);
    view->addPictureGroup(tr("Filtered"), QStringLiteral("HalconPicture_Stitcher_Filtered."), true);
    view->addPictureSelector(tr("Normal"), QStringLiteral("HalconPicture_Stitcher_Normal."), tr("Normal"), true, true);
    view->addPictureSelector(tr("Preprocessed"), QStringLiteral("HalconPicture_Stitcher_Filtered."), tr("Filtered"),
                             true, false);
    view->addObjectGroup(tr("Cross"), QStringLiteral("HalconObject_Stitcher_Cross."), true);
    view->addObjectSelector(tr("Cross"), QStringLiteral("HalconObject_Stitcher_Cross."), tr("Stitcher Cross"), true,
                            true);
    view->addObjectGroup(tr("Filtered"), QStringLiteral("HalconObject_Stitcher_Filtered."), false);
    view->addSelectorEntry(tr("Filtered"), QStringLiteral("HalconPicture_Stitcher_Filtered."),
                           QStringLiteral("HalconObject_Stitcher_Filtered."), false, true);
    connect(view, qOverload<QString>(&Hobject_View_Gui::signal_HalconObjectSelected), this,
            &ImageStitcherGui::slot_HalconObjectSelected);
    return view;
}

QList<IHalconView*> ImageStitcherGui::getHalconViews() const
{
    return m_halconViews;
}

ImageStitcherThread::AppSettingsData ImageStitcherGui::appSettingsData() const
{
    return WorkerAppSettings::of(m_appSettings);
}

ImageStitcherSettingsData ImageStitcherGui::settingsData() const
{
    if (!m_settings)
        return ImageStitcherSettingsData();
    if (!m_crossModel)
        return m_settings->data();
    // The cross model's part is written under the facade's lock by its editors.
    const auto lock = m_crossModel->LockSettings();
    return m_settings->data();
}

// ---- Bridges for the worker ---------------------------------------------------------------------

void ImageStitcherGui::emitAnalyserStarted()
{
    QMutexLocker handOver(&m_reportHandOver);
    emit signal_AnalyserStarted();
}

void ImageStitcherGui::emitAnalyserStopped()
{
    QMutexLocker handOver(&m_reportHandOver);
    emit signal_AnalyserStopped();
}

void ImageStitcherGui::emitStateSetText(const QString& text)
{
    QMutexLocker handOver(&m_reportHandOver);
    emit signal_StateSetText(text);
}

void ImageStitcherGui::emitReset()
{
    QMutexLocker handOver(&m_reportHandOver);
    m_pendingUpdates.release(1);
    emit signal_ImageStitcher_Reset();
}

void ImageStitcherGui::emitAddStitchedPicture(const Halcon::Hobject& picture)
{
    QMutexLocker handOver(&m_reportHandOver);
    m_pendingUpdates.release(1);
    emit signal_ImageStitcher_AddStitchedPicture(picture);
}

void ImageStitcherGui::emitAddPictureCrosses(int pictureIndex, const Halcon::Hobject& picture,
                                             const PictureCross& cross1, const PictureCross& cross2)
{
    QMutexLocker handOver(&m_reportHandOver);
    m_pendingUpdates.release(1);
    emit signal_ImageStitcher_AddPictureCrosses(pictureIndex, picture, cross1, cross2);
}

void ImageStitcherGui::emitAddOpticalAxis(int pictureIndex, double rowOpticalAxis, double colOpticalAxis)
{
    QMutexLocker handOver(&m_reportHandOver);
    m_pendingUpdates.release(1);
    emit signal_ImageStitcher_AddOpticalAxis(pictureIndex, rowOpticalAxis, colOpticalAxis);
}

void ImageStitcherGui::clearAllViews(bool update)
{
    for (Hobject_View_Gui* view : m_pictureViews)
        view->clear(update);
    m_crossModelView->clear(update);
}

void ImageStitcherGui::updateAllViews(bool onlyIfChanged)
{
    for (Hobject_View_Gui* view : m_pictureViews)
        view->updateView(onlyIfChanged);
    m_crossModelView->updateView(onlyIfChanged);
}

void ImageStitcherGui::removePicturesFromAllViews(const QString& prefix, bool update)
{
    for (Hobject_View_Gui* view : m_pictureViews)
        view->removePictures(prefix, update);
    m_crossModelView->removePictures(prefix, update);
}

void ImageStitcherGui::removeObjectsFromAllViews(const QString& prefix, bool update)
{
    for (Hobject_View_Gui* view : m_pictureViews)
        view->removeObjects(prefix, update);
    m_crossModelView->removeObjects(prefix, update);
}

// ---- Operations of the shell ----------------------------------------------------------------------

Errors::Type_Error ImageStitcherGui::reportFailure(Errors::Type_Error code)
{
    if (code != 0)
        m_ui->m_QLabel_State->setText(tr("Operation failed: %1").arg(Errors::getErrorText(code)));
    return code;
}

Errors::Type_Error ImageStitcherGui::markRunningWhenAccepted(Errors::Type_Error code)
{
    // An accepted run ends with exactly one queued stop report; counting them keeps the page
    // busy even when the worker ends before its start report is shown.
    if (code == 0) {
        ++m_runsAwaitingStop;
        m_running = true;
    }
    return code;
}

Errors::Type_Error ImageStitcherGui::startWorker(const QList<Halcon::Hobject>& pictures)
{
    if (!m_worker)
        return ImageStitcherThread::ErrorGeneral;
    return markRunningWhenAccepted(m_worker->Start(appSettingsData(), settingsData(), pictures));
}

void ImageStitcherGui::endWorker()
{
    delete m_worker;
    m_worker = nullptr;
}

Errors::Type_Error ImageStitcherGui::Start(const QList<Halcon::Hobject>& pictures)
{
    Hobject_View_MouseDraw_Rectangle_cancelAll();
    if (pictures.size() != PositionsCount)
        return ErrorPictureCount;
    for (const Halcon::Hobject& picture : pictures)
        if (Halcon_Helper::CheckImage(picture) != 0)
            return ErrorPictureCount;
    m_pictures = pictures;
    return reportFailure(startWorker(m_pictures));
}

Errors::Type_Error ImageStitcherGui::SetCurrentTabPicture(const Halcon::Hobject& picture)
{
    Hobject_View_MouseDraw_Rectangle_cancelAll();
    if (const Errors::Type_Error code = Halcon_Helper::CheckImage(picture); code != 0)
        return reportFailure(code);
    const int tab = m_ui->m_TabWidgetPictures->currentIndex();
    if (tab == 0) {
        if (!m_crossModel)
            return reportFailure(ErrorNoImage);
        if (const Errors::Type_Error code = m_crossModel->SetModelPicture(picture); code != 0)
            return reportFailure(code);
    } else if (tab >= 1 && tab <= PositionsCount) {
        m_pictures[tab - 1] = picture;
    }
    return reportFailure(startWorker(m_pictures));
}

Errors::Type_Error ImageStitcherGui::Stop(Automation_Call* call)
{
    const Errors::Type_Error code = m_worker ? m_worker->Stop(call) : Errors::Type_Error(0);
    return Errors::Type_Error(
        Automation_Call::then(call, code, [this](int code) { return reportFailure(Errors::Type_Error(code)); }));
}

Errors::Type_Error ImageStitcherGui::Reset(Automation_Call* call)
{
    Hobject_View_MouseDraw_Rectangle_cancelAll();
    if (!m_worker)
        return reportFailure(ImageStitcherThread::ErrorGeneral);
    return Errors::Type_Error(Automation_Call::then(call, m_worker->Reset(call), [this](int code) {
        if (code == 0)
            m_ui->m_QLabel_Duration->setText(QString());
        return reportFailure(Errors::Type_Error(code));
    }));
}

Errors::Type_Error ImageStitcherGui::CheckRunning(bool& running)
{
    running = false;
    if (!m_worker)
        return ImageStitcherThread::ErrorGeneral;
    if (const Errors::Type_Error code = m_worker->CheckRunning(running); code != 0)
        return code;
    if (m_running)
        running = true;
    if (m_pendingUpdates.available() > 0)
        running = true;
    return 0;
}

Errors::Type_Error ImageStitcherGui::SaveResult(bool asynchronPictureSave, const QString& rackBarcode,
                                                const QString& description, bool saveInputPictures,
                                                bool saveOutputPicture, Database::ID& o_stitcherID,
                                                Automation_Call* call)
{
    o_stitcherID = -1;
    bool running = false;
    const Errors::Type_Error runError = CheckRunning(running);
    if (runError == ErrorNoPictureData)
        return ErrorNoPictureData;
    if (running)
        return ErrorInProgress;
    // A result without a stitched picture and without any position is no result.
    if (Halcon_Helper::CheckImage(m_result.stitchedPicture()) != 0 && m_result.pictureSlots().isEmpty())
        return ErrorNoPictureData;

    StitcherResultSave::Options options;
    options.asynchronPictureSave = asynchronPictureSave;
    options.rackBarcode = rackBarcode;
    options.description = description;
    options.saveInputPictures = saveInputPictures;
    options.saveOutputPicture = saveOutputPicture;
    const auto saver = std::make_shared<StitcherResultSave>(
        m_database, m_imageSaver, m_appSettings ? m_appSettings->database.PicturePath : QString());
    if (!call)
        return saver->save(m_result, runError, options, o_stitcherID);

    // Encoding seven large pictures takes seconds: for a client they are written on another
    // thread, and the page may run and reset meanwhile. The save holds what it stores.
    if (const Errors::Type_Error code = saver->begin(m_result, runError, options); code != 0)
        return code;
    const quint64 generation = m_resultGeneration;
    return Errors::Type_Error(call->runElsewhere(
        [writer = saver->pictureWriter()]() mutable { return int(writer()); },
        [this, saver, generation, &o_stitcherID](int code) -> int {
            if (code != 0)
                return code;
            Database::ID stored = -1;
            if (const Errors::Type_Error finished = saver->finish(stored); finished != 0)
                return finished;
            if (generation == m_resultGeneration)
                saver->applyTo(m_result);
            o_stitcherID = stored;
            return 0;
        }));
}

Errors::Type_Error ImageStitcherGui::SaveResult_CheckAsynchronSaveFinish(bool& finished)
{
    finished = false;
    return m_imageSaver->isIdle(finished);
}

// ---- Reports of the worker --------------------------------------------------------------------

void ImageStitcherGui::takeHandOver()
{
    const QMutexLocker handOver(&m_reportHandOver);
}

void ImageStitcherGui::slot_AnalyserStarted()
{
    takeHandOver();
    m_runState->started();
    m_running = true;
    m_ui->m_ReferencePointsTable->setSortingEnabled(false);
}

void ImageStitcherGui::slot_AnalyserStopped()
{
    takeHandOver();
    m_runState->stopped();
    // The stop of an earlier run can arrive while the next one already works. The worker's own
    // state is not asked: it turns idle only after this report was sent, and a page that read it
    // too early would stay busy for good.
    if (m_runsAwaitingStop > 0)
        --m_runsAwaitingStop;
    m_running = m_runsAwaitingStop > 0;
    m_ui->m_ReferencePointsTable->setSortingEnabled(true);
    if (!g_columnsFitted.exchange(true))
        ResizeTreeWidgetColumnsToContents(m_ui->m_ReferencePointsTable);
}

void ImageStitcherGui::slot_StateSetText(const QString& text)
{
    takeHandOver();
    m_ui->m_QLabel_State->setText(text);
}

void ImageStitcherGui::slot_ImageStitcher_Reset()
{
    takeHandOver();
    m_result.reset(QDateTime::currentDateTime(), m_settings ? m_settings->toXmlString() : QString());
    ++m_resultGeneration;
    m_ui->m_ReferencePointsTable->clear();
    m_crossRows.clear();
    if (m_resultView)
        m_resultView->clear(true);
    m_pendingUpdates.acquire(1);
}

void ImageStitcherGui::slot_ImageStitcher_AddPictureCrosses(int pictureIndex, const Halcon::Hobject& hobjPicture,
                                                            const PictureCross& cross1, const PictureCross& cross2)
{
    takeHandOver();
    if (m_result.addPictureCrosses(pictureIndex, hobjPicture, cross1, cross2)) {
        setCrossRow(cross1);
        setCrossRow(cross2);
    }
    m_pendingUpdates.acquire(1);
}

void ImageStitcherGui::setCrossRow(const PictureCross& cross)
{
    if (cross.pointIndex < 0 || cross.pointIndex > 1)
        return;
    // Rows are kept by position, not by their place in the table, which sorting may change.
    const int row = 2 * cross.pictureIndex + cross.pointIndex;
    while (m_crossRows.size() <= row) {
        auto* item = new NumericSortTreeWidgetItem(m_ui->m_ReferencePointsTable);
        item->setExpanded(true);
        m_crossRows.append(item);
    }
    QTreeWidgetItem* item = m_crossRows.at(row);
    item->setText(0, QString::asprintf("%d", cross.pictureIndex + 1));
    item->setText(1, QString::asprintf("%d", cross.pointIndex + 1));
    item->setText(2, QString::asprintf("%.3f", cross.score));
    item->setText(3, QString::asprintf("%.3f", cross.angle));
    item->setText(4, QString::asprintf("%.3f", cross.scale));
    item->setText(5, QString::asprintf("%.1f", cross.colCenter));
    item->setText(6, QString::asprintf("%.1f", cross.rowCenter));
    item->setText(7, cross.errorCode == 0 ? QString() : Errors::getErrorText(cross.errorCode));
}

void ImageStitcherGui::slot_ImageStitcher_AddOpticalAxis(int pictureIndex, double rowOpticalAxis,
                                                         double colOpticalAxis)
{
    takeHandOver();
    m_result.addOpticalAxis(pictureIndex, rowOpticalAxis, colOpticalAxis);
    m_pendingUpdates.acquire(1);
}

void ImageStitcherGui::slot_ImageStitcher_AddStitchedPicture(const Halcon::Hobject& hobjPicture)
{
    takeHandOver();
    if (m_resultView)
        m_resultView->setPicture(hobjPicture, QString(), true);
    const Errors::Type_Error code = m_result.addStitchedPicture(hobjPicture, settingsData());
    if (code == 0 && m_camera)
        m_camera->SetPicture(hobjPicture);
    m_pendingUpdates.acquire(1);
    if (code != 0) {
        reportFailure(code);
        return;
    }
    if (m_settings)
        m_settings->emitCustom(ImageStitcherSettings::CustomSignal_StitchedPicture, QVariant());
}

// ---- Operator and settings -----------------------------------------------------------------------

void ImageStitcherGui::slot_QPushButton_StartStop_clicked()
{
    bool busy = false;
    if (m_worker)
        m_worker->CheckRunning(busy);
    if (busy)
        Stop();
    else
        slot_ImageStitcherSettings_changed();
}

void ImageStitcherGui::slot_AppSettings_changed()
{
    slot_ImageStitcherSettings_changed();
}

Errors::Type_Error ImageStitcherGui::slot_ImageStitcherSettings_changed()
{
    Hobject_View_MouseDraw_Rectangle_cancelAll();
    const Errors::Type_Error code = markRunningWhenAccepted(
        m_worker ? m_worker->StartWithSettings(appSettingsData(), settingsData()) : ImageStitcherThread::ErrorGeneral);
    if (code != 0)
        m_ui->m_QLabel_State->setText(tr("Failed to stitch images: %1").arg(Errors::getErrorText(code)));
    return code;
}

void ImageStitcherGui::slot_ImageStitcherSettings_custom(int id, const QVariant& data)
{
    if (id == ImageStitcherSettings::CustomSignal_AbortStitching) {
        Stop();
        return;
    }
    if (id != ImageStitcherSettings::CustomSignal_PositionSelected)
        return;
    bool ok = false;
    const int position = data.toInt(&ok);
    if (ok && position >= 0 && position < PositionsCount)
        m_ui->m_TabWidgetPictures->setCurrentIndex(position + 1);
}

void ImageStitcherGui::slot_HalconObjectSelected(QString)
{
}

void ImageStitcherGui::slot_TabWidgetPictures_currentChanged(int index)
{
    if (m_settings && index >= 1 && index <= PositionsCount)
        m_settings->emitCustom(ImageStitcherSettings::CustomSignal_PositionSelected, index - 1);
}

// ---- Cross model ---------------------------------------------------------------------------------

void ImageStitcherGui::crossModelBox(const QString& text)
{
    MessageBox_Helper::critical(this, tr("Model matching"), text);
}

void ImageStitcherGui::slot_CrossModel_UseCurrentPicture()
{
    if (const Errors::Type_Error code = Stop(); code != 0) {
        crossModelBox(tr("Cannot set the current picture for the model!\n\nError: %1!").arg(Errors::getErrorText(code)));
        return;
    }
    const int tab = m_ui->m_TabWidgetPictures->currentIndex();
    if (tab == 0) {
        crossModelBox(tr("Cross Model already contains current picture."));
        return;
    }
    if (tab < 1 || tab > m_pictures.size()) {
        crossModelBox(tr("Current Picture is not available."));
        return;
    }
    const Halcon::Hobject picture = m_pictures.at(tab - 1);
    if (!m_crossModel || Halcon_Helper::CheckImage(picture) != 0) {
        crossModelBox(tr("Current picture is not valid!"));
        return;
    }
    m_crossModel->SetModelPicture(picture);
    m_crossModel->SetModelPictureMode(ModelMatching::Mode_DefineModel);
    m_ui->m_TabWidgetPictures->setCurrentIndex(0);
}

void ImageStitcherGui::slot_CrossModel_ModeChanged(ModelMatching::Enum_Mode mode)
{
    if (const Errors::Type_Error code = Stop(); code != 0) {
        crossModelBox(tr("Failed to stop analyser!\n\nError: %1.").arg(Errors::getErrorText(code)));
        return;
    }
    const Errors::Type_Error code = slot_ImageStitcherSettings_changed();
    if (mode == ModelMatching::Mode_DefineModel) {
        if (code == 0)
            m_ui->m_TabWidgetPictures->setCurrentIndex(0);
        else
            crossModelBox(tr("Cannot start the analysing!\n\nError: %1!").arg(Errors::getErrorText(code)));
    } else if (code != 0) {
        crossModelBox(tr("Cannot restart the analysing!\n\nError: %1!").arg(Errors::getErrorText(code)));
    }
}

void ImageStitcherGui::slot_CrossModel_LoadFromFile()
{
    if (!m_crossModel)
        return;
    if (const Errors::Type_Error code = m_crossModel->SetModelPictureMode(ModelMatching::Mode_DefineModel); code != 0)
        crossModelBox(tr("%1!").arg(Errors::getErrorText(code)));
}
