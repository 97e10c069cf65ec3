#include "ModelMatching_ModelSettings_ModelPicture_Gui.h"

#include "ModelMatchingErrors.h"
#include "ModelMatching_ModelPicture.h"
#include "ui_ModelMatching_ModelSettings_ModelPicture_Gui.h"

#include <Halcon_Helper.h>
#include <LibraryFunctions.h>
#include <MessageBox_Helper.h>

#include <QPalette>

namespace {

const QColor kNoHighlight(0, 0, 0, 0);

} // namespace

ModelMatching_ModelSettings_ModelPicture_Gui::ModelMatching_ModelSettings_ModelPicture_Gui(
    ModelMatching* facade, const RectangleDrawStyle& style, QWidget* parent)
    : ModelMatching_Editor_Gui(facade, parent)
    , m_ui(std::make_unique<Ui::ModelMatching_ModelSettings_ModelPicture_Gui>())
    , m_style(style)
{
    qRegisterMetaType<ModelMatching::Enum_Mode>("ModelMatching_ModelSettings_ModelPicture_Gui::Enum_Mode");
    m_modelPicture = new ModelMatching_ModelPicture(
        facade, m_style.name, m_style.mode == RectangleDrawStyle::Mode_LoadOnDemand, this);
    connect(m_modelPicture, &ModelMatching_ModelPicture::signal_SettingChanged, this,
            &ModelMatching_ModelSettings_ModelPicture_Gui::signal_SettingChanged);
    connect(m_modelPicture, &ModelMatching_ModelPicture::signal_ModeChanged, this,
            &ModelMatching_ModelSettings_ModelPicture_Gui::signal_ModeChanged);
    // Whoever changes the mode (the facade, a file load), the buttons follow.
    connect(m_modelPicture, &ModelMatching_ModelPicture::signal_ModeChanged, this,
            &ModelMatching_ModelSettings_ModelPicture_Gui::showMode);

    m_ui->setupUi(this);
    styleForm();
    SetMode(ModelMatching::Mode_Analyse);

    connect(m_ui->m_QPushButton_DefineModel, &QPushButton::clicked, this,
            &ModelMatching_ModelSettings_ModelPicture_Gui::slot_QPushButton_DefineModel_clicked);
    connect(m_ui->m_QPushButton_UseCurrent, &QPushButton::clicked, this,
            &ModelMatching_ModelSettings_ModelPicture_Gui::slot_QPushButton_UseCurrent_clicked);
    connect(m_ui->m_QPushButton_LoadFromFile, &QPushButton::clicked, this,
            &ModelMatching_ModelSettings_ModelPicture_Gui::slot_QPushButton_LoadFromFile_clicked);

    if (facade)
        facade->SetModelPictureGui(this);
}

ModelMatching_ModelSettings_ModelPicture_Gui::~ModelMatching_ModelSettings_ModelPicture_Gui()
{
    if (m_facade && m_facade->GetModelPictureGui() == this)
        m_facade->SetModelPictureGui(nullptr);
    // Its signals must not reach this half-destroyed widget.
    disconnect(m_modelPicture, nullptr, this, nullptr);
}

Errors::Type_Error ModelMatching_ModelSettings_ModelPicture_Gui::SetMode(int mode)
{
    const Errors::Type_Error error = m_modelPicture->SetMode(mode);
    if (error == 0)
        showMode(mode);
    return error;
}

int ModelMatching_ModelSettings_ModelPicture_Gui::GetMode() const
{
    return m_modelPicture->GetMode();
}

Errors::Type_Error ModelMatching_ModelSettings_ModelPicture_Gui::SetModelPicture(const Halcon::Hobject& picture)
{
    return m_modelPicture->SetModelPicture(picture);
}

Errors::Type_Error ModelMatching_ModelSettings_ModelPicture_Gui::GetModelPicture(Halcon::Hobject& picture) const
{
    return m_modelPicture->GetModelPicture(picture);
}

Errors::Type_Error ModelMatching_ModelSettings_ModelPicture_Gui::LoadFiles(const QString& folder,
                                                                           const QString& baseName)
{
    return m_modelPicture->LoadFiles(folder, baseName);
}

Errors::Type_Error ModelMatching_ModelSettings_ModelPicture_Gui::SaveFiles(const QString& folder,
                                                                           const QString& baseName)
{
    return m_modelPicture->SaveFiles(folder, baseName);
}

QString ModelMatching_ModelSettings_ModelPicture_Gui::ModelPictureFileName(const QString& baseName) const
{
    return m_modelPicture->ModelPictureFileName(baseName);
}

Errors::Type_Error ModelMatching_ModelSettings_ModelPicture_Gui::SetEnabled(bool enabled)
{
    m_ui->m_QGroupBox_ModelPicture->setEnabled(enabled);
    return ModelMatchingErrors::NoError;
}

Errors::Type_Error ModelMatching_ModelSettings_ModelPicture_Gui::UpdateWidget()
{
    return ModelMatchingErrors::NoError;
}

void ModelMatching_ModelSettings_ModelPicture_Gui::showMode(int mode)
{
    if (mode != ModelMatching::Mode_Analyse && mode != ModelMatching::Mode_DefineModel)
        return;
    const bool define = mode == ModelMatching::Mode_DefineModel;
    m_ui->m_QPushButton_UseCurrent->setEnabled(!define);
    m_ui->m_QPushButton_LoadFromFile->setEnabled(true);
    m_ui->m_QPushButton_DefineModel->setText(define ? tr("Switch to analyse mode") : tr("Switch to define model"));
    if (m_style.brush.color() == kNoHighlight)
        return;
    QPalette palette = m_ui->m_QGroupBox_ModelPicture->palette();
    const QBrush brush = define ? m_style.brush : QBrush(kNoHighlight);
    palette.setBrush(QPalette::Active, QPalette::Window, brush);
    palette.setBrush(QPalette::Inactive, QPalette::Window, brush);
    m_ui->m_QGroupBox_ModelPicture->setPalette(palette);
    m_ui->m_QGroupBox_ModelPicture->setAutoFillBackground(define);
}

void ModelMatching_ModelSettings_ModelPicture_Gui::slot_QPushButton_DefineModel_clicked()
{
    const int mode = GetMode();
    if (mode == ModelMatching::Mode_DefineModel) {
        SetMode(ModelMatching::Mode_Analyse);
        return;
    }
    if (mode != ModelMatching::Mode_Analyse)
        return;
    if (!m_modelPicture->HasModelPicture()) {
        MessageBox_Helper::critical(this, tr("Model template picture"), tr("No model template picture defined!"));
        return;
    }
    SetMode(ModelMatching::Mode_DefineModel);
}

void ModelMatching_ModelSettings_ModelPicture_Gui::slot_QPushButton_UseCurrent_clicked()
{
    if (MessageBox_Helper::question(this, tr("Model template picture"),
                                    tr("Do you want use the current picture for the model template?"),
                                    QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes)
        emit signal_UseCurrentPicture();
}

void ModelMatching_ModelSettings_ModelPicture_Gui::slot_QPushButton_LoadFromFile_clicked()
{
    if (!m_facade)
        return;
    const QString file = MessageBox_Helper::getOpenFileName(this, tr("Select picture for model template"),
                                                            m_lastPictureFile,
                                                            Halcon_Helper::PictureFileFilter());
    // The dialog may have moved the current folder, which relative paths depend on.
    setCurrentDirToApplicationDir();
    if (file.isEmpty())
        return;
    m_lastPictureFile = file;
    Halcon::Hobject picture;
    if (const Errors::Type_Error error = Halcon_Helper::LoadImageFile(file, picture); error != 0) {
        MessageBox_Helper::critical(this, tr("Read image error"), tr("%1!").arg(Errors::getErrorText(error)));
        return;
    }
    if (const Errors::Type_Error error = m_facade->SetModelPicture(picture); error != 0) {
        MessageBox_Helper::critical(this, tr("Set model picture error"), tr("%1!").arg(Errors::getErrorText(error)));
        return;
    }
    emit signal_LoadFromFile();
}
