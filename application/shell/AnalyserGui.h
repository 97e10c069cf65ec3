#pragma once

#include "ColonySettings.h"

#include <QVariant>
#include <QWidget>

class Settings_Change_Helper;
class Ui_AnalyserGui;

// The main window's central tab page: "Image Stitcher", "Image Stitcher Result" and "Colony
// Analyser". It keeps the shown page and the work in focus in step: a page change announces
// the focus through the settings record of that work (colony 20, image stitcher 30), and
// such an announcement from elsewhere brings its page to the front.
class AnalyserGui : public QWidget {
    Q_OBJECT
public:
    // imageStitcherSettings: the image stitcher settings record, reached through its
    // signal_custom(int, QVariant).
    AnalyserGui(ColonySettings* colonySettings, Settings_Change_Helper* imageStitcherSettings, QWidget* parent = nullptr);
    ~AnalyserGui() override;

    static constexpr int ColonyFocus = ColonySettings::CustomSignal_PageLeft;
    static constexpr int ImageStitcherFocus = 30;

    QWidget* imageStitcherPage() const;
    QWidget* imageStitcherResultPage() const;
    QWidget* colonyAnalyserPage() const;
    void showImageStitcher();
    QWidget* currentPage() const;
    // 1 while the Colony Analyser page is shown, else 2.
    int currentView() const;

private slots:
    void slot_TabWidgetAnalyserViews_currentChanged(int index);
    void slot_ColonySettings_custom(ColonySettings::Enum_CustomSignal number, QVariant data);
    void slot_ImageStitcherSettings_custom(int number, QVariant data);

private:
    Ui_AnalyserGui* ui;
    ColonySettings* m_colonySettings;
    Settings_Change_Helper* m_imageStitcherSettings;
};
