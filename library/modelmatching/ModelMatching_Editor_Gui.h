#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class ModelMatching;
class ModelMatchingSettings;

// What the three model-matching editors share: their facade, the way an entered value
// reaches the settings record, the look of their forms and the three signals the facade
// relays to its owner. GUI thread only.
class ModelMatching_Editor_Gui : public QWidget {
    Q_OBJECT
signals:
    // A value of the record was changed here.
    void signal_SettingChanged();
    // A mouse tool begins on the viewer: a running analysis must stop.
    void signal_AnalysingAbort();
    // The record was changed behind the forms: they must show it again.
    void signal_NewDialogSettings();

protected:
    ModelMatching_Editor_Gui(ModelMatching* facade, QWidget* parent);

    // The facade's record; null without facade or record.
    ModelMatchingSettings* settings() const;
    // Writes into the record under its lock, then signal_SettingChanged; false (nothing
    // written, nothing announced) without a record.
    bool edit(const std::function<void(ModelMatchingSettings& settings)>& change);
    // After setupUi: the class name as object name, the library's look, the placeholder filled.
    void styleForm();
    // The mouse tools' signals leave as this editor's own.
    template <typename MouseDraw>
    void relayMouseDraw(MouseDraw* mouseDraw)
    {
        connect(mouseDraw, &MouseDraw::signal_SettingChanged, this, &ModelMatching_Editor_Gui::signal_SettingChanged);
        connect(mouseDraw, &MouseDraw::signal_AnalysingAbort, this, &ModelMatching_Editor_Gui::signal_AnalysingAbort);
        connect(mouseDraw, &MouseDraw::signal_NewDialogSettings, this,
                &ModelMatching_Editor_Gui::signal_NewDialogSettings);
    }

    const QPointer<ModelMatching> m_facade;
};
