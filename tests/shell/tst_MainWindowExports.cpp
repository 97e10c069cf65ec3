#include "ColonyAnalyserGui.h"
#include "ColonyDatabaseGui.h"
#include "DatabaseQueries.h"
#include "DemoTruth.h"
#include "ExportTarget_Dialog.h"
#include "Hobject_View_Gui.h"
#include "MainWindowFixture.h"
#include "ui_MainWindowGui.h"

#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

using namespace MainWindowFixture;

// The operator's exports from the stand-alone window: the colony results (CSV), stored racks
// (ZIP, from the results browser) and the picture of a viewer. A file that is the program's
// own data, or no file at all, is refused right after the file dialog, before any further
// question, with the file and the reason; the file and the database stay as they were.
class tst_MainWindowExports : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void refusedRightAfterTheFileDialog_data();
    void refusedRightAfterTheFileDialog();
    void existingFileReplacedOnlyWhenAgreed_data();
    void existingFileReplacedOnlyWhenAgreed();

private:
    // Runs the export through its command; the file dialog answers target.
    void runExport(const QString& path, const QString& target);
    QString absolute(const QString& target) const;

    std::unique_ptr<ProgramFolder> m_folder;
    Answers m_answers;
    std::unique_ptr<WindowUnderTest> m_test;
    MainWindowGui* m_window = nullptr;
    int m_rack = -1;
};

void tst_MainWindowExports::initTestCase()
{
    m_folder = std::make_unique<ProgramFolder>();
    QVERIFY(m_folder->isValid());
    m_test = std::make_unique<WindowUnderTest>(false, m_answers);
    m_window = &m_test->make();
    m_window->form()->m_QAction_Menubar_Colony_Demo_Plate->trigger();
    QCOMPARE(DemoTruth::waitForAnalysis(*m_window), Errors::Type_Error(0));
    QCOMPARE(m_window->AnalyseColonies_SaveResult(false, QStringLiteral("EXPORT-1"), QString(), m_rack),
             Errors::Type_Error(0));
    QVERIFY(m_rack > 0);
}

void tst_MainWindowExports::cleanupTestCase()
{
    m_window = nullptr;
    m_test.reset();
    m_folder.reset();
}

void tst_MainWindowExports::init()
{
    m_answers.boxes.clear();
    m_answers.fileRequests.clear();
    m_answers.boxAnswer = QMessageBox::NoButton;
    m_answers.fileAnswer.clear();
    m_answers.dialog = {};
}

QString tst_MainWindowExports::absolute(const QString& target) const
{
    return QDir::isAbsolutePath(target) ? target : m_folder->filePath(target);
}

void tst_MainWindowExports::runExport(const QString& path, const QString& target)
{
    m_answers.fileAnswer = absolute(target);
    if (path == QLatin1String("csv")) {
        m_window->form()->m_QAction_Menubar_Analyse_ExportColonyResults->trigger();
    } else if (path == QLatin1String("zip")) {
        const int rack = m_rack;
        m_answers.dialog = [rack](QDialog* dialog) {
            auto* browser = qobject_cast<ColonyDatabaseGui*>(dialog);
            if (!browser)
                return int(QDialog::Rejected);
            auto* list = browser->findChild<QTreeWidget*>(QStringLiteral("m_QTreeWidget_RackList"));
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                if (list->topLevelItem(i)->data(0, Qt::UserRole).toInt() == rack)
                    list->setCurrentItem(list->topLevelItem(i));
            }
            browser->findChild<QPushButton*>(QStringLiteral("m_QPushButton_DataExport"))->click();
            return int(QDialog::Rejected);
        };
        m_window->form()->m_QAction_Menubar_PictureFromDatabase->trigger();
        m_answers.dialog = {};
    } else {
        m_window->colonyAnalyserGui()->view()->findChild<QToolButton*>(QStringLiteral("m_QToolButton_Save"))->click();
    }
    m_answers.fileAnswer.clear();
}

void tst_MainWindowExports::refusedRightAfterTheFileDialog_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("reason"); // what the box says about the target
    QTest::newRow("colony results over the database") << "csv" << "database/zelvorin.db3" << "is the open database";
    QTest::newRow("archive over the database") << "zip" << "database/zelvorin.db3" << "is the open database";
    QTest::newRow("picture over the database") << "picture" << "database/zelvorin.db3" << "is the open database";
    QTest::newRow("colony results as a journal") << "csv" << "database/zelvorin.db3-journal"
                                                 << "is a journal of the open database";
    QTest::newRow("picture into the picture folder") << "picture" << "database/pictures/export.png"
                                                     << "lies in the picture folder";
    QTest::newRow("archive among the settings") << "zip" << "settings/Colony/default.ColonySettings"
                                                << "lies in the program's settings folder";
    QTest::newRow("colony results over a folder") << "csv" << "database" << "is a folder";
    QTest::newRow("archive onto a device") << "zip" << "/dev/null" << "is a device";
}

void tst_MainWindowExports::refusedRightAfterTheFileDialog()
{
    QFETCH(QString, path);
    QFETCH(QString, target);
    QFETCH(QString, reason);
    const QString file = absolute(target);
    const QFileInfo before(file);
    const QByteArray bytes = before.isFile() && file != QLatin1String("/dev/null") ? readFile(file) : QByteArray();

    runExport(path, target);

    QCOMPARE(m_answers.fileRequests.size(), 1);
    // The viewer asks which picture before it asks for the file; after the dialog, only the
    // refusal comes.
    QList<MessageBox_Helper::Request> boxes = m_answers.boxes;
    if (path == QLatin1String("picture"))
        QVERIFY(boxes.takeFirst().text.startsWith(QStringLiteral("Do you want export the picture")));
    QCOMPARE(boxes.size(), 1);
    const MessageBox_Helper::Request refusal = boxes.first();
    QCOMPARE(refusal.icon, QMessageBox::Critical);
    QVERIFY2(refusal.text.startsWith(QStringLiteral("Cannot export to \"%1\": it ").arg(QDir::toNativeSeparators(file))),
             qPrintable(refusal.text));
    QVERIFY2(refusal.text.contains(reason), qPrintable(refusal.text));

    const QFileInfo after(file);
    QCOMPARE(after.exists(), before.exists());
    QCOMPARE(after.isDir(), before.isDir());
    if (!bytes.isEmpty())
        QCOMPARE(readFile(file), bytes);
    DatabaseQueries::Rack stored;
    QCOMPARE(m_window->Database_GetZelvorinRack(m_rack, stored), Errors::Type_Error(0));
}

void tst_MainWindowExports::existingFileReplacedOnlyWhenAgreed_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("colony results kept") << "csv" << int(QMessageBox::No) << false;
    QTest::newRow("colony results replaced") << "csv" << int(QMessageBox::Yes) << true;
    QTest::newRow("picture kept") << "picture" << int(QMessageBox::No) << false;
}

// The file dialog no longer asks about an existing file (it would ask before the refusal);
// the export asks after it, and writes nothing unless the operator agrees.
void tst_MainWindowExports::existingFileReplacedOnlyWhenAgreed()
{
    QFETCH(QString, path);
    QFETCH(int, answer);
    QFETCH(bool, replaced);
    const QString file = m_folder->filePath(QStringLiteral("export/existing.") + path);
    QVERIFY(writeFile(file, "kept"));
    m_answers.boxAnswer = QMessageBox::StandardButton(answer);

    runExport(path, file);

    QCOMPARE(m_answers.fileRequests.size(), 1);
    QVERIFY(!m_answers.fileRequests.first().confirmOverwrite);
    QList<MessageBox_Helper::Request> boxes = m_answers.boxes;
    if (path == QLatin1String("picture"))
        boxes.removeFirst();
    QVERIFY(!boxes.isEmpty());
    QCOMPARE(boxes.first().icon, QMessageBox::Question);
    QCOMPARE(boxes.first().text,
             QStringLiteral("\"%1\" already exists.\nDo you want to replace it?").arg(QDir::toNativeSeparators(file)));
    QCOMPARE(readFile(file) != "kept", replaced);
    if (!replaced) {
        QCOMPARE(boxes.size(), 1);
        return;
    }
    // A written export says so, as the archive export does.
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes.at(1).icon, QMessageBox::Information);
    QCOMPARE(boxes.at(1).title, QStringLiteral("Export Colony Results"));
    QCOMPARE(boxes.at(1).text, QStringLiteral("Export to \"%1\" done!").arg(file));
    QVERIFY(readFile(file).count('\n') > 100);
}

QTEST_MAIN(tst_MainWindowExports)
#include "tst_MainWindowExports.moc"
