#pragma once

#include "ColonyEditorModel.h"

#include <QDialog>
#include <QList>
#include <QString>

#include <memory>

class ColonySettings;
class HalconViewImpl;
class Hobject_View_Gui;
class IHalconView;
class QCloseEvent;
class QTreeWidgetItem;
class Ui_ColonyEditorGui;

// The modal dialog "Edit Colonies": the operator adds and removes colonies of a finished
// analysis and changes their pick order within a container, on a copy of the page's rack.
// The page reads the edited copy back after an accepted exec() (ColonyEditApply applies it
// to the page's rack). No database work happens here.
class ColonyEditorGui : public QDialog {
    Q_OBJECT
public:
    using EditColony = ColonyEditorModel::EditColony;
    using EditContainer = ColonyEditorModel::EditContainer;
    using EditRack = ColonyEditorModel::EditRack;

    enum MouseMode { MouseModeNone = 0, MouseModeAdd = 1, MouseModeRemove = 2 };

    // One column of the colony table: header and whether each colour model shows it.
    struct ColumnInfo {
        int index = 0;
        QString header;
        bool visible[3] = {true, true, true};
        int rememberedWidth = 0;
    };

    static constexpr int ColumnCount = 27;
    static QString settingsOrganization() { return QStringLiteral("Varnholt Selvanz AG"); }
    static QString settingsApplication() { return QStringLiteral("Zelvorin"); }
    static QString settingsGroup() { return QStringLiteral("ColonyEditorTableColonies"); }

    // The last argument is not used.
    ColonyEditorGui(ColonySettings* colonySettings, const EditRack& rack, QWidget* parent, bool unused);
    ~ColonyEditorGui() override;

    // The edited copy; read by the page after exec() returned Accepted.
    const EditRack& editRack() const { return m_model.rack(); }
    bool isChanged() const { return m_model.isChanged(); }
    int mouseMode() const { return m_mouseMode; }

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void slot_QTreeWidget_Colonies_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void slot_QTreeWidget_Colonies_itemDoubleClicked(QTreeWidgetItem* current, int column);
    void EnableUpDownButtons(int selectedItems);
    void slot_QTreeWidget_Colonies_itemSelectionChanged();
    void slot_QPushButton_AddColony_clicked();
    void slot_QPushButton_RemoveColony_clicked();
    void slot_QPushButton_Ok_clicked();
    void slot_QPushButton_Cancel_clicked();
    void slot_QPushButton_MoveUp_clicked();
    void slot_QPushButton_MoveTop_clicked();
    void slot_QPushButton_MoveDown_clicked();
    void slot_QPushButton_MoveBottom_clicked();
    void slot_HalconMousePressEvent(double x, double y);
    void slot_HalconMouseMoveEvent(double x, double y);
    void slot_HalconMouseReleaseEvent(double x, double y);
    void slot_HalconObjectSelected(QString objectName);
    void slot_Action_ResizeColumns();

private:
    void buildColumns();
    void fillFromRack();
    void addColonyRow(int container, int colony);
    void renumberPickOrder(int container);
    void setMouseModeButton(bool add);
    void moveToEnd(bool top);
    void moveOneStep(int step);

    std::unique_ptr<Ui_ColonyEditorGui> ui;
    ColonySettings* m_colonySettings;
    ColonyEditorModel m_model;
    Hobject_View_Gui* m_view = nullptr;
    std::unique_ptr<HalconViewImpl> m_halconViewImpl;
    IHalconView* m_halconView = nullptr;
    QList<ColumnInfo> m_columns;
    int m_mouseMode = MouseModeNone;
};
