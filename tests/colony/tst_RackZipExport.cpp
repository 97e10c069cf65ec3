#include "Automation_Call.h"
#include "RackDatabaseFixture.h"
#include "RackZipExport.h"

#include "MessageBox_Helper.h"

#include <QDomDocument>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QXmlStreamReader>
#include <QtTest>

#include <ZipArchiveEntries.h>

using namespace RackDatabaseFixture;
using ZipArchiveEntries::fileBytes;
using ZipArchiveEntries::readArchive;

namespace {

// The encoding an XML text declares in its prolog.
QString declaredEncoding(const QByteArray& bytes)
{
    QXmlStreamReader reader(bytes);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartDocument)
            return reader.documentEncoding().toString();
    }
    return QString();
}

} // namespace

class tst_RackZipExport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void threeRacks_entryByEntry();
    void appendSameRackTwice_oneCopy();
    void appendToMissingFile_createsArchive();
    void unreadableRacks_data();
    void unreadableRacks();
    void missingPicture_settingsStillWritten();
    void unsafeStoredNames_sanitised();
    void safeFileName_data();
    void safeFileName();
    void archiveCannotBeCreated();
    void forACallTheArchiveIsWrittenElsewhere();
    void longerListIsRefused_data();
    void longerListIsRefused();
    void askArchiveMode_data();
    void askArchiveMode();

private:
    Database::ID insert(DatabaseTableZelvorinRack::Dataset row);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DatabaseTestSupport::OpenDatabase> m_db;
    QList<MessageBox_Helper::Request> m_boxes;
    QMessageBox::StandardButton m_answer = QMessageBox::NoButton;
};

void tst_RackZipExport::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    MessageBox_Helper::setAnswerFunction([this](const MessageBox_Helper::Request& request) {
        m_boxes.append(request);
        return m_answer;
    });
}

void tst_RackZipExport::init()
{
    m_boxes.clear();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_db = DatabaseTestSupport::createDatabase(*m_dir);
    QCOMPARE(int(m_db->createResult), 0);
}

void tst_RackZipExport::cleanup()
{
    Automation_Call::endAll();
    m_db.reset();
    m_dir.reset();
}

Database::ID tst_RackZipExport::insert(DatabaseTableZelvorinRack::Dataset row)
{
    if (m_db->holder->tableRack()->Insert(row) != 0)
        return -1;
    return row.RackID;
}

void tst_RackZipExport::threeRacks_entryByEntry()
{
    QList<int> ids;
    QList<DatabaseTableZelvorinRack::Dataset> rows;
    for (int i = 1; i <= 3; ++i) {
        const QString picture = writePicture(*m_dir, QStringLiteral("zelvorin_%1_Rack.png").arg(i), 40 * i);
        QVERIFY(!picture.isEmpty());
        DatabaseTableZelvorinRack::Dataset row = rackRow(QStringLiteral("BC-%1").arg(i), picture, i);
        const Database::ID id = insert(row);
        QVERIFY(id > 0);
        row.RackID = id;
        ids.append(id);
        rows.append(row);
    }
    const QString archive = m_dir->filePath(QStringLiteral("racks.zip"));
    RackZipExport exporter(m_db->holder.get());
    QCOMPARE(int(exporter.exportToZipArchive(ids, archive, false, false)), 0);
    QVERIFY(m_boxes.isEmpty());

    bool ok = false;
    const QMap<QString, QByteArray> entries = readArchive(archive, &ok);
    QVERIFY(ok);
    QMap<QString, QByteArray> expected;
    for (int i = 0; i < 3; ++i) {
        const DatabaseTableZelvorinRack::Dataset& row = rows.at(i);
        const QString folder = AppSettings::applicationName() + QStringLiteral("_Rack_")
            + QStringLiteral("%1").arg(row.RackID, 8, 10, QLatin1Char('0'));
        QCOMPARE(RackZipExport::rackFolderName(row.RackID), folder);
        expected.insert(folder + QStringLiteral("/zelvorin_%1_Rack.png").arg(i + 1), fileBytes(row.PictureFilePath));
        expected.insert(folder + QStringLiteral("/Settings/Labor ü %1.AppSettings").arg(i + 1), row.XMLSettings.toUtf8());
        expected.insert(folder + QStringLiteral("/settings/camera/Kamera € %1.camerasettings.xml").arg(i + 1),
                        row.XMLCameraSettings.toUtf8());
        expected.insert(folder + QStringLiteral("/Settings/Colony/Kolonie 日本 %1.ColonySettings").arg(i + 1),
                        row.XMLColonySettings.toUtf8());
    }
    QCOMPARE(entries.keys(), expected.keys());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        QVERIFY2(!it.value().isEmpty(), qPrintable(it.key()));
        QVERIFY2(entries.value(it.key()) == it.value(), qPrintable(it.key()));
        if (it.key().endsWith(QLatin1String(".png")))
            continue;
        // Each settings text declares UTF-8 and is UTF-8: it parses and its name survives.
        QCOMPARE(declaredEncoding(it.value()).toUpper(), QStringLiteral("UTF-8"));
        QDomDocument document;
        QVERIFY2(bool(document.setContent(it.value())), qPrintable(it.key()));
        const QString name = document.documentElement().firstChildElement(QStringLiteral("Name"))
                                 .firstChildElement(QStringLiteral("Name")).text();
        QVERIFY2(it.key().contains(name + QLatin1Char('.')), qPrintable(name));
    }
    // The settings records read the archived texts back.
    const QString colonyEntry = expected.keys().filter(QStringLiteral("Kolonie 日本 2")).value(0);
    ColonySettings colony;
    QVERIFY(colony.fromXmlString(QString::fromUtf8(entries.value(colonyEntry))));
    QCOMPARE(colony.name, QStringLiteral("Kolonie 日本 2"));
    AppSettings app;
    QVERIFY(app.fromXmlString(
        QString::fromUtf8(entries.value(expected.keys().filter(QStringLiteral(".AppSettings")).value(0)))));
    QCOMPARE(app.database.PicturePath, QStringLiteral("/data/Bilder/Zürich €"));

    const QString unzip = QStandardPaths::findExecutable(QStringLiteral("unzip"));
    if (unzip.isEmpty())
        QSKIP("unzip is not installed");
    QProcess process;
    process.start(unzip, {QStringLiteral("-t"), archive});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(process.readAllStandardOutput().contains("No errors detected"));
}

void tst_RackZipExport::appendSameRackTwice_oneCopy()
{
    const QString picture = writePicture(*m_dir, QStringLiteral("one.png"), 10);
    const Database::ID id = insert(rackRow(QStringLiteral("X"), picture, 1));
    QVERIFY(id > 0);
    const QString archive = m_dir->filePath(QStringLiteral("twice.zip"));
    RackZipExport exporter(m_db->holder.get());
    QCOMPARE(int(exporter.exportToZipArchive({int(id)}, archive, false, false)), 0);
    QCOMPARE(int(exporter.exportToZipArchive({int(id), int(id)}, archive, true, false)), 0);
    bool ok = false;
    const QMap<QString, QByteArray> entries = readArchive(archive, &ok);
    QVERIFY(ok);
    QCOMPARE(entries.size(), 4);
}

void tst_RackZipExport::appendToMissingFile_createsArchive()
{
    const QString picture = writePicture(*m_dir, QStringLiteral("one.png"), 10);
    const Database::ID id = insert(rackRow(QStringLiteral("X"), picture, 1));
    const QString archive = m_dir->filePath(QStringLiteral("new.zip"));
    RackZipExport exporter(m_db->holder.get());
    QCOMPARE(int(exporter.exportToZipArchive({int(id)}, archive, true, false)), 0);
    bool ok = false;
    QCOMPARE(readArchive(archive, &ok).size(), 4);
    QVERIFY(ok);
}

void tst_RackZipExport::unreadableRacks_data()
{
    QTest::addColumn<int>("broken"); // 0 app, 1 camera, 2 colony, 3 missing row
    QTest::addColumn<QString>("warning");
    QTest::newRow("application settings") << 0 << QStringLiteral("Cannot read the settings from the database!");
    QTest::newRow("camera settings") << 1 << QStringLiteral("Cannot read the camera settings from the database!");
    QTest::newRow("colony settings") << 2 << QStringLiteral("Cannot read the colony settings from the database!");
    QTest::newRow("no such rack") << 3 << QStringLiteral("Cannot read from the database!");
}

void tst_RackZipExport::unreadableRacks()
{
    QFETCH(int, broken);
    QFETCH(QString, warning);
    const QString picture = writePicture(*m_dir, QStringLiteral("p.png"), 10);
    const Database::ID good = insert(rackRow(QStringLiteral("good"), picture, 1));
    DatabaseTableZelvorinRack::Dataset row = rackRow(QStringLiteral("bad"), picture, 2);
    const QString notSettings = QStringLiteral("<Settings><NoName/></Settings>");
    if (broken == 0)
        row.XMLSettings = notSettings;
    else if (broken == 1)
        row.XMLCameraSettings = QStringLiteral("not xml <");
    else if (broken == 2)
        row.XMLColonySettings = notSettings;
    const Database::ID bad = broken == 3 ? 4711 : insert(row);
    QVERIFY(good > 0 && bad > 0);

    const QString archive = m_dir->filePath(QStringLiteral("partial.zip"));
    RackZipExport exporter(m_db->holder.get());
    QCOMPARE(int(exporter.exportToZipArchive({int(bad), int(good)}, archive, false, true)),
             int(RackZipExport::ErrorPrepareData));
    bool ok = false;
    const QMap<QString, QByteArray> entries = readArchive(archive, &ok);
    QVERIFY(ok);
    QCOMPARE(entries.size(), 4);
    for (const QString& name : entries.keys())
        QVERIFY(name.startsWith(RackZipExport::rackFolderName(good) + QLatin1Char('/')));
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes.first().title, QStringLiteral("Export"));
    QCOMPARE(m_boxes.first().text, warning);
}

void tst_RackZipExport::missingPicture_settingsStillWritten()
{
    const Database::ID id = insert(rackRow(QStringLiteral("X"), m_dir->filePath(QStringLiteral("gone.png")), 1));
    const Database::ID noPath = insert(rackRow(QStringLiteral("Y"), QString(), 2));
    const QString archive = m_dir->filePath(QStringLiteral("nopic.zip"));
    RackZipExport exporter(m_db->holder.get());
    QCOMPARE(int(exporter.exportToZipArchive({int(id), int(noPath)}, archive, false, true)),
             int(RackZipExport::ErrorAddFile));
    bool ok = false;
    const QMap<QString, QByteArray> entries = readArchive(archive, &ok);
    QVERIFY(ok);
    QCOMPARE(entries.size(), 6);
    QCOMPARE(m_boxes.size(), 2);
    QVERIFY(m_boxes.first().text.startsWith(QStringLiteral("Cannot add file \"")));
}

void tst_RackZipExport::unsafeStoredNames_sanitised()
{
    const QString picture = writePicture(*m_dir, QStringLiteral("p.png"), 10);
    DatabaseTableZelvorinRack::Dataset row = rackRow(QStringLiteral("X"), m_dir->path() + QStringLiteral("/./p.png"), 1);
    row.XMLSettings = appSettingsText(QStringLiteral("../../etc/passwd"));
    row.XMLCameraSettings = cameraSettingsText(QStringLiteral(".."));
    row.XMLColonySettings = colonySettingsText(QStringLiteral("C:\\Windows\\evil"));
    const Database::ID id = insert(row);
    QVERIFY(id > 0);
    const QString archive = m_dir->filePath(QStringLiteral("safe.zip"));
    RackZipExport exporter(m_db->holder.get());
    QCOMPARE(int(exporter.exportToZipArchive({int(id)}, archive, false, false)), 0);
    bool ok = false;
    const QStringList names = readArchive(archive, &ok).keys();
    QVERIFY(ok);
    const QString folder = RackZipExport::rackFolderName(id);
    QCOMPARE(names, (QStringList{folder + QStringLiteral("/Settings/Colony/evil.ColonySettings"),
                                 folder + QStringLiteral("/Settings/passwd.AppSettings"),
                                 folder + QStringLiteral("/p.png"),
                                 folder + QStringLiteral("/settings/camera/default.camerasettings.xml")}));
}

void tst_RackZipExport::safeFileName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << QStringLiteral("Kolonie ü") << QStringLiteral("Kolonie ü");
    QTest::newRow("unix path") << QStringLiteral("/tmp/x/pic.png") << QStringLiteral("pic.png");
    QTest::newRow("windows path") << QStringLiteral("D:\\Bilder\\pic.png") << QStringLiteral("pic.png");
    QTest::newRow("parent") << QStringLiteral("..") << QStringLiteral("fallback");
    QTest::newRow("trailing separator") << QStringLiteral("dir/") << QStringLiteral("fallback");
    QTest::newRow("empty") << QString() << QStringLiteral("fallback");
    QTest::newRow("drive and controls") << QStringLiteral("C:a\tb") << QStringLiteral("C_a_b");
}

void tst_RackZipExport::safeFileName()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(RackZipExport::safeFileName(name, QStringLiteral("fallback")), expected);
}

void tst_RackZipExport::archiveCannotBeCreated()
{
    RackZipExport exporter(m_db->holder.get());
    // Its folder is not there, and the archive does not make it.
    const QString archive = m_dir->filePath(QStringLiteral("no such folder/racks.zip"));
    QCOMPARE(int(exporter.exportToZipArchive({1}, archive, false, true)), int(RackZipExport::ErrorCreateArchive));
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes.first().text, QStringLiteral("Cannot generate export archive \"%1\"!").arg(archive));
}

void tst_RackZipExport::forACallTheArchiveIsWrittenElsewhere()
{
    // Three racks among many that do not exist, more than one step of rows.
    QList<int> ids;
    for (int i = 1; i <= 3; ++i) {
        const QString picture = writePicture(*m_dir, QStringLiteral("zelvorin_%1_Rack.png").arg(i), 40 * i);
        const Database::ID id = insert(rackRow(QStringLiteral("BC-%1").arg(i), picture, i));
        QVERIFY(id > 0);
        ids << 900000 + i;
        for (int missing = 0; missing < 700; ++missing)
            ids << 1000000 + 1000 * i + missing;
        ids << int(id);
    }
    RackZipExport exporter(m_db->holder.get());
    const QString inPlace = m_dir->filePath(QStringLiteral("in place.zip"));
    QCOMPARE(int(exporter.exportToZipArchive(ids, inPlace, false, false)), int(RackZipExport::ErrorPrepareData));

    const int owner = 0;
    const std::shared_ptr<Automation_Call> call = Automation_Call::create(&owner);
    int finished = Automation_Call::Pending;
    call->setFinished([&finished](int code) { finished = code; });
    const QString elsewhere = m_dir->filePath(QStringLiteral("elsewhere.zip"));
    QCOMPARE(int(exporter.exportToZipArchive(ids, elsewhere, false, call.get())), Automation_Call::Pending);
    // The export goes on while events flow, between its steps.
    int turns = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&turns] { ++turns; });
    ticker.start(0);
    QTRY_VERIFY_WITH_TIMEOUT(finished != Automation_Call::Pending, 60000);
    QCOMPARE(finished, int(RackZipExport::ErrorPrepareData));
    QVERIFY(turns >= 3);
    bool ok = false;
    const QMap<QString, QByteArray> written = readArchive(elsewhere, &ok);
    QVERIFY(ok);
    QCOMPARE(written, readArchive(inPlace, &ok));
    QCOMPARE(written.size(), 12);
    QVERIFY(m_boxes.isEmpty());
}

void tst_RackZipExport::longerListIsRefused_data()
{
    QTest::addColumn<bool>("forACall");
    QTest::newRow("in place") << false;
    QTest::newRow("for a call") << true;
}

void tst_RackZipExport::longerListIsRefused()
{
    QFETCH(bool, forACall);
    const QString picture = writePicture(*m_dir, QStringLiteral("zelvorin_1_Rack.png"), 40);
    const Database::ID id = insert(rackRow(QStringLiteral("BC"), picture, 1));
    QVERIFY(id > 0);
    QList<int> ids{int(id)};
    while (ids.size() <= RackZipExport::MaximumRackCount)
        ids << 1000000 + int(ids.size());
    const int owner = 0;
    const std::shared_ptr<Automation_Call> call = Automation_Call::create(&owner);
    const QString archive = m_dir->filePath(QStringLiteral("long.zip"));
    RackZipExport exporter(m_db->holder.get());
    QCOMPARE(int(exporter.exportToZipArchive(ids, archive, false, forACall ? call.get() : nullptr)),
             int(RackZipExport::ErrorTooManyRacks));
    QVERIFY(!QFileInfo::exists(archive));
    // One fewer is taken: the rack goes in, the others are reported.
    ids.removeLast();
    QCOMPARE(int(exporter.exportToZipArchive(ids, archive, false, false)), int(RackZipExport::ErrorPrepareData));
    bool ok = false;
    QCOMPARE(readArchive(archive, &ok).size(), 4);
}

void tst_RackZipExport::askArchiveMode_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("mode");
    QTest::newRow("append") << int(QMessageBox::Yes) << int(RackZipExport::ArchiveMode::Append);
    QTest::newRow("overwrite") << int(QMessageBox::No) << int(RackZipExport::ArchiveMode::Overwrite);
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << int(RackZipExport::ArchiveMode::Cancel);
    QTest::newRow("box closed") << int(QMessageBox::NoButton) << int(RackZipExport::ArchiveMode::Cancel);
    QTest::newRow("escape") << int(QMessageBox::Escape) << int(RackZipExport::ArchiveMode::Cancel);
}

void tst_RackZipExport::askArchiveMode()
{
    QFETCH(int, answer);
    QFETCH(int, mode);
    m_answer = QMessageBox::StandardButton(answer);
    QCOMPARE(int(RackZipExport::askArchiveMode(nullptr, QStringLiteral("a.zip"))), mode);
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes.first().title, QStringLiteral("Export"));
    QVERIFY(m_boxes.first().text.startsWith(QStringLiteral("The archive \"a.zip\" already exists.")));
    QCOMPARE(m_boxes.first().informativeText, QStringLiteral("Append to or overwrite archive?"));
    // The user sees the choices by name: Yes appends, No overwrites.
    QCOMPARE(m_boxes.first().buttonTexts.value(QMessageBox::Yes), QStringLiteral("Append"));
    QCOMPARE(m_boxes.first().buttonTexts.value(QMessageBox::No), QStringLiteral("Overwrite"));
    QCOMPARE(m_boxes.first().buttonTexts.value(QMessageBox::Cancel), QStringLiteral("Cancel"));
    // Without anybody to ask, nothing is overwritten.
    QCOMPARE(MessageBox_Helper::defaultAnswer(m_boxes.first()), QMessageBox::Cancel);
    m_answer = QMessageBox::NoButton;
}

QTEST_MAIN(tst_RackZipExport)
#include "tst_RackZipExport.moc"
