#pragma once

#include "ModelMatching.h"
#include "ModelMatching_Editor_Gui.h"
#include "RectangleDrawStyle.h"

#include <Errors.h>
#include <Hobject.h>

#include <QString>

#include <memory>

class ModelMatching_ModelPicture;

namespace Ui {
class ModelMatching_ModelSettings_ModelPicture_Gui;
}

// The template picture editor: switches between analyse and define-model mode, takes the
// shown picture as template on request, and loads a template from a picture file. The
// template, its file and the mode live in the template picture it owns (registered with
// the facade as the setup's template picture); this widget shows and drives it. It shows
// no picture itself. GUI thread only.
class ModelMatching_ModelSettings_ModelPicture_Gui : public ModelMatching_Editor_Gui {
    Q_OBJECT
public:
    using Enum_Mode = ModelMatching::Enum_Mode;

    // Registers its template picture and itself with the facade when one is given. Starts
    // in analyse mode.
    ModelMatching_ModelSettings_ModelPicture_Gui(ModelMatching* facade, const RectangleDrawStyle& style,
                                                 QWidget* parent = nullptr);
    ~ModelMatching_ModelSettings_ModelPicture_Gui() override;

    // 1 analyse or 2 define model (the same mode announces nothing); 10000 otherwise.
    Errors::Type_Error SetMode(int mode);
    int GetMode() const;

    // The picture becomes the template, living in memory until it is saved.
    Errors::Type_Error SetModelPicture(const Halcon::Hobject& picture);
    // The template (read from its file first when it is due); 10002 when there is none.
    Errors::Type_Error GetModelPicture(Halcon::Hobject& picture) const;
    // The template picture file beside the settings file (folder and base name of that file).
    Errors::Type_Error LoadFiles(const QString& folder, const QString& baseName);
    Errors::Type_Error SaveFiles(const QString& folder, const QString& baseName);
    QString ModelPictureFileName(const QString& baseName) const;

    // Enables or disables the buttons' group. Always 0.
    Errors::Type_Error SetEnabled(bool enabled);
    // Nothing to show from the record. Always 0.
    Errors::Type_Error UpdateWidget();

    ModelMatching_ModelPicture* GetModelPictureSource() const { return m_modelPicture; }

signals:
    // signal_SettingChanged announces a new template; signal_AnalysingAbort and
    // signal_NewDialogSettings are never emitted here.
    void signal_UseCurrentPicture();
    void signal_LoadFromFile();
    void signal_ModeChanged(ModelMatching::Enum_Mode mode);

private slots:
    void slot_QPushButton_DefineModel_clicked();
    void slot_QPushButton_UseCurrent_clicked();
    void slot_QPushButton_LoadFromFile_clicked();

private:
    // Buttons, texts and highlight of the mode.
    void showMode(int mode);

    std::unique_ptr<Ui::ModelMatching_ModelSettings_ModelPicture_Gui> m_ui;
    const RectangleDrawStyle m_style;
    // A child of this widget.
    ModelMatching_ModelPicture* m_modelPicture = nullptr;
    QString m_lastPictureFile;
};
