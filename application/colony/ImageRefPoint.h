#pragma once

#include <QMetaType>
#include <QString>

// One reference point found (or placed at its fixed position) on the plate picture; a row of
// the page's reference-point table. Travels by value through queued signals.
class ImageRefPoint {
public:
    qint32 Index = -1; // 0, 1, 2, ... in search order; -1 none
    bool Found = false;
    double PosX_px = 0.0; // column
    double PosY_px = 0.0; // row
    QString ErrorText; // why the point was not found
    double Score = 0.0;
    double Scale = 0.0;

    bool operator==(const ImageRefPoint& other) const = default;

    // Registers the type under the name "ImageRefPoint" for queued connections; safe to
    // call repeatedly.
    static void registerMetaType();
};

Q_DECLARE_METATYPE(ImageRefPoint)
