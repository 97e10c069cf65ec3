#include "ModelMatching.h"

#include "ModelMatchingErrors.h"
#include "ModelMatchingPendingFiles.h"
#include "ModelMatching_Analyse_CreateModel.h"
#include "ModelMatching_Analyse_SearchModel.h"
#include "ModelMatching_AnalyseSettings_Gui.h"
#include "ModelMatching_ModelPicture.h"
#include "ModelMatching_ModelSettings_Gui.h"
#include "ModelMatching_ModelSettings_ModelPicture_Gui.h"

#include <QDir>
#include <QFileInfo>
#include <QMutexLocker>

using Halcon::Hobject;

namespace {

// The editors' signals leave the facade as its own signals of the same names.
template <typename Editor>
void relayEditorSignals(Editor* editor, ModelMatching* facade)
{
    QObject::connect(editor, &Editor::signal_AnalysingAbort, facade, &ModelMatching::signal_AnalysingAbort);
    QObject::connect(editor, &Editor::signal_NewDialogSettings, facade, &ModelMatching::signal_NewDialogSettings);
}

} // namespace

ModelMatching::ModelMatching(const QString& name, ModelMatchingSettings* settings, QObject* parent)
    : QObject(parent), m_name(name), m_settings(settings)
{
    qRegisterMetaType<ModelMatching::Enum_Mode>("ModelMatching::Enum_Mode");
}

ModelMatching::~ModelMatching() = default;

void ModelMatching::SetCreateWorker(ModelMatching_Analyse_CreateModel* worker)
{
    QMutexLocker lock(&m_partsMutex);
    m_createWorker = worker;
}

void ModelMatching::SetSearchWorker(ModelMatching_Analyse_SearchModel* worker)
{
    QMutexLocker lock(&m_partsMutex);
    m_searchWorker = worker;
}

void ModelMatching::SetModelPictureSource(ModelMatching_ModelPicture* source)
{
    ModelMatching_ModelPicture* previous = GetModelPictureSource();
    if (previous)
        disconnect(previous, nullptr, this, nullptr);
    {
        QMutexLocker lock(&m_partsMutex);
        m_modelPicture = source;
    }
    if (!source)
        return;
    connect(source, &ModelMatching_ModelPicture::signal_SettingChanged, this,
            &ModelMatching::slot_ModelMatching_ModelPicture_SettingChanged);
    connect(source, &ModelMatching_ModelPicture::signal_ModeChanged, this,
            &ModelMatching::slot_ModelMatching_ModelPicture_ModeChanged);
}

void ModelMatching::SetModelSettingsGui(ModelMatching_ModelSettings_Gui* widget)
{
    if (m_modelSettingsGui)
        disconnect(m_modelSettingsGui, nullptr, this, nullptr);
    m_modelSettingsGui = widget;
    if (!widget)
        return;
    connect(widget, &ModelMatching_ModelSettings_Gui::signal_SettingChanged, this,
            &ModelMatching::signal_SettingChanged);
    relayEditorSignals(widget, this);
    // Without a template picture the mode is 0, which the editor refuses and stays as it is.
    widget->SetMode(GetMode());
}

void ModelMatching::SetAnalyseSettingsGui(ModelMatching_AnalyseSettings_Gui* widget)
{
    if (m_analyseSettingsGui)
        disconnect(m_analyseSettingsGui, nullptr, this, nullptr);
    m_analyseSettingsGui = widget;
    if (!widget)
        return;
    connect(widget, &ModelMatching_AnalyseSettings_Gui::signal_SettingChanged, this,
            &ModelMatching::signal_SettingChanged);
    relayEditorSignals(widget, this);
    widget->SetMode(GetMode());
}

void ModelMatching::SetModelPictureGui(ModelMatching_ModelSettings_ModelPicture_Gui* widget)
{
    if (m_modelPictureGui)
        disconnect(m_modelPictureGui, nullptr, this, nullptr);
    m_modelPictureGui = widget;
    if (!widget)
        return;
    widget->SetMode(widget->GetMode());
    // Its new templates and mode changes arrive through its template picture source.
    relayEditorSignals(widget, this);
    connect(widget, &ModelMatching_ModelSettings_ModelPicture_Gui::signal_UseCurrentPicture, this,
            &ModelMatching::signal_UseCurrentPicture);
    connect(widget, &ModelMatching_ModelSettings_ModelPicture_Gui::signal_LoadFromFile, this,
            &ModelMatching::signal_LoadFromFile);
}

ModelMatching_ModelSettings_Gui* ModelMatching::GetModelSettingsGui() const
{
    return m_modelSettingsGui.data();
}

ModelMatching_AnalyseSettings_Gui* ModelMatching::GetAnalyseSettingsGui() const
{
    return m_analyseSettingsGui.data();
}

ModelMatching_ModelSettings_ModelPicture_Gui* ModelMatching::GetModelPictureGui() const
{
    return m_modelPictureGui.data();
}

ModelMatching_Analyse_CreateModel* ModelMatching::GetCreateWorker() const
{
    QMutexLocker lock(&m_partsMutex);
    return m_createWorker.data();
}

ModelMatching_Analyse_SearchModel* ModelMatching::GetSearchWorker() const
{
    QMutexLocker lock(&m_partsMutex);
    return m_searchWorker.data();
}

ModelMatching_ModelPicture* ModelMatching::GetModelPictureSource() const
{
    QMutexLocker lock(&m_partsMutex);
    return m_modelPicture.data();
}

bool ModelMatching::GetSettingsSnapshot(ModelMatchingSettings& snapshot) const
{
    if (!m_settings)
        return false;
    const std::unique_lock<QMutex> lock = LockSettings();
    snapshot = *m_settings;
    return true;
}

bool ModelMatching::EditSettings(const std::function<void(ModelMatchingSettings& settings)>& edit)
{
    if (!m_settings)
        return false;
    const std::unique_lock<QMutex> lock = LockSettings();
    edit(*m_settings);
    return true;
}

bool ModelMatching::TakeSnapshot(ModelMatchingSettings& settings, Hobject& modelPicture,
                                 Errors::Type_Error& pictureError) const
{
    modelPicture = Hobject();
    pictureError = ModelMatchingErrors::GeneralError;
    ModelMatching_ModelPicture* source = GetModelPictureSource();
    if (!m_settings)
        return false;
    const std::unique_lock<QMutex> lock = LockSettings();
    settings = *m_settings;
    if (source)
        pictureError = source->GetModelPicture(modelPicture);
    return true;
}

Errors::Type_Error ModelMatching::GetModelPicture(Hobject& picture) const
{
    picture = Hobject();
    ModelMatching_ModelPicture* source = GetModelPictureSource();
    return source ? source->GetModelPicture(picture) : ModelMatchingErrors::GeneralError;
}

Hobject ModelMatching::GetModelPictureCopy() const
{
    Hobject picture;
    GetModelPicture(picture);
    return picture;
}

Errors::Type_Error ModelMatching::SetModelPicture(const Hobject& picture)
{
    ModelMatching_ModelPicture* source = GetModelPictureSource();
    return source ? source->SetModelPicture(picture) : ModelMatchingErrors::GeneralError;
}

Errors::Type_Error ModelMatching::SetModelPictureMode(int mode)
{
    ModelMatching_ModelPicture* source = GetModelPictureSource();
    return source ? source->SetMode(mode) : ModelMatchingErrors::GeneralError;
}

int ModelMatching::GetMode() const
{
    ModelMatching_ModelPicture* source = GetModelPictureSource();
    return source ? source->GetMode() : 0;
}

Errors::Type_Error ModelMatching::GetModelRoiContours(Hobject& contours) const
{
    contours = Hobject();
    ModelMatching_Analyse_CreateModel* worker = GetCreateWorker();
    return worker ? worker->GetModelRoiContours(contours) : ModelMatchingErrors::GeneralError;
}

Errors::Type_Error ModelMatching::CreateModel(const ModelMatchingCreateParameters& parameters,
                                              ModelMatchingCreateResult& result)
{
    ModelMatching_Analyse_CreateModel* worker = GetCreateWorker();
    if (!worker) {
        result.Reset();
        return ModelMatchingErrors::GeneralError;
    }
    return worker->CreateModel(parameters, result);
}

Errors::Type_Error ModelMatching::SearchModel(const ModelMatchingSearchParameters& parameters,
                                              ModelMatchingSearchResult& result)
{
    ModelMatching_Analyse_SearchModel* worker = GetSearchWorker();
    if (!worker) {
        result.Reset();
        return ModelMatchingErrors::GeneralError;
    }
    return worker->SearchModel(parameters, result);
}

Errors::Type_Error ModelMatching::ClearModels()
{
    ModelMatching_Analyse_CreateModel* creator = GetCreateWorker();
    ModelMatching_Analyse_SearchModel* searcher = GetSearchWorker();
    if (creator)
        creator->ClearModel();
    if (searcher)
        searcher->ClearModel();
    return creator && searcher ? ModelMatchingErrors::NoError : ModelMatchingErrors::GeneralError;
}

Errors::Type_Error ModelMatching::LoadFiles(const QString& folder, const QString& baseName)
{
    ModelMatching_ModelPicture* source = GetModelPictureSource();
    ModelMatching_Analyse_CreateModel* creator = GetCreateWorker();
    ModelMatching_Analyse_SearchModel* searcher = GetSearchWorker();
    if (!source || !creator || !searcher)
        return ModelMatchingErrors::GeneralError;
    if (const Errors::Type_Error error = source->LoadFiles(folder, baseName); error != 0)
        return error;
    if (const Errors::Type_Error error = creator->LoadFiles(folder, baseName); error != 0)
        return error;
    return searcher->ReadModel(folder, baseName);
}

Errors::Type_Error ModelMatching::ReadFiles(const ModelMatchingSettings& settings, const QString& folder,
                                           const QString& baseName, ModelMatchingLoadedFiles& files) const
{
    return readFiles(settings, folder, baseName, false, files);
}

Errors::Type_Error ModelMatching::ReadAvailableFiles(const ModelMatchingSettings& settings, const QString& folder,
                                                    const QString& baseName, ModelMatchingLoadedFiles& files) const
{
    return readFiles(settings, folder, baseName, true, files);
}

Errors::Type_Error ModelMatching::readFiles(const ModelMatchingSettings& settings, const QString& folder,
                                           const QString& baseName, bool available,
                                           ModelMatchingLoadedFiles& files) const
{
    files = ModelMatchingLoadedFiles();
    ModelMatching_ModelPicture* source = GetModelPictureSource();
    ModelMatching_Analyse_SearchModel* searcher = GetSearchWorker();
    if (!source || !GetCreateWorker() || !searcher)
        return ModelMatchingErrors::GeneralError;
    const Errors::Type_Error pictureError = source->ReadFiles(folder, baseName, files);
    if (pictureError != 0) {
        if (!available)
            return pictureError;
        // A template file that is there stays the template's, read when it is needed: no
        // save takes the place for an empty one.
        files.picture = Hobject();
        if (!QFileInfo::exists(files.pictureFile))
            files.pictureFile.clear();
    }
    const Errors::Type_Error modelError = searcher->ReadModelFile(folder, baseName, &settings, files.model);
    return pictureError != 0 ? pictureError : modelError;
}

Errors::Type_Error ModelMatching::TakeFiles(const ModelMatchingLoadedFiles& files)
{
    ModelMatching_ModelPicture* source = GetModelPictureSource();
    ModelMatching_Analyse_CreateModel* creator = GetCreateWorker();
    ModelMatching_Analyse_SearchModel* searcher = GetSearchWorker();
    if (!source || !creator || !searcher)
        return ModelMatchingErrors::GeneralError;
    searcher->SetModel(files.model);
    creator->SetModel(files.model);
    return source->TakeFiles(files);
}

Errors::Type_Error ModelMatching::SaveFiles(const QString& folder, const QString& baseName)
{
    ModelMatchingPendingFiles pending;
    if (const Errors::Type_Error error = WriteFiles(folder, baseName, pending); error != 0)
        return error;
    return pending.commit() ? ModelMatchingErrors::NoError : ModelMatchingErrors::CannotSaveModel;
}

Errors::Type_Error ModelMatching::WriteFiles(const QString& folder, const QString& baseName,
                                            ModelMatchingPendingFiles& pending)
{
    ModelMatching_ModelPicture* source = GetModelPictureSource();
    ModelMatching_Analyse_CreateModel* creator = GetCreateWorker();
    ModelMatching_Analyse_SearchModel* searcher = GetSearchWorker();
    if (!source || !creator || !searcher)
        return ModelMatchingErrors::GeneralError;
    if (const Errors::Type_Error error = source->WriteFiles(folder, baseName, pending); error != 0)
        return error;
    if (const Errors::Type_Error error = creator->WriteModel(folder, baseName, pending); error != 0)
        return error;
    return searcher->SaveFiles(folder, baseName);
}

QString ModelMatching::GetModelPictureFileName(const QString& baseName) const
{
    ModelMatching_ModelPicture* source = GetModelPictureSource();
    return source ? source->ModelPictureFileName(baseName) : QString();
}

QString ModelMatching::GetModelDataFileName(const QString& baseName) const
{
    if (ModelMatching_Analyse_CreateModel* creator = GetCreateWorker())
        return creator->ModelDataFileName(baseName);
    if (ModelMatching_Analyse_SearchModel* searcher = GetSearchWorker())
        return searcher->ModelDataFileName(baseName);
    return QString();
}

Errors::Type_Error ModelMatching::UpdateWidgets()
{
    if (m_modelSettingsGui)
        if (const Errors::Type_Error error = m_modelSettingsGui->UpdateWidget(); error != 0)
            return error;
    if (m_analyseSettingsGui)
        if (const Errors::Type_Error error = m_analyseSettingsGui->UpdateWidget(); error != 0)
            return error;
    if (m_modelPictureGui)
        return m_modelPictureGui->UpdateWidget();
    return ModelMatchingErrors::NoError;
}

Errors::Type_Error ModelMatching::SetModelPictureEnabled(bool enabled)
{
    return m_modelPictureGui ? m_modelPictureGui->SetEnabled(enabled) : ModelMatchingErrors::NoError;
}

QString ModelMatching::ComponentFilePath(const QString& folder, const QString& baseName, const QString& name,
                                         const QString& suffix)
{
    const QString file = name.isEmpty() ? baseName + suffix : baseName + QLatin1Char('.') + name + suffix;
    return folder.isEmpty() ? file : QDir(folder).filePath(file);
}

void ModelMatching::slot_ModelMatching_ModelPicture_SettingChanged()
{
    emit signal_SettingChanged();
}

void ModelMatching::slot_ModelMatching_ModelPicture_ModeChanged(ModelMatching::Enum_Mode mode)
{
    if (m_modelSettingsGui)
        m_modelSettingsGui->SetMode(mode);
    if (m_analyseSettingsGui)
        m_analyseSettingsGui->SetMode(mode);
    if (m_modelPictureGui)
        m_modelPictureGui->SetMode(mode);
    emit signal_ModeChanged(mode);
}
