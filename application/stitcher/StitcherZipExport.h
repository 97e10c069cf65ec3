#pragma once

#include "Database.h"
#include "Errors.h"

#include <QList>
#include <QString>
#include <QStringList>

class ApplicationDatabase;
class QWidget;

// Packs stored stitcher results into a ZIP archive: per result one folder with its position
// pictures, the settings text it was stitched with (UTF-8, as its declaration says) and the
// cross-model files that belong to those settings, taken from the settings folder. A model
// file that is not there counts as an entry that could not be added.
class StitcherZipExport {
public:
    static constexpr Errors::Type_Error ErrorPrepareData = 73;
    static constexpr Errors::Type_Error ErrorAddFile = 74;

    // The database is borrowed; messageParent parents the interactive message boxes.
    explicit StitcherZipExport(ApplicationDatabase* database, QWidget* messageParent = nullptr);

    // 0; the code of Zip_Helper::Open or Close; 73 when a result or its settings could not be
    // read; else 74 when an entry could not be added. A failing result does not stop the others.
    Errors::Type_Error exportToZipArchive(const QList<Database::ID>& stitcherIds, const QString& archivePath,
                                          bool append, bool interactive);

    // The picture file of every position, index = PositionIndex; positions without a file are
    // empty texts. A stored PositionIndex outside the rows' range is left out.
    static Errors::Type_Error readPictureFiles(ApplicationDatabase* database, Database::ID stitcherId,
                                               QStringList& o_files);

    // "<application>_Stitcher_%08ld".
    static QString folderName(Database::ID stitcherId);
    // Where the settings of that name and their model files live on this computer.
    static QString settingsFolderOf(const QString& settingsName);
    // The settings file and the two model file names of a settings name, relative to the
    // settings folder.
    static QStringList settingsFileNames(const QString& settingsName);

private:
    ApplicationDatabase* m_database;
    QWidget* m_messageParent;
};
