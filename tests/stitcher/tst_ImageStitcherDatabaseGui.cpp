// The stitcher results browser on a test database: the list with its limit, the pictures of
// an entry loaded in the background, the hand-back for stitching again, and the ZIP export
// checked entry by entry.

#include "StitcherPageFixture.h"

#include <DatabaseTableZelvorinImageStitcher.h>
#include <DatabaseTableZelvorinImageStitcherPicture.h>
#include <DatabaseTransaction.h>
#include <Hobject_View_Gui.h>
#include <ImageStitcherDatabaseGui.h>
#include <ImageStitcherSettings.h>
#include <MessageBox_Helper.h>
#include <StitcherZipExport.h>
#include <ZipArchiveEntries.h>

#include <QColor>
#include <QImage>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QtTest>

using StitcherPageFixture::ResultDatabase;
using ZipArchiveEntries::fileBytes;
using ZipArchiveEntries::readArchive;

namespace {

struct Stored {
    Database::ID id = -1;
    QString settingsText;
    QString settingsName;
    QString correction;
    QString stitchedFile;
    QStringList positionFiles;
};

// Results with a stitched picture and six position pictures on disk; sizes tell them apart.
struct Browser : ResultDatabase {
    QList<Stored> stored;

    QString writePicture(const QString& name, int width, int height)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(QColor(width % 256, height % 256, 90));
        const QString path = QDir(pictureFolder()).filePath(name);
        return image.save(path, "PNG") ? path : QString();
    }

    Stored add(int index, Errors::Type_Error errorCode = 0, const QString& settingsText = QString())
    {
        Stored s;
        ImageStitcherSettings settings;
        settings.data().name = QStringLiteral("Kreuz 日本 %1").arg(index);
        s.settingsName = settings.data().name;
        s.settingsText = settingsText.isNull() ? settings.toXmlString() : settingsText;
        s.correction = QStringLiteral("Version=1\nFactor=0.99\nCorrectionInfo.Count=0\n");
        s.stitchedFile = writePicture(QStringLiteral("stitched-%1.png").arg(index), 100 + index, 80);
        DatabaseTableZelvorinImageStitcher::Dataset row;
        row.CreatedDate = QDateTime(QDate(2025, 1, 2), QTime(3, 4, 5)).addSecs(60 * index);
        row.RackBarcode = QStringLiteral("BC %1").arg(index);
        row.ImageStitcherSettings = s.settingsText;
        row.ReferencePointsCorrection = s.correction;
        row.PictureFilePath = s.stitchedFile;
        row.ErrorCode = errorCode;
        row.Description = QStringLiteral("Beschreibung ü %1").arg(index);
        if (database->tableImageStitcher()->Insert(row) != 0)
            return s;
        s.id = row.ImageStitcherID;
        // Inserted in reverse order: the list follows the stored position.
        for (int position = 5; position >= 0; --position) {
            DatabaseTableZelvorinImageStitcherPicture::Dataset pictureRow;
            pictureRow.ImageStitcherID = s.id;
            pictureRow.PositionIndex = qint16(position);
            pictureRow.PictureFilePath =
                writePicture(QStringLiteral("position-%1-%2.png").arg(index).arg(position), 20 + position, 10 + index);
            database->tableImageStitcherPicture()->Insert(pictureRow);
        }
        for (int position = 0; position < 6; ++position)
            s.positionFiles << QDir(pictureFolder()).filePath(QStringLiteral("position-%1-%2.png").arg(index).arg(position));
        stored << s;
        return s;
    }

    // The cross-model files of a settings name where the program keeps them.
    void writeModelFiles(const QString& settingsName)
    {
        const QStringList names = StitcherZipExport::settingsFileNames(settingsName);
        QDir().mkpath(ImageStitcherSettings::settingsFolder());
        for (int i = 1; i < names.size(); ++i) {
            QFile file(ImageStitcherSettings::settingsFolder() + QLatin1Char('/') + names.at(i));
            if (file.open(QIODevice::WriteOnly))
                file.write(QStringLiteral("model %1 of %2").arg(i).arg(settingsName).toUtf8());
        }
    }
};

QTreeWidget* tree(ImageStitcherDatabaseGui& dialog, const char* name)
{
    return dialog.findChild<QTreeWidget*>(QLatin1String(name));
}

QPushButton* button(ImageStitcherDatabaseGui& dialog, const char* name)
{
    return dialog.findChild<QPushButton*>(QLatin1String(name));
}

bool waitForLoads(ImageStitcherDatabaseGui& dialog)
{
    return QTest::qWaitFor([&] { return dialog.loadsInProgress() == 0; }, 30000);
}

QSize shownSize(ImageStitcherDatabaseGui& dialog)
{
    int width = 0;
    int height = 0;
    dialog.findChild<Hobject_View_Gui*>()->getPictureSize(width, height);
    return QSize(width, height);
}

// The message boxes the dialog showed: title and text.
struct Boxes {
    Boxes(QMessageBox::StandardButton answer = QMessageBox::Ok)
    {
        MessageBox_Helper::setAnswerFunction([this, answer](const MessageBox_Helper::Request& request) {
            shown << request.title + QStringLiteral(": ") + request.text;
            return answer == QMessageBox::Ok ? MessageBox_Helper::defaultAnswer(request) : answer;
        });
    }
    ~Boxes() { MessageBox_Helper::setAnswerFunction({}); }
    QStringList shown;
};

} // namespace

class tst_ImageStitcherDatabaseGui : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void listsNewestFirst();
    void listsAtMostTheLimitUntilShowAll();
    void showsPicturesInTheBackground();
    void onlyTheNewestWantedPictureIsShown();
    void reevaluateHandsBackOneEntry_data();
    void reevaluateHandsBackOneEntry();
    void reevaluateRefusesTwoEntries();
    void reevaluateWaitsForLoads();
    void positionOutsideTheRowsIsSkipped();
    void exportCheckedEntryByEntry_data();
    void exportCheckedEntryByEntry();
    void exportLeavesOutUnreadableSettings();
    void exportAppendsOrOverwrites_data();
    void exportAppendsOrOverwrites();

private:
    QTemporaryDir m_workDir;
    QString m_oldDir;
};

void tst_ImageStitcherDatabaseGui::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    // Settings and window layouts are relative to the program's folder.
    m_oldDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_workDir.path()));
}

void tst_ImageStitcherDatabaseGui::cleanupTestCase()
{
    QDir::setCurrent(m_oldDir);
}

void tst_ImageStitcherDatabaseGui::cleanup()
{
    QDir(ImageStitcherSettings::settingsFolder()).removeRecursively();
    MessageBox_Helper::setFileAnswerFunction({});
}

void tst_ImageStitcherDatabaseGui::listsNewestFirst()
{
    Browser b;
    QCOMPARE(b.createResult, Errors::Type_Error(0));
    b.add(1);
    const Stored failed = b.add(2, ImageStitcherThread::ErrorCrossNotFound);
    b.add(3);
    ImageStitcherDatabaseGui dialog(b.database);
    QTreeWidget* list = tree(dialog, "m_QTreeWidget_RackList");
    QCOMPARE(list->topLevelItemCount(), 3);
    QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("BC 3"));
    QCOMPARE(list->topLevelItem(2)->text(2), QStringLiteral("BC 1"));
    const QTreeWidgetItem* item = list->topLevelItem(1);
    QCOMPARE(item->data(0, Qt::UserRole).toInt(), int(failed.id));
    QCOMPARE(item->text(0), QString::number(failed.id));
    QCOMPARE(item->text(1), QStringLiteral("2025.01.02 03:06:05"));
    QCOMPARE(item->text(3), QStringLiteral("Beschreibung ü 2"));
    QCOMPARE(item->text(4), failed.stitchedFile);
    QCOMPARE(item->text(5), QStringLiteral("201 (%1)").arg(Errors::getErrorText(201)));
    for (int c = 0; c < list->columnCount(); ++c)
        QCOMPARE(item->background(c).color(), QColor(Qt::red).lighter(150));
    QCOMPARE(list->topLevelItem(0)->background(0).style(), Qt::NoBrush);
    QVERIFY(dialog.findChild<QWidget*>(QStringLiteral("m_QWidget_ShowAllEntries"))->isHidden());
    waitForLoads(dialog);
}

void tst_ImageStitcherDatabaseGui::listsAtMostTheLimitUntilShowAll()
{
    Browser b;
    {
        DatabaseTransaction transaction(b.database);
        for (int i = 0; i <= ImageStitcherDatabaseGui::UnfilteredLimit; ++i) {
            DatabaseTableZelvorinImageStitcher::Dataset row;
            row.CreatedDate = QDateTime(QDate(2025, 1, 1), QTime(0, 0)).addSecs(i);
            row.RackBarcode = QString::number(i);
            QCOMPARE(b.database->tableImageStitcher()->Insert(row), Errors::Type_Error(0));
        }
        QCOMPARE(transaction.commit(), Errors::Type_Error(0));
    }
    ImageStitcherDatabaseGui dialog(b.database);
    QTreeWidget* list = tree(dialog, "m_QTreeWidget_RackList");
    QWidget* showAll = dialog.findChild<QWidget*>(QStringLiteral("m_QWidget_ShowAllEntries"));
    QCOMPARE(list->topLevelItemCount(), ImageStitcherDatabaseGui::UnfilteredLimit);
    QVERIFY(!showAll->isHidden());
    // The oldest is the one left out.
    QVERIFY(list->findItems(QStringLiteral("0"), Qt::MatchExactly, 2).isEmpty());
    button(dialog, "m_QPushButton_ShowAllEntries")->click();
    QCOMPARE(list->topLevelItemCount(), ImageStitcherDatabaseGui::UnfilteredLimit + 1);
    QVERIFY(showAll->isHidden());
}

void tst_ImageStitcherDatabaseGui::showsPicturesInTheBackground()
{
    Browser b;
    const Stored s = b.add(4);
    ImageStitcherDatabaseGui dialog(b.database);
    QSignalSpy finished(&dialog, &ImageStitcherDatabaseGui::signal_LoadPictureFinished);
    // The stitched picture of the first entry is on its way: nothing closes meanwhile.
    QCOMPARE(dialog.loadsInProgress(), 1);
    QVERIFY(!button(dialog, "m_QPushButton_Cancel")->isEnabled());
    QVERIFY(!button(dialog, "m_QPushButton_Reevaluate_DatabaseSettings")->isEnabled());
    QVERIFY(finished.wait(30000));
    QCOMPARE(dialog.loadsInProgress(), 0);
    QVERIFY(button(dialog, "m_QPushButton_Cancel")->isEnabled());
    QVERIFY(button(dialog, "m_QPushButton_Reevaluate_DatabaseSettings")->isEnabled());
    QCOMPARE(shownSize(dialog), QSize(104, 80));

    QTreeWidget* pictures = tree(dialog, "m_QTreeWidget_PictureList");
    QCOMPARE(pictures->topLevelItemCount(), 1);
    QTreeWidgetItem* top = pictures->topLevelItem(0);
    QCOMPARE(top->text(2), s.stitchedFile);
    QCOMPARE(top->childCount(), 6);
    for (int i = 0; i < 6; ++i) {
        QTreeWidgetItem* child = top->child(i);
        QCOMPARE(child->text(2), s.positionFiles.at(child->text(1).toInt()));
    }
}

void tst_ImageStitcherDatabaseGui::onlyTheNewestWantedPictureIsShown()
{
    Browser b;
    const Stored s = b.add(1);
    ImageStitcherDatabaseGui dialog(b.database);
    QVERIFY(waitForLoads(dialog));
    QTreeWidget* pictures = tree(dialog, "m_QTreeWidget_PictureList");
    QTreeWidgetItem* top = pictures->topLevelItem(0);
    auto childOf = [&](int position) {
        for (int i = 0; i < top->childCount(); ++i)
            if (top->child(i)->text(1).toInt() == position)
                return top->child(i);
        return static_cast<QTreeWidgetItem*>(nullptr);
    };
    // Two loads started back to back; whichever ends first, only the second is wanted.
    pictures->setCurrentItem(childOf(2));
    pictures->setCurrentItem(childOf(5));
    QCOMPARE(dialog.loadsInProgress(), 2);
    QVERIFY(waitForLoads(dialog));
    QCOMPARE(shownSize(dialog), QSize(25, 11));
    QCOMPARE(dialog.findChild<Hobject_View_Gui*>()->getPictureCount(), 1);
    QVERIFY(button(dialog, "m_QPushButton_Cancel")->isEnabled());
}

void tst_ImageStitcherDatabaseGui::reevaluateHandsBackOneEntry_data()
{
    QTest::addColumn<QString>("buttonName");
    QTest::addColumn<int>("mode");
    QTest::newRow("stored settings") << QStringLiteral("m_QPushButton_Reevaluate_DatabaseSettings") << 1;
    QTest::newRow("current settings") << QStringLiteral("m_QPushButton_Reevaluate_CurrentSettings") << 2;
}

void tst_ImageStitcherDatabaseGui::reevaluateHandsBackOneEntry()
{
    QFETCH(QString, buttonName);
    QFETCH(int, mode);
    Browser b;
    b.add(1);
    const Stored s = b.add(2);
    ImageStitcherDatabaseGui dialog(b.database);
    QVERIFY(waitForLoads(dialog));
    tree(dialog, "m_QTreeWidget_RackList")->topLevelItem(0)->setSelected(true);
    button(dialog, buttonName.toLatin1().constData())->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.getReevaluateMode(), mode);
    QCOMPARE(dialog.getPictureList(), s.positionFiles);
    QCOMPARE(dialog.getReferencePointsCorrection(), s.correction);
    QCOMPARE(dialog.getSettingsXml(), mode == 1 ? s.settingsText : QString());
}

void tst_ImageStitcherDatabaseGui::reevaluateRefusesTwoEntries()
{
    Browser b;
    b.add(1);
    b.add(2);
    ImageStitcherDatabaseGui dialog(b.database);
    QVERIFY(waitForLoads(dialog));
    QTreeWidget* list = tree(dialog, "m_QTreeWidget_RackList");
    list->topLevelItem(0)->setSelected(true);
    list->topLevelItem(1)->setSelected(true);
    QVERIFY(!button(dialog, "m_QPushButton_Reevaluate_DatabaseSettings")->isEnabled());
    QVERIFY(button(dialog, "m_QPushButton_DataExport")->isEnabled());
    Boxes boxes;
    QMetaObject::invokeMethod(&dialog, "slot_QPushButton_Reevaluate_DatabaseSettings_clicked");
    QCOMPARE(boxes.shown, QStringList{QStringLiteral("Database error: Please select only one entry!")});
    QCOMPARE(dialog.getReevaluateMode(), 0);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

void tst_ImageStitcherDatabaseGui::reevaluateWaitsForLoads()
{
    Browser b;
    b.add(1);
    ImageStitcherDatabaseGui dialog(b.database);
    // No event has run yet: the first picture's load is still counted.
    QCOMPARE(dialog.loadsInProgress(), 1);
    QSignalSpy finished(&dialog, &QDialog::finished);
    QMetaObject::invokeMethod(&dialog, "slot_QPushButton_Reevaluate_CurrentSettings_clicked");
    QMetaObject::invokeMethod(&dialog, "slot_QPushButton_Cancel_clicked");
    QCOMPARE(dialog.getReevaluateMode(), 0);
    QCOMPARE(finished.size(), 0);
    QVERIFY(waitForLoads(dialog));
    QMetaObject::invokeMethod(&dialog, "slot_QPushButton_Cancel_clicked");
    QCOMPARE(finished.size(), 1);
}

void tst_ImageStitcherDatabaseGui::positionOutsideTheRowsIsSkipped()
{
    Browser b;
    const Stored s = b.add(1);
    QVERIFY(b.exec(QStringLiteral("INSERT INTO ZelvorinImageStitcherPicture (ImageStitcherID, PositionIndex, "
                                  "PictureFilePath) VALUES (%1, 9, 'far.png')")
                       .arg(s.id)));
    QVERIFY(b.exec(QStringLiteral("UPDATE ZelvorinImageStitcherPicture SET PositionIndex = -2 WHERE "
                                  "PictureFilePath LIKE '%position-1-0.png'")));
    ImageStitcherDatabaseGui dialog(b.database);
    QVERIFY(waitForLoads(dialog));
    QStringList files;
    QCOMPARE(dialog.ReadImageStitcherPictures(s.id, files, false), 0);
    QCOMPARE(files.size(), 7);
    QStringList expected = s.positionFiles;
    expected[0].clear();
    expected << QString();
    QCOMPARE(files, expected);
}

void tst_ImageStitcherDatabaseGui::exportCheckedEntryByEntry_data()
{
    QTest::addColumn<bool>("secondModelPresent");
    QTest::addColumn<int>("expected");
    QTest::newRow("model files of both settings") << true << 0;
    QTest::newRow("model files of the second missing") << false << 74;
}

void tst_ImageStitcherDatabaseGui::exportCheckedEntryByEntry()
{
    QFETCH(bool, secondModelPresent);
    QFETCH(int, expected);
    Browser b;
    const Stored first = b.add(1);
    const Stored second = b.add(2);
    b.writeModelFiles(first.settingsName);
    if (secondModelPresent)
        b.writeModelFiles(second.settingsName);
    ImageStitcherDatabaseGui dialog(b.database);
    QVERIFY(waitForLoads(dialog));
    const QString archive = b.dir.filePath(QStringLiteral("export.zip"));
    QCOMPARE(dialog.exportToZipArchive({first.id, second.id}, archive, false, false), Errors::Type_Error(expected));

    QMap<QString, QByteArray> wanted;
    for (const Stored& s : {first, second}) {
        const bool withModel = s.id == first.id || secondModelPresent;
        const QString folder = StitcherZipExport::folderName(s.id);
        QCOMPARE(folder, QStringLiteral("zelvorin_Stitcher_%1").arg(s.id, 8, 10, QLatin1Char('0')));
        for (const QString& file : s.positionFiles)
            wanted.insert(folder + QLatin1Char('/') + QFileInfo(file).fileName(), fileBytes(file));
        const QStringList names = StitcherZipExport::settingsFileNames(s.settingsName);
        wanted.insert(folder + QStringLiteral("/Settings/ImageStitcher/") + names.at(0), s.settingsText.toUtf8());
        if (withModel) {
            for (int i = 1; i < names.size(); ++i)
                wanted.insert(folder + QStringLiteral("/Settings/ImageStitcher/") + names.at(i),
                              fileBytes(ImageStitcherSettings::settingsFolder() + QLatin1Char('/') + names.at(i)));
        }
    }
    bool ok = false;
    const QMap<QString, QByteArray> entries = readArchive(archive, &ok);
    QVERIFY(ok);
    QCOMPARE(entries.keys(), wanted.keys());
    for (auto it = wanted.cbegin(); it != wanted.cend(); ++it) {
        QVERIFY2(!it.value().isEmpty(), qPrintable(it.key()));
        QVERIFY2(entries.value(it.key()) == it.value(), qPrintable(it.key()));
    }
    // The settings read back as what was stored, name and all.
    ImageStitcherSettings readBack;
    QVERIFY(readBack.fromXmlString(QString::fromUtf8(
        entries.value(StitcherZipExport::folderName(first.id) + QStringLiteral("/Settings/ImageStitcher/")
                      + StitcherZipExport::settingsFileNames(first.settingsName).at(0)))));
    QCOMPARE(readBack.data().name, first.settingsName);
}

void tst_ImageStitcherDatabaseGui::exportLeavesOutUnreadableSettings()
{
    Browser b;
    const Stored good = b.add(1);
    const Stored bad = b.add(2, 0, QStringLiteral("not a settings text"));
    b.writeModelFiles(good.settingsName);
    ImageStitcherDatabaseGui dialog(b.database);
    QVERIFY(waitForLoads(dialog));
    const QString archive = b.dir.filePath(QStringLiteral("export.zip"));
    QCOMPARE(dialog.exportToZipArchive({bad.id, good.id}, archive, false, false), StitcherZipExport::ErrorPrepareData);
    bool ok = false;
    const QMap<QString, QByteArray> entries = readArchive(archive, &ok);
    QVERIFY(ok);
    QCOMPARE(entries.size(), 9);
    for (const QString& name : entries.keys())
        QVERIFY2(name.startsWith(StitcherZipExport::folderName(good.id) + QLatin1Char('/')), qPrintable(name));
}

void tst_ImageStitcherDatabaseGui::exportAppendsOrOverwrites_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("firstKept");
    QTest::newRow("append") << int(QMessageBox::Yes) << true;
    QTest::newRow("overwrite") << int(QMessageBox::No) << false;
}

void tst_ImageStitcherDatabaseGui::exportAppendsOrOverwrites()
{
    QFETCH(int, answer);
    QFETCH(bool, firstKept);
    Browser b;
    const Stored first = b.add(1);
    const Stored second = b.add(2);
    b.writeModelFiles(first.settingsName);
    b.writeModelFiles(second.settingsName);
    ImageStitcherDatabaseGui dialog(b.database);
    QVERIFY(waitForLoads(dialog));
    const QString archive = b.dir.filePath(QStringLiteral("export.zip"));
    QCOMPARE(dialog.exportToZipArchive({first.id}, archive, false, false), Errors::Type_Error(0));

    MessageBox_Helper::setFileAnswerFunction([&](const MessageBox_Helper::FileRequest&) { return archive; });
    Boxes boxes{QMessageBox::StandardButton(answer)};
    QTreeWidget* list = tree(dialog, "m_QTreeWidget_RackList");
    list->clearSelection();
    list->findItems(QString::number(second.id), Qt::MatchExactly, 0).value(0)->setSelected(true);
    button(dialog, "m_QPushButton_DataExport")->click();
    QCOMPARE(boxes.shown.size(), 2);
    QCOMPARE(boxes.shown.at(1), QStringLiteral("Export: Export to archive \"%1\" done!").arg(archive));

    bool ok = false;
    const QStringList names = readArchive(archive, &ok).keys();
    QVERIFY(ok);
    const auto countIn = [&](Database::ID id) {
        return names.filter(QRegularExpression(QLatin1Char('^') + StitcherZipExport::folderName(id) + QLatin1Char('/')))
            .size();
    };
    QCOMPARE(countIn(first.id), firstKept ? 9 : 0);
    QCOMPARE(countIn(second.id), 9);
}

QTEST_MAIN(tst_ImageStitcherDatabaseGui)
#include "tst_ImageStitcherDatabaseGui.moc"
