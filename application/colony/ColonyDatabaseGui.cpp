#include "ColonyDatabaseGui.h"

#include "ui_ColonyDatabaseGui.h"

#include "ApplicationDatabase.h"
#include "ArchiveExport.h"
#include "Camera_Settings.h"
#include "DatabaseTableZelvorinColony.h"
#include "DatabaseTableZelvorinContainer.h"
#include "DatabaseTableZelvorinRack.h"
#include "DrawSettings.h"
#include "Gui_Helper.h"
#include "HalconFunctions.h"
#include "HalconViewImpl.h"
#include "Halcon_Helper.h"
#include "Hobject_View_Gui.h"
#include "MessageBox_Helper.h"
#include "NumericSortTreeWidgetItem.h"
#include "StoredResultListItem.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QSet>

namespace {

const QString DateFormat = QStringLiteral("yyyy.MM.dd hh:mm:ss");

} // namespace

ColonyDatabaseGui::ColonyDatabaseGui(ApplicationDatabase* database, QWidget* parent, bool selectionOnly)
    : QDialog(parent)
    , ui(std::make_unique<Ui_ColonyDatabaseGui>())
    , m_database(database)
    , m_cameraReader(&Camera_Settings::ReadName)
{
    ui->setupUi(this);
    if (selectionOnly) {
        ui->m_QPushButton_Cancel->setEnabled(true);
        ui->m_QPushButton_DataExport->hide();
        ui->m_QPushButton_Reevaluate_CurrentSettings->hide();
        ui->m_QPushButton_Reevaluate_DatabaseSettings->hide();
    }
    Gui_Helper::setObjectName(this, QString());
    ui->m_QTreeWidget_RackList->sortItems(1, Qt::DescendingOrder);
    ui->m_QTreeWidget_ContainerList->sortItems(2, Qt::AscendingOrder);
    m_view = new Hobject_View_Gui(ui->m_QFrame_Picture, QStringLiteral("Read from database"));
    Gui_Helper::fillParentWidget(m_view, true, false);
    ui->m_QPushButton_Ok->setDefault(true);

    slot_QPushButton_Filter_Search_clicked();

    Gui_Helper::applyWidgetStyles(this, true, true, true);
    Gui_Helper::restoreWindowLayout(this, QString());

    connect(ui->m_QTreeWidget_RackList, SIGNAL(currentItemChanged(QTreeWidgetItem*,QTreeWidgetItem*)), this,
            SLOT(slot_QTreeWidget_RackList_currentItemChanged(QTreeWidgetItem*,QTreeWidgetItem*)));
    connect(ui->m_QPushButton_ShowAllEntries, SIGNAL(clicked()), this, SLOT(slot_QPushButton_ShowAllEntries_clicked()));
    connect(ui->m_QPushButton_Filter_Search, SIGNAL(clicked()), this, SLOT(slot_QPushButton_Filter_Search_clicked()));
    connect(ui->m_QPushButton_Reevaluate_DatabaseSettings, SIGNAL(clicked()), this,
            SLOT(slot_QPushButton_Reevaluate_DatabaseSettings_clicked()));
    connect(ui->m_QPushButton_Reevaluate_CurrentSettings, SIGNAL(clicked()), this,
            SLOT(slot_QPushButton_Reevaluate_CurrentSettings_clicked()));
    connect(ui->m_QPushButton_DataExport, SIGNAL(clicked()), this, SLOT(slot_QPushButton_DataExport_clicked()));
    connect(ui->m_QPushButton_Ok, SIGNAL(clicked()), this, SLOT(slot_QPushButton_Ok_clicked()));
    connect(ui->m_QPushButton_Cancel, SIGNAL(clicked()), this, SLOT(slot_QPushButton_Cancel_clicked()));

    for (const QString& group : {QStringLiteral("Position"), QStringLiteral("PickOrder")}) {
        m_view->addObjectGroup(group, group, true);
        m_view->addObjectSelector(group, group, group, true, true);
    }
}

ColonyDatabaseGui::~ColonyDatabaseGui()
{
    Gui_Helper::saveWindowLayout(this, QString());
    delete m_view;
    m_view = nullptr;
}

int ColonyDatabaseGui::selectedRackId() const
{
    const QTreeWidgetItem* current = ui->m_QTreeWidget_RackList->currentItem();
    return current ? current->data(0, Qt::UserRole).toInt() : -1;
}

void ColonyDatabaseGui::closeEvent(QCloseEvent* event)
{
    event->accept();
    reject();
}

void ColonyDatabaseGui::slot_QPushButton_ShowAllEntries_clicked()
{
    m_showAll = true;
    slot_QPushButton_Filter_Search_clicked();
}

void ColonyDatabaseGui::slot_QPushButton_Filter_Search_clicked()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QTreeWidget* list = ui->m_QTreeWidget_RackList;
    list->clear();
    const QString filter = ui->m_QLineEdit_Filter_Barcode->text();
    DatabaseTableZelvorinRack* table = m_database ? m_database->tableRack() : nullptr;

    QList<Database::ID> ids;
    Errors::Type_Error result = 85;
    if (table && filter.isEmpty()) {
        bool more = false;
        result = table->SelectIdsByBarcode(QString(), m_showAll ? -1 : UnfilteredLimit, ids, more);
        if (result == 0)
            ui->m_QWidget_ShowAllEntries->setVisible(more);
    } else if (table) {
        // The table matches the text literally: a "%" or "_" typed here is no wildcard.
        result = table->SelectIdsByBarcodeQualified(filter, ids);
        if (result == 0)
            ui->m_QWidget_ShowAllEntries->setVisible(false);
    }
    if (result != 0) {
        ui->m_QWidget_ShowAllEntries->setVisible(false);
        QApplication::restoreOverrideCursor();
        MessageBox_Helper::critical(this, tr("Database error"), tr("Cannot get the information from the database!"));
        return;
    }

    for (Database::ID id : ids) {
        DatabaseTableZelvorinRack::Dataset row;
        if (table->Select(id, row) != 0)
            continue;
        StoredResultListItem{int(row.RackID), row.CreatedDate, row.RackBarcode, row.Description, row.PictureFilePath,
                             row.ErrorCode}
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
    } else {
        m_view->removePictures(QString(), true);
        m_view->removeObjects(QString(), true);
        ui->m_QTreeWidget_ContainerList->clear();
    }
    QApplication::restoreOverrideCursor();
}

void ColonyDatabaseGui::slot_QTreeWidget_RackList_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem*)
{
    if (!current || !m_database)
        return;
    m_view->removePictures(QString(), true);
    HalconViewImpl halconView(m_view);
    halconView.removeObjects(QString());

    DatabaseTableZelvorinRack::ShortDataset rack;
    if (m_database->tableRack()->SelectShort(current->data(0, Qt::UserRole).toInt(), rack) != 0)
        return;
    Halcon::Hobject picture;
    if (!rack.PictureFilePath.isEmpty() && Halcon_Helper::LoadImageFile(rack.PictureFilePath, picture) == 0)
        m_view->setPicture(picture, QString(), true);

    QTreeWidget* containers = ui->m_QTreeWidget_ContainerList;
    containers->clear();
    QList<Database::ID> containerIds;
    if (m_database->tableContainer()->SelectIdsByRack(rack.RackID, containerIds) != 0)
        return;

    const DrawSettings& styles = DrawSettings::instance();
    const QColor pickedColor = QColor(Qt::green).lighter(150);
    const QColor errorColor = QColor(Qt::red).lighter(150);
    for (Database::ID containerId : containerIds) {
        DatabaseTableZelvorinContainer::Dataset container;
        if (m_database->tableContainer()->Select(containerId, container) != 0)
            continue;
        auto* containerItem = new NumericSortTreeWidgetItem(containers);
        containerItem->setData(0, Qt::UserRole, int(container.ContainerID));
        containerItem->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        containerItem->setText(0, QString::asprintf("%ld", long(container.ContainerID)));
        containerItem->setText(1, QString::asprintf("%d", int(container.ContainerNumber)));
        containerItem->setText(2, container.ContainerName);
        containerItem->setText(3, QString::asprintf("%d", int(container.PickingOrder)));
        containerItem->setText(6, container.Description);
        containerItem->setText(7, QString::asprintf("%d", int(container.ErrorCode)));

        QList<Database::ID> colonyIds;
        if (m_database->tableColony()->SelectPickIds(container.ContainerID, colonyIds) == 0) {
            for (Database::ID colonyId : colonyIds) {
                DatabaseTableZelvorinColony::Dataset colony;
                if (m_database->tableColony()->Select(colonyId, colony) != 0)
                    continue;
                auto* colonyItem = new NumericSortTreeWidgetItem(containerItem);
                colonyItem->setText(0, QString::asprintf("%d", int(colony.ColonyID)));
                colonyItem->setText(3, QString::asprintf("%d", int(colony.PickingOrder)));
                colonyItem->setText(5, colony.PickingDate.toString(DateFormat));
                int crossStyle = DrawSettings::Colonies_Properties2;
                switch (colony.PickingState) {
                case 0:
                    colonyItem->setText(4, tr("Not picked"));
                    break;
                case 1:
                    colonyItem->setText(4, tr("Picked"));
                    colonyItem->setBackground(4, QBrush(pickedColor));
                    crossStyle = DrawSettings::Colonies_Properties1;
                    break;
                case 2:
                    colonyItem->setText(4, tr("Picked with error"));
                    colonyItem->setBackground(4, QBrush(errorColor));
                    crossStyle = DrawSettings::Colonies_Properties1;
                    break;
                default:
                    break;
                }
                halconView.addObject(HalconGenCross(colony.PosY_px, colony.PosX_px, 10.0, 0.0), styles.at(crossStyle),
                                     QStringLiteral("Position"), false);
                if (colony.PickingOrder > 0)
                    halconView.addText(QStringLiteral("%1").arg(colony.PickingOrder), colony.PosY_px,
                                       colony.PosX_px + 2.5, styles.at(DrawSettings::Colonies_PickOrder_Label),
                                       QStringLiteral("PickOrder"), false, false);
            }
        }
        containerItem->setExpanded(true);
    }
    ResizeTreeWidgetColumnsToContents(containers);
    m_view->updateView(true);
}

void ColonyDatabaseGui::reevaluate(int mode)
{
    QTreeWidget* list = ui->m_QTreeWidget_RackList;
    if (list->selectedItems().size() > 1) {
        MessageBox_Helper::critical(this, tr("Database error"), tr("Please select only one entry!"));
        return;
    }
    QTreeWidgetItem* current = list->currentItem();
    if (!current || !m_database)
        return;
    DatabaseTableZelvorinRack::Dataset row;
    if (m_database->tableRack()->Select(current->data(0, Qt::UserRole).toInt(), row) != 0) {
        MessageBox_Helper::critical(this, tr("Database error"),
                                    tr("Cannot read the rack information from the database!"));
        return;
    }
    m_pictureFilePath = row.PictureFilePath;
    m_correctionText = row.ReferencePointsCorrection;
    if (mode == ReevaluateDatabaseSettings) {
        m_cameraSettingsXml = row.XMLCameraSettings;
        m_colonySettingsXml = row.XMLColonySettings;
    } else {
        m_cameraSettingsXml.clear();
        m_colonySettingsXml.clear();
    }
    m_mode = mode;
    accept();
}

void ColonyDatabaseGui::slot_QPushButton_Reevaluate_DatabaseSettings_clicked()
{
    reevaluate(ReevaluateDatabaseSettings);
}

void ColonyDatabaseGui::slot_QPushButton_Reevaluate_CurrentSettings_clicked()
{
    reevaluate(ReevaluateCurrentSettings);
}

Errors::Type_Error ColonyDatabaseGui::exportToZipArchive(const QList<int>& rackIds, const QString& archivePath,
                                                         bool append, bool interactive)
{
    RackZipExport exporter(m_database, this);
    exporter.setCameraSettingsReader(m_cameraReader);
    return exporter.exportToZipArchive(rackIds, archivePath, append, interactive);
}

void ColonyDatabaseGui::slot_QPushButton_DataExport_clicked()
{
    const QList<QTreeWidgetItem*> selected = ui->m_QTreeWidget_RackList->selectedItems();
    if (selected.isEmpty()) {
        MessageBox_Helper::critical(this, tr("Database error"), tr("Please select one or more entries!"));
        return;
    }
    QList<int> rackIds;
    for (const QTreeWidgetItem* item : selected)
        rackIds.append(item->data(0, Qt::UserRole).toInt());
    ArchiveExport::runFromDialog(this, "ColonyDatabaseGui", m_lastExportFile,
                                 [&](const QString& fileName, bool append) {
                                     return exportToZipArchive(rackIds, fileName, append, true);
                                 });
}

void ColonyDatabaseGui::slot_QPushButton_Ok_clicked()
{
    accept();
}

void ColonyDatabaseGui::slot_QPushButton_Cancel_clicked()
{
    reject();
}
