#include "ColonyEditorGui.h"

#include "ui_ColonyEditorGui.h"

#include "ColonySettings.h"
#include "DrawSettings.h"
#include "Gui_Helper.h"
#include "HalconFunctions.h"
#include "HalconViewImpl.h"
#include "Hobject_View_Gui.h"
#include "LabwareGrid.h"
#include "MessageBox_Helper.h"
#include "NumericSortTreeWidgetItem.h"

#include <QAction>
#include <QCloseEvent>
#include <QIcon>
#include <QSet>
#include <QSettings>
#include <QSignalBlocker>
#include <QTreeWidget>

#include <algorithm>

// The editor's pictures are the colony analyser's resources; the dialog may open without the
// page. Q_INIT_RESOURCE declares its function in the enclosing namespace, so this stays global.
static void initColonyEditorResources()
{
    Q_INIT_RESOURCE(ColonyAnalyser);
}

namespace {

QString editorPicture(const char* name)
{
    return QStringLiteral("pictures:/ColonyAnalyser/EditColonies_%1.png").arg(QLatin1String(name));
}

const QString SearchAreaName = QStringLiteral("HalconObject_Colonies_SearchArea.");
const QString SearchAreaTextName = QStringLiteral("HalconObject_Colonies_SearchArea.Text");

QString pickOrderName(int container)
{
    return QStringLiteral("PickOrder.%1.").arg(container);
}

QString number(double value, const char* format)
{
    return QString::asprintf(format, value);
}

} // namespace

ColonyEditorGui::ColonyEditorGui(ColonySettings* colonySettings, const EditRack& rack, QWidget* parent, bool)
    : QDialog(parent)
    , ui(std::make_unique<Ui_ColonyEditorGui>())
    , m_colonySettings(colonySettings)
    , m_model(rack)
{
    ui->setupUi(this);
    ui->m_QPushButton_Cancel->setEnabled(true);
    initColonyEditorResources();
    ui->m_QPushButton_MoveUp->setIcon(QIcon(editorPicture("MoveUp")));
    ui->m_QPushButton_MoveDown->setIcon(QIcon(editorPicture("MoveDown")));
    ui->m_QPushButton_MoveTop->setIcon(QIcon(editorPicture("MoveTop")));
    ui->m_QPushButton_MoveBottom->setIcon(QIcon(editorPicture("MoveBottom")));
    ui->m_QPushButton_AddColony->setIcon(QIcon(editorPicture("Add")));
    ui->m_QPushButton_RemoveColony->setIcon(QIcon(editorPicture("Delete")));
    Gui_Helper::setObjectName(this, QString());

    m_view = new Hobject_View_Gui(ui->m_QFrame_Picture, QStringLiteral("Edit Colonies"));
    Gui_Helper::fillParentWidget(m_view, true, false);
    m_halconViewImpl = std::make_unique<HalconViewImpl>(m_view);
    m_halconView = m_halconViewImpl.get();

    ui->m_QPushButton_Ok->setDefault(true);
    Gui_Helper::applyWidgetStyles(this, true, true, true);
    Gui_Helper::restoreWindowLayout(this, QString());

    QTreeWidget* table = ui->m_ColoniesTable;
    connect(table, SIGNAL(currentItemChanged(QTreeWidgetItem*,QTreeWidgetItem*)), this,
            SLOT(slot_QTreeWidget_Colonies_currentItemChanged(QTreeWidgetItem*,QTreeWidgetItem*)));
    connect(table, SIGNAL(itemDoubleClicked(QTreeWidgetItem*,int)), this,
            SLOT(slot_QTreeWidget_Colonies_itemDoubleClicked(QTreeWidgetItem*,int)));
    connect(table, SIGNAL(itemSelectionChanged()), this, SLOT(slot_QTreeWidget_Colonies_itemSelectionChanged()));
    connect(ui->m_QPushButton_AddColony, SIGNAL(clicked()), this, SLOT(slot_QPushButton_AddColony_clicked()));
    connect(ui->m_QPushButton_RemoveColony, SIGNAL(clicked()), this, SLOT(slot_QPushButton_RemoveColony_clicked()));
    connect(ui->m_QPushButton_Ok, SIGNAL(clicked()), this, SLOT(slot_QPushButton_Ok_clicked()));
    connect(ui->m_QPushButton_Cancel, SIGNAL(clicked()), this, SLOT(slot_QPushButton_Cancel_clicked()));
    connect(ui->m_QPushButton_MoveUp, SIGNAL(clicked()), this, SLOT(slot_QPushButton_MoveUp_clicked()));
    connect(ui->m_QPushButton_MoveTop, SIGNAL(clicked()), this, SLOT(slot_QPushButton_MoveTop_clicked()));
    connect(ui->m_QPushButton_MoveDown, SIGNAL(clicked()), this, SLOT(slot_QPushButton_MoveDown_clicked()));
    connect(ui->m_QPushButton_MoveBottom, SIGNAL(clicked()), this, SLOT(slot_QPushButton_MoveBottom_clicked()));
    connect(m_view, SIGNAL(signal_HalconMousePressEvent(double,double)), this,
            SLOT(slot_HalconMousePressEvent(double,double)));
    connect(m_view, SIGNAL(signal_HalconMouseMoveEvent(double,double)), this,
            SLOT(slot_HalconMouseMoveEvent(double,double)));
    connect(m_view, SIGNAL(signal_HalconMouseReleaseEvent(double,double)), this,
            SLOT(slot_HalconMouseReleaseEvent(double,double)));
    connect(m_view, SIGNAL(signal_HalconObjectSelected(QString)), this, SLOT(slot_HalconObjectSelected(QString)));

    const QString groups[3][2] = {{QStringLiteral("PickOrder"), QStringLiteral("PickOrder")},
                                  {QStringLiteral("Labware"), SearchAreaName},
                                  {QStringLiteral("Colonies"), QStringLiteral("HalconObject_Colonies.")}};
    for (const auto& group : groups) {
        m_view->addObjectGroup(group[0], group[1], true);
        m_view->addObjectSelector(group[0], group[1], group[0], true, true);
    }

    buildColumns();
    QStringList headers;
    for (const ColumnInfo& column : m_columns)
        headers.append(column.header);
    table->setColumnCount(headers.size());
    table->setHeaderLabels(headers);
    for (int i = 0; i < headers.size(); ++i) {
        table->headerItem()->setToolTip(i, headers.at(i));
        table->setColumnWidth(i, 50);
    }
    {
        QSettings settings(settingsOrganization(), settingsApplication());
        settings.beginGroup(settingsGroup());
        for (int i = 0; i < table->columnCount(); ++i) {
            const int width = settings.value(QStringLiteral("%1").arg(i), -1).toInt();
            if (width > 0) {
                table->setColumnWidth(i, width);
                if (i < m_columns.size())
                    m_columns[i].rememberedWidth = width;
            }
        }
        settings.endGroup();
    }

    auto* resize = new QAction(tr("Size All Columns to Fit"), this);
    connect(resize, SIGNAL(triggered()), this, SLOT(slot_Action_ResizeColumns()));
    table->setContextMenuPolicy(Qt::ActionsContextMenu);
    table->addAction(resize);

    fillFromRack();

    const int colorModel = m_colonySettings ? m_colonySettings->ColorModel : 0;
    for (int i = 0; i < m_columns.size() && i < table->columnCount(); ++i) {
        const bool hide = colorModel >= 0 && colorModel <= 2 && !m_columns.at(i).visible[colorModel];
        if (hide == table->isColumnHidden(i))
            continue;
        if (hide) {
            m_columns[i].rememberedWidth = table->columnWidth(i);
            table->setColumnHidden(i, true);
        } else {
            table->setColumnHidden(i, false);
            table->setColumnWidth(i, m_columns.at(i).rememberedWidth);
        }
    }

    // Filled: every shown column as wide as its header and its values.
    Gui_Helper::widenColumnsToContents(table);
    table->sortItems(3, Qt::AscendingOrder);
    table->setSortingEnabled(false);
}

ColonyEditorGui::~ColonyEditorGui()
{
    Gui_Helper::saveWindowLayout(this, QString());
    QTreeWidget* table = ui->m_ColoniesTable;
    QSettings settings(settingsOrganization(), settingsApplication());
    settings.beginGroup(settingsGroup());
    for (int i = 0; i < table->columnCount(); ++i) {
        int width = table->columnWidth(i);
        if (width <= 0 && i < m_columns.size() && m_columns.at(i).rememberedWidth != 0)
            width = m_columns.at(i).rememberedWidth;
        if (width > 0)
            settings.setValue(QStringLiteral("%1").arg(i), width);
    }
    settings.endGroup();
    // The interface must not outlive the viewer it forwards to.
    m_halconView = nullptr;
    m_halconViewImpl.reset();
    delete m_view;
    m_view = nullptr;
}

void ColonyEditorGui::buildColumns()
{
    struct Row {
        const char* header;
        bool cm0, cm1, cm2;
    };
    static const Row rows[ColumnCount] = {
        {QT_TR_NOOP("Container\nNumber"), true, true, true},
        {QT_TR_NOOP("Container\nColonies"), false, false, false},
        {QT_TR_NOOP("Container\nName"), true, true, true},
        {QT_TR_NOOP("Pick\nOrder"), true, true, true},
        {QT_TR_NOOP("Weighted\nTotal [%]"), true, true, false},
        {QT_TR_NOOP("X\n[px]"), true, true, true},
        {QT_TR_NOOP("Y\n[px]"), true, true, true},
        {QT_TR_NOOP("X\n[mm]"), false, false, false},
        {QT_TR_NOOP("Y\n[mm]"), false, false, false},
        {QT_TR_NOOP("Area\n[mm2]"), true, true, true},
        {QT_TR_NOOP("Circulairty"), true, true, true},
        {QT_TR_NOOP("Neighbor\n[mm]"), true, true, true},
        {QT_TR_NOOP("Margin\n[mm]"), true, true, true},
        {QT_TR_NOOP("Red"), false, true, false},
        {QT_TR_NOOP("Green"), false, true, false},
        {QT_TR_NOOP("Blue"), false, true, false},
        {QT_TR_NOOP("Weighted\nArea [%]"), true, true, false},
        {QT_TR_NOOP("Weighted\nCircularity [%]"), true, true, false},
        {QT_TR_NOOP("Weighted\nNeighbor [%]"), true, true, false},
        {QT_TR_NOOP("Weighted\nMargin [%]"), true, true, false},
        {QT_TR_NOOP("Weighted\nRed [%]"), false, false, false},
        {QT_TR_NOOP("Weighted\nGreen [%]"), false, false, false},
        {QT_TR_NOOP("Weighted\nBlue [%]"), false, false, false},
        {QT_TR_NOOP("Hue"), false, false, true},
        {QT_TR_NOOP("Saturation"), false, false, true},
        {QT_TR_NOOP("Intensity"), false, false, true},
        {QT_TR_NOOP("Area\n[%]"), false, false, true},
    };
    m_columns.clear();
    for (int i = 0; i < ColumnCount; ++i) {
        ColumnInfo column;
        column.index = i;
        column.header = tr(rows[i].header);
        column.visible[0] = rows[i].cm0;
        column.visible[1] = rows[i].cm1;
        column.visible[2] = rows[i].cm2;
        m_columns.append(column);
    }
    std::stable_sort(m_columns.begin(), m_columns.end(),
                     [](const ColumnInfo& a, const ColumnInfo& b) { return a.index < b.index; });
}

void ColonyEditorGui::fillFromRack()
{
    QTreeWidget* table = ui->m_ColoniesTable;
    table->clear();
    m_view->removeObjects(QString(), true);
    m_view->removePictures(QString(), true);
    EditRack& rack = m_model.rack();
    m_view->setPicture(rack.picture, QString(), true);

    const DrawSettings& styles = DrawSettings::instance();
    const DrawStyle& labelStyle = styles.at(DrawSettings::Colonies_SearchArea_Label);
    for (int i = 0; i < rack.containers.size(); ++i) {
        EditContainer& container = rack.containers[i];
        ColonyEditorModel::sortColonies(container.colonies);
        auto* item = new NumericSortTreeWidgetItem(table);
        container.rowItem = item;
        item->setText(0, QStringLiteral("%1").arg(container.containerRow.ContainerNumber));
        item->setText(2, container.containerRow.ContainerName);
        item->setText(3, QStringLiteral("%1").arg(container.containerRow.PickingOrder));
        item->setExpanded(true);
        item->setSelected(false);
        item->setData(0, Qt::UserRole, i);

        m_halconView->addObject(container.searchArea, styles.at(DrawSettings::Colonies_SearchArea), SearchAreaName,
                                false);
        if (m_colonySettings) {
            const ColonySettingsData::LabwareData& labware = m_colonySettings->Labware;
            DrawContainerLabel(m_view, container.containerIndex, labware.SectionsX, labware.SectionsY,
                               labware.PositionX, labware.PositionY, labware.SizeX, labware.SizeY, labware.GapX,
                               labware.GapY, labware.Angle, labware.PositionDirection, SearchAreaTextName,
                               labelStyle.color.c_str(), labelStyle.mode.c_str(), labelStyle.width);
        }
        for (int j = 0; j < container.colonies.size(); ++j)
            addColonyRow(i, j);
        renumberPickOrder(i);
    }
}

void ColonyEditorGui::addColonyRow(int container, int colony)
{
    EditRack& rack = m_model.rack();
    if (!m_model.isValid(container, colony))
        return;
    EditContainer& owner = rack.containers[container];
    EditColony& entry = owner.colonies[colony];
    const DatabaseTableZelvorinColony::Dataset& row = entry.colonyRow;
    const DrawStyle& style = DrawSettings::instance().at(DrawSettings::Colonies_Properties2);

    m_halconView->addObject(entry.contour, style, entry.objectName, true);
    m_halconView->addObject(HalconGenCross(row.PosY_px, row.PosX_px, 10.0, 0.0), style, entry.objectName, false);

    auto* item = new NumericSortTreeWidgetItem(owner.rowItem);
    item->setExpanded(true);
    item->setData(0, Qt::UserRole, colony);
    entry.rowItem = item;

    item->setText(0, QString::asprintf("%d", int(owner.containerRow.ContainerNumber)));
    item->setText(3, QString::asprintf("%d", int(row.PickingOrder)));
    item->setText(5, number(row.PosX_px, "%.1f"));
    item->setText(6, number(row.PosY_px, "%.1f"));
    item->setText(7, number(row.PosX_mm, "%.3f"));
    item->setText(8, number(row.PosY_mm, "%.3f"));
    item->setText(9, number(row.Area_mm2, "%.3f"));
    item->setText(10, number(row.Circularity, "%.3f"));
    item->setText(11, number(row.ClearanceNeighbor_mm, "%.3f"));
    item->setText(12, number(row.ClearanceMargin_mm, "%.3f"));
    if (rack.rackRow.ColorModel == ColonySettingsData::ColorModelRgb) {
        item->setText(13, number(row.ColorRed, "%0.1f"));
        item->setText(14, number(row.ColorGreen, "%0.1f"));
        item->setText(15, number(row.ColorBlue, "%0.1f"));
    }
    if (rack.rackRow.ColorModel == ColonySettingsData::ColorModelHsi) {
        item->setText(23, number(row.ColorHue, "%.1f"));
        item->setText(24, number(row.ColorSaturation, "%.1f"));
        item->setText(25, number(row.ColorIntensity, "%.1f"));
        item->setText(26, number(row.ColorArea_pct, "%.1f"));
    }
    if (row.IsGoodColony) {
        item->setText(4, number(row.LoadingTotal_pct, "%.1f"));
        item->setText(16, number(row.LoadingArea_pct, "%.1f"));
        item->setText(17, number(row.LoadingCircularity_pct, "%.1f"));
        item->setText(18, number(row.LoadingClearanceNeighbor_pct, "%.1f"));
        item->setText(19, number(row.LoadingClearanceMargin_pct, "%.1f"));
    }
    for (int c = 1; c < ui->m_ColoniesTable->columnCount(); ++c)
        item->setTextAlignment(c, Qt::AlignRight);
}

void ColonyEditorGui::renumberPickOrder(int container)
{
    if (!m_model.isValid(container))
        return;
    const QString name = pickOrderName(container);
    m_view->removeObjects(name, false);
    const DrawStyle& style = DrawSettings::instance().at(DrawSettings::Colonies_PickOrder_Label);
    QList<EditColony>& colonies = m_model.rack().containers[container].colonies;
    for (int j = 0; j < colonies.size(); ++j) {
        const EditColony& colony = colonies.at(j);
        const QString text = QStringLiteral("%1").arg(colony.colonyRow.PickingOrder);
        if (colony.rowItem) {
            colony.rowItem->setText(3, text);
            colony.rowItem->setData(0, Qt::UserRole, j);
        }
        m_halconView->addText(text, colony.colonyRow.PosY_px, colony.colonyRow.PosX_px + 2.5, style, name, false,
                              false);
    }
    ui->m_ColoniesTable->sortItems(3, Qt::AscendingOrder);
    m_view->updateView(true);
}

void ColonyEditorGui::slot_QTreeWidget_Colonies_currentItemChanged(QTreeWidgetItem*, QTreeWidgetItem*)
{
}

void ColonyEditorGui::slot_QTreeWidget_Colonies_itemDoubleClicked(QTreeWidgetItem* current, int)
{
    int container = -1;
    int colony = -1;
    if (!current || !m_model.findColonyByItem(current, container, colony))
        return;
    const DatabaseTableZelvorinColony::Dataset& row = m_model.rack().containers.at(container).colonies.at(colony).colonyRow;
    double xPercent = 0.0;
    double yPercent = 0.0;
    m_view->convertPixelToPercent(row.PosX_px, row.PosY_px, xPercent, yPercent);
    m_view->centerViewOnPercent(xPercent, yPercent);
}

void ColonyEditorGui::EnableUpDownButtons(int selectedItems)
{
    ui->m_QPushButton_MoveUp->setEnabled(selectedItems == 1);
    ui->m_QPushButton_MoveDown->setEnabled(selectedItems == 1);
    ui->m_QPushButton_MoveTop->setEnabled(selectedItems > 0);
    ui->m_QPushButton_MoveBottom->setEnabled(selectedItems > 0);
}

void ColonyEditorGui::slot_QTreeWidget_Colonies_itemSelectionChanged()
{
    const QList<QTreeWidgetItem*> selected = ui->m_ColoniesTable->selectedItems();
    EnableUpDownButtons(int(selected.size()));
    {
        const QSignalBlocker blocker(m_view);
        m_view->clearSelection(QString(), false);
        for (QTreeWidgetItem* item : selected) {
            if (!item->parent())
                continue;
            int container = -1;
            int colony = -1;
            if (m_model.findColonyByItem(item, container, colony))
                m_view->selectObjects(m_model.rack().containers.at(container).colonies.at(colony).objectName, false);
        }
    }
    m_view->updateView(true);
}

void ColonyEditorGui::setMouseModeButton(bool add)
{
    QPushButton* button = add ? ui->m_QPushButton_AddColony : ui->m_QPushButton_RemoveColony;
    QPushButton* other = add ? ui->m_QPushButton_RemoveColony : ui->m_QPushButton_AddColony;
    if (button->isChecked()) {
        other->setChecked(false);
        m_view->clearSelection(QString(), true);
        ui->m_ColoniesTable->clearSelection();
        m_mouseMode = add ? MouseModeAdd : MouseModeRemove;
    } else {
        m_mouseMode = MouseModeNone;
        m_view->endMouseMode();
    }
}

void ColonyEditorGui::slot_QPushButton_AddColony_clicked()
{
    setMouseModeButton(true);
}

void ColonyEditorGui::slot_QPushButton_RemoveColony_clicked()
{
    setMouseModeButton(false);
}

void ColonyEditorGui::slot_QPushButton_Ok_clicked()
{
    accept();
}

void ColonyEditorGui::slot_QPushButton_Cancel_clicked()
{
    reject();
}

void ColonyEditorGui::moveOneStep(int step)
{
    const QList<QTreeWidgetItem*> selected = ui->m_ColoniesTable->selectedItems();
    if (selected.size() != 1)
        return;
    m_model.setChanged();
    QTreeWidgetItem* item = selected.first();
    if (!item->parent())
        return;
    const int container = item->parent()->data(0, Qt::UserRole).toInt();
    const int colony = item->data(0, Qt::UserRole).toInt();
    if (m_model.moveColony(container, colony, step))
        renumberPickOrder(container);
}

void ColonyEditorGui::moveToEnd(bool top)
{
    m_model.setChanged();
    QList<ColonyEditorModel::Position> positions;
    for (QTreeWidgetItem* item : ui->m_ColoniesTable->selectedItems()) {
        if (item->parent())
            positions.append({item->parent()->data(0, Qt::UserRole).toInt(), item->data(0, Qt::UserRole).toInt()});
    }
    for (int container : m_model.moveColoniesToEnd(positions, top))
        renumberPickOrder(container);
}

void ColonyEditorGui::slot_QPushButton_MoveUp_clicked()
{
    moveOneStep(-1);
}

void ColonyEditorGui::slot_QPushButton_MoveTop_clicked()
{
    moveToEnd(true);
}

void ColonyEditorGui::slot_QPushButton_MoveDown_clicked()
{
    moveOneStep(1);
}

void ColonyEditorGui::slot_QPushButton_MoveBottom_clicked()
{
    moveToEnd(false);
}

void ColonyEditorGui::slot_HalconMousePressEvent(double x, double y)
{
    int container = -1;
    int colony = -1;
    if (m_mouseMode == MouseModeAdd) {
        if (!m_model.addColony(x, y, container))
            return;
        addColonyRow(container, 0);
        renumberPickOrder(container);
        return;
    }
    m_model.hitTest(x, y, container, colony);
    if (m_mouseMode == MouseModeRemove) {
        if (container < 0 || colony < 0)
            return;
        EditColony& entry = m_model.rack().containers[container].colonies[colony];
        delete entry.rowItem;
        entry.rowItem = nullptr;
        m_view->removeObjects(entry.objectName, false);
        m_model.removeColony(container, colony);
        renumberPickOrder(container);
        return;
    }
    if (container < 0 || colony < 0) {
        m_view->clearSelection(QString(), true);
        {
            const QSignalBlocker blocker(ui->m_ColoniesTable);
            ui->m_ColoniesTable->clearSelection();
        }
        ui->m_QPushButton_MoveUp->setEnabled(false);
        ui->m_QPushButton_MoveDown->setEnabled(false);
        ui->m_QPushButton_MoveTop->setEnabled(false);
        ui->m_QPushButton_MoveBottom->setEnabled(false);
    }
}

void ColonyEditorGui::slot_HalconMouseMoveEvent(double x, double y)
{
    if (m_mouseMode == MouseModeNone)
        return;
    int container = -1;
    int colony = -1;
    m_model.hitTest(x, y, container, colony);
    Qt::CursorShape shape = Qt::ForbiddenCursor;
    if (container >= 0)
        shape = (m_mouseMode == MouseModeRemove && colony >= 0) ? Qt::PointingHandCursor : Qt::CrossCursor;
    m_view->beginMouseMode(QCursor(shape));
}

void ColonyEditorGui::slot_HalconMouseReleaseEvent(double, double)
{
}

void ColonyEditorGui::slot_HalconObjectSelected(QString objectName)
{
    const int selected = int(m_view->getSelectedObjects(QString()).size());
    EnableUpDownButtons(selected);
    int container = -1;
    int colony = -1;
    const QSignalBlocker blocker(ui->m_ColoniesTable);
    if (m_model.findColonyByName(objectName, container, colony)) {
        QTreeWidgetItem* item = m_model.rack().containers.at(container).colonies.at(colony).rowItem;
        if (item)
            item->setSelected(true);
    } else {
        ui->m_ColoniesTable->clearSelection();
    }
}

void ColonyEditorGui::slot_Action_ResizeColumns()
{
    auto* tree = qobject_cast<QTreeWidget*>(focusWidget());
    if (!tree)
        return;
    ResizeTreeWidgetColumnsToContents(tree);
    // The pick order is the only order of this table; the header must not re-sort it.
    if (tree == ui->m_ColoniesTable)
        tree->setSortingEnabled(false);
}

void ColonyEditorGui::closeEvent(QCloseEvent* event)
{
    if (!m_model.isChanged()) {
        event->accept();
        reject();
        return;
    }
    const QMessageBox::StandardButton answer =
        MessageBox_Helper::question(this, QStringLiteral("Edit Colonies"), QStringLiteral("Save changes?"),
                                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::NoButton);
    if (answer == QMessageBox::Yes) {
        event->accept();
        accept();
    } else if (answer == QMessageBox::No) {
        event->accept();
        reject();
    } else {
        event->ignore();
    }
}
