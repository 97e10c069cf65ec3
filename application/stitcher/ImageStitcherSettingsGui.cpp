#include "ImageStitcherSettingsGui.h"

#include "IImageStitcherSettingsHost.h"
#include "ImageStitcherSettings.h"
#include "ImageStitcherSettingsFileActions.h"
#include "SearchAreaGui.h"
#include "ui_ImageStitcherSettingsGui.h"

#include <Gui_Helper.h>
#include <Gui_Helper_SignalBlocker.h>
#include <Hobject_View_MouseDraw_Rectangle_Area.h>
#include <ModelMatching.h>
#include <ModelMatching_AnalyseSettings_Gui.h>
#include <ModelMatching_ModelSettings_Gui.h>
#include <ModelMatching_ModelSettings_ModelPicture_Gui.h>

#include <QCloseEvent>

ImageStitcherSettingsGui::ImageStitcherSettingsGui(IImageStitcherSettingsHost* host, const QList<IHalconView*>& views,
                                                   Hobject_View_Gui* pictureView, ImageStitcherSettings* settings,
                                                   ModelMatching* crossModel, QWidget* parent)
    : QWidget(parent)
    , m_host(host)
    , m_settings(settings)
    , m_crossModel(crossModel)
    , m_ui(std::make_unique<Ui::ImageStitcherSettingsGui>())
{
    m_ui->setupUi(this);
    m_fileActions = new ImageStitcherSettingsFileActions(this, m_host, m_settings);
    Gui_Helper::setObjectName(this, QString());
    updateWindowTitle();

    createModelMatchingEditors(pictureView);
    createSearchAreaEditors(views);
    connectWidgets();

    // The form opens on the cross-model page, so nothing is announced here.
    m_ui->m_SettingsTab->setCurrentIndex(0);
    slot_CrossModel_NewDialogSettings();
    Gui_Helper::applyWidgetStyles(this, true, true, true);
    Gui_Helper::restoreWindowLayout(this, QString());
}

ImageStitcherSettingsGui::~ImageStitcherSettingsGui()
{
    // Nothing the teardown of the widgets reports may reach the half-destroyed editor.
    if (m_settings)
        disconnect(m_settings, nullptr, this, nullptr);
    if (m_crossModel)
        disconnect(m_crossModel, nullptr, this, nullptr);
    for (QWidget* child : findChildren<QWidget*>())
        child->blockSignals(true);
    // The mouse tools before the buttons and viewers they work on.
    for (SearchAreaGui*& area : m_searchAreas) {
        delete area;
        area = nullptr;
    }
    delete m_modelSettingsGui;
    m_modelSettingsGui = nullptr;
    delete m_searchSettingsGui;
    m_searchSettingsGui = nullptr;
    delete m_modelPictureGui;
    m_modelPictureGui = nullptr;
}

void ImageStitcherSettingsGui::createModelMatchingEditors(Hobject_View_Gui* pictureView)
{
    RectangleDrawStyle pictureStyle;
    pictureStyle.name = QStringLiteral("modelmatching");
    pictureStyle.mode = RectangleDrawStyle::Mode_LoadOnDemand;
    pictureStyle.brush = QBrush(QColor(255, 0, 0, 80));
    m_modelPictureGui = new ModelMatching_ModelSettings_ModelPicture_Gui(m_crossModel, pictureStyle,
                                                                         m_ui->m_ModelMatching_ModelPictureSettings);

    // The crosses are searched in the areas of the picture pages, with the stitcher's own
    // tolerances.
    SearchPositionDrawSettings searchDrawing;
    searchDrawing.colour = QStringLiteral("light blue");
    searchDrawing.showSearchPosition = false;
    searchDrawing.showSearchTolerance = false;
    m_searchSettingsGui = new ModelMatching_AnalyseSettings_Gui(m_crossModel, searchDrawing, pictureView,
                                                                m_ui->m_ModelMatching_CrossModelSearchSettings);

    ModelRoiDrawSettings roiDrawing;
    roiDrawing.prefixes = QStringList{QStringLiteral("HalconObject_Stitcher_Cross.Model.ROI.")};
    roiDrawing.colour = QStringLiteral("yellow");
    roiDrawing.showMedian = true;
    roiDrawing.showShock = true;
    roiDrawing.showEmphasize = false;
    m_modelSettingsGui = new ModelMatching_ModelSettings_Gui(m_crossModel, roiDrawing, pictureView,
                                                             m_ui->m_ModelMatching_CrossModelCreateSettings);
}

void ImageStitcherSettingsGui::createSearchAreaEditors(const QList<IHalconView*>& views)
{
    SearchAreaDrawSettings draw;
    draw.prefixes = QStringList{QStringLiteral("HalconObject_Stitcher_Cross.SearchArea."),
                                QStringLiteral("HalconObject_Stitcher_Cross.Model.")};
    draw.colour = QStringLiteral("light blue");

    for (int picture = 0; picture < ImageStitcherSettingsData::PicturesCount; ++picture) {
        IHalconView* view = picture < views.size() ? views.at(picture) : nullptr;
        ImageStitcherSettingsData::PictureSearchAreas* areas =
            m_settings ? &m_settings->data().ReferencePoints[size_t(picture)] : nullptr;
        for (int point = 0; point < 2; ++point) {
            SearchAreaSettings* area = areas ? (point == 0 ? &areas->Area1 : &areas->Area2) : nullptr;
            auto* placeholder = findChild<QWidget*>(
                QStringLiteral("m_ModelMatching_SearchAreaPic%1_%2").arg(picture + 1).arg(point + 1));
            auto* editor = new SearchAreaGui(view, draw, area, placeholder);
            editor->setTitle(tr("Point %1").arg(point + 1));
            m_searchAreas[size_t(picture * 2 + point)] = editor;
        }
    }
}

void ImageStitcherSettingsGui::connectWidgets()
{
    using Gui = ImageStitcherSettingsGui;
    if (m_settings)
        connect(m_settings, &ImageStitcherSettings::signal_custom, this, &Gui::slot_ImageStitcherSettings_custom);
    connect(m_ui->m_SettingsLoad, &QPushButton::clicked, m_fileActions,
            &ImageStitcherSettingsFileActions::slot_SettingsLoad_clicked);
    connect(m_ui->m_SettingsSave, &QPushButton::clicked, m_fileActions,
            &ImageStitcherSettingsFileActions::slot_SettingsSave_clicked);
    connect(m_ui->m_SettingsSaveAs, &QPushButton::clicked, m_fileActions,
            &ImageStitcherSettingsFileActions::slot_SettingsSaveAs_clicked);
    connect(m_ui->m_SettingsSetDefaults, &QPushButton::clicked, m_fileActions,
            &ImageStitcherSettingsFileActions::slot_SettingsSetDefaults_clicked);
    connect(m_ui->m_SettingsTab, &QTabWidget::currentChanged, this, &Gui::slot_SettingsTab_currentChanged);
    const auto valueChanged = qOverload<double>(&QDoubleSpinBox::valueChanged);
    for (QDoubleSpinBox* box : {m_ui->m_ImageStitcherDistanceCameraToCrossPlane,
                                m_ui->m_ImageStitcherDistanceCrossPlaneToPointsPlane,
                                m_ui->m_ImageStitcherDistancePointsPlaneToAgarPlane})
        connect(box, valueChanged, this, &Gui::slot_ImageStitcherDistance_valueChanged);
    if (m_crossModel) {
        connect(m_crossModel, &ModelMatching::signal_SettingChanged, this, &Gui::slot_CrossModel_SettingChanged);
        connect(m_crossModel, &ModelMatching::signal_AnalysingAbort, this, &Gui::slot_CrossModel_AnalysingAbort);
        connect(m_crossModel, &ModelMatching::signal_NewDialogSettings, this,
                &Gui::slot_CrossModel_NewDialogSettings);
    }
    for (SearchAreaGui* area : m_searchAreas) {
        connect(area, &SearchAreaGui::signal_SettingChanged, this, &Gui::slot_CrossModelSearchArea_SettingChanged);
        connect(area, &SearchAreaGui::signal_AnalysingAbort, this, &Gui::slot_CrossModelSearchArea_AnalysingAbort);
    }
}

SearchAreaGui* ImageStitcherSettingsGui::searchAreaGui(int index) const
{
    if (index < 0 || index >= SearchAreaCount)
        return nullptr;
    return m_searchAreas[size_t(index)];
}

void ImageStitcherSettingsGui::updateWindowTitle()
{
    const QString name = m_host ? m_host->imageStitcherSettingsFileName() : QString();
    const QString title = QStringLiteral("%1 Image Stitcher Settings \"%2\"")
                              .arg(m_modified ? QStringLiteral("*") : QString(),
                                   m_fileActions->baseName(name));
    Gui_Helper::setHolderTitle(this, title);
}

bool ImageStitcherSettingsGui::askSaveModified()
{
    return m_fileActions->askSaveModified();
}

void ImageStitcherSettingsGui::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_host)
        m_host->setImageStitcherSettingsActionsChecked(true);
}

void ImageStitcherSettingsGui::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (m_host)
        m_host->setImageStitcherSettingsActionsChecked(false);
}

void ImageStitcherSettingsGui::closeEvent(QCloseEvent* event)
{
    askSaveModified();
    event->accept();
}

void ImageStitcherSettingsGui::slot_ImageStitcherSettings_custom(int number, const QVariant& data)
{
    switch (number) {
    case ImageStitcherSettings::CustomSignal_Replaced:
        Hobject_View_MouseDraw_Rectangle_cancelAll();
        break;
    case ImageStitcherSettings::CustomSignal_ValuesChanged:
        slot_CrossModel_NewDialogSettings();
        if (data.toBool())
            markChanged();
        break;
    case ImageStitcherSettings::CustomSignal_ModifiedChanged:
        m_modified = data.toBool();
        updateWindowTitle();
        break;
    case ImageStitcherSettings::CustomSignal_PositionSelected: {
        bool ok = false;
        const int position = data.toInt(&ok);
        if (ok && position >= 0 && position < ImageStitcherSettingsData::PicturesCount)
            m_ui->m_SettingsTab->setCurrentIndex(position + 1);
        break;
    }
    default:
        break;
    }
}

void ImageStitcherSettingsGui::slot_SettingsTab_currentChanged(int index)
{
    if (!m_settings)
        return;
    if (m_ui->m_SettingsTab->widget(index) == m_ui->m_ImageStitcherPage)
        m_settings->emitCustom(ImageStitcherSettings::CustomSignal_OverviewShown);
    else
        m_settings->emitCustom(ImageStitcherSettings::CustomSignal_PositionSelected, QVariant(index - 1));
}

void ImageStitcherSettingsGui::slot_ImageStitcherDistance_valueChanged(double)
{
    if (!m_settings)
        return;
    ImageStitcherSettingsData& data = m_settings->data();
    data.DistanceCameraToCrossPlane = m_ui->m_ImageStitcherDistanceCameraToCrossPlane->value();
    data.DistancePointsPlaneToAgarPlane = m_ui->m_ImageStitcherDistancePointsPlaneToAgarPlane->value();
    data.DistanceCrossPlaneToPointsPlane = m_ui->m_ImageStitcherDistanceCrossPlaneToPointsPlane->value();
    markChanged();
}

void ImageStitcherSettingsGui::slot_CrossModel_SettingChanged()
{
    markChanged();
}

void ImageStitcherSettingsGui::slot_CrossModel_AnalysingAbort()
{
    requestAbort();
}

void ImageStitcherSettingsGui::slot_CrossModel_NewDialogSettings()
{
    if (!m_settings)
        return;
    Gui_Helper_SignalBlocker blocker(this);
    const ImageStitcherSettingsData& data = m_settings->data();
    m_ui->m_ImageStitcherDistanceCameraToCrossPlane->setValue(data.DistanceCameraToCrossPlane);
    m_ui->m_ImageStitcherDistancePointsPlaneToAgarPlane->setValue(data.DistancePointsPlaneToAgarPlane);
    m_ui->m_ImageStitcherDistanceCrossPlaneToPointsPlane->setValue(data.DistanceCrossPlaneToPointsPlane);
    for (SearchAreaGui* area : m_searchAreas)
        area->updateFromSettings();
    if (m_crossModel)
        m_crossModel->UpdateWidgets();
}

void ImageStitcherSettingsGui::slot_CrossModelSearchArea_SettingChanged()
{
    markChanged();
}

void ImageStitcherSettingsGui::slot_CrossModelSearchArea_AnalysingAbort()
{
    requestAbort();
}

void ImageStitcherSettingsGui::markChanged()
{
    if (!m_settings)
        return;
    m_settings->setChanged(0);
    m_settings->emitCustom(ImageStitcherSettings::CustomSignal_ModifiedChanged, QVariant(true));
}

void ImageStitcherSettingsGui::requestAbort()
{
    if (m_settings)
        m_settings->emitCustom(ImageStitcherSettings::CustomSignal_AbortStitching);
}
