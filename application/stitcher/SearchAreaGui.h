#pragma once

#include "SearchAreaDrawSettings.h"

#include <QWidget>

#include <memory>

class IHalconView;
class QDoubleSpinBox;
class SearchAreaMouseHandler;
class SearchAreaSettings;

namespace Ui {
class SearchAreaGui;
}

// Edits one cross search area: five spin boxes and the two mouse tools of its handler on the
// viewer of the area's picture position. Entered values go straight into the record, bounded
// only by the spin boxes' ranges; the widget keeps no copy. The owner turns
// signal_SettingChanged into the record's change notice and signal_AnalysingAbort into an
// abort of a running stitch. GUI thread only.
class SearchAreaGui : public QWidget {
    Q_OBJECT
public:
    // Neither view nor settings is owned; settings may be null (edits are then ignored) and
    // must outlive the widget. parent is the placeholder the widget fills.
    SearchAreaGui(IHalconView* view, const SearchAreaDrawSettings& draw, SearchAreaSettings* settings,
                  QWidget* parent = nullptr);
    ~SearchAreaGui() override;

    void setTitle(const QString& title);
    // Attaches the widget and its mouse tools to another record and shows its values.
    void setSearchAreaSettings(SearchAreaSettings* settings);
    SearchAreaSettings* searchAreaSettings() const { return m_settings; }
    // Shows the record's values; reports nothing and writes nothing.
    void updateFromSettings();

    SearchAreaMouseHandler* mouseHandler() const { return m_handler; }

signals:
    void signal_SettingChanged();
    void signal_AnalysingAbort();
    void signal_NewDialogSettings();

private slots:
    void slot_SearchAreaMouseHandler_SettingChanged();
    void slot_SearchAreaMouseHandler_AnalysingAbort();
    void slot_SearchAreaMouseHandler_NewDialogSettings();
    void slot_QDoubleSpinBox_SearchPosition_PositionX_valueChanged(double d);
    void slot_QDoubleSpinBox_SearchPosition_PositionY_valueChanged(double d);
    void slot_QDoubleSpinBox_SearchPosition_SizeX_valueChanged(double d);
    void slot_QDoubleSpinBox_SearchPosition_SizeY_valueChanged(double d);
    void slot_QDoubleSpinBox_SearchPosition_Angle_valueChanged(double d);

private:
    // Stores value into the attached record's field and announces it.
    void store(double SearchAreaSettings::*field, double value);

    std::unique_ptr<Ui::SearchAreaGui> m_ui;
    SearchAreaSettings* m_settings = nullptr;
    SearchAreaMouseHandler* m_handler = nullptr;
};
