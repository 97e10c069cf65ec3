#include "ImageStitcherDatabaseGui.h"

#include "ui_ImageStitcherDatabaseGui.h"

#include "StitcherPictureLoader.h"
#include "StitcherZipExport.h"

#include <ApplicationDatabase.h>
#include <DatabaseTableZelvorinImageStitcher.h>
#include <DatabaseTableZelvorinImageStitcherPicture.h>
#include <Gui_Helper.h>
#include <Hobject_View_Gui.h>
#include <MessageBox_Helper.h>
#include <NumericSortTreeWidgetItem.h>
#include <StoredResultListItem.h>

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
    : StoredResultsBrowser("ImageStitcherDatabaseGui", database, parent)
    , m_ui(std::make_unique<Ui::ImageStitcherDatabaseGui>())
{
    m_ui->setupUi(this);
    setResultList(m_ui->m_QTreeWidget_RackList, m_ui->m_QWidget_ShowAllEntries, m_ui->m_QLineEdit_Filter_Barcode);
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

Errors::Type_Error ImageStitcherDatabaseGui::selectResults(const QString& filter, int limit,
                                                           QList<Database::ID>& ids, bool& more)
{
    DatabaseTableZelvorinImageStitcher* table = database() ? database()->tableImageStitcher() : nullptr;
    if (!table)
        return 85;
    // A barcode search is not offered: the field is disabled and a text in it lists nothing.
    if (!filter.isEmpty())
        return 0;
    return table->SelectIdsByBarcode(QString(), limit, ids, more);
}

bool ImageStitcherDatabaseGui::readResult(Database::ID id, StoredResultListItem& row)
{
    DatabaseTableZelvorinImageStitcher::Dataset result;
    if (database()->tableImageStitcher()->Select(id, result) != 0)
        return false;
    row = StoredResultListItem{int(result.ImageStitcherID), result.CreatedDate, result.RackBarcode,
                               result.Description, result.PictureFilePath, result.ErrorCode};
    return true;
}

void ImageStitcherDatabaseGui::showResult(QTreeWidgetItem* current)
{
    slot_QTreeWidget_RackList_currentItemChanged(current, nullptr);
}

void ImageStitcherDatabaseGui::listFilled()
{
    enableButtons();
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
    ApplicationDatabase* const results = database();
    if (!current || !results)
        return;
    clearViewer();
    DatabaseTableZelvorinImageStitcher::Dataset row;
    if (results->tableImageStitcher()->Select(current->data(0, Qt::UserRole).toInt(), row) != 0)
        return;

    QTreeWidget* pictures = m_ui->m_QTreeWidget_PictureList;
    pictures->clear();
    QList<Database::ID> ids;
    if (results->tableImageStitcherPicture()->SelectIdsByImageStitcher(row.ImageStitcherID, ids) != 0)
        return;
    auto* top = new NumericSortTreeWidgetItem(pictures);
    top->setData(0, Qt::UserRole, row.PictureFilePath);
    top->setText(0, QString::asprintf("%ld", long(row.ImageStitcherID)));
    top->setText(2, row.PictureFilePath);
    for (Database::ID id : ids) {
        DatabaseTableZelvorinImageStitcherPicture::Dataset pictureRow;
        if (results->tableImageStitcherPicture()->Select(id, pictureRow) != 0)
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
    const Errors::Type_Error code = StitcherZipExport::readPictureFiles(database(), stitcherID, o_listPictureFiles);
    if (code != 0 && showErrors)
        MessageBox_Helper::critical(this, tr("Database error"),
                                    tr("Cannot read the rack information from the database!"));
    return code;
}

bool ImageStitcherDatabaseGui::busy() const
{
    return m_loader->loadsInProgress() > 0;
}

bool ImageStitcherDatabaseGui::takeResult(QTreeWidgetItem* current, int mode)
{
    DatabaseTableZelvorinImageStitcher::Dataset row;
    if (database()->tableImageStitcher()->Select(current->data(0, Qt::UserRole).toInt(), row) != 0) {
        databaseError("Cannot read the rack information from the database!");
        return false;
    }
    QStringList files;
    if (ReadImageStitcherPictures(row.ImageStitcherID, files, true) != 0)
        return false;
    m_pictureFiles = files;
    m_referencePointsCorrection = row.ReferencePointsCorrection;
    m_settingsXml = mode == ReevaluateDatabaseSettings ? row.ImageStitcherSettings : QString();
    return true;
}

Errors::Type_Error ImageStitcherDatabaseGui::exportToZipArchive(const QList<Database::ID>& stitcherIds,
                                                                const QString& archivePath, bool append,
                                                                bool showErrors)
{
    StitcherZipExport exporter(database(), this);
    return exporter.exportToZipArchive(stitcherIds, archivePath, append, showErrors);
}
