#pragma once

// Stored racks for the browser, export and re-evaluation tests: a fresh SQLite3 database
// from the shipped template, rack rows with real settings texts (names and values with
// characters outside Latin-1), picture files on disk, containers and colonies.

#include "../database/DatabaseTestSupport.h"

#include "AppSettings.h"
#include "ApplicationDatabase.h"
#include "ColonySettings.h"
#include "CorrectionInfo.h"
#include "DatabaseTableZelvorinColony.h"
#include "DatabaseTableZelvorinContainer.h"
#include "DatabaseTableZelvorinRack.h"

#include <QColor>
#include <QImage>
#include <QTemporaryDir>

namespace RackDatabaseFixture {

inline QString cameraSettingsText(const QString& name)
{
    return QStringLiteral("<?xml version='1.0' encoding='UTF-8' ?>\n"
                          "<CameraSettings Application=\"zelvorin\" ConfigVersion=\"1.0\">\n"
                          " <Name>\n  <Name>%1</Name>\n </Name>\n <Exposure Unit=\"ms\">12.5</Exposure>\n"
                          "</CameraSettings>\n")
        .arg(name);
}

inline QString appSettingsText(const QString& name)
{
    AppSettings settings;
    settings.name = name;
    settings.database.PicturePath = QStringLiteral("/data/Bilder/Zürich €");
    return settings.toXmlString();
}

inline QString colonySettingsText(const QString& name)
{
    ColonySettings settings;
    settings.name = name;
    return settings.toXmlString();
}

// A small picture file; returns its path.
inline QString writePicture(const QTemporaryDir& dir, const QString& fileName, int shade)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(QColor(shade, 255 - shade, 128));
    const QString path = dir.filePath(fileName);
    return image.save(path, "PNG") ? path : QString();
}

inline DatabaseTableZelvorinRack::Dataset rackRow(const QString& barcode, const QString& picturePath, int index)
{
    DatabaseTableZelvorinRack::Dataset row;
    row.CreatedDate = DatabaseTestSupport::baseTime().addSecs(index * 60);
    row.RackBarcode = barcode;
    row.PictureFilePath = picturePath;
    row.XMLSettings = appSettingsText(QStringLiteral("Labor ü %1").arg(index));
    row.XMLCameraSettings = cameraSettingsText(QStringLiteral("Kamera € %1").arg(index));
    row.XMLColonySettings = colonySettingsText(QStringLiteral("Kolonie 日本 %1").arg(index));
    CorrectionInfo correction;
    correction.append({10.0 + index, 20.0});
    correction.Factor = 1.25;
    row.ReferencePointsCorrection = correction.toText();
    row.Description = QStringLiteral("Rack %1").arg(index);
    return row;
}

// One container with good, rejected and excluded colonies; returns the container id.
inline Database::ID addContainer(ApplicationDatabase& database, Database::ID rackId, int number)
{
    DatabaseTableZelvorinContainer::Dataset container;
    container.RackID = rackId;
    container.ContainerNumber = qint16(number);
    container.ContainerName = QStringLiteral("A%1").arg(number);
    container.PickingOrder = qint16(number);
    if (database.tableContainer()->Insert(container) != 0)
        return -1;
    struct Colony {
        bool good;
        bool excluded;
        int pickingOrder;
        int state;
    };
    const Colony colonies[] = {{true, false, 1, 1}, {true, false, 2, 0}, {true, false, 0, 2},
                               {false, false, 0, 0}, {true, true, 3, 0}};
    int i = 0;
    for (const Colony& spec : colonies) {
        DatabaseTableZelvorinColony::Dataset colony;
        colony.ContainerID = container.ContainerID;
        colony.PosX_px = 10.0 + 8.0 * i;
        colony.PosY_px = 20.0;
        colony.IsGoodColony = spec.good;
        colony.IsExcluded = spec.excluded;
        colony.PickingOrder = spec.pickingOrder;
        colony.PickingState = qint16(spec.state);
        colony.PickingDate = DatabaseTestSupport::baseTime();
        if (database.tableColony()->Insert(colony) != 0)
            return -1;
        ++i;
    }
    return container.ContainerID;
}

} // namespace RackDatabaseFixture
