#pragma once

// Recording stand-ins for the collaborators of the colony engine objects, and generated
// container pictures with discs of known place, size and grey value.

#include "IColoniesCollection.h"
#include "IHalconView.h"
#include "IPlate.h"
#include "IPlateCoordinates.h"
#include "IProgress.h"
#include "ITaskCancellation.h"
#include "ImageColony.h"

#include <HalconTestPictures.h>

#include <Halcon.h>

#include <QString>
#include <QStringList>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

namespace ColonyEngineFakes {

// Percent of the longer picture side, as the viewer converts it.
class FakeHalconView : public IHalconView {
public:
    struct Added {
        QString name;
        QString color;
        QString mode;
        int width = 0;
        bool selectable = false;
        Halcon::Hobject object;
    };

    explicit FakeHalconView(double longerSide = 1000.0) : m_longerSide(longerSide) {}

    void percentToPixels(double x, double y, double& xPixels, double& yPixels) override
    {
        xPixels = percentToPixelsX(x);
        yPixels = percentToPixelsY(y);
    }
    void pixelsToPercent(double x, double y, double& xPercent, double& yPercent) override
    {
        xPercent = pixelsToPercentX(x);
        yPercent = pixelsToPercentY(y);
    }
    using IHalconView::addObject;
    void addObject(const Halcon::Hobject& object, const char* color, const char* drawMode, int lineWidth,
                   const QString& name, bool selectable) override
    {
        added.push_back({name, QString::fromLatin1(color), QString::fromLatin1(drawMode), lineWidth, selectable,
                         object});
    }
    void update() override { ++updates; }
    double percentToPixelsX(double value) override { return value * m_longerSide / 100.0; }
    double percentToPixelsY(double value) override { return value * m_longerSide / 100.0; }
    double pixelsToPercentX(double value) override { return value * 100.0 / m_longerSide; }
    double pixelsToPercentY(double value) override { return value * 100.0 / m_longerSide; }
    Hobject_View_Gui* getView() override { return nullptr; }

    QStringList names() const
    {
        QStringList list;
        for (const Added& a : added)
            list << a.name;
        return list;
    }
    const Added* find(const QString& name) const
    {
        for (const Added& a : added) {
            if (a.name == name)
                return &a;
        }
        return nullptr;
    }
    int count(const QString& name) const
    {
        return int(std::count_if(added.begin(), added.end(), [&](const Added& a) { return a.name == name; }));
    }

    std::vector<Added> added;
    int updates = 0;

private:
    double m_longerSide;
};

class FakeColonies : public IColoniesCollection {
public:
    void add(const ImageColony& item) override { items.push_back(item); }
    std::vector<ImageColony> items;
};

// True from the cancelAfter-th poll on (counting from 1); never when cancelAfter is 0.
// Polled from the threads that measure colonies too.
class FakeCancellation : public ITaskCancellation {
public:
    FakeCancellation() = default;
    FakeCancellation(const FakeCancellation& other)
        : cancelAfter(other.cancelAfter)
        , polls(other.polls.load())
    {
    }
    FakeCancellation& operator=(const FakeCancellation& other)
    {
        cancelAfter = other.cancelAfter;
        polls = other.polls.load();
        return *this;
    }
    bool isCancelled() override
    {
        const int poll = ++polls;
        return cancelAfter > 0 && poll >= cancelAfter;
    }
    int cancelAfter = 0;
    std::atomic<int> polls{0};
};

class FakeProgress : public IProgress {
public:
    void setProgressText(const QString& text) override { texts << text; }
    QStringList texts;
};

// One rectangular container per index, side by side, in pixels. The offset is picture
// percent of longerSide added to the cell size about its centre, as the labware grid does.
class FakePlate : public IPlate {
public:
    Errors::Type_Error containerContour(Halcon::Hobject& contour, qint32 containerIndex, double offset) override
    {
        ++calls;
        lastIndex = containerIndex;
        lastOffset = offset;
        if (failWith != 0)
            return failWith;
        const double grow = offset * longerSide / 100.0;
        const double halfWidth = std::max(0.0, (column2 - column1 + grow) / 2.0);
        const double halfHeight = std::max(0.0, (row2 - row1 + grow) / 2.0);
        const double shift = containerIndex * (column2 - column1 + 10.0);
        Halcon::gen_rectangle2_contour_xld(&contour, (row1 + row2) / 2.0, (column1 + column2) / 2.0 + shift, 0.0,
                                           halfWidth, halfHeight);
        return 0;
    }
    Halcon::Hobject outline(qint32 containerIndex = 0)
    {
        Halcon::Hobject contour;
        const Errors::Type_Error saved = failWith;
        failWith = 0;
        containerContour(contour, containerIndex, 0.0);
        --calls;
        failWith = saved;
        return contour;
    }

    double row1 = 20.0;
    double column1 = 20.0;
    double row2 = 380.0;
    double column2 = 580.0;
    double longerSide = 600.0;
    Errors::Type_Error failWith = 0;
    int calls = 0;
    qint32 lastIndex = -1;
    double lastOffset = 0.0;
};

// Height correction: scale k about (centreRow, centreColumn); plate millimetres: row / vertical,
// column / horizontal.
class FakePlateCoordinates : public IPlateCoordinates {
public:
    double horizontalResolution() override { return horizontal; }
    double verticalResolution() override { return vertical; }
    double meanResolution() override { return (horizontal + vertical) * 0.5; }
    double axisRotation() override { return rotation; }
    void referencePointPosition(int index, double& row, double& column) override
    {
        row = 0.0;
        column = 0.0;
        if (index >= 0 && index < 4) {
            row = pointRow[index];
            column = pointColumn[index];
        }
    }
    void transformHeightScale(double row, double column, double* rowCorrected, double* columnCorrected) override
    {
        *rowCorrected = centreRow + (row - centreRow) * scale;
        *columnCorrected = centreColumn + (column - centreColumn) * scale;
    }
    void transformPlateCoordinates(double row, double column, double* yMillimetres, double* xMillimetres) override
    {
        *yMillimetres = row / vertical;
        *xMillimetres = column / horizontal;
    }

    double horizontal = 10.0;
    double vertical = 10.0;
    double rotation = 0.0;
    double scale = 1.0;
    double centreRow = 200.0;
    double centreColumn = 300.0;
    double pointRow[4] = {20.0, 20.0, 380.0, 380.0};
    double pointColumn[4] = {20.0, 580.0, 20.0, 580.0};
};

struct Disc {
    double row;
    double column;
    double radius;
    int grey;
};

// Background with anti-aliased discs: a pixel takes the share of its area covered by a disc,
// so the half-way grey level lies on the disc's true edge.
inline Halcon::Hobject discPicture(int width, int height, int background, const std::vector<Disc>& discs)
{
    return HalconTestPictures::grayImage(width, height, [&](int row, int column) {
        double value = background;
        for (const Disc& d : discs) {
            const double distance = std::hypot(row - d.row, column - d.column);
            const double cover = std::clamp(d.radius - distance + 0.5, 0.0, 1.0);
            if (cover > 0.0)
                value = value + (d.grey - value) * cover;
        }
        return int(std::lround(value));
    });
}

// Closed circle contour of a colony-like outline.
inline Halcon::Hobject circleContour(double row, double column, double radius)
{
    Halcon::Hobject contour;
    Halcon::gen_circle_contour_xld(&contour, row, column, radius, 0.0, 6.283185307179586, "positive", 0.5);
    return contour;
}

inline Halcon::Hobject concat(const std::vector<Halcon::Hobject>& objects)
{
    Halcon::Hobject all;
    for (const Halcon::Hobject& o : objects)
        Halcon::concat_obj(all, o, &all);
    return all;
}

} // namespace ColonyEngineFakes
