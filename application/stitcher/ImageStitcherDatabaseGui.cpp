#include "ImageStitcherDatabaseGui.h"

#include "ui_ImageStitcherDatabaseGui.h"

#include "StitcherPictureLoader.h"
#include "StitcherZipExport.h"

#include <ApplicationDatabase.h>
#include <ArchiveExport.h>
#include <DatabaseTableZelvorinImageStitcher.h>
#include <DatabaseTableZelvorinImageStitcherPicture.h>
#include <Gui_Helper.h>
#include <Hobject_View_Gui.h>
#include <MessageBox_Helper.h>
#include <NumericSortTreeWidgetItem.h>
#include <StoredResultListItem.h>

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>

namespace {

void setHeaderToolTips(QTreeWidget* tree)
{
    QTreeWidgetItem* header = tree->headerItem();
    for (int c = 0; c < header->columnCount(); ++c)
        header->setToolTip(c, header->text(c));
}

} // namespace

ImageStitcherDatabaseGui::ImageStitcherDatabaseGui(ApplicationDatabase* database, QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::ImageStitcherDatabaseGui>())
    , m_database(database)
{
    m_ui->setupUi(this);
    m_ui->m_QTreeWidget_RackList->setHeaderLabels(
        {tr("ID"), tr("Date Created"), tr("Barcode"), tr("Description"), tr("Picture File"), tr("Error")});
    m_ui->m_QTreeWidget_PictureList->setHeaderLabels({tr("ID"), tr("Picture\nIndex"), tr("Picture File")});
    setHeaderToolTips(m_ui->m_QTreeWidget_RackList);
    setHeaderToolTips(m_ui->m_QTreeWidget_PictureList);
    Gui_Helper::setObjectName(this, QString());
    m_ui->m_QTreeWidget_RackList->sortItems(1, Qt::DescendingOrder);
    m_ui->m_QTreeWidget_PictureList->sortItems(2, Qt::AscendingOrder);
    m_view = new Hobject_View_Gui(m_ui->m_QFrame_Picture, QStringLiteral("Read from database"));
    Gui_Helper::fillParentWidget(m_view, true, false);
    m_loader = new StitcherPictureLoader(m_view, this);
    m_ui->m_QPushButton_Cancel->setDefault(true);
    Gui_Helper::applyWidgetStyles(this, true, true, true);
    Gui_Helper::restoreWindowLayout(this, QString());

    connect(m_ui->m_QTreeWidget_RackList, &QTreeWidget::currentItemChanged, this,
            &ImageStitcherDatabaseGui::slot_QTreeWidget_RackList_currentItemChanged);
    connect(m_ui->m_QTreeWidget_RackList, &QTreeWidget::itemSelectionChanged, this,
            &ImageStitcherDatabaseGui::slot_QTreeWidget_RackList_itemSelectionChanged);
    connect(m_ui->m_QTreeWidget_PictureList, &QTreeWidget::currentItemChanged, this,
            &ImageStitcherDatabaseGui::slot_QTreeWidget_PictureList_currentItemChanged);
    connect(m_ui->m_QPushButton_ShowAllEntries, &QPushButton::clicked, this,
            &ImageStitcherDatabaseGui::slot_QPushButton_ShowAllEntries_clicked);
    connect(m_ui->m_QPushButton_Filter_Search, &QPushButton::clicked, this,
            &ImageStitcherDatabaseGui::slot_QPushButton_Filter_Search_clicked);
    connect(m_ui->m_QPushButton_Reevaluate_DatabaseSettings, &QPushButton::clicked, this,
            &ImageStitcherDatabaseGui::slot_QPushButton_Reevaluate_DatabaseSettings_clicked);
    connect(m_ui->m_QPushButton_Reevaluate_CurrentSettings, &QPushButton::clicked, this,
            &ImageStitcherDatabaseGui::slot_QPushButton_Reevaluate_CurrentSettings_clicked);
    connect(m_ui->m_QPushButton_DataExport, &QPushButton::clicked, this,
            &ImageStitcherDatabaseGui::slot_QPushButton_DataExport_clicked);
    connect(m_ui->m_QPushButton_Cancel, &QPushButton::clicked, this,
            &ImageStitcherDatabaseGui::slot_QPushButton_Cancel_clicked);
    connect(m_loader, &StitcherPictureLoader::signal_LoadPictureFinished, this,
            &ImageStitcherDatabaseGui::signal_LoadPictureFinished, Qt::QueuedConnection);
    connect(this, &ImageStitcherDatabaseGui::signal_LoadPictureFinished, this,
            &ImageStitcherDatabaseGui::slot_LoadPictureFinished);

    slot_QPushButton_Filter_Search_clicked();
}

ImageStitcherDatabaseGui::~ImageStitcherDatabaseGui()
{
    Gui_Helper::saveWindowLayout(this, QString());
    // Loads still running put their picture into the viewer: they end first.
    delete m_loader;
    m_loader = nullptr;
    delete m_view;
    m_view = nullptr;
}

int ImageStitcherDatabaseGui::loadsInProgress() const
{
    return m_loader->loadsInProgress();
}

void ImageStitcherDatabaseGui::closeEvent(QCloseEvent* event)
{
    if (m_loader->loadsInProgress() > 0) {
        event->ignore();
        return;
    }
    event->accept();
    reject();
}

void ImageStitcherDatabaseGui::slot_QPushButton_Cancel_clicked()
{
    if (m_loader->loadsInProgress() == 0)
        reject();
}

void ImageStitcherDatabaseGui::slot_QPushButton_ShowAllEntries_clicked()
{
    m_showAllEntries = true;
    slot_QPushButton_Filter_Search_clicked();
}

void ImageStitcherDatabaseGui::slot_QPushButton_Filter_Search_clicked()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QTreeWidget* list = m_ui->m_QTreeWidget_RackList;
    list->clear();
    DatabaseTableZelvorinImageStitcher* table = m_database ? m_database->tableImageStitcher() : nullptr;
    // A barcode search is not offered: the field is disabled and a text in it lists nothing.
    if (!m_ui->m_QLineEdit_Filter_Barcode->text().isEmpty()) {
        QApplication::restoreOverrideCursor();
        return;
    }
    QList<Database::ID> ids;
    bool more = false;
    if (!table || table->SelectIdsByBarcode(QString(), m_showAllEntries ? -1 : UnfilteredLimit, ids, more) != 0) {
        QApplication::restoreOverrideCursor();
        MessageBox_Helper::critical(this, tr("Database error"), tr("Cannot get the information from the database!"));
        return;
    }
    m_ui->m_QWidget_ShowAllEntries->setVisible(more);

    for (Database::ID id : ids) {
        DatabaseTableZelvorinImageStitcher::Dataset row;
        if (table->Select(id, row) != 0)
            continue;
        StoredResultListItem{int(row.ImageStitcherID), row.CreatedDate, row.RackBarcode, row.Description,
                             row.PictureFilePath, row.ErrorCode}
            .addTo(list);
    }
    for (int c = 0; c < list->columnCount() - 1; ++c)
        list->resizeColumnToContents(c);

    if (list->topLevelItemCount() > 0) {
        QTreeWidgetItem* first = list->topLevelItem(0);
        {
            const QSignalBlocker blocker(list);
            list->setCurrentItem(first);
        }
        slot_QTreeWidget_RackList_currentItemChanged(first, nullptr);
    }
    enableButtons();
    QApplication::restoreOverrideCursor();
}

void ImageStitcherDatabaseGui::clearViewer()
{
    // The loader first, so that no load that is on its way puts its picture back afterwards.
    m_loader->forget();
    m_view->removePictures(QString(), true);
    m_view->removeObjects(QString(), true);
}

void ImageStitcherDatabaseGui::slot_QTreeWidget_RackList_currentItemChanged(QTreeWidgetItem* current,
                                                                            QTreeWidgetItem*)
{
    if (!current || !m_database)
        return;
    clearViewer();
    DatabaseTableZelvorinImageStitcher::Dataset row;
    if (m_database->tableImageStitcher()->Select(current->data(0, Qt::UserRole).toInt(), row) != 0)
        return;

    QTreeWidget* pictures = m_ui->m_QTreeWidget_PictureList;
    pictures->clear();
    QList<Database::ID> ids;
    if (m_database->tableImageStitcherPicture()->SelectIdsByImageStitcher(row.ImageStitcherID, ids) != 0)
        return;
    auto* top = new NumericSortTreeWidgetItem(pictures);
    top->setData(0, Qt::UserRole, row.PictureFilePath);
    top->setText(0, QString::asprintf("%ld", long(row.ImageStitcherID)));
    top->setText(2, row.PictureFilePath);
    for (Database::ID id : ids) {
        DatabaseTableZelvorinImageStitcherPicture::Dataset pictureRow;
        if (m_database->tableImageStitcherPicture()->Select(id, pictureRow) != 0)
            continue;
        auto* child = new NumericSortTreeWidgetItem(top);
        child->setData(0, Qt::UserRole, pictureRow.PictureFilePath);
        child->setText(0, QString::asprintf("%ld", long(pictureRow.ImageStitcherPictureID)));
        child->setText(1, QString::asprintf("%d", int(pictureRow.PositionIndex)));
        child->setText(2, pictureRow.PictureFilePath);
    }
    top->setExpanded(true);
    pictures->setCurrentItem(pictures->topLevelItem(0));
}

void ImageStitcherDatabaseGui::slot_QTreeWidget_RackList_itemSelectionChanged()
{
    enableButtons();
}

void ImageStitcherDatabaseGui::enableButtons()
{
    const int selected = m_ui->m_QTreeWidget_RackList->selectedItems().size();
    if (m_loader->loadsInProgress() == 0) {
        m_ui->m_QPushButton_Reevaluate_DatabaseSettings->setEnabled(selected == 1);
        m_ui->m_QPushButton_Reevaluate_CurrentSettings->setEnabled(selected == 1);
    }
    m_ui->m_QPushButton_DataExport->setEnabled(selected >= 1);
}

void ImageStitcherDatabaseGui::slot_QTreeWidget_PictureList_currentItemChanged(QTreeWidgetItem* current,
                                                                               QTreeWidgetItem*)
{
    if (!current)
        return;
    const QString file = current->data(0, Qt::UserRole).toString();
    if (!file.isEmpty() && file == m_loader->pendingFile())
        return;
    clearViewer();
    if (file.isEmpty())
        return;
    m_ui->m_QPushButton_Cancel->setEnabled(false);
    m_ui->m_QPushButton_Reevaluate_DatabaseSettings->setEnabled(false);
    m_ui->m_QPushButton_Reevaluate_CurrentSettings->setEnabled(false);
    m_loader->load(file);
}

void ImageStitcherDatabaseGui::slot_LoadPictureFinished()
{
    if (m_loader->finished() > 0)
        return;
    m_ui->m_QPushButton_Cancel->setEnabled(true);
    enableButtons();
}

int ImageStitcherDatabaseGui::ReadImageStitcherPictures(Database::ID stitcherID, QStringList& o_listPictureFiles,
                                                        bool showErrors)
{
    const Errors::Type_Error code = StitcherZipExport::readPictureFiles(m_database, stitcherID, o_listPictureFiles);
    if (code != 0 && showErrors)
        MessageBox_Helper::critical(this, tr("Database error"),
                                    tr("Cannot read the rack information from the database!"));
    return code;
}

void ImageStitcherDatabaseGui::reevaluate(int mode)
{
    if (m_loader->loadsInProgress() > 0)
        return;
    QTreeWidget* list = m_ui->m_QTreeWidget_RackList;
    if (list->selectedItems().size() > 1) {
        MessageBox_Helper::critical(this, tr("Database error"), tr("Please select only one entry!"));
        return;
    }
    QTreeWidgetItem* current = list->currentItem();
    if (!current || !m_database)
        return;
    DatabaseTableZelvorinImageStitcher::Dataset row;
    if (m_database->tableImageStitcher()->Select(current->data(0, Qt::UserRole).toInt(), row) != 0) {
        MessageBox_Helper::critical(this, tr("Database error"),
                                    tr("Cannot read the rack information from the database!"));
        return;
    }
    QStringList files;
    if (ReadImageStitcherPictures(row.ImageStitcherID, files, true) != 0)
        return;
    m_pictureFiles = files;
    m_referencePointsCorrection = row.ReferencePointsCorrection;
    m_settingsXml = mode == ReevaluateDatabaseSettings ? row.ImageStitcherSettings : QString();
    m_reevaluateMode = mode;
    accept();
}

void ImageStitcherDatabaseGui::slot_QPushButton_Reevaluate_DatabaseSettings_clicked()
{
    reevaluate(ReevaluateDatabaseSettings);
}

void ImageStitcherDatabaseGui::slot_QPushButton_Reevaluate_CurrentSettings_clicked()
{
    reevaluate(ReevaluateCurrentSettings);
}

Errors::Type_Error ImageStitcherDatabaseGui::exportToZipArchive(const QList<Database::ID>& stitcherIds,
                                                                const QString& archivePath, bool append,
                                                                bool showErrors)
{
    StitcherZipExport exporter(m_database, this);
    return exporter.exportToZipArchive(stitcherIds, archivePath, append, showErrors);
}

void ImageStitcherDatabaseGui::slot_QPushButton_DataExport_clicked()
{
    const QList<QTreeWidgetItem*> selected = m_ui->m_QTreeWidget_RackList->selectedItems();
    if (selected.isEmpty()) {
        MessageBox_Helper::critical(this, tr("Database error"), tr("Please select one or more entries!"));
        return;
    }
    QList<Database::ID> ids;
    for (const QTreeWidgetItem* item : selected)
        ids.append(item->data(0, Qt::UserRole).toInt());
    ArchiveExport::runFromDialog(this, "ImageStitcherDatabaseGui", m_lastExportFile,
                                 [&](const QString& fileName, bool append) {
                                     return exportToZipArchive(ids, fileName, append, true);
                                 });
}
