#pragma once

#include "Errors.h"
#include "RackZipExport.h"

#include <QDialog>
#include <QList>
#include <QString>

#include <memory>

class ApplicationDatabase;
class Hobject_View_Gui;
class QCloseEvent;
class QTreeWidgetItem;
class Ui_ColonyDatabaseGui;

// The modal dialog "Read from colony analyser database": lists the stored racks (newest
// first, filtered by barcode), shows a rack's picture with its pickable colonies, hands one
// rack back for re-evaluation and exports racks into ZIP archives. Selection-only mode
// serves the automation interface's choice of a rack.
class ColonyDatabaseGui : public QDialog {
    Q_OBJECT
public:
    enum ReevaluateMode { ReevaluateNone = 0, ReevaluateDatabaseSettings = 1, ReevaluateCurrentSettings = 2 };

    // An unfiltered search lists at most this many racks until "Show all entries".
    static constexpr int UnfilteredLimit = 500;

    ColonyDatabaseGui(ApplicationDatabase* database, QWidget* parent, bool selectionOnly);
    ~ColonyDatabaseGui() override;

    int reevaluateMode() const { return m_mode; }
    // RackID of the current rack row, -1 without one.
    int selectedRackId() const;
    QString rackCameraSettingsXml() const { return m_cameraSettingsXml; }
    QString rackColonySettingsXml() const { return m_colonySettingsXml; }
    QString rackPictureFilePath() const { return m_pictureFilePath; }
    QString rackReferencePointsCorrection() const { return m_correctionText; }

    Errors::Type_Error exportToZipArchive(const QList<int>& rackIds, const QString& archivePath, bool append,
                                          bool interactive);
    // The camera settings record's text reader for the export (default: Camera_Settings::ReadName).
    void setCameraSettingsReader(RackZipExport::SettingsReader reader) { m_cameraReader = std::move(reader); }

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void slot_QTreeWidget_RackList_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void slot_QPushButton_ShowAllEntries_clicked();
    void slot_QPushButton_Filter_Search_clicked();
    void slot_QPushButton_Reevaluate_DatabaseSettings_clicked();
    void slot_QPushButton_Reevaluate_CurrentSettings_clicked();
    void slot_QPushButton_DataExport_clicked();
    void slot_QPushButton_Ok_clicked();
    void slot_QPushButton_Cancel_clicked();

private:
    void reevaluate(int mode);

    std::unique_ptr<Ui_ColonyDatabaseGui> ui;
    ApplicationDatabase* m_database;
    Hobject_View_Gui* m_view = nullptr;
    bool m_showAll = false;
    int m_mode = ReevaluateNone;
    QString m_lastExportFile;
    QString m_cameraSettingsXml;
    QString m_colonySettingsXml;
    QString m_pictureFilePath;
    QString m_correctionText;
    RackZipExport::SettingsReader m_cameraReader;
};
