#pragma once

#include "Database.h"
#include "Errors.h"

#include <QDialog>
#include <QList>
#include <QString>

class ApplicationDatabase;
class QCloseEvent;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
struct StoredResultListItem;

// What the results browsers share: the list of stored results (newest first, at most
// UnfilteredLimit rows until "Show all entries"), the choice of the one result handed back for
// evaluating again, the "Data export" of the selected ones, and closing (window or Cancel) as
// a rejection. While the browser is busy it neither closes nor hands anything back. Its texts
// are translated in the browser's own context.
class StoredResultsBrowser : public QDialog {
    Q_OBJECT
public:
    enum ReevaluateMode { ReevaluateNone = 0, ReevaluateDatabaseSettings = 1, ReevaluateCurrentSettings = 2 };

    // An unfiltered search lists at most this many results until "Show all entries".
    static constexpr int UnfilteredLimit = 500;

    int reevaluateMode() const { return m_mode; }
    // Writes the results into the archive (appended to an existing one when asked); with
    // interactive, failures are shown as they happen. 0 or the first failure's code.
    virtual Errors::Type_Error exportToZipArchive(const QList<Database::ID>& ids, const QString& archivePath,
                                                  bool append, bool interactive) = 0;

protected:
    StoredResultsBrowser(const char* context, ApplicationDatabase* database, QWidget* parent);

    // The form's widgets, before the first search.
    void setResultList(QTreeWidget* list, QWidget* showAllEntries, QLineEdit* filter);
    ApplicationDatabase* database() const { return m_database; }
    QTreeWidget* resultList() const { return m_list; }

    // The results to list for the filter text, at most limit of them (-1: all); more tells
    // whether further ones exist. 0 or the table's code.
    virtual Errors::Type_Error selectResults(const QString& filter, int limit, QList<Database::ID>& ids,
                                             bool& more) = 0;
    // The list row of one result; false for one that cannot be read (it is left out).
    virtual bool readResult(Database::ID id, StoredResultListItem& row) = 0;
    // The current result changed (also to the first row of a new list).
    virtual void showResult(QTreeWidgetItem* current) = 0;
    // After each successful search, with the first row shown.
    virtual void listFilled() {}
    // Reads the result of row for handing back in mode; false after the browser said why.
    virtual bool takeResult(QTreeWidgetItem* row, int mode) = 0;
    // Work of the browser's own that must end before it closes or hands a result back.
    virtual bool busy() const { return false; }

    void closeEvent(QCloseEvent* event) override;

    // A critical box "Database error" with text (untranslated, in the browser's context).
    void databaseError(const char* text);

protected slots:
    void slot_QPushButton_ShowAllEntries_clicked();
    void slot_QPushButton_Filter_Search_clicked();
    void slot_QPushButton_Reevaluate_DatabaseSettings_clicked();
    void slot_QPushButton_Reevaluate_CurrentSettings_clicked();
    void slot_QPushButton_DataExport_clicked();
    void slot_QPushButton_Cancel_clicked();

protected:
    // The one selected result handed back in mode, and the dialog accepted.
    void reevaluate(int mode);

private:
    const char* const m_context;
    ApplicationDatabase* const m_database;
    QTreeWidget* m_list = nullptr;
    QWidget* m_showAllEntries = nullptr;
    QLineEdit* m_filter = nullptr;
    bool m_showAll = false;
    int m_mode = ReevaluateNone;
    QString m_lastExportFile;
};
