#include "ImageStitcherThread.h"

#include "Automation_Call.h"
#include "IImageStitcherPage.h"
#include "PictureCrossSearch.h"
#include "PictureStitching.h"

#include <Halcon_Helper.h>
#include <Hobject_View_Gui.h>
#include <LabwareGrid.h>
#include <ModelMatching.h>
#include <ModelMatching_Analyse_CreateModel.h>
#include <ModelMatching_Analyse_SearchModel.h>
#include <ModelMatching_ModelPicture.h>
#include <PictureUnitConverter.h>

#include <Halcon.h>

#include <QCoreApplication>

#include <mutex>

namespace {

const QString kWorkerName = QStringLiteral("modelmatching.referenceposition");
const QString kPictureNormal = QStringLiteral("HalconPicture_Stitcher_Normal.");
const QString kPictureFiltered = QStringLiteral("HalconPicture_Stitcher_Filtered.");
const QString kBackground = QStringLiteral(".Background");
const QString kObjectCross = QStringLiteral("HalconObject_Stitcher_Cross.");
const QString kObjectFiltered = QStringLiteral("HalconObject_Stitcher_Filtered.");
const QString kModelPrefix = kObjectCross + QStringLiteral("Model.");
const QString kSearchAreaPrefix = kObjectCross + QStringLiteral("SearchArea.");

// Shows picture as both background layers of the viewer.
void setBackground(Hobject_View_Gui* view, const Halcon::Hobject& picture)
{
    view->setPicture(picture, kPictureNormal + kBackground, false);
    view->setPicture(picture, kPictureFiltered + kBackground, false);
}

} // namespace

ImageStitcherThread::ImageStitcherThread(IImageStitcherPage* page, const AppSettingsData& appSettings,
                                         const ImageStitcherSettingsData& settings, ModelMatching* crossModel,
                                         QObject* parent)
    : StepWorker_Thread(StateFinish, parent)
    , m_page(page)
    , m_crossModel(crossModel)
    , m_appSettings(appSettings)
    , m_settings(settings)
{
    Hobject_View_Gui* modelView = m_page->getHobjectView();
    m_createWorker = new ModelMatching_Analyse_CreateModel(m_crossModel, kWorkerName, modelView, this);
    m_searchWorker = new ModelMatching_Analyse_SearchModel(m_crossModel, kWorkerName, modelView, this);
    m_snapshotModel = std::make_unique<ModelMatching>(QStringLiteral("CrossModelSnapshot"), &m_snapshotSettings);
    m_snapshotSearch = std::make_unique<ModelMatching_Analyse_SearchModel>(m_snapshotModel.get(), kWorkerName, modelView);
    m_view = m_page->getPictureViews().value(0, nullptr);
    start(QThread::NormalPriority);
}

ImageStitcherThread::~ImageStitcherThread()
{
    endThread();
    delete m_createWorker;
    delete m_searchWorker;
}

// ---- Operations of the page (GUI thread) -----------------------------------------------------

void ImageStitcherThread::takeInputs(const AppSettingsData& appSettings, const ImageStitcherSettingsData& settings)
{
    m_appSettings = appSettings;
    m_settings = settings;
    settings.crossToAgarFactor(m_crossToAgarFactor);
    {
        const std::unique_lock<QMutex> lock = m_snapshotModel->LockSettings();
        m_snapshotSettings = settings.CrossModel;
    }
    // A fresh template source: one without a template must not keep the previous one.
    m_snapshotPicture = std::make_unique<ModelMatching_ModelPicture>(m_snapshotModel.get(), QStringLiteral("modelmatching"),
                                                                     false);
    ModelMatching_Analyse_SearchModel* searcher = m_crossModel ? m_crossModel->GetSearchWorker() : nullptr;
    m_snapshotSearch->SetModel(searcher ? searcher->GetModel() : nullptr);
    if (m_crossModel) {
        const Halcon::Hobject modelPicture = m_crossModel->GetModelPictureCopy();
        if (!modelPicture.IsEmpty())
            m_snapshotPicture->SetModelPicture(modelPicture);
    }
}

Errors::Type_Error ImageStitcherThread::Start(const AppSettingsData& appSettings,
                                              const ImageStitcherSettingsData& settings,
                                              const QList<Halcon::Hobject>& pictures)
{
    if (!isIdle())
        return ErrorInProgress;
    if (!settings.distancesUsable())
        return ErrorParameter;
    // Inputs first, then the state, then the wake-up: the worker reads them only after that.
    takeInputs(appSettings, settings);
    m_pictures = pictures;
    startRun(StateStart);
    return 0;
}

Errors::Type_Error ImageStitcherThread::StartWithSettings(const AppSettingsData& appSettings,
                                                          const ImageStitcherSettingsData& settings)
{
    if (!settings.distancesUsable())
        return ErrorParameter;
    if (const Errors::Type_Error code = Stop(); code != 0)
        return code;
    takeInputs(appSettings, settings);
    startRun(StateStartWithSettings);
    return 0;
}

Errors::Type_Error ImageStitcherThread::Reset(Automation_Call* call)
{
    return Errors::Type_Error(Automation_Call::then(call, Stop(call), [this](int code) {
        if (code != 0)
            return code;
        setRunError(0);
        m_page->clearAllViews(true);
        m_page->emitReset();
        m_page->emitStateSetText(QString());
        return 0;
    }));
}

Errors::Type_Error ImageStitcherThread::CheckRunning(bool& running)
{
    running = !isIdle();
    return running ? Errors::Type_Error(0) : runError();
}

// ---- Step machine (worker thread) --------------------------------------------------------------

void ImageStitcherThread::setStateText(const QString& text)
{
    m_page->emitStateSetText(text);
}

qint32 ImageStitcherThread::step(qint32 state)
{
    switch (state) {
    case StateStart:
        return StepStart(true);
    case StateStartWithSettings:
        return StepStart(false);
    case StatePrepare:
        return StepPrepare();
    case StateShowPicture:
        return StepShowPicture();
    case StateNoWork:
        return StateFindCrosses;
    case StateFindCrosses:
        return StepFindCrosses();
    case StateNextPictureOrStitch:
        return StepNextPictureOrStitch();
    case StateFinish:
        return StepFinish();
    case StateShowModelPicture:
        return StepShowModelPicture();
    case StateCreateModel:
        return StepCreateModel();
    default:
        return failWith(ErrorGeneral);
    }
}

qint32 ImageStitcherThread::StepStart(bool clearViews)
{
    m_page->emitAnalyserStarted();
    setStateText(tr("Start image stitching..."));
    if (clearViews) {
        m_page->clearAllViews(false);
        m_page->updateAllViews(true);
    }
    return StatePrepare;
}

qint32 ImageStitcherThread::StepPrepare()
{
    m_page->removeObjectsFromAllViews(QString(), false);
    m_page->removePicturesFromAllViews(kPictureFiltered, false);
    m_page->emitReset();
    if (Hobject_View_Gui* modelView = m_page->getHobjectView()) {
        modelView->removeObjects(QString(), false);
        modelView->removePictures(kPictureFiltered, false);
        if (m_crossModel)
            setBackground(modelView, m_crossModel->GetModelPictureCopy());
        modelView->updateView(true);
    }
    const int mode = m_crossModel ? m_crossModel->GetMode() : 0;
    m_page->updateAllViews(true);
    if (mode == ModelMatching::Mode_DefineModel)
        return StateShowModelPicture;
    // Without a template source there is no cross model to search with.
    if (mode != ModelMatching::Mode_Analyse)
        return failWith(ErrorNoCrossModel);
    if (m_pictures.isEmpty() || m_pictures.size() > PictureStitching::PicturesCount)
        return failWith(ErrorPictureCount);
    m_crosses.clear();
    m_tiles.clear();
    setCurrentPicture(0);
    return StateShowPicture;
}

void ImageStitcherThread::setCurrentPicture(int index)
{
    m_index = index;
    m_picture = m_pictures.value(index);
    m_view = m_page->getPictureViews().value(index, nullptr);
}

qint32 ImageStitcherThread::StepShowPicture()
{
    if (m_view) {
        m_view->removeObjects(QString(), false);
        setBackground(m_view, m_picture);
        m_view->updateView(true);
    }
    return StateNoWork;
}

qint32 ImageStitcherThread::StepFindCrosses()
{
    if (m_index < 0 || m_index >= PictureStitching::PicturesCount)
        return StateFinish;
    const ImageStitcherSettingsData::PictureSearchAreas& areas = m_settings.ReferencePoints[size_t(m_index)];
    PictureCross cross0;
    PictureCross cross1;
    FindPictureCross(true, m_index, 0, areas.Area1, cross0);
    FindPictureCross(true, m_index, 1, areas.Area2, cross1);
    m_page->emitAddPictureCrosses(m_index, m_picture, cross0, cross1);
    m_crosses.append(cross0);
    m_crosses.append(cross1);
    return StateNextPictureOrStitch;
}

Errors::Type_Error ImageStitcherThread::FindPictureCross(bool draw, int pictureIndex, int pointIndex,
                                                         const SearchAreaSettings& area, PictureCross& cross)
{
    cross.pictureIndex = pictureIndex;
    cross.pointIndex = pointIndex;
    int width = 0, height = 0;
    Halcon_Helper::GetImageSize(m_picture, width, height);
    PictureUnitConverter units(m_picture);
    const Halcon::Hobject region = pictureIndex >= 0 ? GenerateRotatedRectangleContour(&units, area.PosX, area.PosY,
                                                                                      area.SizeX, area.SizeY, area.Angle)
                                                     : Halcon::Hobject();
    Hobject_View_Gui* const view = draw ? m_view : nullptr;
    if (view) {
        view->addObject(region, QStringLiteral("light blue"), QStringLiteral("margin"), 1,
                        kSearchAreaPrefix + QStringLiteral("%1.%2.").arg(pictureIndex).arg(pointIndex), false, true);
        double x = 0.0, y = 0.0;
        RotatedRectanglePoint(view, 0, 1, 1, area.PosX, area.PosY, area.SizeX, area.SizeY, 0.0, 0.0, area.Angle, x, y);
        view->addText(tr("Picture %1: Point %2").arg(pictureIndex + 1).arg(pointIndex + 1), x, y,
                      QStringLiteral("cadet blue"), "Arial", 6,
                      kSearchAreaPrefix + QStringLiteral("Text.%1.%2").arg(pictureIndex).arg(pointIndex), false, false);
    }

    ModelMatchingSearchResult result;
    const Errors::Type_Error code =
        m_crossModel ? m_snapshotModel->SearchModel(PictureCrossSearch::searchParameters(m_picture, region), result)
                     : ErrorNoCrossModel;
    if (code != 0) {
        setRunError(code);
        cross.errorCode = code;
        setStateText(tr("%1.").arg(Errors::getErrorText(code)));
        return code;
    }
    const Errors::Type_Error evaluated =
        PictureCrossSearch::evaluate(result, m_crossToAgarFactor, width, height, cross);
    if (view)
        view->addObject(result.SearchPicture, QString(), QString(), 0,
                        kObjectFiltered + QStringLiteral("ReferencePosition.SearchArea."), false, false);
    if (!result.Found) {
        setRunError(ErrorCrossNotFound);
        setStateText(tr("%1!").arg(Errors::getErrorText(ErrorCrossNotFound)));
        return 0;
    }
    if (view)
        view->addObject(cross.hobjContour, QStringLiteral("orange"), QStringLiteral("margin"), 1,
                        cross.name + QStringLiteral("Contour"), false, false);
    if (evaluated != 0) {
        setRunError(evaluated);
        setStateText(tr("%1!").arg(Errors::getErrorText(evaluated)));
        return evaluated;
    }
    if (view) {
        const auto addCross = [&](double row, double col, const char* colour, const QString& part) {
            Halcon::Hobject mark;
            if (Halcon::gen_cross_contour_xld(&mark, row, col, 10.0, 0.0) == Halcon::kSuccess)
                view->addObject(mark, QLatin1String(colour), QStringLiteral("margin"), 1, cross.name + part, false,
                                false);
        };
        addCross(cross.rowCenter, cross.colCenter, "red", QStringLiteral("Center"));
        addCross(cross.rowCenterOnAgar, cross.colCenterOnAgar, "green", QStringLiteral("CenterOnAgar"));
        view->addObject(PictureCrossSearch::cutLine(cross, width, height), QStringLiteral("gray"),
                        QStringLiteral("margin"), 1, cross.name + QStringLiteral("CutLine"), false, false);
    }
    return 0;
}

qint32 ImageStitcherThread::StepNextPictureOrStitch()
{
    if (!m_pictures.isEmpty() && m_index < m_pictures.size() - 1) {
        setCurrentPicture(m_index + 1);
        return StateShowPicture;
    }
    return StitchPictures();
}

qint32 ImageStitcherThread::StitchPictures()
{
    if (!PictureStitching::canStitch(m_pictures, m_crosses)) {
        // A run that ends without a stitched picture never reports success.
        if (runError() == 0)
            return failWith(m_pictures.size() != PictureStitching::PicturesCount ? ErrorPictureCount
                                                                                 : ErrorCrossNotFound);
        return StateFinish;
    }
    Halcon::Hobject stitched;
    if (!PictureStitching::layoutTiles(m_pictures, m_crosses, m_tiles)
        || PictureStitching::tilePictures(m_tiles, stitched) != Halcon::kSuccess)
        return failWith(ErrorCrossNotFound);

    PictureStitching::drawTiles(m_tiles, m_crosses, m_page->getPictureViews(), m_page->getResultView());
    for (const ImageStitcherTile& tile : m_tiles)
        m_page->emitAddOpticalAxis(tile.index, tile.halfHeight + tile.rowOffset, tile.halfWidth + tile.colOffset);
    m_page->emitAddStitchedPicture(stitched);
    return StateFinish;
}

qint32 ImageStitcherThread::StepFinish()
{
    if (runError() == 0)
        setStateText(tr("Done!"));
    m_page->emitAnalyserStopped();
    if (m_view)
        m_view->updateView(false);
    QCoreApplication::processEvents();
    return StateIdle;
}

qint32 ImageStitcherThread::StepShowModelPicture()
{
    setStateText(tr("Start model creation..."));
    if (Hobject_View_Gui* modelView = m_page->getHobjectView()) {
        setBackground(modelView, m_crossModel ? m_crossModel->GetModelPictureCopy() : Halcon::Hobject());
        modelView->updateView(true);
    }
    return StateCreateModel;
}

qint32 ImageStitcherThread::StepCreateModel()
{
    setStateText(tr("Model creation 'Cross position' ..."));
    ModelMatchingCreateResult result;
    const Errors::Type_Error code = m_crossModel
        ? m_crossModel->CreateModel(PictureCrossSearch::createParameters(), result)
        : ErrorNoCrossModel;
    Hobject_View_Gui* modelView = m_page->getHobjectView();
    if (code != 0) {
        if (modelView) {
            modelView->addObject(result.RoiContours, QStringLiteral("yellow"), QStringLiteral("margin"), 1,
                                 kModelPrefix + QStringLiteral("ROI."), false, false);
            modelView->updateView(true);
        }
        setRunError(code);
        setStateText(tr("%1.").arg(Errors::getErrorText(code)));
        return StateFinish;
    }
    if (modelView) {
        modelView->addObject(result.ModelPicture, QString(), QString(), 0, kObjectFiltered, false, false);
        modelView->addObject(result.RoiContours, QStringLiteral("yellow"), QStringLiteral("margin"), 1,
                             kModelPrefix + QStringLiteral("ROI."), false, false);
        modelView->addObject(result.ModelContour, QStringLiteral("yellow"), QStringLiteral("margin"), 1,
                             kModelPrefix + QStringLiteral("Contour."), false, false);
        modelView->updateView(true);
    }
    return StateFinish;
}
