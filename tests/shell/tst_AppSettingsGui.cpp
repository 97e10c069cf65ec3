#include "AppSettingsGui.h"
#include "ShellRackFixture.h"
#include "SqlServerOdbc.h"
#include "../stitcher/StitcherResultFixture.h"

#include "ColonyRackRecord.h"
#include "ColonyResultSave.h"
#include "DatabaseTableAll.h"
#include "DatabaseTableZelvorinImageStitcher.h"
#include "DatabaseTableZelvorinImageStitcherPicture.h"
#include "Halcon_AsynchronImageSave.h"
#include "Halcon_Helper.h"
#include "MessageBox_Helper.h"
#include "QuendralLibrary.h"
#include "StitcherResultSave.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QtTest>

namespace {

// The main window's part: re-opens the application's database from the record.
class FakeMainWindow : public AppSettingsGui::CallbackFunctions {
public:
    Errors::Type_Error openDatabase() override
    {
        ++calls;
        return database->openDatabase(settings->database);
    }
    ApplicationDatabase* database = nullptr;
    AppSettings* settings = nullptr;
    int calls = 0;
};

struct Box {
    MessageBox_Helper::Request request;
    bool waitCursor = false;
};

const QString SqliteOdbcDriver = QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so");

// Each rack and stitcher result its own pixels, so a picture under another one's name shows.
Halcon::Hobject rackPicture(int number)
{
    return HalconTestPictures::grayImage(48, 32, [number](int row, int column) { return (row + column * 3 + number * 17) % 256; });
}

// A rack and a stitcher result numbered number in the open database, each half of them with
// the pictures written at once, half in the background.
bool saveResults(ApplicationDatabase& database, const QString& folder, Halcon_AsynchronImageSave& writer, int number)
{
    ColonyRackRecord rack;
    rack.picture = rackPicture(number);
    rack.row.RackBarcode = QStringLiteral("R%1").arg(number);
    Halcon_AsynchronImageSave* const background = number % 2 == 0 ? &writer : nullptr;
    if (ColonyResultSave::save(rack, &database, background, folder) != 0)
        return false;
    StitcherResult result = StitcherResultFixture::makeResult(number);
    StitcherResultSave::Options options;
    options.asynchronPictureSave = background != nullptr;
    options.rackBarcode = QStringLiteral("S%1").arg(number);
    options.saveInputPictures = true;
    options.saveOutputPicture = true;
    Database::ID id = -1;
    return StitcherResultSave(&database, &writer, folder).save(result, 0, options, id) == 0;
}

bool pictureIs(const QString& file, const Halcon::Hobject& expected)
{
    Halcon::Hobject loaded;
    return Halcon_Helper::LoadImageFile(file, loaded) == 0 && HalconTestPictures::maxPixelDifference(loaded, expected) == 0;
}

// Every rack and stitcher result of the database with its own pictures; the names of the
// files. Empty, with what is wrong in trouble, when one is missing or another's.
QStringList picturesOf(ApplicationDatabase& database, QString& trouble)
{
    QStringList files;
    QList<Database::ID> racks;
    bool more = false;
    database.tableRack()->SelectIdsByBarcode(QString(), -1, racks, more);
    for (const Database::ID id : std::as_const(racks)) {
        DatabaseTableZelvorinRack::Dataset rack;
        database.tableRack()->Select(id, rack);
        if (!pictureIs(rack.PictureFilePath, rackPicture(rack.RackBarcode.mid(1).toInt())))
            trouble += rack.RackBarcode + QLatin1Char(' ');
        files.append(QFileInfo(rack.PictureFilePath).fileName());
    }
    QList<Database::ID> stitchers;
    database.tableImageStitcher()->SelectIdsByBarcode(QString(), -1, stitchers, more);
    for (const Database::ID id : std::as_const(stitchers)) {
        DatabaseTableZelvorinImageStitcher::Dataset row;
        database.tableImageStitcher()->Select(id, row);
        const int number = row.RackBarcode.mid(1).toInt();
        if (!pictureIs(row.PictureFilePath, StitcherResultFixture::stitchedPicture(number)))
            trouble += row.RackBarcode + QLatin1Char(' ');
        files.append(QFileInfo(row.PictureFilePath).fileName());
        QList<Database::ID> positions;
        database.tableImageStitcherPicture()->SelectIdsByImageStitcher(id, positions);
        for (const Database::ID position : std::as_const(positions)) {
            DatabaseTableZelvorinImageStitcherPicture::Dataset picture;
            database.tableImageStitcherPicture()->Select(position, picture);
            if (!pictureIs(picture.PictureFilePath, StitcherResultFixture::positionPicture(picture.PositionIndex, number)))
                trouble += row.RackBarcode + QStringLiteral("/%1 ").arg(picture.PositionIndex);
            files.append(QFileInfo(picture.PictureFilePath).fileName());
        }
    }
    if (racks.size() != 2 || stitchers.size() != 2)
        trouble += QStringLiteral("%1 racks, %2 stitcher results").arg(racks.size()).arg(stitchers.size());
    return files;
}

} // namespace

class tst_AppSettingsGui : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void showsTheRecord_data();
    void showsTheRecord();
    void kindChoosesThePage();
    void ok_storesReopensAndAccepts();
    void ok_unknownKindIsStoredAsAccess();
    void ok_missingPictureFolderKeepsTheDialog();
    void cancelAfterFailedOkRestoresTheRecord();
    void cancel_reopensTheRecordsDatabase();
    void databasesSharingThePictureFolderKeepEveryPicture();
    void testConnection_data();
    void testConnection();
    void sqlServerThroughOdbc();
    void sqlServerUsesFreeTdsUnlessConfigured();
    void createSQLite3_data();
    void createSQLite3();
    void createMSAccessWithoutTemplate();
    void delete_asksWithNoAsDefault_data();
    void delete_asksWithNoAsDefault();
    void delete_removesTheNamedDatabaseNotTheOpenOne();
    void delete_missingFile();
    void chooser_data();
    void chooser();

private:
    AppSettingsGui& dialog();
    QString casePath(const QString& name) const { return m_case + QLatin1Char('/') + name; }
    QLineEdit* edit(const char* name) { return dialog().findChild<QLineEdit*>(QLatin1String(name)); }
    QRadioButton* radio(const char* name) { return dialog().findChild<QRadioButton*>(QLatin1String(name)); }
    void click(const char* name) { dialog().findChild<QPushButton*>(QLatin1String(name))->click(); }
    QString openDatabaseFile() const;
    // A database with one rack whose picture file exists; the picture's path.
    QString databaseWithRack(const QString& file, const QString& picture);
    QStringList boxTexts() const;
    QString stackedPage()
    {
        return dialog()
            .findChild<QStackedWidget*>(QStringLiteral("m_QStackedWidget_DatabaseSettings"))
            ->currentWidget()
            ->objectName();
    }

    QTemporaryDir m_programDir;
    int m_caseNumber = 0;
    QString m_case;
    std::unique_ptr<DatabaseTestSupport::RecordingErrorHandler> m_handler;
    std::unique_ptr<ApplicationDatabase> m_database;
    std::unique_ptr<AppSettings> m_settings;
    FakeMainWindow m_mainWindow;
    std::unique_ptr<AppSettingsGui> m_dialog;
    QList<Box> m_boxes;
    QMessageBox::StandardButton m_answer = QMessageBox::Yes;
    QString m_fileAnswer;
    QList<MessageBox_Helper::FileRequest> m_fileRequests;
};

void tst_AppSettingsGui::initTestCase()
{
    QVERIFY(m_programDir.isValid());
    QVERIFY(QDir::setCurrent(m_programDir.path()));
    QuendralLibrary::Start(QStringLiteral("tst_AppSettingsGui"), QStringLiteral("1.0"), QStringLiteral("2024"), nullptr,
                           false);
    // The templates lie beside the program.
    QVERIFY(QDir().mkpath(QStringLiteral("database_templates")));
    QVERIFY(QFile::copy(DatabaseTestSupport::sqliteTemplate(), DatabaseTemplateSQLite3));
    MessageBox_Helper::setAnswerFunction([this](const MessageBox_Helper::Request& request) {
        m_boxes.append({request, request.parent && request.parent->cursor().shape() == Qt::WaitCursor});
        return request.icon == QMessageBox::Question ? m_answer : QMessageBox::Ok;
    });
    MessageBox_Helper::setFileAnswerFunction([this](const MessageBox_Helper::FileRequest& request) {
        m_fileRequests.append(request);
        return m_fileAnswer;
    });
}

void tst_AppSettingsGui::cleanupTestCase()
{
    MessageBox_Helper::setAnswerFunction({});
    MessageBox_Helper::setFileAnswerFunction({});
    QuendralLibrary::Stop();
}

void tst_AppSettingsGui::init()
{
    m_case = QStringLiteral("case%1").arg(++m_caseNumber);
    QVERIFY(QDir().mkpath(m_case));
    m_boxes.clear();
    m_fileRequests.clear();
    m_answer = QMessageBox::Yes;
    m_fileAnswer.clear();
    Database::setConnectionTemplate(Database::KindMSSQLServer, QString());
    m_handler = std::make_unique<DatabaseTestSupport::RecordingErrorHandler>();
    m_database = std::make_unique<ApplicationDatabase>(m_handler.get(), QStringLiteral("tst_AppSettingsGui"));
    m_settings = std::make_unique<AppSettings>();
    m_settings->database.Type = AppSettings::TypeSQLite3;
    m_settings->database.SQLite3.Filename = casePath(QStringLiteral("app.db3"));
    m_settings->database.PicturePath = m_case;
    m_mainWindow = FakeMainWindow();
    m_mainWindow.database = m_database.get();
    m_mainWindow.settings = m_settings.get();
}

void tst_AppSettingsGui::cleanup()
{
    m_dialog.reset();
    m_database.reset();
    m_settings.reset();
    m_handler.reset();
    Database::setConnectionTemplate(Database::KindMSSQLServer, QString());
}

AppSettingsGui& tst_AppSettingsGui::dialog()
{
    if (!m_dialog)
        m_dialog = std::make_unique<AppSettingsGui>(&m_mainWindow, m_database.get(), m_settings.get());
    return *m_dialog;
}

QString tst_AppSettingsGui::openDatabaseFile() const
{
    if (!m_database->database()->isOpen())
        return QString();
    return QFileInfo(m_database->database()->getDatabase()->databaseName()).absoluteFilePath();
}

QString tst_AppSettingsGui::databaseWithRack(const QString& file, const QString& picture)
{
    DatabaseTestSupport::RecordingErrorHandler handler;
    ApplicationDatabase holder(&handler, QStringLiteral("tst_AppSettingsGui_setup"));
    if (holder.createSQLite3Database(file) != 0)
        return QString();
    QFile pictureFile(picture);
    if (!pictureFile.open(QIODevice::WriteOnly) || pictureFile.write("png") != 3)
        return QString();
    pictureFile.close();
    DatabaseTableZelvorinRack::Dataset rack = DatabaseTestSupport::rackRow(QStringLiteral("R"), DatabaseTestSupport::baseTime());
    rack.PictureFilePath = picture;
    if (holder.tableRack()->Insert(rack) != 0)
        return QString();
    return picture;
}

QStringList tst_AppSettingsGui::boxTexts() const
{
    QStringList texts;
    for (const Box& box : m_boxes)
        texts.append(box.request.title + QStringLiteral(": ") + box.request.text);
    return texts;
}

void tst_AppSettingsGui::showsTheRecord_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("radio");
    QTest::addColumn<QString>("page");
    QTest::newRow("MS Access") << 1 << "m_QRadioButton_DatabaseType_MSAccess" << "m_QWidget_Tab_DatabaseSettings_MSAccess";
    QTest::newRow("SQL Server") << 2 << "m_QRadioButton_DatabaseType_MSSQLServer" << "m_QWidget_Tab_DatabaseSettings_MSSQLServer";
    QTest::newRow("SQLite3") << 4 << "m_QRadioButton_DatabaseType_SQLite3" << "m_QWidget_Tab_DatabaseSettings_SQLite3";
    QTest::newRow("3") << 3 << "m_QRadioButton_DatabaseType_MSAccess" << "m_QWidget_Tab_DatabaseSettings_MSAccess";
    QTest::newRow("0") << 0 << "m_QRadioButton_DatabaseType_MSAccess" << "m_QWidget_Tab_DatabaseSettings_MSAccess";
}

void tst_AppSettingsGui::showsTheRecord()
{
    QFETCH(int, type);
    QFETCH(QString, radio);
    QFETCH(QString, page);
    AppSettings::DatabaseSettings& s = m_settings->database;
    s.Type = type;
    s.PicturePath = QStringLiteral("pics");
    s.AutoDelete = false;
    s.AutoDeleteMaximum = 77;
    s.MSAccess.Filename = QStringLiteral("a.mdb");
    s.MSSqlServer = {QStringLiteral("srv\\INST"), QStringLiteral("db"), true, QStringLiteral("sa"), QStringLiteral("pw")};
    s.SQLite3.Filename = QStringLiteral("s.db3");
    QCOMPARE(dialog().objectName(), QStringLiteral("AppSettingsGui"));
    QCOMPARE(dialog().windowTitle(), QStringLiteral("Settings"));
    QVERIFY(dialog().findChild<QRadioButton*>(radio)->isChecked());
    QCOMPARE(stackedPage(), page);
    QCOMPARE(edit("m_QLineEdit_Database_PicturePath")->text(), QStringLiteral("pics"));
    QVERIFY(!dialog().findChild<QGroupBox*>(QStringLiteral("m_QGroupBox_Database_AutoDelete"))->isChecked());
    QCOMPARE(dialog().findChild<QSpinBox*>()->value(), 77);
    QCOMPARE(edit("m_QLineEdit_Database_MSAccess_Filename")->text(), QStringLiteral("a.mdb"));
    QCOMPARE(edit("m_QLineEdit_Database_MSSQLServer_Servername")->text(), QStringLiteral("srv\\INST"));
    QCOMPARE(edit("m_QLineEdit_Database_MSSQLServer_Databasename")->text(), QStringLiteral("db"));
    QCOMPARE(edit("m_QLineEdit_Database_MSSQLServer_Username")->text(), QStringLiteral("sa"));
    QCOMPARE(edit("m_QLineEdit_Database_MSSQLServer_Password")->text(), QStringLiteral("pw"));
    QCOMPARE(edit("m_QLineEdit_Database_MSSQLServer_Password")->echoMode(), QLineEdit::PasswordEchoOnEdit);
    QVERIFY(dialog().findChild<QGroupBox*>(QStringLiteral("m_QGroupBox_Database_MSSQLServer_SQLServerAuthentication"))
                ->isChecked());
    QCOMPARE(edit("m_QLineEdit_Database_SQLite3_Filename")->text(), QStringLiteral("s.db3"));
}

void tst_AppSettingsGui::kindChoosesThePage()
{
    radio("m_QRadioButton_DatabaseType_MSSQLServer")->setChecked(true);
    QCOMPARE(stackedPage(),
             QStringLiteral("m_QWidget_Tab_DatabaseSettings_MSSQLServer"));
    radio("m_QRadioButton_DatabaseType_MSAccess")->setChecked(true);
    QCOMPARE(stackedPage(),
             QStringLiteral("m_QWidget_Tab_DatabaseSettings_MSAccess"));
}

void tst_AppSettingsGui::ok_storesReopensAndAccepts()
{
    const QString other = casePath(QStringLiteral("other.db3"));
    QVERIFY(!databaseWithRack(other, casePath(QStringLiteral("p.png"))).isEmpty());
    QSignalSpy changed(m_settings.get(), &Settings_Change_Helper::signal_changed);
    edit("m_QLineEdit_Database_SQLite3_Filename")->setText(other);
    dialog().findChild<QSpinBox*>()->setValue(5);
    click("m_QPushButton_Ok");
    QVERIFY2(m_boxes.isEmpty(), qPrintable(boxTexts().join('\n')));
    QCOMPARE(dialog().result(), int(QDialog::Accepted));
    QCOMPARE(m_settings->database.SQLite3.Filename, other);
    QCOMPARE(m_settings->database.AutoDeleteMaximum, 5);
    QCOMPARE(m_mainWindow.calls, 1);
    QCOMPARE(openDatabaseFile(), QFileInfo(other).absoluteFilePath());
    QVERIFY(changed.wait(5000));
}

void tst_AppSettingsGui::ok_unknownKindIsStoredAsAccess()
{
    m_settings->database.Type = 3;
    click("m_QPushButton_Ok");
    QCOMPARE(m_settings->database.Type, AppSettings::TypeMSAccess);
}

void tst_AppSettingsGui::ok_missingPictureFolderKeepsTheDialog()
{
    const QString file = casePath(QStringLiteral("app.db3"));
    QVERIFY(!databaseWithRack(file, casePath(QStringLiteral("p.png"))).isEmpty());
    edit("m_QLineEdit_Database_PicturePath")->setText(casePath(QStringLiteral("missing")));
    dialog().show();
    click("m_QPushButton_Ok");
    QVERIFY(dialog().isVisible());
    QCOMPARE(boxTexts(), QStringList{QStringLiteral("Applicatoin Settings: Directory for database picture does not exists.")});
    QCOMPARE(m_settings->database.PicturePath, casePath(QStringLiteral("missing")));
    QCOMPARE(openDatabaseFile(), QFileInfo(file).absoluteFilePath());
}

void tst_AppSettingsGui::cancelAfterFailedOkRestoresTheRecord()
{
    const QString file = casePath(QStringLiteral("app.db3"));
    QVERIFY(!databaseWithRack(file, casePath(QStringLiteral("p.png"))).isEmpty());
    const AppSettings::DatabaseSettings before = m_settings->database;
    edit("m_QLineEdit_Database_SQLite3_Filename")->setText(casePath(QStringLiteral("missing.db3")));
    dialog().show();
    click("m_QPushButton_Ok");
    QVERIFY(dialog().isVisible());
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes.first().request.title, QStringLiteral("Database error"));
    QVERIFY(m_boxes.first().request.text.startsWith(QStringLiteral("Error: ")));
    QCOMPARE(m_settings->database.SQLite3.Filename, casePath(QStringLiteral("missing.db3")));

    click("m_QPushButton_Cancel");
    QCOMPARE(dialog().result(), int(QDialog::Rejected));
    QCOMPARE(m_settings->database.SQLite3.Filename, before.SQLite3.Filename);
    QCOMPARE(m_settings->database.PicturePath, before.PicturePath);
    QCOMPARE(openDatabaseFile(), QFileInfo(file).absoluteFilePath());
    QCOMPARE(m_boxes.size(), 1);
}

void tst_AppSettingsGui::cancel_reopensTheRecordsDatabase()
{
    const QString file = casePath(QStringLiteral("app.db3"));
    const QString other = casePath(QStringLiteral("other.db3"));
    QVERIFY(!databaseWithRack(file, casePath(QStringLiteral("p.png"))).isEmpty());
    QVERIFY(!databaseWithRack(other, casePath(QStringLiteral("q.png"))).isEmpty());
    edit("m_QLineEdit_Database_SQLite3_Filename")->setText(other);
    click("m_QPushButton_Database_Test");
    QCOMPARE(openDatabaseFile(), QFileInfo(other).absoluteFilePath());
    click("m_QPushButton_Cancel");
    QCOMPARE(dialog().result(), int(QDialog::Rejected));
    QCOMPARE(m_settings->database.SQLite3.Filename, file);
    QCOMPARE(openDatabaseFile(), QFileInfo(file).absoluteFilePath());
}

void tst_AppSettingsGui::databasesSharingThePictureFolderKeepEveryPicture()
{
    // Every database takes the same picture folder unless told otherwise: a new database made
    // and taken with OK, then the old one again, each saving racks and stitcher results.
    const QString folder = casePath(QStringLiteral("pictures"));
    QVERIFY(QDir().mkpath(folder));
    m_settings->database.PicturePath = folder;
    const QString first = casePath(QStringLiteral("app.db3"));
    const QString second = casePath(QStringLiteral("new.db3"));
    {
        DatabaseTestSupport::RecordingErrorHandler handler;
        ApplicationDatabase holder(&handler, QStringLiteral("tst_AppSettingsGui_setup"));
        QCOMPARE(holder.createSQLite3Database(first), Errors::Type_Error(0));
    }
    QCOMPARE(m_mainWindow.openDatabase(), Errors::Type_Error(0));
    Halcon_AsynchronImageSave writer;
    const auto written = [&] {
        return QTest::qWaitFor([&] {
            bool idle = false;
            writer.isIdle(idle);
            return idle;
        }, 30000);
    };
    for (int number = 1; number <= 2; ++number)
        QVERIFY(saveResults(*m_database, folder, writer, number));
    QVERIFY(written());

    // Create the new database in the dialog and take it with OK; save into it.
    edit("m_QLineEdit_Database_SQLite3_Filename")->setText(second);
    click("m_QPushButton_Database_Create");
    click("m_QPushButton_Ok");
    QCOMPARE(dialog().result(), int(QDialog::Accepted));
    QCOMPARE(openDatabaseFile(), QFileInfo(second).absoluteFilePath());
    for (int number = 1; number <= 2; ++number)
        QVERIFY(saveResults(*m_database, folder, writer, number + 10));
    QVERIFY(written());
    m_dialog.reset();

    // Cancel re-opens the new one, OK the old one, Cancel that again.
    click("m_QPushButton_Cancel");
    m_dialog.reset();
    edit("m_QLineEdit_Database_SQLite3_Filename")->setText(first);
    click("m_QPushButton_Ok");
    QCOMPARE(openDatabaseFile(), QFileInfo(first).absoluteFilePath());
    m_dialog.reset();
    click("m_QPushButton_Cancel");
    QVERIFY2(m_boxes.size() == 2, qPrintable(boxTexts().join('\n'))); // the creation's question and answer

    // Each database still has every picture of its own, and the folder holds nothing else.
    QStringList all;
    for (const QString& file : {first, second}) {
        DatabaseTestSupport::RecordingErrorHandler handler;
        ApplicationDatabase database(&handler, QStringLiteral("tst_AppSettingsGui_check"));
        AppSettings::DatabaseSettings settings = m_settings->database;
        settings.SQLite3.Filename = file;
        QCOMPARE(database.openDatabase(settings), Errors::Type_Error(0));
        QString trouble;
        all += picturesOf(database, trouble);
        QVERIFY2(trouble.isEmpty(), qPrintable(QFileInfo(file).fileName() + QStringLiteral(": ") + trouble));
    }
    all.sort();
    QCOMPARE(all.size(), 2 * (2 + 2 * (1 + StitcherResult::PositionsCount)));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name), all);
}

void tst_AppSettingsGui::testConnection_data()
{
    QTest::addColumn<QString>("content"); // "database", "other" (not a zelvorin database) or "" (no file)
    QTest::addColumn<QString>("title");
    QTest::newRow("zelvorin database") << "database" << "Database test";
    QTest::newRow("no file") << "" << "Database error";
    QTest::newRow("database of another layout") << "other" << "Database error";
}

void tst_AppSettingsGui::testConnection()
{
    QFETCH(QString, content);
    QFETCH(QString, title);
    const QString file = casePath(QStringLiteral("t.db3"));
    if (content == QLatin1String("database")) {
        QVERIFY(!databaseWithRack(file, casePath(QStringLiteral("p.png"))).isEmpty());
    } else if (content == QLatin1String("other")) {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        other.setDatabaseName(file);
        QVERIFY(other.open());
        other.exec(QStringLiteral("CREATE TABLE t(x INTEGER)"));
        other.close();
        other = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
    }
    edit("m_QLineEdit_Database_SQLite3_Filename")->setText(file);
    click("m_QPushButton_Database_Test");
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes.first().request.title, title);
    QVERIFY(!m_boxes.first().waitCursor);
    QVERIFY(dialog().cursor().shape() != Qt::WaitCursor);
    if (content == QLatin1String("database")) {
        QCOMPARE(m_boxes.first().request.text, QStringLiteral("Database connection OK."));
        QCOMPARE(m_boxes.first().request.icon, QMessageBox::Information);
        QCOMPARE(openDatabaseFile(), QFileInfo(file).absoluteFilePath());
    } else {
        QVERIFY2(m_boxes.first().request.text.startsWith(QStringLiteral("Cannot open the database \"%1\"!\n\nError: ").arg(file)),
                 qPrintable(m_boxes.first().request.text));
        QVERIFY(!m_database->database()->isOpen());
    }
    // Only Create makes a file.
    QCOMPARE(QFile::exists(file), !content.isEmpty());
    // Test changes the connection, never the record.
    QCOMPARE(m_settings->database.SQLite3.Filename, casePath(QStringLiteral("app.db3")));
}

void tst_AppSettingsGui::sqlServerThroughOdbc()
{
    if (!QFile::exists(SqliteOdbcDriver))
        QSKIP("SQLite ODBC driver (package libsqliteodbc) not installed");
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
        QSKIP("Qt ODBC driver (package libqt6sql6-odbc) not installed");
    // The SQL Server road over a driver that every test machine has; the "database" is a file.
    Database::setConnectionTemplate(Database::KindMSSQLServer,
                                    QStringLiteral("DRIVER=%1;").arg(SqliteOdbcDriver) + QStringLiteral("SERVER=%1;Database=%2"));
    const QString file = QFileInfo(casePath(QStringLiteral("server.db3"))).absoluteFilePath();
    QVERIFY(!databaseWithRack(file, casePath(QStringLiteral("p.png"))).isEmpty());
    radio("m_QRadioButton_DatabaseType_MSSQLServer")->setChecked(true);
    edit("m_QLineEdit_Database_MSSQLServer_Servername")->setText(QStringLiteral("localhost"));
    edit("m_QLineEdit_Database_MSSQLServer_Databasename")->setText(file);

    click("m_QPushButton_Database_Test");
    QCOMPARE(boxTexts(), QStringList{QStringLiteral("Database test: Database connection OK.")});
    QCOMPARE(m_database->database()->databaseType(), int(Database::KindMSSQLServer));

    // Create on a database that can be opened: it exists, and the connection stays on it.
    m_boxes.clear();
    click("m_QPushButton_Database_Create");
    QCOMPARE(m_boxes.size(), 2);
    QCOMPARE(m_boxes.at(0).request.defaultButton, QMessageBox::Yes);
    QCOMPARE(m_boxes.at(0).request.text, QStringLiteral("Create new database \"localhost//%1\"?").arg(file));
    QCOMPARE(m_boxes.at(1).request.text, QStringLiteral("The database \"localhost//%1\" already exists!").arg(file));
    QVERIFY(m_database->database()->isOpen());
    QVERIFY(m_handler->reports.isEmpty());
}

void tst_AppSettingsGui::sqlServerUsesFreeTdsUnlessConfigured()
{
    dialog();
    QCOMPARE(Database::connectionTemplate(Database::KindMSSQLServer), SqlServerOdbc::freeTdsConnectionTemplate());
    QVERIFY(SqlServerOdbc::freeTdsConnectionTemplate().startsWith(QStringLiteral("DRIVER={FreeTDS};")));
    m_dialog.reset();
    const QString own = QStringLiteral("DRIVER={Own};SERVER=%1;DATABASE=%2");
    Database::setConnectionTemplate(Database::KindMSSQLServer, own);
    dialog();
    QCOMPARE(Database::connectionTemplate(Database::KindMSSQLServer), own);
}

void tst_AppSettingsGui::createSQLite3_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<bool>("created");
    QTest::newRow("new file") << "new" << QMessageBox::Yes
                              << QStringList{"Database: Create new database \"%1\"?",
                                             "Database: The database \"%1\" successfully created!"}
                              << true;
    QTest::newRow("answered No") << "new" << QMessageBox::No << QStringList{"Database: Create new database \"%1\"?"} << false;
    QTest::newRow("existing file") << "exists" << QMessageBox::Yes
                                   << QStringList{"Database: Create new database \"%1\"?",
                                                  "Database error: The database \"%1\" already exists!"}
                                   << true;
    QTest::newRow("folder cannot be made") << "blocked" << QMessageBox::Yes
                                           << QStringList{"Database: Create new database \"%1\"?",
                                                          "Database error: Cannot create the database \"%1\"!\n\nError: "}
                                           << false;
}

void tst_AppSettingsGui::createSQLite3()
{
    QFETCH(QString, situation);
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(QStringList, texts);
    QFETCH(bool, created);
    QString file = casePath(QStringLiteral("new.db3"));
    QByteArray existing;
    if (situation == QLatin1String("exists")) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    } else if (situation == QLatin1String("blocked")) {
        QFile f(casePath(QStringLiteral("blocker")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        file = casePath(QStringLiteral("blocker/new.db3"));
    }
    const QString appFile = casePath(QStringLiteral("app.db3"));
    QVERIFY(!databaseWithRack(appFile, casePath(QStringLiteral("p.png"))).isEmpty());
    QCOMPARE(int(m_database->openDatabase(m_settings->database)), 0);
    m_answer = answer;
    edit("m_QLineEdit_Database_SQLite3_Filename")->setText(file);
    click("m_QPushButton_Database_Create");

    QCOMPARE(m_boxes.size(), texts.size());
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const QString shown = m_boxes.at(i).request.title + QStringLiteral(": ") + m_boxes.at(i).request.text;
        QVERIFY2(shown.startsWith(texts.at(i).arg(file)), qPrintable(shown));
        QVERIFY(!m_boxes.at(i).waitCursor);
    }
    QCOMPARE(m_boxes.first().request.defaultButton, QMessageBox::Yes);
    QCOMPARE(QFile::exists(file), created);
    if (situation == QLatin1String("exists")) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("keep me"));
        QVERIFY(!m_database->database()->isOpen());
    } else if (situation == QLatin1String("new") && created) {
        QCOMPARE(openDatabaseFile(), QFileInfo(file).absoluteFilePath());
        QCOMPARE(int(m_database->tableAll()->CheckVersion()), 0);
    } else if (answer == QMessageBox::No) {
        QCOMPARE(openDatabaseFile(), QFileInfo(appFile).absoluteFilePath());
    }
    QVERIFY(dialog().cursor().shape() != Qt::WaitCursor);
}

void tst_AppSettingsGui::createMSAccessWithoutTemplate()
{
    radio("m_QRadioButton_DatabaseType_MSAccess")->setChecked(true);
    const QString file = casePath(QStringLiteral("new.mdb"));
    edit("m_QLineEdit_Database_MSAccess_Filename")->setText(file);
    click("m_QPushButton_Database_Create");
    QCOMPARE(boxTexts(), (QStringList{QStringLiteral("Database: Create new database \"%1\"?").arg(file),
                                      QStringLiteral("Database error: Cannot generate new database \"%1\" from template "
                                                     "\"database_templates/ZelvorinTemplate.mdb\"!")
                                          .arg(file)}));
    QVERIFY(!QFile::exists(file));
}

void tst_AppSettingsGui::delete_asksWithNoAsDefault_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("question");
    QTest::newRow("SQLite3") << 4 << "Are you sure for delete the database \"%1\"?";
    QTest::newRow("MS Access") << 1 << "Are you sure for delete the database \"%1\"?";
    QTest::newRow("SQL Server") << 2 << "Are you sure for delete the database \"srv//%1\"?";
}

void tst_AppSettingsGui::delete_asksWithNoAsDefault()
{
    QFETCH(int, type);
    QFETCH(QString, question);
    const QString file = casePath(QStringLiteral("app.db3"));
    QVERIFY(!databaseWithRack(file, casePath(QStringLiteral("p.png"))).isEmpty());
    QCOMPARE(int(m_database->openDatabase(m_settings->database)), 0);
    m_settings->database.Type = type;
    m_settings->database.MSAccess.Filename = file;
    m_settings->database.MSSqlServer.Servername = QStringLiteral("srv");
    m_settings->database.MSSqlServer.Databasename = file;
    m_answer = QMessageBox::No;
    click("m_QPushButton_Database_Delete");
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes.first().request.text, question.arg(file));
    QCOMPARE(m_boxes.first().request.defaultButton, QMessageBox::No);
    QVERIFY(QFile::exists(file));
    QCOMPARE(openDatabaseFile(), QFileInfo(file).absoluteFilePath());
}

void tst_AppSettingsGui::delete_removesTheNamedDatabaseNotTheOpenOne()
{
    const QString appFile = casePath(QStringLiteral("app.db3"));
    const QString appPicture = databaseWithRack(appFile, casePath(QStringLiteral("app.png")));
    const QString named = casePath(QStringLiteral("named.db3"));
    const QString namedPicture = databaseWithRack(named, casePath(QStringLiteral("named.png")));
    QVERIFY(!appPicture.isEmpty() && !namedPicture.isEmpty());
    QCOMPARE(int(m_database->openDatabase(m_settings->database)), 0);

    edit("m_QLineEdit_Database_SQLite3_Filename")->setText(named);
    click("m_QPushButton_Database_Delete");
    QCOMPARE(boxTexts(), (QStringList{QStringLiteral("Database: Are you sure for delete the database \"%1\"?").arg(named),
                                      QStringLiteral("Database: The database \"%1\" successfully deleted!").arg(named)}));
    QVERIFY(!QFile::exists(named));
    QVERIFY(!QFile::exists(namedPicture));
    QVERIFY(!m_database->database()->isOpen());
    // The database that was open keeps its file, its racks and their pictures.
    QVERIFY(QFile::exists(appPicture));
    QCOMPARE(int(m_database->openDatabase(m_settings->database)), 0);
    QList<Database::ID> ids;
    bool more = false;
    QCOMPARE(int(m_database->tableRack()->SelectIdsByBarcode(QString(), 0, ids, more)), 0);
    QCOMPARE(ids.size(), 1);
    QVERIFY(m_handler->reports.isEmpty());
}

void tst_AppSettingsGui::delete_missingFile()
{
    const QString file = casePath(QStringLiteral("gone.db3"));
    edit("m_QLineEdit_Database_SQLite3_Filename")->setText(file);
    click("m_QPushButton_Database_Delete");
    QCOMPARE(boxTexts().last(), QStringLiteral("Database error: The database \"%1\" don't exists!").arg(file));
    QVERIFY(!m_boxes.last().waitCursor);
}

void tst_AppSettingsGui::chooser_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("expected");
    const QString program = QDir::currentPath();
    const int open = MessageBox_Helper::FileRequest::OpenFile;
    const int folder = MessageBox_Helper::FileRequest::Directory;
    QTest::newRow("SQLite3 inside the program folder")
        << "m_QPushButton_Database_SQLite3_Filename" << "m_QLineEdit_Database_SQLite3_Filename" << open
        << "Select Dtabase filename ..." << "SQLite 3 database (*.db3)" << program + "/db/x.db3" << "db/x.db3";
    QTest::newRow("SQLite3 elsewhere") << "m_QPushButton_Database_SQLite3_Filename"
                                       << "m_QLineEdit_Database_SQLite3_Filename" << open
                                       << "Select Dtabase filename ..." << "SQLite 3 database (*.db3)"
                                       << "/data/x.db3" << "/data/x.db3";
    QTest::newRow("SQLite3 cancelled") << "m_QPushButton_Database_SQLite3_Filename"
                                       << "m_QLineEdit_Database_SQLite3_Filename" << open
                                       << "Select Dtabase filename ..." << "SQLite 3 database (*.db3)" << ""
                                       << "start";
    QTest::newRow("MS Access") << "m_QPushButton_Database_MSAccess_Filename" << "m_QLineEdit_Database_MSAccess_Filename"
                               << open << "Select Database filename ..." << "MS Access database (*.mdb)"
                               << program + "/db/../a.mdb" << "a.mdb";
    QTest::newRow("picture folder") << "m_QPushButton_Database_PicturePath" << "m_QLineEdit_Database_PicturePath"
                                    << folder << "Select Picture directory ..." << "" << program + "/pics" << "pics";
    QTest::newRow("picture folder cancelled") << "m_QPushButton_Database_PicturePath"
                                              << "m_QLineEdit_Database_PicturePath" << folder
                                              << "Select Picture directory ..." << "" << "" << "start";
}

void tst_AppSettingsGui::chooser()
{
    QFETCH(QString, button);
    QFETCH(QString, field);
    QFETCH(int, kind);
    QFETCH(QString, caption);
    QFETCH(QString, filter);
    QFETCH(QString, answer);
    QFETCH(QString, expected);
    dialog().findChild<QLineEdit*>(field)->setText(QStringLiteral("start"));
    m_fileAnswer = answer;
    dialog().findChild<QPushButton*>(button)->click();
    QCOMPARE(m_fileRequests.size(), 1);
    QCOMPARE(int(m_fileRequests.first().kind), kind);
    QCOMPARE(m_fileRequests.first().caption, caption);
    QCOMPARE(m_fileRequests.first().filter, filter);
    QCOMPARE(m_fileRequests.first().directory, QStringLiteral("start"));
    QCOMPARE(dialog().findChild<QLineEdit*>(field)->text(), expected);
}

QTEST_MAIN(tst_AppSettingsGui)
#include "tst_AppSettingsGui.moc"
