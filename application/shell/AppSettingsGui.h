#pragma once

#include "AppSettings.h"
#include "Errors.h"

#include <QDialog>

#include <memory>

class ApplicationDatabase;
class QLineEdit;
class Ui_AppSettingsGui;

// The modal dialog "Settings" for the database part of the application settings: the
// database kind and its connection, the rack picture folder and the pruning of old racks.
// Test, Create and Delete work on the values entered, through the application's one
// connection; OK and Cancel re-open the application's database from the record, so the
// connection matches the record when the dialog closes.
class AppSettingsGui : public QDialog {
    Q_OBJECT
public:
    // What the dialog needs of the main window.
    class CallbackFunctions {
    public:
        virtual ~CallbackFunctions() = default;
        // Opens the application's database from the application settings record: by its
        // kind, then the version check.
        virtual Errors::Type_Error openDatabase() = 0;
    };

    AppSettingsGui(CallbackFunctions* mainWindow, ApplicationDatabase* database, AppSettings* settings,
                   QWidget* parent = nullptr);
    ~AppSettingsGui() override;

private slots:
    void slot_QPushButton_Ok_clicked();
    void slot_QPushButton_Cancel_clicked();
    void slot_QRadioButton_DatabaseType_MSAccess_toggled(bool checked);
    void slot_QRadioButton_DatabaseType_MSSQLServer_toggled(bool checked);
    void slot_QRadioButton_DatabaseType_SQLite3_toggled(bool checked);
    void slot_QPushButton_Database_Test_clicked();
    void slot_QPushButton_Database_Create_clicked();
    void slot_QPushButton_Database_Delete_clicked();
    void slot_QPushButton_Database_MSAccess_Filename_clicked();
    void slot_QPushButton_Database_SQLite3_Filename_clicked();
    void slot_QPushButton_Database_PicturePath_clicked();

private:
    void showRecord(const AppSettings::DatabaseSettings& settings);
    int enteredType() const;
    AppSettings::DatabaseSettings enteredSettings() const;
    bool reopenApplicationDatabase();

    void createFileDatabase(const AppSettings::DatabaseSettings& entered);
    void createServerDatabase(const AppSettings::DatabaseSettings& entered);
    void deleteFileDatabase(const AppSettings::DatabaseSettings& entered);
    void deleteServerDatabase(const AppSettings::DatabaseSettings& entered);
    // Removes the racks and their pictures from the named database, not the open one.
    void deleteRacksOf(const AppSettings::DatabaseSettings& entered);

    void showChosenPath(QLineEdit* field, const QString& chosen);
    QString openErrorText(const AppSettings::DatabaseSettings& entered, Errors::Type_Error code) const;
    void beginWait();
    void endWait();
    void showError(const QString& title, const QString& text);
    void showInformation(const QString& title, const QString& text);
    bool askYes(const QString& text, bool destructive);

    std::unique_ptr<Ui_AppSettingsGui> ui;
    CallbackFunctions* m_mainWindow;
    ApplicationDatabase* m_database;
    AppSettings* m_settings;
    // The record's values when the dialog opened, which Cancel brings back after a failed OK.
    AppSettings::DatabaseSettings m_initialSettings;
    bool m_recordWritten = false;
};
