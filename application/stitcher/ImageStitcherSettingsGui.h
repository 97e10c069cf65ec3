#pragma once

#include <ImageStitcherSettings.h>
#include <ModelMatching.h>

#include <QList>
#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <array>
#include <memory>

class Hobject_View_Gui;
class IHalconView;
class IImageStitcherSettingsHost;
class ImageStitcherSettingsFileActions;
class ModelMatching_AnalyseSettings_Gui;
class ModelMatching_ModelSettings_Gui;
class ModelMatching_ModelSettings_ModelPicture_Gui;
class SearchAreaGui;

namespace Ui {
class ImageStitcherSettingsGui;
}

// The dockable editor of the one image stitcher settings record: the cross-model page (the
// three model-matching editors and the plane distances) and one page per picture position
// with the search areas of its two crosses, drawn on that position's viewer. Each entered
// value goes straight into the record, bounded only by the widgets' ranges, and is announced
// through the record's debounced change notice and its custom signal 3 (modified). Changes
// made elsewhere (loads, defaults) reach the widgets through the record's custom signal. The
// title of the parent (the dock) shows the settings name and a "*" while modified. GUI
// thread only.
//
// Widgets are written from the record only while their signals are blocked, so showing
// values never counts as an edit and never writes into the record.
class ImageStitcherSettingsGui : public QWidget {
    Q_OBJECT
public:
    static constexpr int SearchAreaCount = 12;

    // Nothing is owned but the form and the editors made here. views are the six drawing
    // views of the position viewers in picture order (missing ones draw nowhere);
    // pictureView is the cross-model viewer. parent is the dock that shows the editor.
    ImageStitcherSettingsGui(IImageStitcherSettingsHost* host, const QList<IHalconView*>& views,
                             Hobject_View_Gui* pictureView, ImageStitcherSettings* settings,
                             ModelMatching* crossModel, QWidget* parent = nullptr);
    ~ImageStitcherSettingsGui() override;

    void updateWindowTitle();
    // Offers to save modified settings. false when the caller must not replace them: the
    // operator wanted them saved and the save failed or was cancelled.
    bool askSaveModified();
    bool isModified() const { return m_modified; }

    // Picture 1 point 1, picture 1 point 2, picture 2 point 1, ...
    SearchAreaGui* searchAreaGui(int index) const;
    ModelMatching_AnalyseSettings_Gui* searchSettingsGui() const { return m_searchSettingsGui; }
    ModelMatching_ModelSettings_Gui* modelSettingsGui() const { return m_modelSettingsGui; }
    ModelMatching_ModelSettings_ModelPicture_Gui* modelPictureGui() const { return m_modelPictureGui; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void slot_ImageStitcherSettings_custom(int number, const QVariant& data);
    void slot_SettingsTab_currentChanged(int index);
    void slot_ImageStitcherDistance_valueChanged(double d);
    void slot_CrossModel_SettingChanged();
    void slot_CrossModel_AnalysingAbort();
    void slot_CrossModel_NewDialogSettings();
    void slot_CrossModelSearchArea_SettingChanged();
    void slot_CrossModelSearchArea_AnalysingAbort();

private:
    void createModelMatchingEditors(Hobject_View_Gui* pictureView);
    void createSearchAreaEditors(const QList<IHalconView*>& views);
    void connectWidgets();
    // The record's debounced change notice and the modified mark.
    void markChanged();
    void requestAbort();

    IImageStitcherSettingsHost* m_host = nullptr;
    // Guarded: the record and the facade may go before the editor at the end of the program.
    QPointer<ImageStitcherSettings> m_settings;
    QPointer<ModelMatching> m_crossModel;
    std::unique_ptr<Ui::ImageStitcherSettingsGui> m_ui;
    ImageStitcherSettingsFileActions* m_fileActions = nullptr;
    std::array<SearchAreaGui*, SearchAreaCount> m_searchAreas = {};
    ModelMatching_AnalyseSettings_Gui* m_searchSettingsGui = nullptr;
    ModelMatching_ModelSettings_Gui* m_modelSettingsGui = nullptr;
    ModelMatching_ModelSettings_ModelPicture_Gui* m_modelPictureGui = nullptr;
    bool m_modified = false;
};
