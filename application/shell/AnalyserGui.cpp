#include "AnalyserGui.h"

#include "ui_AnalyserGui.h"

#include "Gui_Helper.h"
#include "Settings_Change_Helper.h"

#include <QGridLayout>

AnalyserGui::AnalyserGui(ColonySettings* colonySettings, Settings_Change_Helper* imageStitcherSettings,
                         QWidget* parent)
    : QWidget(parent)
    , ui(new Ui_AnalyserGui)
    , m_colonySettings(colonySettings)
    , m_imageStitcherSettings(imageStitcherSettings)
{
    ui->setupUi(this);
    ui->gridLayout->setContentsMargins(0, 0, 0, 0);
    Gui_Helper::setObjectName(this, QString());
    Gui_Helper::applyWidgetStyles(this, true, true, true);
    Gui_Helper::restoreWindowLayout(this, QString());

    connect(ui->m_TabWidgetAnalyserViews, SIGNAL(currentChanged(int)), this,
            SLOT(slot_TabWidgetAnalyserViews_currentChanged(int)));
    if (m_colonySettings) {
        connect(m_colonySettings, SIGNAL(signal_custom(ColonySettings::Enum_CustomSignal,QVariant)), this,
                SLOT(slot_ColonySettings_custom(ColonySettings::Enum_CustomSignal,QVariant)));
    }
    if (m_imageStitcherSettings) {
        connect(m_imageStitcherSettings, SIGNAL(signal_custom(int,QVariant)), this,
                SLOT(slot_ImageStitcherSettings_custom(int,QVariant)));
    }
}

AnalyserGui::~AnalyserGui()
{
    Gui_Helper::saveWindowLayout(this, QString());
    delete ui;
    ui = nullptr;
}

QWidget* AnalyserGui::imageStitcherPage() const
{
    return ui->m_TabPageImageStitcher;
}

QWidget* AnalyserGui::imageStitcherResultPage() const
{
    return ui->m_TabPageImageStitcherResult;
}

QWidget* AnalyserGui::colonyAnalyserPage() const
{
    return ui->m_TabPageColonyAnalyser;
}

void AnalyserGui::showImageStitcher()
{
    ui->m_TabWidgetAnalyserViews->setCurrentWidget(ui->m_TabPageImageStitcher);
}

QWidget* AnalyserGui::currentPage() const
{
    return ui->m_TabWidgetAnalyserViews->currentWidget();
}

int AnalyserGui::currentView() const
{
    return currentPage() == ui->m_TabPageColonyAnalyser ? 1 : 2;
}

void AnalyserGui::slot_TabWidgetAnalyserViews_currentChanged(int)
{
    if (currentPage() == ui->m_TabPageColonyAnalyser) {
        if (m_colonySettings)
            m_colonySettings->emitCustom(ColonySettings::CustomSignal_PageLeft);
    } else if (m_imageStitcherSettings) {
        QMetaObject::invokeMethod(m_imageStitcherSettings, "signal_custom", Qt::DirectConnection,
                                  Q_ARG(int, ImageStitcherFocus), Q_ARG(QVariant, QVariant()));
    }
}

void AnalyserGui::slot_ColonySettings_custom(ColonySettings::Enum_CustomSignal number, QVariant)
{
    if (number == ColonySettings::CustomSignal_PageLeft)
        ui->m_TabWidgetAnalyserViews->setCurrentWidget(ui->m_TabPageColonyAnalyser);
}

void AnalyserGui::slot_ImageStitcherSettings_custom(int number, QVariant)
{
    // The result page also belongs to the stitcher's work and stays when it is shown.
    if (number == ImageStitcherFocus && currentPage() == ui->m_TabPageColonyAnalyser)
        showImageStitcher();
}
