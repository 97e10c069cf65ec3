#pragma once

#include "Errors.h"
#include "RackZipExport.h"
#include "StoredResultsBrowser.h"

#include <QList>
#include <QString>

#include <memory>

class ApplicationDatabase;
class Hobject_View_Gui;
class QTreeWidgetItem;
class Ui_ColonyDatabaseGui;

// The modal dialog "Read from colony analyser database": lists the stored racks (newest
// first, filtered by barcode), shows a rack's picture with its pickable colonies, hands one
// rack back for re-evaluation and exports racks into ZIP archives. Selection-only mode
// serves the automation interface's choice of a rack.
class ColonyDatabaseGui : public StoredResultsBrowser {
    Q_OBJECT
public:
    ColonyDatabaseGui(ApplicationDatabase* database, QWidget* parent, bool selectionOnly);
    ~ColonyDatabaseGui() override;

    // RackID of the current rack row, -1 without one.
    int selectedRackId() const;
    QString rackCameraSettingsXml() const { return m_cameraSettingsXml; }
    QString rackColonySettingsXml() const { return m_colonySettingsXml; }
    QString rackPictureFilePath() const { return m_pictureFilePath; }
    QString rackReferencePointsCorrection() const { return m_correctionText; }

    Errors::Type_Error exportToZipArchive(const QList<int>& rackIds, const QString& archivePath, bool append,
                                          bool interactive) override;
    // The camera settings record's text reader for the export (default: Camera_Settings::ReadName).
    void setCameraSettingsReader(RackZipExport::SettingsReader reader) { m_cameraReader = std::move(reader); }

protected:
    Errors::Type_Error selectResults(const QString& filter, int limit, QList<Database::ID>& ids, bool& more) override;
    bool readResult(Database::ID id, StoredResultListItem& row) override;
    void showResult(QTreeWidgetItem* current) override;
    void listFilled() override;
    bool takeResult(QTreeWidgetItem* row, int mode) override;

private slots:
    void slot_QTreeWidget_RackList_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void slot_QPushButton_Ok_clicked();

private:
    std::unique_ptr<Ui_ColonyDatabaseGui> ui;
    Hobject_View_Gui* m_view = nullptr;
    QString m_cameraSettingsXml;
    QString m_colonySettingsXml;
    QString m_pictureFilePath;
    QString m_correctionText;
    RackZipExport::SettingsReader m_cameraReader;
};
