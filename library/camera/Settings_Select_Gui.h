#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class QCloseEvent;

namespace Ui {
class Settings_Select_Gui;
}

// A modal choice among the settings files of one folder, listed by base name in name order;
// the caller's current file is chosen at the start when it lies there. Knows nothing of
// the kind of settings. Ok is offered only while an entry is chosen.
class Settings_Select_Gui : public QDialog {
    Q_OBJECT
public:
    // extension with its leading dot; preselected is a path whose base name is looked for.
    Settings_Select_Gui(const QString& picturePath, const QString& prompt, const QString& folder,
                        const QString& extension, const QString& preselected, QWidget* parent = nullptr);
    ~Settings_Select_Gui() override;

    // The chosen base name; empty after Cancel or closing.
    QString selectedSettings() const { return m_selected; }

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void slot_QPushButton_Ok_clicked();
    void slot_QPushButton_Cancel_clicked();

private:
    void fillList();
    void updateOkEnabled();

    std::unique_ptr<Ui::Settings_Select_Gui> m_ui;
    QString m_folder;
    QString m_extension;
    QString m_preselected;
    QString m_selected;
};
