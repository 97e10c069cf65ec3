#pragma once

#include <Database.h>
#include <Errors.h>

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class ApplicationDatabase;
class Hobject_View_Gui;
class QCloseEvent;
class QTreeWidgetItem;
class StitcherPictureLoader;

namespace Ui {
class ImageStitcherDatabaseGui;
}

// The modal dialog "Read from image stitcher database": lists the stored stitcher results
// (newest first), shows the stitched and position pictures of one (loaded in the background),
// hands one back for stitching again and exports results into ZIP archives. While a picture
// loads, the dialog neither closes nor hands anything back.
class ImageStitcherDatabaseGui : public QDialog {
    Q_OBJECT
public:
    enum ReevaluateMode { ReevaluateNone = 0, ReevaluateDatabaseSettings = 1, ReevaluateCurrentSettings = 2 };

    // The first fill lists at most this many results until "Show all entries".
    static constexpr int UnfilteredLimit = 500;

    ImageStitcherDatabaseGui(ApplicationDatabase* database, QWidget* parent = nullptr);
    ~ImageStitcherDatabaseGui() override;

    int getReevaluateMode() const { return m_reevaluateMode; }
    QString getSettingsXml() const { return m_settingsXml; }
    QStringList getPictureList() const { return m_pictureFiles; }
    QString getReferencePointsCorrection() const { return m_referencePointsCorrection; }

    // The picture file of each position of a result, index = PositionIndex.
    int ReadImageStitcherPictures(Database::ID stitcherID, QStringList& o_listPictureFiles, bool showErrors);
    Errors::Type_Error exportToZipArchive(const QList<Database::ID>& stitcherIds, const QString& archivePath,
                                          bool append, bool showErrors);
    int loadsInProgress() const;

signals:
    void signal_LoadPictureFinished();

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void slot_QTreeWidget_RackList_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void slot_QTreeWidget_RackList_itemSelectionChanged();
    void slot_QTreeWidget_PictureList_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void slot_QPushButton_ShowAllEntries_clicked();
    void slot_QPushButton_Filter_Search_clicked();
    void slot_QPushButton_Reevaluate_DatabaseSettings_clicked();
    void slot_QPushButton_Reevaluate_CurrentSettings_clicked();
    void slot_QPushButton_DataExport_clicked();
    void slot_QPushButton_Cancel_clicked();
    void slot_LoadPictureFinished();

private:
    void reevaluate(int mode);
    void clearViewer();
    void enableButtons();

    std::unique_ptr<Ui::ImageStitcherDatabaseGui> m_ui;
    Hobject_View_Gui* m_view = nullptr;
    StitcherPictureLoader* m_loader = nullptr;
    ApplicationDatabase* m_database;
    bool m_showAllEntries = false;
    int m_reevaluateMode = ReevaluateNone;
    QString m_lastExportFile;
    QString m_settingsXml;
    QString m_referencePointsCorrection;
    QStringList m_pictureFiles;
};
