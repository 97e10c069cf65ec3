#pragma once

#include <Database.h>
#include <Errors.h>
#include <StoredResultsBrowser.h>

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class ApplicationDatabase;
class Hobject_View_Gui;
class QTreeWidgetItem;
class StitcherPictureLoader;

namespace Ui {
class ImageStitcherDatabaseGui;
}

// The modal dialog "Read from image stitcher database": lists the stored stitcher results
// (newest first), shows the stitched and position pictures of one (loaded in the background),
// hands one back for stitching again and exports results into ZIP archives. While a picture
// loads, the dialog neither closes nor hands anything back.
class ImageStitcherDatabaseGui : public StoredResultsBrowser {
    Q_OBJECT
public:
    ImageStitcherDatabaseGui(ApplicationDatabase* database, QWidget* parent = nullptr);
    ~ImageStitcherDatabaseGui() override;

    int getReevaluateMode() const { return reevaluateMode(); }
    QString getSettingsXml() const { return m_settingsXml; }
    QStringList getPictureList() const { return m_pictureFiles; }
    QString getReferencePointsCorrection() const { return m_referencePointsCorrection; }

    // The picture file of each position of a result, index = PositionIndex.
    int ReadImageStitcherPictures(Database::ID stitcherID, QStringList& o_listPictureFiles, bool showErrors);
    Errors::Type_Error exportToZipArchive(const QList<Database::ID>& stitcherIds, const QString& archivePath,
                                          bool append, bool showErrors) override;
    int loadsInProgress() const;

signals:
    void signal_LoadPictureFinished();

protected:
    Errors::Type_Error selectResults(const QString& filter, int limit, QList<Database::ID>& ids, bool& more) override;
    bool readResult(Database::ID id, StoredResultListItem& row) override;
    void showResult(QTreeWidgetItem* current) override;
    void listFilled() override;
    // While a picture loads.
    bool busy() const override;
    bool takeResult(QTreeWidgetItem* row, int mode) override;

private slots:
    void slot_QTreeWidget_RackList_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void slot_QTreeWidget_RackList_itemSelectionChanged();
    void slot_QTreeWidget_PictureList_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void slot_LoadPictureFinished();

private:
    void clearViewer();
    void enableButtons();

    std::unique_ptr<Ui::ImageStitcherDatabaseGui> m_ui;
    Hobject_View_Gui* m_view = nullptr;
    StitcherPictureLoader* m_loader = nullptr;
    QString m_settingsXml;
    QString m_referencePointsCorrection;
    QStringList m_pictureFiles;
};
