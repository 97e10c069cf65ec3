#include "LabwareGrid.h"

#include "ErrorCodes.h"
#include "Hobject_View_Gui.h"
#include "IPictureUnitConverter.h"

#include <HTuple.h>
#include <HalconGeometryOps.h>
#include <HalconXldOps.h>

#include <algorithm>
#include <limits>

using Halcon::HTuple;
using Halcon::Hobject;

namespace {

constexpr double kDegreesPerRadian = 57.295779513082;
constexpr double kFullTurn = 6.283185307179622;
constexpr Errors::Type_Error kGeneralLibraryError = 1;
constexpr Errors::Type_Error kHalconError = 40;
const char kRowLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr int kRowLetterCount = int(sizeof(kRowLetters)) - 1;

// Containers of the grid; 64-bit so that absurd counts from a settings file cannot overflow.
qint64 containerCount(int columns, int rows)
{
    if (columns < 1 || rows < 1)
        return 0;
    return qint64(columns) * qint64(rows);
}

bool isContainer(int index, int columns, int rows)
{
    return index >= 0 && index < containerCount(columns, rows);
}

// (column, row) of the point (x, y) turned by phi about (centreX, centreY).
void rotateAbout(double phi, double centreX, double centreY, double x, double y, double& rotatedX,
                 double& rotatedY)
{
    HTuple identity;
    HTuple rotation;
    HTuple row;
    HTuple column;
    Halcon::hom_mat2d_identity(&identity);
    Halcon::hom_mat2d_rotate(identity, phi, centreY, centreX, &rotation);
    if (Halcon::affine_trans_point_2d(rotation, y, x, &row, &column) != Halcon::kSuccess) {
        rotatedX = x;
        rotatedY = y;
        return;
    }
    rotatedX = column.D();
    rotatedY = row.D();
}

// Unturned container centre in pixels; the caller has checked the grid.
void containerCentre(Hobject_View_Gui* view, int index, int columns, int rows, double positionX,
                     double positionY, double sizeX, double sizeY, double& x, double& y)
{
    const int row = index / columns;
    const int column = index % columns;
    const double centreX = positionX + (column + 0.5) * sizeX / columns;
    const double centreY = positionY + (row + 0.5) * sizeY / rows;
    view->convertPercentToPixel(centreX, centreY, x, y);
}

} // namespace

int ContainerNumberFromIndex(int index, int columns, int rows, int direction)
{
    if (!isContainer(index, columns, rows))
        return 0;
    switch (direction) {
    case 1:
        return index + 1;
    case 2:
        // Fits: index < count, and count - index is at most count.
        return int(std::min<qint64>(containerCount(columns, rows) - index, std::numeric_limits<int>::max()));
    default:
        return 0;
    }
}

QString GenerateGridLabelText(int index, int columns, int rows, int direction)
{
    const int number = ContainerNumberFromIndex(index, columns, rows, direction);
    if (number == 0)
        return QString();
    const int rowOfNumber = (number - 1) / columns;
    const QChar letter = rowOfNumber < kRowLetterCount ? QChar(QLatin1Char(kRowLetters[rowOfNumber])) : QChar(0);
    return letter + QStringLiteral("%1").arg((number - 1) % columns + 1);
}

QString GenerateContainerLabelText(int index, int columns, int rows, int direction)
{
    return QStringLiteral("%1 / %2")
        .arg(ContainerNumberFromIndex(index, columns, rows, direction))
        .arg(GenerateGridLabelText(index, columns, rows, direction));
}

bool RotatePointsAroundCenter(Hobject_View_Gui* view, int index, int columns, int rows, double positionX,
                              double positionY, double sizeX, double sizeY, double angle, double& x, double& y)
{
    x = 0.0;
    y = 0.0;
    if (!view || !isContainer(index, columns, rows))
        return false;
    double centreX = 0.0;
    double centreY = 0.0;
    containerCentre(view, index, columns, rows, positionX, positionY, sizeX, sizeY, centreX, centreY);
    double gridX = 0.0;
    double gridY = 0.0;
    view->convertPercentToPixel(positionX + sizeX / 2.0, positionY + sizeY / 2.0, gridX, gridY);
    rotateAbout(angle / kDegreesPerRadian, gridX, gridY, centreX, centreY, x, y);
    return true;
}

bool RotatedRectanglePoint(Hobject_View_Gui* view, int index, int columns, int rows, double positionX,
                           double positionY, double sizeX, double sizeY, double gapX, double gapY, double angle,
                           double& x, double& y)
{
    double centreX = 0.0;
    double centreY = 0.0;
    if (!RotatePointsAroundCenter(view, index, columns, rows, positionX, positionY, sizeX, sizeY, angle, centreX,
                                  centreY)) {
        x = 0.0;
        y = 0.0;
        return false;
    }
    double cellWidth = 0.0;
    double cellHeight = 0.0;
    view->convertPercentToPixel(sizeX / columns - gapX, sizeY / rows - gapY, cellWidth, cellHeight);
    rotateAbout(angle / kDegreesPerRadian, centreX, centreY, centreX - cellWidth / 2.0, centreY - cellHeight / 2.0,
                x, y);
    return true;
}

Errors::Type_Error GenerateContainerContour(Hobject_View_Gui* view, Hobject& contour, int index, bool ellipse,
                                            int columns, int rows, double positionX, double positionY, double sizeX,
                                            double sizeY, double gapX, double gapY, double angle, double sizeOffset)
{
    contour = Hobject();
    double centreX = 0.0;
    double centreY = 0.0;
    if (!RotatePointsAroundCenter(view, index, columns, rows, positionX, positionY, sizeX, sizeY, angle, centreX,
                                  centreY))
        return kGeneralLibraryError;
    double cellWidth = 0.0;
    double cellHeight = 0.0;
    view->convertPercentToPixel(sizeX / columns - gapX + sizeOffset, sizeY / rows - gapY + sizeOffset, cellWidth,
                                cellHeight);
    // A cell shrunk past nothing stays a point or a line instead of turning inside out.
    cellWidth = std::max(cellWidth, 0.0);
    cellHeight = std::max(cellHeight, 0.0);
    const double phi = angle / kDegreesPerRadian;
    Hobject shape;
    const Halcon::Herror result = ellipse
        ? Halcon::gen_ellipse_contour_xld(&shape, centreY, centreX, phi, cellWidth / 2.0, cellHeight / 2.0, 0.0,
                                          kFullTurn, "positive", 2.0)
        : Halcon::gen_rectangle2_contour_xld(&shape, centreY, centreX, phi, cellWidth / 2.0, cellHeight / 2.0);
    if (result != Halcon::kSuccess)
        return kHalconError;
    contour = shape;
    return kNoError;
}

void DrawContainerLabel(Hobject_View_Gui* view, int index, int columns, int rows, double positionX,
                        double positionY, double sizeX, double sizeY, double gapX, double gapY, double angle,
                        int direction, const QString& namePrefix, const char* color, const char* font, int fontSize)
{
    double x = 0.0;
    double y = 0.0;
    if (!RotatedRectanglePoint(view, index, columns, rows, positionX, positionY, sizeX, sizeY, gapX, gapY, angle, x,
                               y))
        return;
    view->addText(GenerateContainerLabelText(index, columns, rows, direction), int(x + 0.5), int(y + 0.5),
                  QString::fromLatin1(color ? color : "cadet blue"), font ? font : "Arial", fontSize,
                  namePrefix + QStringLiteral(".%1.").arg(index), false, false);
}

Hobject GenerateRotatedRectangleContour(IPictureUnitConverter* converter, double x, double y, double width,
                                        double height, double angle)
{
    Hobject contour;
    if (!converter)
        return contour;
    double left = 0.0;
    double top = 0.0;
    double widthPixels = 0.0;
    double heightPixels = 0.0;
    converter->percentToPixels(x, y, left, top);
    converter->percentToPixels(width, height, widthPixels, heightPixels);
    Halcon::gen_rectangle2_contour_xld(&contour, top + heightPixels / 2.0, left + widthPixels / 2.0,
                                       angle / kDegreesPerRadian, widthPixels / 2.0, heightPixels / 2.0);
    return contour;
}

void GenerateCrossContour(Hobject_View_Gui* view, int row, int column, int size, const char* color,
                          const QString& name, double angle, const char* drawMode, int lineWidth)
{
    if (!view)
        return;
    Hobject cross;
    if (Halcon::gen_cross_contour_xld(&cross, row, column, size, angle) != Halcon::kSuccess)
        return;
    view->addObject(cross, QString::fromLatin1(color ? color : ""), QString::fromLatin1(drawMode ? drawMode : ""),
                    lineWidth, name, false, true);
}
