#pragma once

#include <Errors.h>
#include <Hobject.h>

#include <QMetaType>
#include <QString>

// One cross the image stitcher looked for in one picture: where it was searched (picture and
// point index, both 0-based), how the search went, the match, the found cross as one closed
// contour with its centre (picture pixels) and that centre carried onto the agar plane. A
// value record that travels by queued signals as the meta type "PictureCross".
//
// found means usable for the stitch: a match whose contour gave no centre is not found.
class PictureCross {
public:
    PictureCross() = default;

    // Every field back to its cleared value.
    void clear() { *this = PictureCross(); }

    // Registers "PictureCross" for queued connections; safe to call more than once.
    static void registerMetaType();

    qint32 pictureIndex = 0;
    qint32 pointIndex = 0;
    Errors::Type_Error errorCode = 0;
    bool found = false;
    double score = 0.0;
    double scale = 0.0;
    double angle = 0.0; // degrees
    // Overlay name prefix of this cross's drawings; empty until the search matched.
    QString name;
    Halcon::Hobject hobjContour;
    double colCenter = 0.0;
    double rowCenter = 0.0;
    double colCenterOnAgar = 0.0;
    double rowCenterOnAgar = 0.0;
};

Q_DECLARE_METATYPE(PictureCross)
