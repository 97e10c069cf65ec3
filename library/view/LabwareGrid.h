#pragma once

#include "Errors.h"

#include <Hobject.h>

#include <QString>

class Hobject_View_Gui;
class IPictureUnitConverter;

// Geometry of a labware grid: containers numbered row by row (index = row * columns +
// column), laid out in the grid rectangle (top-left corner and size in percent of the longer
// picture side) that is turned by angle degrees about its centre. Pixel results are
// (x = column, y = row); the viewer's current picture gives the longer side.
//
// A grid without columns or rows, an index outside the grid or a missing viewer is no grid:
// the functions then compute nothing (outputs 0 or empty) rather than divide by zero.

// 1-based container number of an index: direction 1 counts left to right from the first
// container, direction 2 backwards from the last; 0 for any other direction or no container.
int ContainerNumberFromIndex(int index, int columns, int rows, int direction);

// Row letter and column number of the container's number ("B3"); empty when the number is 0.
// Rows beyond the alphabet get the character code 0 as their letter.
QString GenerateGridLabelText(int index, int columns, int rows, int direction);

// The label text shown at a container: "number / letter text" ("7 / B1").
QString GenerateContainerLabelText(int index, int columns, int rows, int direction);

// Pixel centre of the container, turned with the grid. false (and 0, 0) for no grid.
bool RotatePointsAroundCenter(Hobject_View_Gui* view, int index, int columns, int rows, double positionX,
                              double positionY, double sizeX, double sizeY, double angle, double& x, double& y);

// Pixel top-left corner of the container's cell (its pitch less the gaps), turned with the
// grid. false (and 0, 0) for no grid.
bool RotatedRectanglePoint(Hobject_View_Gui* view, int index, int columns, int rows, double positionX,
                           double positionY, double sizeX, double sizeY, double gapX, double gapY, double angle,
                           double& x, double& y);

// Outline of the container as XLD contour, an ellipse or a rectangle, its cell grown by
// sizeOffset percent (negative shrinks; a size never goes below 0). contour is empty on
// failure: 1 for no grid, 40 when the vision layer cannot build the shape.
Errors::Type_Error GenerateContainerContour(Hobject_View_Gui* view, Halcon::Hobject& contour, int index, bool ellipse,
                                            int columns, int rows, double positionX, double positionY, double sizeX,
                                            double sizeY, double gapX, double gapY, double angle, double sizeOffset);

// Adds the container's label at its cell corner under the name "<namePrefix>.<index>.",
// not selectable and without repaint request (the caller asks for one after the grid).
// A null colour or font means "cadet blue" or "Arial".
void DrawContainerLabel(Hobject_View_Gui* view, int index, int columns, int rows, double positionX,
                        double positionY, double sizeX, double sizeY, double gapX, double gapY, double angle,
                        int direction, const QString& namePrefix, const char* color, const char* font, int fontSize);

// XLD contour of a rectangle given in percent (top-left corner and size of the unrotated
// rectangle) turned by angle degrees about its centre; empty without a converter.
Halcon::Hobject GenerateRotatedRectangleContour(IPictureUnitConverter* converter, double x, double y, double width,
                                                double height, double angle);

// Adds a cross (arms of size pixels, turned by angle radians) at (row, column), not
// selectable, with repaint request.
void GenerateCrossContour(Hobject_View_Gui* view, int row, int column, int size, const char* color,
                          const QString& name, double angle, const char* drawMode, int lineWidth);
