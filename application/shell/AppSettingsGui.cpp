#include "AppSettingsGui.h"

#include "ui_AppSettingsGui.h"

#include "ApplicationDatabase.h"
#include "Database.h"
#include "DatabaseTableAll.h"
#include "Gui_Helper.h"
#include "LibraryFunctions.h"
#include "MessageBox_Helper.h"
#include "SqlServerOdbc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>

// Q_INIT_RESOURCE declares its function in the enclosing namespace, so this stays global.
static void initAppSettingsResources()
{
    Q_INIT_RESOURCE(AppSettingsGui);
}

namespace {

constexpr Errors::Type_Error NoError = 0;
constexpr Errors::Type_Error ErrorFileMissing = 70;
constexpr Errors::Type_Error ErrorFirstOpenCode = 80;
constexpr Errors::Type_Error ErrorLastOpenCode = 83;

const QString FileOpenIcon = QStringLiteral("pictures:/Settings/FileOpen.png");

bool isFileKind(int type)
{
    return type == AppSettings::TypeMSAccess || type == AppSettings::TypeSQLite3;
}

QString fileOf(const AppSettings::DatabaseSettings& settings)
{
    return settings.Type == AppSettings::TypeSQLite3 ? settings.SQLite3.Filename : settings.MSAccess.Filename;
}

QString serverAndDatabase(const AppSettings::DatabaseSettings& settings)
{
    return settings.MSSqlServer.Servername + QStringLiteral("//") + settings.MSSqlServer.Databasename;
}

QString errorText(Errors::Type_Error code)
{
    return Errors::getErrorText(code);
}

} // namespace

AppSettingsGui::AppSettingsGui(CallbackFunctions* mainWindow, ApplicationDatabase* database, AppSettings* settings,
                               QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui_AppSettingsGui>())
    , m_mainWindow(mainWindow)
    , m_database(database)
    , m_settings(settings)
    , m_initialSettings(settings->database)
{
    SqlServerOdbc::useFreeTds();
    ui->setupUi(this);
    Gui_Helper::setObjectName(this, QString());
    ui->m_QPushButton_Ok->setDefault(true);
    initAppSettingsResources();
    const QIcon chooserIcon(FileOpenIcon);
    ui->m_QPushButton_Database_MSAccess_Filename->setIcon(chooserIcon);
    ui->m_QPushButton_Database_SQLite3_Filename->setIcon(chooserIcon);
    ui->m_QPushButton_Database_PicturePath->setIcon(chooserIcon);
    ui->m_QTabWidget_Settings->setCurrentIndex(0);

    showRecord(m_settings->database);

    Gui_Helper::applyWidgetStyles(this, true, true, true);
    Gui_Helper::restoreWindowLayout(this, QString());

    connect(ui->m_QPushButton_Ok, SIGNAL(clicked()), this, SLOT(slot_QPushButton_Ok_clicked()));
    connect(ui->m_QPushButton_Cancel, SIGNAL(clicked()), this, SLOT(slot_QPushButton_Cancel_clicked()));
    connect(ui->m_QRadioButton_DatabaseType_MSAccess, SIGNAL(toggled(bool)), this,
            SLOT(slot_QRadioButton_DatabaseType_MSAccess_toggled(bool)));
    connect(ui->m_QRadioButton_DatabaseType_MSSQLServer, SIGNAL(toggled(bool)), this,
            SLOT(slot_QRadioButton_DatabaseType_MSSQLServer_toggled(bool)));
    connect(ui->m_QRadioButton_DatabaseType_SQLite3, SIGNAL(toggled(bool)), this,
            SLOT(slot_QRadioButton_DatabaseType_SQLite3_toggled(bool)));
    connect(ui->m_QPushButton_Database_Test, SIGNAL(clicked()), this, SLOT(slot_QPushButton_Database_Test_clicked()));
    connect(ui->m_QPushButton_Database_Create, SIGNAL(clicked()), this,
            SLOT(slot_QPushButton_Database_Create_clicked()));
    connect(ui->m_QPushButton_Database_Delete, SIGNAL(clicked()), this,
            SLOT(slot_QPushButton_Database_Delete_clicked()));
    connect(ui->m_QPushButton_Database_MSAccess_Filename, SIGNAL(clicked()), this,
            SLOT(slot_QPushButton_Database_MSAccess_Filename_clicked()));
    connect(ui->m_QPushButton_Database_SQLite3_Filename, SIGNAL(clicked()), this,
            SLOT(slot_QPushButton_Database_SQLite3_Filename_clicked()));
    connect(ui->m_QPushButton_Database_PicturePath, SIGNAL(clicked()), this,
            SLOT(slot_QPushButton_Database_PicturePath_clicked()));
}

AppSettingsGui::~AppSettingsGui()
{
    Gui_Helper::saveWindowLayout(this, QString());
}

// ---------------------------------------------------------------------------------------------
// Form and record

void AppSettingsGui::showRecord(const AppSettings::DatabaseSettings& settings)
{
    switch (settings.Type) {
    case AppSettings::TypeMSSQLServer:
        ui->m_QRadioButton_DatabaseType_MSSQLServer->setChecked(true);
        ui->m_QStackedWidget_DatabaseSettings->setCurrentWidget(ui->m_QWidget_Tab_DatabaseSettings_MSSQLServer);
        break;
    case AppSettings::TypeSQLite3:
        ui->m_QRadioButton_DatabaseType_SQLite3->setChecked(true);
        ui->m_QStackedWidget_DatabaseSettings->setCurrentWidget(ui->m_QWidget_Tab_DatabaseSettings_SQLite3);
        break;
    default:
        ui->m_QRadioButton_DatabaseType_MSAccess->setChecked(true);
        ui->m_QStackedWidget_DatabaseSettings->setCurrentWidget(ui->m_QWidget_Tab_DatabaseSettings_MSAccess);
        break;
    }
    ui->m_QLineEdit_Database_PicturePath->setText(settings.PicturePath);
    ui->m_QGroupBox_Database_AutoDelete->setChecked(settings.AutoDelete);
    ui->m_QSpinBox_Database_AutodeleteMaximum->setValue(settings.AutoDeleteMaximum);
    ui->m_QLineEdit_Database_MSAccess_Filename->setText(settings.MSAccess.Filename);
    ui->m_QLineEdit_Database_MSSQLServer_Servername->setText(settings.MSSqlServer.Servername);
    ui->m_QLineEdit_Database_MSSQLServer_Databasename->setText(settings.MSSqlServer.Databasename);
    ui->m_QLineEdit_Database_MSSQLServer_Username->setText(settings.MSSqlServer.Username);
    ui->m_QLineEdit_Database_MSSQLServer_Password->setText(settings.MSSqlServer.Password);
    ui->m_QGroupBox_Database_MSSQLServer_SQLServerAuthentication->setChecked(
        settings.MSSqlServer.SQLServerAuthentication);
    ui->m_QLineEdit_Database_SQLite3_Filename->setText(settings.SQLite3.Filename);
}

int AppSettingsGui::enteredType() const
{
    if (ui->m_QRadioButton_DatabaseType_MSAccess->isChecked())
        return AppSettings::TypeMSAccess;
    if (ui->m_QRadioButton_DatabaseType_MSSQLServer->isChecked())
        return AppSettings::TypeMSSQLServer;
    if (ui->m_QRadioButton_DatabaseType_SQLite3->isChecked())
        return AppSettings::TypeSQLite3;
    return 0;
}

AppSettings::DatabaseSettings AppSettingsGui::enteredSettings() const
{
    AppSettings::DatabaseSettings settings;
    settings.Type = enteredType();
    settings.PicturePath = ui->m_QLineEdit_Database_PicturePath->text();
    settings.AutoDelete = ui->m_QGroupBox_Database_AutoDelete->isChecked();
    settings.AutoDeleteMaximum = ui->m_QSpinBox_Database_AutodeleteMaximum->value();
    settings.MSAccess.Filename = ui->m_QLineEdit_Database_MSAccess_Filename->text();
    settings.MSSqlServer.Servername = ui->m_QLineEdit_Database_MSSQLServer_Servername->text();
    settings.MSSqlServer.Databasename = ui->m_QLineEdit_Database_MSSQLServer_Databasename->text();
    settings.MSSqlServer.Username = ui->m_QLineEdit_Database_MSSQLServer_Username->text();
    settings.MSSqlServer.Password = ui->m_QLineEdit_Database_MSSQLServer_Password->text();
    settings.MSSqlServer.SQLServerAuthentication =
        ui->m_QGroupBox_Database_MSSQLServer_SQLServerAuthentication->isChecked();
    settings.SQLite3.Filename = ui->m_QLineEdit_Database_SQLite3_Filename->text();
    return settings;
}

bool AppSettingsGui::reopenApplicationDatabase()
{
    const Errors::Type_Error result = m_mainWindow->openDatabase();
    if (result == NoError)
        return true;
    showError(tr("Database error"), tr("Error: %1!").arg(errorText(result)));
    return false;
}

// ---------------------------------------------------------------------------------------------
// OK, Cancel and the kind

void AppSettingsGui::slot_QPushButton_Ok_clicked()
{
    const AppSettings::DatabaseSettings entered = enteredSettings();
    QString reason;
    if (!entered.isValid(&reason)) {
        showError(tr("Applicatoin Settings"), reason);
        return;
    }
    m_settings->database = entered;
    m_settings->setChanged(0);
    m_recordWritten = true;
    if (!reopenApplicationDatabase())
        return;
    const QDir programFolder(libraryApplicationPath());
    if (!QFileInfo(programFolder.absoluteFilePath(entered.PicturePath)).isDir()) {
        showError(tr("Applicatoin Settings"), tr("Directory for database picture does not exists."));
        return;
    }
    accept();
}

void AppSettingsGui::slot_QPushButton_Cancel_clicked()
{
    // A failed OK has written the record already; Cancel means none of it.
    if (m_recordWritten) {
        m_settings->database = m_initialSettings;
        m_settings->setChanged(0);
        m_recordWritten = false;
    }
    reopenApplicationDatabase();
    reject();
}

void AppSettingsGui::slot_QRadioButton_DatabaseType_MSAccess_toggled(bool checked)
{
    if (checked)
        ui->m_QStackedWidget_DatabaseSettings->setCurrentWidget(ui->m_QWidget_Tab_DatabaseSettings_MSAccess);
}

void AppSettingsGui::slot_QRadioButton_DatabaseType_MSSQLServer_toggled(bool checked)
{
    if (checked)
        ui->m_QStackedWidget_DatabaseSettings->setCurrentWidget(ui->m_QWidget_Tab_DatabaseSettings_MSSQLServer);
}

void AppSettingsGui::slot_QRadioButton_DatabaseType_SQLite3_toggled(bool checked)
{
    if (checked)
        ui->m_QStackedWidget_DatabaseSettings->setCurrentWidget(ui->m_QWidget_Tab_DatabaseSettings_SQLite3);
}

// ---------------------------------------------------------------------------------------------
// Test, Create, Delete

void AppSettingsGui::slot_QPushButton_Database_Test_clicked()
{
    const AppSettings::DatabaseSettings entered = enteredSettings();
    if (entered.Type == 0) {
        showError(tr("Database error"), tr("Unknown database type!"));
        return;
    }
    beginWait();
    m_database->database()->close();
    // With the version check: a database of another layout is no usable connection.
    const Errors::Type_Error result = m_database->openDatabase(entered);
    if (result != NoError)
        showError(tr("Database error"), openErrorText(entered, result));
    else
        showInformation(tr("Database test"), tr("Database connection OK."));
    endWait();
}

void AppSettingsGui::slot_QPushButton_Database_Create_clicked()
{
    const AppSettings::DatabaseSettings entered = enteredSettings();
    if (isFileKind(entered.Type))
        createFileDatabase(entered);
    else if (entered.Type == AppSettings::TypeMSSQLServer)
        createServerDatabase(entered);
    else
        showError(tr("Database error"), tr("Unknown database type!"));
}

void AppSettingsGui::slot_QPushButton_Database_Delete_clicked()
{
    const AppSettings::DatabaseSettings entered = enteredSettings();
    if (isFileKind(entered.Type))
        deleteFileDatabase(entered);
    else if (entered.Type == AppSettings::TypeMSSQLServer)
        deleteServerDatabase(entered);
    else
        showError(tr("Database error"), tr("Unknown database type!"));
}

void AppSettingsGui::createFileDatabase(const AppSettings::DatabaseSettings& entered)
{
    const QString file = fileOf(entered);
    if (!askYes(tr("Create new database \"%1\"?").arg(file), false))
        return;
    beginWait();
    m_database->database()->close();
    if (QFileInfo::exists(file)) {
        showError(tr("Database error"), tr("The database \"%1\" already exists!").arg(file));
        endWait();
        return;
    }
    // A database that cannot be completed is removed again, never left half made.
    Errors::Type_Error result = NoError;
    if (entered.Type == AppSettings::TypeSQLite3) {
        result = m_database->createSQLite3Database(file);
        if (result == ApplicationDatabase::ErrorFileOperation) {
            showError(tr("Database error"),
                      tr("Cannot create the database \"%1\"!\n\nError: %2!").arg(file, errorText(result)));
        } else if (result >= ErrorFirstOpenCode && result <= ErrorLastOpenCode) {
            showError(tr("Database error"), openErrorText(entered, result));
        } else if (result != NoError) {
            showError(tr("Database error"), tr("Cannot execute the SQL file \"%1\" on database \"%2\"!\n\nError: %3!")
                                                .arg(DatabaseTemplateSQLite3, file, errorText(result)));
        }
    } else {
        result = m_database->createMSAccessDatabase(file);
        if (result == ErrorFileMissing || result == ApplicationDatabase::ErrorFileOperation) {
            showError(tr("Database error"), tr("Cannot generate new database \"%1\" from template \"%2\"!")
                                                .arg(file, DatabaseTemplateMSAccess));
        } else if (result != NoError) {
            showError(tr("Database error"), openErrorText(entered, result));
        }
    }
    if (result == NoError)
        showInformation(tr("Database"), tr("The database \"%1\" successfully created!").arg(file));
    endWait();
}

void AppSettingsGui::createServerDatabase(const AppSettings::DatabaseSettings& entered)
{
    const AppSettings::MSSqlServerSettings& server = entered.MSSqlServer;
    const QString name = serverAndDatabase(entered);
    if (!askYes(tr("Create new database \"%1\"?").arg(name), false))
        return;
    beginWait();
    m_database->database()->close();
    // That the database does not exist yet is expected: no error report for the probe.
    m_database->setErrorReportEnabled(false);
    const Errors::Type_Error probe = m_database->database()->openMSSQLServer(
        server.Servername, server.Databasename, server.Username, server.Password, server.SQLServerAuthentication);
    m_database->setErrorReportEnabled(true);
    if (probe == NoError) {
        showError(tr("Database error"), tr("The database \"%1\" already exists!").arg(name));
        endWait();
        return;
    }
    const Errors::Type_Error result = m_database->createMSSQLServerDatabase(server);
    if (result != NoError)
        showError(tr("Database error"), tr("Cannot create the database \"%1\"!\n\nError: %2!").arg(name, errorText(result)));
    else
        showInformation(tr("Database"), tr("The database \"%1\" successfully created!").arg(name));
    endWait();
}

void AppSettingsGui::deleteRacksOf(const AppSettings::DatabaseSettings& entered)
{
    m_database->setErrorReportEnabled(false);
    if (m_database->openDatabase(entered) == NoError)
        m_database->tableAll()->DeleteOldRacks(0, false);
    m_database->database()->close();
    m_database->setErrorReportEnabled(true);
}

void AppSettingsGui::deleteFileDatabase(const AppSettings::DatabaseSettings& entered)
{
    const QString file = fileOf(entered);
    if (!askYes(tr("Are you sure for delete the database \"%1\"?").arg(file), true))
        return;
    beginWait();
    m_database->database()->close();
    if (!QFileInfo::exists(file)) {
        showError(tr("Database error"), tr("The database \"%1\" don't exists!").arg(file));
        endWait();
        return;
    }
    deleteRacksOf(entered);
    if (!QFile::remove(file)) {
        showError(tr("Database error"), tr("Cannot delete the database \"%1\"!").arg(file));
        endWait();
        return;
    }
    showInformation(tr("Database"), tr("The database \"%1\" successfully deleted!").arg(file));
    endWait();
}

void AppSettingsGui::deleteServerDatabase(const AppSettings::DatabaseSettings& entered)
{
    const QString name = serverAndDatabase(entered);
    if (!askYes(tr("Are you sure for delete the database \"%1\"?").arg(name), true))
        return;
    beginWait();
    m_database->database()->close();
    deleteRacksOf(entered);
    const Errors::Type_Error result = m_database->deleteMSSQLServerDatabase(entered.MSSqlServer);
    if (result != NoError)
        showError(tr("Database error"), tr("Cannot delete the database \"%1\"!\n\nError: %2!").arg(name, errorText(result)));
    else
        showInformation(tr("Database"), tr("The database \"%1\" successfully deleted!").arg(name));
    endWait();
}

// ---------------------------------------------------------------------------------------------
// Choosers

void AppSettingsGui::slot_QPushButton_Database_MSAccess_Filename_clicked()
{
    QLineEdit* field = ui->m_QLineEdit_Database_MSAccess_Filename;
    showChosenPath(field, MessageBox_Helper::getOpenFileName(this, tr("Select Database filename ..."), field->text(),
                                                             tr("MS Access database (*.mdb)")));
}

void AppSettingsGui::slot_QPushButton_Database_SQLite3_Filename_clicked()
{
    QLineEdit* field = ui->m_QLineEdit_Database_SQLite3_Filename;
    showChosenPath(field, MessageBox_Helper::getOpenFileName(this, tr("Select Dtabase filename ..."), field->text(),
                                                             tr("SQLite 3 database (*.db3)")));
}

void AppSettingsGui::slot_QPushButton_Database_PicturePath_clicked()
{
    QLineEdit* field = ui->m_QLineEdit_Database_PicturePath;
    showChosenPath(field, MessageBox_Helper::getExistingDirectory(this, tr("Select Picture directory ..."), field->text()));
}

void AppSettingsGui::showChosenPath(QLineEdit* field, const QString& chosen)
{
    // Empty: the chooser was cancelled.
    if (!chosen.isEmpty())
        field->setText(toApplicationRelativePath(chosen));
}

// ---------------------------------------------------------------------------------------------
// Boxes

QString AppSettingsGui::openErrorText(const AppSettings::DatabaseSettings& entered, Errors::Type_Error code) const
{
    if (entered.Type == AppSettings::TypeMSSQLServer) {
        return tr("Cannot open the database \"%1//%2\"!\n\nError: %3!")
            .arg(entered.MSSqlServer.Servername, entered.MSSqlServer.Databasename, errorText(code));
    }
    return tr("Cannot open the database \"%1\"!\n\nError: %2!").arg(fileOf(entered), errorText(code));
}

void AppSettingsGui::beginWait()
{
    setCursor(Qt::WaitCursor);
}

void AppSettingsGui::endWait()
{
    unsetCursor();
}

void AppSettingsGui::showError(const QString& title, const QString& text)
{
    endWait();
    MessageBox_Helper::critical(this, title, text, QMessageBox::Ok);
}

void AppSettingsGui::showInformation(const QString& title, const QString& text)
{
    endWait();
    MessageBox_Helper::information(this, title, text, QMessageBox::Ok);
}

bool AppSettingsGui::askYes(const QString& text, bool destructive)
{
    // What cannot be undone needs an explicit Yes; a stray Enter keeps the database.
    const QMessageBox::StandardButton defaultButton = destructive ? QMessageBox::No : QMessageBox::Yes;
    return MessageBox_Helper::question(this, tr("Database"), text, QMessageBox::Yes | QMessageBox::No, defaultButton)
        == QMessageBox::Yes;
}
