#include "StoredResultsBrowser.h"

#include "ArchiveExport.h"
#include "MessageBox_Helper.h"
#include "StoredResultListItem.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTreeWidget>

StoredResultsBrowser::StoredResultsBrowser(const char* context, ApplicationDatabase* database, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
    , m_database(database)
{
}

void StoredResultsBrowser::setResultList(QTreeWidget* list, QWidget* showAllEntries, QLineEdit* filter)
{
    m_list = list;
    m_showAllEntries = showAllEntries;
    m_filter = filter;
}

void StoredResultsBrowser::databaseError(const char* text)
{
    MessageBox_Helper::critical(this, QCoreApplication::translate(m_context, "Database error"),
                                QCoreApplication::translate(m_context, text));
}

void StoredResultsBrowser::slot_QPushButton_ShowAllEntries_clicked()
{
    m_showAll = true;
    slot_QPushButton_Filter_Search_clicked();
}

void StoredResultsBrowser::slot_QPushButton_Filter_Search_clicked()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_list->clear();
    QList<Database::ID> ids;
    bool more = false;
    if (selectResults(m_filter->text(), m_showAll ? -1 : UnfilteredLimit, ids, more) != 0) {
        m_showAllEntries->setVisible(false);
        QApplication::restoreOverrideCursor();
        databaseError("Cannot get the information from the database!");
        return;
    }
    m_showAllEntries->setVisible(more);

    for (Database::ID id : ids) {
        StoredResultListItem row;
        if (readResult(id, row))
            row.addTo(m_list);
    }
    for (int c = 0; c < m_list->columnCount() - 1; ++c)
        m_list->resizeColumnToContents(c);

    if (m_list->topLevelItemCount() > 0) {
        QTreeWidgetItem* first = m_list->topLevelItem(0);
        {
            const QSignalBlocker blocker(m_list);
            m_list->setCurrentItem(first);
        }
        showResult(first);
    }
    listFilled();
    QApplication::restoreOverrideCursor();
}

void StoredResultsBrowser::closeEvent(QCloseEvent* event)
{
    if (busy()) {
        event->ignore();
        return;
    }
    event->accept();
    reject();
}

void StoredResultsBrowser::slot_QPushButton_Cancel_clicked()
{
    if (!busy())
        reject();
}

void StoredResultsBrowser::reevaluate(int mode)
{
    if (busy())
        return;
    if (m_list->selectedItems().size() > 1) {
        databaseError("Please select only one entry!");
        return;
    }
    QTreeWidgetItem* current = m_list->currentItem();
    if (!current || !m_database || !takeResult(current, mode))
        return;
    m_mode = mode;
    accept();
}

void StoredResultsBrowser::slot_QPushButton_Reevaluate_DatabaseSettings_clicked()
{
    reevaluate(ReevaluateDatabaseSettings);
}

void StoredResultsBrowser::slot_QPushButton_Reevaluate_CurrentSettings_clicked()
{
    reevaluate(ReevaluateCurrentSettings);
}

void StoredResultsBrowser::slot_QPushButton_DataExport_clicked()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty()) {
        databaseError("Please select one or more entries!");
        return;
    }
    QList<Database::ID> ids;
    for (const QTreeWidgetItem* item : selected)
        ids.append(item->data(0, Qt::UserRole).toInt());
    ArchiveExport::runFromDialog(this, m_context, m_lastExportFile, [&](const QString& fileName, bool append) {
        return exportToZipArchive(ids, fileName, append, true);
    });
}
