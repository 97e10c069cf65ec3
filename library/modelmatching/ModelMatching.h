#pragma once

#include "ModelMatchingContours.h"
#include "ModelMatchingCreateParameters.h"
#include "ModelMatchingLoadedFiles.h"
#include "ModelMatchingSearchParameters.h"
#include "ModelMatchingSearchResult.h"
#include "ModelMatchingSettings.h"
#include "ModelMatchingTransform.h"

#include <Errors.h>
#include <Hobject.h>

#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <mutex>

class ModelMatching_Analyse_CreateModel;
class ModelMatching_Analyse_SearchModel;
class ModelMatching_AnalyseSettings_Gui;
class ModelMatching_ModelPicture;
class ModelMatching_ModelSettings_Gui;
class ModelMatching_ModelSettings_ModelPicture_Gui;
class ModelMatchingPendingFiles;

// Ties one model-matching setup together: the settings record (owned by the caller), the
// template picture, the create worker, the search worker and the three editors (model
// settings, search settings, template picture). The parts register themselves when they
// are made and reach each other only through this object; callers outside use only this
// object and connect to its signals once. The contour operations of ModelMatchingContours
// are its static operations too.
//
// Threads: registration, the editors and the signals belong to the GUI thread; creation and search
// run in the thread that calls them (the image stitcher's worker). The settings record is
// shared with the editors: whoever changes it holds LockSettings(), and the workers copy
// it (with the template picture) under that lock when they start, so an edit never
// changes what a running creation or search reads.
class ModelMatching : public QObject, public ModelMatchingContours {
    Q_OBJECT
public:
    enum Enum_Mode { Mode_Analyse = 1, Mode_DefineModel = 2 };

    // Registers the meta type "ModelMatching::Enum_Mode" for queued connections.
    ModelMatching(const QString& name, ModelMatchingSettings* settings, QObject* parent = nullptr);
    ~ModelMatching() override;

    // Called by the parts' constructors; null unregisters. A part that goes away is
    // forgotten.
    void SetCreateWorker(ModelMatching_Analyse_CreateModel* worker);
    void SetSearchWorker(ModelMatching_Analyse_SearchModel* worker);
    void SetModelPictureSource(ModelMatching_ModelPicture* source);
    // The editors register themselves (GUI thread); null unregisters and removes every
    // connection of the one registered before. A registered model or search settings
    // editor takes the current mode at once; mode changes reach all three editors.
    void SetModelSettingsGui(ModelMatching_ModelSettings_Gui* widget);
    void SetAnalyseSettingsGui(ModelMatching_AnalyseSettings_Gui* widget);
    void SetModelPictureGui(ModelMatching_ModelSettings_ModelPicture_Gui* widget);

    QString GetName() const { return m_name; }
    ModelMatchingSettings* GetSettings() const { return m_settings; }
    ModelMatching_Analyse_CreateModel* GetCreateWorker() const;
    ModelMatching_Analyse_SearchModel* GetSearchWorker() const;
    ModelMatching_ModelPicture* GetModelPictureSource() const;
    ModelMatching_ModelSettings_Gui* GetModelSettingsGui() const;
    ModelMatching_AnalyseSettings_Gui* GetAnalyseSettingsGui() const;
    ModelMatching_ModelSettings_ModelPicture_Gui* GetModelPictureGui() const;

    // Held by every writer of the settings record (editors, file loading) while it writes.
    std::unique_lock<QMutex> LockSettings() const { return std::unique_lock<QMutex>(m_settingsMutex); }
    // Runs edit on the settings record under the lock; false (nothing run) without a record.
    bool EditSettings(const std::function<void(ModelMatchingSettings& settings)>& edit);
    // A copy of the settings record taken under the lock; false without a record.
    bool GetSettingsSnapshot(ModelMatchingSettings& snapshot) const;
    // The settings record and the template picture, copied together under the lock; false
    // without a record. pictureError is the template's own result (10002 when there is
    // none, 10000 without a template picture source).
    bool TakeSnapshot(ModelMatchingSettings& settings, Halcon::Hobject& modelPicture,
                      Errors::Type_Error& pictureError) const;

    // ---- Operations: each returns 0 or an error code; a missing part gives 10000 ------

    Errors::Type_Error GetModelPicture(Halcon::Hobject& picture) const;
    // Empty when there is no template picture.
    Halcon::Hobject GetModelPictureCopy() const;
    Errors::Type_Error SetModelPicture(const Halcon::Hobject& picture);
    Errors::Type_Error SetModelPictureMode(int mode);
    // The template picture's mode; 0 without a template picture source.
    int GetMode() const;
    Errors::Type_Error GetModelRoiContours(Halcon::Hobject& contours) const;
    Errors::Type_Error CreateModel(const ModelMatchingCreateParameters& parameters, ModelMatchingCreateResult& result);
    Errors::Type_Error SearchModel(const ModelMatchingSearchParameters& parameters, ModelMatchingSearchResult& result);
    Errors::Type_Error ClearModels();
    // Template picture, then the shape model; the first failure ends the sequence.
    Errors::Type_Error LoadFiles(const QString& folder, const QString& baseName);
    // The files beside a settings file for settings about to be taken, read without changing
    // anything here: the first failure, template picture first. TakeFiles then takes them
    // (analyse mode, the model for both workers).
    Errors::Type_Error ReadFiles(const ModelMatchingSettings& settings, const QString& folder, const QString& baseName,
                                 ModelMatchingLoadedFiles& files) const;
    Errors::Type_Error TakeFiles(const ModelMatchingLoadedFiles& files);
    // As ReadFiles, for settings that are taken whatever their files hold (when nothing else
    // is there to keep): a file that does not read is left out instead of ending the read,
    // and a template file that is there but does not read stays the template's file, to be
    // read when needed. Returns the first failure all the same.
    Errors::Type_Error ReadAvailableFiles(const ModelMatchingSettings& settings, const QString& folder,
                                          const QString& baseName, ModelMatchingLoadedFiles& files) const;
    // Both files are written before either is put in place: a failure leaves them as they
    // were.
    Errors::Type_Error SaveFiles(const QString& folder, const QString& baseName);
    // The same, put in place by pending's commit; until then nothing changes.
    Errors::Type_Error WriteFiles(const QString& folder, const QString& baseName, ModelMatchingPendingFiles& pending);
    // baseName + "." + part name + the file ending; empty without the part.
    QString GetModelPictureFileName(const QString& baseName) const;
    QString GetModelDataFileName(const QString& baseName) const;
    // The model and search settings editors show the record again, then the template
    // picture editor; missing editors are passed over; the first failure ends it.
    Errors::Type_Error UpdateWidgets();
    // Enables or disables the template picture editor's controls; 0 without it.
    Errors::Type_Error SetModelPictureEnabled(bool enabled);

    // folder + "/" + baseName + "." + name + suffix; the name part is left out when name
    // is empty, the folder part when folder is empty.
    static QString ComponentFilePath(const QString& folder, const QString& baseName, const QString& name,
                                     const QString& suffix);

signals:
    void signal_SettingChanged();
    void signal_AnalysingAbort();
    void signal_NewDialogSettings();
    void signal_UseCurrentPicture();
    void signal_LoadFromFile();
    void signal_ModeChanged(ModelMatching::Enum_Mode mode);

private slots:
    void slot_ModelMatching_ModelPicture_SettingChanged();
    // Brings the editors to the new mode before it is announced.
    void slot_ModelMatching_ModelPicture_ModeChanged(ModelMatching::Enum_Mode mode);

private:
    // ReadFiles, or with available ReadAvailableFiles.
    Errors::Type_Error readFiles(const ModelMatchingSettings& settings, const QString& folder, const QString& baseName,
                                 bool available, ModelMatchingLoadedFiles& files) const;

    QString m_name;
    ModelMatchingSettings* m_settings = nullptr;
    mutable QMutex m_settingsMutex;
    // The parts live in the GUI thread and are read by the worker thread.
    mutable QMutex m_partsMutex;
    QPointer<ModelMatching_Analyse_CreateModel> m_createWorker;
    QPointer<ModelMatching_Analyse_SearchModel> m_searchWorker;
    QPointer<ModelMatching_ModelPicture> m_modelPicture;
    // GUI thread only.
    QPointer<ModelMatching_ModelSettings_Gui> m_modelSettingsGui;
    QPointer<ModelMatching_AnalyseSettings_Gui> m_analyseSettingsGui;
    QPointer<ModelMatching_ModelSettings_ModelPicture_Gui> m_modelPictureGui;
};

Q_DECLARE_METATYPE(ModelMatching::Enum_Mode)
