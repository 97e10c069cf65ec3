#include "ColonyDatabaseGui.h"
#include "RackDatabaseFixture.h"
#include "RackReevaluation.h"

#include "Hobject_View_Gui.h"
#include "MessageBox_Helper.h"
#include "Zip_Helper.h"

#include <Halcon.h>

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QtTest>

using namespace RackDatabaseFixture;

namespace {

QTreeWidget* rackList(ColonyDatabaseGui& dialog)
{
    return dialog.findChild<QTreeWidget*>(QStringLiteral("m_QTreeWidget_RackList"));
}

QTreeWidget* containerList(ColonyDatabaseGui& dialog)
{
    return dialog.findChild<QTreeWidget*>(QStringLiteral("m_QTreeWidget_ContainerList"));
}

QPushButton* button(ColonyDatabaseGui& dialog, const char* name)
{
    return dialog.findChild<QPushButton*>(QLatin1String(name));
}

bool showAllVisible(ColonyDatabaseGui& dialog)
{
    return !dialog.findChild<QWidget*>(QStringLiteral("m_QWidget_ShowAllEntries"))->isHidden();
}

QStringList listedBarcodes(ColonyDatabaseGui& dialog)
{
    QStringList result;
    for (int i = 0; i < rackList(dialog)->topLevelItemCount(); ++i)
        result.append(rackList(dialog)->topLevelItem(i)->text(2));
    result.sort();
    return result;
}

// Records what it is asked to analyse.
class RecordingAnalyser : public RackReevaluation::Analyser {
public:
    Errors::Type_Error analyse(const ColonySettingsData& settings, const Halcon::Hobject& picture) override
    {
        ++calls;
        name = settings.name;
        Halcon::HTuple width;
        Halcon::HTuple height;
        Halcon::get_image_size(picture, &width, &height);
        pictureWidth = width.Length() > 0 ? width.I() : 0;
        return 0;
    }
    int calls = 0;
    QString name;
    int pictureWidth = 0;
};

} // namespace

class tst_ColonyDatabaseGui : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void emptyDatabase();
    void unfilteredLimit_data();
    void unfilteredLimit();
    void filter_takesTextLiterally_data();
    void filter_takesTextLiterally();
    void errorRack_markedRed();
    void display_listsPickableColonies();
    void reevaluate_data();
    void reevaluate();
    void reevaluate_twoSelected();
    void reevaluation_restoresCorrectionAndAnalyses();
    void dataExport_existingArchive_data();
    void dataExport_existingArchive();

private:
    Database::ID insert(DatabaseTableZelvorinRack::Dataset row);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DatabaseTestSupport::OpenDatabase> m_db;
    QList<MessageBox_Helper::Request> m_boxes;
    QMessageBox::StandardButton m_answer = QMessageBox::NoButton;
    QString m_fileAnswer;
};

void tst_ColonyDatabaseGui::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    MessageBox_Helper::setAnswerFunction([this](const MessageBox_Helper::Request& request) {
        m_boxes.append(request);
        return m_answer;
    });
    MessageBox_Helper::setFileAnswerFunction([this](const MessageBox_Helper::FileRequest&) { return m_fileAnswer; });
}

void tst_ColonyDatabaseGui::init()
{
    m_boxes.clear();
    m_answer = QMessageBox::NoButton;
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir::setCurrent(m_dir->path()));
    m_db = DatabaseTestSupport::createDatabase(*m_dir);
    QCOMPARE(int(m_db->createResult), 0);
}

void tst_ColonyDatabaseGui::cleanup()
{
    CorrectionInfo::resetCurrent();
    m_db.reset();
    m_dir.reset();
}

Database::ID tst_ColonyDatabaseGui::insert(DatabaseTableZelvorinRack::Dataset row)
{
    if (m_db->holder->tableRack()->Insert(row) != 0)
        return -1;
    return row.RackID;
}

void tst_ColonyDatabaseGui::emptyDatabase()
{
    ColonyDatabaseGui dialog(m_db->holder.get(), nullptr, false);
    QCOMPARE(dialog.objectName(), QStringLiteral("ColonyDatabaseGui"));
    QCOMPARE(rackList(dialog)->topLevelItemCount(), 0);
    QCOMPARE(dialog.selectedRackId(), -1);
    QCOMPARE(containerList(dialog)->topLevelItemCount(), 0);
    QVERIFY(!showAllVisible(dialog));
    QCOMPARE(dialog.findChild<Hobject_View_Gui*>()->getPictureCount(), 0);
    QVERIFY(m_boxes.isEmpty());
    QCOMPARE(dialog.reevaluateMode(), 0);
}

void tst_ColonyDatabaseGui::unfilteredLimit_data()
{
    QTest::addColumn<int>("racks");
    QTest::addColumn<int>("listed");
    QTest::addColumn<bool>("panel");
    QTest::newRow("exactly the limit") << 500 << 500 << false;
    QTest::newRow("one more") << 501 << 500 << true;
}

void tst_ColonyDatabaseGui::unfilteredLimit()
{
    QFETCH(int, racks);
    QFETCH(int, listed);
    QFETCH(bool, panel);
    QCOMPARE(int(m_db->holder->beginTransaction()), 0);
    for (int i = 0; i < racks; ++i) {
        DatabaseTableZelvorinRack::Dataset row =
            DatabaseTestSupport::rackRow(QStringLiteral("R%1").arg(i), DatabaseTestSupport::baseTime().addSecs(i));
        QVERIFY(insert(row) > 0);
    }
    QCOMPARE(int(m_db->holder->commitTransaction()), 0);

    ColonyDatabaseGui dialog(m_db->holder.get(), nullptr, false);
    QCOMPARE(rackList(dialog)->topLevelItemCount(), listed);
    QCOMPARE(showAllVisible(dialog), panel);
    // Newest first: the oldest rack is the one left out.
    QCOMPARE(listedBarcodes(dialog).contains(QStringLiteral("R0")), racks == 500);
    QCOMPARE(rackList(dialog)->topLevelItem(0)->text(2), QStringLiteral("R%1").arg(racks - 1));
    button(dialog, "m_QPushButton_ShowAllEntries")->click();
    QCOMPARE(rackList(dialog)->topLevelItemCount(), racks);
    QVERIFY(!showAllVisible(dialog));
    button(dialog, "m_QPushButton_Filter_Search")->click();
    QCOMPARE(rackList(dialog)->topLevelItemCount(), racks);
}

void tst_ColonyDatabaseGui::filter_takesTextLiterally_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("percent") << QStringLiteral("%") << QStringList{QStringLiteral("AB%1")};
    QTest::newRow("underscore") << QStringLiteral("A_B") << QStringList{QStringLiteral("A_B")};
    QTest::newRow("backslash") << QStringLiteral("\\") << QStringList{QStringLiteral("C\\D")};
    QTest::newRow("quote") << QStringLiteral("O'B") << QStringList{QStringLiteral("O'Brien")};
    QTest::newRow("injection") << QStringLiteral("' OR 1=1 --") << QStringList{};
    QTest::newRow("contains") << QStringLiteral("B") << QStringList{QStringLiteral("AB%1"), QStringLiteral("ABX1"),
                                                                   QStringLiteral("A_B"), QStringLiteral("AxB"),
                                                                   QStringLiteral("O'Brien")};
}

void tst_ColonyDatabaseGui::filter_takesTextLiterally()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    int i = 0;
    for (const QString& barcode : {QStringLiteral("AB%1"), QStringLiteral("ABX1"), QStringLiteral("A_B"),
                                   QStringLiteral("AxB"), QStringLiteral("O'Brien"), QStringLiteral("C\\D")})
        QVERIFY(insert(DatabaseTestSupport::rackRow(barcode, DatabaseTestSupport::baseTime().addSecs(++i))) > 0);

    ColonyDatabaseGui dialog(m_db->holder.get(), nullptr, false);
    QCOMPARE(rackList(dialog)->topLevelItemCount(), 6);
    dialog.findChild<QLineEdit*>(QStringLiteral("m_QLineEdit_Filter_Barcode"))->setText(filter);
    button(dialog, "m_QPushButton_Filter_Search")->click();
    QCOMPARE(listedBarcodes(dialog), expected);
    QVERIFY(!showAllVisible(dialog));
    QVERIFY(m_boxes.isEmpty());
    // The table is still there and whole after the injection attempt.
    QList<Database::ID> ids;
    bool more = false;
    QCOMPARE(int(m_db->holder->tableRack()->SelectIdsByBarcode(QString(), -1, ids, more)), 0);
    QCOMPARE(ids.size(), 6);
}

void tst_ColonyDatabaseGui::errorRack_markedRed()
{
    DatabaseTableZelvorinRack::Dataset row = DatabaseTestSupport::rackRow(QStringLiteral("E"), DatabaseTestSupport::baseTime());
    row.ErrorCode = 72;
    QVERIFY(insert(row) > 0);
    ColonyDatabaseGui dialog(m_db->holder.get(), nullptr, false);
    QTreeWidgetItem* item = rackList(dialog)->topLevelItem(0);
    QCOMPARE(item->text(5), QStringLiteral("72 (%1)").arg(Errors::getErrorText(72)));
    for (int c = 0; c < 6; ++c)
        QCOMPARE(item->background(c).color(), QColor(Qt::red).lighter(150));
    QCOMPARE(item->text(1), QStringLiteral("2024.03.14 09:30:05"));
}

void tst_ColonyDatabaseGui::display_listsPickableColonies()
{
    const QString picture = writePicture(*m_dir, QStringLiteral("rack.png"), 90);
    const Database::ID rackId = insert(rackRow(QStringLiteral("D"), picture, 1));
    QVERIFY(rackId > 0);
    QVERIFY(addContainer(*m_db->holder, rackId, 1) > 0);
    QVERIFY(addContainer(*m_db->holder, rackId, 2) > 0);

    ColonyDatabaseGui dialog(m_db->holder.get(), nullptr, false);
    QCOMPARE(dialog.selectedRackId(), int(rackId));
    Hobject_View_Gui* view = dialog.findChild<Hobject_View_Gui*>();
    QCOMPARE(view->getPictureCount(), 1);
    QTreeWidget* containers = containerList(dialog);
    QCOMPARE(containers->topLevelItemCount(), 2);
    QTreeWidgetItem* first = containers->topLevelItem(0);
    QCOMPARE(first->text(2), QStringLiteral("A1"));
    // Good and not excluded only, in pick order.
    QCOMPARE(first->childCount(), 3);
    QCOMPARE(first->child(0)->text(3), QStringLiteral("0"));
    QCOMPARE(first->child(1)->text(4), QStringLiteral("Picked"));
    QCOMPARE(first->child(1)->background(4).color(), QColor(Qt::green).lighter(150));
    QCOMPARE(first->child(0)->text(4), QStringLiteral("Picked with error"));
    // A cross per listed colony.
    int images = 0, contours = 0, polygons = 0, regions = 0, texts = 0, lines = 0, crosses = 0;
    view->getObjectStatistics(images, contours, polygons, regions, texts, lines, crosses);
    QCOMPARE(contours + crosses, 6);
    // Numbers only for pick orders above 0.
    QCOMPARE(texts, 4);
}

void tst_ColonyDatabaseGui::reevaluate_data()
{
    QTest::addColumn<bool>("databaseSettings");
    QTest::newRow("database settings") << true;
    QTest::newRow("current settings") << false;
}

void tst_ColonyDatabaseGui::reevaluate()
{
    QFETCH(bool, databaseSettings);
    const DatabaseTableZelvorinRack::Dataset row = rackRow(QStringLiteral("R"), QStringLiteral("/p/rack.png"), 1);
    QVERIFY(insert(row) > 0);
    ColonyDatabaseGui dialog(m_db->holder.get(), nullptr, false);
    button(dialog, databaseSettings ? "m_QPushButton_Reevaluate_DatabaseSettings"
                                    : "m_QPushButton_Reevaluate_CurrentSettings")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.reevaluateMode(), databaseSettings ? 1 : 2);
    QCOMPARE(dialog.rackPictureFilePath(), row.PictureFilePath);
    QCOMPARE(dialog.rackReferencePointsCorrection(), row.ReferencePointsCorrection);
    QCOMPARE(dialog.rackCameraSettingsXml(), databaseSettings ? row.XMLCameraSettings : QString());
    QCOMPARE(dialog.rackColonySettingsXml(), databaseSettings ? row.XMLColonySettings : QString());
}

void tst_ColonyDatabaseGui::reevaluate_twoSelected()
{
    QVERIFY(insert(rackRow(QStringLiteral("R1"), QString(), 1)) > 0);
    QVERIFY(insert(rackRow(QStringLiteral("R2"), QString(), 2)) > 0);
    ColonyDatabaseGui dialog(m_db->holder.get(), nullptr, false);
    dialog.show();
    rackList(dialog)->selectAll();
    button(dialog, "m_QPushButton_Reevaluate_DatabaseSettings")->click();
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes.first().title, QStringLiteral("Database error"));
    QCOMPARE(m_boxes.first().text, QStringLiteral("Please select only one entry!"));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.reevaluateMode(), 0);
}

void tst_ColonyDatabaseGui::reevaluation_restoresCorrectionAndAnalyses()
{
    const QString picture = writePicture(*m_dir, QStringLiteral("rack.png"), 90);
    const DatabaseTableZelvorinRack::Dataset row = rackRow(QStringLiteral("R"), picture, 3);
    QVERIFY(insert(row) > 0);
    ColonyDatabaseGui dialog(m_db->holder.get(), nullptr, false);
    button(dialog, "m_QPushButton_Reevaluate_DatabaseSettings")->click();
    const RackReevaluation::Request request = RackReevaluation::fromBrowser(dialog);

    // A request that cannot be carried out leaves the current correction alone.
    RecordingAnalyser analyser;
    RackReevaluation::Request broken = request;
    broken.pictureFilePath = m_dir->filePath(QStringLiteral("gone.png"));
    QVERIFY(RackReevaluation::run(broken, ColonySettingsData(), analyser) != 0);
    broken = request;
    broken.colonySettingsXml = QStringLiteral("<x/>");
    QCOMPARE(int(RackReevaluation::run(broken, ColonySettingsData(), analyser)), int(RackReevaluation::ErrorSettings));
    QVERIFY(CorrectionInfo::current().isEmpty());
    QCOMPARE(analyser.calls, 0);

    ColonySettingsData used;
    QCOMPARE(int(RackReevaluation::run(request, ColonySettingsData(), analyser, &used)), 0);
    CorrectionInfo expected;
    QVERIFY(expected.fromText(row.ReferencePointsCorrection));
    QCOMPARE(CorrectionInfo::current(), expected);
    QCOMPARE(CorrectionInfo::current().Factor, 1.25);
    QCOMPARE(analyser.calls, 1);
    QCOMPARE(analyser.pictureWidth, 64);
    QCOMPARE(analyser.name, QStringLiteral("Kolonie 日本 3 (from database)"));

    // Current settings: the settings in force are used.
    RackReevaluation::Request current = request;
    current.mode = 2;
    current.colonySettingsXml.clear();
    ColonySettingsData inForce;
    inForce.name = QStringLiteral("in force");
    QCOMPARE(int(RackReevaluation::run(current, inForce, analyser)), 0);
    QCOMPARE(analyser.name, QStringLiteral("in force"));
}

void tst_ColonyDatabaseGui::dataExport_existingArchive_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("unchanged");
    QTest::addColumn<int>("entries");
    QTest::newRow("question closed cancels") << int(QMessageBox::NoButton) << true << 0;
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << true << 0;
    QTest::newRow("overwrite") << int(QMessageBox::No) << false << 4;
    QTest::newRow("append") << int(QMessageBox::Yes) << false << 5;
}

void tst_ColonyDatabaseGui::dataExport_existingArchive()
{
    QFETCH(int, answer);
    QFETCH(bool, unchanged);
    QFETCH(int, entries);
    const QString picture = writePicture(*m_dir, QStringLiteral("rack.png"), 90);
    QVERIFY(insert(rackRow(QStringLiteral("R"), picture, 1)) > 0);
    // An archive that is there already, with one entry of its own.
    const QString archive = m_dir->filePath(QStringLiteral("old.zip"));
    {
        Zip_Helper zip;
        QCOMPARE(int(zip.Open(archive, false)), 0);
        QCOMPARE(int(zip.AddData(QStringLiteral("keep.txt"), "keep")), 0);
        QCOMPARE(int(zip.Close()), 0);
    }
    QFile file(archive);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    ColonyDatabaseGui dialog(m_db->holder.get(), nullptr, false);
    // Nothing selected: refused.
    rackList(dialog)->clearSelection();
    button(dialog, "m_QPushButton_DataExport")->click();
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes.first().text, QStringLiteral("Please select one or more entries!"));

    m_boxes.clear();
    rackList(dialog)->topLevelItem(0)->setSelected(true);
    m_fileAnswer = archive;
    m_answer = QMessageBox::StandardButton(answer);
    button(dialog, "m_QPushButton_DataExport")->click();
    m_answer = QMessageBox::NoButton;
    QVERIFY(!m_boxes.isEmpty());
    QVERIFY(m_boxes.first().text.startsWith(QStringLiteral("The archive \"%1\" already exists.").arg(archive)));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray after = file.readAll();
    file.close();
    QCOMPARE(after == before, unchanged);
    if (unchanged) {
        QCOMPARE(m_boxes.size(), 1);
        return;
    }
    QCOMPARE(m_boxes.last().text, QStringLiteral("Export to archive \"%1\" done!").arg(archive));
    Zip_Helper reader;
    QCOMPARE(int(reader.Open(archive, true)), 0);
    QCOMPARE(reader.EntryNames().size(), entries);
    QCOMPARE(int(reader.Close()), 0);
}

QTEST_MAIN(tst_ColonyDatabaseGui)
#include "tst_ColonyDatabaseGui.moc"
