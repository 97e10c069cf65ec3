#include "ColonySettingsGui.h"

#include "ColonySettingsColorPage.h"
#include "ColonySettingsFileActions.h"
#include "ColonySettingsLabwareEditor.h"
#include "ColonySettingsRefPointSearchAreaEditor.h"
#include "ColonySettingsWidgetValues.h"
#include "IColonySettingsHost.h"
#include "ui_ColonySettingsGui.h"

#include <Gui_Helper.h>
#include <Gui_Helper_SignalBlocker.h>
#include <Hobject_View_MouseDraw_Rectangle_Area.h>
#include <IHalconView.h>
#include <MessageBox_Helper.h>

#include <QCloseEvent>
#include <QIcon>
#include <QMenu>
#include <QMetaMethod>

#include <cmath>

// Q_INIT_RESOURCE declares its function in the enclosing namespace, so this stays global.
static void initColonySettingsResources()
{
    Q_INIT_RESOURCE(ColonySettingsGui);
}

using namespace ColonySettingsWidgetValues;

namespace {

QString pickOrderIcon(int order)
{
    static const char* const corners[] = {"TopLeft", "TopRight", "BottomLeft", "BottomRight"};
    return QStringLiteral("pictures:/ColonySettings/PickOrder_%1_%2_%3.png")
        .arg(order)
        .arg(QLatin1String(corners[order / 2]))
        .arg(order % 2 == 0 ? QStringLiteral("Horizontal") : QStringLiteral("Vertical"));
}

} // namespace

// ---- Snapshot -----------------------------------------------------------------------------------

ColonySettingsGui::SettingsSnapshot::SettingsSnapshot(ColonySettingsGui* editor)
    : m_data(&editor->settings()->data())
    , m_copy(editor->settings()->data())
    , m_editor(editor)
{
}

bool ColonySettingsGui::SettingsSnapshot::validate(bool restore)
{
    QString message;
    if (ColonySettings::validate(*m_data, message))
        return true;
    MessageBox_Helper::warning(m_editor, ColonySettingsGui::tr("Validation"), message, QMessageBox::Ok,
                               QMessageBox::NoButton);
    if (restore) {
        *m_data = m_copy;
        m_editor->refreshFromSettings();
    }
    return false;
}

// ---- Construction -------------------------------------------------------------------------------

ColonySettingsGui::ColonySettingsGui(IColonySettingsHost* host, IHalconView* analyserView,
                                     ColonySettings* settings, QWidget* parent)
    : QWidget(parent)
    , m_host(host)
    , m_settings(settings)
    , m_ui(std::make_unique<Ui::ColonySettingsGui>())
{
    initColonySettingsResources();
    m_ui->setupUi(this);
    m_fileActions = new ColonySettingsFileActions(this, m_host, m_settings);

    auto* defaultsMenu = new QMenu(this);
    connect(defaultsMenu->addAction(tr("Defaults for Lighttable")), &QAction::triggered, m_fileActions,
            &ColonySettingsFileActions::slot_Action_SettingsSetDefaultsForLightTable_triggered);
    connect(defaultsMenu->addAction(tr("Defaults for Lighttable XL")), &QAction::triggered, m_fileActions,
            &ColonySettingsFileActions::slot_Action_SettingsSetDefaultsForLightTableXL_triggered);
    m_ui->m_SettingsSetDefaults->setMenu(defaultsMenu);

    m_colorPage = new ColonySettingsColorPage(this, m_ui.get(), m_settings);

    Hobject_View_Gui* viewer = analyserView ? analyserView->getView() : nullptr;
    m_labwareEditor = new ColonySettingsLabwareEditor(m_ui->m_LabwareCreate, m_ui->m_LabwareEdit, viewer,
                                                      m_settings, this);
    QToolButton* createButtons[4] = {m_ui->m_RefPoint0SearchAreaCreate, m_ui->m_RefPoint1SearchAreaCreate,
                                     m_ui->m_RefPoint2SearchAreaCreate, m_ui->m_RefPoint3SearchAreaCreate};
    QToolButton* editButtons[4] = {m_ui->m_RefPoint0SearchAreaEdit, m_ui->m_RefPoint1SearchAreaEdit,
                                   m_ui->m_RefPoint2SearchAreaEdit, m_ui->m_RefPoint3SearchAreaEdit};
    for (int n = 0; n < 4; ++n)
        m_refPointEditors[n] = new ColonySettingsRefPointSearchAreaEditor(createButtons[n], editButtons[n], viewer,
                                                                          m_settings, n, this);

    buildForm();
    Gui_Helper::setObjectName(this, QString());
    updateTitle();
    m_ui->m_QPushButton_Color_MouseSelect_ColorRange_Ok->hide();

    connect(m_settings, &ColonySettings::signal_custom, this, &ColonySettingsGui::slot_ColonySettings_custom);
    connect(m_ui->m_SettingsLoad, &QPushButton::clicked, m_fileActions,
            &ColonySettingsFileActions::slot_SettingsLoad_clicked);
    connect(m_ui->m_SettingsSetDefaults, &QToolButton::clicked, m_fileActions,
            &ColonySettingsFileActions::slot_SettingsSetDefaults_clicked);
    connect(m_ui->m_SettingsSave, &QPushButton::clicked, m_fileActions,
            &ColonySettingsFileActions::slot_SettingsSave_clicked);
    connect(m_ui->m_SettingsSaveAs, &QPushButton::clicked, m_fileActions,
            &ColonySettingsFileActions::slot_SettingsSaveAs_clicked);
    connect(m_ui->m_SettingsTab, &QTabWidget::currentChanged, this,
            &ColonySettingsGui::slot_SettingsTab_currentChanged);
    connect(m_ui->m_RefPointsGetFromAnalyser, &QPushButton::clicked, this,
            &ColonySettingsGui::slot_RefPointsGetFromAnalyser_clicked);
    connectFieldWidgets();
    m_colorPage->connectWidgets();

    // The form leaves page 1 current, so this already announces page 1.
    m_ui->m_SettingsTab->setCurrentIndex(0);
    refreshFromSettings();
    Gui_Helper::applyWidgetStyles(this, true, true, true);
    Gui_Helper::restoreWindowLayout(this, QString());
}

ColonySettingsGui::~ColonySettingsGui()
{
    // Nothing the teardown of the widgets reports may reach the half-destroyed editor.
    if (m_settings)
        disconnect(m_settings, nullptr, this, nullptr);
    for (QWidget* child : findChildren<QWidget*>())
        child->blockSignals(true);
    Gui_Helper::saveWindowLayout(this, QString());
    // The tools before the buttons and the viewer they work on.
    delete m_labwareEditor;
    for (ColonySettingsRefPointSearchAreaEditor*& editor : m_refPointEditors) {
        delete editor;
        editor = nullptr;
    }
}

void ColonySettingsGui::buildForm()
{
    m_ui->m_AnalyseModeSelection->addItem(tr("Standard"));
    m_ui->m_AnalyseModeSelection->addItem(tr("Dynamic threshold"));
    static const char* const pickOrders[] = {"Horizontal from left to bottom", "Vertical from left to bottom",
                                             "Horizontal from right to bottom", "Vertical from right to bottom",
                                             "Horizontal from left to top", "Vertical from left to top",
                                             "Horizontal from right to top", "Vertical from right to top"};
    for (int k = 0; k < 8; ++k)
        m_ui->m_QComboBox_Labware_PickOrder->addItem(QIcon(pickOrderIcon(k)), QLatin1String(pickOrders[k]));
    fillStrengthComboBox(m_ui->m_QComboBox_PreprocessingMeanMode);
    fillStrengthComboBox(m_ui->m_QComboBox_PreprocessingMedianMode);
}

void ColonySettingsGui::connectFieldWidgets()
{
    using Gui = ColonySettingsGui;
    Ui::ColonySettingsGui* ui = m_ui.get();
    const auto valueChanged = qOverload<double>(&QDoubleSpinBox::valueChanged);
    const auto intValueChanged = qOverload<int>(&QSpinBox::valueChanged);
    const auto indexChanged = qOverload<int>(&QComboBox::currentIndexChanged);

    connect(ui->m_RefPointFixedPosition, &QCheckBox::toggled, this, &Gui::slot_RefPointFixedPosition_toggled);
    for (QDoubleSpinBox* box : {ui->m_RefPointSearchPos1X, ui->m_RefPointSearchPos2X, ui->m_RefPointSearchPos3X,
                                ui->m_RefPointSearchPos4X, ui->m_RefPointSearchPos1Y, ui->m_RefPointSearchPos2Y,
                                ui->m_RefPointSearchPos3Y, ui->m_RefPointSearchPos4Y})
        connect(box, valueChanged, this, &Gui::slot_RefPointSearchPos_valueChanged);
    connect(ui->m_RefPointSearchWidth, valueChanged, this, &Gui::slot_RefPointSearchWidth_valueChanged);
    connect(ui->m_RefPointSearchHeight, valueChanged, this, &Gui::slot_RefPointSearchHeight_valueChanged);
    connect(ui->m_RefPointDistanceX, valueChanged, this, &Gui::slot_RefPointDistanceX_valueChanged);
    connect(ui->m_RefPointDistanceY, valueChanged, this, &Gui::slot_RefPointDistanceY_valueChanged);
    connect(ui->m_RefPointDistanceCameraToRefPointPlane, valueChanged, this,
            &Gui::slot_RefPointDistanceCameraToRefPointPlate_valueChanged);
    connect(ui->m_RefPointDistanceRefPointPlaneToAgarPlane, valueChanged, this,
            &Gui::slot_RefPointDistanceRefPointPlaneToAgarPlane_valueChanged);
    for (QDoubleSpinBox* box : {ui->m_RefPointTopLeftX, ui->m_RefPointTopLeftY, ui->m_RefPointTopRightX,
                                ui->m_RefPointTopRightY, ui->m_RefPointBottomLeftX, ui->m_RefPointBottomLeftY})
        connect(box, valueChanged, this, &Gui::slot_RefPointTopLeft_valueChanged);
    connect(ui->m_RefPointMinimumContrast, intValueChanged, this, &Gui::slot_RefPointMinimumContrast_valueChanged);
    connect(ui->m_RefPointMinimumScore, valueChanged, this, &Gui::slot_RefPointMinimumScore_valueChanged);
    connect(ui->m_RefPointScaleRange, valueChanged, this, &Gui::slot_RefPointScaleRange_valueChanged);
    connect(ui->m_RefPointRadius, valueChanged, this, &Gui::slot_RefPointRadius_valueChanged);

    connect(ui->m_LabwareRoundArea, &QCheckBox::toggled, this, &Gui::slot_LabwareRoundArea_toggled);
    connect(ui->m_LabwareLeftToRight, &QRadioButton::toggled, this, &Gui::slot_LabwareLeftToRight_toggled);
    connect(ui->m_LabwareRightToLeft, &QRadioButton::toggled, this, &Gui::slot_LabwareRightToLeft_toggled);
    connect(ui->m_LabwareSectionsX, intValueChanged, this, &Gui::slot_LabwareSectionsX_valueChanged);
    connect(ui->m_LabwareSectionsY, intValueChanged, this, &Gui::slot_LabwareSectionsY_valueChanged);
    connect(ui->m_QComboBox_Labware_PickOrder, indexChanged, this, &Gui::slot_QComboBox_PickOrder_currentIndexChanged);
    connect(ui->m_LabwarePositionX, valueChanged, this, &Gui::slot_LabwarePositionX_valueChanged);
    connect(ui->m_LabwarePositionY, valueChanged, this, &Gui::slot_LabwarePositionY_valueChanged);
    connect(ui->m_LabwareSizeX, valueChanged, this, &Gui::slot_LabwareSizeX_valueChanged);
    connect(ui->m_LabwareSizeY, valueChanged, this, &Gui::slot_LabwareSizeY_valueChanged);
    connect(ui->m_LabwareGapX, valueChanged, this, &Gui::slot_LabwareGapX_valueChanged);
    connect(ui->m_LabwareGapY, valueChanged, this, &Gui::slot_LabwareGapY_valueChanged);
    connect(ui->m_LabwareAngle, valueChanged, this, &Gui::slot_LabwareAngle_valueChanged);

    connect(ui->m_QGroupBox_PreprocessingMedian, &QGroupBox::toggled, this, &Gui::slot_PreprocessingMedian_toggled);
    connect(ui->m_QComboBox_PreprocessingMedianMode, indexChanged, this,
            &Gui::slot_PreprocessingMedianMode_currentIndexChanged);
    connect(ui->m_QGroupBox_PreprocessingMean, &QGroupBox::toggled, this, &Gui::slot_PreprocessingMean_toggled);
    connect(ui->m_QComboBox_PreprocessingMeanMode, indexChanged, this,
            &Gui::slot_PreprocessingMeanMode_currentIndexChanged);
    // The page follows the choice before the slot stores it.
    connect(ui->m_AnalyseModeSelection, qOverload<int>(&QComboBox::activated), ui->m_AnalyseModePages,
            &QStackedWidget::setCurrentIndex);
    connect(ui->m_AnalyseModeSelection, qOverload<int>(&QComboBox::activated), this,
            &Gui::slot_AnalyseModeSelection_activated);
    connect(ui->m_AnalyseModeStandardGrayMargin, valueChanged, this,
            &Gui::slot_AnalyseModeStandardGrayMargin_valueChanged);
    connect(ui->m_AnalyseModeStandardBrightTone, intValueChanged, this,
            &Gui::slot_AnalyseModeStandardBrightTone_valueChanged);
    connect(ui->m_AnalyseModeStandardDarkTone, intValueChanged, this,
            &Gui::slot_AnalyseModeStandardDarkTone_valueChanged);
    connect(ui->m_AnalyseModeStandardThreshold, &QSlider::valueChanged, this,
            &Gui::slot_AnalyseModeStandardThreshold_valueChanged);
    connect(ui->m_AnalyseModeDynThresholdOffset, intValueChanged, this,
            &Gui::slot_AnalyseModeDynThresholdOffset_valueChaned);
    connect(ui->m_AnalyseModeDynThresholdMaxColonyDiameter, valueChanged, this,
            &Gui::slot_AnalyseModeDynThresholdMaxColonyDiameter_valueChanged);
    connect(ui->m_ColonyWhiteOnBlack, &QCheckBox::toggled, this, &Gui::slot_ColonyWhiteOnBlack_toggled);

    connect(ui->m_ColonyFastCalculation, &QCheckBox::toggled, this, &Gui::slot_ColonyFastCalculation_toggled);
    void (Gui::*valueSlots[4])(double) = {&Gui::slot_ColonyArea_valueChanged, &Gui::slot_ColonyCircularity_valueChanged,
                                          &Gui::slot_ColonyNeighborDistance_valueChanged,
                                          &Gui::slot_ColonyMarginDistance_valueChanged};
    void (Gui::*sliderSlots[4])(int) = {&Gui::slot_ColonyAreaWeightSlider_valueChanged,
                                        &Gui::slot_ColonyCircularityWeightSlider_valueChanged,
                                        &Gui::slot_ColonyNeighborDistanceWeightSlider_valueChanged,
                                        &Gui::slot_ColonyMarginDistanceWeightSlider_valueChanged};
    for (int i = 0; i < 4; ++i) {
        const Measure m = measure(i);
        connect(m.minBox, valueChanged, this, valueSlots[i]);
        connect(m.maxBox, valueChanged, this, valueSlots[i]);
        connect(m.weightBox, valueChanged, this, valueSlots[i]);
        connect(m.slider, &QSlider::valueChanged, this, sliderSlots[i]);
    }
}

ColonySettingsRefPointSearchAreaEditor* ColonySettingsGui::refPointEditor(int index) const
{
    return index >= 0 && index < 4 ? m_refPointEditors[index] : nullptr;
}

// ---- Edit cycles --------------------------------------------------------------------------------

void ColonySettingsGui::notifySettingsEdited()
{
    m_settings->setChanged(0);
    m_settings->emitCustom(ColonySettings::CustomSignal_ModifiedChanged, QVariant(true));
}

bool ColonySettingsGui::runValidatedEdit(const std::function<void()>& store)
{
    Gui_Helper_SignalBlocker blocker(this);
    SettingsSnapshot snapshot(this);
    store();
    if (!snapshot.validate(true))
        return false;
    notifySettingsEdited();
    return true;
}

template <typename Field, typename Value>
void ColonySettingsGui::plainEdit(Field& field, Value value)
{
    field = value;
    notifySettingsEdited();
}

// ---- Refresh ------------------------------------------------------------------------------------

void ColonySettingsGui::refreshFromSettings()
{
    Gui_Helper_SignalBlocker blocker(this);
    const ColonySettingsData::LabwareData& labware = m_settings->Labware;
    m_ui->m_LabwareRoundArea->setChecked(labware.RoundArea);
    if (labware.PositionDirection == ColonySettingsData::RightToLeft)
        m_ui->m_LabwareRightToLeft->setChecked(true);
    else
        m_ui->m_LabwareLeftToRight->setChecked(true);
    refreshReferencePoints();
    refreshLabware();
    refreshMargins();
    refreshProperties();
    m_colorPage->refresh();
}

void ColonySettingsGui::refreshReferencePoints()
{
    const ColonySettingsData::ReferencePointsData& r = m_settings->ReferencePoints;
    m_ui->m_RefPointFixedPosition->setChecked(r.FixedPosition);
    m_ui->m_RefPointSearchAreaGroup->setEnabled(!r.FixedPosition);
    QDoubleSpinBox* xs[4] = {m_ui->m_RefPointSearchPos1X, m_ui->m_RefPointSearchPos2X, m_ui->m_RefPointSearchPos3X,
                             m_ui->m_RefPointSearchPos4X};
    QDoubleSpinBox* ys[4] = {m_ui->m_RefPointSearchPos1Y, m_ui->m_RefPointSearchPos2Y, m_ui->m_RefPointSearchPos3Y,
                             m_ui->m_RefPointSearchPos4Y};
    for (int i = 0; i < 4; ++i)
        xs[i]->setValue(r.SearchPosition[i].X);
    for (int i = 0; i < 4; ++i)
        ys[i]->setValue(r.SearchPosition[i].Y);
    m_ui->m_RefPointSearchWidth->setValue(r.SearchPositionWidth);
    m_ui->m_RefPointSearchHeight->setValue(r.SearchPositionHeight);
    m_ui->m_RefPointDistanceX->setValue(r.DistanceX);
    m_ui->m_RefPointDistanceY->setValue(r.DistanceY);
    m_ui->m_RefPointTopLeftX->setValue(r.RefPointTopLeftX);
    m_ui->m_RefPointTopLeftY->setValue(r.RefPointTopLeftY);
    m_ui->m_RefPointTopRightX->setValue(r.RefPointTopRightX);
    m_ui->m_RefPointTopRightY->setValue(r.RefPointTopRightY);
    m_ui->m_RefPointBottomLeftX->setValue(r.RefPointBottomLeftX);
    m_ui->m_RefPointBottomLeftY->setValue(r.RefPointBottomLeftY);
    m_ui->m_RefPointRadius->setValue(r.RefPointRadius);
    m_ui->m_RefPointMinimumScore->setValue(r.RefPointPointMinimumScore);
    m_ui->m_RefPointMinimumContrast->setValue(r.RefPointPointMinimumContrast);
    m_ui->m_RefPointScaleRange->setValue(r.RefPointPointScaleRange);
    m_ui->m_RefPointDistanceCameraToRefPointPlane->setValue(r.DistanceCameraToRefPointPlane);
    m_ui->m_RefPointDistanceRefPointPlaneToAgarPlane->setValue(r.DistanceRefPointPlaneToAgarPlane);
}

void ColonySettingsGui::refreshLabware()
{
    const ColonySettingsData::LabwareData& labware = m_settings->Labware;
    m_ui->m_LabwareSectionsX->setValue(labware.SectionsX);
    m_ui->m_LabwareSectionsY->setValue(labware.SectionsY);
    m_ui->m_LabwarePositionX->setValue(labware.PositionX);
    m_ui->m_LabwarePositionY->setValue(labware.PositionY);
    m_ui->m_LabwareSizeX->setValue(labware.SizeX);
    m_ui->m_LabwareSizeY->setValue(labware.SizeY);
    m_ui->m_LabwareGapX->setValue(labware.GapX);
    m_ui->m_LabwareGapY->setValue(labware.GapY);
    m_ui->m_LabwareAngle->setValue(labware.Angle);
    // An order the combo box does not have leaves it without a current entry.
    const int order = labware.PickingOrder;
    m_ui->m_QComboBox_Labware_PickOrder->setCurrentIndex(
        order >= 0 && order < m_ui->m_QComboBox_Labware_PickOrder->count() ? order : -1);
    updatePickOrderText();
}

void ColonySettingsGui::refreshMargins()
{
    const ColonySettingsData::ColonyData& colony = m_settings->Colony;
    m_ui->m_QGroupBox_PreprocessingMedian->setChecked(colony.PreprocessingMedianEnabled);
    setCurrentByData(m_ui->m_QComboBox_PreprocessingMedianMode, colony.PreprocessingMedianMode);
    m_ui->m_QGroupBox_PreprocessingMean->setChecked(colony.PreprocessingMeanEnabled);
    setCurrentByData(m_ui->m_QComboBox_PreprocessingMeanMode, colony.PreprocessingMeanMode);
    m_ui->m_ColonyWhiteOnBlack->setChecked(colony.WhiteOnBlack);
    m_ui->m_ColonyFastCalculation->setChecked(colony.FastCalculation);
    const int mode = colony.AnalysisMode == 1 ? 1 : 0;
    m_ui->m_AnalyseModeSelection->setCurrentIndex(mode);
    m_ui->m_AnalyseModePages->setCurrentIndex(mode);
    m_ui->m_AnalyseModeStandardGrayMargin->setValue(colony.GrayMargin);
    m_ui->m_AnalyseModeStandardBrightTone->setValue(colony.GrayPercentOver);
    m_ui->m_AnalyseModeStandardDarkTone->setValue(colony.GrayPercentUnder);
    m_ui->m_AnalyseModeStandardThreshold->setValue(truncatedInt(colony.GrayCenter * 100.0));
    m_ui->m_AnalyseModeStandardThresholdValue->setText(QString::asprintf("%0.2f", colony.GrayCenter));
    m_ui->m_AnalyseModeDynThresholdMaxColonyDiameter->setValue(colony.MaxColonyDiameter);
    m_ui->m_AnalyseModeDynThresholdOffset->setValue(truncatedInt(colony.Offset));
}

void ColonySettingsGui::refreshProperties()
{
    for (int i = 0; i < 4; ++i) {
        const Measure m = measure(i);
        m.minBox->setValue(*m.min);
        m.maxBox->setValue(*m.max);
        m.weightBox->setValue(*m.weight);
        m.slider->setValue(weightToSlider(*m.weight));
    }
}

void ColonySettingsGui::updatePickOrderText()
{
    const ColonySettingsData::LabwareData& labware = m_settings->Labware;
    QList<int> order;
    ColonySettings::computePickOrder(labware.SectionsY, labware.SectionsX,
                                     labware.PositionDirection == ColonySettingsData::RightToLeft,
                                     labware.PickingOrder, &order, nullptr);
    QStringList numbers;
    numbers.reserve(order.size());
    for (int container : order)
        numbers.append(QString::number(container + 1));
    m_ui->m_QLabel_Labware_PickOrder->setText(numbers.join(QStringLiteral(", ")));
}

// ---- Record, tab, title, events -----------------------------------------------------------------

void ColonySettingsGui::slot_ColonySettings_custom(ColonySettings::Enum_CustomSignal number, const QVariant& data)
{
    switch (number) {
    case ColonySettings::CustomSignal_Replaced:
        endColorRangeSelection();
        break;
    case ColonySettings::CustomSignal_ValuesChanged:
        refreshFromSettings();
        if (data.toBool())
            notifySettingsEdited();
        break;
    case ColonySettings::CustomSignal_ModifiedChanged:
        m_modified = data.toBool();
        updateTitle();
        break;
    case ColonySettings::CustomSignal_ColorSelectionEnabled: {
        bool isNumber = false;
        const int on = data.toInt(&isNumber);
        if (!isNumber || (on != 0 && on != 1))
            break;
        endColorRangeSelection();
        if (on == 1) {
            Gui_Helper_SignalBlocker blocker(this);
            m_colorPage->showRangeSelection(true);
        }
        break;
    }
    default:
        break;
    }
}

void ColonySettingsGui::endColorRangeSelection()
{
    {
        Gui_Helper_SignalBlocker blocker(this);
        m_colorPage->showRangeSelection(false);
    }
    Hobject_View_MouseDraw_Rectangle_cancelAll();
}

void ColonySettingsGui::slot_SettingsTab_currentChanged(int index)
{
    m_settings->emitCustom(ColonySettings::CustomSignal_PageLeft);
    QWidget* page = m_ui->m_SettingsTab->widget(index);
    const QWidget* pages[5] = {m_ui->m_ReferencePointsPage, m_ui->m_LabwarePage, m_ui->m_ColonyMarginsPage,
                               m_ui->m_ColonyPropertiesPage, m_ui->m_ColonyColorPage};
    for (int i = 0; i < 5; ++i) {
        if (page && page == pages[i]) {
            m_settings->emitCustom(ColonySettings::CustomSignal_PageEntered, QVariant(i + 1));
            return;
        }
    }
}

void ColonySettingsGui::slot_RefPointsGetFromAnalyser_clicked()
{
    // Without a receiver nothing would fill the positions in.
    if (!isSignalConnected(QMetaMethod::fromSignal(&ColonySettingsGui::signal_GetRefPointOffset)))
        return;
    const ColonySettingsData::ReferencePointsData& r = m_settings->ReferencePoints;
    double values[6] = {r.RefPointTopLeftX,  r.RefPointTopLeftY,    r.RefPointTopRightX,
                        r.RefPointTopRightY, r.RefPointBottomLeftX, r.RefPointBottomLeftY};
    emit signal_GetRefPointOffset(values[0], values[1], values[2], values[3], values[4], values[5]);
    QDoubleSpinBox* boxes[6] = {m_ui->m_RefPointTopLeftX,  m_ui->m_RefPointTopLeftY,    m_ui->m_RefPointTopRightX,
                                m_ui->m_RefPointTopRightY, m_ui->m_RefPointBottomLeftX, m_ui->m_RefPointBottomLeftY};
    for (int i = 0; i < 6; ++i) {
        if (std::isfinite(values[i]))
            boxes[i]->setValue(values[i]);
    }
    notifySettingsEdited();
}

void ColonySettingsGui::updateTitle()
{
    const QString name = m_host ? ColonySettingsFileActions::baseName(m_host->colonySettingsFileName()) : QString();
    const QString title = tr("%1 Colony Settings \"%2\"").arg(m_modified ? QStringLiteral("*") : QString(), name);
    Gui_Helper::setHolderTitle(this, title);
}

bool ColonySettingsGui::askSaveModified()
{
    return m_fileActions->askSaveModified();
}

bool ColonySettingsGui::askSaveModifiedBeforeClose()
{
    return m_fileActions->askSaveModifiedBeforeClose();
}

void ColonySettingsGui::closeEvent(QCloseEvent* event)
{
    askSaveModified();
    QWidget::closeEvent(event);
}

void ColonySettingsGui::showEvent(QShowEvent* event)
{
    if (m_host)
        m_host->setColonySettingsActionsChecked(true);
    QWidget::showEvent(event);
}

void ColonySettingsGui::hideEvent(QHideEvent* event)
{
    if (m_host)
        m_host->setColonySettingsActionsChecked(false);
    QWidget::hideEvent(event);
}

// ---- Reference points page ----------------------------------------------------------------------

void ColonySettingsGui::slot_RefPointFixedPosition_toggled(bool checked)
{
    m_ui->m_RefPointSearchAreaGroup->setEnabled(!checked);
    plainEdit(m_settings->ReferencePoints.FixedPosition, checked);
}

void ColonySettingsGui::slot_RefPointSearchPos_valueChanged(double)
{
    ColonySettingsData::SearchPositionPoint* points = m_settings->ReferencePoints.SearchPosition;
    points[0].X = m_ui->m_RefPointSearchPos1X->value();
    points[1].X = m_ui->m_RefPointSearchPos2X->value();
    points[2].X = m_ui->m_RefPointSearchPos3X->value();
    points[3].X = m_ui->m_RefPointSearchPos4X->value();
    points[0].Y = m_ui->m_RefPointSearchPos1Y->value();
    points[1].Y = m_ui->m_RefPointSearchPos2Y->value();
    points[2].Y = m_ui->m_RefPointSearchPos3Y->value();
    points[3].Y = m_ui->m_RefPointSearchPos4Y->value();
    notifySettingsEdited();
}

void ColonySettingsGui::slot_RefPointSearchWidth_valueChanged(double value)
{
    plainEdit(m_settings->ReferencePoints.SearchPositionWidth, value);
}

void ColonySettingsGui::slot_RefPointSearchHeight_valueChanged(double value)
{
    plainEdit(m_settings->ReferencePoints.SearchPositionHeight, value);
}

void ColonySettingsGui::slot_RefPointDistanceX_valueChanged(double value)
{
    plainEdit(m_settings->ReferencePoints.DistanceX, value);
}

void ColonySettingsGui::slot_RefPointDistanceY_valueChanged(double value)
{
    plainEdit(m_settings->ReferencePoints.DistanceY, value);
}

void ColonySettingsGui::slot_RefPointDistanceCameraToRefPointPlate_valueChanged(double value)
{
    plainEdit(m_settings->ReferencePoints.DistanceCameraToRefPointPlane, value);
}

void ColonySettingsGui::slot_RefPointDistanceRefPointPlaneToAgarPlane_valueChanged(double value)
{
    plainEdit(m_settings->ReferencePoints.DistanceRefPointPlaneToAgarPlane, value);
}

void ColonySettingsGui::slot_RefPointTopLeft_valueChanged()
{
    ColonySettingsData::ReferencePointsData& r = m_settings->ReferencePoints;
    r.RefPointTopLeftX = m_ui->m_RefPointTopLeftX->value();
    r.RefPointTopLeftY = m_ui->m_RefPointTopLeftY->value();
    r.RefPointTopRightX = m_ui->m_RefPointTopRightX->value();
    r.RefPointTopRightY = m_ui->m_RefPointTopRightY->value();
    r.RefPointBottomLeftX = m_ui->m_RefPointBottomLeftX->value();
    r.RefPointBottomLeftY = m_ui->m_RefPointBottomLeftY->value();
    notifySettingsEdited();
}

void ColonySettingsGui::slot_RefPointMinimumContrast_valueChanged(int value)
{
    plainEdit(m_settings->ReferencePoints.RefPointPointMinimumContrast, value);
}

void ColonySettingsGui::slot_RefPointMinimumScore_valueChanged(double value)
{
    plainEdit(m_settings->ReferencePoints.RefPointPointMinimumScore, value);
}

void ColonySettingsGui::slot_RefPointScaleRange_valueChanged(double value)
{
    plainEdit(m_settings->ReferencePoints.RefPointPointScaleRange, value);
}

void ColonySettingsGui::slot_RefPointRadius_valueChanged(double value)
{
    plainEdit(m_settings->ReferencePoints.RefPointRadius, value);
}

// ---- Labware page -------------------------------------------------------------------------------

void ColonySettingsGui::slot_LabwareRoundArea_toggled(bool checked)
{
    plainEdit(m_settings->Labware.RoundArea, checked);
}

void ColonySettingsGui::slot_LabwareLeftToRight_toggled(bool checked)
{
    // The button that goes off reports too; only the one that comes on counts.
    if (!checked)
        return;
    m_settings->Labware.PositionDirection = ColonySettingsData::LeftToRight;
    updatePickOrderText();
    notifySettingsEdited();
}

void ColonySettingsGui::slot_LabwareRightToLeft_toggled(bool checked)
{
    if (!checked)
        return;
    m_settings->Labware.PositionDirection = ColonySettingsData::RightToLeft;
    updatePickOrderText();
    notifySettingsEdited();
}

void ColonySettingsGui::slot_LabwareSectionsX_valueChanged(int value)
{
    m_settings->Labware.SectionsX = value;
    updatePickOrderText();
    notifySettingsEdited();
}

void ColonySettingsGui::slot_LabwareSectionsY_valueChanged(int value)
{
    m_settings->Labware.SectionsY = value;
    updatePickOrderText();
    notifySettingsEdited();
}

void ColonySettingsGui::slot_QComboBox_PickOrder_currentIndexChanged(int index)
{
    if (index < 0)
        return;
    m_settings->Labware.PickingOrder = index;
    updatePickOrderText();
    notifySettingsEdited();
}

void ColonySettingsGui::slot_LabwarePositionX_valueChanged(double value)
{
    plainEdit(m_settings->Labware.PositionX, value);
}

void ColonySettingsGui::slot_LabwarePositionY_valueChanged(double value)
{
    plainEdit(m_settings->Labware.PositionY, value);
}

void ColonySettingsGui::slot_LabwareSizeX_valueChanged(double value)
{
    plainEdit(m_settings->Labware.SizeX, value);
}

void ColonySettingsGui::slot_LabwareSizeY_valueChanged(double value)
{
    plainEdit(m_settings->Labware.SizeY, value);
}

void ColonySettingsGui::slot_LabwareGapX_valueChanged(double value)
{
    plainEdit(m_settings->Labware.GapX, value);
}

void ColonySettingsGui::slot_LabwareGapY_valueChanged(double value)
{
    plainEdit(m_settings->Labware.GapY, value);
}

void ColonySettingsGui::slot_LabwareAngle_valueChanged(double value)
{
    plainEdit(m_settings->Labware.Angle, value);
}

// ---- Colony margins page ------------------------------------------------------------------------

void ColonySettingsGui::slot_PreprocessingMedian_toggled(bool checked)
{
    plainEdit(m_settings->Colony.PreprocessingMedianEnabled, checked);
}

void ColonySettingsGui::slot_PreprocessingMedianMode_currentIndexChanged(int index)
{
    if (index >= 0)
        plainEdit(m_settings->Colony.PreprocessingMedianMode,
                  m_ui->m_QComboBox_PreprocessingMedianMode->itemData(index).toInt());
}

void ColonySettingsGui::slot_PreprocessingMean_toggled(bool checked)
{
    plainEdit(m_settings->Colony.PreprocessingMeanEnabled, checked);
}

void ColonySettingsGui::slot_PreprocessingMeanMode_currentIndexChanged(int index)
{
    if (index >= 0)
        plainEdit(m_settings->Colony.PreprocessingMeanMode,
                  m_ui->m_QComboBox_PreprocessingMeanMode->itemData(index).toInt());
}

void ColonySettingsGui::slot_AnalyseModeSelection_activated(int index)
{
    plainEdit(m_settings->Colony.AnalysisMode, index == 1 ? 1 : 0);
}

void ColonySettingsGui::slot_AnalyseModeStandardGrayMargin_valueChanged(double value)
{
    plainEdit(m_settings->Colony.GrayMargin, value);
}

void ColonySettingsGui::slot_AnalyseModeStandardBrightTone_valueChanged(int value)
{
    plainEdit(m_settings->Colony.GrayPercentOver, value);
}

void ColonySettingsGui::slot_AnalyseModeStandardDarkTone_valueChanged(int value)
{
    plainEdit(m_settings->Colony.GrayPercentUnder, value);
}

void ColonySettingsGui::slot_AnalyseModeStandardThreshold_valueChanged(int value)
{
    m_settings->Colony.GrayCenter = value / 100.0;
    m_ui->m_AnalyseModeStandardThresholdValue->setText(QString::asprintf("%0.2f", m_settings->Colony.GrayCenter));
    notifySettingsEdited();
}

void ColonySettingsGui::slot_AnalyseModeDynThresholdOffset_valueChaned(int value)
{
    plainEdit(m_settings->Colony.Offset, double(value));
}

void ColonySettingsGui::slot_AnalyseModeDynThresholdMaxColonyDiameter_valueChanged(double value)
{
    plainEdit(m_settings->Colony.MaxColonyDiameter, value);
}

void ColonySettingsGui::slot_ColonyWhiteOnBlack_toggled(bool checked)
{
    plainEdit(m_settings->Colony.WhiteOnBlack, checked);
}

// ---- Colony properties page ---------------------------------------------------------------------

ColonySettingsGui::Measure ColonySettingsGui::measure(int index) const
{
    ColonySettingsData::ColonyData& c = m_settings->Colony;
    switch (index) {
    case 1:
        return Measure{&c.CircularityMin,
                       &c.CircularityMaxNorm,
                       &c.CircularityWeight,
                       false,
                       m_ui->m_ColonyCircularityMin,
                       m_ui->m_ColonyCircularityMaxNorm,
                       m_ui->m_ColonyCircularityWeight,
                       m_ui->m_ColonyCircularityWeightSlider};
    case 2:
        return Measure{&c.NeighborDistanceMin,
                       &c.NeighborDistanceMaxNorm,
                       &c.NeighborDistanceWeight,
                       false,
                       m_ui->m_ColonyNeighborDistanceMin,
                       m_ui->m_ColonyNeighborDistanceMaxNorm,
                       m_ui->m_ColonyNeighborDistanceWeight,
                       m_ui->m_ColonyNeighborDistanceWeightSlider};
    case 3:
        return Measure{&c.MarginDistanceMin,
                       &c.MarginDistanceMaxNorm,
                       &c.MarginDistanceWeight,
                       false,
                       m_ui->m_ColonyMarginDistanceMin,
                       m_ui->m_ColonyMarginDistanceMaxNorm,
                       m_ui->m_ColonyMarginDistanceWeight,
                       m_ui->m_ColonyMarginDistanceWeightSlider};
    default:
        return Measure{&c.AreaMin,
                       &c.AreaMax,
                       &c.AreaWeight,
                       true,
                       m_ui->m_ColonyAreaMin,
                       m_ui->m_ColonyAreaMax,
                       m_ui->m_ColonyAreaWeight,
                       m_ui->m_ColonyAreaWeightSlider};
    }
}

void ColonySettingsGui::measureToRecord(int index)
{
    runValidatedEdit([this, index] {
        const Measure m = measure(index);
        // Only the area's maximum is cut; the other maxima normalise and stay as entered.
        *m.max = m.cutMax ? cutToHundredths(m.maxBox->value()) : m.maxBox->value();
        *m.min = cutToHundredths(m.minBox->value());
        *m.weight = m.weightBox->value();
        m.slider->setValue(weightToSlider(*m.weight));
    });
}

void ColonySettingsGui::measureSliderToRecord(int index, int value)
{
    runValidatedEdit([this, index, value] {
        const Measure m = measure(index);
        *m.weight = value / 100.0;
        m.weightBox->setValue(*m.weight);
    });
}

void ColonySettingsGui::slot_ColonyFastCalculation_toggled(bool checked)
{
    plainEdit(m_settings->Colony.FastCalculation, checked);
}

void ColonySettingsGui::slot_ColonyArea_valueChanged(double)
{
    measureToRecord(0);
}

void ColonySettingsGui::slot_ColonyAreaWeightSlider_valueChanged(int value)
{
    measureSliderToRecord(0, value);
}

void ColonySettingsGui::slot_ColonyCircularity_valueChanged(double)
{
    measureToRecord(1);
}

void ColonySettingsGui::slot_ColonyCircularityWeightSlider_valueChanged(int value)
{
    measureSliderToRecord(1, value);
}

void ColonySettingsGui::slot_ColonyNeighborDistance_valueChanged(double)
{
    measureToRecord(2);
}

void ColonySettingsGui::slot_ColonyNeighborDistanceWeightSlider_valueChanged(int value)
{
    measureSliderToRecord(2, value);
}

void ColonySettingsGui::slot_ColonyMarginDistance_valueChanged(double)
{
    measureToRecord(3);
}

void ColonySettingsGui::slot_ColonyMarginDistanceWeightSlider_valueChanged(int value)
{
    measureSliderToRecord(3, value);
}
