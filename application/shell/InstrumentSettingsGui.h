#pragma once

#include <QDialog>

#include <memory>

class InstrumentSettings;
class Ui_InstrumentSettingsGui;

// The modal dialog "Channel Offset Settings": one row per pipetting channel with its X and
// Y offset. OK takes the values over only when every cell is a finite number; the caller
// saves the record.
class InstrumentSettingsGui : public QDialog {
    Q_OBJECT
public:
    InstrumentSettingsGui(InstrumentSettings* settings, QWidget* parent = nullptr);
    ~InstrumentSettingsGui() override;

private slots:
    void slot_accepted();
    void slot_rejected();

private:
    std::unique_ptr<Ui_InstrumentSettingsGui> ui;
    InstrumentSettings* m_settings;
};
