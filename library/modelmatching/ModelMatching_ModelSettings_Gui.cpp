#include "ModelMatching_ModelSettings_Gui.h"

#include "ModelMatching.h"
#include "ModelMatchingErrors.h"
#include "ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi.h"
#include "ui_ModelMatching_ModelSettings_Gui.h"

#include <Gui_Helper.h>
#include <Gui_Helper_SignalBlocker.h>

#include <QSignalBlocker>

ModelMatching_ModelSettings_Gui::ModelMatching_ModelSettings_Gui(ModelMatching* facade,
                                                                 const ModelRoiDrawSettings& drawSettings,
                                                                 Hobject_View_Gui* view, QWidget* parent)
    : ModelMatching_Editor_Gui(facade, parent)
    , m_ui(std::make_unique<Ui::ModelMatching_ModelSettings_Gui>())
    , m_drawSettings(drawSettings)
{
    m_ui->setupUi(this);
    styleForm();

    m_mouseDraw = std::make_unique<ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi>(
        m_ui->m_QToolButton_MouseSelect_Model_Rectangle_Add, m_ui->m_QToolButton_MouseSelect_Model_Ellipse_Add,
        m_ui->m_QToolButton_MouseSelect_Model_Move, view, m_drawSettings, facade, &m_selectedRoi);

    m_ui->m_QGroupBox_Filter_Median_Used->setVisible(m_drawSettings.showMedian);
    m_ui->m_QGroupBox_Filter_Shock_Used->setVisible(m_drawSettings.showShock);
    m_ui->m_QGroupBox_Filter_Emphasize_Used->setVisible(m_drawSettings.showEmphasize);
    m_ui->m_QToolButton_MouseSelect_Model_Move->setEnabled(false);

    connect(m_ui->m_QGroupBox_Filter_Median_Used, &QGroupBox::toggled, this,
            &ModelMatching_ModelSettings_Gui::slot_QGroupBox_Filter_Median_Used_toggled);
    connect(m_ui->m_QComboBox_Filter_Median_Mode, &QComboBox::currentIndexChanged, this,
            &ModelMatching_ModelSettings_Gui::slot_QComboBox_Filter_Median_Mode_currentIndexChanged);
    connect(m_ui->m_QGroupBox_Filter_Shock_Used, &QGroupBox::toggled, this,
            &ModelMatching_ModelSettings_Gui::slot_QGroupBox_Filter_Shock_Used_toggled);
    connect(m_ui->m_QComboBox_Filter_Shock_Mode, &QComboBox::currentIndexChanged, this,
            &ModelMatching_ModelSettings_Gui::slot_QComboBox_Filter_Shock_Mode_currentIndexChanged);
    connect(m_ui->m_QGroupBox_Filter_Emphasize_Used, &QGroupBox::toggled, this,
            &ModelMatching_ModelSettings_Gui::slot_QGroupBox_Filter_Emphasize_Used_toggled);
    connect(m_ui->m_QComboBox_Filter_Emphasize_Mode, &QComboBox::currentIndexChanged, this,
            &ModelMatching_ModelSettings_Gui::slot_QComboBox_Filter_Emphasize_Mode_currentIndexChanged);
    connect(m_ui->m_QSpinBox_Picture_MinContrast, &QSpinBox::valueChanged, this,
            &ModelMatching_ModelSettings_Gui::slot_QSpinBox_Picture_MinContrast_valueChanged);
    connect(m_ui->m_QSpinBox_Model_ContrastLow, &QSpinBox::valueChanged, this,
            &ModelMatching_ModelSettings_Gui::slot_QSpinBox_Model_ContrastLow_valueChanged);
    connect(m_ui->m_QSpinBox_Model_ContrastHigh, &QSpinBox::valueChanged, this,
            &ModelMatching_ModelSettings_Gui::slot_QSpinBox_Model_ContrastHigh_valueChanged);
    connect(m_ui->m_QSpinBox_Model_MinElementSize, &QSpinBox::valueChanged, this,
            &ModelMatching_ModelSettings_Gui::slot_QSpinBox_Model_MinElementSize_valueChanged);
    connect(m_ui->m_QComboBox_Model_MatchMetric, &QComboBox::currentIndexChanged, this,
            &ModelMatching_ModelSettings_Gui::slot_QComboBox_Model_MatchMetric_currentIndexChanged);
    connect(m_ui->m_QTreeWidget_Model_ROI, &QTreeWidget::currentItemChanged, this,
            &ModelMatching_ModelSettings_Gui::slot_QTreeWidget_Model_ROI_currentItemChanged);
    connect(m_ui->m_QPushButton_Model_Remove, &QPushButton::clicked, this,
            &ModelMatching_ModelSettings_Gui::slot_QPushButton_Model_Remove_clicked);
    connect(m_ui->m_QPushButton_Model_RemoveAll, &QPushButton::clicked, this,
            &ModelMatching_ModelSettings_Gui::slot_QPushButton_Model_RemoveAll_clicked);
    relayMouseDraw(m_mouseDraw.get());

    if (facade)
        facade->SetModelSettingsGui(this);
}

ModelMatching_ModelSettings_Gui::~ModelMatching_ModelSettings_Gui()
{
    if (m_facade && m_facade->GetModelSettingsGui() == this)
        m_facade->SetModelSettingsGui(nullptr);
    // The tools go while the buttons and this editor's selection index still exist.
    m_mouseDraw.reset();
}

Errors::Type_Error ModelMatching_ModelSettings_Gui::SetMode(int mode)
{
    if (mode == ModelMatching::Mode_Analyse) {
        if (m_ui->m_QTreeWidget_Model_ROI->currentItem()) {
            const QSignalBlocker blocker(m_ui->m_QTreeWidget_Model_ROI);
            m_ui->m_QTreeWidget_Model_ROI->setCurrentItem(nullptr);
            m_ui->m_QTreeWidget_Model_ROI->clearSelection();
        }
        m_selectedRoi = -1;
        m_ui->m_QToolButton_MouseSelect_Model_Move->setEnabled(false);
        // Its button is about to be disabled: no tool may stay on behind it.
        m_mouseDraw->cancelTools();
        m_ui->m_QWidget_ModelSettings->setEnabled(false);
        return ModelMatchingErrors::NoError;
    }
    if (mode == ModelMatching::Mode_DefineModel) {
        m_ui->m_QWidget_ModelSettings->setEnabled(true);
        return ModelMatchingErrors::NoError;
    }
    return ModelMatchingErrors::GeneralError;
}

void ModelMatching_ModelSettings_Gui::refreshGroupHeights()
{
    Gui_Helper::setExpanded(m_ui->m_QGroupBox_Filter_Median_Used, m_ui->m_QGroupBox_Filter_Median_Used->isChecked());
    Gui_Helper::setExpanded(m_ui->m_QGroupBox_Filter_Shock_Used, m_ui->m_QGroupBox_Filter_Shock_Used->isChecked());
    Gui_Helper::setExpanded(m_ui->m_QGroupBox_Filter_Emphasize_Used,
                            m_ui->m_QGroupBox_Filter_Emphasize_Used->isChecked());
}

Errors::Type_Error ModelMatching_ModelSettings_Gui::UpdateWidget()
{
    const ModelMatchingSettings* record = settings();
    if (!record)
        return ModelMatchingErrors::NoError;
    // No slot may write back while the values are set.
    const Gui_Helper_SignalBlocker blocker(this);
    m_ui->m_QGroupBox_Filter_Median_Used->setChecked(record->Filter.Median.Used);
    m_ui->m_QComboBox_Filter_Median_Mode->setCurrentIndex(record->Filter.Median.Mode - 1);
    m_ui->m_QGroupBox_Filter_Shock_Used->setChecked(record->Filter.Shock.Used);
    m_ui->m_QComboBox_Filter_Shock_Mode->setCurrentIndex(record->Filter.Shock.Mode - 1);
    m_ui->m_QGroupBox_Filter_Emphasize_Used->setChecked(record->Filter.Emphasize.Used);
    m_ui->m_QComboBox_Filter_Emphasize_Mode->setCurrentIndex(record->Filter.Emphasize.Mode - 1);
    m_ui->m_QSpinBox_Picture_MinContrast->setValue(record->Picture.MinContrast);
    // Shown as the record holds them, even in the wrong order: the next edit of either
    // puts them in order.
    m_ui->m_QSpinBox_Model_ContrastLow->setValue(record->Model.ContrastLow);
    m_ui->m_QSpinBox_Model_ContrastHigh->setValue(record->Model.ContrastHigh);
    m_ui->m_QSpinBox_Model_MinElementSize->setValue(record->Model.MinElementSize);
    m_ui->m_QComboBox_Model_MatchMetric->setCurrentIndex(record->Model.MatchMetric - 1);
    FillRoiTree();
    refreshGroupHeights();
    return ModelMatchingErrors::NoError;
}

void ModelMatching_ModelSettings_Gui::FillRoiTree()
{
    QTreeWidget* tree = m_ui->m_QTreeWidget_Model_ROI;
    const QSignalBlocker blocker(tree);
    tree->clear();
    const ModelMatchingSettings* record = settings();
    if (!record)
        return;
    QTreeWidgetItem* remembered = nullptr;
    QTreeWidgetItem* last = nullptr;
    const auto decimal = [](double value) { return QStringLiteral("%1").arg(value, 0, 'f', 2); };
    for (int i = 0; i < record->Model.ROI.size(); ++i) {
        const ModelMatchingRoi& roi = record->Model.ROI.at(i);
        auto* item = new QTreeWidgetItem(tree);
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        item->setData(0, Qt::UserRole, i);
        item->setText(0, QString::number(i + 1));
        item->setText(1, decimal(roi.PositionX));
        item->setText(2, decimal(roi.PositionY));
        item->setText(3, decimal(roi.SizeX));
        item->setText(4, decimal(roi.SizeY));
        item->setText(5, decimal(roi.Angle));
        item->setText(6, roi.Type == ModelMatchingRoi::Type_Rectangle ? tr("Rectangle")
                         : roi.Type == ModelMatchingRoi::Type_Ellipse ? tr("Ellipse")
                                                                       : tr("Unknown"));
        if (i == m_selectedRoi)
            remembered = item;
        last = item;
    }
    if (remembered)
        tree->setCurrentItem(remembered);
    else if (last)
        tree->scrollToItem(last);
    for (int column = 0; column < tree->columnCount() - 1; ++column)
        tree->resizeColumnToContents(column);
}

void ModelMatching_ModelSettings_Gui::redrawRois()
{
    m_mouseDraw->drawModelRoi(m_drawSettings.prefixes.isEmpty() ? QString() : m_drawSettings.prefixes.first());
}

void ModelMatching_ModelSettings_Gui::slot_QGroupBox_Filter_Median_Used_toggled(bool on)
{
    refreshGroupHeights();
    edit([on](ModelMatchingSettings& s) { s.Filter.Median.Used = on; });
}

void ModelMatching_ModelSettings_Gui::slot_QComboBox_Filter_Median_Mode_currentIndexChanged(int index)
{
    if (index >= 0)
        edit([index](ModelMatchingSettings& s) { s.Filter.Median.Mode = index + 1; });
}

void ModelMatching_ModelSettings_Gui::slot_QGroupBox_Filter_Shock_Used_toggled(bool on)
{
    refreshGroupHeights();
    edit([on](ModelMatchingSettings& s) { s.Filter.Shock.Used = on; });
}

void ModelMatching_ModelSettings_Gui::slot_QComboBox_Filter_Shock_Mode_currentIndexChanged(int index)
{
    if (index >= 0)
        edit([index](ModelMatchingSettings& s) { s.Filter.Shock.Mode = index + 1; });
}

void ModelMatching_ModelSettings_Gui::slot_QGroupBox_Filter_Emphasize_Used_toggled(bool on)
{
    refreshGroupHeights();
    edit([on](ModelMatchingSettings& s) { s.Filter.Emphasize.Used = on; });
}

void ModelMatching_ModelSettings_Gui::slot_QComboBox_Filter_Emphasize_Mode_currentIndexChanged(int index)
{
    if (index >= 0)
        edit([index](ModelMatchingSettings& s) { s.Filter.Emphasize.Mode = index + 1; });
}

void ModelMatching_ModelSettings_Gui::slot_QSpinBox_Picture_MinContrast_valueChanged(int i)
{
    edit([i](ModelMatchingSettings& s) { s.Picture.MinContrast = i; });
}

void ModelMatching_ModelSettings_Gui::slot_QSpinBox_Model_ContrastLow_valueChanged(int i)
{
    const ModelMatchingSettings* record = settings();
    if (!record)
        return;
    m_facade->EditSettings([i](ModelMatchingSettings& s) { s.Model.ContrastLow = i; });
    // The high contrast follows through its own slot, which stores it.
    if (record->Model.ContrastLow > record->Model.ContrastHigh)
        m_ui->m_QSpinBox_Model_ContrastHigh->setValue(record->Model.ContrastLow);
    emit signal_SettingChanged();
}

void ModelMatching_ModelSettings_Gui::slot_QSpinBox_Model_ContrastHigh_valueChanged(int i)
{
    const ModelMatchingSettings* record = settings();
    if (!record)
        return;
    m_facade->EditSettings([i](ModelMatchingSettings& s) { s.Model.ContrastHigh = i; });
    if (record->Model.ContrastHigh < record->Model.ContrastLow)
        m_ui->m_QSpinBox_Model_ContrastLow->setValue(record->Model.ContrastHigh);
    emit signal_SettingChanged();
}

void ModelMatching_ModelSettings_Gui::slot_QSpinBox_Model_MinElementSize_valueChanged(int i)
{
    edit([i](ModelMatchingSettings& s) { s.Model.MinElementSize = i; });
}

void ModelMatching_ModelSettings_Gui::slot_QComboBox_Model_MatchMetric_currentIndexChanged(int index)
{
    if (index >= 0)
        edit([index](ModelMatchingSettings& s) { s.Model.MatchMetric = index + 1; });
}

void ModelMatching_ModelSettings_Gui::slot_QTreeWidget_Model_ROI_currentItemChanged(QTreeWidgetItem* current,
                                                                                   QTreeWidgetItem*)
{
    if (!settings())
        return;
    if (current) {
        m_selectedRoi = current->data(0, Qt::UserRole).toInt();
        redrawRois();
    } else {
        m_selectedRoi = -1;
    }
    m_ui->m_QToolButton_MouseSelect_Model_Move->setEnabled(current != nullptr);
}

void ModelMatching_ModelSettings_Gui::removeRois(bool all)
{
    const ModelMatchingSettings* record = settings();
    if (!record)
        return;
    if (!all && !(m_selectedRoi >= 0 && m_selectedRoi < record->Model.ROI.size()))
        return;
    const int selected = m_selectedRoi;
    m_facade->EditSettings([all, selected](ModelMatchingSettings& s) {
        if (all)
            s.Model.ROI.clear();
        else
            s.Model.ROI.removeAt(selected);
    });
    m_selectedRoi = -1;
    m_ui->m_QToolButton_MouseSelect_Model_Move->setEnabled(false);
    FillRoiTree();
    // The viewer must not go on showing what is gone.
    redrawRois();
    emit signal_SettingChanged();
}

void ModelMatching_ModelSettings_Gui::slot_QPushButton_Model_Remove_clicked()
{
    removeRois(false);
}

void ModelMatching_ModelSettings_Gui::slot_QPushButton_Model_RemoveAll_clicked()
{
    removeRois(true);
}
