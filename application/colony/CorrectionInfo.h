#pragma once

#include <QList>
#include <QString>

// One optical-axis point of a stitched plate picture, in pixels.
struct OpticalAxisPoint {
    double Row = 0.0;
    double Column = 0.0;
    bool operator==(const OpticalAxisPoint& other) const = default;
};

// Optical-axis correction of a plate picture: optical-axis point i belongs to reference
// point i, and Factor scales the distance of a reference point from its axis point (1.0: no
// correction). Its text form is stored with each rack.
//
// The program keeps one current correction (set by the image stitcher, used by the next
// colony analysis). It is reached only through the static accessors below, which take a lock,
// so the worker thread may copy it while the GUI thread replaces it.
class CorrectionInfo {
public:
    QList<OpticalAxisPoint> Points;
    double Factor = 1.0;

    void append(const OpticalAxisPoint& point) { Points.append(point); }
    bool isEmpty() const { return Points.isEmpty(); }

    // "key = value" lines joined by CR LF, no line end after the last line.
    QString toText() const;
    // Replaces the content with the parsed text. A text that does not parse leaves an empty
    // correction with factor 1.0 and returns false.
    bool fromText(const QString& text);

    bool operator==(const CorrectionInfo& other) const = default;

    static CorrectionInfo current();
    static void setCurrent(const CorrectionInfo& correction);
    // Empties the point list and keeps the factor: no effect without points.
    static void clearCurrentPoints();
    // Back to the start-up state: no points, factor 1.0.
    static void resetCurrent();
};
