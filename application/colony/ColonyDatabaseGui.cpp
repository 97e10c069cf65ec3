#include "ColonyDatabaseGui.h"

#include "ui_ColonyDatabaseGui.h"

#include "ApplicationDatabase.h"
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
#include "NumericSortTreeWidgetItem.h"
#include "StoredResultListItem.h"

namespace {

const QString DateFormat = QStringLiteral("yyyy.MM.dd hh:mm:ss");

} // namespace

ColonyDatabaseGui::ColonyDatabaseGui(ApplicationDatabase* database, QWidget* parent, bool selectionOnly)
    : StoredResultsBrowser("ColonyDatabaseGui", database, parent)
    , ui(std::make_unique<Ui_ColonyDatabaseGui>())
    , m_cameraReader(&Camera_Settings::ReadName)
{
    ui->setupUi(this);
    setResultList(ui->m_QTreeWidget_RackList, ui->m_QWidget_ShowAllEntries, ui->m_QLineEdit_Filter_Barcode);
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

Errors::Type_Error ColonyDatabaseGui::selectResults(const QString& filter, int limit, QList<Database::ID>& ids,
                                                    bool& more)
{
    DatabaseTableZelvorinRack* table = database() ? database()->tableRack() : nullptr;
    if (!table)
        return 85;
    if (filter.isEmpty())
        return table->SelectIdsByBarcode(QString(), limit, ids, more);
    // The table matches the text literally: a "%" or "_" typed here is no wildcard.
    return table->SelectIdsByBarcodeQualified(filter, ids);
}

bool ColonyDatabaseGui::readResult(Database::ID id, StoredResultListItem& row)
{
    DatabaseTableZelvorinRack::Dataset rack;
    if (database()->tableRack()->Select(id, rack) != 0)
        return false;
    row = StoredResultListItem{int(rack.RackID), rack.CreatedDate, rack.RackBarcode, rack.Description,
                               rack.PictureFilePath, rack.ErrorCode};
    return true;
}

void ColonyDatabaseGui::listFilled()
{
    if (ui->m_QTreeWidget_RackList->topLevelItemCount() > 0)
        return;
    m_view->removePictures(QString(), true);
    m_view->removeObjects(QString(), true);
    ui->m_QTreeWidget_ContainerList->clear();
}

void ColonyDatabaseGui::showResult(QTreeWidgetItem* current)
{
    slot_QTreeWidget_RackList_currentItemChanged(current, nullptr);
}

void ColonyDatabaseGui::slot_QTreeWidget_RackList_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem*)
{
    ApplicationDatabase* const racks = database();
    if (!current || !racks)
        return;
    m_view->removePictures(QString(), true);
    HalconViewImpl halconView(m_view);
    halconView.removeObjects(QString());

    DatabaseTableZelvorinRack::ShortDataset rack;
    if (racks->tableRack()->SelectShort(current->data(0, Qt::UserRole).toInt(), rack) != 0)
        return;
    Halcon::Hobject picture;
    if (!rack.PictureFilePath.isEmpty() && Halcon_Helper::LoadImageFile(rack.PictureFilePath, picture) == 0)
        m_view->setPicture(picture, QString(), true);

    QTreeWidget* containers = ui->m_QTreeWidget_ContainerList;
    containers->clear();
    QList<Database::ID> containerIds;
    if (racks->tableContainer()->SelectIdsByRack(rack.RackID, containerIds) != 0)
        return;

    const DrawSettings& styles = DrawSettings::instance();
    const QColor pickedColor = QColor(Qt::green).lighter(150);
    const QColor errorColor = QColor(Qt::red).lighter(150);
    for (Database::ID containerId : containerIds) {
        DatabaseTableZelvorinContainer::Dataset container;
        if (racks->tableContainer()->Select(containerId, container) != 0)
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
        if (racks->tableColony()->SelectPickIds(container.ContainerID, colonyIds) == 0) {
            for (Database::ID colonyId : colonyIds) {
                DatabaseTableZelvorinColony::Dataset colony;
                if (racks->tableColony()->Select(colonyId, colony) != 0)
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

bool ColonyDatabaseGui::takeResult(QTreeWidgetItem* current, int mode)
{
    DatabaseTableZelvorinRack::Dataset row;
    if (database()->tableRack()->Select(current->data(0, Qt::UserRole).toInt(), row) != 0) {
        databaseError("Cannot read the rack information from the database!");
        return false;
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
    return true;
}

Errors::Type_Error ColonyDatabaseGui::exportToZipArchive(const QList<int>& rackIds, const QString& archivePath,
                                                         bool append, bool interactive)
{
    RackZipExport exporter(database(), this);
    exporter.setCameraSettingsReader(m_cameraReader);
    return exporter.exportToZipArchive(rackIds, archivePath, append, interactive);
}

void ColonyDatabaseGui::slot_QPushButton_Ok_clicked()
{
    accept();
}
