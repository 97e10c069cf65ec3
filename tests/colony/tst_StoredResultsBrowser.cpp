// What the results browsers share, on a browser whose results are scripted: a failed search
// lists nothing and offers no "Show all entries", unreadable results are left out, the
// export goes over exactly the selected results, and a busy browser neither closes nor hands
// a result back.

#include "ApplicationDatabase.h"
#include "DialogScript.h"
#include "StoredResultListItem.h"
#include "StoredResultsBrowser.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtTest>

#include <algorithm>

namespace {

class ScriptedBrowser : public StoredResultsBrowser {
public:
    explicit ScriptedBrowser(ApplicationDatabase* database)
        : StoredResultsBrowser("ScriptedBrowser", database, nullptr)
    {
        auto* layout = new QVBoxLayout(this);
        list = new QTreeWidget(this);
        list->setColumnCount(6);
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        showAll = new QWidget(this);
        filter = new QLineEdit(this);
        layout->addWidget(list);
        layout->addWidget(showAll);
        layout->addWidget(filter);
        setResultList(list, showAll, filter);
    }

    void search() { slot_QPushButton_Filter_Search_clicked(); }
    void exportSelected() { slot_QPushButton_DataExport_clicked(); }
    void cancel() { slot_QPushButton_Cancel_clicked(); }
    void reevaluateWithCurrentSettings() { slot_QPushButton_Reevaluate_CurrentSettings_clicked(); }

    QTreeWidget* list = nullptr;
    QWidget* showAll = nullptr;
    QLineEdit* filter = nullptr;
    // Newest first; failing: the search's code.
    QList<Database::ID> stored;
    QList<Database::ID> unreadable;
    Errors::Type_Error failing = 0;
    QList<Database::ID> shown;
    QList<Database::ID> exported;
    QString archive;
    bool isBusy = false;

protected:
    Errors::Type_Error selectResults(const QString&, int limit, QList<Database::ID>& ids, bool& more) override
    {
        if (failing != 0)
            return failing;
        ids = limit < 0 ? stored : stored.mid(0, limit);
        more = ids.size() < stored.size();
        return 0;
    }
    bool readResult(Database::ID id, StoredResultListItem& row) override
    {
        if (unreadable.contains(id))
            return false;
        row.id = id;
        row.barcode = QStringLiteral("B%1").arg(id);
        return true;
    }
    void showResult(QTreeWidgetItem* current) override { shown.append(current->data(0, Qt::UserRole).toInt()); }
    bool takeResult(QTreeWidgetItem*, int) override { return true; }
    bool busy() const override { return isBusy; }
    Errors::Type_Error exportToZipArchive(const QList<Database::ID>& ids, const QString& archivePath, bool, bool) override
    {
        exported = ids;
        archive = archivePath;
        return 0;
    }
};

QList<Database::ID> listed(const QTreeWidget* list)
{
    QList<Database::ID> ids;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        ids.append(list->topLevelItem(i)->data(0, Qt::UserRole).toInt());
    return ids;
}

QList<Database::ID> range(int count)
{
    QList<Database::ID> ids;
    for (int id = count; id >= 1; --id)
        ids.append(id);
    return ids;
}

} // namespace

class tst_StoredResultsBrowser : public QObject {
    Q_OBJECT
private slots:
    void unreadableResultsAreLeftOut();
    void failedSearchListsNothing();
    void exportGoesOverTheSelection();
    void busyBrowserStaysOpen_data();
    void busyBrowserStaysOpen();

private:
    ApplicationDatabase m_database{nullptr, QStringLiteral("unopened")};
};

void tst_StoredResultsBrowser::unreadableResultsAreLeftOut()
{
    DialogScript::Script script;
    ScriptedBrowser browser(&m_database);
    browser.stored = {4, 3, 2, 1};
    browser.unreadable = {4, 2};
    browser.search();
    QCOMPARE(listed(browser.list), (QList<Database::ID>{3, 1}));
    QCOMPARE(browser.list->currentItem(), browser.list->topLevelItem(0));
    QCOMPARE(browser.shown, QList<Database::ID>{3});
    QVERIFY(script.boxes.isEmpty());
}

void tst_StoredResultsBrowser::failedSearchListsNothing()
{
    DialogScript::Script script;
    ScriptedBrowser browser(&m_database);
    browser.stored = range(StoredResultsBrowser::UnfilteredLimit + 1);
    browser.search();
    QVERIFY(!browser.showAll->isHidden());

    browser.failing = 85;
    browser.search();
    QCOMPARE(browser.list->topLevelItemCount(), 0);
    QVERIFY(browser.showAll->isHidden());
    QCOMPARE(script.titles(), QStringList{"Database error"});
    QCOMPARE(script.boxes.constFirst().text, QStringLiteral("Cannot get the information from the database!"));
    QVERIFY(!QApplication::overrideCursor());
}

void tst_StoredResultsBrowser::exportGoesOverTheSelection()
{
    DialogScript::Script script;
    ScriptedBrowser browser(&m_database);
    browser.stored = range(3);
    browser.search();
    browser.list->clearSelection();
    browser.exportSelected();
    QCOMPARE(script.boxes.size(), 1);
    QCOMPARE(script.boxes.constFirst().text, QStringLiteral("Please select one or more entries!"));
    QVERIFY(script.files.isEmpty());

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString archive = folder.filePath(QStringLiteral("results.zip"));
    script.fileAnswers = {archive};
    browser.list->topLevelItem(0)->setSelected(true);
    browser.list->topLevelItem(2)->setSelected(true);
    browser.exportSelected();
    std::sort(browser.exported.begin(), browser.exported.end());
    QCOMPARE(browser.exported, (QList<Database::ID>{1, 3}));
    QCOMPARE(browser.archive, archive);
}

// How the operator tries to leave the browser.
enum class Leave { Close, Cancel, Reevaluate };
Q_DECLARE_METATYPE(Leave)

void tst_StoredResultsBrowser::busyBrowserStaysOpen_data()
{
    QTest::addColumn<Leave>("leave");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<int>("finished");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("mode");

    const int rejected = QDialog::Rejected;
    const int accepted = QDialog::Accepted;
    const int none = StoredResultsBrowser::ReevaluateNone;
    QTest::newRow("window closed") << Leave::Close << false << 1 << rejected << none;
    QTest::newRow("window closed while busy") << Leave::Close << true << 0 << rejected << none;
    QTest::newRow("cancel") << Leave::Cancel << false << 1 << rejected << none;
    QTest::newRow("cancel while busy") << Leave::Cancel << true << 0 << rejected << none;
    QTest::newRow("reevaluate") << Leave::Reevaluate << false << 1 << accepted
                                << int(StoredResultsBrowser::ReevaluateCurrentSettings);
    QTest::newRow("reevaluate while busy") << Leave::Reevaluate << true << 0 << rejected << none;
}

void tst_StoredResultsBrowser::busyBrowserStaysOpen()
{
    QFETCH(Leave, leave);
    QFETCH(bool, busy);
    QFETCH(int, finished);
    QFETCH(int, result);
    QFETCH(int, mode);

    DialogScript::Script script;
    ScriptedBrowser browser(&m_database);
    browser.stored = range(2);
    browser.search();
    browser.isBusy = busy;
    QSignalSpy finishedSpy(&browser, &QDialog::finished);
    switch (leave) {
    case Leave::Close: {
        QCloseEvent event;
        QCoreApplication::sendEvent(&browser, &event);
        QCOMPARE(event.isAccepted(), !busy);
        break;
    }
    case Leave::Cancel:
        browser.cancel();
        break;
    case Leave::Reevaluate:
        browser.reevaluateWithCurrentSettings();
        break;
    }
    QCOMPARE(finishedSpy.size(), finished);
    QCOMPARE(browser.result(), result);
    QCOMPARE(browser.reevaluateMode(), mode);
    QVERIFY(script.boxes.isEmpty());
}

QTEST_MAIN(tst_StoredResultsBrowser)
#include "tst_StoredResultsBrowser.moc"
