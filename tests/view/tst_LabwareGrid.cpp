#include "Hobject_View_Gui.h"
#include "LabwareGrid.h"
#include "PictureUnitConverter.h"
#include "ViewTestHelpers.h"

#include <HTuple.h>
#include <HalconObjectOps.h>
#include <HalconXldOps.h>

#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace ViewTestHelpers;
using Halcon::HTuple;
using Halcon::Hobject;

namespace {

// The grid of the worked example: 3 columns, 2 rows in the rectangle x 10..70, y 10..50
// percent. On a 1000 x 800 picture one percent is 10 pixels in both directions.
struct Grid {
    int columns = 3;
    int rows = 2;
    double positionX = 10;
    double positionY = 10;
    double sizeX = 60;
    double sizeY = 40;
    double gapX = 0;
    double gapY = 0;
    double angle = 0;
};

struct Box {
    double column1 = 0, row1 = 0, column2 = 0, row2 = 0;
    double centreX() const { return (column1 + column2) / 2; }
    double centreY() const { return (row1 + row2) / 2; }
    double width() const { return column2 - column1; }
    double height() const { return row2 - row1; }
};

// Over every contour of the object (a cross has two).
Box boxOf(const Hobject& contours)
{
    HTuple row1, column1, row2, column2;
    Box box;
    if (Halcon::smallest_rectangle1_xld(contours, &row1, &column1, &row2, &column2) != Halcon::kSuccess
        || row1.Length() == 0)
        return box;
    box = Box{column1[0].D(), row1[0].D(), column2[0].D(), row2[0].D()};
    for (Halcon::Hlong i = 1; i < row1.Length(); ++i) {
        box.column1 = std::min(box.column1, column1[i].D());
        box.row1 = std::min(box.row1, row1[i].D());
        box.column2 = std::max(box.column2, column2[i].D());
        box.row2 = std::max(box.row2, row2[i].D());
    }
    return box;
}

bool near(double a, double b, double tolerance = 1e-6)
{
    return std::abs(a - b) < tolerance;
}

int textCount(const Hobject_View_Gui& view)
{
    int images = 0, contours = 0, polygons = 0, regions = 0, texts = 0, lines = 0, crosses = 0;
    view.getObjectStatistics(images, contours, polygons, regions, texts, lines, crosses);
    return texts;
}

} // namespace

Q_DECLARE_METATYPE(Grid)

class tst_LabwareGrid : public QObject {
    Q_OBJECT
private slots:
    void containerNumber_data();
    void containerNumber();
    void labelTexts_data();
    void labelTexts();
    void centreAndCorner_data();
    void centreAndCorner();
    void containerContour_data();
    void containerContour();
    void noGridComputesNothing_data();
    void noGridComputesNothing();
    void drawContainerLabel();
    void containerLabelIsDrawnAtItsCorner();
    void rotatedRectangleContour_data();
    void rotatedRectangleContour();
    void crossContour();
};

void tst_LabwareGrid::containerNumber_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("direction");
    QTest::addColumn<int>("expected");
    QTest::newRow("left to right, first") << 0 << 3 << 2 << 1 << 1;
    QTest::newRow("left to right, last") << 5 << 3 << 2 << 1 << 6;
    QTest::newRow("right to left, first") << 0 << 3 << 2 << 2 << 6;
    QTest::newRow("right to left, last") << 5 << 3 << 2 << 2 << 1;
    QTest::newRow("direction 0") << 0 << 3 << 2 << 0 << 0;
    QTest::newRow("direction 3") << 2 << 3 << 2 << 3 << 0;
    QTest::newRow("no columns") << 0 << 0 << 2 << 2 << 0;
    QTest::newRow("no rows") << 0 << 3 << 0 << 1 << 0;
    QTest::newRow("negative columns") << 0 << -3 << -2 << 2 << 0;
    QTest::newRow("index before the grid") << -1 << 3 << 2 << 1 << 0;
    QTest::newRow("index past the grid") << 6 << 3 << 2 << 2 << 0;
    // Counts whose product leaves int: no overflow, the number stays the largest int.
    QTest::newRow("huge grid") << 0 << 100000 << 100000 << 2 << std::numeric_limits<int>::max();
}

void tst_LabwareGrid::containerNumber()
{
    QFETCH(int, index);
    QFETCH(int, columns);
    QFETCH(int, rows);
    QFETCH(int, direction);
    QFETCH(int, expected);
    QCOMPARE(ContainerNumberFromIndex(index, columns, rows, direction), expected);
}

void tst_LabwareGrid::labelTexts_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("direction");
    QTest::addColumn<QString>("grid");
    QTest::addColumn<QString>("label");
    QTest::newRow("first container") << 0 << 6 << 2 << 1 << "A1" << "1 / A1";
    QTest::newRow("seventh of six columns") << 6 << 6 << 2 << 1 << "B1" << "7 / B1";
    QTest::newRow("96-well plate, last") << 95 << 12 << 8 << 1 << "H12" << "96 / H12";
    QTest::newRow("backwards, first index") << 0 << 3 << 2 << 2 << "B3" << "6 / B3";
    QTest::newRow("backwards, last index") << 5 << 3 << 2 << 2 << "A1" << "1 / A1";
    QTest::newRow("unknown direction") << 1 << 3 << 2 << 7 << "" << "0 / ";
    QTest::newRow("no columns") << 0 << 0 << 4 << 1 << "" << "0 / ";
    QTest::newRow("index past the grid") << 12 << 3 << 4 << 1 << "" << "0 / ";
    QTest::newRow("row 26 is Z") << 25 << 1 << 30 << 1 << "Z1" << "26 / Z1";
    // Past the alphabet the letter is the character code 0, never a read past its end.
    QTest::newRow("row 27") << 26 << 1 << 30 << 1 << QString(QChar(0)) + "1" << "27 / " + QString(QChar(0)) + "1";
    QTest::newRow("last of 30 rows, two columns")
        << 59 << 2 << 30 << 1 << QString(QChar(0)) + "2" << "60 / " + QString(QChar(0)) + "2";
    QTest::newRow("backwards past the alphabet")
        << 0 << 2 << 30 << 2 << QString(QChar(0)) + "2" << "60 / " + QString(QChar(0)) + "2";
}

void tst_LabwareGrid::labelTexts()
{
    QFETCH(int, index);
    QFETCH(int, columns);
    QFETCH(int, rows);
    QFETCH(int, direction);
    QFETCH(QString, grid);
    QFETCH(QString, label);
    QCOMPARE(GenerateGridLabelText(index, columns, rows, direction), grid);
    QCOMPARE(GenerateContainerLabelText(index, columns, rows, direction), label);
}

void tst_LabwareGrid::centreAndCorner_data()
{
    QTest::addColumn<Grid>("grid");
    QTest::addColumn<int>("index");
    QTest::addColumn<QPointF>("centre");
    QTest::addColumn<QPointF>("corner");
    Grid grid;
    QTest::newRow("container 4") << grid << 4 << QPointF(400, 400) << QPointF(300, 300);
    QTest::newRow("container 0") << grid << 0 << QPointF(200, 200) << QPointF(100, 100);
    Grid gaps = grid;
    gaps.gapX = 4;
    gaps.gapY = 2;
    QTest::newRow("gaps shrink the cell about its centre") << gaps << 4 << QPointF(400, 400) << QPointF(320, 310);
    Grid quarter = grid;
    quarter.angle = 90;
    // A quarter turn about the grid centre (400, 300), counter-clockwise on screen; the
    // cell's top-left corner turns to its bottom-left.
    QTest::newRow("angle 90, container 0") << quarter << 0 << QPointF(300, 500) << QPointF(200, 600);
    QTest::newRow("angle 90, container 5") << quarter << 5 << QPointF(500, 100) << QPointF(400, 200);
    Grid half = grid;
    half.angle = 180;
    QTest::newRow("angle 180, container 0") << half << 0 << QPointF(600, 400) << QPointF(700, 500);
    // One cell without gaps: the corner is the grid's own turned corner (the stitcher's use).
    Grid single{1, 1, 10, 20, 30, 40, 0, 0, 0};
    QTest::newRow("one cell") << single << 0 << QPointF(250, 400) << QPointF(100, 200);
    single.angle = 90;
    QTest::newRow("one cell, angle 90") << single << 0 << QPointF(250, 400) << QPointF(50, 550);
}

void tst_LabwareGrid::centreAndCorner()
{
    QFETCH(Grid, grid);
    QFETCH(int, index);
    QFETCH(QPointF, centre);
    QFETCH(QPointF, corner);
    Hobject_View_Gui view;
    view.setPicture(grayPicture(1000, 800, 0), QString(), false);
    double x = -1, y = -1;
    QVERIFY(RotatePointsAroundCenter(&view, index, grid.columns, grid.rows, grid.positionX, grid.positionY,
                                     grid.sizeX, grid.sizeY, grid.angle, x, y));
    QVERIFY2(near(x, centre.x()) && near(y, centre.y()), qPrintable(QString("%1 %2").arg(x).arg(y)));
    QVERIFY(RotatedRectanglePoint(&view, index, grid.columns, grid.rows, grid.positionX, grid.positionY, grid.sizeX,
                                  grid.sizeY, grid.gapX, grid.gapY, grid.angle, x, y));
    QVERIFY2(near(x, corner.x()) && near(y, corner.y()), qPrintable(QString("%1 %2").arg(x).arg(y)));
}

void tst_LabwareGrid::containerContour_data()
{
    QTest::addColumn<Grid>("grid");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("ellipse");
    QTest::addColumn<double>("offset");
    QTest::addColumn<QPointF>("centre");
    QTest::addColumn<QSizeF>("size"); // of the bounding box, pixels
    Grid grid;
    QTest::newRow("rectangle") << grid << 4 << false << 0.0 << QPointF(400, 400) << QSizeF(200, 200);
    QTest::newRow("rectangle shrunk") << grid << 4 << false << -5.0 << QPointF(400, 400) << QSizeF(150, 150);
    QTest::newRow("rectangle grown") << grid << 1 << false << 2.0 << QPointF(400, 200) << QSizeF(220, 220);
    QTest::newRow("rectangle shrunk past nothing") << grid << 4 << false << -30.0 << QPointF(400, 400) << QSizeF(0, 0);
    Grid wideGap = grid;
    wideGap.gapX = 25;
    // Width 20 - 25 = -5 percent: a contour of width 0, not a mirrored one.
    QTest::newRow("gap wider than the pitch") << wideGap << 4 << false << 0.0 << QPointF(400, 400) << QSizeF(0, 200);
    Grid quarter = grid;
    quarter.angle = 90;
    quarter.gapX = 10;
    QTest::newRow("turned rectangle") << quarter << 0 << false << 0.0 << QPointF(300, 500) << QSizeF(200, 100);
    QTest::newRow("ellipse") << grid << 4 << true << 0.0 << QPointF(400, 400) << QSizeF(200, 200);
    QTest::newRow("turned ellipse") << quarter << 0 << true << 0.0 << QPointF(300, 500) << QSizeF(200, 100);
}

void tst_LabwareGrid::containerContour()
{
    QFETCH(Grid, grid);
    QFETCH(int, index);
    QFETCH(bool, ellipse);
    QFETCH(double, offset);
    QFETCH(QPointF, centre);
    QFETCH(QSizeF, size);
    Hobject_View_Gui view;
    view.setPicture(grayPicture(1000, 800, 0), QString(), false);
    Hobject contour;
    QCOMPARE(GenerateContainerContour(&view, contour, index, ellipse, grid.columns, grid.rows, grid.positionX,
                                      grid.positionY, grid.sizeX, grid.sizeY, grid.gapX, grid.gapY, grid.angle, offset),
             Errors::Type_Error(0));
    HTuple classes;
    QCOMPARE(Halcon::get_obj_class(contour, &classes), Halcon::kSuccess);
    QCOMPARE(classes.Length(), Halcon::Hlong(1));
    QCOMPARE(QString::fromStdString(classes[0].S()), QStringLiteral("xld_cont"));
    const Box box = boxOf(contour);
    // An ellipse is a polygon of points 2 pixels apart: its box may fall short a little.
    const double tolerance = ellipse ? 0.1 : 1e-6;
    QVERIFY2(near(box.centreX(), centre.x(), tolerance) && near(box.centreY(), centre.y(), tolerance)
                 && near(box.width(), size.width(), tolerance) && near(box.height(), size.height(), tolerance),
             qPrintable(QString("%1 %2 %3 %4").arg(box.centreX()).arg(box.centreY()).arg(box.width()).arg(box.height())));
}

void tst_LabwareGrid::noGridComputesNothing_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("withView");
    QTest::newRow("no columns") << 0 << 0 << 2 << true;
    QTest::newRow("no rows") << 0 << 3 << 0 << true;
    QTest::newRow("negative counts") << 0 << -1 << -1 << true;
    QTest::newRow("index before the grid") << -1 << 3 << 2 << true;
    QTest::newRow("index past the grid") << 6 << 3 << 2 << true;
    QTest::newRow("no viewer") << 0 << 3 << 2 << false;
}

void tst_LabwareGrid::noGridComputesNothing()
{
    QFETCH(int, index);
    QFETCH(int, columns);
    QFETCH(int, rows);
    QFETCH(bool, withView);
    Hobject_View_Gui view;
    view.addObjectGroup("all", QString(), true);
    view.setPicture(grayPicture(1000, 800, 0), QString(), false);
    Hobject_View_Gui* target = withView ? &view : nullptr;

    double x = 7, y = 7;
    QVERIFY(!RotatePointsAroundCenter(target, index, columns, rows, 10, 10, 60, 40, 30, x, y));
    QCOMPARE(x, 0.0);
    QCOMPARE(y, 0.0);
    x = y = 7;
    QVERIFY(!RotatedRectanglePoint(target, index, columns, rows, 10, 10, 60, 40, 1, 1, 30, x, y));
    QCOMPARE(x, 0.0);
    QCOMPARE(y, 0.0);
    // A contour left over from an earlier call must not pass for this container's.
    Hobject contour;
    Halcon::gen_rectangle2_contour_xld(&contour, 10.0, 10.0, 0.0, 5.0, 5.0);
    QCOMPARE(GenerateContainerContour(target, contour, index, true, columns, rows, 10, 10, 60, 40, 0, 0, 30, 0),
             Errors::Type_Error(1));
    QVERIFY(contour.IsEmpty());
    DrawContainerLabel(target, index, columns, rows, 10, 10, 60, 40, 0, 0, 30, 1, "Label", nullptr, nullptr, 6);
    QCOMPARE(view.getObjectCount(), 0);
}

void tst_LabwareGrid::drawContainerLabel()
{
    Hobject_View_Gui view;
    view.addObjectGroup("all", QString(), true);
    view.setPicture(grayPicture(1000, 800, 0), QString(), false);
    view.updateView(true);
    QSignalSpy update(&view, &Hobject_View_Gui::signal_update);
    DrawContainerLabel(&view, 6, 6, 2, 10, 10, 60, 40, 0, 0, 0, 1, "HalconObject_Colonies_SearchArea.Text", nullptr,
                       nullptr, 6);
    QCOMPARE(textCount(view), 1);
    // No repaint request: the caller asks for one after the whole grid.
    QCOMPARE(update.count(), 0);
    // Named by index, not number: "<prefix>.6."
    view.removeObjects("HalconObject_Colonies_SearchArea.Text.7.", false);
    view.removeObjects("HalconObject_Colonies_SearchArea.Text.6.1", false);
    QCOMPARE(textCount(view), 1);
    view.removeObjects("HalconObject_Colonies_SearchArea.Text.6.", false);
    QCOMPARE(textCount(view), 0);
    // Labels of a degenerate grid cell (gaps wider than the pitch) still land somewhere.
    DrawContainerLabel(&view, 0, 6, 2, 10, 10, 60, 40, 50, 50, 0, 2, "P", "red", "DejaVu Sans", 6);
    QCOMPARE(textCount(view), 1);
}

void tst_LabwareGrid::containerLabelIsDrawnAtItsCorner()
{
    // Black picture, white label; the picture area shows it at half size.
    Hobject_View_Gui view;
    view.addObjectGroup("all", QString(), true);
    view.setPicture(grayPicture(1000, 1000, 0), QString(), false);
    QVERIFY(showWithPictureSize(view, 500, 500));
    view.resetZoom(false);
    // Container 0 of the quarter-turned grid has its cell corner at (200, 600).
    DrawContainerLabel(&view, 0, 3, 2, 10, 10, 60, 40, 0, 0, 90, 1, "Label", "white", "DejaVu Sans", 40);
    const QImage shown = shownImage(view);
    int left = shown.width(), top = shown.height(), lit = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if (qRed(shown.pixel(x, y)) > 128) {
                left = std::min(left, x);
                top = std::min(top, y);
                ++lit;
            }
    QVERIFY(lit > 0);
    // The text starts right of and below its anchor (100, 300 on screen), close to it.
    QVERIFY2(left >= 99 && left < 115 && top >= 299 && top < 330, qPrintable(QString("%1 %2").arg(left).arg(top)));
}

void tst_LabwareGrid::rotatedRectangleContour_data()
{
    QTest::addColumn<int>("width"); // of the picture the converter is made from
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("angle");
    QTest::addColumn<QRectF>("box"); // pixels
    // The longer side (2000) serves both directions: 1 % = 20 pixels.
    QTest::newRow("wide picture") << 2000 << 1000 << 0.0 << QRectF(200, 400, 600, 800);
    QTest::newRow("tall picture") << 1000 << 2000 << 0.0 << QRectF(200, 400, 600, 800);
    QTest::newRow("quarter turn") << 2000 << 1000 << 90.0 << QRectF(100, 500, 800, 600);
}

void tst_LabwareGrid::rotatedRectangleContour()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(double, angle);
    QFETCH(QRectF, box);
    PictureUnitConverter converter(grayPicture(width, height, 0));
    const Hobject contour = GenerateRotatedRectangleContour(&converter, 10, 20, 30, 40, angle);
    const Box got = boxOf(contour);
    QVERIFY2(near(got.column1, box.left()) && near(got.row1, box.top()) && near(got.width(), box.width())
                 && near(got.height(), box.height()),
             qPrintable(QString("%1 %2 %3 %4").arg(got.column1).arg(got.row1).arg(got.width()).arg(got.height())));
}

void tst_LabwareGrid::crossContour()
{
    Hobject_View_Gui view;
    view.addObjectGroup("all", QString(), true);
    view.setPicture(grayPicture(400, 300, 0), QString(), false);
    view.updateView(true);
    QSignalSpy update(&view, &Hobject_View_Gui::signal_update);
    GenerateCrossContour(&view, 100, 200, 10, "blue", "Cross", 0.0, "Margin", 1);
    Hobject cross;
    bool visible = false, selected = false;
    QVERIFY(view.getObject("Cross", cross, visible, selected));
    QCOMPARE(cross.CountObj(), Halcon::Hlong(2));
    const Box box = boxOf(cross);
    QVERIFY(near(box.centreX(), 200) && near(box.centreY(), 100) && near(box.width(), 10) && near(box.height(), 10));
    QVERIFY(update.count() > 0);
    // Not selectable.
    view.selectObjects("Cross", false);
    QVERIFY(!view.isObjectSelected("Cross"));
    // Nothing to do without a viewer or a converter.
    GenerateCrossContour(nullptr, 1, 1, 10, "blue", "X", 0.0, "Margin", 1);
    QVERIFY(GenerateRotatedRectangleContour(nullptr, 1, 1, 1, 1, 0).IsEmpty());
}

QTEST_MAIN(tst_LabwareGrid)
#include "tst_LabwareGrid.moc"
