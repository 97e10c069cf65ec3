#include "Settings_Select_Gui.h"

#include "ui_Settings_Select_Gui.h"

#include <Gui_Helper.h>
#include <LibraryFunctions.h>

#include <QCloseEvent>
#include <QDir>
#include <QPixmap>

Settings_Select_Gui::Settings_Select_Gui(const QString& picturePath, const QString& prompt, const QString& folder,
                                         const QString& extension, const QString& preselected, QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::Settings_Select_Gui>())
    , m_folder(folder)
    , m_extension(extension)
    , m_preselected(preselected)
{
    m_ui->setupUi(this);
    Gui_Helper::setObjectName(this, QString());
    m_ui->m_QLabel_Bild->setPixmap(QPixmap(picturePath));
    m_ui->m_QLabel_UserText->setText(prompt);
    fillList();
    m_ui->m_QPushButton_Ok->setDefault(true);
    Gui_Helper::applyWidgetStyles(this, true, true, true);
    Gui_Helper::restoreWindowLayout(this, QString());
    connect(m_ui->m_QPushButton_Ok, &QPushButton::clicked, this, &Settings_Select_Gui::slot_QPushButton_Ok_clicked);
    connect(m_ui->m_QPushButton_Cancel, &QPushButton::clicked, this,
            &Settings_Select_Gui::slot_QPushButton_Cancel_clicked);
    connect(m_ui->m_QListWidget_Settings, &QListWidget::currentItemChanged, this,
            &Settings_Select_Gui::updateOkEnabled);
    updateOkEnabled();
}

Settings_Select_Gui::~Settings_Select_Gui()
{
    Gui_Helper::saveWindowLayout(this, QString());
}

void Settings_Select_Gui::fillList()
{
    // The extension's case as given: a name listed here must open as folder/name + extension.
    const QStringList files = QDir(m_folder).entryList({QStringLiteral("*") + m_extension},
                                                       QDir::Files | QDir::CaseSensitive, QDir::Name);
    for (const QString& file : files)
        m_ui->m_QListWidget_Settings->addItem(getFileNameWithoutSuffix(file, m_extension));
    const QString wanted = getFileNameWithoutSuffix(m_preselected, m_extension);
    const QList<QListWidgetItem*> found = m_ui->m_QListWidget_Settings->findItems(wanted, Qt::MatchExactly
                                                                                              | Qt::MatchCaseSensitive);
    if (wanted.isEmpty() || found.isEmpty()) {
        m_ui->m_QListWidget_Settings->setCurrentItem(nullptr);
        return;
    }
    m_ui->m_QListWidget_Settings->setCurrentItem(found.first());
    m_selected = found.first()->text();
}

void Settings_Select_Gui::updateOkEnabled()
{
    m_ui->m_QPushButton_Ok->setEnabled(m_ui->m_QListWidget_Settings->currentItem() != nullptr);
}

void Settings_Select_Gui::slot_QPushButton_Ok_clicked()
{
    const QListWidgetItem* item = m_ui->m_QListWidget_Settings->currentItem();
    if (!item)
        return;
    m_selected = item->text();
    accept();
}

void Settings_Select_Gui::slot_QPushButton_Cancel_clicked()
{
    reject();
}

void Settings_Select_Gui::reject()
{
    // Escape, Cancel and closing the window all choose nothing.
    m_selected.clear();
    QDialog::reject();
}

void Settings_Select_Gui::closeEvent(QCloseEvent* event)
{
    m_selected.clear();
    QDialog::closeEvent(event);
}
